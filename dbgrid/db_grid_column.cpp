// Data-aware columns: the field binding by name, the defaults taken from the field, the text and
// sort kind of a cell, and the grid's column creation and column classes.

#include "dbgrid/db_grid.h"

#include <algorithm>

#include "framework/exceptions.h"
#include "framework/formatting.h"
#include "framework/graphics.h"
#include "framework/sysutils.h"
#include "treelist/inplace_edit.h"

namespace {

bool Registered() {
    static const bool done = [] {
        RegisterClasses({TgxDBTreeListColumn::StaticClass(), TgxDBGridColumn::StaticClass()});
        return true;
    }();
    return done;
}

// Creating or freeing columns of a grid that makes its own columns from the fields.
[[noreturn]] void RaiseDefaultFields() {
    throw Exception("");
}

}  // namespace

TgxDBTreeListColumn::TgxDBTreeListColumn(TComponent* AOwner) : TgxTreeListColumn(AOwner) {
    Registered();
}

TCustomgxDBGrid* TgxDBTreeListColumn::GetGrid() const {
    return dynamic_cast<TCustomgxDBGrid*>(GetTreeList());
}

void TgxDBTreeListColumn::BeforeDestruction() {
    TCustomgxDBGrid* grid = GetGrid();
    if (grid && !grid->IsDestroying()) {
        if (FGroupIndex >= 0) grid->ChangeGroupIndex(this, -1);
        grid->ColumnRenamed(GetName(), "");
    }
    TgxTreeListColumn::BeforeDestruction();
}

void TgxDBTreeListColumn::BindField() {
    FField = nullptr;
    TCustomgxDBGrid* grid = GetGrid();
    TDataSet* dataSet = grid ? grid->GetDataSet() : nullptr;
    if (!dataSet || grid->FLoading || FFieldName.empty()) return;
    if (dataSet->GetActive() || !dataSet->GetDefaultFields()) FField = dataSet->FindField(FFieldName);
}

void TgxDBTreeListColumn::SetFieldName(const std::string& Value) {
    const std::string old = FFieldName;
    TCustomgxDBGrid* grid = GetGrid();
    TDataSet* dataSet = grid ? grid->GetDataSet() : nullptr;
    if (FGroupIndex >= 0 && grid && grid->GetGridDataLink()->GetActive() && dataSet && !grid->FLoading &&
        !dataSet->FindField(Value))
        grid->ChangeGroupIndex(this, -1);
    FFieldName = Value;
    BindField();
    if (grid && !grid->IsUpdating()) Changed(false);
    if (grid && !grid->FLoading && Value != old) grid->UpdateColumnField(this);
}

void TgxDBTreeListColumn::SetDisableGrouping(bool Value) {
    if (Value == FDisableGrouping) return;
    FDisableGrouping = Value;
    if (Value && FGroupIndex >= 0)
        SetGroupIndex(-1);
    else
        Changed(false);
}

void TgxDBTreeListColumn::SetGroupIndex(Integer Value) {
    if (Value < -1) return;
    TCustomgxDBGrid* grid = GetGrid();
    if (GetComponentState().Contains(csLoading) || !grid) {
        FGroupIndex = Value;
        return;
    }
    grid->ChangeGroupIndex(this, Value);
}

void TgxDBTreeListColumn::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TgxDBTreeListColumn*>(Source);
    if (!source) {
        TgxTreeListColumn::Assign(Source);
        return;
    }
    auto assign = [&] {
        TgxTreeListColumn::Assign(Source);
        SetDisableGrouping(source->FDisableGrouping);
        SetFieldName(source->FFieldName);
    };
    if (TCustomgxDBGrid* grid = GetGrid())
        grid->InUpdateBracket(assign);
    else
        assign();
}

TAlignment TgxDBTreeListColumn::GetDefaultAlignment() {
    return FField ? FField->GetAlignment() : taLeftJustify;
}

void TgxDBTreeListColumn::GetDefaultCaption(std::string& Text) {
    Text = FField ? FField->GetDisplayName() : FFieldName;
}

bool TgxDBTreeListColumn::GetDefaultReadOnly() {
    return FField && FField->GetReadOnly();
}

Integer TgxDBTreeListColumn::GetDefaultWidth() {
    TCustomgxDBGrid* grid = GetGrid();
    if (!grid) return 64;
    Integer width = 64;
    TCanvas* canvas = grid->GetCanvas();
    TFont saved;
    saved.Assign(canvas->GetFont());
    const std::string caption = GetCaption();
    if (!caption.empty()) {
        canvas->GetFont()->Assign(grid->GetHeaderFont());
        width = canvas->TextWidth(caption) + 6;
    }
    if (FField) {
        canvas->GetFont()->Assign(IsFontStored() ? GetFont() : grid->GetFont());
        const Integer fieldWidth = canvas->TextWidth("0") * FField->GetDisplayWidth() + 4;
        if (fieldWidth > width) width = fieldWidth;
    }
    canvas->GetFont()->Assign(&saved);
    return width;
}

void TgxDBTreeListColumn::RestoreDefaults() {
    TgxTreeListColumn::RestoreDefaults();
    FDisableGrouping = false;
}

void TgxDBTreeListColumn::GetFieldDisplayText(std::string& Text) {
    Text = FField ? FField->GetDisplayText() : "";
}

TVarType TgxDBTreeListColumn::GetSortKind() {
    if (!FField) return varUnknown;
    switch (FField->GetDataType()) {
        case ftSmallint: return varSmallint;
        case ftInteger:
        case ftWord:
        case ftAutoInc: return varInteger;
        case ftFloat: return varDouble;
        case ftCurrency:
        case ftBCD: return varCurrency;
        case ftDate:
        case ftTime:
        case ftDateTime: return varDate;
        default: return varString;
    }
}

