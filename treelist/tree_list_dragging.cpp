// Dragging in the tree list: band and column headers dragged with an image and a pair of drop
// arrows to a new place, out of their panel (hidden) or back from the customizing window (shown);
// nodes dragged through the framework's drag manager with expanding over buttons and scrolling at
// the edges; and the paint lock that keeps these transient drawings clear of scrolling and paint.

#include <algorithm>

#include "framework/drag.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/image_list.h"
#include "framework/resources.h"
#include "framework/screen_overlay.h"
#include "framework/timer.h"
#include "treelist/tree_list.h"
#include "treelist/tree_list_draw.h"

namespace {

constexpr UINT_PTR ScrollTimerId = 1;
constexpr UINT_PTR DragExpandTimerId = 3;
constexpr Integer DragScrollInterval = 100;
// The cursor of a drop that hides the dragged band or header.
constexpr TCursor crTreeListDelete = -1124;
const TPoint NoArrows{-100, -100};

bool IsRowHit(TgxTreeListHitCode Code) {
    switch (Code) {
        case hcButton:
        case hcImage:
        case hcStateImage:
        case hcIndent:
        case hcCell:
        case hcRowEnd:
        case hcRowFooter:
        case hcPreview: return true;
        default: return false;
    }
}

// The midpoint counts as the left half.
bool InLeftHalf(const TRect& R, Integer X) {
    return X - R.Left <= (R.Right - R.Left) / 2;
}

}  // namespace

// ---- the paint lock ------------------------------------------------------------------------------

void TCustomgxTreeList::HideDragImages() {
    if (FPaintLock++ > 0) return;
    if (FSizeLineShown) DrawSizeLine();
    if (FDragImageList && FDragImageList->GetDragging()) FDragImageList->HideDragImage();
    if (FArrowsShown) ToggleDropArrows();
    if (FDragOverObject) FDragOverObject->HideDragImage();
    FLockedLine = true;
}

void TCustomgxTreeList::ShowDragImages() {
    if (FPaintLock == 0 || --FPaintLock > 0) return;
    if (!FLockedLine) return;
    FLockedLine = false;
    if (FDragOverObject) FDragOverObject->ShowDragImage();
    if ((FState == tsBandDragging || FState == tsColumnDragging) && !FArrowsShown) ToggleDropArrows();
    if (FDragImageList && FDragImageList->GetDragging()) FDragImageList->ShowDragImage();
    if (IsSizingState(FState) && !FSizeLineShown) DrawSizeLine();
}

void TCustomgxTreeList::ToggleDropArrows() {
    // The arrows stand on a screen overlay shaped like them, so what lies under them comes back by
    // itself when they go.
    FArrowsShown = !FArrowsShown;
    if (!FArrowsShown || FDropArrowPos == NoArrows) {
        if (FArrowsOverlay) FArrowsOverlay->Hide();
        return;
    }
    if (!FArrowsOverlay) FArrowsOverlay = new TScreenOverlay;
    const Integer w = FDragArrowRect.Width();
    const Integer h = FDragArrowRect.Height();
    // The down arrow at the top and the up arrow at the bottom, row by row: a shaft 4 pixels wide
    // and a head narrowing from 11 pixels to its tip.
    std::vector<TRect> shape{TRect(3, 0, 8, 3), TRect(3, h - 4, 8, h)};
    for (Integer i = 0; i <= 5; ++i) {
        shape.push_back(TRect(i, 3 + i, w - i, 4 + i));
        shape.push_back(TRect(i, h - 5 - i, w - i, h - 4 - i));
    }
    const TColor color = FArrowsColor;
    FArrowsOverlay->Show(TRect(FDropArrowPos.X, FDropArrowPos.Y, FDropArrowPos.X + w, FDropArrowPos.Y + h), shape,
                         [w, h, color](TCanvas* Canvas) { DrawDropArrows(Canvas, TRect(0, 0, w, h), color); });
}

// ---- band and header drag images -----------------------------------------------------------------

TCustomImageList* TCustomgxTreeList::GetDragImages() {
    return FDragImageList;
}

