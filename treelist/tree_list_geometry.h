#pragma once
// The geometry records of the tree list: where its areas lie in the client area (the area
// record), where every band, header cell and row lies for one paint or one hit test (the draw
// record), and what lies under a client point (the hit record with its 23 codes).

#include <vector>

#include "framework/types.h"

class TgxTreeListNode;

// What lies under a point.
enum TgxTreeListHitCode : Byte {
    hcNowhere,          // inside the client area, on nothing below
    hcHeader,           // a column header cell
    hcHeaderEdge,       // within 4 pixels of the right edge of a sizable column header
    hcButton,           // a node's expand button
    hcImage,            // a node's image
    hcStateImage,       // a node's state image
    hcIndent,           // a node's tree indent, left of button and images
    hcCell,             // a cell of a node row
    hcRowEnd,           // a node row right of the last cell
    hcOutside,          // outside the client area
    hcTopPanel,         // the top panel
    hcBandCorner,       // the band panel's indicator corner
    hcBand,             // a band header
    hcBandEdge,         // within 4 pixels of the right edge of a sizable band
    hcHeaderCorner,     // the header panel's indicator corner
    hcIndicator,        // a row's indicator cell
    hcNewItemRow,       // the new-item row
    hcRowFooter,        // a row footer cell
    hcFooter,           // the footer
    hcBandPanelEdge,    // the bottom edge of the band panel
    hcHeaderPanelEdge,  // the bottom edge of the header panel
    hcRowEdge,          // the bottom edge of a row
    hcPreview,          // a node's preview text
};

// The hit record: visible band, absolute column, node, row among the displayed rows counted from
// the top row, row footer; -1 (or nullptr) where there is none.
struct TgxTreeListHitInfo {
    Integer Band = -1;
    Integer Column = -1;
    TgxTreeListNode* Node = nullptr;
    Integer Row = -1;
    Integer RowFooterIndex = -1;
    TgxTreeListHitCode HitCode = hcOutside;
};

// The areas of the client area, top to bottom; an absent area is an empty rectangle.
struct TgxTreeListAreaInfo {
    TRect ClientRect;
    TRect TopPanelRect;
    TRect BandPanelRect;
    TRect BandCornerRect;
    TRect HeaderPanelRect;
    TRect HeaderCornerRect;
    TRect NewItemRowRect;
    TRect RowsRect;
    TRect IndicatorRect;
    TRect FooterRect;
};

// A band header: its visible band, its whole rectangle in the band panel and the part of it that
// shows (both span the band's horizontal extent even while the band panel is hidden).
struct TgxBandDrawItem {
    Integer Band = -1;
    TRect Rect;
    TRect Clip;
};

// A column header cell.
struct TgxHeaderDrawItem {
    Integer Column = -1;    // absolute column index
    Integer Band = -1;      // visible band
    Integer Row = 0;        // header row
    Integer ColIndex = 0;   // position in the row
    Integer RowSpan = 1;    // header rows the cell covers
    TRect Rect;
    TRect Clip;
    TRect EmptyRect;        // the band's empty header rows below a cell of its last row
    bool FirstInRow = false;
    bool LastInRow = false;
    bool FirstColumnOfFirstBand = false;
    bool LastColumnOfLastBand = false;
    bool MultiLine = false;
};

// A band without columns: its header-panel rectangle, cut on the right when Cut.
struct TgxEmptyBandDrawItem {
    Integer Band = -1;
    TRect Rect;
    bool Cut = false;
};

// A displayed row.
struct TgxRowDrawItem {
    TgxTreeListNode* Node = nullptr;
    Integer Top = 0;
    Integer Height = 0;
    bool GroupNode = false;
    bool Selected = false;
    Integer FooterCount = 0;
    Integer FooterHeight = 0;
    Integer IndicatorImage = 0;
    Integer PreviewLineCount = 0;
    Integer LineCount = -1;  // the row's text lines under row auto height, else -1
    Integer Bottom() const { return Top + Height; }
};

// Everything one paint or one hit test needs. The item lists keep their memory between uses.
struct TgxTreeListDrawInfo : TgxTreeListAreaInfo {
    TRect EmptyRightRect;
    TRect EmptyBottomRect;
    TRect LeftFixedBandRect;
    TRect RightFixedBandRect;
    Integer LeftFixedBand = -1;
    Integer RightFixedBand = -1;
    Integer LastScrollableBand = -1;
    // The last pixel column of the cells, and bottom - 1 of the last row (-1 while the rows fill
    // the rows area).
    Integer CellsRight = 0;
    Integer LastRowBottom = -1;
    // Width of the first band from the rows' left, cut at the fixed band separators: the tree
    // indent of a row is clipped to it.
    Integer IndentWidth = 0;
    Integer GridLineWidth = 0;
    std::vector<TgxBandDrawItem> Bands;
    std::vector<TgxHeaderDrawItem> Headers;
    std::vector<TgxEmptyBandDrawItem> EmptyBands;
    std::vector<TgxRowDrawItem> Rows;
};

// The parts of a row, top to bottom: its cell lines, the preview text, the row's own bottom grid
// line and the row footers.
struct TgxRowParts {
    Integer CellsTop = 0;
    Integer PreviewTop = 0;
    Integer PreviewBottom = 0;
    Integer FootersTop = 0;
    Integer Bottom = 0;
};
