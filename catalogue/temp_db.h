#pragma once
// The data module that holds the program's two file tables: memMode3, the listed folder's files,
// and memMode4, the open bookmark list's entries, each with its data source. It lives from
// start-up to shutdown; the file grid shows one of the tables at a time and a row's "KeyID" is
// the program's one identity for a file on screen.
//
// Both tables have the same fields in the same order: "KeyID" (auto-increment), "FileID",
// "Filename" (255 characters, a whole Linux name), "PathID", "Path" (4096, a whole Linux path,
// with a trailing "/"), "OriginalExtension" (5: ".TARGA" is kept as ".TARG"), "LMFileType"
// (the stored kind code), "FileDate" (local last-write time in whole seconds, 0 for a missing
// file), "FileSize" (64-bit; -9 for a missing file) and "StorageMethod". Files on disk carry -5
// in FileID, PathID and StorageMethod.
//
// Everything here runs on the user-interface thread.

#include <functional>
#include <string>

#include "framework/data_module.h"
#include "framework/date_time.h"
#include "framework/file_utils.h"

class TAutoIncField;
class TDataSet;
class TDataSource;
class TDateTimeField;
class TField;
class TIntegerField;
class TLargeintField;
class TStringField;
class TgxMemData;

// What the delete events need of the file grid: its focused node, the displayed node next to it,
// the top row and finding a node by its key. The file grid provides it; without one a delete
// keeps no position.
class TFileGridPosition {
public:
    virtual ~TFileGridPosition() = default;
    // The key value, as text, of the displayed node after the focused one, else of the one before
    // it; false when nothing is focused or the focused node has no neighbour.
    virtual bool NeighbourOfFocused(std::string& KeyText) = 0;
    virtual Integer GetTopIndex() = 0;
    virtual void SetTopIndex(Integer Value) = 0;
    // Selects and focuses the first leaf whose key value is KeyText; false when there is none.
    virtual bool FocusNodeByKey(const std::string& KeyText) = 0;
};

// What the data module reaches outside the catalogue; the program installs the main window's.
// Each hook may be empty (then: browse mode 0, nothing ignored, hidden and system files off,
// nothing else done).
struct TTempDBHooks {
    // The browse mode in force: 3 folders, 4 bookmarks.
    std::function<Integer()> BrowseMode;
    // frmMain->IgnoreFileType on the upper-cased name.
    std::function<bool(const std::string& UpperName)> IgnoreFileType;
    // The settings "ShowHiddenFiles" and "ShowSystemFiles".
    std::function<bool()> ShowHiddenFiles;
    std::function<bool()> ShowSystemFiles;
    // Handles the pending window messages once, with the main window's message flag set.
    std::function<void()> ProcessMessages;
    // Filled by the file-list controller (TLMFileList2::ConnectTempDB): its bulk update opened, and
    // closed with a refresh and drawing unblocked; going to its first item after the position of
    // a delete is lost.
    std::function<void()> BeginBulkUpdate;
    std::function<void()> EndBulkUpdate;
    std::function<void()> GotoFirstForced;
};

class TdmTempDB : public TDataModule {
    LUMORA_CLASS(TdmTempDB, TDataModule)
public:
    explicit TdmTempDB(TComponent* AOwner);
    ~TdmTempDB() override;

    // ---- Components ------------------------------------------------------------------------
    TgxMemData* memMode3 = nullptr;
    TgxMemData* memMode4 = nullptr;
    TDataSource* dscMode3 = nullptr;
    TDataSource* dscmode4 = nullptr;
    TAutoIncField* memMode3KeyID = nullptr;
    TIntegerField* memMode3FileID = nullptr;
    TStringField* memMode3FileName = nullptr;
    TIntegerField* memMode3PathID = nullptr;
    TStringField* memMode3Path = nullptr;
    TStringField* memMode3OriginalExtension = nullptr;
    TIntegerField* memMode3LMFileType = nullptr;
    TDateTimeField* memMode3FileDate = nullptr;
    TLargeintField* memMode3FileSize = nullptr;
    TIntegerField* memMode3StorageMethod = nullptr;
    TAutoIncField* memMode4KeyID = nullptr;
    TIntegerField* memMode4FileID = nullptr;
    TStringField* memMode4Filename = nullptr;
    TIntegerField* memMode4PathID = nullptr;
    TStringField* memMode4Path = nullptr;
    TStringField* memMode4OriginalExtension = nullptr;
    TIntegerField* memMode4LMFileType = nullptr;
    TDateTimeField* memMode4FileDate = nullptr;
    TLargeintField* memMode4FileSize = nullptr;
    TIntegerField* memMode4StorageMethod = nullptr;

