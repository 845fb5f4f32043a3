// Where everything lies in the tree list's client area: the areas, the draw record laid out area
// by area (bands and header cells after horizontal scrolling, the displayed rows), the parts of a
// row, and the node, cell and editor rectangles.

#include <algorithm>

#include "treelist/tree_list.h"

namespace {

constexpr Integer LevelIndent = 16;

// An area of no height is absent: an empty rectangle.
void DropIfFlat(TRect& R) {
    if (R.Bottom <= R.Top) R = TRect();
}

void DropFlatAreas(TgxTreeListAreaInfo& A) {
    for (TRect* r : {&A.TopPanelRect, &A.BandPanelRect, &A.BandCornerRect, &A.HeaderPanelRect, &A.HeaderCornerRect,
                     &A.NewItemRowRect, &A.IndicatorRect, &A.FooterRect})
        DropIfFlat(*r);
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
    DropFlatAreas(a);
    return a;
}

TRect TCustomgxTreeList::GetRowsAreaRect() {
    TRect rows = CalcRectInfo().RowsRect;
    rows.Left -= FIndicatorWidth;
    return rows;
}

// ---- the draw record -------------------------------------------------------------------------

// Lays out one draw record from the list's sizes, area by area: the panels, the bands, the header
// cells, the rows, then where the cells, the rows and the tree indent end. The bands and header
// cells are placed by the panels' coordinates rather than their rectangles, so that they keep
// their horizontal extent while the band or header panel is hidden.
class TgxTreeListLayout {
public:
    TgxTreeListLayout(TCustomgxTreeList& List, TgxTreeListDrawInfo& DrawInfo) : L(List), DI(DrawInfo) {}

    void Run() {
        L.FreeDrawInfo(DI);
        Panels();
        Bands();
        Headers();
        Rows();
        Ends();
        DropFlatAreas(DI);
    }

private:
    TCustomgxTreeList& L;
    TgxTreeListDrawInfo& DI;
    Integer PanelLeft = 0;
    Integer PanelRight = 0;
    Integer BandsTop = 0;
    Integer BandsBottom = 0;
    Integer HeadersTop = 0;
    Integer HeadersBottom = 0;
    // Where the fixed bands' rectangles end: at the header panel, or above the new-item row.
    Integer FixedBottom = 0;
    Integer BandCount = 0;
    Integer Indent = 0;
    // Between the fixed bands: where the scrollable bands show and where they end when scrolled.
    Integer SpanLeft = 0;
    Integer SpanRight = 0;
    Integer ScrollableEnd = 0;
    TgxBandDrawItem LeftItem;
    // Below the last displayed row.
    Integer RowsEnd = 0;

    // The shown width of a band: the first one carries the grouping indent.
    Integer BandWidth(Integer Band) { return L.CalcBandWidth(Band) + (Band == 0 ? Indent : 0); }

    void Panels() {
        static_cast<TgxTreeListAreaInfo&>(DI) = L.CalcRectInfo();
        const TRect& client = DI.ClientRect;
        PanelLeft = client.Left + L.FIndicatorWidth;
        PanelRight = client.Right;
        BandsTop = client.Top + L.FGroupPanelHeight;
        BandsBottom = BandsTop + L.FBandPanelHeight;
        HeadersTop = BandsBottom;
        HeadersBottom = HeadersTop + L.FHeaderRowHeight * L.FLayoutHeaderRows;
        const Integer separator = L.FLookAndFeel == lfFlat ? 5 : 6;
        FixedBottom = L.IsNewItemRowVisible() ? DI.RowsRect.Top - separator : HeadersTop + L.FHeaderPanelHeight;
        BandCount = L.GetVisibleBandCount();
        Indent = L.GetGroupIndent();
        DI.LeftFixedBand = L.GetLeftFixedBand();
        DI.RightFixedBand = L.GetRightFixedBand();
        DI.LastScrollableBand = -1;
        DI.EmptyRightRect = DI.EmptyBottomRect = DI.LeftFixedBandRect = DI.RightFixedBandRect = TRect();
    }

    // ---- the bands

    void Bands() {
        DI.Bands.reserve(size_t(BandCount));
        EndPanelsWithBands();
        SpanLeft = PanelLeft;
        SpanRight = PanelRight;
        LeftFixedBand();
        RightFixedBandRoom();
        ScrollableBands();
        RightFixedBand();
    }

