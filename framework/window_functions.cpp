#include "framework/controls.h"

#include <algorithm>

#include "framework/controls_internal.h"
#include "framework/forms.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"
#include "framework/window_hooks.h"

using namespace lumora_controls;

// ---- Focus and capture -----------------------------------------------------------------------

HWND GetFocus() { return gFocus; }

HWND SetFocusWindow(HWND Wnd) {
    if (Wnd && !IsLive(Wnd)) return gFocus;
    HWND old = gFocus;
    if (Wnd == old) return old;
    if (Wnd) {
        Wnd->HandleNeeded();
        TWinControl* top = lumora_detail::TopLevelOf(Wnd);
        // A window is focused inside the active top-level window: activate it first.
        if (top && top != lumora_detail::ActiveTopLevel() && !lumora_detail::NeverActivates(top)) {
            lumora_detail::ActivateTopLevel(top);
            if (gFocus == Wnd) return old;
        }
    }
    gFocus = Wnd;
    if (old && IsLive(old)) old->Perform(WM_KILLFOCUS, reinterpret_cast<WPARAM>(Wnd));
    if (gFocus != Wnd) return old;
    if (Wnd) {
        TWindowBackend::FocusWindow(Wnd);
        Wnd->Perform(WM_SETFOCUS, reinterpret_cast<WPARAM>(old));
    }
    return old;
}

HWND GetCapture() { return gCapture; }

HWND SetCapture(HWND Wnd) {
    if (Wnd && !IsLive(Wnd)) Wnd = nullptr;
    HWND old = gCapture;
    if (old == Wnd) return old;
    gCapture = Wnd;
    if (gCaptureControl && gCaptureControl != Wnd && (!Wnd || gCaptureControl->GetParent() != Wnd))
        gCaptureControl = nullptr;
    if (Wnd && !gCaptureControl) gCaptureControl = Wnd;
    TWindowBackend::CaptureMouse(Wnd);
    if (old && IsLive(old)) old->Perform(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(Wnd));
    return old;
}

bool ReleaseCapture() {
    gCaptureControl = nullptr;
    SetCapture(nullptr);
    return true;
}

TControl* GetCaptureControl() {
    if (!gCapture) return nullptr;
    if (gCaptureControl && (gCaptureControl == gCapture || gCaptureControl->GetParent() == gCapture))
        return gCaptureControl;
    return gCapture;
}

void SetCaptureControl(TControl* Control) {
    if (!Control) {
        ReleaseCapture();
        return;
    }
    HWND wnd = dynamic_cast<TWinControl*>(Control);
    if (!wnd) wnd = Control->GetParent();
    if (!wnd) {
        ReleaseCapture();
        return;
    }
    if (gCapture == wnd) {
        gCaptureControl = Control;
        return;
    }
    gCaptureControl = Control;
    SetCapture(wnd);
    gCaptureControl = Control;
}

TWinControl* FindControl(HWND Handle) { return IsLive(Handle) ? Handle : nullptr; }

TCustomForm* GetParentForm(TControl* Control) {
    if (!Control) return nullptr;
    while (Control->GetParent()) Control = Control->GetParent();
    return dynamic_cast<TCustomForm*>(Control);
}

TCustomForm* ValidParentForm(TControl* Control) {
    TCustomForm* f = GetParentForm(Control);
    if (!f)
        throw EInvalidOperation("Control '" + (Control ? Control->GetName() : std::string()) + "' has no parent form");
    return f;
}

TWinControl* FindVCLWindow(TPoint Pos) { return lumora_detail::WindowAtScreenPoint(Pos); }

TControl* FindDragTarget(TPoint Pos, bool AllowDisabled) {
    TWinControl* w = lumora_detail::WindowAtScreenPoint(Pos);
    if (!w) return nullptr;
    TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled);
    return c ? c : w;
}

// ---- Windows ---------------------------------------------------------------------------------

