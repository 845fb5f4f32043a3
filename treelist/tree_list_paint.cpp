// Painting the tree list in one pass from one draw record: the top panel, the band panel, the
// header panel, the new-item row, the indicator strip, the footer, then the rows in two passes
// (the tree area, then the cells with their preview text, row footers and focus frames) and all
// grid lines of the rows at once. Also the cell, preview and node-cell drawing the descendants
// build on.

#include <algorithm>
#include <map>

#include "framework/drag.h"
#include "framework/sysutils.h"
#include "treelist/tree_list_draw.h"

namespace {

constexpr Integer LevelIndent = 16;

COLORREF RGBOf(TColor Color) {
    return COLORREF(ColorToRGB(Color)) & 0xFFFFFF;
}

COLORREF BrushColor(HBRUSH Brush) {
    LOGBRUSH lb;
    return GetObject(Brush, sizeof(lb), &lb) ? lb.lbColor : RGB(255, 255, 255);
}

// Keeps a device context's clip region and gives it back.
class TClipKeeper {
public:
    explicit TClipKeeper(HDC DC) : FDC(DC), FRegion(CreateRectRgn(0, 0, 0, 0)) { FHad = GetClipRgn(DC, FRegion) == 1; }
    ~TClipKeeper() {
        SelectClipRgn(FDC, FHad ? FRegion : nullptr);
        DeleteObject(FRegion);
    }
    TClipKeeper(const TClipKeeper&) = delete;
    TClipKeeper& operator=(const TClipKeeper&) = delete;

private:
    HDC FDC;
    HRGN FRegion;
    bool FHad = false;
};

// Solid brushes of one paint, one per colour, released when the paint ends.
class TBrushCache {
public:
    ~TBrushCache() {
        for (auto& [color, brush] : FBrushes) DeleteObject(brush);
    }
    HBRUSH Get(TColor Color) {
        const COLORREF c = RGBOf(Color);
        auto it = FBrushes.find(c);
        if (it != FBrushes.end()) return it->second;
        HBRUSH brush = CreateSolidBrush(c);
        FBrushes.emplace(c, brush);
        return brush;
    }

private:
    std::map<COLORREF, HBRUSH> FBrushes;
};

// Calls the node's drawing bracket around a piece of drawing, also when it raises.
class TDrawNodeBracket {
public:
    TDrawNodeBracket(TCustomgxTreeList* List, TgxTreeListNode* Node) : FList(List), FNode(Node) {
        if (FNode) FList->BeginDrawNode(FNode);
    }
    ~TDrawNodeBracket() {
        if (FNode) FList->EndDrawNode(FNode);
    }
    TDrawNodeBracket(const TDrawNodeBracket&) = delete;
    TDrawNodeBracket& operator=(const TDrawNodeBracket&) = delete;

private:
    TCustomgxTreeList* FList;
    TgxTreeListNode* FNode;
};

Integer EdgeKindOf(const TgxHeaderDrawItem& H) {
    if (H.FirstInRow && H.LastInRow) return ekOnly;
    if (H.FirstInRow) return ekFirst;
    if (H.LastInRow) return ekLast;
    return ekMiddle;
}

}  // namespace

// The painting of one Paint call.
class TgxTreeListPainter {
public:
    TgxTreeListPainter(TCustomgxTreeList& List, TCanvas* Canvas) : L(List), C(Canvas) {
        L.CalcDrawInfo(DI);
        Focused = L.IsFocusWithin();
        Flat = L.FLookAndFeel == lfFlat;
        if (!L.FPaintBitmap) {
            L.FPaintBitmap = new TBitmap;
            L.FPaintBitmap->SetPixelFormat(pf24bit);
        }
        Buffer = L.FPaintBitmap;
        FontColor = L.GetFont()->GetColor();
        FocusedColumn = L.GetFocusedColumnAbsoluteIndex();
    }

    void Run() {
        HDC dc = DC();
        TClipKeeper clip(dc);
        PaintTopPanel();
        PaintBandPanel();
        PaintHeaderPanel();
        PaintNewItemRow();
        PaintIndicator();
        PaintFooter();
        PaintRows();
    }

private:
    TCustomgxTreeList& L;
    TCanvas* C;
    TgxTreeListDrawInfo DI;
    TBrushCache Brushes;
    TBitmap* Buffer = nullptr;
    bool Focused = false;
    bool Flat = false;
    TColor FontColor = clWindowText;
    Integer FocusedColumn = -1;
    // The grid segments of the rows, two points each.
    std::vector<TPoint> Grid;

    HDC DC() { return C->GetHandle(); }
    bool Visible(const TRect& R) {
        return !IsRectEmpty(&R) && RectVisible(DC(), &R);
    }
    void Fill(const TRect& R, HBRUSH Brush) {
        if (!IsRectEmpty(&R)) FillRect(DC(), &R, Brush);
    }
    Integer LineHeight() const { return L.FDefaultRowHeight; }
    bool PreviewGrid() const { return L.FShowGrid && L.FShowPreviewGrid; }

    // ---- colours

    TColor LevelColor(Integer Level) {
        TColor color = L.FGroupNodeColor;
        if (L.HasLevelColor()) L.DoGetLevelColor(Level, color);
        return color;
    }

    // Whether the cell of Column in a row counts as selected.
    bool CellSelected(TgxTreeListNode* Node, bool RowSelected, Integer Column) {
        if (!RowSelected) return false;
        if (L.IsNewItemRowFocused() && !L.IsMultiSelect()) return false;
        if (L.IsRowSelect() || (L.IsMultiSelect() && !L.IsInvertSelect())) return true;
        const bool focusedCell = Node == L.FFocusedNode && Column == FocusedColumn;
        return L.IsInvertSelect() ? !focusedCell : focusedCell;
    }

    // Whether a row counts as selected for what is drawn without a column.
    bool RowSelected(const TgxRowDrawItem& Row) {
        if (!Row.Selected) return false;
        if (L.IsNewItemRowFocused() && !L.IsMultiSelect()) return false;
        return L.IsRowSelect() || L.IsInvertSelect() || L.IsMultiSelect();
    }

