#pragma once
// Helpers of the codec tests: the committed fixtures, streams over bytes, the reference tools
// (djpeg, pngtopnm, pngcheck; packages in scripts/packages/formats-jpeg-png.txt) and the PNM
// files they write, and a bitmap's pixels as plain RGB for comparisons.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "framework/exceptions.h"
#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/bitmap_rows.h"
#include "imaging/formats/imago_io.h"
#include "imaging/formats/io_params.h"
#include "imaging/img_types.h"

namespace reftools {

using Bytes = std::vector<Byte>;

inline std::string FixturePath(const std::string& Name) {
    const char* root = std::getenv("LUMORA_TEST_SOURCE_DIR");
    return std::string(root ? root : ".") + "/imaging/formats/tests/fixtures/" + Name;
}

inline Bytes ReadFile(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& Path, const Bytes& Data) {
    std::ofstream out(Path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(Data.data()), std::streamsize(Data.size()));
}

inline Bytes Fixture(const std::string& Name) { return ReadFile(FixturePath(Name)); }

// A memory stream holding Data, positioned at its start.
inline std::unique_ptr<TMemoryStream> StreamOf(const Bytes& Data) {
    auto s = std::make_unique<TMemoryStream>();
    if (!Data.empty()) s->Write(Data.data(), Int64(Data.size()));
    s->SetPosition(0);
    return s;
}

inline Bytes BytesOf(TMemoryStream& Stream) {
    const Byte* p = static_cast<const Byte*>(Stream.GetMemory());
    return Bytes(p, p + Stream.GetSize());
}

// A file in a temporary folder of this test process.
inline std::string TempPath(const std::string& Name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("lumora_codec_tests_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return (dir / Name).string();
}

inline bool ToolAvailable(const std::string& Tool) {
    return std::system(("command -v " + Tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command line; its exit status.
inline int Run(const std::string& Command) {
    const int status = std::system(Command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An image as plain 8-bit red, green, blue triples, row after row.
struct TRGBImage {
    Integer Width = 0;
    Integer Height = 0;
    std::vector<Byte> Rgb;
    const Byte* At(Integer x, Integer y) const { return &Rgb[(size_t(y) * size_t(Width) + size_t(x)) * 3]; }
};

// Reads a binary PBM, PGM or PPM file; samples above 8 bits keep their high byte, smaller
// maximum values are scaled to 0..255. Empty on any error.
inline TRGBImage ReadPNM(const std::string& Path) {
    TRGBImage img;
    const Bytes data = ReadFile(Path);
    size_t pos = 0;
    auto skipSpace = [&] {
        while (pos < data.size()) {
            if (data[pos] == '#') {
                while (pos < data.size() && data[pos] != '\n') ++pos;
            } else if (std::isspace(data[pos])) {
                ++pos;
            } else {
                break;
            }
        }
    };
    auto number = [&]() -> long {
        skipSpace();
        long v = 0;
        bool any = false;
        while (pos < data.size() && std::isdigit(data[pos])) {
            v = v * 10 + (data[pos++] - '0');
            any = true;
        }
        return any ? v : -1;
    };
    if (data.size() < 2 || data[0] != 'P') return img;
    const char kind = char(data[1]);
    pos = 2;
    const long w = number(), h = number();
    const long maxval = kind == '4' ? 1 : number();
    if (w <= 0 || h <= 0 || maxval <= 0) return img;
    ++pos;  // the single white space after the header
    img.Width = Integer(w);
    img.Height = Integer(h);
    img.Rgb.resize(size_t(w) * size_t(h) * 3);
    const size_t wide = maxval > 255 ? 2 : 1;
    auto sample = [&](size_t i) -> Byte {
        const size_t at = pos + i * wide;
        if (at + wide > data.size()) return 0;
        if (wide == 2) return data[at];
        return Byte(data[at] * 255 / maxval);
    };
    for (long y = 0; y < h; ++y) {
        for (long x = 0; x < w; ++x) {
            Byte* out = &img.Rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
            if (kind == '4') {
                const size_t at = pos + size_t(y) * size_t((w + 7) / 8) + size_t(x / 8);
                const bool black = at < data.size() && (data[at] & (0x80 >> (x % 8)));
                out[0] = out[1] = out[2] = black ? 0 : 255;
            } else if (kind == '5') {
                out[0] = out[1] = out[2] = sample(size_t(y) * size_t(w) + size_t(x));
            } else if (kind == '6') {
                for (int c = 0; c < 3; ++c) out[c] = sample((size_t(y) * size_t(w) + size_t(x)) * 3 + size_t(c));
            } else {
                return TRGBImage{};
            }
        }
    }
    return img;
}

// The colours a bitmap shows: 24-bit pixels as they are; 1-bit pixels white for a set bit and
// black for a clear one, or the two palette colours when Palette holds two that are not white
// and black (the file's own colours, which the 1-bit bitmap cannot show).
inline TRGBImage Shown(TBitmap* Bitmap, const std::vector<TImgRGB>& Palette = {}) {
    TRGBImage img;
    img.Width = Bitmap->GetWidth();
    img.Height = Bitmap->GetHeight();
    img.Rgb.resize(size_t(img.Width) * size_t(img.Height) * 3);
    const bool oneBit = Bitmap->GetPixelFormat() == pf1bit;
    const bool usePalette = oneBit && Palette.size() == 2 &&
                            !(Palette[0] == ImgRGB(255, 255, 255) && Palette[1] == ImgRGB(0, 0, 0));
    for (Integer y = 0; y < img.Height; ++y) {
        const void* line = Bitmap->ScanLine(y);
        for (Integer x = 0; x < img.Width; ++x) {
            TImgRGB p;
            if (oneBit) {
                const bool set = GetRowBit(line, x) != 0;
                p = usePalette ? Palette[set ? 1 : 0] : (set ? ImgRGB(255, 255, 255) : ImgRGB(0, 0, 0));
            } else {
                p = static_cast<const TImgRGB*>(line)[x];
            }
            Byte* out = &img.Rgb[(size_t(y) * size_t(img.Width) + size_t(x)) * 3];
            out[0] = p.r;
            out[1] = p.g;
            out[2] = p.b;
        }
    }
    return img;
}

// The largest difference of any sample, or -1 when the sizes differ.
inline int MaxDifference(const TRGBImage& A, const TRGBImage& B) {
    if (A.Width != B.Width || A.Height != B.Height || A.Rgb.size() != B.Rgb.size()) return -1;
    int worst = 0;
    for (size_t i = 0; i < A.Rgb.size(); ++i) worst = std::max(worst, std::abs(int(A.Rgb[i]) - int(B.Rgb[i])));
    return worst;
}

// The mean absolute difference of the samples (for lossy round trips), or -1 when the sizes
// differ.
inline double MeanDifference(const TRGBImage& A, const TRGBImage& B) {
    if (A.Width != B.Width || A.Height != B.Height || A.Rgb.size() != B.Rgb.size() || A.Rgb.empty()) return -1;
    double sum = 0;
    for (size_t i = 0; i < A.Rgb.size(); ++i) sum += std::abs(int(A.Rgb[i]) - int(B.Rgb[i]));
    return sum / double(A.Rgb.size());
}

// A stream over bytes that raises EReadError once Limit bytes have been read, and EWriteError
// on any write when RaiseOnWrite; a write otherwise takes at most WriteLimit bytes in all.
class TFaultyStream : public TMemoryStream {
    LUMORA_CLASS(TFaultyStream, TMemoryStream)
public:
    TFaultyStream() = default;
    explicit TFaultyStream(const Bytes& Data) {
        TMemoryStream::Write(Data.data(), Int64(Data.size()));
        SetPosition(0);
    }
    Int64 ReadLimit = -1;
    bool RaiseOnWrite = false;
    Int64 WriteLimit = -1;
    Int64 Read(void* Buffer, Int64 Count) override {
        if (ReadLimit >= 0 && GetPosition() + Count > ReadLimit) throw EReadError("Stream read error");
        return TMemoryStream::Read(Buffer, Count);
    }
    Int64 Write(const void* Buffer, Int64 Count) override {
        if (RaiseOnWrite) throw EWriteError("Stream write error");
        if (WriteLimit >= 0) {
            const Int64 room = WriteLimit - GetSize();
            if (room <= 0) return 0;
            if (Count > room) Count = room;
        }
        return TMemoryStream::Write(Buffer, Count);
    }
};

// A progress record with its own aborting flag; Count() makes it count the events and keep the
// last percentage.
struct TRun {
    bool Aborting = false;
    int Events = 0;
    int Last = -1;
    TProgressRec Progress;
    TRun() { Progress.Aborting = &Aborting; }
    TRun(const TRun&) = delete;
    TRun& operator=(const TRun&) = delete;
    void Count() {
        Progress.OnProgress = [this](TObject*, Integer per) {
            ++Events;
            Last = per;
        };
    }
};

using TDecoder = void (*)(TStream*, TBitmap*, TIOParamsVals&, TProgressRec&, bool);
using TEncoder = void (*)(TStream*, TBitmap*, TIOParamsVals&, TProgressRec&);

// Decodes Data with a codec; true when the aborting flag stayed clear.
inline bool DecodeWith(TDecoder Decoder, const Bytes& Data, TBitmap* Bitmap, TIOParamsVals& Params,
                       bool ParamsOnly = false) {
    auto s = StreamOf(Data);
    TRun run;
    Decoder(s.get(), Bitmap, Params, run.Progress, ParamsOnly);
    return !run.Aborting;
}

inline Bytes EncodeWith(TEncoder Encoder, TBitmap* Bitmap, TIOParamsVals& Params) {
    TMemoryStream s;
    TRun run;
    Encoder(&s, Bitmap, Params, run.Progress);
    EXPECT_FALSE(run.Aborting);
    return BytesOf(s);
}

// Loads Data through an I/O component, which chooses the format by content, starting from a copy
// of Params; Params receives the component's parameters afterwards. True when the load did not
// abort.
inline bool LoadThroughIO(const Bytes& Data, TBitmap* Bitmap, TIOParamsVals& Params) {
    TImagoIO* io = new TImagoIO(nullptr);
    io->SetAttachedBitmap(Bitmap);
    io->GetParams()->Assign(&Params);
    auto s = StreamOf(Data);
    io->LoadFromStream(s.get());
    const bool ok = !io->GetAborting();
    Params.Assign(io->GetParams());
    io->Free();
    return ok;
}

}  // namespace reftools
