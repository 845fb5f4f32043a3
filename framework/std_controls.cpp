#include "framework/std_controls.h"

#include <algorithm>
#include <cmath>

#include "framework/forms.h"
#include "framework/math_utils.h"
#include "framework/control_paint.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"
#include "framework/window_backend.h"
#include "framework/windows_gdi.h"

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
    if (lumora_paint::FocusByAccelerator(FFocusControl, GetEnabled(), FShowAccelChar, Word(Message.WParam), GetCaption()))
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
    UINT flags = DT_EXPANDTABS | DT_WORDBREAK | lumora_paint::AlignmentFlags(FAlignment) | (FShowAccelChar ? 0 : DT_NOPREFIX);
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

void TCustomStaticText::SetFocusControl(TWinControl* Value) { lumora_paint::SetLinkedControl(this, FFocusControl, Value); }

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
    if (lumora_paint::FocusByAccelerator(FFocusControl, GetEnabled(), FShowAccelChar, Word(Message.WParam), GetCaption())) {
        Message.Result = 1;
        return;
    }
    TCustomControl::CMDialogChar(Message);
}

// ---- TButtonControl --------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks, csOpaque});
    SetTabStop(true);
}

TControlActionLink* TButtonControl::CreateActionLink() { return new TButtonActionLink(this); }

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) {
    TCustomControl::ActionChange(Sender, CheckDefaults);
    if (auto* a = dynamic_cast<TCustomAction*>(Sender)) {
        if (!CheckDefaults || !GetChecked()) {
            DisableClicks();
            SetChecked(a->GetChecked());
            EnableClicks();
        }
    }
}

TButtonActionLink::TButtonActionLink(TButtonControl* AClient) : TControlActionLink(AClient), FButton(AClient) {}

bool TButtonActionLink::IsCheckedLinked() {
    return TControlActionLink::IsCheckedLinked() && FButton->GetChecked() == CustomAction()->GetChecked();
}

void TButtonActionLink::SetChecked(bool Value) {
    if (!IsCheckedLinked() && FButton->GetChecked() == Value) return;
    FButton->DisableClicks();
    FButton->SetChecked(Value);
    FButton->EnableClicks();
}

void TButtonControl::SetWordWrap(bool Value) {
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    Invalidate();
}

void TButtonControl::SetPressed(bool Value) {
    if (FPressed == Value) return;
    FPressed = Value;
    Invalidate();
}

void TButtonControl::WMLButtonDown(TMessage& Message) {
    if (CanFocus() && !Focused()) SetFocus();
    if (!lumora_detail::IsLiveControl(this)) return;
    FMouseTracking = true;
    SetMouseCapture(true);
    SetPressed(true);
    TCustomControl::WMLButtonDown(Message);
}

void TButtonControl::WMLButtonDblClk(TMessage& Message) {
    // A second click is a click again (it does not make a double click of the button).
    if (CanFocus() && !Focused()) SetFocus();
    if (!lumora_detail::IsLiveControl(this)) return;
    FMouseTracking = true;
    SetMouseCapture(true);
    SetPressed(true);
    TCustomControl::WMLButtonDblClk(Message);
}

void TButtonControl::WMMouseMove(TMessage& Message) {
    if (FMouseTracking) {
        TPoint p = MessagePoint(Message);
        TRect r = GetClientRect();
        SetPressed(PtInRect(&r, p));
    }
    TCustomControl::WMMouseMove(Message);
}

void TButtonControl::WMLButtonUp(TMessage& Message) {
    bool click = false;
    if (FMouseTracking) {
        FMouseTracking = false;
        TPoint p = MessagePoint(Message);
        TRect r = GetClientRect();
        click = FPressed && PtInRect(&r, p);
        SetPressed(false);
        SetMouseCapture(false);
    }
    if (click) ButtonClicked();
    if (lumora_detail::IsLiveControl(this)) TCustomControl::WMLButtonUp(Message);
}

void TButtonControl::WMKeyDown(TMessage& Message) {
    if (DoKeyDown(Message)) return;
    if (Word(Message.WParam) == VK_SPACE) {
        if (!(Message.LParam & KF_REPEAT)) {
            FSpaceDown = true;
            SetPressed(true);
        }
        return;
    }
    DefaultHandler(Message);
}

void TButtonControl::WMKeyUp(TMessage& Message) {
    if (DoKeyUp(Message)) return;
    if (Word(Message.WParam) == VK_SPACE && FSpaceDown) {
        FSpaceDown = false;
        bool click = FPressed;
        SetPressed(false);
        if (click) ButtonClicked();
        return;
    }
    DefaultHandler(Message);
}

void TButtonControl::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    Invalidate();
}

void TButtonControl::WMKillFocus(TMessage& Message) {
    FSpaceDown = false;
    if (!FMouseTracking) SetPressed(false);
    TCustomControl::WMKillFocus(Message);
    Invalidate();
}

void TButtonControl::WMCancelMode(TMessage& Message) {
    FMouseTracking = false;
    FSpaceDown = false;
    SetPressed(false);
    TCustomControl::WMCancelMode(Message);
}

void TButtonControl::CMEnabledChanged(TMessage& Message) {
    FMouseTracking = false;
    FSpaceDown = false;
    FPressed = false;
    TCustomControl::CMEnabledChanged(Message);
}

void TButtonControl::CMTextChanged(TMessage& Message) { Invalidate(); }

void TButtonControl::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    Invalidate();
}

void TButtonControl::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TButtonControl::DrawCaption(TCanvas* Canvas, TRect R, UINT Flags, bool Enabled) {
    Canvas->SetFont(GetFont());
    Canvas->GetBrush()->SetStyle(bsClear);
    std::string text = GetCaption();
    if (Enabled) {
        DrawText(Canvas->GetHandle(), text, &R, Flags);
        return;
    }
    TRect r = R;
    OffsetRect(&r, 1, 1);
    Canvas->GetFont()->SetColor(clBtnHighlight);
    DrawText(Canvas->GetHandle(), text, &r, Flags);
    Canvas->GetFont()->SetColor(clBtnShadow);
    DrawText(Canvas->GetHandle(), text, &R, Flags);
}

