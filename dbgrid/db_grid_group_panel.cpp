// The group panel above the grid's headers: its geometry, drawing and slide, and dragging
// headers onto it (to group) and boxes off it (to ungroup) through the tree list's header drag.

#include <algorithm>
#include <cstdlib>

#include "dbgrid/db_grid.h"
#include "framework/dynlib.h"
#include "framework/graphics.h"
#include "framework/messages.h"
#include "treelist/tree_list_draw.h"
#include "treelist/tree_list_geometry.h"

namespace {

constexpr const char* GroupPanelHint = "Drag a column header here to group by that column";
const TPoint NoDropArrows{-100, -100};
// The tree list's remove-header cursor.
constexpr TCursor crRemoveHeader = -1124;

}  // namespace

// ---- properties and geometry --------------------------------------------------------------------

Integer TCustomgxDBGrid::GroupPanelHeightFor(Integer Count) {
    const Integer h = GetHeaderRowHeight();
    return (Count - 1) * (h / 2) + h + 16;
}

TRect TCustomgxDBGrid::GetGroupPanelBox(Integer Index) {
    const Integer h = GetHeaderRowHeight();
    const Integer top = 8 + Index * (h / 2);
    return TRect(8 + 104 * Index, top, 108 + 104 * Index, top + h);
}

Integer TCustomgxDBGrid::GetGroupDropPosition(Integer X) {
    const Integer count = GetGroupColumnCount();
    for (Integer i = 0; i < count; ++i) {
        const TRect box = GetGroupPanelBox(i);
        if ((box.Left + box.Right) / 2 > X) return i;
    }
    return count;
}

bool TCustomgxDBGrid::IsOnGroupPanel(TPoint P) {
    return FShowGroupPanel && GetHitInfo(P).HitCode == hcTopPanel;
}

TgxDBTreeListColumn* TCustomgxDBGrid::GetGroupColumnAt(Integer X, Integer Y) {
    if (!IsOnGroupPanel(TPoint{X, Y})) return nullptr;
    for (Integer i = 0; i < GetGroupColumnCount(); ++i) {
        const TRect box = GetGroupPanelBox(i);
        if (X >= box.Left && X < box.Right && Y >= box.Top && Y < box.Bottom) return GetGroupColumn(i);
    }
    return nullptr;
}

void TCustomgxDBGrid::SetGroupPanelColor(TColor Value) {
    if (Value == FGroupPanelColor) return;
    FGroupPanelColor = Value;
    if (FShowGroupPanel) Invalidate();
}

void TCustomgxDBGrid::SetGroupPanelFontColor(TColor Value) {
    if (Value == FGroupPanelFontColor) return;
    FGroupPanelFontColor = Value;
    if (FShowGroupPanel) Invalidate();
}

void TCustomgxDBGrid::SetShowGroupPanel(bool Value) {
    if (Value == FShowGroupPanel) return;
    HideEditor();
    FShowGroupPanel = Value;
    if (HandleAllocated()) {
        ValidateRect(nullptr);
        if (!IsUpdating() && !GetComponentState().Contains(csLoading) && GetState() == tsNormal) SlideGroupPanel(Value);
    }
    LayoutChanged();
}

// The rows above the footer slide down (showing) or up (hiding) by the panel's height, in steps
// that grow once 20 pixels have moved, for at most 400 ms.
void TCustomgxDBGrid::SlideGroupPanel(bool Showing) {
    TRect area = GetClientRect();
    area.Bottom -= GetFooterPanelHeight();
    const Integer distance = GroupPanelHeightFor(GetGroupColumnCount());
    if (area.Height() <= 0 || distance <= 0) return;
    TCanvas* canvas = GetCanvas();
    canvas->GetBrush()->SetStyle(bsSolid);
    const UInt64 start = GetTickCount64();
    Integer moved = 0;
    Integer step = std::max<Integer>(1, area.Height() / 256);
    while (moved < distance) {
        if (moved > 20) ++step;
        const Integer remaining = distance - moved;
        const Integer delta = step > remaining || step > remaining / 2 ? remaining : step;
        TRect uncovered;
        ScrollWindowEx(this, 0, Showing ? delta : -delta, &area, &area, &uncovered, SW_INVALIDATE);
        moved += delta;
        if (Showing) {
            canvas->GetBrush()->SetColor(clBtnShadow);
            canvas->FillRect(TRect(area.Left, area.Top, area.Right, area.Top + moved));
        } else {
            canvas->GetBrush()->SetColor(GetColor());
            canvas->FillRect(TRect(area.Left, area.Bottom - delta, area.Right, area.Bottom));
        }
        if (GetTickCount64() - start > 400) break;
    }
}

