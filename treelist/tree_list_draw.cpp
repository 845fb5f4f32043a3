// The drawing primitives of the tree-list library and its shared drawing resources.

#include "treelist/tree_list_draw.h"

#include <algorithm>

#include "framework/resources.h"

// ---- shared resources ------------------------------------------------------------------------
// Made on first use and kept for the life of the program.

HBRUSH TreeListCheckerBrush() {
    static HBRUSH brush = [] {
        // Rows padded to 2 bytes, leftmost pixel in the top bit; a set bit is white.
        Byte bits[16];
        for (int y = 0; y < 8; ++y) {
            bits[2 * y] = y % 2 == 0 ? 0x55 : 0xAA;
            bits[2 * y + 1] = 0;
        }
        HBITMAP pattern = CreateBitmap(8, 8, 1, 1, bits);
        HBRUSH b = CreatePatternBrush(pattern);
        DeleteObject(pattern);
        return b;
    }();
    return brush;
}

TCustomImageList* TreeListIndicatorImages() {
    static TCustomImageList* images = [] {
        TCustomImageList* list = nullptr;
        for (const char* name :
             {"GXGRID_ARROW", "GXGRID_EDIT", "GXGRID_INSERT", "GXGRID_MULTIDOT", "GXGRID_MULTIARROW"}) {
            TBitmap bitmap;
            bitmap.LoadFromResourceName(HInstance, name);
            // The list takes the size of the first picture.
            if (!list) list = TCustomImageList::CreateSize(bitmap.GetWidth(), bitmap.GetHeight());
            list->AddMasked(&bitmap, clWhite);
        }
        return list;
    }();
    return images;
}

TBitmap* TreeListOutlookGlyph(bool Expanded) {
    static TBitmap* glyphs[2] = {nullptr, nullptr};
    TBitmap*& glyph = glyphs[Expanded ? 1 : 0];
    if (!glyph) {
        glyph = new TBitmap;
        glyph->SetPixelFormat(pf24bit);
        glyph->SetSize(12, 12);
        HDC dc = glyph->GetCanvas()->GetHandle();
        TRect r(0, 0, 12, 12);
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
        HBRUSH text = GetSysColorBrush(COLOR_BTNTEXT);
        const TRect minus(3, 5, 9, 7);
        FillRect(dc, &minus, text);
        if (!Expanded) {
            const TRect bar(5, 3, 7, 9);
            FillRect(dc, &bar, text);
        }
    }
    return glyph;
}

// ---- primitives ------------------------------------------------------------------------------

void EnsureBitmapSize(TBitmap* Bitmap, Integer Width, Integer Height) {
    if (Bitmap->GetWidth() < Width || Bitmap->GetHeight() < Height)
        Bitmap->SetSize(std::max(Bitmap->GetWidth(), Width), std::max(Bitmap->GetHeight(), Height));
}

void DrawCheckerHighlight(HDC DC, const TRect& R) {
    const COLORREF text = SetTextColor(DC, RGB(0, 0, 0));
    const COLORREF back = SetBkColor(DC, RGB(255, 255, 255));
    HGDIOBJ brush = SelectObject(DC, TreeListCheckerBrush());
    // The pattern's white bits keep the pixels (AND with white), the black ones take the colour.
    PatBlt(DC, R.Left, R.Top, R.Width(), R.Height(), 0x00A000C9);  // P and D
    SetTextColor(DC, GetSysColor(COLOR_HIGHLIGHT));
    SetBkColor(DC, RGB(0, 0, 0));
    PatBlt(DC, R.Left, R.Top, R.Width(), R.Height(), 0x00FA0089);  // P or D
    SelectObject(DC, brush);
    SetTextColor(DC, text);
    SetBkColor(DC, back);
}