// ---- TCustomButton ---------------------------------------------------------------------------

TCustomButton::TCustomButton(TComponent* AOwner) : TButtonControl(AOwner) {
    SetBounds(0, 0, 75, 25);
    SetColor(clBtnFace);
}

void TCustomButton::Click() {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TCustomButton::SetDefault(bool Value) {
    FDefault = Value;
    TCustomForm* form = GetParentForm(this);
    TWinControl* focused = form ? form->GetActiveControl() : nullptr;
    if (dynamic_cast<TCustomButton*>(focused))
        FActive = focused == this;
    else
        FActive = FDefault;
    Invalidate();
}

void TCustomButton::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    c->GetBrush()->SetColor(GetColor());
    c->GetBrush()->SetStyle(bsSolid);
    c->FillRect(r);
    bool down = GetPressed();
    bool framed = FActive || Focused();
    if (framed) {
        c->GetBrush()->SetColor(clWindowFrame);
        c->FrameRect(r);
        InflateRect(&r, -1, -1);
    }
    if (down && framed) {
        c->GetBrush()->SetColor(clBtnShadow);
        c->FrameRect(r);
        InflateRect(&r, -1, -1);
    } else {
        DrawFrameControl(c->GetHandle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (down ? DFCS_PUSHED : 0));
    }
    c->GetBrush()->SetColor(GetColor());
    DrawFace(c, r, down);
    if (Focused()) {
        TRect f = GetClientRect();
        InflateRect(&f, -4, -4);
        c->GetBrush()->SetStyle(bsSolid);
        c->GetFont()->SetColor(clBtnText);
        c->GetBrush()->SetColor(clBtnFace);
        c->DrawFocusRect(f);
    }
}

