// A dialog with one of every standard control. "controls_demo --png FILE" saves what the dialog
// shows (and, beside it, FILE with "-list" before the extension: the same with a combo box's list
// dropped down); without arguments the dialog runs.

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/forms.h"
#include "framework/testing/control_gallery.h"
#include "framework/testing/ui_test.h"

int main(int argc, char** argv) {
    std::string png;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) png = argv[++i];
    if (!png.empty()) uitest::Start();
    Application->Initialize();
    Application->SetTitle("Controls demo");

    TControlGallery* form = nullptr;
    Application->CreateForm(form);

    if (!png.empty()) {
        uitest::ShowForm(form);
        form->NameEdit->SetFocus();
        uitest::ProcessEvents();
        bool ok = uitest::SavePng(form, png);
        std::printf("%s %s\n", ok ? "saved" : "could not save", png.c_str());
        // The colour list dropped down, as a second picture.
        form->Colour->SetDroppedDown(true);
        std::string list = png;
        size_t dot = list.rfind('.');
        list.insert(dot == std::string::npos ? list.size() : dot, "-list");
        bool ok2 = uitest::SavePng(static_cast<TWinControl*>(form->Colour->GetListHandle()), list);
        std::printf("%s %s\n", ok2 ? "saved" : "could not save", list.c_str());
        form->Colour->SetDroppedDown(false);
        form->Free();
        return ok && ok2 ? 0 : 1;
    }
    Application->Run();
    return 0;
}
