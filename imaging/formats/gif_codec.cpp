#include "imaging/formats/gif_codec.h"

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/atomic_file.h"
#include "imaging/bitmap_routines.h"
#include "imaging/formats/codec_support.h"
#include "imaging/formats/stream_reader.h"
#include "imaging/quantizer.h"

namespace {

constexpr Byte kExtension = 0x21;
constexpr Byte kImage = 0x2C;
constexpr Byte kTrailer = 0x3B;
constexpr Byte kGraphicControl = 0xF9;
constexpr Integer kHeaderSize = 13;
constexpr Integer kDescriptorSize = 9;  // after the 0x2C

// A 16-bit field of the file, the value held within 0..65535.
void StoreField(Byte* p, Integer v) { StoreLE16(p, Word(v < 0 ? 0 : (v > 0xFFFF ? 0xFFFF : v))); }

// Reads block introducers up to the trailer or the end of the stream (or until the aborting flag
// is set): OnExtension(label) after an extension's label, OnImage() after an image's 0x2C; other
// bytes are skipped. A handler answering false ends the walk.
template <class Extension, class Image>
void ForEachBlock(TImgStreamReader& In, const TProgressRec& Progress, Extension&& OnExtension, Image&& OnImage) {
    while (!Progress.IsAborting()) {
        const Integer block = In.ReadByte();
        if (block < 0 || block == kTrailer) return;
        if (block == kExtension) {
            const Integer label = In.ReadByte();
            if (label < 0 || !OnExtension(Byte(label))) return;
        } else if (block == kImage) {
            if (!OnImage()) return;
        }
    }
}

// Entries of a colour table whose flags byte has Flags bits 0-2 as its size.
Integer TableEntries(Byte Flags) { return 1 << ((Flags & 7) + 1); }

// A colour table as read: its entries (blue, green, red), and how many the file held.
struct TColourTable {
    std::vector<TImgRGB> Entries;
    bool Present = false;
};

// Reads a table of Count entries (stored red, green, blue); entries the stream does not hold are
// black.
TColourTable ReadColourTable(TImgStreamReader& In, Integer Count) {
    TColourTable t;
    t.Present = true;
    t.Entries.resize(size_t(Count));
    std::vector<Byte> raw(size_t(Count) * 3, 0);
    In.Read(raw.data(), Int64(raw.size()));
    for (Integer i = 0; i < Count; ++i)
        t.Entries[size_t(i)] = ImgRGB(raw[size_t(i) * 3], raw[size_t(i) * 3 + 1], raw[size_t(i) * 3 + 2]);
    return t;
}

// The palette of a frame without any colour table: Count greys from black to white.
std::vector<TImgRGB> GreyRamp(Integer Count) {
    std::vector<TImgRGB> p(static_cast<size_t>(Count));
    for (Integer i = 0; i < Count; ++i) {
        const Byte v = Byte(Count > 1 ? i * 255 / (Count - 1) : 0);
        p[size_t(i)] = ImgRGB(v, v, v);
    }
    return p;
}

TImgRGB EntryOrBlack(const std::vector<TImgRGB>& Palette, Integer Index) {
    return Index >= 0 && size_t(Index) < Palette.size() ? Palette[size_t(Index)] : TImgRGB{};
}

// Fills the bitmap from the frame's colour indexes: through the palette (black past its end), or
// for a black-and-white palette as bits set for index 1.
void IndexesToBitmap(const std::vector<Byte>& Indexes, Integer Width, Integer Height,
                     const std::vector<TImgRGB>& Palette, bool BlackWhite, TBitmap* Bitmap) {
    ImgPrepareBitmap(Bitmap, BlackWhite ? pf1bit : pf24bit, Width, Height);
    if (Width <= 0 || Height <= 0) return;
    if (BlackWhite) {
        for (Integer y = 0; y < Height; ++y) {
            const Byte* src = Indexes.data() + Int64(y) * Width;
            auto* row = static_cast<Byte*>(Bitmap->ScanLine(y));
            std::memset(row, 0, size_t((Width + 7) / 8));
            for (Integer x = 0; x < Width; ++x)
                if (src[x] == 1) row[x >> 3] |= Byte(0x80u >> (x & 7));
        }
        return;
    }
    std::array<TImgRGB, 256> lookup{};  // black past the end of the table
    for (size_t i = 0; i < Palette.size() && i < lookup.size(); ++i) lookup[i] = Palette[i];
    for (Integer y = 0; y < Height; ++y) {
        const Byte* src = Indexes.data() + Int64(y) * Width;
        auto* row = static_cast<TImgRGB*>(Bitmap->ScanLine(y));
        for (Integer x = 0; x < Width; ++x) row[x] = lookup[src[x]];
    }
}

// What the reader keeps of the graphic control extension of the wanted frame.
struct TGraphicControl {
    Byte Packed = 0;
    Integer Delay = 0;
    Byte Transparent = 0;
};

// Reads a graphic control extension after its label: its first sub-block gives the fields, any
// further ones are skipped.
TGraphicControl ReadGraphicControl(TImgStreamReader& In) {
    TGraphicControl g;
    const Integer size = In.ReadByte();
    if (size <= 0) return g;
    Byte data[255] = {};
    In.Read(data, size);
    g.Packed = data[0];
    g.Delay = LoadLE16(data + 1);
    g.Transparent = data[3];
    In.SkipSubBlocks();
    return g;
}

// ---- writing --------------------------------------------------------------------------------------

// The bits per pixel a bitmap is written with: BitsPerSample held within 1..8. With KeepColour a
// 24-bit bitmap of more than two colours asked for with 1 bit is written with 8 bits instead of
// being dithered.
Integer GifBits(TBitmap* Bitmap, Integer BitsPerSample, bool KeepColour) {
    const Integer bits = BitsPerSample < 1 ? 1 : (BitsPerSample > 8 ? 8 : BitsPerSample);
    if (bits != 1 || !KeepColour || Bitmap->GetPixelFormat() == pf1bit) return bits;
    TImgRGB c0, c1;
    std::unique_ptr<TBitmap> two(TryConvertTo1Bit(Bitmap, c0, c1));
    return two ? 1 : 8;
}

// A bitmap as colour indexes with its palette of 2^Bits entries: at 1 bit black and white (the
// 1-bit form of a two-colour bitmap, else a dithered copy), deeper through the quantizer.
class TIndexedImage {
public:
    TIndexedImage(TBitmap* Bitmap, Integer Bits) : FSource(Bitmap, Bits), FBits(Bits) {
        TBitmap* working = FSource.Bitmap;
        const Integer w = working->GetWidth(), h = working->GetHeight();
        FIndexes.assign(size_t(w > 0 ? w : 0) * size_t(h > 0 ? h : 0), 0);
        if (Bits == 1) {
            FSource.Palette = {ImgRGB(0, 0, 0), ImgRGB(255, 255, 255)};
            for (Integer y = 0; y < h; ++y) {
                const auto* row = static_cast<const Byte*>(working->ScanLine(y));
                Byte* out = FIndexes.data() + Int64(y) * w;
                for (Integer x = 0; x < w; ++x) out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
            }
            return;
        }
        const TImgQuantizer& q = *FSource.Quantizer;
        for (Integer y = 0; y < h; ++y) {
            const auto* row = static_cast<const TImgRGB*>(working->ScanLine(y));
            Byte* out = FIndexes.data() + Int64(y) * w;
            Cardinal lastColour = 0xFFFFFFFFu;  // no colour packs to this
            Byte lastIndex = 0;
            for (Integer x = 0; x < w; ++x) {
                const Cardinal c = ImgPackRGB(row[x]);
                if (c != lastColour) {
                    lastColour = c;
                    lastIndex = Byte(q.RGBToIndex(c));
                }
                out[x] = lastIndex;
            }
        }
    }