    // Bands narrower than the panels: the panels end with them.
    void EndPanelsWithBands() {
        const Integer bandsWidth = L.GetBandsWidth();
        if (BandCount <= 0 || PanelLeft + bandsWidth >= PanelRight) return;
        DI.EmptyRightRect = TRect(PanelLeft + bandsWidth, BandsTop, PanelRight, DI.RowsRect.Bottom);
        PanelRight = PanelLeft + bandsWidth;
        for (TRect* r : {&DI.BandPanelRect, &DI.HeaderPanelRect, &DI.NewItemRowRect})
            if (!IsRectEmpty(r)) r->Right = PanelRight;
    }

    void LeftFixedBand() {
        if (DI.LeftFixedBand < 0) return;
        const Integer right = PanelLeft + BandWidth(DI.LeftFixedBand);
        DI.LeftFixedBandRect = TRect(PanelLeft, BandsTop, right, FixedBottom);
        LeftItem = {DI.LeftFixedBand, TRect(PanelLeft, BandsTop, right, BandsBottom),
                    TRect(PanelLeft, BandsTop, std::max(PanelLeft, right - L.FFixedBandLineWidth), BandsBottom)};
        SpanLeft = right;
        DI.Bands.push_back(LeftItem);
    }

    void RightFixedBandRoom() {
        if (DI.RightFixedBand < 0) return;
        const Integer left = std::max(PanelRight - L.CalcBandWidth(DI.RightFixedBand), SpanLeft);
        DI.RightFixedBandRect = TRect(left, BandsTop, PanelRight, FixedBottom);
        SpanRight = left;
    }

    // The scrollable bands moved left by LeftCoord: those that show between the fixed bands.
    void ScrollableBands() {
        const Integer first = DI.LeftFixedBand >= 0 ? DI.LeftFixedBand + 1 : 0;
        const Integer last = DI.RightFixedBand >= 0 ? DI.RightFixedBand - 1 : BandCount - 1;
        Integer x = SpanLeft - L.FLeftCoord;
        ScrollableEnd = x;
        for (Integer band = first; band <= last; ++band) ScrollableEnd += BandWidth(band);
        for (Integer band = first; band <= last && x < SpanRight; ++band) {
            const Integer w = BandWidth(band);
            if (x + w > SpanLeft) {
                DI.Bands.push_back({band, TRect(x, BandsTop, x + w, BandsBottom),
                                    TRect(std::max(x, SpanLeft), BandsTop, std::min(x + w, SpanRight), BandsBottom)});
                DI.LastScrollableBand = band;
            }
            x += w;
        }
    }

    // The right fixed band starts after its separator line.
    void RightFixedBand() {
        if (DI.RightFixedBand < 0) return;
        const Integer left = DI.RightFixedBandRect.Left + L.FFixedBandLineWidth;
        DI.Bands.push_back({DI.RightFixedBand, TRect(left, BandsTop, PanelRight, BandsBottom),
                            TRect(std::min(left, PanelRight), BandsTop, PanelRight, BandsBottom)});
    }

    // ---- the header cells

    // Band by band, row by row; a band without columns is an empty band.
    void Headers() {
        for (const TgxBandDrawItem& item : DI.Bands) {
            const Integer rows = L.GetBandUsedRowCount(item.Band);
            if (rows == 0) {
                const TRect r(item.Rect.Left, HeadersTop, item.Rect.Right, HeadersBottom);
                DI.EmptyBands.push_back({item.Band, r, item.Clip.Right < r.Right});
                continue;
            }
            for (Integer row = 0; row < rows; ++row) HeaderRow(item, row, rows);
        }
    }

