#include "tree_list_fixture.h"

namespace {

// A container that overrides nothing.
class TBareContainer : public TCustomgxContainer {
    LUMORA_CLASS(TBareContainer, TCustomgxContainer)
public:
    using TCustomgxContainer::TCustomgxContainer;
};

}  // namespace

TEST(EditorContainer, NeutralAnswers) {
    Owned<TBareContainer> c(new TBareContainer(nullptr));
    c->SetColor(clRed);
    std::string text = "x", mask = "y";
    c->GetEditText(text);
    c->GetEditMask(mask);
    EXPECT_EQ(text, "");
    EXPECT_EQ(mask, "");
    EXPECT_EQ(c->GetEditColor(), clRed);
    EXPECT_EQ(c->GetEditFont(), c->GetFont());
    EXPECT_EQ(c->GetEditCharCase(), ecNormal);
    EXPECT_EQ(c->GetEditMaxLength(), 0);
    EXPECT_EQ(c->GetEditBorderStyle(), xbsNone);
    // Only the flat look and widening for a button default to True.
    EXPECT_TRUE(c->IsFlatLook());
    EXPECT_TRUE(c->CanWidenEditorForButton());
    for (bool answer : {c->CanEditModify(), c->IsValidEditChar(U'a'), c->IgnoreEditKeys(), c->IsImmediateEditor(),
                        c->IsShowButtonAlways(), c->WantTabs(), c->GetEditReadOnly(), c->IsHideFocusRect()})
        EXPECT_FALSE(answer);

    TObject* sender = nullptr;
    Word seen = 0;
    c->OnKeyDown = [&](TObject* Sender, Word& Key, TShiftState) {
        sender = Sender;
        seen = Key;
    };
    Word key = 0x41;
    c->DoEditKeyDown(key, {ssShift});
    EXPECT_EQ(sender, c.get());
    EXPECT_EQ(seen, 0x41);
}

TEST(TreeListOptions, DefaultsAndConstruction) {
    Owned<TTestTreeList> list(new TTestTreeList);
    EXPECT_EQ(list->GetOptions().Bits(), 55u);
    EXPECT_EQ(list->GetOptionsEx().Bits(), 12350u);
    EXPECT_EQ(list->GetWidth(), 250);
    EXPECT_EQ(list->GetHeight(), 150);
    EXPECT_EQ(list->GetColor(), clWindow);
    EXPECT_TRUE(list->GetTabStop());
    EXPECT_EQ(list->GetArrowsColor(), clLime);
    EXPECT_EQ(list->GetTreeLineColor(), clGrayText);
    EXPECT_EQ(list->GetIndentDesc(), 20);
    EXPECT_EQ(list->GetPreviewLines(), 2);
    EXPECT_EQ(list->GetMaxRowLineCount(), -1);
    EXPECT_EQ(list->GetCustomizingRowCount(), 11);
    EXPECT_EQ(list->GetWaitForExpandNodeTime(), 500u);
    // The first layout measures the row height from the font.
    EXPECT_EQ(list->GetDefaultRowHeight(), list->GetMinRowLineHeight());
    EXPECT_FALSE(list->IsDefaultRowHeightStored());
    EXPECT_EQ(list->GetFocusedColumn(), 0);
    EXPECT_TRUE(list->GetShowRoot() && list->GetShowHeader() && list->GetHideSelection());
    EXPECT_FALSE(list->GetShowGrid() || list->GetShowBands() || list->GetShowNewItemRow());
    EXPECT_EQ(list->GetRowSeparatorLineWidth(), 1);
}

