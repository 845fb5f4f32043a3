#include "components/toolbar_button.h"

#include <algorithm>

#include "components/dock.h"
#include "framework/control_paint.h"
#include "framework/message_loop.h"
#include "framework/windows_gdi.h"

namespace {

// Shared by every button: the one under the mouse, the timer that notices the mouse left it,
// and how many buttons there are.
TToolbarButtonX* gHot = nullptr;
TTimer* gHotTimer = nullptr;
Integer gButtonCount = 0;

void HotTimerTick(TObject*) {
    if (!gHot) return;
    if (FindDragTarget(Mouse->GetCursorPos(), true) != gHot) gHot->Perform(CM_MOUSELEAVE, 0, 0);
}

}  // namespace

// ---- The action link ---------------------------------------------------------------------------

TToolbarButtonXActionLink::TToolbarButtonXActionLink(TToolbarButtonX* AClient)
    : TControlActionLink(AClient), FButton(AClient) {}

bool TToolbarButtonXActionLink::IsCheckedLinked() {
    auto* a = dynamic_cast<TCustomAction*>(GetAction());
    return TControlActionLink::IsCheckedLinked() && a && FButton->GetDown() == a->GetChecked();
}

bool TToolbarButtonXActionLink::IsHelpContextLinked() {
    auto* a = dynamic_cast<TCustomAction*>(GetAction());
    return TControlActionLink::IsHelpContextLinked() && a && FButton->GetHelpContext() == a->GetHelpContext();
}

bool TToolbarButtonXActionLink::IsImageIndexLinked() {
    auto* a = dynamic_cast<TCustomAction*>(GetAction());
    return TControlActionLink::IsImageIndexLinked() && a && FButton->GetImageIndex() == a->GetImageIndex();
}

void TToolbarButtonXActionLink::SetChecked(bool Value) {
    if (IsCheckedLinked()) FButton->SetDown(Value);
}

void TToolbarButtonXActionLink::SetHelpContext(Integer Value) {
    if (IsHelpContextLinked()) FButton->SetHelpContext(Value);
}

void TToolbarButtonXActionLink::SetImageIndex(Integer Value) {
    if (IsImageIndexLinked()) FButton->SetImageIndex(Value);
}

// ---- TToolbarButtonX ---------------------------------------------------------------------------

TToolbarButtonX::TToolbarButtonX(TComponent* AOwner) : TGraphicControl(AOwner) {
    // Clicks are the button's own (Click), not the framework's on every release.
    SetControlStyle(GetControlStyle() - TControlStyle{csClickEvents} + TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks});
    SetBounds(GetLeft(), GetTop(), 22, 23);
    SetColor(clBtnFace);
    FGlyph.OnChange = [this] { Invalidate(); };
    if (gButtonCount++ == 0) {
        gHotTimer = new TTimer(nullptr);
        gHotTimer->SetEnabled(false);
        gHotTimer->SetInterval(125);
        gHotTimer->OnTimer = HotTimerTick;
    }
    RegisterHookCallback(HookCallback, {hpSendActivateApp, hpGetMessageMouseMove});
}

TToolbarButtonX::~TToolbarButtonX() {
    UnregisterHookCallback(HookCallback);
    FreeRepeatTimer();
    if (gHot == this) {
        gHot = nullptr;
        if (gHotTimer) gHotTimer->SetEnabled(false);
    }
    if (--gButtonCount == 0) {
        gHotTimer->Free();
        gHotTimer = nullptr;
    }
}

TToolbarButtonX* TToolbarButtonX::HotButton() { return gHot; }

std::string TToolbarButtonX::GetVersion() const { return ToolbarXVersionText; }

void TToolbarButtonX::HookCallback(THookProcCode Code, HWND /*Wnd*/, WPARAM WParam, LPARAM /*LParam*/) {
    if (!gHot) return;
    switch (Code) {
    case hpSendActivateApp:
        if (!WParam && !gHot->FShowBorderWhenInactive) gHot->MouseLeft();
        break;
    case hpGetMessageMouseMove:
        if (FindDragTarget(Mouse->GetCursorPos(), true) != gHot) gHot->MouseLeft();
        break;
    default: break;
    }
}

void TToolbarButtonX::UpdateUsesDropdown() { FUsesDropdown = FDropdownAlways || FDropdownMenu; }

