// Filled figures: the brush fills exactly what the outline encloses, with no pixel of brush
// outside the pen and no unpainted pixel inside it, for every size, pen and mix mode; a figure
// covers left..right-1, top..bottom-1.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "framework/tests/graphics_fixture.h"

namespace {

using lumora_test::Px;

const TColor kBack = TColor(0x336699);
const TColor kPen = TColor(0x0000C0);
const TColor kBrush = TColor(0xC08000);

// What each pixel of a drawing shows: 'P' pen, 'B' brush, '.' the background, '?' anything else
// (a pixel mixed twice, or a blend).
struct Picture {
    int w = 0, h = 0;
    std::string px;
    char At(int x, int y) const { return px[size_t(y * w + x)]; }

    std::string Text() const {
        std::string s;
        for (int y = 0; y < h; ++y) s += px.substr(size_t(y * w), size_t(w)) + "\n";
        return s;
    }
    // The box of the pixels of a kind, as left, top, right, bottom (right and bottom inside).
    TRect Box(char kind) const {
        TRect r(w, h, -1, -1);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (At(x, y) == kind) r = TRect(std::min<int>(r.Left, x), std::min<int>(r.Top, y),
                                                std::max<int>(r.Right, x), std::max<int>(r.Bottom, y));
        return r;
    }
    // The first pixel that is not pen, brush or background; the first pixel of brush reachable
    // from outside without crossing the pen; and the first pixel enclosed by the pen that the
    // brush left out. Enclosed pieces may be left out whole where holes are allowed.
    std::string Faults(bool holesAllowed) const {
        for (int i = 0; i < w * h; ++i)
            if (px[size_t(i)] == '?') return "mixed pixel at " + Where(i);
        std::vector<int> piece(size_t(w * h), -1);
        int pieces = 0;
        for (int start = 0; start < w * h; ++start) {
            if (piece[size_t(start)] >= 0 || px[size_t(start)] == 'P') continue;
            std::vector<int> todo{start};
            piece[size_t(start)] = pieces;
            for (size_t i = 0; i < todo.size(); ++i) {
                const int x = todo[i] % w, y = todo[i] / w;
                const int next[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
                for (const auto& n : next) {
                    if (n[0] < 0 || n[1] < 0 || n[0] >= w || n[1] >= h) continue;
                    const int j = n[1] * w + n[0];
                    if (piece[size_t(j)] >= 0 || px[size_t(j)] == 'P') continue;
                    piece[size_t(j)] = pieces;
                    todo.push_back(j);
                }
            }
            const bool outside = piece[0] == pieces;  // the corner is always background
            bool anyBrush = false;
            for (int i : todo) anyBrush |= px[size_t(i)] == 'B';
            for (int i : todo) {
                if (outside && px[size_t(i)] == 'B') return "brush outside the outline at " + Where(i);
                if (!outside && px[size_t(i)] == '.' && (!holesAllowed || anyBrush)) return "gap inside at " + Where(i);
            }
            ++pieces;
        }
        return "";
    }

private:
    std::string Where(int i) const { return std::to_string(i % w) + "," + std::to_string(i / w); }
};

TColor Mixed(TColor back, TColor c, bool xorMode) {
    return xorMode ? TColor((back ^ c) & 0xFFFFFF) : c;
}

Picture Classify(TBitmap* b, bool xorMode) {
    Picture p;
    p.w = b->GetWidth();
    p.h = b->GetHeight();
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            const TColor c = Px(b, x, y);
            p.px += c == kBack                           ? '.'
                    : c == Mixed(kBack, kPen, xorMode)   ? 'P'
                    : c == Mixed(kBack, kBrush, xorMode) ? 'B'
                                                         : '?';
        }
    return p;
}

enum class Figure { Rectangle, Ellipse, RoundRect, Chord, Pie };
const char* const kFigureNames[] = {"Rectangle", "Ellipse", "RoundRect", "Chord", "Pie"};

struct PenCase {
    TPenStyle style;
    int width;
    int grow;  // how far a centred wide pen reaches outside the figure box
};
const PenCase kPens[] = {{psSolid, 1, 0}, {psSolid, 3, 1}, {psInsideFrame, 3, 0}, {psClear, 1, 0}};

class ShapeFillTest : public lumora_test::GraphicsTest {
protected:
    static constexpr int kMargin = 4;

    // Draws onto a fresh bitmap with a margin around the figure.
    Picture Draw(int w, int h, const PenCase& pen, bool xorMode, const std::function<void(TCanvas*)>& draw) {
        TBitmap* b = Bitmap(w + 2 * kMargin, h + 2 * kMargin, kBack);
        TCanvas* c = b->GetCanvas();
        c->GetPen()->SetColor(kPen);
        c->GetPen()->SetStyle(pen.style);
        c->GetPen()->SetWidth(pen.width);
        c->GetPen()->SetMode(xorMode ? pmXor : pmCopy);
        c->GetBrush()->SetColor(kBrush);
        draw(c);
        return Classify(b, xorMode);
    }

