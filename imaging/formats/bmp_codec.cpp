#include "imaging/formats/bmp_codec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/math_utils.h"
#include "imaging/bitmap_routines.h"
#include "imaging/dib_format.h"
#include "imaging/formats/codec_support.h"
#include "imaging/formats/codec_table.h"
#include "imaging/img_utils.h"
#include "imaging/quantizer.h"

namespace {

constexpr Cardinal kRGB = 0, kRLE8 = 1, kRLE4 = 2, kBitFields = 3;
constexpr TImgRGB kBlack{0, 0, 0};
constexpr TImgRGB kWhite{255, 255, 255};

// Pixels per metre to pixels per inch; a result that is not positive gives Default.
Integer DpiFromPelsPerMetre(Int64 PelsPerMetre, Integer Default) {
    const Int64 dpi = PelsPerMetre > 0 ? Round(double(PelsPerMetre) / 100.0 * 2.54) : 0;
    return dpi > 0 ? Integer(dpi) : Default;
}

Cardinal PelsPerMetreFromDpi(Integer Dpi) { return Cardinal(Round(Dpi / 2.54 * 100.0)); }

// The palette as the blue, green, red, reserved entries the row converter reads.
std::vector<Byte> PaletteQuads(const std::vector<TImgRGB>& Palette) {
    std::vector<Byte> quads(Palette.size() * 4);
    for (size_t i = 0; i < Palette.size(); ++i) {
        quads[i * 4] = Palette[i].b;
        quads[i * 4 + 1] = Palette[i].g;
        quads[i * 4 + 2] = Palette[i].r;
    }
    return quads;
}

inline TImgRGB PaletteColour(const std::vector<TImgRGB>& Palette, unsigned Index) {
    return Index < Palette.size() ? Palette[Index] : kBlack;
}

// Reads Count entries of EntrySize bytes (blue, green, red first) into a palette; at most 256 are
// kept, the rest are read past.
std::vector<TImgRGB> ReadPalette(TStream* Stream, Int64 Count, Integer EntrySize) {
    const Int64 kept = std::min<Int64>(Count, 256);
    std::vector<Byte> raw(size_t(kept * EntrySize), 0);
    Stream->Read(raw.data(), Int64(raw.size()));
    if (Count > kept) Stream->Seek((Count - kept) * EntrySize, soCurrent);
    std::vector<TImgRGB> palette(static_cast<size_t>(kept));
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = TImgRGB{raw[i * EntrySize], raw[i * EntrySize + 1], raw[i * EntrySize + 2]};
    return palette;
}

// The rows of a stored image, read from the stream in order a block at a time. A row the data
// does not hold in full is not handed out.
class TRowReader {
public:
    TRowReader(TStream* Stream, Integer RowBytes, Integer Rows)
        : FStream(Stream), FRowBytes(std::max(RowBytes, 1)), FRowsLeft(Rows) {
        FBlockRows = std::clamp<Integer>(Integer((Int64(1) << 20) / FRowBytes), 1, std::max(Rows, 1));
        FBuffer.resize(size_t(FBlockRows) * size_t(FRowBytes));
    }
    // The next row, or null once the data has ended.
    const Byte* Next() {
        if (FIndex >= FValid) {
            const Integer rows = std::min(FBlockRows, FRowsLeft);
            if (rows <= 0) return nullptr;
            const Int64 got = FStream->Read(FBuffer.data(), Int64(rows) * FRowBytes);
            FValid = Integer(got / FRowBytes);
            FRowsLeft = FValid < rows ? 0 : FRowsLeft - rows;
            FIndex = 0;
            if (FValid == 0) return nullptr;
        }
        return FBuffer.data() + size_t(FIndex++) * size_t(FRowBytes);
    }

private:
    TStream* FStream;
    Integer FRowBytes, FRowsLeft, FBlockRows = 1;
    Integer FIndex = 0, FValid = 0;
    std::vector<Byte> FBuffer;
};

struct TRLETarget {
    TBitmap* Bitmap;
    Integer Width, Height;
    bool TopDown;
    const std::vector<TImgRGB>& Palette;
    TImgRGB* Row(Integer K) const {
        return K < Height ? static_cast<TImgRGB*>(Bitmap->ScanLine(TopDown ? K : Height - 1 - K)) : nullptr;
    }
};

// Run-length data onto the bitmap, from the left end of the bottom row. Pixels outside the row or
// the image are not written; decoding ends at the end of the data at the latest.
void DecodeRLE(const TRLETarget& T, const Byte* Data, Int64 Count, TProgressRec& Progress, bool Four) {
    Int64 i = 0;
    Integer x = 0, k = 0;
    TImgRGB* row = T.Row(0);
    auto put = [&](unsigned index) {
        if (row && x < T.Width) row[x] = PaletteColour(T.Palette, index);
        ++x;
    };
    while (i + 1 < Count) {
        const Byte n = Data[i], c = Data[i + 1];
        i += 2;
        if (n > 0) {
            for (Integer j = 0; j < n; ++j) put(Four ? ((j & 1) ? (c & 0x0F) : (c >> 4)) : c);
        } else if (c == 0) {
            ++k;
            x = 0;
            if (k >= T.Height) break;
            row = T.Row(k);
            Progress.Done = k + 1;
            Progress.Report();
            if (Progress.IsAborting()) break;
        } else if (c == 1) {
            break;
        } else if (c == 2) {
            if (i + 1 >= Count) break;
            x = Data[i];
            k += Data[i + 1];
            i += 2;
            if (k >= T.Height) break;
            row = T.Row(k);
        } else {
            const Int64 bytes = Four ? (c + 1) / 2 : c;
            for (Integer j = 0; j < c; ++j) {
                const Int64 at = i + (Four ? j / 2 : j);
                if (at >= Count) break;
                put(Four ? ((j & 1) ? (Data[at] & 0x0F) : (Data[at] >> 4)) : Data[at]);
            }
            i += bytes + (bytes & 1);
        }
    }
}

struct TBMPInfo {
    Int64 Width = 0, Height = 0;
    Integer Bits = 0;
    Cardinal Compression = kRGB;
    Cardinal Masks[3] = {0, 0, 0};
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
    Byte lengthField[4] = {};
    Stream->Read(lengthField, 4);
    Stream->SetPosition(start + 14);
    const Cardinal headerLength = LoadLE32(lengthField);
    Params.FreePalette();

