// The main window's menus, bars and commands as the running program shows them: nothing shown
// does nothing, the toolbar menus and switches, and the bars' flags and places across a restart.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/tests/program_test.h"
#include "components/toolbar.h"
#include "components/toolbar_button.h"
#include "dialogs/warning.h"
#include "framework/actions.h"
#include "framework/clipboard.h"
#include "framework/comctrls.h"
#include "framework/list_controls.h"
#include "framework/menus.h"
#include "framework/std_controls.h"
#include "framework/testing/ui_test.h"

namespace {

class MenusTest : public ProgramTest {
protected:
    static std::vector<std::string> BarCaptions() {
        std::vector<std::string> captions;
        for (const auto& item : uitest::MenuBarItems(frmMain)) captions.push_back(item.Caption);
        return captions;
    }
    // Whether a command that shows can do something.
    static bool Works(TBasicAction* Action) {
        return Action->OnExecute || dynamic_cast<TEditAction*>(Action) || dynamic_cast<THelpAction*>(Action);
    }
    static void CheckMenu(TMenuItem* Item, const std::string& Path) {
        for (int i = 0; i < Item->GetCount(); ++i) {
            TMenuItem* sub = Item->GetItem(i);
            if (!sub->GetVisible() || sub->IsLine()) continue;
            const std::string path = Path + "/" + sub->GetCaption();
            if (sub->GetCount() > 0) {
                CheckMenu(sub, path);
            } else if (TBasicAction* a = sub->GetAction()) {
                EXPECT_TRUE(Works(a)) << path;
            } else {
                EXPECT_TRUE(static_cast<bool>(sub->OnClick)) << path;
            }
        }
    }
};

}  // namespace

TEST_F(MenusTest, NothingShownDoesNothing) {
    Start();
    Settle();
    // The menu bar shows the menus that hold something to do now; the database, thumbnail and
    // window menus wait for their commands, the edit menu for a text to edit.
    const std::vector<std::string> bar = BarCaptions();
    ASSERT_FALSE(bar.empty());
    EXPECT_EQ(bar.front(), "&File ");
    for (const char* shown : {"&View ", "&Help"})
        EXPECT_NE(std::find(bar.begin(), bar.end(), shown), bar.end()) << shown;
    for (const char* hidden : {"&Database", "&Thumbnails", "&Window", "&Edit "})
        EXPECT_EQ(std::find(bar.begin(), bar.end(), hidden), bar.end()) << hidden;
    CheckMenu(frmMain->Menu->GetItems(), "");
    CheckMenu(frmMain->popToolbars->GetItems(), "popToolbars");

    // Every action that shows can run, and so can every button on the bars.
    for (int i = 0; i < frmMain->ActionList1->GetActionCount(); ++i) {
        auto* a = dynamic_cast<TCustomAction*>(frmMain->ActionList1->GetAction(i));
        if (a && a->GetVisible()) {
            EXPECT_TRUE(Works(a)) << a->GetName();
        }
    }
    for (TToolbarX* bar :
         {frmMain->tbrMain, frmMain->tbrImage, frmMain->tbrSS, frmMain->tbrMM, frmMain->tbrText, frmMain->tbrGrid})
        for (int i = 0; i < bar->GetControlCount(); ++i) {
            auto* button = dynamic_cast<TToolbarButtonX*>(bar->GetControl(i));
            if (!button || !button->GetVisible()) continue;
            EXPECT_TRUE(button->OnClick || (button->GetAction() && Works(button->GetAction())) ||
                        button->GetDropdownMenu())
                << button->GetName();
        }

    // The tool windows stay hidden while they hold nothing, and are not offered.
    for (TToolWindowX* w : {frmMain->tbrKeywords, frmMain->tbrMixer, frmMain->tbrDescription, frmMain->tbrquickmove})
        EXPECT_FALSE(w->GetVisible()) << w->GetName();
    EXPECT_FALSE(frmMain->mkFlyoverTools->GetVisible());
    // The main toolbar, its title and the grid bar with the type filter show.
    EXPECT_TRUE(frmMain->tbrMain->GetVisible());
    EXPECT_TRUE(frmMain->lbltitle->GetVisible());
    EXPECT_TRUE(frmMain->tbrGrid->GetVisible());
    EXPECT_EQ(frmMain->FilterBox->GetParent(), frmMain->tbrGrid);
    EXPECT_EQ(frmMain->tbrGrid->GetDockedTo(), frmMain->DckUnderFiles);
    EXPECT_EQ(frmMain->tbrMain->GetTag(), tsMain);
    EXPECT_EQ(frmMain->tbrGrid->GetTag(), tsFileGrid);
}

