#include "components/tool_window.h"

#include <algorithm>

#include "components/window_print.h"
#include "framework/exceptions.h"
#include "framework/forms.h"
#include "framework/system_metrics.h"
#include "framework/sysutils.h"
#include "framework/window_backend.h"
#include "framework/window_hooks.h"
#include "framework/windows_gdi.h"

// ---- Helpers ---------------------------------------------------------------------------------

Integer DragHandleSize(TDragHandleStyle Style, bool CloseButtonWhenDocked) {
    if (CloseButtonWhenDocked) return 14;
    switch (Style) {
    case dhDouble: return 9;
    case dhSingle: return 6;
    default: return 0;
    }
}

TRect MoveRectOnScreen(const TRect& R, const TRect& WorkArea, bool OnlyIfFullyOffscreen) {
    bool meets =
        R.Left < WorkArea.Right && WorkArea.Left < R.Right && R.Top < WorkArea.Bottom && WorkArea.Top < R.Bottom;
    if (OnlyIfFullyOffscreen && meets) return R;
    TRect r = R;
    auto shift = [&](Integer dx, Integer dy) { r = {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; };
    if (r.Right > WorkArea.Right) shift(WorkArea.Right - r.Right, 0);
    if (r.Bottom > WorkArea.Bottom) shift(0, WorkArea.Bottom - r.Bottom);
    if (r.Left < WorkArea.Left) shift(WorkArea.Left - r.Left, 0);
    if (r.Top < WorkArea.Top) shift(0, WorkArea.Top - r.Top);
    return r;
}

namespace {

Integer DistanceTo(const TRect& M, TPoint P) {
    Integer dx = P.X < M.Left ? M.Left - P.X : P.X >= M.Right ? P.X - M.Right + 1 : 0;
    Integer dy = P.Y < M.Top ? M.Top - P.Y : P.Y >= M.Bottom ? P.Y - M.Bottom + 1 : 0;
    return dx + dy;
}

Int64 Overlap(const TRect& A, const TRect& B) {
    Int64 w = std::min(A.Right, B.Right) - std::max(A.Left, B.Left);
    Int64 h = std::min(A.Bottom, B.Bottom) - std::max(A.Top, B.Top);
    return w > 0 && h > 0 ? w * h : 0;
}

// The monitor with the most of R, else the nearest to R's centre.
TRect NearestWorkArea(const TRect& R) {
    int n = Screen->GetMonitorCount();
    // One monitor (or none known): the system's work area.
    if (n <= 1) return Screen->GetWorkAreaRect();
    TMonitor* best = nullptr;
    Int64 bestOverlap = 0;
    for (int i = 0; i < n; ++i) {
        Int64 o = Overlap(Screen->GetMonitor(i)->BoundsRect, R);
        if (o > bestOverlap) {
            bestOverlap = o;
            best = Screen->GetMonitor(i);
        }
    }
    if (!best) {
        TPoint c{R.Left + R.Width() / 2, R.Top + R.Height() / 2};
        Integer bestDistance = 0;
        for (int i = 0; i < n; ++i) {
            Integer d = DistanceTo(Screen->GetMonitor(i)->BoundsRect, c);
            if (!best || d < bestDistance) {
                best = Screen->GetMonitor(i);
                bestDistance = d;
            }
        }
    }
    return best->WorkareaRect;
}

}  // namespace

TRect WorkAreaOfRect(const TRect& R) { return NearestWorkArea(R); }

TRect WorkAreaOfPoint(TPoint P) { return NearestWorkArea({P.X, P.Y, P.X + 1, P.Y + 1}); }

// ---- TFloatingWindowParent -------------------------------------------------------------------

TFloatingWindowParent::TFloatingWindowParent(TComponent* AOwner) : TForm(AOwner) {
    // Eight lower-case hex digits of the address, as "%.8x" prints them.
    std::string hex = LowerCase(IntToHex(uint32_t(reinterpret_cast<uintptr_t>(this)), 8));
    SetName("DockBarsFloatingWindowParent_" + hex);
    SetBorderStyle(bsNone);
    SetBounds(0, 0, 0, 0);
    SetShowHint(true);
}

void TFloatingWindowParent::SetParentForm(TCustomForm* Value) {
    if (FParentForm == Value) return;
    if (FParentForm) FParentForm->RemoveFreeNotification(this);
    FParentForm = Value;
    if (Value) Value->FreeNotification(this);
}

void TFloatingWindowParent::Notification(TComponent* AComponent, TOperation Operation) {
    TForm::Notification(AComponent, Operation);
    if (Operation != opRemove || AComponent != FParentForm) return;
    FParentForm = nullptr;
    // A bar on top of its form has nothing to show over any more.
    for (int i = 0; i < GetControlCount(); ++i)
        if (auto* bar = dynamic_cast<TCustomToolWindowX*>(GetControl(i))) bar->UpdateVisibility();
}

// The host is never mapped (X11 maps no empty window); its bar shows on its own.
void TFloatingWindowParent::CMShowingChanged(TMessage& /*Message*/) {}

void TFloatingWindowParent::CMDialogKey(TMessage& Message) {
    bool shifts = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
    if (Word(Message.WParam) == VK_ESCAPE && !shifts) {
        if (FParentForm && FParentForm->CanFocus()) FParentForm->SetFocus();
        Message.Result = 1;
        return;
    }
    TForm::CMDialogKey(Message);
}

// ---- TCustomToolWindowX ----------------------------------------------------------------------

namespace {

// The bars that float now.
std::vector<TCustomToolWindowX*>& FloatingBars() {
    static std::vector<TCustomToolWindowX*> v;
    return v;
}

void Reframe(TWinControl* W) {
    SetWindowPos(W, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void NoteFloating(TCustomToolWindowX* Bar, bool Floating) {
    auto& v = FloatingBars();
    auto it = std::find(v.begin(), v.end(), Bar);
    if (Floating && it == v.end()) v.push_back(Bar);
    if (!Floating && it != v.end()) v.erase(it);
}

}  // namespace

TCustomToolWindowX::TCustomToolWindowX(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
    SetColor(clBtnFace);
    RegisterHookCallback(HookCallback, {hpSendActivateApp, hpSendWindowPosChanged, hpPreDestroy});
}

TCustomToolWindowX::~TCustomToolWindowX() {
    EndDrag(false);
    EndResize(false);
    UnregisterHookCallback(HookCallback);
    NoteFloating(this, false);
    if (TDockX* d = GetDockedTo()) {
        d->UpdateVisibleBar(this, true);
        d->RemoveBar(this);
    }
    if (FLastDock) FLastDock->RemoveBar(this);
    if (FHost) {
        TFloatingWindowParent* host = FHost;
        FHost = nullptr;
        if (GetParent() == host) TCustomControl::SetParent(nullptr);
        host->Free();
    }
}

void TCustomToolWindowX::HookCallback(THookProcCode Code, HWND Wnd, WPARAM /*WParam*/, LPARAM LParam) {
    std::vector<TCustomToolWindowX*> bars = FloatingBars();
    switch (Code) {
    case hpSendActivateApp:
        for (TCustomToolWindowX* b : bars) b->UpdateVisibility();
        break;
    case hpSendWindowPosChanged: {
        auto* pos = reinterpret_cast<const TWindowPos*>(LParam);
        if (!pos || !(pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED))) break;
        for (TCustomToolWindowX* b : bars) {
            TCustomForm* f = b->GetFloatingParentForm();
            if (b->FFloatingMode == fmOnTopOfParentForm && f && (f == Wnd || Wnd->ContainsControl(f)))
                b->UpdateVisibility();
        }
        break;
    }
    case hpPreDestroy:
        // The window that owns a floating bar goes: the bar's window stays, owned by none.
        for (TCustomToolWindowX* b : bars)
            if (b->GetFloatingParentForm() == Wnd && !b->FOwnerGone) {
                b->FOwnerGone = true;
                b->ApplyOwner();
            }
        break;
    default: break;
    }
}

bool TCustomToolWindowX::GetFloating() const { return dynamic_cast<TFloatingWindowParent*>(GetParent()) != nullptr; }

TCustomForm* TCustomToolWindowX::GetFloatingParentForm() const {
    auto* host = dynamic_cast<TFloatingWindowParent*>(GetParent());
    return host ? host->GetParentForm() : nullptr;
}

void TCustomToolWindowX::SetFloatingPosition(TPoint Value) {
    FFloatingPosition = Value;
    if (GetFloating()) SetBounds(Value.X, Value.Y, GetWidth(), GetHeight());
}

void TCustomToolWindowX::SetHideWhenInactive(bool Value) {
    if (Value == FHideWhenInactive) return;
    FHideWhenInactive = Value;
    UpdateVisibility();
}

void TCustomToolWindowX::SetFloatingMode(TToolWindowFloatingMode Value) {
    if (Value == FFloatingMode) return;
    FFloatingMode = Value;
    ApplyOwner();
    UpdateVisibility();
}

void TCustomToolWindowX::SetShowCaption(bool Value) {
    if (Value == FShowCaption) return;
    FShowCaption = Value;
    if (GetFloating()) {
        Reframe(this);
        Arrange();
    }
}

bool TCustomToolWindowX::ShouldBeVisible() {
    if (!IsShowing()) return false;
    if (!GetFloating()) return true;
    if (FFloatingMode == fmOnTopOfParentForm) {
        TCustomForm* f = GetFloatingParentForm();
        if (!f || !f->HandleAllocated() || Application->GetMinimized() || !f->GetVisible() ||
            f->GetWindowState() == wsMinimized)
            return false;
    }
    if (FHideWhenInactive && !Application->GetActive()) return false;
    return true;
}

void TCustomToolWindowX::UpdateVisibility() {
    bool inactive = GetFloating() && !FHideWhenInactive && !Application->GetActive();
    if (inactive != FInactiveCaption) {
        FInactiveCaption = inactive;
        if (HandleAllocated()) InvalidateFrame();
    }
    if (!GetFloating()) return;
    // A bar floated before its form was shown has no window yet: showing it makes one.
    bool visible = HandleAllocated() && TWindowBackend::IsWindowVisible(this);
    if (visible != ShouldBeVisible()) Perform(CM_SHOWINGCHANGED);
}

void TCustomToolWindowX::CMShowingChanged(TMessage& Message) {
    if (!GetFloating()) {
        TCustomControl::CMShowingChanged(Message);
        return;
    }
    bool show = ShouldBeVisible();
    if (show) ApplyOwner();
    if (show == TWindowBackend::IsWindowVisible(this)) return;
    // Shown and hidden without activation.
    ShowWindow(this, show ? SW_SHOWNA : SW_HIDE);
}

void TCustomToolWindowX::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (!GetFloating()) return;
    Params.Style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    Params.WndParent = FloatingOwner();
    if (FFloatingMode == fmOnTopOfAllForms && GetEnabled()) Params.ExStyle |= WS_EX_TOPMOST;
}

void TCustomToolWindowX::WMMouseActivate(TMessage& Message) {
    if (!GetFloating()) {
        TCustomControl::WMMouseActivate(Message);
        return;
    }
    Message.Result = MA_NOACTIVATE;
    SetWindowPos(this, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TCustomForm* f = GetFloatingParentForm();
    if (FFloatingMode == fmOnTopOfParentForm && FActivateParent && f && f->GetVisible()) f->SetFocus();
}

void TCustomToolWindowX::Dispatch(TMessage& Message) {
    bool press = Message.Msg == WM_NCLBUTTONDOWN || Message.Msg == WM_NCLBUTTONDBLCLK;
    if (press && LRESULT(Message.WParam) == HTCLOSE) {
        // The close button is held: drawn pressed while the mouse stays over it.
        FCloseButtonTracking = true;
        SetCapture(this);
        SetCloseButtonDown(true);
        return;
    }
    if (LoopMessage(Message)) return;
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && HandlePress(Message)) return;
    if (Message.Msg == WM_NCLBUTTONDOWN && LRESULT(Message.WParam) >= HTLEFT &&
        LRESULT(Message.WParam) <= HTBOTTOMRIGHT && GetFloating() && FResizable) {
        StartResize(Integer(LRESULT(Message.WParam) - HTLEFT), LParamToPoint(Message.LParam));
        return;
    }
    if (Message.Msg == WM_GETMINMAXINFO) {
        // Any size a bar's own arrangement gives it.
        auto* info = reinterpret_cast<TMinMaxInfo*>(Message.LParam);
        info->ptMinTrackSize = {1, 1};
        info->ptMaxTrackSize = {32767, 32767};
        return;
    }
    if (Message.Msg == WM_PRINT) {
        PrintFramedWindow(this, Message, [this](TCanvas* C) {
            if (GetDocked())
                DrawDockedFrame(C);
            else if (GetFloating())
                DrawFloatingFrame(C);
        });
        return;
    }
    if (Message.Msg == WM_PRINTCLIENT) {
        PrintClientArea(this, Message);
        return;
    }
    // A close request of a floating bar (Alt+F4) goes to its form.
    bool close = Message.Msg == WM_CLOSE || (Message.Msg == WM_SYSCOMMAND && (Message.WParam & 0xFFF0) == SC_CLOSE);
    if (close && GetFloating()) {
        if (TCustomForm* f = GetFloatingParentForm()) PostMessage(f, WM_CLOSE, 0, 0);
        return;
    }
    TCustomControl::Dispatch(Message);
}

void TCustomToolWindowX::EndCloseButton(bool Accept) {
    FCloseButtonTracking = false;
    SetCloseButtonDown(false);
    if (GetCapture() == this) ReleaseCapture();
    if (Accept) Close();
}

void TCustomToolWindowX::SetCloseButtonDown(bool Down) {
    if (Down == FCloseButtonDown) return;
    FCloseButtonDown = Down;
    InvalidateFrame();
}

void TCustomToolWindowX::Close() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) return;
    Hide();
    if (OnClose) OnClose(this);
}

