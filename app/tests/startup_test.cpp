// The program's start-up and closing with a private settings store, program folder and user
// folders.

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/access_password.h"
#include "app/app_paths.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/tests/program_test.h"
#include "catalogue/format_records.h"
#include "catalogue/lm_types.h"
#include "catalogue/temp_db.h"
#include "dialogs/open_directory.h"
#include "dialogs/splash.h"
#include "framework/comctrls.h"
#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "framework/list_controls.h"
#include "framework/messages.h"
#include "framework/registry.h"
#include "framework/std_controls.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"
#include "framework/testing/ui_test.h"
#include "framework/tests/scratch_folder.h"
#include "platform/tests/scoped_env.h"

namespace {

class StartupTest : public ProgramTest {};

}  // namespace

TEST_F(StartupTest, AFirstRunSetsUpFoldersAndStartsInTheHomeFolder) {
    // Switched-off warnings of an older version are shown again.
    Store(WarningSettingsKey, {{"Warning_3_Visible", "False"}});
    Start();

    EXPECT_EQ(Application->GetTitle(), "Lumora");
    EXPECT_EQ(Application->GetMainForm(), frmMain);
    EXPECT_EQ(Application->GetHelpFile(), program_ + "lumora.hlp");
    EXPECT_EQ(Application->GetHintPause(), 750);
    EXPECT_EQ(Application->GetHintHidePause(), 7500);
    EXPECT_NE(dlgOpenDirectory, nullptr);
    EXPECT_NE(dmTempDB, nullptr);
    EXPECT_EQ(dlgSplash_LM, nullptr);  // freed once the settings were read

    EXPECT_TRUE(frmMain->FirstRun);
    EXPECT_FALSE(frmMain->StartupIncomplete);
    EXPECT_TRUE(frmMain->State.DisplayReady);
    EXPECT_EQ(frmMain->Settings.LastDir, home_);
    EXPECT_EQ(frmMain->GetDirTreePath(), home_);
    EXPECT_EQ(frmMain->Mode, 3);
    EXPECT_TRUE(frmMain->Settings.WarningVisible[3]);
    EXPECT_FALSE(KeyExists(WarningSettingsKey));

    // The program folder is writable: it holds the data and the caches.
    EXPECT_EQ(frmMain->GetFolder(0), program_);
    EXPECT_EQ(frmMain->GetFolder(4), program_);
    EXPECT_EQ(frmMain->GetFolder(3), program_ + "Cache/");
    EXPECT_TRUE(DirectoryExists(program_ + "Cache/"));
    EXPECT_TRUE(DirectoryExists(program_ + "Thumbs/"));
    EXPECT_EQ(frmMain->DescriptionsFile, program_ + "descrip.dat");
    EXPECT_EQ(ReadFile(program_ + "descrip.dat"), "[Descriptions]\r\n");
    ASSERT_EQ(frmMain->cmbBookmarkFile->GetItems()->GetCount(), 1);
    EXPECT_EQ(frmMain->cmbBookmarkFile->GetItems()->Get(0), program_ + "Default.bkmk");
    EXPECT_EQ(frmMain->cmbBookmarkFile->GetItemIndex(), 0);
    EXPECT_EQ(frmMain->pgcModes->GetActivePage(), frmMain->tabFolders);
    EXPECT_FALSE(frmMain->tabDatabase->GetTabVisible());
    EXPECT_EQ(frmMain->LeftPanel->GetWidth(), 344);
    EXPECT_EQ(frmMain->pgcModes->GetHeight(), 216);

    // A click on the bookmarks tab enters bookmarks mode.
    const TRect tab = frmMain->pgcModes->TabRect(frmMain->tabBookmarks->GetTabIndex());
    uitest::Click(frmMain->pgcModes, (tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2);
    EXPECT_EQ(frmMain->Mode, 4);

    // The first idle turn releases the file list; nothing closes.
    EXPECT_TRUE(frmMain->State.BlockOperations);
    uitest::IdleTurns(1);
    EXPECT_FALSE(frmMain->State.BlockOperations);
    EXPECT_FALSE(quit_);

    Close();
    EXPECT_TRUE(quit_);
    EXPECT_EQ(Stored(MainSettingsKey, "Version"), "Lumora v5.001");
    EXPECT_EQ(Stored(MainSettingsKey, "LastDir"), home_);
    EXPECT_EQ(Stored(WarningSettingsKey, "Warning_3_Visible"), "True");
    EXPECT_TRUE(dialogs_.Requests().empty());
}

TEST_F(StartupTest, ACleanQuitWritesTheSettingsAndTheNextStartReadsThem) {
    Start();
    frmMain->DelayTrack->SetPosition(9);
    frmMain->Settings.ConfirmClosure = true;
    frmMain->Settings.WarningVisible[7] = false;
    frmMain->Settings.ToolbarVisible[ToolbarEntryIndex("Mixer")] = false;
    frmMain->SetBounds(40, 50, 640, 480);
    frmMain->LeftPanel->SetWidth(260);
    frmMain->pgcModes->SetHeight(150);
    uitest::IdleTurns(1);

    // Asked to confirm, the user says No: the program stays and nothing is written.
    const std::string before = StoreSnapshot();
    dialogs_.Answer(mrNo);
    Close();
    EXPECT_FALSE(quit_);
    EXPECT_EQ(dialogs_.Requests().back().Text, "Are you sure you want to close Lumora?");
    EXPECT_EQ(StoreSnapshot(), before);

    dialogs_.Answer(mrYes);
    Close();
    EXPECT_TRUE(quit_);
    EXPECT_EQ(Stored(MainSettingsKey, "SlideshowDelay"), "9");
    EXPECT_EQ(Stored(MainSettingsKey, "ConfirmClosure"), "True");
    EXPECT_EQ(Stored(MainSettingsKey, "QLLeft"), "40");
    EXPECT_EQ(Stored(MainSettingsKey, "QLTop"), "50");
    EXPECT_EQ(Stored(MainSettingsKey, "QLWidth"), "640");
    EXPECT_EQ(Stored(MainSettingsKey, "QLHeight"), "480");
    EXPECT_EQ(Stored(MainSettingsKey, "LMax"), "False");
    EXPECT_EQ(Stored(MainSettingsKey, "FileGridWidth"), "260");
    EXPECT_EQ(Stored(MainSettingsKey, "FileGridTop"), "150");
    EXPECT_EQ(Stored(WarningSettingsKey, "Warning_7_Visible"), "False");
    EXPECT_EQ(Stored(ToolbarSettingsKey, "Mixer"), "False");

    Restart();
    EXPECT_FALSE(frmMain->FirstRun);
    EXPECT_EQ(frmMain->Settings.SlideshowDelay, 9);
    EXPECT_EQ(frmMain->DelayTrack->GetPosition(), 9);
    EXPECT_FALSE(frmMain->Settings.WarningVisible[7]);
    EXPECT_FALSE(frmMain->Settings.ToolbarVisible[ToolbarEntryIndex("Mixer")]);
    EXPECT_EQ(frmMain->GetLeft(), 40);
    EXPECT_EQ(frmMain->GetTop(), 50);
    EXPECT_EQ(frmMain->GetWidth(), 640);
    EXPECT_EQ(frmMain->GetHeight(), 480);
    EXPECT_EQ(frmMain->LeftPanel->GetWidth(), 260);
    EXPECT_EQ(frmMain->pgcModes->GetHeight(), 150);

    // Hints follow their setting at once.
    FreeProgramForms();
    Store(MainSettingsKey, {{"ShowHints", "false"}});
    Start();
    EXPECT_FALSE(Application->GetShowHint());
    FreeProgramForms();
    Store(MainSettingsKey, {{"ShowHints", "True"}});
    Start();
    EXPECT_TRUE(Application->GetShowHint());
}

TEST_F(StartupTest, ResetClearsEveryStoredSettingBeforeTheyAreRead) {
    struct Case {
        std::vector<std::string> args;
        const char* doReset;  // nullptr: no such value
    } cases[] = {
        {{"/RESET"}, nullptr},
        {{"/reset"}, "False"},
        {{}, "true"},
        {{}, "TRUE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? std::string("DoReset=") + c.doReset : c.args[0]);
        ClearStore();
        Store(MainSettingsKey, {{"Version", "Lumora v5.001"}, {"ConfirmClosure", "True"}, {"QLWidth", "500"},
                                {"LastDir", home_}});
        if (c.doReset) Store(MainSettingsKey, {{"DoReset", c.doReset}});
        Store(DatabaseSettingsKey, {{"Open", "1"}});
        Store(WarningSettingsKey, {{"Warning_3_Visible", "False"}});
        Start(c.args);

        EXPECT_FALSE(frmMain->Settings.ConfirmClosure);
        EXPECT_EQ(frmMain->Settings.QLWidth, 700);
        EXPECT_TRUE(frmMain->Settings.WarningVisible[3]);
        EXPECT_TRUE(frmMain->FirstRun);  // the version went with the rest
        EXPECT_FALSE(KeyExists(DatabaseSettingsKey));
        EXPECT_EQ(Stored(MainSettingsKey, "DoReset"), "False");
        EXPECT_EQ(Stored(MainSettingsKey, "ConfirmClosure"), "(missing)");
        // The switch is not a file to show: the tree stays in the first-run folder.
        EXPECT_EQ(frmMain->GetDirTreePath(), home_);
        FreeProgramForms();
    }
}

TEST_F(StartupTest, AReadOnlyProgramFolderKeepsDataInTheUserFoldersAndCachesInTheTemporaryFolder) {
    ASSERT_EQ(chmod(program_.c_str(), 0555), 0);
    Start();
    const std::string data = dir_ + "xdg/Lumora/";
    const std::string temp = dir_ + "tmp/";
    EXPECT_EQ(frmMain->DataFolder, data);
    EXPECT_EQ(frmMain->WorkFolder, temp);
    EXPECT_EQ(frmMain->GetFolder(0), program_);
    EXPECT_EQ(frmMain->GetFolder(2), data + "DB/");
    EXPECT_EQ(frmMain->GetFolder(3), temp + "Cache/");
    EXPECT_EQ(frmMain->GetFolder(4), data);
    EXPECT_EQ(frmMain->GetFolder(6), data + "Thumbs/");
    EXPECT_EQ(frmMain->GetFolder(9), temp);
    EXPECT_EQ(frmMain->GetFolder(7), "");
    EXPECT_EQ(frmMain->CacheFolder, temp + "Cache/");
    EXPECT_EQ(frmMain->PermanentThumbFolder, data + "Thumbs/");
    EXPECT_TRUE(DirectoryExists(temp + "Cache/"));
    EXPECT_EQ(frmMain->DescriptionsFile, data + "descrip.dat");
    EXPECT_TRUE(FileExists(data + "descrip.dat"));
    EXPECT_EQ(frmMain->cmbBookmarkFile->GetItems()->Get(0), data + "Default.bkmk");
    EXPECT_FALSE(FileExists(program_ + "descrip.dat"));
    EXPECT_FALSE(DirectoryExists(program_ + "Cache/"));
}

TEST_F(StartupTest, TheAccessPasswordDecidesWhetherStartUpGoesOn) {
    RunOnce();
    Store(MainSettingsKey, {{"TwainHandle", IntToStr(calcaccesspw("Open Sesame"))}});

    struct Case {
        const char* name;
        std::vector<std::pair<Integer, std::string>> answers;  // in order; input boxes carry text
        bool opens;
        const char* lastMessage;  // shown before the close, or nullptr
    } cases[] = {
        {"cancelled", {{mrCancel, ""}}, false, nullptr},
        {"empty", {{mrOk, ""}}, false, nullptr},
        {"three wrong",
         {{mrOk, "open sesame"}, {mrOk, ""}, {mrOk, "Open Sesame "}, {mrOk, ""}, {mrOk, "x"}, {mrOk, ""}},
         false,
         "You failed to enter the correct password.  Lumora cannot be opened!"},
        {"right the second time", {{mrOk, "wrong"}, {mrOk, ""}, {mrOk, "Open Sesame"}}, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = StoreSnapshot();
        dialogs_.Clear();
        for (auto& [result, text] : c.answers) dialogs_.Answer(result, text);
        Start();
        EXPECT_EQ(dialogs_.Pending(), 0u);
        ASSERT_FALSE(dialogs_.Requests().empty());
        EXPECT_EQ(dialogs_.Requests()[0].Caption, "Password Dialog");
        if (c.answers.size() > 2) {
            EXPECT_EQ(dialogs_.Requests()[1].Text, "The password you entered was incorrect please try again!");
        }
        if (c.lastMessage) {
            EXPECT_EQ(dialogs_.Requests().back().Text, c.lastMessage);
        }
        EXPECT_EQ(frmMain->StartupIncomplete, !c.opens);
        EXPECT_EQ(frmMain->State.DisplayReady, c.opens);
        EXPECT_EQ(frmMain->State.CloseRequested, !c.opens);

        if (!c.opens) {
            // The next idle turn tells the user and ends the program; nothing is written, not
            // even when the window is closed on the way out.
            dialogs_.Answer(mrOk);
            uitest::IdleTurns(1);
            uitest::ProcessEvents();
            EXPECT_EQ(dialogs_.Requests().back().Text, "Lumora will now close.");
            EXPECT_TRUE(quit_);
            Close();
            FreeProgramForms();
            EXPECT_EQ(StoreSnapshot(), before);
        } else {
            uitest::IdleTurns(1);
            EXPECT_FALSE(quit_);
            FreeProgramForms();
        }
    }
}

TEST_F(StartupTest, StoredBrowseModesOtherThanBookmarksStartInFoldersMode) {
    RunOnce();
    for (auto [stored, mode] : {std::pair{"1", 3}, {"2", 3}, {"7", 3}, {"abc", 3}, {"3", 3}, {"4", 4}}) {
        Store(MainSettingsKey, {{"Mode", stored}});
        Start();
        EXPECT_EQ(frmMain->Mode, mode) << "stored " << stored;
        FreeProgramForms();
    }
}

TEST_F(StartupTest, ACommandLineFileIsShownAsGiven) {
    RunOnce();
    // The folder keeps the case it was given in; the file becomes the current file.
    const std::string folder = dir_ + "Photos/Summer/";
    ASSERT_TRUE(ForceDirectories(folder));
    TStringList().SaveToFile(folder + "IMG_0001.JPG");
    Start({folder + "IMG_0001.JPG"});
    EXPECT_EQ(frmMain->Mode, 3);
    EXPECT_EQ(frmMain->GetDirTreePath(), folder);
    EXPECT_EQ(frmMain->CurrentFile.FullName, folder + "IMG_0001.JPG");
    FreeProgramForms();

    Start({"/lists/Trips.BKMK"});
    EXPECT_EQ(frmMain->Mode, 4);
    EXPECT_EQ(frmMain->GetDirTreePath(), home_);
    FreeProgramForms();
}

TEST_F(StartupTest, ALaterStartHandsOverAnExistingFile) {
    RunOnce();
    Start();
    TStringList lists;
    lists.SaveToFile(dir_ + "Trips.bkmk");
    TStringList params;
    params.Add(dir_ + "missing.bkmk");
    frmMain->OneInstance1InstanceStarted(nullptr, &params);
    EXPECT_EQ(frmMain->Mode, 3);  // a missing file is ignored

    // While a dialog is open the file is ignored too.
    params.Put(0, dir_ + "Trips.bkmk");
    frmMain->SetKeyPreview(false);
    frmMain->OneInstance1InstanceStarted(nullptr, &params);
    EXPECT_EQ(frmMain->Mode, 3);
    frmMain->SetKeyPreview(true);
    frmMain->OneInstance1InstanceStarted(nullptr, &params);
    EXPECT_EQ(frmMain->Mode, 4);

    EXPECT_EQ(frmMain->pgcModes->GetActivePage(), frmMain->tabBookmarks);

    params.Clear();
    frmMain->OneInstance1InstanceStarted(nullptr, &params);
    EXPECT_EQ(frmMain->Mode, 4);
}

TEST_F(StartupTest, TheMenuComesBackWhenItAndTheMainToolbarWereHidden) {
    RunOnce();
    Store(ToolbarSettingsKey, {{"Menu", "False"}, {"Main", "False"}, {"Mixer", "False"}});
    Start();
    EXPECT_TRUE(frmMain->Settings.ToolbarVisible[ToolbarEntryIndex("Menu")]);
    EXPECT_FALSE(frmMain->Settings.ToolbarVisible[ToolbarEntryIndex("Main")]);
    EXPECT_FALSE(frmMain->Settings.ToolbarVisible[ToolbarEntryIndex("Mixer")]);
    FreeProgramForms();

    Store(ToolbarSettingsKey, {{"Menu", "False"}, {"Main", "True"}});
    Start();
    EXPECT_FALSE(frmMain->Settings.ToolbarVisible[ToolbarEntryIndex("Menu")]);
}

TEST_F(StartupTest, UnreadableFormatRecordsAreRebuiltWhenTheUserAgrees) {
    RunOnce();
    Store(MainSettingsKey, {{"SoundFormat", "not a record"}});
    for (Integer answer : {mrYes, mrNo}) {
        std::vector<bool> resets;
        dialogs_.Answer(answer);
        CreateProgramForms();
        frmMain->FormatRecordHooks.Valid = [](TFormatRecordKind, const std::string& Text) {
            return Text != "not a record";
        };
        frmMain->FormatRecordHooks.ResetToDefaults = [&](bool Ask) { resets.push_back(Ask); };
        frmMain->Show();
        uitest::ProcessEvents();
        EXPECT_EQ(dialogs_.Requests().back().Text,
                  "An error was encountered whilst reading your format support information!  Would you like to "
                  "rebuild your format list?");
        EXPECT_EQ(resets, answer == mrYes ? std::vector<bool>{false} : std::vector<bool>{});
        FreeProgramForms();
    }

    // A first run rebuilds them without asking, associations included.
    dialogs_.Clear();
    Store(MainSettingsKey, {{"Version", "Lumora v4.000"}});
    std::vector<bool> resets;
    CreateProgramForms();
    frmMain->FormatRecordHooks.Valid = [](TFormatRecordKind, const std::string& Text) {
        return Text != "not a record";
    };
    frmMain->FormatRecordHooks.ResetToDefaults = [&](bool Ask) { resets.push_back(Ask); };
    frmMain->Show();
    uitest::ProcessEvents();
    EXPECT_TRUE(dialogs_.Requests().empty());
    EXPECT_EQ(resets, std::vector<bool>{true});
}

TEST_F(StartupTest, AFirstRunBuildsTheFormatRecordsFromTheKnownFormatListAndStoresThem) {
    FormatRecords().fill(TFormatRecord{"*.stale;", 1, 1, "", 0});
    Start();
    EXPECT_TRUE(dialogs_.Requests().empty());
    const TFormatRecords& r = FormatRecords();
    EXPECT_EQ(r[lmImage].Extensions.rfind("*.jpg;*.jpeg;*.jpe;*.png;", 0), 0u) << r[lmImage].Extensions;
    EXPECT_EQ(r[lmSound].DoubleClickAction, 3);
    EXPECT_EQ(r[lmOther], (TFormatRecord{"", 0, 1, "", -1}));
    EXPECT_EQ(getlmtype("/x/a.TIFF"), lmImage);
    EXPECT_EQ(getlmtype("/x/main.c"), lmnone);
    const TFormatRecords built = r;
    Close();
    EXPECT_EQ(Stored(MainSettingsKey, "ImageFormat"), FormatRecordToStr(built[lmImage]));
    FreeProgramForms();

    // A record the user changed comes back as it was, an editor holding "#" included.
    FormatRecords()[lmText].Editor = "/opt/my#editor";
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey(MainSettingsKey, false));
        WriteFormatRecordSettings(reg);
    }
    FormatRecords().fill(TFormatRecord{});
    Start();
    EXPECT_EQ(FormatRecords()[lmText].Editor, "/opt/my#editor");
    EXPECT_EQ(FormatRecords()[lmImage], built[lmImage]);
    FreeProgramForms();

    // A stored record that does not parse: agreeing to the question rebuilds all seven.
    Store(MainSettingsKey, {{"VideoFormat", "*.avi;#3#four#0#"}});
    dialogs_.Answer(mrYes);
    Start();
    EXPECT_EQ(dialogs_.Requests().back().Text,
              "An error was encountered whilst reading your format support information!  Would you like to "
              "rebuild your format list?");
    EXPECT_EQ(FormatRecords(), built);
}

TEST_F(StartupTest, ResetViewSettingsAsksFirst) {
    Start();
    frmMain->Settings.ToolbarVisible.fill(false);
    frmMain->LeftPanel->SetWidth(120);
    frmMain->pgcModes->SetHeight(90);
    frmMain->SetBounds(10, 10, 240, 150);
    dialogs_.Answer(mrNo);
    frmMain->actResetAllExecute(frmMain);
    EXPECT_EQ(frmMain->LeftPanel->GetWidth(), 120);
    dialogs_.Answer(mrYes);
    frmMain->actResetAllExecute(frmMain);
    EXPECT_EQ(dialogs_.Requests().back().Text, "Are you sure you want to reset all your view settings?");
    EXPECT_EQ(frmMain->LeftPanel->GetWidth(), 344);
    EXPECT_EQ(frmMain->pgcModes->GetHeight(), 216);
    for (bool visible : frmMain->Settings.ToolbarVisible) EXPECT_TRUE(visible);
    EXPECT_EQ(frmMain->GetWidth(), 624);
    EXPECT_EQ(frmMain->GetHeight(), 460);
}

TEST(AccessPassword, HashOfTheTypedText) {
    EXPECT_EQ(calcaccesspw(""), 9);  // the digits 0, 0 and 9
    EXPECT_NE(calcaccesspw(""), NoAccessPassword);
    EXPECT_EQ(calcaccesspw("abc"), 311789);  // 97*3 + 98*4 + 99*5 = 1178
    EXPECT_NE(calcaccesspw("abc"), calcaccesspw("ABC"));
    EXPECT_NE(calcaccesspw("abc"), calcaccesspw("acb"));
    EXPECT_NE(calcaccesspw("abc"), calcaccesspw("abc "));
    // Too long a hash text does not fit in 32 bits: 0, which never matches a set password.
    EXPECT_EQ(calcaccesspw(std::string(5000, 'z')), 0);
    EXPECT_TRUE(checkaccesspw("abc", 311789));
    EXPECT_FALSE(checkaccesspw("abd", 311789));
}

TEST(Balance, PanAndVolumeFromTheTwoChannelsAndBack) {
    Integer pan = 0, volume = 0, left = 0, right = 0;
    EXPECT_TRUE(LeftRightToPanVolume(60, 30, 100, pan, volume));
    EXPECT_EQ(volume, 60);
    EXPECT_EQ(pan, -50);
    EXPECT_TRUE(LeftRightToPanVolume(30, 60, 100, pan, volume));
    EXPECT_EQ(pan, 50);
    EXPECT_FALSE(LeftRightToPanVolume(0, 0, 100, pan, volume));
    EXPECT_EQ(pan, 0);
    PanVolumeToLeftRight(50, 60, 100, left, right);
    EXPECT_EQ(left, 30);
    EXPECT_EQ(right, 60);
    PanVolumeToLeftRight(-50, 60, 100, left, right);
    EXPECT_EQ(left, 60);
    EXPECT_EQ(right, 30);
    // Full-scale channels of a 16-bit mixer do not overflow.
    EXPECT_TRUE(LeftRightToPanVolume(65535, 1, 32767, pan, volume));
    EXPECT_EQ(pan, -32766);
}

TEST_F(StartupTest, TheDataModuleListsWithTheMainWindowsModeAndSettings) {
    Start();
    const TTempDBHooks& hooks = dmTempDB->Hooks;
    ASSERT_TRUE(hooks.BrowseMode && hooks.IgnoreFileType && hooks.ShowHiddenFiles && hooks.ShowSystemFiles);
    EXPECT_EQ(hooks.BrowseMode(), frmMain->Mode);
    struct Case {
        const char* Name;
        bool ShowShortcuts, ShowTHBFiles, Ignored;
    };
    for (const Case& c : {Case{"a.lnk", false, false, true}, Case{"A.LNK", true, false, false},
                          Case{"x_thb.jpg", false, false, true}, Case{"x_THB.jpg", false, true, false},
                          Case{"x_THBjpg", false, false, false}, Case{"lnk.jpg", false, false, false}}) {
        frmMain->Settings.ShowShortcuts = c.ShowShortcuts;
        frmMain->Settings.ShowTHBFiles = c.ShowTHBFiles;
        EXPECT_EQ(frmMain->IgnoreFileType(c.Name), c.Ignored) << c.Name;
        EXPECT_EQ(hooks.IgnoreFileType(UpperCase(c.Name)), c.Ignored) << c.Name;
    }
    frmMain->Settings.ShowHiddenFiles = true;
    EXPECT_TRUE(hooks.ShowHiddenFiles());
}
