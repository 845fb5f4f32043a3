// The grid's selection (bookmarks of records, or nodes by address), deleting the selected
// records, the keys and clicks the grid handles before the tree list, and the option sets.

#include "dbgrid/db_grid.h"
#include "dbgrid/db_grid_internal.h"

#include <algorithm>
#include <iterator>

#include "framework/dialog_service.h"
#include "framework/exceptions.h"
#include "framework/sysutils.h"
#include "treelist/tree_list_geometry.h"

using namespace dbgrid_internal;

// ---- the selection store ----------------------------------------------------------------------

Integer TCustomgxDBGrid::CompareBookmarkStr(const TBookmarkStr& A, const TBookmarkStr& B) {
    TDataSet* dataSet = GetDataSet();
    if (!FDataLink->GetActive() || !dataSet) return -1;
    return dataSet->CompareBookmarks(A.empty() ? nullptr : AsBookmark(A), B.empty() ? nullptr : AsBookmark(B));
}

bool TCustomgxDBGrid::FindBookmark(const TBookmarkStr& Bookmark, Integer& Index) {
    Integer low = 0, high = Integer(FSelection.size()) - 1;
    while (low <= high) {
        const Integer mid = (low + high) / 2;
        const Integer c = CompareBookmarkStr(FSelection[size_t(mid)].Bookmark, Bookmark);
        if (c == 0) {
            Index = mid;
            return true;
        }
        if (c < 0)
            low = mid + 1;
        else
            high = mid - 1;
    }
    Index = low;
    return false;
}

Integer TCustomgxDBGrid::NodeSelectionPlace(TgxTreeListNode* Node) {
    auto it = std::lower_bound(
        FSelection.begin(), FSelection.end(), Node,
        [](const TSelectionEntry& E, TgxTreeListNode* N) { return CompareNodePointers(E.Node, N) < 0; });
    return Integer(it - FSelection.begin());
}

TgxTreeListNode* TCustomgxDBGrid::GetSelectedNode(Integer Index) {
    if (Index < 0 || Index >= GetSelectedCount() || IsWindowMode()) return nullptr;
    return FSelection[size_t(Index)].Node;
}

bool TCustomgxDBGrid::IsNodeSelected(TgxTreeListNode* Node) {
    if (FSelection.empty() || !Node) return false;
    if (IsWindowMode()) {
        Integer index = 0;
        const TBookmarkStr bookmark = WindowBookmark(Node);
        return !bookmark.empty() && FindBookmark(bookmark, index);
    }
    if (IsBookmarkSelection()) {
        const TBookmarkStr& bookmark = AsGridNode(Node)->Bookmark;
        Integer index = 0;
        if (Node->GetCount() == 0 && !bookmark.empty() && FindBookmark(bookmark, index))
            return FSelection[size_t(index)].Node == Node;
        return std::any_of(FSelection.begin(), FSelection.end(),
                           [&](const TSelectionEntry& E) { return E.Node == Node; });
    }
    const Integer index = NodeSelectionPlace(Node);
    return index < GetSelectedCount() && FSelection[size_t(index)].Node == Node;
}

