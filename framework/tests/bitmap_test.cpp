// TBitmap: the pixel block, sizes, pixel formats, transparency and the BMP codec.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "framework/tests/graphics_fixture.h"

namespace {

using lumora_test::Ink;
using lumora_test::Px;

class BitmapTest : public lumora_test::GraphicsTest {};

// Builds BMP files byte by byte: file header, a header of the given size, palette, rows.
struct BmpBuilder {
    int width = 0, height = 0, bpp = 24;
    uint32_t compression = BI_RGB;
    uint32_t headerSize = 40;
    std::vector<uint32_t> palette;  // 0x00RRGGBB
    std::vector<uint32_t> masks;
    std::vector<uint8_t> pixels;    // as stored in the file

    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> v(14 + headerSize, 0);
        auto p32 = [&](size_t at, uint32_t x) {
            for (int i = 0; i < 4; ++i) v[at + size_t(i)] = uint8_t(x >> (8 * i));
        };
        auto p16 = [&](size_t at, uint16_t x) { v[at] = uint8_t(x); v[at + 1] = uint8_t(x >> 8); };
        v[0] = 'B';
        v[1] = 'M';
        p32(14, headerSize);
        if (headerSize == 12) {
            p16(18, uint16_t(width));
            p16(20, uint16_t(height));
            p16(22, 1);
            p16(24, uint16_t(bpp));
        } else {
            p32(18, uint32_t(width));
            p32(22, uint32_t(height));
            p16(26, 1);
            p16(28, uint16_t(bpp));
            p32(30, compression);
            p32(46, uint32_t(palette.size()));
        }
        for (uint32_t m : masks)
            for (int i = 0; i < 4; ++i) v.push_back(uint8_t(m >> (8 * i)));
        for (uint32_t c : palette) {
            v.push_back(uint8_t(c));
            v.push_back(uint8_t(c >> 8));
            v.push_back(uint8_t(c >> 16));
            if (headerSize != 12) v.push_back(0);
        }
        p32(10, uint32_t(v.size()));
        v.insert(v.end(), pixels.begin(), pixels.end());
        p32(2, uint32_t(v.size()));
        return v;
    }
};

TEST_F(BitmapTest, BlockLayoutTopRowFirstPaddedRows) {
    TBitmap* b = Bitmap(5, 3);
    EXPECT_EQ(b->GetPixelFormat(), pf24bit);
    auto* r0 = static_cast<Byte*>(b->ScanLine(0));
    auto* r1 = static_cast<Byte*>(b->ScanLine(1));
    EXPECT_EQ(r1 - r0, 16);  // 5 * 3 = 15 bytes, padded to 16
    r0[0] = 0x11;  // blue
    r0[1] = 0x22;  // green
    r0[2] = 0x33;  // red
    EXPECT_EQ(b->GetCanvas()->GetPixels(0, 0), TColor(0x112233));
    b->GetCanvas()->SetPixels(4, 2, TColor(0x0000FF));
    EXPECT_EQ(static_cast<Byte*>(b->ScanLine(2))[14], 0xFF);
    EXPECT_EQ(BytesPerScanline(5, 24, 32), 16);
    EXPECT_EQ(BytesPerScanline(9, 1, 32), 4);
    EXPECT_THROW(b->ScanLine(3), EInvalidGraphicOperation);
    EXPECT_THROW(b->ScanLine(-1), EInvalidGraphicOperation);
}

TEST_F(BitmapTest, MonochromeRowsAreMostSignificantBitFirstAndSetIsWhite) {
    TBitmap b;
    b.SetPixelFormat(pf1bit);
    b.SetSize(10, 2);
    EXPECT_TRUE(b.GetMonochrome());
    auto* r0 = static_cast<Byte*>(b.ScanLine(0));
    EXPECT_EQ(static_cast<Byte*>(b.ScanLine(1)) - r0, 4);
    EXPECT_EQ(r0[0], 0xFF);  // new area is white (the brush colour)
    r0[0] = 0x7F;            // pixel 0 black
    EXPECT_EQ(b.GetCanvas()->GetPixels(0, 0), clBlack);
    EXPECT_EQ(b.GetCanvas()->GetPixels(1, 0), clWhite);
    b.GetCanvas()->SetPixels(9, 1, clBlack);
    EXPECT_EQ(static_cast<Byte*>(b.ScanLine(1))[1] & 0x40, 0);
    // Colours drawn on a monochrome bitmap go to the nearer of black and white.
    b.GetCanvas()->SetPixels(2, 0, TColor(0x808080));
    b.GetCanvas()->SetPixels(3, 0, TColor(0x7F7F7F));
    EXPECT_EQ(Px(&b, 2, 0), clWhite);
    EXPECT_EQ(Px(&b, 3, 0), clBlack);
}

