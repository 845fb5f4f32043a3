// The application object, the screen, the mouse and the message loop with its queue of posted
// messages.

#include <algorithm>
#include <deque>
#include <mutex>

#include "framework/dialog_service.h"
#include "framework/drag.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/message_loop.h"
#include "framework/string_list.h"
#include "framework/thread.h"
#include "framework/window_backend.h"
#include "framework/window_hooks.h"

using lumora_detail::IsLiveControl;

// ---- The one application, screen and mouse ---------------------------------------------------

const TApplicationRef Application{};
const TScreenRef Screen{};
const TMouseRef Mouse{};

namespace {

TApplication* gApplication = nullptr;
TScreen* gScreen = nullptr;

}  // namespace

TApplication* TApplicationRef::operator->() const {
    if (!gApplication) gApplication = new TApplication(nullptr);
    return gApplication;
}

TApplicationRef::operator TApplication*() const { return operator->(); }

TScreen* TScreenRef::operator->() const {
    if (!gScreen) gScreen = new TScreen(nullptr);
    return gScreen;
}

TScreenRef::operator TScreen*() const { return operator->(); }

TMouse* TMouseRef::operator->() const {
    static TMouse mouse;
    return &mouse;
}

// ---- Posted messages -------------------------------------------------------------------------

namespace {

struct PostedMessage {
    HWND Wnd;
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    DWORD Time;
};

std::mutex gPostMutex;
std::deque<PostedMessage> gPosted;
bool gWakePending = false;

bool PopPosted(PostedMessage& m) {
    std::lock_guard<std::mutex> lock(gPostMutex);
    if (gPosted.empty()) return false;
    m = gPosted.front();
    gPosted.pop_front();
    return true;
}

void WakeLoop() {
    {
        std::lock_guard<std::mutex> lock(gPostMutex);
        if (gWakePending) return;
        gWakePending = true;
    }
    lumora_backend::PostToLoop([] {
        {
            std::lock_guard<std::mutex> lock(gPostMutex);
            gWakePending = false;
        }
        Application->DeliverPostedMessages();
    });
}

}  // namespace

bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    {
        std::lock_guard<std::mutex> lock(gPostMutex);
        gPosted.push_back({Wnd, Msg, WParam, LParam, GetTickCountInput()});
    }
    WakeLoop();
    return true;
}

LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (!IsLiveControl(Wnd)) return 0;
    lumora_detail::RunCallWndProcHooks(Wnd, Msg, WParam, LParam);
    if (!IsLiveControl(Wnd)) return 0;
    return Wnd->Perform(Msg, WParam, LParam);
}

bool lumora_detail::TakePostedMessage(TMsg& Msg) {
    PostedMessage pm;
    if (!PopPosted(pm)) return false;
    Msg = TMsg{pm.Wnd, pm.Msg, pm.WParam, pm.LParam, pm.Time, GetMessagePos()};
    return true;
}

void PostQuitMessage(Integer ExitCode) { PostMessage(nullptr, WM_QUIT, WPARAM(ExitCode), 0); }

bool DiscardPendingMessage(HWND Wnd, UINT Msg) {
    if (Msg == WM_CHAR || Msg == WM_SYSCHAR) {
        // Characters are made from the key being handled: drop that one.
        if (lumora_detail::InKeyDown()) {
            lumora_detail::SetDiscardChar(true);
            return true;
        }
    }
    std::lock_guard<std::mutex> lock(gPostMutex);
    for (auto it = gPosted.begin(); it != gPosted.end(); ++it)
        if (it->Wnd == Wnd && it->Msg == Msg) {
            gPosted.erase(it);
            return true;
        }
    return false;
}

namespace lumora_detail {

void DropPostedMessagesFor(TControl* Control) {
    std::lock_guard<std::mutex> lock(gPostMutex);
    for (auto& m : gPosted)
        if (m.Wnd == Control) m.Wnd = reinterpret_cast<HWND>(uintptr_t(0x1));  // a window that is gone
}

}  // namespace lumora_detail

// ---- TApplication ----------------------------------------------------------------------------

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
    FHintColor = clInfoBk;
    FTitle = "Lumora";
}

TApplication::~TApplication() {
    if (FHintTimer) lumora_backend::StopTimer(FHintTimer);
}