namespace {

// An image list holding one picture of a header cell, Width x Height, drawn with Font on Color.
TImageList* HeaderDragImage(Integer Width, Integer Height, TFont* Font, TColor Color,
                            const TgxHeaderCellContent& Content) {
    TBitmap bitmap;
    bitmap.SetWidth(Width);
    bitmap.SetHeight(Height);
    TCanvas* c = bitmap.GetCanvas();
    c->GetFont()->Assign(Font);
    HBRUSH brush = CreateSolidBrush(ColorToRGB(Color));
    DrawHeaderCell(c->GetHandle(), TRect(0, 0, Width, Height), brush, Content);
    DeleteObject(brush);
    auto* images = new TImageList(nullptr);
    images->SetWidth(Width);
    images->SetHeight(Height);
    images->AddMasked(&bitmap, clNone);
    return images;
}

}  // namespace

void TCustomgxTreeList::StartDragBand(Integer Band) {
    Application->CancelHint();
    FDragArrowRect = TRect(0, 0, 11, FBandPanelHeight + 18);
    const Integer visible = GetVisibleBandIndex(Band);
    const bool hidden = IsBandHidden(Band);
    Integer width = hidden ? GetBandWidth(Band) : CalcBandWidth(visible) + (visible == 0 ? GetGroupIndent() : 0);
    width = std::clamp<Integer>(width, 1, Screen->GetWidth());
    TgxHeaderCellContent content;
    GetBandCaption(Band, content.Text);
    content.Alignment = GetBandAlignment(Band);
    content.MultiLine = GetBandRowCount() > 1;
    content.Flat = FLookAndFeel == lfFlat;
    FDraggedBand = Band;
    BeginBandOrHeaderDrag(
        HeaderDragImage(width, std::max<Integer>(FBandPanelHeight, 1), FBandFont, FBandColor, content),
        TPoint{width / 2, FBandPanelHeight / 2}, tsBandDragging);
    ShowCustomizingPage(true);
}

void TCustomgxTreeList::StartDragHeader(Integer Column) {
    Application->CancelHint();
    FDragArrowRect = TRect(0, 0, 11, FHeaderRowHeight + 18);
    Integer width = 0;
    if (IsColumnShown(Column)) {
        TgxTreeListDrawInfo info;
        CalcDrawInfo(info);
        for (const TgxHeaderDrawItem& h : info.Headers)
            if (h.Column == Column) width = h.Rect.Width();
        FreeDrawInfo(info);
    } else {
        width = GetColumnWidth(Column);
    }
    if (width < 1) width = 20;
    width = std::min<Integer>(width, Screen->GetWidth());
    TgxHeaderCellContent content;
    GetHeaderCaption(Column, content.Text);
    content.Alignment = GetHeaderAlignment(Column);
    content.Sorted = GetColumnSorted(Column);
    content.Glyph = HasHeaderGlyph(Column) ? GetHeaderGlyph(Column) : nullptr;
    content.Flat = FLookAndFeel == lfFlat;
    FDraggedColumn = Column;
    BeginBandOrHeaderDrag(
        HeaderDragImage(width, std::max<Integer>(FHeaderRowHeight, 1), FHeaderFont, FHeaderColor, content),
        TPoint{width / 2, FHeaderRowHeight / 2}, tsColumnDragging);
    ShowCustomizingPage(false);
}

void TCustomgxTreeList::BeginBandOrHeaderDrag(TImageList* Images, TPoint HotSpot, TgxTreeListState State) {
    delete FDragImageList;
    FDragImageList = Images;
    const TPoint p = Mouse->GetCursorPos();
    FDragPoint = p;
    FDragHotSpot = HotSpot;
    FDragImageList->SetDragImage(0, FDragHotSpot.X, FDragHotSpot.Y);
    FDropArrowPos = NoArrows;
    ToggleDropArrows();
    FDragImageList->BeginDrag(nullptr, p.X, p.Y);
    SetState(State);
}

