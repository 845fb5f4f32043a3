#pragma once
// The main window's bar and command rules, apart from any window: the toolbar table, which bars
// and menus show for what is displayed, and how the commands are enabled, shown, checked and
// given their shortcuts. Each rule is a pure function of one record of the window's state
// (TWindowDisplayState); the window fills the record, calls the rule and applies the answer.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "catalogue/lm_types.h"
#include "framework/messages.h"
#include "framework/types.h"

class TCustomToolWindowX;

// ---- The toolbar table ----------------------------------------------------------------------

// 19 slots; 0 to 14 are named (their Visible flags are TLumoraSettings::ToolbarVisible, by
// slot), the rest stay empty and every loop skips them.
inline constexpr int ToolbarSlotCount = 19;
enum TToolbarSlot {
    tsMain = 0,
    tsStatusBar = 1,
    tsMenu = 2,
    tsImageEditing = 3,
    tsTextEditing = 4,
    tsMultimedia = 5,
    tsFileGrid = 6,
    tsSlideshow = 7,
    tsKeywords = 8,
    tsDescription = 9,
    tsQuickMove = 10,
    tsMixer = 11,
};
// What a row is: no bar of its own, a docking toolbar, a tool window.
enum TToolbarRowKind : SmallInt { trkPseudo = 0, trkToolbar = 1, trkToolWindow = 2 };

struct TToolbarRecord {
    std::string Name;  // also the value name of its flag under "Toolbars"
    std::string Hint;  // "Display a toolbar ..." (empty for pseudo rows)
    SmallInt Kind = trkPseudo;
    TCustomToolWindowX* Control = nullptr;
};
using TToolbarTable = std::array<TToolbarRecord, ToolbarSlotCount>;
using TToolbarFlags = std::array<bool, ToolbarEntryCount>;

// The rows with their names, hints and kinds (no controls yet).
TToolbarTable CreateToolbarArray();

// ---- The window's state ---------------------------------------------------------------------

// The viewer kinds of the display modes: 0 image, 2 sound and video, 3 text, 4 office document,
// 255 anything else.
inline constexpr Integer vkImage = 0, vkMedia = 2, vkText = 3, vkOffice = 4, vkNone = 255;
Integer ViewerKindOf(TLMFileTypes FileType);

struct TWindowDisplayState {
    // The file record the display is for: its viewer kind and type, whether it is changed.
    Integer Kind = vkNone;
    TLMFileTypes FileType = lmnone;
    bool FileHasChanged = false;
    // The viewer's display mode (a viewer kind) in force.
    Integer DisplayMode = vkNone;
    bool Slideshow = false;
    bool Multishow = false;
    bool HideAll = false;
    bool FullScreen = false;
    // The mouse is at the top or bottom edge of the viewer (the flyover edges of hide-all).
    bool MouseAtTop = false;
    bool MouseAtBottom = false;
    bool HideFlyoversInFS = true;
    TToolbarFlags Visible = [] {
        TToolbarFlags all;
        all.fill(true);
        return all;
    }();
    // A file is current, a load runs, the last load failed, the file list has entries.
    bool HasFile = false;
    bool Loading = false;
    bool LastLoadFailed = false;
    bool HasItems = false;
    // The browse mode (3 folders, 4 bookmarks) and the file list's display mode (0 details).
    Integer BrowseMode = 3;
    Integer FileDisplayMode = 0;
    // The media shows a picture (video); play or pause is checked.
    bool MediaHasPicture = false;
    bool MediaPlayingOrPaused = false;
    bool ImageShrink = true, ImageStretch = false, VideoShrink = true, VideoStretch = false;
    bool WordWrap = false;
    // The clipboard holds an image; the image view can undo, has a selection.
    bool ClipboardHasImage = false;
    bool CanUndo = false;
    bool HasSelection = false;
    // As the commands stand now (UpdateTransButtons reads them).
    bool CopyVideoFrameVisible = false;
    bool ImageCopyEnabled = false;

    // A file is current and its last load did not fail.
    bool Shown() const { return HasFile && !LastLoadFailed; }
};

// ---- Bars, menus and the status bar ---------------------------------------------------------

struct TToolbarDisplay {
    // Per slot, for the rows with a bar.
    std::array<bool, ToolbarSlotCount> BarShown{};
    bool MultimediaMenuEnabled = false;
    bool TextMenuEnabled = false;
    bool ImageMenuEnabled = false;
    bool MenuVisible = true;
    bool StatusBarVisible = true;
};
TToolbarDisplay ToolbarDisplayFor(const TToolbarTable& Table, const TWindowDisplayState& S);

// ---- Commands -------------------------------------------------------------------------------

// What a rule says of one command (an action or a control, by name); unset parts stay as they are.
struct TCommandState {
    std::string Name;
    std::optional<bool> Visible, Enabled, Checked;
    std::optional<TShortCut> ShortCut;
    std::optional<std::string> Caption;
};
using TCommandStates = std::vector<TCommandState>;

// The state of the commands for the file record (UpdateButtonDisplay without its last step).
TCommandStates ButtonDisplayFor(const TWindowDisplayState& S);
// The commands that follow the clipboard, the undo buffer and the selection (UpdateTransButtons).
TCommandStates TransButtonsFor(const TWindowDisplayState& S);

// Ctrl+X, Ctrl+C, Ctrl+V and Ctrl+Z.
TShortCut EditShortCut(char Letter);

// ---- Menus of the toolbar table -------------------------------------------------------------

struct TToolbarMenuEntry {
    std::string Caption;
    std::string Hint;
    Integer Tag = 0;  // the slot
    bool Checked = false;
    bool Enabled = true;
};
// The items of the "Toolbars" (ToolWindows false) or "Flyover Tools" submenu; "Keywords" never.
std::vector<TToolbarMenuEntry> ToolbarMenuEntries(const TToolbarTable& Table, const TToolbarFlags& Visible,
                                                  bool ToolWindows, bool Slideshow, Integer DisplayMode);

// Where a floating bar that became visible goes so that it stays on a ScreenW x ScreenH screen.
TPoint ClampFloatingBar(const TRect& Bar, Integer ScreenW, Integer ScreenH);
