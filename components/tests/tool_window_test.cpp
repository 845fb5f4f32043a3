// The tool-window base: its frame on a dock, the switch between docks, placement on screen.

#include "components/tool_window.h"

#include "components/tests/dock_fixture.h"
#include "framework/testing/ui_test_windows.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"
#include "framework/window_hooks.h"

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

TEST_F(ToolWindowTest, ABarFloatedBeforeItsFormIsShownAppearsWithIt) {
    auto* bar = new TCustomToolWindowX(Form);
    bar->SetBounds(0, 0, 120, 60);
    bar->SetFloatingPosition({300, 200});
    bar->SetParent(Form);
    EXPECT_FALSE(IsWindowVisible(bar));
    uitest::ShowForm(Form);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_EQ(bar->GetBoundsRect(), Bounds(300, 200, 120, 60));
}

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

TEST_F(FloatingTest, TheFrameFollowsResizableAndShowCaption) {
    const Integer size = GetSystemMetrics(SM_CXSIZEFRAME), fixed = GetSystemMetrics(SM_CXFIXEDFRAME);
    const Integer caption = GetSystemMetrics(SM_CYSMCAPTION);
    struct Case {
        bool Resizable, ShowCaption;
        Integer Frame, Top;
    };
    const Case cases[] = {
        {true, true, size, size + caption},
        {false, true, fixed, fixed + caption},
        {false, false, fixed, fixed},
        {true, false, size, size},
    };
    for (const Case& c : cases) {
        Bar->SetResizable(c.Resizable);
        Bar->SetShowCaption(c.ShowCaption);
        uitest::ProcessEvents();
        // The bar keeps its size; the client area is what the frame leaves.
        EXPECT_EQ(Bar->GetBoundsRect(), Bounds(300, 200, 120, 60)) << c.Resizable << c.ShowCaption;
        EXPECT_EQ(Bar->GetClientRect(), Rect(0, 0, 120 - 2 * c.Frame, 60 - c.Top - c.Frame))
            << c.Resizable << c.ShowCaption;
        EXPECT_TRUE(Shown());
    }
}

TEST_F(FloatingTest, CloseButtonsAskThenHideAndAReleaseElsewhereDoesNothing) {
    std::vector<std::string> log;
    bool allow = false;
    auto listen = [&](TCustomToolWindowX* B) {
        B->OnCloseQuery = [&](TObject*, bool& CanClose) {
            log.push_back("query");
            CanClose = allow;
        };
        B->OnClose = [&](TObject*) { log.push_back("close"); };
    };
    // Held on the button and let go at Release (client coordinates).
    auto press = [&](TCustomToolWindowX* B, TPoint On, TPoint Release) {
        uitest::MouseDown(B, On.X, On.Y);
        uitest::MouseMove(B, Release.X, Release.Y);
        uitest::MouseUp(B, Release.X, Release.Y);
    };
    listen(Bar);
    // The caption's button is a square at its right end, above the client area.
    const Integer caption = GetSystemMetrics(SM_CYSMCAPTION);
    const TPoint onButton{Bar->GetClientWidth() - caption / 2, -caption / 2 - 1};
    press(Bar, onButton, {10, 10});
    EXPECT_TRUE(log.empty());
    press(Bar, onButton, onButton);
    EXPECT_EQ(log, (std::vector<std::string>{"query"}));
    EXPECT_TRUE(Shown());
    allow = true;
    press(Bar, onButton, onButton);
    EXPECT_EQ(log, (std::vector<std::string>{"query", "query", "close"}));
    EXPECT_FALSE(Bar->GetVisible());
    EXPECT_FALSE(Shown());

    // Without CloseButton a press there is a press on the caption.
    log.clear();
    Bar->SetVisible(true);
    Bar->SetCloseButton(false);
    press(Bar, onButton, onButton);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(Bar->GetVisible());

    // The docked close button sits in the drag handle at (3, 2), 11 pixels square.
    TDockX* top = AddDock(dpTop);
    auto* docked = new TCustomToolWindowX(Form);
    docked->SetCloseButtonWhenDocked(true);
    docked->SetBounds(0, 0, 100, 26);
    docked->SetParent(top);
    listen(docked);
    const TPoint inHandle{-2 - 14 + 8, 5};
    press(docked, {inHandle.X, 20}, {inHandle.X, 20});
    EXPECT_TRUE(log.empty());
    press(docked, inHandle, inHandle);
    EXPECT_EQ(log, (std::vector<std::string>{"query", "close"}));
    EXPECT_FALSE(docked->GetVisible());
    EXPECT_EQ(top->GetHeight(), 0);
}

