// Sizing in the tree list: the size line that follows the mouse over a band edge, a header edge,
// the band and header panels' bottom edges and a row's bottom edge, its limits, and what the
// release changes: band and column widths shared out among their neighbours, the panels' row
// counts and the default row height.

#include <algorithm>
#include <vector>

#include "framework/math_utils.h"
#include "treelist/tree_list.h"

namespace {

// The geometry one sizing gesture needs, taken from a draw record.
struct TSizingGeometry {
    TgxTreeListDrawInfo Info;
    const TgxBandDrawItem* Band(Integer VisibleBand) const {
        for (const TgxBandDrawItem& b : Info.Bands)
            if (b.Band == VisibleBand) return &b;
        return nullptr;
    }
    const TgxHeaderDrawItem* Header(Integer Column) const {
        for (const TgxHeaderDrawItem& h : Info.Headers)
            if (h.Column == Column) return &h;
        return nullptr;
    }
};

}  // namespace

// The columns of one header row of a visible band, in order.
static std::vector<Integer> RowColumns(TCustomgxTreeList& L, Integer VisibleBand, Integer Row) {
    std::vector<Integer> columns;
    const Integer count = L.GetBandRowColumnCount(VisibleBand, Row);
    for (Integer p = 0; p < count; ++p) {
        const Integer c = L.GetBandRowColumnIndex(VisibleBand, Row, p);
        if (c >= 0) columns.push_back(c);
    }
    return columns;
}

// Gives Widths[i] of Others a share of Total by their widths (the last one the rest).
static void ShareOut(std::vector<Integer>& Widths, const std::vector<size_t>& Others, Integer Total, Integer Sum) {
    Integer given = 0;
    for (size_t k = 0; k < Others.size(); ++k) {
        Integer& w = Widths[Others[k]];
        if (k + 1 == Others.size()) {
            w = Total - given;
        } else {
            w = MulDiv(w, Total, Sum);
            given += w;
        }
    }
}

// ---- the size line -------------------------------------------------------------------------------

void TCustomgxTreeList::DrawSizeLine() {
    if (!HandleAllocated()) return;
    const TgxTreeListAreaInfo a = CalcRectInfo();
    TCanvas* c = GetCanvas();
    TPen* pen = c->GetPen();
    const TPenMode oldMode = pen->GetMode();
    const TColor oldColor = pen->GetColor();
    const Integer oldWidth = pen->GetWidth();
    pen->SetMode(pmNotXor);
    pen->SetColor(clBlack);
    pen->SetWidth(1);
    const Integer p = FSizeLinePos;
    const Integer bottom = a.ClientRect.Bottom;
    switch (FState) {
        case tsColumnSizing: {
            const Integer top = !IsRectEmpty(&a.HeaderPanelRect) ? a.HeaderPanelRect.Top : a.RowsRect.Top;
            c->MoveTo(p, top);
            c->LineTo(p, bottom);
            break;
        }
        case tsBandSizing: {
            const Integer top = !IsRectEmpty(&a.BandPanelRect) ? a.BandPanelRect.Top : a.HeaderPanelRect.Top;
            for (Integer x = p; x < p + 2; ++x) {
                c->MoveTo(x, top);
                c->LineTo(x, bottom);
            }
            break;
        }
        case tsBandPanelSizing:
        case tsHeaderPanelSizing:
            for (Integer y = p; y < p + 2; ++y) {
                c->MoveTo(a.ClientRect.Left, y);
                c->LineTo(a.ClientRect.Right, y);
            }
            break;
        case tsRowSizing: {
            const Integer left = !IsRectEmpty(&a.IndicatorRect) ? a.IndicatorRect.Left : a.RowsRect.Left;
            c->MoveTo(left, p);
            c->LineTo(a.ClientRect.Right, p);
            break;
        }
        default: return;
    }
    pen->SetMode(oldMode);
    pen->SetColor(oldColor);
    pen->SetWidth(oldWidth);
    FSizeLineShown = !FSizeLineShown;
}

