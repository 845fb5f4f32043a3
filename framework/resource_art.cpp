// Our artwork for the program's named resources. Each picture is drawn once, on first use, with
// the framework's own drawing calls or from a pixel map, on a key colour that becomes transparent
// for cursors and icons and stays as the background of bitmaps.

#include "framework/resource_art.h"

#include <cmath>
#include <functional>
#include <map>
#include <mutex>

#include "framework/sysutils.h"
#include "framework/windows_gdi.h"

namespace lumora_art {

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGray = RGB(128, 128, 128);
constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr COLORREF kOlive = RGB(128, 128, 0);

// Drawing on a fresh 24-bit bitmap through a memory device context.
class Art {
public:
    Art(int w, int h, COLORREF background = kKey) : w_(w), h_(h) {
        dc_ = CreateCompatibleDC(nullptr);
        bmp_ = CreateBitmap(w, h, 1, 24, nullptr);
        old_ = SelectObject(dc_, bmp_);
        Rect(0, 0, w, h, background);
    }
    ~Art() {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
        DeleteDC(dc_);
    }
    void Rect(int l, int t, int r, int b, COLORREF c) {
        HBRUSH br = CreateSolidBrush(c);
        TRect rc(l, t, r, b);
        FillRect(dc_, &rc, br);
        DeleteObject(br);
    }
    void Frame(int l, int t, int r, int b, COLORREF c) {
        HBRUSH br = CreateSolidBrush(c);
        TRect rc(l, t, r, b);
        FrameRect(dc_, &rc, br);
        DeleteObject(br);
    }
    void Line(int x1, int y1, int x2, int y2, COLORREF c, int width = 1) {
        HPEN p = CreatePen(PS_SOLID, width, c);
        HGDIOBJ old = SelectObject(dc_, p);
        MoveToEx(dc_, x1, y1, nullptr);
        LineTo(dc_, x2, y2);
        SetPixel(dc_, x2, y2, c);  // the end point too
        SelectObject(dc_, old);
        DeleteObject(p);
    }
    void Poly(std::vector<TPoint> pts, COLORREF fill, COLORREF outline) {
        HPEN p = CreatePen(PS_SOLID, 1, outline);
        HBRUSH b = CreateSolidBrush(fill);
        HGDIOBJ op = SelectObject(dc_, p), ob = SelectObject(dc_, b);
        Polygon(dc_, pts.data(), int(pts.size()));
        SelectObject(dc_, op);
        SelectObject(dc_, ob);
        DeleteObject(p);
        DeleteObject(b);
    }
    void Disc(int l, int t, int r, int b, COLORREF fill, COLORREF outline, int width = 1) {
        HPEN p = CreatePen(PS_SOLID, width, outline);
        HBRUSH br = CreateSolidBrush(fill);
        HGDIOBJ op = SelectObject(dc_, p), ob = SelectObject(dc_, br);
        Ellipse(dc_, l, t, r, b);
        SelectObject(dc_, op);
        SelectObject(dc_, ob);
        DeleteObject(p);
        DeleteObject(br);
    }
    void Dot(int x, int y, COLORREF c) { SetPixel(dc_, x, y, c); }
    // A pixel map: each character of rows names a colour in the palette ('.' is left alone).
    void Map(int x0, int y0, const std::vector<const char*>& rows, const std::map<char, COLORREF>& palette) {
        for (size_t y = 0; y < rows.size(); ++y)
            for (size_t x = 0; rows[y][x]; ++x) {
                auto it = palette.find(rows[y][x]);
                if (it != palette.end()) Dot(x0 + int(x), y0 + int(y), it->second);
            }
    }
    // A white border one pixel wide around everything drawn (for cursors).
    void Halo() {
        std::vector<char> solid(size_t(w_) * size_t(h_));
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) solid[size_t(y) * size_t(w_) + size_t(x)] = GetPixel(dc_, x, y) != kKey;
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                if (solid[size_t(y) * size_t(w_) + size_t(x)]) continue;
                bool near = false;
                for (int dy = -1; dy <= 1 && !near; ++dy)
                    for (int dx = -1; dx <= 1 && !near; ++dx) {
                        const int xx = x + dx, yy = y + dy;
                        near = xx >= 0 && yy >= 0 && xx < w_ && yy < h_ && solid[size_t(yy) * size_t(w_) + size_t(xx)];
                    }
                if (near) Dot(x, y, kWhite);
            }
    }
    // keyTransparent: the key colour becomes fully transparent (cursors and icons).
    Picture Take(bool keyTransparent) {
        Picture p;
        p.width = w_;
        p.height = h_;
        p.pixels.resize(size_t(w_) * size_t(h_));
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                const COLORREF c = GetPixel(dc_, x, y);
                const uint32_t rgb = (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
                p.pixels[size_t(y) * size_t(w_) + size_t(x)] = (keyTransparent && c == kKey) ? 0u : (0xFF000000u | rgb);
            }
        return p;
    }
    HDC dc() const { return dc_; }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP bmp_;
    HGDIOBJ old_;
};

