#pragma once
// Byte-level helpers for the codec tests: files built in memory, codecs run on byte vectors, and
// our own written files handed to the reference decoders.

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/codec_support.h"
#include "imaging/formats/io_params.h"
#include "imaging/formats/tests/oracle.h"
#include "imaging/tests/image_fixture.h"

using Bytes = std::vector<Byte>;

// Twelve colours with runs and single pixels, 13 x 7 (an odd width, so rows are padded): the
// picture of the fixtures' make_fixtures.py.
inline Bmp Picture() {
    static const TImgRGB colours[] = {ImgRGB(255, 255, 255), ImgRGB(0, 0, 0),       ImgRGB(255, 0, 0),
                                      ImgRGB(0, 255, 0),     ImgRGB(0, 0, 255),     ImgRGB(255, 255, 0),
                                      ImgRGB(0, 255, 255),   ImgRGB(255, 0, 255),   ImgRGB(128, 64, 32),
                                      ImgRGB(32, 128, 200),  ImgRGB(200, 200, 200), ImgRGB(90, 10, 160)};
    return Make24(13, 7, [](Integer x, Integer y) {
        return y == 2 ? colours[3] : colours[(x < 4 ? x / 2 + y : x * 5 + y * 3) % 12];
    });
}

// Its black-and-white companion.
inline Bmp Mono() { return Make1(13, 7, [](Integer x, Integer y) { return (x * 3 + y) % 5 < 2; }); }

// A little-endian file under construction.
struct TBytesBuilder {
    Bytes B;
    TBytesBuilder& U8(unsigned v) {
        B.push_back(Byte(v));
        return *this;
    }
    TBytesBuilder& U16(unsigned v) { return U8(v & 0xFF).U8(v >> 8); }
    TBytesBuilder& U32(Cardinal v) { return U16(v & 0xFFFF).U16(v >> 16); }
    TBytesBuilder& Raw(std::initializer_list<int> v) {
        for (int b : v) U8(unsigned(b));
        return *this;
    }
    TBytesBuilder& Raw(const Bytes& v) {
        B.insert(B.end(), v.begin(), v.end());
        return *this;
    }
    TBytesBuilder& Text(const std::string& s) {
        B.insert(B.end(), s.begin(), s.end());
        return *this;
    }
    TBytesBuilder& Zeros(size_t n) {
        B.insert(B.end(), n, 0);
        return *this;
    }
};

inline void StreamOf(const Bytes& Data, TMemoryStream& Stream) {
    Stream.SetSize(0);
    if (!Data.empty()) Stream.WriteBuffer(Data.data(), Int64(Data.size()));
    Stream.SetPosition(0);
}

inline Bytes BytesOf(TMemoryStream& Stream) {
    const Byte* p = static_cast<const Byte*>(Stream.GetMemory());
    return Bytes(p, p + Stream.GetSize());
}

// A codec call on a stream; the result is whether the aborting flag stayed clear.
using TCodecCall = std::function<void(TStream*, TProgressRec&)>;

inline bool RunCodec(TMemoryStream& Stream, const TCodecCall& Call) {
    bool aborting = false;
    TProgressRec progress;
    progress.Aborting = &aborting;
    Call(&Stream, progress);
    return !aborting;
}

inline bool Decode(const Bytes& Data, const TCodecCall& Call) {
    TMemoryStream stream;
    StreamOf(Data, stream);
    return RunCodec(stream, Call);
}

inline Bytes Encode(const TCodecCall& Call) {
    TMemoryStream stream;
    EXPECT_TRUE(RunCodec(stream, Call));
    return BytesOf(stream);
}

// Writes the bytes to a temporary file named after Name and returns its path.
inline std::string TempFile(const std::string& Name, const Bytes& Data) {
    const std::string path = ::testing::TempDir() + Name;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(Data.data(), 1, Data.size(), f);
    std::fclose(f);
    return path;
}

// Our decoding of a file we wrote must equal what ImageMagick (when UseMagick) and the netpbm tool
// (a command that takes the file's path, such as "bmptopnm"; empty for none) make of it.
inline void ExpectOraclesAgree(const std::string& Name, const Bytes& Data, const oracle::TImage& Ours,
                               const std::string& Netpbm, bool UseMagick = true) {
    const std::string path = TempFile(Name, Data);
    if (UseMagick && oracle::HaveTool("convert")) {
        oracle::TImage magick;
        ASSERT_TRUE(oracle::Magick(path, magick)) << Name << ": ImageMagick could not read it";
        EXPECT_TRUE(magick == Ours) << Name << ": ImageMagick reads other pixels";
    }
    if (!Netpbm.empty() && oracle::HaveTool(Netpbm)) {
        oracle::TImage pnm;
        ASSERT_TRUE(oracle::RunPNM(Netpbm + " '" + path + "'", pnm)) << Name << ": " << Netpbm << " could not read it";
        EXPECT_TRUE(pnm == Ours) << Name << ": " << Netpbm << " reads other pixels";
    }
}

// A fixture and the reference decoders that read it as the format says. Mask 555 or 565: the file
// holds 16-bit pixels, whose channels we widen by shifting and the references by repeating the
// top bits, so only the top 5 (green of 565: 6) bits of theirs are compared.
struct TFixture {
    const char* File;
    const char* Netpbm;  // the netpbm reader, or empty
    bool UseMagick = true;
    int Mask = 0;
    int Index = 0;  // icon or cursor entry
};

inline oracle::TImage TopBits(oracle::TImage Image, int Mask) {
    if (Mask == 0) return Image;
    for (size_t i = 0; i < Image.RGB.size(); ++i) Image.RGB[i] &= (Mask == 565 && i % 3 == 1) ? 0xFC : 0xF8;
    return Image;
}

inline void ExpectFixturesMatch(std::initializer_list<TFixture> Fixtures) {
    if (!oracle::HaveTool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    for (const TFixture& f : Fixtures) {
        SCOPED_TRACE(f.File);
        const std::string path = oracle::FixturePath(f.File);
        oracle::TImage ours, magick;
        ASSERT_TRUE(oracle::LoadOurs(path, ours, f.Index));
        if (f.UseMagick) {
            ASSERT_TRUE(oracle::Magick(path, magick, f.Index));
            EXPECT_TRUE(ours == TopBits(magick, f.Mask));
        }
        if (*f.Netpbm && oracle::HaveTool(f.Netpbm)) {
            oracle::TImage pnm;
            ASSERT_TRUE(oracle::RunPNM(std::string(f.Netpbm) + " '" + path + "'", pnm));
            EXPECT_TRUE(ours == TopBits(pnm, f.Mask));
        }
    }
}
