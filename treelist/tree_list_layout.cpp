// The band-and-column tree list's answers to the band, column, header, cell and footer queries,
// the band layout and the column-width cache.

#include "treelist/tree_list_control.h"

#include <algorithm>
#include <tuple>

// ---- bands -----------------------------------------------------------------------------------

TAlignment TCustomgxTreeListControl::GetBandAlignment(Integer Band) {
    return FBands->GetItem(Band)->GetAlignment();
}

void TCustomgxTreeListControl::GetBandCaption(Integer Band, std::string& Text) {
    Text = FBands->GetItem(Band)->GetCaption();
}

Integer TCustomgxTreeListControl::GetBandWidth(Integer Band) {
    return Band >= 0 && Band < FBands->GetCount() ? FBands->GetItem(Band)->GetWidth() : 0;
}

TAlignment TCustomgxTreeListControl::GetVisibleBandAlignment(Integer VisibleBand) {
    TgxTreeListBand* band = FBands->GetVisibleItem(VisibleBand);
    return band ? band->GetAlignment() : taLeftJustify;
}

Integer TCustomgxTreeListControl::GetVisibleBandWidth(Integer VisibleBand) {
    TgxTreeListBand* band = FBands->GetVisibleItem(VisibleBand);
    return band ? band->GetWidth() : 0;
}

Integer TCustomgxTreeListControl::GetVisibleBandMinWidth(Integer VisibleBand) {
    TgxTreeListBand* band = FBands->GetVisibleItem(VisibleBand);
    return band ? band->GetMinWidth() : 0;
}

void TCustomgxTreeListControl::GetVisibleBandCaption(Integer VisibleBand, std::string& Text) {
    TgxTreeListBand* band = FBands->GetVisibleItem(VisibleBand);
    Text = band ? band->GetCaption() : std::string();
}

Integer TCustomgxTreeListControl::GetLeftFixedBand() {
    TgxTreeListBand* first = FBands->GetVisibleItem(0);
    return first && first->GetFixed() == bfLeft ? 0 : -1;
}

Integer TCustomgxTreeListControl::GetRightFixedBand() {
    const Integer last = FBands->GetVisibleCount() - 1;
    TgxTreeListBand* band = FBands->GetVisibleItem(last);
    return band && band->GetFixed() == bfRight ? last : -1;
}

bool TCustomgxTreeListControl::IsBandOnlyOwnColumns(Integer VisibleBand) {
    TgxTreeListBand* band = FBands->GetVisibleItem(VisibleBand);
    return band && band->GetOnlyOwnColumns();
}

// ---- where the columns stand -----------------------------------------------------------------

void TCustomgxTreeListControl::BuildBandLayout() {
    {
        TgxFlagGuard building(FBandCacheBuilding);
        FVisibleBandIndexes.clear();
        FBandVisibleIndexes.assign(size_t(FBands->GetCount()), -1);
        for (Integer i = 0; i < FBands->GetCount(); ++i) {
            if (!FBands->GetItem(i)->GetVisible()) continue;
            FBandVisibleIndexes[size_t(i)] = Integer(FVisibleBandIndexes.size());
            FVisibleBandIndexes.push_back(i);
        }
    }
    {
        TgxFlagGuard building(FBandLayoutBuilding);
        FBandLayout.clear();
        // (band, row, column-list position) of every shown column.
        std::vector<std::tuple<Integer, Integer, Integer>> entries;
        for (Integer i = 0; i < FColumns.GetCount(); ++i) {
            TgxTreeListColumn* column = GetColumn(i);
            const Integer band = column->GetBandIndex();
            if (!column->GetVisible() || band < 0 || band >= Integer(FBandVisibleIndexes.size()) ||
                FBandVisibleIndexes[size_t(band)] < 0)
                continue;
            entries.emplace_back(band, column->GetRowIndex(), i);
        }
        std::sort(entries.begin(), entries.end());
        Integer lastBand = -1;
        Integer lastRow = -1;
        for (const auto& [band, row, position] : entries) {
            if (band != lastBand) {
                const size_t visible = size_t(FBandVisibleIndexes[size_t(band)]);
                FBandLayout.resize(visible + 1);
                lastBand = band;
                lastRow = -1;
            }
            auto& rows = FBandLayout.back();
            if (row != lastRow) {
                rows.emplace_back();
                lastRow = row;
            }
            rows.back().push_back(position);
        }
    }
    ClearColumnWidthCache();
}

