// The vertical and horizontal extent of the tree list: the layout sizes measured from the fonts,
// row heights, the rows that fit, band and column widths, the top row and the horizontal scroll
// position, the two scroll bars and the scroll messages.

#include <algorithm>
#include <cstdlib>

#include "framework/math_utils.h"
#include "framework/system_metrics.h"
#include "treelist/tree_list.h"

namespace {

Integer ImageListWidth(TCustomImageList* List) {
    return List ? List->GetWidth() : 0;
}

Integer ImageListHeight(TCustomImageList* List) {
    return List ? List->GetHeight() : 0;
}

}  // namespace

// ---- measuring -------------------------------------------------------------------------------

TCanvas* TCustomgxTreeList::GetMeasureCanvas() {
    if (!FMeasureCanvas) {
        FMeasureDC = CreateCompatibleDC(nullptr);
        FMeasureCanvas = new TCanvas;
        FMeasureCanvas->SetHandle(FMeasureDC);
    }
    return FMeasureCanvas;
}

Integer TCustomgxTreeList::MeasureTextHeight(TFont* Font) {
    TCanvas* canvas = GetMeasureCanvas();
    canvas->GetFont()->Assign(Font);
    return canvas->TextHeight("Wg");
}

namespace {

// Lines of Text laid out word-wrapped (tabs expanded, no prefix characters) Width pixels wide:
// the measured height div LineHeight, at most MaxLineCount unless that is -1.
Integer WrappedLineCount(TCanvas* Canvas, TFont* Font, const std::string& Text, Integer Width, Integer LineHeight,
                         Integer MaxLineCount) {
    if (Text.empty() || MaxLineCount == 0 || LineHeight <= 0) return 0;
    Canvas->GetFont()->Assign(Font);
    TRect rect(0, 0, std::max(Width, 1), 0);
    DrawText(Canvas->GetHandle(), Text, &rect, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    Integer lines = rect.Height() / LineHeight;
    if (MaxLineCount != -1 && lines > MaxLineCount) lines = MaxLineCount;
    return lines;
}

}  // namespace

Integer TCustomgxTreeList::MeasureLineCount(TFont* Font, const std::string& Text, Integer Width, Integer TextHeight,
                                            Integer MaxLineCount, Integer GridWidth) {
    return WrappedLineCount(GetMeasureCanvas(), Font, Text, Width - GridWidth - 4, TextHeight, MaxLineCount);
}

Integer TCustomgxTreeList::GetColumnLineHeight(TCanvas* /*Canvas*/, Integer Column) {
    if (!IsColumnFontAssigned(Column)) return 0;
    return MeasureTextHeight(GetColumnFont(Column)) + 3;
}

Integer TCustomgxTreeList::GetMaxColumnLineHeight(TCanvas* Canvas) {
    Integer highest = 0;
    ForEachShownColumn([&](Integer, Integer, Integer, Integer Column) {
        highest = std::max(highest, GetColumnLineHeight(Canvas, Column));
    });
    return highest;
}

// ---- the layout ------------------------------------------------------------------------------

void TCustomgxTreeList::CalcLayoutMetrics() {
    if (IsLoading() || IsDestroying()) return;
    const Integer standard = FLookAndFeel == lfStandard ? 1 : 0;
    FLayoutBandRows = GetBandRowCount();
    FLayoutHeaderRows = GetHeaderPanelRowCount();
    FLayoutHeaderLines = GetHeaderMinRowCount();
    FBandTextHeight = MeasureTextHeight(FBandFont);
    FBandPanelHeight = FShowBands ? FBandTextHeight * FLayoutBandRows + 5 + standard : 0;
    FHeaderRowHeight = MeasureTextHeight(FHeaderFont) * FLayoutHeaderLines + 5 + standard;
    FHeaderPanelHeight = FShowHeader ? FHeaderRowHeight * FLayoutHeaderRows : 0;
    FDragArrowRect = TRect(0, 0, 11, FHeaderRowHeight + 18);
    FGroupPanelHeight = GetGroupPanelHeight();
    FIndicatorWidth = FShowIndicator ? GetGrIndicatorWidth() : 0;
    FTextHeight = MeasureTextHeight(GetFont());
    FDigitWidth = GetMeasureCanvas()->TextWidth("0");
    FFooterCellHeight = FTextHeight + 7;
    FFooterPanelHeight = FShowFooter ? FFooterCellHeight * FLayoutHeaderRows + 3 + standard : 0;
    const Integer grid = FShowGrid && FShowPreviewGrid ? 1 : 0;
    FRowFooterHeight = FFooterCellHeight * FLayoutHeaderRows + 2 + grid;
    FImageWidth = ImageListWidth(FImages);
    FImageHeight = ImageListHeight(FImages);
    FStateImageWidth = ImageListWidth(FStateImages);
    FStateImageHeight = ImageListHeight(FStateImages);

    // The least row line: a text line with its margins, a button, the images and the columns'
    // own fonts.
    Integer least = std::max(FTextHeight + 3, 16);
    for (const Integer image : {FImageHeight, FStateImageHeight})
        if ((least + grid) * FLayoutHeaderRows < image) least = image;
    const Integer columns = GetMaxColumnLineHeight(GetMeasureCanvas());
    if (least + grid < columns) least = columns;
    least += grid;
    if (IsInvertSelect()) least += 2;
    FMinRowLineHeight = least;
    if (!FDefaultRowHeightAssigned || FDefaultRowHeight < least) FDefaultRowHeight = least;
    if (FDefaultRowHeight == least) FDefaultRowHeightAssigned = false;

    FNewItemRowHeight = FShowNewItemRow && GetVisibleBandCount() > 0 && FLayoutHeaderRows == 1
                            ? FDefaultRowHeight + (standard ? 6 : 5)
                            : 0;
    FPreviewTextHeight = MeasureTextHeight(FPreviewFont);
    FStandardPaint = FPaintStyle == psStandard;

    ClearCache();
    PrepareLayout();
    UpdateScrollBars();
    ClampScrollPositions();
    RefreshCache();
    AfterLayoutChanged();
    if (!FCacheBuilt) RefreshCache();
    RemoveUnneededScrollBars();
    Invalidate();
}

Integer TCustomgxTreeList::GetRowsHeight() {
    const TRect client = GetClientRect();
    const Integer height = client.Height() - FGroupPanelHeight - FBandPanelHeight - FHeaderPanelHeight -
                           (IsNewItemRowVisible() ? FNewItemRowHeight : 0) - FFooterPanelHeight;
    return std::max(height, 0);
}

// ---- row heights -----------------------------------------------------------------------------

Integer TCustomgxTreeList::CalcRowHeight(TgxTreeListNode* Node, Integer LineHeight, bool NoCache) {
    if (UseRowHeightCache() && !NoCache && Node && Node->GetCachedRowHeight() != 0) return Node->GetCachedRowHeight();
    const bool preview = IsPreviewVisible();
    const Integer previewLines = preview ? GetPreviewLineCount(Node) : 0;
    const Integer gridWidth = FShowGrid ? GetRowSeparatorLineWidth() : 0;
    const bool previewGrid = FShowGrid && FShowPreviewGrid;
    if (!preview && FLayoutHeaderRows == 1 && IsRowAutoHeight()) {
        Integer lineHeight = LineHeight;
        const Integer lines = GetRowLineCount(Node, lineHeight);
        if (lines > 1 && lineHeight == LineHeight) LineHeight += (lines - 1) * FTextHeight;
        LineHeight = std::max(LineHeight, lineHeight);
    }
    // The grid line below the row starts the sum; a group row counts it once.
    Integer height = gridWidth;
    const bool group = IsGroupNode(Node);
    if (group)
        height += LineHeight;
    else
        height += FLayoutHeaderRows * LineHeight + previewLines * FPreviewTextHeight +
                  (previewLines > 0 && previewGrid ? 1 : 0);
    if (!FShowGrid && Node && Node->GetHasChildren() && FPaintStyle == psOutlook) ++height;
    if (previewLines > 0 && !group) height += 2;
    if (previewGrid) --height;
    height += GetRowFooterCount(Node) * FRowFooterHeight;
    if (!NoCache && Node) Node->SetCachedRowHeight(height);
    return height;
}

Integer TCustomgxTreeList::GetRowFooterCount(TgxTreeListNode* Node) {
    if (!IsShowRowFooter() || !Node || Node->GetCount() > 0 || !Node->IsLast()) return 0;
    Integer count = 0;
    for (TgxTreeListNode* parent = Node->GetParent(); parent; parent = parent->GetParent()) {
        if (IsLevelFooter(parent->GetLevel())) ++count;
        if (!parent->IsLast()) break;
    }
    return count;
}

Integer TCustomgxTreeList::GetRowFooterLevel(TgxTreeListNode* Node, Integer Index) {
    if (Index < 0 || Index >= GetRowFooterCount(Node)) return -1;
    for (TgxTreeListNode* parent = Node->GetParent(); parent; parent = parent->GetParent()) {
        const Integer level = parent->GetLevel();
        if (IsLevelFooter(level) && Index-- == 0) return level;
        if (!parent->IsLast()) break;
    }
    return -1;
}

Integer TCustomgxTreeList::GetRowLineCount(TgxTreeListNode* Node, Integer& LineHeight) {
    if (IsGroupNode(Node)) return 1;
    const Integer grid = FShowGrid && FShowPreviewGrid ? 1 : 0;
    Integer treeStart = 0;
    Integer treeEnd = 0;
    GetNodeIndent(Node, treeStart, treeEnd);
    Integer highest = -1;
    std::string text;
    ForEachShownColumn([&](Integer Band, Integer, Integer Position, Integer Column) {
        GetCellText(Node, Column, text);
        Integer width = CalcColumnWidth(Column);
        if (Band == 0 && Position == 0) width -= treeEnd;
        Integer lines = 0;
        if (!DoCalcRowLineHeight(Node, Column, text, width, FTextHeight, FMaxRowLineCount, IsInvertSelect(), grid != 0,
                                 lines, LineHeight))
            lines = MeasureLineCount(GetFont(), text, width, FTextHeight, FMaxRowLineCount, grid);
        highest = std::max(highest, lines);
    });
    return highest;
}

Integer TCustomgxTreeList::GetPreviewLineCount(TgxTreeListNode* Node) {
    // PreviewLines -1 means "as many as the text needs" when the lines are measured, and gives
    // no preview lines otherwise: a row never gets shorter than its text.
    if (!Node || !IsAutoCalcPreviewLines()) return std::max(FPreviewLines, 0);
    std::string text;
    GetPreviewText(Node, text);
    if (text.empty()) return 0;
    Integer treeStart = 0;
    Integer treeEnd = 0;
    GetNodeIndent(Node, treeStart, treeEnd);
    const Integer width = GetBandsWidth() - (FShowGrid ? 1 : 0) - treeEnd - FIndentDesc;
    return std::max(WrappedLineCount(GetMeasureCanvas(), FPreviewFont, text, width, FPreviewTextHeight, FPreviewLines),
                    0);
}

// ---- the rows that fit -----------------------------------------------------------------------

Integer TCustomgxTreeList::CalcVisibleRows(TgxTreeListNode* StartNode, Integer Height, Integer& FullCount,
                                           Integer& Count) {
    Integer sum = 0;
    FullCount = 0;
    Count = 0;
    // A row that does not wholly fit is counted as partly visible and ends the walk.
    auto take = [&](TgxTreeListNode* Node) {
        const Integer h = CalcRowHeight(Node, FDefaultRowHeight, false);
        if (sum + h <= Height) {
            sum += h;
            ++FullCount;
            ++Count;
            return true;
        }
        if (sum <= Height) ++Count;
        sum += h;
        return false;
    };
    bool open = true;
    for (TgxTreeListNode* node = StartNode; node && open; node = GetNextVisible(node)) open = take(node);
    // The page is filled upwards when the rows after the start do not fill it.
    if (open)
        for (TgxTreeListNode* node = GetPrevVisible(StartNode); node && open; node = GetPrevVisible(node))
            open = take(node);
    FullCount = std::max(FullCount, 1);
    Count = std::max(Count, 1);
    return sum;
}

void TCustomgxTreeList::UpdateVisibleRowCounts() {
    CalcVisibleRows(FTopVisibleNode, GetRowsHeight(), FFullVisibleRowCount, FVisibleRowCount);
}

bool TCustomgxTreeList::IsLastVisibleNode(TgxTreeListNode* Node) {
    return Node && Node == GetAbsoluteNode(GetAbsoluteCount() - 1);
}

// ---- vertical scrolling ----------------------------------------------------------------------

Integer TCustomgxTreeList::GetTopIndex() const {
    return FTopVisibleNode ? GetAbsoluteIndex(FTopVisibleNode) : -1;
}

Integer TCustomgxTreeList::GetScrollDistance(Integer Rows) {
    Integer distance = 0;
    TgxTreeListNode* node = FTopVisibleNode;
    if (Rows < 0) {
        for (Integer i = 0; i < -Rows && node; ++i, node = GetNextVisible(node))
            distance -= CalcRowHeight(node, FDefaultRowHeight, false);
    } else {
        node = GetPrevVisible(node);
        for (Integer i = 0; i < Rows && node; ++i, node = GetPrevVisible(node))
            distance += CalcRowHeight(node, FDefaultRowHeight, false);
    }
    return distance;
}

void TCustomgxTreeList::SetTopIndex(Integer Index) {
    HideEditor();
    const Integer old = GetTopIndex();
    if (Index == old) return;
    if (Index < 0) Index = 0;
    const Integer count = GetAbsoluteCount();
    if (count < 2) return;
    // Past the end means the last row: the page is measured from a row that exists.
    if (Index > count - 1) Index = count - 1;
    Integer full = 0;
    Integer visible = 0;
    CalcVisibleRows(GetAbsoluteNode(Index), GetRowsHeight(), full, visible);
    if (Index + full > count) Index = std::max(count - full, 0);
    if (Index == old) return;

    const bool focusOnScreen = FFocusedNode && HandleAllocated();
    const TRect oldFocus = focusOnScreen ? GetNodeRect(FFocusedNode) : TRect();
    // The rows between the two tops are measured while the old top still stands.
    const Integer moved = std::abs(old - Index);
    const Integer distance = old >= 0 && moved <= std::max(FVisibleRowCount, FFullVisibleRowCount) + 1
                                 ? GetScrollDistance(old - Index)
                                 : 0;
    ChangeTopVisibleNode(GetAbsoluteNode(Index));
    UpdateScrollBars();
    if (IsUpdating() || !HandleAllocated()) return;
    if (oldFocus.Top >= 0 && oldFocus.Bottom > oldFocus.Top) InvalidateArea(oldFocus);
    if (focusOnScreen) InvalidateNode(FFocusedNode);
    if (old < 0 || moved > FFullVisibleRowCount || (distance == 0 && moved > 0)) {
        Invalidate();
        return;
    }
    HideDragImages();
    ScrollVert(distance);
    ShowDragImages();
}

void TCustomgxTreeList::ScrollVert(Integer DY) {
    if (!HandleAllocated()) return;
    const TRect rows = GetRowsAreaRect();
    ScrollWindowEx(this, 0, DY, &rows, &rows, nullptr, SW_INVALIDATE);
    if (FPaintStyle == psStandard && FTreeLineStyle == tlDot && GetVisibleBandCount() > 0) {
        // Dotted lines scrolled by an odd distance would be out of phase: they are drawn again.
        const TgxTreeListAreaInfo area = CalcRectInfo();
        Integer right = area.RowsRect.Left + CalcBandWidth(0) + GetGroupIndent();
        if (GetLeftFixedBand() < 0) right -= FLeftCoord;
        const TRect strip(area.RowsRect.Left, area.RowsRect.Top, std::min(right, area.RowsRect.Right),
                          area.RowsRect.Bottom);
        if (strip.Right > strip.Left) InvalidateArea(strip);
    }
}

Integer TCustomgxTreeList::GetTopIndexForLastRow(Integer Index) {
    TgxTreeListNode* node = GetAbsoluteNode(Index);
    if (!node) return std::max(Index - FFullVisibleRowCount + 1, 0);
    const Integer height = GetRowsHeight();
    Integer total = CalcRowHeight(node, FDefaultRowHeight, false);
    Integer top = Index;
    for (node = GetPrevVisible(node); node; node = GetPrevVisible(node)) {
        const Integer h = CalcRowHeight(node, FDefaultRowHeight, false);
        if (total + h > height) break;
        total += h;
        --top;
    }
    return top >= 0 ? top : Index - FFullVisibleRowCount + 1;
}

void TCustomgxTreeList::ResetToFirstNode() {
    TgxTreeListNode* first = GetFirstNode();
    FFocusedNode = first;
    ChangeTopVisibleNode(first);
}

// ---- horizontal scrolling --------------------------------------------------------------------

void TCustomgxTreeList::SetLeftCoord(Integer Value) {
    HideEditor();
    if (Value == FLeftCoord) return;
    if (Value < 0) Value = 0;
    const Integer bands = GetScrollableBandsWidth();
    const Integer area = GetScrollableAreaWidth();
    if (Value + area > bands) Value = std::max(bands - area, 0);
    if (Value == FLeftCoord) return;
    const Integer old = FLeftCoord;
    FLeftCoord = Value;
    UpdateScrollBars();
    if (IsUpdating()) return;
    if (HandleAllocated()) {
        if (FShowFooter || std::abs(old - Value) > area || GetLeftFixedBand() >= 0 || GetRightFixedBand() >= 0) {
            Invalidate();
        } else {
            HideDragImages();
            ScrollHorz(old - Value);
            ShowDragImages();
        }
    }
    DoChangeLeftCoord();
}

void TCustomgxTreeList::ScrollHorz(Integer DX) {
    if (!HandleAllocated()) return;
    const TRect area = GetScrollableRect();
    ScrollWindowEx(this, DX, 0, &area, &area, nullptr, SW_INVALIDATE);
}

void TCustomgxTreeList::MakeBandVisible(Integer VisibleBand) {
    if (VisibleBand < 0 || VisibleBand >= GetVisibleBandCount() || GetVisibleBandCount() < 2) return;
    if (VisibleBand == GetLeftFixedBand() || VisibleBand == GetRightFixedBand()) return;
    const Integer left = GetBandOffset(VisibleBand);
    const Integer right = left + CalcBandWidth(VisibleBand) + (VisibleBand == 0 ? GetGroupIndent() : 0);
    const Integer width = GetScrollableAreaWidth();
    if (left >= FLeftCoord && right <= FLeftCoord + width) return;
    SetLeftCoord(left >= FLeftCoord ? std::min(left, right - width) : left);
}

void TCustomgxTreeList::MakeColumnVisible(Integer Column) {
    const Integer column = VisibleToAbsoluteIndex(Column);
    if (column < 0) return;
    Integer band = -1;
    Integer row = -1;
    Integer position = -1;
    ForEachShownColumn([&](Integer Band, Integer Row, Integer Position, Integer Index) {
        if (Index == column) {
            band = Band;
            row = Row;
            position = Position;
        }
    });
    if (band < 0 || band == GetLeftFixedBand() || band == GetRightFixedBand()) return;
    Integer left = GetBandOffset(band);
    for (Integer i = 0; i < position; ++i) left += CalcColumnWidth(GetBandRowColumnIndex(band, row, i));
    const Integer right = left + CalcColumnWidth(column);
    const Integer width = GetScrollableAreaWidth();
    if (left >= FLeftCoord && right <= FLeftCoord + width) return;
    SetLeftCoord(left >= FLeftCoord ? std::min(left, right - width) : left);
}

// ---- band and column widths ------------------------------------------------------------------

Integer TCustomgxTreeList::GetBandMinWidth(Integer VisibleBand) {
    Integer width = IsBandSizing(VisibleBand) ? GetVisibleBandMinWidth(VisibleBand) : GetVisibleBandWidth(VisibleBand);
    const Integer rows = GetBandUsedRowCount(VisibleBand);
    for (Integer row = 0; row < rows; ++row) {
        Integer sum = 0;
        for (Integer i = 0; i < GetBandRowColumnCount(VisibleBand, row); ++i)
            sum += GetColumnMinWidth(GetBandRowColumnIndex(VisibleBand, row, i));
        width = std::max(width, sum);
    }
    return width;
}

Integer TCustomgxTreeList::GetBandPreferredWidth(Integer VisibleBand) {
    Integer width = 0;
    if (IsBandHeaderWidth()) {
        const Integer rows = GetBandUsedRowCount(VisibleBand);
        for (Integer row = 0; row < rows; ++row) {
            Integer sum = 0;
            for (Integer i = 0; i < GetBandRowColumnCount(VisibleBand, row); ++i)
                sum += GetColumnWidth(GetBandRowColumnIndex(VisibleBand, row, i));
            width = std::max(width, sum);
        }
    }
    if (width == 0) width = GetVisibleBandWidth(VisibleBand);
    return std::max(width, GetBandMinWidth(VisibleBand));
}

Integer TCustomgxTreeList::GetBandsWidth() {
    const Integer bands = GetVisibleBandCount();
    if (bands == 0) return 0;
    const Integer indent = GetGroupIndent();
    if (!IsAutoWidth()) {
        Integer width = indent;
        for (Integer band = 0; band < bands; ++band) width += CalcBandWidth(band);
        return width;
    }
    const Integer client = GetClientRect().Width() - FIndicatorWidth;
    Integer least = indent;
    bool sizable = false;
    for (Integer band = 0; band < bands; ++band) {
        least += GetBandMinWidth(band);
        sizable = sizable || IsBandSizing(band);
    }
    return client < least || !sizable ? least : client;
}

Integer TCustomgxTreeList::CalcBandWidth(Integer VisibleBand) {
    if (!IsAutoWidth()) return GetBandPreferredWidth(VisibleBand);
    const Integer bands = GetVisibleBandCount();
    if (VisibleBand < 0 || VisibleBand >= bands) return 0;
    const Integer total = GetBandsWidth() - GetGroupIndent();
    if (VisibleBand == bands - 1) {
        Integer width = total;
        for (Integer band = 0; band < bands - 1; ++band) width -= CalcBandWidth(band);
        return std::max(width, 0);
    }
    const Integer preferred = GetBandPreferredWidth(VisibleBand);
    if (!IsBandSizing(VisibleBand)) return preferred;
    Integer preferredSum = 0;
    Integer leastSum = 0;
    for (Integer band = 0; band < bands; ++band) {
        preferredSum += GetBandPreferredWidth(band);
        leastSum += GetBandMinWidth(band);
    }
    // The preferred widths of the sizable bands that get more than their minimum.
    Integer growingSum = 0;
    for (Integer band = 0; band < bands; ++band) {
        const Integer p = GetBandPreferredWidth(band);
        if (IsBandSizing(band) && GetBandMinWidth(band) < MulDiv(total, p, preferredSum)) growingSum += p;
    }
    const Integer share = MulDiv(total, preferred, preferredSum);
    const Integer least = GetBandMinWidth(VisibleBand);
    Integer width;
    if (preferredSum == growingSum)
        width = share;
    else if (least < share)
        width = least + MulDiv(total - leastSum, preferred, growingSum);
    else
        width = least;
    // MulDiv answers -1 for a zero divisor: a band is never narrower than nothing.
    return std::max(width, 0);
}

Integer TCustomgxTreeList::CalcColumnWidth(Integer Column) {
    const Integer band = GetVisibleBandIndex(GetColumnBandIndex(Column));
    if (band < 0) return GetColumnWidth(Column);
    // The band row that holds the column.
    Integer row = -1;
    for (Integer r = 0; r < GetBandUsedRowCount(band) && row < 0; ++r)
        for (Integer i = 0; i < GetBandRowColumnCount(band, r); ++i)
            if (GetBandRowColumnIndex(band, r, i) == Column) row = r;
    if (row < 0) return GetColumnWidth(Column);
    const Integer count = GetBandRowColumnCount(band, row);
    const Integer bandWidth = CalcBandWidth(band);
    Integer width = bandWidth;
    Integer widthSum = 0;
    Integer leastSum = 0;
    for (Integer i = 0; i < count; ++i) {
        const Integer column = GetBandRowColumnIndex(band, row, i);
        widthSum += GetColumnWidth(column);
        leastSum += GetColumnMinWidth(column);
    }
    // The widths of the sizable columns whose share is above their minimum, and whether some
    // sizable column's share is not.
    Integer growingSum = 0;
    bool held = false;
    for (Integer i = 0; i < count; ++i) {
        const Integer column = GetBandRowColumnIndex(band, row, i);
        if (!IsColumnSizing(column)) continue;
        if (MulDiv(width, GetColumnWidth(column), widthSum) > GetColumnMinWidth(column))
            growingSum += GetColumnWidth(column);
        else
            held = true;
    }
    const Integer indent = band == 0 ? GetGroupIndent() : 0;
    Integer given = 0;
    for (Integer i = 0; i < count; ++i) {
        const Integer column = GetBandRowColumnIndex(band, row, i);
        Integer result;
        if (i == count - 1) {
            result = bandWidth - given;
        } else if (!IsColumnSizing(column)) {
            result = GetColumnWidth(column);
            width -= result;
            widthSum -= result;
            leastSum -= GetColumnMinWidth(column);
        } else {
            const Integer share = MulDiv(width, GetColumnWidth(column), widthSum);
            const Integer least = GetColumnMinWidth(column);
            if (growingSum == widthSum)
                result = share;
            else if (least >= share)
                result = least;
            else if (held)
                result = least + MulDiv(width - leastSum, GetColumnWidth(column), growingSum);
            else
                result = share;
        }
        result = std::max(result, 0);
        if (column == Column) return result + (i == 0 ? indent : 0);
        given += result;
    }
    return GetColumnWidth(Column);
}

Integer TCustomgxTreeList::GetBandOffset(Integer VisibleBand) {
    const Integer bands = GetVisibleBandCount();
    if (bands < 2 || VisibleBand < 0 || VisibleBand >= bands) return 0;
    const Integer leftFixed = GetLeftFixedBand();
    if (VisibleBand == leftFixed || VisibleBand == GetRightFixedBand()) return 0;
    const Integer first = leftFixed >= 0 ? leftFixed + 1 : 0;
    Integer offset = first == 0 && VisibleBand > 0 ? GetGroupIndent() : 0;
    for (Integer band = first; band < VisibleBand; ++band) offset += CalcBandWidth(band);
    return offset;
}

Integer TCustomgxTreeList::GetScrollableBandsWidth() {
    Integer width = GetBandsWidth();
    const Integer leftFixed = GetLeftFixedBand();
    const Integer rightFixed = GetRightFixedBand();
    if (leftFixed >= 0) width -= CalcBandWidth(leftFixed) + GetGroupIndent();
    if (rightFixed >= 0) width -= CalcBandWidth(rightFixed);
    return width;
}

TRect TCustomgxTreeList::GetScrollableRect() {
    TRect rect = GetClientRect();
    if (FShowIndicator) rect.Left += FIndicatorWidth;
    rect.Top += FGroupPanelHeight;
    if (!IsAutoWidth()) {
        const Integer leftFixed = GetLeftFixedBand();
        const Integer rightFixed = GetRightFixedBand();
        if (leftFixed >= 0) rect.Left += CalcBandWidth(leftFixed) + GetGroupIndent();
        if (rightFixed >= 0) rect.Right -= CalcBandWidth(rightFixed);
    }
    if (rect.Right < rect.Left) rect.Right = rect.Left;
    return rect;
}

Integer TCustomgxTreeList::GetScrollableAreaWidth() {
    return GetScrollableRect().Width();
}

// ---- scroll bars -----------------------------------------------------------------------------

void TCustomgxTreeList::GetVertScrollInfo(Integer& Min, Integer& Max, Integer& Page, Integer& Pos) {
    const Integer count = GetAbsoluteCount();
    Min = 0;
    Page = FFullVisibleRowCount;
    Max = count > FFullVisibleRowCount ? count - 1 : 0;
    Pos = GetTopIndex();
}

void TCustomgxTreeList::UpdateScrollBars() {
    if (!HandleAllocated()) return;
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
}

namespace {

// Sets a window scroll bar only when one of its values differs.
void SetScrollBarWhenChanged(TWinControl* Control, Integer Bar, Integer Min, Integer Max, Integer Page, Integer Pos) {
    TScrollInfo current;
    current.fMask = SIF_ALL;
    GetScrollInfo(Control, Bar, current);
    Pos = std::max(Pos, Min);
    if (current.nMin == Min && current.nMax == Max && Integer(current.nPage) == Page && current.nPos == Pos) return;
    TScrollInfo info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = Min;
    info.nMax = Max;
    info.nPage = UINT(std::max(Page, 0));
    info.nPos = Pos;
    SetScrollInfo(Control, Bar, info, true);
}

}  // namespace

void TCustomgxTreeList::UpdateVertScrollBar() {
    if (!HandleAllocated()) return;
    UpdateVisibleRowCounts();
    if (!HasVertScrollBar()) return;
    Integer min = 0;
    Integer max = 0;
    Integer page = 0;
    Integer pos = 0;
    GetVertScrollInfo(min, max, page, pos);
    HideDragImages();
    SetScrollBarWhenChanged(this, SB_VERT, min, max, page, pos);
    ShowDragImages();
}

void TCustomgxTreeList::UpdateHorzScrollBar() {
    if (!HandleAllocated() || !HasHorzScrollBar()) return;
    const Integer page = GetScrollableAreaWidth();
    const Integer width = GetScrollableBandsWidth();
    HideDragImages();
    SetScrollBarWhenChanged(this, SB_HORZ, 0, page < width ? width - 1 : 0, page, FLeftCoord);
    ShowDragImages();
}

void TCustomgxTreeList::ClampScrollPositions() {
    if (!HandleAllocated()) return;
    const Integer count = GetAbsoluteCount();
    if (GetTopIndex() + FFullVisibleRowCount > count) SetTopIndex(std::max(count - FFullVisibleRowCount, 0));
    const Integer area = GetScrollableAreaWidth();
    const Integer bands = GetScrollableBandsWidth();
    if (area < bands) {
        if (FLeftCoord + area > bands) {
            FLeftCoord = bands - area;
            Invalidate();
        }
    } else if (FLeftCoord != 0) {
        SetLeftCoord(0);
    }
}

void TCustomgxTreeList::RemoveUnneededScrollBars() {
    if (!HandleAllocated() || KeepScrollBars()) return;
    if (!ScrollBarState(SB_HORZ).Shown || !ScrollBarState(SB_VERT).Shown) return;
    Integer full = 0;
    Integer count = 0;
    CalcVisibleRows(FTopVisibleNode, GetRowsHeight() + GetSystemMetrics(SM_CYHSCROLL), full, count);
    if (GetAbsoluteCount() > full) return;
    if (GetScrollableBandsWidth() > GetScrollableAreaWidth() + GetSystemMetrics(SM_CXVSCROLL)) return;
    ShowScrollBar(this, SB_BOTH, false);
}

// ---- messages --------------------------------------------------------------------------------

namespace {

// Where the thumb of a window scroll bar is being dragged.
Integer TrackPosition(TWinControl* Control, Integer Bar) {
    TScrollInfo info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(Control, Bar, info);
    return info.nTrackPos;
}

}  // namespace

void TCustomgxTreeList::WMVScroll(TMessage& Message) {
    if (!CanScroll()) return;
    const Integer count = GetAbsoluteCount();
    const Integer top = GetTopIndex();
    Integer index;
    switch (ScrollCode(Message)) {
    case SB_LINEUP: index = top - 1; break;
    case SB_LINEDOWN: index = top + 1; break;
    case SB_PAGEUP: index = top - FFullVisibleRowCount; break;
    case SB_PAGEDOWN: index = top + FFullVisibleRowCount; break;
    case SB_TOP: index = 0; break;
    case SB_BOTTOM: index = count; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        const Integer track = TrackPosition(this, SB_VERT);
        index = track <= 0 ? 0 : track < count ? track : count;
        break;
    }
    default: return;
    }
    SetTopIndex(index);
}