// Each plain query answers its own flag and nothing else.
TEST(TreeListOptions, QueriesReadTheirFlags) {
    Owned<TTestTreeList> list(new TTestTreeList);
    struct Query {
        TgxTreeListOption option;
        bool (TCustomgxTreeList::*query)();
    };
    const Query queries[] = {
        {aoEditing, &TCustomgxTreeList::IsEditingAllowed},
        {aoTabThrough, &TCustomgxTreeList::IsTabThrough},
        {aoRowSelect, &TCustomgxTreeList::IsRowSelect},
        {aoMultiSelect, &TCustomgxTreeList::IsMultiSelect},
        {aoDrawEndEllipsis, &TCustomgxTreeList::IsDrawEndEllipsis},
        {aoAutoWidth, &TCustomgxTreeList::IsAutoWidth},
        {aoExtMultiSelect, &TCustomgxTreeList::IsExtMultiSelect},
        {aoExtCustomizing, &TCustomgxTreeList::IsExtCustomizing},
        {aoHideFocusRect, &TCustomgxTreeList::IsHideFocusRect},
        {aoAutoSort, &TCustomgxTreeList::IsAutoSort},
        {aoCaseInsensitive, &TCustomgxTreeList::IsCaseInsensitive},
    };
    for (const Query& q : queries) {
        list->SetOptions({q.option});
        for (const Query& other : queries)
            EXPECT_EQ((list.get()->*other.query)(), other.option == q.option) << q.option << " " << other.option;
    }
    struct QueryEx {
        TgxTreeListOptionEx option;
        bool (TCustomgxTreeList::*query)();
    };
    const QueryEx queriesEx[] = {
        {aoInvertSelect, &TCustomgxTreeList::IsInvertSelect},   {aoUseBitmap, &TCustomgxTreeList::IsUseBitmap},
        {aoBandHeaderWidth, &TCustomgxTreeList::IsBandHeaderWidth},
        {aoAutoCalcPreviewLines, &TCustomgxTreeList::IsAutoCalcPreviewLines},
        {aoHorzThrough, &TCustomgxTreeList::IsHorzThrough},     {aoVertThrough, &TCustomgxTreeList::IsVertThrough},
        {aoCellMultiSelect, &TCustomgxTreeList::IsCellMultiSelect},
        {aoEnterShowEditor, &TCustomgxTreeList::IsEnterShowEditor},
        {aoFullSizing, &TCustomgxTreeList::IsBandFullSizing},   {aoDragScroll, &TCustomgxTreeList::CanDragScroll},
        {aoDragExpand, &TCustomgxTreeList::IsDragExpand},       {aoDragCollapse, &TCustomgxTreeList::IsDragCollapse},
        {aoShowHourGlass, &TCustomgxTreeList::IsShowHourGlass},
        {aoBandButtonClicking, &TCustomgxTreeList::IsBandButtonClicking},
        {aoBandPanelSizing, &TCustomgxTreeList::IsBandPanelSizing},
        {aoHeaderButtonClicking, &TCustomgxTreeList::IsHeaderButtonClicking},
        {aoHeaderPanelSizing, &TCustomgxTreeList::IsHeaderPanelSizing},
        {aoRowSizing, &TCustomgxTreeList::IsRowSizing},         {aoMultiSort, &TCustomgxTreeList::IsMultiSort},
        {aoAutoSortRefresh, &TCustomgxTreeList::IsAutoSortRefresh},
        {aoShowButtonAlways, &TCustomgxTreeList::IsShowButtonAlways},
        {aoAutoHeaderPanelHeight, &TCustomgxTreeList::IsAutoHeaderPanelHeight},
        {aoAnsiSort, &TCustomgxTreeList::IsAnsiSort},           {aoAutoSearch, &TCustomgxTreeList::IsAutoSearch},
    };
    list->SetOptions({});
    for (const QueryEx& q : queriesEx) {
        list->SetOptionsEx({q.option});
        for (const QueryEx& other : queriesEx)
            EXPECT_EQ((list.get()->*other.query)(), other.option == q.option) << q.option << " " << other.option;
    }
}

