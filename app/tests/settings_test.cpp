#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/settings.h"
#include "framework/registry.h"
#include "framework/string_list.h"

namespace {

const TSettingsLimits kLimits{1024, 768, 200};

// A store with an empty main key, removed again afterwards.
class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        reg.DeleteKey(MainSettingsKey);
    }
    // A key from the root, open (created when missing).
    static void Open(TRegistry& Reg, const std::string& Key = MainSettingsKey) {
        Reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(Reg.OpenKey("\\" + Key, true));
    }
    static TLumoraSettings ReadWith(const std::vector<std::pair<std::string, std::string>>& Values) {
        TRegistry reg;
        Open(reg);
        for (auto& [name, value] : Values) reg.WriteString(name, value);
        TLumoraSettings s;
        ReadMainSettings(reg, s, kLimits);
        return s;
    }
};

// Every setting away from its default.
TLumoraSettings ChangedSettings() {
    TLumoraSettings s;
    s.TipsOnStart = false;
    s.GetStarted = false;
    s.TwainHandle = 4123459;
    s.AfterPWApp = "/usr/bin/true";
    s.LastDir = "/srv/photos/";
    s.SaveLastDirectory = false;
    s.ConfirmClosure = true;
    s.LMax = true;
    s.QLLeft = 33;
    s.QLTop = 44;
    s.QLWidth = 555;
    s.QLHeight = 466;
    s.FileGridWidth = 277;
    s.FileGridTop = 188;
    s.CurrentKeywordsHeight = 150;
    s.BackgroundImage = "/srv/back.bmp";
    s.BackgroundColour = 0x123456;
    s.ToolbarTitles = false;
    s.TabCaptionsVisible = false;
    s.HideFlyoversInFS = false;
    s.ShowHints = false;
    s.BeepOnError = false;
    s.BeepOnAction = false;
    s.ShowDlgProgress = false;
    s.ShowPreview = false;
    s.Mode = 4;
    s.FileDisplayMode = 2;
    s.CurrentFilter = 5;
    s.ShowHiddenFiles = true;
    s.ShowSystemFiles = true;
    s.ShowShortcuts = true;
    s.ShowTHBFiles = true;
    s.SupportFalseExt = true;
    s.FalseExtension = ".qlx";
    s.DirectoryRenaming = true;
    s.FileSizeDetailLevel = 3;
    s.CDRomDrive = "/media/cdrom";
    s.DoubleCheck_CDROM = false;
    s.PromptForCDName = false;
    s.EvenShowUnavailableThumbs = false;
    s.JPEGThumbnails = true;
    s.DiskCacheMaxCount = 900;
    s.ThumbnailHeight = 120;
    s.ThumbnailWidth = 160;
    s.IconInfoColumnWidth = 300;
    s.FilenameColumnWidth = 250;
    s.ThumbQualityHigh = false;
    s.HideFileExt = true;
    s.ImageShrink = false;
    s.ImageStretch = true;
    s.VideoShrink = false;
    s.VideoStretch = true;
    s.DefaultVideoZoom = 200;
    s.ZoomQuality = 2;
    s.NoTextFileTitles = true;
    s.CanCancelLoading = false;
    s.SlideshowDelay = 11;
    s.SlideshowMethod = ssRandom;
    s.LoopSlideshow = false;
    s.ShowSSName = true;
    s.HideAllDuringSS = true;
    s.SSMultiHorz = 5;
    s.SSMultiVert = 6;
    s.ShowPositionInMultiShow = false;
    s.UseMouseWheel = true;
    s.MMLoop = true;
    s.FlashAppBeforeVidCap = false;
    s.NewWindowFullSize = false;
    s.NewWindowWidth = 640;
    s.NewWindowHeight = -999;
    s.ShowNewWindowIcon = false;
    s.ConfirmDeleteFile = false;
    s.MoveToRecycleBin = true;
    s.ConfirmDragDrop = false;
    s.UseWindowsMoveCopy = true;
    s.ShowDirectoryBrowserInMove = false;
    s.ConfirmQuickMoveFiles = false;
    s.MoveFiles = true;
    s.DisplaySourceDirsInQuickMove = false;
    s.SelectedSourceDirs = "/a/;/b/";
    s.ConfirmBookmarkSaves = false;
    s.AlwaysSaveDefaultBookmarkFile = false;
    s.RenameSuffix = "_copy";
    s.Launch16bitNames = true;
    s.AdvancedSave = true;
    s.DefaultJPEGQuality = 90;
    s.UseDefaultJPEGComp = false;
    s.OpenDlgHeight = 520;
    s.WatchDirectoryDirectory = "/srv/incoming/";
    s.Dont_Delete_DB_Inserted_Files = false;
    s.CheckCheckSumOnInsertion = false;
    s.CreateCheckSumOnInsertion = false;
    s.ConfirmFileInsert = false;
    s.WaitForBlobEditing = false;
    s.AddInitialKeywords = true;
    s.AlwaysDoDefaultDBRecordAction = true;
    s.InstantlyHideAssigned = true;
    s.DefaultDBRecordAction = 2;
    s.DBThumbstoragemethod = 1;
    s.SearchMethod = 3;
    s.DelimitCharacter = ";";
    for (int n = 0; n < WarningCount; n += 3) s.WarningVisible[n] = false;
    for (int i = 0; i < ToolbarEntryCount; i += 2) s.ToolbarVisible[i] = false;
    return s;
}