void TCustomButton::DrawFace(TCanvas* Canvas, TRect R, bool Down) {
    if (Down) OffsetRect(&R, 1, 1);
    UINT flags = DT_CENTER | (GetWordWrap() ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
    if (GetWordWrap()) {
        TRect calc = R;
        DrawText(lumora_paint::MeasureCanvas(GetFont())->GetHandle(), GetCaption(), &calc, flags | DT_CALCRECT);
        OffsetRect(&R, 0, (R.Height() - calc.Height()) / 2);
    }
    DrawCaption(Canvas, R, flags, GetEnabled());
}

void TCustomButton::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_BUTTON | (FActive ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

void TCustomButton::CMDialogKey(TMessage& Message) {
    Word key = Word(Message.WParam);
    if (((key == VK_RETURN && FActive) || (key == VK_ESCAPE && FCancel)) && KeyDataToShiftState(Message.LParam).Empty() &&
        CanFocus()) {
        Click();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogKey(Message);
}

void TCustomButton::CMDialogChar(TMessage& Message) {
    if (IsAccel(Word(Message.WParam), GetCaption()) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

void TCustomButton::CMFocusChanged(TMessage& Message) {
    auto* sender = reinterpret_cast<TWinControl*>(Message.LParam);
    bool active = dynamic_cast<TCustomButton*>(sender) ? sender == this : FDefault;
    if (active != FActive) {
        FActive = active;
        Invalidate();
    }
    TButtonControl::CMFocusChanged(Message);
}

// ---- TButtonGlyph ----------------------------------------------------------------------------

TButtonGlyph::TButtonGlyph() : FGlyph(new TBitmap) {
    FGlyph->OnChange = [this](TObject*) {
        if (OnChange) OnChange();
    };
}

TButtonGlyph::~TButtonGlyph() { delete FGlyph; }

void TButtonGlyph::SetGlyph(TBitmap* Value) {
    if (Value)
        FGlyph->Assign(Value);
    else
        FGlyph->Assign(nullptr);
    if (Value && Value->GetHeight() > 0 && Value->GetWidth() % Value->GetHeight() == 0) {
        Integer n = Value->GetWidth() / Value->GetHeight();
        if (n >= 1 && n <= 4) FNumGlyphs = n;
    }
    if (OnChange) OnChange();
}

void TButtonGlyph::SetNumGlyphs(TNumGlyphs Value) {
    Value = std::clamp(Value, 1, 4);
    if (FNumGlyphs == Value) return;
    FNumGlyphs = Value;
    if (OnChange) OnChange();
}

bool TButtonGlyph::Empty() const { return FGlyph->GetEmpty(); }

TSize TButtonGlyph::ImageSize() const {
    if (Empty()) return {0, 0};
    return {FGlyph->GetWidth() / FNumGlyphs, FGlyph->GetHeight()};
}

void TButtonGlyph::DrawGlyph(TCanvas* Canvas, TPoint At, TButtonState State) {
    TSize sz = ImageSize();
    if (sz.cx <= 0 || sz.cy <= 0) return;
    Integer index = Integer(State);
    if (index >= FNumGlyphs) index = 0;
    TColor key = TColor(ColorToRGB(FGlyph->GetCanvas()->GetPixels(0, FGlyph->GetHeight() - 1)));
    HDC src = FGlyph->GetCanvas()->GetHandle();
    HDC dst = Canvas->GetHandle();
    if (State == bsDisabled && FNumGlyphs < 2) {
        // Embossed: the image's shape in highlight, one pixel down and right, then in shadow.
        for (int pass = 0; pass < 2; ++pass) {
            TColor colour = pass == 0 ? clBtnHighlight : clBtnShadow;
            Integer d = pass == 0 ? 1 : 0;
            for (Integer y = 0; y < sz.cy; ++y)
                for (Integer x = 0; x < sz.cx; ++x) {
                    TColor p = TColor(ColorToRGB(FGlyph->GetCanvas()->GetPixels(x, y)));
                    if (p == key) continue;
                    // Only the darker pixels make the shape, as on the classic look.
                    Integer lum = (GetRValue(p) * 30 + GetGValue(p) * 59 + GetBValue(p) * 11) / 100;
                    if (lum > 192) continue;
                    Canvas->SetPixels(At.X + x + d, At.Y + y + d, colour);
                }
        }
        return;
    }
    TransparentBlt(dst, At.X, At.Y, sz.cx, sz.cy, src, index * sz.cx, 0, sz.cx, sz.cy, COLORREF(key) & 0xFFFFFF);
}

TRect TButtonGlyph::Draw(TCanvas* Canvas, const TRect& Client, TPoint Offset, const std::string& Caption,
                         TButtonLayout Layout, Integer Margin, Integer Spacing, TButtonState State, bool Transparent,
                         bool ShowAccel) {
    Canvas->SetFont(Canvas->GetFont());
    TRect textBounds{0, 0, Client.Width(), 0};
    TSize textSize{0, 0};
    if (!Caption.empty()) {
        DrawText(Canvas->GetHandle(), Caption, &textBounds, DT_CALCRECT | DT_SINGLELINE | (ShowAccel ? 0 : DT_NOPREFIX));
        textSize = {textBounds.Right - textBounds.Left, textBounds.Bottom - textBounds.Top};
    }
    TSize glyph = ImageSize();
    TPoint clientSize{Client.Width(), Client.Height()};
    TPoint glyphPos, textPos;
    bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    if (horizontal) {
        glyphPos.Y = (clientSize.Y - glyph.cy + 1) / 2;
        textPos.Y = (clientSize.Y - textSize.cy + 1) / 2;
    } else {
        glyphPos.X = (clientSize.X - glyph.cx + 1) / 2;
        textPos.X = (clientSize.X - textSize.cx + 1) / 2;
    }
    if (textSize.cx == 0 || glyph.cx == 0) Spacing = 0;
    Integer gAxis = horizontal ? glyph.cx : glyph.cy;
    Integer tAxis = horizontal ? textSize.cx : textSize.cy;
    Integer cAxis = horizontal ? clientSize.X : clientSize.Y;
    if (Margin == -1) {
        if (Spacing == -1) {
            Integer total = gAxis + tAxis;
            Margin = (cAxis - total) / 3;
            Spacing = Margin;
        } else {
            Integer total = gAxis + Spacing + tAxis;
            Margin = (cAxis - total + 1) / 2;
        }
    } else if (Spacing == -1) {
        Integer total = cAxis - (Margin + gAxis);
        Spacing = (total - tAxis) / 2;
    }
    switch (Layout) {
    case blGlyphLeft:
        glyphPos.X = Margin;
        textPos.X = glyphPos.X + glyph.cx + Spacing;
        break;
    case blGlyphRight:
        glyphPos.X = clientSize.X - Margin - glyph.cx;
        textPos.X = glyphPos.X - Spacing - textSize.cx;
        break;
    case blGlyphTop:
        glyphPos.Y = Margin;
        textPos.Y = glyphPos.Y + glyph.cy + Spacing;
        break;
    case blGlyphBottom:
        glyphPos.Y = clientSize.Y - Margin - glyph.cy;
        textPos.Y = glyphPos.Y - Spacing - textSize.cy;
        break;
    }
    glyphPos = {glyphPos.X + Client.Left + Offset.X, glyphPos.Y + Client.Top + Offset.Y};
    textPos = {textPos.X + Client.Left + Offset.X, textPos.Y + Client.Top + Offset.Y};
    DrawGlyph(Canvas, glyphPos, State);
    TRect textRect{textPos.X, textPos.Y, textPos.X + textSize.cx, textPos.Y + textSize.cy};
    Canvas->GetBrush()->SetStyle(bsClear);
    UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | (ShowAccel ? 0 : DT_NOPREFIX);
    if (State == bsDisabled) {
        TRect r = textRect;
        OffsetRect(&r, 1, 1);
        TColor old = Canvas->GetFont()->GetColor();
        Canvas->GetFont()->SetColor(clBtnHighlight);
        DrawText(Canvas->GetHandle(), Caption, &r, flags);
        Canvas->GetFont()->SetColor(clBtnShadow);
        DrawText(Canvas->GetHandle(), Caption, &textRect, flags);
        Canvas->GetFont()->SetColor(old);
    } else {
        DrawText(Canvas->GetHandle(), Caption, &textRect, flags);
    }
    return textRect;
}

// ---- TBitBtn ---------------------------------------------------------------------------------

namespace {

struct KindInfo {
    const char* Caption;
    TModalResult Result;
};

const KindInfo& InfoOf(TBitBtnKind k) {
    static const KindInfo table[] = {
        {"", mrNone},       {"OK", mrOk},         {"Cancel", mrCancel}, {"&Help", mrNone},
        {"&Yes", mrYes},    {"&No", mrNo},        {"&Close", mrNone},   {"Abort", mrAbort},
        {"&Retry", mrRetry}, {"&Ignore", mrIgnore}, {"&All", mrAll},
    };
    return table[int(k)];
}

}  // namespace

TBitBtn::TBitBtn(TComponent* AOwner) : TCustomButton(AOwner) {
    FGlyph.OnChange = [this] { Invalidate(); };
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::Click() {
    if (FKind == bkClose) {
        if (TCustomForm* form = GetParentForm(this)) {
            form->Close();
            return;
        }
    } else if (FKind == bkHelp) {
        TControl* c = this;
        while (c && c->GetHelpContext() == 0) c = c->GetParent();
        if (c) {
            Application->HelpContext(c->GetHelpContext());
            return;
        }
    }
    TCustomButton::Click();
}

void TBitBtn::SetGlyph(TBitmap* Value) {
    FGlyph.SetGlyph(Value);
    if (Value && !IsLoading()) FKind = bkCustom;
}

void TBitBtn::SetNumGlyphs(TNumGlyphs Value) { FGlyph.SetNumGlyphs(Value); }

void TBitBtn::SetKind(TBitBtnKind Value) {
    if (FKind == Value) return;
    FKind = Value;
    if (Value == bkCustom) return;
    const KindInfo& info = InfoOf(Value);
    SetCaption(info.Caption);
    SetModalResult(info.Result);
    if (Value == bkOK || Value == bkYes) SetDefault(true);
    if (Value == bkCancel || Value == bkNo) SetCancel(true);
    TBitmap glyph;
    lumora_paint::KindGlyph(int(Value), &glyph);
    FGlyph.SetGlyph(glyph.GetEmpty() ? nullptr : &glyph);
    FKind = Value;
}

void TBitBtn::SetLayout(TButtonLayout Value) {
    if (FLayout == Value) return;
    FLayout = Value;
    Invalidate();
}

void TBitBtn::SetMargin(Integer Value) {
    if (FMargin == Value || Value < -1) return;
    FMargin = Value;
    Invalidate();
}

void TBitBtn::SetSpacing(Integer Value) {
    if (FSpacing == Value) return;
    FSpacing = Value;
    Invalidate();
}

void TBitBtn::DrawFace(TCanvas* Canvas, TRect R, bool Down) {
    Canvas->SetFont(GetFont());
    TButtonState state = !GetEnabled() ? bsDisabled : Down ? bsDown : bsUp;
    FGlyph.Draw(Canvas, R, Down ? TPoint{1, 1} : TPoint{0, 0}, GetCaption(), FLayout, FMargin, FSpacing, state, true, true);
}

// ---- TSpeedButton ----------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 23, 22);
    SetControlStyle(TControlStyle{csCaptureMouse, csDoubleClicks});
    SetParentFont(true);
    SetColor(clBtnFace);
    FGlyph.OnChange = [this] { Invalidate(); };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::Click() { TGraphicControl::Click(); }

TControlActionLink* TSpeedButton::CreateActionLink() { return new TSpeedButtonActionLink(this); }

void TSpeedButton::ActionChange(TObject* Sender, bool CheckDefaults) {
    TGraphicControl::ActionChange(Sender, CheckDefaults);
    if (auto* a = dynamic_cast<TCustomAction*>(Sender)) {
        if (!CheckDefaults || FGroupIndex == 0) SetGroupIndex(a->GetGroupIndex());
        if (!CheckDefaults || !FDown) SetDown(a->GetChecked());
    }
}

TSpeedButtonActionLink::TSpeedButtonActionLink(TSpeedButton* AClient) : TControlActionLink(AClient), FButton(AClient) {}

bool TSpeedButtonActionLink::IsCheckedLinked() {
    return TControlActionLink::IsCheckedLinked() && FButton->GetGroupIndex() != 0 &&
           FButton->GetDown() == CustomAction()->GetChecked();
}

bool TSpeedButtonActionLink::IsGroupIndexLinked() {
    return TControlActionLink::IsGroupIndexLinked() && FButton->GetGroupIndex() == CustomAction()->GetGroupIndex();
}

void TSpeedButtonActionLink::SetChecked(bool Value) {
    if (IsCheckedLinked()) return;
    bool allUp = FButton->GetAllowAllUp();
    if (!Value) FButton->SetAllowAllUp(true);
    FButton->SetDown(Value);
    if (!Value) FButton->SetAllowAllUp(allUp);
}

void TSpeedButtonActionLink::SetGroupIndex(Integer Value) {
    if (IsGroupIndexLinked()) FButton->SetGroupIndex(Value);
}

void TSpeedButton::Paint() {
    if (!GetEnabled()) {
        FState = bsDisabled;
        FDragging = false;
    } else if (FState == bsDisabled) {
        FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    }
    TCanvas* c = GetCanvas();
    c->SetFont(GetFont());
    TRect r{0, 0, GetWidth(), GetHeight()};
    bool down = FState == bsDown || FState == bsExclusive;
    if (!FFlat) {
        c->GetBrush()->SetColor(GetColor());
        c->GetBrush()->SetStyle(bsSolid);
        DrawFrameControl(c->GetHandle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (down ? DFCS_PUSHED : 0));
    } else {
        if (down || (FMouseInControl && FState != bsDisabled)) {
            if (!FTransparent) {
                c->GetBrush()->SetColor(GetColor());
                c->GetBrush()->SetStyle(bsSolid);
            }
            DrawEdge(c->GetHandle(), &r, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, (FTransparent ? 0 : BF_MIDDLE) | BF_RECT);
        } else if (!FTransparent) {
            c->GetBrush()->SetColor(GetColor());
            c->GetBrush()->SetStyle(bsSolid);
            c->FillRect(r);
        }
        InflateRect(&r, -1, -1);
    }
    TPoint offset{0, 0};
    if (down) {
        if (FState == bsExclusive && (!FFlat || !FMouseInControl)) {
            TBitmap* pattern = lumora_paint::PatternBitmap(clBtnFace, clBtnHighlight);
            c->GetBrush()->SetBitmap(pattern);
            c->FillRect(r);
            c->GetBrush()->SetBitmap(nullptr);
        }
        offset = {1, 1};
    }
    FGlyph.Draw(c, r, offset, GetCaption(), FLayout, FMargin, FSpacing, FState, FTransparent, true);
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && GetEnabled()) {
        if (!FDown) {
            FState = bsDown;
            Invalidate();
        }
        FDragging = true;
    }
}

void TSpeedButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging) return;
    TButtonState state = FDown ? bsExclusive : bsUp;
    if (X >= 0 && X < GetClientWidth() && Y >= 0 && Y <= GetClientHeight()) state = FDown ? bsExclusive : bsDown;
    if (state != FState) {
        FState = state;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging) return;
    FDragging = false;
    bool doClick = X >= 0 && X < GetClientWidth() && Y >= 0 && Y <= GetClientHeight();
    if (FGroupIndex == 0) {
        FState = bsUp;
        FMouseInControl = false;
        if (doClick) Invalidate();
    } else if (doClick) {
        SetDown(!FDown);
        if (FDown) Invalidate();
    } else {
        if (FDown) FState = bsExclusive;
        Invalidate();
    }
    if (doClick) Click();
}

void TSpeedButton::SetDown(bool Value) {
    if (FGroupIndex == 0) Value = false;
    if (Value == FDown) return;
    if (FDown && !FAllowAllUp) return;
    FDown = Value;
    if (Value) {
        if (FState == bsUp) Invalidate();
        FState = bsExclusive;
    } else {
        FState = bsUp;
        Invalidate();
    }
    if (Value) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
    if (FAllowAllUp == Value) return;
    FAllowAllUp = Value;
    UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(Integer Value) {
    if (FGroupIndex == Value) return;
    FGroupIndex = Value;
    UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
    if (FGroupIndex == 0 || !GetParent()) return;
    TMessage m{CM_BUTTONPRESSED, WPARAM(FGroupIndex), reinterpret_cast<LPARAM>(this), 0};
    GetParent()->Broadcast(m);
}

void TSpeedButton::CMButtonPressed(TMessage& Message) {
    if (Integer(Message.WParam) != FGroupIndex) return;
    auto* sender = reinterpret_cast<TSpeedButton*>(Message.LParam);
    if (sender == this) return;
    if (sender->GetDown() && FDown) {
        FDown = false;
        FState = bsUp;
        Invalidate();
    }
    FAllowAllUp = sender->GetAllowAllUp();
}

void TSpeedButton::SetFlat(bool Value) {
    if (FFlat == Value) return;
    FFlat = Value;
    Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* Value) { FGlyph.SetGlyph(Value); }
void TSpeedButton::SetNumGlyphs(TNumGlyphs Value) { FGlyph.SetNumGlyphs(Value); }

void TSpeedButton::SetLayout(TButtonLayout Value) {
    if (FLayout == Value) return;
    FLayout = Value;
    Invalidate();
}

void TSpeedButton::SetMargin(Integer Value) {
    if (FMargin == Value || Value < -1) return;
    FMargin = Value;
    Invalidate();
}

void TSpeedButton::SetSpacing(Integer Value) {
    if (FSpacing == Value) return;
    FSpacing = Value;
    Invalidate();
}

void TSpeedButton::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    TControlStyle s = GetControlStyle();
    if (Value)
        s.Exclude(csOpaque);
    else
        s.Include(csOpaque);
    SetControlStyle(s);
    Invalidate();
}

void TSpeedButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_BUTTONPRESSED: CMButtonPressed(Message); return;
    case CM_DIALOGCHAR: CMDialogChar(Message); return;
    default: TGraphicControl::Dispatch(Message);
    }
}

void TSpeedButton::CMMouseEnter(TMessage& Message) {
    TGraphicControl::CMMouseEnter(Message);
    if (Message.LParam == 0 && !FMouseInControl && GetEnabled()) {
        FMouseInControl = true;
        if (FFlat) Invalidate();
    }
}

void TSpeedButton::CMMouseLeave(TMessage& Message) {
    TGraphicControl::CMMouseLeave(Message);
    if (Message.LParam == 0 && FMouseInControl && GetEnabled() && !FDragging) {
        FMouseInControl = false;
        if (FFlat) Invalidate();
    }
}

void TSpeedButton::CMEnabledChanged(TMessage& Message) {
    if (!GetEnabled()) FMouseInControl = false;
    TGraphicControl::CMEnabledChanged(Message);
}

void TSpeedButton::CMDialogChar(TMessage& Message) {
    if (IsAccel(Word(Message.WParam), GetCaption()) && GetEnabled() && GetVisible() && GetParent() &&
        GetParent()->GetShowing()) {
        Click();
        Message.Result = 1;
    }
}

// ---- Check boxes and radio buttons -----------------------------------------------------------

namespace {

// Draws a check or radio box with its caption: the box at the side Alignment leaves free.
void PaintCheckControl(TButtonControl* Control, TCanvas* C, UINT BoxFlags, TAlignment Alignment, bool Focused,
                       const std::function<void(TCanvas*, TRect, UINT, bool)>& DrawCaptionFn) {
    TRect r = Control->GetClientRect();
    C->GetBrush()->SetColor(Control->GetColor());
    C->GetBrush()->SetStyle(bsSolid);
    C->FillRect(r);
    const Integer box = 13;
    Integer top = (r.Height() - box) / 2;
    TRect boxRect = Alignment == taRightJustify ? TRect{0, top, box, top + box} : TRect{r.Right - box, top, r.Right, top + box};
    if (!Control->GetEnabled()) BoxFlags |= DFCS_INACTIVE;
    DrawFrameControl(C->GetHandle(), &boxRect, DFC_BUTTON, BoxFlags);
    C->SetFont(Control->GetFont());
    TRect text = Alignment == taRightJustify ? TRect{box + 4, 0, r.Right, r.Bottom} : TRect{0, 0, r.Right - box - 4, r.Bottom};
    TRect calc{0, 0, text.Width(), 0};
    std::string caption = Control->GetCaption();
    DrawText(lumora_paint::MeasureCanvas(Control->GetFont())->GetHandle(), caption.empty() ? " " : caption, &calc,
             DT_CALCRECT | DT_SINGLELINE);
    Integer ty = (r.Height() - calc.Height()) / 2;
    TRect textRect{text.Left, ty, text.Left + calc.Width(), ty + calc.Height()};
    if (Alignment != taRightJustify) OffsetRect(&textRect, text.Width() - calc.Width(), 0);
    DrawCaptionFn(C, textRect, DT_SINGLELINE | DT_LEFT | DT_VCENTER, Control->GetEnabled());
    if (Focused && !caption.empty()) {
        TRect f = textRect;
        InflateRect(&f, 1, 1);
        IntersectRect(&f, &f, &r);
        C->GetBrush()->SetStyle(bsSolid);
        C->GetBrush()->SetColor(Control->GetColor());
        C->GetFont()->SetColor(clBtnText);
        C->DrawFocusRect(f);
    }
}

}  // namespace

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
    SetBounds(0, 0, 97, 17);
    SetParentColor(true);
}

