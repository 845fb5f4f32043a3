#include "app/main_window.h"

#include <algorithm>

#include "app/access_password.h"
#include "app/app_paths.h"
#include "app/help_pages.h"
#include "app/status_art.h"
#include "catalogue/file_list.h"
#include "catalogue/temp_db.h"
#include "catalogue/thumb_grid.h"
#include "dbgrid/db_grid.h"
#include "dialogs/splash.h"
#include "framework/atomic_file.h"
#include "framework/clipboard.h"
#include "framework/comctrls.h"
#include "framework/dialog_service.h"
#include "framework/exceptions.h"
#include "framework/file_utils.h"
#include "framework/image_list.h"
#include "framework/list_controls.h"
#include "framework/math_utils.h"
#include "framework/registry.h"
#include "framework/resources.h"
#include "framework/std_controls.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"
#include "imaging/dialogs/install_dialogs.h"
#include "imaging/formats/lzw_coders.h"
#include "platform/user_folders.h"

TfrmMain* frmMain = nullptr;

namespace {

// Runs one guarded step: a failure shows Message (nothing when it is empty) and start-up goes
// on. Answers whether the step ran through.
template <class F>
bool Guarded(const char* Message, F&& Body) {
    try {
        Body();
        return true;
    } catch (...) {
        if (Message && *Message) ShowMessage(Message);
        return false;
    }
}

void WarningBox(const std::string& Message) { MessageDlg(Message, mtWarning, {mbOK}, 0); }

// The folder a first run starts in.
std::string FirstRunFolder() { return UserHomeFolder(); }

// Fails a step the way a failed Windows call would.
void Require(bool Condition) {
    if (!Condition) throw EInOutError("Unable to create directory");
}

}  // namespace

bool LeftRightToPanVolume(Integer Left, Integer Right, Integer H, Integer& Pan, Integer& Volume) {
    Volume = std::max(Left, Right);
    Pan = Volume != 0 ? static_cast<Integer>(Int64(H) * (Right - Left) / Volume) : 0;
    return Volume != 0;
}

void PanVolumeToLeftRight(Integer Pan, Integer Volume, Integer H, Integer& Left, Integer& Right) {
    if (H == 0) {
        Left = Right = Volume;
    } else if (Pan < 0) {
        Left = Volume;
        Right = static_cast<Integer>(Int64(Volume) * (H + Pan) / H);
    } else {
        Right = Volume;
        Left = static_cast<Integer>(Int64(Volume) * (H - Pan) / H);
    }
}

TfrmMain::TfrmMain(TComponent* AOwner) : TForm(AOwner) {
    SetName("frmMain");
    SetCaption("Lumora");
    SetKeyPreview(true);
    SetBounds(20, 14, 700, 580);
    ProgramFolder = AppProgramFolder();
    BuildComponents();
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnShow = [this](TObject* Sender) { FormShow(Sender); };
    OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
    OnClose = [this](TObject* Sender, TCloseAction& Action) { FormClose(Sender, Action); };
    OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
}

