// The tool-window base: its frame on a dock, the switch between docks, placement on screen.

#include "components/tool_window.h"

#include "components/tests/dock_fixture.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"

using ToolWindowTest = DockFixture;

TEST_F(ToolWindowTest, ADockedBarsClientAreaLeavesTheFrameAndTheDragHandle) {
    struct Case {
        TDockPosition Position;
        bool AllowDrag;
        TDragHandleStyle Style;
        bool CloseButton;
        TRect Client;  // in window coordinates
    };
    const Case cases[] = {
        {dpTop, true, dhDouble, false, {2 + 9, 2, 100 - 2, 30 - 2}},
        {dpTop, true, dhSingle, false, {2 + 6, 2, 98, 28}},
        {dpTop, true, dhNone, false, {2, 2, 98, 28}},
        {dpTop, true, dhNone, true, {2 + 14, 2, 98, 28}},
        {dpTop, false, dhDouble, true, {2, 2, 98, 28}},
        {dpLeft, true, dhDouble, false, {2, 2 + 9, 28, 98}},
    };
    for (const Case& c : cases) {
        TDockX* dock = AddDock(c.Position);
        dock->SetAllowDrag(c.AllowDrag);
        auto* bar = new TCustomToolWindowX(Form);
        bar->SetDragHandleStyle(c.Style);
        bar->SetCloseButtonWhenDocked(c.CloseButton);
        bool vertical = c.Position == dpLeft;
        bar->SetBounds(0, 0, vertical ? 30 : 100, vertical ? 100 : 30);
        bar->SetParent(dock);
        TPoint origin = bar->ClientToParent({0, 0}, dock);
        TRect client = bar->GetClientRect();
        TRect inWindow{origin.X - bar->GetLeft(), origin.Y - bar->GetTop(), origin.X - bar->GetLeft() + client.Right,
                       origin.Y - bar->GetTop() + client.Bottom};
        EXPECT_EQ(inWindow, c.Client) << "position " << c.Position << ", style " << c.Style << ", close "
                                      << c.CloseButton;
        bar->Free();
        dock->Free();
    }
}

TEST_F(ToolWindowTest, MovingBetweenDocksFiresTheSwitchEventsInOrder) {
    uitest::ShowForm(Form);
    TDockX* top = AddDock(dpTop);
    TDockX* left = AddDock(dpLeft);
    auto* bar = new TCustomToolWindowX(Form);
    bar->SetBounds(0, 0, 80, 24);
    bar->SetParent(top);
    std::vector<std::string> log;
    auto note = [&](const char* s) { return [&log, s](TObject*) { log.push_back(s); }; };
    bar->OnDockChanging = note("changing");
    bar->OnDockChangingEx = [&](TObject*, TDockX* To) {
        log.push_back(To == left ? "changing-ex left" : "changing-ex ?");
    };
    bar->OnRecreating = note("recreating");
    bar->OnDockChangingHidden = [&](TObject*, TDockX* To) { log.push_back(To == left ? "hidden left" : "hidden ?"); };
    bar->OnRecreated = note("recreated");
    bar->OnDockChanged = note("changed");
    bar->SetParent(left);
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "changing-ex left", "recreating", "hidden left", "recreated",
                                             "changed"}));
    EXPECT_EQ(bar->GetDockedTo(), left);
    EXPECT_TRUE(top->GetBars().empty());
    ASSERT_EQ(left->GetBars().size(), 1u);
    EXPECT_EQ(top->GetHeight(), 0);
    // The base keeps its size (a toolbar lays itself out for the new orientation).
    EXPECT_EQ(left->GetWidth(), bar->GetWidth());
}