void TApplication::Initialize() { lumora_backend::EnsureBackend(); }

void TApplication::SetMainFormCandidate(TCustomForm* Form) {
    if (!FMainForm) FMainForm = Form;
}

void TApplication::SetTitle(const std::string& Value) { FTitle = Value; }

std::string TApplication::GetExeName() const { return lumora_backend::ExecutablePath(); }

void TApplication::Run() {
    lumora_backend::EnsureBackend();
    FRunning = true;
    if (FMainForm && FShowMainForm) {
        if (FMainForm->GetWindowState() == wsMinimized) Minimize();
        FMainForm->SetVisible(true);
    }
    do {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    } while (!FTerminated);
    FRunning = false;
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::DeliverPostedMessages() {
    // Only what is queued now: messages posted while these run wait for the next turn.
    size_t n;
    {
        std::lock_guard<std::mutex> lock(gPostMutex);
        n = gPosted.size();
    }
    for (size_t i = 0; i < n; ++i) {
        PostedMessage pm;
        if (!PopPosted(pm)) break;
        TMsg msg{pm.Wnd, pm.Msg, pm.WParam, pm.LParam, pm.Time, GetMessagePos()};
        if (lumora_detail::TakenByGetMessage(msg)) continue;
        DeliverPostedMessage(msg);
    }
}

void TApplication::DeliverPostedMessage(TMsg& Msg) {
    bool handled = false;
    try {
        lumora_detail::RunGetMessageHooks(Msg);
        if (OnMessage) OnMessage(Msg, handled);
        if (handled) return;
        if (Msg.message == WM_QUIT) {
            FTerminated = true;
            return;
        }
        if (Msg.hwnd && IsLiveControl(Msg.hwnd)) Msg.hwnd->Perform(Msg.message, Msg.wParam, Msg.lParam);
    } catch (...) {
        HandleException(Msg.hwnd && IsLiveControl(Msg.hwnd) ? static_cast<TObject*>(Msg.hwnd) : this);
    }
}

bool TApplication::DeliverLeftOverMessages() {
    bool any = false;
    TMsg msg;
    while (lumora_detail::TakeLeftOverMessage(msg)) {
        any = true;
        if (msg.message != WM_TIMER && !lumora_detail::IsInputMessage(msg.message)) {
            DeliverPostedMessage(msg);
            continue;
        }
        // Timers and input as their own paths deliver them.
        try {
            if (msg.message == WM_TIMER) {
                bool handled = false;
                if (OnMessage) OnMessage(msg, handled);
                if (!handled) lumora_detail::DeliverTimerMessage(msg);
            } else {
                DispatchInputMessage(msg);
            }
        } catch (...) {
            HandleException(msg.hwnd && IsLiveControl(msg.hwnd) ? static_cast<TObject*>(msg.hwnd) : this);
        }
    }
    return any;
}

bool TApplication::ProcessMessage() {
    lumora_backend::EnsureBackend();
    bool leftOver = DeliverLeftOverMessages();
    bool any = false;
    {
        std::lock_guard<std::mutex> lock(gPostMutex);
        any = !gPosted.empty();
    }
    if (any) DeliverPostedMessages();
    any = any || leftOver;
    bool events = lumora_backend::ProcessEvents(false);
    return any || events;
}

void TApplication::ProcessMessages() {
    for (int guard = 0; guard < 1000 && ProcessMessage(); ++guard) {
    }
}

void TApplication::HandleMessage() {
    if (!ProcessMessage()) Idle(TMsg{});
}

void TApplication::IdleTurn(bool Wait) {
    bool done = true;
    try {
        if (OnIdle) OnIdle(this, done);
        if (done) DoApplicationIdle();
    } catch (...) {
        HandleException(this);
    }
    lumora_detail::RunSynchronizeHook();
    if (done && Wait && !FTerminated) {
        bool pending;
        {
            std::lock_guard<std::mutex> lock(gPostMutex);
            pending = !gPosted.empty();
        }
        if (!pending) lumora_backend::ProcessEvents(true);
    }
}

void TApplication::DoApplicationIdle() {
    auto hooks = IdleHooks();
    for (auto& h : hooks) h.second();
}

std::vector<std::pair<Integer, std::function<void()>>>& TApplication::IdleHooks() {
    static std::vector<std::pair<Integer, std::function<void()>>> v;
    return v;
}

Integer TApplication::AddIdleHook(std::function<void()> Hook) {
    static Integer next = 0;
    IdleHooks().push_back({++next, std::move(Hook)});
    return next;
}

void TApplication::RemoveIdleHook(Integer Id) {
    auto& v = IdleHooks();
    v.erase(std::remove_if(v.begin(), v.end(), [Id](const auto& e) { return e.first == Id; }), v.end());
}

void TApplication::HandleException(TObject* Sender) {
    if (FHandleExceptionDepth > 4) return;
    ++FHandleExceptionDepth;
    try {
        try {
            throw;
        } catch (EAbort&) {
        } catch (Exception& e) {
            HandleException(Sender, e);
        } catch (std::exception& e) {
            Exception ex(e.what());
            HandleException(Sender, ex);
        } catch (...) {
            Exception ex("Unknown exception");
            HandleException(Sender, ex);
        }
    } catch (...) {
        // A failing report must not take the loop down.
    }
    --FHandleExceptionDepth;
}

void TApplication::HandleException(TObject* Sender, Exception& E) {
    if (dynamic_cast<EAbort*>(&E)) return;
    if (OnException)
        OnException(Sender, E);
    else
        ShowException(E);
}

void TApplication::ShowException(Exception& E) {
    std::string msg = E.Message;
    if (!msg.empty() && msg.back() != '.') msg += '.';
    MessageBox(msg, FTitle, MB_OK | MB_ICONSTOP);
}

Integer TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
    return ::MessageBox(nullptr, Text, Caption, Flags);
}

