// The main window listing a generated folder of 10,000 files, picked in the folder tree, into the
// folder table, the file grid and the status line, against "ls -l" of the same folder run as a
// child process in the same run (at most 10 times its time); and 10,000 files against 1,000 (at
// most 12 times). Each time is the best of five listings, each after another folder was listed.
//   build-bench/bin/folder_listing [WORK_FOLDER]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/app_paths.h"
#include "app/main_window.h"
#include "app/program.h"
#include "bench/peer_timing.h"
#include "catalogue/lm_types.h"
#include "framework/file_utils.h"
#include "framework/registry.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"
#include "framework/testing/ui_test.h"

namespace {

// Count files of the kinds a folder of pictures holds, one byte each.
void MakeFolder(const std::string& Dir, int Count) {
    std::filesystem::create_directories(Dir);
    const char* exts[] = {".jpg", ".png", ".txt", ".wav", ".gif", ".xyz"};
    char name[64];
    for (int i = 0; i < Count; ++i) {
        std::snprintf(name, sizeof name, "IMG_%05d%s", i, exts[i % 6]);
        std::ofstream(Dir + name) << 'x';
    }
}

// The listing of Folder through the tree, best of five, each after Other was listed.
double ListingTime(const std::string& Folder, const std::string& Other, int Count) {
    double best = 1e300;
    for (int run = 0; run < 5; ++run) {
        frmMain->SetDirTreePath(Other);
        const auto t0 = bench::Clock::now();
        frmMain->SetDirTreePath(Folder);
        best = std::min(best, bench::Ms(t0, bench::Clock::now()));
        const std::string expected = "of " + std::to_string(Count);
        if (frmMain->lblselected->GetCaption().find(expected) == std::string::npos)
            std::printf("listing of %s shows \"%s\"\n", Folder.c_str(), frmMain->lblselected->GetCaption().c_str());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string work = IncludeTrailingPathDelimiter(argc > 1 ? ExpandFileName(argv[1]) : GetTempPath()) +
                             "folder_listing_bench/";
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work + "program");
    std::filesystem::create_directories(work + "store");
    std::filesystem::create_directories(work + "empty");
    MakeFolder(work + "f10000/", 10000);
    MakeFolder(work + "f1000/", 1000);
    setenv("LUMORA_REGISTRY_DIR", (work + "store").c_str(), 1);
    CopyFileVerified(AppProgramFolder() + "fmt.res", work + "program/fmt.res");
    SetAppProgramFolder(work + "program/");
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(MainSettingsKey, true)) {
            reg.WriteString("Version", SettingsVersion);
            reg.WriteString("LastDir", work + "empty/");
            reg.WriteString("TipsOnStart", "False");
            reg.WriteString("GetStarted", "False");
            reg.WriteString("CurrentFilter", "1");  // every file
        }
    }

    uitest::Start();
    CreateProgramForms();
    frmMain->SetBounds(0, 0, 900, 600);
    uitest::ShowForm(frmMain);
    uitest::IdleTurns(3);

    const double large = ListingTime(work + "f10000/", work + "empty/", 10000);
    const double small = ListingTime(work + "f1000/", work + "empty/", 1000);
    const double peer = bench::RunBest("ls -l '" + work + "f10000/' > /dev/null");
    bench::Report("listing", large, "ls -l", peer);
    const bool met = peer > 0 && large / peer <= 10;
    std::printf("listing ratio against ls -l (at most 10.0) %s\n", met ? "met" : "NOT met");
    bench::ScalingLine("listing_10000", large, "listing_1000", small, 12);

    FreeProgramForms();
    std::filesystem::remove_all(work);
    return 0;
}
