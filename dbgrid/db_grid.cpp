#include "dbgrid/db_grid.h"
#include "dbgrid/db_grid_internal.h"
#include "dbgrid/db_grid_mask_column.h"
#include "dbgrid/db_grid_summary.h"

#include <algorithm>

#include "framework/exceptions.h"
#include "framework/forms.h"
#include "framework/sysutils.h"

using namespace dbgrid_internal;

namespace {

// Every grid of the process, so that a grid can see whether another one on its dataset is busy.
std::vector<TCustomgxDBGrid*>& GridList() {
    static std::vector<TCustomgxDBGrid*> list;
    return list;
}

bool IsBlobField(TField* Field) {
    return dynamic_cast<TBlobField*>(Field) != nullptr;
}

}  // namespace

int GridVarCompare(const Variant& A, const Variant& B) {
    if (A.IsEmpty() || B.IsEmpty()) return A.IsEmpty() && B.IsEmpty() ? 0 : (A.IsEmpty() ? -1 : 1);
    try {
        return VariantCompare(A, B);
    } catch (const Exception&) {
        return -1;
    }
}

bool GridVarEquals(const Variant& A, const Variant& B) {
    return GridVarCompare(A, B) == 0;
}

// ---- the data link ----------------------------------------------------------------------------

TgxGridDataLink::TgxGridDataLink(TCustomgxDBGrid* AGrid) : FGrid(AGrid) {
    SetVisualControl(true);
}

void TgxGridDataLink::AddFieldName(const std::string& Name) {
    Integer index = -1;
    if (TDataSet* dataSet = GetDataSet()) {
        if (TField* field = dataSet->FindField(Name)) {
            index = field->GetIndex();
            field->FreeNotification(FGrid);
        }
    }
    FFieldIndexes.push_back(index);
}

TField* TgxGridDataLink::GetField(Integer Index) const {
    if (Index < 0 || Index >= GetFieldCount() || FFieldIndexes[size_t(Index)] < 0 || !GetDataSet()) return nullptr;
    TFields* fields = GetDataSet()->GetFields();
    const Integer i = FFieldIndexes[size_t(Index)];
    return i < fields->Count() ? fields->GetField(i) : nullptr;
}

void TgxGridDataLink::ActiveChanged() {
    if (!FGrid->IsDestroying()) FGrid->LinkActiveChanged();
}

void TgxGridDataLink::DataSetChanged() {
    if (!FGrid->IsDestroying()) FGrid->DataSetChanged();
    FModified = false;
}

void TgxGridDataLink::DataSetScrolled(Integer Distance) {
    if (!FGrid->IsDestroying()) FGrid->MoveBy(-Distance);
}

void TgxGridDataLink::RecordChanged(TField* Field) {
    if (!FGrid->IsDestroying()) FGrid->RecordChanged(Field);
    FModified = false;
}

void TgxGridDataLink::UpdateData() {
    if (FModified) FGrid->HideEditor();
    FModified = false;
}

void TgxGridDataLink::LayoutChanged() {
    if (!FGrid->IsDestroying()) FGrid->LinkLayoutChanged();
}

void TgxGridDataLink::FocusControl(TField*& Field) {
    if (!Field || !FGrid->GetOptions().Contains(egoCanNavigation)) return;
    if (!FGrid->IsWindowMode()) {
        TgxTreeListNode* node = FGrid->GetFocusedNode();
        while (node && node->GetCount() > 0) node = node->GetFirstChild();
        if (node) node->MakeVisible();
    }
    if (FGrid->GetOptions().Contains(egoRowSelect)) return;
    TgxDBTreeListColumn* column = nullptr;
    for (Integer i = 0; i < FGrid->GetColumnCount() && !column; ++i)
        if (FGrid->GetDBColumn(i) && FGrid->GetDBColumn(i)->GetField() == Field) column = FGrid->GetDBColumn(i);
    if (!column || !column->GetVisible()) return;
    FGrid->SetFocusedColumn(FGrid->AbsoluteToVisibleIndex(column->GetIndex()));
    if (FGrid->CanFocus()) {
        Field = nullptr;
        FGrid->SetFocus();
    }
}

// ---- the data-aware tree list -----------------------------------------------------------------

TCustomgxDBTreeListControl::TCustomgxDBTreeListControl(TComponent* AOwner) : TCustomgxTreeListControl(AOwner) {}

TgxDBTreeListColumn* TCustomgxDBTreeListControl::GetDBColumn(Integer Index) const {
    return dynamic_cast<TgxDBTreeListColumn*>(GetColumn(Index));
}

TgxDBTreeListColumn* TCustomgxDBTreeListControl::FindColumnByFieldName(const std::string& FieldName) {
    for (Integer i = 0; i < GetColumnCount(); ++i) {
        TgxDBTreeListColumn* column = GetDBColumn(i);
        if (column && AnsiCompareText(column->GetFieldName(), FieldName) == 0) return column;
    }
    return nullptr;
}

TgxDBTreeListColumn* TCustomgxDBTreeListControl::ColumnByFieldName(const std::string& FieldName) {
    TgxDBTreeListColumn* column = FindColumnByFieldName(FieldName);
    if (!column) throw Exception(Format("%s: Column by Field ''%s'' not found", {GetName(), FieldName}));
    return column;
}