std::vector<std::string> ValueNames(TRegistry& Reg) {
    TStringList names;
    Reg.GetValueNames(&names);
    std::vector<std::string> v;
    for (int i = 0; i < names.GetCount(); ++i) v.push_back(names.Get(i));
    return v;
}

}  // namespace

TEST_F(SettingsStoreTest, EverySettingRoundTripsThroughTheStore) {
    const TLumoraSettings written = ChangedSettings();
    for (int k = 0; k < FormatRecordCount; ++k)
        FormatRecords()[k] = {"*.k" + std::to_string(k) + ";", 3, 4, k == 2 ? "/opt/my#editor" : "", ShortInt(k - 1)};
    {
        TRegistry reg;
        Open(reg);
        WriteMainSettings(reg, written, false);
        WriteFormatRecordSettings(reg);
        Open(reg, WarningSettingsKey);
        WriteWarningSettings(reg, written);
        Open(reg, ToolbarSettingsKey);
        WriteToolbarSettings(reg, written);
    }
    RegistryUnload();  // read back from the file, not from memory

    const TFormatRecords records = FormatRecords();
    FormatRecords() = {};
    TLumoraSettings read;
    TRegistry reg;
    Open(reg);
    ReadMainSettings(reg, read, kLimits);
    EXPECT_TRUE(ReadFormatRecordSettings(reg, nullptr));
    EXPECT_EQ(FormatRecords(), records);
    Open(reg, WarningSettingsKey);
    ReadWarningSettings(reg, read);
    Open(reg, ToolbarSettingsKey);
    ReadToolbarSettings(reg, read);
    EXPECT_TRUE(read == written);
    EXPECT_FALSE(read == TLumoraSettings());

    // Every value is a string, and the main key holds exactly the settings' value names.
    Open(reg);
    const std::set<std::string> expected = {
        "Version", "TipsOnStart", "GetStarted", "TwainHandle", "AfterPWApp", "LastDir", "SaveLastDirectory",
        "ConfirmClosure", "LMax", "QLLeft", "QLTop", "QLWidth", "QLHeight", "FileGridWidth", "FileGridTop",
        "CurrentKeywordsHeight", "BackgroundImage", "BackgroundColour", "ToolbarTitles", "TabCaptionsVisible",
        "HideFlyoversInFS", "ShowHints", "BeepOnError", "BeepOnAction", "ShowDlgProgress", "ShowPreview", "Mode",
        "FileDisplayMode", "CurrentFilter", "ShowHiddenFiles", "ShowSystemFiles", "ShowShortcuts", "ShowTHBFiles",
        "SupportFalseExt", "FalseExtension", "DirectoryRenaming", "FileSizeDetailLevel", "CDRomDrive",
        "DoubleCheck_CDROM", "PromptForCDName", "EvenShowUnavailableThumbs", "JPEGThumbnails", "DiskCacheMaxCount",
        "ThumbnailHeight", "ThumbnailWidth", "IconInfoColumnWidth", "FilenameColumnWidth", "ThumbQualityHigh",
        "HideFileExt", "ImageShrink", "ImageStretch", "VideoShrink", "VideoStretch", "DefaultVideoZoom",
        "ZoomQuality", "NoTextFileTitles", "CanCancelLoading", "SlideshowDelay", "SlideshowMode", "LoopSlideshow",
        "ShowSSName", "HideAllDuringSS", "SSMultiHorz", "SSMultiVert", "ShowPositionInMultiShow", "UseMouseWheel",
        "MMLoop", "FlashAppBeforeVidCap", "NewWindowFullSize", "NewWindowWidth", "NewWindowHeight",
        "ShowNewWindowIcon", "ConfirmDeleteFile", "MoveToRecycleBin", "ConfirmDragDrop", "UseWindowsMoveCopy",
        "ShowDirectoryBrowserInMove", "ConfirmQuickMoveFiles", "MoveFiles", "DisplaySourceDirsInQuickMove",
        "SelectedSourceDirs", "ConfirmBookmarkSaves", "AlwaysSaveDefaultBookmarkFile", "RenameSuffix",
        "Launch16bitNames", "AdvancedSave", "DefaultJPEGQuality", "UseDefaultJPEGComp", "OpenDlgHeight",
        "WatchDirectoryDirectory", "Dont_Delete_DB_Inserted_Files", "CheckCheckSumOnInsertion",
        "CreateCheckSumOnInsertion", "ConfirmFileInsert", "WaitForBlobEditing", "AddInitialKeywords",
        "AlwaysDoDefaultDBRecordAction", "InstantlyHideAssigned", "DefaultDBRecordAction", "DBThumbstoragemethod",
        "SearchMethod", "DelimitCharacter", "Temperamental", "DatabaseExclusiveAccess", "ImageFormat", "SoundFormat",
        "TextFormat", "CustomFormat", "OfficeFormat", "VideoFormat", "OtherFormat",
    };
    std::vector<std::string> names = ValueNames(reg);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), expected);
    EXPECT_EQ(names.size(), expected.size());
    for (const std::string& name : names) EXPECT_EQ(reg.GetDataType(name), rdString) << name;
    EXPECT_EQ(reg.ReadString("Version"), "Lumora v5.001");
    EXPECT_EQ(reg.ReadString("SlideshowMode"), "Random");
    EXPECT_EQ(reg.ReadString("ConfirmClosure"), "True");
    EXPECT_EQ(reg.ReadString("Temperamental"), "False");
    EXPECT_EQ(reg.ReadString("DatabaseExclusiveAccess"), "True");

    Open(reg, WarningSettingsKey);
    EXPECT_EQ(reg.ReadString("Warning_0_Visible"), "False");
    EXPECT_EQ(reg.ReadString("Warning_35_Visible"), "True");
    EXPECT_EQ(ValueNames(reg).size(), 36u);
    Open(reg, ToolbarSettingsKey);
    EXPECT_EQ(reg.ReadString("Quick Move/Copy"), "False");
    EXPECT_EQ(reg.ReadString("Mixer"), "True");
}

