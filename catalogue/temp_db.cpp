#include "catalogue/temp_db.h"

#include "catalogue/format_records.h"
#include "catalogue/lm_types.h"
#include "dbgrid/mem_data.h"
#include "framework/data_source.h"
#include "framework/dialog_service.h"
#include "framework/fields.h"
#include "framework/forms.h"
#include "framework/resources.h"
#include "framework/sysutils.h"
#include "framework/variant.h"

TdmTempDB* dmTempDB = nullptr;

// The fields of one file table, looked up once per call rather than by name per value.
struct TdmTempDB::TFileFields {
    TField* KeyID = nullptr;
    TField* FileID = nullptr;
    TField* Filename = nullptr;
    TField* PathID = nullptr;
    TField* Path = nullptr;
    TField* OriginalExtension = nullptr;
    TField* LMFileType = nullptr;
    TField* FileDate = nullptr;
    TField* FileSize = nullptr;
    TField* StorageMethod = nullptr;
};

namespace {

// The fields of one table, made in code as the module's form would stream them.
template <class F>
F* AddField(TComponent* Owner, TDataSet* Table, const std::string& Name, const std::string& FieldName,
            Integer Size = 0) {
    auto* f = new F(Owner);
    f->SetName(Name);
    f->SetFieldName(FieldName);
    if (Size) f->SetSize(Size);
    f->SetDataSet(Table);
    return f;
}

constexpr Integer kFilenameSize = 255;
constexpr Integer kPathSize = 4096;
constexpr Integer kExtensionSize = 5;

// The ten fields both file tables hold; components are named Prefix + field name, the file name
// component's own spelling differing between the two tables.
void AddFileFields(TComponent* Owner, TDataSet* Table, const std::string& Prefix, const std::string& FilenameName,
                   TAutoIncField*& KeyID, TIntegerField*& FileID, TStringField*& Filename, TIntegerField*& PathID,
                   TStringField*& Path, TStringField*& OriginalExtension, TIntegerField*& LMFileType,
                   TDateTimeField*& FileDate, TLargeintField*& FileSize, TIntegerField*& StorageMethod) {
    KeyID = AddField<TAutoIncField>(Owner, Table, Prefix + "KeyID", "KeyID");
    FileID = AddField<TIntegerField>(Owner, Table, Prefix + "FileID", "FileID");
    Filename = AddField<TStringField>(Owner, Table, Prefix + FilenameName, "Filename", kFilenameSize);
    PathID = AddField<TIntegerField>(Owner, Table, Prefix + "PathID", "PathID");
    Path = AddField<TStringField>(Owner, Table, Prefix + "Path", "Path", kPathSize);
    OriginalExtension =
        AddField<TStringField>(Owner, Table, Prefix + "OriginalExtension", "OriginalExtension", kExtensionSize);
    LMFileType = AddField<TIntegerField>(Owner, Table, Prefix + "LMFileType", "LMFileType");
    FileDate = AddField<TDateTimeField>(Owner, Table, Prefix + "FileDate", "FileDate");
    FileSize = AddField<TLargeintField>(Owner, Table, Prefix + "FileSize", "FileSize");
    StorageMethod = AddField<TIntegerField>(Owner, Table, Prefix + "StorageMethod", "StorageMethod");
}

}  // namespace

void IndexFileTableKeys(TgxMemData* Table) { Table->GetIndexes()->Add()->SetFieldName("KeyID"); }

TdmTempDB::TdmTempDB(TComponent* AOwner) : TDataModule(AOwner) {
    BuildComponents(this, [&] {
        SetName("dmTempDB");
        auto makeTable = [&](const std::string& Name) {
            auto* t = new TgxMemData(this);
            t->SetName(Name);
            t->BeforeDelete = [this](TDataSet* D) { BeforeTableDelete(D); };
            t->AfterDelete = [this](TDataSet* D) { AfterTableDelete(D); };
            return t;
        };
        memMode3 = makeTable("memMode3");
        AddFileFields(this, memMode3, "memMode3", "FileName", memMode3KeyID, memMode3FileID, memMode3FileName,
                      memMode3PathID, memMode3Path, memMode3OriginalExtension, memMode3LMFileType,
                      memMode3FileDate, memMode3FileSize, memMode3StorageMethod);
        memMode4 = makeTable("memMode4");
        AddFileFields(this, memMode4, "memMode4", "Filename", memMode4KeyID, memMode4FileID, memMode4Filename,
                      memMode4PathID, memMode4Path, memMode4OriginalExtension, memMode4LMFileType,
                      memMode4FileDate, memMode4FileSize, memMode4StorageMethod);

        IndexFileTableKeys(memMode3);
        IndexFileTableKeys(memMode4);

        dscMode3 = new TDataSource(this);
        dscMode3->SetName("dscMode3");
        dscmode4 = new TDataSource(this);
        dscmode4->SetName("dscmode4");
    });
    OnCreate = [this](TObject* S) { dmTempDBCreate(S); };
    OnDestroy = [this](TObject* S) { dmTempDBDestroy(S); };
}

