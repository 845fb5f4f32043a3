// The small forms the main window fills: warning 1 from the warnings file beside the program,
// the progress form and the cancellable progress form halfway through their work.
// "small_forms --png DIR" saves them as DIR/warning.png, DIR/progress.png and
// DIR/insert_info.png; without arguments the warning is shown.

#include <string>

#include "demo/demo_start.h"
#include "dialogs/gauge.h"
#include "dialogs/insert_info.h"
#include "dialogs/progress.h"
#include "dialogs/warning.h"
#include "framework/comctrls.h"
#include "framework/file_utils.h"
#include "framework/std_controls.h"

int main(int argc, char** argv) {
    const std::string folder = StartDemo(argc, argv, "Small forms");
    const std::string program = ExtractFilePath(Application->GetExeName());

    auto* warning = new TdlgWarning(Application);
    warning->Fill(ReadWarningText(program + "Warning.res", 1), true, 19);
    if (folder.empty()) {
        warning->ShowModal();
        return 0;
    }
    ForceDirectories(folder);
    const std::string dir = IncludeTrailingPathDelimiter(folder);
    bool ok = true;

    uitest::ShowForm(warning);
    ok = SaveDemoPng(warning, dir + "warning.png") && ok;
    warning->Free();

    auto* progress = new TdlgProgress(Application);
    progress->lblmessage->SetCaption("Converting holiday_042.jpg to PNG..");
    progress->Gauge->SetProgress(45);
    uitest::ShowForm(progress);
    ok = SaveDemoPng(progress, dir + "progress.png") && ok;
    progress->Free();

    auto* insert = new Tdlginsertinfo(Application);
    insert->lblmessage->SetCaption("Adding 12 of 40 files to the bookmark list..");
    insert->ProgressBar->SetPosition(30);
    uitest::ShowForm(insert);
    ok = SaveDemoPng(insert, dir + "insert_info.png") && ok;
    insert->Free();
    return ok ? 0 : 1;
}
