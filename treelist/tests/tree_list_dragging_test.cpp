// Dragging with the mouse: the threshold, where a header drops (beside itself, before and after
// others, at the end of another band's row), refusals and hiding, and nodes dragged over buttons.

#include "framework/drag.h"
#include "framework/testing/ui_test_windows.h"
#include "tree_list_input_fixture.h"

namespace {

struct Dragging : InputFixture {
    // Two bands: A, B, C in the first and D, E in the second.
    void TwoBands() {
        list->SetShowBands(true);
        list->GetBands()->Add();
        AddColumns({"A", "B", "C", "D", "E"}, 80);
        for (Integer i = 3; i < 5; ++i) list->GetColumn(i)->SetBandIndex(1);
        Build("X,Y");
        list->OnDragEndHeader = [this](TObject*, TgxTreeListColumn* Column, TPoint, TgxHeaderPosInfo& Pos,
                                       bool& Accept) {
            dropped = Column->GetCaption();
            position = Pos;
            Accept = accept;
        };
    }
    // Presses the header of Column, moves past the threshold and lets go at P.
    void DragHeader(Integer Column, TPoint P) {
        const TPoint from = HeaderPoint(Column);
        Press(from);
        Move(TPoint{from.X, from.Y + 6});
        Move(P);
        Release(P);
    }
    // The captions of a visible band's first header row in order.
    std::string Row(Integer VisibleBand) {
        std::string s;
        for (Integer p = 0; p < list->GetBandRowColumnCount(VisibleBand, 0); ++p)
            s += list->GetColumn(list->GetBandRowColumnIndex(VisibleBand, 0, p))->GetCaption();
        return s;
    }
    TPoint LeftHalf(Integer Column) {
        const TRect r = HeaderRect(Column);
        return {r.Left + 3, (r.Top + r.Bottom) / 2};
    }
    TPoint RightHalf(Integer Column) {
        const TRect r = HeaderRect(Column);
        return {r.Right - 8, (r.Top + r.Bottom) / 2};
    }
    std::string dropped;
    TgxHeaderPosInfo position;
    bool accept = true;
};

}  // namespace

TEST_F(Dragging, AHeaderDragsOnlyPastFivePixels) {
    TwoBands();
    const TPoint from = HeaderPoint(1);
    Press(from);
    Move(TPoint{from.X + 5, from.Y - 5});
    EXPECT_EQ(list->GetState(), tsColumnDown);
    Move(TPoint{from.X + 6, from.Y});
    EXPECT_EQ(list->GetState(), tsColumnDragging);
    EXPECT_EQ(list->GetDraggedColumn(), 1);
    ASSERT_NE(list->GetDragImageList(), nullptr);
    EXPECT_TRUE(list->GetDragImageList()->GetDragging());
    uitest::PressKey(list, VK_ESCAPE);
    EXPECT_EQ(list->GetState(), tsNormal);
    EXPECT_EQ(list->GetDragImageList(), nullptr);
    EXPECT_FALSE(list->AreDropArrowsShown());
    Release(TPoint{from.X + 6, from.Y});
    EXPECT_EQ(Row(0), "ABC");
    EXPECT_TRUE(dropped.empty());
}

TEST_F(Dragging, TheDropArrowsShowOnTheScreenShapedLikeArrowsAndGoWithTheDrag) {
    TwoBands();
    const TPoint from = HeaderPoint(0);
    Press(from);
    Move(TPoint{from.X + 8, from.Y});
    ASSERT_EQ(list->GetState(), tsColumnDragging);
    Move(RightHalf(2));
    ASSERT_TRUE(list->AreDropArrowsShown());
    const TPoint at = list->GetDropArrowPos();
    ASSERT_NE(at, (TPoint{-100, -100}));
    auto shown = uitest::ShownOverlays();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Bounds, TRect(at.X, at.Y, at.X + 11, at.Y + list->GetHeaderRowHeight() + 18));
    // Only the arrows show: the middle of the rectangle and its corners stay uncovered (the shape
    // comes in screen coordinates).
    const Integer h = shown[0].Bounds.Height();
    const auto covered = [&](TPoint p) {
        p = TPoint{p.X + at.X, p.Y + at.Y};
        return std::any_of(shown[0].Shape.begin(), shown[0].Shape.end(), [&](const TRect& r) { return PtInRect(&r, p); });
    };
    for (TPoint p : {TPoint{5, h / 2}, TPoint{0, 0}, TPoint{10, h - 1}}) EXPECT_FALSE(covered(p)) << p.X << "," << p.Y;
    for (TPoint p : {TPoint{5, 1}, TPoint{5, 7}, TPoint{5, h - 2}, TPoint{5, h - 8}})
        EXPECT_TRUE(covered(p)) << p.X << "," << p.Y;
    Move(LeftHalf(2));
    shown = uitest::ShownOverlays();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Bounds.TopLeft(), list->GetDropArrowPos());
    uitest::PressKey(list, VK_ESCAPE);
    EXPECT_TRUE(uitest::ShownOverlays().empty());
    Release(LeftHalf(2));
}

