// TCustomgxTreeListControl: the column list, the bands, the header rows and the sorted columns.

#include "treelist/tree_list_control.h"

#include <algorithm>

#include "framework/sysutils.h"

TCustomgxTreeListControl::TCustomgxTreeListControl(TComponent* AOwner)
    : TCustomgxTreeList(AOwner), FBands(new TgxTreeListBands(this)) {
    // The first band joins while the collection does not know its tree list yet: no relayout.
    FBands->Add();
    FBands->FTreeList = this;
}

void TCustomgxTreeListControl::BeforeDestruction() {
    TCustomgxTreeList::BeforeDestruction();
    ClearCache();
    DestroyColumns();
}

TCustomgxTreeListControl::~TCustomgxTreeListControl() {
    if (!IsDestroying()) Destroying();
    while (FColumns.GetCount() > 0) {
        auto* column = static_cast<TgxTreeListColumn*>(FColumns.Last());
        RemoveColumn(column);
        column->Free();
    }
    delete FBands;
}

void TCustomgxTreeListControl::Loaded() {
    TCustomgxTreeList::Loaded();
    NormalizeColumnRows();
    RebuildSortedColumns();
}

// ---- columns ---------------------------------------------------------------------------------

TgxTreeListColumn* TCustomgxTreeListControl::GetColumn(Integer Index) const {
    return static_cast<TgxTreeListColumn*>(FColumns.Get(Index));
}

TgxTreeListColumn* TCustomgxTreeListControl::ColumnByName(const std::string& AName) const {
    for (Integer i = 0; i < FColumns.GetCount(); ++i)
        if (SameText(GetColumn(i)->GetName(), AName)) return GetColumn(i);
    return nullptr;
}

TgxTreeListColumn* TCustomgxTreeListControl::GetSortedColumn(Integer Index) const {
    return static_cast<TgxTreeListColumn*>(FSortedColumns.Get(Index));
}

void TCustomgxTreeListControl::AddColumn(TgxTreeListColumn* Column) {
    FColumns.Add(Column);
    Column->FTreeList = this;
    ColumnChanged(Column);
}

void TCustomgxTreeListControl::RemoveColumn(TgxTreeListColumn* Column) {
    Column->FTreeList = nullptr;
    FColumns.Remove(Column);
    FSortedColumns.Remove(Column);
    if (!IsDestroying()) ColumnChanged(nullptr);
}

void TCustomgxTreeListControl::DestroyColumns() {
    while (FColumns.GetCount() > 0) {
        auto* column = static_cast<TgxTreeListColumn*>(FColumns.Last());
        RemoveColumn(column);
        column->Free();
    }
}

void TCustomgxTreeListControl::ColumnChanged(TgxTreeListColumn* Column) {
    if (IsLoading()) return;
    if (Column && !Column->FAssignedValues.Contains(cavWidth)) Column->FWidth = Column->GetDefaultWidth();
    if (FColumnChangeLock == 0) NormalizeColumnRows();
    LayoutChanged();
}

void TCustomgxTreeListControl::RestoreDefaultColumnWidths() {
    for (Integer i = 0; i < FColumns.GetCount(); ++i) {
        TgxTreeListColumn* column = GetColumn(i);
        if (!column->FAssignedValues.Contains(cavWidth)) column->FWidth = column->GetDefaultWidth();
    }
}

bool TCustomgxTreeListControl::IsColumnShown(Integer Column) {
    TgxTreeListColumn* column = GetColumn(Column);
    if (!column->GetVisible() || column->GetBandIndex() < 0 || FBands->GetCount() == 0) return false;
    if (column->GetBandIndex() >= FBands->GetCount()) return false;
    return FBands->GetItem(column->GetBandIndex())->GetVisible();
}

void TCustomgxTreeListControl::ChangeBandWidth(Integer VisibleBand, Integer Width) {
    if (TgxTreeListBand* band = FBands->GetVisibleItem(VisibleBand)) band->SetWidth(Width);
}

void TCustomgxTreeListControl::ChangeColumnWidth(Integer Column, Integer Width) {
    TgxTreeListColumn* column = GetColumn(Column);
    if (!column->GetSizing()) return;
    column->FWidth = Width < column->GetMinWidth() ? column->GetMinWidth() : Width;
    column->FAssignedValues.Include(cavWidth);
}

// ---- bands and header rows -------------------------------------------------------------------

Integer TCustomgxTreeListControl::GetBandWidth(Integer Band) {
    return Band >= 0 && Band < FBands->GetCount() ? FBands->GetItem(Band)->GetWidth() : 0;
}

Integer TCustomgxTreeListControl::GetVisibleBandWidth(Integer VisibleBand) {
    TgxTreeListBand* band = FBands->GetVisibleItem(VisibleBand);
    return band ? band->GetWidth() : 0;
}

