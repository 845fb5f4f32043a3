#include "imaging/formats/gif_codec.h"

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/atomic_file.h"
#include "imaging/bitmap_routines.h"
#include "imaging/formats/stream_reader.h"
#include "imaging/quantizer.h"

namespace {

constexpr Byte kExtension = 0x21;
constexpr Byte kImage = 0x2C;
constexpr Byte kTrailer = 0x3B;
constexpr Byte kGraphicControl = 0xF9;
constexpr Integer kHeaderSize = 13;
constexpr Integer kDescriptorSize = 9;  // after the 0x2C
// Frames above this many pixels are refused (their bitmap alone would pass 750 MB).
constexpr Int64 kMaxFramePixels = Int64(1) << 28;

void ReportPercent(const TProgressRec& Progress, Integer Percent) {
    if (Progress.OnProgress) Progress.OnProgress(Progress.Sender, Percent);
}

Integer Le16(const Byte* p) { return Integer(p[0] | (p[1] << 8)); }

void PutLe16(Byte* p, Integer v) {
    const Integer c = v < 0 ? 0 : (v > 0xFFFF ? 0xFFFF : v);
    p[0] = Byte(c);
    p[1] = Byte(c >> 8);
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
    g.Delay = Le16(data + 1);
    g.Transparent = data[3];
    In.SkipSubBlocks();
    return g;
}

// ---- writing --------------------------------------------------------------------------------------

// The image to write and its bits per pixel.
struct TWorkingImage {
    TBitmap* Bitmap = nullptr;
    std::unique_ptr<TBitmap> Owned;
    Integer Bits = 8;
};

// BitsPerSample held within 1..8. One bit: the bitmap itself when 1-bit, else its 1-bit form when
// it has exactly two colours, else (unless KeepColour) a copy dithered to black and white; with
// KeepColour such a bitmap stays 24-bit with 8 bits. More bits: the 24-bit bitmap, or the 24-bit
// expansion of a 1-bit one.
TWorkingImage ChooseWorkingImage(TBitmap* Bitmap, Integer BitsPerSample, bool KeepColour) {
    TWorkingImage w;
    w.Bits = BitsPerSample < 1 ? 1 : (BitsPerSample > 8 ? 8 : BitsPerSample);
    const bool oneBit = Bitmap->GetPixelFormat() == pf1bit;
    if (w.Bits == 1) {
        TImgRGB c0, c1;
        if (oneBit) {
            w.Bitmap = Bitmap;
        } else if (TBitmap* two = TryConvertTo1Bit(Bitmap, c0, c1)) {
            w.Owned.reset(two);
        } else if (KeepColour) {
            w.Bitmap = Bitmap;
            w.Bits = 8;
        } else {
            w.Owned.reset(CloneBitmap(Bitmap));
            DitherTo1BitOrdered(w.Owned.get());
        }
    } else if (oneBit) {
        w.Owned.reset(new TBitmap());
        Expand1BitTo24Bit(Bitmap, w.Owned.get());
    } else {
        w.Bitmap = Bitmap;
    }
    if (w.Owned) w.Bitmap = w.Owned.get();
    return w;
}

// A working image as colour indexes with its palette of 2^Bits entries.
class TIndexedImage {
public:
    TIndexedImage(TBitmap* Working, Integer Bits) : FBits(Bits) {
        const Integer w = Working->GetWidth(), h = Working->GetHeight();
        FPalette.assign(size_t(1) << Bits, TImgRGB{});
        FIndexes.assign(size_t(w > 0 ? w : 0) * size_t(h > 0 ? h : 0), 0);
        if (Working->GetPixelFormat() == pf1bit) {
            FPalette[1] = ImgRGB(255, 255, 255);
            for (Integer y = 0; y < h; ++y) {
                const auto* row = static_cast<const Byte*>(Working->ScanLine(y));
                Byte* out = FIndexes.data() + Int64(y) * w;
                for (Integer x = 0; x < w; ++x) out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
            }
            return;
        }
        FQuantizer.reset(new TImgQuantizer(Working, FPalette.data(), Integer(FPalette.size())));
        for (Integer y = 0; y < h; ++y) {
            const auto* row = static_cast<const TImgRGB*>(Working->ScanLine(y));
            Byte* out = FIndexes.data() + Int64(y) * w;
            Cardinal lastColour = 0xFFFFFFFFu;  // no colour packs to this
            Byte lastIndex = 0;
            for (Integer x = 0; x < w; ++x) {
                const Cardinal c = ImgPackRGB(row[x]);
                if (c != lastColour) {
                    lastColour = c;
                    lastIndex = Byte(FQuantizer->RGBToIndex(c));
                }
                out[x] = lastIndex;
            }
        }
    }