void TCustomgxDBGrid::SetNodeSelected(TgxTreeListNode* Node, bool Value) {
    if (!Node || !IsMultiSelect() || !FDataLink->GetActive()) return;
    if (IsWindowMode()) {
        const TBookmarkStr bookmark = WindowBookmark(Node);
        Integer index = 0;
        if (bookmark.empty() || FindBookmark(bookmark, index) == Value || (Value && !CanSelectNode(Node))) return;
        if (Value)
            FSelection.insert(FSelection.begin() + index, TSelectionEntry{bookmark, nullptr});
        else
            FSelection.erase(FSelection.begin() + index);
    } else if (IsBookmarkSelection()) {
        const bool group = Node->GetCount() > 0;
        if (group && !(IsExtMultiSelect() && !FGroupColumns.empty())) return;
        // Each leaf carries its own record's bookmark; a group node stands beside its first leaf.
        TgxTreeListNode* leaf = Node;
        while (leaf->GetCount() > 0) leaf = leaf->GetFirstChild();
        const TBookmarkStr bookmark = AsGridNode(leaf)->Bookmark;
        auto present = std::find_if(FSelection.begin(), FSelection.end(),
                                    [&](const TSelectionEntry& E) { return E.Node == Node; });
        if (Value) {
            if (present != FSelection.end() || bookmark.empty() || !CanSelectNode(Node)) return;
            Integer index = 0;
            FindBookmark(bookmark, index);
            FSelection.insert(FSelection.begin() + index, TSelectionEntry{bookmark, Node});
        } else {
            if (present == FSelection.end()) return;
            FSelection.erase(present);
        }
    } else {
        const Integer index = NodeSelectionPlace(Node);
        const bool present = index < GetSelectedCount() && FSelection[size_t(index)].Node == Node;
        if (Value) {
            if (present || !CanSelectNode(Node)) return;
            FSelection.insert(FSelection.begin() + index, TSelectionEntry{{}, Node});
        } else {
            if (!present) return;
            FSelection.erase(FSelection.begin() + index);
        }
    }
    NodeChanged(Node, false);
    TCustomgxDBTreeListControl::SetNodeSelected(Node, Value);
}

bool TCustomgxDBGrid::CanSelectNode(TgxTreeListNode* Node) {
    bool allow = TCustomgxDBTreeListControl::CanSelectNode(Node);
    if (allow && !IsWindowMode() && !IsExtMultiSelect()) {
        TgxTreeListNode* first = !FSelection.empty() ? FSelection.front().Node : GetSelectionReference();
        if (first) allow = first->GetCount() == 0 && Node->GetCount() == 0;
    }
    return allow;
}

void TCustomgxDBGrid::ClearSelection() {
    if (!FSelection.empty()) {
        if (!IsDestroying() && !IsClearing()) InvalidateSelection();
        FSelection.clear();
    }
    TCustomgxDBTreeListControl::ClearSelection();
}

void TCustomgxDBGrid::SelectNodeRange(TgxTreeListNode* Node1, TgxTreeListNode* Node2) {
    TDataSet* dataSet = GetDataSet();
    if ((dataSet && IsEditingState(dataSet)) || !IsMultiSelect()) return;
    InSelectionBracket([&] {
        if (IsBookmarkSelection()) {
            // Every leaf knows its record: the displayed rows are selected without moving the
            // dataset.
            TCustomgxDBTreeListControl::SelectNodeRange(Node1, Node2);
            return;
        }
        std::vector<TgxTreeListNode*> nodes;
        nodes.reserve(FSelection.size());
        for (const TSelectionEntry& entry : FSelection) nodes.push_back(entry.Node);
        InUpdateBracket([&] { MergeNodeRange(Node1, Node2, nodes); });
        FSelection.clear();
        for (TgxTreeListNode* node : nodes) FSelection.push_back({{}, node});
        DoSelectedCountChange();
    });
}

void TCustomgxDBGrid::SelectAll() {
    if (!IsMultiSelect() || !FDataLink->GetActive() || GetCount() == 0 || IsWindowMode()) return;
    if (IsPartialLoadMode()) {
        InSelectionBracket([&] {
            const bool bookmarks = IsBookmarkSelection();
            if (bookmarks || !FBOFReached || !FEOFReached) PartialLoadRecords(3, 0, bookmarks);
            if (!bookmarks && GetCount() > 0) {
                FSelection.clear();
                SelectNodeRange(GetItem(0), GetItem(GetCount() - 1));
            }
            Invalidate();
        });
        return;
    }
    InSelectionBracket([&] {
        InUpdateBracket([&] {
            ClearSelection();
            if (IsBookmarkSelection()) {
                {
                    TgxFlagGuard selectAll(FSelectAllLoading);
                    TgxFlagGuard refreshing(FRefreshing);
                    RefreshNodes();
                }
                if (!FMovingByIndex) {
                    TgxFlagGuard inSync(FInSync);
                    FocusCurrentRecord();
                }
                return;
            }
            TgxTreeListNode* first = GetItem(0);
            if (!IsExtMultiSelect())
                while (first->GetCount() > 0) first = first->GetFirstChild();
            TgxTreeListNode* last = GetItem(GetCount() - 1);
            while (last->GetCount() > 0) last = last->GetLastChild();
            // A last leaf inside a collapsed group ends the range at the last displayed row.
            if (!last->GetIsVisible()) last = GetLastVisibleNode();
            SelectNodeRange(first, last);
        });
    });
}

