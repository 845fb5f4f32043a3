// The main window's idle turns, its dialog bracket, the numbered warnings, the progress displays
// and the small message and beep helpers the dialogs reach through frmMain.

#include <utility>

#include "app/main_window.h"
#include "dialogs/gauge.h"
#include "dialogs/insert_info.h"
#include "dialogs/progress.h"
#include "dialogs/warning.h"
#include "framework/comctrls.h"
#include "framework/edit_controls.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"

// ---------------------------------------------------------------------------------------------
// Idle turns

void TfrmMain::doidle(TObject* Sender, bool& Done) {
    TMainState& s = State;
    try {
        [&] {
            if (s.CloseRequested) {
                s.CloseRequested = false;
                ShowMessage("Lumora will now close.");
                Application->Terminate();
                return;
            }
            if (s.BlockOperations) {
                s.BlockOperations = false;
                ReleaseFileListOperations();
            }
            if (!s.FileLoading && s.SlideshowActive && !SlideshowTimerEnabled() &&
                (!ShowingMediaPanel() || s.LastLoadFailed)) {
                EnableSlideshowTimer();
                return;
            }
            if (!s.FileLoading && s.DeferredAction) {
                // Taken off first: it is gone even when it fails, and it may record another.
                const std::function<void()> action = std::exchange(s.DeferredAction, nullptr);
                action();
            }
            if (!s.FileLoading && !s.DeferredQuickMoveFolder.empty()) {
                std::string folder = std::exchange(s.DeferredQuickMoveFolder, std::string());
                if (folder == "NO") folder.clear();
                QuickMove(s.DeferredQuickMoveIsMove, folder);
            }
            if (!s.FileLoading && s.FolderChangePending) SetDirTreePath("");
            if (s.TipsFocusPending) {
                s.TipsFocusPending = false;
                FocusQuickTips();
                return;
            }
            if (s.ClosingViewers) {
                CloseAllSecondaryWindows();
                return;
            }
            if (s.FileLoading || s.SlideshowActive) return;
            if (s.ReloadPending && s.DisplayReady && !IsBusy()) LoadFile("", 1);
            if (s.LoadPending && s.DisplayReady && !IsBusy()) LoadFile("", 0);
            if (s.MediaStatusPending) RefreshMediaStatus();
            if (s.DeferredWarning >= 0) {
                showwarning(s.DeferredWarning, false, true, s.DeferredWarningArg);
                return;
            }
            if (s.TreeResyncPending) {
                s.TreeResyncPending = false;
                if (!s.FolderChangePending && !s.TreeResyncPath.empty() && GetDirTreePath() != s.TreeResyncPath)
                    MoveDirTree(s.TreeResyncPath);
            }
        }();
    } catch (...) {
        Application->HandleException(this);
    }
    Done = !IdleWorkPending();
}

bool TfrmMain::IdleWorkPending() {
    const TMainState& s = State;
    if (s.CloseRequested || s.BlockOperations || s.TipsFocusPending || s.ClosingViewers) return true;
    // Everything else waits while a file loads, and most of it while a slideshow runs.
    if (s.FileLoading) return false;
    if (s.SlideshowActive && !SlideshowTimerEnabled() && (!ShowingMediaPanel() || s.LastLoadFailed)) return true;
    if (s.DeferredAction || !s.DeferredQuickMoveFolder.empty() || s.FolderChangePending) return true;
    if (s.SlideshowActive) return false;
    if ((s.ReloadPending || s.LoadPending) && s.DisplayReady && !IsBusy()) return true;
    return s.MediaStatusPending || s.DeferredWarning >= 0 || s.TreeResyncPending;
}

bool TfrmMain::IsBusy() {
    return State.FileLoading || FileListBusy() || !State.NoDialogOpen;
}

// ---------------------------------------------------------------------------------------------
// The dialog bracket