TfrmMain::~TfrmMain() {
    Application->OnIdle = nullptr;
    Clipboard()->RemoveChangeListener(this);
    delete TempFileList;
    if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::BuildComponents() {
    ::BuildComponents(this, [&] {
        BuildStatusBar();

        LeftPanel = new TPanel(this);
        LeftPanel->SetName("LeftPanel");
        LeftPanel->SetCaption("");
        LeftPanel->SetBevelOuter(bvNone);
        LeftPanel->SetParent(this);
        LeftPanel->SetWidth(344);
        LeftPanel->SetAlign(alLeft);

        pgcModes = new TPageControl(this);
        pgcModes->SetName("pgcModes");
        pgcModes->SetParent(LeftPanel);
        pgcModes->SetHeight(216);
        pgcModes->SetAlign(alTop);
        pgcModes->OnChange = [this](TObject* Sender) { pgcModesChange(Sender); };
        auto page = [&](const char* Name, const char* Caption) {
            auto* tab = new TTabSheet(this);
            tab->SetName(Name);
            tab->SetCaption(Caption);
            tab->SetPageControl(pgcModes);
            return tab;
        };
        tabDatabase = page("tabDatabase", "Database");
        tabBookmarks = page("tabBookmarks", "Bookmarks");
        tabFolders = page("tabFolders", "Folders");

        cmbBookmarkFile = new TComboBox(this);
        cmbBookmarkFile->SetName("cmbBookmarkFile");
        cmbBookmarkFile->SetStyle(csDropDownList);
        cmbBookmarkFile->SetParent(tabBookmarks);
        cmbBookmarkFile->SetAlign(alTop);
        cmbBookmarkFile->OnChange = [this](TObject* Sender) {
            if (!SuppressChangeEvents) cmbBookmarkFileChange(Sender);
        };

        FilterBox = new TComboBox(this);
        FilterBox->SetName("FilterBox");
        FilterBox->SetStyle(csDropDownList);
        FilterBox->SetParent(LeftPanel);
        FilterBox->SetAlign(alBottom);
        FilterBox->OnChange = [this](TObject* Sender) {
            if (!SuppressChangeEvents && !StartupIncomplete) FilterBoxChange(Sender);
        };

        BuildFileList();
        BuildViewer();
        BuildSlideshowControls();
        BuildActions();
        BuildToolbars();
        BuildMenus();
    });
}

void TfrmMain::BuildStatusBar() {
    ilstZoomStatus = new TImageList(this);
    ilstZoomStatus->SetName("ilstZoomStatus");
    AddZoomStatusImages(ilstZoomStatus);

    Statusbar = new TPanel(this);
    Statusbar->SetName("Statusbar");
    Statusbar->SetCaption("");
    Statusbar->SetParent(this);
    Statusbar->SetBevelOuter(bvNone);
    Statusbar->SetHeight(20);
    Statusbar->SetAlign(alBottom);

    // Left to right: the edit-status picture (1 pixel wide while nothing is changed), the file
    // and selection labels; from the right: the zoom picture, the zoom label and the progress bar.
    imgEditStatus = new TImage(this);
    imgEditStatus->SetName("imgEditStatus");
    imgEditStatus->SetParent(Statusbar);
    imgEditStatus->SetWidth(1);
    imgEditStatus->SetAlign(alLeft);
    imgEditStatus->SetCenter(true);

    lblfile = new TLabel(this);
    lblfile->SetName("lblfile");
    lblfile->SetParent(Statusbar);
    lblfile->SetAutoSize(false);
    lblfile->SetLayout(tlCenter);
    lblfile->SetLeft(1);
    lblfile->SetWidth(320);
    lblfile->SetAlign(alLeft);
    lblfile->SetCaption("");
    lblfile->SetHint("No File");
    lblfile->SetShowHint(true);

    lblselected = new TLabel(this);
    lblselected->SetName("lblselected");
    lblselected->SetParent(Statusbar);
    lblselected->SetAutoSize(false);
    lblselected->SetLayout(tlCenter);
    lblselected->SetLeft(321);
    lblselected->SetWidth(170);
    lblselected->SetAlign(alLeft);
    lblselected->SetCaption("");

    imgZoomStatus = new TImage(this);
    imgZoomStatus->SetName("imgZoomStatus");
    imgZoomStatus->SetParent(Statusbar);
    imgZoomStatus->SetWidth(20);
    imgZoomStatus->SetAlign(alRight);
    imgZoomStatus->SetCenter(true);

    lblzoom = new TLabel(this);
    lblzoom->SetName("lblzoom");
    lblzoom->SetParent(Statusbar);
    lblzoom->SetAutoSize(false);
    lblzoom->SetLayout(tlCenter);
    lblzoom->SetWidth(90);
    lblzoom->SetAlign(alRight);
    lblzoom->SetCaption("");

    pbrload = new TProgressBar(this);
    pbrload->SetName("pbrload");
    pbrload->SetParent(Statusbar);
    pbrload->SetMin(0);
    pbrload->SetMax(100);
    pbrload->SetWidth(120);
    pbrload->SetAlign(alRight);
    pbrload->SetVisible(false);
}

// ---------------------------------------------------------------------------------------------
// Creation

void TfrmMain::FormCreate(TObject* Sender) {
    InstallLZWCoders();
    InstallImgDialogs();
    try {
        // Dropped files are accepted through the drop targets registered on the first show.
        Application->SetHelpFile(fixpath(ProgramFolder, true) + "lumora.hlp");
        TApplication::HelpHandler = ShowHelpPage;
        Application->OnIdle = [this](TObject* S, bool& Done) { doidle(S, Done); };
        Application->SetHintHidePause(7500);
        Application->SetHintPause(750);

        const TAppFolders folders = ChooseAppFolders(ProgramFolder);
        DataFolder = folders.DataFolder;
        WorkFolder = folders.WorkFolder;
        ThumbGrid->SetAttachedgxDBGrid(FileGrid);
        ThumbGrid->SetBlockCellDrawing(true);
    } catch (...) {
        ShowMessage("Form creation error!");
    }
}

void TfrmMain::FormShow(TObject* Sender) {
    if (FirstShowPending) {
        Setup();
        FirstShowPending = false;
    }
    RegisterDropTargets(true);
}

void TfrmMain::Setup() {
    try {
        // 1. The database features stay hidden; the file list reaches the file tables.
        Guarded("Lumora Conversion error", [&] { HideDatabaseFeatures(); });
        if (dmTempDB) GridControl->ConnectTempDB(dmTempDB);

        // 2. The toolbar table, the drag start point, the mode positions.
        Guarded("Start Up Error #7", [&] {
            BuildToolbarTable();
            DragStartPoint = {-1, -1};
        });
        Guarded("Start Up Error #2", [&] { ModePosition.fill(-1); });

        // 3. The cache folders.
        if (FileExists(fixpath(ProgramFolder, true) + "Missing.ico")) {
            MissingIconFile = fixpath(ProgramFolder, true) + "Missing.ico";
            ThumbGrid->UnknownIcon = MissingIconFile;
        }
        if (!Guarded(nullptr, [&] {
                const std::string cache = WorkFolder + "Cache/";
                Require(DirectoryExists(cache) || ForceDirectories(cache));
                CacheFolder = cache;
                ThumbGrid->SetDiskCacheDirectory(cache);
                const std::string thumbs = DataFolder + "Thumbs/";
                Require(DirectoryExists(thumbs) || ForceDirectories(thumbs));
                PermanentThumbFolder = thumbs;
                ThumbGrid->SetPermanentCacheDirectory(thumbs);
            })) {
            CacheFolder = GetTempPath();
            Guarded(nullptr, [&] { ThumbGrid->SetDiskCacheDirectory(CacheFolder); });
        }

        // 4. The mixer controls (the image view's selection outline becomes red and white with
        // the view).
        Guarded("Start Up Error #3", [&] { SetupVolume(); });

        // 5. The list of temporary files.
        Guarded("Start Up Error #30", [&] {
            if (!TempFileList) TempFileList = new TStringList;
        });

        // 6. A reset asked for by the store or the command line.
        ResetIfAsked();

        // 7. The settings.
        readreg();

        // 8. Preferences.
        Guarded("Lumora encountered an error loading your preferences from the registry, if this problem should "
                "continue please delete the registry key; 'HKEY_LOCAL_MACHINE\\Software\\Qorvex\\Lumora.",
                [&] {
                    if (FirstRun) {
                        Settings.LastDir = FirstRunFolder();
                        RegisterBookmarkFileClass();
                        OfferSendToShortcut();
                    }
                    const int menu = ToolbarEntryIndex("Menu");
                    const int main = ToolbarEntryIndex("Main");
                    if (!Settings.ToolbarVisible[menu] && !Settings.ToolbarVisible[main])
                        Settings.ToolbarVisible[menu] = true;
                    Guarded("Start Up Error #11", [&] {
                        // The current file's kind becomes image with the file record.
                        UpdateToolbarDisplay();
                        UpdateButtonDisplay();
                        if (!Settings.LastDir.empty() && DirectoryExists(Settings.LastDir))
                            SetDirTreePath(Settings.LastDir);
                    });
                    SetBounds(Settings.QLLeft, Settings.QLTop, Settings.QLWidth, Settings.QLHeight);
                    if (Settings.LMax) SetWindowState(wsMaximized);
                    FixPanelWidths();
                    FillBookmarkFileList();
                });

        // 9. The splash goes.
        Guarded(nullptr, [] {
            if (dlgSplash_LM) {
                dlgSplash_LM->Hide();
                dlgSplash_LM->Free();
            }
        });

        // 10. The remaining steps.
        bool goOn = true;
        Guarded("Error encountered on start up", [&] {
            CreateDescriptionsFile();
            Guarded("Start Up Error #12", [&] {
                if (AllFormatRecordsEmpty() && FormatRecordHooks.ResetToDefaults) {
                    FormatRecordHooks.ResetToDefaults(true);
                    CreateFilter();
                }
            });
            if (ScreenBitsPerPixel() < 16) {
                Settings.ThumbQualityHigh = false;
                showwarning(21, false, true, 0);
            }
            Guarded("Start Up Error #45", [&] { SetFileDisplayMode(Settings.FileDisplayMode); });
            Guarded(nullptr, [&] {
                if (Settings.TipsOnStart) showTipsOnStart();
                if (Settings.GetStarted) ShowGettingStarted();
            });
            Randomize();
            if (Settings.TwainHandle != NoAccessPassword && Settings.TwainHandle != 0 && !AskAccessPassword()) {
                goOn = false;
                return;
            }
            Guarded("Start Up Error #96", [&] { SetTabToMode(Settings.Mode); });
        });
        if (!goOn) return;

        // 11.
        RefreshHeaderGlyphs();
        SetupApplicationDisplay();
    } catch (...) {
        ShowMessage("Unspecified Start up Error!");
    }
}

void TfrmMain::ResetIfAsked() {
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        try {
            DoResetRequested = reg.OpenKey(MainSettingsKey, true) && UpperCase(reg.ReadString("DoReset")) == "TRUE";
        } catch (...) {
            DoResetRequested = false;
        }
    }
    if (!DoResetRequested && UpperCase(ParamStr(1)) != "/RESET") return;
    try {
        resetregistry(false);
    } catch (...) {
        ShowMessage("Error resetting registry");
    }
    try {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(MainSettingsKey, true)) reg.WriteString("DoReset", "False");
    } catch (...) {
    }
}

