// The keyboard of the tree list: moving the focused node and column, extending and toggling the
// multi-selection, paging, expanding and collapsing, opening the editor, copying, and the
// incremental search.

#include <algorithm>

#include "framework/sysutils.h"
#include "treelist/inplace_edit.h"
#include "treelist/tree_list.h"

namespace {

bool IsSizingOrDraggingState(TgxTreeListState State) {
    return IsSizingState(State) || State == tsColumnDragging || State == tsBandDragging;
}

}  // namespace

// The key handling of one key, with the helpers it shares, as a small worker on the list.
class TgxTreeListKeys {
public:
    TgxTreeListKeys(TCustomgxTreeList* AList, Word& AKey, TShiftState AShift) : L(*AList), Key(AKey), Shift(AShift) {}

    void Run();

private:
    bool SearchKey();
    void CtrlKey();
    void PlainKey();
    void TabMove(bool Forward);
    void PageMove(bool Up);
    void ArrowMove(bool Down);
    bool VerticalThroughMove(bool Down);
    void StartRange();
    void EndRange();
    void FocusIndex(Integer Index) { L.SetFocusedAbsoluteIndex(Index); }
    Integer FocusedIndex() { return L.GetAbsoluteIndex(L.GetFocusedNode()); }
    // The next (previous) column from Column on that can take the focus, -1 when none.
    Integer FocusableColumn(Integer From, bool Forward);

    TCustomgxTreeList& L;
    Word& Key;
    TShiftState Shift;
};

void TgxTreeListKeys::Run() {
    if (IsSizingOrDraggingState(L.GetState())) {
        if (Key == VK_ESCAPE) L.CancelSizingAndDragging();
        return;
    }
    if (!L.GetFirstNode()) return;
    if (L.GetState() == tsEditing && IsCellLeavingKey(Key)) {
        L.HideEditorAndFocus();
        if (Key == VK_ESCAPE) return;
    }
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool shift = Shift.Contains(ssShift);
    if (L.IsNewItemRowFocused() && (Key == VK_NEXT || Key == VK_DOWN)) {
        L.SetNewItemRowFocused(false);
        TgxTreeListNode* top = L.GetTopVisibleNode();
        L.SetFocusedCell(top, L.GetFocusedColumn(), true);
        if (!ctrl && !shift) {
            L.ClearSelection();
            if (top) top->SetSelected(true);
            L.SetSelectionAnchor(nullptr);
        }
        return;
    }
    if (L.IsSearching() && SearchKey()) return;
    const bool rangeKey =
        Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME || Key == VK_UP || Key == VK_DOWN;
    if (ctrl && !(shift && rangeKey && L.CanSelectRange())) {
        CtrlKey();
        return;
    }
    PlainKey();
    TgxTreeListNode* focused = L.GetFocusedNode();
    if (focused && L.GetSelectedCount() == 0) focused->SetSelected(true);
}

bool TgxTreeListKeys::SearchKey() {
    std::string text = L.GetSearchText();
    Integer mode = 0;
    switch (Key) {
        case VK_BACK:
            L.SyncSearchColumn();
            text = L.GetSearchText();
            if (!text.empty()) text.resize(Utf8CharToByte(text, Utf8Length(text) - 1));
            break;
        case VK_DELETE:
            L.SyncSearchColumn();
            text.clear();
            break;
        case VK_RETURN:
            if (!Shift.Contains(ssShift) && !Shift.Contains(ssCtrl)) return false;
            L.SyncSearchColumn();
            text = L.GetSearchText();
            mode = Shift.Contains(ssShift) ? 1 : 2;
            break;
        case VK_ESCAPE:
            L.SyncSearchColumn();
            L.EndSearch();
            return true;
        default: return false;
    }
    L.SetSearch(L.GetSearchColumn(), text);
    L.DoSearch(text, mode, false);
    if (L.IsSearching()) L.SetSearch(L.GetSearchColumn(), text);
    return true;
}

