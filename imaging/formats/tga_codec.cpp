#include "imaging/formats/tga_codec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/date_time.h"
#include "framework/math_utils.h"
#include "imaging/bitmap_rows.h"
#include "imaging/formats/codec_support.h"
#include "imaging/quantizer.h"

namespace {

constexpr Integer kHeaderSize = 18;
constexpr Integer kFooterSize = 26;
constexpr Integer kExtensionSize = 495;
constexpr char kSignature[] = "TRUEVISION-XFILE.";  // 17 characters and the zero byte

bool AcceptedType(Byte Type) { return Type == 1 || Type == 2 || Type == 3 || Type == 9 || Type == 10 || Type == 11; }
bool AcceptedDepth(Byte Bits) { return Bits == 1 || Bits == 4 || Bits == 8 || Bits == 16 || Bits == 24 || Bits == 32; }

// The text of a zero-terminated field of at most Size bytes.
std::string FieldText(const Byte* p, size_t Size) {
    size_t n = 0;
    while (n < Size && p[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

// The stream read through a read-ahead buffer of 8 KB. Past the end of the data every byte reads
// as 0 and Short() becomes true.
class TReadAhead {
public:
    explicit TReadAhead(TStream* Stream) : FStream(Stream) {}
    Byte ReadByte() {
        if (FAt >= FFill && !Fill()) {
            FShort = true;
            return 0;
        }
        return FBuffer[FAt++];
    }
    void ReadBytes(Byte* Dest, Integer Count) {
        while (Count > 0) {
            if (FAt >= FFill && !Fill()) {
                std::memset(Dest, 0, size_t(Count));
                FShort = true;
                return;
            }
            const Integer n = std::min(Count, FFill - FAt);
            std::memcpy(Dest, FBuffer + FAt, size_t(n));
            FAt += n;
            Dest += n;
            Count -= n;
        }
    }
    void Skip(Int64 Count) {
        const Int64 inBuffer = std::min<Int64>(Count, FFill - FAt);
        FAt += Integer(inBuffer);
        if (Count > inBuffer) FStream->Seek(Count - inBuffer, soCurrent);
    }
    bool Short() const { return FShort; }

private:
    bool Fill() {
        const Int64 got = FStream->Read(FBuffer, sizeof FBuffer);
        FAt = 0;
        FFill = Integer(std::max<Int64>(got, 0));
        return FFill > 0;
    }
    TStream* FStream;
    Byte FBuffer[8192];
    Integer FAt = 0, FFill = 0;
    bool FShort = false;
};

// A pixel of 2, 3 or 4 bytes (5-5-5, blue-green-red, blue-green-red-other) as a colour.
TImgRGB TrueColour(const Byte* p, Integer Bytes) {
    if (Bytes == 2) {
        const Word v = LoadLE16(p);
        return ImgRGB(Byte(((v >> 10) & 31) * 8), Byte(((v >> 5) & 31) * 8), Byte((v & 31) * 8));
    }
    return TImgRGB{p[0], p[1], p[2]};
}

void ReadExtension(TStream* Stream, Int64 Start, TIOParamsVals& Params) {
    const Int64 size = Stream->GetSize();
    if (size - Start < kHeaderSize + kFooterSize) return;
    Byte footer[kFooterSize] = {};
    Stream->SetPosition(size - kFooterSize);
    Stream->Read(footer, kFooterSize);
    if (FieldText(footer + 8, 18) != kSignature) return;
    const Cardinal offset = LoadLE32(footer);
    if (offset == 0 || Start + offset >= size) return;
    Byte e[kExtensionSize] = {};
    Stream->SetPosition(Start + offset);
    Stream->Read(e, kExtensionSize);
    Params.TGAAuthor = FieldText(e + 2, 41);
    const Word month = LoadLE16(e + 367), day = LoadLE16(e + 369), year = LoadLE16(e + 371);
    TDateTime date, time;
    if (month != 0 && day != 0 && year != 0 && TryEncodeDate(year, month, day, date) &&
        TryEncodeTime(LoadLE16(e + 373), LoadLE16(e + 375), LoadLE16(e + 377), 0, time))
        Params.TGADate = date + time;
    Params.TGAImageName = FieldText(e + 379, 41);
    Params.TGABackground = ImgRGB(e[471], e[472], e[473]);
    if (LoadLE16(e + 474) != 0 && LoadLE16(e + 476) != 0)
        Params.TGAAspectRatio = double(LoadLE16(e + 474)) / LoadLE16(e + 476);
    if (LoadLE16(e + 478) != 0 && LoadLE16(e + 480) != 0)
        Params.TGAGamma = double(LoadLE16(e + 478)) / LoadLE16(e + 480);
}

void DecodeTGA(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly, TProgressRec& Progress) {
    const Int64 start = Stream->GetPosition();
    Params.TGAAuthor.clear();
    Params.TGAImageName.clear();
    Params.TGADate = Date();
    Params.TGABackground = TImgRGB{};
    Params.TGAAspectRatio = 1.0;
    Params.TGAGamma = 2.2;
    ReadExtension(Stream, start, Params);

    Stream->SetPosition(start);
    TReadAhead in(Stream);
    Byte h[kHeaderSize];
    in.ReadBytes(h, kHeaderSize);
    Params.TGAXPos = LoadLE16(h + 8);
    Params.TGAYPos = LoadLE16(h + 10);
    const Byte type = h[2], bits = h[16], descriptor = h[17];
    if (in.Short() || !AcceptedType(type) || !AcceptedDepth(bits)) {
        Progress.Abort();
        return;
    }
    std::string id(h[0], '\0');
    in.ReadBytes(reinterpret_cast<Byte*>(id.data()), h[0]);
    Params.TGADescriptor = id;

    // A grey image of 16 bits a pixel holds a grey byte and an alpha byte; the alpha is not read,
    // as with 32-bit pixels.
    const bool greyAlpha = (type == 3 || type == 11) && bits == 16;

    // The working palette starts as the 3-3-2 levels; the colour map's entries land from its
    // first index on, inside the 256 entries.
    TImgRGB work[256];
    for (Integer i = 0; i < 256; ++i)
        work[i] = ImgRGB(Byte((i >> 5) * 32 + 28), Byte(((i >> 2) & 7) * 32 + 28), Byte((i & 3) * 64 + 60));
    const Integer mapFirst = LoadLE16(h + 3), mapCount = LoadLE16(h + 5), mapBits = h[7];
    if (h[1] == 1) {
        const Integer entryBytes = (mapBits + 7) / 8;
        if (mapBits == 15 || mapBits == 16 || mapBits == 24 || mapBits == 32) {
            Byte entry[4];
            for (Integer i = 0; i < mapCount; ++i) {
                in.ReadBytes(entry, entryBytes);
                if (mapFirst + i < 256) work[mapFirst + i] = TrueColour(entry, entryBytes);
            }
        } else {
            in.Skip(Int64(mapCount) * entryBytes);
        }
        Params.Palette.assign(work, work + std::min(mapCount, 256));
        Params.TGAGrayLevel = false;
    } else if (bits == 8 || greyAlpha) {
        for (Integer i = 0; i < 256; ++i) work[i] = TImgRGB{Byte(i), Byte(i), Byte(i)};
        Params.TGAGrayLevel = true;
    } else if (bits == 1) {
        work[0] = TImgRGB{0, 0, 0};
        work[1] = TImgRGB{255, 255, 255};
    }

    Params.TGACompressed = type >= 9;
    const Integer w = LoadLE16(h + 12), ht = LoadLE16(h + 14);
    Params.Width = w;
    Params.Height = ht;
    Params.DpiX = ImgDefaultDpiX();
    Params.DpiY = ImgDefaultDpiY();
    switch (bits) {
    case 1: Params.BitsPerSample = 1; Params.SamplesPerPixel = 1; break;
    case 8: Params.BitsPerSample = 8; Params.SamplesPerPixel = 1; break;
    case 16:
        Params.BitsPerSample = greyAlpha ? 8 : 5;
        Params.SamplesPerPixel = greyAlpha ? 1 : 3;
        break;
    case 24: Params.BitsPerSample = 8; Params.SamplesPerPixel = 3; break;
    case 32: Params.BitsPerSample = 8; Params.SamplesPerPixel = 4; break;
    default: break;
    }
    if (ParamsOnly) return;
    if (!Bitmap || !ImgCodecSizeOK(w, ht)) {
        Progress.Abort();
        return;
    }
    ImgNewBlankBitmap(Bitmap, bits == 1 ? pf1bit : pf24bit, w, ht);

    // Rows are held in units: pixels of 1 to 4 bytes, or for 1 and 4 bits the bytes of the row.
    const Integer unitBytes = std::max(bits / 8, 1);
    const Integer units = bits == 1 ? (w + 7) / 8 : bits == 4 ? (w + 1) / 2 : w;
    const bool encoded = type >= 9;
    const bool topFirst = (descriptor & 0x30) != 0;
    const bool mirror = (descriptor & 0x10) != 0;
    std::vector<Byte> raw(size_t(units) * size_t(unitBytes));
    std::vector<TImgRGB> pixels(static_cast<size_t>(w));
    std::vector<Byte> bitsRow(static_cast<size_t>(units));
    // A packet may go on into the next row.
    Integer packetLeft = 0;
    bool run = false;
    Byte runValue[4] = {};

    Progress.Done = 0;
    Progress.Factor = 100.0 / ht;
    for (Integer k = 0; k < ht; ++k) {
        if (!encoded) {
            in.ReadBytes(raw.data(), units * unitBytes);
        } else {
            for (Integer filled = 0; filled < units && !in.Short();) {
                if (packetLeft == 0) {
                    const Byte head = in.ReadByte();
                    packetLeft = (head & 0x7F) + 1;
                    run = head >= 0x80;
                    if (run) in.ReadBytes(runValue, unitBytes);
                }
                const Integer n = std::min(packetLeft, units - filled);
                Byte* dest = raw.data() + size_t(filled) * size_t(unitBytes);
                if (run)
                    for (Integer i = 0; i < n; ++i)
                        std::memcpy(dest + size_t(i) * size_t(unitBytes), runValue, size_t(unitBytes));
                else
                    in.ReadBytes(dest, n * unitBytes);
                filled += n;
                packetLeft -= n;
            }
        }
        if (in.Short()) break;
        void* row = Bitmap->ScanLine(topFirst ? k : ht - 1 - k);
        if (bits == 1) {
            if (mirror) {
                std::fill(bitsRow.begin(), bitsRow.end(), 0);
                for (Integer x = 0; x < w; ++x) SetRowBit(bitsRow.data(), w - 1 - x, GetRowBit(raw.data(), x));
                std::memcpy(row, bitsRow.data(), bitsRow.size());
            } else {
                std::memcpy(row, raw.data(), raw.size());
            }
        } else {
            for (Integer x = 0; x < w; ++x) {
                switch (bits) {
                    case 4:
                        pixels[size_t(x)] = work[(x & 1) ? (raw[size_t(x >> 1)] & 0x0F) : (raw[size_t(x >> 1)] >> 4)];
                        break;
                    case 8: pixels[size_t(x)] = work[raw[size_t(x)]]; break;
                    case 16:
                        pixels[size_t(x)] =
                            greyAlpha ? work[raw[size_t(x) * 2]] : TrueColour(raw.data() + size_t(x) * 2, 2);
                        break;
                    default:
                        pixels[size_t(x)] = TrueColour(raw.data() + size_t(x) * size_t(unitBytes), unitBytes);
                        break;
                }
            }
            if (mirror) std::reverse(pixels.begin(), pixels.end());
            std::memcpy(row, pixels.data(), size_t(w) * 3);
        }
        Progress.Done = k + 1;
        Progress.Report();
    }
}

void EncodeTGA(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    Integer depth = 24;
    if (Params.SamplesPerPixel == 1 &&
        (Params.BitsPerSample == 1 || Params.BitsPerSample == 4 || Params.BitsPerSample == 8))
        depth = Params.BitsPerSample;

    const TImgWriteSource source(Bitmap, depth);
    const std::vector<TImgRGB>& palette = source.Palette;
    if (depth == 1 || depth == 4) Params.TGACompressed = false;
    if (depth == 4 || depth == 8) Params.Palette = palette;
    const bool grey = depth == 8 && Params.TGAGrayLevel;
    const bool mapped = (depth == 4 || depth == 8) && !grey;
    const bool encoded = Params.TGACompressed && (depth == 8 || depth == 24);

    const std::string id = Params.TGADescriptor.substr(0, 254);
    Byte h18[kHeaderSize] = {};
    h18[0] = Byte(id.size() + 1);
    h18[1] = mapped ? 1 : 0;
    h18[2] = Byte((depth == 24 ? 2 : mapped ? 1 : 3) + (encoded ? 8 : 0));
    if (depth == 4 || depth == 8) {
        StoreLE16(h18 + 5, Word(1 << depth));
        h18[7] = 24;
    }
    StoreLE16(h18 + 8, Word(Params.TGAXPos));
    StoreLE16(h18 + 10, Word(Params.TGAYPos));
    StoreLE16(h18 + 12, Word(w));
    StoreLE16(h18 + 14, Word(h));
    h18[16] = Byte(depth);
    h18[17] = 0x20;
    const Int64 start = Stream->GetPosition();
    TImgBlockWriter out(Stream);
    out.Put(h18, kHeaderSize);
    out.Put(id.c_str(), id.size() + 1);
    if (mapped)
        for (const TImgRGB& c : palette) out.Put(&c, 3);

    const Integer pixelBytes = depth == 24 ? 3 : 1;
    const Integer rowBytes = depth == 24 ? w * 3 : depth == 8 ? w : depth == 4 ? (w + 1) / 2 : (w + 7) / 8;
    std::vector<Byte> row(size_t(rowBytes) + 1);
    std::vector<Byte> coded(size_t(w) * size_t(pixelBytes + 1) + 1);
    for (Integer y = 0; y < h; ++y) {
        std::fill(row.begin(), row.end(), 0);
        ConvertRowDepth(source.Bitmap->ScanLine(y), row.data(), depth == 1 ? 1 : 24, depth, w, nullptr,
                        source.Quantizer.get());
        if (grey)
            for (Integer x = 0; x < w; ++x) row[size_t(x)] = Byte(ImgRGBGrayLevel(palette[row[size_t(x)]]));
        if (encoded)
            out.Put(coded.data(), size_t(TGAEncodeRLERow(row.data(), w, pixelBytes, coded.data())));
        else
            out.Put(row.data(), size_t(rowBytes));
        if (Progress.OnProgress) Progress.OnProgress(Progress.Sender, Integer(Trunc((y + 1) * 100.0 / h)));
    }
    out.Flush();

    const Int64 extension = Stream->GetPosition();
    Byte e[kExtensionSize] = {};
    StoreLE16(e, kExtensionSize);
    std::memcpy(e + 2, Params.TGAAuthor.data(), std::min<size_t>(Params.TGAAuthor.size(), 40));
    Word year, month, day, hour, minute, second, msec;
    DecodeDate(Params.TGADate, year, month, day);
    DecodeTime(Params.TGADate, hour, minute, second, msec);
    const Word stamp[6] = {month, day, year, hour, minute, second};
    for (int i = 0; i < 6; ++i) StoreLE16(e + 367 + 2 * i, stamp[i]);
    std::memcpy(e + 379, Params.TGAImageName.data(), std::min<size_t>(Params.TGAImageName.size(), 40));
    e[471] = Params.TGABackground.r;
    e[472] = Params.TGABackground.g;
    e[473] = Params.TGABackground.b;
    // Ratios as numerators over 10000; those that do not fit 16 bits are held at 65535.
    auto numerator = [](double v) { return Word(std::clamp<Int64>(Trunc(v * 10000), 0, 65535)); };
    StoreLE16(e + 474, numerator(Params.TGAAspectRatio));
    StoreLE16(e + 476, 10000);
    StoreLE16(e + 478, numerator(Params.TGAGamma));
    StoreLE16(e + 480, 10000);
    Byte footer[kFooterSize] = {};
    StoreLE32(footer, Cardinal(extension - start));
    std::memcpy(footer + 8, kSignature, sizeof kSignature);
    out.Put(e, kExtensionSize);
    out.Put(footer, kFooterSize);
    out.Flush();
}

}  // namespace

bool IsTGAStream(TStream* Stream) {
    const Int64 start = Stream->GetPosition();
    bool ok = false;
    try {
        Byte h[kHeaderSize] = {};
        ok = Stream->Read(h, kHeaderSize) == kHeaderSize && AcceptedType(h[2]) && AcceptedDepth(h[16]) &&
             !(h[0] == 'P' && h[1] >= '2' && h[1] <= '6' && (h[2] == ' ' || h[2] == '#' || h[2] == '\n'));
    } catch (...) {
        ok = false;
    }
    Stream->SetPosition(start);
    return ok;
}

void TGADecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                     TProgressRec& Progress) {
    try {
        DecodeTGA(Stream, Bitmap, Params, ParamsOnly, Progress);
    } catch (...) {
        Progress.Abort();
    }
}

void TGAEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    if (!Bitmap) return;
    try {
        EncodeTGA(Stream, Bitmap, Params, Progress);
    } catch (...) {
        Progress.Abort();
    }
}

Integer TGAEncodeRLERow(const Byte* Pixels, Integer Count, Integer PixelBytes, Byte* Out) {
    const size_t pb = size_t(PixelBytes);
    auto same = [&](Integer a, Integer b) { return std::memcmp(Pixels + a * pb, Pixels + b * pb, pb) == 0; };
    Integer o = 0, i = 0;
    while (i < Count) {
        Integer run = 1;
        while (i + run < Count && run < 128 && same(i, i + run)) ++run;
        if (run >= 2) {
            Out[o++] = Byte(0x80 | (run - 1));
            std::memcpy(Out + o, Pixels + i * pb, pb);
            o += PixelBytes;
            i += run;
            continue;
        }
        // Pixels that differ from their successor, and the row's last pixel.
        Integer n = 1;
        while (n < 128 && i + n < Count && (i + n == Count - 1 || !same(i + n, i + n + 1))) ++n;
        Out[o++] = Byte(n - 1);
        std::memcpy(Out + o, Pixels + i * pb, size_t(n) * pb);
        o += n * PixelBytes;
        i += n;
    }
    return o;
}
