// Controls: alignment, window handles, messages, painting on the backing image, scroll bars.

#include "framework/tests/window_fixture.h"

#include "framework/graphics.h"
#include "framework/system_metrics.h"
#include "framework/timer.h"

using Strings = std::vector<std::string>;

namespace {

// A window that fills itself with one colour and counts its paints.
class TSwatch : public TCustomControl {
    LUMORA_CLASS(TSwatch, TCustomControl)
public:
    explicit TSwatch(TComponent* AOwner, TColor Fill = clWhite) : TCustomControl(AOwner), FillColor(Fill) {}
    TColor FillColor;
    int Paints = 0;
    int Erases = 0;
    std::vector<TRect> PaintClips;
    std::vector<std::string> Messages;

protected:
    void Paint() override {
        ++Paints;
        TCanvas* c = GetCanvas();
        PaintClips.push_back(c->GetClipRect());
        c->GetBrush()->SetColor(FillColor);
        c->FillRect(GetClientRect());
    }
    void WMEraseBkgnd(TMessage& M) override {
        ++Erases;
        TCustomControl::WMEraseBkgnd(M);
    }
    void WMSize(TMessage& M) override {
        Messages.push_back("size " + std::to_string(M.LParamLo()) + "x" + std::to_string(M.LParamHi()));
        TCustomControl::WMSize(M);
    }
    void WMVScroll(TMessage& M) override {
        Messages.push_back("vscroll " + std::to_string(ScrollCode(M)) + " " + std::to_string(ScrollPos(M)));
    }
    void WMHScroll(TMessage& M) override {
        Messages.push_back("hscroll " + std::to_string(ScrollCode(M)) + " " + std::to_string(ScrollPos(M)));
    }
};

class TBlock : public TGraphicControl {
    LUMORA_CLASS(TBlock, TGraphicControl)
public:
    using TGraphicControl::TGraphicControl;
    TColor FillColor = clBlue;
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        GetCanvas()->GetBrush()->SetColor(FillColor);
        GetCanvas()->FillRect(GetClientRect());
    }
};

TRect BoundsOf(TControl* c) { return c->GetBoundsRect(); }

// A window that paints with a procedure.
class TPainted : public TCustomControl {
    LUMORA_CLASS(TPainted, TCustomControl)
public:
    using TCustomControl::TCustomControl;
    std::function<void(TCanvas*)> Painter;

protected:
    void Paint() override {
        if (Painter) Painter(GetCanvas());
    }
};

// Changes the canvas's brush, pen and font between SaveDC and a bare RestoreDC, which selects
// the replaced (deleted) objects again behind the canvas's back, then draws through the canvas;
// a second round draws on the handle itself right after the restore.
void DrawAcrossRestores(TCanvas* c) {
    c->GetFont()->SetHeight(-11);
    c->GetBrush()->SetColor(clYellow);
    c->GetPen()->SetColor(clNavy);
    c->FillRect({0, 0, 60, 40});
    c->Rectangle(0, 0, 4, 4);
    c->TextOut(0, 30, "a");
    HDC dc = c->GetHandle();
    int saved = SaveDC(dc);
    c->GetBrush()->SetColor(clRed);
    c->GetPen()->SetColor(clGreen);
    c->GetFont()->SetHeight(-9);
    c->Rectangle(0, 0, 4, 4);
    c->TextOut(0, 30, "b");
    RestoreDC(dc, saved);
    c->DrawFocusRect({40, 0, 50, 10});
    c->Rectangle(10, 0, 20, 10);
    c->TextOut(22, 0, "x");
    c->GetBrush()->SetColor(clBlue);
    c->FillRect({0, 20, 10, 30});

    saved = SaveDC(dc);
    c->GetBrush()->SetColor(clLime);
    c->FillRect({0, 30, 10, 40});
    RestoreDC(dc, saved);
    const TRect focus{40, 20, 50, 30};
    DrawFocusRect(dc, &focus);
    c->GetBrush()->SetColor(clFuchsia);
    c->FillRect({10, 30, 20, 40});
}

}  // namespace

