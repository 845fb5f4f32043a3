#include "framework/forms.h"

#include <algorithm>
#include <mutex>

#include "framework/dialog_service.h"
#include "framework/drag.h"
#include "framework/graphics.h"
#include "framework/string_list.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"

using lumora_detail::IsLiveControl;

std::function<bool(TPopupMenu*, TControl*, TPoint)> TPopupMenuHooks::Popup;
std::function<void(TCustomForm*, TMainMenu*)> TCustomForm::MenuChangedHook;
std::function<Integer(TCustomForm*)> TCustomForm::MenuBarHeightHook;
std::function<bool(TCustomForm*, TMessage&)> TCustomForm::MenuAcceleratorHook;
std::function<bool(const std::string&, Integer)> TApplication::HelpHandler;

// ---- Activation of top-level windows ---------------------------------------------------------

namespace {

TWinControl* gActiveTop = nullptr;
std::vector<TCustomForm*> gModalStack;

struct ShortCutEntry {
    Integer Id;
    TCustomForm::TShortCutHandler Handler;
};

std::vector<ShortCutEntry>& ShortCutEntries() {
    static std::vector<ShortCutEntry> v;
    return v;
}

}  // namespace

namespace lumora_detail {

TWinControl* ActiveTopLevel() { return IsLiveControl(gActiveTop) ? gActiveTop : nullptr; }

bool NeverActivates(TWinControl* Wnd) {
    if (!Wnd) return false;
    return (GetWindowLong(Wnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE) != 0;
}

void ActivateTopLevel(TWinControl* Wnd) {
    if (!IsLiveControl(gActiveTop)) gActiveTop = nullptr;
    if (Wnd == gActiveTop) return;
    if (Wnd && NeverActivates(Wnd)) return;
    TWinControl* old = gActiveTop;
    gActiveTop = Wnd;
    if (old) old->Perform(WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(Wnd));
    if (gActiveTop != Wnd || !Wnd) return;
    Application->SetActiveState(true);
    TWindowBackend::ActivateWindow(Wnd);
    Wnd->Perform(WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
}

void DeactivateApplication() {
    if (!IsLiveControl(gActiveTop)) gActiveTop = nullptr;
    TWinControl* old = gActiveTop;
    gActiveTop = nullptr;
    if (old) old->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
    if (GetCapture()) GetCapture()->Perform(WM_CANCELMODE);
    Application->SetActiveState(false);
}

// Another visible top-level window takes the activation from Wnd, which hides.
void ActivateNextAfter(TWinControl* Wnd) {
    if (Wnd != ActiveTopLevel()) return;
    if (!gModalStack.empty() && gModalStack.back() != Wnd && IsLiveControl(gModalStack.back())) {
        ActivateTopLevel(gModalStack.back());
        return;
    }
    for (int i = 0; i < Screen->GetCustomFormCount(); ++i) {
        TCustomForm* f = Screen->GetCustomForm(i);
        if (f != Wnd && IsWindowVisible(f) && f->GetEnabled()) {
            ActivateTopLevel(f);
            return;
        }
    }
    ActivateTopLevel(nullptr);
}

TCustomForm* ModalForm() { return gModalStack.empty() ? nullptr : gModalStack.back(); }

// While a form is modal, only it (and the windows it owns) take input.
bool AcceptsInput(TWinControl* Wnd) {
    TCustomForm* modal = ModalForm();
    if (!modal || !Wnd) return true;
    TWinControl* top = TopLevelOf(Wnd);
    for (int guard = 0; top && guard < 32; ++guard) {
        if (top == modal) return true;
        auto* form = dynamic_cast<TCustomForm*>(top);
        if (form && form != modal) return false;
        // A popup: look at the window that owns it.
        TCreateParams p;
        HWND owner = top->GetParentWindow();
        if (!owner) {
            TWinControl* parent = top->GetParent();
            owner = parent;
        }
        top = owner ? TopLevelOf(owner) : nullptr;
    }
    return false;
}

}  // namespace lumora_detail

Integer TCustomForm::AddShortCutHandler(TShortCutHandler Handler) {
    static Integer next = 0;
    ShortCutEntries().push_back({++next, std::move(Handler)});
    return next;
}

void TCustomForm::RemoveShortCutHandler(Integer Id) {
    auto& v = ShortCutEntries();
    v.erase(std::remove_if(v.begin(), v.end(), [Id](const ShortCutEntry& e) { return e.Id == Id; }), v.end());
}

// ---- TCustomForm -----------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
    FFormState.Include(fsCreating);
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    FVisible = false;
    FParentColor = false;
    FParentFont = false;
    FColor = clBtnFace;
    FBrush->SetColor(FColor);
    FWidth = 320;
    FHeight = 240;
    FIcon = new TIcon();
    FIcon->OnChange = [this](TObject*) { Perform(CM_ICONCHANGED); };
    Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    if (IsLiveControl(this)) Screen->RemoveForm(this);
    delete FIcon;
}

void TCustomForm::AfterConstruction() {
    TWinControl::AfterConstruction();
    FFormState.Exclude(fsCreating);
    DoCreate();
}

void TCustomForm::BeforeDestruction() {
    Destroying();
    if (IsLiveControl(this)) {
        gModalStack.erase(std::remove(gModalStack.begin(), gModalStack.end(), this), gModalStack.end());
        DoDestroy();
        if (gActiveTop == this) {
            lumora_detail::ActivateNextAfter(this);
            if (gActiveTop == this) gActiveTop = nullptr;
        }
        Screen->RemoveForm(this);
        if (Application->GetMainForm() == this) Application->SetMainForm(nullptr);
    }
    TWinControl::BeforeDestruction();
}

void TCustomForm::DoCreate() {
    if (OnCreate) Application->Guard(this, [&] { OnCreate(this); });
}

void TCustomForm::DoDestroy() {
    if (OnDestroy) Application->Guard(this, [&] { OnDestroy(this); });
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate() {
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::Paint() {
    if (OnPaint) OnPaint(this);
}

void TCustomForm::PaintWindow(TCanvas* DC) { Paint(); }

TCanvas* TCustomForm::GetCanvas() { return SurfaceCanvas(); }

void TCustomForm::SetParent(TWinControl* AParent) {
    if (GetParent() == AParent) return;
    DestroyHandle();
    TWinControl::SetParent(AParent);
}

void TCustomForm::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    if (GetParent()) return;
    Params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    Params.ExStyle &= ~WS_EX_CONTROLPARENT;
    if (!GetEnabled()) Params.Style |= WS_DISABLED;
    Params.WndParent = GetParentWindow();
    switch (FBorderStyle) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle:
    case bsToolWindow: Params.Style |= WS_CAPTION; break;
    case bsSizeable:
    case bsSizeToolWin: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
        Params.Style |= WS_POPUP | WS_CAPTION;
        Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    }
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (FBorderStyle != bsNone) {
        if (FBorderIcons.Contains(biSystemMenu)) Params.Style |= WS_SYSMENU;
        if (FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin) {
            if (FBorderIcons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
            if (FBorderIcons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
        }
        if (FBorderIcons.Contains(biHelp)) Params.ExStyle |= WS_EX_CONTEXTHELP;
    }
    if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
    Params.WinClassName = ClassName();
}

void TCustomForm::CreateWnd() {
    TWinControl::CreateWnd();
    if (!FIcon->GetEmpty()) TWindowBackend::SetIcon(this, FIcon->GetHandle());
    if (FWindowState != wsNormal) TWindowBackend::SetWindowState(this, int(FWindowState));
}

Integer TCustomForm::MenuBarHeight() {
    if (FMenu && MenuBarHeightHook && !GetParent()) return MenuBarHeightHook(this);
    return 0;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    FNCValid = false;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
    if (FBorderIcons == Value) return;
    FBorderIcons = Value;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
    if (FFormStyle == Value) return;
    FFormStyle = Value;
    if (HandleAllocated()) TWindowBackend::SetTopMost(this, Value == fsStayOnTop);
}

void TCustomForm::SetWindowState(TWindowState Value) {
    if (FWindowState == Value) return;
    FWindowState = Value;
    if (HandleAllocated()) {
        TWindowBackend::SetWindowState(this, int(Value));
        lumora_detail::TopLevelPosChanged(this, SWP_FRAMECHANGED);
    }
}

bool TCustomForm::GetFullScreen() {
    TRect client{GetClientOrigin(), GetClientOrigin()};
    client.Right += GetClientWidth();
    client.Bottom += GetClientHeight();
    for (int i = 0; i < Screen->GetMonitorCount(); ++i)
        if (Screen->GetMonitor(i)->BoundsRect == client) return true;
    return false;
}

void TCustomForm::SetIcon(TIcon* Value) {
    FIcon->Assign(Value);
    Perform(CM_ICONCHANGED);
}

void TCustomForm::CMIconChanged(TMessage& Message) {
    if (HandleAllocated()) TWindowBackend::SetIcon(this, FIcon->GetEmpty() ? nullptr : FIcon->GetHandle());
}

void TCustomForm::SetMenu(TMainMenu* Value) {
    if (FMenu == Value) return;
    FMenu = Value;
    if (MenuChangedHook) MenuChangedHook(this, Value);
    FrameChanged();
}

// ---- Showing, closing ------------------------------------------------------------------------

void TCustomForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::ApplyPosition() {
    if (FPositioned || GetParent()) return;
    FPositioned = true;
    TRect area = Screen->GetWorkAreaRect();
    auto center = [&](const TRect& r) {
        SetBounds(r.Left + (r.Width() - GetWidth()) / 2, r.Top + (r.Height() - GetHeight()) / 2, GetWidth(),
                  GetHeight());
    };
    switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter: center(Screen->GetMonitorCount() > 0 ? Screen->GetMonitor(0)->BoundsRect : area); break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TCustomForm* ref = FPosition == poMainFormCenter ? Application->GetMainForm()
                                                         : dynamic_cast<TCustomForm*>(GetOwner());
        if (ref && ref != this) {
            TRect r{ref->GetLeft(), ref->GetTop(), ref->GetLeft() + ref->GetWidth(), ref->GetTop() + ref->GetHeight()};
            center(r);
        } else {
            center(area);
        }
        break;
    }
    case poDefault:
    case poDefaultPosOnly: {
        static Integer cascade = 0;
        SetBounds(area.Left + 24 * (cascade % 8), area.Top + 24 * (cascade % 8), GetWidth(), GetHeight());
        ++cascade;
        break;
    }
    default: break;
    }
}

void TCustomForm::CMShowingChanged(TMessage& Message) {
    if (GetParent()) {
        TWinControl::CMShowingChanged(Message);
        return;
    }
    if (IsShowing()) {
        ApplyPosition();
        FFormState.Include(fsShowing);
        try {
            DoShow();
        } catch (...) {
            FFormState.Exclude(fsShowing);
            throw;
        }
        FFormState.Exclude(fsShowing);
        if (!IsShowing()) return;
        if (!FActiveControl) {
            TWinControl* first = FindNextControl(nullptr, true, true, false);
            if (first) FActiveControl = first;
        }
        // A window already shown by ShowWindow (without activation) stays as it is.
        if (TWindowBackend::IsWindowVisible(this)) return;
        bool activate = !lumora_detail::NeverActivates(this) && FWindowState != wsMinimized;
        TWindowBackend::ShowWindow(this, true, activate);
        if (activate) lumora_detail::ActivateTopLevel(this);
    } else {
        FFormState.Include(fsShowing);
        try {
            DoHide();
        } catch (...) {
            FFormState.Exclude(fsShowing);
            throw;
        }
        FFormState.Exclude(fsShowing);
        if (gActiveTop == this) lumora_detail::ActivateNextAfter(this);
        if (GetFocus() && ContainsControl(GetFocus())) SetFocusWindow(nullptr);
        TWindowBackend::ShowWindow(this, false, false);
    }
}

TModalResult TCustomForm::ShowModal() {
    if (GetVisible() || !GetEnabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
        throw EInvalidOperation("Cannot make a visible window modal");
    if (GetCapture()) GetCapture()->Perform(WM_CANCELMODE);
    ReleaseCapture();
    TDialogRequest req;
    req.Kind = dkForm;
    req.Caption = GetCaption();
    req.DialogClass = ClassName();
    req.DialogName = GetName();
    req.HelpContext = GetHelpContext();
    req.Subject = this;
    return DialogService()->ShowModal(this, req);
}

TModalResult TCustomForm::RunModal(const std::function<void(TCustomForm*)>& FirstTurn) {
    if (GetVisible() || FFormState.Contains(fsModal)) throw EInvalidOperation("Cannot make a visible window modal");
    TWinControl* previous = lumora_detail::ActiveTopLevel();
    FFormState.Include(fsModal);
    gModalStack.push_back(this);
    Application->ModalStarted();
    FModalResult = mrNone;
    auto finish = [&] {
        gModalStack.erase(std::remove(gModalStack.begin(), gModalStack.end(), this), gModalStack.end());
        FFormState.Exclude(fsModal);
        Application->ModalFinished();
    };
    try {
        Show();
        bool first = true;
        do {
            if (first && FirstTurn) {
                first = false;
                FirstTurn(this);
            } else {
                Application->HandleMessage();
            }
            if (!IsLiveControl(this)) break;
            if (Application->GetTerminated())
                FModalResult = mrCancel;
            else if (FModalResult != mrNone)
                CloseModal();
        } while (FModalResult == mrNone);
    } catch (...) {
        if (IsLiveControl(this)) {
            finish();
            Hide();
        }
        throw;
    }
    if (!IsLiveControl(this)) return mrCancel;
    TModalResult result = FModalResult;
    finish();
    Hide();
    if (IsLiveControl(previous) && IsWindowVisible(previous)) lumora_detail::ActivateTopLevel(previous);
    return result;
}

void TCustomForm::CloseModal() {
    try {
        TCloseAction action = caNone;
        if (CloseQuery()) {
            action = caHide;
            DoClose(action);
        }
        switch (action) {
        case caNone: FModalResult = mrNone; break;
        case caFree: Release(); break;
        default: break;
        }
    } catch (...) {
        FModalResult = mrNone;
        Application->HandleException(this);
    }
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (FFormState.Contains(fsModal)) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application->GetMainForm() == this) {
        Application->Terminate();
        if (action == caHide) Hide();
        return;
    }
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
    }
}

