// Pixel tests of the canvas and the device-context calls on bitmaps: the Windows edge rules,
// mix modes, hatches, polygon fill, clipping and saved states.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/backend.h"
#include "framework/graphics.h"
#include "framework/tests/graphics_fixture.h"

namespace {

using lumora_test::Ink;
using lumora_test::Px;

class CanvasTest : public lumora_test::GraphicsTest {};

TEST_F(CanvasTest, FillRectLeavesOutRightAndBottomEdges) {
    TBitmap* b = Bitmap(10, 8);
    b->GetCanvas()->GetBrush()->SetColor(clRed);
    b->GetCanvas()->FillRect(Rect(2, 3, 6, 5));
    EXPECT_EQ(Ink(b, clRed), "..........\n"
                                "..........\n"
                                "..........\n"
                                "..####....\n"
                                "..####....\n"
                                "..........\n"
                                "..........\n"
                                "..........\n");
}

TEST_F(CanvasTest, RectangleOutlinesEdgePixelsAndFillsInside) {
    TBitmap* b = Bitmap(8, 7);
    TCanvas* c = b->GetCanvas();
    c->GetBrush()->SetColor(clRed);
    c->Rectangle(1, 1, 6, 5);
    EXPECT_EQ(Ink(b, clBlack), "........\n"
                                ".#####..\n"
                                ".#...#..\n"
                                ".#...#..\n"
                                ".#####..\n"
                                "........\n"
                                "........\n");
    EXPECT_EQ(Ink(b, clRed), "........\n"
                                "........\n"
                                "..###...\n"
                                "..###...\n"
                                "........\n"
                                "........\n"
                                "........\n");
}

TEST_F(CanvasTest, RectangleWithoutPenFillsOnePixelShort) {
    TBitmap* b = Bitmap(6, 5);
    TCanvas* c = b->GetCanvas();
    c->GetPen()->SetStyle(psClear);
    c->GetBrush()->SetColor(clBlue);
    c->Rectangle(1, 1, 5, 4);
    EXPECT_EQ(Ink(b, clBlue), "......\n"
                                ".###..\n"
                                ".###..\n"
                                "......\n"
                                "......\n");
}

struct LineCase {
    int x1, y1, x2, y2;
    const char* ink;
};

TEST_F(CanvasTest, LineToLeavesOutItsEndPoint) {
    const LineCase cases[] = {
        {0, 0, 5, 0, "#####.\n......\n......\n......\n......\n......\n"},
        {5, 5, 0, 5, "......\n......\n......\n......\n......\n.#####\n"},
        {1, 0, 1, 4, ".#....\n.#....\n.#....\n.#....\n......\n......\n"},
        {0, 0, 4, 4, "#.....\n.#....\n..#...\n...#..\n......\n......\n"},
        {0, 0, 0, 0, "......\n......\n......\n......\n......\n......\n"},
    };
    for (const LineCase& lc : cases) {
        TBitmap* b = Bitmap(6, 6);
        b->GetCanvas()->MoveTo(lc.x1, lc.y1);
        b->GetCanvas()->LineTo(lc.x2, lc.y2);
        EXPECT_EQ(Ink(b, clBlack), lc.ink) << lc.x1 << "," << lc.y1 << " -> " << lc.x2 << "," << lc.y2;
        EXPECT_EQ(b->GetCanvas()->GetPenPos(), Point(lc.x2, lc.y2));
    }
}

TEST_F(CanvasTest, PolylineDrawsSharedCornersOnce) {
    // With an xor pen a corner drawn twice would vanish.
    TBitmap* b = Bitmap(6, 6);
    TCanvas* c = b->GetCanvas();
    c->GetPen()->SetMode(pmXor);
    c->GetPen()->SetColor(clWhite);
    c->Polyline({Point(0, 0), Point(3, 0), Point(3, 3)});
    EXPECT_EQ(Ink(b, clBlack), "####..\n...#..\n...#..\n......\n......\n......\n");
}

TEST_F(CanvasTest, XorAndNotXorTwiceRestore) {
    for (TPenMode mode : {pmXor, pmNotXor, pmNot}) {
        TBitmap* b = Bitmap(20, 20);
        Pattern(b);
        const std::vector<Byte> before = Pixels(b);
        TCanvas* c = b->GetCanvas();
        c->GetPen()->SetMode(mode);
        c->GetPen()->SetColor(TColor(0x3366CC));
        c->GetBrush()->SetColor(TColor(0x123456));
        for (int pass = 0; pass < 2; ++pass) {
            c->MoveTo(1, 2);
            c->LineTo(18, 15);
            c->Rectangle(3, 3, 14, 12);
            c->Ellipse(5, 1, 19, 18);
            if (pass == 0) {
                EXPECT_NE(Pixels(b), before) << mode;
            }
        }
        EXPECT_EQ(Pixels(b), before) << mode;
    }
}

TEST_F(CanvasTest, PenModeNotInvertsAndMaskMergeCombine) {
    TBitmap* b = Bitmap(4, 1);
    TCanvas* c = b->GetCanvas();
    c->GetPixels(0, 0);
    c->SetPixels(0, 0, TColor(0x0F0F0F));
    c->SetPixels(1, 0, TColor(0x0F0F0F));
    c->SetPixels(2, 0, TColor(0x0F0F0F));
    c->GetPen()->SetColor(TColor(0x330033));
    c->GetPen()->SetMode(pmNot);
    c->MoveTo(0, 0);
    c->LineTo(1, 0);
    c->GetPen()->SetMode(pmMask);
    c->LineTo(2, 0);
    c->GetPen()->SetMode(pmMerge);
    c->LineTo(3, 0);
    EXPECT_EQ(Px(b, 0, 0), TColor(0xF0F0F0));
    EXPECT_EQ(Px(b, 1, 0), TColor(0x030003));
    EXPECT_EQ(Px(b, 2, 0), TColor(0x3F0F3F));
}

TEST_F(CanvasTest, FillRectIgnoresThePenMode) {
    TBitmap* b = Bitmap(3, 3);
    TCanvas* c = b->GetCanvas();
    c->GetPen()->SetMode(pmXor);
    c->GetBrush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 3, 3));
    EXPECT_EQ(Px(b, 1, 1), clRed);
}

