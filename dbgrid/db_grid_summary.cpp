// The grid's summaries: group row totals, the items of summary groups (in group rows and row
// footers) and the footer totals, computed while the records load and again from the nodes.

#include "dbgrid/db_grid_summary.h"

#include <algorithm>
#include <functional>

#include "framework/exceptions.h"
#include "framework/formatting.h"
#include "framework/sysutils.h"

namespace {

bool IsDateKind(TFieldType Type) {
    return Type == ftDate || Type == ftTime || Type == ftDateTime;
}

// Adds a value to a total: the first value stands as it is; later ones add (sums and averages)
// or keep the smaller or larger one; counts are set when the summaries are finished.
void Accumulate(TgxSummaryType Type, long double Value, long double& Total, bool& Assigned) {
    if (!Assigned) {
        Total = Value;
        Assigned = true;
        return;
    }
    switch (Type) {
        case cstSum:
        case cstAvg: Total += Value; break;
        case cstMin: Total = std::min(Total, Value); break;
        case cstMax: Total = std::max(Total, Value); break;
        default: break;
    }
}

}  // namespace

std::string FormatSummary(TgxSummaryType Kind, const std::string& Format, TFieldType DateKind, bool IsFooter,
                          long double Value) {
    static const char* const GroupFormats[] = {"", "(SUM=0.00)", "(MIN=0.00)", "(MAX=0.00)", "(COUNT=0)", "(AVG=0.00)"};
    static const char* const FooterFormats[] = {"", "0.00", "MIN=0.00", "MAX=0.00", "0", "AVG=0.00"};
    static const char* const GroupPrefixes[] = {"", "(SUM=", "(MIN=", "(MAX=", "", "(AVG="};
    static const char* const FooterPrefixes[] = {"", "", "MIN=", "MAX=", "", "AVG="};
    if (Kind == cstNone) return {};
    if (Kind == cstCount || !IsDateKind(DateKind))
        return FormatFloat(Format.empty() ? std::string((IsFooter ? FooterFormats : GroupFormats)[Kind]) : Format,
                           static_cast<Extended>(Value));
    const std::string prefix = Format.empty() ? (IsFooter ? FooterPrefixes : GroupPrefixes)[Kind] : Format;
    const std::string suffix = Format.empty() && !IsFooter ? ")" : "";
    const auto date = static_cast<TDateTime>(Value);
    const std::string text = DateKind == ftDate   ? DateToStr(date)
                             : DateKind == ftTime ? TimeToStr(date)
                                                  : DateTimeToStr(date);
    return prefix + text + suffix;
}

// ---- summary items and groups -----------------------------------------------------------------

template <class T>
void TgxDBGridSummaryItem::SetValue(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Changed(false);
}

void TgxDBGridSummaryItem::SetColumnName(const std::string& Value) {
    SetValue(FColumnName, Value);
}

void TgxDBGridSummaryItem::SetSummaryType(TgxSummaryType Value) {
    SetValue(FSummaryType, Value);
}

void TgxDBGridSummaryItem::SetSummaryField(const std::string& Value) {
    SetValue(FSummaryField, Value);
}

void TgxDBGridSummaryItem::SetSummaryFormat(const std::string& Value) {
    SetValue(FSummaryFormat, Value);
}

void TgxDBGridSummaryItem::Assign(TPersistent* Source) {
    auto* item = dynamic_cast<TgxDBGridSummaryItem*>(Source);
    if (!item) {
        TCollectionItem::Assign(Source);
        return;
    }
    TCollection* collection = GetCollection();
    if (collection) collection->BeginUpdate();
    FColumnName = item->FColumnName;
    FSummaryType = item->FSummaryType;
    FSummaryField = item->FSummaryField;
    FSummaryFormat = item->FSummaryFormat;
    if (collection) {
        Changed(false);
        collection->EndUpdate();
    }
}

TgxDBGridSummaryItems::TgxDBGridSummaryItems(TgxDBGridSummaryGroup* Owner)
    : TCollection(TgxDBGridSummaryItem::StaticClass(), Owner), FGroup(Owner) {}

