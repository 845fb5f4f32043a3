// Lines, shapes, rectangle fills and pixels. Shapes are rasterized into coverage masks (Qt's
// painter samples pixel centres, which gives the Windows rule that right and bottom edges lie
// outside a filled area) and then mixed into the surface with the device context's raster
// operation. One-pixel pens are walked by our own line algorithm, which leaves out end points and
// carries the dash pattern from segment to segment. The brush of a closed figure drawn with a pen
// fills exactly the pixels the pen's outline encloses, so brush and pen meet without a gap.

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "framework/qt/gdi_backend.h"

using namespace lumora_gdi;

namespace {

constexpr double kPi = 3.14159265358979323846;

HBRUSH__* BrushOf(HBRUSH h) {
    // Windows accepts a system colour index plus one in place of a brush.
    const auto v = reinterpret_cast<uintptr_t>(h);
    if (v > 0 && v <= uintptr_t(SysColorCount)) return static_cast<HBRUSH__*>(FromHandle(GetSysColorBrush(int(v) - 1)));
    return ObjectAs<HBRUSH__>(h, ObjKind::Brush);
}

// A coverage mask covering a device box, cut to the visible area.
struct Mask {
    QImage img;
    QPoint origin;
    bool ok() const { return !img.isNull(); }
};

// A clear coverage picture.
QImage ClearMaskImage(QSize size) {
    QImage img(size, QImage::Format_Alpha8);
    if (!img.isNull()) std::memset(img.bits(), 0, size_t(img.sizeInBytes()));
    return img;
}

// Paints on a coverage picture through QPainter, band by band of rows. Qt hands a fill of many
// spans to its thread pool, and waking the pool costs more than a mask's fill takes: a band of
// a few rows never holds enough spans for that. Draw gets a painter without antialiasing,
// translated by Shift (mask pixel coordinates plus half a pixel for pixel centres).
template <class Draw>
void PaintInBands(QImage& img, QPointF shift, const Draw& draw) {
    constexpr int kBandRows = 32;
    const int w = img.width(), h = img.height();
    uchar* bits = img.bits();
    const qsizetype stride = img.bytesPerLine();
    for (int y0 = 0; y0 < h; y0 += kBandRows) {
        QImage band(bits + y0 * stride, w, std::min(kBandRows, h - y0), stride, img.format());
        QPainter qp(&band);
        qp.setRenderHint(QPainter::Antialiasing, false);
        qp.translate(shift.x(), shift.y() - y0);
        draw(qp);
    }
}

Mask NewMask(HDC__* d, QRect box) {
    Mask m;
    box &= d->Visible().boundingRect();
    if (box.isEmpty()) return m;
    m.img = ClearMaskImage(box.size());
    m.origin = box.topLeft();
    return m;
}

struct PenInfo {
    bool null = true;
    bool cosmetic = true;
    bool insideFrame = false;
    int width = 1;
    std::vector<int> dashes;  // on, off, on, off ... in pixels; empty = solid
    // Wide pens: their end caps, joins and dashes (in pen widths; empty = solid).
    Qt::PenCapStyle cap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
    QVector<qreal> wideDashes;
    Paint on;
    Paint gap;  // the background colour in gaps when the background mode is opaque
    bool hasGap = false;
};

PenInfo PenOf(HDC__* d) {
    PenInfo pi;
    HPEN__* p = d->st.pen.get();
    if (!p || p->style == PS_NULL) return pi;
    pi.null = false;
    pi.width = std::max(1, p->width);
    pi.cosmetic = pi.width <= 1;
    pi.insideFrame = p->style == PS_INSIDEFRAME;
    pi.on = SolidPaint(RgbOf(p->color));
    if (pi.cosmetic) {
        switch (p->style) {
        case PS_DASH: pi.dashes = {18, 6}; break;
        case PS_DOT: pi.dashes = {3, 3}; break;
        case PS_DASHDOT: pi.dashes = {9, 6, 3, 6}; break;
        case PS_DASHDOTDOT: pi.dashes = {9, 3, 3, 3, 3, 3}; break;
        default: break;
        }
    } else {
        pi.cap = p->endCap == PS_ENDCAP_FLAT     ? Qt::FlatCap
                 : p->endCap == PS_ENDCAP_SQUARE ? Qt::SquareCap
                                                 : Qt::RoundCap;
        pi.join = p->join == PS_JOIN_MITER ? Qt::MiterJoin : p->join == PS_JOIN_BEVEL ? Qt::BevelJoin : Qt::RoundJoin;
        const double w = pi.width;
        switch (p->style) {
        case PS_DASH: pi.wideDashes = {3, 1}; break;
        case PS_DOT: pi.wideDashes = {1, 1}; break;
        case PS_DASHDOT: pi.wideDashes = {3, 1, 1, 1}; break;
        case PS_DASHDOTDOT: pi.wideDashes = {3, 1, 1, 1, 1, 1}; break;
        default: break;
        }
        for (DWORD v : p->userDashes) pi.wideDashes << std::max(0.0, double(v) / w);
        if (pi.wideDashes.size() % 2) pi.wideDashes << pi.wideDashes;
        bool any = false;
        for (qreal v : pi.wideDashes) any = any || v > 0;
        if (!any) pi.wideDashes.clear();
    }
    if (!pi.dashes.empty() && d->st.bkMode == OPAQUE) {
        pi.hasGap = true;
        pi.gap = SolidPaint(RgbOf(d->st.bk));
    }
    if (d->surface().fmt == PixFmt::Mono) {
        pi.on.ToMonochrome();
        pi.gap.ToMonochrome();
    }
    return pi;
}

// Walks one-pixel polylines into a mask: 255 for pen pixels, 128 for dash gaps.
class CosmeticWalker {
public:
    CosmeticWalker(Mask& m, const std::vector<int>& dashes) : m_(m), dashes_(dashes) {
        for (int v : dashes_) period_ += v;
    }
    void Restart() { pos_ = 0; }
    void Segment(int x1, int y1, int x2, int y2) {
        WalkLine(x1, y1, x2, y2, [&](int x, int y) { Plot(x, y); });
    }
    void Plot(int x, int y) {
        bool on = true;
        if (period_ > 0) {
            int p = pos_ % period_;
            for (size_t i = 0; i < dashes_.size(); ++i) {
                if (p < dashes_[i]) { on = (i % 2) == 0; break; }
                p -= dashes_[i];
            }
            ++pos_;
        }
        const int mx = x - m_.origin.x(), my = y - m_.origin.y();
        if (mx < 0 || my < 0 || mx >= m_.img.width() || my >= m_.img.height()) return;
        uint8_t& v = m_.img.scanLine(my)[mx];
        if (on) v = 255;
        else if (v == 0) v = 128;
    }

private:
    Mask& m_;
    const std::vector<int>& dashes_;
    int period_ = 0;
    int pos_ = 0;
};

QRect BoundsOf(const std::vector<QPolygon>& polys, int margin) {
    QRect b;
    for (const QPolygon& p : polys) b |= p.boundingRect();
    return b.adjusted(-margin, -margin, margin + 1, margin + 1);
}

void ComposeOutline(HDC__* d, const PenInfo& pen, Mask& m) {
    CompositeMask(d, m.img, m.origin, pen.on, pen.hasGap ? &pen.gap : nullptr, d->st.rop2, Coverage::Dual);
}

// Walks one-pixel polylines into the mask. Closed ones return to their first point; open ones
// plot their last point when asked (flattened curves, which the walk would leave it out of).
void WalkInto(Mask& m, const PenInfo& pen, const std::vector<QPolygon>& polys, bool closed, bool plotLast) {
    CosmeticWalker w(m, pen.dashes);
    for (const QPolygon& p : polys) {
        w.Restart();
        for (int i = 0; i + 1 < p.size(); ++i) w.Segment(p[i].x(), p[i].y(), p[i + 1].x(), p[i + 1].y());
        if (closed && p.size() > 1) w.Segment(p.last().x(), p.last().y(), p[0].x(), p[0].y());
        else if ((closed || plotLast) && !p.isEmpty()) w.Plot(p.last().x(), p.last().y());
    }
}

// Strokes a path (pixel-centre coordinates) with a wide round pen into the mask.
void StrokeInto(Mask& m, const PenInfo& pen, const QPainterPath& path) {
    QPen qpen(Qt::white, pen.width, Qt::SolidLine, pen.cap, pen.join);
    if (!pen.wideDashes.isEmpty()) qpen.setDashPattern(pen.wideDashes);
    PaintInBands(m.img, QPointF(-m.origin.x() + 0.5, -m.origin.y() + 0.5), [&](QPainter& qp) {
        qp.setPen(qpen);
        qp.setBrush(Qt::NoBrush);
        qp.drawPath(path);
    });
    QImage& img = m.img;
    const int w = img.width(), h = img.height();
    for (int y = 0; y < h; ++y) {
        uint8_t* row = img.scanLine(y);
        for (int x = 0; x < w; ++x) row[x] = row[x] >= 128 ? 255 : 0;
    }
}

QPainterPath PathOf(const std::vector<QPolygon>& polys, bool closed) {
    QPainterPath path;
    for (const QPolygon& p : polys) {
        path.addPolygon(p);
        if (closed) path.closeSubpath();
    }
    return path;
}

// A curve flattened to polylines through pixel centres.
std::vector<QPolygon> PixelPolylines(const QPainterPath& path) {
    std::vector<QPolygon> polys;
    for (const QPolygonF& sub : path.toSubpathPolygons()) {
        QPolygon p;
        for (const QPointF& pt : sub) {
            const QPoint ip(int(std::floor(pt.x() + 0.5)), int(std::floor(pt.y() + 0.5)));
            if (p.isEmpty() || p.last() != ip) p << ip;
        }
        if (!p.isEmpty()) polys.push_back(p);
    }
    return polys;
}

// Draws polylines (device coordinates) with the pen. Closed ones return to their first point.
void StrokePolylines(HDC__* d, const PenInfo& pen, const std::vector<QPolygon>& polys, bool closed) {
    if (pen.null || polys.empty()) return;
    Mask m = NewMask(d, BoundsOf(polys, pen.width));
    if (!m.ok()) return;
    if (pen.cosmetic) WalkInto(m, pen, polys, closed, false);
    else StrokeInto(m, pen, PathOf(polys, closed));
    ComposeOutline(d, pen, m);
}

// Strokes a curved outline: one-pixel pens walk the flattened path, wide pens are stroked.
void StrokePath(HDC__* d, const PenInfo& pen, const QPainterPath& path) {
    if (pen.null || path.isEmpty()) return;
    if (pen.cosmetic) {
        const std::vector<QPolygon> polys = PixelPolylines(path);
        Mask m = NewMask(d, BoundsOf(polys, 1));
        if (!m.ok()) return;
        WalkInto(m, pen, polys, false, true);
        ComposeOutline(d, pen, m);
        return;
    }
    Mask m =
        NewMask(d, path.boundingRect().toAlignedRect().adjusted(-pen.width, -pen.width, pen.width + 1, pen.width + 1));
    if (!m.ok()) return;
    StrokeInto(m, pen, path);
    ComposeOutline(d, pen, m);
}

// The brush's part of a closed figure: the pixels its outline encloses (outline pixels are
// non-zero in the mask). Each piece of the box that the outline cuts off is filled or not as a
// whole: pieces touching the box's edge are outside, unless the box was cut by the visible area
// there; the rest are inside, except the holes the fill rule leaves in a polygon that crosses
// itself. Those pieces, and pieces at a cut edge, go by whether most of their pixel centres lie
// inside the figure.
QImage EnclosedArea(const Mask& outline, QRect whole, const QPainterPath& area, bool mayHaveHoles) {
    const int w = outline.img.width(), h = outline.img.height();
    const QRect box(outline.origin, outline.img.size());
    const bool cut[4] = {box.left() > whole.left(), box.right() < whole.right(), box.top() > whole.top(),
                         box.bottom() < whole.bottom()};

    // The pieces are found row by row: each run of pixels off the outline joins the runs of the row
    // above that it touches (a union-find over runs).
    struct Run {
        int y, x0, x1;  // pixels x0 .. x1 - 1 of row y
        int parent;
    };
    std::vector<Run> runs;
    auto root = [&](int i) {
        while (runs[size_t(i)].parent != i) {
            runs[size_t(i)].parent = runs[size_t(runs[size_t(i)].parent)].parent;
            i = runs[size_t(i)].parent;
        }
        return i;
    };
    size_t above = 0, aboveEnd = 0;
    for (int y = 0; y < h; ++y) {
        const uint8_t* line = outline.img.constScanLine(y);
        const size_t rowStart = runs.size();
        for (int x = 0; x < w;) {
            const int x0 = x;
            x = SkipRun(line, x, w, 0);
            if (x > x0) {
                const int id = int(runs.size());
                runs.push_back({y, x0, x, id});
                for (; above < aboveEnd && runs[above].x1 <= x0; ++above) {}
                for (size_t a = above; a < aboveEnd && runs[a].x0 < x; ++a) {
                    const int ra = root(int(a)), rb = root(id);
                    if (ra != rb) runs[size_t(std::max(ra, rb))].parent = std::min(ra, rb);
                }
            }
            while (x < w && line[x] != 0) ++x;
        }
        above = rowStart;
        aboveEnd = runs.size();
    }

    struct Piece {
        size_t pixels = 0, centresInside = 0;
        bool outside = false, atCut = false;
    };
    std::vector<Piece> pieces(runs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        const Run& r = runs[i];
        Piece& p = pieces[size_t(root(int(i)))];
        p.pixels += size_t(r.x1 - r.x0);
        const bool edge[4] = {r.x0 == 0, r.x1 == w, r.y == 0, r.y == h - 1};
        for (int k = 0; k < 4; ++k)
            if (edge[k]) (cut[k] ? p.atCut : p.outside) = true;
    }
    // The pixel centres inside the figure are counted only when a piece goes by them.
    const bool anyByCentres = std::any_of(pieces.begin(), pieces.end(), [&](const Piece& p) {
        return p.pixels && !p.outside && (p.atCut || mayHaveHoles);
    });
    if (anyByCentres) {
        QImage centres = ClearMaskImage(QSize(w, h));
        PaintInBands(centres, QPointF(-outline.origin.x() + 0.5, -outline.origin.y() + 0.5), [&](QPainter& qp) {
            qp.setPen(Qt::NoPen);
            qp.setBrush(Qt::white);
            qp.drawPath(area);
        });
        for (size_t i = 0; i < runs.size(); ++i) {
            const Run& r = runs[i];
            Piece& p = pieces[size_t(root(int(i)))];
            const uint8_t* c = centres.constScanLine(r.y);
            for (int x = r.x0; x < r.x1; ++x) p.centresInside += c[x] != 0;
        }
    }
    QImage fill = ClearMaskImage(QSize(w, h));
    for (size_t i = 0; i < runs.size(); ++i) {
        const Run& r = runs[i];
        const Piece& p = pieces[size_t(root(int(i)))];
        const bool byCentres = p.atCut || mayHaveHoles;
        if (p.outside || (byCentres && p.centresInside * 2 < p.pixels)) continue;
        std::memset(fill.scanLine(r.y) + r.x0, 255, size_t(r.x1 - r.x0));
    }
    return fill;
}

// Draws a closed figure given as a path (device pixel-centre coordinates, with its fill rule) and
// as the polylines a one-pixel pen walks. The brush fills exactly the pixels the pen's outline
// encloses and the pen draws the outline, so the two never leave a gap or overlap (an xor pen
// mixes every pixel once). Under a dashed pen with transparent gaps the brush shows in the gaps.
// With a null pen the brush covers what a one-pixel pen and the brush would.
void DrawFigure(HDC__* d, const PenInfo& pen, const QPainterPath& area, const std::vector<QPolygon>& outline,
                bool mayHaveHoles) {
    HBRUSH__* b = d->st.brush.get();
    const bool brush = b && b->style != BS_NULL;
    if (!brush) {
        if (pen.cosmetic) StrokePolylines(d, pen, outline, true);
        else StrokePath(d, pen, area);
        return;
    }
    PenInfo edge = pen;
    if (pen.null) {
        edge = PenInfo{};
        edge.null = false;
    }
    const QRect whole = BoundsOf(outline, edge.width + 1);
    Mask m = NewMask(d, whole);
    if (!m.ok()) return;
    if (edge.cosmetic) WalkInto(m, edge, outline, true, false);
    else StrokeInto(m, edge, area);
    QImage fill = EnclosedArea(m, whole, area, mayHaveHoles);
    const uint8_t onPen = pen.null ? 255 : 0, onGap = pen.hasGap ? 0 : 255;
    const int w = fill.width(), h = fill.height();
    for (int y = 0; y < h; ++y) {
        uint8_t* row = fill.scanLine(y);
        const uint8_t* line = m.img.constScanLine(y);
        for (int x = 0; x < w; ++x)
            row[x] |= line[x] == 255 ? onPen : line[x] == 128 ? onGap : 0;
    }
    CompositeMask(d, fill, m.origin, BrushPaint(d, b), nullptr, d->st.rop2, Coverage::Binary);
    if (!pen.null) ComposeOutline(d, pen, m);
}

// Fills a path (device coordinates, pixel-centre rule) with the selected brush.
void FillPath(HDC__* d, const QPainterPath& path) {
    HBRUSH__* b = d->st.brush.get();
    if (!b || b->style == BS_NULL || path.isEmpty()) return;
    Mask m = NewMask(d, path.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1));
    if (!m.ok()) return;
    PaintInBands(m.img, QPointF(-m.origin.x(), -m.origin.y()), [&](QPainter& qp) {
        qp.setPen(Qt::NoPen);
        qp.setBrush(Qt::white);
        qp.drawPath(path);
    });
    CompositeMask(d, m.img, m.origin, BrushPaint(d, b), nullptr, d->st.rop2, Coverage::Binary);
}