void TApplication::SetActiveState(bool Value) {
    if (FActive == Value) return;
    FActive = Value;
    if (!Value) CancelHint();
    // Every top-level window learns that the program gained or lost the activation.
    std::vector<TCustomForm*> tops;
    for (int i = 0; i < Screen->GetCustomFormCount(); ++i) {
        TCustomForm* f = Screen->GetCustomForm(i);
        if (f->HandleAllocated() && !f->GetParent()) tops.push_back(f);
    }
    for (TCustomForm* f : tops)
        if (IsLiveControl(f)) Guard(f, [&] { SendMessage(f, WM_ACTIVATEAPP, Value ? 1 : 0, 0); });
    TNotifyEvent& e = Value ? OnActivate : OnDeactivate;
    if (e) Guard(this, [&] { e(this); });
}

void TApplication::Minimize() {
    if (FMinimized) return;
    FMinimized = true;
    for (int i = 0; i < Screen->GetCustomFormCount(); ++i) {
        TCustomForm* f = Screen->GetCustomForm(i);
        if (f->HandleAllocated() && f->IsShowing()) TWindowBackend::SetWindowState(f, int(wsMinimized));
    }
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
    if (!FMinimized) return;
    FMinimized = false;
    for (int i = 0; i < Screen->GetCustomFormCount(); ++i) {
        TCustomForm* f = Screen->GetCustomForm(i);
        if (f->HandleAllocated() && f->IsShowing()) TWindowBackend::SetWindowState(f, int(f->GetWindowState()));
    }
    if (OnRestore) OnRestore(this);
}

void TApplication::BringToFront() {
    TCustomForm* f = Screen->GetActiveCustomForm();
    if (!f || !f->IsShowing()) f = FMainForm;
    if (f && IsLiveControl(f) && f->IsShowing()) {
        TWindowBackend::ActivateWindow(f);
        lumora_detail::ActivateTopLevel(f);
    }
}

void TApplication::ModalStarted() {
    ++FModalLevel;
    if (OnModalBegin) OnModalBegin(this);
}

void TApplication::ModalFinished() {
    --FModalLevel;
    if (OnModalEnd) OnModalEnd(this);
}

void TApplication::ControlDestroyed(TControl* Control) {
    if (FMainForm == Control) FMainForm = nullptr;
    if (FHintControl == Control) {
        FHintControl = nullptr;
        CancelHint();
    }
    lumora_detail::DropPostedMessagesFor(Control);
}

// ---- Help ------------------------------------------------------------------------------------

