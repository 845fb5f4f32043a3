#include <gtest/gtest.h>

#include <dirent.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "framework/atomic_file.h"
#include "framework/date_time.h"
#include "framework/format_settings.h"
#include "framework/ini_file.h"
#include "framework/string_list.h"
#include "framework/testing/ui_test.h"

namespace {

class IniFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "lumora-ini-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl + "/";
        saved_ = FormatSettings;
        FormatSettings = TFormatSettings::English();
    }
    void TearDown() override {
        FormatSettings = saved_;
        std::filesystem::remove_all(dir_);
    }

    std::string Path(const std::string& name) const { return dir_ + name; }
    void WriteText(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
    }
    std::string ReadText(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static std::string Lines(TStrings& list) { return list.GetCommaText(); }

    std::string dir_;

private:
    TFormatSettings saved_;
};

const char kFixture[] =
    "; settings\r\n"
    "[Main]\r\n"
    "Name = First value  \r\n"
    "name=duplicate\r\n"
    "Quoted=\"  padded  \"\r\n"
    "Single='x'\r\n"
    "Empty=\r\n"
    "Hex=0x1A\r\n"
    "Bool=1\r\n"
    "Bad=abc\r\n"
    "no equals sign\r\n"
    "\r\n"
    "[ Other ]\r\n"
    "Key=1\r\n"
    "\r\n"
    "[MAIN]\r\n"
    "Later=hidden\r\n";

}  // namespace

