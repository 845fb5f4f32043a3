// The in-place editors on a container that records what reaches it: key routing, the modify gate
// on every path, placement, the text editor's restore and round trips, the masked editor typed
// through the window, and reading date texts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/clipboard.h"
#include "framework/dialog_service.h"
#include "framework/exceptions.h"
#include "framework/format_settings.h"
#include "framework/formatting.h"
#include "framework/forms.h"
#include "framework/std_controls.h"
#include "framework/testing/ui_test.h"
#include "treelist/inplace_text_edit.h"

namespace {

class TFakeContainer : public TCustomgxContainer {
    LUMORA_CLASS(TFakeContainer, TCustomgxContainer)
public:
    using TCustomgxContainer::TCustomgxContainer;
    bool Modify = true;
    bool ValidChars = true;
    TgxEditBorderStyle Border = xbsNone;
    std::string Text;
    std::string Mask;
    std::vector<Word> Keys;
    std::vector<Word> EditKeys;
    bool CanEditModify() override { return Modify; }
    bool IsValidEditChar(Char) override { return ValidChars; }
    void GetEditText(std::string& Value) override { Value = Text; }
    void GetEditMask(std::string& Value) override { Value = Mask; }
    TgxEditBorderStyle GetEditBorderStyle() override { return Border; }
    void DoEditKeyDown(Word& Key, TShiftState Shift) override {
        EditKeys.push_back(Key);
        TCustomgxContainer::DoEditKeyDown(Key, Shift);
    }

protected:
    void KeyDown(Word& Key, TShiftState) override { Keys.push_back(Key); }
};

class TCountingEdit : public TgxInplaceTextEdit {
    LUMORA_CLASS(TCountingEdit, TgxInplaceTextEdit)
public:
    using TgxInplaceTextEdit::TgxInplaceTextEdit;
    int FirstShows = 0;
    int CaretToEnd = 0;
    void DoFirstShow() override { ++FirstShows; }
    void MoveCaretToEnd() override {
        ++CaretToEnd;
        TgxInplaceTextEdit::MoveCaretToEnd();
    }
};

template <class TEditor>
struct EditorFixture : testing::Test {
    void SetUp() override {
        uitest::Start();
        saved = FormatSettings;
        FormatSettings = TFormatSettings::English();
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 400, 300);
        container = new TFakeContainer(form);
        container->SetParent(form);
        container->SetBounds(10, 10, 300, 200);
        editor = new TEditor(container);
        editor->SetContainer(container);
        editor->SetParent(container);
        uitest::ShowForm(form);
    }
    void TearDown() override {
        form->Free();
        uitest::ProcessEvents();
        FormatSettings = saved;
    }
    // Loads the editor from the container and opens it over a cell.
    void Open() {
        editor->LoadContainerSettings();
        editor->ShowEditorAt(TRect{10, 20, 110, 40});
        uitest::ProcessEvents();
    }
    TFormatSettings saved;
    TForm* form = nullptr;
    TFakeContainer* container = nullptr;
    TEditor* editor = nullptr;
};

using InplaceEditBase = EditorFixture<TCountingEdit>;
using TextEdit = EditorFixture<TgxInplaceTextEdit>;
using MaskEdit = EditorFixture<TgxInplaceMaskEdit>;

}  // namespace

TEST_F(InplaceEditBase, NavigationKeysGoToTheContainerAndNeverBecomeText) {
    container->Text = "abc";
    Open();
    for (Word key : {VK_TAB, VK_RETURN, VK_ESCAPE, VK_PRIOR, VK_NEXT, VK_UP, VK_DOWN, VK_INSERT}) {
        SCOPED_TRACE(key);
        container->Keys.clear();
        uitest::PressKey(editor, key);
        EXPECT_EQ(container->Keys, std::vector<Word>{key});
    }
    EXPECT_EQ(editor->GetText(), "abc");
    // Other keys are offered to the container's key hook and then handled by the editor.
    container->EditKeys.clear();
    uitest::PressKey(editor, VK_HOME);
    EXPECT_EQ(container->EditKeys, std::vector<Word>{VK_HOME});
    EXPECT_EQ(editor->GetSelStart(), 0);
    // F2 goes to the hook and, when left alone, puts the caret at the end.
    uitest::PressKey(editor, VK_F2);
    EXPECT_EQ(editor->CaretToEnd, 1);
    EXPECT_EQ(editor->GetSelStart(), 3);
}

