#include "app/status_art.h"

#include <vector>

#include "framework/graphics.h"
#include "framework/image_list.h"

namespace {

constexpr TColor Mask = TColor(0x00FF00FF);
constexpr TColor Ink = TColor(0x00202020);
constexpr TColor Blue = TColor(0x00C06000);
constexpr TColor Red = TColor(0x002020C0);

// An arrow from (X1, Y1) to the tip (X2, Y2) along one axis or a diagonal, with a two-pixel head.
void Arrow(TCanvas* C, Integer X1, Integer Y1, Integer X2, Integer Y2) {
    C->MoveTo(X1, Y1);
    C->LineTo(X2, Y2);
    const Integer dx = X2 > X1 ? -1 : X2 < X1 ? 1 : 0;
    const Integer dy = Y2 > Y1 ? -1 : Y2 < Y1 ? 1 : 0;
    // The two barbs point back from the tip, each turned from the shaft.
    C->MoveTo(X2, Y2);
    C->LineTo(X2 + 3 * (dx != 0 ? dx : 1), Y2 + 3 * (dx != 0 ? 0 : dy));
    C->MoveTo(X2, Y2);
    C->LineTo(X2 + 3 * (dy != 0 ? 0 : dx), Y2 + 3 * (dy != 0 ? dy : 1));
}

void Frame(TCanvas* C, TColor Colour) {
    C->GetBrush()->SetStyle(bsClear);
    C->GetPen()->SetColor(Colour);
    C->Rectangle(1, 1, 15, 15);
}

void Pencil(TCanvas* C) {
    C->GetPen()->SetColor(Red);
    for (int i = 0; i < 2; ++i) {
        C->MoveTo(8 + i, 14);
        C->LineTo(15 + i, 7);
    }
    C->GetPen()->SetColor(Ink);
    C->MoveTo(7, 15);
    C->LineTo(9, 13);
}

}  // namespace

void AddZoomStatusImages(TCustomImageList* List) {
    List->SetWidth(16);
    List->SetHeight(16);
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetWidth(16);
    strip.SetHeight(16);
    TCanvas* c = strip.GetCanvas();
    for (int index = 0; index < 6; ++index) {
        c->GetBrush()->SetStyle(bsSolid);
        c->GetBrush()->SetColor(Mask);
        c->FillRect(TRect{0, 0, 16, 16});
        c->GetPen()->SetWidth(1);
        switch (index) {
            case 0:  // shrink: arrows from the corners inwards
                Frame(c, Ink);
                c->GetPen()->SetColor(Blue);
                Arrow(c, 2, 2, 6, 6);
                Arrow(c, 13, 13, 9, 9);
                break;
            case 1:  // stretch: arrows from the middle outwards
                Frame(c, Ink);
                c->GetPen()->SetColor(Blue);
                Arrow(c, 6, 6, 3, 3);
                Arrow(c, 9, 9, 12, 12);
                break;
            case 2:  // both: a double arrow across
                Frame(c, Ink);
                c->GetPen()->SetColor(Blue);
                Arrow(c, 8, 8, 3, 3);
                Arrow(c, 7, 7, 12, 12);
                break;
            case 3:  // wrapped text: lines with a return arrow
                c->GetPen()->SetColor(Ink);
                for (int y : {3, 7, 11}) {
                    c->MoveTo(2, y);
                    c->LineTo(y == 11 ? 9 : 14, y);
                }
                c->GetPen()->SetColor(Blue);
                c->MoveTo(13, 7);
                c->LineTo(13, 11);
                Arrow(c, 13, 11, 10, 11);
                break;
            case 4:  // a changed picture: a framed landscape and a pencil
                Frame(c, Ink);
                c->GetBrush()->SetStyle(bsSolid);
                c->GetBrush()->SetColor(TColor(0x0000A000));
                c->GetPen()->SetColor(TColor(0x0000A000));
                c->Polygon(std::vector<TPoint>{{2, 13}, {6, 7}, {10, 13}});
                Pencil(c);
                break;
            default:  // a changed page: a sheet with lines and a pencil
                c->GetPen()->SetColor(Ink);
                c->Rectangle(3, 1, 13, 15);
                for (int y : {4, 7, 10}) {
                    c->MoveTo(5, y);
                    c->LineTo(11, y);
                }
                Pencil(c);
                break;
        }
        List->AddMasked(&strip, Mask);
    }
}
