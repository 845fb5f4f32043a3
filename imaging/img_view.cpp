#include "imaging/img_view.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "framework/math_utils.h"
#include "framework/timer.h"
#include "imaging/bitmap_routines.h"
#include "imaging/dib.h"
#include "imaging/resample.h"

namespace {

// The screen's logical resolution, read once.
TPoint ScreenDpi() {
    static const TPoint dpi = [] {
        HDC dc = CreateCompatibleDC(nullptr);
        TPoint p{GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY)};
        DeleteDC(dc);
        if (p.X <= 0) p.X = ScreenPixelsPerInch();
        if (p.Y <= 0) p.Y = ScreenPixelsPerInch();
        return p;
    }();
    return dpi;
}

// The view's cursors, in the order of their numbers from crImgZoomOut on.
const char* const kCursorNames[] = {"ZOOMMENO", "ZOOMPIU", "CROCE", "GOMMA", "MANO",  "PENNA", "CROCE1",
                                    "CROCE2",   "MOVE2",   "MOVEY", "MOVE1", "MOVEX", "MOVE"};

void LoadViewCursors() {
    TCursor id = crImgZoomOut;
    for (const char* name : kCursorNames) {
        if (HCURSOR c = LoadCursor(HInstance, name)) SetCursorTableEntry(id, c);
        ++id;
    }
}

constexpr Int64 kMaxZoomed = ImgMaxZoomedSize;

Integer ClampZoomed(double v) {
    if (!(v > 0)) return 0;
    return Integer(std::min<Int64>(Round(std::min(v, double(kMaxZoomed))), kMaxZoomed));
}

// The bitwise complement of a colour's RGB value.
TColor Complement(TColor c) { return TColor(~Cardinal(ColorToRGB(c)) & 0x00FFFFFFu); }

TBrushStyle HatchOf(TImgBackgroundStyle s) {
    switch (s) {
    case iebsHorizontal: return bsHorizontal;
    case iebsVertical: return bsVertical;
    case iebsFDiagonal: return bsFDiagonal;
    case iebsBDiagonal: return bsBDiagonal;
    case iebsCross: return bsCross;
    case iebsDiagCross: return bsDiagCross;
    default: return bsSolid;
    }
}

}  // namespace

void ImgSetViewScrollBar(TWinControl* Control, Integer Bar, Integer Max, Integer Page, Integer Pos) {
    if (Max < 1) {
        ShowScrollBar(Control, Bar, false);
        return;
    }
    TScrollInfo si;
    si.fMask = SIF_RANGE;
    si.nMin = 0;
    si.nMax = Page + Max - 1;
    SetScrollInfo(Control, Bar, si, false);
    si.fMask = SIF_PAGE;
    si.nPage = UINT(std::max(Page, 0));
    SetScrollInfo(Control, Bar, si, true);
    si.fMask = SIF_POS;
    si.nPos = Pos;
    SetScrollInfo(Control, Bar, si, false);
    ShowScrollBar(Control, Bar, true);
}

bool ImgScrollTarget(const TMessage& Message, Integer Current, Integer Page, Integer Max, Int64& Target) {
    switch (ScrollCode(Message)) {
    case SB_LINEUP: Target = Int64(Current) - 1; return true;
    case SB_LINEDOWN: Target = Int64(Current) + 1; return true;
    case SB_PAGEUP: Target = Int64(Current) - Page; return true;
    case SB_PAGEDOWN: Target = Int64(Current) + Page; return true;
    case SB_THUMBTRACK: Target = ScrollPos(Message); return true;
    case SB_TOP: Target = 0; return true;
    case SB_BOTTOM: Target = Max; return true;
    default: return false;  // the final thumb position and the end of scrolling change nothing
    }
}

// ---- TImgView --------------------------------------------------------------------------------

TImgView::TImgView(TComponent* AOwner) : TCustomControl(AOwner), FBackground(clBtnFace) {
    TControlStyle style = GetControlStyle();
    style.Include(csOpaque);
    style.Include(csAcceptsControls);
    SetControlStyle(style);
}

