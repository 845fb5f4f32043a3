#include "platform/file_copy.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

// A new file beside Target that becomes Target when it is committed; until then it is removed
// when it goes, so a failure leaves no partial file.
class TPendingFile {
public:
    // Raises EFCreateError naming DisplayName when the file cannot be made.
    TPendingFile(const std::string& Target, const std::string& DisplayName) : FTarget(Target) {
        FName = ExtractFilePath(Target) + "." + ExtractFileName(Target) + ".XXXXXX";
        int fd = mkostemp(FName.data(), O_CLOEXEC);
        if (fd < 0) throw EFCreateError(FileMessage("Cannot create file", DisplayName, errno));
        FFd = fd;
        FCreated = true;
        // A replaced file keeps its permissions, a new one gets the usual ones.
        struct stat st{};
        mode_t mode;
        if (stat(Target.c_str(), &st) == 0) {
            mode = st.st_mode & 07777;
        } else {
            mode_t mask = umask(0);
            umask(mask);
            mode = 0666 & ~mask;
        }
        fchmod(FFd, mode);
    }
    ~TPendingFile() {
        if (FFd >= 0) close(FFd);
        if (FCreated) unlink(FName.c_str());
    }
    TPendingFile(const TPendingFile&) = delete;
    TPendingFile& operator=(const TPendingFile&) = delete;

    int Fd() const { return FFd; }
    const std::string& Name() const { return FName; }

    // Flushes (when asked), closes and renames the file over the target. Raises EWriteError or
    // EFCreateError naming DisplayName.
    void Commit(bool Flush, const std::string& DisplayName) {
        if (Flush && fsync(FFd) != 0) throw EWriteError(FileMessage("Cannot write file", DisplayName, errno));
        int fd = FFd;
        FFd = -1;
        if (close(fd) != 0) throw EWriteError(FileMessage("Cannot write file", DisplayName, errno));
        if (rename(FName.c_str(), FTarget.c_str()) != 0)
            throw EFCreateError(FileMessage("Cannot create file", DisplayName, errno));
        FCreated = false;
        if (Flush) {
            // The rename itself reaches the disk with the folder.
            int dir = open(ExtractFileDir(FTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dir >= 0) {
                fsync(dir);
                close(dir);
            }
        }
    }

private:
    std::string FTarget;
    std::string FName;
    int FFd = -1;
    bool FCreated = false;
};

// Where a copy of Source to Dest goes: the expanded Dest, inside it when it is a folder.
std::string CopyTarget(const std::string& Source, const std::string& Dest) {
    std::string target = ExpandFileName(Dest);
    if (DirectoryExists(target)) target = IncludeTrailingPathDelimiter(target) + ExtractFileName(Source);
    return target;
}

// The file a write to Target really changes: a link's target when it has one.
std::string ResolvedTarget(const std::string& Target) {
    struct stat st{};
    if (lstat(Target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(Target.c_str(), nullptr)) {
            std::string resolved = real;
            free(real);
            return resolved;
        }
    }
    return Target;
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
    if (SameFile(Source, Target))
        throw EFCreateError(Format("Cannot create file %s. It is the file being copied", {DisplayDest}));
    TFd in(FileOpen(Source, fmOpenRead | fmShareDenyWrite));
    if (in.Get() < 0) throw EFOpenError(FileMessage("Cannot open file", Source, errno));
    std::string target = ResolvedTarget(Target);
    if (FileExists(target) && FileIsReadOnly(target))
        throw EFCreateError(FileMessage("Cannot create file", DisplayDest, EACCES));
    bool replacing = FileExists(target);
    TPendingFile out(target, DisplayDest);
    posix_fadvise(in.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> buffer(CopyBufferSize);
    for (;;) {
        size_t n = ReadChunk(in.Get(), buffer.data(), buffer.size(), Source);
        if (n == 0) break;
        WriteAll(out.Fd(), buffer.data(), n, DisplayDest);
    }
    if (Verify) {
        if (fsync(out.Fd()) != 0) throw EWriteError(FileMessage("Cannot write file", DisplayDest, errno));
        TFd check(open(out.Name().c_str(), O_RDONLY | O_CLOEXEC));
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

void CopyFileChecked(const std::string& Source, const std::string& Target) {
    std::string target = ExpandFileName(Target);
    CopyThroughPendingFile(Source, target, target, true);
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
