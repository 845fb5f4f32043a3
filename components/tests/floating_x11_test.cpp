// A floating bar as the X server sees it: the test program runs itself again on a virtual X
// display (xvfb-run) with the xcb platform, and xprop and xwininfo report the bar's window.
// Skipped when those tools are missing (scripts/packages/components.txt installs them).

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "components/tests/x11_check.h"
#include "components/tool_window.h"
#include "framework/testing/tool_run.h"
#include "framework/testing/ui_test.h"

using testtools::RunTool;
using x11check::After;
using x11check::HaveTool;

namespace {

const char* const kChildVariable = "LUMORA_FLOATING_X11_CHILD";

std::string Hex(uint64_t Id) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(Id));
    return buf;
}

}  // namespace

TEST(FloatingBarOnX11, TheServerSeesATransientWindowRefusingFocusAtItsPlace) {
    for (const char* tool : {"xvfb-run", "xprop", "xwininfo"})
        if (!HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
    x11check::RunChildOnDisplay("FloatingBarOnX11", kChildVariable);
}

// Runs on the virtual display only.
TEST(FloatingBarOnX11, ChildOnTheDisplay) {
    if (!std::getenv(kChildVariable)) GTEST_SKIP() << "runs inside the X11 check";
    uitest::Start();
    auto* form = new TForm(nullptr);
    form->SetCaption("Owner");
    form->SetBounds(50, 50, 400, 300);
    auto* bar = new TCustomToolWindowX(form);
    bar->SetCaption("Floating");
    bar->SetHideWhenInactive(false);
    bar->SetBounds(0, 0, 120, 60);
    bar->SetFloatingPosition({300, 200});
    bar->SetParent(form);
    uitest::ShowForm(form);
    ASSERT_TRUE(uitest::WaitUntil([&] { return IsWindowVisible(bar); }));
    const std::string barId = Hex(uitest::NativeWindowId(bar)), formId = Hex(uitest::NativeWindowId(form));

    std::string info;
    ASSERT_TRUE(uitest::WaitUntil([&] {
        uitest::ProcessEvents();
        info = RunTool("xwininfo -id " + barId + " 2>&1").Output;
        return info.find("IsViewable") != std::string::npos;
    })) << info;
    EXPECT_EQ(After(info, "Absolute upper-left X:"), "300") << info;
    EXPECT_EQ(After(info, "Absolute upper-left Y:"), "200") << info;
    EXPECT_EQ(After(info, "Width:"), "120") << info;
    EXPECT_EQ(After(info, "Height:"), "60") << info;

    const std::string props = RunTool("xprop -id " + barId + " WM_TRANSIENT_FOR WM_HINTS 2>&1").Output;
    EXPECT_EQ(After(props, "WM_TRANSIENT_FOR(WINDOW): window id #"), formId) << props;
    EXPECT_NE(props.find("Client accepts input or input focus: False"), std::string::npos) << props;
    form->Free();
}
