#pragma once
// The settings store: every user setting of the program, kept as string values in the registry
// under HKEY_LOCAL_MACHINE "SOFTWARE\Qorvex\Lumora" (main key), with the subkeys "Warning" (the
// warning switches), "Toolbars" (the toolbar visibility flags beside the toolbar positions) and
// "Grid\" (the file grid's layout).
//
// The settings are read once at start-up and written back as a whole; in between the program
// changes the values in memory only. Each value has one encoding:
// - text: stored as it is;
// - Boolean: "True"/"False", read in any case; any other text (a missing value included) gives
//   the default;
// - integer: decimal; a missing or malformed value gives the default (a value that does not fit
//   the setting's byte or 16-bit range too);
// - bounded integer: as integer, and a number outside the bounds also gives the default;
// - colour: a colour name or "$" and hexadecimal digits; a malformed text gives 0.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/format_records.h"
#include "framework/graphics.h"
#include "framework/types.h"

class TRegistry;

// The main key and its subkeys.
inline constexpr const char* MainSettingsKey = "SOFTWARE\\Qorvex\\Lumora";
inline constexpr const char* WarningSettingsKey = "SOFTWARE\\Qorvex\\Lumora\\Warning";
inline constexpr const char* ToolbarSettingsKey = "SOFTWARE\\Qorvex\\Lumora\\Toolbars";
inline constexpr const char* DatabaseSettingsKey = "SOFTWARE\\Qorvex\\Lumora\\Databases";
inline constexpr const char* GridSettingsKey = "\\SOFTWARE\\Qorvex\\Lumora\\Grid\\";
// The version stamp; any other stored "Version" makes a start a first run.
inline constexpr const char* SettingsVersion = "Lumora v5.001";
// The access-password value meaning "no password" (0 means the same).
inline constexpr Integer NoAccessPassword = 527019364;

inline constexpr int WarningCount = 36;
inline constexpr int ToolbarEntryCount = 15;
// The named entries of the toolbar table, also the value names of their visibility flags.
inline constexpr std::array<const char*, ToolbarEntryCount> ToolbarEntryNames = {
    "Main",     "Status Bar", "Menu",     "Image Editing",   "Text Editing",
    "Multimedia", "File Grid", "Slideshow", "Keywords",      "Description",
    "Quick Move/Copy", "Mixer", "New Window Main", "New Window Multimedia", "New Window Status Bar",
};
int ToolbarEntryIndex(const std::string& Name);

// The seven format records in their stored kinds' order (the file kinds' order).
enum TFormatRecordKind { frImage, frText, frSound, frVideo, frOffice, frCustom, frOther };
inline constexpr int FormatRecordCount = FormatKindCount;
// The value names of the seven format records, by kind.
inline constexpr const auto& FormatRecordValueNames = FormatRecordKeyNames;

// Slideshow methods as the file-list controller numbers them.
enum TSlideshowMethod { ssForward = 0, ssBackward = 1, ssRandom = 2 };

// Every setting of the main key, "Warning" and the toolbar visibility flags, under the value
// names; a default-constructed object holds the defaults.
struct TLumoraSettings {
    // Start-up, version and reset.
    bool TipsOnStart = true;
    bool GetStarted = true;
    Integer TwainHandle = NoAccessPassword;  // the access password's hash
    std::string AfterPWApp;
    std::string LastDir;
    bool SaveLastDirectory = true;
    bool ConfirmClosure = false;

    // Main window and layout.
    bool LMax = false;
    Integer QLLeft = 20;
    Integer QLTop = 14;
    Integer QLWidth = 700;
    Integer QLHeight = 580;
    Integer FileGridWidth = 344;
    Integer FileGridTop = 216;
    Integer CurrentKeywordsHeight = 0;  // the default follows the keywords window's height
    std::string BackgroundImage;
    TColor BackgroundColour = 0;
    bool ToolbarTitles = true;
    bool TabCaptionsVisible = true;
    bool HideFlyoversInFS = true;
    bool ShowHints = true;
    bool BeepOnError = true;
    bool BeepOnAction = true;
    bool ShowDlgProgress = true;
    bool ShowPreview = true;

    // Browsing and the file list.
    Integer Mode = 3;
    Integer FileDisplayMode = 0;
    Integer CurrentFilter = 0;
    bool ShowHiddenFiles = false;
    bool ShowSystemFiles = false;
    bool ShowShortcuts = false;
    bool ShowTHBFiles = false;
    bool SupportFalseExt = false;
    std::string FalseExtension = ".lm";
    bool DirectoryRenaming = false;
    Integer FileSizeDetailLevel = 1;
    std::string CDRomDrive;
    bool DoubleCheck_CDROM = true;
    bool PromptForCDName = true;
    bool EvenShowUnavailableThumbs = true;

    // Thumbnails.
    bool JPEGThumbnails = false;
    Integer DiskCacheMaxCount = 500;
    Integer ThumbnailHeight = -1;
    Integer ThumbnailWidth = -1;
    Integer IconInfoColumnWidth = -1;
    Integer FilenameColumnWidth = -1;
    bool ThumbQualityHigh = true;
    bool HideFileExt = false;