void TCustomgxTreeList::MoveDragBandOrHeader(TPoint P) {
    const bool isBand = FState == tsBandDragging;
    if (!isBand && FState != tsColumnDragging) return;
    FDragPoint = P;
    StopScrollTimer();
    TgxHeaderPosInfo position;
    TPoint arrows = P;
    const Integer item = isBand ? FDraggedBand : FDraggedColumn;
    CalcDropPosition(arrows, position, item, isBand ? FPressedBand : FPressedColumn, isBand);
    if (!(arrows == FDropArrowPos)) {
        if (FArrowsShown) ToggleDropArrows();
        FDropArrowPos = arrows;
        ToggleDropArrows();
    }
    const TPoint cp = ScreenToClient(P);
    const TgxTreeListAreaInfo a = CalcRectInfo();
    TCursor cursor = PtInRect(isBand ? &a.BandPanelRect : &a.HeaderPanelRect, cp) ? GetCursor() : crTreeListDelete;
    GetHeaderDragCursor(P, cursor);
    bool accept = cursor != crTreeListDelete;
    if (isBand)
        DoDragOverBand(P, item, accept);
    else
        DoDragOverHeader(P, item, accept);
    if (!accept)
        cursor = crTreeListDelete;
    else if (cursor == crTreeListDelete)
        cursor = GetCursor();
    if (FDragImageList) {
        FDragImageList->HideDragImage();
        FDragImageList->SetDragCursor(cursor);
        FDragImageList->ShowDragImage();
        SetCursorShape(cursor);
        TPoint hotSpot = FDragHotSpot;
        if (cursor == crTreeListDelete) hotSpot.X -= 16;
        if (!(FDragImageList->GetHotSpot() == hotSpot)) {
            FDragImageList->EndDrag();
            FDragImageList->SetDragImage(0, hotSpot.X, hotSpot.Y);
            FDragImageList->BeginDrag(nullptr, P.X, P.Y);
        } else {
            FDragImageList->DragMove(P.X, P.Y);
        }
    }
    if (IsPointInCustomizingForm(P)) return;
    const TRect scrollable = GetScrollableRect();
    Integer dir = 0;
    if (cp.X >= scrollable.Left && cp.X < scrollable.Left + 12) dir = -1;
    if (cp.X < scrollable.Right && cp.X >= scrollable.Right - 12) dir = 1;
    if (dir != 0) {
        FDragScrollX = dir;
        FScrollTimer = SetTimer(this, ScrollTimerId, DragScrollInterval) != 0;
    }
}

void TCustomgxTreeList::GetHeaderDragCursor(TPoint P, TCursor& Cursor) {
    if (FState != tsColumnDragging) return;
    if (IsPointInCustomizingForm(P)) {
        if (!(GetVisibleColumnCount() == 1 && FPressedColumn >= 0)) Cursor = crDrag;
        if (FDraggedColumn >= 0 && IsColumnDisableCustomizing(FDraggedColumn)) Cursor = crTreeListDelete;
    }
    if (GetVisibleBandCount() == 0) Cursor = crTreeListDelete;
}

// ---- the drop position -----------------------------------------------------------------------------

