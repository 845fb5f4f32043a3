#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "framework/stream.h"
#include "framework/string_list.h"
#include "framework/tests/scratch_folder.h"

namespace {

using Lines = std::vector<std::string>;

Lines LinesOf(const TStrings& s) {
    Lines out;
    for (int i = 0; i < s.GetCount(); ++i) out.push_back(s.Get(i));
    return out;
}

void SetLines(TStrings& s, const Lines& lines) {
    s.Clear();
    for (const std::string& l : lines) s.Add(l);
}

TObject* Tag(intptr_t n) { return reinterpret_cast<TObject*>(n); }

}  // namespace

TEST(StringList, CommaTextQuotingRoundTrips) {
    struct Case {
        Lines lines;
        std::string text;
    } cases[] = {
        {{}, ""},
        {{""}, "\"\""},
        {{"", ""}, ","},
        {{"a", "", "b"}, "a,,b"},
        {{"", "a"}, ",a"},
        {{"a", ""}, "a,"},
        {{"plain", "two words"}, "plain,\"two words\""},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"\""}, "\"\"\"\""},
        {{"x,y", "z"}, "\"x,y\",z"},
        {{"tab\there", " lead", "trail "}, "\"tab\there\",\" lead\",\"trail \""},
        {{"a\"b"}, "\"a\"\"b\""},
        {{"caf\xc3\xa9", "na\xc3\xafve"}, "caf\xc3\xa9,na\xc3\xafve"},
        {{"first line, with blank", "word"}, "\"first line, with blank\",word"},
    };
    for (const Case& c : cases) {
        TStringList list;
        SetLines(list, c.lines);
        EXPECT_EQ(list.GetCommaText(), c.text);
        TStringList back;
        back.SetCommaText(c.text);
        EXPECT_EQ(LinesOf(back), c.lines) << c.text;
    }
}

TEST(StringList, CommaTextParsing) {
    struct Case {
        std::string text;
        Lines items;
    } cases[] = {
        {"a b", {"a", "b"}},  // blanks split too
        {"  a ,  b  ", {"a", "b"}},
        {"\"a b\",c", {"a b", "c"}},
        {"\"ab\"cd", {"ab", "cd"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {"a, ", {"a"}},  // the delimiter is not last: blanks after it add nothing
        {",a", {"", "a"}},
        {"\"\",\"\"", {"", ""}},
        {"", {}},
        {"   ", {}},
        {"\"unterminated x", {"unterminated x"}},
        {"a\"b", {"a\"b"}},
        {"\"a\"\"b\"", {"a\"b"}},
        {"x\ty\r\nz", {"x", "y", "z"}},
        {std::string("a\0b,c", 5), {"a"}},  // code 0 ends the text
    };
    for (const Case& c : cases) {
        TStringList list;
        list.Add("old");
        list.SetCommaText(c.text);
        EXPECT_EQ(LinesOf(list), c.items) << c.text;
    }
}

TEST(StringList, DelimitedTextUsesDelimiterAndQuoteChar) {
    TStringList list;
    list.SetDelimiter(';');
    list.SetQuoteChar('\'');
    SetLines(list, {"a", "b;c", "it's", "d,e"});
    EXPECT_EQ(list.GetDelimitedText(), "a;'b;c';'it''s';d,e");
    EXPECT_EQ(list.GetCommaText(), "a,b;c,it's,\"d,e\"");
    EXPECT_EQ(list.GetDelimiter(), ';');  // reading comma text leaves the settings alone
    list.SetDelimitedText("'x;y' ; z 'w'");
    EXPECT_EQ(LinesOf(list), (Lines{"x;y", "z", "w"}));
    list.SetCommaText("p,q");  // setting comma text switches the list to "," and '"'
    EXPECT_EQ(list.GetDelimiter(), ',');
    EXPECT_EQ(list.GetQuoteChar(), '"');
}

TEST(StringList, TextWithMixedLineEnds) {
    struct Case {
        std::string text;
        Lines lines;
    } cases[] = {
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\n\rb", {"a", "", "b"}},  // LF then CR: two breaks
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"x\n", {"x"}},
        {"\r\n", {""}},
        {"", {}},
        {std::string("a\nb\0c\nd", 7), {"a", "b"}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetText(c.text);
        EXPECT_EQ(LinesOf(list), c.lines);
    }
    TStringList list;
    SetLines(list, {"one", "", "two"});
    EXPECT_EQ(list.GetText(), "one\r\n\r\ntwo\r\n");
}

class StringListFiles : public ScratchFolderTest {};

TEST_F(StringListFiles, ReadAnyLineEndAndWriteCrLf) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"cr.txt", "alpha\rbeta\r\rgamma"},
        {"lf.txt", "alpha\nbeta\n\ngamma\n"},
        {"crlf.txt", "alpha\r\nbeta\r\n\r\ngamma\r\n"},
    };
    for (const Case& c : cases) {
        std::string path = dir_ + c.name;
        std::ofstream(path, std::ios::binary) << c.bytes;
        TStringList list;
        list.LoadFromFile(path);
        EXPECT_EQ(LinesOf(list), (Lines{"alpha", "beta", "", "gamma"})) << c.name;
        list.SaveToFile(path);
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "alpha\r\nbeta\r\n\r\ngamma\r\n");
    }
    TStringList list;
    EXPECT_THROW(list.LoadFromFile(dir_ + "missing.txt"), EFOpenError);
    EXPECT_THROW(list.SaveToFile(dir_ + "no/such/folder.txt"), EFCreateError);
}