void lumora_detail::TopLevelPosChanged(TWinControl* Wnd, UINT Flags) {
    if (!IsLive(Wnd) || Wnd->GetParent()) return;
    TWindowPos pos{Wnd, nullptr, Wnd->GetLeft(), Wnd->GetTop(), Wnd->GetWidth(), Wnd->GetHeight(),
                   Flags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE};
    SendMessage(Wnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
}

TMinMaxInfo lumora_detail::WindowSizeLimits(TWinControl* Wnd) {
    TRect screens = lumora_backend::PrimaryScreenRect();
    for (Integer i = 0; i < lumora_backend::MonitorCount(); ++i) {
        TRect m = lumora_backend::MonitorRect(i);
        UnionRect(&screens, &screens, &m);
    }
    TRect f = TWindowBackend::SystemFrame(Wnd);
    TMinMaxInfo info;
    info.ptMaxSize = {screens.Width() + f.Left + f.Right, screens.Height() + f.Left + f.Right};
    info.ptMaxPosition = {-f.Left, -f.Left};
    info.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    info.ptMaxTrackSize = info.ptMaxSize;
    if (IsLive(Wnd)) Wnd->Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

bool IsWindow(HWND Wnd) { return IsLive(Wnd) && Wnd->HandleAllocated(); }

bool IsWindowVisible(HWND Wnd) { return IsWindow(Wnd) && TWindowBackend::IsWindowVisible(Wnd); }

bool IsWindowEnabled(HWND Wnd) { return IsLive(Wnd) && Wnd->GetEnabled(); }

bool EnableWindow(HWND Wnd, bool Enable) {
    if (!IsLive(Wnd)) return false;
    bool wasDisabled = !Wnd->GetEnabled();
    Wnd->SetEnabled(Enable);
    return wasDisabled;
}

bool ShowWindow(HWND Wnd, Integer CmdShow) {
    if (!IsLive(Wnd)) return false;
    // The window itself, apart from the Visible property (as on Windows).
    Wnd->HandleNeeded();
    bool wasVisible = TWindowBackend::IsWindowVisible(Wnd);
    switch (CmdShow) {
    case SW_HIDE:
        if (wasVisible) {
            Wnd->Perform(WM_SHOWWINDOW, 0);
            TWindowBackend::ShowWindow(Wnd, false, false);
            lumora_detail::TopLevelPosChanged(Wnd, SWP_HIDEWINDOW);
            if (gFocus && IsDescendantOrSelf(gFocus, Wnd)) SetFocusWindow(nullptr);
            if (Wnd == lumora_detail::ActiveTopLevel()) lumora_detail::ActivateNextAfter(Wnd);
        }
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        TWindowBackend::SetWindowState(Wnd, 1);
        lumora_detail::TopLevelPosChanged(Wnd, SWP_FRAMECHANGED);
        break;
    case SW_SHOWMAXIMIZED:
        TWindowBackend::SetWindowState(Wnd, 2);
        lumora_detail::TopLevelPosChanged(Wnd, SWP_FRAMECHANGED);
        break;
    default: {
        bool activate = CmdShow == SW_SHOW || CmdShow == SW_SHOWNORMAL || CmdShow == SW_RESTORE;
        if (!wasVisible) {
            Wnd->Perform(WM_SHOWWINDOW, 1);
            TWindowBackend::ShowWindow(Wnd, true, false);
            lumora_detail::TopLevelPosChanged(Wnd, SWP_SHOWWINDOW);
        }
        if (CmdShow == SW_RESTORE || CmdShow == SW_SHOWNORMAL) {
            TWindowBackend::SetWindowState(Wnd, 0);
            lumora_detail::TopLevelPosChanged(Wnd, SWP_FRAMECHANGED);
        }
        if (activate && Wnd->IsTopLevelCached() && !lumora_detail::NeverActivates(Wnd))
            lumora_detail::ActivateTopLevel(Wnd);
        break;
    }
    }
    return wasVisible;
}

bool SetWindowPos(HWND Wnd, HWND InsertAfter, Integer X, Integer Y, Integer CX, Integer CY, UINT Flags) {
    if (!IsLive(Wnd)) return false;
    if (Flags & SWP_FRAMECHANGED) {
        TRect before = Wnd->GetClientRect();
        Wnd->FrameChanged();
        TRect after = Wnd->GetClientRect();
        if (!(before == after)) Wnd->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(Word(after.Right), Word(after.Bottom)));
        lumora_detail::TopLevelPosChanged(Wnd, SWP_FRAMECHANGED);
    }
    if (!(Flags & (SWP_NOMOVE | SWP_NOSIZE)))
        Wnd->SetBounds(X, Y, CX, CY);
    else if (!(Flags & SWP_NOMOVE))
        Wnd->SetBounds(X, Y, Wnd->GetWidth(), Wnd->GetHeight());
    else if (!(Flags & SWP_NOSIZE))
        Wnd->SetBounds(Wnd->GetLeft(), Wnd->GetTop(), CX, CY);
    if (!(Flags & SWP_NOZORDER)) {
        if (InsertAfter == HWND_TOPMOST || InsertAfter == HWND_NOTOPMOST) {
            Wnd->HandleNeeded();
            // The extended style says whether the window stays on top.
            if (InsertAfter == HWND_TOPMOST)
                Wnd->FExStyle |= WS_EX_TOPMOST;
            else
                Wnd->FExStyle &= ~DWORD(WS_EX_TOPMOST);
            TWindowBackend::SetTopMost(Wnd, InsertAfter == HWND_TOPMOST);
        } else if (InsertAfter == HWND_TOP) {
            Wnd->SetZOrder(true);
        } else if (InsertAfter == HWND_BOTTOM) {
            Wnd->SetZOrder(false);
        }
    }
    if (Flags & SWP_HIDEWINDOW) ShowWindow(Wnd, SW_HIDE);
    if (Flags & SWP_SHOWWINDOW) ShowWindow(Wnd, (Flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    return true;
}

bool DestroyWindow(HWND Wnd) {
    if (!IsWindow(Wnd)) return false;
    Wnd->DestroyHandle();
    return true;
}

bool GetWindowRect(HWND Wnd, TRect& R) {
    if (!IsLive(Wnd)) return false;
    TPoint o{Wnd->GetLeft(), Wnd->GetTop()};
    if (Wnd->GetParent() && !Wnd->IsTopLevelCached()) {
        TPoint p = Wnd->GetParent()->GetClientOrigin();
        o = {o.X + p.X, o.Y + p.Y};
    }
    R = {o.X, o.Y, o.X + Wnd->GetWidth(), o.Y + Wnd->GetHeight()};
    return true;
}

bool GetClientRect(HWND Wnd, TRect& R) {
    if (!IsLive(Wnd)) return false;
    R = Wnd->GetClientRect();
    return true;
}

bool ClientToScreen(HWND Wnd, TPoint& P) {
    if (!IsLive(Wnd)) return false;
    P = Wnd->ClientToScreen(P);
    return true;
}

bool ScreenToClient(HWND Wnd, TPoint& P) {
    if (!IsLive(Wnd)) return false;
    P = Wnd->ScreenToClient(P);
    return true;
}

bool InvalidateRect(HWND Wnd, const TRect* R, bool Erase) {
    if (!IsLive(Wnd)) return false;
    Wnd->InvalidateRect(R, Erase);
    return true;
}

bool ValidateRect(HWND Wnd, const TRect* R) {
    if (!IsLive(Wnd)) return false;
    Wnd->ValidateRect(R);
    return true;
}

bool UpdateWindow(HWND Wnd) {
    if (!IsLive(Wnd)) return false;
    Wnd->Update();
    return true;
}

bool SetForegroundWindow(HWND Wnd) {
    if (!IsLive(Wnd)) return false;
    TWinControl* top = lumora_detail::TopLevelOf(Wnd);
    lumora_detail::ActivateTopLevel(top);
    TWindowBackend::ActivateWindow(top);
    return true;
}

HWND GetWindowOwner(HWND Wnd) { return IsLive(Wnd) ? TWindowBackend::Owner(Wnd) : nullptr; }

void SetWindowOwner(HWND Wnd, HWND Owner) {
    if (!IsLive(Wnd) || (Owner && !IsLive(Owner)) || Owner == Wnd) return;
    if (Owner) Owner->HandleNeeded();
    TWindowBackend::SetOwner(Wnd, Owner);
}

HWND GetActiveWindow() { return lumora_detail::ActiveTopLevel(); }
HWND GetForegroundWindow() { return lumora_detail::ActiveTopLevel(); }

LongInt GetWindowLong(HWND Wnd, Integer Index) {
    if (!IsLive(Wnd)) return 0;
    DWORD style, ex;
    Wnd->StyleOf(style, ex);
    if (Index == GWL_STYLE) {
        if (Wnd->FScrollBars[0].Shown) style |= WS_HSCROLL; else style &= ~WS_HSCROLL;
        if (Wnd->FScrollBars[1].Shown) style |= WS_VSCROLL; else style &= ~WS_VSCROLL;
        if (Wnd->IsShowing()) style |= WS_VISIBLE;
        return LongInt(style);
    }
    if (Index == GWL_EXSTYLE) return LongInt(ex);
    return 0;
}

LongInt SetWindowLong(HWND Wnd, Integer Index, LongInt Value) {
    if (!IsLive(Wnd)) return 0;
    LongInt old = GetWindowLong(Wnd, Index);
    Wnd->HandleNeeded();
    if (Index == GWL_STYLE) {
        Wnd->FStyle = DWORD(Value) & ~(WS_HSCROLL | WS_VSCROLL | WS_VISIBLE);
        Wnd->FScrollBars[0].Shown = (DWORD(Value) & WS_HSCROLL) != 0;
        Wnd->FScrollBars[1].Shown = (DWORD(Value) & WS_VSCROLL) != 0;
    } else if (Index == GWL_EXSTYLE) {
        Wnd->FExStyle = DWORD(Value);
    }
    return old;
}

// ---- Window scroll bars ----------------------------------------------------------------------

namespace {

void ClampScrollBar(TWindowScrollBar& sb) {
    int64_t range = int64_t(sb.Max) - sb.Min + 1;
    if (range < 0) range = 0;
    if (int64_t(sb.Page) > range) sb.Page = UINT(range);
    int64_t maxPos = int64_t(sb.Max) - std::max<int64_t>(int64_t(sb.Page) - 1, 0);
    if (maxPos < sb.Min) maxPos = sb.Min;
    if (sb.Pos < sb.Min) sb.Pos = sb.Min;
    if (sb.Pos > maxPos) sb.Pos = Integer(maxPos);
}

bool ScrollNeeded(const TWindowScrollBar& sb) {
    return sb.Max > sb.Min && int64_t(sb.Page) <= int64_t(sb.Max) - sb.Min;
}

}  // namespace

void TWinControl::ScrollBarsChanged(bool FrameChange) {
    if (FrameChange) {
        TRect before = ClientRectOf();
        FNCValid = false;
        TRect after = ClientRectOf();
        if (FHandle) {
            TWindowBackend::SyncGeometry(this);
            InvalidateFrame();
        }
        if (!(before == after)) {
            Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(Word(after.Right), Word(after.Bottom)));
            Invalidate();
        }
    }
    if (FHandle) TWindowBackend::SyncScrollBars(this);
}

Integer SetScrollInfo(HWND Wnd, Integer Bar, const TScrollInfo& Info, bool Redraw) {
    if (!IsLive(Wnd) || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
    TWindowScrollBar& sb = Wnd->FScrollBars[Bar == SB_VERT ? 1 : 0];
    if (Info.fMask & SIF_RANGE) {
        sb.Min = Info.nMin;
        sb.Max = Info.nMax;
    }
    if (Info.fMask & SIF_PAGE) sb.Page = Info.nPage;
    if (Info.fMask & SIF_POS) sb.Pos = Info.nPos;
    ClampScrollBar(sb);
    bool wasShown = sb.Shown;
    if (Info.fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) {
        bool needed = ScrollNeeded(sb);
        if (Info.fMask & SIF_DISABLENOSCROLL) {
            if (needed || sb.Shown) sb.Shown = true;
            sb.Disabled = !needed;
        } else {
            sb.Shown = needed;
            sb.Disabled = false;
        }
    }
    Wnd->ScrollBarsChanged(wasShown != sb.Shown);
    return sb.Pos;
}

bool GetScrollInfo(HWND Wnd, Integer Bar, TScrollInfo& Info) {
    if (!IsLive(Wnd) || (Bar != SB_HORZ && Bar != SB_VERT)) return false;
    const TWindowScrollBar& sb = Wnd->FScrollBars[Bar == SB_VERT ? 1 : 0];
    if (Info.fMask & SIF_RANGE) {
        Info.nMin = sb.Min;
        Info.nMax = sb.Max;
    }
    if (Info.fMask & SIF_PAGE) Info.nPage = sb.Page;
    if (Info.fMask & SIF_POS) Info.nPos = sb.Pos;
    if (Info.fMask & SIF_TRACKPOS) Info.nTrackPos = sb.Tracking ? sb.TrackPos : sb.Pos;
    return true;
}

Integer SetScrollPos(HWND Wnd, Integer Bar, Integer Pos, bool Redraw) {
    if (!IsLive(Wnd) || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
    Integer old = Wnd->FScrollBars[Bar == SB_VERT ? 1 : 0].Pos;
    TScrollInfo si;
    si.fMask = SIF_POS;
    si.nPos = Pos;
    SetScrollInfo(Wnd, Bar, si, Redraw);
    return old;
}

Integer GetScrollPos(HWND Wnd, Integer Bar) {
    TScrollInfo si;
    si.fMask = SIF_POS;
    return GetScrollInfo(Wnd, Bar, si) ? si.nPos : 0;
}

bool SetScrollRange(HWND Wnd, Integer Bar, Integer Min, Integer Max, bool Redraw) {
    TScrollInfo si;
    si.fMask = SIF_RANGE;
    si.nMin = Min;
    si.nMax = Max;
    if (!IsLive(Wnd)) return false;
    SetScrollInfo(Wnd, Bar, si, Redraw);
    return true;
}

bool GetScrollRange(HWND Wnd, Integer Bar, Integer& Min, Integer& Max) {
    TScrollInfo si;
    si.fMask = SIF_RANGE;
    if (!GetScrollInfo(Wnd, Bar, si)) return false;
    Min = si.nMin;
    Max = si.nMax;
    return true;
}

bool ShowScrollBar(HWND Wnd, Integer Bar, bool Show) {
    if (!IsLive(Wnd)) return false;
    bool changed = false;
    auto set = [&](int i) {
        if (Wnd->FScrollBars[i].Shown != Show) {
            Wnd->FScrollBars[i].Shown = Show;
            changed = true;
        }
    };
    if (Bar == SB_HORZ || Bar == SB_BOTH) set(0);
    if (Bar == SB_VERT || Bar == SB_BOTH) set(1);
    Wnd->ScrollBarsChanged(changed);
    return true;
}

bool EnableScrollBar(HWND Wnd, UINT SBFlags, UINT Arrows) {
    if (!IsLive(Wnd)) return false;
    bool disable = Arrows == ESB_DISABLE_BOTH;
    if (SBFlags == UINT(SB_HORZ) || SBFlags == UINT(SB_BOTH)) Wnd->FScrollBars[0].Disabled = disable;
    if (SBFlags == UINT(SB_VERT) || SBFlags == UINT(SB_BOTH)) Wnd->FScrollBars[1].Disabled = disable;
    Wnd->ScrollBarsChanged(false);
    return true;
}

Integer ScrollWindowEx(HWND Wnd, Integer DX, Integer DY, const TRect* Scroll, const TRect* Clip, TRect* Update,
                       UINT Flags) {
    if (!IsLive(Wnd)) return 0;
    TRect client = Wnd->GetClientRect();
    TRect scroll = Scroll ? IntersectionOf(*Scroll, client) : client;
    TRect clip = Clip ? IntersectionOf(*Clip, client) : client;
    TRect area = IntersectionOf(scroll, clip);
    if (Wnd->FrameworkPainted()) lumora_backend::SurfaceScroll(Wnd->Surface(), DX, DY, scroll, clip);
    if (Wnd->HandleAllocated()) TWindowBackend::ScrollWindow(Wnd, DX, DY, scroll, clip);
    // What the moved pixels no longer cover must be painted again.
    TRect moved = IntersectionOf({scroll.Left + DX, scroll.Top + DY, scroll.Right + DX, scroll.Bottom + DY}, area);
    TRect strips[2];
    int n = 0;
    if (IsRectEmpty(&moved)) {
        strips[n++] = area;
    } else {
        if (DX > 0) strips[n++] = {area.Left, area.Top, moved.Left, area.Bottom};
        if (DX < 0) strips[n++] = {moved.Right, area.Top, area.Right, area.Bottom};
        if (DY > 0) strips[n++] = {area.Left, area.Top, area.Right, moved.Top};
        if (DY < 0) strips[n++] = {area.Left, moved.Bottom, area.Right, area.Bottom};
    }
    TRect upd;
    for (int i = 0; i < n; ++i)
        if (!IsRectEmpty(&strips[i])) {
            upd = UnionOf(upd, strips[i]);
            if (Flags & SW_INVALIDATE) Wnd->InvalidateRect(&strips[i], (Flags & SW_ERASE) != 0);
        }
    if (Flags & SW_SCROLLCHILDREN) {
        for (int i = 0; i < Wnd->GetControlCount(); ++i) {
            TControl* c = Wnd->GetControl(i);
            TRect b = c->GetBoundsRect();
            if (TRect hit; IntersectRect(&hit, &b, &scroll))
                c->SetBounds(b.Left + DX, b.Top + DY, b.Width(), b.Height());
        }
    }
    if (Update) *Update = upd;
    if (IsRectEmpty(&upd)) return NULLREGION;
    return n > 1 ? COMPLEXREGION : SIMPLEREGION;
}

bool ScrollWindow(HWND Wnd, Integer DX, Integer DY, const TRect* Scroll, const TRect* Clip) {
    return ScrollWindowEx(Wnd, DX, DY, Scroll, Clip, nullptr,
                          SW_INVALIDATE | SW_ERASE | (Scroll ? 0 : SW_SCROLLCHILDREN)) != 0;
}

TCursor SetCursorShape(TCursor Cursor) { return lumora_detail::SetCurrentCursor(Cursor); }