QPolygon DevicePoly(HDC__* d, const TPoint* pts, int n) {
    QPolygon p;
    p.reserve(n);
    for (int i = 0; i < n; ++i) p << QPoint(pts[i].X + d->dx(), pts[i].Y + d->dy());
    return p;
}

// The figure box of a shape in pixel-centre coordinates: pixels left..right-1, top..bottom-1,
// shrunk for an inside frame pen. A filled figure without a pen is one pixel smaller to the right
// and bottom, as Windows draws it.
QRectF FigureRect(HDC__* d, const PenInfo& pen, int l, int t, int r, int b, bool filled = true) {
    QRect rc = NormRect(l, t, r, b).translated(d->dx(), d->dy());
    QRectF f(rc.left(), rc.top(), rc.width() - 1, rc.height() - 1);
    if (pen.null && filled) f.adjust(0, 0, -1, -1);
    if (!pen.null && pen.insideFrame && pen.width > 1) {
        const double h = pen.width / 2.0;
        f.adjust(h - 0.5, h - 0.5, -(h - 0.5), -(h - 0.5));
    }
    return f;
}

// Parametric angle (degrees, counter-clockwise) of the ray from the centre through (x, y).
double RayAngle(const QRectF& e, double x, double y) {
    const double cx = e.center().x(), cy = e.center().y();
    const double rx = std::max(e.width() / 2, 0.5), ry = std::max(e.height() / 2, 0.5);
    return std::atan2(-(y - cy) / ry, (x - cx) / rx) * 180.0 / kPi;
}

