// A dialog with one of every standard control. "controls_demo --png FILE" saves what the dialog
// shows (and, beside it, FILE with "-list" before the extension: the same with a combo box's list
// dropped down); without arguments the dialog runs.

#include <string>

#include "demo/demo_start.h"
#include "framework/forms.h"
#include "framework/testing/control_gallery.h"
#include "framework/testing/ui_test.h"

int main(int argc, char** argv) {
    const std::string png = StartDemo(argc, argv, "Controls demo");

    TControlGallery* form = nullptr;
    Application->CreateForm(form);

    if (!png.empty()) {
        uitest::ShowForm(form);
        form->NameEdit->SetFocus();
        uitest::ProcessEvents();
        const bool ok = SaveDemoPng(form, png);
        // The colour list dropped down, as a second picture.
        form->Colour->SetDroppedDown(true);
        std::string list = png;
        size_t dot = list.rfind('.');
        list.insert(dot == std::string::npos ? list.size() : dot, "-list");
        const bool ok2 = SaveDemoPng(static_cast<TWinControl*>(form->Colour->GetListHandle()), list);
        form->Colour->SetDroppedDown(false);
        form->Free();
        return ok && ok2 ? 0 : 1;
    }
    Application->Run();
    return 0;
}
