// Keeping the focused node and the dataset's current record in step, in both directions, and
// answering the dataset's change notifications with a reload, a regroup or a refresh of one node.

#include "dbgrid/db_grid.h"
#include "dbgrid/db_grid_internal.h"

#include <algorithm>

#include "framework/exceptions.h"
#include "treelist/inplace_edit.h"

using namespace dbgrid_internal;

bool TCustomgxDBGrid::IsTouched(TgxTreeListNode* Node) const {
    return std::find(FTouchedNodes.begin(), FTouchedNodes.end(), Node) != FTouchedNodes.end();
}

namespace {

// The nodes a focus request names live in the touched list for the request only.
struct TTouchedScope {
    std::vector<TgxTreeListNode*>& List;
    const size_t Mark = List.size();
    ~TTouchedScope() {
        if (List.size() > Mark) List.resize(Mark);
    }
};

}  // namespace

// ---- focus to dataset -------------------------------------------------------------------------

void TCustomgxDBGrid::SetFocusedCell(TgxTreeListNode* Node, Integer Column, bool MakeVisible) {
    if (!Node) return;
    TTouchedScope touched{FTouchedNodes};
    if (!IsTouched(Node)) FTouchedNodes.push_back(Node);
    if (!FInSync) {
        if (GetFocusedNode()) TCustomgxDBTreeListControl::SetFocusedCell(GetFocusedNode(), Column, false);
        if (IsWindowMode()) {
            // The dataset moves; the node of the new active record is the one focused.
            SetFocusedAbsoluteIndex(Node->GetAbsoluteIndex());
            Node = GetFocusedNode();
            if (!Node) return;
            if (!IsTouched(Node)) FTouchedNodes.push_back(Node);
        } else if (!FRefreshing && FDataLink->GetActive()) {
            TDataSet* dataSet = GetDataSet();
            if (FOptions.Contains(egoUseLocate) || FOptions.Contains(egoSmartRefresh)) {
                MoveDataSetToNode(GetFocusedNode(), Node, true, AsGridNode(Node)->KeyValue);
            } else {
                const bool editing = IsEditingState(dataSet);
                MoveDataSetToNode(GetFocusedNode(), Node, false, Null());
                if (editing && (!IsTouched(Node) || !GridVarEquals(CurrentKey(), AsGridNode(Node)->KeyValue))) {
                    FTouchedNodes.erase(std::remove(FTouchedNodes.begin(), FTouchedNodes.end(), Node),
                                        FTouchedNodes.end());
                    return;
                }
            }
        }
    }
    if (!IsTouched(Node)) return;
    TCustomgxDBTreeListControl::SetFocusedCell(Node, Column, MakeVisible);
    if (FFocusedColumnIndex == -1) FFocusedColumnIndex = 0;
    if (GetFocusedNode() && GetFocusedNode()->GetCount() == 0) FFocusedColumnIndex = GetFocusedColumn();
}

void TCustomgxDBGrid::MoveDataSetToNode(TgxTreeListNode* Focused, TgxTreeListNode* Node, bool UseLocate,
                                        const Variant& Key) {
    if (FLoading || !Node) return;
    TDataSet* dataSet = GetDataSet();
    if (!dataSet || !dataSet->GetActive()) return;
    if (FKeyFieldObj && Node == Focused && GridVarEquals(CurrentKey(), AsGridNode(Node)->KeyValue)) return;
    if (Node == FPendingNode && dataSet->GetState() == dsInsert) return;
    if (!FOptions.Contains(egoCanNavigation)) return;
    const bool setLoading = !IsEditingState(dataSet);
    const bool oldLoading = FLoading, oldLocating = FLocating;
    if (setLoading) FLoading = true;
    try {
        if (UseLocate) {
            FLocating = true;
            dataSet->Locate(FKeyField, Key, {});
        } else {
            TgxFlagGuard moving(FMovingByIndex);
            TgxTreeListNode* reference = Focused;
            if (dataSet->GetState() == dsInsert && Focused) {
                reference = Focused->GetNextVisible();
                if (!reference) reference = Focused->GetPrevVisible();
                if (!reference) reference = Focused;
            }
            if (reference) dataSet->MoveBy(AsGridNode(Node)->RecordIndex - AsGridNode(reference)->RecordIndex);
            MoveBy(0);
        }
    } catch (...) {
        if (UseLocate) FLocating = oldLocating;
        FLoading = oldLoading;
        throw;
    }
    if (UseLocate) FLocating = oldLocating;
    FLoading = oldLoading;
}

