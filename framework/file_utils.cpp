#include "framework/file_utils.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "framework/exceptions.h"
#include "framework/sysutils.h"

namespace {

std::string Str(std::string_view s) {
    return std::string(s);
}

}  // namespace

Integer ErrnoToOSError(int Errno) {
    switch (Errno) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    default: return ERROR_GEN_FAILURE;
    }
}

// ---------------------------------------------------------------------------------------------
// Path parts

std::string ExtractFileName(std::string_view FileName) {
    size_t slash = FileName.rfind('/');
    return Str(slash == std::string_view::npos ? FileName : FileName.substr(slash + 1));
}

namespace {

// Byte offset of the point that starts the extension, npos when the name part has none.
size_t ExtensionStart(std::string_view name) {
    size_t dot = name.rfind('.');
    size_t slash = name.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string_view::npos;
    return dot;
}

}  // namespace

std::string ExtractFileExt(std::string_view FileName) {
    size_t dot = ExtensionStart(FileName);
    return dot == std::string_view::npos ? std::string() : Str(FileName.substr(dot));
}

std::string ExtractFilePath(std::string_view FileName) {
    size_t slash = FileName.rfind('/');
    return slash == std::string_view::npos ? std::string() : Str(FileName.substr(0, slash + 1));
}

std::string ExtractFileDir(std::string_view FileName) {
    size_t slash = FileName.rfind('/');
    if (slash == std::string_view::npos) return {};
    if (slash == 0) return "/";
    if (FileName[slash - 1] == '/') return Str(FileName.substr(0, slash + 1));
    return Str(FileName.substr(0, slash));
}

std::string ExtractFileDrive(std::string_view FileName) {
    return !FileName.empty() && FileName[0] == '/' ? "/" : "";
}

std::string ChangeFileExt(std::string_view FileName, std::string_view Extension) {
    size_t dot = ExtensionStart(FileName);
    return Str(dot == std::string_view::npos ? FileName : FileName.substr(0, dot)) + Str(Extension);
}

bool IsPathDelimiter(std::string_view S, Integer Index) {
    return Index >= 1 && static_cast<size_t>(Index) <= S.size() && S[static_cast<size_t>(Index) - 1] == '/';
}

std::string IncludeTrailingPathDelimiter(std::string_view S) {
    if (!S.empty() && S.back() == '/') return Str(S);
    return Str(S) + "/";
}

std::string IncludeTrailingBackslash(std::string_view S) {
    return IncludeTrailingPathDelimiter(S);
}

std::string ExcludeTrailingPathDelimiter(std::string_view S) {
    if (S.size() > 1 && S.back() == '/') S.remove_suffix(1);
    return Str(S);
}

std::string ExcludeTrailingBackslash(std::string_view S) {
    return ExcludeTrailingPathDelimiter(S);
}

namespace {

std::vector<std::string> SplitPath(std::string_view path) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string_view::npos) j = path.size();
        if (j > i) parts.emplace_back(path.substr(i, j - i));
        i = j + 1;
    }
    return parts;
}

}  // namespace

std::string ExpandFileName(std::string_view FileName) {
    if (FileName.empty()) return {};
    std::string full =
        FileName[0] == '/' ? Str(FileName) : IncludeTrailingPathDelimiter(GetCurrentDir()) + Str(FileName);
    std::vector<std::string> out;
    for (std::string& part : SplitPath(full)) {
        if (part == ".") continue;
        if (part == "..") {
            if (!out.empty()) out.pop_back();
            continue;
        }
        out.push_back(std::move(part));
    }
    std::string result;
    for (const std::string& part : out) result += "/" + part;
    if (result.empty()) return "/";
    if (FileName.back() == '/') result += "/";
    return result;
}

