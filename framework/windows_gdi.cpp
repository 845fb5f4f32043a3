// The parts of the drawing interface built on the device-context calls: the system colour table,
// rectangle arithmetic, LineDDA, and the classic edges, frame controls and focus rectangles.

#include "framework/windows_gdi.h"

#include "framework/gdi/raster.h"

#include <algorithm>
#include <cmath>
#include <utility>

// ---------------------------------------------------------------------------------------------
// System colours: the classic Windows scheme.

COLORREF GetSysColor(int index) {
    static const COLORREF table[SysColorCount] = {
        RGB(192, 192, 192),  // scroll bar
        RGB(0, 128, 128),    // desktop
        RGB(0, 0, 128),      // active caption
        RGB(128, 128, 128),  // inactive caption
        RGB(192, 192, 192),  // menu
        RGB(255, 255, 255),  // window
        RGB(0, 0, 0),        // window frame
        RGB(0, 0, 0),        // menu text
        RGB(0, 0, 0),        // window text
        RGB(255, 255, 255),  // caption text
        RGB(192, 192, 192),  // active border
        RGB(192, 192, 192),  // inactive border
        RGB(128, 128, 128),  // application workspace
        RGB(0, 0, 128),      // highlight
        RGB(255, 255, 255),  // highlight text
        RGB(192, 192, 192),  // button face
        RGB(128, 128, 128),  // button shadow
        RGB(128, 128, 128),  // grey text
        RGB(0, 0, 0),        // button text
        RGB(192, 192, 192),  // inactive caption text
        RGB(255, 255, 255),  // button highlight
        RGB(0, 0, 0),        // 3-D dark shadow
        RGB(192, 192, 192),  // 3-D light
        RGB(0, 0, 0),        // info text
        RGB(255, 255, 225),  // info background
        RGB(192, 192, 192),  // (unused)
        RGB(0, 0, 128),      // hot light
        RGB(16, 132, 208),   // gradient active caption
        RGB(181, 181, 181),  // gradient inactive caption
        RGB(0, 0, 128),      // menu highlight
        RGB(192, 192, 192),  // menu bar
    };
    if (index < 0 || index >= SysColorCount) return 0;
    return table[index];
}

// ---------------------------------------------------------------------------------------------
// Rectangles

bool SetRect(TRect* r, int left, int top, int right, int bottom) {
    if (!r) return false;
    *r = TRect(left, top, right, bottom);
    return true;
}

bool SetRectEmpty(TRect* r) {
    if (!r) return false;
    *r = TRect();
    return true;
}

bool IsRectEmpty(const TRect* r) {
    return !r || r->Right <= r->Left || r->Bottom <= r->Top;
}

bool EqualRect(const TRect* a, const TRect* b) {
    return a && b && *a == *b;
}

bool PtInRect(const TRect* r, TPoint p) {
    return r && p.X >= r->Left && p.X < r->Right && p.Y >= r->Top && p.Y < r->Bottom;
}

bool IntersectRect(TRect* dst, const TRect* a, const TRect* b) {
    if (!dst || !a || !b) return false;
    TRect r(std::max(a->Left, b->Left), std::max(a->Top, b->Top), std::min(a->Right, b->Right),
            std::min(a->Bottom, b->Bottom));
    if (IsRectEmpty(&r)) {
        *dst = TRect();
        return false;
    }
    *dst = r;
    return true;
}

bool UnionRect(TRect* dst, const TRect* a, const TRect* b) {
    if (!dst || !a || !b) return false;
    const bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
    if (ea && eb) {
        *dst = TRect();
        return false;
    }
    if (ea) *dst = *b;
    else if (eb) *dst = *a;
    else *dst = TRect(std::min(a->Left, b->Left), std::min(a->Top, b->Top), std::max(a->Right, b->Right),
                      std::max(a->Bottom, b->Bottom));
    return true;
}

TRect IntersectionOf(const TRect& a, const TRect& b) {
    TRect r;
    IntersectRect(&r, &a, &b);
    return r;
}

TRect UnionOf(const TRect& a, const TRect& b) {
    TRect r;
    UnionRect(&r, &a, &b);
    return r;
}