    TTempDBHooks Hooks;
    // The file grid (nullptr while there is none).
    TFileGridPosition* FileGrid = nullptr;

    // ---- Tables and lookups ----------------------------------------------------------------
    // memMode3 for 3, memMode4 for 4, else Default.
    TDataSet* GetTableForMode(Integer Mode, TDataSet* Default);
    // "KeyID" of the current row of that mode's table; Default for other modes and empty tables.
    Integer GetCurrentKeyID(Integer Mode, Integer Default);
    // Makes the row with that key current; no search when the current row of one of the two
    // tables already has it. False on any failure.
    bool LocateKeyID(TDataSet* Table, Integer KeyID);
    // Makes current the row with the file's name and folder (compared exactly); false on failure.
    bool LocateFile(TDataSet* Table, const std::string& FullName);
    // In browse mode 3 or 4 the "KeyID" of the file's row in that mode's table, -1 when absent;
    // 0 in any other mode.
    Integer FindKeyIDOfFile(const std::string& FullName);
    bool DeleteRecordByKeyID(TDataSet* Table, Integer KeyID);
    // Closes and reopens the table, which empties it.
    bool ReopenTable(TDataSet* Table);
    // Moves the row KeyID of the mode's table to NewPath + NewName (an empty part keeps the row's
    // own). A row already holding the new name is deleted first; the row itself holding it gives
    // False. A mode without a table shows "Error no table!".
    bool RenameRecordFile(Integer Mode, Integer KeyID, const std::string& NewPath, const std::string& NewName);
    // Re-applies the filter of the current mode's table.
    void RefreshCurrentTable();

    // ---- Row insertion ---------------------------------------------------------------------
    // One row with "KeyID" assigned by the table, PathID -5, the extension and the kind taken
    // from FileName. Append adds it at the end, otherwise before the current row.
    void InsertFileRow(TDataSet* Table, Integer FileID, bool Append, Int64 FileSize, TDateTime FileDate,
                       Integer StorageMethod, const std::string& Path, const std::string& FileName);
    // One directory entry of Folder through the listing rules; true when a row was added.
    bool AddFoundFile(TDataSet* Table, const TSearchRec& FindData, bool Append, const std::string& Folder);
    // A row for a file that does not exist: size -9, date 0.
    void AddMissingFile(TDataSet* Table, const std::string& FullName, bool Append);
    // AddFoundFile when the file exists, else AddMissingFile.
    void AddFileByName(TDataSet* Table, const std::string& FullName, bool Append);

    // ---- Listing and filter ----------------------------------------------------------------
    // Appends Folder's entries to memMode3 for each mask of the ";"-separated list, one beep per
    // mask; a folder that cannot be entered lists nothing. The process's current folder stays.
    void ListDirectory(const std::string& Folder, const std::string& Masks);
    // The attribute mask of the listing (read-only, plus hidden and system as the settings say),
    // computed once and kept until reset to 0.
    Integer GetAttributeFilter();
    void SetAttributeFilterCache(Integer Value) { FAttributeFilter = Value; }
    // Sets the current mode's table's filter: a non-empty FilterText replaces the text.
    void SetTableFilter(bool Filtered, const std::string& FilterText, bool InBulk);

    // ---- Events ----------------------------------------------------------------------------
    void dmTempDBCreate(TObject* Sender);
    void dmTempDBDestroy(TObject* Sender);
    // The filter of both tables: "<" in the text accepts every known kind, otherwise the number
    // after "=" (or the whole text) is the one kind accepted; anything unreadable accepts.
    void memMode3FilterRecord(TDataSet* DataSet, bool& Accept);
    // Keep the grid's position across a delete: the neighbour of the focused node is focused
    // after it.
    void BeforeTableDelete(TDataSet* DataSet);
    void AfterTableDelete(TDataSet* DataSet);

private:
    struct TFileFields;
    TFileFields FieldsOf(TDataSet* Table);
    Integer BrowseMode() const { return Hooks.BrowseMode ? Hooks.BrowseMode() : 0; }

    Integer FAttributeFilter = 0;
    std::string FDeleteKeyText;
    Integer FDeleteTopIndex = -1;
};

// The one data module (null outside a run of the program).
extern TdmTempDB* dmTempDB;

// Keeps an order of a file table by "KeyID", so that moving to a row by its key (every focus
// move of the file grid does) is a binary search rather than a look at every row. The table
// must have its fields.
void IndexFileTableKeys(TgxMemData* Table);