void TgxDBGridSummaryItems::Update(TCollectionItem*) {
    auto* groups = FGroup ? dynamic_cast<TgxDBGridSummaryGroups*>(FGroup->GetCollection()) : nullptr;
    TCustomgxDBGrid* grid = groups ? groups->GetGrid() : nullptr;
    if (grid && !grid->GetComponentState().Contains(csLoading)) grid->LayoutChanged();
}

TgxDBGridSummaryGroup::TgxDBGridSummaryGroup(TCollection* Collection)
    : TCollectionItem(Collection), FSummaryItems(new TgxDBGridSummaryItems(this)) {}

TgxDBGridSummaryGroup::~TgxDBGridSummaryGroup() {
    FSummaryItems->Free();
}

void TgxDBGridSummaryGroup::SetDefaultGroup(bool Value) {
    if (Value == FDefaultGroup) return;
    if (Value)
        if (TCollection* collection = GetCollection())
            for (int i = 0; i < collection->GetCount(); ++i)
                static_cast<TgxDBGridSummaryGroup*>(collection->GetItem(i))->FDefaultGroup = false;
    FDefaultGroup = Value;
    Changed(false);
}

void TgxDBGridSummaryGroup::SetSummaryItems(TgxDBGridSummaryItems* Value) {
    FSummaryItems->BeginUpdate();
    try {
        FSummaryItems->Clear();
        for (int i = 0; Value && i < Value->GetCount(); ++i) FSummaryItems->Add()->Assign(Value->GetItem(i));
    } catch (...) {
        FSummaryItems->EndUpdate();
        throw;
    }
    FSummaryItems->EndUpdate();
}

void TgxDBGridSummaryGroup::SetName(const std::string& Value) {
    if (Value.empty()) throw Exception("invalidate group name !");
    if (TCollection* collection = GetCollection())
        for (int i = 0; i < collection->GetCount(); ++i) {
            auto* group = static_cast<TgxDBGridSummaryGroup*>(collection->GetItem(i));
            if (group != this && group->FName == Value) throw Exception("invalidate group name duplicate!");
        }
    FName = Value;
    if (OnChangeName) OnChangeName(this);
}

void TgxDBGridSummaryGroup::Assign(TPersistent* Source) {
    auto* group = dynamic_cast<TgxDBGridSummaryGroup*>(Source);
    if (!group) {
        TCollectionItem::Assign(Source);
        return;
    }
    TCollection* collection = GetCollection();
    if (collection) collection->BeginUpdate();
    try {
        SetSummaryItems(group->FSummaryItems);
    } catch (...) {
        if (collection) collection->EndUpdate();
        throw;
    }
    if (collection) collection->EndUpdate();
}

TgxDBGridSummaryGroups::TgxDBGridSummaryGroups(TCustomgxDBGrid* Grid)
    : TCollection(TgxDBGridSummaryGroup::StaticClass(), Grid), FGrid(Grid) {}

TgxDBGridSummaryGroup* TgxDBGridSummaryGroups::GetDefaultGroup() const {
    for (int i = 0; i < GetCount(); ++i)
        if (GetItem(i)->GetDefaultGroup()) return GetItem(i);
    return nullptr;
}

void TgxDBGridSummaryGroups::Update(TCollectionItem*) {
    if (FGrid && !FGrid->GetComponentState().Contains(csLoading) && !FGrid->GetComponentState().Contains(csDestroying))
        FGrid->RefreshGrouping();
}

// ---- the column's footer ----------------------------------------------------------------------

std::string TgxDBGridColumn::GetFooterText() {
    if (SummaryFooterType == cstNone) return {};
    TFieldType dateKind = ftUnknown;
    if (TCustomgxDBGrid* grid = GetGrid())
        if (TDataSet* dataSet = grid->GetDataSet(); dataSet && dataSet->GetActive() && SummaryFooterType != cstCount)
            if (TField* field = dataSet->FindField(SummaryFooterField.empty() ? GetFieldName() : SummaryFooterField))
                dateKind = field->GetDataType();
    return FormatSummary(SummaryFooterType, SummaryFooterFormat, dateKind, true, FooterValue);
}

// ---- the grid ---------------------------------------------------------------------------------