void DrawBitmapOnBrush(HDC DC, const TRect& R, TBitmap* Bitmap, HBRUSH Brush) {
    if (!Bitmap || Bitmap->GetEmpty()) return;
    const Integer w = std::min(Bitmap->GetWidth(), R.Width());
    const Integer h = std::min(Bitmap->GetHeight(), R.Height());
    if (w <= 0 || h <= 0) return;
    const TRect area(R.Left, R.Top, R.Left + w, R.Top + h);
    FillRect(DC, &area, Brush);
    TransparentBlt(DC, area.Left, area.Top, w, h, Bitmap->GetCanvas()->GetHandle(), 0, 0, w, h,
                   COLORREF(ColorToRGB(Bitmap->GetTransparentColor())));
}

void DrawImageCentered(TCanvas* Canvas, const TRect& R, TCustomImageList* Images, Integer Index) {
    if (!Images || Index < 0 || Index >= Images->GetCount()) return;
    Images->Draw(Canvas, (R.Left + R.Right - Images->GetWidth() + 1) / 2,
                 (R.Top + R.Bottom - Images->GetHeight() + 1) / 2, Index);
}

void DrawBitmapCentered(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap) {
    if (!Bitmap || Bitmap->GetEmpty()) return;
    Canvas->Draw((R.Left + R.Right - Bitmap->GetWidth() + 1) / 2, (R.Top + R.Bottom - Bitmap->GetHeight() + 1) / 2,
                 Bitmap);
}

void DrawExpandButton(HDC DC, const TRect& R, Integer Y, bool Expanded) {
    const Integer left = R.Left + (R.Width() - 9) / 2;
    const Integer top = Y - 4;
    const TRect box(left, top, left + 9, top + 9);
    FrameRect(DC, &box, GetSysColorBrush(COLOR_GRAYTEXT));
    HBRUSH text = GetSysColorBrush(COLOR_WINDOWTEXT);
    const TRect minus(left + 2, Y, left + 7, Y + 1);
    FillRect(DC, &minus, text);
    if (!Expanded) {
        const TRect bar(left + 4, top + 2, left + 5, top + 7);
        FillRect(DC, &bar, text);
    }
}

void DrawOutlookButton(TCanvas* Canvas, const TRect& R, bool Expanded) {
    DrawBitmapCentered(Canvas, R, TreeListOutlookGlyph(Expanded));
}

void DrawSortArrow(HDC DC, const TRect& R, TgxTreeListColumnSort Sorted) {
    if (Sorted == csNone) return;
    const Integer left = R.Left + (R.Width() - 9) / 2;
    const Integer top = R.Top + (R.Height() - 8) / 2;
    HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HGDIOBJ old = SelectObject(DC, shadow);
    if (Sorted == csUp) {
        // Apex at the top: the left side in shadow, the right side and the base lit.
        MoveToEx(DC, left + 4, top, nullptr);
        LineTo(DC, left, top + 8);
        SelectObject(DC, light);
        MoveToEx(DC, left + 4, top, nullptr);
        LineTo(DC, left + 8, top + 8);
        MoveToEx(DC, left, top + 7, nullptr);
        LineTo(DC, left + 9, top + 7);
    } else {
        // Apex at the bottom: the top and the left side in shadow, the right side lit.
        MoveToEx(DC, left, top, nullptr);
        LineTo(DC, left + 9, top);
        MoveToEx(DC, left, top, nullptr);
        LineTo(DC, left + 4, top + 8);
        SelectObject(DC, light);
        MoveToEx(DC, left + 8, top, nullptr);
        LineTo(DC, left + 4, top + 8);
    }
    SelectObject(DC, old);
    DeleteObject(shadow);
    DeleteObject(light);
}

