#pragma once
// Timers: the TTimer component and the per-window timers that deliver WM_TIMER.

#include <functional>

#include "framework/controls.h"

// Fires OnTimer every Interval milliseconds while Enabled. An interval of 0 never fires.
class TTimer : public TComponent {
    LUMORA_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    Cardinal GetInterval() const { return FInterval; }
    void SetInterval(Cardinal Value);
    void Loaded() override;

    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    void UpdateTimer();
    bool FEnabled = true;
    Cardinal FInterval = 1000;
    Integer FId = 0;
};

using UINT_PTR = uintptr_t;
// Called for timers made without a window.
using TIMERPROC = std::function<void(HWND Wnd, UINT Msg, UINT_PTR Id, DWORD Time)>;

// Starts (or restarts) timer Id of Wnd: WM_TIMER with WParam = Id every Elapse milliseconds.
// Without a window a new id is returned and Proc is called instead. Returns 0 on failure.
UINT_PTR SetTimer(HWND Wnd, UINT_PTR Id, UINT Elapse, TIMERPROC Proc = nullptr);
bool KillTimer(HWND Wnd, UINT_PTR Id);
