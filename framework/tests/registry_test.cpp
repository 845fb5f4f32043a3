#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "framework/atomic_file.h"
#include "framework/registry.h"
#include "framework/string_list.h"

namespace {

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ERegistryException& e) {
        return e.Message;
    }
    return "no error";
}

// Each test works below its own key, so tests in one run do not meet.
class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = std::string("\\Software\\Tests\\") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        TRegistry reg;
        reg.DeleteKey(base_);
    }
    std::string base_;
};

}  // namespace

TEST_F(Registry, EveryValueKindSurvivesAReopen) {
    const unsigned char blob[] = {0, 1, 0x7F, 0x80, 0xFF, '"', '\\', '\n'};
    const std::string odd = "quote \" backslash \\ newline\n tab\t caf\xc3\xa9 ]";
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(base_ + "\\Odd ] [name] %20 caf\xc3\xa9", true));
        reg.WriteString("Text", odd);
        reg.WriteString("", "the default value");
        reg.WriteString("Empty", "");
        reg.WriteExpandString("Expand", "$HOME/x");
        reg.WriteInteger("Negative", -42);
        reg.WriteBool("Yes", true);
        reg.WriteFloat("Float", 0.1);
        reg.WriteDateTime("When", 45356.75);
        reg.WriteCurrency("Money", 123456789);
        reg.WriteBinaryData("Blob", blob, sizeof blob);
        reg.WriteBinaryData("NoBytes", blob, 0);
        reg.WriteString(odd, "a value named oddly");
        reg.CloseKey();  // written to disk here
    }
    EXPECT_NE(FileText(RegistryFileName(HKEY_CURRENT_USER)).find("\"Negative\"=dword:ffffffd6"), std::string::npos);
    RegistryUnload();  // forget everything: the next use reads the file

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(base_ + "\\ODD ] [NAME] %20 CAF\xc3\x89"));
    EXPECT_EQ(reg.ReadString("text"), odd);
    EXPECT_EQ(reg.ReadString(""), "the default value");
    EXPECT_EQ(reg.ReadString("Empty"), "");
    EXPECT_EQ(reg.GetDataSize("Empty"), 1);
    EXPECT_EQ(reg.ReadString("Expand"), "$HOME/x");
    EXPECT_EQ(reg.GetDataType("Expand"), rdExpandString);
    EXPECT_EQ(reg.ReadInteger("Negative"), -42);
    EXPECT_EQ(reg.GetDataType("Negative"), rdInteger);
    EXPECT_TRUE(reg.ReadBool("Yes"));
    EXPECT_EQ(reg.ReadFloat("Float"), 0.1);
    EXPECT_EQ(reg.ReadDateTime("When"), 45356.75);
    EXPECT_EQ(reg.ReadCurrency("Money"), 123456789);
    unsigned char back[16] = {};
    EXPECT_EQ(reg.ReadBinaryData("Blob", back, sizeof back), static_cast<Integer>(sizeof blob));
    EXPECT_EQ(std::memcmp(back, blob, sizeof blob), 0);
    EXPECT_EQ(reg.GetDataType("Blob"), rdBinary);
    EXPECT_EQ(reg.ReadBinaryData("NoBytes", back, sizeof back), 0);
    EXPECT_EQ(reg.ReadString(odd), "a value named oddly");

    TStringList names;
    reg.GetValueNames(&names);
    EXPECT_EQ(names.GetCount(), 12);
    EXPECT_EQ(names.Get(0), "Text");  // in the order they were made
    EXPECT_EQ(names.Get(1), "");
}

