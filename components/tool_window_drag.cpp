// Presses on a bar: dragging it between docks or off to float, double-clicks, and resizing a
// floating bar by its frame. While either runs the bar holds the mouse capture and takes the
// thread's keys (Ctrl, Esc; the others go nowhere) through a message hook.

#include <algorithm>
#include <memory>

#include "components/tool_window.h"
#include "framework/window_hooks.h"
#include "framework/control_paint.h"
#include "framework/screen_overlay.h"
#include "framework/system_metrics.h"
#include "framework/windows_gdi.h"

void ShowDragOutline(TScreenOverlay& Overlay, const TRect& R, Integer Thickness) {
    if (IsRectEmpty(&R)) {
        Overlay.Hide();
        return;
    }
    Integer w = R.Width(), h = R.Height(), t = std::min({Thickness, w, h});
    std::vector<TRect> frame{{0, 0, w, t}, {0, h - t, w, h}, {0, t, t, h - t}, {w - t, t, w, h - t}};
    Overlay.Show(R, frame, [&](TCanvas* C) {
        // The 8 x 8 dither, every other pixel.
        C->GetBrush()->SetBitmap(lumora_paint::PatternBitmap(clBlack, clWhite));
        C->FillRect({0, 0, w, h});
        C->GetBrush()->SetBitmap(nullptr);
    });
}

namespace {

TCustomForm* FormOf(TWinControl* W) {
    for (; W; W = W->GetParent())
        if (auto* f = dynamic_cast<TCustomForm*>(W)) return f;
    return nullptr;
}

// The docks of a container, depth first: its child docks by position, its other windowed
// children, then the container itself.
void CollectDocks(TWinControl* Container, std::vector<TDockX*>& Docks) {
    for (TDockPosition p : {dpTop, dpBottom, dpLeft, dpRight})
        for (Integer i = 0; i < Container->GetControlCount(); ++i)
            if (auto* d = dynamic_cast<TDockX*>(Container->GetControl(i)); d && d->GetPosition() == p)
                CollectDocks(d, Docks);
    for (Integer i = 0; i < Container->GetControlCount(); ++i) {
        auto* w = dynamic_cast<TWinControl*>(Container->GetControl(i));
        if (w && !dynamic_cast<TDockX*>(w)) CollectDocks(w, Docks);
    }
    if (auto* d = dynamic_cast<TDockX*>(Container)) Docks.push_back(d);
}

// The bar whose drag or resize takes the keys now.
TCustomToolWindowX* gLoopBar = nullptr;
HHOOK gLoopHook = nullptr;

}  // namespace

struct TCustomToolWindowX::TDragState {
    TPoint Grab;  // window coordinates
    Integer Width = 1, Height = 1;  // the bar's size less one, at least 1
    bool Ctrl = false;
    bool PreventFloat = false;
    TDockX* Current = nullptr;
    TCustomForm* Form = nullptr;
    std::vector<TDockX*> Docks;
    // The window size floating, then on each dock.
    std::vector<TPoint> Sizes;
    TDockX* Target = nullptr;
    TRect Outline;
    TPoint Last;
    TCursor SavedCursor = crDefault;
    Integer FloatingFrame = 0;
    Integer TopMargin = 0;
    TScreenOverlay Overlay;
    HHOOK Hook = nullptr;
};

struct TCustomToolWindowX::TSizeState {
    Integer Handle = 0;
    TRect Start;
    TPoint StartCursor;
    TPoint Cursor;
    Integer MinWidth = 0, MinHeight = 0;
    bool Confine = false;
    TRect Rect;
    Integer Frame = 0;
    TScreenOverlay Overlay;
    HHOOK Hook = nullptr;
};

LRESULT TCustomToolWindowX::LoopKeyHook(Integer Code, WPARAM WParam, LPARAM LParam) {
    auto* m = reinterpret_cast<TMsg*>(LParam);
    if (Code == HC_ACTION && m && gLoopBar && m->message >= WM_KEYFIRST && m->message <= WM_KEYLAST) {
        UINT msg = m->message;
        m->message = WM_NULL;
        gLoopBar->LoopKey(msg, m->wParam);
    }
    return CallNextHookEx(gLoopHook, Code, WParam, LParam);
}

