#pragma once
// TgxMemData: a dataset that keeps all its records in memory, with no file and no server behind
// it. It implements the dataset's record-buffer contract, so data sources, data-aware controls
// and program code use it through the ordinary dataset operations.
//
// Records. Every non-blob field has a descriptor (TgxMemField) that places it in a record
// buffer: a null byte (1 = has a value) followed by the value in the field's native form, the
// fields one after the other in field order. After the fields a buffer holds the record id (the
// 4-byte bookmark) and the bookmark flag; wide strings and blob values are held beside the
// buffer. A stored record is one block per record: the fixed-size values at fixed offsets and
// the texts packed behind them, so a record takes the room its texts need rather than the
// fields' full sizes.
//
// Record ids. Each stored record gets the next id (1, 2, 3 ... after every open) and keeps it for
// life, wherever it is inserted, sorted or moved to: a bookmark always names its own record.
//
// The hidden field "RecId" (a calculated TIntegerField, first of all fields and invisible)
// numbers the records 1, 2, 3 ... in the order they are stored. It and every ftAutoInc field
// count up from the highest value stored since the table opened; explicit values are kept as
// long as they rise.
//
// Reading side: the visible records are all records in position order, or, once OnFilterRecord
// rejected some, those whose numbers stand in the filter list. The table can be kept sorted by
// one field (SortedField, SortOptions) and searched with Locate, Lookup and LocateByFieldValue;
// index items (Indexes) keep further orders for Locate.

#include <memory>
#include <string>
#include <vector>

#include "framework/collection.h"
#include "framework/dataset.h"
#include "framework/stream.h"

class TgxMemData;
class TgxMemFields;
class TgxMemIndexes;

enum TgxSortOption : int { soDesc, soCaseInsensitive };
using TgxSortOptions = TSet<TgxSortOption>;

// A blob value, shared between a stored record and the buffers that show it until one of them
// changes it (nullptr is the empty value).
using TgxMemBlobData = std::shared_ptr<const std::string>;

// A value as the comparisons see it: the native bytes of a fixed-size value, or the bytes of a
// text (without its terminator).
struct TgxMemValue {
    const Byte* Data = nullptr;
    size_t Size = 0;
};

// Compares two values of a field type: -1, 0 or 1. Texts compare by character codes (with
// CaseInsensitive the letters a..z as A..Z); wide strings by the collation, numbers and dates
// by value, BCD values as decimals; other types are equal.
int CompareMemValues(TFieldType Type, TgxMemValue A, TgxMemValue B, bool CaseInsensitive);

// ---------------------------------------------------------------------------------------------
// Field descriptors.

class TgxMemField {
public:
    TgxMemField(TgxMemFields* Owner, TField* Field, Integer Index);

    TField* GetField() const { return FField; }
    TFieldType GetDataType() const { return FDataType; }
    // Bytes of the value in a record buffer.
    Integer GetDataSize() const { return FDataSize; }
    // The null byte in a record buffer; the value follows it.
    Integer GetOffset() const { return FOffset; }
    Integer GetValueOffset() const { return FOffset + 1; }
    // The null byte in a stored record.
    Integer GetStoredOffset() const { return FStoredOffset; }
    Integer GetMaxIncValue() const { return FMaxIncValue; }
    Integer GetIndex() const { return FIndex; }
    TgxMemFields* GetOwner() const { return FOwner; }
    bool GetIsRecId() const { return FIsRecId; }
    bool GetAutoIncrement() const { return FAutoIncrement; }
    bool GetIsWideString() const { return FIsWideString; }
    // Texts are held packed in a stored record.
    bool GetIsText() const { return FDataType == ftString || FDataType == ftWideString; }

private:
    friend class TgxMemFields;
    friend class TgxMemData;

    TgxMemFields* FOwner;
    TField* FField;
    TFieldType FDataType;
    Integer FDataSize;
    Integer FIndex;
    Integer FOffset = 0;
    Integer FStoredOffset = 0;
    Integer FWideIndex = -1;
    Integer FMaxIncValue = 0;
    bool FIsRecId = false;
    bool FAutoIncrement = false;
    bool FIsWideString = false;
};

