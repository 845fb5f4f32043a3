#include "framework/dataset.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "framework/data_source.h"
#include "framework/date_time.h"
#include "framework/db_internal.h"
#include "framework/list.h"

using namespace lumora_db;

// ---------------------------------------------------------------------------------------------
// Errors

void DatabaseError(const std::string& Message, TComponent* Component) {
    if (Component && !Component->GetName().empty())
        throw EDatabaseError(Component->GetName() + ": " + Message);
    throw EDatabaseError(Message);
}

void DatabaseErrorFmt(const std::string& Message, const std::vector<TVarRec>& Args, TComponent* Component) {
    DatabaseError(Format(Message, Args), Component);
}

const char* FieldTypeName(TFieldType Type) {
    static const char* const names[FieldTypeCount] = {
        "Unknown",   "String",      "SmallInt",   "Integer",  "Word",     "Boolean",   "Float",
        "Currency",  "BCD",         "Date",       "Time",     "DateTime", "Bytes",     "VarBytes",
        "AutoInc",   "Blob",        "Memo",       "Graphic",  "FmtMemo",  "ParadoxOle", "dBaseOle",
        "TypedBinary", "Cursor",    "FixedChar",  "WideString", "LargeInt", "ADT",     "Array",
        "Reference", "DataSet",     "OraBlob",    "OraClob",  "Variant",  "Interface", "IDispatch",
        "Guid"};
    if (Type < 0 || Type >= FieldTypeCount) return "Unknown";
    return names[Type];
}

// ---------------------------------------------------------------------------------------------
// Construction

TDataSet::TDataSet(TComponent* AOwner)
    : TComponent(AOwner), FFields(std::make_unique<TFields>(this)), FFieldDefs(std::make_unique<TFieldDefs>(this)) {}

TDataSet::~TDataSet() {
    // Closing runs the descendant's InternalClose, which is gone by now; descendants close in
    // their own destructor. Whatever is still open is dropped here without events.
    if (FState != dsInactive) {
        FState = dsInactive;
        FreeFieldBuffers();
        ClearBuffers();
        SetBufListSize(0);
    }
    while (!FDataSources.empty()) RemoveDataSource(FDataSources.back());
    DestroyFields();
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (FStreamedActive) {
        FStreamedActive = false;
        SetActive(true);
    }
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

void TDataSet::SetActive(bool Value) {
    if (GetComponentState().Contains(csLoading)) {
        FStreamedActive = Value;
        return;
    }
    if (Value == GetActive()) return;
    if (Value) {
        DoBeforeOpen();
        try {
            OpenCursor();
            SetState(dsBrowse);
        } catch (...) {
            SetState(dsInactive);
            CloseCursor();
            throw;
        }
        DoAfterOpen();
        if (!IsEmpty()) DoAfterScroll();
    } else {
        DoBeforeClose();
        SetState(dsInactive);
        CloseCursor();
        DoAfterClose();
    }
}

void TDataSet::OpenCursor() {
    FDefaultFields = FFields->Count() == 0;
    InternalOpen();
    FInternalOpenComplete = true;
    FBufferCount = DesiredBufferCount();
    SetBufListSize(FBufferCount + 1);
    ClearBuffers();
    GetNextRecords();
    FBOF = true;
}

void TDataSet::CloseCursor() {
    FInternalOpenComplete = false;
    FreeFieldBuffers();
    ClearBuffers();
    SetBufListSize(0);
    FBufferCount = 0;
    InternalClose();
    FDefaultFields = false;
}

void TDataSet::InitFieldDefs() {
    InternalInitFieldDefs();
}

void TDataSet::CheckActive() {
    if (FState == dsInactive) DatabaseError(db_msg::DataSetClosed, this);
}

void TDataSet::CheckInactive() {
    if (FState != dsInactive) DatabaseError(db_msg::DataSetOpen, this);
}

void TDataSet::CheckCanModify() {
    if (!GetCanModify()) DatabaseError(db_msg::DataSetReadOnly, this);
}

// ---------------------------------------------------------------------------------------------
// Buffer window

void TDataSet::SetBufListSize(Integer Value) {
    Integer count = static_cast<Integer>(FBuffers.size());
    if (Value > count) {
        FBuffers.reserve(Value);
        for (Integer i = count; i < Value; ++i) FBuffers.push_back(AllocRecordBuffer());
    } else {
        for (Integer i = count - 1; i >= Value; --i) {
            TRecordBuffer b = FBuffers[i];
            FreeRecordBuffer(b);
            FBuffers.pop_back();
        }
    }
}

void TDataSet::ClearBuffers() {
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
    FBOF = true;
    FEOF = true;
}

void TDataSet::ActivateBuffers() {
    FRecordCount = 1;
    FActiveRecord = 0;
    FCurrentRecord = 0;
    FBOF = false;
    FEOF = false;
}

void TDataSet::MoveBuffer(Integer CurIndex, Integer NewIndex) {
    if (CurIndex == NewIndex) return;
    if (CurIndex < NewIndex)
        std::rotate(FBuffers.begin() + CurIndex, FBuffers.begin() + CurIndex + 1, FBuffers.begin() + NewIndex + 1);
    else
        std::rotate(FBuffers.begin() + NewIndex, FBuffers.begin() + CurIndex, FBuffers.begin() + CurIndex + 1);
    if (FCurrentRecord == CurIndex)
        FCurrentRecord = NewIndex;
    else if (CurIndex < NewIndex && FCurrentRecord > CurIndex && FCurrentRecord <= NewIndex)
        --FCurrentRecord;
    else if (CurIndex > NewIndex && FCurrentRecord >= NewIndex && FCurrentRecord < CurIndex)
        ++FCurrentRecord;
}

void TDataSet::SetCurrentRecord(Integer Index) {
    if (FCurrentRecord == Index) return;
    TRecordBuffer buffer = FBuffers[Index];
    switch (GetBookmarkFlag(buffer)) {
        case bfCurrent:
        case bfInserted:
            InternalSetToRecord(buffer);
            break;
        case bfBOF:
            InternalFirst();
            break;
        case bfEOF:
            InternalLast();
            break;
    }
    FCurrentRecord = Index;
}

void TDataSet::UpdateCursorPos() {
    if (FRecordCount > 0) SetCurrentRecord(FActiveRecord);
}

TGetResult TDataSet::FetchRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) {
    TGetResult result = GetRecord(Buffer, GetMode, DoCheck);
    if (result == grOK) GetCalcFields(Buffer);
    return result;
}