TEST_F(Registry, PathsAndCase) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(base_ + "\\Alpha\\Beta", true));
    EXPECT_EQ(reg.GetCurrentPath(), base_.substr(1) + "\\Alpha\\Beta");
    EXPECT_NE(reg.GetCurrentKey(), 0u);
    reg.WriteString("Name", "v");
    EXPECT_TRUE(reg.ValueExists("NAME"));
    reg.WriteString("NAME", "w");  // the same value, the first spelling kept
    TStringList names;
    reg.GetValueNames(&names);
    EXPECT_EQ(names.GetCommaText(), "Name");

    // relative to the open key, or from the root with a leading backslash
    ASSERT_TRUE(reg.OpenKey("Gamma", true));
    EXPECT_EQ(reg.GetCurrentPath(), base_.substr(1) + "\\Alpha\\Beta\\Gamma");
    ASSERT_TRUE(reg.OpenKey(base_ + "\\ALPHA", false));
    EXPECT_EQ(reg.GetCurrentPath(), base_.substr(1) + "\\ALPHA");
    EXPECT_TRUE(reg.KeyExists("beta\\GAMMA"));
    EXPECT_FALSE(reg.OpenKey("Delta", false));
    EXPECT_EQ(reg.GetCurrentPath(), base_.substr(1) + "\\ALPHA");  // a failed open keeps the key
    reg.CreateKey("delta\\epsilon");
    reg.CreateKey("Zeta");
    EXPECT_TRUE(reg.KeyExists(base_ + "\\Alpha\\Delta\\Epsilon"));
    EXPECT_TRUE(reg.HasSubKeys());
    reg.GetKeyNames(&names);
    EXPECT_EQ(names.GetCommaText(), "Beta,delta,Zeta");  // sorted without regard to case
    reg.CloseKey();
    EXPECT_EQ(reg.GetCurrentKey(), 0u);
    EXPECT_EQ(reg.GetCurrentPath(), "");
    EXPECT_TRUE(reg.KeyExists(base_.substr(1) + "\\alpha"));  // without an open key: from the root

    // The roots are separate trees, each in its own file.
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.KeyExists(base_ + "\\Alpha"));
    ASSERT_TRUE(reg.OpenKey(base_ + "\\Machine", true));
    reg.WriteInteger("One", 1);
    reg.CloseKey();
    EXPECT_NE(FileText(RegistryFileName(HKEY_LOCAL_MACHINE)).find("Machine]"), std::string::npos);
    EXPECT_EQ(FileText(RegistryFileName(HKEY_CURRENT_USER)).find("Machine]"), std::string::npos);
    EXPECT_EQ(RegistryFileName(HKEY_CLASSES_ROOT), RegistryFolder() + "HKEY_CLASSES_ROOT.reg");
    reg.SetRootKey(0x80000003);
    EXPECT_FALSE(reg.OpenKey("Software", true));
}

TEST_F(Registry, DeleteKeyTakesEverythingBelow) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(base_ + "\\Top\\Middle\\Bottom", true));
    reg.WriteString("Deep", "x");
    ASSERT_TRUE(reg.OpenKey(base_ + "\\Top", false));
    reg.WriteInteger("Here", 1);
    ASSERT_TRUE(reg.OpenKey(base_ + "\\Keep", true));
    reg.CloseKey();

    EXPECT_TRUE(reg.DeleteKey(base_ + "\\TOP"));
    EXPECT_FALSE(reg.KeyExists(base_ + "\\Top"));
    EXPECT_FALSE(reg.KeyExists(base_ + "\\Top\\Middle\\Bottom"));
    EXPECT_FALSE(reg.DeleteKey(base_ + "\\Top"));
    EXPECT_FALSE(reg.DeleteKey("\\"));
    EXPECT_TRUE(reg.KeyExists(base_ + "\\Keep"));
    RegistryUnload();
    EXPECT_FALSE(reg.KeyExists(base_ + "\\Top\\Middle"));
    EXPECT_TRUE(reg.KeyExists(base_ + "\\Keep"));

    // A key deleted while open: reads find nothing, writes fail.
    ASSERT_TRUE(reg.OpenKey(base_ + "\\Keep", false));
    TRegistry other;
    other.DeleteKey(base_ + "\\Keep");
    EXPECT_EQ(reg.ReadString("x"), "");
    EXPECT_EQ(ErrorOf([&] { reg.WriteString("x", "y"); }), "Failed to set data for 'x'");
    EXPECT_FALSE(reg.OpenKey("Child", true));
}

TEST_F(Registry, TypedReadsAndWritesRaise) {
    TRegistry reg;
    EXPECT_EQ(ErrorOf([&] { reg.WriteString("x", "y"); }), "Failed to set data for 'x'");  // no key open
    ASSERT_TRUE(reg.OpenKey(base_, true));
    reg.WriteString("Text", "12");
    reg.WriteInteger("Number", 12);
    reg.WriteBinaryData("Nine", "123456789", 9);
    EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("Missing"); }), "Failed to get data for 'Missing'");
    EXPECT_EQ(ErrorOf([&] { reg.ReadBool("Missing"); }), "Failed to get data for 'Missing'");
    EXPECT_EQ(ErrorOf([&] { reg.ReadFloat("Missing"); }), "Failed to get data for 'Missing'");
    EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("Text"); }), "Invalid data type for 'Text'");
    EXPECT_EQ(ErrorOf([&] { reg.ReadString("Number"); }), "Invalid data type for 'Number'");
    EXPECT_EQ(ErrorOf([&] { reg.ReadFloat("Number"); }), "Invalid data type for 'Number'");
    EXPECT_EQ(ErrorOf([&] { reg.ReadFloat("Nine"); }), "Failed to get data for 'Nine'");  // too long
    char small[4];
    EXPECT_EQ(ErrorOf([&] { reg.ReadBinaryData("Nine", small, sizeof small); }), "Failed to get data for 'Nine'");
    EXPECT_EQ(ErrorOf([&] { reg.ReadBinaryData("Text", small, sizeof small); }), "Invalid data type for 'Text'");
    EXPECT_EQ(reg.ReadString("Missing"), "");  // a missing text is empty
    EXPECT_EQ(reg.GetDataSize("Missing"), -1);
    EXPECT_EQ(reg.GetDataType("Missing"), rdUnknown);
    EXPECT_TRUE(reg.DeleteValue("TEXT"));
    EXPECT_FALSE(reg.DeleteValue("Text"));
    reg.RenameValue("Number", "Count");
    EXPECT_EQ(reg.ReadInteger("count"), 12);

    ASSERT_TRUE(reg.OpenKeyReadOnly(base_));
    EXPECT_EQ(reg.ReadInteger("Count"), 12);
    EXPECT_EQ(ErrorOf([&] { reg.WriteInteger("Count", 1); }), "Failed to set data for 'Count'");
    EXPECT_FALSE(reg.DeleteValue("Count"));
    EXPECT_FALSE(reg.OpenKeyReadOnly(base_ + "\\Missing"));
    TRegistry noRoot;
    noRoot.SetRootKey(0x80000004);
    EXPECT_EQ(ErrorOf([&] { noRoot.CreateKey("Software"); }), "Failed to create key Software");
}

