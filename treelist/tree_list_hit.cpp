// Where everything lies in the tree list's client area: the areas, the band and header cells
// after horizontal scrolling, the displayed rows and their parts, the cell and editor rectangles,
// and the hit test that maps a client point to one of the 23 hit codes.

#include <algorithm>

#include "treelist/tree_list.h"

namespace {

constexpr Integer LevelIndent = 16;
// Half the width of the zone around an edge that sizes what the edge belongs to.
constexpr Integer EdgeZone = 4;

// An area of no height is absent: an empty rectangle.
void DropIfFlat(TRect& R) {
    if (R.Bottom <= R.Top) R = TRect();
}

}  // namespace

// ---- the areas -------------------------------------------------------------------------------

TgxTreeListAreaInfo TCustomgxTreeList::CalcRectInfo() {
    TgxTreeListAreaInfo a;
    const TRect client = GetClientRect();
    a.ClientRect = client;
    const Integer left = client.Left + FIndicatorWidth;
    Integer y = client.Top;
    a.TopPanelRect = TRect(client.Left, y, client.Right, y + FGroupPanelHeight);
    y += FGroupPanelHeight;
    a.BandPanelRect = TRect(left, y, client.Right, y + FBandPanelHeight);
    if (FIndicatorWidth > 0) a.BandCornerRect = TRect(client.Left, y, left, y + FBandPanelHeight);
    y += FBandPanelHeight;
    a.HeaderPanelRect = TRect(left, y, client.Right, y + FHeaderPanelHeight);
    if (FIndicatorWidth > 0) a.HeaderCornerRect = TRect(client.Left, y, left, y + FHeaderPanelHeight);
    y += FHeaderPanelHeight;
    const Integer newItemRow = IsNewItemRowVisible() ? FNewItemRowHeight : 0;
    a.NewItemRowRect = TRect(client.Left, y, client.Right, y + newItemRow);
    y += newItemRow;
    a.RowsRect = TRect(left, y, client.Right, std::max(y, client.Bottom - FFooterPanelHeight));
    if (FIndicatorWidth > 0) a.IndicatorRect = TRect(client.Left, a.RowsRect.Top, left, a.RowsRect.Bottom);
    a.FooterRect = TRect(client.Left, a.RowsRect.Bottom, client.Right, a.RowsRect.Bottom + FFooterPanelHeight);
    for (TRect* r : {&a.TopPanelRect, &a.BandPanelRect, &a.BandCornerRect, &a.HeaderPanelRect, &a.HeaderCornerRect,
                     &a.NewItemRowRect, &a.IndicatorRect, &a.FooterRect})
        DropIfFlat(*r);
    return a;
}

TRect TCustomgxTreeList::GetRowsAreaRect() {
    TRect rows = CalcRectInfo().RowsRect;
    rows.Left -= FIndicatorWidth;
    return rows;
}

void TCustomgxTreeList::FreeDrawInfo(TgxTreeListDrawInfo& DrawInfo) {
    DrawInfo.Bands.clear();
    DrawInfo.Headers.clear();
    DrawInfo.EmptyBands.clear();
    DrawInfo.Rows.clear();
}

