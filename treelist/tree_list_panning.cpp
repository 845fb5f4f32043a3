// Middle-button panning: a round window of arrows where the middle button went down, the cursor
// showing the way the list scrolls, and line scrolls that come faster the farther the mouse is
// from that point; and the tree list's cursors in the screen's cursor table.

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/message_loop.h"
#include "framework/resources.h"
#include "framework/timer.h"
#include "framework/window_region.h"
#include "treelist/tree_list.h"

namespace {

constexpr TCursor crPanBoth = -1131;
constexpr TCursor crPanHorz = -1132;
constexpr TCursor crPanVert = -1133;
constexpr TCursor crPanUp = -1134;
constexpr TCursor crPanRight = -1135;
constexpr TCursor crPanDown = -1136;
constexpr TCursor crPanLeft = -1137;
// Milliseconds between ticks; a line scrolls every 13 - speed ticks.
constexpr UINT PanningTick = 20;
constexpr Integer MaxPanningSpeed = 12;

// The round window showing the ways the list can scroll: its bitmap clipped to an ellipse and
// framed by one.
class TgxPanningWindow : public TCustomPopupWindow {
    LUMORA_CLASS(TgxPanningWindow, TCustomPopupWindow)
public:
    TgxPanningWindow(TComponent* AOwner, const std::string& BitmapName, bool* Gone)
        : TCustomPopupWindow(AOwner), FGone(Gone) {
        FBitmap.LoadFromResourceName(HInstance, BitmapName);
        SetBounds(0, 0, FBitmap.GetWidth(), FBitmap.GetHeight());
    }
    // Freed with its owner: the panning loop learns that the list went.
    ~TgxPanningWindow() override {
        if (FGone) *FGone = true;
    }
    void ShowAt(TPoint Centre) {
        SetBounds(Centre.X - GetWidth() / 2, Centre.Y - GetHeight() / 2, GetWidth(), GetHeight());
        HandleNeeded();
        SetWindowRgn(this, CreateEllipticRgn(0, 0, GetWidth() + 1, GetHeight() + 1), false);
        Popup(TPoint{GetLeft(), GetTop()});
    }
    // Freed by the panning loop itself.
    void Close() {
        FGone = nullptr;
        Free();
    }

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomPopupWindow::CreateParams(Params);
        Params.Style &= ~DWORD(WS_BORDER);
    }
    void Paint() override {
        TCanvas* canvas = GetCanvas();
        canvas->Draw(0, 0, &FBitmap);
        canvas->GetPen()->SetColor(clWindowText);
        canvas->GetBrush()->SetStyle(bsClear);
        canvas->Ellipse(0, 0, GetWidth(), GetHeight());
    }

private:
    TBitmap FBitmap;
    bool* FGone;
};

bool IsOtherMouseMessage(UINT Message) {
    return (Message >= WM_MOUSEFIRST && Message <= WM_MOUSELAST && Message != WM_MOUSEMOVE) ||
           (Message >= WM_NCLBUTTONDOWN && Message <= WM_NCLBUTTONDBLCLK);
}

}  // namespace

void LoadTreeListCursors() {
    static const bool loaded = [] {
        const std::pair<const char*, TCursor> cursors[] = {
            {"GXTLDELETECURSOR", -1124},    {"GXTL_FULLSCROLLCURSOR", crPanBoth},
            {"GXTL_HORSCROLLCURSOR", crPanHorz}, {"GXTL_VERSCROLLCURSOR", crPanVert},
            {"GXTL_UPSCROLLCURSOR", crPanUp},    {"GXTL_RIGHTSCROLLCURSOR", crPanRight},
            {"GXTL_DOWNSCROLLCURSOR", crPanDown}, {"GXTL_LEFTSCROLLCURSOR", crPanLeft}};
        for (const auto& [name, id] : cursors)
            if (HCURSOR cursor = LoadCursor(HInstance, name)) SetCursorTableEntry(id, cursor);
        return true;
    }();
    (void)loaded;
}

