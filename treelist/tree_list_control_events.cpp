// The band-and-column tree list's events: clicks, band and header dragging, showing and hiding,
// and custom drawing.

#include "treelist/tree_list_control.h"

// ---- clicks ----------------------------------------------------------------------------------

void TCustomgxTreeListControl::DoBandButtonClick() {
    if (OnBandButtonClick) OnBandButtonClick(this);
}

void TCustomgxTreeListControl::DoHeaderButtonClick() {
    if (OnHeaderButtonClick) OnHeaderButtonClick(this);
}

void TCustomgxTreeListControl::DoChangedColumnsWidth() {
    if (OnChangedColumnsWidth) OnChangedColumnsWidth(this);
}

void TCustomgxTreeListControl::DoBandClick(Integer VisibleBand) {
    if (OnBandClick) OnBandClick(this, FBands->GetVisibleItem(VisibleBand));
}

void TCustomgxTreeListControl::GetNodeDragText(TgxTreeListNode* Node, Integer Column, std::string& Text) {
    TCustomgxTreeList::GetNodeDragText(Node, Column, Text);
    if (OnGetNodeDragText)
        OnGetNodeDragText(this, Node, Column >= 0 && Column < GetColumnCount() ? GetColumn(Column) : nullptr, Text);
}

// ---- bands -----------------------------------------------------------------------------------

void TCustomgxTreeListControl::MoveBand(Integer From, Integer To) {
    if (From == To) return;
    TgxTreeListBand* band = FBands->GetVisibleItem(From);
    const Integer target = GetAbsoluteBandIndex(To);
    if (band && target >= 0) band->SetIndex(target);
}

bool TCustomgxTreeListControl::CanBandDragging(Integer VisibleBand) {
    bool allow = TCustomgxTreeList::CanBandDragging(VisibleBand);
    TgxTreeListBand* band = FBands->GetVisibleItem(VisibleBand);
    if (allow && band) allow = band->GetFixed() == bfNone && !band->GetDisableDragging();
    if (allow && OnCanBandDragging) OnCanBandDragging(this, band, allow);
    return allow;
}

void TCustomgxTreeListControl::DoDragOverBand(TPoint P, Integer Band, bool& Accept) {
    TCustomgxTreeList::DoDragOverBand(P, Band, Accept);
    if (OnDragOverBand) OnDragOverBand(this, FBands->GetItem(Band), P, Accept);
}

void TCustomgxTreeListControl::DoDragEndBand(TPoint P, Integer Band, bool& Accept, Integer& NewIndex,
                                             Integer OldIndex) {
    TCustomgxTreeList::DoDragEndBand(P, Band, Accept, NewIndex, OldIndex);
    if (OnDragEndBand) OnDragEndBand(this, FBands->GetItem(Band), P, Band, OldIndex, NewIndex, Accept);
}

void TCustomgxTreeListControl::StartDragBand(Integer Band) {
    TCustomgxTreeList::StartDragBand(Band);
    if (OnStartBandDragging) OnStartBandDragging(this, FBands->GetItem(Band));
}

bool TCustomgxTreeListControl::IsBandDisableCustomizing(Integer Band) {
    return FBands->GetItem(Band)->GetDisableCustomizing();
}

void TCustomgxTreeListControl::HideBand(Integer Band) {
    TgxTreeListBand* band = FBands->GetItem(Band);
    band->SetVisible(false);
    RefreshCustomizingListBoxes();
    if (OnHideBand) OnHideBand(this, band);
}

bool TCustomgxTreeListControl::IsBandHidden(Integer Band) {
    return !FBands->GetItem(Band)->GetVisible();
}

void TCustomgxTreeListControl::ShowBand(Integer NewIndex, Integer Band) {
    TgxTreeListBand* band = FBands->GetItem(Band);
    InUpdateBracket([&] {
        band->SetVisible(true);
        if (NewIndex < 0) NewIndex = 0;
        const Integer visible = FBands->GetVisibleCount();
        if (visible > 1) {
            if (NewIndex >= visible)
                band->SetIndex(FBands->GetCount() - 1);
            else
                band->SetIndex(FBands->GetAbsoluteIndex(NewIndex));
        }
    });
    RefreshCustomizingListBoxes();
    if (OnShowBand) OnShowBand(this, band, NewIndex);
}

