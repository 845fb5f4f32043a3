#pragma once
// The checks against a real X server: the test program runs itself again on a virtual display
// (xvfb-run) with the xcb platform, where the tests named Child* do the work.

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "framework/testing/tool_run.h"

namespace x11check {

inline bool HaveTool(const std::string& Name) {
    return testtools::RunTool("command -v " + Name + " >/dev/null 2>&1").Status == 0;
}

// The word that follows Label in Text (blanks skipped), empty when Label does not occur.
inline std::string After(const std::string& Text, const std::string& Label) {
    size_t at = Text.find(Label);
    if (at == std::string::npos) return {};
    at = Text.find_first_not_of(" \t", at + Label.size());
    if (at == std::string::npos) return {};
    return Text.substr(at, Text.find_first_of(" \t\n", at) - at);
}

// Runs the test Suite.Child* of this program on a virtual display with ChildVariable set, and
// expects it to pass.
inline void RunChildOnDisplay(const std::string& Suite, const std::string& ChildVariable) {
    const std::string self = "/proc/" + std::to_string(getpid()) + "/exe";
    const testtools::TToolRun run =
        testtools::RunTool("xvfb-run -a -s '-screen 0 1024x768x24' env QT_QPA_PLATFORM=xcb " + ChildVariable + "=1 " +
                           self + " --gtest_filter='" + Suite + ".Child*' 2>&1");
    EXPECT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("[  PASSED  ] 1 test"), std::string::npos) << run.Output;
}

}  // namespace x11check