void TToolbarButtonX::SetGlyph(TBitmap* Value) { FGlyph.SetGlyph(Value); }
void TToolbarButtonX::SetGlyphMask(TBitmap* Value) { FGlyph.SetMask(Value); }
void TToolbarButtonX::SetNumGlyphs(TNumGlyphsX Value) { FGlyph.SetNumGlyphs(Value); }
void TToolbarButtonX::SetOldDisabledStyle(bool Value) { FGlyph.SetOldDisabledStyle(Value); }

void TToolbarButtonX::SetImages(TCustomImageList* Value) {
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (Value) Value->FreeNotification(this);
    FGlyph.SetImages(FImages, FImageIndex);
}

void TToolbarButtonX::SetImageIndex(Integer Value) {
    FImageIndex = Value;
    FGlyph.SetImages(FImages, FImageIndex);
}

void TToolbarButtonX::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) {
        FImages = nullptr;
        FGlyph.SetImages(nullptr, FImageIndex);
    }
    if (AComponent == FDropdownMenu) SetDropdownMenu(nullptr);
}

#define LUMORA_REPAINT_SETTER(Name, Type, Field) \
    void TToolbarButtonX::Set##Name(Type Value) { \
        if (Value == Field) return;                \
        Field = Value;                             \
        Invalidate();                              \
    }
LUMORA_REPAINT_SETTER(DisplayMode, TButtonDisplayMode, FDisplayMode)
LUMORA_REPAINT_SETTER(Layout, TButtonLayout, FLayout)
LUMORA_REPAINT_SETTER(Spacing, Integer, FSpacing)
LUMORA_REPAINT_SETTER(Alignment, TAlignment, FAlignment)
LUMORA_REPAINT_SETTER(WordWrap, bool, FWordWrap)
LUMORA_REPAINT_SETTER(NoBorder, bool, FNoBorder)
#undef LUMORA_REPAINT_SETTER

void TToolbarButtonX::SetMargin(Integer Value) {
    if (Value < -1 || Value == FMargin) return;
    FMargin = Value;
    Invalidate();
}

void TToolbarButtonX::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    SetControlStyle(FOpaque || !FFlat ? GetControlStyle() + TControlStyle{csOpaque} : GetControlStyle() - TControlStyle{csOpaque});
    Invalidate();
}

void TToolbarButtonX::SetOpaque(bool Value) {
    if (Value == FOpaque) return;
    FOpaque = Value;
    SetControlStyle(FOpaque || !FFlat ? GetControlStyle() + TControlStyle{csOpaque} : GetControlStyle() - TControlStyle{csOpaque});
    Invalidate();
}

void TToolbarButtonX::SetHighlightWhenDown(bool Value) {
    if (Value == FHighlightWhenDown) return;
    FHighlightWhenDown = Value;
    if (FDown) Invalidate();
}

void TToolbarButtonX::SetGroupIndex(Integer Value) {
    if (Value == FGroupIndex) return;
    FGroupIndex = Value;
    UpdateExclusive();
}

void TToolbarButtonX::SetAllowAllUp(bool Value) {
    if (Value == FAllowAllUp) return;
    FAllowAllUp = Value;
    UpdateExclusive();
}

void TToolbarButtonX::SetDown(bool Value) {
    if (FGroupIndex == 0) Value = false;
    if (Value == FDown || (FDown && !FAllowAllUp)) return;
    FDown = Value;
    FState = !GetEnabled() ? tbsDisabled : FDown ? tbsExclusive : tbsUp;
    Invalidate();
    if (Value) UpdateExclusive();
}

void TToolbarButtonX::UpdateExclusive() {
    if (FGroupIndex == 0 || !GetParent()) return;
    TWinControl* p = GetParent();
    for (Integer i = 0; i < p->GetControlCount(); ++i) {
        auto* b = dynamic_cast<TToolbarButtonX*>(p->GetControl(i));
        if (!b || b == this || b->FGroupIndex != FGroupIndex) continue;
        if (FDown && b->FDown) {
            b->FDown = false;
            b->FState = b->GetEnabled() ? tbsUp : tbsDisabled;
            b->Invalidate();
        }
        b->FAllowAllUp = FAllowAllUp;
    }
}