    Integer IndexOf(const TImgRGB& Colour) const {
        if (FSource.Quantizer) return FSource.Quantizer->RGBToIndex(ImgPackRGB(Colour));
        return NearestPaletteIndex(FSource.Palette.data(), Integer(FSource.Palette.size()), ImgPackRGB(Colour));
    }
    // The palette as a GIF colour table: red, green, blue per entry.
    std::vector<Byte> ColourTable() const {
        std::vector<Byte> t;
        t.reserve(FSource.Palette.size() * 3);
        for (const TImgRGB& c : FSource.Palette) t.insert(t.end(), {c.r, c.g, c.b});
        return t;
    }
    TBitmap* Bitmap() const { return FSource.Bitmap; }
    const Byte* Indexes() const { return FIndexes.data(); }
    Integer Bits() const { return FBits; }

private:
    TImgWriteSource FSource;
    Integer FBits;
    std::vector<Byte> FIndexes;
};

void WriteBytes(TStream* Stream, const std::vector<Byte>& Bytes) {
    if (!Bytes.empty()) Stream->WriteBuffer(Bytes.data(), Int64(Bytes.size()));
}

// The graphic control extension the writers always put before their image: disposal method 2
// ("restore to background"), the transparency flag and index, and the delay.
void WriteGraphicControl(TStream* Stream, const TIOParamsVals& Params, const TIndexedImage& Image) {
    Byte g[8] = {kExtension, kGraphicControl, 4, Byte(8 + (Params.GIFTransparent ? 1 : 0)), 0, 0, 0, 0};
    StoreField(g + 4, Params.GIFDelayTime);
    g[6] = Byte(Image.IndexOf(Params.GIFTranspColor));
    Stream->WriteBuffer(g, sizeof g);
}

void WriteImageDescriptor(TStream* Stream, const TIOParamsVals& Params, TBitmap* Bitmap, Byte Flags) {
    Byte d[10] = {kImage};
    StoreField(d + 1, Params.GIFXPos);
    StoreField(d + 3, Params.GIFYPos);
    StoreField(d + 5, Bitmap->GetWidth());
    StoreField(d + 7, Bitmap->GetHeight());
    d[9] = Flags;
    Stream->WriteBuffer(d, sizeof d);
}

// The LZW data through the parameters' encoder, else the process-wide one. False when there is
// none.
bool WriteImageData(TStream* Stream, const TIOParamsVals& Params, const TIndexedImage& Image) {
    TGIFLZWCompress encode = Params.GIFLZWCompress ? Params.GIFLZWCompress : DefGIFLZWCompress;
    if (!encode) return false;
    encode(Stream, Image.Bitmap()->GetHeight(), Image.Bitmap()->GetWidth(), Params.GIFInterlaced, Image.Indexes(),
           Image.Bits());
    return true;
}

bool FitsAGif(TBitmap* Bitmap) { return ImgCodecSizeOK(Bitmap->GetWidth(), Bitmap->GetHeight()); }

// ---- copying blocks ----------------------------------------------------------------------------

// Copies data sub-blocks up to their terminator. A sub-block cut by the end of the stream is
// written with the length it has and closed with a terminator; the result is then false.
bool CopySubBlocks(TImgStreamReader& In, TStream* Out) {
    Byte block[256];
    for (;;) {
        const Integer n = In.ReadByte();
        if (n <= 0) {
            block[0] = 0;
            if (Out) Out->WriteBuffer(block, 1);
            return n == 0;
        }
        const Int64 got = In.Read(block + 1, n);
        if (got < n) {
            if (Out) {
                block[0] = Byte(got);
                Out->WriteBuffer(block, got + 1);
                if (got > 0) {
                    block[0] = 0;
                    Out->WriteBuffer(block, 1);
                }
            }
            return false;
        }
        block[0] = Byte(n);
        if (Out) Out->WriteBuffer(block, n + 1);
    }
}

// How far copying an image got.
enum class TImageCopy { NoDescriptor, Cut, Whole };

// Copies one image after its 0x2C: descriptor, local colour table, code size and data (Out null:
// skips it).
TImageCopy CopyImage(TImgStreamReader& In, TStream* Out) {
    Byte d[1 + kDescriptorSize] = {kImage};
    if (In.Read(d + 1, kDescriptorSize) < kDescriptorSize) return TImageCopy::NoDescriptor;
    if (Out) Out->WriteBuffer(d, sizeof d);
    if (d[9] & 0x80) {
        std::vector<Byte> table(size_t(TableEntries(d[9])) * 3);
        if (In.Read(table.data(), Int64(table.size())) < Int64(table.size())) return TImageCopy::Cut;
        if (Out) WriteBytes(Out, table);
    }
    const Integer codeSize = In.ReadByte();
    if (codeSize < 0) return TImageCopy::Cut;
    const Byte cs = Byte(codeSize);
    if (Out) Out->WriteBuffer(&cs, 1);
    const bool whole = Out ? CopySubBlocks(In, Out) : In.SkipSubBlocks();
    return whole ? TImageCopy::Whole : TImageCopy::Cut;
}

// Reads a GIF header; false (nothing changed) when the stream does not start with "GIF". On
// success Out gets the header with the version made "89a" and the global colour table.
bool CopyHeader(TImgStreamReader& In, TStream* Out) {
    Byte head[kHeaderSize];
    if (In.Read(head, kHeaderSize) < kHeaderSize || std::memcmp(head, "GIF", 3) != 0) return false;
    if (!Out) {
        if (head[10] & 0x80) In.Skip(Int64(TableEntries(head[10])) * 3);
        return true;
    }
    std::memcpy(head + 3, "89a", 3);
    Out->WriteBuffer(head, kHeaderSize);
    if (head[10] & 0x80) {
        std::vector<Byte> table;
        In.Append(table, Int64(TableEntries(head[10])) * 3);
        table.resize(size_t(TableEntries(head[10])) * 3, 0);
        WriteBytes(Out, table);
    }
    return true;
}

}  // namespace

