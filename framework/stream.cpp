#include "framework/stream.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/memory_limits.h"
#include "framework/sysutils.h"

// ---------------------------------------------------------------------------------------------
// TStream

void TStream::ReadBuffer(void* Buffer, Int64 Count) {
    auto p = static_cast<Byte*>(Buffer);
    Int64 done = 0;
    while (done < Count) {
        Int64 n = Read(p + done, Count - done);
        if (n <= 0) throw EReadError("Stream read error");
        done += n;
    }
}

void TStream::WriteBuffer(const void* Buffer, Int64 Count) {
    auto p = static_cast<const Byte*>(Buffer);
    Int64 done = 0;
    while (done < Count) {
        Int64 n = Write(p + done, Count - done);
        if (n <= 0) throw EWriteError("Stream write error");
        done += n;
    }
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count) {
    if (Count <= 0) {
        Source->SetPosition(0);
        Count = Source->GetSize();
    }
    constexpr Int64 kBufferSize = 0xF000;
    std::vector<Byte> buffer(static_cast<size_t>(std::min(Count, kBufferSize)));
    for (Int64 left = Count; left > 0;) {
        Int64 n = std::min(left, kBufferSize);
        Source->ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return Count;
}

Int64 TStream::GetSize() {
    Int64 pos = Seek(0, soCurrent);
    Int64 size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

// ---------------------------------------------------------------------------------------------
// THandleStream and TFileStream

Int64 THandleStream::Read(void* Buffer, Int64 Count) {
    Int64 n = FileRead(FHandle, Buffer, Count);
    return n < 0 ? 0 : n;
}

Int64 THandleStream::Write(const void* Buffer, Int64 Count) {
    Int64 n = FileWrite(FHandle, Buffer, Count);
    return n < 0 ? 0 : n;
}

Int64 THandleStream::Seek(Int64 Offset, TSeekOrigin Origin) {
    return FileSeek(FHandle, Offset, static_cast<Integer>(Origin));
}

Int64 THandleStream::GetSize() {
    struct stat st{};
    if (fstat(FHandle, &st) == 0 && S_ISREG(st.st_mode)) return static_cast<Int64>(st.st_size);
    return TStream::GetSize();
}

void THandleStream::SetSize(Int64 NewSize) {
    Seek(NewSize, soBeginning);
    if (ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0) {
        int err = errno;
        throw EOSError(Format("System Error.  Code: %d.\n%s", {ErrnoToOSError(err), std::strerror(err)}));
    }
}

TFileStream::TFileStream(const std::string& AFileName, Word Mode) : THandleStream(INVALID_HANDLE_VALUE),
                                                                    FFileName(AFileName) {
    if ((Mode & fmCreate) == fmCreate) {
        FHandle = FileCreate(AFileName);
        if (FHandle == INVALID_HANDLE_VALUE) {
            const char* reason = std::strerror(errno);
            throw EFCreateError(Format("Cannot create file \"%s\". %s", {AFileName, reason}));
        }
    } else {
        FHandle = FileOpen(AFileName, Mode);
        if (FHandle == INVALID_HANDLE_VALUE) {
            const char* reason = std::strerror(errno);
            throw EFOpenError(Format("Cannot open file \"%s\". %s", {AFileName, reason}));
        }
    }
}

TFileStream::~TFileStream() {
    FileClose(FHandle);
}

// ---------------------------------------------------------------------------------------------
// Memory streams

void TCustomMemoryStream::SetPointer(void* Ptr, Int64 Size) {
    FMemory = Ptr;
    FSize = Size;
}

Int64 TCustomMemoryStream::Read(void* Buffer, Int64 Count) {
    if (FPosition < 0 || Count <= 0 || FPosition >= FSize) return 0;
    Int64 n = std::min(Count, FSize - FPosition);
    std::memcpy(Buffer, static_cast<const Byte*>(FMemory) + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

Int64 TCustomMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
    switch (Origin) {
    case soBeginning: FPosition = Offset; break;
    case soCurrent: FPosition += Offset; break;
    case soEnd: FPosition = FSize + Offset; break;
    }
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
    if (FSize > 0) Stream->WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const std::string& FileName) {
    TFileStream file(FileName, fmCreate);
    SaveToStream(&file);
}

namespace {
const char* const SMemoryStreamError = "Out of memory while expanding memory stream";
}

void TMemoryStream::Resize(Int64 NewSize) {
    if (!MemoryCanHold(UInt64(NewSize))) throw EOutOfMemory(SMemoryStreamError);
    AllocateOrRaise([&] { FBuffer.resize(static_cast<size_t>(NewSize)); }, SMemoryStreamError);
    SetPointer(FBuffer.empty() ? nullptr : FBuffer.data(), NewSize);
}

Int64 TMemoryStream::Write(const void* Buffer, Int64 Count) {
    if (FPosition < 0 || Count <= 0) return 0;
    if (Count > INT64_MAX - FPosition) throw EOutOfMemory(SMemoryStreamError);
    Int64 end = FPosition + Count;
    if (end > GetSize()) Resize(end);
    std::memcpy(FBuffer.data() + FPosition, Buffer, static_cast<size_t>(Count));
    FPosition = end;
    return Count;
}

void TMemoryStream::SetSize(Int64 NewSize) {
    if (NewSize < 0) NewSize = 0;
    Resize(NewSize);
    if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::Clear() {
    FBuffer.clear();
    FBuffer.shrink_to_fit();
    SetPointer(nullptr, 0);
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
    Stream->SetPosition(0);
    Int64 count = Stream->GetSize();
    SetSize(count);
    if (count > 0) Stream->ReadBuffer(FBuffer.data(), count);
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}