bool SubtractRect(TRect* dst, const TRect* a, const TRect* b) {
    if (!dst || !a || !b) return false;
    TRect r = *a;
    TRect i;
    if (IntersectRect(&i, a, b)) {
        // Only a cut that removes a whole side shrinks the rectangle.
        if (i.Top == a->Top && i.Bottom == a->Bottom) {
            if (i.Left == a->Left) r.Left = i.Right;
            else if (i.Right == a->Right) r.Right = i.Left;
        } else if (i.Left == a->Left && i.Right == a->Right) {
            if (i.Top == a->Top) r.Top = i.Bottom;
            else if (i.Bottom == a->Bottom) r.Bottom = i.Top;
        }
    }
    if (IsRectEmpty(&r)) {
        *dst = TRect();
        return false;
    }
    *dst = r;
    return true;
}

bool InflateRect(TRect* r, int dx, int dy) {
    if (!r) return false;
    r->Left -= dx;
    r->Right += dx;
    r->Top -= dy;
    r->Bottom += dy;
    return true;
}

bool OffsetRect(TRect* r, int dx, int dy) {
    if (!r) return false;
    r->Left += dx;
    r->Right += dx;
    r->Top += dy;
    r->Bottom += dy;
    return true;
}

bool CopyRect(TRect* dst, const TRect* src) {
    if (!dst || !src) return false;
    *dst = *src;
    return true;
}

// ---------------------------------------------------------------------------------------------
// LineDDA: the same points LineTo draws.


bool LineDDA(int x1, int y1, int x2, int y2, LINEDDAPROC proc, LPARAM data) {
    if (!proc) return false;
    lumora_gdi::WalkLine(x1, y1, x2, y2, [&](int x, int y) { proc(x, y, data); });
    return true;
}

void LineDDA(int x1, int y1, int x2, int y2, const std::function<void(int x, int y)>& proc) {
    if (proc) lumora_gdi::WalkLine(x1, y1, x2, y2, proc);
}

// ---------------------------------------------------------------------------------------------
// Drawing helpers

namespace {

void FillSys(HDC dc, const TRect& r, int index) {
    FillRect(dc, &r, GetSysColorBrush(index));
}

void FillColor(HDC dc, const TRect& r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

void Dot(HDC dc, int x, int y, COLORREF c) {
    FillColor(dc, TRect(x, y, x + 1, y + 1), c);
}

// A brush of the 50 % checker pattern, drawn in the text and background colours; the caller
// deletes it.
HBRUSH NewCheckerBrush() {
    static const BYTE rows[8 * 2] = {0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0};
    HBITMAP bmp = CreateBitmap(8, 8, 1, 1, rows);
    HBRUSH brush = CreatePatternBrush(bmp);  // keeps its own copy of the pattern
    DeleteObject(bmp);
    return brush;
}

// A 50 % pattern of two system colours (used for checked buttons and indeterminate boxes).
void FillChecker(HDC dc, const TRect& r, int c0, int c1) {
    HBRUSH brush = NewCheckerBrush();
    const COLORREF oldText = SetTextColor(dc, GetSysColor(c0));
    const COLORREF oldBk = SetBkColor(dc, GetSysColor(c1));
    FillRect(dc, &r, brush);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBk);
    DeleteObject(brush);
}

// One ring of an edge: top and left in tl, bottom and right in br (which owns the corners
// between them).
void EdgeRing(HDC dc, const TRect& r, UINT flags, COLORREF tl, COLORREF br) {
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    if (R <= L || B <= T) return;
    if (flags & BF_TOP) FillColor(dc, TRect(L, T, (flags & BF_RIGHT) ? R - 1 : R, T + 1), tl);
    if (flags & BF_LEFT) FillColor(dc, TRect(L, T, L + 1, (flags & BF_BOTTOM) ? B - 1 : B), tl);
    if (flags & BF_BOTTOM) FillColor(dc, TRect(L, B - 1, R, B), br);
    if (flags & BF_RIGHT) FillColor(dc, TRect(R - 1, T, R, B), br);
}

void Shrink(TRect& r, UINT flags) {
    if (flags & BF_LEFT) ++r.Left;
    if (flags & BF_TOP) ++r.Top;
    if (flags & BF_RIGHT) --r.Right;
    if (flags & BF_BOTTOM) --r.Bottom;
}

void DiagonalRing(HDC dc, const TRect& r, UINT flags, COLORREF c) {
    const int w = r.Right - r.Left - 1, h = r.Bottom - r.Top - 1;
    if (w < 0 || h < 0) return;
    const int n = std::max(w, h);
    for (int i = 0; i <= n; ++i) {
        const int x = r.Left + (n ? i * w / n : 0);
        int y;
        const UINT end = flags & (BF_TOP | BF_BOTTOM | BF_LEFT | BF_RIGHT);
        // Lines run from bottom-left to top-right for the end-top-right and end-bottom-left
        // kinds, from top-left to bottom-right for the others.
        if (end == BF_TOPRIGHT || end == BF_BOTTOMLEFT) y = r.Bottom - 1 - (n ? i * h / n : 0);
        else y = r.Top + (n ? i * h / n : 0);
        Dot(dc, x, y, c);
    }
}

}  // namespace

