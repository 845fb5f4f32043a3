#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <queue>
#include <vector>

#include "framework/forms.h"
#include "framework/timer.h"
#include "framework/testing/ui_test.h"
#include "image_fixture.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_view.h"
#include "imaging/magic_wand.h"

namespace {

// A view whose timer ticks the tests run themselves.
class TTickView : public TImagoView {
    LUMORA_CLASS(TTickView, TImagoView)
public:
    using TImagoView::TImagoView;
    void Tick() { TimerTick(GetSelectionTimer()); }
};

const TImgRGB kGrey = ImgRGB(128, 128, 128);

// The view on a shown form, 200 x 200 client, no border, zoom 100, a grey 160 x 120 picture.
class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::Start();
        Form = new TForm(nullptr);
        Form->SetBounds(40, 40, 300, 300);
        View = new TTickView(Form);
        View->SetParent(Form);
        View->SetBorderStyle(bsNone);
        View->SetBounds(0, 0, 200, 200);
        View->OnSelectionChanging = [this](TObject*) { ++Changing; };
        View->OnSelectionChange = [this](TObject*) { ++Changed; };
        uitest::ShowForm(Form);
        Picture(160, 120, [](Integer, Integer) { return kGrey; });
    }
    void TearDown() override {
        Form->Free();
        uitest::ProcessEvents();
    }
    void Picture(Integer w, Integer h, const std::function<TImgRGB(Integer, Integer)>& pixel) {
        CopyBitmap(Make24(w, h, pixel).get(), View->GetBitmap());
        View->Update();
    }
    std::vector<TPoint> Points() const {
        return std::vector<TPoint>(View->GetSelectionPoints(), View->GetSelectionPoints() + View->GetSelectionPointCount());
    }
    TRect Box() const { return TRect{View->GetSelX1(), View->GetSelY1(), View->GetSelX2(), View->GetSelY2()}; }
    void Drag(Integer x1, Integer y1, Integer x2, Integer y2, TShiftState shift = {}) {
        uitest::MouseDown(View, x1, y1, mbLeft, shift);
        uitest::MouseMove(View, (x1 + x2) / 2, (y1 + y2) / 2, shift);
        uitest::MouseMove(View, x2, y2, shift);
        uitest::MouseUp(View, x2, y2, mbLeft, shift);
    }

    TForm* Form = nullptr;
    TTickView* View = nullptr;
    Integer Changing = 0, Changed = 0;
};