void TCustomToolWindowX::WMNCHitTest(TMessage& Message) {
    TCustomControl::WMNCHitTest(Message);
    if (!GetDocked() && !GetFloating()) return;
    TRect m = GetNonClientMargins();
    TPoint c = ScreenToClient(LParamToPoint(Message.LParam));
    TPoint p{c.X + m.Left, c.Y + m.Top};
    TRect button = CloseButtonRect();
    if (PtInRect(&button, p)) {
        Message.Result = HTCLOSE;
        return;
    }
    // A docked bar's frame and handle, and a floating bar's caption, take presses as the client
    // area does (a press there starts a drag).
    TRect caption{m.Left, m.Bottom, GetWidth() - m.Right, m.Top};
    if (GetDocked() || PtInRect(&caption, p)) {
        Message.Result = HTCLIENT;
        return;
    }
    // The frame of a floating bar sizes it when it can be resized, else it does nothing.
    if (Message.Result != HTCLIENT) {
        Integer hit = SizingHitTest(p);
        Message.Result = hit != HTNOWHERE ? hit : HTBORDER;
    }
}

void TCustomToolWindowX::Paint() {
    TDockX* dock = GetDockedTo();
    TRect m = GetNonClientMargins();
    if (dock && dock->PaintBackground(GetCanvas(), GetClientRect(), {GetLeft() + m.Left, GetTop() + m.Top}, true))
        return;
    TCustomControl::Paint();
}

