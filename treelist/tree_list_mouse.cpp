// The mouse of the tree list: presses, moves and releases start and end the mouse states
// (pressing a node, a band, a header or a corner, sizing, dragging), select nodes, toggle them,
// open the editor and click headers; the window timers of the delayed editor, the scroll-select
// and the drag scrolling; the cursor over edges.

#include <cstdlib>

#include "framework/drag.h"
#include "framework/forms.h"
#include "framework/system_metrics.h"
#include "framework/timer.h"
#include "treelist/inplace_edit.h"
#include "treelist/tree_list.h"

namespace {

// Timer 1 scrolls (scroll-select, drag scrolling), timer 2 opens the delayed editor, timer 3
// expands the node a drag holds over its button.
constexpr UINT_PTR ScrollTimerId = 1;
constexpr UINT_PTR EditorTimerId = 2;
constexpr UINT_PTR DragExpandTimerId = 3;
constexpr Integer ScrollSelectInterval = 60;

// A press becomes a drag once the mouse leaves the square of this many pixels around it.
constexpr Integer DragThreshold = 5;

bool BeyondThreshold(TPoint From, Integer X, Integer Y) {
    return std::abs(X - From.X) > DragThreshold || std::abs(Y - From.Y) > DragThreshold;
}

// The parts of a row a right press or a double click acts on.
bool IsItemHit(TgxTreeListHitCode Code) {
    switch (Code) {
        case hcImage:
        case hcStateImage:
        case hcCell:
        case hcNewItemRow:
        case hcRowFooter:
        case hcPreview: return true;
        default: return false;
    }
}

}  // namespace

// ---- the delayed editor ------------------------------------------------------------------------

void TCustomgxTreeList::StartEditorTimer() {
    if (!HandleAllocated()) return;
    StopEditorTimer();
    FEditorTimer = SetTimer(this, EditorTimerId, GetDoubleClickTime()) != 0;
}

void TCustomgxTreeList::StopEditorTimer() {
    if (!FEditorTimer) return;
    FEditorTimer = false;
    if (HandleAllocated()) KillTimer(this, EditorTimerId);
}

void TCustomgxTreeList::StopScrollTimer() {
    FScrollSelectDir = 0;
    FDragScrollX = 0;
    FDragScrollY = 0;
    if (!FScrollTimer) return;
    FScrollTimer = false;
    if (HandleAllocated()) KillTimer(this, ScrollTimerId);
}

void TCustomgxTreeList::WMTimer(TMessage& Message) {
    switch (Message.WParam) {
        case EditorTimerId:
            StopEditorTimer();
            if (FState == tsNormal) ShowEditor();
            break;
        case ScrollTimerId:
            if (FScrollSelectDir != 0) {
                if (FState != tsNodeDown) {
                    StopScrollTimer();
                    break;
                }
                SetFocusedAbsoluteIndex(GetFocusedAbsoluteIndex() + FScrollSelectDir);
                if (IsMultiSelect() && FFocusedNode) {
                    ClearSelection();
                    FFocusedNode->SetSelected(true);
                }
            } else if (FDragScrollX != 0) {
                const Integer before = FLeftCoord;
                SetLeftCoord(FLeftCoord + 32 * FDragScrollX);
                if (FLeftCoord == before) StopScrollTimer();
            } else if (FDragScrollY != 0) {
                const TPoint p = ScreenToClient(Mouse->GetCursorPos());
                const TRect client = GetClientRect();
                const Integer before = GetFocusedAbsoluteIndex();
                if (PtInRect(&client, p)) SetFocusedAbsoluteIndex(before + FDragScrollY);
                if (!PtInRect(&client, p) || GetFocusedAbsoluteIndex() == before) StopScrollTimer();
            } else {
                StopScrollTimer();
            }
            break;
        case DragExpandTimerId: {
            KillTimer(this, DragExpandTimerId);
            FDragExpandTimer = false;
            TgxTreeListNode* node = FDragExpandNode;
            if (!node) break;
            const TgxTreeListHitInfo hit = GetHitInfo(ScreenToClient(Mouse->GetCursorPos()));
            if (hit.HitCode != hcButton || hit.Node != node) break;
            if (IsDragCollapse()) {
                node->SetExpanded(!node->GetExpanded());
                FDragExpandTimer = SetTimer(this, DragExpandTimerId, 2 * FWaitForExpandNodeTime) != 0;
            } else {
                node->SetExpanded(true);
            }
            break;
        }
        default: TCustomgxContainer::WMTimer(Message); break;
    }
}

