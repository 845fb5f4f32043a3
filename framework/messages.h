#pragma once
// Window messages: the message record, the message ids with their Windows names, the key codes
// and shift states, and the helpers that pack and unpack message parameters.
//
// WM_* ids keep their Windows values (Parts post WM_APP + n and compare ids), CM_* ids are the
// framework's own notifications, numbered from CM_BASE. Virtual key codes and shortcuts keep
// their Windows values because settings store them.

#include <cstdint>
#include <string>

#include "framework/types.h"

class TWinControl;
class TControl;

// A window is a windowed control: handles are the controls themselves, created on demand.
using HWND = TWinControl*;
using UINT = uint32_t;

struct TMessage {
    Cardinal Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;

    constexpr Word WParamLo() const { return Word(WParam & 0xFFFF); }
    constexpr Word WParamHi() const { return Word((WParam >> 16) & 0xFFFF); }
    constexpr Word LParamLo() const { return Word(uintptr_t(LParam) & 0xFFFF); }
    constexpr Word LParamHi() const { return Word((uintptr_t(LParam) >> 16) & 0xFFFF); }
};

// A queued message as the message loop sees it (Application->OnMessage receives these).
struct TMsg {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    TPoint pt;
};

constexpr Word LOWORD(uintptr_t v) { return Word(v & 0xFFFF); }
constexpr Word HIWORD(uintptr_t v) { return Word((v >> 16) & 0xFFFF); }
constexpr LongInt MAKELONG(Word lo, Word hi) { return LongInt(uint32_t(lo) | (uint32_t(hi) << 16)); }
constexpr WPARAM MAKEWPARAM(Word lo, Word hi) { return WPARAM(uint32_t(lo) | (uint32_t(hi) << 16)); }
constexpr LPARAM MAKELPARAM(Word lo, Word hi) { return LPARAM(uint32_t(lo) | (uint32_t(hi) << 16)); }
// Signed coordinates packed in an LPARAM (mouse messages).
constexpr Integer GET_X_LPARAM(LPARAM l) { return int16_t(uintptr_t(l) & 0xFFFF); }
constexpr Integer GET_Y_LPARAM(LPARAM l) { return int16_t((uintptr_t(l) >> 16) & 0xFFFF); }
constexpr LPARAM PointToLParam(TPoint p) { return MAKELPARAM(Word(int16_t(p.X)), Word(int16_t(p.Y))); }
constexpr TPoint LParamToPoint(LPARAM l) { return {GET_X_LPARAM(l), GET_Y_LPARAM(l)}; }
// A mouse message's point.
constexpr TPoint MessagePoint(const TMessage& m) { return LParamToPoint(m.LParam); }

