#include "framework/window_hooks.h"

#include <algorithm>
#include <vector>

struct THookRecord {
    Integer IdHook;
    THookProc Proc;
};

namespace {

constexpr Integer kFirstHook = WH_GETMESSAGE;
constexpr Integer kLastHook = WH_CBT;

// Per hook type, the installed hooks, newest first.
std::vector<HHOOK>& Chain(Integer IdHook) {
    static std::vector<HHOOK> chains[kLastHook - kFirstHook + 1];
    return chains[IdHook - kFirstHook];
}

bool KnownHook(Integer IdHook) { return IdHook >= kFirstHook && IdHook <= kLastHook; }

// Calls the first hook of a chain; its procedure passes the call on.
LRESULT CallFirst(Integer IdHook, Integer Code, WPARAM WParam, LPARAM LParam) {
    const std::vector<HHOOK>& chain = Chain(IdHook);
    if (chain.empty()) return 0;
    return chain.front()->Proc(Code, WParam, LParam);
}

}  // namespace

HHOOK SetWindowsHookEx(Integer IdHook, THookProc Proc, void* /*Module*/, DWORD /*ThreadId*/) {
    if (!KnownHook(IdHook) || !Proc) return nullptr;
    HHOOK h = new THookRecord{IdHook, Proc};
    Chain(IdHook).insert(Chain(IdHook).begin(), h);
    return h;
}

bool UnhookWindowsHookEx(HHOOK Hook) {
    for (Integer id = kFirstHook; id <= kLastHook; ++id) {
        std::vector<HHOOK>& chain = Chain(id);
        auto it = std::find(chain.begin(), chain.end(), Hook);
        if (it == chain.end()) continue;
        chain.erase(it);
        delete Hook;
        return true;
    }
    return false;
}

LRESULT CallNextHookEx(HHOOK Hook, Integer Code, WPARAM WParam, LPARAM LParam) {
    for (Integer id = kFirstHook; id <= kLastHook; ++id) {
        const std::vector<HHOOK>& chain = Chain(id);
        auto it = std::find(chain.begin(), chain.end(), Hook);
        if (it == chain.end()) continue;
        if (++it == chain.end()) return 0;
        return (*it)->Proc(Code, WParam, LParam);
    }
    return 0;
}

namespace lumora_detail {

bool AnyWindowHook(Integer IdHook) { return KnownHook(IdHook) && !Chain(IdHook).empty(); }

void RunCallWndProcHooks(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Chain(WH_CALLWNDPROC).empty()) return;
    TCWPStruct cwp{LParam, WParam, Msg, Wnd};
    CallFirst(WH_CALLWNDPROC, HC_ACTION, 1, reinterpret_cast<LPARAM>(&cwp));
}

void RunDestroyWindowHooks(HWND Wnd) {
    if (Chain(WH_CBT).empty()) return;
    CallFirst(WH_CBT, HCBT_DESTROYWND, reinterpret_cast<WPARAM>(Wnd), 0);
}

void RunGetMessageHooks(TMsg& Msg) {
    if (Chain(WH_GETMESSAGE).empty()) return;
    CallFirst(WH_GETMESSAGE, HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&Msg));
}

}  // namespace lumora_detail