void TCustomgxTreeList::CalcDropPosition(TPoint& P, TgxHeaderPosInfo& PosInfo, Integer DraggedItem, Integer PressedItem,
                                         bool IsBand) {
    PosInfo = TgxHeaderPosInfo{};
    const TPoint screen = P;
    P = NoArrows;
    if (IsPointInCustomizingForm(screen)) return;
    const TPoint cp = ScreenToClient(screen);
    TgxTreeListDrawInfo di;
    CalcDrawInfo(di);
    TPoint arrows = NoArrows;
    auto placeArrows = [&](Integer X, Integer Y, const TRect& Panel) {
        arrows = TPoint{std::clamp<Integer>(X - 5, Panel.Left - 5, Panel.Right - 5), Y - 9};
    };
    if (IsBand) {
        if (PtInRect(&di.BandPanelRect, cp)) {
            PosInfo.BandIndex = -2;
            const TgxBandDrawItem* target = nullptr;
            bool before = false;
            for (const TgxBandDrawItem& b : di.Bands)
                if (cp.X >= b.Rect.Left && cp.X < b.Rect.Right) {
                    target = &b;
                    before = InLeftHalf(b.Rect, cp.X);
                }
            if (di.Bands.empty()) {
                PosInfo.BandIndex = 0;
                placeArrows(di.BandPanelRect.Left, di.BandPanelRect.Top, di.BandPanelRect);
            } else if (!target) {
                const TgxBandDrawItem& last = di.Bands.back();
                if (cp.X >= last.Rect.Right && last.Band != PressedItem && last.Band != di.RightFixedBand) {
                    target = &last;
                    before = false;
                }
            }
            if (target) {
                const Integer t = target->Band;
                const bool pressed = PressedItem >= 0;
                if (t == PressedItem || (pressed && before && t == PressedItem + 1) ||
                    (pressed && !before && t == PressedItem - 1) || (before && t == di.LeftFixedBand) ||
                    (!before && t == di.RightFixedBand)) {
                    PosInfo.BandIndex = -2;
                } else {
                    Integer index = t;
                    if (before && pressed && t > PressedItem) --index;
                    if (!before && (!pressed || t < PressedItem)) ++index;
                    PosInfo.BandIndex = index;
                    placeArrows(before ? target->Rect.Left : target->Rect.Right, target->Rect.Top, di.BandPanelRect);
                }
            }
        }
    } else if (GetVisibleBandCount() > 0 && PtInRect(&di.HeaderPanelRect, cp)) {
        PosInfo = MakeHeaderPosInfo(-1, -1, -1, -2);
        const TgxHeaderDrawItem* target = nullptr;
        const TgxHeaderDrawItem* pressed = nullptr;
        for (const TgxHeaderDrawItem& h : di.Headers) {
            if (PtInRect(&h.Rect, cp)) target = &h;
            if (h.Column == PressedItem) pressed = &h;
        }
        bool before = target && InLeftHalf(target->Rect, cp.X);
        if (!target) {
            const Integer lastRight = di.Bands.empty() ? di.HeaderPanelRect.Left : di.Bands.back().Rect.Right;
            if (cp.X < lastRight) {
                const TgxHeaderDrawItem* lowest = nullptr;
                for (const TgxHeaderDrawItem& h : di.Headers)
                    if (cp.X >= h.Rect.Left && cp.X < h.Rect.Right && (!lowest || h.Rect.Bottom > lowest->Rect.Bottom))
                        lowest = &h;
                if (lowest) {
                    PosInfo = MakeHeaderPosInfo(lowest->Band, lowest->Row + lowest->RowSpan, lowest->ColIndex, -3);
                    placeArrows(lowest->Rect.Left, lowest->Rect.Bottom, di.HeaderPanelRect);
                } else {
                    for (const TgxBandDrawItem& b : di.Bands)
                        if (cp.X >= b.Rect.Left && cp.X < b.Rect.Right) {
                            PosInfo = MakeHeaderPosInfo(b.Band, 0, 0, -3);
                            placeArrows(b.Rect.Left, di.HeaderPanelRect.Top, di.HeaderPanelRect);
                        }
                }
            } else if (!di.Bands.empty()) {
                const Integer lastBand = di.Bands.back().Band;
                for (const TgxHeaderDrawItem& h : di.Headers)
                    if (h.Band == lastBand && cp.Y >= h.Rect.Top && cp.Y < h.Rect.Bottom &&
                        (!target || h.ColIndex > target->ColIndex))
                        target = &h;
                before = false;
            }
        }
        if (target) {
            const Integer sourceBand = DraggedItem >= 0 ? GetVisibleBandIndex(GetColumnBandIndex(DraggedItem)) : -1;
            const bool ownColumns =
                sourceBand != target->Band &&
                (IsBandOnlyOwnColumns(target->Band) || (sourceBand >= 0 && IsBandOnlyOwnColumns(sourceBand)));
            const bool sameRow = pressed && pressed->Band == target->Band && pressed->Row == target->Row;
            if (target->Column == PressedItem || ownColumns ||
                (sameRow && ((before && target->ColIndex == pressed->ColIndex + 1) ||
                             (!before && target->ColIndex == pressed->ColIndex - 1)))) {
                PosInfo = MakeHeaderPosInfo(target->Band, target->Row, target->ColIndex, -2);
            } else {
                Integer colIndex = target->ColIndex;
                if (before) {
                    if (pressed && pressed->Band == target->Band && pressed->ColIndex < target->ColIndex && sameRow &&
                        colIndex > 0)
                        --colIndex;
                } else if (!(sameRow && pressed->ColIndex < target->ColIndex)) {
                    // A header taken out of the same row before the target leaves the target
                    // one place further left.
                    ++colIndex;
                }
                PosInfo = MakeHeaderPosInfo(target->Band, target->Row, colIndex, -3);
                placeArrows(before ? target->Rect.Left : target->Rect.Right, target->Rect.Top, di.HeaderPanelRect);
            }
        }
    }
    FreeDrawInfo(di);
    if (!(arrows == NoArrows)) P = ClientToScreen(arrows);
}