TdmTempDB::~TdmTempDB() {
    if (dmTempDB == this) dmTempDB = nullptr;
}

void TdmTempDB::dmTempDBCreate(TObject*) {
    // The filter event goes on after the tables are open: setting it re-applies the filter.
    for (TgxMemData* t : {memMode3, memMode4}) {
        t->Open();
        t->SetOnFilterRecord([this](TDataSet* D, bool& Accept) { memMode3FilterRecord(D, Accept); });
    }
    dscMode3->SetDataSet(memMode3);
    dscmode4->SetDataSet(memMode4);
}

void TdmTempDB::dmTempDBDestroy(TObject*) {
    memMode3->Close();
    memMode4->Close();
}

TdmTempDB::TFileFields TdmTempDB::FieldsOf(TDataSet* Table) {
    if (Table == memMode3)
        return {memMode3KeyID,  memMode3FileID,     memMode3FileName, memMode3PathID,   memMode3Path,
                memMode3OriginalExtension, memMode3LMFileType, memMode3FileDate, memMode3FileSize,
                memMode3StorageMethod};
    if (Table == memMode4)
        return {memMode4KeyID,  memMode4FileID,     memMode4Filename, memMode4PathID,   memMode4Path,
                memMode4OriginalExtension, memMode4LMFileType, memMode4FileDate, memMode4FileSize,
                memMode4StorageMethod};
    return {Table->FieldByName("KeyID"),      Table->FieldByName("FileID"),
            Table->FieldByName("Filename"),   Table->FieldByName("PathID"),
            Table->FieldByName("Path"),       Table->FieldByName("OriginalExtension"),
            Table->FieldByName("LMFileType"), Table->FieldByName("FileDate"),
            Table->FieldByName("FileSize"),   Table->FieldByName("StorageMethod")};
}

// ---- Tables and lookups ----------------------------------------------------------------------

TDataSet* TdmTempDB::GetTableForMode(Integer Mode, TDataSet* Default) {
    if (Mode == 3) return memMode3;
    if (Mode == 4) return memMode4;
    return Default;
}

Integer TdmTempDB::GetCurrentKeyID(Integer Mode, Integer Default) {
    TDataSet* table = GetTableForMode(Mode, nullptr);
    if (!table || !table->GetActive() || table->IsEmpty()) return Default;
    return FieldsOf(table).KeyID->GetAsInteger();
}

bool TdmTempDB::LocateKeyID(TDataSet* Table, Integer KeyID) {
    try {
        if (!Table) return false;
        if ((Table == memMode3 || Table == memMode4) && Table->GetActive() && !Table->IsEmpty() &&
            FieldsOf(Table).KeyID->GetAsInteger() == KeyID)
            return true;
        return Table->Locate("KeyID", KeyID, {});
    } catch (...) {
        return false;
    }
}

bool TdmTempDB::LocateFile(TDataSet* Table, const std::string& FullName) {
    try {
        if (!Table) return false;
        return Table->Locate("Filename;Path",
                             VarArrayOf({ExtractFileName(FullName), IncludeTrailingPathDelimiter(ExtractFilePath(FullName))}),
                             {});
    } catch (...) {
        return false;
    }
}

Integer TdmTempDB::FindKeyIDOfFile(const std::string& FullName) {
    const Integer mode = BrowseMode();
    TDataSet* table = GetTableForMode(mode, nullptr);
    if (!table) return 0;
    if (!LocateFile(table, FullName)) return -1;
    return FieldsOf(table).KeyID->GetAsInteger();
}