TEST_F(SettingsStoreTest, BadStoredValuesDecodeToTheirDefaults) {
    struct Case {
        const char* name;
        const char* stored;  // nullptr: the value is missing
        Integer TLumoraSettings::*field;
        Integer expected;
    } ints[] = {
        {"ZoomQuality", "abc", &TLumoraSettings::ZoomQuality, 1},
        {"ZoomQuality", "300", &TLumoraSettings::ZoomQuality, 1},  // does not fit its byte
        {"ZoomQuality", "0", &TLumoraSettings::ZoomQuality, 0},
        {"QLWidth", "90", &TLumoraSettings::QLWidth, 700},  // below the minimum of 150
        {"QLWidth", "150", &TLumoraSettings::QLWidth, 150},
        {"QLWidth", "1024", &TLumoraSettings::QLWidth, 1024},
        {"QLWidth", "1025", &TLumoraSettings::QLWidth, 700},
        {"QLLeft", "1024", &TLumoraSettings::QLLeft, 20},  // the screen width, past width - 100
        {"QLLeft", "924", &TLumoraSettings::QLLeft, 924},
        {"QLTop", "669", &TLumoraSettings::QLTop, 14},
        {"QLTop", "-1", &TLumoraSettings::QLTop, 14},
        {"QLHeight", "99", &TLumoraSettings::QLHeight, 580},
        {"FileGridTop", "79", &TLumoraSettings::FileGridTop, 216},
        {"FileGridTop", "80", &TLumoraSettings::FileGridTop, 80},
        {"FileGridWidth", "1025", &TLumoraSettings::FileGridWidth, 344},
        {"CurrentKeywordsHeight", nullptr, &TLumoraSettings::CurrentKeywordsHeight, 90},  // 45 % of 200
        {"CurrentKeywordsHeight", "99", &TLumoraSettings::CurrentKeywordsHeight, 90},     // bounds 100..160
        {"CurrentKeywordsHeight", "160", &TLumoraSettings::CurrentKeywordsHeight, 160},
        {"DefaultVideoZoom", nullptr, &TLumoraSettings::DefaultVideoZoom, 100},
        {"DefaultVideoZoom", "0", &TLumoraSettings::DefaultVideoZoom, 100},
        {"DefaultVideoZoom", "-5", &TLumoraSettings::DefaultVideoZoom, 100},
        {"DefaultVideoZoom", "1", &TLumoraSettings::DefaultVideoZoom, 1},
        {"TwainHandle", nullptr, &TLumoraSettings::TwainHandle, NoAccessPassword},
        {"TwainHandle", "secret", &TLumoraSettings::TwainHandle, NoAccessPassword},
        {"SlideshowDelay", "", &TLumoraSettings::SlideshowDelay, 2},
        {"SlideshowDelay", "99999999999", &TLumoraSettings::SlideshowDelay, 2},
        {"FileSizeDetailLevel", "70000", &TLumoraSettings::FileSizeDetailLevel, 1},
        {"DefaultJPEGQuality", "256", &TLumoraSettings::DefaultJPEGQuality, 75},
        {"BackgroundColour", "no colour", &TLumoraSettings::BackgroundColour, 0},
        {"BackgroundColour", "clRed", &TLumoraSettings::BackgroundColour, 0x0000FF},
        {"BackgroundColour", "$00336699", &TLumoraSettings::BackgroundColour, 0x336699},
        {"SlideshowMode", "down", &TLumoraSettings::SlideshowMethod, ssForward},
        {"SlideshowMode", "sideways", &TLumoraSettings::SlideshowMethod, ssForward},
        {"SlideshowMode", "uP", &TLumoraSettings::SlideshowMethod, ssBackward},
        {"SlideshowMode", "RANDOM", &TLumoraSettings::SlideshowMethod, ssRandom},
    };
    for (const Case& c : ints) {
        Clear();
        std::vector<std::pair<std::string, std::string>> values;
        if (c.stored) values.emplace_back(c.name, c.stored);
        EXPECT_EQ(ReadWith(values).*c.field, c.expected) << c.name << " = " << (c.stored ? c.stored : "(missing)");
    }

    struct BoolCase {
        const char* stored;
        bool expected;  // ImageShrink defaults to True, ImageStretch to False
        bool expectedStretch;
    } bools[] = {
        {"true", true, true}, {"TRUE", true, true}, {"False", false, false}, {"fALSE", false, false},
        {"yes", true, false}, {"no", true, false},  {"", true, false},       {"1", true, false},
    };
    for (const BoolCase& c : bools) {
        Clear();
        TLumoraSettings s = ReadWith({{"ImageShrink", c.stored}, {"ImageStretch", c.stored}});
        EXPECT_EQ(s.ImageShrink, c.expected) << '"' << c.stored << '"';
        EXPECT_EQ(s.ImageStretch, c.expectedStretch) << '"' << c.stored << '"';
    }

    Clear();
    TLumoraSettings s = ReadWith({{"FalseExtension", ""}, {"DelimitCharacter", ""}});
    EXPECT_EQ(s.FalseExtension, ".lm");
    EXPECT_EQ(s.DelimitCharacter, "#");
    Clear();
    s = ReadWith({{"DelimitCharacter", "\xc3\xa9tude"}, {"LastDir", "  /keep/as is/ "}});
    EXPECT_EQ(s.DelimitCharacter, "\xc3\xa9");  // one character, not one byte
    EXPECT_EQ(s.LastDir, "  /keep/as is/ ");

    // An empty false extension is written back as ".lm".
    Clear();
    {
        TRegistry reg;
        Open(reg);
        reg.WriteString("FalseExtension", "");
        TLumoraSettings read;
        ReadMainSettings(reg, read, kLimits);
        WriteMainSettings(reg, read, false);
        EXPECT_EQ(reg.ReadString("FalseExtension"), ".lm");
        // A value stored with another type counts as malformed.
        reg.WriteInteger("SSMultiHorz", 9);
        ReadMainSettings(reg, read, kLimits);
        EXPECT_EQ(read.SSMultiHorz, 4);
    }
}

