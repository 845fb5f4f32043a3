#include "imaging/formats/ico_codec.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/dib_reader.h"
#include "imaging/bitmap_rows.h"
#include "imaging/formats/bmp_codec.h"
#include "imaging/formats/codec_support.h"
#include "imaging/formats/codec_table.h"
#include "imaging/img_utils.h"

namespace {

constexpr TImgRGB kWhite{255, 255, 255};
constexpr Byte kPNGSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool IsIconDirectory(TStream* Stream, Word Type) {
    const Int64 start = Stream->GetPosition();
    bool ok = false;
    try {
        Byte d[6] = {};
        if (Stream->GetSize() - start > 22 && Stream->Read(d, 6) == 6 && LoadLE16(d) == 0 &&
            LoadLE16(d + 2) == Type && LoadLE16(d + 4) != 0) {
            ok = true;
            for (Integer i = 0, n = LoadLE16(d + 4); ok && i < n; ++i) {
                Byte e[16];
                ok = Stream->Read(e, 16) == 16 && e[3] == 0 && LoadLE32(e + 8) != 0 &&
                     Int64(LoadLE32(e + 12)) >= Stream->GetPosition() - start;
            }
        }
    } catch (...) {
        ok = false;
    }
    Stream->SetPosition(start);
    return ok;
}

inline Cardinal LoadBE32(const Byte* p) {
    return (Cardinal(p[0]) << 24) | (Cardinal(p[1]) << 16) | (Cardinal(p[2]) << 8) | Cardinal(p[3]);
}

void DecodeIconImage(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                     TProgressRec& Progress, bool Cursor) {
    const Int64 start = Stream->GetPosition();
    Byte directory[6] = {};
    Stream->Read(directory, 6);
    if (!Cursor && directory[0] == 'B' && directory[1] == 'M') {
        // A bitmap under an icon's name.
        Stream->SetPosition(start);
        BMPDecodeStream(Stream, Bitmap, Stream->GetSize() - start, Params, Progress, ParamsOnly);
        return;
    }
    const Integer count = LoadLE16(directory + 4);
    const Integer index = Cursor ? Params.CURImageIndex : Params.ICOImageIndex;
    if (index < 0 || index >= count) return;
    Byte entry[16] = {};
    for (Integer i = 0; i <= index; ++i) Stream->Read(entry, 16);
    if (Cursor) {
        Params.CURXHotSpot = LoadLE16(entry + 4);
        Params.CURYHotSpot = LoadLE16(entry + 6);
    }
    Stream->SetPosition(start + LoadLE32(entry + 12));
    const Int64 imageStart = Stream->GetPosition();
    Byte header[40] = {};
    Stream->Read(header, 40);

    if (std::memcmp(header, kPNGSignature, 8) == 0) {
        // An image stored as PNG goes to the PNG codec once its size is known to be sane.
        if (std::memcmp(header + 12, "IHDR", 4) != 0 ||
            !ImgCodecSizeOK(LoadBE32(header + 16), LoadBE32(header + 20))) {
            Progress.Abort();
            return;
        }
        Stream->SetPosition(imageStart);
        ImgCodecs().PNGDecodeStream(Stream, ParamsOnly ? nullptr : Bitmap, Params, Progress, ParamsOnly);
        return;
    }
    // The entry's bitmap: a 40-byte header whose height counts the colour rows and the mask's.
    TDibHeader info;
    DibReadHeader(header, sizeof header, info);
    if (info.HeaderSize != 40) {
        Progress.Abort();
        return;
    }
    Params.DpiX = ImgDpiFromPelsPerMetre(info.PelsPerMeterX, ImgDefaultDpiX());
    Params.DpiY = ImgDpiFromPelsPerMetre(info.PelsPerMeterY, ImgDefaultDpiY());

    const Integer entryColours = entry[2];
    Integer bits = Cursor ? 0 : LoadLE16(entry + 6);
    if (info.BitCount != 0) bits = info.BitCount;
    if (bits == 0 && entryColours != 0) bits = MaskTopBit(Cardinal(entryColours));
    if (bits <= 0) {
        Progress.Abort();
        return;
    }
    const Integer colours = entryColours != 0 ? entryColours : bits <= 8 ? 1 << bits : 0;
    if (Cursor) {
        Params.BitsPerSample = bits;
        Params.SamplesPerPixel = 1;
    } else {
        Params.BitsPerSample = bits <= 8 ? bits : 8;
        Params.SamplesPerPixel = bits <= 8 ? 1 : 3;
    }

    const Int64 headerWidth = int32_t(LoadLE32(header + 4));
    const Int64 headerHeight = int32_t(LoadLE32(header + 8));
    Int64 width = entry[0] != 0 ? entry[0] : headerWidth;
    Int64 height = entry[1] != 0 ? entry[1] : headerHeight / 2;
    if (!Cursor && entry[0] != headerWidth && entry[0] != 0 && headerWidth != 0 && headerWidth < 2048 &&
        headerHeight < 2048) {
        width = headerWidth;
        height = headerHeight / 2;
    }

    Params.FreePalette();
    const TImgPaletteTable palette(Stream, bits <= 8 ? colours : 0, 4);
    Params.Palette = palette.Colours;
    Params.Width = Integer(std::clamp<Int64>(width, -ImgCodecMaxPixels, ImgCodecMaxPixels));
    Params.Height = Integer(std::clamp<Int64>(height, -ImgCodecMaxPixels, ImgCodecMaxPixels));
    if (ParamsOnly) return;
    if (!Bitmap || !ImgCodecSizeOK(width, height)) {
        Progress.Abort();
        return;
    }

    const Integer w = Integer(width), h = Integer(height);
    const bool twoColour = bits == 1 && colours == 2;
    ImgNewBlankBitmap(Bitmap, twoColour ? pf1bit : pf24bit, w, h);
    // Other depths (and 24 bits in cursors) stay blank.
    if (bits != 1 && bits != 4 && bits != 8 && bits != 32 && (Cursor || bits != 24)) return;

    TDibHeader layout = info;
    layout.BitCount = bits;
    layout.Width = w;
    const TDibRowFormat format = palette.RowFormat(layout);
    const Integer rowBytes = Integer(layout.RowBytes());
    const Integer maskBytes = ImgBitmapRowLen(w, 1);
    if (bits == 24) {
        TImgRowReader rows(Stream, rowBytes, h);
        for (Integer k = 0; k < h; ++k) {
            const Byte* src = rows.Next();
            if (!src) break;
            std::memcpy(Bitmap->ScanLine(h - 1 - k), src, size_t(w) * 3);
        }
        return;
    }
    // The colour rows, then the mask, read at once as far as the data goes.
    const Int64 need = (Int64(rowBytes) + maskBytes) * h;
    std::vector<Byte> data(size_t(std::min(need, ImgBytesLeft(Stream))));
    const Int64 got = Stream->Read(data.data(), Int64(data.size()));
    auto colourRow = [&](Integer k) -> const Byte* {
        const Int64 at = Int64(k) * rowBytes;
        return at + rowBytes <= got ? data.data() + at : nullptr;
    };
    auto maskRow = [&](Integer k) -> const Byte* {
        const Int64 at = Int64(rowBytes) * h + Int64(k) * maskBytes;
        return at + maskBytes <= got ? data.data() + at : nullptr;
    };
    const TImgRGB background = Cursor ? Params.CURBackground : Params.ICOBackground;
    // 32-bit pixels with an alpha channel are laid over the background by their alpha and the mask
    // is not used; without any alpha the mask decides as for the other depths.
    bool alpha = false;
    if (bits == 32)
        for (Integer k = 0; k < h && !alpha; ++k)
            if (const Byte* src = colourRow(k))
                for (Integer x = 0; x < w && !alpha; ++x) alpha = src[x * 4 + 3] != 0;
    auto over = [](Byte c, Byte a, Byte b) { return Byte((c * a + b * (255 - a)) / 255); };
    for (Integer k = 0; k < h; ++k) {
        const Byte* src = colourRow(k);
        if (!src) break;
        const Byte* mask = maskRow(k);
        void* dest = Bitmap->ScanLine(h - 1 - k);
        if (twoColour) {
            std::memcpy(dest, src, size_t((w + 7) / 8));
            // A transparent pixel shows the background: on white it is white and an inverting
            // pixel black, on any other background the reverse.
            const bool white = background == kWhite;
            if (mask)
                for (Integer x = 0; x < w; ++x)
                    if (GetRowBit(mask, x)) SetRowBit(dest, x, (GetRowBit(src, x) != 0) != white);
        } else {
            auto* out = static_cast<TImgRGB*>(dest);
            DibDecodeRowBGR(format, src, w, reinterpret_cast<uint8_t*>(out));
            if (alpha) {
                for (Integer x = 0; x < w; ++x) {
                    const Byte a = src[x * 4 + 3];
                    out[x] = TImgRGB{over(out[x].b, a, background.b), over(out[x].g, a, background.g),
                                     over(out[x].r, a, background.r)};
                }
            } else if (mask) {
                for (Integer x = 0; x < w; ++x)
                    if (GetRowBit(mask, x)) out[x] = background;
            }
        }
    }
}

}  // namespace

bool IsICOStream(TStream* Stream) { return IsIconDirectory(Stream, 1); }

bool IsCURStream(TStream* Stream) { return IsIconDirectory(Stream, 2); }

void ICODecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                     TProgressRec& Progress) {
    try {
        DecodeIconImage(Stream, Bitmap, Params, ParamsOnly, Progress, false);
    } catch (...) {
        Progress.Abort();
    }
}

void CURDecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                     TProgressRec& Progress) {
    try {
        DecodeIconImage(Stream, Bitmap, Params, ParamsOnly, Progress, true);
    } catch (...) {
        Progress.Abort();
    }
}