std::vector<TPoint> Rect4(Integer x1, Integer y1, Integer x2, Integer y2) {
    return {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
}

TEST_F(SelectionTest, MouseInteractKeepsWhatGoesWithTheAddedItem) {
    using S = TImgMouseInteract;
    struct Case {
        S from, to, expect;
    } cases[] = {
        {S{}, S{miZoom, miSelect, miSelectPolygon}, S{miZoom, miSelect}},
        {S{miZoom, miSelect}, S{miZoom, miSelect, miSelectMagicWand}, S{miSelectMagicWand}},
        {S{}, S{miScroll, miZoom, miSelect}, S{miScroll, miZoom}},
        {S{miSelect}, S{miSelect, miZoom, miScroll}, S{miZoom, miScroll}},
        {S{}, S{miZoom, miSelectZoom, miSelectCircle}, S{miSelectCircle}},
        {S{}, S{miZoom, miSelectZoom}, S{miZoom, miSelectZoom}},
        {S{miZoom, miScroll}, S{miZoom}, S{miZoom}},  // nothing added: stored as it is
    };
    for (const Case& c : cases) {
        View->SetMouseInteract(c.from);
        View->SetMouseInteract(c.to);
        EXPECT_EQ(View->GetMouseInteract(), c.expect) << c.to.Bits();
    }
}

TEST_F(SelectionTest, RectanglesByCode) {
    View->SetSelectionBase(iesbBitmap);
    View->SelectRectangle(50, 40, 10, 10);
    EXPECT_EQ(Points(), Rect4(10, 10, 50, 40));
    View->SelectRectangle(10, 10, 10, 50);  // one column: ignored
    EXPECT_EQ(Points(), Rect4(10, 10, 50, 40));
    View->SelectRectangle(-5, 100, 500, 90, 1);  // a further polygon, clamped
    std::vector<TPoint> both = Rect4(10, 10, 50, 40);
    both.push_back({ImgPolygonSeparator, 0});
    for (TPoint p : Rect4(0, 90, 159, 100)) both.push_back(p);
    EXPECT_EQ(Points(), both);
    EXPECT_EQ(Box(), (TRect{0, 10, 159, 100}));
    View->SelectionNewPart();
    View->SelectionNewPart();  // never two separators in a row
    EXPECT_EQ(View->GetSelectionPointCount(), 10);

    // Client coordinates follow the zoom and origin.
    View->SetSelectionBase(iesbClientArea);
    View->SetZoom(200);
    View->SetViewXY(20, 10);
    View->SelectRectangle(0, 0, 40, 30);
    EXPECT_EQ(Points(), Rect4(10, 5, 30, 20));
    View->Deselect();
    EXPECT_FALSE(View->GetSelected());
    EXPECT_EQ(View->GetSelectionPointCount(), 0);
}

TEST_F(SelectionTest, DraggingDrawsAndShiftAddsRectangles) {
    View->SetMouseInteract({miSelect});
    Drag(10, 20, 60, 50);
    EXPECT_EQ(Points(), Rect4(10, 20, 60, 50));
    EXPECT_EQ(Changing, 3);  // the press and two moves
    EXPECT_EQ(Changed, 1);
    // With Shift the new rectangle joins the old one, replaced as the drag goes on.
    Drag(100, 80, 120, 100, {ssShift});
    std::vector<TPoint> both = Rect4(10, 20, 60, 50);
    both.push_back({ImgPolygonSeparator, 0});
    for (TPoint p : Rect4(100, 80, 120, 100)) both.push_back(p);
    EXPECT_EQ(Points(), both);
    EXPECT_EQ(Box(), (TRect{10, 20, 120, 100}));
}

TEST_F(SelectionTest, GripsResizeMirrorAndKeepTwoPixels) {
    View->SetMouseInteract({miSelect});
    View->SelectRectangle(40, 40, 80, 70);
    // Over the top-left grip the grip cursor shows and the mouse-in-selection event fires.
    Integer inSel = 0;
    View->OnMouseInSel = [&](TObject*) { ++inSel; };
    struct Hover {
        Integer x, y;
        TCursor cursor;
    } hovers[] = {{41, 39, crImgMoveDiagonal2}, {80, 40, crImgMoveDiagonal1}, {40, 55, crImgMoveX},
                  {60, 71, crImgMoveY},         {60, 55, crImgMove},          {150, 150, 1785}};
    for (const Hover& h : hovers) {
        uitest::MouseMove(View, h.x, h.y);
        EXPECT_EQ(View->TControl::GetCursor(), h.cursor) << h.x << "," << h.y;
    }
    EXPECT_EQ(inSel, 5);

    // The top-left grip dragged past the bottom-right corner becomes the bottom-right grip.
    uitest::MouseDown(View, 40, 40);
    uitest::MouseMove(View, 100, 90);
    EXPECT_EQ(Points(), Rect4(80, 70, 100, 90));
    uitest::MouseMove(View, 110, 95);  // now the bottom-right grip moves
    EXPECT_EQ(Points(), Rect4(80, 70, 110, 95));
    uitest::MouseMove(View, 80, 70);  // onto the opposite corner: two pixels stay
    EXPECT_EQ(Points(), Rect4(80, 70, 81, 71));
    uitest::MouseUp(View, 80, 70);
    // The right edge alone.
    View->SelectRectangle(40, 40, 80, 70);
    Drag(80, 55, 90, 30);
    EXPECT_EQ(Points(), Rect4(40, 40, 90, 70));
}

TEST_F(SelectionTest, MovingAgainstTheBorderCutsTheRectangle) {
    View->SetMouseInteract({miSelect});
    View->SelectRectangle(100, 50, 140, 80);
    Drag(120, 60, 150, 70);  // 30 right: the right edge stops at the last column
    EXPECT_EQ(Points(), Rect4(130, 60, 159, 90));
    Drag(140, 70, 100, 40);  // moves from where the drag started
    EXPECT_EQ(Points(), Rect4(90, 30, 119, 60));
}

TEST_F(SelectionTest, EllipsesAndCircles) {
    View->SetMouseInteract({miSelectCircle});
    uitest::MouseDown(View, 80, 60);
    uitest::MouseMove(View, 90, 70);  // rx = ry = 10: trunc(2 pi 10) div 4 points
    EXPECT_EQ(View->GetSelectionPointCount(), 15);
    EXPECT_EQ(Points()[0], (TPoint{90, 60}));
    EXPECT_EQ(Box(), (TRect{70, 50, 90, 69}));  // truncated sines and cosines
    uitest::MouseMove(View, 81, 61);  // radius 1: at least 3
    EXPECT_EQ(View->GetSelectionPointCount(), 3);
    uitest::MouseMove(View, 100, 62, {ssCtrl});  // a circle of the larger radius
    EXPECT_EQ(View->GetSelectionPointCount(), 31);
    EXPECT_EQ(Box(), (TRect{60, 40, 100, 79}));
    uitest::MouseUp(View, 100, 62);
    EXPECT_EQ(Changed, 1);
    // With Shift a further ellipse joins, replaced while dragging.
    const Integer before = View->GetSelectionPointCount();
    uitest::MouseDown(View, 20, 20, mbLeft, {ssShift});
    uitest::MouseMove(View, 30, 25, {ssShift});
    uitest::MouseMove(View, 30, 30, {ssShift});
    uitest::MouseUp(View, 30, 30, mbLeft, {ssShift});
    EXPECT_EQ(View->GetSelectionPointCount(), before + 1 + 15);
    EXPECT_EQ(Points()[size_t(before)].X, ImgPolygonSeparator);
}

TEST_F(SelectionTest, PolygonsEndWithADoubleClick) {
    View->SetMouseInteract({miSelectPolygon});
    uitest::Click(View, 10, 10);
    uitest::Click(View, 50, 12);
    uitest::MouseMove(View, 40, 30);
    uitest::Click(View, 53, 50, mbLeft, {ssCtrl});  // bent to the vertical
    uitest::DoubleClick(View, 10, 50);
    EXPECT_EQ(Points(), (std::vector<TPoint>{{10, 10}, {50, 12}, {50, 50}, {10, 50}}));
    // A held button draws freehand.
    uitest::MouseDown(View, 100, 100, mbLeft, {ssShift});  // Shift: a further polygon
    uitest::MouseMove(View, 110, 100);
    uitest::MouseMove(View, 110, 110);
    uitest::MouseUp(View, 110, 110);
    uitest::DoubleClick(View, 100, 110);
    const std::vector<TPoint> p = Points();
    ASSERT_EQ(p.size(), 9u);
    EXPECT_EQ(p[4].X, ImgPolygonSeparator);
    EXPECT_EQ(p[5], (TPoint{100, 100}));
    EXPECT_EQ(p[6], (TPoint{110, 100}));
    EXPECT_EQ(p[8], (TPoint{100, 110}));
    // A fresh polygon without Shift replaces the selection.
    uitest::Click(View, 5, 5);
    EXPECT_EQ(Points(), (std::vector<TPoint>{{5, 5}}));
    // Leaving the mode ends the polygon in progress and takes its last point away.
    uitest::Click(View, 20, 5);
    View->SetMouseInteract({miSelect});
    EXPECT_EQ(Points(), (std::vector<TPoint>{{5, 5}}));
}

TEST_F(SelectionTest, ClickZoomSteps) {
    View->SetMouseInteract({miZoom});
    struct Case {
        Integer from;
        TMouseButton button;
        Integer to;
    } cases[] = {{30, mbLeft, 33},  {100, mbLeft, 200}, {1, mbLeft, 2},     {75, mbLeft, 100},
                 {150, mbRight, 100}, {100, mbRight, 75}, {2, mbRight, 2}, {300, mbRight, 200}};
    for (const Case& c : cases) {
        View->SetZoom(c.from);
        View->SetViewXY(0, 0);
        uitest::Click(View, 0, 0, c.button);
        EXPECT_EQ(View->GetZoom(), c.to) << c.from << (c.button == mbLeft ? " in" : " out");
    }
    // Around a small centred picture the press is pulled into the picture and the release is
    // not, so a click on the background does not zoom.
    Picture(20, 20, [](Integer, Integer) { return kGrey; });
    View->SetZoom(100);
    View->SetCenter(true);
    uitest::Click(View, 5, 5);
    EXPECT_EQ(View->GetZoom(), 100);
    uitest::Click(View, 100, 100);
    EXPECT_EQ(View->GetZoom(), 200);
}

TEST_F(SelectionTest, DragScrollAndAutoScroll) {
    Picture(800, 600, [](Integer x, Integer y) { return ImgRGB(Byte(x), Byte(y), 0); });
    View->SetMouseInteract({miScroll});
    View->SetViewXY(100, 100);
    Drag(100, 100, 60, 70);
    EXPECT_EQ(View->GetViewX(), 140);
    EXPECT_EQ(View->GetViewY(), 130);
    // Dragging a rectangle out of the right edge runs the view to the picture's end.
    View->SetMouseInteract({miSelect});
    uitest::MouseDown(View, 50, 50);
    uitest::MouseMove(View, 230, 120);
    Integer mx, my;
    View->GetMaxViewXY(mx, my);
    EXPECT_EQ(View->GetViewX(), mx);
    EXPECT_EQ(View->GetViewY(), 130);
    uitest::MouseUp(View, 230, 120);
    // The rectangle reaches from where the press was in the picture to the picture's last column.
    EXPECT_EQ(Box(), (TRect{190, 180, 799, 250}));
}

TEST_F(SelectionTest, ZoomSelection) {
    Picture(400, 300, [](Integer, Integer) { return kGrey; });
    View->SetSelectionBase(iesbBitmap);
    View->SelectRectangle(0, 10, 50, 60);  // touches the left border: ignored
    View->ZoomSelection();
    EXPECT_EQ(View->GetZoom(), 100);
    EXPECT_TRUE(View->GetSelected());
    View->SelectRectangle(100, 50, 149, 89);  // 50 x 40
    View->ZoomSelection();
    EXPECT_FALSE(View->GetSelected());
    EXPECT_EQ(View->GetZoom(), 400);  // min(200 / 0.4, 200 / 0.5)
    EXPECT_EQ(View->GetViewX(), 400);  // 100 * 4 - (200 - 200) div 2
    EXPECT_EQ(View->GetViewY(), 180);  // 50 * 4 - (200 - 160) div 2
    // The same through a dragged rectangle.
    View->SetZoom(100);
    View->SetViewXY(0, 0);
    View->SetMouseInteract({miSelectZoom});
    Drag(20, 20, 60, 40);
    EXPECT_EQ(View->GetZoom(), 487);  // min(200 / 0.41, 200 / 0.21)
    EXPECT_FALSE(View->GetSelected());
}

TEST_F(SelectionTest, OutlineDashesWalkOnePixelPerTick) {
    View->SetSelectionOptions({iesoAnimated});  // no grips over the tiny rectangle
    View->SetSelectionBase(iesbBitmap);
    View->SelectRectangle(0, 0, 3, 2);
    // The edges walked, each without its end point: 3 + 2 + 3 + 2 pixels.
    const TPoint walk[10] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {2, 2}, {1, 2}, {0, 2}, {0, 1}};
    auto pattern = [&] {
        std::string s;
        for (const TPoint& p : walk) {
            const TColor c = View->GetCanvas()->GetPixels(p.X, p.Y);
            s += c == clBlack ? 'b' : c == clWhite ? 'w' : '?';
        }
        return s;
    };
    EXPECT_EQ(pattern(), "bbbwwwbbbw");
    View->Tick();
    EXPECT_EQ(pattern(), "bbwwwbbbww");
    View->SetSelectionOptions({});  // not animated: the dashes stay
    View->Tick();
    EXPECT_EQ(pattern(), "bbwwwbbbww");
    View->SetSelectionColor1(clRed);
    View->SetSelectionOptions({iesoAnimated, iesoSizeable});
    View->Tick();
    // The grips: 6 x 6 squares in the second colour framed in the first.
    EXPECT_EQ(View->GetCanvas()->GetPixels(4, 3), clWhite);
    EXPECT_EQ(View->GetCanvas()->GetPixels(5, 4), clRed);
    EXPECT_EQ(View->GetCanvas()->GetPixels(6, 2), ImgRGBToColor(kGrey));  // right edges are outside
}

