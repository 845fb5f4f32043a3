// The memory table's reading side: bookmarks, filtering, sorting, Locate, Lookup.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "dbgrid/tests/mem_table.h"
#include "framework/data_source.h"
#include "framework/sysutils.h"

namespace {

using Texts = std::vector<std::string>;

// A table of names r1 .. rN.
struct Names : MemTable {
    TStringField* Name = Add<TStringField>("Name");
    TIntegerField* Num = Add<TIntegerField>("Num");
    explicit Names(int Count) {
        T->Open();
        for (int i = 1; i <= Count; ++i) Append({{"Name", "r" + std::to_string(i)}, {"Num", i}});
        T->First();
    }
};

// A data link with a window of records, as a grid keeps one.
class TWindowLink : public TDataLink {
public:
    int Changes = 0;
    // The texts of a field over the window, the active record marked with "*".
    Texts Window(TField* Field) {
        Texts result;
        Integer active = GetActiveRecord();
        for (Integer i = 0; i < GetRecordCount(); ++i) {
            SetActiveRecord(i);
            result.push_back((i == active ? "*" : "") + Field->GetAsString());
        }
        SetActiveRecord(active);
        return result;
    }

protected:
    void DataSetChanged() override { ++Changes; }
};

}  // namespace

// A record posted in the middle of the table gets an id of its own: bookmarks taken before and
// after still name their records, so going to them and deleting by them hits the right ones.
TEST(MemDataSearch, BookmarksStayWithTheirRecordsAfterAMidTableInsert) {
    Names t(5);
    std::vector<TBookmarkStr> marks;
    for (t.T->First(); !t.T->GetEOF(); t.T->Next()) marks.push_back(t.T->GetBookmarkStr());

    t.T->SetRecNo(3);
    t.T->Insert();
    t.Name->SetAsString("new");
    t.T->Post();
    TBookmarkStr newMark = t.T->GetBookmarkStr();
    t.T->SetRecNo(1);
    t.T->Insert();
    t.Name->SetAsString("front");
    t.T->Post();
    EXPECT_EQ(t.Column("Name"), (Texts{"front", "r1", "r2", "new", "r3", "r4", "r5"}));

    for (int i = 0; i < 5; ++i) {
        t.T->SetBookmarkStr(marks[i]);
        EXPECT_EQ(t.Name->GetAsString(), "r" + std::to_string(i + 1));
    }
    t.T->SetBookmarkStr(newMark);
    EXPECT_EQ(t.Name->GetAsString(), "new");

    // Bookmarks order as their records lie.
    auto cmp = [&](const TBookmarkStr& a, const TBookmarkStr& b) {
        return t.T->CompareBookmarks(reinterpret_cast<TBookmark>(const_cast<char*>(a.data())),
                                     reinterpret_cast<TBookmark>(const_cast<char*>(b.data())));
    };
    EXPECT_EQ(cmp(marks[1], newMark), -1);
    EXPECT_EQ(cmp(newMark, marks[2]), -1);
    EXPECT_EQ(cmp(marks[2], newMark), 1);
    EXPECT_EQ(cmp(newMark, newMark), 0);

    // Deleting a selection by its bookmarks, as a grid does.
    for (const TBookmarkStr* mark : {&marks[3], &newMark, &marks[0]}) {
        t.T->SetBookmarkStr(*mark);
        t.T->Delete();
    }
    EXPECT_EQ(t.Column("Name"), (Texts{"front", "r2", "r3", "r5"}));
    EXPECT_FALSE(t.T->BookmarkValid(reinterpret_cast<TBookmark>(newMark.data())));
    EXPECT_TRUE(t.T->BookmarkValid(reinterpret_cast<TBookmark>(marks[4].data())));
    EXPECT_EQ(ErrorOf([&] { t.T->SetBookmarkStr(newMark); }), "Bookmark not found");
    t.T->SetBookmarkStr(marks[4]);
    EXPECT_EQ(t.Name->GetAsString(), "r5");
}

TEST(MemDataSearch, CompareBookmarksOrdersNilLast) {
    Names t(2);
    TBookmark a = t.T->GetBookmark();
    EXPECT_EQ(t.T->CompareBookmarks(nullptr, nullptr), 0);
    EXPECT_EQ(t.T->CompareBookmarks(nullptr, a), 1);
    EXPECT_EQ(t.T->CompareBookmarks(a, nullptr), -1);
    EXPECT_FALSE(t.T->BookmarkValid(nullptr));
    t.T->FreeBookmark(a);
}

