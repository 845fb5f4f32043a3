// The grouping list: which columns group the records, in which order, and the bracket that
// reloads the nodes when the grouping fields changed and regroups them otherwise.

#include "dbgrid/db_grid.h"

#include <algorithm>
#include <map>

#include "framework/sysutils.h"

TgxDBTreeListColumn* TCustomgxDBGrid::GetGroupColumn(Integer Index) const {
    return Index >= 0 && Index < GetGroupColumnCount() ? FGroupColumns[size_t(Index)] : nullptr;
}

void TCustomgxDBGrid::BeginGrouping() {
    if (FGroupingLock == 0) {
        FSavedGroupFields.clear();
        for (TgxDBTreeListColumn* column : FGroupColumns) FSavedGroupFields.push_back(column->GetFieldName());
        FSavedMode = IsWindowMode() ? 1 : 2;
    }
    ++FGroupingLock;
}

void TCustomgxDBGrid::EndGrouping() {
    if (FGroupingLock > 0) --FGroupingLock;
    if (FGroupingLock != 0) return;
    if (FSavedMode == 1) FGroupsChanged = false;
    bool same = FSavedGroupFields.size() == FGroupColumns.size();
    for (size_t i = 0; same && i < FGroupColumns.size(); ++i)
        same = AnsiCompareText(FSavedGroupFields[i], FGroupColumns[i]->GetFieldName()) == 0;
    FSavedMode = 0;
    FSavedGroupFields.clear();
    if (same)
        RefreshNodes();
    else
        ReloadNodes();
}

void TCustomgxDBGrid::ChangeGroupIndex(TgxDBTreeListColumn* Column, Integer NewIndex) {
    if (!Column || (NewIndex == Column->GetGroupIndex() && !FApplyingGroupIndexes)) return;
    InUpdateBracket([&] {
        BeginGrouping();
        try {
            if (Column->GetGroupIndex() >= 0 && !FApplyingGroupIndexes) RemoveGroupColumn(Column->GetGroupIndex());
            if (NewIndex != -1) AddGroupColumn(NewIndex, Column);
        } catch (...) {
            EndGrouping();
            throw;
        }
        EndGrouping();
    });
}

bool TCustomgxDBGrid::AddGroupColumn(Integer Index, TgxDBTreeListColumn* Column) {
    if (!CanAddGroupColumn(Column)) return false;
    Index = std::clamp(Index, 0, GetGroupColumnCount());
    if (!IsWindowMode() && !IsPartialLoadMode()) FGroupsChanged = true;
    FGroupColumns.insert(FGroupColumns.begin() + Index, Column);
    for (size_t i = 0; i < FGroupColumns.size(); ++i) FGroupColumns[i]->FGroupIndex = Integer(i);
    InUpdateBracket([&] {
        if (Column->GetSorted() == csNone) {
            TgxFlagGuard adding(FAddingGroupColumn);
            Column->SetSorted(csUp);
        }
        if (!FOptionsEx.Contains(egoNotHideColumn)) Column->SetVisible(false);
        if (FGroupingLock == 0) ReloadNodes();
    });
    return true;
}

void TCustomgxDBGrid::RemoveGroupColumn(Integer Index) {
    if (Index < 0 || Index >= GetGroupColumnCount()) return;
    InUpdateBracket([&] {
        TgxDBTreeListColumn* column = FGroupColumns[size_t(Index)];
        column->SetVisible(true);
        column->SetSorted(csNone);
        column->FGroupIndex = -1;
        FGroupColumns.erase(FGroupColumns.begin() + Index);
        for (size_t i = 0; i < FGroupColumns.size(); ++i) FGroupColumns[i]->FGroupIndex = Integer(i);
        FGroupsChanged = true;
        if (FGroupingLock == 0) ReloadNodes();
    });
}

bool TCustomgxDBGrid::CanAddGroupColumn(TgxDBTreeListColumn* Column) {
    if (FDefaultFields) return false;
    if (!FApplyingGroupIndexes) {
        if (!Column || Column->GetDisableGrouping() || dynamic_cast<TBlobField*>(Column->GetField())) return false;
        if (Column->GetVisible() && GetVisibleColumnCount() <= 1) {
            Integer visible = 0;
            for (Integer i = 0; i < GetColumnCount(); ++i)
                if (GetColumn(i)->GetVisible()) ++visible;
            if (visible <= 1) return false;
        }
        if (std::find(FGroupColumns.begin(), FGroupColumns.end(), Column) != FGroupColumns.end()) return false;
        for (TgxDBTreeListColumn* group : FGroupColumns)
            if (AnsiCompareText(group->GetFieldName(), Column->GetFieldName()) == 0) return false;
    }
    bool allow = true;
    if (OnAddGroupColumn) OnAddGroupColumn(this, Column, allow);
    return allow;
}

void TCustomgxDBGrid::ClearGrouping() {
    InUpdateBracket([&] {
        BeginGrouping();
        try {
            while (!FGroupColumns.empty()) RemoveGroupColumn(0);
        } catch (...) {
            EndGrouping();
            throw;
        }
        EndGrouping();
    });
}