bool TApplication::HelpContext(Integer Context) { return HelpCommand(HELP_CONTEXT, LPARAM(Context)); }

bool TApplication::HelpCommand(Word Command, LPARAM Data) {
    if (Command == HELP_CONTEXT) FLastHelpContext = Integer(Data);
    bool callHelp = true;
    bool result = false;
    if (OnHelp) result = OnHelp(Command, Data, callHelp);
    if (callHelp && HelpHandler && Command == HELP_CONTEXT) result = HelpHandler(FHelpFile, Integer(Data));
    return result;
}

// ---- Hints -----------------------------------------------------------------------------------

std::string GetShortHint(const std::string& Hint) {
    auto p = Hint.find('|');
    return p == std::string::npos ? Hint : Hint.substr(0, p);
}

std::string GetLongHint(const std::string& Hint) {
    auto p = Hint.find('|');
    return p == std::string::npos ? Hint : Hint.substr(p + 1);
}

namespace {

std::string HintOf(TControl* c) {
    for (; c; c = c->GetParent())
        if (!c->GetHint().empty()) return c->GetHint();
    return {};
}

}  // namespace

void TApplication::SetHint(const std::string& Value) {
    if (FHint == Value) return;
    FHint = Value;
    if (OnHint) Guard(this, [&] { OnHint(this); });
}

void TApplication::SetShowHint(bool Value) {
    if (FShowHint == Value) return;
    FShowHint = Value;
    if (!Value) CancelHint();
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
    SetHint(GetLongHint(HintOf(Control)));
    TPoint pos = MessagePoint(Message);
    if (Control == FHintControl) {
        // Moving out of the cursor rectangle a control set for its hint shows the hint again.
        if (FHintActive && !FHintCursorRect.Right) return;
        if (FHintActive && (pos.X < FHintCursorRect.Left || pos.X >= FHintCursorRect.Right ||
                            pos.Y < FHintCursorRect.Top || pos.Y >= FHintCursorRect.Bottom)) {
            HideHint();
            StartHintTimer(FHintShortPause);
        }
        return;
    }
    bool wasActive = FHintActive;
    CancelHint();
    FHintControl = Control;
    if (!FShowHint || !Control->GetShowHint() || GetShortHint(HintOf(Control)).empty()) return;
    StartHintTimer(wasActive ? FHintShortPause : FHintPause);
}

void TApplication::StartHintTimer(Integer Delay) {
    if (FHintTimer) lumora_backend::StopTimer(FHintTimer);
    FHintTimer = lumora_backend::StartTimer(std::max(1, Delay), [this] {
        lumora_backend::StopTimer(FHintTimer);
        FHintTimer = 0;
        if (FHintActive) {
            HideHint();
        } else {
            Guard(this, [&] { ShowHintNow(); });
        }
    });
}

void TApplication::ShowHintNow() {
    TControl* c = FHintControl;
    if (!c || !IsLiveControl(c)) return;
    THintInfo info;
    info.HintControl = c;
    info.HintStr = GetShortHint(HintOf(c));
    info.HintColor = FHintColor;
    info.HideTimeout = FHintHidePause;
    info.CursorRect = c->GetClientRect();
    TPoint mouse = GetMessagePos();
    info.CursorPos = c->ScreenToClient(mouse);
    info.HintPos = {mouse.X, mouse.Y + 20};
    if (c->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0) return;
    bool canShow = true;
    if (OnShowHint) OnShowHint(info.HintStr, canShow, info);
    if (!canShow || info.HintStr.empty()) return;
    FHintCursorRect = info.CursorRect;
    FVisibleHint = info.HintStr;
    FHintActive = true;
    lumora_backend::ShowHintText(info.HintStr, info.HintPos, info.HintColor);
    if (info.HideTimeout > 0) StartHintTimer(info.HideTimeout);
}

void TApplication::HideHint() {
    if (!FHintActive) return;
    FHintActive = false;
    FVisibleHint.clear();
    lumora_backend::HideHintText();
}

void TApplication::CancelHint() {
    if (FHintTimer) {
        lumora_backend::StopTimer(FHintTimer);
        FHintTimer = 0;
    }
    HideHint();
    FHintControl = nullptr;
}