void TgxTreeListKeys::CtrlKey() {
    L.FKeyboardExtending = false;
    TgxTreeListNode* focused = L.GetFocusedNode();
    switch (Key) {
        case VK_SPACE:
            if (focused && (L.IsRowSelect() || !L.IsEditingAllowed())) {
                focused->SetSelected(!focused->GetSelected());
                L.SetSelectionAnchor(focused);
            }
            break;
        case VK_PRIOR:
        case VK_NEXT: PageMove(Key == VK_PRIOR); break;
        case VK_END: FocusIndex(L.GetAbsoluteCount() - 1); break;
        case VK_HOME: FocusIndex(0); break;
        case VK_LEFT:
            if (L.GetVisibleColumnCount() > 0) L.SetFocusedColumn(0);
            break;
        case VK_RIGHT:
            if (L.GetVisibleColumnCount() > 0) L.SetFocusedColumn(L.GetVisibleColumnCount() - 1);
            break;
        case VK_UP:
            if (L.IsFirstNode(focused))
                L.SetNewItemRowFocused(true);
            else
                FocusIndex(FocusedIndex() - 1);
            break;
        case VK_DOWN: FocusIndex(FocusedIndex() + 1); break;
        case VK_INSERT: L.CopyNodesToClipboard(); break;
        default: break;
    }
}

Integer TgxTreeListKeys::FocusableColumn(Integer From, bool Forward) {
    const Integer count = L.GetVisibleColumnCount();
    for (Integer c = From; c >= 0 && c < count; c += Forward ? 1 : -1)
        if (L.IsColumnTabStop(L.VisibleToAbsoluteIndex(c))) return c;
    return -1;
}

void TgxTreeListKeys::TabMove(bool Forward) {
    if (L.IsRowSelect()) {
        L.ClearSelection();
        FocusIndex(FocusedIndex() + (Forward ? 1 : -1));
        return;
    }
    const Integer next = FocusableColumn(L.GetFocusedColumn() + (Forward ? 1 : -1), Forward);
    if (next >= 0) {
        L.SetFocusedColumn(next);
        return;
    }
    if (!L.IsTabThrough()) return;
    TgxTreeListNode* focused = L.GetFocusedNode();
    TgxTreeListNode* node = Forward ? L.GetNextVisible(focused) : L.GetPrevVisible(focused);
    if (!node) return;
    L.ClearSelection();
    const Integer column = FocusableColumn(Forward ? 0 : L.GetVisibleColumnCount() - 1, Forward);
    L.SetFocusedCell(node, column < 0 ? L.GetFocusedColumn() : column, true);
}

void TgxTreeListKeys::PageMove(bool Up) {
    const Integer count = L.GetAbsoluteCount();
    const Integer focused = FocusedIndex();
    if (count < 2) {
        FocusIndex(focused + (Up ? -1 : 1));
        return;
    }
    const Integer top = L.GetTopIndex();
    const Integer page = L.GetFullVisibleRowCount();
    const Integer last = std::min(count - 1, top + page - 1);
    if (focused > top && focused < last)
        FocusIndex(Up ? top : last);
    else
        FocusIndex(focused + (Up ? -1 : 1) * std::max<Integer>(page - 1, 1));
}

void TgxTreeListKeys::StartRange() {
    L.ClearSelection();
    if (Shift.Contains(ssShift) && L.CanSelectRange()) {
        if (!L.GetSelectionAnchor()) L.SetSelectionAnchor(L.GetFocusedNode());
    } else {
        L.SetSelectionAnchor(nullptr);
    }
}

void TgxTreeListKeys::EndRange() {
    if (Shift.Contains(ssShift) && L.CanSelectRange() && L.GetSelectionAnchor())
        L.SelectNodeRange(L.GetSelectionAnchor(), L.GetFocusedNode());
}