TEST_F(IniFiles, NamesIgnoreCaseAndTheFirstMatchWins) {
    WriteText("a.ini", kFixture);
    TIniFile ini(Path("a.ini"));
    EXPECT_EQ(ini.ReadString("main", "NAME", "d"), "First value");  // trimmed, first of two keys
    EXPECT_EQ(ini.ReadString("Main", "Later", "d"), "d");            // only the first [Main] counts
    EXPECT_EQ(ini.ReadString("other", "key", "d"), "1");
    EXPECT_EQ(ini.ReadString("Main", "Quoted", "d"), "  padded  ");
    EXPECT_EQ(ini.ReadString("Main", "Single", "d"), "x");
    EXPECT_EQ(ini.ReadString("Main", "Empty", "d"), "");             // present, so not the default
    EXPECT_EQ(ini.ReadString("Main", "Missing", "d"), "d");
    EXPECT_EQ(ini.ReadString("Nowhere", "Name", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("Main", "Hex", 0), 26);
    EXPECT_EQ(ini.ReadInteger("Main", "Bad", -3), -3);
    EXPECT_TRUE(ini.ReadBool("Main", "Bool", false));
    EXPECT_TRUE(ini.ReadBool("Main", "Missing", true));
    EXPECT_EQ(ini.ReadFloat("Main", "Bad", 2.5), 2.5);

    EXPECT_TRUE(ini.SectionExists("OTHER"));
    EXPECT_FALSE(ini.SectionExists("Nowhere"));
    EXPECT_TRUE(ini.ValueExists("MAIN", "bool"));
    EXPECT_FALSE(ini.ValueExists("Main", "Later"));

    TStringList list;
    ini.ReadSection("MAIN", &list);
    EXPECT_EQ(Lines(list), "Name,Quoted,Single,Empty,Hex,Bool,Bad");
    ini.ReadSections(&list);
    EXPECT_EQ(Lines(list), "Main,Other");
    ini.ReadSectionValues("main", &list);
    EXPECT_EQ(list.GetCount(), 7);
    EXPECT_EQ(list.Get(0), "Name=First value");
    EXPECT_EQ(list.Get(1), "Quoted=  padded  ");
    ini.ReadSection("Nowhere", &list);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(IniFiles, WritesKeepTheRestOfTheFile) {
    WriteText("w.ini", "; top\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    {
        TIniFile ini(Path("w.ini"));
        ini.WriteString("a", "X", "10");     // the existing line, its spelling kept
        ini.WriteString("A", "New", "n");    // after the last line of the section
        ini.WriteBool("b", "flag", true);
        ini.WriteBool("b", "off", false);
        ini.WriteString("C", "k", "v");      // a new section at the end
        ini.UpdateFile();
        EXPECT_EQ(ReadText("w.ini"),
                  "; top\r\n[A]\r\nx=10\r\nNew=n\r\n\r\n[B]\r\ny=2\r\nflag=1\r\noff=0\r\n\r\n[C]\r\nk=v\r\n");
        ini.DeleteKey("b", "Y");
        ini.EraseSection("c");
        ini.DeleteKey("Nowhere", "x");
    }
    uitest::IdleTurns();  // written behind
    EXPECT_EQ(ReadText("w.ini"), "; top\r\n[A]\r\nx=10\r\nNew=n\r\n\r\n[B]\r\nflag=1\r\noff=0\r\n\r\n");

    // Line ends of the file are kept; typed values read back.
    WriteText("lf.ini", "[S]\nk=1\n");
    {
        TIniFile ini(Path("lf.ini"));
        ini.WriteInteger("S", "n", -7);
        ini.WriteFloat("S", "f", 1.25);
        ini.WriteDate("S", "d", EncodeDate(2024, 3, 5));
        ini.WriteDateTime("S", "dt", EncodeDate(2024, 3, 5) + 0.75);
    }
    UpdateIniFiles();
    EXPECT_EQ(ReadText("lf.ini"), "[S]\nk=1\nn=-7\nf=1.25\nd=3/5/2024\ndt=3/5/2024 6:00:00 PM\n");
    TIniFile back(Path("lf.ini"));
    EXPECT_EQ(back.ReadInteger("s", "N", 0), -7);
    EXPECT_EQ(back.ReadFloat("s", "f", 0), 1.25);
    EXPECT_EQ(back.ReadDate("s", "d", 0), EncodeDate(2024, 3, 5));
    EXPECT_EQ(back.ReadDateTime("s", "dt", 0), EncodeDate(2024, 3, 5) + 0.75);
    EXPECT_EQ(back.ReadDate("s", "k", -1), -1);
}

TEST_F(IniFiles, MissingFilesAndSharedDocuments) {
    {
        TIniFile ini(Path("none.ini"));
        EXPECT_EQ(ini.ReadString("S", "k", "default"), "default");
        TStringList list;
        ini.ReadSections(&list);
        EXPECT_EQ(list.GetCount(), 0);
        ini.UpdateFile();
    }
    EXPECT_FALSE(std::filesystem::exists(Path("none.ini")));  // nothing written, nothing made

    {
        auto* first = new TIniFile(Path("shared.ini"));
        TIniFile second(dir_ + "./shared.ini");  // the same file by another name
        first->WriteString("S", "k", "v");
        EXPECT_EQ(second.ReadString("s", "K", ""), "v");  // seen before any write to disk
        first->Free();
    }
    EXPECT_FALSE(std::filesystem::exists(Path("shared.ini")));  // freeing writes nothing
    uitest::IdleTurns();
    EXPECT_EQ(ReadText("shared.ini"), "[S]\r\nk=v\r\n");

    // A file changed on disk is read again.
    TIniFile open(Path("shared.ini"));
    WriteText("shared.ini", "[S]\r\nk=changed on disk\r\n");
    TIniFile again(Path("shared.ini"));
    EXPECT_EQ(again.ReadString("S", "k", ""), "changed on disk");

    // A bare file name lives in the profile folder.
    {
        TIniFile profile("lumora-test-profile.ini");
        profile.WriteString("MCI Extensions", "avi", "MPEGVideo");
    }
    UpdateIniFiles();
    EXPECT_TRUE(std::filesystem::exists(ProfileFolder() + "lumora-test-profile.ini"));
}

TEST_F(IniFiles, FailedAndInterruptedWritesKeepTheOldFile) {
    TIniFile lost(dir_ + "no/such/folder/x.ini");
    lost.WriteString("S", "k", "v");
    try {
        lost.UpdateFile();
        FAIL();
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message, "Unable to write to " + dir_ + "no/such/folder/x.ini");
    }

    const std::string original = "[S]\r\nk=old\r\n";
    WriteText("c.ini", original);
    TIniFile ini(Path("c.ini"));
    ini.WriteString("S", "k", std::string(100000, 'n'));
    // The write stops between writing the temporary file and renaming it.
    SetAtomicWriteHookForTesting([](const std::string&) { throw EAbort("crash"); });
    EXPECT_THROW(ini.UpdateFile(), EAbort);
    SetAtomicWriteHookForTesting(nullptr);
    EXPECT_EQ(ReadText("c.ini"), original);
    int temps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) ++temps;
    EXPECT_EQ(temps, 1);  // the stale temporary file is left behind and harms nothing
    ini.UpdateFile();
    EXPECT_EQ(ReadText("c.ini").size(), std::string("[S]\r\nk=\r\n").size() + 100000);
}

