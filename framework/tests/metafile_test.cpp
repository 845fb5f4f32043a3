// The metafile player: placement and coordinate spaces, objects and saved states, paths and
// clipping, wide pens, bitmaps, and damaged files.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/graphics.h"
#include "framework/metafile_player.h"
#include "framework/testing/metafile_writer.h"
#include "framework/tests/graphics_fixture.h"

using lumora_test::Px;
using lumora_test::TEmfWriter;
using lumora_test::TWmfWriter;

namespace {

constexpr TColor kRed = TColor(0x0000FF), kBlue = TColor(0xFF0000), kGreen = TColor(0x00FF00);
constexpr TColor kWhite = TColor(0xFFFFFF), kBlack = TColor(0);

class MetafileTest : public lumora_test::GraphicsTest {
protected:
    TBitmap* Play(const std::vector<uint8_t>& bytes, int w, int h) {
        TBitmap* b = Bitmap(w, h);
        TMetafile m;
        m.LoadFromBytes(bytes.data(), bytes.size());
        b->GetCanvas()->StretchDraw(TRect(0, 0, w, h), &m);
        return b;
    }
};

// An enhanced metafile of 100 x 100 reference pixels with a null pen selected.
TEmfWriter Emf100() {
    TEmfWriter e(TRect(0, 0, 100, 100));
    e.Select(0x80000000u | NULL_PEN);
    return e;
}

}  // namespace

TEST_F(MetafileTest, WindowsMetafilesAreScaledIntoTheRectangle) {
    TWmfWriter w(true, TRect(0, 0, 100, 100), 96);
    w.Pen(PS_NULL, 0, 0);
    w.Brush(BS_SOLID, 0x0000FF);
    w.Select(0);
    w.Select(1);
    w.Rectangle(25, 25, 75, 75);
    for (int side : {40, 80}) {
        TBitmap* b = Play(w.Bytes(), side, side);
        EXPECT_EQ(Px(b, side / 2, side / 2), kRed) << side;
        EXPECT_EQ(Px(b, side / 4, side / 4), kRed) << side;
        EXPECT_EQ(Px(b, side / 4 - 1, side / 2), kWhite) << side;
        EXPECT_EQ(Px(b, side * 3 / 4 + 1, side / 2), kWhite) << side;
    }
}

TEST_F(MetafileTest, PlainWindowsMetafilesTakeTheirSizeFromTheWindow) {
    struct Case {
        int orgY, extY;
        int redRow, whiteRow;
    };
    // Logical rows 200..220 of a window 40 high: at the top, or at the bottom when y grows upwards.
    for (const Case c : {Case{200, 40, 5, 30}, Case{240, -40, 30, 5}}) {
        TWmfWriter w(false);
        w.WindowOrg(100, c.orgY);
        w.WindowExt(50, c.extY);
        w.Pen(PS_NULL, 0, 0);
        w.Brush(BS_SOLID, 0x0000FF);
        w.Select(0);
        w.Select(1);
        w.Rectangle(100, 200, 125, 220);
        TMetafile m;
        const auto bytes = w.Bytes();
        m.LoadFromBytes(bytes.data(), bytes.size());
        EXPECT_EQ(m.GetWidth(), 50);
        EXPECT_EQ(m.GetHeight(), 40);
        EXPECT_FALSE(m.GetEnhanced());
        TBitmap* b = Play(bytes, 50, 40);
        EXPECT_EQ(Px(b, 10, c.redRow), kRed) << c.extY;
        EXPECT_EQ(Px(b, 10, c.whiteRow), kWhite) << c.extY;
        EXPECT_EQ(Px(b, 40, c.redRow), kWhite) << c.extY;
    }
}

