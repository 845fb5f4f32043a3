// A test card of the canvas: every primitive, pen style and mode, hatch, edge, frame control,
// text feature and named resource, drawn on one bitmap and saved as PNG.
//
//     canvas_demo --png card.png      (or a folder: card saved as canvas_demo.png inside)

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/backend.h"
#include "framework/graphics.h"
#include "framework/image_list.h"
#include "framework/resource_art.h"
#include "framework/resources.h"

namespace {

void Caption(TCanvas* c, int x, int y, const std::string& text) {
    c->GetFont()->SetName("MS Sans Serif");
    c->GetFont()->SetSize(8);
    c->GetFont()->SetStyle({});
    c->GetFont()->SetColor(clBlack);
    c->GetBrush()->SetStyle(bsClear);
    c->TextOut(x, y, text);
    c->GetBrush()->SetStyle(bsSolid);
}

void Title(TCanvas* c, int x, int y, const std::string& text) {
    c->GetFont()->SetName("Arial");
    c->GetFont()->SetSize(10);
    c->GetFont()->SetStyle({fsBold});
    c->GetFont()->SetColor(clNavy);
    c->GetBrush()->SetStyle(bsClear);
    c->TextOut(x, y, text);
    c->GetBrush()->SetStyle(bsSolid);
}

void Lines(TCanvas* c, int x0, int y0) {
    Title(c, x0, y0, "Pens");
    const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot};
    const char* names[] = {"solid", "dash", "dot", "dash dot", "dash dot dot"};
    for (int i = 0; i < 5; ++i) {
        c->GetPen()->SetStyle(styles[i]);
        c->GetPen()->SetColor(clBlack);
        c->MoveTo(x0, y0 + 24 + i * 12);
        c->LineTo(x0 + 120, y0 + 24 + i * 12);
        Caption(c, x0 + 126, y0 + 18 + i * 12, names[i]);
    }
    c->GetPen()->SetStyle(psSolid);
    for (int w = 1; w <= 4; ++w) {
        c->GetPen()->SetWidth(w);
        c->GetPen()->SetColor(clMaroon);
        c->MoveTo(x0 + 200 + w * 16, y0 + 24);
        c->LineTo(x0 + 220 + w * 16, y0 + 80);
    }
    c->GetPen()->SetWidth(1);
    // Mix modes over a pattern of stripes.
    for (int i = 0; i < 8; ++i) {
        c->GetBrush()->SetColor(i % 2 ? clTeal : clYellow);
        c->FillRect(Rect(x0 + 300 + i * 10, y0 + 20, x0 + 310 + i * 10, y0 + 90));
    }
    const TPenMode modes[] = {pmCopy, pmXor, pmNotXor, pmNot, pmMask, pmMerge};
    for (int i = 0; i < 6; ++i) {
        c->GetPen()->SetMode(modes[i]);
        c->GetPen()->SetWidth(3);
        c->GetPen()->SetColor(clRed);
        c->MoveTo(x0 + 296, y0 + 26 + i * 11);
        c->LineTo(x0 + 384, y0 + 26 + i * 11);
    }
    c->GetPen()->SetMode(pmCopy);
    c->GetPen()->SetWidth(1);
    Caption(c, x0 + 392, y0 + 20, "copy, xor, not-xor,");
    Caption(c, x0 + 392, y0 + 32, "not, mask, merge");
}

void Shapes(TCanvas* c, int x0, int y0) {
    Title(c, x0, y0, "Shapes");
    c->GetPen()->SetColor(clBlack);
    c->GetBrush()->SetColor(clSkyBlue);
    c->Rectangle(x0, y0 + 20, x0 + 60, y0 + 70);
    c->GetBrush()->SetColor(clMoneyGreen);
    c->RoundRect(x0 + 70, y0 + 20, x0 + 130, y0 + 70, 16, 16);
    c->GetBrush()->SetColor(clCream);
    c->Ellipse(x0 + 140, y0 + 20, x0 + 200, y0 + 70);
    c->GetBrush()->SetColor(clYellow);
    c->Pie(x0 + 210, y0 + 20, x0 + 270, y0 + 80, x0 + 270, y0 + 50, x0 + 240, y0 + 20);
    c->GetBrush()->SetColor(clAqua);
    c->Chord(x0 + 280, y0 + 20, x0 + 340, y0 + 80, x0 + 340, y0 + 50, x0 + 280, y0 + 50);
    c->Arc(x0 + 350, y0 + 20, x0 + 410, y0 + 80, x0 + 410, y0 + 20, x0 + 350, y0 + 80);
    const std::vector<TPoint> star = {Point(x0 + 450, y0 + 18), Point(x0 + 468, y0 + 78), Point(x0 + 420, y0 + 40),
                                      Point(x0 + 480, y0 + 40), Point(x0 + 432, y0 + 78)};
    c->GetBrush()->SetColor(clRed);
    c->Polygon(star);
    SetPolyFillMode(c->GetHandle(), WINDING);
    std::vector<TPoint> star2 = star;
    for (TPoint& p : star2) p.X += 70;
    c->Polygon(star2);
    SetPolyFillMode(c->GetHandle(), ALTERNATE);
    Caption(c, x0 + 420, y0 + 82, "alternate   winding");
    c->PolyBezier({Point(x0 + 570, y0 + 70), Point(x0 + 590, y0 + 10), Point(x0 + 630, y0 + 90), Point(x0 + 650, y0 + 30)});
    c->PolyPolyline({{Point(x0 + 660, y0 + 20), Point(x0 + 700, y0 + 20), Point(x0 + 700, y0 + 60)},
                     {Point(x0 + 670, y0 + 40), Point(x0 + 690, y0 + 70)}});
    c->FloodFill(x0 + 672, y0 + 22, clWhite, fsSurface);
}