void TCustomgxTreeList::CalcDrawInfo(TgxTreeListDrawInfo& DI) {
    FreeDrawInfo(DI);
    // The panels are laid out before the empty areas are dropped, so that the bands keep their
    // horizontal extent while the band panel is hidden.
    static_cast<TgxTreeListAreaInfo&>(DI) = CalcRectInfo();
    const TRect client = DI.ClientRect;
    const Integer panelLeft = client.Left + FIndicatorWidth;
    Integer panelRight = client.Right;
    const Integer bandsTop = client.Top + FGroupPanelHeight;
    const Integer bandsBottom = bandsTop + FBandPanelHeight;
    const Integer headerTop = bandsBottom;
    const Integer headerBottom = headerTop + FHeaderRowHeight * FLayoutHeaderRows;
    const Integer separator = FLookAndFeel == lfFlat ? 5 : 6;
    const Integer fixedBottom = IsNewItemRowVisible() ? DI.RowsRect.Top - separator : headerTop + FHeaderPanelHeight;

    const Integer bands = GetVisibleBandCount();
    const Integer indent = GetGroupIndent();
    const Integer lineWidth = FFixedBandLineWidth;
    DI.LeftFixedBand = GetLeftFixedBand();
    DI.RightFixedBand = GetRightFixedBand();
    DI.LastScrollableBand = -1;
    DI.EmptyRightRect = DI.EmptyBottomRect = DI.LeftFixedBandRect = DI.RightFixedBandRect = TRect();
    DI.Bands.reserve(size_t(bands));

    // Bands narrower than the panels: the panels end with them.
    const Integer bandsWidth = GetBandsWidth();
    if (bands > 0 && panelLeft + bandsWidth < panelRight) {
        DI.EmptyRightRect = TRect(panelLeft + bandsWidth, bandsTop, panelRight, DI.RowsRect.Bottom);
        panelRight = panelLeft + bandsWidth;
        for (TRect* r : {&DI.BandPanelRect, &DI.HeaderPanelRect, &DI.NewItemRowRect})
            if (!IsRectEmpty(r)) r->Right = panelRight;
    }

    // The fixed bands, then the scrollable ones between them.
    Integer spanLeft = panelLeft;
    Integer spanRight = panelRight;
    TgxBandDrawItem leftItem;
    if (DI.LeftFixedBand >= 0) {
        const Integer w = CalcBandWidth(DI.LeftFixedBand) + (DI.LeftFixedBand == 0 ? indent : 0);
        DI.LeftFixedBandRect = TRect(panelLeft, bandsTop, panelLeft + w, fixedBottom);
        leftItem = {DI.LeftFixedBand, TRect(panelLeft, bandsTop, panelLeft + w, bandsBottom),
                    TRect(panelLeft, bandsTop, std::max(panelLeft, panelLeft + w - lineWidth), bandsBottom)};
        spanLeft = panelLeft + w;
        DI.Bands.push_back(leftItem);
    }
    if (DI.RightFixedBand >= 0) {
        const Integer w = CalcBandWidth(DI.RightFixedBand);
        const Integer rightLeft = std::max(panelRight - w, spanLeft);
        DI.RightFixedBandRect = TRect(rightLeft, bandsTop, panelRight, fixedBottom);
        spanRight = rightLeft;
    }
    const Integer firstScrollable = DI.LeftFixedBand >= 0 ? DI.LeftFixedBand + 1 : 0;
    const Integer lastScrollable = DI.RightFixedBand >= 0 ? DI.RightFixedBand - 1 : bands - 1;
    Integer x = spanLeft - FLeftCoord;
    Integer scrollableEnd = x;
    for (Integer band = firstScrollable; band <= lastScrollable; ++band)
        scrollableEnd += CalcBandWidth(band) + (band == 0 ? indent : 0);
    for (Integer band = firstScrollable; band <= lastScrollable; ++band) {
        const Integer w = CalcBandWidth(band) + (band == 0 ? indent : 0);
        if (x >= spanRight) break;
        if (x + w > spanLeft) {
            DI.Bands.push_back({band, TRect(x, bandsTop, x + w, bandsBottom),
                                TRect(std::max(x, spanLeft), bandsTop, std::min(x + w, spanRight), bandsBottom)});
            DI.LastScrollableBand = band;
        }
        x += w;
    }
    if (DI.RightFixedBand >= 0) {
        const Integer l = DI.RightFixedBandRect.Left + lineWidth;
        DI.Bands.push_back({DI.RightFixedBand, TRect(l, bandsTop, panelRight, bandsBottom),
                            TRect(std::min(l, panelRight), bandsTop, panelRight, bandsBottom)});
    }

    // The header cells, band by band, row by row; the bands without columns.
    for (const TgxBandDrawItem& item : DI.Bands) {
        const Integer rows = GetBandUsedRowCount(item.Band);
        if (rows == 0) {
            const TRect r(item.Rect.Left, headerTop, item.Rect.Right, headerBottom);
            DI.EmptyBands.push_back({item.Band, r, item.Clip.Right < r.Right});
            continue;
        }
        for (Integer row = 0; row < rows; ++row) {
            const Integer count = GetBandRowColumnCount(item.Band, row);
            Integer left = item.Rect.Left;
            const Integer top = headerTop + row * FHeaderRowHeight;
            for (Integer position = 0; position < count; ++position) {
                const Integer column = GetBandRowColumnIndex(item.Band, row, position);
                const Integer w = CalcColumnWidth(column);
                Integer span = 1;
                const Integer rowsLeft = std::max(FLayoutHeaderRows - row, 1);
                if (row == rows - 1) {
                    span = GetColumnRowCount(column);
                    if (span <= 0 || span > rowsLeft) span = rowsLeft;
                }
                const TRect r(left, top, left + w, top + span * FHeaderRowHeight);
                left += w;
                if (r.Right <= item.Clip.Left || r.Left >= item.Clip.Right) continue;
                TgxHeaderDrawItem h;
                h.Column = column;
                h.Band = item.Band;
                h.Row = row;
                h.ColIndex = position;
                h.RowSpan = span;
                h.Rect = r;
                h.Clip = TRect(std::max(r.Left, item.Clip.Left), r.Top, std::min(r.Right, item.Clip.Right), r.Bottom);
                if (row == rows - 1 && r.Bottom < headerBottom) h.EmptyRect = TRect(r.Left, r.Bottom, r.Right, headerBottom);
                h.FirstInRow = position == 0;
                h.LastInRow = position == count - 1;
                h.FirstColumnOfFirstBand = item.Band == 0 && position == 0;
                h.LastColumnOfLastBand = item.Band == bands - 1 && h.LastInRow;
                h.MultiLine = IsColumnMultiLine(column);
                DI.Headers.push_back(h);
            }
        }
    }

    // The rows from the top row down to the bottom of the rows area.
    const bool autoHeight = !IsPreviewVisible() && FLayoutHeaderRows == 1 && IsRowAutoHeight();
    const Integer lineHeight = std::max(FDefaultRowHeight, 1);
    DI.Rows.reserve(size_t(DI.RowsRect.Height() / lineHeight + 1));
    Integer y = DI.RowsRect.Top;
    for (TgxTreeListNode* node = FTopVisibleNode; node && y < DI.RowsRect.Bottom; node = GetNextVisible(node)) {
        TgxRowDrawItem r;
        r.Node = node;
        r.Top = y;
        r.GroupNode = IsGroupNode(node);
        r.Selected = node->GetSelected();
        r.Height = CalcRowHeight(node, FDefaultRowHeight, false);
        r.FooterCount = GetRowFooterCount(node);
        r.FooterHeight = r.FooterCount * FRowFooterHeight;
        r.IndicatorImage = GetIndicatorImage(node, r.Selected);
        r.PreviewLineCount = IsPreviewVisible() ? GetPreviewLineCount(node) : 0;
        if (autoHeight) {
            Integer lh = FDefaultRowHeight;
            r.LineCount = GetRowLineCount(node, lh);
        }
        DI.Rows.push_back(r);
        y += r.Height;
    }

    // Where the cells end, where the rows end, how far the tree indent reaches.
    const Integer cellsEnd = DI.RightFixedBand >= 0 ? panelRight : std::min(scrollableEnd, spanRight);
    DI.CellsRight = (bands > 0 ? cellsEnd : panelLeft) - 1;
    if (y < DI.RowsRect.Bottom) {
        DI.LastRowBottom = y - 1;
        DI.EmptyBottomRect = TRect(client.Left, y, DI.CellsRight + 1, DI.RowsRect.Bottom);
        if (!IsRectEmpty(&DI.IndicatorRect)) DI.IndicatorRect.Bottom = y;
    } else {
        DI.LastRowBottom = -1;
    }
    Integer indentRight = panelLeft;
    if (bands > 0) {
        if (DI.LeftFixedBand == 0)
            indentRight = leftItem.Clip.Right;
        else
            indentRight = std::min(GetTreeOrigin(DI) + CalcBandWidth(0) + indent, spanRight);
    }
    DI.IndentWidth = std::max(indentRight - DI.RowsRect.Left, 0);
    DI.GridLineWidth = FShowGrid ? GetRowSeparatorLineWidth() : 0;
    for (TRect* r : {&DI.TopPanelRect, &DI.BandPanelRect, &DI.BandCornerRect, &DI.HeaderPanelRect,
                     &DI.HeaderCornerRect, &DI.NewItemRowRect, &DI.IndicatorRect, &DI.FooterRect})
        DropIfFlat(*r);
}