// ---- Alignment -------------------------------------------------------------------------------

TEST_F(WindowTest, NestedPanelsAlignInTheFrameworksOrder) {
    Form->SetBorderStyle(bsNone);
    Form->SetClientWidth(400);
    Form->SetClientHeight(300);
    auto panel = [&](TWinControl* parent, TAlign a, TRect r) {
        auto* p = new TSwatch(Form);
        p->SetParent(parent);
        p->SetBoundsRect(r);
        p->SetAlign(a);
        return p;
    };
    // Created in an order that differs from the alignment order.
    auto* client = panel(Form, alClient, {0, 0, 10, 10});
    auto* right = panel(Form, alRight, {0, 0, 60, 10});
    auto* left = panel(Form, alLeft, {0, 0, 80, 10});
    auto* bottom = panel(Form, alBottom, {0, 0, 10, 30});
    auto* top2 = panel(Form, alTop, {0, 40, 10, 60});  // below top1 by its Top
    auto* top1 = panel(Form, alTop, {0, 0, 10, 50});
    auto* inner = panel(client, alTop, {0, 0, 10, 25});
    auto* innerClient = panel(client, alClient, {0, 0, 1, 1});
    auto* hidden = panel(Form, alTop, {0, 0, 10, 500});
    hidden->SetVisible(false);

    struct Case {
        TControl* C;
        TRect Bounds;
    };
    const Case expected[] = {
        {top1, {0, 0, 400, 50}},   {top2, {0, 50, 400, 70}},   {bottom, {0, 270, 400, 300}},
        {left, {0, 70, 80, 270}},  {right, {340, 70, 400, 270}}, {client, {80, 70, 340, 270}},
        {inner, {0, 0, 260, 25}},  {innerClient, {0, 25, 260, 200}},
    };
    for (const Case& c : expected) EXPECT_EQ(BoundsOf(c.C), c.Bounds) << c.C->ClassName();

    // Resizing the form aligns again; a constrained bar keeps its limit and the rest follows.
    bottom->GetConstraints()->SetMaxHeight(20);
    Form->SetClientHeight(400);
    EXPECT_EQ(BoundsOf(bottom), (TRect{0, 380, 400, 400}));
    EXPECT_EQ(BoundsOf(client), (TRect{80, 70, 340, 380}));
    EXPECT_EQ(BoundsOf(innerClient), (TRect{0, 25, 260, 310}));
    // Showing the hidden bar puts it first (its Top is the smallest).
    hidden->SetHeight(10);
    hidden->SetVisible(true);
    EXPECT_EQ(BoundsOf(hidden), (TRect{0, 0, 400, 10}));
    EXPECT_EQ(BoundsOf(top1), (TRect{0, 10, 400, 60}));
}

TEST_F(WindowTest, AnchorsKeepTheirDistancesWhenTheParentResizes) {
    Form->SetBorderStyle(bsNone);
    Form->SetClientWidth(400);
    Form->SetClientHeight(300);
    struct Case {
        TAnchors Anchors;
        TRect After;
    };
    const Case cases[] = {
        {{akLeft, akTop}, {100, 100, 150, 130}},
        {{akRight, akBottom}, {200, 150, 250, 180}},
        {{akLeft, akTop, akRight, akBottom}, {100, 100, 250, 180}},
        {{akTop}, {150, 100, 200, 130}},
    };
    std::vector<TSwatch*> controls;
    for (const Case& c : cases) {
        auto* s = new TSwatch(Form);
        s->SetParent(Form);
        s->SetBounds(100, 100, 50, 30);
        s->SetAnchors(c.Anchors);
        controls.push_back(s);
    }
    Form->SetClientWidth(500);
    Form->SetClientHeight(350);
    for (size_t i = 0; i < controls.size(); ++i) EXPECT_EQ(BoundsOf(controls[i]), cases[i].After) << i;
}

// ---- Handles and messages --------------------------------------------------------------------

