// The main window's docks, toolbars and tool windows: building them with their buttons and
// title labels, the toolbar table, showing and hiding them by what is displayed, their places in
// the store, their menus and close boxes, and applying the command rules (app/toolbar_rules.h).

#include <algorithm>

#include "app/file_grid_presenter.h"
#include "app/main_window.h"
#include "app/toolbar_art.h"
#include "catalogue/file_list.h"
#include "catalogue/thumb_grid.h"
#include "components/bar_positions.h"
#include "components/toolbar.h"
#include "components/toolbar_button.h"
#include "framework/actions.h"
#include "framework/clipboard.h"
#include "framework/comctrls.h"
#include "framework/list_controls.h"
#include "framework/menus.h"
#include "framework/rich_edit.h"
#include "framework/std_controls.h"

namespace {

// One place on a bar: a button (or another control) by name, or a separator ("-"). Command names
// the action the button follows; "" gives it no action (its handler is set in code), and "="
// places only a control that the window made already.
struct TBarItem {
    const char* Name;
    const char* Command;
    const char* Hint;
};

constexpr TBarItem MainItems[] = {
    {"btnFirstFile", "=", "Go to first Image [Home]"},
    {"btnPreviousFile", "=", "Previous Image [Down]"},
    {"btnRandomFile", "=", "Shows an image at random [*]"},
    {"btnNextFile", "=", "Next Image [Next]"},
    {"btnLastFile", "=", "Go to last Image [End]"},
    {"-", "", ""},
    {"btnShowSlideshow", "actSlideshow", ""},
    {"btnMultishow", "actMultishow", ""},
    {"btnthumb", "", "Toggles the display of Thumbnails"},
    {"-", "", ""},
    {"btnzoomout", "", "Zoom Out (Ctrl+click: Shrink to Fit) [-]"},
    {"btnzoomin", "", "Zoom In (Ctrl+click: Stretch to Fit) [+]"},
    {"btnFullScreenDisplay", "actFullScreen", ""},
    {"btnnewwin", "actNewWindow", ""},
    {"SepStop", "", ""},
    {"btnstop", "", "Stop loading current image (Ctrl+click: Reset All) [0]"},
    {"-", "", ""},
    {"btnSave", "actSaveFile", ""},
    {"btnRename", "actRename", ""},
    {"btnMove", "actMoveCopy", ""},
    {"btnDelete", "actDelete", ""},
    {"btnbookmark", "actBookmark", ""},
    {"btnFileInfo", "actFileInfo", ""},
    {"btnprint", "actFilePrint", ""},
    {"btnEdit", "actLaunchFile", ""},
    {"-", "", ""},
    {"btngettingstarted", "actGettingStarted", ""},
    {"btnHelp", "actHelpContents", ""},
    {"btnclose", "actExit", ""},
};

constexpr TBarItem ImageItems[] = {
    {"btnSelectRect", "actSelectRect", ""},
    {"btnSelectPolygon", "actSelectPolygon", ""},
    {"btnSelectOval", "actSelectOval", ""},
    {"btnImageDragger", "actImageDragger", ""},
    {"btnZoomSelect", "actZoomSelect", ""},
    {"btnMagicSelect", "actMagicSelect", ""},
    {"-", "", ""},
    {"btnImageCut", "actImageCut", ""},
    {"btnImageCopy", "actImageCopy", ""},
    {"btnImagePaste", "actImagePaste", ""},
    {"btnImageUndo", "actImageUndo", ""},
    {"-", "", ""},
    {"btnRotateLeft", "actImageRotateLeft", ""},
    {"btnRotateRight", "actImageRotateRight", ""},
    {"btnFreeRotate", "actImageFreeRotate", ""},
    {"btnCrop", "actImageCrop", ""},
    {"btnResize", "actImageResize", ""},
};

constexpr TBarItem SlideshowItems[] = {
    {"btnSSLoop", "actSSLoop", ""},
    {"-", "", ""},
    {"btnSSForward", "actSSForward", ""},
    {"btnSSBackward", "actSSBackward", ""},
    {"btnSSRandom", "actSSRandom", ""},
    {"-", "", ""},
    {"DelayTrack", "=", ""},
    {"DelayEdit", "=", ""},
};

constexpr TBarItem MultimediaItems[] = {
    {"btnMMPlay", "actMMPlay", ""},   {"btnMMStop", "actMMStop", ""}, {"btnMMRewind", "actMMRewind", ""},
    {"btnMMPause", "actMMPause", ""}, {"btnMMFF", "actMMFF", ""},     {"-", "", ""},
    {"btnMixer", "actMixer", ""},     {"btnMute", "actMute", ""},     {"btnMMLoop", "actMMLoop", ""},
};

constexpr TBarItem TextItems[] = {
    {"btnTextCut", "actTextCut", ""},
    {"btnTextCopy", "actTextCopy", ""},
    {"btnTextPaste", "actTextPaste", ""},
    {"btnTextUndo", "actTextUndo", ""},
    {"-", "", ""},
    {"btnWrapText", "actWrapText", ""},
};

constexpr TBarItem GridItems[] = {
    {"btnGridGrouper", "actGridGrouper", ""},
    {"btnGridColumnSelector", "actGridColumnSelector", ""},
    {"btnGridColumnWidth", "actGridColumnWidth", ""},
    {"btnGridPreview", "actGridPreview", ""},
    {"-", "", ""},
    {"btnGridCollapseAll", "actGridCollapseAll", ""},
    {"btnGridExpandAll", "actGridExpandAll", ""},
    {"btnGridSelectAll", "actGridSelectAll", ""},
    {"-", "", ""},
    {"btnSorting", "", "Customise your Grid Settings"},
    {"FilterBox", "=", ""},
};

// A plain action with no work of its own yet.
bool Unbuilt(TCustomAction* Action) {
    return !Action->OnExecute && !dynamic_cast<TEditAction*>(Action) && !dynamic_cast<THelpAction*>(Action);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Building

void TfrmMain::BuildToolbars() {
    auto dock = [&](const char* Name, TWinControl* Parent, TDockPosition Position, TAlign Align) {
        auto* d = new TDockX(this);
        d->SetName(Name);
        d->SetPosition(Position);
        d->SetParent(Parent);
        d->SetAlign(Align);
        return d;
    };
    dckTop = dock("dckTop", this, dpTop, alTop);
    dckBottom = dock("dckBottom", this, dpBottom, alBottom);
    dckLeft = dock("dckLeft", this, dpLeft, alLeft);
    dckRight = dock("dckRight", this, dpRight, alRight);
    dckOverFiles = dock("dckOverFiles", LeftPanel, dpTop, alTop);
    dckOverFiles->SetTop(Splitter3->GetTop() + Splitter3->GetHeight());
    DckUnderFiles = dock("DckUnderFiles", LeftPanel, dpBottom, alBottom);

    auto hookBar = [&](TCustomToolWindowX* Bar, const char* Name, const std::string& Caption) {
        Bar->SetName(Name);
        Bar->SetCaption(Caption);
        Bar->SetShowHint(true);
        Bar->OnClose = [this](TObject* S) { ToolbarClose(S); };
        Bar->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, Integer X, Integer Y) {
            ToolbarMouseDown(S, B, Sh, X, Y);
        };
        Bar->OnVisibleChanged = [this](TObject* S) { tbrDescriptionVisibleChanged(S); };
    };
    auto place = [&](TToolbarX* Bar, const TBarItem& Item) {
        const std::string name = Item.Name;
        if (name == "-") {
            (new TToolbarSepX(this))->SetParent(Bar);
            return;
        }
        TComponent* existing = FindComponent(name);
        if (name == "SepStop") {
            SepStop = new TToolbarSepX(this);
            SepStop->SetName(name);
            SepStop->SetVisible(false);
            SepStop->SetParent(Bar);
            return;
        }
        auto* button = dynamic_cast<TToolbarButtonX*>(existing);
        if (existing && !button) {
            // A control made with its own part (the delay bar, the filter box) moves onto the bar.
            if (auto* control = dynamic_cast<TControl*>(existing)) {
                control->SetAlign(alNone);
                control->SetParent(Bar);
            }
            return;
        }
        if (!button) {
            if (std::string(Item.Command) == "=") return;
            button = new TToolbarButtonX(this);
            button->SetName(name);
            button->SetBounds(0, 0, 23, 22);
            // The glyph alone: the action's caption is the hint.
            button->SetDisplayMode(dmGlyphOnly);
        }
        if (button->GetGlyph()->GetEmpty()) {
            TBitmap glyph;
            if (DrawToolbarGlyph(name, glyph)) button->SetGlyph(&glyph);
        }
        const std::string command = Item.Command;
        if (!command.empty() && command != "=") {
            if (auto* action = dynamic_cast<TBasicAction*>(FindCommand(command))) {
                button->SetAction(action);
            } else {
                button->SetVisible(false);
                button->SetEnabled(false);
            }
        }
        if (*Item.Hint) button->SetHint(Item.Hint);
        button->SetParent(Bar);
    };
    auto toolbar = [&](const char* Name, int Slot, TDockX* Dock, Integer Row, TLabel*& Title, const char* TitleText,
                       auto& Items) {
        auto* bar = new TToolbarX(this);
        hookBar(bar, Name, ToolbarEntryNames[Slot]);
        bar->SetDockRow(Row);
        Title = new TLabel(this);
        Title->SetName(std::string(Name) == "tbrMain"    ? "lbltitle"
                       : std::string(Name) == "tbrImage" ? "lbltitleimg"
                       : std::string(Name) == "tbrSS"    ? "lbltitless"
                       : std::string(Name) == "tbrMM"    ? "lbltitlemm"
                       : std::string(Name) == "tbrText"  ? "lbltitletext"
                                                         : "lbltitlegrid");
        Title->SetCaption(TitleText);
        Title->SetLayout(tlCenter);
        Title->SetParent(bar);
        Title->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, Integer X, Integer Y) {
            ToolbarTitleMouseDown(S, B, Sh, X, Y);
        };
        for (const TBarItem& item : Items) place(bar, item);
        bar->SetParent(Dock);
        return bar;
    };
    tbrMain = toolbar("tbrMain", tsMain, dckTop, 0, lbltitle, " Main: ", MainItems);
    tbrImage = toolbar("tbrImage", tsImageEditing, dckTop, 1, lbltitleimg, " Image:  ", ImageItems);
    tbrSS = toolbar("tbrSS", tsSlideshow, dckTop, 2, lbltitless, " Slideshow:  ", SlideshowItems);
    tbrMM = toolbar("tbrMM", tsMultimedia, dckTop, 3, lbltitlemm, " Multimedia:  ", MultimediaItems);
    tbrText = toolbar("tbrText", tsTextEditing, dckTop, 4, lbltitletext, " Text: ", TextItems);
    tbrGrid = toolbar("tbrGrid", tsFileGrid, DckUnderFiles, 0, lbltitlegrid, " Grid:  ", GridItems);

