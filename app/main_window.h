#pragma once
// The main window: creation (codec hooks, help file, idle handler, hint delays, the data and work
// folders), the start-up steps of its first show, the settings it reads and writes, the path and
// folder services the dialogs reach through frmMain, the hand-over of a file from the command
// line or a later start, the reset commands and the closing of the program.
//
// Start-up runs in guarded steps: a step that fails reports its own message and the next step
// still runs. Work that belongs to parts of the window not built yet goes through small steps
// marked "filled in with ..." below; each runs in its place in the order and does nothing more
// than what is written there.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/browse_rules.h"
#include "app/main_state.h"
#include "app/settings.h"
#include "app/toolbar_rules.h"
#include "catalogue/file_grid_columns.h"
#include "framework/dialog_service.h"
#include "framework/forms.h"

class TAction;
class TComboBox;
class TCustomAction;
class TDockX;
class TEditAction;
class THelpAction;
class TAction;
class TActionList;
class TMainMenu;
class TMenuItem;
class TToolbarButtonX;
class TToolbarSepX;
class TToolbarX;
class TToolWindowX;
class TCustomToolWindowX;
class TEdit;
class TImagoIO;
class TImagoMView;
class TImagoProc;
class TImagoView;
class TTimer;
class TTrackBar;
class TFileGridPresenter;
class TImgFunctions;
class TLMFileList2;
class TgxDBGrid;
class TgxThumbGrid2;
class TCustomEdit;
class TImage;
class TImageList;
class TLabel;
class TProgressBar;
class TdlgProgress;
class Tdlginsertinfo;
class TPageControl;
class TPanel;
class TPopupMenu;
class TAction;
class TMenuItem;
class TRichEdit;
class TShellTree;
class TSplitter;
class TStringList;
class TStrings;
class TTabSheet;

// The two helpers of the balance control, on half the pan bar's range H: the louder channel is
// the volume and the difference the pan (Volume 0 gives pan 0 and answers false), and back.
bool LeftRightToPanVolume(Integer Left, Integer Right, Integer H, Integer& Pan, Integer& Volume);
void PanVolumeToLeftRight(Integer Pan, Integer Volume, Integer H, Integer& Left, Integer& Right);

class TfrmMain : public TForm {
    LUMORA_CLASS(TfrmMain, TForm)
public:
    explicit TfrmMain(TComponent* AOwner);
    ~TfrmMain() override;

    // ---- Creation, start-up and closing --------------------------------------------------
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormDestroy(TObject* Sender);
    void Setup();
    void SetupApplicationDisplay();
    void SetupVolume();
    void showTipsOnStart();
    // Shows a file handed in from outside: a ".bkmk" list in bookmarks mode, any other file in
    // its folder. Nothing while a dialog is open.
    void directshow(const std::string& FileName, bool BringToFront);
    // A later start of the program handed over its parameters.
    void OneInstance1InstanceStarted(TObject* Sender, TStringList* Params);
    // Deletes "Warning"; without KeepMainKey also "Databases" and the main key itself.
    void resetregistry(bool KeepMainKey);
    void reseteverything();
    void mkResetSettingsClick(TObject* Sender);
    void actResetAllExecute(TObject* Sender);