void TCustomCheckBox::SetAlignment(TLeftRight Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
    if (FState == Value) return;
    FState = Value;
    Invalidate();
    if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }

void TCustomCheckBox::Toggle() {
    switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

void TCustomCheckBox::Paint() {
    UINT flags = DFCS_BUTTONCHECK;
    if (FState == cbChecked) flags |= DFCS_CHECKED;
    if (FState == cbGrayed) flags |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (GetPressed()) flags |= DFCS_PUSHED;
    PaintCheckControl(this, GetCanvas(), flags, FAlignment, Focused(),
                      [this](TCanvas* c, TRect r, UINT f, bool e) { DrawCaption(c, r, f, e); });
}

void TCustomCheckBox::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_BUTTON; }

void TCustomCheckBox::CMDialogChar(TMessage& Message) {
    if (IsAccel(Word(Message.WParam), GetCaption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
    SetBounds(0, 0, 113, 17);
    SetParentColor(true);
    SetTabStop(false);
}

void TRadioButton::SetAlignment(TLeftRight Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TRadioButton::SetChecked(bool Value) {
    if (FChecked == Value) return;
    FChecked = Value;
    SetTabStop(Value);
    Invalidate();
    if (!Value) return;
    if (TWinControl* p = GetParent())
        for (int i = 0; i < p->GetControlCount(); ++i)
            if (auto* sibling = dynamic_cast<TRadioButton*>(p->GetControl(i)); sibling && sibling != this)
                sibling->SetChecked(false);
    Changed();
    if (!ClicksDisabled()) Click();
}

void TRadioButton::Paint() {
    UINT flags = DFCS_BUTTONRADIO | (FChecked ? DFCS_CHECKED : 0) | (GetPressed() ? DFCS_PUSHED : 0);
    PaintCheckControl(this, GetCanvas(), flags, FAlignment, Focused(),
                      [this](TCanvas* c, TRect r, UINT f, bool e) { DrawCaption(c, r, f, e); });
}

void TRadioButton::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_BUTTON | DLGC_RADIOBUTTON; }

void TRadioButton::WMSetFocus(TMessage& Message) {
    TButtonControl::WMSetFocus(Message);
    // Reaching a radio button with the arrow keys checks it.
    bool arrows = GetKeyState(VK_LEFT) < 0 || GetKeyState(VK_RIGHT) < 0 || GetKeyState(VK_UP) < 0 || GetKeyState(VK_DOWN) < 0;
    if (arrows && !FChecked && lumora_detail::IsLiveControl(this)) SetChecked(true);
}

void TRadioButton::CMDialogChar(TMessage& Message) {
    if (IsAccel(Word(Message.WParam), GetCaption()) && CanFocus()) {
        SetFocus();
        if (Focused()) SetChecked(true);
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

// ---- TCustomGroupBox -------------------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                                  csReplicatable});
    SetBounds(0, 0, 185, 105);
    SetParentColor(true);
}

void TCustomGroupBox::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    c->GetBrush()->SetColor(GetColor());
    c->GetBrush()->SetStyle(bsSolid);
    c->FillRect(r);
    c->SetFont(GetFont());
    Integer h = c->TextHeight("0");
    TRect frame{0, h / 2 - 1, r.Right, r.Bottom};
    DrawEdge(c->GetHandle(), &frame, GetCtl3D() ? EDGE_ETCHED : BDR_SUNKENOUTER, BF_RECT | (GetCtl3D() ? 0 : BF_MONO));
    std::string text = GetCaption();
    if (text.empty()) return;
    TRect tr{0, 0, 0, 0};
    DrawText(c->GetHandle(), text, &tr, DT_CALCRECT | DT_SINGLELINE);
    OffsetRect(&tr, 8, 0);
    c->GetBrush()->SetColor(GetColor());
    c->FillRect({tr.Left - 1, tr.Top, tr.Right + 1, tr.Bottom});
    c->GetBrush()->SetStyle(bsClear);
    if (!GetEnabled()) {
        TRect s = tr;
        OffsetRect(&s, 1, 1);
        c->GetFont()->SetColor(clBtnHighlight);
        DrawText(c->GetHandle(), text, &s, DT_SINGLELINE | DT_LEFT);
        c->GetFont()->SetColor(clBtnShadow);
    }
    DrawText(c->GetHandle(), text, &tr, DT_SINGLELINE | DT_LEFT);
}

TRect TCustomGroupBox::GetClientRectForAlign() {
    TRect r = GetClientRect();
    r.Top += lumora_paint::MeasureCanvas(GetFont())->TextHeight("0");
    InflateRect(&r, -1, -1);
    if (GetCtl3D()) InflateRect(&r, -1, -1);
    return r;
}

void TCustomGroupBox::CMDialogChar(TMessage& Message) {
    if (IsAccel(Word(Message.WParam), GetCaption()) && CanFocus()) {
        if (TWinControl* first = FindNextControl(nullptr, true, true, false)) first->SetFocus();
        Message.Result = 1;
        return;
    }
    TCustomControl::CMDialogChar(Message);
}

void TCustomGroupBox::CMTextChanged(TMessage& Message) {
    Invalidate();
    Realign();
}

void TCustomGroupBox::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    Realign();
}

// ---- TCustomRadioGroup -----------------------------------------------------------------------

// A radio button of a radio group.
class TGroupButton : public TRadioButton {
    LUMORA_CLASS(TGroupButton, TRadioButton)
public:
    explicit TGroupButton(TComponent* AOwner) : TRadioButton(AOwner) {}
    TCustomRadioGroup* Group() const { return dynamic_cast<TCustomRadioGroup*>(GetParent()); }
    void Click() override {
        if (FInClick) return;
        FInClick = true;
        try {
            TCustomRadioGroup* g = Group();
            if (g && !g->IsLoading() && !g->FUpdating) TRadioButton::Click();
            if (g) g->ButtonClick(this);
        } catch (...) {
            Application->HandleException(this);
        }
        FInClick = false;
    }

protected:
    void KeyPress(Char& Key) override {
        if (TCustomRadioGroup* g = Group()) {
            if (g->OnKeyPress) g->OnKeyPress(g, Key);
            if ((Key == 8 || Key == U' ') && !g->CanModify()) Key = 0;
        }
        TRadioButton::KeyPress(Key);
    }
    void KeyDown(Word& Key, TShiftState Shift) override {
        if (TCustomRadioGroup* g = Group(); g && g->OnKeyDown) g->OnKeyDown(g, Key, Shift);
        TRadioButton::KeyDown(Key, Shift);
    }
    void ButtonClicked() override {
        TCustomRadioGroup* g = Group();
        if (g && !g->CanModify()) return;
        TRadioButton::ButtonClicked();
    }

private:
    bool FInClick = false;
};

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner), FItems(new TStringList) {
    SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks, csAcceptsControls});
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomRadioGroup::~TCustomRadioGroup() {
    FItems->OnChange = nullptr;
    delete FItems;
}

