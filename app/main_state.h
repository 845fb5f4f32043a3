#pragma once
// What the main window records for its idle turns, its dialog bracket and its progress displays:
// event handlers mostly set these flags and the idle handler does the work they stand for.

#include <functional>
#include <string>

#include "framework/types.h"

struct TMainState {
    // ---- Work for the idle turns ----------------------------------------------------------
    // The access password was refused: the next idle turn ends the program.
    bool CloseRequested = false;
    // A file is loading (also while the GIF timer steps a frame and while a text document opens).
    bool FileLoading = false;
    bool SlideshowActive = false;
    // The delete, rename or new-window command to run on a free idle turn (cleared once run,
    // even when it fails).
    std::function<void()> DeferredAction;
    // A delayed quick move: its folder ("NO" for none given) and whether it moves or copies.
    std::string DeferredQuickMoveFolder;
    bool DeferredQuickMoveIsMove = true;
    // A click in the folder tree: the tree's folder is to be listed.
    bool FolderChangePending = false;
    // The tip of the day is to get the focus.
    bool TipsFocusPending = false;
    // Closing all viewer windows needs a second pass.
    bool ClosingViewers = false;
    // The selection is to be loaded again (after a cancelled load), or for the first time.
    bool ReloadPending = false;
    bool LoadPending = false;
    // Start-up is through: loading may begin.
    bool DisplayReady = false;
    bool MediaStatusPending = false;
    // A warning to show on a free idle turn (-1: none) and its help context.
    Integer DeferredWarning = -1;
    Integer DeferredWarningArg = 0;
    // After a dialog the folder tree goes back to the folder last listed, unless it moved.
    bool TreeResyncPending = true;
    std::string TreeResyncPath;
    // The file-list controller's operations stay blocked until the first idle turn after
    // start-up.
    bool BlockOperations = false;

    // ---- The dialog bracket and loading ----------------------------------------------------
    bool NoDialogOpen = true;
    // A running load is asked to stop at its next progress report.
    bool LoadCancelRequested = false;
    bool LastLoadFailed = true;
    // The GIF timer is loading the next frame (its progress handles no messages).
    bool GIFFrameLoading = false;
    // The All answer of DisplayMessageDlg is in force.
    bool MessageAllAnswered = false;
    // The cancel button of the cancellable progress form was pressed.
    bool ProgressCancelled = false;
    // Whether the current table was filtered when the open dialog bracket began.
    bool TableWasFiltered = false;
    // The folder chooser changed folders: the tree is refreshed when the bracket ends.
    bool TreeRefreshPending = false;
    // The current folder's content changed: it is listed again when the bracket ends.
    bool FolderRelistPending = false;
};