void TCustomToolWindowX::CMTextChanged(TMessage& Message) {
    TCustomControl::CMTextChanged(Message);
    if (GetFloating()) InvalidateFrame();
}

void TCustomToolWindowX::CMEnabledChanged(TMessage& Message) {
    TCustomControl::CMEnabledChanged(Message);
    ApplyOwner();
}

TWinControl* TCustomToolWindowX::FloatingOwner() {
    // Owned by the form it floats over; an fmOnTopOfAllForms bar has no owner here (there is
    // no application window), nor has a bar whose form has gone.
    return FFloatingMode == fmOnTopOfParentForm && !FOwnerGone ? GetFloatingParentForm() : nullptr;
}

void TCustomToolWindowX::ApplyOwner() {
    if (!GetFloating() || !HandleAllocated()) return;
    const UINT quiet = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    TWinControl* owner = FloatingOwner();
    if (GetWindowOwner(this) != owner) {
        SetWindowOwner(this, owner);
        // Directly above the form and the windows it owns.
        if (owner) SetWindowPos(this, HWND_TOP, 0, 0, 0, 0, quiet);
    }
    // A bar above all forms stays on top while it can be used.
    bool topmost = FFloatingMode == fmOnTopOfAllForms && GetEnabled();
    if (topmost != ((GetWindowLong(this, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0))
        SetWindowPos(this, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, quiet);
}

TDockX* TCustomToolWindowX::GetDockedTo() const { return dynamic_cast<TDockX*>(GetParent()); }

void TCustomToolWindowX::SetDockedTo(TDockX* Value) {
    if (Value) {
        SetParent(Value);
        return;
    }
    TCustomForm* form = GetFloating() ? GetFloatingParentForm() : ::GetParentForm(this);
    if (!form) throw EInvalidOperation("Control '" + GetName() + "' has no parent window");
    SetParent(form);
}

void TCustomToolWindowX::SetDockRow(Integer Value) {
    if (Value == FDockRow) return;
    FDockRow = Value;
    if (TDockX* d = GetDockedTo()) d->ArrangeDockedBars();
}

void TCustomToolWindowX::SetDockPos(Integer Value) {
    if (Value == FDockPos) return;
    FDockPos = Value;
    if (TDockX* d = GetDockedTo()) d->ArrangeDockedBars();
}

void TCustomToolWindowX::SetFullSize(bool Value) {
    if (Value == FFullSize) return;
    FFullSize = Value;
    Arrange();
    if (TDockX* d = GetDockedTo()) d->ArrangeDockedBars();
}

void TCustomToolWindowX::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    if (GetDocked()) Reframe(this);
}

void TCustomToolWindowX::SetDragHandleStyle(TDragHandleStyle Value) {
    if (Value == FDragHandleStyle) return;
    FDragHandleStyle = Value;
    if (GetDocked()) {
        Reframe(this);
        Arrange();
    }
}

void TCustomToolWindowX::SetCloseButtonWhenDocked(bool Value) {
    if (Value == FCloseButtonWhenDocked) return;
    FCloseButtonWhenDocked = Value;
    if (GetDocked()) {
        Reframe(this);
        Arrange();
    }
}

void TCustomToolWindowX::SetCloseButton(bool Value) {
    if (Value == FCloseButton) return;
    FCloseButton = Value;
    if (GetFloating()) InvalidateFrame();
}

void TCustomToolWindowX::SetResizable(bool Value) {
    if (Value == FResizable) return;
    FResizable = Value;
    if (!GetFloating()) return;
    // The frame changes thickness: the window is made again around the same client size.
    Reframe(this);
    if (HandleAllocated()) RecreateWnd();
    Arrange();
}

void TCustomToolWindowX::SetDefaultDock(TDockX* Value) {
    if (Value == FDefaultDock) return;
    FDefaultDock = Value;
    if (Value) Value->FreeNotification(this);
}

void TCustomToolWindowX::SetLastDock(TDockX* Value) {
    if (Value == FLastDock) return;
    if (Value) FUseLastDock = true;
    // While docked, the last dock is the one the bar sits on.
    if (TDockX* docked = GetDockedTo()) Value = FUseLastDock ? docked : nullptr;
    NoteLastDock(Value);
}

void TCustomToolWindowX::SetUseLastDock(bool Value) {
    if (Value == FUseLastDock) return;
    FUseLastDock = Value;
    NoteLastDock(Value ? GetDockedTo() : nullptr);
}

void TCustomToolWindowX::NoteLastDock(TDockX* Dock) {
    if (Dock == FLastDock) return;
    // A floating bar keeps its place in its last dock's list; the old one lets it go.
    if (FLastDock && FLastDock != GetDockedTo()) FLastDock->RemoveBar(this);
    FLastDock = Dock;
    if (!Dock) return;
    Dock->FreeNotification(this);
    Dock->AddBar(this);
}

void TCustomToolWindowX::GetBarCrossSize(Integer& CrossSize, TDockOrientation Orientation) {
    TRect m = GetNonClientMargins();
    CrossSize = Orientation == doVertical ? GetWidth() - m.Left - m.Right : GetHeight() - m.Top - m.Bottom;
}

void TCustomToolWindowX::GetMinimumSize(Integer& MinWidth, Integer& MinHeight) {
    MinWidth = 0;
    MinHeight = 0;
}

void TCustomToolWindowX::ArrangeControls(bool /*CanMove*/, TDockOrientation /*OldOrientation*/, TPoint& NewClientSize,
                                         TDockX* /*Dock*/) {
    TRect c = GetClientRect();
    NewClientSize = {c.Right, c.Bottom};
}

void TCustomToolWindowX::ResizeBar(Integer /*NewWidth*/, Integer /*NewHeight*/) {}

bool TCustomToolWindowX::ChildIsSeparator(TControl* /*Control*/) { return false; }

void TCustomToolWindowX::InitParams(TToolWindowParams& /*Params*/) {}

const TToolWindowParams& TCustomToolWindowX::GetParams() {
    if (!FParamsKnown) {
        FParamsKnown = true;
        InitParams(FParams);
    }
    return FParams;
}

void TCustomToolWindowX::AfterLoaded() {}
void TCustomToolWindowX::BeginSizing(Integer /*SizeHandle*/) {}
void TCustomToolWindowX::EndSizing(bool /*Accepted*/) {}
void TCustomToolWindowX::Sizing(TRect& /*NewRect*/, const TRect& /*OrigRect*/) {}
void TCustomToolWindowX::PositionDataLoaded(const TPositionReadData& /*Data*/) {}
void TCustomToolWindowX::ReadPositionData(const TPositionReadData& /*Data*/) {}
void TCustomToolWindowX::WritePositionData(const TPositionWriteData& /*Data*/) {}

void TCustomToolWindowX::DoDockChangingHidden(TDockX* NewDock) {
    if (!IsDestroying() && OnDockChangingHidden) OnDockChangingHidden(this, NewDock);
}

void TCustomToolWindowX::DoMove() {
    if (OnMove) OnMove(this);
}

void TCustomToolWindowX::BeginArrange() { ++FDisableArrange; }

void TCustomToolWindowX::EndArrange() {
    if (FDisableArrange > 0 && --FDisableArrange == 0 && FArrangeNeeded) Arrange();
}

void TCustomToolWindowX::Arrange() {
    if (FDisableArrange > 0 || IsLoading() || IsDestroying() || !GetParent() ||
        GetParent()->GetComponentState().Contains(csDestroying)) {
        FArrangeNeeded = true;
        return;
    }
    FArrangeNeeded = false;
    ++FDisableArrange;
    struct Done {
        Integer& Counter;
        ~Done() { --Counter; }
    } done{FDisableArrange};
    TDockX* dock = GetDockedTo();
    TPoint size;
    ArrangeControls(true, FLastOrientation, size, dock);
    TRect m = FrameMargins();
    if (dock) {
        bool horizontal = dock->GetOrientation() == doHorizontal;
        Integer across = dock->GetRowSize(FDockRow, this);
        if (horizontal)
            size.Y = std::max(size.Y, across);
        else
            size.X = std::max(size.X, across);
        if (FFullSize) {
            TRect dc = dock->GetClientRect();
            if (horizontal)
                size.X = dc.Right - m.Left - m.Right;
            else
                size.Y = dc.Bottom - m.Top - m.Bottom;
        }
    }
    Integer w = size.X + m.Left + m.Right, h = size.Y + m.Top + m.Bottom;
    if (w == GetWidth() && h == GetHeight()) return;
    ++FUpdatingBounds;
    struct Bounds {
        Integer& Counter;
        ~Bounds() { --Counter; }
    } bounds{FUpdatingBounds};
    SetBounds(GetLeft(), GetTop(), w, h);
    // The dock's rows take the new size; the controls go where they belong in them.
    if (dock) {
        dock->ArrangeDockedBars();
        FArrangeNeeded = false;
        ArrangeControls(true, FLastOrientation, size, dock);
    }
}

TRect TCustomToolWindowX::FrameMargins() {
    if (TDockX* dock = GetDockedTo()) return DockedMargins(dock);
    if (GetFloating()) return FloatingMargins();
    return GetNonClientMargins();
}

void TCustomToolWindowX::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
    if (FUpdatingBounds == 0 && (AWidth != GetWidth() || AHeight != GetHeight())) ResizeBar(AWidth, AHeight);
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    // A floating bar remembers where it floats.
    if (GetFloating() && FUpdatingBounds == 0 && !IsLoading()) FFloatingPosition = {GetLeft(), GetTop()};
}

