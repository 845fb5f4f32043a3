// Focus, the selection contract, the top row and the editor state of the tree list.

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <iterator>
#include <vector>

#include "treelist/inplace_edit.h"
#include "treelist/tree_list.h"

// ---- focus -----------------------------------------------------------------------------------

Integer TCustomgxTreeList::GetVisibleColumnCount() {
    Integer count = 0;
    for (Integer i = 0; i < GetColumnCount(); ++i)
        if (IsColumnShown(i)) ++count;
    return count;
}

Integer TCustomgxTreeList::GetFocusedColumn() {
    if (IsRowSelect() || FFocusedColumn < 0 || FFocusedColumn >= GetVisibleColumnCount()) return 0;
    return FFocusedColumn;
}

void TCustomgxTreeList::SetFocusedColumn(Integer Index) {
    if (Index == FFocusedColumn || Index < 0 || Index >= GetVisibleColumnCount()) return;
    SetFocusedCell(FFocusedNode, Index, true);
}

Integer TCustomgxTreeList::GetFocusedColumnAbsoluteIndex() {
    if (FFocusedColumnAbsoluteIndex < 0) FFocusedColumnAbsoluteIndex = VisibleToAbsoluteIndex(GetFocusedColumn());
    return FFocusedColumnAbsoluteIndex;
}

Integer TCustomgxTreeList::GetFocusedAbsoluteIndex() {
    return FFocusedNode ? GetAbsoluteIndex(FFocusedNode) : 0;
}