bool TfrmMain::AskAccessPassword() {
    for (int attempt = 1; attempt <= 3; ++attempt) {
        const std::string answer = showpassworddialog();
        if (answer.empty()) {
            State.CloseRequested = true;
            return false;
        }
        if (checkaccesspw(answer, Settings.TwainHandle)) {
            if (!Settings.AfterPWApp.empty()) {
                try {
                    RunAfterPasswordProgram(Settings.AfterPWApp);
                } catch (...) {
                    WarningBox("There was a problem encountered whilst trying to run your specified post-password "
                               "application.  You may have moved or deleted it.");
                }
            }
            return true;
        }
        if (attempt < 3) WarningBox("The password you entered was incorrect please try again!");
    }
    WarningBox("You failed to enter the correct password.  Lumora cannot be opened!");
    State.CloseRequested = true;
    return false;
}

void TfrmMain::FillBookmarkFileList() {
    TStrings* items = cmbBookmarkFile->GetItems();
    items->Clear();
    const std::string list = DataFolder + "bkmks.lst";
    if (FileExists(list)) items->LoadFromFile(list);
    if (items->GetCount() == 0) items->Add(DataFolder + "Default.bkmk");
}

void TfrmMain::HideDatabaseFeatures() {
    tabDatabase->SetTabVisible(false);
    FileGridColumns.StorageMethod->SetVisible(false);
    FileGridColumns.StorageMethod->SetDisableCustomizing(true);
    HideDatabaseMenus();
}