bool DrawEdge(HDC dc, TRect* rect, UINT edge, UINT flags) {
    if (!rect) return false;
    TRect r = *rect;
    const bool soft = flags & BF_SOFT;
    COLORREF oTL = 0, oBR = 0, iTL = 0, iBR = 0;
    const UINT outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
    if (flags & BF_MONO) {
        oTL = oBR = GetSysColor(COLOR_WINDOWFRAME);
        iTL = iBR = GetSysColor(COLOR_WINDOW);
    } else if (flags & BF_FLAT) {
        oTL = oBR = GetSysColor(COLOR_BTNSHADOW);
        iTL = iBR = GetSysColor(COLOR_BTNFACE);
    } else {
        if (outer & BDR_RAISEDOUTER) {
            oTL = GetSysColor(soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT);
            oBR = GetSysColor(COLOR_3DDKSHADOW);
        } else if (outer & BDR_SUNKENOUTER) {
            oTL = GetSysColor(soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW);
            oBR = GetSysColor(COLOR_BTNHIGHLIGHT);
        }
        if (inner & BDR_RAISEDINNER) {
            iTL = GetSysColor(soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT);
            iBR = GetSysColor(COLOR_BTNSHADOW);
        } else if (inner & BDR_SUNKENINNER) {
            iTL = GetSysColor(soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW);
            iBR = GetSysColor(COLOR_3DLIGHT);
        }
    }
    if (flags & BF_DIAGONAL) {
        if (outer) DiagonalRing(dc, r, flags, (flags & BF_BOTTOM) ? oBR : oTL);
        if (flags & BF_ADJUST) *rect = r;
        return true;
    }
    if (outer) {
        EdgeRing(dc, r, flags, oTL, oBR);
        Shrink(r, flags);
    }
    if (inner) {
        EdgeRing(dc, r, flags, iTL, iBR);
        Shrink(r, flags);
    }
    if ((flags & BF_MIDDLE) && r.Right > r.Left && r.Bottom > r.Top)
        FillSys(dc, r, (flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE);
    if (flags & BF_ADJUST) *rect = r;
    return true;
}

namespace {

// A glyph of '#' pixels drawn scaled into a box.
void Glyph(HDC dc, const char* const* rows, int gw, int gh, const TRect& box, COLORREF c) {
    const int bw = box.Right - box.Left, bh = box.Bottom - box.Top;
    if (bw <= 0 || bh <= 0) return;
    for (int y = 0; y < bh; ++y) {
        const int gy = y * gh / bh;
        for (int x = 0; x < bw; ++x) {
            const int gx = x * gw / bw;
            if (rows[gy][gx] == '#') Dot(dc, box.Left + x, box.Top + y, c);
        }
    }
}

// Inactive glyphs are embossed: highlight one pixel down-right, then shadow.
void GlyphState(HDC dc, const char* const* rows, int gw, int gh, const TRect& box, UINT state, int color) {
    if (state & DFCS_INACTIVE) {
        TRect b = box;
        OffsetRect(&b, 1, 1);
        Glyph(dc, rows, gw, gh, b, GetSysColor(COLOR_BTNHIGHLIGHT));
        Glyph(dc, rows, gw, gh, box, GetSysColor(COLOR_BTNSHADOW));
    } else {
        Glyph(dc, rows, gw, gh, box, GetSysColor(color));
    }
}

const char* const kCheck[7] = {
    "......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#....",
};
const char* const kClose[8] = {
    "##....##", "###..###", ".######.", "..####..", "..####..", ".######.", "###..###", "##....##",
};
const char* const kMin[8] = {
    "........", "........", "........", "........", "........", "........", "######..", "######..",
};
const char* const kMax[8] = {
    "########", "########", "#......#", "#......#", "#......#", "#......#", "#......#", "########",
};
const char* const kRestore[8] = {
    "..######", "..######", "..#....#", "######.#", "######.#", "#....###", "#....#..", "######..",
};
const char* const kHelp[8] = {
    "..####..", ".##..##.", ".....##.", "....##..", "...##...", "...##...", "........", "...##...",
};
const char* const kBullet[6] = {
    ".####.", "######", "######", "######", "######", ".####.",
};

// A triangle pointing in a direction, centred in the box.
void Arrow(HDC dc, const TRect& r, int dir, UINT state) {
    const int w = r.Right - r.Left, h = r.Bottom - r.Top;
    const int n = std::max(1, std::min(w, h) / 4);
    const int cx = r.Left + w / 2, cy = r.Top + h / 2;
    auto draw = [&](int ox, int oy, COLORREF c) {
        for (int i = 0; i < n; ++i) {
            const int half = n - 1 - i;  // row i from the base
            switch (dir) {
            case DFCS_SCROLLDOWN:
            case DFCS_SCROLLCOMBOBOX: {
                const int y = cy - n / 2 + i;
                FillColor(dc, TRect(cx - half + ox, y + oy, cx + half + 1 + ox, y + 1 + oy), c);
                break;
            }
            case DFCS_SCROLLUP: {
                const int y = cy + (n - 1) / 2 - i;
                FillColor(dc, TRect(cx - half + ox, y + oy, cx + half + 1 + ox, y + 1 + oy), c);
                break;
            }
            case DFCS_SCROLLRIGHT: {
                const int x = cx - n / 2 + i;
                FillColor(dc, TRect(x + ox, cy - half + oy, x + 1 + ox, cy + half + 1 + oy), c);
                break;
            }
            case DFCS_SCROLLLEFT: {
                const int x = cx + (n - 1) / 2 - i;
                FillColor(dc, TRect(x + ox, cy - half + oy, x + 1 + ox, cy + half + 1 + oy), c);
                break;
            }
            }
        }
    };
    if (state & DFCS_INACTIVE) {
        draw(1, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        draw(0, 0, GetSysColor(COLOR_BTNSHADOW));
    } else {
        draw(0, 0, GetSysColor(COLOR_BTNTEXT));
    }
}

void ButtonFace(HDC dc, TRect& r, UINT state) {
    if (state & DFCS_MONO) {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_MONO | BF_ADJUST);
    } else if (state & DFCS_FLAT) {
        if (state & (DFCS_PUSHED | DFCS_CHECKED)) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE | BF_ADJUST);
        else DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_FLAT | BF_ADJUST);
    } else if (state & (DFCS_PUSHED | DFCS_CHECKED)) {
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        if ((state & DFCS_CHECKED) && !(state & DFCS_PUSHED)) FillChecker(dc, r, COLOR_BTNHIGHLIGHT, COLOR_BTNFACE);
        else FillSys(dc, r, COLOR_BTNFACE);
    } else {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_SOFT | BF_ADJUST);
    }
}