bool TDataSet::GetNextRecord() {
    TGetMode mode = gmNext;
    if (FRecordCount > 0) {
        SetCurrentRecord(FRecordCount - 1);
        // The cursor of a record being inserted stands on the record that follows it.
        if (FState == dsInsert && FCurrentRecord == FActiveRecord && GetBookmarkFlag(ActiveBuffer()) == bfInserted)
            mode = gmCurrent;
    }
    bool ok = FetchRecord(FBuffers[FRecordCount], mode, true) == grOK;
    if (ok) {
        if (FRecordCount == 0) {
            ActivateBuffers();
        } else {
            if (FRecordCount < FBufferCount)
                ++FRecordCount;
            else
                MoveBuffer(0, FRecordCount);
            FCurrentRecord = FRecordCount - 1;
        }
    } else {
        CursorPosChanged();
    }
    return ok;
}

bool TDataSet::GetPriorRecord() {
    if (FRecordCount > 0) SetCurrentRecord(0);
    bool ok = FetchRecord(FBuffers[FRecordCount], gmPrior, true) == grOK;
    if (ok) {
        if (FRecordCount == 0) {
            ActivateBuffers();
        } else {
            MoveBuffer(FRecordCount, 0);
            if (FRecordCount < FBufferCount) {
                ++FRecordCount;
                ++FActiveRecord;
            }
            FCurrentRecord = 0;
        }
    } else {
        CursorPosChanged();
    }
    return ok;
}

Integer TDataSet::GetNextRecords() {
    Integer n = 0;
    while (FRecordCount < FBufferCount && GetNextRecord()) ++n;
    return n;
}

Integer TDataSet::GetPriorRecords() {
    Integer n = 0;
    while (FRecordCount < FBufferCount && GetPriorRecord()) ++n;
    return n;
}

Integer TDataSet::DesiredBufferCount() const {
    Integer count = 1;
    for (TDataSource* source : FDataSources)
        for (TDataLink* link : source->FDataLinks)
            if (link->FBufferCount > count) count = link->FBufferCount;
    return count;
}

void TDataSet::UpdateBufferCount() {
    if (!FInternalOpenComplete || FBuffers.empty()) return;
    SetBufferCount(DesiredBufferCount());
}