void TCustomForm::Release() { PostMessage(this, CM_RELEASE, 0, 0); }

void TCustomForm::CMRelease(TMessage& Message) { Free(); }

void TCustomForm::WMClose(TMessage& Message) { Close(); }

void TCustomForm::WMSysCommand(TMessage& Message) {
    switch (Message.WParam & 0xFFF0) {
    case SC_MINIMIZE: SetWindowState(wsMinimized); break;
    case SC_MAXIMIZE: SetWindowState(wsMaximized); break;
    case SC_RESTORE: SetWindowState(wsNormal); break;
    case SC_CLOSE: Perform(WM_CLOSE); break;
    default: DefaultHandler(Message); break;
    }
}

void TCustomForm::WMSize(TMessage& Message) {
    if (Message.WParam == SIZE_MINIMIZED) FWindowState = wsMinimized;
    else if (Message.WParam == SIZE_MAXIMIZED) FWindowState = wsMaximized;
    TWinControl::WMSize(Message);
}

void TCustomForm::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SYSCOMMAND: WMSysCommand(Message); break;
    case CM_RELEASE: CMRelease(Message); break;
    case CM_ICONCHANGED: CMIconChanged(Message); break;
    case CM_MENUCHANGED: FrameChanged(); break;
    default: TWinControl::Dispatch(Message); break;
    }
}

