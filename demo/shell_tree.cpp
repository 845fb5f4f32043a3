// The shell folder tree open at a folder, with hidden folders shown. "shell_tree FOLDER --png
// FILE" saves the form as FILE; without FOLDER a small sample (a link to a folder, a hidden
// folder, an empty one) is made beside FILE and opened; without --png the form runs.

#include <unistd.h>

#include <filesystem>
#include <string>

#include "components/shell_tree.h"
#include "demo/demo_start.h"
#include "framework/file_utils.h"

int main(int argc, char** argv) {
    const std::string png = StartDemo(argc, argv, "Shell tree demo");
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--png")
            ++i;
        else
            folder = ExpandFileName(argv[i]);
    }
    std::string sample;
    if (folder.empty()) {
        sample = (png.empty() ? GetTempPath() : ExtractFilePath(ExpandFileName(png))) + "shell_tree_sample";
        std::filesystem::remove_all(sample);
        for (const char* f :
             {"/Pictures/Holiday/Day 1", "/Pictures/.thumbnails/normal", "/Pictures/Empty", "/Music/Albums"})
            std::filesystem::create_directories(sample + f);
        symlink("../Music", (sample + "/Pictures/Music link").c_str());
        folder = sample + "/Pictures";
    }

    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("Folders");
    form->SetBounds(100, 100, 320, 420);
    auto* tree = new TShellTree(form);
    tree->SetParent(form);
    tree->SetAlign(alClient);
    tree->SetOptions({TF_FOLDERS, TF_HIDDEN});
    tree->SetShowVirtualFolders(false);
    if (!sample.empty()) {
        // The sample's own folder as the root, so that the picture shows it whole.
        tree->SetRootUsePIDL(false);
        tree->SetRootDir(sample);
    }
    tree->SetPath(folder);

    if (png.empty()) {
        Application->Run();
        return 0;
    }
    uitest::ShowForm(form);
    uitest::IdleTurns(2);
    if (TTreeNode* n = tree->GetSelected()) {
        n->Expand(false);
        n->MakeVisible();
    }
    uitest::IdleTurns(2);
    bool ok = SaveDemoPng(form, png);
    form->Free();
    if (!sample.empty()) std::filesystem::remove_all(sample);
    return ok ? 0 : 1;
}