TEST_F(FloatingTest, TheOwnerAndTheTopmostRuleFollowTheFloatingMode) {
    auto topmost = [&] { return (GetWindowLong(Bar, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    EXPECT_EQ(GetWindowOwner(Bar), Form);
    EXPECT_FALSE(topmost());
    Bar->SetFloatingMode(fmOnTopOfAllForms);
    EXPECT_EQ(GetWindowOwner(Bar), nullptr);
    EXPECT_TRUE(Shown());
    EXPECT_TRUE(topmost());
    Bar->SetEnabled(false);
    EXPECT_FALSE(topmost());
    Bar->SetEnabled(true);
    EXPECT_TRUE(topmost());
    // It does not go with its form.
    Form->SetWindowState(wsMinimized);
    uitest::ProcessEvents();
    EXPECT_TRUE(Shown());
    Form->SetWindowState(wsNormal);
    Bar->SetFloatingMode(fmOnTopOfParentForm);
    uitest::ProcessEvents();
    EXPECT_EQ(GetWindowOwner(Bar), Form);
    EXPECT_FALSE(topmost());
    EXPECT_TRUE(Shown());
}

namespace {

class TFrameCountingBar : public TCustomToolWindowX {
    LUMORA_CLASS(TFrameCountingBar, TCustomToolWindowX)
public:
    using TCustomToolWindowX::TCustomToolWindowX;
    int FramePaints = 0;

protected:
    void WMNCPaint(TMessage& Message) override {
        ++FramePaints;
        TCustomToolWindowX::WMNCPaint(Message);
    }
};

}  // namespace

TEST_F(ToolWindowTest, FrameRepaintsAskedTogetherArePaintedOnce) {
    uitest::ShowForm(Form);
    auto* bar = new TFrameCountingBar(Form);
    bar->SetBounds(0, 0, 120, 60);
    bar->SetFloatingPosition({300, 200});
    bar->SetParent(Form);
    uitest::ProcessEvents();
    ASSERT_GT(bar->FramePaints, 0);
    bar->FramePaints = 0;
    bar->SetCaption("One");
    bar->SetCaption("Two");
    bar->SetCloseButton(false);
    EXPECT_EQ(bar->FramePaints, 0);
    uitest::ProcessEvents();
    EXPECT_EQ(bar->FramePaints, 1);
}

TEST_F(ToolWindowTest, AFloatingBarKeepsItsRowOnItsLastDock) {
    uitest::ShowForm(Form);
    TDockX* top = AddDock(dpTop);
    TDockX* left = AddDock(dpLeft);
    TCustomToolWindowX* first = AddBar(top, 80, 24);
    TCustomToolWindowX* second = AddBar(top, 80, 24);
    second->SetDockRow(1);
    ASSERT_EQ(second->GetTop(), 24);

    // Floating, the first bar still holds row 0 (which takes no space) to come back to.
    first->SetDockedTo(nullptr);
    EXPECT_EQ(first->GetLastDock(), top);
    EXPECT_EQ(second->GetDockRow(), 1);
    EXPECT_EQ(second->GetTop(), 0);
    // Without UseLastDock it lets the place go, and the next arrangement closes the row.
    first->SetUseLastDock(false);
    EXPECT_EQ(first->GetLastDock(), nullptr);
    top->ArrangeDockedBars();
    EXPECT_EQ(second->GetDockRow(), 0);
    EXPECT_EQ(top->GetBars(), std::vector<TCustomToolWindowX*>{second});

    // Naming a last dock turns UseLastDock on; docking elsewhere makes that the last dock.
    first->SetLastDock(top);
    EXPECT_TRUE(first->GetUseLastDock());
    EXPECT_EQ(top->GetBars().size(), 2u);
    first->SetParent(left);
    EXPECT_EQ(first->GetLastDock(), left);
    EXPECT_EQ(top->GetBars(), std::vector<TCustomToolWindowX*>{second});

    // Docks that go are forgotten.
    first->SetDefaultDock(top);
    first->SetDockedTo(nullptr);
    top->Free();
    left->Free();
    EXPECT_EQ(first->GetLastDock(), nullptr);
    EXPECT_EQ(first->GetDefaultDock(), nullptr);
}

TEST_F(ToolWindowTest, DockedBarsShowTheDocksBackgroundLinedUp) {
    uitest::ShowForm(Form);
    TDockX* top = AddDock(dpTop);
    top->SetColor(clYellow);
    // Red rows over green rows; the bottom-left pixel is green.
    TBitmap tile;
    FillTile(tile, 2, clLime, {0, 0, 2, 1}, clRed);
    top->SetBackground(&tile);
    TCustomToolWindowX* bar = AddBar(top, 100, 26);
    bar->SetDockPos(20);
    ASSERT_EQ(bar->GetBoundsRect(), Bounds(20, 0, 100, 26));

    // Pixels of the bar's window: in the frame beside the drag handle and in the client area,
    // on an even and an odd row of the form.
    struct Case {
        const char* What;
        std::function<void()> Change;
        TColor Frame[2], Client[2];
    };
    const Case cases[] = {
        {"tiled", [] {}, {clRed, clLime}, {clRed, clLime}},
        {"transparent", [&] { top->SetBackgroundTransparent(true); }, {clRed, clYellow}, {clRed, clYellow}},
        {"not on bars", [&] { top->SetBackgroundOnToolbars(false); }, {clBtnFace, clBtnFace}, {clBtnFace, clBtnFace}},
    };
    for (const Case& c : cases) {
        c.Change();
        uitest::TCapture shot = uitest::Capture(bar);
        for (int odd = 0; odd < 2; ++odd) {
            EXPECT_EQ(shot.Pixel(1, 10 + odd), TColor(ColorToRGB(c.Frame[odd]))) << c.What << " frame " << odd;
            EXPECT_EQ(shot.Pixel(50, 10 + odd), TColor(ColorToRGB(c.Client[odd]))) << c.What << " client " << odd;
        }
        // The dock beside the bar shows the same tiles.
        uitest::TCapture dock = uitest::Capture(top);
        EXPECT_EQ(dock.Pixel(5, 11), TColor(ColorToRGB(c.Client[1] == clBtnFace ? clYellow : c.Client[1]))) << c.What;
    }
}

namespace {

// A bar whose class leaves its children where they are.
class TUnalignedBar : public TCustomToolWindowX {
    LUMORA_CLASS(TUnalignedBar, TCustomToolWindowX)
public:
    using TCustomToolWindowX::TCustomToolWindowX;

protected:
    void InitParams(TToolWindowParams& Params) override { Params.CallAlignControls = false; }
};

}  // namespace

TEST_F(ToolWindowTest, AClassChoosesWhetherChildrenAreAligned) {
    uitest::ShowForm(Form);
    TDockX* top = AddDock(dpTop);
    for (bool aligned : {true, false}) {
        TCustomToolWindowX* bar = aligned ? new TCustomToolWindowX(Form) : new TUnalignedBar(Form);
        bar->SetBounds(0, 0, 100, 30);
        bar->SetParent(top);
        auto* child = new TProbe(Form);
        child->SetBounds(3, 3, 10, 10);
        child->SetParent(bar);
        child->SetAlign(alClient);
        EXPECT_EQ(child->GetBoundsRect(), aligned ? bar->GetClientRect() : Bounds(3, 3, 10, 10)) << aligned;
        EXPECT_EQ(bar->GetVersion(), ToolbarXVersionText);
    }
}

TEST_F(ToolWindowTest, PrintingDrawsWhatTheScreenShows) {
    uitest::ShowForm(Form);
    TDockX* top = AddDock(dpTop);
    top->SetBoundLines({blTop, blBottom, blLeft, blRight});
    TBitmap tile;
    FillTile(tile, 3, clTeal, {1, 1, 2, 2}, clSilver);
    top->SetBackground(&tile);
    TCustomToolWindowX* bar = AddBar(top, 100, 26);
    bar->SetCloseButtonWhenDocked(true);
    bar->SetDockPos(20);
    TCustomToolWindowX* second = AddBar(top, 60, 26);
    second->SetDragHandleStyle(dhSingle);
    second->SetDockRow(1);
    uitest::ProcessEvents();

    auto print = [](TWinControl* W, LPARAM Flags, TBitmap& Into) {
        Into.SetSize(W->GetWidth(), W->GetHeight());
        Into.GetCanvas()->GetBrush()->SetColor(clFuchsia);
        Into.GetCanvas()->FillRect({0, 0, W->GetWidth(), W->GetHeight()});
        return W->Perform(WM_PRINT, reinterpret_cast<WPARAM>(Into.GetCanvas()), Flags);
    };
    for (TWinControl* w : {static_cast<TWinControl*>(top), static_cast<TWinControl*>(bar)}) {
        uitest::TCapture shown = uitest::Capture(w);
        TBitmap printed;
        EXPECT_EQ(print(w, PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN, printed), 1);
        int differ = 0;
        for (Integer y = 0; y < shown.Height; ++y)
            for (Integer x = 0; x < shown.Width; ++x)
                if (printed.GetCanvas()->GetPixels(x, y) != shown.Pixel(x, y)) ++differ;
        EXPECT_EQ(differ, 0) << (w == top ? "dock" : "bar");
    }
    // A hidden bar asked to check prints nothing.
    TBitmap alone;
    second->Hide();
    EXPECT_EQ(print(second, PRF_CHECKVISIBLE | PRF_NONCLIENT | PRF_CLIENT, alone), 0);
    EXPECT_EQ(alone.GetCanvas()->GetPixels(5, 5), clFuchsia);
}

TEST_F(FloatingTest, AFloatingBarTakesAnySizeWithinTheLargestWindow) {
    // Smaller than the system's smallest tracking size and larger than the screen.
    uitest::SizeWindowAsUser(Bar, 60, 26);
    EXPECT_EQ(Bar->GetWidth(), 60);
    EXPECT_EQ(Bar->GetHeight(), 26);
    TMinMaxInfo info;
    Bar->Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize, (TPoint{1, 1}));
    EXPECT_EQ(info.ptMaxTrackSize, (TPoint{32767, 32767}));
}
