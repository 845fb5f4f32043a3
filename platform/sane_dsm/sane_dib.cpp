#include "platform/sane_dsm/sane_dib.h"

#include <cmath>
#include <cstring>

#include "framework/dib_reader.h"
#include "framework/windows_gdi.h"

namespace {

// Sample X of a row with Depth bits a sample, scaled to 8 bits.
Byte Sample(const SANE_Byte* Row, Int64 X, SANE_Int Depth) {
    switch (Depth) {
        case 1: return (Row[X >> 3] & (0x80 >> (X & 7))) ? 255 : 0;
        case 16: {
            uint16_t v;
            std::memcpy(&v, Row + X * 2, 2);  // the host's byte order
            return Byte(v >> 8);
        }
        default: return Row[X];
    }
}

bool SupportedDepth(SANE_Int Depth) {
    return Depth == 1 || Depth == 8 || Depth == 16;
}

// Complete lines of a frame, and whether the frame holds them.
Int64 LinesOf(const TSaneFrame& F) {
    const SANE_Parameters& p = F.Params;
    if (p.bytes_per_line <= 0 || p.pixels_per_line <= 0 || !SupportedDepth(p.depth)) return -1;
    Int64 channels = p.format == SANE_FRAME_RGB ? 3 : 1;
    if (Int64(p.bytes_per_line) * 8 < Int64(p.pixels_per_line) * channels * p.depth) return -1;
    Int64 lines = Int64(F.Data.size()) / p.bytes_per_line;
    return p.lines >= 0 ? std::min<Int64>(lines, p.lines) : lines;
}

}  // namespace

HGLOBAL SaneFramesToDib(const std::vector<TSaneFrame>& Frames, double DotsPerInch) {
    if (Frames.empty()) return nullptr;
    const TSaneFrame& first = Frames[0];
    const SANE_Parameters& p = first.Params;
    Int64 width = p.pixels_per_line, height = LinesOf(first);
    // Channel frames of a three-pass scanner, by colour.
    const TSaneFrame* planes[3] = {nullptr, nullptr, nullptr};
    int bitCount;
    if (p.format == SANE_FRAME_GRAY && Frames.size() == 1) {
        bitCount = p.depth == 1 ? 1 : 8;
    } else if (p.format == SANE_FRAME_RGB && Frames.size() == 1) {
        bitCount = 24;
    } else {
        for (const TSaneFrame& f : Frames) {
            int c = f.Params.format == SANE_FRAME_RED     ? 0
                    : f.Params.format == SANE_FRAME_GREEN ? 1
                    : f.Params.format == SANE_FRAME_BLUE  ? 2
                                                          : -1;
            if (c < 0 || planes[c] || f.Params.pixels_per_line != width || f.Params.depth != p.depth) return nullptr;
            planes[c] = &f;
            height = std::min(height, LinesOf(f));
        }
        if (!planes[0] || !planes[1] || !planes[2]) return nullptr;
        bitCount = 24;
    }
    if (height <= 0 || width > DibMaxSide || height > DibMaxSide || width * height > DibMaxPixels) return nullptr;

    Integer colours = bitCount == 1 ? 2 : bitCount == 8 ? 256 : 0;
    size_t rowBytes = size_t((width * bitCount + 31) / 32 * 4);
    size_t headerBytes = sizeof(BITMAPINFOHEADER) + size_t(colours) * 4;
    HGLOBAL block = GlobalAlloc(GHND, headerBytes + rowBytes * size_t(height));
    auto* out = block ? static_cast<Byte*>(GlobalLock(block)) : nullptr;
    if (!out) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    auto* bi = reinterpret_cast<BITMAPINFOHEADER*>(out);
    bi->biSize = sizeof(BITMAPINFOHEADER);
    bi->biWidth = LONG(width);
    bi->biHeight = LONG(height);
    bi->biPlanes = 1;
    bi->biBitCount = WORD(bitCount);
    bi->biCompression = BI_RGB;
    bi->biSizeImage = DWORD(rowBytes * size_t(height));
    LONG perMetre = LONG(std::lround(DotsPerInch / 0.0254));
    bi->biXPelsPerMeter = bi->biYPelsPerMeter = perMetre;
    bi->biClrUsed = DWORD(colours);
    Byte* table = out + sizeof(BITMAPINFOHEADER);
    for (Integer i = 0; i < colours; ++i) {
        Byte v = Byte(colours == 2 ? i * 255 : i);
        table[i * 4] = table[i * 4 + 1] = table[i * 4 + 2] = v;
    }
    Byte* pixels = out + headerBytes;
    for (Int64 y = 0; y < height; ++y) {
        Byte* dest = pixels + size_t(height - 1 - y) * rowBytes;  // bottom-up
        if (bitCount == 1) {
            // SANE sets a bit for black; ours are set for white.
            const SANE_Byte* src = first.Data.data() + y * p.bytes_per_line;
            for (Int64 x = 0; x < width; ++x)
                if (!(src[x >> 3] & (0x80 >> (x & 7)))) dest[x >> 3] |= Byte(0x80 >> (x & 7));
        } else if (bitCount == 8) {
            const SANE_Byte* src = first.Data.data() + y * p.bytes_per_line;
            for (Int64 x = 0; x < width; ++x) dest[x] = Sample(src, x, p.depth);
        } else if (!planes[0]) {
            const SANE_Byte* src = first.Data.data() + y * p.bytes_per_line;
            for (Int64 x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c) dest[x * 3 + 2 - c] = Sample(src, x * 3 + c, p.depth);
        } else {
            for (int c = 0; c < 3; ++c) {
                const SANE_Byte* src = planes[c]->Data.data() + y * planes[c]->Params.bytes_per_line;
                for (Int64 x = 0; x < width; ++x) dest[x * 3 + 2 - c] = Sample(src, x, p.depth);
            }
        }
    }
    GlobalUnlock(block);
    return block;
}