void TfrmMain::CreateDescriptionsFile() {
    DescriptionsFile = DataFolder + "descrip.dat";
    try {
        if (!FileExists(DescriptionsFile)) {
            TStringList lines;
            lines.Add("[Descriptions]");
            lines.SaveToFile(DescriptionsFile);
        }
        if (!FileExists(DescriptionsFile)) DescriptionsFile.clear();
    } catch (...) {
        DescriptionsFile.clear();
    }
}

void TfrmMain::SetupApplicationDisplay() {
    StartupIncomplete = false;
    try {
        auto afterwards = [this] {
            SuppressChangeEvents = false;
            if (cmbBookmarkFile->GetItemIndex() >= 0) cmbBookmarkFileChange(this);
        };
        try {
            SuppressChangeEvents = true;
            TStrings* items = cmbBookmarkFile->GetItems();
            if (items->GetCount() > 0) {
                const std::string first = items->Get(0);
                if (FileExists(first) || first == DataFolder + "Default.bkmk") cmbBookmarkFile->SetItemIndex(0);
            }
        } catch (...) {
            afterwards();
            throw;
        }
        afterwards();
        // The mode of the active page is entered; the table is filtered again and the file list
        // goes to its first file.
        pgcModesChange(this);
        dmTempDB->RefreshCurrentTable();
        GridControl->GotoFirst();
    } catch (...) {
        ShowMessage("Error encountered setting initial display");
    }
    try {
        // The argument is used as it was given; the reset switch is not a file to show.
        const std::string argument = ParamStr(1);
        if (!argument.empty() && UpperCase(argument) != "/RESET") directshow(argument, false);
    } catch (...) {
        ShowMessage("Error encountered processing parameters");
    }
    State.DisplayReady = true;
    State.BlockOperations = true;
    GridControl->SetBlockOperations(true);
}

