#include "framework/controls.h"

#include <algorithm>

#include "framework/controls_internal.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"
#include "framework/window_hooks.h"

using namespace lumora_controls;

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
    // A new window starts with fresh scroll bars: those its style names are shown at once (range
    // 0..100); a recreated window keeps nothing of the old one's bars.
    for (int bar = 0; bar < 2; ++bar) {
        DWORD bit = bar == 0 ? WS_HSCROLL : WS_VSCROLL;
        TWindowScrollBar& sb = FScrollBars[bar];
        sb = TWindowScrollBar{};
        if (params.Style & bit) {
            sb.Shown = true;
            sb.Max = 100;
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
        lumora_detail::RunDestroyWindowHooks(this);
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
    // Only inside a showing form (or a window that hosts it), or inside any other showing
    // window (a pane a dialog embeds), does a control show its window.
    TWinControl* c = this;
    while (c->FParent) {
        c = c->FParent;
        if (!c->FShowing) return;
    }
    if (c != this || dynamic_cast<TCustomForm*>(c) || c->FParentWindow) UpdateShowing();
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
        if (!FParent) lumora_detail::TopLevelPosChanged(this, show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
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

void TWinControl::WMSetText(TMessage& Message) {
    TControl::WMSetText(Message);
    if (FHandle && IsTopLevelCached()) TWindowBackend::SetText(this, FText);
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
