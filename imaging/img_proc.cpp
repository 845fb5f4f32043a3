#include "imaging/img_proc.h"

#include <algorithm>
#include <memory>

#include "framework/math_utils.h"
#include "framework/std_controls.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_lists.h"
#include "imaging/img_proc_internal.h"
#include "imaging/img_view.h"
#include "imaging/quantizer.h"

// ---- Kernels ---------------------------------------------------------------------------------

using img_kernel::ClipRect;
using img_kernel::ForRows24;

void GrayscaleRect(TBitmap* Bitmap, Integer x1, Integer y1, Integer x2, Integer y2,
                   const TImgProgressTarget& Progress) {
    ForRows24(Bitmap, x1, y1, x2, y2, Progress, [](TImgRGB* p, Integer n) {
        for (Integer i = 0; i < n; ++i) {
            const Byte g = Byte(ImgRGBGrayLevel(p[i]));
            p[i] = TImgRGB{g, g, g};
        }
    });
}

void NegativeRect(TBitmap* Bitmap, Integer x1, Integer y1, Integer x2, Integer y2, const TImgProgressTarget& Progress) {
    if (Bitmap && Bitmap->GetPixelFormat() == pf1bit) {
        if (!ClipRect(Bitmap, x1, y1, x2, y2)) return;
        for (Integer y = y1; y <= y2; ++y) {
            Byte* row = static_cast<Byte*>(Bitmap->ScanLine(y));
            for (Integer x = x1; x <= x2; ++x) row[x >> 3] ^= Byte(0x80u >> (x & 7));
        }
        return;
    }
    ForRows24(Bitmap, x1, y1, x2, y2, Progress, [](TImgRGB* p, Integer n) {
        Byte* b = reinterpret_cast<Byte*>(p);
        for (Integer i = 0; i < n * 3; ++i) b[i] = Byte(255 - b[i]);
    });
}

Integer CountRectColors(TBitmap* Bitmap, Integer x1, Integer y1, Integer x2, Integer y2) {
    if (!Bitmap || Bitmap->GetPixelFormat() != pf24bit) return 0;
    THash1 colours(13);
    ForRows24(Bitmap, x1, y1, x2, y2, {}, [&](TImgRGB* p, Integer n) {
        for (Integer i = 0; i < n; ++i) colours.Insert(ImgPackRGB(p[i]));
    });
    return colours.GetCount();
}

// ---- The preview dialog's seam ---------------------------------------------------------------

namespace {
TImgPreviewsRunner& PreviewsRunner() {
    static TImgPreviewsRunner runner;
    return runner;
}
}  // namespace

void SetImgPreviewsRunner(TImgPreviewsRunner Runner) { PreviewsRunner() = std::move(Runner); }

// ---- TImagoProc: life and attachment ---------------------------------------------------------

TImagoProc::TImagoProc(TComponent* AOwner) : TComponent(AOwner) {
    FPreviewFont = new TFont();
    FUndo = new TBitmap();
}

TImagoProc::~TImagoProc() {
    StopListening();
    delete FUndo;
    delete FPreviewFont;
}

void TImagoProc::StopListening() {
    if (FAttachedImago) FAttachedImago->RemoveBitmapChangeListener(this);
}

void TImagoProc::SetAttachedImago(TImgView* Value) {
    StopListening();
    const bool hadView = FAttachedImago != nullptr;
    FAttachedImago = Value;
    if (Value) {
        FBitmap = Value->GetBitmap();
        Value->FreeNotification(this);
        FAttachedTImage = nullptr;
        Value->AddBitmapChangeListener(this, [this](TObject* Sender) { ViewBitmapChanged(Sender); });
    } else if (hadView) {
        // The bitmap was the view's.
        FBitmap = nullptr;
    }
}

void TImagoProc::SetAttachedTImage(TImage* Value) {
    StopListening();
    const bool hadImage = FAttachedTImage != nullptr;
    FAttachedTImage = Value;
    if (Value) {
        FBitmap = Value->GetPicture()->GetBitmap();
        Value->FreeNotification(this);
        FAttachedImago = nullptr;
    } else if (hadImage || FAttachedImago) {
        // The bitmap was the picture's, or a view's that is no longer followed.
        FBitmap = nullptr;
    }
}

