// Where everything lies: the hit test's 23 codes with their edge zones, cell and editor
// rectangles, visible and absolute column indexes, and scrolling a column into view.

#include "framework/forms.h"
#include "framework/testing/ui_test.h"
#include "tree_list_fixture.h"

namespace {

// A top panel, previews for nodes whose Data is 1 and footers closing level 0.
class THitTreeList : public TTestTreeListControl {
    LUMORA_CLASS(THitTreeList, TTestTreeListControl)
public:
    using TTestTreeListControl::TTestTreeListControl;
    Integer TopPanel = 0;
    Integer GetGroupPanelHeight() override { return TopPanel; }
    void GetPreviewText(TgxTreeListNode* Node, std::string& Text) override {
        Text = Node->GetData() == 1 ? "A preview" : "";
    }
    bool IsLevelFooter(Integer Level) override { return Level == 0; }
};

struct HitCase {
    const char* what;
    TPoint point;
    TgxTreeListHitCode code;
    Integer band;
    Integer column;  // a column of the fixture, -1 for none
    Integer row;
};

struct HitFixture : testing::Test {
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(40, 40, 800, 600);
        List = new THitTreeList(Form);
        List->SetParent(Form);
        List->SetBorderStyle(bsNone);
        List->SetScrollBars(ssNone);
        List->SetDefaultLayout(false);
        List->SetOptionsEx(List->GetOptionsEx() - TgxTreeListOptionsEx{aoBandHeaderWidth});
        uitest::ShowForm(Form);
    }
    void TearDown() override {
        Form->Free();
        uitest::ProcessEvents();
    }
    TgxTreeListColumn* AddColumn(Integer Band, Integer Row, Integer Width) {
        auto* column = new TgxTreeListColumn(Form);
        column->SetTreeList(List);
        column->SetBandIndex(Band);
        column->SetRowIndex(Row);
        column->SetWidth(Width);
        return column;
    }
    void Check(const std::vector<HitCase>& Cases, const std::vector<TgxTreeListColumn*>& Columns) {
        for (const HitCase& c : Cases) {
            const TgxTreeListHitInfo hit = List->GetHitInfo(c.point);
            const Integer column = c.column < 0 ? -1 : Columns[size_t(c.column)]->GetIndex();
            EXPECT_EQ(int(hit.HitCode), int(c.code)) << c.what;
            EXPECT_EQ(hit.Band, c.band) << c.what;
            EXPECT_EQ(hit.Column, column) << c.what;
            EXPECT_EQ(hit.Row, c.row) << c.what;
        }
    }
    TForm* Form = nullptr;
    THitTreeList* List = nullptr;
};

}  // namespace