// The wide strings and blob values of one record buffer, held beside its bytes.
struct TgxMemBufferValues {
    std::vector<std::string> Wide;
    std::vector<TgxMemBlobData> Blobs;
};

// The descriptors of one open table and the layouts they define.
class TgxMemFields {
public:
    explicit TgxMemFields(TgxMemData* DataSet) : FDataSet(DataSet) {}

    TgxMemData* GetDataSet() const { return FDataSet; }
    Integer GetCount() const { return static_cast<Integer>(FItems.size()); }
    TgxMemField* GetItem(Integer Index) const { return FItems[Index].get(); }
    // The descriptor of a field, nullptr for blob fields and fields without one.
    TgxMemField* FindField(const TField* Field) const {
        size_t no = static_cast<size_t>(Field->GetFieldNo());
        if (no < FByFieldNo.size() && FByFieldNo[no] && FByFieldNo[no]->FField == Field) return FByFieldNo[no];
        return FindOther(Field);
    }
    // The calculated (not lookup) fields, in field order.
    const std::vector<TField*>& GetCalcFields() const { return FCalcFields; }
    const std::vector<TgxMemField*>& GetAutoIncFields() const { return FAutoIncFields; }
    Integer GetWideStringCount() const { return static_cast<Integer>(FWideFields.size()); }
    // Sum over the descriptors of (data size + 1).
    Integer GetRecordDataSize() const { return FRecordDataSize; }

    // The descriptor of Field appended at the end of the layouts.
    TgxMemField* Add(TField* Field);
    void AddCalcField(TField* Field) { FCalcFields.push_back(Field); }
    // Looks the descriptors up by field number again (after the fields are bound).
    void IndexFieldNumbers();
    void Clear();

    // ---- stored records ----
    // The stored form of a record buffer: one block.
    std::unique_ptr<Byte[]> Store(const Byte* Buffer, const TgxMemBufferValues& Values) const;
    // Fills a record buffer from a stored record.
    void Fetch(const Byte* Stored, Byte* Buffer, TgxMemBufferValues& Values) const;
    // Gives every field of a record buffer the value a zero-filled buffer has (texts are
    // cleared by their first byte).
    void Clear(Byte* Buffer) const;
    static bool StoredHasValue(const Byte* Stored, const TgxMemField* F) { return Stored[F->FStoredOffset] != 0; }
    static TgxMemValue StoredValue(const Byte* Stored, const TgxMemField* F);
    static bool BufferHasValue(const Byte* Buffer, const TgxMemField* F) { return Buffer[F->FOffset] != 0; }
    static TgxMemValue BufferValue(const Byte* Buffer, const TgxMemBufferValues& Values, const TgxMemField* F);
    // Copies a value into a field's data buffer (a std::string for wide strings).
    static void CopyValue(const TgxMemField* F, TgxMemValue Value, void* Dest);

private:
    TgxMemField* FindOther(const TField* Field) const;

    // A run of fixed-size values that lie together in both layouts.
    struct Span {
        Integer Buffer, Stored, Size;
    };

    TgxMemData* FDataSet;
    std::vector<std::unique_ptr<TgxMemField>> FItems;
    std::vector<TgxMemField*> FByFieldNo;  // data fields by FieldNo
    std::vector<TField*> FCalcFields;
    std::vector<TgxMemField*> FAutoIncFields;
    std::vector<TgxMemField*> FWideFields;
    std::vector<TgxMemField*> FTextFields;
    std::vector<Span> FSpans;
    Integer FRecordDataSize = 0;
    Integer FStoredFixedSize = 0;
};

// ---------------------------------------------------------------------------------------------
// Index items: further orders of the table by one field each, used by Locate.

class TgxMemIndex : public TCollectionItem {
    LUMORA_CLASS(TgxMemIndex, TCollectionItem)
public:
    explicit TgxMemIndex(TCollection* Collection);