TEST_F(WindowTest, HandlesAreMadeOnDemandAndRecreatedWithTheirChildren) {
    auto* parent = new TSwatch(Form);
    parent->SetParent(Form);
    auto* child = new TSwatch(Form);
    child->SetParent(parent);
    EXPECT_FALSE(Form->HandleAllocated());
    EXPECT_FALSE(child->HandleAllocated());
    HWND h = child->GetHandle();
    EXPECT_EQ(h, child);
    EXPECT_TRUE(Form->HandleAllocated());
    EXPECT_TRUE(parent->HandleAllocated());
    EXPECT_TRUE(IsWindow(child));
    uitest::ShowForm(Form);
    EXPECT_TRUE(IsWindowVisible(child));
    parent->RecreateWnd();
    EXPECT_TRUE(parent->HandleAllocated());
    EXPECT_TRUE(child->HandleAllocated());
    EXPECT_TRUE(IsWindowVisible(child));
    // A control without a parent window cannot have a window.
    auto* orphan = new TSwatch(Form);
    EXPECT_THROW(orphan->HandleNeeded(), EInvalidOperation);
}

namespace {

class TScrolledSwatch : public TSwatch {
    LUMORA_CLASS(TScrolledSwatch, TSwatch)
public:
    using TSwatch::TSwatch;
    DWORD Bars = WS_VSCROLL;

protected:
    void CreateParams(TCreateParams& Params) override {
        TSwatch::CreateParams(Params);
        Params.Style |= Bars;
    }
};

}  // namespace

// A recreated window has the scroll bars of its new style, fresh, not the old window's.
TEST_F(WindowTest, ARecreatedWindowHasTheScrollBarsOfItsNewStyle) {
    auto* c = new TScrolledSwatch(Form);
    c->SetParent(Form);
    c->SetBounds(0, 0, 120, 90);
    uitest::ShowForm(Form);
    EXPECT_TRUE(c->ScrollBarState(SB_VERT).Shown);
    EXPECT_FALSE(c->ScrollBarState(SB_HORZ).Shown);
    ShowScrollBar(c->GetHandle(), SB_HORZ, true);
    SetScrollRange(c->GetHandle(), SB_VERT, 0, 500, false);
    SetScrollPos(c->GetHandle(), SB_VERT, 300, false);

    c->Bars = WS_HSCROLL;
    c->RecreateWnd();
    EXPECT_FALSE(c->ScrollBarState(SB_VERT).Shown);
    EXPECT_TRUE(c->ScrollBarState(SB_HORZ).Shown);
    EXPECT_EQ(GetScrollPos(c->GetHandle(), SB_VERT), 0);
    EXPECT_EQ(c->GetClientWidth(), 120);  // no room kept for the old vertical bar

    c->Bars = WS_VSCROLL;
    c->RecreateWnd();
    Integer lo = -1, hi = -1;
    GetScrollRange(c->GetHandle(), SB_VERT, lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 100);
    EXPECT_EQ(GetScrollPos(c->GetHandle(), SB_VERT), 0);
}

namespace {

class TMessageProbe : public TSwatch {
    LUMORA_CLASS(TMessageProbe, TSwatch)
public:
    using TSwatch::TSwatch;
    Strings Got;

protected:
    void Dispatch(TMessage& M) override {
        if (M.Msg >= WM_APP && M.Msg < CM_BASE) {
            Got.push_back("app+" + std::to_string(M.Msg - WM_APP) + " " + std::to_string(M.WParam));
            M.Result = LRESULT(M.WParam * 2);
            return;
        }
        TSwatch::Dispatch(M);
    }
    void DefaultHandler(TMessage& M) override {
        if (M.Msg == WM_USER + 7) Got.push_back("default");
        TSwatch::DefaultHandler(M);
    }
};

}  // namespace

