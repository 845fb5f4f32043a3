#include "imaging/img_view.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "framework/forms.h"
#include "framework/math_utils.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_utils.h"

// ---- Mouse interaction -----------------------------------------------------------------------

void TImagoView::SetMouseInteract(TImgMouseInteract Value) {
    if (Value == FMouseInteract) return;
    if (FPolygonDrawing && FMouseInteract.Contains(miSelectPolygon)) {
        RemoveLastPoint();
        FPolygonDrawing = false;
        Invalidate();
    }
    // The first item added decides which others may stay.
    struct TRule {
        TImgMouseInteractItems item;
        TImgMouseInteract keeps;
    };
    static const TRule rules[] = {
        {miScroll, {miZoom, miScroll}},
        {miSelect, {miZoom, miSelect}},
        {miSelectPolygon, {miSelectPolygon}},
        {miSelectCircle, {miSelectCircle}},
        {miSelectZoom, {miZoom, miSelectZoom}},
        {miZoom, {miZoom, miScroll, miSelect, miSelectZoom}},
        {miSelectMagicWand, {miSelectMagicWand}},
    };
    for (const TRule& r : rules)
        if (Value.Contains(r.item) && !FMouseInteract.Contains(r.item)) {
            Value = Value * r.keeps;
            break;
        }
    FMouseInteract = Value;
}

Integer TImagoView::GripAt(Integer X, Integer Y) const {
    const TImgSelectionRecord& s = *FSelection;
    if (!s.Visible || !s.Sizeable || FRectangleDrawing || !SelectionIsRectangle()) return -1;
    for (Integer i = 0; i < Integer(s.Points.size()); ++i) {
        const TPoint& p = s.Points[size_t(i)];
        if (p.X == ImgPolygonSeparator) continue;
        if (std::abs(XBmp2Scr(p.X) - X) <= 3 && std::abs(YBmp2Scr(p.Y) - Y) <= 3) return i;
    }
    const Integer l = XBmp2Scr(s.X1), r = XBmp2Scr(s.X2), t = YBmp2Scr(s.Y1), b = YBmp2Scr(s.Y2);
    if (ImgPointSegmentDistance(X, Y, l, t, l, b) < 3) return 4;
    if (ImgPointSegmentDistance(X, Y, r, t, r, b) < 3) return 5;
    if (ImgPointSegmentDistance(X, Y, l, t, r, t) < 3) return 6;
    if (ImgPointSegmentDistance(X, Y, l, b, r, b) < 3) return 7;
    return -1;
}

Integer TImagoView::BodyAt(Integer X, Integer Y) {
    const TImgSelectionRecord& s = *FSelection;
    if (!s.Visible || FRectangleDrawing || !SelectionIsRectangle()) return -1;
    if (!ImgPointInRect(X, Y, XBmp2Scr(s.X1), YBmp2Scr(s.Y1), XBmp2Scr(s.X2), YBmp2Scr(s.Y2))) return -1;
    FPressBox = TRect{s.X1, s.Y1, s.X2, s.Y2};
    return 0;
}

Integer TImagoView::ResizeSelectionByGrip(Integer Grip, Integer X, Integer Y) {
    if (!SelectionIsRectangle()) return Grip;
    const Integer bx = XScr2Bmp(X), by = YScr2Bmp(Y);
    const TImgSelectionRecord& s = *FSelection;
    Integer x1 = s.X1, y1 = s.Y1, x2 = s.X2, y2 = s.Y2;
    auto is = [Grip](std::initializer_list<Integer> grips) {
        return std::find(grips.begin(), grips.end(), Grip) != grips.end();
    };
    if (is({0, 3, 4})) x1 = bx == x2 ? bx - 1 : bx;
    if (is({1, 2, 5})) x2 = x1 == bx ? bx + 1 : bx;
    if (is({0, 1, 6})) y1 = by == y2 ? by - 1 : by;
    if (is({2, 3, 7})) y2 = y1 == by ? by + 1 : by;
    static const Integer horizontalMirror[8] = {1, 0, 3, 2, 5, 4, 6, 7};
    static const Integer verticalMirror[8] = {3, 2, 1, 0, 4, 5, 7, 6};
    if (Grip >= 0 && Grip < 8) {
        if (x2 < x1) Grip = horizontalMirror[Grip];
        if (y2 < y1) Grip = verticalMirror[Grip];
    }
    SetRectanglePoints(x1, y1, x2, y2);
    return Grip;
}

void TImagoView::MoveSelection(Integer DX, Integer DY) {
    if (!SelectionIsRectangle()) return;
    const Integer bdx = Integer(Round(100.0 / FZoom * DX)), bdy = Integer(Round(100.0 / FZoom * DY));
    SetRectanglePoints(FPressBox.Left + bdx, FPressBox.Top + bdy, FPressBox.Right + bdx, FPressBox.Bottom + bdy);
}

