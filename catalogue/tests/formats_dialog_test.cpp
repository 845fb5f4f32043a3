#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "catalogue/format_records.h"
#include "catalogue/formats_dialog.h"
#include "framework/graphics.h"
#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "framework/list_controls.h"
#include "framework/stream.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"
#include "framework/testing/ui_test.h"
#include "framework/tests/scratch_folder.h"
#include "imaging/formats/imago_io.h"
#include "imaging/formats/lzw_coders.h"

namespace {

// A formats dialog over a program folder and a Windows folder of the test's own.
class FormatsDialogTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        uitest::Start();
        savedRecords_ = FormatRecords();
        savedServices_ = FormatServices();
        FormatServices().ProgramFolder = [this] { return dir_; };
        FormatServices().WindowsFolder = [this] { return dir_ + "windows/"; };
        ForceDirectories(dir_ + "windows");
        dialogs_.OnUnexpected = [](const TDialogRequest& r) { ADD_FAILURE() << "unexpected dialog: " << r.Text; };
    }
    void TearDown() override {
        if (dlg_) dlg_->Free();
        FormatRecords() = savedRecords_;
        FormatServices() = savedServices_;
        ScratchFolderTest::TearDown();
    }

    // Writes "fmt.res" with the values given (Format1, Format2 ... in turn; null leaves a number
    // out).
    void WriteKnownFormats(const std::vector<const char*>& Values) {
        TStringList lines;
        lines.Add("[Formats]");
        for (size_t i = 0; i < Values.size(); ++i)
            if (Values[i]) lines.Add("Format" + IntToStr(Integer(i + 1)) + "=" + Values[i]);
        lines.SaveToFile(dir_ + "fmt.res");
    }
    void WriteMediaFormats(const std::vector<std::string>& Keys) {
        TStringList lines;
        lines.Add("[MCI Extensions]");
        for (const std::string& k : Keys) lines.Add(k + "=player");
        lines.SaveToFile(dir_ + "windows/win.ini");
    }
    TdlgFormats* Open() {
        dlg_ = new TdlgFormats(nullptr);
        return dlg_;
    }
    std::vector<std::string> Masks() const {
        std::vector<std::string> masks;
        for (const TFileFormat& f : dlg_->FormatList()) masks.push_back(f.Extension);
        return masks;
    }
    std::string Malformed() const {
        return "An error was encountered reading a file format from your supported format list file, " + dir_ +
               "fmt.res!  Please reinstall Lumora!  Continue loading formats?";
    }

    TScriptedDialogs dialogs_;
    TdlgFormats* dlg_ = nullptr;
    TFormatRecords savedRecords_;
    TFormatServices savedServices_;
};

std::string SourceFile(const std::string& Name) {
    const char* root = std::getenv("LUMORA_TEST_SOURCE_DIR");
    return std::string(root ? root : ".") + "/" + Name;
}

}  // namespace