Integer TCustomgxTreeList::ClampSizeLine(Integer Pos) {
    TSizingGeometry g;
    CalcDrawInfo(g.Info);
    Integer lo = Pos, hi = Pos;
    const Integer clientWidth = GetClientWidth();
    switch (FState) {
        case tsBandSizing:
            if (const TgxBandDrawItem* b = g.Band(FSizingBand)) {
                lo = b->Rect.Left + GetBandMinWidth(FSizingBand) + (FSizingBand == 0 ? GetGroupIndent() : 0);
                hi = IsBandFullSizing() ? 100000 : clientWidth - 2;
            }
            break;
        case tsColumnSizing:
            if (const TgxHeaderDrawItem* h = g.Header(FSizingColumn)) {
                lo = h->Rect.Left + GetColumnMinWidth(FSizingColumn) +
                     (h->FirstColumnOfFirstBand ? GetGroupIndent() : 0);
                if (!IsAutoWidth() && IsHeaderFullSizing())
                    hi = 100000;
                else if (IsHeaderSizingToClient())
                    hi = clientWidth - 1;
                else if (const TgxBandDrawItem* b = g.Band(h->Band))
                    hi = b->Rect.Right;
            }
            break;
        case tsBandPanelSizing: {
            const Integer top = g.Info.BandPanelRect.Top;
            const Integer row =
                std::max<Integer>(1, g.Info.BandPanelRect.Height() / std::max<Integer>(1, GetBandRowCount()));
            const Integer n =
                std::clamp<Integer>((Pos - top + row / 2) / row, 1, std::max<Integer>(1, GetBandMaxRowCount()));
            lo = hi = top + n * row;
            break;
        }
        case tsHeaderPanelSizing: {
            const Integer top = g.Info.HeaderPanelRect.Top;
            const Integer row = std::max<Integer>(1, FHeaderRowHeight);
            const Integer n =
                std::clamp<Integer>((Pos + row / 2 - top) / row, 1, std::max<Integer>(1, GetHeaderPanelMaxRowCount()));
            lo = hi = top + n * row;
            break;
        }
        case tsRowSizing: {
            const TRect r = GetNodeRect(FSizingNode);
            if (!FSizingNode || r.Top < 0) break;
            lo = r.Top + CalcRowHeight(FSizingNode, FMinRowLineHeight, true);
            hi = (!IsRectEmpty(&g.Info.FooterRect) ? g.Info.FooterRect.Top : g.Info.ClientRect.Bottom) - 1;
            break;
        }
        default: break;
    }
    FreeDrawInfo(g.Info);
    if (Pos > hi) Pos = hi;
    if (Pos < lo) Pos = lo;
    return Pos;
}