bool TCustomgxTreeList::DoMousePanning(TPoint Origin) {
    if (FPanning || !HandleAllocated()) return true;
    const DWORD style = DWORD(GetWindowLong(this, GWL_STYLE));
    const bool horz = (style & WS_HSCROLL) != 0;
    const bool vert = (style & WS_VSCROLL) != 0;
    const char* bitmap = horz && vert ? "GXGRID_FULLSCROLLBITMAP" : horz ? "GXGRID_HORSCROLLBITMAP" : "GXGRID_VERSCROLLBITMAP";
    const TCursor still = horz && vert ? crPanBoth : horz ? crPanHorz : crPanVert;

    bool gone = false;
    TgxPanningWindow* popup = nullptr;
    UINT_PTR timer = 0;
    FPanning = true;
    // Capture, timer and window are given back however the loop ends.
    auto finish = [&] {
        if (timer) KillTimer(nullptr, timer);
        if (gone) return;
        if (GetCapture() == this) ReleaseCapture();
        if (popup) popup->Close();
        FPanning = false;
        FPanningCursor = 0;
        SetCursorShape(GetCursor());
    };
    try {
        popup = new TgxPanningWindow(this, bitmap, &gone);
        popup->SetOwnerWindow(GetParentForm(this));
        popup->ShowAt(Origin);
        // The still zone: a square as wide as the window, over the whole screen along an axis
        // the list cannot scroll on.
        const Integer half = popup->GetWidth() / 2;
        auto inZone = [&](Integer DX, Integer DY) { return (!horz || std::abs(DX) <= half) && (!vert || std::abs(DY) <= half); };
        FPanningCursor = still;
        SetCursorShape(still);
        timer = SetTimer(nullptr, 0, PanningTick);
        SetCapture(this);

        bool leftZone = false;
        Cardinal scroll = 0;  // WM_VSCROLL or WM_HSCROLL, 0 while still
        WPARAM step = 0;
        Integer speed = 1;
        Integer ticks = 0;
        TPoint last = Origin;
        TMsg msg;
        while (!gone && GetCapture() == this) {
            if (!GetMessage(msg, nullptr, 0, 0)) {
                PostQuitMessage(Integer(msg.wParam));
                break;
            }
            const UINT m = msg.message;
            if (m == WM_KEYDOWN || m == WM_KEYUP) {
                if (msg.wParam == VK_ESCAPE) break;
            } else if (m == WM_MOUSEMOVE) {
                if (msg.pt == last) continue;
                last = msg.pt;
                const Integer dx = msg.pt.X - Origin.X;
                const Integer dy = msg.pt.Y - Origin.Y;
                Integer distance = 0;
                if (inZone(dx, dy)) {
                    scroll = 0;
                    FPanningCursor = still;
                } else if (!horz || (vert && std::abs(dy) >= std::abs(dx))) {
                    scroll = WM_VSCROLL;
                    step = dy < 0 ? SB_LINEUP : SB_LINEDOWN;
                    FPanningCursor = dy < 0 ? crPanUp : crPanDown;
                    distance = std::abs(dy);
                } else {
                    scroll = WM_HSCROLL;
                    step = dx < 0 ? SB_LINELEFT : SB_LINERIGHT;
                    FPanningCursor = dx < 0 ? crPanLeft : crPanRight;
                    distance = std::abs(dx);
                }
                if (scroll) {
                    leftZone = true;
                    speed = std::min((distance - half) / 5 + 1, MaxPanningSpeed);
                }
                SetCursorShape(FPanningCursor);
            } else if (m == WM_TIMER && !msg.hwnd && msg.wParam == timer) {
                if (++ticks % (MaxPanningSpeed + 1 - speed) == 0 && scroll) Perform(scroll, step, 0);
            } else if (m == WM_MBUTTONUP) {
                // A click without moving leaves the mode on until the next button.
                if (leftZone) break;
            } else if (IsOtherMouseMessage(m)) {
                break;
            } else {
                TranslateMessage(msg);
                DispatchMessage(msg);
            }
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return !gone;
}
