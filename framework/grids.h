#pragma once
// Grids: TCustomGrid lays out columns and rows (fixed ones at the top and left that do not
// scroll), keeps the current cell and the selection, scrolls with its window scroll bars and
// draws every visible cell through the DrawCell virtual; TDrawGrid hands the drawing and the
// cell selection to its events.
//
// A change of the current cell (by the user or in code) asks SelectCell first and is refused when
// it answers false. TopLeftChanged runs whenever the first visible non-fixed row or column
// changes, for whatever reason; the scroll bar reaches the grid as WM_HSCROLL / WM_VSCROLL, so a
// descendant tells a scroll by the bar from the others by handling those messages.

#include <functional>
#include <vector>

#include "framework/controls.h"
#include "framework/graphics.h"

LUMORA_DECLARE_EXCEPTION(EInvalidGridOperation, Exception)

enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking,
};
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

struct TGridCoord {
    Integer X = 0;
    Integer Y = 0;
    bool operator==(const TGridCoord&) const = default;
};

struct TGridRect {
    Integer Left = 0;
    Integer Top = 0;
    Integer Right = 0;
    Integer Bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

class TCustomGrid : public TCustomControl {
    LUMORA_CLASS(TCustomGrid, TCustomControl)
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    // The cell's rectangle in client coordinates; empty when the cell is not in view.
    TRect CellRect(Integer ACol, Integer ARow);
    // The cell under a client point; -1 for a coordinate outside the cells.
    void MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow);
    TGridCoord MouseCoord(Integer X, Integer Y);

    Integer GetColCount() const { return FColCount; }
    void SetColCount(Integer Value);
    Integer GetRowCount() const { return FRowCount; }
    void SetRowCount(Integer Value);
    Integer GetFixedCols() const { return FFixedCols; }
    void SetFixedCols(Integer Value);
    Integer GetFixedRows() const { return FFixedRows; }
    void SetFixedRows(Integer Value);
    Integer GetDefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(Integer Value);
    Integer GetDefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(Integer Value);
    Integer GetColWidths(Integer Index) const;
    void SetColWidths(Integer Index, Integer Value);
    Integer GetRowHeights(Integer Index) const;
    void SetRowHeights(Integer Index, Integer Value);
    Integer GetGridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(Integer Value);
    // The current cell; setting it asks SelectCell and scrolls it into view.
    Integer GetCol() const { return FCurrent.X; }
    void SetCol(Integer Value);
    Integer GetRow() const { return FCurrent.Y; }
    void SetRow(Integer Value);
    // The first non-fixed row and column in view.
    Integer GetTopRow() const { return FTopLeft.Y; }
    void SetTopRow(Integer Value);
    Integer GetLeftCol() const { return FTopLeft.X; }
    void SetLeftCol(Integer Value);
    // Non-fixed columns and rows wholly in view.
    Integer GetVisibleColCount();
    Integer GetVisibleRowCount();
    TGridRect GetSelection() const;
    void SetSelection(TGridRect Value);
    TGridOptions GetOptions() const { return FOptions; }
    void SetOptions(TGridOptions Value);
    TScrollStyle GetScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool GetDefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value);
    TColor GetFixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TGridState GetGridState() const { return FGridState; }
    TCanvas* GetCanvas() { return TCustomControl::GetCanvas(); }

    void InvalidateCell(Integer ACol, Integer ARow);
    void InvalidateCol(Integer ACol);
    void InvalidateRow(Integer ARow);
    void InvalidateGrid() { Invalidate(); }