Integer TCustomgxTreeList::GetTreeOrigin(const TgxTreeListDrawInfo& DrawInfo) {
    return DrawInfo.RowsRect.Left - (DrawInfo.LeftFixedBand < 0 ? FLeftCoord : 0);
}

// ---- rows and cells --------------------------------------------------------------------------

void TCustomgxTreeList::GetNodeIndent(TgxTreeListNode* Node, Integer& Start, Integer& End) {
    const Integer level = Node->GetLevel();
    Start = Node->GetHasChildren() || FPaintStyle == psStandard ? LevelIndent * (level + 1) : LevelIndent * level;
    if (!GetShowRoot()) Start -= LevelIndent;
    End = Start + (GetStateIndex(Node) != -1 ? FStateImageWidth : 0) + FImageWidth;
}

TgxRowParts TCustomgxTreeList::GetRowParts(const TgxRowDrawItem& Row) {
    TgxRowParts parts;
    const bool previewGrid = FShowGrid && FShowPreviewGrid;
    const Integer grid = FShowGrid ? GetRowSeparatorLineWidth() : 0;
    parts.Bottom = Row.Top + Row.Height;
    parts.FootersTop = parts.Bottom - Row.FooterHeight;
    // The row's own bottom line: with preview grid lines the last pixel of every row line is a
    // grid line, so only a preview below the lines needs one of its own.
    Integer bottomLine = grid;
    if (previewGrid) bottomLine += Row.PreviewLineCount > 0 && !Row.GroupNode ? 0 : -1;
    if (Row.GroupNode) bottomLine = grid;
    parts.PreviewBottom = parts.FootersTop - std::max(bottomLine, 0);
    parts.PreviewTop = parts.PreviewBottom;
    if (Row.PreviewLineCount > 0 && !Row.GroupNode)
        parts.PreviewTop -= Row.PreviewLineCount * FPreviewTextHeight + 2;
    parts.CellsTop = Row.Top;
    if (!FShowGrid && FPaintStyle == psOutlook && Row.Node && Row.Node->GetHasChildren()) ++parts.CellsTop;
    return parts;
}

