#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/file_utils.h"
#include "framework/sysutils.h"

namespace {

TFileCopyIO& CopyIO() {
    static TFileCopyIO io;
    return io;
}

long ReadSome(int Fd, void* Buffer, size_t Count) {
    const TFileCopyIO& io = CopyIO();
    return io.Read ? io.Read(Fd, Buffer, Count) : ::read(Fd, Buffer, Count);
}

long WriteSome(int Fd, const void* Buffer, size_t Count) {
    const TFileCopyIO& io = CopyIO();
    return io.Write ? io.Write(Fd, Buffer, Count) : ::write(Fd, Buffer, Count);
}

// "<what> <file>. <reason>"
std::string FileMessage(const char* What, const std::string& FileName, int Error) {
    return Format("%s %s. %s", {What, FileName, std::strerror(Error)});
}

// Reads up to Count bytes, retrying interrupted reads; raises EReadError on an error.
size_t ReadChunk(int Fd, char* Buffer, size_t Count, const std::string& FileName) {
    for (;;) {
        long n = ReadSome(Fd, Buffer, Count);
        if (n >= 0) return static_cast<size_t>(n);
        if (errno != EINTR) throw EReadError(FileMessage("Cannot read file", FileName, errno));
    }
}

// Writes all of Count bytes; raises EWriteError on an error (a write that takes nothing is a
// full disk).
void WriteAll(int Fd, const char* Buffer, size_t Count, const std::string& FileName) {
    while (Count > 0) {
        long n = WriteSome(Fd, Buffer, Count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EWriteError(FileMessage("Cannot write file", FileName, n < 0 ? errno : ENOSPC));
        Buffer += n;
        Count -= static_cast<size_t>(n);
    }
}

constexpr size_t CopyBufferSize = 1 << 20;

// An open file descriptor, closed when it goes.
class TFd {
public:
    explicit TFd(int Fd) : FFd(Fd) {}
    ~TFd() {
        if (FFd >= 0) close(FFd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return FFd; }
    // Closes now; answers close's errno (0 on success).
    int Close() {
        int result = close(FFd) == 0 ? 0 : errno;
        FFd = -1;
        return result;
    }

private:
    int FFd;
};

// A new file beside Target that becomes Target when it is committed. Until then it has no name
// (or, where the file system cannot make nameless files, a hidden temporary one removed when it
// goes), so a failure or a crash leaves no partial file.
class TPendingFile {
public:
    // Mode: the permissions of the file replaced, or -1 for a new file's usual ones. Raises
    // EFCreateError naming DisplayName when the file cannot be made.
    TPendingFile(const std::string& Target, int Mode, const std::string& DisplayName)
        : FTarget(Target), FFolder(ExtractFileDir(Target)) {
        mode_t mode = Mode >= 0 ? mode_t(Mode) : 0666;
        FFd = open(FFolder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (FFd >= 0) {
            if (Mode >= 0) fchmod(FFd, mode);
            return;
        }
        FName = TempName();
        FFd = mkostemp(FName.data(), O_CLOEXEC);
        if (FFd < 0) throw EFCreateError(FileMessage("Cannot create file", DisplayName, errno));
        FNamed = true;
        if (Mode < 0) {
            mode_t mask = umask(0);
            umask(mask);
            mode &= ~mask;
        }
        fchmod(FFd, mode);
    }
    ~TPendingFile() {
        if (FFd >= 0) close(FFd);
        if (FNamed) unlink(FName.c_str());
    }
    TPendingFile(const TPendingFile&) = delete;
    TPendingFile& operator=(const TPendingFile&) = delete;

    int Fd() const { return FFd; }

    // Flushes (when asked), names the file Target (replacing a file there) and closes it.
    // Raises EWriteError or EFCreateError naming DisplayName.
    void Commit(bool Flush, const std::string& DisplayName) {
        if (Flush && fsync(FFd) != 0) throw EWriteError(FileMessage("Cannot write file", DisplayName, errno));
        if (!FNamed) {
            std::string self = "/proc/self/fd/" + std::to_string(FFd);
            // A new name appears with the whole file at once; a taken one is replaced through a
            // temporary name.
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, FTarget.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                Finish(Flush, DisplayName);
                return;
            }
            if (errno != EEXIST) throw EFCreateError(FileMessage("Cannot create file", DisplayName, errno));
            for (int tries = 0; !FNamed; ++tries) {
                std::string name = TempName();
                // mkostemp's pattern filled in, without making the file.
                int probe = mkostemp(name.data(), O_CLOEXEC);
                if (probe < 0) throw EFCreateError(FileMessage("Cannot create file", DisplayName, errno));
                close(probe);
                unlink(name.c_str());
                if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                    FName = name;
                    FNamed = true;
                } else if (errno != EEXIST || tries > 100) {
                    throw EFCreateError(FileMessage("Cannot create file", DisplayName, errno));
                }
            }
        }
        if (rename(FName.c_str(), FTarget.c_str()) != 0)
            throw EFCreateError(FileMessage("Cannot create file", DisplayName, errno));
        FNamed = false;
        Finish(Flush, DisplayName);
    }

private:
    std::string TempName() const {
        return IncludeTrailingPathDelimiter(FFolder) + "." + ExtractFileName(FTarget) + ".XXXXXX";
    }
    void Finish(bool Flush, const std::string& DisplayName) {
        int fd = FFd;
        FFd = -1;
        if (close(fd) != 0) throw EWriteError(FileMessage("Cannot write file", DisplayName, errno));
        if (Flush) {
            // The new name reaches the disk with the folder.
            int dir = open(FFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dir >= 0) {
                fsync(dir);
                close(dir);
            }
        }
    }

    std::string FTarget;
    std::string FFolder;
    std::string FName;
    int FFd = -1;
    bool FNamed = false;
};

// Where a copy of Source to Dest goes: the expanded Dest, inside it when it is a folder.
std::string CopyTarget(const std::string& Source, const std::string& Dest) {
    std::string target = ExpandFileName(Dest);
    if (DirectoryExists(target)) target = IncludeTrailingPathDelimiter(target) + ExtractFileName(Source);
    return target;
}

// The file a write to Target really changes (a link's target when it has one) and its status;
// Exists is false when there is none.
std::string ResolvedTarget(const std::string& Target, struct stat& St, bool& Exists) {
    Exists = lstat(Target.c_str(), &St) == 0;
    if (!Exists || !S_ISLNK(St.st_mode)) return Target;
    char* real = realpath(Target.c_str(), nullptr);
    if (!real) {
        Exists = false;  // a dangling link is replaced by a new file
        return Target;
    }
    std::string resolved = real;
    free(real);
    Exists = stat(resolved.c_str(), &St) == 0;
    return resolved;
}

// Whether two open files hold the same bytes from their current positions on.
bool SameContent(int A, int B, const std::string& NameA, const std::string& NameB) {
    std::vector<char> a(CopyBufferSize), b(CopyBufferSize);
    for (;;) {
        size_t n = ReadChunk(A, a.data(), a.size(), NameA);
        size_t filled = 0;
        while (filled < n) {
            size_t m = ReadChunk(B, b.data() + filled, n - filled, NameB);
            if (m == 0) return false;
            filled += m;
        }
        if (n == 0) return ReadChunk(B, b.data(), 1, NameB) == 0;
        if (std::memcmp(a.data(), b.data(), n) != 0) return false;
    }
}

// Copies Source to Target through a pending file. With Verify the copy is flushed and compared
// with the source before it replaces Target. Raises on any failure; Target is then unchanged.
void CopyThroughPendingFile(const std::string& Source, const std::string& Target, const std::string& DisplayDest,
                            bool Verify) {
    TFd in(FileOpen(Source, fmOpenRead | fmShareDenyWrite));
    if (in.Get() < 0) throw EFOpenError(FileMessage("Cannot open file", Source, errno));
    struct stat src {
    }, old{};
    fstat(in.Get(), &src);
    bool replacing = false;
    std::string target = ResolvedTarget(Target, old, replacing);
    if (replacing && old.st_dev == src.st_dev && old.st_ino == src.st_ino)
        throw EFCreateError(Format("Cannot create file %s. It is the file being copied", {DisplayDest}));
    if (replacing && S_ISDIR(old.st_mode)) throw EFCreateError(FileMessage("Cannot create file", DisplayDest, EISDIR));
    if (replacing && FileIsReadOnly(target))
        throw EFCreateError(FileMessage("Cannot create file", DisplayDest, EACCES));
    TPendingFile out(target, replacing ? int(old.st_mode & 07777) : -1, DisplayDest);
    posix_fadvise(in.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    // A small file needs no large buffer (its size is only a hint: the loop reads to the end).
    size_t bufferSize = std::clamp(size_t(std::max<off_t>(src.st_size, 0)) + 1, size_t(4096), CopyBufferSize);
    std::unique_ptr<char[]> buffer(new char[bufferSize]);
    for (;;) {
        size_t n = ReadChunk(in.Get(), buffer.get(), bufferSize, Source);
        if (n == 0) break;
        WriteAll(out.Fd(), buffer.get(), n, DisplayDest);
    }
    if (Verify) {
        if (fsync(out.Fd()) != 0) throw EWriteError(FileMessage("Cannot write file", DisplayDest, errno));
        // Read back through a descriptor of its own: the pending file is open for writing only.
        TFd check(open(("/proc/self/fd/" + std::to_string(out.Fd())).c_str(), O_RDONLY | O_CLOEXEC));
        if (check.Get() < 0 || lseek(in.Get(), 0, SEEK_SET) != 0 ||
            !SameContent(in.Get(), check.Get(), Source, DisplayDest))
            throw EWriteError(FileMessage("Cannot write file", DisplayDest, EIO));
    }
    // A file that replaces an old one is on the disk before the old one goes.
    out.Commit(Verify || replacing, DisplayDest);
}

}  // namespace

void CopyFileTo(const std::string& Source, const std::string& Dest) {
    std::string target = CopyTarget(Source, Dest);
    CopyThroughPendingFile(Source, target, target, false);
}

void MoveFileTo(const std::string& Source, const std::string& Dest) {
    std::string target = ExpandFileName(Dest);
    if (SameFile(Source, target)) throw EFCantMove(Format("Cannot move file %s", {Source}));
    if (RenameFile(Source, target)) return;
    if (errno == EXDEV) {
        MoveFileReplacing(Source, CopyTarget(Source, target));
        return;
    }
    if (FileIsReadOnly(Source)) throw EFCantMove(Format("Cannot move file %s", {Source}));
    CopyFileTo(Source, target);
}

void CopyFileExactly(const std::string& Source, const std::string& Target, bool Check) {
    std::string target = ExpandFileName(Target);
    CopyThroughPendingFile(Source, target, target, Check);
}

void MoveFileReplacing(const std::string& Source, const std::string& Target) {
    std::string target = ExpandFileName(Target);
    if (SameFile(Source, target)) throw EFCantMove(Format("Cannot move file %s", {Source}));
    if (rename(Source.c_str(), target.c_str()) == 0) return;
    if (errno != EXDEV) throw EFCantMove(FileMessage("Cannot move file", Source, errno));
    CopyThroughPendingFile(Source, target, target, true);
    if (unlink(Source.c_str()) != 0) throw EFCantMove(FileMessage("Cannot move file", Source, errno));
}

Int64 GetFileSizeByName(const std::string& Path) {
    TSearchRec rec;
    if (FindFirst(ExpandFileName(Path), faAnyFile, rec) != 0) return -1;
    Int64 size = (rec.Attr & faDirectory) ? 0 : rec.Size;
    FindClose(rec);
    return size;
}

TDateTime GetFileDateTime(const std::string& Path) {
    Int64 age = FileAge(Path);
    return age == -1 ? 0 : FileDateToDateTime(age);
}

bool FileHasAttr(const std::string& Path, Integer Attributes) {
    Integer attr = FileGetAttr(Path);
    return attr != -1 && (attr & Attributes) == Attributes;
}

void SetFileCopyIOForTesting(TFileCopyIO IO) {
    CopyIO() = std::move(IO);
}
