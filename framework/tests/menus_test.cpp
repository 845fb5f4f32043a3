// Menus: shortcut texts, the item tree, radio groups, the menu bar, accelerators, shortcuts
// taken before the focused control, and popup menus.

#include "framework/tests/window_fixture.h"

#include "framework/menus.h"
#include "framework/system_metrics.h"

using Strings = std::vector<std::string>;

// ---- Shortcut texts --------------------------------------------------------------------------

TEST(ShortCutText, WindowsValuesAndNames) {
    struct Case {
        TShortCut Value;
        const char* Text;
    } cases[] = {
        {0x4053, "Ctrl+S"},       {0x202E, "Shift+Del"}, {0x800D, "Alt+Enter"}, {0x6057, "Shift+Ctrl+W"},
        {0x007B, "F12"},          {0x001B, "Esc"},       {0x80BC, "Alt+,"},     {0x80BE, "Alt+."},
        {0x400D, "Ctrl+Enter"},   {0xC053, "Ctrl+Alt+S"}, {0x006A, "Num *"},    {0x0021, "PgUp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortCutToText(c.Value), c.Text) << std::hex << c.Value;
        EXPECT_EQ(TextToShortCut(c.Text), c.Value) << c.Text;
    }
    EXPECT_EQ(ShortCut('S', {ssCtrl}), 0x4053);
    EXPECT_EQ(ShortCut(VK_F4, {ssAlt}), 0x8073);
}

TEST(ShortCutText, ParsingIsLenientAboutCaseAndOrderButNotUnknownNames) {
    EXPECT_EQ(TextToShortCut("ctrl+s"), 0x4053);
    EXPECT_EQ(TextToShortCut("Alt+Shift+x"), 0xA058);
    EXPECT_EQ(TextToShortCut(""), scNone);
    EXPECT_EQ(TextToShortCut("Ctrl+"), scNone);
    EXPECT_EQ(TextToShortCut("Ctrl+Banana"), scNone);
    EXPECT_EQ(ShortCutToText(scNone), "");
}

TEST(Hotkeys, AmpersandMarksTheAcceleratorAndDoubledOnesStayText) {
    EXPECT_EQ(StripHotkey("&File "), "File ");
    EXPECT_EQ(StripHotkey("Save && E&xit"), "Save & Exit");
    EXPECT_EQ(GetHotkey("&File"), Char('F'));
    EXPECT_EQ(GetHotkey("Save && E&xit"), Char('X'));
    EXPECT_EQ(GetHotkey("Plain && simple"), Char(0));
    EXPECT_TRUE(IsAccel('x', "E&xit"));
    EXPECT_FALSE(IsAccel('E', "E&xit"));
}

// ---- The item tree ---------------------------------------------------------------------------

class MenuItems : public ::testing::Test {
protected:
    void SetUp() override { Owner = new TComponent(nullptr); }
    void TearDown() override { Owner->Free(); }
    TMenuItem* Item(const std::string& caption, TMenuItem* parent = nullptr) {
        auto* m = new TMenuItem(Owner);
        m->SetCaption(caption);
        if (parent) parent->Add(m);
        return m;
    }
    TComponent* Owner = nullptr;
};

TEST_F(MenuItems, BuiltAndTakenApartAtRunTime) {
    TMenuItem* root = Item("root");
    TMenuItem* a = Item("&Alpha", root);
    TMenuItem* c = Item("Gamma", root);
    TMenuItem* b = Item("Beta");
    root->Insert(1, b);
    ASSERT_EQ(root->GetCount(), 3);
    EXPECT_EQ(root->GetItem(1), b);
    EXPECT_EQ(b->GetParent(), root);
    EXPECT_EQ(c->GetMenuIndex(), 2);
    EXPECT_EQ(root->Find("alpha"), a);
    EXPECT_EQ(root->Find("Delta"), nullptr);

    c->SetMenuIndex(0);
    EXPECT_EQ(root->IndexOf(c), 0);
    EXPECT_EQ(root->IndexOf(a), 1);

    root->Remove(b);  // taken out, not freed
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_EQ(root->GetCount(), 2);
    root->Add(b);

    int before = Owner->GetComponentCount();
    Item("-", a);
    Item("Sub", a);
    EXPECT_EQ(Owner->GetComponentCount(), before + 2);
    a->Clear();  // frees the sub-items
    EXPECT_EQ(a->GetCount(), 0);
    EXPECT_EQ(Owner->GetComponentCount(), before);

    // Freeing an item takes it out of its parent and frees its sub-items.
    Item("x", b);
    b->Free();
    EXPECT_EQ(root->GetCount(), 2);
    EXPECT_EQ(Owner->GetComponentCount(), before - 1);
}

TEST_F(MenuItems, MisuseRaisesTheFrameworkMessages) {
    TMenuItem* root = Item("root");
    TMenuItem* a = Item("a", root);
    try {
        Item("other")->Add(a);
        FAIL();
    } catch (EMenuError& e) {
        EXPECT_EQ(e.Message, "Menu inserted twice");
    }
    try {
        root->Delete(5);
        FAIL();
    } catch (EMenuError& e) {
        EXPECT_EQ(e.Message, "Menu index out of range");
    }
    try {
        root->Remove(Item("stranger"));
        FAIL();
    } catch (EMenuError& e) {
        EXPECT_EQ(e.Message, "Sub-menu is not in menu");
    }
}

TEST_F(MenuItems, RadioItemsOfOneGroupExcludeEachOther) {
    TMenuItem* root = Item("root");
    auto radio = [&](const char* c, Integer group) {
        TMenuItem* m = Item(c, root);
        m->SetRadioItem(true);
        m->SetGroupIndex(group);
        return m;
    };
    TMenuItem* a = radio("a", 1);
    TMenuItem* b = radio("b", 1);
    TMenuItem* other = radio("other group", 2);
    TMenuItem* plain = Item("plain", root);
    plain->SetGroupIndex(1);
    plain->SetChecked(true);
    other->SetChecked(true);
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->GetChecked());
    EXPECT_TRUE(b->GetChecked());
    EXPECT_TRUE(other->GetChecked());
    EXPECT_TRUE(plain->GetChecked());  // not a radio item
    // Unchecking leaves the group empty; a checked radio item joining the group wins.
    b->SetChecked(false);
    EXPECT_FALSE(a->GetChecked());
    TMenuItem* late = Item("late");
    late->SetRadioItem(true);
    late->SetGroupIndex(2);
    late->SetChecked(true);
    root->Add(late);
    EXPECT_FALSE(other->GetChecked());
}

