// The text the tree list copies: the header line with its TABs and CR, TAB-ended cells, a group
// node's text alone, the selection in tree order, and Ctrl+C / Ctrl+Insert.

#include <algorithm>
#include <random>

#include "framework/clipboard.h"
#include "framework/string_list.h"
#include "tree_list_input_fixture.h"

namespace {

// Nodes whose Data is 1 are group rows.
class TGroupingList : public TgxTreeList {
    LUMORA_CLASS(TGroupingList, TgxTreeList)
public:
    using TgxTreeList::TgxTreeList;
    bool IsGroupNode(TgxTreeListNode* Node) override { return Node->GetData() == 1; }
};

struct ClipboardText : InputFixture {
    void SetUp() override {
        InputFixture::SetUp();
        list->Free();
        list = new TGroupingList(form);
        list->SetParent(form);
        list->SetBounds(10, 10, 480, 300);
        AddColumns({"Name", "Size"});
        Build("A(A1,A2[A21]),G,B");
        for (auto& [name, node] : nodes) list->SetNodeString(node, 1, name == "A2" ? "" : "s" + name);
        N("G")->SetData(1);
    }
    std::string Copy() {
        Clipboard()->SetAsText("");
        list->CopyNodesToClipboard();
        return Clipboard()->GetAsText();
    }
};

}  // namespace

TEST_F(ClipboardText, TheSelectionIsCopiedInTreeOrder) {
    Options({aoMultiSelect, aoExtMultiSelect});
    for (const char* name : {"B", "A2", "G", "A", "A21", "A1"}) list->SetNodeSelected(N(name), true);
    EXPECT_EQ(Copy(),
              "Name\tSize\t\r\r\n"
              "A\tsA\t\r\n"
              "A1\tsA1\t\r\n"
              "A2\t\t\r\n"
              "A21\tsA21\t\r\n"
              "G\r\n"
              "B\tsB\t\r\n");
}

// Nodes inserted at random places, so that neither their addresses nor the order they were
// selected in follow the tree: the copy lists the selection as CompareNodesByPosition orders it.
TEST_F(ClipboardText, AnySelectionOfAShuffledTreeComesInTreeOrder) {
    Options({aoMultiSelect, aoExtMultiSelect});
    list->ClearNodes();
    std::mt19937 random(11);
    std::vector<TgxTreeListNode*> all;
    for (int i = 0; i < 400; ++i) {
        TgxTreeListNode* parent = all.empty() || random() % 4 == 0 ? nullptr : all[random() % all.size()];
        const Integer siblings = parent ? parent->GetCount() : list->GetCount();
        const Integer at = Integer(random() % size_t(siblings + 1));
        TgxTreeListNode* before = at == siblings ? nullptr : parent ? parent->GetItem(at) : list->GetItem(at);
        TgxTreeListNode* node = parent ? parent->InsertChild(before) : before ? list->Insert(before) : list->Add();
        list->SetNodeString(node, 0, std::to_string(i));
        all.push_back(node);
    }
    for (int round = 0; round < 3; ++round) {
        std::shuffle(all.begin(), all.end(), random);
        list->ClearSelection();
        std::vector<TgxTreeListNode*> chosen(all.begin(), all.begin() + (round == 2 ? all.size() : 37u * (round + 1)));
        for (TgxTreeListNode* node : chosen) list->SetNodeSelected(node, true);
        std::sort(chosen.begin(), chosen.end(),
                  [](TgxTreeListNode* A, TgxTreeListNode* B) { return CompareNodesByPosition(A, B) < 0; });
        std::string expected = "Name\tSize\t\r\r\n";
        for (TgxTreeListNode* node : chosen) expected += list->GetNodeString(node, 0) + "\t\t\r\n";
        EXPECT_EQ(Copy(), expected) << round;
    }
}

TEST_F(ClipboardText, WithoutMultiSelectTheFocusedNodeAndWithoutColumnsEmptyLines) {
    list->SetFocusedCell(N("A1"), 0, true);
    EXPECT_EQ(Copy(), "Name\tSize\t\r\r\nA1\tsA1\t\r\n");
    // All shown rows, the collapsed child left out.
    TStringList lines;
    list->SaveToStrings(&lines);
    EXPECT_EQ(lines.GetText(), "Name\tSize\t\r\r\nA\tsA\t\r\nA1\tsA1\t\r\nA2\t\t\r\nG\r\nB\tsB\t\r\n");
    list->GetColumn(0)->SetVisible(false);
    list->GetColumn(1)->SetVisible(false);
    lines.Clear();
    list->SaveToStrings(&lines);
    EXPECT_EQ(lines.GetText(), "\r\r\n\r\n\r\n\r\nG\r\n\r\n");
}

TEST_F(ClipboardText, CtrlCAndCtrlInsertCopy) {
    list->SetFocusedCell(N("B"), 0, true);
    for (bool insert : {false, true}) {
        Clipboard()->SetAsText("");
        if (insert)
            uitest::PressKey(list, VK_INSERT, {ssCtrl});
        else
            uitest::PressKey(list, 'C', {ssCtrl});
        EXPECT_EQ(Clipboard()->GetAsText(), "Name\tSize\t\r\r\nB\tsB\t\r\n") << insert;
    }
}

TEST_F(ClipboardText, TreeOrderOfTwoNodes) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] = {{"A1", "A", 1}, {"A", "A21", -1}, {"A21", "A1", 1}, {"A21", "B", -1}, {"G", "G", 0}};
    for (const Case& c : cases) {
        const Integer r = CompareNodesByPosition(N(c.a), N(c.b));
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " " << c.b;
    }
}
