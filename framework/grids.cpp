#include "framework/grids.h"

#include <algorithm>

#include "framework/control_paint.h"
#include "framework/forms.h"
#include "framework/timer.h"
#include "framework/window_backend.h"
#include "framework/windows_gdi.h"

using lumora_detail::IsLiveControl;

namespace {
constexpr UINT_PTR kSelectTimer = 1;

[[noreturn]] void InvalidOp(const char* Message) { throw EInvalidGridOperation(Message); }

bool InRect(const TGridRect& R, Integer X, Integer Y) {
    return X >= R.Left && X <= R.Right && Y >= R.Top && Y <= R.Bottom;
}
}  // namespace

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks});
    FOptions = {goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    FFixedColor = clBtnFace;
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, FDefaultColWidth * 5, FDefaultRowHeight * 5);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    lumora_paint::AddBorderStyle(Params, FBorderStyle, GetCtl3D());
}

void TCustomGrid::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateScrollRange();
}

// ---- Geometry --------------------------------------------------------------------------------

TCustomGrid::TAxis TCustomGrid::ColAxis() const {
    TAxis a;
    a.Count = FColCount;
    a.Fixed = FFixedCols;
    a.Default = FDefaultColWidth;
    a.Sizes = &FColWidths;
    return a;
}

TCustomGrid::TAxis TCustomGrid::RowAxis() const {
    TAxis a;
    a.Count = FRowCount;
    a.Fixed = FFixedRows;
    a.Default = FDefaultRowHeight;
    a.Sizes = &FRowHeights;
    return a;
}

Integer TCustomGrid::ExtentOf(const TAxis& Axis, Integer From, Integer To) const {
    Integer e = 0;
    for (Integer i = From; i < To; ++i) e += Axis.Size(i) + FGridLineWidth;
    return e;
}

Integer TCustomGrid::FixedExtent(const TAxis& Axis) const { return ExtentOf(Axis, 0, Axis.Fixed); }

Integer TCustomGrid::LastVisible(const TAxis& Axis, Integer First, Integer Space) const {
    Integer pos = FixedExtent(Axis);
    Integer last = First - 1;
    for (Integer i = First; i < Axis.Count; ++i) {
        pos += Axis.Size(i) + FGridLineWidth;
        if (pos - FGridLineWidth > Space) break;
        last = i;
    }
    return last;
}

Integer TCustomGrid::MaxTopLeft(const TAxis& Axis, Integer Space) const {
    Integer room = Space - FixedExtent(Axis);
    Integer first = Axis.Count;
    Integer used = 0;
    while (first > Axis.Fixed) {
        Integer next = used + Axis.Size(first - 1) + FGridLineWidth;
        if (next - FGridLineWidth > room && first < Axis.Count) break;
        used = next;
        --first;
    }
    return std::max(Axis.Fixed, std::min(first, Axis.Count - 1));
}

Integer TCustomGrid::CellStart(const TAxis& Axis, Integer First, Integer Index) const {
    if (Index < Axis.Fixed) return ExtentOf(Axis, 0, Index);
    if (Index < First) return -1;
    return FixedExtent(Axis) + ExtentOf(Axis, First, Index);
}

Integer TCustomGrid::CoordFromPoint(const TAxis& Axis, Integer First, Integer P) const {
    if (P < 0) return -1;
    Integer pos = 0;
    for (Integer i = 0; i < Axis.Fixed; ++i) {
        pos += Axis.Size(i) + FGridLineWidth;
        if (P < pos) return i;
    }
    for (Integer i = First; i < Axis.Count; ++i) {
        pos += Axis.Size(i) + FGridLineWidth;
        if (P < pos) return i;
    }
    return -1;
}

TRect TCustomGrid::CellRect(Integer ACol, Integer ARow) {
    if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount) return {};
    TAxis h = ColAxis(), v = RowAxis();
    Integer x = CellStart(h, FTopLeft.X, ACol), y = CellStart(v, FTopLeft.Y, ARow);
    if (x < 0 || y < 0) return {};
    TRect cr = GetClientRect();
    if (x >= cr.Right || y >= cr.Bottom) return {};
    return {x, y, std::min(x + h.Size(ACol), cr.Right), std::min(y + v.Size(ARow), cr.Bottom)};
}