// ---- presses -----------------------------------------------------------------------------------

void TCustomgxTreeList::WndProc(TMessage& Message) {
    const Cardinal msg = Message.Msg;
    if (msg == WM_MOUSEMOVE && (FState == tsBandDragging || FState == tsColumnDragging)) {
        MoveDragBandOrHeader(ClientToScreen(TPoint{int16_t(LOWORD(Message.LParam)), int16_t(HIWORD(Message.LParam))}));
        return;
    }
    if (msg == WM_KEYDOWN && (Message.WParam == VK_ADD || Message.WParam == VK_SUBTRACT) &&
        GetDragMode() == dmAutomatic && Dragging() && TDragManager::Active() && TDragManager::DragObject()) {
        // The node under the dragged image opens or closes.
        const TgxTreeListHitInfo hit = GetHitInfo(ScreenToClient(TDragManager::DragObject()->GetDragPos()));
        if (hit.Node && (NodeHasChildren(hit.Node) || hit.Node->GetHasChildren()))
            hit.Node->SetExpanded(Message.WParam == VK_ADD);
        return;
    }
    if ((msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) && GetDragMode() == dmAutomatic &&
        !GetComponentState().Contains(csDesigning) && !Dragging()) {
        // The drag starts in MouseMove once the press moved past the threshold.
        TControlState state = GetControlState();
        state.Include(csLButtonDown);
        SetControlState(state);
        Dispatch(Message);
        return;
    }
    TCustomgxContainer::WndProc(Message);
}

void TCustomgxTreeList::WMLButtonDown(TMessage& Message) {
    StopEditorTimer();
    if (FInplaceEditor) FInplaceEditor->SetClickTime(GetMessageTime());
    TCustomgxContainer::WMLButtonDown(Message);
}