TEST_F(FormatsDialogTest, KnownFormatsAreReadInFileOrderUpToEnd) {
    WriteMediaFormats({"WAV", "avi"});
    WriteKnownFormats({"*.JPG#JPEG Image#image#false", "*.txt#Text#TEXT#FALSE#extra", "*.wav#Wave#SOUND#FALSE",
                       "*.mp3#MP3#SOUND#false", "*.mp4#MP4#VIDEO#TRUE", "*.avi#AVI#Video#no", "*.doc#Word#OFFICE#",
                       "end", "*.png#PNG#IMAGE#TRUE"});
    Open();
    EXPECT_TRUE(dialogs_.Requests().empty());
    EXPECT_EQ(Masks(), (std::vector<std::string>{"*.jpg", "*.txt", "*.wav", "*.mp3", "*.mp4", "*.avi", "*.doc"}));
    std::map<std::string, std::pair<Byte, bool>> facts;
    for (const TFileFormat& f : dlg_->FormatList()) facts[f.Extension] = {f.Kind, f.Supported};
    EXPECT_EQ(facts["*.jpg"], std::make_pair(Byte(lmImage), true));
    EXPECT_EQ(facts["*.txt"], std::make_pair(Byte(lmText), true));
    EXPECT_EQ(facts["*.wav"], std::make_pair(Byte(lmSound), true));
    EXPECT_EQ(facts["*.mp3"], std::make_pair(Byte(lmSound), false));
    EXPECT_EQ(facts["*.mp4"], std::make_pair(Byte(lmVideo), true));
    EXPECT_EQ(facts["*.avi"], std::make_pair(Byte(lmVideo), true));
    EXPECT_EQ(facts["*.doc"], std::make_pair(Byte(lmOffice), false));
    EXPECT_EQ(dlg_->edtMCIFormats->GetText(), "*.wav;*.avi;");
    EXPECT_EQ(dlg_->GetAllFormats(lmSound, false), "*.wav;");
    EXPECT_EQ(dlg_->GetAllFormats(lmSound, true), "*.wav;*.mp3;");

    TCheckListBox list(nullptr);
    dlg_->LoadFormatsToListBox(lmVideo, &list);
    EXPECT_EQ(list.GetItems()->GetCount(), 2);
    EXPECT_EQ(list.GetItems()->Get(1), "*.avi");

    TFileFormat entry;
    dlg_->expandextension("*.MP3", entry);
    EXPECT_EQ(entry.Description, "MP3");
    EXPECT_EQ(entry.Extension, "*.mp3");
    EXPECT_FALSE(entry.Supported);
    dlg_->expandextension("*.Lm", entry);
    EXPECT_EQ(entry.Description, "Image with False Extension");
    EXPECT_EQ(entry.Kind, lmImage);
    EXPECT_TRUE(entry.Supported);
    dlg_->expandextension("*.xyz", entry);
    EXPECT_EQ(entry.Description, "");
    EXPECT_EQ(entry.Extension, "*.xyz");
    EXPECT_FALSE(entry.Supported);
}

TEST_F(FormatsDialogTest, DefaultsTakeEveryEntryOfEachKind) {
    WriteKnownFormats({"*.jpg#J#IMAGE#TRUE", "*.wav#W#SOUND#FALSE", "*.png#P#IMAGE#TRUE", "*.txt#T#TEXT#TRUE",
                       "*.avi#A#VIDEO#FALSE", "*.doc#D#OFFICE#FALSE", "END"});
    Open()->GetDefaultSettings_BuildList(true);
    const TFormatRecords& r = FormatRecords();
    EXPECT_EQ(r[lmImage], (TFormatRecord{"*.jpg;*.png;", 3, 4, "", 0}));
    EXPECT_EQ(r[lmVideo], (TFormatRecord{"*.avi;", 3, 4, "", 0}));
    EXPECT_EQ(r[lmOffice], (TFormatRecord{"*.doc;", 3, 4, "", 0}));
    EXPECT_EQ(r[lmSound], (TFormatRecord{"*.wav;", 3, 3, "", 0}));
    EXPECT_EQ(r[lmText], (TFormatRecord{"*.txt;", 3, 4, "", 0}));
    EXPECT_EQ(r[lmCustom], (TFormatRecord{"", 0, 1, "", -1}));
    EXPECT_EQ(r[lmOther], (TFormatRecord{"", 0, 1, "", -1}));
    EXPECT_TRUE(dialogs_.Requests().empty());
}

TEST_F(FormatsDialogTest, AMissingListWarnsAndLeavesItEmpty) {
    dialogs_.Answer(mrOk);
    Open();
    ASSERT_EQ(dialogs_.Requests().size(), 1u);
    EXPECT_EQ(dialogs_.Requests()[0].Text,
              "The supported formats file, " + dir_ + "fmt.res, cannot be located!  Please reinstall Lumora!");
    EXPECT_TRUE(dlg_->FormatList().empty());
}