void TgxTreeListKeys::ArrowMove(bool Down) {
    TgxTreeListNode* node = L.GetFocusedNode();
    const Integer target = FocusedIndex() + (Down ? 1 : -1);
    if (!L.IsMultiSelect()) {
        FocusIndex(target);
        return;
    }
    const bool keep =
        (Down && L.IsLastVisibleNode(node)) || (!Down && L.IsFirstNode(node) && L.GetSelectedCount() == 1);
    // Moving towards the anchor gives back the node left.
    auto towardsAnchor = [&](TgxTreeListNode* N) {
        const Integer side = L.CompareWithSelectionAnchor(N);
        return L.GetSelectionAnchor() && ((Down && side < 0) || (!Down && side > 0));
    };
    if (!Shift.Contains(ssShift)) {
        if (!keep) L.ClearSelection();
        L.SetSelectionAnchor(nullptr);
        FocusIndex(target);
        return;
    }
    if (!L.FKeyboardExtending) {
        if (!keep) L.ClearSelection();
        if (L.CanSelectRange() && L.GetSelectionAnchor()) {
            L.SelectNodeRange(L.GetSelectionAnchor(), node);
            if (towardsAnchor(node)) node->SetSelected(false);
        } else {
            L.SetSelectionAnchor(node);
            node->SetSelected(true);
        }
        L.FKeyboardExtending = true;
    } else if (towardsAnchor(node)) {
        node->SetSelected(false);
    }
    FocusIndex(target);
    if (L.GetFocusedNode()) L.GetFocusedNode()->SetSelected(true);
}

bool TgxTreeListKeys::VerticalThroughMove(bool Down) {
    TgxTreeListNode* node = L.GetFocusedNode();
    if (!L.IsVertThrough() || L.IsRowSelect() || !node || L.IsGroupNode(node) || L.GetVisibleColumnCount() == 0)
        return false;
    const Integer column = L.GetFocusedColumnAbsoluteIndex();
    const Integer band = L.GetVisibleBandIndex(L.GetColumnBandIndex(column));
    const Integer rows = L.GetBandUsedRowCount(band);
    if (rows < 2) return false;
    Integer row = -1, position = -1;
    for (Integer r = 0; r < rows && row < 0; ++r)
        for (Integer p = 0; p < L.GetBandRowColumnCount(band, r); ++p)
            if (L.GetBandRowColumnIndex(band, r, p) == column) {
                row = r;
                position = p;
                break;
            }
    if (row < 0) return false;
    Integer newRow = row + (Down ? 1 : -1);
    if (newRow < 0 || newRow >= rows) {
        if (Down ? L.IsLastVisibleNode(node) : L.IsFirstNode(node)) return true;
        newRow = Down ? 0 : rows - 1;
        ArrowMove(Down);
    }
    const Integer count = L.GetBandRowColumnCount(band, newRow);
    if (count <= 0) return true;
    const Integer target = L.GetBandRowColumnIndex(band, newRow, std::min(position, count - 1));
    L.SetFocusedColumn(L.AbsoluteToVisibleIndex(target));
    return true;
}

