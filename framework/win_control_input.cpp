#include "framework/controls.h"

#include <algorithm>

#include "framework/controls_internal.h"
#include "framework/drag.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/system_metrics.h"
#include "framework/window_backend.h"

using namespace lumora_controls;

// ---- TWinControl: keys -----------------------------------------------------------------------

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(Char& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

bool TWinControl::DoKey(TMessage& Message, bool (TWinControl::*Preview)(TMessage&),
                        void (TWinControl::*Handler)(Word&, TShiftState)) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->GetKeyPreview() &&
        ((static_cast<TWinControl*>(form)->*Preview)(Message) || !IsLive(this)))
        return true;
    if (!FControlStyle.Contains(csNoStdEvents)) {
        Word key = Word(Message.WParam);
        (this->*Handler)(key, KeyDataToShiftState(Message.LParam));
        Message.WParam = key;
        if (key == 0 || !IsLive(this)) return true;
    }
    return false;
}

bool TWinControl::DoKeyDown(TMessage& Message) {
    return DoKey(Message, &TWinControl::DoKeyDown, &TWinControl::KeyDown);
}

bool TWinControl::DoKeyUp(TMessage& Message) { return DoKey(Message, &TWinControl::DoKeyUp, &TWinControl::KeyUp); }

bool TWinControl::DoKeyPress(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->GetKeyPreview() &&
        (static_cast<TWinControl*>(form)->DoKeyPress(Message) || !IsLive(this)))
        return true;
    if (!FControlStyle.Contains(csNoStdEvents)) {
        Char ch = Char(Message.WParam);
        KeyPress(ch);
        Message.WParam = WPARAM(ch);
        if (ch == 0 || !IsLive(this)) return true;
    }
    return false;
}

void TWinControl::WMKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
    if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysChar(TMessage& Message) { DefaultHandler(Message); }

bool TWinControl::IsMenuKey(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    TMessage m{WM_KEYDOWN, Message.WParam, Message.LParam, 0};
    if (form && form->IsShortCut(m)) return true;
    if (!form) {
        // A window without a form (a popup) still gives the application its shortcuts.
        bool handled = false;
        if (Application->OnShortCut) Application->OnShortCut(m, handled);
        return handled;
    }
    return false;
}

void TWinControl::CNKeyDown(TMessage& Message) {
    Message.Result = 1;
    if (IsMenuKey(Message) || !IsLive(this)) return;
    if (Perform(CM_CHILDKEY, Message.WParam, reinterpret_cast<LPARAM>(this)) != 0 || !IsLive(this)) return;
    LRESULT mask = 0;
    switch (Word(Message.WParam)) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.WParam) == 0 &&
        (Perform(WM_GETDLGCODE) & (mask | DLGC_WANTALLKEYS)) == 0) {
        TCustomForm* form = GetParentForm(this);
        TWinControl* target = form ? static_cast<TWinControl*>(form) : this;
        if (target->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
    }
    Message.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& Message) { Message.Result = 0; }

void TWinControl::CNChar(TMessage& Message) {
    Message.Result = 0;
    if (Message.Msg == CN_SYSCHAR) {
        // Alt with a letter: the form's accelerators.
        TCustomForm* form = GetParentForm(this);
        TWinControl* target = form ? static_cast<TWinControl*>(form) : this;
        if (target->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) Message.Result = 1;
    }
}

void TWinControl::CMChildKey(TMessage& Message) {
    // Parents may take a key their child got first (the framework asks up the chain).
    if (FParent) Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

void TWinControl::CMWantSpecialKey(TMessage& Message) { Message.Result = 0; }

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }

void TWinControl::WMGetDlgCode(TMessage& Message) { DefaultHandler(Message); }

// ---- TWinControl: message dispatch -----------------------------------------------------------

void TWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SETFOCUS: {
        TCustomForm* form = GetParentForm(this);
        if (form && !form->SetFocusedControl(this)) return;
        break;
    }
    case WM_KILLFOCUS:
        if (FControlState.Contains(csFocusing)) return;
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        if (IsControlMouseMsg(Message)) return;
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        if (TDragManager::Active()) return;
        break;
    case WM_CANCELMODE:
        if (gCapture == this && gCaptureControl && gCaptureControl != this && gCaptureControl->GetParent() == this)
            gCaptureControl->Perform(WM_CANCELMODE);
        break;
    default:
        break;
    }
    TControl::WndProc(Message);
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
    TControl* c = nullptr;
    if (gCapture == this) {
        if (gCaptureControl && gCaptureControl != this && gCaptureControl->GetParent() == this) c = gCaptureControl;
    } else {
        c = ControlAtPos(MessagePoint(Message), false);
    }
    if (!c) return false;
    TPoint p = MessagePoint(Message);
    p.X -= c->FLeft;
    p.Y -= c->FTop;
    Message.Result = c->Perform(Message.Msg, Message.WParam, PointToLParam(p));
    return true;
}

