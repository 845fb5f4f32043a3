#include "framework/controls.h"

#include <algorithm>
#include <unordered_set>

#include "framework/controls_internal.h"
#include "framework/drag.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/menus.h"
#include "framework/window_backend.h"

// ---- Bookkeeping shared by the window functions ----------------------------------------------

namespace lumora_controls {

std::unordered_set<const TControl*>& LiveControls() {
    static std::unordered_set<const TControl*> s;
    return s;
}

HWND gFocus = nullptr;
HWND gCapture = nullptr;
TControl* gCaptureControl = nullptr;

bool IsLive(const TControl* c) { return c && LiveControls().count(c) != 0; }

bool IsDescendantOrSelf(const TControl* c, const TWinControl* ancestor) {
    for (const TControl* x = c; x; x = x->GetParent())
        if (x == ancestor) return true;
    return false;
}

}  // namespace lumora_controls

using namespace lumora_controls;

namespace {

// The character of the key being handled is dropped (DiscardPendingMessage(WM_CHAR)).
bool gDiscardChar = false;

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
    if (FControl)
        FControl->SetBounds(FControl->GetLeft(), FControl->GetTop(), FControl->GetWidth(), FControl->GetHeight());
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

void TControl::CMVisibleChanged(TMessage& Message) {
    InvalidateControl(true, FVisible && FControlStyle.Contains(csOpaque));
}

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
