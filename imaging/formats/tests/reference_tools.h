#pragma once
// Helpers of the JPEG and PNG codec tests, on top of the reference decoders of oracle.h: the
// fixtures as bytes, streams over bytes, running a reference tool (djpeg, pngtopnm, pngcheck;
// packages in scripts/packages/formats-jpeg-png.txt), a bitmap's shown colours, differences
// between images, failing streams, and calling a codec with its own aborting flag.

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
#include "framework/testing/tool_run.h"
#include "imaging/bitmap_rows.h"
#include "imaging/formats/imago_io.h"
#include "imaging/formats/io_params.h"
#include "imaging/formats/tests/oracle.h"
#include "imaging/img_types.h"

namespace reftools {

using Bytes = std::vector<Byte>;

inline Bytes ReadFile(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& Path, const Bytes& Data) {
    std::ofstream out(Path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(Data.data()), std::streamsize(Data.size()));
}

using oracle::FixturePath;

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

// A file in a temporary folder of this test process; the folder goes when the process ends.
inline std::string TempPath(const std::string& Name) {
    struct TFolder {
        std::filesystem::path Dir;
        ~TFolder() {
            std::error_code ec;
            std::filesystem::remove_all(Dir, ec);
        }
    };
    static const TFolder folder{std::filesystem::temp_directory_path() /
                                ("lumora_codec_tests_" + std::to_string(getpid()))};
    std::filesystem::create_directories(folder.Dir);
    return (folder.Dir / Name).string();
}

// Runs a shell command line; its exit status.
inline int Run(const std::string& Command) {
    const int status = std::system(Command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

using testtools::RunTool;
using testtools::TToolRun;

// A reference decoder's pixels: the PNM image Command writes to its standard output (empty when
// it wrote none).
inline oracle::TImage ReferencePixels(const std::string& Command) {
    oracle::TImage img;
    if (!oracle::RunPNM(Command, img)) return oracle::TImage{};
    return img;
}

// The colours a bitmap shows: 24-bit pixels as they are; 1-bit pixels white for a set bit and
// black for a clear one, or the two palette colours when Palette holds two that are not white
// and black (the file's own colours, which the 1-bit bitmap cannot show).
inline oracle::TImage Shown(TBitmap* Bitmap, const std::vector<TImgRGB>& Palette = {}) {
    oracle::TImage img = oracle::FromBitmap(Bitmap);
    const bool coloured = Bitmap->GetPixelFormat() == pf1bit && Palette.size() == 2 &&
                          !(Palette[0] == ImgRGB(255, 255, 255) && Palette[1] == ImgRGB(0, 0, 0));
    if (!coloured) return img;
    for (size_t i = 0; i + 2 < img.RGB.size(); i += 3) {
        const TImgRGB p = Palette[img.RGB[i] ? 1 : 0];
        img.RGB[i] = p.r;
        img.RGB[i + 1] = p.g;
        img.RGB[i + 2] = p.b;
    }
    return img;
}

// The largest difference of any sample, or -1 when the sizes differ.
inline int MaxDifference(const oracle::TImage& A, const oracle::TImage& B) {
    if (A.Width != B.Width || A.Height != B.Height || A.RGB.size() != B.RGB.size()) return -1;
    int worst = 0;
    for (size_t i = 0; i < A.RGB.size(); ++i) worst = std::max(worst, std::abs(int(A.RGB[i]) - int(B.RGB[i])));
    return worst;
}

// The mean absolute difference of the samples (for lossy round trips), or -1 when the sizes
// differ.
inline double MeanDifference(const oracle::TImage& A, const oracle::TImage& B) {
    if (A.Width != B.Width || A.Height != B.Height || A.RGB.size() != B.RGB.size() || A.RGB.empty()) return -1;
    double sum = 0;
    for (size_t i = 0; i < A.RGB.size(); ++i) sum += std::abs(int(A.RGB[i]) - int(B.RGB[i]));
    return sum / double(A.RGB.size());
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