void DrawHeaderFrame(HDC DC, TRect& R, HBRUSH Brush, Integer EdgeKind, bool Pressed, bool Flat) {
    if (!Flat) {
        DrawEdge(DC, &R, BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM);
        --R.Right;
        --R.Bottom;
        if (Pressed) {
            DrawEdge(DC, &R, BDR_SUNKENOUTER, BF_LEFT | BF_TOP);
            ++R.Left;
            ++R.Top;
        } else {
            DrawEdge(DC, &R, BDR_RAISEDINNER, BF_RECT);
            InflateRect(&R, -1, -1);
        }
        FillRect(DC, &R, Brush);
        return;
    }
    if (EdgeKind == ekOnly) {
        DrawEdge(DC, &R, BDR_RAISEDINNER, BF_RECT);
        InflateRect(&R, -1, -1);
        FillRect(DC, &R, Brush);
        InflateRect(&R, -1, 0);
        return;
    }
    FillRect(DC, &R, Brush);
    HBRUSH light = GetSysColorBrush(COLOR_BTNHIGHLIGHT);
    HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
    const TRect top(R.Left, R.Top, R.Right, R.Top + 1);
    const TRect bottom(R.Left, R.Bottom - 1, R.Right, R.Bottom);
    FillRect(DC, &top, light);
    FillRect(DC, &bottom, shadow);
    // Cells after the first one of a row start with a short line, cells before the last one end
    // with one: neighbouring cells look separated, not boxed.
    const bool first = EdgeKind == ekFirst;
    const TRect left(R.Left, first ? R.Top + 1 : R.Top + 2, R.Left + 1, first ? R.Bottom - 1 : R.Bottom - 2);
    FillRect(DC, &left, light);
    const bool shortRight = EdgeKind == ekFirst || EdgeKind == ekMiddle;
    const TRect right(R.Right - 1, shortRight ? R.Top + 2 : R.Top, R.Right, shortRight ? R.Bottom - 2 : R.Bottom);
    FillRect(DC, &right, shadow);
    InflateRect(&R, -2, -1);
}

void DrawCornerCell(HDC DC, const TRect& R, HBRUSH Brush, bool Pressed, bool Flat) {
    TRect r = R;
    DrawHeaderFrame(DC, r, Brush, ekOnly, Pressed, Flat);
    if (Flat && Pressed) InvertRect(DC, &R);
}

UINT AlignmentFormat(TAlignment Alignment) {
    return Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
}

void DrawHeaderCell(HDC DC, const TRect& R, HBRUSH Brush, const TgxHeaderCellContent& Content) {
    TRect r = R;
    DrawHeaderFrame(DC, r, Brush, Content.EdgeKind, Content.Pressed, Content.Flat);
    if (Content.Pressed && !Content.Flat) {
        r.Left += 2;
        r.Top += 2;
    } else {
        InflateRect(&r, -1, -1);
        ++r.Bottom;
    }
    --r.Bottom;
    if (Content.Sorted != csNone && r.Width() > 15) {
        const TRect arrow(r.Right - 16, r.Top, r.Right, r.Bottom);
        DrawSortArrow(DC, arrow, Content.Sorted);
        r.Right -= 16;
    }
    if (Content.Glyph && !Content.Glyph->GetEmpty()) {
        const Integer h = Content.Glyph->GetHeight();
        const TRect place(r.Left, r.Top + std::max((r.Height() - h) / 2, 0), r.Right, r.Bottom);
        DrawBitmapOnBrush(DC, place, Content.Glyph, Brush);
        r.Left += Content.Glyph->GetWidth() + 2;
    }
    if (r.Right <= r.Left || Content.Text.empty()) return;
    const int mode = SetBkMode(DC, TRANSPARENT);
    UINT format = Content.MultiLine ? DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX
                                    : DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_EXPANDTABS | DT_NOPREFIX;
    format |= AlignmentFormat(Content.Alignment);
    TRect text(r.Left + 1, r.Top, r.Right - 1, r.Bottom);
    DrawText(DC, Content.Text, &text, format);
    SetBkMode(DC, mode);
}

void DrawHeaderCellBuffered(HDC DC, TBitmap* Buffer, const TRect& R, const TRect& Clip, HBRUSH Brush, TFont* Font,
                            TColor TextColor, const TgxHeaderCellContent& Content) {
    if (R.Width() <= 0 || R.Height() <= 0) return;
    EnsureBitmapSize(Buffer, R.Width(), R.Height());
    TCanvas* canvas = Buffer->GetCanvas();
    canvas->GetFont()->Assign(Font);
    canvas->GetFont()->SetColor(TextColor);
    HDC buffer = canvas->GetHandle();
    TgxHeaderCellContent content = Content;
    const bool invert = Content.Pressed && Content.Flat;
    content.Pressed = Content.Pressed && !Content.Flat;
    DrawHeaderCell(buffer, TRect(0, 0, R.Width(), R.Height()), Brush, content);
    if (invert) {
        const TRect all(0, 0, R.Width(), R.Height());
        InvertRect(buffer, &all);
    }
    const TRect c(std::max(Clip.Left, R.Left), std::max(Clip.Top, R.Top), std::min(Clip.Right, R.Right),
                  std::min(Clip.Bottom, R.Bottom));
    if (c.Right > c.Left && c.Bottom > c.Top)
        BitBlt(DC, c.Left, c.Top, c.Width(), c.Height(), buffer, c.Left - R.Left, c.Top - R.Top, SRCCOPY);
}