// After OnFilterRecord rejected record 3 of 5, record number 3 shows record 4; deleting it
// leaves the numbers 1, 2, 4 and shows the former record 5 as number 3.
TEST(MemDataSearch, FilterListFollowsDeletesAndInserts) {
    Names t(5);
    std::set<int> rejected{3};
    t.T->SetOnFilterRecord([&](TDataSet* d, bool& accept) {
        accept = !rejected.count(d->FieldByName("Num")->GetAsInteger());
    });
    EXPECT_TRUE(t.T->GetIsFiltered());
    EXPECT_EQ(t.T->GetRecordCount(), 4);
    t.T->SetRecNo(3);
    EXPECT_EQ(t.Num->GetAsInteger(), 4);
    t.T->Delete();
    EXPECT_EQ(t.T->GetFilterList(), (std::vector<Integer>{1, 2, 4}));
    EXPECT_EQ(t.Num->GetAsInteger(), 5);
    EXPECT_EQ(t.T->GetRecNo(), 3);

    // A posted record goes through the filter: accepted it joins at its place, rejected it is
    // stored but stays out of sight.
    t.T->SetRecNo(2);
    t.T->Insert();
    t.Num->SetAsInteger(20);
    t.T->Post();
    EXPECT_EQ(t.Num->GetAsInteger(), 20);
    EXPECT_EQ(t.T->GetRecNo(), 2);
    rejected.insert(30);
    t.T->Insert();
    t.Num->SetAsInteger(30);
    t.T->Post();
    EXPECT_EQ(t.Column("Num"), (Texts{"1", "20", "2", "5"}));
    EXPECT_EQ(t.T->GetFilterList(), (std::vector<Integer>{1, 3, 4, 6}));

    // Locate sees only the visible records and does not move when it finds nothing.
    t.T->SetRecNo(2);
    EXPECT_FALSE(t.T->Locate("Num", 3, {}));
    EXPECT_FALSE(t.T->Locate("Num", 30, {}));
    EXPECT_EQ(t.Num->GetAsInteger(), 20);
    EXPECT_TRUE(t.T->Locate("Num", 5, {}));
    EXPECT_EQ(t.T->GetRecNo(), 4);
    // LocateByFieldValue looks past the filter.
    EXPECT_EQ(t.T->LocateByFieldValue(30, "Num"), 2);
    EXPECT_EQ(t.T->LocateByFieldValue(99, "Num"), -1);
    EXPECT_EQ(t.T->LocateByFieldValue(1, "Missing"), -1);
}

TEST(MemDataSearch, UpdateFiltersWithAllOrNothingAccepted) {
    Names t(4);
    t.T->SetRecNo(3);
    t.T->SetOnFilterRecord([](TDataSet*, bool& accept) { accept = true; });
    EXPECT_FALSE(t.T->GetIsFiltered());
    EXPECT_EQ(t.T->GetRecNo(), 1);
    EXPECT_EQ(t.T->GetRecordCount(), 4);

    t.T->SetOnFilterRecord([](TDataSet*, bool& accept) { accept = false; });
    EXPECT_TRUE(t.T->GetIsFiltered());
    EXPECT_EQ(t.T->GetRecordCount(), 0);
    EXPECT_TRUE(t.T->GetEOF());
    EXPECT_TRUE(t.T->GetBOF());

    // Closing keeps the filtered state: records added after reopening are visible through the
    // list until the next UpdateFilters.
    t.T->Close();
    t.T->Open();
    t.T->AppendRecord({Variant(), "late"});
    EXPECT_TRUE(t.T->GetIsFiltered());
    EXPECT_EQ(t.T->GetRecordCount(), 1);
    t.T->UpdateFilters();
    EXPECT_EQ(t.T->GetRecordCount(), 0);
}

