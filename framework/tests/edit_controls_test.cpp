// Edit boxes: OnChange and Modified, the gate every modification path goes through, undo,
// passwords, and the memo's lines and keys.

#include "framework/tests/window_fixture.h"

#include "framework/actions.h"
#include "framework/clipboard.h"
#include "framework/dialog_service.h"
#include "framework/edit_controls.h"
#include "framework/menus.h"
#include "framework/std_controls.h"

namespace {

class EditTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Edit = new TEdit(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(10, 10, 200, 21);
        Edit->OnChange = [this](TObject*) { ++Changes; };
        uitest::ShowForm(Form);
    }
    void Focus(TWinControl* c) {
        c->SetFocus();
        uitest::ProcessEvents();
    }
    TEdit* Edit = nullptr;
    int Changes = 0;
};

}  // namespace

TEST_F(EditTest, TextSetInCodeFiresOnChangeOnceAndClearsModified) {
    Edit->SetText("hello");
    EXPECT_EQ(Changes, 1);
    EXPECT_FALSE(Edit->GetModified());
    Edit->SetText("hello");  // the same text: no change
    EXPECT_EQ(Changes, 1);

    // Also before the window exists, and MaxLength does not cut text set in code.
    auto* hidden = new TEdit(Form);
    int hiddenChanges = 0;
    hidden->OnChange = [&](TObject*) { ++hiddenChanges; };
    hidden->SetMaxLength(3);
    hidden->SetText("longer than three");
    EXPECT_EQ(hiddenChanges, 1);
    EXPECT_EQ(hidden->GetText(), "longer than three");
    EXPECT_FALSE(hidden->HandleAllocated());
}

TEST_F(EditTest, TypingGoesThroughKeyPressAndSetsModified) {
    Focus(Edit);
    Edit->OnKeyPress = [](TObject*, Char& Key) {
        if (Key == U'x') Key = 0;   // refused
        if (Key == U'q') Key = U'Q';  // changed
    };
    uitest::TypeText(Edit, "aqxb");
    EXPECT_EQ(Edit->GetText(), "aQb");
    EXPECT_EQ(Changes, 3);
    EXPECT_TRUE(Edit->GetModified());
    EXPECT_EQ(Edit->GetSelStart(), 3);

    // Caret moves go to the widget; Backspace and Delete edit at the caret.
    uitest::PressKey(Edit, VK_HOME);
    uitest::PressKey(Edit, VK_DELETE);
    EXPECT_EQ(Edit->GetText(), "Qb");
    uitest::PressKey(Edit, VK_END);
    uitest::PressKey(Edit, VK_BACK);
    EXPECT_EQ(Edit->GetText(), "Q");
    uitest::PressKey(Edit, VK_LEFT, {ssShift});
    EXPECT_EQ(Edit->GetSelText(), "Q");
}

// Every way the user changes the text passes the same checks.
TEST_F(EditTest, EveryModificationPathGoesThroughTheGate) {
    struct Path {
        const char* Name;
        std::function<void(TEdit*, const std::string&)> Insert;
    };
    const std::vector<Path> paths = {
        {"typing", [](TEdit* e, const std::string& s) { uitest::TypeText(e, s); }},
        {"paste", [](TEdit* e, const std::string& s) {
             Clipboard()->SetAsText(s);
             uitest::PressKey(e, 'V', {ssCtrl});
         }},
        {"shift-insert", [](TEdit* e, const std::string& s) {
             Clipboard()->SetAsText(s);
             uitest::PressKey(e, VK_INSERT, {ssShift});
         }},
        {"drop", [](TEdit* e, const std::string& s) { uitest::DropText(e, 150, 5, s); }},
        {"input method", [](TEdit* e, const std::string& s) { uitest::InputMethodCommit(e, s); }},
    };
    for (const Path& p : paths) {
        SCOPED_TRACE(p.Name);
        // Read-only refuses.
        Edit->SetReadOnly(true);
        Edit->SetCharCase(ecNormal);
        Edit->SetMaxLength(0);
        Edit->SetText("ro");
        Focus(Edit);
        Changes = 0;
        p.Insert(Edit, "abc");
        EXPECT_EQ(Edit->GetText(), "ro");
        EXPECT_EQ(Changes, 0);
        EXPECT_FALSE(Edit->GetModified());

        // MaxLength cuts, CharCase converts, OnChange fires, Modified is set.
        Edit->SetReadOnly(false);
        Edit->SetCharCase(ecUpperCase);
        Edit->SetMaxLength(4);
        Edit->SetText("");
        Edit->SetSelStart(0);
        Changes = 0;
        p.Insert(Edit, "xa");
        p.Insert(Edit, "bcd");
        EXPECT_EQ(Edit->GetText(), "XABC");
        EXPECT_GE(Changes, 2);
        EXPECT_TRUE(Edit->GetModified());
    }
}

