// A toolbar dragged with a real pointer: the test program runs itself again on a virtual X display
// (xvfb-run) with the xcb platform, and xdotool moves the X server's pointer from the bar's handle
// to another dock and then off the docks; the bar's place, the X server's view of its window and the
// stored position agree. Skipped when those tools are missing (scripts/packages/components.txt).

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "components/bar_positions.h"
#include "components/tests/x11_check.h"
#include "components/toolbar.h"
#include "components/toolbar_button.h"
#include "framework/testing/tool_run.h"
#include "framework/windows_gdi.h"
#include "framework/testing/ui_test.h"
#include "framework/testing/ui_test_windows.h"

using testtools::RunTool;

namespace {

const char* const kChildVariable = "LUMORA_TOOLBAR_X11_CHILD";
const char* const kKey = "SOFTWARE\\Qorvex\\Lumora\\Toolbars";

void Pointer(const std::string& Action) { RunTool("xdotool " + Action + " 2>&1"); }

void MoveTo(TPoint P) { Pointer("mousemove " + std::to_string(P.X) + " " + std::to_string(P.Y)); }

std::string Stored(const std::string& Name) {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(std::string(kKey) + "\\tbrMain", false)) return "?";
    return reg.ReadString(Name);
}

}  // namespace

TEST(ToolbarOnX11, ARealPointerDragsTheBarBetweenDocksAndOffToFloat) {
    for (const char* tool : {"xvfb-run", "xdotool", "xwininfo"})
        if (!x11check::HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
    x11check::RunChildOnDisplay("ToolbarOnX11", kChildVariable);
}

// Runs on the virtual display only.
TEST(ToolbarOnX11, ChildOnTheDisplay) {
    if (!std::getenv(kChildVariable)) GTEST_SKIP() << "runs inside the X11 check";
    uitest::Start();
    auto* form = new TForm(nullptr);
    form->SetCaption("Toolbars");
    form->SetBounds(50, 50, 500, 320);
    auto* top = new TDockX(form);
    top->SetName("dckTop");
    top->SetParent(form);
    auto* bottom = new TDockX(form);
    bottom->SetName("dckBottom");
    bottom->SetParent(form);
    bottom->SetPosition(dpBottom);
    auto* bar = new TToolbarX(form);
    bar->SetName("tbrMain");
    bar->SetCaption("Main");
    bar->SetHideWhenInactive(false);
    bar->SetParent(top);
    for (int i = 0; i < 3; ++i) {
        auto* button = new TToolbarButtonX(form);
        button->SetBounds(0, 0, 23, 22);
        button->SetParent(bar);
    }
    uitest::ShowForm(form);
    ASSERT_TRUE(uitest::WaitUntil([&] { return IsWindowVisible(form) && IsWindowVisible(bar); }));
    uitest::Wait(200);

    // From the handle to the bottom dock.
    TRect m = bar->GetNonClientMargins();
    MoveTo(bar->ClientToScreen({4 - m.Left, 10 - m.Top}));
    Pointer("mousedown 1");
    ASSERT_TRUE(uitest::WaitUntil([&] { return GetCapture() == bar; }));
    TRect dock;
    GetWindowRect(bottom, dock);
    MoveTo({dock.Left + 60, dock.Top - 20});
    MoveTo({dock.Left + 80, dock.Top});
    ASSERT_TRUE(uitest::WaitUntil([&] { return !uitest::ShownOverlays().empty(); }));
    Pointer("mouseup 1");
    ASSERT_TRUE(uitest::WaitUntil([&] { return bar->GetDockedTo() == bottom; }));
    SaveBarPositionsToRegistry(form, HKEY_LOCAL_MACHINE, kKey);
    EXPECT_EQ(Stored("DockedTo"), "dckBottom");
    EXPECT_EQ(Stored("DockPos"), std::to_string(bar->GetDockPos()));
    EXPECT_EQ(bar->GetLeft(), bar->GetDockPos());

    // Off the docks: it floats where the outline was.
    m = bar->GetNonClientMargins();
    MoveTo(bar->ClientToScreen({4 - m.Left, 10 - m.Top}));
    Pointer("mousedown 1");
    ASSERT_TRUE(uitest::WaitUntil([&] { return GetCapture() == bar; }));
    TPoint middle = form->ClientToScreen({250, 120});
    MoveTo({middle.X - 20, middle.Y});
    MoveTo(middle);
    TRect outline;
    ASSERT_TRUE(uitest::WaitUntil([&] {
        auto shown = uitest::ShownOverlays();
        if (!shown.empty()) outline = shown[0].Bounds;
        return !shown.empty() && PtInRect(&outline, middle);
    }));
    Pointer("mouseup 1");
    ASSERT_TRUE(uitest::WaitUntil([&] { return bar->GetFloating() && IsWindowVisible(bar); }));
    EXPECT_EQ(bar->GetBoundsRect().TopLeft(), outline.TopLeft());
    SaveBarPositionsToRegistry(form, HKEY_LOCAL_MACHINE, kKey);
    EXPECT_EQ(Stored("DockedTo"), "+");
    EXPECT_EQ(Stored("FloatLeft"), std::to_string(bar->GetLeft()));
    EXPECT_EQ(Stored("FloatTop"), std::to_string(bar->GetTop()));
    const std::string id = std::to_string(uitest::NativeWindowId(bar));
    std::string info;
    ASSERT_TRUE(uitest::WaitUntil([&] {
        uitest::ProcessEvents();
        info = RunTool("xwininfo -id " + id + " 2>&1").Output;
        return x11check::After(info, "Absolute upper-left X:") == std::to_string(bar->GetLeft());
    })) << info;
    EXPECT_EQ(x11check::After(info, "Absolute upper-left Y:"), std::to_string(bar->GetTop())) << info;
    form->Free();
}
