// The focused node and column, their events, the selection rules and what is repainted when the
// selection or the keyboard focus changes.

#include "framework/forms.h"
#include "framework/testing/ui_test.h"
#include "tree_list_fixture.h"

namespace {

// Counts the partial and the whole repaints.
class TFocusTreeList : public TTestTreeListControl {
    LUMORA_CLASS(TFocusTreeList, TTestTreeListControl)
public:
    using TTestTreeListControl::TTestTreeListControl;
    std::vector<TRect> Areas;
    int Wholes = 0;
    void InvalidateArea(const TRect& R) override {
        Areas.push_back(R);
        TTestTreeListControl::InvalidateArea(R);
    }
    void Invalidate() override {
        ++Wholes;
        TTestTreeListControl::Invalidate();
    }
    void ResetCounts() {
        Areas.clear();
        Wholes = 0;
    }
};

struct FocusFixture : testing::Test {
    Owned<TComponent> owner{new TComponent(nullptr)};
    TFocusTreeList* list = new TFocusTreeList(owner.get());
    std::vector<TgxTreeListColumn*> columns;

    void AddColumns(int Count) {
        for (int i = 0; i < Count; ++i) {
            auto* column = new TgxTreeListColumn(owner.get());
            column->SetTreeList(list);
            columns.push_back(column);
        }
    }
    void Record() {
        list->RecordEvents();
        list->OnChangeColumn = [this](TObject*, TgxTreeListNode*, Integer Column) {
            list->Log.push_back("ChangeColumn:" + std::to_string(Column));
        };
        list->Log.clear();
    }
    std::string Log() {
        std::string s;
        for (const std::string& entry : list->Log) s += (s.empty() ? "" : " ") + entry;
        list->Log.clear();
        return s;
    }
};

struct FocusMoveCase {
    const char* what;
    bool rowSelect;
    bool bracket;
    const char* node;
    Integer column;
    const char* log;
};

void PrintTo(const FocusMoveCase& c, std::ostream* os) {
    *os << c.what;
}

class TreeListFocusMove : public FocusFixture, public testing::WithParamInterface<FocusMoveCase> {};

}  // namespace

TEST_P(TreeListFocusMove, NodeEventComesBeforeColumnEvent) {
    const FocusMoveCase c = GetParam();
    AddColumns(3);
    list->Build("A,B");
    if (!c.rowSelect) list->SetOptions(list->GetOptions() - TgxTreeListOptions{aoRowSelect});
    list->SetFocusedCell(list->Find("A"), 0, false);
    Record();
    if (c.bracket) list->BeginUpdate();
    list->SetFocusedCell(list->Find(c.node), c.column, false);
    if (c.bracket) list->EndUpdate();
    EXPECT_EQ(Log(), c.log);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TreeListFocusMove,
    testing::Values(FocusMoveCase{"node and column", false, false, "B", 2, "ChangeNode:A>B ChangeColumn:2"},
                    FocusMoveCase{"only the column", false, false, "A", 1, "ChangeColumn:1"},
                    FocusMoveCase{"nothing", false, false, "A", 0, ""},
                    FocusMoveCase{"in an update bracket", false, true, "B", 2, "ChangeNode:A>B ChangeColumn:2"},
                    FocusMoveCase{"row select, same node", true, false, "A", 2, ""},
                    FocusMoveCase{"row select, other node", true, false, "B", 2, "ChangeNode:A>B"}));

TEST_F(FocusFixture, FocusedColumnNeverReadsOutOfRange) {
    EXPECT_EQ(list->GetFocusedColumn(), 0);  // no columns
    AddColumns(3);
    list->Build("A");
    list->SetOptions(list->GetOptions() - TgxTreeListOptions{aoRowSelect});
    list->SetFocusedColumn(2);
    EXPECT_EQ(list->GetFocusedColumn(), 2);
    EXPECT_EQ(list->GetFocusedColumnAbsoluteIndex(), columns[2]->GetIndex());
    list->SetFocusedColumn(3);  // out of range: nothing
    list->SetFocusedColumn(-1);
    EXPECT_EQ(list->GetFocusedColumn(), 2);
    list->SetOptions(list->GetOptions() + TgxTreeListOptions{aoRowSelect});
    EXPECT_EQ(list->GetFocusedColumn(), 0);
    list->SetOptions(list->GetOptions() - TgxTreeListOptions{aoRowSelect});
    columns[2]->SetVisible(false);  // the stored index is past the visible columns now
    EXPECT_EQ(list->GetFocusedColumn(), 0);
}

