#include "imaging/formats/tiff_codec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "imaging/bitmap_rows.h"
#include "imaging/formats/ccitt_codec.h"
#include "imaging/formats/codec_support.h"
#include "imaging/img_utils.h"

// Offsets in a TIFF count from the stream position where its header starts, on reading and on
// writing, so a TIFF after a stream header reads and writes like a file of its own.

namespace {

enum : Word {
    tagImageWidth = 256,
    tagImageLength = 257,
    tagBitsPerSample = 258,
    tagCompression = 259,
    tagPhotometric = 262,
    tagFillOrder = 266,
    tagDocumentName = 269,
    tagImageDescription = 270,
    tagStripOffsets = 273,
    tagSamplesPerPixel = 277,
    tagRowsPerStrip = 278,
    tagStripByteCounts = 279,
    tagXResolution = 282,
    tagYResolution = 283,
    tagPlanarConfiguration = 284,
    tagPageName = 285,
    tagXPosition = 286,
    tagYPosition = 287,
    tagT4Options = 292,
    tagResolutionUnit = 296,
    tagPageNumber = 297,
    tagSoftware = 305,
    tagPredictor = 317,
    tagColorMap = 320,
    tagTileWidth = 322,
    tagTileLength = 323,
};

enum : Word { ftByte = 1, ftAscii = 2, ftShort = 3, ftLong = 4, ftRational = 5 };

enum : Integer {
    cmNone = 1,
    cmHuffman = 2,
    cmGroup3 = 3,
    cmGroup4 = 4,
    cmLZW = 5,
    cmPackBits = 32773,
};

enum : Integer { phWhiteIsZero = 0, phBlackIsZero = 1, phRGB = 2, phPalette = 3, phCMYK = 5, phCIELab = 8 };

// Bytes of one value of a field type (0 for types this codec does not know).
Integer TypeSize(Word Type) {
    switch (Type) {
    case 1: case 2: case 6: case 7: return 1;
    case 3: case 8: return 2;
    case 4: case 9: case 11: return 4;
    case 5: case 10: case 12: return 8;
    default: return 0;
    }
}

// ---- reading -----------------------------------------------------------------------------------

// The TIFF in the stream from Base on, in its byte order.
class TTiffFile {
public:
    TTiffFile(TStream* Stream, Int64 Base) : FStream(Stream), FBase(Base), FSize(Stream->GetSize() - Base) {}

    bool BigEndian = false;
    Int64 Size() const { return FSize; }

    // Reads Count bytes at Offset; false (nothing read) when they are not all in the file.
    bool ReadAt(Int64 Offset, void* Dest, Int64 Count) {
        if (Offset < 0 || Count < 0 || Offset + Count > FSize) return false;
        FStream->SetPosition(FBase + Offset);
        return FStream->Read(Dest, Count) == Count;
    }
    // Up to Count bytes at Offset (fewer at the end of the file), with room for Spare bytes more.
    std::vector<Byte> ReadUpTo(Int64 Offset, Int64 Count, size_t Spare = 0) {
        std::vector<Byte> data;
        if (Offset < 0 || Offset >= FSize || Count <= 0) return data;
        const size_t n = size_t(std::min(Count, FSize - Offset));
        data.reserve(n + Spare);
        data.resize(n);
        FStream->SetPosition(FBase + Offset);
        data.resize(size_t(std::max<Int64>(FStream->Read(data.data(), Int64(data.size())), 0)));
        return data;
    }

    Word U16(const Byte* p) const { return BigEndian ? Word((p[0] << 8) | p[1]) : LoadLE16(p); }
    Cardinal U32(const Byte* p) const {
        return BigEndian ? (Cardinal(p[0]) << 24) | (Cardinal(p[1]) << 16) | (Cardinal(p[2]) << 8) | p[3]
                         : LoadLE32(p);
    }

private:
    TStream* FStream;
    Int64 FBase;
    Int64 FSize;
};

struct TEntry {
    Word Tag = 0;
    Word Type = 0;
    Cardinal Count = 0;
    Byte Value[4] = {};
};

// The values of entries. Values that fit into the entry's four bytes are there (the first one at
// the start of the field); longer ones are at the offset the field holds.
class TEntryReader {
public:
    explicit TEntryReader(TTiffFile& File) : FFile(File) {}

    // Up to Limit numbers of a BYTE, SHORT or LONG entry (fewer when the file ends first).
    std::vector<Cardinal> Numbers(const TEntry& E, Int64 Limit) {
        std::vector<Cardinal> out;
        const Integer size = TypeSize(E.Type);
        if (size == 0 || size > 4) return out;
        const Int64 count = std::min<Int64>(E.Count, Limit);
        const std::vector<Byte> raw = Raw(E, count * size);
        out.reserve(raw.size() / size_t(size));
        for (size_t at = 0; at + size_t(size) <= raw.size(); at += size_t(size))
            out.push_back(size == 1 ? raw[at] : (size == 2 ? FFile.U16(&raw[at]) : FFile.U32(&raw[at])));
        return out;
    }
    Cardinal Number(const TEntry& E, Cardinal Default) {
        const std::vector<Cardinal> v = Numbers(E, 1);
        return v.empty() ? Default : v[0];
    }
    // A RATIONAL (a zero denominator counts as 1); Default when the entry is no RATIONAL.
    double Rational(const TEntry& E, double Default) {
        if (E.Type != ftRational || E.Count < 1) return Default;
        const std::vector<Byte> raw = Raw(E, 8);
        if (raw.size() < 8) return Default;
        const Cardinal num = FFile.U32(raw.data()), den = FFile.U32(raw.data() + 4);
        return double(num) / double(den == 0 ? 1 : den);
    }
    // An ASCII entry up to its first zero.
    std::string Text(const TEntry& E) {
        const std::vector<Byte> raw = Raw(E, std::min<Int64>(E.Count, 65536));
        std::string s(raw.begin(), raw.end());
        const size_t zero = s.find('\0');
        return zero == std::string::npos ? s : s.substr(0, zero);
    }

private:
    std::vector<Byte> Raw(const TEntry& E, Int64 Bytes) {
        const Int64 total = Int64(E.Count) * TypeSize(E.Type);
        if (total <= 4) return std::vector<Byte>(E.Value, E.Value + std::min<Int64>(Bytes, total));
        return FFile.ReadUpTo(FFile.U32(E.Value), Bytes);
    }

