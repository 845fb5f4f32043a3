#pragma once
// Copying and moving single files with the program's own file calls, and a file's size, date and
// attributes.
//
// A copy never loses data: it reads the source to its end into a temporary file beside the
// destination and renames that over the destination only when it is complete, so a failure
// (a read or write error, a full disk) raises and leaves any old destination as it was, with no
// partial file behind. A move that cannot rename because the destination is on another file
// system copies, compares and flushes the copy, and only then deletes the source.

#include <functional>
#include <string>

#include "framework/date_time.h"
#include "framework/exceptions.h"
#include "framework/types.h"

// A move that could not be done.
LUMORA_DECLARE_EXCEPTION(EFCantMove, EStreamError)

// Copies Source to Dest, replacing an existing Dest file. A Dest that is an existing folder
// receives the source's file name. Dates and attributes are not carried over; a replaced file
// keeps its permissions.
// Raises EFOpenError "Cannot open file <Source>", EFCreateError "Cannot create file <Dest>"
// (also when Dest is the source itself or a read-only file), EReadError or EWriteError naming
// the file and the reason.
void CopyFileTo(const std::string& Source, const std::string& Dest);

// Moves Source to Dest by renaming (a rename never replaces an existing Dest). When the rename
// fails: a Source on another file system than Dest is copied, compared, flushed and then deleted;
// a read-only Source raises EFCantMove "Cannot move file <Source>"; otherwise Source is copied
// with CopyFileTo and left in place (the caller removes it when it needs to). Moving a file onto
// itself raises EFCantMove and changes nothing.
void MoveFileTo(const std::string& Source, const std::string& Dest);

// Copies Source to exactly Target (a folder gets no name appended). With Check the copy is
// flushed and compared with the source before it replaces Target. Raises as CopyFileTo.
void CopyFileExactly(const std::string& Source, const std::string& Target, bool Check);
// Moves the file Source to exactly Target, replacing an existing Target file: one rename on the
// same file system, else a checked copy after which Source is deleted. Raises as MoveFileTo.
void MoveFileReplacing(const std::string& Source, const std::string& Target);

// The size in bytes of the file the expanded Path finds (a mask finds its first match, of any
// attributes; a folder has size 0), -1 when none is found.
Int64 GetFileSizeByName(const std::string& Path);
// The file's last-write time, 0 when it has none.
TDateTime GetFileDateTime(const std::string& Path);
// True when every bit of Attributes (fa*) is set on the file; False when it does not exist.
bool FileHasAttr(const std::string& Path, Integer Attributes);

// Tests: the copies read and write through these (each answers like read(2) and write(2), with
// errno set on failure); an empty function stands for the system call.
struct TFileCopyIO {
    std::function<long(int Fd, void* Buffer, unsigned long Count)> Read;
    std::function<long(int Fd, const void* Buffer, unsigned long Count)> Write;
};
void SetFileCopyIOForTesting(TFileCopyIO IO);