void TCustomgxTreeList::WMHScroll(TMessage& Message) {
    if (!CanScroll() || VisibleToAbsoluteIndex(0) < 0) return;
    const Integer bands = GetScrollableBandsWidth();
    const Integer area = GetScrollableAreaWidth();
    Integer value;
    switch (ScrollCode(Message)) {
    case SB_LINELEFT: value = FLeftCoord - FDigitWidth; break;
    case SB_LINERIGHT: value = FLeftCoord + FDigitWidth; break;
    case SB_PAGELEFT: value = FLeftCoord - area; break;
    case SB_PAGERIGHT: value = FLeftCoord + area; break;
    case SB_LEFT: value = 0; break;
    case SB_RIGHT: value = bands; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        const Integer track = TrackPosition(this, SB_HORZ);
        // The thumb moves in steps of 4 pixels; its last positions reach the exact end.
        if (track <= 0)
            value = 0;
        else if (track >= bands)
            value = bands;
        else if (area + track + 1 >= bands)
            value = track + 1;
        else
            value = ((track + 1) / 4) * 4;
        break;
    }
    default: return;
    }
    SetLeftCoord(value);
}

void TCustomgxTreeList::WMMouseWheel(TMessage& Message) {
    TCustomgxContainer::WMMouseWheel(Message);
    const Integer delta = int16_t(Message.WParam >> 16);
    Perform(WM_VSCROLL, delta <= 0 ? SB_LINEDOWN : SB_LINEUP);
}