TEST_F(BitmapTest, SetSizeKeepsTheTopLeftAndFillsNewAreaWithTheBrush) {
    TBitmap* b = Bitmap(3, 2, clRed);
    b->GetCanvas()->SetPixels(0, 0, clBlue);
    b->GetCanvas()->GetBrush()->SetColor(clLime);
    b->SetSize(5, 3);
    EXPECT_EQ(Ink(b, clRed), ".##..\n###..\n.....\n");
    EXPECT_EQ(Px(b, 0, 0), clBlue);
    EXPECT_EQ(Ink(b, clLime), "...##\n...##\n#####\n");
    b->SetWidth(2);
    EXPECT_EQ(b->GetWidth(), 2);
    EXPECT_EQ(Px(b, 1, 1), clRed);
    b->SetSize(0, 0);
    EXPECT_TRUE(b->GetEmpty());
}

TEST_F(BitmapTest, PixelFormatConversionsBothWays) {
    TBitmap* b = Bitmap(4, 1);
    const TColor colours[4] = {TColor(0x808080), TColor(0x7F7F7F), clYellow, clNavy};
    for (int x = 0; x < 4; ++x) b->GetCanvas()->SetPixels(x, 0, colours[x]);
    b->SetPixelFormat(pf1bit);
    EXPECT_EQ(b->GetPixelFormat(), pf1bit);
    EXPECT_EQ(Ink(b, clWhite), "#.#.\n");  // nearest: (r + g + b) >= 383 is white
    b->SetPixelFormat(pf24bit);
    EXPECT_EQ(Ink(b, clWhite), "#.#.\n");
    EXPECT_EQ(Ink(b, clBlack), ".#.#\n");
    // Other formats are stored as 24 bits.
    b->SetPixelFormat(pf8bit);
    EXPECT_EQ(b->GetPixelFormat(), pf24bit);
    b->SetPixelFormat(pf32bit);
    EXPECT_EQ(b->GetPixelFormat(), pf24bit);
    EXPECT_EQ(Ink(b, clWhite), "#.#.\n");
}

TEST_F(BitmapTest, AssignCopiesPixelsAndTransparency) {
    TBitmap* a = Bitmap(3, 2, clRed);
    a->SetTransparent(true);
    a->SetTransparentColor(clRed);
    TBitmap b;
    b.Assign(a);
    EXPECT_EQ(b.GetWidth(), 3);
    EXPECT_EQ(Px(&b, 2, 1), clRed);
    EXPECT_TRUE(b.GetTransparent());
    EXPECT_EQ(b.GetTransparentColor(), clRed);
    a->GetCanvas()->SetPixels(0, 0, clBlue);
    EXPECT_EQ(Px(&b, 0, 0), clRed);  // a copy, not shared
    b.Assign(nullptr);
    EXPECT_TRUE(b.GetEmpty());
    TFont notAGraphic;
    EXPECT_THROW(b.Assign(&notAGraphic), EConvertError);
}

TEST_F(BitmapTest, TransparentColourDefaultsToTheBottomLeftPixel) {
    TBitmap* b = Bitmap(3, 3, clLime);
    b->GetCanvas()->SetPixels(0, 2, clFuchsia);
    EXPECT_EQ(b->GetTransparentMode(), tmAuto);
    EXPECT_EQ(b->GetTransparentColor() & 0xFFFFFF, clFuchsia);
    b->SetTransparentColor(clLime);
    EXPECT_EQ(b->GetTransparentMode(), tmFixed);
    b->SetTransparentMode(tmAuto);
    EXPECT_EQ(b->GetTransparentColor() & 0xFFFFFF, clFuchsia);
}

TEST_F(BitmapTest, TransparentBitmapsDrawWithoutTheirTransparentColour) {
    TBitmap* glyph = Bitmap(3, 1, clFuchsia);
    glyph->GetCanvas()->SetPixels(1, 0, clBlue);
    glyph->SetTransparent(true);
    TBitmap* dst = Bitmap(5, 2, clYellow);
    dst->GetCanvas()->Draw(1, 0, glyph);
    EXPECT_EQ(Ink(dst, clYellow), "##.##\n#####\n");
    EXPECT_EQ(Px(dst, 2, 0), clBlue);
    glyph->SetTransparent(false);
    dst->GetCanvas()->Draw(1, 1, glyph);
    EXPECT_EQ(Ink(dst, clFuchsia), ".....\n.#.#.\n");
}

TEST_F(BitmapTest, MaskTurnsTheBitmapIntoAMonochromeMaskOfTheColour) {
    TBitmap* b = Bitmap(3, 1, clGreen);
    b->GetCanvas()->SetPixels(1, 0, clRed);
    b->Mask(clGreen);
    EXPECT_TRUE(b->GetMonochrome());
    EXPECT_EQ(Ink(b, clWhite), "#.#\n");
}

