// The keyboard and the mouse of the tree list: paging, Shift ranges, Ctrl and Shift clicks,
// double clicks and buttons, the incremental search, header clicks, and Left and Right in a tree.

#include "tree_list_input_fixture.h"

namespace {

struct KeyInput : InputFixture {
    // Sixty rows "R0".."R59".
    void Rows() {
        AddColumns({"Name"});
        std::string shape;
        for (int i = 0; i < 60; ++i) shape += (i ? ",R" : "R") + std::to_string(i);
        Build(shape);
    }
    Integer FocusedIndex() { return list->GetAbsoluteIndex(list->GetFocusedNode()); }
};

}  // namespace

// Inside the page PgUp and PgDn jump to its edge rows without scrolling; on an edge row they
// move a page less one row.
TEST_F(KeyInput, PagingJumpsInsideThePageThenMovesAPageLessOneRow) {
    Rows();
    const Integer page = list->GetFullVisibleRowCount();
    ASSERT_GE(page, 5);
    ASSERT_LE(page, 25);
    list->SetTopIndex(30);
    list->SetFocusedAbsoluteIndex(32);
    ASSERT_EQ(list->GetTopIndex(), 30);
    struct Step {
        Word key;
        Integer focused;
        Integer top;
    };
    const Step steps[] = {
        {VK_PRIOR, 30, 30},
        {VK_PRIOR, 30 - (page - 1), 30 - (page - 1)},
        {VK_NEXT, 30, 30 - (page - 1)},
        {VK_NEXT, 30 + (page - 1), 30},
    };
    for (const Step& s : steps) {
        uitest::PressKey(list, s.key);
        EXPECT_EQ(FocusedIndex(), s.focused) << s.key;
        if (s.top >= 0) {
            EXPECT_EQ(list->GetTopIndex(), s.top) << s.key;
        }
    }
    // Ctrl+Home and Ctrl+End reach the ends without selecting anything new.
    uitest::PressKey(list, VK_END, {ssCtrl});
    EXPECT_EQ(FocusedIndex(), 59);
    uitest::PressKey(list, VK_HOME, {ssCtrl});
    EXPECT_EQ(FocusedIndex(), 0);
}

TEST_F(KeyInput, ShiftArrowsExtendTheRangeAndGiveItBackTowardsTheAnchor) {
    AddColumns({"Name"});
    Build("A,B,C,D,E");
    Options({aoMultiSelect});
    ClickAt(CellPoint("B"));
    ASSERT_EQ(Selected(), "B");
    uitest::PressKey(list, VK_DOWN, {ssShift});
    uitest::PressKey(list, VK_DOWN, {ssShift});
    EXPECT_EQ(Focused(), "D");
    EXPECT_EQ(Selected(), "B,C,D");
    uitest::PressKey(list, VK_UP, {ssShift});
    EXPECT_EQ(Selected(), "B,C");
    uitest::PressKey(list, VK_UP, {ssShift});
    uitest::PressKey(list, VK_UP, {ssShift});
    EXPECT_EQ(Focused(), "A");
    EXPECT_EQ(Selected(), "A,B");
    // A plain arrow drops the range: the node reached alone is selected.
    uitest::PressKey(list, VK_DOWN);
    EXPECT_EQ(Selected(), "B");
    // Ctrl+Space toggles the focused node without moving.
    uitest::PressKey(list, VK_DOWN, {ssCtrl});
    uitest::PressKey(list, VK_SPACE, {ssCtrl});
    EXPECT_EQ(Selected(), "B,C");
}

TEST_F(KeyInput, CtrlAndShiftClicksSelectWithoutMouseDownOrEditor) {
    AddColumns({"Name", "Size"});
    Build("A,B,C,D,E");
    Options({aoMultiSelect}, {aoRowSelect});
    ClickAt(CellPoint("B"));
    EXPECT_EQ(mouseDowns, 1);
    ClickAt(CellPoint("D"), {ssCtrl});
    EXPECT_EQ(Selected(), "B,D");
    ClickAt(CellPoint("D"), {ssCtrl});
    EXPECT_EQ(Selected(), "B");
    // The anchor is D (the last Ctrl click); Shift selects from it.
    ClickAt(CellPoint("A"), {ssShift});
    EXPECT_EQ(Selected(), "A,B,C,D");
    EXPECT_EQ(mouseDowns, 1);
    uitest::Wait(int(GetDoubleClickTime()) * 2);
    EXPECT_NE(list->GetState(), tsEditing);
    // A plain press on a selected node keeps the selection until the release.
    Press(CellPoint("C"));
    EXPECT_EQ(Selected(), "A,B,C,D");
    Release(CellPoint("C"));
    EXPECT_EQ(Selected(), "C");
    EXPECT_EQ(mouseDowns, 2);
}