Integer TCustomgxTreeListControl::GetBandUsedRowCount(Integer VisibleBand) {
    if (VisibleBand < 0) return 0;
    if (IsBandLayoutValid())
        return VisibleBand < Integer(FBandLayout.size()) ? Integer(FBandLayout[size_t(VisibleBand)].size()) : 0;
    const Integer band = FBands->GetAbsoluteIndex(VisibleBand);
    if (band < 0) return 0;
    std::vector<bool> used(size_t(FHeaderPanelRowCount) + 1, false);
    Integer count = 0;
    for (Integer i = 0; i < FColumns.GetCount(); ++i) {
        TgxTreeListColumn* column = GetColumn(i);
        if (!column->GetVisible() || column->GetBandIndex() != band) continue;
        const Integer row = column->GetRowIndex();
        if (row < 0 || row > FHeaderPanelRowCount || used[size_t(row)]) continue;
        used[size_t(row)] = true;
        ++count;
    }
    return count;
}

Integer TCustomgxTreeListControl::GetBandRowColumnCount(Integer VisibleBand, Integer Row) {
    if (VisibleBand < 0 || Row < 0) return 0;
    if (IsBandLayoutValid()) {
        if (VisibleBand >= Integer(FBandLayout.size())) return 0;
        const auto& rows = FBandLayout[size_t(VisibleBand)];
        return Row < Integer(rows.size()) ? Integer(rows[size_t(Row)].size()) : 0;
    }
    const Integer band = FBands->GetAbsoluteIndex(VisibleBand);
    if (band < 0) return 0;
    Integer count = 0;
    for (Integer i = 0; i < FColumns.GetCount(); ++i) {
        TgxTreeListColumn* column = GetColumn(i);
        if (column->GetVisible() && column->GetBandIndex() == band && column->GetRowIndex() == Row) ++count;
    }
    return count;
}

