#include "imaging/img_view.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "framework/math_utils.h"
#include "imaging/bitmap_routines.h"
#include "imaging/magic_wand.h"

// ---- Selections: point storage ---------------------------------------------------------------

void TImagoView::RepaintNow() {
    if (FUpdateLock > 0) return;
    // Inside a layout the sizes are not settled yet: paint when it is done.
    if (FInUpdate || !HandleAllocated()) {
        Invalidate();
        return;
    }
    Paint();
}

void TImagoView::AddSelectionPointRaw(Integer X, Integer Y) {
    TImgSelectionRecord& s = *FSelection;
    s.Points.push_back(TPoint{X, Y});
    const size_t n = s.Points.size();
    if (n == 2) {
        s.X1 = std::min(s.Points[0].X, X);
        s.X2 = std::max(s.Points[0].X, X);
        s.Y1 = std::min(s.Points[0].Y, Y);
        s.Y2 = std::max(s.Points[0].Y, Y);
    } else if (n > 2) {
        s.X1 = std::min(s.X1, X);
        s.X2 = std::max(s.X2, X);
        s.Y1 = std::min(s.Y1, Y);
        s.Y2 = std::max(s.Y2, Y);
    }
    FSelected = true;
}

void TImagoView::AddSelectionSeparator() {
    std::vector<TPoint>& pts = FSelection->Points;
    if (!pts.empty() && pts.back().X != ImgPolygonSeparator) pts.push_back(TPoint{ImgPolygonSeparator, 0});
}

void TImagoView::ClearSelectionPoints() {
    FSelection->Points.clear();
    RepaintNow();
}

void TImagoView::SetBoundingBoxFromPoints() {
    TImgSelectionRecord& s = *FSelection;
    bool first = true;
    for (const TPoint& p : s.Points) {
        if (p.X == ImgPolygonSeparator) continue;
        if (first) {
            s.X1 = s.X2 = p.X;
            s.Y1 = s.Y2 = p.Y;
            first = false;
        }
        s.X1 = std::min(s.X1, p.X);
        s.X2 = std::max(s.X2, p.X);
        s.Y1 = std::min(s.Y1, p.Y);
        s.Y2 = std::max(s.Y2, p.Y);
    }
}

void TImagoView::RemoveLastPolygon() {
    std::vector<TPoint>& pts = FSelection->Points;
    size_t cut = 0;
    for (size_t i = pts.size(); i-- > 0;)
        if (pts[i].X == ImgPolygonSeparator) {
            cut = i;
            break;
        }
    pts.resize(cut);
    SetBoundingBoxFromPoints();
    RepaintNow();
}

void TImagoView::RemoveLastPoint() {
    std::vector<TPoint>& pts = FSelection->Points;
    if (!pts.empty()) pts.pop_back();
    while (!pts.empty() && pts.back().X == ImgPolygonSeparator) pts.pop_back();
    SetBoundingBoxFromPoints();
}

// ---- Selections: by code ---------------------------------------------------------------------

void TImagoView::ToBitmap(Integer& X, Integer& Y) const {
    if (FSelectionBase != iesbClientArea) return;
    X = XScr2Bmp(X);
    Y = YScr2Bmp(Y);
}

TPoint TImagoView::ClampToBitmap(Integer X, Integer Y) {
    return TPoint{ImgIntLimit(X, 0, FBitmap->GetWidth() - 1), ImgIntLimit(Y, 0, FBitmap->GetHeight() - 1)};
}

TPoint TImagoView::ClampToImage(Integer X, Integer Y) const {
    return TPoint{ImgIntLimit(X, FOffX, FOffX + FExtX - 1), ImgIntLimit(Y, FOffY, FOffY + FExtY - 1)};
}

void TImagoView::SetSelectionOptions(TImgSelectionOptions Value) {
    FSelectionOptions = Value;
    FSelection->Animated = Value.Contains(iesoAnimated);
    FSelection->Sizeable = Value.Contains(iesoSizeable);
}

