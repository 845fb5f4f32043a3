// Keys, focus and the mouse: the routing order, dialog codes, focus changes and capture.

#include "framework/tests/window_fixture.h"

#include "framework/dialog_service.h"

using Strings = std::vector<std::string>;

// ---- Key routing -----------------------------------------------------------------------------

class KeyRouting : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Edit = AddProbe("edit", {10, 10, 110, 40});
        Form->SetKeyPreview(true);
        Form->OnKeyDown = [this](TObject*, Word& Key, TShiftState) {
            Log.push_back("form:down " + std::to_string(Key));
            if (Key == ZeroInPreview) Key = 0;
        };
        Form->OnKeyPress = [this](TObject*, Char& Key) { Log.push_back("form:char " + std::to_string(uint32_t(Key))); };
        Form->OnKeyUp = [this](TObject*, Word& Key, TShiftState) { Log.push_back("form:up " + std::to_string(Key)); };
        ShortCutId = TCustomForm::AddShortCutHandler([this](TCustomForm*, TMessage& M) {
            Log.push_back("shortcut " + std::to_string(M.WParam));
            return M.WParam == ShortCutKey;
        });
        uitest::ShowForm(Form);
        Edit->SetFocus();
        Log.clear();
    }
    void TearDown() override {
        TCustomForm::RemoveShortCutHandler(ShortCutId);
        WindowTest::TearDown();
    }
    TProbe* Edit = nullptr;
    Word ZeroInPreview = 0;
    Word ShortCutKey = 0;
    Integer ShortCutId = 0;
};

TEST_F(KeyRouting, ShortcutThenPreviewThenControlThenCharacters) {
    uitest::PressKey(Edit, 'A');
    EXPECT_EQ(Log, (Strings{"shortcut 65", "form:down 65", "edit:down 65", "form:char 97", "edit:char 97", "form:up 65",
                            "edit:up 65"}));
}

TEST_F(KeyRouting, TakenShortcutReachesNobodyElse) {
    ShortCutKey = VK_F5;
    uitest::KeyDown(Edit, VK_F5);
    EXPECT_EQ(Log, (Strings{"shortcut 116"}));
}

TEST_F(KeyRouting, KeyZeroedByPreviewStopsTheControlAndTheCharacter) {
    ZeroInPreview = 'B';
    uitest::KeyDown(Edit, 'B');
    EXPECT_EQ(Log, (Strings{"shortcut 66", "form:down 66"}));
}

TEST_F(KeyRouting, KeyZeroedOrCharacterDiscardedInTheControlStopsKeyPress) {
    Edit->OnKeyDown = [](TObject*, Word& Key, TShiftState) {
        if (Key == 'C') Key = 0;
        if (Key == 'D') DiscardPendingMessage(GetFocus(), WM_CHAR);
    };
    uitest::KeyDown(Edit, 'C');
    uitest::KeyDown(Edit, 'D');
    uitest::KeyDown(Edit, 'E');
    EXPECT_EQ(Log,
              (Strings{"shortcut 67", "form:down 67", "edit:down 67", "shortcut 68", "form:down 68", "edit:down 68",
                       "shortcut 69", "form:down 69", "edit:down 69", "form:char 101", "edit:char 101"}));
}

TEST_F(KeyRouting, ControlCharactersAndRepeats) {
    Form->SetKeyPreview(false);
    Edit->DlgCode = DLGC_WANTARROWS;
    Edit->OnKeyPress = [this](TObject*, Char& Key) { Log.push_back("event " + std::to_string(uint32_t(Key))); };
    uitest::KeyDown(Edit, 'A', {ssCtrl});
    uitest::KeyDown(Edit, VK_BACK);
    uitest::KeyDown(Edit, 'Q', {ssShift});
    uitest::KeyDown(Edit, VK_LEFT);  // no character
    EXPECT_EQ(Log, (Strings{"shortcut 65", "edit:down 65", "edit:char 1", "event 1", "shortcut 8", "edit:down 8",
                            "edit:char 8", "event 8", "shortcut 81", "edit:down 81", "edit:char 81", "event 81",
                            "shortcut 37", "edit:down 37"}));
    // A held key repeats its press but is released once.
    Log.clear();
    LPARAM repeatData = 0;
    Application->OnMessage = [&](TMsg& M, bool&) {
        if (M.message == WM_KEYDOWN) repeatData = M.lParam & KF_REPEAT;
    };
    uitest::KeyDown(Edit, 'Z', {}, true);
    EXPECT_NE(repeatData, 0);
    EXPECT_LT(GetKeyState('Z'), 0);
    uitest::KeyUp(Edit, 'Z');
    EXPECT_GE(GetKeyState('Z'), 0);
    Application->OnMessage = nullptr;
}

