#pragma once
// A fixture that starts and closes the program as its entry does, on a private settings store,
// program folder and user folders, with every dialog answered from a script.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/app_paths.h"
#include "app/main_window.h"
#include "app/program.h"
#include "catalogue/lm_types.h"
#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "framework/messages.h"
#include "framework/registry.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"
#include "framework/testing/ui_test.h"
#include "framework/tests/scratch_folder.h"
#include "platform/tests/scoped_env.h"

inline std::string ReadFile(const std::string& Name) {
    std::ifstream in(Name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The store's HKEY_LOCAL_MACHINE file as it is on disk now.
inline std::string StoreSnapshot() {
    RegistryFlush();
    return ReadFile(RegistryFileName(HKEY_LOCAL_MACHINE));
}

class ProgramTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        uitest::Start();
        program_ = dir_ + "program/";
        home_ = dir_ + "home/";
        ASSERT_TRUE(ForceDirectories(program_));
        ASSERT_TRUE(ForceDirectories(home_));
        ASSERT_TRUE(ForceDirectories(dir_ + "tmp/"));
        // With the tips file beside the program a first run asks nothing.
        TStringList tips;
        tips.Add("[Tips]");
        tips.Add("Number=0");
        tips.SaveToFile(program_ + "lmtips.ini");
        // The known-format list the build puts beside the program.
        const char* source = std::getenv("LUMORA_TEST_SOURCE_DIR");
        ASSERT_NE(source, nullptr);
        ASSERT_TRUE(CopyFileVerified(std::string(source) + "/catalogue/fmt.res", program_ + "fmt.res"));
        env_.emplace_back("HOME", home_);
        env_.emplace_back("XDG_DATA_HOME", dir_ + "xdg");
        env_.emplace_back("TMPDIR", dir_ + "tmp");
        SetAppProgramFolder(program_);
        for (int i = 0; i <= ParamCount(); ++i) savedArgs_.push_back(ParamStr(i));
        ClearStore();
        dialogs_.OnUnexpected = [](const TDialogRequest& r) { ADD_FAILURE() << "unexpected dialog: " << r.Text; };
        Application->OnMessage = [this](TMsg& Msg, bool& Handled) {
            if (Msg.message == WM_QUIT) {
                quit_ = true;
                Handled = true;
            }
        };
    }

    void TearDown() override {
        FreeProgramForms();
        Application->OnMessage = nullptr;
        SetAppProgramFolder("");
        ClearStore();
        SetArgs(savedArgs_);
        chmod(program_.c_str(), 0755);
        env_.clear();
        ScratchFolderTest::TearDown();
    }

    static void ClearStore() {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        reg.DeleteKey(MainSettingsKey);
    }

    static void SetArgs(const std::vector<std::string>& Args) {
        std::vector<const char*> argv;
        for (const std::string& a : Args) argv.push_back(a.c_str());
        SetCommandLine(static_cast<int>(argv.size()), argv.data());
    }

    // Stores values under a key of the program's store.
    static void Store(const std::string& Key, const std::vector<std::pair<std::string, std::string>>& Values) {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey(Key, true));
        for (auto& [name, value] : Values) reg.WriteString(name, value);
    }
    static std::string Stored(const std::string& Key, const std::string& Name) {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (!reg.OpenKeyReadOnly(Key)) return "(no key)";
        return reg.ValueExists(Name) ? reg.ReadString(Name) : "(missing)";
    }
    static bool KeyExists(const std::string& Key) {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        return reg.KeyExists(Key);
    }

    // Starts the program as its entry does, up to the main window's first show.
    void Start(std::vector<std::string> Args = {}) {
        Args.insert(Args.begin(), "lumora");
        SetArgs(Args);
        quit_ = false;
        CreateProgramForms();
        ASSERT_NE(frmMain, nullptr);
        frmMain->Show();
        // A load defers its nudge (warning 16) once in sixty at random: the tests meet only the
        // warnings they ask for. (The settings are read on the first show.)
        frmMain->Settings.WarningVisible[16] = false;
        uitest::ProcessEvents();
    }
    // Closes the main window the way the user does.
    void Close() {
        frmMain->Close();
        uitest::ProcessEvents();
    }
    void Restart(std::vector<std::string> Args = {}) {
        FreeProgramForms();
        Start(std::move(Args));
    }
    // One idle turn; answers Done.
    static bool Turn() {
        bool done = true;
        frmMain->doidle(frmMain, done);
        return done;
    }
    // Idle turns until the window has nothing left to do.
    static void Settle() {
        for (int i = 0; i < 10 && !Turn(); ++i) {}
        ASSERT_TRUE(Turn());
    }

    // A first run closed cleanly: the store then holds every setting.
    void RunOnce() {
        Start();
        Close();
        ASSERT_TRUE(quit_);
        FreeProgramForms();
    }

    TScriptedDialogs dialogs_;
    std::string program_;
    std::string home_;
    std::deque<ScopedEnv> env_;
    std::vector<std::string> savedArgs_;
    bool quit_ = false;
};