TEST_F(Registry, ACrashBetweenWriteAndRenameLeavesTheOldFileWhole) {
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(base_, true));
        reg.WriteString("State", "old");
    }
    const std::string file = RegistryFileName(HKEY_CURRENT_USER);
    const std::string before = FileText(file);
    ASSERT_NE(before.find("\"State\"=\"old\""), std::string::npos);

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child writes a new state and dies just before the rename.
        SetAtomicWriteHookForTesting([](const std::string&) { _exit(3); });
        TRegistry reg;
        if (reg.OpenKey(base_, false)) reg.WriteString("State", std::string(50000, 'n'));
        reg.CloseKey();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);  // it did die there

    EXPECT_EQ(FileText(file), before);
    bool staleTemp = false;
    for (const auto& entry : std::filesystem::directory_iterator(RegistryFolder()))
        staleTemp |= entry.path().filename().string().find(".tmp-") != std::string::npos;
    EXPECT_TRUE(staleTemp);
    RegistryUnload();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(base_, false));
    EXPECT_EQ(reg.ReadString("State"), "old");
    reg.WriteString("State", "new");
    reg.CloseKey();
    RegistryUnload();
    ASSERT_TRUE(reg.OpenKeyReadOnly(base_));
    EXPECT_EQ(reg.ReadString("State"), "new");
}

TEST_F(Registry, RegIniFileStoresSectionsAsKeys) {
    {
        TRegIniFile ini(base_.substr(1) + "\\Layout");
        EXPECT_EQ(ini.GetCurrentPath(), base_.substr(1) + "\\Layout");
        ini.WriteInteger("Grid", "Width", 120);
        ini.WriteBool("Grid", "Visible", true);
        ini.WriteString("Grid", "Caption", "Name");
        ini.WriteString("Toolbar", "Left", "10");
        ini.WriteString("", "Version", "5");
        EXPECT_EQ(ini.GetCurrentPath(), base_.substr(1) + "\\Layout");  // back on its own key
    }
    TRegistry raw;
    ASSERT_TRUE(raw.OpenKey(base_ + "\\Layout\\Grid", false));
    EXPECT_EQ(raw.GetDataType("Width"), rdString);  // integers are written as text
    EXPECT_EQ(raw.ReadString("Visible"), "1");
    raw.WriteInteger("Height", 30);
    raw.WriteString("Bad", "x");
    raw.CloseKey();

    TRegIniFile ini(base_.substr(1) + "\\Layout");
    EXPECT_EQ(ini.ReadInteger("grid", "width", 0), 120);
    EXPECT_EQ(ini.ReadInteger("Grid", "Height", 0), 30);  // an integer value reads too
    EXPECT_EQ(ini.ReadInteger("Grid", "Bad", -1), -1);
    EXPECT_EQ(ini.ReadInteger("Missing", "Width", 7), 7);
    EXPECT_TRUE(ini.ReadBool("Grid", "Visible", false));
    EXPECT_EQ(ini.ReadString("Grid", "Caption", ""), "Name");
    EXPECT_EQ(ini.ReadString("", "Version", ""), "5");
    EXPECT_EQ(ini.ReadString("Grid", "Missing", "d"), "d");
    TStringList list;
    ini.ReadSections(&list);
    EXPECT_EQ(list.GetCommaText(), "Grid,Toolbar");
    ini.ReadSection("grid", &list);
    EXPECT_EQ(list.GetCommaText(), "Width,Visible,Caption,Height,Bad");
    ini.ReadSectionValues("Toolbar", &list);
    EXPECT_EQ(list.GetCommaText(), "Left=10");
    ini.DeleteKey("Grid", "Bad");
    EXPECT_EQ(ini.ReadString("Grid", "Bad", "gone"), "gone");
    ini.EraseSection("GRID");
    ini.ReadSections(&list);
    EXPECT_EQ(list.GetCommaText(), "Toolbar");
    ini.ReadSection("Grid", &list);
    EXPECT_EQ(list.GetCount(), 0);
}