TEST_F(StringListFiles, StreamsReadFromThePositionAndAppend) {
    TMemoryStream stream;
    const std::string bytes = "skip\nx\ny";
    stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    stream.SetPosition(5);
    TStringList list;
    list.Add("old");
    list.LoadFromStream(&stream);
    EXPECT_EQ(LinesOf(list), (Lines{"x", "y"}));
    list.SaveToStream(&stream);  // written at the position: the end
    ASSERT_EQ(stream.GetSize(), 14);
    EXPECT_EQ(std::string(static_cast<const char*>(stream.GetMemory()) + 8, 6), "x\r\ny\r\n");
}

TEST(StringList, SortedDuplicatesAndFind) {
    TStringList list;
    list.SetSorted(true);
    for (const char* s : {"pear", "Apple", "fig", "banana", "Cherry"}) list.Add(s);
    EXPECT_EQ(LinesOf(list), (Lines{"Apple", "banana", "Cherry", "fig", "pear"}));

    int index = -1;
    EXPECT_TRUE(list.Find("CHERRY", index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(list.Find("date", index));
    EXPECT_EQ(index, 3);  // where it would go
    EXPECT_FALSE(list.Find("zzz", index));
    EXPECT_EQ(index, 5);

    // dupIgnore: the existing line's index, nothing added
    EXPECT_EQ(list.Add("APPLE"), 0);
    EXPECT_EQ(list.GetCount(), 5);
    list.SetDuplicates(dupError);
    try {
        list.Add("fig");
        ADD_FAILURE();
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message, "String list does not allow duplicates");
    }
    list.SetDuplicates(dupAccept);
    list.AddObject("FIG", Tag(7));
    EXPECT_EQ(list.GetCount(), 6);
    EXPECT_EQ(list.IndexOf("fig"), 3);
    EXPECT_EQ(list.GetObject(list.IndexOfObject(Tag(7))), Tag(7));

    for (auto op : std::vector<std::function<void()>>{[&] { list.Insert(0, "a"); },
                                                      [&] { list.Put(0, "a"); },
                                                      [&] { list.Move(0, 1); }}) {
        try {
            op();
            ADD_FAILURE();
        } catch (const EStringListError& e) {
            EXPECT_EQ(e.Message, "Operation not allowed on sorted string list");
        }
    }
    EXPECT_EQ(list.GetCount(), 6);

    // Case-sensitive comparison: the list sorts again and Find follows it.
    list.SetCaseSensitive(true);
    EXPECT_FALSE(list.Find("apple", index));
    EXPECT_TRUE(list.Find("Apple", index));
    for (int i = 0; i < list.GetCount(); ++i) EXPECT_TRUE(list.Find(list.Get(i), index)) << list.Get(i);
}

TEST(StringList, CaseInsensitiveByDefaultAndObjectsTravelWithLines) {
    TStringList list;
    list.AddObject("Zeta", Tag(1));
    list.AddObject("alpha", Tag(2));
    list.AddObject("Mid", Tag(3));
    EXPECT_EQ(list.IndexOf("ALPHA"), 1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("ALPHA"), -1);
    list.SetCaseSensitive(false);

    list.Sort();
    EXPECT_EQ(LinesOf(list), (Lines{"alpha", "Mid", "Zeta"}));
    EXPECT_EQ(list.GetObject(0), Tag(2));
    EXPECT_EQ(list.GetObject(2), Tag(1));
    list.Exchange(0, 2);
    EXPECT_EQ(list.GetObject(0), Tag(1));
    list.Move(0, 2);
    EXPECT_EQ(LinesOf(list), (Lines{"Mid", "alpha", "Zeta"}));
    EXPECT_EQ(list.GetObject(2), Tag(1));
    list.Put(0, "middle");
    EXPECT_EQ(list.GetObject(0), Tag(3));

    try {
        list.Get(3);
        ADD_FAILURE();
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message, "List index out of bounds (3)");
    }
    EXPECT_THROW(list.Delete(-1), EStringListError);
    EXPECT_THROW(list.Insert(4, "x"), EStringListError);
    EXPECT_THROW(list.SetCapacity(1), EStringListError);
}