void TCustomgxDBGrid::SetFocusedAbsoluteIndex(Integer Index) {
    if (GetCount() == 0) return;
    if (IsWindowMode()) {
        const Integer focused = GetFocusedAbsoluteIndex();
        if (FDataLink->GetActive() && Index != focused) GetDataSet()->MoveBy(Index - focused);
        return;
    }
    const Integer count = GetAbsoluteCount();
    if (Index >= count) Index = count - 1;
    if (Index < 0) Index = 0;
    const Integer column = FFocusedColumnIndex > 0 ? FFocusedColumnIndex : GetFocusedColumn();
    SetFocusedCell(GetAbsoluteNode(Index), column, true);
}

bool TCustomgxDBGrid::FocusNodeOnCollapse(TgxTreeListNode* Node) {
    TTouchedScope touched{FTouchedNodes};
    if (!IsTouched(Node)) FTouchedNodes.push_back(Node);
    Node->SetFocused(true);
    return IsTouched(Node);
}

bool TCustomgxDBGrid::CanScroll() {
    if (CanFocus() && !GetComponentState().Contains(csDesigning)) SetFocus();
    return Focused() || (GetInplaceEditor() && GetInplaceEditor()->Focused());
}

Integer TCustomgxDBGrid::GetIndicatorImage(TgxTreeListNode* Node, bool Selected) {
    if (Node != GetFocusedNode()) return Selected ? 4 : 0;
    if (TDataSet* dataSet = GetDataSet()) {
        if (dataSet->GetState() == dsEdit) return 2;
        if (dataSet->GetState() == dsInsert) return 3;
    }
    return Selected && IsMultiSelect() ? 5 : 1;
}

// ---- dataset to focus -------------------------------------------------------------------------

void TCustomgxDBGrid::FocusCurrentRecord() {
    if (!FKeyFieldObj || !FOptions.Contains(egoCanNavigation) || FLoading || GetCount() == 0) return;
    const Variant key = CurrentKey();
    TgxTreeListNode* target = nullptr;
    if (FGroupColumns.empty()) {
        target = FindNodeByKeyValue(key);
    } else {
        TgxTreeListNode* group = nullptr;
        for (TgxDBTreeListColumn* column : FGroupColumns) {
            if (!column->GetField()) return;
            bool found = false;
            TgxTreeListNode* place =
                FindGroupNode(group, column->GetField()->GetAsVariant(), column->GetSorted() == csDown, found);
            if (!found) return;
            group = place;
        }
        if (GridVarEquals(AsGridNode(group)->KeyValue, key)) {
            if (group->GetFirstChild() && group->GetFirstChild() == GetFocusedNode()) {
                target = group->GetFirstChild();
            } else {
                target = group;
                if (FLoading || FInSync)
                    while (!target->GetIsVisible() && target->GetParent() &&
                           GridVarEquals(AsGridNode(target->GetParent())->KeyValue, key))
                        target = target->GetParent();
            }
        } else {
            for (Integer i = 0; i < group->GetCount() && !target; ++i)
                if (GridVarEquals(AsGridNode(group->GetItem(i))->KeyValue, key)) target = group->GetItem(i);
        }
    }
    if (!target) return;
    if (FOptions.Contains(egoSeekDetail))
        while (target->GetCount() > 0) target = target->GetFirstChild();
    target->MakeVisible();
    target->SetFocused(true);
}