TEST_F(BitmapTest, BmpRoundTripsKeepFormatAndPixels) {
    for (TPixelFormat pf : {pf24bit, pf1bit}) {
        TBitmap* a = Bitmap(7, 5);
        Pattern(a);
        a->SetPixelFormat(pf);
        TMemoryStream s;
        a->SaveToStream(&s);
        // 14 + 40 (+ 8 palette) header bytes, then padded rows.
        const int row = pf == pf1bit ? 4 : 24;
        EXPECT_EQ(s.GetSize(), 54 + (pf == pf1bit ? 8 : 0) + 5 * row);
        s.SetPosition(0);
        TBitmap b;
        b.LoadFromStream(&s);
        EXPECT_EQ(b.GetPixelFormat(), pf);
        ASSERT_EQ(b.GetWidth(), 7);
        ASSERT_EQ(b.GetHeight(), 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) EXPECT_EQ(Px(&b, x, y), Px(a, x, y)) << pf << " " << x << "," << y;
    }
}

TEST_F(BitmapTest, BmpFilesAreWrittenBottomUp) {
    TBitmap* a = Bitmap(1, 2);
    a->GetCanvas()->SetPixels(0, 0, clRed);
    const std::vector<Byte> v = a->SaveToBytes();
    ASSERT_EQ(v.size(), 54u + 8u);
    EXPECT_EQ(v[54 + 2], 0xFF);  // first stored row: the bottom (white)
    EXPECT_EQ(v[54 + 4 + 2], 0xFF);
    EXPECT_EQ(v[54 + 4 + 0], 0x00);  // second stored row: the top (red)
}

TEST_F(BitmapTest, BmpReadsOtherDepthsAndConverts) {
    // 8 bits with a palette, top-down.
    BmpBuilder p8;
    p8.width = 3;
    p8.height = -2;
    p8.bpp = 8;
    p8.palette = {0xFF0000, 0x00FF00, 0x0000FF};
    p8.pixels = {0, 1, 2, 0, 2, 2, 1, 0};
    TBitmap a;
    const auto f8 = p8.Build();
    a.LoadFromBytes(f8.data(), f8.size());
    EXPECT_EQ(a.GetPixelFormat(), pf24bit);
    EXPECT_EQ(Px(&a, 0, 0), clRed);
    EXPECT_EQ(Px(&a, 2, 0), clBlue);
    EXPECT_EQ(Px(&a, 2, 1), clLime);

    // 4 bits, odd width, bottom-up: every pixel of the row is read.
    BmpBuilder p4;
    p4.width = 3;
    p4.height = 1;
    p4.bpp = 4;
    p4.palette = {0x000000, 0xFFFFFF};
    p4.pixels = {0x10, 0x10, 0, 0};
    const auto f4 = p4.Build();
    a.LoadFromBytes(f4.data(), f4.size());
    EXPECT_EQ(Ink(&a, clWhite), "#.#\n");

    // 16 bits 5-6-5 through bit fields.
    BmpBuilder p16;
    p16.width = 2;
    p16.height = 1;
    p16.bpp = 16;
    p16.compression = BI_BITFIELDS;
    p16.masks = {0xF800, 0x07E0, 0x001F};
    p16.pixels = {0x00, 0xF8, 0x1F, 0x00};
    const auto f16 = p16.Build();
    a.LoadFromBytes(f16.data(), f16.size());
    EXPECT_EQ(Px(&a, 0, 0), clRed);
    EXPECT_EQ(Px(&a, 1, 0), clBlue);

    // 32 bits, blue green red and a fourth byte.
    BmpBuilder p32;
    p32.width = 1;
    p32.height = 1;
    p32.bpp = 32;
    p32.pixels = {0x10, 0x20, 0x30, 0x99};
    const auto f32 = p32.Build();
    a.LoadFromBytes(f32.data(), f32.size());
    EXPECT_EQ(Px(&a, 0, 0), TColor(0x102030));

    // The old 12-byte header with three-byte palette entries; a 1-bit file with the palette
    // white, black becomes a monochrome bitmap with its bits inverted.
    BmpBuilder core;
    core.headerSize = 12;
    core.width = 4;
    core.height = 1;
    core.bpp = 1;
    core.palette = {0xFFFFFF, 0x000000};
    core.pixels = {0x50, 0, 0, 0};
    const auto fc = core.Build();
    a.LoadFromBytes(fc.data(), fc.size());
    EXPECT_EQ(a.GetPixelFormat(), pf1bit);
    EXPECT_EQ(Ink(&a, clWhite), "#.#.\n");

    // A 1-bit file with two other colours becomes 24 bits.
    core.palette = {0x0000FF, 0x00FF00};
    const auto fcol = core.Build();
    a.LoadFromBytes(fcol.data(), fcol.size());
    EXPECT_EQ(a.GetPixelFormat(), pf24bit);
    EXPECT_EQ(Px(&a, 1, 0), clLime);
}