TEST_F(EditTest, CutUndoAndClearAreRefusedOnReadOnlyAndUndoTwiceRedoes) {
    Focus(Edit);
    uitest::TypeText(Edit, "abc");
    uitest::PressKey(Edit, 'Z', {ssCtrl});
    EXPECT_EQ(Edit->GetText(), "ab");
    uitest::PressKey(Edit, 'Z', {ssCtrl});
    EXPECT_EQ(Edit->GetText(), "abc");

    Edit->SelectAll();
    Edit->SetReadOnly(true);
    Changes = 0;
    uitest::PressKey(Edit, 'X', {ssCtrl});
    uitest::PressKey(Edit, VK_DELETE);
    uitest::PressKey(Edit, 'Z', {ssCtrl});
    EXPECT_EQ(Edit->GetText(), "abc");
    EXPECT_EQ(Changes, 0);

    Edit->SetReadOnly(false);
    Edit->SelectAll();
    uitest::PressKey(Edit, 'X', {ssCtrl});
    EXPECT_EQ(Edit->GetText(), "");
    EXPECT_EQ(Clipboard()->GetAsText(), "abc");
}

TEST_F(EditTest, MaxLengthZeroAcceptsAHundredThousandCharacters) {
    std::string big(100000, 'k');
    Focus(Edit);
    Edit->SetMaxLength(0);
    Clipboard()->SetAsText(big);
    uitest::PressKey(Edit, 'V', {ssCtrl});
    EXPECT_EQ(Edit->GetText().size(), 100000u);
    uitest::TypeText(Edit, "z");
    EXPECT_EQ(Edit->GetText().size(), 100001u);
    EXPECT_EQ(Edit->GetText().back(), 'z');
}

TEST_F(EditTest, PasteIntoOneLineStopsAtTheLineBreakAndPasswordsAreNotCopied) {
    Focus(Edit);
    Clipboard()->SetAsText("first\r\nsecond");
    uitest::PressKey(Edit, 'V', {ssCtrl});
    EXPECT_EQ(Edit->GetText(), "first");

    Edit->SetPasswordChar(U'*');
    Edit->SelectAll();
    Clipboard()->SetAsText("kept");
    uitest::PressKey(Edit, 'C', {ssCtrl});
    uitest::PressKey(Edit, 'X', {ssCtrl});
    EXPECT_EQ(Clipboard()->GetAsText(), "kept");
    EXPECT_EQ(Edit->GetText(), "first");
}

TEST_F(EditTest, SelectionCountsCharactersAndSelTextReplacesIt) {
    Edit->SetText("d\xc3\xa9j\xc3\xa0 vu");
    Edit->SetSelStart(1);
    Edit->SetSelLength(3);
    EXPECT_EQ(Edit->GetSelText(), "\xc3\xa9j\xc3\xa0");
    Changes = 0;
    Edit->SetSelText("X");
    EXPECT_EQ(Edit->GetText(), "dX vu");
    EXPECT_EQ(Changes, 1);
    EXPECT_FALSE(Edit->GetModified());  // changed in code
    EXPECT_EQ(Edit->GetSelStart(), 2);
}