TEST_F(SelectionTest, CopySelectionToABitmapOrAView) {
    Picture(40, 30, [](Integer x, Integer y) { return ImgRGB(Byte(x), Byte(y), 7); });
    View->SetSelectionBase(iesbBitmap);
    View->SelectRectangle(10, 5, 20, 15);
    Bmp out(new TBitmap());
    View->CopySelectionTo(out.get());
    ASSERT_EQ(out->GetWidth(), 10);
    EXPECT_EQ(Px(out.get(), 0, 0), ImgRGB(10, 5, 7));
    EXPECT_EQ(Px(out.get(), 9, 9), ImgRGB(19, 14, 7));
    auto* other = new TImagoView(Form);
    other->SetParent(Form);
    View->SetBackground(clRed);
    View->CopySelectionTo(other);
    EXPECT_EQ(other->GetBitmap()->GetWidth(), 10);
    EXPECT_EQ(other->GetBackground(), clRed);
}

// ---- The region search -------------------------------------------------------------------------

using TMask = std::vector<std::vector<bool>>;

// The pixels a polygon list covers.
TMask Rasterise(const std::vector<TPoint>& points, Integer w, Integer h) {
    TMask m(size_t(h), std::vector<bool>(size_t(w), false));
    PolygonSpans(points.data(), Integer(points.size()), 0, h, [&](Integer y, Integer x1, Integer x2) {
        for (Integer x = std::max(x1, 0); x < std::min(x2, w); ++x) m[size_t(y)][size_t(x)] = true;
    });
    return m;
}

