#include "framework/system_metrics.h"

#include <algorithm>

#include "framework/window_backend.h"

namespace {

uint32_t gDoubleClickTime = 500;

}  // namespace

Integer GetSystemMetrics(Integer Index) {
    switch (Index) {
    case SM_CXSCREEN: return lumora_backend::PrimaryScreenRect().Width();
    case SM_CYSCREEN: return lumora_backend::PrimaryScreenRect().Height();
    case SM_CXFULLSCREEN: return lumora_backend::PrimaryWorkArea().Width();
    case SM_CYFULLSCREEN: return lumora_backend::PrimaryWorkArea().Height() - 19;
    case SM_CXMAXIMIZED: return lumora_backend::PrimaryWorkArea().Width() + 8;
    case SM_CYMAXIMIZED: return lumora_backend::PrimaryWorkArea().Height() + 8;
    case SM_CXVIRTUALSCREEN:
    case SM_CYVIRTUALSCREEN:
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN: {
        TRect r;
        int n = lumora_backend::MonitorCount();
        for (int i = 0; i < n; ++i) {
            TRect m = lumora_backend::MonitorRect(i);
            if (i == 0) r = m;
            else
                r = {std::min(r.Left, m.Left), std::min(r.Top, m.Top), std::max(r.Right, m.Right),
                     std::max(r.Bottom, m.Bottom)};
        }
        if (Index == SM_XVIRTUALSCREEN) return r.Left;
        if (Index == SM_YVIRTUALSCREEN) return r.Top;
        return Index == SM_CXVIRTUALSCREEN ? r.Width() : r.Height();
    }
    case SM_CMONITORS: return lumora_backend::MonitorCount();
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CYSMCAPTION: return 16;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYMENU: return 19;
    case SM_CXSIZE:
    case SM_CYSIZE: return 18;
    case SM_CXSMSIZE:
    case SM_CYSMSIZE: return 12;
    case SM_CXMENUSIZE:
    case SM_CYMENUSIZE: return 18;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING: return 75;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK: return 13;
    case SM_MOUSEPRESENT: return 1;
    case SM_SWAPBUTTON: return 0;
    case SM_MENUDROPALIGNMENT: return 0;
    default: return 0;
    }
}

uint32_t GetDoubleClickTime() { return gDoubleClickTime; }

bool SetDoubleClickTime(uint32_t Milliseconds) {
    gDoubleClickTime = Milliseconds ? Milliseconds : 500;
    return true;
}

uint32_t GetCaretBlinkTime() { return 530; }
