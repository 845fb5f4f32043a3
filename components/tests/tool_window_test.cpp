// The tool-window base: its frame on a dock, the switch between docks, placement on screen.

#include "components/tool_window.h"

#include "framework/tests/window_fixture.h"

namespace {

class ToolWindowTest : public WindowTest {
protected:
    TDockX* AddDock(TDockPosition P) {
        auto* d = new TDockX(Form);
        d->SetParent(Form);
        d->SetPosition(P);
        return d;
    }
};

}  // namespace

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
        EXPECT_EQ(inWindow, c.Client) << "position " << c.Position << ", style " << c.Style << ", close " << c.CloseButton;
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
    bar->OnDockChangingEx = [&](TObject*, TDockX* To) { log.push_back(To == left ? "changing-ex left" : "changing-ex ?"); };
    bar->OnRecreating = note("recreating");
    bar->OnDockChangingHidden = [&](TObject*, TDockX* To) { log.push_back(To == left ? "hidden left" : "hidden ?"); };
    bar->OnRecreated = note("recreated");
    bar->OnDockChanged = note("changed");
    bar->SetParent(left);
    EXPECT_EQ(log, (std::vector<std::string>{"changing", "changing-ex left", "recreating", "hidden left", "recreated", "changed"}));
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