// ---- drawing ------------------------------------------------------------------------------------

void TCustomgxDBGrid::DrawTopPanel(TCanvas* ACanvas, const TRect& ARect, HBRUSH ABrush) {
    const Integer count = GetGroupColumnCount();
    if (OnBackgroundDrawEvent) {
        OnBackgroundDrawEvent(this, ACanvas, ARect);
    } else {
        ACanvas->GetBrush()->SetStyle(bsSolid);
        ACanvas->GetBrush()->SetColor(FGroupPanelColor);
        ACanvas->FillRect(ARect);
        if (count == 0) {
            ACanvas->GetFont()->Assign(GetHeaderFont());
            ACanvas->GetFont()->SetColor(FGroupPanelFontColor);
            ACanvas->GetBrush()->SetStyle(bsClear);
            TRect text = ARect;
            DrawText(ACanvas->GetHandle(), std::string(" ") + GroupPanelHint, &text,
                     DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            ACanvas->GetBrush()->SetStyle(bsSolid);
        }
    }
    auto box = [&](Integer Index) {
        TRect r = GetGroupPanelBox(Index);
        OffsetRect(&r, ARect.Left, ARect.Top);
        return r;
    };
    if (count > 1) {
        std::vector<std::vector<TPoint>> connectors;
        for (Integer i = 0; i + 1 < count; ++i) {
            const TRect a = box(i), b = box(i + 1);
            const Integer x = (a.Left + a.Right) / 2;
            connectors.push_back({TPoint{x, a.Bottom - 1}, TPoint{x, a.Bottom + 2}, TPoint{b.Left + 1, a.Bottom + 2}});
        }
        ACanvas->GetPen()->SetColor(clBtnText);
        ACanvas->PolyPolyline(connectors);
    }
    TBitmap buffer;
    for (Integer i = 0; i < count; ++i) {
        const TRect r = box(i);
        TRect clip;
        if (!IntersectRect(&clip, &r, &ARect)) continue;
        TgxTreeListColumn* column = GetGroupColumn(i);
        TgxHeaderCellContent content;
        content.Text = column->GetCaption();
        content.Alignment = column->GetHeaderAlignment();
        content.Sorted = column->GetSorted();
        content.Glyph = column->HasHeaderGlyph() ? column->GetHeaderGlyph() : nullptr;
        content.Flat = GetLookAndFeel() == lfFlat;
        DrawHeaderCellBuffered(ACanvas->GetHandle(), &buffer, r, clip, ABrush, GetHeaderFont(),
                               GetHeaderFont()->GetColor(), content);
    }
}

// ---- dragging -----------------------------------------------------------------------------------

bool TCustomgxDBGrid::GroupPanelMouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (GetState() != tsNormal || !IsOnGroupPanel(TPoint{X, Y})) return false;
    TgxDBTreeListColumn* column = GetGroupColumnAt(X, Y);
    if (!column || !CanHeaderDragging(column->GetIndex())) return true;
    FGroupPanelColumn = column;
    if (Button == mbLeft) {
        FGroupPanelPress = TPoint{X, Y};
        FGroupPanelDragPending = true;
        if (CanFocus()) SetFocus();
        SetCaptureControl(this);
    }
    return true;
}

void TCustomgxDBGrid::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    if (FGroupPanelDragPending && FGroupPanelColumn &&
        (std::abs(X - FGroupPanelPress.X) > 5 || std::abs(Y - FGroupPanelPress.Y) > 5)) {
        FGroupPanelDragPending = false;
        FGroupPanelDragging = true;
        StartDragHeader(FGroupPanelColumn->GetIndex());
    }
    TCustomgxDBTreeListControl::MouseMove(Shift, X, Y);
}

void TCustomgxDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TgxDBTreeListColumn* column = FGroupPanelColumn;
    const bool pending = FGroupPanelDragPending;
    FGroupPanelDragPending = false;
    TCustomgxDBTreeListControl::MouseUp(Button, Shift, X, Y);
    if (pending && column) {
        if (GetCaptureControl() == this) SetCaptureControl(nullptr);
        if (IsAutoSort()) ToggleColumnSort(column);
    }
    if (GetState() != tsColumnDragging) {
        FGroupPanelColumn = nullptr;
        FGroupPanelDragging = false;
    }
}