void TCustomgxDBTreeListControl::SetGrIndicatorWidth(Integer Value) {
    if (Value < TCustomgxTreeList::GetGrIndicatorWidth()) Value = TCustomgxTreeList::GetGrIndicatorWidth();
    if (Value == FGrIndicatorWidth) return;
    FGrIndicatorWidth = Value;
    LayoutChanged();
}

TgxTreeListColumn* TCustomgxDBTreeListControl::CreateColumn(TClass ColumnClass, TComponent* AOwner) {
    return TCustomgxTreeListControl::CreateColumn(ColumnClass, AOwner);
}

TColor TCustomgxDBTreeListControl::GetEditColor() {
    TColor color = TCustomgxTreeListControl::GetEditColor();
    if (OnGetEditColor) {
        const Integer column = VisibleToAbsoluteIndex(GetFocusedColumn());
        OnGetEditColor(this, GetFocusedNode(), column >= 0 ? GetColumn(column) : nullptr, color);
    }
    return color;
}

void TCustomgxDBTreeListControl::GetEditMask(std::string& Value) {
    Value.clear();
    const Integer column = VisibleToAbsoluteIndex(GetFocusedColumn());
    auto* dbColumn = column >= 0 && column < GetColumnCount() ? dynamic_cast<TgxDBTreeListColumn*>(GetColumn(column))
                                                               : nullptr;
    if (dbColumn && dbColumn->GetField()) Value = dbColumn->GetField()->GetEditMask();
}

// ---- the grid: life cycle ---------------------------------------------------------------------

TCustomgxDBGrid::TCustomgxDBGrid(TComponent* AOwner) : TCustomgxDBTreeListControl(AOwner) {
    RegisterMaskColumnKind();
    FDataLink = new TgxGridDataLink(this);
    TCustomgxTreeList::SetOptions({aoColumnSizing, aoColumnMoving, aoEditing, aoTabThrough, aoImmediateEditor});
    TCustomgxTreeList::SetOptionsEx(
        {aoUseBitmap, aoBandHeaderWidth, aoBandSizing, aoBandMoving, aoVertThrough, aoEnterShowEditor, aoDragScroll});
    SetPaintStyle(psOutlook);
    SetShowGrid(true);
    SetHideFocusRect(false);
    SetHideSelection(false);
    SetHideSelectionColor(GetHighlightColor());
    SetHideSelectionTextColor(GetHighlightTextColor());
    GridList().push_back(this);
}

void TCustomgxDBGrid::BeforeDestruction() {
    SaveStoredLayout();
    PrepareDestroy();
    ClearCache();
    // The selection goes before the lists it points into.
    FSelection.clear();
    FSavedSelection.clear();
    FSavedSelectionKeys.clear();
    auto& list = GridList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    TCustomgxDBTreeListControl::BeforeDestruction();
    FGroupColumns.clear();
    FTouchedNodes.clear();
    FKeyIndex.clear();
}

TCustomgxDBGrid::~TCustomgxDBGrid() {
    FDataLink->SetDataSource(nullptr);
    FDataLink->Free();
    if (FSummaryGroups) FSummaryGroups->Free();
}

void TCustomgxDBGrid::Loaded() {
    InUpdateBracket([&] {
        TCustomgxDBTreeListControl::Loaded();
        TgxFlagGuard regrouping(FRegrouping);
        ApplyGroupIndexes();
        RestoreDefaultColumnWidths();
        if (FGroupColumns.empty() && IsGridMode()) ClearSorting();
    });
    LoadStoredLayout();
}

void TCustomgxDBGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomgxDBTreeListControl::Notification(AComponent, Operation);
    if (Operation != opRemove || !FDataLink) return;
    if (AComponent == GetDataSource()) {
        SetDataSource(nullptr);
        return;
    }
    auto* field = dynamic_cast<TField*>(AComponent);
    if (!field) return;
    const bool keyField = field == FKeyFieldObj && !IsWindowMode() && FDataLink->GetActive();
    const bool previewField = field == FPreviewField;
    bool lost = false;
    for (Integer i = 0; i < GetColumnCount(); ++i) {
        TgxDBTreeListColumn* column = GetDBColumn(i);
        if (column && (column->FField == field || previewField || keyField)) {
            column->FField = nullptr;
            lost = true;
        }
    }
    TDataSet* dataSet = GetDataSet();
    if (lost && !(dataSet && dataSet->ControlsDisabled())) {
        InUpdateBracket([&] {
            for (Integer i = 0; i < GetColumnCount(); ++i)
                if (TgxDBTreeListColumn* column = GetDBColumn(i)) {
                    if (!column->FField) column->BindField();
                    if (column->FField == field) column->FField = nullptr;
                }
        });
        if (keyField) {
            FKeyFieldObj = nullptr;
            ReloadData(dataSet && dataSet->GetActive());
        }
    }
    if (previewField) FPreviewField = nullptr;
    if (field == FKeyFieldObj) FKeyFieldObj = nullptr;
}

// ---- properties -------------------------------------------------------------------------------

