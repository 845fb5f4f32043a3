// The option sets and the appearance properties of the tree list.

#include "treelist/tree_list.h"

void TCustomgxTreeList::SetOptions(TgxTreeListOptions Value) {
    if (Value == FOptions) return;
    HideEditor();
    InUpdateBracket([&] {
        if (Value.Contains(aoRowSelect)) FOptionsEx.Exclude(aoInvertSelect);
        if (Value.Contains(aoAutoSort) && !FOptions.Contains(aoAutoSort)) ClearSorting();
        if (FOptionsEx.Contains(aoKeepColumnWidth) && FOptions.Contains(aoAutoWidth) && !Value.Contains(aoAutoWidth))
            KeepAutoWidths();
        FOptions = Value;
        if (!IsLoading()) {
            ClearSelection();
            if (FFocusedNode) FFocusedNode->SetSelected(true);
        }
    });
}

void TCustomgxTreeList::SetOptionsEx(TgxTreeListOptionsEx Value) {
    if (Value == FOptionsEx) return;
    HideEditor();
    InUpdateBracket([&] {
        if (Value.Contains(aoInvertSelect)) FOptions.Exclude(aoRowSelect);
        const bool multiSortOff = FOptionsEx.Contains(aoMultiSort) && !Value.Contains(aoMultiSort);
        const bool ansiSortChanged = FOptionsEx.Contains(aoAnsiSort) != Value.Contains(aoAnsiSort);
        if (multiSortOff || ansiSortChanged) ClearSorting();
        const bool autoHeaderAdded =
            Value.Contains(aoAutoHeaderPanelHeight) && !FOptionsEx.Contains(aoAutoHeaderPanelHeight);
        FOptionsEx = Value;
        if (autoHeaderAdded) CalcHeaderPanelRowCount();
        if (FSearching && !Value.Contains(aoAutoSearch)) EndSearch();
    });
}

void TCustomgxTreeList::KeepAutoWidths() {
    if (GetVisibleBandCount() == 0) return;
    const Integer firstColumn = VisibleToAbsoluteIndex(0);
    if (IsBandHeaderWidth() && firstColumn >= 0 && GetBandCount() == 1) {
        const Integer width = CalcColumnWidth(firstColumn);
        if (width > 0) ChangeColumnWidth(firstColumn, width);
    } else {
        const Integer width = CalcBandWidth(0);
        if (width > 0) ChangeBandWidth(0, width + GetGroupIndent());
    }
}

void TCustomgxTreeList::SetColorProperty(TColor& Field, TColor Value) {
    if (Field == Value) return;
    Field = Value;
    Invalidate();
}

void TCustomgxTreeList::SetLayoutProperty(bool& Field, bool Value) {
    if (Field == Value) return;
    Field = Value;
    LayoutChanged();
}

void TCustomgxTreeList::SetPaintProperty(bool& Field, bool Value) {
    if (Field == Value) return;
    Field = Value;
    Invalidate();
}

void TCustomgxTreeList::SetFixedBandLineWidth(Integer Value) {
    if (Value < 1) Value = 1;
    if (Value == FFixedBandLineWidth) return;
    FFixedBandLineWidth = Value;
    LayoutChanged();
}

void TCustomgxTreeList::SetTreeLineStyle(TgxTreeLineStyle Value) {
    if (Value == FTreeLineStyle) return;
    FTreeLineStyle = Value;
    Invalidate();
}

void TCustomgxTreeList::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomgxTreeList::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    RecreateWnd();
}

void TCustomgxTreeList::SetLookAndFeel(TgxLookAndFeel Value) {
    if (Value == FLookAndFeel) return;
    HideEditor();
    FLookAndFeel = Value;
    RecreateWnd();
    LayoutChanged();
}

void TCustomgxTreeList::SetPaintStyle(TgxTreeListPaintStyle Value) {
    if (Value == FPaintStyle) return;
    FPaintStyle = Value;
    LayoutChanged();
}

void TCustomgxTreeList::SetShowNewItemRow(bool Value) {
    if (Value == FShowNewItemRow) return;
    if (!Value) SetNewItemRowFocused(false);
    FShowNewItemRow = Value;
    LayoutChanged();
}

void TCustomgxTreeList::SetIndentDesc(Integer Value) {
    if (Value < 0) Value = 0;
    if (Value == FIndentDesc) return;
    FIndentDesc = Value;
    Invalidate();
}

void TCustomgxTreeList::SetMaxRowLineCount(Integer Value) {
    if (Value < -1) Value = -1;
    if (Value == FMaxRowLineCount) return;
    FMaxRowLineCount = Value;
    LayoutChanged();
}

void TCustomgxTreeList::SetPreviewLines(Integer Value) {
    if (Value < -1) Value = -1;
    if (Value == FPreviewLines) return;
    FPreviewLines = Value;
    LayoutChanged();
}

void TCustomgxTreeList::SetRowSeparatorLineWidth(Integer Value) {
    if (Value < 1) Value = 1;
    if (Value == FRowSeparatorLineWidth) return;
    FRowSeparatorLineWidth = Value;
    LayoutChanged();
}

void TCustomgxTreeList::SetDefaultRowHeight(Integer Value) {
    FDefaultRowHeight = Value;
    FDefaultRowHeightAssigned = true;
    LayoutChanged();
}

void TCustomgxTreeList::SetCustomizingRowCount(Integer Value) {
    FCustomizingRowCount = Value < 2 ? 2 : Value;
}