TEST_F(MetafileTest, ObjectsTakeTheFirstFreeSlotAndSavedStatesComeBack) {
    TWmfWriter w(true, TRect(0, 0, 40, 10), 96);
    w.Pen(PS_NULL, 0, 0);         // 0
    w.Brush(BS_SOLID, 0x0000FF);  // 1
    w.Brush(BS_SOLID, 0xFF0000);  // 2
    w.Select(0);
    w.Select(1);
    w.SaveDC();
    w.Select(2);
    w.Rectangle(0, 0, 10, 10);  // blue
    w.RestoreDC(-1);
    w.Rectangle(10, 0, 20, 10);  // red again
    w.Delete(2);
    w.Brush(BS_SOLID, 0x00FF00);  // takes slot 2
    w.Select(2);
    w.Rectangle(20, 0, 30, 10);  // green
    w.Select(77);                // no such object: nothing changes
    w.RestoreDC(-5);             // no such state
    w.Rectangle(30, 0, 40, 10);  // still green
    TBitmap* b = Play(w.Bytes(), 40, 10);
    EXPECT_EQ(Px(b, 5, 5), kBlue);
    EXPECT_EQ(Px(b, 15, 5), kRed);
    EXPECT_EQ(Px(b, 25, 5), kGreen);
    EXPECT_EQ(Px(b, 35, 5), kGreen);
}

TEST_F(MetafileTest, EnhancedMetafilesFollowMappingModesAndTheWorldTransform) {
    struct Case {
        const char* name;
        std::function<void(TEmfWriter&)> setup;
        TRect rect;
        TPoint red, white;
    };
    const Case cases[] = {
        {"text", [](TEmfWriter&) {}, TRect(10, 10, 30, 30), TPoint(20, 20), TPoint(40, 40)},
        {"viewport origin", [](TEmfWriter& e) { e.ViewportOrg(50, 50); }, TRect(0, 0, 20, 20), TPoint(60, 60),
         TPoint(20, 20)},
        {"anisotropic",
         [](TEmfWriter& e) {
             e.MapMode(8);
             e.WindowExt(1000, 1000);
             e.ViewportExt(100, 100);
         },
         TRect(500, 500, 700, 700), TPoint(60, 60), TPoint(40, 40)},
        {"isotropic keeps the aspect",
         [](TEmfWriter& e) {
             e.MapMode(7);
             e.WindowExt(1000, 500);
             e.ViewportExt(100, 100);
         },
         TRect(0, 0, 1000, 500), TPoint(50, 40), TPoint(50, 60)},
        {"hundredths of a millimetre, y upwards",
         [](TEmfWriter& e) {
             e.MapMode(3);
             e.ViewportOrg(0, 100);
         },
         TRect(0, 0, 1000, 1000), TPoint(20, 80), TPoint(20, 50)},
        {"world turned a quarter", [](TEmfWriter& e) { e.WorldTransform(0, 1, -1, 0, 100, 0); }, TRect(10, 10, 30, 40),
         TPoint(75, 20), TPoint(20, 20)},
    };
    for (const Case& c : cases) {
        TEmfWriter e = Emf100();
        e.Brush(1, BS_SOLID, 0x0000FF);
        e.Select(1);
        c.setup(e);
        e.Rectangle(c.rect.Left, c.rect.Top, c.rect.Right, c.rect.Bottom);
        TBitmap* b = Play(e.Bytes(), 100, 100);
        EXPECT_EQ(Px(b, c.red.X, c.red.Y), kRed) << c.name;
        EXPECT_EQ(Px(b, c.white.X, c.white.Y), kWhite) << c.name;
    }
}

TEST_F(MetafileTest, EnhancedMetafilesMapTheirFrameOntoTheRectangle) {
    // A frame of 50 x 50 reference pixels starting at (50, 50): its top-left quarter lands on the
    // whole destination.
    TEmfWriter e(TRect(50, 50, 100, 100), TRect(500, 500, 1000, 1000), TSize{1000, 1000}, TSize{100, 100});
    e.Select(0x80000000u | NULL_PEN);
    e.Brush(1, BS_SOLID, 0x0000FF);
    e.Select(1);
    e.Rectangle(50, 50, 75, 75);
    TBitmap* b = Play(e.Bytes(), 100, 100);
    EXPECT_EQ(Px(b, 25, 25), kRed);
    EXPECT_EQ(Px(b, 75, 75), kWhite);
}

