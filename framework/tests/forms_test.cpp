// Forms, the application, the screen, popups, timers and the dialog service.

#include "framework/tests/window_fixture.h"
#include "framework/testing/ui_test_windows.h"

#include <chrono>

#include "framework/dialog_service.h"
#include "framework/graphics.h"
#include "framework/system_metrics.h"
#include "framework/timer.h"
#include "framework/window_hooks.h"

using Strings = std::vector<std::string>;

// ---- Modal forms and the dialog service ------------------------------------------------------

namespace {

class TAskForm : public TForm {
    LUMORA_CLASS(TAskForm, TForm)
public:
    explicit TAskForm(TComponent* AOwner, Strings* Log) : TForm(AOwner), FLog(Log) {
        SetCaption("Ask");
        SetBorderStyle(bsDialog);
        Answer = new TProbe(this, Log, "answer");
        Answer->SetParent(this);
        Answer->SetBounds(10, 10, 100, 20);
        OnShow = [this](TObject*) { FLog->push_back("show"); };
        OnClose = [this](TObject*, TCloseAction& A) { FLog->push_back("close " + std::to_string(int(A))); };
        OnCloseQuery = [this](TObject*, bool& CanClose) {
            FLog->push_back("closequery");
            CanClose = AllowClose;
        };
    }
    TProbe* Answer;
    bool AllowClose = true;

private:
    Strings* FLog;
};

}  // namespace

TEST_F(WindowTest, AModalFormIsAnsweredByTheScript) {
    TScriptedDialogs dialogs;
    auto* ask = new TAskForm(Form, &Log);
    ask->SetName("AskForm");

    // Answered at once: the form is not shown.
    dialogs.AnswerForm(mrCancel);
    EXPECT_EQ(ask->ShowModal(), mrCancel);
    EXPECT_TRUE(Log.empty());

    // Answered by acting on the shown form: the form runs its modal loop.
    dialogs.AnswerForm(mrOk, [&](TCustomForm* f) {
        EXPECT_TRUE(f->GetVisible());
        EXPECT_TRUE(IsModalForm(f));
        EXPECT_EQ(Screen->GetActiveCustomForm(), f);
        // The user types in the form; the script's result then closes it.
        uitest::PressKey(static_cast<TAskForm*>(f)->Answer, 'Y');
    });
    EXPECT_EQ(ask->ShowModal(), mrOk);
    EXPECT_FALSE(ask->GetVisible());
    EXPECT_EQ(Log, (Strings{"show", "answer:enter", "answer:setfocus", "answer:down 89", "answer:char 121",
                            "answer:up 89", "closequery", "close 1", "answer:killfocus"}));

    ASSERT_EQ(dialogs.Requests().size(), 2u);
    EXPECT_EQ(dialogs.Requests()[1].Kind, dkForm);
    EXPECT_EQ(dialogs.Requests()[1].DialogClass, "TAskForm");
    EXPECT_EQ(dialogs.Requests()[1].DialogName, "AskForm");
    EXPECT_EQ(dialogs.Requests()[1].Caption, "Ask");

    // A form that refuses to close stays in its loop until it agrees.
    Log.clear();
    ask->AllowClose = false;
    dialogs.AnswerForm(mrOk, [&](TCustomForm* f) {
        f->SetModalResult(mrYes);
        TTimer* t = new TTimer(f);
        t->SetInterval(20);
        t->OnTimer = [ask, t](TObject*) {
            ask->AllowClose = true;
            ask->SetModalResult(mrNo);
            t->SetEnabled(false);
        };
    });
    EXPECT_EQ(ask->ShowModal(), mrNo);
    EXPECT_GE(std::count(Log.begin(), Log.end(), "closequery"), 2);

    // A visible form cannot be made modal.
    ask->Show();
    EXPECT_THROW(ask->ShowModal(), EInvalidOperation);
}