namespace {

TgxDBGridColumn* SummaryColumn(TgxDBTreeListColumn* Column) {
    return dynamic_cast<TgxDBGridColumn*>(Column);
}

// The field an item sums: its SummaryField, else the field of the column its ColumnName names.
std::string ItemFieldName(TCustomgxDBGrid* Grid, TgxDBGridSummaryItem* Item) {
    if (!Item->GetSummaryField().empty() || Item->GetColumnName().empty()) return Item->GetSummaryField();
    for (Integer c = 0; c < Grid->GetColumnCount(); ++c)
        if (TgxDBTreeListColumn* column = Grid->GetDBColumn(c);
            column && AnsiCompareText(column->GetName(), Item->GetColumnName()) == 0)
            return column->GetFieldName();
    return {};
}

// The type of the dataset's field of that name, for the date texts of summaries.
TFieldType FieldTypeOf(TDataSet* DataSet, const std::string& Name) {
    if (!DataSet || !DataSet->GetActive() || Name.empty()) return ftUnknown;
    TField* field = DataSet->FindField(Name);
    return field ? field->GetDataType() : ftUnknown;
}

}  // namespace

TgxDBGridSummaryGroups* TCustomgxDBGrid::GetSummaryGroups() {
    if (!FSummaryGroups) FSummaryGroups = new TgxDBGridSummaryGroups(this);
    return FSummaryGroups;
}

void TCustomgxDBGrid::SetSummaryGroups(TgxDBGridSummaryGroups* Value) {
    GetSummaryGroups()->Assign(Value);
}

void TCustomgxDBGrid::SetSummarySeparator(const std::string& Value) {
    if (Value == FSummarySeparator) return;
    FSummarySeparator = Value;
    LayoutChanged();
}

TgxDBGridSummaryGroup* TCustomgxDBGrid::FindSummaryGroup(TgxDBTreeListColumn* Column) {
    TgxDBGridColumn* column = SummaryColumn(Column);
    if (!column || !FSummaryGroups) return nullptr;
    if (column->SummaryGroupName.empty() && column->GetSummaryType() == cstNone)
        return FSummaryGroups->GetDefaultGroup();
    for (int i = 0; i < FSummaryGroups->GetCount(); ++i)
        if (AnsiCompareText(FSummaryGroups->GetItem(i)->GetName(), column->SummaryGroupName) == 0)
            return FSummaryGroups->GetItem(i);
    return nullptr;
}

void TCustomgxDBGrid::UpdateGroupFields() {
    TDataSet* dataSet = GetDataSet();
    auto findField = [&](const std::string& Name) -> TField* {
        return dataSet && !Name.empty() ? dataSet->FindField(Name) : nullptr;
    };
    for (TgxDBTreeListColumn* group : FGroupColumns)
        if (TgxDBGridColumn* column = SummaryColumn(group)) column->SummaryFieldObj = findField(column->SummaryField);
    if (FSummaryGroups && FSummaryGroups->GetCount() > 0) {
        WalkNodes([](TgxTreeListNode* Node) { static_cast<TgxDBGridNode*>(Node)->ItemSummaries.clear(); });
        for (int g = 0; g < FSummaryGroups->GetCount(); ++g) {
            TgxDBGridSummaryItems* items = FSummaryGroups->GetItem(g)->GetSummaryItems();
            for (int i = 0; i < items->GetCount(); ++i) {
                TgxDBGridSummaryItem* item = items->GetItem(i);
                item->FieldObj = findField(ItemFieldName(this, item));
                item->FieldType = item->FieldObj ? item->FieldObj->GetDataType() : ftUnknown;
            }
        }
    }
    FRowFooterItemsValid = false;
    FRecordCount = 0;
}

void TCustomgxDBGrid::ResetFooterTotals() {
    TDataSet* dataSet = GetDataSet();
    for (Integer i = 0; i < GetColumnCount(); ++i)
        if (TgxDBGridColumn* column = SummaryColumn(GetDBColumn(i))) {
            const std::string& name =
                column->SummaryFooterField.empty() ? column->GetFieldName() : column->SummaryFooterField;
            column->FooterFieldObj = dataSet && !name.empty() ? dataSet->FindField(name) : nullptr;
            column->FooterValue = 0;
            column->FooterValueAssigned = false;
        }
    FRecordCount = 0;
}

