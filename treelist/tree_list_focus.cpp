// Focus, the selection contract, the top row and the editor state of the tree list.

#include <cstdlib>
#include <exception>

#include "treelist/tree_list.h"

// ---- focus -----------------------------------------------------------------------------------

namespace {

Integer VisibleColumnCount(TCustomgxTreeList* List) {
    Integer count = 0;
    for (Integer i = 0; i < List->GetColumnCount(); ++i)
        if (List->IsColumnShown(i)) ++count;
    return count;
}

}  // namespace

Integer TCustomgxTreeList::GetFocusedColumn() {
    if (IsRowSelect() || FFocusedColumn < 0 || FFocusedColumn >= VisibleColumnCount(this)) return 0;
    return FFocusedColumn;
}

void TCustomgxTreeList::SetFocusedColumn(Integer Index) {
    if (Index == FFocusedColumn || Index < 0 || Index >= VisibleColumnCount(this)) return;
    SetFocusedCell(FFocusedNode, Index, true);
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
            MakeColumnVisible(VisibleToAbsoluteIndex(Column));
            FFocusedColumn = Column;
            InvalidateNode(Node);
            InvalidateNewItemRow();
        } else {
            if (!IsRowSelect()) {
                FFocusedColumn = Column;
                MakeColumnVisible(VisibleToAbsoluteIndex(Column));
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
    if (nodeChanged || columnChanged) EndSearch();
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
    const Integer count = VisibleColumnCount(this);
    for (Integer n = 0; n < count; ++n)
        if (VisibleToAbsoluteIndex(n) == Index) return n;
    return 0;
}

void TCustomgxTreeList::MakeColumnVisible(Integer /*AbsoluteIndex*/) {
    // Without bands nothing can scroll horizontally; the band layer's widths come with the
    // horizontal scrolling.
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

// ---- rows ------------------------------------------------------------------------------------

Integer TCustomgxTreeList::GetTopIndex() const {
    return FTopVisibleNode ? GetAbsoluteIndex(FTopVisibleNode) : -1;
}

void TCustomgxTreeList::SetTopIndex(Integer Index) {
    HideEditor();
    const Integer old = GetTopIndex();
    if (Index == old) return;
    if (Index < 0) Index = 0;
    const Integer count = GetAbsoluteCount();
    if (count < 2) return;
    if (Index + FFullVisibleRowCount > count) Index = count - FFullVisibleRowCount;
    if (Index < 0) Index = 0;
    if (Index == old) return;
    ChangeTopVisibleNode(GetAbsoluteNode(Index));
    UpdateScrollBars();
    if (IsUpdating()) return;
    Invalidate();
}

Integer TCustomgxTreeList::GetTopIndexForLastRow(Integer Index) {
    const Integer top = Index - FFullVisibleRowCount + 1;
    return top < 0 ? 0 : top;
}

bool TCustomgxTreeList::IsLastVisibleNode(TgxTreeListNode* Node) {
    return Node && Node == GetAbsoluteNode(GetAbsoluteCount() - 1);
}

void TCustomgxTreeList::GetVertScrollInfo(Integer& Min, Integer& Max, Integer& Page, Integer& Pos) {
    const Integer count = GetAbsoluteCount();
    Min = 0;
    Page = FFullVisibleRowCount;
    Max = count > FFullVisibleRowCount ? count - 1 : 0;
    Pos = GetTopIndex();
}

Integer TCustomgxTreeList::MeasureLineCount(TFont* Font, const std::string& Text, Integer Width, Integer TextHeight,
                                            Integer MaxLineCount, Integer GridWidth) {
    if (Text.empty() || MaxLineCount == 0 || TextHeight <= 0) return 0;
    TCanvas* canvas = GetCanvas();
    canvas->GetFont()->Assign(Font);
    TRect rect(0, 0, Width - GridWidth - 4, 0);
    if (rect.Right < 1) rect.Right = 1;
    DrawText(canvas->GetHandle(), Text, &rect, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    Integer lines = rect.Height() / TextHeight;
    if (MaxLineCount != -1 && lines > MaxLineCount) lines = MaxLineCount;
    return lines;
}

Integer TCustomgxTreeList::GetPreviewLineCount(TgxTreeListNode* /*Node*/) {
    // The measured count of the preview text comes with the row-height layout; until then the
    // property's value, never negative.
    return FPreviewLines < 0 ? 0 : FPreviewLines;
}

void TCustomgxTreeList::InvalidateNode(TgxTreeListNode* Node) {
    if (Node) Invalidate();
}

void TCustomgxTreeList::InvalidateRowsFrom(TgxTreeListNode* Node) {
    if (Node) Invalidate();
}

void TCustomgxTreeList::InvalidateNewItemRow() {
    if (IsNewItemRowVisible()) Invalidate();
}

// ---- state and editing -----------------------------------------------------------------------

void TCustomgxTreeList::SetState(TgxTreeListState Value) {
    if (FState == Value) return;
    FState = Value;
    if (Value == tsEditing) EndSearch();
}

void TCustomgxTreeList::ResetEditedCell() {
    FEditedColumn = -1;
    FEditedNode = nullptr;
    HideEditor();
}

void TCustomgxTreeList::HideEditor() {
    if (FState != tsEditing) return;
    SetState(tsNormal);
    FEditedColumn = -1;
    FEditedNode = nullptr;
}

void TCustomgxTreeList::EndSearch() {
    if (!FSearching) return;
    FSearching = false;
    FSearchColumn = -1;
    FSearchText.clear();
    InvalidateNode(FFocusedNode);
}
