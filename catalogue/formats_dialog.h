#pragma once
// The supported-formats dialog: the known-format list read from "fmt.res" in the program folder,
// the media formats the system plays, the default format records built from them and the ".fmt"
// files with which the user saves and restores the seven records.
//
// The known-format list lives as long as the form. For now the form holds only the media-format
// field; its other controls and the file-association step are added here with the dialog itself.

#include <functional>
#include <string>
#include <vector>

#include "catalogue/lm_types.h"
#include "framework/forms.h"

class TCheckListBox;
class TEdit;

// One entry of the known-format list.
struct TFileFormat {
    std::string Description;
    std::string Extension;        // a lower-case mask ("*.jpg")
    Byte Kind = 0;                // the TLMFileTypes ordinal, image to office
    bool Supported = false;
};

// What the formats reach outside the catalogue; the program installs the main window's.
struct TFormatServices {
    // The program folder (of "fmt.res") and the folder standing for the Windows folder (of
    // "win.ini"), each with a trailing "/".
    std::function<std::string()> ProgramFolder;
    std::function<std::string()> WindowsFolder;
    // Reports that a file could not be saved.
    std::function<void(const std::string& FileName)> ReportSaveError;
};
TFormatServices& FormatServices();

class TdlgFormats : public TForm {
    LUMORA_CLASS(TdlgFormats, TForm)
public:
    // Reads the known-format list.
    explicit TdlgFormats(TComponent* AOwner);
    ~TdlgFormats() override;

    // The media formats of "win.ini" as masks ("*.wav;*.mid;"), "-" until first asked for.
    TEdit* edtMCIFormats = nullptr;

    // Reads "fmt.res": "Format1" to "Format200" of section "Formats" up to an "END", each
    // "mask#description#KIND#SUPPORTED". A missing file warns and leaves the list empty; a
    // malformed entry asks whether to go on.
    void CreateFormatList();
    void ClearFormatList();
    const std::vector<TFileFormat>& FormatList() const { return FFormatList; }

    // The masks of every entry of the kind, each followed by ";", unsupported ones when asked.
    std::string GetAllFormats(TLMFileTypes Kind, bool IncludeUnsupported) const;
    // Adds the lower-cased mask of every entry of the kind to List.
    void LoadFormatsToListBox(TLMFileTypes Kind, TCheckListBox* List) const;
    // The entry for one mask: a false extension is a supported image, an unknown mask an
    // unsupported entry without description.
    void expandextension(const std::string& Mask, TFileFormat& Entry) const;

    // Resets the seven records to their defaults from the known-format list.
    void GetDefaultSettings();
    // The same, then the image file-association step when asked.
    void GetDefaultSettings_BuildList(bool AskAssociations);

    // The keys of section "MCI Extensions" of "win.ini" as masks; "" on any failure.
    std::string DetectMCISupportedFIles();
    // Whether the system plays files of the mask.
    bool TestMultiMediaSupport(const std::string& Mask);

    // Save the seven records to a ".fmt" file, and load them from one.
    void btnsaveClick(TObject* Sender);
    void btnloadClick(TObject* Sender);

protected:
    // Shows the records on the dialog's controls (which come with the dialog itself).
    virtual void RefreshControls() {}

private:
    std::vector<TFileFormat> FFormatList;
};

// The formats dialog while it exists.
extern TdlgFormats* dlgFormats;