void TImagoView::AppendRectangle(Integer X1, Integer Y1, Integer X2, Integer Y2) {
    const TPoint a = ClampToBitmap(X1, Y1), b = ClampToBitmap(X2, Y2);
    X1 = a.X;
    Y1 = a.Y;
    X2 = b.X;
    Y2 = b.Y;
    ImgOrderRect(X1, Y1, X2, Y2);
    AddSelectionPointRaw(X1, Y1);
    AddSelectionPointRaw(X2, Y1);
    AddSelectionPointRaw(X2, Y2);
    AddSelectionPointRaw(X1, Y2);
    ShowSelectionOutline();
}

void TImagoView::SetRectanglePoints(Integer X1, Integer Y1, Integer X2, Integer Y2) {
    ClearSelectionPoints();
    AppendRectangle(X1, Y1, X2, Y2);
}

void TImagoView::SelectRectangle(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Op) {
    if (X1 == X2 || Y1 == Y2) return;
    ToBitmap(X1, Y1);
    ToBitmap(X2, Y2);
    FSelected = true;
    if (Op == 1 && !FSelection->Points.empty())
        AddSelectionSeparator();
    else
        ClearSelectionPoints();
    AppendRectangle(X1, Y1, X2, Y2);
}

void TImagoView::AddSelectionPoint(Integer X, Integer Y) {
    ToBitmap(X, Y);
    const TPoint p = ClampToBitmap(X, Y);
    AddSelectionPointRaw(p.X, p.Y);
    RepaintNow();
    ShowSelectionOutline();
}

void TImagoView::MagicWandSelect(Integer X, Integer Y, Integer Op) {
    ToBitmap(X, Y);
    if (X < 0 || Y < 0 || X >= FBitmap->GetWidth() || Y >= FBitmap->GetHeight()) return;
    const std::vector<TPoint> outline = MagicWandRegion(FBitmap, X, Y, FMagicWandTolerance, FMagicWandMaxFilter);
    if (outline.empty()) return;
    FSelected = true;
    if (Op == 1 && !FSelection->Points.empty())
        AddSelectionSeparator();
    else
        ClearSelectionPoints();
    for (const TPoint& p : outline) {
        const TPoint c = ClampToBitmap(p.X, p.Y);
        AddSelectionPointRaw(c.X, c.Y);
    }
    ShowSelectionOutline();
}

void TImagoView::SelectionNewPart() {
    if (!FSelection->Points.empty()) AddSelectionSeparator();
}

void TImagoView::Deselect() {
    const bool repaint = FSelected || !FSelection->Points.empty();
    FSelected = false;
    FSelection->Visible = false;
    FSelection->Points.clear();
    FPolygonDrawing = FRectangleDrawing = FCircleDrawing = false;
    FGrip = FMoving = -1;
    if (repaint) RepaintNow();
}

void TImagoView::ShowSelection(bool Value) {
    if (Value) {
        ShowSelectionOutline();
        return;
    }
    FSelection->Visible = false;
    RepaintNow();
}

void TImagoView::ShowSelectionOutline() {
    FSelection->Visible = true;
    DrawSelectionOutlines(false);
}

void TImagoView::ZoomSelection() {
    const TImgSelectionRecord& s = *FSelection;
    const Integer w = s.X2 - s.X1 + 1, h = s.Y2 - s.Y1 + 1;
    if (!FSelected || s.X1 < 1 || s.Y1 < 1 || w < 2 || h < 2) return;
    const Integer x1 = s.X1, y1 = s.Y1;
    BeginUpdate();
    Deselect();
    SetZoom(Integer(std::min(Trunc(GetHeight() / (h / 100.0)), Trunc(GetWidth() / (w / 100.0)))));
    const double z = FZoom / 100.0;
    SetViewXY(Integer(Trunc(x1 * z)) - (GetClientWidth() - Integer(Trunc(w * z))) / 2,
              Integer(Trunc(y1 * z)) - (GetClientHeight() - Integer(Trunc(h * z))) / 2);
    EndUpdate();
}

