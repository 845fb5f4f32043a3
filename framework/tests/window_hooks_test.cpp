// Thread-wide window hooks and the messages the framework sends to top-level windows.

#include "framework/window_hooks.h"

#include "framework/tests/window_fixture.h"

namespace {

using Strings = std::vector<std::string>;

Strings gSeen;
HHOOK gFirst = nullptr;
HHOOK gSecond = nullptr;
HHOOK gCbt = nullptr;
HHOOK gGet = nullptr;
HWND gWatched = nullptr;

LRESULT FirstProc(Integer Code, WPARAM W, LPARAM L) {
    auto* cwp = reinterpret_cast<TCWPStruct*>(L);
    if (cwp->hwnd == gWatched) gSeen.push_back("first " + std::to_string(cwp->message));
    return CallNextHookEx(gFirst, Code, W, L);
}

LRESULT SecondProc(Integer Code, WPARAM W, LPARAM L) {
    auto* cwp = reinterpret_cast<TCWPStruct*>(L);
    if (cwp->hwnd == gWatched) {
        gSeen.push_back("second " + std::to_string(cwp->message));
        if (cwp->message == WM_WINDOWPOSCHANGED) {
            auto* pos = reinterpret_cast<TWindowPos*>(cwp->lParam);
            UINT f = pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED);
            gSeen.back() += f == SWP_SHOWWINDOW     ? " show"
                            : f == SWP_HIDEWINDOW   ? " hide"
                            : f == SWP_FRAMECHANGED ? " frame"
                                                    : " ?";
        }
        if (cwp->message == WM_ACTIVATEAPP) gSeen.back() += cwp->wParam ? " active" : " inactive";
    }
    return CallNextHookEx(gSecond, Code, W, L);
}

LRESULT CbtProc(Integer Code, WPARAM W, LPARAM L) {
    if (Code == HCBT_DESTROYWND && reinterpret_cast<HWND>(W) == gWatched) gSeen.push_back("destroy");
    return CallNextHookEx(gCbt, Code, W, L);
}

LRESULT GetProc(Integer Code, WPARAM W, LPARAM L) {
    auto* m = reinterpret_cast<TMsg*>(L);
    if (m->hwnd == gWatched && (m->message == WM_APP + 7 || m->message == WM_MOUSEMOVE))
        gSeen.push_back("get " + std::to_string(m->message));
    return CallNextHookEx(gGet, Code, W, L);
}

class WindowHooksTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        gSeen.clear();
    }
    void TearDown() override {
        for (HHOOK* h : {&gFirst, &gSecond, &gCbt, &gGet}) {
            if (*h) UnhookWindowsHookEx(*h);
            *h = nullptr;
        }
        gWatched = nullptr;
        WindowTest::TearDown();
    }
};

}  // namespace

TEST_F(WindowHooksTest, HooksChainNewestFirstAndGoWhenUnhooked) {
    EXPECT_EQ(SetWindowsHookEx(99, FirstProc, nullptr, 0), nullptr);
    EXPECT_EQ(SetWindowsHookEx(WH_CALLWNDPROC, nullptr, nullptr, 0), nullptr);
    EXPECT_FALSE(lumora_detail::AnyWindowHook(WH_CALLWNDPROC));
    gFirst = SetWindowsHookEx(WH_CALLWNDPROC, FirstProc, nullptr, 0);
    gSecond = SetWindowsHookEx(WH_CALLWNDPROC, SecondProc, nullptr, 0);
    auto* p = AddProbe("p", {0, 0, 20, 20});
    gWatched = p;
    SendMessage(p, WM_APP + 1, 0, 0);
    // Perform is a call, not a message sent through the system: no hook sees it.
    p->Perform(WM_APP + 2, 0, 0);
    EXPECT_EQ(gSeen, (Strings{"second " + std::to_string(WM_APP + 1), "first " + std::to_string(WM_APP + 1)}));

    gSeen.clear();
    EXPECT_TRUE(UnhookWindowsHookEx(gSecond));
    EXPECT_FALSE(UnhookWindowsHookEx(gSecond));
    gSecond = nullptr;
    SendMessage(p, WM_APP + 1, 0, 0);
    EXPECT_EQ(gSeen, (Strings{"first " + std::to_string(WM_APP + 1)}));
    EXPECT_EQ(CallNextHookEx(gFirst, HC_ACTION, 0, 0), 0);
}

TEST_F(WindowHooksTest, DestroyedWindowsAndTakenMessagesReachTheirHooks) {
    gCbt = SetWindowsHookEx(WH_CBT, CbtProc, nullptr, 0);
    gGet = SetWindowsHookEx(WH_GETMESSAGE, GetProc, nullptr, 0);
    uitest::ShowForm(Form);
    auto* p = AddProbe("p", {0, 0, 50, 50});
    gWatched = p;
    PostMessage(p, WM_APP + 7, 0, 0);
    uitest::ProcessEvents();
    uitest::MouseMove(p, 5, 5);
    p->Free();
    EXPECT_EQ(gSeen, (Strings{"get " + std::to_string(WM_APP + 7), "get " + std::to_string(WM_MOUSEMOVE), "destroy"}));
}

TEST_F(WindowHooksTest, TopLevelWindowsReportShowingHidingStateAndActivation) {
    gSecond = SetWindowsHookEx(WH_CALLWNDPROC, SecondProc, nullptr, 0);
    gWatched = Form;
    uitest::DeactivateProgram();
    uitest::ShowForm(Form);
    Form->SetWindowState(wsMinimized);
    uitest::ProcessEvents();
    EXPECT_EQ(Form->GetWindowState(), wsMinimized);
    Form->SetWindowState(wsNormal);
    uitest::ProcessEvents();
    EXPECT_EQ(Form->GetWindowState(), wsNormal);
    uitest::DeactivateProgram();
    Form->Hide();
    const std::string pos = "second " + std::to_string(WM_WINDOWPOSCHANGED);
    const std::string app = "second " + std::to_string(WM_ACTIVATEAPP);
    // As on Windows, the activation comes before the position change that shows the window.
    Strings want{app + " active", pos + " show", pos + " frame", pos + " frame", app + " inactive", pos + " hide"};
    Strings got;
    for (const std::string& s : gSeen)
        if (s.rfind(pos, 0) == 0 || s.rfind(app, 0) == 0) got.push_back(s);
    EXPECT_EQ(got, want);
}