void TCustomgxDBGrid::SyncFocusedNode() {
    if (!FDataLink->GetActive() || IsLoading()) return;
    TgxFlagGuard inSync(FInSync);
    if (IsWindowMode()) {
        UpdateWindowNodes();
        return;
    }
    if (!FRefreshing) FocusCurrentRecord();
}

Integer TCustomgxDBGrid::MoveBy(Integer Distance) {
    if (IsWindowMode()) {
        UpdateScrollBars();
    } else if (!FLoading) {
        if (IsPartialLoadMode() && Distance != 0) PartialMoveBy();
        SyncFocusedNode();
    }
    if (FOptionsEx.Contains(egoSyncSelection) && IsMultiSelect() && !Focused() && !IsEditing() && GetFocusedNode() &&
        !(GetSelectedCount() == 1 && GetSelectedNode(0) == GetFocusedNode())) {
        InSelectionBracket([&] {
            ClearSelection();
            GetFocusedNode()->SetSelected(true);
        });
    }
    DoChangeNodeEx();
    return 0;
}

// ---- dataset changes --------------------------------------------------------------------------

bool TCustomgxDBGrid::CanSmartRefresh() {
    TDataSet* dataSet = GetDataSet();
    return FOptions.Contains(egoSmartRefresh) && !FRegrouping && dataSet && !dataSet->GetBOF() && !dataSet->GetEOF() &&
           !(GetCount() == 1 && GetItem(0)->GetCount() == 0 && !FGroupColumns.empty()) && !IsPartialLoadMode() &&
           RecordCountInStep();
}

// One record fewer is the current record deleted through the dataset, whose row the smart refresh
// drops. Records added or deleted past the grid in a batch (under DisableControls, say) leave
// other counts, which only a full refresh mends.
bool TCustomgxDBGrid::RecordCountInStep() {
    TDataSet* dataSet = GetDataSet();
    if (FPendingNode || dataSet->GetState() != dsBrowse) return true;
    const Integer records = dataSet->GetRecordCount();
    return records < 0 || records == FRecordCount || records == FRecordCount - 1;
}

void TCustomgxDBGrid::DataSetChanged() {
    TDataSet* dataSet = GetDataSet();
    if (OnChangeNodeEx && FSelectionBracket == 0) CompareChangeNodeInfo();
    if (CanSmartRefresh() && !FLoading && !FLocateEcho) {
        TgxFlagGuard refreshing(FRefreshing);
        SmartRefreshCurrentRecord();
    }
    FLocateEcho = FLocating && !FLoading;
    if (!dataSet || dataSet->GetState() != dsInsert) FPendingNode = nullptr;
    if (FLocating) {
        FLocating = false;
        return;
    }
    if (FLoading || !dataSet) return;
    if (IsLoadAllMode() && OtherGridBusy()) {
        MoveBy(0);
        return;
    }
    if (IsWindowMode()) {
        UpdateScrollBars();
        Invalidate();
        return;
    }
    const TDataSetState state = dataSet->GetState();
    if (state == dsEdit || state == dsSetKey) return;
    if (state == dsInsert) {
        AddInsertNode(dataSet->GetEOF());
        if (FOptions.Contains(egoResetColumnFocus)) SetFocusedColumn(0);
        return;
    }
    TgxFlagGuard refreshing(FRefreshing);
    if (!CanSmartRefresh()) RefreshNodes();
    if (!FMovingByIndex) {
        FRefreshing = false;
        TgxFlagGuard inSync(FInSync);
        FocusCurrentRecord();
    }
}

TgxTreeListNode* TCustomgxDBGrid::KeySearch(const Variant& Key, TgxTreeListNode* Exclude) {
    // The first node in tree order (a node before its children) whose key is Key: the outermost
    // of the group nodes that carry the key of the first such leaf, or that leaf.
    BuildKeyIndex();
    auto it = std::lower_bound(FKeyIndex.begin(), FKeyIndex.end(), Key,
                               [](const auto& Entry, const Variant& V) { return GridVarCompare(Entry.first, V) < 0; });
    for (; it != FKeyIndex.end() && GridVarEquals(it->first, Key); ++it) {
        std::vector<TgxTreeListNode*> chain{it->second};
        for (TgxTreeListNode* p = it->second->GetParent(); p && GridVarEquals(AsGridNode(p)->KeyValue, Key);
             p = p->GetParent())
            chain.push_back(p);
        for (auto n = chain.rbegin(); n != chain.rend(); ++n)
            if (*n != Exclude) return *n;
    }
    return nullptr;
}