void TCustomgxTreeList::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    bool handled = false;
    bool pan = false;
    InSelectionBracket([&] {
        if (FState == tsEditing && FInplaceEditor && !FInplaceEditor->NeedsValidation()) HideEditorAndFocus();
        FCtrlShiftClicked = false;
        FDownOnSelected = false;
        FEditorOnRelease = false;
        const bool wasFocused = Focused();
        if (!GetComponentState().Contains(csDesigning) && (CanFocus() || !GetParentForm(this))) {
            if (!Focused()) SetFocus();
            if (!Focused()) {
                SetMouseCapture(false);
                handled = true;
                return;
            }
        }
        const TgxTreeListHitInfo hit = GetHitInfo(TPoint{X, Y});
        FDownHit = hit;
        FDownPoint = TPoint{X, Y};
        const bool dbl = Shift.Contains(ssDouble);
        if (FState != tsNormal && FState != tsEditing && Button == mbRight) CancelSizingAndDragging();

        // Edges start sizing, bands, headers and corners are held down.
        if (Button == mbLeft && FState == tsNormal) {
            auto startSizing = [&](TgxTreeListState State, Integer Pos) {
                SetState(State);
                FSizeLinePos = FSizeLineStart = Pos;
                DrawSizeLine();
                handled = true;
            };
            switch (hit.HitCode) {
                case hcBandEdge:
                    if (hit.Band < 0) break;
                    if (dbl) {
                        ApplyBandBestFit(hit.Band);
                        handled = true;
                        return;
                    }
                    FSizingBand = hit.Band;
                    startSizing(tsBandSizing, X);
                    return;
                case hcHeaderEdge:
                    if (hit.Column < 0) break;
                    if (dbl) {
                        ApplyColumnBestFit(hit.Column);
                        handled = true;
                        return;
                    }
                    FSizingColumn = hit.Column;
                    startSizing(tsColumnSizing, X);
                    return;
                case hcBandPanelEdge: startSizing(tsBandPanelSizing, Y); return;
                case hcHeaderPanelEdge: startSizing(tsHeaderPanelSizing, Y); return;
                case hcRowEdge:
                    FSizingNode = hit.Node;
                    startSizing(tsRowSizing, Y);
                    return;
                case hcBand:
                    SetState(tsBandDown);
                    FPressedBand = hit.Band;
                    FPressedBandShown = true;
                    InvalidateArea(CalcRectInfo().BandPanelRect);
                    break;
                case hcHeader:
                    SetState(tsColumnDown);
                    FPressedColumn = hit.Column;
                    FPressedColumnShown = true;
                    InvalidateArea(CalcRectInfo().HeaderPanelRect);
                    break;
                case hcBandCorner:
                    if (!IsBandButtonClicking()) break;
                    SetState(tsBandCornerDown);
                    FBandCornerPressed = true;
                    InvalidateArea(CalcRectInfo().BandCornerRect);
                    break;
                case hcHeaderCorner:
                    if (!IsHeaderButtonClicking()) break;
                    SetState(tsHeaderCornerDown);
                    FHeaderCornerPressed = true;
                    InvalidateArea(CalcRectInfo().HeaderCornerRect);
                    break;
                default: break;
            }
        }
        if (FState == tsEditing) HideEditorAndFocus();
        const bool skipToEnd = (Button == mbRight && !IsItemHit(hit.HitCode)) || Button == mbMiddle;
        if (!skipToEnd) {
            // Buttons and double clicks toggle.
            if (hit.Node && (hit.HitCode == hcButton || (dbl && IsItemHit(hit.HitCode)))) {
                StopEditorTimer();
                if (FDblClkExpanding || hit.HitCode == hcButton) hit.Node->SetExpanded(!hit.Node->GetExpanded());
                if (dbl && CanDblClick()) DblClick();
                handled = true;
                return;
            }
            if (hit.Node && ((IsItemHit(hit.HitCode) && hit.HitCode != hcNewItemRow) || hit.HitCode == hcIndicator)) {
                if (Button == mbLeft && hit.HitCode != hcIndicator) SetState(tsNodeDown);
                FDragNode = hit.Node;
                SetNewItemRowFocused(false);
                const bool nodeWasFocused = hit.Node == FFocusedNode;
                const Integer column = hit.Column >= 0 ? AbsoluteToVisibleIndex(hit.Column) : GetFocusedColumn();
                const bool cellWasFocused = nodeWasFocused && column == GetFocusedColumn();
                FPressedNode = FFocusedNode;
                SetFocusedCell(hit.Node, column, true);
                if (IsMultiSelect()) {
                    const bool ctrl = Shift.Contains(ssCtrl);
                    const bool shift = Shift.Contains(ssShift);
                    if (ctrl || shift) {
                        FCtrlShiftClicked = true;
                        if (shift) {
                            if (!GetSelectionAnchor()) SetSelectionAnchor(FPressedNode);
                            if (!ctrl) {
                                ClearSelection();
                                if (GetSelectionAnchor())
                                    SelectNodeRange(GetSelectionAnchor(), hit.Node);
                                else
                                    hit.Node->SetSelected(true);
                            } else if (FPressedNode) {
                                SelectNodeRange(FPressedNode, hit.Node);
                            } else {
                                hit.Node->SetSelected(!hit.Node->GetSelected());
                            }
                        } else {
                            hit.Node->SetSelected(!hit.Node->GetSelected());
                            SetSelectionAnchor(hit.Node);
                        }
                        handled = true;
                        return;
                    }
                    if (hit.Node->GetSelected()) {
                        FDownOnSelected = Button == mbLeft;
                    } else {
                        ClearSelection();
                        hit.Node->SetSelected(true);
                        SetSelectionAnchor(hit.Node);
                    }
                }
                if (Button == mbLeft && hit.HitCode == hcCell && hit.Column >= 0 && !IsRowSelect()) {
                    if (IsEditorButtonAt(X, Y, nodeWasFocused)) {
                        SetState(tsNormal);
                        ShowEditorAndClick(X, Y);
                    } else if (cellWasFocused && wasFocused && FState != tsEditing && !FEditorTimer) {
                        StartEditorTimer();
                    }
                }
            } else if (hit.HitCode == hcNewItemRow) {
                if (!FFocusedNode) {
                    ActivateNewItemRow();
                } else {
                    const Integer column = hit.Column >= 0 ? AbsoluteToVisibleIndex(hit.Column) : GetFocusedColumn();
                    const bool columnWasFocused = IsNewItemRowFocused() && column == GetFocusedColumn();
                    SetFocusedColumn(column);
                    SetNewItemRowFocused(true);
                    FEditorOnRelease = true;
                    if (Button == mbLeft && columnWasFocused && wasFocused && FState != tsEditing && !FEditorTimer)
                        StartEditorTimer();
                }
            }
        }
        if (Button == mbLeft && dbl &&
            (hit.HitCode == hcNowhere || (hit.HitCode >= hcButton && hit.HitCode <= hcOutside)) && CanDblClick())
            DblClick();
        pan = Button == mbMiddle && FState == tsNormal;
    });
    if (handled) return;
    if (pan && !DoMousePanning(ClientToScreen(TPoint{X, Y}))) return;
    TCustomgxContainer::MouseDown(Button, Shift, X, Y);
}