TRect Square(const TRect& r) {
    const int w = r.Right - r.Left, h = r.Bottom - r.Top;
    const int s = std::min(w, h);
    const int l = r.Left + (w - s) / 2, t = r.Top + (h - s) / 2;
    return TRect(l, t, l + s, t + s);
}

void CheckBox(HDC dc, const TRect& area, UINT state) {
    TRect r = Square(area);
    if (state & DFCS_MONO) {
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_MONO | BF_ADJUST);
    } else if (state & DFCS_FLAT) {
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_ADJUST);
    } else {
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    const bool indeterminate = (state & DFCS_BUTTON3STATE) && (state & DFCS_CHECKED);
    if (indeterminate) FillChecker(dc, r, COLOR_BTNHIGHLIGHT, COLOR_BTNFACE);
    else FillSys(dc, r, (state & (DFCS_PUSHED | DFCS_INACTIVE)) ? COLOR_BTNFACE : COLOR_WINDOW);
    if (state & DFCS_CHECKED) {
        const int s = r.Right - r.Left;
        const int g = std::max(1, s * 7 / 9);
        const int l = r.Left + (s - g) / 2, t = r.Top + (s - g) / 2;
        const int color = indeterminate || (state & DFCS_INACTIVE) ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT;
        Glyph(dc, kCheck, 7, 7, TRect(l, t, l + g, t + g), GetSysColor(color));
    }
}