TEST(TreeListOptions, DerivedQueries) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->SetOptionsEx({aoEnterThrough});
    EXPECT_FALSE(list->IsEnterThrough());
    list->SetOptionsEx({aoEnterThrough, aoEnterShowEditor});
    EXPECT_TRUE(list->IsEnterThrough());

    list->SetOptionsEx({aoMouseScroll});
    list->SetOptions({aoEditing});
    EXPECT_FALSE(list->IsMouseScrollMode());
    list->SetOptions({aoEditing, aoRowSelect});
    EXPECT_TRUE(list->IsMouseScrollMode());
    list->SetOptions({});
    EXPECT_TRUE(list->IsMouseScrollMode());

    list->SetOptionsEx({aoRowAutoHeight});
    EXPECT_TRUE(list->IsRowAutoHeight());
    list->SetMaxRowLineCount(0);
    EXPECT_FALSE(list->IsRowAutoHeight());

    list->SetOptions({aoPreview});
    EXPECT_TRUE(list->IsPreviewVisible());
    list->SetPreviewLines(0);
    EXPECT_FALSE(list->IsPreviewVisible());

    list->SetOptionsEx({aoBandHeaderWidth});
    EXPECT_TRUE(list->IsHeaderSizingToClient());
    list->SetShowBands(true);
    EXPECT_FALSE(list->IsHeaderSizingToClient());

    list->SetOptions({aoColumnSizing});
    EXPECT_TRUE(list->CanSizeColumn(0));
    list->SetOptions({});
    EXPECT_FALSE(list->CanSizeColumn(0));

    const std::pair<TScrollStyle, std::pair<bool, bool>> bars[] = {
        {ssNone, {false, false}}, {ssHorizontal, {true, false}}, {ssVertical, {false, true}}, {ssBoth, {true, true}}};
    for (auto [style, expected] : bars) {
        list->SetScrollBars(style);
        EXPECT_EQ(list->HasHorzScrollBar(), expected.first);
        EXPECT_EQ(list->HasVertScrollBar(), expected.second);
    }
}

struct OptionChange {
    const char* what;
    TgxTreeListOptions startOptions;
    TgxTreeListOptionsEx startOptionsEx;
    bool changeEx;  // the change sets OptionsEx, else Options
    TgxTreeListOptions options;
    TgxTreeListOptionsEx optionsEx;
    TgxTreeListOptions wantOptions;
    TgxTreeListOptionsEx wantOptionsEx;
    int clearSortings;
};

void PrintTo(const OptionChange& c, std::ostream* os) {
    *os << c.what;
}

class TreeListOptionInterplay : public testing::TestWithParam<OptionChange> {};

TEST_P(TreeListOptionInterplay, SettersKeepTheSetsConsistent) {
    const OptionChange c = GetParam();
    Owned<TTestTreeList> list(new TTestTreeList);
    list->SetOptions(c.startOptions);
    list->SetOptionsEx(c.startOptionsEx);
    list->ClearSortings = 0;
    if (c.changeEx)
        list->SetOptionsEx(c.optionsEx);
    else
        list->SetOptions(c.options);
    EXPECT_EQ(list->GetOptions(), c.wantOptions) << c.what;
    EXPECT_EQ(list->GetOptionsEx(), c.wantOptionsEx) << c.what;
    EXPECT_EQ(list->ClearSortings, c.clearSortings) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TreeListOptionInterplay,
    testing::Values(
        OptionChange{"invert select drops row select", {aoRowSelect}, {}, true, {}, {aoInvertSelect}, {},
                     {aoInvertSelect}, 0},
        OptionChange{"row select drops invert select", {}, {aoInvertSelect}, false, {aoRowSelect}, {}, {aoRowSelect},
                     {}, 0},
        OptionChange{"auto sort on clears", {}, {}, false, {aoAutoSort}, {}, {aoAutoSort}, {}, 1},
        OptionChange{"auto sort off keeps", {aoAutoSort}, {}, false, {}, {}, {}, {}, 0},
        OptionChange{"multi sort off clears", {}, {aoMultiSort}, true, {}, {}, {}, {}, 1},
        OptionChange{"multi sort on keeps", {}, {}, true, {}, {aoMultiSort}, {}, {aoMultiSort}, 0},
        OptionChange{"ansi sort on clears", {}, {}, true, {}, {aoAnsiSort}, {}, {aoAnsiSort}, 1},
        OptionChange{"ansi sort off clears", {}, {aoAnsiSort}, true, {}, {}, {}, {}, 1},
        OptionChange{"an unchanged set does nothing", {aoAutoSort}, {}, false, {aoAutoSort}, {}, {aoAutoSort}, {},
                     0}));

