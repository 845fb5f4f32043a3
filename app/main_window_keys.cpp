// The main window's keys: the window sees every key first. Going down, navigation keys move
// the file list; typed digits scroll the image; coming up, a key runs its command from the key
// map below.

#include "app/main_window.h"
#include "catalogue/file_list.h"
#include "catalogue/thumb_grid.h"
#include "components/shell_tree.h"
#include "dbgrid/db_grid.h"
#include "framework/actions.h"
#include "framework/comctrls.h"
#include "framework/file_utils.h"
#include "framework/sysutils.h"
#include "framework/tree_view.h"
#include "imaging/img_view.h"

namespace {

bool IsNavigationKey(Word Key) { return Key >= VK_PRIOR && Key <= VK_DOWN; }

// The image scrolls by a small step with Alt and an arrow, a large one with Alt and the page
// keys (Page Up and Down up and down, Home and End left and right).
struct TScrollKey {
    Word Key;
    Integer DX, DY;
};
constexpr TScrollKey kAltScrollKeys[] = {
    {VK_UP, 0, -8},    {VK_DOWN, 0, 8},     {VK_LEFT, -8, 0}, {VK_RIGHT, 8, 0},
    {VK_PRIOR, 0, -80}, {VK_NEXT, 0, 80},   {VK_HOME, -80, 0}, {VK_END, 80, 0},
};

}  // namespace

void TfrmMain::ScrollImageBy(Integer DX, Integer DY) {
    imgimage->SetViewXY(imgimage->GetViewX() + DX, imgimage->GetViewY() + DY);
}

bool TfrmMain::IsFileViewFocused() { return FullScreen || FileGrid->Focused() || ThumbGrid->Focused(); }

void TfrmMain::FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift) {
    if (State.SlideshowActive || !IsNavigationKey(Key) || !IsFileViewFocused()) return;
    GridControl->HandleKeyDown(Key, Shift, !FullScreen);
    Key = 0;
}

void TfrmMain::FormKeyPress(TObject* Sender, Char& Key) {
    switch (Key) {
    case '2': ScrollImageBy(0, 8); break;
    case '4': ScrollImageBy(-8, 0); break;
    case '6': ScrollImageBy(8, 0); break;
    case '8': ScrollImageBy(0, -8); break;
    default: break;
    }
    Key = 0;
}