TEST_F(MenuItems, ClickRespectsEnabledAndAutoCheckAndPrefersOnClickToTheAction) {
    TMenuItem* m = Item("m");
    auto* action = new TAction(Owner);
    Strings log;
    action->OnExecute = [&](TObject*) { log.push_back("action"); };
    m->SetAction(action);
    m->Click();
    m->OnClick = [&](TObject*) { log.push_back("onclick"); };
    m->Click();
    m->SetAutoCheck(true);
    m->Click();
    EXPECT_TRUE(m->GetChecked());
    m->SetEnabled(false);
    m->Click();
    EXPECT_EQ(log, (Strings{"action", "onclick", "onclick"}));
    EXPECT_TRUE(m->GetChecked());
}

TEST_F(MenuItems, DefaultIsOnePerSubmenu) {
    TMenuItem* root = Item("root");
    TMenuItem* a = Item("a", root);
    TMenuItem* b = Item("b", root);
    a->SetDefault(true);
    b->SetDefault(true);
    EXPECT_FALSE(a->GetDefault());
    EXPECT_TRUE(b->GetDefault());
}

// ---- Menus on a form -------------------------------------------------------------------------

class FormMenus : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Edit = AddProbe("edit", {10, 10, 110, 40});
        Menu = new TMainMenu(Form);
        File = Add(Menu->GetItems(), "&File");
        File->OnClick = [this](TObject*) { Log.push_back("File opens"); };
        Open = Add(File, "&Open");
        Add(File, "-");
        Save = Add(File, "&Save");
        Save->SetShortCut(ShortCut('S', {ssCtrl}));
        View = Add(Menu->GetItems(), "&View");
        Add(View, "&Zoom");
    }
    TMenuItem* Add(TMenuItem* parent, const std::string& caption, std::string note = {}) {
        auto* m = new TMenuItem(Form);
        m->SetCaption(caption);
        if (note.empty()) note = StripHotkey(caption);
        m->OnClick = [this, note](TObject*) { Log.push_back("click " + note); };
        parent->Add(m);
        return m;
    }
    void Show() {
        uitest::ShowForm(Form);
        Edit->SetFocus();
        Log.clear();
    }
    TProbe* Edit = nullptr;
    TMainMenu* Menu = nullptr;
    TMenuItem* File = nullptr;
    TMenuItem* Open = nullptr;
    TMenuItem* Save = nullptr;
    TMenuItem* View = nullptr;
    int Opened = 0;
};

