#pragma once
// The seam between the common dialogs (plain C++) and the real dialogs of the backend
// (framework/qt/). Only the framework's own sources include this header.

#include <string>

#include "framework/dialog_service.h"

class TFont;
class TStrings;
class TPrintDialog;

namespace lumora_dialogs {

struct TFileDialogSpec {
    bool Save = false;
    bool MultiSelect = false;
    std::string Title;
    std::string Filter;  // "Description|*.a;*.b|..."
    Integer FilterIndex = 1;
    std::string InitialDir;
    std::string DefaultExt;
    std::string FileName;
    // Shown beside the file list while the dialog runs (nullptr: none).
    TWinControl* ExtraPane = nullptr;
    TDialogSession* Session = nullptr;
};

// Shows the file dialog; when the user accepts it (and the session lets it close), Answer holds
// the files and the file type chosen.
bool RunFileDialog(const TFileDialogSpec& Spec, TDialogAnswer& Answer);
// Edits Font's name, size and style.
bool RunFontDialog(TFont* Font);
// Chooses Color; CustomColors ("ColorA=BBGGRR" ...) are offered and kept.
bool RunColorDialog(TColor& Color, TStrings* CustomColors);
// The printer and copies (into Dialog and Printer()).
bool RunPrintDialog(TPrintDialog* Dialog);
// The printer, paper and orientation of Printer().
bool RunPrinterSetupDialog();

}  // namespace lumora_dialogs