void TDataSet::ShiftLinks(Integer Distance) {
    if (Distance == 0) return;
    for (TDataSource* source : FDataSources)
        for (TDataLink* link : source->FDataLinks) link->FFirstRecord += Distance;
}

void TDataSet::SetBufferCount(Integer Value) {
    if (Value == FBufferCount) return;
    Integer shift = 0;
    if (Value < FBufferCount) {
        // Keep the active record inside the smaller window, dropping records from its start.
        Integer drop = std::max(0, FActiveRecord - (Value - 1));
        for (Integer i = 0; i < drop; ++i) MoveBuffer(0, static_cast<Integer>(FBuffers.size()) - 1);
        FActiveRecord -= drop;
        FRecordCount = std::min(FRecordCount - drop, Value);
        shift -= drop;
        if (FCurrentRecord >= FRecordCount) FCurrentRecord = -1;
        FBufferCount = Value;
        SetBufListSize(Value + 1);
    } else {
        SetBufListSize(Value + 1);
        FBufferCount = Value;
    }
    if (FRecordCount > 0 && FState != dsInactive) {
        bool eof = FEOF, bof = FBOF;
        GetNextRecords();
        shift += GetPriorRecords();
        FEOF = eof;
        FBOF = bof;
    }
    ShiftLinks(shift);
    for (TDataSource* source : FDataSources)
        for (TDataLink* link : source->FDataLinks)
            if (link->FActive) link->UpdateRange(0, true);
}

void TDataSet::Resync(TResyncModes Mode) {
    if (Mode.Contains(rmExact)) {
        CursorPosChanged();
        if (FetchRecord(FBuffers[FRecordCount], gmCurrent, true) != grOK) DatabaseError(db_msg::RecordNotFound, this);
    } else if (FetchRecord(FBuffers[FRecordCount], gmCurrent, false) != grOK &&
               FetchRecord(FBuffers[FRecordCount], gmNext, false) != grOK &&
               FetchRecord(FBuffers[FRecordCount], gmPrior, false) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange, 0);
        return;
    }
    Integer count = Mode.Contains(rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
    MoveBuffer(FRecordCount, 0);
    ActivateBuffers();
    try {
        while (count > 0 && GetPriorRecord()) --count;
        GetNextRecords();
        GetPriorRecords();
    } catch (...) {
        DataEvent(deDataSetChange, 0);
        throw;
    }
    DataEvent(deDataSetChange, 0);
}

// ---------------------------------------------------------------------------------------------
// Navigation

void TDataSet::First() {
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    try {
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
    } catch (...) {
        FBOF = true;
        DataEvent(deDataSetChange, 0);
        throw;
    }
    FBOF = true;
    DataEvent(deDataSetChange, 0);
    DoAfterScroll();
}

void TDataSet::Last() {
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    try {
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    } catch (...) {
        FEOF = true;
        DataEvent(deDataSetChange, 0);
        throw;
    }
    FEOF = true;
    DataEvent(deDataSetChange, 0);
    DoAfterScroll();
}

Integer TDataSet::MoveBy(Integer Distance) {
    CheckBrowseMode();
    Integer result = 0;
    if ((Distance > 0 && !FEOF) || (Distance < 0 && !FBOF)) {
        DoBeforeScroll();
        FBOF = false;
        FEOF = false;
        Integer oldRecordCount = FRecordCount;
        Integer scrollDistance = 0;
        auto notify = [&] {
            // A move that replaced every record of the window is a data-set change, like one
            // that changed how many records the window holds; otherwise the buffers scrolled.
            if (FRecordCount != oldRecordCount || std::abs(scrollDistance) >= FBufferCount)
                DataEvent(deDataSetChange, 0);
            else
                DataEvent(deDataSetScroll, scrollDistance);
        };
        try {
            while (Distance > 0) {
                if (FActiveRecord < FRecordCount - 1) {
                    ++FActiveRecord;
                } else {
                    bool full = FRecordCount == FBufferCount;
                    if (!GetNextRecord()) {
                        FEOF = true;
                        break;
                    }
                    if (full) --scrollDistance;
                    FActiveRecord = FRecordCount - 1;
                }
                --Distance;
                ++result;
            }
            while (Distance < 0) {
                if (FActiveRecord > 0) {
                    --FActiveRecord;
                } else {
                    if (!GetPriorRecord()) {
                        FBOF = true;
                        break;
                    }
                    ++scrollDistance;
                    FActiveRecord = 0;
                }
                ++Distance;
                --result;
            }
        } catch (...) {
            notify();
            throw;
        }
        notify();
        DoAfterScroll();
    }
    return result;
}

