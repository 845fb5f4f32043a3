// The program's entry.

#include <cstdio>
#include <cstdlib>

#include "app/main_window.h"
#include "app/program.h"
#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "framework/forms.h"
#include "framework/messages.h"

namespace {

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* value = std::getenv(name); value && *value) return true;
    return false;
}

// Answers every dialog without a user: messages are printed to standard error and take their
// default button, questions for text and forms are cancelled.
class TUnattendedDialogs : public TDialogService {
public:
    Integer MessageDlg(const TDialogRequest& Request) override {
        std::fprintf(stderr, "lumora: %s: %s\n", Request.Caption.c_str(), Request.Text.c_str());
        switch (Request.DefaultButton) {
        case mbYes: return mrYes;
        case mbNo: return mrNo;
        case mbCancel: return mrCancel;
        case mbAbort: return mrAbort;
        case mbRetry: return mrRetry;
        case mbIgnore: return mrIgnore;
        default: return mrOk;
        }
    }
    bool InputQuery(const TDialogRequest& Request, std::string& Value) override {
        std::fprintf(stderr, "lumora: %s: %s (cancelled)\n", Request.Caption.c_str(), Request.Text.c_str());
        return false;
    }
    TModalResult ShowModal(TCustomForm* Form, const TDialogRequest& Request) override { return mrCancel; }
    bool ExecuteDialog(const TDialogRequest& Request, TDialogAnswer& Answer,
                       const std::function<bool(TDialogAnswer& Answer)>& Run) override {
        return false;
    }
    void Beep(UINT Type) override {}
};

// With LUMORA_QUIT_WHEN_READY set (tests), the program runs unattended and the main window is
// closed the ordinary way as soon as its start-up has completed.
void CloseWhenReadyIfAsked() {
    if (const char* value = std::getenv("LUMORA_QUIT_WHEN_READY"); !value || !*value) return;
    static TUnattendedDialogs dialogs;
    SetDialogService(&dialogs);
    TApplication::AddIdleHook([] {
        static bool posted = false;
        if (!posted && frmMain && frmMain->State.DisplayReady) {
            posted = true;
            PostMessage(frmMain, WM_CLOSE, 0, 0);
        }
    });
}

}  // namespace

int main(int argc, char** argv) {
    SetCommandLine(argc, argv);
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "Lumora needs a graphical display, and none was found: DISPLAY and WAYLAND_DISPLAY are not "
                     "set.\nStart it inside a desktop session, or set QT_QPA_PLATFORM=offscreen to run it "
                     "without one.\n");
        return 1;
    }
    CloseWhenReadyIfAsked();
    return RunProgram();
}