// ---------------------------------------------------------------------------------------------
// Window messages (Windows values)
constexpr Cardinal WM_NULL = 0x0000;
constexpr Cardinal WM_CREATE = 0x0001;
constexpr Cardinal WM_DESTROY = 0x0002;
constexpr Cardinal WM_MOVE = 0x0003;
constexpr Cardinal WM_SIZE = 0x0005;
constexpr Cardinal WM_ACTIVATE = 0x0006;
constexpr Cardinal WM_SETFOCUS = 0x0007;
constexpr Cardinal WM_KILLFOCUS = 0x0008;
constexpr Cardinal WM_ENABLE = 0x000A;
constexpr Cardinal WM_SETREDRAW = 0x000B;
constexpr Cardinal WM_SETTEXT = 0x000C;
constexpr Cardinal WM_GETTEXT = 0x000D;
constexpr Cardinal WM_GETTEXTLENGTH = 0x000E;
constexpr Cardinal WM_PAINT = 0x000F;
constexpr Cardinal WM_CLOSE = 0x0010;
constexpr Cardinal WM_QUIT = 0x0012;
constexpr Cardinal WM_ERASEBKGND = 0x0014;
constexpr Cardinal WM_SYSCOLORCHANGE = 0x0015;
constexpr Cardinal WM_SHOWWINDOW = 0x0018;
constexpr Cardinal WM_ACTIVATEAPP = 0x001C;
constexpr Cardinal WM_CANCELMODE = 0x001F;
constexpr Cardinal WM_SETCURSOR = 0x0020;
constexpr Cardinal WM_MOUSEACTIVATE = 0x0021;
constexpr Cardinal WM_GETMINMAXINFO = 0x0024;
constexpr Cardinal WM_SETFONT = 0x0030;
constexpr Cardinal WM_GETFONT = 0x0031;
constexpr Cardinal WM_WINDOWPOSCHANGING = 0x0046;
constexpr Cardinal WM_WINDOWPOSCHANGED = 0x0047;
constexpr Cardinal WM_HELP = 0x0053;
constexpr Cardinal WM_CONTEXTMENU = 0x007B;
constexpr Cardinal WM_NCCREATE = 0x0081;
constexpr Cardinal WM_NCDESTROY = 0x0082;
constexpr Cardinal WM_NCCALCSIZE = 0x0083;
constexpr Cardinal WM_NCHITTEST = 0x0084;
constexpr Cardinal WM_NCPAINT = 0x0085;
constexpr Cardinal WM_NCACTIVATE = 0x0086;
constexpr Cardinal WM_GETDLGCODE = 0x0087;
constexpr Cardinal WM_NCMOUSEMOVE = 0x00A0;
constexpr Cardinal WM_NCLBUTTONDOWN = 0x00A1;
constexpr Cardinal WM_NCLBUTTONUP = 0x00A2;
constexpr Cardinal WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr Cardinal WM_KEYFIRST = 0x0100;
constexpr Cardinal WM_KEYDOWN = 0x0100;
constexpr Cardinal WM_KEYUP = 0x0101;
constexpr Cardinal WM_CHAR = 0x0102;
constexpr Cardinal WM_DEADCHAR = 0x0103;
constexpr Cardinal WM_SYSKEYDOWN = 0x0104;
constexpr Cardinal WM_SYSKEYUP = 0x0105;
constexpr Cardinal WM_SYSCHAR = 0x0106;
constexpr Cardinal WM_KEYLAST = 0x0108;
constexpr Cardinal WM_COMMAND = 0x0111;
constexpr Cardinal WM_SYSCOMMAND = 0x0112;
constexpr Cardinal WM_TIMER = 0x0113;
constexpr Cardinal WM_HSCROLL = 0x0114;
constexpr Cardinal WM_VSCROLL = 0x0115;
constexpr Cardinal WM_INITMENUPOPUP = 0x0117;
constexpr Cardinal WM_MOUSEFIRST = 0x0200;
constexpr Cardinal WM_MOUSEMOVE = 0x0200;
constexpr Cardinal WM_LBUTTONDOWN = 0x0201;
constexpr Cardinal WM_LBUTTONUP = 0x0202;
constexpr Cardinal WM_LBUTTONDBLCLK = 0x0203;
constexpr Cardinal WM_RBUTTONDOWN = 0x0204;
constexpr Cardinal WM_RBUTTONUP = 0x0205;
constexpr Cardinal WM_RBUTTONDBLCLK = 0x0206;
constexpr Cardinal WM_MBUTTONDOWN = 0x0207;
constexpr Cardinal WM_MBUTTONUP = 0x0208;
constexpr Cardinal WM_MBUTTONDBLCLK = 0x0209;
constexpr Cardinal WM_MOUSEWHEEL = 0x020A;
constexpr Cardinal WM_MOUSELAST = 0x020A;
constexpr Cardinal WM_CAPTURECHANGED = 0x0215;
constexpr Cardinal WM_DROPFILES = 0x0233;
constexpr Cardinal WM_MOUSELEAVE = 0x02A3;
constexpr Cardinal WM_CUT = 0x0300;
constexpr Cardinal WM_COPY = 0x0301;
constexpr Cardinal WM_PASTE = 0x0302;
constexpr Cardinal WM_CLEAR = 0x0303;
constexpr Cardinal WM_UNDO = 0x0304;
constexpr Cardinal WM_DRAWCLIPBOARD = 0x0308;
constexpr Cardinal WM_CHANGECBCHAIN = 0x030D;
constexpr Cardinal WM_PRINT = 0x0317;
constexpr Cardinal WM_PRINTCLIENT = 0x0318;
// WM_PRINT, WM_PRINTCLIENT: WParam the canvas (TCanvas*), LParam what to draw.
constexpr LPARAM PRF_CHECKVISIBLE = 0x01;
constexpr LPARAM PRF_NONCLIENT = 0x02;
constexpr LPARAM PRF_CLIENT = 0x04;
constexpr LPARAM PRF_ERASEBKGND = 0x08;
constexpr LPARAM PRF_CHILDREN = 0x10;
constexpr LPARAM PRF_OWNED = 0x20;
constexpr Cardinal WM_USER = 0x0400;
constexpr Cardinal WM_APP = 0x8000;