TEST_F(FormMenus, TheBarTakesRoomAboveTheClientAreaWhileAnItemIsVisible) {
    Integer plain = Form->GetClientHeight();
    Form->SetMenu(Menu);
    Show();
    EXPECT_EQ(Form->GetClientHeight(), plain - GetSystemMetrics(SM_CYMENU));
    auto bar = uitest::MenuBarItems(Form);
    ASSERT_EQ(bar.size(), 2u);
    EXPECT_EQ(bar[0].Caption, "&File");

    File->SetVisible(false);
    EXPECT_EQ(uitest::MenuBarItems(Form).size(), 1u);
    View->SetVisible(false);
    EXPECT_EQ(Form->GetClientHeight(), plain);
    EXPECT_TRUE(uitest::MenuBarItems(Form).empty());
    View->SetVisible(true);
    EXPECT_EQ(Form->GetClientHeight(), plain - GetSystemMetrics(SM_CYMENU));
    // A child at the top of the client area is drawn below the bar.
    EXPECT_EQ(Edit->ClientToScreen({0, 0}).Y - Form->GetClientOrigin().Y, 10);
    Form->SetMenu(nullptr);
    EXPECT_EQ(Form->GetClientHeight(), plain);
}

TEST_F(FormMenus, ShortcutsAreTakenBeforeTheFocusedControl) {
    Form->SetMenu(Menu);
    Show();
    uitest::KeyDown(Edit, 'S', {ssCtrl});
    // The parents are clicked first (their OnClick may update the item), then the item.
    EXPECT_EQ(Log, (Strings{"File opens", "click Save"}));
    Log.clear();
    // A disabled item keeps its key from the control but is not clicked.
    Save->SetEnabled(false);
    uitest::KeyDown(Edit, 'S', {ssCtrl});
    EXPECT_EQ(Log, (Strings{"File opens"}));
    Log.clear();
    // Without the shortcut the control gets the key.
    Save->SetShortCut(scNone);
    uitest::KeyDown(Edit, 'S', {ssCtrl});
    EXPECT_EQ(Log, (Strings{"edit:down 83", "edit:char 19"}));
}

TEST_F(FormMenus, AParentsOnClickMayMoveTheShortcut) {
    Form->SetMenu(Menu);
    File->OnClick = [this](TObject*) {
        Log.push_back("File opens");
        Save->SetShortCut(scNone);
        Open->SetShortCut(ShortCut('S', {ssCtrl}));
    };
    Show();
    uitest::KeyDown(Edit, 'S', {ssCtrl});
    EXPECT_EQ(Log, (Strings{"File opens", "File opens", "click Open"}));
}

TEST_F(FormMenus, DropDownsOpenOnTheBarAndChosenItemsAreClickedAfterwards) {
    Form->SetMenu(Menu);
    // Items built when the menu opens.
    File->OnClick = [this](TObject*) {
        Log.push_back("File opens");
        while (File->GetCount() > 3) File->GetItem(3)->Free();
        Add(File, "Recent " + std::to_string(++Opened));
    };
    Show();
    uitest::ClickMenuBar(Form, "File");
    ASSERT_TRUE(uitest::MenuOpen());
    auto items = uitest::OpenMenuItems();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[1].Separator);
    EXPECT_EQ(items[2].ShortCut, "Ctrl+S");
    EXPECT_EQ(items[3].Caption, "Recent 1");
    uitest::ChooseMenuItem("Recent 1");
    EXPECT_FALSE(uitest::MenuOpen());
    uitest::ProcessEvents();
    EXPECT_EQ(Log, (Strings{"File opens", "click Recent 1"}));

    uitest::ClickMenuBar(Form, "File");
    EXPECT_EQ(uitest::OpenMenuItems()[3].Caption, "Recent 2");
    EXPECT_EQ(File->GetCount(), 4);
    uitest::CloseMenus();
}

TEST_F(FormMenus, AcceleratorsOpenTheBarAndChooseItems) {
    Form->SetMenu(Menu);
    Show();
    uitest::KeyDown(Edit, 'F', {ssAlt});
    ASSERT_TRUE(uitest::MenuOpen());
    uitest::MenuKey('O');
    uitest::ProcessEvents();
    EXPECT_EQ(Log, (Strings{"File opens", "click Open"}));
    Log.clear();
    // No item with that accelerator: the control gets the key.
    uitest::KeyDown(Edit, 'Q', {ssAlt});
    EXPECT_FALSE(uitest::MenuOpen());
    EXPECT_EQ(Log, (Strings{"edit:down 81"}));
}

