#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "catalogue/file_record_comp.h"
#include "catalogue/lm_types.h"
#include "catalogue/tests/lm_types_oracle_cases.h"
#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "framework/format_settings.h"
#include "framework/graphics.h"
#include "framework/std_controls.h"
#include "framework/string_list.h"
#include "framework/testing/ui_test.h"
#include "framework/tests/scratch_folder.h"

namespace {

void Touch(const std::string& Name, const std::string& Content = "x") {
    TStringList lines;
    lines.SetText(Content);
    lines.SaveToFile(Name);
}

}  // namespace

TEST(CatalogueKinds, StoredCodesPutVideoBeforeSoundAndReadUnknownCodesAsNone) {
    const struct {
        Integer code;
        TLMFileTypes kind;
        const char* caption;
    } cases[] = {
        {1, lmImage, "Image file"},   {2, lmText, "Text file"},     {3, lmVideo, "Video file"},
        {4, lmSound, "Sound file"},   {5, lmOffice, "Office file"}, {8, lmCustom, "Custom file"},
        {9, lmOther, "Other file"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IntToLMFileType(c.code), c.kind) << c.code;
        EXPECT_EQ(LMFileTypeToInt(c.kind), c.code) << c.code;
        EXPECT_EQ(LMFileTypeToStr(c.kind), c.caption);
    }
    for (Integer code : {0, 6, 7, 10, -1, -5}) EXPECT_EQ(IntToLMFileType(code), lmnone) << code;
    EXPECT_EQ(LMFileTypeToInt(lmnone), -1);
    EXPECT_EQ(LMFileTypeToStr(lmnone), "Unknown file");
}

TEST(CatalogueRecords, ClearingKeepsTheKeyAndFillingFromAPathSetsOnlyTheNameParts) {
    TFileRecord rec;
    rec.FileID = rec.PathID = rec.StorageMethod = -5;
    rec.KeyID = 42;
    rec.Name = rec.Path = rec.FullName = rec.OriginalExtension = "x";
    rec.FileType = lmImage;
    rec.RefInDB = rec.NewlyCreatedFile = rec.FileHasChanged = rec.HasFalseExtension = true;
    ClearFileRecord(rec);
    TFileRecord cleared;
    cleared.KeyID = 42;
    EXPECT_EQ(rec, cleared);

    rec.FileID = 7;
    rec.PathID = 3;
    FileRecordFromPath(rec, "/photos/2020/a.jpg");
    EXPECT_EQ(rec.FullName, "/photos/2020/a.jpg");
    EXPECT_EQ(rec.Name, "a.jpg");
    EXPECT_EQ(rec.Path, "/photos/2020/");
    EXPECT_EQ(rec.PathID, -1);
    EXPECT_EQ(rec.FileID, 7);
    EXPECT_EQ(rec.KeyID, 42);

    TFileRecordComp comp(nullptr);
    comp.SetRecord(rec);
    comp.SetFileHasChanged(true);
    comp.Clear();
    TFileRecord back;
    comp.GetRecord(back);
    EXPECT_EQ(back, cleared);
}

TEST(CatalogueCacheKey, HashesAndKeysMatchTheOracle) {
    for (const TKeyCase& c : kKeyCases) {
        SCOPED_TRACE(std::string(c.Name) + " " + std::to_string(c.Date));
        EXPECT_EQ(NameHash31(c.Name), c.Hash31);
        EXPECT_EQ(NameWordSumHash(c.Name), c.WordSum);
        EXPECT_EQ(MakeCacheKey(c.Name, c.Date), c.Key);
    }
    EXPECT_EQ(NameHash31(""), 0u);
    EXPECT_EQ(NameWordSumHash(""), 0u);
    EXPECT_EQ(MakeCacheKey("", 0), "0F0");
}

TEST(CatalogueCacheKey, TheDateTakesTheUsersDecimalSeparator) {
    const TFormatSettings saved = FormatSettings;
    FormatSettings.DecimalSeparator = ',';
    EXPECT_EQ(MakeCacheKey("abc", 45000.25), "96354000,25000F610");
    FormatSettings = saved;
}