void TfrmMain::SetupVolume() {
    // Filled in with the mixer: the volume, pan, mute, treble and bass controls take the mixer's
    // ranges and values (LeftRightToPanVolume); without a mixer they are disabled.
}

void TfrmMain::showTipsOnStart() {
    if (FileExists(fixpath(ProgramFolder, true) + "lmtips.ini")) {
        ShowQuickTips();
        State.TipsFocusPending = true;
    } else {
        WarningBox("Lumora cannot locate the 'Tip of the Day' file, lmtips.ini in your Lumora program directory");
        Settings.TipsOnStart = false;
    }
}

void TfrmMain::directshow(const std::string& FileName, bool BringToFront) {
    if (!GetKeyPreview()) return;
    try {
        if (BringToFront) DisplayForm();
        if (UpperCase(ExtractFileExt(FileName)) == ".BKMK") {
            LoadBookmarkFile(FileName);
            SetTabToMode(4);
        } else {
            SetTabToMode(3);
            SetDirTreePath(ExtractFilePath(FileName));
            LoadFile(FileName, 1);
        }
    } catch (...) {
        WarningBox("Error processing file, it may be corrupted or no longer be available.");
    }
}

void TfrmMain::OneInstance1InstanceStarted(TObject* Sender, TStringList* Params) {
    try {
        if (Params && Params->GetCount() > 0 && FileExists(Params->Get(0))) directshow(Params->Get(0), true);
    } catch (...) {
        WarningBox("An file was launched but cannot be displayed");
    }
}