// Two bands, the first fixed on the left, three header rows, the indicator, a footer, previews
// and row footers; the columns were made out of display order.
TEST_F(HitFixture, EveryPartOfTheListAnswersItsCode) {
    List->BeginUpdate();
    List->TopPanel = 20;
    List->SetBounds(0, 0, 700, 500);
    List->GetBands()->GetItem(0)->SetWidth(150);
    List->GetBands()->GetItem(0)->SetFixed(bfLeft);
    List->GetBands()->Add()->SetWidth(300);
    List->SetHeaderPanelRowCount(3);
    TgxTreeListColumn* low = AddColumn(1, 0, 300);
    TgxTreeListColumn* name = AddColumn(0, 0, 150);
    TgxTreeListColumn* left = AddColumn(1, 0, 100);
    TgxTreeListColumn* right = AddColumn(1, 0, 200);
    TgxTreeListColumn* middle = AddColumn(1, 0, 300);
    // Rows are given from the top down: an empty row above a column closes up at once.
    middle->SetRowIndex(1);
    low->SetRowIndex(2);
    auto* images = new TImageList(Form);
    List->SetImages(images);
    List->SetStateImages(images);
    List->SetShowBands(true);
    List->SetShowIndicator(true);
    List->SetShowFooter(true);
    List->SetShowRowFooter(true);
    List->SetOptions(List->GetOptions() + TgxTreeListOptions{aoPreview});
    List->SetOptionsEx(List->GetOptionsEx() +
                       TgxTreeListOptionsEx{aoBandPanelSizing, aoHeaderPanelSizing, aoRowSizing});
    List->Build("A(A1,A2),B");
    List->Find("A1")->SetData(1);
    List->Find("A1")->SetStateIndex(0);
    List->EndUpdate();
    const std::vector<TgxTreeListColumn*> columns = {low, name, left, right, middle};
    enum { Low, Name, Left, Right, Middle };

    // The panels from the top, from the list's own sizes.
    const Integer bandTop = 20;
    const Integer headerTop = bandTop + List->GetBandPanelHeight();
    const Integer headerRow = List->GetHeaderRowHeight();
    const Integer rowsTop = headerTop + List->GetHeaderPanelHeight();
    const Integer footerTop = 500 - List->GetFooterPanelHeight();
    ASSERT_EQ(List->GetHeaderPanelHeight(), 3 * headerRow);
    const Integer line = List->GetDefaultRowHeight();
    std::vector<Integer> tops = {rowsTop};
    for (const char* n : {"A", "A1", "A2", "B"}) tops.push_back(tops.back() + List->CalcRowHeight(List->Find(n), line));
    ASSERT_LT(tops.back() + 20, footerTop);  // an empty area below the rows
    const Integer a1Bottom = tops[2];
    const Integer a2Footer = tops[3] - List->GetRowFooterHeight();
    ASSERT_EQ(List->GetRowFooterCount(List->Find("A2")), 1);
    // The bands: the fixed one from 12 to 162 (its separator from 160), the other to 462.
    const Integer y = headerTop + 4;

    Check({
              {"outside", {-1, 5}, hcOutside, -1, -1, -1},
              {"top panel", {100, 10}, hcTopPanel, -1, -1, -1},
              {"band corner", {5, bandTop + 6}, hcBandCorner, -1, -1, -1},
              {"band", {80, bandTop + 6}, hcBand, 0, -1, -1},
              {"band, 5 left of its edge", {157, bandTop + 6}, hcBand, 0, -1, -1},
              {"band edge, 3 left of it", {159, bandTop + 6}, hcBandEdge, 0, -1, -1},
              {"band edge, 1 right of it", {163, bandTop + 6}, hcBandEdge, 0, -1, -1},
              {"next band, 4 right of the edge", {166, bandTop + 6}, hcBand, 1, -1, -1},
              {"last band's edge", {459, bandTop + 6}, hcBandEdge, 1, -1, -1},
              {"right of the band panel", {464, bandTop + 6}, hcBandEdge, 1, -1, -1},
              {"far right of the band panel", {470, bandTop + 6}, hcNowhere, -1, -1, -1},
              {"band panel edge", {100, headerTop - 2}, hcBandPanelEdge, -1, -1, -1},
              {"band panel edge below it", {100, headerTop + 3}, hcBandPanelEdge, -1, -1, -1},
              {"header corner", {5, headerTop + 10}, hcHeaderCorner, -1, -1, -1},
              {"header", {50, y + 2}, hcHeader, 0, Name, -1},
              {"below a one-row header cell", {50, headerTop + headerRow + 5}, hcNowhere, -1, -1, -1},
              {"second header row", {300, headerTop + headerRow + 5}, hcHeader, 1, Middle, -1},
              {"header edge", {260, y + 2}, hcHeaderEdge, 1, Left, -1},
              {"header edge from the next cell", {264, y + 2}, hcHeaderEdge, 1, Left, -1},
              {"next header, 4 right of the edge", {266, y + 2}, hcHeader, 1, Right, -1},
              {"last cell of a row: the band's edge", {460, y + 2}, hcBandEdge, 1, Right, -1},
              {"first cell of a band: the band before", {164, y + 2}, hcBandEdge, 0, Left, -1},
              {"header panel edge", {100, rowsTop - 1}, hcHeaderPanelEdge, -1, -1, -1},
              {"indicator", {5, tops[0] + 10}, hcIndicator, -1, -1, 0},
              {"row edge in the indicator", {5, tops[1] - 2}, hcRowEdge, -1, -1, 0},
              {"row edge below a row's top", {5, tops[1] + 2}, hcRowEdge, -1, -1, 0},
              {"row edge below the last row", {5, tops[4] + 2}, hcRowEdge, -1, -1, 3},
              {"button", {20, tops[0] + 10}, hcButton, -1, -1, 0},
              {"image", {35, tops[0] + 10}, hcImage, -1, -1, 0},
              {"indent", {20, tops[1] + 10}, hcIndent, -1, -1, 1},
              {"state image", {50, tops[1] + 10}, hcStateImage, -1, -1, 1},
              {"image after the state image", {70, tops[1] + 10}, hcImage, -1, -1, 1},
              {"cell after the tree area", {80, tops[1] + 10}, hcCell, 0, Name, 1},
              {"cell in the first line", {300, tops[0] + 10}, hcCell, 1, Right, 0},
              {"cell in the second line", {300, tops[0] + line + 5}, hcCell, 1, Middle, 0},
              {"cell in the third line", {300, tops[0] + 2 * line + 5}, hcCell, 1, Low, 0},
              {"preview", {300, a1Bottom - 3}, hcPreview, -1, -1, 1},
              {"row footer", {300, a2Footer + 5}, hcRowFooter, 1, Right, 2},
              {"row end", {600, tops[0] + 10}, hcRowEnd, -1, -1, 0},
              {"below the rows", {300, tops[4] + 20}, hcNowhere, -1, -1, -1},
              {"footer", {300, footerTop + 5}, hcFooter, 1, Right, -1},
          },
          columns);
    EXPECT_EQ(List->GetHitInfo({300, a2Footer + 5}).RowFooterIndex, 0);
    EXPECT_EQ(List->GetNodeAt(300, tops[3] + 5), List->Find("B"));
    EXPECT_EQ(List->GetHitTestAt(700, 10), hcOutside);
    EXPECT_EQ(List->GetColumnAt(300, tops[0] + line + 5), middle);  // a cell
    EXPECT_EQ(List->GetColumnAt(266, y + 2), right);                // a header
    EXPECT_EQ(List->GetColumnAt(300, footerTop + 5), nullptr);      // the footer names one, but is no cell

    // Visible positions count header row by header row, then band by band.
    std::vector<Integer> order;
    for (Integer i = 0; i < 6; ++i) order.push_back(List->VisibleToAbsoluteIndex(i));
    EXPECT_EQ(order, (std::vector<Integer>{name->GetIndex(), left->GetIndex(), right->GetIndex(),
                                           middle->GetIndex(), low->GetIndex(), -1}));
    EXPECT_EQ(List->AbsoluteToVisibleIndex(low->GetIndex()), 4);
    middle->SetVisible(false);
    EXPECT_EQ(List->AbsoluteToVisibleIndex(middle->GetIndex()), 0);  // hidden: 0, not -1
    EXPECT_EQ(List->AbsoluteToVisibleIndex(low->GetIndex()), 3);
}

