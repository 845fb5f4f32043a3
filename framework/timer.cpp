#include "framework/timer.h"

#include <map>

#include "framework/forms.h"
#include "framework/message_loop.h"
#include "framework/window_backend.h"

using lumora_detail::IsLiveControl;

// ---- TTimer ----------------------------------------------------------------------------------

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) { UpdateTimer(); }

TTimer::~TTimer() {
    if (FId) lumora_backend::StopTimer(FId);
}

void TTimer::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
    if (FInterval == Value) return;
    FInterval = Value;
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (FId) {
        lumora_backend::StopTimer(FId);
        FId = 0;
    }
    if (!FEnabled || FInterval == 0 || GetComponentState().Contains(csLoading) ||
        GetComponentState().Contains(csDestroying))
        return;
    FId = lumora_backend::StartTimer(Integer(FInterval), [this] {
        try {
            Timer();
        } catch (...) {
            Application->HandleException(this);
        }
    });
}

void TTimer::Timer() {
    if (FEnabled && FInterval != 0 && OnTimer) OnTimer(this);
}

// ---- Window timers ---------------------------------------------------------------------------

namespace {

struct WindowTimer {
    Integer BackendId = 0;
    TIMERPROC Proc;
};

std::map<std::pair<HWND, UINT_PTR>, WindowTimer>& WindowTimers() {
    static std::map<std::pair<HWND, UINT_PTR>, WindowTimer> m;
    return m;
}

}  // namespace

UINT_PTR SetTimer(HWND Wnd, UINT_PTR Id, UINT Elapse, TIMERPROC Proc) {
    if (Wnd && !IsLiveControl(Wnd)) return 0;
    if (!Wnd) {
        static UINT_PTR next = 0x7FFF0000;
        if (Id == 0) Id = ++next;
    }
    auto key = std::make_pair(Wnd, Id);
    auto& timers = WindowTimers();
    auto it = timers.find(key);
    if (it != timers.end()) {
        lumora_backend::StopTimer(it->second.BackendId);
        timers.erase(it);
    }
    if (Elapse == 0) Elapse = 1;
    Integer backendId = lumora_backend::StartTimer(Integer(Elapse), [Wnd, Id] {
        if (Wnd && !IsLiveControl(Wnd)) {
            KillTimer(Wnd, Id);
            return;
        }
        TMsg msg{Wnd, WM_TIMER, Id, 0, GetTickCountInput(), GetMessagePos()};
        if (lumora_detail::TakenByGetMessage(msg)) return;
        try {
            bool handled = false;
            if (Application->OnMessage) Application->OnMessage(msg, handled);
            if (handled) return;
            lumora_detail::DeliverTimerMessage(msg);
        } catch (...) {
            Application->HandleException(Wnd ? static_cast<TObject*>(Wnd) : Application);
        }
    });
    timers[key] = WindowTimer{backendId, Proc};
    return Wnd ? (Id ? Id : 1) : Id;
}

bool KillTimer(HWND Wnd, UINT_PTR Id) {
    auto& timers = WindowTimers();
    auto it = timers.find(std::make_pair(Wnd, Id));
    if (it == timers.end()) return false;
    lumora_backend::StopTimer(it->second.BackendId);
    timers.erase(it);
    return true;
}

namespace lumora_detail {

void KillWindowTimers(HWND Wnd) {
    auto& timers = WindowTimers();
    for (auto it = timers.begin(); it != timers.end();) {
        if (it->first.first == Wnd) {
            lumora_backend::StopTimer(it->second.BackendId);
            it = timers.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace lumora_detail

void lumora_detail::DeliverTimerMessage(const TMsg& Msg) {
    TIMERPROC proc;
    auto it = WindowTimers().find(std::make_pair(Msg.hwnd, UINT_PTR(Msg.wParam)));
    if (it != WindowTimers().end()) proc = it->second.Proc;
    if (proc)
        proc(Msg.hwnd, WM_TIMER, Msg.wParam, Msg.time);
    else if (Msg.hwnd && IsLiveControl(Msg.hwnd))
        Msg.hwnd->Perform(WM_TIMER, Msg.wParam, 0);
}