void TCustomgxDBGrid::BuildSummaryColumns() {
    FFooterSummaryColumns.clear();
    for (Integer i = 0; i < GetColumnCount(); ++i) {
        TgxDBGridColumn* column = SummaryColumn(GetDBColumn(i));
        const std::string name = !column                              ? std::string()
                                 : column->SummaryFooterField.empty() ? column->GetFieldName()
                                                                      : column->SummaryFooterField;
        FFooterSummaryColumns.push_back(name.empty() ? nullptr : FindColumnByFieldName(name));
    }
    FGroupSummaryColumns.clear();
    for (TgxDBTreeListColumn* group : FGroupColumns) {
        TgxDBGridColumn* column = SummaryColumn(group);
        FGroupSummaryColumns.push_back(
            column && !column->SummaryField.empty() ? FindColumnByFieldName(column->SummaryField) : nullptr);
    }
}

long double TCustomgxDBGrid::NodeNumber(TgxTreeListNode* Node, TgxDBTreeListColumn* Column) {
    if (!Node || !Column) return 0;
    const Variant value = GetLeafGroupValue(AsGridNode(Node), Column);
    const TVarType type = value.VarType();
    if ((type >= varSmallint && type <= varDate) || (type >= varShortInt && type <= varInt64)) {
        try {
            return value.AsDouble();
        } catch (const Exception&) {
            return 0;
        }
    }
    return 0;
}

void TCustomgxDBGrid::AddFooterRecord(TgxTreeListNode* Node, const std::vector<TgxDBTreeListColumn*>* Columns) {
    TDataSet* dataSet = GetDataSet();
    for (Integer i = 0; i < GetColumnCount(); ++i) {
        TgxDBGridColumn* column = SummaryColumn(GetDBColumn(i));
        if (!column || column->SummaryFooterType == cstNone) continue;
        long double value = 0;
        if (column->SummaryFooterType != cstCount) {
            if (Node) {
                TgxDBTreeListColumn* source = Columns && size_t(i) < Columns->size()
                                                  ? (*Columns)[size_t(i)]
                                                  : FindColumnByFieldName(column->SummaryFooterField);
                value = NodeNumber(Node, source);
            } else if (column->FooterFieldObj) {
                value = column->FooterFieldObj->GetAsFloat();
            }
        }
        if (column->OnSummaryFooter) column->OnSummaryFooter(column, dataSet, value);
        Accumulate(column->SummaryFooterType, value, column->FooterValue, column->FooterValueAssigned);
    }
}

void TCustomgxDBGrid::AddGroupRecord(TgxTreeListNode* Group, TgxTreeListNode* Node,
                                     const std::vector<TgxDBTreeListColumn*>* Columns) {
    TDataSet* dataSet = GetDataSet();
    for (TgxTreeListNode* g = Group; g; g = g->GetParent()) {
        const Integer level = g->GetLevel();
        if (level >= GetGroupColumnCount()) continue;
        TgxDBTreeListColumn* grouping = FGroupColumns[size_t(level)];
        TgxDBGridColumn* column = SummaryColumn(grouping);
        TgxDBGridNode* group = AsGridNode(g);
        const TgxSummaryType type = column ? column->GetSummaryType() : cstNone;
        if (type != cstNone || OnGroupNodeSummary) {
            long double value = 0;
            if (column && type != cstCount && type != cstNone) {
                if (Node) {
                    TgxDBTreeListColumn* source = Columns && size_t(level) < Columns->size()
                                                      ? (*Columns)[size_t(level)]
                                                      : FindColumnByFieldName(column->SummaryField);
                    value = NodeNumber(Node, source);
                } else if (column->SummaryFieldObj) {
                    value = column->SummaryFieldObj->GetAsFloat();
                }
            }
            if (column && column->OnSummary) column->OnSummary(column, dataSet, value);
            if (OnGroupNodeSummary) OnGroupNodeSummary(this, g, dataSet, value);
            Accumulate(type, value, group->GroupSummary, group->GroupSummaryAssigned);
        }
        TgxDBGridSummaryGroup* summaryGroup = FindSummaryGroup(grouping);
        const int count = summaryGroup ? summaryGroup->GetSummaryItems()->GetCount() : 0;
        if (count == 0) continue;
        if (group->ItemSummaries.size() != size_t(count)) group->ItemSummaries.assign(size_t(count), {});
        for (int i = 0; i < count; ++i) {
            TgxDBGridSummaryItem* item = summaryGroup->GetSummaryItems()->GetItem(i);
            long double value = 0;
            if (item->GetSummaryType() != cstNone && item->GetSummaryType() != cstCount) {
                if (Node) {
                    const std::string name = ItemFieldName(this, item);
                    value = NodeNumber(Node, name.empty() ? nullptr : FindColumnByFieldName(name));
                } else if (item->FieldObj) {
                    value = item->FieldObj->GetAsFloat();
                }
            }
            if (item->OnSummary) item->OnSummary(grouping, dataSet, value);
            auto& entry = group->ItemSummaries[size_t(i)];
            Accumulate(item->GetSummaryType(), value, entry.Value, entry.Assigned);
        }
    }
}