TEST_F(WindowTest, MessagesAreDispatchedByIdAndPostedInOrder) {
    auto* p = new TMessageProbe(Form);
    p->SetParent(Form);
    EXPECT_EQ(p->Perform(WM_APP + 1, 21), 42);
    p->Perform(WM_USER + 7);
    EXPECT_EQ(p->Got, (Strings{"app+1 21", "default"}));

    p->Got.clear();
    PostMessage(p, WM_APP + 101, 1, 0);
    PostMessage(p, WM_APP + 102, 2, 0);
    PostMessage(p, WM_APP + 101, 3, 0);
    EXPECT_TRUE(DiscardPendingMessage(p, WM_APP + 102));
    EXPECT_FALSE(DiscardPendingMessage(p, WM_APP + 103));
    EXPECT_TRUE(p->Got.empty());  // nothing before the loop runs
    uitest::ProcessEvents();
    EXPECT_EQ(p->Got, (Strings{"app+101 1", "app+101 3"}));

    // Messages to a window that is gone are dropped.
    PostMessage(p, WM_APP + 1, 0, 0);
    p->Free();
    uitest::ProcessEvents();
}

TEST_F(WindowTest, TextChangesGoThroughTheirMessages) {
    struct TTexty : TSwatch {
        using TSwatch::TSwatch;
        Strings Seen;
        void Dispatch(TMessage& M) override {
            if (M.Msg == WM_SETTEXT) Seen.push_back("settext " + *reinterpret_cast<std::string*>(M.LParam));
            if (M.Msg == CM_TEXTCHANGED) Seen.push_back("changed " + GetText());
            TSwatch::Dispatch(M);
        }
    };
    auto* p = new TTexty(Form);
    p->SetParent(Form);
    p->SetCaption("Hello");
    p->SetText("Hello");  // unchanged: no messages
    EXPECT_EQ(p->Seen, (Strings{"settext Hello", "changed Hello"}));
}

// ---- Painting --------------------------------------------------------------------------------

TEST_F(WindowTest, PaintFillsTheInvalidPartAndGraphicChildrenAreDrawnByTheParent) {
    Form->SetBorderStyle(bsNone);
    auto* s = new TSwatch(Form, clYellow);
    s->SetParent(Form);
    s->SetBounds(10, 10, 100, 80);
    auto* block = new TBlock(Form);
    block->SetParent(s);
    block->SetBounds(20, 20, 30, 30);
    uitest::ShowForm(Form);

    uitest::TCapture cap = uitest::Capture(s);
    EXPECT_EQ(cap.Width, 100);
    EXPECT_EQ(cap.Pixel(5, 5), clYellow);
    EXPECT_EQ(cap.Pixel(25, 25), clBlue);
    EXPECT_EQ(uitest::Capture(block).Pixel(0, 0), clBlue);

    // The background is erased unless the control is opaque.
    int erases = s->Erases, paints = s->Paints;
    s->Invalidate();
    s->Update();
    EXPECT_EQ(s->Erases, erases + 1);
    EXPECT_EQ(s->Paints, paints + 1);
    s->SetControlStyle(s->GetControlStyle() + TControlStyle{csOpaque});
    s->Invalidate();
    s->Update();
    EXPECT_EQ(s->Erases, erases + 1);

    // Invalidating a graphic control repaints its part of the parent only.
    block->FillColor = clLime;
    s->PaintClips.clear();
    block->Invalidate();
    s->Update();
    ASSERT_EQ(s->PaintClips.size(), 1u);
    EXPECT_EQ(s->PaintClips[0], (TRect{20, 20, 50, 50}));
    EXPECT_EQ(uitest::Capture(s).Pixel(25, 25), clLime);
}

TEST_F(WindowTest, DrawingFromATimerReachesTheScreenWithoutAPaint) {
    auto* s = new TSwatch(Form, clWhite);
    s->SetParent(Form);
    s->SetBounds(0, 0, 120, 90);
    uitest::ShowForm(Form);
    uitest::Capture(s);
    int paints = s->Paints;

    TTimer timer(nullptr);
    timer.SetInterval(10);
    bool drawn = false;
    timer.OnTimer = [&](TObject*) {
        TCanvas* c = s->GetCanvas();
        c->GetBrush()->SetColor(clRed);
        c->FillRect({30, 20, 60, 40});
        timer.SetEnabled(false);
        drawn = true;
    };
    ASSERT_TRUE(uitest::WaitUntil([&] { return drawn; }));
    uitest::TCapture cap = uitest::Capture(s);
    EXPECT_EQ(s->Paints, paints);
    EXPECT_EQ(cap.Pixel(30, 20), clRed);
    EXPECT_EQ(cap.Pixel(59, 39), clRed);
    EXPECT_EQ(cap.Pixel(60, 40), clWhite);
    EXPECT_EQ(cap.Pixel(10, 10), clWhite);
}

