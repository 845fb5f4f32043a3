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

#include "app/settings.h"
#include "framework/forms.h"

class TComboBox;
class TPageControl;
class TPanel;
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
    // The idle handler (one turn of deferred work).
    void doidle(TObject* Sender, bool& Done);

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
    const std::string& GetDirTreePath() const { return FDirTreePath; }

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

    // ---- State -----------------------------------------------------------------------------
    TLumoraSettings Settings;
    std::string ProgramFolder;  // each with a trailing "/"
    std::string DataFolder;
    std::string WorkFolder;
    bool FirstShowPending = true;
    bool StartupIncomplete = true;
    bool DisplayReady = false;
    bool CloseRequested = false;
    bool DoResetRequested = false;
    bool SuppressChangeEvents = false;
    bool TipsFocusPending = false;
    bool LoadCancelRequested = false;
    bool FileLoading = false;
    // The stored version differed from this one: the first run of this version.
    bool FirstRun = true;
    // The file-list controller's operations stay blocked until the first idle turn after
    // start-up.
    bool BlockOperations = false;
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

protected:
    // ---- Steps filled in with other parts of the window ------------------------------------
    // The database features stay hidden: their page here, their menu, keyword bar, popup items
    // and grid column with those.
    void HideDatabaseFeatures();
    // With the toolbar table: building it, showing and enabling bars and buttons, the panel
    // widths.
    void BuildToolbarTable() {}
    void UpdateToolbarDisplay() {}
    void UpdateButtonDisplay() {}
    void FixPanelWidths() {}
    // With the toolbar position store.
    void LoadToolbarPositions() {}
    void SaveToolbarPositions() {}
    // With the file grid: its layout as the store sees it (false while there is no grid), and
    // applying a stored one.
    bool FileGridLayout(TGridLayout&) { return false; }
    void ApplyFileGridLayout(const TGridLayout&) {}
    // With the controls that hold settings: the read-time effects, and taking the values back
    // before they are written.
    void ApplySettingEffects();
    void CollectSettingsFromControls();
    // With the format records: whether all seven have no extensions.
    bool AllFormatRecordsEmpty() { return FormatRecordsEmpty(); }
    void CreateFilter() {}
    // With the file associations: the bookmark-list class and the Send To shortcut.
    void RegisterBookmarkFileClass() {}
    void OfferSendToShortcut() {}
    // With the browse modes, loading and viewing.
    void pgcModesChange(TObject* Sender);
    void BuildComponents();
    void SetFileDisplayMode(Integer AMode) {}
    void LoadFile(const std::string& FileName, Integer How) {}
    void LoadBookmarkFile(const std::string& FileName) {}
    void cmbBookmarkFileChange(TObject* Sender) {}
    void DisplayForm() {}
    void ActivateSlideshow(Integer Method) {}
    bool SlideshowActive() { return false; }
    void SetFullScreenMode(Integer AMode) {}
    void clearcurrentfile() {}
    bool CurrentFileChanged() { return false; }
    bool prompttosavecurrentfile() { return true; }
    // With the launch helpers: the program to run after a correct access password.
    void RunAfterPasswordProgram(const std::string& Program) {}
    // With the dialog bracket and the warnings.
    void BeginDialogDisplay(bool UnloadImage, bool BlockThumbnails, bool SaveFilter) {}
    void showwarning(Integer Number, bool Defer, bool AllowSwitchOff, Integer HelpContext) {}
    // With the small forms: the tip of the day and the getting-started form.
    void ShowQuickTips() {}
    void ShowGettingStarted() {}
    // With the collapsible headers.
    void RefreshHeaderGlyphs() {}
    // With the lists of the data folder and the kept dialogs, saved and freed on close.
    void SaveDataFolderLists() {}
    void CloseAllSecondaryWindows() {}
    void FreeKeptDialogs() {}
    // With the drop targets.
    void RegisterDropTargets(bool Register) {}
    // The screen's colour depth (the window system offers true-colour screens).
    Integer ScreenBitsPerPixel() { return 32; }

private:
    // Start-up step 6: the reset asked for by the store or the command line.
    void ResetIfAsked();
    // Start-up step 10.7: true when the program may go on.
    bool AskAccessPassword();
    void ReadFormatRecords(TRegistry& Reg);
    void FillBookmarkFileList();
    void CreateDescriptionsFile();

    std::string FDirTreePath;
};

// The one main window (null outside a run of the program).
extern TfrmMain* frmMain;
