// The text the tree list copies: the header line with its TABs and CR, TAB-ended cells, a group
// node's text alone, the selection in tree order, and Ctrl+C / Ctrl+Insert.

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