TRect TCustomgxTreeList::GetRowCellRect(const TgxTreeListDrawInfo& DI, const TgxHeaderDrawItem& Header,
                                        const TgxRowDrawItem& Row) {
    const TgxRowParts parts = GetRowParts(Row);
    const bool previewGrid = FShowGrid && FShowPreviewGrid;
    TRect r;
    r.Left = Header.Rect.Left;
    r.Right = Header.Rect.Right;
    if (Header.FirstColumnOfFirstBand) {
        Integer start = 0;
        Integer end = 0;
        GetNodeIndent(Row.Node, start, end);
        r.Left = std::max(r.Left, std::min(GetTreeOrigin(DI) + end, DI.RowsRect.Left + DI.IndentWidth));
    }
    r.Top = parts.CellsTop + Header.Row * FDefaultRowHeight;
    if (FLayoutHeaderRows == 1 || Row.LineCount >= 0)
        r.Bottom = parts.PreviewTop - (previewGrid ? 1 : 0);
    else
        r.Bottom = r.Top + Header.RowSpan * FDefaultRowHeight - (previewGrid ? 1 : 0);
    if (r.Bottom < r.Top) r.Bottom = r.Top;
    return r;
}

TRect TCustomgxTreeList::GetRowFooterRect(const TgxTreeListDrawInfo& DI, const TgxRowDrawItem& Row, Integer Index) {
    const TgxRowParts parts = GetRowParts(Row);
    Integer level = GetRowFooterLevel(Row.Node, Index);
    if (!GetShowRoot()) --level;
    const Integer left = GetTreeOrigin(DI) + std::max(level, 0) * LevelIndent;
    const Integer top = parts.FootersTop + Index * FRowFooterHeight;
    return TRect(std::max(left, DI.RowsRect.Left), top, DI.CellsRight + 1, top + FRowFooterHeight);
}

