#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/formats/gif_codec.h"
#include "imaging/formats/imago_io.h"
#include "imaging/formats/lzw_coders.h"
#include "imaging/formats/tests/codec_bytes.h"
#include "imaging/formats/tests/gif_test_support.h"
#include "imaging/tests/image_fixture.h"

using giftest::Blocks;
using giftest::TGifBuilder;
using giftest::TRGB;

namespace {

const std::vector<TRGB> kFour = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

std::vector<Byte> Indexes(int Count, int Modulo) {
    std::vector<Byte> p(static_cast<size_t>(Count));
    for (int i = 0; i < Count; ++i) p[size_t(i)] = Byte((i * 7 + i / 3) % Modulo);
    return p;
}

// Three frames: a 10 x 8 frame with the global table, a 4 x 3 interlaced one at (2, 3) with a
// two-colour local table, and a 2 x 2 frame without a graphic control extension.
std::vector<Byte> ThreeFrames() {
    TGifBuilder g("GIF89a", 10, 8, 2, kFour, 2);
    g.Control(1 | (1 << 2), 10, 3).Image(0, 0, 10, 8, Indexes(80, 4), 2);
    g.Comment("between").Control(8 | 1, 50, 1);
    g.Image(2, 3, 4, 3, Indexes(12, 2), 2, 1, {{255, 255, 0}, {0, 255, 255}}, true);
    g.Image(0, 0, 2, 2, {3, 2, 1, 0}, 2).Trailer();
    return g.Bytes;
}

class GifCodecTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetImgDefaultDpiOverride(96);
        std::string tmpl = (std::filesystem::temp_directory_path() / "lumora-gif-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        Dir = tmpl;
    }
    void TearDown() override {
        SetImgDefaultDpiOverride(0);
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }

    struct TResult {
        Integer Frames = -1;
        bool Aborted = false;
        std::vector<Integer> Percents;
    };
    // Reads frame Index of Bytes into Bitmap (may be null for the parameters only).
    TResult Decode(const std::vector<Byte>& Bytes, Integer Index, TBitmap* Bitmap, TIOParamsVals& Params,
                   bool ParamsOnly = false) {
        TMemoryStream s;
        StreamOf(Bytes, s);
        TResult r;
        TProgressRec progress;
        progress.Aborting = &r.Aborted;
        progress.OnProgress = [&](TObject*, Integer per) { r.Percents.push_back(per); };
        Params.GIFImageIndex = Index;
        GIFDecodeStream(&s, Bitmap, r.Frames, Params, progress, ParamsOnly);
        return r;
    }
    // Writes the bitmap with the parameters; returns the bytes.
    std::vector<Byte> Encode(TBitmap* Bitmap, TIOParamsVals& Params, bool* Aborted = nullptr) {
        TMemoryStream s;
        bool aborted = false;
        TProgressRec progress;
        progress.Aborting = &aborted;
        GIFEncodeStream(&s, Bitmap, Params, progress);
        if (Aborted) *Aborted = aborted;
        return BytesOf(s);
    }
    // Inserts with the aborting flag *Aborted (cleared first), or a flag of its own.
    Integer Insert(TMemoryStream& s, TBitmap* Bitmap, TIOParamsVals& Params, bool* Aborted = nullptr,
                   const TProgressEvent& Event = {}) {
        bool own = false;
        TProgressRec progress;
        progress.Aborting = Aborted ? Aborted : &own;
        *progress.Aborting = false;
        progress.OnProgress = Event;
        return GIFInsertFrame(&s, Bitmap, Params, progress);
    }
    std::string WriteFile(const std::string& Name, const std::vector<Byte>& Bytes) {
        const std::string path = (Dir / Name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()),
                                                     std::streamsize(Bytes.size()));
        return path;
    }
    static std::vector<Byte> ReadFile(const std::string& Path) {
        std::ifstream f(Path, std::ios::binary);
        return std::vector<Byte>(std::istreambuf_iterator<char>(f), {});
    }

    giftest::TInstalledCoders Coders;
    std::filesystem::path Dir;
};

}  // namespace