TGridCoord TCustomGrid::MouseCoord(Integer X, Integer Y) {
    TRect cr = GetClientRect();
    if (X >= cr.Right || Y >= cr.Bottom) return {-1, -1};
    TGridCoord c{CoordFromPoint(ColAxis(), FTopLeft.X, X), CoordFromPoint(RowAxis(), FTopLeft.Y, Y)};
    if (c.X < 0 || c.Y < 0) return {-1, -1};
    return c;
}

void TCustomGrid::MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow) {
    TGridCoord c = MouseCoord(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

Integer TCustomGrid::GetVisibleColCount() {
    return std::max(0, LastVisible(ColAxis(), FTopLeft.X, GetClientWidth()) - FTopLeft.X + 1);
}

Integer TCustomGrid::GetVisibleRowCount() {
    return std::max(0, LastVisible(RowAxis(), FTopLeft.Y, GetClientHeight()) - FTopLeft.Y + 1);
}

// ---- Sizes -----------------------------------------------------------------------------------

void TCustomGrid::ChangeSize(Integer NewColCount, Integer NewRowCount) {
    Integer oldCols = FColCount, oldRows = FRowCount;
    if (NewColCount == oldCols && NewRowCount == oldRows) return;
    FColCount = NewColCount;
    FRowCount = NewRowCount;
    if (!FColWidths.empty()) FColWidths.resize(size_t(NewColCount), FDefaultColWidth);
    if (!FRowHeights.empty()) FRowHeights.resize(size_t(NewRowCount), FDefaultRowHeight);
    // The current cell, the anchor and the view stay inside the grid.
    auto clampCoord = [&](TGridCoord& c) {
        c.X = std::clamp(c.X, FFixedCols, std::max(FFixedCols, FColCount - 1));
        c.Y = std::clamp(c.Y, FFixedRows, std::max(FFixedRows, FRowCount - 1));
    };
    clampCoord(FCurrent);
    clampCoord(FAnchor);
    TGridCoord oldTopLeft = FTopLeft;
    TAxis h = ColAxis(), v = RowAxis();
    FTopLeft.X = std::clamp(FTopLeft.X, FFixedCols, MaxTopLeft(h, GetClientWidth()));
    FTopLeft.Y = std::clamp(FTopLeft.Y, FFixedRows, MaxTopLeft(v, GetClientHeight()));
    SizeChanged(oldCols, oldRows);
    UpdateScrollRange();
    Invalidate();
    if (!(oldTopLeft == FTopLeft)) TopLeftChanged();
}

void TCustomGrid::SetColCount(Integer Value) {
    if (Value < 1) Value = 1;
    if (Value == FColCount) return;
    if (Value <= FFixedCols) FFixedCols = Value - 1;
    ChangeSize(Value, FRowCount);
}

void TCustomGrid::SetRowCount(Integer Value) {
    if (Value < 1) Value = 1;
    if (Value == FRowCount) return;
    if (Value <= FFixedRows) FFixedRows = Value - 1;
    ChangeSize(FColCount, Value);
}

void TCustomGrid::SetFixedCols(Integer Value) {
    if (Value < 0) InvalidOp("Grid index out of range");
    if (Value >= FColCount) InvalidOp("Fixed column count must be less than column count");
    if (Value == FFixedCols) return;
    FFixedCols = Value;
    FCurrent.X = std::max(FCurrent.X, Value);
    FAnchor.X = std::max(FAnchor.X, Value);
    FTopLeft.X = std::clamp(FTopLeft.X, Value, MaxTopLeft(ColAxis(), GetClientWidth()));
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetFixedRows(Integer Value) {
    if (Value < 0) InvalidOp("Grid index out of range");
    if (Value >= FRowCount) InvalidOp("Fixed row count must be less than row count");
    if (Value == FFixedRows) return;
    FFixedRows = Value;
    FCurrent.Y = std::max(FCurrent.Y, Value);
    FAnchor.Y = std::max(FAnchor.Y, Value);
    FTopLeft.Y = std::clamp(FTopLeft.Y, Value, MaxTopLeft(RowAxis(), GetClientHeight()));
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(Integer Value) {
    if (Value == FDefaultColWidth) return;
    FDefaultColWidth = Value;
    FColWidths.clear();
    ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(Integer Value) {
    if (Value == FDefaultRowHeight) return;
    FDefaultRowHeight = Value;
    FRowHeights.clear();
    RowHeightsChanged();
}

Integer TCustomGrid::GetColWidths(Integer Index) const {
    if (Index < 0 || Index >= FColCount) return FDefaultColWidth;
    return FColWidths.empty() ? FDefaultColWidth : FColWidths[size_t(Index)];
}

void TCustomGrid::SetColWidths(Integer Index, Integer Value) {
    if (Index < 0 || Index >= FColCount) InvalidOp("Grid index out of range");
    if (FColWidths.empty()) FColWidths.assign(size_t(FColCount), FDefaultColWidth);
    if (FColWidths[size_t(Index)] == Value) return;
    FColWidths[size_t(Index)] = Value;
    ColWidthsChanged();
}

Integer TCustomGrid::GetRowHeights(Integer Index) const {
    if (Index < 0 || Index >= FRowCount) return FDefaultRowHeight;
    return FRowHeights.empty() ? FDefaultRowHeight : FRowHeights[size_t(Index)];
}

void TCustomGrid::SetRowHeights(Integer Index, Integer Value) {
    if (Index < 0 || Index >= FRowCount) InvalidOp("Grid index out of range");
    if (FRowHeights.empty()) FRowHeights.assign(size_t(FRowCount), FDefaultRowHeight);
    if (FRowHeights[size_t(Index)] == Value) return;
    FRowHeights[size_t(Index)] = Value;
    RowHeightsChanged();
}

void TCustomGrid::ColWidthsChanged() {
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::RowHeightsChanged() {
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetGridLineWidth(Integer Value) {
    if (Value < 0 || Value == FGridLineWidth) return;
    FGridLineWidth = Value;
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions Value) {
    if (FOptions == Value) return;
    FOptions = Value;
    if (Value.Contains(goRowSelect)) FAnchor = FCurrent;
    Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
    if (FScrollBars == Value) return;
    FScrollBars = Value;
    UpdateScrollRange();
}

void TCustomGrid::SetDefaultDrawing(bool Value) {
    FDefaultDrawing = Value;
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor Value) {
    FFixedColor = Value;
    Invalidate();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
    FrameChanged();
}

// ---- Current cell, selection and view --------------------------------------------------------

TGridRect TCustomGrid::NormalRect() const {
    TGridRect r{std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y), std::max(FAnchor.X, FCurrent.X),
                std::max(FAnchor.Y, FCurrent.Y)};
    if (FOptions.Contains(goRowSelect)) {
        r.Left = FFixedCols;
        r.Right = FColCount - 1;
    }
    return r;
}

TGridRect TCustomGrid::GetSelection() const { return NormalRect(); }

void TCustomGrid::SetSelection(TGridRect Value) {
    TGridRect old = NormalRect();
    FAnchor = {Value.Left, Value.Top};
    FCurrent = {Value.Right, Value.Bottom};
    SelectionMoved(old);
}

void TCustomGrid::SelectionMoved(const TGridRect& OldSel) {
    if (!(OldSel == NormalRect())) Invalidate();
}

void TCustomGrid::MoveCurrent(Integer ACol, Integer ARow, bool MoveAnchor, bool Show) {
    if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount) InvalidOp("Grid index out of range");
    if (!SelectCell(ACol, ARow)) return;
    TGridRect old = NormalRect();
    TGridCoord oldCurrent = FCurrent;
    FCurrent = {ACol, ARow};
    if (MoveAnchor || !FOptions.Contains(goRangeSelect)) FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FCurrent.X = FFixedCols;
    if (Show) ClampInView(FCurrent);
    SelectionMoved(old);
    InvalidateCell(oldCurrent.X, oldCurrent.Y);
    InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TCustomGrid::MoveAnchor(const TGridCoord& NewAnchor) {
    if (!FOptions.Contains(goRangeSelect)) {
        MoveCurrent(NewAnchor.X, NewAnchor.Y, true, true);
        return;
    }
    TGridRect old = NormalRect();
    FAnchor = NewAnchor;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
    ClampInView(NewAnchor);
    SelectionMoved(old);
}

void TCustomGrid::FocusCell(Integer ACol, Integer ARow, bool MoveAnchor) {
    MoveCurrent(ACol, ARow, MoveAnchor, true);
    Click();
}

void TCustomGrid::SetCol(Integer Value) {
    if (Value != FCurrent.X) FocusCell(Value, FCurrent.Y, true);
}

void TCustomGrid::SetRow(Integer Value) {
    if (Value != FCurrent.Y) FocusCell(FCurrent.X, Value, true);
}

void TCustomGrid::MoveTopLeft(Integer ALeft, Integer ATop) {
    ALeft = std::clamp(ALeft, FFixedCols, MaxTopLeft(ColAxis(), GetClientWidth()));
    ATop = std::clamp(ATop, FFixedRows, MaxTopLeft(RowAxis(), GetClientHeight()));
    if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
    FTopLeft = {ALeft, ATop};
    UpdateScrollRange();
    Invalidate();
    TopLeftChanged();
}

void TCustomGrid::SetTopRow(Integer Value) { MoveTopLeft(FTopLeft.X, Value); }
void TCustomGrid::SetLeftCol(Integer Value) { MoveTopLeft(Value, FTopLeft.Y); }

void TCustomGrid::ClampInView(const TGridCoord& Coord) {
    if (!HandleAllocated() || GetClientWidth() <= 0 || GetClientHeight() <= 0) return;
    TGridCoord tl = FTopLeft;
    auto clamp = [&](const TAxis& axis, Integer& first, Integer index, Integer space) {
        if (index < axis.Fixed) return;
        if (index < first) {
            first = index;
            return;
        }
        if (index <= LastVisible(axis, first, space)) return;
        // The cell becomes the last one in view.
        Integer room = space - FixedExtent(axis);
        Integer f = index;
        Integer used = axis.Size(index) + FGridLineWidth;
        while (f > axis.Fixed && used + axis.Size(f - 1) <= room) {
            --f;
            used += axis.Size(f) + FGridLineWidth;
        }
        first = f;
    };
    clamp(ColAxis(), tl.X, Coord.X, GetClientWidth());
    clamp(RowAxis(), tl.Y, Coord.Y, GetClientHeight());
    MoveTopLeft(tl.X, tl.Y);
}

void TCustomGrid::MoveColumn(Integer FromIndex, Integer ToIndex) {
    if (FromIndex == ToIndex) return;
    if (!FColWidths.empty()) {
        Integer w = FColWidths[size_t(FromIndex)];
        FColWidths.erase(FColWidths.begin() + FromIndex);
        FColWidths.insert(FColWidths.begin() + ToIndex, w);
    }
    ColumnMoved(FromIndex, ToIndex);
    Invalidate();
}

void TCustomGrid::MoveRow(Integer FromIndex, Integer ToIndex) {
    if (FromIndex == ToIndex) return;
    if (!FRowHeights.empty()) {
        Integer h = FRowHeights[size_t(FromIndex)];
        FRowHeights.erase(FRowHeights.begin() + FromIndex);
        FRowHeights.insert(FRowHeights.begin() + ToIndex, h);
    }
    RowMoved(FromIndex, ToIndex);
    Invalidate();
}

void TCustomGrid::InvalidateCell(Integer ACol, Integer ARow) {
    if (!HandleAllocated()) return;
    TRect r = CellRect(ACol, ARow);
    if (r.Right <= r.Left) return;
    InflateRect(&r, FGridLineWidth, FGridLineWidth);
    InvalidateRect(&r, false);
}

void TCustomGrid::InvalidateCol(Integer ACol) {
    if (!HandleAllocated()) return;
    TRect r = CellRect(ACol, FTopLeft.Y);
    if (r.Right <= r.Left) r = CellRect(ACol, 0);
    if (r.Right <= r.Left) return;
    TRect c{r.Left - FGridLineWidth, 0, r.Right + FGridLineWidth, GetClientHeight()};
    InvalidateRect(&c, false);
}

void TCustomGrid::InvalidateRow(Integer ARow) {
    if (!HandleAllocated()) return;
    TRect r = CellRect(FTopLeft.X, ARow);
    if (r.Right <= r.Left) r = CellRect(0, ARow);
    if (r.Right <= r.Left) return;
    TRect c{0, r.Top - FGridLineWidth, GetClientWidth(), r.Bottom + FGridLineWidth};
    InvalidateRect(&c, false);
}

// ---- Scroll bars -----------------------------------------------------------------------------

void TCustomGrid::UpdateScrollRange() {
    if (!HandleAllocated() || IsDestroying()) return;
    // Twice: a bar that appears narrows the other way.
    for (int pass = 0; pass < 2; ++pass) {
        for (int bar = 0; bar < 2; ++bar) {
            bool vertical = bar == 1;
            TAxis axis = vertical ? RowAxis() : ColAxis();
            bool allowed = FScrollBars == ssBoth || FScrollBars == (vertical ? ssVertical : ssHorizontal);
            Integer space = vertical ? GetClientHeight() : GetClientWidth();
            Integer maxTop = MaxTopLeft(axis, space);
            TScrollInfo si;
            si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            si.nMin = axis.Fixed;
            si.nMax = allowed ? std::max(axis.Fixed, axis.Count - 1) : axis.Fixed;
            si.nPage = allowed ? UINT(std::max(1, axis.Count - maxTop)) : 1;
            si.nPos = vertical ? FTopLeft.Y : FTopLeft.X;
            SetScrollInfo(this, vertical ? SB_VERT : SB_HORZ, si, true);
        }
    }
    TGridCoord tl{std::clamp(FTopLeft.X, FFixedCols, MaxTopLeft(ColAxis(), GetClientWidth())),
                  std::clamp(FTopLeft.Y, FFixedRows, MaxTopLeft(RowAxis(), GetClientHeight()))};
    if (!(tl == FTopLeft)) {
        FTopLeft = tl;
        Invalidate();
        TopLeftChanged();
    }
}

void TCustomGrid::ScrollMessage(TMessage& Message, bool Vertical) {
    Integer pos = Vertical ? FTopLeft.Y : FTopLeft.X;
    Integer page = std::max(1, Vertical ? GetVisibleRowCount() : GetVisibleColCount());
    switch (ScrollCode(Message)) {
    case SB_LINEUP: --pos; break;
    case SB_LINEDOWN: ++pos; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBPOSITION: pos = ScrollPos(Message); break;
    case SB_THUMBTRACK:
        if (!FOptions.Contains(goThumbTracking)) return;
        pos = ScrollPos(Message);
        break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = Vertical ? FRowCount : FColCount; break;
    default: return;
    }
    if (Vertical)
        MoveTopLeft(FTopLeft.X, pos);
    else
        MoveTopLeft(pos, FTopLeft.Y);
}

void TCustomGrid::WMVScroll(TMessage& Message) { ScrollMessage(Message, true); }
void TCustomGrid::WMHScroll(TMessage& Message) { ScrollMessage(Message, false); }

void TCustomGrid::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    UpdateScrollRange();
    Invalidate();
}

// ---- Painting --------------------------------------------------------------------------------

void TCustomGrid::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TCustomGrid::Paint() {
    TCanvas* c = GetCanvas();
    TRect cr = GetClientRect();
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(GetColor());
    c->FillRect(cr);
    TAxis h = ColAxis(), v = RowAxis();
    auto visible = [&](const TAxis& axis, Integer first, Integer space) {
        std::vector<Integer> cells;
        Integer pos = 0;
        for (Integer i = 0; i < axis.Fixed && pos < space; ++i) {
            cells.push_back(i);
            pos += axis.Size(i) + FGridLineWidth;
        }
        for (Integer i = first; i < axis.Count && pos < space; ++i) {
            cells.push_back(i);
            pos += axis.Size(i) + FGridLineWidth;
        }
        return cells;
    };
    std::vector<Integer> cols = visible(h, FTopLeft.X, cr.Right), rows = visible(v, FTopLeft.Y, cr.Bottom);
    bool focused = Focused();
    TGridRect sel = NormalRect();
    TColor lineColour = ColorToRGB(GetColor()) == ColorToRGB(clSilver) ? clGray : clSilver;
    Integer gridRight = 0, gridBottom = 0;
    for (Integer row : rows) {
        for (Integer col : cols) {
            TRect r = CellRect(col, row);
            if (r.Right <= r.Left || r.Bottom <= r.Top) continue;
            gridRight = std::max(gridRight, r.Right + FGridLineWidth);
            gridBottom = std::max(gridBottom, r.Bottom + FGridLineWidth);
            bool fixed = col < FFixedCols || row < FFixedRows;
            TGridDrawState state;
            if (fixed) {
                state.Include(gdFixed);
            } else {
                bool current = focused && row == FCurrent.Y && col == FCurrent.X;
                if (current) state.Include(gdFocused);
                bool inSel = InRect(sel, col, row);
                if (inSel && (!current || FOptions.Contains(goDrawFocusSelected) || FOptions.Contains(goRowSelect)))
                    state.Include(gdSelected);
            }
            c->SetFont(GetFont());
            c->GetPen()->SetStyle(psSolid);
            c->GetBrush()->SetStyle(bsSolid);
            c->GetBrush()->SetColor(fixed ? FFixedColor : GetColor());
            if (FDefaultDrawing) {
                if (state.Contains(gdSelected)) {
                    c->GetBrush()->SetColor(clHighlight);
                    c->GetFont()->SetColor(clHighlightText);
                }
                c->FillRect(r);
            }
            {
                lumora_paint::TClipScope clip(c, r);
                DrawCell(col, row, r, state);
            }
            if (!IsLiveControl(this)) return;
            if (FDefaultDrawing && fixed && GetCtl3D() && FGridLineWidth > 0) {
                TRect e = r;
                DrawEdge(c->GetHandle(), &e, BDR_RAISEDINNER, BF_RECT);
            }
            if (FDefaultDrawing && state.Contains(gdFocused) && !FOptions.Contains(goRowSelect)) {
                c->GetBrush()->SetStyle(bsSolid);
                c->GetBrush()->SetColor(GetColor());
                c->GetFont()->SetColor(GetFont()->GetColor());
                c->DrawFocusRect(r);
            }
        }
    }
    // Grid lines after each cell.
    if (FGridLineWidth > 0) {
        c->GetBrush()->SetStyle(bsSolid);
        for (Integer col : cols) {
            TRect r = CellRect(col, rows.empty() ? 0 : rows.front());
            if (r.Right <= r.Left) continue;
            bool fixed = col < FFixedCols;
            if (!(fixed ? FOptions.Contains(goFixedVertLine) : FOptions.Contains(goVertLine))) continue;
            c->GetBrush()->SetColor(fixed ? TColor(clBlack) : lineColour);
            c->FillRect({r.Left + h.Size(col), 0, r.Left + h.Size(col) + FGridLineWidth, gridBottom});
        }
        for (Integer row : rows) {
            TRect r = CellRect(cols.empty() ? 0 : cols.front(), row);
            if (r.Bottom <= r.Top) continue;
            bool fixed = row < FFixedRows;
            if (!(fixed ? FOptions.Contains(goFixedHorzLine) : FOptions.Contains(goHorzLine))) continue;
            c->GetBrush()->SetColor(fixed ? TColor(clBlack) : lineColour);
            c->FillRect({0, r.Top + v.Size(row), gridRight, r.Top + v.Size(row) + FGridLineWidth});
        }
    }
}

// ---- Input -----------------------------------------------------------------------------------

Integer TCustomGrid::SizingIndex(Integer X, Integer Y, bool& Column) {
    TAxis h = ColAxis(), v = RowAxis();
    if (FOptions.Contains(goColSizing) && Y < FixedExtent(v)) {
        for (Integer col = 0; col < FColCount; ++col) {
            TRect r = CellRect(col, 0);
            if (r.Right <= r.Left) continue;
            Integer edge = r.Left + h.Size(col);
            if (std::abs(X - edge) <= 2) {
                Column = true;
                return col;
            }
        }
    }
    if (FOptions.Contains(goRowSizing) && X < FixedExtent(h)) {
        for (Integer row = 0; row < FRowCount; ++row) {
            TRect r = CellRect(0, row);
            if (r.Bottom <= r.Top) continue;
            Integer edge = r.Top + v.Size(row);
            if (std::abs(Y - edge) <= 2) {
                Column = false;
                return row;
            }
        }
    }
    return -1;
}

void TCustomGrid::WMSetCursor(TMessage& Message) {
    if (int16_t(LOWORD(Message.LParam)) == HTCLIENT && FGridState == gsNormal) {
        TPoint p = ScreenToClient(GetMessagePos());
        bool column = false;
        if (SizingIndex(p.X, p.Y, column) >= 0) {
            SetCursorShape(column ? crHSplit : crVSplit);
            Message.Result = 1;
            return;
        }
    }
    TCustomControl::WMSetCursor(Message);
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (CanFocus() && !Focused()) {
        SetFocus();
        if (!IsLiveControl(this)) return;
    }
    if (Button == mbLeft && Shift.Contains(ssDouble)) {
        DblClick();
    } else if (Button == mbLeft) {
        bool column = false;
        Integer index = SizingIndex(X, Y, column);
        if (index >= 0) {
            FGridState = column ? gsColSizing : gsRowSizing;
            FSizingIndex = index;
            FSizingPos = column ? X : Y;
            FSizingOffset = column ? GetColWidths(index) - X : GetRowHeights(index) - Y;
        } else {
            TGridCoord hit = MouseCoord(X, Y);
            if (hit.X >= FFixedCols && hit.Y >= FFixedRows) {
                if (Shift.Contains(ssShift))
                    MoveAnchor(hit);
                else
                    MoveCurrent(hit.X, hit.Y, true, true);
                FGridState = gsSelecting;
                FMovePoint = {X, Y};
                SetTimer(this, kSelectTimer, 60);
            }
        }
    }
    if (IsLiveControl(this)) TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    switch (FGridState) {
    case gsSelecting: {
        FMovePoint = {X, Y};
        TGridCoord hit = MouseCoord(X, Y);
        if (hit.X >= FFixedCols && hit.Y >= FFixedRows) {
            if (FOptions.Contains(goRangeSelect))
                MoveAnchor(hit);
            else
                MoveCurrent(hit.X, hit.Y, true, true);
        }
        break;
    }
    case gsColSizing: SetColWidths(FSizingIndex, std::max(1, X + FSizingOffset)); break;
    case gsRowSizing: SetRowHeights(FSizingIndex, std::max(1, Y + FSizingOffset)); break;
    default: break;
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TGridState state = FGridState;
    FGridState = gsNormal;
    if (state == gsSelecting) {
        KillTimer(this, kSelectTimer);
        Click();
    }
    if (IsLiveControl(this)) TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::WMTimer(TMessage& Message) {
    if (Message.WParam != kSelectTimer || FGridState != gsSelecting) {
        TCustomControl::WMTimer(Message);
        return;
    }
    // Selecting beyond the edge scrolls towards the mouse.
    TRect cr = GetClientRect();
    Integer dx = FMovePoint.X < 0 ? -1 : FMovePoint.X >= cr.Right ? 1 : 0;
    Integer dy = FMovePoint.Y < 0 ? -1 : FMovePoint.Y >= cr.Bottom ? 1 : 0;
    if (dx == 0 && dy == 0) return;
    MoveTopLeft(FTopLeft.X + dx, FTopLeft.Y + dy);
    TGridCoord target = FOptions.Contains(goRangeSelect) ? FAnchor : FCurrent;
    target.X = std::clamp(target.X + dx, FFixedCols, FColCount - 1);
    target.Y = std::clamp(target.Y + dy, FFixedRows, FRowCount - 1);
    if (FOptions.Contains(goRangeSelect))
        MoveAnchor(target);
    else
        MoveCurrent(target.X, target.Y, true, true);
}

void TCustomGrid::CMCancelMode(TMessage& Message) {
    if (FGridState != gsNormal) {
        FGridState = gsNormal;
        KillTimer(this, kSelectTimer);
    }
    TCustomControl::CMCancelMode(Message);
}

void TCustomGrid::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    TGridCoord newTopLeft = FTopLeft, newCurrent = FCurrent;
    Integer pageWidth = std::max(1, GetVisibleColCount());
    Integer pageHeight = std::max(1, GetVisibleRowCount());
    bool rowSelect = FOptions.Contains(goRowSelect);
    bool handled = true;
    if (Shift.Contains(ssCtrl)) {
        switch (Key) {
        case VK_UP: --newTopLeft.Y; break;
        case VK_DOWN: ++newTopLeft.Y; break;
        case VK_LEFT:
            if (!rowSelect) {
                newCurrent.X -= pageWidth;
                newTopLeft.X -= pageWidth;
            }
            break;
        case VK_RIGHT:
            if (!rowSelect) {
                newCurrent.X += pageWidth;
                newTopLeft.X += pageWidth;
            }
            break;
        case VK_PRIOR: newCurrent.Y = FTopLeft.Y; break;
        case VK_NEXT: newCurrent.Y = FTopLeft.Y + pageHeight - 1; break;
        case VK_HOME:
            newCurrent.X = FFixedCols;
            newCurrent.Y = FFixedRows;
            break;
        case VK_END:
            newCurrent.X = FColCount - 1;
            newCurrent.Y = FRowCount - 1;
            break;
        default: handled = false; break;
        }
    } else {
        switch (Key) {
        case VK_UP: --newCurrent.Y; break;
        case VK_DOWN: ++newCurrent.Y; break;
        case VK_LEFT:
            if (rowSelect) --newCurrent.Y;
            else --newCurrent.X;
            break;
        case VK_RIGHT:
            if (rowSelect) ++newCurrent.Y;
            else ++newCurrent.X;
            break;
        case VK_NEXT:
            newCurrent.Y += pageHeight;
            newTopLeft.Y += pageHeight;
            break;
        case VK_PRIOR:
            newCurrent.Y -= pageHeight;
            newTopLeft.Y -= pageHeight;
            break;
        case VK_HOME:
            if (rowSelect) newCurrent.Y = FFixedRows;
            else newCurrent.X = FFixedCols;
            break;
        case VK_END:
            if (rowSelect) newCurrent.Y = FRowCount - 1;
            else newCurrent.X = FColCount - 1;
            break;
        case VK_TAB:
            if (!FOptions.Contains(goTabs) || Shift.Contains(ssAlt)) {
                handled = false;
                break;
            }
            if (Shift.Contains(ssShift)) {
                if (--newCurrent.X < FFixedCols) {
                    newCurrent.X = FColCount - 1;
                    if (--newCurrent.Y < FFixedRows) newCurrent.Y = FRowCount - 1;
                }
                Shift = {};
            } else if (++newCurrent.X >= FColCount) {
                newCurrent.X = FFixedCols;
                if (++newCurrent.Y >= FRowCount) newCurrent.Y = FFixedRows;
            }
            break;
        default: handled = false; break;
        }
    }
    if (!handled) return;
    newTopLeft.X = std::clamp(newTopLeft.X, FFixedCols, MaxTopLeft(ColAxis(), GetClientWidth()));
    newTopLeft.Y = std::clamp(newTopLeft.Y, FFixedRows, MaxTopLeft(RowAxis(), GetClientHeight()));
    if (!(newTopLeft == FTopLeft)) MoveTopLeft(newTopLeft.X, newTopLeft.Y);
    newCurrent.X = std::clamp(newCurrent.X, FFixedCols, FColCount - 1);
    newCurrent.Y = std::clamp(newCurrent.Y, FFixedRows, FRowCount - 1);
    if (!(newCurrent == FCurrent)) FocusCell(newCurrent.X, newCurrent.Y, !Shift.Contains(ssShift));
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
    if (FCurrent.Y < FRowCount - 1) SetRow(FCurrent.Y + 1);
    return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
    if (FCurrent.Y > FFixedRows) SetRow(FCurrent.Y - 1);
    return true;
}

void TCustomGrid::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS | (FOptions.Contains(goTabs) ? DLGC_WANTTAB : 0);
}

void TCustomGrid::WMSetFocus(TMessage& Message) {
    TCustomControl::WMSetFocus(Message);
    Invalidate();
}

void TCustomGrid::WMKillFocus(TMessage& Message) {
    TCustomControl::WMKillFocus(Message);
    Invalidate();
}

void TCustomGrid::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    Invalidate();
}

// ---- TDrawGrid -------------------------------------------------------------------------------

void TDrawGrid::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) {
    if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

bool TDrawGrid::SelectCell(Integer ACol, Integer ARow) {
    bool can = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
    return can;
}

void TDrawGrid::TopLeftChanged() {
    TCustomGrid::TopLeftChanged();
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TDrawGrid::ColumnMoved(Integer FromIndex, Integer ToIndex) {
    if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::RowMoved(Integer FromIndex, Integer ToIndex) {
    if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}