void Brushes(TCanvas* c, int x0, int y0) {
    Title(c, x0, y0, "Brushes");
    const TBrushStyle styles[] = {bsSolid, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};
    for (int i = 0; i < 7; ++i) {
        c->GetBrush()->SetColor(clBlue);
        c->GetBrush()->SetStyle(styles[i]);
        c->GetPen()->SetColor(clBlack);
        c->Rectangle(x0 + i * 50, y0 + 20, x0 + i * 50 + 44, y0 + 64);
    }
    // A monochrome pattern in the font (clear bits) and brush (set bits) colours.
    TBitmap pattern;
    pattern.SetPixelFormat(pf1bit);
    pattern.SetSize(8, 8);
    for (int y = 0; y < 8; ++y) static_cast<Byte*>(pattern.ScanLine(y))[0] = Byte((y % 4 < 2) ? 0xCC : 0x33);
    c->GetBrush()->SetBitmap(&pattern);
    c->GetBrush()->SetColor(clYellow);
    c->GetFont()->SetColor(clPurple);
    c->GetHandle();
    c->FillRect(Rect(x0 + 350, y0 + 20, x0 + 394, y0 + 64));
    c->GetBrush()->SetBitmap(nullptr);
    c->GetBrush()->SetStyle(bsSolid);
}

void Edges(TCanvas* c, int x0, int y0) {
    Title(c, x0, y0, "Edges");
    HDC dc = c->GetHandle();
    struct E {
        UINT edge, flags;
        const char* name;
    };
    const E edges[] = {{EDGE_RAISED, BF_RECT | BF_MIDDLE, "raised"},
                       {EDGE_SUNKEN, BF_RECT | BF_MIDDLE, "sunken"},
                       {EDGE_ETCHED, BF_RECT, "etched"},
                       {EDGE_BUMP, BF_RECT, "bump"},
                       {EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_SOFT, "soft"},
                       {EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_FLAT, "flat"},
                       {EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_MONO, "mono"},
                       {BDR_RAISEDINNER, BF_RECT | BF_MIDDLE, "inner"},
                       {EDGE_SUNKEN, BF_BOTTOMRIGHT, "bottom-right"}};
    for (int i = 0; i < 9; ++i) {
        TRect r(x0 + i * 62, y0 + 20, x0 + i * 62 + 54, y0 + 52);
        DrawEdge(dc, &r, edges[i].edge, edges[i].flags);
        Caption(c, x0 + i * 62, y0 + 54, edges[i].name);
    }
    TRect f(x0 + 9 * 62, y0 + 20, x0 + 9 * 62 + 54, y0 + 52);
    Frame3D(c, f, clBtnHighlight, clBtnShadow, 2);
}

