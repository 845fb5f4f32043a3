// The GIF and TIFF LZW coders on arbitrary input. The first bytes choose the image shape; the rest
// is decoded as GIF data (from the code size byte on) and as a TIFF strip read in rows, and is
// encoded by both encoders, whose output must decode back to it.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/stream.h"
#include "fuzz/fuzz_check.h"
#include "imaging/formats/lzw_coders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const Integer width = 1 + data[0] % 64;
    const Integer height = 1 + data[1] % 64;
    const bool interlaced = data[2] & 1;
    const Integer bits = 1 + (data[2] >> 1) % 8;
    const Integer row = 1 + data[3] % 97;
    const uint8_t* body = data + 4;
    const size_t bodySize = size - 4;
    const size_t pixelCount = size_t(width) * size_t(height);

    // GIF data as found in a file.
    {
        TMemoryStream s;
        s.WriteBuffer(body, Int64(bodySize));
        s.SetPosition(0);
        std::vector<Byte> pixels(pixelCount);
        GifLZWDecode(&s, height, width, interlaced, pixels.data());
        FUZZ_CHECK(s.GetPosition() >= 0 && s.GetPosition() <= Int64(bodySize));
    }
    // A TIFF strip of exactly its bytes (the block has one byte more only when it is empty), in
    // rows.
    {
        std::vector<Byte> strip(body, body + bodySize);
        if (strip.empty()) strip.push_back(0);
        void* state = nullptr;
        for (int i = 0; i < 64; ++i)
            if (!TiffLZWDecode(strip.data(), row, state, Integer(bodySize))) break;
        TiffLZWDecode(nullptr, 0, state, 0);
        FUZZ_CHECK(state == nullptr);
    }
    // Round trips through both encoders.
    {
        std::vector<Byte> pixels(pixelCount);
        const Byte mask = Byte((1 << (bits < 2 ? 2 : bits)) - 1);
        for (size_t i = 0; i < pixelCount; ++i) pixels[i] = bodySize ? Byte(body[i % bodySize] & mask) : 0;
        TMemoryStream s;
        GifLZWEncode(&s, height, width, interlaced, pixels.data(), bits);
        s.SetPosition(0);
        std::vector<Byte> back(pixelCount, 0xFF);
        GifLZWDecode(&s, height, width, interlaced, back.data());
        FUZZ_CHECK(s.GetPosition() == s.GetSize());
        FUZZ_CHECK(back == pixels);
    }
    if (bodySize > 0) {
        TMemoryStream s;
        void* state = nullptr;
        for (size_t at = 0; at < bodySize; at += size_t(row))
            TiffLZWEncode(body + at, Integer(std::min<size_t>(size_t(row), bodySize - at)), &s, state);
        TiffLZWEncode(nullptr, 0, &s, state);
        FUZZ_CHECK(state == nullptr);
        std::vector<Byte> strip(static_cast<const Byte*>(s.GetMemory()),
                                static_cast<const Byte*>(s.GetMemory()) + s.GetSize());
        void* dstate = nullptr;
        const Byte* out = TiffLZWDecode(strip.data(), Integer(bodySize), dstate, Integer(strip.size()));
        FUZZ_CHECK(out != nullptr && std::memcmp(out, body, bodySize) == 0);
        TiffLZWDecode(nullptr, 0, dstate, 0);
    }
    return 0;
}