// Edit controls (the standard edit actions ask the focused control with these).
constexpr Cardinal EM_GETSEL = 0x00B0;  // Result: start in the low word, end in the high word
constexpr Cardinal EM_SETSEL = 0x00B1;
constexpr Cardinal EM_CANUNDO = 0x00C6;
constexpr Cardinal EM_UNDO = 0x00C7;

// ---------------------------------------------------------------------------------------------
// The framework's notifications (CM_*). Sent with Perform; the ids are our own.
constexpr Cardinal CM_BASE = 0xB000;
constexpr Cardinal CM_ACTIVATE = CM_BASE + 0;
constexpr Cardinal CM_DEACTIVATE = CM_BASE + 1;
constexpr Cardinal CM_GOTFOCUS = CM_BASE + 2;
constexpr Cardinal CM_LOSTFOCUS = CM_BASE + 3;
constexpr Cardinal CM_CANCELMODE = CM_BASE + 4;      // LParam: the control that started it
constexpr Cardinal CM_DIALOGKEY = CM_BASE + 5;       // WParam: key; Result 1 = handled
constexpr Cardinal CM_DIALOGCHAR = CM_BASE + 6;      // WParam: char; Result 1 = handled
constexpr Cardinal CM_FOCUSCHANGED = CM_BASE + 7;    // LParam: the newly focused control
constexpr Cardinal CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr Cardinal CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr Cardinal CM_HITTEST = CM_BASE + 10;        // LParam: point; Result nonzero = hit
constexpr Cardinal CM_VISIBLECHANGED = CM_BASE + 11;
constexpr Cardinal CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr Cardinal CM_COLORCHANGED = CM_BASE + 13;
constexpr Cardinal CM_FONTCHANGED = CM_BASE + 14;
constexpr Cardinal CM_CURSORCHANGED = CM_BASE + 15;
constexpr Cardinal CM_CTL3DCHANGED = CM_BASE + 16;
constexpr Cardinal CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr Cardinal CM_TEXTCHANGED = CM_BASE + 18;
constexpr Cardinal CM_MOUSEENTER = CM_BASE + 19;
constexpr Cardinal CM_MOUSELEAVE = CM_BASE + 20;
constexpr Cardinal CM_MENUCHANGED = CM_BASE + 21;
constexpr Cardinal CM_APPKEYDOWN = CM_BASE + 22;
constexpr Cardinal CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr Cardinal CM_BUTTONPRESSED = CM_BASE + 24;
constexpr Cardinal CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr Cardinal CM_ENTER = CM_BASE + 26;
constexpr Cardinal CM_EXIT = CM_BASE + 27;
constexpr Cardinal CM_DESIGNHITTEST = CM_BASE + 28;
constexpr Cardinal CM_ICONCHANGED = CM_BASE + 29;
constexpr Cardinal CM_WANTSPECIALKEY = CM_BASE + 30;  // WParam: key; Result 1 = the control wants it
constexpr Cardinal CM_INVOKEHELP = CM_BASE + 31;
constexpr Cardinal CM_RELEASE = CM_BASE + 33;
constexpr Cardinal CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr Cardinal CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr Cardinal CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr Cardinal CM_FONTCHANGE = CM_BASE + 38;
constexpr Cardinal CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr Cardinal CM_CONTROLLISTCHANGE = CM_BASE + 44;  // WParam: control; LParam: inserting
constexpr Cardinal CM_CHILDKEY = CM_BASE + 46;
constexpr Cardinal CM_DRAG = CM_BASE + 47;                // WParam: TDragMessage; LParam: TDragRec*
constexpr Cardinal CM_HINTSHOW = CM_BASE + 48;
constexpr Cardinal CM_DIALOGHANDLE = CM_BASE + 49;
constexpr Cardinal CM_ISTOOLCONTROL = CM_BASE + 50;
constexpr Cardinal CM_RECREATEWND = CM_BASE + 51;
constexpr Cardinal CM_INVALIDATE = CM_BASE + 52;
constexpr Cardinal CM_SYSFONTCHANGED = CM_BASE + 53;
constexpr Cardinal CM_CONTROLCHANGE = CM_BASE + 54;
constexpr Cardinal CM_CHANGED = CM_BASE + 55;
constexpr Cardinal CM_BORDERCHANGED = CM_BASE + 59;
constexpr Cardinal CM_MOUSEWHEEL = CM_BASE + 67;
constexpr Cardinal CM_POPUPOUTSIDECLICK = CM_BASE + 80;  // LParam: screen point of the click