    TTiffFile& FFile;
};

// What a page's directory says.
struct TTiffVars {
    Int64 Width = 0;
    Int64 Height = 0;
    Integer Samples = 1;
    Integer Bits = 1;
    bool UnequalBits = false;
    Int64 RowsPerStrip = 0;  // 0: the image length
    Int64 TileWidth = -1;
    Int64 TileLength = -1;
    Integer Photometric = phRGB;
    Integer Planar = 1;
    Integer Compression = cmNone;
    Integer Predictor = 1;
    Integer ResolutionUnit = 2;
    double XResolution = 0;
    double YResolution = 0;
    double XPosition = 0;
    double YPosition = 0;
    Cardinal T4Options = 0;
    Integer FillOrder = 1;
    std::string DocumentName, ImageDescription, PageName, Software;
    Integer PageNumber = 0;
    Integer TotalPages = 0;
    std::vector<Cardinal> StripOffsets, StripByteCounts;
    std::vector<Cardinal> ColorMap;  // 3 x 2^bits values when present
    bool HasColorMap = false;
};

TTiffVars ReadVars(TTiffFile& File, const std::vector<TEntry>& Entries) {
    TTiffVars v;
    TEntryReader r(File);
    // Arrays are never longer than the file could hold.
    const Int64 most = File.Size() / 2 + 1;
    for (const TEntry& e : Entries) {
        switch (e.Tag) {
        case tagImageWidth: v.Width = r.Number(e, 0); break;
        case tagImageLength: v.Height = r.Number(e, 0); break;
        case tagSamplesPerPixel: v.Samples = Integer(std::min<Cardinal>(r.Number(e, 1), 65535)); break;
        case tagBitsPerSample: {
            const std::vector<Cardinal> bits = r.Numbers(e, 65535);
            if (!bits.empty()) v.Bits = Integer(std::min<Cardinal>(bits[0], 65535));
            for (Cardinal b : bits)
                if (b != bits[0]) v.UnequalBits = true;
            break;
        }
        case tagRowsPerStrip: {
            const Cardinal rows = r.Number(e, 0);
            v.RowsPerStrip = rows == 0xFFFFFFFFu ? 0 : rows;
            break;
        }
        case tagTileWidth: v.TileWidth = r.Number(e, 0); break;
        case tagTileLength: v.TileLength = r.Number(e, 0); break;
        case tagPhotometric: v.Photometric = Integer(r.Number(e, phRGB)); break;
        case tagPlanarConfiguration: v.Planar = Integer(r.Number(e, 1)); break;
        case tagCompression: v.Compression = Integer(r.Number(e, cmNone)); break;
        case tagPredictor: v.Predictor = Integer(r.Number(e, 1)); break;
        case tagResolutionUnit: v.ResolutionUnit = Integer(r.Number(e, 2)); break;
        case tagXResolution: v.XResolution = r.Rational(e, 0); break;
        case tagYResolution: v.YResolution = r.Rational(e, 0); break;
        case tagXPosition: v.XPosition = r.Rational(e, 0); break;
        case tagYPosition: v.YPosition = r.Rational(e, 0); break;
        case tagT4Options: v.T4Options = r.Number(e, 0); break;
        case tagFillOrder: v.FillOrder = Integer(r.Number(e, 1)); break;
        case tagDocumentName: v.DocumentName = r.Text(e); break;
        case tagImageDescription: v.ImageDescription = r.Text(e); break;
        case tagPageName: v.PageName = r.Text(e); break;
        case tagSoftware: v.Software = r.Text(e); break;
        case tagPageNumber: {
            const std::vector<Cardinal> n = r.Numbers(e, 2);
            v.PageNumber = n.size() > 0 ? Integer(n[0]) : 0;
            v.TotalPages = n.size() > 1 ? Integer(n[1]) : 0;
            break;
        }
        case tagStripOffsets: v.StripOffsets = r.Numbers(e, most); break;
        case tagStripByteCounts: v.StripByteCounts = r.Numbers(e, most); break;
        case tagColorMap:
            v.ColorMap = r.Numbers(e, 3 * 65536);
            v.HasColorMap = true;
            break;
        default: break;
        }
    }
    return v;
}

// The colour map as a palette of 2^bits entries (at most 65536), each component the high byte of
// its 16-bit value; entries the map does not hold are black.
std::vector<TImgRGB> PaletteOf(const TTiffVars& V) {
    const size_t n = size_t(1) << std::min(std::max(V.Bits, 0), 16);
    std::vector<TImgRGB> p(n);
    const std::vector<Cardinal>& m = V.ColorMap;
    for (size_t i = 0; i < n; ++i) {
        auto at = [&](size_t k) { return k < m.size() ? Byte(m[k] >> 8) : Byte(0); };
        p[i] = ImgRGB(at(i), at(n + i), at(2 * n + i));
    }
    return p;
}

// ---- strips ------------------------------------------------------------------------------------

// PackBits data read across rows: a run or literal block may go on into the next row.
class TPackBitsReader {
public:
    TPackBitsReader(const Byte* Data, size_t Size) : FData(Data), FSize(Size) {}

    void Read(Byte* Out, size_t Count) {
        size_t done = 0;
        while (done < Count) {
            if (FRepeat > 0) {
                const size_t n = std::min(FRepeat, Count - done);
                std::memset(Out + done, FValue, n);
                FRepeat -= n;
                done += n;
                continue;
            }
            if (FLiteral > 0) {
                const size_t n = std::min({FLiteral, Count - done, FSize - FPos});
                if (n == 0) break;
                std::memcpy(Out + done, FData + FPos, n);
                FPos += n;
                FLiteral -= n;
                done += n;
                continue;
            }
            if (FPos >= FSize) break;
            const auto n = static_cast<signed char>(FData[FPos++]);
            if (n >= 0) {
                FLiteral = size_t(n) + 1;
            } else if (n != -128) {
                if (FPos >= FSize) break;
                FRepeat = size_t(1 - n);
                FValue = FData[FPos++];
            }
        }
        if (done < Count) {
            std::memset(Out + done, 0, Count - done);
            FLiteral = 0;
        }
    }

private:
    const Byte* FData;
    size_t FSize;
    size_t FPos = 0;
    size_t FRepeat = 0;
    size_t FLiteral = 0;
    Byte FValue = 0;
};

// The rows of one strip (or one strip of a plane), decoded one at a time.
class TStripRows {
public:
    TStripRows(const TTiffVars& V, std::vector<Byte> Data, Int64 RowLength, TTIFFLZWDecompress LZW)
        : FVars(V), FData(std::move(Data)), FRowLength(RowLength), FLZW(LZW), FPackBits(nullptr, 0) {
        FDataSize = FData.size();
        FData.push_back(0);  // never an empty buffer: the LZW decoder takes its address
        // Fill order 2 stores the bits of each byte least significant first; the fax decoders
        // read them so, other data is turned round first.
        if (V.FillOrder == 2 && !IsFax())
            for (Byte& b : FData) ReverseBits8(b);
        FPackBits = TPackBitsReader(FData.data(), FDataSize);
        if (IsFax()) FReference.assign(size_t((V.Width + 7) / 8), 0xFF);
    }
    ~TStripRows() {
        if (FState) FLZW(nullptr, 0, FState, 0);
    }
    TStripRows(const TStripRows&) = delete;
    TStripRows& operator=(const TStripRows&) = delete;