TEST_F(CanvasTest, DrawFocusRectTwiceRestoresAndInvertsHalfTheFrame) {
    TBitmap* b = Bitmap(12, 10);
    Pattern(b);
    const std::vector<Byte> before = Pixels(b);
    TCanvas* c = b->GetCanvas();
    c->DrawFocusRect(Rect(1, 1, 11, 9));
    int changed = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool frame = (x == 1 || x == 10 || y == 1 || y == 8) && x >= 1 && x <= 10 && y >= 1 && y <= 8;
            const bool diff = std::memcmp(&Pixels(b)[size_t(y * 12 + x) * 3], &before[size_t(y * 12 + x) * 3], 3) != 0;
            if (!frame) {
                EXPECT_FALSE(diff) << x << "," << y;
            }
            changed += diff;
        }
    EXPECT_EQ(changed, 16);  // every other pixel of the 32-pixel frame
    c->DrawFocusRect(Rect(1, 1, 11, 9));
    EXPECT_EQ(Pixels(b), before);
}

TEST_F(CanvasTest, HatchBrushesDrawOnlyTheirLines) {
    struct Case {
        TBrushStyle style;
        const char* cell;  // one 8 x 8 cell from the brush origin
    };
    const Case cases[] = {
        {bsHorizontal, "........\n........\n........\n########\n........\n........\n........\n........\n"},
        {bsVertical, "....#...\n....#...\n....#...\n....#...\n....#...\n....#...\n....#...\n....#...\n"},
        {bsFDiagonal, "#.......\n.#......\n..#.....\n...#....\n....#...\n.....#..\n......#.\n.......#\n"},
        {bsBDiagonal, ".......#\n......#.\n.....#..\n....#...\n...#....\n..#.....\n.#......\n#.......\n"},
        {bsCross, "....#...\n....#...\n....#...\n########\n....#...\n....#...\n....#...\n....#...\n"},
        {bsDiagCross, "#......#\n.#....#.\n..#..#..\n...##...\n...##...\n..#..#..\n.#....#.\n#......#\n"},
    };
    for (const Case& hc : cases) {
        TBitmap* b = Bitmap(8, 8);
        TCanvas* c = b->GetCanvas();
        c->GetBrush()->SetColor(clBlue);
        c->GetBrush()->SetStyle(hc.style);
        c->FillRect(Rect(0, 0, 8, 8));
        EXPECT_EQ(Ink(b, clBlue), hc.cell) << hc.style;
        // The gaps keep what was there (the canvas draws hatches transparently).
        EXPECT_TRUE(Ink(b, clWhite).find('.') != std::string::npos);
    }
}