TEST_F(MenusTest, HideToolbarFromTheGridTitleHidesTheGridBar) {
    Start();
    Settle();
    ASSERT_TRUE(frmMain->tbrGrid->GetVisible());
    std::vector<uitest::TShownMenuItem> shown;
    uitest::WhenMenuOpens([&] {
        shown = uitest::OpenMenuItems();
        uitest::ChooseMenuItem("Hide Toolbar");
    });
    ASSERT_EQ(frmMain->lbltitlegrid->GetCaption(), " Grid:  ");
    frmMain->lbltitlegrid->OnMouseDown(frmMain->lbltitlegrid, mbRight, {}, 3, 3);
    uitest::ProcessEvents();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(frmMain->pukHideToolbar->GetTag(), tsFileGrid);
    EXPECT_FALSE(frmMain->tbrGrid->GetVisible());
    EXPECT_FALSE(frmMain->Settings.ToolbarVisible[tsFileGrid]);

    // The "Toolbars" submenu lists the toolbars with their flags; choosing one turns it back on.
    frmMain->AddToolbarsToPopup(frmMain->pukToolbars, false);
    std::vector<std::string> toolbars;
    for (int i = 0; i < frmMain->pukToolbars->GetCount(); ++i) {
        TMenuItem* item = frmMain->pukToolbars->GetItem(i);
        toolbars.push_back(item->GetCaption() + (item->GetChecked() ? "+" : ""));
    }
    EXPECT_EQ(toolbars, (std::vector<std::string>{"Main+", "Image Editing+", "Text Editing+", "Multimedia+",
                                                  "File Grid", "Slideshow+"}));
    frmMain->pukToolbars->GetItem(4)->Click();
    EXPECT_TRUE(frmMain->tbrGrid->GetVisible());
    EXPECT_TRUE(frmMain->Settings.ToolbarVisible[tsFileGrid]);
}

TEST_F(MenusTest, TheMenuAndStatusBarSwitchesAndTheirChecks) {
    Start();
    Settle();
    ASSERT_FALSE(BarCaptions().empty());
    frmMain->actMenuVisible->Execute();
    EXPECT_TRUE(BarCaptions().empty());
    EXPECT_FALSE(frmMain->actMenuVisible->GetChecked());
    frmMain->actStatusBarVisible->Execute();
    EXPECT_FALSE(frmMain->Statusbar->GetVisible());
    EXPECT_FALSE(frmMain->actStatusBarVisible->GetChecked());
    frmMain->actMenuVisible->Execute();
    frmMain->actStatusBarVisible->Execute();
    EXPECT_FALSE(BarCaptions().empty());
    EXPECT_TRUE(frmMain->Statusbar->GetVisible());
    EXPECT_TRUE(frmMain->actMenuVisible->GetChecked());

    // The title and tab caption settings.
    frmMain->DisplayToolbarTitles(false);
    EXPECT_FALSE(frmMain->lbltitlegrid->GetVisible());
    frmMain->SetTabCaptionVisibility(false);
    EXPECT_EQ(frmMain->tabFolders->GetCaption(), "");
    EXPECT_EQ(frmMain->pgcModes->GetTabHeight(), 43);
    frmMain->SetTabCaptionVisibility(true);
    EXPECT_EQ(frmMain->tabBookmarks->GetCaption(), "Bookmarks");
    EXPECT_EQ(frmMain->pgcModes->GetTabWidth(), 70);
}

TEST_F(MenusTest, TheClipboardIsReadOnceAfterEachChange) {
    Start();
    int reads = 0;
    frmMain->ClipboardImageQuery = [&] {
        ++reads;
        return false;
    };
    Clipboard()->SetAsText("one");
    uitest::ProcessEvents();
    uitest::IdleTurns(5);
    frmMain->UpdateButtonDisplay();
    EXPECT_EQ(reads, 1);
    Clipboard()->SetAsText("two");
    uitest::ProcessEvents();
    uitest::IdleTurns(5);
    EXPECT_EQ(reads, 2);
}

