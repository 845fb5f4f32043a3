// The shell's item menu and the Properties of a file, a folder and "/". "shell_item --png DIR"
// saves menu.png, file.png, folder.png and root.png into DIR (made when missing) for a small
// sample folder; "shell_item PATH" shows the menu for PATH and runs the command chosen.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "demo/demo_start.h"
#include "framework/file_utils.h"
#include "framework/testing/ui_test.h"
#include "platform/item_prop.h"
#include "platform/shell_properties.h"

namespace {

bool SaveProperties(const std::string& Path, const std::string& File) {
    auto* form = new TShellPropertiesForm(nullptr, {Path});
    uitest::ShowForm(form);
    uitest::ProcessEvents();
    bool ok = SaveDemoPng(form, File);
    form->Free();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string png = StartDemo(argc, argv, "Shell item demo");
    if (png.empty()) {
        std::string path = argc > 1 ? ExpandFileName(argv[1]) : GetCurrentDir();
        return InvokeShellItemCommand({path}, {200, 200}, nullptr, "", ipmMenu, 0) ? 0 : 1;
    }
    const std::string out = IncludeTrailingPathDelimiter(png);
    std::filesystem::create_directories(out);
    // The sample: a folder with a few pictures' worth of files.
    const std::string sample = out + "sample/";
    std::filesystem::create_directories(sample + "Holiday/Day 1");
    std::ofstream(sample + "Holiday/notes.txt") << "Sunny, then rain.\n";
    std::ofstream(sample + "Holiday/beach.png", std::ios::binary)
        << std::string("\x89PNG\r\n\x1a\n", 8) << std::string(20000, '\0');
    bool ok = true;
    uitest::WhenMenuOpens([&] {
        uitest::TCapture menu = uitest::CaptureOpenMenu();
        bool saved = menu.SavePng(out + "menu.png");
        std::printf("%s %s\n", saved ? "saved" : "could not save", (out + "menu.png").c_str());
        ok = ok && saved;
        uitest::CloseMenus();
    });
    InvokeShellItemCommand({sample + "Holiday/beach.png"}, {40, 40}, nullptr, "", ipmMenu, 0);
    ok = SaveProperties(sample + "Holiday/beach.png", out + "file.png") && ok;
    ok = SaveProperties(sample + "Holiday", out + "folder.png") && ok;
    ok = SaveProperties("/", out + "root.png") && ok;
    std::filesystem::remove_all(sample);
    return ok ? 0 : 1;
}