// Notifications sent back to a control by its own window (the framework's CN_* range).
constexpr Cardinal CN_BASE = 0xBC00;
constexpr Cardinal CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr Cardinal CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr Cardinal CN_CHAR = CN_BASE + WM_CHAR;
constexpr Cardinal CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr Cardinal CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

// ---------------------------------------------------------------------------------------------
// Message parameter values
// WM_ACTIVATE
constexpr Word WA_INACTIVE = 0;
constexpr Word WA_ACTIVE = 1;
constexpr Word WA_CLICKACTIVE = 2;
// WM_SIZE
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;
// WM_MOUSEACTIVATE
constexpr LRESULT MA_ACTIVATE = 1;
constexpr LRESULT MA_ACTIVATEANDEAT = 2;
constexpr LRESULT MA_NOACTIVATE = 3;
constexpr LRESULT MA_NOACTIVATEANDEAT = 4;
// WM_NCHITTEST
constexpr LRESULT HTERROR = -2;
constexpr LRESULT HTTRANSPARENT = -1;
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
constexpr LRESULT HTCAPTION = 2;
constexpr LRESULT HTSYSMENU = 3;
constexpr LRESULT HTHSCROLL = 6;
constexpr LRESULT HTVSCROLL = 7;
constexpr LRESULT HTLEFT = 10;
constexpr LRESULT HTRIGHT = 11;
constexpr LRESULT HTTOP = 12;
constexpr LRESULT HTTOPLEFT = 13;
constexpr LRESULT HTTOPRIGHT = 14;
constexpr LRESULT HTBOTTOM = 15;
constexpr LRESULT HTBOTTOMLEFT = 16;
constexpr LRESULT HTBOTTOMRIGHT = 17;
constexpr LRESULT HTBORDER = 18;
constexpr LRESULT HTCLOSE = 20;
// WM_GETDLGCODE
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTMESSAGE = 0x0004;
constexpr LRESULT DLGC_HASSETSEL = 0x0008;
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x2000;
// Mouse message key flags (WParam of mouse messages)
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr Integer WHEEL_DELTA = 120;
// WM_SYSCOMMAND
constexpr WPARAM SC_SIZE = 0xF000;
constexpr WPARAM SC_MOVE = 0xF010;
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_RESTORE = 0xF120;
// Key data bits (LParam of key messages)
constexpr LPARAM KF_EXTENDED = 0x01000000;
constexpr LPARAM KF_ALTDOWN = 0x20000000;
constexpr LPARAM KF_REPEAT = 0x40000000;
constexpr LPARAM KF_UP = static_cast<LPARAM>(0x80000000u);

// Scroll bars: bars, codes and the scroll information record
constexpr Integer SB_HORZ = 0;
constexpr Integer SB_VERT = 1;
constexpr Integer SB_CTL = 2;
constexpr Integer SB_BOTH = 3;
constexpr Word SB_LINEUP = 0;
constexpr Word SB_LINELEFT = 0;
constexpr Word SB_LINEDOWN = 1;
constexpr Word SB_LINERIGHT = 1;
constexpr Word SB_PAGEUP = 2;
constexpr Word SB_PAGELEFT = 2;
constexpr Word SB_PAGEDOWN = 3;
constexpr Word SB_PAGERIGHT = 3;
constexpr Word SB_THUMBPOSITION = 4;
constexpr Word SB_THUMBTRACK = 5;
constexpr Word SB_TOP = 6;
constexpr Word SB_LEFT = 6;
constexpr Word SB_BOTTOM = 7;
constexpr Word SB_RIGHT = 7;
constexpr Word SB_ENDSCROLL = 8;
constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