TEST_F(InplaceEditBase, WithoutModifyEveryChangingPathIsRefusedButTheCaretMoves) {
    TScriptedDialogs dialogs;
    container->Text = "abcd";
    container->Modify = false;
    Open();
    Clipboard()->SetAsText("zz");
    editor->SetSelStart(1);
    editor->SetSelLength(2);
    uitest::PressKey(editor, VK_BACK);
    uitest::PressKey(editor, VK_DELETE);
    uitest::PressKey(editor, 'V', {ssCtrl});
    uitest::PressKey(editor, 'X', {ssCtrl});
    uitest::PressKey(editor, 'Z', {ssCtrl});
    uitest::PressKey(editor, VK_INSERT, {ssShift});
    uitest::TypeText(editor, "typed");
    uitest::InputMethodCommit(editor, "q");
    uitest::DropText(editor, 3, 3, "dropped");
    editor->Perform(WM_CLEAR, 0, 0);
    uitest::WhenMenuOpens([] { uitest::ChooseMenuItem("Paste"); });
    uitest::Click(editor, 3, 3, mbRight);
    uitest::ProcessEvents();
    EXPECT_EQ(editor->GetText(), "abcd");
    EXPECT_FALSE(editor->GetModified());
    EXPECT_EQ(dialogs.Beeps(), 0);

    editor->SetSelStart(1);
    uitest::PressKey(editor, VK_RIGHT);
    EXPECT_EQ(editor->GetSelStart(), 2);
    uitest::PressKey(editor, VK_LEFT);
    uitest::PressKey(editor, VK_LEFT);
    EXPECT_EQ(editor->GetSelStart(), 0);

    // A character the container refuses is dropped with a beep.
    container->Modify = true;
    container->ValidChars = false;
    uitest::TypeText(editor, "x");
    EXPECT_EQ(editor->GetText(), "abcd");
    EXPECT_EQ(dialogs.Beeps(), 1);
}

TEST_F(InplaceEditBase, PlacementGrowsBySingleBorderAndFirstShowRunsOncePerOpening) {
    struct Case {
        TgxEditBorderStyle border;
        TRect bounds;
    } cases[] = {{xbsSingle, {9, 19, 111, 41}}, {xbsNone, {10, 20, 110, 40}}};
    for (const Case& c : cases) {
        container->Border = c.border;
        Open();
        EXPECT_EQ(editor->GetBoundsRect(), c.bounds);
        EXPECT_EQ(editor->GetBorderStyle(), c.border);
        EXPECT_TRUE(editor->IsShown());
        EXPECT_TRUE(editor->Focused());
    }
    EXPECT_EQ(editor->FirstShows, 1);
    editor->HideEditWindow();
    EXPECT_FALSE(editor->GetVisible());
    editor->BeginShowUpdate();
    editor->ShowEditorAt(TRect{0, 0, 50, 20});
    editor->EndShowUpdate();
    EXPECT_EQ(editor->FirstShows, 1);
    editor->HideEditWindow();
    editor->ShowEditorAt(TRect{0, 0, 50, 20}, false);
    EXPECT_EQ(editor->FirstShows, 2);
    editor->ShowEditorAt(TRect{});  // an empty rectangle hides
    EXPECT_FALSE(editor->IsShown());
}

TEST_F(TextEdit, EscRestoresAndUneditedTextsComeBackUnchanged) {
    for (std::string text : {std::string("line one\r\nline two\r\n"), std::string(40000, 'w') + "\xc3\xa9"}) {
        container->Text = text;
        Open();
        EXPECT_EQ(editor->GetEditValueText(), text);
    }
    container->Text = "cell";
    Open();
    uitest::TypeText(editor, "new");
    EXPECT_EQ(editor->GetEditValueText(), "new");
    container->Keys.clear();
    uitest::PressKey(editor, VK_ESCAPE);
    EXPECT_EQ(editor->GetEditValueText(), "cell");
    EXPECT_EQ(container->Keys, std::vector<Word>{VK_ESCAPE});
}

TEST_F(TextEdit, EnterAndEscReachTheEditorNotTheFormButtons) {
    int clicks = 0;
    for (bool isDefault : {true, false}) {
        auto* button = new TButton(form);
        button->SetParent(form);
        button->SetBounds(10, 250, 60, 25);
        if (isDefault) button->SetDefault(true);
        else button->SetCancel(true);
        button->OnClick = [&](TObject*) { ++clicks; };
    }
    Open();
    uitest::PressKey(editor, VK_RETURN);
    uitest::PressKey(editor, VK_ESCAPE);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(container->Keys, (std::vector<Word>{VK_RETURN, VK_ESCAPE}));
}

TEST_F(TextEdit, TheFormattingRectangleFollowsTheBorder) {
    container->Border = xbsSingle;
    Open();
    EXPECT_EQ(editor->GetBoundsRect(), (TRect{9, 19, 111, 41}));
    EXPECT_EQ(editor->GetEditValueText(), "");
    uitest::TypeText(editor, "ok");
    EXPECT_EQ(editor->GetEditValueText(), "ok");
}