// ---- Dialog codes ----------------------------------------------------------------------------

class DialogKeys : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        A = AddProbe("a", {10, 10, 60, 30});
        B = AddProbe("b", {10, 40, 60, 60});
        C = AddProbe("c", {10, 70, 60, 90});
        // A stand-in for the default and cancel buttons: the form's dialog keys reach it.
        Buttons = new TProbe(Form, &Log, "buttons");
        Buttons->SetParent(Form);
        Buttons->SetTabStop(false);
        Buttons->SetBounds(200, 10, 50, 20);
        uitest::ShowForm(Form);
        A->SetFocus();
        Log.clear();
    }
    TProbe *A = nullptr, *B = nullptr, *C = nullptr, *Buttons = nullptr;
};

TEST_F(DialogKeys, TabMovesTheFocusUnlessTheControlWantsIt) {
    uitest::PressKey(A, VK_TAB);
    EXPECT_EQ(GetFocus(), B);
    uitest::PressKey(B, VK_TAB, {ssShift});
    EXPECT_EQ(GetFocus(), A);
    // Backwards from the first wraps to the last one with a tab stop.
    uitest::PressKey(A, VK_TAB, {ssShift});
    EXPECT_EQ(GetFocus(), C);
    C->SetTabStop(false);
    uitest::PressKey(C, VK_TAB);
    EXPECT_EQ(GetFocus(), A);

    A->DlgCode = DLGC_WANTTAB;
    Log.clear();
    uitest::KeyDown(A, VK_TAB);
    EXPECT_EQ(GetFocus(), A);
    EXPECT_EQ(Log, (Strings{"a:down 9", "a:char 9"}));
}

TEST_F(DialogKeys, ArrowsEnterAndEscapeFollowTheDialogCode) {
    struct Case {
        Word Key;
        LRESULT Code;
        bool Special;
        bool ControlGetsIt;
    };
    const Case cases[] = {
        {VK_DOWN, 0, false, false},
        {VK_DOWN, DLGC_WANTARROWS, false, true},
        {VK_DOWN, 0, true, true},  // CM_WANTSPECIALKEY wins over the dialog code
        {VK_RETURN, 0, false, false},
        {VK_RETURN, DLGC_WANTALLKEYS, false, true},
        {VK_ESCAPE, DLGC_WANTARROWS, false, false},
        {VK_ESCAPE, DLGC_WANTALLKEYS, false, true},
        {VK_TAB, DLGC_WANTALLKEYS, false, true},
    };
    // The dialog keys the form does not use itself go to its children (default, cancel).
    int broadcast = 0;
    Buttons->WindowProcHook = [&](TMessage& M) {
        if (M.Msg == CM_DIALOGKEY && (M.WParam == VK_RETURN || M.WParam == VK_ESCAPE)) {
            ++broadcast;
            M.Result = 1;
            return true;
        }
        return false;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Key) + " code " + std::to_string(c.Code));
        A->SetFocus();
        A->DlgCode = c.Code;
        A->WantsSpecial = c.Special;
        Log.clear();
        broadcast = 0;
        uitest::KeyDown(A, c.Key);
        bool gotIt = !Log.empty() && Log.front() == "a:down " + std::to_string(c.Key);
        EXPECT_EQ(gotIt, c.ControlGetsIt);
        if (!c.ControlGetsIt && c.Key == VK_DOWN) {
            EXPECT_EQ(GetFocus(), B);
        }
        if (!c.ControlGetsIt && (c.Key == VK_RETURN || c.Key == VK_ESCAPE)) {
            EXPECT_EQ(broadcast, 1);
        }
        if (c.ControlGetsIt) {
            EXPECT_EQ(GetFocus(), A);
        }
    }
}

// ---- Focus -----------------------------------------------------------------------------------

TEST_F(WindowTest, FocusLeavesAndEntersInOrderThroughContainers) {
    auto* panel1 = AddProbe("panel1", {0, 0, 150, 150});
    auto* panel2 = AddProbe("panel2", {200, 0, 350, 150});
    panel1->SetTabStop(false);
    panel2->SetTabStop(false);
    auto* edit1 = AddProbe("edit1", {10, 10, 100, 30}, panel1);
    auto* edit2 = AddProbe("edit2", {10, 10, 100, 30}, panel2);
    uitest::ShowForm(Form);
    edit1->SetFocus();
    Log.clear();
    edit2->SetFocus();
    EXPECT_EQ(Log, (Strings{"edit1:killfocus", "edit1:exit", "panel1:exit", "panel2:enter", "edit2:enter",
                            "edit2:setfocus"}));
    EXPECT_EQ(Form->GetActiveControl(), edit2);
    EXPECT_EQ(Screen->GetActiveControl(), edit2);
    EXPECT_TRUE(edit2->Focused());
}

