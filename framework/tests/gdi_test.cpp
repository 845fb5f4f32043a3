// Block transfers, device-independent bitmaps, the DrawDib stand-in, the classic edges and frame
// controls, LineDDA and the colour table.

#include <gtest/gtest.h>

#include <vector>

#include "framework/graphics.h"
#include "framework/tests/graphics_fixture.h"

namespace {

using lumora_test::Ink;
using lumora_test::Px;

class GdiTest : public lumora_test::GraphicsTest {
protected:
    HDC DCOf(TBitmap* b) { return b->GetCanvas()->GetHandle(); }
};

TEST_F(GdiTest, SystemColoursResolveThroughTheClassicTable) {
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0);
    EXPECT_EQ(ColorToRGB(clBtnShadow), 0x808080);
    EXPECT_EQ(ColorToRGB(clHighlight), 0x800000);  // navy in 0x00BBGGRR
    EXPECT_EQ(ColorToRGB(clInfoBk), 0xE1FFFF);
    EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFF);
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), RGB(0, 0, 0));
    EXPECT_LT(clBtnFace, 0);  // system colours have the high byte set
}

TEST_F(GdiTest, ColourNamesRoundTrip) {
    EXPECT_EQ(ColorToString(clRed), "clRed");
    EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
    EXPECT_EQ(ColorToString(TColor(0xA3A3A3)), "$00A3A3A3");
    EXPECT_EQ(StringToColor("clbtnface"), clBtnFace);
    EXPECT_EQ(StringToColor("$00A3A3A3"), TColor(10724259));
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_THROW(StringToColor("clNoSuchColour"), EConvertError);
    int names = 0;
    GetColorValues([&](const std::string& n) {
        TColor c = StringToColor(n);
        EXPECT_EQ(StringToColor(ColorToString(c)), c) << n;
        ++names;
    });
    EXPECT_GT(names, 40);
}

TEST_F(GdiTest, BitBltRasterOperations) {
    struct Case {
        DWORD rop;
        TColor expect;
    };
    // Source 0x0F0F0F, destination 0x3C3C3C, brush 0x550055 (pattern).
    const Case cases[] = {
        {SRCCOPY, TColor(0x0F0F0F)},    {SRCPAINT, TColor(0x3F3F3F)},   {SRCAND, TColor(0x0C0C0C)},
        {SRCINVERT, TColor(0x333333)},  {SRCERASE, TColor(0x030303)},   {NOTSRCCOPY, TColor(0xF0F0F0)},
        {NOTSRCERASE, TColor(0xC0C0C0)}, {MERGECOPY, TColor(0x050005)}, {MERGEPAINT, TColor(0xFCFCFC)},
        {PATCOPY, TColor(0x550055)},    {PATINVERT, TColor(0x693C69)},  {DSTINVERT, TColor(0xC3C3C3)},
        {BLACKNESS, clBlack},           {WHITENESS, clWhite},
    };
    TBitmap* src = Bitmap(2, 2, TColor(0x0F0F0F));
    for (const Case& rc : cases) {
        TBitmap* dst = Bitmap(2, 2, TColor(0x3C3C3C));
        dst->GetCanvas()->GetBrush()->SetColor(TColor(0x550055));
        BitBlt(DCOf(dst), 0, 0, 1, 2, DCOf(src), 0, 0, rc.rop);
        EXPECT_EQ(Px(dst, 0, 1), rc.expect) << std::hex << rc.rop;
        EXPECT_EQ(Px(dst, 1, 1), TColor(0x3C3C3C));
    }
}