    // Decodes the next row into Out (RowLength bytes); false on a decoding failure.
    bool Next(Byte* Out) {
        const Integer width = Integer(FVars.Width);
        switch (FVars.Compression) {
        case cmNone: {
            const size_t n = FPos < FDataSize ? size_t(std::min<Int64>(FRowLength, Int64(FDataSize - FPos))) : 0;
            if (n) std::memcpy(Out, FData.data() + FPos, n);
            std::memset(Out + n, 0, size_t(FRowLength) - n);
            FPos += size_t(FRowLength);
            return true;
        }
        case cmPackBits: FPackBits.Read(Out, size_t(FRowLength)); return true;
        case cmHuffman: {
            const size_t at = std::min(FPos, FDataSize);
            FPos = at + size_t(CCITTDecodeMH(Out, FData.data() + at, Int64(FDataSize - at), width, FVars.FillOrder));
            return true;
        }
        case cmGroup3:
            if (FVars.T4Options & 1)
                FBit =
                    CCITTDecode2D(Out, FData.data(), Int64(FDataSize), width, FVars.FillOrder, FBit, FReference.data());
            else
                FBit = CCITTDecode1D(Out, FData.data(), Int64(FDataSize), width, FVars.FillOrder, FBit);
            return true;
        case cmGroup4:
            FBit = CCITTDecode2D(Out, FData.data(), Int64(FDataSize), width, FVars.FillOrder, FBit, FReference.data());
            return true;
        case cmLZW: {
            const Byte* row =
                FLZW(FData.data(), Integer(FRowLength), FState, Integer(std::min<size_t>(FDataSize, 0x7FFFFFFF)));
            if (!row) return false;
            std::memcpy(Out, row, size_t(FRowLength));
            return true;
        }
        default:  // the JPEG compressions and others are not decoded
            std::memset(Out, 0, size_t(FRowLength));
            return true;
        }
    }

    bool IsFax() const {
        return FVars.Compression == cmHuffman || FVars.Compression == cmGroup3 || FVars.Compression == cmGroup4;
    }

private:
    const TTiffVars& FVars;
    std::vector<Byte> FData;
    size_t FDataSize = 0;
    Int64 FRowLength;
    TTIFFLZWDecompress FLZW;
    void* FState = nullptr;
    size_t FPos = 0;
    Int64 FBit = 0;
    std::vector<Byte> FReference;
    TPackBitsReader FPackBits;
};

// ---- converting rows ---------------------------------------------------------------------------

void CIELabPixel(Byte L, Byte A, Byte B, TImgRGB& Out) {
    auto signedByte = [](Byte v) { return v == 0x80 ? 128 : Integer(static_cast<signed char>(v)); };
    const double ls = L / 255.0 * 100;
    const double as = (signedByte(A) + 127) / 255.0 * 200 - 100;
    const double bs = (signedByte(B) + 127) / 255.0 * 200 - 100;
    const double fy = (ls + 16) / 116;
    double x, y, z;
    if (ls >= 7.9996) {
        x = std::pow(fy + as / 500, 3);
        y = fy * fy * fy;
        z = std::pow(fy - bs / 200, 3);
    } else {
        y = ls / 903.3;
        x = y + as / 3893.5;
        z = y - bs / 1557.4;
    }
    auto component = [](double c) {
        if (!(c > 0)) return Byte(0);
        if (c >= 1) return Byte(255);
        return Byte(Integer(std::sqrt(c) * 256));
    };
    Out.r = component(2.69 * x - 1.276 * y - 0.414 * z);
    Out.g = component(-1.022 * x + 1.978 * y + 0.044 * z);
    Out.b = component(0.061 * x - 0.224 * y + 1.163 * z);
}

// How the decoded rows of a page become bitmap rows.
class TRowConverter {
public:
    TRowConverter(const TTiffVars& V, bool BigEndian) : FVars(V), FBigEndian(BigEndian) {
        const bool fax = V.Compression == cmHuffman || V.Compression == cmGroup3 || V.Compression == cmGroup4;
        FFax = fax;
        FLookAtDarra = V.Software.compare(0, 15, "Look@Darra v1.1") == 0;
        if (V.Photometric == phPalette) FPalette = V.HasColorMap ? PaletteOf(V) : GreyRamp(V.Bits);
        // A 1-bit palette page stays 1-bit only for a map of black and white.
        FMono = V.Bits == 1 && V.Samples == 1;
        if (FMono && V.Photometric == phPalette) {
            const TImgRGB black = ImgRGB(0, 0, 0), white = ImgRGB(255, 255, 255);
            if (FPalette[0] == black && FPalette[1] == white)
                FPaletteInvert = false;
            else if (FPalette[0] == white && FPalette[1] == black)
                FPaletteInvert = true;
            else
                FMono = false;
        }
    }

    bool Mono() const { return FMono; }

    // Bytes of one unpacked sample row for a row of Width pixels of Samples samples.
    Int64 UnpackedLength(Integer Samples) const {
        return Unpacks() ? FVars.Width * Samples : (FVars.Width * Samples * FVars.Bits + 7) / 8;
    }