TEST_F(WindowTest, CanvasesDrawWithTheirOwnObjectsAfterTheirHandleWasRestored) {
    Form->SetBorderStyle(bsNone);
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(60, 40);
    DrawAcrossRestores(bitmap.GetCanvas());
    auto* control = Add<TPainted>({0, 0, 60, 40});
    control->Painter = DrawAcrossRestores;
    uitest::ShowForm(Form);
    const uitest::TCapture shown = uitest::Capture(control);

    struct Case {
        int X, Y;
        TColor Color;
    };
    const Case cases[] = {
        {10, 0, clGreen}, {15, 5, clRed},                     // the pen and brush after the restore
        {22, 0, clRed},                                       // text on the brush's colour
        {5, 25, clBlue}, {5, 35, clLime}, {15, 35, clFuchsia},  // brushes changed after restores
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bitmap.GetCanvas()->GetPixels(c.X, c.Y), c.Color) << "bitmap at " << c.X << "," << c.Y;
        EXPECT_EQ(shown.Pixel(c.X, c.Y), c.Color) << "control at " << c.X << "," << c.Y;
    }
}

// ---- Scroll bars -----------------------------------------------------------------------------

TEST_F(WindowTest, ScrollBarsShrinkTheClientAreaAndClampLikeWindows) {
    auto* s = new TSwatch(Form);
    s->SetParent(Form);
    s->SetBounds(0, 0, 200, 150);
    uitest::ShowForm(Form);
    s->Messages.clear();
    const Integer cx = GetSystemMetrics(SM_CXVSCROLL);

    TScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = 99;
    si.nPage = 10;
    si.nPos = 95;  // beyond Max - Page + 1
    EXPECT_EQ(SetScrollInfo(s, SB_VERT, si, true), 90);
    EXPECT_EQ(s->GetClientWidth(), 200 - cx);
    EXPECT_EQ(s->Messages, (Strings{"size " + std::to_string(200 - cx) + "x150"}));
    EXPECT_TRUE(uitest::ScrollBarVisible(s, SB_VERT));
    EXPECT_TRUE(GetWindowLong(s, GWL_STYLE) & WS_VSCROLL);

    // The page covering the whole range hides the bar (or disables it when asked to keep it).
    struct Case {
        Integer Max;
        UINT Page;
        UINT Mask;
        bool Shown;
    };
    const Case cases[] = {
        {99, 100, 0, false}, {99, 99, 0, true}, {0, 0, 0, false}, {5, 0, 0, true}, {99, 100, SIF_DISABLENOSCROLL, true},
    };
    for (const Case& c : cases) {
        TScrollInfo x;
        x.fMask = SIF_RANGE | SIF_PAGE | c.Mask;
        x.nMax = c.Max;
        x.nPage = c.Page;
        SetScrollInfo(s, SB_VERT, x, true);
        EXPECT_EQ(s->ScrollBarState(SB_VERT).Shown, c.Shown) << c.Max << " " << c.Page;
        EXPECT_EQ(s->GetClientWidth(), c.Shown ? 200 - cx : 200);
    }
    ShowScrollBar(s, SB_BOTH, false);
    EXPECT_EQ(s->GetClientRect(), (TRect{0, 0, 200, 150}));
}

