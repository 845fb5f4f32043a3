#include "components/thread_hooks.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/window_hooks.h"

namespace {

struct TCallbackRecord {
    THookCallback Callback;
    Integer RefCount;
    THookProcCodes Codes;
};

constexpr Integer kHookTypes = 3;
constexpr Integer kSystemHook[kHookTypes] = {WH_CALLWNDPROC, WH_CBT, WH_GETMESSAGE};

struct THookType {
    HHOOK Handle = nullptr;
    Integer Count = 0;
};

THookType gHooks[kHookTypes];
// Created at the first registration, freed when it becomes empty.
std::unique_ptr<std::vector<TCallbackRecord>> gRecords;

THookProcCodes CodesOfType(Integer HookType) {
    switch (HookType) {
    case 0: return {hpSendActivateApp, hpSendWindowPosChanged};
    case 1: return {hpPreDestroy};
    default: return {hpGetMessageMouseMove};
    }
}

// Calls every record registered for Code, in list order; one that raises is passed over.
void CallRecords(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam) {
    if (!gRecords) return;
    // A callback may register or unregister: walk a copy.
    std::vector<TCallbackRecord> records = *gRecords;
    for (const TCallbackRecord& r : records) {
        if (!r.Codes.Contains(Code)) continue;
        try {
            r.Callback(Code, Wnd, WParam, LParam);
        } catch (...) {
        }
    }
}

LRESULT CallWndProcHook(Integer Code, WPARAM WParam, LPARAM LParam) {
    if (Code == HC_ACTION) {
        auto* cwp = reinterpret_cast<TCWPStruct*>(LParam);
        if (cwp->message == WM_ACTIVATEAPP)
            CallRecords(hpSendActivateApp, cwp->hwnd, cwp->wParam, cwp->lParam);
        else if (cwp->message == WM_WINDOWPOSCHANGED)
            CallRecords(hpSendWindowPosChanged, cwp->hwnd, cwp->wParam, cwp->lParam);
    }
    return CallNextHookEx(gHooks[0].Handle, Code, WParam, LParam);
}

LRESULT CBTHook(Integer Code, WPARAM WParam, LPARAM LParam) {
    if (Code == HCBT_DESTROYWND) CallRecords(hpPreDestroy, reinterpret_cast<HWND>(WParam), 0, 0);
    return CallNextHookEx(gHooks[1].Handle, Code, WParam, LParam);
}

LRESULT GetMessageHook(Integer Code, WPARAM WParam, LPARAM LParam) {
    if (Code == HC_ACTION) {
        auto* m = reinterpret_cast<TMsg*>(LParam);
        if (m->message == WM_MOUSEMOVE) CallRecords(hpGetMessageMouseMove, m->hwnd, m->wParam, m->lParam);
    }
    return CallNextHookEx(gHooks[2].Handle, Code, WParam, LParam);
}

constexpr THookProc kHookProc[kHookTypes] = {CallWndProcHook, CBTHook, GetMessageHook};

// At program end every hook still set goes, whatever its counter says, and the list with it.
struct TProgramEnd {
    ~TProgramEnd() {
        for (THookType& h : gHooks) {
            if (h.Handle) UnhookWindowsHookEx(h.Handle);
            h = {};
        }
        gRecords.reset();
    }
};

// Made after the first hook is set, so it is undone before the framework's hook chains are.
void RemoveHooksAtProgramEnd() { static TProgramEnd atEnd; }

void InstallHooks(THookProcCodes Codes) {
    for (Integer t = 0; t < kHookTypes; ++t) {
        if ((Codes * CodesOfType(t)).Empty()) continue;
        ++gHooks[t].Count;
        if (gHooks[t].Handle) continue;
        gHooks[t].Handle = SetWindowsHookEx(kSystemHook[t], kHookProc[t], nullptr, 0);
        RemoveHooksAtProgramEnd();
    }
}

void UninstallHooks(THookProcCodes Codes) {
    for (Integer t = 0; t < kHookTypes; ++t) {
        if ((Codes * CodesOfType(t)).Empty() || gHooks[t].Count <= 0) continue;
        if (--gHooks[t].Count == 0 && gHooks[t].Handle) {
            UnhookWindowsHookEx(gHooks[t].Handle);
            gHooks[t].Handle = nullptr;
        }
    }
}

std::vector<TCallbackRecord>::iterator FindRecord(THookCallback Callback) {
    return std::find_if(gRecords->begin(), gRecords->end(),
                        [&](const TCallbackRecord& r) { return r.Callback == Callback; });
}

}  // namespace

void RegisterHookCallback(THookCallback Callback, THookProcCodes Codes, bool DesignTime) {
    if (!gRecords) gRecords = std::make_unique<std::vector<TCallbackRecord>>();
    auto it = FindRecord(Callback);
    if (it != gRecords->end())
        ++it->RefCount;
    else
        gRecords->push_back({Callback, 1, Codes});
    if (!DesignTime) InstallHooks(Codes);
}

void UnregisterHookCallback(THookCallback Callback) {
    if (!gRecords) return;
    auto it = FindRecord(Callback);
    if (it == gRecords->end()) return;
    THookProcCodes codes = it->Codes;
    if (--it->RefCount == 0) gRecords->erase(it);
    if (gRecords->empty()) gRecords.reset();
    UninstallHooks(codes);
}

Integer HookInstallCount(Integer HookType) {
    return HookType >= 0 && HookType < kHookTypes ? gHooks[HookType].Count : 0;
}

bool HookInstalled(Integer HookType) { return HookType >= 0 && HookType < kHookTypes && gHooks[HookType].Handle; }