TStrings* TCustomRadioGroup::GetItems() const { return FItems; }

void TCustomRadioGroup::SetItems(TStrings* Value) { FItems->Assign(Value); }

TRadioButton* TCustomRadioGroup::GetButton(Integer Index) const {
    if (Index < 0 || Index >= Integer(FButtons.size())) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FButtons[size_t(Index)];
}

void TCustomRadioGroup::ItemsChanged() {
    if (IsLoading()) return;
    if (FItemIndex >= FItems->GetCount()) FItemIndex = FItems->GetCount() - 1;
    UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
    FUpdating = true;
    try {
        Integer n = FItems->GetCount();
        while (Integer(FButtons.size()) > n) {
            TRadioButton* b = FButtons.back();
            FButtons.pop_back();
            b->Free();
        }
        while (Integer(FButtons.size()) < n) {
            auto* b = new TGroupButton(this);
            b->SetVisible(false);
            b->SetEnabled(GetEnabled());
            b->SetParentShowHint(false);
            b->SetParent(this);
            FButtons.push_back(b);
        }
        for (Integer i = 0; i < n; ++i) {
            TRadioButton* b = FButtons[size_t(i)];
            b->SetCaption(FItems->Get(i));
            b->SetChecked(i == FItemIndex);
        }
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::ArrangeButtons() {
    if (FButtons.empty()) return;
    TCanvas* mc = lumora_paint::MeasureCanvas(GetFont());
    Integer th = mc->TextHeight("0");
    Integer columns = std::max(1, FColumns);
    Integer perCol = (Integer(FButtons.size()) + columns - 1) / columns;
    Integer buttonWidth = (GetWidth() - 10) / columns;
    Integer rest = GetHeight() - th - 5;
    Integer buttonHeight = rest / perCol;
    Integer topMargin = th + 1 + (rest % perCol) / 2;
    for (size_t i = 0; i < FButtons.size(); ++i) {
        TRadioButton* b = FButtons[i];
        Integer left = (Integer(i) / perCol) * buttonWidth + 8;
        b->SetBounds(left, (Integer(i) % perCol) * buttonHeight + topMargin, buttonWidth, buttonHeight);
        b->SetVisible(true);
    }
}

void TCustomRadioGroup::ButtonClick(TRadioButton* Button) {
    if (FUpdating) return;
    auto it = std::find(FButtons.begin(), FButtons.end(), Button);
    FItemIndex = it == FButtons.end() ? -1 : Integer(it - FButtons.begin());
    Changed();
    Click();
}

void TCustomRadioGroup::SetItemIndex(Integer Value) {
    if (IsLoading()) {
        FItemIndex = Value;
        return;
    }
    if (Value < -1) Value = -1;
    if (Value >= Integer(FButtons.size())) Value = Integer(FButtons.size()) - 1;
    if (FItemIndex == Value) return;
    if (FItemIndex >= 0) FButtons[size_t(FItemIndex)]->SetChecked(false);
    FItemIndex = Value;
    if (FItemIndex >= 0) FButtons[size_t(FItemIndex)]->SetChecked(true);
}

void TCustomRadioGroup::SetColumns(Integer Value) {
    Value = std::clamp(Value, 1, 16);
    if (FColumns == Value) return;
    FColumns = Value;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    UpdateButtons();
}

void TCustomRadioGroup::WMSize(TMessage& Message) {
    TCustomGroupBox::WMSize(Message);
    ArrangeButtons();
}

void TCustomRadioGroup::CMEnabledChanged(TMessage& Message) {
    TCustomGroupBox::CMEnabledChanged(Message);
    for (TRadioButton* b : FButtons) b->SetEnabled(GetEnabled());
}

void TCustomRadioGroup::CMFontChanged(TMessage& Message) {
    TCustomGroupBox::CMFontChanged(Message);
    ArrangeButtons();
}

// ---- TCustomPanel ----------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                  csDoubleClicks, csReplicatable});
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    lumora_paint::AddBorderStyle(Params, FBorderStyle, GetCtl3D());
}

Integer TCustomPanel::BevelSize() const {
    Integer s = 0;
    if (FBevelOuter != bvNone) s += FBevelWidth;
    if (FBevelInner != bvNone) s += FBevelWidth;
    return s;
}

void TCustomPanel::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    auto colours = [](TBevelCut bevel, TColor& top, TColor& bottom) {
        top = bevel == bvLowered ? clBtnShadow : clBtnHighlight;
        bottom = bevel == bvLowered ? clBtnHighlight : clBtnShadow;
    };
    TColor top, bottom;
    if (FBevelOuter != bvNone) {
        colours(FBevelOuter, top, bottom);
        Frame3D(c, r, top, bottom, FBevelWidth);
    }
    Frame3D(c, r, GetColor(), GetColor(), GetBorderWidth());
    if (FBevelInner != bvNone) {
        colours(FBevelInner, top, bottom);
        Frame3D(c, r, top, bottom, FBevelWidth);
    }
    c->GetBrush()->SetColor(GetColor());
    c->GetBrush()->SetStyle(bsSolid);
    c->FillRect(r);
    c->GetBrush()->SetStyle(bsClear);
    c->SetFont(GetFont());
    Integer fh = c->TextHeight("W");
    r.Top = (r.Bottom + r.Top - fh) / 2;
    r.Bottom = r.Top + fh;
    DrawText(c->GetHandle(), GetCaption(), &r, DT_EXPANDTABS | DT_VCENTER | lumora_paint::AlignmentFlags(FAlignment));
}