TImgView::~TImgView() = default;

void TImgView::SetBackground(TColor Color) { FBackground = Color; }

void TImgView::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TImgView::SetDPI(Integer DpiX, Integer DpiY) {
    SetDpiX(DpiX);
    SetDpiY(DpiY);
}

void TImgView::AddBitmapChangeListener(TObject* Listener, TNotifyEvent Handler) {
    FListeners.push_back({Listener, std::move(Handler)});
}

void TImgView::RemoveBitmapChangeListener(TObject* Listener) {
    auto it = std::find_if(FListeners.begin(), FListeners.end(),
                           [Listener](const TListener& l) { return l.Owner == Listener; });
    if (it != FListeners.end()) FListeners.erase(it);
}

void TImgView::NotifyBitmapChange() {
    // A listener may add or remove listeners while it runs: call copies.
    const std::vector<TListener> list = FListeners;
    for (const TListener& l : list)
        if (l.Handler) l.Handler(this);
}

void TImgView::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) {
        if (GetCtl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TImgView::CMCtl3DChanged(TMessage& Message) {
    TCustomControl::CMCtl3DChanged(Message);
    if (FBorderStyle == bsSingle) RecreateWnd();
}

// ---- TImagoView: life ------------------------------------------------------------------------

TImagoView::TImagoView(TComponent* AOwner) : TImgView(AOwner) {
    FBitmap = new TBitmap();
    FBitmap->SetPixelFormat(pf24bit);
    FDrawDib[0] = DrawDibOpen();
    FDrawDib[1] = DrawDibOpen();
    LoadViewCursors();
    TControl::SetCursor(FCursor);
    SetBounds(GetLeft(), GetTop(), 105, 105);
    const TPoint dpi = ScreenDpi();
    SetDPI(dpi.X, dpi.Y);
    FSelections.push_back(std::make_unique<TImgSelectionRecord>());
    FSelection = FSelections.back().get();
    FTimer = new TTimer(this);
    FTimer->SetEnabled(false);
    FTimer->SetInterval(150);
    FTimer->OnTimer = [this](TObject* Sender) { TimerTick(Sender); };
    if (!Designing()) {
        FTimer->SetEnabled(true);
        FBackBuffer = new TBitmap();
        FBackBuffer->SetPixelFormat(pf24bit);
    }
}

TImagoView::~TImagoView() {
    delete FBitmap;
    delete FBackBuffer;
    FTimer->OnTimer = nullptr;
    DrawDibClose(FDrawDib[0]);
    DrawDibClose(FDrawDib[1]);
}

void TImagoView::SetCursor(TCursor Value) {
    FCursor = Value;
    TControl::SetCursor(Value);
}

void TImagoView::CreateParams(TCreateParams& Params) { TImgView::CreateParams(Params); }

// ---- Properties that take effect through Update ----------------------------------------------

void TImagoView::SetBackground(TColor Color) {
    TImgView::SetBackground(Color);
    if (Designing()) {
        FBitmap->GetCanvas()->GetBrush()->SetColor(Color);
        FBitmap->GetCanvas()->GetBrush()->SetStyle(bsSolid);
        FBitmap->GetCanvas()->FillRect(Rect(0, 0, FBitmap->GetWidth(), FBitmap->GetHeight()));
    }
    Update();
    ImageChange();
}

void TImagoView::ImageChange() {
    TImgView::ImageChange();
    if (OnImageChange) OnImageChange(this);
}

void TImagoView::SetZoomFilter(TResampleFilter Value) {
    FZoomFilter = Value;
    Update();
}

void TImagoView::SetBackgroundStyle(TImgBackgroundStyle Value) {
    FBackgroundStyle = Value;
    Update();
}

void TImagoView::SetCenter(bool Value) {
    if (FCenter == Value) return;
    FCenter = Value;
    Update();
}

void TImagoView::SetScrollBars(TScrollStyle Value) {
    FScrollBars = Value;
    if (Value != ssVertical && Value != ssBoth) ShowScrollBar(this, SB_VERT, false);
    if (Value != ssHorizontal && Value != ssBoth) ShowScrollBar(this, SB_HORZ, false);
    Update();
}

void TImagoView::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
    TImgView::SetBounds(ALeft, ATop, AWidth, AHeight);
    const TComponentState st = GetComponentState();
    if (FBitmap && (st.Contains(csReading) || st.Contains(csDesigning) || st.Contains(csLoading))) {
        FBitmap->SetSize(GetWidth(), GetHeight());
        FBitmap->GetCanvas()->GetBrush()->SetColor(FBackground);
        FBitmap->GetCanvas()->GetBrush()->SetStyle(bsSolid);
        FBitmap->GetCanvas()->FillRect(Rect(0, 0, GetWidth(), GetHeight()));
    }
}

// ---- Zoom and origin -------------------------------------------------------------------------

Integer TImagoView::ZoomedSize(Integer Size) const { return ClampZoomed(Size * double(FZoom) / 100); }

void TImagoView::SetZoom(Integer Value) {
    if (Value <= 0 || Value == FZoom) return;
    if (FDelayZoomFilter) FFilterDelay = 2;
    ++FUpdateLock;
    FZoom = Value;
    Update();
    if (FUpdateLock > 0) --FUpdateLock;
    Paint();
    DoViewChange(1);
}

void TImagoView::GetMaxViewXY(Integer& MaxX, Integer& MaxY) {
    MaxX = MaxY = 0;
    const Integer zw = ZoomedSize(FBitmap->GetWidth());
    const Integer zh = ZoomedSize(FBitmap->GetHeight());
    if (zw <= 0 || zh <= 0) return;
    MaxX = std::max(zw - GetClientWidth(), 0);
    MaxY = std::max(zh - GetClientHeight(), 0);
    if (GetWidth() >= zw && GetHeight() >= zh) MaxX = MaxY = 0;
}

void TImagoView::SetViewX(Integer Value) {
    if (Value != FViewX) MoveView(Value, FViewY, true, false);
}

void TImagoView::SetViewY(Integer Value) {
    if (Value != FViewY) MoveView(FViewX, Value, false, true);
}

void TImagoView::SetViewXY(Integer X, Integer Y) {
    if (X != FViewX || Y != FViewY) MoveView(X, Y, true, true);
}

void TImagoView::MoveView(Integer X, Integer Y, bool Horizontal, bool Vertical) {
    if (FDelayZoomFilter) FFilterDelay = 2;
    Integer mx, my;
    GetMaxViewXY(mx, my);
    FViewX = std::clamp(X, 0, mx);
    FViewY = std::clamp(Y, 0, my);
    FNeedRepaint = true;
    Paint();
    DoViewChange(0);
    if (FSelected) ShowSelectionOutline();
    if (Horizontal && (FScrollBars == ssHorizontal || FScrollBars == ssBoth)) SetScrollPos(this, SB_HORZ, FViewX, true);
    if (Vertical && (FScrollBars == ssVertical || FScrollBars == ssBoth)) SetScrollPos(this, SB_VERT, FViewY, true);
}

void TImagoView::ZoomToFit() {
    const Integer bw = FBitmap->GetWidth(), bh = FBitmap->GetHeight();
    if (bw == 0 || bh == 0) return;
    SetZoom(Integer(std::min(Trunc(GetWidth() / (bw / 100.0)), Trunc(GetHeight() / (bh / 100.0)))));
}

void TImagoView::ZoomAt(Integer X, Integer Y, Integer NewZoom) {
    BeginUpdate();
    const Integer bx = XScr2Bmp(X), by = YScr2Bmp(Y);
    SetZoom(NewZoom);
    const double z = FZoom / 100.0;
    SetViewXY(Integer(Trunc(bx * z - GetClientWidth() / 2)), Integer(Trunc(by * z - GetClientHeight() / 2)));
    EndUpdate();
}

Integer TImagoView::XScr2Bmp(Integer X) const { return Integer(Round(100.0 / FZoom * (Int64(X) + FViewX - FOffX))); }

Integer TImagoView::YScr2Bmp(Integer Y) const { return Integer(Round(100.0 / FZoom * (Int64(Y) + FViewY - FOffY))); }

Integer TImagoView::XBmp2Scr(Integer X) const { return Integer(Round(double(X) * FZoom / 100 + (FOffX - FViewX))); }

Integer TImagoView::YBmp2Scr(Integer Y) const { return Integer(Round(double(Y) * FZoom / 100 + (FOffY - FViewY))); }

Integer TImagoView::GetZoomedControlWidth() {
    Integer w = Integer(std::min<Int64>(Trunc(FBitmap->GetWidth() / 100.0 * FZoom), kMaxZoomed)) + 1;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) w += GetWidth() - GetClientWidth();
    return w;
}