void TCustomgxDBGrid::SetDataSource(TDataSource* Value) {
    if (Value == GetDataSource()) return;
    ClearSelection();
    FKeyFieldObj = nullptr;
    FPreviewField = nullptr;
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    if (IsWindowMode()) ReloadData(FDataLink->GetActive());
}

void TCustomgxDBGrid::SetKeyField(const std::string& Value) {
    if (Value == FKeyField) return;
    FKeyField = Value;
    if (FDataLink->GetActive()) ReloadData(true);
}

void TCustomgxDBGrid::SetDefaultFields(bool Value) {
    if (Value == FDefaultFields) return;
    InUpdateBracket([&] {
        if (Value) {
            FOptions.Exclude(egoLoadAllRecords);
            ClearGrouping();
            TCustomgxDBTreeListControl::DestroyColumns();
        }
        FDefaultFields = Value;
        if (Value) SetDefaultLayout(true);
    });
}

void TCustomgxDBGrid::SetPreviewFieldName(const std::string& Value) {
    if (Value == FPreviewFieldName) return;
    FPreviewFieldName = Value;
    if (FDataLink->GetActive()) ReloadData(true);
}

void TCustomgxDBGrid::SetPreviewMaxLength(Integer Value) {
    if (Value < 0) Value = 0;
    if (Value == FPreviewMaxLength) return;
    FPreviewMaxLength = Value;
    LayoutChanged();
}

void TCustomgxDBGrid::SetUseBookmarks(bool Value) {
    if (Value == FUseBookmarks) return;
    if (Value) ClearSelection();
    FUseBookmarks = Value;
}

bool TCustomgxDBGrid::IsGridMode() {
    return !FOptions.Contains(egoLoadAllRecords) && (!FDataLink->GetActive() || FGroupColumns.empty());
}

// ---- loading ----------------------------------------------------------------------------------

void TCustomgxDBGrid::FindKeyField() {
    FKeyFieldObj = nullptr;
    if (FDataLink->GetActive() && !FKeyField.empty()) FKeyFieldObj = GetDataSet()->FindField(FKeyField);
}

void TCustomgxDBGrid::FindPreviewField() {
    FPreviewField = nullptr;
    if (!FDataLink->GetActive() || FPreviewFieldName.empty()) return;
    TField* field = GetDataSet()->FindField(FPreviewFieldName);
    if (auto* blob = dynamic_cast<TBlobField*>(field)) {
        const TFieldType type = blob->GetBlobType();
        if (type != ftBlob && type != ftMemo && type != ftFmtMemo) field = nullptr;
    }
    if (field) field->FreeNotification(this);
    FPreviewField = field;
}

Variant TCustomgxDBGrid::CurrentKey() {
    return FKeyFieldObj ? FKeyFieldObj->GetAsVariant() : Null();
}

void TCustomgxDBGrid::ReloadData(bool Active) {
    if (!Active) HideEditor();
    ReloadNodes();
}

void TCustomgxDBGrid::ReloadNodes() {
    InUpdateBracket([&] {
        HideEditor();
        const bool smart = CanSmartReload();
        if (!smart) {
            ClearNodes();
            InvalidateKeyIndex();
            FRecordCount = 0;
        }
        ClearSelection();
        FDataLink->ClearFields();
        if (FDataLink->GetActive()) LinkDefaultFields();
        for (Integer i = 0; i < GetColumnCount(); ++i)
            if (TgxDBTreeListColumn* column = GetDBColumn(i)) column->BindField();
        LoadNodes(nullptr);
    });
    RestoreTopNode();
    UpdateWindowNodes();
    if (OnReloadGroupList) OnReloadGroupList(this);
}

void TCustomgxDBGrid::RefreshNodes() {
    FTopKey = Null();
    FTopLevel = 0;
    FGroupsChanged = false;
    FRegrouping = false;
    if (!FGroupColumns.empty() || FOptions.Contains(egoLoadAllRecords) || IsPartialLoadMode()) {
        InUpdateBracket([&] {
            SaveSelection();
            try {
                if (TgxTreeListNode* top = GetTopVisibleNode()) {
                    FTopKey = AsGridNode(top)->KeyValue;
                    FTopLevel = top->GetLevel();
                }
                if (IsLoadAllMode() && (FGroupColumns.empty() || (GetCount() == 1 && GetItem(0)->GetCount() == 0))) {
                    ClearNodes();
                    FSelection.clear();
                }
                std::vector<TgxDBGridNode*> old;
                if (GetCount() > 0 && GetItem(0)->GetCount() > 0) {
                    WalkNodes([&](TgxTreeListNode* n) {
                        if (n->GetCount() > 0)
                            AsGridNode(n)->GroupSummaryAssigned = false;
                        else
                            old.push_back(AsGridNode(n));
                    });
                    std::stable_sort(old.begin(), old.end(), [](TgxDBGridNode* A, TgxDBGridNode* B) {
                        return GridVarCompare(A->KeyValue, B->KeyValue) < 0;
                    });
                } else if (GetCount() > 0) {
                    // Without grouping the nodes are rebuilt in dataset order.
                    ClearNodes();
                    FSelection.clear();
                }
                InvalidateKeyIndex();
                LoadNodes(&old);
            } catch (...) {
                DropSavedSelection();
                throw;
            }
            DropSavedSelection();
        });
        RestoreTopNode();
    } else {
        ClearNodes();
        FSelection.clear();
    }
}