TgxTreeListNode* TCustomgxDBGrid::RefreshFocusedNode(TgxTreeListNode* Node) {
    if (!IsWindowMode() && FOptions.Contains(egoCanNavigation) && Node && FKeyFieldObj) {
        const Variant key = CurrentKey();
        while (Node && Node->GetCount() > 0) {
            TgxTreeListNode* child = nullptr;
            for (Integer i = 0; i < Node->GetCount() && !child; ++i)
                if (GridVarEquals(AsGridNode(Node->GetItem(i))->KeyValue, key)) child = Node->GetItem(i);
            Node = child;
        }
        if (Node) {
            LoadNodeData(Node);
            DoRefreshNodeData(Node);
        }
    }
    if (Node) InvalidateNode(Node);
    return Node;
}

void TCustomgxDBGrid::SmartRefreshCurrentRecord() {
    if (IsWindowMode() || !FKeyFieldObj || !FOptions.Contains(egoCanNavigation)) return;
    const Variant key = CurrentKey();
    // A record deleted through the dataset rather than by the grid: the focused leaf, kept on the
    // current record until then, no longer carries the current key, and the dataset holds one
    // record fewer. Its row goes as the row of a record the grid deleted does.
    TDataSet* dataSet = GetDataSet();
    if (!FPendingNode && dataSet->GetState() == dsBrowse && dataSet->GetRecordCount() == FRecordCount - 1) {
        TgxTreeListNode* first = GetFocusedNode();
        while (first && first->GetCount() > 0) first = first->GetFirstChild();
        if (first && !GridVarEquals(AsGridNode(first)->KeyValue, key)) {
            FPendingNode = first;
            FPendingKey = AsGridNode(first)->KeyValue;
        }
    }
    TgxTreeListNode* remembered = nullptr;
    bool handled = false;
    if (TgxTreeListNode* found = KeySearch(key, nullptr)) {
        remembered = RefreshFocusedNode(found);
        handled = true;
    }
    if (FPendingNode) {
        TgxTreeListNode* first = GetFocusedNode();
        while (first && first->GetCount() > 0) first = first->GetFirstChild();
        if (first && GridVarEquals(AsGridNode(first)->KeyValue, AsGridNode(FPendingNode)->KeyValue)) {
            if (!GridVarEquals(AsGridNode(first)->KeyValue, key) || KeySearch(key, first)) {
                if (GridVarEquals(FPendingKey, key) || !KeySearch(key, nullptr)) {
                    remembered = RefreshFocusedNode(first);
                } else {
                    FPendingNode = nullptr;
                    FreeWithEmptyParents(first);
                    remembered = nullptr;
                }
                handled = true;
            }
        }
        FPendingNode = nullptr;
    }
    if (handled) RefreshNodeInPlace(remembered);
}

void TCustomgxDBGrid::RefreshNodeInPlace(TgxTreeListNode* Node) {
    InUpdateBracket([&] {
        if (FGroupColumns.empty()) {
            FRecordCount = GetCount();
            Resort();
        } else {
            if (Node && Node->GetCount() == 0) {
                TgxDBGridNode* leaf = AsGridNode(Node);
                TgxTreeListNode* parent = nullptr;
                for (TgxDBTreeListColumn* column : FGroupColumns) {
                    const Variant value = GetLeafGroupValue(leaf, column);
                    bool found = false;
                    TgxTreeListNode* place = FindGroupNode(parent, value, column->GetSorted() == csDown, found);
                    parent = found ? place : AddLeafGroupNode(parent, place, column, value, leaf);
                }
                if (leaf->GetParent() && leaf->GetParent() != parent) {
                    TgxTreeListNode* former = leaf->GetParent();
                    leaf->MoveTo(parent, amAddChildLast);
                    if (former->GetCount() == 0) FreeWithEmptyParents(former);
                }
            }
            Resort();
            UpdateGroupKeys();
            InvalidateKeyIndex();
        }
        RecalcSummaries();
    });
}

