// The main window's action list, its main menu and the toolbar and file display popups, the
// menus rebuilt as they open, and the menu, status bar, exit and status picture commands.

#include "app/file_grid_presenter.h"
#include "app/main_window.h"
#include "app/menu_building.h"
#include "catalogue/file_list.h"
#include "components/toolbar.h"
#include "components/toolbar_button.h"
#include "dbgrid/db_grid.h"
#include "framework/actions.h"
#include "framework/clipboard.h"
#include "framework/comctrls.h"
#include "framework/dialog_service.h"
#include "framework/list_controls.h"
#include "framework/menus.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"

namespace {

// The actions the viewer and the slideshow make, by category: they join the list when they exist.
constexpr std::pair<const char*, const char*> ViewerActions[] = {
    {"actShowSelection", "File"},
    {"actImageDragger", "Image_Select"},
    {"actZoomSelect", "Image_Select"},
    {"actSelectRect", "Image_Select"},
    {"actSelectPolygon", "Image_Select"},
    {"actMagicSelect", "Image_Select"},
    {"actSelectOval", "Image_Select"},
    {"actFullScreen", "View"},
    {"actZoom", "View"},
    {"actShrinkToFit", "View"},
    {"actStretchToFit", "View"},
    {"actWrapText", "View"},
    {"actSlideshow", "Slideshow"},
    {"actMultishow", "Slideshow"},
    {"actSSForward", "Slideshow"},
    {"actSSBackward", "Slideshow"},
    {"actSSRandom", "Slideshow"},
    {"actSSLoop", "Slideshow"},
};

// Whether an item with sub-items shows any entry that leads to a command.
bool HasVisibleEntry(TMenuItem* Item) {
    for (int i = 0; i < Item->GetCount(); ++i) {
        TMenuItem* sub = Item->GetItem(i);
        if (sub->GetVisible() && !sub->IsLine() && (sub->GetCount() == 0 || HasVisibleEntry(sub))) return true;
    }
    return false;
}

// Hides, from the bottom up, every submenu that has entries but shows none of them.
void HideEmptySubmenus(TMenuItem* Item) {
    for (int i = 0; i < Item->GetCount(); ++i) {
        TMenuItem* sub = Item->GetItem(i);
        if (sub->GetCount() == 0) continue;
        HideEmptySubmenus(sub);
        if (!HasVisibleEntry(sub)) sub->SetVisible(false);
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The action list

void TfrmMain::BuildActions() {
    ActionList1 = new TActionList(this);
    ActionList1->SetName("ActionList1");
    auto add = [&](TCustomAction* Action, const char* Name, const char* Category, const char* Caption, const char* Keys,
                   TNotifyEvent Execute) {
        Action->SetName(Name);
        Action->SetActionList(ActionList1);
        Action->SetCategory(Category);
        Action->SetCaption(Caption);
        Action->SetHint(StripHotkey(Caption));
        if (*Keys) Action->SetShortCut(TextToShortCut(Keys));
        Action->OnExecute = std::move(Execute);
        return Action;
    };
    auto plain = [&](TAction*& Member, const char* Name, const char* Category, const char* Caption,
                     const char* Keys = "", TNotifyEvent Execute = nullptr) {
        Member = static_cast<TAction*>(add(new TAction(this), Name, Category, Caption, Keys, std::move(Execute)));
    };
    auto method = [this](void (TfrmMain::*Handler)(TObject*)) {
        return TNotifyEvent([this, Handler](TObject* S) { (this->*Handler)(S); });
    };

    plain(actSaveFile, "actSaveFile", "File", "Save", "Ctrl+S");
    plain(actRename, "actRename", "File", "Rename..");
    plain(actMoveCopy, "actMoveCopy", "File", "Move/Copy..");
    plain(actDelete, "actDelete", "File", "Delete");
    plain(actDeleteNoRecycle, "actDeleteNoRecycle", "File", "Delete Permanently", "Shift+Del");
    plain(actFileInfo, "actFileInfo", "File", "File Information..", "Alt+Enter");
    plain(actFilePrint, "actFilePrint", "File", "Print..", "Ctrl+P");
    plain(actEmailFile, "actEmailFile", "File", "E-mail File..");
    plain(actLaunchFile, "actLaunchFile", "File", "Open in Editor", "Ctrl+E");

    plain(actImageCut, "actImageCut", "Image", "Cut Image Selection", "Ctrl+X");
    plain(actImageCopy, "actImageCopy", "Image", "Copy Image Selection", "Ctrl+C");
    plain(actImagePaste, "actImagePaste", "Image", "Paste Image to Selection", "Ctrl+V");
    plain(actImagePasteAsNew, "actImagePasteAsNew", "Image", "Paste as New Image");
    plain(actImageUndo, "actImageUndo", "Image", "Undo Changes", "Ctrl+Z");
    plain(actImageResize, "actImageResize", "Image", "Resize Image..", "Alt+S");
    plain(actImageRotateLeft, "actImageRotateLeft", "Image", "Rotate Image Left");
    actImageRotateLeft->SetShortCut(ShortCut(VK_OEM_COMMA, {ssAlt}));
    plain(actImageRotateRight, "actImageRotateRight", "Image", "Rotate Image Right");
    actImageRotateRight->SetShortCut(ShortCut(VK_OEM_PERIOD, {ssAlt}));
    plain(actImageFreeRotate, "actImageFreeRotate", "Image", "Rotate and Flip Image..", "Alt+R");
    plain(actImageCrop, "actImageCrop", "Image", "Crop Image to Selection", "Alt+C");
    plain(actBatchConversion, "actBatchConversion", "Image", "Batch Conversion..");
    // The clipboard's commands follow it while the window idles.
    actImagePaste->OnUpdate = [this](TObject*) { UpdateTransButtons(); };

    plain(actNewWindow, "actNewWindow", "View", "Open in New Window", "Ctrl+N");
    plain(actMenuVisible, "actMenuVisible", "View", "Menu Visible", "Ctrl+M", method(&TfrmMain::actMenuVisibleExecute));
    plain(actStatusBarVisible, "actStatusBarVisible", "View", "Status Bar Visible", "Ctrl+B",
          method(&TfrmMain::actStatusBarVisibleExecute));
    plain(actResetAll, "actResetAll", "View", "Reset Settings", "Esc", method(&TfrmMain::actResetAllExecute));

    plain(actMMControls, "actMMControls", "MultiMedia", "Multimedia Controls");
    plain(actMMPlay, "actMMPlay", "MultiMedia", "Play");
    plain(actMMPause, "actMMPause", "MultiMedia", "Pause");
    plain(actMMStop, "actMMStop", "MultiMedia", "Stop");
    plain(actMMRewind, "actMMRewind", "MultiMedia", "Rewind");
    plain(actMMFF, "actMMFF", "MultiMedia", "Fast Forward");
    plain(actMMLoop, "actMMLoop", "MultiMedia", "Loop File");
    plain(actMute, "actMute", "MultiMedia", "Mute");
    plain(actMixer, "actMixer", "MultiMedia", "Display Mixer");
    plain(actVolumeUp, "actVolumeUp", "MultiMedia", "Volume Up");
    plain(actVolumeDown, "actVolumeDown", "MultiMedia", "Volume Down");
    plain(actCopyVideoFrame, "actCopyVideoFrame", "MultiMedia", "Copy Video Frame to Clipboard");

    plain(actBookmark, "actBookmark", "Bookmarks", "Bookmark");
    plain(actRemoveBookmark, "actRemoveBookmark", "Bookmarks", "Remove Bookmark", "Alt+B");
    plain(actBookmarkUp, "actBookmarkUp", "Bookmarks", "Move Bookmark Up");
    plain(actBookmarkDown, "actBookmarkDown", "Bookmarks", "Move Bookmark Down");
    plain(actBookmarkFunctions, "actBookmarkFunctions", "Bookmarks", "Bookmark Functions");
    plain(actNewBookmarkFile, "actNewBookmarkFile", "Bookmarks", "New Bookmark File");

    plain(actCloseAllSecondaryWindows, "actCloseAllSecondaryWindows", "Windows", "Close All Secondary Windows",
          "Shift+Ctrl+W");
    plain(actAddAllToBookmarks, "actAddAllToBookmarks", "Windows", "Add All Secondary Windows to Bookmarks");
    plain(actMinimiseAll, "actMinimiseAll", "Windows", "Minimise All", "F12");
    plain(actExit, "actExit", "Windows", "Exit", "Alt+F4", method(&TfrmMain::actExitExecute));

    plain(actKeyword, "actKeyword", "Keywords", "Keywords");
    plain(actNewKeyword, "actNewKeyword", "Keywords", "Create New Keyword..", "Alt+K");
    plain(actNewGroup, "actNewGroup", "Keywords", "Create New Keyword Group..");
    plain(actRenameKeyword, "actRenameKeyword", "Keywords", "Rename Keyword");
    plain(actDeleteKeyword, "actDeleteKeyword", "Keywords", "Delete Keyword");
    plain(actEditKeywords, "actEditKeywords", "Keywords", "Edit Keywords..", "Ctrl+K");
    plain(actGroupKeywords, "actGroupKeywords", "Keywords", "Group Keywords");
    plain(actRemoveKeyword, "actRemoveKeyword", "Keywords", "Remove Keyword");

    plain(actGettingStarted, "actGettingStarted", "General", "Getting Started..");

    // The standard edit actions (on the focused rich text) and the help actions. The edit keys go
    // to the text actions only while text is shown (UpdateButtonDisplay).
    actTextCut = static_cast<TEditAction*>(add(new TEditCut(this), "actTextCut", "Edit", "Cu&t", "", nullptr));
    actTextCopy = static_cast<TEditAction*>(add(new TEditCopy(this), "actTextCopy", "Edit", "&Copy", "", nullptr));
    actTextPaste = static_cast<TEditAction*>(add(new TEditPaste(this), "actTextPaste", "Edit", "&Paste", "", nullptr));
    actTextUndo = static_cast<TEditAction*>(add(new TEditUndo(this), "actTextUndo", "Edit", "&Undo", "", nullptr));
    actHelpContents =
        static_cast<THelpAction*>(add(new THelpContents(this), "actHelpContents", "Help", "&Contents", "", nullptr));
    actHelpTopicSearch = static_cast<THelpAction*>(
        add(new THelpTopicSearch(this), "actHelpTopicSearch", "Help", "&Topic Search", "", nullptr));

    // The viewer's and the slideshow's actions and the file grid's join the list.
    for (auto [name, category] : ViewerActions) {
        if (auto* action = dynamic_cast<TContainedAction*>(FindComponent(name))) {
            if (!action->GetActionList()) action->SetActionList(ActionList1);
            action->SetCategory(category);
        }
    }
    if (FileGridPresenter)
        for (TAction* action : {FileGridPresenter->actGridGrouper, FileGridPresenter->actGridColumnSelector,
                                FileGridPresenter->actGridColumnWidth, FileGridPresenter->actGridPreview,
                                FileGridPresenter->actGridCollapseAll, FileGridPresenter->actGridExpandAll,
                                FileGridPresenter->actGridSelectAll})
            action->SetActionList(ActionList1);

    HoldUnbuiltCommands();
}

// ---------------------------------------------------------------------------------------------
// The menus

void TfrmMain::BuildMenus() {
    auto named = [&](TComponent* C, const char* Name) {
        if (*Name && !FindComponent(Name)) C->SetName(Name);
    };
    // An item with its own handler; without one it is hidden and disabled.
    auto item = [&](TMenuItem* Parent, const char* Name, const char* Caption, TNotifyEvent OnClick = nullptr) {
        const bool built = static_cast<bool>(OnClick);
        TMenuItem* i = CreateMenuItem(this, Parent, Caption, "", built, false, -1, 0, std::move(OnClick));
        named(i, Name);
        i->SetVisible(built);
        return i;
    };
    // A submenu, shown while one of its entries is.
    auto sub = [&](TMenuItem* Parent, const char* Name, const char* Caption) {
        TMenuItem* i = CreateSimpleMenuItem(this, Parent, Caption, -1, nullptr);
        named(i, Name);
        return i;
    };
    // An item bound to an action found by name; hidden and disabled when there is none.
    auto act = [&](TMenuItem* Parent, const char* Name, const char* Action) {
        auto* action = dynamic_cast<TBasicAction*>(FindCommand(Action));
        TMenuItem* i;
        if (action) {
            i = CreateActionMenuItem(this, Parent, action);
        } else {
            i = CreateMenuItem(this, Parent, Action, "", false, false, -1, 0, nullptr);
            i->SetVisible(false);
        }
        named(i, Name);
        return i;
    };
    auto line = [&](TMenuItem* Parent) { CreateSimpleMenuItem(this, Parent, "-", -1, nullptr); };
    auto method = [this](void (TfrmMain::*Handler)(TObject*)) {
        return TNotifyEvent([this, Handler](TObject* S) { (this->*Handler)(S); });
    };

    Menu = new TMainMenu(this);
    Menu->SetName("Menu");
    TMenuItem* bar = Menu->GetItems();

    mnuFile = sub(bar, "mnuFile", "&File ");
    mnuFile->OnClick = method(&TfrmMain::mnuFileClick);
    act(mnuFile, "mkFileInfo", "actFileInfo");
    TMenuItem* mkNew = sub(mnuFile, "mkNew", "New..");
    item(mkNew, "ImageFile1", "Image File");
    item(mkNew, "TextDocument1", "Text Document");
    act(mkNew, "mkNewBookmarkFile", "actNewBookmarkFile");
    mkNewDirectory = item(mkNew, "mkNewDirectory", "Directory..");
    line(mnuFile);
    act(mnuFile, "mksave", "actSaveFile");
    mkSaveAs = item(mnuFile, "mkSaveAs", "&Save as..");
    act(mnuFile, "mkRename", "actRename");
    act(mnuFile, "mkMove", "actMoveCopy");
    act(mnuFile, "mkDelete", "actDelete");
    line(mnuFile);
    act(mnuFile, "AddtoFavorites1", "actBookmark");
    act(mnuFile, "mkremovebookmark1", "actRemoveBookmark");
    line(mnuFile);
    act(mnuFile, "mkemail", "actEmailFile");
    act(mnuFile, "mkPrint", "actFilePrint");
    line(mnuFile);
    mkWatchDirectory = item(mnuFile, "mkWatchDirectory", "Watch Directory..");
    item(mnuFile, "Formats1", "Supported Formats..");
    item(mnuFile, "mkOptions", "Options..");
    line(mnuFile);
    act(mnuFile, "mkExit", "actExit");

    // The database features are never shown.
    mnuDatabase = sub(bar, "mnuDatabase", "&Database");

    mnuEdit = sub(bar, "mnuEdit", "&Edit ");
    act(mnuEdit, "mkImageUndo", "actImageUndo");
    act(mnuEdit, "mkTextUndo", "actTextUndo");
    line(mnuEdit);
    act(mnuEdit, "mkTextCut", "actTextCut");
    act(mnuEdit, "mkTextCopy", "actTextCopy");
    act(mnuEdit, "mkTextPaste", "actTextPaste");
    act(mnuEdit, "mkImageCut", "actImageCut");
    act(mnuEdit, "mkCopyFrametoClipboard", "actCopyVideoFrame");
    act(mnuEdit, "mkImageCopy", "actImageCopy");
    act(mnuEdit, "mkImagePaste", "actImagePaste");
    act(mnuEdit, "mkImagePasteAsNew", "actImagePasteAsNew");
    line(mnuEdit);
    act(mnuEdit, "mkLaunch", "actLaunchFile");
    item(mnuEdit, "mkAcquire", "&Acquire Images from Camera/Scanner");

    MnuImage = sub(bar, "MnuImage", "Image");
    MnuImage->OnClick = method(&TfrmMain::MnuImageClick);
    TMenuItem* cursor = sub(MnuImage, "CursorAction1", "Cursor Action");
    for (const char* a :
         {"actSelectRect", "actSelectPolygon", "actSelectOval", "actImageDragger", "actZoomSelect", "actMagicSelect"})
        act(cursor, "", a);
    mkattributes = item(MnuImage, "mkattributes", "Image Attributes");
    EditImage1 = sub(MnuImage, "EditImage1", "Edit Image");
    for (const char* a :
         {"actImageRotateLeft", "actImageRotateRight", "actImageFreeRotate", "actImageResize", "actImageCrop"})
        act(EditImage1, "", a);
    item(EditImage1, "mkMergeImage", "Merge Image");
    mkEffects = sub(MnuImage, "mkEffects", "Effects");
    item(mkEffects, "AutoColourEnhance1", "Auto Colour Enhance");
    item(mkEffects, "mkEditColours", "Adjust Colours");
    item(mkEffects, "mkImageEffects", "Image Effects");
    item(mkEffects, "mkGreyScale", "Grey Scale");
    item(mkEffects, "mkNegative", "Negative");
    mkWallpaper = sub(MnuImage, "mkWallpaper", "Set Image as Wallpaper");
    item(mkWallpaper, "Centered1", "Centered");
    item(mkWallpaper, "Tiled1", "Tiled");
    item(mkWallpaper, "Stretched1", "Stretched");
    mkEditGIF = item(MnuImage, "mkEditGIF", "Edit Animated GIF..");
    mkBatchConversion = act(MnuImage, "mkBatchConversion", "actBatchConversion");

    mnuText = sub(bar, "mnuText", "Text");
    act(mnuText, "mkWrapText", "actWrapText");

    mnuMultimedia = sub(bar, "mnuMultimedia", "Multimedia");
    mnuMultimedia->OnClick = method(&TfrmMain::mnuMultimediaClick);
    mkCaptureVideotoFile = item(mnuMultimedia, "mkCaptureVideotoFile", "Capture Video Frame to File");
    mkViewAVIFrames = item(mnuMultimedia, "mkViewAVIFrames", "View AVI Frames");
    TMenuItem* controls = act(mnuMultimedia, "mkMMControls", "actMMControls");
    for (const char* a : {"actMMPlay", "actMMPause", "actMMStop", "actVolumeDown", "actVolumeUp"}) act(controls, "", a);
    act(controls, "mkMute", "actMute");
    act(controls, "", "actMMLoop");

    MnuView = sub(bar, "MnuView", "&View ");
    MnuView->OnClick = method(&TfrmMain::MnuViewClick);
    act(MnuView, "mknewwin", "actNewWindow");
    act(MnuView, "mkFullScreen", "actFullScreen");
    act(MnuView, "mkSlideshow", "actSlideshow");
    act(MnuView, "mkMultishow", "actMultishow");
    line(MnuView);
    mkZoom = act(MnuView, "mkZoom", "actZoom");
    act(MnuView, "mkShrink", "actShrinkToFit");
    act(MnuView, "mkStretch", "actStretchToFit");
    line(MnuView);
    mkFileDisplayMode = sub(MnuView, "mkFileDisplayMode", "&File Display");
    mkFileSorting = sub(MnuView, "mkFileSorting", "File Sorting");
    mkFileTypeFilter = sub(MnuView, "mkFileTypeFilter", "File Type Filter");
    line(MnuView);
    mkToolbars = sub(MnuView, "mkToolbars", "Toolbars");
    mkFlyoverTools = sub(MnuView, "mkFlyoverTools", "Flyover Tools");
    act(MnuView, "mktbrMenu", "actMenuVisible");
    act(MnuView, "mkStatusBar", "actStatusBarVisible");
    line(MnuView);
    item(MnuView, "mkResetSettings", "&Reset Settings", method(&TfrmMain::mkResetSettingsClick));

    mnuThumbnails = sub(bar, "mnuThumbnails", "&Thumbnails");
    item(mnuThumbnails, "mkFileList", "Print/Export File List..");
    item(mnuThumbnails, "mkThumbSheets", "Print/Export &Thumb Sheets..");
    item(mnuThumbnails, "mkCreateHTML", "&HTML Creation Wizard..");
    item(mnuThumbnails, "AddCustomTHumbnailtoFile1", "Add Custom Thumbnail to File");
    item(mnuThumbnails, "mkSelAsThumb", "Use Selection As Thumbnail");
    item(mnuThumbnails, "mkCaptureVideotoThumb", "Capture Video Frame to Thumbnail");

    mnuWindows = sub(bar, "mnuWindows", "&Window");
    act(mnuWindows, "mkCloseAll2", "actCloseAllSecondaryWindows");
    act(mnuWindows, "mkaddall", "actAddAllToBookmarks");

    mnuHelp = sub(bar, "mnuHelp", "&Help");
    act(mnuHelp, "Contents1", "actHelpContents");
    act(mnuHelp, "SearchforHelpOn1", "actHelpTopicSearch");
    item(mnuHelp, "mkkeyboard", "&Keyboard Shortcuts");
    item(mnuHelp, "mkFAQ", "Troubleshooting FAQ");
    item(mnuHelp, "mkwebsite", "Go to the &Qorvex Web Site");
    item(mnuHelp, "mkquicktips", "&Tip of the Day");
    act(mnuHelp, "Gettingstarted1", "actGettingStarted");
    item(mnuHelp, "About1", "&About...");

    // The submenus rebuilt as the View menu opens get their first entries now, so that they open.
    MnuViewClick(this);
    HideEmptySubmenus(bar);
    SetMenu(Menu);

    popToolbars = new TPopupMenu(this);
    popToolbars->SetName("popToolbars");
    TMenuItem* tb = popToolbars->GetItems();
    pukHideToolbar = item(tb, "pukHideToolbar", "Hide Toolbar", method(&TfrmMain::mkToolbarOnClick));
    line(tb);
    pukToolbars = sub(tb, "pukToolbars", "Toolbars");
    pukFlyoverTools = sub(tb, "pukFlyoverTools", "Flyover Tools");
    AddToolbarsToPopup(pukToolbars, false);
    AddToolbarsToPopup(pukFlyoverTools, true);
    act(tb, "pukMenu", "actMenuVisible");
    act(tb, "pukStatus", "actStatusBarVisible");

    popFilenameDisplayModes = new TPopupMenu(this);
    popFilenameDisplayModes->SetName("popFilenameDisplayModes");
    popFilenameDisplayModes->OnPopup = method(&TfrmMain::popFilenameDisplayModesPopup);
    GenerateFileDisplayModeMenuItems(popFilenameDisplayModes->GetItems(), false);

    if (btnthumb) btnthumb->SetDropdownMenu(popFilenameDisplayModes);
    // The clipboard's formats are read again only after it changed.
    Clipboard()->AddChangeListener(this, [this](TObject*) { FClipboardStale = true; });
    Splitter3->OnMoved = method(&TfrmMain::Splittermove);
    imgEditStatus->OnClick = method(&TfrmMain::imgEditStatusClick);
}

void TfrmMain::HideDatabaseMenus() {
    if (mnuDatabase) mnuDatabase->SetVisible(false);
    if (tbrKeywords) tbrKeywords->SetVisible(false);
}

void TfrmMain::Menutoggle(bool Visible) {
    if (!Menu) return;
    // A top menu shows while it has an entry that can be chosen now.
    TMenuItem* bar = Menu->GetItems();
    for (int i = 0; i < bar->GetCount(); ++i)
        if (bar->GetItem(i) != mnuDatabase) bar->GetItem(i)->SetVisible(Visible && HasVisibleEntry(bar->GetItem(i)));
}

// ---------------------------------------------------------------------------------------------
// Menus rebuilt as they open

void TfrmMain::AddToolbarsToPopup(TMenuItem* Item, bool ToolWindows) {
    try {
        ClearMenuItems(Item);
        for (const TToolbarMenuEntry& e :
             ToolbarMenuEntries(ToolbarTable, Settings.ToolbarVisible, ToolWindows, State.SlideshowActive,
                                ViewerKindOf(CurrentFile.FileType))) {
            TMenuItem* i = CreateMenuItem(this, Item, e.Caption, e.Hint, e.Enabled, e.Checked, -1, e.Tag,
                                          [this](TObject* S) { mkToolbarOnClick(S); });
            // A tool window that holds nothing yet is not offered; its flag is kept.
            auto* window = dynamic_cast<TToolWindowX*>(ToolbarTable[e.Tag].Control);
            if (window && window->GetControlCount() == 0) {
                i->SetVisible(false);
                i->SetEnabled(false);
            }
        }
        Item->SetVisible(HasVisibleEntry(Item));
    } catch (...) {
        MessageDlg("Error encountered whilst creating your directory list", mtWarning, {mbOK}, 0);
    }
}

void TfrmMain::GenerateFileDisplayModeMenuItems(TMenuItem* Item, bool WithPreview) {
    ClearMenuItems(Item);
    const Integer mode = GridControl ? GridControl->GetFileDisplayMode() : 0;
    const char* captions[] = {"Full Details", "Thumbnails", "Small Thumbs", "Filenames"};
    for (Integer tag = 0; tag < 4; ++tag)
        CreateMenuItem(this, Item, captions[tag], "", true, tag == mode, -1, tag,
                       [this](TObject* S) { mkDisplayFilenamesClick(S); });
    if (WithPreview && FileGridPresenter) {
        CreateSimpleMenuItem(this, Item, "-", -1, nullptr);
        CreateActionMenuItem(this, Item, FileGridPresenter->actGridPreview);
    }
}

void TfrmMain::mkDisplayFilenamesClick(TObject* Sender) {
    auto* item = dynamic_cast<TComponent*>(Sender);
    if (!item) return;
    SetFileDisplayMode(item->GetTag());
    if (item->GetTag() == 1) showwarning(23, false, true, 0);
}

void TfrmMain::GenerateViewFileTypesMenuItems(TMenuItem* Item) {
    try {
        ClearMenuItems(Item);
        TStrings* entries = FilterBox->GetItems();
        for (int i = 0; i < entries->GetCount(); ++i)
            CreateMenuItem(this, Item, entries->Get(i), "", true, i == FilterBox->GetItemIndex(), -1, i,
                           [this](TObject* S) { mkDisplayFileTypesClick(S); });
    } catch (...) {}
}

void TfrmMain::mkDisplayFileTypesClick(TObject* Sender) {
    try {
        auto* item = dynamic_cast<TComponent*>(Sender);
        if (!item) return;
        FilterBox->SetItemIndex(item->GetTag());
        SetCurrentFilter(true);
    } catch (...) {}
}

void TfrmMain::btnthumbClick(TObject* Sender) {
    GridControl->NextFileDisplayMode();
    if (GridControl->GetFileDisplayMode() == 1) showwarning(23, false, true, 0);
    UpdateButtonDisplay();
}

void TfrmMain::popFilenameDisplayModesPopup(TObject* Sender) {
    GenerateFileDisplayModeMenuItems(popFilenameDisplayModes->GetItems(), false);
}

void TfrmMain::mnuFileClick(TObject* Sender) {
    const Integer display = ViewerKindOf(CurrentFile.FileType);
    mkSaveAs->SetEnabled(!CurrentFile.FullName.empty() && !State.FileLoading &&
                         (display == vkText || display == vkImage) && mkSaveAs->GetVisible());
    mkNewDirectory->SetEnabled(Mode == 3 && !GetDirTreePath().empty() && mkNewDirectory->GetVisible());
}

void TfrmMain::MnuImageClick(TObject* Sender) {
    const bool shown = !CurrentFile.FullName.empty() && !State.LastLoadFailed;
    if (!shown) return;
    const std::string ext = UpperCase(ExtractFileExt(CurrentFile.FullName));
    auto enable = [](TMenuItem* Item, bool On) { Item->SetEnabled(On && Item->GetVisible()); };
    enable(mkattributes, true);
    enable(EditImage1, !State.FileLoading);
    enable(mkEffects, !State.FileLoading);
    enable(mkWallpaper, !State.FileLoading);
    enable(mkEditGIF, ext == ".GIF");
    enable(mkBatchConversion, !FullScreen && FileGrid && FileGrid->GetSelectedCount() > 0);
}

void TfrmMain::mnuMultimediaClick(TObject* Sender) {
    const bool shown = !CurrentFile.FullName.empty() && !State.LastLoadFailed;
    const bool running = actMMPlay->GetChecked() || actMMPause->GetChecked();
    // Whether the media shows a picture comes with the media controls.
    const bool picture = false;
    mkCaptureVideotoFile->SetEnabled(shown && picture && running && mkCaptureVideotoFile->GetVisible());
    mkViewAVIFrames->SetEnabled(shown && UpperCase(ExtractFileExt(CurrentFile.FullName)) == ".AVI" &&
                                mkViewAVIFrames->GetVisible());
}

void TfrmMain::MnuViewClick(TObject* Sender) {
    AddToolbarsToPopup(mkFlyoverTools, true);
    AddToolbarsToPopup(mkToolbars, false);
    GenerateFileDisplayModeMenuItems(mkFileDisplayMode, true);
    GenerateViewFileTypesMenuItems(mkFileTypeFilter);
    mkFileTypeFilter->SetVisible(mkFileTypeFilter->GetCount() > 0);
    if (FileGridPresenter) FileGridPresenter->GenerateSortMenuItems(mkFileSorting);
    mkFileSorting->SetVisible(mkFileSorting->GetCount() > 0);
}

// ---------------------------------------------------------------------------------------------
// The splitter, the edit-status picture and exit

void TfrmMain::Splittermove(TObject* Sender) {
    // Re-applying the zoom to the new viewer size comes with the viewer.
    FixPanelWidths();
}

void TfrmMain::imgEditStatusClick(TObject* Sender) {
    if (CurrentFileChanged()) prompttosavecurrentfile();
}

void TfrmMain::actExitExecute(TObject* Sender) {
    Close();
}