// ---- headers ---------------------------------------------------------------------------------

bool TCustomgxTreeListControl::CanHeaderDragging(Integer Column) {
    TgxTreeListColumn* column = GetColumn(Column);
    bool allow = TCustomgxTreeList::CanHeaderDragging(Column) && !column->GetDisableDragging();
    if (allow && OnCanHeaderDragging) OnCanHeaderDragging(this, column, allow);
    return allow;
}

void TCustomgxTreeListControl::DoDragOverHeader(TPoint P, Integer Column, bool& Accept) {
    TCustomgxTreeList::DoDragOverHeader(P, Column, Accept);
    if (OnDragOverHeader) OnDragOverHeader(this, GetColumn(Column), P, Accept);
}

void TCustomgxTreeListControl::DoDragEndHeader(TPoint P, Integer Column, bool& Accept, TgxHeaderPosInfo& PosInfo) {
    TCustomgxTreeList::DoDragEndHeader(P, Column, Accept, PosInfo);
    TgxTreeListColumn* column = GetColumn(Column);
    if (OnDragEndHeader) OnDragEndHeader(this, column, P, PosInfo, Accept);
    if (GetVisibleBandCount() != 1) return;
    if (OnColumnMoved) OnColumnMoved(this, column->GetColIndex(), PosInfo.ColIndex);
    if (OnEndDragColumn) OnEndDragColumn(this, P.X, P.Y, column, PosInfo.ColIndex);
}

void TCustomgxTreeListControl::StartDragHeader(Integer Column) {
    TCustomgxTreeList::StartDragHeader(Column);
    if (OnStartHeaderDragging) OnStartHeaderDragging(this, GetColumn(Column));
}

bool TCustomgxTreeListControl::IsColumnDisableCustomizing(Integer Column) {
    return GetColumn(Column)->GetDisableCustomizing();
}

void TCustomgxTreeListControl::MoveHeader(Integer Column, Integer VisibleBand, Integer Row, Integer ColIndex) {
    TgxTreeListColumn* column = GetColumn(Column);
    InUpdateBracket([&] {
        column->SetBandIndex(GetAbsoluteBandIndex(VisibleBand));
        column->SetRowIndex(Row);
        column->SetColIndex(ColIndex);
    });
    if (OnHeaderMoved) OnHeaderMoved(this, column);
}

void TCustomgxTreeListControl::HideHeader(Integer Column) {
    TgxTreeListColumn* column = GetColumn(Column);
    column->SetVisible(false);
    RefreshCustomizingListBoxes();
    if (OnHideHeader) OnHideHeader(this, column);
}

void TCustomgxTreeListControl::ShowHeader(Integer Column, Integer VisibleBand, Integer Row, Integer ColIndex) {
    TgxTreeListColumn* column = GetColumn(Column);
    InUpdateBracket([&] {
        column->SetBandIndex(GetAbsoluteBandIndex(VisibleBand));
        column->SetVisible(true);
        column->SetRowIndex(Row);
        column->SetColIndex(ColIndex);
    });
    RefreshCustomizingListBoxes();
    if (OnShowHeader) OnShowHeader(this, column, VisibleBand, Row, ColIndex);
}

bool TCustomgxTreeListControl::IsColumnInCustomizeBox(Integer Column) {
    TgxTreeListColumn* column = GetColumn(Column);
    if (column->GetDisableCustomizing()) return false;
    if (!column->GetVisible() || column->GetBandIndex() == -1) return true;
    return GetShowHiddenInCustomizeBox() && !IsColumnShown(Column);
}

// ---- custom drawing --------------------------------------------------------------------------

bool TCustomgxTreeListControl::HasCustomDrawCell(Integer Column) {
    return OnCustomDrawCell || OnCustomDraw || GetColumn(Column)->HasCustomDrawCell();
}

bool TCustomgxTreeListControl::HasCustomDrawFooter(Integer FooterIndex) {
    return FooterIndex == -1 ? bool(OnCustomDrawFooter) : bool(OnCustomDrawFooterNode);
}

