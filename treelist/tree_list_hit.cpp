// The hit test: what lies under a client point, as one of the 23 hit codes with the band,
// column, row and row footer it names.

#include <algorithm>

#include "treelist/tree_list.h"

namespace {

constexpr Integer LevelIndent = 16;
// Half the width of the zone around an edge that sizes what the edge belongs to.
constexpr Integer EdgeZone = 4;

}  // namespace

// The hit test of one point, from the list's hit draw record, area by area from the top: the top
// panel, the band panel, the header panel, the new-item row, the indicator and the edges between
// rows, the footer, then the rows. Each step answers true once it has decided what lies there.
class TgxTreeListHitTester {
public:
    TgxTreeListHitTester(TCustomgxTreeList& List, TPoint Point) : L(List), DI(List.FHitDrawInfo), P(Point) {
        L.CalcDrawInfo(DI);
        BandHeaderWidth = L.IsBandHeaderWidth();
        HeaderToClient = BandHeaderWidth && !L.FShowBands;
    }
    // The record's lists keep their memory but hold no node once the test is over.
    ~TgxTreeListHitTester() { L.FreeDrawInfo(DI); }
    TgxTreeListHitTester(const TgxTreeListHitTester&) = delete;
    TgxTreeListHitTester& operator=(const TgxTreeListHitTester&) = delete;

    TgxTreeListHitInfo Run() {
        if (!PtInRect(&DI.ClientRect, P)) return Hit;
        Hit.HitCode = hcNowhere;
        if (!(TopPanel() || BandPanel() || HeaderPanel() || NewItemRow() || Indicator() || RowEdge() || Footer()))
            Rows();
        return Hit;
    }

private:
    TCustomgxTreeList& L;
    TgxTreeListDrawInfo& DI;
    const TPoint P;
    TgxTreeListHitInfo Hit;
    bool BandHeaderWidth = false;
    // The header panel spans the client width without band headers: the last cell of a band sizes
    // its column rather than the band.
    bool HeaderToClient = false;

    bool Done(TgxTreeListHitCode Code) {
        Hit.HitCode = Code;
        return true;
    }

    bool BandSizable(Integer Band) {
        return Band >= 0 && L.FOptionsEx.Contains(aoBandSizing) && L.IsBandSizing(Band) &&
               (!BandHeaderWidth || L.FShowBands);
    }
    // The bottom edge of a panel, its indicator corner included.
    bool OnPanelEdge(const TRect& Panel, const TRect& Corner) const {
        const Integer left = IsRectEmpty(&Corner) ? Panel.Left : Corner.Left;
        return P.X >= left && P.X < Panel.Right && P.Y >= Panel.Bottom - EdgeZone && P.Y < Panel.Bottom + EdgeZone;
    }
    // The sizing edge at the bottom of a panel, then the panel's indicator corner.
    bool EdgeOrCorner(const TRect& Panel, const TRect& Corner, bool Sizing, TgxTreeListHitCode EdgeCode,
                      TgxTreeListHitCode CornerCode) {
        if (!IsRectEmpty(&Panel) && Sizing && OnPanelEdge(Panel, Corner)) return Done(EdgeCode);
        return PtInRect(&Corner, P) && Done(CornerCode);
    }
    // Just right of a panel that ends before the client area does.
    bool RightOfPanel(const TRect& Panel) const {
        return P.Y >= Panel.Top && P.Y < Panel.Bottom && P.X >= Panel.Right && P.X < Panel.Right + EdgeZone;
    }
    // The band and column of the header cell at P.X in header row Line (-1: any).
    void TakeColumn(Integer Line) {
        if (const TgxHeaderDrawItem* h = L.FindHeaderItem(DI, P.X, Line)) {
            Hit.Band = h->Band;
            Hit.Column = h->Column;
        }
    }

    bool TopPanel() { return PtInRect(&DI.TopPanelRect, P) && Done(hcTopPanel); }

    // ---- the band panel