TEST_F(SettingsStoreTest, PanelSizesAreKeptOutOfTheStoreInFullScreenAndWhenTooSmall) {
    TLumoraSettings s;
    s.FileGridWidth = 250;
    s.FileGridTop = 150;
    TRegistry reg;
    Open(reg);
    WriteMainSettings(reg, s, true);
    EXPECT_FALSE(reg.ValueExists("FileGridWidth"));
    EXPECT_FALSE(reg.ValueExists("FileGridTop"));
    EXPECT_TRUE(reg.ValueExists("QLWidth"));
    WriteMainSettings(reg, s, false);
    EXPECT_EQ(reg.ReadString("FileGridWidth"), "250");
    EXPECT_EQ(reg.ReadString("FileGridTop"), "150");
    s.FileGridTop = 70;
    s.FileGridWidth = 120;
    WriteMainSettings(reg, s, false);
    EXPECT_EQ(reg.ReadString("FileGridTop"), "150");  // 70 is not above 70: the old height stays
    EXPECT_EQ(reg.ReadString("FileGridWidth"), "120");
}

TEST_F(SettingsStoreTest, FormatRecordsStopAtTheFirstRefusedTextAndKeepTheirWriteOrder) {
    TRegistry reg;
    Open(reg);
    for (int k = 0; k < FormatRecordCount; ++k)
        reg.WriteString(FormatRecordValueNames[k], "*.k" + std::to_string(k) + ";#3#4#0#/opt/ed#" + std::to_string(k));
    const TFormatRecord old{"*.old;", 1, 1, "", -1};
    for (const char* broken : {"refused", "not a record"}) {
        SCOPED_TRACE(broken);
        reg.WriteString("TextFormat", broken);
        FormatRecords().fill(old);
        std::vector<TFormatRecordKind> asked;
        const bool ok = ReadFormatRecordSettings(reg, [&](TFormatRecordKind Kind, const std::string& Text) {
            asked.push_back(Kind);
            return Text != "refused";
        });
        EXPECT_FALSE(ok);
        // Read in the order image, sound, text ...: the text record stops the reading.
        EXPECT_EQ(asked, (std::vector<TFormatRecordKind>{frImage, frSound, frText}));
        EXPECT_EQ(FormatRecords()[frImage], (TFormatRecord{"*.k0;", 3, 4, "/opt/ed#0", 0}));
        EXPECT_EQ(FormatRecords()[frSound], (TFormatRecord{"*.k2;", 3, 4, "/opt/ed#2", 0}));
        for (TFormatRecordKind k : {frText, frCustom, frOffice, frVideo, frOther}) EXPECT_EQ(FormatRecords()[k], old);
    }

    SettingsStoreTest::Clear();
    Open(reg);
    WriteFormatRecordSettings(reg);
    EXPECT_EQ(ValueNames(reg), (std::vector<std::string>{"ImageFormat", "VideoFormat", "SoundFormat", "OfficeFormat",
                                                           "OtherFormat", "CustomFormat", "TextFormat"}));
    EXPECT_EQ(reg.ReadString("ImageFormat"), "*.k0;#3#4#0#/opt/ed#0");
    EXPECT_EQ(reg.ReadString("TextFormat"), "*.old;#1#1#-1#");
}