    // Turns a decoded row of Samples samples a pixel into one byte a sample where the layout asks
    // for it (Raw to Out, which holds UnpackedLength bytes), swaps 16-bit samples of big-endian
    // files and undoes horizontal differencing.
    void Unpack(const Byte* Raw, Byte* Out, Integer Samples) const {
        const Int64 count = FVars.Width * Samples;
        const Integer bits = FVars.Bits;
        if (Unpacks()) {
            // Fax rows come with 1 for white runs, where the file's bits hold 0.
            const Cardinal flip = FFax ? 1 : 0;
            Int64 bit = 0;
            for (Int64 i = 0; i < count; ++i, bit += bits) {
                Cardinal v = 0;
                for (Integer k = 0; k < bits; ++k) {
                    const Int64 b = bit + k;
                    v = (v << 1) | (((Raw[b >> 3] >> (7 - (b & 7))) & 1) ^ flip);
                }
                Out[i] = Byte(v);
            }
        } else {
            std::memcpy(Out, Raw, size_t(UnpackedLength(Samples)));
            if (bits == 16 && FBigEndian)
                for (Int64 i = 0; i + 1 < count * 2; i += 2) std::swap(Out[i], Out[i + 1]);
        }
        if (FVars.Predictor == 2 && FVars.Compression == cmLZW && bits == 8) {
            for (Int64 i = Samples; i < count; ++i) Out[i] = Byte(Out[i] + Out[i - Samples]);
        }
        // Grey samples of fewer bits spread over 0..255, so the largest value is white.
        if (Unpacks() && (FVars.Photometric == phWhiteIsZero || FVars.Photometric == phBlackIsZero)) {
            const Cardinal top = (1u << bits) - 1;
            for (Int64 i = 0; i < count; ++i) Out[i] = Byte(Out[i] * 255u / top);
        }
    }

    // Whether Convert has a case for the page's layout; without one no row needs decoding.
    bool Converts() const {
        const TTiffVars& v = FVars;
        const Integer s = v.Samples, bits = v.Bits, ph = v.Photometric;
        const bool grey = ph == phWhiteIsZero || ph == phBlackIsZero;
        if (FMono) return grey || ph == phPalette;
        return (ph == phRGB && (s == 3 || s == 4) && bits == 8) || (ph == phRGB && s == 1 && bits == 16) ||
               (ph == phPalette && s >= 1 && bits <= 8) || (grey && s == 1 && (bits == 8 || bits == 4 || bits == 2)) ||
               (grey && s == 1 && bits == 16 && v.Compression == cmNone) || (ph == phCMYK && s == 4 && bits == 8) ||
               (ph == phCIELab && s == 3 && bits == 8);
    }

    // Converts an unpacked chunky row into bitmap row Dest; a layout without a conversion leaves
    // the row as it is.
    void Convert(const Byte* Row, void* Dest) const {
        const TTiffVars& v = FVars;
        const Integer w = Integer(v.Width);
        const Integer s = v.Samples, bits = v.Bits;
        auto* rgb = static_cast<TImgRGB*>(Dest);
        const Integer ph = v.Photometric;
        const bool grey = ph == phWhiteIsZero || ph == phBlackIsZero;
        if (FMono) {
            const size_t n = size_t((w + 7) / 8);
            auto* out = static_cast<Byte*>(Dest);
            bool invert;
            if (ph == phPalette)
                invert = FPaletteInvert != FFax;  // fax rows hold 1 for the file's 0 bits
            else if (grey)
                invert = FFax ? ph == phBlackIsZero : ph == phWhiteIsZero;
            else
                return;
            for (size_t i = 0; i < n; ++i) out[i] = invert ? Byte(~Row[i]) : Row[i];
            return;
        }
        if (ph == phRGB && (s == 3 || s == 4) && bits == 8) {
            for (Integer x = 0; x < w; ++x, Row += s) rgb[x] = ImgRGB(Row[0], Row[1], Row[2]);
        } else if (ph == phRGB && s == 1 && bits == 16) {
            for (Integer x = 0; x < w; ++x) {
                const Word p = LoadLE16(Row + 2 * x);
                rgb[x] = ImgRGB(Byte(((p >> 10) & 31) * 8), Byte(((p >> 5) & 31) * 8), Byte((p & 31) * 8));
            }
        } else if (ph == phPalette && s >= 1 && bits <= 8) {
            // The index is the first sample of a pixel; extra samples (alpha) are passed over.
            for (Integer x = 0; x < w; ++x, Row += s) rgb[x] = Row[0] < FPalette.size() ? FPalette[Row[0]] : TImgRGB{};
        } else if (grey && s == 1 && (bits == 8 || bits == 4 || bits == 2)) {
            for (Integer x = 0; x < w; ++x) {
                const Byte g = ph == phBlackIsZero ? Row[x] : Byte(255 - Row[x]);
                rgb[x] = ImgRGB(g, g, g);
            }
        } else if (grey && s == 1 && bits == 16 && v.Compression == cmNone) {
            const Integer shift = FLookAtDarra ? 4 : 8;
            for (Integer x = 0; x < w; ++x) {
                Cardinal p = LoadLE16(Row + 2 * x);
                if (ph == phWhiteIsZero) p = 65535 - p;
                const Byte g = Byte(p >> shift);
                rgb[x] = ImgRGB(g, g, g);
            }
        } else if (ph == phCMYK && s == 4 && bits == 8) {
            for (Integer x = 0; x < w; ++x, Row += 4) {
                const Integer k = 255 - Row[3];
                rgb[x] = ImgRGB(Byte((255 - Row[0]) * k / 255), Byte((255 - Row[1]) * k / 255),
                                Byte((255 - Row[2]) * k / 255));
            }
        } else if (ph == phCIELab && s == 3 && bits == 8) {
            for (Integer x = 0; x < w; ++x, Row += 3) CIELabPixel(Row[0], Row[1], Row[2], rgb[x]);
        }
    }

private:
    // Samples other than 8 and 16 bits become one byte each, except the 1-bit rows of a 1-bit
    // bitmap (fax rows of a palette page of two colours included).
    bool Unpacks() const { return FVars.Bits < 8 && !FMono; }

    static std::vector<TImgRGB> GreyRamp(Integer Bits) {
        const size_t n = size_t(1) << std::min(std::max(Bits, 0), 16);
        std::vector<TImgRGB> p(n);
        for (size_t i = 0; i < n; ++i) {
            const Byte g = Byte(n > 1 ? i * 255 / (n - 1) : 0);
            p[i] = ImgRGB(g, g, g);
        }
        return p;
    }