TEST_F(WindowTest, AControlThatRefusesToLetTheFocusGoKeepsIt) {
    auto* edit1 = AddProbe("edit1", {10, 10, 100, 30});
    auto* edit2 = AddProbe("edit2", {10, 40, 100, 60});
    uitest::ShowForm(Form);
    edit1->SetFocus();

    // Taking the focus back in OnExit.
    edit1->OnExit = [&](TObject*) { edit1->SetFocus(); };
    Log.clear();
    edit2->SetFocus();
    EXPECT_EQ(GetFocus(), edit1);
    EXPECT_EQ(Form->GetActiveControl(), edit1);
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "edit2:enter"), 0);

    // Raising in OnExit: the focus stays, the caller hears of it.
    edit1->OnExit = [](TObject*) { throw EConvertError("'x' is not a valid date"); };
    Log.clear();
    EXPECT_THROW(edit2->SetFocus(), EConvertError);
    EXPECT_EQ(GetFocus(), edit1);
    EXPECT_EQ(Form->GetActiveControl(), edit1);
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "edit2:enter"), 0);

    // By keyboard the report goes to the application.
    TScriptedDialogs dialogs;
    dialogs.Answer(mrOk);
    uitest::PressKey(edit1, VK_TAB);
    EXPECT_EQ(GetFocus(), edit1);
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].Text, "'x' is not a valid date.");
}

TEST_F(WindowTest, HiddenOrDisabledControlsCannotTakeTheFocus) {
    auto* edit = AddProbe("edit", {10, 10, 100, 30});
    uitest::ShowForm(Form);
    edit->SetEnabled(false);
    EXPECT_FALSE(edit->CanFocus());
    EXPECT_THROW(edit->SetFocus(), EInvalidOperation);
    edit->SetEnabled(true);
    edit->SetFocus();
    EXPECT_TRUE(edit->Focused());
    // Hiding the focused control moves the focus to the form.
    edit->SetVisible(false);
    EXPECT_EQ(Form->GetActiveControl(), nullptr);
    EXPECT_EQ(GetFocus(), Form);
}

// ---- Mouse -----------------------------------------------------------------------------------

TEST_F(WindowTest, MouseCaptureFollowsTheButtonAndCancelModeEndsIt) {
    auto* probe = AddProbe("probe", {10, 10, 110, 60});
    probe->SetTabStop(false);
    uitest::ShowForm(Form);
    int clicks = 0;
    probe->OnClick = [&](TObject*) { ++clicks; };

    uitest::MouseDown(probe, 5, 5);
    EXPECT_EQ(GetCapture(), probe);
    // Outside the control the moves and the release still come to it.
    uitest::MouseMove(Form, 300, 250);
    uitest::MouseUp(Form, 300, 250);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Log, (Strings{"probe:mousedown 5,5", "probe:capturechanged", "probe:mouseup 290,240"}));
    EXPECT_EQ(clicks, 0);  // released outside: no click

    uitest::Click(probe, 20, 20);
    EXPECT_EQ(clicks, 1);

    // Cancel mode while the button is down: the capture goes and the press ends.
    Log.clear();
    uitest::MouseDown(probe, 7, 8);
    SendMessage(GetCapture(), WM_CANCELMODE, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Log, (Strings{"probe:mousedown 7,8", "probe:capturechanged", "probe:mouseup -1,-1"}));
    uitest::MouseUp(probe, 7, 8);
    EXPECT_EQ(clicks, 1);
}

TEST_F(WindowTest, PressingAnotherControlSendsCancelModeToTheFocusedOne) {
    auto* editor = AddProbe("editor", {10, 10, 110, 30});
    auto* other = AddProbe("other", {10, 50, 110, 70});
    uitest::ShowForm(Form);
    editor->SetFocus();
    TControl* sender = nullptr;
    editor->WindowProcHook = [&](TMessage& M) {
        if (M.Msg == CM_CANCELMODE) sender = reinterpret_cast<TControl*>(M.LParam);
        return false;
    };
    Log.clear();
    uitest::Click(other, 3, 3);
    EXPECT_EQ(sender, other);
    EXPECT_EQ(Log.front(), "editor:cancelmode");
}

