#include "app/launch_file.h"

#include "app/main_window.h"
#include "catalogue/format_records.h"
#include "framework/dialog_service.h"
#include "framework/dialogs.h"
#include "framework/exceptions.h"
#include "framework/forms.h"
#include "platform/launch.h"

bool LaunchFileWith(const std::string& Program, const std::string& FullName) {
    if (Program.empty()) return ShellExecuteFile(FullName, "", "", SW_SHOWNORMAL) > 32;
    return StartDetached({Program, FullName}, "") == 0;
}

std::string AskEditorProgram(TLMFileTypes Kind) {
    if (MessageDlg("Lumora cannot launch this file because you have not specified your editing application!  Do "
                   "you want to do this now?",
                   mtConfirmation, {mbOK, mbCancel}, 0) != mrOk)
        return {};
    auto* dialog = new TOpenDialog(nullptr);
    std::string editor;
    try {
        dialog->SetName("dlgOpenEditor");
        dialog->SetTitle("Select Editing Application");
        dialog->SetOptions(dialog->GetOptions() + TOpenOptions{ofFileMustExist});
        if (dialog->Execute()) editor = dialog->GetFileName();
    } catch (...) {
        dialog->Free();
        throw;
    }
    dialog->Free();
    if (!editor.empty()) SetFormatEditor(Kind, editor);
    return editor;
}

bool TfrmMain::LaunchFile(const TFileRecord& Rec, std::string Program, bool ProgramGiven, bool AskToContinue) {
    if (!ProgramGiven && Program.empty()) Program = AskEditorProgram(Rec.FileType);
    if (!ProgramGiven && Program.empty()) {
        Screen->SetCursor(crDefault);
        return false;
    }
    bool goOn = true;
    if (!LaunchFileWith(Program, Rec.FullName)) {
        const std::string message = "An error was encountered launching the file, " + Rec.FullName + "!";
        if (AskToContinue)
            goOn = DisplayMessageDlg(message + "  Do you want to continue launching files?", mtWarning,
                                     {mbYes, mbNo, mbAll}, mrYes) != mrNo;
        else
            MessageDlg(message, mtWarning, {mbOK}, 0);
    }
    Screen->SetCursor(crDefault);
    return goOn;
}

void TfrmMain::RunAfterPasswordProgram(const std::string& Program) {
    if (ShellExecuteFile(Program, "", "", SW_SHOWNORMAL) <= 32) throw EInOutError("Cannot run " + Program);
}