TEST(CatalogueTexts, BooleansReadOnlyTrueAndFalseInAnyCase) {
    struct Case {
        const char* text;
        bool def;
        bool expected;
    } cases[] = {
        {"true", false, true},  {"TRUE", false, true}, {"False", true, false}, {"fAlSe", true, false},
        {"yes", true, true},    {"no", true, true},    {"", false, false},     {" True", false, false},
        {"1", false, false},    {"0", true, true},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToBoolDef(c.text, c.def), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(BoolToText(true), "True");
    EXPECT_EQ(BoolToText(false), "False");
}

TEST(CatalogueTexts, IntegerRangeKeepsBothEndsAndRejectsTheRest) {
    EXPECT_EQ(StrToIntRange("580", 100, 600, 1), 580);
    EXPECT_EQ(StrToIntRange("100", 100, 600, 1), 100);
    EXPECT_EQ(StrToIntRange("600", 100, 600, 1), 600);
    EXPECT_EQ(StrToIntRange("99", 100, 600, 1), 1);
    EXPECT_EQ(StrToIntRange("601", 100, 600, 1), 1);
    EXPECT_EQ(StrToIntRange("abc", 100, 600, 1), 1);
    EXPECT_EQ(StrToIntRange("", 100, 600, 1), 1);
    EXPECT_EQ(StrToIntRange("99999999999", 0, 0x7FFFFFFF, 7), 7);
}

TEST(CatalogueTexts, FileSizesByDetailLevel) {
    const struct {
        Int64 size;
        Integer level;
        const char* text;
    } cases[] = {
        {999, 1, "999 bytes"},         {1234, 1, "1 KB"},
        {1500000, 1, "1.43 MB"},       {10485760, 1, "10 MB"},
        {10485247, 1, "10.00 MB"},     {1234567, 3, "1,234,567 bytes"},
        {12345678, 3, "12,345,678 bytes"}, {0, 1, "0 bytes"},
        {0, 0, "0 KB"},                {999999, 1, "977 KB"},
        {5000000000LL, 1, "4768 MB"},  {1048575, 1, "1024 KB"},
    };
    for (const auto& c : cases) EXPECT_EQ(FileSizeToStr(c.size, c.level), c.text) << c.size << " at " << c.level;
}

TEST(CatalogueTexts, SmallTextAndNumberRoutines) {
    EXPECT_EQ(MoveCopyWord(true, true), "Move");
    EXPECT_EQ(MoveCopyWord(false, false), "copy");
    Integer n = 3;
    IncWrap(n, 3);
    EXPECT_EQ(n, 0);
    IncWrap(n, 3);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(LargerOf(-2, 5), 5);
    EXPECT_EQ(SmallerOf(-2, 5), -2);
    EXPECT_EQ(PercentOf(250, 40), 100);
    EXPECT_EQ(PercentOf(2000000000, 50), 1000000000);
    EXPECT_EQ(PercentRatio(1, 3), 33);
    EXPECT_EQ(PercentRatio(-1, 3), -33);
    EXPECT_EQ(PercentRatio(5, 0), 0);

    EXPECT_EQ(RemoveAllSubstr("aabbab", "ab"), "");
    EXPECT_EQ(RemoveAllSubstr("x--y", "-"), "xy");
    EXPECT_EQ(RemoveAllSubstr("abc", ""), "abc");
    EXPECT_EQ(DeleteLeadingChars("größe", 3), "ße");
    EXPECT_EQ(DeleteLeadingChars("abc", 0), "abc");
    EXPECT_EQ(DeleteLeadingChars("abc", 9), "");
    EXPECT_EQ(TextAfter("key=value", "="), "value");
    EXPECT_EQ(TextAfter("no separator", "="), "no separator");

    const struct {
        const char* text;
        const char* items;
    } lists[] = {
        {"", ""}, {";", ""}, {"a;b", "a|b|"}, {"a;b;", "a|b|"}, {"a;;b", "a||b|"}, {";a", "|a|"},
    };
    for (const auto& c : lists) EXPECT_EQ(ReplaceDelimiter(c.text, ';', "|"), c.items) << c.text;
    EXPECT_EQ(DelimitedToLines("a,b", ','), "a\r\nb\r\n");
}

TEST(CataloguePaths, NamePartsAndDelimiters) {
    EXPECT_EQ(ExtractExtNoDot("/a/b.tar.gz"), "gz");
    EXPECT_EQ(ExtractExtNoDot("/a/b"), "");
    EXPECT_EQ(ExtractNameNoExt("/a.d/b.jpg"), "b");
    EXPECT_EQ(ExtractNameNoExt("/a.d/b"), "b");
    EXPECT_EQ(ReplaceExtension("/a.d/b.jpg", ".png"), "/a.d/b.png");
    EXPECT_EQ(ReplaceExtension("/a.d/b", "_1"), "/a.d/b_1");
    EXPECT_EQ(AddTrailingDelimiter(""), "");
    EXPECT_EQ(AddTrailingDelimiter("/x/"), "/x/");
    EXPECT_EQ(AddTrailingDelimiter("C:\\x\\"), "C:\\x\\");
    EXPECT_EQ(AddTrailingDelimiter("/x"), "/x/");
    EXPECT_EQ(RemoveTrailingDelimiter("/x//"), "/x/");
    EXPECT_EQ(RemoveTrailingDelimiter("x\\"), "x");
    EXPECT_EQ(GetShortPath("/a b/c"), "/a b/c");
}

TEST(CatalogueGeometry, FittedRectanglesMatchTheOracle) {
    for (const TFitCase& c : kFitCases) {
        const TRect r =
            FitRectInBox(c.W, c.H, c.BoxW, c.BoxH, c.Left, c.Top, c.Stretch, c.Shrink, c.CenterV, c.CenterH);
        EXPECT_EQ((std::array<Integer, 4>{r.Left, r.Top, r.Right, r.Bottom}),
                  (std::array<Integer, 4>{c.Expected[0], c.Expected[1], c.Expected[2], c.Expected[3]}))
            << c.W << "x" << c.H << " in " << c.BoxW << "x" << c.BoxH;
    }
}

TEST(CataloguePaths, CompactionShortensLeadingLevelsUntilTheNameFits) {
    auto chars = [](const std::string& s) { return Integer(s.size()); };
    const std::string path = "/home/ann/pics/a.jpg";
    const struct {
        Integer width;
        const char* text;
    } cases[] = {
        {20, "/home/ann/pics/a.jpg"}, {19, "/.../ann/pics/a.jpg"}, {15, "/.../pics/a.jpg"},
        {10, "/.../a.jpg"},           {9, ".../a.jpg"},            {8, "a.jpg"},
        {0, "a.jpg"},
    };
    for (const auto& c : cases) EXPECT_EQ(CompactPath(path, c.width, chars, false), c.text) << c.width;
    EXPECT_EQ(CompactPath("relative/dir/x", 9, chars, false), ".../dir/x");
    // A text that is no path loses its end instead.
    EXPECT_EQ(CompactPath("Holiday pictures", 9, chars, true), "Holiday..");
    EXPECT_EQ(CompactPath("größe", 5, chars, true), "gr..");
    EXPECT_EQ(CompactPath("ab", 1, chars, true), "..");
}

TEST(CataloguePaths, CompactionMeasuresInTheWindowsFont) {
    uitest::Start();
    TLabel label(nullptr);
    label.GetFont()->SetSize(9);
    TBitmap measure;
    measure.GetCanvas()->GetFont()->Assign(label.GetFont());
    const Integer width = measure.GetCanvas()->TextWidth("/.../d/name.jpg");
    const std::string path = "/a/b/c/d/name.jpg";
    EXPECT_EQ(CompactPathToWidth(&label, path, width), "/.../d/name.jpg");
    label.SetWidth(width);
    EXPECT_EQ(CompactPathToWindow(&label, path), "/.../d/name.jpg");
    // In a larger font the same width holds less.
    label.GetFont()->SetSize(18);
    EXPECT_EQ(CompactPathToWidth(&label, path, width), "name.jpg");
    EXPECT_EQ(CompactPathToWidth(&label, "not a path", 0), "..");
}

class CatalogueFiles : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        dialogs_.OnUnexpected = [](const TDialogRequest& r) { ADD_FAILURE() << "unexpected dialog: " << r.Text; };
    }
    TScriptedDialogs dialogs_;
};