Integer TDataSet::GetRecNo() {
    return -1;
}

void TDataSet::SetRecNo(Integer) {}

Integer TDataSet::GetRecordCount() {
    return -1;
}

// ---------------------------------------------------------------------------------------------
// State

void TDataSet::SetState(TDataSetState Value) {
    if (FState == Value) return;
    FState = Value;
    FModified = false;
    DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState Value) {
    TDataSetState old = FState;
    FState = Value;
    ++FDisableCount;
    return old;
}

void TDataSet::RestoreState(TDataSetState Value) {
    FState = Value;
    --FDisableCount;
}

void TDataSet::DisableControls() {
    if (FDisableCount == 0) {
        FDisableState = FState;
        FEnableEvent = deDataSetChange;
    }
    ++FDisableCount;
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0) return;
    if (--FDisableCount != 0) return;
    if (FDisableState != FState) DataEvent(deUpdateState, 0);
    if (FDisableState != dsInactive && FState != dsInactive) DataEvent(FEnableEvent, 0);
}

void TDataSet::DataEvent(TDataEvent Event, intptr_t Info) {
    switch (Event) {
        case deFieldChange: {
            auto* field = reinterpret_cast<TField*>(Info);
            if (field->FFieldKind == fkData || field->FFieldKind == fkInternalCalc) FModified = true;
            if (FState != dsSetKey) {
                // The calculated fields follow at once, computed in the current state so that
                // they land in the record being edited.
                if (FCalcFieldCount > 0 && FAutoCalcFields && field->FFieldKind == fkData &&
                    (FState == dsEdit || FState == dsInsert))
                    CalculateFields(ActiveBuffer());
                field->Change();
            }
            break;
        }
        case deLayoutChange:
        case deFieldListChange:
            FFieldDefs->SetUpdated(false);
            break;
        default:
            break;
    }
    if (FDisableCount == 0) {
        std::vector<TDataSource*> sources = FDataSources;
        for (TDataSource* source : sources)
            if (std::find(FDataSources.begin(), FDataSources.end(), source) != FDataSources.end())
                source->DataEvent(Event, Info);
    } else if ((Event == deUpdateState && FState == dsInactive) || Event == deLayoutChange) {
        FEnableEvent = deLayoutChange;
    }
}

void TDataSet::AddDataSource(TDataSource* DataSource) {
    FDataSources.push_back(DataSource);
    DataSource->FDataSet = this;
    UpdateBufferCount();
    DataSource->DataEvent(deUpdateState, 0);
}

void TDataSet::RemoveDataSource(TDataSource* DataSource) {
    DataSource->FDataSet = nullptr;
    FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), DataSource), FDataSources.end());
    DataSource->DataEvent(deUpdateState, 0);
    UpdateBufferCount();
}

// ---------------------------------------------------------------------------------------------
// Editing

void TDataSet::CheckOperation(const std::function<void()>& Operation, const TDataSetErrorEvent& ErrorEvent) {
    for (;;) {
        try {
            UpdateCursorPos();
            Operation();
            return;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (ErrorEvent) ErrorEvent(this, e, action);
            if (action == daFail) throw;
            if (action == daAbort) throw EAbort("Operation aborted");
        }
    }
}

void TDataSet::InitRecord(TRecordBuffer Buffer) {
    InternalInitRecord(Buffer);
    ClearCalcFields(Buffer);
    SetBookmarkFlag(Buffer, bfInserted);
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeInsert();
    DoBeforeScroll();
}

void TDataSet::PrepareInsertBuffer(bool Append) {
    if (Append) {
        ClearBuffers();
        TRecordBuffer buffer = FBuffers[0];
        InitRecord(buffer);
        SetBookmarkFlag(buffer, bfEOF);
        FRecordCount = 1;
        FBOF = false;
        GetPriorRecords();
    } else {
        TBookmarkStr oldCurrent = GetBookmarkStr();
        UpdateCursorPos();
        MoveBuffer(FRecordCount, FActiveRecord);
        TRecordBuffer buffer = ActiveBuffer();
        InitRecord(buffer);
        if (FRecordCount == 0)
            SetBookmarkFlag(buffer, bfBOF);
        else
            SetBookmarkData(buffer, oldCurrent.data());
        if (FRecordCount < FBufferCount) ++FRecordCount;
    }
}

