#include "framework/dib_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "framework/byte_order.h"

namespace {

// A 16-bit channel mask must be one run of set bits inside the pixel.
bool GoodMask16(uint32_t m) {
    if (m == 0 || m > 0xFFFF) return false;
    const uint32_t run = m >> std::countr_zero(m);
    return (run & (run + 1)) == 0;
}

// One channel of a 16 or 32-bit pixel through its mask, widened to 8 bits.
struct TChannel {
    uint32_t Mask = 0;
    int Shift = 0;
    int Width = 0;
    explicit TChannel(uint32_t m) : Mask(m) {
        if (!m) return;
        Shift = std::countr_zero(m);
        Width = std::countr_one(m >> Shift);
    }
    uint32_t operator()(uint32_t v, bool full) const {
        if (!Width) return 0;
        const uint32_t c = (v & Mask) >> Shift;
        if (Width >= 8) return (c >> (Width - 8)) & 0xFF;
        if (!full) return (c << (8 - Width)) & 0xFF;
        const uint32_t top = (1u << Width) - 1;
        return (c * 255 + top / 2) / top;
    }
};

// Calls Put(x, 0x00RRGGBB) for the pixels of a row of any depth but 24 bits.
template <class F>
void ForEachPixel(const TDibRowFormat& f, const uint8_t* row, int width, F&& put) {
    switch (f.BitCount) {
    case 1:
        for (int x = 0; x < width; ++x) put(x, f.Colour((row[x >> 3] >> (7 - (x & 7))) & 1));
        break;
    case 4:
        for (int x = 0; x < width; ++x) put(x, f.Colour((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)));
        break;
    case 8:
        for (int x = 0; x < width; ++x) put(x, f.Colour(row[x]));
        break;
    case 16:
    case 32: {
        const TChannel r(f.Masks[0]), g(f.Masks[1]), b(f.Masks[2]);
        const bool wide = f.BitCount == 32;
        for (int x = 0; x < width; ++x) {
            const uint32_t v = wide ? LoadLE32(row + size_t(x) * 4) : LoadLE16(row + size_t(x) * 2);
            put(x, (r(v, f.FullRange) << 16) | (g(v, f.FullRange) << 8) | b(v, f.FullRange));
        }
        break;
    }
    default:
        for (int x = 0; x < width; ++x) put(x, 0u);
        break;
    }
}

}  // namespace