void TCustomgxTreeList::EndSizing() {
    const TgxTreeListState state = FState;
    if (FSizeLineShown) DrawSizeLine();
    SetState(tsNormal);
    const Integer pos = FSizeLinePos;
    const bool moved = pos != FSizeLineStart;
    TSizingGeometry g;
    CalcDrawInfo(g.Info);
    const Integer sizingBand = FSizingBand;
    const Integer sizingColumn = FSizingColumn;
    TgxTreeListNode* sizingNode = FSizingNode;
    FSizingBand = FSizingColumn = -1;
    FSizingNode = nullptr;
    switch (state) {
        case tsBandSizing:
            if (const TgxBandDrawItem* b = g.Band(sizingBand); b && moved) {
                const Integer width = pos - b->Rect.Left + 2;
                FreeDrawInfo(g.Info);
                if (IsAutoWidth())
                    SizeBandInAutoWidth(sizingBand, width);
                else
                    SizeBand(sizingBand, width);
                DoChangedColumnsWidth();
            }
            break;
        case tsColumnSizing:
            if (const TgxHeaderDrawItem* h = g.Header(sizingColumn); h && moved) {
                const Integer width = pos - h->Rect.Left + 1;
                const Integer band = h->Band;
                FreeDrawInfo(g.Info);
                if (IsBandHeaderWidth() && !IsAutoWidth() && GetBandUsedRowCount(band) <= 1)
                    SizeColumnWithBand(band, sizingColumn, width);
                else
                    SizeColumnInBand(band, sizingColumn, width);
                DoChangedColumnsWidth();
            }
            break;
        case tsBandPanelSizing: {
            const Integer top = g.Info.BandPanelRect.Top;
            const Integer row =
                std::max<Integer>(1, g.Info.BandPanelRect.Height() / std::max<Integer>(1, GetBandRowCount()));
            FreeDrawInfo(g.Info);
            ChangeBandRowCount(std::max<Integer>(1, (pos - top) / row));
            break;
        }
        case tsHeaderPanelSizing: {
            const Integer top = g.Info.HeaderPanelRect.Top;
            const Integer row = std::max<Integer>(1, FHeaderRowHeight);
            FreeDrawInfo(g.Info);
            ChangeHeaderPanelRowCount(std::max<Integer>(1, (pos + row / 2 - top) / row));
            break;
        }
        case tsRowSizing: {
            FreeDrawInfo(g.Info);
            const TRect r = GetNodeRect(sizingNode);
            if (!moved || !sizingNode || r.Top < 0) break;
            const Integer room = pos - r.Top;
            Integer best = -1;
            for (Integer line = FMinRowLineHeight; line <= room; ++line) {
                if (CalcRowHeight(sizingNode, line, true) > room) break;
                best = line;
            }
            if (best > 0) ApplyDefaultRowHeight(best);
            break;
        }
        default: break;
    }
    FreeDrawInfo(g.Info);
}

// ---- sharing out the widths ------------------------------------------------------------------------

void TCustomgxTreeList::SizeBand(Integer VisibleBand, Integer NewWidth) {
    const bool open = !IsUpdating();
    if (open) BeginUpdate();
    try {
        const Integer indent = VisibleBand == 0 ? GetGroupIndent() : 0;
        const Integer oldWidth = CalcBandWidth(VisibleBand);
        NewWidth -= indent;
        if (oldWidth > 0) {
            std::vector<std::pair<Integer, Integer>> widths;
            for (Integer row = 0; row < GetBandUsedRowCount(VisibleBand); ++row)
                for (Integer column : RowColumns(*this, VisibleBand, row))
                    widths.emplace_back(column, MulDiv(CalcColumnWidth(column), NewWidth, oldWidth));
            for (auto [column, width] : widths) ChangeColumnWidth(column, width);
            ScaleHiddenColumnWidths(VisibleBand, NewWidth, oldWidth);
        }
        ChangeBandWidth(VisibleBand, NewWidth);
    } catch (...) {
        if (open) EndUpdate();
        throw;
    }
    if (open) EndUpdate();
}

void TCustomgxTreeList::SizeBandInAutoWidth(Integer VisibleBand, Integer NewWidth) {
    InUpdateBracket([&] {
        const Integer count = GetVisibleBandCount();
        std::vector<Integer> widths(size_t(std::max<Integer>(count, 0)));
        for (Integer b = 0; b < count; ++b) widths[size_t(b)] = CalcBandWidth(b);
        const Integer oldWidth = widths[size_t(VisibleBand)];
        NewWidth -= VisibleBand == 0 ? GetGroupIndent() : 0;
        std::vector<size_t> others;
        if (VisibleBand < count - 1)
            for (Integer b = VisibleBand + 1; b < count; ++b) others.push_back(size_t(b));
        else
            for (Integer b = 0; b < VisibleBand; ++b) others.push_back(size_t(b));
        Integer sum = 0;
        for (size_t b : others) sum += widths[b];
        widths[size_t(VisibleBand)] = NewWidth;
        if (sum > 0) {
            const Integer total = sum + oldWidth - NewWidth;
            ShareOut(widths, others, total, sum);
            ScaleHiddenBandWidths(total, sum);
        }
        for (Integer b = 0; b < count; ++b) {
            if (IsBandHeaderWidth()) {
                BuildBandLayout();
                SizeBand(b, widths[size_t(b)] + (b == 0 ? GetGroupIndent() : 0));
            } else {
                ChangeBandWidth(b, widths[size_t(b)]);
            }
        }
    });
}