Integer TImagoView::GetZoomedControlHeight() {
    Integer h = Integer(std::min<Int64>(Trunc(FBitmap->GetHeight() / 100.0 * FZoom), kMaxZoomed)) + 1;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) h += GetHeight() - GetClientHeight();
    return h;
}

void TImagoView::DoViewChange(Integer Change) {
    if (OnViewChange) OnViewChange(this, Change);
}

// ---- Update ----------------------------------------------------------------------------------

void TImagoView::Update() {
    const TComponentState st = GetComponentState();
    if (!(st == TComponentState{} || st == TComponentState{csDesigning} ||
          st == TComponentState{csFreeNotification}))
        return;
    // A view placed nowhere has nothing to lay out; one inside a window that is no form (a pane
    // a file dialog hosts) lays out as on a form.
    if (!GetParentForm(this) && !GetParentWindow() && !GetParent()) return;
    if (FInUpdate) {
        // A scroll bar appeared or went while the layout was being made: the running Update
        // sees the new client size and starts again.
        FSizedInUpdate = true;
        return;
    }
    FInUpdate = true;
    try {
        UpdateLayout();
    } catch (...) {
        FInUpdate = false;
        throw;
    }
    FInUpdate = false;
}

void TImagoView::UpdateLayout() {
    const bool designing = Designing();
    const Integer bw = FBitmap->GetWidth(), bh = FBitmap->GetHeight();
    // Showing a bar can hide the other one and so on; a few rounds always settle.
    for (int round = 0; round < 4; ++round) {
        FSizedInUpdate = false;
        // Automatic zoom. It never stores a zoom below 1, which would leave nothing to draw and
        // the coordinate conversions without meaning.
        const Integer cw = GetWidth(), ch = GetHeight();
        if ((FAutoStretch || FAutoShrink || FAutoFit) && bw >= 1 && bh >= 1 && cw >= 1 && ch >= 1) {
            const bool stretch = FAutoStretch || FAutoFit, shrink = FAutoShrink || FAutoFit;
            const Integer fit = Integer(std::min(Trunc(cw / (bw / 100.0)), Trunc(ch / (bh / 100.0))));
            Integer zoom;
            if (double(bw) / cw > double(bh) / ch)
                zoom = bw > cw ? (shrink ? fit : 100) : (stretch ? fit : 100);
            else
                zoom = bh > ch ? (shrink ? fit : 100) : (stretch ? fit : 100);
            FZoom = std::max(zoom, 1);
            DoViewChange(1);
        }
        if (FLastBitmapSize.cx != bw || FLastBitmapSize.cy != bh) {
            FLastBitmapSize = TSize{bw, bh};
            if (FSelected) Deselect();
        }
        if (!designing) {
            const Integer clientW = GetClientWidth(), clientH = GetClientHeight();
            Integer mx, my;
            GetMaxViewXY(mx, my);
            bool lowered = false;
            if (FViewX > mx) {
                FViewX = mx;
                lowered = true;
            }
            if (FViewY > my) {
                FViewY = my;
                lowered = true;
            }
            if (lowered) DoViewChange(0);
            if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
                ImgSetViewScrollBar(this, SB_HORZ, mx, clientW, FViewX);
            if (FScrollBars == ssVertical || FScrollBars == ssBoth)
                ImgSetViewScrollBar(this, SB_VERT, my, clientH, FViewY);
            if (FSizedInUpdate || clientW != GetClientWidth() || clientH != GetClientHeight()) continue;
            if (FSelected) FSelection->Visible = true;
        }
        break;
    }
    FZoomedW = ClampZoomed(bw / 100.0 * FZoom);
    FZoomedH = ClampZoomed(bh / 100.0 * FZoom);
    FOffX = FOffY = 0;
    if (designing) {
        FExtX = std::min(FZoomedW, GetWidth());
        FExtY = std::min(FZoomedH, GetHeight());
    } else {
        const Integer clientW = GetClientWidth(), clientH = GetClientHeight();
        FExtX = std::min(FZoomedW, clientW);
        FExtY = std::min(FZoomedH, clientH);
        if (FCenter) {
            if (FExtX < clientW) FOffX = (clientW - FExtX) / 2;
            if (FExtY < clientH) FOffY = (clientH - FExtY) / 2;
        }
    }
    FNeedRepaint = true;
    Invalidate();
}

