#include <gtest/gtest.h>

#include "catalogue/format_records.h"
#include "framework/exceptions.h"

namespace {

// Puts the seven records back as they were when the test ends.
class FormatRecordsTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = FormatRecords(); }
    void TearDown() override { FormatRecords() = saved_; }
    static void Set(TLMFileTypes Kind, const std::string& Extensions) { FormatRecords()[Kind].Extensions = Extensions; }
    TFormatRecords saved_;
};

}  // namespace

TEST(FormatRecordText, RoundTripsEveryFieldAndEditorsHoldingHashes) {
    const struct {
        TFormatRecord rec;
        const char* text;
    } cases[] = {
        {{"", 0, 0, "", 0}, "-#0#0#0#"},
        {{"*.jpg;*.gif;", 3, 4, "", 0}, "*.jpg;*.gif;#3#4#0#"},
        {{"", 0, 1, "", -1}, "-#0#1#-1#"},
        {{"*.txt;", 2, 2, "/opt/edit#2/bin/ed", 1}, "*.txt;#2#2#1#/opt/edit#2/bin/ed"},
        {{"*.a;", 255, 0, "/x/ends in #", -128}, "*.a;#255#0#-128#/x/ends in ##"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatRecordToStr(c.rec), c.text);
        TFormatRecord back{"junk", 9, 9, "junk", 9};
        StrToFormatRecord(c.text, back);
        EXPECT_EQ(back, c.rec) << c.text;
    }
}

TEST(FormatRecordText, ParsingSuppliesTheFinalHashAndRejectsIncompleteTexts) {
    const struct {
        const char* text;
        TFormatRecord rec;
    } good[] = {
        {"", {"", 0, 0, "", 0}},
        {"*.x;#1#2#3", {"*.x;", 1, 2, "", 3}},
        {"*.x;#1#2#3#C:\\Tools\\ed.exe", {"*.x;", 1, 2, "C:\\Tools\\ed.exe", 3}},
        {"#1#2#3#", {"", 1, 2, "", 3}},
    };
    for (const auto& c : good) {
        TFormatRecord rec{"old", 1, 1, "old", 1};
        StrToFormatRecord(c.text, rec);
        EXPECT_EQ(rec, c.rec) << c.text;
    }
    for (const char* bad : {"not a record", "*.x;#1#2", "*.x;#a#2#3#", "*.x;#1#2#x#", "*.x;#1##3#", "*.x;#256#0#0#",
                            "*.x;#-1#0#0#", "*.x;#1#1#128#"}) {
        const TFormatRecord old{"old", 1, 1, "old", 1};
        TFormatRecord rec = old;
        EXPECT_THROW(StrToFormatRecord(bad, rec), EConvertError) << bad;
        EXPECT_EQ(rec, old) << bad;
    }
}

TEST(FormatRecordText, MaskPrefixes) {
    EXPECT_EQ(StripMaskPrefix("*.jpg", true, false), ".jpg");
    EXPECT_EQ(StripMaskPrefix("*.jpg", false, true), "jpg");
    EXPECT_EQ(StripMaskPrefix("*.jpg", true, true), "jpg");
    EXPECT_EQ(StripMaskPrefix("*.jpg", false, false), "*.jpg");
    EXPECT_EQ(StripMaskPrefix("jpg", true, true), "jpg");
}

TEST(FormatRecordLists, WholeItemsMatchAndTheFourCharacterCutToo) {
    const struct {
        const char* ext;
        const char* list;
        bool in;
    } cases[] = {
        {".jpg", "*.jpg;*.gif;", true},   {".JPG", "*.jpg;", true},      {".jpeg", "*.jpe;", true},
        {".jpeg", "*.jpeg;", true},       {".tiff", "*.tif;", true},      {".jpg", "*.jpeg;", false},
        {".c", "*.cur;*.ico;", false},    {".ps", "*.psd;", false},       {".tx", "*.txt;", false},
        {".o", "*.OCN;*.PICT;", false},   {".gif", "*.jpg;*.gif", true},  {".gif", " *.gif ; ", true},
        {"", "*.jpg;", false},            {"", ";;", false},              {".x", "*.X;", true},
        {".jp", "*.jpg;", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtensionInList(c.ext, c.list), c.in) << c.ext << " in " << c.list;
}

TEST_F(FormatRecordsTest, KindsComeFromTheRecordsInTheirOrder) {
    Set(lmImage, "*.jpg;*.jpe;*.psd;*.cur;");
    Set(lmText, "*.txt;*.jpg;*.c;");
    Set(lmSound, "*.wav;*.mid;");
    Set(lmVideo, "*.avi;*.mid;");
    Set(lmOffice, "*.doc;");
    Set(lmCustom, "*.abc;");
    Set(lmOther, "*.*");
    const struct {
        const char* name;
        TLMFileTypes kind;
    } cases[] = {
        {"/p/photo.jpeg", lmImage}, {"/p/a.JPG", lmImage},   {"/p/a.lm", lmImage},      {"/p/a.XXX", lmImage},
        {"/p/main.c", lmText},      {"/p/a.ps", lmOther},    {"/p/a.o", lmOther},        {"/p/a.tx", lmOther},
        {"/p/a.mid", lmSound},      {"/p/a.avi", lmVideo},   {"/p/a.doc", lmOffice},     {"/p/a.abc", lmCustom},
        {"/p/README", lmOther},     {"/p.d/README", lmOther}, {"/p/a.midi", lmSound},
    };
    for (const auto& c : cases) EXPECT_EQ(getlmtype(c.name), c.kind) << c.name;

    Set(lmOther, "");
    EXPECT_EQ(getlmtype("/p/README"), lmnone);
    Set(lmImage, "");
    EXPECT_EQ(getlmtype("/p/a.lm"), lmImage);
    EXPECT_EQ(getlmtype("/p/a.jpg"), lmText);
}

TEST_F(FormatRecordsTest, AccessorsCopyRecordsAndIgnoreNone) {
    FormatRecords()[lmVideo] = {"*.avi;", 3, 4, "/usr/bin/player", 0};
    TFormatRecord rec;
    GetFormatRecordbyLMType(lmVideo, rec);
    EXPECT_EQ(rec, FormatRecords()[lmVideo]);
    LMTypeToFormatRecord(3, rec);
    EXPECT_EQ(rec, FormatRecords()[lmVideo]);
    const TFormatRecord none{"", 0, 0, "", -1};
    for (Integer ordinal : {7, 8, -1}) {
        LMTypeToFormatRecord(ordinal, rec);
        EXPECT_EQ(rec, none) << ordinal;
    }
    GetFormatRecordbyLMType(lmnone, rec);
    EXPECT_EQ(rec, none);

    SetFormatEditor(lmVideo, "/opt/vlc");
    EXPECT_EQ(FormatRecords()[lmVideo].Editor, "/opt/vlc");
    const TFormatRecords before = FormatRecords();
    SetFormatEditor(lmnone, "/opt/x");
    EXPECT_EQ(FormatRecords(), before);

    for (auto& r : FormatRecords()) r = TFormatRecord{};
    EXPECT_TRUE(FormatRecordsEmpty());
    FormatRecords()[lmOther].Extensions = "*.*";
    EXPECT_FALSE(FormatRecordsEmpty());
}