Integer TCustomgxTreeListControl::GetBandRowColumnIndex(Integer VisibleBand, Integer Row, Integer Position) {
    if (VisibleBand < 0 || Row < 0 || Position < 0) return -1;
    if (IsBandLayoutValid()) {
        if (VisibleBand >= Integer(FBandLayout.size())) return -1;
        const auto& rows = FBandLayout[size_t(VisibleBand)];
        if (Row >= Integer(rows.size())) return -1;
        const auto& columns = rows[size_t(Row)];
        return Position < Integer(columns.size()) ? columns[size_t(Position)] : -1;
    }
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

// ---- caches ----------------------------------------------------------------------------------

void TCustomgxTreeListControl::PrepareLayout() {
    TCustomgxTreeList::PrepareLayout();
    BuildBandLayout();
}

void TCustomgxTreeListControl::RefreshCache() {
    TCustomgxTreeList::RefreshCache();
    if (IsDestroying()) return;
    BuildBandLayout();
}

void TCustomgxTreeListControl::ClearCache() {
    TCustomgxTreeList::ClearCache();
    FVisibleBandIndexes.clear();
    FBandVisibleIndexes.clear();
    FBandLayout.clear();
    ClearColumnWidthCache();
}

void TCustomgxTreeListControl::ClearRowHeightCache() {
    TCustomgxTreeList::ClearRowHeightCache();
    ClearColumnWidthCache();
}

void TCustomgxTreeListControl::BuildColumnWidthCache() {
    TgxFlagGuard building(FColumnWidthsBuilding);
    std::vector<Integer> widths(size_t(FColumns.GetCount()), 0);
    for (Integer i = 0; i < FColumns.GetCount(); ++i)
        if (IsColumnShown(i)) widths[size_t(i)] = CalcColumnWidth(i);
    FColumnWidths.swap(widths);
}

Integer TCustomgxTreeListControl::CalcColumnWidth(Integer Column) {
    if (!FColumnWidthsBuilding) {
        if (FColumnWidths.empty() && !IsUpdating()) BuildColumnWidthCache();
        if (Column >= 0 && Column < Integer(FColumnWidths.size())) return FColumnWidths[size_t(Column)];
    }
    return TCustomgxTreeList::CalcColumnWidth(Column);
}

// ---- columns, headers, cells and footers -----------------------------------------------------

bool TCustomgxTreeListControl::IsColumnShown(Integer Column) {
    TgxTreeListColumn* column = GetColumn(Column);
    const Integer band = column->GetBandIndex();
    if (!column->GetVisible() || band < 0 || band >= FBands->GetCount()) return false;
    return FBands->GetItem(band)->GetVisible();
}

Integer TCustomgxTreeListControl::GetColumnMinWidth(Integer Column) {
    TgxTreeListColumn* column = GetColumn(Column);
    return column->GetSizing() ? column->GetMinWidth() : column->GetWidth();
}

TgxTreeListColumnSort TCustomgxTreeListControl::GetColumnSorted(Integer Column) {
    TgxTreeListColumn* column = GetColumn(Column);
    TgxTreeListColumnSort sorted = column->GetSorted();
    if (OnColumnSorted) OnColumnSorted(this, column, sorted);
    return sorted;
}

void TCustomgxTreeListControl::GetHeaderCaption(Integer Column, std::string& Text) {
    TgxTreeListColumn* column = GetColumn(Column);
    Text = column->GetDisableCaption() ? std::string() : column->GetCaption();
}

Integer TCustomgxTreeListControl::GetColumnLineHeight(TCanvas* Canvas, Integer Column) {
    return std::max(TCustomgxTreeList::GetColumnLineHeight(Canvas, Column),
                    GetColumn(Column)->GetMinCellHeight(Canvas));
}

bool TCustomgxTreeListControl::DoCalcRowLineHeight(TgxTreeListNode* Node, Integer Column, const std::string& Text,
                                                   Integer BoundsWidth, Integer TextHeight, Integer MaxLineCount,
                                                   bool InflateFlag, bool GridFlag, Integer& LineCount,
                                                   Integer& LineHeight) {
    TgxTreeListColumn* column = GetColumn(Column);
    bool done = false;
    if (OnCalcRowLineHeight)
        OnCalcRowLineHeight(this, Node, column, Text, BoundsWidth, TextHeight, MaxLineCount, InflateFlag, GridFlag,
                            LineCount, LineHeight, done);
    if (!done && column->IsFontStored()) {
        LineCount = MeasureLineCount(column->GetFont(), Text, BoundsWidth, TextHeight, MaxLineCount, GridFlag ? 1 : 0);
        done = true;
    }
    return done;
}

bool TCustomgxTreeListControl::IsExistFooterCell(Integer Column) {
    bool exist = false;
    if (OnIsExistFooterCell) OnIsExistFooterCell(this, Column, exist);
    return exist;
}

void TCustomgxTreeListControl::CalcHeaderPanelRowCount() {
    Integer highest = -1;
    for (Integer i = 0; i < FColumns.GetCount(); ++i)
        if (IsColumnShown(i) && GetColumn(i)->GetStoredRowIndex() > highest)
            highest = GetColumn(i)->GetStoredRowIndex();
    if (highest < 0) return;
    TgxFlagGuard internal(FInternalRowCount);
    SetHeaderPanelRowCount(highest + 1);
}