// A filled triangle pointing in direction (dx, dy) with its tip at (x, y).
void Head(Art& a, int x, int y, int dx, int dy, int size, COLORREF c) {
    const int px = -dy, py = dx;  // perpendicular
    a.Poly({{x, y},
            {x - dx * size + px * size, y - dy * size + py * size},
            {x - dx * size - px * size, y - dy * size - py * size}},
           c, c);
}

Cursor DoubleArrow(int dx, int dy) {
    Art a(32, 32);
    const int c = 15, len = 11;
    a.Line(c - dx * (len - 3), c - dy * (len - 3), c + dx * (len - 3), c + dy * (len - 3), kBlack, 2);
    Head(a, c + dx * len, c + dy * len, dx, dy, 4, kBlack);
    Head(a, c - dx * len, c - dy * len, -dx, -dy, 4, kBlack);
    a.Halo();
    return {a.Take(true), c, c};
}

Cursor Arrows(bool left, bool right, bool up, bool down) {
    Art a(32, 32);
    const int c = 15;
    a.Disc(c - 2, c - 2, c + 3, c + 3, kBlack, kBlack);
    if (right) Head(a, c + 11, c, 1, 0, 4, kBlack);
    if (left) Head(a, c - 11, c, -1, 0, 4, kBlack);
    if (down) Head(a, c, c + 11, 0, 1, 4, kBlack);
    if (up) Head(a, c, c - 11, 0, -1, 4, kBlack);
    a.Halo();
    return {a.Take(true), c, c};
}

Cursor Magnifier(bool plus) {
    Art a(32, 32);
    a.Line(18, 18, 27, 27, kBlack, 4);
    a.Disc(3, 3, 22, 22, kWhite, kBlack, 2);
    a.Line(8, 12, 16, 12, kBlack, 2);
    if (plus) a.Line(12, 8, 12, 16, kBlack, 2);
    a.Halo();
    return {a.Take(true), 12, 12};
}

Cursor Cross(int gap, bool ring) {
    Art a(32, 32);
    const int c = 15;
    a.Line(c, 3, c, c - gap, kBlack);
    a.Line(c, c + gap, c, 27, kBlack);
    a.Line(3, c, c - gap, c, kBlack);
    a.Line(c + gap, c, 27, c, kBlack);
    if (gap == 0) a.Dot(c, c, kBlack);
    if (ring) {
        HGDIOBJ ob = SelectObject(a.dc(), GetStockObject(NULL_BRUSH));
        HPEN p = CreatePen(PS_SOLID, 1, kBlack);
        HGDIOBJ op = SelectObject(a.dc(), p);
        Ellipse(a.dc(), c - 5, c - 5, c + 6, c + 6);
        SelectObject(a.dc(), op);
        SelectObject(a.dc(), ob);
        DeleteObject(p);
    }
    a.Halo();
    return {a.Take(true), c, c};
}