// ---- Activation and focus --------------------------------------------------------------------

void TCustomForm::WMActivate(TMessage& Message) {
    if (GetParent()) {
        DefaultHandler(Message);
        return;
    }
    if (LOWORD(Message.WParam) != WA_INACTIVE) {
        FActive = true;
        FFormState.Include(fsActivated);
        Screen->FormActivated(this);
        if (!FActiveControl) {
            TWinControl* first = FindNextControl(nullptr, true, true, false);
            if (first) FActiveControl = first;
        }
        SetWindowFocus();
        Screen->SetActiveControl(FActiveControl);
        Activate();
    } else {
        FActive = false;
        if (GetFocus() && ContainsControl(GetFocus())) SetFocusWindow(nullptr);
        Deactivate();
    }
}

void TCustomForm::SetWindowFocus() {
    TWinControl* target = FActiveControl && IsLiveControl(FActiveControl) ? FActiveControl : this;
    if (GetFocus() != target) SetFocusWindow(target);
}

bool TCustomForm::CanFocus() { return GetVisible() && GetEnabled(); }

void TCustomForm::SetFocus() {
    if (GetParent()) {
        TWinControl::SetFocus();
        return;
    }
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    HandleNeeded();
    if (!FActive) lumora_detail::ActivateTopLevel(this);
    if (FActive) SetWindowFocus();
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
    if (FActiveControl == Control) {
        if (Control && FActive && GetFocus() != Control && !IsLoading()) SetWindowFocus();
        return;
    }
    if (Control && !(Control != this && GetParentForm(Control) == this && (IsLoading() || Control->CanFocus())))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    FActiveControl = Control;
    if (!IsLoading()) {
        if (FActive) SetWindowFocus();
        if (FActive) Screen->SetActiveControl(Control);
    }
}