    void CellColors(TgxTreeListNode* Node, bool Selected, Integer Column, TColor& Back, TColor& Text) {
        if (TDragManager::DragObject() && !Focused && Node && Node == L.FFocusedNode) {
            Back = L.FHighlightColor;
            Text = L.FHighlightTextColor;
            return;
        }
        if (!Selected || (L.FHideSelection && !Focused)) {
            if (Node && (L.IsGroupNode(Node) || (L.FPaintStyle == psOutlook && Node->GetHasChildren()))) {
                Back = LevelColor(Node->GetLevel());
                Text = L.FGroupNodeTextColor == clNone ? FontColor : L.FGroupNodeTextColor;
            } else {
                const TColor column = Column >= 0 ? L.GetColumnColor(Column) : L.GetColor();
                Back = column != L.GetColor() ? column : L.GetColor();
                Text = FontColor;
            }
        } else if (Focused) {
            Back = L.FHighlightColor;
            Text = L.FHighlightTextColor;
        } else {
            Back = L.FHideSelectionColor;
            Text = L.FHideSelectionTextColor;
        }
    }

    // The focus frame: dotted while the list has the focus, inverted while it has not (unless
    // HideFocusRect or a drag is running).
    void FocusFrame(const TRect& R) {
        if (IsRectEmpty(&R)) return;
        if (Focused) {
            if (!L.IsHideFocusRect()) DrawFocusRectangle(DC(), R);
        } else if (!L.FHideFocusRect && !TDragManager::DragObject()) {
            InvertFrame(DC(), R);
        }
    }

    // ---- panels

    void PaintTopPanel() {
        if (Visible(DI.TopPanelRect)) L.DrawTopPanel(C, DI.TopPanelRect, Brushes.Get(L.FHeaderColor));
    }

    void FixedBandSeparators(Integer Top, Integer Bottom) {
        HBRUSH brush = Brushes.Get(L.FFixedBandLineColor);
        const Integer w = L.FFixedBandLineWidth;
        if (DI.LeftFixedBand >= 0)
            Fill(TRect(DI.LeftFixedBandRect.Right - w, Top, DI.LeftFixedBandRect.Right, Bottom), brush);
        if (DI.RightFixedBand >= 0)
            Fill(TRect(DI.RightFixedBandRect.Left, Top, DI.RightFixedBandRect.Left + w, Bottom), brush);
    }

    void PaintBandPanel() {
        if (Visible(DI.BandCornerRect))
            DrawCornerCell(DC(), DI.BandCornerRect, Brushes.Get(L.FBandColor), L.FBandCornerPressed, Flat);
        if (!Visible(DI.BandPanelRect)) return;
        C->GetFont()->Assign(L.FBandFont);
        for (const TgxBandDrawItem& item : DI.Bands) {
            if (!Visible(item.Clip)) continue;
            TgxHeaderCellContent content;
            L.GetVisibleBandCaption(item.Band, content.Text);
            content.Alignment = L.GetVisibleBandAlignment(item.Band);
            content.MultiLine = L.FLayoutBandRows > 1;
            content.Pressed = item.Band == L.FPressedBand && L.FPressedBandShown;
            content.Flat = Flat;
            TColor color = L.FBandColor;
            bool done = false;
            if (L.HasCustomDrawBand()) {
                L.FInternalFont->Assign(C->GetFont());
                {
                    TClipKeeper clip(DC());
                    if (!(item.Clip == item.Rect))
                        IntersectClipRect(DC(), item.Clip.Left, item.Clip.Top, item.Clip.Right, item.Clip.Bottom);
                    L.DoCustomDrawBand(item.Band, C, item.Rect, content.Text, color, C->GetFont(), content.Alignment,
                                       done);
                }
                if (!done)
                    DrawHeaderCellBuffered(DC(), Buffer, item.Rect, item.Clip, Brushes.Get(color), C->GetFont(),
                                           C->GetFont()->GetColor(), content);
                C->GetFont()->Assign(L.FInternalFont);
                continue;
            }
            DrawHeaderCellBuffered(DC(), Buffer, item.Rect, item.Clip, Brushes.Get(color), C->GetFont(),
                                   C->GetFont()->GetColor(), content);
        }
        FixedBandSeparators(DI.BandPanelRect.Top, DI.BandPanelRect.Bottom);
    }

    void PaintHeaderPanel() {
        if (Visible(DI.HeaderCornerRect))
            DrawCornerCell(DC(), DI.HeaderCornerRect, Brushes.Get(L.FHeaderColor), L.FHeaderCornerPressed, Flat);
        if (!Visible(DI.HeaderPanelRect)) return;
        C->GetFont()->Assign(L.FHeaderFont);
        HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
        for (const TgxHeaderDrawItem& h : DI.Headers) {
            const TRect below =
                IntersectionOf(h.EmptyRect, TRect(h.Clip.Left, h.EmptyRect.Top, h.Clip.Right, h.EmptyRect.Bottom));
            if (Visible(below)) Fill(below, shadow);
            if (!Visible(h.Clip)) continue;
            TgxHeaderCellContent content;
            L.GetHeaderCaption(h.Column, content.Text);
            content.Alignment = L.GetHeaderAlignment(h.Column);
            content.Sorted = L.GetColumnSorted(h.Column);
            content.Glyph = L.HasHeaderGlyph(h.Column) ? L.GetHeaderGlyph(h.Column) : nullptr;
            content.EdgeKind = EdgeKindOf(h);
            content.MultiLine = h.RowSpan > 1 || L.FLayoutHeaderLines > 1;
            content.Pressed = h.Column == L.FPressedColumn && L.FPressedColumnShown;
            content.Flat = Flat;
            TColor color = L.FHeaderColor;
            bool done = false;
            const bool custom = L.HasCustomDrawHeader(h.Column);
            if (custom) {
                L.FInternalFont->Assign(C->GetFont());
                TClipKeeper clip(DC());
                if (!(h.Clip == h.Rect)) IntersectClipRect(DC(), h.Clip.Left, h.Clip.Top, h.Clip.Right, h.Clip.Bottom);
                L.DoCustomDrawHeader(h.Column, C, h.Rect, content.Text, color, C->GetFont(), content.Alignment,
                                     content.Sorted, done);
            }
            if (!done)
                DrawHeaderCellBuffered(DC(), Buffer, h.Rect, h.Clip, Brushes.Get(color), C->GetFont(),
                                       C->GetFont()->GetColor(), content);
            if (custom) C->GetFont()->Assign(L.FInternalFont);
        }
        for (const TgxEmptyBandDrawItem& band : DI.EmptyBands) {
            TRect r = band.Rect;
            for (const TgxBandDrawItem& item : DI.Bands)
                if (item.Band == band.Band)
                    r = IntersectionOf(r, TRect(item.Clip.Left, r.Top, item.Clip.Right, r.Bottom));
            if (Visible(r)) Fill(r, shadow);
        }
        FixedBandSeparators(DI.HeaderPanelRect.Top, DI.HeaderPanelRect.Bottom);
    }