    btnthumb = dynamic_cast<TToolbarButtonX*>(FindComponent("btnthumb"));
    btnthumb->OnClick = [this](TObject* S) { btnthumbClick(S); };
    btnstop = dynamic_cast<TToolbarButtonX*>(FindComponent("btnstop"));
    btnstop->SetVisible(false);
    btnstop->OnClick = [this](TObject*) {
        if ((GetKeyState(VK_CONTROL) & 0x8000) != 0)
            actResetAllExecute(this);
        else if (State.FileLoading)
            State.LoadCancelRequested = true;
    };
    btnSorting = dynamic_cast<TToolbarButtonX*>(FindComponent("btnSorting"));
    if (FileGridPresenter) {
        btnSorting->SetDropdownMenu(FileGridPresenter->PopFileGrid);
        btnSorting->SetDropdownAlways(true);
    } else {
        btnSorting->SetVisible(false);
    }
    if (auto* out = dynamic_cast<TToolbarButtonX*>(FindComponent("btnzoomout")))
        out->OnClick = [this](TObject* S) { btnzoomoutClick(S); };
    if (auto* in = dynamic_cast<TToolbarButtonX*>(FindComponent("btnzoomin")))
        in->OnClick = [this](TObject* S) { btnzoominClick(S); };
    for (const char* menu : {"popZoomOut", "popZoomIn"}) {
        auto* button = dynamic_cast<TToolbarButtonX*>(
            FindComponent(menu == std::string("popZoomOut") ? "btnzoomout" : "btnzoomin"));
        if (auto* popup = dynamic_cast<TPopupMenu*>(FindComponent(menu)); button && popup)
            button->SetDropdownMenu(popup);
    }
    if (FilterBox->GetParent() == tbrGrid) FilterBox->SetWidth(150);