void TToolbarButtonX::SetDropdownMenu(TPopupMenu* Value) {
    if (Value == FDropdownMenu) return;
    if (FDropdownMenu) FDropdownMenu->RemoveFreeNotification(this);
    FDropdownMenu = Value;
    if (Value) Value->FreeNotification(this);
    UpdateUsesDropdown();
    if (FDropdownArrow || FDropdownCombo) Invalidate();
}

void TToolbarButtonX::SetDropdownAlways(bool Value) {
    if (Value == FDropdownAlways) return;
    FDropdownAlways = Value;
    UpdateUsesDropdown();
    if (FDropdownArrow || FDropdownCombo) Invalidate();
}

void TToolbarButtonX::SetDropdownArrow(bool Value) {
    if (Value == FDropdownArrow) return;
    FDropdownArrow = Value;
    Invalidate();
}

void TToolbarButtonX::SetDropdownArrowWidth(Integer Value) {
    Value = std::max(Value, 7);
    if (Value == FDropdownArrowWidth) return;
    Integer diff = Value - FDropdownArrowWidth;
    FDropdownArrowWidth = Value;
    if (FDropdownCombo && !IsLoading()) SetBounds(GetLeft(), GetTop(), GetWidth() + diff, GetHeight());
    Invalidate();
}

void TToolbarButtonX::SetDropdownCombo(bool Value) {
    if (Value == FDropdownCombo) return;
    FDropdownCombo = Value;
    if (!IsLoading()) {
        Integer w = Value ? GetWidth() + FDropdownArrowWidth + 2 : std::max(1, GetWidth() - (FDropdownArrowWidth + 2));
        SetBounds(GetLeft(), GetTop(), w, GetHeight());
    }
    Invalidate();
}

void TToolbarButtonX::Loaded() {
    TGraphicControl::Loaded();
    UpdateUsesDropdown();
    // The image for the state it starts in.
    TGlyphList* list = nullptr;
    FGlyph.Rendered(GetEnabled() ? tbsUp : tbsDisabled, &list);
}

void TToolbarButtonX::CMEnabledChanged(TMessage& Message) {
    TGraphicControl::CMEnabledChanged(Message);
    if (!GetEnabled()) {
        FState = tbsDisabled;
        FMouseInControl = false;
        FMouseIsDown = false;
        if (gHot == this) {
            gHot = nullptr;
            gHotTimer->SetEnabled(false);
        }
        if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    } else {
        FState = FDown && FGroupIndex != 0 ? tbsExclusive : tbsUp;
    }
    Invalidate();
}

// ---- The mouse ---------------------------------------------------------------------------------

void TToolbarButtonX::MouseEntered() {
    if (!GetEnabled() || FMouseInControl) return;
    FMouseInControl = true;
    if (FState == tbsUp) FState = tbsHot;
    if (FFlat || GetNumGlyphs() == 5) Invalidate();
    if (OnMouseEnter) OnMouseEnter(this);
}

void TToolbarButtonX::MouseLeft() {
    if (!GetEnabled() || !FMouseInControl || FMouseIsDown) return;
    FMouseInControl = false;
    if (gHot == this) {
        gHot = nullptr;
        gHotTimer->SetEnabled(false);
    }
    TToolbarButtonState old = FState;
    if (FState == tbsHot || (FState == tbsDown && !FInClick)) FState = FDown && FGroupIndex != 0 ? tbsExclusive : tbsUp;
    if (FFlat || GetNumGlyphs() == 5 || (old != FState && old != tbsHot)) Invalidate();
    if (OnMouseExit) OnMouseExit(this);
}

void TToolbarButtonX::CMMouseLeave(TMessage& Message) {
    TGraphicControl::CMMouseLeave(Message);
    MouseLeft();
}

bool TToolbarButtonX::PointInButton(Integer X, Integer Y) {
    Integer w = GetClientWidth() - (FDropdownCombo ? FDropdownArrowWidth + 2 : 0);
    return X >= 0 && X < w && Y >= 0 && Y < GetClientHeight();
}

void TToolbarButtonX::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (Button != mbLeft || !GetEnabled()) {
        TGraphicControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    MouseEntered();
    FMenuIsDown = FUsesDropdown && (!FDropdownCombo || X >= GetClientWidth() - (FDropdownArrowWidth + 2));
    if (!FDown) {
        FState = tbsDown;
        Invalidate();
    } else if (FAllowAllUp) {
        Invalidate();
    }
    if (!FMenuIsDown) FMouseIsDown = true;
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (FMenuIsDown) {
        Click();
    } else if (FRepeating) {
        Click();
        if (!FRepeatTimer) {
            FRepeatTimer = new TTimer(nullptr);
            FRepeatTimer->OnTimer = [this](TObject* S) { RepeatTimerTick(S); };
        }
        FRepeatTimer->SetInterval(Cardinal(FRepeatDelay));
        FRepeatTimer->SetEnabled(true);
    }
    FMenuIsDown = false;
}