void TCustomToolWindowX::SetParent(TWinControl* AParent) {
    if (AParent && !dynamic_cast<TDockX*>(AParent) && !dynamic_cast<TCustomForm*>(AParent))
        throw EInvalidOperation("A tool window can only be placed on a TDockX or directly on the form");
    auto* form = dynamic_cast<TCustomForm*>(AParent);
    if (form && !dynamic_cast<TFloatingWindowParent*>(form)) {
        // Floating: the bar's parent becomes a hidden host form that belongs to the form.
        if (!FHost || FHost->GetParentForm() != form) {
            auto* host = new TFloatingWindowParent(nullptr);
            try {
                host->SetParentForm(form);
                host->SetVisible(true);
            } catch (...) {
                host->Free();
                throw;
            }
            if (FHost && GetParent() != FHost) FHost->Free();
            FHost = host;
            FOwnerGone = false;
        }
        AParent = FHost;
    }
    if (AParent == GetParent()) {
        NoteFloating(this, GetFloating());
        if (GetFloating()) SetBounds(FFloatingPosition.X, FFloatingPosition.Y, GetWidth(), GetHeight());
        return;
    }
    TFloatingWindowParent* oldHost = dynamic_cast<TFloatingWindowParent*>(GetParent());
    TDockX* oldDock = GetDockedTo();
    TDockX* newDock = dynamic_cast<TDockX*>(AParent);
    bool announce = !IsDestroying() && AParent;
    if (announce) {
        if (OnDockChanging) OnDockChanging(this);
        if (OnDockChangingEx) OnDockChangingEx(this, newDock);
        if (OnRecreating) OnRecreating(this);
    }
    ++FDisableOnMove;
    if (oldDock) oldDock->BeginUpdate();
    if (newDock) newDock->BeginUpdate();
    ++FUpdatingBounds;
    struct Done {
        TCustomToolWindowX* Bar;
        TDockX* OldDock;
        TDockX* NewDock;
        ~Done() {
            --Bar->FUpdatingBounds;
            if (NewDock) NewDock->EndUpdate();
            if (OldDock) OldDock->EndUpdate();
            --Bar->FDisableOnMove;
        }
    } done{this, oldDock, newDock};
    if (AParent) DoDockChangingHidden(newDock);
    BeginArrange();
    try {
        if (oldDock) {
            oldDock->UpdateVisibleBar(this, true);
            if (!FUseLastDock) oldDock->RemoveBar(this);
        }
        bool hadHandle = HandleAllocated();
        if (hadHandle) DestroyHandle();
        TCustomControl::SetParent(AParent);
        // A host left behind goes (the bar's own is forgotten).
        if (oldHost && oldHost != AParent) {
            if (oldHost == FHost) FHost = nullptr;
            oldHost->Free();
        }
        NoteFloating(this, GetFloating());
        if (GetFloating()) SetBounds(FFloatingPosition.X, FFloatingPosition.Y, GetWidth(), GetHeight());
        if (newDock) {
            if (FUseLastDock) NoteLastDock(newDock);
            newDock->AddBar(this);
            newDock->UpdateVisibleBar(this);
        }
        if (AParent) FLastOrientation = newDock ? newDock->GetOrientation() : doNone;
    } catch (...) {
        EndArrange();
        throw;
    }
    EndArrange();
    // Sized for its new place.
    if (AParent) Arrange();
    if (announce) {
        if (OnRecreated) OnRecreated(this);
        if (OnDockChanged) OnDockChanged(this);
    }
}