TEST_F(CatalogueFiles, AttributesOfMissingFilesCountAsReadOnly) {
    Touch(dir_ + ".hidden");
    bool ro = true, hidden = false, system = true, archive = true;
    EXPECT_TRUE(GetFileAttributeFlags(dir_ + ".hidden", ro, hidden, system, archive));
    EXPECT_FALSE(ro);
    EXPECT_TRUE(hidden);
    EXPECT_FALSE(system);
    EXPECT_FALSE(archive);
    bool untouched = true;
    EXPECT_FALSE(GetFileAttributeFlags(dir_ + "missing", untouched, untouched, untouched, untouched));
    EXPECT_TRUE(untouched);
    EXPECT_TRUE(IsFileReadOnly(dir_ + "missing"));
    EXPECT_FALSE(IsFileReadOnly(dir_ + ".hidden"));
}

TEST_F(CatalogueFiles, UniqueNamesCountOnFromTwo) {
    EXPECT_EQ(NumberedFileName("/a/b.txt", 1), "/a/b.txt");
    EXPECT_EQ(NumberedFileName("/a/b.txt", 12), "/a/b_12.txt");
    EXPECT_EQ(NumberedFileName("/a/b", 2), "/a/b_2");
    EXPECT_EQ(UniqueFileName(dir_ + "b.txt"), dir_ + "b.txt");
    Touch(dir_ + "b.txt");
    EXPECT_EQ(UniqueFileName(dir_ + "b.txt"), dir_ + "b_2.txt");
    Touch(dir_ + "b_2.txt");
    EXPECT_EQ(UniqueFileName(dir_ + "b.txt"), dir_ + "b_3.txt");
    ASSERT_TRUE(ForceDirectories(dir_ + "d"));
    EXPECT_EQ(UniqueDirectoryName(dir_ + "d"), dir_ + "d_2");
    EXPECT_EQ(UniqueDirectoryName(dir_ + "e"), dir_ + "e");
}