TEST_F(WindowTest, MessageBoxesAndBeepsAreRecordedByTheScript) {
    TScriptedDialogs dialogs;
    dialogs.Answer(mrYes).Answer(mrCancel).Answer(mrOk, "typed");
    EXPECT_EQ(MessageDlg("Delete the file?", mtConfirmation, {mbYes, mbNo}, 12), mrYes);
    EXPECT_EQ(MessageBox(nullptr, "Stop?", "Lumora", MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);
    std::string value = "old";
    EXPECT_TRUE(InputQuery("Rename", "New name:", value));
    EXPECT_EQ(value, "typed");
    MessageBeep(48);
    Beep();

    const auto& r = dialogs.Requests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].Caption, "Confirm");
    EXPECT_EQ(r[0].Text, "Delete the file?");
    EXPECT_EQ(r[0].Buttons, (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_EQ(r[0].HelpContext, 12);
    EXPECT_EQ(r[1].DlgType, mtConfirmation);
    EXPECT_EQ(r[1].Caption, "Lumora");
    EXPECT_EQ(r[2].Kind, dkInput);
    EXPECT_EQ(r[2].Value, "old");
    EXPECT_EQ(dialogs.BeepTypes(), (std::vector<UINT>{48, 0}));
    // With no answer left the dialog fails the test.
    EXPECT_THROW(ShowMessage("unexpected"), EInvalidOperation);
}

// ---- Closing ---------------------------------------------------------------------------------

TEST_F(WindowTest, CloseAsksAndThenHidesFreesOrDoesNothing) {
    struct Case {
        bool CanClose;
        TCloseAction Action;
        bool Visible;
        bool Freed;
    };
    const Case cases[] = {
        {false, caHide, true, false},
        {true, caNone, true, false},
        {true, caHide, false, false},
        {true, caFree, true, true},  // freed once the pending messages are handled
        {true, caMinimize, true, false},
    };
    for (const Case& c : cases) {
        auto* f = new TForm(nullptr);
        bool destroyed = false;
        f->OnDestroy = [&](TObject*) { destroyed = true; };
        f->OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = c.CanClose; };
        f->OnClose = [&](TObject*, TCloseAction& A) { A = c.Action; };
        uitest::ShowForm(f);
        f->Close();
        if (!destroyed) {
            EXPECT_EQ(f->GetVisible(), c.Visible) << int(c.Action);
        }
        uitest::ProcessEvents();  // Release frees once the pending messages are handled
        EXPECT_EQ(destroyed, c.Freed) << int(c.Action);
        if (c.Action == caMinimize) {
            EXPECT_EQ(f->GetWindowState(), wsMinimized);
        }
        if (!destroyed) f->Free();
    }
}

// ---- Application -----------------------------------------------------------------------------

TEST(Application, IdleWithDoneFalseRunsAgainBeforeWaiting) {
    uitest::Start();
    uitest::ProcessEvents();
    using Clock = std::chrono::steady_clock;
    // A timer far away is the next message.
    TTimer wake(nullptr);
    wake.SetInterval(300);
    int woken = 0;
    wake.OnTimer = [&](TObject*) { ++woken; };
    struct Call {
        Clock::time_point At;
        int Woken;
    };
    std::vector<Call> calls;
    Application->OnIdle = [&](TObject*, bool& Done) {
        calls.push_back({Clock::now(), woken});
        Done = calls.size() >= 3;
    };
    Clock::time_point start = Clock::now();
    while (calls.size() < 4 && Clock::now() - start < std::chrono::seconds(5)) Application->HandleMessage();
    Application->OnIdle = nullptr;
    ASSERT_EQ(calls.size(), 4u);
    // Done false: the next turn runs at once, before any waiting.
    EXPECT_EQ(calls[2].Woken, 0);
    EXPECT_LT(calls[2].At - start, std::chrono::milliseconds(250));
    // Done true: the loop waits for the next message before idling again.
    EXPECT_EQ(calls[3].Woken, 1);
    EXPECT_GE(calls[3].At - start, std::chrono::milliseconds(280));
}

TEST(Application, ExceptionsInEventsAreReportedNotThrown) {
    uitest::Start();
    std::vector<std::string> reported;
    Application->OnException = [&](TObject* Sender, Exception& E) { reported.push_back(E.Message); };
    auto* f = new TForm(nullptr);
    auto* p = new TProbe(f);
    p->SetParent(f);
    p->SetBounds(0, 0, 50, 50);
    p->OnClick = [](TObject*) { throw EConvertError("bad value"); };
    p->OnMouseDown = [](TObject*, TMouseButton, TShiftState, Integer, Integer) { throw EAbort("silent"); };
    uitest::ShowForm(f);
    uitest::Click(p, 5, 5);
    EXPECT_EQ(reported, (std::vector<std::string>{"bad value"}));
    // Posted messages and timers are guarded too.
    p->WindowProcHook = [](TMessage& M) {
        if (M.Msg == WM_APP + 5) throw Exception("posted");
        if (M.Msg == WM_TIMER) throw Exception("timer");
        return false;
    };
    PostMessage(p, WM_APP + 5, 0, 0);
    SetTimer(p, 1, 5);
    uitest::WaitUntil([&] { return reported.size() >= 3; });
    KillTimer(p, 1);
    EXPECT_EQ(reported[1], "posted");
    EXPECT_EQ(reported[2], "timer");
    Application->OnException = nullptr;
    f->Free();
}

