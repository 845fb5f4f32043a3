#include "components/dock.h"

#include <algorithm>

#include "components/tool_window.h"
#include "components/window_print.h"
#include "framework/exceptions.h"
#include "framework/forms.h"
#include "framework/windows_gdi.h"

// ---- The arrangement -------------------------------------------------------------------------

namespace {

Integer HighestRow(const std::vector<TDockBarLayout>& Bars) {
    Integer h = -1;
    for (const TDockBarLayout& b : Bars) h = std::max(h, b.Row);
    return h;
}

bool RowUsed(const std::vector<TDockBarLayout>& Bars, Integer Row, const TDockBarLayout* Except = nullptr) {
    return std::any_of(Bars.begin(), Bars.end(), [&](const TDockBarLayout& b) { return &b != Except && b.Row == Row; });
}

// A row number no bar uses is closed up; the scan goes on with the next number, so of two
// adjacent empty rows the second stays until a later arrangement.
void CloseUpEmptyRows(std::vector<TDockBarLayout>& Bars) {
    Integer highest = HighestRow(Bars);
    for (Integer r = 0; r <= highest; ++r) {
        if (RowUsed(Bars, r)) continue;
        for (TDockBarLayout& b : Bars)
            if (b.Row > r) --b.Row;
        --highest;
    }
}

// A full-size bar sharing its row pushes the other bars of that row and later rows down by one.
void GiveFullSizeBarsOwnRows(std::vector<TDockBarLayout>& Bars) {
    for (Integer r = 0; r <= HighestRow(Bars); ++r)
        for (TDockBarLayout& full : Bars) {
            if (full.Row != r || !full.FullSize || !RowUsed(Bars, r, &full)) continue;
            for (TDockBarLayout& b : Bars)
                if (&b != &full && b.Row >= r) ++b.Row;
        }
}

}  // namespace

TDockArrangeResult ArrangeDockBars(std::vector<TDockBarLayout>& Bars, Integer ClientLength, bool LimitToOneRow,
                                   bool ClipPositions, bool FixAlign, Integer NonClientAcross) {
    TDockArrangeResult res;
    if (std::none_of(Bars.begin(), Bars.end(), [](const TDockBarLayout& b) { return b.Placed; })) {
        res.Thickness = FixAlign ? 1 : 0;
        return res;
    }
    if (LimitToOneRow)
        for (TDockBarLayout& b : Bars) b.Row = 0;
    CloseUpEmptyRows(Bars);
    std::sort(Bars.begin(), Bars.end(), [](const TDockBarLayout& a, const TDockBarLayout& b) {
        return a.Row != b.Row ? a.Row < b.Row : a.Pos < b.Pos;
    });
    GiveFullSizeBarsOwnRows(Bars);
    Integer highest = HighestRow(Bars);
    Integer available = std::max<Integer>(0, ClientLength);
    res.RowSizes.assign(size_t(std::max<Integer>(0, highest + 1)), 0);
    for (TDockBarLayout& b : Bars)
        if (b.Placed) res.RowSizes[size_t(b.Row)] = std::max({res.RowSizes[size_t(b.Row)], b.CrossSize, 8});

    Integer offset = 0;
    for (Integer r = 0; r <= highest; ++r) {
        std::vector<TDockBarLayout*> row;
        for (TDockBarLayout& b : Bars)
            if (b.Placed && b.Row == r) row.push_back(&b);
        // Overlaps: each bar starts where the one before it ends.
        Integer end = 0;
        for (TDockBarLayout* b : row) {
            if (b->FullSize)
                b->Pos = 0;
            else if (b->Pos < end)
                b->Pos = end;
            end = b->Pos + b->Length;
        }
        // Fit: pushed back from the far end first, then never before 0.
        for (TDockBarLayout* b : row) b->ShownPos = b->Pos;
        Integer limit = available;
        for (auto it = row.rbegin(); it != row.rend(); ++it) {
            if ((*it)->FullSize) continue;
            limit -= (*it)->Length;
            if (limit < (*it)->ShownPos) (*it)->ShownPos = limit;
            limit = (*it)->ShownPos;
        }
        Integer start = 0;
        for (TDockBarLayout* b : row) {
            if (b->FullSize) continue;
            if (b->ShownPos < start) b->ShownPos = start;
            start = b->ShownPos + b->Length;
        }
        Integer thickness = res.RowSizes[size_t(r)] ? res.RowSizes[size_t(r)] + 4 : 0;
        for (TDockBarLayout* b : row) {
            if (ClipPositions) b->Pos = b->ShownPos;
            b->RowOffset = offset;
            b->RowThickness = thickness;
            b->ShownLength = b->FullSize ? available : b->Length;
        }
        offset += thickness;
    }
    res.Thickness = offset + NonClientAcross;
    return res;
}