std::string ExtractRelativePath(std::string_view BaseName, std::string_view DestName) {
    std::string basePath = ExtractFilePath(BaseName);
    std::string destPath = ExtractFilePath(DestName);
    if (ExtractFileDrive(basePath) != ExtractFileDrive(destPath)) return Str(DestName);
    std::vector<std::string> base = SplitPath(basePath), dest = SplitPath(destPath);
    size_t common = 0;
    while (common < base.size() && common < dest.size() && base[common] == dest[common]) ++common;
    std::string result;
    for (size_t i = common; i < base.size(); ++i) result += "../";
    for (size_t i = common; i < dest.size(); ++i) result += dest[i] + "/";
    return result + ExtractFileName(DestName);
}

std::string ExtractShortPathName(std::string_view FileName) {
    return Str(FileName);
}

namespace {

char32_t FoldChar(char32_t c) {
    return CharLower(CharUpper(c));
}

// Glob matching over code points: "*", "?" and, when sets is true, "[...]" sets with ranges and
// "!" for the complement. A "[" without its "]" is an ordinary character.
bool Glob(const std::u32string& name, const std::u32string& mask, bool sets) {
    size_t n = 0, m = 0, starMask = std::u32string::npos, starName = 0;
    auto matchSet = [&](size_t& mpos, char32_t c, bool& ok) -> bool {
        // mpos at '['; returns false when the set is not closed.
        size_t k = mpos + 1;
        bool negate = k < mask.size() && mask[k] == '!';
        if (negate) ++k;
        size_t close = mask.find(U']', k == mask.size() ? k : k + 1);
        if (close == std::u32string::npos) return false;
        bool in = false;
        for (size_t i = k; i < close; ++i) {
            char32_t lo = FoldChar(mask[i]), hi = lo;
            if (i + 2 < close && mask[i + 1] == '-') {
                hi = FoldChar(mask[i + 2]);
                i += 2;
            }
            char32_t fc = FoldChar(c);
            if (fc >= lo && fc <= hi) in = true;
        }
        ok = in != negate;
        mpos = close + 1;
        return true;
    };
    while (n < name.size()) {
        if (m < mask.size()) {
            char32_t mc = mask[m];
            if (mc == '*') {
                starMask = m++;
                starName = n;
                continue;
            }
            if (mc == '[' && sets) {
                size_t mpos = m;
                bool ok = false;
                if (matchSet(mpos, name[n], ok)) {
                    if (ok) {
                        m = mpos;
                        ++n;
                        continue;
                    }
                    goto backtrack;
                }
            }
            if (mc == '?' || FoldChar(mc) == FoldChar(name[n])) {
                ++m;
                ++n;
                continue;
            }
        }
    backtrack:
        if (starMask == std::u32string::npos) return false;
        m = starMask + 1;
        n = ++starName;
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

// The matching rules of directory searches.
bool SearchMaskMatches(const std::string& name, const std::string& mask) {
    if (mask == "*" || mask == "*.*") return true;
    std::u32string n = Utf8ToCodePoints(name), m = Utf8ToCodePoints(mask);
    if (Glob(n, m, false)) return true;
    // "name.*" also matches "name"; "name." matches "name" without an extension.
    if (m.size() >= 2 && m.ends_with(U".*")) return Glob(n, m.substr(0, m.size() - 2), false);
    if (m.size() >= 2 && m.back() == '.' && m != U"..")
        return name.find('.') == std::string::npos && Glob(n, m.substr(0, m.size() - 1), false);
    return false;
}

bool HasWildcards(std::string_view s) {
    return s.find_first_of("*?") != std::string_view::npos;
}

}  // namespace

bool MatchesMask(std::string_view FileName, std::string_view Mask) {
    return Glob(Utf8ToCodePoints(FileName), Utf8ToCodePoints(Mask), true);
}

bool SameFile(std::string_view FileName1, std::string_view FileName2) {
    struct stat a{}, b{};
    if (stat(Str(FileName1).c_str(), &a) == 0 && stat(Str(FileName2).c_str(), &b) == 0)
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    return ExpandFileName(FileName1) == ExpandFileName(FileName2);
}

// ---------------------------------------------------------------------------------------------
// Attributes

namespace {

bool InGroup(gid_t gid) {
    if (getegid() == gid) return true;
    int n = getgroups(0, nullptr);
    if (n <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    n = getgroups(n, groups.data());
    for (int i = 0; i < n; ++i)
        if (groups[static_cast<size_t>(i)] == gid) return true;
    return false;
}

// The write bit of the permission class the current user falls in (root counts as the owner).
mode_t UserWriteBit(const struct stat& st) {
    uid_t uid = geteuid();
    if (uid == 0 || uid == st.st_uid) return S_IWUSR;
    if (InGroup(st.st_gid)) return S_IWGRP;
    return S_IWOTH;
}

bool IsHiddenName(std::string_view name) {
    return name.size() > 1 && name[0] == '.' && name != "..";
}

// The name part of a path, ignoring a trailing "/".
std::string NamePart(std::string_view path) {
    if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return ExtractFileName(path);
}

Integer AttributesOf(std::string_view name, const struct stat& st) {
    Integer attr = 0;
    if (S_ISDIR(st.st_mode)) attr |= faDirectory;
    if (!(st.st_mode & UserWriteBit(st))) attr |= faReadOnly;
    if (IsHiddenName(name)) attr |= faHidden;
    return attr;
}

// stat following links, or the link itself when it leads nowhere.
bool StatEntry(const std::string& path, struct stat& st) {
    return stat(path.c_str(), &st) == 0 || lstat(path.c_str(), &st) == 0;
}

}  // namespace

Integer FileGetAttr(std::string_view FileName) {
    struct stat st{};
    if (FileName.empty() || !StatEntry(Str(FileName), st)) return -1;
    return AttributesOf(NamePart(FileName), st);
}

Integer FileSetAttr(std::string_view FileName, Integer Attr) {
    std::string path = Str(FileName);
    struct stat st{};
    if (path.empty() || stat(path.c_str(), &st) != 0) return ErrnoToOSError(errno);
    if (((Attr & faHidden) != 0) != IsHiddenName(NamePart(FileName))) return ERROR_ACCESS_DENIED;
    const mode_t perms = st.st_mode & 07777;
    const bool readOnly = !(st.st_mode & UserWriteBit(st));
    mode_t wanted = perms;
    if ((Attr & faReadOnly) && !readOnly)
        wanted = perms & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH);
    else if (!(Attr & faReadOnly) && readOnly)
        wanted = perms | UserWriteBit(st);
    if (wanted != perms && chmod(path.c_str(), wanted) != 0) return ErrnoToOSError(errno);
    return ERROR_SUCCESS;
}

bool FileIsReadOnly(std::string_view FileName) {
    Integer attr = FileGetAttr(FileName);
    return attr != -1 && (attr & faReadOnly);
}

Int64 FileSize(std::string_view FileName) {
    struct stat st{};
    if (stat(Str(FileName).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return static_cast<Int64>(st.st_size);
}

// ---------------------------------------------------------------------------------------------
// Files and folders

bool FileExists(std::string_view FileName) {
    struct stat st{};
    return !FileName.empty() && stat(Str(FileName).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(std::string_view Directory) {
    struct stat st{};
    return !Directory.empty() && stat(Str(Directory).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(std::string_view Dir) {
    return !Dir.empty() && mkdir(Str(Dir).c_str(), 0777) == 0;
}

bool RemoveDir(std::string_view Dir) {
    return !Dir.empty() && rmdir(Str(Dir).c_str()) == 0;
}

bool ForceDirectories(std::string_view Dir) {
    if (Dir.empty()) throw EInOutError("Unable to create directory");
    std::string full = ExcludeTrailingPathDelimiter(ExpandFileName(Dir));
    if (DirectoryExists(full)) return true;
    std::string parent = ExtractFileDir(full);
    if (parent == full) return false;
    if (!ForceDirectories(parent)) return false;
    return CreateDir(full) || DirectoryExists(full);
}

bool DeleteFile(std::string_view FileName) {
    std::string path = Str(FileName);
    struct stat st{};
    if (path.empty() || lstat(path.c_str(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (S_ISREG(st.st_mode) && !(st.st_mode & UserWriteBit(st))) {
        errno = EACCES;
        return false;
    }
    return unlink(path.c_str()) == 0;
}

bool RenameFile(std::string_view OldName, std::string_view NewName) {
    std::string from = Str(OldName), to = Str(NewName);
    if (from.empty() || to.empty()) {
        errno = ENOENT;
        return false;
    }
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    // The file system cannot rename without replacing: link and unlink, which refuses an
    // existing target; folders (which cannot be linked) are checked first.
    struct stat st{};
    if (lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    if (lstat(from.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) {
        if (link(from.c_str(), to.c_str()) == 0) return unlink(from.c_str()) == 0;
        if (errno == EEXIST) return false;
    }
    return rename(from.c_str(), to.c_str()) == 0;
}

// ---------------------------------------------------------------------------------------------
// Dates

namespace {

constexpr Int64 kUnixEpochDay = 25569;  // 1970-01-01 as a day number of TDateTime

// Local time of an instant as TDateTime.
TDateTime LocalDateTimeOf(const timespec& ts) {
    time_t secs = ts.tv_sec;
    std::tm t{};
    localtime_r(&secs, &t);
    double local = static_cast<double>(ts.tv_sec) + static_cast<double>(t.tm_gmtoff) + ts.tv_nsec / 1e9;
    return kUnixEpochDay + local / 86400.0;
}

FILETIME FileTimeOf(const timespec& ts) {
    Int64 ticks = (static_cast<Int64>(ts.tv_sec) + 11644473600LL) * 10000000LL + ts.tv_nsec / 100;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(static_cast<UInt64>(ticks) & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<UInt64>(ticks) >> 32);
    return ft;
}

Int64 TicksOf(const FILETIME& ft) {
    return static_cast<Int64>((static_cast<UInt64>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

Integer SetModificationTime(const char* path, int fd, Int64 age) {
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(age);
    times[1].tv_nsec = 0;
    int rc = path ? utimensat(AT_FDCWD, path, times, 0) : futimens(fd, times);
    return rc == 0 ? ERROR_SUCCESS : ErrnoToOSError(errno);
}

}  // namespace

Int64 FileAge(std::string_view FileName) {
    struct stat st{};
    if (FileName.empty() || stat(Str(FileName).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return static_cast<Int64>(st.st_mtim.tv_sec);
}

bool FileAge(std::string_view FileName, TDateTime& FileDateTime) {
    struct stat st{};
    if (FileName.empty() || stat(Str(FileName).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    FileDateTime = LocalDateTimeOf(st.st_mtim);
    return true;
}

Int64 FileGetDate(Integer Handle) {
    struct stat st{};
    if (fstat(Handle, &st) != 0) return -1;
    return static_cast<Int64>(st.st_mtim.tv_sec);
}

Integer FileSetDate(Integer Handle, Int64 Age) {
    return SetModificationTime(nullptr, Handle, Age);
}

Integer FileSetDate(std::string_view FileName, Int64 Age) {
    std::string path = Str(FileName);
    return SetModificationTime(path.c_str(), -1, Age);
}

void FileTimeToLocalFileTime(const FILETIME& FileTime, FILETIME& LocalFileTime) {
    Int64 ticks = TicksOf(FileTime);
    time_t secs = static_cast<time_t>(ticks / 10000000LL - 11644473600LL);
    std::tm t{};
    localtime_r(&secs, &t);
    UInt64 local = static_cast<UInt64>(ticks + static_cast<Int64>(t.tm_gmtoff) * 10000000LL);
    LocalFileTime.dwLowDateTime = static_cast<DWORD>(local & 0xFFFFFFFFu);
    LocalFileTime.dwHighDateTime = static_cast<DWORD>(local >> 32);
}

TDateTime FileTimeToDateTime(const FILETIME& FileTime) {
    return static_cast<double>(TicksOf(FileTime)) / 864000000000.0 - 109205.0;
}

// ---------------------------------------------------------------------------------------------
// Searching

namespace lumora_detail {

struct FindState {
    DIR* Dir = nullptr;
    std::string Folder;  // with a trailing "/", or "" for the current folder
    std::string Mask;
    bool Root = false;
    ~FindState() {
        if (Dir) closedir(Dir);
    }
};

}  // namespace lumora_detail

namespace {

constexpr Integer kExcludable = faHidden | faSysFile | faVolumeID | faDirectory;

void FillSearchRec(TSearchRec& f, const std::string& name, const struct stat& st) {
    f.Name = name;
    f.Attr = AttributesOf(name, st);
    f.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<Int64>(st.st_size);
    f.Time = static_cast<Int64>(st.st_mtim.tv_sec);
    f.TimeStamp = LocalDateTimeOf(st.st_mtim);
    f.FindData.dwFileAttributes = static_cast<DWORD>(f.Attr);
    f.FindData.ftCreationTime = FileTimeOf(st.st_ctim);
    f.FindData.ftLastAccessTime = FileTimeOf(st.st_atim);
    f.FindData.ftLastWriteTime = FileTimeOf(st.st_mtim);
    f.FindData.nFileSizeHigh = static_cast<DWORD>(static_cast<UInt64>(f.Size) >> 32);
    f.FindData.nFileSizeLow = static_cast<DWORD>(static_cast<UInt64>(f.Size) & 0xFFFFFFFFu);
    f.FindData.cFileName = name;
    f.FindData.cAlternateFileName.clear();
}

// Moves to the next entry that matches; false at the end.
bool FindMatching(TSearchRec& f) {
    lumora_detail::FindState& s = *f.FindHandle;
    if (!s.Dir) return false;
    while (dirent* e = readdir(s.Dir)) {
        std::string name = e->d_name;
        if (s.Root && (name == "." || name == "..")) continue;
        if (!SearchMaskMatches(name, s.Mask)) continue;
        struct stat st{};
        if (!StatEntry(s.Folder + name, st)) continue;
        if (AttributesOf(name, st) & f.ExcludeAttr) continue;
        FillSearchRec(f, name, st);
        return true;
    }
    closedir(s.Dir);
    s.Dir = nullptr;
    return false;
}

}  // namespace

Integer FindFirst(std::string_view Path, Integer Attr, TSearchRec& F) {
    F.FindHandle.reset();
    F.ExcludeAttr = ~Attr & kExcludable;
    std::string path = Str(Path);
    std::string folder = ExtractFilePath(path);
    std::string mask = ExtractFileName(path);
    if (mask.empty()) return ERROR_FILE_NOT_FOUND;
    auto state = std::make_shared<lumora_detail::FindState>();
    state->Folder = folder;
    state->Mask = mask;
    F.FindHandle = state;

    struct stat st{};
    if (!HasWildcards(mask) || lstat(path.c_str(), &st) == 0) {
        // A name, not a mask: the one entry, if it exists.
        if (!StatEntry(path, st)) {
            int err = errno;
            F.FindHandle.reset();
            return err == ENOTDIR || !DirectoryExists(folder.empty() ? "." : folder) ? ERROR_PATH_NOT_FOUND
                                                                                     : ERROR_FILE_NOT_FOUND;
        }
        if (AttributesOf(mask, st) & F.ExcludeAttr) {
            F.FindHandle.reset();
            return ERROR_FILE_NOT_FOUND;
        }
        FillSearchRec(F, mask, st);
        return ERROR_SUCCESS;
    }
    state->Dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!state->Dir) {
        F.FindHandle.reset();
        return ERROR_PATH_NOT_FOUND;
    }
    state->Root = ExpandFileName(folder.empty() ? "." : folder) == "/";
    if (!FindMatching(F)) {
        F.FindHandle.reset();
        return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_SUCCESS;
}

Integer FindNext(TSearchRec& F) {
    if (!F.FindHandle || !FindMatching(F)) return ERROR_NO_MORE_FILES;
    return ERROR_SUCCESS;
}

void FindClose(TSearchRec& F) {
    F.FindHandle.reset();
}

// ---------------------------------------------------------------------------------------------
// Handles

Integer FileOpen(std::string_view FileName, Word Mode) {
    int flags = O_CLOEXEC;
    switch (Mode & 3) {
    case fmOpenWrite: flags |= O_WRONLY; break;
    case fmOpenReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
    }
    int fd = open(Str(FileName).c_str(), flags);
    if (fd < 0) return INVALID_HANDLE_VALUE;
    struct stat st{};
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        errno = EISDIR;
        return INVALID_HANDLE_VALUE;
    }
    return fd;
}

Integer FileCreate(std::string_view FileName) {
    int fd = open(Str(FileName).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd < 0 ? INVALID_HANDLE_VALUE : fd;
}

void FileClose(Integer Handle) {
    if (Handle >= 0) close(Handle);
}

Int64 FileRead(Integer Handle, void* Buffer, Int64 Count) {
    if (Count < 0) return -1;
    ssize_t n;
    do {
        n = read(Handle, Buffer, static_cast<size_t>(Count));
    } while (n < 0 && errno == EINTR);
    return n;
}

Int64 FileWrite(Integer Handle, const void* Buffer, Int64 Count) {
    if (Count < 0) return -1;
    auto p = static_cast<const char*>(Buffer);
    Int64 done = 0;
    while (done < Count) {
        ssize_t n = write(Handle, p + done, static_cast<size_t>(Count - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return done > 0 ? done : -1;
        }
        done += n;
    }
    return done;
}

Int64 FileSeek(Integer Handle, Int64 Offset, Integer Origin) {
    int whence = Origin == 1 ? SEEK_CUR : Origin == 2 ? SEEK_END : SEEK_SET;
    off_t r = lseek(Handle, static_cast<off_t>(Offset), whence);
    return r < 0 ? -1 : static_cast<Int64>(r);
}

// ---------------------------------------------------------------------------------------------
// Folders and the command line

std::string GetCurrentDir() {
    std::vector<char> buf(4096);
    for (;;) {
        if (getcwd(buf.data(), buf.size())) return buf.data();
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
}

bool SetCurrentDir(std::string_view Dir) {
    return !Dir.empty() && chdir(Str(Dir).c_str()) == 0;
}

std::string GetTempPath() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp && *tmp && DirectoryExists(tmp) ? tmp : "/tmp";
    return IncludeTrailingPathDelimiter(dir);
}

std::string GetTempFileName(std::string_view Path, std::string_view Prefix) {
    std::string folder = Path.empty() ? GetTempPath() : IncludeTrailingPathDelimiter(Path);
    std::string name = folder + Str(Prefix.substr(0, 3)) + "XXXXXX.tmp";
    int fd = mkstemps(name.data(), 4);
    if (fd < 0) return {};
    close(fd);
    return name;
}

namespace {

struct CommandLine {
    std::mutex Mutex;
    bool Loaded = false;
    std::vector<std::string> Args;
};

CommandLine& TheCommandLine() {
    static CommandLine cl;
    return cl;
}

std::vector<std::string> Arguments() {
    CommandLine& cl = TheCommandLine();
    std::lock_guard<std::mutex> lock(cl.Mutex);
    if (!cl.Loaded) {
        cl.Loaded = true;
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        std::string arg;
        while (std::getline(in, arg, '\0')) cl.Args.push_back(arg);
    }
    return cl.Args;
}

}  // namespace

void SetCommandLine(int argc, const char* const* argv) {
    CommandLine& cl = TheCommandLine();
    std::lock_guard<std::mutex> lock(cl.Mutex);
    cl.Loaded = true;
    cl.Args.clear();
    for (int i = 0; i < argc; ++i) cl.Args.emplace_back(argv[i] ? argv[i] : "");
}

Integer ParamCount() {
    auto args = Arguments();
    return args.empty() ? 0 : static_cast<Integer>(args.size()) - 1;
}

std::string ParamStr(Integer Index) {
    if (Index == 0) return ProgramFileName();
    auto args = Arguments();
    if (Index < 0 || static_cast<size_t>(Index) >= args.size()) return {};
    return args[static_cast<size_t>(Index)];
}

std::string ProgramFileName() {
    std::vector<char> buf(4096);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return {};
    return std::string(buf.data(), static_cast<size_t>(n));
}