TEST_F(MetafileTest, PathsAreFilledStrokedAndClipTo) {
    TEmfWriter e = Emf100();
    e.Brush(1, BS_SOLID, 0x0000FF);
    e.Brush(2, BS_SOLID, 0xFF0000);
    e.Select(1);
    // A triangle, and a curve closed into a figure.
    e.BeginPath();
    e.Poly(3, {TPoint(0, 0), TPoint(40, 0), TPoint(0, 40)});
    e.MoveTo(60, 0);
    e.Poly(5, {TPoint(100, 0), TPoint(100, 40), TPoint(60, 40)});
    e.CloseFigure();
    e.EndPath();
    e.FillPath();
    // Clipped to the left half of the lower part.
    e.BeginPath();
    e.Rectangle(0, 50, 50, 100);
    e.EndPath();
    e.SelectClipPath(RGN_COPY);
    e.Select(2);
    e.Rectangle(0, 0, 100, 100);
    TBitmap* b = Play(e.Bytes(), 100, 100);
    EXPECT_EQ(Px(b, 10, 10), kRed);
    EXPECT_EQ(Px(b, 35, 35), kWhite);
    EXPECT_EQ(Px(b, 85, 20), kRed);
    EXPECT_EQ(Px(b, 95, 20), kWhite);
    EXPECT_EQ(Px(b, 25, 75), kBlue);
    EXPECT_EQ(Px(b, 75, 75), kWhite);
}

TEST_F(MetafileTest, WidePensKeepTheirCapsAndDashes) {
    struct Case {
        uint32_t style;
        std::initializer_list<uint32_t> dashes;
        std::vector<std::pair<int, TColor>> along;  // x on the line at y = 50, and its colour
    };
    const Case cases[] = {
        {PS_GEOMETRIC | PS_ENDCAP_FLAT, {}, {{50, kBlack}, {22, kBlack}, {17, kWhite}, {83, kWhite}}},
        {PS_GEOMETRIC | PS_ENDCAP_SQUARE, {}, {{50, kBlack}, {17, kBlack}, {83, kBlack}, {12, kWhite}}},
        {PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_USERSTYLE, {10, 10}, {{25, kBlack}, {35, kWhite}, {45, kBlack}}},
    };
    for (const Case& c : cases) {
        TEmfWriter e(TRect(0, 0, 100, 100));
        e.ExtPen(1, c.style, 10, 0, c.dashes);
        e.Select(1);
        e.MoveTo(20, 50);
        e.LineTo(80, 50);
        TBitmap* b = Play(e.Bytes(), 100, 100);
        for (const auto& [x, colour] : c.along) EXPECT_EQ(Px(b, x, 50), colour) << std::hex << c.style << " x " << x;
    }
}