TEST_F(FormatsDialogTest, MalformedEntriesAskWhetherToGoOn) {
    // Format3 missing, Format4 with three items, Format5 of an unknown kind.
    WriteKnownFormats({"*.jpg#J#IMAGE#TRUE", "*.png#P#IMAGE#TRUE", nullptr, "*.gif#G#IMAGE", "*.x#X#FONT#TRUE",
                       "*.bmp#B#IMAGE#TRUE", "END"});
    dialogs_.Answer(mrYes).Answer(mrYes).Answer(mrYes);
    Open();
    EXPECT_EQ(dialogs_.Requests().size(), 3u);
    for (const TDialogRequest& r : dialogs_.Requests()) EXPECT_EQ(r.Text, Malformed());
    EXPECT_EQ(Masks(), (std::vector<std::string>{"*.jpg", "*.png", "*.bmp"}));
    dlg_->Free();
    dlg_ = nullptr;

    dialogs_.Clear();
    dialogs_.Answer(mrNo);
    Open();
    EXPECT_EQ(dialogs_.Requests().size(), 1u);
    EXPECT_EQ(Masks(), (std::vector<std::string>{"*.jpg", "*.png"}));
}

TEST_F(FormatsDialogTest, WithoutEndEveryNumberUpTo200IsRead) {
    std::vector<std::string> values;
    for (int i = 1; i <= 201; ++i) values.push_back("*.e" + std::to_string(i) + "#E#TEXT#TRUE");
    std::vector<const char*> pointers;
    for (const std::string& v : values) pointers.push_back(v.c_str());
    WriteKnownFormats(pointers);
    Open();
    ASSERT_EQ(dlg_->FormatList().size(), 200u);
    EXPECT_EQ(dlg_->FormatList().back().Extension, "*.e200");
}

TEST_F(FormatsDialogTest, TheShippedListReadsQuietlyAndEachImageMaskLoads) {
    ASSERT_TRUE(CopyFileVerified(SourceFile("catalogue/fmt.res"), dir_ + "fmt.res"));
    Open()->GetDefaultSettings();
    EXPECT_TRUE(dialogs_.Requests().empty());
    ASSERT_FALSE(dlg_->GetAllFormats(lmImage, true).empty());
    for (TLMFileTypes kind : {lmText, lmSound, lmVideo, lmOffice})
        EXPECT_FALSE(dlg_->GetAllFormats(kind, true).empty());
    // "*.cur;" holds ".C", but a C source is no image.
    EXPECT_EQ(getlmtype("/x/main.c"), lmnone);

    // A small picture saved in the format each image mask names loads by that name.
    auto source = std::make_unique<TBitmap>();
    source->SetPixelFormat(pf24bit);
    source->SetSize(3, 2);
    InstallLZWCoders();
    std::unique_ptr<TImagoIO, void (*)(TImagoIO*)> io(new TImagoIO(nullptr), [](TImagoIO* p) { p->Free(); });
    auto isOneOf = [](const std::string& Ext, std::initializer_list<const char*> List) {
        for (const char* e : List)
            if (Ext == e) return true;
        return false;
    };
    for (const TFileFormat& f : dlg_->FormatList()) {
        if (f.Kind != lmImage) continue;
        SCOPED_TRACE(f.Extension);
        const std::string ext = StripMaskPrefix(f.Extension, true, false);
        const std::string name = dir_ + "picture" + ext;
        io->SetAttachedBitmap(source.get());
        io->SetAborting(false);
        if (ext == ".ico" || ext == ".cur") {
            // A 2 x 2 32-bit icon or cursor.
            const bool cursor = ext == ".cur";
            std::string bytes = std::string("\0\0", 2) + char(cursor ? 2 : 1) + std::string("\0\1\0", 3);
            bytes += std::string("\2\2\0\0", 4) + (cursor ? std::string("\0\0\0\0", 4) : std::string("\1\0\40\0", 4));
            bytes += std::string("\x40\0\0\0\x16\0\0\0", 8);
            bytes += std::string("\x28\0\0\0\2\0\0\0\4\0\0\0\1\0\x20\0", 16) + std::string(24, '\0');
            bytes += std::string(16, '\x7F') + std::string(8, '\0');
            TFileStream out(name, fmCreate);
            out.WriteBuffer(bytes.data(), Int64(bytes.size()));
        } else if (isOneOf(ext, {".jpg", ".jpeg", ".jpe"})) {
            io->SaveToFileJPEG(name);
        } else if (isOneOf(ext, {".tif", ".tiff"})) {
            io->SaveToFileTIFF(name);
        } else if (ext == ".png") {
            io->SaveToFilePNG(name);
        } else if (ext == ".gif") {
            io->SaveToFileGIF(name);
        } else if (ext == ".pcx") {
            io->SaveToFilePCX(name);
        } else if (isOneOf(ext, {".bmp", ".dib", ".rle"})) {
            io->SaveToFileBMP(name);
        } else {
            io->SaveToFileTGA(name);
        }
        ASSERT_FALSE(io->GetAborting()) << "not written";
        auto target = std::make_unique<TBitmap>();
        io->SetAttachedBitmap(target.get());
        io->LoadFromFile(name);
        EXPECT_FALSE(io->GetAborting());
        EXPECT_EQ(target->GetWidth(), ext == ".ico" || ext == ".cur" ? 2 : 3);
        EXPECT_EQ(getlmtype(name), lmImage);
    }
}

