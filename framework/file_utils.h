#pragma once
// Paths, files and folders: path parts, file and folder operations, searching with attributes,
// file dates and sizes, handles, the current, temporary and program folders, and the command
// line.
//
// Paths are POSIX: "/" separates, a trailing "/" marks a folder, the root "/" is the only drive.
// Names compare exactly (file names are case-sensitive); extensions and masks match without
// regard to case. Attributes map onto POSIX as follows: faReadOnly when the current user may not
// write the file (judged from its permission bits; root counts as the owner), faHidden for names
// starting with a dot, faDirectory for folders; faSysFile, faArchive and faVolumeID are never
// set. Operations answer the way the framework does on Windows: Boolean results, -1 for a missing
// file, and Windows error numbers (ERROR_*) where an error code is returned.

#include <memory>
#include <string>
#include <string_view>

#include "framework/types.h"

constexpr char PathDelim = '/';

// File attributes.
constexpr Integer faReadOnly = 0x01;
constexpr Integer faHidden = 0x02;
constexpr Integer faSysFile = 0x04;
constexpr Integer faVolumeID = 0x08;
constexpr Integer faDirectory = 0x10;
constexpr Integer faArchive = 0x20;
constexpr Integer faAnyFile = 0x3F;

// Open modes of FileOpen and the file streams: one access mode, optionally or-ed with a share
// mode. Share modes are accepted and not enforced.
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

// Windows error numbers returned by the routines below.
constexpr Integer ERROR_SUCCESS = 0;
constexpr Integer ERROR_FILE_NOT_FOUND = 2;
constexpr Integer ERROR_PATH_NOT_FOUND = 3;
constexpr Integer ERROR_ACCESS_DENIED = 5;
constexpr Integer ERROR_INVALID_HANDLE = 6;
constexpr Integer ERROR_NOT_SAME_DEVICE = 17;
constexpr Integer ERROR_NO_MORE_FILES = 18;
constexpr Integer ERROR_GEN_FAILURE = 31;
constexpr Integer ERROR_NOT_SUPPORTED = 50;
constexpr Integer ERROR_FILE_EXISTS = 80;
constexpr Integer ERROR_DISK_FULL = 112;
constexpr Integer ERROR_DIR_NOT_EMPTY = 145;
constexpr Integer ERROR_ALREADY_EXISTS = 183;
// The Windows error number for a POSIX errno value.
Integer ErrnoToOSError(int Errno);

// ---------------------------------------------------------------------------------------------
// Path parts

// The part after the last "/".
std::string ExtractFileName(std::string_view FileName);
// From the last point of the name part, the point included; "" when the name has none
// ("x.tar.gz" gives ".gz", ".bashrc" gives ".bashrc", "a.b/c" gives "").
std::string ExtractFileExt(std::string_view FileName);
// Up to and including the last "/".
std::string ExtractFilePath(std::string_view FileName);
// As ExtractFilePath without the trailing "/", except for the root.
std::string ExtractFileDir(std::string_view FileName);
// "/" for an absolute path, "" otherwise.
std::string ExtractFileDrive(std::string_view FileName);
// FileName with its extension replaced by Extension (which carries its point).
std::string ChangeFileExt(std::string_view FileName, std::string_view Extension);
bool IsPathDelimiter(std::string_view S, Integer Index);
// S with one "/" at its end.
std::string IncludeTrailingPathDelimiter(std::string_view S);
std::string IncludeTrailingBackslash(std::string_view S);
// S without its trailing "/"; the root stays "/".
std::string ExcludeTrailingPathDelimiter(std::string_view S);
std::string ExcludeTrailingBackslash(std::string_view S);
// The absolute form of FileName against the current folder, with "." and ".." resolved and
// repeated separators merged; symbolic links are not followed. A trailing "/" is kept.
std::string ExpandFileName(std::string_view FileName);
// DestName relative to the folder of BaseName (a file name, or a folder with a trailing "/").
std::string ExtractRelativePath(std::string_view BaseName, std::string_view DestName);
// Long and short names are the same.
std::string ExtractShortPathName(std::string_view FileName);
// Whether FileName matches Mask: "*" any run, "?" one character, "[a-c]" and "[!a-c]" sets;
// letters match without regard to case.
bool MatchesMask(std::string_view FileName, std::string_view Mask);
// Whether two names denote the same file: the same device and inode when both exist, the same
// expanded name otherwise.
bool SameFile(std::string_view FileName1, std::string_view FileName2);

// ---------------------------------------------------------------------------------------------
// Files and folders

// An existing file (following links) that is not a folder.
bool FileExists(std::string_view FileName);
bool DirectoryExists(std::string_view Directory);
// Creates Dir and every missing parent; True when Dir exists afterwards. An empty Dir raises
// EInOutError "Unable to create directory".
bool ForceDirectories(std::string_view Dir);
bool CreateDir(std::string_view Dir);
// Removes an empty folder.
bool RemoveDir(std::string_view Dir);
// Removes a file. Folders and read-only files are refused (errno EISDIR, EACCES).
bool DeleteFile(std::string_view FileName);
// Renames or moves a file or folder; never replaces an existing NewName (errno EEXIST).
bool RenameFile(std::string_view OldName, std::string_view NewName);

