// What the tree list paints, probed pixel by pixel: grid line colours, selection colours with and
// without the focus, the incremental-search highlight, dotted tree lines across scrolling, sort
// arrows and where cell texts stand.

#include "framework/forms.h"
#include "framework/messages.h"
#include "framework/testing/ui_test.h"
#include "tree_list_fixture.h"

namespace {

class TPaintTreeList : public TTestTreeListControl {
    LUMORA_CLASS(TPaintTreeList, TTestTreeListControl)
public:
    using TTestTreeListControl::TTestTreeListControl;
    using TTestTreeListControl::SetSearch;
};

// A shown list without border or scroll bars, with two columns of 150 pixels.
struct PaintFixture : testing::Test {
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(40, 40, 500, 400);
        List = new TPaintTreeList(Form);
        List->SetParent(Form);
        List->SetBorderStyle(bsNone);
        List->SetScrollBars(ssNone);
        List->SetBounds(0, 0, 300, 300);
        List->SetShowLines(false);
        First = AddColumn(150);
        Second = AddColumn(150);
        Other = new TTestTreeList(Form);
        Other->SetParent(Form);
        Other->SetBounds(310, 0, 100, 100);
        uitest::ShowForm(Form);
    }
    void TearDown() override {
        Form->Free();
        uitest::ProcessEvents();
    }
    TgxTreeListColumn* AddColumn(Integer Width) {
        auto* column = new TgxTreeListColumn(Form);
        column->SetTreeList(List);
        column->SetWidth(Width);
        return column;
    }
    void AddRows(std::initializer_list<const char*> Texts) {
        List->BeginUpdate();
        for (const char* text : Texts) {
            TgxTreeListNode* node = List->Add();
            node->SetString(0, text);
            node->SetString(1, text);
        }
        List->EndUpdate();
    }
    uitest::TCapture Shot() {
        List->Repaint();
        return uitest::Capture(List);
    }
    // Top of row Index (the rows start below the header).
    Integer RowTop(Integer Index) {
        return List->GetHeaderPanelHeight() +
               Index * List->CalcRowHeight(List->GetItem(0), List->GetDefaultRowHeight());
    }
    // The leftmost and rightmost columns between Left and Right whose pixels in the rows Top to
    // Bottom are not Background.
    std::pair<Integer, Integer> InkSpan(const uitest::TCapture& Shot, Integer Left, Integer Right, Integer Top,
                                        Integer Bottom, TColor Background) {
        Integer first = -1;
        Integer last = -1;
        for (Integer x = Left; x < Right; ++x)
            for (Integer y = Top; y < Bottom; ++y)
                if (Shot.Pixel(x, y) != ColorToRGB(Background)) {
                    if (first < 0) first = x;
                    last = x;
                }
        return {first, last};
    }
    TForm* Form = nullptr;
    TPaintTreeList* List = nullptr;
    TTestTreeList* Other = nullptr;
    TgxTreeListColumn* First = nullptr;
    TgxTreeListColumn* Second = nullptr;
};

}  // namespace

TEST_F(PaintFixture, GridLinesTakeTheButtonShadowColourUntilAColourIsSet) {
    AddRows({"A", "B", "C"});
    List->SetShowGrid(true);
    // The vertical line between the two cells of an unselected row.
    const TPoint line(149, RowTop(1) + 3);
    EXPECT_EQ(Shot().Pixel(line.X, line.Y), ColorToRGB(clBtnShadow));
    List->SetGridLineColor(clRed);
    EXPECT_EQ(Shot().Pixel(line.X, line.Y), ColorToRGB(clRed));
    List->SetShowGrid(false);
    EXPECT_EQ(Shot().Pixel(line.X, line.Y), ColorToRGB(clWindow));
}

TEST_F(PaintFixture, SelectedRowsShowWhetherTheListHasTheFocus) {
    AddRows({"A", "B"});
    List->GetItem(0)->SetFocused(true);
    const TPoint inside(140, RowTop(0) + 3);
    List->SetFocus();
    uitest::ProcessEvents();
    EXPECT_EQ(Shot().Pixel(inside.X, inside.Y), ColorToRGB(clHighlight));
    Other->SetFocus();
    uitest::ProcessEvents();
    EXPECT_EQ(Shot().Pixel(inside.X, inside.Y), ColorToRGB(clWindow));  // HideSelection
    List->SetHideSelection(false);
    EXPECT_EQ(Shot().Pixel(inside.X, inside.Y), ColorToRGB(clBtnFace));
    List->SetHideSelectionColor(clYellow);
    EXPECT_EQ(Shot().Pixel(inside.X, inside.Y), ColorToRGB(clYellow));
}

