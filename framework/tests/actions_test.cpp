// Actions: idle updates reaching linked menu items and controls, shortcuts changed at run time,
// the list's handlers and state, groups, links that follow the action, and the standard actions.

#include "framework/tests/window_fixture.h"

#include "framework/actions.h"
#include "framework/clipboard.h"
#include "framework/menus.h"

using Strings = std::vector<std::string>;

class Actions : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Edit = AddProbe("edit", {10, 10, 110, 40});
        List = new TActionList(Form);
        Print = NewAction("Print..", "print");
        Menu = new TMainMenu(Form);
        File = new TMenuItem(Form);
        File->SetCaption("&File");
        Menu->GetItems()->Add(File);
        PrintItem = new TMenuItem(Form);
        PrintItem->SetAction(Print);
        File->Add(PrintItem);
        Form->SetMenu(Menu);
    }
    TAction* NewAction(const std::string& caption, const std::string& note) {
        auto* a = new TAction(Form);
        a->SetCaption(caption);
        a->SetActionList(List);
        a->OnExecute = [this, note](TObject*) { Log.push_back("execute " + note); };
        return a;
    }
    void Show() {
        uitest::ShowForm(Form);
        Edit->SetFocus();
        Log.clear();
    }
    TProbe* Edit = nullptr;
    TActionList* List = nullptr;
    TAction* Print = nullptr;
    TMainMenu* Menu = nullptr;
    TMenuItem* File = nullptr;
    TMenuItem* PrintItem = nullptr;
};

TEST_F(Actions, OnUpdateRunsOnIdleTurnsAndItsStateReachesTheClients) {
    bool canPrint = false;
    int updates = 0;
    Print->OnUpdate = [&](TObject*) {
        ++updates;
        Print->SetEnabled(canPrint);
    };
    TProbe* button = AddProbe("button", {10, 50, 80, 70});
    button->SetAction(Print);
    uitest::IdleTurns(1);
    EXPECT_EQ(updates, 0);  // the form is not shown yet
    Show();
    uitest::IdleTurns(1);
    EXPECT_GT(updates, 0);
    EXPECT_FALSE(PrintItem->GetEnabled());
    EXPECT_FALSE(button->GetEnabled());
    uitest::ClickMenuBar(Form, "File");
    ASSERT_EQ(uitest::OpenMenuItems().size(), 1u);
    EXPECT_FALSE(uitest::OpenMenuItems()[0].Enabled);
    uitest::CloseMenus();

    canPrint = true;
    uitest::IdleTurns(1);
    EXPECT_TRUE(PrintItem->GetEnabled());
    EXPECT_TRUE(button->GetEnabled());
    uitest::ClickMenuBar(Form, "File");
    EXPECT_TRUE(uitest::OpenMenuItems()[0].Enabled);
    uitest::ChooseMenuItem("Print..");
    uitest::ProcessEvents();
    EXPECT_EQ(Log, (Strings{"execute print"}));
    EXPECT_EQ(Print->GetActionComponent(), nullptr);
}

TEST_F(Actions, AShortcutChangedAtRunTimeWorksAndTheOldOneNoLongerDoes) {
    Print->SetShortCut(ShortCut('P', {ssCtrl}));
    EXPECT_EQ(PrintItem->GetShortCut(), ShortCut('P', {ssCtrl}));
    Show();
    // The menu item and the action share the key: the command runs once.
    uitest::KeyDown(Edit, 'P', {ssCtrl});
    EXPECT_EQ(Log, (Strings{"execute print"}));
    Log.clear();

    Print->SetShortCut(ShortCut('Q', {ssCtrl}));
    EXPECT_EQ(PrintItem->GetShortCut(), ShortCut('Q', {ssCtrl}));
    uitest::KeyDown(Edit, 'P', {ssCtrl});
    EXPECT_EQ(Log, (Strings{"edit:down 80", "edit:char 16"}));
    Log.clear();
    uitest::KeyDown(Edit, 'Q', {ssCtrl});
    EXPECT_EQ(Log, (Strings{"execute print"}));
    Log.clear();

    // Without a menu item the list takes the key itself, Alt keys too.
    PrintItem->Free();
    Print->SetShortCut(VK_F5);
    uitest::KeyDown(Edit, VK_F5);
    Print->SetShortCut(ShortCut(VK_OEM_COMMA, {ssAlt}));
    uitest::KeyDown(Edit, VK_OEM_COMMA, {ssAlt});
    EXPECT_EQ(Log, (Strings{"execute print", "execute print"}));
    Log.clear();
    uitest::ClickMenuBar(Form, "File");
    EXPECT_TRUE(uitest::OpenMenuItems().empty());
    uitest::CloseMenus();
}