Integer TCustomgxTreeListControl::GetBandUsedRowCount(Integer VisibleBand) {
    if (VisibleBand < 0) return 0;
    const Integer band = FBands->GetAbsoluteIndex(VisibleBand);
    if (band < 0) return 0;
    std::vector<bool> used(size_t(FHeaderPanelRowCount) + 1, false);
    Integer count = 0;
    for (Integer i = 0; i < FColumns.GetCount(); ++i) {
        TgxTreeListColumn* column = GetColumn(i);
        if (!column->GetVisible() || column->GetBandIndex() != band) continue;
        const Integer row = column->GetRowIndex();
        if (row < 0 || row > FHeaderPanelRowCount || used[row]) continue;
        used[row] = true;
        ++count;
    }
    return count;
}

Integer TCustomgxTreeListControl::GetBandRowColumnCount(Integer VisibleBand, Integer Row) {
    if (VisibleBand < 0 || Row < 0) return 0;
    const Integer band = FBands->GetAbsoluteIndex(VisibleBand);
    Integer count = 0;
    for (Integer i = 0; i < FColumns.GetCount(); ++i) {
        TgxTreeListColumn* column = GetColumn(i);
        if (column->GetVisible() && column->GetBandIndex() == band && column->GetRowIndex() == Row) ++count;
    }
    return count;
}

Integer TCustomgxTreeListControl::GetBandRowColumnIndex(Integer VisibleBand, Integer Row, Integer Position) {
    if (VisibleBand < 0 || Row < 0 || Position < 0) return -1;
    const Integer band = FBands->GetAbsoluteIndex(VisibleBand);
    if (band < 0) return -1;
    for (Integer i = 0; i < FColumns.GetCount(); ++i) {
        TgxTreeListColumn* column = GetColumn(i);
        if (column->GetVisible() && column->GetBandIndex() == band && column->GetRowIndex() == Row &&
            Position-- == 0)
            return i;
    }
    return -1;
}

Integer TCustomgxTreeListControl::GetHeaderMinRowCount() {
    const Integer base = TCustomgxTreeList::GetHeaderMinRowCount();
    return FHeaderMinRowCount > base ? FHeaderMinRowCount : base;
}

void TCustomgxTreeListControl::SetBandMaxRowCount(Integer Value) {
    FBandMaxRowCount = Value < 1 ? 1 : Value;
    SetBandRowCount(FBandRowCount);
}

void TCustomgxTreeListControl::SetBandRowCount(Integer Value) {
    if (Value > FBandMaxRowCount) Value = FBandMaxRowCount;
    if (Value < 1) Value = 1;
    if (Value == FBandRowCount) return;
    FBandRowCount = Value;
    BandRowCountChanged();
}

void TCustomgxTreeListControl::SetHeaderMinRowCount(Integer Value) {
    if (Value < 1) Value = 1;
    if (Value == FHeaderMinRowCount) return;
    FHeaderMinRowCount = Value;
    HeaderPanelRowCountChanged();
}

void TCustomgxTreeListControl::SetHeaderPanelMaxRowCount(Integer Value) {
    FHeaderPanelMaxRowCount = Value < 1 ? 1 : Value;
    SetHeaderPanelRowCount(FHeaderPanelRowCount);
}

void TCustomgxTreeListControl::SetHeaderPanelRowCount(Integer Value) {
    if (Value > FHeaderPanelMaxRowCount) Value = FHeaderPanelMaxRowCount;
    if (Value < 1) Value = 1;
    if (Value == FHeaderPanelRowCount) return;
    if (!FInternalRowCount) ResetAutoHeaderPanelHeight();
    FHeaderPanelRowCount = Value;
    if (Value > 1) FDefaultLayout = false;
    NormalizeColumnRows();
    HeaderPanelRowCountChanged();
}

void TCustomgxTreeListControl::ResetAutoHeaderPanelHeight() {
    if (GetOptionsEx().Contains(aoAutoHeaderPanelHeight)) SetOptionsEx(GetOptionsEx() - TgxTreeListOptionsEx{aoAutoHeaderPanelHeight});
}

void TCustomgxTreeListControl::BandRowCountChanged() {
    if (IsAutoHeaderPanelHeight())
        InUpdateBracket([&] { CalcHeaderPanelRowCount(); });
    else
        LayoutChanged();
}

void TCustomgxTreeListControl::CalcHeaderPanelRowCount() {
    Integer highest = -1;
    for (Integer i = 0; i < FColumns.GetCount(); ++i)
        if (IsColumnShown(i) && GetColumn(i)->GetStoredRowIndex() > highest) highest = GetColumn(i)->GetStoredRowIndex();
    if (highest < 0) return;
    TgxFlagGuard internal(FInternalRowCount);
    SetHeaderPanelRowCount(highest + 1);
}