TEST_F(IniFiles, ObjectsMadeForOneWriteEachAreWrittenOnceBehind) {
    WriteText("cache.ini", "; dimensions\r\n[Dimensions]\r\nold=1x1\r\n");
    int writes = 0;
    SetAtomicWriteHookForTesting([&](const std::string&) { ++writes; });
    for (int i = 0; i < 200; ++i) {
        TIniFile ini(Path("cache.ini"));
        ini.WriteString("Dimensions", "image" + std::to_string(i), std::to_string(i) + "x10");
    }
    try {  // an object freed by an exception keeps its write too
        TIniFile ini(Path("cache.ini"));
        ini.WriteString("Dimensions", "thrown", "1x2");
        throw EAbort("");
    } catch (const EAbort&) {
    }
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(ReadText("cache.ini"), "; dimensions\r\n[Dimensions]\r\nold=1x1\r\n");
    uitest::IdleTurns(2);
    SetAtomicWriteHookForTesting(nullptr);
    EXPECT_EQ(writes, 1);
    TStringList lines;
    lines.SetText(ReadText("cache.ini"));
    ASSERT_EQ(lines.GetCount(), 3 + 200 + 1);
    EXPECT_EQ(lines.Get(3), "image0=0x10");
    EXPECT_EQ(lines.Get(202), "image199=199x10");
    EXPECT_EQ(lines.Get(203), "thrown=1x2");
}

TEST_F(IniFiles, AFileChangedElsewhereGetsTheChangesNotYetWritten) {
    WriteText("m.ini", "[S]\r\na=1\r\nb=2\r\n");
    {
        TIniFile ini(Path("m.ini"));
        ini.WriteString("S", "a", "ours");
        ini.DeleteKey("S", "b");
        ini.WriteString("T", "t", "new");
    }
    // Another program rewrites the file before our changes are on disk.
    WriteText("m.ini", "; theirs\n[S]\na=theirs\nb=2\nc=3\n");
    TIniFile reader(Path("m.ini"));
    EXPECT_EQ(reader.ReadString("S", "a", ""), "ours");
    EXPECT_FALSE(reader.ValueExists("S", "b"));
    EXPECT_EQ(reader.ReadString("S", "c", ""), "3");
    EXPECT_EQ(ReadText("m.ini"), "; theirs\n[S]\na=ours\nc=3\n\n[T]\nt=new\n");  // written at once
}

TEST_F(IniFiles, TheProgramEndingWritesWhatIsPending) {
    // In a child process: one ends normally, one by an exception nobody catches.
    for (bool thrown : {false, true}) {
        const std::string name = thrown ? "thrown.ini" : "exit.ini";
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            {
                TIniFile ini(Path(name));
                ini.WriteString("S", "k", "v");
            }
            if (thrown) std::thread([] { throw EAbort("uncaught"); }).join();  // nobody catches it there
            std::exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_EQ(ReadText(name), "[S]\r\nk=v\r\n") << name;
    }
}