void TfrmMain::BeginDialogDisplay(bool UnloadImage, bool BlockThumbnails, bool SaveFilter) {
    State.NoDialogOpen = false;
    if (BlockThumbnails) SetThumbnailDrawing(false, false);
    if (SaveFilter) {
        State.TableWasFiltered = (Mode == 3 || Mode == 4) && CurrentTableFiltered();
        SetCurrentTableFiltered(false);
    }
    SetKeyPreview(false);
    if (State.SlideshowActive) ActivateSlideshow(0);
    if (State.FileLoading) State.LoadCancelRequested = true;
    ResetDialogAllStates();
    if (UnloadImage) UnloadDisplayedImage();
    HoldFileGridForDialog(true);
}

void TfrmMain::EndDialogDisplay(bool Relist, bool ForceFolderRelist, bool LoadAfter, bool RefreshThumbnails,
                                bool RestoreFilter) {
    try {
        if (RestoreFilter && State.TableWasFiltered) SetCurrentTableFiltered(true);
        SetKeyPreview(true);
        HoldFileGridForDialog(false);
        if (State.TreeRefreshPending) {
            State.TreeRefreshPending = false;
            RefreshDirTree();
        }
        if (Relist || State.FolderRelistPending) {
            if (Mode == 3 && (ForceFolderRelist || State.FolderRelistPending))
                SetDirTreePath("");
            else
                RefreshFileList();
        }
        if (RefreshThumbnails) SetThumbnailDrawing(true, true);
    } catch (...) {
        State.NoDialogOpen = true;
        throw;
    }
    State.NoDialogOpen = true;
    if (LoadAfter)
        DoLoadFile();
    else
        doselectstatus();
    State.TreeResyncPending = true;
}

void TfrmMain::CallBeginDialogDisplay(TObject* Sender) {
    BeginDialogDisplay(false, false, false);
}

void TfrmMain::CallEndDialogDisplay(TObject* Sender) {
    EndDialogDisplay(false, false, false, false, false);
}

// ---------------------------------------------------------------------------------------------
// Warnings and messages

void TfrmMain::showwarning(Integer Number, bool Defer, bool AllowSwitchOff, Integer HelpContext) {
    if (Number < 0 || Number >= WarningCount) return;
    if (State.SlideshowActive && Number != 1 && Number != 7) return;
    if (!AllowSwitchOff || !Settings.WarningVisible[Number]) return;
    if (Defer) {
        State.DeferredWarning = Number;
        State.DeferredWarningArg = HelpContext;
        return;
    }
    State.DeferredWarning = -1;
    const TWarningText warning = ReadWarningText(fixpath(ProgramFolder, true) + "Warning.res", Number);
    if (warning.Text.empty()) return;

    auto* form = new TdlgWarning(this);
    const bool bracket = State.NoDialogOpen;
    TModalResult result = mrNone;
    bool remind = true;
    try {
        form->Fill(warning, AllowSwitchOff, HelpContext);
        if (bracket) BeginDialogDisplay(false, false, false);
        try {
            result = form->ShowModal();
        } catch (...) {
            if (bracket) EndDialogDisplay(false, false, false, false, false);
            throw;
        }
        if (bracket) EndDialogDisplay(false, false, false, false, false);
        remind = form->chkdontremind->GetChecked();
    } catch (...) {
        form->Free();
        throw;
    }
    form->Free();
    if (result == mrYes) Application->HelpContext(HelpContext);
    Settings.WarningVisible[Number] = remind;
}

Integer TfrmMain::DisplayMessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                                    Integer AllAnswer) {
    if (State.MessageAllAnswered) return AllAnswer;
    const Integer answer = MessageDlg(Msg, DlgType, Buttons, 0);
    if (answer != mrAll) return answer;
    State.MessageAllAnswered = true;
    return AllAnswer;
}

void TfrmMain::ResetDialogAllStates() {
    State.MessageAllAnswered = false;
    State.ProgressCancelled = false;
    // The overwrite-all and automatic-rename answers of the overwrite protocol and the delete-all
    // answer of the folder chooser are cleared here too when those come.
}

void TfrmMain::FocusTedit(TCustomEdit* Edit) {
    Edit->SetFocus();
    Edit->SelectAll();
}

void TfrmMain::Performbeep(bool ErrorKind) {
    if (ErrorKind) {
        if (Settings.BeepOnError) MessageBeep(MB_ICONEXCLAMATION);
    } else if (Settings.BeepOnAction) {
        MessageBeep(MB_OK);
    }
}