    // ---- Idle turns, the dialog bracket, warnings, progress and messages -------------------
    // The idle handler: at most one kind of deferred work per turn, in a fixed order. Done is
    // left true unless work that could run on the next turn is still recorded.
    void doidle(TObject* Sender, bool& Done);
    // A file loads, the file list is busy or a dialog bracket is open.
    bool IsBusy();
    // Quiets the window before a modal dialog and brings it back after.
    void BeginDialogDisplay(bool UnloadImage, bool BlockThumbnails, bool SaveFilter);
    void EndDialogDisplay(bool Relist, bool ForceFolderRelist, bool LoadAfter, bool RefreshThumbnails,
                          bool RestoreFilter);
    // Entering and leaving the rich-text view and the description memo: typing there is not
    // taken for commands.
    void CallBeginDialogDisplay(TObject* Sender);
    void CallEndDialogDisplay(TObject* Sender);
    // Shows warning Number (0 to 35) unless the user switched it off; with Defer on a later free
    // idle turn. "More Info.." opens the help at HelpContext.
    void showwarning(Integer Number, bool Defer, bool AllowSwitchOff, Integer HelpContext);
    // A message box whose All answer (mrAll) stands for AllAnswer until the next bracket opens.
    Integer DisplayMessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer AllAnswer);
    void ResetDialogAllStates();
    void FocusTedit(TCustomEdit* Edit);
    // The error sound with "BeepOnError", the default sound with "BeepOnAction".
    void Performbeep(bool ErrorKind);
    void ShowStatusBarProgress(bool Visible, Integer Position);
    // The progress display without a cancel button: the status bar and, with UseForm and
    // "ShowDlgProgress", the progress form.
    void showprogress(bool Show, bool UseForm, Integer Position, Integer Max, const std::string& Message);
    // The progress form with a cancel button; false once the user has cancelled.
    bool ShowcancellableProgress(bool Show, Integer Position, Integer Max, const std::string& Caption,
                                 const std::string& Message, bool ProcessMessages);
    void HideCancellableProgress();
    // Progress of the image I/O and processing components: keeps the window responsive and
    // stops a load that was asked to cancel.
    void ImgImageProgress(TObject* Sender, Integer Percent);
    // Progress and end of the image-utility component.
    void ImgFuncProgress(TObject* Sender, Integer Percent);
    void ImgFuncProgressEnd(TObject* Sender);
    void FileLoadingCompleted();
    void SetStatusLabelText(TControl* Panel, const std::string& Text);

    // ---- Settings --------------------------------------------------------------------------
    // Start-up step 7: the grid layout, the toolbar positions, the main key, the warning
    // switches and the toolbar visibility flags.
    void readreg();
    // Writes every setting at once.
    void writereg();
    void getmainformdimensions();
    TSettingsLimits SettingsLimits();

    // ---- Paths and folders -----------------------------------------------------------------
    std::string fixpath(const std::string& Path, bool AddSlash);
    std::string GetPathInfo(const std::string& Path, bool InfoPart);
    // "" when the user cancels the question for the removable-media location.
    std::string WildcardPathToPath(const std::string& Path);
    // 0 program folder, 1 program + "DB/", 2 data + "DB/", 3 work + "Cache/", 4 data folder,
    // 5 current folder, 6 data + "Thumbs/", 9 temporary folder; "" for other numbers.
    std::string GetFolder(Integer Number);
    // This system has no Windows folder: files meant for it go to the data folder.
    std::string GetWindowsDir();
    void deleteoldfiles();
    void StrToStringlist(TStringList* List, const std::string& Text, const std::string& Delimiter);
    std::string GetPLuralText(TStrings* List);
    Integer GetScreenSize(Integer Pixels);
    TColor Colourcodetocolour(Byte Code);

    // ---- Browse mode -----------------------------------------------------------------------
    // A stored mode other than 4 (bookmarks) enters folders mode: 1 and 2 belonged to features
    // that are never shown.
    void SetTabToMode(Integer AMode);
    void SetDirTreePath(const std::string& Path);
    // The folder tree's folder, with a trailing "/".
    const std::string& GetDirTreePath() const { return FDirTreePath; }
    // Enters the mode of the active page: the grid is bound to its table, the folder listed
    // when it is stale, the caption follows.
    void SetMode(Integer AMode);
    void SetModeCaption();
    // Lists the tree's folder in folders mode (only when it moved, with OnlyIfChanged); in the
    // other mode the listing is only marked stale.
    void UpdateGridDirectory(bool OnlyIfChanged);
    void SetDirectory(const std::string& Folder, bool NewFolder);
    void SetCurrentFilter(bool BlockThumbnails);
    void FilterBoxChange(TObject* Sender);
    void RecordCurrentPosition();
    void SetToCurrentPosition();
    void SetDirTreeHiddenFilesVisible();
    // Moves Tree to Path; a folder that is gone gives a warning and false.
    bool SetShellTreeToNewPath(TShellTree* Tree, const std::string& Path);
    void DirTreeClick(TObject* Sender);
    void pukRefreshClick(TObject* Sender);
    // "Selected files from " or "All files in " and the folder or bookmark list, for reports.
    std::string getmodeselectiondescription(bool Selected);
    // The masks of every supported file (browse_rules.h), with the false extension when asked
    // and switched on.
    std::string getallsupportedformats(bool WithFalseExtension);
    bool CheckImageFormatSupported(const std::string& FileName, bool ExcludeSpecial) {
        return ::CheckImageFormatSupported(FileName, ExcludeSpecial);
    }
    bool checkformatsupported(const std::string& FileName, bool AllowFalseExtension, Integer Purpose) {
        return FormatSupported(FileName, AllowFalseExtension, Purpose);
    }

    // ---- The current file and loading ------------------------------------------------------
    // Loads FileName ("" the grid's current row) the way How (TLoadHow) says; false when the
    // user cancelled leaving a changed file or a step failed.
    bool LoadFile(const std::string& FileName, Integer How);
    // The grid's current row becomes the current file; it loads on a later idle turn.
    void DoLoadFile();
    // Makes FileName ("" the focused row) the current file, widening the type filter when it
    // hides the file; false when it is not in the list.
    bool SetCurrentFile(const std::string& FileName);
    void clearcurrentfile();
    bool CurrentFileChanged() { return !CurrentFile.FullName.empty() && CurrentFile.FileHasChanged; }
    // Offers to save a changed current file: false when the user cancels or the save fails.
    bool prompttosavecurrentfile();
    void SetFileChanged(bool Changed);
    // The selection label and the navigation the selection allows.
    void doselectstatus();
    // Opens Rec's file with Program; without ProgramGiven an empty Program asks for the kind's
    // editor. Answers whether to go on with further files.
    bool LaunchFile(const TFileRecord& Rec, std::string Program, bool ProgramGiven, bool AskToContinue);
    void FileGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void ThumbGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void FileGridDblClick(TObject* Sender);
    // True for a file the folder listing skips (compared upper-cased): a shortcut (".LNK")
    // unless "ShowShortcuts", a name containing "_THB." unless "ShowTHBFiles".
    bool IgnoreFileType(const std::string& FileName);

    // What reading the settings asks of the format records: whether a stored text is a record
    // (empty: every text that parses is taken) and resetting the seven records to their defaults,
    // followed by the file-association step when asked (empty: there is nothing to reset). The
    // format records install themselves here.
    struct TFormatRecordHooks {
        std::function<bool(TFormatRecordKind Kind, const std::string& Text)> Valid;
        std::function<void(bool AskAssociations)> ResetToDefaults;
    };
    TFormatRecordHooks FormatRecordHooks;

    // ---- Components ------------------------------------------------------------------------
    // The left panel with the mode pages (folders, bookmarks and the hidden database page) and
    // the type filter box; the bookmarks page holds the box of bookmark-list files (full paths,
    // the current list first).
    TPanel* LeftPanel = nullptr;
    TPageControl* pgcModes = nullptr;
    TTabSheet* tabDatabase = nullptr;
    TTabSheet* tabBookmarks = nullptr;
    TTabSheet* tabFolders = nullptr;
    TComboBox* cmbBookmarkFile = nullptr;
    TComboBox* FilterBox = nullptr;
    // The file list: the details grid with its columns and the thumbnail grid, both driven by the
    // file-list controller, and the image-utility component they load through.
    TgxDBGrid* FileGrid = nullptr;
    TFileGridColumns FileGridColumns;
    TgxThumbGrid2* ThumbGrid = nullptr;
    TLMFileList2* GridControl = nullptr;
    TImgFunctions* ImgFunc = nullptr;
    // The grid's column texts and drawing, its menus and the Grid actions (file_grid_presenter.h).
    TFileGridPresenter* FileGridPresenter = nullptr;
    // The folder tree on the folders page, the splitter below the mode pages and the file menu.
    TShellTree* DirTree = nullptr;
    TSplitter* Splitter3 = nullptr;
    TPopupMenu* popFiles = nullptr;
    // The status bar: the file label, the selection label, the zoom label, the zoom and
    // edit-status pictures (from ilstZoomStatus) and the progress bar.
    TPanel* Statusbar = nullptr;
    TImage* imgEditStatus = nullptr;
    TLabel* lblfile = nullptr;
    TLabel* lblselected = nullptr;
    TProgressBar* pbrload = nullptr;
    TLabel* lblzoom = nullptr;
    TImage* imgZoomStatus = nullptr;
    TImageList* ilstZoomStatus = nullptr;
    // The progress forms while they are shown.
    TdlgProgress* dlgProgress = nullptr;
    Tdlginsertinfo* dlginsertinfo = nullptr;

    // ---- State -----------------------------------------------------------------------------
    TLumoraSettings Settings;
    std::string ProgramFolder;  // each with a trailing "/"
    std::string DataFolder;
    std::string WorkFolder;
    TMainState State;
    bool FirstShowPending = true;
    bool StartupIncomplete = true;
    bool DoResetRequested = false;
    bool SuppressChangeEvents = false;
    // The stored version differed from this one: the first run of this version.
    bool FirstRun = true;
    // Temporary files to delete (made by start-up).
    TStringList* TempFileList = nullptr;
    // The descriptions file ("" when descriptions are off).
    std::string DescriptionsFile;
    // The browse mode in force (0 before the first) and the focused file kept per mode.
    Integer Mode = 0;
    std::array<Integer, 5> ModePosition{-1, -1, -1, -1, -1};
    TPoint DragStartPoint{-1, -1};
    // Where the caches keep their files, and the icon shown for files without a thumbnail.
    std::string CacheFolder;
    std::string PermanentThumbFolder;
    std::string MissingIconFile;
    bool FullScreen = false;
    // The file shown in the viewer, the type filter's entries and the one last applied, and
    // whether the folder table waits for the tree's folder to be listed.
    TFileRecord CurrentFile;
    std::vector<TTypeFilterEntry> FilterEntries;
    Integer LastFilterIndex = -1;
    bool FolderListingStale = false;
    // What the last selection status allows the navigation buttons.
    TNavigationEnabled Navigation;

    // ---- The viewer (main_window_view.cpp; zoom, fit and full screen main_window_zoom.cpp;
    // the keys main_window_keys.cpp) ----------------------------------------------------------
    // The image view with its I/O and processing components, the host panel of the rich-text
    // view and the view itself, built by BuildViewer.
    TImagoView* imgimage = nullptr;
    TImagoIO* imgimageio = nullptr;
    TImagoProc* imgimageproc = nullptr;
    TPanel* RTFShowPanel = nullptr;
    TRichEdit* RTFPanel = nullptr;
    // The viewer's context menu with its zoom item, the zoom status menu with its zoom item and
    // the drop-down menus of the zoom buttons.
    TPopupMenu* popWindow = nullptr;
    TMenuItem* pukZoom = nullptr;
    TPopupMenu* popStretch = nullptr;
    TMenuItem* puzoom = nullptr;
    TPopupMenu* popZoomIn = nullptr;
    TPopupMenu* popZoomOut = nullptr;
    // The viewer's actions: full screen, zoom (a submenu only), fit, wrap, the six mouse modes
    // (exactly one checked) and showing the selection.
    TAction* actFullScreen = nullptr;
    TAction* actZoom = nullptr;
    TAction* actShrinkToFit = nullptr;
    TAction* actStretchToFit = nullptr;
    TAction* actWrapText = nullptr;
    TAction* actImageDragger = nullptr;
    TAction* actZoomSelect = nullptr;
    TAction* actSelectRect = nullptr;
    TAction* actSelectPolygon = nullptr;
    TAction* actSelectOval = nullptr;
    TAction* actMagicSelect = nullptr;
    TAction* actShowSelection = nullptr;
    void BuildViewer();

    // The content control shown: 2 media panel, 3 rich text, 1 multishow, 4 web, else 0 image.
    Integer DisplayMode();
    // Makes Control fill its parent, visible and in front.
    void ShowPanel(TControl* Control);
    // The zoom code shown: -5 fit, -4 stretch only, -3 shrink only, -1 default size, else a
    // percentage.
    Integer CurrentZoom = -1;
    // One zoom step in or out from CurrentZoom (a fit code starts from the view's zoom).
    void ZoomInOut(bool ZoomIn);
    // Switches fitting off and shows the image at Zoom percent.
    void DoZoom(Integer Zoom);
    // Applies CurrentZoom to what is shown, with the label and the status picture.
    void updatedisplaysize();
    void updatezoombuttons();
    void SetZoomStatusImage();
    // The view's zoom, or -1 for a kind that has none.
    Integer GetCurrentZoom();
    void setzoomproperties();
    // The zoom items (10 % to 400 %, then "Custom..") of Menu, Current checked.
    void GenerateZoomMenuItems(TMenuItem* Menu, Integer Current);
    void mkZoomClick(TObject* Sender);
    // The custom zoom form at Value: the value chosen with OK, else -1 (0 for no number).
    Integer AskCustomZoom(Integer Value);
    void popStretchPopup(TObject* Sender);
    void popWindowPopup(TObject* Sender);
    void actStretchToFitExecute(TObject* Sender);
    void actShrinkToFitExecute(TObject* Sender);
    void actWrapTextExecute(TObject* Sender);
    // The zoom buttons of the main bar: a step in or out, with Ctrl the fit toggle.
    void btnzoominClick(TObject* Sender);
    void btnzoomoutClick(TObject* Sender);
    void actFullScreenExecute(TObject* Sender);
    // Everything but the viewer hidden (full screen without the toolbars), or shown again.
    void SetHideAll(bool Hide);
    bool HideAll = false;
    // The window's bounds when full screen was entered.
    TRect BoundsBeforeFullScreen;
    // The mouse is in the top or the bottom band of the viewer (the flyover toolbars follow).
    bool FlyoverTop = false;
    bool FlyoverBottom = false;
    void ImageDblClick(TObject* Sender);
    void ieimageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void ieimageMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
    // The six mouse modes: Sender becomes the checked one (null keeps the checked one).
    void actImageDraggerExecute(TObject* Sender);
    void actShowSelectionExecute(TObject* Sender);
    void FormMouseWheel(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled);
    // The keys: navigation keys go to the file list on the way down, commands run on the way up,
    // typed digits scroll the image.
    void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void FormKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
    void FormKeyPress(TObject* Sender, Char& Key);
    void ScrollImageBy(Integer DX, Integer DY);
    // Full screen is on, or the file grid or the thumbnail grid has the focus.
    bool IsFileViewFocused();
    // The navigation buttons the keys and the wheel press: the one asked for is kept in
    // FileButtonAsked while btnFirstFileClick runs with no sender.
    enum TFileButton { fbFirst, fbPrevious, fbRandom, fbNext, fbLast };
    TFileButton FileButtonAsked = fbNext;
    // The move choice the move-copy command takes from the key that ran it.
    bool MoveCopyIsMove = true;
    void FileButtonClick(TFileButton Button);

    // ---- The slideshow, the multishow and GIF animation (main_window_slideshow.cpp) ------------
    // The multi-image view of the multishow with its own I/O component, the slideshow name label,
    // the two one-shot timers, the delay controls (on a panel of their own until the slideshow
    // toolbar takes them), the actions and the buttons, built by BuildSlideshowControls.
    TImagoMView* imgMultiView = nullptr;
    TImagoIO* imgMultiViewIO = nullptr;
    TLabel* lblssname = nullptr;
    TTimer* slideshowtimer = nullptr;
    TTimer* GIFTimer = nullptr;
    TPanel* pnlSlideshowDelay = nullptr;
    TTrackBar* DelayTrack = nullptr;
    TEdit* DelayEdit = nullptr;
    TAction* actSlideshow = nullptr;
    TAction* actMultishow = nullptr;
    TAction* actSSForward = nullptr;
    TAction* actSSBackward = nullptr;
    TAction* actSSRandom = nullptr;
    TAction* actSSLoop = nullptr;
    // The first, previous, random, next and last file buttons, and the slideshow and multishow
    // buttons (Ctrl held while pressing them resets the slideshow options first).
    TToolbarButtonX* btnFirstFile = nullptr;
    TToolbarButtonX* btnPreviousFile = nullptr;
    TToolbarButtonX* btnRandomFile = nullptr;
    TToolbarButtonX* btnNextFile = nullptr;
    TToolbarButtonX* btnLastFile = nullptr;
    TToolbarButtonX* btnShowSlideshow = nullptr;
    TToolbarButtonX* btnMultishow = nullptr;
    void BuildSlideshowControls();
    bool MultishowMode = false;
    // The grid is laid out again before the next cell; the next cell to fill, from 0.
    bool MultishowLayoutPending = false;
    Integer MultishowCell = 0;
    bool WasNotFullScreen = false;
    // The shown GIF's frame and frame count.
    Integer GIFFrameIndex = 0;
    Integer GIFFrameCount = 0;
    bool MultishowActive() const { return State.SlideshowActive && MultishowMode; }
    // Starts or stops the slideshow (or multishow, after MultishowMode). Starting needs files;
    // the first step runs at once unless a file is loading.
    void ActivateSlideshow(bool On);
    // The one-shot slideshow timer: whether it runs, and switching it on (the idle turn does
    // once a file is shown, so the delay runs from the end of each load).
    bool SlideshowTimerEnabled() const;
    void EnableSlideshowTimer();
    void actSlideshowExecute(TObject* Sender);
    // One step of the slideshow: the next file of the order is loaded, or the slideshow stops
    // after the last one when it does not loop.
    void slideshowtimerTimer(TObject* Sender);
    // The order follows the action: forward, backward or random.
    void actSSBackwardExecute(TObject* Sender);
    void ActivateSSLoop(bool On);
    void actSSLoopExecute(TObject* Sender);
    void btnShowSlideshowMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    // Lays the multishow grid out again, empty; the next image goes into the first cell.
    void MultiSSUpate();
    void hidemultiss();
    // Loads the current file into the next multishow cell, wrapping after the last.
    void LoadMultiShow();
    // Schedules the next GIF frame after the shown frame's delay (a delay of 0 stops).
    void setnextGIFDELAY();
    void GIFTimerTimer(TObject* Sender);
    // The first, previous, random, next and last file buttons (Sender tells which).
    void btnFirstFileClick(TObject* Sender);
    // The delay text and the slideshow timer's interval follow the delay bar.
    void DelayTrackChange(TObject* Sender);
    // The slideshow order, delay and loop settings: applied when read, taken back before written.
    void ApplySlideshowSettings();
    void CollectSlideshowSettings();

    // ---- The toolbars, menus and actions (main_window_toolbars.cpp, main_window_menus.cpp) -----
    // The toolbar table (app/toolbar_rules.h); each row's Visible flag is Settings.ToolbarVisible
    // at its slot, and each bar's Tag is its slot.
    TToolbarTable ToolbarTable;
    TDockX* dckTop = nullptr;
    TDockX* dckLeft = nullptr;
    TDockX* dckRight = nullptr;
    TDockX* dckBottom = nullptr;
    TDockX* dckOverFiles = nullptr;
    TDockX* DckUnderFiles = nullptr;
    TToolbarX* tbrMain = nullptr;
    TToolbarX* tbrImage = nullptr;
    TToolbarX* tbrSS = nullptr;
    TToolbarX* tbrMM = nullptr;
    TToolbarX* tbrText = nullptr;
    TToolbarX* tbrGrid = nullptr;
    // The tool windows stay hidden until what they hold is built; their flags are kept.
    TToolWindowX* tbrKeywords = nullptr;
    TToolWindowX* tbrMixer = nullptr;
    TToolWindowX* tbrDescription = nullptr;
    TToolWindowX* tbrquickmove = nullptr;
    // The bars' title labels.
    TLabel* lbltitle = nullptr;
    TLabel* lbltitleimg = nullptr;
    TLabel* lbltitless = nullptr;
    TLabel* lbltitlemm = nullptr;
    TLabel* lbltitletext = nullptr;
    TLabel* lbltitlegrid = nullptr;
    TToolbarButtonX* btnthumb = nullptr;
    TToolbarButtonX* btnstop = nullptr;
    TToolbarSepX* SepStop = nullptr;
    TToolbarButtonX* btnSorting = nullptr;

    // The action list. The commands of this window's own parts are members; a command whose work
    // is not built yet is hidden and disabled (with its menu items and buttons) until it gets an
    // OnExecute. Commands made by the viewer and the slideshow are found by name.
    TActionList* ActionList1 = nullptr;
    TAction *actSaveFile = nullptr, *actRename = nullptr, *actMoveCopy = nullptr, *actDelete = nullptr,
            *actDeleteNoRecycle = nullptr, *actFileInfo = nullptr, *actFilePrint = nullptr, *actEmailFile = nullptr,
            *actLaunchFile = nullptr;
    TAction *actImageCut = nullptr, *actImageCopy = nullptr, *actImagePaste = nullptr, *actImagePasteAsNew = nullptr,
            *actImageUndo = nullptr, *actImageResize = nullptr, *actImageRotateLeft = nullptr,
            *actImageRotateRight = nullptr, *actImageFreeRotate = nullptr, *actImageCrop = nullptr,
            *actBatchConversion = nullptr;
    TAction *actNewWindow = nullptr, *actMenuVisible = nullptr, *actStatusBarVisible = nullptr, *actResetAll = nullptr;
    TAction *actMMControls = nullptr, *actMMPlay = nullptr, *actMMPause = nullptr, *actMMStop = nullptr,
            *actMMRewind = nullptr, *actMMFF = nullptr, *actMMLoop = nullptr, *actMute = nullptr, *actMixer = nullptr,
            *actVolumeUp = nullptr, *actVolumeDown = nullptr, *actCopyVideoFrame = nullptr;
    TAction *actBookmark = nullptr, *actRemoveBookmark = nullptr, *actBookmarkUp = nullptr, *actBookmarkDown = nullptr,
            *actBookmarkFunctions = nullptr, *actNewBookmarkFile = nullptr;
    TAction *actCloseAllSecondaryWindows = nullptr, *actAddAllToBookmarks = nullptr, *actMinimiseAll = nullptr,
            *actExit = nullptr;
    TAction *actKeyword = nullptr, *actNewKeyword = nullptr, *actNewGroup = nullptr, *actRenameKeyword = nullptr,
            *actDeleteKeyword = nullptr, *actEditKeywords = nullptr, *actGroupKeywords = nullptr,
            *actRemoveKeyword = nullptr;
    TAction* actGettingStarted = nullptr;
    TEditAction *actTextCut = nullptr, *actTextCopy = nullptr, *actTextPaste = nullptr, *actTextUndo = nullptr;
    THelpAction *actHelpContents = nullptr, *actHelpTopicSearch = nullptr;

    // The main menu, its top items and the items the handlers reach, and the popup menus.
    TMainMenu* Menu = nullptr;
    TMenuItem *mnuFile = nullptr, *mnuDatabase = nullptr, *mnuEdit = nullptr, *MnuImage = nullptr, *mnuText = nullptr,
              *mnuMultimedia = nullptr, *MnuView = nullptr, *mnuThumbnails = nullptr, *mnuWindows = nullptr,
              *mnuHelp = nullptr;
    TMenuItem *mkSaveAs = nullptr, *mkWatchDirectory = nullptr, *mkNewDirectory = nullptr, *mkattributes = nullptr,
              *EditImage1 = nullptr, *mkEffects = nullptr, *mkWallpaper = nullptr, *mkEditGIF = nullptr,
              *mkBatchConversion = nullptr, *mkCaptureVideotoFile = nullptr, *mkViewAVIFrames = nullptr,
              *mkZoom = nullptr, *mkFileDisplayMode = nullptr, *mkFileSorting = nullptr, *mkFileTypeFilter = nullptr,
              *mkToolbars = nullptr, *mkFlyoverTools = nullptr;
    TPopupMenu* popToolbars = nullptr;
    TMenuItem *pukHideToolbar = nullptr, *pukToolbars = nullptr, *pukFlyoverTools = nullptr;
    TPopupMenu* popFilenameDisplayModes = nullptr;

    // The table's rows get their bars and the bars their slots.
    void BuildToolbarTable();
    // Shows and hides the bars, the menus and the status bar for Rec (the current file without).
    void UpdateToolbarDisplay();
    void UpdateToolbarDisplay(const TFileRecord& Rec);
    // Enables, shows, checks and gives shortcuts to the commands for Rec, then UpdateTransButtons.
    void UpdateButtonDisplay();
    void UpdateButtonDisplay(const TFileRecord& Rec);
    // The commands that follow the clipboard, the undo buffer and the selection; runs on idle turns.
    void UpdateTransButtons();
    // The window's state for Rec, as the rules read it.
    TWindowDisplayState DisplayStateFor(const TFileRecord& Rec);
    // The bars' places, through the registry's "Toolbars" key.
    void LoadToolbarPositions();
    void SaveToolbarPositions();
    // The clipboard holds an image. The clipboard's formats are read once after each change;
    // tests put a counting query in place of the clipboard's.
    bool ClipboardContainsImageFormat();
    std::function<bool()> ClipboardImageQuery;

    void SetToolbarVisibility(TCustomToolWindowX* Bar, bool Visible);
    void DisplayToolbarTitles(bool Visible);
    void SetTabCaptionVisibility(bool Visible);
    // Shows or hides the top menu items together ("Database" keeps its state); a top item with
    // no entry to choose stays hidden.
    void Menutoggle(bool Visible);
    void AddToolbarsToPopup(TMenuItem* Item, bool ToolWindows);
    void GenerateFileDisplayModeMenuItems(TMenuItem* Item, bool WithPreview);
    void GenerateViewFileTypesMenuItems(TMenuItem* Item);
    void mkDisplayFilenamesClick(TObject* Sender);
    void mkDisplayFileTypesClick(TObject* Sender);
    void btnthumbClick(TObject* Sender);
    void ToolbarMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void ToolbarTitleMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void mkToolbarOnClick(TObject* Sender);
    void ToolbarClose(TObject* Sender);
    // Keeps a floating bar that became visible on the screen.
    void tbrDescriptionVisibleChanged(TObject* Sender);
    void actMenuVisibleExecute(TObject* Sender);
    void actStatusBarVisibleExecute(TObject* Sender);
    void actExitExecute(TObject* Sender);
    void mnuFileClick(TObject* Sender);
    void MnuImageClick(TObject* Sender);
    void mnuMultimediaClick(TObject* Sender);
    void MnuViewClick(TObject* Sender);
    void popFilenameDisplayModesPopup(TObject* Sender);
    void Splittermove(TObject* Sender);
    void imgEditStatusClick(TObject* Sender);
    void SetActionShortCut(TCustomAction* Action, TShortCut ShortCut, bool Wanted);
    // Hides the menu, keyword bar and popup parts of the database features.
    void HideDatabaseMenus();
    // Built after the viewer and the slideshow controls: the actions, then the docks and bars,
    // then the menus, which bind to the actions by name.
    void BuildActions();
    void BuildToolbars();
    void BuildMenus();