void TToolbarButtonX::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    // The mouse is over this button: it becomes the one hot-tracked.
    TRect client = GetClientRect();
    if (gHot != this && PtInRect(&client, TPoint{X, Y})) {
        if (gHot) gHot->MouseLeft();
        if (FShowBorderWhenInactive || Application->GetActive()) {
            gHot = this;
            gHotTimer->SetEnabled(true);
            MouseEntered();
        }
    }
    if (!FMouseIsDown) return;
    bool inside = PointInButton(X, Y);
    if (inside && FRepeatTimer && FRepeating) FRepeatTimer->SetEnabled(true);
    TToolbarButtonState s = FDown ? tbsExclusive : inside ? tbsDown : tbsUp;
    if (s != FState) {
        FState = s;
        Invalidate();
    }
}

void TToolbarButtonX::RepeatTimerTick(TObject* /*Sender*/) {
    FRepeatTimer->SetInterval(Cardinal(FRepeatInterval));
    TPoint p = ScreenToClient(Mouse->GetCursorPos());
    if (FRepeating && FMouseIsDown && GetCaptureControl() == this && PointInButton(p.X, p.Y))
        Click();
    else
        FRepeatTimer->SetEnabled(false);
}

void TToolbarButtonX::FreeRepeatTimer() {
    if (!FRepeatTimer) return;
    FRepeatTimer->Free();
    FRepeatTimer = nullptr;
}

void TToolbarButtonX::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    FreeRepeatTimer();
    if (Button == mbRight && GetEnabled()) {
        FMouseIsDown = false;
        MouseLeft();
    }
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !FMouseIsDown) return;
    FMouseIsDown = false;
    if (PointInButton(X, Y) && !FRepeating)
        Click();
    else
        MouseLeft();
    if (!PointInButton(X, Y) || FRepeating) RestState();
}

void TToolbarButtonX::RestState() {
    TToolbarButtonState s = !GetEnabled() ? tbsDisabled : FDown ? tbsExclusive : tbsUp;
    if (s != FState && FState != tbsHot) {
        FState = s;
        Invalidate();
    }
}

void TToolbarButtonX::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_CANCELMODE:
        FreeRepeatTimer();
        if (FState == tbsDown) {
            FMouseIsDown = false;
            MouseLeft();
            RestState();
        }
        break;
    case WM_LBUTTONDBLCLK:
        // A second press; as a double-click it counts only while the button is down.
        TGraphicControl::Dispatch(Message);
        if (FDown && OnDblClick) OnDblClick(this);
        return;
    case CM_DIALOGCHAR: {
        TWinControl* p = GetParent();
        if (IsAccel(Word(Message.WParam), GetCaption()) && p && p->CanFocus() && GetEnabled() && GetVisible() &&
            FDisplayMode != dmGlyphOnly) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    }
    case CM_DIALOGKEY: {
        Word key = Word(Message.WParam);
        bool shifts = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
        TWinControl* p = GetParent();
        if (!shifts && ((key == VK_RETURN && FDefault) || (key == VK_ESCAPE && FCancel)) && p && p->CanFocus() &&
            GetEnabled() && GetVisible()) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    }
    case CM_SYSCOLORCHANGE: FGlyph.Invalidate(); break;
    default: break;
    }
    TGraphicControl::Dispatch(Message);
}

// ---- Clicks ------------------------------------------------------------------------------------

namespace {

// Where a button's menu opens: below it, or beside it on a bar docked on the left or right.
TDockPosition DockPositionOf(TControl* C, bool& Docked) {
    for (TWinControl* p = C->GetParent(); p; p = p->GetParent())
        if (auto* d = dynamic_cast<TDockX*>(p)) {
            Docked = true;
            return d->GetPosition();
        }
    Docked = false;
    return dpTop;
}

// Takes the mouse-button messages waiting in the queue: presses on Button are dropped, the
// others stay in order.
void PurgeClicks(TControl* Button) {
    PurgeMouseButtonMessages([Button](const TMsg& M) {
        bool press = M.message == WM_LBUTTONDOWN || M.message == WM_LBUTTONDBLCLK || M.message == WM_RBUTTONDOWN ||
                     M.message == WM_RBUTTONDBLCLK || M.message == WM_MBUTTONDOWN || M.message == WM_MBUTTONDBLCLK;
        TRect r = Button->GetBoundsRect();
        return !(press && M.hwnd == Button->GetParent() && PtInRect(&r, LParamToPoint(M.lParam)));
    });
}

}  // namespace