void TCustomgxTreeListControl::NormalizeColumnRows() {
    ClearCache();
    const Integer last = FHeaderPanelRowCount - 1;
    for (Integer i = 0; i < FColumns.GetCount(); ++i) {
        TgxTreeListColumn* column = GetColumn(i);
        column->FRowIndex = std::clamp(column->FRowIndex, 0, last);
    }
    // Rows left without a visible column close up.
    for (Integer visible = 0; visible < GetVisibleBandCount(); ++visible) {
        const Integer band = GetAbsoluteBandIndex(visible);
        for (Integer row = GetBandUsedRowCount(visible) - 1; row >= 0; --row) {
            bool used = false;
            for (Integer i = 0; i < FColumns.GetCount() && !used; ++i) {
                TgxTreeListColumn* column = GetColumn(i);
                used = column->GetVisible() && column->GetBandIndex() == band && column->GetRowIndex() == row;
            }
            if (used) continue;
            for (Integer i = 0; i < FColumns.GetCount(); ++i) {
                TgxTreeListColumn* column = GetColumn(i);
                if (column->GetVisible() && column->GetBandIndex() == band && column->GetRowIndex() > row) {
                    --column->FRowIndex;
                    --column->FStoredRowIndex;
                }
            }
        }
    }
    // A column below the rows its band uses moves up to the band's last row.
    for (Integer band = 0; band < FBands->GetCount(); ++band) {
        std::vector<bool> used(size_t(FHeaderPanelRowCount) + 1, false);
        Integer count = 0;
        for (Integer i = 0; i < FColumns.GetCount(); ++i) {
            TgxTreeListColumn* column = GetColumn(i);
            const Integer row = column->GetRowIndex();
            if (column->GetVisible() && column->GetBandIndex() == band && row >= 0 && row <= FHeaderPanelRowCount &&
                !used[row]) {
                used[row] = true;
                ++count;
            }
        }
        for (Integer i = 0; i < FColumns.GetCount(); ++i) {
            TgxTreeListColumn* column = GetColumn(i);
            if (column->GetBandIndex() != band || count > column->GetRowIndex()) continue;
            const Integer row = count > 0 ? count - 1 : 0;
            column->FRowIndex = row;
            column->FStoredRowIndex = row;
        }
    }
    if (IsAutoHeaderPanelHeight() && !FInternalRowCount) CalcHeaderPanelRowCount();
    if (!IsUpdating()) RefreshCache();
}

void TCustomgxTreeListControl::SetDefaultLayout(bool Value) {
    if (Value == FDefaultLayout) return;
    FDefaultLayout = Value;
    if (Value) ApplyDefaultLayout();
}

void TCustomgxTreeListControl::ApplyDefaultLayout() {
    TgxFlagGuard applying(FApplyingDefaultLayout);
    InUpdateBracket([&] {
        SetShowBands(false);
        SetHeaderPanelRowCount(1);
        while (FBands->GetCount() > 1) FBands->Delete(FBands->GetCount() - 1);
        if (FBands->GetCount() == 0) FBands->Add();
        FBands->GetItem(0)->SetVisible(true);
        for (Integer i = 0; i < FColumns.GetCount(); ++i) GetColumn(i)->SetBandIndex(0);
    });
}

void TCustomgxTreeListControl::ClearCache() {
    TCustomgxTreeList::ClearCache();
    FVisibleBandIndexes.clear();
    FBandVisibleIndexes.clear();
    ClearColumnWidthCache();
}

// ---- sorting ---------------------------------------------------------------------------------

void TCustomgxTreeListControl::BeginSorting() {
    ++FSortUpdateCount;
}

void TCustomgxTreeListControl::EndSorting() {
    if (FSortUpdateCount > 0 && --FSortUpdateCount == 0) SortingChanged();
}

void TCustomgxTreeListControl::ColumnSortChanged(TgxTreeListColumn* Column) {
    if (Column->GetSorted() != csNone && FSortedColumns.IndexOf(Column) < 0) FSortedColumns.Add(Column);
}

void TCustomgxTreeListControl::ClearSorting() {
    FSortedColumns.Clear();
}

void TCustomgxTreeListControl::RebuildSortedColumns() {
    std::vector<TgxTreeListColumn*> sorted;
    for (Integer i = 0; i < FColumns.GetCount(); ++i)
        if (GetColumn(i)->GetSorted() != csNone) sorted.push_back(GetColumn(i));
    std::stable_sort(sorted.begin(), sorted.end(), [](TgxTreeListColumn* a, TgxTreeListColumn* b) {
        return a->GetStoredSortedOrder() < b->GetStoredSortedOrder();
    });
    FSortedColumns.Clear();
    for (TgxTreeListColumn* column : sorted) FSortedColumns.Add(column);
}