void TImagoProc::SyncImage() {
    if (FAttachedTImage) FBitmap = dynamic_cast<TBitmap*>(FAttachedTImage->GetPicture()->GetGraphic());
}

void TImagoProc::SetAttachedBitmap(TBitmap* Bitmap) {
    StopListening();
    FBitmap = Bitmap;
    if (Bitmap) {
        FAttachedImago = nullptr;
        FAttachedTImage = nullptr;
    }
}

void TImagoProc::ViewBitmapChanged(TObject* Sender) {
    if (FAttachedImago) FBitmap = FAttachedImago->GetBitmap();
}

void TImagoProc::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    if (AComponent == FAttachedImago) {
        StopListening();
        FAttachedImago = nullptr;
        FBitmap = nullptr;
    } else if (AComponent == FAttachedTImage) {
        FAttachedTImage = nullptr;
        FBitmap = nullptr;
    }
}

TColor TImagoProc::GetBackground() const { return FAttachedImago ? FAttachedImago->GetBackground() : FBackground; }

void TImagoProc::SetBackground(TColor Value) {
    if (FAttachedImago)
        FAttachedImago->SetBackground(Value);
    else
        FBackground = Value;
}

void TImagoProc::SetPreviewFont(TFont* Value) { FPreviewFont->Assign(Value); }

bool TImagoProc::GetSelection(Integer& x1, Integer& y1, Integer& x2, Integer& y2, const TPoint*& Points,
                              Integer& Count) {
    SyncImage();
    Count = 0;
    Points = nullptr;
    if (auto* view = dynamic_cast<TImagoView*>(FAttachedImago); view && view->GetSelected()) {
        x1 = view->GetSelX1();
        y1 = view->GetSelY1();
        x2 = view->GetSelX2();
        y2 = view->GetSelY2();
        Points = view->GetSelectionPoints();
        Count = view->GetSelectionPointCount();
        return true;
    }
    x1 = y1 = 0;
    x2 = FBitmap ? FBitmap->GetWidth() - 1 : -1;
    y2 = FBitmap ? FBitmap->GetHeight() - 1 : -1;
    return false;
}

void TImagoProc::UpdateTarget() {
    SyncImage();
    if (FAttachedImago) {
        FAttachedImago->Update();
        FAttachedImago->ImageChange();
    } else if (FBitmap) {
        FBitmap->SetModified(true);
    }
}

// ---- Undo ------------------------------------------------------------------------------------

void TImagoProc::SaveUndo() {
    SyncImage();
    if (!FBitmap) return;
    ClearUndo();
    if (FBitmap->GetWidth() >= 1 && FBitmap->GetHeight() >= 1) CopyBitmap(FBitmap, FUndo);
}

void TImagoProc::Undo() {
    SyncImage();
    if (!FBitmap || !CanUndo()) return;
    CopyBitmap(FUndo, FBitmap);
    UpdateTarget();
}

void TImagoProc::ClearUndo() { FUndo->SetSize(1, 1); }

bool TImagoProc::CanUndo() const { return FUndo->GetWidth() >= 2 && FUndo->GetHeight() >= 2; }

// ---- Preview dialog --------------------------------------------------------------------------

bool TImagoProc::ShowPreviews(Word Pages) {
    SyncImage();
    if (!FBitmap || FBitmap->GetPixelFormat() != pf24bit || FBitmap->GetWidth() < 2 || FBitmap->GetHeight() < 2)
        return false;
    Integer x1, y1, x2, y2, count;
    const TPoint* points;
    GetSelection(x1, y1, x2, y2, points, count);
    const TImgPreviewsRunner runner = PreviewsRunner();
    if (!runner) return false;
    std::unique_ptr<TBitmap> image(new TBitmap());
    CopyRegion(FBitmap, image.get(), x1, y1, x2, y2);
    if (!runner(this, image.get(), Pages)) return false;
    // The dialog may have changed the selection: read it again.
    GetSelection(x1, y1, x2, y2, points, count);
    if (FAutoUndo) SaveUndo();
    const bool whole = x1 <= 0 && y1 <= 0 && x2 >= FBitmap->GetWidth() - 1 && y2 >= FBitmap->GetHeight() - 1;
    if (count < 1 || whole) {
        FBitmap->SetSize(image->GetWidth(), image->GetHeight());
        FBitmap->GetCanvas()->Draw(x1, y1, image.get());
    } else {
        DrawThroughPolygon(FBitmap, image.get(), x1, y1, points, count);
    }
    UpdateTarget();
    return true;
}

