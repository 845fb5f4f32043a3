#include "framework/message_loop.h"

#include <deque>

#include "framework/controls.h"
#include "framework/window_backend.h"
#include "framework/window_hooks.h"

namespace {

// While GetMessage waits, the messages that arrive are queued here for it.
Integer gWaiting = 0;
std::deque<TMsg> gTaken;

}  // namespace

bool lumora_detail::IsInputMessage(UINT Msg) {
    return (Msg >= WM_KEYFIRST && Msg <= WM_KEYLAST) || (Msg >= WM_MOUSEFIRST && Msg <= WM_MOUSELAST);
}

bool lumora_detail::TakeLeftOverMessage(TMsg& Msg) {
    if (gWaiting != 0 || gTaken.empty()) return false;
    Msg = gTaken.front();
    gTaken.pop_front();
    return true;
}

bool lumora_detail::TakenByGetMessage(const TMsg& Msg) {
    if (gWaiting == 0) return false;
    gTaken.push_back(Msg);
    return true;
}

bool GetMessage(TMsg& Msg, HWND Wnd, UINT FilterMin, UINT FilterMax) {
    lumora_backend::EnsureBackend();
    for (;;) {
        if (!gTaken.empty()) {
            Msg = gTaken.front();
            gTaken.pop_front();
            break;
        }
        if (lumora_detail::TakePostedMessage(Msg)) break;
        ++gWaiting;
        try {
            lumora_backend::ProcessEvents(true);
        } catch (...) {
            --gWaiting;
            throw;
        }
        --gWaiting;
    }
    lumora_detail::RunGetMessageHooks(Msg);
    return Msg.message != WM_QUIT;
}

bool TranslateMessage(const TMsg& Msg) {
    return Msg.message == WM_KEYDOWN || Msg.message == WM_SYSKEYDOWN;
}

LRESULT DispatchMessage(const TMsg& Msg) {
    TMsg m = Msg;
    if (m.message == WM_TIMER) {
        lumora_detail::DeliverTimerMessage(m);
        return 0;
    }
    if (!m.hwnd || !lumora_detail::IsLiveControl(m.hwnd)) return 0;
    if (lumora_detail::IsInputMessage(m.message)) {
        lumora_detail::RouteInputMessage(m);
        return 0;
    }
    return m.hwnd->Perform(m.message, m.wParam, m.lParam);
}