    const std::string& GetFieldName() const { return FFieldName; }
    // A name that differs (without regard to case) binds the item to that field of the table
    // ("Field '%s' not found" when there is none) and puts it out of date.
    void SetFieldName(const std::string& Value);
    TField* GetField() const { return FField; }
    bool GetIsDirty() const { return FIsDirty; }
    // The table positions of the records, ordered by the field (ascending); rebuilt first when
    // out of date.
    const std::vector<Integer>& GetPositions();

    void Assign(TPersistent* Source) override;
    std::string GetDisplayName() override;

private:
    friend class TgxMemData;
    TgxMemData* GetMemData() const;
    void SetDirty();
    void Bind(TField* Field);

    std::string FFieldName;
    TField* FField = nullptr;
    bool FIsDirty = true;
    std::vector<Integer> FPositions;
};

class TgxMemIndexes : public TCollection {
    LUMORA_CLASS(TgxMemIndexes, TCollection)
public:
    explicit TgxMemIndexes(TgxMemData* Owner = nullptr);
    TgxMemIndex* GetItem(int Index) const { return static_cast<TgxMemIndex*>(TCollection::GetItem(Index)); }
    TgxMemIndex* Add() { return static_cast<TgxMemIndex*>(TCollection::Add()); }
    TgxMemData* GetMemData() const { return FMemData; }

private:
    TgxMemData* FMemData;
};

// ---------------------------------------------------------------------------------------------
// The table.

class TgxMemData : public TDataSet {
    LUMORA_CLASS(TgxMemData, TDataSet)
public:
    explicit TgxMemData(TComponent* AOwner);
    ~TgxMemData() override;

    // The hidden field takes the table's name followed by "RecId".
    void SetName(const std::string& NewName) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TgxMemIndexes* GetIndexes() const { return FIndexes.get(); }
    // Copies the items of Value.
    void SetIndexes(TgxMemIndexes* Value);
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    TgxSortOptions GetSortOptions() const { return FSortOptions; }
    void SetSortOptions(TgxSortOptions Value);
    const std::string& GetSortedField() const { return FSortedFieldName; }
    void SetSortedField(const std::string& Value);

    TIntegerField* GetRecIdField() const { return FRecIdField; }
    // The layout of the open table (empty while closed).
    TgxMemFields* GetMemFields() const { return FMemFields.get(); }
    // Record data size + 5: the field values, the record id and the bookmark flag.
    Integer GetRecordBufferSize() const { return FMemFields->GetRecordDataSize() + 5; }
    // Set while the table loads or recomputes its records: the table's open, close, insert and
    // post events are quiet, a read-only table takes records and no sorted order is kept.
    bool GetIsLoading() const { return FLoading; }
    // The field the table is sorted by while it is open and sorted, else nullptr.
    TField* GetSortField() const { return FSortField; }
    // Whether navigation goes through the filter list.
    bool GetIsFiltered() const { return FIsFiltered; }
    // The 1-based record numbers that OnFilterRecord accepted, ascending.
    const std::vector<Integer>& GetFilterList() const { return FFilterList; }

    // Tests the current record with OnFilterRecord (after a post); a rejected record leaves the
    // filter list.
    virtual void FilterCurrentRecord();
    // 1-based position of the first stored record (filter or not) whose field equals Value,
    // converted by the field as an insert would; -1 when none or there is no such field.
    virtual Integer LocateByFieldValue(const Variant& Value, const std::string& FieldName);
    virtual bool SupportedFieldType(TFieldType AType);
    // Rebuilds the filter list with OnFilterRecord.
    virtual void UpdateFilters();