void RadioButton(HDC dc, const TRect& area, UINT state) {
    const TRect r = Square(area);
    const int s = r.Right - r.Left;
    if (s <= 0) return;
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    HBRUSH back = GetSysColorBrush((state & (DFCS_PUSHED | DFCS_INACTIVE)) ? COLOR_BTNFACE : COLOR_WINDOW);
    HGDIOBJ oldBrush = SelectObject(dc, back);
    Ellipse(dc, r.Left + 1, r.Top + 1, r.Right, r.Bottom);
    auto ring = [&](int inset, COLORREF tl, COLORREF br) {
        HPEN ptl = CreatePen(PS_SOLID, 1, tl);
        HPEN pbr = CreatePen(PS_SOLID, 1, br);
        const int l = r.Left + inset, t = r.Top + inset, rr = r.Right - inset, b = r.Bottom - inset;
        SelectObject(dc, ptl);
        Arc(dc, l, t, rr, b, rr, t, l, b);
        SelectObject(dc, pbr);
        Arc(dc, l, t, rr, b, l, b, rr, t);
        SelectObject(dc, GetStockObject(NULL_PEN));
        DeleteObject(ptl);
        DeleteObject(pbr);
    };
    if (state & (DFCS_MONO | DFCS_FLAT)) {
        const COLORREF c = GetSysColor((state & DFCS_MONO) ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW);
        ring(0, c, c);
    } else {
        ring(0, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        if (s > 4) ring(1, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
    }
    if (state & DFCS_CHECKED) {
        const int d = std::max(2, s / 3);
        const int l = r.Left + (s - d) / 2, t = r.Top + (s - d) / 2;
        Glyph(dc, kBullet, 6, 6, TRect(l, t, l + d, t + d),
              GetSysColor((state & DFCS_INACTIVE) ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT));
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

void SizeGrip(HDC dc, const TRect& r, UINT state) {
    if (!(state & DFCS_TRANSPARENT)) FillSys(dc, r, COLOR_BTNFACE);
    const int s = std::min(r.Right - r.Left, r.Bottom - r.Top);
    const COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), sh = GetSysColor(COLOR_BTNSHADOW);
    // Groups of one highlight and two shadow diagonals towards the corner.
    for (int k = 1; k < s; ++k) {
        const int m = (k - 1) % 4;
        if (m == 3) continue;
        const COLORREF c = m == 0 ? hi : sh;
        for (int j = 0; j <= k; ++j) {
            const int x = r.Right - 1 - k + j, y = r.Bottom - 1 - j;
            if (x >= r.Left && y >= r.Top) Dot(dc, x, y, c);
        }
    }
}

}  // namespace

bool DrawFrameControl(HDC dc, TRect* rect, UINT type, UINT state) {
    if (!rect) return false;
    TRect r = *rect;
    switch (type) {
    case DFC_BUTTON:
        if (state & DFCS_BUTTONPUSH) {
            ButtonFace(dc, r, state);
        } else if (state & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE)) {
            RadioButton(dc, r, state);
        } else if (state & DFCS_BUTTONRADIOMASK) {
            FillColor(dc, r, RGB(255, 255, 255));
            HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
            HGDIOBJ ob = SelectObject(dc, GetStockObject(BLACK_BRUSH));
            const TRect s = Square(r);
            Ellipse(dc, s.Left, s.Top, s.Right + 1, s.Bottom + 1);
            SelectObject(dc, op);
            SelectObject(dc, ob);
        } else {
            CheckBox(dc, r, state);
        }
        break;
    case DFC_SCROLL: {
        const UINT kind = state & 0xFF;
        if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
            SizeGrip(dc, r, state);
            break;
        }
        TRect face = r;
        if (state & DFCS_PUSHED) {
            if (state & DFCS_FLAT) DrawEdge(dc, &face, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE | BF_ADJUST);
            else DrawEdge(dc, &face, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_FLAT | BF_ADJUST);
        } else if (state & DFCS_FLAT) {
            DrawEdge(dc, &face, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_FLAT | BF_ADJUST);
        } else {
            DrawEdge(dc, &face, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
        }
        TRect a = r;
        if (state & DFCS_PUSHED) OffsetRect(&a, 1, 1);
        Arrow(dc, a, int(kind), state);
        break;
    }
    case DFC_CAPTION: {
        ButtonFace(dc, r, state);
        const int w = rect->Right - rect->Left, h = rect->Bottom - rect->Top;
        const int g = std::max(3, std::min(w, h) / 2);
        int l = rect->Left + (w - g) / 2, t = rect->Top + (h - g) / 2;
        if (state & DFCS_PUSHED) {
            ++l;
            ++t;
        }
        const TRect box(l, t, l + g, t + g);
        const char* const* glyph = kClose;
        switch (state & 0xFF) {
        case DFCS_CAPTIONMIN: glyph = kMin; break;
        case DFCS_CAPTIONMAX: glyph = kMax; break;
        case DFCS_CAPTIONRESTORE: glyph = kRestore; break;
        case DFCS_CAPTIONHELP: glyph = kHelp; break;
        default: break;
        }
        GlyphState(dc, glyph, 8, 8, box, state, COLOR_BTNTEXT);
        break;
    }
    case DFC_MENU:
    case DFC_POPUPMENU: {
        FillColor(dc, r, RGB(255, 255, 255));
        const int w = r.Right - r.Left, h = r.Bottom - r.Top;
        const int g = std::max(3, std::min(w, h) * 2 / 3);
        const int l = r.Left + (w - g) / 2, t = r.Top + (h - g) / 2;
        const TRect box(l, t, l + g, t + g);
        switch (state & 0xFF) {
        case DFCS_MENUCHECK: Glyph(dc, kCheck, 7, 7, box, 0); break;
        case DFCS_MENUBULLET:
            Glyph(dc, kBullet, 6, 6, TRect(l + g / 4, t + g / 4, l + g - g / 4, t + g - g / 4), 0);
            break;
        default: {
            // A right-pointing arrow.
            const int n = std::max(1, g / 2);
            for (int i = 0; i < n; ++i)
                FillColor(dc, TRect(l + i, t + g / 2 - (n - 1 - i), l + i + 1, t + g / 2 + (n - i)), 0);
            break;
        }
        }
        break;
    }
    default:
        return false;
    }
    if (state & DFCS_ADJUSTRECT) InflateRect(rect, -2, -2);
    return true;
}

bool DrawFocusRect(HDC dc, const TRect* r) {
    if (!r || r->Right <= r->Left || r->Bottom <= r->Top) return false;
    HBRUSH brush = NewCheckerBrush();
    HGDIOBJ old = SelectObject(dc, brush);
    const int w = r->Right - r->Left, h = r->Bottom - r->Top;
    PatBlt(dc, r->Left, r->Top, w, 1, PATINVERT);
    if (h > 1) PatBlt(dc, r->Left, r->Bottom - 1, w, 1, PATINVERT);
    if (h > 2) {
        PatBlt(dc, r->Left, r->Top + 1, 1, h - 2, PATINVERT);
        if (w > 1) PatBlt(dc, r->Right - 1, r->Top + 1, 1, h - 2, PATINVERT);
    }
    SelectObject(dc, old);
    DeleteObject(brush);
    return true;
}

bool InvertRect(HDC dc, const TRect* r) {
    if (!r) return false;
    return PatBlt(dc, r->Left, r->Top, r->Right - r->Left, r->Bottom - r->Top, DSTINVERT);
}

bool DrawCaptionBar(HDC dc, const TRect* rect, const std::string& text, UINT flags) {
    if (!rect || rect->Right <= rect->Left || rect->Bottom <= rect->Top) return false;
    const bool active = flags & DC_ACTIVE;
    const COLORREF from = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    const COLORREF to = GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
    const int w = rect->Right - rect->Left;
    if (flags & DC_GRADIENT) {
        for (int i = 0; i < w; ++i) {
            auto mix = [&](BYTE a, BYTE b) { return BYTE(a + (int(b) - int(a)) * i / std::max(1, w - 1)); };
            FillColor(dc, TRect(rect->Left + i, rect->Top, rect->Left + i + 1, rect->Bottom),
                      RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
                          mix(GetBValue(from), GetBValue(to))));
        }
    } else {
        FillColor(dc, *rect, from);
    }
    if (!(flags & DC_TEXT) || text.empty()) return true;
    HFONT font = CreateFont(-11, 0, 0, 0, (flags & DC_SMALLCAP) ? FW_NORMAL : FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                            0, VARIABLE_PITCH, "MS Sans Serif");
    HGDIOBJ old = SelectObject(dc, font);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldText =
        SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    TRect r = *rect;
    r.Left += 2;
    DrawText(dc, text, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    SetTextColor(dc, oldText);
    SetBkMode(dc, oldMode);
    SelectObject(dc, old);
    DeleteObject(font);
    return true;
}