// ---- TDockX --------------------------------------------------------------------------------------

const char* const ToolbarXVersionText = "Lumora docking bars 1.0";

TDockX::TDockX(TComponent* AOwner) : TCustomControl(AOwner), FBackground(new TBitmap) {
    SetAlign(alTop);
    SetColor(clBtnFace);
    SetBounds(0, 0, 150, 0);
}

TDockX::~TDockX() {
    delete FDrawnBackground;
    delete FBackground;
}

void TDockX::SetParent(TWinControl* AParent) {
    for (TWinControl* p = AParent; p; p = p->GetParent())
        if (dynamic_cast<TDockX*>(p) || dynamic_cast<TCustomToolWindowX*>(p))
            throw EInvalidOperation("A TDockX control cannot be placed inside a tool window or another TDockX");
    TCustomControl::SetParent(AParent);
}

void TDockX::SetPosition(TDockPosition Value) {
    if (Value == FPosition) return;
    if (GetControlCount() > 0)
        throw EInvalidOperation("Cannot change Position of a TDockX if it already contains controls");
    FPosition = Value;
    static const TAlign kAlign[] = {alTop, alBottom, alLeft, alRight};
    SetAlign(kAlign[Value]);
}

void TDockX::SetAllowDrag(bool Value) {
    if (Value == FAllowDrag) return;
    FAllowDrag = Value;
    // The bars' drag handles come or go.
    for (TCustomToolWindowX* b : FVisibleBars)
        SetWindowPos(b, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ArrangeDockedBars();
}

void TDockX::SetLimitToOneRow(bool Value) {
    if (Value == FLimitToOneRow) return;
    FLimitToOneRow = Value;
    ArrangeDockedBars();
}

void TDockX::SetFixAlign(bool Value) {
    if (Value == FFixAlign) return;
    FFixAlign = Value;
    ArrangeDockedBars();
}

void TDockX::SetBoundLines(TDockBoundLines Value) {
    if (Value == FBoundLines) return;
    FBoundLines = Value;
    SetWindowPos(this, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ArrangeDockedBars();
}

void TDockX::SetBackground(TBitmap* Value) {
    FBackground->Assign(Value);
    BackgroundChanged();
}

void TDockX::SetBackgroundOnToolbars(bool Value) {
    if (Value == FBackgroundOnToolbars) return;
    FBackgroundOnToolbars = Value;
    BackgroundChanged();
}

void TDockX::SetBackgroundTransparent(bool Value) {
    if (Value == FBackgroundTransparent) return;
    FBackgroundTransparent = Value;
    BackgroundChanged();
}

void TDockX::BackgroundChanged() {
    FDrawnBackgroundValid = false;
    Invalidate();
    for (TCustomToolWindowX* b : FVisibleBars) {
        b->InvalidateFrame();
        b->Invalidate();
    }
}

void TDockX::CMColorChanged(TMessage& Message) {
    TCustomControl::CMColorChanged(Message);
    if (FBackgroundTransparent) BackgroundChanged();
}

void TDockX::CMSysColorChange(TMessage& Message) {
    TCustomControl::CMSysColorChange(Message);
    if (FBackgroundTransparent) BackgroundChanged();
}

TBitmap* TDockX::DrawnBackground() {
    if (!FBackgroundTransparent || FBackground->GetEmpty()) return FBackground;
    if (!FDrawnBackgroundValid) {
        // The dock's colour under the bitmap drawn with its bottom-left colour left out.
        if (!FDrawnBackground) FDrawnBackground = new TBitmap;
        TBitmap see;
        see.Assign(FBackground);
        see.SetTransparentMode(tmAuto);
        see.SetTransparent(true);
        FDrawnBackground->SetSize(FBackground->GetWidth(), FBackground->GetHeight());
        TCanvas* c = FDrawnBackground->GetCanvas();
        c->GetBrush()->SetStyle(bsSolid);
        c->GetBrush()->SetColor(GetColor());
        c->FillRect({0, 0, FBackground->GetWidth(), FBackground->GetHeight()});
        c->Draw(0, 0, &see);
        FDrawnBackgroundValid = true;
    }
    return FDrawnBackground;
}

bool TDockX::PaintBackground(TCanvas* C, const TRect& R, TPoint Origin, bool ForBar) {
    if (ForBar && !FBackgroundOnToolbars) return false;
    TBitmap* bg = DrawnBackground();
    Integer bw = bg->GetWidth(), bh = bg->GetHeight();
    if (bw <= 0 || bh <= 0) return false;
    // The tiles line up on a grid of the dock's parent, so neighbouring docks and bars match.
    TRect m = BoundLineMargins();
    Origin = {Origin.X + GetLeft() + m.Left, Origin.Y + GetTop() + m.Top};
    Integer x0 = -(((Origin.X % bw) + bw) % bw), y0 = -(((Origin.Y % bh) + bh) % bh);
    x0 += (R.Left - x0) / bw * bw;
    y0 += (R.Top - y0) / bh * bh;
    for (Integer y = y0; y < R.Bottom; y += bh)
        for (Integer x = x0; x < R.Right; x += bw) C->Draw(x, y, bg);
    return true;
}

TDockOrientation TDockX::GetOrientation() const {
    return FPosition == dpTop || FPosition == dpBottom ? doHorizontal : doVertical;
}

void TDockX::BeginUpdate() { ++FUpdateCount; }

void TDockX::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    if (FUpdateCount == 0 && FArrangeNeeded) ArrangeDockedBars(FClipPositions);
}

bool TDockX::IsPlaced(TCustomToolWindowX* Bar) { return Bar->GetParent() == this && Bar->GetVisible(); }

TRect TDockX::BoundLineMargins() const {
    return {FBoundLines.Contains(blLeft) ? 1 : 0, FBoundLines.Contains(blTop) ? 1 : 0,
            FBoundLines.Contains(blRight) ? 1 : 0, FBoundLines.Contains(blBottom) ? 1 : 0};
}

void TDockX::ArrangeDockedBars(bool ClipPositions) {
    if (ClipPositions) FClipPositions = true;
    if (FUpdateCount > 0 || IsLoading()) {
        FArrangeNeeded = true;
        return;
    }
    ++FUpdateCount;
    struct Done {
        TDockX* D;
        ~Done() {
            --D->FUpdateCount;
            D->FArrangeNeeded = false;
            D->FClipPositions = false;
        }
    } done{this};
    if (HandleAllocated()) SetWindowPos(this, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    bool horizontal = GetOrientation() == doHorizontal;
    TRect m = BoundLineMargins();
    Integer clientLength = horizontal ? GetWidth() - m.Left - m.Right : GetHeight() - m.Top - m.Bottom;
    Integer ncAcross = horizontal ? m.Top + m.Bottom : m.Left + m.Right;

    std::vector<TDockBarLayout> layout;
    for (size_t i = 0; i < FBars.size(); ++i) {
        TCustomToolWindowX* b = FBars[i];
        TDockBarLayout l;
        l.Row = b->FDockRow;
        l.Pos = b->FDockPos;
        l.Length = horizontal ? b->GetWidth() : b->GetHeight();
        b->GetBarCrossSize(l.CrossSize, GetOrientation());
        l.FullSize = b->FFullSize;
        l.Placed = IsPlaced(b);
        l.Tag = Integer(i);
        layout.push_back(l);
    }
    TDockArrangeResult res = ArrangeDockBars(layout, clientLength, FLimitToOneRow, FClipPositions, FFixAlign, ncAcross);
    FRowSizes = res.RowSizes;
    std::vector<TCustomToolWindowX*> sorted;
    for (const TDockBarLayout& l : layout) {
        TCustomToolWindowX* b = FBars[size_t(l.Tag)];
        sorted.push_back(b);
        b->FDockRow = l.Row;
        b->FDockPos = l.Pos;
        if (!l.Placed) continue;
        ++b->FUpdatingBounds;
        try {
            if (horizontal)
                b->SetBounds(l.ShownPos, l.RowOffset, l.ShownLength, l.RowThickness);
            else
                b->SetBounds(l.RowOffset, l.ShownPos, l.RowThickness, l.ShownLength);
        } catch (...) {
            --b->FUpdatingBounds;
            throw;
        }
        --b->FUpdatingBounds;
    }
    FBars = sorted;
    std::stable_sort(FVisibleBars.begin(), FVisibleBars.end(), [](TCustomToolWindowX* a, TCustomToolWindowX* b) {
        return a->FDockRow != b->FDockRow ? a->FDockRow < b->FDockRow : a->FDockPos < b->FDockPos;
    });
    // Across: a bottom dock keeps its bottom edge, a right dock its right edge.
    Integer t = res.Thickness;
    switch (FPosition) {
    case dpTop: SetBounds(GetLeft(), GetTop(), GetWidth(), t); break;
    case dpBottom: SetBounds(GetLeft(), GetTop() + GetHeight() - t, GetWidth(), t); break;
    case dpLeft: SetBounds(GetLeft(), GetTop(), t, GetHeight()); break;
    case dpRight: SetBounds(GetLeft() + GetWidth() - t, GetTop(), t, GetHeight()); break;
    }
}

Integer TDockX::GetHighestRow() const {
    Integer h = -1;
    for (TCustomToolWindowX* b : FBars) h = std::max(h, b->FDockRow);
    return h;
}

Integer TDockX::GetRowSize(Integer Row, TCustomToolWindowX* DefaultBar) {
    if (Row >= 0 && size_t(Row) < FRowSizes.size() && FRowSizes[size_t(Row)] > 0) return FRowSizes[size_t(Row)];
    Integer s = 0;
    if (DefaultBar) DefaultBar->GetBarCrossSize(s, GetOrientation());
    return s;
}

Integer TDockX::GetRowOf(Integer XY) {
    Integer sum = 0;
    for (size_t r = 0; r < FRowSizes.size(); ++r) {
        if (FRowSizes[r] > 0) sum += FRowSizes[r] + 4;
        if (XY < sum) return Integer(r);
    }
    return Integer(FRowSizes.size());
}

void TDockX::AddBar(TCustomToolWindowX* Bar) {
    if (std::find(FBars.begin(), FBars.end(), Bar) != FBars.end()) return;
    FBars.push_back(Bar);
    Bar->FreeNotification(this);
}

void TDockX::RemoveBar(TCustomToolWindowX* Bar) {
    auto it = std::find(FBars.begin(), FBars.end(), Bar);
    if (it == FBars.end()) return;
    // The free notification stays: the bar may still name this dock (DefaultDock).
    FBars.erase(it);
}

void TDockX::UpdateVisibleBar(TCustomToolWindowX* Bar, bool ForceRemove) {
    auto it = std::find(FVisibleBars.begin(), FVisibleBars.end(), Bar);
    bool want = !ForceRemove && IsPlaced(Bar);
    bool has = it != FVisibleBars.end();
    if (want == has) return;
    if (want)
        FVisibleBars.push_back(Bar);
    else
        FVisibleBars.erase(it);
    // A dock being freed frees its bars: nothing to arrange or report.
    if (IsDestroying()) return;
    ArrangeDockedBars();
    if (OnInsertRemoveBar) OnInsertRemoveBar(this, want, Bar);
}

void TDockX::Loaded() {
    TCustomControl::Loaded();
    ArrangeDockedBars();
}

void TDockX::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    auto* bar = dynamic_cast<TCustomToolWindowX*>(AComponent);
    if (!bar) return;
    auto v = std::find(FVisibleBars.begin(), FVisibleBars.end(), bar);
    if (v != FVisibleBars.end()) FVisibleBars.erase(v);
    auto b = std::find(FBars.begin(), FBars.end(), bar);
    if (b != FBars.end()) FBars.erase(b);
}

void TDockX::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    ArrangeDockedBars();
    if (!IsLoading() && OnResize) OnResize(this);
}