// ---- reading -----------------------------------------------------------------------------------

namespace {

void DecodeGIF(TStream* Stream, TBitmap* Bitmap, Integer& FrameCount, TIOParamsVals& Params,
               TProgressRec& Progress, bool ParamsOnly) {
    FrameCount = 0;
    ReportPercent(Progress, 0);
    if (Progress.IsAborting()) return;
    TImgStreamReader in(Stream);
    Byte head[kHeaderSize];
    if (in.Read(head, kHeaderSize) < kHeaderSize || std::memcmp(head, "GIF", 3) != 0) {
        in.Sync();
        Progress.Abort();
        return;
    }
    Params.GIFVersion.assign(reinterpret_cast<const char*>(head), 6);
    Params.GIFWinWidth = LoadLE16(head + 6);
    Params.GIFWinHeight = LoadLE16(head + 8);
    Params.GIFRatio = head[12];
    Params.DpiX = ImgDefaultDpiX();
    Params.DpiY = ImgDefaultDpiY();
    Params.SamplesPerPixel = 1;
    const Byte screenFlags = head[10];
    TColourTable global;
    if (screenFlags & 0x80) {
        global = ReadColourTable(in, TableEntries(screenFlags));
        Params.GIFBackground = EntryOrBlack(global.Entries, head[11]);
    }
    if (in.AtEnd()) Progress.Abort();

    const Integer wanted = Params.GIFImageIndex;
    TGraphicControl control;
    auto onExtension = [&](Byte Label) {
        if (Label == kGraphicControl && FrameCount == wanted)
            control = ReadGraphicControl(in);
        else
            in.SkipSubBlocks();
        return true;
    };
    auto onImage = [&] {
        Byte d[kDescriptorSize];
        if (in.Read(d, kDescriptorSize) < kDescriptorSize) return false;
        TColourTable local;
        if (d[8] & 0x80) local = ReadColourTable(in, TableEntries(d[8]));
        if (FrameCount != wanted) {
            in.Skip(1);
            in.SkipSubBlocks();
            ++FrameCount;
            return true;
        }

        ReportPercent(Progress, 30);
        if (Progress.IsAborting()) return false;
        // The frame's palette: its own table, else the global one, else a grey ramp of the size
        // the screen flags give.
        const Byte tableFlags = local.Present ? d[8] : screenFlags;
        const Integer bits = (tableFlags & 7) + 1;
        std::vector<TImgRGB> palette =
            local.Present ? local.Entries : (global.Present ? global.Entries : GreyRamp(1 << bits));
        const Integer width = LoadLE16(d + 4), height = LoadLE16(d + 6);
        const bool interlaced = (d[8] & 0x40) != 0;
        Params.GIFTranspColor = EntryOrBlack(palette, control.Transparent);
        Params.GIFXPos = LoadLE16(d);
        Params.GIFYPos = LoadLE16(d + 2);
        Params.Width = width;
        Params.Height = height;
        Params.GIFDelayTime = control.Delay;
        Params.GIFTransparent = (control.Packed & 1) != 0;
        Params.GIFInterlaced = interlaced;

        std::vector<Byte> indexes;
        if (ParamsOnly) {
            in.Skip(1);
            in.SkipSubBlocks();
        } else {
            const Int64 pixels = Int64(width) * height;
            TGIFLZWDecompress decode = Params.GIFLZWDecompress ? Params.GIFLZWDecompress : DefGIFLZWDecompress;
            if ((pixels > 0 && !ImgCodecSizeOK(width, height)) || !decode) {
                Progress.Abort();
                return false;
            }
            indexes.assign(size_t(pixels), 0);
            in.Sync();
            const Int64 before = Stream->GetPosition();
            decode(Stream, height, width, interlaced, indexes.data());
            if (Stream->GetPosition() == before) {
                Progress.Abort();
                return false;
            }
            in.Restart();
            ReportPercent(Progress, 70);
            if (Progress.IsAborting()) return false;
        }

        Params.BitsPerSample = bits;
        palette.resize(size_t(1) << bits);
        const bool blackWhite = bits == 1 && palette[0] == ImgRGB(0, 0, 0) && palette[1] == ImgRGB(255, 255, 255);
        Params.Palette = palette;
        if (!ParamsOnly) IndexesToBitmap(indexes, width, height, palette, blackWhite, Bitmap);
        ++FrameCount;
        return true;
    };
    ForEachBlock(in, Progress, onExtension, onImage);
    in.Sync();
    if (!Progress.IsAborting()) ReportPercent(Progress, 100);
}

}  // namespace