void TCustomgxDBGrid::FinishSummaries(bool NoDivide) {
    struct TLevel {
        TgxSummaryType Type;
        TgxDBGridSummaryItems* Items;
    };
    std::vector<TLevel> levels;
    for (TgxDBTreeListColumn* grouping : FGroupColumns) {
        TgxDBGridColumn* column = SummaryColumn(grouping);
        TgxDBGridSummaryGroup* summaryGroup = FindSummaryGroup(grouping);
        levels.push_back({column ? column->GetSummaryType() : cstNone,
                          summaryGroup ? summaryGroup->GetSummaryItems() : nullptr});
    }
    auto finish = [&](TgxDBGridNode* Group, const TLevel& Level, Integer Leaves) {
        if (Level.Type == cstCount) {
            Group->GroupSummary = Leaves;
            Group->GroupSummaryAssigned = true;
        } else if (Level.Type == cstAvg) {
            Group->GroupSummary /= Leaves;
        }
        TgxDBGridSummaryItems* items = Level.Items;
        for (int i = 0; items && i < items->GetCount() && size_t(i) < Group->ItemSummaries.size(); ++i) {
            auto& entry = Group->ItemSummaries[size_t(i)];
            if (items->GetItem(i)->GetSummaryType() == cstCount) {
                entry.Value = Leaves;
                entry.Assigned = true;
            } else if (items->GetItem(i)->GetSummaryType() == cstAvg) {
                entry.Value /= Leaves;
            }
        }
    };
    // The leaf counts bottom-up in one walk, each leaf met once.
    std::function<Integer(TgxTreeListNode*, size_t)> countLeaves = [&](TgxTreeListNode* Node, size_t Level) {
        if (Node->GetCount() == 0) return Integer(1);
        Integer leaves = 0;
        for (TgxTreeListNode* child : Node->GetChildren()) leaves += countLeaves(child, Level + 1);
        if (Level < levels.size()) finish(AsGridNode(Node), levels[Level], leaves);
        return leaves;
    };
    if (!levels.empty())
        for (Integer i = 0; i < GetCount(); ++i) countLeaves(GetItem(i), 0);
    for (Integer i = 0; i < GetColumnCount(); ++i) {
        TgxDBGridColumn* column = SummaryColumn(GetDBColumn(i));
        if (!column) continue;
        if (column->SummaryFooterType == cstCount) {
            column->FooterValue = FRecordCount;
            column->FooterValueAssigned = true;
        } else if (column->SummaryFooterType == cstAvg && FRecordCount > 0 && !NoDivide) {
            column->FooterValue /= FRecordCount;
        }
    }
    if (OnAfterCalcSummary) OnAfterCalcSummary(this);
}

void TCustomgxDBGrid::DoBeforeCalcSummary() {
    if (OnBeforeCalcSummary) OnBeforeCalcSummary(this);
}