void TCustomToolWindowX::LoopKey(UINT Msg, WPARAM Key) {
    if (FDrag) {
        if (Key == VK_CONTROL && (Msg == WM_KEYDOWN || Msg == WM_KEYUP) && FDrag->Ctrl != (Msg == WM_KEYDOWN)) {
            FDrag->Ctrl = Msg == WM_KEYDOWN;
            DragUpdate(FDrag->Last);
        }
        if (Key == VK_ESCAPE && Msg == WM_KEYDOWN) EndDrag(false);
    } else if (FSize) {
        if (Key == VK_ESCAPE && Msg == WM_KEYDOWN) EndResize(false);
    }
}

bool TCustomToolWindowX::LoopMessage(TMessage& Message) {
    if (!FDrag && !FSize && !FCloseButtonTracking) return false;
    const TPoint screen = ClientToScreen(LParamToPoint(Message.LParam));
    // The close button: whether the pointer is over it.
    auto over = [&] {
        TRect m = GetNonClientMargins();
        TPoint p = LParamToPoint(Message.LParam);
        TRect button = CloseButtonRect();
        return PtInRect(&button, {p.X + m.Left, p.Y + m.Top});
    };
    auto end = [&](bool Accept) {
        if (FDrag)
            EndDrag(Accept);
        else if (FSize)
            EndResize(Accept);
        else
            EndCloseButton(Accept && over());
    };
    switch (Message.Msg) {
    case WM_MOUSEMOVE:
        if (FDrag)
            DragUpdate(screen);
        else if (FSize)
            ResizeStep(screen);
        else
            SetCloseButtonDown(over());
        return true;
    case WM_LBUTTONUP: end(true); return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: end(false); return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: return true;
    case WM_CAPTURECHANGED:
        // Taken by another window: as if cancelled.
        end(false);
        return false;
    default: return false;
    }
}

void TCustomToolWindowX::LeaveLoop(HHOOK Hook) {
    gLoopBar = nullptr;
    if (Hook) UnhookWindowsHookEx(Hook);
    if (GetCapture() == this) ReleaseCapture();
}

bool TCustomToolWindowX::HandlePress(TMessage& Message) {
    TDockX* dock = GetDockedTo();
    if (!dock && !GetFloating()) return false;
    TPoint p = LParamToPoint(Message.LParam);
    // A press on a control of the bar is the control's; separators let the bar be dragged.
    TRect cr = GetClientRect();
    if (PtInRect(&cr, p))
        if (TControl* c = ControlAtPos(p, false); c && c->GetVisible() && !ChildIsSeparator(c)) return false;
    if (dock && !dock->GetAllowDrag()) return true;
    if (Message.Msg == WM_LBUTTONDBLCLK) {
        DoubleClickBar();
        return true;
    }
    TRect m = FrameMargins();
    StartDrag({p.X + m.Left, p.Y + m.Top});
    return true;
}

void TCustomToolWindowX::DoubleClickBar() {
    if (TDockX* dock = GetDockedTo()) {
        if (FDockMode != dmCanFloat) return;
        TCustomForm* form = FormOf(dock);
        if (!form) return;
        SetParent(form);
        MoveOnScreen(true);
        return;
    }
    if (FLastDock) {
        SetParent(FLastDock);
    } else if (FDefaultDock) {
        FDockRow = 0;
        FDockPos = -8;
        SetParent(FDefaultDock);
    }
}

// ---- Dragging ----------------------------------------------------------------------------------