void TCustomgxDBGrid::UpdateColumnField(TgxDBTreeListColumn* Column) {
    if (FUpdatingColumnField || IsLoading()) return;
    TgxFlagGuard updating(FUpdatingColumnField);
    if (Column) {
        TDataSet* dataSet = GetDataSet();
        if (Column->GetFieldName().empty() || dynamic_cast<TBlobField*>(Column->GetField()) || !dataSet ||
            !dataSet->FindField(Column->GetFieldName())) {
            if (Column->GetGroupIndex() >= 0) ChangeGroupIndex(Column, -1);
            return;
        }
    }
    if (!FDataLink->GetActive()) return;
    BeginGrouping();
    EndGrouping();
}

void TCustomgxDBGrid::RefreshGrouping() {
    if (IsWindowMode()) {
        LayoutChanged();
        return;
    }
    FRegrouping = true;
    ApplyGroupIndexes();
}

void TCustomgxDBGrid::ApplyGroupIndexes() {
    TgxFlagGuard applying(FApplyingGroupIndexes);
    // Key order is GroupIndex order; a second column of one index stays out.
    std::map<Integer, TgxDBTreeListColumn*> ordered;
    for (Integer i = 0; i < GetColumnCount(); ++i) {
        TgxDBTreeListColumn* column = GetDBColumn(i);
        if (!column || column->FGroupIndex == -1) continue;
        if (!ordered.emplace(column->FGroupIndex, column).second) column->FGroupIndex = -1;
    }
    if (ordered.empty()) {
        if (!IsWindowMode()) ReloadNodes();
        return;
    }
    BeginGrouping();
    try {
        FGroupColumns.clear();
        for (auto& [index, column] : ordered) ChangeGroupIndex(column, index);
        // Columns the grouping refused keep no stale index.
        for (auto& [index, column] : ordered)
            if (std::find(FGroupColumns.begin(), FGroupColumns.end(), column) == FGroupColumns.end())
                column->FGroupIndex = -1;
        FGroupsChanged = false;
    } catch (...) {
        EndGrouping();
        throw;
    }
    EndGrouping();
}

// ---- sorting ----------------------------------------------------------------------------------

TgxDBTreeListColumn* TCustomgxDBGrid::GetSortedDBColumn() {
    if (IsMultiSort() && GetSortedColumnCount() > 0) return dynamic_cast<TgxDBTreeListColumn*>(GetSortedColumn(0));
    for (Integer i = 0; i < GetColumnCount(); ++i) {
        TgxDBTreeListColumn* column = GetDBColumn(i);
        if (column && column->GetSorted() != csNone && column->GetGroupIndex() < 0) return column;
    }
    return nullptr;
}

void TCustomgxDBGrid::Resort() {
    SortingChanged();
}

void TCustomgxDBGrid::SortingChanged() {
    InUpdateBracket([&] {
        // The leaves by the sorted column; the group levels stand in their own order already.
        TgxDBTreeListColumn* column = GetSortedDBColumn();
        if (column && column->GetSorted() != csNone)
            SortNodes(GetGroupColumnCount(), column->GetIndex(), column->GetSorted() == csDown);
    });
}

void TCustomgxDBGrid::SortNodes(Integer Level, Integer Column, bool Descending) {
    TCustomgxDBTreeListControl::SortNodes(Level, Column, Descending);
    UpdateGroupKeys();
    InvalidateKeyIndex();
}

void TCustomgxDBGrid::ClearSorting() {
    TCustomgxDBTreeListControl::ClearSorting();
    for (Integer i = 0; i < GetColumnCount(); ++i) {
        TgxDBTreeListColumn* column = GetDBColumn(i);
        if (column && column->GetGroupIndex() < 0 && column->GetSorted() != csNone) column->SetSorted(csNone);
    }
}

bool TCustomgxDBGrid::CanColumnSorting(TgxTreeListColumn* Column) {
    bool allow = true;
    if (OnColumnSorting) OnColumnSorting(this, dynamic_cast<TgxDBTreeListColumn*>(Column), allow);
    return allow && TCustomgxDBTreeListControl::CanColumnSorting(Column);
}

void TCustomgxDBGrid::PrepareColumnSort(TgxTreeListColumn* Column) {
    auto* column = dynamic_cast<TgxDBTreeListColumn*>(Column);
    if (IsAutoSort() && column && column->GetGroupIndex() < 0 && !IsSortUpdating() && !IsMultiSortClick())
        ClearSorting();
}

void TCustomgxDBGrid::ColumnSortChanged(TgxTreeListColumn* Column) {
    auto* column = dynamic_cast<TgxDBTreeListColumn*>(Column);
    if (!column || FLoading || column->GetSorted() == csNone) return;
    if (column->GetGroupIndex() < 0)
        for (TgxDBTreeListColumn* group : FGroupColumns)
            if (group->GetField() && group->GetField() == column->GetField()) return;
    TCustomgxDBTreeListControl::ColumnSortChanged(Column);
    // A column that starts grouping takes its sort for the regroup, which builds its level in order.
    if (IsAutoSort() && !IsSortUpdating() && !FAddingGroupColumn)
        InUpdateBracket([&] {
            const Integer level = column->GetGroupIndex() >= 0 ? column->GetGroupIndex() : GetGroupColumnCount();
            SortNodes(level, column->GetIndex(), column->GetSorted() == csDown);
        });
}
