#include "tree_list_fixture.h"

namespace {

// A column with a default of its own, as the data-aware columns have.
class TNamedColumn : public TgxTreeListColumn {
    LUMORA_CLASS(TNamedColumn, TgxTreeListColumn)
public:
    using TgxTreeListColumn::TgxTreeListColumn;
    void GetDefaultCaption(std::string& Text) override { Text = "Name"; }
    Integer GetDefaultWidth() override { return 64; }
};

struct ColumnsFixture : testing::Test {
    Owned<TComponent> form{new TComponent(nullptr)};
    TTestTreeListControl* list = new TTestTreeListControl(form.get());

    TgxTreeListColumn* AddColumn(Integer Band = 0, Integer Row = 0, const char* Name = "") {
        auto* column = new TgxTreeListColumn(form.get());
        column->SetName(Name);
        column->SetTreeList(list);
        column->SetBandIndex(Band);
        column->SetRowIndex(Row);
        return column;
    }
    void AddBands(int Count) {
        for (int i = 0; i < Count; ++i) list->GetBands()->Add();
    }
    // Band index of every column, in column order.
    std::vector<Integer> BandIndexes() {
        std::vector<Integer> bands;
        for (Integer i = 0; i < list->GetColumnCount(); ++i) bands.push_back(list->GetColumn(i)->GetBandIndex());
        return bands;
    }
    std::vector<std::string> Captions() {
        std::vector<std::string> captions;
        for (int i = 0; i < list->GetBands()->GetCount(); ++i)
            captions.push_back(list->GetBands()->GetItem(i)->GetCaption());
        return captions;
    }
};

using Ints = std::vector<Integer>;
using Strings = std::vector<std::string>;

}  // namespace

// ---- stored only when assigned ---------------------------------------------------------------

struct AssignedCase {
    const char* what;
    std::function<void(TgxTreeListColumn*)> change;
    Integer width;  // -1: the column's default width
    bool widthStored;
    bool captionAssigned;
    bool captionStored;
};

void PrintTo(const AssignedCase& c, std::ostream* os) {
    *os << c.what;
}

class TreeListColumnAssigned : public testing::TestWithParam<AssignedCase> {};