// Sorting by a field: ascending and descending by value, the row number unchanged, and the
// order kept when records are posted.
TEST(MemDataSearch, SortedFieldOrdersAndKeepsOrder) {
    MemTable m;
    TStringField* name = m.Add<TStringField>("Name");
    TIntegerField* num = m.Add<TIntegerField>("Num");
    m.T->Open();
    for (auto [n, v] : std::vector<std::pair<const char*, int>>{{"a", 5}, {"b", 2}, {"c", 1}, {"d", 2}})
        m.Append({{"Name", n}, {"Num", v}});
    m.T->SetRecNo(2);
    m.T->SetSortedField("Num");
    EXPECT_EQ(m.T->GetRecNo(), 2);
    EXPECT_EQ(m.Column("Num"), (Texts{"1", "2", "2", "5"}));
    m.T->SetSortOptions({soDesc});
    EXPECT_EQ(m.Column("Num"), (Texts{"5", "2", "2", "1"}));

    m.T->Append();
    num->SetAsInteger(3);
    m.T->Post();
    EXPECT_EQ(num->GetAsInteger(), 3);
    EXPECT_EQ(m.T->GetRecNo(), 2);
    m.T->Locate("Name", "c", {});
    m.T->Edit();
    num->SetAsInteger(4);
    m.T->Post();
    EXPECT_EQ(name->GetAsString(), "c");
    EXPECT_EQ(m.T->GetRecNo(), 2);
    EXPECT_EQ(m.Column("Num"), (Texts{"5", "4", "3", "2", "2"}));

    // A name that is no field leaves the table unsorted, without an error.
    m.T->SetSortedField("Nope");
    EXPECT_EQ(m.T->GetSortField(), nullptr);
}