void TCustomgxDBGrid::RestoreTopNode() {
    TgxTreeListNode* node = FTopNodeToRestore;
    FTopNodeToRestore = nullptr;
    if (node) SetTopIndex(GetAbsoluteIndex(node));
}

TgxTreeListNode* TCustomgxDBGrid::FindGroupNode(TgxTreeListNode* Parent, const Variant& Value, bool Descending,
                                                bool& Found, Integer From) {
    const Integer count = Parent ? Parent->GetCount() : GetCount();
    auto at = [&](Integer i) { return Parent ? Parent->GetItem(i) : GetItem(i); };
    if (SortsBySummary(Parent ? Parent->GetLevel() + 1 : 0)) {
        for (Integer i = std::max(From, 0); i < count; ++i)
            if (GridVarEquals(AsGridNode(at(i))->GroupValue, Value)) {
                Found = true;
                return at(i);
            }
        Found = false;
        return nullptr;
    }
    Integer low = From, high = count - 1;
    while (low <= high) {
        const Integer mid = (low + high) / 2;
        Integer c = GridVarCompare(AsGridNode(at(mid))->GroupValue, Value);
        if (Descending) c = -c;
        if (c == 0) {
            Found = true;
            return at(mid);
        }
        if (c < 0)
            low = mid + 1;
        else
            high = mid - 1;
    }
    Found = false;
    return low < count ? at(low) : nullptr;
}

TgxDBGridNode* TCustomgxDBGrid::AddGroupNode(TgxTreeListNode* Parent, TgxTreeListNode* Before,
                                             TgxDBTreeListColumn* Column, const Variant& Value, const Variant& Key,
                                             Integer RecordIndex) {
    TgxTreeListNode* node;
    if (Before)
        node = Before->GetParent() ? Before->GetParent()->InsertChild(Before) : Insert(Before);
    else
        node = Parent ? Parent->AddChild() : Add();
    TgxDBGridNode* group = AsGridNode(node);
    group->GroupValue = Value;
    group->KeyValue = Key;
    group->RecordIndex = RecordIndex;
    return group;
}