void TApplication::ActivateHint(TPoint CursorPos) {
    CancelHint();
    TControl* c = FindDragTarget(CursorPos, true);
    if (!c) return;
    FHintControl = c;
    ShowHintNow();
}

// ---- TScreen ---------------------------------------------------------------------------------

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

TScreen::~TScreen() {
    delete FFonts;
    delete FHintFont;
    delete FIconFont;
    delete FMenuFont;
}

TForm* TScreen::GetForm(int Index) const {
    int n = -1;
    for (TCustomForm* f : FForms)
        if (auto* form = dynamic_cast<TForm*>(f))
            if (++n == Index) return form;
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

TCustomForm* TScreen::GetCustomForm(int Index) const {
    if (Index < 0 || size_t(Index) >= FForms.size())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FForms[size_t(Index)];
}

TForm* TScreen::GetActiveForm() const { return dynamic_cast<TForm*>(FActiveForm); }

void TScreen::AddForm(TCustomForm* Form) {
    if (std::find(FForms.begin(), FForms.end(), Form) == FForms.end()) FForms.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
    FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
    if (FActiveForm == Form) SetActiveForm(nullptr);
    if (FActiveControl && Form->ContainsControl(FActiveControl)) SetActiveControl(nullptr);
}

void TScreen::FormActivated(TCustomForm* Form) {
    auto it = std::find(FForms.begin(), FForms.end(), Form);
    if (it != FForms.end()) {
        FForms.erase(it);
        FForms.insert(FForms.begin(), Form);
    }
    SetActiveForm(Form);
}

void TScreen::SetActiveForm(TCustomForm* Form) {
    if (FActiveForm == Form) return;
    FActiveForm = Form;
    if (OnActiveFormChange) Application->Guard(this, [&] { OnActiveFormChange(this); });
}

void TScreen::SetActiveControl(TWinControl* Control) {
    if (FActiveControl == Control) return;
    FActiveControl = Control;
    if (OnActiveControlChange) Application->Guard(this, [&] { OnActiveControlChange(this); });
}

void TScreen::SetCursor(TCursor Value) {
    if (FCursor == Value) return;
    FCursor = Value;
    lumora_backend::SetOverrideCursor(Value);
}

Integer TScreen::GetWidth() { return lumora_backend::PrimaryScreenRect().Width(); }
Integer TScreen::GetHeight() { return lumora_backend::PrimaryScreenRect().Height(); }

TRect TScreen::GetDesktopRect() {
    TRect r;
    bool first = true;
    for (int i = 0; i < GetMonitorCount(); ++i) {
        TRect m = GetMonitor(i)->BoundsRect;
        if (first) {
            r = m;
            first = false;
        } else {
            r = {std::min(r.Left, m.Left), std::min(r.Top, m.Top), std::max(r.Right, m.Right),
                 std::max(r.Bottom, m.Bottom)};
        }
    }
    return r;
}

Integer TScreen::GetDesktopWidth() { return GetDesktopRect().Width(); }
Integer TScreen::GetDesktopHeight() { return GetDesktopRect().Height(); }

TRect TScreen::GetWorkAreaRect() { return lumora_backend::PrimaryWorkArea(); }

void TScreen::LoadMonitors() {
    if (!FMonitors.empty()) return;
    int n = lumora_backend::MonitorCount();
    int primary = lumora_backend::MonitorPrimaryIndex();
    for (int i = 0; i < n; ++i) {
        auto m = std::make_unique<TMonitor>();
        m->MonitorNum = i;
        m->BoundsRect = lumora_backend::MonitorRect(i);
        m->WorkareaRect = lumora_backend::MonitorWorkArea(i);
        m->Primary = i == primary;
        FMonitors.push_back(std::move(m));
    }
}

void TScreen::ResetMonitors() { FMonitors.clear(); }

int TScreen::GetMonitorCount() {
    LoadMonitors();
    return int(FMonitors.size());
}

TMonitor* TScreen::GetMonitor(int Index) {
    LoadMonitors();
    if (Index < 0 || size_t(Index) >= FMonitors.size())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FMonitors[size_t(Index)].get();
}

TMonitor* TScreen::MonitorFromPoint(TPoint P, TMonitorDefaultTo Default) {
    LoadMonitors();
    TMonitor* best = nullptr;
    int64_t bestDist = -1;
    for (auto& m : FMonitors) {
        const TRect& r = m->BoundsRect;
        if (PtInRect(&r, P)) return m.get();
        int64_t dx = P.X < r.Left ? r.Left - P.X : (P.X >= r.Right ? P.X - r.Right + 1 : 0);
        int64_t dy = P.Y < r.Top ? r.Top - P.Y : (P.Y >= r.Bottom ? P.Y - r.Bottom + 1 : 0);
        int64_t d = dx * dx + dy * dy;
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = m.get();
        }
    }
    if (Default == mdNull) return nullptr;
    if (Default == mdPrimary)
        for (auto& m : FMonitors)
            if (m->Primary) return m.get();
    return best;
}

