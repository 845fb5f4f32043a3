#pragma once
// Streams: the abstract TStream with its buffer and copy helpers, streams over file handles and
// named files, and memory streams over owned or foreign memory.

#include <string>
#include <string_view>
#include <vector>

#include "framework/file_utils.h"
#include "framework/object.h"

enum TSeekOrigin { soBeginning, soCurrent, soEnd };
constexpr TSeekOrigin soFromBeginning = soBeginning;
constexpr TSeekOrigin soFromCurrent = soCurrent;
constexpr TSeekOrigin soFromEnd = soEnd;

// Creates (or truncates) the file; may be or-ed with a share mode (fmOpenRead ... in
// file_utils.h are the other modes).
constexpr Word fmCreate = 0xFF00;

class TStream : public TObject {
    LUMORA_CLASS(TStream, TObject)
public:
    // Reads up to Count bytes into Buffer and returns how many were read, which may be fewer
    // (0 at the end of the data).
    virtual Int64 Read(void* Buffer, Int64 Count) = 0;
    // Writes up to Count bytes and returns how many were written.
    virtual Int64 Write(const void* Buffer, Int64 Count) = 0;
    // Moves to Offset from the beginning, the current position or the end (Size + Offset) and
    // returns the new position.
    virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;

    // Read exactly Count bytes, or raise EReadError "Stream read error" when the data ends first.
    void ReadBuffer(void* Buffer, Int64 Count);
    // Write exactly Count bytes, or raise EWriteError "Stream write error".
    void WriteBuffer(const void* Buffer, Int64 Count);
    // Copies Count bytes from the current position of Source; a Count of 0 (or less) copies the
    // whole of Source from its start. Returns the number of bytes copied.
    Int64 CopyFrom(TStream* Source, Int64 Count);

    Int64 GetPosition() { return Seek(0, soCurrent); }
    void SetPosition(Int64 Pos) { Seek(Pos, soBeginning); }
    virtual Int64 GetSize();
    // Streams that can change their size override this; the base ignores it.
    virtual void SetSize(Int64 NewSize) {}
};

// A stream over an open file handle, which it does not close.
class THandleStream : public TStream {
    LUMORA_CLASS(THandleStream, TStream)
public:
    explicit THandleStream(Integer AHandle) : FHandle(AHandle) {}

    Int64 Read(void* Buffer, Int64 Count) override;
    Int64 Write(const void* Buffer, Int64 Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 GetSize() override;
    // Extends or cuts the file; raises EOSError when the system refuses.
    void SetSize(Int64 NewSize) override;
    Integer GetHandle() const { return FHandle; }

protected:
    Integer FHandle;
};

// A stream over a named file. fmCreate creates or truncates it; otherwise it must exist and is
// opened in the access mode of Mode (fmOpenRead, fmOpenWrite, fmOpenReadWrite, with any share
// mode). Failures raise EFCreateError "Cannot create file "%s". %s" or EFOpenError
// "Cannot open file "%s". %s" with the name and the system's reason; folders cannot be opened.
class TFileStream : public THandleStream {
    LUMORA_CLASS(TFileStream, THandleStream)
public:
    TFileStream(const std::string& AFileName, Word Mode);
    ~TFileStream() override;
    const std::string& GetFileName() const { return FFileName; }

private:
    std::string FFileName;
};

// A stream over a block of memory it does not manage. Descendants set the block with SetPointer
// and decide about writing.
class TCustomMemoryStream : public TStream {
    LUMORA_CLASS(TCustomMemoryStream, TStream)
public:
    Int64 Read(void* Buffer, Int64 Count) override;
    // Any position may be set, also past the end; reading there gives nothing.
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 GetSize() override { return FSize; }
    void* GetMemory() const { return FMemory; }
    // Writes the whole block, whatever the position.
    void SaveToStream(TStream* Stream);
    void SaveToFile(const std::string& FileName);

protected:
    void SetPointer(void* Ptr, Int64 Size);
    Int64 FPosition = 0;

private:
    void* FMemory = nullptr;
    Int64 FSize = 0;
};

// A stream over memory it owns and grows; new bytes are zero.
class TMemoryStream : public TCustomMemoryStream {
    LUMORA_CLASS(TMemoryStream, TCustomMemoryStream)
public:
    Int64 Write(const void* Buffer, Int64 Count) override;
    // Keeps the contents up to NewSize; a position past the new end moves to the end. Raises
    // EOutOfMemory "Out of memory while expanding memory stream" when memory runs out, and so
    // does Write when the stream would grow past the largest size there is.
    void SetSize(Int64 NewSize) override;
    // Empties the stream and frees its memory.
    void Clear();
    // Replaces the contents by the whole of Stream (read from its start).
    void LoadFromStream(TStream* Stream);
    void LoadFromFile(const std::string& FileName);

private:
    void Resize(Int64 NewSize);
    std::vector<Byte> FBuffer;
};