void DrawIndicatorCell(HDC DC, TBitmap* Buffer, const TRect& R, const TRect& Clip, HBRUSH Brush, Integer Index,
                       bool Flat) {
    if (R.Width() <= 0 || R.Height() <= 0) return;
    EnsureBitmapSize(Buffer, R.Width(), R.Height());
    TCanvas* canvas = Buffer->GetCanvas();
    HDC buffer = canvas->GetHandle();
    TRect r(0, 0, R.Width(), R.Height());
    DrawHeaderFrame(buffer, r, Brush, ekOnly, false, Flat);
    TCustomImageList* images = TreeListIndicatorImages();
    if (Index > 0 && images && Index <= images->GetCount())
        images->Draw(canvas, (R.Width() - images->GetWidth()) / 2, (R.Height() - images->GetHeight()) / 2, Index - 1);
    const TRect c(std::max(Clip.Left, R.Left), std::max(Clip.Top, R.Top), std::min(Clip.Right, R.Right),
                  std::min(Clip.Bottom, R.Bottom));
    if (c.Right > c.Left && c.Bottom > c.Top)
        BitBlt(DC, c.Left, c.Top, c.Width(), c.Height(), canvas->GetHandle(), c.Left - R.Left, c.Top - R.Top,
               SRCCOPY);
}

void DrawFocusRectangle(HDC DC, const TRect& R) {
    const COLORREF back = SetBkColor(DC, RGB(0, 0, 0));
    const COLORREF text = SetTextColor(DC, RGB(255, 255, 255));
    DrawFocusRect(DC, &R);
    SetBkColor(DC, back);
    SetTextColor(DC, text);
}

void InvertFrame(HDC DC, const TRect& R) {
    if (R.Width() <= 0 || R.Height() <= 0) return;
    const TRect sides[4] = {TRect(R.Left, R.Top, R.Right, R.Top + 1), TRect(R.Left, R.Bottom - 1, R.Right, R.Bottom),
                            TRect(R.Left, R.Top + 1, R.Left + 1, R.Bottom - 1),
                            TRect(R.Right - 1, R.Top + 1, R.Right, R.Bottom - 1)};
    for (const TRect& side : sides)
        if (side.Width() > 0 && side.Height() > 0) InvertRect(DC, &side);
}

void DrawDropArrows(TCanvas* Canvas, const TRect& R, TColor Color) {
    Canvas->GetPen()->SetColor(clBlack);
    Canvas->GetPen()->SetMode(pmCopy);
    Canvas->GetBrush()->SetColor(Color);
    Canvas->GetBrush()->SetStyle(bsSolid);
    const Integer x = R.Left;
    const Integer top = R.Top;
    const Integer bottom = R.Bottom - 1;
    // Shaft 4 pixels wide from the edge, head 11 pixels wide.
    Canvas->Polygon({TPoint(x + 3, top), TPoint(x + 7, top), TPoint(x + 7, top + 3), TPoint(x + 10, top + 3),
                     TPoint(x + 5, top + 8), TPoint(x, top + 3), TPoint(x + 3, top + 3)});
    Canvas->Polygon({TPoint(x + 3, bottom), TPoint(x + 7, bottom), TPoint(x + 7, bottom - 4),
                     TPoint(x + 10, bottom - 4), TPoint(x + 5, bottom - 9), TPoint(x, bottom - 4),
                     TPoint(x + 3, bottom - 4)});
}