TEST(ToolWindowPlacement, OnlyARectangleWhollyOutsideIsMovedBack) {
    const TRect work{0, 0, 1000, 700};
    struct Case {
        TRect R;
        bool OnlyIfFullyOffscreen;
        TRect Want;
    };
    const Case cases[] = {
        {Bounds(-2000, 100, 100, 50), true, Bounds(0, 100, 100, 50)},
        {Bounds(990, 100, 100, 50), true, Bounds(990, 100, 100, 50)},
        {Bounds(990, 100, 100, 50), false, Bounds(900, 100, 100, 50)},
        {Bounds(1200, 800, 100, 50), true, Bounds(900, 650, 100, 50)},
        // Larger than the work area: the left and top edges win.
        {Bounds(-50, -50, 1200, 900), false, Bounds(0, 0, 1200, 900)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MoveRectOnScreen(c.R, work, c.OnlyIfFullyOffscreen), c.Want)
            << c.R.Left << "," << c.R.Top << " only " << c.OnlyIfFullyOffscreen;
}

// ---- Floating bars ---------------------------------------------------------------------------

namespace {

class FloatingTest : public ToolWindowTest {
protected:
    TCustomToolWindowX* Bar = nullptr;
    void SetUp() override {
        ToolWindowTest::SetUp();
        uitest::ShowForm(Form);
        Bar = new TCustomToolWindowX(Form);
        Bar->SetCaption("Tools");
        Bar->SetBounds(0, 0, 120, 60);
        Bar->SetFloatingPosition({300, 200});
        Bar->SetParent(Form);
        uitest::ProcessEvents();
    }
    bool Shown() { return IsWindowVisible(Bar); }
};

}  // namespace

TEST_F(FloatingTest, AFloatingBarIsAFramedWindowOfItsHiddenHost) {
    ASSERT_TRUE(Bar->GetFloating());
    auto* host = dynamic_cast<TFloatingWindowParent*>(Bar->GetParent());
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->GetParentForm(), Form);
    EXPECT_EQ(host->GetName().rfind("DockBarsFloatingWindowParent_", 0), 0u);
    EXPECT_EQ(host->GetName().size(), std::string("DockBarsFloatingWindowParent_").size() + 8);
    EXPECT_EQ(host->GetBoundsRect(), TRect{});
    EXPECT_FALSE(IsWindowVisible(host));
    EXPECT_EQ(GetWindowLong(Bar, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(Bar->GetBoundsRect(), Bounds(300, 200, 120, 60));
    Integer fx = GetSystemMetrics(SM_CXFIXEDFRAME), fy = GetSystemMetrics(SM_CYFIXEDFRAME);
    EXPECT_EQ(Bar->GetClientRect(), Rect(0, 0, 120 - 2 * fx, 60 - 2 * fy - GetSystemMetrics(SM_CYSMCAPTION)));

    // Clicking it leaves the activation with the form.
    uitest::Click(Bar, 5, 5);
    EXPECT_EQ(Screen->GetActiveCustomForm(), Form);
    EXPECT_NE(lumora_detail::ActiveTopLevel(), Bar);

    // Docked again, the host goes.
    TDockX* dock = AddDock(dpTop);
    Bar->SetParent(dock);
    EXPECT_FALSE(Bar->GetFloating());
    EXPECT_EQ(Bar->GetDockedTo(), dock);
    EXPECT_EQ(Screen->GetCustomFormCount(), 1);
}

TEST_F(FloatingTest, ABarThatHidesWhenInactiveComesBackWithTheActivation) {
    ASSERT_TRUE(Shown());
    uitest::DeactivateProgram();
    EXPECT_FALSE(Shown());
    uitest::Click(Form, 10, 10);
    EXPECT_TRUE(Application->GetActive());
    EXPECT_TRUE(Shown());

    Bar->SetHideWhenInactive(false);
    uitest::DeactivateProgram();
    EXPECT_TRUE(Shown());
    EXPECT_TRUE(Bar->GetInactiveCaption());
    uitest::Click(Form, 10, 10);
    EXPECT_FALSE(Bar->GetInactiveCaption());
}

TEST_F(FloatingTest, ABarOnTopOfItsFormHidesWhileTheFormIsMinimised) {
    Form->SetWindowState(wsMinimized);
    uitest::ProcessEvents();
    EXPECT_FALSE(Shown());
    Form->SetWindowState(wsNormal);
    uitest::ProcessEvents();
    EXPECT_TRUE(Shown());
    Form->Hide();
    EXPECT_FALSE(Shown());
}

TEST_F(FloatingTest, EscapeInTheBarFocusesTheFormAndCloseRequestsGoToIt) {
    auto* edit = new TProbe(Form);
    auto* other = AddProbe("other", {10, 10, 50, 30});
    Form->SetActiveControl(other);
    edit->SetParent(Bar);
    edit->SetBounds(2, 2, 40, 20);
    edit->SetFocus();
    ASSERT_EQ(GetFocus(), edit);
    uitest::PressKey(edit, VK_ESCAPE);
    EXPECT_EQ(GetFocus(), other);

    Bar->Perform(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(Bar->GetVisible());
    uitest::ProcessEvents();
    EXPECT_FALSE(Form->GetVisible());
}

TEST_F(FloatingTest, MovedOnScreenOnlyWhenWhollyOutside) {
    TRect work = WorkAreaOfRect(Bar->GetBoundsRect());
    Bar->SetFloatingPosition({work.Right - 20, 200});
    Bar->MoveOnScreen(true);
    EXPECT_EQ(Bar->GetLeft(), work.Right - 20);
    Bar->SetFloatingPosition({work.Left - 2000, 200});
    Bar->MoveOnScreen(true);
    EXPECT_EQ(Bar->GetBoundsRect(), Bounds(work.Left, 200, 120, 60));
    EXPECT_EQ(Bar->GetFloatingPosition(), TPoint(work.Left, 200));
}