    Integer IndexOf(const TImgRGB& Colour) const {
        if (FQuantizer) return FQuantizer->RGBToIndex(ImgPackRGB(Colour));
        return NearestPaletteIndex(FPalette.data(), Integer(FPalette.size()), ImgPackRGB(Colour));
    }
    // The palette as a GIF colour table: red, green, blue per entry.
    std::vector<Byte> ColourTable() const {
        std::vector<Byte> t;
        t.reserve(FPalette.size() * 3);
        for (const TImgRGB& c : FPalette) t.insert(t.end(), {c.r, c.g, c.b});
        return t;
    }
    const Byte* Indexes() const { return FIndexes.data(); }
    Integer Bits() const { return FBits; }

private:
    Integer FBits;
    std::vector<TImgRGB> FPalette;
    std::vector<Byte> FIndexes;
    std::unique_ptr<TImgQuantizer> FQuantizer;
};

void WriteBytes(TStream* Stream, const std::vector<Byte>& Bytes) {
    if (!Bytes.empty()) Stream->WriteBuffer(Bytes.data(), Int64(Bytes.size()));
}

// The graphic control extension the writers always put before their image: disposal method 2
// ("restore to background"), the transparency flag and index, and the delay.
void WriteGraphicControl(TStream* Stream, const TIOParamsVals& Params, const TIndexedImage& Image) {
    Byte g[8] = {kExtension, kGraphicControl, 4, Byte(8 + (Params.GIFTransparent ? 1 : 0)), 0, 0, 0, 0};
    PutLe16(g + 4, Params.GIFDelayTime);
    g[6] = Byte(Image.IndexOf(Params.GIFTranspColor));
    Stream->WriteBuffer(g, sizeof g);
}

void WriteImageDescriptor(TStream* Stream, const TIOParamsVals& Params, TBitmap* Bitmap, Byte Flags) {
    Byte d[10] = {kImage};
    PutLe16(d + 1, Params.GIFXPos);
    PutLe16(d + 3, Params.GIFYPos);
    PutLe16(d + 5, Bitmap->GetWidth());
    PutLe16(d + 7, Bitmap->GetHeight());
    d[9] = Flags;
    Stream->WriteBuffer(d, sizeof d);
}

// The LZW data through the parameters' encoder, else the process-wide one. False when there is
// none.
bool WriteImageData(TStream* Stream, TBitmap* Bitmap, const TIOParamsVals& Params, const TIndexedImage& Image) {
    TGIFLZWCompress encode = Params.GIFLZWCompress ? Params.GIFLZWCompress : DefGIFLZWCompress;
    if (!encode) return false;
    encode(Stream, Bitmap->GetHeight(), Bitmap->GetWidth(), Params.GIFInterlaced, Image.Indexes(),
           Image.Bits());
    return true;
}

bool FitsAGif(TBitmap* Bitmap) {
    return Bitmap->GetWidth() > 0 && Bitmap->GetHeight() > 0 && Bitmap->GetWidth() <= 0xFFFF &&
           Bitmap->GetHeight() <= 0xFFFF;
}

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

void GIFDecodeStream(TStream* Stream, TBitmap* Bitmap, Integer& FrameCount, TIOParamsVals& Params,
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
    Params.GIFWinWidth = Le16(head + 6);
    Params.GIFWinHeight = Le16(head + 8);
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
    while (!Progress.IsAborting()) {
        const Integer block = in.ReadByte();
        if (block < 0 || block == kTrailer) break;
        if (block == kExtension) {
            const Integer label = in.ReadByte();
            if (label < 0) break;
            if (label == kGraphicControl && FrameCount == wanted)
                control = ReadGraphicControl(in);
            else
                in.SkipSubBlocks();
            continue;
        }
        if (block != kImage) continue;

        Byte d[kDescriptorSize];
        if (in.Read(d, kDescriptorSize) < kDescriptorSize) break;
        TColourTable local;
        if (d[8] & 0x80) local = ReadColourTable(in, TableEntries(d[8]));
        if (FrameCount != wanted) {
            in.Skip(1);
            in.SkipSubBlocks();
            ++FrameCount;
            continue;
        }

        ReportPercent(Progress, 30);
        if (Progress.IsAborting()) break;
        // The frame's palette: its own table, else the global one, else a grey ramp of the size
        // the screen flags give.
        const Byte tableFlags = local.Present ? d[8] : screenFlags;
        const Integer bits = (tableFlags & 7) + 1;
        std::vector<TImgRGB> palette =
            local.Present ? local.Entries : (global.Present ? global.Entries : GreyRamp(1 << bits));
        const Integer width = Le16(d + 4), height = Le16(d + 6);
        const bool interlaced = (d[8] & 0x40) != 0;
        Params.GIFTranspColor = EntryOrBlack(palette, control.Transparent);
        Params.GIFXPos = Le16(d);
        Params.GIFYPos = Le16(d + 2);
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
            if (pixels > kMaxFramePixels || !decode) {
                Progress.Abort();
                break;
            }
            indexes.assign(size_t(pixels), 0);
            in.Sync();
            const Int64 before = Stream->GetPosition();
            decode(Stream, height, width, interlaced, indexes.data());
            if (Stream->GetPosition() == before) {
                Progress.Abort();
                break;
            }
            in.Restart();
            ReportPercent(Progress, 70);
            if (Progress.IsAborting()) break;
        }

        Params.BitsPerSample = bits;
        palette.resize(size_t(1) << bits);
        const bool blackWhite = bits == 1 && palette[0] == ImgRGB(0, 0, 0) && palette[1] == ImgRGB(255, 255, 255);
        Params.Palette = palette;
        if (!ParamsOnly) IndexesToBitmap(indexes, width, height, palette, blackWhite, Bitmap);
        ++FrameCount;
    }
    in.Sync();
    if (!Progress.IsAborting()) ReportPercent(Progress, 100);
}