TEST_F(CanvasTest, HatchFollowsTheBrushOriginAndOpaqueModeFillsGaps) {
    TBitmap* b = Bitmap(8, 8);
    HDC dc = b->GetCanvas()->GetHandle();
    HBRUSH br = CreateHatchBrush(HS_HORIZONTAL, RGB(0, 0, 255));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 255, 0));
    SetBrushOrgEx(dc, 0, 2, nullptr);
    TRect r(0, 0, 8, 8);
    FillRect(dc, &r, br);
    DeleteObject(br);
    EXPECT_EQ(Ink(b, clBlue), "........\n........\n........\n........\n........\n########\n........\n........\n");
    EXPECT_EQ(Px(b, 0, 0), clLime);
}

TEST_F(CanvasTest, PatternBrushUsesTextAndBackgroundColoursForMonochrome) {
    TBitmap pattern;
    pattern.SetPixelFormat(pf1bit);
    pattern.SetSize(2, 2);
    auto* row0 = static_cast<Byte*>(pattern.ScanLine(0));
    auto* row1 = static_cast<Byte*>(pattern.ScanLine(1));
    row0[0] = 0x80;  // set (white) at (0, 0), clear at (1, 0)
    row1[0] = 0x40;
    TBitmap* b = Bitmap(4, 2);
    TCanvas* c = b->GetCanvas();
    c->GetBrush()->SetBitmap(&pattern);
    c->GetBrush()->SetColor(clYellow);  // background colour: set bits
    c->GetFont()->SetColor(clNavy);     // text colour: clear bits
    c->GetHandle();                     // selects the font, so its colour becomes the text colour
    c->FillRect(Rect(0, 0, 4, 2));
    EXPECT_EQ(Px(b, 0, 0), clYellow);
    EXPECT_EQ(Px(b, 1, 0), clNavy);
    EXPECT_EQ(Px(b, 2, 0), clYellow);
    EXPECT_EQ(Px(b, 1, 1), clYellow);
    c->GetBrush()->SetBitmap(nullptr);
}

TEST_F(CanvasTest, PolygonFillsByTheAlternateRule) {
    // A five-pointed star drawn in one stroke: its centre lies inside twice.
    const std::vector<TPoint> star = {Point(10, 0), Point(16, 19), Point(0, 7), Point(20, 7), Point(4, 19)};
    TBitmap* b = Bitmap(21, 21);
    TCanvas* c = b->GetCanvas();
    c->GetPen()->SetStyle(psClear);
    c->GetBrush()->SetColor(clRed);
    c->Polygon(star);
    EXPECT_EQ(Px(b, 10, 10), clWhite);  // the centre stays empty
    EXPECT_EQ(Px(b, 10, 3), clRed);   // a point of the star is filled
    SetPolyFillMode(c->GetHandle(), WINDING);
    c->Polygon(star);
    EXPECT_EQ(Px(b, 10, 10), clRed);
}