TEST_F(FormMenus, ShownStateFollowsTheItems) {
    Form->SetMenu(Menu);
    TMenuItem* a = Add(View, "Fit");
    TMenuItem* b = Add(View, "Stretch");
    a->SetRadioItem(true);
    b->SetRadioItem(true);
    a->SetChecked(true);
    b->SetDefault(true);
    TMenuItem* hidden = Add(View, "Hidden");
    hidden->SetVisible(false);
    View->GetItem(0)->SetEnabled(false);
    Show();
    uitest::ClickMenuBar(Form, "View");
    auto items = uitest::OpenMenuItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_FALSE(items[0].Enabled);
    EXPECT_TRUE(items[1].Radio);
    EXPECT_FALSE(items[2].Checked);
    EXPECT_TRUE(items[2].Default);
    uitest::ChooseMenuItem("Stretch");
    uitest::ProcessEvents();
    EXPECT_TRUE(a->GetChecked());  // nothing checks a radio item but the program
    EXPECT_EQ(Log, (Strings{"click View", "click Stretch"}));
}

// ---- Popup menus -----------------------------------------------------------------------------

class PopupMenus : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Edit = AddProbe("edit", {10, 10, 110, 40});
        Popup = new TPopupMenu(Form);
        Popup->OnPopup = [this](TObject*) {
            Log.push_back("popup for " +
                          (Popup->GetPopupComponent() ? Popup->GetPopupComponent()->GetName() : std::string("-")));
        };
        Cut = new TMenuItem(Form);
        Cut->SetCaption("Cu&t");
        Cut->SetShortCut(ShortCut('X', {ssCtrl}));
        Cut->OnClick = [this](TObject*) { Log.push_back("cut"); };
        Popup->GetItems()->Add(Cut);
        Edit->SetName("Edit");
        uitest::ShowForm(Form);
        Edit->SetFocus();
        Log.clear();
    }
    TProbe* Edit = nullptr;
    TPopupMenu* Popup = nullptr;
    TMenuItem* Cut = nullptr;
};

TEST_F(PopupMenus, PopupFiresOnPopupAndTheChosenItemAfterItCloses) {
    uitest::WhenMenuOpens([this] {
        Log.push_back("open");
        uitest::ChooseMenuItem("Cut");
    });
    Popup->Popup(200, 200);
    Log.push_back("returned");
    uitest::ProcessEvents();
    EXPECT_EQ(Log, (Strings{"popup for -", "open", "returned", "cut"}));
    EXPECT_FALSE(uitest::MenuOpen());
}

TEST_F(PopupMenus, RightClickPopsUpTheControlsMenuUnlessAutoPopupIsOff) {
    Edit->SetPopupMenu(Popup);
    uitest::WhenMenuOpens([this] {
        Log.push_back("open");
        uitest::MenuKey(VK_ESCAPE);
    });
    uitest::Click(Edit, 5, 5, mbRight);
    EXPECT_EQ(Popup->GetPopupComponent(), Edit);
    auto popups = [this] {
        Strings v;
        for (auto& s : Log)
            if (s.rfind("edit:", 0) != 0) v.push_back(s);
        return v;
    };
    EXPECT_EQ(popups(), (Strings{"popup for Edit", "open"}));
    Log.clear();
    Popup->SetAutoPopup(false);
    uitest::Click(Edit, 5, 5, mbRight);
    EXPECT_TRUE(popups().empty());
    uitest::WhenMenuOpens(nullptr);
}

TEST_F(PopupMenus, ShortcutsOfTheFocusedControlsMenuWork) {
    uitest::KeyDown(Edit, 'X', {ssCtrl});
    EXPECT_EQ(Log, (Strings{"edit:down 88", "edit:char 24"}));
    Log.clear();
    Edit->SetPopupMenu(Popup);
    uitest::KeyDown(Edit, 'X', {ssCtrl});
    EXPECT_EQ(Log, (Strings{"cut"}));
}

TEST_F(PopupMenus, FreedMenusAndComponentsAreForgotten) {
    Edit->SetPopupMenu(Popup);
    Popup->SetPopupComponent(Edit);
    Edit->Free();
    EXPECT_EQ(Popup->GetPopupComponent(), nullptr);
    TProbe* other = AddProbe("other", {0, 0, 10, 10});
    other->SetPopupMenu(Popup);
    Popup->Free();
    EXPECT_EQ(other->GetPopupMenu(), nullptr);
}
