#include "imaging/formats/bmp_codec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/dib_reader.h"
#include "framework/math_utils.h"
#include "imaging/bitmap_routines.h"
#include "imaging/formats/codec_support.h"
#include "imaging/img_utils.h"
#include "imaging/quantizer.h"

namespace {

constexpr Cardinal kRGB = 0, kRLE8 = 1, kRLE4 = 2;

Cardinal PelsPerMetreFromDpi(Integer Dpi) { return Cardinal(Round(Dpi / 2.54 * 100.0)); }

// Run-length data onto the bitmap, from the left end of the bottom row; each end of line is a
// progress step.
class TBitmapRuns : public TDibRunSink {
public:
    TBitmapRuns(TBitmap* Bitmap, const TImgPaletteTable& Palette, TProgressRec& Progress)
        : FBitmap(Bitmap), FPalette(Palette), FProgress(Progress) {}
    void Span(int Row, int X, const uint8_t* Indexes, int Count) override {
        auto* row = static_cast<TImgRGB*>(FBitmap->ScanLine(FBitmap->GetHeight() - 1 - Row));
        for (int i = 0; i < Count; ++i) row[X + i] = FPalette.Colour(Indexes[i]);
    }
    bool NextRow(int Row) override {
        FProgress.Done = Row + 1;
        FProgress.Report();
        return !FProgress.IsAborting();
    }

private:
    TBitmap* FBitmap;
    const TImgPaletteTable& FPalette;
    TProgressRec& FProgress;
};

void DecodeBMP(TStream* Stream, TBitmap* Bitmap, Int64 Length, TIOParamsVals& Params,
               TProgressRec& Progress, bool ParamsOnly) {
    const Int64 start = Stream->GetPosition();
    Byte fileHeader[14] = {};
    Stream->Read(fileHeader, 14);
    const Cardinal fileSize = LoadLE32(fileHeader + 2);
    if (fileSize != 0 && Length <= 0) Length = fileSize;
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') {
        Progress.Abort();
        return;
    }
    const Cardinal dataOffset = LoadLE32(fileHeader + 10);
    // The header and the masks after a short one, as far as the data holds them (the rest 0).
    Byte block[64] = {};
    Stream->Read(block, sizeof block);
    TDibHeader info;
    const TDibError error = DibReadHeader(block, sizeof block, info);
    Params.FreePalette();
    Params.BMPVersion = info.Core ? ioBMP_BMOS2V1
                        : info.HeaderSize == 64 ? ioBMP_BMOS2V2
                        : info.HeaderSize == 40 ? ioBMP_BM3
                                                : ioBMP_BM;
    Params.DpiX = ImgDpiFromPelsPerMetre(info.PelsPerMeterX, ImgDefaultDpiX());
    Params.DpiY = ImgDpiFromPelsPerMetre(info.PelsPerMeterY, ImgDefaultDpiY());
    Stream->SetPosition(start + 14 + Int64(info.PaletteAt));
    const TImgPaletteTable palette(Stream, Int64(info.PaletteCount), Integer(info.PaletteEntry));
    if (info.Compression == kRGB || info.Compression == BI_BITFIELDS)
        Params.BMPCompression = 0;
    else if (info.RunLength())
        Params.BMPCompression = 1;
    Params.Palette = palette.Colours;

    switch (info.BitCount) {
    case 1: Params.BitsPerSample = 1; Params.SamplesPerPixel = 1; break;
    case 4: Params.BitsPerSample = 4; Params.SamplesPerPixel = 1; break;
    case 8: Params.BitsPerSample = 8; Params.SamplesPerPixel = 1; break;
    case 16: Params.BitsPerSample = 5; Params.SamplesPerPixel = 3; break;
    case 24:
    case 32: Params.BitsPerSample = 8; Params.SamplesPerPixel = 3; break;
    default: break;
    }
    Params.Width = Integer(std::clamp<Int64>(info.Width, -ImgCodecMaxPixels, ImgCodecMaxPixels));
    Params.Height = Integer(std::min<Int64>(info.Height, ImgCodecMaxPixels));

    if (dataOffset != 0) Stream->SetPosition(start + dataOffset);
    const Int64 position = Stream->GetPosition();
    Int64 compressed = Length > 0 ? Length - (position - start) : info.ImageSize;
    compressed = std::clamp<Int64>(compressed, 0, ImgBytesLeft(Stream));
    if (ParamsOnly) return;
    if (!Bitmap || !ImgCodecSizeOK(info.Width, info.Height)) {
        Progress.Abort();
        return;
    }