// ---- reading -----------------------------------------------------------------------------------

TEST_F(GifCodecTest, ReadsTheChosenFrameAndCountsAll) {
    const std::vector<Byte> gif = ThreeFrames();
    TIOParamsVals p;
    Bmp bmp = Make24(1, 1, [](Integer, Integer) { return ImgRGB(9, 9, 9); });
    const TResult r = Decode(gif, 1, bmp.get(), p);
    EXPECT_FALSE(r.Aborted);
    EXPECT_EQ(r.Frames, 3);
    EXPECT_EQ(r.Percents, (std::vector<Integer>{0, 30, 70, 100}));
    EXPECT_EQ(p.GIFVersion, "GIF89a");
    EXPECT_EQ(p.GIFWinWidth, 10);
    EXPECT_EQ(p.GIFWinHeight, 8);
    EXPECT_EQ(p.DpiX, 96);
    EXPECT_EQ(p.SamplesPerPixel, 1);
    EXPECT_EQ(p.GIFBackground, ImgRGB(0, 255, 0));
    EXPECT_EQ(p.Width, 4);
    EXPECT_EQ(p.Height, 3);
    EXPECT_EQ(p.GIFXPos, 2);
    EXPECT_EQ(p.GIFYPos, 3);
    EXPECT_EQ(p.GIFDelayTime, 50);
    EXPECT_TRUE(p.GIFTransparent);
    EXPECT_TRUE(p.GIFInterlaced);
    EXPECT_EQ(p.GIFTranspColor, ImgRGB(0, 255, 255));  // local entry 1
    EXPECT_EQ(p.BitsPerSample, 1);
    ASSERT_EQ(p.GetPaletteCount(), 2);
    EXPECT_EQ(p.Palette[0], ImgRGB(255, 255, 0));
    // Yellow and cyan: 24-bit, the frame alone at its own size, rows in their places.
    ASSERT_EQ(bmp->GetPixelFormat(), pf24bit);
    ASSERT_EQ(bmp->GetWidth(), 4);
    ASSERT_EQ(bmp->GetHeight(), 3);
    const std::vector<Byte> idx = Indexes(12, 2);
    for (Integer y = 0; y < 3; ++y)
        for (Integer x = 0; x < 4; ++x)
            EXPECT_EQ(Px(bmp.get(), x, y), idx[size_t(y * 4 + x)] ? ImgRGB(0, 255, 255) : ImgRGB(255, 255, 0));

    // The third frame has no graphic control extension of its own.
    EXPECT_EQ(Decode(gif, 2, bmp.get(), p).Frames, 3);
    EXPECT_EQ(p.GIFDelayTime, 0);
    EXPECT_FALSE(p.GIFTransparent);
    EXPECT_EQ(p.GIFTranspColor, ImgRGB(0, 0, 0));
    EXPECT_EQ(p.BitsPerSample, 2);
    EXPECT_EQ(Px(bmp.get(), 0, 0), ImgRGB(0, 0, 255));

    // Past the last frame: the bitmap stays, the flag stays clear.
    const TResult past = Decode(gif, 3, bmp.get(), p);
    EXPECT_FALSE(past.Aborted);
    EXPECT_EQ(past.Frames, 3);
    EXPECT_EQ(bmp->GetWidth(), 2);

    // The parameters only, without a bitmap.
    const TResult only = Decode(gif, 0, nullptr, p, true);
    EXPECT_FALSE(only.Aborted);
    EXPECT_EQ(only.Frames, 3);
    EXPECT_EQ(p.Width, 10);
    EXPECT_EQ(p.GIFDelayTime, 10);
    EXPECT_EQ(p.GIFTranspColor, ImgRGB(0, 0, 255));
}