void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_NCPAINT: WMNCPaint(Message); break;
    case WM_NCCALCSIZE: WMNCCalcSize(Message); break;
    case WM_NCHITTEST: WMNCHitTest(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case WM_MOVE: WMMove(Message); break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_KEYDOWN: WMKeyDown(Message); break;
    case WM_KEYUP: WMKeyUp(Message); break;
    case WM_CHAR: WMChar(Message); break;
    case WM_SYSKEYDOWN: WMSysKeyDown(Message); break;
    case WM_SYSKEYUP: WMSysKeyUp(Message); break;
    case WM_SYSCHAR: WMSysChar(Message); break;
    case WM_SETCURSOR: WMSetCursor(Message); break;
    case WM_HSCROLL: WMHScroll(Message); break;
    case WM_VSCROLL: WMVScroll(Message); break;
    case WM_TIMER: WMTimer(Message); break;
    case WM_GETDLGCODE: WMGetDlgCode(Message); break;
    case WM_CAPTURECHANGED: WMCaptureChanged(Message); break;
    case WM_MOUSEACTIVATE: WMMouseActivate(Message); break;
    case WM_DESTROY: WMDestroy(Message); break;
    case WM_NCDESTROY: WMNCDestroy(Message); break;
    case WM_CLOSE: WMClose(Message); break;
    case WM_ACTIVATE: WMActivate(Message); break;
    case WM_CUT: WMCut(Message); break;
    case WM_COPY: WMCopy(Message); break;
    case WM_PASTE: WMPaste(Message); break;
    case WM_CLEAR: WMClear(Message); break;
    case CN_KEYDOWN: CNKeyDown(Message); break;
    case CN_SYSKEYDOWN: CNKeyDown(Message); break;
    case CN_KEYUP: CNKeyUp(Message); break;
    case CN_CHAR: CNChar(Message); break;
    case CN_SYSCHAR: CNChar(Message); break;
    case CM_ENTER: CMEnter(Message); break;
    case CM_EXIT: CMExit(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_WANTSPECIALKEY: CMWantSpecialKey(Message); break;
    case CM_CHILDKEY: CMChildKey(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(Message); break;
    case CM_RECREATEWND: CMRecreateWnd(Message); break;
    default: TControl::Dispatch(Message); break;
    }
}

void TWinControl::WMNCHitTest(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMHScroll(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMVScroll(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMTimer(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMCaptureChanged(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMMouseActivate(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMDestroy(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMNCDestroy(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMClose(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMActivate(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMCut(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMCopy(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMPaste(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMClear(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMSetCursor(TMessage& Message) {
    if (Screen->GetCursor() == 0 && reinterpret_cast<HWND>(Message.WParam) == this &&
        int16_t(LOWORD(Message.LParam)) == HTCLIENT) {
        TPoint p = ScreenToClient(GetMessagePos());
        TControl* c = ControlAtPos(p, false);
        TCursor cursor = c ? c->GetCursor() : GetCursor();
        if (cursor != 0) {
            SetCursorShape(cursor);
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}

// The default window procedure: what the system does for a window when no handler took the
// message.
void TWinControl::DefaultHandler(TMessage& Message) {
    if (FHandle && TWindowBackend::DefaultWindowProc(this, Message)) return;
    switch (Message.Msg) {
    case WM_GETTEXT: TControl::WMGetText(Message); break;
    case WM_SETTEXT:
        TControl::WMSetText(Message);
        if (FHandle && IsTopLevelCached()) TWindowBackend::SetText(this, FText);
        break;
    case WM_NCCALCSIZE: {
        auto* r = reinterpret_cast<TRect*>(Message.LParam);
        if (!r) break;
        TRect m = StandardMargins();
        r->Left += m.Left;
        r->Top += m.Top;
        r->Right -= m.Right;
        r->Bottom -= m.Bottom;
        if (FScrollBars[1].Shown) r->Right -= GetSystemMetrics(SM_CXVSCROLL);
        if (FScrollBars[0].Shown) r->Bottom -= GetSystemMetrics(SM_CYHSCROLL);
        if (r->Right < r->Left) r->Right = r->Left;
        if (r->Bottom < r->Top) r->Bottom = r->Top;
        break;
    }
    case WM_NCPAINT: DefaultNCPaint(); break;
    case WM_NCHITTEST: {
        TPoint p = LParamToPoint(Message.LParam);
        TPoint c = ScreenToClient(p);
        TRect cr = GetClientRect();
        if (c.X >= 0 && c.Y >= 0 && c.X < cr.Right && c.Y < cr.Bottom)
            Message.Result = HTCLIENT;
        else if (FScrollBars[1].Shown && c.X >= cr.Right && c.Y >= 0 && c.Y < cr.Bottom)
            Message.Result = HTVSCROLL;
        else if (FScrollBars[0].Shown && c.Y >= cr.Bottom && c.X >= 0 && c.X < cr.Right)
            Message.Result = HTHSCROLL;
        else
            Message.Result = HTBORDER;
        break;
    }
    case WM_SETCURSOR:
        // The parent may decide first; else the arrow over the client area.
        if (FParent && !IsTopLevelCached() && FParent->Perform(WM_SETCURSOR, Message.WParam, Message.LParam) != 0) {
            Message.Result = 1;
            break;
        }
        {
            // The client area shows the screen's cursor; sizing borders show which way they size.
            TCursor shape = crDefault;
            bool known = true;
            switch (int16_t(LOWORD(Message.LParam))) {
            case HTCLIENT: shape = Screen->GetCursor() != 0 ? Screen->GetCursor() : 0; break;
            case HTLEFT:
            case HTRIGHT: shape = crSizeWE; break;
            case HTTOP:
            case HTBOTTOM: shape = crSizeNS; break;
            case HTTOPLEFT:
            case HTBOTTOMRIGHT: shape = crSizeNWSE; break;
            case HTTOPRIGHT:
            case HTBOTTOMLEFT: shape = crSizeNESW; break;
            default: known = false; break;
            }
            if (!known) break;
            SetCursorShape(shape);
        }
        Message.Result = 1;
        break;
    case WM_MOUSEACTIVATE:
        if (FParent && !IsTopLevelCached()) {
            Message.Result = FParent->Perform(WM_MOUSEACTIVATE, Message.WParam, Message.LParam);
            if (Message.Result) break;
        }
        Message.Result = MA_ACTIVATE;
        break;
    case WM_RBUTTONUP: {
        TPoint s = ClientToScreen(MessagePoint(Message));
        Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(this), PointToLParam(s));
        break;
    }
    case WM_CONTEXTMENU:
        if (FParent && !IsTopLevelCached())
            Message.Result = FParent->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
        break;
    case WM_CLOSE:
        if (!dynamic_cast<TCustomForm*>(this)) DestroyHandle();
        break;
    case WM_SYSKEYDOWN:
        if (Word(Message.WParam) == VK_F4 && (Message.LParam & KF_ALTDOWN)) {
            if (TWinControl* top = lumora_detail::TopLevelOf(this)) top->Perform(WM_SYSCOMMAND, SC_CLOSE);
        }
        break;
    case WM_SYSCOMMAND:
        if ((Message.WParam & 0xFFF0) == SC_CLOSE) Perform(WM_CLOSE);
        break;
    default: break;
    }
}

void TWinControl::DefaultNCPaint() {
    if (!FrameworkPainted()) return;
    TPaintSurface* s = Surface();
    TCanvas* c = lumora_backend::SurfaceWindowCanvas(s);
    if (!c) return;
    DWORD style, ex;
    StyleOf(style, ex);
    TRect sys = SystemFrame();
    TRect r{0, 0, FWidth - sys.Left - sys.Right, FHeight - sys.Top - sys.Bottom};
    if (ex & WS_EX_CLIENTEDGE) {
        DrawEdge(c->GetHandle(), &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    } else if (ex & WS_EX_STATICEDGE) {
        DrawEdge(c->GetHandle(), &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    if ((style & WS_BORDER) && ((style & WS_CHILD) || !Decorated(style))) {
        c->GetBrush()->SetColor(clWindowFrame);
        c->FrameRect(r);
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
    if (FScrollBars[0].Shown && FScrollBars[1].Shown) {
        Integer cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
        TRect m = StandardMargins();
        Integer right = FWidth - m.Right - sys.Left;
        Integer bottom = FHeight - m.Bottom - sys.Top;
        c->GetBrush()->SetColor(clBtnFace);
        c->FillRect({right - cx, bottom - cy, right, bottom});
    }
}