void FrameControls(TCanvas* c, int x0, int y0) {
    Title(c, x0, y0, "Frame controls");
    HDC dc = c->GetHandle();
    struct F {
        UINT type, state;
        int w, h;
    };
    const F rows[][7] = {
        {{DFC_BUTTON, DFCS_BUTTONPUSH, 50, 22}, {DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED, 50, 22},
         {DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_CHECKED, 50, 22}, {DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_FLAT, 50, 22},
         {DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_MONO, 50, 22}, {DFC_CAPTION, DFCS_CAPTIONCLOSE, 18, 16},
         {DFC_CAPTION, DFCS_CAPTIONCLOSE | DFCS_PUSHED, 18, 16}},
        {{DFC_BUTTON, DFCS_BUTTONCHECK, 13, 13}, {DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED, 13, 13},
         {DFC_BUTTON, DFCS_BUTTON3STATE | DFCS_CHECKED, 13, 13},
         {DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE, 13, 13},
         {DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT, 13, 13}, {DFC_BUTTON, DFCS_BUTTONRADIO, 13, 13},
         {DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED, 13, 13}},
        {{DFC_SCROLL, DFCS_SCROLLUP, 16, 16}, {DFC_SCROLL, DFCS_SCROLLDOWN, 16, 16}, {DFC_SCROLL, DFCS_SCROLLLEFT, 16, 16},
         {DFC_SCROLL, DFCS_SCROLLRIGHT | DFCS_PUSHED, 16, 16}, {DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_INACTIVE, 17, 20},
         {DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT, 17, 20}, {DFC_SCROLL, DFCS_SCROLLSIZEGRIP, 16, 16}},
        {{DFC_CAPTION, DFCS_CAPTIONMIN, 18, 16}, {DFC_CAPTION, DFCS_CAPTIONMAX, 18, 16},
         {DFC_CAPTION, DFCS_CAPTIONRESTORE, 18, 16}, {DFC_CAPTION, DFCS_CAPTIONHELP, 18, 16},
         {DFC_CAPTION, DFCS_CAPTIONCLOSE | DFCS_INACTIVE, 18, 16}, {DFC_MENU, DFCS_MENUCHECK, 16, 16},
         {DFC_MENU, DFCS_MENUARROW, 16, 16}},
    };
    for (int row = 0; row < 4; ++row)
        for (int i = 0; i < 7; ++i) {
            const F& f = rows[row][i];
            TRect r(x0 + i * 58, y0 + 20 + row * 28, x0 + i * 58 + f.w, y0 + 20 + row * 28 + f.h);
            DrawFrameControl(dc, &r, f.type, f.state);
        }
}

void Text(TCanvas* c, int x0, int y0) {
    Title(c, x0, y0, "Text");
    const char* faces[] = {"MS Sans Serif", "Arial", "Times New Roman", "Courier New", "Verdana"};
    for (int i = 0; i < 5; ++i) {
        c->GetFont()->SetName(faces[i]);
        c->GetFont()->SetSize(10);
        c->GetFont()->SetStyle(i == 1 ? TFontStyles{fsBold} : i == 2 ? TFontStyles{fsItalic} : TFontStyles{});
        c->GetFont()->SetColor(clBlack);
        c->GetBrush()->SetColor(i % 2 ? clInfoBk : clWhite);
        c->TextOut(x0, y0 + 20 + i * 18, std::string(faces[i]) + ": The quick brown fox");
    }
    c->GetFont()->SetName("MS Sans Serif");
    c->GetFont()->SetSize(8);
    c->GetFont()->SetStyle({});
    HDC dc = c->GetHandle();
    SetBkMode(dc, TRANSPARENT);
    const struct {
        UINT flags;
        const char* text;
    } boxes[] = {
        {DT_LEFT | DT_WORDBREAK, "Word wrapping breaks this text at the spaces between words."},
        {DT_CENTER | DT_VCENTER | DT_SINGLELINE, "Centred, vertically too"},
        {DT_RIGHT | DT_SINGLELINE | DT_BOTTOM, "&Right and bottom"},
        {DT_SINGLELINE | DT_END_ELLIPSIS, "An end ellipsis shortens what does not fit"},
        {DT_SINGLELINE | DT_PATH_ELLIPSIS, "/home/someone/pictures/2024/holiday/beach.jpg"},
        {DT_EXPANDTABS, "Tabs:\tone\ttwo\nNext\tline"},
    };
    for (int i = 0; i < 6; ++i) {
        TRect r(x0 + 260 + (i % 3) * 150, y0 + 20 + (i / 3) * 56, x0 + 400 + (i % 3) * 150, y0 + 70 + (i / 3) * 56);
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        InflateRect(&r, -2, -2);
        DrawText(dc, boxes[i].text, &r, boxes[i].flags);
    }
    // Rotated text around a point.
    for (int a = 0; a < 360; a += 45) {
        LOGFONT lf = c->GetFont()->GetLogFont();
        lf.lfEscapement = a * 10;
        HFONT f = CreateFontIndirect(&lf);
        HGDIOBJ old = SelectObject(dc, f);
        TextOut(dc, x0 + 780, y0 + 70, "  rotated", -1);
        SelectObject(dc, old);
        DeleteObject(f);
    }
    SetBkMode(dc, OPAQUE);
}

