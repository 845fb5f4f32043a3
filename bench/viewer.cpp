// The main window's viewer against djpeg plus Qt drawing the scaled picture:
//   select-to-painted: a 12-megapixel JPEG chosen in the file list until the view has painted it
//     fitted into 1280 x 800;
//   step: stepping next and previous through 200 photographs (1600 x 1200), each loaded and
//     painted fitted.
// The peer of each picture is djpeg decoding the file (a program run, writing its pixels to a
// file) plus Qt scaling the decoded pixels to the size the view shows. Loads run on the
// user-interface thread, one after the other, as the window does.
//   viewer [WORK_FOLDER]   (default: viewer-bench beside the program)

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/app_paths.h"
#include "app/main_window.h"
#include "app/program.h"
#include "bench/peer_timing.h"
#include "bench/synthetic_photo.h"
#include "catalogue/file_list.h"
#include "catalogue/img_functions.h"
#include "catalogue/lm_types.h"
#include "components/shell_tree.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/qt/bench/scale_peer.h"
#include "framework/registry.h"
#include "framework/sysutils.h"
#include "framework/testing/ui_test.h"
#include "imaging/img_view.h"

namespace {

constexpr Integer ViewW = 1280, ViewH = 800;

void WritePhoto(const std::string& Name, Integer W, Integer H) {
    TBitmap b;
    FillSyntheticPhoto(&b, W, H);
    TImgFunctions img(nullptr);
    if (!img.SaveBitmapToFile(&b, Name, false, false, 90)) {
        std::fprintf(stderr, "cannot write %s\n", Name.c_str());
        std::exit(1);
    }
}

void StoreSettings(const std::string& Folder) {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(MainSettingsKey, true)) return;
    reg.WriteString("Version", SettingsVersion);
    reg.WriteString("LastDir", Folder);
    reg.WriteString("Mode", "3");
    reg.WriteString("TipsOnStart", "False");
    reg.WriteString("GetStarted", "False");
    reg.WriteString("CurrentFilter", "1");
    reg.WriteString("ImageStretch", "True");
    reg.WriteString("ImageShrink", "True");
    reg.WriteString("ImageFormat", "*.jpg;#3#3#0#");
}

// The window sized so that its viewer is ViewW x ViewH, on Folder.
void StartWindow(const std::string& Folder) {
    StoreSettings(Folder);
    CreateProgramForms();
    uitest::ShowForm(frmMain);
    uitest::IdleTurns(3);
    frmMain->DirTree->SetPath(Folder);
    frmMain->DirTreeClick(frmMain->DirTree);
    uitest::IdleTurns(3);
    TImagoView* view = frmMain->imgimage;
    frmMain->SetClientWidth(frmMain->GetClientWidth() + ViewW - view->GetWidth());
    frmMain->SetClientHeight(frmMain->GetClientHeight() + ViewH - view->GetHeight());
    uitest::IdleTurns(2);
    if (view->GetWidth() != ViewW || view->GetHeight() != ViewH)
        std::fprintf(stderr, "the view is %d x %d\n", int(view->GetWidth()), int(view->GetHeight()));
}

// The current row shown and painted.
void ShowAndPaint() {
    frmMain->LoadFile("", lhDirect);
    frmMain->imgimage->Repaint();
}

// djpeg decoding Name into a file, plus Qt scaling its pixels (taken from Shown, which holds the
// same picture) to the size the view shows them at.
double PeerMs(const std::string& Name, const std::string& Out, TImagoView* Shown) {
    const double djpeg = bench::RunOnce("djpeg -outfile '" + Out + "' '" + Name + "'");
    if (djpeg < 0) return -1;
    TBitmap* b = Shown->GetBitmap();
    const auto* bits = static_cast<const uint8_t*>(b->ScanLine(0));
    const int stride = int(static_cast<const uint8_t*>(b->ScanLine(1)) - bits);
    const int w = b->GetWidth(), h = b->GetHeight();
    const double scale =
        lumora_bench::QtScaledMs(bits, w, h, stride, 0, 0, w, h, Shown->GetExtentX(), Shown->GetExtentY(), false, 1);
    return djpeg + scale;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    uitest::Start();
    // By default beside the program: the window's folder tree watches every folder up the path,
    // and a busy one (the temporary folder while others build) would refresh during the loads.
    const std::string work = IncludeTrailingPathDelimiter(
        argc > 1 ? argv[1] : (std::filesystem::canonical("/proc/self/exe").parent_path() / "viewer-bench").string());
    std::filesystem::create_directories(work + "program");
    std::filesystem::create_directories(work + "store");
    setenv("LUMORA_REGISTRY_DIR", (work + "store").c_str(), 1);
    CopyFileVerified(AppProgramFolder() + "fmt.res", work + "program/fmt.res");
    SetAppProgramFolder(work + "program/");
    const std::string out = work + "peer.ppm";

    // One 12-megapixel photograph.
    const std::string big = work + "big/";
    std::filesystem::create_directories(big);
    if (!FileExists(big + "photo.jpg")) WritePhoto(big + "photo.jpg", 4000, 3000);
    StartWindow(big);
    double ours = 1e300, peer = 1e300;
    for (int r = 0; r < 3; ++r) {
        frmMain->clearcurrentfile();
        frmMain->GridControl->GotoFirst();
        const auto t0 = bench::Clock::now();
        ShowAndPaint();
        ours = std::min(ours, bench::Ms(t0, bench::Clock::now()));
        peer = std::min(peer, PeerMs(big + "photo.jpg", out, frmMain->imgimage));
    }
    if (frmMain->imgimage->GetBitmap()->GetWidth() != 4000) {
        std::fprintf(stderr, "the photograph did not load\n");
        peer = 0;
    }
    bench::ScalingLine("select-to-painted", ours, "djpeg+Qt", peer, 1.5);
    FreeProgramForms();

    // 200 photographs, stepped through forward and back.
    const std::string many = work + "many/";
    std::filesystem::create_directories(many);
    if (!FileExists(many + "photo000.jpg")) {
        WritePhoto(many + "photo000.jpg", 1600, 1200);
        for (int i = 1; i < 200; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "photo%03d.jpg", i);
            std::filesystem::copy_file(many + "photo000.jpg", many + name);
        }
    }
    StartWindow(many);
    frmMain->GridControl->GotoFirst();
    ShowAndPaint();
    int shown = 0;
    const auto t0 = bench::Clock::now();
    for (bool forward : {true, false})
        for (int i = 0; i < 199; ++i) {
            // The list answers true when there is nothing further that way.
            if (forward ? frmMain->GridControl->GotoNext() : frmMain->GridControl->GotoPrevious()) break;
            ShowAndPaint();
            if (frmMain->imgimage->GetBitmap()->GetWidth() == 1600) ++shown;
        }
    const double stepOurs = bench::Ms(t0, bench::Clock::now());
    double stepPeer = 0;
    for (int i = 0; i < shown; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo%03d.jpg", i % 200);
        const double ms = PeerMs(many + name, out, frmMain->imgimage);
        if (ms < 0) {
            stepPeer = -1;
            break;
        }
        stepPeer += ms;
    }
    // A run that did not show every step is not a result.
    if (shown != 398) {
        std::fprintf(stderr, "stepped to %d photographs, not 398\n", shown);
        stepPeer = 0;
    }
    bench::ScalingLine("step", stepOurs, "djpeg+Qt", stepPeer, 1.5);
    FreeProgramForms();
    std::filesystem::remove(out);
    return 0;
}