TEST_F(MaskEdit, TypingShowsTheMaskAndReadsTheValueBack) {
    FormatSettings.DateSeparator = '/';
    struct Case {
        const char* mask;
        const char* cell;
        const char* shown;
        const char* typed;
        const char* after;
        const char* value;
    } cases[] = {
        {"99/99/00;1;_", "", "__/__/__", "1", "1_/__/__", "1 /  /  "},
        {"99/99/00;1;_", "", "__/__/__", "1/5", "1_/5_/__", "1 /5 /  "},  // the literal jumps
        {"000;0;_", "12", "12_", "", "12_", "12"},
        {"000;0;_", "12", "12_", "345", "345", "345"},
        {">LL", "", "__", "ab", "AB", "AB"},
        {"00:00", "12:30", "12:30", "9", "92:30", "92:30"},
        {"000;0;_", "", "___", "1a2", "12_", "12"},
    };
    TScriptedDialogs dialogs;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " typed " + c.typed);
        container->Mask = c.mask;
        container->Text = c.cell;
        Open();
        EXPECT_EQ(editor->GetText(), c.shown);
        editor->SetCaret(0);
        uitest::TypeText(editor, c.typed);
        EXPECT_EQ(editor->GetText(), c.after);
        EXPECT_EQ(editor->GetEditValueText(), c.value);
    }
    EXPECT_EQ(dialogs.Beeps(), 1);  // the "a" of the last case
    container->Mask = "99/99/00;1;_";
    container->Text = "";
    Open();
    EXPECT_EQ(editor->GetEditValueText(), "");  // nothing but literals and blanks
    EXPECT_EQ(editor->GetMaxLength(), 8);
}

TEST_F(MaskEdit, BackspaceDeletePasteAndWindowEditsKeepTheMask) {
    container->Mask = "00-00;1;_";
    container->Text = "12-34";
    Open();
    editor->SetCaret(3);
    uitest::PressKey(editor, VK_BACK);  // steps back over the literal
    EXPECT_EQ(editor->GetText(), "1_-34");
    uitest::PressKey(editor, VK_DELETE);
    EXPECT_EQ(editor->GetText(), "1_-34");
    editor->SetCaret(3);
    uitest::PressKey(editor, VK_DELETE);
    EXPECT_EQ(editor->GetText(), "1_-_4");
    uitest::PressKey(editor, VK_RIGHT);
    uitest::PressKey(editor, VK_LEFT);
    uitest::PressKey(editor, VK_LEFT);  // over the literal
    EXPECT_EQ(editor->GetSelStart(), 1);

    TScriptedDialogs dialogs;
    Clipboard()->SetAsText("9876");
    editor->SelectAll();
    editor->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(editor->GetText(), "98-76");
    uitest::InputMethodCommit(editor, "5");
    uitest::DropText(editor, 2, 2, "x");
    EXPECT_EQ(editor->GetText().size(), 5u);
    EXPECT_EQ(editor->GetText()[2], '-');
}

TEST_F(MaskEdit, LeavingWithAnUnfilledPositionRaisesUntilEscRestores) {
    container->Mask = "000;0;_";
    container->Text = "123";
    Open();
    editor->SetCaret(2);
    uitest::PressKey(editor, VK_BACK);
    EXPECT_EQ(editor->GetText(), "1_3");
    EXPECT_TRUE(editor->NeedsValidation());
    container->Keys.clear();
    try {
        editor->ValidateEdit();
        ADD_FAILURE() << "no error";
    } catch (EDBEditError& e) {
        EXPECT_EQ(e.Message, "Invalid input value.  Use escape key to abandon changes");
    }
    EXPECT_EQ(editor->GetSelStart(), 1);  // the caret on the unfilled position
    EXPECT_EQ(editor->GetText(), "1_3");
    // A Tab is refused before it reaches the container.
    try {
        editor->Perform(WM_KEYDOWN, VK_TAB, 0);
    } catch (EDBEditError&) {
    }
    EXPECT_TRUE(container->Keys.empty());
    uitest::PressKey(editor, VK_ESCAPE);
    EXPECT_EQ(editor->GetText(), "123");
    EXPECT_FALSE(editor->GetModified());
    editor->ValidateEdit();  // an unmodified text never raises

    // Closing: the host's close restores instead of raising.
    editor->SetCaret(0);
    uitest::PressKey(editor, VK_DELETE);
    editor->SetClosing(true);
    editor->ValidateEdit();
    EXPECT_EQ(editor->GetText(), "123");
}

TEST(DateText, DotsAreBlanksInTheSystemOrderAndBadTextsAreToday) {
    TFormatSettings saved = FormatSettings;
    FormatSettings = TFormatSettings::English();
    FormatSettings.ShortDateFormat = "d/M/yyyy";
    struct Case {
        const char* text;
        TDateTime expected;
    } cases[] = {
        {"3.4.2001", EncodeDate(2001, 4, 3)},
        {"1. 2. 2003", EncodeDate(2003, 2, 1)},
        {"3/4/2001", EncodeDate(2001, 4, 3)},
        {"3.4.2001 6:00", EncodeDate(2001, 4, 3) + 0.25},
        {"", Date()},
        {"no date", Date()},
        {"40.40.2026", Date()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DateTextToDateTime(c.text), c.expected);
    }
    FormatSettings = saved;
}