TEST_F(PaintFixture, SearchHighlightInvertsTheCellWithoutColours) {
    AddRows({"Apple", "Berry"});
    // With inverted selection the focused cell keeps the window colour.
    List->SetOptionsEx(List->GetOptionsEx() + TgxTreeListOptionsEx{aoInvertSelect});
    List->GetItem(0)->SetFocused(true);
    List->SetFocus();
    uitest::ProcessEvents();
    Integer start = 0;
    Integer end = 0;
    List->GetNodeIndent(List->GetItem(0), start, end);
    // The top left pixel of the first character's cell.
    const TPoint typed(end + 2 + 1, RowTop(0) + 2);
    EXPECT_EQ(Shot().Pixel(typed.X, typed.Y), ColorToRGB(clWindow));
    List->SetSearch(First->GetIndex(), "a");
    EXPECT_EQ(Shot().Pixel(typed.X, typed.Y), ColorToRGB(clBlack));
    List->SetAutoSearchColor(clRed);
    EXPECT_EQ(Shot().Pixel(typed.X, typed.Y), ColorToRGB(clRed));
}

TEST_F(PaintFixture, DottedTreeLinesKeepTheirPhaseWhenScrolledByAnOddDistance) {
    List->SetShowLines(true);
    List->SetTreeLineStyle(tlDot);
    List->SetDefaultRowHeight(List->GetDefaultRowHeight() | 1);
    ASSERT_EQ(List->GetDefaultRowHeight() % 2, 1);
    List->Build("A(A1,A2,A3),B(B1,B2,B3),C(C1,C2,C3),D(D1,D2,D3),E(E1,E2,E3),F(F1,F2,F3),G(G1,G2,G3)");
    List->Update();
    List->Perform(WM_VSCROLL, SB_LINEDOWN);
    ASSERT_EQ(List->GetTopIndex(), 1);
    List->Update();
    const uitest::TCapture scrolled = uitest::Capture(List);
    const uitest::TCapture painted = Shot();
    Integer differences = 0;
    for (Integer y = RowTop(0); y < scrolled.Height; ++y)
        for (Integer x = 0; x < 40; ++x) differences += scrolled.Pixel(x, y) != painted.Pixel(x, y);
    EXPECT_EQ(differences, 0);
    // The lines are dotted.
    Integer dots = 0;
    for (Integer y = RowTop(0); y < RowTop(6); ++y) dots += painted.Pixel(7, y) == ColorToRGB(clGrayText);
    EXPECT_GT(dots, 0);
    EXPECT_LT(dots, RowTop(6) - RowTop(0));
}

TEST_F(PaintFixture, NarrowHeadersShowNoSortArrow) {
    First->SetSorted(csUp);
    const Integer top = 2;
    const Integer bottom = List->GetHeaderPanelHeight() - 3;
    auto arrowInk = [&](Integer Width) {
        First->SetWidth(Width);
        const uitest::TCapture shot = Shot();
        Integer ink = 0;
        for (Integer x = 2; x < Width - 3; ++x)
            for (Integer y = top; y < bottom; ++y) ink += shot.Pixel(x, y) != ColorToRGB(clBtnFace);
        return ink;
    };
    First->SetMinWidth(0);
    EXPECT_GT(arrowInk(60), 0);
    EXPECT_EQ(arrowInk(15), 0);
}

TEST_F(PaintFixture, CentredTextIsCentredInItsCellAndRightTextEndsBeforeTheMargin) {
    AddRows({"WW", "x"});
    List->SetOptions(List->GetOptions() - TgxTreeListOptions{aoRowSelect});
    List->GetItem(1)->SetFocused(true);
    const Integer top = RowTop(0);
    const Integer bottom = RowTop(1);
    Second->SetAlignment(taCenter);
    auto [left, right] = InkSpan(Shot(), 150, 300, top, bottom, clWindow);
    ASSERT_GE(left, 150);
    EXPECT_LE(std::abs((left + right + 1) - 450), 2) << left << ".." << right;
    Second->SetAlignment(taRightJustify);
    std::tie(left, right) = InkSpan(Shot(), 150, 300, top, bottom, clWindow);
    EXPECT_LE(right, 300 - 3);
    EXPECT_GE(right, 300 - 6);
}
