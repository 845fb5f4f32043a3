// Row heights, the rows that fit, the top row, the scroll bars and the wheel, and the widths the
// bands and columns are shown with.

#include <numeric>

#include "framework/forms.h"
#include "framework/messages.h"
#include "framework/system_metrics.h"
#include "framework/testing/ui_test.h"
#include "tree_list_fixture.h"

namespace {

// Rows whose preview lines come from the node's Data.
class TScrollTreeList : public TTestTreeList {
    LUMORA_CLASS(TScrollTreeList, TTestTreeList)
public:
    using TTestTreeList::TTestTreeList;
    bool Keep = false;
    std::string Preview;
    Integer GetPreviewLineCount(TgxTreeListNode* Node) override {
        return Node && !Preview.empty() ? TTestTreeList::GetPreviewLineCount(Node) : Node ? Node->GetData() : 0;
    }
    void GetPreviewText(TgxTreeListNode*, std::string& Text) override { Text = Preview; }
    bool KeepScrollBars() override { return Keep; }
};

// A shown list without border or header: its client height is its height.
struct ScrollFixture : testing::Test {
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(50, 50, 600, 600);
        List = new TScrollTreeList(Form);
        List->SetParent(Form);
        List->SetBorderStyle(bsNone);
        List->SetShowHeader(false);
        List->SetBounds(0, 0, 300, 300);
        uitest::ShowForm(Form);
    }
    void TearDown() override {
        Form->Free();
        uitest::ProcessEvents();
    }
    void AddRows(int Count) {
        List->BeginUpdate();
        for (int i = 0; i < Count; ++i) List->Add();
        List->EndUpdate();
    }
    // Room for Full whole rows and half a row more.
    void FitRows(int Full) {
        const Integer row = List->GetDefaultRowHeight();
        List->SetHeight(Full * row + row / 2);
    }
    TScrollInfo VertBar() {
        TScrollInfo info;
        info.fMask = SIF_ALL;
        GetScrollInfo(List, SB_VERT, info);
        return info;
    }
    TForm* Form = nullptr;
    TScrollTreeList* List = nullptr;
};

struct TopIndexCase {
    Integer from;
    Integer request;
    Integer top;
};

class TreeListTopIndex : public ScrollFixture, public testing::WithParamInterface<TopIndexCase> {};

}  // namespace

TEST_P(TreeListTopIndex, KeepsTheLastPageFull) {
    const TopIndexCase c = GetParam();
    AddRows(100);
    FitRows(10);
    EXPECT_EQ(List->GetFullVisibleRowCount(), 10);
    EXPECT_EQ(List->GetVisibleRowCount(), 11);
    List->SetTopIndex(c.from);
    List->SetTopIndex(c.request);
    EXPECT_EQ(List->GetTopIndex(), c.top);
    EXPECT_EQ(VertBar().nPos, c.top);
}

INSTANTIATE_TEST_SUITE_P(Table, TreeListTopIndex,
                         testing::Values(TopIndexCase{0, 95, 90},     // the last page stays full
                                         TopIndexCase{0, 1000, 90},   // past the end: measured from the last row
                                         TopIndexCase{0, 100, 90},    // one past the last row
                                         TopIndexCase{50, -3, 0},     // before the first row
                                         TopIndexCase{0, 50, 50},
                                         TopIndexCase{90, 89, 89}));

TEST_F(ScrollFixture, EmptyAndSingleRowListsDoNotScroll) {
    EXPECT_EQ(List->GetTopIndex(), -1);
    List->SetTopIndex(3);
    EXPECT_EQ(List->GetTopIndex(), -1);
    EXPECT_EQ(List->GetFullVisibleRowCount(), 1);
    EXPECT_EQ(List->GetVisibleRowCount(), 1);
    EXPECT_EQ(VertBar().nMax, 0);
    EXPECT_FALSE(uitest::ScrollBarVisible(List, SB_VERT));

    AddRows(1);
    List->SetTopIndex(1);
    EXPECT_EQ(List->GetTopIndex(), 0);
}