// ---- Simple conversions ----------------------------------------------------------------------

void TImagoProc::ApplyToSelection(const std::function<void(TBitmap*, Integer, Integer, Integer, Integer)>& Kernel) {
    if (FAutoUndo) SaveUndo();
    Integer x1, y1, x2, y2, count;
    const TPoint* points;
    GetSelection(x1, y1, x2, y2, points, count);
    if (count < 1 || ImgIsRectangle(points, count)) {
        Kernel(FBitmap, x1, y1, x2, y2);
    } else {
        std::unique_ptr<TBitmap> part(new TBitmap());
        CopyRegion(FBitmap, part.get(), x1, y1, x2, y2);
        Kernel(part.get(), 0, 0, part->GetWidth() - 1, part->GetHeight() - 1);
        DrawThroughPolygon(FBitmap, part.get(), x1, y1, points, count);
    }
    UpdateTarget();
}

void TImagoProc::ConvertToGrayscale() {
    SyncImage();
    if (!FBitmap || FBitmap->GetPixelFormat() != pf24bit) return;
    ApplyToSelection([this](TBitmap* b, Integer x1, Integer y1, Integer x2, Integer y2) {
        GrayscaleRect(b, x1, y1, x2, y2, Progress());
    });
}

void TImagoProc::Negative() {
    SyncImage();
    if (!FBitmap) return;
    const TPixelFormat f = FBitmap->GetPixelFormat();
    if (f != pf24bit && f != pf1bit) return;
    ApplyToSelection([this](TBitmap* b, Integer x1, Integer y1, Integer x2, Integer y2) {
        NegativeRect(b, x1, y1, x2, y2, Progress());
    });
}

void TImagoProc::ConvertToBlackWhite() {
    SyncImage();
    if (!FBitmap || FBitmap->GetPixelFormat() != pf24bit) return;
    if (FAutoUndo) SaveUndo();
    DitherTo1BitOrdered(FBitmap, Progress());
    UpdateTarget();
}

void TImagoProc::ConvertTo24Bit() {
    SyncImage();
    if (!FBitmap || FBitmap->GetPixelFormat() != pf1bit) return;
    if (FAutoUndo) SaveUndo();
    Expand1BitTo24Bit(FBitmap, FBitmap, Progress());
    UpdateTarget();
}

Integer TImagoProc::CountColors() {
    SyncImage();
    if (!FBitmap) return 0;
    const TPixelFormat f = FBitmap->GetPixelFormat();
    if (f == pf1bit) return 2;
    if (f != pf24bit) return 0;
    Integer x1, y1, x2, y2, count;
    const TPoint* points;
    GetSelection(x1, y1, x2, y2, points, count);
    return CountRectColors(FBitmap, x1, y1, x2, y2);
}

void TImagoProc::ReduceTo(Integer N, TImgRGB* Palette) {
    SyncImage();
    if (!FBitmap || FBitmap->GetPixelFormat() != pf24bit) return;
    if (FAutoUndo) SaveUndo();
    if (N > 2) {
        QuantizeBitmap(FBitmap, N, Palette, Progress());
    } else {
        DitherTo1BitOrdered(FBitmap, Progress());
        if (Palette) {
            Palette[0] = ImgRGB(0, 0, 0);
            Palette[1] = ImgRGB(255, 255, 255);
        }
    }
    UpdateTarget();
}

void TImagoProc::ReduceColors(Integer N) { ReduceTo(N, nullptr); }

void TImagoProc::ReduceColorsGetPalette(Integer N, TImgRGB* Palette) { ReduceTo(N, Palette); }