void TDataSet::EndInsertAppend() {
    SetState(dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        UpdateCursorPos();
        FreeFieldBuffers();
        SetState(dsBrowse);
        Resync({});
        throw;
    }
    FModified = false;
    DataEvent(deDataSetChange, 0);
    DoAfterInsert();
    DoAfterScroll();
}

void TDataSet::InsertAppend(bool Append) {
    BeginInsertAppend();
    PrepareInsertBuffer(Append);
    try {
        InternalInsert();
    } catch (...) {
        Resync({});
        throw;
    }
    EndInsertAppend();
}

void TDataSet::Insert() {
    InsertAppend(false);
}

void TDataSet::Append() {
    InsertAppend(true);
}

void TDataSet::InsertAppendRecord(const std::vector<Variant>& Values, bool Append) {
    BeginInsertAppend();
    PrepareInsertBuffer(Append);
    TDataSetState saved = SetTempState(dsInsert);
    try {
        SetFields(Values);
        InternalAddRecord(ActiveBuffer(), Append);
    } catch (...) {
        RestoreState(saved);
        FreeFieldBuffers();
        Resync({});
        throw;
    }
    RestoreState(saved);
    FreeFieldBuffers();
    FModified = false;
    Resync({});
    DoAfterInsert();
    DoAfterScroll();
}

void TDataSet::InsertRecord(const std::vector<Variant>& Values) {
    InsertAppendRecord(Values, false);
}

void TDataSet::AppendRecord(const std::vector<Variant>& Values) {
    InsertAppendRecord(Values, true);
}

void TDataSet::SetFields(const std::vector<Variant>& Values) {
    if (FState != dsEdit && FState != dsInsert) DatabaseError(db_msg::NotEditing, this);
    Integer n = std::min<Integer>(static_cast<Integer>(Values.size()), FFields->Count());
    for (Integer i = 0; i < n; ++i) {
        const Variant& v = Values[i];
        TField* field = FFields->GetField(i);
        if (VarIsClear(v))
            field->Clear();
        else
            field->SetAsVariant(v);
    }
}

void TDataSet::ClearFields() {
    if (FState != dsEdit && FState != dsInsert) DatabaseError(db_msg::NotEditing, this);
    DataEvent(deCheckBrowseMode, 0);
    FreeFieldBuffers();
    InternalInitRecord(ActiveBuffer());
    if (FState != dsSetKey) GetCalcFields(ActiveBuffer());
    DataEvent(deRecordChange, 0);
}

void TDataSet::Edit() {
    if (FState == dsEdit || FState == dsInsert) return;
    if (FRecordCount == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeEdit();
    CheckOperation([this] { InternalEdit(); }, OnEditError);
    GetCalcFields(ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    DoAfterEdit();
}

void TDataSet::UpdateRecord() {
    if (FState != dsEdit && FState != dsInsert && FState != dsSetKey) DatabaseError(db_msg::NotEditing, this);
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::InternalPost() {
    CheckRequiredFields();
}

void TDataSet::CheckRequiredFields() {
    for (TField* field : *FFields) {
        if (field->FRequired && !field->FReadOnly && field->FFieldKind == fkData && field->GetIsNull()) {
            field->FocusControl();
            DatabaseErrorFmt(db_msg::FieldRequired, {field->GetDisplayName()});
        }
    }
}

void TDataSet::Post() {
    UpdateRecord();
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode, 0);
    DoBeforePost();
    CheckOperation([this] { InternalPost(); }, OnPostError);
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync({});
    DoAfterPost();
}

void TDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode, 0);
    DoBeforeCancel();
    UpdateCursorPos();
    InternalCancel();
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync({});
    DoAfterCancel();
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert || FState == dsSetKey) {
        Cancel();
        return;
    }
    if (FRecordCount == 0) DatabaseError(db_msg::DataSetEmpty, this);
    CheckCanModify();
    DataEvent(deCheckBrowseMode, 0);
    DoBeforeDelete();
    DoBeforeScroll();
    CheckOperation([this] { InternalDelete(); }, OnDeleteError);
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync({});
    DoAfterDelete();
    DoAfterScroll();
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    UpdateCursorPos();
    try {
        InternalRefresh();
    } catch (...) {
        Resync({});
        throw;
    }
    Resync({});
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    switch (FState) {
        case dsEdit:
        case dsInsert:
            UpdateRecord();
            if (FModified)
                Post();
            else
                Cancel();
            break;
        case dsSetKey:
            Post();
            break;
        default:
            break;
    }
}