void TCustomToolWindowX::StartDrag(TPoint Grab) {
    auto d = std::make_unique<TDragState>();
    d->Grab = Grab;
    d->Width = std::max(GetWidth() - 1, 1);
    d->Height = std::max(GetHeight() - 1, 1);
    d->Ctrl = GetKeyState(VK_CONTROL) < 0;
    d->PreventFloat = FDockMode != dmCanFloat;
    d->Current = GetDockedTo();
    d->Form = d->Current ? FormOf(d->Current) : GetFloatingParentForm();
    if (FDockMode == dmCannotFloatOrChangeDocks) {
        if (d->Current) d->Docks.push_back(d->Current);
    } else if (d->Form) {
        std::vector<TDockX*> all;
        CollectDocks(d->Form, all);
        for (TDockX* k : all)
            if (k->IsShowing() && !ContainsControl(k) && k->GetAllowDrag() && FDockableTo.Contains(k->GetPosition()))
                d->Docks.push_back(k);
    }
    TPoint s;
    ArrangeControls(false, FLastOrientation, s, nullptr);
    TRect fm = FloatingMargins();
    d->Sizes.push_back({s.X + fm.Left + fm.Right, s.Y + fm.Top + fm.Bottom});
    for (TDockX* k : d->Docks) {
        if (k == d->Current) {
            d->Sizes.push_back({GetWidth(), GetHeight()});
            continue;
        }
        ArrangeControls(false, FLastOrientation, s, k);
        TRect dm = DockedMargins(k);
        d->Sizes.push_back({s.X + dm.Left + dm.Right, s.Y + dm.Top + dm.Bottom});
    }
    d->SavedCursor = Screen->GetCursor();
    d->FloatingFrame = fm.Left;
    d->TopMargin = fm.Top;
    TRect m = FrameMargins();
    TPoint at = ClientToScreen({Grab.X - m.Left, Grab.Y - m.Top});
    FDrag = d.release();
    gLoopBar = this;
    FDrag->Hook = gLoopHook = SetWindowsHookEx(WH_GETMESSAGE, LoopKeyHook, nullptr, 0);
    SetCapture(this);
    try {
        DragUpdate(at);
    } catch (...) {
        EndDrag(false);
        throw;
    }
}

void TCustomToolWindowX::DragUpdate(TPoint P) {
    TDragState& d = *FDrag;
    d.Last = P;
    auto placeAt = [&](TPoint At, TPoint S) {
        return Bounds(At.X - (S.X - 1) * d.Grab.X / d.Width, At.Y - (S.Y - 1) * d.Grab.Y / d.Height, S.X, S.Y);
    };
    d.Target = nullptr;
    size_t entry = 0;
    if (!d.Ctrl)
        for (size_t i = 0; i < d.Docks.size() && !d.Target; ++i) {
            TDockX* k = d.Docks[i];
            TRect r;
            GetWindowRect(k, r);
            bool vertical = k->GetOrientation() == doVertical;
            if (vertical && r.Width() == 0) r.Right++;
            if (!vertical && r.Height() == 0) r.Bottom++;
            Integer a = 32 * d.Grab.X / d.Width, b = 20 * d.Grab.Y / d.Height;
            bool near = P.X >= r.Left + a - 32 && P.X <= r.Right + a - 1 && P.Y >= r.Top + b - 20 &&
                        P.Y <= r.Bottom + b - 1 && (!vertical || (P.Y >= r.Top && P.Y < r.Bottom));
            TRect placed = placeAt(P, d.Sizes[i + 1]), meet;
            if (!near || !IntersectRect(&meet, &placed, &r)) continue;
            bool accept = true;
            if (k->OnRequestDock) k->OnRequestDock(k, this, accept);
            if (accept) {
                d.Target = k;
                entry = i + 1;
            }
        }
    if (!d.Target) {
        TRect wa = WorkAreaOfPoint(P);
        P.X = std::clamp(P.X, wa.Left, wa.Right - 1);
        P.Y = std::clamp(P.Y, wa.Top, wa.Bottom - 1);
    }
    d.Outline = placeAt(P, d.Sizes[entry]);
    if (!d.Target) {
        // Enough of a floating bar stays on the screen to take hold of it.
        TRect wa = WorkAreaOfPoint(P), in = wa;
        InflateRect(&in, -(d.FloatingFrame + 4), -(d.FloatingFrame + 4));
        Integer dx = 0, dy = 0;
        if (d.Outline.Bottom < in.Top) dy = in.Top - d.Outline.Bottom;
        if (d.Outline.Top > in.Bottom) dy = in.Bottom - d.Outline.Top;
        if (d.Outline.Right < in.Left) dx = in.Left - d.Outline.Right;
        if (d.Outline.Left > in.Right) dx = in.Right - d.Outline.Left;
        OffsetRect(&d.Outline, dx, dy);
        Integer highest = wa.Top - (d.TopMargin - 4);
        if (d.Outline.Top < highest) OffsetRect(&d.Outline, 0, highest - d.Outline.Top);
    }
    if (!d.Target && d.PreventFloat) {
        d.Outline = {};
        Screen->SetCursor(crNo);
    } else {
        Screen->SetCursor(d.SavedCursor);
    }
    ShowDragOutline(d.Overlay, d.Outline, d.Target ? 1 : d.FloatingFrame);
}