void TCustomToolWindowX::MoveOnScreen(bool OnlyIfFullyOffscreen) {
    if (!GetFloating()) return;
    TRect r = GetBoundsRect();
    TRect moved = MoveRectOnScreen(r, WorkAreaOfRect(r), OnlyIfFullyOffscreen);
    if (!(moved == r)) SetBounds(moved.Left, moved.Top, moved.Width(), moved.Height());
}

void TCustomToolWindowX::Loaded() {
    TCustomControl::Loaded();
    AfterLoaded();
    Arrange();
}

void TCustomToolWindowX::AlignControls(TControl* AControl, TRect& Rect) {
    if (GetParams().CallAlignControls) TCustomControl::AlignControls(AControl, Rect);
    Arrange();
}

void TCustomToolWindowX::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FLastDock) FLastDock = nullptr;
    if (AComponent == FDefaultDock) FDefaultDock = nullptr;
}

TRect TCustomToolWindowX::DockedMargins(TDockX* Dock) const {
    TRect m{2, 2, 2, 2};
    if (Dock && Dock->GetAllowDrag()) {
        Integer handle = DragHandleSize(FDragHandleStyle, FCloseButtonWhenDocked);
        if (Dock->GetOrientation() == doVertical)
            m.Top += handle;
        else
            m.Left += handle;
    }
    return m;
}