void TCustomgxTreeList::WMSize(TMessage& Message) {
    ClearRowHeightCache();
    HideEditor();
    RemoveUnneededScrollBars();
    TCustomgxContainer::WMSize(Message);
    UpdateScrollBars();
    ClampScrollPositions();
}

// ---- repainting parts ------------------------------------------------------------------------

void TCustomgxTreeList::InvalidateArea(const TRect& R) {
    InvalidateRect(&R, false);
}

void TCustomgxTreeList::InvalidateNode(TgxTreeListNode* Node) {
    if (!Node || !HandleAllocated() || IsUpdating()) return;
    const TRect rect = GetNodeRect(Node);
    if (rect.Bottom > rect.Top && rect.Top >= 0) InvalidateArea(rect);
}

void TCustomgxTreeList::InvalidateRowsFrom(TgxTreeListNode* Node) {
    if (!Node || !HandleAllocated() || IsUpdating()) return;
    const TgxTreeListAreaInfo area = CalcRectInfo();
    TRect rect = GetNodeRect(Node);
    if (rect.Top < 0) {
        // Above the top row every row moves; below the last one nothing shows.
        if (GetAbsoluteIndex(Node) >= GetTopIndex()) return;
        rect.Top = area.RowsRect.Top;
    }
    InvalidateArea(TRect(area.ClientRect.Left, rect.Top, area.ClientRect.Right, area.RowsRect.Bottom));
}

void TCustomgxTreeList::InvalidateNewItemRow() {
    if (!IsNewItemRowVisible() || !HandleAllocated() || IsUpdating()) return;
    InvalidateArea(CalcRectInfo().NewItemRowRect);
}
