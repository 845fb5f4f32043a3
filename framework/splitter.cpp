#include "framework/comctrls.h"

#include <algorithm>
#include <cstdlib>

#include "framework/control_paint.h"

using lumora_paint::FillSolid;

// ---- TSplitter -------------------------------------------------------------------------------

namespace {

// The line shown while a splitter is dragged: a thin window above everything.
class TSplitterLine : public TCustomPopupWindow {
    LUMORA_CLASS(TSplitterLine, TCustomPopupWindow)
public:
    using TCustomPopupWindow::TCustomPopupWindow;

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomPopupWindow::CreateParams(Params);
        Params.Style &= ~WS_BORDER;
    }
    void Paint() override {
        TCanvas* c = GetCanvas();
        c->GetBrush()->SetBitmap(lumora_paint::PatternBitmap(clBlack, clWhite));
        c->FillRect(GetClientRect());
        c->GetBrush()->SetBitmap(nullptr);
    }
};

TSplitterLine* gSplitterLine = nullptr;

}  // namespace

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetAlign(alLeft);
    SetBounds(0, 0, 3, 100);
    SetCursor(crHSplit);
    SetParentColor(true);
    SetControlStyle(TControlStyle{csCaptureMouse});
}

void TSplitter::SetBeveled(bool Value) {
    FBeveled = Value;
    Invalidate();
}

void TSplitter::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_WINDOWPOSCHANGED || Message.Msg == CM_VISIBLECHANGED) UpdateCursor();
    TGraphicControl::Dispatch(Message);
}

void TSplitter::UpdateCursor() {
    TAlign a = GetAlign();
    SetCursor(a == alTop || a == alBottom ? crVSplit : crHSplit);
}

TControl* TSplitter::FindControl() {
    TWinControl* p = GetParent();
    if (!p) return nullptr;
    TPoint at{GetLeft(), GetTop()};
    switch (GetAlign()) {
    case alLeft: at.X -= 1; break;
    case alRight: at.X += GetWidth(); break;
    case alTop: at.Y -= 1; break;
    case alBottom: at.Y += GetHeight(); break;
    default: return nullptr;
    }
    for (int i = 0; i < p->GetControlCount(); ++i) {
        TControl* c = p->GetControl(i);
        if (c == this || !c->GetVisible() || !c->GetEnabled()) continue;
        if (c->GetAlign() != GetAlign() && c->GetAlign() != alClient) continue;
        TRect r = c->GetBoundsRect();
        if (r.Width() == 0) {
            if (GetAlign() == alLeft || GetAlign() == alRight) --r.Left; else ++r.Right;
        }
        if (r.Height() == 0) {
            if (GetAlign() == alTop || GetAlign() == alBottom) --r.Top; else ++r.Bottom;
        }
        if (PtInRect(&r, at) && c->GetAlign() == GetAlign()) return c;
    }
    return nullptr;
}

void TSplitter::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    FillSolid(c, r, GetColor());
    if (FBeveled) {
        if (GetAlign() == alLeft || GetAlign() == alRight)
            InflateRect(&r, -1, 2);
        else
            InflateRect(&r, 2, -1);
        TRect e = r;
        DrawEdge(c->GetHandle(), &e, BDR_RAISEDINNER, BF_RECT);
    }
    if (OnPaint) OnPaint(this);
}

bool TSplitter::DoCanResize(Integer& NewSize) {
    bool accept = true;
    if (OnCanResize) OnCanResize(this, NewSize, accept);
    if (accept && NewSize <= FMinSize && FAutoSnap) NewSize = 0;
    return accept;
}