// ---- moves -------------------------------------------------------------------------------------

void TCustomgxTreeList::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    const TgxTreeListHitInfo hit = GetHitInfo(TPoint{X, Y});
    if (FState == tsNodeDown && !Shift.Contains(ssLeft)) SetState(tsNormal);
    switch (FState) {
        case tsColumnSizing:
        case tsBandSizing:
        case tsBandPanelSizing:
        case tsHeaderPanelSizing:
        case tsRowSizing: {
            const Integer pos = ClampSizeLine(FState == tsColumnSizing || FState == tsBandSizing ? X : Y);
            if (pos != FSizeLinePos) {
                DrawSizeLine();
                FSizeLinePos = pos;
                DrawSizeLine();
            }
            break;
        }
        case tsBandDragging:
        case tsColumnDragging: MoveDragBandOrHeader(ClientToScreen(TPoint{X, Y})); break;
        case tsBandDown:
            if (BeyondThreshold(FDownPoint, X, Y) && FPressedBand >= 0 && CanBandDragging(FPressedBand)) {
                StartDragBand(GetAbsoluteBandIndex(FPressedBand));
                break;
            }
            if ((hit.HitCode == hcBand && hit.Band == FPressedBand) != FPressedBandShown) {
                FPressedBandShown = !FPressedBandShown;
                InvalidateArea(CalcRectInfo().BandPanelRect);
            }
            break;
        case tsColumnDown:
            if (BeyondThreshold(FDownPoint, X, Y) && FPressedColumn >= 0 && CanHeaderDragging(FPressedColumn)) {
                StartDragHeader(FPressedColumn);
                break;
            }
            if ((hit.HitCode == hcHeader && hit.Column == FPressedColumn) != FPressedColumnShown) {
                FPressedColumnShown = !FPressedColumnShown;
                InvalidateArea(CalcRectInfo().HeaderPanelRect);
            }
            break;
        case tsBandCornerDown:
            if ((hit.HitCode == hcBandCorner) != FBandCornerPressed) {
                FBandCornerPressed = !FBandCornerPressed;
                InvalidateArea(CalcRectInfo().BandCornerRect);
            }
            break;
        case tsHeaderCornerDown:
            if ((hit.HitCode == hcHeaderCorner) != FHeaderCornerPressed) {
                FHeaderCornerPressed = !FHeaderCornerPressed;
                InvalidateArea(CalcRectInfo().HeaderCornerRect);
            }
            break;
        case tsNodeDown:
            if (GetDragMode() == dmAutomatic) {
                if (!BeyondThreshold(FDownPoint, X, Y)) break;
                TgxTreeListNode* node = FDragNode ? FDragNode : hit.Node;
                if (node) {
                    if (!FCtrlShiftClicked) ClearSelection();
                    SetFocusedCell(node, GetFocusedColumn(), true);
                    node->SetSelected(true);
                }
                FCtrlShiftClicked = false;
                FDownOnSelected = false;
                FEditorOnRelease = false;
                BeginDrag(false);
            } else if (IsMouseScrollMode() && GetFirstNode()) {
                const TRect rows = GetRowsAreaRect();
                auto startScroll = [&](Integer Dir) {
                    if (FScrollSelectDir == Dir && FScrollTimer) return;
                    StopScrollTimer();
                    FScrollSelectDir = Dir;
                    FScrollTimer = SetTimer(this, ScrollTimerId, ScrollSelectInterval) != 0;
                };
                if (Y < rows.Top) {
                    SetFocusedCell(FTopVisibleNode, GetFocusedColumn(), true);
                    startScroll(-1);
                } else if (Y >= rows.Bottom) {
                    TgxTreeListNode* last = GetAbsoluteNode(GetTopIndex() + FFullVisibleRowCount - 1);
                    if (!last) last = GetLastVisibleNode();
                    if (last != FFocusedNode) SetFocusedCell(last, GetFocusedColumn(), true);
                    startScroll(1);
                } else {
                    StopScrollTimer();
                    if (hit.Node && hit.Node != FFocusedNode) {
                        SetFocusedCell(hit.Node, GetFocusedColumn(), true);
                        if (IsMultiSelect()) {
                            ClearSelection();
                            hit.Node->SetSelected(true);
                        }
                    }
                }
            }
            break;
        default: break;
    }
    TCustomgxContainer::MouseMove(Shift, X, Y);
}