void TCustomToolWindowX::WMNCCalcSize(TMessage& Message) {
    TDockX* dock = GetDockedTo();
    auto* r = reinterpret_cast<TRect*>(Message.LParam);
    if (!r || (!dock && !GetFloating())) {
        TCustomControl::WMNCCalcSize(Message);
        return;
    }
    TRect m = dock ? DockedMargins(dock) : FloatingMargins();
    // The frame is the same whatever the size (the client area of a small window is empty).
    r->Left += m.Left;
    r->Top += m.Top;
    r->Right -= m.Right;
    r->Bottom -= m.Bottom;
}

void TCustomToolWindowX::WMNCPaint(TMessage& Message) {
    TCanvas* c = GetWindowCanvas();
    if (GetDocked() && c)
        DrawDockedFrame(c);
    else if (GetFloating() && c)
        DrawFloatingFrame(c);
    else
        TCustomControl::WMNCPaint(Message);
}

TRect TCustomToolWindowX::FloatingMargins() const {
    // The sizing frame for a bar that can be resized, else the fixed one; the small caption on top.
    Integer fx = GetSystemMetrics(FResizable ? SM_CXSIZEFRAME : SM_CXFIXEDFRAME);
    Integer fy = GetSystemMetrics(FResizable ? SM_CYSIZEFRAME : SM_CYFIXEDFRAME);
    return {fx, fy + (FShowCaption ? GetSystemMetrics(SM_CYSMCAPTION) : 0), fx, fy};
}