    TBMPInfo info;
    Cardinal imageSize = 0;
    std::vector<TImgRGB> palette;
    if (headerLength == 12) {
        Byte h[12] = {};
        Stream->Read(h, 12);
        Params.BMPVersion = ioBMP_BMOS2V1;
        info.Width = LoadLE16(h + 4);
        info.Height = LoadLE16(h + 6);
        info.Bits = LoadLE16(h + 10);
        Params.DpiX = ImgDefaultDpiX();
        Params.DpiY = ImgDefaultDpiY();
        if (info.Bits <= 8) palette = ReadPalette(Stream, Int64(1) << info.Bits, 3);
    } else {
        Byte h[64] = {};
        Stream->Read(h, std::min<Int64>(64, headerLength));
        if (headerLength > 64) Stream->SetPosition(start + 14 + headerLength);
        Params.BMPVersion = headerLength == 64 ? ioBMP_BMOS2V2 : headerLength == 40 ? ioBMP_BM3 : ioBMP_BM;
        info.Width = int32_t(LoadLE32(h + 4));
        info.Height = int32_t(LoadLE32(h + 8));
        info.Bits = LoadLE16(h + 14);
        info.Compression = LoadLE32(h + 16);
        imageSize = LoadLE32(h + 20);
        Params.DpiX = DpiFromPelsPerMetre(int32_t(LoadLE32(h + 24)), ImgDefaultDpiX());
        Params.DpiY = DpiFromPelsPerMetre(int32_t(LoadLE32(h + 28)), ImgDefaultDpiY());
        Int64 coloursUsed = LoadLE32(h + 32);
        if (coloursUsed == 0 && info.Bits <= 8) coloursUsed = Int64(1) << info.Bits;
        if (info.Compression == kBitFields) {
            // Later header versions hold the masks inside the header; a 40-byte header is
            // followed by them.
            Byte m[12] = {};
            if (headerLength >= 52)
                std::memcpy(m, h + 40, 12);
            else
                Stream->Read(m, 12);
            for (int c = 0; c < 3; ++c) info.Masks[c] = LoadLE32(m + 4 * c);
        }
        if (coloursUsed > 0) palette = ReadPalette(Stream, coloursUsed, 4);
    }
    if (info.Compression == kRGB || info.Compression == kBitFields)
        Params.BMPCompression = 0;
    else if (info.Compression == kRLE8 || info.Compression == kRLE4)
        Params.BMPCompression = 1;
    Params.Palette = palette;

    switch (info.Bits) {
    case 1: Params.BitsPerSample = 1; Params.SamplesPerPixel = 1; break;
    case 4: Params.BitsPerSample = 4; Params.SamplesPerPixel = 1; break;
    case 8: Params.BitsPerSample = 8; Params.SamplesPerPixel = 1; break;
    case 16: Params.BitsPerSample = 5; Params.SamplesPerPixel = 3; break;
    case 24:
    case 32: Params.BitsPerSample = 8; Params.SamplesPerPixel = 3; break;
    default: break;
    }
    const bool topDown = info.Height < 0;
    const Int64 height = topDown ? -info.Height : info.Height;
    Params.Width = Integer(std::clamp<Int64>(info.Width, -ImgCodecMaxPixels, ImgCodecMaxPixels));
    Params.Height = Integer(std::min<Int64>(height, ImgCodecMaxPixels));