void TCustomgxTreeList::SizeColumnInBand(Integer VisibleBand, Integer Column, Integer NewWidth) {
    InUpdateBracket([&] {
        BuildBandLayout();
        const Integer bandWidth = CalcBandWidth(VisibleBand);
        Integer row = -1;
        std::vector<Integer> columns;
        for (Integer r = 0; r < GetBandUsedRowCount(VisibleBand) && row < 0; ++r) {
            columns = RowColumns(*this, VisibleBand, r);
            if (std::find(columns.begin(), columns.end(), Column) != columns.end()) row = r;
        }
        if (row < 0) return;
        const size_t at = size_t(std::find(columns.begin(), columns.end(), Column) - columns.begin());
        std::vector<Integer> widths;
        for (Integer c : columns) widths.push_back(CalcColumnWidth(c));
        const Integer oldWidth = widths[at];
        std::vector<size_t> others;
        if (at + 1 < columns.size())
            for (size_t k = at + 1; k < columns.size(); ++k) others.push_back(k);
        else
            for (size_t k = 0; k < at; ++k) others.push_back(k);
        Integer sum = 0;
        for (size_t k : others) sum += widths[k];
        widths[at] = NewWidth;
        if (sum > 0) {
            const Integer total = sum + oldWidth - NewWidth;
            ShareOut(widths, others, total, sum);
            ScaleHiddenColumnWidths(VisibleBand, total, sum);
        }
        Integer rowWidth = 0;
        for (size_t k = 0; k < columns.size(); ++k) {
            ChangeColumnWidth(columns[k], widths[k]);
            rowWidth += widths[k];
        }
        if (IsBandHeaderWidth() && bandWidth > 0)
            for (Integer r = 0; r < GetBandUsedRowCount(VisibleBand); ++r) {
                if (r == row) continue;
                for (Integer c : RowColumns(*this, VisibleBand, r))
                    ChangeColumnWidth(c, MulDiv(GetColumnWidth(c), rowWidth, bandWidth));
            }
    });
}

void TCustomgxTreeList::SizeColumnWithBand(Integer VisibleBand, Integer Column, Integer NewWidth) {
    InUpdateBracket([&] {
        const Integer bandWidth = CalcBandWidth(VisibleBand);
        const Integer newBand = NewWidth + bandWidth - CalcColumnWidth(Column);
        std::vector<std::pair<Integer, Integer>> changes;
        for (Integer r = 0; r < GetBandUsedRowCount(VisibleBand); ++r) {
            const std::vector<Integer> columns = RowColumns(*this, VisibleBand, r);
            const bool ownRow = std::find(columns.begin(), columns.end(), Column) != columns.end();
            Integer given = 0;
            for (size_t k = 0; k < columns.size(); ++k) {
                const Integer c = columns[k];
                Integer width;
                if (k + 1 == columns.size())
                    width = c == Column ? NewWidth : newBand - given;
                else if (ownRow)
                    width = c == Column ? NewWidth : CalcColumnWidth(c);
                else
                    width = bandWidth > 0 ? MulDiv(CalcColumnWidth(c), newBand, bandWidth) : CalcColumnWidth(c);
                given += width;
                changes.emplace_back(c, width);
            }
        }
        for (auto [c, width] : changes) ChangeColumnWidth(c, width);
        if (bandWidth > 0) ScaleHiddenColumnWidths(VisibleBand, newBand, bandWidth);
    });
}