const TgxHeaderDrawItem* TCustomgxTreeList::FindHeaderItem(const TgxTreeListDrawInfo& DI, Integer X, Integer Row) {
    for (const TgxHeaderDrawItem& h : DI.Headers)
        if (X >= h.Clip.Left && X < h.Clip.Right && (Row < 0 || (Row >= h.Row && Row < h.Row + h.RowSpan))) return &h;
    return nullptr;
}

TRect TCustomgxTreeList::GetNodeRect(TgxTreeListNode* Node) {
    const TRect none(-1, -1, -1, -1);
    if (!Node || !FTopVisibleNode) return none;
    const Integer index = GetAbsoluteIndex(Node);
    const Integer top = GetTopIndex();
    if (index < 0 || index < top) return none;
    const TgxTreeListAreaInfo area = CalcRectInfo();
    Integer y = area.RowsRect.Top;
    for (TgxTreeListNode* n = FTopVisibleNode; n && y < area.RowsRect.Bottom; n = GetNextVisible(n)) {
        const Integer h = CalcRowHeight(n, FDefaultRowHeight, false);
        if (n == Node) return TRect(FShowIndicator ? area.ClientRect.Left : area.RowsRect.Left, y, area.RowsRect.Right, y + h);
        y += h;
    }
    return none;
}

TRect TCustomgxTreeList::GetCellRect(TgxTreeListNode* Node, Integer Column) {
    const TRect none(-1, -1, -1, -1);
    const Integer column = VisibleToAbsoluteIndex(Column);
    if (!Node || column < 0) return none;
    TgxTreeListDrawInfo di;
    CalcDrawInfo(di);
    for (const TgxRowDrawItem& row : di.Rows) {
        if (row.Node != Node) continue;
        for (const TgxHeaderDrawItem& h : di.Headers)
            if (h.Column == column) return GetRowCellRect(di, h, row);
        return none;
    }
    return none;
}

TRect TCustomgxTreeList::GetEditRect(TgxTreeListNode* Node, Integer Column) {
    const Integer column = VisibleToAbsoluteIndex(Column);
    TRect r = GetCellRect(Node, Column);
    if (column < 0 || r.Top < 0) return r;
    TgxTreeListDrawInfo di;
    CalcDrawInfo(di);
    const TgxHeaderDrawItem* header = nullptr;
    for (const TgxHeaderDrawItem& h : di.Headers)
        if (h.Column == column) header = &h;
    if (!header) return r;
    const bool grid = FShowGrid && FShowPreviewGrid;
    if (!grid) {
        if (header->LastColumnOfLastBand) --r.Right;
    } else if (!header->LastInRow || !(header->Band == di.LeftFixedBand ||
                                       (di.RightFixedBand >= 0 && header->Band == di.RightFixedBand - 1))) {
        --r.Right;
    }
    if (IsNewItemRowFocused()) {
        if (header->FirstColumnOfFirstBand) {
            Integer start = 0;
            Integer end = 0;
            GetNodeIndent(Node, start, end);
            r.Left -= end;
        }
        r.Top = di.NewItemRowRect.Top;
        r.Bottom = r.Top + FDefaultRowHeight - (grid ? 1 : 0);
    }
    if (IsInvertSelect()) {
        ++r.Top;
        --r.Bottom;
        if (header->FirstColumnOfFirstBand) ++r.Left;
        if (header->LastColumnOfLastBand) --r.Right;
    }
    return r;
}

// ---- the hit test ----------------------------------------------------------------------------

namespace {

// Frees the hit test's draw record's lists when the test ends.
struct TDrawInfoLease {
    TCustomgxTreeList* List;
    TgxTreeListDrawInfo& Info;
    ~TDrawInfoLease() { List->FreeDrawInfo(Info); }
};

}  // namespace

