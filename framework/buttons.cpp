#include "framework/std_controls.h"

#include <algorithm>
#include <cmath>

#include "framework/control_paint.h"
#include "framework/window_backend.h"

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
    if (((key == VK_RETURN && FActive) || (key == VK_ESCAPE && FCancel)) &&
        KeyDataToShiftState(Message.LParam).Empty() && CanFocus()) {
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
        DrawText(Canvas->GetHandle(), Caption, &textBounds,
                 DT_CALCRECT | DT_SINGLELINE | (ShowAccel ? 0 : DT_NOPREFIX));
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
    FGlyph.Draw(Canvas, R, Down ? TPoint{1, 1} : TPoint{0, 0}, GetCaption(), FLayout, FMargin, FSpacing, state, true,
                true);
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
            DrawEdge(c->GetHandle(), &r, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                     (FTransparent ? 0 : BF_MIDDLE) | BF_RECT);
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