    // Viewer, zoom and slideshow.
    bool ImageShrink = true;
    bool ImageStretch = false;
    bool VideoShrink = true;
    bool VideoStretch = false;
    Integer DefaultVideoZoom = 100;
    Integer ZoomQuality = 1;
    bool NoTextFileTitles = false;
    bool CanCancelLoading = true;
    Integer SlideshowDelay = 2;
    Integer SlideshowMethod = ssForward;  // the value "SlideshowMode": "Down", "Up" or "Random"
    bool LoopSlideshow = true;
    bool ShowSSName = false;
    bool HideAllDuringSS = false;
    Integer SSMultiHorz = 4;
    Integer SSMultiVert = 3;
    bool ShowPositionInMultiShow = true;
    bool UseMouseWheel = false;
    bool MMLoop = false;
    bool FlashAppBeforeVidCap = true;
    bool NewWindowFullSize = true;
    Integer NewWindowWidth = 400;
    Integer NewWindowHeight = 400;
    bool ShowNewWindowIcon = true;

    // File operations and editing.
    bool ConfirmDeleteFile = true;
    bool MoveToRecycleBin = false;
    bool ConfirmDragDrop = true;
    bool UseWindowsMoveCopy = false;
    bool ShowDirectoryBrowserInMove = true;
    bool ConfirmQuickMoveFiles = true;
    bool MoveFiles = false;
    bool DisplaySourceDirsInQuickMove = true;
    std::string SelectedSourceDirs;
    bool ConfirmBookmarkSaves = true;
    bool AlwaysSaveDefaultBookmarkFile = true;
    std::string RenameSuffix;
    bool Launch16bitNames = false;
    bool AdvancedSave = false;
    Integer DefaultJPEGQuality = 75;
    bool UseDefaultJPEGComp = true;
    Integer OpenDlgHeight = 400;
    std::string WatchDirectoryDirectory;

    // The hidden database and keyword features, kept and written back.
    bool Dont_Delete_DB_Inserted_Files = true;
    bool CheckCheckSumOnInsertion = true;
    bool CreateCheckSumOnInsertion = true;
    bool ConfirmFileInsert = true;
    bool WaitForBlobEditing = true;
    bool AddInitialKeywords = false;
    bool AlwaysDoDefaultDBRecordAction = false;
    bool InstantlyHideAssigned = false;
    Integer DefaultDBRecordAction = 0;
    Integer DBThumbstoragemethod = 0;
    Integer SearchMethod = 0;
    std::string DelimitCharacter = "#";

    // Subkey "Warning": Warning_<n>_Visible.
    std::array<bool, WarningCount> WarningVisible = MakeAllTrue<WarningCount>();
    // Subkey "Toolbars": the visibility of each named toolbar-table entry.
    std::array<bool, ToolbarEntryCount> ToolbarVisible = MakeAllTrue<ToolbarEntryCount>();

    bool operator==(const TLumoraSettings&) const = default;

private:
    template <size_t N>
    static std::array<bool, N> MakeAllTrue() {
        std::array<bool, N> a;
        a.fill(true);
        return a;
    }
};

// What bounds and defaults depend on: the screen and the keywords window.
struct TSettingsLimits {
    Integer ScreenWidth = 0;
    Integer ScreenHeight = 0;
    Integer KeywordsWindowHeight = 0;
};

// The main key's values (the format records, "Version" and "DoReset" excepted) from the open key
// of Reg into S; a value that cannot be decoded gives its default.
void ReadMainSettings(TRegistry& Reg, TLumoraSettings& S, const TSettingsLimits& Limits);
// Writes them to the open key of Reg, "Version" and the two written-only values included; the
// left panel's width and the mode pages' height are left alone in full screen.
void WriteMainSettings(TRegistry& Reg, const TLumoraSettings& S, bool FullScreen);

// The format records (FormatRecords(), which live beside the settings) in their text form: read
// in the order image, sound, text, custom, office, video, other until a text is refused by Valid
// or does not parse (false is then returned and the rest stay as they were); written in the order
// image, video, sound, office, other, custom, text.
bool ReadFormatRecordSettings(TRegistry& Reg, const std::function<bool(TFormatRecordKind, const std::string&)>& Valid);
void WriteFormatRecordSettings(TRegistry& Reg);

// The switches of the open "Warning" key, and the visibility flags of the open "Toolbars" key.
void ReadWarningSettings(TRegistry& Reg, TLumoraSettings& S);
void WriteWarningSettings(TRegistry& Reg, const TLumoraSettings& S);
void ReadToolbarSettings(TRegistry& Reg, TLumoraSettings& S);
void WriteToolbarSettings(TRegistry& Reg, const TLumoraSettings& S);

// The file grid's layout as it is stored under "Grid\": the grid's options and, per column
// (named by its component name), visibility, position, group index, width and sort state
// (0 none, 1 down, 2 up).
struct TGridLayoutColumn {
    std::string Name;
    bool Visible = true;
    Integer Index = 0;
    Integer GroupIndex = -1;
    Integer Width = 0;
    Integer Sorted = 0;
};
struct TGridLayout {
    bool ShowGroupPanel = false;
    bool FlatStyle = false;
    bool AutoWidth = false;
    bool AutoPreview = false;
    std::vector<TGridLayoutColumn> Columns;
};
// Reads the layout stored under Key (HKEY_LOCAL_MACHINE) over Layout, which holds the grid's
// current state: what is not stored keeps its current value, except AutoPreview (default off).
// Answers false, with "Registry Read File" shown, when the key can neither be opened nor created.
bool LoadGridLayout(const std::string& Key, TGridLayout& Layout);
bool SaveGridLayout(const std::string& Key, const TGridLayout& Layout);
