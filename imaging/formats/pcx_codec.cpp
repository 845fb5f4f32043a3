#include "imaging/formats/pcx_codec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/formats/codec_support.h"
#include "imaging/quantizer.h"

namespace {

constexpr Int64 kHeaderSize = 128;
constexpr Int64 kPaletteSize = 768;

// Red, green, blue triples to palette entries.
std::vector<TImgRGB> PaletteFromRGB(const Byte* Data, size_t Count) {
    std::vector<TImgRGB> palette(Count);
    for (size_t i = 0; i < Count; ++i) palette[i] = ImgRGB(Data[3 * i], Data[3 * i + 1], Data[3 * i + 2]);
    return palette;
}

// The plane lines of the data, one after the other. A run that passes the end of a line goes on
// at the start of the next one; data that ends early leaves the rest of the line zero.
class TLineDecoder {
public:
    TLineDecoder(const Byte* Data, size_t Size, bool Encoded, Integer BytesPerLine)
        : FData(Data), FEnd(Data + Size), FEncoded(Encoded), FLength(BytesPerLine) {}

    void Read(Byte* Line) {
        Integer filled = 0;
        if (!FEncoded) {
            filled = Integer(std::min<Int64>(FLength, FEnd - FData));
            if (filled > 0) std::memcpy(Line, FData, size_t(filled));
            FData += filled;
        } else {
            if (FPending > 0) {
                const Integer n = std::min(FPending, FLength);
                std::memset(Line, FValue, size_t(n));
                FPending -= n;
                filled = n;
            }
            while (filled < FLength && FData < FEnd) {
                const Byte b = *FData++;
                if (b < 0xC0) {
                    Line[filled++] = b;
                    continue;
                }
                if (FData >= FEnd) break;
                const Integer count = b & 0x3F;
                const Byte value = *FData++;
                const Integer n = std::min(count, FLength - filled);
                std::memset(Line + filled, value, size_t(n));
                filled += n;
                if (count > n) {
                    FPending = count - n;
                    FValue = value;
                }
            }
        }
        if (filled < FLength) std::memset(Line + filled, 0, size_t(FLength - filled));
    }

private:
    const Byte* FData;
    const Byte* FEnd;
    bool FEncoded;
    Integer FLength;
    Integer FPending = 0;
    Byte FValue = 0;
};

void DecodePCX(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, Int64 Length,
               TProgressRec& Progress, bool ParamsOnly) {
    const Int64 start = Stream->GetPosition();
    Length = std::min(Length, ImgBytesLeft(Stream));
    Byte h[kHeaderSize] = {};
    const Int64 got = Stream->Read(h, kHeaderSize);
    const Integer bits = h[3], planes = h[65];
    if (got < kHeaderSize || h[0] != 0x0A || bits > 8 || h[2] > 1) {
        Progress.Abort();
        return;
    }
    const bool encoded = h[2] == 1;
    const Int64 width = Int64(LoadLE16(h + 8)) - LoadLE16(h + 4) + 1;
    const Int64 height = Int64(LoadLE16(h + 10)) - LoadLE16(h + 6) + 1;
    const Integer bytesPerLine = LoadLE16(h + 66);
    Integer dpiX = LoadLE16(h + 12), dpiY = LoadLE16(h + 14);
    if (dpiX == 0 || dpiY == 0) {
        dpiX = ImgDefaultDpiX();
        dpiY = ImgDefaultDpiY();
    }
    const std::vector<TImgRGB> palette16 = PaletteFromRGB(h + 16, 16);
    // The 256-colour palette takes the last 768 bytes of the data, when the data has them.
    std::vector<TImgRGB> palette256(256);
    if (planes == 1 && bits > 4 && Length >= kHeaderSize + kPaletteSize) {
        Byte raw[kPaletteSize] = {};
        Stream->SetPosition(start + Length - kPaletteSize);
        Stream->Read(raw, kPaletteSize);
        Stream->SetPosition(start + kHeaderSize);
        palette256 = PaletteFromRGB(raw, 256);
    }

    Params.FreePalette();
    Params.BitsPerSample = bits;
    Params.SamplesPerPixel = planes;
    if (planes == 4 && bits == 1) {
        Params.BitsPerSample = 4;
        Params.SamplesPerPixel = 1;
        Params.Palette = palette16;
    } else if (planes == 1 && bits == 8) {
        Params.Palette = palette256;
    } else if (bits < 8) {
        // The header holds 16 colours, which 5 to 7 bits would pass.
        Params.Palette.assign(palette16.begin(), palette16.begin() + std::min(1 << bits, 16));
    }
    Params.PCXVersion = h[1];
    Params.Width = Integer(width);
    Params.Height = Integer(height);
    Params.DpiX = dpiX;
    Params.DpiY = dpiY;
    if (ParamsOnly) return;
    if (!Bitmap || !ImgCodecSizeOK(width, height)) {
        Progress.Abort();
        return;
    }

    const Integer w = Integer(width), ht = Integer(height);
    ImgNewBlankBitmap(Bitmap, planes == 1 && bits == 1 ? pf1bit : pf24bit, w, ht);
    const bool decoded = (planes == 1 && (bits == 1 || bits == 4 || bits == 8)) || (planes == 3 && bits == 8) ||
                         (planes == 4 && bits == 1);
    if (!decoded) return;

    std::vector<Byte> data(size_t(std::max<Int64>(Length - kHeaderSize, 0)));
    const Int64 dataBytes = Stream->Read(data.data(), Int64(data.size()));
    TLineDecoder lines(data.data(), size_t(dataBytes), encoded, bytesPerLine);
    // Room for what a row needs even when the header's line length is shorter.
    const size_t lineSize = size_t(std::max(bytesPerLine, w)) + 8;
    std::vector<Byte> buffers(lineSize * size_t(planes), 0);
    auto line = [&](Integer p) { return buffers.data() + lineSize * size_t(p); };

    Progress.Done = 0;
    Progress.Factor = 100.0 / ht;
    for (Integer y = 0; y < ht; ++y) {
        Progress.Done = y;
        Progress.Report();
        if (Progress.IsAborting()) break;
        for (Integer p = 0; p < planes; ++p) lines.Read(line(p));
        void* dest = Bitmap->ScanLine(y);
        auto* out = static_cast<TImgRGB*>(dest);
        if (planes == 1) {
            const Byte* s = line(0);
            if (bits == 8)
                for (Integer x = 0; x < w; ++x) out[x] = palette256[s[x]];
            else if (bits == 4)
                for (Integer x = 0; x < w; ++x) out[x] = palette16[(x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4)];
            else
                std::memcpy(dest, s, size_t((w + 7) / 8));
        } else if (planes == 3) {
            const Byte *r = line(0), *g = line(1), *b = line(2);
            for (Integer x = 0; x < w; ++x) out[x] = TImgRGB{b[x], g[x], r[x]};
        } else {
            for (Integer x = 0; x < w; ++x) {
                const Integer shift = 7 - (x & 7), at = x >> 3;
                const Integer index = ((line(0)[at] >> shift) & 1) | (((line(1)[at] >> shift) & 1) << 1) |
                                      (((line(2)[at] >> shift) & 1) << 2) | (((line(3)[at] >> shift) & 1) << 3);
                out[x] = palette16[size_t(index)];
            }
        }
    }
}

void EncodePCX(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    Integer depth = Params.BitsPerSample == 1 ? 1 : Params.BitsPerSample * Params.SamplesPerPixel;
    // Depths PCX files do not hold are written as 24-bit.
    if (depth != 1 && depth != 4 && depth != 8) depth = 24;
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    const bool encoded = Params.PCXCompression != 0;

    const TImgWriteSource source(Bitmap, depth);
    const std::vector<TImgRGB>& palette = source.Palette;
    Byte header[kHeaderSize] = {};
    Integer bytesPerLine = depth == 1 ? (w + 7) / 8 : depth == 4 ? (w + 1) / 2 : w;
    const Integer rowBytes = bytesPerLine;
    if (bytesPerLine & 1) ++bytesPerLine;

    header[0] = 0x0A;
    header[1] = Byte(Params.PCXVersion);
    header[2] = encoded ? 1 : 0;
    header[3] = Byte(depth == 24 ? 8 : depth);
    StoreLE16(header + 8, Word(w - 1));
    StoreLE16(header + 10, Word(h - 1));
    StoreLE16(header + 12, Word(Params.DpiX));
    StoreLE16(header + 14, Word(Params.DpiY));
    if (depth == 1 || depth == 4)
        for (size_t i = 0; i < palette.size(); ++i) {
            header[16 + 3 * i] = palette[i].r;
            header[17 + 3 * i] = palette[i].g;
            header[18 + 3 * i] = palette[i].b;
        }
    header[65] = depth == 24 ? 3 : 1;
    StoreLE16(header + 66, Word(bytesPerLine));
    StoreLE16(header + 68, depth == 24 ? 0 : 1);
    TImgBlockWriter out(Stream);
    out.Put(header, kHeaderSize);

    std::vector<Byte> indexes(size_t(w) + 1);
    std::vector<Byte> packed(size_t(bytesPerLine) + 1);
    std::vector<Byte> coded(2 * size_t(std::max(w, bytesPerLine)) + 2);
    // One plane line: Count bytes from Source[Offset + i x Stride], coded or padded.
    auto putLine = [&](const Byte* Source, Integer Count, Integer Stride, Integer Offset) {
        if (encoded) {
            out.Put(coded.data(), size_t(PCXEncodeLine(coded.data(), Source, Count, Stride, Offset)));
            return;
        }
        std::fill(coded.begin(), coded.begin() + bytesPerLine, 0);
        for (Integer i = 0; i < Count; ++i) coded[size_t(i)] = Source[Offset + i * Stride];
        out.Put(coded.data(), size_t(bytesPerLine));
    };
    Progress.Done = 0;
    Progress.Factor = h > 0 ? 100.0 / h : 0;
    for (Integer y = 0; y < h; ++y) {
        Progress.Done = y;
        Progress.Report();
        if (Progress.IsAborting()) break;
        const Byte* row = static_cast<const Byte*>(source.Bitmap->ScanLine(y));
        switch (depth) {
        case 24:
            for (Integer offset : {2, 1, 0}) putLine(row, w, 3, offset);
            break;
        case 8:
            ConvertRowDepth(row, indexes.data(), 24, 8, w, nullptr, source.Quantizer.get());
            putLine(indexes.data(), w, 1, 0);
            break;
        case 4:
            std::fill(packed.begin(), packed.end(), 0);
            ConvertRowDepth(row, packed.data(), 24, 4, w, nullptr, source.Quantizer.get());
            putLine(packed.data(), rowBytes, 1, 0);
            break;
        default: putLine(row, rowBytes, 1, 0); break;
        }
    }
    if (depth == 8 && !Progress.IsAborting()) {
        // The marker byte before the palette is what other readers look for; ours takes the last
        // 768 bytes whatever comes before them.
        const Byte marker = 0x0C;
        out.Put(&marker, 1);
        Byte raw[kPaletteSize];
        for (size_t i = 0; i < 256; ++i) {
            raw[3 * i] = palette[i].r;
            raw[3 * i + 1] = palette[i].g;
            raw[3 * i + 2] = palette[i].b;
        }
        out.Put(raw, kPaletteSize);
    }
    out.Flush();
}

}  // namespace