void TToolbarButtonX::Click() {
    if (FRepeating && !FMenuIsDown) {
        TGraphicControl::Click();
        return;
    }
    FInClick = true;
    struct Done {
        TToolbarButtonX* B;
        ~Done() { B->FInClick = false; }
    } done{this};
    bool dropdown = FUsesDropdown && (!FDropdownCombo || FMenuIsDown);
    if (FGroupIndex != 0 && !(FDropdownCombo && FMenuIsDown)) SetDown(!FDown);
    if (FState == tbsUp || FState == tbsHot) {
        FState = tbsDown;
        Invalidate();
        Update();
    }
    if (gHot == this) {
        gHot = nullptr;
        gHotTimer->SetEnabled(false);
    }
    if (dropdown) {
        if (!FDropdownCombo) TGraphicControl::Click();
        if (GetCaptureControl() == this) SetCaptureControl(nullptr);
        bool showMenu = FDropdownMenu != nullptr, removeClicks = true;
        if (OnDropdown) OnDropdown(this, showMenu, removeClicks);
        if (FDropdownMenu && showMenu) {
            bool docked = false;
            TDockPosition at = DockPositionOf(this, docked);
            TPoint p;
            TPopupAlignment align = paLeft;
            if (docked && at == dpLeft) {
                p = ClientToScreen({GetWidth(), 0});
            } else if (docked && at == dpRight) {
                p = ClientToScreen({0, 0});
                align = paRight;
            } else {
                p = ClientToScreen({0, GetHeight()});
            }
            TPopupAlignment oldAlign = FDropdownMenu->GetAlignment();
            TTrackButton oldTrack = FDropdownMenu->GetTrackButton();
            FDropdownMenu->SetPopupComponent(this);
            FDropdownMenu->SetAlignment(align);
            FDropdownMenu->SetTrackButton(tbLeftButton);
            try {
                FDropdownMenu->Popup(p.X, p.Y);
            } catch (...) {
                FDropdownMenu->SetAlignment(oldAlign);
                FDropdownMenu->SetTrackButton(oldTrack);
                throw;
            }
            FDropdownMenu->SetAlignment(oldAlign);
            FDropdownMenu->SetTrackButton(oldTrack);
        }
        if (removeClicks) PurgeClicks(this);
    } else {
        if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(FModalResult);
        TGraphicControl::Click();
    }
    if (FState == tbsDown) FState = FDown && FGroupIndex != 0 ? tbsExclusive : tbsUp;
    if (!IsDestroying()) {
        Invalidate();
        MouseLeft();
    }
}

// ---- Actions -----------------------------------------------------------------------------------

TControlActionLink* TToolbarButtonX::CreateActionLink() { return new TToolbarButtonXActionLink(this); }

void TToolbarButtonX::ActionChange(TObject* Sender, bool CheckDefaults) {
    TGraphicControl::ActionChange(Sender, CheckDefaults);
    auto* a = dynamic_cast<TCustomAction*>(Sender);
    if (!a) return;
    if (!CheckDefaults || !FDown) SetDown(a->GetChecked());
    if (!CheckDefaults || GetHelpContext() == 0) SetHelpContext(a->GetHelpContext());
    if (!CheckDefaults || FImageIndex == -1) SetImageIndex(a->GetImageIndex());
}

// ---- Painting ----------------------------------------------------------------------------------