// ---- releases ----------------------------------------------------------------------------------

void TCustomgxTreeList::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    const TgxTreeListState stateAtRelease = FState;
    InSelectionBracket([&] {
        const TgxTreeListHitInfo hit = GetHitInfo(TPoint{X, Y});
        switch (FState) {
            case tsBandSizing:
            case tsColumnSizing:
            case tsBandPanelSizing:
            case tsHeaderPanelSizing:
            case tsRowSizing: EndSizing(); break;
            case tsBandDown: {
                const Integer band = FPressedBand;
                const bool over = hit.HitCode == hcBand && hit.Band == band;
                CancelSizingAndDragging();
                if (over) DoBandClick(band);
                break;
            }
            case tsBandDragging: EndDragBand(true); break;
            case tsColumnDown: {
                const Integer column = FPressedColumn;
                const bool over = hit.HitCode == hcHeader && hit.Column == column;
                CancelSizingAndDragging();
                if (over) ClickColumn(column, Shift);
                break;
            }
            case tsColumnDragging: EndDragHeader(true); break;
            case tsBandCornerDown:
            case tsHeaderCornerDown: {
                const bool pressed = FState == tsBandCornerDown ? FBandCornerPressed : FHeaderCornerPressed;
                const bool band = FState == tsBandCornerDown;
                CancelSizingAndDragging();
                if (pressed) {
                    if (band)
                        DoBandButtonClick();
                    else
                        DoHeaderButtonClick();
                }
                break;
            }
            default: break;
        }
        StopScrollTimer();
        if (FDownOnSelected && FFocusedNode) {
            ClearSelection();
            FFocusedNode->SetSelected(true);
            SetSelectionAnchor(FFocusedNode);
        }
        FDownOnSelected = false;
        const bool nodeState = FState == tsEditing || FState == tsNodeDragging || FState == tsNodeDown;
        if (IsImmediateEditor() && (nodeState || FEditorOnRelease) && !IsRowSelect() && Button == mbLeft &&
            (hit.HitCode == hcCell || hit.HitCode == hcNewItemRow) && hit.HitCode == FDownHit.HitCode &&
            hit.Column == FDownHit.Column && hit.Node == FDownHit.Node && hit.Row == FDownHit.Row &&
            (hit.Node == FFocusedNode || hit.HitCode == hcNewItemRow)) {
            SetState(tsNormal);
            if (!Shift.Contains(ssShift) && !Shift.Contains(ssCtrl)) ShowEditorAndOpen();
        }
        FEditorOnRelease = false;
        if (FState == tsNodeDown) SetState(tsNormal);
    });
    if (stateAtRelease == tsEditing || stateAtRelease == tsNodeDragging || stateAtRelease == tsNodeDown) Click();
    TCustomgxContainer::MouseUp(Button, Shift, X, Y);
}