void TCustomForm::FocusControl(TWinControl* Control) {
    bool wasActive = FActive;
    SetActiveControl(Control);
    if (!wasActive) SetFocus();
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
    if (Removing && FFocusedControl && Control->ContainsControl(FFocusedControl)) {
        TWinControl* p = Control->GetParent();
        FFocusedControl = p == this ? nullptr : p;
    }
    if (FActiveControl && Control->ContainsControl(FActiveControl)) {
        FActiveControl = nullptr;
        if (FActive && !IsDestroying()) SetWindowFocus();
        if (FActive) Screen->SetActiveControl(nullptr);
    }
    if (GetFocus() && Control->ContainsControl(GetFocus())) SetFocusWindow(FActive && !IsDestroying() ? this : nullptr);
}

namespace {

Integer gFocusChanges = 0;

TWinControl* CommonAncestor(TWinControl* a, TWinControl* b) {
    for (TWinControl* x = a; x; x = x->GetParent())
        if (x->ContainsControl(b)) return x;
    return nullptr;
}

}  // namespace

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
    if (!Control) return false;
    Integer stamp = ++gFocusChanges;
    if (Control != this) FActiveControl = Control;
    if (FActive || GetFocus() == Control) Screen->SetActiveControl(Control);
    TWinControl* old = FFocusedControl;
    if (old && !IsLiveControl(old)) old = nullptr;
    if (old == Control || (!old && Control == this)) {
        FFocusedControl = Control == this ? nullptr : Control;
        return true;
    }
    TWinControl* common = old ? CommonAncestor(old, Control) : this;
    if (!common) common = this;
    try {
        for (TWinControl* x = old; x && x != common && x != this; x = x->GetParent()) {
            x->Perform(CM_EXIT);
            if (gFocusChanges != stamp) return false;
        }
    } catch (...) {
        // The control being left refused: the focus goes back to it.
        if (old && IsLiveControl(old)) {
            FActiveControl = old;
            SetFocusWindow(old);
            Screen->SetActiveControl(old);
        }
        throw;
    }
    FFocusedControl = Control == this ? nullptr : Control;
    std::vector<TWinControl*> chain;
    for (TWinControl* x = Control; x && x != common && x != this; x = x->GetParent()) chain.push_back(x);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        (*it)->Perform(CM_ENTER);
        if (gFocusChanges != stamp) return false;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
    return true;
}