TEST(ApplicationDeathTest, RunShowsTheMainFormAndEndsWhenItCloses) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Run ends the process's message loop for good: it runs in a child process.
    EXPECT_EXIT(
        {
            uitest::Start();
            TForm* main = nullptr;
            TForm* second = nullptr;
            Application->CreateForm(main);
            Application->CreateForm(second);
            bool shown = false;
            main->OnShow = [&](TObject*) { shown = true; };
            TTimer closer(nullptr);
            closer.SetInterval(20);
            closer.OnTimer = [&](TObject*) { main->Close(); };
            Application->Run();
            std::exit(Application->GetMainForm() == main && shown && !second->GetVisible() &&
                              Application->GetTerminated()
                          ? 0
                          : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(Application, HelpGoesToTheStandIn) {
    uitest::Start();
    Application->SetHelpFile("lumora.hlp");
    std::string file;
    Integer context = 0;
    TApplication::HelpHandler = [&](const std::string& f, Integer c) {
        file = f;
        context = c;
        return true;
    };
    EXPECT_TRUE(Application->HelpContext(137));
    EXPECT_EQ(file, "lumora.hlp");
    EXPECT_EQ(context, 137);
    EXPECT_EQ(Application->GetLastHelpContext(), 137);
    TApplication::HelpHandler = nullptr;
}

// ---- Screen ----------------------------------------------------------------------------------

TEST(ScreenForms, FormsAreKeptInActivationOrderHiddenOnesIncluded) {
    uitest::Start();
    auto* a = new TForm(nullptr);
    auto* b = new TForm(nullptr);
    auto* c = new TForm(nullptr);
    a->SetName("A");
    b->SetName("B");
    c->SetName("C");
    uitest::ShowForm(a);
    uitest::ShowForm(b);
    uitest::ShowForm(c);
    a->SetFocus();
    c->Hide();
    auto order = [] {
        std::string s;
        for (int i = 0; i < Screen->GetFormCount(); ++i)
            if (Screen->GetForm(i)->GetName().size() == 1) s += Screen->GetForm(i)->GetName();
        return s;
    };
    EXPECT_EQ(order(), "ACB");
    EXPECT_EQ(Screen->GetActiveForm(), a);
    EXPECT_TRUE(a->GetActive());
    EXPECT_FALSE(b->GetActive());
    b->Free();
    EXPECT_EQ(order(), "AC");
    c->Free();
    a->Free();
    EXPECT_GT(Screen->GetWidth(), 0);
    EXPECT_EQ(Screen->GetPixelsPerInch(), 96);
    EXPECT_GE(Screen->GetMonitorCount(), 1);
    TRect wa = Screen->GetWorkAreaRect();
    EXPECT_GT(wa.Width(), 0);
}

TEST_F(WindowTest, ActivationEventsAndShowingWithoutActivation) {
    Strings events;
    Form->OnActivate = [&](TObject*) { events.push_back("form activate"); };
    Form->OnDeactivate = [&](TObject*) { events.push_back("form deactivate"); };
    uitest::ShowForm(Form);
    auto* tool = new TForm(Form);
    tool->SetBorderStyle(bsToolWindow);
    tool->OnActivate = [&](TObject*) { events.push_back("tool activate"); };
    ShowWindow(tool, SW_SHOWNOACTIVATE);
    tool->SetVisible(true);
    uitest::ProcessEvents();
    EXPECT_EQ(Screen->GetActiveCustomForm(), Form);
    tool->SetFocus();
    EXPECT_EQ(events, (Strings{"form activate", "form deactivate", "tool activate"}));
}

// ---- Popups ----------------------------------------------------------------------------------

TEST_F(WindowTest, NonActivatingPopupsKeepTheFocusAndReportOutsideClicks) {
    auto* editor = AddProbe("editor", {10, 10, 110, 30});
    uitest::ShowForm(Form);
    editor->SetFocus();
    auto* list = new TCustomPopupWindow(Form);
    list->SetOwnerWindow(Form);
    list->SetBounds(0, 0, 120, 80);
    std::vector<TPoint> outside;
    list->OnOutsideClick = [&](TObject*, TPoint P) { outside.push_back(P); };
    int listClicks = 0;
    list->OnClick = [&](TObject*) { ++listClicks; };
    TPoint below = editor->ClientToScreen({0, 20});
    list->Popup(below);
    uitest::ProcessEvents();
    EXPECT_TRUE(list->IsPoppedUp());
    EXPECT_EQ(GetFocus(), editor);
    EXPECT_EQ(Screen->GetActiveCustomForm(), Form);

    uitest::Click(list, 5, 5);  // inside: no activation, no report
    EXPECT_EQ(listClicks, 1);
    EXPECT_EQ(GetFocus(), editor);
    EXPECT_TRUE(outside.empty());

    uitest::Click(Form, 300, 200);
    ASSERT_EQ(outside.size(), 1u);
    EXPECT_EQ(outside[0], Form->ClientToScreen({300, 200}));
    list->ClosePopup();
    EXPECT_FALSE(list->IsPoppedUp());
}

TEST_F(WindowTest, ActivatingPopupsTakeTheKeyboardAndHearWhenTheyLoseIt) {
    auto* editor = AddProbe("editor", {10, 10, 110, 30});
    uitest::ShowForm(Form);
    editor->SetFocus();
    auto* calendar = new TCustomPopupWindow(Form);
    calendar->SetActivating(true);
    calendar->SetOwnerWindow(Form);
    calendar->SetBounds(0, 0, 150, 120);
    Strings keys;
    calendar->OnKeyDown = [&](TObject*, Word& Key, TShiftState) { keys.push_back(std::to_string(Key)); };
    bool deactivated = false;
    calendar->OnDeactivate = [&](TObject*) {
        deactivated = true;
        calendar->ClosePopup();
    };
    calendar->Popup({200, 200});
    EXPECT_EQ(GetFocus(), calendar);
    uitest::PressKeyOnFocus(VK_RIGHT);
    EXPECT_EQ(keys, (Strings{"39"}));
    Form->SetFocus();
    EXPECT_TRUE(deactivated);
    EXPECT_FALSE(calendar->IsPoppedUp());
    EXPECT_EQ(GetFocus(), editor);
}

// ---- Timers ----------------------------------------------------------------------------------

TEST(Timers, IntervalZeroNeverFiresAndWindowTimersSendWMTimer) {
    uitest::Start();
    TTimer zero(nullptr), ten(nullptr);
    zero.SetInterval(0);
    ten.SetInterval(10);
    int zeroFired = 0, tenFired = 0;
    zero.OnTimer = [&](TObject*) { ++zeroFired; };
    ten.OnTimer = [&](TObject*) {
        if (++tenFired == 3) ten.SetEnabled(false);
    };
    uitest::Wait(120);
    EXPECT_EQ(zeroFired, 0);
    EXPECT_EQ(tenFired, 3);

    auto* f = new TForm(nullptr);
    auto* p = new TProbe(f);
    p->SetParent(f);
    std::vector<WPARAM> ids;
    p->WindowProcHook = [&](TMessage& M) {
        if (M.Msg == WM_TIMER) {
            ids.push_back(M.WParam);
            KillTimer(p, M.WParam);  // one-shot
            return true;
        }
        return false;
    };
    EXPECT_EQ(SetTimer(p, 7, 5), 7u);
    EXPECT_EQ(SetTimer(p, 9, 15), 9u);
    uitest::Wait(80);
    EXPECT_EQ(ids, (std::vector<WPARAM>{7, 9}));
    EXPECT_FALSE(KillTimer(p, 7));
    SetTimer(p, 11, 5);
    f->Free();  // the window's timers go with it
    uitest::Wait(30);
}

// ---- The whole screen ------------------------------------------------------------------------

TEST_F(WindowTest, TheScreenCaptureStacksTheShownWindows) {
    Form->SetColor(clRed);
    uitest::ShowForm(Form);
    auto* over = new TForm(Form);
    over->SetColor(clBlue);
    over->SetBounds(300, 250, 200, 150);
    uitest::ShowForm(over);
    auto* onTop = new TForm(Form);
    onTop->SetFormStyle(fsStayOnTop);
    onTop->SetBorderStyle(bsNone);
    onTop->SetColor(clLime);
    onTop->SetBounds(480, 380, 40, 40);
    ShowWindow(onTop, SW_SHOWNOACTIVATE);
    onTop->SetVisible(true);
    uitest::ProcessEvents();

    // A client point of each form, and one where the blue form covers the red one.
    TPoint red = Form->ClientToScreen({20, 20}), covered = over->ClientToScreen({5, 5});
    TPoint lime = onTop->ClientToScreen({2, 2});
    TRect frame, redFrame;
    GetWindowRect(over, frame);
    GetWindowRect(Form, redFrame);
    uitest::TCapture screen = uitest::CaptureScreen();
    EXPECT_EQ(screen.Pixel(red.X, red.Y), clRed);
    EXPECT_EQ(screen.Pixel(covered.X, covered.Y), clBlue);
    EXPECT_EQ(screen.Pixel(lime.X, lime.Y), clLime);
    // The captions of the active form and of the other, and the desktop around the windows.
    EXPECT_EQ(screen.Pixel(frame.Left + 3, frame.Top + 3), TColor(ColorToRGB(clActiveCaption)));
    EXPECT_EQ(screen.Pixel(redFrame.Left + 3, redFrame.Top + 3), TColor(ColorToRGB(clInactiveCaption)));
    EXPECT_EQ(screen.Pixel(2, screen.Height - 2), TColor(ColorToRGB(clBackground)));

    // Activating the red form brings it over the blue one; the stay-on-top form stays above both.
    Form->SetFocus();
    uitest::ProcessEvents();
    screen = uitest::CaptureScreen();
    EXPECT_EQ(screen.Pixel(covered.X, covered.Y), clRed);
    EXPECT_EQ(screen.Pixel(lime.X, lime.Y), clLime);
    EXPECT_EQ(screen.Pixel(redFrame.Left + 3, redFrame.Top + 3), TColor(ColorToRGB(clActiveCaption)));
}

// ---- Size limits of top-level windows --------------------------------------------------------

namespace {

// A form that answers WM_GETMINMAXINFO with fixed tracking limits.
class TLimitedForm : public TForm {
    LUMORA_CLASS(TLimitedForm, TForm)
public:
    using TForm::TForm;
    TPoint MinTrack{200, 150};
    TPoint MaxTrack{400, 300};

    void Dispatch(TMessage& M) override {
        TForm::Dispatch(M);
        if (M.Msg != WM_GETMINMAXINFO) return;
        auto* info = reinterpret_cast<TMinMaxInfo*>(M.LParam);
        info->ptMinTrackSize = MinTrack;
        info->ptMaxTrackSize = MaxTrack;
    }
};

}  // namespace

TEST(WindowSizeLimits, TheUserSizesAWindowWithinWhatItAnswers) {
    uitest::Start();
    auto* f = new TLimitedForm(nullptr);
    f->SetBounds(20, 20, 300, 250);
    uitest::ShowForm(f);
    struct Case {
        Integer W, H, WantW, WantH;
    };
    for (Case c : {Case{100, 100, 200, 150}, Case{1000, 900, 400, 300}, Case{320, 260, 320, 260}}) {
        uitest::SizeWindowAsUser(f, c.W, c.H);
        EXPECT_EQ(f->GetWidth(), c.WantW) << c.W << "x" << c.H;
        EXPECT_EQ(f->GetHeight(), c.WantH) << c.W << "x" << c.H;
    }
    // The program's own sizes are kept even outside the limits.
    f->SetBounds(20, 20, 120, 90);
    uitest::ProcessEvents();
    EXPECT_EQ(f->GetWidth(), 120);
    EXPECT_EQ(f->GetHeight(), 90);
    f->Free();
}

TEST(WindowSizeLimits, WithoutAnAnswerTheSystemsSmallestTrackingSizeHolds) {
    uitest::Start();
    auto* f = new TForm(nullptr);
    f->SetBounds(20, 20, 300, 250);
    uitest::ShowForm(f);
    uitest::SizeWindowAsUser(f, 30, 10);
    EXPECT_EQ(f->GetWidth(), GetSystemMetrics(SM_CXMINTRACK));
    EXPECT_EQ(f->GetHeight(), GetSystemMetrics(SM_CYMINTRACK));
    f->Free();
}