uint32_t TDibRowFormat::Colour(size_t Index) const {
    if (Index >= PaletteCount) return 0;
    const uint8_t* e = Palette + Index * PaletteEntry;
    return (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
}

TDibRowFormat TDibHeader::RowFormat(const uint8_t* Table, size_t Bytes) const {
    TDibRowFormat f;
    f.BitCount = BitCount;
    f.Palette = Table;
    f.PaletteEntry = PaletteEntry;
    f.PaletteCount = size_t(std::min<uint64_t>({PaletteCount, 256, Table ? Bytes / PaletteEntry : 0}));
    std::copy(Masks, Masks + 3, f.Masks);
    return f;
}

TDibError DibReadHeader(const void* Block, size_t Size, TDibHeader& H) {
    H = TDibHeader{};
    const auto* b = static_cast<const uint8_t*>(Block);
    if (!b || Size < 4) return TDibError::Truncated;
    const uint32_t hs = H.HeaderSize = LoadLE32(b);
    if (hs == 12) {
        if (Size < 12) return TDibError::Truncated;
        H.Core = true;
        H.Width = LoadLE16(b + 4);
        H.Height = LoadLE16(b + 6);
        H.BitCount = LoadLE16(b + 10);
        H.PaletteAt = 12;
        H.PaletteEntry = 3;
    } else if (hs >= 16) {
        // The fields of the 40-byte header and the masks of the longer ones; a shorter header
        // leaves the fields it does not hold 0.
        const size_t known = std::min<size_t>(hs, 52);
        if (Size < known) return TDibError::Truncated;
        auto field = [&](size_t at) { return at + 4 <= known ? LoadLE32(b + at) : 0u; };
        H.Width = int32_t(field(4));
        const int64_t height = int32_t(field(8));
        H.TopDown = height < 0;
        H.Height = height < 0 ? -height : height;
        H.BitCount = LoadLE16(b + 14);
        H.Compression = field(16);
        H.ImageSize = field(20);
        H.PelsPerMeterX = int32_t(field(24));
        H.PelsPerMeterY = int32_t(field(28));
        H.ColorsUsed = field(32);
        H.PaletteAt = hs;
    } else {
        return TDibError::BadHeader;
    }
    const int bits = H.BitCount;
    if (bits <= 8)
        H.PaletteCount = H.Core || !H.ColorsUsed ? uint64_t(1) << bits : H.ColorsUsed;
    else
        H.PaletteCount = H.Core ? 0 : H.ColorsUsed;

    if (H.Compression == BI_BITFIELDS) {
        // Later header versions carry the masks inside; a shorter header is followed by them.
        const size_t at = hs >= 52 ? 40 : hs;
        if (Size < at + 12) return TDibError::Truncated;
        for (int i = 0; i < 3; ++i) H.Masks[i] = LoadLE32(b + at + size_t(i) * 4);
        if (hs < 52) H.PaletteAt += 12;
    }
    if (!H.Masks[0] && !H.Masks[1] && !H.Masks[2] && (bits != 16 || H.Compression != BI_BITFIELDS)) {
        const bool five = bits == 16;
        H.Masks[0] = five ? 0x7C00 : 0xFF0000;
        H.Masks[1] = five ? 0x03E0 : 0xFF00;
        H.Masks[2] = five ? 0x001F : 0xFF;
    }

    if (H.Width < 0 || H.Width > DibMaxSide || H.Height > DibMaxSide || H.Width * H.Height > DibMaxPixels)
        return TDibError::BadHeader;
    bool known;
    switch (H.Compression) {
    case BI_RGB: known = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; break;
    case BI_RLE8: known = bits == 8 && !H.TopDown; break;
    case BI_RLE4: known = bits == 4 && !H.TopDown; break;
    case BI_BITFIELDS: known = bits == 16 || bits == 32; break;
    default: known = false; break;
    }
    if (!known) return TDibError::Unsupported;
    if (bits == 16 && !std::all_of(H.Masks, H.Masks + 3, GoodMask16)) return TDibError::BadMasks;
    return TDibError::None;
}

TDibError DibReadBlock(const void* Block, size_t Size, const void* Pixels, size_t PixelsSize, TDibBlock& Out) {
    Out = TDibBlock{};
    const TDibError e = DibReadHeader(Block, Size, Out.Header);
    if (e != TDibError::None) return e;
    const TDibHeader& H = Out.Header;
    const auto* b = static_cast<const uint8_t*>(Block);
    if (H.BitCount <= 8 && H.PaletteCount > 256) return TDibError::BadHeader;
    if (H.PaletteAt > Size || H.PaletteCount * H.PaletteEntry > Size - H.PaletteAt) return TDibError::Truncated;
    Out.Format = H.RowFormat(b + H.PaletteAt, Size - H.PaletteAt);
    if (Pixels) {
        Out.Pixels = static_cast<const uint8_t*>(Pixels);
        Out.PixelBytes = PixelsSize;
    } else {
        const size_t at = size_t(H.PixelsAt());
        Out.Pixels = b + at;
        Out.PixelBytes = Size - at;
    }
    if (!H.RunLength() && uint64_t(H.RowBytes()) * uint64_t(H.Height) > Out.PixelBytes) return TDibError::Truncated;
    return TDibError::None;
}

void DibDecodeRow(const TDibRowFormat& f, const uint8_t* row, int width, uint32_t* out) {
    if (f.BitCount == 24) {
        for (int x = 0; x < width; ++x, row += 3) out[x] = (uint32_t(row[2]) << 16) | (uint32_t(row[1]) << 8) | row[0];
        return;
    }
    ForEachPixel(f, row, width, [out](int x, uint32_t rgb) { out[x] = rgb; });
}

void DibDecodeRowBGR(const TDibRowFormat& f, const uint8_t* row, int width, uint8_t* out) {
    if (f.BitCount == 24) {
        std::memcpy(out, row, size_t(width) * 3);
        return;
    }
    ForEachPixel(f, row, width, [out](int x, uint32_t rgb) {
        uint8_t* p = out + size_t(x) * 3;
        p[0] = uint8_t(rgb);
        p[1] = uint8_t(rgb >> 8);
        p[2] = uint8_t(rgb >> 16);
    });
}

bool DibDecodeRunLength(const uint8_t* p, size_t n, int w, int h, bool four, bool deltaFromRowStart,
                        TDibRunSink& sink) {
    uint8_t idx[256];
    int x = 0, y = 0;
    // Hands idx[0..count) on at the current place; the column saturates at the row's end.
    auto emit = [&](int count) {
        if (count > 0 && y < h && x < w) sink.Span(y, x, idx, std::min(count, w - x));
        x = std::min(x + count, w);
    };
    auto nibble = [four](const uint8_t* bytes, int k) {
        return four ? uint8_t((k & 1) ? (bytes[k / 2] & 0x0F) : (bytes[k / 2] >> 4)) : bytes[k];
    };
    size_t i = 0;
    while (i + 1 < n && y < h) {
        const uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count) {
            const uint8_t pair[2] = {value, value};
            for (int k = 0; k < count; ++k) idx[k] = four ? nibble(pair, k & 1) : value;
            emit(count);
        } else if (value == 0) {
            x = 0;
            if (++y >= h || !sink.NextRow(y)) break;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (i + 1 >= n) break;
            x = std::min((deltaFromRowStart ? 0 : x) + p[i], w);
            y += p[i + 1];
            i += 2;
        } else {
            const size_t bytes = four ? size_t(value + 1) / 2 : value;
            const size_t have = std::min(bytes, n - i);
            const int pixels = int(std::min<size_t>(value, four ? have * 2 : have));
            for (int k = 0; k < pixels; ++k) idx[k] = nibble(p + i, k);
            emit(pixels);
            if (have < bytes) return false;
            i += bytes + (bytes & 1);
        }
    }
    return true;
}