TEST_F(Actions, DisabledOrSuspendedActionsLetTheKeyGoOn) {
    TAction* zoom = NewAction("Zoom", "zoom");
    zoom->SetShortCut(VK_F6);
    zoom->SetSecondaryShortCuts({VK_F7});
    Show();
    uitest::KeyDown(Edit, VK_F7);
    EXPECT_EQ(Log, (Strings{"execute zoom"}));
    Log.clear();
    zoom->SetEnabled(false);
    uitest::KeyDown(Edit, VK_F6);
    EXPECT_EQ(Log, (Strings{"edit:down 117"}));
    Log.clear();
    zoom->SetEnabled(true);
    List->SetState(asSuspended);
    uitest::KeyDown(Edit, VK_F6);
    EXPECT_EQ(Log, (Strings{"edit:down 117"}));
}

TEST_F(Actions, TheListsHandlersComeFirst) {
    Strings seen;
    List->OnExecute = [&](TBasicAction* a, bool& handled) {
        seen.push_back("list " + static_cast<TAction*>(a)->GetCaption());
        handled = a == Print;
    };
    TAction* other = NewAction("Other", "other");
    Print->Execute();
    other->Execute();
    EXPECT_EQ(seen, (Strings{"list Print..", "list Other"}));
    EXPECT_EQ(Log, (Strings{"execute other"}));
}

TEST_F(Actions, ActionsThatNothingCanExecuteAreDisabledOnIdle) {
    TAction* carrier = NewAction("Submenu carrier", "carrier");
    TAction* empty = NewAction("Nothing", "nothing");
    empty->OnExecute = nullptr;
    TAction* manual = NewAction("Manual", "manual");
    manual->SetEnabled(false);
    Show();
    uitest::IdleTurns(1);
    EXPECT_TRUE(carrier->GetEnabled());
    EXPECT_FALSE(empty->GetEnabled());
    EXPECT_FALSE(manual->GetEnabled());  // the program's choice stays
    EXPECT_FALSE(empty->Execute());
}

TEST_F(Actions, CheckingOneOfAGroupUnchecksTheOthersAndAutoCheckFlips) {
    TAction* a = NewAction("A", "a");
    TAction* b = NewAction("B", "b");
    TAction* solo = NewAction("Solo", "solo");
    a->SetGroupIndex(3);
    b->SetGroupIndex(3);
    solo->SetChecked(true);
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->GetChecked());
    EXPECT_TRUE(b->GetChecked());
    EXPECT_TRUE(solo->GetChecked());
    solo->SetAutoCheck(true);
    solo->Execute();
    EXPECT_FALSE(solo->GetChecked());
}

TEST_F(Actions, ClientsFollowTheActionUnlessChangedApart) {
    TProbe* button = AddProbe("button", {10, 50, 80, 70});
    Print->SetHint("Print the file|Prints the current file");
    button->SetAction(Print);
    EXPECT_EQ(button->GetCaption(), "Print..");
    EXPECT_EQ(button->GetHint(), Print->GetHint());
    EXPECT_TRUE(button->GetControlStyle().Contains(csActionClient));
    Print->SetCaption("Print...");
    Print->SetVisible(false);
    EXPECT_EQ(button->GetCaption(), "Print...");
    EXPECT_EQ(PrintItem->GetCaption(), "Print...");
    EXPECT_FALSE(button->GetVisible());
    EXPECT_FALSE(PrintItem->GetVisible());

    PrintItem->SetCaption("My own");
    Print->SetCaption("Print");
    EXPECT_EQ(PrintItem->GetCaption(), "My own");
    EXPECT_EQ(button->GetCaption(), "Print");

    // A click runs the action for the control.
    TComponent* clicked = nullptr;
    Print->OnExecute = [&](TObject*) { clicked = Print->GetActionComponent(); };
    Print->SetVisible(true);
    Show();
    uitest::Click(button, 5, 5);
    EXPECT_EQ(clicked, button);
}

TEST_F(Actions, FreedActionsAreForgottenByTheirClients) {
    TProbe* button = AddProbe("button", {10, 50, 80, 70});
    button->SetAction(Print);
    Print->Free();
    EXPECT_EQ(button->GetAction(), nullptr);
    EXPECT_EQ(PrintItem->GetAction(), nullptr);
    EXPECT_EQ(List->GetActionCount(), 0);
    PrintItem->Click();  // nothing to run
    uitest::IdleTurns(1);
}