protected:
    // Draws one cell (the canvas is prepared: font, and with DefaultDrawing the cell's colours
    // and background).
    virtual void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) = 0;
    // Whether the cell may become the current cell.
    virtual bool SelectCell(Integer ACol, Integer ARow) { return true; }
    // ColCount or RowCount changed (the old values given).
    virtual void SizeChanged(Integer OldColCount, Integer OldRowCount) {}
    // TopRow or LeftCol changed.
    virtual void TopLeftChanged() {}
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void ColumnMoved(Integer FromIndex, Integer ToIndex) {}
    virtual void RowMoved(Integer FromIndex, Integer ToIndex) {}
    // Moves the current cell (MoveAnchor: the selection starts there; Show: scroll it into view).
    void FocusCell(Integer ACol, Integer ARow, bool MoveAnchor);
    void MoveCurrent(Integer ACol, Integer ARow, bool MoveAnchor, bool Show);
    // Moves the far corner of the selection (the current cell stays).
    void MoveAnchor(const TGridCoord& NewAnchor);
    void MoveTopLeft(Integer ALeft, Integer ATop);
    // Scrolls so that the cell is in view.
    void ClampInView(const TGridCoord& Coord);
    void MoveColumn(Integer FromIndex, Integer ToIndex);
    void MoveRow(Integer FromIndex, Integer ToIndex);
    TGridCoord GetCurrent() const { return FCurrent; }
    TGridCoord GetAnchor() const { return FAnchor; }

    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMSize(TMessage& Message) override;
    void WMHScroll(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMSetCursor(TMessage& Message) override;
    void WMTimer(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMCancelMode(TMessage& Message) override;

private:
    struct TAxis {
        Integer Count = 0;
        Integer Fixed = 0;
        Integer Default = 0;
        const std::vector<Integer>* Sizes = nullptr;  // the grid's own sizes; empty: every size is Default
        Integer Size(Integer Index) const { return Sizes->empty() ? Default : (*Sizes)[size_t(Index)]; }
    };
    Integer ExtentOf(const TAxis& Axis, Integer From, Integer To) const;
    Integer FixedExtent(const TAxis& Axis) const;
    // The first visible cell at the far end and the last top-left that still fills the view.
    Integer LastVisible(const TAxis& Axis, Integer First, Integer Space) const;
    Integer MaxTopLeft(const TAxis& Axis, Integer Space) const;
    Integer CoordFromPoint(const TAxis& Axis, Integer First, Integer P) const;
    Integer CellStart(const TAxis& Axis, Integer First, Integer Index) const;
    TAxis ColAxis() const;
    TAxis RowAxis() const;
    void ChangeSize(Integer NewColCount, Integer NewRowCount);
    void UpdateScrollRange();
    void ScrollMessage(TMessage& Message, bool Vertical);
    TGridRect NormalRect() const;
    void SelectionMoved(const TGridRect& OldSel);
    // Column or row border under a point for sizing (-1: none).
    Integer SizingIndex(Integer X, Integer Y, bool& Column);

    Integer FColCount = 5;
    Integer FRowCount = 5;
    Integer FFixedCols = 1;
    Integer FFixedRows = 1;
    Integer FDefaultColWidth = 64;
    Integer FDefaultRowHeight = 24;
    std::vector<Integer> FColWidths;
    std::vector<Integer> FRowHeights;
    Integer FGridLineWidth = 1;
    TGridCoord FCurrent{1, 1};
    TGridCoord FAnchor{1, 1};
    TGridCoord FTopLeft{1, 1};
    TGridOptions FOptions;
    TScrollStyle FScrollBars = ssBoth;
    bool FDefaultDrawing = true;
    TColor FFixedColor;
    TBorderStyle FBorderStyle = bsSingle;
    TGridState FGridState = gsNormal;
    Integer FSizingIndex = -1;
    Integer FSizingPos = 0;
    Integer FSizingOffset = 0;
    TPoint FMovePoint;
};

using TDrawCellEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, bool& CanSelect)>;
using TMovedEvent = std::function<void(TObject* Sender, Integer FromIndex, Integer ToIndex)>;

class TDrawGrid : public TCustomGrid {
    LUMORA_CLASS(TDrawGrid, TCustomGrid)
public:
    explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TNotifyEvent OnTopLeftChanged;
    TMovedEvent OnColumnMoved;
    TMovedEvent OnRowMoved;

protected:
    void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) override;
    bool SelectCell(Integer ACol, Integer ARow) override;
    void TopLeftChanged() override;
    void ColumnMoved(Integer FromIndex, Integer ToIndex) override;
    void RowMoved(Integer FromIndex, Integer ToIndex) override;
};
