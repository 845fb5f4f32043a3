// Browsing in the main window: the folder tree lists a folder into the file tables, the type
// filter, the browse modes, the current file and how it loads (shown, or opened in the default
// program or the kind's editor through recording stubs on PATH), and the save question.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/browse_rules.h"
#include "app/file_grid_presenter.h"
#include "app/launch_file.h"
#include "app/tests/program_test.h"
#include "catalogue/file_list.h"
#include "catalogue/format_records.h"
#include "catalogue/temp_db.h"
#include "components/shell_tree.h"
#include "dbgrid/db_grid.h"
#include "dbgrid/mem_data.h"
#include "framework/comctrls.h"
#include "framework/list_controls.h"
#include "framework/menus.h"
#include "framework/std_controls.h"

namespace {

// ---------------------------------------------------------------------------------------------
// The rules without a window

TEST(BrowseRules, TheActionOfALoadFollowsHowItWasAskedFor) {
    struct Case {
        Integer How;
        TLMFileTypes Kind;
        Byte Select, Double, Action;
    } cases[] = {
        // A selection shows at most, and only names sound, video and office files.
        {lhSelection, lmImage, faShowInLumora, faIgnore, faShowInLumora},
        {lhSelection, lmImage, faFullScreenInLumora, faIgnore, faIgnore},
        {lhSelection, lmImage, faWindowsDefault, faIgnore, faIgnore},
        {lhSelection, lmText, faSpecifiedEditor, faIgnore, faIgnore},
        {lhSelection, lmVideo, faShowInLumora, faShowInLumora, faIgnore},
        {lhSelection, lmSound, faShowInLumora, faShowInLumora, faIgnore},
        {lhSelection, lmOffice, faShowInLumora, faShowInLumora, faIgnore},
        // A click does what the kind's select action says, a double-click its double-click action.
        {lhDirect, lmImage, faFullScreenInLumora, faIgnore, faFullScreenInLumora},
        {lhDirect, lmVideo, faWindowsDefault, faIgnore, faWindowsDefault},
        {lhDoubleClick, lmVideo, faShowInLumora, faShowInLumora, faShowInLumora},
        {lhDoubleClick, lmOther, faShowInLumora, faSpecifiedEditor, faSpecifiedEditor},
        // Any other way is the editor.
        {lhEditor, lmImage, faShowInLumora, faShowInLumora, faSpecifiedEditor},
        {7, lmnone, faIgnore, faIgnore, faSpecifiedEditor},
    };
    for (const Case& c : cases) {
        TFormatRecord rec;
        rec.SelectAction = c.Select;
        rec.DoubleClickAction = c.Double;
        EXPECT_EQ(LoadActionFor(c.How, c.Kind, rec), c.Action) << "how " << c.How << " kind " << int(c.Kind);
    }
}

TEST(BrowseRules, TheSelectionLineAndTheNavigationFollowTheCounts) {
    struct Case {
        TSelectionStatus S;
        const char* Text;
        TNavigationEnabled Nav;  // first, previous, next, last, random, slideshow
    } cases[] = {
        {{5, 12000, 3}, "Sel: 5 of 12000", {true, true, true, true, true, true}},
        {{5, 10000, 1}, "Selected: 5 of 10000", {false, false, true, true, true, true}},
        {{1001, 2000, 2000}, "Sel: 1001 of 2000", {true, true, false, false, true, true}},
        {{1000, 2000, 2000}, "Selected: 1000 of 2000", {true, true, false, false, true, true}},
        {{7, 3, 1}, "Selected: 3 of 3", {false, false, true, true, true, true}},
        {{0, 0, 0}, "Selected: 0 of 0", {}},
        {{1, 1, 1}, "Selected: 1 of 1", {}},
        // In a slideshow the ends do not stop previous and next; first, last and random wait.
        {{1, 10, 4, true}, "File# 4 of 10", {false, true, true, false, false, true}},
        {{1, 10, 10, false, true}, "File# 10 of 10", {true, true, false, false, true, true}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SelectionLabelText(c.S), c.Text);
        EXPECT_EQ(NavigationFor(c.S), c.Nav) << c.Text;
    }
}

TEST(BrowseRules, TheTypeFilterListsTheKindsThatHaveExtensionsInItsOwnOrder) {
    TFormatRecords records{};
    records[lmImage].Extensions = "*.jpg;";
    records[lmText].Extensions = "*.txt;";
    records[lmSound].Extensions = "*.wav;";
    records[lmOther].Extensions = "*.*";
    EXPECT_EQ(TypeFilterText(TypeFilterEntries(records)),
              "All Supported Types|LMFileType <> -1|All files|*.*|Image files|LMFileType = 1|"
              "Sound files|LMFileType = 4|Text files|LMFileType = 2|Other files|LMFileType = 9|");
    EXPECT_EQ(TypeFilterText(TypeFilterEntries(TFormatRecords{})), "All Supported Types|LMFileType <> -1|All files|*.*|");
}

TEST(BrowseRules, FormatSupportFollowsTheBuiltInListAndThePurpose) {
    struct Image {
        const char* Name;
        bool Supported, WithoutSpecial;
    } images[] = {
        {"a.jpg", true, true}, {"A.TIFF", true, true}, {"x.ico", true, false}, {"m.WMF", true, false},
        {"part.JP", true, true},  // a part of ".JPE" is found too
        {"a.xyz", false, false},  {"noext", false, false}, {"dot.", false, false},
    };
    for (const Image& c : images) {
        EXPECT_EQ(CheckImageFormatSupported(c.Name, false), c.Supported) << c.Name;
        EXPECT_EQ(CheckImageFormatSupported(c.Name, true), c.WithoutSpecial) << c.Name;
    }

    TFormatRecords& records = FormatRecords();
    const TFormatRecords saved = records;
    records = TFormatRecords{};
    records[lmImage] = {"*.jpg;*.ico;", 3, 4, "", 0};
    records[lmText] = {"*.txt;", 3, 4, "", -1};
    records[lmSound] = {"*.wav;", 3, 3, "", 2};
    EXPECT_EQ(AllSupportedFormats(records, ""), "*.jpg;*.ico;*.txt;*.wav;");
    EXPECT_EQ(AllSupportedFormats(records, ".lm"), "*.jpg;*.ico;*.txt;*.wav;*.lm");
    struct Use {
        const char* Name;
        bool AllowFalse;
        Integer Purpose;
        bool Supported;
    } uses[] = {
        {"a.jpg", false, 1, true},  {"a.ico", false, 1, false}, {"a.txt", false, 1, true},
        {"a.wav", false, 1, false}, {"a.wav", false, 2, true},  {"a.txt", false, 2, false},
        {"a.wav", false, 5, true},  {"a.doc", false, 5, false},
        {"a.lm", false, 1, false},  {"a.LM", true, 1, true},    {"a.lm", true, 2, true},
    };
    for (const Use& c : uses)
        EXPECT_EQ(FormatSupported(c.Name, c.AllowFalse, c.Purpose), c.Supported)
            << c.Name << " purpose " << c.Purpose << (c.AllowFalse ? " allowing" : "");
    records = saved;
}

// ---------------------------------------------------------------------------------------------
// The window

// A started program whose format records know JPEG and PNG images, text and WAVE sound, over a
// folder of five files of those kinds and one of none, with a dot-file and a subfolder. Stubs
// on PATH record how a program or the default application was started.
class BrowseTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        folder_ = dir_ + "Photos/";
        ASSERT_TRUE(ForceDirectories(folder_ + "Sub"));
        for (const char* name : {"a.jpg", "b.png", "notes.txt", "ring.wav", "data.xyz", ".secret.jpg"})
            Write(folder_ + name);
        bin_ = dir_ + "bin/";
        ASSERT_TRUE(ForceDirectories(bin_));
        record_ = dir_ + "record";
        for (const char* stub : {"xdg-open", "lumora-editor"}) {
            std::ofstream(bin_ + stub) << "#!/bin/sh\n"
                                          "{ echo \"$0\"; for a in \"$@\"; do printf '<%s>\\n' \"$a\"; done; }"
                                          " > \"$LUMORA_RECORD.tmp\"\n"
                                          "mv \"$LUMORA_RECORD.tmp\" \"$LUMORA_RECORD\"\n";
            chmod((bin_ + stub).c_str(), 0755);
        }
        env_.emplace_back("PATH", ExcludeTrailingPathDelimiter(bin_) + ":/usr/bin:/bin");
        env_.emplace_back("LUMORA_RECORD", record_);