TRect TCustomPanel::GetClientRectForAlign() {
    TRect r = GetClientRect();
    Integer s = BevelSize();
    InflateRect(&r, -s, -s);
    return r;
}

void TCustomPanel::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
    if (FBevelInner == Value) return;
    FBevelInner = Value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
    if (FBevelOuter == Value) return;
    FBevelOuter = Value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(TBevelWidth Value) {
    if (FBevelWidth == Value || Value < 1) return;
    FBevelWidth = Value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
    FrameChanged();
    Invalidate();
}

void TCustomPanel::CMTextChanged(TMessage& Message) { Invalidate(); }

// ---- TBevel ----------------------------------------------------------------------------------

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
    if (FShape == Value) return;
    FShape = Value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas* c = GetCanvas();
    c->GetPen()->SetWidth(1);
    c->GetPen()->SetStyle(psSolid);
    TColor color1 = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor color2 = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    Integer w = GetWidth(), h = GetHeight();
    auto bevelRect = [&](TRect r) {
        c->GetPen()->SetColor(color1);
        c->Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
        c->GetPen()->SetColor(color2);
        c->Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}});
    };
    auto bevelLine = [&](TColor colour, Integer x1, Integer y1, Integer x2, Integer y2) {
        c->GetPen()->SetColor(colour);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    switch (FShape) {
    case bsBox: bevelRect({0, 0, w - 1, h - 1}); break;
    case bsFrame: {
        TColor t = color1;
        color1 = color2;
        bevelRect({1, 1, w - 1, h - 1});
        color2 = t;
        color1 = t;
        bevelRect({0, 0, w - 2, h - 2});
        break;
    }
    case bsTopLine:
        bevelLine(color1, 0, 0, w, 0);
        bevelLine(color2, 0, 1, w, 1);
        break;
    case bsBottomLine:
        bevelLine(color1, 0, h - 2, w, h - 2);
        bevelLine(color2, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        bevelLine(color1, 0, 0, 0, h);
        bevelLine(color2, 1, 0, 1, h);
        break;
    case bsRightLine:
        bevelLine(color1, w - 2, 0, w - 2, h);
        bevelLine(color2, w - 1, 0, w - 1, h);
        break;
    case bsSpacer: break;
    }
}

// ---- TShape ----------------------------------------------------------------------------------

TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner), FPen(new TPen), FBrush(new TBrush) {
    SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});
    SetBounds(0, 0, 65, 65);
    FPen->OnChange = [this](TObject*) { Invalidate(); };
    FBrush->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() {
    delete FPen;
    delete FBrush;
}