    // The tool windows float and never dock; each shows once its part puts controls in it.
    auto toolWindow = [&](const char* Name, int Slot, TPoint At) {
        auto* window = new TToolWindowX(this);
        hookBar(window, Name, ToolbarEntryNames[Slot]);
        window->SetDockableTo({});
        window->SetVisible(false);
        window->SetClientAreaWidth(200);
        window->SetClientAreaHeight(120);
        window->SetFloatingPosition(At);
        window->SetParent(this);
        return window;
    };
    tbrKeywords = toolWindow("tbrKeywords", tsKeywords, {120, 160});
    tbrMixer = toolWindow("tbrMixer", tsMixer, {160, 200});
    tbrDescription = toolWindow("tbrDescription", tsDescription, {200, 240});
    tbrquickmove = toolWindow("tbrquickmove", tsQuickMove, {240, 280});
    BuildToolbarTable();
}

void TfrmMain::BuildToolbarTable() {
    ToolbarTable = CreateToolbarArray();
    const std::pair<int, TCustomToolWindowX*> bars[] = {
        {tsMain, tbrMain},          {tsSlideshow, tbrSS},
        {tsImageEditing, tbrImage}, {tsMultimedia, tbrMM},
        {tsTextEditing, tbrText},   {tsFileGrid, tbrGrid},
        {tsMixer, tbrMixer},        {tsDescription, tbrDescription},
        {tsKeywords, tbrKeywords},  {tsQuickMove, tbrquickmove},
    };
    for (auto [slot, bar] : bars) {
        ToolbarTable[slot].Control = bar;
        if (bar) bar->SetTag(slot);
    }
}