// ---- Keys ------------------------------------------------------------------------------------

bool TCustomForm::FormShortCut(TMessage& Message) {
    bool handled = false;
    if (OnShortCut) OnShortCut(Message, handled);
    if (handled) return true;
    // Copy: a handler may register or remove handlers.
    auto entries = ShortCutEntries();
    for (auto& e : entries) {
        if (!IsLiveControl(this)) return true;
        if (e.Handler(this, Message)) return true;
    }
    return false;
}

bool TCustomForm::IsShortCut(TMessage& Message) {
    if (FormShortCut(Message)) return true;
    bool handled = false;
    if (Application->OnShortCut) Application->OnShortCut(Message, handled);
    if (handled || !IsLiveControl(this)) return true;
    // The main form's shortcuts serve the other forms too, unless a modal form shuts it out.
    TCustomForm* main = Application->GetMainForm();
    if (main && main != this && IsLiveControl(main) && main->GetEnabled() && lumora_detail::AcceptsInput(main) &&
        main->FormShortCut(Message))
        return true;
    if (!IsLiveControl(this)) return true;
    return MenuAcceleratorHook && MenuAcceleratorHook(this, Message);
}

void TCustomForm::CMDialogKey(TMessage& Message) {
    if (GetKeyState(VK_MENU) >= 0) {
        switch (Word(Message.WParam)) {
        case VK_TAB:
            if (GetKeyState(VK_CONTROL) >= 0) {
                SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
                Message.Result = 1;
                return;
            }
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (FActiveControl && FActiveControl->GetParent()) {
                bool forward = Word(Message.WParam) == VK_RIGHT || Word(Message.WParam) == VK_DOWN;
                FActiveControl->GetParent()->SelectNext(FActiveControl, forward, false);
                Message.Result = 1;
            }
            return;
        default: break;
        }
    }
    TWinControl::CMDialogKey(Message);
}