void TgxTreeListKeys::PlainKey() {
    TgxTreeListNode* focused = L.GetFocusedNode();
    const bool shift = Shift.Contains(ssShift);
    switch (Key) {
        case VK_TAB:
            if (!Shift.Contains(ssAlt)) TabMove(!shift);
            break;
        case VK_RETURN:
            if (L.IsEnterShowEditor() && L.IsEnterThrough()) {
                TabMove(true);
                L.ShowEditor();
            }
            break;
        case VK_ESCAPE:
            L.ClearSelection();
            L.RefreshEditor();
            if (L.GetInplaceEditor() && L.GetState() == tsEditing) L.GetInplaceEditor()->MoveCaretToEnd();
            L.HideEditorAndFocus();
            break;
        case VK_PRIOR:
        case VK_NEXT:
            StartRange();
            if (Key == VK_PRIOR && L.IsFirstNode(focused))
                L.SetNewItemRowFocused(true);
            else
                PageMove(Key == VK_PRIOR);
            EndRange();
            break;
        case VK_HOME:
        case VK_END:
            if (L.IsRowSelect() || shift) {
                StartRange();
                FocusIndex(Key == VK_HOME ? 0 : L.GetAbsoluteCount() - 1);
                EndRange();
            } else if (L.GetVisibleColumnCount() > 0) {
                L.SetFocusedColumn(Key == VK_HOME ? 0 : L.GetVisibleColumnCount() - 1);
            }
            break;
        case VK_LEFT:
            if (L.IsRowSelect()) {
                if (focused) L.MakeNodeVisible(focused);
                if (L.IsNewItemRowFocused() || !focused) break;
                if (focused->GetExpanded() && focused->GetCount() > 0) {
                    focused->SetExpanded(false);
                } else if (focused->GetParent() && focused->GetIndex() == 0) {
                    L.ClearSelection();
                    TgxTreeListNode* parent = focused->GetParent();
                    L.SetFocusedCell(parent, L.GetFocusedColumn(), true);
                    parent->SetSelected(true);
                } else {
                    FocusIndex(FocusedIndex() - 1);
                }
            } else if (L.GetFocusedColumn() > 0) {
                L.SetFocusedColumn(L.GetFocusedColumn() - 1);
            } else if (L.IsHorzThrough() && L.GetPrevVisible(focused)) {
                L.SetFocusedCell(L.GetPrevVisible(focused),
                                 std::max<Integer>(FocusableColumn(L.GetVisibleColumnCount() - 1, false), 0), true);
            }
            break;
        case VK_RIGHT:
            if (L.IsRowSelect()) {
                if (focused) L.MakeNodeVisible(focused);
                if (L.IsNewItemRowFocused() || !focused) break;
                const bool children = L.NodeHasChildren(focused) || focused->GetHasChildren();
                if (!focused->GetExpanded() && children) {
                    focused->SetExpanded(true);
                } else if (focused->GetExpanded() && focused->GetCount() > 0) {
                    L.ClearSelection();
                    TgxTreeListNode* child = focused->GetFirstChild();
                    L.SetFocusedCell(child, L.GetFocusedColumn(), true);
                    child->SetSelected(true);
                } else {
                    FocusIndex(FocusedIndex() + 1);
                }
            } else if (L.GetFocusedColumn() < L.GetVisibleColumnCount() - 1) {
                L.SetFocusedColumn(L.GetFocusedColumn() + 1);
            } else if (L.IsHorzThrough() && L.GetNextVisible(focused)) {
                L.SetFocusedCell(L.GetNextVisible(focused), std::max<Integer>(FocusableColumn(0, true), 0), true);
            }
            break;
        case VK_UP:
        case VK_DOWN:
            if (VerticalThroughMove(Key == VK_DOWN)) break;
            if (Key == VK_UP && L.IsFirstNode(focused) && L.IsNewItemRowVisible())
                L.SetNewItemRowFocused(true);
            else
                ArrowMove(Key == VK_DOWN);
            break;
        case VK_F2: L.ShowEditor(); break;
        default: break;
    }
}

// ---- the handlers --------------------------------------------------------------------------------

void TCustomgxTreeList::KeyDown(Word& Key, TShiftState Shift) {
    InSelectionBracket([&] {
        TCustomgxContainer::KeyDown(Key, Shift);
        if (Key != 0 && !CanProcessKey(Key, Shift)) Key = 0;
        if (Key == 0) return;
        TgxTreeListKeys(this, Key, Shift).Run();
    });
}

void TCustomgxTreeList::KeyPress(Char& Key) {
    if (FState == tsNormal && !FSearching && IsAutoSearch() && Key != 13 && Key != 27) StartSearch(-1, std::string());
    if (FSearching || !IsEnterShowEditor() || FState == tsEditing) {
        TCustomgxContainer::KeyPress(Key);
    } else {
        if (Key == 13)
            ShowEditor();
        else if (Key == 8 || Key == 22 || Key == 24 || Key >= 32)
            ShowEditorAndSendChar(Key);
        if (FState != tsEditing) TCustomgxContainer::KeyPress(Key);
    }
    if (Key == 0) return;
    if (FState != tsEditing && FFocusedNode) {
        switch (Key) {
            case 3: CopyNodesToClipboard(); break;
            case '+':
                MakeNodeVisible(FFocusedNode);
                FFocusedNode->SetExpanded(true);
                break;
            case '-':
                MakeNodeVisible(FFocusedNode);
                FFocusedNode->SetExpanded(false);
                break;
            case '*':
                if (FFocusedNode->GetCount() > 0) FFocusedNode->Expand(true);
                break;
            default: break;
        }
    }
    if (FSearching && Key >= 32) {
        SyncSearchColumn();
        std::string text = FSearchText;
        Utf8Append(text, Key);
        FSearchText = text;
        DoSearch(text, 0, false);
        if (FSearching) SetSearch(FSearchColumn, text);
    }
}