    // A 1-bit bitmap stays one only for a palette of black and white, in either order; other
    // colours are read as 24-bit.
    const std::vector<TImgRGB>& colours = palette.Colours;
    const TImgRGB black{}, white{255, 255, 255};
    const bool whiteBlack = colours.size() == 2 && colours[0] == white && colours[1] == black;
    const bool mono = info.BitCount == 1 && colours.size() == 2 &&
                      (whiteBlack || (colours[0] == black && colours[1] == white));
    const Integer w = Integer(info.Width), h = Integer(info.Height);
    ImgNewBlankBitmap(Bitmap, mono ? pf1bit : pf24bit, w, h);
    // A bit count, compression or masks that are not read leave the bitmap blank.
    if (error != TDibError::None) return;
    Progress.Done = 0;
    Progress.Factor = 100.0 / h;

    if (info.RunLength()) {
        std::vector<Byte> data(static_cast<size_t>(compressed));
        const Int64 got = Stream->Read(data.data(), compressed);
        TBitmapRuns runs(Bitmap, palette, Progress);
        DibDecodeRunLength(data.data(), size_t(got), w, h, info.Compression == kRLE4, true, runs);
        return;
    }

    const TDibRowFormat format = palette.RowFormat(info);
    TImgRowReader rows(Stream, Integer(info.RowBytes()), h);
    for (Integer k = 0; k < h; ++k) {
        Progress.Done = k;
        Progress.Report();
        if (Progress.IsAborting()) break;
        const Byte* src = rows.Next();
        if (!src) break;
        void* dest = Bitmap->ScanLine(info.TopDown ? k : h - 1 - k);
        if (mono)
            std::memcpy(dest, src, size_t((w + 7) / 8));
        else
            DibDecodeRowBGR(format, src, w, static_cast<uint8_t*>(dest));
    }
    // A 1-bit bitmap shows a set bit white: a file whose palette is white, black is inverted so
    // that it shows its own colours.
    if (mono && whiteBlack) InvertBitmap1Bit(Bitmap);
}

// ---- writing -----------------------------------------------------------------------------------

// Writes a stretch of pending literal pixels.
Integer FlushStretch(const Byte* p, Integer n, Byte* out, bool Four) {
    Integer o = 0;
    if (n <= 0) return 0;
    if (n == 1) {
        out[o++] = 1;
        out[o++] = Four ? Byte(p[0] << 4) : p[0];
    } else if (n == 2) {
        if (Four) {
            out[o++] = 2;
            out[o++] = Byte((p[0] << 4) | (p[1] & 0x0F));
        } else {
            out[o++] = 1;
            out[o++] = p[0];
            out[o++] = 1;
            out[o++] = p[1];
        }
    } else {
        out[o++] = 0;
        out[o++] = Byte(n);
        Integer bytes;
        if (Four) {
            bytes = (n + 1) / 2;
            for (Integer i = 0; i < bytes; ++i) {
                const Byte hi = Byte(p[2 * i] << 4);
                out[o + i] = 2 * i + 1 < n ? Byte(hi | (p[2 * i + 1] & 0x0F)) : hi;
            }
        } else {
            bytes = n;
            std::memcpy(out + o, p, size_t(n));
        }
        o += bytes;
        if (bytes & 1) out[o++] = 0;
    }
    return o;
}

Integer EncodeRLERow(const Byte* p, Integer Count, Byte* out, bool Four) {
    Integer o = 0, i = 0, literal = 0;
    while (i < Count) {
        if (i - literal == 255) {
            o += FlushStretch(p + literal, i - literal, out + o, Four);
            literal = i;
        }
        if (i + 1 < Count && p[i] == p[i + 1]) {
            o += FlushStretch(p + literal, i - literal, out + o, Four);
            Integer run = 2;
            while (i + run < Count && p[i + run] == p[i] && run < 255) ++run;
            out[o++] = Byte(run);
            out[o++] = Four ? Byte((p[i] << 4) | (p[i] & 0x0F)) : p[i];
            i += run;
            literal = i;
        } else {
            ++i;
        }
    }
    o += FlushStretch(p + literal, Count - literal, out + o, Four);
    out[o++] = 0;
    out[o++] = 0;
    return o;
}

void WritePalette(TImgBlockWriter& Out, const std::vector<TImgRGB>& Palette, bool Core) {
    for (const TImgRGB& c : Palette) {
        const Byte entry[4] = {c.b, c.g, c.r, 0};
        Out.Put(entry, Core ? 3 : 4);
    }
}

