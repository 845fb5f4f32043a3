// TImagoProc and the clipboard (device-independent bitmaps in the CF_DIB format), and blending a
// second bitmap over the picture.

#include <memory>

#include "framework/clipboard.h"
#include "framework/exceptions.h"
#include "imaging/bitmap_routines.h"
#include "imaging/dib.h"
#include "imaging/img_proc.h"
#include "imaging/img_proc_internal.h"

// ---- Merging ---------------------------------------------------------------------------------

void MergeBitmaps(TBitmap* Bitmap, TBitmap* Other, Integer Percent, Integer x1, Integer y1, Integer x2, Integer y2,
                  const TImgProgressTarget& Progress) {
    if (!img_kernel::Is24(Bitmap) || !Other) return;
    const Integer top = y1;
    if (!img_kernel::ClipRect(Bitmap, x1, y1, x2, y2)) return;
    const Integer w = x2 - x1 + 1, h = y2 - y1 + 1;
    std::unique_ptr<TBitmap> stretched(new TBitmap());
    ImgPrepareBitmap(stretched.get(), pf24bit, w, h);
    stretched->GetCanvas()->StretchDraw(TRect(0, 0, w, h), Other);
    const double mine = Percent / 100.0, theirs = (100 - Percent) / 100.0;
    for (Integer y = y1; y <= y2; ++y) {
        TImgRGB* p = img_kernel::Row24(Bitmap, y) + x1;
        const TImgRGB* o = img_kernel::Row24(stretched.get(), y - y1);
        for (Integer i = 0; i < w; ++i) {
            p[i].r = ImgRoundClampByte(p[i].r * mine + o[i].r * theirs);
            p[i].g = ImgRoundClampByte(p[i].g * mine + o[i].g * theirs);
            p[i].b = ImgRoundClampByte(p[i].b * mine + o[i].b * theirs);
        }
        img_kernel::ReportRow(Progress, y, top, y2);
    }
}

void TImagoProc::MergeBitmap(TBitmap* Bitmap, Integer Percent) {
    SyncImage();
    if (!img_kernel::Is24(FBitmap) || !Bitmap) return;
    ApplyToSelection([&](TBitmap* b, Integer x1, Integer y1, Integer x2, Integer y2) {
        MergeBitmaps(b, Bitmap, Percent, x1, y1, x2, y2, Progress());
    });
}

// ---- The clipboard ---------------------------------------------------------------------------

namespace {

// Places a block on the clipboard as CF_DIB; the clipboard owns it once placed, so it is freed
// here only when placing fails. The clipboard must be open.
void PlaceDIB(HGLOBAL Block) {
    if (!Block) return;
    try {
        Clipboard()->SetAsHandle(CF_DIB, Block);
    } catch (const Exception&) {
        GlobalFree(Block);
    }
}

// Runs Fn between the clipboard's Open and Close; a failing clipboard makes it do nothing.
template <class Fn>
void WithClipboard(Fn fn) {
    TClipboard* board = Clipboard();
    try {
        board->Open();
    } catch (const Exception&) {
        return;
    }
    try {
        fn(board);
    } catch (const Exception&) {
        // A clipboard that cannot be read or written leaves everything as it was.
    }
    try {
        board->Close();
    } catch (const Exception&) {}
}

// The clipboard's image read into a new bitmap; null when there is none or it is refused.
std::unique_ptr<TBitmap> ClipboardImage(TClipboard* Board) {
    if (!Board->HasFormat(CF_DIB)) return nullptr;
    HGLOBAL block = Board->GetAsHandle(CF_DIB);
    if (!block) return nullptr;
    std::unique_ptr<TBitmap> image(new TBitmap());
    const Integer bits = DIBToBitmap(block, image.get());
    GlobalFree(block);
    if (bits == 0) return nullptr;
    return image;
}

}  // namespace

void TImagoProc::CopyToClipboard() {
    SyncImage();
    if (!FBitmap) return;
    WithClipboard([this](TClipboard* board) {
        board->Clear();
        PlaceDIB(BitmapToDIB(FBitmap));
    });
}

void TImagoProc::PasteFromClipboard() {
    SyncImage();
    if (!FBitmap) return;
    WithClipboard([this](TClipboard* board) {
        std::unique_ptr<TBitmap> image = ClipboardImage(board);
        if (!image) return;
        if (FAutoUndo) SaveUndo();
        CopyBitmap(image.get(), FBitmap);
        UpdateTarget();
    });
}

void TImagoProc::PasteIntoSelection() {
    SyncImage();
    if (!FBitmap) return;
    Integer x1, y1, x2, y2, count;
    const TPoint* points;
    if (!GetSelection(x1, y1, x2, y2, points, count)) {
        PasteFromClipboard();
        return;
    }
    WithClipboard([&](TClipboard* board) {
        std::unique_ptr<TBitmap> image = ClipboardImage(board);
        if (!image) return;
        if (FAutoUndo) SaveUndo();
        FBitmap->GetCanvas()->StretchDraw(TRect(x1, y1, x2 + 1, y2 + 1), image.get());
        UpdateTarget();
    });
}

void TImagoProc::CopySelectionToClipboard() {
    SyncImage();
    if (!FBitmap) return;
    Integer x1, y1, x2, y2, count;
    const TPoint* points;
    if (!GetSelection(x1, y1, x2, y2, points, count)) {
        CopyToClipboard();
        return;
    }
    WithClipboard([&](TClipboard* board) {
        board->Clear();
        if (count < 1 || ImgIsRectangle(points, count))
            PlaceDIB(BitmapToDIB(FBitmap, x1, y1, x2, y2));
        else
            PlaceDIB(PolygonToDIB(FBitmap, x1, y1, x2, y2, points, count));
    });
}

void TImagoProc::CutSelectionToClipboard() {
    SyncImage();
    if (!FBitmap) return;
    Integer x1, y1, x2, y2, count;
    const TPoint* points;
    if (!GetSelection(x1, y1, x2, y2, points, count)) return;
    if (FAutoUndo) SaveUndo();
    CopySelectionToClipboard();
    if (count < 1 || ImgIsRectangle(points, count)) {
        TCanvas* canvas = FBitmap->GetCanvas();
        canvas->GetBrush()->SetStyle(bsSolid);
        canvas->GetBrush()->SetColor(GetBackground());
        canvas->FillRect(TRect(x1, y1, x2 + 1, y2 + 1));
    } else {
        FillPolygon(FBitmap, points, count, GetBackground());
    }
    UpdateTarget();
}