void GIFDecodeStream(TStream* Stream, TBitmap* Bitmap, Integer& FrameCount, TIOParamsVals& Params,
                     TProgressRec& Progress, bool ParamsOnly) {
    try {
        DecodeGIF(Stream, Bitmap, FrameCount, Params, Progress, ParamsOnly);
    } catch (...) {
        Progress.Abort();
    }
}

void GIFDecodeFile(const std::string& FileName, TBitmap* Bitmap, Integer& FrameCount,
                   TIOParamsVals& Params, TProgressRec& Progress) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    GIFDecodeStream(&stream, Bitmap, FrameCount, Params, Progress, false);
}

bool GIFFrameLayout(TStream* Stream, Int64& HeaderEnd, std::vector<Int64>& FrameBounds) {
    FrameBounds.clear();
    const Int64 start = Stream->GetPosition();
    bool gif = false;
    try {
        TImgStreamReader in(Stream);
        gif = CopyHeader(in, nullptr);
        if (gif) {
            HeaderEnd = in.GetPosition();
            FrameBounds.push_back(HeaderEnd);
            ForEachBlock(
                in, ImgSilentProgress(),
                [&](Byte) {
                    in.SkipSubBlocks();
                    return true;
                },
                [&] {
                    const TImageCopy copied = CopyImage(in, nullptr);
                    if (copied == TImageCopy::NoDescriptor) return false;
                    FrameBounds.push_back(in.GetPosition());
                    return copied == TImageCopy::Whole;
                });
        }
    } catch (...) {
        gif = false;
    }
    Stream->SetPosition(start);
    return gif;
}

