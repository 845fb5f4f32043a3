#include "framework/controls.h"

#include <algorithm>
#include <unordered_set>

#include "framework/drag.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/menus.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"
#include "framework/windows_gdi.h"

// ---- Bookkeeping shared by the window functions ----------------------------------------------

namespace {

std::unordered_set<const TControl*>& LiveControls() {
    static std::unordered_set<const TControl*> s;
    return s;
}

HWND gFocus = nullptr;
HWND gCapture = nullptr;
TControl* gCaptureControl = nullptr;
// The character of the key being handled is dropped (DiscardPendingMessage(WM_CHAR)).
bool gDiscardChar = false;

bool IsLive(const TControl* c) { return c && LiveControls().count(c) != 0; }

bool IsDescendantOrSelf(const TControl* c, const TWinControl* ancestor) {
    for (const TControl* x = c; x; x = x->GetParent())
        if (x == ancestor) return true;
    return false;
}

}  // namespace

namespace lumora_detail {

bool IsLiveControl(const TControl* c) { return IsLive(c); }

TWinControl* TopLevelOf(TWinControl* c) {
    while (c && c->GetParent()) c = c->GetParent();
    return c;
}

void SetDiscardChar(bool Value) { gDiscardChar = Value; }
bool GetDiscardChar() { return gDiscardChar; }

}  // namespace lumora_detail

// ---- TSizeConstraints ------------------------------------------------------------------------

void TSizeConstraints::SetMaxHeight(Integer Value) {
    if (Value == FMaxHeight) return;
    FMaxHeight = Value;
    if (Value > 0 && Value < FMinHeight) FMinHeight = Value;
    Changed();
}

void TSizeConstraints::SetMaxWidth(Integer Value) {
    if (Value == FMaxWidth) return;
    FMaxWidth = Value;
    if (Value > 0 && Value < FMinWidth) FMinWidth = Value;
    Changed();
}

void TSizeConstraints::SetMinHeight(Integer Value) {
    if (Value == FMinHeight) return;
    FMinHeight = Value;
    if (FMaxHeight > 0 && Value > FMaxHeight) FMaxHeight = Value;
    Changed();
}

void TSizeConstraints::SetMinWidth(Integer Value) {
    if (Value == FMinWidth) return;
    FMinWidth = Value;
    if (FMaxWidth > 0 && Value > FMaxWidth) FMaxWidth = Value;
    Changed();
}

void TSizeConstraints::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
        FMaxHeight = s->FMaxHeight;
        FMaxWidth = s->FMaxWidth;
        FMinHeight = s->FMinHeight;
        FMinWidth = s->FMinWidth;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TSizeConstraints::Changed() {
    if (FControl) FControl->SetBounds(FControl->GetLeft(), FControl->GetTop(), FControl->GetWidth(), FControl->GetHeight());
    if (OnChange) OnChange(this);
}

// ---- TControl --------------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
    LiveControls().insert(this);
    FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    FColor = clWindow;
    FFont = new TFont();
    FFont->OnChange = [this](TObject*) { FontChanged(); };
    FConstraints = new TSizeConstraints(this);
}

TControl::~TControl() {
    if (LiveControls().count(this)) {
        // Destroyed with a bare delete: detach what BeforeDestruction would have.
        if (gCaptureControl == this) gCaptureControl = nullptr;
        if (FParent) FParent->RemoveControl(this);
        LiveControls().erase(this);
    }
    delete FActionLink;
    delete FConstraints;
    delete FFont;
}

void TControl::BeforeDestruction() {
    Destroying();
    if (LiveControls().count(this)) {
        Application->ControlDestroyed(this);
        TDragManager::ControlDestroyed(this);
        if (gCaptureControl == this) SetCaptureControl(nullptr);
        SetParent(nullptr);
    }
    TComponent::BeforeDestruction();
    LiveControls().erase(this);
}

void TControl::SetParent(TWinControl* AParent) {
    if (FParent == AParent) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (auto* self = dynamic_cast<TWinControl*>(this))
        for (TWinControl* p = AParent; p; p = p->GetParent())
            if (p == self) throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent) FParent->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
    if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

void TControl::DoConstraints(Integer& NewWidth, Integer& NewHeight) {
    Integer minW = FConstraints->GetMinWidth(), minH = FConstraints->GetMinHeight();
    Integer maxW = FConstraints->GetMaxWidth(), maxH = FConstraints->GetMaxHeight();
    ConstrainedResize(minW, minH, maxW, maxH);
    if (maxW > 0 && NewWidth > maxW) NewWidth = maxW;
    if (minW > 0 && NewWidth < minW) NewWidth = minW;
    if (maxH > 0 && NewHeight > maxH) NewHeight = maxH;
    if (minH > 0 && NewHeight < minH) NewHeight = minH;
}

void TControl::ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight) {
    if (OnConstrainedResize) OnConstrainedResize(this, MinWidth, MinHeight, MaxWidth, MaxHeight);
}

bool TControl::CanResize(Integer& NewWidth, Integer& NewHeight) {
    bool resize = true;
    if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, resize);
    return resize;
}

bool TControl::CanAutoSize(Integer& /*NewWidth*/, Integer& /*NewHeight*/) { return true; }

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
    if (AWidth < 0) AWidth = 0;
    if (AHeight < 0) AHeight = 0;
    if (AWidth != FWidth || AHeight != FHeight) {
        if (!IsLoading()) {
            Integer w = AWidth, h = AHeight;
            if (!CanResize(w, h)) {
                w = FWidth;
                h = FHeight;
            }
            AWidth = w;
            AHeight = h;
        }
    }
    DoConstraints(AWidth, AHeight);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    bool sized = AWidth != FWidth || AHeight != FHeight;
    bool moved = ALeft != FLeft || ATop != FTop;
    InvalidateControl(FVisible, false);
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    UpdateAnchorRules();
    InvalidateControl(FVisible, false);
    TMessage m{WM_WINDOWPOSCHANGED, WPARAM(sized ? 1 : 0) | WPARAM(moved ? 2 : 0), 0, 0};
    WndProc(m);
    RequestAlign();
}

void TControl::WMWindowPosChanged(TMessage& Message) {
    // Graphic controls: the size change is their resize.
    if ((Message.WParam & 1) && !IsLoading()) Resize();
}

void TControl::UpdateAnchorRules() {
    if (!FParent || FParent->FAligning) return;
    FAnchorOrigin = GetBoundsRect();
    TRect cr = FParent->GetClientRect();
    FAnchorParentSize = {cr.Width(), cr.Height()};
}

void TControl::RequestAlign() {
    if (FParent && (FAlign != alNone || !(FAnchors == TAnchors{akLeft, akTop}) || FParent->GetAutoSize() ||
                    FParent->TracksChildBounds()))
        FParent->AlignControl(this);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::SetClientWidth(Integer Value) { SetClientSize({Value, GetClientHeight()}); }
void TControl::SetClientHeight(Integer Value) { SetClientSize({GetClientWidth(), Value}); }

void TControl::SetClientSize(TPoint Value) {
    TRect cr = GetClientRect();
    SetBounds(FLeft, FTop, FWidth - cr.Right + Value.X, FHeight - cr.Bottom + Value.Y);
}

TRect TControl::ClientRectOf() { return {0, 0, FWidth, FHeight}; }

TPoint TControl::GetClientOriginOf() {
    if (!FParent) return {FLeft, FTop};
    TPoint p = FParent->GetClientOrigin();
    return {p.X + FLeft, p.Y + FTop};
}

TPoint TControl::GetClientOrigin() { return GetClientOriginOf(); }

TPoint TControl::ClientToScreen(TPoint P) {
    TPoint o = GetClientOrigin();
    return {P.X + o.X, P.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint P) {
    TPoint o = GetClientOrigin();
    return {P.X - o.X, P.Y - o.Y};
}

TPoint TControl::ClientToParent(TPoint P, TWinControl* AParent) {
    if (!AParent) AParent = FParent;
    if (!AParent) throw EInvalidOperation("Control '" + GetName() + "' has no parent window");
    TPoint s = ClientToScreen(P);
    return AParent->ScreenToClient(s);
}

TPoint TControl::ParentToClient(TPoint P, TWinControl* AParent) {
    if (!AParent) AParent = FParent;
    if (!AParent) throw EInvalidOperation("Control '" + GetName() + "' has no parent window");
    TPoint s = AParent->ClientToScreen(P);
    return ScreenToClient(s);
}

void TControl::SetVisible(bool Value) {
    if (FVisible == Value) return;
    VisibleChanging();
    FVisible = Value;
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0);
    RequestAlign();
}

void TControl::Show() {
    if (FParent) FParent->Show();
    SetVisible(true);
}

void TControl::Hide() { SetVisible(false); }

bool TControl::IsShowing() const { return FVisible && FParent && FParent->IsShowing(); }

void TControl::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetAlign(TAlign Value) {
    if (FAlign == Value) return;
    TAlign old = FAlign;
    FAlign = Value;
    FAnchors = TAnchors{akLeft, akTop};
    if (Value == alTop || Value == alBottom || Value == alClient) FAnchors.Include(akRight);
    if (Value == alLeft || Value == alRight || Value == alClient) FAnchors.Include(akBottom);
    if (Value == alBottom) { FAnchors.Exclude(akTop); FAnchors.Include(akBottom); }
    if (Value == alRight) { FAnchors.Exclude(akLeft); FAnchors.Include(akRight); }
    if (old != alNone || Value != alNone) RequestAlign();
    if (FParent && Value == alNone) FParent->Realign();
}

void TControl::SetAnchors(TAnchors Value) {
    if (FAnchors == Value) return;
    FAnchors = Value;
    UpdateAnchorRules();
}

void TControl::SetAutoSize(bool Value) {
    if (FAutoSize == Value) return;
    FAutoSize = Value;
    if (Value) AdjustSize();
}

void TControl::AdjustSize() {
    if (!FAutoSize || IsLoading() || FAdjustingSize) return;
    FAdjustingSize = true;
    Integer w = FWidth, h = FHeight;
    if (CanAutoSize(w, h)) SetBounds(FLeft, FTop, w, h);
    FAdjustingSize = false;
}

void TControl::SetColor(TColor Value) {
    if (FColor == Value && !FParentColor) return;
    FColor = Value;
    FParentColor = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) {
    if (FParentColor == Value) return;
    FParentColor = Value;
    if (Value && FParent) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetFont(TFont* Value) { FFont->Assign(Value); }

void TControl::FontChanged() {
    if (FFontChanging) return;
    FParentFont = false;
    Perform(CM_FONTCHANGED);
}

void TControl::ParentFontChanged() {
    if (!FParentFont || !FParent) return;
    FFontChanging = true;
    try {
        FFont->Assign(FParent->GetFont());
    } catch (...) {
        FFontChanging = false;
        throw;
    }
    FFontChanging = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool Value) {
    if (FParentFont == Value) return;
    FParentFont = Value;
    if (Value && FParent) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetCursor(TCursor Value) {
    if (FCursor == Value) return;
    FCursor = Value;
    Perform(CM_CURSORCHANGED);
}

void TControl::SetShowHint(bool Value) {
    if (FShowHint == Value && !FParentShowHint) return;
    FShowHint = Value;
    FParentShowHint = false;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool Value) {
    if (FParentShowHint == Value) return;
    FParentShowHint = Value;
    if (Value && FParent) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
    if (FPopupMenu == Value) return;
    auto* old = static_cast<TComponent*>(FPopupMenu);
    FPopupMenu = Value;
    if (old) old->RemoveFreeNotification(this);
    if (Value) static_cast<TComponent*>(Value)->FreeNotification(this);
}

std::string TControl::GetText() {
    std::string s;
    Perform(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(&s));
    return s;
}

void TControl::SetText(const std::string& Value) {
    if (GetText() == Value) return;
    std::string v = Value;
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(&v));
    Perform(CM_TEXTCHANGED);
}

void TControl::WMGetText(TMessage& Message) {
    if (auto* s = reinterpret_cast<std::string*>(Message.LParam)) *s = FText;
    Message.Result = LRESULT(FText.size());
}

void TControl::WMSetText(TMessage& Message) {
    if (auto* s = reinterpret_cast<std::string*>(Message.LParam)) FText = *s;
    Message.Result = 1;
}

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
    if (!IsVisible || !FParent || FParent->IsDestroying()) return;
    TRect r = GetBoundsRect();
    FParent->InvalidateRect(&r, !IsOpaque);
}

void TControl::Invalidate() { InvalidateControl(FVisible, FControlStyle.Contains(csOpaque)); }

void TControl::Update() {
    if (FParent) FParent->Update();
}

void TControl::Repaint() {
    if (!FVisible || !FParent) return;
    Invalidate();
    FParent->Update();
}

void TControl::SetZOrder(bool TopMost) {
    if (!FParent) return;
    auto& list = FParent->FControls;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (TopMost)
        list.push_back(this);
    else
        list.insert(list.begin(), this);
    Invalidate();
}

void TControl::ChangeScale(Integer M, Integer D) {
    if (M == D || D == 0) return;
    auto scale = [&](Integer v) { return Integer((int64_t(v) * M) / D); };
    SetBounds(scale(FLeft), scale(FTop), scale(FLeft + FWidth) - scale(FLeft), scale(FTop + FHeight) - scale(FTop));
    if (!FParentFont) FFont->SetSize(scale(FFont->GetSize()));
}

void TControl::ScaleBy(Integer M, Integer D) { ChangeScale(M, D); }

void TControl::Loaded() {
    TComponent::Loaded();
    if (FParent && FParentColor) Perform(CM_PARENTCOLORCHANGED);
    if (FParent && FParentFont) Perform(CM_PARENTFONTCHANGED);
    UpdateAnchorRules();
    RequestAlign();
}

void TControl::Changed() { Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this)); }