void EncodeBMP(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    const Integer bits = (Params.BitsPerSample == 1 || Params.BitsPerSample == 4) ? Params.BitsPerSample
                         : Params.SamplesPerPixel == 1                              ? 8
                                                                                    : 24;
    // A core header holds 16-bit sizes only.
    const bool core = Params.BMPVersion == ioBMP_BMOS2V1 && w <= 0xFFFF && h <= 0xFFFF;
    const Integer headerLength = core ? 12 : Params.BMPVersion == ioBMP_BMOS2V2 ? 64 : 40;
    const bool rle = !core && Params.BMPCompression == 1 && (bits == 4 || bits == 8);
    const Integer colours = bits <= 8 ? 1 << bits : 0;

    const Int64 start = Stream->GetPosition();
    Byte fileHeader[14] = {'B', 'M'};
    Byte header[64] = {};
    StoreLE32(header, Cardinal(headerLength));
    if (core) {
        StoreLE16(header + 4, Word(w));
        StoreLE16(header + 6, Word(h));
        StoreLE16(header + 8, 1);
    } else {
        StoreLE32(header + 4, Cardinal(w));
        StoreLE32(header + 8, Cardinal(h));
        StoreLE16(header + 12, 1);
        StoreLE32(header + 16, rle ? (bits == 4 ? kRLE4 : kRLE8) : kRGB);
        StoreLE32(header + 24, PelsPerMetreFromDpi(Params.DpiX));
        StoreLE32(header + 28, PelsPerMetreFromDpi(Params.DpiY));
        StoreLE32(header + 32, Cardinal(colours));
        StoreLE32(header + 36, bits <= 8 ? Cardinal(colours) : 16777216u);
    }
    TImgBlockWriter out(Stream);
    out.Put(fileHeader, 14);
    out.Put(header, size_t(headerLength));

    const TImgWriteSource source(Bitmap, bits);
    const std::vector<TImgRGB>& palette = source.Palette;
    if (bits <= 8) {
        Params.Palette = palette;
        WritePalette(out, palette, core);
    }
    const Int64 rowsStart = start + 14 + headerLength + Int64(palette.size()) * (core ? 3 : 4);

    const Integer rowBytes = ImgBitmapRowLen(w, bits);
    std::vector<Byte> indexes(size_t(w) + 1);
    std::vector<Byte> line(std::max<size_t>(size_t(rowBytes), 2 * size_t(w) + 4));
    Progress.Done = 0;
    Progress.Factor = h > 0 ? 100.0 / h : 0;
    for (Integer k = 0; k < h; ++k) {
        Progress.Done = k;
        Progress.Report();
        if (Progress.IsAborting()) break;
        const void* row = source.Bitmap->ScanLine(h - 1 - k);
        std::fill(line.begin(), line.end(), 0);
        Integer n = rowBytes;
        switch (bits) {
        case 1: std::memcpy(line.data(), row, size_t((w + 7) / 8)); break;
        case 24: std::memcpy(line.data(), row, size_t(w) * 3); break;
        default:
            ConvertRowDepth(row, indexes.data(), 24, 8, w, nullptr, source.Quantizer.get());
            if (rle)
                n = EncodeRLERow(indexes.data(), w, line.data(), bits == 4);
            else if (bits == 8)
                std::memcpy(line.data(), indexes.data(), size_t(w));
            else
                for (Integer x = 0; x < w; ++x) line[size_t(x / 2)] |= Byte(indexes[size_t(x)] << ((x & 1) ? 0 : 4));
            break;
        }
        out.Put(line.data(), size_t(n));
    }
    if (Progress.IsAborting()) {
        out.Flush();
        return;
    }
    if (rle) {
        const Byte end[2] = {0, 1};
        out.Put(end, 2);
    }
    out.Flush();
    const Int64 finish = Stream->GetPosition();
    StoreLE32(fileHeader + 2, Cardinal(finish - start));
    StoreLE32(fileHeader + 10, Cardinal(rowsStart - start));
    if (core) {
        StoreLE16(header + 10, Word(bits));
    } else {
        StoreLE16(header + 14, Word(bits));
        StoreLE32(header + 20, Cardinal(finish - rowsStart));
    }
    Stream->SetPosition(start);
    Stream->WriteBuffer(fileHeader, 14);
    Stream->WriteBuffer(header, headerLength);
    Stream->SetPosition(finish);
}

}  // namespace

void BMPDecodeStream(TStream* Stream, TBitmap* Bitmap, Int64 Length, TIOParamsVals& Params,
                     TProgressRec& Progress, bool ParamsOnly) {
    try {
        DecodeBMP(Stream, Bitmap, Length, Params, Progress, ParamsOnly);
    } catch (...) {
        Progress.Abort();
    }
}

void BMPEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    if (!Bitmap) {
        Progress.Abort();
        return;
    }
    try {
        EncodeBMP(Stream, Bitmap, Params, Progress);
    } catch (...) {
        Progress.Abort();
    }
}

Integer BMPEncodeRLE8Row(const Byte* Indexes, Integer Count, Byte* Out) {
    return EncodeRLERow(Indexes, Count, Out, false);
}

Integer BMPEncodeRLE4Row(const Byte* Indexes, Integer Count, Byte* Out) {
    return EncodeRLERow(Indexes, Count, Out, true);
}