TEST_F(Actions, TheMainFormsShortcutsServeOtherFormsThatHaveNone) {
    Print->SetShortCut(ShortCut('P', {ssCtrl}));
    Application->SetMainForm(Form);
    Show();
    auto* viewer = new TForm(nullptr);
    viewer->SetBounds(150, 150, 200, 150);
    auto* pane = new TProbe(viewer, &Log, "pane");
    pane->SetParent(viewer);
    pane->SetBounds(0, 0, 50, 50);
    uitest::ShowForm(viewer);
    pane->SetFocus();
    Log.clear();
    uitest::KeyDown(pane, 'P', {ssCtrl});
    EXPECT_EQ(Log, (Strings{"execute print"}));
    Log.clear();
    // A list of the viewer takes its own keys first.
    auto* own = new TActionList(viewer);
    auto* viewerPrint = new TAction(viewer);
    viewerPrint->SetActionList(own);
    viewerPrint->SetShortCut(ShortCut('P', {ssCtrl}));
    viewerPrint->OnExecute = [this](TObject*) { Log.push_back("execute viewer print"); };
    uitest::KeyDown(pane, 'P', {ssCtrl});
    EXPECT_EQ(Log, (Strings{"execute viewer print"}));
    viewer->Free();
    Application->SetMainForm(nullptr);
}

// ---- Standard actions ------------------------------------------------------------------------

class StandardActions : public Actions {
protected:
    void SetUp() override {
        Actions::SetUp();
        Edit->DlgCode = DLGC_HASSETSEL;
        Edit->WindowProcHook = [this](TMessage& M) {
            switch (M.Msg) {
            case EM_GETSEL: M.Result = MAKELONG(SelStart, SelEnd); return true;
            case EM_CANUNDO: M.Result = CanUndo ? 1 : 0; return true;
            case WM_CUT: Log.push_back("WM_CUT"); return true;
            case WM_COPY: Log.push_back("WM_COPY"); return true;
            case WM_PASTE: Log.push_back("WM_PASTE"); return true;
            case WM_UNDO: Log.push_back("WM_UNDO"); return true;
            default: return false;
            }
        };
        Other = AddProbe("other", {10, 80, 110, 100});
        Cut = new TEditCut(Form);
        Cut->SetActionList(List);
        Undo = new TEditUndo(Form);
        Undo->SetActionList(List);
        Paste = new TEditPaste(Form);
        Paste->SetActionList(List);
        Show();
    }
    Word SelStart = 0, SelEnd = 0;
    bool CanUndo = false;
    TProbe* Other = nullptr;
    TEditCut* Cut = nullptr;
    TEditUndo* Undo = nullptr;
    TEditPaste* Paste = nullptr;
};

TEST_F(StandardActions, FollowTheFocusedEdit) {
    Clipboard()->SetAsText("text");
    uitest::IdleTurns(1);
    EXPECT_FALSE(Cut->GetEnabled());
    EXPECT_FALSE(Undo->GetEnabled());
    EXPECT_TRUE(Paste->GetEnabled());
    SelStart = 2;
    SelEnd = 5;
    CanUndo = true;
    uitest::IdleTurns(1);
    EXPECT_TRUE(Cut->GetEnabled());
    EXPECT_TRUE(Undo->GetEnabled());
    EXPECT_TRUE(Cut->Execute());
    EXPECT_TRUE(Undo->Execute());
    EXPECT_EQ(Log, (Strings{"WM_CUT", "WM_UNDO"}));
    // Another control (not an edit) has the focus: nothing to act on.
    Other->SetFocus();
    uitest::IdleTurns(1);
    EXPECT_FALSE(Cut->GetEnabled());
    EXPECT_FALSE(Paste->GetEnabled());
}

TEST_F(StandardActions, HelpActionsAskTheApplicationsHelp) {
    auto* contents = new THelpContents(Form);
    contents->SetActionList(List);
    std::vector<Word> commands;
    Application->OnHelp = [&](Word Command, LPARAM, bool&) {
        commands.push_back(Command);
        return true;
    };
    uitest::IdleTurns(1);
    EXPECT_TRUE(contents->GetEnabled());
    EXPECT_TRUE(contents->Execute());
    Application->OnHelp = nullptr;
    EXPECT_EQ(commands, (std::vector<Word>{HELP_FINDER}));
}