// ---- Messages --------------------------------------------------------------------------------

LRESULT TControl::Perform(Cardinal Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m{Msg, WParam, LParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message) {
    Cardinal msg = Message.Msg;
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
        if (!FControlStyle.Contains(csDoubleClicks) &&
            (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK))
            Message.Msg = msg = msg - (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);
        if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
            if (FDragMode == dmAutomatic) {
                BeginAutoDrag();
                return;
            }
            FControlState.Include(csLButtonDown);
        } else if (msg == WM_LBUTTONUP) {
            FControlState.Exclude(csLButtonDown);
        }
        if (msg == WM_MOUSEMOVE && IsLive(this)) Application->HintMouseMessage(this, Message);
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(Message); break;
    case WM_LBUTTONUP: WMLButtonUp(Message); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); break;
    case WM_RBUTTONDOWN: WMRButtonDown(Message); break;
    case WM_RBUTTONUP: WMRButtonUp(Message); break;
    case WM_RBUTTONDBLCLK: WMRButtonDblClk(Message); break;
    case WM_MBUTTONDOWN: WMMButtonDown(Message); break;
    case WM_MBUTTONUP: WMMButtonUp(Message); break;
    case WM_MBUTTONDBLCLK: WMMButtonDblClk(Message); break;
    case WM_MOUSEMOVE: WMMouseMove(Message); break;
    case WM_MOUSEWHEEL: WMMouseWheel(Message); break;
    case WM_CANCELMODE: WMCancelMode(Message); break;
    case WM_CONTEXTMENU: WMContextMenu(Message); break;
    case WM_GETTEXT: WMGetText(Message); break;
    case WM_SETTEXT: WMSetText(Message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case CM_MOUSEENTER: CMMouseEnter(Message); break;
    case CM_MOUSELEAVE: CMMouseLeave(Message); break;
    case CM_HITTEST: CMHitTest(Message); break;
    case CM_CANCELMODE: CMCancelMode(Message); break;
    case CM_DRAG: CMDrag(Message); break;
    case CM_MOUSEWHEEL: CMMouseWheel(Message); break;
    case CM_HINTSHOW: CMHintShow(Message); break;
    case CM_SYSCOLORCHANGE: CMSysColorChange(Message); break;
    default: DefaultHandler(Message); break;
    }
}

void TControl::DefaultHandler(TMessage& Message) {
    // A control without a window has no default window procedure; the text messages work on
    // the stored text.
    switch (Message.Msg) {
    case WM_GETTEXT: TControl::WMGetText(Message); break;
    case WM_SETTEXT: TControl::WMSetText(Message); break;
    default: break;
    }
}

// ---- Mouse -----------------------------------------------------------------------------------

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
    if (FControlStyle.Contains(csNoStdEvents)) return;
    TPoint p = MessagePoint(Message);
    MouseDown(Button, KeysToShiftState(Message.WParam) + Shift, p.X, p.Y);
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
    if (FControlStyle.Contains(csNoStdEvents)) return;
    TPoint p = MessagePoint(Message);
    MouseUp(Button, KeysToShiftState(Message.WParam), p.X, p.Y);
}

void TControl::WMLButtonDown(TMessage& Message) {
    SendCancelMode(this);
    DefaultHandler(Message);
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
    DoMouseDown(Message, mbLeft, {});
}

void TControl::WMLButtonDblClk(TMessage& Message) {
    SendCancelMode(this);
    DefaultHandler(Message);
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    if (FControlStyle.Contains(csClickEvents)) DblClick();
    if (!IsLive(this)) return;  // freed by its handler
    DoMouseDown(Message, mbLeft, {ssDouble});
}

void TControl::WMLButtonUp(TMessage& Message) {
    DefaultHandler(Message);
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
    if (FControlState.Contains(csClicked)) {
        FControlState.Exclude(csClicked);
        const TRect cr = GetClientRect();
        if (PtInRect(&cr, MessagePoint(Message))) Click();
        if (!IsLive(this)) return;  // freed by its handler
    }
    DoMouseUp(Message, mbLeft);
}

void TControl::WMRButtonDown(TMessage& Message) {
    SendCancelMode(this);
    DefaultHandler(Message);
    DoMouseDown(Message, mbRight, {});
}

void TControl::WMRButtonDblClk(TMessage& Message) {
    SendCancelMode(this);
    DefaultHandler(Message);
    DoMouseDown(Message, mbRight, {ssDouble});
}

void TControl::WMRButtonUp(TMessage& Message) {
    DefaultHandler(Message);
    if (!IsLive(this)) return;
    DoMouseUp(Message, mbRight);
    // The right button's release asks for the context menu (as the default window procedure
    // does); graphic controls get it through their parent window.
    if (IsLive(this) && !dynamic_cast<TWinControl*>(this)) {
        TPoint s = ClientToScreen(MessagePoint(Message));
        Perform(WM_CONTEXTMENU, 0, PointToLParam(s));
    }
}

void TControl::WMMButtonDown(TMessage& Message) {
    SendCancelMode(this);
    DefaultHandler(Message);
    DoMouseDown(Message, mbMiddle, {});
}

void TControl::WMMButtonDblClk(TMessage& Message) {
    SendCancelMode(this);
    DefaultHandler(Message);
    DoMouseDown(Message, mbMiddle, {ssDouble});
}

void TControl::WMMButtonUp(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseUp(Message, mbMiddle);
}

void TControl::WMMouseMove(TMessage& Message) {
    DefaultHandler(Message);
    if (FControlStyle.Contains(csNoStdEvents)) return;
    TPoint p = MessagePoint(Message);
    MouseMove(KeysToShiftState(Message.WParam), p.X, p.Y);
}

void TControl::Click() {
    if (OnClick)
        OnClick(this);
    else if (FActionLink)
        FActionLink->Execute(this);
}

// ---- Actions ---------------------------------------------------------------------------------

TBasicAction* TControl::GetAction() const { return FActionLink ? FActionLink->GetAction() : nullptr; }

TControlActionLink* TControl::CreateActionLink() { return new TControlActionLink(this); }

void TControl::SetAction(TBasicAction* Value) {
    if (!Value) {
        delete FActionLink;
        FActionLink = nullptr;
        FControlStyle.Exclude(csActionClient);
        return;
    }
    FControlStyle.Include(csActionClient);
    if (!FActionLink) FActionLink = CreateActionLink();
    FActionLink->SetAction(Value);
    ActionChange(Value, Value->GetComponentState().Contains(csLoading));
    Value->FreeNotification(this);
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* a = dynamic_cast<TCustomAction*>(Sender);
    if (!a) return;
    if (!CheckDefaults || GetCaption().empty() || GetCaption() == GetName()) SetCaption(a->GetCaption());
    if (!CheckDefaults || GetEnabled()) SetEnabled(a->GetEnabled());
    if (!CheckDefaults || GetHint().empty()) SetHint(a->GetHint());
    if (!CheckDefaults || GetVisible()) SetVisible(a->GetVisible());
    if (!CheckDefaults || GetHelpContext() == 0) SetHelpContext(a->GetHelpContext());
}

void TControl::InitiateAction() {
    if (FActionLink) FActionLink->Update();
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (FActionLink && AComponent == FActionLink->GetAction()) SetAction(nullptr);
    if (AComponent == static_cast<TComponent*>(FPopupMenu)) FPopupMenu = nullptr;
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::WMMouseWheel(TMessage& Message) { MouseWheelHandler(Message); }

void TControl::MouseWheelHandler(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != static_cast<TControl*>(this)) {
        static_cast<TControl*>(form)->MouseWheelHandler(Message);
        return;
    }
    // The control itself, then its parents, until one handles it.
    for (TControl* c = this; c && !Message.Result; c = c->GetParent())
        Message.Result = c->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::CMMouseWheel(TMessage& Message) {
    TShiftState shift = KeysToShiftState(Message.WParam & 0xFFFF);
    Integer delta = int16_t(Message.WParam >> 16);
    TPoint pos = LParamToPoint(Message.LParam);
    Message.Result = DoMouseWheel(shift, delta, pos) ? 1 : 0;
}

bool TControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (!handled) {
        if (WheelDelta < 0)
            handled = DoMouseWheelDown(Shift, MousePos);
        else if (WheelDelta > 0)
            handled = DoMouseWheelUp(Shift, MousePos);
    }
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    bool handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
    return handled;
}

void TControl::WMCancelMode(TMessage& Message) {
    DefaultHandler(Message);
    if (GetMouseCapture()) {
        SetMouseCapture(false);
        if (FControlState.Contains(csLButtonDown)) Perform(WM_LBUTTONUP, 0, LPARAM(int32_t(0xFFFFFFFF)));
    } else {
        FControlState.Exclude(csLButtonDown);
    }
}

void TControl::CMCancelMode(TMessage& Message) { Message.Result = 0; }

void TControl::SendCancelMode(TControl* Sender) {
    for (TControl* c = this; c; c = c->GetParent())
        if (auto* f = dynamic_cast<TCustomForm*>(c)) {
            if (f->GetActive() && f->GetActiveControl() && IsLive(f->GetActiveControl()))
                f->GetActiveControl()->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
        }
}