void TCustomgxDBGrid::RecalcSummaries(bool KeepFooter) {
    UpdateGroupFields();
    // Flat rows without a footer summary have nothing to add up: the walks are skipped, so that a
    // dataset move the grid follows costs no visit of every row.
    bool footers = false;
    for (Integer i = 0; i < GetColumnCount() && !footers; ++i)
        if (TgxDBGridColumn* column = SummaryColumn(GetDBColumn(i))) footers = column->SummaryFooterType != cstNone;
    if (FGroupColumns.empty() && (KeepFooter || !footers) && (GetCount() == 0 || GetItem(0)->GetCount() == 0)) {
        if (!KeepFooter) ResetFooterTotals();
        DoBeforeCalcSummary();
        FRecordCount = GetCount();
        FinishSummaries(KeepFooter);
        return;
    }
    WalkNodes([](TgxTreeListNode* Node) {
        auto* node = static_cast<TgxDBGridNode*>(Node);
        node->ItemSummaries.clear();
        node->GroupSummary = 0;
        node->GroupSummaryAssigned = false;
    });
    if (!KeepFooter) ResetFooterTotals();
    DoBeforeCalcSummary();
    BuildSummaryColumns();
    Integer records = 0;
    WalkNodes([&](TgxTreeListNode* Node) {
        if (Node->GetCount() > 0) return;
        if (Node->GetParent()) AddGroupRecord(Node->GetParent(), Node, &FGroupSummaryColumns);
        if (!KeepFooter) AddFooterRecord(Node, &FFooterSummaryColumns);
        ++records;
    });
    FRecordCount = records;
    FinishSummaries(KeepFooter);
    ApplySummarySort();
}

bool TCustomgxDBGrid::SortsBySummary(Integer Level) {
    if (Level < 0 || Level >= GetGroupColumnCount()) return false;
    TgxDBGridColumn* column = SummaryColumn(FGroupColumns[size_t(Level)]);
    return column && column->GetSortBySummary();
}

void TCustomgxDBGrid::ApplySummarySort() {
    for (Integer level = 0; level < GetGroupColumnCount(); ++level) {
        TgxDBTreeListColumn* column = FGroupColumns[size_t(level)];
        if (SortsBySummary(level) && column->GetSorted() != csNone)
            SortNodes(level, column->GetIndex(), column->GetSorted() == csDown);
    }
}

long double TCustomgxDBGrid::GetNodeSummaryValue(TgxTreeListNode* Node) {
    return Node ? static_cast<double>(AsGridNode(Node)->GroupSummary) : 0;
}

std::string TCustomgxDBGrid::GetGroupSummaryText(TgxTreeListNode* Node, TgxDBTreeListColumn* Column) {
    std::string text;
    TgxDBGridColumn* column = SummaryColumn(Column);
    if (!Node || !column) return text;
    TDataSet* dataSet = GetDataSet();
    if (column->GetSummaryType() != cstNone) {
        const TFieldType dateKind =
            column->GetSummaryType() == cstCount ? ftUnknown : FieldTypeOf(dataSet, column->SummaryField);
        text =
            FormatSummary(column->GetSummaryType(), column->SummaryFormat, dateKind, false, GetNodeSummaryValue(Node)) +
            " ";
    }
    TgxDBGridSummaryGroup* group = FindSummaryGroup(Column);
    const int count = group ? group->GetSummaryItems()->GetCount() : 0;
    if (count == 0) return text;
    const auto& entries = AsGridNode(Node)->ItemSummaries;
    text += group->BeginSummaryText;
    for (int i = 0; i < count; ++i) {
        TgxDBGridSummaryItem* item = group->GetSummaryItems()->GetItem(i);
        if (!item->GetColumnName().empty() || entries.empty()) continue;
        const TFieldType dateKind = item->GetSummaryType() == cstCount ? ftUnknown : item->FieldType;
        text += FormatSummary(item->GetSummaryType(), item->GetSummaryFormat(), dateKind, false,
                              size_t(i) < entries.size() ? entries[size_t(i)].Value : 0);
        if (i < count - 1) text += FSummarySeparator;
    }
    text += group->EndSummaryText;
    return text;
}

void TCustomgxDBGrid::ColumnRenamed(const std::string& OldName, const std::string& NewName) {
    if (!FSummaryGroups) return;
    for (int g = 0; g < FSummaryGroups->GetCount(); ++g) {
        TgxDBGridSummaryItems* items = FSummaryGroups->GetItem(g)->GetSummaryItems();
        for (int i = 0; i < items->GetCount(); ++i)
            if (AnsiCompareText(items->GetItem(i)->GetColumnName(), OldName) == 0)
                items->GetItem(i)->SetColumnName(NewName);
    }
}

// ---- footers ----------------------------------------------------------------------------------