// Attributes of a file or folder, -1 when it does not exist.
Integer FileGetAttr(std::string_view FileName);
// Sets faReadOnly (clears or grants write permission); the other bits are ignored, except that
// asking for a hidden state other than the name's gives ERROR_ACCESS_DENIED and changes nothing.
// Returns 0 or an error number.
Integer FileSetAttr(std::string_view FileName, Integer Attr);
bool FileIsReadOnly(std::string_view FileName);

// Size of a file in bytes, -1 when it is missing or a folder.
Int64 FileSize(std::string_view FileName);

// ---------------------------------------------------------------------------------------------
// File dates
//
// A file date is a Unix time (seconds since 1970-01-01 UTC); FileDateToDateTime and
// DateTimeToFileDate (date_time.h) convert it to and from local TDateTime.

// Last-write time of a file; -1 when it is missing or a folder.
Int64 FileAge(std::string_view FileName);
// Last-write time in local time, to the nanosecond available.
bool FileAge(std::string_view FileName, TDateTime& FileDateTime);
// The file date of an open handle, -1 on failure.
Int64 FileGetDate(Integer Handle);
// Sets the last-write time; 0 or an error number.
Integer FileSetDate(Integer Handle, Int64 Age);
Integer FileSetDate(std::string_view FileName, Int64 Age);

// A file time: 100-nanosecond intervals since 1601-01-01, in UTC unless converted.
struct FILETIME {
    DWORD dwLowDateTime = 0;
    DWORD dwHighDateTime = 0;
};
// The same instant in local time.
void FileTimeToLocalFileTime(const FILETIME& FileTime, FILETIME& LocalFileTime);
// The calendar value of a file time (no time-zone conversion).
TDateTime FileTimeToDateTime(const FILETIME& FileTime);

// ---------------------------------------------------------------------------------------------
// Searching

// The directory entry found, as the operating system reports it.
struct TWin32FindData {
    DWORD dwFileAttributes = 0;
    FILETIME ftCreationTime;  // the status-change time stands in for it
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh = 0;
    DWORD nFileSizeLow = 0;
    std::string cFileName;
    std::string cAlternateFileName;
};

namespace lumora_detail {
struct FindState;
}

struct TSearchRec {
    Int64 Time = 0;             // last write as a file date
    Int64 Size = 0;
    Integer Attr = 0;
    std::string Name;
    Integer ExcludeAttr = 0;
    TDateTime TimeStamp = 0;    // last write in local time
    TWin32FindData FindData;
    std::shared_ptr<lumora_detail::FindState> FindHandle;
};

// Path is a folder and a name or mask ("/photos/*.jpg"). Masks use "*" and "?" without regard to
// case, "*.*" matches every name and "name.*" also matches "name". A Path that exists as written
// is taken literally, so names containing "*" or "?" can be found. Entries with faHidden,
// faSysFile or faDirectory are returned only when Attr asks for them; read-only ones always.
// "." and ".." are returned as folders, except in the root. Entries come in the order of the
// file system. Returns 0, ERROR_FILE_NOT_FOUND (no match) or ERROR_PATH_NOT_FOUND (no folder).
Integer FindFirst(std::string_view Path, Integer Attr, TSearchRec& F);
// 0, or ERROR_NO_MORE_FILES.
Integer FindNext(TSearchRec& F);
void FindClose(TSearchRec& F);

// ---------------------------------------------------------------------------------------------
// Handles (POSIX file descriptors), -1 on failure with errno set

constexpr Integer INVALID_HANDLE_VALUE = -1;
// Opens an existing file (not a folder) in the access mode of Mode.
Integer FileOpen(std::string_view FileName, Word Mode);
// Creates or truncates a file for reading and writing.
Integer FileCreate(std::string_view FileName);
void FileClose(Integer Handle);
Int64 FileRead(Integer Handle, void* Buffer, Int64 Count);
Int64 FileWrite(Integer Handle, const void* Buffer, Int64 Count);
// Origin 0 from the beginning, 1 from the current position, 2 from the end.
Int64 FileSeek(Integer Handle, Int64 Offset, Integer Origin);

// ---------------------------------------------------------------------------------------------
// Current, temporary and program folders; the command line

std::string GetCurrentDir();
bool SetCurrentDir(std::string_view Dir);
// The temporary folder ($TMPDIR or /tmp) with a trailing "/".
std::string GetTempPath();
// Creates a new empty file with a unique name in Path (the temporary folder when empty), named
// from the first three characters of Prefix, and returns its full name; "" on failure.
std::string GetTempFileName(std::string_view Path, std::string_view Prefix);

// The running program's file (its folder is ProgramFolder in dynlib.h).
std::string ProgramFileName();
// The command line: main() hands it over; without that it is read from the process.
void SetCommandLine(int argc, const char* const* argv);
Integer ParamCount();
// 0 gives the program's full file name, 1..ParamCount the arguments, others "".
std::string ParamStr(Integer Index);