TEST_F(KeyInput, ButtonsToggleOnTheFirstClickAndDoubleClicksToggleWithoutEditor) {
    AddColumns({"Name", "Size"});
    Build("A[A1],B");
    Options({}, {aoRowSelect});
    int dblClicks = 0;
    list->OnDblClick = [&](TObject*) { ++dblClicks; };
    TgxTreeListDrawInfo info;
    list->CalcDrawInfo(info);
    TPoint button{-1, -1};
    for (Integer x = 0; x < 60 && button.X < 0; ++x)
        if (list->GetHitInfo(TPoint{x, CellPoint("A").Y}).HitCode == hcButton) button = TPoint{x + 2, CellPoint("A").Y};
    list->FreeDrawInfo(info);
    ASSERT_GE(button.X, 0);
    ClickAt(button);
    EXPECT_TRUE(N("A")->GetExpanded());
    EXPECT_EQ(mouseDowns, 0);
    uitest::DoubleClick(list, CellPoint("A").X, CellPoint("A").Y);
    EXPECT_FALSE(N("A")->GetExpanded());
    EXPECT_EQ(dblClicks, 1);
    uitest::Wait(int(GetDoubleClickTime()) * 2);
    EXPECT_NE(list->GetState(), tsEditing);
}

TEST_F(KeyInput, TypingSearchesFromTheFocusedNodeIgnoringCaseAndWrapsOnce) {
    AddColumns({"Name"});
    Build("apple,Banana,berry,cherry,blue");
    OptionsEx({aoAutoSearch});
    list->SetFocusedCell(N("apple"), 0, true);
    struct Step {
        const char* typed;
        const char* focused;
        const char* text;
    };
    const Step steps[] = {
        {"B", "Banana", "B"},
        {"e", "berry", "Be"},
        {"x", "berry", "Be"},  // no node starts with "Bex": the character is dropped
        {"r", "berry", "Ber"},
    };
    for (const Step& s : steps) {
        uitest::TypeText(list, s.typed);
        EXPECT_EQ(Focused(), s.focused) << s.typed;
        EXPECT_EQ(list->GetSearchText(), s.text) << s.typed;
    }
    uitest::PressKey(list, VK_ESCAPE);
    EXPECT_FALSE(list->IsSearching());
    list->SetFocusedCell(N("cherry"), 0, true);
    uitest::TypeText(list, "A");  // past the end the walk starts again at the first node
    EXPECT_EQ(Focused(), "apple");
    uitest::PressKey(list, VK_ESCAPE);
    uitest::TypeText(list, "b");
    EXPECT_EQ(Focused(), "Banana");
    // Ctrl+Enter: the next match after the focused node, wrapping; Shift+Enter: the one before.
    const char* forward[] = {"berry", "blue", "Banana"};
    for (const char* expected : forward) {
        uitest::PressKey(list, VK_RETURN, {ssCtrl});
        EXPECT_EQ(Focused(), expected);
    }
    uitest::PressKey(list, VK_RETURN, {ssShift});
    EXPECT_EQ(Focused(), "blue");
}

TEST_F(KeyInput, AHeaderPressReleasedOutsideDoesNotClick) {
    AddColumns({"Name", "Size"});
    Build("B,A");
    Options({aoAutoSort}, {aoColumnMoving});
    Press(HeaderPoint(0));
    EXPECT_EQ(list->GetState(), tsColumnDown);
    Move(CellPoint("B"));
    Release(CellPoint("B"));
    EXPECT_EQ(list->GetState(), tsNormal);
    EXPECT_EQ(columnClicks, 0);
    EXPECT_EQ(list->GetColumn(0)->GetSorted(), csNone);
    ClickAt(HeaderPoint(0));
    EXPECT_EQ(columnClicks, 1);
    EXPECT_NE(list->GetColumn(0)->GetSorted(), csNone);
    EXPECT_EQ(Name(list->GetItem(0)), "A");
}

TEST_F(KeyInput, LeftAndRightWalkTheTreeUnderRowSelect) {
    AddColumns({"Name"});
    Build("A(A1[A11],A2),B");
    list->SetFocusedCell(N("A1"), 0, true);
    uitest::PressKey(list, VK_RIGHT);  // collapsed with children: expands
    EXPECT_TRUE(N("A1")->GetExpanded());
    EXPECT_EQ(Focused(), "A1");
    uitest::PressKey(list, VK_RIGHT);  // expanded: the first child
    EXPECT_EQ(Focused(), "A11");
    uitest::PressKey(list, VK_RIGHT);  // no children: the next row
    EXPECT_EQ(Focused(), "A2");
    list->SetFocusedCell(N("A11"), 0, true);
    uitest::PressKey(list, VK_LEFT);  // a first child: its parent
    EXPECT_EQ(Focused(), "A1");
    uitest::PressKey(list, VK_LEFT);  // expanded: collapses
    EXPECT_FALSE(N("A1")->GetExpanded());
    uitest::PressKey(list, VK_LEFT);  // collapsed first child: the parent again
    EXPECT_EQ(Focused(), "A");
    // "+", "-" and "*".
    uitest::TypeText(list, "-");
    EXPECT_FALSE(N("A")->GetExpanded());
    uitest::TypeText(list, "*");
    EXPECT_TRUE(N("A")->GetExpanded() && N("A1")->GetExpanded());
}