// Spreads the marks of Mask to the 4-connected pixels that Joins allows.
void Spread(TMask& Mask, std::queue<TPoint>& q, const std::function<bool(Integer, Integer)>& Joins) {
    const Integer h = Integer(Mask.size()), w = Integer(Mask[0].size());
    while (!q.empty()) {
        const TPoint p = q.front();
        q.pop();
        const TPoint next[4] = {{p.X + 1, p.Y}, {p.X - 1, p.Y}, {p.X, p.Y + 1}, {p.X, p.Y - 1}};
        for (const TPoint& n : next)
            if (n.X >= 0 && n.Y >= 0 && n.X < w && n.Y < h && !Mask[size_t(n.Y)][size_t(n.X)] && Joins(n.X, n.Y)) {
                Mask[size_t(n.Y)][size_t(n.X)] = true;
                q.push(n);
            }
    }
}

// The 4-connected region of pixels equal to the seed's, with its holes filled.
TMask FilledRegion(TBitmap* b, Integer sx, Integer sy) {
    const Integer w = b->GetWidth(), h = b->GetHeight();
    TMask in(size_t(h), std::vector<bool>(size_t(w), false));
    std::queue<TPoint> q;
    q.push({sx, sy});
    in[size_t(sy)][size_t(sx)] = true;
    Spread(in, q, [&](Integer x, Integer y) { return Px(b, x, y) == Px(b, sx, sy); });
    // Holes: pixels outside the region that cannot reach the border without crossing it.
    TMask outside(size_t(h), std::vector<bool>(size_t(w), false));
    for (Integer y = 0; y < h; ++y)
        for (Integer x = 0; x < w; ++x)
            if ((x == 0 || y == 0 || x == w - 1 || y == h - 1) && !in[size_t(y)][size_t(x)]) {
                outside[size_t(y)][size_t(x)] = true;
                q.push({x, y});
            }
    Spread(outside, q, [&](Integer x, Integer y) { return !in[size_t(y)][size_t(x)]; });
    for (Integer y = 0; y < h; ++y)
        for (Integer x = 0; x < w; ++x) in[size_t(y)][size_t(x)] = !outside[size_t(y)][size_t(x)];
    return in;
}

