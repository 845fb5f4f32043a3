// Backing images: every framework-painted window keeps its pixels in an image that its canvas
// draws on at any time; painting fills the invalid part, the widget shows the image.

#include "framework/qt/surface_qt.h"

#include <QPainter>

#include "framework/graphics.h"
#include "framework/window_backend.h"
#include "framework/qt/backend_qt.h"
#include "framework/qt/canvas_binding_qt.h"

namespace {

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

TRect ToTRect(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

// A view of part of an image: same pixels, origin at the part's top left.
QImage ViewOf(QImage& Image, const QRect& Part) {
    QRect r = Part.intersected(Image.rect());
    if (r.isEmpty() || Image.isNull()) return QImage();
    uchar* bits = Image.bits() + qsizetype(r.y()) * Image.bytesPerLine() + qsizetype(r.x()) * (Image.depth() / 8);
    return QImage(bits, r.width(), r.height(), Image.bytesPerLine(), Image.format());
}

void Rebind(TPaintSurface* s) {
    // The canvases' device contexts read their image afresh on every call.
    s->ClientView = ViewOf(s->Image, s->Client);
    lumora_qt::BindCanvasToImage(s->ClientCanvas, s->ClientView.isNull() ? nullptr : &s->ClientView);
    lumora_qt::BindCanvasToImage(s->WindowCanvas, s->Image.isNull() ? nullptr : &s->Image);
}

}  // namespace

const QImage& lumora_qt::SurfaceImage(TPaintSurface* Surface) { return Surface->Image; }

void lumora_qt::SurfaceDrawn(TPaintSurface* s) {
    if (s->Painting || s->Showing || !s->Owner) return;
    TWindowBackend::InvalidateWindow(s->Owner, nullptr);
}

TPaintSurface* lumora_backend::NewSurface(TWinControl* Owner) {
    EnsureBackend();
    auto* s = new TPaintSurface;
    s->Owner = Owner;
    s->ClientCanvas = new TCanvas();
    s->WindowCanvas = new TCanvas();
    s->ClientCanvas->OnChange = [s](TObject*) { lumora_qt::SurfaceDrawn(s); };
    s->WindowCanvas->OnChange = [s](TObject*) { lumora_qt::SurfaceDrawn(s); };
    return s;
}

void lumora_backend::FreeSurface(TPaintSurface* Surface) {
    if (!Surface) return;
    lumora_qt::BindCanvasToImage(Surface->ClientCanvas, nullptr);
    lumora_qt::BindCanvasToImage(Surface->WindowCanvas, nullptr);
    delete Surface->ClientCanvas;
    delete Surface->WindowCanvas;
    delete Surface;
}

bool lumora_backend::SurfaceSetGeometry(TPaintSurface* s, Integer Width, Integer Height, const TRect& ClientRect) {
    QRect client = ToQRect(ClientRect);
    bool sized = s->Image.width() != Width || s->Image.height() != Height;
    if (!sized && client == s->Client) return false;
    if (sized) {
        QImage img(std::max(1, Width), std::max(1, Height), QImage::Format_RGB32);
        img.fill(Qt::white);
        // What was drawn stays where it was.
        if (!s->Image.isNull()) {
            QPainter p(&img);
            p.drawImage(0, 0, s->Image);
        }
        s->Image = img;
    }
    s->Client = client;
    Rebind(s);
    // A window whose size changed is painted anew.
    s->Invalid = QRegion(0, 0, client.width(), client.height());
    s->Erase = true;
    s->FrameInvalid = true;
    return true;
}

void lumora_backend::SurfaceInvalidate(TPaintSurface* s, const TRect* R, bool Erase) {
    QRect all(0, 0, s->Client.width(), s->Client.height());
    QRect r = R ? ToQRect(*R).intersected(all) : all;
    if (r.isEmpty()) return;
    s->Invalid += r;
    if (Erase) s->Erase = true;
}

void lumora_backend::SurfaceValidate(TPaintSurface* s, const TRect* R) {
    if (R)
        s->Invalid -= ToQRect(*R);
    else
        s->Invalid = QRegion();
    if (s->Invalid.isEmpty()) s->Erase = false;
}

bool lumora_backend::SurfaceHasInvalid(TPaintSurface* s) { return !s->Invalid.isEmpty() && !s->Painting; }

void lumora_backend::SurfaceInvalidateFrame(TPaintSurface* s) { s->FrameInvalid = true; }

bool lumora_backend::SurfaceFrameInvalid(TPaintSurface* s) {
    bool f = s->FrameInvalid;
    s->FrameInvalid = false;
    return f;
}

bool lumora_backend::SurfaceBeginPaint(TPaintSurface* s, bool& Erase, TRect& Clip) {
    if (s->Invalid.isEmpty() || s->Painting || s->ClientView.isNull()) {
        s->Invalid = QRegion();
        return false;
    }
    QRegion region = s->Invalid;
    Erase = s->Erase;
    s->Invalid = QRegion();
    s->Erase = false;
    s->Painting = true;
    Clip = ToTRect(region.boundingRect());
    s->PaintRegion = region;
    lumora_qt::SetCanvasClip(s->ClientCanvas, &region);
    return true;
}

void lumora_backend::SurfaceEndPaint(TPaintSurface* s) {
    lumora_qt::SetCanvasClip(s->ClientCanvas, nullptr);
    s->PaintRegion = QRegion();
    s->Painting = false;
}

TCanvas* lumora_backend::SurfaceCanvas(TPaintSurface* s) { return s->ClientCanvas; }

void lumora_backend::SurfaceTouched(TPaintSurface* s) { lumora_qt::SurfaceDrawn(s); }

TCanvas* lumora_backend::SurfaceWindowCanvas(TPaintSurface* s) { return s->WindowCanvas; }

void lumora_backend::SurfaceScroll(TPaintSurface* s, Integer DX, Integer DY, const TRect& Scroll, const TRect& Clip) {
    if (s->ClientView.isNull()) return;
    QRect src = ToQRect(Scroll);
    QRect clip = ToQRect(Clip).intersected(QRect(0, 0, s->ClientView.width(), s->ClientView.height()));
    QRect dst = src.translated(DX, DY).intersected(clip);
    if (dst.isEmpty()) return;
    QRect from = dst.translated(-DX, -DY);
    QImage copy = s->ClientView.copy(from);
    QPainter p(&s->ClientView);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(dst.topLeft(), copy);
    // Invalid parts move with the pixels.
    QRegion moved = (s->Invalid & src).translated(DX, DY) & clip;
    s->Invalid = (s->Invalid - dst) + moved;
}

void lumora_backend::SurfaceDrawTo(TPaintSurface* s, TCanvas* Canvas, Integer X, Integer Y) {
    if (!Canvas || s->ClientView.isNull()) return;
    lumora_qt::DrawImageOnCanvas(Canvas, X, Y, s->ClientView);
}

void lumora_qt::PaintSurfaceOn(TPaintSurface* Surface, QPainter& Painter, const QRect& Rect) {
    if (Surface->Image.isNull()) return;
    Painter.drawImage(Rect, Surface->Image, Rect);
}

// ---- Canvases of graphic controls ------------------------------------------------------------

TCanvas* lumora_backend::NewControlCanvas() { return new TCanvas(); }

void lumora_backend::FreeControlCanvas(TCanvas* Canvas) {
    if (!Canvas) return;
    lumora_qt::BindCanvasToImage(Canvas, nullptr);
    delete Canvas;
}

void lumora_backend::BindControlCanvas(TCanvas* Canvas, TPaintSurface* Surface, TPoint Origin, const TRect& Clip) {
    if (!Surface || Surface->ClientView.isNull()) {
        lumora_qt::BindCanvasToImage(Canvas, nullptr);
        Canvas->OnChange = nullptr;
        return;
    }
    lumora_qt::BindCanvasToImage(Canvas, &Surface->ClientView);
    Canvas->OnChange = [Surface](TObject*) { lumora_qt::SurfaceDrawn(Surface); };
    // The control draws at its place on the parent, inside its own bounds (and inside the
    // parent's invalid region while the parent paints).
    QRegion clip(ToQRect(Clip).translated(Origin.X, Origin.Y));
    if (Surface->Painting) clip &= Surface->PaintRegion;
    lumora_qt::SetCanvasOrigin(Canvas, Origin, clip);
}