    bool BandPanel() {
        const TRect& panel = DI.BandPanelRect;
        if (EdgeOrCorner(panel, DI.BandCornerRect, L.IsBandPanelSizing(), hcBandPanelEdge, hcBandCorner)) return true;
        if (IsRectEmpty(&panel)) return false;
        if (PtInRect(&panel, P)) return OnBand();
        if (!RightOfPanel(panel) || DI.Bands.empty() || !BandSizable(DI.Bands.back().Band)) return false;
        Hit.Band = DI.Bands.back().Band;
        return Done(hcBandEdge);
    }

    // A band header, or the sizing edge of the band under P or of the band before it.
    bool OnBand() {
        Hit.HitCode = hcBand;
        for (size_t i = 0; i < DI.Bands.size(); ++i) {
            const TgxBandDrawItem& item = DI.Bands[i];
            if (PtInRect(&item.Rect, P) && PtInRect(&item.Clip, P)) {
                Hit.Band = item.Band;
                const Integer edge = std::min(item.Rect.Right, DI.BandPanelRect.Right);
                if (BandSizable(item.Band) && P.X >= edge - EdgeZone) return Done(hcBandEdge);
                const TgxBandDrawItem* before = i > 0 ? &DI.Bands[i - 1] : nullptr;
                if (before && BandSizable(before->Band) && P.X < before->Rect.Right + EdgeZone) {
                    Hit.Band = before->Band;
                    return Done(hcBandEdge);
                }
                return true;
            }
            if (!PtInRect(&item.Rect, P) && BandSizable(item.Band) && item.Rect.Right <= P.X &&
                P.X - item.Rect.Right < EdgeZone) {
                Hit.Band = item.Band;
                return Done(hcBandEdge);
            }
        }
        return true;
    }

    // ---- the header panel

    bool HeaderPanel() {
        const TRect& panel = DI.HeaderPanelRect;
        if (EdgeOrCorner(panel, DI.HeaderCornerRect, L.IsHeaderPanelSizing(), hcHeaderPanelEdge, hcHeaderCorner))
            return true;
        if (IsRectEmpty(&panel)) return false;
        if (PtInRect(&panel, P)) return OnHeader();
        return RightOfHeaders();
    }

    // A header cell, or the sizing edge at its right or left.
    bool OnHeader() {
        Hit.HitCode = hcHeader;
        for (const TgxHeaderDrawItem& h : DI.Headers) {
            if (!PtInRect(&h.Rect, P) || !PtInRect(&h.Clip, P)) continue;
            Hit.Band = h.Band;
            Hit.Column = h.Column;
            const Integer edge = std::min(h.Rect.Right, DI.HeaderPanelRect.Right);
            if (P.X >= edge - EdgeZone) return HeaderRightEdge(h);
            if (P.X < h.Rect.Left + EdgeZone) HeaderLeftEdge(h);
            return true;
        }
        return Done(hcNowhere);
    }

    // The right edge of a cell: the column's, or its band's for the last cell of a row.
    bool HeaderRightEdge(const TgxHeaderDrawItem& H) {
        if (L.CanSizeColumn(H.Column) && (!H.LastInRow || HeaderToClient)) return Done(hcHeaderEdge);
        if (H.LastInRow && BandSizable(H.Band)) return Done(hcBandEdge);
        return true;
    }

    // The left edge of a cell is the right edge of the cell before it in its row, or of the band
    // before (of its last cell in that row when the headers span the client width).
    void HeaderLeftEdge(const TgxHeaderDrawItem& H) {
        if (!H.FirstInRow) {
            const Integer previous = L.GetBandRowColumnIndex(H.Band, H.Row, H.ColIndex - 1);
            if (previous >= 0 && L.CanSizeColumn(previous)) {
                Hit.Column = previous;
                Done(hcHeaderEdge);
            }
            return;
        }
        if (H.Band <= 0) return;
        Hit.Band = H.Band - 1;
        if (!HeaderToClient) {
            if (BandSizable(Hit.Band)) Done(hcBandEdge);
            return;
        }
        const Integer count = L.GetBandRowColumnCount(Hit.Band, H.Row);
        const Integer last = L.GetBandRowColumnIndex(Hit.Band, H.Row, count - 1);
        if (last < 0) return;
        Hit.Column = last;
        if (L.CanSizeColumn(last)) Done(hcHeaderEdge);
    }