void TCustomgxDBGrid::DeleteSelection() {
    TCustomgxDBTreeListControl::DeleteSelection();
    if (!FDataLink->GetActive()) return;
    TDataSet* dataSet = GetDataSet();
    HideEditor();
    FRegrouping = true;
    dataSet->DisableControls();
    const TBookmarkStr bookmark = dataSet->GetBookmarkStr();
    auto finish = [&] {
        FSelection.clear();
        if (!bookmark.empty() && dataSet->BookmarkValid(AsBookmark(bookmark))) dataSet->SetBookmarkStr(bookmark);
        dataSet->EnableControls();
    };
    try {
        const bool bookmarks = IsBookmarkSelection();
        for (Integer i = Integer(FSelection.size()) - 1; i >= 0; --i) {
            const TSelectionEntry entry = FSelection[size_t(i)];
            try {
                if (IsWindowMode() || !entry.Node || entry.Node->GetCount() == 0) {
                    if (bookmarks) {
                        if (!entry.Bookmark.empty() && dataSet->BookmarkValid(AsBookmark(entry.Bookmark))) {
                            dataSet->SetBookmarkStr(entry.Bookmark);
                            dataSet->Delete();
                        }
                    } else if (!AsGridNode(entry.Node)->KeyValue.IsEmpty()) {
                        if (dataSet->Locate(FKeyField, AsGridNode(entry.Node)->KeyValue, {})) dataSet->Delete();
                    }
                }
            } catch (const Exception&) {
                if (!IsExtMultiSelect()) throw;
            }
            if (size_t(i) < FSelection.size()) FSelection.erase(FSelection.begin() + i);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TCustomgxDBGrid::DoSelectedCountChange() {
    TCustomgxDBTreeListControl::DoSelectedCountChange();
    if (!IsDestroying() && FSelectionBracket == 0 && OnChangeNodeEx) CompareChangeNodeInfo();
}

void TCustomgxDBGrid::BeginSelectionUpdate() {
    if (FSelectionBracket++ == 0) FChangeNodeInfo = TakeChangeNodeInfo();
    TCustomgxDBTreeListControl::BeginSelectionUpdate();
}

void TCustomgxDBGrid::EndSelectionUpdate() {
    TCustomgxDBTreeListControl::EndSelectionUpdate();
    if (--FSelectionBracket == 0 && OnChangeNodeEx && !IsDestroying()) CompareChangeNodeInfo();
}

void TCustomgxDBGrid::SetSelectionAnchor(TgxTreeListNode* Node) {
    if (IsWindowMode() && FDataLink->GetActive()) {
        // The anchor is a record: the buffer rows show other records as they scroll.
        FAnchorBookmark = Node ? WindowBookmark(Node) : TBookmarkStr();
        TCustomgxDBTreeListControl::SetSelectionAnchor(nullptr);
        return;
    }
    if (IsPartialLoadMode() && FDataLink->GetActive()) {
        // The anchor's own record, so that it outlives the node when the slice is rebuilt.
        FAnchorBookmark.clear();
        if (Node) FAnchorBookmark = Node->GetCount() == 0 ? AsGridNode(Node)->Bookmark : GetDataSet()->GetBookmarkStr();
    }
    TCustomgxDBTreeListControl::SetSelectionAnchor(Node);
}

Integer TCustomgxDBGrid::CompareWithSelectionAnchor(TgxTreeListNode* Node) {
    if (IsWindowMode()) return CompareBookmarkStr(GetDataSet() ? GetDataSet()->GetBookmarkStr() : "", FAnchorBookmark);
    return TCustomgxDBTreeListControl::CompareWithSelectionAnchor(Node);
}

Integer TCustomgxDBGrid::CompareSelectionItems(TgxTreeListNode* Node1, TgxTreeListNode* Node2) {
    const Variant& a = AsGridNode(Node1)->KeyValue;
    const Variant& b = AsGridNode(Node2)->KeyValue;
    if (a.IsEmpty() || b.IsEmpty()) return 0;
    const int c = GridVarCompare(a, b);
    if (c == 0) return TCustomgxDBTreeListControl::CompareSelectionItems(Node1, Node2);
    return c < 0 ? -1 : 1;
}

// ---- the selection across a reload ------------------------------------------------------------

void TCustomgxDBGrid::SaveSelection() {
    DropSavedSelection();
    if (IsBookmarkSelection()) {
        for (const TSelectionEntry& entry : FSelection) FSavedSelection.push_back(entry.Bookmark);
    } else if (!FSelection.empty() && FSelection.front().Node) {
        for (const TSelectionEntry& entry : FSelection) FSavedSelectionKeys.push_back(AsGridNode(entry.Node)->KeyValue);
        std::stable_sort(FSavedSelectionKeys.begin(), FSavedSelectionKeys.end(),
                         [](const Variant& A, const Variant& B) { return GridVarCompare(A, B) < 0; });
    }
    FSelection.clear();
}

void TCustomgxDBGrid::DropSavedSelection() {
    FSavedSelection.clear();
    FSavedSelectionKeys.clear();
}

void TCustomgxDBGrid::RestoreLeafSelection(TgxDBGridNode* Leaf) {
    if (IsBookmarkSelection()) {
        if (FSavedSelection.empty() || Leaf->Bookmark.empty()) return;
        auto it = std::find_if(FSavedSelection.begin(), FSavedSelection.end(),
                               [&](const TBookmarkStr& B) { return CompareBookmarkStr(B, Leaf->Bookmark) == 0; });
        if (it == FSavedSelection.end()) return;
        FSavedSelection.erase(it);
        Integer index = 0;
        FindBookmark(Leaf->Bookmark, index);
        FSelection.insert(FSelection.begin() + index, TSelectionEntry{Leaf->Bookmark, Leaf});
        return;
    }
    if (FSavedSelectionKeys.empty()) return;
    auto it = std::lower_bound(FSavedSelectionKeys.begin(), FSavedSelectionKeys.end(), Leaf->KeyValue,
                               [](const Variant& A, const Variant& B) { return GridVarCompare(A, B) < 0; });
    if (it == FSavedSelectionKeys.end() || !GridVarEquals(*it, Leaf->KeyValue)) return;
    FSavedSelectionKeys.erase(it);
    const Integer index = NodeSelectionPlace(Leaf);
    FSelection.insert(FSelection.begin() + index, TSelectionEntry{{}, Leaf});
}

// ---- keys and clicks --------------------------------------------------------------------------

bool TCustomgxDBGrid::ConfirmDelete() {
    if (!FOptions.Contains(egoConfirmDelete)) return true;
    const std::string text = GetSelectedCount() > 1 ? "Delete all selected records?" : "Delete record?";
    return MessageBox(GetHandle(), text, "Confirm", MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void TCustomgxDBGrid::KeyDown(Word& Key, TShiftState Shift) {
    TKeyEvent handler = std::move(OnKeyDown);
    OnKeyDown = nullptr;
    struct TRestore {
        TKeyEvent& Slot;
        TKeyEvent& Saved;
        ~TRestore() {
            if (!Slot) Slot = std::move(Saved);
        }
    } restore{OnKeyDown, handler};
    if (handler) handler(this, Key, Shift);
    if (Key == 0) return;
    InSelectionBracket([&] {
        TDataSet* dataSet = GetDataSet();
        const bool active = FDataLink->GetActive() && dataSet;
        if (IsPartialLoadMode() && Shift.Contains(ssShift) && !GetSelectionAnchor() && active)
            SetSelectionAnchor(GetFocusedNode());
        if (IsSearching() && (Key == VK_BACK || Key == VK_ESCAPE || Key == VK_DELETE ||
                              (Key == VK_RETURN && (Shift.Contains(ssShift) || Shift.Contains(ssCtrl))))) {
            TCustomgxDBTreeListControl::KeyDown(Key, Shift);
            return;
        }
        if (active) {
            TgxTreeListNode* focused = GetFocusedNode();
            if (Key == VK_DELETE && Shift.Contains(ssCtrl) && !IsNewItemRowFocused() &&
                FOptions.Contains(egoCanDelete) && FOptions.Contains(egoCanNavigation) && !FDataLink->GetReadOnly() &&
                focused && focused->GetCount() == 0) {
                Key = 0;
                if (dataSet->IsEmpty() || !dataSet->GetCanModify() || !ConfirmDelete()) return;
                if (GetSelectedCount() > 1)
                    DeleteSelection();
                else
                    DeleteNodeRecord(focused);
                return;
            }
            if (Key == VK_ESCAPE && GetState() != tsEditing && IsEditingState(dataSet)) {
                dataSet->Cancel();
            } else if (IsWindowMode()) {
                if ((Key == VK_HOME || Key == VK_END) && !Shift.Contains(ssShift) &&
                    (IsRowSelect() || Shift.Contains(ssCtrl))) {
                    if (Key == VK_HOME)
                        dataSet->First();
                    else
                        dataSet->Last();
                    if (!Shift.Contains(ssCtrl) && IsMultiSelect()) {
                        ClearSelection();
                        if (GetFocusedNode()) GetFocusedNode()->SetSelected(true);
                    }
                    Key = 0;
                    return;
                }
                if (IsMultiSelect() && Shift.Contains(ssShift) &&
                    (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_HOME || Key == VK_END)) {
                    SelectByKeyboard(Key);
                    Key = 0;
                    return;
                }
                if (FOptions.Contains(egoEditing) && !IsRowSelect() && dataSet->GetCanModify() &&
                    !FDataLink->GetReadOnly() && WindowEditingKey(Key, Shift))
                    return;
            } else {
                const bool inEditor = GetState() == tsEditing;
                if ((Key == VK_LEFT || Key == VK_RIGHT) && focused && focused->GetCount() > 0 && !IsRowSelect() &&
                    !inEditor) {
                    focused->SetExpanded(Key == VK_RIGHT);
                    Key = 0;
                    return;
                }
                const bool canChange = dataSet->GetCanModify() && !FDataLink->GetReadOnly();
                if (Key == VK_INSERT && !Shift.Contains(ssCtrl) && !IsRowSelect() && canChange &&
                    FOptions.Contains(egoCanInsert) && FOptions.Contains(egoCanNavigation)) {
                    HideEditor();
                    ClearSelection();
                    dataSet->Insert();
                    ShowEditor();
                    Key = 0;
                    return;
                }
                if (Key == VK_UP && IsEditingState(dataSet)) {
                    if (dataSet->GetState() == dsInsert && !dataSet->GetModified() && dataSet->GetEOF()) {
                        dataSet->Cancel();
                        if (TgxTreeListNode* last = GetLastVisibleNode()) last->SetFocused(true);
                        Key = 0;
                        return;
                    }
                    if (focused && GetAbsoluteIndex(focused) == 0) dataSet->Post();
                }
                if (Key == VK_DOWN && focused && focused == GetLastVisibleNode()) {
                    if (dataSet->GetState() == dsInsert && !dataSet->GetModified()) {
                        Key = 0;
                        return;
                    }
                    if (FOptions.Contains(egoCanAppend) && FOptions.Contains(egoCanInsert) && canChange) {
                        dataSet->Append();
                        Key = 0;
                        return;
                    }
                    if (IsEditingState(dataSet)) dataSet->Post();
                }
            }
            if (IsRowSelect() && (Key == VK_LEFT || Key == VK_RIGHT) && focused && focused->GetCount() == 0) {
                PostMessage(GetHandle(), WM_HSCROLL, Key == VK_LEFT ? SB_LINELEFT : SB_LINERIGHT, 0);
                Key = 0;
                return;
            }
        }
        TCustomgxDBTreeListControl::KeyDown(Key, Shift);
    });
}

bool TCustomgxDBGrid::WindowEditingKey(Word& Key, TShiftState Shift) {
    TDataSet* dataSet = GetDataSet();
    const bool unchangedInsert = dataSet->GetState() == dsInsert && !dataSet->GetModified();
    switch (Key) {
        case VK_UP:
            // An untouched record appended at the end goes again.
            if (!unchangedInsert || !dataSet->GetEOF()) return false;
            dataSet->Cancel();
            break;
        case VK_DOWN:
            if (unchangedInsert) {
                // One appended at the end stays; one inserted between records goes.
                if (!dataSet->GetEOF()) dataSet->Cancel();
                break;
            }
            TCustomgxDBTreeListControl::KeyDown(Key, Shift);
            // Down from the last record appends one.
            if (dataSet->GetEOF() && FOptions.Contains(egoCanAppend) && FOptions.Contains(egoCanInsert))
                dataSet->Append();
            break;
        case VK_INSERT:
            if (Shift.Contains(ssCtrl) || !FOptions.Contains(egoCanInsert) || !FOptions.Contains(egoCanNavigation))
                return false;
            ClearSelection();
            dataSet->Insert();
            break;
        default: return false;
    }
    Key = 0;
    return true;
}

void TCustomgxDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (GroupPanelMouseDown(Button, Shift, X, Y)) return;
    if (Button == mbLeft && Shift.Contains(ssDouble) && GetState() == tsNormal) {
        const TgxTreeListHitInfo hit = GetHitInfo({X, Y});
        const Integer code = Integer(hit.HitCode);
        const bool itemPart = code == 4 || code == 5 || code == 7 || code == 16 || code == 17 || code == 22;
        if (itemPart && hit.Node && hit.Node->GetCount() == 0) {
            StopScrollTimer();
            DblClick();
            return;
        }
    }
    TCustomgxDBTreeListControl::MouseDown(Button, Shift, X, Y);
}

// ---- the option sets --------------------------------------------------------------------------

void TCustomgxDBGrid::SetOptions(TgxDBGridOptions Value) {
    if (Value == FOptions) return;
    const TgxDBGridOptions old = FOptions;
    InUpdateBracket([&] {
        static constexpr std::pair<TgxDBGridOption, TgxTreeListOption> map[] = {
            {egoColumnSizing, aoColumnSizing},
            {egoColumnMoving, aoColumnMoving},
            {egoEditing, aoEditing},
            {egoTabs, aoTabs},
            {egoTabThrough, aoTabThrough},
            {egoImmediateEditor, aoImmediateEditor},
            {egoPreview, aoPreview},
            {egoDrawEndEllipsis, aoDrawEndEllipsis},
            {egoCaseInsensitive, aoCaseInsensitive},
            {egoRowSelect, aoRowSelect},
            {egoMultiSelect, aoMultiSelect},
            {egoAutoWidth, aoAutoWidth},
            {egoExtMultiSelect, aoExtMultiSelect},
            {egoExtCustomizing, aoExtCustomizing},
            {egoHideFocusRect, aoHideFocusRect},
        };
        TgxTreeListOptions options;
        for (auto [from, to] : map)
            if (Value.Contains(from)) options.Include(to);
        if (Value.Contains(egoRowSelect)) {
            options.Exclude(aoEditing);
            FOptionsEx.Exclude(egoInvertSelect);
            TCustomgxTreeList::SetOptionsEx(TCustomgxTreeList::GetOptionsEx() - TgxTreeListOptionsEx{aoInvertSelect});
        }
        TCustomgxTreeList::SetOptions(options);
        TgxTreeListOptionsEx ex = TCustomgxTreeList::GetOptionsEx();
        if (Value.Contains(egoShowHourGlass))
            ex.Include(aoShowHourGlass);
        else
            ex.Exclude(aoShowHourGlass);
        TCustomgxTreeList::SetOptionsEx(ex);
        SetShowIndicator(Value.Contains(egoIndicator));
        FOptions = Value;
        if (Value.Contains(egoLoadAllRecords) && FDefaultFields) FDefaultFields = false;
        if (old.Contains(egoLoadAllRecords) != Value.Contains(egoLoadAllRecords) && FGroupColumns.empty()) {
            if (IsGridMode()) ClearSorting();
            BeginGrouping();
            EndGrouping();
        } else if (old.Contains(egoCanNavigation) != Value.Contains(egoCanNavigation)) {
            RefreshGrouping();
        }
    });
}

void TCustomgxDBGrid::SetOptionsEx(TgxDBGridOptionsEx Value) {
    if (Value == FOptionsEx) return;
    InUpdateBracket([&] {
        static constexpr std::pair<TgxDBGridOptionEx, TgxTreeListOptionEx> map[] = {
            {egoInvertSelect, aoInvertSelect},
            {egoUseBitmap, aoUseBitmap},
            {egoBandHeaderWidth, aoBandHeaderWidth},
            {egoAutoCalcPreviewLines, aoAutoCalcPreviewLines},
            {egoBandSizing, aoBandSizing},
            {egoBandMoving, aoBandMoving},
            {egoHorzThrough, aoHorzThrough},
            {egoVertThrough, aoVertThrough},
            {egoCellMultiSelect, aoCellMultiSelect},
            {egoEnterThrough, aoEnterThrough},
            {egoEnterShowEditor, aoEnterShowEditor},
            {egoFullSizing, aoFullSizing},
            {egoDragScroll, aoDragScroll},
            {egoDragExpand, aoDragExpand},
            {egoDragCollapse, aoDragCollapse},
            {egoRowAutoHeight, aoRowAutoHeight},
            {egoBandButtonClicking, aoBandButtonClicking},
            {egoBandPanelSizing, aoBandPanelSizing},
            {egoHeaderButtonClicking, aoHeaderButtonClicking},
            {egoHeaderPanelSizing, aoHeaderPanelSizing},
            {egoRowSizing, aoRowSizing},
            {egoShowButtonAlways, aoShowButtonAlways},
            {egoAutoHeaderPanelHeight, aoAutoHeaderPanelHeight},
            {egoKeepColumnWidth, aoKeepColumnWidth},
            {egoAnsiSort, aoAnsiSort},
            {egoMouseScroll, aoMouseScroll},
            {egoAutoSearch, aoAutoSearch},
        };
        TgxTreeListOptionsEx ex;
        for (auto [from, to] : map)
            if (Value.Contains(from)) ex.Include(to);
        if (FOptions.Contains(egoShowHourGlass)) ex.Include(aoShowHourGlass);
        if (Value.Contains(egoInvertSelect) && FOptions.Contains(egoRowSelect)) {
            FOptions.Exclude(egoRowSelect);
            TCustomgxTreeList::SetOptions(TCustomgxTreeList::GetOptions() - TgxTreeListOptions{aoRowSelect});
        }
        if ((Value.Contains(egoAutoSort) && !FOptionsEx.Contains(egoAutoSort)) ||
            (!Value.Contains(egoMultiSort) && FOptionsEx.Contains(egoMultiSort)))
            ClearSorting();
        TCustomgxTreeList::SetOptionsEx(ex);
        FOptionsEx = Value;
    });
}

// ---- horizontal scrolling ---------------------------------------------------------------------

void TCustomgxDBGrid::WMHScroll(TMessage& Message) {
    const Word code = ScrollCode(Message);
    const bool snapped = code == SB_LINELEFT || code == SB_LINERIGHT || code == SB_THUMBTRACK || code == SB_THUMBPOSITION;
    if (!snapped || !CanFocus() || GetVisibleColumnCount() == 0) {
        TCustomgxDBTreeListControl::WMHScroll(Message);
        return;
    }
    // Where the scrollable columns start, from the start of the scrollable bands.
    std::vector<Integer> bounds;
    {
        TgxTreeListDrawInfo info;
        CalcDrawInfo(info);
        const Integer origin = GetScrollableRect().Left - GetLeftCoord();
        for (const TgxHeaderDrawItem& header : info.Headers)
            if (header.Band != info.LeftFixedBand && header.Band != info.RightFixedBand)
                bounds.push_back(header.Rect.Left - origin);
        FreeDrawInfo(info);
    }
    const Integer max = std::max(GetScrollableBandsWidth() - GetScrollableAreaWidth(), 0);
    bounds.push_back(0);
    bounds.push_back(max);
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    const Integer left = GetLeftCoord();
    auto next = [&](Integer From) {
        auto it = std::upper_bound(bounds.begin(), bounds.end(), From);
        return it == bounds.end() ? max : std::min(*it, max);
    };
    auto previous = [&](Integer From) {
        auto it = std::lower_bound(bounds.begin(), bounds.end(), From);
        return it == bounds.begin() ? 0 : *std::prev(it);
    };
    Integer value;
    if (code == SB_LINELEFT) {
        value = previous(left);
    } else if (code == SB_LINERIGHT) {
        value = next(left);
    } else {
        TScrollInfo info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(this, SB_HORZ, info);
        const Integer track = info.nTrackPos;
        // The direction of travel is taken from where the drag began.
        if (FThumbDragStart < 0) FThumbDragStart = left;
        const Integer start = FThumbDragStart;
        if (code == SB_THUMBPOSITION) FThumbDragStart = -1;
        if (track <= 0 || track >= max)
            value = track <= 0 ? 0 : max;
        else if (track > start)
            value = next(track - 1);
        else if (track < start)
            value = previous(track + 1);
        else
            value = start;
    }
    SetLeftCoord(value);
}

// ---- auto search ------------------------------------------------------------------------------

bool TCustomgxDBGrid::SearchNodeByText(Integer Column, const std::string& Text, TgxTreeListNode*& Node,
                                       Integer Mode) {
    if (!IsWindowMode() && !(IsPartialLoadMode() && !(FBOFReached && FEOFReached)))
        return TCustomgxDBTreeListControl::SearchNodeByText(Column, Text, Node, Mode);
    Node = nullptr;
    TDataSet* dataSet = GetDataSet();
    TgxDBTreeListColumn* column = Column >= 0 && Column < GetColumnCount() ? GetDBColumn(Column) : nullptr;
    TField* field = column ? column->GetField() : nullptr;
    if (!FDataLink->GetActive() || dataSet->IsEmpty() || Text.empty() || !field) return false;
    const Integer length = Utf8Length(Text);
    auto matches = [&] {
        const std::string value = field->GetAsString();
        return CompareText(value.substr(0, Utf8CharToByte(value, length)), Text) == 0;
    };
    if (Mode == 0 && matches()) return true;
    const TBookmarkStr start = dataSet->GetBookmarkStr();
    if (start.empty()) return false;
    auto step = [&] {
        if (Mode == 1) {
            dataSet->Prior();
            if (dataSet->GetBOF()) dataSet->Last();
        } else {
            dataSet->Next();
            if (dataSet->GetEOF()) dataSet->First();
        }
    };
    bool found = false;
    dataSet->DisableControls();
    try {
        // The current record was tested already, or is skipped by a search for the next match.
        step();
        while (CompareBookmarkStr(dataSet->GetBookmarkStr(), start) != 0) {
            if (matches()) {
                found = true;
                break;
            }
            step();
        }
        if (!found && dataSet->BookmarkValid(AsBookmark(start))) dataSet->SetBookmarkStr(start);
    } catch (...) {
        dataSet->EnableControls();
        throw;
    }
    dataSet->EnableControls();
    return found;
}