    Integer GetRecNo() override;
    void SetRecNo(Integer Value) override;
    Integer GetRecordCount() override;
    bool GetCanModify() override;
    bool BookmarkValid(TBookmark Bookmark) override;
    Integer CompareBookmarks(TBookmark Bookmark1, TBookmark Bookmark2) override;
    bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) override;
    Variant Lookup(const std::string& KeyFields, const Variant& KeyValues, const std::string& ResultFields) override;
    void SetOnFilterRecord(const TFilterRecordEvent& Value) override;
    bool GetCurrentRecord(TRecordBuffer Buffer) override;

    bool GetFieldData(TField* Field, void* Buffer) override;
    using TDataSet::GetFieldData;
    void SetFieldData(TField* Field, const void* Buffer) override;
    using TDataSet::SetFieldData;

    // Blob values are read and written through a TMemBlobStream (mem_data_blob.cpp).
    TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode) override;
    void CloseBlob(TField* Field) override;

    // The table as text (mem_data_text.cpp): a header line of the data fields' names (not
    // calculated, lookup or blob fields) and one line per visible record of their edit texts,
    // separated by TAB, with CR LF line ends and no quoting. Saving replaces the file as a whole;
    // loading replaces the table's records (columns named for no such field are skipped, empty
    // values leave a field null). A load that fails keeps the records read so far.
    virtual void SaveToTextFile(const std::string& FileName);
    virtual void LoadFromTextFile(const std::string& FileName);

protected:
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& Buffer) override;
    void InternalInitRecord(TRecordBuffer Buffer) override;
    Integer GetRecordSize() override { return FMemFields->GetRecordDataSize(); }
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
    void ClearCalcFields(TRecordBuffer Buffer) override;
    void CalculateFields(TRecordBuffer Buffer) override;

    void GetBookmarkData(TRecordBuffer Buffer, void* Data) override;
    void SetBookmarkData(TRecordBuffer Buffer, const void* Data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override;
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;

    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() override { return FCursorOpen; }
    void InternalInitFieldDefs() override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalGotoBookmark(const void* Bookmark) override;
    void InternalSetToRecord(TRecordBuffer Buffer) override;
    void InternalInsert() override;
    void InternalPost() override;
    void InternalAddRecord(TRecordBuffer Buffer, bool Append) override;
    void InternalDelete() override;
    void InternalRefresh() override;
    // Frees the fields the table made itself; the hidden field stays.
    void DestroyFields() override;

    void DoBeforeOpen() override;
    void DoAfterOpen() override;
    void DoBeforeClose() override;
    void DoAfterClose() override;
    void DoBeforeInsert() override;
    void DoAfterInsert() override;
    void DoBeforePost() override;
    void DoAfterPost() override;
    void DoAfterCancel() override;
    void DoOnNewRecord() override;

    // Sorts the stored records by SortedField (when the table is open and not loading).
    void SortRecords();
    // Sets or clears the loading state (see GetIsLoading).
    void SetLoading(bool Value) { FLoading = Value; }

private:
    friend class TgxMemIndex;
    friend class TMemBlobStream;

    // One stored record: its block, its id and its blob values (nullptr until it has any).
    struct Record {
        std::unique_ptr<Byte[]> Block;
        std::unique_ptr<std::vector<TgxMemBlobData>> Blobs;
        Integer Id = 0;
    };
    // How Locate compares a key with a field's values.
    struct KeyMatch;

    Integer RecordCountStored() const { return static_cast<Integer>(FRecords.size()); }
    TgxMemBufferValues& ValuesOf(TRecordBuffer Buffer) const;
    // The buffer field access works on in the current state, nullptr for none.
    TRecordBuffer StateBuffer() const;
    bool ReadStored(const Record& R, TField* Field, void* Dest) const;
    void FetchInto(const Record& R, TRecordBuffer Buffer);
    Integer IndexOfId(Integer Id);
    void RecordsMoved();
    void ApplyAutoIncrement(Byte* Stored, const Byte* Buffer);
    void StoreBlobs(Integer Position, const TgxMemBufferValues& Values);
    void StoreNew(Integer Position, const Byte* Buffer, const TgxMemBufferValues& Values);
    // The filter list as records come and go at Position.
    void FilterInserted(Integer Position, bool Enter);
    void FilterDeleted(Integer Position);
    Integer FilterIndexOf(Integer Position) const;
    // Whether the record at Position is visible (accepted by the filter, if one is set).
    bool PositionVisible(Integer Position) const;
    void MoveRecord(Integer From, Integer To);
    void KeepSortedOrder();
    void IndexesInserted();
    void IndexesEdited(Integer Position);
    void IndexesDeleted(Integer Position);
    void IndexesDirty();
    void RebindIndexes();
    void BuildIndex(TgxMemIndex* Index);
    bool CallFilter(Integer Position);
    // The table position of the first visible record matching the key, -1 for none.
    Integer FindRecord(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options);
    Integer FindOne(TField* Field, const Variant& Key, TLocateOptions Options);
    Integer FindMany(const std::vector<TField*>& Fields, const Variant& KeyValues, TLocateOptions Options);
    // The key in the field's terms; false when it can match nothing.
    bool MakeKey(TgxMemField* Field, const Variant& Value, TLocateOptions Options, KeyMatch& Key);
    Integer ScanVisible(const KeyMatch& Key) const;
    // The table position of the first record in Order whose value does not come before the key.
    Integer LowerBound(const std::vector<Integer>* Order, bool Descending, const KeyMatch& Key);
    void GotoPosition(Integer Position);
    Variant StoredVariant(const Record& R, TField* Field) const;
    bool IsOnlyRecIdField() const;

    TIntegerField* FRecIdField = nullptr;
    std::unique_ptr<TgxMemFields> FMemFields;
    std::unique_ptr<TgxMemIndexes> FIndexes;
    std::vector<Record> FRecords;
    std::vector<Integer> FFilterList;
    // Position of each record id while the ids do not ascend with the positions.
    std::vector<Integer> FIdPositions;
    bool FIdsAscending = true;
    bool FIdPositionsValid = false;
    Integer FLastRecId = 0;
    Integer FCurRec = -1;
    Integer FCurFilter = -1;
    bool FIsFiltered = false;
    bool FLoading = false;
    bool FReadOnly = false;
    bool FCursorOpen = false;
    bool FDestroying = false;
    // Calculated or lookup fields besides the hidden one.
    bool FHasCalcFields = false;
    TgxSortOptions FSortOptions;
    std::string FSortedFieldName;
    TField* FSortField = nullptr;
    Integer FExtraOffset = 0;
    // While OnFilterRecord runs: the record it sees.
    Integer FFilterRecord = -1;
    // While Lookup runs, Locate reports the position it found instead of moving there.
    bool FInLookup = false;
    Integer FLookupPosition = -1;
};