void TfrmMain::FormKeyUp(TObject* Sender, Word& Key, TShiftState Shift) {
    // The folder tree's own keys.
    if (DirTree->Focused() && !FullScreen) {
        TTreeNode* node = DirTree->GetSelected();
        bool handled = true;
        try {
            switch (Key) {
            case VK_SPACE:
                if (node) node->SetExpanded(!node->GetExpanded());
                break;
            case VK_ADD:
            case VK_OEM_PLUS:
                if (node) node->Expand(false);
                break;
            case VK_MULTIPLY:
                if (node) node->Expand(true);
                break;
            case VK_SUBTRACT:
            case VK_OEM_MINUS:
                if (node) node->Collapse(false);
                break;
            default: handled = false; break;
            }
        } catch (...) {
        }
        if (handled) {
            Key = 0;
            return;
        }
    }

    if (Shift.Contains(ssAlt)) {
        for (const TScrollKey& k : kAltScrollKeys) {
            if (k.Key != Key) continue;
            ScrollImageBy(k.DX, k.DY);
            Key = 0;
            return;
        }
    }

    if (Shift.Contains(ssCtrl)) {
        // Bold, italic and underline come with the text tools.
        if (Key == VK_ADD) actStretchToFitExecute(actStretchToFit);
        if (Key == VK_SUBTRACT) actShrinkToFitExecute(actShrinkToFit);
        Key = 0;
        return;
    }

    if (!State.SlideshowActive && IsNavigationKey(Key) && IsFileViewFocused()) {
        GridControl->HandleKeyUp(Key, Shift, !FullScreen);
        Key = 0;
        LoadFile("", lhDirect);
        return;
    }

    if (Shift.Empty()) {
        // The single-key commands: the key, whether it acts now, what it does.
        struct TKeyCommand {
            Word Key;
            bool (*When)(TfrmMain& W);
            void (*Run)(TfrmMain& W);
        };
        static const auto always = [](TfrmMain&) { return true; };
        static const auto inSlideshow = [](TfrmMain& W) { return W.State.SlideshowActive; };
        static const auto inFolders = [](TfrmMain& W) { return W.Mode == 3; };
        static const auto moveCopy = [](TfrmMain& W, bool Move) {
            W.MoveCopyIsMove = Move;
            W.actMoveCopy->Execute();
        };
        static const TKeyCommand commands[] = {
            {VK_BACK, inFolders,
             [](TfrmMain& W) {
                 const std::string folder = ExcludeTrailingPathDelimiter(W.GetDirTreePath());
                 if (folder.empty() || folder == "/") return;
                 W.SetDirTreePath(IncludeTrailingPathDelimiter(ExtractFilePath(folder)));
                 if (W.FullScreen) W.LoadFile("", lhDirect);
             }},
            {VK_SPACE, always, [](TfrmMain& W) { W.actFullScreenExecute(W.actFullScreen); }},
            {VK_F11, always, [](TfrmMain& W) { W.actFullScreenExecute(W.actFullScreen); }},
            {VK_LEFT, inSlideshow, [](TfrmMain& W) { W.FileButtonClick(fbPrevious); }},
            {VK_UP, inSlideshow, [](TfrmMain& W) { W.FileButtonClick(fbPrevious); }},
            {VK_RIGHT, inSlideshow, [](TfrmMain& W) { W.FileButtonClick(fbNext); }},
            {VK_DOWN, inSlideshow, [](TfrmMain& W) { W.FileButtonClick(fbNext); }},
            {VK_DELETE, always, [](TfrmMain& W) { W.actDelete->Execute(); }},
            {'A', always, [](TfrmMain& W) { W.SetHideAll(!W.HideAll); }},
            {'C', always, [](TfrmMain& W) { moveCopy(W, false); }},
            {'M', always, [](TfrmMain& W) { moveCopy(W, true); }},
            {'X', always, [](TfrmMain& W) { moveCopy(W, true); }},
            {'N', always, [](TfrmMain& W) { W.actNewWindow->Execute(); }},
            {'R', always, [](TfrmMain& W) { W.actRename->Execute(); }},
            {VK_F2, always, [](TfrmMain& W) { W.actRename->Execute(); }},
            {'S', always, [](TfrmMain& W) { W.ActivateSlideshow(W.State.SlideshowActive ? 0 : 1); }},
            {VK_NUMPAD0, always,
             [](TfrmMain& W) {
                 if (W.State.FileLoading)
                     W.State.LoadCancelRequested = true;
                 else
                     W.LoadFile(W.CurrentFile.FullName, lhDirect);
             }},
            {VK_MULTIPLY, always, [](TfrmMain& W) { W.FileButtonClick(fbRandom); }},
            {VK_OEM_2, always, [](TfrmMain& W) { W.FileButtonClick(fbRandom); }},
            {VK_ADD, always, [](TfrmMain& W) { W.ZoomInOut(true); }},
            {VK_SUBTRACT, always, [](TfrmMain& W) { W.ZoomInOut(false); }},
            {VK_F5, inFolders, [](TfrmMain& W) { W.pukRefreshClick(W.DirTree); }},
            // Enter (the keywords), D (the source folders), K (a new keyword) and W (the next
            // viewer window) belong to features that are not here.
        };
        for (const TKeyCommand& c : commands)
            if (c.Key == Key && c.When(*this)) c.Run(*this);
    }

    if (Key == VK_OEM_COMMA || Key == VK_OEM_PERIOD) {
        const bool up = Key == VK_OEM_PERIOD;
        if (State.SlideshowActive) {
            if (DelayTrack) {
                DelayTrack->SetPosition(DelayTrack->GetPosition() + (up ? 1 : -1));
                DelayTrackChange(DelayTrack);
            }
            Key = 0;
            return;
        }
        if (ShowingMediaPanel()) (up ? actVolumeUp : actVolumeDown)->Execute();
    }

    if (Key == 'B' && !Shift.Contains(ssAlt)) actBookmark->Execute();

    if (!IsNavigationKey(Key) && Key != VK_F10) Key = 0;
}
