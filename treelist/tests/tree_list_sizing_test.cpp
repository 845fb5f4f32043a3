// Sizing with the mouse: column and band widths shared out, the limits, Esc and the right button,
// the band panel's whole rows and the row height.

#include "tree_list_input_fixture.h"

namespace {

struct Sizing : InputFixture {
    void Columns3() {
        AddColumns({"A", "B", "C"});
        Build("X,Y");
        list->OnChangedColumnsWidth = [this](TObject*) { ++widthChanges; };
    }
    // Drags from P to P + (DX, DY) and releases there.
    void Drag(TPoint P, Integer DX, Integer DY) {
        Press(P);
        Move(TPoint{P.X + DX, P.Y + DY});
        Release(TPoint{P.X + DX, P.Y + DY});
    }
    TPoint RightEdge(Integer Column) {
        const TRect r = HeaderRect(Column);
        return {r.Right - 1, (r.Top + r.Bottom) / 2};
    }
    std::vector<Integer> Widths() {
        std::vector<Integer> w;
        for (Integer i = 0; i < list->GetColumnCount(); ++i) w.push_back(list->GetColumn(i)->GetWidth());
        return w;
    }
    int widthChanges = 0;
};

}  // namespace

TEST_F(Sizing, AColumnEdgeSizesTheColumnAndItsNeighboursOrItsBand) {
    struct Case {
        const char* what;
        bool bandHeaderWidth;
        Integer column;
        Integer dx;
        std::vector<Integer> widths;
    };
    // With the band following its header row only the column changes; inside a fixed band the
    // columns after it give up the difference by their widths.
    const Case cases[] = {
        {"with its band", true, 0, 30, {130, 100, 100}},
        {"in the band", false, 0, 30, {130, 85, 85}},
        {"a middle column", false, 1, -40, {100, 60, 140}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list->Free();
        list = new TgxTreeList(form);
        list->SetParent(form);
        list->SetBounds(10, 10, 480, 300);
        widthChanges = 0;
        if (!c.bandHeaderWidth) {
            OptionsEx({}, {aoBandHeaderWidth});
            list->SetDefaultLayout(false);
            list->GetBands()->GetItem(0)->SetWidth(300);
        }
        Columns3();
        Drag(RightEdge(c.column), c.dx, 0);
        EXPECT_EQ(list->GetState(), tsNormal);
        EXPECT_FALSE(list->IsSizeLineShown());
        EXPECT_EQ(Widths(), c.widths);
        EXPECT_EQ(widthChanges, 1);
    }
}

TEST_F(Sizing, EscOrTheRightButtonCancelsAndLeavesTheWidth) {
    Columns3();
    for (bool esc : {true, false}) {
        const TPoint p = RightEdge(1);
        Press(p);
        EXPECT_EQ(list->GetState(), tsColumnSizing);
        Move(TPoint{p.X + 40, p.Y});
        EXPECT_TRUE(list->IsSizeLineShown());
        EXPECT_EQ(list->GetSizeLinePos(), p.X + 40);
        if (esc)
            uitest::PressKey(list, VK_ESCAPE);
        else
            uitest::MouseDown(list, p.X + 40, p.Y, mbRight);
        EXPECT_EQ(list->GetState(), tsNormal);
        EXPECT_FALSE(list->IsSizeLineShown());
        Release(TPoint{p.X + 40, p.Y});
        EXPECT_EQ(Widths(), (std::vector<Integer>{100, 100, 100}));
        EXPECT_EQ(widthChanges, 0);
    }
}

TEST_F(Sizing, TheBandPanelEndsOnWholeRowsBetweenOneAndTheMaximum) {
    Columns3();
    list->SetShowBands(true);
    OptionsEx({aoBandPanelSizing});
    uitest::ProcessEvents();
    const Integer row = list->GetBandPanelHeight();
    ASSERT_GT(row, 0);
    const Integer max = list->GetBandMaxRowCount();
    struct Case {
        double rows;  // where the mouse is let go, in band rows below the panel's top
        Integer expected;
    };
    const Case cases[] = {{2.4, 2}, {2.6, 3}, {0.2, 1}, {-3, 1}, {max + 4.0, max}};
    for (const Case& c : cases) {
        list->SetBandRowCount(1);
        uitest::ProcessEvents();
        const TRect band = BandRect(0);
        const TPoint edge{band.Left + 20, band.Top + row - 1};
        ASSERT_EQ(list->GetHitTestAt(edge.X, edge.Y), hcBandPanelEdge);
        const Integer y = band.Top + Integer(c.rows * row);
        Press(edge);
        Move(TPoint{edge.X, y});
        EXPECT_EQ((list->GetSizeLinePos() - band.Top) % row, 0) << c.rows;
        Release(TPoint{edge.X, y});
        EXPECT_EQ(list->GetBandRowCount(), c.expected) << c.rows;
    }
}

TEST_F(Sizing, RowSizingRaisesTheRowHeightAndKeepsItBelowTheMinimum) {
    Columns3();
    OptionsEx({aoRowSizing});
    const Integer height = list->GetDefaultRowHeight();
    const TRect row = list->GetNodeRect(N("X"));
    const TPoint edge{200, row.Bottom - 1};
    ASSERT_EQ(list->GetHitTestAt(edge.X, edge.Y), hcRowEdge);
    Drag(edge, 0, -8);
    EXPECT_EQ(list->GetDefaultRowHeight(), height);
    // The new height reaches from the row's top to where the line was let go.
    Drag(edge, 0, 12);
    EXPECT_EQ(list->GetDefaultRowHeight(), edge.Y + 12 - row.Top);
    EXPECT_GT(list->GetDefaultRowHeight(), height);
}

TEST_F(Sizing, FullSizingLetsABandGrowPastTheWindow) {
    Columns3();
    list->SetShowBands(true);
    for (bool full : {false, true}) {
        if (full) OptionsEx({aoFullSizing});
        uitest::ProcessEvents();
        const TRect band = BandRect(0);
        const TPoint edge{band.Right - 1, (band.Top + band.Bottom) / 2};
        ASSERT_EQ(list->GetHitTestAt(edge.X, edge.Y), hcBandEdge);
        Drag(edge, 2000, 0);
        const Integer expected = full ? edge.X + 2000 - band.Left + 2 : list->GetClientWidth() - 2 - band.Left + 2;
        EXPECT_EQ(list->GetBands()->GetItem(0)->GetWidth(), expected) << full;
    }
}