// Sorting agrees with plain orders over the same values: character codes, and with
// soCaseInsensitive codes with a..z folded; ids travel with their records.
TEST(MemDataSearch, SortMatchesCodeOrderOracle) {
    std::mt19937 rng(7);
    std::string alphabet = "aAbBzZ_09";
    std::vector<std::string> values;
    for (int i = 0; i < 300; ++i) {
        std::string s;
        for (int n = rng() % 4; n >= 0; --n) s += alphabet[rng() % alphabet.size()];
        values.push_back(s);
    }
    for (TgxSortOptions options : {TgxSortOptions{}, TgxSortOptions{soDesc}, TgxSortOptions{soCaseInsensitive},
                                   TgxSortOptions{soDesc, soCaseInsensitive}}) {
        SCOPED_TRACE(options.Bits());
        MemTable m;
        TStringField* name = m.Add<TStringField>("Name");
        m.T->Open();
        std::vector<TBookmarkStr> marks;
        for (const std::string& v : values) {
            m.Append({{"Name", v}});
            marks.push_back(m.T->GetBookmarkStr());
        }
        m.T->SetSortOptions(options);
        m.T->SetSortedField("Name");

        bool ci = options.Contains(soCaseInsensitive);
        std::vector<std::string> expected = values;
        std::stable_sort(expected.begin(), expected.end(), [&](const std::string& a, const std::string& b) {
            int c = ci ? CompareText(a, b) : CompareStr(a, b);
            return options.Contains(soDesc) ? c > 0 : c < 0;
        });
        std::vector<std::string> got = m.Column("Name");
        ASSERT_EQ(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(ci ? CompareText(got[i], expected[i]) : CompareStr(got[i], expected[i]), 0) << i;
        for (size_t i = 0; i < values.size(); i += 37) {
            m.T->SetBookmarkStr(marks[i]);
            EXPECT_EQ(name->GetAsString(), values[i]);
        }
    }
}

// 64-bit integers order, match and come back with all their bits.
TEST(MemDataSearch, LargeintUsesAllBits) {
    MemTable m;
    TStringField* name = m.Add<TStringField>("Name");
    m.Add<TLargeintField>("Big");
    m.T->Open();
    const Int64 high = Int64(1) << 32;
    for (auto [n, v] : std::vector<std::pair<const char*, Int64>>{{"high", high}, {"zero", 0}, {"minus", -1},
                                                                   {"higher", high + 1}})
        m.Append({{"Name", n}, {"Big", Variant(v)}});

    EXPECT_TRUE(m.T->Locate("Big", Variant(high), {}));
    EXPECT_EQ(name->GetAsString(), "high");
    EXPECT_TRUE(m.T->Locate("Big", 0, {}));
    EXPECT_EQ(name->GetAsString(), "zero");
    EXPECT_EQ(VariantCompare(m.T->Lookup("Name", "higher", "Big"), Variant(high + 1)), 0);
    m.T->SetSortedField("Big");
    EXPECT_EQ(m.Column("Name"), (Texts{"minus", "zero", "high", "higher"}));
    EXPECT_TRUE(m.T->Locate("Big", Variant(high), {}));
    EXPECT_EQ(name->GetAsString(), "high");
}

TEST(MemDataSearch, LookupAnswersWithoutMoving) {
    Names t(3);
    t.T->SetRecNo(2);
    EXPECT_EQ(VarToStr(t.T->Lookup("Num", 3, "Name")), "r3");
    EXPECT_EQ(t.T->GetRecNo(), 2);
    // Nothing found: an empty text for a text result, False otherwise; no such result field:
    // False.
    Variant none = t.T->Lookup("Num", 9, "Name");
    EXPECT_EQ(VarType(none), varString);
    EXPECT_EQ(VarToStr(none), "");
    EXPECT_EQ(VarType(t.T->Lookup("Name", "r9", "Num")), varBoolean);
    Variant missing = t.T->Lookup("Num", 1, "Missing");
    EXPECT_EQ(VarType(missing), varBoolean);
    EXPECT_FALSE(missing.AsBoolean());
    EXPECT_EQ(ErrorOf([&] { t.T->Lookup("Num", "x", "Name"); }).empty(), false);
}

TEST(MemDataSearch, IndexItemsBindByName) {
    Names t(3);
    TgxMemIndex* index = t.T->GetIndexes()->Add();
    index->SetFieldName("name");
    EXPECT_EQ(index->GetFieldName(), "Name");
    EXPECT_EQ(index->GetField(), t.Name);
    EXPECT_EQ(index->GetPositions().size(), 3u);
    EXPECT_EQ(ErrorOf([&] { t.T->GetIndexes()->Add()->SetFieldName("Nope"); }), "Field 'Nope' not found");
}

// Locate over one and several fields with each option set, on the table in position order,
// sorted in each way, and with an index item, each also with a filter hiding some matches: it
// always finds the first visible record that matches.
TEST(MemDataSearch, LocateFindsTheFirstMatchInEveryOrder) {
    struct File {
        const char* Name;
        const char* Path;
    };
    const File files[] = {{"photo.jpg", "/a/"},  {"PHOTO.JPG", "/b/"}, {"Photo.jpeg", "/a/"}, {"notes.txt", "/a/"},
                          {"", "/c/"},           {"B", "/d/"},         {"a", "/d/"},          {"photo.jpg", "/e/"},
                          {"photographs", "/f/"}};
    const TLocateOptions none{}, ci{loCaseInsensitive}, partial{loPartialKey}, both{loCaseInsensitive, loPartialKey};
    struct Case {
        const char* Fields;
        Variant Key;
        TLocateOptions Options;
        std::set<int> Matches;  // KeyIDs
        // With soCaseInsensitive a key given without options compares without case too.
        std::set<int> FoldedMatches;
    };
    const std::vector<Case> cases = {
        {"Filename", "photo.jpg", none, {1, 8}, {1, 2, 8}},
        {"Filename", "PHOTO.JPG", none, {2}, {1, 2, 8}},
        {"Filename", "Photo.JPG", none, {}, {1, 2, 8}},
        {"Filename", "PHOTO.jpg", ci, {1, 2, 8}, {1, 2, 8}},
        {"Filename", "photo", none, {}, {}},
        {"Filename", "photo", partial, {1, 8, 9}, {1, 8, 9}},
        {"Filename", "Photo", partial, {3}, {3}},
        {"Filename", "PHOTO.J", both, {1, 2, 3, 8}, {1, 2, 3, 8}},
        {"Filename", "a", none, {7}, {7}},
        {"Filename", "A", ci, {7}, {7}},
        {"Filename", "b", partial, {}, {}},
        {"Filename", "notes.txt", none, {4}, {4}},
        {"Filename", "", partial, {5}, {5}},
        {"Filename", "", none, {5}, {5}},
        {"Filename", "photo.jpg.", partial, {}, {}},
        {"Filename", "photographsX", both, {}, {}},  // longer than the field
        {"Filename;Path", VarArrayOf({"PHOTO.JPG", "/e/"}), ci, {8}, {8}},
        {"Filename;Path", VarArrayOf({"photo.jpeg", "/a/"}), ci, {3}, {3}},
        {"Filename;Path", VarArrayOf({"photo.jpeg", "/a/"}), none, {}, {3}},
        {"Filename;Path", VarArrayOf({"photo", "/a/"}), partial, {1}, {1}},
        {"Path;Filename", VarArrayOf({"/a/", "p"}), both, {1, 3}, {1, 3}},
    };
    struct Setup {
        const char* Name;
        const char* Sorted;
        TgxSortOptions Options;
        bool Index;
        bool Filtered = false;
    } setups[] = {
        {"positions", "", {}, false},
        {"sorted", "Filename", {}, false},
        {"sorted desc", "Filename", {soDesc}, false},
        {"sorted ci", "Filename", {soCaseInsensitive}, false},
        {"sorted desc ci", "Filename", {soDesc, soCaseInsensitive}, false},
        {"index", "", {}, true},
        {"index ci", "", {soCaseInsensitive}, true},
        {"positions filtered", "", {}, false, true},
        {"sorted filtered", "Filename", {}, false, true},
        {"sorted desc ci filtered", "Filename", {soDesc, soCaseInsensitive}, false, true},
        {"index filtered", "", {}, true, true},
        {"index ci filtered", "", {soCaseInsensitive}, true, true},
    };
    for (const Setup& s : setups) {
        SCOPED_TRACE(s.Name);
        FileTable t;
        t.Filename->SetSize(11);
        t.T->Open();
        for (const File& f : files) t.AddFile(f.Name, f.Path);
        t.T->SetSortOptions(s.Options);
        t.T->SetSortedField(s.Sorted);
        if (s.Index) t.T->GetIndexes()->Add()->SetFieldName("Filename");
        if (s.Filtered)
            t.T->SetOnFilterRecord([](TDataSet* d, bool& accept) {
                Integer key = d->FieldByName("KeyID")->GetAsInteger();
                accept = key != 1 && key != 3 && key != 7;
            });
        std::vector<int> order;
        for (t.T->First(); !t.T->GetEOF(); t.T->Next()) order.push_back(t.KeyID->GetAsInteger());

        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.Fields) + " " + VarToStr(VarIsArray(c.Key) ? c.Key[0] : c.Key) + " " +
                         std::to_string(c.Options.Bits()));
            t.T->SetRecNo(2);
            Integer start = t.KeyID->GetAsInteger();
            const std::set<int>& matches = s.Options.Contains(soCaseInsensitive) ? c.FoldedMatches : c.Matches;
            auto first = std::find_if(order.begin(), order.end(), [&](int k) { return matches.count(k) > 0; });
            bool found = t.T->Locate(c.Fields, c.Key, c.Options);
            EXPECT_EQ(found, first != order.end());
            EXPECT_EQ(t.KeyID->GetAsInteger(), found ? *first : start);
        }
        EXPECT_EQ(ErrorOf([&] { t.T->Locate("Filename;Nope", VarArrayOf({"a", "b"}), {}); }),
                  "Field 'Nope' not found");
        EXPECT_FALSE(t.T->Locate("Nope", "a", {}));
    }
}