    const TTiffVars& FVars;
    bool FBigEndian;
    bool FFax = false;
    bool FMono = false;
    bool FPaletteInvert = false;
    bool FLookAtDarra = false;
    std::vector<TImgRGB> FPalette;
};

// The longest row a reader decodes, and the most compressed bytes read for a strip whose byte
// count is missing (a generous bound over what any coding needs for its rows).
constexpr Int64 kMaxRowLength = Int64(1) << 27;

std::vector<Byte> StripData(TTiffFile& File, const TTiffVars& V, size_t Index, Int64 RawBytes) {
    if (Index >= V.StripOffsets.size()) return {};
    const Int64 offset = V.StripOffsets[Index];
    Int64 count = Index < V.StripByteCounts.size() ? V.StripByteCounts[Index] : 0;
    if (count == 0) count = RawBytes * 16 + 4096;
    return File.ReadUpTo(offset, count, 1);  // room for the end byte TStripRows adds
}

// Opens the TIFF at the stream's position: false when its header is no TIFF header.
bool OpenTIFF(TTiffFile& File, Cardinal& FirstDirectory) {
    Byte head[8];
    if (!File.ReadAt(0, head, 8) || !((head[0] == 'I' && head[1] == 'I') || (head[0] == 'M' && head[1] == 'M')))
        return false;
    File.BigEndian = head[0] == 'M';
    FirstDirectory = File.U32(head + 4);
    return true;
}

// The directory chain from First, up to its end or a directory met before: each directory whose
// entry count is in the file is a page.
std::vector<Int64> WalkDirectories(TTiffFile& File, Cardinal First) {
    std::vector<Int64> pages;
    std::set<Cardinal> visited;
    Cardinal ifd = First;
    while (ifd != 0 && visited.insert(ifd).second) {
        Byte count[2];
        if (!File.ReadAt(ifd, count, 2)) break;
        pages.push_back(ifd);
        Byte next[4];
        if (!File.ReadAt(Int64(ifd) + 2 + Int64(File.U16(count)) * 12, next, 4)) break;
        ifd = File.U32(next);
    }
    return pages;
}

// The entries of the directory at Directory (as many as are in the file).
std::vector<TEntry> ReadDirectory(TTiffFile& File, Int64 Directory) {
    std::vector<TEntry> entries;
    Byte count[2];
    if (!File.ReadAt(Directory, count, 2)) return entries;
    const std::vector<Byte> raw = File.ReadUpTo(Directory + 2, Int64(File.U16(count)) * 12);
    entries.reserve(raw.size() / 12);
    for (size_t at = 0; at + 12 <= raw.size(); at += 12) {
        TEntry e;
        e.Tag = File.U16(&raw[at]);
        e.Type = File.U16(&raw[at + 2]);
        e.Count = File.U32(&raw[at + 4]);
        std::memcpy(e.Value, &raw[at + 8], 4);
        entries.push_back(e);
    }
    return entries;
}

// The page whose directory is at Directory.
void DecodePage(TBitmap* Bitmap, TTiffFile& file, Int64 Directory, TIOParamsVals& p, TProgressRec& Progress,
                bool ParamsOnly) {
    const TTiffVars v = ReadVars(file, ReadDirectory(file, Directory));
    if (v.UnequalBits) {
        Progress.Abort();
        return;
    }
    p.BitsPerSample = v.Bits;
    p.SamplesPerPixel = v.Samples;
    p.Width = Integer(std::min<Int64>(v.Width, 0x7FFFFFFF));
    p.Height = Integer(std::min<Int64>(v.Height, 0x7FFFFFFF));
    switch (v.Compression) {
    case 1: p.TIFFCompression = ioTIFF_UNCOMPRESSED; break;
    case 2: p.TIFFCompression = ioTIFF_CCITT1D; break;
    case 3: p.TIFFCompression = (v.T4Options & 1) ? ioTIFF_G3FAX2D : ioTIFF_G3FAX1D; break;
    case 4: p.TIFFCompression = ioTIFF_G4FAX; break;
    case 5: p.TIFFCompression = ioTIFF_LZW; break;
    case 6: p.TIFFCompression = ioTIFF_OLDJPEG; break;
    case 7: p.TIFFCompression = ioTIFF_JPEG; break;
    case cmPackBits: p.TIFFCompression = ioTIFF_PACKBITS; break;
    default: break;
    }
    if (v.Photometric >= 0 && v.Photometric <= 6) p.TIFFPhotometInterpret = Byte(v.Photometric);
    if (v.Photometric == phCIELab) p.TIFFPhotometInterpret = ioTIFF_CIELAB;
    p.TIFFPlanarConf = v.Planar;
    p.TIFFDocumentName = v.DocumentName;
    p.TIFFImageDescription = v.ImageDescription;
    p.TIFFPageName = v.PageName;
    p.TIFFPageNumber = v.PageNumber;
    p.TIFFTotalPages = v.TotalPages;
    if (v.HasColorMap)
        p.Palette = PaletteOf(v);
    else
        p.FreePalette();
    const double factor = v.ResolutionUnit == 3 ? 2.54 : 1;
    auto truncated = [](double d) { return Integer(std::clamp(d, -2147483648.0, 2147483647.0)); };
    p.DpiX = truncated(v.XResolution * factor);
    p.DpiY = truncated(v.YResolution * factor);
    if (p.DpiX == 0) p.DpiX = ImgDefaultDpiX();
    if (p.DpiY == 0) p.DpiY = ImgDefaultDpiY();
    p.TIFFXPos = truncated(v.XPosition * factor);
    p.TIFFYPos = truncated(v.YPosition * factor);

    TTIFFLZWDecompress lzw = nullptr;
    if (v.Compression == cmLZW) {
        lzw = p.TIFFLZWDecompress ? p.TIFFLZWDecompress : DefTIFFLZWDecompress;
        if (!lzw) {
            Progress.Abort();
            return;
        }
    }
    if (ParamsOnly) return;

    const TRowConverter convert(v, file.BigEndian);
    if (v.Width == 0 || v.Height == 0 || !ImgCodecSizeOK(v.Width, v.Height)) {
        Progress.Abort();
        return;
    }
    const Integer width = Integer(v.Width), height = Integer(v.Height);
    ImgNewBlankBitmap(Bitmap, convert.Mono() ? pf1bit : pf24bit, width, height);
    if (v.TileWidth > 0 || v.TileLength > 0) {
        Progress.Abort();
        return;
    }
    // A layout without a conversion leaves the blank rows: nothing to decode.
    if (v.StripOffsets.empty() || !convert.Converts()) return;

    // Planes are decoded only with 8-bit samples (one sample a pixel is laid out as a chunky row).
    const bool planar = v.Planar == 2 && v.Samples > 1;
    if (v.Planar != 1 && !(planar && v.Bits == 8) && !(v.Planar == 2 && v.Samples == 1)) return;
    const bool fax = v.Compression == cmHuffman || v.Compression == cmGroup3 || v.Compression == cmGroup4;
    const Integer rowSamples = planar ? 1 : v.Samples;
    const Int64 rowLength = (v.Width * rowSamples * v.Bits + 7) / 8;
    if (rowLength <= 0 || rowLength > kMaxRowLength || (fax && v.Bits * v.Samples != 1)) {
        Progress.Abort();
        return;
    }
    const Int64 rowsPerStrip = v.RowsPerStrip > 0 ? std::min<Int64>(v.RowsPerStrip, v.Height) : v.Height;
    const Int64 stripsPerPlane = (v.Height + rowsPerStrip - 1) / rowsPerStrip;
    const Integer planes = planar ? v.Samples : 1;

    std::vector<Byte> raw(static_cast<size_t>(rowLength));
    std::vector<Byte> unpacked(size_t(convert.UnpackedLength(rowSamples)) + 8);
    std::vector<Byte> chunky(planar ? size_t(v.Width * v.Samples) : 0);
    Progress.Done = 0;
    Progress.Factor = 100.0 / height;
    for (Int64 strip = 0; strip < stripsPerPlane && !Progress.IsAborting(); ++strip) {
        const Int64 first = strip * rowsPerStrip;
        const Int64 rows = std::min(rowsPerStrip, v.Height - first);
        std::vector<std::unique_ptr<TStripRows>> sources;
        for (Integer plane = 0; plane < planes; ++plane) {
            const size_t index = size_t(plane * stripsPerPlane + strip);
            if (index >= v.StripOffsets.size()) return;  // the rows left have no data
            sources.push_back(
                std::make_unique<TStripRows>(v, StripData(file, v, index, rows * rowLength), rowLength, lzw));
        }
        for (Int64 r = 0; r < rows; ++r) {
            const Byte* row = nullptr;
            if (planar) {
                for (Integer plane = 0; plane < planes; ++plane) {
                    if (!sources[size_t(plane)]->Next(raw.data())) {
                        Progress.Abort();
                        return;
                    }
                    convert.Unpack(raw.data(), unpacked.data(), 1);
                    for (Int64 x = 0; x < v.Width; ++x) chunky[size_t(x * planes + plane)] = unpacked[size_t(x)];
                }
                row = chunky.data();
            } else {
                if (!sources[0]->Next(raw.data())) {
                    Progress.Abort();
                    return;
                }
                convert.Unpack(raw.data(), unpacked.data(), rowSamples);
                row = unpacked.data();
            }
            convert.Convert(row, Bitmap->ScanLine(Integer(first + r)));
            Progress.Step();
            if (Progress.IsAborting()) return;
        }
    }
}

void DecodeTIFF(TBitmap* Bitmap, TStream* Stream, Integer& PageCount, TIOParamsVals* Params, TProgressRec& Progress,
                bool ParamsOnly) {
    PageCount = 0;
    TTiffFile file(Stream, Stream->GetPosition());
    Cardinal first = 0;
    if (!OpenTIFF(file, first)) {
        Progress.Abort();
        return;
    }
    const std::vector<Int64> pages = WalkDirectories(file, first);
    PageCount = Integer(pages.size());
    if (!Params || Params->TIFFImageIndex < 0 || Params->TIFFImageIndex >= PageCount) return;
    DecodePage(Bitmap, file, pages[size_t(Params->TIFFImageIndex)], *Params, Progress, ParamsOnly);
}

// ---- writing -----------------------------------------------------------------------------------

// PackBits coding of one row: runs of 4 to 128 equal bytes as 1 - n and the byte, everything else
// in literal blocks of at most 128 bytes (n - 1 and the bytes).
void PackBitsRow(const Byte* Row, size_t Length, std::vector<Byte>& Out) {
    size_t literal = 0;  // start of the pending literal block
    size_t i = 0;
    auto flush = [&](size_t end) {
        while (literal < end) {
            const size_t n = std::min<size_t>(end - literal, 128);
            Out.push_back(Byte(n - 1));
            Out.insert(Out.end(), Row + literal, Row + literal + n);
            literal += n;
        }
    };
    while (i < Length) {
        size_t run = 1;
        while (i + run < Length && run < 128 && Row[i + run] == Row[i]) ++run;
        if (run >= 4) {
            flush(i);
            Out.push_back(Byte(1 - Integer(run)));
            Out.push_back(Row[i]);
            i += run;
            literal = i;
        } else {
            i += run;
            if (i - literal >= 128) flush(literal + 128);
        }
    }
    flush(Length);
}

// The directory under construction: entries in the order they are collected; values longer than
// four bytes are written to the stream at once and the entry holds their offset.
class TDirectoryWriter {
public:
    TDirectoryWriter(TStream* Stream, Int64 Base) : FStream(Stream), FBase(Base) {}

