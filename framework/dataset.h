#pragma once
// TDataSet: a cursor over records with a window of record buffers, a state machine (browse, edit,
// insert ...), field components, bookmarks and notifications to data sources and data links.
//
// A concrete dataset implements the protected contract: it lays out and fills record buffers
// (AllocRecordBuffer, GetRecord, GetFieldData / SetFieldData, the bookmark data and flags) and
// performs the Internal* operations on its storage. TDataSet does the rest: it keeps a window of
// BufferCount records around the active record, runs the state machine and its events, computes
// calculated and lookup fields after every fetch and tells the data links what changed.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/db_types.h"
#include "framework/fields.h"
#include "framework/variant.h"

class TList;
class TStream;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TDataSetErrorEvent = std::function<void(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;

enum TFilterOption : int { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;

class TDataSet : public TComponent {
    LUMORA_CLASS(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* AOwner);
    // A descendant closes itself in its own destructor: the storage operations it implements
    // cannot run from here. Whatever is still open is dropped without events.
    ~TDataSet() override;

    // Opening and closing.
    bool GetActive() const { return FState != dsInactive; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState GetState() const { return FState; }

    // Navigation. MoveBy answers the number of records actually moved (negative backwards).
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    Integer MoveBy(Integer Distance);
    bool GetBOF() const { return FBOF; }
    bool GetEOF() const { return FEOF; }
    bool IsEmpty() const { return GetActive() && FRecordCount == 0; }
    virtual Integer GetRecNo();
    virtual void SetRecNo(Integer Value);
    virtual Integer GetRecordCount();
    virtual bool IsSequenced() { return true; }
    virtual bool GetCanModify() { return true; }
    bool GetModified() const { return FModified; }

    // Editing.
    void Insert();
    void Append();
    void Edit();
    virtual void Post();
    virtual void Cancel();
    void Delete();
    // Adds a record with the given values (in field order; Null or Empty leave a field null).
    void InsertRecord(const std::vector<Variant>& Values);
    void AppendRecord(const std::vector<Variant>& Values);
    void SetFields(const std::vector<Variant>& Values);
    void ClearFields();
    void Refresh();
    // Posts pending changes when the record was modified, else cancels them.
    void CheckBrowseMode();
    // Asks the data links to write their pending edits into the record.
    void UpdateRecord();
    void CheckActive();
    void CheckInactive();
    void CheckCanModify();

    // Controls. While disabled the data links hear nothing; re-enabling sends one data-set change
    // (a layout change when one came meanwhile) and the state change when the state differs.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount != 0; }

    // Bookmarks.
    TBookmarkStr GetBookmarkStr();
    void SetBookmarkStr(const TBookmarkStr& Value);
    TBookmark GetBookmark();
    void GotoBookmark(TBookmark Bookmark);
    void FreeBookmark(TBookmark Bookmark);
    virtual bool BookmarkValid(TBookmark Bookmark);
    virtual Integer CompareBookmarks(TBookmark Bookmark1, TBookmark Bookmark2);
    Integer GetBookmarkSize() const { return FBookmarkSize; }

    // Searching. KeyFields names one field or several separated by ";" (then KeyValues is a
    // Variant array). The base class scans the records in order.
    virtual bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options);
    virtual Variant Lookup(const std::string& KeyFields, const Variant& KeyValues,
                           const std::string& ResultFields);

    // Fields.
    TFields* GetFields() const { return FFields.get(); }
    Integer GetFieldCount() const { return FFields->Count(); }
    TFieldDefs* GetFieldDefs() const { return FFieldDefs.get(); }
    TField* FieldByName(const std::string& FieldName) const;
    TField* FindField(const std::string& FieldName) const;
    TField* FieldByNumber(Integer FieldNo) const;
    // Adds the fields named in FieldNames ("a;b"); a name that is not a field raises.
    void GetFieldList(std::vector<TField*>& List, const std::string& FieldNames) const;
    void GetFieldList(TList* List, const std::string& FieldNames) const;
    void GetFieldNames(std::vector<std::string>& List) const;
    Variant GetFieldValue(const std::string& FieldName);
    void SetFieldValue(const std::string& FieldName, const Variant& Value);
    bool GetDefaultFields() const { return FDefaultFields; }
    bool GetAutoCalcFields() const { return FAutoCalcFields; }
    void SetAutoCalcFields(bool Value) { FAutoCalcFields = Value; }

    // Filter text and switch are stored for the dataset and its handlers to read.
    const std::string& GetFilter() const { return FFilterText; }
    void SetFilter(const std::string& Value) { SetFilterText(Value); }
    bool GetFiltered() const { return FFiltered; }
    TFilterOptions GetFilterOptions() const { return FFilterOptions; }
    void SetFilterOptions(TFilterOptions Value) { FFilterOptions = Value; }
    virtual void SetFiltered(bool Value);
    virtual void SetFilterText(const std::string& Value);
    const TFilterRecordEvent& GetOnFilterRecord() const { return FOnFilterRecord; }
    virtual void SetOnFilterRecord(const TFilterRecordEvent& Value);

    // Blobs. The caller frees the stream. The base class has none.
    virtual TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode);
    // Copies the active record's data block; false when there is no current record.
    virtual bool GetCurrentRecord(TRecordBuffer Buffer);

    // Cursor and buffer window.
    void UpdateCursorPos();
    void CursorPosChanged() { FCurrentRecord = -1; }
    virtual void Resync(TResyncModes Mode);
    // Sends a notification to the data sources (and through them to the data links).
    virtual void DataEvent(TDataEvent Event, intptr_t Info);

    // Field data (the contract; public because fields and blob streams call it).
    virtual bool GetFieldData(TField* Field, void* Buffer);
    virtual bool GetFieldData(TField* Field, void* Buffer, bool NativeFormat);
    virtual void SetFieldData(TField* Field, const void* Buffer);
    virtual void SetFieldData(TField* Field, const void* Buffer, bool NativeFormat);
    // Converts between the dataset's native form of a value and the field's own form.
    virtual void DataConvert(TField* Field, const void* Source, void* Dest, bool ToNative);
    virtual TFieldClass GetFieldClass(TFieldType FieldType);
    // Closes what a blob stream changed in the current record (after Post or Cancel).
    virtual void CloseBlob(TField* Field) {}

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;
    TDataSetErrorEvent OnDeleteError, OnEditError, OnPostError;

    // Opening inside a loading bracket waits for Loaded.
    void Loaded() override;

protected:
    // ---- record buffers ----
    virtual TRecordBuffer AllocRecordBuffer() { return nullptr; }
    virtual void FreeRecordBuffer(TRecordBuffer& Buffer) { Buffer = nullptr; }
    virtual void InternalInitRecord(TRecordBuffer Buffer) {}
    virtual Integer GetRecordSize() { return 0; }
    // Fetches the current, next or prior record into Buffer. DoCheck asks for an error to be
    // raised instead of answering grError.
    virtual TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) { return grError; }
    virtual void InitRecord(TRecordBuffer Buffer);
    virtual void ClearCalcFields(TRecordBuffer Buffer) {}

    // ---- bookmarks held in record buffers ----
    virtual void GetBookmarkData(TRecordBuffer Buffer, void* Data) {}
    virtual void SetBookmarkData(TRecordBuffer Buffer, const void* Data) {}
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) { return bfCurrent; }
    virtual void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) {}
    void SetBookmarkSize(Integer Value) { FBookmarkSize = Value; }

    // ---- operations on the storage ----
    virtual void InternalOpen() {}
    virtual void InternalClose() {}
    virtual bool IsCursorOpen() { return false; }
    virtual void InternalInitFieldDefs() {}
    virtual void InternalFirst() {}
    virtual void InternalLast() {}
    virtual void InternalGotoBookmark(const void* Bookmark) {}
    virtual void InternalSetToRecord(TRecordBuffer Buffer) {}
    virtual void InternalInsert() {}
    virtual void InternalEdit() {}
    virtual void InternalCancel() {}
    // The base class checks the required fields.
    virtual void InternalPost();
    virtual void InternalAddRecord(TRecordBuffer Buffer, bool Append) {}
    virtual void InternalDelete() {}
    virtual void InternalRefresh() {}
    virtual void InternalHandleException();

    // ---- fields ----
    void InitFieldDefs();
    // Creates a field for every definition that has none (the default-fields case).
    virtual void CreateFields();
    // Binds the fields to the definitions: field numbers, calculated-area offsets, blob numbers.
    virtual void BindFields(bool Binding);
    virtual void DestroyFields();
    void SetDefaultFields(bool Value) { FDefaultFields = Value; }
    Integer GetCalcFieldsSize() const { return FCalcFieldsSize; }
    Integer GetBlobFieldCount() const { return FBlobFieldCount; }
    void CheckRequiredFields();
    void FreeFieldBuffers();
    // Computes calculated and lookup fields for Buffer in the dsCalcFields state (after every
    // fetch and when editing starts).
    void GetCalcFields(TRecordBuffer Buffer);
    // Clears the calculated fields of Buffer (ClearCalcFields), gives the lookup fields their
    // values and runs OnCalcFields, in the current state. A change of a data field while
    // editing runs it on the active buffer.
    virtual void CalculateFields(TRecordBuffer Buffer);
    void CalcLookupValue(TField* Field);

    // ---- buffer window ----
    TRecordBuffer ActiveBuffer() const { return FBuffers.empty() ? nullptr : FBuffers[FActiveRecord]; }
    TRecordBuffer CalcBuffer() const { return FCalcBuffer; }
    TRecordBuffer GetBuffer(Integer Index) const { return FBuffers[Index]; }
    Integer GetBufferCount() const { return FBufferCount; }
    // Number of records in the window, the active one and the one the cursor stands on.
    Integer GetBufferRecordCount() const { return FRecordCount; }
    Integer GetActiveRecord() const { return FActiveRecord; }
    Integer GetCurrentRecordIndex() const { return FCurrentRecord; }
    virtual void ClearBuffers();
    void SetCurrentRecord(Integer Index);
    bool GetNextRecord();
    bool GetPriorRecord();
    Integer GetNextRecords();
    Integer GetPriorRecords();
    void UpdateBufferCount();

    // ---- state ----
    void SetState(TDataSetState Value);
    // Switches the state without telling anyone (and with the controls disabled); answers the
    // state to give back to RestoreState.
    TDataSetState SetTempState(TDataSetState Value);
    void RestoreState(TDataSetState Value);
    void SetModified(bool Value) { FModified = Value; }
    void SetBOF(bool Value) { FBOF = Value; }
    void SetEOF(bool Value) { FEOF = Value; }

    virtual void DoBeforeOpen();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoAfterClose();
    virtual void DoBeforeInsert();
    virtual void DoAfterInsert();
    virtual void DoBeforeEdit();
    virtual void DoAfterEdit();
    virtual void DoBeforePost();
    virtual void DoAfterPost();
    virtual void DoBeforeCancel();
    virtual void DoAfterCancel();
    virtual void DoBeforeDelete();
    virtual void DoAfterDelete();
    virtual void DoBeforeScroll();
    virtual void DoAfterScroll();
    virtual void DoOnNewRecord();
    virtual void DoOnCalcFields();