TEST_F(CanvasTest, PolygonFillLeavesOutRightAndBottomEdges) {
    TBitmap* b = Bitmap(6, 6);
    TCanvas* c = b->GetCanvas();
    c->GetPen()->SetStyle(psClear);
    c->GetBrush()->SetColor(clRed);
    c->Polygon({Point(1, 1), Point(4, 1), Point(4, 4), Point(1, 4)});
    EXPECT_EQ(Ink(b, clRed), "......\n.###..\n.###..\n.###..\n......\n......\n");
    c->GetPen()->SetStyle(psSolid);
    c->Polygon({Point(1, 1), Point(4, 1), Point(4, 4), Point(1, 4)});
    EXPECT_EQ(Ink(b, clBlack), "......\n.####.\n.#..#.\n.#..#.\n.####.\n......\n");
}

TEST_F(CanvasTest, ClipRegionsLimitDrawingAndSaveRestoreBringsThemBack) {
    TBitmap* b = Bitmap(8, 6);
    TCanvas* c = b->GetCanvas();
    HDC dc = c->GetHandle();
    c->GetBrush()->SetColor(clRed);
    IntersectClipRect(dc, 1, 1, 7, 5);
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, 3, 2, 5, 4);
    EXPECT_FALSE(RectVisible(dc, &static_cast<const TRect&>(Rect(3, 2, 5, 4))));
    EXPECT_TRUE(RectVisible(dc, &static_cast<const TRect&>(Rect(2, 2, 4, 4))));
    c->FillRect(Rect(0, 0, 8, 6));
    EXPECT_EQ(Ink(b, clRed), "........\n.######.\n.##..##.\n.##..##.\n.######.\n........\n");
    ASSERT_TRUE(RestoreDC(dc, saved));
    c->GetBrush()->SetColor(clBlue);
    c->FillRect(Rect(0, 0, 8, 6));
    EXPECT_EQ(Ink(b, clBlue), "........\n.######.\n.######.\n.######.\n.######.\n........\n");
    EXPECT_EQ(c->GetClipRect(), Rect(1, 1, 7, 5));
    SelectClipRgn(dc, nullptr);
    EXPECT_EQ(c->GetClipRect(), Rect(0, 0, 8, 6));
}

TEST_F(CanvasTest, PolygonRegionAsClipExcludesRightAndBottomEdges) {
    TBitmap* b = Bitmap(6, 6);
    TCanvas* c = b->GetCanvas();
    const TPoint tri[] = {Point(0, 0), Point(4, 0), Point(0, 4)};
    HRGN rgn = CreatePolygonRgn(tri, 3, ALTERNATE);
    SelectClipRgn(c->GetHandle(), rgn);
    DeleteObject(rgn);
    c->GetBrush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 6, 6));
    EXPECT_EQ(Ink(b, clRed), "####..\n###...\n##....\n#.....\n......\n......\n");
}