const std::vector<const char*> kPointingHand = {
    ".....##..........", "....#oo#.........", "....#oo#.........", "....#oo#.........",
    "....#oo###.......", "....#oo#oo###....", "....#oo#oo#oo##..", ".##.#oo#oo#oo#o#.",
    "#oo##ooooooooo#o#", "#ooo#ooooooooooo#", ".#oo#ooooooooooo#", "..#oooooooooooo#.",
    "..#oooooooooooo#.", "...#ooooooooooo#.", "...#oooooooooo#..", "....#ooooooooo#..",
    "....#ooooooooo#..", "....###########..",
};

const std::vector<const char*> kOpenHand = {
    "......##.##......", ".....#oo#oo#.##..", ".....#oo#oo##oo#.", "..##.#oo#oo##oo#.",
    ".#oo##oo#oo##oo#.", ".#oo##oo#oo##oo#.", ".#oo##oo#oo##oo#.", ".#oo##oooooooooo#",
    ".#ooooooooooooo#.", "..#oooooooooooo#.", "..#oooooooooooo#.", "..#ooooooooooo#..",
    "...#oooooooooo#..", "...#oooooooooo#..", "....#oooooooo#...", "....##########...",
};

Cursor Hand(const std::vector<const char*>& rows, int hotX, int hotY) {
    Art a(32, 32);
    a.Map(7, 6, rows, {{'#', kBlack}, {'o', kWhite}});
    return {a.Take(true), 7 + hotX, 6 + hotY};
}

Cursor Pen() {
    Art a(32, 32);
    a.Poly({{2, 29}, {5, 21}, {22, 4}, {27, 9}, {10, 26}}, kWhite, kBlack);
    a.Poly({{2, 29}, {4, 24}, {7, 27}}, kBlack, kBlack);
    a.Line(19, 7, 24, 12, kBlack);
    a.Halo();
    return {a.Take(true), 2, 29};
}

Cursor Eraser() {
    Art a(32, 32);
    a.Poly({{3, 22}, {15, 10}, {24, 19}, {12, 31}}, kWhite, kBlack);
    a.Poly({{11, 14}, {15, 10}, {24, 19}, {20, 23}}, kBlack, kBlack);
    a.Halo();
    return {a.Take(true), 4, 23};
}

Cursor NotAllowed() {
    Art a(32, 32);
    // An arrow pointer with a crossed circle beside it.
    a.Poly({{1, 1}, {1, 17}, {5, 13}, {8, 20}, {10, 19}, {7, 12}, {12, 12}}, kWhite, kBlack);
    a.Disc(13, 13, 28, 28, kWhite, kBlack, 2);
    a.Line(16, 16, 24, 24, kBlack, 2);
    a.Halo();
    return {a.Take(true), 1, 1};
}

// ---------------------------------------------------------------------------------------------

Picture IndicatorBitmap(const std::vector<const char*>& rows) {
    Art a(5, 9, kWhite);
    a.Map(0, 0, rows, {{'#', kBlack}});
    return a.Take(false);
}

Picture ScrollBitmap(bool horizontal, bool vertical) {
    Art a(28, 28, kSilver);
    const int c = 13;
    a.Disc(c - 2, c - 2, c + 3, c + 3, kBlack, kBlack);
    if (horizontal) {
        Head(a, c + 11, c, 1, 0, 4, kBlack);
        Head(a, c - 11, c, -1, 0, 4, kBlack);
    }
    if (vertical) {
        Head(a, c, c + 11, 0, 1, 4, kBlack);
        Head(a, c, c - 11, 0, -1, 4, kBlack);
    }
    return a.Take(false);
}

Picture ToolGlyph(const std::function<void(Art&)>& draw) {
    Art a(16, 16, kKey);
    draw(a);
    return a.Take(false);
}