protected:
    // ---- Steps filled in with other parts of the window ------------------------------------
    // The database features stay hidden: their page here, their menu, keyword bar, popup items
    // and grid column with those.
    void HideDatabaseFeatures();
    // With the bookmark panel: the panel widths.
    void FixPanelWidths() {}
    // With the file grid: its layout as the store sees it (false while there is no grid), and
    // applying a stored one.
    bool FileGridLayout(TGridLayout& Layout);
    void ApplyFileGridLayout(const TGridLayout& Layout);
    // With the controls that hold settings: the read-time effects, and taking the values back
    // before they are written.
    void ApplySettingEffects();
    void CollectSettingsFromControls();
    // With the format records: whether all seven have no extensions.
    bool AllFormatRecordsEmpty() { return FormatRecordsEmpty(); }
    void CreateFilter();
    // With the file associations: the bookmark-list class and the Send To shortcut.
    void RegisterBookmarkFileClass() {}
    void OfferSendToShortcut() {}
    // With the file grid presentation: the column texts and drawing, the type-name cache, the
    // sort and header menus and the grid commands, set up once FileGrid and its columns exist.
    void SetupFileGridPresentation();
    // With the browse modes, loading and viewing.
    void pgcModesChange(TObject* Sender);
    void BuildComponents();
    void BuildStatusBar();
    void BuildFileList();
    void SetFileDisplayMode(Integer AMode);
    // Shows the current file (Display) or lets only the caption, status and toolbars follow it;
    // showing takes the pending load and reload as done. False when nothing could be shown.
    bool ShowFile(bool Display);
    // With the description panel: a changed description is stored, and the current file's read.
    void StoreChangedDescription() {}
    void GetFileDescription() {}
    // With the image and text saves: each answers whether the file was saved.
    bool SaveCurrentImage() { return false; }
    bool SaveNewFileAs() { return false; }
    bool SaveTextFile() { return false; }
    // The slideshow position follows the focused file.
    void SyncSlideshowToFocus();
    // Tells that the list has no more files and leaves full screen.
    void doinformnomoreimages();
    void LoadBookmarkFile(const std::string& FileName) {}
    void cmbBookmarkFileChange(TObject* Sender) {}
    void DisplayForm() {}
    // Full screen on (AMode 1) or off; false when it cannot be entered (an empty list).
    bool SetFullScreenMode(Integer AMode);
    void UnloadDisplayedImage();
    // The image I/O component is told to abort the load it runs.
    void AbortImageLoad();
    // With the viewer: whether the media panel is what is shown.
    bool ShowingMediaPanel() { return false; }
    // With the media controls: the media status display is refreshed.
    void RefreshMediaStatus() { State.MediaStatusPending = false; }
    // With the favourite folders: a quick move (or copy) of the selected files to Folder (""
    // asks for one).
    void QuickMove(bool Move, const std::string& Folder) {}
    // With the tip of the day: the tips window gets the focus.
    void FocusQuickTips() {}
    // The folder tree moves to Path without listing it, and is refreshed keeping its path.
    void MoveDirTree(const std::string& Path);
    void RefreshDirTree();
    // The file list, the file grid, the thumbnails and the tables.
    bool FileListBusy();
    void ReleaseFileListOperations();
    void RefreshFileList();
    void HoldFileGridForDialog(bool Hold);
    void SetThumbnailDrawing(bool Draw, bool Repaint);
    bool CurrentTableFiltered();
    void SetCurrentTableFiltered(bool Filtered);
    // The program to run after a correct access password.
    void RunAfterPasswordProgram(const std::string& Program);
    // With the small forms: the tip of the day and the getting-started form.
    void ShowQuickTips() {}
    void ShowGettingStarted() {}
    // With the collapsible headers.
    void RefreshHeaderGlyphs() {}
    // Saved on close: "favdir.txt", "dirs.lst" and "recent.lst" come with the favourite and
    // recent folders; each list has its own guard. Answers whether every list was written.
    bool SaveDataFolderLists();
    // With the viewer windows (the next pass clears ClosingViewers) and the kept dialogs.
    void CloseAllSecondaryWindows() { State.ClosingViewers = false; }
    void FreeKeptDialogs() {}
    // With the drop targets.
    void RegisterDropTargets(bool Register) {}
    // The screen's colour depth.
    Integer ScreenBitsPerPixel();

