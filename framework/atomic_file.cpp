#include "framework/atomic_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <mutex>

namespace {

std::mutex g_hookMutex;
std::function<void(const std::string&)> g_hook;

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool WriteFileAtomically(const std::string& FileName, std::string_view Content) {
    std::string target = FileName;
    char resolved[PATH_MAX];
    struct stat st {};
    bool exists = ::lstat(FileName.c_str(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode) && ::realpath(FileName.c_str(), resolved)) target = resolved;
    exists = ::stat(target.c_str(), &st) == 0;
    mode_t mode = exists ? (st.st_mode & 07777) : 0644;

    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "." : target.substr(0, slash ? slash : 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + "." + name +
                       ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = WriteAll(fd, Content) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) {
        std::function<void(const std::string&)> hook;
        {
            std::lock_guard<std::mutex> lock(g_hookMutex);
            hook = g_hook;
        }
        if (hook) hook(temp);
        ok = ::rename(temp.c_str(), target.c_str()) == 0;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

TFileStamp FileStampOf(const std::string& FileName) {
    TFileStamp s;
    struct stat st {};
    if (::stat(FileName.c_str(), &st) != 0) return s;
    s.Exists = true;
    s.Device = st.st_dev;
    s.Inode = st.st_ino;
    s.Size = st.st_size;
    s.MTimeNs = static_cast<Int64>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return s;
}

void SetAtomicWriteHookForTesting(std::function<void(const std::string& TempName)> Hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_hook = std::move(Hook);
}