void TCustomgxTreeList::SetFocusedCell(TgxTreeListNode* Node, Integer Column, bool MakeVisible) {
    if (!Node) return;
    HideEditor();
    FFocusedColumnAbsoluteIndex = -1;
    TgxTreeListNode* oldNode = FFocusedNode;
    const Integer oldColumn = GetFocusedColumn();
    std::exception_ptr failure;
    try {
        if (IsUpdating()) {
            FFocusedNode = Node;
            FFocusedColumn = Column;
        } else if (Node == FFocusedNode && (IsRowSelect() || Column == oldColumn)) {
            // nothing changes
        } else if (Node == FFocusedNode) {
            MakeColumnVisible(Column);
            FFocusedColumn = Column;
            InvalidateNode(Node);
            InvalidateNewItemRow();
        } else {
            if (!IsRowSelect()) {
                FFocusedColumn = Column;
                MakeColumnVisible(Column);
            }
            InvalidateNode(oldNode);
            FFocusedNode = Node;
            InvalidateNode(Node);
            SetNewItemRowFocused(false);
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (FFocusedNode && MakeVisible) FFocusedNode->MakeVisible();
    const bool nodeChanged = FFocusedNode != oldNode;
    const bool columnChanged = GetFocusedColumn() != oldColumn;
    // A search moves the focus itself and goes on.
    if ((nodeChanged || columnChanged) && FSearchDepth == 0) EndSearch();
    if (nodeChanged) DoChangeNode(oldNode, FFocusedNode);
    if (columnChanged) DoChangeColumn(FFocusedNode, GetFocusedColumn());
    if (failure) std::rethrow_exception(failure);
}

void TCustomgxTreeList::SetFocusedAbsoluteIndex(Integer Index) {
    if (GetCount() == 0 || Index == GetFocusedAbsoluteIndex()) return;
    const Integer count = GetAbsoluteCount();
    if (Index >= count) Index = count - 1;
    if (Index < 0) Index = 0;
    if (FFocusedNode && Index == GetAbsoluteIndex(FFocusedNode)) return;
    SetFocusedCell(GetAbsoluteNode(Index), GetFocusedColumn(), true);
}

void TCustomgxTreeList::SetNewItemRowFocused(bool Value) {
    if (!IsNewItemRowVisible() || Value == FNewItemRowFocused) return;
    FNewItemRowFocused = Value;
    InvalidateNode(FFocusedNode);
    InvalidateNewItemRow();
}

Integer TCustomgxTreeList::VisibleToAbsoluteIndex(Integer Index) {
    if (Index < 0) return -1;
    Integer rows = 0;
    const Integer bands = GetVisibleBandCount();
    for (Integer band = 0; band < bands; ++band)
        if (GetBandUsedRowCount(band) > rows) rows = GetBandUsedRowCount(band);
    Integer n = 0;
    for (Integer row = 0; row < rows; ++row)
        for (Integer band = 0; band < bands; ++band) {
            if (row >= GetBandUsedRowCount(band)) continue;
            const Integer columns = GetBandRowColumnCount(band, row);
            for (Integer position = 0; position < columns; ++position, ++n)
                if (n == Index) return GetBandRowColumnIndex(band, row, position);
        }
    return -1;
}

Integer TCustomgxTreeList::AbsoluteToVisibleIndex(Integer Index) {
    const Integer count = GetVisibleColumnCount();
    for (Integer n = 0; n < count; ++n)
        if (VisibleToAbsoluteIndex(n) == Index) return n;
    return 0;
}

// ---- selection -------------------------------------------------------------------------------

TgxTreeListNode* TCustomgxTreeList::GetSelectionReference() {
    if (GetSelectedCount() > 0) return GetSelectedNode(0);
    return FSelectionReference;
}

bool TCustomgxTreeList::CanSelectNode(TgxTreeListNode* Node) {
    bool allow = true;
    if (OnCanNodeSelected) OnCanNodeSelected(this, Node, allow);
    if (allow && !IsExtMultiSelect()) {
        TgxTreeListNode* reference = GetSelectionReference();
        if (reference) allow = Node->GetParent() == reference->GetParent();
    }
    return allow;
}

void TCustomgxTreeList::ClearSelection() {
    FKeyboardExtending = false;
    DoSelectedCountChange();
}

Integer TCustomgxTreeList::CompareWithSelectionAnchor(TgxTreeListNode* Node) {
    const Integer index = GetAbsoluteIndex(Node);
    const Integer anchor = GetAbsoluteIndex(FSelectionAnchor);
    if (index == anchor) return 0;
    return anchor > index ? -1 : 1;
}

void TCustomgxTreeList::DoSelectedCountChange() {
    if (IsDestroying() || FSelectionUpdateDepth > 0) return;
    if (OnSelectedCountChange) OnSelectedCountChange(this);
}

void TCustomgxTreeList::InvalidateSelection() {
    InvalidateNode(FFocusedNode);
    const Integer count = GetSelectedCount();
    if (count > 10) {
        Invalidate();
        return;
    }
    for (Integer i = 0; i < count; ++i) InvalidateNode(GetSelectedNode(i));
}

void TCustomgxTreeList::SelectNodeRange(TgxTreeListNode* Node1, TgxTreeListNode* Node2) {
    BeginSelectionUpdate();
    try {
        Integer index1 = GetAbsoluteIndex(Node1);
        Integer index2 = GetAbsoluteIndex(Node2);
        TgxTreeListNode* node = index1 <= index2 ? Node1 : Node2;
        TgxTreeListNode* last = index1 <= index2 ? Node2 : Node1;
        for (Integer n = std::abs(index2 - index1) + 1; node && n > 0; --n) {
            node->SetSelected(true);
            if (node == last) break;
            node = node->GetNextVisible();
        }
    } catch (...) {
        // A refused or failing selection ends the range; the bracket still closes.
    }
    EndSelectionUpdate();
}

void TCustomgxTreeList::MergeNodeRange(TgxTreeListNode* Node1, TgxTreeListNode* Node2,
                                       std::vector<TgxTreeListNode*>& Selection) {
    RefreshCache();
    Integer first = GetAbsoluteIndex(Node1);
    Integer last = GetAbsoluteIndex(Node2);
    if (first > last) std::swap(first, last);
    if (first < 0) return;
    std::vector<TgxTreeListNode*> range;
    for (Integer i = first; i <= last; ++i)
        if (TgxTreeListNode* node = GetAbsoluteNode(i)) range.push_back(node);
    if (range.empty()) return;
    std::vector<TgxTreeListNode*> chosen;
    SetSelectionReference(range.front());
    try {
        for (TgxTreeListNode* node : range)
            if (CanSelectNode(node)) chosen.push_back(node);
    } catch (...) {
        SetSelectionReference(nullptr);
        throw;
    }
    SetSelectionReference(nullptr);
    if (chosen.empty()) return;
    auto less = [](TgxTreeListNode* A, TgxTreeListNode* B) { return CompareNodePointers(A, B) < 0; };
    std::sort(chosen.begin(), chosen.end(), less);
    std::vector<TgxTreeListNode*> merged;
    merged.reserve(chosen.size() + Selection.size());
    std::set_union(chosen.begin(), chosen.end(), Selection.begin(), Selection.end(), std::back_inserter(merged), less);
    Selection.swap(merged);
}

// ---- state and editing -----------------------------------------------------------------------

void TCustomgxTreeList::SetState(TgxTreeListState Value) {
    if (FState == Value) return;
    FState = Value;
    if (Value != tsEditing) return;
    if (FInplaceEditor) FInplaceEditor->MoveCaretToEnd();
    EndSearch();
}


void TCustomgxTreeList::SetSearch(Integer Column, const std::string& Text) {
    FSearching = true;
    FSearchColumn = Column;
    FSearchText = Text;
    InvalidateNode(FFocusedNode);
}

void TCustomgxTreeList::EndSearch() {
    if (!FSearching) return;
    FSearching = false;
    FSearchColumn = -1;
    FSearchText.clear();
    InvalidateNode(FFocusedNode);
}

// ---- the keyboard focus ----------------------------------------------------------------------

bool TCustomgxTreeList::IsFocusWithin() {
    for (TWinControl* w = GetFocus(); w; w = w->GetParent())
        if (w == this) return true;
    return false;
}

namespace {

// The list's only child windows are its in-place editors.
bool IsEditorWindow(TCustomgxTreeList* List, HWND Wnd) {
    return Wnd && Wnd != List && Wnd->GetParent() == List;
}

}  // namespace

void TCustomgxTreeList::WMSetFocus(TMessage& Message) {
    TCustomgxContainer::WMSetFocus(Message);
    if (!FFocusedNode) FFocusedNode = FTopVisibleNode;
    if (!IsEditorWindow(this, reinterpret_cast<HWND>(Message.WParam))) InvalidateNode(FFocusedNode);
    if (IsMultiSelect() && GetSelectedCount() > 0) InvalidateSelection();
    InvalidateNewItemRow();
    // Back in the list while editing: the editor shows again, without the focus.
    if (FState == tsEditing) ShowEditorWindow(false);
}

void TCustomgxTreeList::WMKillFocus(TMessage& Message) {
    TCustomgxContainer::WMKillFocus(Message);
    if (IsEditorWindow(this, reinterpret_cast<HWND>(Message.WParam))) return;
    InvalidateNode(FFocusedNode);
    HideEditor();
    if (IsMultiSelect() && GetSelectedCount() > 0) InvalidateSelection();
    InvalidateNewItemRow();
    if (FState == tsNodeDown) SetState(tsNormal);
}
