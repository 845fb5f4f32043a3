// The main window's idle turns, dialog bracket, warnings, message and progress helpers, on a
// started program with a warnings file of our own beside it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/help_pages.h"
#include "app/tests/program_test.h"
#include "components/shell_tree.h"
#include "dialogs/gauge.h"
#include "dialogs/insert_info.h"
#include "dialogs/progress.h"
#include "dialogs/warning.h"
#include "framework/comctrls.h"
#include "framework/graphics.h"
#include "framework/ini_file.h"
#include "framework/std_controls.h"

namespace {

class IdleDispatchTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        WriteWarnings({"[Warnings]", "Warning_1_Title=Slideshow", "Warning_1=The slideshow runs.",
                       "Warning_2_Title=Renaming", "Warning_2=Type the new name.^Press Enter.", "Warning_3=No title.",
                       "Warning_4=", "Warning_35=The last one."});
        // A picture in the folder the program starts in, for the loads the turns run.
        TBitmap picture;
        picture.SetSize(4, 4);
        picture.SaveToFile(home_ + "one.bmp");
        Start();
        Settle();
        opened_.clear();
        savedOpener_ = HelpPageOpener;
        HelpPageOpener = [this](const std::string& Page) {
            opened_.push_back(Page);
            return true;
        };
    }
    void TearDown() override {
        HelpPageOpener = savedOpener_;
        ProgramTest::TearDown();
    }

    void WriteWarnings(const std::vector<std::string>& Lines) {
        TStringList file;
        for (const std::string& line : Lines) file.Add(line);
        file.SaveToFile(program_ + "Warning.res");
    }

    // The warning forms shown so far, as their caption, title label, text, whether the check box
    // and the help button were there.
    struct Shown {
        std::string Caption, Title, Text;
        bool CheckBox = false, Help = false;
    };
    // Answers the next warning with Result; Untick clears "Always remind me about this" first.
    void AnswerWarning(TModalResult Result, bool Untick = false, std::function<void()> During = nullptr) {
        dialogs_.AnswerForm(Result, [this, Untick, During](TCustomForm* Form) {
            auto* w = dynamic_cast<TdlgWarning*>(Form);
            ASSERT_NE(w, nullptr);
            shown_.push_back({w->GetCaption(), w->lblTitle->GetCaption(), w->lblwarning->GetCaption(),
                              w->chkdontremind->GetVisible(), w->btnHelp->GetVisible()});
            if (Untick) w->chkdontremind->SetChecked(false);
            if (During) During();
        });
    }

    std::vector<Shown> shown_;
    std::vector<std::string> opened_;
    std::function<bool(const std::string&)> savedOpener_;
};