void TDataSet::FreeFieldBuffers() {
    for (TField* field : *FFields) field->FreeBuffers();
}

void TDataSet::InternalHandleException() {
    // Without an application object to report to, the exception goes on to the caller.
    if (std::current_exception()) throw;
}

// ---------------------------------------------------------------------------------------------
// Calculated and lookup fields

void TDataSet::GetCalcFields(TRecordBuffer Buffer) {
    if (FCalcFieldCount == 0) return;
    TDataSetState saved = SetTempState(dsCalcFields);
    try {
        CalculateFields(Buffer);
    } catch (...) {
        RestoreState(saved);
        throw;
    }
    RestoreState(saved);
}

void TDataSet::CalculateFields(TRecordBuffer Buffer) {
    FCalcBuffer = Buffer;
    if (FState != dsInternalCalc) ClearCalcFields(Buffer);
    for (TField* field : *FFields)
        if (field->FFieldKind == fkLookup) CalcLookupValue(field);
    DoOnCalcFields();
}

void TDataSet::CalcLookupValue(TField* Field) {
    TDataSet* lookup = Field->FLookupDataSet;
    if (!lookup || !lookup->GetActive()) {
        Field->Clear();
        return;
    }
    Field->SetAsVariant(lookup->Lookup(Field->FLookupKeyFields, GetFieldValue(Field->FKeyFields),
                                       Field->FLookupResultField));
}

// ---------------------------------------------------------------------------------------------
// Fields

void TDataSet::CreateFields() {
    for (Integer i = 0; i < FFieldDefs->Count(); ++i) {
        TFieldDef* def = FFieldDefs->GetItem(i);
        if (def->GetDataType() != ftUnknown && !FindField(def->GetName())) def->CreateField(this);
    }
}

void TDataSet::BindFields(bool Binding) {
    FCalcFieldsSize = 0;
    FCalcFieldCount = 0;
    FBlobFieldCount = 0;
    for (TField* field : *FFields) {
        if (Binding) {
            if (field->FFieldKind == fkCalculated || field->FFieldKind == fkLookup) {
                field->FFieldNo = -1;
                field->FOffset = FCalcFieldsSize;
                FCalcFieldsSize += field->GetDataSize() + 1;
                ++FCalcFieldCount;
            } else {
                Integer index = FFieldDefs->IndexOf(field->FFieldName);
                if (index < 0) DatabaseErrorFmt(db_msg::FieldNotFound, {field->GetDisplayName()}, this);
                TFieldDef* def = FFieldDefs->GetItem(index);
                if (def->GetDataType() != field->FDataType)
                    DatabaseErrorFmt(db_msg::FieldTypeMismatch,
                                     {field->GetDisplayName(), FieldTypeName(field->FDataType),
                                      FieldTypeName(def->GetDataType())},
                                     this);
                field->FFieldNo = def->GetFieldNo();
                if (field->IsBlob()) field->FOffset = FBlobFieldCount++;
            }
        }
        field->Bind(Binding);
    }
}

void TDataSet::DestroyFields() {
    FFields->Clear();
}

TFieldClass TDataSet::GetFieldClass(TFieldType FieldType) {
    return DefaultFieldClass(FieldType);
}

TField* TDataSet::FieldByName(const std::string& FieldName) const {
    TField* field = FFields->FindField(FieldName);
    if (!field) DatabaseErrorFmt(db_msg::FieldNotFound, {FieldName}, const_cast<TDataSet*>(this));
    return field;
}

TField* TDataSet::FindField(const std::string& FieldName) const {
    return FFields->FindField(FieldName);
}

TField* TDataSet::FieldByNumber(Integer FieldNo) const {
    return FFields->FieldByNumber(FieldNo);
}

void TDataSet::GetFieldList(std::vector<TField*>& List, const std::string& FieldNames) const {
    for (const std::string& name : SplitFieldNames(FieldNames)) List.push_back(FieldByName(name));
}

void TDataSet::GetFieldList(TList* List, const std::string& FieldNames) const {
    std::vector<TField*> fields;
    GetFieldList(fields, FieldNames);
    for (TField* f : fields) List->Add(f);
}