TEST_F(FormatsDialogTest, ExchangeFilesSaveAndRestoreTheSevenRecords) {
    WriteKnownFormats({"END"});
    Open();
    TFormatRecords& r = FormatRecords();
    for (int k = 0; k < FormatKindCount; ++k)
        r[k] = {"*.k" + std::to_string(k) + ";", Byte(k), 4, "/ed#" + std::to_string(k), 0};
    const TFormatRecords saved = r;

    dialogs_.Answer(mrOk, dir_ + "mine");
    dlg_->btnsaveClick(nullptr);
    ASSERT_TRUE(FileExists(dir_ + "mine.fmt"));
    EXPECT_EQ(dialogs_.Requests().back().Caption, "Please choose a filename");
    EXPECT_EQ(dialogs_.Requests().back().Filter, "Qorvex Format File|*.fmt");

    for (auto& rec : r) rec = TFormatRecord{};
    dialogs_.Answer(mrOk, dir_ + "mine.fmt");
    dlg_->btnloadClick(nullptr);
    EXPECT_EQ(dialogs_.Requests().back().Caption, "Please Select a Format File");
    EXPECT_EQ(r, saved);

    // Only the text record is in this file.
    TStringList lines;
    lines.Add("[Formats]");
    lines.Add("TextFormat=*.md;#3#4#0#");
    lines.SaveToFile(dir_ + "text.fmt");
    dialogs_.Answer(mrOk, dir_ + "text.fmt");
    dlg_->btnloadClick(nullptr);
    for (int k = 0; k < FormatKindCount; ++k)
        EXPECT_EQ(r[k], k == lmText ? (TFormatRecord{"*.md;", 3, 4, "", 0}) : saved[k]) << k;

    // A bad value stops the reading; what was read before it stays (images and sounds come first).
    lines.Clear();
    lines.Add("[Formats]");
    lines.Add("ImageFormat=*.i;#1#1#0#");
    lines.Add("SoundFormat=*.s;#1#1#0#");
    lines.Add("TextFormat=bad");
    lines.Add("OtherFormat=*.*#1#1#0#");
    lines.SaveToFile(dir_ + "bad.fmt");
    const TFormatRecords before = r;
    dialogs_.Answer(mrOk, dir_ + "bad.fmt").Answer(mrOk);
    dlg_->btnloadClick(nullptr);
    EXPECT_EQ(dialogs_.Requests().back().Text,
              "Error encountered loading format entries from the file, " + dir_ + "bad.fmt");
    EXPECT_EQ(r[lmImage].Extensions, "*.i;");
    EXPECT_EQ(r[lmSound].Extensions, "*.s;");
    for (TLMFileTypes k : {lmText, lmCustom, lmOffice, lmVideo, lmOther}) EXPECT_EQ(r[k], before[k]) << k;

    // A file that cannot be written goes to the save-error report.
    std::vector<std::string> reported;
    FormatServices().ReportSaveError = [&](const std::string& Name) { reported.push_back(Name); };
    dialogs_.Answer(mrOk, dir_ + "no/such/folder/x.fmt");
    dlg_->btnsaveClick(nullptr);
    EXPECT_EQ(reported, std::vector<std::string>{dir_ + "no/such/folder/x.fmt"});
    EXPECT_EQ(dialogs_.Pending(), 0u);
}