    // ---- the new-item row

    void PaintNewItemRow() {
        if (!Visible(DI.NewItemRowRect)) return;
        const TRect& row = DI.NewItemRowRect;
        const Integer separator = Flat ? 5 : 6;
        const Integer cellsBottom = row.Bottom - separator;
        HBRUSH header = Brushes.Get(L.FHeaderColor);
        // The separator strip below the cells, as wide as the bands.
        TRect strip(DI.RowsRect.Left, cellsBottom, std::min(DI.CellsRight + 1, row.Right), row.Bottom);
        if (Visible(strip)) {
            TClipKeeper clip(DC());
            IntersectClipRect(DC(), strip.Left, strip.Top, strip.Right, strip.Bottom);
            DrawHeaderFrame(DC(), strip, header, ekOnly, false, Flat);
        }
        if (L.FIndicatorWidth > 0) {
            const TRect indicator(row.Left, row.Top, DI.RowsRect.Left, row.Bottom);
            DrawIndicatorCell(DC(), Buffer, indicator, indicator, header, iiInsert, Flat);
        }
        TgxTreeListNode* node = L.FFocusedNode;
        const bool focused = L.IsNewItemRowFocused();
        C->GetFont()->Assign(L.GetFont());
        std::vector<TPoint> grid;
        for (const TgxHeaderDrawItem& h : DI.Headers) {
            TRect cell(h.Rect.Left, row.Top, h.Rect.Right, row.Top + LineHeight() - (PreviewGrid() ? 1 : 0));
            if (L.FShowGrid) {
                --cell.Right;
                grid.insert(grid.end(), {TPoint(cell.Right, row.Top), TPoint(cell.Right, cellsBottom)});
            }
            const TRect clip(h.Clip.Left, cell.Top, h.Clip.Right, cell.Bottom);
            if (!Visible(IntersectionOf(cell, clip))) continue;
            const bool selected = focused && node && CellSelected(node, node->GetSelected(), h.Column);
            TColor back;
            TColor text;
            CellColors(node, selected, h.Column, back, text);
            C->GetFont()->SetColor(text);
            TClipKeeper keep(DC());
            IntersectClipRect(DC(), clip.Left, clip.Top, clip.Right, clip.Bottom);
            L.DrawNodeCell(C, cell, h.LastColumnOfLastBand, h.FirstColumnOfFirstBand, 2, false, Brushes.Get(back), back,
                           focused && h.Column == FocusedColumn, selected, -1, h.Column, node);
            if (focused && !L.IsRowSelect() && !L.IsInvertSelect() && h.Column == FocusedColumn) FocusFrame(cell);
        }
        for (const TgxEmptyBandDrawItem& band : DI.EmptyBands)
            Fill(IntersectionOf(TRect(band.Rect.Left, row.Top, band.Rect.Right, cellsBottom), row),
                 Brushes.Get(L.GetColor()));
        if (focused && (L.IsRowSelect() || L.IsInvertSelect()))
            FocusFrame(TRect(DI.RowsRect.Left, row.Top, DI.CellsRight + 1, cellsBottom));
        if (L.FShowGrid && !grid.empty()) {
            grid.insert(grid.end(),
                        {TPoint(DI.RowsRect.Left, cellsBottom - 1), TPoint(DI.CellsRight + 1, cellsBottom - 1)});
            DrawSegments(grid, L.GetGridLineColor());
        }
    }

    // ---- the indicator strip and the footer

    void PaintIndicator() {
        if (IsRectEmpty(&DI.IndicatorRect)) return;
        HBRUSH header = Brushes.Get(L.FHeaderColor);
        for (const TgxRowDrawItem& row : DI.Rows) {
            const TRect cell(DI.IndicatorRect.Left, row.Top, DI.IndicatorRect.Right, row.Bottom());
            const TRect clip = IntersectionOf(cell, DI.IndicatorRect);
            if (Visible(clip)) DrawIndicatorCell(DC(), Buffer, cell, clip, header, row.IndicatorImage, Flat);
        }
        ExcludeClipRect(DC(), DI.IndicatorRect.Left, DI.IndicatorRect.Top, DI.IndicatorRect.Right,
                        DI.IndicatorRect.Bottom);
    }