// ---------------------------------------------------------------------------------------------
// Progress

void TfrmMain::ShowStatusBarProgress(bool Visible, Integer Position) {
    pbrload->SetPosition(Position);
    pbrload->SetVisible(Visible);
}

void TfrmMain::showprogress(bool Show, bool UseForm, Integer Position, Integer Max, const std::string& Message) {
    if (!Show) {
        if (dlgProgress) std::exchange(dlgProgress, nullptr)->Free();
        ShowStatusBarProgress(false, 0);
        return;
    }
    // A maximum of 1 or below the position changes nothing, and so does one of 0 or less,
    // which leaves nothing to take a percentage of.
    if (Max == 1 || Max < Position || Max <= 0) return;
    const Integer percent = Integer(Int64(Position) * 100 / Max);
    pbrload->SetMax(100);
    ShowStatusBarProgress(true, percent);
    if (!UseForm || !Settings.ShowDlgProgress) return;
    try {
        if (!dlgProgress) {
            dlgProgress = new TdlgProgress(this);
            dlgProgress->Show();
        }
        dlgProgress->lblmessage->SetCaption(Message);
        dlgProgress->Gauge->SetProgress(percent);
        dlgProgress->Repaint();
    } catch (...) {}
}

bool TfrmMain::ShowcancellableProgress(bool Show, Integer Position, Integer Max, const std::string& Caption,
                                       const std::string& Message, bool ProcessMessages) {
    if (!Show) {
        State.ProgressCancelled = false;
        if (dlginsertinfo) std::exchange(dlginsertinfo, nullptr)->Free();
        ShowStatusBarProgress(false, 0);
        return true;
    }
    // A maximum of 0 leaves nothing to take a percentage of: nothing changes, and a cancel the
    // user made is still answered.
    if (Max == 0) return !State.ProgressCancelled;
    if (!(Max < 0 || Position < 0 || (Max != 1 && Max >= Position))) return true;
    try {
        if (!dlginsertinfo) {
            dlginsertinfo = new Tdlginsertinfo(this);
            dlginsertinfo->OnCancelProcessing = [this] { State.ProgressCancelled = true; };
            dlginsertinfo->Show();
        }
        if (!Message.empty()) dlginsertinfo->lblmessage->SetCaption(Message);
        if (!Caption.empty()) dlginsertinfo->SetCaption(Caption);
        TProgressBar* bar = dlginsertinfo->ProgressBar;
        if (Max > 0) bar->SetMax(Max);
        if (Position < 0)
            bar->StepIt();
        else
            bar->SetPosition(Position);
        dlginsertinfo->Repaint();
        if (bar->GetMax() > 0) ShowStatusBarProgress(true, Integer(Int64(bar->GetPosition()) * 100 / bar->GetMax()));
    } catch (...) {}
    if (ProcessMessages) Application->ProcessMessages();
    return !State.ProgressCancelled;
}

void TfrmMain::HideCancellableProgress() {
    ShowcancellableProgress(false, 0, 0, "", "", false);
}

void TfrmMain::ImgImageProgress(TObject* Sender, Integer Percent) {
    if (!State.GIFFrameLoading) {
        Application->ProcessMessages();
        ShowStatusBarProgress(true, Percent);
    }
    if (!State.LoadCancelRequested) return;
    State.LoadCancelRequested = false;
    AbortImageLoad();
    State.ReloadPending = true;
    // A load abandoned late keeps its partial image as shown.
    State.LastLoadFailed = Percent <= 60;
}

void TfrmMain::ImgFuncProgress(TObject* Sender, Integer Percent) {
    ShowStatusBarProgress(true, Percent);
}

void TfrmMain::ImgFuncProgressEnd(TObject* Sender) {
    ShowStatusBarProgress(false, 0);
}

void TfrmMain::FileLoadingCompleted() {
    State.FileLoading = false;
    Screen->SetCursor(crDefault);
    ShowStatusBarProgress(false, 0);
}

void TfrmMain::SetStatusLabelText(TControl* Panel, const std::string& Text) {
    Panel->SetCaption("  " + Trim(Text));
}