// Grid cell icons on olive (the mask colour); the empty-value kind is drawn in outline.
Picture CellIcon(int kind, bool null) {
    Art a(16, 16, kOlive);
    const COLORREF ink = null ? kGray : kBlack;
    const COLORREF paper = null ? kSilver : kWhite;
    switch (kind) {
    case 0:  // binary data
        a.Rect(2, 3, 14, 13, paper);
        a.Frame(2, 3, 14, 13, ink);
        for (int i = 0; i < 3; ++i) a.Rect(4 + i * 3, 5 + (i % 2) * 3, 6 + i * 3, 7 + (i % 2) * 3, ink);
        break;
    case 1:  // text
        a.Rect(3, 1, 13, 15, paper);
        a.Frame(3, 1, 13, 15, ink);
        for (int y = 4; y < 13; y += 3) a.Line(5, y, 10, y, ink);
        break;
    case 2:  // picture
        a.Rect(1, 3, 15, 13, null ? kSilver : RGB(128, 192, 255));
        a.Poly({{2, 12}, {7, 7}, {11, 12}}, null ? kGray : RGB(0, 128, 0), null ? kGray : RGB(0, 128, 0));
        a.Disc(10, 4, 14, 8, null ? kGray : RGB(255, 255, 0), null ? kGray : RGB(255, 255, 0));
        a.Frame(1, 3, 15, 13, ink);
        break;
    default:  // embedded object
        a.Rect(2, 2, 14, 14, paper);
        a.Frame(2, 2, 14, 14, ink);
        a.Rect(5, 5, 11, 11, null ? kGray : RGB(0, 0, 128));
        break;
    }
    return a.Take(false);
}

Picture MainIcon(int size) {
    Art a(size, size, kKey);
    const int m = size / 16;
    a.Rect(m, m * 2, size - m, size - m * 2, kWhite);
    a.Frame(m, m * 2, size - m, size - m * 2, kBlack);
    const int l = m * 3, t = m * 4, r = size - m * 3, b = size - m * 4;
    a.Rect(l, t, r, b, RGB(96, 160, 255));
    a.Disc(r - (r - l) / 3, t + m, r - m, t + (r - l) / 3 - m + m, RGB(255, 220, 0), RGB(255, 220, 0));
    a.Poly({{l, b}, {l + (r - l) / 3, t + (b - t) / 2}, {l + (r - l) * 2 / 3, b}}, RGB(0, 140, 60), RGB(0, 140, 60));
    a.Poly({{l + (r - l) / 3, b}, {l + (r - l) * 2 / 3, t + (b - t) / 3}, {r, b}}, RGB(0, 100, 40), RGB(0, 100, 40));
    return a.Take(true);
}

// The shell's own icons, for files and folders the icon theme has no picture for.
enum ShellIconKind { kFolder, kOpenFolder, kDocument, kDrive };

Picture ShellIcon(ShellIconKind kind, int size) {
    Art a(size, size, kKey);
    const int u = size / 16;
    const COLORREF manila = RGB(240, 200, 80), edge = RGB(150, 110, 20);
    switch (kind) {
    case kFolder:
        a.Poly({{u, 3 * u}, {6 * u, 3 * u}, {7 * u, 4 * u}, {7 * u, 5 * u}, {u, 5 * u}}, manila, edge);
        a.Rect(u, 4 * u, 15 * u, 14 * u, manila);
        a.Frame(u, 4 * u, 15 * u, 14 * u, edge);
        break;
    case kOpenFolder:
        a.Rect(u, 4 * u, 14 * u, 14 * u, RGB(210, 170, 60));
        a.Frame(u, 4 * u, 14 * u, 14 * u, edge);
        a.Poly({{3 * u, 7 * u}, {16 * u - 1, 7 * u}, {13 * u, 14 * u - 1}, {u, 14 * u - 1}}, manila, edge);
        break;
    case kDocument:
        a.Poly({{3 * u, u}, {10 * u, u}, {13 * u, 4 * u}, {13 * u, 15 * u - 1}, {3 * u, 15 * u - 1}}, kWhite, kGray);
        for (int y = 5 * u; y < 13 * u; y += 2 * u) a.Line(5 * u, y, 11 * u, y, RGB(160, 160, 200));
        break;
    case kDrive:
        a.Rect(u, 6 * u, 15 * u, 12 * u, RGB(200, 200, 200));
        a.Frame(u, 6 * u, 15 * u, 12 * u, kGray);
        a.Rect(11 * u, 9 * u, 13 * u, 10 * u + 1, RGB(0, 200, 0));
        break;
    }
    return a.Take(true);
}