TEST_F(FocusFixture, FocusedAbsoluteIndexIsClampedToTheRows) {
    list->Build("A(A1,A2),B[B1],C");
    list->SetFocusedAbsoluteIndex(99);
    EXPECT_EQ(list->Name(list->GetFocusedNode()), "C");
    list->SetFocusedAbsoluteIndex(-4);
    EXPECT_EQ(list->Name(list->GetFocusedNode()), "A");
    list->SetFocusedAbsoluteIndex(2);
    EXPECT_EQ(list->Name(list->GetFocusedNode()), "A2");
    EXPECT_EQ(list->GetFocusedAbsoluteIndex(), 2);
}

TEST_F(FocusFixture, WithoutExtendedSelectionTheSelectionStaysAmongSiblings) {
    list->Build("A(A1,A2),B(B1)");
    list->SetOptions(list->GetOptions() + TgxTreeListOptions{aoMultiSelect});
    list->ClearSelection();  // the options selected the focused node
    list->Find("A1")->SetSelected(true);
    EXPECT_TRUE(list->CanSelectNode(list->Find("A2")));
    EXPECT_FALSE(list->CanSelectNode(list->Find("B1")));
    EXPECT_FALSE(list->CanSelectNode(list->Find("A")));
    list->OnCanNodeSelected = [](TObject*, TgxTreeListNode*, bool& Allow) { Allow = false; };
    EXPECT_FALSE(list->CanSelectNode(list->Find("A2")));
    list->OnCanNodeSelected = nullptr;
    list->SetOptions(list->GetOptions() + TgxTreeListOptions{aoExtMultiSelect});
    EXPECT_TRUE(list->CanSelectNode(list->Find("B1")));
}

// The selection is repainted row by row up to ten rows, and whole above.
TEST(TreeListSelectionRepaint, RowByRowUpToTenRows) {
    uitest::Start();
    Owned<TForm> form(new TForm(nullptr));
    form->SetBounds(40, 40, 400, 600);
    auto* list = new TFocusTreeList(form.get());
    list->SetParent(form.get());
    list->SetBounds(0, 0, 300, 550);
    list->SetOptions(list->GetOptions() + TgxTreeListOptions{aoMultiSelect});
    list->BeginUpdate();
    for (int i = 0; i < 20; ++i) list->Add();
    list->EndUpdate();
    uitest::ShowForm(form.get());
    ASSERT_GE(list->GetFullVisibleRowCount(), 20);
    list->GetItem(19)->SetFocused(true);
    for (Integer selected : {10, 11}) {
        list->BeginSelectionUpdate();
        list->ClearSelection();
        for (Integer i = 0; i < selected; ++i) list->GetItem(i)->SetSelected(true);
        list->EndSelectionUpdate();
        list->ResetCounts();
        list->InvalidateSelection();
        if (selected == 10) {
            EXPECT_EQ(list->Areas.size(), 11u);
            EXPECT_EQ(list->Wholes, 0);
            // Each is one row: the focused row's first.
            EXPECT_EQ(list->Areas[0], list->GetNodeRect(list->GetItem(19)));
            EXPECT_EQ(list->Areas[10], list->GetNodeRect(list->GetItem(9)));
        } else {
            EXPECT_EQ(list->Areas.size(), 1u);
            EXPECT_EQ(list->Wholes, 1);
        }
    }
}

TEST(TreeListSelectionRepaint, KeyboardFocusRepaintsTheFocusedRowUnlessItGoesToTheEditor) {
    uitest::Start();
    Owned<TForm> form(new TForm(nullptr));
    form->SetBounds(40, 40, 400, 300);
    auto* list = new TFocusTreeList(form.get());
    list->SetParent(form.get());
    list->SetBounds(0, 0, 300, 200);
    list->Build("A,B");
    auto* editor = new TCustomControl(form.get());
    editor->SetParent(list);
    editor->SetBounds(10, 10, 50, 16);
    auto* other = new TCustomControl(form.get());
    other->SetParent(form.get());
    other->SetBounds(310, 0, 50, 50);
    uitest::ShowForm(form.get());
    const TRect row = list->GetNodeRect(list->Find("A"));
    list->SetFocus();
    EXPECT_TRUE(list->IsFocusWithin());
    list->ResetCounts();
    editor->SetFocus();
    EXPECT_TRUE(list->IsFocusWithin());
    EXPECT_TRUE(list->Areas.empty());
    list->SetFocus();
    EXPECT_TRUE(list->Areas.empty());  // back from the editor
    other->SetFocus();
    EXPECT_FALSE(list->IsFocusWithin());
    ASSERT_EQ(list->Areas.size(), 1u);
    EXPECT_EQ(list->Areas[0], row);
    list->ResetCounts();
    list->SetFocus();
    ASSERT_EQ(list->Areas.size(), 1u);
    EXPECT_EQ(list->Areas[0], row);
}