    // Just right of headers that end before the client area does: the right edge of the last
    // band's cell in that header row, else of the band itself.
    bool RightOfHeaders() {
        if (!RightOfPanel(DI.HeaderPanelRect) || DI.Bands.empty()) return false;
        const Integer band = DI.Bands.back().Band;
        Hit.Band = band;
        for (const TgxHeaderDrawItem& h : DI.Headers)
            if (h.Band == band && h.LastInRow && P.Y >= h.Rect.Top && P.Y < h.Rect.Bottom) {
                Hit.Column = h.Column;
                return HeaderRightEdge(h);
            }
        if (BandSizable(band)) return Done(hcBandEdge);
        Hit.Band = -1;
        return false;
    }

    // ---- the new-item row, the indicator, row edges, the footer

    bool NewItemRow() {
        if (!PtInRect(&DI.NewItemRowRect, P)) return false;
        TakeColumn(-1);
        return Done(hcNewItemRow);
    }

    // The displayed row whose lines hold Y, -1 when none does.
    Integer RowAt(Integer Y) const {
        for (size_t i = 0; i < DI.Rows.size(); ++i)
            if (Y >= DI.Rows[i].Top && Y < DI.Rows[i].Bottom()) return Integer(i);
        return -1;
    }
    void TakeRow(Integer Row) {
        Hit.Row = Row;
        Hit.Node = DI.Rows[size_t(Row)].Node;
    }

    // The sizing edge at the bottom of a row, between Left and Right: near the bottom of the row
    // under P, near the top of the row below it, or just below the last row.
    bool OnRowEdge(Integer Left, Integer Right) {
        if (!L.IsRowSizing() || P.X < Left || P.X >= Right || P.Y >= DI.RowsRect.Bottom) return false;
        const Integer i = RowAt(P.Y);
        if (i >= 0) {
            const TgxRowDrawItem& r = DI.Rows[size_t(i)];
            if (P.Y >= r.Bottom() - EdgeZone) {
                TakeRow(i);
                return true;
            }
            if (i > 0 && P.Y < r.Top + EdgeZone) {
                TakeRow(i - 1);
                return true;
            }
            return false;
        }
        if (!DI.Rows.empty() && P.Y >= DI.Rows.back().Bottom() && P.Y < DI.Rows.back().Bottom() + EdgeZone) {
            TakeRow(Integer(DI.Rows.size()) - 1);
            return true;
        }
        return false;
    }

    bool IndicatorShown() const { return L.FShowIndicator && L.FIndicatorWidth > 0; }

    bool Indicator() {
        if (!IndicatorShown() || !PtInRect(&DI.IndicatorRect, P)) return false;
        const Integer left = DI.ClientRect.Left;
        if (OnRowEdge(left, left + L.FIndicatorWidth)) return Done(hcRowEdge);
        const Integer i = RowAt(P.Y);
        if (i >= 0) TakeRow(i);
        return Done(hcIndicator);
    }

    // Rows are sized in the indicator while it shows, else across the rows area.
    bool RowEdge() {
        if (P.Y < DI.RowsRect.Top) return false;
        const bool edge = IndicatorShown() ? OnRowEdge(DI.ClientRect.Left, DI.ClientRect.Left + L.FIndicatorWidth)
                                           : OnRowEdge(DI.RowsRect.Left, DI.RowsRect.Right);
        return edge && Done(hcRowEdge);
    }

