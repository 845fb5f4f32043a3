#include "framework/control_paint.h"

#include <map>
#include <memory>
#include <utility>

#include "framework/menus.h"
#include "framework/windows_gdi.h"

namespace lumora_paint {

TCanvas* MeasureCanvas(TFont* Font) {
    static TBitmap* bitmap = [] {
        auto* b = new TBitmap;
        b->SetPixelFormat(pf24bit);
        b->SetSize(1, 1);
        return b;
    }();
    TCanvas* c = bitmap->GetCanvas();
    if (Font) c->SetFont(Font);
    return c;
}

UINT AlignmentFlags(TAlignment Alignment) {
    switch (Alignment) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
    }
}

TBitmap* PatternBitmap(TColor Color1, TColor Color2) {
    static std::map<std::pair<TColor, TColor>, std::unique_ptr<TBitmap>> cache;
    auto& slot = cache[{Color1, Color2}];
    if (!slot) {
        slot = std::make_unique<TBitmap>();
        slot->SetPixelFormat(pf24bit);
        slot->SetSize(8, 8);
        for (Integer y = 0; y < 8; ++y)
            for (Integer x = 0; x < 8; ++x) slot->GetCanvas()->SetPixels(x, y, ((x + y) & 1) ? Color2 : Color1);
    }
    return slot.get();
}

void KindGlyph(int Kind, TBitmap* Glyph) {
    if (Kind <= 0) {
        Glyph->Assign(nullptr);
        return;
    }
    Glyph->SetPixelFormat(pf24bit);
    Glyph->SetSize(18, 18);
    TCanvas* c = Glyph->GetCanvas();
    c->GetBrush()->SetColor(clOlive);
    c->GetBrush()->SetStyle(bsSolid);
    c->FillRect({0, 0, 18, 18});
    c->GetPen()->SetWidth(3);
    auto check = [&](Integer dx, TColor colour) {
        c->GetPen()->SetColor(colour);
        c->Polyline({{3 + dx, 9}, {7 + dx, 13}, {15 + dx, 4}});
    };
    auto cross = [&](TColor colour) {
        c->GetPen()->SetColor(colour);
        c->MoveTo(4, 4);
        c->LineTo(14, 14);
        c->MoveTo(14, 4);
        c->LineTo(4, 14);
    };
    auto letter = [&](const char* text, TColor colour) {
        c->GetFont()->SetName("Arial");
        c->GetFont()->SetHeight(-15);
        c->GetFont()->SetStyle({fsBold});
        c->GetFont()->SetColor(colour);
        c->GetBrush()->SetStyle(bsClear);
        TRect r{0, 0, 18, 18};
        DrawText(c->GetHandle(), text, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    };
    switch (Kind) {
    case 1:  // OK
    case 4:  // Yes
        check(0, clGreen);
        break;
    case 2:  // Cancel
    case 7:  // Abort
        cross(clRed);
        break;
    case 3: letter("?", clNavy); break;
    case 5:  // No
        c->GetPen()->SetColor(clRed);
        c->GetPen()->SetWidth(2);
        c->GetBrush()->SetStyle(bsClear);
        c->Ellipse(2, 2, 16, 16);
        c->MoveTo(5, 13);
        c->LineTo(13, 5);
        break;
    case 6:  // Close: a door
        c->GetPen()->SetWidth(1);
        c->GetPen()->SetColor(clBlack);
        c->GetBrush()->SetColor(clTeal);
        c->Rectangle(5, 2, 14, 17);
        c->GetBrush()->SetColor(clYellow);
        c->FillRect({11, 9, 13, 11});
        break;
    case 8:  // Retry: a turning arrow
        c->GetPen()->SetWidth(2);
        c->GetPen()->SetColor(clGreen);
        c->Arc(3, 3, 15, 15, 15, 9, 9, 3);
        c->GetPen()->SetWidth(1);
        c->GetBrush()->SetColor(clGreen);
        c->Polygon({{9, 0}, {9, 6}, {5, 3}});
        break;
    case 9: letter("!", clNavy); break;  // Ignore
    case 10:  // All
        c->GetPen()->SetWidth(2);
        check(-2, clGreen);
        check(2, clGreen);
        break;
    default: Glyph->Assign(nullptr); break;
    }
}

void DrawArrow(TCanvas* Canvas, const TRect& R, UINT Direction, bool Enabled) {
    Integer cx = (R.Left + R.Right) / 2, cy = (R.Top + R.Bottom) / 2;
    Integer size = std::max(2, std::min(R.Width(), R.Height()) / 4);
    auto draw = [&](Integer dx, TColor colour) {
        Canvas->GetPen()->SetColor(colour);
        Canvas->GetPen()->SetWidth(1);
        Canvas->GetPen()->SetStyle(psSolid);
        Canvas->GetBrush()->SetColor(colour);
        Canvas->GetBrush()->SetStyle(bsSolid);
        Integer x = cx + dx, y = cy + dx;
        switch (Direction) {
            case DFCS_SCROLLUP:
                Canvas->Polygon({{x - size, y + size / 2}, {x + size, y + size / 2}, {x, y - size / 2 - 1}});
                break;
            case DFCS_SCROLLDOWN:
                Canvas->Polygon({{x - size, y - size / 2}, {x + size, y - size / 2}, {x, y + size / 2 + 1}});
                break;
            case DFCS_SCROLLLEFT:
                Canvas->Polygon({{x + size / 2, y - size}, {x + size / 2, y + size}, {x - size / 2 - 1, y}});
                break;
            default:
                Canvas->Polygon({{x - size / 2, y - size}, {x - size / 2, y + size}, {x + size / 2 + 1, y}});
                break;
        }
    };
    if (!Enabled) draw(1, clBtnHighlight);
    draw(0, Enabled ? clBtnText : clBtnShadow);
}

void AddBorderStyle(TCreateParams& Params, TBorderStyle Style, bool Ctl3D) {
    if (Style != bsSingle) return;
    if (Ctl3D)
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
        Params.Style |= WS_BORDER;
}

void FillSolid(TCanvas* c, const TRect& r, TColor colour) {
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(colour);
    c->FillRect(r);
}

void Line(TCanvas* c, TColor colour, Integer x1, Integer y1, Integer x2, Integer y2) {
    c->GetPen()->SetStyle(psSolid);
    c->GetPen()->SetWidth(1);
    c->GetPen()->SetColor(colour);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
}

bool FocusByAccelerator(TWinControl* Target, bool Enabled, bool ShowAccelChar, Word Key, const std::string& Caption) {
    if (!Target || !Enabled || !ShowAccelChar || !IsAccel(Key, Caption) || !Target->CanFocus()) return false;
    Target->SetFocus();
    return true;
}

void SetLinkedControl(TComponent* Self, TWinControl*& Field, TWinControl* Value) {
    if (Field == Value) return;
    if (Field) Field->RemoveFreeNotification(Self);
    Field = Value;
    if (Value) Value->FreeNotification(Self);
}

TClipScope::TClipScope(TCanvas* Canvas, const TRect& R) : FCanvas(Canvas) {
    HDC dc = Canvas->GetHandle();
    FSaved = SaveDC(dc);
    IntersectClipRect(dc, R.Left, R.Top, R.Right, R.Bottom);
}

TClipScope::~TClipScope() {
    RestoreDC(FCanvas->GetHandle(), FSaved);
}

}  // namespace lumora_paint