    void PaintFooter() {
        if (IsRectEmpty(&DI.FooterRect)) return;
        if (Visible(DI.FooterRect)) {
            TRect r = DI.FooterRect;
            if (Flat) {
                DrawEdge(DC(), &r, BDR_SUNKENOUTER, BF_TOP | BF_ADJUST);
            } else {
                FrameRect(DC(), &r, GetSysColorBrush(COLOR_WINDOWFRAME));
                InflateRect(&r, -1, -1);
            }
            HBRUSH header = Brushes.Get(L.FHeaderColor);
            DrawEdge(DC(), &r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
            Fill(r, header);
            C->GetFont()->Assign(L.GetFont());
            for (const TgxHeaderDrawItem& h : DI.Headers) {
                TRect cell(h.Rect.Left, r.Top + h.Row * L.FFooterCellHeight, h.Rect.Right,
                           r.Top + (h.Row + h.RowSpan) * L.FFooterCellHeight);
                InflateRect(&cell, -1, -1);
                if (h.FirstColumnOfFirstBand) ++cell.Left;
                if (h.LastColumnOfLastBand) cell.Right -= 2;
                const TRect clip = IntersectionOf(TRect(h.Clip.Left, r.Top, h.Clip.Right, r.Bottom), r);
                if (!L.IsExistFooterCell(h.Column) || !Visible(IntersectionOf(cell, clip))) continue;
                TClipKeeper keep(DC());
                IntersectClipRect(DC(), clip.Left, clip.Top, clip.Right, clip.Bottom);
                DrawEdge(DC(), &cell, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
                C->GetFont()->SetColor(FontColor);
                L.DrawNodeCell(C, cell, h.LastColumnOfLastBand, h.FirstColumnOfFirstBand, 1, false, header,
                               L.FHeaderColor, false, false, -1, h.Column, nullptr);
            }
        }
        ExcludeClipRect(DC(), DI.FooterRect.Left, DI.FooterRect.Top, DI.FooterRect.Right, DI.FooterRect.Bottom);
    }

    // ---- the rows

    Integer TreeX(Integer Level) {
        return L.GetTreeOrigin(DI) + (Level - (L.GetShowRoot() ? 0 : 1)) * LevelIndent;
    }

    Integer TreeEnd(TgxTreeListNode* Node) {
        Integer start = 0;
        Integer end = 0;
        L.GetNodeIndent(Node, start, end);
        return std::max(std::min(L.GetTreeOrigin(DI) + end, DI.RowsRect.Left + DI.IndentWidth), DI.RowsRect.Left);
    }

    void PaintRows() {
        HBRUSH window = Brushes.Get(L.GetColor());
        if (Visible(DI.EmptyRightRect)) Fill(DI.EmptyRightRect, window);
        if (Visible(DI.EmptyBottomRect)) Fill(DI.EmptyBottomRect, window);
        TClipKeeper clip(DC());
        IntersectClipRect(DC(), DI.ClientRect.Left, DI.RowsRect.Top, DI.ClientRect.Right, DI.RowsRect.Bottom);
        for (size_t i = 0; i < DI.Rows.size(); ++i) {
            const TgxRowDrawItem& row = DI.Rows[i];
            const TRect whole(DI.RowsRect.Left, row.Top, DI.RowsRect.Right, row.Bottom());
            if (!Visible(whole)) continue;
            PaintTreeArea(row);
        }
        C->GetFont()->Assign(L.GetFont());
        for (size_t i = 0; i < DI.Rows.size(); ++i) {
            const TgxRowDrawItem& row = DI.Rows[i];
            const TRect whole(DI.RowsRect.Left, row.Top, DI.RowsRect.Right, row.Bottom());
            if (!Visible(whole)) continue;
            PaintCells(row, i + 1 < DI.Rows.size() ? &DI.Rows[i + 1] : nullptr);
        }
        if (L.FShowGrid && !DI.Rows.empty()) {
            const Integer bottom = DI.LastRowBottom >= 0 ? DI.LastRowBottom + 1 : DI.RowsRect.Bottom;
            AddVertical(DI.CellsRight, DI.RowsRect.Top, bottom);
        }
        DrawSegments(Grid, L.FShowGrid ? L.GetGridLineColor() : L.GetColor());
    }

    void PaintTreeArea(const TgxRowDrawItem& Row) {
        TgxTreeListNode* node = Row.Node;
        const TRect area(DI.RowsRect.Left, Row.Top, DI.RowsRect.Left + DI.IndentWidth, Row.Bottom());
        if (!Visible(area)) return;
        TDrawNodeBracket bracket(&L, node);
        TClipKeeper clip(DC());
        IntersectClipRect(DC(), area.Left, area.Top, area.Right, area.Bottom);
        const bool standard = L.FPaintStyle == psStandard;
        const Integer level = node->GetLevel();
        const bool children = node->GetHasChildren();
        const Integer top = Row.Top;
        const Integer bottom = Row.Bottom();
        const Integer middle = top + (GetFootersTop(Row) - top) / 2;
        HBRUSH window = Brushes.Get(L.GetColor());

        // The level cells.
        const Integer cells = level + (children || standard ? 1 : 0);
        for (Integer i = 0; i < cells; ++i) {
            const TRect cell(TreeX(i), top, TreeX(i) + LevelIndent, bottom);
            Fill(cell, standard ? window : Brushes.Get(LevelColor(i)));
        }
        // The state image and the image.
        const Integer stateIndex = L.GetStateIndex(node);
        Integer imageLeft = TreeX(level + 1) - (!standard && !children ? LevelIndent : 0);
        if (stateIndex != -1 && L.FStateImageWidth > 0) {
            const TRect cell(imageLeft, top, imageLeft + L.FStateImageWidth, GetFootersTop(Row));
            Fill(cell, window);
            DrawImageCentered(C, cell, L.FStateImages, stateIndex);
            imageLeft += L.FStateImageWidth;
        }
        if (L.FImageWidth > 0) {
            const TRect cell(imageLeft, top, imageLeft + L.FImageWidth, GetFootersTop(Row));
            Fill(cell, window);
            const Integer index = Row.Selected ? L.GetSelectedIndex(node) : L.GetImageIndex(node);
            if (index != -1) DrawImageCentered(C, cell, L.FImages, index);
        }
        if (standard && L.FShowLines) TreeLines(Row, middle);
        if (L.FShowButtons && children) {
            const TRect cell(TreeX(level), top, TreeX(level) + LevelIndent, GetFootersTop(Row));
            if (standard)
                DrawExpandButton(DC(), cell, middle, node->GetExpanded());
            else
                DrawOutlookButton(C, cell, node->GetExpanded());
        }
    }

    Integer GetFootersTop(const TgxRowDrawItem& Row) { return Row.Bottom() - Row.FooterHeight; }

    void TreeLines(const TgxRowDrawItem& Row, Integer Middle) {
        TgxTreeListNode* node = Row.Node;
        HDC dc = DC();
        const bool dotted = L.FTreeLineStyle == tlDot;
        HBRUSH brush = dotted ? TreeListCheckerBrush() : Brushes.Get(L.FTreeLineColor);
        const COLORREF text = SetTextColor(dc, RGBOf(L.FTreeLineColor));
        const COLORREF back = SetBkColor(dc, RGBOf(L.GetColor()));
        TPoint origin;
        // The dots keep their phase on the screen, whatever is painted when.
        SetBrushOrgEx(dc, DI.RowsRect.Left % 2, DI.RowsRect.Top % 2, &origin);
        auto lineX = [&](Integer Level) { return TreeX(Level) + 7; };
        auto vertical = [&](Integer X, Integer Y0, Integer Y1) {
            if (Y1 > Y0) {
                const TRect r(X, Y0, X + 1, Y1);
                FillRect(dc, &r, brush);
            }
        };
        const Integer level = node->GetLevel();
        const bool button = node->GetHasChildren() && L.FShowButtons;
        const bool first = L.IsFirstNode(node);
        const bool last = node->IsLast();
        const Integer x = lineX(level);
        const TRect horizontal(x + (button ? 5 : 0), Middle, TreeX(level + 1), Middle + 1);
        if (horizontal.Right > horizontal.Left) FillRect(dc, &horizontal, brush);
        if (button) {
            if (!first) vertical(x, Row.Top, Middle - 4);
            if (!last) vertical(x, Middle + 5, Row.Bottom());
        } else {
            vertical(x, first ? Middle : Row.Top, last ? Middle + 1 : Row.Bottom());
        }
        for (TgxTreeListNode* p = node->GetParent(); p; p = p->GetParent())
            if (!p->IsLast()) vertical(lineX(p->GetLevel()), Row.Top, Row.Bottom());
        SetBrushOrgEx(dc, origin.X, origin.Y, nullptr);
        SetTextColor(dc, text);
        SetBkColor(dc, back);
    }

    void PaintCells(const TgxRowDrawItem& Row, const TgxRowDrawItem* Next) {
        TgxTreeListNode* node = Row.Node;
        TDrawNodeBracket bracket(&L, node);
        const TgxRowParts parts = L.GetRowParts(Row);
        const bool newItemFocused = L.IsNewItemRowFocused();
        const bool rowSelected = RowSelected(Row);
        TColor rowBack;
        TColor rowText;
        CellColors(node, rowSelected, -1, rowBack, rowText);
        HBRUSH rowBrush = Brushes.Get(rowBack);
        const Integer treeEnd = TreeEnd(node);
        const Integer firstColumn = L.VisibleToAbsoluteIndex(0);

        if (Row.GroupNode) {
            const TRect cell(treeEnd, parts.CellsTop, DI.CellsRight + 1, parts.PreviewBottom);
            if (Visible(cell)) {
                TColor back;
                TColor text;
                CellColors(node, CellSelected(node, Row.Selected, firstColumn), firstColumn, back, text);
                C->GetFont()->SetColor(text);
                if (firstColumn >= 0)
                    L.DrawNodeCell(C, cell, true, true, 3, false, Brushes.Get(back), back,
                                   node == L.FFocusedNode, Row.Selected, -1, firstColumn, node);
                else
                    Fill(cell, Brushes.Get(back));
                if (node == L.FFocusedNode && !newItemFocused) FocusFrame(cell);
            }
        } else {
            FixedBandSeparators(Row.Top, parts.PreviewTop);
            if (L.FPaintStyle == psOutlook && !L.FShowGrid && node->GetHasChildren())
                Fill(TRect(TreeX(node->GetLevel() + 1), Row.Top, DI.CellsRight + 1, parts.CellsTop),
                     Brushes.Get(LevelColor(node->GetLevel())));
            for (const TgxHeaderDrawItem& h : DI.Headers) PaintCell(Row, parts, h);
            for (const TgxEmptyBandDrawItem& band : DI.EmptyBands) {
                TRect r(band.Rect.Left, parts.CellsTop, band.Rect.Right, parts.PreviewTop);
                for (const TgxBandDrawItem& item : DI.Bands)
                    if (item.Band == band.Band)
                        r = IntersectionOf(r, TRect(item.Clip.Left, r.Top, item.Clip.Right, r.Bottom));
                if (Visible(r)) Fill(r, rowBrush);
            }
        }
        if (Row.PreviewLineCount > 0 && !Row.GroupNode) {
            const TRect preview(treeEnd, parts.PreviewTop, DI.CellsRight + 1 - (L.FShowGrid ? 1 : 0),
                                parts.PreviewBottom);
            if (Visible(preview)) L.DrawPreview(C, preview, rowSelected, rowBrush, rowText, rowBack, node);
        }
        for (Integer f = 0; f < Row.FooterCount; ++f) PaintRowFooter(Row, f);
        if (!Row.GroupNode && !newItemFocused && (L.IsRowSelect() || L.IsInvertSelect()) && node == L.FFocusedNode)
            FocusFrame(TRect(treeEnd, parts.CellsTop, DI.CellsRight + 1, parts.PreviewBottom));
        RowGrid(Row, parts, Next);
        C->GetFont()->Assign(L.GetFont());
    }

    void PaintCell(const TgxRowDrawItem& Row, const TgxRowParts& Parts, const TgxHeaderDrawItem& H) {
        TgxTreeListNode* node = Row.Node;
        TRect cell = L.GetRowCellRect(DI, H, Row);
        if (L.FShowGrid) {
            --cell.Right;
            AddVertical(cell.Right, cell.Top, PreviewGrid() ? cell.Bottom + 1 : cell.Bottom, H.Clip);
            if (PreviewGrid()) AddHorizontal(cell.Bottom, cell.Left, cell.Right + 1, H.Clip);
        }
        // The band's empty header rows below a cell of its last row.
        if (!IsRectEmpty(&H.EmptyRect) && L.FLayoutHeaderRows > 1) {
            const TRect below(cell.Left, cell.Bottom + (PreviewGrid() ? 1 : 0), cell.Right + (L.FShowGrid ? 1 : 0),
                              Parts.PreviewTop);
            const TRect clipped = IntersectionOf(below, TRect(H.Clip.Left, below.Top, H.Clip.Right, below.Bottom));
            TColor back;
            TColor text;
            CellColors(node, RowSelected(Row), -1, back, text);
            if (Visible(clipped)) Fill(clipped, Brushes.Get(back));
        }
        const TRect clip(H.Clip.Left, cell.Top, H.Clip.Right, cell.Bottom);
        if (!Visible(IntersectionOf(cell, clip))) return;
        const bool selected = CellSelected(node, Row.Selected, H.Column);
        TColor back;
        TColor text;
        CellColors(node, selected, H.Column, back, text);
        C->GetFont()->SetColor(text);
        const bool focusedCell = node == L.FFocusedNode && H.Column == FocusedColumn;
        const bool multiLine = H.RowSpan > 1 || Row.LineCount > 1 || L.IsColumnMultiLine(H.Column);
        const bool clipped = cell.Left < clip.Left || cell.Right > clip.Right;
        if (clipped) {
            TClipKeeper keep(DC());
            IntersectClipRect(DC(), clip.Left, clip.Top, clip.Right, clip.Bottom);
            L.DrawNodeCell(C, cell, H.LastColumnOfLastBand, H.FirstColumnOfFirstBand, 0, multiLine, Brushes.Get(back),
                           back, focusedCell, selected, -1, H.Column, node);
        } else {
            L.DrawNodeCell(C, cell, H.LastColumnOfLastBand, H.FirstColumnOfFirstBand, 0, multiLine, Brushes.Get(back),
                           back, focusedCell, selected, -1, H.Column, node);
        }
        if (focusedCell && !L.IsNewItemRowFocused() && !L.IsRowSelect() && !L.IsInvertSelect())
            FocusFrame(IntersectionOf(cell, clip));
    }

    void PaintRowFooter(const TgxRowDrawItem& Row, Integer Index) {
        const TRect r = L.GetRowFooterRect(DI, Row, Index);
        if (!Visible(r)) return;
        HBRUSH brush = Brushes.Get(L.FRowFooterColor);
        Fill(r, brush);
        for (const TgxHeaderDrawItem& h : DI.Headers) {
            if (!L.IsExistRowFooterCell(Row.Node, h.Column, Index)) continue;
            TRect cell(std::max(h.Rect.Left, r.Left), r.Top + h.Row * L.FFooterCellHeight, h.Rect.Right,
                       r.Top + (h.Row + h.RowSpan) * L.FFooterCellHeight);
            InflateRect(&cell, -1, -1);
            const TRect clip(h.Clip.Left, r.Top, h.Clip.Right, r.Bottom);
            if (!Visible(IntersectionOf(cell, clip))) continue;
            TClipKeeper keep(DC());
            IntersectClipRect(DC(), clip.Left, clip.Top, clip.Right, clip.Bottom);
            DrawEdge(DC(), &cell, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
            C->GetFont()->SetColor(L.FRowFooterTextColor);
            L.DrawNodeCell(C, cell, h.LastColumnOfLastBand, h.FirstColumnOfFirstBand, 1, false, brush,
                           L.FRowFooterColor, false, false, Index, h.Column, Row.Node);
        }
    }

    // ---- grid lines

    // The segments of one row: the level lines of the tree area and the row's bottom line.
    void RowGrid(const TgxRowDrawItem& Row, const TgxRowParts& Parts, const TgxRowDrawItem* Next) {
        TgxTreeListNode* node = Row.Node;
        const Integer level = node->GetLevel();
        const bool outlook = L.FPaintStyle == psOutlook;
        const TRect tree(DI.RowsRect.Left, Row.Top, DI.RowsRect.Left + DI.IndentWidth, Parts.FootersTop);
        const Integer levels = outlook ? level : L.FShowGrid ? level + 1 : 0;
        for (Integer i = 0; i < levels; ++i) AddVertical(TreeX(i) + LevelIndent - 1, Row.Top, Parts.FootersTop, tree);
        if (!L.FShowGrid && !(outlook && node->GetHasChildren())) return;
        Integer x = level * LevelIndent;
        if (node->GetExpanded() && node->GetCount() > 0)
            x += LevelIndent - 1;
        else if (!node->GetHasChildren() && node->IsLast())
            x -= LevelIndent;
        if (!Next)
            x = L.GetNextVisible(node) ? x : 0;
        else if (Next->Node->GetLevel() < level)
            x = Next->Node->GetLevel() * LevelIndent;
        if (!L.GetShowRoot()) x -= LevelIndent;
        const Integer origin = L.GetTreeOrigin(DI);
        const Integer left = std::max(std::min(origin + x, DI.RowsRect.Left + DI.IndentWidth), DI.RowsRect.Left);
        const Integer lines = std::max(DI.GridLineWidth, 1);
        for (Integer k = 1; k <= lines; ++k)
            AddHorizontal(Parts.FootersTop - k, left, DI.CellsRight + 1, DI.RowsRect);
    }

    // Segments left out where they cross a fixed band's separator or leave Clip.
    void AddHorizontal(Integer Y, Integer X0, Integer X1, const TRect& Clip) {
        X0 = std::max(X0, Clip.Left);
        X1 = std::min(X1, Clip.Right);
        std::vector<std::pair<Integer, Integer>> gaps;
        const Integer w = L.FFixedBandLineWidth;
        if (DI.LeftFixedBand >= 0) gaps.emplace_back(DI.LeftFixedBandRect.Right - w, DI.LeftFixedBandRect.Right);
        if (DI.RightFixedBand >= 0) gaps.emplace_back(DI.RightFixedBandRect.Left, DI.RightFixedBandRect.Left + w);
        Integer x = X0;
        for (const auto& [g0, g1] : gaps) {
            if (g1 <= x || g0 >= X1) continue;
            if (g0 > x) Grid.insert(Grid.end(), {TPoint(x, Y), TPoint(g0, Y)});
            x = g1;
        }
        if (X1 > x) Grid.insert(Grid.end(), {TPoint(x, Y), TPoint(X1, Y)});
    }

    void AddVertical(Integer X, Integer Y0, Integer Y1, const TRect& Clip) {
        if (X < Clip.Left || X >= Clip.Right || Y1 <= Y0) return;
        Grid.insert(Grid.end(), {TPoint(X, Y0), TPoint(X, Y1)});
    }

    void AddVertical(Integer X, Integer Y0, Integer Y1) { AddVertical(X, Y0, Y1, DI.ClientRect); }

    void DrawSegments(const std::vector<TPoint>& Points, TColor Color) {
        if (Points.empty()) return;
        HDC dc = DC();
        HPEN pen = CreatePen(PS_SOLID, 1, RGBOf(Color));
        HGDIOBJ old = SelectObject(dc, pen);
        std::vector<DWORD> counts(Points.size() / 2, 2);
        PolyPolyline(dc, Points.data(), counts.data(), int(counts.size()));
        SelectObject(dc, old);
        DeleteObject(pen);
    }
};

// ---- Paint -----------------------------------------------------------------------------------

void TCustomgxTreeList::Paint() {
    HideDragImages();
    struct TShowAgain {
        TCustomgxTreeList* List;
        ~TShowAgain() {
            List->ShowDragImages();
            // The paint's bitmap goes with it.
            if (List->FPaintBitmap) {
                List->FPaintBitmap->Free();
                List->FPaintBitmap = nullptr;
            }
            List->GetCanvas()->Refresh();
        }
    } again{this};
    TgxTreeListPainter painter(*this, GetCanvas());
    painter.Run();
}

// ---- cells and previews ----------------------------------------------------------------------

namespace {

// Where a single-line cell text TextWidth wide starts: 2 pixels in from the left, ending 2 pixels
// before the right edge, or centred in the cell.
Integer CellTextLeft(const TRect& R, TAlignment Alignment, Integer TextWidth) {
    if (Alignment == taRightJustify) return R.Right - 2 - TextWidth;
    if (Alignment == taCenter) return R.Left + R.Width() / 2 - TextWidth / 2;
    return R.Left + 2;
}

// Fills R with Brush and draws Text in Format inside Inner, through Buffer when given.
void FillAndDrawText(TCanvas* Canvas, TBitmap* Buffer, const TRect& R, const TRect& Inner, HBRUSH Brush,
                     const std::string& Text, UINT Format) {
    if (!Buffer) {
        HDC dc = Canvas->GetHandle();
        FillRect(dc, &R, Brush);
        TRect inner = Inner;
        const int mode = SetBkMode(dc, TRANSPARENT);
        DrawText(dc, Text, &inner, Format);
        SetBkMode(dc, mode);
        return;
    }
    if (R.Width() <= 0 || R.Height() <= 0) return;
    EnsureBitmapSize(Buffer, R.Width(), R.Height());
    TCanvas* canvas = Buffer->GetCanvas();
    canvas->GetFont()->Assign(Canvas->GetFont());
    HDC dc = canvas->GetHandle();
    const TRect all(0, 0, R.Width(), R.Height());
    FillRect(dc, &all, Brush);
    TRect inner(Inner.Left - R.Left, Inner.Top - R.Top, Inner.Right - R.Left, Inner.Bottom - R.Top);
    const int mode = SetBkMode(dc, TRANSPARENT);
    DrawText(dc, Text, &inner, Format);
    SetBkMode(dc, mode);
    BitBlt(Canvas->GetHandle(), R.Left, R.Top, R.Width(), R.Height(), canvas->GetHandle(), 0, 0, SRCCOPY);
}

}  // namespace

void TCustomgxTreeList::DrawCellText(TCanvas* ACanvas, const TRect& ARect, HBRUSH ABrush, const std::string& AText,
                                     TAlignment AAlignment, bool AMultiLine) {
    if (ARect.Width() <= 0 || ARect.Height() <= 0) return;
    const bool ellipsis = IsDrawEndEllipsis();
    if (!AMultiLine && !ellipsis) {
        HDC dc = ACanvas->GetHandle();
        TSize size;
        GetTextExtentPoint32(dc, AText.c_str(), int(AText.size()), &size);
        const Integer x = CellTextLeft(ARect, AAlignment, size.cx);
        const Integer y = ARect.Top + (IsInvertSelect() ? 2 : 1);
        const TRect right(ARect.Right - 2, ARect.Top, ARect.Right, ARect.Bottom);
        FillRect(dc, &right, ABrush);
        TRect inner(ARect.Left, ARect.Top, ARect.Right - 2, ARect.Bottom);
        if (AAlignment != taLeftJustify) {
            const TRect left(ARect.Left, ARect.Top, ARect.Left + 2, ARect.Bottom);
            FillRect(dc, &left, ABrush);
            inner.Left += 2;
        }
        if (inner.Right < inner.Left) inner.Right = inner.Left;
        const COLORREF back = SetBkColor(dc, BrushColor(ABrush));
        const int mode = SetBkMode(dc, OPAQUE);
        ExtTextOut(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &inner, AText.c_str(), int(AText.size()), nullptr);
        SetBkMode(dc, mode);
        SetBkColor(dc, back);
        return;
    }
    const Integer dy = IsInvertSelect() ? 2 : 1;
    const TRect inner(ARect.Left + 2, ARect.Top + dy, ARect.Right - 2, ARect.Bottom - dy);
    UINT format = AMultiLine ? DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX
                             : DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX;
    if (ellipsis) format |= DT_END_ELLIPSIS;
    format |= AlignmentFormat(AAlignment);
    FillAndDrawText(ACanvas, IsUseBitmap() ? FPaintBitmap : nullptr, ARect, inner, ABrush, AText, format);
}

void TCustomgxTreeList::DrawPreviewText(TCanvas* ACanvas, const TRect& ARect, HBRUSH ABrush, const std::string& AText,
                                        TColor ATextColor) {
    if (ARect.Width() <= 0 || ARect.Height() <= 0) return;
    ACanvas->GetFont()->Assign(FPreviewFont);
    ACanvas->GetFont()->SetColor(ATextColor);
    TRect inner(ARect.Left + 1, ARect.Top + 1, ARect.Right - 1, ARect.Bottom - 1);
    inner.Left += FIndentDesc;
    FillAndDrawText(ACanvas, IsUseBitmap() ? FPaintBitmap : nullptr, ARect, inner, ABrush, AText,
                    DT_WORDBREAK | DT_END_ELLIPSIS | DT_EXPANDTABS | DT_NOPREFIX);
}

void TCustomgxTreeList::DrawPreview(TCanvas* ACanvas, TRect ARect, bool ASelected, HBRUSH ABrush, TColor ATextColor,
                                    TColor AColor, TgxTreeListNode* ANode) {
    std::string text;
    GetPreviewText(ANode, text);
    TColor textColor = AColor == FHighlightColor ? ATextColor : FPreviewFont->GetColor();
    TColor color = AColor;
    bool done = false;
    if (HasCustomDrawPreview()) {
        ACanvas->GetFont()->Assign(FPreviewFont);
        ACanvas->GetFont()->SetColor(textColor);
        DoCustomDrawPreview(ACanvas, ARect, ANode, ASelected, text, color, textColor, ACanvas->GetFont(), done);
    }
    if (done) return;
    if (color != AColor) {
        HBRUSH brush = CreateSolidBrush(RGBOf(color));
        DrawPreviewText(ACanvas, ARect, brush, text, textColor);
        DeleteObject(brush);
    } else {
        DrawPreviewText(ACanvas, ARect, ABrush, text, textColor);
    }
}

void TCustomgxTreeList::DrawNodeCell(TCanvas* ACanvas, TRect ARect, bool ALastColumn, bool AFirstColumn, Integer AKind,
                                     bool AMultiLine, HBRUSH ABrush, TColor AColor, bool AFocused, bool ASelected,
                                     Integer AFooterIndex, Integer AColumn, TgxTreeListNode* ANode) {
    TDrawNodeBracket bracket(this, ANode);
    std::string text;
    TAlignment alignment = taLeftJustify;
    switch (AKind) {
    case 1:
        GetRowFooterCellText(ANode, AColumn, AFooterIndex, text);
        alignment = GetRowFooterCellAlignment(ANode, AColumn, AFooterIndex);
        break;
    case 2:
        GetNewItemRowText(AColumn, text);
        alignment = GetColumnAlignment(ANode, AColumn);
        break;
    default:
        GetCellText(ANode, AColumn, text);
        alignment = GetColumnAlignment(ANode, AColumn);
        break;
    }
    const bool ownFont = (AKind == 0 || AKind == 2) && AColumn >= 0 && IsColumnFontAssigned(AColumn);
    const bool custom = AColumn >= 0 && (AKind == 1 ? HasCustomDrawFooter(AFooterIndex) : HasCustomDrawCell(AColumn));
    TFont* font = ACanvas->GetFont();
    const TColor textColor = font->GetColor();
    if (custom || ownFont) FInternalFont->Assign(font);
    struct TFontBack {
        TFont* Font;
        TFont* Saved;
        bool Active;
        ~TFontBack() {
            if (Active) Font->Assign(Saved);
        }
    } fontBack{font, FInternalFont, custom || ownFont};
    if (ownFont) {
        font->Assign(GetColumnFont(AColumn));
        if (ASelected) font->SetColor(textColor);
    }
    TColor color = AColor;
    bool done = false;
    if (custom) {
        if (AKind == 1)
            DoCustomDrawFooter(ACanvas, ARect, ANode, AColumn, AFooterIndex, text, color, font, alignment, done);
        else
            DoCustomDrawCell(ACanvas, ARect, ANode, AColumn, ASelected, AFocused, AKind == 2, ALastColumn, AFirstColumn,
                             ABrush, text, color, font, alignment, done);
    }
    HBRUSH brush = ABrush;
    if (!done) {
        HBRUSH own = color != AColor ? CreateSolidBrush(RGBOf(color)) : nullptr;
        if (own) brush = own;
        DrawCellText(ACanvas, ARect, brush, text, alignment, AMultiLine);
        if (own) DeleteObject(own);
    }
    // The incremental search: the characters typed so far stand out in the focused cell.
    if (AKind == 0 && FSearching && ANode == FFocusedNode && AColumn == GetFocusedColumnAbsoluteIndex() &&
        AColumn == FSearchColumn && !FSearchText.empty()) {
        HDC dc = ACanvas->GetHandle();
        const COLORREF cellBack = RGBOf(color);
        const COLORREF cellText = RGBOf(font->GetColor());
        const COLORREF back = FAutoSearchColor == clNone ? ~cellBack & 0xFFFFFF : RGBOf(FAutoSearchColor);
        const COLORREF fore = FAutoSearchTextColor == clNone ? ~cellText & 0xFFFFFF : RGBOf(FAutoSearchTextColor);
        const std::string typed = Utf8Copy(text, 1, Utf8Length(FSearchText));
        TSize size;
        GetTextExtentPoint32(dc, text.c_str(), int(text.size()), &size);
        const Integer x = CellTextLeft(ARect, alignment, size.cx);
        const TRect clip(ARect.Left, ARect.Top, ARect.Right - 2, ARect.Bottom);
        const COLORREF oldBack = SetBkColor(dc, back);
        const COLORREF oldText = SetTextColor(dc, fore);
        const int mode = SetBkMode(dc, OPAQUE);
        ExtTextOut(dc, x, ARect.Top + (IsInvertSelect() ? 2 : 1), ETO_CLIPPED, &clip, typed.c_str(), int(typed.size()),
                   nullptr);
        SetBkMode(dc, mode);
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBack);
        TRect frame = ARect;
        InflateRect(&frame, -1, -1);
        if (IsRowSelect() || IsInvertSelect()) {
            if (!AFirstColumn) --frame.Left;
            if (!ALastColumn) ++frame.Right;
        }
        DrawFocusRectangle(dc, frame);
    }
}