double Sweep(HDC__* d, double a1, double a2) {
    double s = a2 - a1;
    if (d->st.arcDirection == AD_COUNTERCLOCKWISE) {
        while (s <= 0) s += 360;
        while (s > 360) s -= 360;
    } else {
        while (s >= 0) s -= 360;
        while (s < -360) s += 360;
    }
    return s;
}

enum class ArcKind { Arc, Chord, Pie };

bool ArcShape(HDC dc, ArcKind kind, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    HDC__* d = DC(dc);
    if (!d) return false;
    const PenInfo pen = PenOf(d);
    const QRectF e = FigureRect(d, pen, l, t, r, b, kind != ArcKind::Arc);
    if (e.width() < 0 || e.height() < 0) return true;
    const double a1 = RayAngle(e, xs + d->dx(), ys + d->dy());
    const double a2 = RayAngle(e, xe + d->dx(), ye + d->dy());
    const double sweep = Sweep(d, a1, a2);
    QPainterPath path;
    if (kind == ArcKind::Pie) path.moveTo(e.center());
    else path.arcMoveTo(e, a1);
    path.arcTo(e, a1, sweep);
    if (kind == ArcKind::Arc) {
        StrokePath(d, pen, path);
        return true;
    }
    path.closeSubpath();
    DrawFigure(d, pen, path, PixelPolylines(path), false);
    return true;
}