    // The cells of one header row of a band, those that show; a cell of the band's last row
    // reaches down over the rows the band leaves empty, as far as its column's row count says.
    void HeaderRow(const TgxBandDrawItem& Item, Integer Row, Integer Rows) {
        const Integer count = L.GetBandRowColumnCount(Item.Band, Row);
        const Integer top = HeadersTop + Row * L.FHeaderRowHeight;
        const Integer rowsLeft = std::max(L.FLayoutHeaderRows - Row, 1);
        Integer left = Item.Rect.Left;
        for (Integer position = 0; position < count; ++position) {
            const Integer column = L.GetBandRowColumnIndex(Item.Band, Row, position);
            const Integer w = L.CalcColumnWidth(column);
            Integer span = 1;
            if (Row == Rows - 1) {
                span = L.GetColumnRowCount(column);
                if (span <= 0 || span > rowsLeft) span = rowsLeft;
            }
            const TRect r(left, top, left + w, top + span * L.FHeaderRowHeight);
            left += w;
            if (r.Right <= Item.Clip.Left || r.Left >= Item.Clip.Right) continue;
            TgxHeaderDrawItem h;
            h.Column = column;
            h.Band = Item.Band;
            h.Row = Row;
            h.ColIndex = position;
            h.RowSpan = span;
            h.Rect = r;
            h.Clip = TRect(std::max(r.Left, Item.Clip.Left), r.Top, std::min(r.Right, Item.Clip.Right), r.Bottom);
            if (Row == Rows - 1 && r.Bottom < HeadersBottom)
                h.EmptyRect = TRect(r.Left, r.Bottom, r.Right, HeadersBottom);
            h.FirstInRow = position == 0;
            h.LastInRow = position == count - 1;
            h.FirstColumnOfFirstBand = Item.Band == 0 && position == 0;
            h.LastColumnOfLastBand = Item.Band == BandCount - 1 && h.LastInRow;
            h.MultiLine = L.IsColumnMultiLine(column);
            DI.Headers.push_back(h);
        }
    }

    // ---- the rows

    // From the top row down to the bottom of the rows area.
    void Rows() {
        const bool preview = L.IsPreviewVisible();
        const bool autoHeight = !preview && L.FLayoutHeaderRows == 1 && L.IsRowAutoHeight();
        const Integer lineHeight = std::max(L.FDefaultRowHeight, 1);
        DI.Rows.reserve(size_t(DI.RowsRect.Height() / lineHeight + 1));
        Integer y = DI.RowsRect.Top;
        for (TgxTreeListNode* node = L.FTopVisibleNode; node && y < DI.RowsRect.Bottom; node = L.GetNextVisible(node)) {
            TgxRowDrawItem r;
            r.Node = node;
            r.Top = y;
            r.GroupNode = L.IsGroupNode(node);
            r.Selected = node->GetSelected();
            r.Height = L.CalcRowHeight(node, L.FDefaultRowHeight, false);
            r.FooterCount = L.GetRowFooterCount(node);
            r.FooterHeight = r.FooterCount * L.FRowFooterHeight;
            r.IndicatorImage = L.GetIndicatorImage(node, r.Selected);
            r.PreviewLineCount = preview ? L.GetPreviewLineCount(node) : 0;
            if (autoHeight) {
                Integer lh = L.FDefaultRowHeight;
                r.LineCount = L.GetRowLineCount(node, lh);
            }
            DI.Rows.push_back(r);
            y += r.Height;
        }
        RowsEnd = y;
    }

    // ---- the ends

    // Where the cells end, where the rows end, how far the tree indent reaches.
    void Ends() {
        const Integer cellsEnd = DI.RightFixedBand >= 0 ? PanelRight : std::min(ScrollableEnd, SpanRight);
        DI.CellsRight = (BandCount > 0 ? cellsEnd : PanelLeft) - 1;
        if (RowsEnd < DI.RowsRect.Bottom) {
            DI.LastRowBottom = RowsEnd - 1;
            DI.EmptyBottomRect = TRect(DI.ClientRect.Left, RowsEnd, DI.CellsRight + 1, DI.RowsRect.Bottom);
            if (!IsRectEmpty(&DI.IndicatorRect)) DI.IndicatorRect.Bottom = RowsEnd;
        } else {
            DI.LastRowBottom = -1;
        }
        Integer indentRight = PanelLeft;
        if (BandCount > 0) {
            if (DI.LeftFixedBand == 0)
                indentRight = LeftItem.Clip.Right;
            else
                indentRight = std::min(L.GetTreeOrigin(DI) + BandWidth(0), SpanRight);
        }
        DI.IndentWidth = std::max(indentRight - DI.RowsRect.Left, 0);
        DI.GridLineWidth = L.FShowGrid ? L.GetRowSeparatorLineWidth() : 0;
    }
};

void TCustomgxTreeList::FreeDrawInfo(TgxTreeListDrawInfo& DrawInfo) {
    DrawInfo.Bands.clear();
    DrawInfo.Headers.clear();
    DrawInfo.EmptyBands.clear();
    DrawInfo.Rows.clear();
}

void TCustomgxTreeList::CalcDrawInfo(TgxTreeListDrawInfo& DrawInfo) {
    TgxTreeListLayout(*this, DrawInfo).Run();
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
        if (n == Node)
            return TRect(FShowIndicator ? area.ClientRect.Left : area.RowsRect.Left, y, area.RowsRect.Right, y + h);
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