TEST_F(Dragging, WhereAHeaderDrops) {
    struct Case {
        const char* what;
        Integer column;
        Integer target;
        bool leftHalf;
        TgxHeaderPosInfo expected;
        const char* band0;
        const char* band1;
    };
    const Case cases[] = {
        {"on itself", 0, 0, false, {0, 0, 0, -2}, "ABC", "DE"},
        {"before its successor", 0, 1, true, {0, 0, 1, -2}, "ABC", "DE"},
        {"after its predecessor", 1, 0, false, {0, 0, 0, -2}, "ABC", "DE"},
        {"before a later header", 0, 2, true, {0, 0, 1, -3}, "BAC", "DE"},
        {"after an earlier header", 2, 0, false, {0, 0, 1, -3}, "ACB", "DE"},
        {"after a later header", 0, 2, false, {0, 0, 2, -3}, "BCA", "DE"},
        {"after another band's last header", 1, 4, false, {1, 0, 2, -3}, "AC", "DEB"},
        {"before another band's first header", 2, 3, true, {1, 0, 0, -3}, "AB", "CDE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list->Free();
        list = new TgxTreeList(form);
        list->SetParent(form);
        list->SetBounds(10, 10, 480, 300);
        dropped.clear();
        TwoBands();
        DragHeader(c.column, c.leftHalf ? LeftHalf(c.target) : RightHalf(c.target));
        EXPECT_EQ(list->GetState(), tsNormal);
        EXPECT_EQ(dropped, std::string(1, char('A' + c.column)));
        EXPECT_EQ(position.BandIndex, c.expected.BandIndex);
        EXPECT_EQ(position.RowIndex, c.expected.RowIndex);
        EXPECT_EQ(position.ColIndex, c.expected.ColIndex);
        EXPECT_EQ(position.ColumnIndex, c.expected.ColumnIndex);
        EXPECT_EQ(Row(0), c.band0);
        EXPECT_EQ(Row(1), c.band1);
    }
}

TEST_F(Dragging, ARefusedDropOrTheOnlyVisibleColumnChangesNothing) {
    TwoBands();
    Options({aoExtCustomizing});
    accept = false;
    DragHeader(0, RightHalf(2));
    EXPECT_EQ(position.ColumnIndex, -3);
    EXPECT_EQ(Row(0), "ABC");
    // Out of the header panel: hidden, with extended customizing, unless it is the last one.
    accept = true;
    const TPoint outside = CellPoint("Y");
    DragHeader(0, outside);
    EXPECT_EQ(position.ColumnIndex, -1);
    EXPECT_FALSE(list->GetColumn(0)->GetVisible());
    for (Integer i = 2; i < 5; ++i) list->GetColumn(i)->SetVisible(false);
    uitest::ProcessEvents();
    ASSERT_EQ(list->GetVisibleColumnCount(), 1);
    DragHeader(1, outside);
    EXPECT_EQ(position.ColumnIndex, -1);
    EXPECT_TRUE(list->GetColumn(1)->GetVisible());
}

TEST_F(Dragging, ANodeHeldOverAButtonExpandsAndWithDragCollapseKeepsToggling) {
    AddColumns({"Name"});
    Build("A,B[B1],C");
    list->SetDragMode(dmAutomatic);
    list->SetWaitForExpandNodeTime(100);
    TPoint button{-1, -1};
    const TPoint b = CellPoint("B");
    for (Integer x = 0; x < 60 && button.X < 0; ++x)
        if (list->GetHitTestAt(x, b.Y) == hcButton) button = TPoint{x + 2, b.Y};
    ASSERT_GE(button.X, 0);
    const TPoint a = CellPoint("A");
    Press(a);
    Move(TPoint{a.X, a.Y + 7});
    Move(TPoint{a.X, a.Y + 20});
    EXPECT_EQ(list->GetState(), tsNodeDragging);
    EXPECT_EQ(Name(list->GetDragNode()), "A");
    Move(button);
    EXPECT_EQ(Name(list->GetDragExpandNode()), "B");
    EXPECT_FALSE(N("B")->GetExpanded());
    EXPECT_TRUE(uitest::WaitUntil([&] { return N("B")->GetExpanded(); }));
    Release(button);
    EXPECT_EQ(list->GetState(), tsNormal);
    EXPECT_EQ(list->GetDragNode(), nullptr);

    OptionsEx({aoDragCollapse});
    Press(a);
    Move(TPoint{a.X, a.Y + 7});
    Move(TPoint{a.X, a.Y + 20});
    Move(button);
    EXPECT_TRUE(uitest::WaitUntil([&] { return !N("B")->GetExpanded(); }));
    EXPECT_TRUE(uitest::WaitUntil([&] { return N("B")->GetExpanded(); }));
    uitest::PressKey(list, VK_ESCAPE);
    Release(button);
    EXPECT_EQ(list->GetState(), tsNormal);
}

TEST_F(Dragging, KeypadPlusAndMinusOpenAndCloseTheNodeUnderANodeDrag) {
    AddColumns({"Name"});
    Build("A,B[B1],C");
    list->SetDragMode(dmAutomatic);
    list->SetWaitForExpandNodeTime(60000);
    const TPoint a = CellPoint("A");
    const TPoint b = CellPoint("B");
    const TPoint c = CellPoint("C");
    Press(a);
    Move(TPoint{a.X, a.Y + 7});
    Move(b);
    ASSERT_TRUE(TDragManager::Active());
    uitest::KeyDown(list, VK_ADD);
    EXPECT_TRUE(N("B")->GetExpanded());
    uitest::KeyDown(list, VK_SUBTRACT);
    EXPECT_FALSE(N("B")->GetExpanded());
    // Over a node without children nothing opens; the drag goes on.
    Move(c);
    uitest::KeyDown(list, VK_ADD);
    EXPECT_FALSE(N("C")->GetExpanded());
    EXPECT_FALSE(N("B")->GetExpanded());
    EXPECT_TRUE(TDragManager::Active());
    Release(c);
    EXPECT_EQ(list->GetState(), tsNormal);
    // Without a drag the keys are the list's own again: they open and close the focused node.
    ClickAt(CellPoint("B"));
    uitest::PressKey(list, VK_ADD);
    EXPECT_TRUE(N("B")->GetExpanded());
}