TMonitor* TScreen::MonitorFromRect(const TRect& R, TMonitorDefaultTo Default) {
    LoadMonitors();
    TMonitor* best = nullptr;
    int64_t bestArea = 0;
    for (auto& m : FMonitors) {
        const TRect& b = m->BoundsRect;
        int64_t w = std::min(R.Right, b.Right) - std::max(R.Left, b.Left);
        int64_t h = std::min(R.Bottom, b.Bottom) - std::max(R.Top, b.Top);
        if (w > 0 && h > 0 && w * h > bestArea) {
            bestArea = w * h;
            best = m.get();
        }
    }
    if (best) return best;
    return MonitorFromPoint({(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}, Default);
}

TMonitor* TScreen::MonitorFromWindow(HWND Wnd, TMonitorDefaultTo Default) {
    TRect r;
    if (!GetWindowRect(Wnd, r)) return Default == mdNull ? nullptr : MonitorFromPoint({0, 0}, Default);
    return MonitorFromRect(r, Default);
}

TStrings* TScreen::GetFonts() {
    if (!FFonts) {
        auto* list = new TStringList();
        for (const auto& f : lumora_backend::FontFamilies()) list->Add(f);
        list->SetSorted(true);
        FFonts = list;
    }
    return FFonts;
}

TFont* TScreen::GetHintFont() {
    if (!FHintFont) FHintFont = new TFont();
    return FHintFont;
}

TFont* TScreen::GetIconFont() {
    if (!FIconFont) FIconFont = new TFont();
    return FIconFont;
}

TFont* TScreen::GetMenuFont() {
    if (!FMenuFont) FMenuFont = new TFont();
    return FMenuFont;
}

// ---- TMouse ----------------------------------------------------------------------------------

TPoint TMouse::GetCursorPos() const { return lumora_backend::CursorPos(); }

void TMouse::SetCursorPos(TPoint P) { lumora_backend::SetCursorPos(P); }

HWND TMouse::GetCapture() const { return ::GetCapture(); }

void TMouse::SetCapture(HWND Value) {
    if (Value)
        ::SetCapture(Value);
    else
        ReleaseCapture();
}

// ---- The input path --------------------------------------------------------------------------

namespace {

bool gInKeyDown = false;

}  // namespace

namespace lumora_detail {

bool InKeyDown() { return gInKeyDown; }
void SetInKeyDown(bool Value) { gInKeyDown = Value; }

void RunSynchronizeHook() {
    if (IsMainThread()) CheckSynchronize(0);
}

}  // namespace lumora_detail

bool TApplication::DispatchInputMessage(TMsg& Msg) {
    if (lumora_detail::TakenByGetMessage(Msg)) return true;
    bool handled = false;
    lumora_detail::RunGetMessageHooks(Msg);
    if (OnMessage) OnMessage(Msg, handled);
    if (handled) return true;
    return lumora_detail::RouteInputMessage(Msg);
}

bool lumora_detail::RouteInputMessage(TMsg& Msg) {
    HWND w = Msg.hwnd;
    if (!w || !IsLiveControl(w)) return true;
    TMessage m{Msg.message, Msg.wParam, Msg.lParam, 0};
    switch (Msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // The control's own key step first (shortcuts, dialog keys), then the key itself.
        if (w->Perform(CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0) return true;
        if (!IsLiveControl(w)) return true;
        w->WndProc(m);
        Msg.wParam = m.WParam;
        return m.WParam == 0;
    default:
        w->WndProc(m);
        return false;
    }
}