struct Store {
    std::mutex m;
    std::map<std::string, std::function<Picture()>> bitmapMakers;
    std::map<std::string, std::function<Cursor()>> cursorMakers;
    std::map<std::string, std::function<Picture()>> iconMakers;
    std::map<std::string, Picture> bitmaps;
    std::map<std::string, Cursor> cursors;
    std::map<std::string, Picture> icons;
    Store();
};

Store::Store() {
    auto& b = bitmapMakers;
    b["GXGRID_ARROW"] = [] {
        return IndicatorBitmap({".....", "#....", "##...", "###..", "####.", "###..", "##...", "#....", "....."});
    };
    b["GXGRID_EDIT"] = [] {
        return IndicatorBitmap({".....", "##.##", "..#..", "..#..", "..#..", "..#..", "..#..", "##.##", "....."});
    };
    b["GXGRID_INSERT"] = [] {
        return IndicatorBitmap({".....", ".....", "#.#.#", ".###.", "#####", ".###.", "#.#.#", ".....", "....."});
    };
    b["GXGRID_MULTIDOT"] = [] {
        return IndicatorBitmap({".....", ".....", ".....", ".###.", ".###.", ".###.", ".....", ".....", "....."});
    };
    b["GXGRID_MULTIARROW"] = [] {
        return IndicatorBitmap({"#....", "##...", "###..", "####.", "#####", "####.", "###..", "##...", "#...."});
    };
    b["GXGRID_VERSCROLLBITMAP"] = [] { return ScrollBitmap(false, true); };
    b["GXGRID_HORSCROLLBITMAP"] = [] { return ScrollBitmap(true, false); };
    b["GXGRID_FULLSCROLLBITMAP"] = [] { return ScrollBitmap(true, true); };
    b["GXTOOL_CUT"] = [] {
        return ToolGlyph([](Art& a) {
            a.Line(5, 9, 11, 1, kBlack);
            a.Line(10, 9, 4, 1, kBlack);
            a.Disc(1, 9, 7, 15, kKey, kBlack);
            a.Disc(9, 9, 15, 15, kKey, kBlack);
        });
    };
    b["GXTOOL_COPY"] = [] {
        return ToolGlyph([](Art& a) {
            a.Rect(1, 1, 10, 12, kWhite);
            a.Frame(1, 1, 10, 12, kBlack);
            a.Rect(6, 4, 15, 15, kWhite);
            a.Frame(6, 4, 15, 15, kBlack);
            for (int y = 7; y < 13; y += 2) a.Line(8, y, 12, y, kGray);
        });
    };
    b["GXTOOL_PASTE"] = [] {
        return ToolGlyph([](Art& a) {
            a.Rect(1, 2, 12, 15, RGB(128, 64, 0));
            a.Rect(4, 1, 9, 4, kSilver);
            a.Frame(4, 1, 9, 4, kBlack);
            a.Rect(6, 6, 15, 15, kWhite);
            a.Frame(6, 6, 15, 15, kBlack);
            for (int y = 9; y < 14; y += 2) a.Line(8, y, 12, y, kGray);
        });
    };
    b["GXTOOL_DELETE"] = [] {
        return ToolGlyph([](Art& a) {
            a.Line(3, 3, 12, 12, RGB(192, 0, 0), 2);
            a.Line(12, 3, 3, 12, RGB(192, 0, 0), 2);
        });
    };
    b["GXTOOL_LOAD"] = [] {
        return ToolGlyph([](Art& a) {
            a.Poly({{1, 3}, {5, 3}, {6, 5}, {13, 5}, {13, 14}, {1, 14}}, RGB(255, 224, 96), kBlack);
            a.Poly({{3, 8}, {15, 8}, {13, 14}, {1, 14}}, RGB(224, 176, 32), kBlack);
        });
    };
    b["GXTOOL_SAVE"] = [] {
        return ToolGlyph([](Art& a) {
            a.Rect(1, 1, 15, 15, RGB(0, 0, 128));
            a.Rect(4, 1, 12, 7, kWhite);
            a.Rect(5, 10, 11, 15, kSilver);
            a.Rect(6, 11, 8, 14, RGB(0, 0, 128));
        });
    };
    b["GXINPLACE_BLOB_NULL"] = [] { return CellIcon(0, true); };
    b["GXINPLACE_BLOB"] = [] { return CellIcon(0, false); };
    b["GXINPLACE_MEMO_NULL"] = [] { return CellIcon(1, true); };
    b["GXINPLACE_MEMO"] = [] { return CellIcon(1, false); };
    b["GXINPLACE_PICT_NULL"] = [] { return CellIcon(2, true); };
    b["GXINPLACE_PICT"] = [] { return CellIcon(2, false); };
    b["GXINPLACE_OLE_NULL"] = [] { return CellIcon(3, true); };
    b["GXINPLACE_OLE"] = [] { return CellIcon(3, false); };
    b["IDB_PREVIEW"] = [] {
        return ToolGlyph([](Art& a) {
            a.Rect(1, 1, 11, 14, kWhite);
            a.Frame(1, 1, 11, 14, kBlack);
            a.Line(10, 10, 14, 14, kBlack, 2);
            a.Disc(5, 4, 12, 11, RGB(160, 208, 255), kBlack);
        });
    };
    b["IDB_PLAY"] = [] {
        return ToolGlyph([](Art& a) { a.Poly({{4, 2}, {12, 8}, {4, 14}}, RGB(0, 160, 0), RGB(0, 96, 0)); });
    };
    // A padlock: the preview dialogs' lock button.
    b["IDB_LOCK"] = [] {
        return ToolGlyph([](Art& a) {
            a.Frame(5, 2, 11, 9, kBlack);
            a.Frame(6, 3, 10, 9, kBlack);
            a.Rect(3, 7, 13, 15, RGB(255, 200, 40));
            a.Frame(3, 7, 13, 15, RGB(150, 110, 20));
            a.Rect(7, 10, 9, 13, kBlack);
        });
    };

    auto& c = cursorMakers;
    c["ZOOMMENO"] = [] { return Magnifier(false); };
    c["ZOOMPIU"] = [] { return Magnifier(true); };
    c["CROCE"] = [] { return Cross(0, false); };
    c["GOMMA"] = [] { return Eraser(); };
    c["MANO"] = [] { return Hand(kOpenHand, 8, 7); };
    c["PENNA"] = [] { return Pen(); };
    c["CROCE1"] = [] { return Cross(3, false); };
    c["CROCE2"] = [] { return Cross(3, true); };
    c["MOVE2"] = [] { return DoubleArrow(1, 1); };
    c["MOVEY"] = [] { return DoubleArrow(0, 1); };
    c["MOVE1"] = [] { return DoubleArrow(1, -1); };
    c["MOVEX"] = [] { return DoubleArrow(1, 0); };
    c["MOVE"] = [] {
        Cursor h = DoubleArrow(1, 0), v = DoubleArrow(0, 1);
        for (size_t i = 0; i < h.picture.pixels.size(); ++i) {
            uint32_t& p = h.picture.pixels[i];
            const uint32_t q = v.picture.pixels[i];
            if (q >> 24 && (!(p >> 24) || (q & 0xFFFFFF) == 0)) p = q;
        }
        return h;
    };
    c["GXTLDELETECURSOR"] = [] { return NotAllowed(); };
    c["GXTL_FULLSCROLLCURSOR"] = [] { return Arrows(true, true, true, true); };
    c["GXTL_HORSCROLLCURSOR"] = [] { return Arrows(true, true, false, false); };
    c["GXTL_VERSCROLLCURSOR"] = [] { return Arrows(false, false, true, true); };
    c["GXTL_UPSCROLLCURSOR"] = [] { return Arrows(false, false, true, false); };
    c["GXTL_RIGHTSCROLLCURSOR"] = [] { return Arrows(false, true, false, false); };
    c["GXTL_DOWNSCROLLCURSOR"] = [] { return Arrows(false, false, false, true); };
    c["GXTL_LEFTSCROLLCURSOR"] = [] { return Arrows(true, false, false, false); };
    c["GX_HANDPOINT"] = [] { return Hand(kPointingHand, 5, 0); };

    iconMakers["MAINICON"] = [] { return MainIcon(32); };
    const std::pair<const char*, ShellIconKind> shellIcons[] = {{"SHELL_FOLDER", kFolder},
                                                                {"SHELL_FOLDER_OPEN", kOpenFolder},
                                                                {"SHELL_DOCUMENT", kDocument},
                                                                {"SHELL_DRIVE", kDrive}};
    for (const auto& [name, kind] : shellIcons) {
        iconMakers[name] = [kind = kind] { return ShellIcon(kind, 32); };
        iconMakers[std::string(name) + "_SMALL"] = [kind = kind] { return ShellIcon(kind, 16); };
    }
}