// ---- Update lock, filling, assigning ---------------------------------------------------------

void TImagoView::BeginUpdate() { ++FUpdateLock; }

Integer TImagoView::EndUpdate() {
    if (FUpdateLock > 0) --FUpdateLock;
    if (FUpdateLock == 0) Update();
    return FUpdateLock;
}

Integer TImagoView::UnlockUpdate() {
    if (FUpdateLock > 0) --FUpdateLock;
    return FUpdateLock;
}

void TImagoView::FillWithBackground() {
    TCanvas* c = FBitmap->GetCanvas();
    c->GetBrush()->SetColor(FBackground);
    c->GetBrush()->SetStyle(bsSolid);
    c->FillRect(Rect(0, 0, FBitmap->GetWidth(), FBitmap->GetHeight()));
    Update();
}

void TImagoView::ClearImage() {
    FBitmap->SetSize(1, 1);
    FillWithBackground();
}

void TImagoView::Assign(TPersistent* Source) {
    if (!Source) {
        FillWithBackground();
        return;
    }
    if (auto* view = dynamic_cast<TImagoView*>(Source)) {
        if (view == this) return;
        CopyBitmap(view->GetBitmap(), FBitmap);
        FBackground = view->GetBackground();
        FDpiX = view->GetDpiX();
        FDpiY = view->GetDpiY();
    } else if (auto* bmp = dynamic_cast<TBitmap*>(Source)) {
        if (bmp == FBitmap) return;
        const TPixelFormat f = bmp->GetPixelFormat();
        if (f == pf24bit || f == pf1bit) {
            CopyBitmap(bmp, FBitmap);
        } else {
            FBitmap->SetSize(1, 1);
            FBitmap->SetPixelFormat(pf24bit);
            FBitmap->SetSize(bmp->GetWidth(), bmp->GetHeight());
            FBitmap->GetCanvas()->Draw(0, 0, bmp);
        }
    } else {
        return;
    }
    Update();
    ImageChange();
}