TEST_F(GdiTest, MonochromeAndColourConversionsInBlits) {
    // Colour to a device-dependent monochrome bitmap: white where the source has its
    // background colour.
    TBitmap* colour = Bitmap(3, 1, clRed);
    colour->GetCanvas()->SetPixels(1, 0, clLime);
    TBitmap mask;
    mask.SetMonochrome(true);
    EXPECT_EQ(mask.GetHandleType(), bmDDB);
    mask.SetSize(3, 1);
    HDC cdc = DCOf(colour);
    SetBkColor(cdc, RGB(0, 255, 0));
    BitBlt(mask.GetCanvas()->GetHandle(), 0, 0, 3, 1, cdc, 0, 0, SRCCOPY);
    EXPECT_EQ(Ink(&mask, clWhite), ".#.\n");
    // Monochrome to colour: clear bits take the text colour, set bits the background colour.
    TBitmap* out = Bitmap(3, 1);
    HDC odc = DCOf(out);
    SetTextColor(odc, RGB(0, 0, 128));
    SetBkColor(odc, RGB(255, 255, 0));
    BitBlt(odc, 0, 0, 3, 1, mask.GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
    EXPECT_EQ(Ink(out, clNavy), "#.#\n");
    EXPECT_EQ(Px(out, 1, 0), clYellow);

    // A device-independent 1-bit bitmap keeps its palette: black and white whatever the
    // colours, and colour meets it by the nearest of the two.
    TBitmap dib;
    dib.SetPixelFormat(pf1bit);
    dib.SetSize(3, 1);
    BitBlt(dib.GetCanvas()->GetHandle(), 0, 0, 3, 1, cdc, 0, 0, SRCCOPY);
    EXPECT_EQ(Ink(&dib, clWhite), "...\n");
    dib.GetCanvas()->SetPixels(1, 0, clWhite);
    BitBlt(odc, 0, 0, 3, 1, dib.GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
    EXPECT_EQ(Ink(out, clBlack), "#.#\n");
    EXPECT_EQ(Px(out, 1, 0), clWhite);
}

TEST_F(GdiTest, TransparentBlitThroughAMonochromeMask) {
    // The brush goes where the mask is white, the destination stays elsewhere (ROP $E20746).
    TBitmap mask;
    mask.SetPixelFormat(pf1bit);
    mask.SetSize(4, 1);
    static_cast<Byte*>(mask.ScanLine(0))[0] = 0x60;  // pixels 1 and 2 set
    TBitmap* dst = Bitmap(4, 1, clGray);
    HDC dc = DCOf(dst);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, brush);
    BitBlt(dc, 0, 0, 4, 1, mask.GetCanvas()->GetHandle(), 0, 0, ROP_DSPDXAX);
    SelectObject(dc, old);
    DeleteObject(brush);
    EXPECT_EQ(Ink(dst, clRed), ".##.\n");
    EXPECT_EQ(Ink(dst, clGray), "#..#\n");
}

TEST_F(GdiTest, MaskBltChoosesTheOperationPerMaskBit) {
    TBitmap* src = Bitmap(3, 1, clBlue);
    TBitmap* dst = Bitmap(3, 1, clYellow);
    HBITMAP mask = CreateBitmap(3, 1, 1, 1, nullptr);
    const BYTE bits[2] = {0xA0, 0};  // pixels 0 and 2 set
    HBITMAP m2 = CreateBitmap(3, 1, 1, 1, bits);
    DeleteObject(mask);
    MaskBlt(DCOf(dst), 0, 0, 3, 1, DCOf(src), 0, 0, m2, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
    DeleteObject(m2);
    EXPECT_EQ(Ink(dst, clBlue), "#.#\n");
}

TEST_F(GdiTest, StretchBltSamplesNearestAndMirrors) {
    TBitmap* src = Bitmap(2, 2);
    src->GetCanvas()->SetPixels(0, 0, clRed);
    src->GetCanvas()->SetPixels(1, 1, clBlue);
    TBitmap* dst = Bitmap(4, 4);
    SetStretchBltMode(DCOf(dst), COLORONCOLOR);
    StretchBlt(DCOf(dst), 0, 0, 4, 4, DCOf(src), 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(Ink(dst, clRed), "##..\n##..\n....\n....\n");
    EXPECT_EQ(Ink(dst, clBlue), "....\n....\n..##\n..##\n");
    StretchBlt(DCOf(dst), 4, 0, -4, 4, DCOf(src), 0, 0, 2, 2, SRCCOPY);  // mirrored left to right
    EXPECT_EQ(Ink(dst, clRed), "..##\n..##\n....\n....\n");
    // Shrinking picks one pixel per destination pixel.
    TBitmap* small = Bitmap(1, 1);
    StretchBlt(DCOf(small), 0, 0, 1, 1, DCOf(dst), 0, 0, 4, 4, SRCCOPY);
    EXPECT_EQ(Px(small, 0, 0), Px(dst, 2, 2));
}

TEST_F(GdiTest, HalftoneStretchAverages) {
    TBitmap* src = Bitmap(2, 1, clBlack);
    src->GetCanvas()->SetPixels(1, 0, clWhite);
    TBitmap* dst = Bitmap(1, 1);
    SetStretchBltMode(DCOf(dst), HALFTONE);
    StretchBlt(DCOf(dst), 0, 0, 1, 1, DCOf(src), 0, 0, 2, 1, SRCCOPY);
    const TColor c = Px(dst, 0, 0);
    EXPECT_NEAR(c & 0xFF, 128, 2);
}

TEST_F(GdiTest, CanvasDrawStretchDrawAndCopyRect) {
    TBitmap* src = Bitmap(2, 2, clLime);
    src->GetCanvas()->SetPixels(1, 1, clRed);
    TBitmap* dst = Bitmap(6, 4);
    dst->GetCanvas()->Draw(1, 1, src);
    EXPECT_EQ(Ink(dst, clLime), "......\n.##...\n.#....\n......\n");
    dst->GetCanvas()->StretchDraw(Rect(2, 0, 6, 4), src);
    EXPECT_EQ(Ink(dst, clRed), "......\n......\n....##\n....##\n");
    dst->GetCanvas()->SetCopyMode(cmSrcInvert);
    dst->GetCanvas()->CopyRect(Rect(0, 0, 2, 2), src->GetCanvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(Px(dst, 0, 0), TColor(0xFF00FF));  // white xor lime
}

TEST_F(GdiTest, BrushCopyReplacesTheColourByTheBrush) {
    TBitmap* src = Bitmap(3, 1, clFuchsia);
    src->GetCanvas()->SetPixels(1, 0, clBlack);
    TBitmap* dst = Bitmap(3, 1);
    dst->GetCanvas()->GetBrush()->SetColor(clAqua);
    dst->GetCanvas()->BrushCopy(Rect(0, 0, 3, 1), src, Rect(0, 0, 3, 1), clFuchsia);
    EXPECT_EQ(Ink(dst, clAqua), "#.#\n");
    EXPECT_EQ(Px(dst, 1, 0), clBlack);
}

TEST_F(GdiTest, PatBltAndInvertRect) {
    TBitmap* b = Bitmap(4, 2, TColor(0x202020));
    HDC dc = DCOf(b);
    TRect r(0, 0, 2, 2);
    InvertRect(dc, &r);
    EXPECT_EQ(Px(b, 0, 0), TColor(0xDFDFDF));
    PatBlt(dc, 2, 0, 2, 1, BLACKNESS);
    PatBlt(dc, 2, 1, 2, 1, WHITENESS);
    EXPECT_EQ(Ink(b, clBlack), "..##\n....\n");
    EXPECT_EQ(Ink(b, clWhite), "....\n..##\n");
    EXPECT_FALSE(PatBlt(dc, 0, 0, 1, 1, SRCCOPY));  // needs a source
}

// A packed DIB: header, optional palette, rows.
std::vector<uint8_t> Dib(int w, int h, int bpp, const std::vector<uint32_t>& palette,
                         const std::vector<uint8_t>& rows) {
    std::vector<uint8_t> v(sizeof(BITMAPINFOHEADER));
    auto* hdr = reinterpret_cast<BITMAPINFOHEADER*>(v.data());
    *hdr = BITMAPINFOHEADER{40, w, h, 1, WORD(bpp), BI_RGB, 0, 0, 0, DWORD(palette.size()), 0};
    for (uint32_t c : palette) {
        const RGBQUAD q{BYTE(c), BYTE(c >> 8), BYTE(c >> 16), 0};
        const auto* p = reinterpret_cast<const uint8_t*>(&q);
        v.insert(v.end(), p, p + 4);
    }
    v.insert(v.end(), rows.begin(), rows.end());
    return v;
}

TEST_F(GdiTest, DrawDibStretchesTheSourceRectangleNearest) {
    // A bottom-up 3 x 2 24-bit picture: top row red, green, blue; bottom row all white.
    const std::vector<uint8_t> rows = {
        255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0,  // bottom row (stored first), padded
        0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,              // top row
    };
    const auto dib = Dib(3, 2, 24, {}, rows);
    const auto* hdr = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
    TBitmap* dst = Bitmap(4, 2, clBlack);
    HDRAWDIB hdd = DrawDibOpen();
    // Source (1, 0)-(3, 1): green, blue of the top row, drawn twice as wide and twice as tall.
    EXPECT_TRUE(DrawDibDraw(hdd, DCOf(dst), 0, 0, 4, 2, hdr, dib.data() + 40, 1, 0, 2, 1, 0));
    EXPECT_EQ(Ink(dst, clLime), "##..\n##..\n");
    EXPECT_EQ(Ink(dst, clBlue), "..##\n..##\n");
    DrawDibClose(hdd);
}

TEST_F(GdiTest, DrawDibOneBitUsesThePalette) {
    const auto dib = Dib(8, 1, 1, {0x000000, 0xFFFFFF}, {0xF0, 0, 0, 0});
    const auto* hdr = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
    TBitmap* dst = Bitmap(8, 1, clRed);
    HDRAWDIB hdd = DrawDibOpen();
    DrawDibDraw(hdd, DCOf(dst), 0, 0, -1, -1, hdr, nullptr, 0, 0, 8, 1, 0);
    DrawDibClose(hdd);
    EXPECT_EQ(Ink(dst, clWhite), "####....\n");
}

TEST_F(GdiTest, StretchDIBitsCountsSourceRowsFromTheBottom) {
    // Bottom-up, 1 x 3: rows from the bottom: red, lime, blue.
    const std::vector<uint8_t> rows = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
    const auto dib = Dib(1, 3, 24, {}, rows);
    TBitmap* dst = Bitmap(1, 1);
    StretchDIBits(DCOf(dst), 0, 0, 1, 1, 0, 1, 1, 1, dib.data() + 40, reinterpret_cast<const BITMAPINFO*>(dib.data()),
                  DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(Px(dst, 0, 0), clLime);
    // 8 bits through the palette.
    const auto d8 = Dib(2, 1, 8, {0x112233, 0x445566}, {1, 0, 0, 0});
    TBitmap* d2 = Bitmap(2, 1);
    StretchDIBits(DCOf(d2), 0, 0, 2, 1, 0, 0, 2, 1, nullptr, reinterpret_cast<const BITMAPINFO*>(d8.data()),
                  DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(Px(d2, 0, 0), TColor(0x665544));
    EXPECT_EQ(Px(d2, 1, 0), TColor(0x332211));
}

TEST_F(GdiTest, DrawEdgeRaisedAndSunkenRings) {
    TBitmap* b = Bitmap(6, 5);
    HDC dc = DCOf(b);
    TRect r(0, 0, 6, 5);
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(r, Rect(2, 2, 4, 3));
    // Outer ring: light top and left, dark shadow bottom and right (which own the corners).
    EXPECT_EQ(Ink(b, clBlack), ".....#\n.....#\n.....#\n.....#\n######\n");
    EXPECT_EQ(Ink(b, clWhite), "......\n.###..\n.#....\n......\n......\n");
    EXPECT_EQ(Ink(b, clGray), "......\n....#.\n....#.\n.####.\n......\n");
    EXPECT_EQ(Px(b, 2, 2), clSilver);  // middle: button face

    TBitmap* s = Bitmap(4, 4, clRed);
    TRect q(0, 0, 4, 4);
    DrawEdge(DCOf(s), &q, BDR_SUNKENOUTER, BF_TOPLEFT);
    EXPECT_EQ(Ink(s, clGray), "####\n#...\n#...\n#...\n");
    EXPECT_EQ(q, Rect(0, 0, 4, 4));  // no BF_ADJUST
}

TEST_F(GdiTest, FrameControlsDrawTheirStates) {
    TBitmap* b = Bitmap(13, 13, clRed);
    TRect r(0, 0, 13, 13);
    DrawFrameControl(DCOf(b), &r, DFC_BUTTON, DFCS_BUTTONCHECK);
    EXPECT_EQ(Px(b, 6, 6), clWhite);  // empty box: window colour
    EXPECT_EQ(Px(b, 0, 0), clGray);   // sunken edge
    DrawFrameControl(DCOf(b), &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    int ink = 0;
    for (int y = 2; y < 11; ++y)
        for (int x = 2; x < 11; ++x) ink += Px(b, x, y) == clBlack;
    EXPECT_GT(ink, 10);  // the check mark
    DrawFrameControl(DCOf(b), &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_INACTIVE);
    EXPECT_EQ(Px(b, 6, 6), clSilver);

    TBitmap* arrow = Bitmap(16, 16, clRed);
    TRect a(0, 0, 16, 16);
    DrawFrameControl(DCOf(arrow), &a, DFC_SCROLL, DFCS_SCROLLDOWN);
    int rows[16] = {};
    for (int y = 0; y < 16; ++y)
        for (int x = 2; x < 14; ++x) rows[y] += Px(arrow, x, y) == clBlack;
    // A down arrow: rows of 7, 5, 3, 1 pixels.
    std::vector<int> widths;
    for (int y = 2; y < 14; ++y)
        if (rows[y]) widths.push_back(rows[y]);
    EXPECT_EQ(widths, (std::vector<int>{7, 5, 3, 1}));
    TRect adj(0, 0, 16, 16);
    DrawFrameControl(DCOf(arrow), &adj, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
    EXPECT_EQ(adj, Rect(2, 2, 14, 14));
}

TEST_F(GdiTest, LineDDAWalksTheLinePointsWithoutTheEnd) {
    std::vector<TPoint> pts;
    LineDDA(0, 0, 3, 1, [&](int x, int y) { pts.push_back(Point(x, y)); });
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_EQ(pts.front(), Point(0, 0));
    EXPECT_EQ(pts.back().X, 2);
    // The same points LineTo draws.
    TBitmap* b = Bitmap(8, 5);
    b->GetCanvas()->MoveTo(1, 4);
    b->GetCanvas()->LineTo(7, 0);
    std::string expect(std::string(5 * 9, '.'));
    for (int y = 0; y < 5; ++y) expect[size_t(y * 9 + 8)] = '\n';
    LineDDA(1, 4, 7, 0, [&](int x, int y) { expect[size_t(y * 9 + x)] = '#'; });
    EXPECT_EQ(Ink(b, clBlack), expect);
}

TEST_F(GdiTest, RectangleHelpers) {
    TRect a(0, 0, 10, 10), b(5, 5, 15, 15), r;
    EXPECT_TRUE(IntersectRect(&r, &a, &b));
    EXPECT_EQ(r, Rect(5, 5, 10, 10));
    EXPECT_FALSE(IntersectRect(&r, &a, &static_cast<const TRect&>(Rect(20, 20, 30, 30))));
    EXPECT_TRUE(IsRectEmpty(&r));
    UnionRect(&r, &a, &b);
    EXPECT_EQ(r, Rect(0, 0, 15, 15));
    EXPECT_TRUE(PtInRect(&a, Point(9, 9)));
    EXPECT_FALSE(PtInRect(&a, Point(10, 9)));
    InflateRect(&a, -2, 1);
    EXPECT_EQ(a, Rect(2, -1, 8, 11));
    TRect s;
    const TRect full(0, 0, 10, 10), left(0, 0, 4, 10);
    SubtractRect(&s, &full, &left);
    EXPECT_EQ(s, Rect(4, 0, 10, 10));
}

TEST_F(GdiTest, ObjectsReportTheirAttributes) {
    HPEN p = CreatePen(PS_DASH, 3, RGB(1, 2, 3));
    LOGPEN lp;
    EXPECT_EQ(GetObject(p, sizeof lp, &lp), int(sizeof lp));
    EXPECT_EQ(lp.lopnStyle, UINT(PS_DASH));
    EXPECT_EQ(lp.lopnWidth.X, 3);
    EXPECT_EQ(GetObjectType(p), OBJ_PEN);
    EXPECT_TRUE(DeleteObject(p));
    HBITMAP bm = CreateBitmap(9, 4, 1, 1, nullptr);
    BITMAP info;
    GetObject(bm, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 9);
    EXPECT_EQ(info.bmBitsPixel, 1);
    EXPECT_EQ(info.bmWidthBytes, 4);
    DeleteObject(bm);
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));  // stock objects stay
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), OBJ_PEN);
}

TEST_F(GdiTest, DeletingASelectedObjectKeepsItUsable) {
    TBitmap* b = Bitmap(2, 1);
    HDC dc = DCOf(b);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, red);
    DeleteObject(red);
    PatBlt(dc, 0, 0, 1, 1, PATCOPY);
    SelectObject(dc, old);
    EXPECT_EQ(Px(b, 0, 0), clRed);
}

TEST_F(GdiTest, AnObjectDeletedWhileHeldIsNeverHandedOut) {
    struct Case {
        int type;
        HGDIOBJ (*make)();
    };
    const Case cases[] = {
        {OBJ_PEN, [] { return HGDIOBJ(CreatePen(PS_SOLID, 2, RGB(255, 0, 0))); }},
        {OBJ_BRUSH, [] { return HGDIOBJ(CreateSolidBrush(RGB(255, 0, 0))); }},
        {OBJ_FONT,
         [] { return HGDIOBJ(CreateFont(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial")); }},
        {OBJ_BITMAP, [] { return HGDIOBJ(CreateBitmap(4, 4, 1, 24, nullptr)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ initial = GetCurrentObject(dc, c.type);
        HGDIOBJ obj = c.make();
        SelectObject(dc, obj);
        SaveDC(dc);
        EXPECT_TRUE(DeleteObject(obj));  // selected and saved (bitmaps: selected only)
        // The context may drop it at any time, so it answers with its first object instead.
        EXPECT_EQ(GetCurrentObject(dc, c.type), initial);
        EXPECT_EQ(SelectObject(dc, obj), nullptr);
        EXPECT_EQ(SelectObject(dc, initial), initial);
        ASSERT_TRUE(RestoreDC(dc, -1));  // pens, brushes and fonts: selected again
        EXPECT_EQ(GetCurrentObject(dc, c.type), initial);
        HGDIOBJ old = SelectObject(dc, initial);
        EXPECT_EQ(old, initial);
        EXPECT_EQ(SelectObject(dc, old), initial);
        DeleteDC(dc);
    }
}

}  // namespace

namespace {

class GdiExtrasTest : public lumora_test::GraphicsTest {};

TEST_F(GdiExtrasTest, CaptionBarsFillWithTheCaptionColoursAndGradient) {
    TBitmap* b = Bitmap(40, 10);
    HDC dc = b->GetCanvas()->GetHandle();
    TRect r(0, 0, 40, 10);
    DrawCaptionBar(dc, &r, "", DC_ACTIVE | DC_GRADIENT);
    EXPECT_EQ(Px(b, 0, 5), TColor(ColorToRGB(clActiveCaption)));
    EXPECT_EQ(Px(b, 39, 5), TColor(ColorToRGB(clGradientActiveCaption)));
    DrawCaptionBar(dc, &r, "Title", DC_TEXT);
    EXPECT_EQ(Px(b, 39, 0), TColor(ColorToRGB(clInactiveCaption)));
    int text = 0;
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 10; ++y) text += Px(b, x, y) != TColor(ColorToRGB(clInactiveCaption));
    EXPECT_GT(text, 5);
}

TEST_F(GdiExtrasTest, PalettesKeepTheirEntries) {
    std::vector<uint8_t> buf(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 2;
    lp->palPalEntry[0] = {1, 2, 3, 0};
    reinterpret_cast<PALETTEENTRY*>(lp->palPalEntry)[1] = {4, 5, 6, 0};
    HPALETTE pal = CreatePalette(lp);
    PALETTEENTRY e[2];
    EXPECT_EQ(GetPaletteEntries(pal, 0, 2, e), 2u);
    EXPECT_EQ(e[1].peBlue, 6);
    TBitmap* b = Bitmap(1, 1);
    HDC dc = b->GetCanvas()->GetHandle();
    HPALETTE old = SelectPalette(dc, pal, false);
    EXPECT_EQ(GetObjectType(old), OBJ_PAL);
    EXPECT_EQ(RealizePalette(dc), 0u);
    SelectPalette(dc, old, false);
    DeleteObject(pal);
}

TEST_F(GdiExtrasTest, OneBitPicturesDrawBlackAndWhiteOnAnyCanvas) {
    TBitmap mono;
    mono.SetPixelFormat(pf1bit);
    mono.SetSize(2, 1);
    static_cast<Byte*>(mono.ScanLine(0))[0] = 0x80;  // pixel 0 white, pixel 1 black
    TBitmap* dst = Bitmap(2, 1, clBtnFace);
    dst->GetCanvas()->GetFont()->SetColor(clRed);
    dst->GetCanvas()->Draw(0, 0, &mono);
    EXPECT_EQ(Px(dst, 0, 0), clWhite);
    EXPECT_EQ(Px(dst, 1, 0), clBlack);
}

}  // namespace
