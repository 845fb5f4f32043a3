// Hook registrations shared by the toolbar components.

#include "components/thread_hooks.h"

#include "framework/tests/window_fixture.h"
#include "framework/window_hooks.h"

namespace {

using Strings = std::vector<std::string>;
Strings gCalls;

void ButtonCallback(THookProcCode Code, HWND, WPARAM, LPARAM) { gCalls.push_back("button " + std::to_string(Code)); }
void ToolWindowCallback(THookProcCode Code, HWND, WPARAM, LPARAM) { gCalls.push_back("bar " + std::to_string(Code)); }
void RaisingCallback(THookProcCode Code, HWND, WPARAM, LPARAM) {
    gCalls.push_back("raising " + std::to_string(Code));
    throw Exception("callback failed");
}
void NeverRegistered(THookProcCode, HWND, WPARAM, LPARAM) {}

struct Counts {
    Integer Sent, Destroy, Taken;
    bool operator==(const Counts&) const = default;
};

Counts Now() { return {HookInstallCount(0), HookInstallCount(1), HookInstallCount(2)}; }

class ThreadHooksTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        gCalls.clear();
    }
};

}  // namespace

TEST_F(ThreadHooksTest, HookTypesAreInstalledWhileARegistrationNeedsThem) {
    struct Step {
        const char* What;
        std::function<void()> Do;
        Counts Want;
    };
    const Step steps[] = {
        {"first button", [] { RegisterHookCallback(ButtonCallback, {hpSendActivateApp, hpGetMessageMouseMove}); }, {1, 0, 1}},
        {"first tool window",
         [] { RegisterHookCallback(ToolWindowCallback, {hpSendActivateApp, hpSendWindowPosChanged, hpPreDestroy}); },
         {2, 1, 1}},
        {"second button", [] { RegisterHookCallback(ButtonCallback, {hpSendActivateApp, hpGetMessageMouseMove}); }, {3, 1, 2}},
        {"design time", [] { RegisterHookCallback(ToolWindowCallback, {hpSendActivateApp}, true); }, {3, 1, 2}},
        {"unknown callback", [] { UnregisterHookCallback(NeverRegistered); }, {3, 1, 2}},
        {"one button goes", [] { UnregisterHookCallback(ButtonCallback); }, {2, 1, 1}},
        {"last button goes", [] { UnregisterHookCallback(ButtonCallback); }, {1, 1, 0}},
        {"button again", [] { UnregisterHookCallback(ButtonCallback); }, {1, 1, 0}},
        {"design-time registration goes", [] { UnregisterHookCallback(ToolWindowCallback); }, {0, 0, 0}},
        {"last tool window goes", [] { UnregisterHookCallback(ToolWindowCallback); }, {0, 0, 0}},
    };
    for (const Step& s : steps) {
        s.Do();
        EXPECT_EQ(Now(), s.Want) << s.What;
        EXPECT_EQ(lumora_detail::AnyWindowHook(WH_CALLWNDPROC), s.Want.Sent > 0) << s.What;
        EXPECT_EQ(lumora_detail::AnyWindowHook(WH_CBT), s.Want.Destroy > 0) << s.What;
        EXPECT_EQ(lumora_detail::AnyWindowHook(WH_GETMESSAGE), s.Want.Taken > 0) << s.What;
    }
}

TEST_F(ThreadHooksTest, EveryRecordIsCalledOnceAndARaisingOneIsPassedOver) {
    uitest::ShowForm(Form);
    auto* p = AddProbe("p", {0, 0, 40, 40});
    RegisterHookCallback(RaisingCallback, {hpSendActivateApp, hpPreDestroy});
    RegisterHookCallback(ToolWindowCallback, {hpSendActivateApp, hpSendWindowPosChanged, hpPreDestroy});
    RegisterHookCallback(ToolWindowCallback, {hpSendActivateApp, hpSendWindowPosChanged, hpPreDestroy});
    RegisterHookCallback(ButtonCallback, {hpSendActivateApp, hpGetMessageMouseMove});

    SendMessage(Form, WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(gCalls, (Strings{"raising 0", "bar 0", "button 0"}));

    gCalls.clear();
    uitest::MouseMove(p, 3, 3);
    EXPECT_EQ(gCalls, (Strings{"button 3"}));

    // Two tool windows share one record: the destroyed window is reported once to it.
    gCalls.clear();
    p->Free();
    EXPECT_EQ(gCalls, (Strings{"raising 2", "bar 2"}));

    for (auto cb : {RaisingCallback, ToolWindowCallback, ToolWindowCallback, ButtonCallback}) UnregisterHookCallback(cb);
    EXPECT_EQ(Now(), (Counts{0, 0, 0}));
}