void TfrmMain::resetregistry(bool KeepMainKey) {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    reg.DeleteKey(WarningSettingsKey);
    if (!KeepMainKey) {
        reg.DeleteKey(DatabaseSettingsKey);
        reg.DeleteKey(MainSettingsKey);
    }
}

void TfrmMain::reseteverything() {
    if (State.FileLoading) State.LoadCancelRequested = true;
    Settings.ToolbarVisible.fill(true);
    if (FullScreen)
        SetFullScreenMode(0);
    else
        UpdateToolbarDisplay();
    if (GetHeight() < 200) SetHeight(460);
    if (GetWidth() < 250) SetWidth(624);
    LeftPanel->SetWidth(344);
    pgcModes->SetHeight(216);
    FixPanelWidths();
}

void TfrmMain::mkResetSettingsClick(TObject* Sender) { reseteverything(); }

void TfrmMain::actResetAllExecute(TObject* Sender) {
    if (State.SlideshowActive) {
        ActivateSlideshow(0);
        return;
    }
    if (FullScreen) {
        SetFullScreenMode(0);
        return;
    }
    if (MessageDlg("Are you sure you want to reset all your view settings?", mtConfirmation, {mbYes, mbNo}, 0) == mrYes)
        reseteverything();
}

// ---------------------------------------------------------------------------------------------
// Closing

void TfrmMain::FormCloseQuery(TObject* Sender, bool& CanClose) {
    CanClose = true;
    if (StartupIncomplete) return;
    if (CurrentFileChanged()) CanClose = prompttosavecurrentfile();
    if (CanClose && Settings.ConfirmClosure &&
        MessageDlg("Are you sure you want to close Lumora?", mtConfirmation, {mbYes, mbNo}, 0) == mrNo)
        CanClose = false;
}

void TfrmMain::FormClose(TObject* Sender, TCloseAction& Action) {
    if (StartupIncomplete) return;
    // The bracket stays open: nothing more is to happen in the window.
    BeginDialogDisplay(true, true, true);
    Screen->SetCursor(crHourGlass);
    deleteoldfiles();
    // Every list has its own guard, so one that cannot be written costs no other; one message
    // tells of any.
    if (!SaveDataFolderLists())
        MessageDlg("Error encountered saving your Favourite Directory list.", mtWarning, {mbOK}, 0);
    delete TempFileList;
    TempFileList = nullptr;
    if (Settings.SaveLastDirectory && !FDirTreePath.empty()) Settings.LastDir = FDirTreePath;
    clearcurrentfile();
    if (!FullScreen) getmainformdimensions();
    writereg();
    TGridLayout layout;
    if (FileGridLayout(layout)) SaveGridLayout(GridSettingsKey, layout);
    CloseAllSecondaryWindows();
    Guarded(nullptr, [&] { FreeKeptDialogs(); });
    Screen->SetCursor(crDefault);
}

bool TfrmMain::SaveDataFolderLists() {
    bool saved = true;
    auto save = [&](const std::string& FileName, TStrings* Lines) {
        try {
            if (!WriteFileAtomically(FileName, Lines->GetText())) saved = false;
        } catch (...) {
            saved = false;
        }
    };
    save(DataFolder + "bkmks.lst", cmbBookmarkFile->GetItems());
    return saved;
}

void TfrmMain::FormDestroy(TObject* Sender) {
    if (StartupIncomplete) return;
    Guarded(nullptr, [&] { RegisterDropTargets(false); });
}

// ---------------------------------------------------------------------------------------------
// Settings

