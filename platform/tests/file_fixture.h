#pragma once
// Scratch folders for file tests: one on the temporary folder's file system, one on a second
// file system when the machine has one (/dev/shm on its own device), and a child process with a
// tiny private tmpfs for running out of space.

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "framework/file_utils.h"
#include "framework/tests/scratch_folder.h"

class FileTest : public ScratchFolderTest {
protected:
    void TearDown() override {
        std::error_code ec;
        if (!other_.empty()) std::filesystem::remove_all(other_, ec);
        ScratchFolderTest::TearDown();
    }
    static std::string Make(const std::string& path, const std::string& content = "") {
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static bool Exists(const std::string& path) {
        struct stat st {};
        return lstat(path.c_str(), &st) == 0;
    }
    // Names in a folder, sorted (hidden ones included).
    static std::vector<std::string> Names(const std::string& folder) {
        std::vector<std::string> names;
        std::error_code ec;
        for (auto& e : std::filesystem::directory_iterator(folder, ec)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // A scratch folder on another file system than dir_, "" when the machine has none.
    std::string OtherFileSystem() {
        struct stat a {
        }, b{};
        if (stat(dir_.c_str(), &a) != 0 || stat("/dev/shm", &b) != 0 || a.st_dev == b.st_dev) return {};
        std::string tmpl = "/dev/shm/lumora-other-XXXXXX";
        if (!mkdtemp(tmpl.data())) return {};
        other_ = tmpl + "/";
        return other_;
    }
    // Runs Body in a child process that has its own mounts and a tmpfs of SizeKiB at Folder
    // (made here). Answers Body's result, or -1 when the system refuses a private mount.
    static int WithTmpfs(const std::string& Folder, int SizeKiB, const std::function<int()>& Body) {
        std::filesystem::create_directories(Folder);
        uid_t uid = geteuid();
        gid_t gid = getegid();
        pid_t pid = fork();
        if (pid == 0) {
            if (unshare(CLONE_NEWNS) != 0) {
                if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) _exit(77);
                std::ofstream("/proc/self/setgroups") << "deny";
                std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
                std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
            }
            std::string options = "size=" + std::to_string(SizeKiB) + "k";
            if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount("tmpfs", Folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
                _exit(77);
            _exit(Body());
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) == 77) return -1;
        return WEXITSTATUS(status);
    }

private:
    std::string other_;
};