const std::vector<Integer>* TCustomgxDBGrid::RowFooterItems(Integer Level) {
    if (Level < 0 || Level >= GetGroupColumnCount()) return nullptr;
    if (!FRowFooterItemsValid || FRowFooterItems.size() != FGroupColumns.size()) {
        FRowFooterItems.assign(FGroupColumns.size(), std::vector<Integer>(size_t(GetColumnCount()), -1));
        for (size_t level = 0; level < FGroupColumns.size(); ++level) {
            TgxDBGridSummaryGroup* group = FindSummaryGroup(FGroupColumns[level]);
            if (!group) continue;
            TgxDBGridSummaryItems* items = group->GetSummaryItems();
            for (Integer c = 0; c < GetColumnCount(); ++c) {
                const std::string& name = GetColumn(c)->GetName();
                for (int i = 0; i < items->GetCount(); ++i) {
                    const std::string& itemColumn = items->GetItem(i)->GetColumnName();
                    if (itemColumn.empty() || AnsiCompareText(itemColumn, name) != 0) continue;
                    if (items->GetItem(i)->GetSummaryType() != cstNone) FRowFooterItems[level][size_t(c)] = i;
                    break;
                }
            }
        }
        FRowFooterItemsValid = true;
    }
    return &FRowFooterItems[size_t(Level)];
}

void TCustomgxDBGrid::ClearCache() {
    TCustomgxDBTreeListControl::ClearCache();
    FRowFooterItems.clear();
    FRowFooterItemsValid = false;
}

void TCustomgxDBGrid::GetRowFooterCellText(TgxTreeListNode* Node, Integer Column, Integer FooterIndex,
                                           std::string& Text) {
    Text.clear();
    if (FooterIndex < 0) {
        if (TgxDBGridColumn* column =
                SummaryColumn(Column >= 0 && Column < GetColumnCount() ? GetDBColumn(Column) : nullptr))
            Text = column->GetFooterText();
        return;
    }
    if (!Node) return;
    const Integer level = GetRowFooterLevel(Node, FooterIndex);
    const std::vector<Integer>* items = RowFooterItems(level);
    if (!items || Column < 0 || size_t(Column) >= items->size() || (*items)[size_t(Column)] < 0) return;
    TgxTreeListNode* ancestor = Node;
    while (ancestor && ancestor->GetLevel() > level) ancestor = ancestor->GetParent();
    if (!ancestor) return;
    const Integer index = (*items)[size_t(Column)];
    const auto& entries = AsGridNode(ancestor)->ItemSummaries;
    if (size_t(index) >= entries.size()) return;
    TgxDBGridSummaryGroup* group = FindSummaryGroup(FGroupColumns[size_t(level)]);
    if (!group || index >= group->GetSummaryItems()->GetCount()) return;
    TgxDBGridSummaryItem* item = group->GetSummaryItems()->GetItem(index);
    const TFieldType dateKind = item->GetSummaryType() == cstCount ? ftUnknown : item->FieldType;
    Text =
        FormatSummary(item->GetSummaryType(), item->GetSummaryFormat(), dateKind, true, entries[size_t(index)].Value);
}

bool TCustomgxDBGrid::IsExistFooterCell(Integer Column) {
    if (TCustomgxDBTreeListControl::IsExistFooterCell(Column)) return true;
    TgxDBGridColumn* column = SummaryColumn(Column >= 0 && Column < GetColumnCount() ? GetDBColumn(Column) : nullptr);
    return column && column->SummaryFooterType != cstNone;
}

bool TCustomgxDBGrid::IsExistRowFooterCell(TgxTreeListNode* Node, Integer Column, Integer FooterIndex) {
    const std::vector<Integer>* items = RowFooterItems(GetRowFooterLevel(Node, FooterIndex));
    return items && Column >= 0 && size_t(Column) < items->size() && (*items)[size_t(Column)] >= 0;
}

bool TCustomgxDBGrid::IsLevelFooter(Integer Level) {
    if (Level < 0 || Level >= GetGroupColumnCount()) return false;
    TgxDBGridSummaryGroup* group = FindSummaryGroup(FGroupColumns[size_t(Level)]);
    if (!group) return false;
    for (int i = 0; i < group->GetSummaryItems()->GetCount(); ++i)
        if (!group->GetSummaryItems()->GetItem(i)->GetColumnName().empty()) return true;
    return false;
}