void TImagoView::AddEllipse(Integer X, Integer Y, TShiftState Shift) {
    if (Shift.Contains(ssShift)) {
        if (GetSelectionPointCount() != FPressCount) RemoveLastPolygon();
        SelectionNewPart();
    } else {
        ClearSelectionPoints();
    }
    Integer rx = std::abs(FPress.X - X), ry = std::abs(FPress.Y - Y);
    if (Shift.Contains(ssCtrl)) rx = ry = std::max(rx, ry);
    const Integer n = std::max<Integer>(Integer(Trunc(2 * M_PI * std::min(rx, ry))) / 4, 3);
    for (Integer m = 0; m < n; ++m) {
        const double angle = 2 * M_PI / n * m;
        const Integer x = Integer(Trunc(std::cos(angle) * rx + FPress.X));
        const Integer y = Integer(Trunc(std::sin(angle) * ry + FPress.Y));
        const TPoint p = ClampToBitmap(XScr2Bmp(x), YScr2Bmp(y));
        AddSelectionPointRaw(p.X, p.Y);
    }
    ShowSelectionOutline();
}

void TImagoView::ShiftDragOrigin(Integer DX, Integer DY) {
    FBandEnd.X -= DX;
    FBandEnd.Y -= DY;
}

void TImagoView::AutoScroll() {
    // Runs the origin towards the cursor in steps of its distance outside the image, until the
    // cursor is over the image or the origin stops moving.
    for (;;) {
        const TPoint p = ScreenToClient(Mouse->GetCursorPos());
        auto outside = [](Integer v, Integer from, Integer extent) {
            if (v < from) return v - from;
            if (v > from + extent - 1) return v - (from + extent - 1);
            return 0;
        };
        const Integer dx = outside(p.X, FOffX, FExtX), dy = outside(p.Y, FOffY, FExtY);
        if (dx == 0 && dy == 0) return;
        const Integer oldX = FViewX, oldY = FViewY;
        SetViewXY(FViewX + dx, FViewY + dy);
        if (FViewX == oldX && FViewY == oldY) return;
        FPress.X += oldX - FViewX;
        FPress.Y += oldY - FViewY;
        ShiftDragOrigin(dx, dy);
    }
}

void TImagoView::ShowGripCursor(Integer Grip) {
    static const TCursor cursors[8] = {crImgMoveDiagonal2, crImgMoveDiagonal1, crImgMoveDiagonal2, crImgMoveDiagonal1,
                                       crImgMoveX,         crImgMoveX,         crImgMoveY,         crImgMoveY};
    TControl::SetCursor(Grip >= 0 && Grip < 8 ? cursors[Grip] : FCursor);
}

void TImagoView::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TImgView::MouseDown(Button, Shift, X, Y);
    FSavedZoomFilter = FZoomFilter;
    FZoomFilterSaved = true;
    if (FZoomFilter != rfNone) SetZoomFilter(rfNone);
    const TImgSelectionBase base = FSelectionBase;
    FSelectionBase = iesbClientArea;
    const TPoint p = ClampToImage(X, Y);
    X = p.X;
    Y = p.Y;
    FPress = FLastPoint = FBandEnd = p;
    FPressOrigin = TPoint{FViewX, FViewY};
    FPressCount = GetSelectionPointCount();
    if (FMouseInteract.Contains(miSelectPolygon)) {
        const std::vector<TPoint>& pts = FSelection->Points;
        if (Shift.Contains(ssCtrl) && !pts.empty() && pts.back().X != ImgPolygonSeparator)
            ImgConstrainLine(XBmp2Scr(pts.back().X), YBmp2Scr(pts.back().Y), X, Y);
        if (!FPolygonDrawing) {
            if (Shift.Contains(ssShift))
                SelectionNewPart();
            else
                Deselect();
        }
        AddSelectionPoint(X, Y);
        FPolygonDrawing = true;
        if (OnSelectionChanging) OnSelectionChanging(this);
    } else if (FMouseInteract.Contains(miSelect) || FMouseInteract.Contains(miSelectZoom)) {
        FGrip = GripAt(X, Y);
        FMoving = BodyAt(X, Y);
        if (FGrip == -1 && FMoving == -1) {
            FRectangleDrawing = true;
            if (OnSelectionChanging) OnSelectionChanging(this);
        }
    } else if (FMouseInteract.Contains(miSelectCircle)) {
        FCircleDrawing = true;
        FSelection->Visible = true;
        if (OnSelectionChanging) OnSelectionChanging(this);
    }
    FSelectionBase = base;
}