TEST(TreeListOptions, ChangingOptionsReselectsTheFocusedNode) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->Build("A,B,C");
    list->Find("B")->SetFocused(true);
    list->Find("A")->SetSelected(true);
    list->Find("C")->SetSelected(true);
    int events = 0;
    list->OnSelectedCountChange = [&](TObject*) { ++events; };
    list->SetOptions(list->GetOptions() + TgxTreeListOptions{aoMultiSelect});
    EXPECT_EQ(list->Selected, std::vector<TgxTreeListNode*>{list->Find("B")});
    EXPECT_EQ(events, 1);

    // While loading the selection is left alone.
    list->Find("A")->SetSelected(true);
    {
        TLoadingBracket loading(list.get());
        list->SetOptions({aoRowSelect});
        EXPECT_EQ(list->Selected.size(), 2u);
    }
}

TEST(TreeListOptions, AppearanceClampsAndDefaults) {
    Owned<TTestTreeList> list(new TTestTreeList);
    list->SetPreviewLines(-5);
    list->SetIndentDesc(-3);
    list->SetRowSeparatorLineWidth(0);
    list->SetCustomizingRowCount(1);
    list->SetFixedBandLineWidth(-1);
    list->SetMaxRowLineCount(-9);
    EXPECT_EQ(list->GetPreviewLines(), -1);
    EXPECT_EQ(list->GetIndentDesc(), 0);
    EXPECT_EQ(list->GetRowSeparatorLineWidth(), 1);
    EXPECT_EQ(list->GetCustomizingRowCount(), 2);
    EXPECT_EQ(list->GetFixedBandLineWidth(), 1);
    EXPECT_EQ(list->GetMaxRowLineCount(), -1);
    EXPECT_TRUE(list->IsPreviewVisible() == false);  // aoPreview is off
    list->SetOptions({aoPreview});
    EXPECT_TRUE(list->IsPreviewVisible());
    EXPECT_GE(list->GetPreviewLineCount(nullptr), 0);  // a -1 never makes a row shorter

    EXPECT_EQ(list->GetGridLineColor(), clBtnShadow);
    list->SetGridLineColor(clRed);
    EXPECT_EQ(list->GetGridLineColor(), clRed);

    list->SetShowRoot(false);
    EXPECT_FALSE(list->GetShowRoot());
    list->SetPaintStyle(psOutlook);
    EXPECT_TRUE(list->GetShowRoot());

    // The stored default of the tree line colour is its initial value, so an explicit
    // clBtnShadow survives storing.
    EXPECT_FALSE(list->IsTreeLineColorStored());
    list->SetTreeLineColor(clBtnShadow);
    EXPECT_TRUE(list->IsTreeLineColorStored());

    EXPECT_FALSE(list->IsDefaultRowHeightStored());
    list->SetDefaultRowHeight(24);
    EXPECT_TRUE(list->IsDefaultRowHeightStored());

    EXPECT_FALSE(list->IsShowButtonAlways());
    list->SetOptionsEx({aoShowButtonAlways});
    EXPECT_TRUE(list->IsShowButtonAlways());
    EXPECT_TRUE(list->IsEditorButtonAt(0, 0, false));
}

TEST(TreeListOptions, ImageListsRelayoutAndAreForgottenWhenFreed) {
    Owned<TComponent> form(new TComponent(nullptr));
    auto* list = new TTestTreeList(form.get());
    auto* images = new TImageList(form.get());
    auto* states = new TImageList(nullptr);
    list->SetImages(images);
    list->SetStateImages(states);
    EXPECT_EQ(list->GetImages(), images);
    const int layouts = list->Layouts;
    images->SetWidth(20);  // a change of the list relayouts the control
    EXPECT_GT(list->Layouts, layouts);
    states->Free();  // an image list that goes is no longer used, owned elsewhere or not
    EXPECT_EQ(list->GetStateImages(), nullptr);
    images->Free();
    EXPECT_EQ(list->GetImages(), nullptr);
    list->SetImages(nullptr);
}