TEST_F(GifCodecTest, BitmapFormatAndPaletteLookups) {
    const struct {
        const char* name;
        std::vector<Byte> gif;
        TPixelFormat format;
        std::vector<TImgRGB> pixels;  // of the 4 x 1 frame with indexes 0, 1, 2, 3 (or 0, 1, 1, 0)
    } cases[] = {
        {"black and white", TGifBuilder("GIF89a", 4, 1, 1, {{0, 0, 0}, {255, 255, 255}}).Image(0, 0, 4, 1, {0, 1, 1, 0}, 1).Trailer().Bytes,
         pf1bit, {ImgRGB(0, 0, 0), ImgRGB(255, 255, 255), ImgRGB(255, 255, 255), ImgRGB(0, 0, 0)}},
        {"red and blue", TGifBuilder("GIF89a", 4, 1, 1, {{255, 0, 0}, {0, 0, 255}}).Image(0, 0, 4, 1, {0, 1, 1, 0}, 1).Trailer().Bytes,
         pf24bit, {ImgRGB(255, 0, 0), ImgRGB(0, 0, 255), ImgRGB(0, 0, 255), ImgRGB(255, 0, 0)}},
        {"white and black", TGifBuilder("GIF89a", 4, 1, 1, {{255, 255, 255}, {0, 0, 0}}).Image(0, 0, 4, 1, {0, 1, 1, 0}, 1).Trailer().Bytes,
         pf24bit, {ImgRGB(255, 255, 255), ImgRGB(0, 0, 0), ImgRGB(0, 0, 0), ImgRGB(255, 255, 255)}},
        {"indexes past a local table", TGifBuilder("GIF89a", 4, 1, 2, kFour).Image(0, 0, 4, 1, {0, 1, 2, 3}, 2, 1, {{10, 20, 30}, {40, 50, 60}}).Trailer().Bytes,
         pf24bit, {ImgRGB(10, 20, 30), ImgRGB(40, 50, 60), ImgRGB(0, 0, 0), ImgRGB(0, 0, 0)}},
        {"no table, one bit", TGifBuilder("GIF89a", 4, 1, 0, {}, 0, 1).Image(0, 0, 4, 1, {0, 1, 1, 0}, 1).Trailer().Bytes,
         pf1bit, {ImgRGB(0, 0, 0), ImgRGB(255, 255, 255), ImgRGB(255, 255, 255), ImgRGB(0, 0, 0)}},
        {"no table, two bits", TGifBuilder("GIF87a", 4, 1, 0, {}, 0, 2).Image(0, 0, 4, 1, {0, 1, 2, 3}, 2).Trailer().Bytes,
         pf24bit, {ImgRGB(0, 0, 0), ImgRGB(85, 85, 85), ImgRGB(170, 170, 170), ImgRGB(255, 255, 255)}},
        {"no table, indexes past its size", TGifBuilder("GIF89a", 4, 1, 0, {}, 0, 1).Image(0, 0, 4, 1, {0, 1, 2, 3}, 2).Trailer().Bytes,
         pf1bit, {ImgRGB(0, 0, 0), ImgRGB(255, 255, 255), ImgRGB(0, 0, 0), ImgRGB(0, 0, 0)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TIOParamsVals p;
        Bmp bmp(new TBitmap());
        const TResult r = Decode(c.gif, 0, bmp.get(), p);
        EXPECT_FALSE(r.Aborted);
        ASSERT_EQ(bmp->GetPixelFormat(), c.format);
        ASSERT_EQ(bmp->GetWidth(), 4);
        for (Integer x = 0; x < 4; ++x) {
            const TImgRGB expected = c.pixels[size_t(x)];
            if (c.format == pf1bit) {
                EXPECT_EQ(Bit(bmp.get(), x, 0), expected.r == 255) << x;
            } else {
                EXPECT_EQ(Px(bmp.get(), x, 0), expected) << x;
            }
        }
    }
    // Background and transparent indexes past their tables give black.
    TIOParamsVals p;
    p.GIFBackground = ImgRGB(1, 2, 3);
    const std::vector<Byte> gif = TGifBuilder("GIF89a", 1, 1, 1, {{9, 9, 9}, {8, 8, 8}}, 200)
                                      .Control(1, 0, 77).Image(0, 0, 1, 1, {0}, 1).Trailer().Bytes;
    Decode(gif, 0, nullptr, p, true);
    EXPECT_EQ(p.GIFBackground, ImgRGB(0, 0, 0));
    EXPECT_EQ(p.GIFTranspColor, ImgRGB(0, 0, 0));
}

TEST_F(GifCodecTest, MalformedInput) {
    const std::vector<Byte> good = ThreeFrames();
    auto cut = [&](size_t n) { return std::vector<Byte>(good.begin(), good.begin() + long(n)); };
    auto with = [&](size_t at, Byte v) {
        std::vector<Byte> b = good;
        b[at] = v;
        return b;
    };
    // Offsets in ThreeFrames: header 13, global table 12, extension 8, descriptor at 33.
    const size_t image0 = 33, data0 = image0 + 10;
    std::vector<Byte> huge = TGifBuilder("GIF89a", 1, 1, 1).Image(0, 0, 1, 1, {0}, 1).Trailer().Bytes;
    huge[13 + 6 + 5] = huge[13 + 6 + 6] = huge[13 + 6 + 7] = huge[13 + 6 + 8] = 0xFF;  // 65535 x 65535
    std::vector<Byte> noData = TGifBuilder("GIF89a", 1, 1, 1).Trailer().Bytes;
    noData.pop_back();
    noData.insert(noData.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 0, 0x3B});
    std::vector<Byte> zeroSize = noData;
    zeroSize[13 + 6 + 5] = 0;
    std::vector<Byte> shortControl = TGifBuilder("GIF89a", 1, 1, 1).Bytes;
    shortControl.insert(shortControl.end(), {0x21, 0xF9, 1, 5, 0});
    {
        TGifBuilder tail("GIF89a", 1, 1, 1);
        tail.Image(0, 0, 1, 1, {1}, 1).Trailer();
        shortControl.insert(shortControl.end(), tail.Bytes.begin() + 19, tail.Bytes.end());
    }

    const struct {
        const char* name;
        std::vector<Byte> gif;
        Integer index;
        bool aborted;
        Integer frames;
    } cases[] = {
        {"empty", {}, 0, true, 0},
        {"not a GIF", {'G', 'I', 'F', '8'}, 0, true, 0},
        {"other signature", with(0, 'X'), 0, true, 0},
        {"header only", cut(13), 0, true, 0},
        {"header and table only", cut(25), 0, true, 0},
        {"cut inside the extension", cut(30), 0, false, 0},
        {"cut inside the descriptor", cut(image0 + 5), 0, false, 0},
        {"cut inside the first data", cut(data0 + 6), 0, false, 1},
        {"cut inside the first data, second frame asked", cut(data0 + 6), 1, false, 1},
        {"code size 0", with(data0, 0), 0, true, 0},
        {"code size 12", with(data0, 12), 0, true, 0},
        {"code size 12 in a frame not asked for", with(data0, 12), 2, false, 3},
        {"data not starting with a clear code", with(data0 + 2, 0), 0, true, 0},
        {"no trailer", cut(good.size() - 1), 2, false, 3},
        {"stray bytes between blocks", [&] { auto b = good; b.insert(b.begin() + long(image0), {0, 7, 0x99}); return b; }(), 0, false, 3},
        {"frame of 65535 x 65535", huge, 0, true, 0},
        {"frame of 65535 x 65535, parameters only", huge, -1, false, 1},
        {"image without data bytes", noData, 0, false, 1},
        {"zero-sized frame", zeroSize, 0, false, 1},
        {"graphic control of one byte", shortControl, 0, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TIOParamsVals p;
        Bmp bmp(new TBitmap());
        const TResult r = Decode(c.gif, c.index < 0 ? 0 : c.index, c.index < 0 ? nullptr : bmp.get(), p, c.index < 0);
        EXPECT_EQ(r.Aborted, c.aborted);
        EXPECT_EQ(r.Frames, c.frames);
        // Counting frames agrees with reading.
        if (!r.Aborted) {
            EXPECT_EQ(GIFDeleteFrame(WriteFile("case.gif", c.gif), -1, false), r.Frames);
        }
    }
}

// ---- writing -----------------------------------------------------------------------------------

TEST_F(GifCodecTest, WritesOneFrameWithAGlobalTable) {
    // Sixteen colours on the quantizer's 8-step grid, so they come back exactly.
    Bmp bmp = Make24(4, 4, [](Integer x, Integer y) { return ImgRGB(Byte(x * 64), Byte(y * 64), 40); });
    TIOParamsVals p;
    p.BitsPerSample = 4;
    const std::vector<Byte> gif = Encode(bmp.get(), p);
    ASSERT_GT(gif.size(), 13u + 48u);
    EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
    EXPECT_EQ(gif[6], 4);
    EXPECT_EQ(gif[8], 4);
    EXPECT_EQ(gif[10], 0xB3);
    EXPECT_EQ(gif[12], 0);
    EXPECT_EQ(Blocks(gif), "G(8,0,0)I(4x4,0,4)T");
    TIOParamsVals back;
    Bmp read(new TBitmap());
    EXPECT_FALSE(Decode(gif, 0, read.get(), back).Aborted);
    EXPECT_EQ(back.BitsPerSample, 4);
    for (Integer y = 0; y < 4; ++y)
        for (Integer x = 0; x < 4; ++x) EXPECT_EQ(Px(read.get(), x, y), Px(bmp.get(), x, y));

    // Transparency, delay, interlacing, position, version and background.
    p.GIFTransparent = true;
    p.GIFTranspColor = ImgRGB(64, 128, 40);
    p.GIFDelayTime = 25;
    p.GIFInterlaced = true;
    p.GIFXPos = 3;
    p.GIFVersion = "GIF87a";
    p.GIFBackground = ImgRGB(192, 0, 40);
    const std::vector<Byte> more = Encode(bmp.get(), p);
    EXPECT_EQ(std::string(more.begin(), more.begin() + 6), "GIF87a");
    EXPECT_EQ(Decode(more, 0, read.get(), back).Frames, 1);
    EXPECT_TRUE(back.GIFTransparent);
    EXPECT_EQ(back.GIFTranspColor, p.GIFTranspColor);
    EXPECT_EQ(back.GIFBackground, p.GIFBackground);
    EXPECT_EQ(back.GIFDelayTime, 25);
    EXPECT_TRUE(back.GIFInterlaced);
    EXPECT_EQ(back.GIFXPos, 3);
    EXPECT_EQ(Px(read.get(), 3, 3), Px(bmp.get(), 3, 3));
    EXPECT_EQ(Blocks(more).substr(0, 4), "G(9,");
    // A version that is none of GIF's writes as GIF89a.
    p.GIFVersion = "PNG";
    const std::vector<Byte> renamed = Encode(bmp.get(), p);
    EXPECT_EQ(std::string(renamed.begin(), renamed.begin() + 6), "GIF89a");
}

TEST_F(GifCodecTest, BitsPerSampleChoosesTheImageWritten) {
    Bmp redBlue = Make24(8, 2, [](Integer x, Integer y) { return (x + y) % 3 ? ImgRGB(255, 0, 0) : ImgRGB(0, 0, 255); });
    Bmp colourful = Make24(16, 16, [](Integer x, Integer y) { return ImgRGB(Byte(x * 16), Byte(y * 16), Byte(x * y)); });
    Bmp oneBit = Make1(9, 3, [](Integer x, Integer y) { return (x + y) % 2 == 0; });
    const struct {
        const char* name;
        TBitmap* bitmap;
        Integer bits;
        Byte flags;  // screen flags written
        Byte codeSize;
        TPixelFormat readAs;
    } cases[] = {
        {"two colours to one bit", redBlue.get(), 1, 0x80, 2, pf1bit},
        {"many colours dithered to one bit", colourful.get(), 1, 0x80, 2, pf1bit},
        {"one-bit bitmap", oneBit.get(), 1, 0x80, 2, pf1bit},
        {"one-bit bitmap with 8 bits", oneBit.get(), 8, 0xF7, 8, pf24bit},
        {"16 bits held to 8", colourful.get(), 16, 0xF7, 8, pf24bit},
        {"0 bits held to 1", redBlue.get(), 0, 0x80, 2, pf1bit},
        {"3 bits", colourful.get(), 3, 0xA2, 3, pf24bit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TIOParamsVals p;
        p.BitsPerSample = c.bits;
        const std::vector<Byte> gif = Encode(c.bitmap, p);
        ASSERT_GT(gif.size(), 13u);
        EXPECT_EQ(gif[10], c.flags);
        const size_t table = size_t(3) << ((c.flags & 7) + 1);
        EXPECT_EQ(gif[13 + table + 8 + 10], c.codeSize);
        TIOParamsVals back;
        Bmp read(new TBitmap());
        EXPECT_FALSE(Decode(gif, 0, read.get(), back).Aborted);
        EXPECT_EQ(read->GetPixelFormat(), c.readAs);
        EXPECT_EQ(read->GetWidth(), c.bitmap->GetWidth());
    }
    // Red and blue become white (red, the lighter) and black.
    TIOParamsVals p;
    p.BitsPerSample = 1;
    const std::vector<Byte> gif = Encode(redBlue.get(), p);
    EXPECT_EQ(std::vector<Byte>(gif.begin() + 13, gif.begin() + 19), (std::vector<Byte>{0, 0, 0, 255, 255, 255}));
    Bmp read(new TBitmap());
    Decode(gif, 0, read.get(), p);
    for (Integer x = 0; x < 8; ++x) EXPECT_EQ(Bit(read.get(), x, 0), x % 3 != 0);
    // A one-bit bitmap keeps its bits.
    p.BitsPerSample = 1;
    Decode(Encode(oneBit.get(), p), 0, read.get(), p);
    for (Integer y = 0; y < 3; ++y)
        for (Integer x = 0; x < 9; ++x) EXPECT_EQ(Bit(read.get(), x, y), Bit(oneBit.get(), x, y));
}

TEST_F(GifCodecTest, WritingWithoutAnEncoderFails) {
    Bmp bmp = Make24(3, 3, [](Integer, Integer) { return ImgRGB(0, 0, 0); });
    TIOParamsVals p;
    p.GIFLZWCompress = nullptr;
    const TGIFLZWCompress saved = DefGIFLZWCompress;
    DefGIFLZWCompress = nullptr;
    bool aborted = false;
    const std::vector<Byte> gif = Encode(bmp.get(), p, &aborted);
    DefGIFLZWCompress = saved;
    EXPECT_TRUE(aborted);
    EXPECT_EQ(gif.size(), 13u + 768u + 8u + 10u);  // ends after the image descriptor
    // And reading without a decoder fails too.
    p.GIFLZWDecompress = nullptr;
    const TGIFLZWDecompress savedDecoder = DefGIFLZWDecompress;
    DefGIFLZWDecompress = nullptr;
    Bmp read(new TBitmap());
    const TResult r = Decode(ThreeFrames(), 0, read.get(), p);
    DefGIFLZWDecompress = savedDecoder;
    EXPECT_TRUE(r.Aborted);
}

// ---- inserting and deleting --------------------------------------------------------------------

TEST_F(GifCodecTest, InsertsFramesWhereAsked) {
    Bmp a = Make24(5, 4, [](Integer, Integer) { return ImgRGB(200, 0, 0); });
    Bmp b = Make24(3, 2, [](Integer, Integer) { return ImgRGB(0, 200, 0); });
    Bmp c = Make24(2, 6, [](Integer x, Integer y) { return (x + y) % 2 ? ImgRGB(0, 0, 200) : ImgRGB(8, 8, 8); });
    TIOParamsVals p;
    p.GIFVersion = "GIF87a";
    TMemoryStream s;
    {
        bool aborted = false;
        TProgressRec progress;
        progress.Aborting = &aborted;
        GIFEncodeStream(&s, a.get(), p, progress);
    }
    s.SetPosition(0);
    p.GIFImageIndex = 1;
    p.GIFDelayTime = 7;
    EXPECT_EQ(Insert(s, b.get(), p), 2);  // appended
    EXPECT_EQ(Blocks(BytesOf(s)), "G(8,0,0)I(5x4,0,8)G(8,7,0)I(3x2,8,8)T");
    const std::vector<Byte> two = BytesOf(s);
    EXPECT_EQ(std::string(two.begin(), two.begin() + 6), "GIF89a");
    s.SetPosition(0);
    p.GIFImageIndex = 0;
    p.GIFDelayTime = 3;
    p.BitsPerSample = 1;  // two colours: a one-bit frame
    EXPECT_EQ(Insert(s, c.get(), p), 3);  // before the first frame's graphic control extension
    EXPECT_EQ(Blocks(BytesOf(s)), "G(8,3,0)I(2x6,1,2)G(8,0,0)I(5x4,0,8)G(8,7,0)I(3x2,8,8)T");
    // Each frame reads back.
    const std::vector<Byte> gif = BytesOf(s);
    TIOParamsVals back;
    Bmp read(new TBitmap());
    EXPECT_EQ(Decode(gif, 0, read.get(), back).Frames, 3);
    ASSERT_EQ(read->GetPixelFormat(), pf1bit);  // blue the lighter of the two
    EXPECT_TRUE(Bit(read.get(), 1, 0));
    EXPECT_FALSE(Bit(read.get(), 0, 0));
    Decode(gif, 2, read.get(), back);
    EXPECT_EQ(Px(read.get(), 2, 1), ImgRGB(0, 200, 0));
    EXPECT_EQ(back.GIFDelayTime, 7);

    // A first image without a graphic control extension: the frame goes before it. Past the end
    // appends; a colourful bitmap with one bit keeps its colours with 8.
    StreamOf(TGifBuilder("GIF87a", 2, 2, 1).Image(0, 0, 2, 2, {0, 1, 1, 0}, 1).Trailer().Bytes, s);
    p.GIFImageIndex = 0;
    EXPECT_EQ(Insert(s, b.get(), p), 2);
    EXPECT_EQ(Blocks(BytesOf(s)), "G(8,3,0)I(3x2,8,8)I(2x2,0,2)T");  // one colour: kept with 8 bits
    Bmp colourful = Make24(3, 1, [](Integer x, Integer) { return ImgRGB(Byte(x * 80), 40, 0); });
    s.SetPosition(0);
    p.GIFImageIndex = 9;
    EXPECT_EQ(Insert(s, colourful.get(), p), 3);
    EXPECT_EQ(Blocks(BytesOf(s)), "G(8,3,0)I(3x2,8,8)I(2x2,0,2)G(8,3,0)I(3x1,8,8)T");
}

TEST_F(GifCodecTest, InsertingLeavesOtherStreamsAlone) {
    Bmp b = Make24(3, 2, [](Integer, Integer) { return ImgRGB(0, 200, 0); });
    TIOParamsVals p;
    TMemoryStream s;
    // Not a GIF: nothing changes, the result is 0.
    StreamOf({'P', 'N', 'G', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, s);
    bool aborted = false;
    EXPECT_EQ(Insert(s, b.get(), p, &aborted), 0);
    EXPECT_FALSE(aborted);
    EXPECT_EQ(BytesOf(s).size(), 14u);
    EXPECT_EQ(s.GetPosition(), 0);

    // A GIF after other data: the data before it stays, the stream ends with the new GIF.
    const std::vector<Byte> gif = ThreeFrames();
    std::vector<Byte> prefixed = {'a', 'b', 'c'};
    prefixed.insert(prefixed.end(), gif.begin(), gif.end());
    StreamOf(prefixed, s);
    s.SetPosition(3);
    p.GIFImageIndex = 3;
    EXPECT_EQ(Insert(s, b.get(), p), 4);
    const std::vector<Byte> now = BytesOf(s);
    EXPECT_EQ(std::string(now.begin(), now.begin() + 3), "abc");
    EXPECT_EQ(Blocks(std::vector<Byte>(now.begin() + 3, now.end())),
              "G(5,10,3)I(10x8,0,2)EG(9,50,1)I(4x3,1,2)I(2x2,0,2)G(8,0,0)I(3x2,8,8)T");

    // Image data cut by the end of the stream, or the progress event asking to stop: nothing
    // changes.
    const std::vector<Byte> cut(gif.begin(), gif.begin() + 50);
    StreamOf(cut, s);
    EXPECT_EQ(Insert(s, b.get(), p, &aborted), 0);
    EXPECT_TRUE(aborted);
    EXPECT_EQ(BytesOf(s), cut);
    StreamOf(gif, s);
    bool stop = false;
    EXPECT_EQ(Insert(s, b.get(), p, &stop, [&](TObject*, Integer per) { stop = stop || per == 30; }), 0);
    EXPECT_EQ(BytesOf(s), gif);
}

TEST_F(GifCodecTest, DeletesAndCountsFrames) {
    const std::vector<Byte> gif = ThreeFrames();
    const std::string path = WriteFile("three.gif", gif);
    EXPECT_EQ(GIFDeleteFrame(path, -1, false), 3);
    EXPECT_EQ(ReadFile(path), gif);
    // The copy without frame 1 and its graphic control extension; the comment stays.
    EXPECT_EQ(GIFDeleteFrame(path, 1, false), 2);
    EXPECT_EQ(ReadFile(path), gif);
    EXPECT_EQ(GIFDeleteFrame(path, 1, true), 2);
    EXPECT_EQ(Blocks(ReadFile(path)), "G(5,10,3)I(10x8,0,2)EI(2x2,0,2)T");
    TIOParamsVals p;
    Bmp read(new TBitmap());
    EXPECT_EQ(Decode(ReadFile(path), 1, read.get(), p).Frames, 2);
    EXPECT_EQ(read->GetWidth(), 2);
    EXPECT_EQ(GIFDeleteFrame(path, 0, true), 1);
    EXPECT_EQ(Blocks(ReadFile(path)), "EI(2x2,0,2)T");

    // A GIF87a file is counted and left alone; so is a file that ends inside a frame, also when
    // asked to save.
    const std::vector<Byte> old = TGifBuilder("GIF87a", 2, 2, 1).Image(0, 0, 2, 2, {0, 1, 1, 0}, 1)
                                      .Image(0, 0, 1, 1, {1}, 1).Trailer().Bytes;
    const std::string oldPath = WriteFile("old.gif", old);
    EXPECT_EQ(GIFDeleteFrame(oldPath, -1, false), 2);
    EXPECT_EQ(ReadFile(oldPath), old);
    const std::vector<Byte> cut(gif.begin(), gif.end() - 8);
    const std::string cutPath = WriteFile("cut.gif", cut);
    EXPECT_EQ(GIFDeleteFrame(cutPath, 0, true), 1);  // the third frame's descriptor is cut
    EXPECT_EQ(ReadFile(cutPath), cut);
    EXPECT_EQ(GIFDeleteFrame(WriteFile("text.gif", {'h', 'e', 'l', 'l', 'o'}), -1, false), 0);

    // The I/O component counts through it.
    TImagoIO* io = new TImagoIO(nullptr);
    EXPECT_EQ(io->GIFFrameCount(oldPath), 2);
    EXPECT_EQ(io->GIFFrameCount((Dir / "missing.gif").string()), 0);
    io->Free();
}