// ---- Painting --------------------------------------------------------------------------------

void TImagoView::Paint() {
    TCanvas* canvas = GetCanvas();
    if (Designing()) {
        PaintTo(canvas);
        return;
    }
    if (FUpdateLock > 0) return;
    if (FDoubleBuffer && FBackBuffer) {
        const Integer cw = GetClientWidth(), ch = GetClientHeight();
        if (FBackBuffer->GetWidth() != cw || FBackBuffer->GetHeight() != ch) {
            ImgPrepareBitmap(FBackBuffer, pf24bit, cw, ch);
            FNeedRepaint = true;
        }
        if (FNeedRepaint) {
            std::swap(FDrawDib[0], FDrawDib[1]);
            PaintTo(FBackBuffer->GetCanvas());
            std::swap(FDrawDib[0], FDrawDib[1]);
            FNeedRepaint = false;
        }
        TImgDrawDIB dib;
        if (ImgDescribeBitmap(FBackBuffer, dib))
            DrawDibDraw(FDrawDib[0], canvas->GetHandle(), 0, 0, cw, ch, &dib.Header, dib.Bits, 0, 0, cw, ch, 0);
    } else {
        PaintTo(canvas);
    }
    if (FPolygonDrawing) DrawRubberBand();
}

void TImagoView::DrawBackground(TCanvas* Canvas) {
    const Integer cw = GetClientWidth(), ch = GetClientHeight();
    TBrush* brush = Canvas->GetBrush();
    switch (FBackgroundStyle) {
    case iebsChessboard: {
        brush->SetStyle(bsSolid);
        const TColor colours[2] = {Complement(FBackground), FBackground};
        for (Integer y = 0, row = 0; y < ch; y += 16, ++row)
            for (Integer x = 0, col = 0; x < cw; x += 16, ++col) {
                brush->SetColor(colours[(row + col) & 1]);
                Canvas->FillRect(Rect(x, y, x + 16, y + 16));
            }
        break;
    }
    case iebsDiagonals: {
        brush->SetStyle(bsSolid);
        brush->SetColor(FBackground);
        Canvas->FillRect(Rect(0, 0, cw, ch));
        TPen* pen = Canvas->GetPen();
        pen->SetColor(Complement(FBackground));
        pen->SetStyle(psSolid);
        pen->SetWidth(1);
        pen->SetMode(pmCopy);
        Canvas->MoveTo(0, 0);
        Canvas->LineTo(cw, ch);
        Canvas->MoveTo(cw, 0);
        Canvas->LineTo(0, ch);
        break;
    }
    default:
        brush->SetColor(FBackground);
        brush->SetStyle(HatchOf(FBackgroundStyle));
        Canvas->FillRect(Rect(0, 0, cw, ch));
        brush->SetStyle(bsSolid);
        break;
    }
}

