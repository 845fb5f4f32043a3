#pragma once
// Hook registrations shared by the toolbar components: each component registers a callback for
// the notification kinds it needs, and each thread-wide window hook is installed only while some
// registration needs it. User-interface thread only.

#include "framework/messages.h"
#include "framework/types.h"

// 0: WM_ACTIVATEAPP sent, 1: WM_WINDOWPOSCHANGED sent, 2: a window is about to be destroyed,
// 3: WM_MOUSEMOVE taken from the queue.
enum THookProcCode { hpSendActivateApp, hpSendWindowPosChanged, hpPreDestroy, hpGetMessageMouseMove };
using THookProcCodes = TSet<THookProcCode>;
using THookCallback = void (*)(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam);

// A callback already registered counts one more registration (its kinds stay as first given).
// Unless DesignTime, every hook type serving one of Codes gets one more install.
void RegisterHookCallback(THookCallback Callback, THookProcCodes Codes, bool DesignTime = false);
// Undoes one registration; a callback that is not registered is ignored.
void UnregisterHookCallback(THookCallback Callback);

// Hook types: 0 sent messages (kinds 0, 1), 1 window destruction (kind 2), 2 taken messages (kind 3).
Integer HookInstallCount(Integer HookType);
bool HookInstalled(Integer HookType);
