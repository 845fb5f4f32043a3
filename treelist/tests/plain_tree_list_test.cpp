// The plain tree list: its node stream, its selection store, its automatic re-sort, its answers
// and the mask column.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "framework/exceptions.h"
#include "framework/stream.h"
#include "framework/testing/tool_run.h"
#include "tree_list_fixture.h"
#include "treelist/plain_tree_list.h"

namespace {

class TSortCountingList : public TgxTreeList {
    LUMORA_CLASS(TSortCountingList, TgxTreeList)
public:
    using TgxTreeList::TgxTreeList;
    int Sorts = 0;
    void SortNodes(Integer Level, Integer Column, bool Descending) override {
        ++Sorts;
        TgxTreeList::SortNodes(Level, Column, Descending);
    }
};

struct PlainList : testing::Test {
    Owned<TComponent> form{new TComponent(nullptr)};
    TSortCountingList* list = new TSortCountingList(form.get());

    TgxTreeListNode* Node(TgxTreeListNode* Parent, const std::vector<std::string>& Texts) {
        TgxTreeListNode* node = Parent ? Parent->AddChild() : list->Add();
        for (size_t i = 0; i < Texts.size(); ++i) list->SetNodeString(node, Integer(i), Texts[i]);
        return node;
    }
    void AddColumns(int Count) {
        for (int i = 0; i < Count; ++i) list->CreateColumn(TgxTreeListColumn::StaticClass(), form.get());
    }
    // The tree as "text(child,child),text".
    std::string Tree(const TgxTreeListNode* Parent = nullptr) {
        std::string r;
        const Integer count = Parent ? Parent->GetCount() : list->GetCount();
        for (Integer i = 0; i < count; ++i) {
            TgxTreeListNode* n = Parent ? Parent->GetItem(i) : list->GetItem(i);
            if (i) r += ",";
            r += list->GetNodeString(n, 0);
            if (n->GetCount()) r += "(" + Tree(n) + ")";
        }
        return r;
    }
    static std::vector<Byte> Bytes(TMemoryStream& S) {
        const Byte* p = static_cast<const Byte*>(S.GetMemory());
        return std::vector<Byte>(p, p + S.GetSize());
    }
};

// A little-endian stream built by hand.
struct Writer {
    std::vector<Byte> b;
    Writer& Int(int32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(Byte(uint32_t(v) >> (8 * i)));
        return *this;
    }
    Writer& Text(const std::string& s) {
        b.push_back(Byte(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    Writer& Record(int32_t Children, std::vector<std::string> Texts, int32_t Header = 24) {
        Int(Header).Int(7).Int(8).Int(9).Int(42).Int(Children).Int(Integer(Texts.size()));
        for (int i = 24; i < Header; ++i) b.push_back(0xEE);
        for (auto& t : Texts) Text(t);
        return *this;
    }
};

void Load(TgxTreeList* List, const std::vector<Byte>& Bytes) {
    TMemoryStream s;
    if (!Bytes.empty()) s.WriteBuffer(Bytes.data(), Int64(Bytes.size()));
    s.SetPosition(0);
    List->ReadData(&s);
}

}  // namespace

TEST_F(PlainList, TheStreamIsWrittenDepthFirstAndReadBack) {
    AddColumns(2);
    EXPECT_FALSE(list->HasData());
    TgxTreeListNode* a = Node(nullptr, {"A", "a"});
    TgxTreeListNode* a1 = Node(a, {"A1"});
    Node(a1, {"A11"});
    Node(a, {"A2"});
    TgxTreeListNode* b = Node(nullptr, {"B"});
    list->SetImageIndex(b, 3);
    list->SetStateIndex(b, 1);
    b->SetData(-5);
    EXPECT_TRUE(list->HasData());

    TMemoryStream s;
    list->WriteData(&s);
    const std::vector<Byte> expected = Writer()
                                           .Int(2)
                                           .Int(24).Int(0).Int(-1).Int(-1).Int(0).Int(2).Int(2).Text("A").Text("a")
                                           .Int(24).Int(0).Int(-1).Int(-1).Int(0).Int(1).Int(1).Text("A1")
                                           .Int(24).Int(0).Int(-1).Int(-1).Int(0).Int(0).Int(1).Text("A11")
                                           .Int(24).Int(0).Int(-1).Int(-1).Int(0).Int(0).Int(1).Text("A2")
                                           .Int(24).Int(3).Int(-1).Int(1).Int(-5).Int(0).Int(1).Text("B")
                                           .b;
    EXPECT_EQ(Bytes(s), expected);

    TSortCountingList* copy = new TSortCountingList(form.get());
    Load(copy, Bytes(s));
    EXPECT_EQ(copy->GetNodeString(copy->GetItem(0), 1), "a");
    TMemoryStream again;
    copy->WriteData(&again);
    EXPECT_EQ(Bytes(again), expected);
    EXPECT_EQ(copy->GetItem(1)->GetData(), -5);
}

TEST_F(PlainList, LongTextsAreCutTo255BytesAtACharacter) {
    AddColumns(1);
    const std::string e = "\xc3\xa9";  // two bytes
    Node(nullptr, {std::string(254, 'x') + e + "tail"});
    Node(nullptr, {std::string(300, 'y')});
    TMemoryStream s;
    list->WriteData(&s);
    list->ReadData((s.SetPosition(0), &s));
    EXPECT_EQ(list->GetNodeString(list->GetItem(0), 0), std::string(254, 'x'));
    EXPECT_EQ(list->GetNodeString(list->GetItem(1), 0), std::string(255, 'y'));
}

TEST_F(PlainList, BadStreamsRaiseAndKeepTheNodesReadSoFar) {
    AddColumns(1);
    const std::vector<Byte> good = Writer().Int(2).Record(1, {"A"}).Record(0, {"A1"}).Record(0, {"B"}).b;
    struct Case {
        const char* what;
        std::vector<Byte> bytes;
        const char* kept;
    } cases[] = {
        {"cut in the last text", std::vector<Byte>(good.begin(), good.end() - 1), "A(A1),"},
        {"cut in a header", std::vector<Byte>(good.begin(), good.end() - 20), "A(A1)"},
        {"a child count beyond the end", std::vector<Byte>(good.begin(), good.begin() + 40), ""},
        {"header below 24", Writer().Int(1).Record(0, {"A"}, 20).b, ""},
        {"more roots than bytes", Writer().Int(1000000).Record(0, {"A"}).b, ""},
        {"negative child count", Writer().Int(1).Record(-1, {"A"}).b, ""},
        {"more texts than bytes", Writer().Int(1).Int(24).Int(0).Int(0).Int(0).Int(0).Int(0).Int(1 << 30).b, ""},
        {"children the stream cannot hold", Writer().Int(1).Record(1 << 29, {"A"}).b, ""},
        {"nothing", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Node(nullptr, {"old"});
        EXPECT_THROW(Load(list, c.bytes), EReadError);
        EXPECT_EQ(Tree(), c.kept);
    }
    // A longer header is read past; its extra bytes are ignored.
    Load(list, Writer().Int(1).Record(1, {"A"}, 30).Record(0, {"A1"}).b);
    EXPECT_EQ(Tree(), "A(A1)");
    EXPECT_EQ(list->GetImageIndex(list->GetItem(0)), 7);
    EXPECT_EQ(list->GetItem(0)->GetData(), 42);
}

TEST_F(PlainList, ADeepTreeReadsWithoutRecursion) {
    AddColumns(1);
    Writer w;
    w.Int(1);
    const int depth = 20000;
    for (int i = 0; i < depth; ++i) w.Record(i + 1 < depth ? 1 : 0, {"n"});
    Load(list, w.b);
    int levels = 0;
    for (TgxTreeListNode* n = list->GetItem(0); n; n = n->GetCount() ? n->GetItem(0) : nullptr) ++levels;
    EXPECT_EQ(levels, depth);
    TMemoryStream s;
    list->WriteData(&s);
    EXPECT_EQ(Bytes(s), w.b);
}

TEST_F(PlainList, TheSelectionKeepsEachNodeOnceInAddressOrder) {
    AddColumns(1);
    std::vector<TgxTreeListNode*> nodes;
    for (int i = 0; i < 6; ++i) nodes.push_back(Node(nullptr, {std::string(1, char('a' + i))}));
    nodes[0]->SetSelected(true);  // multi-selection is off: nothing happens
    EXPECT_EQ(list->GetSelectedCount(), 0);
    TgxTreeListOptions o = list->GetOptions();
    o.Include(aoMultiSelect);
    list->SetOptions(o);
    list->ClearSelection();  // the focused node was selected with the option
    nodes[1]->SetSelected(true);
    nodes[3]->SetSelected(true);
    list->SelectNodeRange(nodes[4], nodes[2]);  // overlaps the selection
    ASSERT_EQ(list->GetSelectedCount(), 4);
    for (Integer i = 0; i + 1 < list->GetSelectedCount(); ++i)
        EXPECT_LT(CompareNodePointers(list->GetSelectedNode(i), list->GetSelectedNode(i + 1)), 0);
    for (int i : {1, 2, 3, 4}) EXPECT_TRUE(list->IsNodeSelected(nodes[i]));
    EXPECT_FALSE(list->IsNodeSelected(nodes[5]));
    EXPECT_EQ(list->GetSelectedNode(4), nullptr);
    nodes[3]->Free();
    EXPECT_EQ(list->GetSelectedCount(), 3);
    list->DeleteSelection();
    EXPECT_EQ(Tree(), "a,f");
    EXPECT_EQ(list->GetSelectedCount(), 0);
}

TEST_F(PlainList, AutoSortRefreshSortsOnceAtTheEndOfABracket) {
    AddColumns(1);
    Node(nullptr, {"m"});
    Node(nullptr, {"c"});
    TgxTreeListOptions o = list->GetOptions();
    o.Include(aoAutoSort);
    list->SetOptions(o);
    TgxTreeListOptionsEx ex = list->GetOptionsEx();
    ex.Include(aoAutoSortRefresh);
    list->SetOptionsEx(ex);
    list->GetColumn(0)->SetSorted(csUp);
    EXPECT_EQ(Tree(), "c,m");
    list->Sorts = 0;
    list->InUpdateBracket([&] {
        Node(nullptr, {"a"});
        Node(nullptr, {"z"});
        list->SetNodeString(list->GetItem(0), 0, "x");
    });
    EXPECT_EQ(list->Sorts, 1);
    EXPECT_EQ(Tree(), "a,m,x,z");
    Node(nullptr, {"b"});  // outside a bracket: at once
    EXPECT_EQ(Tree(), "a,b,m,x,z");

    ex.Exclude(aoAutoSortRefresh);
    list->SetOptionsEx(ex);
    list->Sorts = 0;
    list->InUpdateBracket([&] { Node(nullptr, {"0"}); });
    EXPECT_EQ(list->Sorts, 0);
    EXPECT_EQ(Tree(), "a,b,m,x,z,0");
}

TEST_F(PlainList, AHeaderClickSortsByOneColumnUnlessMultiSorting) {
    AddColumns(2);
    TgxTreeListOptions o = list->GetOptions();
    o.Include(aoAutoSort);
    list->SetOptions(o);
    list->GetColumn(0)->SetSorted(csUp);
    list->GetColumn(1)->SetSorted(csDown);
    EXPECT_EQ(list->GetColumn(0)->GetSorted(), csNone);
    EXPECT_EQ(list->GetSortedColumnCount(), 1);
    TgxTreeListOptionsEx ex = list->GetOptionsEx();
    ex.Include(aoMultiSort);
    list->SetOptionsEx(ex);
    list->BeginSorting();
    list->GetColumn(0)->SetSorted(csUp);
    list->EndSorting();
    EXPECT_EQ(list->GetColumn(1)->GetSorted(), csDown);
    EXPECT_EQ(list->GetSortedColumnCount(), 2);
}

TEST_F(PlainList, AnswersAndTheMaskColumn) {
    AddColumns(1);
    TgxTreeListNode* a = Node(nullptr, {"abc"});
    TgxTreeListNode* b = Node(nullptr, {"def"});
    list->SetFocusedCell(a, 0, false);
    struct Case {
        TgxTreeListNode* node;
        bool selected;
        bool multi;
        Integer image;
    } cases[] = {
        {b, false, false, 0}, {b, true, false, 4}, {a, false, false, 1}, {a, true, false, 1}, {a, true, true, 5}};
    for (const Case& c : cases) {
        TgxTreeListOptions o = list->GetOptions();
        if (c.multi) o.Include(aoMultiSelect);
        else o.Exclude(aoMultiSelect);
        list->SetOptions(o);
        list->SetFocusedCell(a, 0, false);
        EXPECT_EQ(list->GetIndicatorImage(c.node, c.selected), c.image);
    }
    TgxTreeListOptions o = list->GetOptions();
    o.Include(aoCaseInsensitive);
    list->SetOptions(o);
    EXPECT_EQ(VarToStr(list->GetNodeSortValue(a, 0)), "ABC");
    auto* text = static_cast<TgxTreeListTextNode*>(a);  // a new node: image 0, no selected or state image
    EXPECT_EQ(text->GetStoredImageIndex(), 0);
    EXPECT_EQ(text->GetStoredSelectedIndex(), -1);
    EXPECT_EQ(text->GetStoredStateIndex(), -1);

    auto* mask = static_cast<TgxTreeListMaskColumn*>(
        list->CreateColumn(TgxTreeListMaskColumn::StaticClass(), form.get()));
    mask->SetEditMask("00:00");
    EXPECT_EQ(mask->GetEditorClass(), TgxInplaceTreeListMaskEdit::StaticClass());
    EXPECT_EQ(list->GetColumn(0)->GetEditorClass(), TgxInplaceTextEdit::StaticClass());
    auto* other = static_cast<TgxTreeListMaskColumn*>(
        list->CreateColumn(TgxTreeListMaskColumn::StaticClass(), form.get()));
    other->Assign(mask);
    EXPECT_EQ(other->GetEditMask(), "00:00");
    other->RestoreDefaults();
    EXPECT_EQ(other->GetEditMask(), "");
    EXPECT_NE(FindClass("TgxTreeListMaskColumn"), nullptr);
}

// ---- an outside reader and writer ---------------------------------------------------------------

TEST_F(PlainList, AnOutsideReaderAndWriterAgreeWithOurStream) {
    if (testtools::RunTool("python3 --version >/dev/null 2>&1").Status != 0) GTEST_SKIP() << "python3 is missing";
    const char* root = std::getenv("LUMORA_TEST_SOURCE_DIR");
    const std::string script = std::string(root ? root : ".") + "/treelist/tests/fixtures/node_stream.py";
    const auto dir = std::filesystem::temp_directory_path() / ("lumora_treelist_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);

    AddColumns(2);
    TgxTreeListNode* a = Node(nullptr, {std::string(300, 'x'), "\xc3\xa9t\xc3\xa9"});
    list->SetImageIndex(a, 4);
    a->SetData(77);
    TgxTreeListNode* a1 = Node(a, {"A1"});
    Node(a1, {"A11", ""});
    Node(nullptr, {"B"});
    TMemoryStream s;
    list->WriteData(&s);
    const std::string ours = (dir / "ours.bin").string();
    s.SaveToFile(ours);
    const testtools::TToolRun decoded = testtools::RunTool("python3 " + script + " decode " + ours);
    EXPECT_EQ(decoded.Status, 0);
    EXPECT_EQ(decoded.Output, "0 4 -1 -1 77 " + std::string(255, 'x') + "|\xc3\xa9t\xc3\xa9\n"
                              "1 0 -1 -1 0 A1\n"
                              "2 0 -1 -1 0 A11|\n"
                              "0 0 -1 -1 0 B\n");

    ASSERT_EQ(testtools::RunTool("python3 " + script + " write " + dir.string()).Status, 0);
    TMemoryStream in;
    in.LoadFromFile((dir / "deep.bin").string());
    in.SetPosition(0);
    list->ReadData(&in);
    int depth = 0;
    TgxTreeListNode* last = nullptr;
    for (TgxTreeListNode* n = list->GetItem(0); n; n = n->GetCount() ? n->GetItem(0) : nullptr, ++depth) last = n;
    EXPECT_EQ(depth, 500);
    EXPECT_EQ(list->GetNodeString(last, 0), "level 499");
    EXPECT_EQ(last->GetData(), 499);
    EXPECT_EQ(list->GetImageIndex(last), 499 % 7);

    in.LoadFromFile((dir / "long.bin").string());
    in.SetPosition(0);
    list->ReadData(&in);
    std::string alphabet;
    for (int i = 0; i < 255; ++i) alphabet += char('a' + i % 26);
    EXPECT_EQ(list->GetNodeString(list->GetItem(0), 0), alphabet);
    EXPECT_EQ(list->GetNodeString(list->GetItem(0), 1), "second");
    std::string accents;
    for (int i = 0; i < 127; ++i) accents += "\xc3\xa9";
    EXPECT_EQ(list->GetNodeString(list->GetItem(1), 0), accents);

    in.LoadFromFile((dir / "cut.bin").string());
    in.SetPosition(0);
    EXPECT_THROW(list->ReadData(&in), EReadError);  // cut inside the last record's fields
    EXPECT_EQ(Tree(), "A(A1)");
    std::filesystem::remove_all(dir);
}