// ---------------------------------------------------------------------------------------------
// The stream on one blob value of a TgxMemData record (mem_data_blob.cpp). It works on the record
// buffer the table uses in its state; writes need the active buffer in edit or insert state and
// reach the stored record when it is posted. Positions outside the value read and write nothing
// below 0; a write past the end fills the gap with zero bytes.

class TMemBlobStream : public TStream {
    LUMORA_CLASS(TMemBlobStream, TStream)
public:
    // Raises "Field '%s' cannot be modified" or "Dataset not in edit or insert mode" when a
    // stream for writing cannot write; bmWrite empties the value at once.
    TMemBlobStream(TBlobField* Field, TBlobStreamMode Mode);
    // A changed value flags the field modified and tells the table's data links.
    ~TMemBlobStream() override;

    Int64 Read(void* Buffer, Int64 Count) override;
    Int64 Write(const void* Buffer, Int64 Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;

private:
    // The value the stream reads (nullptr: empty).
    TgxMemBlobData Value() const;
    size_t BlobIndex() const { return static_cast<size_t>(FField->GetOffset()); }

    TBlobField* FField;
    TgxMemData* FDataSet;
    TRecordBuffer FBuffer = nullptr;
    TBlobStreamMode FMode;
    bool FOpened = false;
    bool FModified = false;
    bool FCached = false;
    Int64 FPosition = 0;
};
