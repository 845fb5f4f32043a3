#pragma once
// Reading a stream a byte at a time without a call into the stream for every byte: the reader
// fetches the stream in chunks and keeps its own position. Running past the end is never an error
// here; the reads say how much they got. Sync() puts the stream at the reader's position, which is
// needed before anyone else reads the stream; Restart() follows the stream from where it stands.

#include <memory>
#include <vector>

#include "framework/stream.h"
#include "framework/types.h"

class TImgStreamReader {
public:
    explicit TImgStreamReader(TStream* Stream);

    // The next byte, or -1 at the end of the stream.
    Integer ReadByte() {
        if (FNext == FEnd && !Fill()) return -1;
        return FBuffer[FNext++];
    }
    // Up to Count bytes into Dest (may be null: the bytes are skipped); returns how many there were.
    Int64 Read(void* Dest, Int64 Count);
    Int64 Skip(Int64 Count) { return Read(nullptr, Count); }
    // Appends up to Count bytes to Dest; returns how many there were.
    Int64 Append(std::vector<Byte>& Dest, Int64 Count);
    // Skips data sub-blocks (a length byte, then that many bytes) up to and including the zero
    // length that ends them. Returns false when the stream ended first.
    bool SkipSubBlocks();
    // Whether the stream is at its end (nothing more can be read).
    bool AtEnd() { return FNext == FEnd && !Fill(); }
    // The position in the stream of the next byte this reader gives.
    Int64 GetPosition() const { return FBufferStart + FNext; }

    void Sync();
    void Restart();

private:
    bool Fill();

    TStream* FStream;
    std::unique_ptr<Byte[]> FBuffer;  // the chunk, left uncleared: only what Fill read is used
    Int64 FBufferStart = 0;  // stream position of FBuffer[0]
    size_t FNext = 0;
    size_t FEnd = 0;
};