// ---- ending a band or header drag --------------------------------------------------------------------

void TCustomgxTreeList::FinishBandOrHeaderDrag(bool Band, Integer& Pressed, Integer& Dragged) {
    if (FState == (Band ? tsBandDragging : tsColumnDragging)) SetState(tsNormal);
    if (FDragImageList) FDragImageList->EndDrag();
    delete FDragImageList;
    FDragImageList = nullptr;
    if (FArrowsShown) ToggleDropArrows();
    FDropArrowPos = NoArrows;
    StopScrollTimer();
    Integer& pressed = Band ? FPressedBand : FPressedColumn;
    Integer& dragged = Band ? FDraggedBand : FDraggedColumn;
    Pressed = pressed;
    Dragged = dragged;
    pressed = dragged = -1;
    (Band ? FPressedBandShown : FPressedColumnShown) = false;
    const TgxTreeListAreaInfo a = CalcRectInfo();
    InvalidateArea(Band ? a.BandPanelRect : a.HeaderPanelRect);
}

void TCustomgxTreeList::EndDragBand(bool Drop) {
    Integer pressed = -1, band = -1;
    FinishBandOrHeaderDrag(true, pressed, band);
    if (!Drop || band < 0) return;
    TPoint p = FDragPoint;
    TgxHeaderPosInfo position;
    Integer target = -1;
    if (!IsPointInCustomizingForm(p)) {
        TPoint arrows = p;
        CalcDropPosition(arrows, position, band, pressed, true);
        target = position.BandIndex;
    }
    bool accept = true;
    DoDragEndBand(p, band, accept, target, pressed);
    if (!accept) return;
    if (pressed < 0) {
        if (IsCustomizing() && target >= 0) ShowBand(target, band);
    } else if (target >= 0 && target != pressed) {
        MoveBand(pressed, target);
        MakeBandVisible(target);
    } else if ((IsCustomizing() || IsExtCustomizing()) && target == -1) {
        if (!IsBandDisableCustomizing(band)) HideBand(band);
    }
}

void TCustomgxTreeList::EndDragHeader(bool Drop) {
    Integer pressed = -1, column = -1;
    FinishBandOrHeaderDrag(false, pressed, column);
    if (!Drop || column < 0) return;
    TPoint p = FDragPoint;
    TgxHeaderPosInfo position;
    if (!IsPointInCustomizingForm(p)) {
        TPoint arrows = p;
        CalcDropPosition(arrows, position, column, pressed, false);
    }
    bool accept = true;
    DoDragEndHeader(p, column, accept, position);
    if (!accept) return;
    if (!IsColumnShown(column)) {
        if (IsCustomizing() && position.ColumnIndex != -1 && position.ColumnIndex != -2)
            ShowHeader(column, position.BandIndex, position.RowIndex, position.ColIndex);
    } else if (position.ColumnIndex == -3) {
        MoveHeader(column, position.BandIndex, position.RowIndex, position.ColIndex);
    } else if ((IsCustomizing() || IsExtCustomizing()) && position.ColumnIndex == -1) {
        if (!IsColumnDisableCustomizing(column) && GetVisibleColumnCount() > 1) HideHeader(column);
    }
}

// ---- node dragging -------------------------------------------------------------------------------