void TDataSet::GetFieldNames(std::vector<std::string>& List) const {
    FFields->GetFieldNames(List);
}

Variant TDataSet::GetFieldValue(const std::string& FieldName) {
    if (FieldName.find(';') == std::string::npos) return FieldByName(FieldName)->GetAsVariant();
    std::vector<TField*> fields;
    GetFieldList(fields, FieldName);
    std::vector<Variant> values;
    for (TField* f : fields) values.push_back(f->GetAsVariant());
    return VarArrayOf(std::move(values));
}

void TDataSet::SetFieldValue(const std::string& FieldName, const Variant& Value) {
    if (FieldName.find(';') == std::string::npos) {
        FieldByName(FieldName)->SetAsVariant(Value);
        return;
    }
    std::vector<TField*> fields;
    GetFieldList(fields, FieldName);
    for (size_t i = 0; i < fields.size(); ++i) fields[i]->SetAsVariant(Value[static_cast<Integer>(i)]);
}

void TDataSet::SetFiltered(bool Value) {
    FFiltered = Value;
}

void TDataSet::SetFilterText(const std::string& Value) {
    FFilterText = Value;
}

void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& Value) {
    FOnFilterRecord = Value;
}

// ---------------------------------------------------------------------------------------------
// Field data

bool TDataSet::GetFieldData(TField*, void*) {
    return false;
}

void TDataSet::SetFieldData(TField*, const void*) {}

namespace {
// Room for the native form of every type that converts (dates, times, BCD) and its terminator.
constexpr size_t NativeConversionSize = sizeof(TBcd) + 6;
static_assert(NativeConversionSize > sizeof(TBcd) && NativeConversionSize > sizeof(double));
}  // namespace

bool TDataSet::GetFieldData(TField* Field, void* Buffer, bool NativeFormat) {
    if (NativeFormat || !Buffer || !NeedsConversion(Field->FDataType)) return GetFieldData(Field, Buffer);
    alignas(8) Byte native[NativeConversionSize] = {};
    bool result = GetFieldData(Field, native);
    if (result) DataConvert(Field, native, Buffer, false);
    return result;
}

void TDataSet::SetFieldData(TField* Field, const void* Buffer, bool NativeFormat) {
    if (NativeFormat || !Buffer || !NeedsConversion(Field->FDataType)) {
        SetFieldData(Field, Buffer);
        return;
    }
    alignas(8) Byte native[NativeConversionSize] = {};
    DataConvert(Field, Buffer, native, true);
    SetFieldData(Field, native);
}

void TDataSet::DataConvert(TField* Field, const void* Source, void* Dest, bool ToNative) {
    switch (Field->FDataType) {
        case ftDate:
        case ftTime:
        case ftDateTime:
            if (ToNative)
                DateTimeToNative(Field->FDataType, *static_cast<const TDateTime*>(Source), Dest);
            else
                *static_cast<TDateTime*>(Dest) = NativeToDateTime(Field->FDataType, Source);
            break;
        case ftBCD:
            if (ToNative) {
                Currency c;
                std::memcpy(&c, Source, sizeof c);
                TBcd bcd;
                CurrToBCD(c, bcd, 32, Field->GetSize());
                std::memcpy(Dest, &bcd, sizeof bcd);
            } else {
                TBcd bcd;
                std::memcpy(&bcd, Source, sizeof bcd);
                Currency c = 0;
                BCDToCurr(bcd, c);
                std::memcpy(Dest, &c, sizeof c);
            }
            break;
        default:
            std::memcpy(Dest, Source, Field->GetDataSize());
            break;
    }
}

TStream* TDataSet::CreateBlobStream(TField*, TBlobStreamMode) {
    return nullptr;
}

bool TDataSet::GetCurrentRecord(TRecordBuffer) {
    return false;
}

// ---------------------------------------------------------------------------------------------
// Bookmarks