void TToolbarButtonX::Paint() {
    TCanvas* c = GetCanvas();
    const Integer w = GetWidth(), h = GetHeight();
    TRect r{0, 0, w, h};
    const bool transparent = FFlat && !FOpaque;
    if (!transparent) {
        c->GetBrush()->SetStyle(bsSolid);
        c->GetBrush()->SetColor(GetColor());
        c->FillRect(r);
    }
    HDC dc = c->GetHandle();
    const bool comboMenu = FDropdownCombo && FMenuIsDown;
    const bool pressed = (FState == tbsDown || FState == tbsExclusive) && !comboMenu;
    const bool border = !FNoBorder && (!FFlat || FState == tbsDown || FState == tbsExclusive ||
                                       (FMouseInControl && GetEnabled()));
    if (FDropdownCombo) {
        // The arrow part: the arrow width ending 2 pixels before the right edge.
        TRect part{w - FDropdownArrowWidth - 2, 0, w, h};
        if (border) DrawEdge(dc, &part, FMenuIsDown ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        c->GetPen()->SetColor(GetEnabled() ? GetFont()->GetColor() : clBtnShadow);
        Integer ax = part.Left + (part.Width() - 5) / 2, ay = h / 2 - 1;
        for (Integer i = 0; i < 3; ++i) {
            c->MoveTo(ax + i, ay + i);
            c->LineTo(ax + 5 - i, ay + i);
        }
        r.Right -= FDropdownArrowWidth + 2;
    }
    if (border) {
        if (!FFlat)
            DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE);
        else
            DrawEdge(dc, &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    if (!FNoBorder) InflateRect(&r, FFlat ? -1 : -2, FFlat ? -1 : -2);
    TPoint offset{0, 0};
    if (pressed) {
        offset = {1, 1};
        if (FState == tbsExclusive && (!FFlat || !FMouseInControl) && FHighlightWhenDown) {
            c->GetBrush()->SetBitmap(lumora_paint::PatternBitmap(clBtnFace, clBtnHighlight));
            c->FillRect(r);
            c->GetBrush()->SetBitmap(nullptr);
        }
    }
    OffsetRect(&r, offset.X, offset.Y);
    const bool showGlyph = FDisplayMode != dmTextOnly;
    const bool showCaption = FDisplayMode != dmGlyphOnly && !GetCaption().empty();
    TPoint glyphSize = showGlyph ? FGlyph.ImageSize() : TPoint{};
    if (GetState() == tbsDisabled && glyphSize.X > 0 && GetNumGlyphs() <= 1) glyphSize = {glyphSize.X + 1, glyphSize.Y + 1};
    const bool plainArrow = FUsesDropdown && FDropdownArrow && !FDropdownCombo;
    TPoint arrowSize = plainArrow ? TPoint{FDropdownArrowWidth, 3} : TPoint{};
    c->SetFont(GetFont());
    UINT wrap = FWordWrap ? DT_WORDBREAK : DT_SINGLELINE;
    auto measure = [&](Integer MaxWidth) -> TPoint {
        if (!showCaption) return {};
        TRect m{0, 0, MaxWidth, 0};
        DrawText(dc, GetCaption(), &m, DT_CALCRECT | wrap);
        return {m.Width(), m.Height()};
    };
    TButtonContentLayout l = LayoutButtonContent(r, glyphSize, arrowSize, measure, FLayout, FMargin, FSpacing, FWordWrap);
    if (showGlyph) FGlyph.Draw(c, l.GlyphPos.X, l.GlyphPos.Y, FState);
    SetBkMode(dc, TRANSPARENT);
    UINT align = lumora_paint::AlignmentFlags(FAlignment);
    auto text = [&](TColor Colour, Integer D) {
        TRect t = l.CaptionRect;
        OffsetRect(&t, D, D);
        SetTextColor(dc, ColorToRGB(Colour));
        DrawText(dc, GetCaption(), &t, wrap | DT_VCENTER | align);
    };
    if (showCaption) {
        if (GetEnabled()) {
            text(GetFont()->GetColor(), 0);
        } else {
            text(clBtnHighlight, 1);
            text(clBtnShadow, 0);
        }
    }
    if (plainArrow) {
        auto arrow = [&](TColor Colour, Integer D) {
            c->GetPen()->SetColor(Colour);
            Integer ax = l.ArrowPos.X + (FDropdownArrowWidth - 5) / 2 + D, ay = l.ArrowPos.Y + D;
            for (Integer i = 0; i < 3; ++i) {
                c->MoveTo(ax + i, ay + i);
                c->LineTo(ax + 5 - i, ay + i);
            }
        };
        if (GetEnabled()) {
            arrow(GetFont()->GetColor(), 0);
        } else {
            arrow(clBtnHighlight, 1);
            arrow(clBtnShadow, 0);
        }
    }
}
