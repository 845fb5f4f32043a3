#include "platform/trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "framework/file_utils.h"
#include "framework/sysutils.h"
#include "platform/user_folders.h"

namespace {

// The device of Path, or of its nearest existing parent.
bool DeviceOf(std::string Path, dev_t& Device) {
    for (;;) {
        struct stat st {};
        if (stat(Path.c_str(), &st) == 0) {
            Device = st.st_dev;
            return true;
        }
        std::string parent = ExtractFileDir(ExcludeTrailingPathDelimiter(Path));
        if (parent == Path || parent.empty()) return false;
        Path = parent;
    }
}

// The top folder of the file system that holds Path (an existing file or folder).
std::string TopFolderOf(const std::string& Path, dev_t Device) {
    std::string top = ExtractFileDir(Path);
    while (top != "/") {
        std::string parent = ExtractFileDir(top);
        struct stat st {};
        if (stat(parent.c_str(), &st) != 0 || st.st_dev != Device) break;
        top = parent;
    }
    return top;
}

// Makes Folder with mode 0700 unless it exists; it must be a real folder (not a link) of ours.
bool OwnFolder(const std::string& Folder) {
    if (mkdir(Folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    return lstat(Folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
}

bool WithSubfolders(const std::string& Trash) {
    return OwnFolder(ExcludeTrailingPathDelimiter(Trash)) && OwnFolder(Trash + "files") && OwnFolder(Trash + "info");
}

// The path as a ".trashinfo" file writes it: every byte other than letters, digits and "-_.~/"
// percent-encoded.
std::string EncodePath(const std::string& Path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : Path) {
        if (std::isalnum(c) || std::strchr("-_.~/", c))
            out += static_cast<char>(c);
        else
            out += {'%', hex[c >> 4], hex[c & 15]};
    }
    return out;
}

std::string DeletionDate() {
    time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    char text[32];
    strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// Name, then "stem.2.ext", "stem.3.ext" ...
std::string NumberedName(const std::string& Name, int N) {
    if (N < 2) return Name;
    std::string ext = ExtractFileExt(Name);
    if (ext == Name) ext.clear();
    return Name.substr(0, Name.size() - ext.size()) + "." + std::to_string(N) + ext;
}

bool WriteAllBytes(int Fd, const std::string& Text) {
    const char* p = Text.data();
    size_t left = Text.size();
    while (left > 0) {
        ssize_t n = write(Fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

std::string FolderForPath(const std::string& Path, bool& Home, std::string& Top) {
    struct stat st {};
    if (lstat(Path.c_str(), &st) != 0) return {};
    std::string home = UserDataFolder() + "Trash/";
    dev_t homeDevice{};
    if (DeviceOf(home, homeDevice) && homeDevice == st.st_dev) {
        Home = true;
        ForceDirectories(UserDataFolder());
        return WithSubfolders(home) ? home : std::string();
    }
    Home = false;
    Top = TopFolderOf(Path, st.st_dev);
    std::string shared = IncludeTrailingPathDelimiter(Top) + ".Trash";
    struct stat sh {};
    if (lstat(shared.c_str(), &sh) == 0 && S_ISDIR(sh.st_mode) && (sh.st_mode & S_ISVTX)) {
        std::string mine = shared + "/" + std::to_string(geteuid()) + "/";
        if (WithSubfolders(mine)) return mine;
    }
    std::string own = IncludeTrailingPathDelimiter(Top) + ".Trash-" + std::to_string(geteuid()) + "/";
    return WithSubfolders(own) ? own : std::string();
}

bool Fail(std::string* Error, const std::string& Reason) {
    if (Error) *Error = Reason;
    return false;
}

}  // namespace

std::string TrashFolderFor(const std::string& FileName) {
    bool home = false;
    std::string top;
    return FolderForPath(ExcludeTrailingPathDelimiter(ExpandFileName(FileName)), home, top);
}

bool MoveToTrash(const std::string& FileName, std::string* Error) {
    std::string path = ExcludeTrailingPathDelimiter(ExpandFileName(FileName));
    struct stat st {};
    if (path.empty() || lstat(path.c_str(), &st) != 0) return Fail(Error, std::strerror(errno ? errno : ENOENT));
    if (path == "/") return Fail(Error, std::strerror(EPERM));
    bool home = false;
    std::string top;
    std::string trash = FolderForPath(path, home, top);
    if (trash.empty()) return Fail(Error, "No trash folder can be used on its file system");
    // Records in a top folder's trash name the file relative to that folder.
    std::string recorded = home ? path : ExtractRelativePath(IncludeTrailingPathDelimiter(top), path);
    std::string info = "[Trash Info]\nPath=" + EncodePath(recorded) + "\nDeletionDate=" + DeletionDate() + "\n";
    std::string name = ExtractFileName(path);
    for (int n = 1; n < 100000; ++n) {
        std::string candidate = NumberedName(name, n);
        std::string infoName = trash + "info/" + candidate + ".trashinfo";
        int fd = open(infoName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return Fail(Error, std::strerror(errno));
        }
        std::string target = trash + "files/" + candidate;
        struct stat taken {};
        if (lstat(target.c_str(), &taken) == 0) {
            close(fd);
            unlink(infoName.c_str());
            continue;
        }
        bool written = WriteAllBytes(fd, info) && fsync(fd) == 0;
        written = close(fd) == 0 && written;
        int err = EIO;
        if (written && RenameFile(path, target)) return true;
        if (written) err = errno;
        unlink(infoName.c_str());
        return Fail(Error, std::strerror(err));
    }
    return Fail(Error, std::strerror(EEXIST));
}