Store& TheStore() {
    static Store* s = new Store;
    return *s;
}

template <class T, class M>
const T* Find(std::map<std::string, T>& cache, M& makers, const std::string& name, std::mutex& m) {
    const std::string key = UpperCase(name);
    std::lock_guard<std::mutex> lock(m);
    auto it = cache.find(key);
    if (it != cache.end()) return &it->second;
    auto mk = makers.find(key);
    if (mk == makers.end()) return nullptr;
    return &cache.emplace(key, mk->second()).first->second;
}

}  // namespace

const Picture* FindBitmap(const std::string& name) {
    Store& s = TheStore();
    return Find(s.bitmaps, s.bitmapMakers, name, s.m);
}

const Cursor* FindCursor(const std::string& name) {
    Store& s = TheStore();
    return Find(s.cursors, s.cursorMakers, name, s.m);
}

const Picture* FindIcon(const std::string& name) {
    Store& s = TheStore();
    return Find(s.icons, s.iconMakers, name, s.m);
}

const char* FindString(int id) {
    static const std::map<int, const char*> strings = {
        {38811, ""},
        {38903, "Today"},
        {38904, "Clear"},
        {38914, "Cu&t"},
        {38915, "&Copy"},
        {38916, "&Paste"},
        {38917, "&Delete"},
        {38918, "&Load..."},
        {38919, "&Save To..."},
        {38920, "Cut"},
        {38921, "Copy"},
        {38922, "Paste"},
        {38923, "Delete"},
        {38924, "Load from file..."},
        {38925, "Save to file..."},
        {38927, "Invalid Date"},
        {38951, "Error"},
    };
    auto it = strings.find(id);
    return it == strings.end() ? nullptr : it->second;
}

std::vector<std::string> BitmapNames() {
    std::vector<std::string> v;
    for (const auto& [k, f] : TheStore().bitmapMakers) v.push_back(k);
    return v;
}

std::vector<std::string> CursorNames() {
    std::vector<std::string> v;
    for (const auto& [k, f] : TheStore().cursorMakers) v.push_back(k);
    return v;
}

}  // namespace lumora_art
