#include "app/settings.h"

#include <limits>
#include <utility>
#include <variant>

#include "catalogue/lm_types.h"
#include "framework/dialog_service.h"
#include "framework/exceptions.h"
#include "framework/registry.h"
#include "framework/sysutils.h"

namespace {

using S = TLumoraSettings;

// How one value is encoded in the store.
enum TKind {
    kText,
    kTextNotEmpty,   // an empty text gives the default
    kFirstChar,      // the first character of the text; an empty text gives the default
    kBoolean,
    kInteger,
    kByte,           // an integer held in a byte
    kSmallInt,       // an integer held in 16 bits
    kPositive,       // an integer; a value below 1 gives the default
    kBounded,
    kColour,
    kSlideshowMode,  // "Up", "Random", anything else forward ("Down")
};

using TBounds = std::pair<Integer, Integer> (*)(const TSettingsLimits&);
using TField = std::variant<std::string S::*, bool S::*, Integer S::*>;

struct TRow {
    const char* Name;
    TKind Kind;
    TField Field;
    TBounds Bounds = nullptr;
    bool KeptInFullScreen = false;  // not written while full screen is on
};

std::pair<Integer, Integer> LeftBounds(const TSettingsLimits& L) { return {0, L.ScreenWidth - 100}; }
std::pair<Integer, Integer> TopBounds(const TSettingsLimits& L) { return {0, L.ScreenHeight - 100}; }
std::pair<Integer, Integer> WidthBounds(const TSettingsLimits& L) { return {150, L.ScreenWidth}; }
std::pair<Integer, Integer> HeightBounds(const TSettingsLimits& L) { return {100, L.ScreenHeight}; }
std::pair<Integer, Integer> PanelWidthBounds(const TSettingsLimits& L) { return {100, L.ScreenWidth}; }
std::pair<Integer, Integer> PanelHeightBounds(const TSettingsLimits& L) { return {80, L.ScreenHeight}; }
std::pair<Integer, Integer> KeywordsBounds(const TSettingsLimits& L) {
    return {L.KeywordsWindowHeight * 50 / 100, L.KeywordsWindowHeight * 80 / 100};
}

// The main key's values in the order they are written.
const TRow kRows[] = {
    // Start-up and slideshow.
    {"TipsOnStart", kBoolean, &S::TipsOnStart},
    {"GetStarted", kBoolean, &S::GetStarted},
    {"TwainHandle", kInteger, &S::TwainHandle},
    {"AfterPWApp", kText, &S::AfterPWApp},
    {"LastDir", kText, &S::LastDir},
    {"SaveLastDirectory", kBoolean, &S::SaveLastDirectory},
    {"ConfirmClosure", kBoolean, &S::ConfirmClosure},
    {"SlideshowDelay", kInteger, &S::SlideshowDelay},
    {"SlideshowMode", kSlideshowMode, &S::SlideshowMethod},
    {"LoopSlideshow", kBoolean, &S::LoopSlideshow},
    {"ShowSSName", kBoolean, &S::ShowSSName},
    {"HideAllDuringSS", kBoolean, &S::HideAllDuringSS},
    {"SSMultiHorz", kInteger, &S::SSMultiHorz},
    {"SSMultiVert", kInteger, &S::SSMultiVert},
    {"ShowPositionInMultiShow", kBoolean, &S::ShowPositionInMultiShow},
    // Layout and look.
    {"CurrentKeywordsHeight", kBounded, &S::CurrentKeywordsHeight, KeywordsBounds},
    {"BackgroundImage", kText, &S::BackgroundImage},
    {"BackgroundColour", kColour, &S::BackgroundColour},
    {"ToolbarTitles", kBoolean, &S::ToolbarTitles},
    {"TabCaptionsVisible", kBoolean, &S::TabCaptionsVisible},
    {"HideFlyoversInFS", kBoolean, &S::HideFlyoversInFS},
    {"ShowHints", kBoolean, &S::ShowHints},
    {"BeepOnError", kBoolean, &S::BeepOnError},
    {"BeepOnAction", kBoolean, &S::BeepOnAction},
    {"ShowDlgProgress", kBoolean, &S::ShowDlgProgress},
    {"ShowPreview", kBoolean, &S::ShowPreview},
    // Browsing and the file list.
    {"Mode", kInteger, &S::Mode},
    {"FileDisplayMode", kInteger, &S::FileDisplayMode},
    {"CurrentFilter", kInteger, &S::CurrentFilter},
    {"ShowHiddenFiles", kBoolean, &S::ShowHiddenFiles},
    {"ShowSystemFiles", kBoolean, &S::ShowSystemFiles},
    {"ShowShortcuts", kBoolean, &S::ShowShortcuts},
    {"ShowTHBFiles", kBoolean, &S::ShowTHBFiles},
    {"SupportFalseExt", kBoolean, &S::SupportFalseExt},
    {"FalseExtension", kTextNotEmpty, &S::FalseExtension},
    {"DirectoryRenaming", kBoolean, &S::DirectoryRenaming},
    {"FileSizeDetailLevel", kSmallInt, &S::FileSizeDetailLevel},
    {"CDRomDrive", kText, &S::CDRomDrive},
    {"DoubleCheck_CDROM", kBoolean, &S::DoubleCheck_CDROM},
    {"PromptForCDName", kBoolean, &S::PromptForCDName},
    {"EvenShowUnavailableThumbs", kBoolean, &S::EvenShowUnavailableThumbs},
    // Thumbnails.
    {"JPEGThumbnails", kBoolean, &S::JPEGThumbnails},
    {"DiskCacheMaxCount", kInteger, &S::DiskCacheMaxCount},
    {"ThumbnailHeight", kInteger, &S::ThumbnailHeight},
    {"ThumbnailWidth", kInteger, &S::ThumbnailWidth},
    {"IconInfoColumnWidth", kInteger, &S::IconInfoColumnWidth},
    {"FilenameColumnWidth", kInteger, &S::FilenameColumnWidth},
    {"ThumbQualityHigh", kBoolean, &S::ThumbQualityHigh},
    {"HideFileExt", kBoolean, &S::HideFileExt},
    // Viewer and zoom.
    {"ImageShrink", kBoolean, &S::ImageShrink},
    {"ImageStretch", kBoolean, &S::ImageStretch},
    {"VideoShrink", kBoolean, &S::VideoShrink},
    {"VideoStretch", kBoolean, &S::VideoStretch},
    {"DefaultVideoZoom", kPositive, &S::DefaultVideoZoom},
    {"ZoomQuality", kByte, &S::ZoomQuality},
    {"NoTextFileTitles", kBoolean, &S::NoTextFileTitles},
    {"CanCancelLoading", kBoolean, &S::CanCancelLoading},
    {"UseMouseWheel", kBoolean, &S::UseMouseWheel},
    {"MMLoop", kBoolean, &S::MMLoop},
    {"FlashAppBeforeVidCap", kBoolean, &S::FlashAppBeforeVidCap},
    {"NewWindowFullSize", kBoolean, &S::NewWindowFullSize},
    {"NewWindowWidth", kInteger, &S::NewWindowWidth},
    {"NewWindowHeight", kInteger, &S::NewWindowHeight},
    {"ShowNewWindowIcon", kBoolean, &S::ShowNewWindowIcon},
    // File operations and editing.
    {"ConfirmDeleteFile", kBoolean, &S::ConfirmDeleteFile},
    {"MoveToRecycleBin", kBoolean, &S::MoveToRecycleBin},
    {"ConfirmDragDrop", kBoolean, &S::ConfirmDragDrop},
    {"UseWindowsMoveCopy", kBoolean, &S::UseWindowsMoveCopy},
    {"ShowDirectoryBrowserInMove", kBoolean, &S::ShowDirectoryBrowserInMove},
    {"ConfirmQuickMoveFiles", kBoolean, &S::ConfirmQuickMoveFiles},
    {"MoveFiles", kBoolean, &S::MoveFiles},
    {"DisplaySourceDirsInQuickMove", kBoolean, &S::DisplaySourceDirsInQuickMove},
    {"SelectedSourceDirs", kText, &S::SelectedSourceDirs},
    {"ConfirmBookmarkSaves", kBoolean, &S::ConfirmBookmarkSaves},
    {"AlwaysSaveDefaultBookmarkFile", kBoolean, &S::AlwaysSaveDefaultBookmarkFile},
    {"RenameSuffix", kText, &S::RenameSuffix},
    {"Launch16bitNames", kBoolean, &S::Launch16bitNames},
    {"AdvancedSave", kBoolean, &S::AdvancedSave},
    {"DefaultJPEGQuality", kByte, &S::DefaultJPEGQuality},
    {"UseDefaultJPEGComp", kBoolean, &S::UseDefaultJPEGComp},
    {"OpenDlgHeight", kInteger, &S::OpenDlgHeight},
    {"WatchDirectoryDirectory", kText, &S::WatchDirectoryDirectory},
    // The hidden database and keyword features.
    {"Dont_Delete_DB_Inserted_Files", kBoolean, &S::Dont_Delete_DB_Inserted_Files},
    {"CheckCheckSumOnInsertion", kBoolean, &S::CheckCheckSumOnInsertion},
    {"CreateCheckSumOnInsertion", kBoolean, &S::CreateCheckSumOnInsertion},
    {"ConfirmFileInsert", kBoolean, &S::ConfirmFileInsert},
    {"WaitForBlobEditing", kBoolean, &S::WaitForBlobEditing},
    {"AddInitialKeywords", kBoolean, &S::AddInitialKeywords},
    {"AlwaysDoDefaultDBRecordAction", kBoolean, &S::AlwaysDoDefaultDBRecordAction},
    {"InstantlyHideAssigned", kBoolean, &S::InstantlyHideAssigned},
    {"DefaultDBRecordAction", kInteger, &S::DefaultDBRecordAction},
    {"DBThumbstoragemethod", kInteger, &S::DBThumbstoragemethod},
    {"SearchMethod", kInteger, &S::SearchMethod},
    {"DelimitCharacter", kFirstChar, &S::DelimitCharacter},
    // The window.
    {"LMax", kBoolean, &S::LMax},
    {"QLLeft", kBounded, &S::QLLeft, LeftBounds},
    {"QLTop", kBounded, &S::QLTop, TopBounds},
    {"QLWidth", kBounded, &S::QLWidth, WidthBounds},
    {"QLHeight", kBounded, &S::QLHeight, HeightBounds},
    {"FileGridWidth", kBounded, &S::FileGridWidth, PanelWidthBounds, true},
    {"FileGridTop", kBounded, &S::FileGridTop, PanelHeightBounds, true},
};

// The default of a bounded value that depends on the limits.
Integer DefaultOf(const TRow& Row, const TLumoraSettings& Defaults, const TSettingsLimits& Limits) {
    if (std::get<Integer S::*>(Row.Field) == &S::CurrentKeywordsHeight) return Limits.KeywordsWindowHeight * 45 / 100;
    return Defaults.*std::get<Integer S::*>(Row.Field);
}

// A value as text; a value stored with another type counts as malformed.
std::string ReadText(TRegistry& Reg, const std::string& Name) {
    try {
        return Reg.ReadString(Name);
    } catch (const ERegistryException&) {
        return {};
    }
}

void ReadRow(TRegistry& Reg, const TRow& Row, TLumoraSettings& Settings, const TLumoraSettings& Defaults,
             const TSettingsLimits& Limits) {
    const std::string text = ReadText(Reg, Row.Name);
    constexpr Integer kMin = std::numeric_limits<Integer>::min();
    constexpr Integer kMax = std::numeric_limits<Integer>::max();
    switch (Row.Kind) {
    case kText: Settings.*std::get<std::string S::*>(Row.Field) = text; break;
    case kTextNotEmpty: {
        auto field = std::get<std::string S::*>(Row.Field);
        Settings.*field = text.empty() ? Defaults.*field : text;
        break;
    }
    case kFirstChar: {
        auto field = std::get<std::string S::*>(Row.Field);
        Settings.*field = text.empty() ? Defaults.*field : text.substr(0, Utf8CharToByte(text, 1));
        break;
    }
    case kBoolean: {
        auto field = std::get<bool S::*>(Row.Field);
        Settings.*field = TextToBoolDef(text, Defaults.*field);
        break;
    }
    case kColour: {
        auto field = std::get<Integer S::*>(Row.Field);
        try {
            Settings.*field = StringToColor(text);
        } catch (const EConvertError&) {
            Settings.*field = 0;
        }
        break;
    }
    case kSlideshowMode: {
        auto field = std::get<Integer S::*>(Row.Field);
        if (SameText(text, "UP"))
            Settings.*field = ssBackward;
        else if (SameText(text, "RANDOM"))
            Settings.*field = ssRandom;
        else
            Settings.*field = ssForward;
        break;
    }
    default: {
        auto field = std::get<Integer S::*>(Row.Field);
        const Integer def = DefaultOf(Row, Defaults, Limits);
        switch (Row.Kind) {
        case kInteger: Settings.*field = StrToIntRange(text, kMin, kMax, def); break;
        case kByte: Settings.*field = StrToIntRange(text, 0, 255, def); break;
        case kSmallInt: Settings.*field = StrToIntRange(text, -32768, 32767, def); break;
        case kPositive: Settings.*field = StrToIntRange(text, 1, kMax, def); break;
        case kBounded: {
            auto [lo, hi] = Row.Bounds(Limits);
            Settings.*field = StrToIntRange(text, lo, hi, def);
            break;
        }
        default: break;
        }
    }
    }
}

std::string RowText(const TRow& Row, const TLumoraSettings& Settings) {
    switch (Row.Kind) {
    case kText:
    case kTextNotEmpty:
    case kFirstChar: return Settings.*std::get<std::string S::*>(Row.Field);
    case kBoolean: return BoolToText(Settings.*std::get<bool S::*>(Row.Field));
    case kColour: return ColorToString(Settings.*std::get<Integer S::*>(Row.Field));
    case kSlideshowMode: {
        Integer method = Settings.*std::get<Integer S::*>(Row.Field);
        return method == ssBackward ? "Up" : method == ssRandom ? "Random" : "Down";
    }
    default: return IntToStr(Settings.*std::get<Integer S::*>(Row.Field));
    }
}

// The format records in the order they are read and in the order they are written.
constexpr TFormatRecordKind kFormatReadOrder[] = {frImage, frSound, frText, frCustom, frOffice, frVideo, frOther};
constexpr TFormatRecordKind kFormatWriteOrder[] = {frImage, frVideo, frSound, frOffice, frOther, frCustom, frText};

std::string WarningValueName(int N) { return "Warning_" + IntToStr(N) + "_Visible"; }

}  // namespace