void TSplitter::CalcSplitSize(Integer X, Integer Y, Integer& NewSize, Integer& Split) {
    bool horizontal = GetAlign() == alLeft || GetAlign() == alRight;
    Integer s = horizontal ? X - FDownPos.X : Y - FDownPos.Y;
    if (GetAlign() == alRight || GetAlign() == alBottom) s = -s;
    Integer old = horizontal ? FControl->GetWidth() : FControl->GetHeight();
    NewSize = old + s;
    if (NewSize < FMinSize && !FAutoSnap) NewSize = FMinSize;
    else if (NewSize < FMinSize) NewSize = NewSize < FMinSize / 2 ? 0 : FMinSize;
    if (NewSize > FMaxSize) NewSize = FMaxSize;
    Split = NewSize - old;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    FControl = FindControl();
    FDownPos = {X, Y};
    if (!FControl) return;
    TWinControl* p = GetParent();
    bool horizontal = GetAlign() == alLeft || GetAlign() == alRight;
    FMaxSize = (horizontal ? p->GetClientWidth() : p->GetClientHeight()) - FMinSize;
    for (int i = 0; i < p->GetControlCount(); ++i) {
        TControl* c = p->GetControl(i);
        if (!c->GetVisible()) continue;
        if (horizontal && (c->GetAlign() == alLeft || c->GetAlign() == alRight)) FMaxSize -= c->GetWidth();
        if (!horizontal && (c->GetAlign() == alTop || c->GetAlign() == alBottom)) FMaxSize -= c->GetHeight();
    }
    FMaxSize += horizontal ? FControl->GetWidth() : FControl->GetHeight();
    FOldSize = horizontal ? FControl->GetWidth() : FControl->GetHeight();
    FNewSize = FOldSize;
    FSplit = 0;
    if (FResizeStyle == rsLine || FResizeStyle == rsPattern) DrawLine();
}

void TSplitter::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!Shift.Contains(ssLeft) || !FControl) return;
    Integer newSize, split;
    CalcSplitSize(X, Y, newSize, split);
    if (!DoCanResize(newSize)) return;
    FNewSize = newSize;
    FSplit = newSize - FOldSize;
    if (FResizeStyle == rsUpdate)
        UpdateControlSize();
    else if (FResizeStyle == rsLine || FResizeStyle == rsPattern)
        DrawLine();
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FControl) return;
    UpdateControlSize();
    StopSizing();
}

void TSplitter::UpdateControlSize() {
    if (!FControl || FNewSize == FOldSize) return;
    TWinControl* p = GetParent();
    switch (GetAlign()) {
    case alLeft: FControl->SetWidth(FNewSize); break;
    case alTop: FControl->SetHeight(FNewSize); break;
    case alRight:
        p->DisableAlign();
        FControl->SetBounds(FControl->GetLeft() + FControl->GetWidth() - FNewSize, FControl->GetTop(), FNewSize,
                            FControl->GetHeight());
        p->EnableAlign();
        break;
    case alBottom:
        p->DisableAlign();
        FControl->SetBounds(FControl->GetLeft(), FControl->GetTop() + FControl->GetHeight() - FNewSize,
                            FControl->GetWidth(), FNewSize);
        p->EnableAlign();
        break;
    default: break;
    }
    FOldSize = FNewSize;
    if (OnMoved) OnMoved(this);
}

void TSplitter::DrawLine() {
    if (!gSplitterLine) gSplitterLine = new TSplitterLine(Application);
    TWinControl* p = GetParent();
    bool horizontal = GetAlign() == alLeft || GetAlign() == alRight;
    Integer split = FSplit;
    if (GetAlign() == alRight || GetAlign() == alBottom) split = -split;
    TPoint tl = p->ClientToScreen({GetLeft() + (horizontal ? split : 0), GetTop() + (horizontal ? 0 : split)});
    gSplitterLine->SetBounds(tl.X, tl.Y, GetWidth(), GetHeight());
    if (!gSplitterLine->IsPoppedUp()) gSplitterLine->Popup(tl);
    FLineVisible = true;
}

void TSplitter::StopSizing() {
    FControl = nullptr;
    if (FLineVisible && gSplitterLine) gSplitterLine->ClosePopup();
    FLineVisible = false;
}
