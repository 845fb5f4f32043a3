#include "framework/std_controls.h"

#include <algorithm>
#include <cmath>

// ---- TImage ----------------------------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture) {
    SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});
    FPicture->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() {
    FPicture->OnChange = nullptr;
    delete FPicture;
}

void TImage::SetPicture(TPicture* Value) { FPicture->Assign(Value); }

TCanvas* TImage::GetCanvas() {
    if (!FPicture->GetGraphic()) {
        TBitmap b;
        b.SetWidth(GetWidth());
        b.SetHeight(GetHeight());
        FPicture->SetGraphic(&b);
    }
    if (auto* bmp = dynamic_cast<TBitmap*>(FPicture->GetGraphic())) return bmp->GetCanvas();
    throw EInvalidOperation("Can only modify an image if it contains a bitmap");
}

TRect TImage::DestRect() {
    Integer w = FPicture->GetWidth(), h = FPicture->GetHeight();
    Integer cw = GetClientWidth(), ch = GetClientHeight();
    if (FStretch || (FProportional && (w > cw || h > ch))) {
        if (FProportional && w > 0 && h > 0) {
            double aspect = double(w) / double(h);
            if (w > h) {
                w = cw;
                h = Integer(std::trunc(cw / aspect));
                if (h > ch) {
                    h = ch;
                    w = Integer(std::trunc(ch * aspect));
                }
            } else {
                h = ch;
                w = Integer(std::trunc(ch * aspect));
                if (w > cw) {
                    w = cw;
                    h = Integer(std::trunc(cw / aspect));
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r{0, 0, w, h};
    if (FCenter) OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
    return r;
}

void TImage::Paint() {
    bool save = FDrawing;
    FDrawing = true;
    try {
        if (TGraphic* g = FPicture->GetGraphic()) TGraphicControl::GetCanvas()->StretchDraw(DestRect(), g);
    } catch (...) {
        FDrawing = save;
        throw;
    }
    FDrawing = save;
}

bool TImage::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
    if (FPicture->GetWidth() <= 0 || FPicture->GetHeight() <= 0) return false;
    NewWidth = FPicture->GetWidth();
    NewHeight = FPicture->GetHeight();
    return true;
}

void TImage::PictureChanged(TObject* /*Sender*/) {
    if (GetAutoSize() && FPicture->GetWidth() > 0 && FPicture->GetHeight() > 0)
        SetBounds(GetLeft(), GetTop(), FPicture->GetWidth(), FPicture->GetHeight());
    TGraphic* g = FPicture->GetGraphic();
    TControlStyle s = GetControlStyle();
    if (g) {
        if (!dynamic_cast<TMetafile*>(g) && !dynamic_cast<TIcon*>(g)) g->SetTransparent(FTransparent);
        TRect d = DestRect();
        if (!g->GetTransparent() && d.Left <= 0 && d.Top <= 0 && d.Right >= GetWidth() && d.Bottom >= GetHeight())
            s.Include(csOpaque);
        else
            s.Exclude(csOpaque);
    } else {
        s.Exclude(csOpaque);
    }
    SetControlStyle(s);
    if (!FDrawing) Invalidate();
}

void TImage::SetCenter(bool Value) {
    if (FCenter == Value) return;
    FCenter = Value;
    PictureChanged(this);
}

void TImage::SetStretch(bool Value) {
    if (FStretch == Value) return;
    FStretch = Value;
    PictureChanged(this);
}

void TImage::SetProportional(bool Value) {
    if (FProportional == Value) return;
    FProportional = Value;
    PictureChanged(this);
}

void TImage::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    PictureChanged(this);
}
