#pragma once
// Helpers for the GIF tests: a builder for GIF files block by block (with the library's own LZW
// encoder for the image data) and small readers of what the codec wrote.

#include <string>
#include <vector>

#include "framework/stream.h"
#include "imaging/formats/gif_codec.h"
#include "imaging/formats/lzw_coders.h"
#include "imaging/tests/image_fixture.h"

namespace giftest {

// Installs the program's LZW coders into the process-wide hooks for its lifetime, then puts back
// what the hooks held.
class TInstalledCoders {
public:
    TInstalledCoders()
        : FGifDecode(DefGIFLZWDecompress),
          FGifEncode(DefGIFLZWCompress),
          FTiffDecode(DefTIFFLZWDecompress),
          FTiffEncode(DefTIFFLZWCompress) {
        InstallLZWCoders();
    }
    ~TInstalledCoders() {
        DefGIFLZWDecompress = FGifDecode;
        DefGIFLZWCompress = FGifEncode;
        DefTIFFLZWDecompress = FTiffDecode;
        DefTIFFLZWCompress = FTiffEncode;
    }
    TInstalledCoders(const TInstalledCoders&) = delete;
    TInstalledCoders& operator=(const TInstalledCoders&) = delete;

private:
    TGIFLZWDecompress FGifDecode;
    TGIFLZWCompress FGifEncode;
    TTIFFLZWDecompress FTiffDecode;
    TTIFFLZWCompress FTiffEncode;
};

struct TRGB {
    Byte r, g, b;
};

class TGifBuilder {
public:
    // GlobalBits 0: no global colour table (the flags' size bits are then SizeBits - 1).
    TGifBuilder(const char* Version, int Width, int Height, int GlobalBits,
                const std::vector<TRGB>& Global = {}, int Background = 0, int SizeBits = 1) {
        Put(Version, 6);
        Le16(Width);
        Le16(Height);
        const int bits = GlobalBits ? GlobalBits : SizeBits;
        Bytes.push_back(Byte((GlobalBits ? 0x80 : 0) | 0x70 | (bits - 1)));
        Bytes.push_back(Byte(Background));
        Bytes.push_back(0);
        if (GlobalBits) Table(GlobalBits, Global);
    }
    TGifBuilder& Control(int Packed, int Delay, int Transparent) {
        Bytes.insert(Bytes.end(), {0x21, 0xF9, 4, Byte(Packed)});
        Le16(Delay);
        Bytes.insert(Bytes.end(), {Byte(Transparent), 0});
        return *this;
    }
    TGifBuilder& Comment(const std::string& Text) {
        Bytes.insert(Bytes.end(), {0x21, 0xFE, Byte(Text.size())});
        Put(Text.data(), Text.size());
        Bytes.push_back(0);
        return *this;
    }
    // An image of colour indexes; LocalBits 0: no local table.
    TGifBuilder& Image(int Left, int Top, int Width, int Height, const std::vector<Byte>& Pixels,
                       int CodeBits, int LocalBits = 0, const std::vector<TRGB>& Local = {},
                       bool Interlaced = false) {
        Bytes.push_back(0x2C);
        Le16(Left);
        Le16(Top);
        Le16(Width);
        Le16(Height);
        Bytes.push_back(Byte((LocalBits ? 0x80 | (LocalBits - 1) : 0) | (Interlaced ? 0x40 : 0)));
        if (LocalBits) Table(LocalBits, Local);
        TMemoryStream s;
        GifLZWEncode(&s, Height, Width, Interlaced, Pixels.data(), CodeBits);
        const auto* p = static_cast<const Byte*>(s.GetMemory());
        Bytes.insert(Bytes.end(), p, p + s.GetSize());
        return *this;
    }
    TGifBuilder& Trailer() {
        Bytes.push_back(0x3B);
        return *this;
    }
    std::string Text() const { return std::string(Bytes.begin(), Bytes.end()); }

    std::vector<Byte> Bytes;

private:
    void Put(const char* p, size_t n) { Bytes.insert(Bytes.end(), p, p + n); }
    void Le16(int v) { Bytes.insert(Bytes.end(), {Byte(v), Byte(v >> 8)}); }
    void Table(int Bits, const std::vector<TRGB>& Colours) {
        for (int i = 0; i < (1 << Bits); ++i) {
            const TRGB c = size_t(i) < Colours.size() ? Colours[size_t(i)] : TRGB{0, 0, 0};
            Bytes.insert(Bytes.end(), {c.r, c.g, c.b});
        }
    }
};

// The blocks of a GIF as a short text: "G(packed,delay,transparent)" for a graphic control
// extension, "E" for another extension, "I(w x h, local bits or 0, code size)" for an image, "T"
// for the trailer; "!" where the data ends early.
inline std::string Blocks(const std::vector<Byte>& g) {
    std::string out;
    size_t at = 13;
    if (g.size() < 13) return "!";
    if (g[10] & 0x80) at += size_t(3) << ((g[10] & 7) + 1);
    auto skipSubBlocks = [&] {
        while (at < g.size() && g[at] != 0) at += size_t(g[at]) + 1;
        ++at;
    };
    while (at < g.size()) {
        const Byte b = g[at++];
        if (b == 0x3B) return out + "T";
        if (b == 0x21 && at < g.size()) {
            if (g[at] == 0xF9 && at + 6 < g.size()) {
                out += "G(" + std::to_string(g[at + 2]) + "," + std::to_string(g[at + 3] | (g[at + 4] << 8)) +
                       "," + std::to_string(g[at + 5]) + ")";
            } else {
                out += "E";
            }
            ++at;
            skipSubBlocks();
            continue;
        }
        if (b == 0x2C && at + 9 <= g.size()) {
            const int w = g[at + 4] | (g[at + 5] << 8), h = g[at + 6] | (g[at + 7] << 8);
            const Byte flags = g[at + 8];
            at += 9;
            const int local = flags & 0x80 ? (flags & 7) + 1 : 0;
            if (local) at += size_t(3) << local;
            const int codeSize = at < g.size() ? g[at] : -1;
            ++at;
            skipSubBlocks();
            out += "I(" + std::to_string(w) + "x" + std::to_string(h) + "," + std::to_string(local) + "," +
                   std::to_string(codeSize) + ")";
            continue;
        }
        return out + "!";
    }
    return out + "!";
}

}  // namespace giftest