int ToolbarEntryIndex(const std::string& Name) {
    for (int i = 0; i < ToolbarEntryCount; ++i)
        if (SameText(Name, ToolbarEntryNames[i])) return i;
    return -1;
}

void ReadMainSettings(TRegistry& Reg, TLumoraSettings& Settings, const TSettingsLimits& Limits) {
    const TLumoraSettings defaults;
    for (const TRow& row : kRows) ReadRow(Reg, row, Settings, defaults, Limits);
}

void WriteMainSettings(TRegistry& Reg, const TLumoraSettings& Settings, bool FullScreen) {
    Reg.WriteString("Version", SettingsVersion);
    for (const TRow& row : kRows) {
        if (row.KeptInFullScreen && FullScreen) continue;
        // The mode pages' height is written only when it is a real height.
        if (std::holds_alternative<Integer S::*>(row.Field) &&
            std::get<Integer S::*>(row.Field) == &S::FileGridTop && Settings.FileGridTop <= 70)
            continue;
        Reg.WriteString(row.Name, RowText(row, Settings));
    }
    Reg.WriteString("Temperamental", "False");
    Reg.WriteString("DatabaseExclusiveAccess", "True");
}

bool ReadFormatRecordSettings(TRegistry& Reg, const std::function<bool(TFormatRecordKind, const std::string&)>& Valid) {
    for (TFormatRecordKind kind : kFormatReadOrder) {
        const std::string text = ReadText(Reg, FormatRecordValueNames[kind]);
        if (Valid && !Valid(kind, text)) return false;
        try {
            StrToFormatRecord(text, FormatRecords()[kind]);
        } catch (const Exception&) {
            return false;
        }
    }
    return true;
}