TEST_F(ScrollFixture, RowsOfDifferentHeightsFillTheLastPageUpwards) {
    List->SetOptions(List->GetOptions() + TgxTreeListOptions{aoPreview});
    AddRows(30);
    for (Integer i = 0; i < 30; i += 3) List->GetItem(i)->SetData(2);
    FitRows(8);
    List->SetTopIndex(29);
    const Integer top = List->GetTopIndex();
    ASSERT_GT(top, 0);
    std::vector<Integer> heights;
    for (Integer i = 0; i < 30; ++i)
        heights.push_back(List->CalcRowHeight(List->GetItem(i), List->GetDefaultRowHeight()));
    EXPECT_NE(heights[0], heights[1]);
    // The rows from the top to the end fit wholly; one row more would not.
    const Integer rows = List->GetClientHeight();
    EXPECT_LE(std::accumulate(heights.begin() + top, heights.end(), 0), rows);
    EXPECT_GT(std::accumulate(heights.begin() + top - 1, heights.end(), 0), rows);
    EXPECT_EQ(List->GetFullVisibleRowCount(), 30 - top);
}

TEST_F(ScrollFixture, ScrollBarMessagesMoveTheTopRow) {
    AddRows(100);
    FitRows(10);
    auto scroll = [&](Word Code) {
        List->Perform(WM_VSCROLL, Code);
        return List->GetTopIndex();
    };
    EXPECT_EQ(scroll(SB_LINEDOWN), 1);
    EXPECT_EQ(scroll(SB_PAGEDOWN), 11);
    EXPECT_EQ(scroll(SB_LINEUP), 10);
    EXPECT_EQ(scroll(SB_PAGEUP), 0);
    EXPECT_EQ(scroll(SB_BOTTOM), 90);
    EXPECT_EQ(scroll(SB_TOP), 0);
    EXPECT_EQ(scroll(SB_ENDSCROLL), 0);
    uitest::ScrollBarDrag(List, SB_VERT, {40});
    EXPECT_EQ(List->GetTopIndex(), 40);
    uitest::ScrollBarDrag(List, SB_VERT, {95});
    EXPECT_EQ(List->GetTopIndex(), 90);
}

TEST_F(ScrollFixture, EveryWheelMessageScrollsOneRow) {
    AddRows(100);
    FitRows(10);
    uitest::Wheel(List, -3 * 120, 20, 20);
    EXPECT_EQ(List->GetTopIndex(), 1);
    uitest::Wheel(List, -120, 20, 20);
    uitest::Wheel(List, -120, 20, 20);
    EXPECT_EQ(List->GetTopIndex(), 3);
    uitest::Wheel(List, 2 * 120, 20, 20);
    EXPECT_EQ(List->GetTopIndex(), 2);
}

TEST_F(ScrollFixture, BothScrollBarsGoTogetherWhenTheRowsFitWithoutThem) {
    auto* list = new TTestTreeListControl(Form);
    list->SetParent(Form);
    list->SetBorderStyle(bsNone);
    list->SetShowHeader(false);
    auto* column = new TgxTreeListColumn(Form);
    column->SetTreeList(list);
    const Integer bar = GetSystemMetrics(SM_CXVSCROLL);
    const Integer row = list->GetDefaultRowHeight();
    // The rows and the column fit exactly without the bars: with either bar they do not.
    list->SetBounds(0, 0, 200, 10 * row);
    column->SetWidth(200);
    list->BeginUpdate();
    for (int i = 0; i < 30; ++i) list->Add();
    list->EndUpdate();
    uitest::ProcessEvents();
    ASSERT_TRUE(uitest::ScrollBarVisible(list, SB_VERT));
    ASSERT_TRUE(uitest::ScrollBarVisible(list, SB_HORZ));
    ASSERT_GT(bar, 0);

    list->BeginUpdate();
    while (list->GetCount() > 10) list->GetItem(list->GetCount() - 1)->Free();
    list->EndUpdate();
    uitest::ProcessEvents();
    EXPECT_FALSE(uitest::ScrollBarVisible(list, SB_VERT));
    EXPECT_FALSE(uitest::ScrollBarVisible(list, SB_HORZ));
    EXPECT_EQ(list->GetTopIndex(), 0);
}

