#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/formats/avi_file.h"
#include "imaging/formats/jpeg_codec.h"
#include "imaging/formats/tests/avi_test_support.h"
#include "imaging/formats/tests/reference_tools.h"
#include "imaging/tests/image_fixture.h"

using namespace avitest;

namespace {

const TImgRGB kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlue{255, 0, 0}, kWhite{255, 255, 255}, kBlack{};

// The pixels of a decoded frame, top row first, as 24-bit colours (1-bit frames black and white).
std::vector<TImgRGB> Pixels(TBitmap* b) {
    std::vector<TImgRGB> out;
    for (Integer y = 0; y < b->GetHeight(); ++y)
        for (Integer x = 0; x < b->GetWidth(); ++x)
            out.push_back(b->GetPixelFormat() == pf1bit ? (Bit(b, x, y) ? kWhite : kBlack) : Px(b, x, y));
    return out;
}

struct TDecoded {
    bool Opened = false;
    bool Supported = false;
    std::vector<Integer> Bits;
    std::vector<std::vector<TImgRGB>> Frames;
    std::vector<TPixelFormat> Formats;
};

// Opens the file and decodes every frame (stopping at the first that fails).
TDecoded Decode(const TBytes& file) {
    TMemoryStream s;
    Fill(s, file);
    TDecoded d;
    TAviReader reader;
    d.Opened = reader.Open(&s);
    if (!d.Opened) return d;
    TAviFrameReader frames(reader);
    d.Supported = frames.Supported();
    for (Integer i = 0; i < reader.GetFrameCount(); ++i) {
        TBitmap b;
        const Integer bits = frames.GetFrame(i, &b);
        d.Bits.push_back(bits);
        if (!bits) break;
        d.Frames.push_back(Pixels(&b));
        d.Formats.push_back(b.GetPixelFormat());
    }
    return d;
}

// The frames of 4 x 2 pictures used below: top row red, green, blue, white; bottom row reversed.
const std::vector<TImgRGB> kPicture = {kRed, kGreen, kBlue, kWhite, kWhite, kBlue, kGreen, kRed};
const std::vector<TImgRGB> kPalette = {kRed, kGreen, kBlue, kWhite};

TEST(AviFrames, DecodeEveryFrameLayout) {
    struct Case {
        const char* name;
        TBytes format;
        TBytes frame;  // rows bottom first unless the layout says otherwise
        Integer bits;
        std::vector<TImgRGB> expected;
    };
    const Word red555 = 0x7C00, green555 = 0x03E0, blue555 = 0x001F, white555 = 0x7FFF;
    auto le16 = [](std::initializer_list<Word> words) {
        TBytes v;
        for (Word w : words) Put16(v, w);
        return v;
    };
    TBytes topDown = BitmapInfo(4, -2, 8, BI_RGB, kPalette);
    const std::vector<Case> cases = {
        {"8 bits", BitmapInfo(4, 2, 8, BI_RGB, kPalette), {3, 2, 1, 0, 0, 1, 2, 3}, 8, kPicture},
        {"8 bits top-down", topDown, {0, 1, 2, 3, 3, 2, 1, 0}, 8, kPicture},
        {"4 bits", BitmapInfo(4, 2, 4, BI_RGB, kPalette), {0x32, 0x10, 0, 0, 0x01, 0x23, 0, 0}, 4, kPicture},
        {"16 bits",
         BitmapInfo(4, 2, 16, BI_RGB),
         le16({white555, blue555, green555, red555, red555, green555, blue555, white555}),
         16,
         {TImgRGB{0, 0, 248}, TImgRGB{0, 248, 0}, TImgRGB{248, 0, 0}, TImgRGB{248, 248, 248}, TImgRGB{248, 248, 248},
          TImgRGB{248, 0, 0}, TImgRGB{0, 248, 0}, TImgRGB{0, 0, 248}}},
        {"24 bits",
         BitmapInfo(4, 2, 24, BI_RGB),
         {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255},
         24,
         kPicture},
        {"32 bits",
         BitmapInfo(4, 2, 32, BI_RGB),
         {255, 255, 255, 0, 255, 0,   0, 0, 0,   255, 0, 0, 0,   0,   255, 0,
          0,   0,   255, 0, 0,   255, 0, 0, 255, 0,   0, 0, 255, 255, 255, 0},
         32,
         kPicture},
        {"1 bit, white first",
         BitmapInfo(4, 2, 1, BI_RGB, {kWhite, kBlack}),
         {0x50, 0, 0, 0, 0xA0, 0, 0, 0},
         1,
         {kBlack, kWhite, kBlack, kWhite, kWhite, kBlack, kWhite, kBlack}},
        {"1 bit, two colours",
         BitmapInfo(4, 2, 1, BI_RGB, {kRed, kBlue}),
         {0x50, 0, 0, 0, 0xA0, 0, 0, 0},
         1,
         {kBlue, kRed, kBlue, kRed, kRed, kBlue, kRed, kBlue}},
        {"YUY2, rows top first",
         BitmapInfo(4, 2, 16, AviFourCC("YUY2")),
         {235, 128, 235, 128, 16, 128, 16, 128, 16, 128, 16, 128, 235, 128, 235, 128},
         16,
         {kWhite, kWhite, kBlack, kBlack, kBlack, kBlack, kWhite, kWhite}},
        {"uncompressed under a code",
         BitmapInfo(4, 2, 8, AviFourCC("DIB "), kPalette),
         {3, 2, 1, 0, 0, 1, 2, 3},
         8,
         kPicture},
    };
    for (const Case& c : cases) {
        TAvi avi;
        avi.Format = c.format;
        avi.Frames = {c.frame};
        const TDecoded d = Decode(Build(avi));
        ASSERT_TRUE(d.Opened) << c.name;
        ASSERT_EQ(d.Frames.size(), 1u) << c.name;
        EXPECT_EQ(d.Bits[0], c.bits) << c.name;
        EXPECT_EQ(d.Frames[0], c.expected) << c.name;
    }
}

// Run-length frames paint over the frame before; a jump back starts again at the key frame.
TEST(AviFrames, RunLengthFramesBuildOnThePreviousOne) {
    for (const bool four : {false, true}) {
        TAvi avi;
        avi.Format = BitmapInfo(4, 2, four ? 4 : 8, four ? BI_RLE4 : BI_RLE8, kPalette);
        if (four) {
            // Bottom row 3 2 1 0 as literal nibbles, top row 0 1 2 3; then a delta to (1, 1) and one pixel 3.
            avi.Frames = {{0, 4, 0x32, 0x10, 0, 0, 0, 4, 0x01, 0x23, 0, 0, 0, 1}, {0, 2, 1, 1, 1, 0x33, 0, 1}};
        } else {
            avi.Frames = {{0, 4, 3, 2, 1, 0, 0, 0, 0, 4, 0, 1, 2, 3, 0, 1}, {0, 2, 1, 1, 1, 3, 0, 1}};
        }
        avi.NotKey = {false, true};
        std::vector<TImgRGB> second = kPicture;
        second[1] = kWhite;
        TMemoryStream s;
        Fill(s, Build(avi));
        TAviReader reader;
        ASSERT_TRUE(reader.Open(&s));
        TAviFrameReader frames(reader);
        TBitmap b;
        EXPECT_EQ(frames.GetFrame(1, &b), four ? 4 : 8);
        EXPECT_EQ(Pixels(&b), second) << four;
        EXPECT_EQ(frames.GetFrame(0, &b), four ? 4 : 8);
        EXPECT_EQ(Pixels(&b), kPicture) << four;
    }
}

TEST(AviFrames, FindTheFramesThroughEveryKindOfIndex) {
    for (const TIndex index :
         {TIndex::Idx1, TIndex::Idx1FromFileStart, TIndex::None, TIndex::NoneInRecLists, TIndex::OpenDML}) {
        for (const bool audioFirst : {false, true}) {
            TAvi avi;
            avi.Format = BitmapInfo(4, 2, 8, BI_RGB, kPalette);
            avi.Frames = {{3, 2, 1, 0, 0, 1, 2, 3}, {}, {0, 0, 0, 0, 0, 0, 0, 0}};
            avi.Index = index;
            avi.AudioFirst = audioFirst;
            const TDecoded d = Decode(Build(avi));
            ASSERT_TRUE(d.Opened);
            ASSERT_EQ(d.Frames.size(), 3u) << int(index) << audioFirst;
            EXPECT_EQ(d.Frames[0], kPicture);
            EXPECT_EQ(d.Frames[1], kPicture) << "an empty frame repeats the one before";
            EXPECT_EQ(d.Frames[2], std::vector<TImgRGB>(8, kRed));
        }
    }
}

TEST(AviFrames, DelayAndCountFollowTheStreamHeader) {
    struct Case {
        Cardinal scale, rate;
        Integer length, delay, frames;
    };
    for (const Case& c : std::vector<Case>{{1, 8, -1, 125, 3},
                                           {1001, 30000, -1, 33, 3},
                                           {0, 8, -1, 100, 3},
                                           {1, 0, -1, 100, 3},
                                           {1, 8, 0, 125, 0},
                                           {1, 8, 2, 125, 2},
                                           {1, 8, 1000, 125, 3}}) {
        TAvi avi;
        avi.Format = BitmapInfo(4, 2, 8, BI_RGB, kPalette);
        avi.Frames.assign(3, TBytes(8, 0));
        avi.Scale = c.scale;
        avi.Rate = c.rate;
        avi.Length = c.length;
        TMemoryStream s;
        Fill(s, Build(avi));
        TAviReader reader;
        ASSERT_TRUE(reader.Open(&s));
        EXPECT_EQ(reader.FrameDelay(), c.delay) << c.scale << "/" << c.rate;
        EXPECT_EQ(reader.GetFrameCount(), c.frames) << c.length;
    }
}

TEST(AviFrames, WriterRoundTripsEveryStreamFormat) {
    Bmp colour = Make24(16, 8, [](Integer x, Integer y) { return ImgRGB(Byte(x * 12), Byte(y * 20), 70); });
    Bmp mono = Make1(16, 8, [](Integer x, Integer y) { return (x + y) % 2 == 0; });
    struct Case {
        Integer streamBits;
        bool jpeg;
    };
    for (const Case& c : std::vector<Case>{{24, false}, {1, false}, {24, true}}) {
        TMemoryStream s;
        TAviWriteOptions options;
        options.MotionJPEG = c.jpeg;
        options.Quality = 100;
        TAviWriter writer(&s, 16, 8, c.streamBits, 1, 8, options);
        EXPECT_TRUE(writer.AddFrame(colour.get()));
        EXPECT_TRUE(writer.AddFrame(mono.get()));
        Bmp small = Make24(15, 8, [](Integer, Integer) { return kRed; });
        EXPECT_FALSE(writer.AddFrame(small.get()));
        writer.Finish();
        const TBytes bytes(static_cast<const Byte*>(s.GetMemory()),
                           static_cast<const Byte*>(s.GetMemory()) + s.GetSize());
        EXPECT_EQ(LoadLE32(bytes.data() + 4), bytes.size() - 8);
        const TDecoded d = Decode(bytes);
        ASSERT_TRUE(d.Opened);
        ASSERT_EQ(d.Frames.size(), 2u) << c.streamBits << c.jpeg;
        for (size_t i = 0; i < 2; ++i)
            EXPECT_EQ(d.Formats[i], c.streamBits == 1 ? pf1bit : pf24bit) << "one format for every frame";
        if (c.streamBits == 1) {
            EXPECT_EQ(d.Frames[1], Pixels(mono.get()));
        } else if (!c.jpeg) {
            EXPECT_EQ(d.Frames[0], Pixels(colour.get()));
            EXPECT_EQ(d.Frames[1], Pixels(mono.get()));
        } else {
            const std::vector<TImgRGB> want = Pixels(colour.get());
            double sum = 0;
            for (size_t p = 0; p < want.size(); ++p)
                sum += std::abs(d.Frames[0][p].r - want[p].r) + std::abs(d.Frames[0][p].g - want[p].g) +
                       std::abs(d.Frames[0][p].b - want[p].b);
            EXPECT_LT(sum / double(3 * want.size()), 8);
        }
        TMemoryStream again;
        Fill(again, bytes);
        TAviReader reader;
        ASSERT_TRUE(reader.Open(&again));
        EXPECT_EQ(reader.FrameDelay(), 125);
    }
}

// Motion JPEG frames often leave out the Huffman tables, which are then the standard ones.
TEST(AviFrames, MotionJPEGFramesWithoutHuffmanTables) {
    Bmp picture = Make24(16, 16, [](Integer x, Integer y) { return ImgRGB(Byte(x * 16), Byte(y * 16), 128); });
    TIOParamsVals params;
    params.JPEGQuality = 90;
    const TBytes frame = reftools::EncodeWith(JPEGEncodeStream, picture.get(), params);
    TBytes stripped;
    // Drop every DHT segment (FF C4) before the scan.
    size_t at = 2;
    stripped.assign(frame.begin(), frame.begin() + 2);
    while (at + 4 <= frame.size() && frame[at] == 0xFF && frame[at + 1] != 0xDA) {
        const size_t length = (size_t(frame[at + 2]) << 8 | frame[at + 3]) + 2;
        if (frame[at + 1] != 0xC4)
            stripped.insert(stripped.end(), frame.begin() + long(at), frame.begin() + long(at + length));
        at += length;
    }
    ASSERT_LT(stripped.size() + 100, frame.size());
    stripped.insert(stripped.end(), frame.begin() + long(at), frame.end());
    TAvi avi;
    avi.Format = BitmapInfo(16, 16, 24, AviFourCC("MJPG"));
    avi.Frames = {frame, stripped};
    const TDecoded d = Decode(Build(avi));
    ASSERT_EQ(d.Frames.size(), 2u);
    EXPECT_EQ(d.Frames[0], d.Frames[1]);
}

// Damaged and hostile files are refused or end their frames early, never read out of bounds.
TEST(AviFrames, MalformedFilesAreRefusedOrCutShort) {
    TAvi good;
    good.Format = BitmapInfo(4, 2, 8, BI_RGB, kPalette);
    good.Frames = {{3, 2, 1, 0, 0, 1, 2, 3}, {3, 2, 1, 0, 0, 1, 2, 3}};
    const TBytes file = Build(good);
    auto find = [&](const TBytes& bytes, const char(&code)[5]) {
        for (size_t i = 0; i + 4 <= bytes.size(); ++i)
            if (LoadLE32(bytes.data() + i) == AviFourCC(code)) return i;
        return size_t(0);
    };
    struct Case {
        const char* name;
        std::function<void(TBytes&)> damage;
        bool opens;
        size_t frames;  // frames decoded before the first that fails
    };
    const std::vector<Case> cases = {
        {"empty", [](TBytes& v) { v.clear(); }, false, 0},
        {"not RIFF", [](TBytes& v) { v[0] = 'X'; }, false, 0},
        {"another RIFF form", [&](TBytes& v) { v[8] = 'W'; }, false, 0},
        {"no video stream", [&](TBytes& v) { v[find(v, "vids")] = 'a'; }, false, 0},
        {"format cut to 20 bytes", [&](TBytes& v) { Patch32(v, find(v, "strf") + 4, 20); }, false, 0},
        {"width past the limit", [&](TBytes& v) { Patch32(v, find(v, "strf") + 12, 70000); }, false, 0},
        {"pixels past the limit",
         [&](TBytes& v) {
             Patch32(v, find(v, "strf") + 12, 40000);
             Patch32(v, find(v, "strf") + 16, 40000);
         },
         false, 0},
        {"header list larger than the file", [&](TBytes& v) { Patch32(v, find(v, "hdrl") - 4, 0x7FFFFFF0); }, true, 0},
        {"RIFF size 0", [](TBytes& v) { Patch32(v, 4, 0); }, true, 2},
        {"RIFF size past the end", [](TBytes& v) { Patch32(v, 4, 0xFFFFFFF0); }, true, 2},
        {"truncated in the second frame", [&](TBytes& v) { v.resize(find(v, "idx1") - 6); }, true, 1},
        {"index offsets past the end, found in the movie list",
         [&](TBytes& v) {
             Patch32(v, find(v, "idx1") + 16, 0xFFFFFF00);
             Patch32(v, find(v, "idx1") + 32, 0xFFFFFF00);
         },
         true, 2},
        {"index size past the end", [&](TBytes& v) { Patch32(v, find(v, "idx1") + 4, 0xFFFFFFF0); }, true, 2},
        {"frame sizes past the end", [&](TBytes& v) { Patch32(v, find(v, "idx1") + 20, 0x7FFFFFFF); }, true, 1},
        {"a frame too short for the picture", [&](TBytes& v) { Patch32(v, find(v, "idx1") + 20, 3); }, true, 0},
        {"colour table longer than the format", [&](TBytes& v) { Patch32(v, find(v, "strf") + 8 + 32, 5000); }, true,
         0},
        {"unread codec", [&](TBytes& v) { Patch32(v, find(v, "strf") + 8 + 16, AviFourCC("XVID")); }, true, 0},
        {"huge stream length", [&](TBytes& v) { Patch32(v, find(v, "strh") + 8 + 32, 0xFFFFFFFF); }, true, 2},
    };
    for (const Case& c : cases) {
        TBytes damaged = file;
        c.damage(damaged);
        const TDecoded d = Decode(damaged);
        EXPECT_EQ(d.Opened, c.opens) << c.name;
        EXPECT_EQ(d.Frames.size(), c.frames) << c.name;
    }
    // A super index pointing anywhere at all.
    good.Index = TIndex::OpenDML;
    TBytes opendml = Build(good);
    const size_t entry = find(opendml, "indx") + 8 + 24;
    for (const Cardinal offset : {0u, 7u, 0xFFFFFFF0u, Cardinal(opendml.size() - 4)}) {
        TBytes damaged = opendml;
        Patch32(damaged, entry, offset);
        EXPECT_TRUE(Decode(damaged).Opened);
    }
}

}  // namespace