bool TCustomgxTreeListControl::HasCustomDrawHeader(Integer Column) {
    return OnCustomDrawColumnHeader || GetColumn(Column)->OnCustomDrawColumnHeader;
}

void TCustomgxTreeListControl::DoCustomDrawBand(Integer VisibleBand, TCanvas* ACanvas, TRect ARect,
                                                std::string& AText, TColor& AColor, TFont* AFont,
                                                TAlignment& AAlignment, bool& ADone) {
    if (OnCustomDrawBand)
        OnCustomDrawBand(this, FBands->GetVisibleItem(VisibleBand), ACanvas, ARect, AText, AColor, AFont, AAlignment,
                         ADone);
}

void TCustomgxTreeListControl::DoCustomDrawCell(TCanvas* ACanvas, TRect& ARect, TgxTreeListNode* ANode,
                                                Integer Column, bool ASelected, bool AFocused, bool ANewItemRow,
                                                bool ALastColumn, bool AFirstColumn, HBRUSH ABrush,
                                                std::string& AText, TColor& AColor, TFont* AFont,
                                                TAlignment& AAlignment, bool& ADone) {
    TgxTreeListColumn* column = GetColumn(Column);
    if (OnCustomDraw)
        OnCustomDraw(this, ACanvas, ARect, ANode, column, AText, AFont, AColor, ASelected, AFocused, ADone);
    if (ADone) return;
    if (OnCustomDrawCell)
        OnCustomDrawCell(this, ACanvas, ARect, ANode, column, ASelected, AFocused, ANewItemRow, AText, AColor, AFont,
                         AAlignment, ADone);
    if (ADone) return;
    const bool cell = ANewItemRow ? IsNewItemRowActive() : !IsGroupNode(ANode);
    if (cell)
        column->DrawCell(ACanvas, ARect, ANode, ASelected, AFocused, ANewItemRow, AText, AColor, AFont, AAlignment,
                         ADone, ABrush, AFirstColumn, ALastColumn);
}

void TCustomgxTreeListControl::DoCustomDrawFooter(TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode,
                                                  Integer Column, Integer FooterIndex, std::string& AText,
                                                  TColor& AColor, TFont* AFont, TAlignment& AAlignment,
                                                  bool& ADone) {
    TgxTreeListColumn* column = GetColumn(Column);
    if (FooterIndex == -1) {
        if (OnCustomDrawFooter)
            OnCustomDrawFooter(this, ACanvas, ARect, ANode, column, AText, AColor, AFont, AAlignment, ADone);
    } else if (OnCustomDrawFooterNode) {
        OnCustomDrawFooterNode(this, ACanvas, ARect, ANode, column, FooterIndex, AText, AColor, AFont, AAlignment,
                               ADone);
    }
}

void TCustomgxTreeListControl::DoCustomDrawHeader(Integer Column, TCanvas* ACanvas, TRect ARect, std::string& AText,
                                                  TColor& AColor, TFont* AFont, TAlignment& AAlignment,
                                                  TgxTreeListColumnSort& ASorted, bool& ADone) {
    TgxTreeListColumn* column = GetColumn(Column);
    if (OnCustomDrawColumnHeader)
        OnCustomDrawColumnHeader(this, column, ACanvas, ARect, AText, AColor, AFont, AAlignment, ASorted, ADone);
    if (!ADone && column->OnCustomDrawColumnHeader)
        column->OnCustomDrawColumnHeader(column, column, ACanvas, ARect, AText, AColor, AFont, AAlignment, ASorted,
                                         ADone);
}

void TCustomgxTreeListControl::DoCustomDrawPreview(TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode,
                                                   bool ASelected, std::string& AText, TColor& AColor,
                                                   TColor& ATextColor, TFont* AFont, bool& ADone) {
    if (OnCustomDrawPreview) OnCustomDrawPreview(this, ACanvas, ARect, ANode, ASelected, AText, ADone);
    if (!ADone && OnCustomDrawPreviewCell)
        OnCustomDrawPreviewCell(this, ACanvas, ARect, ANode, ASelected, AText, AColor, ATextColor, AFont, ADone);
}

void TCustomgxTreeListControl::DoGetLevelColor(Integer Level, TColor& AColor) {
    if (OnGetLevelColor) OnGetLevelColor(this, Level, AColor);
}