void TgxDBTreeListColumn::SetFieldEditText(TField* Field, const std::string& Text) {
    const TFieldType type = Field->GetDataType();
    if (type != ftDate && type != ftTime && type != ftDateTime) {
        Field->SetText(Text);
    } else if (Text.empty()) {
        Field->Clear();
    } else if (type == ftTime) {
        Field->SetAsDateTime(StrToTime(Text));
    } else {
        Field->SetAsDateTime(DateTextToDateTime(Text));
    }
}

void TgxDBGridColumn::SetSummaryType(TgxSummaryType Value) {
    if (Value == FSummaryType) return;
    FSummaryType = Value;
    if (Value == cstNone) FSortBySummary = false;
    Changed(false);
}

// ---- the grid's columns -----------------------------------------------------------------------

TgxTreeListColumn* TCustomgxDBGrid::CreateColumn(TClass ColumnClass, TComponent* AOwner) {
    if (FDefaultFields) RaiseDefaultFields();
    return TCustomgxDBTreeListControl::CreateColumn(ColumnClass, AOwner);
}

TgxTreeListColumn* TCustomgxDBGrid::CreateColumnByClass(TClass ColumnClass) {
    auto* column = static_cast<TgxTreeListColumn*>(CreateFromClass(ColumnClass, this));
    column->SetTreeList(this);
    return column;
}

void TCustomgxDBGrid::CreateDefaultColumns(TDataSet* DataSet, TComponent* AOwner) {
    if (!DataSet) return;
    for (Integer i = 0; i < DataSet->GetFieldCount(); ++i) {
        TField* field = DataSet->GetFields()->GetField(i);
        auto* column =
            static_cast<TgxDBTreeListColumn*>(CreateColumn(GetColumnClassForField(field), AOwner ? AOwner : this));
        column->SetFieldName(field->GetFieldName());
        column->SetVisible(field->GetVisible());
    }
}

TClass TCustomgxDBGrid::GetDefaultColumnClass() {
    return TgxDBGridColumn::StaticClass();
}

namespace {

struct TColumnClassTable {
    TgxDBGridColumnClassEntry Types[GridColumnClassTypes];
    TgxDBGridColumnClassEntry Lookup;
    TColumnClassTable() { Reset(); }
    void Reset() {
        for (TgxDBGridColumnClassEntry& entry : Types) entry = {TgxDBGridColumn::StaticClass(), 0};
        Types[ftUnknown] = {};
        Lookup = {TgxDBGridColumn::StaticClass(), 0};
    }
};

TColumnClassTable& ColumnClasses() {
    static TColumnClassTable table;
    return table;
}

void Propose(const TgxDBGridColumnClassProposal& Callback, TFieldType Type, TFieldKind Kind,
             TgxDBGridColumnClassEntry& Entry) {
    TgxDBGridColumnClassEntry proposal = Entry;
    Callback(Type, Kind, proposal);
    if (proposal.Priority > Entry.Priority) Entry = proposal;
}

}  // namespace

void RegisterDefaultColumnClasses(const TgxDBGridColumnClassProposal& Callback) {
    if (!Callback) return;
    TColumnClassTable& table = ColumnClasses();
    for (int type = 0; type < GridColumnClassTypes; ++type)
        Propose(Callback, TFieldType(type), fkData, table.Types[type]);
    Propose(Callback, ftUnknown, fkLookup, table.Lookup);
}

void ResetDefaultColumnClasses() {
    ColumnClasses().Reset();
}

TClass TCustomgxDBGrid::GetColumnClassForField(TField* Field) {
    const TColumnClassTable& table = ColumnClasses();
    TClass result = nullptr;
    if (Field && Field->GetFieldKind() == fkLookup)
        result = table.Lookup.ColumnClass;
    else if (Field && Field->GetFieldKind() == fkData && Field->GetDataType() >= 0 &&
             Field->GetDataType() < GridColumnClassTypes)
        result = table.Types[Field->GetDataType()].ColumnClass;
    // A type no column kind took (ftUnknown at start) still gets a column.
    return result ? result : TgxDBGridColumn::StaticClass();
}

void TCustomgxDBGrid::LinkDefaultFields() {
    FDataLink->ClearFields();
    if (FDefaultFields) {
        TDataSet* dataSet = GetDataSet();
        for (Integer i = 0; dataSet && i < dataSet->GetFieldCount(); ++i) {
            TField* field = dataSet->GetFields()->GetField(i);
            if (field->GetVisible()) FDataLink->AddFieldName(field->GetFieldName());
        }
    } else {
        for (Integer i = 0; i < GetColumnCount(); ++i)
            if (TgxDBTreeListColumn* column = GetDBColumn(i)) FDataLink->AddFieldName(column->GetFieldName());
    }
}

void TCustomgxDBGrid::DestroyColumns() {
    if (FDefaultFields && !IsDestroying() && !IsUpdating() && !FGeneratingColumns) RaiseDefaultFields();
    TCustomgxDBTreeListControl::DestroyColumns();
}

void TCustomgxDBGrid::RemoveColumn(TgxTreeListColumn* Column) {
    auto it = std::find(FGroupColumns.begin(), FGroupColumns.end(), Column);
    if (it != FGroupColumns.end()) {
        FGroupColumns.erase(it);
        for (size_t i = 0; i < FGroupColumns.size(); ++i) FGroupColumns[i]->FGroupIndex = Integer(i);
    }
    TCustomgxDBTreeListControl::RemoveColumn(Column);
}
