// A floating bar as the X server sees it: the test program runs itself again on a virtual X
// display (xvfb-run) with the xcb platform, and xprop and xwininfo report the bar's window.
// Skipped when those tools are missing (scripts/packages/components.txt installs them).

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "components/tool_window.h"
#include "framework/testing/tool_run.h"
#include "framework/testing/ui_test.h"

using testtools::RunTool;

namespace {

const char* const kChildVariable = "LUMORA_FLOATING_X11_CHILD";

bool HaveTool(const std::string& Name) { return RunTool("command -v " + Name + " >/dev/null 2>&1").Status == 0; }

std::string Hex(uint64_t Id) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(Id));
    return buf;
}

// The word that follows Label in Text (blanks skipped), empty when Label does not occur.
std::string After(const std::string& Text, const std::string& Label) {
    size_t at = Text.find(Label);
    if (at == std::string::npos) return {};
    at = Text.find_first_not_of(" \t", at + Label.size());
    if (at == std::string::npos) return {};
    return Text.substr(at, Text.find_first_of(" \t\n", at) - at);
}

}  // namespace

TEST(FloatingBarOnX11, TheServerSeesATransientWindowRefusingFocusAtItsPlace) {
    for (const char* tool : {"xvfb-run", "xprop", "xwininfo"})
        if (!HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
    const std::string self = "/proc/" + std::to_string(getpid()) + "/exe";
    const testtools::TToolRun run =
        RunTool("xvfb-run -a -s '-screen 0 1024x768x24' env QT_QPA_PLATFORM=xcb " + std::string(kChildVariable) +
                "=1 " + self + " --gtest_filter='FloatingBarOnX11.Child*' 2>&1");
    EXPECT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("[  PASSED  ] 1 test"), std::string::npos) << run.Output;
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