TRect TCustomToolWindowX::CloseButtonRect() const {
    Integer w = GetWidth();
    if (TDockX* dock = GetDockedTo()) {
        if (!FCloseButtonWhenDocked || !dock->GetAllowDrag()) return {};
        return dock->GetOrientation() == doVertical ? Bounds(w - 2 - 9 - 2, 3, 11, 11) : Bounds(3, 2, 11, 11);
    }
    if (!GetFloating() || !FShowCaption || !FCloseButton) return {};
    // A square as high as the caption strip at its right end.
    TRect m = FloatingMargins();
    Integer side = m.Top - m.Bottom - 1;
    return {w - m.Right - side, m.Bottom, w - m.Right, m.Bottom + side};
}

void TCustomToolWindowX::DrawFloatingFrame(TCanvas* C) {
    Integer w = GetWidth(), h = GetHeight();
    TRect fm = FloatingMargins();
    Integer fx = fm.Left, fy = fm.Bottom;
    Integer ch = fm.Top - fm.Bottom;
    HDC dc = C->GetHandle();
    C->GetBrush()->SetStyle(bsSolid);
    C->GetBrush()->SetColor(clBtnFace);
    C->FillRect({0, 0, w, fy + ch});
    C->FillRect({0, h - fy, w, h});
    C->FillRect({0, 0, fx, h});
    C->FillRect({w - fx, 0, w, h});
    TRect outer{0, 0, w, h};
    DrawEdge(dc, &outer, EDGE_RAISED, BF_RECT);
    if (!ch) return;
    TRect cap{fx, fy, w - fx, fy + ch - 1};
    C->GetBrush()->SetColor(FInactiveCaption ? clInactiveCaption : clActiveCaption);
    C->FillRect(cap);
    TRect close = CloseButtonRect();
    TRect text{cap.Left + 2, cap.Top, IsRectEmpty(&close) ? cap.Right - 2 : close.Left, cap.Bottom};
    SetTextColor(dc, ColorToRGB(FInactiveCaption ? clInactiveCaptionText : clCaptionText));
    SetBkMode(dc, TRANSPARENT);
    DrawText(dc, GetCaption(), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (IsRectEmpty(&close)) return;
    // The button inside a frame of the caption colour.
    TRect button{close.Left + 1, close.Top + 1, close.Right - 1, close.Bottom - 1};
    DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE | (FCloseButtonDown ? DFCS_PUSHED : 0));
}