bool TDataSet::BookmarkAvailable() {
    return (FState == dsBrowse || FState == dsEdit || FState == dsInsert) && FRecordCount > 0 &&
           GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmarkStr TDataSet::GetBookmarkStr() {
    if (!BookmarkAvailable() || FBookmarkSize <= 0) return {};
    TBookmarkStr result(FBookmarkSize, '\0');
    GetBookmarkData(ActiveBuffer(), result.data());
    return result;
}

void TDataSet::SetBookmarkStr(const TBookmarkStr& Value) {
    if (Value.empty()) return;
    TBookmarkStr copy = Value;
    GotoBookmark(reinterpret_cast<TBookmark>(copy.data()));
}

TBookmark TDataSet::GetBookmark() {
    if (!BookmarkAvailable() || FBookmarkSize <= 0) return nullptr;
    TBookmark result = new Byte[FBookmarkSize];
    GetBookmarkData(ActiveBuffer(), result);
    return result;
}

void TDataSet::GotoBookmark(TBookmark Bookmark) {
    if (!Bookmark) return;
    CheckBrowseMode();
    DoBeforeScroll();
    InternalGotoBookmark(Bookmark);
    Resync({rmExact, rmCenter});
    DoAfterScroll();
}

void TDataSet::FreeBookmark(TBookmark Bookmark) {
    delete[] Bookmark;
}

bool TDataSet::BookmarkValid(TBookmark) {
    return false;
}

Integer TDataSet::CompareBookmarks(TBookmark, TBookmark) {
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Searching

bool TDataSet::LocateRecord(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options,
                            bool SyncCursor) {
    CheckBrowseMode();
    std::vector<TField*> fields;
    GetFieldList(fields, KeyFields);
    if (fields.empty()) return false;
    std::vector<Variant> keys;
    if (fields.size() == 1 && !VarIsArray(KeyValues)) {
        keys.push_back(KeyValues);
    } else {
        for (Integer i = 0; i < static_cast<Integer>(fields.size()); ++i)
            keys.push_back(VarIsArray(KeyValues) && i < KeyValues.ElementCount() ? KeyValues[i] : Variant());
    }
    TBookmarkStr start = GetBookmarkStr();
    bool found = false;
    DisableControls();
    try {
        First();
        while (!FEOF) {
            bool match = true;
            for (size_t i = 0; i < fields.size() && match; ++i) match = FieldMatches(fields[i], keys[i], Options);
            if (match) {
                found = true;
                break;
            }
            Next();
        }
        if (!found || !SyncCursor) {
            if (!start.empty())
                SetBookmarkStr(start);
            else
                First();
        }
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
    return found;
}

bool TDataSet::Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    return LocateRecord(KeyFields, KeyValues, Options, true);
}

Variant TDataSet::Lookup(const std::string& KeyFields, const Variant& KeyValues, const std::string& ResultFields) {
    Variant result = Variant::Null();
    TBookmarkStr start = GetBookmarkStr();
    DisableControls();
    try {
        if (LocateRecord(KeyFields, KeyValues, {}, true)) result = GetFieldValue(ResultFields);
        if (!start.empty()) SetBookmarkStr(start);
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
    return result;
}

// ---------------------------------------------------------------------------------------------
// Events

void TDataSet::DoBeforeOpen() { if (BeforeOpen) BeforeOpen(this); }
void TDataSet::DoAfterOpen() { if (AfterOpen) AfterOpen(this); }
void TDataSet::DoBeforeClose() { if (BeforeClose) BeforeClose(this); }
void TDataSet::DoAfterClose() { if (AfterClose) AfterClose(this); }
void TDataSet::DoBeforeInsert() { if (BeforeInsert) BeforeInsert(this); }
void TDataSet::DoAfterInsert() { if (AfterInsert) AfterInsert(this); }
void TDataSet::DoBeforeEdit() { if (BeforeEdit) BeforeEdit(this); }
void TDataSet::DoAfterEdit() { if (AfterEdit) AfterEdit(this); }
void TDataSet::DoBeforePost() { if (BeforePost) BeforePost(this); }
void TDataSet::DoAfterPost() { if (AfterPost) AfterPost(this); }
void TDataSet::DoBeforeCancel() { if (BeforeCancel) BeforeCancel(this); }
void TDataSet::DoAfterCancel() { if (AfterCancel) AfterCancel(this); }
void TDataSet::DoBeforeDelete() { if (BeforeDelete) BeforeDelete(this); }
void TDataSet::DoAfterDelete() { if (AfterDelete) AfterDelete(this); }
void TDataSet::DoBeforeScroll() { if (BeforeScroll) BeforeScroll(this); }
void TDataSet::DoAfterScroll() { if (AfterScroll) AfterScroll(this); }
void TDataSet::DoOnNewRecord() { if (OnNewRecord) OnNewRecord(this); }
void TDataSet::DoOnCalcFields() { if (OnCalcFields) OnCalcFields(this); }