// ---- writing -----------------------------------------------------------------------------------

namespace {

void EncodeGIF(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    ReportPercent(Progress, 0);
    if (Progress.IsAborting()) return;
    if (!FitsAGif(Bitmap)) {
        Progress.Abort();
        return;
    }
    const TIndexedImage image(Bitmap, GifBits(Bitmap, Params.BitsPerSample, false));
    ReportPercent(Progress, 30);
    if (Progress.IsAborting()) return;

    const Integer b = image.Bits();
    Byte head[kHeaderSize] = {};
    // The version read last (a name that is no GIF version writes as "GIF89a").
    const bool known = Params.GIFVersion.size() >= 6 && Params.GIFVersion.compare(0, 3, "GIF") == 0;
    std::memcpy(head, known ? Params.GIFVersion.data() : "GIF89a", 6);
    StoreField(head + 6, Bitmap->GetWidth());
    StoreField(head + 8, Bitmap->GetHeight());
    head[10] = Byte(0x80 + (b - 1) * 16 + (b - 1));
    head[11] = Byte(image.IndexOf(Params.GIFBackground));
    head[12] = 0;
    Stream->WriteBuffer(head, kHeaderSize);
    WriteBytes(Stream, image.ColourTable());
    WriteGraphicControl(Stream, Params, image);
    WriteImageDescriptor(Stream, Params, Bitmap, Params.GIFInterlaced ? 0x40 : 0);
    ReportPercent(Progress, 70);
    if (Progress.IsAborting()) return;
    if (!WriteImageData(Stream, Params, image)) {
        Progress.Abort();
        return;
    }
    Stream->WriteBuffer(&kTrailer, 1);
    ReportPercent(Progress, 100);
}

}  // namespace

void GIFEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    try {
        EncodeGIF(Stream, Bitmap, Params, Progress);
    } catch (...) {
        Progress.Abort();
    }
}

