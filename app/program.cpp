#include "app/program.h"

#include "app/app_paths.h"
#include "app/main_window.h"
#include "catalogue/formats_dialog.h"
#include "catalogue/temp_db.h"
#include "dialogs/open_directory.h"
#include "dialogs/splash.h"
#include "framework/forms.h"

namespace {

// The format records find their files in the main window's folders and are rebuilt through a
// formats dialog made for the purpose.
void InstallFormatRecordHooks() {
    FormatServices().ProgramFolder = [] { return frmMain ? frmMain->GetFolder(0) : AppProgramFolder(); };
    FormatServices().WindowsFolder = [] {
        return frmMain ? frmMain->GetWindowsDir() : ChooseAppFolders(AppProgramFolder()).DataFolder;
    };
    frmMain->FormatRecordHooks.ResetToDefaults = [](bool AskAssociations) {
        TdlgFormats* dialog = new TdlgFormats(nullptr);
        dialog->GetDefaultSettings_BuildList(AskAssociations);
        dialog->Free();
    };
}

}  // namespace

void CreateProgramForms() {
    Application->Initialize();
    Application->SetTitle("Lumora");
    Application->CreateForm(frmMain);
    InstallFormatRecordHooks();
    Application->CreateForm(dlgSplash_LM);
    dlgSplash_LM->Show();
    dlgSplash_LM->Update();
    Application->CreateForm(dlgOpenDirectory);
    dmTempDB = Create<TdmTempDB>(Application);
}

void FreeProgramForms() {
    if (dmTempDB) dmTempDB->Free();
    if (dlgOpenDirectory) dlgOpenDirectory->Free();
    if (dlgSplash_LM) dlgSplash_LM->Free();
    if (frmMain) frmMain->Free();
}

int RunProgram() {
    CreateProgramForms();
    Application->Run();
    FreeProgramForms();
    return 0;
}