struct TScrollInfo {
    UINT cbSize = sizeof(TScrollInfo);
    UINT fMask = 0;
    Integer nMin = 0;
    Integer nMax = 0;
    UINT nPage = 0;
    Integer nPos = 0;
    Integer nTrackPos = 0;
};
using SCROLLINFO = TScrollInfo;

// WM_HSCROLL / WM_VSCROLL: the code in the low word of WParam, the 32-bit position above it.
constexpr WPARAM MakeScrollWParam(Word code, Integer pos) {
    return WPARAM(code) | (WPARAM(uint32_t(pos)) << 16);
}
constexpr Word ScrollCode(const TMessage& m) { return Word(m.WParam & 0xFFFF); }
constexpr Integer ScrollPos(const TMessage& m) { return Integer(uint32_t((m.WParam >> 16) & 0xFFFFFFFFu)); }

// ScrollWindowEx flags
constexpr UINT SW_SCROLLCHILDREN = 0x0001;
constexpr UINT SW_INVALIDATE = 0x0002;
constexpr UINT SW_ERASE = 0x0004;

// ShowWindow commands
constexpr Integer SW_HIDE = 0;
constexpr Integer SW_SHOWNORMAL = 1;
constexpr Integer SW_NORMAL = 1;
constexpr Integer SW_SHOWMINIMIZED = 2;
constexpr Integer SW_SHOWMAXIMIZED = 3;
constexpr Integer SW_MAXIMIZE = 3;
constexpr Integer SW_SHOWNOACTIVATE = 4;
constexpr Integer SW_SHOW = 5;
constexpr Integer SW_MINIMIZE = 6;
constexpr Integer SW_SHOWMINNOACTIVE = 7;
constexpr Integer SW_SHOWNA = 8;
constexpr Integer SW_RESTORE = 9;

// SetWindowPos
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr UINT SWP_NOOWNERZORDER = 0x0200;
extern const HWND HWND_TOP;
extern const HWND HWND_BOTTOM;
extern const HWND HWND_TOPMOST;
extern const HWND HWND_NOTOPMOST;

// Window styles (TCreateParams::Style)
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_SIZEBOX = WS_THICKFRAME;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
// Extended window styles (TCreateParams::ExStyle)
constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_ACCEPTFILES = 0x00000010;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_CONTEXTHELP = 0x00000400;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD WS_EX_NOACTIVATE = 0x08000000;
// Window class styles (TCreateParams::WindowClass.style)
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_SAVEBITS = 0x0800;