void TCustomForm::MouseWheelHandler(TMessage& Message) {
    TShiftState shift = KeysToShiftState(Message.WParam & 0xFFFF);
    Integer delta = int16_t(Message.WParam >> 16);
    TPoint pos = LParamToPoint(Message.LParam);
    if (DoMouseWheel(shift, delta, pos)) {
        Message.Result = 1;
        return;
    }
    TControl* start = GetFocus() && ContainsControl(GetFocus()) ? static_cast<TControl*>(GetFocus()) : nullptr;
    for (TControl* c = start; c && c != this && !Message.Result; c = c->GetParent())
        Message.Result = c->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

bool IsModalForm(TCustomForm* Form) { return Form && Form->GetFormState().Contains(fsModal); }

// ---- TCustomPopupWindow ----------------------------------------------------------------------

namespace {

std::vector<TCustomPopupWindow*>& OpenPopups() {
    static std::vector<TCustomPopupWindow*> v;
    return v;
}

}  // namespace

namespace lumora_detail {

// Reports a mouse press at a screen point to the shown popups it falls outside of.
void ReportOutsideClick(TPoint ScreenPos, TWinControl* Target) {
    auto popups = OpenPopups();
    for (TCustomPopupWindow* p : popups) {
        if (!IsLiveControl(p) || !p->IsPoppedUp()) continue;
        if (Target && p->ContainsControl(Target)) continue;
        TRect r;
        GetWindowRect(p, r);
        if (PtInRect(&r, ScreenPos)) continue;
        Application->Guard(p, [&] { p->Perform(CM_POPUPOUTSIDECLICK, 0, PointToLParam(ScreenPos)); });
    }
}

bool AnyPopupOpen() { return !OpenPopups().empty(); }

}  // namespace lumora_detail

TCustomPopupWindow::TCustomPopupWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    FVisible = false;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
}

TCustomPopupWindow::~TCustomPopupWindow() {
    auto& v = OpenPopups();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void TCustomPopupWindow::SetActivating(bool Value) {
    if (FActivating == Value) return;
    FActivating = Value;
    RecreateWnd();
}

void TCustomPopupWindow::SetOwnerWindow(HWND Value) {
    if (FOwnerWindow == Value) return;
    FOwnerWindow = Value;
    RecreateWnd();
}

void TCustomPopupWindow::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER;
    Params.ExStyle = WS_EX_TOOLWINDOW;
    if (!FActivating) Params.ExStyle |= WS_EX_NOACTIVATE | WS_EX_TOPMOST;
    HWND owner = FOwnerWindow;
    if (!owner && GetParent()) owner = GetParentForm(this);
    Params.WndParent = owner;
    Params.WindowClass.style |= CS_SAVEBITS;
}

void TCustomPopupWindow::Popup(TPoint P) {
    SetBounds(P.X, P.Y, GetWidth(), GetHeight());
    HandleNeeded();
    auto& v = OpenPopups();
    if (std::find(v.begin(), v.end(), this) == v.end()) v.push_back(this);
    if (FActivating) {
        ShowWindow(this, SW_SHOW);
        lumora_detail::ActivateTopLevel(this);
        SetFocusWindow(this);
    } else {
        ShowWindow(this, SW_SHOWNA);
        SetWindowPos(this, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void TCustomPopupWindow::ClosePopup() {
    auto& v = OpenPopups();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    if (!IsWindowVisible(this)) return;
    bool wasActive = lumora_detail::ActiveTopLevel() == this;
    ShowWindow(this, SW_HIDE);
    if (wasActive) {
        HWND owner = FOwnerWindow ? FOwnerWindow : (GetParent() ? GetParentForm(this) : nullptr);
        TWinControl* top = owner ? lumora_detail::TopLevelOf(owner) : nullptr;
        if (top && IsWindowVisible(top))
            lumora_detail::ActivateTopLevel(top);
        else
            lumora_detail::ActivateNextAfter(this);
    }
}

bool TCustomPopupWindow::IsPoppedUp() { return IsWindowVisible(this); }

bool TCustomPopupWindow::CanFocus() { return FActivating && GetEnabled(); }

void TCustomPopupWindow::WMMouseActivate(TMessage& Message) {
    Message.Result = FActivating ? MA_ACTIVATE : MA_NOACTIVATE;
}

void TCustomPopupWindow::WMActivate(TMessage& Message) {
    DefaultHandler(Message);
    if (LOWORD(Message.WParam) == WA_INACTIVE && OnDeactivate) OnDeactivate(this);
}

void TCustomPopupWindow::OutsideClick(TPoint ScreenPos) {
    if (OnOutsideClick) OnOutsideClick(this, ScreenPos);
}

void TCustomPopupWindow::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_POPUPOUTSIDECLICK) {
        OutsideClick(LParamToPoint(Message.LParam));
        return;
    }
    TCustomControl::Dispatch(Message);
}