TgxTreeListHitInfo TCustomgxTreeList::GetHitInfo(TPoint P) {
    TgxTreeListHitInfo hit;
    TgxTreeListDrawInfo& di = FHitDrawInfo;
    CalcDrawInfo(di);
    TDrawInfoLease lease{this, di};
    if (!PtInRect(&di.ClientRect, P)) return hit;
    hit.HitCode = hcNowhere;
    auto done = [&](TgxTreeListHitCode Code) {
        hit.HitCode = Code;
        return hit;
    };
    if (PtInRect(&di.TopPanelRect, P)) return done(hcTopPanel);

    const bool bandHeaderWidth = IsBandHeaderWidth();
    auto bandSizable = [&](Integer Band) {
        return Band >= 0 && FOptionsEx.Contains(aoBandSizing) && IsBandSizing(Band) && (!bandHeaderWidth || FShowBands);
    };
    // The bottom edge of a panel, its indicator corner included.
    auto onPanelEdge = [&](const TRect& Panel, const TRect& Corner) {
        const Integer left = IsRectEmpty(&Corner) ? Panel.Left : Corner.Left;
        return P.X >= left && P.X < Panel.Right && P.Y >= Panel.Bottom - EdgeZone && P.Y < Panel.Bottom + EdgeZone;
    };

    // The band panel.
    if (!IsRectEmpty(&di.BandPanelRect) && IsBandPanelSizing() && onPanelEdge(di.BandPanelRect, di.BandCornerRect))
        return done(hcBandPanelEdge);
    if (PtInRect(&di.BandCornerRect, P)) return done(hcBandCorner);
    if (!IsRectEmpty(&di.BandPanelRect)) {
        const TRect& panel = di.BandPanelRect;
        if (PtInRect(&panel, P)) {
            hit.HitCode = hcBand;
            for (size_t i = 0; i < di.Bands.size(); ++i) {
                const TgxBandDrawItem& item = di.Bands[i];
                if (PtInRect(&item.Rect, P) && PtInRect(&item.Clip, P)) {
                    hit.Band = item.Band;
                    const Integer edge = std::min(item.Rect.Right, panel.Right);
                    if (bandSizable(item.Band) && P.X >= edge - EdgeZone) return done(hcBandEdge);
                    if (i > 0 && bandSizable(di.Bands[i - 1].Band) && P.X < di.Bands[i - 1].Rect.Right + EdgeZone) {
                        hit.Band = di.Bands[i - 1].Band;
                        return done(hcBandEdge);
                    }
                    return hit;
                }
                if (!PtInRect(&item.Rect, P) && bandSizable(item.Band) && item.Rect.Right <= P.X &&
                    P.X - item.Rect.Right < EdgeZone) {
                    hit.Band = item.Band;
                    return done(hcBandEdge);
                }
            }
            return hit;
        }
        if (P.Y >= panel.Top && P.Y < panel.Bottom && P.X >= panel.Right && P.X < panel.Right + EdgeZone &&
            !di.Bands.empty() && bandSizable(di.Bands.back().Band)) {
            hit.Band = di.Bands.back().Band;
            return done(hcBandEdge);
        }
    }

    // The header panel.
    if (!IsRectEmpty(&di.HeaderPanelRect) && IsHeaderPanelSizing() &&
        onPanelEdge(di.HeaderPanelRect, di.HeaderCornerRect))
        return done(hcHeaderPanelEdge);
    if (PtInRect(&di.HeaderCornerRect, P)) return done(hcHeaderCorner);
    if (!IsRectEmpty(&di.HeaderPanelRect)) {
        const TRect& panel = di.HeaderPanelRect;
        const bool headerToClient = bandHeaderWidth && !FShowBands;
        // The right edge of a cell: the column's, or its band's for the last cell of a row.
        auto rightEdge = [&](const TgxHeaderDrawItem& h) {
            if (CanSizeColumn(h.Column) && (!h.LastInRow || headerToClient)) return done(hcHeaderEdge);
            if (h.LastInRow && bandSizable(h.Band)) return done(hcBandEdge);
            return hit;
        };
        if (PtInRect(&panel, P)) {
            hit.HitCode = hcHeader;
            for (size_t i = 0; i < di.Headers.size(); ++i) {
                const TgxHeaderDrawItem& h = di.Headers[i];
                if (!PtInRect(&h.Rect, P) || !PtInRect(&h.Clip, P)) continue;
                hit.Band = h.Band;
                hit.Column = h.Column;
                const Integer edge = std::min(h.Rect.Right, panel.Right);
                if (P.X >= edge - EdgeZone) return rightEdge(h);
                if (P.X < h.Rect.Left + EdgeZone) {
                    if (!h.FirstInRow) {
                        const Integer previous = GetBandRowColumnIndex(h.Band, h.Row, h.ColIndex - 1);
                        if (previous >= 0 && CanSizeColumn(previous)) {
                            hit.Column = previous;
                            return done(hcHeaderEdge);
                        }
                    } else if (h.Band > 0) {
                        hit.Band = h.Band - 1;
                        if (!headerToClient) {
                            if (bandSizable(hit.Band)) return done(hcBandEdge);
                        } else {
                            const Integer count = GetBandRowColumnCount(hit.Band, h.Row);
                            const Integer last = GetBandRowColumnIndex(hit.Band, h.Row, count - 1);
                            if (last >= 0) {
                                hit.Column = last;
                                if (CanSizeColumn(last)) return done(hcHeaderEdge);
                            }
                        }
                    }
                }
                return hit;
            }
            return done(hcNowhere);
        }
        if (P.Y >= panel.Top && P.Y < panel.Bottom && P.X >= panel.Right && P.X < panel.Right + EdgeZone &&
            !di.Bands.empty()) {
            const Integer band = di.Bands.back().Band;
            hit.Band = band;
            for (const TgxHeaderDrawItem& h : di.Headers)
                if (h.Band == band && h.LastInRow && P.Y >= h.Rect.Top && P.Y < h.Rect.Bottom) {
                    hit.Column = h.Column;
                    return rightEdge(h);
                }
            if (bandSizable(band)) return done(hcBandEdge);
            hit.Band = -1;
        }
    }

    // The new-item row.
    if (PtInRect(&di.NewItemRowRect, P)) {
        if (const TgxHeaderDrawItem* h = FindHeaderItem(di, P.X, -1)) {
            hit.Band = h->Band;
            hit.Column = h->Column;
        }
        return done(hcNewItemRow);
    }

    // The row under P.Y, and the sizing edges between rows.
    auto rowAt = [&](Integer Y) -> Integer {
        for (size_t i = 0; i < di.Rows.size(); ++i)
            if (Y >= di.Rows[i].Top && Y < di.Rows[i].Bottom()) return Integer(i);
        return -1;
    };
    auto takeRow = [&](Integer Row) {
        hit.Row = Row;
        hit.Node = di.Rows[size_t(Row)].Node;
    };
    auto rowEdge = [&](Integer Left, Integer Right) -> bool {
        if (!IsRowSizing() || P.X < Left || P.X >= Right || P.Y >= di.RowsRect.Bottom) return false;
        const Integer i = rowAt(P.Y);
        if (i >= 0) {
            const TgxRowDrawItem& r = di.Rows[size_t(i)];
            if (P.Y >= r.Bottom() - EdgeZone) {
                takeRow(i);
                return true;
            }
            if (i > 0 && P.Y < r.Top + EdgeZone) {
                takeRow(i - 1);
                return true;
            }
            return false;
        }
        if (!di.Rows.empty() && P.Y >= di.Rows.back().Bottom() && P.Y < di.Rows.back().Bottom() + EdgeZone) {
            takeRow(Integer(di.Rows.size()) - 1);
            return true;
        }
        return false;
    };
    if (FShowIndicator && FIndicatorWidth > 0) {
        const Integer left = di.ClientRect.Left;
        const Integer right = left + FIndicatorWidth;
        if (PtInRect(&di.IndicatorRect, P)) {
            if (rowEdge(left, right)) return done(hcRowEdge);
            const Integer i = rowAt(P.Y);
            if (i >= 0) takeRow(i);
            return done(hcIndicator);
        }
        if (P.Y >= di.RowsRect.Top && rowEdge(left, right)) return done(hcRowEdge);
    } else if (P.Y >= di.RowsRect.Top && rowEdge(di.RowsRect.Left, di.RowsRect.Right)) {
        return done(hcRowEdge);
    }

    // The footer.
    if (PtInRect(&di.FooterRect, P)) {
        const Integer line = (P.Y - di.FooterRect.Top - 1) / std::max(FFooterCellHeight, 1);
        if (const TgxHeaderDrawItem* h = FindHeaderItem(di, P.X, std::clamp(line, 0, FLayoutHeaderRows - 1))) {
            hit.Band = h->Band;
            hit.Column = h->Column;
        }
        return done(hcFooter);
    }

    // The rows.
    if (!PtInRect(&di.RowsRect, P)) return hit;
    const Integer i = rowAt(P.Y);
    if (i < 0) return hit;
    takeRow(i);
    const TgxRowDrawItem& row = di.Rows[size_t(i)];
    hit.HitCode = P.X <= di.CellsRight ? hcCell : hcRowEnd;
    auto takeColumn = [&](Integer Line) {
        if (const TgxHeaderDrawItem* h = FindHeaderItem(di, P.X, Line)) {
            hit.Band = h->Band;
            hit.Column = h->Column;
        }
    };
    for (Integer f = 0; f < row.FooterCount; ++f) {
        const TRect r = GetRowFooterRect(di, row, f);
        if (!PtInRect(&r, P)) continue;
        hit.RowFooterIndex = f;
        takeColumn(std::clamp((P.Y - r.Top) / std::max(FFooterCellHeight, 1), 0, FLayoutHeaderRows - 1));
        return done(hcRowFooter);
    }
    // The tree area: indent, button, state image, image.
    Integer start = 0;
    Integer end = 0;
    GetNodeIndent(row.Node, start, end);
    const Integer origin = GetTreeOrigin(di);
    const Integer indentRight = di.RowsRect.Left + di.IndentWidth;
    if (P.X < std::min(origin + end, indentRight)) {
        TgxTreeListNode* node = row.Node;
        const Integer level = node->GetLevel() - (GetShowRoot() ? 0 : 1);
        const bool button = node->GetHasChildren() && FShowButtons;
        // The images start where the node's indent says.
        const Integer stateLeft = start;
        const bool state = GetStateIndex(node) != -1;
        const Integer imageLeft = state ? stateLeft + FStateImageWidth : stateLeft;
        const bool image = GetSelectedIndex(node) != -1 || GetImageIndex(node) != -1;
        const Integer x = P.X - origin;
        const Integer firstPart = button ? LevelIndent * level : stateLeft;
        if (x < firstPart) return done(hcIndent);
        if (button && x < LevelIndent * (level + 1)) return done(hcButton);
        if (state && x >= stateLeft && x < stateLeft + FStateImageWidth) return done(hcStateImage);
        if (image && x >= imageLeft && x < imageLeft + FImageWidth) return done(hcImage);
        return done(hcNowhere);
    }
    if (hit.HitCode == hcCell && row.PreviewLineCount > 0 && !row.GroupNode) {
        const TgxRowParts parts = GetRowParts(row);
        if (P.Y >= parts.PreviewTop && P.Y < parts.PreviewBottom) hit.HitCode = hcPreview;
    }
    if (hit.HitCode == hcCell)
        takeColumn(FLayoutHeaderRows == 1 ? 0 : (P.Y - GetRowParts(row).CellsTop) / std::max(FDefaultRowHeight, 1));
    return hit;
}

TgxTreeListHitCode TCustomgxTreeList::GetHitTestAt(Integer X, Integer Y) {
    return GetHitInfo(TPoint(X, Y)).HitCode;
}

TgxTreeListNode* TCustomgxTreeList::GetNodeAt(Integer X, Integer Y) {
    return GetHitInfo(TPoint(X, Y)).Node;
}
