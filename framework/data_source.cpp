#include "framework/data_source.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    while (!FDataLinks.empty()) RemoveDataLink(FDataLinks.back());
    SetDataSet(nullptr);
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet) SetDataSet(nullptr);
}

bool TDataSource::IsLinkedTo(TDataSet* DataSet) const {
    return DataSet && DataSet == FDataSet;
}

void TDataSource::SetDataSet(TDataSet* ADataSet) {
    if (ADataSet == FDataSet) return;
    if (FDataSet) {
        FDataSet->RemoveFreeNotification(this);
        FDataSet->RemoveDataSource(this);
    }
    if (ADataSet) {
        ADataSet->FreeNotification(this);
        ADataSet->AddDataSource(this);
    }
}

void TDataSource::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    UpdateState();
}

void TDataSource::Edit() {
    if (FAutoEdit && FState == dsBrowse && FDataSet) FDataSet->Edit();
}

void TDataSource::AddDataLink(TDataLink* DataLink) {
    FDataLinks.push_back(DataLink);
    DataLink->FDataSource = this;
    if (FDataSet) FDataSet->UpdateBufferCount();
    DataLink->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* DataLink) {
    DataLink->FDataSource = nullptr;
    FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), DataLink), FDataLinks.end());
    DataLink->UpdateState();
    if (FDataSet) FDataSet->UpdateBufferCount();
}

void TDataSource::UpdateState() {
    SetState(FEnabled && FDataSet ? FDataSet->GetState() : dsInactive);
}

void TDataSource::SetState(TDataSetState Value) {
    if (Value == FState) return;
    TDataSetState prior = FState;
    FState = Value;
    NotifyDataLinks(deUpdateState, 0);
    if (OnStateChange) OnStateChange(this);
    if (prior == dsInactive && OnDataChange) OnDataChange(this, nullptr);
}

void TDataSource::NotifyDataLinks(TDataEvent Event, intptr_t Info) {
    std::vector<TDataLink*> links = FDataLinks;
    for (TDataLink* link : links)
        if (std::find(FDataLinks.begin(), FDataLinks.end(), link) != FDataLinks.end()) link->DataEvent(Event, Info);
}

void TDataSource::DataEvent(TDataEvent Event, intptr_t Info) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (FState == dsInactive) return;
    NotifyDataLinks(Event, Info);
    switch (Event) {
        case deFieldChange:
        case deRecordChange:
            if (OnDataChange) OnDataChange(this, Event == deFieldChange ? reinterpret_cast<TField*>(Info) : nullptr);
            break;
        case deDataSetChange:
        case deDataSetScroll:
        case deLayoutChange:
            if (OnDataChange) OnDataChange(this, nullptr);
            break;
        case deUpdateRecord:
            if (OnUpdateData) OnUpdateData(this);
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
    if (FDataSource) FDataSource->RemoveDataLink(this);
}

TDataSet* TDataLink::GetDataSet() const {
    return FDataSource ? FDataSource->GetDataSet() : nullptr;
}

void TDataLink::SetDataSource(TDataSource* ADataSource) {
    if (ADataSource == FDataSource) return;
    if (FDataSourceFixed) DatabaseError(db_msg::DataSourceChange);
    if (FDataSource) FDataSource->RemoveDataLink(this);
    if (ADataSource) ADataSource->AddDataLink(this);
}

void TDataLink::SetReadOnly(bool Value) {
    if (Value == FReadOnly) return;
    FReadOnly = Value;
    UpdateState();
}

void TDataLink::SetBufferCount(Integer Value) {
    if (Value < 1) Value = 1;
    if (Value == FBufferCount) return;
    FBufferCount = Value;
    if (FActive) {
        UpdateRange(0, true);
        GetDataSet()->UpdateBufferCount();
        UpdateRange(0, true);
    }
}

Integer TDataLink::GetActiveRecord() const {
    if (!FActive || FDataSource->GetState() == dsSetKey) return 0;
    return GetDataSet()->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecord(Integer Value) {
    if (!FActive || FDataSource->GetState() == dsSetKey) return;
    GetDataSet()->SetActiveRecord(Value + FFirstRecord);
}

Integer TDataLink::GetRecordCount() const {
    if (!FActive) return 0;
    if (FDataSource->GetState() == dsSetKey) return 1;
    Integer count = GetDataSet()->FRecordCount - FFirstRecord;
    return std::clamp<Integer>(count, 0, FBufferCount);
}

bool TDataLink::Edit() {
    if (!FReadOnly && FDataSource) FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord() {
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

void TDataLink::UpdateState() {
    SetActive(FDataSource && FDataSource->GetState() != dsInactive);
    TDataSetState state = FDataSource ? FDataSource->GetState() : dsInactive;
    SetEditing((state == dsEdit || state == dsInsert || state == dsSetKey) && !FReadOnly);
}

void TDataLink::SetActive(bool Value) {
    if (Value == FActive) return;
    FActive = Value;
    FFirstRecord = 0;
    if (Value) UpdateRange(0, true);
    ActiveChanged();
}

void TDataLink::SetEditing(bool Value) {
    if (Value == FEditing) return;
    FEditing = Value;
    EditingChanged();
}

// Moves the link's window by Shift (the dataset's buffers moved by that much) and then just far
// enough to hold the active record; with Fill it also slides back to show as many records as
// the dataset's window has. The caller tells the scroll distance from FFirstRecord before and after.
void TDataLink::UpdateRange(Integer Shift, bool Fill) {
    TDataSet* ds = GetDataSet();
    if (!ds) return;
    Integer first = FFirstRecord + Shift;
    Integer active = ds->FActiveRecord;
    Integer last = first + FBufferCount - 1;
    if (active > last)
        first = active - FBufferCount + 1;
    else if (active < first)
        first = active;
    if (Fill && first > 0 && first + FBufferCount > ds->FRecordCount)
        first = std::max<Integer>(0, std::min(active, ds->FRecordCount - FBufferCount));
    FFirstRecord = std::max<Integer>(0, first);
}

void TDataLink::DataEvent(TDataEvent Event, intptr_t Info) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!FActive) return;
    switch (Event) {
        case deFieldChange:
        case deRecordChange:
            if (!FUpdating) RecordChanged(Event == deFieldChange ? reinterpret_cast<TField*>(Info) : nullptr);
            break;
        case deDataSetChange:
        case deDataSetScroll:
        case deLayoutChange: {
            Integer count = 0;
            if (FDataSource->GetState() != dsSetKey) {
                Integer before = FFirstRecord + (Event == deDataSetScroll ? static_cast<Integer>(Info) : 0);
                FFirstRecord = before;
                UpdateRange(0, Event != deDataSetScroll);
                count = FFirstRecord - before;
            }
            if (Event == deDataSetChange)
                DataSetChanged();
            else if (Event == deDataSetScroll)
                DataSetScrolled(count);
            else
                LayoutChanged();
            break;
        }
        case deUpdateRecord:
            UpdateRecord();
            break;
        case deCheckBrowseMode:
            CheckBrowseMode();
            break;
        case deFocusControl:
            FocusControl(*reinterpret_cast<TField**>(Info));
            break;
        default:
            break;
    }
}
