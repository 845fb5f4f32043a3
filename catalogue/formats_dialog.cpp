#include "catalogue/formats_dialog.h"

#include <memory>

#include "catalogue/format_records.h"
#include "framework/dialog_service.h"
#include "framework/dialogs.h"
#include "framework/dynlib.h"
#include "framework/edit_controls.h"
#include "framework/file_utils.h"
#include "framework/ini_file.h"
#include "framework/list_controls.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"

TdlgFormats* dlgFormats = nullptr;

TFormatServices& FormatServices() {
    static TFormatServices services{
        [] { return ProgramFolder(); },
        [] { return ProfileFolder(); },
        // The main window's save error, without its beep.
        [](const std::string& FileName) {
            MessageDlg("An error was encountered saving the file, " + FileName +
                           ", please ensure you have sufficient disk space and write access to this folder!",
                       mtWarning, {mbOK});
        },
    };
    return services;
}

namespace {

constexpr const char* kKnownFormatsFile = "fmt.res";
constexpr const char* kSection = "Formats";
constexpr int kMostFormats = 200;

// The kinds of the known-format list, by ordinal.
constexpr const char* kKindNames[] = {"IMAGE", "TEXT", "SOUND", "VIDEO", "OFFICE"};

// The orders in which the exchange files are written and read.
constexpr TLMFileTypes kSaveOrder[] = {lmImage, lmVideo, lmSound, lmOffice, lmOther, lmCustom, lmText};
constexpr TLMFileTypes kLoadOrder[] = {lmImage, lmSound, lmText, lmCustom, lmOffice, lmVideo, lmOther};

// Parses one "mask#description#KIND#SUPPORTED" value; false when it is malformed. The support
// of sound and video entries not marked TRUE is asked of Plays.
bool ParseKnownFormat(const std::string& Value, TFileFormat& Entry,
                      const std::function<bool(const std::string&)>& Plays) {
    std::vector<std::string> items;
    size_t start = 0;
    for (size_t at = Value.find('#'); items.size() < 4; at = Value.find('#', start)) {
        items.push_back(Value.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) break;
        start = at + 1;
    }
    if (items.size() < 4) return false;
    const std::string kind = UpperCase(items[2]);
    Integer ordinal = -1;
    for (Integer k = 0; k < Integer(std::size(kKindNames)); ++k)
        if (kind == kKindNames[k]) ordinal = k;
    if (ordinal < 0) return false;
    Entry.Extension = LowerCase(items[0]);
    Entry.Description = items[1];
    Entry.Kind = Byte(ordinal);
    Entry.Supported = ordinal == lmImage || ordinal == lmText || SameText(items[3], "TRUE") || Plays(Entry.Extension);
    return true;
}

}  // namespace

TdlgFormats::TdlgFormats(TComponent* AOwner) : TForm(AOwner) {
    SetName("dlgFormats");
    SetCaption("Supported Formats");
    edtMCIFormats = new TEdit(this);
    edtMCIFormats->SetName("edtMCIFormats");
    edtMCIFormats->SetParent(this);
    edtMCIFormats->SetVisible(false);
    edtMCIFormats->SetText("-");
    CreateFormatList();
}

TdlgFormats::~TdlgFormats() {
    ClearFormatList();
    if (dlgFormats == this) dlgFormats = nullptr;
}

void TdlgFormats::CreateFormatList() {
    ClearFormatList();
    const std::string fileName = AddTrailingDelimiter(FormatServices().ProgramFolder()) + kKnownFormatsFile;
    if (!FileExists(fileName)) {
        MessageDlg("The supported formats file, " + fileName + ", cannot be located!  Please reinstall Lumora!",
                   mtWarning, {mbOK});
        return;
    }
    TIniFile ini(fileName);
    for (int n = 1; n <= kMostFormats; ++n) {
        const std::string value = ini.ReadString(kSection, "Format" + IntToStr(n), "");
        if (SameText(value, "END")) break;
        TFileFormat entry;
        if (!value.empty() &&
            ParseKnownFormat(value, entry, [this](const std::string& Mask) { return TestMultiMediaSupport(Mask); })) {
            FFormatList.push_back(entry);
            continue;
        }
        if (MessageDlg("An error was encountered reading a file format from your supported format list file, " +
                           fileName + "!  Please reinstall Lumora!  Continue loading formats?",
                       mtWarning, {mbYes, mbNo}) == mrNo)
            break;
    }
}

void TdlgFormats::ClearFormatList() { FFormatList.clear(); }