    // Draws the figure in the box l, t, r, b (the box to the right and bottom less by Less); the
    // corners and rays follow the whole box.
    static void DrawFigure(TCanvas* c, Figure f, int l, int t, int r, int b, int less = 0) {
        const int cx = (l + r) / 2, cy = (t + b) / 2;
        const int rl = r - less, bl = b - less;
        switch (f) {
        case Figure::Rectangle: c->Rectangle(l, t, rl, bl); break;
        case Figure::Ellipse: c->Ellipse(l, t, rl, bl); break;
        case Figure::RoundRect: c->RoundRect(l, t, rl, bl, (r - l) / 2, (b - t) / 3); break;
        // Three quarters of the ellipse, counter-clockwise from the start ray to the end ray.
        case Figure::Chord: c->Chord(l, t, rl, bl, l, t, r, t); break;
        case Figure::Pie: c->Pie(l, t, rl, bl, cx, t, r, cy + 1); break;
        }
    }
};

TEST_F(ShapeFillTest, FilledFiguresFillExactlyInsideTheirOutlines) {
    std::vector<std::pair<int, int>> sizes;
    for (int s = 4; s <= 40; ++s) {
        sizes.emplace_back(s, s);
        sizes.emplace_back(s, s / 2 + 3);
        sizes.emplace_back(s / 3 + 4, s + 1);
    }
    int failures = 0;
    for (int fi = 0; fi < 5; ++fi) {
        const Figure figure = Figure(fi);
        for (const auto& [w, h] : sizes)
            for (const PenCase& pen : kPens)
                for (bool xorMode : {false, true}) {
                    if (failures > 5) return;
                    const int l = kMargin, t = kMargin, r = kMargin + w, b = kMargin + h;
                    const Picture p = Draw(w, h, pen, xorMode, [&](TCanvas* c) { DrawFigure(c, figure, l, t, r, b); });
                    const std::string what = std::string(kFigureNames[fi]) + " " + std::to_string(w) + "x" +
                                             std::to_string(h) + " pen " + std::to_string(pen.style) + "/" +
                                             std::to_string(pen.width) + (xorMode ? " xor" : " copy");
                    std::string fault;
                    if (pen.style == psClear) {
                        // Without a pen the brush covers what a one-pixel pen and the brush cover
                        // when drawn one pixel smaller to the right and bottom.
                        const Picture ref = Draw(w, h, kPens[0], xorMode,
                                                 [&](TCanvas* c) { DrawFigure(c, figure, l, t, r, b, 1); });
                        std::string expected = ref.px;
                        std::replace(expected.begin(), expected.end(), 'P', 'B');
                        if (p.px != expected) fault = "not the shape of the outlined figure";
                    } else if (fault = p.Faults(false); fault.empty()) {
                        // The pen reaches the box's edges (all of them but for the cut
                        // figures) and never passes them.
                        const TRect box = p.Box('P');
                        const TRect want(l - pen.grow, t - pen.grow, r - 1 + pen.grow, b - 1 + pen.grow);
                        const bool cut = figure == Figure::Chord || figure == Figure::Pie;
                        const bool inside = box.Left >= want.Left && box.Top >= want.Top && box.Right <= want.Right &&
                                            box.Bottom <= want.Bottom;
                        if (cut ? !inside : !(box == want))
                            fault = "pen box " + std::to_string(box.Left) + "," + std::to_string(box.Top) + "-" +
                                    std::to_string(box.Right) + "," + std::to_string(box.Bottom);
                        if (p.Box('B').Right < 0 && w > 12 && h > 12) fault = "nothing filled";
                    }
                    if (!fault.empty()) ++failures;
                    EXPECT_EQ(fault, "") << what << "\n" << p.Text();
                }
    }
}

TEST_F(ShapeFillTest, PolygonsWithSlantedEdgesLeaveNoGapAndNoSpill) {
    struct PolygonCase {
        const char* name;
        std::vector<TPoint> points;
        bool winding;
        bool holes;  // the fill rule leaves enclosed pieces empty
    };
    const PolygonCase cases[] = {
        {"triangle", {Point(4, 4), Point(30, 9), Point(11, 27)}, false, false},
        {"steep sliver", {Point(5, 4), Point(9, 4), Point(20, 30)}, false, false},
        {"shallow sliver", {Point(4, 5), Point(33, 12), Point(4, 10)}, false, false},
        {"arrow",
         {Point(4, 16), Point(18, 4), Point(18, 11), Point(33, 11), Point(33, 21), Point(18, 21), Point(18, 28)},
         false,
         false},
        {"concave", {Point(4, 4), Point(33, 30), Point(17, 13), Point(6, 29)}, false, false},
        {"diamond", {Point(18, 4), Point(33, 17), Point(18, 30), Point(4, 17)}, false, false},
        {"star", {Point(18, 4), Point(26, 30), Point(4, 13), Point(33, 13), Point(9, 30)}, false, true},
        {"star winding", {Point(18, 4), Point(26, 30), Point(4, 13), Point(33, 13), Point(9, 30)}, true, false},
    };
    for (const PolygonCase& pc : cases)
        for (const PenCase& pen : kPens)
            for (bool xorMode : {false, true}) {
                if (pen.style == psClear || pen.style == psInsideFrame) continue;
                const Picture p = Draw(30, 28, pen, xorMode, [&](TCanvas* c) {
                    SetPolyFillMode(c->GetHandle(), pc.winding ? WINDING : ALTERNATE);
                    c->Polygon(pc.points);
                });
                EXPECT_EQ(p.Faults(pc.holes), "") << pc.name << " pen " << pen.style << "/" << pen.width
                                                  << (xorMode ? " xor" : " copy") << "\n" << p.Text();
                EXPECT_GE(p.Box('B').Right, 0) << pc.name << ": nothing filled";
                if (pc.holes) {
                    EXPECT_EQ(p.At(18, 18), '.') << pc.name;  // the centre of the star stays empty
                }
            }
}

TEST_F(ShapeFillTest, AFigureCutByTheEdgeOfTheBitmapShowsWhatTheWholeFigureWouldThere) {
    // Each figure drawn on a large bitmap and on a small window into it.
    const std::vector<TPoint> star = {Point(30, 2), Point(48, 56), Point(2, 22), Point(58, 22), Point(12, 56)};
    const std::function<void(TCanvas*, int)> figures[] = {
        [](TCanvas* c, int o) { c->Ellipse(4 - o, 6 - o, 35 - o, 33 - o); },
        [](TCanvas* c, int o) { c->Pie(3 - o, 3 - o, 58 - o, 55 - o, 58 - o, 3 - o, 3 - o, 3 - o); },
        [&](TCanvas* c, int o) {
            std::vector<TPoint> moved;
            for (const TPoint& p : star) moved.push_back(Point(p.X - o, p.Y - o));
            c->Polygon(moved);
        },
    };
    for (size_t i = 0; i < std::size(figures); ++i)
        for (const PenCase& pen : kPens) {
            auto draw = [&](int size, int offset) {
                TBitmap* b = Bitmap(size, size, kBack);
                TCanvas* c = b->GetCanvas();
                c->GetPen()->SetColor(kPen);
                c->GetPen()->SetStyle(pen.style);
                c->GetPen()->SetWidth(pen.width);
                c->GetBrush()->SetColor(kBrush);
                figures[i](c, offset);
                return Classify(b, false);
            };
            const Picture whole = draw(60, 0), window = draw(16, 22);
            std::string expected;
            for (int y = 22; y < 38; ++y) expected += whole.px.substr(size_t(y * 60 + 22), 16);
            EXPECT_EQ(window.px, expected) << "figure " << i << " pen " << pen.style << "/" << pen.width;
        }
}

TEST_F(ShapeFillTest, TallFiguresDrawTheSameWhateverRowTheyStartAt) {
    // Figures far taller than a mask is painted at once: drawn a few rows lower, the picture only
    // moves down, so the pieces a figure is painted in meet without a seam.
    const std::function<void(TCanvas*, int)> figures[] = {
        [](TCanvas* c, int o) { c->Ellipse(5, 4 + o, 47, 190 + o); },
        [](TCanvas* c, int o) { c->Rectangle(3, 3 + o, 50, 180 + o); },
        [](TCanvas* c, int o) {
            c->Polygon({Point(26, 2 + o), Point(48, 185 + o), Point(2, 60 + o), Point(50, 60 + o), Point(6, 185 + o)});
        },
    };
    for (size_t i = 0; i < std::size(figures); ++i)
        for (int width : {1, 3, 9})
            for (bool brush : {true, false}) {
                auto draw = [&](int offset) {
                    TBitmap* b = Bitmap(54, 220, kBack);
                    TCanvas* c = b->GetCanvas();
                    c->GetPen()->SetColor(kPen);
                    c->GetPen()->SetWidth(width);
                    c->GetBrush()->SetColor(kBrush);
                    if (!brush) c->GetBrush()->SetStyle(bsClear);
                    figures[i](c, offset);
                    return Classify(b, false);
                };
                const Picture top = draw(0), lower = draw(13);
                EXPECT_EQ(lower.px.substr(13 * 54, 200 * 54), top.px.substr(0, 200 * 54))
                    << "figure " << i << " pen width " << width << (brush ? " filled" : " outline");
            }
}

}  // namespace