void TfrmMain::ApplySettingEffects() {
    Application->SetShowHint(Settings.ShowHints);
    LeftPanel->SetWidth(Settings.FileGridWidth);
    pgcModes->SetHeight(Settings.FileGridTop);
    if (FilterBox->GetItems()->GetCount() > 0)
        FilterBox->SetItemIndex(Settings.CurrentFilter < FilterBox->GetItems()->GetCount() ? Settings.CurrentFilter : 0);
    SetDirTreeHiddenFilesVisible();
    if (dmTempDB) dmTempDB->SetAttributeFilterCache(0);
    ThumbGrid->HideFileExtensions = Settings.HideFileExt;
    ThumbGrid->ThumbQualityHigh = Settings.ThumbQualityHigh;
    ThumbGrid->SetJPEGThumbnails(Settings.JPEGThumbnails);
    ThumbGrid->SetDiskCacheMaxCacheCount(Settings.DiskCacheMaxCount);
    if (Settings.ThumbnailWidth > 0) ThumbGrid->SetThumbnailWidth(Settings.ThumbnailWidth);
    if (Settings.ThumbnailHeight > 0) ThumbGrid->SetThumbnailHeight(Settings.ThumbnailHeight);
    if (Settings.IconInfoColumnWidth > 0) ThumbGrid->SetIconInfoColumnWidth(Settings.IconInfoColumnWidth);
    if (Settings.FilenameColumnWidth > 0) ThumbGrid->SetFilenameColumnWidth(Settings.FilenameColumnWidth);
    ApplySlideshowSettings();
    DisplayToolbarTitles(Settings.ToolbarTitles);
    SetTabCaptionVisibility(Settings.TabCaptionsVisible);
    setzoomproperties();
}

void TfrmMain::CollectSettingsFromControls() {
    if (Mode != 0) Settings.Mode = Mode;
    Settings.FileGridWidth = LeftPanel->GetWidth();
    Settings.FileGridTop = pgcModes->GetHeight();
    if (FilterBox->GetItems()->GetCount() > 0) Settings.CurrentFilter = FilterBox->GetItemIndex();
    if (GridControl->GetFileDisplayMode() >= 0) Settings.FileDisplayMode = GridControl->GetFileDisplayMode();
    CollectSlideshowSettings();
    // The other values the controls hold are taken back as the controls come: the quick-move
    // choice and the tree's renaming state.
}

TSettingsLimits TfrmMain::SettingsLimits() {
    TSettingsLimits limits;
    limits.ScreenWidth = Screen->GetWidth();
    limits.ScreenHeight = Screen->GetHeight();
    // The keywords window of the hidden keyword features has no height of its own.
    limits.KeywordsWindowHeight = 0;
    return limits;
}

void TfrmMain::ReadFormatRecords(TRegistry& Reg) {
    auto reset = [this](bool AskAssociations) {
        if (FormatRecordHooks.ResetToDefaults) FormatRecordHooks.ResetToDefaults(AskAssociations);
    };
    if (!ReadFormatRecordSettings(Reg, FormatRecordHooks.Valid)) {
        if (FirstRun) {
            reset(true);
        } else if (MessageDlg("An error was encountered whilst reading your format support information!  Would you "
                              "like to rebuild your format list?",
                              mtWarning, {mbYes, mbNo}, 0) == mrYes) {
            reset(false);
        }
    }
    // The type filter is built before the stored filter entry is applied.
    ThumbGrid->SupportedFormats = BuiltInImageExtensions;
    CreateFilter();
}

void TfrmMain::readreg() {
    try {
        TGridLayout layout;
        if (FileGridLayout(layout) && LoadGridLayout(GridSettingsKey, layout)) ApplyFileGridLayout(layout);
        LoadToolbarPositions();

        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(MainSettingsKey, true)) {
            FirstRun = reg.ReadString("Version") != SettingsVersion;
            ReadMainSettings(reg, Settings, SettingsLimits());
            ReadFormatRecords(reg);
            ApplySettingEffects();
        } else {
            ShowMessage("Error encountered opening your registry file");
        }
        reg.CloseKey();
        if (FirstRun) resetregistry(true);
        if (reg.OpenKeyReadOnly(WarningSettingsKey)) {
            ReadWarningSettings(reg, Settings);
            reg.CloseKey();
        } else {
            Settings.WarningVisible.fill(true);
        }
        if (reg.OpenKeyReadOnly(ToolbarSettingsKey)) {
            ReadToolbarSettings(reg, Settings);
            reg.CloseKey();
        } else {
            Settings.ToolbarVisible.fill(true);
        }
        UpdateToolbarDisplay();
    } catch (...) {
        WarningBox("Error encountered loading user settings from registry!");
    }
}