TEST_F(WindowTest, DoubleClicksAndGraphicChildren) {
    auto* probe = AddProbe("probe", {10, 10, 200, 100});
    probe->SetTabStop(false);
    int dbl = 0;
    probe->OnDblClick = [&](TObject*) { ++dbl; };
    // A graphic control gets the mouse messages over it through its parent.
    auto* label = new TGraphicControl(Form);
    label->SetParent(probe);
    label->SetBounds(50, 20, 40, 20);
    std::vector<TPoint> labelDowns;
    label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer X, Integer Y) {
        labelDowns.push_back({X, Y});
    };
    uitest::ShowForm(Form);

    uitest::DoubleClick(probe, 5, 5);
    EXPECT_EQ(dbl, 1);
    EXPECT_EQ(Log, (Strings{"probe:mousedown 5,5", "probe:capturechanged", "probe:mouseup 5,5",
                            "probe:mousedown 5,5 double", "probe:capturechanged", "probe:mouseup 5,5"}));
    // Two separate clicks are not a double click.
    uitest::Click(probe, 5, 5);
    uitest::Click(probe, 5, 5);
    EXPECT_EQ(dbl, 1);

    uitest::Click(probe, 55, 25);
    ASSERT_EQ(labelDowns.size(), 1u);
    EXPECT_EQ(labelDowns[0], (TPoint{5, 5}));
}

TEST_F(WindowTest, WheelGoesToTheFormThenTheFocusedControl) {
    auto* probe = AddProbe("probe", {10, 10, 200, 100});
    uitest::ShowForm(Form);
    probe->SetFocus();
    Strings order;
    bool formTakes = false;
    Form->OnMouseWheel = [&](TObject*, TShiftState, Integer Delta, TPoint, bool& Handled) {
        order.push_back("form " + std::to_string(Delta));
        Handled = formTakes;
    };
    probe->OnMouseWheel = [&](TObject*, TShiftState, Integer Delta, TPoint, bool& Handled) {
        order.push_back("probe " + std::to_string(Delta));
        Handled = true;
    };
    uitest::Wheel(Form, -120, 300, 200);
    formTakes = true;
    uitest::Wheel(probe, 120, 5, 5);
    EXPECT_EQ(order, (Strings{"form -120", "probe -120", "form 120"}));
}

TEST_F(WindowTest, AControlFreedByItsOwnHandlersLeavesTheInputPathIntact) {
    auto* probe = AddProbe("probe", {10, 10, 110, 60});
    auto* other = AddProbe("other", {10, 80, 110, 120});
    uitest::ShowForm(Form);
    probe->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { probe->Free(); };
    uitest::Click(probe, 5, 5);
    other->SetFocus();
    other->OnKeyDown = [&](TObject*, Word&, TShiftState) { other->Free(); };
    uitest::KeyDown(other, 'A');
    EXPECT_EQ(Form->GetControlCount(), 0);
    EXPECT_EQ(GetFocus(), Form);
}

TEST_F(WindowTest, PressesOnTheFrameGoByTheHitTest) {
    uitest::ShowForm(Form);
    TProbe* p = AddProbe("p", {20, 20, 120, 80});
    // A 10-pixel frame on the left and top: the left band counts as client area, the top as a caption.
    p->WindowProcHook = [&](TMessage& M) {
        if (M.Msg == WM_NCCALCSIZE && M.LParam) {
            auto* r = reinterpret_cast<TRect*>(M.LParam);
            r->Left += 10;
            r->Top += 10;
            return true;
        }
        if (M.Msg == WM_NCHITTEST) {
            M.Result = p->ScreenToClient(LParamToPoint(M.LParam)).Y < 0 ? HTCAPTION : HTCLIENT;
            return true;
        }
        if (M.Msg == WM_NCLBUTTONDOWN || M.Msg == WM_NCLBUTTONUP) {
            TPoint at = LParamToPoint(M.LParam);
            Log.push_back(std::string(M.Msg == WM_NCLBUTTONDOWN ? "ncdown " : "ncup ") + std::to_string(M.WParam) +
                          (at == p->ClientToScreen({5, -5}) ? " at the press" : " elsewhere"));
            return true;
        }
        return false;
    };
    SetWindowPos(p, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_EQ(p->ClientToParent({0, 0}, Form), TPoint(30, 30));
    uitest::Click(p, -5, 5);
    uitest::Click(p, 5, -5);
    std::vector<std::string> mouse;
    for (const std::string& s : Log)
        if (s.find("mouse") != std::string::npos || s.find("nc") == 0) mouse.push_back(s);
    EXPECT_EQ(mouse, (std::vector<std::string>{"p:mousedown -5,5", "p:mouseup -5,5", "ncdown 2 at the press",
                                               "ncup 2 at the press"}));
}