void TCustomToolWindowX::DrawDockedFrame(TCanvas* C) {
    TDockX* dock = GetDockedTo();
    Integer w = GetWidth(), h = GetHeight();
    TRect m = DockedMargins(dock);
    TRect outer{0, 0, w, h};
    HDC dc = C->GetHandle();
    C->GetBrush()->SetStyle(bsSolid);
    C->GetBrush()->SetColor(GetColor());
    // The frame area (the client area is the bar's own), in the dock's background when the
    // dock lends it to its bars.
    const TRect bands[] = {{0, 0, w, m.Top}, {0, h - m.Bottom, w, h}, {0, 0, m.Left, h}, {w - m.Right, 0, w, h}};
    for (const TRect& band : bands)
        if (!dock->PaintBackground(C, band, {GetLeft(), GetTop()}, true)) C->FillRect(band);
    if (FBorderStyle == bsSingle) DrawEdge(dc, &outer, BDR_RAISEDINNER, BF_RECT);
    // Grips: raised lines 3 pixels thick across the handle.
    if (!dock->GetAllowDrag() || FDragHandleStyle == dhNone) return;
    bool vertical = dock->GetOrientation() == doVertical;
    Integer first =
        FCloseButtonWhenDocked ? (FDragHandleStyle == dhDouble ? 5 : 7) : (FDragHandleStyle == dhDouble ? 4 : 3);
    Integer grips = FDragHandleStyle == dhDouble ? 2 : 1;
    Integer skip = FCloseButtonWhenDocked ? 14 : 0;
    for (Integer g = 0; g < grips; ++g) {
        Integer at = first + g * 3;
        TRect grip = vertical ? TRect{2, at, w - 2 - skip, at + 3} : TRect{at, 2 + skip, at + 3, h - 2};
        DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT);
    }
    TRect b = CloseButtonRect();
    if (!IsRectEmpty(&b))
        DrawFrameControl(dc, &b, DFC_CAPTION, DFCS_CAPTIONCLOSE | (FCloseButtonDown ? DFCS_PUSHED : 0));
}

void TCustomToolWindowX::WMWindowPosChanged(TMessage& Message) {
    TCustomControl::WMWindowPosChanged(Message);
    if ((Message.WParam & 2) && FDisableOnMove == 0 && !IsLoading()) {
        DoMove();
        if (TDockX* d = GetDockedTo(); d && d->GetBackground()->GetWidth() > 0) {
            InvalidateFrame();
            Invalidate();
        }
    }
}

void TCustomToolWindowX::CMVisibleChanged(TMessage& Message) {
    TCustomControl::CMVisibleChanged(Message);
    if (TDockX* d = GetDockedTo()) d->UpdateVisibleBar(this);
    if (OnVisibleChanged) OnVisibleChanged(this);
}