private:
    friend class TDataSource;
    friend class TDataLink;
    friend class TField;
    friend class TFields;
    friend class TFieldDefs;

    void OpenCursor();
    void CloseCursor();
    void SetBufListSize(Integer Value);
    void MoveBuffer(Integer CurIndex, Integer NewIndex);
    void ActivateBuffers();
    TGetResult FetchRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck);
    bool BookmarkAvailable();
    void BeginInsertAppend();
    void EndInsertAppend();
    void PrepareInsertBuffer(bool Append);
    void InsertAppend(bool Append);
    void InsertAppendRecord(const std::vector<Variant>& Values, bool Append);
    void CheckOperation(const std::function<void()>& Operation, const TDataSetErrorEvent& ErrorEvent);
    void SetActiveRecord(Integer Index) { FActiveRecord = Index; }
    void AddDataSource(TDataSource* DataSource);
    void RemoveDataSource(TDataSource* DataSource);
    void ShiftLinks(Integer Distance);
    Integer DesiredBufferCount() const;
    void SetBufferCount(Integer Value);
    bool LocateRecord(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options,
                      bool SyncCursor);

    TDataSetState FState = dsInactive;
    bool FBOF = true;
    bool FEOF = true;
    bool FModified = false;
    bool FStreamedActive = false;
    bool FDefaultFields = false;
    bool FInternalOpenComplete = false;
    bool FAutoCalcFields = true;
    Integer FDisableCount = 0;
    TDataSetState FDisableState = dsInactive;
    TDataEvent FEnableEvent = deDataSetChange;

    std::vector<TRecordBuffer> FBuffers;
    Integer FBufferCount = 0;
    Integer FRecordCount = 0;
    Integer FActiveRecord = 0;
    Integer FCurrentRecord = -1;
    TRecordBuffer FCalcBuffer = nullptr;
    Integer FBookmarkSize = 0;
    Integer FCalcFieldsSize = 0;
    Integer FCalcFieldCount = 0;
    Integer FBlobFieldCount = 0;

    std::unique_ptr<TFields> FFields;
    std::unique_ptr<TFieldDefs> FFieldDefs;
    std::vector<TDataSource*> FDataSources;

    std::string FFilterText;
    bool FFiltered = false;
    TFilterOptions FFilterOptions;
    TFilterRecordEvent FOnFilterRecord;
};