// ---- cancelling --------------------------------------------------------------------------------

void TCustomgxTreeList::CancelSizingAndDragging() {
    switch (FState) {
        case tsColumnSizing:
        case tsBandSizing:
        case tsBandPanelSizing:
        case tsHeaderPanelSizing:
        case tsRowSizing:
            DrawSizeLine();
            FSizingBand = FSizingColumn = -1;
            FSizingNode = nullptr;
            SetState(tsNormal);
            SetCursorShape(GetCursor());
            break;
        case tsBandDown:
            SetState(tsNormal);
            FPressedBand = -1;
            FPressedBandShown = false;
            InvalidateArea(CalcRectInfo().BandPanelRect);
            break;
        case tsBandDragging: EndDragBand(false); break;
        case tsColumnDown:
            SetState(tsNormal);
            FPressedColumn = -1;
            FPressedColumnShown = false;
            InvalidateArea(CalcRectInfo().HeaderPanelRect);
            break;
        case tsColumnDragging: EndDragHeader(false); break;
        case tsBandCornerDown:
        case tsHeaderCornerDown:
            SetState(tsNormal);
            FBandCornerPressed = false;
            FHeaderCornerPressed = false;
            Invalidate();
            break;
        default: break;
    }
}

void TCustomgxTreeList::WMCancelMode(TMessage& Message) {
    TCustomgxContainer::WMCancelMode(Message);
    CancelSizingAndDragging();
}

void TCustomgxTreeList::CMCancelMode(TMessage& Message) {
    CancelSizingAndDragging();
    TCustomgxContainer::CMCancelMode(Message);
    if (FInplaceEditor && FInplaceEditor->HandleAllocated())
        FInplaceEditor->Perform(CM_CANCELMODE, Message.WParam, Message.LParam);
}

// ---- the cursor ----------------------------------------------------------------------------------

void TCustomgxTreeList::WMSetCursor(TMessage& Message) {
    if (FPanning) {
        SetCursorShape(FPanningCursor);
        Message.Result = 1;
        return;
    }
    TCursor cursor = 0;
    if (reinterpret_cast<HWND>(Message.WParam) == this && int16_t(LOWORD(Message.LParam)) == HTCLIENT) {
        if (FState == tsNormal || FState == tsEditing) {
            const TgxTreeListHitInfo hit = GetHitInfo(ScreenToClient(GetMessagePos()));
            if ((hit.HitCode == hcBandEdge && hit.Band >= 0) || hit.HitCode == hcHeaderEdge)
                cursor = crHSplit;
            else if (hit.HitCode == hcBandPanelEdge || hit.HitCode == hcHeaderPanelEdge || hit.HitCode == hcRowEdge)
                cursor = crVSplit;
        } else if (FState == tsColumnSizing || FState == tsBandSizing) {
            cursor = crHSplit;
        } else if (IsSizingState(FState)) {
            cursor = crVSplit;
        }
    }
    if (cursor != 0) {
        SetCursorShape(cursor);
        Message.Result = 1;
        return;
    }
    TCustomgxContainer::WMSetCursor(Message);
}

void TCustomgxTreeList::DoExit() {
    TCustomgxContainer::DoExit();
    HideEditor();
}