bool TdmTempDB::DeleteRecordByKeyID(TDataSet* Table, Integer KeyID) {
    if (!LocateKeyID(Table, KeyID)) return false;
    try {
        Table->Delete();
        return true;
    } catch (...) {
        return false;
    }
}

bool TdmTempDB::ReopenTable(TDataSet* Table) {
    try {
        if (!Table) return false;
        Table->Close();
        Table->Open();
        return true;
    } catch (...) {
        return false;
    }
}

bool TdmTempDB::RenameRecordFile(Integer Mode, Integer KeyID, const std::string& NewPath, const std::string& NewName) {
    TDataSet* table = GetTableForMode(Mode, nullptr);
    if (!table) {
        ShowMessage("Error no table!");
        return false;
    }
    try {
        if (!LocateKeyID(table, KeyID)) return false;
        const TFileFields f = FieldsOf(table);
        // An empty part of the new name is the row's own, so a rename of the name alone still
        // finds a row that already holds the result.
        const std::string path = NewPath.empty() ? f.Path->GetAsString() : IncludeTrailingPathDelimiter(NewPath);
        const std::string name = NewName.empty() ? f.Filename->GetAsString() : NewName;
        if (LocateFile(table, path + name)) {
            if (f.KeyID->GetAsInteger() == KeyID) return false;
            table->Delete();
            if (!LocateKeyID(table, KeyID)) return false;
        }
        table->Edit();
        if (!NewPath.empty()) {
            f.Path->SetAsString(path);
            f.PathID->SetAsInteger(-5);
        }
        if (!NewName.empty()) f.Filename->SetAsString(NewName);
        table->Post();
        return true;
    } catch (...) {
        try {
            table->Cancel();
        } catch (...) {
        }
        return false;
    }
}

void TdmTempDB::RefreshCurrentTable() {
    auto* table = static_cast<TgxMemData*>(GetTableForMode(BrowseMode(), nullptr));
    if (table && table->GetActive()) table->UpdateFilters();
}

// ---- Row insertion ---------------------------------------------------------------------------

void TdmTempDB::InsertFileRow(TDataSet* Table, Integer FileID, bool Append, Int64 FileSize, TDateTime FileDate,
                              Integer StorageMethod, const std::string& Path, const std::string& FileName) {
    const TFileFields f = FieldsOf(Table);
    if (Append)
        Table->Append();
    else
        Table->Insert();
    try {
        f.FileID->SetAsInteger(FileID);
        f.Filename->SetAsString(FileName);
        f.Path->SetAsString(Path);
        f.PathID->SetAsInteger(-5);
        f.OriginalExtension->SetAsString(UpperCase(ExtractFileExt(FileName)));
        f.LMFileType->SetAsInteger(LMFileTypeToInt(getlmtype(FileName)));
        f.FileDate->SetAsDateTime(FileDate);
        f.FileSize->SetAsLargeInt(FileSize);
        f.StorageMethod->SetAsInteger(StorageMethod);
        Table->Post();
    } catch (...) {
        Table->Cancel();
        throw;
    }
}

bool TdmTempDB::AddFoundFile(TDataSet* Table, const TSearchRec& FindData, bool Append, const std::string& Folder) {
    const Integer a = FindData.Attr;
    const Integer filter = GetAttributeFilter();
    if ((a & faDirectory) != (filter & faDirectory)) return false;
    for (Integer bit : {faReadOnly, faHidden, faSysFile})
        if ((a & bit) && !(filter & bit)) return false;
    if (FindData.Name == "." || FindData.Name == "..") return false;
    if (Hooks.IgnoreFileType && Hooks.IgnoreFileType(UpperCase(FindData.Name))) return false;
    // The local last-write time in whole seconds.
    const TDateTime date = FileDateToDateTime(FindData.Time);
    InsertFileRow(Table, -5, Append, FindData.Size, date, -5, IncludeTrailingPathDelimiter(Folder), FindData.Name);
    return true;
}

void TdmTempDB::AddMissingFile(TDataSet* Table, const std::string& FullName, bool Append) {
    InsertFileRow(Table, -5, Append, -9, 0, -5, ExtractFilePath(FullName), ExtractFileName(FullName));
}