void TCustomgxTreeList::DoStartDrag(TDragObject*& DragObject) {
    if (FState == tsEditing) HideEditor();
    TCustomgxContainer::DoStartDrag(DragObject);
    if (!FDragNode) {
        const TPoint p = ScreenToClient(Mouse->GetCursorPos());
        FDragNode = GetNodeAt(p.X, p.Y);
    }
    if (FDragNode) {
        DoBeginDragNode(FDragNode);
        const Integer width = GetNodeDragWidth() + 26;
        const Integer height = FDefaultRowHeight + 6;
        TBitmap bitmap;
        bitmap.SetWidth(width);
        bitmap.SetHeight(height);
        TCanvas* c = bitmap.GetCanvas();
        c->GetBrush()->SetColor(GetColor());
        c->FillRect(TRect(0, 0, width, height));
        for (Integer i = 0; i < 3; ++i) c->DrawFocusRect(TRect(20 + i, i, width - i, height - i));
        std::string text;
        GetNodeDragText(FDragNode, GetFocusedColumnAbsoluteIndex(), text);
        c->GetFont()->Assign(GetFont());
        c->GetBrush()->SetStyle(bsClear);
        TRect r(24, 3, width - 3, height - 3);
        DrawText(c->GetHandle(), text, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        delete FDragImageList;
        FDragImageList = new TImageList(nullptr);
        FDragImageList->SetWidth(width);
        FDragImageList->SetHeight(height);
        FDragImageList->AddMasked(&bitmap, GetColor());
        FDragImageList->SetDragImage(0, 0, 0);
        SetState(tsNodeDragging);
    }
    SetDragOverObject(nullptr);
}

void TCustomgxTreeList::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
    TCustomgxContainer::DragOver(Source, X, Y, State, Accept);
    StopScrollTimer();
    if (State == dsDragLeave) return;
    const TgxTreeListHitInfo hit = GetHitInfo(TPoint{X, Y});
    if (IsDragExpand() && hit.HitCode == hcButton && hit.Node) {
        if (FDragExpandNode != hit.Node || !FDragExpandTimer) {
            FDragExpandNode = hit.Node;
            if (FDragExpandTimer) KillTimer(this, DragExpandTimerId);
            FDragExpandTimer = SetTimer(this, DragExpandTimerId, FWaitForExpandNodeTime) != 0;
        }
    }
    if (!CanDragScroll()) return;
    const TRect scrollable = GetScrollableRect();
    if (X >= scrollable.Left && X < scrollable.Left + 12)
        FDragScrollX = -1;
    else if (X < scrollable.Right && X >= scrollable.Right - 12)
        FDragScrollX = 1;
    if (FDragScrollX != 0) {
        FScrollTimer = SetTimer(this, ScrollTimerId, DragScrollInterval) != 0;
        return;
    }
    if (!IsRowHit(hit.HitCode) || !hit.Node) return;
    const Integer column = hit.Column >= 0 && !IsRowSelect() ? AbsoluteToVisibleIndex(hit.Column) : GetFocusedColumn();
    SetFocusedCell(hit.Node, column, true);
    Update();
    const Integer index = GetAbsoluteIndex(hit.Node);
    if (hit.Node == FTopVisibleNode && !IsFirstNode(hit.Node))
        FDragScrollY = -1;
    else if (index >= GetTopIndex() + FFullVisibleRowCount - 1 && !IsLastVisibleNode(hit.Node))
        FDragScrollY = 1;
    if (FDragScrollY != 0) FScrollTimer = SetTimer(this, ScrollTimerId, DragScrollInterval) != 0;
}

void TCustomgxTreeList::DoEndDrag(TObject* Target, Integer X, Integer Y) {
    TCustomgxContainer::DoEndDrag(Target, X, Y);
    FDragNode = nullptr;
    SetDragOverObject(nullptr);
    if (FState == tsNodeDragging) SetState(tsNormal);
    StopScrollTimer();
    if (FDragExpandTimer && HandleAllocated()) KillTimer(this, DragExpandTimerId);
    FDragExpandTimer = false;
    delete FDragImageList;
    FDragImageList = nullptr;
}

void TCustomgxTreeList::CMDrag(TMessage& Message) {
    TCustomgxContainer::CMDrag(Message);
    if (FState == tsNodeDragging) return;
    auto* rec = reinterpret_cast<TDragRec*>(Message.LParam);
    if (!rec) return;
    switch (TDragMessage(Message.WParam)) {
        case dmDragEnter:
            if (OnDragOver) SetDragOverObject(rec->Source);
            break;
        case dmDragLeave:
        case dmDragDrop:
        case dmDragCancel: SetDragOverObject(nullptr); break;
        default: break;
    }
}

void TCustomgxTreeList::SetDragOverObject(TDragObject* Object) {
    if (Object == FDragOverObject) return;
    TDragObject* old = FDragOverObject;
    FDragOverObject = Object;
    if (!Object && old) {
        old->HideDragImage();
        InvalidateNode(FFocusedNode);
        Update();
        old->ShowDragImage();
    }
    if (!Object) {
        FDragExpandNode = nullptr;
        if (FDragExpandTimer && HandleAllocated()) KillTimer(this, DragExpandTimerId);
        FDragExpandTimer = false;
    }
}
