#include "framework/std_controls.h"

#include <algorithm>
#include <cmath>

#include "framework/control_paint.h"

// ---- TCustomLabel ----------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(GetControlStyle() + TControlStyle{csOpaque, csReplicatable});
    SetBounds(0, 0, 65, 17);
    TControl::SetAutoSize(true);
}

TCustomLabel::~TCustomLabel() = default;

std::string TCustomLabel::GetLabelText() { return GetCaption(); }

void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
    std::string text = GetLabelText();
    if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += ' ';
    if (!FShowAccelChar) Flags |= DT_NOPREFIX;
    TCanvas* c = (Flags & DT_CALCRECT) ? lumora_paint::MeasureCanvas(GetFont()) : GetCanvas();
    if (!(Flags & DT_CALCRECT)) c->SetFont(GetFont());
    if (!GetEnabled() && !(Flags & DT_CALCRECT)) {
        TRect r = Rect;
        OffsetRect(&r, 1, 1);
        c->GetFont()->SetColor(clBtnHighlight);
        DrawText(c->GetHandle(), text, &r, Flags);
        c->GetFont()->SetColor(clBtnShadow);
        DrawText(c->GetHandle(), text, &Rect, Flags);
    } else {
        DrawText(c->GetHandle(), text, &Rect, Flags);
    }
}

void TCustomLabel::Paint() {
    TCanvas* c = GetCanvas();
    if (!GetTransparent()) {
        c->GetBrush()->SetColor(GetColor());
        c->GetBrush()->SetStyle(bsSolid);
        c->FillRect(GetClientRect());
    }
    c->GetBrush()->SetStyle(bsClear);
    TRect r = GetClientRect();
    UINT flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) | lumora_paint::AlignmentFlags(FAlignment);
    if (FLayout != tlTop) {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        if (FLayout == tlBottom)
            OffsetRect(&r, 0, GetHeight() - calc.Bottom);
        else
            OffsetRect(&r, 0, (GetHeight() - calc.Bottom) / 2);
    }
    DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
    if (IsLoading() || !GetAutoSize()) return;
    TRect r = GetClientRect();
    DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
    Integer x = GetLeft();
    if (FAlignment == taRightJustify) x += GetWidth() - r.Right;
    SetBounds(x, GetTop(), r.Right, r.Bottom);
}

void TCustomLabel::SetAutoSize(bool Value) {
    if (GetAutoSize() == Value) return;
    TControl::SetAutoSize(Value);
    AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
    if (FLayout == Value) return;
    FLayout = Value;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
    if (FShowAccelChar == Value) return;
    FShowAccelChar = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
    if (GetTransparent() == Value) return;
    TControlStyle s = GetControlStyle();
    if (Value)
        s.Exclude(csOpaque);
    else
        s.Include(csOpaque);
    SetControlStyle(s);
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) { lumora_paint::SetLinkedControl(this, FFocusControl, Value); }

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_DIALOGCHAR) {
        CMDialogChar(Message);
        return;
    }
    TGraphicControl::Dispatch(Message);
}

void TCustomLabel::CMTextChanged(TMessage& Message) {
    Invalidate();
    AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage& Message) {
    TGraphicControl::CMFontChanged(Message);
    AdjustBounds();
}

void TCustomLabel::CMDialogChar(TMessage& Message) {
    if (lumora_paint::FocusByAccelerator(FFocusControl, GetEnabled(), FShowAccelChar, Word(Message.WParam),
                                         GetCaption()))
        Message.Result = 1;
}

// ---- TCustomStaticText -----------------------------------------------------------------------

TCustomStaticText::TCustomStaticText(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csReplicatable, csDoubleClicks});
    SetBounds(0, 0, 65, 17);
    TControl::SetAutoSize(true);
}

void TCustomStaticText::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == sbsSingle) Params.Style |= WS_BORDER;
    if (FBorderStyle == sbsSunken) Params.ExStyle |= WS_EX_STATICEDGE;
}

void TCustomStaticText::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    c->GetBrush()->SetColor(GetColor());
    c->GetBrush()->SetStyle(bsSolid);
    c->FillRect(r);
    c->GetBrush()->SetStyle(bsClear);
    c->SetFont(GetFont());
    UINT flags =
        DT_EXPANDTABS | DT_WORDBREAK | lumora_paint::AlignmentFlags(FAlignment) | (FShowAccelChar ? 0 : DT_NOPREFIX);
    if (!GetEnabled()) c->GetFont()->SetColor(clGrayText);
    DrawText(c->GetHandle(), GetCaption(), &r, flags);
}

void TCustomStaticText::AdjustBounds() {
    if (IsLoading() || !GetAutoSize()) return;
    TRect r{0, 0, 0, 0};
    std::string text = GetCaption();
    if (text.empty()) text = " ";
    DrawText(lumora_paint::MeasureCanvas(GetFont())->GetHandle(), text, &r,
             DT_EXPANDTABS | DT_CALCRECT | (FShowAccelChar ? 0 : DT_NOPREFIX));
    TRect m = GetNonClientMargins();
    Integer w = r.Right + m.Left + m.Right, h = r.Bottom + m.Top + m.Bottom;
    Integer x = GetLeft();
    if (FAlignment == taRightJustify) x += GetWidth() - w;
    SetBounds(x, GetTop(), w, h);
}

void TCustomStaticText::SetAutoSize(bool Value) {
    if (GetAutoSize() == Value) return;
    TControl::SetAutoSize(Value);
    AdjustBounds();
}

void TCustomStaticText::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomStaticText::SetBorderStyle(TStaticBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
    FrameChanged();
    AdjustBounds();
}

void TCustomStaticText::SetShowAccelChar(bool Value) {
    if (FShowAccelChar == Value) return;
    FShowAccelChar = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomStaticText::SetFocusControl(TWinControl* Value) {
    lumora_paint::SetLinkedControl(this, FFocusControl, Value);
}

void TCustomStaticText::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomStaticText::Loaded() {
    TCustomControl::Loaded();
    AdjustBounds();
}

void TCustomStaticText::CMTextChanged(TMessage& Message) {
    Invalidate();
    AdjustBounds();
}

void TCustomStaticText::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    AdjustBounds();
}

void TCustomStaticText::CMDialogChar(TMessage& Message) {
    if (lumora_paint::FocusByAccelerator(FFocusControl, GetEnabled(), FShowAccelChar, Word(Message.WParam),
                                         GetCaption())) {
        Message.Result = 1;
        return;
    }
    TCustomControl::CMDialogChar(Message);
}