void TImagoView::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    TImgView::MouseMove(Shift, X, Y);
    const TImgSelectionBase base = FSelectionBase;
    FSelectionBase = iesbClientArea;
    const Integer rawX = X, rawY = Y;
    const TPoint p = ClampToImage(X, Y);
    X = p.X;
    Y = p.Y;
    auto changing = [this] {
        if (OnSelectionChanging) OnSelectionChanging(this);
    };
    if (GetMouseCapture()) {
        if (FMouseInteract.Contains(miScroll)) {
            SetViewXY(FPressOrigin.X + FPress.X - rawX, FPressOrigin.Y + FPress.Y - rawY);
        } else if (FGrip >= 0) {
            AutoScroll();
            FGrip = ResizeSelectionByGrip(FGrip, X, Y);
            changing();
        } else if (FMoving >= 0) {
            AutoScroll();
            MoveSelection(X - FPress.X, Y - FPress.Y);
            changing();
        } else if (FRectangleDrawing) {
            AutoScroll();
            if (Shift.Contains(ssShift)) {
                if (GetSelectionPointCount() != FPressCount) RemoveLastPolygon();
                SelectRectangle(FPress.X, FPress.Y, X, Y, 1);
            } else {
                SelectRectangle(FPress.X, FPress.Y, X, Y, 0);
            }
            changing();
        } else if (FPolygonDrawing) {
            AutoScroll();
            Paint();
            DrawRubberBand();
            const TPoint b = ClampToBitmap(XScr2Bmp(X), YScr2Bmp(Y));
            AddSelectionPointRaw(b.X, b.Y);
            DrawSelectionOutlines(false);
            changing();
        } else if (FCircleDrawing) {
            AutoScroll();
            AddEllipse(X, Y, Shift);
            changing();
        }
    } else if (FPolygonDrawing) {
        DrawRubberBand();  // erases the old band
        const std::vector<TPoint>& pts = FSelection->Points;
        if (Shift.Contains(ssCtrl) && !pts.empty() && pts.back().X != ImgPolygonSeparator)
            ImgConstrainLine(XBmp2Scr(pts.back().X), YBmp2Scr(pts.back().Y), X, Y);
        FBandEnd = TPoint{X, Y};
        DrawRubberBand();
        changing();
    } else if (FMouseInteract.Contains(miSelect)) {
        const Integer grip = GripAt(X, Y);
        if (grip == -1 && BodyAt(X, Y) == -1) {
            TControl::SetCursor(FCursor);
        } else {
            if (OnMouseInSel) OnMouseInSel(this);
            if (grip == -1)
                TControl::SetCursor(crImgMove);
            else
                ShowGripCursor(grip);
        }
    }
    FBandEnd = FLastPoint = TPoint{X, Y};
    FSelectionBase = base;
}

void TImagoView::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TImgView::MouseUp(Button, Shift, X, Y);
    const TImgSelectionBase base = FSelectionBase;
    FSelectionBase = iesbClientArea;
    auto changed = [this] {
        if (OnSelectionChange) OnSelectionChange(this);
    };
    if (FMouseInteract.Contains(miZoom) && X == FPress.X && Y == FPress.Y) {
        // Zooming in steps through these below 100 and by 100 above.
        static const Integer steps[] = {2, 5, 10, 25, 33, 50, 75, 100};
        Integer zoom = FZoom;
        if (Button == mbLeft) {
            if (FZoom >= 100) {
                zoom = FZoom + 100;
            } else {
                for (Integer s : steps)
                    if (s > FZoom) {
                        zoom = s;
                        break;
                    }
            }
        } else if (Button == mbRight) {
            if (FZoom >= 200) {
                zoom = FZoom - 100;
            } else {
                zoom = 2;
                for (Integer s : steps)
                    if (s < FZoom) zoom = s;
            }
        }
        if (Button == mbLeft || Button == mbRight) ZoomAt(X, Y, zoom);
    } else if (FMouseInteract.Contains(miScroll)) {
        SetViewXY(FPressOrigin.X + FPress.X - X, FPressOrigin.Y + FPress.Y - Y);
    } else if (FMouseInteract.Contains(miSelectZoom)) {
        FRectangleDrawing = false;
        ZoomSelection();
    } else if (FMouseInteract.Contains(miSelect)) {
        FRectangleDrawing = false;
        FGrip = FMoving = -1;
        changed();
    } else if (FMouseInteract.Contains(miSelectCircle)) {
        FCircleDrawing = false;
        changed();
    } else if (FMouseInteract.Contains(miSelectMagicWand)) {
        TControl::SetCursor(crHourGlass);
        MagicWandSelect(X, Y, Shift.Contains(ssShift) ? 1 : 0);
        TControl::SetCursor(FCursor);
        changed();
    }
    FSelectionBase = base;
    if (FZoomFilterSaved) {
        FZoomFilterSaved = false;
        if (FZoomFilter != FSavedZoomFilter) SetZoomFilter(FSavedZoomFilter);
    }
}

void TImagoView::WMLButtonDblClk(TMessage& Message) {
    TImgView::WMLButtonDblClk(Message);
    if (!FPolygonDrawing) return;
    // The second press of the double click added a point.
    RemoveLastPoint();
    FPolygonDrawing = false;
    Invalidate();
}
