// The main window's current file: making the focused row the current file, loading it the way
// its kind's format record says, offering to save a changed file before it is left, the
// selection status line and the file list's mouse releases.

#include "app/main_window.h"
#include "app/file_grid_presenter.h"
#include "catalogue/file_list.h"
#include "catalogue/format_records.h"
#include "catalogue/img_functions.h"
#include "catalogue/temp_db.h"
#include "catalogue/thumb_grid.h"
#include "dbgrid/db_grid.h"
#include "framework/dialog_service.h"
#include "framework/exceptions.h"
#include "framework/graphics.h"
#include "framework/image_list.h"
#include "framework/list_controls.h"
#include "framework/menus.h"
#include "framework/std_controls.h"
#include "treelist/tree_list_geometry.h"

bool TfrmMain::LoadFile(const std::string& FileName, Integer How) {
    ResetDialogAllStates();
    if (State.FileLoading) {
        if (Settings.CanCancelLoading)
            State.LoadCancelRequested = true;
        else
            Performbeep(true);
        return true;
    }
    if (FileListBusy() || !State.NoDialogOpen) {
        Performbeep(true);
        return true;
    }
    if (!prompttosavecurrentfile()) {
        // The changed file stays current and focused; the load asked for is dropped rather than
        // asked about again on every idle turn.
        State.LoadPending = State.ReloadPending = false;
        if (CurrentFile.KeyID > 0) GridControl->GotoKeyID(CurrentFile.KeyID);
        return false;
    }
    bool ok = true;
    try {
        SetCurrentFile(FileName);
        TFormatRecord rec;
        GetFormatRecordbyLMType(CurrentFile.FileType, rec);
        const Byte action = CurrentFile.FullName.empty() ? Byte(faIgnore) : LoadActionFor(How, CurrentFile.FileType, rec);
        if (action == faShowInLumora || action == faFullScreenInLumora) {
            if (action == faFullScreenInLumora && !FullScreen) SetFullScreenMode(1);
            ShowFile(true);
        } else {
            ShowFile(false);
            if (!State.SlideshowActive && action == faWindowsDefault)
                LaunchFile(CurrentFile, "", true, false);
            else if (!State.SlideshowActive && action == faSpecifiedEditor)
                LaunchFile(CurrentFile, rec.Editor, false, false);
        }
    } catch (...) {
        ok = false;
    }
    Screen->SetCursor(crDefault);
    return ok;
}

void TfrmMain::DoLoadFile() {
    doselectstatus();
    SetCurrentFile("");
    if (GridControl->HasItems())
        State.LoadPending = true;
    else if (FullScreen)
        doinformnomoreimages();
}

bool TfrmMain::SetCurrentFile(const std::string& FileName) {
    clearcurrentfile();
    if (!FileName.empty()) {
        Integer key = dmTempDB->FindKeyIDOfFile(FileName);
        // A file the type filter hides: first every file, then every supported one.
        for (Integer entry : {1, 0}) {
            if (key > 0 || FilterBox->GetItemIndex() <= entry) continue;
            FilterBox->SetItemIndex(entry);
            SetCurrentFilter(false);
            key = dmTempDB->FindKeyIDOfFile(FileName);
        }
        // Applying a filter loads the focused row: a file not found leaves nothing current.
        try {
            if (key <= 0) throw EInOutError("File not found");
            GridControl->GotoKeyIDOrFail(key);
        } catch (...) {
            clearcurrentfile();
            return false;
        }
    }
    TgxTreeListNode* node = GridControl->GetFocusedNode();
    if (!node) return false;
    try {
        GridControl->NodeToFileRecord(node, CurrentFile);
        CurrentFile.HasFalseExtension =
            CurrentFile.FileType == lmImage && ExtensionInList(ExtractFileExt(CurrentFile.Name), FalseExtensions);
        CurrentFile.FileID = CurrentFile.PathID = CurrentFile.StorageMethod = -1;
        CurrentFile.RefInDB = false;
    } catch (...) {
        CurrentFile.FullName.clear();
        return false;
    }
    SetFileChanged(false);
    GetFileDescription();
    return true;
}

void TfrmMain::clearcurrentfile() {
    if (StartupIncomplete) return;
    SetFileChanged(false);
    ClearFileRecord(CurrentFile);
    CurrentFile.KeyID = -1;
    lblfile->SetCaption("");
    lblfile->SetHint("No File");
    doselectstatus();
    UnloadDisplayedImage();
}