void TImagoView::CopySelectionTo(TPersistent* Target) {
    if (!FSelected || !Target) return;
    const TImgSelectionRecord& s = *FSelection;
    const Integer count = Integer(s.Points.size());
    if (auto* view = dynamic_cast<TImagoView*>(Target)) {
        if (view == this) return;
        CopyPolygonRegion(FBitmap, view->FBitmap, s.X1, s.Y1, s.X2, s.Y2, s.Points.data(), count);
        view->FBackground = FBackground;
        view->SetDPI(FDpiX, FDpiY);
        view->Update();
        view->ImageChange();
    } else if (auto* bmp = dynamic_cast<TBitmap*>(Target)) {
        if (bmp == FBitmap) return;
        CopyPolygonRegion(FBitmap, bmp, s.X1, s.Y1, s.X2, s.Y2, s.Points.data(), count);
        bmp->SetModified(true);
    }
}

// ---- Selections: the outline -----------------------------------------------------------------

bool TImagoView::SelectionIsRectangle() const {
    return ImgIsRectangle(FSelection->Points.data(), Integer(FSelection->Points.size()));
}

void TImagoView::DrawSelectionOutlines(bool FromTimer) {
    const bool gesture = FRectangleDrawing || FPolygonDrawing || FCircleDrawing;
    for (const auto& record : FSelections) {
        TImgSelectionRecord& s = *record;
        if (!s.Visible) continue;
        if (s.Animated && !gesture && FromTimer) s.Phase = (s.Phase + 1) % 6;
        if (FUpdateLock != 0 || Designing() || !HandleAllocated()) continue;
        TCanvas* canvas = GetCanvas();
        if (canvas->GetLockCount() > 0) continue;
        // Three pixels of the first colour, three of the second, starting Phase pixels on.
        Integer counter = s.Phase;
        const TColor c1 = s.Color1, c2 = s.Color2;
        canvas->GetPen()->SetMode(pmCopy);
        auto edge = [&](const TPoint& a, const TPoint& b) {
            LineDDA(XBmp2Scr(a.X), YBmp2Scr(a.Y), XBmp2Scr(b.X), YBmp2Scr(b.Y), [&](int x, int y) {
                if (counter > 2) {
                    canvas->SetPixels(x, y, c2);
                    if (counter > 4) counter = -1;
                } else {
                    canvas->SetPixels(x, y, c1);
                }
                ++counter;
            });
        };
        const TPoint* pts = s.Points.data();
        const Integer n = Integer(s.Points.size());
        ForEachPolygon(pts, n, [&](const TPoint* p, Integer count) {
            for (Integer i = 0; i + 1 < count; ++i) edge(p[i], p[i + 1]);
            const bool last = p + count == pts + n;
            if (!(last && FPolygonDrawing)) edge(p[count - 1], p[0]);
        });
        if (s.Sizeable && !FRectangleDrawing && ImgIsRectangle(pts, n)) {
            canvas->GetBrush()->SetStyle(bsSolid);
            canvas->GetBrush()->SetColor(c2);
            canvas->GetPen()->SetStyle(psSolid);
            canvas->GetPen()->SetWidth(1);
            canvas->GetPen()->SetColor(c1);
            for (Integer i = 0; i < n; ++i) {
                const Integer x = XBmp2Scr(pts[i].X), y = YBmp2Scr(pts[i].Y);
                canvas->Rectangle(x - 3, y - 3, x + 3, y + 3);
            }
        }
    }
}

void TImagoView::DrawRubberBand() {
    const std::vector<TPoint>& pts = FSelection->Points;
    if (pts.empty() || pts.back().X == ImgPolygonSeparator || !HandleAllocated()) return;
    TCanvas* canvas = GetCanvas();
    TPen* pen = canvas->GetPen();
    pen->SetStyle(psSolid);
    pen->SetWidth(1);
    pen->SetMode(pmNot);
    canvas->MoveTo(FBandEnd.X, FBandEnd.Y);
    canvas->LineTo(XBmp2Scr(pts.back().X), YBmp2Scr(pts.back().Y));
    pen->SetMode(pmCopy);
}