TEST_F(WindowTest, ScrollBarClicksAndThumbDragsSendScrollMessages) {
    auto* s = new TSwatch(Form);
    s->SetParent(Form);
    s->SetBounds(0, 0, 200, 150);
    uitest::ShowForm(Form);
    TScrollInfo si;
    si.fMask = SIF_ALL;
    si.nMax = 100000000;  // positions beyond 16 bits
    si.nPage = 1000;
    si.nPos = 5;
    SetScrollInfo(s, SB_HORZ, si, true);
    s->Messages.clear();

    uitest::ScrollBarAction(s, SB_HORZ, SB_LINEDOWN);
    uitest::ScrollBarAction(s, SB_HORZ, SB_PAGEUP);
    // The window decides the position: nothing moved yet.
    EXPECT_EQ(GetScrollPos(s, SB_HORZ), 5);

    TScrollInfo track;
    track.fMask = SIF_TRACKPOS | SIF_POS;
    uitest::ScrollBarDrag(s, SB_HORZ, {70000000});
    GetScrollInfo(s, SB_HORZ, track);
    EXPECT_EQ(s->Messages, (Strings{"hscroll 1 5", "hscroll 8 5", "hscroll 2 5", "hscroll 8 5", "hscroll 5 70000000",
                                    "hscroll 4 70000000", "hscroll 8 70000000"}));
    EXPECT_EQ(track.nTrackPos, track.nPos);  // tracking is over
}

TEST_F(WindowTest, ThumbTrackingReportsTheTrackPositionWhileThePositionStays) {
    struct TTracker : TSwatch {
        using TSwatch::TSwatch;
        Integer Track = -1, Pos = -1;
        void WMVScroll(TMessage& M) override {
            if (ScrollCode(M) == SB_THUMBTRACK) {
                TScrollInfo si;
                si.fMask = SIF_TRACKPOS | SIF_POS;
                GetScrollInfo(this, SB_VERT, si);
                Track = si.nTrackPos;
                Pos = si.nPos;
            }
        }
    };
    auto* s = new TTracker(Form);
    s->SetParent(Form);
    s->SetBounds(0, 0, 200, 150);
    uitest::ShowForm(Form);
    TScrollInfo si;
    si.fMask = SIF_ALL;
    si.nMax = 500;
    si.nPage = 50;
    SetScrollInfo(s, SB_VERT, si, true);
    uitest::ScrollBarDrag(s, SB_VERT, {123});
    EXPECT_EQ(s->Track, 123);
    EXPECT_EQ(s->Pos, 0);
}

TEST_F(WindowTest, ScrollWindowExMovesThePixelsAndRepaintsWhatIsUncovered) {
    Form->SetBorderStyle(bsNone);
    auto* s = new TSwatch(Form, clWhite);
    s->SetParent(Form);
    s->SetBounds(0, 0, 100, 100);
    uitest::ShowForm(Form);
    uitest::Capture(s);
    TCanvas* c = s->GetCanvas();
    c->GetBrush()->SetColor(clRed);
    c->FillRect({0, 50, 10, 60});
    s->PaintClips.clear();
    TRect update;
    ScrollWindowEx(s, 0, -20, nullptr, nullptr, &update, SW_INVALIDATE);
    EXPECT_EQ(update, (TRect{0, 80, 100, 100}));
    uitest::TCapture cap = uitest::Capture(s);
    EXPECT_EQ(cap.Pixel(5, 35), clRed);
    EXPECT_EQ(cap.Pixel(5, 55), clWhite);
    ASSERT_EQ(s->PaintClips.size(), 1u);
    EXPECT_EQ(s->PaintClips[0], update);
}

// ---- Non-client area, AutoSize, mouse enter and leave, hints ---------------------------------

namespace {

// A bordered window whose frame is one pixel wider than the default, painted in its own colour.
class TFramed : public TSwatch {
    LUMORA_CLASS(TFramed, TSwatch)
public:
    using TSwatch::TSwatch;
    int FramePaints = 0;

protected:
    void CreateParams(TCreateParams& Params) override {
        TSwatch::CreateParams(Params);
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    }
    void WMNCCalcSize(TMessage& M) override {
        TSwatch::WMNCCalcSize(M);
        auto* r = reinterpret_cast<TRect*>(M.LParam);
        *r = {r->Left + 1, r->Top + 1, r->Right - 1, r->Bottom - 1};
    }
    void WMNCPaint(TMessage& M) override {
        TSwatch::WMNCPaint(M);
        ++FramePaints;
        TRect edge{0, 0, GetWidth(), GetHeight()};
        TCanvas* window = GetWindowCanvas();
        window->GetBrush()->SetColor(clRed);
        window->FrameRect(edge);
    }
};

}  // namespace