TComponent* TfrmMain::FindCommand(const std::string& Name) {
    if (TComponent* c = FindComponent(Name)) return c;
    return FileGridPresenter ? FileGridPresenter->FindComponent(Name) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Showing and enabling

TWindowDisplayState TfrmMain::DisplayStateFor(const TFileRecord& Rec) {
    TWindowDisplayState s;
    s.Kind = ViewerKindOf(Rec.FileType);
    s.FileType = Rec.FileType;
    s.FileHasChanged = CurrentFile.FileHasChanged;
    s.DisplayMode = ViewerKindOf(CurrentFile.FileType);
    s.Slideshow = State.SlideshowActive;
    s.Multishow = MultishowActive();
    s.HideAll = HideAll;
    s.FullScreen = FullScreen;
    s.MouseAtTop = FlyoverTop;
    s.MouseAtBottom = FlyoverBottom;
    s.HideFlyoversInFS = Settings.HideFlyoversInFS;
    s.Visible = Settings.ToolbarVisible;
    s.HasFile = !CurrentFile.FullName.empty();
    s.Loading = State.FileLoading;
    s.LastLoadFailed = State.LastLoadFailed;
    s.HasItems = GridControl && GridControl->HasItems();
    s.BrowseMode = Mode;
    s.FileDisplayMode = GridControl ? GridControl->GetFileDisplayMode() : 0;
    s.ImageShrink = Settings.ImageShrink;
    s.ImageStretch = Settings.ImageStretch;
    s.VideoShrink = Settings.VideoShrink;
    s.VideoStretch = Settings.VideoStretch;
    s.WordWrap = RTFPanel ? RTFPanel->GetWordWrap() : true;
    s.ClipboardHasImage = ClipboardContainsImageFormat();
    if (auto* frame = actCopyVideoFrame) s.CopyVideoFrameVisible = frame->GetVisible();
    if (auto* copy = actImageCopy) s.ImageCopyEnabled = copy->GetEnabled();
    return s;
}

void TfrmMain::SetToolbarVisibility(TCustomToolWindowX* Bar, bool Visible) {
    if (!Bar) return;
    // A tool window shows only once its part has put its controls in it.
    if (Visible && dynamic_cast<TToolWindowX*>(Bar) && Bar->GetControlCount() == 0) Visible = false;
    Bar->SetVisible(Visible);
}

void TfrmMain::UpdateToolbarDisplay() {
    UpdateToolbarDisplay(CurrentFile);
}

void TfrmMain::UpdateToolbarDisplay(const TFileRecord& Rec) {
    if (!tbrMain) return;
    const bool wasBlocked = ThumbGrid->GetBlockCellDrawing();
    if (!wasBlocked) ThumbGrid->SetBlockCellDrawing(true);
    try {
        const TToolbarDisplay d = ToolbarDisplayFor(ToolbarTable, DisplayStateFor(Rec));
        for (int slot = 0; slot < ToolbarSlotCount; ++slot)
            if (!ToolbarTable[slot].Name.empty() && ToolbarTable[slot].Control)
                SetToolbarVisibility(ToolbarTable[slot].Control, d.BarShown[slot]);
        mnuMultimedia->SetEnabled(d.MultimediaMenuEnabled);
        mnuText->SetEnabled(d.TextMenuEnabled);
        MnuImage->SetEnabled(d.ImageMenuEnabled);
        Menutoggle(d.MenuVisible);
        Statusbar->SetVisible(d.StatusBarVisible);
        Invalidate();
    } catch (...) {
        if (!wasBlocked) ThumbGrid->SetBlockCellDrawing(false);
        throw;
    }
    if (!wasBlocked) ThumbGrid->SetBlockCellDrawing(false);
}

void TfrmMain::HoldUnbuiltCommands() {
    // Commands that got their work since give their keys back.
    std::erase_if(FHeldShortCuts, [](const std::pair<TCustomAction*, TShortCut>& Held) {
        if (Unbuilt(Held.first)) return false;
        Held.first->SetShortCut(Held.second);
        Held.first->SetVisible(true);
        Held.first->SetEnabled(true);
        return true;
    });
    for (int i = 0; i < ActionList1->GetActionCount(); ++i) {
        auto* action = dynamic_cast<TCustomAction*>(ActionList1->GetAction(i));
        if (!action || !Unbuilt(action)) continue;
        if (std::none_of(FHeldShortCuts.begin(), FHeldShortCuts.end(),
                         [action](const auto& Held) { return Held.first == action; }))
            FHeldShortCuts.emplace_back(action, action->GetShortCut());
        action->SetShortCut(scNone);
        action->SetVisible(false);
        action->SetEnabled(false);
    }
}

void TfrmMain::ApplyCommandStates(const std::vector<TCommandState>& States) {
    for (const TCommandState& s : States) {
        TComponent* c = FindCommand(s.Name);
        if (auto* action = dynamic_cast<TCustomAction*>(c)) {
            const bool off = Unbuilt(action);
            if (s.Visible) action->SetVisible(*s.Visible && !off);
            if (s.Enabled) action->SetEnabled(*s.Enabled && !off);
            if (off) {
                action->SetVisible(false);
                action->SetEnabled(false);
            }
            if (s.Checked) action->SetChecked(*s.Checked);
            if (s.ShortCut) action->SetShortCut(off ? scNone : *s.ShortCut);
            if (s.Caption) action->SetCaption(*s.Caption);
        } else if (auto* control = dynamic_cast<TControl*>(c)) {
            // A button that follows an action has its state from the action.
            if (control->GetAction()) continue;
            if (s.Visible) control->SetVisible(*s.Visible);
            if (s.Enabled) control->SetEnabled(*s.Enabled);
        }
    }
}

void TfrmMain::UpdateButtonDisplay() {
    UpdateButtonDisplay(CurrentFile);
}

void TfrmMain::UpdateButtonDisplay(const TFileRecord& Rec) {
    if (!ActionList1) return;
    HoldUnbuiltCommands();
    ApplyCommandStates(ButtonDisplayFor(DisplayStateFor(Rec)));
    UpdateTransButtons();
    // The menus show the entries the commands now allow.
    Menutoggle(Settings.ToolbarVisible[tsMenu]);
}

void TfrmMain::UpdateTransButtons() {
    if (!ActionList1) return;
    ApplyCommandStates(TransButtonsFor(DisplayStateFor(CurrentFile)));
}

void TfrmMain::SetActionShortCut(TCustomAction* Action, TShortCut ShortCut, bool Wanted) {
    if (Action) Action->SetShortCut(Wanted ? ShortCut : scNone);
}

bool TfrmMain::ClipboardContainsImageFormat() {
    if (FClipboardStale) {
        FClipboardHasImage = ClipboardImageQuery ? ClipboardImageQuery()
                                                 : Clipboard()->HasFormat(CF_DIB) || Clipboard()->HasFormat(CF_BITMAP);
        FClipboardStale = false;
    }
    return FClipboardHasImage;
}

// ---------------------------------------------------------------------------------------------
// The store

void TfrmMain::LoadToolbarPositions() {
    if (tbrMain) LoadBarPositionsFromRegistry(this, HKEY_LOCAL_MACHINE, ToolbarSettingsKey);
}

void TfrmMain::SaveToolbarPositions() {
    if (tbrMain) SaveBarPositionsToRegistry(this, HKEY_LOCAL_MACHINE, ToolbarSettingsKey);
}

// ---------------------------------------------------------------------------------------------
// Titles, captions and the bars' own events

void TfrmMain::DisplayToolbarTitles(bool Visible) {
    for (TLabel* title : {lbltitle, lbltitleimg, lbltitless, lbltitlemm, lbltitletext, lbltitlegrid})
        if (title) title->SetVisible(Visible);
}

void TfrmMain::SetTabCaptionVisibility(bool Visible) {
    if (FTabCaptionsShown == int(Visible)) return;
    FTabCaptionsShown = int(Visible);
    pgcModes->SetTabHeight(Visible ? 60 : 43);
    pgcModes->SetTabWidth(Visible ? 70 : 43);
    tabDatabase->SetCaption(Visible ? "Database" : "");
    tabBookmarks->SetCaption(Visible ? "Bookmarks" : "");
    tabFolders->SetCaption(Visible ? "Folders" : "");
}

void TfrmMain::ToolbarTitleMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    auto* label = dynamic_cast<TControl*>(Sender);
    if (!label || !label->GetParent()) return;
    const TPoint p = label->GetParent()->ScreenToClient(label->ClientToScreen({X, Y}));
    ToolbarMouseDown(label->GetParent(), Button, Shift, p.X, p.Y);
}