void TCustomgxDBGrid::AddInsertNode(bool AtEnd) {
    TgxTreeListNode* reference = GetFocusedNode();
    while (reference && reference->GetCount() > 0) reference = reference->GetFirstChild();
    TgxTreeListNode* node;
    InUpdateBracket([&] {
        if (!reference)
            node = Add();
        else if (AtEnd)
            node = reference->GetParent() ? reference->GetParent()->AddChild() : Add();
        else
            node = reference->GetParent() ? reference->GetParent()->InsertChild(reference) : Insert(reference);
        TgxDBGridNode* grid = AsGridNode(node);
        grid->KeyValue = Null();
        grid->GroupValue = Null();
        grid->RecordIndex = FRecordCount;
        LoadNodeData(node);
        FPendingNode = node;
        FPendingKey = grid->KeyValue;
        // The new record takes the values of the groups it stands in.
        for (TgxTreeListNode* group = node->GetParent(); group; group = group->GetParent()) {
            const Integer level = group->GetLevel();
            if (level < GetGroupColumnCount() && FGroupColumns[size_t(level)]->GetField())
                FGroupColumns[size_t(level)]->GetField()->SetAsVariant(AsGridNode(group)->GroupValue);
        }
    });
    node->MakeVisible();
    TgxFlagGuard inSync(FInSync);
    node->SetFocused(true);
}

void TCustomgxDBGrid::DeleteNodeRecord(TgxTreeListNode* Node) {
    if (!FDataLink->GetActive() || !Node) return;
    if (Node->GetCount() > 0 || !FOptions.Contains(egoCanNavigation)) return;
    const bool locate = FOptions.Contains(egoUseLocate) || FOptions.Contains(egoSmartRefresh);
    MoveDataSetToNode(GetFocusedNode(), Node, locate, AsGridNode(Node)->KeyValue);
    FPendingNode = Node;
    FPendingKey = AsGridNode(Node)->KeyValue;
    try {
        GetDataSet()->Delete();
    } catch (...) {
        FPendingNode = nullptr;
        FPendingKey = Null();
        throw;
    }
}

void TCustomgxDBGrid::RecordChanged(TField* /*Field*/) {
    TDataSet* dataSet = GetDataSet();
    if (!dataSet) return;
    if (!IsWindowMode() && (dataSet->GetState() == dsSetKey || (dataSet->GetState() == dsInsert && !FPendingNode)))
        return;
    TgxTreeListNode* node = RefreshFocusedNode(GetFocusedNode());
    if (!FPendingNode && node) {
        FPendingKey = AsGridNode(node)->KeyValue;
        FPendingNode = node;
    }
}

// ---- the change-node snapshots ----------------------------------------------------------------

TCustomgxDBGrid::TChangeNodeInfo TCustomgxDBGrid::TakeChangeNodeInfo() {
    TChangeNodeInfo info;
    TDataSet* dataSet = GetDataSet();
    if (!GetFocusedNode() || !dataSet || !dataSet->GetActive()) return info;
    info.Level = GetFocusedNode()->GetLevel();
    info.Selected = GetFocusedNode()->GetSelected();
    FindKeyField();
    info.Id = CurrentKey();
    return info;
}

void TCustomgxDBGrid::CompareChangeNodeInfo() {
    const TChangeNodeInfo info = TakeChangeNodeInfo();
    const bool same = info.Level == FChangeNodeInfo.Level && info.Selected == FChangeNodeInfo.Selected &&
                      info.Id.VarType() == FChangeNodeInfo.Id.VarType() && GridVarEquals(info.Id, FChangeNodeInfo.Id);
    FChangeNodeInfo = info;
    if (!same) DoChangeNodeEx();
}