void TCustomgxDBGrid::LoadNodes(std::vector<TgxDBGridNode*>* OldNodes) {
    if (IsLoading()) return;
    TgxFlagGuard loading(FLoading);
    struct TEndLoad {
        bool& Changed;
        ~TEndLoad() { Changed = false; }
    } endLoad{FGroupsChanged};
    FindKeyField();
    if (!FKeyFieldObj && FOptions.Contains(egoCanNavigation)) return;
    if (IsPartialLoadMode()) {
        PartialLoadRecords(0);
        return;
    }
    TDataSet* dataSet = GetDataSet();
    // Grouping columns whose field has gone leave the grouping (without a reload).
    ++FGroupingLock;
    try {
        if (FDataLink->GetActive())
            for (Integer i = GetGroupColumnCount() - 1; i >= 0; --i)
                if (!FGroupColumns[size_t(i)]->GetField()) RemoveGroupColumn(i);
    } catch (...) {
        --FGroupingLock;
        throw;
    }
    --FGroupingLock;
    if (IsWindowMode() || !dataSet || !dataSet->GetActive()) return;
    for (TgxDBTreeListColumn* column : FGroupColumns)
        if (!column->GetField() || IsBlobField(column->GetField())) return;
    SetSelectionAnchor(nullptr);
    if (CanSmartReload()) {
        SmartReload();
        return;
    }
    FindPreviewField();
    UpdateGroupFields();
    ResetFooterTotals();
    if (FTopKey.IsEmpty()) {
        FTopKey = Null();
        FTopLevel = 0;
    }
    const TBookmarkStr bookmark = dataSet->GetBookmarkStr();
    dataSet->DisableControls();
    const TCursor oldCursor = Screen->GetCursor();
    TgxTreeListNode* topNode = nullptr;
    Integer counter = 0;
    try {
        if (IsEditingState(dataSet)) dataSet->Cancel();
        if (IsShowHourGlass()) Screen->SetCursor(crHourGlass);
        const bool wasBOF = dataSet->GetBOF(), wasEOF = dataSet->GetEOF();
        dataSet->First();
        DoClearNodeData();
        DoBeforeCalcSummary();
        while (!dataSet->GetEOF()) {
            TgxTreeListNode* parent = nullptr;
            for (TgxDBTreeListColumn* column : FGroupColumns) {
                const Variant value = column->GetField()->GetAsVariant();
                bool found = false;
                TgxTreeListNode* place = FindGroupNode(parent, value, column->GetSorted() == csDown, found);
                if (found) {
                    parent = place;
                } else {
                    TgxDBGridNode* group = AddGroupNode(parent, place, column, value, CurrentKey(), counter);
                    LoadCellData(group, column);
                    DoRefreshNodeData(group);
                    parent = group;
                }
                if (FSelectAllLoading) parent->SetSelected(true);
            }
            TgxDBGridNode* leaf = nullptr;
            if (OldNodes && FKeyFieldObj && !OldNodes->empty()) {
                const Variant key = CurrentKey();
                auto it = std::lower_bound(
                    OldNodes->begin(), OldNodes->end(), key,
                    [](TgxDBGridNode* N, const Variant& K) { return GridVarCompare(N->KeyValue, K) < 0; });
                for (; it != OldNodes->end() && GridVarEquals((*it)->KeyValue, key); ++it)
                    if ((*it)->GetParent() == parent) {
                        leaf = *it;
                        OldNodes->erase(it);
                        break;
                    }
            }
            if (!leaf) leaf = AsGridNode(parent ? parent->AddChild() : Add());
            leaf->GroupValue = Null();
            LoadNodeData(leaf);
            leaf->Bookmark = dataSet->GetBookmarkStr();
            leaf->RecordIndex = counter;
            DoRefreshNodeData(leaf);
            if (parent) AddGroupRecord(parent, nullptr, nullptr);
            AddFooterRecord(nullptr, nullptr);
            if (FSelectAllLoading)
                leaf->SetSelected(true);
            else
                RestoreLeafSelection(leaf);
            if (!topNode && !FTopKey.IsNull() && GridVarEquals(leaf->KeyValue, FTopKey)) {
                topNode = leaf;
                while (topNode->GetParent() && topNode->GetLevel() > FTopLevel) topNode = topNode->GetParent();
            }
            dataSet->Next();
            ++counter;
        }
        FRecordCount = counter;
        if (OldNodes)
            for (TgxDBGridNode* old : *OldNodes) FreeWithEmptyParents(old);
        if (OldNodes) OldNodes->clear();
        Resort();
        FinishSummaries(false);
        ApplySummarySort();
        UpdateGroupKeys();
        if (!bookmark.empty() && dataSet->BookmarkValid(AsBookmark(bookmark))) dataSet->SetBookmarkStr(bookmark);
        if (wasBOF != wasEOF) {
            if (wasBOF)
                dataSet->Prior();
            else
                dataSet->Next();
        }
        if (FOptionsEx.Contains(egoCollapsedReload) && !FGroupColumns.empty() && GetCount() > 0 &&
            FOptions.Contains(egoCanNavigation)) {
            bool found = false;
            TgxTreeListNode* group = FindGroupNode(nullptr, FGroupColumns[0]->GetField()->GetAsVariant(),
                                                   FGroupColumns[0]->GetSorted() == csDown, found);
            if (found && !group->GetExpanded()) {
                if (FOptions.Contains(egoUseLocate) || FOptions.Contains(egoSmartRefresh)) {
                    dataSet->Locate(FKeyField, AsGridNode(group)->KeyValue, {});
                } else {
                    dataSet->First();
                    dataSet->MoveBy(AsGridNode(group)->RecordIndex);
                }
            }
        }
        FTopNodeToRestore = topNode;
        if (topNode && !IsUpdating()) RestoreTopNode();
    } catch (...) {
        Screen->SetCursor(oldCursor);
        dataSet->EnableControls();
        InvalidateKeyIndex();
        throw;
    }
    Screen->SetCursor(oldCursor);
    dataSet->EnableControls();
    InvalidateKeyIndex();
}

void TCustomgxDBGrid::SmartReload() {
    // The leaves leave the tree in one pass and the old group nodes go; each leaf then finds or
    // makes its group path and is appended to its last group, so the regroup takes the time of
    // a load without the dataset walk.
    const bool wasGrouped = GetCount() > 0 && GetItem(0)->GetCount() > 0;
    std::vector<TgxTreeListNode*> leaves = ExtractLeaves();
    // Back in the dataset's order, so that every group lists its leaves in that order again.
    if (wasGrouped) InRecordOrder(leaves);
    // The group totals add up as the leaves are placed, in the dataset's order; the footer keeps
    // the totals of the last walk.
    UpdateGroupFields();
    DoBeforeCalcSummary();
    BuildSummaryColumns();
    size_t placed = 0;
    try {
        for (; placed < leaves.size(); ++placed) {
            auto* leaf = AsGridNode(leaves[placed]);
            TgxTreeListNode* parent = nullptr;
            for (TgxDBTreeListColumn* column : FGroupColumns) {
                const Variant value = GetLeafGroupValue(leaf, column);
                bool found = false;
                TgxTreeListNode* place = FindGroupNode(parent, value, column->GetSorted() == csDown, found);
                parent = found ? place : AddLeafGroupNode(parent, place, column, value, leaf);
            }
            if (!parent) leaf->GroupValue = Null();
            AdoptNode(parent, leaf);
            if (parent) AddGroupRecord(parent, leaf, &FGroupSummaryColumns);
        }
    } catch (...) {
        // Leaves not yet placed stay as top-level rows rather than being lost.
        for (; placed < leaves.size(); ++placed) AdoptNode(nullptr, leaves[placed]);
        FRecordCount = Integer(leaves.size());
        ClearCache();
        InvalidateKeyIndex();
        throw;
    }
    FRecordCount = Integer(leaves.size());
    ClearCache();
    Resort();
    FinishSummaries(true);
    ApplySummarySort();
    UpdateGroupKeys();
    InvalidateKeyIndex();
}