void TDockX::AlignControls(TControl* /*AControl*/, TRect& /*Rect*/) { ArrangeDockedBars(); }

void TDockX::WMNCCalcSize(TMessage& Message) {
    auto* r = reinterpret_cast<TRect*>(Message.LParam);
    if (!r) return;
    TRect m = BoundLineMargins();
    r->Left += m.Left;
    r->Top += m.Top;
    r->Right = std::max(r->Left, r->Right - m.Right);
    r->Bottom = std::max(r->Top, r->Bottom - m.Bottom);
}

void TDockX::WMNCPaint(TMessage& /*Message*/) {
    if (TCanvas* c = GetWindowCanvas()) DrawFrame(c);
}

void TDockX::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PRINT: PrintFramedWindow(this, Message, [this](TCanvas* C) { DrawFrame(C); }); break;
    case WM_PRINTCLIENT: PrintClientArea(this, Message); break;
    default: TCustomControl::Dispatch(Message);
    }
}

void TDockX::DrawFrame(TCanvas* c) {
    TRect m = BoundLineMargins();
    Integer w = GetWidth(), h = GetHeight();
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(GetColor());
    c->FillRect({0, 0, w, m.Top});
    c->FillRect({0, h - m.Bottom, w, h});
    c->FillRect({0, 0, m.Left, h});
    c->FillRect({w - m.Right, 0, w, h});
    // The lines show only while a bar is on the dock.
    if (FVisibleBars.empty()) return;
    auto line = [&](TColor colour, TRect r) {
        c->GetBrush()->SetColor(colour);
        c->FillRect(r);
    };
    if (m.Top) line(clBtnShadow, {0, 0, w, 1});
    if (m.Left) line(clBtnShadow, {0, 0, 1, h});
    if (m.Bottom) line(clBtnHighlight, {0, h - 1, w, h});
    if (m.Right) line(clBtnHighlight, {w - 1, 0, w, h});
}

void TDockX::Paint() {
    TCanvas* c = GetCanvas();
    TRect r = GetClientRect();
    if (PaintBackground(c, r, {0, 0}, false)) return;
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(GetColor());
    c->FillRect(r);
}