// One header row, a new-item row, no indicator; the second band is wider than its room and
// scrolls under the fixed one.
TEST_F(HitFixture, ScrolledCellsNewItemRowAndRectangles) {
    List->BeginUpdate();
    List->SetBounds(0, 0, 300, 300);
    List->GetBands()->GetItem(0)->SetWidth(100);
    List->GetBands()->GetItem(0)->SetFixed(bfLeft);
    List->GetBands()->Add()->SetWidth(400);
    TgxTreeListColumn* name = AddColumn(0, 0, 100);
    TgxTreeListColumn* first = AddColumn(1, 0, 200);
    TgxTreeListColumn* second = AddColumn(1, 0, 200);
    List->SetShowNewItemRow(true);
    List->SetOptions(List->GetOptions() - TgxTreeListOptions{aoRowSelect});
    List->SetOptionsEx(List->GetOptionsEx() + TgxTreeListOptionsEx{aoRowSizing});
    List->Build("A,B,C");
    List->EndUpdate();
    const std::vector<TgxTreeListColumn*> columns = {name, first, second};
    enum { Name, First, Second };
    ASSERT_GT(List->GetNewItemRowHeight(), 0);
    const Integer newItemTop = List->GetHeaderPanelHeight();
    const Integer rowsTop = newItemTop + List->GetNewItemRowHeight();
    const Integer row = List->CalcRowHeight(List->Find("A"), List->GetDefaultRowHeight());
    EXPECT_EQ(List->GetScrollableAreaWidth(), 200);
    EXPECT_EQ(List->GetScrollableBandsWidth(), 400);

    List->SetLeftCoord(50);
    EXPECT_EQ(List->GetLeftCoord(), 50);
    Check({
              {"new-item row", {150, newItemTop + 3}, hcNewItemRow, 1, First, -1},
              {"fixed band cell", {70, rowsTop + 5}, hcCell, 0, Name, 0},
              {"scrolled cell, visible part", {120, rowsTop + 5}, hcCell, 1, First, 0},
              {"scrolled second cell", {260, rowsTop + 5}, hcCell, 1, Second, 0},
              // Without the indicator the rows' edges are still edges.
              {"row edge without indicator", {150, rowsTop + row - 2}, hcRowEdge, -1, -1, 0},
          },
          columns);

    // Scrolling a column into view: the whole cell shows, from the left when it lay left.
    List->MakeColumnVisible(2);
    EXPECT_EQ(List->GetLeftCoord(), 200);
    List->MakeColumnVisible(1);
    EXPECT_EQ(List->GetLeftCoord(), 0);
    List->MakeColumnVisible(0);  // in the fixed band: nothing
    EXPECT_EQ(List->GetLeftCoord(), 0);
    List->MakeBandVisible(1);
    EXPECT_EQ(List->GetLeftCoord(), 0);

    // The cell of the first scrollable column of B; the editor's rectangle is one pixel
    // narrower on the right without grid lines only for the last column of the last band.
    TgxTreeListNode* b = List->Find("B");
    const TRect cell = List->GetCellRect(b, 1);
    EXPECT_EQ(cell, TRect(100, rowsTop + row, 300, rowsTop + 2 * row));
    EXPECT_EQ(List->GetEditRect(b, 1), cell);
    EXPECT_EQ(List->GetCellRect(b, 2), TRect(-1, -1, -1, -1));  // scrolled out of view
    EXPECT_EQ(List->GetCellRect(b, 3), TRect(-1, -1, -1, -1));  // no such column
    List->MakeColumnVisible(2);
    EXPECT_EQ(List->GetCellRect(b, 2), cell);
    EXPECT_EQ(List->GetEditRect(b, 2), TRect(100, cell.Top, 299, cell.Bottom));
    // The first column starts after the tree area, in the fixed band.
    Integer start = 0;
    Integer end = 0;
    List->GetNodeIndent(b, start, end);
    EXPECT_EQ(List->GetCellRect(b, 0).Left, end);
    EXPECT_EQ(List->GetNodeRect(b), TRect(0, rowsTop + row, 300, rowsTop + 2 * row));
}

TEST(TreeListGeometry, NodeIndentFollowsLevelStyleAndRoot) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build("A(A1(A11))");
    auto indent = [&](const char* Name) {
        Integer start = 0;
        Integer end = 0;
        list->GetNodeIndent(list->Find(Name), start, end);
        return std::make_pair(start, end);
    };
    EXPECT_EQ(indent("A"), std::make_pair(16, 16));
    EXPECT_EQ(indent("A11"), std::make_pair(48, 48));
    list->SetPaintStyle(psOutlook);
    EXPECT_EQ(indent("A1"), std::make_pair(32, 32));  // a node with children keeps its button
    EXPECT_EQ(indent("A11"), std::make_pair(32, 32));
    list->SetPaintStyle(psStandard);
    list->SetShowRoot(false);
    EXPECT_EQ(indent("A11"), std::make_pair(32, 32));
}