    Cardinal Offset() const { return Cardinal(FStream->GetPosition() - FBase); }

    void Add(Word Tag, Word Type, Cardinal Count, const std::vector<Byte>& Data) {
        Byte e[12];
        StoreLE16(e, Tag);
        StoreLE16(e + 2, Type);
        StoreLE32(e + 4, Count);
        std::memset(e + 8, 0, 4);
        if (Data.size() <= 4) {
            std::memcpy(e + 8, Data.data(), Data.size());
        } else {
            StoreLE32(e + 8, Offset());
            FStream->WriteBuffer(Data.data(), Int64(Data.size()));
        }
        FEntries.insert(FEntries.end(), e, e + 12);
        ++FCount;
    }
    void Short(Word Tag, Word Value) { Shorts(Tag, {Value}); }
    void Shorts(Word Tag, std::initializer_list<Word> Values) {
        std::vector<Byte> d;
        for (Word v : Values) d.insert(d.end(), {Byte(v), Byte(v >> 8)});
        Add(Tag, ftShort, Cardinal(Values.size()), d);
    }
    void Long(Word Tag, Cardinal Value) { Longs(Tag, std::vector<Cardinal>{Value}); }
    void Longs(Word Tag, const std::vector<Cardinal>& Values) {
        std::vector<Byte> d(Values.size() * 4);
        for (size_t i = 0; i < Values.size(); ++i) StoreLE32(&d[i * 4], Values[i]);
        Add(Tag, ftLong, Cardinal(Values.size()), d);
    }
    void Rational(Word Tag, Cardinal Numerator, Cardinal Denominator) {
        std::vector<Byte> d(8);
        StoreLE32(d.data(), Numerator);
        StoreLE32(d.data() + 4, Denominator);
        Add(Tag, ftRational, 1, d);
    }
    void Ascii(Word Tag, const std::string& Text) {
        if (Text.empty()) return;
        std::vector<Byte> d(Text.begin(), Text.end());
        d.push_back(0);
        Add(Tag, ftAscii, Cardinal(d.size()), d);
    }

