#include "app/program.h"

#include "app/main_window.h"
#include "catalogue/temp_db.h"
#include "dialogs/open_directory.h"
#include "dialogs/splash.h"
#include "framework/forms.h"

void CreateProgramForms() {
    Application->Initialize();
    Application->SetTitle("Lumora");
    Application->CreateForm(frmMain);
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