TEST_F(WindowTest, TheNonClientAreaIsSizedAndPaintedByItsMessages) {
    auto* f = new TFramed(Form, clWhite);
    f->SetParent(Form);
    f->SetBounds(10, 10, 100, 80);
    // Client edge (2) plus the extra ring (1) on every side.
    EXPECT_EQ(f->GetClientRect(), (TRect{0, 0, 94, 74}));
    EXPECT_EQ(f->GetNonClientMargins(), (TRect{3, 3, 3, 3}));
    EXPECT_EQ(f->ClientToScreen({0, 0}), Form->ClientToScreen({13, 13}));
    uitest::ShowForm(Form);
    uitest::TCapture cap = uitest::Capture(f);
    EXPECT_GE(f->FramePaints, 1);
    EXPECT_EQ(cap.Pixel(0, 0), clRed);
    EXPECT_EQ(cap.Pixel(99, 79), clRed);
    EXPECT_EQ(cap.Pixel(3, 3), clWhite);
    // A scroll bar sits inside the standard frame, the client area shrinks by it.
    ShowScrollBar(f, SB_VERT, true);
    EXPECT_EQ(f->GetClientWidth(), 94 - GetSystemMetrics(SM_CXVSCROLL));
}

TEST_F(WindowTest, AutoSizeFitsTheChildren) {
    auto* box = new TSwatch(Form);
    box->SetParent(Form);
    box->SetBounds(0, 0, 10, 10);
    auto* a = new TSwatch(Form);
    a->SetParent(box);
    a->SetBounds(5, 5, 40, 20);
    auto* b = new TSwatch(Form);
    b->SetParent(box);
    b->SetBounds(30, 50, 20, 10);
    box->SetAutoSize(true);
    EXPECT_EQ(box->GetWidth(), 50);
    EXPECT_EQ(box->GetHeight(), 60);
    b->SetLeft(70);
    EXPECT_EQ(box->GetWidth(), 90);
}

TEST_F(WindowTest, TheMouseEntersAndLeavesControlsAndShowsHints) {
    auto* panel = AddProbe("panel", {10, 10, 210, 110});
    panel->SetTabStop(false);
    auto* label = new TGraphicControl(Form);
    label->SetParent(panel);
    label->SetBounds(50, 20, 40, 20);
    Strings seen;
    panel->OnMouseEnter = [&](TObject*) { seen.push_back("enter panel"); };
    panel->OnMouseLeave = [&](TObject*) { seen.push_back("leave panel"); };
    label->OnMouseEnter = [&](TObject*) { seen.push_back("enter label"); };
    label->OnMouseLeave = [&](TObject*) { seen.push_back("leave label"); };
    label->SetHint("Short|The long hint");
    label->SetShowHint(true);
    std::string statusText;
    Application->OnHint = [&](TObject*) { statusText = Application->GetHint(); };
    Application->SetHintPause(20);
    Application->SetHintHidePause(100);
    uitest::ShowForm(Form);

    uitest::MouseMove(panel, 5, 5);
    uitest::MouseMove(panel, 55, 25);
    EXPECT_EQ(statusText, "The long hint");
    EXPECT_EQ(Application->GetVisibleHint(), "");
    ASSERT_TRUE(uitest::WaitUntil([] { return Application->GetVisibleHint() == "Short"; }));
    ASSERT_TRUE(uitest::WaitUntil([] { return Application->GetVisibleHint().empty(); }));
    uitest::MouseMove(panel, 150, 80);
    EXPECT_EQ(seen, (Strings{"enter panel", "leave panel", "enter label", "leave label", "enter panel"}));
    EXPECT_EQ(statusText, "");
    Application->OnHint = nullptr;
    Application->SetHintPause(500);
    Application->SetHintHidePause(2500);
}
