#include "components/window_print.h"

#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/windows_gdi.h"

namespace {

// Runs Draw with the canvas's origin at Origin and drawing clipped to Size there.
template <class F>
void DrawAt(TCanvas* Canvas, TPoint Origin, TPoint Size, F Draw) {
    HDC dc = Canvas->GetHandle();
    int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, Origin.X, Origin.Y, nullptr);
    IntersectClipRect(dc, 0, 0, Size.X, Size.Y);
    try {
        Draw();
    } catch (...) {
        RestoreDC(dc, saved);
        throw;
    }
    RestoreDC(dc, saved);
}

}  // namespace

void PrintFramedWindow(TWinControl* W, TMessage& Message, const TFramePainter& DrawFrame) {
    auto* canvas = reinterpret_cast<TCanvas*>(Message.WParam);
    const LPARAM flags = Message.LParam;
    if (!canvas || ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(W))) return;
    if (flags & PRF_NONCLIENT) DrawAt(canvas, {0, 0}, {W->GetWidth(), W->GetHeight()}, [&] { DrawFrame(canvas); });
    const TRect m = W->GetNonClientMargins();
    const TRect client = W->GetClientRect();
    if (flags & PRF_CLIENT)
        DrawAt(canvas, {m.Left, m.Top}, {client.Right, client.Bottom}, [&] {
            if (flags & PRF_ERASEBKGND) W->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas));
            W->Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas), flags);
        });
    if (flags & PRF_CHILDREN)
        for (int i = 0; i < W->GetControlCount(); ++i) {
            auto* child = dynamic_cast<TWinControl*>(W->GetControl(i));
            if (!child || !child->GetVisible()) continue;
            const TPoint at{m.Left + child->GetLeft(), m.Top + child->GetTop()};
            DrawAt(canvas, at, {child->GetWidth(), child->GetHeight()}, [&] {
                child->Perform(WM_PRINT, reinterpret_cast<WPARAM>(canvas),
                               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
            });
        }
    if (flags & PRF_OWNED) {
        TRect own;
        GetWindowRect(W, own);
        for (int i = 0; i < Screen->GetCustomFormCount(); ++i) {
            TCustomForm* f = Screen->GetCustomForm(i);
            if (GetWindowOwner(f) != W || !IsWindowVisible(f)) continue;
            TRect r;
            GetWindowRect(f, r);
            DrawAt(canvas, {r.Left - own.Left, r.Top - own.Top}, {r.Width(), r.Height()},
                   [&] { f->Perform(WM_PRINT, reinterpret_cast<WPARAM>(canvas), flags); });
        }
    }
    Message.Result = 1;
}

void PrintClientArea(TCustomControl* W, TMessage& Message) {
    auto* canvas = reinterpret_cast<TCanvas*>(Message.WParam);
    if (!canvas) return;
    // Painted as on screen, then copied.
    W->Update();
    const TRect r = W->GetClientRect();
    canvas->CopyRect(r, W->GetCanvas(), r);
}