void GIFEncodeFile(const std::string& FileName, TBitmap* Bitmap, TIOParamsVals& Params,
                   TProgressRec& Progress) {
    TFileStream stream(FileName, fmCreate);
    stream.SetSize(0);
    GIFEncodeStream(&stream, Bitmap, Params, Progress);
}

void GIFEncodeFrame(TStream* Stream, TBitmap* Bitmap, Integer BitsPerPixel, TIOParamsVals& Params,
                    TProgressRec& Progress) {
    const TIndexedImage image(Bitmap, BitsPerPixel < 1 ? 1 : (BitsPerPixel > 8 ? 8 : BitsPerPixel));
    WriteGraphicControl(Stream, Params, image);
    WriteImageDescriptor(Stream, Params, Bitmap, Byte(0x80 + (Params.GIFInterlaced ? 0x40 : 0) + (image.Bits() - 1)));
    WriteBytes(Stream, image.ColourTable());
    if (!WriteImageData(Stream, Params, image)) Progress.Abort();
}

namespace {

Integer InsertFrame(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    ReportPercent(Progress, 0);
    if (Progress.IsAborting()) return 0;
    const Int64 start = Stream->GetPosition();
    const Integer target = Params.GIFImageIndex < 0 ? 0 : Params.GIFImageIndex;
    TImgStreamReader in(Stream);
    TMemoryStream out;
    if (!CopyHeader(in, &out)) {
        Stream->SetPosition(start);
        if (Progress.Aborting) *Progress.Aborting = false;
        return 0;
    }
    if (!FitsAGif(Bitmap)) {
        Stream->SetPosition(start);
        Progress.Abort();
        return 0;
    }
    const Integer bits = GifBits(Bitmap, Params.BitsPerSample, true);
    ReportPercent(Progress, 30);

    Integer frames = 0;
    bool inserted = false;
    auto insert = [&] {
        GIFEncodeFrame(&out, Bitmap, bits, Params, Progress);
        inserted = true;
        ++frames;
    };
    auto onExtension = [&](Byte Label) {
        if (Label == kGraphicControl && !inserted && frames == target) insert();
        const Byte head[2] = {kExtension, Label};
        out.WriteBuffer(head, 2);
        return CopySubBlocks(in, &out);
    };
    auto onImage = [&] {
        if (!inserted && frames == target) insert();
        if (CopyImage(in, &out) != TImageCopy::Whole) {
            Progress.Abort();
            return false;
        }
        ++frames;
        if (!inserted && frames == target) insert();
        return true;
    };
    ForEachBlock(in, Progress, onExtension, onImage);
    if (!inserted && !Progress.IsAborting()) insert();
    if (Progress.IsAborting()) {
        Stream->SetPosition(start);
        return 0;
    }
    out.WriteBuffer(&kTrailer, 1);
    Stream->SetPosition(start);
    Stream->WriteBuffer(out.GetMemory(), out.GetSize());
    Stream->SetSize(start + out.GetSize());
    ReportPercent(Progress, 100);
    return frames;
}

}  // namespace

Integer GIFInsertFrame(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    try {
        return InsertFrame(Stream, Bitmap, Params, Progress);
    } catch (...) {
        Progress.Abort();
        return 0;
    }
}

Integer GIFDeleteFrame(const std::string& FileName, Integer Index, bool Save) {
    TMemoryStream copy;
    TStream* out = Save ? &copy : nullptr;
    Integer frames = 0;
    bool complete = true;
    {
        TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
        TImgStreamReader in(&file);
        if (!CopyHeader(in, out)) return 0;
        Integer image = 0;
        auto onExtension = [&](Byte Label) {
            TStream* to = Label == kGraphicControl && image == Index ? nullptr : out;
            if (to) {
                const Byte head[2] = {kExtension, Label};
                to->WriteBuffer(head, 2);
            }
            return CopySubBlocks(in, to);
        };
        auto onImage = [&] {
            const bool drop = image == Index;
            const TImageCopy copied = CopyImage(in, drop ? nullptr : out);
            complete = copied == TImageCopy::Whole;
            if (copied == TImageCopy::NoDescriptor) return false;
            ++image;
            if (!drop) ++frames;
            return complete;
        };
        ForEachBlock(in, ImgSilentProgress(), onExtension, onImage);
    }
    if (Save && complete) {
        copy.WriteBuffer(&kTrailer, 1);
        WriteFileAtomically(FileName, std::string_view(static_cast<const char*>(copy.GetMemory()),
                                                       size_t(copy.GetSize())));
    }
    return frames;
}