void TCustomToolWindowX::EndDrag(bool Drop) {
    if (!FDrag) return;
    std::unique_ptr<TDragState> d(FDrag);
    FDrag = nullptr;
    LeaveLoop(d->Hook);
    d->Overlay.Hide();
    Screen->SetCursor(d->SavedCursor);
    if (!Drop || IsRectEmpty(&d->Outline)) return;
    if (d->Target) {
        DropOnDock(d->Target, d->Outline);
        return;
    }
    FFloatingPosition = {d->Outline.Left, d->Outline.Top};
    if (GetDocked()) {
        if (d->Form) SetParent(d->Form);
    } else {
        SetBounds(d->Outline.Left, d->Outline.Top, GetWidth(), GetHeight());
    }
    MoveOnScreen(true);
}

void TCustomToolWindowX::DropOnDock(TDockX* Dock, const TRect& Outline) {
    TPoint o = Dock->ClientToScreen({0, 0});
    TRect r = Outline;
    OffsetRect(&r, -o.X, -o.Y);
    const bool vertical = Dock->GetOrientation() == doVertical;
    const Integer centre = vertical ? (r.Left + r.Right) / 2 : (r.Top + r.Bottom) / 2;
    // The row under the centre, or a new row before or after one when it lies at its edge.
    Integer row = -1, pos = 0, lastRow = -1;
    bool insert = false;
    for (Integer i = 0; i <= Dock->GetHighestRow(); ++i) {
        bool used = false;
        for (TCustomToolWindowX* b : Dock->GetVisibleBars())
            if (b != this && b->FDockRow == i) used = true;
        if (!used) continue;
        lastRow = i;
        Integer thickness = Dock->GetRowSize(i, this) + 4;
        if (centre < pos + 5) {
            row = i;
            insert = true;
        } else if (centre < pos + thickness - 5) {
            row = i;
        } else if (centre < pos + thickness) {
            row = i + 1;
            insert = true;
        }
        if (row >= 0) break;
        pos += thickness;
    }
    if (row < 0) row = lastRow + 1;
    Dock->BeginUpdate();
    struct End {
        TDockX* Dock;
        ~End() { Dock->EndUpdate(); }
    } end{Dock};
    auto others = [&](Integer Row) {
        for (TCustomToolWindowX* b : Dock->GetBars())
            if (b != this && b->FDockRow == Row) return true;
        return false;
    };
    if (!insert && FFullSize && others(row)) {
        row += 1;
        insert = true;
    }
    if (insert)
        for (TCustomToolWindowX* b : Dock->GetBars())
            if (b != this && b->FDockRow >= row) b->FDockRow++;
    FDockRow = row;
    FDockPos = vertical ? r.Top : r.Left;
    if (GetDockedTo() != Dock) SetParent(Dock);
    Dock->ArrangeDockedBars(true);
}

// ---- Resizing ----------------------------------------------------------------------------------

Integer TCustomToolWindowX::SizingHitTest(TPoint P) {
    if (!GetFloating() || !FResizable) return HTNOWHERE;
    Integer w = GetWidth(), h = GetHeight();
    TRect m = FloatingMargins();
    Integer fx = m.Left, fy = m.Bottom;
    bool left = P.X < fx, right = P.X >= w - fx - 1, top = P.Y < fy, bottom = P.Y >= h - fy - 1;
    if (!GetParams().ResizeEightCorner) {
        if (top) return HTTOP;
        if (bottom) return HTBOTTOM;
        if (left) return HTLEFT;
        if (right) return HTRIGHT;
        return HTNOWHERE;
    }
    // Near the ends of a band its corner.
    Integer corner = GetSystemMetrics(SM_CYSMCAPTION) + fx - 1;
    if (left || right) {
        if (P.Y < corner) return left ? HTTOPLEFT : HTTOPRIGHT;
        if (P.Y >= h - corner) return left ? HTBOTTOMLEFT : HTBOTTOMRIGHT;
        return left ? HTLEFT : HTRIGHT;
    }
    if (top || bottom) {
        if (P.X < corner) return top ? HTTOPLEFT : HTBOTTOMLEFT;
        if (P.X >= w - corner) return top ? HTTOPRIGHT : HTBOTTOMRIGHT;
        return top ? HTTOP : HTBOTTOM;
    }
    return HTNOWHERE;
}