TEST(StringList, NamesAndValues) {
    TStringList list;
    SetLines(list, {"Width=10", "Mode=fast", "plain", "Path=a=b", "Empty="});
    EXPECT_EQ(list.GetName(0), "Width");
    EXPECT_EQ(list.GetName(2), "");
    EXPECT_EQ(list.GetValue("mode"), "fast");  // names compare without case
    EXPECT_EQ(list.GetValue("Path"), "a=b");   // the first "=" separates
    EXPECT_EQ(list.GetValue("plain"), "");
    EXPECT_EQ(list.GetValue("Nope"), "");
    EXPECT_EQ(list.IndexOfName("plain"), -1);
    EXPECT_EQ(list.IndexOfName("EMPTY"), 4);
    EXPECT_EQ(list.GetValueFromIndex(3), "a=b");
    EXPECT_EQ(list.GetValueFromIndex(2), "");
    EXPECT_EQ(list.GetValueFromIndex(-1), "");

    list.SetValue("MODE", "slow");  // replaced in place, under the new spelling
    EXPECT_EQ(list.Get(1), "MODE=slow");
    list.SetValue("Height", "20");  // added at the end
    EXPECT_EQ(list.Get(5), "Height=20");
    list.SetValue("Width", "");  // an empty value deletes the line
    EXPECT_EQ(list.IndexOfName("Width"), -1);
    list.SetValue("Absent", "");
    list.SetValueFromIndex(0, "fastest");
    EXPECT_EQ(list.Get(0), "MODE=fastest");
    list.SetValueFromIndex(0, "");
    EXPECT_EQ(LinesOf(list), (Lines{"plain", "Path=a=b", "Empty=", "Height=20"}));
}

TEST(StringList, ChangeEventsAndUpdateBracket) {
    TStringList list;
    std::string log;
    list.OnChanging = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        log += "<";
    };
    list.OnChange = [&](TObject*) { log += ">"; };
    list.Add("a");
    list.PutObject(0, Tag(1));
    list.Delete(0);
    list.Clear();  // already empty: nothing
    EXPECT_EQ(log, "<><><>");

    log.clear();
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("x");
    list.SetCommaText("p,q,r");
    list.EndUpdate();
    EXPECT_EQ(log, "<");
    list.EndUpdate();
    EXPECT_EQ(log, "<>");  // once around the outermost bracket

    log.clear();
    list.SetText("one\ntwo");  // a bracket of its own
    EXPECT_EQ(log, "<>");

    log.clear();
    list.SetSorted(true);
    list.Add("ONE");  // ignored duplicate: no change, no event
    EXPECT_EQ(log, "<>");  // the sort only
}

TEST(StringList, CustomSortSurvivesLyingComparators) {
    std::mt19937 rng(3);
    std::vector<TStringListSortCompare> liars = {
        [](TStringList*, int, int) { return -1; },
        [](TStringList*, int, int) { return 1; },
        [&](TStringList*, int, int) { return static_cast<int>(rng() % 3) - 1; },
    };
    for (auto& compare : liars) {
        TStringList list;
        Lines expected;
        for (int i = 0; i < 500; ++i) {
            list.AddObject("s" + std::to_string(i), Tag(i + 1));
            expected.push_back("s" + std::to_string(i));
        }
        list.CustomSort(compare);
        Lines got = LinesOf(list);
        for (int i = 0; i < list.GetCount(); ++i)
            EXPECT_EQ(list.GetObject(i), Tag(std::stoi(list.Get(i).substr(1)) + 1));
        std::sort(got.begin(), got.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(got, expected);
    }

    // A comparator that deletes lines: refused, never out of bounds.
    TStringList list;
    SetLines(list, {"d", "c", "b", "a", "e"});
    EXPECT_THROW(list.CustomSort([](TStringList* l, int a, int b) {
                     if (l->GetCount() > 1) l->Delete(l->GetCount() - 1);
                     return l->Get(a) < l->Get(b) ? -1 : 1;
                 }),
                 EStringListError);
}

TEST(StringList, AssignEqualsAndAddStrings) {
    TStringList a;
    SetLines(a, {"x", "y"});
    a.PutObject(1, Tag(9));
    a.SetDelimiter(';');
    TStringList b;
    b.Add("old");
    b.Assign(&a);
    EXPECT_EQ(LinesOf(b), (Lines{"x", "y"}));
    EXPECT_EQ(b.GetObject(1), Tag(9));
    EXPECT_EQ(b.GetDelimiter(), ';');
    EXPECT_TRUE(a.Equals(&b));
    b.Put(0, "X");
    EXPECT_FALSE(a.Equals(&b));  // exact comparison
    b.Assign(&b);
    EXPECT_EQ(b.GetCount(), 2);
    b.AddStrings(&a);
    EXPECT_EQ(LinesOf(b), (Lines{"X", "y", "x", "y"}));
    b.Append("z");
    EXPECT_EQ(b.GetCount(), 5);
    TPersistent other;
    EXPECT_THROW(b.Assign(&other), EConvertError);
}