void GIFDecodeFile(const std::string& FileName, TBitmap* Bitmap, Integer& FrameCount,
                   TIOParamsVals& Params, TProgressRec& Progress) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    GIFDecodeStream(&stream, Bitmap, FrameCount, Params, Progress, false);
}

// ---- writing -----------------------------------------------------------------------------------

void GIFEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    ReportPercent(Progress, 0);
    if (Progress.IsAborting()) return;
    if (!FitsAGif(Bitmap)) {
        Progress.Abort();
        return;
    }
    TWorkingImage working = ChooseWorkingImage(Bitmap, Params.BitsPerSample, false);
    TIndexedImage image(working.Bitmap, working.Bits);
    ReportPercent(Progress, 30);
    if (Progress.IsAborting()) return;

    const Integer b = working.Bits;
    Byte head[kHeaderSize] = {};
    // The version read last (a name that is no GIF version writes as "GIF89a").
    const bool known = Params.GIFVersion.size() >= 6 && Params.GIFVersion.compare(0, 3, "GIF") == 0;
    const std::string version = known ? Params.GIFVersion.substr(0, 6) : std::string("GIF89a");
    std::memcpy(head, version.data(), 6);
    PutLe16(head + 6, Bitmap->GetWidth());
    PutLe16(head + 8, Bitmap->GetHeight());
    head[10] = Byte(0x80 + (b - 1) * 16 + (b - 1));
    head[11] = Byte(image.IndexOf(Params.GIFBackground));
    head[12] = 0;
    Stream->WriteBuffer(head, kHeaderSize);
    WriteBytes(Stream, image.ColourTable());
    WriteGraphicControl(Stream, Params, image);
    WriteImageDescriptor(Stream, Params, working.Bitmap, Params.GIFInterlaced ? 0x40 : 0);
    ReportPercent(Progress, 70);
    if (Progress.IsAborting()) return;
    if (!WriteImageData(Stream, working.Bitmap, Params, image)) {
        Progress.Abort();
        return;
    }
    Stream->WriteBuffer(&kTrailer, 1);
    ReportPercent(Progress, 100);
}