void TShape::SetBrush(TBrush* Value) { FBrush->Assign(Value); }
void TShape::SetPen(TPen* Value) { FPen->Assign(Value); }

void TShape::SetShape(TShapeType Value) {
    if (FShape == Value) return;
    FShape = Value;
    Invalidate();
}

void TShape::Paint() {
    TCanvas* c = GetCanvas();
    c->SetPen(FPen);
    c->SetBrush(FBrush);
    Integer pw = FPen->GetWidth();
    Integer x = pw / 2, y = x;
    Integer w = GetWidth() - pw + 1, h = GetHeight() - pw + 1;
    if (pw == 0) {
        --w;
        --h;
    }
    Integer s = std::min(w, h);
    if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = s;
        h = s;
    }
    switch (FShape) {
    case stRectangle:
    case stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: c->RoundRect(x, y, x + w, y + h, s / 4, s / 4); break;
    case stEllipse:
    case stCircle: c->Ellipse(x, y, x + w, y + h); break;
    }
}

// ---- TImage ----------------------------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture) {
    SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});
    FPicture->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() {
    FPicture->OnChange = nullptr;
    delete FPicture;
}

void TImage::SetPicture(TPicture* Value) { FPicture->Assign(Value); }

TCanvas* TImage::GetCanvas() {
    if (!FPicture->GetGraphic()) {
        TBitmap b;
        b.SetWidth(GetWidth());
        b.SetHeight(GetHeight());
        FPicture->SetGraphic(&b);
    }
    if (auto* bmp = dynamic_cast<TBitmap*>(FPicture->GetGraphic())) return bmp->GetCanvas();
    throw EInvalidOperation("Can only modify an image if it contains a bitmap");
}

