// Keys typed on a real X server reach the main window's key map: the test program runs itself
// again on a virtual display (xvfb-run) with the xcb platform, where xdotool types keypad plus,
// keypad 0, slash and comma into the window. Skipped when those tools are missing
// (scripts/packages/viewer.txt installs them).

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <vector>

#include "app/tests/program_test.h"
#include "catalogue/file_list.h"
#include "components/shell_tree.h"
#include "components/tests/x11_check.h"
#include "dbgrid/db_grid.h"
#include "framework/graphics.h"
#include "framework/testing/tool_run.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_view.h"

namespace {

const char* const kChildVariable = "LUMORA_VIEWER_X11_CHILD";

void WriteImage(const std::string& Name, Integer W, Integer H) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(W, H);
    bitmap.GetCanvas()->GetBrush()->SetColor(clRed);
    bitmap.GetCanvas()->FillRect(TRect(0, 0, W, H));
    TImagoIO io(nullptr);
    io.SetAttachedBitmap(&bitmap);
    io.SaveToFile(Name);
}

class ViewerKeysX11 : public ProgramTest {};

}  // namespace

TEST(ViewerKeysOnX11, TypedKeysRunTheirCommands) {
    for (const char* tool : {"xvfb-run", "xdotool"})
        if (!x11check::HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
    x11check::RunChildOnDisplay("ViewerKeysX11", kChildVariable);
}

// Runs on the virtual display only.
TEST_F(ViewerKeysX11, ChildOnTheDisplay) {
    if (!std::getenv(kChildVariable)) GTEST_SKIP() << "runs inside the X11 check";
    const std::string folder = dir_ + "Keys/";
    ASSERT_TRUE(ForceDirectories(folder));
    WriteImage(folder + "red.png", 40, 30);
    RunOnce();
    Store(MainSettingsKey, {{"ImageFormat", "*.png;#3#3#0#"}, {"ImageStretch", "False"}, {"ImageShrink", "False"}});
    Start();
    Settle();
    frmMain->DirTree->SetPath(folder);
    frmMain->DirTreeClick(frmMain->DirTree);
    Settle();
    ASSERT_TRUE(frmMain->LoadFile(folder + "red.png", lhDirect));
    ASSERT_EQ(frmMain->imgimage->GetBitmap()->GetWidth(), 40);
    // Keypad 0 reloads: the file on disk is wider now.
    WriteImage(folder + "red.png", 50, 30);

    // The keys the map gets, and the zoom shown when each came.
    std::vector<Word> seen;
    std::vector<Integer> zooms;
    const TKeyEvent keyUp = frmMain->OnKeyUp;
    frmMain->OnKeyUp = [&](TObject* Sender, Word& Key, TShiftState Shift) {
        // xdotool switches Num Lock on to type a keypad digit.
        if (Key != VK_NUMLOCK) {
            seen.push_back(Key);
            zooms.push_back(frmMain->imgimage->GetZoom());
        }
        keyUp(Sender, Key, Shift);
    };
    frmMain->FileButtonAsked = TfrmMain::fbFirst;
    char id[32];
    std::snprintf(id, sizeof id, "%llu", static_cast<unsigned long long>(uitest::NativeWindowId(frmMain)));
    frmMain->FileGrid->SetFocus();
    uitest::ProcessEvents();
    const std::string command = std::string("xdotool windowactivate --sync ") + id + " 2>/dev/null; xdotool windowfocus --sync " +
                                id + " key --delay 60 KP_Add KP_0 slash comma &";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(uitest::WaitUntil([&] { return !seen.empty() && seen.back() == VK_OEM_COMMA; }, 10000))
        << seen.size() << " keys came";
    EXPECT_EQ(seen, (std::vector<Word>{VK_ADD, VK_NUMPAD0, VK_OEM_2, VK_OEM_COMMA}));
    // Zoomed in to 125 %, then reloaded at the default size.
    EXPECT_EQ(zooms, (std::vector<Integer>{100, 125, 100, 100}));
    EXPECT_EQ(frmMain->imgimage->GetBitmap()->GetWidth(), 50);
    EXPECT_EQ(frmMain->FileButtonAsked, TfrmMain::fbRandom);
}