void GIFEncodeFile(const std::string& FileName, TBitmap* Bitmap, TIOParamsVals& Params,
                   TProgressRec& Progress) {
    TFileStream stream(FileName, fmCreate);
    stream.SetSize(0);
    GIFEncodeStream(&stream, Bitmap, Params, Progress);
}

void GIFEncodeFrame(TStream* Stream, TBitmap* Working, Integer BitsPerPixel, TIOParamsVals& Params,
                    TProgressRec& Progress) {
    TIndexedImage image(Working, BitsPerPixel);
    WriteGraphicControl(Stream, Params, image);
    WriteImageDescriptor(Stream, Params, Working,
                         Byte(0x80 + (Params.GIFInterlaced ? 0x40 : 0) + (BitsPerPixel - 1)));
    WriteBytes(Stream, image.ColourTable());
    if (!WriteImageData(Stream, Working, Params, image)) Progress.Abort();
}

Integer GIFInsertFrame(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
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
    TWorkingImage working = ChooseWorkingImage(Bitmap, Params.BitsPerSample, true);
    ReportPercent(Progress, 30);

    Integer frames = 0;
    bool inserted = false;
    auto insert = [&] {
        GIFEncodeFrame(&out, working.Bitmap, working.Bits, Params, Progress);
        inserted = true;
        ++frames;
    };
    while (!Progress.IsAborting()) {
        const Integer block = in.ReadByte();
        if (block < 0 || block == kTrailer) break;
        if (block == kExtension) {
            const Integer label = in.ReadByte();
            if (label < 0) break;
            if (label == kGraphicControl && !inserted && frames == target) insert();
            const Byte head[2] = {kExtension, Byte(label)};
            out.WriteBuffer(head, 2);
            if (!CopySubBlocks(in, &out)) break;
            continue;
        }
        if (block != kImage) continue;
        if (!inserted && frames == target) insert();
        if (CopyImage(in, &out) != TImageCopy::Whole) {
            Progress.Abort();
            break;
        }
        ++frames;
        if (!inserted && frames == target) insert();
    }
    if (Progress.IsAborting()) {
        Stream->SetPosition(start);
        return 0;
    }
    if (!inserted) insert();
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

Integer GIFDeleteFrame(const std::string& FileName, Integer Index, bool Save) {
    TMemoryStream copy;
    TStream* out = Save ? &copy : nullptr;
    Integer frames = 0;
    bool complete = true;
    {
        TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
        TImgStreamReader in(&file);
        if (!CopyHeader(in, out)) return 0;
        for (Integer image = 0;;) {
            const Integer block = in.ReadByte();
            if (block < 0 || block == kTrailer) break;
            if (block == kExtension) {
                const Integer label = in.ReadByte();
                if (label < 0) break;
                const bool drop = label == kGraphicControl && image == Index;
                TStream* to = drop ? nullptr : out;
                if (to) {
                    const Byte head[2] = {kExtension, Byte(label)};
                    to->WriteBuffer(head, 2);
                }
                if (!CopySubBlocks(in, to)) break;
                continue;
            }
            if (block != kImage) continue;
            const bool drop = image == Index;
            const TImageCopy copied = CopyImage(in, drop ? nullptr : out);
            if (copied == TImageCopy::NoDescriptor) {
                complete = false;
                break;
            }
            ++image;
            if (!drop) ++frames;
            if (copied == TImageCopy::Cut) {
                complete = false;
                break;
            }
        }
    }
    if (Save && complete) {
        copy.WriteBuffer(&kTrailer, 1);
        WriteFileAtomically(FileName, std::string_view(static_cast<const char*>(copy.GetMemory()),
                                                       size_t(copy.GetSize())));
    }
    return frames;
}
