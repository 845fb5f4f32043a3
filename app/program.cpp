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

// The data module reaches the main window's browse mode, listing settings and message handling.
void InstallTempDBHooks() {
    TTempDBHooks& hooks = dmTempDB->Hooks;
    hooks.BrowseMode = [] { return frmMain ? frmMain->Mode : 0; };
    hooks.IgnoreFileType = [](const std::string& Name) { return frmMain && frmMain->IgnoreFileType(Name); };
    hooks.ShowHiddenFiles = [] { return frmMain && frmMain->Settings.ShowHiddenFiles; };
    hooks.ShowSystemFiles = [] { return frmMain && frmMain->Settings.ShowSystemFiles; };
    hooks.ProcessMessages = [] { Application->ProcessMessages(); };
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
    InstallTempDBHooks();
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