void TImagoView::DrawBackgroundAround(TCanvas* Canvas, const TRect& Keep) {
    HDC dc = Canvas->GetHandle();
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, Keep.Left, Keep.Top, Keep.Right, Keep.Bottom);
    DrawBackground(Canvas);
    RestoreDC(dc, saved);
}

TRect TImagoView::SourceRect(bool LastPixelCorrection) const {
    // One axis: the first source pixel and how many the extent shows.
    auto axis = [LastPixelCorrection](Integer size, Integer zoomed, Integer view, Integer extent, Integer& from,
                                      Integer& to) {
        from = to = 0;
        if (zoomed == 0) return;
        const double scale = double(size) / zoomed;
        from = Integer(Round(view * scale));
        Integer count = Integer(Round(extent * scale));
        if (LastPixelCorrection && from + count > size) --count;
        to = from + count;
    };
    TRect r;
    axis(FBitmap->GetWidth(), FZoomedW, FViewX, FExtX, r.Left, r.Right);
    axis(FBitmap->GetHeight(), FZoomedH, FViewY, FExtY, r.Top, r.Bottom);
    return r;
}

void TImagoView::PaintTo(TCanvas* Canvas) {
    if (Designing()) {
        DrawBackground(Canvas);
        return;
    }
    const Integer cw = GetClientWidth(), ch = GetClientHeight();
    const Integer bw = FBitmap->GetWidth(), bh = FBitmap->GetHeight();
    if (((FExtX < cw || FExtY < ch) && !FCenter) || bh == 0) DrawBackgroundAround(Canvas, Rect(0, 0, FExtX, FExtY));
    if (bh < 1) return;
    const TRect src = SourceRect(true);
    if (FCenter) DrawBackgroundAround(Canvas, Rect(FOffX, FOffY, FOffX + FExtX, FOffY + FExtY));
    const bool filtered = FZoomFilter != rfNone && FFilterDelay <= 0 && FZoom > 100 && bw >= 2 && bh >= 2 &&
                          src.Width() >= 1 && src.Height() >= 1 && FExtX >= 1 && FExtY >= 1;
    if (filtered) {
        std::unique_ptr<TBitmap> part(new TBitmap());
        CopyRegion(FBitmap, part.get(), src.Left, src.Top, src.Right - 1, src.Bottom - 1);
        if (part->GetPixelFormat() == pf1bit) {
            std::unique_ptr<TBitmap> wide(new TBitmap());
            Expand1BitTo24Bit(part.get(), wide.get());
            part = std::move(wide);
        }
        std::unique_ptr<TBitmap> zoomed(new TBitmap());
        ImgPrepareBitmap(zoomed.get(), pf24bit, FExtX, FExtY);
        ResampleEnlarge(part.get(), zoomed.get(), FZoomFilter);
        TImgDrawDIB dib;
        if (ImgDescribeBitmap(zoomed.get(), dib))
            DrawDibDraw(FDrawDib[0], Canvas->GetHandle(), FOffX, FOffY, FExtX, FExtY, &dib.Header, dib.Bits, 0, 0,
                        FExtX, FExtY, 0);
        return;
    }
    TImgDrawDIB dib;
    if (ImgDescribeBitmap(FBitmap, dib))
        DrawDibDraw(FDrawDib[0], Canvas->GetHandle(), FOffX, FOffY, FExtX, FExtY, &dib.Header, dib.Bits, src.Left,
                    src.Top, src.Width(), src.Height(), 0);
}

