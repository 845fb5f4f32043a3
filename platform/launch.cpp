#include "platform/launch.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "framework/file_utils.h"
#include "framework/forms.h"
#include "framework/sysutils.h"
#include "platform/item_prop.h"

namespace {

constexpr Integer LaunchSucceeded = 42;

// "scheme:..." with a scheme of two or more letters (so "C:" never counts).
bool IsUrl(const std::string& File) {
    size_t colon = File.find(':');
    if (colon == std::string::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(File[0]))) return false;
    for (size_t i = 1; i < colon; ++i) {
        unsigned char c = static_cast<unsigned char>(File[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

// The executable file Name is on PATH, or "".
std::string FindOnPath(const std::string& Name) {
    const char* path = std::getenv("PATH");
    std::string list = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string folder = list.substr(start, end - start);
        std::string candidate = IncludeTrailingPathDelimiter(folder.empty() ? "." : folder) + Name;
        struct stat st {};
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return ExpandFileName(candidate);
        start = end + 1;
    }
    return {};
}

// A file we may run that holds a program: machine code or a "#!" script. Anything else, even
// with its execute bit set (as everything on some media), is a document.
bool IsProgram(const std::string& Path) {
    struct stat st {};
    if (stat(Path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(Path.c_str(), X_OK) != 0) return false;
    char head[4] = {};
    int fd = open(Path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ssize_t n = read(fd, head, sizeof head);
    close(fd);
    return (n >= 2 && head[0] == '#' && head[1] == '!') || (n == 4 && std::memcmp(head,
                                                                                  "\x7f"
                                                                                  "ELF",
                                                                                  4) == 0);
}

Integer ErrorResult(int Error) {
    switch (Error) {
        case 0: return LaunchSucceeded;
        case EACCES:
        case EPERM: return SE_ERR_ACCESSDENIED;
        default: return SE_ERR_FNF;
    }
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& Parameters) {
    std::vector<std::string> args;
    const std::string& s = Parameters;
    size_t i = 0, n = s.size();
    for (;;) {
        while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
        if (i >= n) break;
        std::string arg;
        bool quoted = false;
        while (i < n) {
            char c = s[i];
            if (!quoted && (c == ' ' || c == '\t')) break;
            if (c == '\\') {
                size_t k = 0;
                while (i + k < n && s[i + k] == '\\') ++k;
                if (i + k < n && s[i + k] == '"') {
                    arg.append(k / 2, '\\');
                    i += k;
                    if (k % 2 == 1) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(k, '\\');
                    i += k;
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < n && s[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            arg += c;
            ++i;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

int StartDetached(const std::vector<std::string>& Argv, const std::string& Directory) {
    if (Argv.empty()) return ENOENT;
    // Everything the children need is made before forking.
    std::vector<char*> argv;
    for (const std::string& a : Argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const char* dir = Directory.empty() ? nullptr : Directory.c_str();
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return errno;
    pid_t child = fork();
    if (child < 0) {
        int err = errno;
        close(report[0]);
        close(report[1]);
        return err;
    }
    if (child == 0) {
        // The child starts the program in a grandchild and ends at once, so the program belongs
        // to no one of ours and never stays a zombie.
        setsid();
        pid_t grandchild = fork();
        if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
        int err = 0;
        if (dir && chdir(dir) != 0) err = errno;
        if (!err) {
            int null = open("/dev/null", O_RDONLY);
            if (null >= 0 && null != 0) {
                dup2(null, 0);
                close(null);
            }
            if (syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
                // Older kernels: mark them one by one.
                long last = std::min(sysconf(_SC_OPEN_MAX), 65536L);
                for (int fd = 3; fd < last; ++fd) fcntl(fd, F_SETFD, FD_CLOEXEC);
            }
            sigset_t all;
            sigemptyset(&all);
            sigprocmask(SIG_SETMASK, &all, nullptr);
            signal(SIGPIPE, SIG_DFL);
            execvp(argv[0], argv.data());
            err = errno;
        }
        ssize_t ignored = write(report[1], &err, sizeof err);
        (void)ignored;
        _exit(127);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    int err = 0;
    ssize_t got;
    while ((got = read(report[0], &err, sizeof err)) < 0 && errno == EINTR) {}
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof err)) return err;
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) return EAGAIN;  // the second fork failed
    return 0;
}

Integer ShellExecute(HWND Owner, const std::string& Operation, const std::string& File, const std::string& Parameters,
                     const std::string& Directory, Integer) {
    if (!Directory.empty() && !DirectoryExists(Directory)) return SE_ERR_PNF;
    // A local file whose name looks like "scheme:..." is still a file.
    std::string local =
        File.empty() || File[0] == '/' || Directory.empty() ? File : IncludeTrailingPathDelimiter(Directory) + File;
    struct stat localStat {};
    if (IsUrl(File) && stat(local.c_str(), &localStat) != 0) {
        if (!Operation.empty() && !SameText(Operation, "open")) return SE_ERR_NOASSOC;
        return StartDetached({"xdg-open", File}, Directory) == 0 ? LaunchSucceeded : SE_ERR_NOASSOC;
    }
    if (File.empty()) return SE_ERR_FNF;
    std::string path;
    if (File.find('/') == std::string::npos) {
        std::string inDirectory = IncludeTrailingPathDelimiter(Directory.empty() ? GetCurrentDir() : Directory) + File;
        struct stat st {};
        path = stat(inDirectory.c_str(), &st) == 0 ? inDirectory : FindOnPath(File);
        if (path.empty()) return SE_ERR_FNF;
    } else {
        path = File[0] == '/' || Directory.empty() ? File : IncludeTrailingPathDelimiter(Directory) + File;
    }
    path = ExpandFileName(path);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return SE_ERR_FNF;
    if (SameText(Operation, "properties"))
        return InvokeShellVerbOnPath("properties", path, Owner) ? LaunchSucceeded : SE_ERR_NOASSOC;
    if (!Operation.empty() && !SameText(Operation, "open")) return SE_ERR_NOASSOC;
    if (IsProgram(path)) {
        std::vector<std::string> argv{path};
        for (std::string& arg : SplitCommandLine(Parameters)) argv.push_back(std::move(arg));
        return ErrorResult(StartDetached(argv, Directory));
    }
    return StartDetached({"xdg-open", path}, Directory) == 0 ? LaunchSucceeded : SE_ERR_NOASSOC;
}

Integer ShellExecuteFile(const std::string& File, const std::string& Parameters, const std::string& Directory,
                         Integer ShowCmd) {
    HWND owner = Application->GetMainForm();
    return ShellExecute(owner, "", File, Parameters, Directory, ShowCmd);
}