TEST_P(TreeListColumnAssigned, ValuesAndStoring) {
    const AssignedCase c = GetParam();
    Owned<TComponent> form(new TComponent(nullptr));
    auto* plain = new TgxTreeListColumn(form.get());
    auto* named = new TNamedColumn(form.get());
    for (TgxTreeListColumn* column : std::initializer_list<TgxTreeListColumn*>{plain, named}) {
        SCOPED_TRACE(std::string(c.what) + (column == named ? " (own defaults)" : ""));
        c.change(column);
        EXPECT_EQ(column->GetWidth(), c.width < 0 ? column->GetDefaultWidth() : c.width);
        EXPECT_EQ(column->IsWidthStored(), c.widthStored);
        EXPECT_EQ(column->GetAssignedValues().Contains(cavWidth), c.widthStored);
        EXPECT_EQ(column->GetAssignedValues().Contains(cavCaption), c.captionAssigned);
        EXPECT_EQ(column->IsCaptionStored(), c.captionStored);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, TreeListColumnAssigned,
    testing::Values(
        AssignedCase{"new column", [](TgxTreeListColumn*) {}, -1, false, false, false},
        AssignedCase{"the default width", [](TgxTreeListColumn* c) { c->SetWidth(c->GetDefaultWidth()); }, -1, false,
                     false, false},
        AssignedCase{"another width and back",
                     [](TgxTreeListColumn* c) {
                         c->SetWidth(c->GetDefaultWidth() + 1);
                         c->SetWidth(c->GetDefaultWidth());
                     },
                     -1, true, false, false},
        AssignedCase{"below the minimum width", [](TgxTreeListColumn* c) { c->SetWidth(5); }, 20, true, false, false},
        AssignedCase{"the default caption",
                     [](TgxTreeListColumn* c) {
                         std::string text;
                         c->GetDefaultCaption(text);
                         c->SetCaption(text);
                     },
                     -1, false, true, false},
        AssignedCase{"a caption", [](TgxTreeListColumn* c) { c->SetCaption("Size"); }, -1, false, true, true}));

TEST(TreeListColumns, NamedColumnCaptionDefault) {
    Owned<TComponent> form(new TComponent(nullptr));
    auto* named = new TNamedColumn(form.get());
    named->SetCaption("Name");
    EXPECT_EQ(named->GetCaption(), "Name");
    EXPECT_FALSE(named->IsCaptionStored());
    named->SetCaption("");
    EXPECT_TRUE(named->IsCaptionStored());
}

TEST_F(ColumnsFixture, ColourAlignmentAndReadOnlyFollowTheirDefaults) {
    TgxTreeListColumn* column = AddColumn();
    EXPECT_EQ(column->GetColor(), clWindow);
    list->SetColor(clRed);
    EXPECT_EQ(column->GetColor(), clRed);
    column->SetColor(clRed);
    EXPECT_FALSE(column->IsColorStored());  // assigned, but equal to the default
    list->SetColor(clWindow);
    EXPECT_EQ(column->GetColor(), clRed);
    EXPECT_TRUE(column->IsColorStored());

    EXPECT_FALSE(column->IsAlignmentStored());
    column->SetAlignment(taLeftJustify);
    EXPECT_TRUE(column->IsAlignmentStored());  // stored whenever assigned

    EXPECT_FALSE(column->GetReadOnly());
    list->ReadOnly = true;
    EXPECT_TRUE(column->GetReadOnly());
    EXPECT_FALSE(column->IsReadOnlyStored());
}

TEST(TreeListColumns, MinWidthRaisesTheWidth) {
    Owned<TComponent> form(new TComponent(nullptr));
    auto* column = new TgxTreeListColumn(form.get());
    column->SetMinWidth(50);  // default width 100 stays unassigned
    EXPECT_EQ(column->GetWidth(), 100);
    EXPECT_FALSE(column->IsWidthStored());
    column->SetMinWidth(10);
    column->SetWidth(30);
    column->SetMinWidth(50);
    EXPECT_EQ(column->GetWidth(), 50);
    EXPECT_TRUE(column->IsWidthStored());
    auto* fresh = new TgxTreeListColumn(form.get());
    fresh->SetMinWidth(150);
    EXPECT_EQ(fresh->GetWidth(), 150);
    EXPECT_TRUE(fresh->IsWidthStored());
    fresh->SetMinWidth(-4);
    EXPECT_EQ(fresh->GetMinWidth(), 0);
}

// ---- placement -------------------------------------------------------------------------------

TEST_F(ColumnsFixture, RowIndexKeepsTheStoredRowAcrossARowCountChange) {
    list->SetHeaderPanelRowCount(3);
    TgxTreeListColumn* row0 = AddColumn(0, 0);
    TgxTreeListColumn* row1 = AddColumn(0, 1);
    TgxTreeListColumn* row2 = AddColumn(0, 2);
    EXPECT_EQ(row2->GetRowIndex(), 2);
    list->SetHeaderPanelRowCount(2);
    EXPECT_EQ(row0->GetRowIndex(), 0);
    EXPECT_EQ(row1->GetRowIndex(), 1);
    EXPECT_EQ(row2->GetRowIndex(), 1);
    EXPECT_TRUE(row2->IsStoredRowIndexStored());
    EXPECT_EQ(row2->GetStoredRowIndex(), 2);
    list->SetHeaderPanelRowCount(3);
    EXPECT_EQ(row2->GetRowIndex(), 2);
    EXPECT_FALSE(row0->IsStoredRowIndexStored());
    // Without a tree list only the lower bound holds.
    TgxTreeListColumn* detached = new TgxTreeListColumn(form.get());
    detached->SetRowIndex(-3);
    EXPECT_EQ(detached->GetRowIndex(), 0);
    detached->SetRowIndex(4);
    EXPECT_EQ(detached->GetRowIndex(), 4);
}

TEST_F(ColumnsFixture, NormalizingClosesEmptyRows) {
    list->SetHeaderPanelRowCount(3);
    TgxTreeListColumn* a = AddColumn(0, 0);
    TgxTreeListColumn* b = AddColumn(0, 1);
    TgxTreeListColumn* c = AddColumn(0, 2);
    b->SetVisible(false);  // row 1 is left empty: row 2 moves up
    EXPECT_EQ(a->GetRowIndex(), 0);
    EXPECT_EQ(c->GetRowIndex(), 1);
    EXPECT_EQ(c->GetStoredRowIndex(), 1);

    // An explicit row count switches the automatic header height off; the control's own does not.
    list->SetOptionsEx(list->GetOptionsEx() + TgxTreeListOptionsEx{aoAutoHeaderPanelHeight});
    EXPECT_EQ(list->GetHeaderPanelRowCount(), 2);
    EXPECT_TRUE(list->IsAutoHeaderPanelHeight());
    list->SetHeaderPanelRowCount(3);
    EXPECT_FALSE(list->IsAutoHeaderPanelHeight());
    EXPECT_FALSE(list->GetDefaultLayout());
}

TEST_F(ColumnsFixture, ColIndexCountsTheVisibleColumnsOfABandRow) {
    AddBands(1);
    TgxTreeListColumn* a = AddColumn(0, 0, "A");
    TgxTreeListColumn* other = AddColumn(1, 0, "Other");
    TgxTreeListColumn* b = AddColumn(0, 0, "B");
    TgxTreeListColumn* c = AddColumn(0, 0, "C");
    EXPECT_EQ(a->GetColIndex(), 0);
    EXPECT_EQ(b->GetColIndex(), 1);
    EXPECT_EQ(c->GetColIndex(), 2);
    EXPECT_EQ(other->GetColIndex(), 0);

    a->SetColIndex(2);  // to the end of its band row
    EXPECT_EQ(a->GetColIndex(), 2);
    EXPECT_EQ(b->GetColIndex(), 0);
    EXPECT_EQ(list->GetColumn(list->GetColumnCount() - 1), a);
    c->SetColIndex(0);
    EXPECT_EQ(c->GetColIndex(), 0);
    EXPECT_EQ(b->GetColIndex(), 1);
    EXPECT_EQ(list->MovedColumns.size(), 2u);  // node texts follow every move

    b->SetVisible(false);  // a hidden column reads the position of the last visible one
    EXPECT_EQ(b->GetColIndex(), 1);
    b->SetBandIndex(-1);
    const size_t moves = list->MovedColumns.size();
    b->SetColIndex(0);  // no band: nothing
    EXPECT_EQ(list->MovedColumns.size(), moves);

    TgxTreeListColumn* detached = new TgxTreeListColumn(form.get());
    EXPECT_EQ(detached->GetColIndex(), -1);
    EXPECT_EQ(detached->GetIndex(), -1);
}

TEST_F(ColumnsFixture, SetIndexMovesInTheColumnList) {
    TgxTreeListColumn* a = AddColumn();
    TgxTreeListColumn* b = AddColumn();
    TgxTreeListColumn* c = AddColumn();
    a->SetIndex(9);  // clamped to the last position
    EXPECT_EQ(list->MovedColumns, (std::vector<std::pair<Integer, Integer>>{{0, 2}}));
    EXPECT_EQ(a->GetIndex(), 2);
    EXPECT_EQ(b->GetIndex(), 0);
    c->SetIndex(1);  // already there
    EXPECT_EQ(list->MovedColumns.size(), 1u);
    EXPECT_EQ(list->ColumnByName(""), b);
}

TEST_F(ColumnsFixture, BandIndexIsClampedToTheBands) {
    AddBands(2);
    TgxTreeListColumn* column = AddColumn();
    column->SetBandIndex(5);
    EXPECT_EQ(column->GetBandIndex(), 2);
    column->SetBandIndex(-5);
    EXPECT_EQ(column->GetBandIndex(), -1);
    EXPECT_FALSE(list->IsColumnShown(0));
    column->SetBandIndex(1);
    EXPECT_TRUE(list->IsColumnShown(0));
    list->GetBands()->GetItem(1)->SetVisible(false);
    EXPECT_FALSE(list->IsColumnShown(0));
}

// ---- bands -----------------------------------------------------------------------------------

TEST_F(ColumnsFixture, MovingABandRenumbersItsColumns) {
    AddBands(3);  // bands 0..3
    for (int i = 0; i < 4; ++i) list->GetBands()->GetItem(i)->SetCaption(std::string(1, char('a' + i)));
    for (Integer band = 0; band < 4; ++band) AddColumn(band);

    list->GetBands()->GetItem(3)->SetIndex(1);
    EXPECT_EQ(Captions(), (Strings{"a", "d", "b", "c"}));
    EXPECT_EQ(BandIndexes(), (Ints{0, 2, 3, 1}));
    list->GetBands()->GetItem(0)->SetIndex(2);
    EXPECT_EQ(Captions(), (Strings{"d", "b", "a", "c"}));
    EXPECT_EQ(BandIndexes(), (Ints{2, 1, 3, 0}));
    list->GetBands()->GetItem(1)->SetIndex(99);  // clamped to the last index
    EXPECT_EQ(Captions(), (Strings{"d", "a", "c", "b"}));
    EXPECT_EQ(BandIndexes(), (Ints{1, 3, 2, 0}));
}

TEST_F(ColumnsFixture, FixingBands) {
    AddBands(3);
    for (int i = 0; i < 4; ++i) list->GetBands()->GetItem(i)->SetCaption(std::string(1, char('a' + i)));
    for (Integer band = 0; band < 4; ++band) AddColumn(band);
    TgxTreeListBands* bands = list->GetBands();

    bands->GetItem(2)->SetFixed(bfLeft);  // "c" moves to the front
    EXPECT_EQ(Captions(), (Strings{"c", "a", "b", "d"}));
    EXPECT_EQ(BandIndexes(), (Ints{1, 2, 0, 3}));
    bands->GetItem(0)->SetIndex(3);  // a fixed band does not move
    EXPECT_EQ(Captions(), (Strings{"c", "a", "b", "d"}));

    bands->GetItem(3)->SetFixed(bfLeft);  // the second bfLeft releases the first
    EXPECT_EQ(Captions(), (Strings{"d", "c", "a", "b"}));
    EXPECT_EQ(bands->GetItem(0)->GetFixed(), bfLeft);
    EXPECT_EQ(bands->GetItem(1)->GetFixed(), bfNone);

    bands->GetItem(2)->SetFixed(bfRight);
    EXPECT_EQ(Captions(), (Strings{"d", "c", "b", "a"}));
    EXPECT_EQ(bands->GetItem(3)->GetFixed(), bfRight);

    bands->GetItem(1)->SetVisible(false);  // hiding releases the fixing, fixing a hidden band only moves it
    bands->GetItem(1)->SetFixed(bfRight);
    EXPECT_EQ(Captions(), (Strings{"d", "b", "a", "c"}));
    EXPECT_EQ(bands->GetItem(3)->GetFixed(), bfNone);
    EXPECT_EQ(bands->GetItem(2)->GetFixed(), bfNone);  // "a" lost its fixing to "c"
    EXPECT_EQ(bands->GetItem(0)->GetFixed(), bfLeft);

    // Hiding the left band leaves no band fixed left, and the first visible band is not fixed.
    bands->GetItem(0)->SetVisible(false);
    EXPECT_EQ(bands->GetItem(0)->GetFixed(), bfNone);
}

TEST_F(ColumnsFixture, CheckFixedBandsRepairsInvalidFixing) {
    AddBands(2);
    TgxTreeListBands* bands = list->GetBands();
    for (int i = 0; i < 3; ++i) bands->GetItem(i)->SetCaption(std::string(1, char('a' + i)));
    bands->GetItem(1)->SetFixed(bfLeft);
    bands->GetItem(2)->SetFixed(bfRight);
    EXPECT_EQ(Captions(), (Strings{"b", "a", "c"}));
    bands->GetItem(1)->SetIndex(0);  // "a" in front of the left band: the left band goes back first
    EXPECT_EQ(Captions(), (Strings{"b", "a", "c"}));
    bands->GetItem(1)->SetIndex(2);  // "a" behind the right band: the right band goes back last
    EXPECT_EQ(Captions(), (Strings{"b", "a", "c"}));
    EXPECT_EQ(bands->GetItem(0)->GetFixed(), bfLeft);
    EXPECT_EQ(bands->GetItem(1)->GetFixed(), bfNone);
    EXPECT_EQ(bands->GetItem(2)->GetFixed(), bfRight);
}

TEST_F(ColumnsFixture, DeletingABandRenumbersTheColumns) {
    AddBands(2);
    TgxTreeListColumn* c0 = AddColumn(0);
    TgxTreeListColumn* c1 = AddColumn(1);
    TgxTreeListColumn* c2 = AddColumn(2);
    list->GetBands()->Delete(1);
    EXPECT_EQ(c0->GetBandIndex(), 0);
    EXPECT_EQ(c1->GetBandIndex(), -1);
    EXPECT_EQ(c2->GetBandIndex(), 1);
    EXPECT_FALSE(list->GetDefaultLayout());  // more than one band

    list->SetDefaultLayout(true);  // back to one band with every column in it
    EXPECT_EQ(list->GetBands()->GetCount(), 1);
    EXPECT_EQ(BandIndexes(), (Ints{0, 0, 0}));
    EXPECT_TRUE(list->GetDefaultLayout());
    EXPECT_EQ(list->GetHeaderPanelRowCount(), 1);
}

TEST_F(ColumnsFixture, BandWidthAndRestoreDefaults) {
    TgxTreeListBand* band = list->GetBands()->GetItem(0);
    EXPECT_EQ(band->GetAlignment(), taCenter);
    band->SetWidth(10);
    EXPECT_EQ(band->GetWidth(), 30);
    band->SetMinWidth(60);
    EXPECT_EQ(band->GetWidth(), 60);
    band->SetCaption("keep");
    band->RestoreDefaults();
    EXPECT_EQ(band->GetWidth(), 250);
    EXPECT_EQ(band->GetMinWidth(), 30);
    EXPECT_EQ(band->GetCaption(), "keep");

    TgxTreeListBand* copy = list->GetBands()->Add();
    band->SetFixed(bfLeft);
    copy->Assign(band);
    EXPECT_EQ(copy->GetCaption(), "keep");
    EXPECT_EQ(copy->GetWidth(), 250);
}

// ---- sorting state ---------------------------------------------------------------------------

TEST_F(ColumnsFixture, SortedColumnsAndTheirStoredOrder) {
    TgxTreeListColumn* a = AddColumn();
    TgxTreeListColumn* b = AddColumn();
    a->SetSorted(csUp);
    EXPECT_EQ(list->GetSortedColumnCount(), 1);
    EXPECT_FALSE(a->IsSortedOrderStored());  // a single sorted column writes no order
    list->SetOptionsEx(list->GetOptionsEx() + TgxTreeListOptionsEx{aoMultiSort});
    b->SetSorted(csDown);
    EXPECT_TRUE(a->IsSortedOrderStored());
    EXPECT_EQ(a->GetSortedOrder(), 0);
    EXPECT_EQ(b->GetSortedOrder(), 1);
    EXPECT_TRUE(list->IsSortedColumnDesc(1));
    EXPECT_EQ(list->GetSortedColumnIndex(1), 1);

    a->SetSorted(csNone);
    EXPECT_EQ(list->GetSortedColumnCount(), 1);
    EXPECT_EQ(list->GetSortedColumn(0), b);
    EXPECT_THROW(list->GetSortedColumn(1), EListError);

    // The order read back from a form decides the order after loading.
    a->SetSorted(csUp);
    a->SetStoredSortedOrder(1);
    b->SetStoredSortedOrder(0);
    list->RebuildSortedColumns();
    EXPECT_EQ(list->GetSortedColumn(0), b);
    EXPECT_EQ(list->GetSortedColumn(1), a);
}

// ---- life and assigning ----------------------------------------------------------------------

TEST_F(ColumnsFixture, FreeingAColumnDropsItsValuesAndLeavesTheList) {
    list->Build("A(A1,A2),B");
    TgxTreeListColumn* a = AddColumn();
    TgxTreeListColumn* b = AddColumn();
    b->SetSorted(csUp);
    list->DeletedColumnValues = 0;
    b->Free();
    EXPECT_EQ(list->DeletedColumnValues, 4);  // every node, roots down through their children
    EXPECT_EQ(list->GetColumnCount(), 1);
    EXPECT_EQ(list->GetSortedColumnCount(), 0);
    a->SetTreeList(nullptr);
    EXPECT_EQ(list->GetColumnCount(), 0);
    EXPECT_EQ(a->GetTreeList(), nullptr);
}

TEST(TreeListColumns, FreeingTheTreeListFreesItsColumns) {
    Owned<TComponent> form(new TComponent(nullptr));
    auto* list = new TTestTreeListControl(form.get());
    auto* column = new TgxTreeListColumn(form.get());
    column->SetTreeList(list);
    EXPECT_EQ(form->GetComponentCount(), 2);
    list->Free();
    EXPECT_EQ(form->GetComponentCount(), 0);
}

TEST_F(ColumnsFixture, AssignCopiesAssignedValuesAndPlacement) {
    AddBands(1);
    TgxTreeListColumn* source = AddColumn(1);
    source->SetCaption("Size");
    source->SetWidth(100);  // the default: stays unassigned
    source->SetAlignment(taRightJustify);
    source->SetMinWidth(40);
    source->SetDisableEditor(true);
    source->SetDisableDragging(true);
    source->SetTag(7);

    TgxTreeListColumn* copy = AddColumn(0);
    copy->SetWidth(300);
    copy->Assign(source);
    EXPECT_EQ(copy->GetCaption(), "Size");
    EXPECT_EQ(copy->GetAlignment(), taRightJustify);
    EXPECT_FALSE(copy->IsWidthStored());  // the copy's own assigned width was cleared
    EXPECT_EQ(copy->GetWidth(), 100);
    EXPECT_EQ(copy->GetMinWidth(), 40);
    EXPECT_TRUE(copy->GetDisableEditor());
    EXPECT_FALSE(copy->GetDisableDragging());  // not copied
    EXPECT_EQ(copy->GetBandIndex(), 1);
    EXPECT_EQ(copy->GetColIndex(), 0);  // takes the source's position in the band row
    EXPECT_FALSE(list->IsUpdating());

    copy->RestoreDefaults();
    EXPECT_TRUE(copy->GetAssignedValues().Empty());
    EXPECT_EQ(copy->GetCaption(), "");
    EXPECT_EQ(copy->GetBandIndex(), 1);  // placement is left alone
}

// ---- fonts and drawing -------------------------------------------------------------------------

TEST_F(ColumnsFixture, ColumnFontFollowsTheTreeListUntilAssigned) {
    TgxTreeListColumn* column = AddColumn();
    list->GetFont()->SetSize(14);
    EXPECT_EQ(column->GetFont()->GetSize(), 14);  // created as a copy
    list->GetFont()->SetName("DejaVu Serif");
    EXPECT_EQ(column->GetFont()->GetName(), "DejaVu Serif");  // copied again on the next read
    EXPECT_FALSE(column->IsFontStored());

    const int layouts = list->Layouts;
    column->GetFont()->SetSize(20);  // a change from outside
    EXPECT_TRUE(column->IsFontStored());
    EXPECT_GT(list->Layouts, layouts);
    list->GetFont()->SetSize(9);
    EXPECT_EQ(column->GetFont()->GetSize(), 20);

    column->RestoreDefaults();
    EXPECT_FALSE(column->IsFontStored());
    EXPECT_EQ(column->GetFont()->GetSize(), 9);
}

TEST_F(ColumnsFixture, HeaderGlyphIsMadeOnFirstRead) {
    TgxTreeListColumn* column = AddColumn();
    EXPECT_FALSE(column->HasHeaderGlyph());
    EXPECT_TRUE(column->GetHeaderGlyph()->GetEmpty());
    EXPECT_TRUE(column->HasHeaderGlyph());
    column->SetHeaderGlyph(nullptr);
    EXPECT_FALSE(column->HasHeaderGlyph());
}

TEST_F(ColumnsFixture, PanelFontChangesClearParentFont) {
    EXPECT_EQ(list->GetPreviewFont()->GetColor(), clBlue);
    list->GetFont()->SetSize(13);
    list->SetParentFont(true);
    ASSERT_TRUE(list->GetParentFont());
    list->CopyParentFonts();
    EXPECT_TRUE(list->GetParentFont());
    EXPECT_EQ(list->GetHeaderFont()->GetSize(), 13);
    EXPECT_EQ(list->GetPreviewFont()->GetSize(), 13);
    EXPECT_EQ(list->GetPreviewFont()->GetColor(), clBlue);
    EXPECT_FALSE(list->IsBandFontStored());

    const int layouts = list->Layouts;
    list->GetBandFont()->SetSize(16);
    EXPECT_FALSE(list->GetParentFont());
    EXPECT_TRUE(list->IsBandFontStored());
    EXPECT_GT(list->Layouts, layouts);
}

TEST(TreeListColumns, CellBordersNarrowTheCell) {
    Owned<TComponent> form(new TComponent(nullptr));
    auto* column = new TgxTreeListColumn(form.get());
    Owned<TBitmap> bitmap(new TBitmap);
    bitmap->SetWidth(8);
    bitmap->SetHeight(6);
    TCanvas* canvas = bitmap->GetCanvas();
    canvas->GetBrush()->SetColor(clWhite);
    canvas->FillRect(TRect(0, 0, 8, 6));
    HBRUSH red = CreateSolidBrush(clRed);
    TRect cell(1, 1, 7, 5);
    column->DrawCellBorders(canvas->GetHandle(), cell, true, false, red);
    DeleteObject(red);
    EXPECT_EQ(cell, TRect(2, 2, 7, 4));
    std::string rows;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) rows += canvas->GetPixels(x, y) == clRed ? 'r' : '.';
        rows += '/';
    }
    EXPECT_EQ(rows, "......../.rrrrrr./.r....../.r....../.rrrrrr./......../");
}

TEST_F(ColumnsFixture, LeavingAutoWidthKeepsTheShownWidthsOnlyWhenAsked) {
    TgxTreeListColumn* column = AddColumn();
    list->SetOptions(list->GetOptions() + TgxTreeListOptions{aoAutoWidth});
    list->SetOptions(list->GetOptions() - TgxTreeListOptions{aoAutoWidth});
    EXPECT_FALSE(column->IsWidthStored());

    list->SetOptionsEx(list->GetOptionsEx() + TgxTreeListOptionsEx{aoKeepColumnWidth});
    list->SetOptions(list->GetOptions() + TgxTreeListOptions{aoAutoWidth});
    list->SetOptions(list->GetOptions() - TgxTreeListOptions{aoAutoWidth});
    EXPECT_TRUE(column->IsWidthStored());  // the width shown under auto width became the column's own
    EXPECT_EQ(column->GetWidth(), list->CalcColumnWidth(0));
}