bool TfrmMain::prompttosavecurrentfile() {
    StoreChangedDescription();
    if (!CurrentFileChanged()) return true;
    const TFileRecord& file = CurrentFile;
    if (file.NewlyCreatedFile && (file.Name == "NewTextDocument.txt" || file.Name == "NewImage.jpg")) {
        const Integer answer = MessageDlg("The file, " + file.Name + ", has changed.  Do you want to save it?",
                                          mtConfirmation, {mbYes, mbNo, mbCancel}, 0);
        if (answer == mrNo) return true;
        // A new file that was not saved after all is still only here.
        return answer == mrYes && SaveNewFileAs();
    }
    bool answer;
    if (file.FileType == lmImage) {
        ResetDialogAllStates();
        SetFileChanged(false);
        switch (MessageDlg("The image, " + file.FullName + " has changed.  Do you want to save your changes?",
                           mtConfirmation, {mbYes, mbNo, mbCancel}, 0)) {
        case mrYes: answer = SaveCurrentImage(); break;
        case mrNo: answer = true; break;
        default: answer = false; break;
        }
    } else if (file.FileType == lmText) {
        answer = SaveTextFile();
    } else {
        // Nothing of this kind can be saved, so nothing keeps the user here.
        answer = true;
    }
    SetFileChanged(!answer);
    return answer;
}

void TfrmMain::SetFileChanged(bool Changed) {
    CurrentFile.FileHasChanged = Changed;
    TPicture* picture = imgEditStatus->GetPicture();
    if (Changed) {
        TBitmap bitmap;
        ilstZoomStatus->GetBitmap(CurrentFile.FileType == lmImage ? 4 : 5, &bitmap);
        picture->SetBitmap(&bitmap);
        imgEditStatus->SetWidth(ilstZoomStatus->GetWidth());
    } else {
        picture->SetGraphic(nullptr);
        imgEditStatus->SetWidth(1);
    }
}

void TfrmMain::doselectstatus() {
    try {
        TSelectionStatus s;
        s.Selected = GridControl->GetSelectedCount();
        s.Total = GridControl->GetRecordCount();
        s.Position = GridControl->GetFocusedIndex() + 1;
        s.Slideshow = State.SlideshowActive;
        s.FullScreen = FullScreen;
        lblselected->SetCaption(SelectionLabelText(s));
        Navigation = NavigationFor(s);
        if (s.Selected == 0) {
            lblfile->SetCaption("");
            lblfile->SetHint("No File");
        }
    } catch (...) {
    }
}

// ---------------------------------------------------------------------------------------------
// The file list's mouse

void TfrmMain::FileGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    DragStartPoint = {-1, -1};
    const TgxTreeListHitCode hit = FileGrid->GetHitTestAt(X, Y);
    const bool overRow = hit == hcButton || hit == hcImage || hit == hcStateImage || hit == hcIndent ||
                         hit == hcCell || hit == hcRowEnd || hit == hcPreview || hit == hcIndicator;
    if (Button != mbRight) {
        if (overRow) ThumbGridMouseUp(Sender, Button, Shift, X, Y);
        return;
    }
    const TPoint p = FileGrid->ClientToScreen(TPoint(X, Y));
    if (hit == hcHeader || hit == hcHeaderEdge) {
        if (FileGridPresenter) FileGridPresenter->PopupHeaderMenu(FileGrid->GetColumnAt(X, Y), p.X, p.Y);
    } else if (overRow) {
        popFiles->Popup(p.X, p.Y);
    } else if (FileGridPresenter) {
        FileGridPresenter->PopFileGrid->Popup(p.X, p.Y);
    }
}

void TfrmMain::ThumbGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    DragStartPoint = {-1, -1};
    if (Button == mbLeft) {
        LoadFile("", lhDirect);
        if (State.SlideshowActive) SyncSlideshowToFocus();
        return;
    }
    doselectstatus();
    if (Sender != ThumbGrid) return;
    const TPoint p = ThumbGrid->ClientToScreen(TPoint(X, Y));
    if (ThumbGrid->GetKeyIDAtPoint(X, Y) >= 0)
        popFiles->Popup(p.X, p.Y);
    else if (FileGridPresenter)
        FileGridPresenter->PopFileGrid->Popup(p.X, p.Y);
}

void TfrmMain::FileGridDblClick(TObject* Sender) { LoadFile("", lhDoubleClick); }