TEST(MagicWand, TracedOutlineCoversTheFloodRegion) {
    const TImgRGB a = ImgRGB(200, 30, 30), bg = ImgRGB(20, 20, 120);
    struct Case {
        const char* name;
        std::function<bool(Integer, Integer)> inA;
        TPoint seed;
    } cases[] = {
        {"uniform", [](Integer, Integer) { return true; }, {3, 3}},
        {"block", [](Integer x, Integer y) { return x >= 3 && x < 8 && y >= 2 && y < 6; }, {4, 4}},
        {"background around a block", [](Integer x, Integer y) { return !(x >= 3 && x < 8 && y >= 2 && y < 6); }, {0, 0}},
        {"ring with a hole",
         [](Integer x, Integer y) { return x >= 2 && x < 10 && y >= 1 && y < 9 && !(x >= 4 && x < 7 && y >= 4 && y < 6); },
         {2, 1}},
        {"L", [](Integer x, Integer y) { return (x >= 1 && x < 4 && y >= 1 && y < 10) || (x >= 1 && x < 11 && y >= 7 && y < 10); },
         {2, 2}},
        {"plus", [](Integer x, Integer y) { return (x >= 5 && x < 7 && y >= 1 && y < 10) || (x >= 1 && x < 11 && y >= 4 && y < 6); },
         {5, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bmp b = Make24(12, 11, [&](Integer x, Integer y) { return c.inA(x, y) ? a : bg; });
        const std::vector<TPoint> outline = MagicWandRegion(b.get(), c.seed.X, c.seed.Y, 0, false);
        ASSERT_GE(outline.size(), 4u);
        EXPECT_EQ(Rasterise(outline, 12, 11), FilledRegion(b.get(), c.seed.X, c.seed.Y));
    }
}

TEST(MagicWand, ToleranceFormatAndSeed) {
    // Columns step by one grey level: with tolerance t the region is 2t + 1 columns wide.
    Bmp b = Make24(20, 4, [](Integer x, Integer) { return ImgRGB(Byte(100 + x), Byte(100 + x), Byte(100 + x)); });
    for (Integer t : {0, 1, 3}) {
        const std::vector<TPoint> o = MagicWandRegion(b.get(), 10, 1, t, false);
        Integer minX = 99, maxX = -1;
        for (const TPoint& p : o) {
            minX = std::min(minX, p.X);
            maxX = std::max(maxX, p.X);
        }
        EXPECT_EQ(minX, 10 - t) << t;
        EXPECT_EQ(maxX, 11 + t) << t;
    }
    EXPECT_TRUE(MagicWandRegion(b.get(), 20, 1, 15, false).empty());
    EXPECT_TRUE(MagicWandRegion(b.get(), -1, 1, 15, false).empty());
    Bmp one = Make1(8, 8, [](Integer, Integer) { return true; });
    EXPECT_TRUE(MagicWandRegion(one.get(), 1, 1, 15, false).empty());
}

TEST(MagicWand, MaximumFilterTakesInTheNeighbours) {
    // A diagonal staircase: joined pixels touch only at corners, so only the seed joins.
    Bmp b = Make24(6, 6, [](Integer x, Integer y) { return x == y ? ImgRGB(0, 0, 0) : ImgRGB(255, 255, 255); });
    const auto dot = Rasterise(MagicWandRegion(b.get(), 0, 0, 0, false), 6, 6);
    EXPECT_TRUE(dot[0][0]);
    EXPECT_FALSE(dot[1][1]);
    // Seeded on the white part above the diagonal, the filter spreads it onto the diagonal within
    // the part's bounding box (columns 1 to 5, rows 0 to 4).
    const auto plain = Rasterise(MagicWandRegion(b.get(), 5, 0, 0, false), 6, 6);
    const auto grown = Rasterise(MagicWandRegion(b.get(), 5, 0, 0, true), 6, 6);
    EXPECT_FALSE(plain[1][1]);
    EXPECT_TRUE(grown[1][1]);
    EXPECT_FALSE(grown[0][0]);
}

TEST_F(SelectionTest, MagicWandByMouse) {
    Picture(60, 40, [](Integer x, Integer y) { return x >= 10 && x < 30 && y >= 5 && y < 25 ? ImgRGB(250, 0, 0) : kGrey; });
    View->SetMouseInteract({miSelectMagicWand});
    uitest::Click(View, 15, 15);
    EXPECT_EQ(Box(), (TRect{10, 5, 30, 25}));
    EXPECT_EQ(Changed, 1);
    uitest::Click(View, 100, 100);  // outside the picture: the selection stays
    EXPECT_EQ(Box(), (TRect{10, 5, 30, 25}));
    // Shift adds the grey surround (traced along the picture's border, clamped to it).
    uitest::Click(View, 2, 2, mbLeft, {ssShift});
    EXPECT_EQ(Box(), (TRect{0, 0, 59, 39}));
    const std::vector<TPoint> p = Points();
    EXPECT_EQ(std::count_if(p.begin(), p.end(), [](const TPoint& v) { return v.X == ImgPolygonSeparator; }), 1);
    View->SetMagicWandTolerance(255);
    uitest::Click(View, 15, 15);
    EXPECT_EQ(Box(), (TRect{0, 0, 59, 39}));
}

}  // namespace