TEST_F(MenusTest, BarFlagsAndPlacesAreKeptAcrossARestart) {
    Start();
    Settle();
    frmMain->Settings.ToolbarVisible[tsTextEditing] = false;
    frmMain->Settings.ToolbarVisible[tsMixer] = false;
    // The main toolbar floats; the grid bar moves to the second row of the dock over the files.
    frmMain->tbrMain->SetFloatingPosition({300, 200});
    frmMain->tbrMain->SetDockedTo(nullptr);
    frmMain->tbrGrid->SetDockedTo(frmMain->dckOverFiles);
    Close();
    ASSERT_TRUE(quit_);
    EXPECT_EQ(Stored(ToolbarSettingsKey, "Text Editing"), "False");
    EXPECT_EQ(Stored(std::string(ToolbarSettingsKey) + "\\tbrMain", "DockedTo"), "+");

    Restart();
    Settle();
    EXPECT_FALSE(frmMain->Settings.ToolbarVisible[tsTextEditing]);
    EXPECT_FALSE(frmMain->Settings.ToolbarVisible[tsMixer]);
    EXPECT_TRUE(frmMain->Settings.ToolbarVisible[tsMain]);
    EXPECT_FALSE(frmMain->tbrMain->GetDocked());
    EXPECT_EQ(frmMain->tbrMain->GetFloatingPosition().X, 300);
    EXPECT_EQ(frmMain->tbrGrid->GetDockedTo(), frmMain->dckOverFiles);
    Close();
    FreeProgramForms();

    // A bar stored far off the screen comes back on it.
    Store(std::string(ToolbarSettingsKey) + "\\tbrMain", {{"FloatLeft", "-2000"}, {"FloatTop", "-900"}});
    Start();
    Settle();
    ASSERT_FALSE(frmMain->tbrMain->GetDocked());
    const TRect r = frmMain->tbrMain->GetBoundsRect();
    EXPECT_GE(r.Right, 10);
    EXPECT_GE(r.Bottom, 10);
}

TEST_F(MenusTest, ACommandWithoutWorkHoldsNoKeyUntilItGetsItsWork) {
    Start();
    Settle();
    EXPECT_FALSE(frmMain->actSaveFile->GetVisible());
    EXPECT_EQ(frmMain->actSaveFile->GetShortCut(), scNone);
    EXPECT_EQ(frmMain->actExit->GetShortCut(), TextToShortCut("Alt+F4"));
    EXPECT_TRUE(frmMain->actExit->GetVisible());

    int saves = 0;
    frmMain->actSaveFile->OnExecute = [&](TObject*) { ++saves; };
    frmMain->UpdateButtonDisplay();
    EXPECT_TRUE(frmMain->actSaveFile->GetVisible());
    EXPECT_EQ(frmMain->actSaveFile->GetShortCut(), TextToShortCut("Ctrl+S"));
    // Nothing is current: there is nothing to save.
    EXPECT_FALSE(frmMain->actSaveFile->GetEnabled());
}

TEST_F(MenusTest, ClosingAToolWindowWarnsFirstAndClosingABarDoesNot) {
    TStringList warnings;
    for (const char* line : {"[Warnings]", "Warning_30_Title=Tool windows", "Warning_30=Turn it on again in View."})
        warnings.Add(line);
    warnings.SaveToFile(program_ + "Warning.res");
    Start();
    Settle();
    std::vector<std::string> shown;
    dialogs_.AnswerForm(mrOk, [&](TCustomForm* Form) {
        auto* w = dynamic_cast<TdlgWarning*>(Form);
        ASSERT_NE(w, nullptr);
        shown.push_back(w->lblwarning->GetCaption());
    });
    frmMain->Settings.ToolbarVisible[tsDescription] = true;
    frmMain->tbrDescription->Close();
    EXPECT_EQ(shown, std::vector<std::string>{"Turn it on again in View."});
    EXPECT_FALSE(frmMain->Settings.ToolbarVisible[tsDescription]);

    // A docking bar closes without a word.
    ASSERT_TRUE(frmMain->tbrGrid->GetVisible());
    frmMain->tbrGrid->Close();
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_FALSE(frmMain->tbrGrid->GetVisible());
    EXPECT_FALSE(frmMain->Settings.ToolbarVisible[tsFileGrid]);
}
