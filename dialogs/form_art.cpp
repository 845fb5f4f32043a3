#include "dialogs/form_art.h"

#include "framework/graphics.h"

void DrawInformationPicture(TBitmap* Bitmap) {
    Bitmap->SetPixelFormat(pf24bit);
    Bitmap->SetWidth(32);
    Bitmap->SetHeight(32);
    TCanvas* c = Bitmap->GetCanvas();
    c->GetBrush()->SetColor(clBtnFace);
    c->FillRect(TRect{0, 0, 32, 32});
    c->GetPen()->SetColor(TColor(0x00800000));
    c->GetBrush()->SetColor(TColor(0x00D07020));
    c->Ellipse(1, 1, 31, 31);
    c->GetPen()->SetColor(clWhite);
    c->GetBrush()->SetColor(clWhite);
    c->Ellipse(13, 6, 19, 12);
    c->FillRect(TRect{13, 14, 19, 26});
    c->FillRect(TRect{11, 14, 13, 16});
    c->FillRect(TRect{11, 24, 21, 26});
}