    if (dataOffset != 0) Stream->SetPosition(start + dataOffset);
    const Int64 position = Stream->GetPosition();
    Int64 compressed = Length > 0 ? Length - (position - start) : imageSize;
    compressed = std::clamp<Int64>(compressed, 0, ImgBytesLeft(Stream));
    if (ParamsOnly) return;
    if (!Bitmap || !ImgCodecSizeOK(info.Width, height)) {
        Progress.Abort();
        return;
    }

    const Integer w = Integer(info.Width), h = Integer(height);
    ImgNewBlankBitmap(Bitmap, info.Bits == 1 ? pf1bit : pf24bit, w, h);
    Progress.Done = 0;
    Progress.Factor = 100.0 / h;
    auto bitmapRow = [&](Integer k) { return Bitmap->ScanLine(topDown ? k : h - 1 - k); };

    if ((info.Bits == 8 && info.Compression == kRLE8) || (info.Bits == 4 && info.Compression == kRLE4)) {
        std::vector<Byte> data(static_cast<size_t>(compressed));
        const Int64 got = Stream->Read(data.data(), compressed);
        DecodeRLE(TRLETarget{Bitmap, w, h, topDown, palette}, data.data(), got, Progress, info.Bits == 4);
        return;
    }

    TImgDIBLayout layout;
    layout.Width = w;
    layout.BitCount = info.Bits;
    const std::vector<Byte> quads = PaletteQuads(palette);
    layout.Palette = quads.data();
    layout.PaletteCount = Integer(palette.size());
    bool decoded = false;
    switch (info.Bits) {
    case 1:
    case 4:
    case 8: decoded = info.Compression == kRGB; break;
    case 16:
        if (info.Compression == kRGB) {
            layout.Masks[0] = 0x7C00;
            layout.Masks[1] = 0x03E0;
            layout.Masks[2] = 0x001F;
            decoded = true;
        } else if (info.Compression == kBitFields) {
            std::copy(info.Masks, info.Masks + 3, layout.Masks);
            decoded = std::all_of(info.Masks, info.Masks + 3, ImgDIBGoodMask);
        }
        break;
    case 24:
    case 32: decoded = true; break;
    default: break;
    }
    if (!decoded) return;

    const Integer rowBytes = ImgBitmapRowLen(w, info.Bits);
    TRowReader rows(Stream, rowBytes, h);
    for (Integer k = 0; k < h; ++k) {
        Progress.Done = k;
        Progress.Report();
        if (Progress.IsAborting()) break;
        const Byte* src = rows.Next();
        if (!src) break;
        void* dest = bitmapRow(k);
        if (info.Bits == 1)
            std::memcpy(dest, src, size_t((w + 7) / 8));
        else
            ImgDIBRowTo24Bit(layout, src, static_cast<TImgRGB*>(dest));
    }
    // A 1-bit bitmap shows a set bit white: a file whose palette is white, black is inverted so
    // that it shows its own colours.
    if (info.Bits == 1 && palette.size() == 2 && palette[0] == kWhite && palette[1] == kBlack)
        InvertBitmap1Bit(Bitmap);
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

// ---- icons and cursors -------------------------------------------------------------------------

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

constexpr Byte kPNGSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

inline Cardinal LoadBE32(const Byte* p) {
    return (Cardinal(p[0]) << 24) | (Cardinal(p[1]) << 16) | (Cardinal(p[2]) << 8) | Cardinal(p[3]);
}

// Index X of a row of 1, 4 or 8-bit palette indexes.
inline unsigned RowIndex(const Byte* Row, Integer X, Integer Bits) {
    switch (Bits) {
    case 1: return (Row[X >> 3] >> (7 - (X & 7))) & 1u;
    case 4: return (X & 1) ? (Row[X >> 1] & 0x0Fu) : (Row[X >> 1] >> 4);
    default: return Row[X];
    }
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
    if (LoadLE32(header) != 40) {
        Progress.Abort();
        return;
    }
    Params.DpiX = DpiFromPelsPerMetre(int32_t(LoadLE32(header + 24)), ImgDefaultDpiX());
    Params.DpiY = DpiFromPelsPerMetre(int32_t(LoadLE32(header + 28)), ImgDefaultDpiY());

    const Integer headerBits = LoadLE16(header + 14);
    const Integer entryColours = entry[2];
    Integer bits = Cursor ? 0 : LoadLE16(entry + 6);
    if (headerBits != 0) bits = headerBits;
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
    std::vector<TImgRGB> palette;
    if (bits <= 8) palette = ReadPalette(Stream, colours, 4);
    Params.Palette = palette;
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
    if (bits != 1 && bits != 4 && bits != 8 && (Cursor || bits != 24)) return;

    const Integer rowBytes = ImgBitmapRowLen(w, bits);
    const Integer maskBytes = ImgBitmapRowLen(w, 1);
    if (bits == 24) {
        TRowReader rows(Stream, rowBytes, h);
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
            for (Integer x = 0; x < w; ++x)
                out[x] = mask && GetRowBit(mask, x) ? background : PaletteColour(palette, RowIndex(src, x, bits));
        }
    }
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
