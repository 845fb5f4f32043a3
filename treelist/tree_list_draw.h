#pragma once
// The drawing primitives of the tree-list library: header, band, corner, indicator and footer
// cells, expand buttons, sort arrows, focus frames, and the shared drawing resources (the
// checkerboard brush, the indicator images and the Outlook-style expand glyphs). The tree list,
// its drag images, the customizing list boxes, the editors and the data-aware grid use them.

#include <string>

#include "framework/graphics.h"
#include "framework/image_list.h"
#include "treelist/tree_list.h"

// Edge kinds of a header cell: the only cell of its row, the last or the first of several, one in
// between.
constexpr Integer ekOnly = 0;
constexpr Integer ekLast = 1;
constexpr Integer ekFirst = 2;
constexpr Integer ekMiddle = 3;

// Indicator images (GetIndicatorImage answers index + 1; 0 is none).
constexpr Integer iiArrow = 1;
constexpr Integer iiEdit = 2;
constexpr Integer iiInsert = 3;
constexpr Integer iiMultiDot = 4;
constexpr Integer iiMultiArrow = 5;

// The 8 x 8 checkerboard brush: a monochrome pattern whose clear bits (where x and y are both
// even or both odd) draw in the text colour and whose set bits draw in the background colour.
HBRUSH TreeListCheckerBrush();
// The five indicator images "GXGRID_ARROW", "GXGRID_EDIT", "GXGRID_INSERT", "GXGRID_MULTIDOT",
// "GXGRID_MULTIARROW", white being transparent.
TCustomImageList* TreeListIndicatorImages();
// The Outlook-style expand glyphs: 12 x 12 raised boxes with a minus, and a plus when collapsed.
TBitmap* TreeListOutlookGlyph(bool Expanded);

// Grows Bitmap to at least Width x Height (it never shrinks).
void EnsureBitmapSize(TBitmap* Bitmap, Integer Width, Integer Height);
// Replaces every other pixel of R (by the checkerboard) with the highlight colour.
void DrawCheckerHighlight(HDC DC, const TRect& R);
// Draws Bitmap at R's top-left with its transparent colour (its bottom-left pixel) replaced by
// Brush.
void DrawBitmapOnBrush(HDC DC, const TRect& R, TBitmap* Bitmap, HBRUSH Brush);
// Image Index of Images, or Bitmap, centred in R.
void DrawImageCentered(TCanvas* Canvas, const TRect& R, TCustomImageList* Images, Integer Index);
void DrawBitmapCentered(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap);
// A 9 x 9 box centred horizontally in R and vertically on line Y, with a minus, and a plus when
// collapsed.
void DrawExpandButton(HDC DC, const TRect& R, Integer Y, bool Expanded);
void DrawOutlookButton(TCanvas* Canvas, const TRect& R, bool Expanded);
// A triangle 9 pixels wide and 8 high centred in R: up for csUp, down for csDown.
void DrawSortArrow(HDC DC, const TRect& R, TgxTreeListColumnSort Sorted);
// The 3-D frame of a header, band, indicator or footer cell and its fill; R becomes the area
// inside the frame.
void DrawHeaderFrame(HDC DC, TRect& R, HBRUSH Brush, Integer EdgeKind, bool Pressed, bool Flat);
// A corner cell: a frame, inverted in the flat look while pressed.
void DrawCornerCell(HDC DC, const TRect& R, HBRUSH Brush, bool Pressed, bool Flat);
// DT_LEFT, DT_RIGHT or DT_CENTER for an alignment.
UINT AlignmentFormat(TAlignment Alignment);

// What a header or band cell shows.
struct TgxHeaderCellContent {
    std::string Text;
    TAlignment Alignment = taLeftJustify;
    TgxTreeListColumnSort Sorted = csNone;
    TBitmap* Glyph = nullptr;
    Integer EdgeKind = ekOnly;
    bool Pressed = false;
    bool Flat = false;
    bool MultiLine = false;
};
// Frame, sort arrow, glyph and caption (transparent, in the DC's font and text colour).
void DrawHeaderCell(HDC DC, const TRect& R, HBRUSH Brush, const TgxHeaderCellContent& Content);
// The same drawn into Buffer with Font and TextColor, then only Clip (a part of R) copied to DC.
void DrawHeaderCellBuffered(HDC DC, TBitmap* Buffer, const TRect& R, const TRect& Clip, HBRUSH Brush, TFont* Font,
                            TColor TextColor, const TgxHeaderCellContent& Content);
// An indicator cell with indicator image Index (0: none) centred, through Buffer, clipped to Clip.
void DrawIndicatorCell(HDC DC, TBitmap* Buffer, const TRect& R, const TRect& Clip, HBRUSH Brush, Integer Index,
                       bool Flat);
// The dotted focus rectangle with a black background and white text colour.
void DrawFocusRectangle(HDC DC, const TRect& R);
// Inverts a frame one pixel wide along R's edges.
void InvertFrame(HDC DC, const TRect& R);
// The drop arrows of band and header dragging in R (11 pixels wide): a down arrow from the top
// (its tip 8 pixels below it) and an up arrow from the bottom (its tip 9 pixels above it), with a
// black outline on Color.
void DrawDropArrows(TCanvas* Canvas, const TRect& R, TColor Color);