void TfrmMain::ToolbarMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (Button != mbRight) return;
    auto* bar = dynamic_cast<TControl*>(Sender);
    if (!bar) return;
    pukHideToolbar->SetTag(bar->GetTag());
    AddToolbarsToPopup(pukFlyoverTools, true);
    AddToolbarsToPopup(pukToolbars, false);
    const TPoint p = bar->ClientToScreen({X, Y});
    popToolbars->Popup(p.X, p.Y);
}

void TfrmMain::mkToolbarOnClick(TObject* Sender) {
    try {
        auto* item = dynamic_cast<TComponent*>(Sender);
        if (!item) return;
        const Integer slot = item->GetTag();
        if (slot < 0 || slot >= ToolbarEntryCount) return;
        Settings.ToolbarVisible[slot] = !Settings.ToolbarVisible[slot];
        SetToolbarVisibility(ToolbarTable[slot].Control, Settings.ToolbarVisible[slot]);
    } catch (...) {}
}

void TfrmMain::ToolbarClose(TObject* Sender) {
    try {
        auto* bar = dynamic_cast<TCustomToolWindowX*>(Sender);
        if (!bar) return;
        const Integer slot = bar->GetTag();
        if (slot < 0 || slot >= ToolbarEntryCount) return;
        if (ToolbarTable[slot].Kind == trkToolWindow) showwarning(30, false, true, 0);
        Settings.ToolbarVisible[slot] = false;
    } catch (...) {}
}