void TCustomgxDBGrid::InRecordOrder(std::vector<TgxTreeListNode*>& Leaves) {
    // A loaded leaf's RecordIndex is its record's position, so each leaf has its own slot and one
    // pass orders them; indexes out of range or met twice (a record inserted since) sort instead.
    std::vector<TgxTreeListNode*> slots(Leaves.size(), nullptr);
    bool placed = true;
    for (TgxTreeListNode* leaf : Leaves) {
        const Integer index = AsGridNode(leaf)->RecordIndex;
        if (index < 0 || size_t(index) >= slots.size() || slots[size_t(index)]) {
            placed = false;
            break;
        }
        slots[size_t(index)] = leaf;
    }
    if (placed) {
        Leaves.swap(slots);
        return;
    }
    std::vector<std::pair<Integer, TgxTreeListNode*>> keyed;
    keyed.reserve(Leaves.size());
    for (TgxTreeListNode* leaf : Leaves) keyed.emplace_back(AsGridNode(leaf)->RecordIndex, leaf);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& A, const auto& B) { return A.first < B.first; });
    for (size_t i = 0; i < keyed.size(); ++i) Leaves[i] = keyed[i].second;
}

TgxDBGridNode* TCustomgxDBGrid::AddLeafGroupNode(TgxTreeListNode* Parent, TgxTreeListNode* Before,
                                                 TgxDBTreeListColumn* Column, const Variant& Value,
                                                 TgxDBGridNode* Leaf) {
    TgxDBGridNode* group = AddGroupNode(Parent, Before, Column, Value, Leaf->KeyValue, Leaf->RecordIndex);
    const Integer index = Column->GetIndex();
    TNodeVariantData data;
    GetNodeVariantData(Leaf, index, data);
    SetNodeVariantData(group, index, data);
    TCustomgxTreeListControl::SetNodeString(group, index, TCustomgxTreeListControl::GetNodeString(Leaf, index));
    DoRefreshNodeData(group);
    return group;
}

Variant TCustomgxDBGrid::GetLeafGroupValue(TgxDBGridNode* Node, TgxDBTreeListColumn* Column) {
    const Integer index = Column->GetIndex();
    Variant value;
    if (index >= 0 && index < Integer(Node->Cells.size()) && (Node->Cells[size_t(index)].Flags & nvValue))
        value = Node->Cells[size_t(index)].FieldValue;
    else
        value = GetNodeValue(Node, index);
    if (value.VarType() == varString && value.AsString().empty()) value = Null();
    return value;
}

void TCustomgxDBGrid::UpdateGroupKeys() {
    // Bottom-up: a group node's children are settled before it.
    std::vector<TgxTreeListNode*> groups;
    WalkNodes([&](TgxTreeListNode* n) {
        if (n->GetCount() > 0) groups.push_back(n);
    });
    for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
        auto* group = AsGridNode(*it);
        auto* first = AsGridNode(group->GetFirstChild());
        group->KeyValue = first->KeyValue;
        group->RecordIndex = first->RecordIndex;
    }
}

void TCustomgxDBGrid::FreeWithEmptyParents(TgxTreeListNode* Node) {
    while (Node) {
        TgxTreeListNode* parent = Node->GetParent();
        Node->Free();
        Node = parent && parent->GetCount() == 0 ? parent : nullptr;
    }
}

void TCustomgxDBGrid::LoadNodeData(TgxTreeListNode* Node) {
    for (Integer i = 0; i < GetColumnCount(); ++i) {
        TgxDBTreeListColumn* column = GetDBColumn(i);
        if (column && column->GetField()) LoadCellData(Node, column);
    }
    TgxDBGridNode* node = AsGridNode(Node);
    Variant key = CurrentKey();
    if (!(node->KeyValue.VarType() == key.VarType() && GridVarEquals(node->KeyValue, key))) {
        node->KeyValue = std::move(key);
        InvalidateKeyIndex();
    }
    if (!FPreviewField) return;
    try {
        std::string text;
        if (FPreviewField->OnGetText) {
            FPreviewField->OnGetText(FPreviewField, text, true);
        } else {
            text = FPreviewField->GetAsString();
            if (FPreviewMaxLength > 0 && Integer(text.size()) > FPreviewMaxLength)
                text = text.substr(0, size_t(FPreviewMaxLength)) + "...";
        }
        node->PreviewText = text;
    } catch (const Exception&) {
        // A preview text that cannot be read stays as it was.
    }
}

std::string TCustomgxDBGrid::RecordText(TgxDBTreeListColumn* Column) {
    std::string display, text;
    Column->GetFieldDisplayText(display);
    Column->VariantToText(Variant(display), text);
    return text;
}