void TdmTempDB::AddFileByName(TDataSet* Table, const std::string& FullName, bool Append) {
    TSearchRec sr;
    if (FindFirst(FullName, faAnyFile, sr) == 0) {
        FindClose(sr);
        AddFoundFile(Table, sr, Append, ExtractFilePath(FullName));
    } else {
        AddMissingFile(Table, FullName, Append);
    }
}

// ---- Listing and filter ----------------------------------------------------------------------

Integer TdmTempDB::GetAttributeFilter() {
    if (FAttributeFilter != 0) return FAttributeFilter;
    Integer filter = faReadOnly;
    if (Hooks.ShowHiddenFiles && Hooks.ShowHiddenFiles()) filter |= faHidden;
    if (Hooks.ShowSystemFiles && Hooks.ShowSystemFiles()) filter |= faSysFile;
    FAttributeFilter = filter;
    return filter;
}

void TdmTempDB::ListDirectory(const std::string& Folder, const std::string& Masks) {
    const std::string folder = IncludeTrailingPathDelimiter(Folder);
    const TCursor saved = Screen->GetCursor();
    Screen->SetCursor(crHourGlass);
    // The grid settles once at the end rather than after every row.
    memMode3->DisableControls();
    try {
        size_t start = 0;
        while (start <= Masks.size()) {
            size_t end = Masks.find(';', start);
            if (end == std::string::npos) end = Masks.size();
            const std::string mask = Masks.substr(start, end - start);
            start = end + 1;
            if (mask.empty() || !DirectoryExists(folder)) continue;
            TSearchRec sr;
            if (FindFirst(folder + mask, faAnyFile, sr) == 0) {
                do
                    AddFoundFile(memMode3, sr, true, folder);
                while (FindNext(sr) == 0);
                FindClose(sr);
            }
            MessageBeep(0);
        }
    } catch (...) {
        memMode3->EnableControls();
        Screen->SetCursor(saved);
        throw;
    }
    memMode3->EnableControls();
    Screen->SetCursor(saved);
    if (Hooks.ProcessMessages) Hooks.ProcessMessages();
}

void TdmTempDB::SetTableFilter(bool Filtered, const std::string& FilterText, bool InBulk) {
    if (InBulk && Hooks.BeginBulkUpdate) Hooks.BeginBulkUpdate();
    TgxMemData* table = BrowseMode() == 3 ? memMode3 : memMode4;
    if (table->GetActive()) {
        if (!FilterText.empty()) table->SetFilter(FilterText);
        table->SetFiltered(Filtered);
    }
    // The bulk update is closed also when the table is not open, so it never stays open.
    if (InBulk && Hooks.EndBulkUpdate) Hooks.EndBulkUpdate();
    if (table->GetActive()) table->UpdateFilters();
}

void TdmTempDB::memMode3FilterRecord(TDataSet* DataSet, bool& Accept) {
    Accept = true;
    try {
        const std::string& text = DataSet->GetFilter();
        if (!DataSet->GetFiltered() || text.empty()) return;
        TField* kind = DataSet == memMode3 ? memMode3LMFileType
                       : DataSet == memMode4 ? memMode4LMFileType
                                             : DataSet->FieldByName("LMFileType");
        const Integer code = kind->GetAsInteger();
        if (text.find('<') != std::string::npos) {
            Accept = code != -1;
            return;
        }
        const size_t eq = text.find('=');
        Integer wanted = 0;
        if (TryStrToInt(Trim(eq == std::string::npos ? text : text.substr(eq + 1)), wanted)) Accept = code == wanted;
    } catch (...) {
        Accept = true;
    }
}

void TdmTempDB::BeforeTableDelete(TDataSet*) {
    FDeleteTopIndex = -1;
    FDeleteKeyText.clear();
    if (!FileGrid) return;
    std::string key;
    const Integer top = FileGrid->GetTopIndex();
    if (FileGrid->NeighbourOfFocused(key)) {
        FDeleteKeyText = key;
        FDeleteTopIndex = top;
    }
}

void TdmTempDB::AfterTableDelete(TDataSet*) {
    if (FDeleteTopIndex == -1 || !FileGrid) return;
    FileGrid->SetTopIndex(FDeleteTopIndex);
    if (!FileGrid->FocusNodeByKey(FDeleteKeyText) && Hooks.GotoFirstForced) Hooks.GotoFirstForced();
}