TEST_F(BitmapTest, BmpRunLengthEncodings) {
    BmpBuilder r8;
    r8.width = 4;
    r8.height = 2;
    r8.bpp = 8;
    r8.compression = BI_RLE8;
    r8.palette = {0x000000, 0xFF0000, 0x00FF00};
    // Bottom row (stored first): a run of three 1s and a run of one 2, end of line. Top row: three
    // pixels 2, 0, 2 in absolute mode (padded to a word), a run of one 1, end of bitmap.
    r8.pixels = {3, 1, 1, 2, 0, 0, 0, 3, 2, 0, 2, 0, 1, 1, 0, 1};
    TBitmap a;
    const auto f = r8.Build();
    a.LoadFromBytes(f.data(), f.size());
    EXPECT_EQ(Ink(&a, clRed), "...#\n###.\n");
    EXPECT_EQ(Ink(&a, clLime), "#.#.\n...#\n");

    BmpBuilder r4;
    r4.width = 5;
    r4.height = 1;
    r4.bpp = 4;
    r4.compression = BI_RLE4;
    r4.palette = {0x000000, 0xFFFFFF};
    r4.pixels = {5, 0x10, 0, 1};  // alternating 1, 0, 1, 0, 1
    const auto g = r4.Build();
    a.LoadFromBytes(g.data(), g.size());
    EXPECT_EQ(Ink(&a, clWhite), "#.#.#\n");
}

TEST_F(BitmapTest, BrokenBmpFilesRaiseAndLeaveTheBitmapAlone) {
    TBitmap* a = Bitmap(2, 2, clRed);
    BmpBuilder good;
    good.width = 2;
    good.height = 2;
    good.pixels.assign(16, 0);
    std::vector<uint8_t> bad = good.Build();
    bad[0] = 'X';
    EXPECT_THROW(a->LoadFromBytes(bad.data(), bad.size()), EInvalidGraphic);
    std::vector<uint8_t> cut = good.Build();
    cut.resize(cut.size() - 5);
    EXPECT_THROW(a->LoadFromBytes(cut.data(), cut.size()), EInvalidGraphic);
    BmpBuilder depth = good;
    depth.bpp = 7;
    const auto d = depth.Build();
    EXPECT_THROW(a->LoadFromBytes(d.data(), d.size()), EInvalidGraphic);
    EXPECT_EQ(a->GetWidth(), 2);
    EXPECT_EQ(Px(a, 1, 1), clRed);
}

TEST_F(BitmapTest, SizesThatCannotBeHadRaiseFrameworkExceptionsAndKeepThePixels) {
    struct Case {
        Integer width, height;
        TPixelFormat format;
        const char* error;  // class name of the exception
    };
    const Case cases[] = {
        {100000, 100000, pf24bit, "EOutOfResources"},  // 30 GB: more than an Integer counts
        {20000, 40000, pf24bit, "EOutOfResources"},    // 2.4 GB, just past 2^31 bytes
        {800000000, 1, pf24bit, "EInvalidGraphic"},    // one row of 2.4 GB
        {0x7FFFFFFF, 8, pf1bit, "EOutOfResources"},    // eight rows of 256 MB fit no Integer
    };
    for (const Case& c : cases) {
        TBitmap* b = Bitmap(3, 2, clRed);
        b->SetPixelFormat(c.format);
        const TColor corner = Px(b, 2, 1);
        std::string raised;
        try {
            b->SetSize(c.width, c.height);
        } catch (Exception& e) {
            raised = e.ClassName();
        }
        EXPECT_EQ(raised, c.error) << c.width << " x " << c.height;
        EXPECT_EQ(b->GetWidth(), 3);
        EXPECT_EQ(b->GetHeight(), 2);
        EXPECT_EQ(Px(b, 2, 1), corner);
    }
    // The Windows calls answer null instead.
    EXPECT_EQ(CreateBitmap(100000, 100000, 1, 24, nullptr), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 100000, 100000), nullptr);
}

TEST_F(BitmapTest, FilesLoadAndSave) {
    const std::string name = ::testing::TempDir() + "canvas_roundtrip.bmp";
    TBitmap* a = Bitmap(3, 3, clTeal);
    a->SaveToFile(name);
    TBitmap b;
    b.LoadFromFile(name);
    EXPECT_EQ(Px(&b, 2, 2), clTeal);
    EXPECT_THROW(b.LoadFromFile(name + ".missing"), EFOpenError);
}

}  // namespace