void TCustomgxDBGrid::LoadCellData(TgxTreeListNode* Node, TgxDBTreeListColumn* Column) {
    TField* field = Column->GetField();
    const Integer index = Column->GetIndex();
    TCustomgxTreeListControl::SetNodeString(Node, index, RecordText(Column));
    if (!field) return;
    TNodeVariantData data;
    const TFieldType type = field->GetDataType();
    auto* stringField = dynamic_cast<TStringField*>(field);
    if ((type >= ftSmallint && type <= ftDateTime) || type == ftAutoInc ||
        (stringField && (stringField->OnGetText || !stringField->GetEditMask().empty())) || Column->NeedsFieldValue()) {
        data.FieldValue = field->GetAsVariant();
        data.Flags |= nvValue;
    }
    if (field->GetFieldKind() == fkLookup && GetDataSet()) {
        data.LookupKey = GetDataSet()->GetFieldValue(field->GetKeyFields());
        data.Flags |= nvLookupKey;
    }
    if (data.Flags || index < Integer(AsGridNode(Node)->Cells.size())) SetNodeVariantData(Node, index, data);
}

void TCustomgxDBGrid::GetNodeVariantData(TgxTreeListNode* Node, Integer Column, TNodeVariantData& Data) {
    TgxDBGridNode* node = AsGridNode(Node);
    if (!node || Column < 0 || Column >= Integer(node->Cells.size()))
        Data = TNodeVariantData();
    else
        Data = node->Cells[size_t(Column)];
}

void TCustomgxDBGrid::SetNodeVariantData(TgxTreeListNode* Node, Integer Column, const TNodeVariantData& Data) {
    TgxDBGridNode* node = AsGridNode(Node);
    if (!node || Column < 0) return;
    if (Column >= Integer(node->Cells.size())) node->Cells.resize(size_t(Column) + 1);
    node->Cells[size_t(Column)] = Data;
}

void TCustomgxDBGrid::DeleteColumnValues(TgxTreeListNode* Node, Integer Column) {
    TgxDBGridNode* node = AsGridNode(Node);
    if (node && Column >= 0 && Column < Integer(node->Cells.size())) node->Cells.erase(node->Cells.begin() + Column);
    TCustomgxDBTreeListControl::DeleteColumnValues(Node, Column);
}

TgxTreeListNode* TCustomgxDBGrid::CreateNode() {
    return new TgxDBGridNode(this);
}

// ---- node values ------------------------------------------------------------------------------

Variant TCustomgxDBGrid::GetNodeValue(TgxTreeListNode* Node, Integer Column) {
    TgxDBGridNode* node = AsGridNode(Node);
    if (!node) return Null();
    if (IsWindowMode()) return WindowNodeValue(Node, Column);
    if (node->GetCount() > 0) return node->GroupValue;
    if (Column >= 0 && Column < Integer(node->Cells.size()) && (node->Cells[size_t(Column)].Flags & nvValue))
        return node->Cells[size_t(Column)].FieldValue;
    return Variant(TCustomgxDBTreeListControl::GetNodeString(Node, Column));
}

std::string TCustomgxDBGrid::GetNodeString(TgxTreeListNode* Node, Integer Column) {
    if (!Node) return {};
    if (IsWindowMode()) return WindowNodeString(Node, Column);
    if (Node->GetCount() > 0) {
        const Integer level = Node->GetLevel();
        // Between a grouping change and the reload a level can be past the grouping columns.
        if (level >= GetGroupColumnCount()) return TCustomgxDBTreeListControl::GetNodeString(Node, Column);
        TgxDBTreeListColumn* group = FGroupColumns[size_t(level)];
        std::string value;
        group->ConvertEditText(TCustomgxDBTreeListControl::GetNodeString(Node, group->GetIndex()), value);
        if (group->OnGetText) group->OnGetText(group, Node, value);
        std::string extra;
        if (OnGetGroupNodeText) OnGetGroupNodeText(this, Node, extra);
        return group->GetCaption() + " : " + value + " " + GetGroupSummaryText(Node, group) + extra;
    }
    std::string text = TCustomgxDBTreeListControl::GetNodeString(Node, Column);
    if (TgxDBTreeListColumn* column = Column >= 0 && Column < GetColumnCount() ? GetDBColumn(Column) : nullptr)
        if (column->OnGetText) column->OnGetText(column, Node, text);
    return text;
}

Variant TCustomgxDBGrid::GetNodeSortValue(TgxTreeListNode* Node, Integer Column) {
    TgxDBTreeListColumn* column = Column >= 0 && Column < GetColumnCount() ? GetDBColumn(Column) : nullptr;
    if (column && Node && Node->GetCount() > 0 && SortsBySummary(column->GetGroupIndex()) &&
        FGroupColumns[size_t(column->GetGroupIndex())] == column)
        return Variant(double(GetNodeSummaryValue(Node)));
    if (column && column->GetSortKind() == varString) {
        const std::string text = TCustomgxDBTreeListControl::GetNodeString(Node, Column);
        return Variant(IsCaseInsensitive() ? AnsiUpperCase(text) : text);
    }
    TgxDBGridNode* node = AsGridNode(Node);
    if (node && Column >= 0 && Column < Integer(node->Cells.size())) return node->Cells[size_t(Column)].FieldValue;
    return Null();
}

void TCustomgxDBGrid::GetPreviewText(TgxTreeListNode* Node, std::string& Text) {
    Text.clear();
    if (IsWindowMode())
        Text = WindowPreviewText(Node);
    else if (Node && Node->GetCount() == 0)
        Text = AsGridNode(Node)->PreviewText;
    if (OnGetPreviewText) OnGetPreviewText(this, Node, Text);
}