TEST_F(MetafileTest, BitmapsAreStretchedAndBlended) {
    // Top row red, green; bottom row blue, white.
    const auto dib = lumora_test::PackedDib(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
    TEmfWriter e = Emf100();
    e.StretchDIBits(0, 0, 40, 40, dib, 40, 2, 2);
    // Half of a red square over the white page.
    e.AlphaBlend(50, 50, 20, 20, lumora_test::PackedDib(1, 1, {0xFF0000}), 40, 1, 1, 128, false);
    // Per-pixel alpha, premultiplied: a quarter-strength green.
    e.AlphaBlend(80, 80, 10, 10, lumora_test::PackedDib(1, 1, {0x40004000}, true), 40, 1, 1, 255, true);
    TBitmap* b = Play(e.Bytes(), 100, 100);
    EXPECT_EQ(Px(b, 10, 10), kRed);
    EXPECT_EQ(Px(b, 30, 10), kGreen);
    EXPECT_EQ(Px(b, 10, 30), kBlue);
    EXPECT_EQ(Px(b, 30, 30), kWhite);
    const TColor half = Px(b, 60, 60);
    EXPECT_EQ(half & 0xFF, 0xFFu);
    EXPECT_NEAR(double((half >> 8) & 0xFF), 127, 2);
    const TColor quarter = Px(b, 85, 85);
    EXPECT_NEAR(double(quarter & 0xFF), 191, 2);
    EXPECT_NEAR(double((quarter >> 8) & 0xFF), 255, 2);

    TWmfWriter w(true, TRect(0, 0, 40, 40), 96);
    w.StretchDib(0, 0, 40, 40, dib, 2, 2);
    TBitmap* wb = Play(w.Bytes(), 40, 40);
    EXPECT_EQ(Px(wb, 10, 10), kRed);
    EXPECT_EQ(Px(wb, 10, 30), kBlue);
}

TEST_F(MetafileTest, CommentsAndUnknownRecordsAreSkipped) {
    TEmfWriter e = Emf100();
    std::vector<uint8_t> plus = {'E', 'M', 'F', '+', 1, 0x40, 0, 0, 12, 0, 0, 0};
    e.Comment(plus);
    e.Rec(250, {1, 2, 3});
    // Text by glyph index draws no characters.
    e.Rec(84, {0, 0, 0, 0, 1, 0, 0, 10, 10, 1, 76, 0x10, 0, 0, 0, 0, 0, 0x41});
    e.Brush(1, BS_SOLID, 0x0000FF);
    e.Select(1);
    e.Rectangle(0, 0, 100, 100);
    TBitmap* b = Play(e.Bytes(), 100, 100);
    EXPECT_EQ(Px(b, 50, 50), kRed);
}

// ---- damaged files ------------------------------------------------------------------------------

namespace {

// The records before the damage draw a red square at the top left; those after it a blue one at
// the bottom right, drawn only when the damage leaves the rest of the file playable.
std::vector<uint8_t> DamagedEmf(const std::function<void(TEmfWriter&)>& damage) {
    TEmfWriter e = Emf100();
    e.Brush(1, BS_SOLID, 0x0000FF);
    e.Brush(2, BS_SOLID, 0xFF0000);
    e.Select(1);
    e.Rectangle(0, 0, 50, 50);
    damage(e);
    e.Select(2);
    e.Rectangle(50, 50, 100, 100);
    return e.Bytes();
}

std::vector<uint8_t> DamagedWmf(const std::function<void(TWmfWriter&)>& damage) {
    TWmfWriter w(true, TRect(0, 0, 100, 100), 96);
    w.Pen(PS_NULL, 0, 0);
    w.Brush(BS_SOLID, 0x0000FF);
    w.Brush(BS_SOLID, 0xFF0000);
    w.Select(0);
    w.Select(1);
    w.Rectangle(0, 0, 50, 50);
    damage(w);
    w.Select(2);
    w.Rectangle(50, 50, 100, 100);
    return w.Bytes();
}

}  // namespace

TEST_F(MetafileTest, DamagedFilesPlayWhatTheyCanAndNothingOutside) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool restDrawn;
    };
    std::vector<Case> cases = {
        {"emf: count beyond the record", DamagedEmf([](TEmfWriter& e) { e.Rec(3, {0, 0, 0, 0, 0x40000000, 1, 2}); }),
         true},
        {"emf: poly-polygon counts past the total",
         DamagedEmf([](TEmfWriter& e) { e.Rec(8, {0, 0, 0, 0, 2, 3, 2, 2, 0, 0, 1, 1, 2, 2}); }), true},
        {"emf: object index past the table",
         DamagedEmf([](TEmfWriter& e) {
             e.Select(0xFFFF);
             e.Select(0x7FFFFFFF);
             e.Delete(0x12345);
             e.Rec(38, {900, 0, 1, 0, 0});
         }),
         true},
        {"emf: bitmap outside the record",
         DamagedEmf([](TEmfWriter& e) {
             e.Rec(81, {0, 0, 0, 0, 0, 0, 0, 0, 10, 10, 0x7FFFFFF0, 40, 80, 400, 0, 0xCC0020, 10, 10});
         }),
         true},
        {"emf: bitmap header lying about its rows",
         DamagedEmf([](TEmfWriter& e) {
             e.Rec(81, {0, 0, 0, 0, 0, 0, 0, 0, 4000, 4000, 80, 40, 120, 4, 0, 0xCC0020, 100, 100, 40, 4000, 4000,
                        0x00180001, 0, 0, 0, 0, 0, 0, 0});
         }),
         true},
        {"emf: region counts past its data",
         DamagedEmf([](TEmfWriter& e) { e.Rec(75, {48, RGN_COPY, 32, 1, 100000, 0, 0, 0, 10, 10, 0, 0, 5, 5}); }),
         true},
        {"emf: states saved without end",
         DamagedEmf([](TEmfWriter& e) {
             for (int i = 0; i < 3000; ++i) e.SaveDC();
             e.RestoreDC(-2999);
         }),
         true},
        {"emf: text past the record",
         DamagedEmf([](TEmfWriter& e) {
             e.Rec(84, {0, 0, 0, 0, 1, 0, 0, 10, 10, 5000, 76, 0, 0, 0, 0, 0, 0x7FFFFFF0});
         }),
         true},
        {"emf: records shorter than their fields", DamagedEmf([](TEmfWriter& e) { e.Rec(43, {}); e.Rec(37, {}); }),
         true},
        {"wmf: count beyond the record", DamagedWmf([](TWmfWriter& w) { w.Rec(0x0324, {30000, 1, 2}); }), true},
        {"wmf: poly-polygon counts past the record",
         DamagedWmf([](TWmfWriter& w) { w.Rec(0x0538, {2, 9000, 9000, 0, 0}); }), true},
        {"wmf: object index past the table",
         DamagedWmf([](TWmfWriter& w) {
             w.Select(30000);
             w.Delete(65535);
         }),
         true},
        {"wmf: bitmap header lying about its size",
         DamagedWmf([](TWmfWriter& w) {
             w.Rec(0x0F43, {0x20, 0xCC, 0, 100, 100, 0, 0, 100, 100, 0, 0, 40, 0, 30000, 0, 30000, 0, 1, 24, 0, 0});
         }),
         true},
        {"wmf: text longer than the record", DamagedWmf([](TWmfWriter& w) { w.Rec(0x0521, {200, 0x4141}); }), true},
        {"wmf: record of no size", DamagedWmf([](TWmfWriter& w) { w.Raw(0x041B, {}); w.Rec(0x0000 + 0x0102, {}); }),
         true},
    };
    // A record whose size runs past the end of the file ends the play there.
    {
        auto bytes = DamagedEmf([](TEmfWriter& e) { e.Rec(43, {60, 60, 90, 90}); });
        const std::vector<uint8_t> marker = {43, 0, 0, 0, 24, 0, 0, 0, 60, 0, 0, 0};
        const auto it = std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end());
        ASSERT_NE(it, bytes.end());
        it[4] = 0xF0;
        it[5] = 0xFF;
        cases.push_back({"emf: record size past the file end", bytes, false});
        auto shortRecord = bytes;
        const auto it2 = shortRecord.begin() + (it - bytes.begin());
        it2[4] = 4;
        it2[5] = 0;
        cases.push_back({"emf: record smaller than its own header", shortRecord, false});
    }
    {
        auto bytes = DamagedWmf([](TWmfWriter& w) { w.Rectangle(60, 60, 90, 90); });
        const std::vector<uint8_t> marker = {7, 0, 0, 0, 0x1B, 0x04, 90, 0, 90, 0};
        const auto it = std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end());
        ASSERT_NE(it, bytes.end());
        it[2] = 0x10;
        cases.push_back({"wmf: record size past the file end", bytes, false});
        auto shortRecord = bytes;
        shortRecord[size_t(it - bytes.begin()) + 0] = 2;
        shortRecord[size_t(it - bytes.begin()) + 2] = 0;
        cases.push_back({"wmf: record smaller than its own header", shortRecord, false});
    }
    for (const Case& c : cases) {
        TBitmap* b = Play(c.bytes, 100, 100);
        EXPECT_EQ(Px(b, 25, 25), kRed) << c.name;
        EXPECT_EQ(Px(b, 75, 75), c.restDrawn ? kBlue : kWhite) << c.name;
    }
}

TEST_F(MetafileTest, HeadersThatAreNotMetafilesAreRefused) {
    TMetafile m;
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        {0xD7, 0xCD, 0xC6, 0x9A, 0, 0},       // placeable key, nothing after it
        {1, 0, 9, 0, 0, 3},                   // a plain header cut short
        std::vector<uint8_t>(87, 0),          // shorter than an enhanced header
    };
    for (const auto& b : bad) EXPECT_THROW(m.LoadFromBytes(b.data(), b.size()), EInvalidGraphic) << b.size();
    // An enhanced header whose own size runs past the file draws nothing.
    TEmfWriter e = Emf100();
    auto bytes = e.Bytes();
    bytes[4] = 0xFF;
    bytes[5] = 0xFF;
    m.LoadFromBytes(bytes.data(), bytes.size());
    TBitmap* b = Bitmap(10, 10);
    EXPECT_FALSE(PlayMetafileBytes(b->GetCanvas()->GetHandle(), TRect(0, 0, 10, 10), bytes.data(), bytes.size()) &&
                 Px(b, 5, 5) != kWhite);
}
