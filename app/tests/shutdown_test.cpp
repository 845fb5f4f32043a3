// Closing the program: what is asked and what is written, on a private store and data folder.

#include <gtest/gtest.h>

#include "app/access_password.h"
#include "app/tests/program_test.h"
#include "framework/comctrls.h"
#include "framework/list_controls.h"

namespace {

class ShutdownTest : public ProgramTest {};

TEST_F(ShutdownTest, NothingIsWrittenUnlessTheProgramReallyCloses) {
    RunOnce();
    const std::string lists = program_ + "bkmks.lst";
    DeleteFile(lists);

    // Start-up never completed (the password was refused): nothing is asked or written.
    Store(MainSettingsKey, {{"TwainHandle", "42"}, {"ConfirmClosure", "True"}});
    const std::string before = StoreSnapshot();
    dialogs_.Answer(mrCancel).Answer(mrOk);
    Start();
    ASSERT_TRUE(frmMain->StartupIncomplete);
    uitest::IdleTurns(1);  // "Lumora will now close."
    Close();
    EXPECT_EQ(dialogs_.Pending(), 0u);
    EXPECT_EQ(dialogs_.Requests().size(), 2u);
    EXPECT_EQ(StoreSnapshot(), before);
    EXPECT_FALSE(FileExists(lists));
    FreeProgramForms();

    // The closing question answered No keeps the program open and writes nothing either.
    Store(MainSettingsKey, {{"TwainHandle", IntToStr(NoAccessPassword)}});
    Start();
    const std::string started = StoreSnapshot();
    dialogs_.Answer(mrNo);
    Close();
    EXPECT_FALSE(quit_);
    EXPECT_EQ(dialogs_.Requests().back().Text, "Are you sure you want to close Lumora?");
    EXPECT_EQ(StoreSnapshot(), started);
    EXPECT_FALSE(FileExists(lists));

    // Yes closes: the bookmark-list box is saved, one full path a line.
    frmMain->cmbBookmarkFile->GetItems()->Add(home_ + "Trips.bkmk");
    dialogs_.Answer(mrYes);
    Close();
    EXPECT_TRUE(quit_);
    EXPECT_EQ(ReadFile(lists), program_ + "Default.bkmk\r\n" + home_ + "Trips.bkmk\r\n");
    // The bracket opened for the close stays open.
    EXPECT_FALSE(frmMain->State.NoDialogOpen);
}

TEST_F(ShutdownTest, AFullScreenCloseKeepsTheBoundsRecordedBefore) {
    Start();
    frmMain->SetBounds(30, 40, 600, 400);
    frmMain->getmainformdimensions();
    frmMain->FullScreen = true;
    frmMain->SetBounds(0, 0, 1280, 1024);
    Close();
    ASSERT_TRUE(quit_);
    EXPECT_EQ(Stored(MainSettingsKey, "QLLeft"), "30");
    EXPECT_EQ(Stored(MainSettingsKey, "QLTop"), "40");
    EXPECT_EQ(Stored(MainSettingsKey, "QLWidth"), "600");
    EXPECT_EQ(Stored(MainSettingsKey, "QLHeight"), "400");
}

TEST_F(ShutdownTest, AnUnwritableDataFolderIsReportedOnceAndTheSettingsAreStillWritten) {
    Start();
    frmMain->DelayTrack->SetPosition(7);
    // A folder where the list file should be cannot be replaced by it (not even by root).
    ASSERT_TRUE(ForceDirectories(program_ + "bkmks.lst/"));
    dialogs_.Answer(mrOk);
    Close();
    ASSERT_TRUE(quit_);
    ASSERT_EQ(dialogs_.Requests().size(), 1u);
    EXPECT_EQ(dialogs_.Requests()[0].Text, "Error encountered saving your Favourite Directory list.");
    EXPECT_EQ(dialogs_.Requests()[0].DlgType, mtWarning);
    EXPECT_TRUE(DirectoryExists(program_ + "bkmks.lst/"));
    EXPECT_EQ(Stored(MainSettingsKey, "SlideshowDelay"), "7");
}

}  // namespace