// ---- incremental search --------------------------------------------------------------------------

bool TCustomgxTreeList::StartSearch(Integer Column, const std::string& Text) {
    HideEditor();
    SetNewItemRowFocused(false);
    const Integer column = Column < 0 ? GetFocusedColumnAbsoluteIndex() : Column;
    if (GetVisibleColumnCount() > 0 && IsColumnShown(column)) SetFocusedColumn(AbsoluteToVisibleIndex(column));
    std::string text = Text;
    SetSearch(column, text);
    DoSearch(text, 0, true);
    if (FSearching) SetSearch(FSearchColumn, text);
    return !text.empty();
}

void TCustomgxTreeList::SyncSearchColumn() {
    if (IsRowSelect()) return;
    const Integer column = GetFocusedColumnAbsoluteIndex();
    if (column != FSearchColumn) SetSearch(column, std::string());
}

bool TCustomgxTreeList::SearchNodeByText(Integer Column, const std::string& Text, TgxTreeListNode*& Node,
                                         Integer Mode) {
    if (Text.empty() || !FFocusedNode) return false;
    const std::string wanted = AnsiUpperCase(Text);
    const Integer length = Utf8Length(Text);
    auto matches = [&](TgxTreeListNode* N) {
        const std::string text = GetNodeString(N, Column);
        return AnsiUpperCase(text.substr(0, Utf8CharToByte(text, length))) == wanted;
    };
    const bool all = FAutoExpandOnSearch;
    auto step = [&](TgxTreeListNode* N) -> TgxTreeListNode* {
        if (Mode == 1) {
            TgxTreeListNode* prev = all ? N->GetPrev() : N->GetPrevVisible();
            if (prev) return prev;
            TgxTreeListNode* last = all ? GetItem(GetCount() - 1) : GetLastVisibleNode();
            while (all && last && last->GetCount() > 0) last = last->GetLastChild();
            return last;
        }
        TgxTreeListNode* next = all ? N->GetNext() : N->GetNextVisible();
        return next ? next : GetFirstNode();
    };
    TgxTreeListNode* start = FFocusedNode;
    TgxTreeListNode* node = start;
    if (Mode == 1 || Mode == 2) {
        node = step(node);
        start = node;
    }
    while (node) {
        if (matches(node)) {
            Node = node;
            return true;
        }
        node = step(node);
        if (node == start) break;
    }
    return false;
}

void TCustomgxTreeList::DoSearch(std::string& Text, Integer Mode, bool ClearOnFail) {
    ++FSearchDepth;
    try {
        if (FSearchColumn >= 0 && GetFirstNode()) {
            TgxTreeListNode* found = nullptr;
            if (SearchNodeByText(FSearchColumn, Text, found, Mode)) {
                SetFocusedCell(found, GetFocusedColumn(), true);
            } else if (ClearOnFail) {
                Text.clear();
            } else if (Mode == 0 && !Text.empty()) {
                Text.resize(Utf8CharToByte(Text, Utf8Length(Text) - 1));
            }
            if (IsMultiSelect() && FFocusedNode) {
                ClearSelection();
                FFocusedNode->SetSelected(true);
            }
            if (FFocusedNode) MakeNodeVisible(FFocusedNode);
            InvalidateNode(FFocusedNode);
        }
    } catch (...) {
        --FSearchDepth;
        throw;
    }
    --FSearchDepth;
}