void TCustomToolWindowX::StartResize(Integer SizeHandle, TPoint StartCursor) {
    auto z = std::make_unique<TSizeState>();
    z->Handle = SizeHandle;
    GetMinimumSize(z->MinWidth, z->MinHeight);
    TRect m = FrameMargins();
    z->MinWidth += m.Left + m.Right;
    z->MinHeight += m.Top + m.Bottom;
    // With one monitor the cursor counts as staying in the work area.
    z->Confine = GetParams().ResizeClipCursor && Screen->GetMonitorCount() <= 1;
    z->Start = z->Rect = GetBoundsRect();
    z->Frame = FloatingMargins().Left;
    FSize = z.release();
    FSize->StartCursor = FSize->Cursor = StartCursor;
    if (FSize->Confine) {
        TRect wa = WorkAreaOfPoint(StartCursor);
        FSize->StartCursor = FSize->Cursor = {std::clamp(StartCursor.X, wa.Left, wa.Right - 1),
                                              std::clamp(StartCursor.Y, wa.Top, wa.Bottom - 1)};
    }
    gLoopBar = this;
    FSize->Hook = gLoopHook = SetWindowsHookEx(WH_GETMESSAGE, LoopKeyHook, nullptr, 0);
    try {
        BeginSizing(SizeHandle);
        SetCapture(this);
        ShowDragOutline(FSize->Overlay, FSize->Rect, FSize->Frame);
    } catch (...) {
        EndResize(false);
        throw;
    }
}

void TCustomToolWindowX::ResizeStep(TPoint P) {
    TSizeState& z = *FSize;
    if (z.Confine) {
        TRect wa = WorkAreaOfPoint(P);
        P = {std::clamp(P.X, wa.Left, wa.Right - 1), std::clamp(P.Y, wa.Top, wa.Bottom - 1)};
    }
    if (P == z.Cursor) return;
    z.Cursor = P;
    const Integer h = z.Handle;
    const bool left = h == 0 || h == 3 || h == 6, right = h == 1 || h == 4 || h == 7;
    const bool top = h >= 2 && h <= 4, bottom = h >= 5;
    Integer dx = P.X - z.StartCursor.X, dy = P.Y - z.StartCursor.Y;
    TRect r = z.Start;
    if (left) r.Left += dx;
    if (right) r.Right += dx;
    if (top) r.Top += dy;
    if (bottom) r.Bottom += dy;
    // Not below the smallest size: the dragged edge goes back.
    if (r.Width() < z.MinWidth) {
        if (left)
            r.Left = r.Right - z.MinWidth;
        else
            r.Right = r.Left + z.MinWidth;
    }
    if (r.Height() < z.MinHeight) {
        if (top)
            r.Top = r.Bottom - z.MinHeight;
        else
            r.Bottom = r.Top + z.MinHeight;
    }
    FSizingCursor = P;
    Sizing(r, z.Start);
    z.Rect = r;
    ShowDragOutline(z.Overlay, z.Rect, z.Frame);
}

void TCustomToolWindowX::EndResize(bool Accepted) {
    if (!FSize) return;
    std::unique_ptr<TSizeState> z(FSize);
    FSize = nullptr;
    LeaveLoop(z->Hook);
    z->Overlay.Hide();
    EndSizing(Accepted);
    if (!Accepted) return;
    BeginArrange();
    try {
        SetBounds(z->Rect.Left, z->Rect.Top, z->Rect.Width(), z->Rect.Height());
    } catch (...) {
        EndArrange();
        throw;
    }
    EndArrange();
    MoveOnScreen(true);
}