void TCustomgxDBGrid::CalcDropPosition(TPoint& P, TgxHeaderPosInfo& PosInfo, Integer DraggedItem, Integer PressedItem,
                                       bool IsBand) {
    if (IsBand || !IsOnGroupPanel(ScreenToClient(P)) || IsPointInCustomizingForm(P)) {
        TCustomgxDBTreeListControl::CalcDropPosition(P, PosInfo, DraggedItem, PressedItem, IsBand);
        return;
    }
    PosInfo = TgxHeaderPosInfo{};
    TgxDBTreeListColumn* column =
        DraggedItem >= 0 && DraggedItem < GetColumnCount() ? GetDBColumn(DraggedItem) : nullptr;
    if (!column || (column->GetGroupIndex() < 0 && !CanAddGroupColumn(column))) {
        P = NoDropArrows;
        return;
    }
    const TRect box = GetGroupPanelBox(GetGroupDropPosition(ScreenToClient(P).X));
    P = ClientToScreen(TPoint{box.Left - 5, box.Top - 9});
}

void TCustomgxDBGrid::GetHeaderDragCursor(TPoint P, TCursor& Cursor) {
    if (!IsOnGroupPanel(ScreenToClient(P))) {
        TCustomgxDBTreeListControl::GetHeaderDragCursor(P, Cursor);
        return;
    }
    Cursor = GetCursor();
    const Integer dragged = GetDraggedColumn();
    TgxDBTreeListColumn* column = dragged >= 0 && dragged < GetColumnCount() ? GetDBColumn(dragged) : nullptr;
    if (column && column->GetGroupIndex() < 0 && !CanAddGroupColumn(column) && !FGroupPanelDragging)
        Cursor = crRemoveHeader;
}

bool TCustomgxDBGrid::IsCustomizing() {
    return TCustomgxDBTreeListControl::IsCustomizing() || FGroupPanelDragPending;
}

void TCustomgxDBGrid::DoEndDragGroupColumn(TgxDBTreeListColumn* Column, Integer NewGroupIndex, bool& Allow) {
    if (OnEndDragGroupColumn) OnEndDragGroupColumn(this, Column, NewGroupIndex, Allow);
}

void TCustomgxDBGrid::EndDragHeader(bool Drop) {
    TgxDBTreeListColumn* fromPanel = FGroupPanelDragging ? FGroupPanelColumn : nullptr;
    FGroupPanelColumn = nullptr;
    FGroupPanelDragging = false;
    FGroupPanelDragPending = false;
    const Integer dragged = GetDraggedColumn();
    TgxDBTreeListColumn* column = dragged >= 0 && dragged < GetColumnCount() ? GetDBColumn(dragged) : nullptr;
    const TPoint point = GetDragPoint();
    if (!Drop || !column) {
        TCustomgxDBTreeListControl::EndDragHeader(Drop);
        return;
    }
    if (FShowGroupPanel && IsOnGroupPanel(ScreenToClient(point)) && !IsPointInCustomizingForm(point)) {
        TCustomgxDBTreeListControl::EndDragHeader(false);
        Integer position = GetGroupDropPosition(ScreenToClient(point).X);
        if (column->GetGroupIndex() >= 0) position = std::min(position, GetGroupColumnCount() - 1);
        bool allow = true;
        DoEndDragGroupColumn(column, position, allow);
        if (!allow) return;
        column->SetGroupIndex(position);
        if (!column->GetVisible() && column->GetGroupIndex() < 0 && OnShowHeader)
            OnShowHeader(this, column, -1, -1, -1);
        return;
    }
    if (!fromPanel || fromPanel != column) {
        TCustomgxDBTreeListControl::EndDragHeader(Drop);
        return;
    }
    const bool toCustomizing =
        IsPointInCustomizingForm(point) && !column->GetDisableCustomizing() && GetVisibleColumnCount() > 1;
    TCustomgxDBTreeListControl::EndDragHeader(Drop);
    if (column->GetGroupIndex() >= 0) RemoveGroupColumn(column->GetGroupIndex());
    if (IsGridMode()) ClearSorting();
    if (toCustomizing) column->SetVisible(false);
    if (!column->GetVisible() && OnHideHeader) OnHideHeader(this, column);
}