TEST_F(SettingsStoreTest, SwitchesAndToolbarFlagsDefaultToShown) {
    TRegistry reg;
    Open(reg, WarningSettingsKey);
    reg.WriteString("Warning_4_Visible", "false");
    reg.WriteString("Warning_5_Visible", "no");
    TLumoraSettings s;
    s.WarningVisible.fill(false);
    ReadWarningSettings(reg, s);
    for (int n = 0; n < WarningCount; ++n) EXPECT_EQ(s.WarningVisible[n], n != 4) << n;

    Open(reg, ToolbarSettingsKey);
    reg.WriteString("menu", "False");  // value names compare without regard to case
    s.ToolbarVisible.fill(false);
    ReadToolbarSettings(reg, s);
    for (int i = 0; i < ToolbarEntryCount; ++i) EXPECT_EQ(s.ToolbarVisible[i], i != ToolbarEntryIndex("Menu")) << i;
    EXPECT_EQ(ToolbarEntryIndex("quick move/copy"), 10);
    EXPECT_EQ(ToolbarEntryIndex("Database"), -1);
}

TEST_F(SettingsStoreTest, GridLayoutKeepsWhatIsNotStoredAndRoundTrips) {
    const std::string key = "\\SOFTWARE\\Qorvex\\Lumora\\Grid\\";
    TGridLayout current;
    current.ShowGroupPanel = true;
    current.FlatStyle = true;
    current.AutoWidth = true;
    current.AutoPreview = true;
    current.Columns = {{"FileGridFilename", true, 0, -1, 180, 1}, {"FileGridSize", false, 1, -1, 60, 0}};

    TGridLayout layout = current;
    ASSERT_TRUE(LoadGridLayout(key, layout));  // no "Grid\" yet: the grid stays as it is
    EXPECT_TRUE(layout.ShowGroupPanel);
    EXPECT_TRUE(layout.FlatStyle);
    EXPECT_TRUE(layout.AutoWidth);
    EXPECT_FALSE(layout.AutoPreview);  // the one option with a fixed default
    EXPECT_EQ(layout.Columns[0].Width, 180);
    EXPECT_EQ(layout.Columns[1].Visible, false);

    TGridLayout saved = current;
    saved.ShowGroupPanel = false;
    saved.Columns[0] = {"FileGridFilename", false, 1, 0, 95, 2};
    saved.Columns[1] = {"FileGridSize", true, 0, -1, 70, 1};
    ASSERT_TRUE(SaveGridLayout(key, saved));
    RegistryUnload();
    layout = current;
    ASSERT_TRUE(LoadGridLayout(key, layout));
    EXPECT_FALSE(layout.ShowGroupPanel);
    EXPECT_TRUE(layout.AutoPreview);
    ASSERT_EQ(layout.Columns.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(layout.Columns[i].Visible, saved.Columns[i].Visible);
        EXPECT_EQ(layout.Columns[i].Index, saved.Columns[i].Index);
        EXPECT_EQ(layout.Columns[i].GroupIndex, saved.Columns[i].GroupIndex);
        EXPECT_EQ(layout.Columns[i].Width, saved.Columns[i].Width);
        EXPECT_EQ(layout.Columns[i].Sorted, saved.Columns[i].Sorted);
    }
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(key, false));
    EXPECT_EQ(reg.ReadString("FileGridFilename_Sorted"), "2");
    EXPECT_EQ(reg.ReadString("FileGridSize_Visible"), "True");
}