TEST_F(IdleDispatchTest, EachTurnRunsTheStepsInOrderAndEndsWhereTheyEnd) {
    TMainState& s = frmMain->State;
    bool actionRan = false;
    struct Case {
        const char* name;
        std::function<void()> set;
        std::function<void()> check;
        bool done;  // what the turn answers
    } cases[] = {
        {"the file list is released and the tips get the focus in one turn",
         [&] {
             s.BlockOperations = true;
             s.TipsFocusPending = true;
         },
         [&] {
             EXPECT_FALSE(s.BlockOperations);
             EXPECT_FALSE(s.TipsFocusPending);
         },
         true},
        {"a slideshow without its timer gets it back and nothing else runs",
         [&] {
             s.SlideshowActive = true;
             s.DeferredAction = [&] { actionRan = true; };
         },
         [&] {
             EXPECT_TRUE(frmMain->SlideshowTimerEnabled());
             EXPECT_FALSE(actionRan);
         },
         false},
        {"the deferred action, quick move and folder change run before the tips end the turn",
         [&] {
             s.DeferredAction = [&] { actionRan = true; };
             s.DeferredQuickMoveFolder = "NO";
             s.FolderChangePending = true;
             s.TipsFocusPending = true;
             s.ClosingViewers = true;
         },
         [&] {
             EXPECT_TRUE(actionRan);
             EXPECT_FALSE(s.DeferredAction);
             EXPECT_EQ(s.DeferredQuickMoveFolder, "");
             EXPECT_FALSE(s.FolderChangePending);
             EXPECT_FALSE(s.TipsFocusPending);
             EXPECT_TRUE(s.ClosingViewers);
         },
         false},
        {"closing viewers ends the turn before a load",
         [&] {
             s.ClosingViewers = true;
             s.LoadPending = true;
         },
         [&] {
             EXPECT_FALSE(s.ClosingViewers);
             EXPECT_TRUE(s.LoadPending);
         },
         false},
        {"a loading file holds everything back without spinning",
         [&] {
             s.FileLoading = true;
             s.DeferredAction = [&] { actionRan = true; };
             s.FolderChangePending = true;
             s.LoadPending = true;
             s.DeferredWarning = 2;
         },
         [&] {
             EXPECT_FALSE(actionRan);
             EXPECT_TRUE(s.FolderChangePending);
             EXPECT_TRUE(s.LoadPending);
             EXPECT_EQ(s.DeferredWarning, 2);
         },
         true},
        {"a running slideshow holds back loads and warnings without spinning",
         [&] {
             s.SlideshowActive = true;
             frmMain->EnableSlideshowTimer();
             s.LoadPending = true;
             s.MediaStatusPending = true;
             s.DeferredWarning = 1;
         },
         [&] {
             EXPECT_TRUE(s.LoadPending);
             EXPECT_TRUE(s.MediaStatusPending);
             EXPECT_EQ(s.DeferredWarning, 1);
         },
         true},
        {"an open dialog holds back the load",
         [&] {
             s.NoDialogOpen = false;
             s.LoadPending = true;
             s.ReloadPending = true;
         },
         [&] {
             EXPECT_TRUE(s.LoadPending);
             EXPECT_TRUE(s.ReloadPending);
         },
         true},
        {"a load, the media status and a warning in one turn; the tree waits",
         [&] {
             AnswerWarning(mrOk);
             s.LoadPending = true;
             s.MediaStatusPending = true;
             s.DeferredWarning = 2;
             s.TreeResyncPending = true;
         },
         [&] {
             EXPECT_FALSE(s.LoadPending);
             EXPECT_FALSE(s.MediaStatusPending);
             EXPECT_EQ(s.DeferredWarning, -1);
             ASSERT_EQ(shown_.size(), 1u);
             EXPECT_TRUE(s.TreeResyncPending);  // the warning's bracket asked for it again
         },
         false},
        {"the tree goes back to the folder last listed",
         [&] {
             ASSERT_TRUE(ForceDirectories(home_ + "listed/") && ForceDirectories(home_ + "elsewhere/"));
             s.TreeResyncPath = home_ + "listed/";
             frmMain->DirTree->SetPath(home_ + "elsewhere");  // moved, not listed
             s.TreeResyncPending = true;
         },
         [&] {
             EXPECT_FALSE(s.TreeResyncPending);
             EXPECT_EQ(frmMain->GetDirTreePath(), home_ + "listed/");
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        s = TMainState();
        s.DisplayReady = true;
        s.TreeResyncPending = false;
        frmMain->ActivateSlideshow(0);
        actionRan = false;
        shown_.clear();
        c.set();
        EXPECT_EQ(Turn(), c.done);
        c.check();
        s = TMainState();
    }
}

TEST_F(IdleDispatchTest, AFailingDeferredActionIsStillCleared) {
    int runs = 0;
    frmMain->State.DeferredAction = [&] {
        ++runs;
        throw Exception("the file went away");
    };
    dialogs_.Answer(mrOk);  // the failure is reported
    Turn();
    EXPECT_FALSE(frmMain->State.DeferredAction);
    EXPECT_EQ(dialogs_.Requests().back().Text, "the file went away.");
    Settle();
    EXPECT_EQ(runs, 1);
}

TEST_F(IdleDispatchTest, ADeferredWarningWaitsWhileAFileLoadsOrASlideshowRuns) {
    TMainState& s = frmMain->State;
    frmMain->showwarning(2, true, true, 30);
    EXPECT_EQ(s.DeferredWarning, 2);
    EXPECT_EQ(s.DeferredWarningArg, 30);
    s.FileLoading = true;
    EXPECT_TRUE(Turn());
    EXPECT_TRUE(shown_.empty());

    s.FileLoading = false;
    AnswerWarning(mrOk);
    Turn();
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(s.DeferredWarning, -1);

    // During a slideshow only the slideshow's own warnings get through, and they wait for it.
    s.SlideshowActive = true;
    frmMain->EnableSlideshowTimer();
    frmMain->showwarning(2, true, true, 30);
    EXPECT_EQ(s.DeferredWarning, -1);
    frmMain->showwarning(2, false, true, 30);
    frmMain->showwarning(1, true, true, 19);
    EXPECT_EQ(s.DeferredWarning, 1);
    EXPECT_TRUE(Turn());
    EXPECT_EQ(shown_.size(), 1u);
    frmMain->ActivateSlideshow(0);
    AnswerWarning(mrOk);
    Turn();
    ASSERT_EQ(shown_.size(), 2u);
    EXPECT_EQ(shown_[1].Title, "Slideshow");
}

TEST_F(IdleDispatchTest, TheWarningFormShowsTheNumberedTextAndMoreInfoOpensItsHelp) {
    AnswerWarning(mrOk);
    frmMain->showwarning(2, false, true, 30);
    AnswerWarning(mrYes);
    frmMain->showwarning(3, false, true, 0);
    ASSERT_EQ(shown_.size(), 2u);
    EXPECT_EQ(shown_[0].Caption, "Information: Renaming");
    EXPECT_EQ(shown_[0].Title, "Renaming");
    EXPECT_EQ(shown_[0].Text, "Type the new name.\nPress Enter.");
    EXPECT_TRUE(shown_[0].CheckBox);
    EXPECT_TRUE(shown_[0].Help);
    EXPECT_EQ(shown_[1].Caption, "Information");
    EXPECT_EQ(shown_[1].Title, "Information");
    EXPECT_FALSE(shown_[1].Help);
    // The form was shown inside a bracket, closed again.
    EXPECT_TRUE(frmMain->State.NoDialogOpen);
    EXPECT_TRUE(frmMain->GetKeyPreview());

    // "More Info.." opens the warning's help page, or the contents for a context without one;
    // without any page nothing opens.
    AnswerWarning(mrYes);
    frmMain->showwarning(2, false, true, 30);
    EXPECT_EQ(Application->GetLastHelpContext(), 30);
    EXPECT_TRUE(opened_.empty());
    ASSERT_TRUE(ForceDirectories(program_ + "help/"));
    TStringList page;
    page.SaveToFile(program_ + "help/index.html");
    page.SaveToFile(program_ + "help/30.html");
    for (auto [context, file] : {std::pair{30, "30.html"}, {19, "index.html"}}) {
        AnswerWarning(mrYes);
        frmMain->showwarning(2, false, true, context);
        EXPECT_EQ(Application->GetLastHelpContext(), context);
        ASSERT_FALSE(opened_.empty());
        EXPECT_EQ(opened_.back(), program_ + "help/" + file);
    }
}

TEST_F(IdleDispatchTest, ASwitchedOffWarningStaysOffAfterARestart) {
    AnswerWarning(mrOk, true);
    frmMain->showwarning(35, false, true, 0);
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_FALSE(frmMain->Settings.WarningVisible[35]);
    frmMain->showwarning(35, false, true, 0);
    frmMain->showwarning(35, true, true, 0);
    EXPECT_EQ(frmMain->State.DeferredWarning, -1);
    EXPECT_EQ(shown_.size(), 1u);

    Close();
    ASSERT_TRUE(quit_);
    EXPECT_EQ(Stored(WarningSettingsKey, "Warning_35_Visible"), "False");
    Restart();
    EXPECT_FALSE(frmMain->Settings.WarningVisible[35]);
    const size_t asked = dialogs_.Requests().size();
    frmMain->showwarning(35, false, true, 0);
    EXPECT_EQ(dialogs_.Requests().size(), asked);
}

TEST_F(IdleDispatchTest, NothingIsShownWithoutAText) {
    struct Case {
        const char* name;
        std::vector<std::string> file;  // empty: no warnings file
        Integer number;
    } cases[] = {
        {"no warnings file", {}, 2},
        {"a file that is not one", {"\x01\x02garbage without sections", "Warning_2=text"}, 2},
        {"no such key", {"[Warnings]", "Warning_2=text"}, 9},
        {"an empty text", {"[Warnings]", "Warning_4="}, 4},
        {"the number above the last", {"[Warnings]", "Warning_36=text"}, 36},
        {"a negative number", {"[Warnings]", "Warning_-1=text"}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFile(program_ + "Warning.res");
        if (!c.file.empty()) WriteWarnings(c.file);
        frmMain->showwarning(c.number, false, true, 5);
        frmMain->showwarning(c.number, true, true, 5);
        Settle();
        EXPECT_EQ(frmMain->State.DeferredWarning, -1);
    }
    EXPECT_TRUE(dialogs_.Requests().empty());
}

TEST_F(IdleDispatchTest, TheAllAnswerStandsUntilTheStatesAreReset) {
    dialogs_.Answer(mrNo);
    EXPECT_EQ(frmMain->DisplayMessageDlg("Overwrite a.jpg?", mtConfirmation, {mbYes, mbNo, mbAll}, mrYes), mrNo);
    dialogs_.Answer(mrAll);
    EXPECT_EQ(frmMain->DisplayMessageDlg("Overwrite b.jpg?", mtConfirmation, {mbYes, mbNo, mbAll}, mrYes), mrYes);
    EXPECT_EQ(frmMain->DisplayMessageDlg("Overwrite c.jpg?", mtConfirmation, {mbYes, mbNo, mbAll}, mrYes), mrYes);
    EXPECT_EQ(dialogs_.Requests().size(), 2u);
    EXPECT_EQ(dialogs_.Requests()[1].Text, "Overwrite b.jpg?");

    // The next dialog bracket resets it, and so does a reset of its own.
    frmMain->BeginDialogDisplay(false, false, false);
    frmMain->EndDialogDisplay(false, false, false, false, false);
    dialogs_.Answer(mrAll);
    EXPECT_EQ(frmMain->DisplayMessageDlg("Delete d.jpg?", mtConfirmation, {mbYes, mbAll}, mrIgnore), mrIgnore);
    frmMain->ResetDialogAllStates();
    dialogs_.Answer(mrYes);
    EXPECT_EQ(frmMain->DisplayMessageDlg("Delete e.jpg?", mtConfirmation, {mbYes, mbAll}, mrIgnore), mrYes);
    EXPECT_EQ(dialogs_.Requests().size(), 4u);
}

TEST_F(IdleDispatchTest, TheBracketQuietsTheWindowAndBringsItBack) {
    TMainState& s = frmMain->State;
    s.FileLoading = true;
    s.SlideshowActive = true;
    s.MessageAllAnswered = true;
    s.ProgressCancelled = true;
    frmMain->BeginDialogDisplay(true, true, true);
    EXPECT_FALSE(s.NoDialogOpen);
    EXPECT_FALSE(frmMain->GetKeyPreview());
    EXPECT_FALSE(s.SlideshowActive);
    EXPECT_TRUE(s.LoadCancelRequested);
    EXPECT_FALSE(s.MessageAllAnswered);
    EXPECT_FALSE(s.ProgressCancelled);
    s.FileLoading = false;
    EXPECT_TRUE(frmMain->IsBusy());

    s.TreeResyncPending = false;
    s.TreeRefreshPending = true;
    s.FolderRelistPending = true;
    frmMain->EndDialogDisplay(false, false, false, false, false);
    EXPECT_TRUE(s.NoDialogOpen);
    EXPECT_TRUE(frmMain->GetKeyPreview());
    EXPECT_FALSE(frmMain->IsBusy());
    EXPECT_FALSE(s.TreeRefreshPending);
    EXPECT_FALSE(s.FolderRelistPending);  // the folder was listed again
    EXPECT_TRUE(s.TreeResyncPending);

    // Entering the text views opens a bracket; with no load running there is none to cancel.
    s.LoadCancelRequested = false;
    frmMain->CallBeginDialogDisplay(frmMain);
    EXPECT_FALSE(s.LoadCancelRequested);
    EXPECT_FALSE(s.NoDialogOpen);
    EXPECT_FALSE(frmMain->GetKeyPreview());
    frmMain->CallEndDialogDisplay(frmMain);
    EXPECT_TRUE(frmMain->GetKeyPreview());
}

TEST_F(IdleDispatchTest, AModalDialogDuringALoadStartsNoSecondLoad) {
    TMainState& s = frmMain->State;
    s.FileLoading = true;
    s.LoadPending = true;
    bool doneInside = false;
    AnswerWarning(mrOk, false, [&] {
        // Idle turns of the dialog's own loop.
        doneInside = Turn() && Turn();
        EXPECT_TRUE(s.LoadPending);
    });
    frmMain->showwarning(2, false, true, 0);
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_TRUE(doneInside);
    EXPECT_TRUE(s.LoadPending);
    EXPECT_TRUE(s.LoadCancelRequested);  // the bracket asked the load to stop

    // Messages handled inside the load's progress run no idle turn of their own either.
    frmMain->ImgImageProgress(frmMain, 10);
    EXPECT_TRUE(s.LoadPending);
    EXPECT_TRUE(s.ReloadPending);
}

TEST_F(IdleDispatchTest, ACancelledLoadIsReloadedAndKeepsItsImageOnlyWhenLate) {
    TMainState& s = frmMain->State;
    for (auto [percent, failed] : {std::pair{30, true}, {60, true}, {61, false}, {80, false}}) {
        SCOPED_TRACE(percent);
        s.FileLoading = true;
        s.LastLoadFailed = !failed;
        s.ReloadPending = false;
        frmMain->ImgImageProgress(frmMain, percent - 10);  // not asked to cancel: nothing changes
        EXPECT_FALSE(s.ReloadPending);
        EXPECT_EQ(frmMain->pbrload->GetPosition(), percent - 10);
        EXPECT_TRUE(frmMain->pbrload->GetVisible());
        s.LoadCancelRequested = true;
        frmMain->ImgImageProgress(frmMain, percent);
        EXPECT_FALSE(s.LoadCancelRequested);
        EXPECT_TRUE(s.ReloadPending);
        EXPECT_EQ(s.LastLoadFailed, failed);

        frmMain->FileLoadingCompleted();
        EXPECT_FALSE(s.FileLoading);
        EXPECT_FALSE(frmMain->pbrload->GetVisible());
        EXPECT_EQ(frmMain->pbrload->GetPosition(), 0);
        // The selection is loaded again on a later turn.
        Turn();
        EXPECT_FALSE(s.ReloadPending);
    }
    // The GIF timer's frame loads handle no messages and leave the bar alone.
    s.GIFFrameLoading = true;
    frmMain->ImgImageProgress(frmMain, 50);
    EXPECT_FALSE(frmMain->pbrload->GetVisible());
}

TEST_F(IdleDispatchTest, TheProgressDisplayTakesAPercentageOfAUsableMaximum) {
    TProgressBar* bar = frmMain->pbrload;
    struct Case {
        Integer position, max;
        bool visible;
        Integer shown;
    } cases[] = {
        {50, 200, true, 25}, {200, 200, true, 100},
        {0, 0, false, 0},    {5, 0, false, 0},
        {0, 1, false, 0},    {1, 1, false, 0},
        {3, 2, false, 0},    {-5, -2, false, 0},
        {1, 3, true, 33},    {2000000000, 2100000000, true, 95},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.position << " of " << c.max);
        frmMain->showprogress(false, false, 0, 0, "");
        frmMain->showprogress(true, false, c.position, c.max, "Working");
        EXPECT_EQ(bar->GetVisible(), c.visible);
        EXPECT_EQ(bar->GetPosition(), c.shown);
    }
    EXPECT_EQ(frmMain->dlgProgress, nullptr);

    // With the form: it comes once, follows the calls and goes with the last one.
    frmMain->showprogress(true, true, 1, 4, "Converting a.png");
    TdlgProgress* form = frmMain->dlgProgress;
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->GetVisible());
    frmMain->showprogress(true, true, 3, 4, "Converting b.png");
    EXPECT_EQ(frmMain->dlgProgress, form);
    EXPECT_EQ(form->lblmessage->GetCaption(), "Converting b.png");
    EXPECT_EQ(form->Gauge->GetProgress(), 75);
    frmMain->showprogress(false, true, 0, 0, "");
    EXPECT_EQ(frmMain->dlgProgress, nullptr);
    EXPECT_FALSE(bar->GetVisible());

    frmMain->Settings.ShowDlgProgress = false;
    frmMain->showprogress(true, true, 1, 4, "Converting a.png");
    EXPECT_EQ(frmMain->dlgProgress, nullptr);
    EXPECT_TRUE(bar->GetVisible());
}

TEST_F(IdleDispatchTest, TheCancellableProgressStopsWhenTheUserSaysYes) {
    struct Case {
        Integer answer;
        bool stopped;
    } cases[] = {{mrNo, false}, {mrYes, true}, {mrCancel, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        dialogs_.Clear();
        int last = -1;
        for (int i = 0; i <= 10; ++i) {
            if (!frmMain->ShowcancellableProgress(true, i, 10, i == 0 ? "Inserting" : "", "File " + IntToStr(i), true))
                break;
            last = i;
            if (i == 3) {
                // The user presses Esc while the work goes on.
                dialogs_.Answer(c.answer);
                ASSERT_NE(frmMain->dlginsertinfo, nullptr);
                uitest::PressKey(frmMain->dlginsertinfo, VK_ESCAPE);
                uitest::ProcessEvents();
            }
        }
        ASSERT_EQ(dialogs_.Requests().size(), 1u);
        EXPECT_EQ(dialogs_.Requests()[0].Text, "Are you sure you want to cancel processing?");
        EXPECT_EQ(last, c.stopped ? 3 : 10);
        Tdlginsertinfo* form = frmMain->dlginsertinfo;
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->GetCaption(), "Inserting");
        EXPECT_EQ(form->lblmessage->GetCaption(), "File " + IntToStr(last + (c.stopped ? 1 : 0)));
        EXPECT_EQ(frmMain->pbrload->GetPosition(), form->ProgressBar->GetPosition() * 10);

        frmMain->HideCancellableProgress();
        EXPECT_EQ(frmMain->dlginsertinfo, nullptr);
        EXPECT_FALSE(frmMain->State.ProgressCancelled);
        EXPECT_FALSE(frmMain->pbrload->GetVisible());
    }

    // Negative positions step the bar; a maximum of 0 changes nothing.
    EXPECT_TRUE(frmMain->ShowcancellableProgress(true, 0, 50, "", "", false));
    EXPECT_TRUE(frmMain->ShowcancellableProgress(true, -1, -1, "", "", false));
    EXPECT_TRUE(frmMain->ShowcancellableProgress(true, -1, -1, "", "", false));
    EXPECT_EQ(frmMain->dlginsertinfo->ProgressBar->GetPosition(), 2);
    EXPECT_EQ(frmMain->pbrload->GetPosition(), 4);
    EXPECT_TRUE(frmMain->ShowcancellableProgress(true, 0, 0, "", "", false));
    EXPECT_EQ(frmMain->dlginsertinfo->ProgressBar->GetMax(), 50);
    EXPECT_EQ(frmMain->pbrload->GetPosition(), 4);
    // A position past the maximum is no call that shows anything.
    EXPECT_TRUE(frmMain->ShowcancellableProgress(true, 60, 50, "", "", false));
    EXPECT_EQ(frmMain->dlginsertinfo->ProgressBar->GetPosition(), 2);
    frmMain->HideCancellableProgress();
}

TEST_F(IdleDispatchTest, BeepsFollowTheirSettingsAndStatusTextsAreIndented) {
    struct Case {
        bool error, onError, onAction;
        std::vector<UINT> beeps;
    } cases[] = {
        {true, true, false, {MB_ICONEXCLAMATION}},
        {true, false, true, {}},
        {false, false, true, {MB_OK}},
        {false, true, false, {}},
    };
    for (const Case& c : cases) {
        dialogs_.Clear();
        frmMain->Settings.BeepOnError = c.onError;
        frmMain->Settings.BeepOnAction = c.onAction;
        frmMain->Performbeep(c.error);
        EXPECT_EQ(dialogs_.BeepTypes(), c.beeps) << c.error << c.onError << c.onAction;
    }

    frmMain->SetStatusLabelText(frmMain->lblfile, "  Copied successfully \t");
    EXPECT_EQ(frmMain->lblfile->GetCaption(), "  Copied successfully");
    frmMain->ImgFuncProgress(frmMain, 40);
    EXPECT_TRUE(frmMain->pbrload->GetVisible());
    EXPECT_EQ(frmMain->pbrload->GetPosition(), 40);
    frmMain->ImgFuncProgressEnd(frmMain);
    EXPECT_FALSE(frmMain->pbrload->GetVisible());
    EXPECT_EQ(frmMain->pbrload->GetPosition(), 0);
}

// The files we ship beside the program: every warning has a title and a text, every tip the
// tips file counts is there, and every help context a warning names has its page.
TEST(ProgramFiles, HoldEveryWarningTipAndHelpPage) {
    const char* source = std::getenv("LUMORA_TEST_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string data = std::string(source) + "/app/data/";
    for (int n = 0; n < WarningNumberCount; ++n) {
        const TWarningText warning = ReadWarningText(data + "Warning.res", n);
        EXPECT_FALSE(warning.Title.empty()) << n;
        EXPECT_FALSE(warning.Text.empty()) << n;
    }
    TIniFile tips(data + "lmtips.ini");
    const Integer count = tips.ReadInteger("Tips", "Number", 0);
    EXPECT_GT(count, 1);
    for (int n = 1; n <= count; ++n) EXPECT_NE(tips.ReadString("Tips", "Tip_" + IntToStr(n), ""), "") << n;
    for (Integer context : {10, 18, 19, 21, 30, 31, 39, 62, 69, 70, 87, 112, 123, 124})
        EXPECT_EQ(HelpPageFor(data + "lumora.hlp", context), data + "help/" + IntToStr(context) + ".html");
    EXPECT_EQ(HelpPageFor(data + "lumora.hlp", 0), data + "help/index.html");
    TIcon missing;
    missing.LoadFromFile(data + "Missing.ico");
    EXPECT_EQ(missing.GetWidth(), 32);
    EXPECT_EQ(missing.GetHeight(), 32);
    EXPECT_TRUE(FileExists(data + "FAQ.txt"));
}

}  // namespace