TEST_F(ScrollFixture, KeptScrollBarsStay) {
    List->Keep = true;
    List->SetScrollBars(ssNone);
    ShowScrollBar(List, SB_BOTH, true);
    List->SetHeight(List->GetHeight() + 1);
    uitest::ProcessEvents();
    EXPECT_TRUE(List->ScrollBarState(SB_VERT).Shown);
    EXPECT_TRUE(List->ScrollBarState(SB_HORZ).Shown);
    List->Keep = false;
    List->SetHeight(List->GetHeight() + 1);
    EXPECT_FALSE(List->ScrollBarState(SB_VERT).Shown);
    EXPECT_FALSE(List->ScrollBarState(SB_HORZ).Shown);
}

// ---- row heights -----------------------------------------------------------------------------

TEST(TreeListRowHeights, DefaultRowHeightBelowTheMinimumIsRaisedAndNotStored) {
    Owned<TTestTreeList> list(new TTestTreeList);
    const Integer least = list->GetMinRowLineHeight();
    EXPECT_EQ(least, std::max(list->GetTextHeight() + 3, 16));
    list->SetDefaultRowHeight(least - 5);
    EXPECT_EQ(list->GetDefaultRowHeight(), least);
    EXPECT_FALSE(list->IsDefaultRowHeightStored());
    list->SetDefaultRowHeight(least + 7);
    EXPECT_EQ(list->GetDefaultRowHeight(), least + 7);
    EXPECT_TRUE(list->IsDefaultRowHeightStored());
    list->SetDefaultRowHeight(least);
    EXPECT_FALSE(list->IsDefaultRowHeightStored());
    // Grid lines inside the row lines and the inverted selection's margins raise the minimum.
    list->SetShowGrid(true);
    EXPECT_EQ(list->GetMinRowLineHeight(), least + 1);
    list->SetOptionsEx(list->GetOptionsEx() + TgxTreeListOptionsEx{aoInvertSelect});
    EXPECT_EQ(list->GetMinRowLineHeight(), least + 3);
}

struct RowHeightCase {
    const char* what;
    bool grid;
    bool previewGrid;
    bool outlook;
    bool children;
    Integer previewLines;
    // Expected height from the row line height L and the preview line height P.
    Integer (*expected)(Integer L, Integer P);
};

void PrintTo(const RowHeightCase& c, std::ostream* os) {
    *os << c.what;
}

class TreeListRowHeight : public testing::TestWithParam<RowHeightCase> {};