TEST_F(EditTest, AutoSelectSelectsAllWhenTabbedIntoNotWhenClicked) {
    auto* other = new TEdit(Form);
    other->SetParent(Form);
    other->SetBounds(10, 40, 200, 21);
    other->SetText("other");
    Edit->SetText("contents");
    Focus(Edit);
    uitest::PressKey(Edit, VK_TAB);
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(other->GetSelLength(), 5);
    uitest::Click(Edit, 3, 5);
    EXPECT_TRUE(Edit->Focused());
    EXPECT_EQ(Edit->GetSelLength(), 0);
}

TEST_F(EditTest, EnterInAnEditPressesTheDefaultButtonElseBeeps) {
    TScriptedDialogs dialogs;
    Focus(Edit);
    uitest::PressKey(Edit, VK_RETURN);
    EXPECT_EQ(dialogs.Beeps(), 1);
    auto* ok = new TButton(Form);
    ok->SetParent(Form);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    uitest::PressKey(Edit, VK_RETURN);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Form->GetModalResult(), mrOk);
    EXPECT_EQ(dialogs.Beeps(), 1);
}

TEST_F(EditTest, TheStandardMenuTakesTheGateToo) {
    Edit->SetText("abc");
    Edit->SetMaxLength(5);
    Focus(Edit);
    Edit->SelectAll();
    Clipboard()->SetAsText("123456");
    auto enabled = [](const std::vector<uitest::TShownMenuItem>& items) {
        std::string r;
        for (auto& i : items)
            if (!i.Separator) r += StripHotkey(i.Caption) + (i.Enabled ? "+ " : "- ");
        return r;
    };
    std::vector<uitest::TShownMenuItem> shown;
    uitest::WhenMenuOpens([&] {
        shown = uitest::OpenMenuItems();
        uitest::ChooseMenuItem("Paste");
    });
    uitest::Click(Edit, 5, 5, mbRight);
    uitest::ProcessEvents();
    EXPECT_EQ(enabled(shown), "Undo- Cut+ Copy+ Paste+ Delete+ Select All- ");
    EXPECT_EQ(Edit->GetText(), "12345");
    EXPECT_TRUE(Edit->GetModified());

    Edit->SetReadOnly(true);
    uitest::WhenMenuOpens([&] {
        shown = uitest::OpenMenuItems();
        uitest::CloseMenus();
    });
    uitest::Click(Edit, 5, 5, mbRight);
    EXPECT_EQ(enabled(shown), "Undo- Cut- Copy- Paste- Delete- Select All+ ");
}

TEST_F(EditTest, ShortcutsOfTheFormsActionsComeBeforeTheEdit) {
    auto* list = new TActionList(Form);
    auto* save = new TAction(Form);
    save->SetActionList(list);
    save->SetShortCut(ShortCut('V', {ssCtrl}));
    int saves = 0;
    save->OnExecute = [&](TObject*) { ++saves; };
    Clipboard()->SetAsText("pasted");
    Focus(Edit);
    uitest::PressKey(Edit, 'V', {ssCtrl});
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(Edit->GetText(), "");
    save->SetShortCut(scNone);
    uitest::PressKey(Edit, 'V', {ssCtrl});
    EXPECT_EQ(Edit->GetText(), "pasted");
}

// ---- Memo ------------------------------------------------------------------------------------

namespace {

class MemoTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        Memo = new TMemo(Form);
        Memo->SetParent(Form);
        Memo->SetBounds(10, 60, 200, 100);
        Memo->OnChange = [this](TObject*) { ++MemoChanges; };
        uitest::ProcessEvents();
    }
    TMemo* Memo = nullptr;
    int MemoChanges = 0;
};

}  // namespace