// The buffer window of a data link follows moves, inserts, deletes and filter changes.
TEST(MemDataSearch, WindowOfRecordsFollowsTheTable) {
    Names t(10);
    TDataSource source(nullptr);
    source.SetDataSet(t.T);
    TWindowLink link;
    link.SetBufferCount(4);
    link.SetDataSource(&source);
    EXPECT_EQ(link.Window(t.Name), (Texts{"*r1", "r2", "r3", "r4"}));
    t.T->MoveBy(5);
    EXPECT_EQ(link.Window(t.Name), (Texts{"r3", "r4", "r5", "*r6"}));
    t.T->Last();
    t.T->Prior();
    EXPECT_EQ(link.Window(t.Name), (Texts{"r7", "r8", "*r9", "r10"}));
    EXPECT_EQ(t.T->GetRecNo(), 9);

    t.T->Insert();
    t.Name->SetAsString("new");
    t.Num->SetAsInteger(11);
    t.T->Post();
    EXPECT_EQ(link.Window(t.Name), (Texts{"r7", "r8", "*new", "r9"}));
    t.T->Next();
    t.T->Delete();
    EXPECT_EQ(link.Window(t.Name), (Texts{"r7", "r8", "new", "*r10"}));

    // One filter change is one change for the controls.
    link.Changes = 0;
    t.T->SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = d->FieldByName("Num")->GetAsInteger() % 2 == 0; });
    EXPECT_EQ(link.Changes, 1);
    EXPECT_EQ(link.Window(t.Name), (Texts{"*r2", "r4", "r6", "r8"}));
    t.T->Last();
    EXPECT_EQ(link.Window(t.Name), (Texts{"r4", "r6", "r8", "*r10"}));
    link.SetDataSource(nullptr);
}