void TImagoView::DrawVisibleImageTo(TCanvas* Canvas) {
    if (!Canvas || FBitmap->GetHeight() < 1 || FExtX < 1 || FExtY < 1) return;
    const TRect src = SourceRect(false);
    if (FZoomFilter != rfNone && FZoom != 100 && src.Width() >= 1 && src.Height() >= 1) {
        std::unique_ptr<TBitmap> part(new TBitmap());
        CopyRegion(FBitmap, part.get(), src.Left, src.Top, src.Right - 1, src.Bottom - 1);
        std::unique_ptr<TBitmap> zoomed(new TBitmap());
        ImgPrepareBitmap(zoomed.get(), pf24bit, FExtX, FExtY);
        ResampleFiltered(part.get(), zoomed.get(), FZoomFilter);
        Canvas->Draw(0, 0, zoomed.get());
        return;
    }
    TImgDrawDIB dib;
    if (ImgDescribeBitmap(FBitmap, dib))
        DrawDibDraw(FDrawDib[0], Canvas->GetHandle(), 0, 0, FExtX, FExtY, &dib.Header, dib.Bits, src.Left, src.Top,
                    src.Width(), src.Height(), 0);
}

// ---- Messages and the timer ------------------------------------------------------------------

void TImagoView::WMSize(TMessage& Message) {
    TImgView::WMSize(Message);
    Update();
}

void TImagoView::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TImagoView::ScrollMessage(TMessage& Message, bool Vertical) {
    Integer mx, my;
    GetMaxViewXY(mx, my);
    Int64 target;
    if (!ImgScrollTarget(Message, Vertical ? FViewY : FViewX, Vertical ? GetClientHeight() : GetClientWidth(),
                         Vertical ? my : mx, target))
        return;
    const Integer v = Integer(std::clamp<Int64>(target, -kMaxZoomed, kMaxZoomed));
    if (Vertical)
        SetViewY(v);
    else
        SetViewX(v);
}

void TImagoView::WMHScroll(TMessage& Message) { ScrollMessage(Message, false); }

void TImagoView::WMVScroll(TMessage& Message) { ScrollMessage(Message, true); }

void TImagoView::TimerTick(TObject* Sender) {
    DrawSelectionOutlines(Sender == FTimer);
    if (FFilterDelay > 0) {
        --FFilterDelay;
        if (FFilterDelay == 0) Update();
    }
}