    // Writes the entry count, the entries and the next-directory pointer.
    void Write(Cardinal Next) {
        Byte n[2];
        StoreLE16(n, Word(FCount));
        FStream->WriteBuffer(n, 2);
        FStream->WriteBuffer(FEntries.data(), Int64(FEntries.size()));
        Byte next[4];
        StoreLE32(next, Next);
        FStream->WriteBuffer(next, 4);
    }

private:
    TStream* FStream;
    Int64 FBase;
    std::vector<Byte> FEntries;
    Integer FCount = 0;
};

// For appending: the directory pointers of the chain (the header's first), and the pages.
struct TChain {
    std::vector<Int64> Positions;  // where each pointer is, relative to the TIFF's start
    std::vector<Cardinal> Values;
    Integer Pages = 0;
};

bool WalkChain(TStream* Stream, Int64 Base, TChain& Chain) {
    TTiffFile file(Stream, Base);
    Byte head[8];
    if (!file.ReadAt(0, head, 4) || head[0] != 'I' || head[1] != 'I') return false;
    Byte first[4];
    Cardinal value = file.ReadAt(4, first, 4) ? LoadLE32(first) : 0;
    Chain.Positions.push_back(4);
    Chain.Values.push_back(value);
    // The bytes the header and each directory taken so far cover. A directory that overlaps one
    // of them ends the chain, so that patching a pointer never changes another directory.
    std::map<Int64, Int64> covered = {{0, 8}};  // start -> end, none overlapping
    while (value != 0) {
        Byte count[2], next[4];
        if (!file.ReadAt(value, count, 2)) break;
        const Int64 at = Int64(value) + 2 + Int64(LoadLE16(count)) * 12;
        if (!file.ReadAt(at, next, 4)) break;
        const Int64 from = value, to = at + 4;
        const auto after = covered.upper_bound(from);
        if ((after != covered.end() && after->first < to) || std::prev(after)->second > from) break;
        covered.emplace(from, to);
        ++Chain.Pages;
        value = LoadLE32(next);
        Chain.Positions.push_back(at);
        Chain.Values.push_back(value);
    }
    // The last pointer ends the chain: whatever it held (a directory seen before, one overlapping
    // another, or one outside the file) is not followed after the new page.
    Chain.Values.back() = 0;
    return true;
}

Integer EncodeTIFF(TStream* Stream, bool Append, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    const Integer width = Bitmap->GetWidth(), height = Bitmap->GetHeight();
    if (width <= 0 || height <= 0) {
        Progress.Abort();
        return 0;
    }
    const bool mono = Params.BitsPerSample == 1 && Params.SamplesPerPixel == 1;
    const TImgWriteSource source(Bitmap, mono ? 1 : 24);
    TBitmap* work = source.Bitmap;

    // 24-bit pages are CMYK or RGB: a grey choice still writes three samples, which only RGB
    // describes.
    Integer photometric = Params.TIFFPhotometInterpret == ioTIFF_CMYK ? phCMYK : phRGB;
    Integer compression = cmNone;
    bool twoD = false;
    TTIFFLZWCompress lzw = nullptr;
    switch (Params.TIFFCompression) {
    case ioTIFF_CCITT1D: compression = cmHuffman; break;
    case ioTIFF_G3FAX1D: compression = cmGroup3; break;
    case ioTIFF_G3FAX2D:
        compression = cmGroup3;
        twoD = true;
        break;
    case ioTIFF_G4FAX: compression = cmGroup4; break;
    case ioTIFF_LZW:
        lzw = Params.TIFFLZWCompress ? Params.TIFFLZWCompress : DefTIFFLZWCompress;
        compression = lzw ? cmLZW : cmNone;
        break;
    case ioTIFF_PACKBITS: compression = cmPackBits; break;
    default: break;
    }
    const bool fax = compression == cmHuffman || compression == cmGroup3 || compression == cmGroup4;
    if (fax && !mono) compression = cmNone;
    // 1-bit pages: white-is-zero for the fax codings, else black-is-zero whatever was chosen.
    if (mono) photometric = fax ? phWhiteIsZero : phBlackIsZero;
    const Integer samples = mono ? 1 : (photometric == phCMYK ? 4 : 3);
    // Horizontal differencing of the 8-bit samples with LZW.
    const bool predictor = compression == cmLZW && !mono && Params.BitsPerSample == 8 &&
                           (Params.SamplesPerPixel == 1 || Params.SamplesPerPixel == 3);

    const Int64 base = Stream->GetPosition();
    Integer result = 1;
    TChain chain;
    size_t patch = 0;
    if (Append) {
        if (!WalkChain(Stream, base, chain)) {
            Progress.Abort();
            return 0;
        }
        patch = size_t(std::clamp<Int64>(Params.TIFFImageIndex, 0, Int64(chain.Positions.size()) - 1));
        result = chain.Pages + 1;
        Stream->SetPosition(Stream->GetSize());
    } else {
        const Byte placeholder[8] = {};
        Stream->WriteBuffer(placeholder, 8);
    }

    TDirectoryWriter dir(Stream, base);
    dir.Long(tagImageWidth, Cardinal(width));
    dir.Long(tagImageLength, Cardinal(height));
    if (mono)
        dir.Short(tagBitsPerSample, 1);
    else
        dir.Longs(tagBitsPerSample, std::vector<Cardinal>(size_t(samples), 8));
    dir.Short(tagCompression, Word(compression));
    dir.Short(tagPhotometric, Word(photometric));
    dir.Ascii(tagDocumentName, Params.TIFFDocumentName);
    dir.Ascii(tagImageDescription, Params.TIFFImageDescription);
    const Cardinal stripAt = dir.Offset();
    dir.Long(tagStripOffsets, stripAt);

    // The pixel data: one strip.
    const Int64 dataStart = Stream->GetPosition();
    const size_t rowBytes = mono ? size_t((width + 7) / 8) : size_t(width) * size_t(samples);
    std::vector<Byte> row(rowBytes + 4);
    std::vector<Byte> packed;
    TCCITTEncodeState faxState;
    void* lzwState = nullptr;
    for (Integer y = 0; y < height; ++y) {
        ReportPercent(Progress, Integer(Int64(y) * 100 / height));
        if (Progress.IsAborting()) break;
        const void* line = work->ScanLine(y);
        if (mono) {
            std::memcpy(row.data(), line, rowBytes);
            if (fax)
                for (size_t i = 0; i < rowBytes; ++i) row[i] = Byte(~row[i]);
        } else {
            const auto* px = static_cast<const TImgRGB*>(line);
            Byte* out = row.data();
            for (Integer x = 0; x < width; ++x, out += samples) {
                const TImgRGB c = px[x];
                if (photometric == phCMYK) {
                    const Integer k = std::max({c.r, c.g, c.b, Byte(1)});
                    out[0] = Byte(255 - c.r * 255 / k);
                    out[1] = Byte(255 - c.g * 255 / k);
                    out[2] = Byte(255 - c.b * 255 / k);
                    out[3] = Byte(255 - k);
                } else {
                    out[0] = c.r;
                    out[1] = c.g;
                    out[2] = c.b;
                }
            }
            if (predictor)
                for (size_t i = rowBytes; i-- > size_t(samples);) row[i] = Byte(row[i] - row[i - size_t(samples)]);
        }
        switch (compression) {
        case cmHuffman: CCITTEncodeMH(row.data(), width, Stream); break;
        case cmGroup3:
            if (twoD)
                CCITTEncode2D(row.data(), width, Stream, faxState);
            else
                CCITTEncode1D(row.data(), width, Stream, faxState);
            break;
        case cmGroup4: CCITTEncodeG4(row.data(), width, Stream, faxState); break;
        case cmLZW: lzw(row.data(), Integer(rowBytes), Stream, lzwState); break;
        case cmPackBits:
            packed.clear();
            PackBitsRow(row.data(), rowBytes, packed);
            Stream->WriteBuffer(packed.data(), Int64(packed.size()));
            break;
        default: Stream->WriteBuffer(row.data(), Int64(rowBytes)); break;
        }
    }
    if (compression == cmLZW && lzwState) lzw(nullptr, 0, Stream, lzwState);
    if (Progress.IsAborting()) return 0;
    if (compression == cmGroup3) {
        if (twoD)
            CCITTEncode2D(nullptr, width, Stream, faxState);
        else
            CCITTEncode1D(nullptr, width, Stream, faxState);
    }
    if (compression == cmGroup4) CCITTEncodeG4(nullptr, width, Stream, faxState);
    const Int64 dataBytes = Stream->GetPosition() - dataStart;

    dir.Short(tagSamplesPerPixel, Word(samples));
    dir.Long(tagRowsPerStrip, Cardinal(height));
    dir.Long(tagStripByteCounts, Cardinal(dataBytes));
    if (predictor) dir.Short(tagPredictor, 2);
    const Integer dpiX = Params.DpiX > 0 ? Params.DpiX : ImgDefaultDpiX();
    const Integer dpiY = Params.DpiY > 0 ? Params.DpiY : ImgDefaultDpiY();
    dir.Rational(tagXResolution, Cardinal(dpiX), 1);
    dir.Rational(tagYResolution, Cardinal(dpiY), 1);
    dir.Ascii(tagPageName, Params.TIFFPageName);
    auto position = [](Integer v) { return Cardinal(std::clamp<Int64>(Int64(v) * 10000, 0, 0xFFFFFFFF)); };
    dir.Rational(tagXPosition, position(Params.TIFFXPos), 10000);
    dir.Rational(tagYPosition, position(Params.TIFFYPos), 10000);
    if (compression == cmGroup3) dir.Long(tagT4Options, twoD ? 1 : 0);
    dir.Short(tagResolutionUnit, 2);
    if (Params.TIFFPageNumber != 0 || Params.TIFFTotalPages != 0)
        dir.Shorts(tagPageNumber, {Word(Params.TIFFPageNumber), Word(Params.TIFFTotalPages)});

    if ((Stream->GetPosition() - base) & 1) {
        const Byte pad = 0;
        Stream->WriteBuffer(&pad, 1);
    }
    const Cardinal dirAt = Cardinal(Stream->GetPosition() - base);
    Byte pointer[4];
    StoreLE32(pointer, dirAt);
    if (Append) {
        Stream->SetPosition(base + chain.Positions[patch]);
        Stream->WriteBuffer(pointer, 4);
    } else {
        const Byte header[4] = {'I', 'I', 42, 0};
        Stream->SetPosition(base);
        Stream->WriteBuffer(header, 4);
        Stream->WriteBuffer(pointer, 4);
    }
    Stream->SetPosition(base + dirAt);
    dir.Write(Append ? chain.Values[patch] : 0);
    ReportPercent(Progress, 100);
    return result;
}

}  // namespace