// ---- finding nodes by key ---------------------------------------------------------------------

void TCustomgxDBGrid::BuildKeyIndex() {
    if (FKeyIndexValid) return;
    FKeyIndex.clear();
    FKeyIndex.reserve(size_t(GetCount()));
    WalkNodes([&](TgxTreeListNode* n) {
        if (n->GetCount() == 0) FKeyIndex.emplace_back(AsGridNode(n)->KeyValue, n);
    });
    // Stable: among equal keys the first leaf in tree order comes first.
    std::stable_sort(FKeyIndex.begin(), FKeyIndex.end(),
                     [](const auto& A, const auto& B) { return GridVarCompare(A.first, B.first) < 0; });
    FKeyIndexValid = true;
}

TgxTreeListNode* TCustomgxDBGrid::FindNodeByKeyValue(const Variant& Value) {
    if (IsWindowMode()) return nullptr;
    BuildKeyIndex();
    auto it = std::lower_bound(FKeyIndex.begin(), FKeyIndex.end(), Value,
                               [](const auto& Entry, const Variant& V) { return GridVarCompare(Entry.first, V) < 0; });
    if (it != FKeyIndex.end() && GridVarEquals(it->first, Value)) return it->second;
    return nullptr;
}

// ---- layout -----------------------------------------------------------------------------------

void TCustomgxDBGrid::AfterLayoutChanged() {
    TCustomgxDBTreeListControl::AfterLayoutChanged();
    FindKeyField();
    if (!FLoading && FDataLink->GetActive()) SyncFocusedNode();
}

void TCustomgxDBGrid::PrepareLayout() {
    if (FDefaultFields && FDataLink->GetActive() && !FGeneratingColumns && !IsDestroying()) {
        TgxFlagGuard generating(FGeneratingColumns);
        // One column per linked field, in field order; columns of fields no longer linked go.
        std::vector<TField*> fields;
        for (Integer i = 0; i < FDataLink->GetFieldCount(); ++i) fields.push_back(FDataLink->GetField(i));
        for (Integer i = GetColumnCount() - 1; i >= 0; --i) {
            TgxDBTreeListColumn* column = GetDBColumn(i);
            if (!column || std::find(fields.begin(), fields.end(), column->GetField()) == fields.end())
                GetColumn(i)->Free();
        }
        for (size_t i = 0; i < fields.size(); ++i) {
            if (!fields[i] || FindColumnByFieldName(fields[i]->GetFieldName())) continue;
            TgxTreeListColumn* column = TCustomgxDBTreeListControl::CreateColumn(GetColumnClassForField(fields[i]),
                                                                                 GetOwner() ? GetOwner() : this);
            static_cast<TgxDBTreeListColumn*>(column)->SetFieldName(fields[i]->GetFieldName());
        }
    }
    TCustomgxDBTreeListControl::PrepareLayout();
}

void TCustomgxDBGrid::NodeDeleted(TgxTreeListNode* Node, TgxTreeListNode* PrevSiblingOrParent,
                                  TgxTreeListNode* NextVisible, bool IsLast, bool WasVisible) {
    TCustomgxDBTreeListControl::NodeDeleted(Node, PrevSiblingOrParent, NextVisible, IsLast, WasVisible);
    FTouchedNodes.erase(std::remove(FTouchedNodes.begin(), FTouchedNodes.end(), Node), FTouchedNodes.end());
    if (Node == FPendingNode) FPendingNode = nullptr;
    if (Node == FTopNodeToRestore) FTopNodeToRestore = nullptr;
    // The selection forgets the node.
    for (size_t i = 0; i < FSelection.size(); ++i)
        if (FSelection[i].Node == Node) {
            if (IsBookmarkSelection())
                FSelection[i].Node = nullptr;
            else
                FSelection.erase(FSelection.begin() + Integer(i));
            break;
        }
    InvalidateKeyIndex();
}

void TCustomgxDBGrid::DoClearNodeData() {
    if (OnClearNodeData) OnClearNodeData(this);
}

void TCustomgxDBGrid::DoRefreshNodeData(TgxTreeListNode* Node) {
    if (OnRefreshNodeData) OnRefreshNodeData(this, Node);
}

void TCustomgxDBGrid::DoChangeNodeEx() {
    if (OnChangeNodeEx && FDataLink->GetActive() && FSelectionBracket == 0) OnChangeNodeEx(this);
}

// ---- data link notifications ------------------------------------------------------------------

bool TCustomgxDBGrid::OtherGridBusy() const {
    for (TCustomgxDBGrid* other : GridList())
        if (other != this && other->GetDataSet() == GetDataSet() && (other->FLoading || other->FLocating)) return true;
    return false;
}

void TCustomgxDBGrid::LinkActiveChanged() {
    ReloadData(FDataLink->GetActive());
}

void TCustomgxDBGrid::LinkLayoutChanged() {
    const bool window = IsWindowMode();
    if (!window) BeginGrouping();
    LayoutChanged();
    if (!window) {
        TgxFlagGuard regrouping(FRegrouping);
        EndGrouping();
    }
}