bool TControl::GetMouseCapture() { return gCaptureControl == this; }

void TControl::SetMouseCapture(bool Value) {
    if (GetMouseCapture() == Value) return;
    SetCaptureControl(Value ? this : nullptr);
}

void TControl::WMContextMenu(TMessage& Message) {
    if (Message.Result != 0) return;
    TPoint screen = LParamToPoint(Message.LParam);
    bool fromKeyboard = screen.X == -1 && screen.Y == -1;
    TPoint client = fromKeyboard ? TPoint{-1, -1} : ScreenToClient(screen);
    bool handled = false;
    DoContextPopup(client, handled);
    Message.Result = handled ? 1 : 0;
    if (handled) return;
    if (FPopupMenu && TPopupMenuHooks::Popup) {
        if (fromKeyboard) screen = ClientToScreen({0, 0});
        SendCancelMode(nullptr);
        if (TPopupMenuHooks::Popup(FPopupMenu, this, screen)) {
            Message.Result = 1;
            return;
        }
    }
    // Nobody here: the parent may have a menu.
    if (FParent) Message.Result = FParent->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
    if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::CMMouseEnter(TMessage& Message) {
    if (FParent) FParent->Perform(CM_MOUSEENTER, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
    if (Message.LParam == 0 && OnMouseEnter) OnMouseEnter(this);
}

void TControl::CMMouseLeave(TMessage& Message) {
    if (FParent) FParent->Perform(CM_MOUSELEAVE, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
    if (Message.LParam == 0 && OnMouseLeave) OnMouseLeave(this);
}

void TControl::CMHitTest(TMessage& Message) { Message.Result = HTCLIENT; }

void TControl::CMHintShow(TMessage& Message) { Message.Result = 0; }

void TControl::CMSysColorChange(TMessage& Message) { Invalidate(); }

// ---- Change notifications --------------------------------------------------------------------

void TControl::CMEnabledChanged(TMessage& Message) { Invalidate(); }

void TControl::CMVisibleChanged(TMessage& Message) { InvalidateControl(true, FVisible && FControlStyle.Contains(csOpaque)); }

void TControl::CMFontChanged(TMessage& Message) { Invalidate(); }

void TControl::CMColorChanged(TMessage& Message) { Invalidate(); }

void TControl::CMParentFontChanged(TMessage& Message) { ParentFontChanged(); }

void TControl::CMParentColorChanged(TMessage& Message) {
    if (!FParentColor || !FParent) return;
    TColor c = Message.WParam ? TColor(Message.LParam) : FParent->GetColor();
    if (c != FColor) {
        FColor = c;
        Perform(CM_COLORCHANGED);
    }
    FParentColor = true;
}

void TControl::CMParentShowHintChanged(TMessage& Message) {
    if (FParentShowHint && FParent) {
        FShowHint = FParent->GetShowHint();
        FParentShowHint = true;
    }
}

void TControl::CMTextChanged(TMessage& Message) { Invalidate(); }

// ---- Dragging --------------------------------------------------------------------------------

void TControl::BeginAutoDrag() { BeginDrag(Mouse->GetDragImmediate(), Mouse->GetDragThreshold()); }

void TControl::BeginDrag(bool Immediate, Integer Threshold) {
    if (Threshold < 0) Threshold = Mouse->GetDragThreshold();
    TDragManager::BeginDrag(this, Immediate, Threshold);
}

void TControl::EndDrag(bool Drop) {
    if (Dragging()) TDragManager::EndDrag(Drop);
}

bool TControl::Dragging() const { return TDragManager::IsDragSource(this); }

void TControl::DoStartDrag(TDragObject*& DragObject) {
    if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
    Accept = false;
    if (OnDragOver) {
        Accept = true;
        OnDragOver(this, Source, X, Y, State, Accept);
    }
}

void TControl::DragDrop(TObject* Source, Integer X, Integer Y) {
    if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DoEndDrag(TObject* Target, Integer X, Integer Y) {
    if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

void TControl::CMDrag(TMessage& Message) { TDragManager::HandleDragMessage(this, Message); }

// ---- TWinControl: creation and destruction ---------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
    FBrush = new TBrush();
    FBrush->SetColor(FColor);
    FSurface = std::unique_ptr<TPaintSurface, void (*)(TPaintSurface*)>(nullptr, &lumora_backend::FreeSurface);
}

TWinControl::~TWinControl() {
    if (LiveControls().count(this)) {
        // Destroyed with a bare delete: let go of the window and the children.
        if (gFocus == this) gFocus = nullptr;
        if (gCapture == this) gCapture = nullptr;
        lumora_detail::KillWindowTimers(this);
        if (FHandle) TWindowBackend::DestroyWindow(this);
        FHandle = nullptr;
        for (TControl* c : FControls) c->FParent = nullptr;
        for (TControl* c : FWinControls) c->FParent = nullptr;
        FControls.clear();
        FWinControls.clear();
        FTabList.clear();
    }
    FSurface.reset();
    delete FBrush;
}

void TWinControl::BeforeDestruction() {
    Destroying();
    if (LiveControls().count(this)) {
        if (FParent) RemoveFocus(true);
        if (gFocus && IsDescendantOrSelf(gFocus, this)) SetFocusWindow(nullptr);
        if (gCapture && IsDescendantOrSelf(gCapture, this)) ReleaseCapture();
        lumora_detail::KillWindowTimers(this);
        DestroyHandle();
        while (!FControls.empty() || !FWinControls.empty()) {
            TControl* c = !FWinControls.empty() ? static_cast<TControl*>(FWinControls.back()) : FControls.back();
            c->Free();
        }
    }
    TControl::BeforeDestruction();
}

HWND TWinControl::GetHandle() {
    HandleNeeded();
    return this;
}

void TWinControl::HandleNeeded() {
    if (FHandle) return;
    if (FParent) FParent->HandleNeeded();
    CreateHandle();
}

void TWinControl::CreateHandle() {
    if (FHandle || FCreatingHandle) return;
    FCreatingHandle = true;
    try {
        CreateWnd();
    } catch (...) {
        FCreatingHandle = false;
        throw;
    }
    FCreatingHandle = false;
}

void TWinControl::CreateParams(TCreateParams& Params) {
    Params = TCreateParams{};
    Params.Caption = FText;
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FControlStyle.Contains(csAcceptsControls)) {
        Params.Style |= WS_CLIPCHILDREN;
        Params.ExStyle |= WS_EX_CONTROLPARENT;
    }
    if (!FEnabled) Params.Style |= WS_DISABLED;
    if (FTabStop) Params.Style |= WS_TABSTOP;
    Params.X = FLeft;
    Params.Y = FTop;
    Params.Width = FWidth;
    Params.Height = FHeight;
    Params.WndParent = FParent ? FParent : FParentWindow;
    Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    Params.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && !params.WndParent)
        throw EInvalidOperation("Control '" + GetName() + "' has no parent window");
    // A window made with scroll bar styles shows those bars at once (range 0..100).
    for (int bar = 0; bar < 2; ++bar) {
        DWORD bit = bar == 0 ? WS_HSCROLL : WS_VSCROLL;
        TWindowScrollBar& sb = FScrollBars[bar];
        if ((params.Style & bit) && !sb.Shown) {
            sb.Shown = true;
            if (sb.Min == 0 && sb.Max == 0) sb.Max = 100;
        }
    }
    FStyle = params.Style;
    FExStyle = params.ExStyle;
    CreateWindowHandle(params);
    if (!FHandle) throw EOutOfResources("Error creating window");
    FNCValid = false;
    TWindowBackend::SyncGeometry(this);
    TWindowBackend::SyncScrollBars(this);
    if (!FEnabled) TWindowBackend::SetEnabled(this, false);
    if (!FParent || !(params.Style & WS_CHILD)) TWindowBackend::SetText(this, FText);
    InvalidateFrame();
    InvalidateRect(nullptr, !FControlStyle.Contains(csOpaque));
    Perform(WM_CREATE);
    if (GetAutoSize()) AdjustSize();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) { TWindowBackend::CreateWindow(this, Params); }

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    for (TWinControl* c : FWinControls) c->DestroyHandle();
    DestroyWnd();
}

void TWinControl::DestroyWnd() {
    FControlState.Include(csDestroyingHandle);
    try {
        if (gCapture == this) ReleaseCapture();
        if (gFocus == this) {
            // The focus leaves with the window (without the form's exit notifications).
            gFocus = nullptr;
            if (IsLive(this)) Perform(WM_KILLFOCUS, 0);
        }
        Perform(WM_DESTROY);
        DestroyWindowHandle();
    } catch (...) {
        FControlState.Exclude(csDestroyingHandle);
        throw;
    }
    FControlState.Exclude(csDestroyingHandle);
}

void TWinControl::DestroyWindowHandle() {
    TWindowBackend::DestroyWindow(this);
    FHandle = nullptr;
    FShowing = false;
    FNCValid = false;
    Perform(WM_NCDESTROY);
}

void TWinControl::RecreateWnd() {
    if (FHandle) Perform(CM_RECREATEWND);
}

void TWinControl::CMRecreateWnd(TMessage& Message) {
    bool wasFocused = Focused();
    DestroyHandle();
    UpdateControlState();
    if (wasFocused && FHandle) SetFocusWindow(this);
}

void TWinControl::SetParentWindow(HWND Value) {
    if (FParentWindow == Value) return;
    if (FParent) {
        FParentWindow = Value;
        return;
    }
    DestroyHandle();
    FParentWindow = Value;
    UpdateControlState();
}

bool TWinControl::IsTopLevel() {
    DWORD style;
    if (FHandle) {
        style = FStyle;
    } else {
        TCreateParams p;
        CreateParams(p);
        style = p.Style;
    }
    return !(style & WS_CHILD);
}

// ---- Showing ---------------------------------------------------------------------------------

bool TWinControl::IsShowing() const {
    if (!FShowing) return false;
    if (FStyle & WS_CHILD) return FParent ? FParent->IsShowing() : (FParentWindow && FParentWindow->IsShowing());
    return true;
}

void TWinControl::UpdateControlState() {
    if (IsDestroying()) return;
    // Only inside a showing form (or a window that hosts it) does a control show its window.
    TWinControl* c = this;
    while (c->FParent) {
        c = c->FParent;
        if (!c->FShowing) return;
    }
    if (dynamic_cast<TCustomForm*>(c) || c->FParentWindow) UpdateShowing();
}

void TWinControl::UpdateShowing() {
    bool show = FVisible && !FControlState.Contains(csReadingState) && !IsLoading() && !IsDestroying();
    if (show) {
        if (!FHandle) CreateHandle();
        for (size_t i = 0; i < FWinControls.size(); ++i) FWinControls[i]->UpdateShowing();
    }
    if (FHandle && FShowing != show) {
        FShowing = show;
        try {
            Perform(CM_SHOWINGCHANGED);
        } catch (...) {
            FShowing = !show;
            throw;
        }
    }
}

void TWinControl::CMShowingChanged(TMessage& Message) {
    TWindowBackend::ShowWindow(this, FShowing, false);
}

void TWinControl::CMVisibleChanged(TMessage& Message) {
    if (!FVisible && FParent) RemoveFocus(false);
    UpdateControlState();
    if (!FVisible && FHandle && FShowing) {
        FShowing = false;
        Perform(CM_SHOWINGCHANGED);
    }
}

// ---- Children --------------------------------------------------------------------------------

TControl* TWinControl::GetControl(int Index) const {
    int n = int(FControls.size());
    if (Index < 0 || Index >= GetControlCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    if (Index < n) return FControls[size_t(Index)];
    return FWinControls[size_t(Index - n)];
}

bool TWinControl::ContainsControl(TControl* Control) const {
    for (TControl* c = Control; c; c = c->GetParent())
        if (c == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* AControl) {
    AControl->FParent = this;
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        FWinControls.push_back(w);
        FTabList.push_back(w);
    } else {
        FControls.push_back(AControl);
    }
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
    if (!AControl->IsLoading()) {
        if (AControl->FParentColor) AControl->Perform(CM_PARENTCOLORCHANGED);
        if (AControl->FParentFont) AControl->Perform(CM_PARENTFONTCHANGED);
        if (AControl->FParentShowHint) AControl->Perform(CM_PARENTSHOWHINTCHANGED);
    }
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        if (w->FParentCtl3D) w->Perform(CM_PARENTCTL3DCHANGED);
    }
    AControl->UpdateAnchorRules();
    AControl->RequestAlign();
    if (auto* w = dynamic_cast<TWinControl*>(AControl))
        w->UpdateControlState();
    else
        AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) {
    if (AControl->FParent != this) return;
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        w->RemoveFocus(true);
        if (gCapture && IsDescendantOrSelf(gCapture, w)) ReleaseCapture();
        w->DestroyHandle();
        FWinControls.erase(std::remove(FWinControls.begin(), FWinControls.end(), w), FWinControls.end());
        FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
    } else {
        if (gCaptureControl == AControl) ReleaseCapture();
        AControl->InvalidateControl(AControl->FVisible, false);
        FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
    }
    AControl->FParent = nullptr;
    if (!IsDestroying()) Realign();
}

