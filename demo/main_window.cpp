// The program's main window browsing a folder. "main_window [FOLDER] [--mode N] --png FILE" saves
// the screen with the window (its menu bar and toolbars too) once the folder is listed (and, in a thumbnail mode, every thumbnail made); --mode
// is the file display mode (0 details, 1 thumbnails, 2 icons with information, 3 file names).
// Without FOLDER a small sample (a few pictures, a text file and a sound file's name) is made
// in the work folder FILE.work/. "--show PICTURE" lists the picture's folder and shows the picture
// in the viewer (a bare name shows that picture of the sample: harbour.jpg, meadow.png, sunset.bmp,
// tower.jpg). The program runs on a settings store and program folder of its own in the work
// folder (in the temporary folder without --png, where the window runs).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "app/app_paths.h"
#include "app/main_window.h"
#include "app/program.h"
#include "catalogue/img_functions.h"
#include "catalogue/lm_types.h"
#include "catalogue/thumb_grid.h"
#include "demo/demo_start.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/registry.h"
#include "framework/sysutils.h"

namespace {

// Pictures of bands of colour in a few formats and sizes.
void MakeSample(const std::string& Dir) {
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    TImgFunctions img(nullptr);
    struct Picture {
        const char* Name;
        Integer W, H;
        TColor A, B;
    } pictures[] = {{"harbour.jpg", 480, 320, TColor(0x906030), TColor(0x30C0F0)},
                    {"meadow.png", 300, 300, TColor(0x20A040), TColor(0xF0E0A0)},
                    {"sunset.bmp", 200, 120, TColor(0x2040E0), TColor(0x802060)},
                    {"tower.jpg", 240, 400, TColor(0xC0C0C0), TColor(0x404040)}};
    for (const Picture& p : pictures) {
        TBitmap b;
        b.SetPixelFormat(pf24bit);
        b.SetSize(p.W, p.H);
        TCanvas* c = b.GetCanvas();
        for (Integer band = 0; band < 8; ++band) {
            c->GetBrush()->SetColor(band % 2 ? p.A : p.B);
            c->FillRect(TRect(0, p.H * band / 8, p.W, p.H * (band + 1) / 8));
        }
        img.SaveBitmapToFile(&b, Dir + p.Name, false, false, 85);
    }
    std::ofstream(Dir + "readme.txt") << "Notes about the pictures.\n";
    std::ofstream(Dir + "chime.wav") << "RIFF";
}

void StoreStartSettings(const std::string& Folder, int Mode) {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(MainSettingsKey, true)) return;
    reg.WriteString("Version", SettingsVersion);
    reg.WriteString("LastDir", Folder);
    reg.WriteString("Mode", "3");
    reg.WriteString("FileDisplayMode", std::to_string(Mode));
    reg.WriteString("TipsOnStart", "False");
    reg.WriteString("GetStarted", "False");
    reg.WriteString("CurrentFilter", "1");
    for (auto [name, value] : {std::pair{"QLLeft", "0"}, {"QLTop", "0"}, {"QLWidth", "900"}, {"QLHeight", "600"},
                               {"FileGridWidth", "560"}})
        reg.WriteString(name, value);
}

}  // namespace

int main(int argc, char** argv) {
    std::string png, folder, show;
    int mode = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--png" && i + 1 < argc)
            png = argv[++i];
        else if (a == "--mode" && i + 1 < argc)
            mode = std::atoi(argv[++i]);
        else if (a == "--show" && i + 1 < argc)
            show = argv[++i];
        else
            folder = ExpandFileName(a);
    }
    if (!png.empty()) uitest::Start();

    // One work folder per picture saved: runs saving different pictures may share a folder.
    const std::string work = png.empty() ? GetTempPath() + "main_window_demo." + std::to_string(mode) + "/"
                                         : ExpandFileName(png) + ".work/";
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work + "program");
    std::filesystem::create_directories(work + "store");
    setenv("LUMORA_REGISTRY_DIR", (work + "store").c_str(), 1);
    CopyFileVerified(AppProgramFolder() + "fmt.res", work + "program/fmt.res");
    SetAppProgramFolder(work + "program/");
    if (!show.empty() && show.find('/') != std::string::npos) {
        show = ExpandFileName(show);
        folder = ExtractFilePath(show);
    }
    if (folder.empty()) {
        folder = work + "Pictures/";
        MakeSample(folder);
        if (!show.empty()) show = folder + show;
    }
    StoreStartSettings(IncludeTrailingPathDelimiter(folder), mode);

    // The program starts with no file to show: the folder comes from the stored settings.
    const char* programArgs[] = {argv[0]};
    SetCommandLine(1, programArgs);
    CreateProgramForms();
    if (png.empty()) {
        Application->Run();
        FreeProgramForms();
        return 0;
    }
    uitest::ShowForm(frmMain);
    uitest::IdleTurns(3);
    uitest::WaitUntil([] { return frmMain->ThumbGrid->ThumbnailsOutstanding() == 0; }, 20000);
    uitest::IdleTurns(2);
    if (!show.empty()) {
        frmMain->LoadFile(show, lhDirect);
        uitest::IdleTurns(2);
    }
    const bool ok = SaveDemoScreenPng(png);
    FreeProgramForms();
    std::filesystem::remove_all(work);
    return ok ? 0 : 1;
}
