// The main window's browsing: the folder tree, the file grid and the thumbnail grid with their
// controller, the browse modes and their tables, listing the tree's folder, the type filter and
// keeping the focused file across a listing.

#include "app/main_window.h"
#include "catalogue/file_list.h"
#include "catalogue/format_records.h"
#include "catalogue/img_functions.h"
#include "catalogue/temp_db.h"
#include "catalogue/thumb_grid.h"
#include "components/shell_tree.h"
#include "dbgrid/db_grid.h"
#include "dbgrid/mem_data.h"
#include "framework/comctrls.h"
#include "framework/data_source.h"
#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "framework/list_controls.h"
#include "framework/menus.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"
#include "treelist/tree_list_control.h"
#include "treelist/tree_list_geometry.h"

namespace {

// A folder as the tree names it: without a trailing "/" except the root.
std::string TreeFolder(const std::string& Path) {
    if (Path.empty() || Path == "/") return Path;
    return ExcludeTrailingPathDelimiter(Path);
}

// A folder as the window keeps it: with a trailing "/".
std::string WindowFolder(const std::string& Path) { return Path.empty() ? Path : IncludeTrailingPathDelimiter(Path); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// The components

void TfrmMain::BuildFileList() {
    DirTree = new TShellTree(this);
    DirTree->SetName("DirTree");
    DirTree->SetParent(tabFolders);
    DirTree->SetAlign(alClient);
    DirTree->SetReadOnly(true);
    DirTree->SetOptions({TF_FOLDERS});
    DirTree->OnChange = [this](TObject*, TTreeNode*) { DirTreeChange(); };
    DirTree->OnClick = [this](TObject* Sender) { DirTreeClick(Sender); };
    DirTree->OnKeyUp = [this](TObject* Sender, Word& Key, TShiftState) {
        if (Key == VK_F5)
            pukRefreshClick(Sender);
        else
            DirTreeClick(Sender);
    };

    Splitter3 = new TSplitter(this);
    Splitter3->SetName("Splitter3");
    Splitter3->SetParent(LeftPanel);
    Splitter3->SetTop(pgcModes->GetTop() + pgcModes->GetHeight());
    Splitter3->SetHeight(3);
    Splitter3->SetAlign(alTop);

    FileGrid = new TgxDBGrid(this);
    FileGrid->SetName("FileGrid");
    FileGrid->SetParent(LeftPanel);
    FileGrid->SetAlign(alClient);
    FileGrid->SetOptions(FileGrid->GetOptions() + TgxDBGridOptions{egoLoadAllRecords, egoMultiSelect,
                                                                    egoExtMultiSelect, egoCanNavigation,
                                                                    egoColumnSizing, egoColumnMoving} -
                         TgxDBGridOptions{egoEditing, egoCanDelete, egoCanInsert, egoCanAppend});
    FileGridColumns = CreateFileGridColumns(FileGrid, this);
    FileGrid->OnMouseUp = [this](TObject* S, TMouseButton B, TShiftState Sh, Integer X, Integer Y) {
        FileGridMouseUp(S, B, Sh, X, Y);
    };
    FileGrid->OnDblClick = [this](TObject* Sender) { FileGridDblClick(Sender); };

    ImgFunc = new TImgFunctions(this);
    ImgFunc->SetName("ImgFunc");

    ThumbGrid = new TgxThumbGrid2(this);
    ThumbGrid->SetName("ThumbGrid");
    ThumbGrid->SetParent(LeftPanel);
    ThumbGrid->SetAlign(alClient);
    ThumbGrid->SetVisible(false);
    ThumbGrid->SetAttachedImgFunctions(ImgFunc);
    ThumbGrid->OnMouseUp = [this](TObject* S, TMouseButton B, TShiftState Sh, Integer X, Integer Y) {
        ThumbGridMouseUp(S, B, Sh, X, Y);
    };
    ThumbGrid->OnDblClick = [this](TObject* Sender) { FileGridDblClick(Sender); };

    GridControl = new TLMFileList2(this);
    GridControl->SetName("GridControl");
    GridControl->SetAttachedGXDBGrid(FileGrid);
    GridControl->SetAttachedGXThumbGrid(ThumbGrid);
    BindFileGridColumns(FileGridColumns, GridControl, ThumbGrid);
    // The presentation works through the grid, the controller, the thumbnails and the
    // image-utility component: it is set up once they all exist.
    SetupFileGridPresentation();

    popFiles = new TPopupMenu(this);
    popFiles->SetName("popFiles");
}

// ---------------------------------------------------------------------------------------------
// Browse modes

void TfrmMain::pgcModesChange(TObject* Sender) {
    State.FolderRelistPending = false;
    if (!prompttosavecurrentfile()) {
        // Setting the page in code raises no change event.
        pgcModes->SetActivePage(Mode == 4 ? tabBookmarks : tabFolders);
        return;
    }
    BeginDialogDisplay(true, true, false);
    auto afterwards = [this] {
        FixPanelWidths();
        GridControl->SetBlockOperations(false);
        SetThumbnailDrawing(false, false);
        EndDialogDisplay(false, false, true, true, false);
        if (State.NoDialogOpen && State.DisplayReady) showwarning(Mode == 4 ? 13 : 11, true, true, 0);
    };
    try {
        GridControl->SetBlockOperations(true);
        clearcurrentfile();
        deleteoldfiles();
        if (pgcModes->GetActivePage() == tabBookmarks) {
            SetMode(4);
        } else {
            SetMode(3);
            if (FolderListingStale || dmTempDB->memMode3->GetRecordCount() < 2) UpdateGridDirectory(false);
        }
        SetModeCaption();
    } catch (...) {
        afterwards();
        throw;
    }
    afterwards();
}

void TfrmMain::SetMode(Integer AMode) {
    if (Mode == 3 || Mode == 4) ModePosition[Mode] = GridControl->GetFocusedKeyID();
    Mode = AMode;
    FileGrid->BeginUpdate();
    try {
        FileGrid->SetDataSource(AMode == 4 ? dmTempDB->dscmode4 : dmTempDB->dscMode3);
        FileGrid->SetKeyField(AMode == 3 || AMode == 4 ? "KeyID" : "FileID");
    } catch (...) {
        FileGrid->EndUpdate();
        throw;
    }
    FileGrid->EndUpdate();
    SetCurrentFilter(false);
    try {
        const Integer kept = ModePosition[AMode];
        if (kept > 0) {
            try {
                GridControl->GotoKeyIDOrFail(kept);
                return;
            } catch (...) {
            }
        }
        if (GridControl->HasItems()) GridControl->GotoFirst();
    } catch (...) {
    }
}

void TfrmMain::SetModeCaption() {
    if (Mode == 4) {
        const std::string list = cmbBookmarkFile->GetItemIndex() >= 0 ? cmbBookmarkFile->GetText() : std::string();
        const bool isDefault = list.empty() || list == DataFolder + "Default.bkmk";
        SetCaption("Lumora - Bookmark file: " + (isDefault ? std::string("Default") : list));
    } else {
        SetCaption("Lumora - Directory: " + TreeFolder(GetDirTreePath()));
    }
}

void TfrmMain::SetDirTreePath(const std::string& Path) {
    State.FolderChangePending = false;
    if (!Path.empty()) MoveDirTree(Path);
    SetModeCaption();
    UpdateGridDirectory(!Path.empty());
}

void TfrmMain::UpdateGridDirectory(bool OnlyIfChanged) {
    if (Mode != 3) {
        FolderListingStale = true;
        return;
    }
    FolderListingStale = false;
    State.FolderChangePending = false;
    State.FolderRelistPending = false;
    const std::string path = GetDirTreePath();
    const bool moved = path != State.TreeResyncPath;
    if (OnlyIfChanged && !moved) return;
    State.TreeResyncPath = path;
    SetDirectory(path, moved);
    DoLoadFile();
}

void TfrmMain::SetDirectory(const std::string& Folder, bool NewFolder) {
    if (StartupIncomplete) return;
    if (State.SlideshowActive) ActivateSlideshow(0);
    if (InThumbnailMode()) SetThumbnailDrawing(false, false);
    if (!NewFolder) RecordCurrentPosition();
    auto afterwards = [&] {
        GridControl->EndBulkUpdate(NewFolder);
        SetCurrentFilter(false);
        if (NewFolder)
            GridControl->GotoFirst();
        else
            SetToCurrentPosition();
        SetThumbnailDrawing(true, true);
        doselectstatus();
    };
    GridControl->BeginBulkUpdate();
    try {
        dmTempDB->ReopenTable(dmTempDB->memMode3);
        if (!Folder.empty()) dmTempDB->ListDirectory(Folder, "*.*");
    } catch (...) {
        afterwards();
        throw;
    }
    afterwards();
}

void TfrmMain::RecordCurrentPosition() {
    // The file is kept by name: a new listing numbers its rows afresh.
    TgxTreeListNode* node = GridControl->GetFocusedNode();
    FKeptFile = node ? GridControl->GetNodeFullName(node) : std::string();
    FKeptTopIndex = node ? GridControl->GetTopIndex() : -1;
}

void TfrmMain::SetToCurrentPosition() {
    if (FKeptTopIndex < 0) {
        GridControl->GotoFirst();
        return;
    }
    GridControl->SetTopIndex(FKeptTopIndex);
    const Integer key = FKeptFile.empty() ? -1 : dmTempDB->FindKeyIDOfFile(FKeptFile);
    if (key <= 0 || !GridControl->FocusNodeByKey(std::to_string(key))) GridControl->GotoFirst();
    if (InThumbnailMode()) ThumbGrid->SyncWithFocusedNode();
}

std::string TfrmMain::getmodeselectiondescription(bool Selected) {
    const std::string prefix = Selected ? "Selected files from " : "All files in ";
    if (Mode != 4) return prefix + GetDirTreePath();
    const std::string list = cmbBookmarkFile->GetText();
    if (list.empty() || list == DataFolder + "Default.bkmk") return "Selected Bookmarks";
    return prefix + list;
}

std::string TfrmMain::getallsupportedformats(bool WithFalseExtension) {
    const bool falseExt = WithFalseExtension && Settings.SupportFalseExt;
    return AllSupportedFormats(FormatRecords(), falseExt ? Settings.FalseExtension : std::string());
}

// ---------------------------------------------------------------------------------------------
// The type filter

void TfrmMain::CreateFilter() {
    FilterEntries = TypeFilterEntries(FormatRecords());
    const Integer index = FilterBox->GetItemIndex();
    TStrings* items = FilterBox->GetItems();
    items->Clear();
    for (const TTypeFilterEntry& entry : FilterEntries) items->Add(entry.Caption);
    FilterBox->SetItemIndex(index >= 0 && index < items->GetCount() ? index : 0);
}

void TfrmMain::SetCurrentFilter(bool BlockThumbnails) {
    if (StartupIncomplete) return;
    if (State.SlideshowActive) ActivateSlideshow(0);
    const Integer index = FilterBox->GetItemIndex();
    const std::string expression =
        index >= 0 && index < Integer(FilterEntries.size()) ? FilterEntries[index].Expression : std::string();
    LastFilterIndex = index;
    if (BlockThumbnails) SetThumbnailDrawing(false, false);
    if (expression.empty() || expression == "*.*")
        dmTempDB->SetTableFilter(false, "", false);
    else
        dmTempDB->SetTableFilter(true, expression, false);
    GridControl->Refresh();
    DoLoadFile();
    if (BlockThumbnails) SetThumbnailDrawing(true, true);
}

void TfrmMain::FilterBoxChange(TObject* Sender) {
    if (FilterBox->GetItemIndex() == LastFilterIndex) return;
    SetThumbnailDrawing(false, false);
    RecordCurrentPosition();
    SetCurrentFilter(false);
    SetToCurrentPosition();
    SetThumbnailDrawing(true, true);
}

bool TfrmMain::CurrentTableFiltered() {
    TDataSet* table = dmTempDB ? dmTempDB->GetTableForMode(Mode, nullptr) : nullptr;
    return table && table->GetFiltered();
}

void TfrmMain::SetCurrentTableFiltered(bool Filtered) {
    if (dmTempDB && (Mode == 3 || Mode == 4)) dmTempDB->SetTableFilter(Filtered, "", false);
}

// ---------------------------------------------------------------------------------------------
// The folder tree

void TfrmMain::DirTreeChange() {
    const std::string path = DirTree->GetPath();
    if (!path.empty()) FDirTreePath = WindowFolder(path);
}

void TfrmMain::DirTreeClick(TObject* Sender) {
    if (SuppressChangeEvents || StartupIncomplete) return;
    if (GetDirTreePath() != State.TreeResyncPath) State.FolderChangePending = true;
}

void TfrmMain::pukRefreshClick(TObject* Sender) {
    RefreshDirTree();
    UpdateGridDirectory(false);
}

bool TfrmMain::SetShellTreeToNewPath(TShellTree* Tree, const std::string& Path) {
    const std::string want = TreeFolder(Path);
    if (Tree->GetPath() == want) return true;
    if (!want.empty() && DirectoryExists(want)) {
        Tree->SetPath(want);
        // Before the tree has its window the path waits there to be applied.
        const std::string now = Tree->GetPath();
        if (now == want || (now.empty() && !Tree->HandleAllocated())) return true;
    }
    MessageDlg("Error encountered changing to the directory, " + Path +
                   ".  It may no longer exist or be located on a drive which is unavailable!",
               mtWarning, {mbOK}, 0);
    return false;
}

void TfrmMain::MoveDirTree(const std::string& Path) {
    if (!SetShellTreeToNewPath(DirTree, Path)) return;
    const std::string now = DirTree->GetPath();
    FDirTreePath = WindowFolder(now.empty() ? TreeFolder(Path) : now);
}

void TfrmMain::RefreshDirTree() {
    const std::string path = TreeFolder(FDirTreePath);
    DirTree->RefreshTree();
    if (!path.empty() && DirTree->GetPath() != path && DirectoryExists(path)) DirTree->SetPath(path);
    DirTreeChange();
}

void TfrmMain::SetDirTreeHiddenFilesVisible() {
    TVisOptions options = DirTree->GetOptions();
    if (Settings.ShowHiddenFiles)
        options.Include(TF_HIDDEN);
    else
        options.Exclude(TF_HIDDEN);
    if (options != DirTree->GetOptions()) DirTree->SetOptions(options);
}

// ---------------------------------------------------------------------------------------------
// The file list

bool TfrmMain::InThumbnailMode() const {
    const Integer mode = GridControl->GetFileDisplayMode();
    return mode >= 1 && mode <= 3;
}

void TfrmMain::SetFileDisplayMode(Integer AMode) {
    GridControl->SetFileDisplayMode(AMode);
    UpdateButtonDisplay();
}

bool TfrmMain::FileListBusy() { return GridControl->IsBusy(); }

void TfrmMain::ReleaseFileListOperations() { GridControl->SetBlockOperations(false); }

void TfrmMain::RefreshFileList() { GridControl->Refresh(); }

void TfrmMain::HoldFileGridForDialog(bool Hold) {
    // The grid keeps no state of its own for a dialog: with the key preview off and the
    // operations of the controller idle, nothing reaches it.
}

void TfrmMain::SetThumbnailDrawing(bool Draw, bool Repaint) {
    if (!Draw) {
        ThumbGrid->SetBlockCellDrawing(true);
        return;
    }
    if (Repaint && InThumbnailMode())
        ThumbGrid->EndBlockCellDrawing(false);
    else
        ThumbGrid->SetBlockCellDrawing(false);
}