Integer PCXEncodeLine(Byte* Out, const Byte* Source, Integer Count, Integer Stride, Integer Offset) {
    Integer o = 0, i = 0;
    while (i < Count) {
        const Byte v = Source[Offset + i * Stride];
        Integer run = 1;
        while (i + run < Count && run < 63 && Source[Offset + (i + run) * Stride] == v) ++run;
        if (run > 1 || v >= 0xC0) Out[o++] = Byte(0xC0 | run);
        Out[o++] = v;
        i += run;
    }
    if (Count & 1) Out[o++] = 0;
    return o;
}

void PCXDecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, Int64 Length,
                     TProgressRec& Progress, bool ParamsOnly) {
    try {
        DecodePCX(Stream, Bitmap, Params, Length, Progress, ParamsOnly);
    } catch (...) {
        Progress.Abort();
    }
}

void PCXDecodeFile(const std::string& FileName, TBitmap* Bitmap, TIOParamsVals& Params,
                   TProgressRec& Progress) {
    // A file that cannot be opened raises, as it does for the other formats' files.
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    PCXDecodeStream(&stream, Bitmap, Params, stream.GetSize(), Progress, false);
}

void PCXEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    if (!Bitmap) {
        Progress.Abort();
        return;
    }
    try {
        EncodePCX(Stream, Bitmap, Params, Progress);
    } catch (...) {
        Progress.Abort();
    }
}