private:
    // Start-up step 6: the reset asked for by the store or the command line.
    void ResetIfAsked();
    // Start-up step 10.7: true when the program may go on.
    bool AskAccessPassword();
    void ReadFormatRecords(TRegistry& Reg);
    void FillBookmarkFileList();
    void CreateDescriptionsFile();

    // Whether the work of one idle turn could run on the next one.
    bool IdleWorkPending();

    // The tree's folder changed (by the user or in code).
    void DirTreeChange();
    bool InThumbnailMode() const;

    // The viewer's steps (main_window_view.cpp).
    bool LoadImageFile();
    bool LoadTextFile();
    bool LoadMediaFile(bool IsVideo);
    bool LoadWebFile();
    void UpdateFileCaption();
    void ShowLoadError(const std::string& Text);
    void EndFailedLoad();
    void SetWindowFS(bool On);
    // Switches the stretch (or shrink) setting of the shown kind and fits again.
    void ToggleFit(bool Stretch);
    // Facts of the shown file for its caption.
    Integer FImageWidth = 0, FImageHeight = 0, FImageBits = 0;
    Integer FTextChars = 0, FTextLines = 0;
    Int64 FFileSize = 0;
    // The last percentage the image load reported (-1 before the first of a load).
    Integer FLoadPercent = -1;

    std::string FDirTreePath;
    // The focused file and top row kept across a listing (-1: none).
    std::string FKeptFile;
    Integer FKeptTopIndex = -1;
    // Whether the clipboard held an image when last read, and whether it changed since.
    bool FClipboardHasImage = false;
    bool FClipboardStale = true;
    // The tab captions last applied (-1: none yet).
    Integer FTabCaptionsShown = -1;
    // The action, menu item or control of that name (the file grid's actions too), or null.
    TComponent* FindCommand(const std::string& Name);
    void ApplyCommandStates(const std::vector<TCommandState>& States);
    // Actions without work yet hold no key (a hidden command must not take a key from the focused
    // control); their keys come back once they get an OnExecute.
    std::vector<std::pair<TCustomAction*, TShortCut>> FHeldShortCuts;
    void HoldUnbuiltCommands();
};

// The one main window (null outside a run of the program).
extern TfrmMain* frmMain;