// Polygons: without a pen the brush fills the pixels whose centres lie inside them, with their
// vertices at pixel corners, which leaves out the right and bottom edges.
void FillPolygons(HDC__* d, const PenInfo& pen, const QPainterPath& path, const std::vector<QPolygon>& polys) {
    if (polys.empty()) return;
    if (pen.null) FillPath(d, path);
    else DrawFigure(d, pen, path, polys, true);
}

}  // namespace

bool LineTo(HDC dc, int x, int y) {
    HDC__* d = DC(dc);
    if (!d) return false;
    const TPoint from = d->st.pos;
    d->st.pos = TPoint(x, y);
    QPolygon p;
    p << QPoint(from.X + d->dx(), from.Y + d->dy()) << QPoint(x + d->dx(), y + d->dy());
    StrokePolylines(d, PenOf(d), {p}, false);
    return true;
}

bool Polyline(HDC dc, const TPoint* points, int count) {
    HDC__* d = DC(dc);
    if (!d || !points || count < 2) return false;
    StrokePolylines(d, PenOf(d), {DevicePoly(d, points, count)}, false);
    return true;
}

bool PolylineTo(HDC dc, const TPoint* points, int count) {
    HDC__* d = DC(dc);
    if (!d || !points || count < 1) return false;
    std::vector<TPoint> all;
    all.push_back(d->st.pos);
    all.insert(all.end(), points, points + count);
    StrokePolylines(d, PenOf(d), {DevicePoly(d, all.data(), int(all.size()))}, false);
    d->st.pos = points[count - 1];
    return true;
}

