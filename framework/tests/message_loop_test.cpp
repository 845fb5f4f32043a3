// A loop of the program's own: GetMessage takes posted, timer and input messages in turn without
// delivering them, DispatchMessage delivers them, WM_QUIT ends it.

#include <gtest/gtest.h>

#include "framework/message_loop.h"
#include "framework/tests/window_fixture.h"
#include "framework/timer.h"
#include "framework/window_backend.h"

namespace {

using MessageLoopTest = WindowTest;

TEST_F(MessageLoopTest, TakesEachMessageUndeliveredUntilDispatched) {
    uitest::ShowForm(Form);
    auto* p = AddProbe("p", {0, 0, 50, 50});
    std::vector<UINT> seen;
    p->WindowProcHook = [&](TMessage& M) {
        if (M.Msg == WM_TIMER || M.Msg >= WM_APP || M.Msg == WM_LBUTTONDOWN) seen.push_back(M.Msg);
        return false;
    };
    Integer onMessage = 0;
    Application->OnMessage = [&](TMsg&, bool&) { ++onMessage; };

    PostMessage(p, WM_APP + 1, 5, 6);
    PostMessage(p, WM_APP + 2, 0, 0);
    TMsg m;
    ASSERT_TRUE(GetMessage(m, nullptr, 0, 0));
    EXPECT_EQ(m.hwnd, p);
    EXPECT_EQ(m.message, WM_APP + 1);
    EXPECT_EQ(m.wParam, 5u);
    EXPECT_TRUE(seen.empty());
    DispatchMessage(m);
    EXPECT_EQ(seen, std::vector<UINT>{WM_APP + 1});
    ASSERT_TRUE(GetMessage(m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_APP + 2);

    // A timer's message arrives while it waits.
    SetTimer(p, 9, 1, nullptr);
    ASSERT_TRUE(GetMessage(m, nullptr, 0, 0));
    KillTimer(p, 9);
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(m.wParam, 9u);
    DispatchMessage(m);
    EXPECT_EQ(seen.back(), WM_TIMER);

    // So does input: the click reaches the control only when dispatched.
    lumora_backend::PostToLoop([p] { uitest::MouseDown(p, 3, 4); });
    do {
        ASSERT_TRUE(GetMessage(m, nullptr, 0, 0));
        EXPECT_TRUE(Log.empty());
        DispatchMessage(m);
    } while (m.message != WM_LBUTTONDOWN);
    EXPECT_EQ(Log, std::vector<std::string>{"p:mousedown 3,4"});

    PostQuitMessage(4);
    EXPECT_FALSE(GetMessage(m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 4u);
    EXPECT_EQ(onMessage, 0);  // the application's loop never saw them
    Application->OnMessage = nullptr;
    uitest::MouseUp(p, 3, 4);
}

// A loop that ends leaves what it did not take to the application's loop, in order, through the
// application's own paths.
TEST_F(MessageLoopTest, WhatAnEndedLoopDidNotTakeIsDeliveredByTheApplication) {
    uitest::ShowForm(Form);
    auto* p = AddProbe("p", {0, 0, 50, 50});
    std::vector<UINT> seen;
    p->WindowProcHook = [&](TMessage& M) {
        if (M.Msg >= WM_APP) seen.push_back(M.Msg);
        return false;
    };
    std::vector<UINT> onMessage;
    Application->OnMessage = [&](TMsg& M, bool&) { onMessage.push_back(M.message); };
    lumora_backend::PostToLoop([p] {
        uitest::MouseDown(p, 3, 4);
        uitest::MouseUp(p, 3, 4);
        PostMessage(p, WM_APP + 3, 0, 0);
    });
    TMsg m;
    do {
        ASSERT_TRUE(GetMessage(m, nullptr, 0, 0));
        DispatchMessage(m);
    } while (m.message != WM_LBUTTONDOWN);
    EXPECT_EQ(Log, std::vector<std::string>{"p:mousedown 3,4"});
    EXPECT_TRUE(onMessage.empty());

    Application->ProcessMessages();
    EXPECT_EQ(Log, (std::vector<std::string>{"p:mousedown 3,4", "p:capturechanged", "p:mouseup 3,4"}));
    EXPECT_EQ(seen, std::vector<UINT>{WM_APP + 3});
    EXPECT_EQ(onMessage, (std::vector<UINT>{WM_LBUTTONUP, WM_APP + 3}));
    Application->OnMessage = nullptr;
}

}  // namespace