TControl* TWinControl::ControlAtPos(TPoint P, bool AllowDisabled, bool AllowWinControls) {
    auto hit = [&](TControl* c) {
        if (!c->FVisible || (!AllowDisabled && !c->FEnabled)) return false;
        TRect r = c->GetBoundsRect();
        if (P.X < r.Left || P.X >= r.Right || P.Y < r.Top || P.Y >= r.Bottom) return false;
        TPoint local{P.X - r.Left, P.Y - r.Top};
        return c->Perform(CM_HITTEST, 0, PointToLParam(local)) != 0;
    };
    if (AllowWinControls)
        for (auto it = FWinControls.rbegin(); it != FWinControls.rend(); ++it)
            if (!(*it)->IsTopLevelCached() && hit(*it)) return *it;
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
        if (hit(*it)) return *it;
    return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
    for (int i = 0; i < GetControlCount(); ++i) {
        GetControl(i)->WndProc(Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(Cardinal Msg) {
    TMessage m{Msg, 0, 0, 0};
    Broadcast(m);
}

// ---- Alignment -------------------------------------------------------------------------------

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
    if (--FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* AControl) {
    if (IsDestroying()) return;
    if (FAligning) return;
    if (FAlignLevel > 0 || IsLoading()) {
        FControlState.Include(csAlignmentNeeded);
        return;
    }
    DisableAlign();
    try {
        TRect r = GetClientRectForAlign();
        AlignControls(AControl, r);
    } catch (...) {
        FControlState.Exclude(csAlignmentNeeded);
        --FAlignLevel;
        throw;
    }
    FControlState.Exclude(csAlignmentNeeded);
    --FAlignLevel;
    AdjustSize();
}

namespace {

bool InsertBefore(TControl* C1, TControl* C2, TAlign A) {
    switch (A) {
    case alTop: return C1->GetTop() < C2->GetTop();
    case alBottom: return C1->GetTop() + C1->GetHeight() >= C2->GetTop() + C2->GetHeight();
    case alLeft: return C1->GetLeft() < C2->GetLeft();
    case alRight: return C1->GetLeft() + C1->GetWidth() >= C2->GetLeft() + C2->GetWidth();
    default: return false;
    }
}

}  // namespace

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    if (FBorderWidth > 0) {
        Rect.Left += FBorderWidth;
        Rect.Top += FBorderWidth;
        Rect.Right -= FBorderWidth;
        Rect.Bottom -= FBorderWidth;
    }
    FAligning = true;
    try {
        auto doAlign = [&](TAlign a) {
            std::vector<TControl*> list;
            if (AControl && AControl->FParent == this && AControl->FAlign == a && AControl->FVisible) list.push_back(AControl);
            for (int i = 0; i < GetControlCount(); ++i) {
                TControl* c = GetControl(i);
                if (c == AControl || c->FAlign != a || !c->FVisible) continue;
                if (auto* w = dynamic_cast<TWinControl*>(c); w && w->IsTopLevelCached()) continue;
                size_t j = 0;
                while (j < list.size() && !InsertBefore(c, list[j], a)) ++j;
                list.insert(list.begin() + long(j), c);
            }
            for (TControl* c : list) {
                Integer l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
                switch (a) {
                case alTop: l = Rect.Left; t = Rect.Top; w = Rect.Width(); break;
                case alBottom: l = Rect.Left; w = Rect.Width(); t = Rect.Bottom - h; break;
                case alLeft: l = Rect.Left; t = Rect.Top; h = Rect.Height(); break;
                case alRight: t = Rect.Top; h = Rect.Height(); l = Rect.Right - w; break;
                case alClient: l = Rect.Left; t = Rect.Top; w = Rect.Width(); h = Rect.Height(); break;
                default: break;
                }
                if (w < 0) w = 0;
                if (h < 0) h = 0;
                c->SetBounds(l, t, w, h);
                // The control may have refused part of the size (constraints): the rest of the
                // area follows what it took.
                switch (a) {
                case alTop: Rect.Top += c->FHeight; break;
                case alBottom: Rect.Bottom -= c->FHeight; if (c->FTop != Rect.Bottom) c->SetBounds(c->FLeft, Rect.Bottom, c->FWidth, c->FHeight); break;
                case alLeft: Rect.Left += c->FWidth; break;
                case alRight: Rect.Right -= c->FWidth; if (c->FLeft != Rect.Right) c->SetBounds(Rect.Right, c->FTop, c->FWidth, c->FHeight); break;
                default: break;
                }
            }
        };
        doAlign(alTop);
        doAlign(alBottom);
        doAlign(alLeft);
        doAlign(alRight);
        doAlign(alClient);
        doAlign(alCustom);
        // Anchored controls keep their distances to the anchored sides.
        TRect cr = GetClientRect();
        for (int i = 0; i < GetControlCount(); ++i) {
            TControl* c = GetControl(i);
            if (c->FAlign != alNone || c->FAnchorParentSize.X < 0) continue;
            if (c->FAnchors == TAnchors{akLeft, akTop}) continue;
            if (auto* w = dynamic_cast<TWinControl*>(c); w && w->IsTopLevelCached()) continue;
            Integer dx = cr.Width() - c->FAnchorParentSize.X;
            Integer dy = cr.Height() - c->FAnchorParentSize.Y;
            const TRect& o = c->FAnchorOrigin;
            Integer l = o.Left, w = o.Width(), t = o.Top, h = o.Height();
            bool ak_l = c->FAnchors.Contains(akLeft), ak_r = c->FAnchors.Contains(akRight);
            bool ak_t = c->FAnchors.Contains(akTop), ak_b = c->FAnchors.Contains(akBottom);
            if (ak_l && ak_r) w += dx;
            else if (ak_r) l += dx;
            else if (!ak_l) l += dx / 2;
            if (ak_t && ak_b) h += dy;
            else if (ak_b) t += dy;
            else if (!ak_t) t += dy / 2;
            c->SetBounds(l, t, std::max(0, w), std::max(0, h));
        }
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

bool TWinControl::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
    // Fit the visible children (aligned ones keep their own extent).
    Integer right = 0, bottom = 0;
    bool any = false;
    for (int i = 0; i < GetControlCount(); ++i) {
        TControl* c = GetControl(i);
        if (!c->FVisible) continue;
        any = true;
        if (c->FAlign != alClient && c->FAlign != alTop && c->FAlign != alBottom) right = std::max(right, c->FLeft + c->FWidth);
        else right = std::max(right, c->FWidth);
        if (c->FAlign != alClient && c->FAlign != alLeft && c->FAlign != alRight) bottom = std::max(bottom, c->FTop + c->FHeight);
        else bottom = std::max(bottom, c->FHeight);
    }
    if (!any) return false;
    TRect m = GetNonClientMargins();
    NewWidth = right + FBorderWidth + m.Left + m.Right;
    NewHeight = bottom + FBorderWidth + m.Top + m.Bottom;
    return true;
}

void TWinControl::Loaded() {
    TControl::Loaded();
    if (FControlState.Contains(csAlignmentNeeded) || !FControls.empty() || !FWinControls.empty()) Realign();
    UpdateControlState();
}

void TWinControl::SetZOrder(bool TopMost) {
    if (!FParent) {
        if (FHandle) TWindowBackend::SetZOrder(this, TopMost);
        return;
    }
    auto& list = FParent->FWinControls;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (TopMost)
        list.push_back(this);
    else
        list.insert(list.begin(), this);
    if (FHandle) TWindowBackend::SetZOrder(this, TopMost);
}

void TWinControl::ChangeScale(Integer M, Integer D) {
    DisableAlign();
    try {
        for (int i = 0; i < GetControlCount(); ++i) GetControl(i)->ChangeScale(M, D);
        TControl::ChangeScale(M, D);
    } catch (...) {
        EnableAlign();
        throw;
    }
    EnableAlign();
}

// ---- TWinControl: geometry -------------------------------------------------------------------

namespace {

bool Decorated(DWORD style) { return (style & (WS_CAPTION | WS_THICKFRAME | WS_DLGFRAME)) != 0; }

}  // namespace

void TWinControl::StyleOf(DWORD& Style, DWORD& ExStyle) {
    if (FHandle) {
        Style = FStyle;
        ExStyle = FExStyle;
        return;
    }
    TCreateParams p;
    CreateParams(p);
    Style = p.Style;
    ExStyle = p.ExStyle;
    if (FScrollBars[0].Shown) Style |= WS_HSCROLL;
    if (FScrollBars[1].Shown) Style |= WS_VSCROLL;
}

TRect TWinControl::SystemFrame() {
    DWORD style, ex;
    StyleOf(style, ex);
    TRect f;
    if ((style & WS_CHILD) || !Decorated(style)) return f;
    Integer frame;
    if (style & WS_THICKFRAME)
        frame = GetSystemMetrics(SM_CXFRAME);
    else if ((style & WS_DLGFRAME) || (ex & WS_EX_DLGMODALFRAME))
        frame = GetSystemMetrics(SM_CXDLGFRAME);
    else
        frame = GetSystemMetrics(SM_CXBORDER);
    f = {frame, frame, frame, frame};
    if ((style & WS_CAPTION) == WS_CAPTION)
        f.Top += GetSystemMetrics((ex & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    return f;
}

TRect TWinControl::StandardMargins() {
    DWORD style, ex;
    StyleOf(style, ex);
    TRect m = SystemFrame();
    bool top = !(style & WS_CHILD);
    // The menu bar lies inside the window, above the client area.
    if (top) m.Top += MenuBarHeight();
    Integer b = 0;
    if (!top || !Decorated(style)) {
        if (style & WS_THICKFRAME)
            b += GetSystemMetrics(SM_CXFRAME);
        else if (style & WS_DLGFRAME)
            b += GetSystemMetrics(SM_CXDLGFRAME);
        else if (style & WS_BORDER)
            b += GetSystemMetrics(SM_CXBORDER);
    }
    if (ex & WS_EX_CLIENTEDGE) b += GetSystemMetrics(SM_CXEDGE);
    if (ex & WS_EX_STATICEDGE) b += GetSystemMetrics(SM_CXBORDER);
    m.Left += b;
    m.Top += b;
    m.Right += b;
    m.Bottom += b;
    return m;
}

TRect TWinControl::GetNonClientMargins() {
    if (FHandle && FNCValid) return FNC;
    TRect window{0, 0, FWidth, FHeight};
    TRect rc = window;
    Perform(WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&rc));
    TRect m{rc.Left - window.Left, rc.Top - window.Top, window.Right - rc.Right, window.Bottom - rc.Bottom};
    if (FHandle) {
        FNC = m;
        FNCValid = true;
    }
    return m;
}

void TWinControl::WMNCCalcSize(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::FrameChanged() {
    FNCValid = false;
    if (FHandle) {
        TWindowBackend::SyncGeometry(this);
        TWindowBackend::SyncScrollBars(this);
        InvalidateFrame();
    }
}

TRect TWinControl::ClientRectOf() {
    TRect m = GetNonClientMargins();
    return {0, 0, std::max(0, FWidth - m.Left - m.Right), std::max(0, FHeight - m.Top - m.Bottom)};
}

TPoint TWinControl::GetClientOriginOf() {
    TRect m = GetNonClientMargins();
    TPoint o;
    if (FParent && !IsTopLevelCached()) {
        TPoint p = FParent->GetClientOrigin();
        o = {p.X + FLeft, p.Y + FTop};
    } else {
        o = {FLeft, FTop};
    }
    return {o.X + m.Left, o.Y + m.Top};
}

bool TWinControl::IsTopLevelCached() {
    if (FHandle) return !(FStyle & WS_CHILD);
    if (!FParent) return true;
    return IsTopLevel();
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
    if (FHandle && !FBackendMoving) TWindowBackend::SyncGeometry(this);
    if (Message.WParam & 1) {
        TRect cr = GetClientRect();
        Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(Word(cr.Right), Word(cr.Bottom)));
        InvalidateFrame();
    }
    if (Message.WParam & 2) {
        TPoint o = GetClientOrigin();
        Perform(WM_MOVE, 0, MAKELPARAM(Word(int16_t(o.X)), Word(int16_t(o.Y))));
    }
}

void TWinControl::WMSize(TMessage& Message) {
    DefaultHandler(Message);
    Realign();
    if (!IsLoading()) Resize();
}

void TWinControl::WMMove(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::SetBorderWidth(Integer Value) {
    if (FBorderWidth == Value) return;
    FBorderWidth = Value;
    Realign();
    Invalidate();
}

void TWinControl::SetCtl3D(bool Value) {
    if (FCtl3D == Value && !FParentCtl3D) return;
    FCtl3D = Value;
    FParentCtl3D = false;
    Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool Value) {
    if (FParentCtl3D == Value) return;
    FParentCtl3D = Value;
    if (Value && FParent) Perform(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMCtl3DChanged(TMessage& Message) {
    for (TWinControl* c : FWinControls) c->Perform(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMParentCtl3DChanged(TMessage& Message) {
    if (FParentCtl3D && FParent) {
        bool v = FParent->GetCtl3D();
        if (v != FCtl3D) {
            FCtl3D = v;
            Perform(CM_CTL3DCHANGED);
        }
        FParentCtl3D = true;
    }
}

void TWinControl::CMColorChanged(TMessage& Message) {
    FBrush->SetColor(FColor);
    TControl::CMColorChanged(Message);
    for (int i = 0; i < GetControlCount(); ++i) GetControl(i)->Perform(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& Message) {
    TControl::CMFontChanged(Message);
    for (int i = 0; i < GetControlCount(); ++i) GetControl(i)->Perform(CM_PARENTFONTCHANGED);
}

void TWinControl::FontChanged() { TControl::FontChanged(); }

void TWinControl::CMEnabledChanged(TMessage& Message) {
    if (!FEnabled && FParent) RemoveFocus(false);
    if (!FEnabled && gCapture && IsDescendantOrSelf(gCapture, this)) gCapture->Perform(WM_CANCELMODE);
    if (FHandle) TWindowBackend::SetEnabled(this, FEnabled);
    TControl::CMEnabledChanged(Message);
}

// ---- TWinControl: painting -------------------------------------------------------------------

TPaintSurface* TWinControl::Surface() {
    if (!FSurface) FSurface.reset(lumora_backend::NewSurface(this));
    TRect sys = SystemFrame();
    TRect m = GetNonClientMargins();
    Integer w = std::max(0, FWidth - sys.Left - sys.Right);
    Integer h = std::max(0, FHeight - sys.Top - sys.Bottom);
    TRect client{m.Left - sys.Left, m.Top - sys.Top, 0, 0};
    TRect cr = GetClientRect();
    client.Right = client.Left + cr.Right;
    client.Bottom = client.Top + cr.Bottom;
    lumora_backend::SurfaceSetGeometry(FSurface.get(), w, h, client);
    return FSurface.get();
}

TCanvas* TWinControl::SurfaceCanvas() { return lumora_backend::SurfaceCanvas(Surface()); }

TCanvas* TWinControl::GetWindowCanvas() {
    TPaintSurface* s = Surface();
    lumora_backend::SurfaceTouched(s);
    return lumora_backend::SurfaceWindowCanvas(s);
}

void TWinControl::InvalidateRect(const TRect* R, bool Erase) {
    if (FrameworkPainted()) lumora_backend::SurfaceInvalidate(Surface(), R, Erase);
    if (!FHandle) return;
    TRect m = GetNonClientMargins();
    TRect sys = SystemFrame();
    if (R) {
        TRect wr{R->Left + m.Left - sys.Left, R->Top + m.Top - sys.Top, R->Right + m.Left - sys.Left,
                 R->Bottom + m.Top - sys.Top};
        TWindowBackend::InvalidateWindow(this, &wr);
    } else {
        TWindowBackend::InvalidateWindow(this, nullptr);
    }
}

void TWinControl::ValidateRect(const TRect* R) {
    if (FrameworkPainted()) lumora_backend::SurfaceValidate(Surface(), R);
}

void TWinControl::InvalidateFrame() {
    if (!FrameworkPainted()) return;
    lumora_backend::SurfaceInvalidateFrame(Surface());
    if (FHandle) TWindowBackend::InvalidateWindow(this, nullptr);
}

void TWinControl::Invalidate() { InvalidateRect(nullptr, !FControlStyle.Contains(csOpaque)); }

void TWinControl::Update() {
    // Paint what is marked, into the backing image, then show it.
    if (FrameworkPainted()) {
        TPaintSurface* s = Surface();
        if (lumora_backend::SurfaceFrameInvalid(s)) Perform(WM_NCPAINT, 1);
        if (lumora_backend::SurfaceHasInvalid(s)) Perform(WM_PAINT);
    }
    if (FHandle) TWindowBackend::UpdateWindow(this);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::WMPaint(TMessage& Message) { PaintHandler(Message); }

void TWinControl::PaintHandler(TMessage& Message) {
    if (!FrameworkPainted()) {
        DefaultHandler(Message);
        return;
    }
    TPaintSurface* s = Surface();
    bool erase = false;
    TRect clip;
    if (!lumora_backend::SurfaceBeginPaint(s, erase, clip)) return;
    try {
        TCanvas* dc = lumora_backend::SurfaceCanvas(s);
        if (erase) Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc));
        PaintWindow(dc);
        PaintControls(dc, nullptr);
    } catch (...) {
        lumora_backend::SurfaceEndPaint(s);
        throw;
    }
    lumora_backend::SurfaceEndPaint(s);
}

void TWinControl::PaintWindow(TCanvas* DC) {
    TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
    DefaultHandler(m);
}

void TWinControl::PaintControls(TCanvas* DC, TControl* First) {
    size_t start = 0;
    if (First) {
        auto it = std::find(FControls.begin(), FControls.end(), First);
        if (it != FControls.end()) start = size_t(it - FControls.begin());
    }
    TRect clip = DC ? DC->GetClipRect() : GetClientRect();
    for (size_t i = start; i < FControls.size(); ++i) {
        auto* c = dynamic_cast<TGraphicControl*>(FControls[i]);
        if (!c || !c->FVisible) continue;
        TRect b = c->GetBoundsRect();
        if (b.Right <= clip.Left || b.Left >= clip.Right || b.Bottom <= clip.Top || b.Top >= clip.Bottom) continue;
        c->PaintOn(Surface());
    }
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
    auto* dc = reinterpret_cast<TCanvas*>(Message.WParam);
    if (dc) {
        dc->GetBrush()->SetColor(FBrush->GetColor());
        dc->GetBrush()->SetStyle(bsSolid);
        dc->FillRect(dc->GetClipRect());
    }
    Message.Result = 1;
}

void TWinControl::WMNCPaint(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::PaintTo(TCanvas* Canvas, Integer X, Integer Y) {
    if (FrameworkPainted()) {
        Update();
        lumora_backend::SurfaceDrawTo(Surface(), Canvas, X, Y);
    }
    for (TWinControl* c : FWinControls) {
        if (!c->FVisible || c->IsTopLevelCached()) continue;
        c->PaintTo(Canvas, X + c->FLeft, Y + c->FTop);
    }
}

// ---- TWinControl: focus and tab order --------------------------------------------------------

Integer TWinControl::GetTabOrder() const {
    if (!FParent) return -1;
    auto& l = FParent->FTabList;
    auto it = std::find(l.begin(), l.end(), this);
    return it == l.end() ? -1 : Integer(it - l.begin());
}

void TWinControl::SetTabOrder(Integer Value) {
    if (!FParent) return;
    auto& l = FParent->FTabList;
    auto it = std::find(l.begin(), l.end(), this);
    if (it == l.end()) return;
    l.erase(it);
    if (Value < 0) Value = 0;
    if (size_t(Value) > l.size()) Value = Integer(l.size());
    l.insert(l.begin() + Value, this);
}

void TWinControl::SetTabStop(bool Value) {
    if (FTabStop == Value) return;
    FTabStop = Value;
    Perform(CM_TABSTOPCHANGED);
}

bool TWinControl::CanFocus() {
    TCustomForm* form = GetParentForm(this);
    if (!form) return FVisible && FEnabled && IsTopLevelCached();
    for (TControl* c = this; c && c != form; c = c->GetParent())
        if (!c->FVisible || !c->FEnabled) return false;
    return true;
}

bool TWinControl::Focused() { return FHandle && gFocus == this; }

void TWinControl::SetFocus() {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this) {
        form->FocusControl(this);
        return;
    }
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    HandleNeeded();
    SetFocusWindow(this);
}

void TWinControl::RemoveFocus(bool Removing) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, Removing);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
    for (TWinControl* c : FTabList) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int n = int(list.size());
    auto found = std::find(list.begin(), list.end(), CurControl);
    int start = found == list.end() ? (GoForward ? n - 1 : 0) : int(found - list.begin());
    int i = start;
    do {
        if (GoForward) {
            if (++i == n) i = 0;
        } else {
            if (i == 0) i = n;
            --i;
        }
        TWinControl* c = list[size_t(i)];
        if (c != CurControl && (!CheckTabStop || c->FTabStop) && (!CheckParent || c->FParent == this) && c->CanFocus())
            return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
    if (c) c->SetFocus();
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TWinControl::CMEnter(TMessage& Message) { DoEnter(); }
void TWinControl::CMExit(TMessage& Message) { DoExit(); }
void TWinControl::CMFocusChanged(TMessage& Message) { Broadcast(Message); }

void TWinControl::WMSetFocus(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

// ---- TWinControl: keys -----------------------------------------------------------------------

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(Char& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

bool TWinControl::DoKey(TMessage& Message, bool (TWinControl::*Preview)(TMessage&),
                        void (TWinControl::*Handler)(Word&, TShiftState)) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->GetKeyPreview() && ((static_cast<TWinControl*>(form)->*Preview)(Message) || !IsLive(this)))
        return true;
    if (!FControlStyle.Contains(csNoStdEvents)) {
        Word key = Word(Message.WParam);
        (this->*Handler)(key, KeyDataToShiftState(Message.LParam));
        Message.WParam = key;
        if (key == 0 || !IsLive(this)) return true;
    }
    return false;
}

bool TWinControl::DoKeyDown(TMessage& Message) { return DoKey(Message, &TWinControl::DoKeyDown, &TWinControl::KeyDown); }

bool TWinControl::DoKeyUp(TMessage& Message) { return DoKey(Message, &TWinControl::DoKeyUp, &TWinControl::KeyUp); }

bool TWinControl::DoKeyPress(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->GetKeyPreview() &&
        (static_cast<TWinControl*>(form)->DoKeyPress(Message) || !IsLive(this)))
        return true;
    if (!FControlStyle.Contains(csNoStdEvents)) {
        Char ch = Char(Message.WParam);
        KeyPress(ch);
        Message.WParam = WPARAM(ch);
        if (ch == 0 || !IsLive(this)) return true;
    }
    return false;
}

void TWinControl::WMKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
    if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysChar(TMessage& Message) { DefaultHandler(Message); }

bool TWinControl::IsMenuKey(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    TMessage m{WM_KEYDOWN, Message.WParam, Message.LParam, 0};
    if (form && form->IsShortCut(m)) return true;
    if (!form) {
        // A window without a form (a popup) still gives the application its shortcuts.
        bool handled = false;
        if (Application->OnShortCut) Application->OnShortCut(m, handled);
        return handled;
    }
    return false;
}

void TWinControl::CNKeyDown(TMessage& Message) {
    Message.Result = 1;
    if (IsMenuKey(Message) || !IsLive(this)) return;
    if (Perform(CM_CHILDKEY, Message.WParam, reinterpret_cast<LPARAM>(this)) != 0 || !IsLive(this)) return;
    LRESULT mask = 0;
    switch (Word(Message.WParam)) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.WParam) == 0 &&
        (Perform(WM_GETDLGCODE) & (mask | DLGC_WANTALLKEYS)) == 0) {
        TCustomForm* form = GetParentForm(this);
        TWinControl* target = form ? static_cast<TWinControl*>(form) : this;
        if (target->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
    }
    Message.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& Message) { Message.Result = 0; }

void TWinControl::CNChar(TMessage& Message) {
    Message.Result = 0;
    if (Message.Msg == CN_SYSCHAR) {
        // Alt with a letter: the form's accelerators.
        TCustomForm* form = GetParentForm(this);
        TWinControl* target = form ? static_cast<TWinControl*>(form) : this;
        if (target->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) Message.Result = 1;
    }
}

void TWinControl::CMChildKey(TMessage& Message) {
    // Parents may take a key their child got first (the framework asks up the chain).
    if (FParent) Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

void TWinControl::CMWantSpecialKey(TMessage& Message) { Message.Result = 0; }

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }

void TWinControl::WMGetDlgCode(TMessage& Message) { DefaultHandler(Message); }

// ---- TWinControl: message dispatch -----------------------------------------------------------

void TWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SETFOCUS: {
        TCustomForm* form = GetParentForm(this);
        if (form && !form->SetFocusedControl(this)) return;
        break;
    }
    case WM_KILLFOCUS:
        if (FControlState.Contains(csFocusing)) return;
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        if (IsControlMouseMsg(Message)) return;
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        if (TDragManager::Active()) return;
        break;
    case WM_CANCELMODE:
        if (gCapture == this && gCaptureControl && gCaptureControl != this && gCaptureControl->GetParent() == this)
            gCaptureControl->Perform(WM_CANCELMODE);
        break;
    default:
        break;
    }
    TControl::WndProc(Message);
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
    TControl* c = nullptr;
    if (gCapture == this) {
        if (gCaptureControl && gCaptureControl != this && gCaptureControl->GetParent() == this) c = gCaptureControl;
    } else {
        c = ControlAtPos(MessagePoint(Message), false);
    }
    if (!c) return false;
    TPoint p = MessagePoint(Message);
    p.X -= c->FLeft;
    p.Y -= c->FTop;
    Message.Result = c->Perform(Message.Msg, Message.WParam, PointToLParam(p));
    return true;
}

void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_NCPAINT: WMNCPaint(Message); break;
    case WM_NCCALCSIZE: WMNCCalcSize(Message); break;
    case WM_NCHITTEST: WMNCHitTest(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case WM_MOVE: WMMove(Message); break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_KEYDOWN: WMKeyDown(Message); break;
    case WM_KEYUP: WMKeyUp(Message); break;
    case WM_CHAR: WMChar(Message); break;
    case WM_SYSKEYDOWN: WMSysKeyDown(Message); break;
    case WM_SYSKEYUP: WMSysKeyUp(Message); break;
    case WM_SYSCHAR: WMSysChar(Message); break;
    case WM_SETCURSOR: WMSetCursor(Message); break;
    case WM_HSCROLL: WMHScroll(Message); break;
    case WM_VSCROLL: WMVScroll(Message); break;
    case WM_TIMER: WMTimer(Message); break;
    case WM_GETDLGCODE: WMGetDlgCode(Message); break;
    case WM_CAPTURECHANGED: WMCaptureChanged(Message); break;
    case WM_MOUSEACTIVATE: WMMouseActivate(Message); break;
    case WM_DESTROY: WMDestroy(Message); break;
    case WM_NCDESTROY: WMNCDestroy(Message); break;
    case WM_CLOSE: WMClose(Message); break;
    case WM_ACTIVATE: WMActivate(Message); break;
    case WM_CUT: WMCut(Message); break;
    case WM_COPY: WMCopy(Message); break;
    case WM_PASTE: WMPaste(Message); break;
    case WM_CLEAR: WMClear(Message); break;
    case CN_KEYDOWN: CNKeyDown(Message); break;
    case CN_SYSKEYDOWN: CNKeyDown(Message); break;
    case CN_KEYUP: CNKeyUp(Message); break;
    case CN_CHAR: CNChar(Message); break;
    case CN_SYSCHAR: CNChar(Message); break;
    case CM_ENTER: CMEnter(Message); break;
    case CM_EXIT: CMExit(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_WANTSPECIALKEY: CMWantSpecialKey(Message); break;
    case CM_CHILDKEY: CMChildKey(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(Message); break;
    case CM_RECREATEWND: CMRecreateWnd(Message); break;
    default: TControl::Dispatch(Message); break;
    }
}

void TWinControl::WMNCHitTest(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMHScroll(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMVScroll(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMTimer(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMCaptureChanged(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMMouseActivate(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMDestroy(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMNCDestroy(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMClose(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMActivate(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMCut(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMCopy(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMPaste(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMClear(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMSetCursor(TMessage& Message) {
    if (Screen->GetCursor() == 0 && reinterpret_cast<HWND>(Message.WParam) == this && int16_t(LOWORD(Message.LParam)) == HTCLIENT) {
        TPoint p = ScreenToClient(GetMessagePos());
        TControl* c = ControlAtPos(p, false);
        TCursor cursor = c ? c->GetCursor() : GetCursor();
        if (cursor != 0) {
            SetCursorShape(cursor);
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}

// The default window procedure: what the system does for a window when no handler took the
// message.
void TWinControl::DefaultHandler(TMessage& Message) {
    if (FHandle && TWindowBackend::DefaultWindowProc(this, Message)) return;
    switch (Message.Msg) {
    case WM_GETTEXT: TControl::WMGetText(Message); break;
    case WM_SETTEXT:
        TControl::WMSetText(Message);
        if (FHandle && IsTopLevelCached()) TWindowBackend::SetText(this, FText);
        break;
    case WM_NCCALCSIZE: {
        auto* r = reinterpret_cast<TRect*>(Message.LParam);
        if (!r) break;
        TRect m = StandardMargins();
        r->Left += m.Left;
        r->Top += m.Top;
        r->Right -= m.Right;
        r->Bottom -= m.Bottom;
        if (FScrollBars[1].Shown) r->Right -= GetSystemMetrics(SM_CXVSCROLL);
        if (FScrollBars[0].Shown) r->Bottom -= GetSystemMetrics(SM_CYHSCROLL);
        if (r->Right < r->Left) r->Right = r->Left;
        if (r->Bottom < r->Top) r->Bottom = r->Top;
        break;
    }
    case WM_NCPAINT: DefaultNCPaint(); break;
    case WM_NCHITTEST: {
        TPoint p = LParamToPoint(Message.LParam);
        TPoint c = ScreenToClient(p);
        TRect cr = GetClientRect();
        if (c.X >= 0 && c.Y >= 0 && c.X < cr.Right && c.Y < cr.Bottom)
            Message.Result = HTCLIENT;
        else if (FScrollBars[1].Shown && c.X >= cr.Right && c.Y >= 0 && c.Y < cr.Bottom)
            Message.Result = HTVSCROLL;
        else if (FScrollBars[0].Shown && c.Y >= cr.Bottom && c.X >= 0 && c.X < cr.Right)
            Message.Result = HTHSCROLL;
        else
            Message.Result = HTBORDER;
        break;
    }
    case WM_SETCURSOR:
        // The parent may decide first; else the arrow over the client area.
        if (FParent && !IsTopLevelCached() && FParent->Perform(WM_SETCURSOR, Message.WParam, Message.LParam) != 0) {
            Message.Result = 1;
            break;
        }
        if (int16_t(LOWORD(Message.LParam)) == HTCLIENT) {
            SetCursorShape(Screen->GetCursor() != 0 ? Screen->GetCursor() : 0);
            Message.Result = 1;
        }
        break;
    case WM_MOUSEACTIVATE:
        if (FParent && !IsTopLevelCached()) {
            Message.Result = FParent->Perform(WM_MOUSEACTIVATE, Message.WParam, Message.LParam);
            if (Message.Result) break;
        }
        Message.Result = MA_ACTIVATE;
        break;
    case WM_RBUTTONUP: {
        TPoint s = ClientToScreen(MessagePoint(Message));
        Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(this), PointToLParam(s));
        break;
    }
    case WM_CONTEXTMENU:
        if (FParent && !IsTopLevelCached()) Message.Result = FParent->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
        break;
    case WM_CLOSE:
        if (!dynamic_cast<TCustomForm*>(this)) DestroyHandle();
        break;
    case WM_SYSKEYDOWN:
        if (Word(Message.WParam) == VK_F4 && (Message.LParam & KF_ALTDOWN)) {
            if (TWinControl* top = lumora_detail::TopLevelOf(this)) top->Perform(WM_SYSCOMMAND, SC_CLOSE);
        }
        break;
    case WM_SYSCOMMAND:
        if ((Message.WParam & 0xFFF0) == SC_CLOSE) Perform(WM_CLOSE);
        break;
    default: break;
    }
}

void TWinControl::DefaultNCPaint() {
    if (!FrameworkPainted()) return;
    TPaintSurface* s = Surface();
    TCanvas* c = lumora_backend::SurfaceWindowCanvas(s);
    if (!c) return;
    DWORD style, ex;
    StyleOf(style, ex);
    TRect sys = SystemFrame();
    TRect r{0, 0, FWidth - sys.Left - sys.Right, FHeight - sys.Top - sys.Bottom};
    if (ex & WS_EX_CLIENTEDGE) {
        DrawEdge(c->GetHandle(), &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    } else if (ex & WS_EX_STATICEDGE) {
        DrawEdge(c->GetHandle(), &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    if ((style & WS_BORDER) && ((style & WS_CHILD) || !Decorated(style))) {
        c->GetBrush()->SetColor(clWindowFrame);
        c->FrameRect(r);
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
    if (FScrollBars[0].Shown && FScrollBars[1].Shown) {
        Integer cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
        TRect m = StandardMargins();
        Integer right = FWidth - m.Right - sys.Left;
        Integer bottom = FHeight - m.Bottom - sys.Top;
        c->GetBrush()->SetColor(clBtnFace);
        c->FillRect({right - cx, bottom - cy, right, bottom});
    }
}

// ---- TCustomControl and TGraphicControl ------------------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

TCustomControl::~TCustomControl() = default;

TCanvas* TCustomControl::GetCanvas() {
    TPaintSurface* s = Surface();
    lumora_backend::SurfaceTouched(s);
    return lumora_backend::SurfaceCanvas(s);
}

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(TCanvas* DC) { Paint(); }

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
    FCanvas = lumora_backend::NewControlCanvas();
}

TGraphicControl::~TGraphicControl() { lumora_backend::FreeControlCanvas(FCanvas); }

TCanvas* TGraphicControl::GetCanvas() {
    if (!FPainting) {
        TPaintSurface* s = FParent && FParent->FrameworkPainted() ? FParent->Surface() : nullptr;
        lumora_backend::BindControlCanvas(FCanvas, s, {FLeft, FTop}, {0, 0, FWidth, FHeight});
        if (s) lumora_backend::SurfaceTouched(s);
    }
    return FCanvas;
}

void TGraphicControl::PaintOn(TPaintSurface* Surface) {
    FPainting = true;
    try {
        TRect clip{0, 0, FWidth, FHeight};
        lumora_backend::BindControlCanvas(FCanvas, Surface, {FLeft, FTop}, clip);
        Perform(WM_PAINT, reinterpret_cast<WPARAM>(FCanvas));
    } catch (...) {
        FPainting = false;
        throw;
    }
    FPainting = false;
}

void TGraphicControl::Paint() {}

void TGraphicControl::WMPaint(TMessage& Message) {
    if (Message.WParam) Paint();
}

void TGraphicControl::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_PAINT) {
        WMPaint(Message);
        return;
    }
    TControl::Dispatch(Message);
}

// ---- Focus and capture -----------------------------------------------------------------------

HWND GetFocus() { return gFocus; }

HWND SetFocusWindow(HWND Wnd) {
    if (Wnd && !IsLive(Wnd)) return gFocus;
    HWND old = gFocus;
    if (Wnd == old) return old;
    if (Wnd) {
        Wnd->HandleNeeded();
        TWinControl* top = lumora_detail::TopLevelOf(Wnd);
        // A window is focused inside the active top-level window: activate it first.
        if (top && top != lumora_detail::ActiveTopLevel() && !lumora_detail::NeverActivates(top)) {
            lumora_detail::ActivateTopLevel(top);
            if (gFocus == Wnd) return old;
        }
    }
    gFocus = Wnd;
    if (old && IsLive(old)) old->Perform(WM_KILLFOCUS, reinterpret_cast<WPARAM>(Wnd));
    if (gFocus != Wnd) return old;
    if (Wnd) {
        TWindowBackend::FocusWindow(Wnd);
        Wnd->Perform(WM_SETFOCUS, reinterpret_cast<WPARAM>(old));
    }
    return old;
}

HWND GetCapture() { return gCapture; }

HWND SetCapture(HWND Wnd) {
    if (Wnd && !IsLive(Wnd)) Wnd = nullptr;
    HWND old = gCapture;
    if (old == Wnd) return old;
    gCapture = Wnd;
    if (gCaptureControl && gCaptureControl != Wnd && (!Wnd || gCaptureControl->GetParent() != Wnd)) gCaptureControl = nullptr;
    if (Wnd && !gCaptureControl) gCaptureControl = Wnd;
    TWindowBackend::CaptureMouse(Wnd);
    if (old && IsLive(old)) old->Perform(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(Wnd));
    return old;
}

bool ReleaseCapture() {
    gCaptureControl = nullptr;
    SetCapture(nullptr);
    return true;
}

TControl* GetCaptureControl() {
    if (!gCapture) return nullptr;
    if (gCaptureControl && (gCaptureControl == gCapture || gCaptureControl->GetParent() == gCapture)) return gCaptureControl;
    return gCapture;
}

void SetCaptureControl(TControl* Control) {
    if (!Control) {
        ReleaseCapture();
        return;
    }
    HWND wnd = dynamic_cast<TWinControl*>(Control);
    if (!wnd) wnd = Control->GetParent();
    if (!wnd) {
        ReleaseCapture();
        return;
    }
    if (gCapture == wnd) {
        gCaptureControl = Control;
        return;
    }
    gCaptureControl = Control;
    SetCapture(wnd);
    gCaptureControl = Control;
}

TWinControl* FindControl(HWND Handle) { return IsLive(Handle) ? Handle : nullptr; }

TCustomForm* GetParentForm(TControl* Control) {
    if (!Control) return nullptr;
    while (Control->GetParent()) Control = Control->GetParent();
    return dynamic_cast<TCustomForm*>(Control);
}

TCustomForm* ValidParentForm(TControl* Control) {
    TCustomForm* f = GetParentForm(Control);
    if (!f) throw EInvalidOperation("Control '" + (Control ? Control->GetName() : std::string()) + "' has no parent form");
    return f;
}

TWinControl* FindVCLWindow(TPoint Pos) { return lumora_detail::WindowAtScreenPoint(Pos); }

TControl* FindDragTarget(TPoint Pos, bool AllowDisabled) {
    TWinControl* w = lumora_detail::WindowAtScreenPoint(Pos);
    if (!w) return nullptr;
    TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled);
    return c ? c : w;
}

// ---- Windows ---------------------------------------------------------------------------------

bool IsWindow(HWND Wnd) { return IsLive(Wnd) && Wnd->HandleAllocated(); }

bool IsWindowVisible(HWND Wnd) { return IsWindow(Wnd) && TWindowBackend::IsWindowVisible(Wnd); }

bool IsWindowEnabled(HWND Wnd) { return IsLive(Wnd) && Wnd->GetEnabled(); }

bool EnableWindow(HWND Wnd, bool Enable) {
    if (!IsLive(Wnd)) return false;
    bool wasDisabled = !Wnd->GetEnabled();
    Wnd->SetEnabled(Enable);
    return wasDisabled;
}

bool ShowWindow(HWND Wnd, Integer CmdShow) {
    if (!IsLive(Wnd)) return false;
    // The window itself, apart from the Visible property (as on Windows).
    Wnd->HandleNeeded();
    bool wasVisible = TWindowBackend::IsWindowVisible(Wnd);
    switch (CmdShow) {
    case SW_HIDE:
        if (wasVisible) {
            Wnd->Perform(WM_SHOWWINDOW, 0);
            TWindowBackend::ShowWindow(Wnd, false, false);
            if (gFocus && IsDescendantOrSelf(gFocus, Wnd)) SetFocusWindow(nullptr);
            if (Wnd == lumora_detail::ActiveTopLevel()) lumora_detail::ActivateNextAfter(Wnd);
        }
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        TWindowBackend::SetWindowState(Wnd, 1);
        break;
    case SW_SHOWMAXIMIZED:
        TWindowBackend::SetWindowState(Wnd, 2);
        break;
    default: {
        bool activate = CmdShow == SW_SHOW || CmdShow == SW_SHOWNORMAL || CmdShow == SW_RESTORE;
        if (!wasVisible) {
            Wnd->Perform(WM_SHOWWINDOW, 1);
            TWindowBackend::ShowWindow(Wnd, true, false);
        }
        if (CmdShow == SW_RESTORE || CmdShow == SW_SHOWNORMAL) TWindowBackend::SetWindowState(Wnd, 0);
        if (activate && Wnd->IsTopLevelCached() && !lumora_detail::NeverActivates(Wnd)) lumora_detail::ActivateTopLevel(Wnd);
        break;
    }
    }
    return wasVisible;
}

bool SetWindowPos(HWND Wnd, HWND InsertAfter, Integer X, Integer Y, Integer CX, Integer CY, UINT Flags) {
    if (!IsLive(Wnd)) return false;
    if (Flags & SWP_FRAMECHANGED) {
        TRect before = Wnd->GetClientRect();
        Wnd->FrameChanged();
        TRect after = Wnd->GetClientRect();
        if (!(before == after)) Wnd->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(Word(after.Right), Word(after.Bottom)));
    }
    if (!(Flags & (SWP_NOMOVE | SWP_NOSIZE)))
        Wnd->SetBounds(X, Y, CX, CY);
    else if (!(Flags & SWP_NOMOVE))
        Wnd->SetBounds(X, Y, Wnd->GetWidth(), Wnd->GetHeight());
    else if (!(Flags & SWP_NOSIZE))
        Wnd->SetBounds(Wnd->GetLeft(), Wnd->GetTop(), CX, CY);
    if (!(Flags & SWP_NOZORDER)) {
        if (InsertAfter == HWND_TOPMOST || InsertAfter == HWND_NOTOPMOST) {
            Wnd->HandleNeeded();
            TWindowBackend::SetTopMost(Wnd, InsertAfter == HWND_TOPMOST);
        } else if (InsertAfter == HWND_TOP) {
            Wnd->SetZOrder(true);
        } else if (InsertAfter == HWND_BOTTOM) {
            Wnd->SetZOrder(false);
        }
    }
    if (Flags & SWP_HIDEWINDOW) ShowWindow(Wnd, SW_HIDE);
    if (Flags & SWP_SHOWWINDOW) ShowWindow(Wnd, (Flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    return true;
}

bool DestroyWindow(HWND Wnd) {
    if (!IsWindow(Wnd)) return false;
    Wnd->DestroyHandle();
    return true;
}

bool GetWindowRect(HWND Wnd, TRect& R) {
    if (!IsLive(Wnd)) return false;
    TPoint o{Wnd->GetLeft(), Wnd->GetTop()};
    if (Wnd->GetParent() && !Wnd->IsTopLevelCached()) {
        TPoint p = Wnd->GetParent()->GetClientOrigin();
        o = {o.X + p.X, o.Y + p.Y};
    }
    R = {o.X, o.Y, o.X + Wnd->GetWidth(), o.Y + Wnd->GetHeight()};
    return true;
}

bool GetClientRect(HWND Wnd, TRect& R) {
    if (!IsLive(Wnd)) return false;
    R = Wnd->GetClientRect();
    return true;
}

bool ClientToScreen(HWND Wnd, TPoint& P) {
    if (!IsLive(Wnd)) return false;
    P = Wnd->ClientToScreen(P);
    return true;
}

bool ScreenToClient(HWND Wnd, TPoint& P) {
    if (!IsLive(Wnd)) return false;
    P = Wnd->ScreenToClient(P);
    return true;
}

bool InvalidateRect(HWND Wnd, const TRect* R, bool Erase) {
    if (!IsLive(Wnd)) return false;
    Wnd->InvalidateRect(R, Erase);
    return true;
}

bool ValidateRect(HWND Wnd, const TRect* R) {
    if (!IsLive(Wnd)) return false;
    Wnd->ValidateRect(R);
    return true;
}

bool UpdateWindow(HWND Wnd) {
    if (!IsLive(Wnd)) return false;
    Wnd->Update();
    return true;
}

bool SetForegroundWindow(HWND Wnd) {
    if (!IsLive(Wnd)) return false;
    TWinControl* top = lumora_detail::TopLevelOf(Wnd);
    lumora_detail::ActivateTopLevel(top);
    TWindowBackend::ActivateWindow(top);
    return true;
}

HWND GetActiveWindow() { return lumora_detail::ActiveTopLevel(); }
HWND GetForegroundWindow() { return lumora_detail::ActiveTopLevel(); }

LongInt GetWindowLong(HWND Wnd, Integer Index) {
    if (!IsLive(Wnd)) return 0;
    DWORD style, ex;
    Wnd->StyleOf(style, ex);
    if (Index == GWL_STYLE) {
        if (Wnd->FScrollBars[0].Shown) style |= WS_HSCROLL; else style &= ~WS_HSCROLL;
        if (Wnd->FScrollBars[1].Shown) style |= WS_VSCROLL; else style &= ~WS_VSCROLL;
        if (Wnd->IsShowing()) style |= WS_VISIBLE;
        return LongInt(style);
    }
    if (Index == GWL_EXSTYLE) return LongInt(ex);
    return 0;
}

LongInt SetWindowLong(HWND Wnd, Integer Index, LongInt Value) {
    if (!IsLive(Wnd)) return 0;
    LongInt old = GetWindowLong(Wnd, Index);
    Wnd->HandleNeeded();
    if (Index == GWL_STYLE) {
        Wnd->FStyle = DWORD(Value) & ~(WS_HSCROLL | WS_VSCROLL | WS_VISIBLE);
        Wnd->FScrollBars[0].Shown = (DWORD(Value) & WS_HSCROLL) != 0;
        Wnd->FScrollBars[1].Shown = (DWORD(Value) & WS_VSCROLL) != 0;
    } else if (Index == GWL_EXSTYLE) {
        Wnd->FExStyle = DWORD(Value);
    }
    return old;
}

// ---- Window scroll bars ----------------------------------------------------------------------

namespace {

void ClampScrollBar(TWindowScrollBar& sb) {
    int64_t range = int64_t(sb.Max) - sb.Min + 1;
    if (range < 0) range = 0;
    if (int64_t(sb.Page) > range) sb.Page = UINT(range);
    int64_t maxPos = int64_t(sb.Max) - std::max<int64_t>(int64_t(sb.Page) - 1, 0);
    if (maxPos < sb.Min) maxPos = sb.Min;
    if (sb.Pos < sb.Min) sb.Pos = sb.Min;
    if (sb.Pos > maxPos) sb.Pos = Integer(maxPos);
}

bool ScrollNeeded(const TWindowScrollBar& sb) {
    return sb.Max > sb.Min && int64_t(sb.Page) <= int64_t(sb.Max) - sb.Min;
}

}  // namespace

void TWinControl::ScrollBarsChanged(bool FrameChange) {
    if (FrameChange) {
        TRect before = ClientRectOf();
        FNCValid = false;
        TRect after = ClientRectOf();
        if (FHandle) {
            TWindowBackend::SyncGeometry(this);
            InvalidateFrame();
        }
        if (!(before == after)) {
            Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(Word(after.Right), Word(after.Bottom)));
            Invalidate();
        }
    }
    if (FHandle) TWindowBackend::SyncScrollBars(this);
}

Integer SetScrollInfo(HWND Wnd, Integer Bar, const TScrollInfo& Info, bool Redraw) {
    if (!IsLive(Wnd) || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
    TWindowScrollBar& sb = Wnd->FScrollBars[Bar == SB_VERT ? 1 : 0];
    if (Info.fMask & SIF_RANGE) {
        sb.Min = Info.nMin;
        sb.Max = Info.nMax;
    }
    if (Info.fMask & SIF_PAGE) sb.Page = Info.nPage;
    if (Info.fMask & SIF_POS) sb.Pos = Info.nPos;
    ClampScrollBar(sb);
    bool wasShown = sb.Shown;
    if (Info.fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) {
        bool needed = ScrollNeeded(sb);
        if (Info.fMask & SIF_DISABLENOSCROLL) {
            if (needed || sb.Shown) sb.Shown = true;
            sb.Disabled = !needed;
        } else {
            sb.Shown = needed;
            sb.Disabled = false;
        }
    }
    Wnd->ScrollBarsChanged(wasShown != sb.Shown);
    return sb.Pos;
}

bool GetScrollInfo(HWND Wnd, Integer Bar, TScrollInfo& Info) {
    if (!IsLive(Wnd) || (Bar != SB_HORZ && Bar != SB_VERT)) return false;
    const TWindowScrollBar& sb = Wnd->FScrollBars[Bar == SB_VERT ? 1 : 0];
    if (Info.fMask & SIF_RANGE) {
        Info.nMin = sb.Min;
        Info.nMax = sb.Max;
    }
    if (Info.fMask & SIF_PAGE) Info.nPage = sb.Page;
    if (Info.fMask & SIF_POS) Info.nPos = sb.Pos;
    if (Info.fMask & SIF_TRACKPOS) Info.nTrackPos = sb.Tracking ? sb.TrackPos : sb.Pos;
    return true;
}

Integer SetScrollPos(HWND Wnd, Integer Bar, Integer Pos, bool Redraw) {
    if (!IsLive(Wnd) || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
    Integer old = Wnd->FScrollBars[Bar == SB_VERT ? 1 : 0].Pos;
    TScrollInfo si;
    si.fMask = SIF_POS;
    si.nPos = Pos;
    SetScrollInfo(Wnd, Bar, si, Redraw);
    return old;
}

Integer GetScrollPos(HWND Wnd, Integer Bar) {
    TScrollInfo si;
    si.fMask = SIF_POS;
    return GetScrollInfo(Wnd, Bar, si) ? si.nPos : 0;
}

bool SetScrollRange(HWND Wnd, Integer Bar, Integer Min, Integer Max, bool Redraw) {
    TScrollInfo si;
    si.fMask = SIF_RANGE;
    si.nMin = Min;
    si.nMax = Max;
    if (!IsLive(Wnd)) return false;
    SetScrollInfo(Wnd, Bar, si, Redraw);
    return true;
}

bool GetScrollRange(HWND Wnd, Integer Bar, Integer& Min, Integer& Max) {
    TScrollInfo si;
    si.fMask = SIF_RANGE;
    if (!GetScrollInfo(Wnd, Bar, si)) return false;
    Min = si.nMin;
    Max = si.nMax;
    return true;
}

bool ShowScrollBar(HWND Wnd, Integer Bar, bool Show) {
    if (!IsLive(Wnd)) return false;
    bool changed = false;
    auto set = [&](int i) {
        if (Wnd->FScrollBars[i].Shown != Show) {
            Wnd->FScrollBars[i].Shown = Show;
            changed = true;
        }
    };
    if (Bar == SB_HORZ || Bar == SB_BOTH) set(0);
    if (Bar == SB_VERT || Bar == SB_BOTH) set(1);
    Wnd->ScrollBarsChanged(changed);
    return true;
}

bool EnableScrollBar(HWND Wnd, UINT SBFlags, UINT Arrows) {
    if (!IsLive(Wnd)) return false;
    bool disable = Arrows == ESB_DISABLE_BOTH;
    if (SBFlags == UINT(SB_HORZ) || SBFlags == UINT(SB_BOTH)) Wnd->FScrollBars[0].Disabled = disable;
    if (SBFlags == UINT(SB_VERT) || SBFlags == UINT(SB_BOTH)) Wnd->FScrollBars[1].Disabled = disable;
    Wnd->ScrollBarsChanged(false);
    return true;
}

Integer ScrollWindowEx(HWND Wnd, Integer DX, Integer DY, const TRect* Scroll, const TRect* Clip, TRect* Update,
                       UINT Flags) {
    if (!IsLive(Wnd)) return 0;
    TRect client = Wnd->GetClientRect();
    TRect scroll = Scroll ? IntersectionOf(*Scroll, client) : client;
    TRect clip = Clip ? IntersectionOf(*Clip, client) : client;
    TRect area = IntersectionOf(scroll, clip);
    if (Wnd->FrameworkPainted()) lumora_backend::SurfaceScroll(Wnd->Surface(), DX, DY, scroll, clip);
    if (Wnd->HandleAllocated()) TWindowBackend::ScrollWindow(Wnd, DX, DY, scroll, clip);
    // What the moved pixels no longer cover must be painted again.
    TRect moved = IntersectionOf({scroll.Left + DX, scroll.Top + DY, scroll.Right + DX, scroll.Bottom + DY}, area);
    TRect strips[2];
    int n = 0;
    if (IsRectEmpty(&moved)) {
        strips[n++] = area;
    } else {
        if (DX > 0) strips[n++] = {area.Left, area.Top, moved.Left, area.Bottom};
        if (DX < 0) strips[n++] = {moved.Right, area.Top, area.Right, area.Bottom};
        if (DY > 0) strips[n++] = {area.Left, area.Top, area.Right, moved.Top};
        if (DY < 0) strips[n++] = {area.Left, moved.Bottom, area.Right, area.Bottom};
    }
    TRect upd;
    for (int i = 0; i < n; ++i)
        if (!IsRectEmpty(&strips[i])) {
            upd = UnionOf(upd, strips[i]);
            if (Flags & SW_INVALIDATE) Wnd->InvalidateRect(&strips[i], (Flags & SW_ERASE) != 0);
        }
    if (Flags & SW_SCROLLCHILDREN) {
        for (int i = 0; i < Wnd->GetControlCount(); ++i) {
            TControl* c = Wnd->GetControl(i);
            TRect b = c->GetBoundsRect();
            if (TRect hit; IntersectRect(&hit, &b, &scroll)) c->SetBounds(b.Left + DX, b.Top + DY, b.Width(), b.Height());
        }
    }
    if (Update) *Update = upd;
    if (IsRectEmpty(&upd)) return NULLREGION;
    return n > 1 ? COMPLEXREGION : SIMPLEREGION;
}

bool ScrollWindow(HWND Wnd, Integer DX, Integer DY, const TRect* Scroll, const TRect* Clip) {
    return ScrollWindowEx(Wnd, DX, DY, Scroll, Clip, nullptr, SW_INVALIDATE | SW_ERASE | (Scroll ? 0 : SW_SCROLLCHILDREN)) != 0;
}

TCursor SetCursorShape(TCursor Cursor) { return lumora_detail::SetCurrentCursor(Cursor); }