bool PolyPolyline(HDC dc, const TPoint* points, const DWORD* counts, int polylines) {
    HDC__* d = DC(dc);
    if (!d || !points || !counts) return false;
    std::vector<QPolygon> polys;
    size_t at = 0;
    for (int i = 0; i < polylines; ++i) {
        if (counts[i] >= 2) polys.push_back(DevicePoly(d, points + at, int(counts[i])));
        at += counts[i];
    }
    StrokePolylines(d, PenOf(d), polys, false);
    return true;
}

bool Polygon(HDC dc, const TPoint* points, int count) {
    HDC__* d = DC(dc);
    if (!d || !points || count < 2) return false;
    const QPolygon poly = DevicePoly(d, points, count);
    QPainterPath path;
    path.setFillRule(d->st.fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    path.addPolygon(poly);
    path.closeSubpath();
    FillPolygons(d, PenOf(d), path, {poly});
    return true;
}

bool PolyPolygon(HDC dc, const TPoint* points, const int* counts, int polygons) {
    HDC__* d = DC(dc);
    if (!d || !points || !counts) return false;
    QPainterPath path;
    path.setFillRule(d->st.fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    std::vector<QPolygon> polys;
    size_t at = 0;
    for (int i = 0; i < polygons; ++i) {
        if (counts[i] >= 2) {
            polys.push_back(DevicePoly(d, points + at, counts[i]));
            path.addPolygon(polys.back());
            path.closeSubpath();
        }
        at += size_t(std::max(0, counts[i]));
    }
    FillPolygons(d, PenOf(d), path, polys);
    return true;
}

namespace {
QPainterPath BezierPath(HDC__* d, const TPoint* pts, int count, TPoint start) {
    QPainterPath path(QPointF(start.X + d->dx(), start.Y + d->dy()));
    for (int i = 0; i + 2 < count; i += 3)
        path.cubicTo(pts[i].X + d->dx(), pts[i].Y + d->dy(), pts[i + 1].X + d->dx(), pts[i + 1].Y + d->dy(),
                     pts[i + 2].X + d->dx(), pts[i + 2].Y + d->dy());
    return path;
}
}  // namespace

bool PolyBezier(HDC dc, const TPoint* points, int count) {
    HDC__* d = DC(dc);
    if (!d || !points || count < 4 || (count - 1) % 3 != 0) return false;
    StrokePath(d, PenOf(d), BezierPath(d, points + 1, count - 1, points[0]));
    return true;
}

bool PolyBezierTo(HDC dc, const TPoint* points, int count) {
    HDC__* d = DC(dc);
    if (!d || !points || count < 3 || count % 3 != 0) return false;
    StrokePath(d, PenOf(d), BezierPath(d, points, count, d->st.pos));
    d->st.pos = points[count - 1];
    return true;
}

bool Rectangle(HDC dc, int left, int top, int right, int bottom) {
    HDC__* d = DC(dc);
    if (!d) return false;
    const QRect rc = NormRect(left, top, right, bottom).translated(d->dx(), d->dy());
    if (rc.width() < 1 || rc.height() < 1) return true;
    const PenInfo pen = PenOf(d);
    QPolygon corners;
    corners << rc.topLeft() << rc.topRight() << rc.bottomRight() << rc.bottomLeft();
    if (!pen.null && !(pen.cosmetic && pen.dashes.empty())) {
        QPainterPath path;
        path.addRect(FigureRect(d, pen, left, top, right, bottom, false));
        DrawFigure(d, pen, path, {corners}, false);
        return true;
    }
    // A solid one-pixel pen draws the border and the brush fills inside it; without a pen the
    // brush covers the box one pixel short of right and bottom.
    HBRUSH__* b = d->st.brush.get();
    const QRect fill = pen.null ? rc.adjusted(0, 0, -1, -1) : rc.adjusted(1, 1, -1, -1);
    if (b && b->style != BS_NULL && fill.width() > 0 && fill.height() > 0)
        FillDeviceRect(d, fill, BrushPaint(d, b), d->st.rop2);
    StrokePolylines(d, pen, {corners}, true);
    return true;
}

bool RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) {
    HDC__* d = DC(dc);
    if (!d) return false;
    const PenInfo pen = PenOf(d);
    const QRectF f = FigureRect(d, pen, left, top, right, bottom);
    if (f.width() < 0 || f.height() < 0) return true;
    QPainterPath path;
    path.addRoundedRect(f, std::abs(width) / 2.0, std::abs(height) / 2.0);
    DrawFigure(d, pen, path, PixelPolylines(path), false);
    return true;
}

bool Ellipse(HDC dc, int left, int top, int right, int bottom) {
    HDC__* d = DC(dc);
    if (!d) return false;
    const PenInfo pen = PenOf(d);
    const QRectF f = FigureRect(d, pen, left, top, right, bottom);
    if (f.width() < 0 || f.height() < 0) return true;
    QPainterPath path;
    path.addEllipse(f);
    DrawFigure(d, pen, path, PixelPolylines(path), false);
    return true;
}

bool Arc(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    return ArcShape(dc, ArcKind::Arc, l, t, r, b, xs, ys, xe, ye);
}

bool Pie(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    return ArcShape(dc, ArcKind::Pie, l, t, r, b, xs, ys, xe, ye);
}

bool Chord(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    return ArcShape(dc, ArcKind::Chord, l, t, r, b, xs, ys, xe, ye);
}

int FillRect(HDC dc, const TRect* r, HBRUSH brush) {
    HDC__* d = DC(dc);
    HBRUSH__* b = BrushOf(brush);
    if (!d || !r || !b) return 0;
    if (r->Right <= r->Left || r->Bottom <= r->Top) return 1;
    const QRect rc(r->Left + d->dx(), r->Top + d->dy(), r->Right - r->Left, r->Bottom - r->Top);
    FillDeviceRect(d, rc, BrushPaint(d, b), R2_COPYPEN);
    return 1;
}

int FrameRect(HDC dc, const TRect* r, HBRUSH brush) {
    HDC__* d = DC(dc);
    HBRUSH__* b = BrushOf(brush);
    if (!d || !r || !b) return 0;
    if (r->Right <= r->Left || r->Bottom <= r->Top) return 1;
    const Paint p = BrushPaint(d, b);
    const int l = r->Left + d->dx(), t = r->Top + d->dy(), w = r->Right - r->Left, h = r->Bottom - r->Top;
    FillDeviceRect(d, QRect(l, t, w, 1), p, R2_COPYPEN);
    if (h > 1) FillDeviceRect(d, QRect(l, t + h - 1, w, 1), p, R2_COPYPEN);
    if (h > 2) {
        FillDeviceRect(d, QRect(l, t + 1, 1, h - 2), p, R2_COPYPEN);
        if (w > 1) FillDeviceRect(d, QRect(l + w - 1, t + 1, 1, h - 2), p, R2_COPYPEN);
    }
    return 1;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    HDC__* d = DC(dc);
    if (!d) return CLR_INVALID;
    const int px = x + d->dx(), py = y + d->dy();
    if (!d->PixelVisible(px, py)) return CLR_INVALID;
    const Surface s = d->surface();
    WritePixel(s, px, py, RgbOf(color));
    return ColorRefOf(ReadPixel(s, px, py));
}

bool SetPixelV(HDC dc, int x, int y, COLORREF color) {
    return SetPixel(dc, x, y, color) != CLR_INVALID;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    HDC__* d = DC(dc);
    if (!d) return CLR_INVALID;
    const int px = x + d->dx(), py = y + d->dy();
    if (!d->PixelVisible(px, py)) return CLR_INVALID;
    return ColorRefOf(ReadPixel(d->surface(), px, py));
}

bool ExtFloodFill(HDC dc, int x, int y, COLORREF color, UINT type) {
    HDC__* d = DC(dc);
    if (!d) return false;
    const int px = x + d->dx(), py = y + d->dy();
    const QRegion vis = d->Visible();
    if (!vis.contains(QPoint(px, py))) return false;
    const Surface s = d->surface();
    const uint32_t ref = s.fmt == PixFmt::Mono ? ToMono(RgbOf(color)) : RgbOf(color);
    auto inside = [&](int xx, int yy) {
        const uint32_t c = ReadPixel(s, xx, yy);
        return type == FLOODFILLSURFACE ? c == ref : c != ref;
    };
    if (!inside(px, py)) return false;
    Mask m = NewMask(d, vis.boundingRect());
    if (!m.ok()) return false;
    // Scan-line fill into the mask.
    std::vector<QPoint> stack{{px, py}};
    auto free = [&](int xx, int yy) {
        const int mx = xx - m.origin.x(), my = yy - m.origin.y();
        if (mx < 0 || my < 0 || mx >= m.img.width() || my >= m.img.height()) return false;
        if (m.img.constScanLine(my)[mx]) return false;
        return vis.contains(QPoint(xx, yy)) && inside(xx, yy);
    };
    while (!stack.empty()) {
        QPoint p = stack.back();
        stack.pop_back();
        if (!free(p.x(), p.y())) continue;
        int l = p.x(), r = p.x();
        while (free(l - 1, p.y())) --l;
        while (free(r + 1, p.y())) ++r;
        uint8_t* row = m.img.scanLine(p.y() - m.origin.y());
        for (int i = l; i <= r; ++i) row[i - m.origin.x()] = 255;
        for (int i = l; i <= r; ++i) {
            if (free(i, p.y() - 1)) stack.emplace_back(i, p.y() - 1);
            if (free(i, p.y() + 1)) stack.emplace_back(i, p.y() + 1);
        }
    }
    CompositeMask(d, m.img, m.origin, BrushPaint(d, d->st.brush.get()), nullptr, R2_COPYPEN, Coverage::Binary);
    return true;
}

bool FloodFill(HDC dc, int x, int y, COLORREF color) {
    return ExtFloodFill(dc, x, y, color, FLOODFILLBORDER);
}
