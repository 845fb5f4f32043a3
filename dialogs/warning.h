#pragma once
// The warning form: a picture, a bold title and the word-wrapped text of one numbered warning,
// the check box that keeps it coming ("Always remind me about this"), "&Close" (OK) and
// "More Info.." (Yes). The main window fills, shows and reads it.
//
// The titles and texts come from the warnings file ("Warning.res" beside the program): an INI
// file with the section "Warnings", "Warning_<n>_Title" and "Warning_<n>" for n = 0 to 35; a "^"
// in a text is a line break.

#include <string>

#include "framework/forms.h"

class TBitBtn;
class TCheckBox;
class TImage;
class TLabel;
class TPanel;

inline constexpr int WarningNumberCount = 36;

struct TWarningText {
    std::string Title;
    std::string Text;  // "^" already made line breaks
};

// Reads warning Number from the warnings file. Both texts are empty when the file is missing or
// unreadable, the number is outside 0 to 35, or the keys are not there.
TWarningText ReadWarningText(const std::string& FileName, int Number);

class TdlgWarning : public TForm {
    LUMORA_CLASS(TdlgWarning, TForm)
public:
    explicit TdlgWarning(TComponent* AOwner);

    // Fills the form for one warning: the text, the check box shown only when the warning can be
    // switched off, "More Info.." only with a help context above 0, and with a title the caption
    // "Information: " + title and the title label.
    void Fill(const TWarningText& Warning, bool AllowSwitchOff, int HelpContext);

    TPanel* pnlFrame = nullptr;
    TImage* imgPicture = nullptr;
    TLabel* lblTitle = nullptr;
    TLabel* lblwarning = nullptr;
    TCheckBox* chkdontremind = nullptr;
    TBitBtn* btnok = nullptr;
    TBitBtn* btnHelp = nullptr;
};