TEST_P(TreeListRowHeight, AddsTheLinesPreviewAndGrid) {
    const RowHeightCase c = GetParam();
    Owned<TScrollTreeList> list(new TScrollTreeList);
    list->Build("A(A1)");
    list->SetOptions(list->GetOptions() + TgxTreeListOptions{aoPreview});
    list->SetShowGrid(c.grid);
    list->SetShowPreviewGrid(c.previewGrid);
    list->SetPaintStyle(c.outlook ? psOutlook : psStandard);
    TgxTreeListNode* node = list->Find(c.children ? "A" : "A1");
    node->SetData(c.previewLines);
    const Integer L = list->GetDefaultRowHeight();
    EXPECT_EQ(list->CalcRowHeight(node, L, true), c.expected(L, list->GetPreviewTextHeight()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, TreeListRowHeight,
    testing::Values(
        RowHeightCase{"plain", false, true, false, true, 0, [](Integer L, Integer) { return L; }},
        RowHeightCase{"outlook parent one pixel taller", false, true, true, true, 0,
                      [](Integer L, Integer) { return L + 1; }},
        RowHeightCase{"outlook leaf", false, true, true, false, 0, [](Integer L, Integer) { return L; }},
        RowHeightCase{"grid line below", true, false, false, false, 0, [](Integer L, Integer) { return L + 1; }},
        RowHeightCase{"grid inside the line", true, true, false, false, 0, [](Integer L, Integer) { return L; }},
        RowHeightCase{"preview", false, true, false, false, 2, [](Integer L, Integer P) { return L + 2 * P + 2; }},
        RowHeightCase{"preview with grid", true, true, false, false, 2,
                      [](Integer L, Integer P) { return L + 2 * P + 3; }}));

TEST(TreeListRowHeights, PreviewLinesMinusOneNeverShortensARow) {
    Owned<TScrollTreeList> list(new TScrollTreeList);
    list->Build("A");
    list->SetOptions(list->GetOptions() + TgxTreeListOptions{aoPreview});
    list->Preview = "one\ntwo\nthree\nfour\nfive";
    const Integer L = list->GetDefaultRowHeight();
    const Integer P = list->GetPreviewTextHeight();
    TgxTreeListNode* node = list->Find("A");
    EXPECT_EQ(list->CalcRowHeight(node, L, true), L + 2 * P + 2);  // measured, at most two lines
    list->SetPreviewLines(-1);
    EXPECT_EQ(list->CalcRowHeight(node, L, true), L + 5 * P + 2);  // measured, no limit
    list->SetOptionsEx(list->GetOptionsEx() - TgxTreeListOptionsEx{aoAutoCalcPreviewLines});
    EXPECT_EQ(list->GetPreviewLineCount(node), 0);
    EXPECT_EQ(list->CalcRowHeight(node, L, true), L);  // not measured: no preview lines
}

TEST(TreeListRowHeights, RowFootersCloseTheLevelsThatHaveThem) {
    struct TFooterList : TScrollTreeList {
        using TScrollTreeList::TScrollTreeList;
        bool IsLevelFooter(Integer Level) override { return Level != 1; }
    };
    Owned<TFooterList> list(new TFooterList);
    list->Build("A(B(C(D,E)),F)");
    list->SetShowRowFooter(true);
    // E closes C (level 2) and, C being the last child of B, B (level 1, no footer); B is not
    // the last child of A, so A stays open.
    EXPECT_EQ(list->GetRowFooterCount(list->Find("E")), 1);
    EXPECT_EQ(list->GetRowFooterLevel(list->Find("E"), 0), 2);
    EXPECT_EQ(list->GetRowFooterLevel(list->Find("E"), 1), -1);
    EXPECT_EQ(list->GetRowFooterCount(list->Find("D")), 0);  // not the last child
    EXPECT_EQ(list->GetRowFooterCount(list->Find("C")), 0);  // has children
    EXPECT_EQ(list->GetRowFooterCount(list->Find("F")), 1);  // closes A
    const Integer L = list->GetDefaultRowHeight();
    EXPECT_EQ(list->CalcRowHeight(list->Find("F"), L, true), L + list->GetRowFooterHeight());
    list->SetShowRowFooter(false);
    EXPECT_EQ(list->GetRowFooterCount(list->Find("F")), 0);
}

// ---- band and column widths ------------------------------------------------------------------

namespace {

struct TWidth {
    Integer width;
    Integer least;
    bool sizable;
};

struct DistributionCase {
    const char* what;
    bool autoWidth;
    Integer available;  // the list's width, or the band's width for columns
    std::vector<TWidth> items;
    std::vector<Integer> expected;
};

void PrintTo(const DistributionCase& c, std::ostream* os) {
    *os << c.what;
}

// A list whose bands and columns keep the widths they are given.
struct DistributionFixture {
    Owned<TComponent> owner{new TComponent(nullptr)};
    TTestTreeListControl* list = new TTestTreeListControl(owner.get());
    DistributionFixture() {
        list->SetBorderStyle(bsNone);
        list->SetScrollBars(ssNone);
        list->SetDefaultLayout(false);
        list->SetOptionsEx(list->GetOptionsEx() - TgxTreeListOptionsEx{aoBandHeaderWidth});
    }
};

class TreeListBandWidths : public testing::TestWithParam<DistributionCase> {};
class TreeListColumnWidths : public testing::TestWithParam<DistributionCase> {};

}  // namespace

TEST_P(TreeListBandWidths, ShareTheClientWidth) {
    const DistributionCase c = GetParam();
    DistributionFixture f;
    TCustomgxTreeListControl* list = f.list;
    list->BeginUpdate();
    while (list->GetBands()->GetCount() < Integer(c.items.size())) list->GetBands()->Add();
    for (size_t i = 0; i < c.items.size(); ++i) {
        TgxTreeListBand* band = list->GetBands()->GetItem(int(i));
        band->SetMinWidth(c.items[i].least);
        band->SetWidth(c.items[i].width);
        band->SetSizing(c.items[i].sizable);
    }
    if (c.autoWidth) list->SetOptions(list->GetOptions() + TgxTreeListOptions{aoAutoWidth});
    list->SetWidth(c.available);
    list->EndUpdate();
    std::vector<Integer> widths;
    for (size_t i = 0; i < c.items.size(); ++i) widths.push_back(list->CalcBandWidth(Integer(i)));
    EXPECT_EQ(widths, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TreeListBandWidths,
    testing::Values(
        DistributionCase{"fixed widths", false, 500, {{100, 30, true}, {120, 30, true}}, {100, 120}},
        DistributionCase{
            "by preferred width", true, 500, {{100, 30, true}, {100, 30, true}, {200, 30, true}}, {125, 125, 250}},
        DistributionCase{"halves round away from zero", true, 301, {{100, 30, true}, {100, 30, true}}, {151, 150}},
        DistributionCase{"a band that is not sizable keeps its width",
                         true,
                         500,
                         {{100, 30, false}, {100, 30, true}, {200, 30, true}},
                         {100, 143, 257}},
        DistributionCase{"narrower than the minimums", true, 80, {{100, 50, true}, {100, 50, true}}, {50, 50}},
        DistributionCase{
            "no preferred width at all", true, 300, {{0, 0, true}, {0, 0, true}, {0, 0, true}}, {0, 0, 300}}));

TEST_P(TreeListColumnWidths, ShareTheBandWidth) {
    const DistributionCase c = GetParam();
    DistributionFixture f;
    TCustomgxTreeListControl* list = f.list;
    list->BeginUpdate();
    list->GetBands()->GetItem(0)->SetMinWidth(0);
    list->GetBands()->GetItem(0)->SetWidth(c.available);
    for (const TWidth& w : c.items) {
        auto* column = new TgxTreeListColumn(f.owner.get());
        column->SetTreeList(list);
        column->SetMinWidth(w.least);
        column->SetWidth(w.width);
        column->SetSizing(w.sizable);
    }
    list->EndUpdate();
    std::vector<Integer> widths;
    for (size_t i = 0; i < c.items.size(); ++i) widths.push_back(list->CalcColumnWidth(Integer(i)));
    EXPECT_EQ(widths, c.expected);
    EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0), c.available);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TreeListColumnWidths,
    testing::Values(
        DistributionCase{"by width", false, 300, {{100, 20, true}, {100, 20, true}}, {150, 150}},
        DistributionCase{"a fixed column keeps its width", false, 300,
                         {{50, 0, false}, {100, 20, true}, {100, 20, true}}, {50, 125, 125}},
        DistributionCase{"a minimum above the share", false, 200, {{100, 150, true}, {100, 20, true}}, {150, 50}},
        DistributionCase{"no width at all", false, 300, {{0, 0, true}, {0, 0, true}, {0, 0, true}}, {0, 0, 300}}));

TEST_F(ScrollFixture, HorizontalThumbMovesInStepsOfFourAndReachesTheEnd) {
    auto* list = new TTestTreeListControl(Form);
    list->SetParent(Form);
    list->SetBorderStyle(bsNone);
    list->SetBounds(0, 0, 300, 200);
    auto* column = new TgxTreeListColumn(Form);
    column->SetTreeList(list);
    column->SetWidth(1000);
    list->Add();
    uitest::ProcessEvents();
    const Integer area = list->GetScrollableAreaWidth();
    const Integer bands = list->GetScrollableBandsWidth();
    ASSERT_EQ(bands, 1000);
    for (const Integer thumb : {5, 6}) {
        list->SetLeftCoord(0);
        uitest::ScrollBarDrag(list, SB_HORZ, {thumb});
        EXPECT_EQ(list->GetLeftCoord(), 4) << thumb;
    }
    uitest::ScrollBarDrag(list, SB_HORZ, {bands - area - 1});
    EXPECT_EQ(list->GetLeftCoord(), bands - area);
    list->Perform(WM_HSCROLL, SB_LINELEFT);
    EXPECT_EQ(list->GetLeftCoord(), bands - area - list->GetDigitWidth());
    list->Perform(WM_HSCROLL, SB_LEFT);
    EXPECT_EQ(list->GetLeftCoord(), 0);
    list->Perform(WM_HSCROLL, SB_RIGHT);
    EXPECT_EQ(list->GetLeftCoord(), bands - area);
}