TEST_F(CatalogueFiles, VerifiedCopiesReplaceTheTargetAndRefuseTheSourceItself) {
    std::string big(200000, 'q');
    Touch(dir_ + "src", big);
    Touch(dir_ + "dst", "old");
    ASSERT_TRUE(CopyFileVerified(dir_ + "src", dir_ + "dst"));
    EXPECT_EQ(FileSize(dir_ + "dst"), FileSize(dir_ + "src"));

    // The same file under another name (a link) would be emptied by a copy onto itself.
    ASSERT_EQ(symlink((dir_ + "src").c_str(), (dir_ + "alias").c_str()), 0);
    const Int64 size = FileSize(dir_ + "src");
    EXPECT_FALSE(CopyFileVerified(dir_ + "src", dir_ + "alias"));
    EXPECT_FALSE(CopyFileVerified(dir_ + "src", dir_ + "src"));
    EXPECT_EQ(FileSize(dir_ + "src"), size);

    EXPECT_FALSE(CopyFileVerified(dir_ + "missing", dir_ + "x"));
    EXPECT_FALSE(FileExists(dir_ + "x"));
    EXPECT_FALSE(CopyFileVerified(dir_ + "src", dir_ + "no/such/folder/x"));
}

TEST_F(CatalogueFiles, FolderChainsAreMadeAfterAskingAndUndoneOnFailure) {
    const std::string question = "The directory, " + dir_ + "a/b/c does not exist.  Would you like to create it?";
    dialogs_.Answer(mrCancel);
    EXPECT_FALSE(ForceDirectoriesPrompt(dir_ + "a/b/c", true));
    EXPECT_EQ(dialogs_.Requests().at(0).Text, question);
    EXPECT_FALSE(DirectoryExists(dir_ + "a"));

    dialogs_.Answer(mrOk);
    EXPECT_TRUE(ForceDirectoriesPrompt(dir_ + "a/b/c", true));
    EXPECT_TRUE(DirectoryExists(dir_ + "a/b/c"));
    EXPECT_TRUE(ForceDirectoriesPrompt(dir_ + "a/b/c/", false));

    // The third level cannot be made (its name is too long): the two made before it go again.
    const std::string bad = dir_ + "n1/n2/" + std::string(300, 'x') + "/n4";
    dialogs_.Answer(mrOk);
    EXPECT_FALSE(ForceDirectoriesPrompt(bad, false));
    EXPECT_EQ(dialogs_.Requests().back().Text,
              "An error was encountered whilst trying to create the directory, " + bad);
    EXPECT_FALSE(DirectoryExists(dir_ + "n1"));

    EXPECT_FALSE(ForceDirectoriesPrompt("/", true));
    EXPECT_FALSE(ForceDirectoriesPrompt("", true));
    EXPECT_EQ(dialogs_.Pending(), 0u);
}

TEST_F(CatalogueFiles, LongPathsAreTheExpandedPathWhenEveryLevelExists) {
    ASSERT_TRUE(ForceDirectories(dir_ + "Sub/Dir"));
    const std::string folder = ExcludeTrailingPathDelimiter(dir_);
    EXPECT_EQ(GetLongPath(dir_ + "Sub/./x/../Dir/"), folder + "/Sub/Dir");
    EXPECT_EQ(GetLongPath(dir_ + "sub/Dir"), dir_ + "sub/Dir");
    EXPECT_EQ(GetLongPath("/"), "/");
    EXPECT_EQ(GetLongPath(""), "");
}

TEST_F(CatalogueFiles, ShellLinksAreNumberedWhenTheNameIsTaken) {
    Touch(dir_ + "target.txt");
    EXPECT_TRUE(CreateShellLink(dir_ + "target.txt", dir_ + "My file"));
    EXPECT_TRUE(CreateShellLink(dir_ + "target.txt", dir_ + "My file.lnk"));
    EXPECT_TRUE(CreateShellLink(dir_ + "target.txt", dir_ + "My file.txt"));
    for (const char* name : {"My file.lnk", "My file(1).lnk", "My file(2).lnk"}) {
        char buffer[512] = {};
        ASSERT_GT(readlink((dir_ + name).c_str(), buffer, sizeof buffer - 1), 0) << name;
        EXPECT_EQ(std::string(buffer), dir_ + "target.txt");
    }
    EXPECT_FALSE(CreateShellLink(dir_ + "target.txt", dir_ + "missing/x"));
}