TEST_F(CanvasTest, RegionsCombineAndAnswerQueries) {
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(5, 5, 15, 15);
    HRGN d = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), SIMPLEREGION);
    TRect box;
    GetRgnBox(d, &box);
    EXPECT_EQ(box, Rect(5, 5, 10, 10));
    EXPECT_EQ(CombineRgn(d, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(d, 14, 14));
    EXPECT_FALSE(PtInRegion(d, 14, 2));
    EXPECT_EQ(CombineRgn(d, a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(d, 7, 7));
    EXPECT_EQ(CombineRgn(d, a, a, RGN_XOR), NULLREGION);
    OffsetRgn(a, 3, 4);
    GetRgnBox(a, &box);
    EXPECT_EQ(box, Rect(3, 4, 13, 14));
    for (HRGN r : {a, b, d}) DeleteObject(r);
}

TEST_F(CanvasTest, SaveDCRestoresColoursObjectsAndOrigins) {
    TBitmap* b = Bitmap(4, 4);
    HDC dc = b->GetCanvas()->GetHandle();
    SetTextColor(dc, RGB(1, 2, 3));
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    const int level = SaveDC(dc);
    EXPECT_EQ(level, 1);
    SetTextColor(dc, RGB(9, 9, 9));
    SetViewportOrgEx(dc, 2, 2, nullptr);
    SelectObject(dc, GetStockObject(NULL_PEN));
    EXPECT_EQ(SaveDC(dc), 2);
    EXPECT_TRUE(RestoreDC(dc, -2));
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    TPoint org;
    GetViewportOrgEx(dc, &org);
    EXPECT_EQ(org, Point(0, 0));
    EXPECT_FALSE(RestoreDC(dc, 1));  // nothing saved any more
}

TEST_F(CanvasTest, ViewportOriginMovesDrawing) {
    TBitmap* b = Bitmap(5, 3);
    TCanvas* c = b->GetCanvas();
    SetViewportOrgEx(c->GetHandle(), 2, 1, nullptr);
    c->GetBrush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 2, 1));
    EXPECT_EQ(Ink(b, clRed), ".....\n..##.\n.....\n");
    SetViewportOrgEx(c->GetHandle(), 0, 0, nullptr);
}

TEST_F(CanvasTest, FrameRectAndDashedPenGaps) {
    TBitmap* b = Bitmap(5, 4);
    TCanvas* c = b->GetCanvas();
    c->GetBrush()->SetColor(clRed);
    c->FrameRect(Rect(0, 0, 5, 4));
    EXPECT_EQ(Ink(b, clRed), "#####\n#...#\n#...#\n#####\n");

    TBitmap* d = Bitmap(12, 2);
    TCanvas* dc = d->GetCanvas();
    dc->GetPen()->SetStyle(psDot);
    dc->GetBrush()->SetColor(clLime);  // opaque background: gaps take the brush colour
    dc->MoveTo(0, 0);
    dc->LineTo(12, 0);
    dc->GetBrush()->SetStyle(bsClear);  // transparent: gaps stay
    dc->MoveTo(0, 1);
    dc->LineTo(12, 1);
    EXPECT_EQ(Ink(d, clBlack), "###...###...\n###...###...\n");
    EXPECT_EQ(Px(d, 3, 0), clLime);
    EXPECT_EQ(Px(d, 3, 1), clWhite);
}

TEST_F(CanvasTest, FloodFillSurfaceAndBorder) {
    TBitmap* b = Bitmap(7, 5);
    TCanvas* c = b->GetCanvas();
    c->GetBrush()->SetStyle(bsClear);
    c->Rectangle(1, 0, 6, 5);
    c->GetBrush()->SetColor(clRed);
    c->FloodFill(3, 2, clWhite, fsSurface);
    EXPECT_EQ(Ink(b, clRed), ".......\n..###..\n..###..\n..###..\n.......\n");
    c->GetBrush()->SetColor(clBlue);
    c->FloodFill(0, 0, clBlack, fsBorder);
    EXPECT_EQ(Ink(b, clBlue), "#......\n#......\n#......\n#......\n#......\n");
}

TEST_F(CanvasTest, PixelsOutsideTheBitmapAreInvalid) {
    TBitmap* b = Bitmap(2, 2);
    TCanvas* c = b->GetCanvas();
    c->SetPixels(1, 1, clRed);
    EXPECT_EQ(c->GetPixels(1, 1), clRed);
    EXPECT_EQ(c->GetPixels(5, 0), TColor(-1));
}

TEST_F(CanvasTest, CanvasChangesMarkTheBitmapModified) {
    TBitmap* b = Bitmap(2, 2);
    int changes = 0;
    b->OnChange = [&](TObject*) { ++changes; };
    b->SetModified(false);
    b->GetCanvas()->FillRect(Rect(0, 0, 1, 1));
    EXPECT_GE(changes, 1);
    EXPECT_TRUE(b->GetModified());
}

}  // namespace