// ---------------------------------------------------------------------------------------------
// Virtual key codes (Windows values)
constexpr Word VK_LBUTTON = 0x01;
constexpr Word VK_RBUTTON = 0x02;
constexpr Word VK_CANCEL = 0x03;
constexpr Word VK_MBUTTON = 0x04;
constexpr Word VK_BACK = 0x08;
constexpr Word VK_TAB = 0x09;
constexpr Word VK_CLEAR = 0x0C;
constexpr Word VK_RETURN = 0x0D;
constexpr Word VK_SHIFT = 0x10;
constexpr Word VK_CONTROL = 0x11;
constexpr Word VK_MENU = 0x12;
constexpr Word VK_PAUSE = 0x13;
constexpr Word VK_CAPITAL = 0x14;
constexpr Word VK_ESCAPE = 0x1B;
constexpr Word VK_SPACE = 0x20;
constexpr Word VK_PRIOR = 0x21;
constexpr Word VK_NEXT = 0x22;
constexpr Word VK_END = 0x23;
constexpr Word VK_HOME = 0x24;
constexpr Word VK_LEFT = 0x25;
constexpr Word VK_UP = 0x26;
constexpr Word VK_RIGHT = 0x27;
constexpr Word VK_DOWN = 0x28;
constexpr Word VK_SELECT = 0x29;
constexpr Word VK_PRINT = 0x2A;
constexpr Word VK_EXECUTE = 0x2B;
constexpr Word VK_SNAPSHOT = 0x2C;
constexpr Word VK_INSERT = 0x2D;
constexpr Word VK_DELETE = 0x2E;
constexpr Word VK_HELP = 0x2F;
// '0'..'9' are 0x30..0x39 and 'A'..'Z' are 0x41..0x5A.
constexpr Word VK_LWIN = 0x5B;
constexpr Word VK_RWIN = 0x5C;
constexpr Word VK_APPS = 0x5D;
constexpr Word VK_NUMPAD0 = 0x60;
constexpr Word VK_NUMPAD1 = 0x61;
constexpr Word VK_NUMPAD2 = 0x62;
constexpr Word VK_NUMPAD3 = 0x63;
constexpr Word VK_NUMPAD4 = 0x64;
constexpr Word VK_NUMPAD5 = 0x65;
constexpr Word VK_NUMPAD6 = 0x66;
constexpr Word VK_NUMPAD7 = 0x67;
constexpr Word VK_NUMPAD8 = 0x68;
constexpr Word VK_NUMPAD9 = 0x69;
constexpr Word VK_MULTIPLY = 0x6A;
constexpr Word VK_ADD = 0x6B;
constexpr Word VK_SEPARATOR = 0x6C;
constexpr Word VK_SUBTRACT = 0x6D;
constexpr Word VK_DECIMAL = 0x6E;
constexpr Word VK_DIVIDE = 0x6F;
constexpr Word VK_F1 = 0x70;
constexpr Word VK_F2 = 0x71;
constexpr Word VK_F3 = 0x72;
constexpr Word VK_F4 = 0x73;
constexpr Word VK_F5 = 0x74;
constexpr Word VK_F6 = 0x75;
constexpr Word VK_F7 = 0x76;
constexpr Word VK_F8 = 0x77;
constexpr Word VK_F9 = 0x78;
constexpr Word VK_F10 = 0x79;
constexpr Word VK_F11 = 0x7A;
constexpr Word VK_F12 = 0x7B;
constexpr Word VK_F13 = 0x7C;
constexpr Word VK_F24 = 0x87;
constexpr Word VK_NUMLOCK = 0x90;
constexpr Word VK_SCROLL = 0x91;
constexpr Word VK_LSHIFT = 0xA0;
constexpr Word VK_RSHIFT = 0xA1;
constexpr Word VK_LCONTROL = 0xA2;
constexpr Word VK_RCONTROL = 0xA3;
constexpr Word VK_LMENU = 0xA4;
constexpr Word VK_RMENU = 0xA5;
constexpr Word VK_OEM_1 = 0xBA;       // ;:
constexpr Word VK_OEM_PLUS = 0xBB;    // =+
constexpr Word VK_OEM_COMMA = 0xBC;
constexpr Word VK_OEM_MINUS = 0xBD;
constexpr Word VK_OEM_PERIOD = 0xBE;
constexpr Word VK_OEM_2 = 0xBF;       // /?
constexpr Word VK_OEM_3 = 0xC0;       // `~
constexpr Word VK_OEM_4 = 0xDB;       // [{
constexpr Word VK_OEM_5 = 0xDC;       // \|
constexpr Word VK_OEM_6 = 0xDD;       // ]}
constexpr Word VK_OEM_7 = 0xDE;       // '"

// ---------------------------------------------------------------------------------------------
// Shift states, mouse buttons, characters and shortcuts
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// A typed character: a Unicode code point. Control characters keep their codes (Ctrl+A..Ctrl+Z
// are 1..26, Backspace 8, Tab 9, Enter 13, Esc 27).
using Char = char32_t;

// Shift state from the MK_* flags of a mouse message.
TShiftState KeysToShiftState(WPARAM keys);
// Shift state from the key data of a key message (Alt from the context bit, the rest from the
// current key state).
TShiftState KeyDataToShiftState(LPARAM keyData);
// The MK_* flags for a shift state.
WPARAM ShiftStateToKeys(TShiftState shift);

using TShortCut = Word;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;
TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);

// Encodes the UTF-8 text of one code point.
std::string CharToUtf8(Char c);

// ---------------------------------------------------------------------------------------------
// Input state, kept by the input path as events arrive
// High bit set (negative) while the key or mouse button is down; low bit toggles on each press.
SmallInt GetKeyState(Integer vk);
SmallInt GetAsyncKeyState(Integer vk);
// The time (milliseconds of the input clock) and screen position of the last input message.
DWORD GetMessageTime();
TPoint GetMessagePos();
// The milliseconds of the input clock now.
DWORD GetTickCountInput();

namespace lumora_detail {
void SetKeyDown(Word vk, bool down);
void SetMessageTimeAndPos(DWORD time, TPoint screenPos);
void ResetInputState();
}  // namespace lumora_detail
