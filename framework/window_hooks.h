#pragma once
// Thread-wide window hooks of the user-interface thread: procedures that see the messages sent to
// any window (WH_CALLWNDPROC), windows about to be destroyed (WH_CBT with HCBT_DESTROYWND) and the
// input and posted messages the loop takes (WH_GETMESSAGE). The newest hook is called first; each
// passes the call on with CallNextHookEx.

#include "framework/messages.h"

class TWinControl;

constexpr Integer WH_GETMESSAGE = 3;
constexpr Integer WH_CALLWNDPROC = 4;
constexpr Integer WH_CBT = 5;

constexpr Integer HC_ACTION = 0;
constexpr Integer HCBT_DESTROYWND = 4;
// WH_GETMESSAGE: whether the message is being taken off the queue.
constexpr WPARAM PM_NOREMOVE = 0;
constexpr WPARAM PM_REMOVE = 1;

// WH_CALLWNDPROC: LParam points at the message being sent.
struct TCWPStruct {
    LPARAM lParam = 0;
    WPARAM wParam = 0;
    UINT message = 0;
    HWND hwnd = nullptr;
};

// WM_WINDOWPOSCHANGED of a top-level window carries one in LParam.
struct TWindowPos {
    HWND hwnd = nullptr;
    HWND hwndInsertAfter = nullptr;
    Integer x = 0, y = 0, cx = 0, cy = 0;
    UINT flags = 0;
};

// WM_GETMINMAXINFO: LParam points at the limits of a top-level window, filled with the defaults;
// the window may change them. Sizes are whole-window sizes.
struct TMinMaxInfo {
    TPoint ptReserved;
    TPoint ptMaxSize;
    TPoint ptMaxPosition;
    TPoint ptMinTrackSize;
    TPoint ptMaxTrackSize;
};

struct THookRecord;
using HHOOK = THookRecord*;
// WH_CALLWNDPROC: WParam non-zero when the current thread sent it, LParam a TCWPStruct*.
// WH_CBT, HCBT_DESTROYWND: WParam the window (HWND), LParam 0.
// WH_GETMESSAGE: WParam PM_REMOVE or PM_NOREMOVE, LParam a TMsg* (changes reach the message).
using THookProc = LRESULT (*)(Integer Code, WPARAM WParam, LPARAM LParam);

// Only hooks of the current (user-interface) thread exist: Module and ThreadId are not used.
// nullptr for an unknown hook type or a missing procedure.
HHOOK SetWindowsHookEx(Integer IdHook, THookProc Proc, void* Module, DWORD ThreadId);
bool UnhookWindowsHookEx(HHOOK Hook);
// Calls the hook installed before Hook (0 when there is none or Hook is gone).
LRESULT CallNextHookEx(HHOOK Hook, Integer Code, WPARAM WParam, LPARAM LParam);

// The framework's paths call these; each is one check while no hook of its type is set.
namespace lumora_detail {

bool AnyWindowHook(Integer IdHook);
void RunCallWndProcHooks(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
void RunDestroyWindowHooks(HWND Wnd);
void RunGetMessageHooks(TMsg& Msg);

// The size limits of a top-level window: the defaults (the system's smallest tracking size, the
// screens' extent plus the window's frame), then as its WM_GETMINMAXINFO answer changes them.
TMinMaxInfo WindowSizeLimits(TWinControl* Wnd);

}  // namespace lumora_detail