void Misc(TCanvas* c, int x0, int y0) {
    Title(c, x0, y0, "Focus, invert, clipping, blits");
    c->GetBrush()->SetColor(clWhite);
    c->DrawFocusRect(Rect(x0, y0 + 20, x0 + 80, y0 + 60));
    c->GetBrush()->SetColor(clLime);
    c->FillRect(Rect(x0 + 90, y0 + 20, x0 + 170, y0 + 60));
    TRect inv(x0 + 110, y0 + 30, x0 + 150, y0 + 50);
    InvertRect(c->GetHandle(), &inv);
    // Stripes through an elliptic clip region with a rectangle cut out.
    HDC dc = c->GetHandle();
    SaveDC(dc);
    HRGN e = CreateEllipticRgn(x0 + 180, y0 + 20, x0 + 280, y0 + 90);
    HRGN hole = CreateRectRgn(x0 + 215, y0 + 40, x0 + 245, y0 + 70);
    CombineRgn(e, e, hole, RGN_DIFF);
    SelectClipRgn(dc, e);
    DeleteObject(e);
    DeleteObject(hole);
    for (int i = 0; i < 20; ++i) {
        c->GetBrush()->SetColor(i % 2 ? clRed : clNavy);
        c->FillRect(Rect(x0 + 180 + i * 5, y0 + 20, x0 + 185 + i * 5, y0 + 90));
    }
    RestoreDC(dc, -1);
    // A transparent blit of a glyph and a stretched draw.
    TBitmap glyph;
    glyph.LoadFromResourceName(HInstance, "GXTOOL_SAVE");
    glyph.SetTransparent(true);
    c->Draw(x0 + 300, y0 + 20, &glyph);
    c->StretchDraw(Rect(x0 + 330, y0 + 20, x0 + 394, y0 + 84), &glyph);
    SetStretchBltMode(dc, HALFTONE);
    glyph.SetTransparent(false);
    c->StretchDraw(Rect(x0 + 400, y0 + 20, x0 + 464, y0 + 84), &glyph);
    SetStretchBltMode(dc, BLACKONWHITE);
}

void Resources(TCanvas* c, int x0, int y0) {
    Title(c, x0, y0, "Resources");
    int x = x0;
    for (const std::string& name : lumora_art::BitmapNames()) {
        TBitmap b;
        b.LoadFromResourceName(HInstance, name);
        c->Draw(x, y0 + 20, &b);
        x += b.GetWidth() + 6;
    }
    x = x0;
    HDC dc = c->GetHandle();
    for (const std::string& name : lumora_art::CursorNames()) {
        HCURSOR cur = LoadCursor(HInstance, name);
        DrawIconEx(dc, x, y0 + 56, cur, 32, 32, 0, nullptr, DI_NORMAL);
        DestroyCursor(cur);
        x += 36;
    }
    TIcon icon;
    icon.LoadFromResourceName(HInstance, "MAINICON");
    c->Draw(x + 8, y0 + 56, &icon);
    TImageList list(nullptr);
    list.SetWidth(5);
    list.SetHeight(9);
    for (const char* n : {"GXGRID_ARROW", "GXGRID_EDIT", "GXGRID_INSERT", "GXGRID_MULTIDOT", "GXGRID_MULTIARROW"}) {
        TBitmap b;
        b.LoadFromResourceName(HInstance, n);
        list.AddMasked(&b, clWhite);
    }
    for (int i = 0; i < list.GetCount(); ++i) {
        list.Draw(c, x0 + i * 12, y0 + 96, i);
        list.Draw(c, x0 + 70 + i * 12, y0 + 96, i, dsSelected, itImage);
        list.Draw(c, x0 + 140 + i * 12, y0 + 96, i, false);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string out = "canvas_demo.png";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--png" && i + 1 < argc) out = argv[++i];
        else out = a;
    }
    if (std::filesystem::is_directory(out)) out = (std::filesystem::path(out) / "canvas_demo.png").string();
    EnsureBackend();
    TBitmap card;
    card.SetSize(1040, 860);
    TCanvas* c = card.GetCanvas();
    c->GetBrush()->SetColor(clBtnFace);
    c->FillRect(Rect(0, 0, 1040, 860));
    Lines(c, 10, 8);
    Shapes(c, 10, 108);
    Brushes(c, 10, 208);
    Edges(c, 10, 290);
    FrameControls(c, 10, 370);
    Misc(c, 440, 370);
    Text(c, 10, 500);
    Resources(c, 10, 640);
    if (!SaveBitmapAsPng(&card, out)) {
        std::fprintf(stderr, "canvas_demo: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%s\n", out.c_str());
    return 0;
}