void TfrmMain::tbrDescriptionVisibleChanged(TObject* Sender) {
    auto* bar = dynamic_cast<TCustomToolWindowX*>(Sender);
    if (!bar || !bar->GetVisible() || bar->GetDocked()) return;
    const TPoint at = ClampFloatingBar(bar->GetBoundsRect(), Screen->GetWidth(), Screen->GetHeight());
    if (at.X != bar->GetLeft() || at.Y != bar->GetTop()) bar->SetBounds(at.X, at.Y, bar->GetWidth(), bar->GetHeight());
}

void TfrmMain::actMenuVisibleExecute(TObject* Sender) {
    if (HideAll) {
        SetHideAll(false);
        return;
    }
    Settings.ToolbarVisible[tsMenu] = !Settings.ToolbarVisible[tsMenu];
    actMenuVisible->SetChecked(Settings.ToolbarVisible[tsMenu]);
    UpdateToolbarDisplay();
}

void TfrmMain::actStatusBarVisibleExecute(TObject* Sender) {
    if (HideAll) {
        SetHideAll(false);
        return;
    }
    Settings.ToolbarVisible[tsStatusBar] = !Settings.ToolbarVisible[tsStatusBar];
    actStatusBarVisible->SetChecked(Settings.ToolbarVisible[tsStatusBar]);
    UpdateToolbarDisplay();
}
