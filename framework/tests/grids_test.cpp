// Grids: geometry, sizes and their limits, the current cell and SelectCell, selection, keys,
// scrolling and TopLeftChanged (telling the scroll bar from the rest, as a descendant does), and
// what DrawCell is asked to draw.

#include "framework/tests/window_fixture.h"

#include "framework/grids.h"

namespace {

// A grid that logs what its virtuals see and whether a scroll came from the scroll bar.
class TProbeGrid : public TDrawGrid {
    LUMORA_CLASS(TProbeGrid, TDrawGrid)
public:
    using TDrawGrid::TDrawGrid;
    std::vector<std::string> Log;
    std::vector<std::pair<TGridCoord, TGridDrawState>> Drawn;
    bool FromBar = false;

protected:
    void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) override {
        Drawn.push_back({{ACol, ARow}, AState});
        TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
    }
    void SizeChanged(Integer OldColCount, Integer OldRowCount) override {
        Log.push_back("size " + std::to_string(OldColCount) + "x" + std::to_string(OldRowCount));
    }
    void TopLeftChanged() override {
        Log.push_back(std::string("topleft ") + std::to_string(GetTopRow()) + (FromBar ? " bar" : ""));
        TDrawGrid::TopLeftChanged();
    }
    void WMVScroll(TMessage& Message) override {
        FromBar = true;
        TDrawGrid::WMVScroll(Message);
        FromBar = false;
    }
};

class GridTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        uitest::ShowForm(Form);
        Grid = Add<TProbeGrid>({10, 10, 10 + 300, 10 + 200});
        Grid->SetDefaultColWidth(50);
        Grid->SetDefaultRowHeight(20);
        Grid->SetRowCount(50);
        Grid->SetColCount(10);
        Grid->Log.clear();
    }
    TProbeGrid* Grid = nullptr;
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(GridTest, CellGeometry) {
    // Cells are their width apart plus the grid line.
    EXPECT_EQ(Grid->CellRect(0, 0), (TRect{0, 0, 50, 20}));
    EXPECT_EQ(Grid->CellRect(2, 1), (TRect{102, 21, 152, 41}));
    Grid->SetColWidths(1, 80);
    EXPECT_EQ(Grid->CellRect(2, 1).Left, 132);
    Integer col, row;
    Grid->MouseToCell(60, 30, col, row);
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 1);
    Grid->MouseToCell(5, 5000, col, row);
    EXPECT_EQ(row, -1);
    // Inside the border and both scroll bars the client area is 280 x 180: after the fixed
    // column, columns 1 (80 wide), 2 and 3 fit whole; after the fixed row, 7 rows do.
    EXPECT_EQ(Grid->GetClientWidth(), 280);
    EXPECT_EQ(Grid->GetVisibleColCount(), 3);
    EXPECT_EQ(Grid->GetVisibleRowCount(), 7);
    // A cell scrolled out of view has no rectangle; the fixed row stays.
    Grid->SetTopRow(10);
    EXPECT_EQ(Grid->CellRect(3, 5), (TRect{}));
    EXPECT_EQ(Grid->CellRect(3, 10).Top, 21);
    EXPECT_EQ(Grid->CellRect(3, 0).Top, 0);
}

TEST_F(GridTest, CountsAndFixedLimits) {
    Grid->SetRowCount(0);
    EXPECT_EQ(Grid->GetRowCount(), 1);
    EXPECT_EQ(Grid->GetFixedRows(), 0);
    EXPECT_EQ(Grid->Log, (Strings{"size 10x50", "topleft 0"}));  // the first row is no longer fixed
    EXPECT_THROW(Grid->SetFixedRows(1), EInvalidGridOperation);
    Grid->SetRowCount(20);
    Grid->SetRow(19);
    Grid->SetRowCount(5);
    EXPECT_EQ(Grid->GetRow(), 4);
    EXPECT_THROW(Grid->SetFixedCols(10), EInvalidGridOperation);
}

TEST_F(GridTest, CurrentCellAsksSelectCellInCodeAndByTheUser) {
    std::vector<std::string> log;
    Grid->OnSelectCell = [&](TObject*, Integer ACol, Integer ARow, bool& CanSelect) {
        log.push_back(std::to_string(ACol) + "," + std::to_string(ARow));
        CanSelect = ACol != 3;
    };
    int clicks = 0;
    Grid->OnClick = [&](TObject*) { ++clicks; };
    Grid->SetRow(4);
    EXPECT_EQ(Grid->GetRow(), 4);
    Grid->SetCol(3);  // refused
    EXPECT_EQ(Grid->GetCol(), 1);
    EXPECT_EQ(log, (Strings{"1,4", "3,4"}));
    EXPECT_EQ(clicks, 2);
    TRect r = Grid->CellRect(2, 2);
    uitest::Click(Grid, r.Left + 3, r.Top + 3);
    EXPECT_EQ(Grid->GetCol(), 2);
    EXPECT_EQ(Grid->GetRow(), 2);
    EXPECT_TRUE(Grid->Focused());
    EXPECT_EQ(clicks, 3);
    // Keys move it; Ctrl+End goes to the last cell and scrolls there.
    uitest::PressKey(Grid, VK_DOWN);
    EXPECT_EQ(Grid->GetRow(), 3);
    uitest::PressKey(Grid, VK_END, {ssCtrl});
    EXPECT_EQ(Grid->GetCol(), 9);
    EXPECT_EQ(Grid->GetRow(), 49);
    EXPECT_GT(Grid->GetTopRow(), 40);
    EXPECT_GT(Grid->GetLeftCol(), 1);
    // The wheel moves the current row.
    uitest::Wheel(Grid, 120, 50, 50);
    EXPECT_EQ(Grid->GetRow(), 48);
}