void TIFFDecodeStream(TBitmap* Bitmap, TStream* Stream, Integer& PageCount, TIOParamsVals* Params,
                      TProgressRec& Progress, bool ParamsOnly) {
    try {
        DecodeTIFF(Bitmap, Stream, PageCount, Params, Progress, ParamsOnly);
    } catch (...) {
        Progress.Abort();
    }
}

bool TIFFPageLayout(TStream* Stream, std::vector<Int64>& Directories) {
    Directories.clear();
    const Int64 start = Stream->GetPosition();
    TTiffFile file(Stream, start);
    Cardinal first = 0;
    const bool tiff = OpenTIFF(file, first);
    if (tiff) Directories = WalkDirectories(file, first);
    Stream->SetPosition(start);
    return tiff;
}

void TIFFDecodePage(TBitmap* Bitmap, TStream* Stream, Int64 Directory, TIOParamsVals& Params, TProgressRec& Progress) {
    try {
        TTiffFile file(Stream, Stream->GetPosition());
        Cardinal first = 0;
        if (!OpenTIFF(file, first)) {
            Progress.Abort();
            return;
        }
        DecodePage(Bitmap, file, Directory, Params, Progress, false);
    } catch (...) {
        Progress.Abort();
    }
}

Integer TIFFCountPages(TStream* Stream) {
    bool aborting = false;
    TProgressRec own;
    own.Aborting = &aborting;
    Integer pages = 0;
    TIFFDecodeStream(nullptr, Stream, pages, nullptr, own, true);
    return pages;
}

Integer TIFFEncodeStream(TStream* Stream, bool Append, TBitmap* Bitmap, TIOParamsVals& Params,
                         TProgressRec& Progress) {
    try {
        return EncodeTIFF(Stream, Append, Bitmap, Params, Progress);
    } catch (...) {
        Progress.Abort();
        return 0;
    }
}