TRect TImage::DestRect() {
    Integer w = FPicture->GetWidth(), h = FPicture->GetHeight();
    Integer cw = GetClientWidth(), ch = GetClientHeight();
    if (FStretch || (FProportional && (w > cw || h > ch))) {
        if (FProportional && w > 0 && h > 0) {
            double aspect = double(w) / double(h);
            if (w > h) {
                w = cw;
                h = Integer(std::trunc(cw / aspect));
                if (h > ch) {
                    h = ch;
                    w = Integer(std::trunc(ch * aspect));
                }
            } else {
                h = ch;
                w = Integer(std::trunc(ch * aspect));
                if (w > cw) {
                    w = cw;
                    h = Integer(std::trunc(cw / aspect));
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r{0, 0, w, h};
    if (FCenter) OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
    return r;
}

void TImage::Paint() {
    bool save = FDrawing;
    FDrawing = true;
    try {
        if (TGraphic* g = FPicture->GetGraphic()) TGraphicControl::GetCanvas()->StretchDraw(DestRect(), g);
    } catch (...) {
        FDrawing = save;
        throw;
    }
    FDrawing = save;
}

bool TImage::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
    if (FPicture->GetWidth() <= 0 || FPicture->GetHeight() <= 0) return false;
    NewWidth = FPicture->GetWidth();
    NewHeight = FPicture->GetHeight();
    return true;
}

void TImage::PictureChanged(TObject* /*Sender*/) {
    if (GetAutoSize() && FPicture->GetWidth() > 0 && FPicture->GetHeight() > 0)
        SetBounds(GetLeft(), GetTop(), FPicture->GetWidth(), FPicture->GetHeight());
    TGraphic* g = FPicture->GetGraphic();
    TControlStyle s = GetControlStyle();
    if (g) {
        if (!dynamic_cast<TMetafile*>(g) && !dynamic_cast<TIcon*>(g)) g->SetTransparent(FTransparent);
        TRect d = DestRect();
        if (!g->GetTransparent() && d.Left <= 0 && d.Top <= 0 && d.Right >= GetWidth() && d.Bottom >= GetHeight())
            s.Include(csOpaque);
        else
            s.Exclude(csOpaque);
    } else {
        s.Exclude(csOpaque);
    }
    SetControlStyle(s);
    if (!FDrawing) Invalidate();
}

void TImage::SetCenter(bool Value) {
    if (FCenter == Value) return;
    FCenter = Value;
    PictureChanged(this);
}

void TImage::SetStretch(bool Value) {
    if (FStretch == Value) return;
    FStretch = Value;
    PictureChanged(this);
}

void TImage::SetProportional(bool Value) {
    if (FProportional == Value) return;
    FProportional = Value;
    PictureChanged(this);
}

void TImage::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    PictureChanged(this);
}