void WriteFormatRecordSettings(TRegistry& Reg) {
    for (TFormatRecordKind kind : kFormatWriteOrder)
        Reg.WriteString(FormatRecordValueNames[kind], FormatRecordToStr(FormatRecords()[kind]));
}

void ReadWarningSettings(TRegistry& Reg, TLumoraSettings& Settings) {
    for (int n = 0; n < WarningCount; ++n)
        Settings.WarningVisible[n] = TextToBoolDef(ReadText(Reg, WarningValueName(n)), true);
}

void WriteWarningSettings(TRegistry& Reg, const TLumoraSettings& Settings) {
    for (int n = 0; n < WarningCount; ++n) Reg.WriteString(WarningValueName(n), BoolToText(Settings.WarningVisible[n]));
}

void ReadToolbarSettings(TRegistry& Reg, TLumoraSettings& Settings) {
    for (int i = 0; i < ToolbarEntryCount; ++i)
        Settings.ToolbarVisible[i] = TextToBoolDef(ReadText(Reg, ToolbarEntryNames[i]), true);
}

void WriteToolbarSettings(TRegistry& Reg, const TLumoraSettings& Settings) {
    for (int i = 0; i < ToolbarEntryCount; ++i)
        Reg.WriteString(ToolbarEntryNames[i], BoolToText(Settings.ToolbarVisible[i]));
}