std::string TdlgFormats::GetAllFormats(TLMFileTypes Kind, bool IncludeUnsupported) const {
    std::string masks;
    for (const TFileFormat& entry : FFormatList)
        if (entry.Kind == Kind && (entry.Supported || IncludeUnsupported)) masks += entry.Extension + ";";
    return masks;
}

void TdlgFormats::LoadFormatsToListBox(TLMFileTypes Kind, TCheckListBox* List) const {
    for (const TFileFormat& entry : FFormatList)
        if (entry.Kind == Kind) List->GetItems()->Add(LowerCase(entry.Extension));
}

void TdlgFormats::expandextension(const std::string& Mask, TFileFormat& Entry) const {
    Entry = TFileFormat{};
    Entry.Extension = LowerCase(Mask);
    if (ExtensionInList(StripMaskPrefix(Mask, true, false), FalseExtensions)) {
        Entry.Description = "Image with False Extension";
        Entry.Kind = lmImage;
        Entry.Supported = true;
        return;
    }
    for (const TFileFormat& entry : FFormatList) {
        if (LowerCase(entry.Extension) == Entry.Extension) {
            Entry.Description = entry.Description;
            Entry.Kind = entry.Kind;
            Entry.Supported = entry.Supported;
            return;
        }
    }
}

void TdlgFormats::GetDefaultSettings() {
    struct TDefaults {
        TLMFileTypes Kind;
        Byte Select;
        Byte DoubleClick;
    };
    static constexpr TDefaults kListed[] = {
        {lmImage, 3, 4}, {lmVideo, 3, 4}, {lmOffice, 3, 4}, {lmSound, 3, 3}, {lmText, 3, 4},
    };
    TFormatRecords& records = FormatRecords();
    for (const TDefaults& row : kListed)
        records[row.Kind] = {GetAllFormats(row.Kind, true), row.Select, row.DoubleClick, "", 0};
    records[lmCustom] = {"", 0, 1, "", -1};
    records[lmOther] = {"", 0, 1, "", -1};
}

void TdlgFormats::GetDefaultSettings_BuildList(bool AskAssociations) {
    GetDefaultSettings();
    // The image file-association step comes with the associations themselves; until then
    // nothing is asked.
    (void)AskAssociations;
}

std::string TdlgFormats::DetectMCISupportedFIles() {
    try {
        const std::string fileName = AddTrailingDelimiter(FormatServices().WindowsFolder()) + "win.ini";
        if (!FileExists(fileName)) return {};
        TIniFile ini(fileName);
        TStringList keys;
        ini.ReadSection("MCI Extensions", &keys);
        std::string masks;
        for (Integer i = 0; i < keys.GetCount(); ++i) masks += "*." + keys.Get(i) + ";";
        return masks;
    } catch (const Exception&) {
        return {};
    }
}

bool TdlgFormats::TestMultiMediaSupport(const std::string& Mask) {
    if (edtMCIFormats->GetText() == "-") edtMCIFormats->SetText(LowerCase(DetectMCISupportedFIles()));
    return ExtensionInList(StripMaskPrefix(Mask, true, false), edtMCIFormats->GetText());
}

void TdlgFormats::btnsaveClick(TObject*) {
    auto dialog = std::make_unique<TSaveDialog>(nullptr);
    dialog->SetTitle("Please choose a filename");
    dialog->SetFilter("Qorvex Format File|*.fmt");
    dialog->SetDefaultExt("fmt");
    if (!dialog->Execute()) return;
    std::string fileName = dialog->GetFileName();
    if (ExtractFileExt(fileName).empty()) fileName += ".fmt";
    try {
        TIniFile ini(fileName);
        for (TLMFileTypes kind : kSaveOrder)
            ini.WriteString(kSection, FormatRecordKeyNames[kind], FormatRecordToStr(FormatRecords()[kind]));
        ini.UpdateFile();
    } catch (const Exception&) {
        FormatServices().ReportSaveError(fileName);
    }
}

void TdlgFormats::btnloadClick(TObject*) {
    auto dialog = std::make_unique<TOpenDialog>(nullptr);
    dialog->SetTitle("Please Select a Format File");
    dialog->SetFilter("Qorvex Format File|*.fmt|All Files|*.*");
    if (!dialog->Execute()) return;
    const std::string fileName = dialog->GetFileName();
    try {
        TIniFile ini(fileName);
        for (TLMFileTypes kind : kLoadOrder) {
            const std::string text = ini.ReadString(kSection, FormatRecordKeyNames[kind], "");
            if (!text.empty()) StrToFormatRecord(text, FormatRecords()[kind]);
        }
    } catch (const Exception&) {
        MessageDlg("Error encountered loading format entries from the file, " + fileName, mtWarning, {mbOK});
    }
    RefreshControls();
}