void TfrmMain::writereg() {
    try {
        CollectSettingsFromControls();
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(MainSettingsKey, true)) {
            WriteMainSettings(reg, Settings, FullScreen);
            WriteFormatRecordSettings(reg);
            SaveToolbarPositions();
        } else {
            WarningBox("Registry Update Failed");
        }
        if (reg.OpenKey("\\" + std::string(WarningSettingsKey), true)) WriteWarningSettings(reg, Settings);
        if (reg.OpenKey("\\" + std::string(ToolbarSettingsKey), true)) WriteToolbarSettings(reg, Settings);
        reg.CloseKey();
        if (!RegistryFlush()) throw ERegistryException("Failed to write the registry");
    } catch (...) {
        WarningBox("Error encountered writing your settings to the registry!");
    }
}

void TfrmMain::getmainformdimensions() {
    if (GetWindowState() == wsMaximized) {
        Settings.LMax = true;
        return;
    }
    Settings.LMax = false;
    Settings.QLLeft = GetLeft();
    Settings.QLTop = GetTop();
    Settings.QLWidth = GetWidth();
    Settings.QLHeight = GetHeight();
}

// ---------------------------------------------------------------------------------------------
// Paths and folders

std::string TfrmMain::fixpath(const std::string& Path, bool AddSlash) {
    return FixPath(Path, AddSlash, ProgramFolder, Settings.CDRomDrive);
}

bool TfrmMain::IgnoreFileType(const std::string& FileName) {
    const std::string name = UpperCase(FileName);
    if (!Settings.ShowShortcuts && ExtractFileExt(name) == ".LNK") return true;
    return !Settings.ShowTHBFiles && name.find("_THB.") != std::string::npos;
}

std::string TfrmMain::GetPathInfo(const std::string& Path, bool InfoPart) { return ::GetPathInfo(Path, InfoPart); }

std::string TfrmMain::WildcardPathToPath(const std::string& Path) {
    return ExpandRemovablePath(Path, Settings.CDRomDrive);
}

std::string TfrmMain::GetFolder(Integer Number) {
    switch (Number) {
    case 0: return ProgramFolder;
    case 1: return ProgramFolder + "DB/";
    case 2: return DataFolder + "DB/";
    case 3: return WorkFolder + "Cache/";
    case 4: return DataFolder;
    case 5: return IncludeTrailingPathDelimiter(GetCurrentDir());
    case 6: return DataFolder + "Thumbs/";
    case 9: return GetTempPath();
    default: return {};
    }
}

std::string TfrmMain::GetWindowsDir() { return ExcludeTrailingPathDelimiter(DataFolder); }

void TfrmMain::deleteoldfiles() {
    if (TempFileList) DeleteOldFiles(TempFileList);
}

void TfrmMain::StrToStringlist(TStringList* List, const std::string& Text, const std::string& Delimiter) {
    ::StrToStringlist(List, Text, Delimiter);
}

std::string TfrmMain::GetPLuralText(TStrings* List) { return ::GetPLuralText(List); }

Integer TfrmMain::GetScreenSize(Integer Pixels) { return ::GetScreenSize(Pixels, Screen->GetPixelsPerInch()); }

TColor TfrmMain::Colourcodetocolour(Byte Code) { return ::Colourcodetocolour(Code); }

// ---------------------------------------------------------------------------------------------
// Browse mode

void TfrmMain::SetTabToMode(Integer AMode) {
    pgcModes->SetActivePage(AMode == 4 ? tabBookmarks : tabFolders);
    pgcModesChange(this);
}
