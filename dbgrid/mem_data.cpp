// The memory table's storage: opening and closing, record buffers, field values, navigation
// over the visible records, bookmarks, posting, adding and deleting records.

#include "dbgrid/mem_data.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr const char* SUnsupportedFieldType = "Unsupported field type: %s";
constexpr const char* SNoRecords = "No Records";
constexpr const char* SBookmarkNotFound = "Bookmark not found";

Integer ReadInteger(const void* p) {
    Integer v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void WriteInteger(void* p, Integer v) {
    std::memcpy(p, &v, sizeof v);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction

TgxMemData::TgxMemData(TComponent* AOwner)
    : TDataSet(AOwner),
      FMemFields(std::make_unique<TgxMemFields>(this)),
      FIndexes(std::make_unique<TgxMemIndexes>(this)) {
    FRecIdField = new TIntegerField(this);
    FRecIdField->SetName("RecId");
    FRecIdField->SetFieldName("RecId");
    FRecIdField->SetFieldKind(fkCalculated);
    FRecIdField->SetVisible(false);
    FRecIdField->SetDataSet(this);
}

TgxMemData::~TgxMemData() {
    FDestroying = true;
    if (GetActive()) Close();
}

void TgxMemData::SetName(const std::string& NewName) {
    TDataSet::SetName(NewName);
    if (FRecIdField) FRecIdField->SetName(NewName + "RecId");
}

void TgxMemData::Notification(TComponent* AComponent, TOperation Operation) {
    TDataSet::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FRecIdField) FRecIdField = nullptr;
    if (AComponent == FSortField) FSortField = nullptr;
    for (int i = 0; i < FIndexes->GetCount(); ++i) {
        TgxMemIndex* index = FIndexes->GetItem(i);
        if (index->FField == AComponent) {
            index->FField = nullptr;
            index->SetDirty();
        }
    }
}

void TgxMemData::SetIndexes(TgxMemIndexes* Value) {
    FIndexes->Assign(Value);
}

bool TgxMemData::SupportedFieldType(TFieldType AType) {
    return (AType >= ftString && AType <= ftDateTime) || (AType >= ftAutoInc && AType <= ftTypedBinary) ||
           AType == ftWideString || AType == ftLargeint;
}

bool TgxMemData::IsOnlyRecIdField() const {
    return GetFieldCount() == 1 && GetFields()->GetField(0) == FRecIdField;
}

bool TgxMemData::GetCanModify() {
    return !FReadOnly || FLoading;
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

void TgxMemData::InternalInitFieldDefs() {
    // Without field components of its own the table is made from the definitions it was given.
    if (IsOnlyRecIdField()) return;
    TFieldDefs* defs = GetFieldDefs();
    defs->Clear();
    for (TField* f : *GetFields())
        if (f->GetFieldKind() != fkCalculated && f->GetFieldKind() != fkLookup)
            defs->Add(f->GetFieldName(), f->GetDataType(), f->GetSize(), f->GetRequired());
}

void TgxMemData::InternalOpen() {
    auto checkTypes = [this] {
        for (TField* f : *GetFields())
            if (!SupportedFieldType(f->GetDataType()))
                DatabaseErrorFmt(SUnsupportedFieldType, {f->GetFieldName()}, this);
    };
    checkTypes();
    FRecords.clear();
    FFilterList.clear();
    FLastRecId = 0;
    FCurRec = -1;
    FCurFilter = -1;
    FIdsAscending = true;
    FIdPositionsValid = false;

    if (IsOnlyRecIdField()) {
        SetDefaultFields(true);
        CreateFields();
        checkTypes();
    } else {
        InternalInitFieldDefs();
    }

    FMemFields->Clear();
    FHasCalcFields = false;
    for (TField* f : *GetFields()) {
        if (f->GetFieldKind() == fkCalculated) FMemFields->AddCalcField(f);
        if ((f->GetFieldKind() == fkCalculated || f->GetFieldKind() == fkLookup) && f != FRecIdField)
            FHasCalcFields = true;
    }
    for (TField* f : *GetFields())
        if (!f->IsBlob()) FMemFields->Add(f);
    FExtraOffset = (FMemFields->GetRecordDataSize() + 5 + alignof(TgxMemBufferValues) - 1) /
                   alignof(TgxMemBufferValues) * alignof(TgxMemBufferValues);
    SetBookmarkSize(sizeof(Integer));

    BindFields(true);
    FMemFields->IndexFieldNumbers();
    FCursorOpen = true;

    SortRecords();
    RebindIndexes();
}

void TgxMemData::InternalClose() {
    FRecords.clear();
    FRecords.shrink_to_fit();
    FFilterList.clear();
    FIdPositions.clear();
    FIdsAscending = true;
    FIdPositionsValid = false;
    FSortField = nullptr;
    IndexesDirty();
    FMemFields->Clear();
    BindFields(false);
    if (GetDefaultFields()) DestroyFields();
    FLastRecId = 0;
    FCurRec = -1;
    FCurFilter = -1;
    FCursorOpen = false;
}

void TgxMemData::DestroyFields() {
    std::vector<TField*> made;
    for (TField* f : *GetFields())
        if (f != FRecIdField) made.push_back(f);
    for (TField* f : made) f->Free();
}

// ---------------------------------------------------------------------------------------------
// Events that stay quiet while the table loads

void TgxMemData::DoBeforeOpen() {
    if (!FLoading) TDataSet::DoBeforeOpen();
}
void TgxMemData::DoAfterOpen() {
    if (!FLoading) TDataSet::DoAfterOpen();
}
void TgxMemData::DoBeforeClose() {
    if (!FLoading && !FDestroying) TDataSet::DoBeforeClose();
}
void TgxMemData::DoAfterClose() {
    if (!FLoading && !FDestroying) TDataSet::DoAfterClose();
}
void TgxMemData::DoBeforeInsert() {
    if (!FLoading) TDataSet::DoBeforeInsert();
}
void TgxMemData::DoAfterInsert() {
    if (!FLoading) TDataSet::DoAfterInsert();
}
void TgxMemData::DoBeforePost() {
    if (!FLoading) TDataSet::DoBeforePost();
}
void TgxMemData::DoAfterPost() {
    if (!FLoading) TDataSet::DoAfterPost();
}
void TgxMemData::DoAfterCancel() {
    if (!FLoading) TDataSet::DoAfterCancel();
}
void TgxMemData::DoOnNewRecord() {
    if (!FLoading) TDataSet::DoOnNewRecord();
}

// ---------------------------------------------------------------------------------------------
// Record buffers

TgxMemBufferValues& TgxMemData::ValuesOf(TRecordBuffer Buffer) const {
    return *std::launder(reinterpret_cast<TgxMemBufferValues*>(Buffer + FExtraOffset));
}

TRecordBuffer TgxMemData::AllocRecordBuffer() {
    auto* buffer = new Byte[FExtraOffset + sizeof(TgxMemBufferValues)];
    std::memset(buffer, 0, FExtraOffset);
    auto* values = new (buffer + FExtraOffset) TgxMemBufferValues;
    values->Wide.resize(FMemFields->GetWideStringCount());
    values->Blobs.resize(GetBlobFieldCount());
    return buffer;
}

void TgxMemData::FreeRecordBuffer(TRecordBuffer& Buffer) {
    if (!Buffer) return;
    ValuesOf(Buffer).~TgxMemBufferValues();
    delete[] Buffer;
    Buffer = nullptr;
}

void TgxMemData::InternalInitRecord(TRecordBuffer Buffer) {
    FMemFields->Clear(Buffer);
    std::memset(Buffer + FMemFields->GetRecordDataSize(), 0, 5);
    TgxMemBufferValues& values = ValuesOf(Buffer);
    for (std::string& s : values.Wide) s.clear();
    for (TgxMemBlobData& b : values.Blobs) b.reset();
}

void TgxMemData::ClearCalcFields(TRecordBuffer Buffer) {
    if (FMemFields->GetCount() < 2 || GetState() == dsCalcFields) return;
    for (TField* f : FMemFields->GetCalcFields()) {
        if (f == FRecIdField) continue;
        if (TgxMemField* d = FMemFields->FindField(f)) Buffer[d->GetOffset()] = 0;
    }
}

void TgxMemData::CalculateFields(TRecordBuffer Buffer) {
    // The hidden field alone needs no calculation: it holds what was stored.
    if (OnCalcFields || FHasCalcFields) TDataSet::CalculateFields(Buffer);
}

bool TgxMemData::GetCurrentRecord(TRecordBuffer Buffer) {
    if (!GetActive() || GetBufferRecordCount() == 0 || !ActiveBuffer()) return false;
    std::memcpy(Buffer, ActiveBuffer(), FMemFields->GetRecordDataSize());
    return true;
}

void TgxMemData::GetBookmarkData(TRecordBuffer Buffer, void* Data) {
    std::memcpy(Data, Buffer + FMemFields->GetRecordDataSize(), sizeof(Integer));
}

void TgxMemData::SetBookmarkData(TRecordBuffer Buffer, const void* Data) {
    std::memcpy(Buffer + FMemFields->GetRecordDataSize(), Data, sizeof(Integer));
}

TBookmarkFlag TgxMemData::GetBookmarkFlag(TRecordBuffer Buffer) {
    return static_cast<TBookmarkFlag>(Buffer[FMemFields->GetRecordDataSize() + 4]);
}

void TgxMemData::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) {
    Buffer[FMemFields->GetRecordDataSize() + 4] = static_cast<Byte>(Value);
}

void TgxMemData::FetchInto(const Record& R, TRecordBuffer Buffer) {
    TgxMemBufferValues& values = ValuesOf(Buffer);
    FMemFields->Fetch(R.Block.get(), Buffer, values);
    WriteInteger(Buffer + FMemFields->GetRecordDataSize(), R.Id);
    SetBookmarkFlag(Buffer, bfCurrent);
    for (size_t i = 0; i < values.Blobs.size(); ++i)
        values.Blobs[i] = R.Blobs && i < R.Blobs->size() ? (*R.Blobs)[i] : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Field values

TRecordBuffer TgxMemData::StateBuffer() const {
    switch (GetState()) {
        case dsBrowse:
            return GetBufferRecordCount() == 0 ? nullptr : ActiveBuffer();
        case dsEdit:
        case dsInsert:
            return ActiveBuffer();
        case dsCalcFields:
            return CalcBuffer();
        default:
            return nullptr;
    }
}

bool TgxMemData::ReadStored(const Record& R, TField* Field, void* Dest) const {
    if (Field->IsBlob()) {
        size_t i = static_cast<size_t>(Field->GetOffset());
        return R.Blobs && i < R.Blobs->size() && (*R.Blobs)[i] && !(*R.Blobs)[i]->empty();
    }
    TgxMemField* d = FMemFields->FindField(Field);
    if (!d) return false;
    if (Dest) TgxMemFields::CopyValue(d, TgxMemFields::StoredValue(R.Block.get(), d), Dest);
    return TgxMemFields::StoredHasValue(R.Block.get(), d);
}

bool TgxMemData::GetFieldData(TField* Field, void* Buffer) {
    // OnFilterRecord sees the stored record under test.
    if (GetState() == dsFilter) {
        if (FFilterRecord < 0 || FFilterRecord >= RecordCountStored()) return false;
        return ReadStored(FRecords[FFilterRecord], Field, Buffer);
    }
    TRecordBuffer b = StateBuffer();
    if (!b) return false;
    if (Field->IsBlob()) {
        const auto& blobs = ValuesOf(b).Blobs;
        size_t i = static_cast<size_t>(Field->GetOffset());
        return i < blobs.size() && blobs[i] && !blobs[i]->empty();
    }
    TgxMemField* d = FMemFields->FindField(Field);
    if (!d) return false;
    if (Buffer) TgxMemFields::CopyValue(d, TgxMemFields::BufferValue(b, ValuesOf(b), d), Buffer);
    return TgxMemFields::BufferHasValue(b, d);
}

void TgxMemData::SetFieldData(TField* Field, const void* Buffer) {
    TDataSetState state = GetState();
    if (state != dsEdit && state != dsInsert && state != dsSetKey && state != dsCalcFields && state != dsFilter &&
        state != dsNewValue && state != dsInternalCalc)
        DatabaseError(db_msg::NotEditing, this);
    TRecordBuffer b = StateBuffer();
    if (!b) return;
    Field->Validate(Buffer);
    bool calculated = Field->GetFieldKind() == fkCalculated || Field->GetFieldKind() == fkLookup;
    // Calculated and lookup values come into the stored records only through Refresh.
    if (!(calculated && state == dsCalcFields)) {
        if (TgxMemField* d = FMemFields->FindField(Field)) {
            Byte* p = b + d->GetOffset();
            if (Buffer) {
                p[0] = 1;
                if (d->GetIsWideString()) {
                    ValuesOf(b).Wide[d->FWideIndex] = *static_cast<const std::string*>(Buffer);
                } else if (d->GetDataType() == ftString) {
                    size_t n = strnlen(static_cast<const char*>(Buffer), static_cast<size_t>(d->GetDataSize() - 1));
                    std::memcpy(p + 1, Buffer, n);
                    p[1 + n] = 0;
                } else {
                    std::memcpy(p + 1, Buffer, d->GetDataSize());
                }
            } else {
                p[0] = 0;
                if (d->GetIsWideString()) ValuesOf(b).Wide[d->FWideIndex].clear();
            }
        }
    }
    if (state != dsCalcFields && state != dsFilter && state != dsNewValue)
        DataEvent(deFieldChange, reinterpret_cast<intptr_t>(Field));
}

// ---------------------------------------------------------------------------------------------
// Navigation over the visible records

namespace {

// One step of the cursor Position over Count records.
TGetResult Step(Integer& Position, Integer Count, TGetMode Mode) {
    switch (Mode) {
        case gmNext:
            if (Position >= Count - 1) return grEOF;
            ++Position;
            return grOK;
        case gmPrior:
            if (Position <= 0) return grBOF;
            Position = std::min(Position, Count) - 1;
            return grOK;
        default:
            return Position < 0 || Position >= Count ? grError : grOK;
    }
}

}  // namespace

TGetResult TgxMemData::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) {
    if (FMemFields->GetCount() == 0) return grError;
    if (FRecords.empty()) return grEOF;
    TGetResult result;
    if (!FIsFiltered) {
        result = Step(FCurRec, RecordCountStored(), GetMode);
    } else {
        result = Step(FCurFilter, static_cast<Integer>(FFilterList.size()), GetMode);
        FCurRec = result == grOK ? FFilterList[FCurFilter] - 1 : -1;
    }
    if (result == grOK)
        FetchInto(FRecords[FCurRec], Buffer);
    else if (result == grError && DoCheck)
        DatabaseError(SNoRecords, this);
    return result;
}

void TgxMemData::InternalFirst() {
    FCurRec = -1;
    FCurFilter = -1;
}

void TgxMemData::InternalLast() {
    FCurRec = RecordCountStored();
    FCurFilter = static_cast<Integer>(FFilterList.size());
}

Integer TgxMemData::GetRecordCount() {
    CheckActive();
    return FIsFiltered ? static_cast<Integer>(FFilterList.size()) : RecordCountStored();
}

Integer TgxMemData::GetRecNo() {
    CheckActive();
    if (GetState() == dsFilter) return FFilterRecord + 1;
    UpdateCursorPos();
    if (FCurRec == -1 && GetRecordCount() > 0) return 1;
    return (FIsFiltered ? FCurFilter : FCurRec) + 1;
}

void TgxMemData::SetRecNo(Integer Value) {
    if (GetActive()) CheckBrowseMode();
    if (Value < 1 || Value > GetRecordCount()) return;
    DoBeforeScroll();
    UpdateCursorPos();
    Integer old = FCurRec;
    if (FIsFiltered) {
        FCurFilter = Value - 1;
        FCurRec = FFilterList[FCurFilter] - 1;
    } else {
        FCurRec = Value - 1;
    }
    if (FCurRec != old) {
        Resync({rmCenter});
        DoAfterScroll();
    }
}

// ---------------------------------------------------------------------------------------------
// Bookmarks: record ids

Integer TgxMemData::IndexOfId(Integer Id) {
    if (FIdsAscending) {
        auto it = std::lower_bound(FRecords.begin(), FRecords.end(), Id,
                                   [](const Record& r, Integer id) { return r.Id < id; });
        return it != FRecords.end() && it->Id == Id ? static_cast<Integer>(it - FRecords.begin()) : -1;
    }
    if (!FIdPositionsValid) {
        FIdPositions.assign(static_cast<size_t>(FLastRecId) + 1, -1);
        for (size_t i = 0; i < FRecords.size(); ++i) FIdPositions[FRecords[i].Id] = static_cast<Integer>(i);
        FIdPositionsValid = true;
    }
    return Id >= 0 && Id <= FLastRecId ? FIdPositions[Id] : -1;
}

void TgxMemData::RecordsMoved() {
    FIdPositionsValid = false;
    FIdsAscending = std::is_sorted(FRecords.begin(), FRecords.end(),
                                   [](const Record& a, const Record& b) { return a.Id < b.Id; });
}

void TgxMemData::InternalGotoBookmark(const void* Bookmark) {
    Integer position = IndexOfId(ReadInteger(Bookmark));
    if (position < 0) DatabaseError(SBookmarkNotFound, this);
    if (!FIsFiltered) {
        FCurRec = position;
        return;
    }
    Integer index = FilterIndexOf(position);
    if (index < 0) return;
    FCurFilter = index;
    FCurRec = position;
}

void TgxMemData::InternalSetToRecord(TRecordBuffer Buffer) {
    InternalGotoBookmark(Buffer + FMemFields->GetRecordDataSize());
}

bool TgxMemData::BookmarkValid(TBookmark Bookmark) {
    if (!Bookmark || !FCursorOpen) return false;
    Integer position = IndexOfId(ReadInteger(Bookmark));
    if (position < 0) return false;
    return !FIsFiltered || FilterIndexOf(position) >= 0;
}

Integer TgxMemData::CompareBookmarks(TBookmark Bookmark1, TBookmark Bookmark2) {
    if (!Bookmark1 && !Bookmark2) return 0;
    if (!Bookmark1) return 1;
    if (!Bookmark2) return -1;
    Integer id1 = ReadInteger(Bookmark1), id2 = ReadInteger(Bookmark2);
    if (id1 == id2) return 0;
    // Ids stay with their records, so the records' places give the order.
    Integer p1 = IndexOfId(id1), p2 = IndexOfId(id2);
    if (p1 >= 0 && p2 >= 0) return p1 > p2 ? 1 : -1;
    return id1 > id2 ? 1 : -1;
}

// ---------------------------------------------------------------------------------------------
// Storing records

void TgxMemData::ApplyAutoIncrement(Byte* Stored, const Byte* Buffer) {
    for (TgxMemField* d : FMemFields->GetAutoIncFields()) {
        Integer value = ReadInteger(Buffer + d->GetValueOffset());
        if (value > d->FMaxIncValue) {
            d->FMaxIncValue = value;
        } else {
            ++d->FMaxIncValue;
            Stored[d->GetStoredOffset()] = 1;
            WriteInteger(Stored + d->GetStoredOffset() + 1, d->FMaxIncValue);
        }
    }
}

void TgxMemData::StoreBlobs(Integer Position, const TgxMemBufferValues& Values) {
    if (Values.Blobs.empty() || Position < 0 || Position >= RecordCountStored()) return;
    Record& r = FRecords[Position];
    if (!r.Blobs) r.Blobs = std::make_unique<std::vector<TgxMemBlobData>>(Values.Blobs.size());
    *r.Blobs = Values.Blobs;
}

void TgxMemData::StoreNew(Integer Position, const Byte* Buffer, const TgxMemBufferValues& Values) {
    Record r;
    r.Block = FMemFields->Store(Buffer, Values);
    r.Id = FLastRecId + 1;
    ApplyAutoIncrement(r.Block.get(), Buffer);
    bool atEnd = Position == RecordCountStored();
    FRecords.insert(FRecords.begin() + Position, std::move(r));
    FLastRecId = FRecords[Position].Id;
    if (!atEnd) FIdsAscending = false;
    if (FIdPositionsValid) {
        if (atEnd) {
            FIdPositions.resize(static_cast<size_t>(FLastRecId) + 1, -1);
            FIdPositions[FLastRecId] = Position;
        } else {
            FIdPositionsValid = false;
        }
    }
    StoreBlobs(Position, Values);
}

void TgxMemData::InternalInsert() {
    TgxMemField* d = FRecIdField ? FMemFields->FindField(FRecIdField) : nullptr;
    if (!d) return;
    Byte* p = ActiveBuffer() + d->GetOffset();
    p[0] = 1;
    WriteInteger(p + 1, d->FMaxIncValue + 1);
}

void TgxMemData::InternalPost() {
    TDataSet::InternalPost();
    TRecordBuffer b = ActiveBuffer();
    const TgxMemBufferValues& values = ValuesOf(b);
    bool inserted = GetState() == dsInsert;
    bool sortChanged = false;
    if (inserted) {
        FCurRec = std::clamp<Integer>(FCurRec, 0, RecordCountStored());
        StoreNew(FCurRec, b, values);
        FilterInserted(FCurRec, static_cast<bool>(GetOnFilterRecord()));
    } else {
        if (FCurRec < 0 || FCurRec >= RecordCountStored()) DatabaseError(SNoRecords, this);
        Record& r = FRecords[FCurRec];
        if (FSortField) {
            TgxMemField* d = FMemFields->FindField(FSortField);
            sortChanged = d && TgxMemFields::BufferHasValue(b, d) &&
                          CompareMemValues(d->GetDataType(), TgxMemFields::StoredValue(r.Block.get(), d),
                                           TgxMemFields::BufferValue(b, values, d),
                                           FSortOptions.Contains(soCaseInsensitive)) != 0;
        }
        r.Block = FMemFields->Store(b, values);
        StoreBlobs(FCurRec, values);
    }
    if (inserted || sortChanged) KeepSortedOrder();
    FilterCurrentRecord();
    if (inserted)
        IndexesInserted();
    else
        IndexesEdited(FCurRec);
}

void TgxMemData::InternalAddRecord(TRecordBuffer Buffer, bool Append) {
    if (Append) {
        FCurRec = RecordCountStored();
        FCurFilter = static_cast<Integer>(FFilterList.size());
    }
    Integer position = RecordCountStored();
    StoreNew(position, Buffer, ValuesOf(Buffer));
    if (GetOnFilterRecord()) FFilterList.push_back(position + 1);
    IndexesDirty();
}

void TgxMemData::InternalDelete() {
    if (FCurRec < 0 || FCurRec >= RecordCountStored()) return;
    IndexesDeleted(FCurRec);
    FRecords.erase(FRecords.begin() + FCurRec);
    FIdPositionsValid = false;
    FilterDeleted(FCurRec);
    Integer count = RecordCountStored();
    if (!FIsFiltered) {
        if (FCurRec >= count) FCurRec = count - 1;
        return;
    }
    Integer visible = static_cast<Integer>(FFilterList.size());
    if (FCurFilter >= visible) FCurFilter = visible - 1;
    FCurRec = FCurFilter >= 0 ? FFilterList[FCurFilter] - 1 : -1;
}

// ---------------------------------------------------------------------------------------------
// Recomputing calculated and lookup values

void TgxMemData::InternalRefresh() {
    if (FRecords.empty()) return;
    std::vector<TField*> lookups;
    for (TField* f : *GetFields())
        if (f->GetFieldKind() == fkLookup && f->GetLookupDataSet() && f->GetLookupDataSet()->GetActive())
            lookups.push_back(f);
    if (!OnCalcFields && lookups.empty()) return;
    bool wasLoading = FLoading;
    FLoading = true;
    Integer recNo = GetRecNo();
    DisableControls();
    try {
        for (Integer n = 1; n <= GetRecordCount(); ++n) {
            SetRecNo(n);
            Edit();
            DoOnCalcFields();
            for (TField* f : lookups)
                f->SetAsVariant(f->GetLookupDataSet()->Lookup(f->GetLookupKeyFields(), GetFieldValue(f->GetKeyFields()),
                                                              f->GetLookupResultField()));
            Post();
        }
        SetRecNo(recNo);
    } catch (...) {
        if (GetState() == dsEdit) Cancel();
        EnableControls();
        FLoading = wasLoading;
        throw;
    }
    EnableControls();
    FLoading = wasLoading;
}