namespace {

// Opens the grid's key (created when missing) or tells that it cannot.
bool OpenGridKey(TRegistry& Reg, const std::string& Key) {
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (Reg.OpenKey(Key, true)) return true;
    ShowMessage("Registry Read File");
    return false;
}

}  // namespace

bool LoadGridLayout(const std::string& Key, TGridLayout& Layout) {
    TRegistry reg;
    if (!OpenGridKey(reg, Key)) return false;
    Layout.ShowGroupPanel = TextToBoolDef(ReadText(reg, "ShowGroupPanel"), Layout.ShowGroupPanel);
    Layout.FlatStyle = TextToBoolDef(ReadText(reg, "FlatStyle"), Layout.FlatStyle);
    Layout.AutoWidth = TextToBoolDef(ReadText(reg, "AutoWidth"), Layout.AutoWidth);
    Layout.AutoPreview = TextToBoolDef(ReadText(reg, "AutoPreview"), false);
    for (TGridLayoutColumn& c : Layout.Columns) {
        c.Visible = TextToBoolDef(ReadText(reg, c.Name + "_Visible"), c.Visible);
        c.Index = StrToIntDef(ReadText(reg, c.Name + "_Index"), c.Index);
        c.GroupIndex = StrToIntDef(ReadText(reg, c.Name + "_GroupIndex"), c.GroupIndex);
        c.Width = StrToIntDef(ReadText(reg, c.Name + "_Width"), c.Width);
        c.Sorted = StrToIntDef(ReadText(reg, c.Name + "_Sorted"), c.Sorted);
    }
    return true;
}

bool SaveGridLayout(const std::string& Key, const TGridLayout& Layout) {
    TRegistry reg;
    if (!OpenGridKey(reg, Key)) return false;
    reg.WriteString("ShowGroupPanel", BoolToText(Layout.ShowGroupPanel));
    reg.WriteString("FlatStyle", BoolToText(Layout.FlatStyle));
    reg.WriteString("AutoWidth", BoolToText(Layout.AutoWidth));
    reg.WriteString("AutoPreview", BoolToText(Layout.AutoPreview));
    for (const TGridLayoutColumn& c : Layout.Columns) {
        reg.WriteString(c.Name + "_Visible", BoolToText(c.Visible));
        reg.WriteString(c.Name + "_Index", IntToStr(c.Index));
        reg.WriteString(c.Name + "_GroupIndex", IntToStr(c.GroupIndex));
        reg.WriteString(c.Name + "_Width", IntToStr(c.Width));
        reg.WriteString(c.Name + "_Sorted", IntToStr(c.Sorted));
    }
    return true;
}