TEST_F(MemoTest, LinesFollowTheFrameworksRules) {
    TStrings* lines = Memo->GetLines();
    EXPECT_EQ(lines->GetCount(), 0);
    lines->Add("one");
    lines->Add("two");
    EXPECT_EQ(Memo->GetText(), "one\r\ntwo\r\n");
    EXPECT_EQ(lines->GetCount(), 2);  // the empty last line is not counted
    EXPECT_EQ(MemoChanges, 2);
    lines->Insert(1, "between");
    lines->Delete(0);
    EXPECT_EQ(Memo->GetText(), "between\r\ntwo\r\n");
    lines->Put(1, "2");
    EXPECT_EQ(lines->Get(1), "2");
    EXPECT_THROW(lines->Get(2), EStringListError);

    // Text without a final break gets one before the added line.
    Memo->SetText("a\nb");
    EXPECT_EQ(Memo->GetText(), "a\r\nb");
    lines->Add("c");
    EXPECT_EQ(Memo->GetText(), "a\r\nb\r\nc");
    EXPECT_EQ(lines->GetCount(), 3);
}

TEST_F(MemoTest, DroppedAndComposedTextPassTheGateToo) {
    Memo->SetMaxLength(6);
    Focus(Memo);
    uitest::InputMethodCommit(Memo, "abcdefgh");
    EXPECT_EQ(Memo->GetText(), "abcdef");
    uitest::DropText(Memo, 20, 10, "xy");
    EXPECT_EQ(Memo->GetText(), "abcdef");
    Memo->SetMaxLength(0);
    Memo->SetReadOnly(true);
    uitest::DropText(Memo, 20, 10, "xy");
    EXPECT_EQ(Memo->GetText(), "abcdef");
    EXPECT_EQ(MemoChanges, 1);
}

TEST_F(MemoTest, KeysEditAcrossLineBreaks) {
    Memo->SetText("ab");
    Focus(Memo);
    Memo->SetSelStart(1);
    uitest::PressKey(Memo, VK_RETURN);
    EXPECT_EQ(Memo->GetText(), "a\r\nb");
    EXPECT_EQ(Memo->GetSelStart(), 3);  // CR LF counts two
    EXPECT_EQ(Memo->GetCaretPos().Y, 1);
    uitest::PressKey(Memo, VK_BACK);
    EXPECT_EQ(Memo->GetText(), "ab");
    // Delete in front of a break takes the whole break.
    Memo->SetText("a\r\nb");
    Memo->SetSelStart(1);
    uitest::PressKey(Memo, VK_DELETE);
    EXPECT_EQ(Memo->GetText(), "ab");
    EXPECT_EQ(Memo->GetSelStart(), 1);
    // The caret moved by the widget is read back.
    Memo->SetText("x\r\nyz");
    Memo->SetSelStart(0);
    uitest::PressKey(Memo, VK_DOWN);
    EXPECT_EQ(Memo->GetCaretPos().Y, 1);
}

TEST_F(MemoTest, WantReturnsAndWantTabsDecideWhoGetsTheKey) {
    auto* ok = new TButton(Form);
    ok->SetParent(Form);
    ok->SetDefault(true);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    Focus(Memo);
    uitest::PressKey(Memo, VK_RETURN);
    EXPECT_EQ(Memo->GetText(), "\r\n");
    EXPECT_EQ(clicks, 0);
    Memo->SetWantReturns(false);
    uitest::PressKey(Memo, VK_RETURN);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Memo->GetText(), "\r\n");

    uitest::PressKey(Memo, VK_TAB);
    EXPECT_FALSE(Memo->Focused());
    Focus(Memo);
    Memo->SetWantTabs(true);
    uitest::PressKey(Memo, VK_TAB);
    EXPECT_TRUE(Memo->Focused());
    EXPECT_NE(Memo->GetText().find('\t'), std::string::npos);
}
