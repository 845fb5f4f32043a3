// The thumbnail grid's mouse and keys: every selection change is the attached grid's node
// selection; keys move the focus and play a press and a release at the new item.

#include <algorithm>

#include "catalogue/thumb_grid.h"
#include "dbgrid/db_grid.h"
#include "framework/messages.h"
#include "framework/variant.h"

namespace {

bool IsNavigationKey(Word Key) {
    switch (Key) {
        case VK_PRIOR:
        case VK_NEXT:
        case VK_END:
        case VK_HOME:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN: return true;
        default: return false;
    }
}

}  // namespace

Integer TgxThumbGrid2::ItemAtPoint(Integer X, Integer Y) {
    Integer col = -1, row = -1;
    MouseToCell(X, Y, col, row);
    if (col < 0 || row < 0) return -1;
    const TRect cell = CellRect(col, row);
    const Integer pad = Pad();
    if (X < cell.Left + pad || X >= cell.Right - pad || Y < cell.Top + pad || Y >= cell.Bottom - pad) return -1;
    const Integer index = CellToIndex(col, row);
    return IsItem(index) ? index : -1;
}

Integer TgxThumbGrid2::GetKeyIDAtPoint(Integer X, Integer Y) {
    auto* node = static_cast<TgxDBGridNode*>(ItemNode(ItemAtPoint(X, Y)));
    if (!node) return -1;
    try {
        return node->KeyValue.AsInteger();
    } catch (...) {
        return -1;
    }
}

void TgxThumbGrid2::FocusItem(Integer Index) {
    if (TgxTreeListNode* node = ItemNode(Index)) node->SetFocused(true);
}

void TgxThumbGrid2::SelectItem(Integer Index, bool Value) {
    TgxTreeListNode* node = ItemNode(Index);
    if (!node || node->GetSelected() == Value) return;
    node->SetSelected(Value);
    InvalidateItem(Index);
}

// What a press at an item does (the mouse, or a key playing one).
void TgxThumbGrid2::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (CanFocus() && !Focused()) SetFocus();
    FPressOnItem = false;
    if (FItemCount == 0) return;
    const Integer index = ItemAtPoint(X, Y);
    if (index < 0) {
        if (OnNonCellMouseDown) OnNonCellMouseDown(this, Button, Shift, X, Y);
        return;
    }
    PressItem(index, Button, Shift);
}

void TgxThumbGrid2::PressItem(Integer index, TMouseButton Button, TShiftState Shift) {
    const Integer before = FocusedIndex();
    FPressOnItem = true;
    FLayoutSincePress = false;
    FPrevFocused = before;
    if (before >= 0 && before != index) InvalidateItem(before);
    FocusItem(index);
    FPressedWasSelected = ItemSelected(index);
    if (!Shift.Contains(ssShift)) FAnchor = index;
    if (!(Button == mbRight && FPressedWasSelected)) {
        if (!MultipleSelect || (!FPressedWasSelected && !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl)))
            ClearSelection();
        SelectItem(index, true);
    }
    FScrolledSinceSingle = false;
    FSingleSelected = FGrid && FGrid->GetSelectedCount() == 1 ? index : -1;
    InvalidateItem(index);
}

void TgxThumbGrid2::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (!FPressOnItem) {
        if (Button == mbRight) TDrawGrid::MouseUp(Button, Shift, X, Y);
        return;
    }
    CompleteRelease(Button, Shift, false);
}

void TgxThumbGrid2::CompleteRelease(TMouseButton Button, TShiftState Shift, bool ByKey) {
    const Integer current = FocusedIndex();
    if (current < 0) return;
    if (FLayoutSincePress) {
        SelectItem(current, true);
    } else if (MultipleSelect && Shift.Contains(ssCtrl)) {
        FRangeSelect = true;
        if (ByKey)
            SelectItem(current, true);
        else if (FPressedWasSelected)
            SelectItem(current, false);
    } else if (MultipleSelect && Shift.Contains(ssShift)) {
        if (FRangeSelect && !Shift.Contains(ssCtrl)) ClearSelection();
        FRangeSelect = true;
        const Integer from = std::min(FAnchor, current), to = std::max(FAnchor, current);
        for (Integer i = from; i <= to; ++i) SelectItem(i, true);
    } else {
        if (FPressedWasSelected) {
            if (Button != mbRight) ClearSelection();
            SelectItem(current, true);
        }
        FRangeSelect = false;
    }
    FSingleSelected = FGrid && FGrid->GetSelectedCount() == 1 ? current : -1;
    ScrollIntoView(current);
}

void TgxThumbGrid2::KeyDown(Word& Key, TShiftState Shift) {
    if (!DisableComponentKeyEventHandling) ThumbKeyDown(Key, Shift);
}

void TgxThumbGrid2::KeyUp(Word& Key, TShiftState Shift) {
    if (!DisableComponentKeyEventHandling) ThumbKeyUp(Key, Shift);
}

void TgxThumbGrid2::ThumbKeyDown(Word Key, TShiftState Shift) {
    if (!IsNavigationKey(Key) || FItemCount == 0) return;
    const Integer cols = GetColCount(), last = FItemCount - 1;
    const Integer current = std::max<Integer>(0, FocusedIndex());
    Integer target = current;
    switch (Key) {
        case VK_PRIOR:
        case VK_NEXT: {
            const Integer step = std::max<Integer>(0, GetVisibleRowCount() - 1) * cols;
            target = std::clamp(Key == VK_NEXT ? current + step : current - step, Integer(0), last);
            break;
        }
        case VK_END: target = last; break;
        case VK_HOME: target = 0; break;
        case VK_LEFT: target = current - 1; break;
        case VK_RIGHT: target = current + 1; break;
        case VK_UP: target = current - cols; break;
        case VK_DOWN: target = current + cols; break;
    }
    if (!IsItem(target)) return;
    ScrollIntoView(target);
    PressItem(target, mbLeft, Shift);
}

void TgxThumbGrid2::ThumbKeyUp(Word Key, TShiftState Shift) {
    if (!IsNavigationKey(Key) || !FPressOnItem || FLayoutSincePress) return;
    CompleteRelease(mbLeft, Shift.Contains(ssCtrl) ? TShiftState{ssShift} : TShiftState{}, true);
}