    bool Footer() {
        if (!PtInRect(&DI.FooterRect, P)) return false;
        const Integer line = (P.Y - DI.FooterRect.Top - 1) / std::max(L.FFooterCellHeight, 1);
        TakeColumn(std::clamp(line, 0, L.FLayoutHeaderRows - 1));
        return Done(hcFooter);
    }

    // ---- the rows

    // A row: its footers, its tree area, then its cells with the preview text; right of the
    // cells the row's end.
    void Rows() {
        if (!PtInRect(&DI.RowsRect, P)) return;
        const Integer i = RowAt(P.Y);
        if (i < 0) return;
        TakeRow(i);
        const TgxRowDrawItem& row = DI.Rows[size_t(i)];
        Hit.HitCode = P.X <= DI.CellsRight ? hcCell : hcRowEnd;
        if (!RowFooter(row) && !TreeArea(row)) Cell(row);
    }

    bool RowFooter(const TgxRowDrawItem& Row) {
        for (Integer f = 0; f < Row.FooterCount; ++f) {
            const TRect r = L.GetRowFooterRect(DI, Row, f);
            if (!PtInRect(&r, P)) continue;
            Hit.RowFooterIndex = f;
            TakeColumn(std::clamp((P.Y - r.Top) / std::max(L.FFooterCellHeight, 1), 0, L.FLayoutHeaderRows - 1));
            return Done(hcRowFooter);
        }
        return false;
    }

    // The tree area from the left: indent, button, state image, image; nothing right of those
    // up to where the tree area ends.
    bool TreeArea(const TgxRowDrawItem& Row) {
        Integer start = 0;
        Integer end = 0;
        L.GetNodeIndent(Row.Node, start, end);
        const Integer origin = L.GetTreeOrigin(DI);
        if (P.X >= std::min(origin + end, DI.RowsRect.Left + DI.IndentWidth)) return false;
        TgxTreeListNode* node = Row.Node;
        const Integer level = node->GetLevel() - (L.GetShowRoot() ? 0 : 1);
        const bool button = node->GetHasChildren() && L.FShowButtons;
        // The images start where the node's indent says.
        const bool state = L.GetStateIndex(node) != -1;
        const Integer imageLeft = state ? start + L.FStateImageWidth : start;
        const bool image = L.GetSelectedIndex(node) != -1 || L.GetImageIndex(node) != -1;
        const Integer x = P.X - origin;
        if (x < (button ? LevelIndent * level : start)) return Done(hcIndent);
        if (button && x < LevelIndent * (level + 1)) return Done(hcButton);
        if (state && x >= start && x < start + L.FStateImageWidth) return Done(hcStateImage);
        if (image && x >= imageLeft && x < imageLeft + L.FImageWidth) return Done(hcImage);
        return Done(hcNowhere);
    }

    // The preview text below the cell lines, else the cell of the header cell above P (in the
    // header row of P's line when the rows have several).
    void Cell(const TgxRowDrawItem& Row) {
        if (Hit.HitCode != hcCell) return;
        const TgxRowParts parts = L.GetRowParts(Row);
        if (Row.PreviewLineCount > 0 && !Row.GroupNode && P.Y >= parts.PreviewTop && P.Y < parts.PreviewBottom)
            Hit.HitCode = hcPreview;
        else
            TakeColumn(L.FLayoutHeaderRows == 1 ? 0 : (P.Y - parts.CellsTop) / std::max(L.FDefaultRowHeight, 1));
    }
};

TgxTreeListHitInfo TCustomgxTreeList::GetHitInfo(TPoint P) {
    return TgxTreeListHitTester(*this, P).Run();
}

TgxTreeListHitCode TCustomgxTreeList::GetHitTestAt(Integer X, Integer Y) {
    return GetHitInfo(TPoint(X, Y)).HitCode;
}

TgxTreeListNode* TCustomgxTreeList::GetNodeAt(Integer X, Integer Y) {
    return GetHitInfo(TPoint(X, Y)).Node;
}