TEST_F(GridTest, SelectionByShiftClickAndRows) {
    uitest::Click(Grid, Grid->CellRect(1, 1).Left + 2, Grid->CellRect(1, 1).Top + 2);
    TRect far = Grid->CellRect(3, 4);
    uitest::Click(Grid, far.Left + 2, far.Top + 2, mbLeft, {ssShift});
    EXPECT_EQ(Grid->GetSelection(), (TGridRect{1, 1, 3, 4}));
    EXPECT_EQ(Grid->GetRow(), 1);  // the current cell stays where the selection began
    uitest::PressKey(Grid, VK_DOWN, {ssShift});
    EXPECT_EQ(Grid->GetSelection(), (TGridRect{1, 2, 3, 4}));
    Grid->SetOptions(Grid->GetOptions() + TGridOptions{goRowSelect});
    Grid->SetRow(6);
    EXPECT_EQ(Grid->GetSelection(), (TGridRect{1, 6, 9, 6}));
}

TEST_F(GridTest, TopLeftChangedToldTheScrollBarFromTheRest) {
    uitest::ScrollBarAction(Grid, SB_VERT, SB_LINEDOWN);
    EXPECT_EQ(Grid->GetTopRow(), 2);
    uitest::PressKey(Grid, VK_NEXT);
    ASSERT_GE(Grid->Log.size(), 2u);
    EXPECT_EQ(Grid->Log[0], "topleft 2 bar");
    for (size_t i = 1; i < Grid->Log.size(); ++i) EXPECT_EQ(Grid->Log[i].find(" bar"), std::string::npos);
    Grid->Log.clear();
    Grid->SetTopRow(Grid->GetTopRow());  // no change, no call
    Grid->SetTopRow(1000);               // kept to the last screenful
    EXPECT_EQ(Grid->Log.size(), 1u);
    EXPECT_EQ(Grid->GetTopRow() + Grid->GetVisibleRowCount(), 50);
    int events = 0;
    Grid->OnTopLeftChanged = [&](TObject*) { ++events; };
    uitest::ScrollBarDrag(Grid, SB_VERT, {5});
    EXPECT_EQ(Grid->GetTopRow(), 5);
    EXPECT_EQ(events, 1);
}

TEST_F(GridTest, DrawCellSeesTheVisibleCellsWithTheirStates) {
    Grid->SetFocus();
    Grid->SetSelection({2, 2, 3, 2});
    Grid->Drawn.clear();
    uitest::Capture(Grid);
    auto stateOf = [&](Integer c, Integer r) {
        for (auto& d : Grid->Drawn)
            if (d.first == TGridCoord{c, r}) return d.second;
        return TGridDrawState{gdFixed, gdSelected, gdFocused};  // not drawn
    };
    EXPECT_EQ(stateOf(0, 3), (TGridDrawState{gdFixed}));
    EXPECT_EQ(stateOf(2, 2), (TGridDrawState{gdSelected}));
    EXPECT_EQ(stateOf(3, 2), (TGridDrawState{gdFocused}));  // the current cell is the far corner
    EXPECT_EQ(stateOf(1, 1), (TGridDrawState{}));
    EXPECT_EQ(stateOf(1, 40), (TGridDrawState{gdFixed, gdSelected, gdFocused}));

    // Without default drawing the grid does not paint the cell background.
    Grid->SetDefaultDrawing(false);
    Grid->OnDrawCell = [&](TObject*, Integer ACol, Integer, TRect Rect, TGridDrawState) {
        if (ACol == 3) {
            Grid->GetCanvas()->GetBrush()->SetColor(clLime);
            Grid->GetCanvas()->FillRect(Rect);
        }
    };
    uitest::TCapture cap = uitest::Capture(Grid);
    TRect m = Grid->GetNonClientMargins();
    TRect sel = Grid->CellRect(3, 2);
    EXPECT_EQ(cap.Pixel(m.Left + sel.Left + 5, m.Top + sel.Top + 5), clLime);
    TRect other = Grid->CellRect(2, 3);
    EXPECT_EQ(cap.Pixel(m.Left + other.Left + 5, m.Top + other.Top + 5), TColor(ColorToRGB(clWindow)));
}

TEST_F(GridTest, ColumnSizingWithTheMouse) {
    Grid->SetOptions(Grid->GetOptions() + TGridOptions{goColSizing});
    TRect r = Grid->CellRect(1, 0);
    uitest::MouseDown(Grid, r.Right, 5);
    uitest::MouseMove(Grid, r.Right + 30, 5);
    uitest::MouseUp(Grid, r.Right + 30, 5);
    EXPECT_EQ(Grid->GetColWidths(1), 80);
    EXPECT_EQ(Grid->GetColWidths(2), 50);
}