        RunOnce();
        Store(MainSettingsKey, {{"ImageFormat", "*.jpg;*.png;#3#3#0#"},
                                {"TextFormat", "*.txt;#3#3#0#"},
                                {"SoundFormat", "*.wav;#3#3#0#"},
                                {"VideoFormat", "-#0#0#0#"},
                                {"OfficeFormat", "-#0#0#0#"},
                                {"CustomFormat", "-#0#0#0#"},
                                {"OtherFormat", "-#0#0#0#"}});
    }

    void Write(const std::string& Name) {
        TStringList lines;
        lines.Add("x");
        lines.SaveToFile(Name);
    }

    // The user picks Folder in the tree; the next idle turn lists it.
    void Browse(const std::string& Folder) {
        frmMain->DirTree->SetPath(Folder);
        frmMain->DirTreeClick(frmMain->DirTree);
        ASSERT_TRUE(frmMain->State.FolderChangePending);
        Turn();
    }
    // The names of the rows the file list shows, sorted.
    std::vector<std::string> Rows() {
        std::vector<std::string> names;
        TLMFileList2* list = frmMain->GridControl;
        for (Integer i = 0, n = list->PrepareAllList(); i < n; ++i) {
            TFileRecord rec;
            list->GetListFileRecord(i, rec);
            names.push_back(rec.Name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // What find sees in the folder: its files, dot-files only with Hidden.
    std::vector<std::string> Found(bool Hidden) {
        const std::string cmd = "find '" + folder_ + "' -mindepth 1 -maxdepth 1 -type f" +
                                (Hidden ? "" : " ! -name '.*'") + " -printf '%f\\n'";
        std::vector<std::string> names;
        FILE* p = popen(cmd.c_str(), "r");
        char line[4096];
        while (p && fgets(line, sizeof line, p)) names.emplace_back(line, strcspn(line, "\n"));
        if (p) pclose(p);
        std::sort(names.begin(), names.end());
        return names;
    }
    void Focus(const std::string& Name) {
        const Integer key = dmTempDB->FindKeyIDOfFile(folder_ + Name);
        ASSERT_GT(key, 0) << Name;
        frmMain->GridControl->GotoKeyIDOrFail(key);
    }
    std::string FocusedName() {
        TFileRecord rec;
        frmMain->GridControl->NodeToFileRecord(frmMain->GridControl->GetFocusedNode(), rec);
        return rec.Name;
    }
    // The arguments the last started stub got (its own name first), waiting for it; empty when
    // none was started within Wait milliseconds.
    std::vector<std::string> Launched(int Wait = 5000) {
        std::vector<std::string> lines;
        if (!uitest::WaitUntil([&] { return FileExists(record_); }, Wait)) return lines;
        std::istringstream in(ReadFile(record_));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        std::remove(record_.c_str());
        return lines;
    }
    void ClickTab(TTabSheet* Tab) {
        const TRect r = frmMain->pgcModes->TabRect(Tab->GetTabIndex());
        uitest::Click(frmMain->pgcModes, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }

    std::string folder_, bin_, record_;
};

TEST_F(BrowseTest, AFolderPickedInTheTreeIsListedOnTheNextIdleTurnAsFindSeesIt) {
    Start();
    Settle();
    EXPECT_FALSE(frmMain->DirTree->GetOptions().Contains(TF_HIDDEN));
    EXPECT_TRUE(frmMain->DirTree->GetReadOnly());
    Browse(ExcludeTrailingPathDelimiter(folder_));
    // The listing's focused file is shown and names the window.
    EXPECT_EQ(frmMain->GetCaption(), "Lumora - " + FocusedName());
    EXPECT_EQ(frmMain->GetDirTreePath(), folder_);
    EXPECT_EQ(Found(false), (std::vector<std::string>{"a.jpg", "b.png", "data.xyz", "notes.txt", "ring.wav"}));
    // The first entry, "All Supported Types", leaves out the file of no kind.
    EXPECT_EQ(frmMain->GridControl->GetRecordCount(), 4);
    EXPECT_EQ(frmMain->lblselected->GetCaption(), "Selected: 1 of 4");
    frmMain->FilterBox->SetItemIndex(1);
    frmMain->FilterBoxChange(frmMain->FilterBox);
    EXPECT_EQ(Rows(), Found(false));
    FreeProgramForms();

    // With hidden files shown the tree shows hidden folders and the listing takes dot-files.
    Store(MainSettingsKey, {{"ShowHiddenFiles", "True"}, {"CurrentFilter", "1"}});
    Start();
    Settle();
    EXPECT_TRUE(frmMain->DirTree->GetOptions().Contains(TF_HIDDEN));
    Browse(folder_);
    EXPECT_EQ(Rows(), Found(true));
}

TEST_F(BrowseTest, TheTypeFilterOffersEachKindWithExtensionsAndFiltersTheList) {
    Start();
    Settle();
    Browse(folder_);
    std::vector<std::string> captions;
    for (Integer i = 0; i < frmMain->FilterBox->GetItems()->GetCount(); ++i)
        captions.push_back(frmMain->FilterBox->GetItems()->Get(i));
    EXPECT_EQ(captions, (std::vector<std::string>{"All Supported Types", "All files", "Image files", "Sound files",
                                                  "Text files"}));
    struct Case {
        Integer Entry;
        std::vector<std::string> Rows;
    } cases[] = {
        {2, {"a.jpg", "b.png"}},
        {4, {"notes.txt"}},
        {1, {"a.jpg", "b.png", "data.xyz", "notes.txt", "ring.wav"}},
        {0, {"a.jpg", "b.png", "notes.txt", "ring.wav"}},
    };
    for (const Case& c : cases) {
        frmMain->FilterBox->SetItemIndex(c.Entry);
        frmMain->FilterBoxChange(frmMain->FilterBox);
        EXPECT_EQ(Rows(), c.Rows) << "entry " << c.Entry;
    }
    // The entry in use is kept across a restart.
    frmMain->FilterBox->SetItemIndex(2);
    frmMain->FilterBoxChange(frmMain->FilterBox);
    Close();
    FreeProgramForms();
    Start();
    EXPECT_EQ(frmMain->FilterBox->GetItemIndex(), 2);
}

TEST_F(BrowseTest, ASelectionLoadsOnTheNextTurnAndNeverStartsAnotherProgram) {
    Start();
    Settle();
    Browse(folder_);
    Settle();
    EXPECT_EQ(frmMain->CurrentFile.Name, FocusedName());
    EXPECT_EQ(frmMain->CurrentFile.Path, folder_);

    // Images open in the default application when clicked, never when selected.
    FormatRecords()[lmImage].SelectAction = faWindowsDefault;
    Focus("b.png");
    frmMain->DoLoadFile();
    EXPECT_TRUE(frmMain->State.LoadPending);
    Turn();
    EXPECT_FALSE(frmMain->State.LoadPending);
    EXPECT_EQ(frmMain->CurrentFile.FullName, folder_ + "b.png");
    EXPECT_EQ(frmMain->CurrentFile.FileType, lmImage);
    EXPECT_TRUE(Launched(300).empty());

    EXPECT_TRUE(frmMain->LoadFile("", lhDirect));
    EXPECT_EQ(Launched(), (std::vector<std::string>{bin_ + "xdg-open", "<" + folder_ + "b.png>"}));

    // The kind's editor gets the file as its one argument, whatever the name holds.
    const std::string odd = "it's \"$(odd)\" ; name.jpg";
    Write(folder_ + odd);
    frmMain->pukRefreshClick(nullptr);
    FormatRecords()[lmImage].DoubleClickAction = faSpecifiedEditor;
    FormatRecords()[lmImage].Editor = bin_ + "lumora-editor";
    Focus(odd);
    frmMain->FileGridDblClick(frmMain->FileGrid);
    EXPECT_EQ(Launched(), (std::vector<std::string>{bin_ + "lumora-editor", "<" + folder_ + odd + ">"}));

    // During a slideshow a click only names the file.
    frmMain->State.SlideshowActive = true;
    EXPECT_TRUE(frmMain->LoadFile("", lhDirect));
    frmMain->State.SlideshowActive = false;
    EXPECT_TRUE(Launched(300).empty());
    EXPECT_TRUE(dialogs_.Requests().empty());
}

TEST_F(BrowseTest, AKindWithoutAnEditorAsksForOneAndAFailedLaunchIsReported) {
    Start();
    Settle();
    Browse(folder_);
    Settle();
    Focus("notes.txt");
    FormatRecords()[lmText].SelectAction = faSpecifiedEditor;
    FormatRecords()[lmText].Editor.clear();

    dialogs_.Answer(mrCancel);
    EXPECT_TRUE(frmMain->LoadFile("", lhDirect));
    ASSERT_EQ(dialogs_.Requests().size(), 1u);
    EXPECT_EQ(dialogs_.Requests()[0].Text,
              "Lumora cannot launch this file because you have not specified your editing application!  Do you want "
              "to do this now?");
    EXPECT_TRUE(Launched(300).empty());

    dialogs_.Answer(mrOk).Answer(mrOk, bin_ + "lumora-editor");
    EXPECT_TRUE(frmMain->LoadFile("", lhDirect));
    EXPECT_EQ(dialogs_.Requests().back().Caption, "Select Editing Application");
    EXPECT_EQ(FormatRecords()[lmText].Editor, bin_ + "lumora-editor");
    EXPECT_EQ(Launched(), (std::vector<std::string>{bin_ + "lumora-editor", "<" + folder_ + "notes.txt>"}));

    // An editor that is gone.
    FormatRecords()[lmText].Editor = bin_ + "gone";
    dialogs_.Answer(mrOk);
    EXPECT_TRUE(frmMain->LoadFile("", lhDirect));
    EXPECT_EQ(dialogs_.Requests().back().Text, "An error was encountered launching the file, " + folder_ + "notes.txt!");

    // Launching several files asks whether to go on; All answers Yes from then on.
    TFileRecord rec = frmMain->CurrentFile;
    dialogs_.Answer(mrAll);
    EXPECT_TRUE(frmMain->LaunchFile(rec, bin_ + "gone", true, true));
    const size_t asked = dialogs_.Requests().size();
    EXPECT_TRUE(frmMain->LaunchFile(rec, bin_ + "gone", true, true));
    EXPECT_EQ(dialogs_.Requests().size(), asked);
    frmMain->ResetDialogAllStates();
    dialogs_.Answer(mrNo);
    EXPECT_FALSE(frmMain->LaunchFile(rec, bin_ + "gone", true, true));
    EXPECT_EQ(dialogs_.Requests().back().Text, "An error was encountered launching the file, " + folder_ +
                                                    "notes.txt!  Do you want to continue launching files?");
}

TEST_F(BrowseTest, AFileHiddenByTheFilterWidensItToAllFiles) {
    Start();
    Settle();
    Browse(folder_);
    frmMain->FilterBox->SetItemIndex(2);  // images
    frmMain->FilterBoxChange(frmMain->FilterBox);
    ASSERT_EQ(Rows(), (std::vector<std::string>{"a.jpg", "b.png"}));

    EXPECT_TRUE(frmMain->SetCurrentFile(folder_ + "data.xyz"));
    EXPECT_EQ(frmMain->FilterBox->GetItemIndex(), 1);
    EXPECT_EQ(frmMain->CurrentFile.Name, "data.xyz");
    EXPECT_EQ(FocusedName(), "data.xyz");
    // Folders compare exactly: another case is another folder.
    EXPECT_FALSE(frmMain->SetCurrentFile(dir_ + "photos/a.jpg"));
    EXPECT_TRUE(frmMain->CurrentFile.FullName.empty());
    EXPECT_EQ(frmMain->lblfile->GetHint(), "No File");
}

TEST_F(BrowseTest, LeavingAChangedFileAsksAndOnlyASuccessfulSaveOrNoLetsGo) {
    Start();
    Settle();
    Browse(folder_);
    Settle();
    ASSERT_TRUE(frmMain->LoadFile(folder_ + "a.jpg", lhDirect));
    const Integer keyA = frmMain->CurrentFile.KeyID;
    auto changeAndLeave = [&](Integer Answer) {
        frmMain->SetFileChanged(true);
        Focus("b.png");
        dialogs_.Answer(Answer);
        return frmMain->LoadFile("", lhDirect);
    };
    // Cancel, and a save that fails, keep the changed image and its selection.
    for (Integer answer : {mrCancel, mrYes}) {
        EXPECT_FALSE(changeAndLeave(answer));
        EXPECT_EQ(dialogs_.Requests().back().Text,
                  "The image, " + folder_ + "a.jpg has changed.  Do you want to save your changes?");
        EXPECT_EQ(frmMain->CurrentFile.Name, "a.jpg");
        EXPECT_TRUE(frmMain->CurrentFile.FileHasChanged);
        EXPECT_EQ(frmMain->GridControl->GetFocusedKeyID(), keyA);
        EXPECT_GT(frmMain->imgEditStatus->GetWidth(), 1);
    }
    EXPECT_TRUE(changeAndLeave(mrNo));
    EXPECT_EQ(frmMain->CurrentFile.Name, "b.png");
    EXPECT_FALSE(frmMain->CurrentFile.FileHasChanged);
    EXPECT_EQ(frmMain->imgEditStatus->GetWidth(), 1);

    // A changed file of a kind with nothing to save never keeps the user.
    const size_t asked = dialogs_.Requests().size();
    ASSERT_TRUE(frmMain->LoadFile(folder_ + "ring.wav", lhDirect));
    frmMain->SetFileChanged(true);
    EXPECT_TRUE(frmMain->LoadFile(folder_ + "a.jpg", lhDirect));
    EXPECT_EQ(frmMain->CurrentFile.Name, "a.jpg");
    frmMain->CurrentFile.FileType = lmSound;
    frmMain->SetFileChanged(true);
    bool canClose = false;
    frmMain->FormCloseQuery(frmMain, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_EQ(dialogs_.Requests().size(), asked);

    // Cancelling the question when switching tabs keeps the old tab.
    frmMain->CurrentFile.FileType = lmImage;
    frmMain->SetFileChanged(true);
    dialogs_.Answer(mrCancel);
    ClickTab(frmMain->tabBookmarks);
    EXPECT_EQ(frmMain->Mode, 3);
    EXPECT_EQ(frmMain->pgcModes->GetActivePage(), frmMain->tabFolders);
    EXPECT_TRUE(frmMain->CurrentFile.FileHasChanged);
}

TEST_F(BrowseTest, RefreshListsAgainKeepingTheFocusedFileAndModesKeepTheirListing) {
    Start();
    Settle();
    Browse(folder_);
    frmMain->FilterBox->SetItemIndex(1);
    frmMain->FilterBoxChange(frmMain->FilterBox);
    Focus("ring.wav");

    // Picking the folder already listed does nothing.
    frmMain->DirTreeClick(frmMain->DirTree);
    EXPECT_FALSE(frmMain->State.FolderChangePending);

    // Bookmarks mode and back: the folder is not listed again, the focused file comes back.
    ClickTab(frmMain->tabBookmarks);
    EXPECT_EQ(frmMain->Mode, 4);
    EXPECT_EQ(frmMain->GetCaption(), "Lumora - Bookmark file: Default");
    EXPECT_EQ(frmMain->getmodeselectiondescription(true), "Selected Bookmarks");
    Write(folder_ + "c.jpg");
    ClickTab(frmMain->tabFolders);
    EXPECT_EQ(frmMain->Mode, 3);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a.jpg", "b.png", "data.xyz", "notes.txt", "ring.wav"}));
    EXPECT_EQ(FocusedName(), "ring.wav");

    EXPECT_EQ(frmMain->getmodeselectiondescription(false), "All files in " + folder_);

    // Refresh (and F5 in the tree) lists it again and keeps the focused file.
    frmMain->pukRefreshClick(nullptr);
    EXPECT_EQ(Rows(), Found(false));
    EXPECT_EQ(FocusedName(), "ring.wav");
    Write(folder_ + "d.jpg");
    uitest::KeyUp(frmMain->DirTree, VK_F5);
    EXPECT_EQ(Rows(), Found(false));
    EXPECT_EQ(FocusedName(), "ring.wav");
    EXPECT_EQ(frmMain->GetDirTreePath(), folder_);
}

TEST_F(BrowseTest, AFolderThatIsGoneIsReportedAndListsNothing) {
    Start();
    Settle();
    Browse(folder_);
    const std::string gone = dir_ + "Gone/";
    dialogs_.Answer(mrOk);
    frmMain->SetDirTreePath(gone);
    ASSERT_EQ(dialogs_.Requests().size(), 1u);
    EXPECT_EQ(dialogs_.Requests()[0].Text, "Error encountered changing to the directory, " + gone +
                                               ".  It may no longer exist or be located on a drive which is "
                                               "unavailable!");
    EXPECT_EQ(frmMain->GetDirTreePath(), folder_);
    EXPECT_EQ(frmMain->GridControl->GetRecordCount(), 4);

    // A folder that vanishes before it is listed lists nothing, silently.
    ForceDirectories(gone);
    Write(gone + "x.jpg");
    frmMain->SetDirectory(gone, true);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"x.jpg"}));
    std::filesystem::remove_all(gone);
    frmMain->SetDirectory(gone, true);
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(frmMain->lblselected->GetCaption(), "Selected: 0 of 0");
    EXPECT_EQ(dialogs_.Requests().size(), 1u);
}

TEST_F(BrowseTest, TheGridKeepsItsLayoutAcrossARestartAndRightClicksOpenTheMenuOfThePlace) {
    Start();
    Settle();
    Browse(folder_);
    // The splitter under the mode pages is a thin bar.
    EXPECT_EQ(frmMain->Splitter3->GetHeight(), 3);
    // The presentation reaches the listed files: the type column names the focused one.
    Focus("ring.wav");
    EXPECT_FALSE(frmMain->FileGridPresenter
                     ->GetNodeValue(frmMain->GridControl->GetFocusedNode(), frmMain->FileGridColumns.FileType)
                     .empty());

    // A right-click opens the header menu over a header, the file menu over a row and the grid
    // menu below the rows.
    TgxDBGrid* grid = frmMain->FileGrid;
    grid->SetBounds(0, 0, 400, 300);
    auto firstPointWith = [&](std::initializer_list<TgxTreeListHitCode> Codes) {
        for (Integer y = 0; y < grid->GetClientHeight(); ++y)
            for (TgxTreeListHitCode code : Codes)
                if (grid->GetHitTestAt(150, y) == code) return y;
        return -1;
    };
    const Integer header = firstPointWith({hcHeader});
    const Integer row = firstPointWith({hcCell});
    const Integer below = firstPointWith({hcNowhere});
    ASSERT_GE(header, 0);
    ASSERT_GE(row, 0);
    ASSERT_GE(below, 0);
    struct Case {
        Integer Y;
        const char* Menu;
    } cases[] = {{header, "pmHeader"}, {row, "popFiles"}, {below, "PopFileGrid"}};
    for (const Case& c : cases) {
        std::string opened;
        for (TPopupMenu* menu : {frmMain->popFiles, frmMain->FileGridPresenter->pmHeader,
                                 frmMain->FileGridPresenter->PopFileGrid}) {
            menu->OnPopup = [&opened, menu, old = menu->OnPopup](TObject* Sender) {
                opened = menu->GetName();
                if (old) old(Sender);
            };
        }
        uitest::WhenMenuOpens([] { uitest::CloseMenus(); });
        frmMain->FileGridMouseUp(grid, mbRight, {}, 150, c.Y);
        EXPECT_EQ(opened, c.Menu) << "at y " << c.Y;
    }

    // Widths and hidden columns come back after the program closes and starts again.
    frmMain->FileGridColumns.Filename->SetWidth(211);
    frmMain->FileGridColumns.Size->SetVisible(false);
    Close();
    Restart();
    EXPECT_EQ(frmMain->FileGridColumns.Filename->GetWidth(), 211);
    EXPECT_FALSE(frmMain->FileGridColumns.Size->GetVisible());
    EXPECT_TRUE(frmMain->FileGridColumns.Date->GetVisible());
}

}  // namespace
