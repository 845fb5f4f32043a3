#pragma once
// Columns and bands, and TCustomgxTreeListControl, the tree list that shows its node texts in
// columns arranged under bands.
//
// A column is a component of its own (the form owns and streams it) attached to one tree list,
// which keeps it in its column list; a band is an item of the tree list's Bands collection. Both
// report every change to their tree list, which relayouts.

#include <string>
#include <typeinfo>
#include <vector>

#include "framework/collection.h"
#include "framework/string_list.h"
#include "treelist/tree_list.h"

class TCustomgxTreeListControl;
class TgxTreeListColumn;

// Side a band is fixed to; a fixed band does not scroll horizontally.
enum TgxGridBandFixed { bfNone, bfLeft, bfRight };

// The properties with a virtual default: each reads its stored value only while assigned.
enum TgxColumnAssignedValue { cavAlignment, cavCaption, cavReadOnly, cavWidth, cavColor, cavFont };
using TgxColumnAssignedValues = TSet<TgxColumnAssignedValue, 8>;

using TgxTLCustomDrawCell = std::function<void(
    TObject* Sender, TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode, TgxTreeListColumn* AColumn,
    bool ASelected, bool AFocused, bool ANewItemRow, std::string& AText, TColor& AColor, TFont* AFont,
    TAlignment& AAlignment, bool& ADone)>;
using TgxTLCustomDrawHeader = std::function<void(TObject* Sender, TgxTreeListColumn* AColumn, TCanvas* ACanvas,
                                                 TRect ARect, std::string& AText, TColor& AColor, TFont* AFont,
                                                 TAlignment& AAlignment, TgxTreeListColumnSort& ASorted,
                                                 bool& ADone)>;

// ---------------------------------------------------------------------------------------------

class TgxTreeListColumn : public TComponent {
    LUMORA_CLASS(TgxTreeListColumn, TComponent)
public:
    explicit TgxTreeListColumn(TComponent* AOwner);
    // Drops the column's texts from the nodes and leaves the tree list.
    void BeforeDestruction() override;
    ~TgxTreeListColumn() override;

    TCustomgxTreeListControl* GetTreeList() const { return FTreeList; }
    // Leaves the old tree list and joins the new one (at the end of its column list).
    void SetTreeList(TCustomgxTreeListControl* Value);

    TAlignment GetAlignment();
    void SetAlignment(TAlignment Value);
    std::string GetCaption();
    void SetCaption(const std::string& Value);
    // The tree list's Color (clWindow without tree list) until assigned.
    TColor GetColor();
    void SetColor(TColor Value);
    bool GetDisableCaption() const { return FDisableCaption; }
    void SetDisableCaption(bool Value);
    bool GetDisableCustomizing() const { return FDisableCustomizing; }
    void SetDisableCustomizing(bool Value);
    bool GetDisableDragging() const { return FDisableDragging; }
    void SetDisableDragging(bool Value) { FDisableDragging = Value; }
    bool GetDisableEditor() const { return FDisableEditor; }
    void SetDisableEditor(bool Value) { FDisableEditor = Value; }
    // Created on the first read as a copy of the tree list's Font, and copied again while not
    // assigned; a change made to it from outside marks it assigned.
    TFont* GetFont();
    void SetFont(TFont* Value);
    TAlignment GetHeaderAlignment() const { return FHeaderAlignment; }
    void SetHeaderAlignment(TAlignment Value);
    // An empty bitmap is created on the first read; nullptr frees it.
    TBitmap* GetHeaderGlyph();
    void SetHeaderGlyph(TBitmap* Value);
    bool HasHeaderGlyph() const { return FHeaderGlyph != nullptr; }
    Integer GetMinWidth() const { return FMinWidth; }
    // Negative becomes 0; the width is then applied again through SetWidth.
    void SetMinWidth(Integer Value);
    // True also while the tree list is read-only.
    bool GetReadOnly();
    void SetReadOnly(bool Value);
    bool GetSizing() const { return FSizing; }
    void SetSizing(bool Value);
    TgxTreeListColumnSort GetSorted() const { return FSorted; }
    void SetSorted(TgxTreeListColumnSort Value);
    bool GetTabStop() const { return FTabStop; }
    void SetTabStop(bool Value) { FTabStop = Value; }
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    Integer GetWidth();
    // Raised to MinWidth. Setting the default width on a column whose width is not assigned
    // leaves it unassigned.
    void SetWidth(Integer Value);
    Integer GetBandIndex() const { return FBandIndex; }
    // Clamped to -1 .. band count - 1 (the upper bound only with a tree list).
    void SetBandIndex(Integer Value);
    // With a tree list the stored row, but at most its HeaderPanelRowCount - 1.
    Integer GetRowIndex();
    void SetRowIndex(Integer Value);
    // Position among the visible columns of the same band and row, in column-list order.
    Integer GetColIndex();
    void SetColIndex(Integer Value);
    Integer GetHeaderMaxLineCount() const { return FHeaderMaxLineCount; }
    void SetHeaderMaxLineCount(Integer Value);

    TgxColumnAssignedValues GetAssignedValues() const { return FAssignedValues; }
    // What is written to a form: Alignment, Font and Width whenever assigned; Caption, Color and
    // ReadOnly when assigned and different from the current default.
    bool IsAlignmentStored() const { return FAssignedValues.Contains(cavAlignment); }
    bool IsCaptionStored();
    bool IsColorStored();
    bool IsFontStored() const { return FAssignedValues.Contains(cavFont); }
    bool IsReadOnlyStored();
    bool IsWidthStored() const { return FAssignedValues.Contains(cavWidth); }

    // The two extra form properties "StoredRowIndex" and "SortedOrder".
    Integer GetStoredRowIndex() const { return FStoredRowIndex; }
    void SetStoredRowIndex(Integer Value) { FStoredRowIndex = Value; }
    bool IsStoredRowIndexStored() const { return FStoredRowIndex != 0; }
    // Position in the tree list's sorted-column list, the value "SortedOrder" is written with.
    Integer GetSortedOrder() const;
    bool IsSortedOrderStored() const;
    Integer GetStoredSortedOrder() const { return FStoredSortedOrder; }
    void SetStoredSortedOrder(Integer Value) { FStoredSortedOrder = Value; }

    // Reports a change to the tree list: of all columns, or of this one.
    void Changed(bool AllColumns);
    void SetName(const std::string& NewName) override;
    void Assign(TPersistent* Source) override;
    bool HasParent() override { return true; }
    TComponent* GetParentComponent() override;
    void SetParentComponent(TComponent* Value) override;

    TgxTLCustomDrawCell OnCustomDrawCell;
    TgxTLCustomDrawHeader OnCustomDrawColumnHeader;
    // Called after every rename.
    TNotifyEvent OnNameChanged;

    // -- new virtual operations
    virtual bool HasCustomDrawCell() { return bool(OnCustomDrawCell); }
    // Fires OnCustomDrawCell; typed columns draw their cell content here and may narrow ARect for
    // the drawing that follows. ABrush is the cell's background, AFirstColumn and ALastColumn ask
    // for a left and a right border line.
    virtual void DrawCell(TCanvas* ACanvas, TRect& ARect, TgxTreeListNode* ANode, bool ASelected, bool AFocused,
                          bool ANewItemRow, std::string& AText, TColor& AColor, TFont* AFont, TAlignment& AAlignment,
                          bool& ADone, HBRUSH ABrush, bool AFirstColumn, bool ALastColumn);
    // The in-place editor class of the column's cells.
    virtual TClass GetEditorClass();
    virtual bool CanEdit() { return !FDisableEditor; }
    // Position in the tree list's column list, -1 without tree list.
    virtual Integer GetIndex();
    virtual Integer GetMinCellHeight(TCanvas* /*Canvas*/) { return 0; }
    virtual bool IsMultiLine() { return false; }
    // True makes a press in the focused cell open the editor at once and hand it the press.
    virtual bool IsShowButton(TPoint /*Pressed*/, bool /*AlreadyFocused*/) { return false; }
    // Moves the column to position Value of the column list; the node texts follow it.
    virtual void SetIndex(Integer Value);
    virtual TAlignment GetDefaultAlignment() { return taLeftJustify; }
    virtual void GetDefaultCaption(std::string& Text) { Text.clear(); }
    virtual bool GetDefaultReadOnly() { return false; }
    virtual Integer GetDefaultWidth() { return 100; }
    virtual Integer GetTextWidth(TCanvas* ACanvas, const std::string& Text) { return ACanvas->TextWidth(Text); }
    virtual void GetDisplayText(TgxTreeListNode* /*Node*/, const std::string& Value, std::string& Text) {
        Text = Value;
    }
    // Clears the assigned values and resets the plain properties, without change reports.
    virtual void RestoreDefaults();

    // Fills the top and bottom line and the side lines asked for, one pixel each, with Brush and
    // narrows Rect by them.
    void DrawCellBorders(HDC DC, TRect& Rect, bool LeftLine, bool RightLine, HBRUSH Brush);

private:
    friend class TCustomgxTreeListControl;
    friend class TgxTreeListBand;
    friend class TgxTreeList;

    void FontChanged(TObject* Sender);
    // Copies the tree list's font (none without tree list) into the column's font.
    void CopyDefaultFont();

    TCustomgxTreeListControl* FTreeList = nullptr;
    TFont* FFont = nullptr;
    bool FCopyingFont = false;
    TBitmap* FHeaderGlyph = nullptr;
    TgxColumnAssignedValues FAssignedValues;
    TAlignment FAlignment = taLeftJustify;
    std::string FCaption;
    TColor FColor = clWindow;
    bool FDisableCaption = false;
    bool FDisableCustomizing = false;
    bool FDisableDragging = false;
    bool FDisableEditor = false;
    TAlignment FHeaderAlignment = taLeftJustify;
    Integer FMinWidth = 20;
    bool FReadOnly = false;
    bool FSizing = true;
    TgxTreeListColumnSort FSorted = csNone;
    bool FTabStop = true;
    bool FVisible = true;
    Integer FWidth = 100;
    Integer FBandIndex = 0;
    Integer FRowIndex = 0;
    Integer FStoredRowIndex = 0;
    Integer FStoredSortedOrder = -1;
    Integer FHeaderMaxLineCount = 1;
};

// ---------------------------------------------------------------------------------------------

class TgxTreeListBand : public TCollectionItem {
    LUMORA_CLASS(TgxTreeListBand, TCollectionItem)
public:
    explicit TgxTreeListBand(TCollection* Collection);
    // Renumbers the columns: those of this band get -1, those of later bands one less.
    ~TgxTreeListBand() override;

    TCustomgxTreeListControl* GetTreeList() const;

    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    const std::string& GetCaption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    bool GetDisableCustomizing() const { return FDisableCustomizing; }
    void SetDisableCustomizing(bool Value);
    bool GetDisableDragging() const { return FDisableDragging; }
    void SetDisableDragging(bool Value) { FDisableDragging = Value; }
    TgxGridBandFixed GetFixed() const { return FFixed; }
    // Moves the band to the first (bfLeft) or last (bfRight) index; another band fixed to the same
    // side is released. Only a visible band keeps the fixing.
    void SetFixed(TgxGridBandFixed Value);
    Integer GetMinWidth() const { return FMinWidth; }
    void SetMinWidth(Integer Value);
    bool GetOnlyOwnColumns() const { return FOnlyOwnColumns; }
    void SetOnlyOwnColumns(bool Value) { FOnlyOwnColumns = Value; }
    bool GetSizing() const { return FSizing; }
    void SetSizing(bool Value);
    bool GetVisible() const { return FVisible; }
    // Hiding also releases the fixing.
    void SetVisible(bool Value);
    Integer GetWidth() const { return FWidth; }
    void SetWidth(Integer Value);

    // Number of header rows with at least one visible column of the band.
    Integer GetRowCount();
    Integer GetRowColumnCount(Integer Row);
    TgxTreeListColumn* GetRowColumn(Integer Row, Integer Col);

    // Moves the band (a fixed band never moves); the columns' band indexes follow.
    void SetIndex(int Value) override;
    void Assign(TPersistent* Source) override;
    // Resets Alignment, Fixed, MinWidth, OnlyOwnColumns, Sizing and Width without a change report.
    virtual void RestoreDefaults();

private:
    friend class TgxTreeListBands;
    static TCollection* BeginAdding(TCollection* Collection);

    TAlignment FAlignment = taCenter;
    std::string FCaption;
    bool FDisableCustomizing = false;
    bool FDisableDragging = false;
    TgxGridBandFixed FFixed = bfNone;
    Integer FMinWidth = 30;
    bool FOnlyOwnColumns = false;
    bool FSizing = true;
    bool FVisible = true;
    Integer FWidth = 250;
};

class TgxTreeListBands : public TCollection {
    LUMORA_CLASS(TgxTreeListBands, TCollection)
public:
    explicit TgxTreeListBands(TCustomgxTreeListControl* ATreeList);
    ~TgxTreeListBands() override;

    TCustomgxTreeListControl* GetTreeList() const { return FTreeList; }
    TgxTreeListBand* Add() { return static_cast<TgxTreeListBand*>(TCollection::Add()); }
    TgxTreeListBand* GetItem(int Index) const { return static_cast<TgxTreeListBand*>(TCollection::GetItem(Index)); }
    Integer GetVisibleCount();
    // Visible index to band, nullptr when none.
    TgxTreeListBand* GetVisibleItem(Integer VisibleIndex);
    // Visible index to collection index, -1 when none.
    Integer GetAbsoluteIndex(Integer VisibleIndex);
    // Collection index to visible index, -1 out of range or for a hidden band.
    Integer GetVisibleIndex(Integer Index);
    // Keeps at most one band fixed to each side, the left one first and the right one last.
    void CheckFixedBands();

protected:
    void Update(TCollectionItem* Item) override;

private:
    friend class TCustomgxTreeListControl;
    friend class TgxTreeListBand;
    TCustomgxTreeListControl* FTreeList = nullptr;
    Integer FAddingBand = 0;
};

// ---------------------------------------------------------------------------------------------

// The node of every band-and-column tree list: one text per column, each with an object that moves
// with its text when the column moves, and three image indexes.
class TgxTreeListTextNode : public TgxTreeListNode {
    LUMORA_CLASS(TgxTreeListTextNode, TgxTreeListNode)
public:
    explicit TgxTreeListTextNode(TCustomgxTreeList* AOwner);

    // Text i belongs to column i; the list may be shorter than the column count.
    TStringList* GetTexts() { return &FTexts; }
    // The stored indexes (the tree list's GetImageIndex and its kin pass them through events).
    Integer GetStoredImageIndex() const { return FImageIndex; }
    Integer GetStoredSelectedIndex() const { return FSelectedIndex; }
    Integer GetStoredStateIndex() const { return FStateIndex; }

protected:
    ~TgxTreeListTextNode() override = default;

private:
    friend class TCustomgxTreeListControl;
    Integer FImageIndex = 0;
    Integer FSelectedIndex = -1;
    Integer FStateIndex = -1;
    // Held in the node, so that reading a text (as a sort does for every node) does not first
    // reach for a list object elsewhere in memory.
    TStringList FTexts;
};

using TTLGetImageEvent = std::function<void(TObject* Sender, TgxTreeListNode* Node, Integer& Index)>;
using TgxTLCustomDrawBand =
    std::function<void(TObject* Sender, TgxTreeListBand* ABand, TCanvas* ACanvas, TRect ARect, std::string& AText,
                       TColor& AColor, TFont* AFont, TAlignment& AAlignment, bool& ADone)>;
using TgxTLCustomDrawFooterNode = std::function<void(
    TObject* Sender, TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode, TgxTreeListColumn* AColumn,
    Integer AFooterIndex, std::string& AText, TColor& AColor, TFont* AFont, TAlignment& AAlignment, bool& ADone)>;
using TgxTLCustomDrawFooter =
    std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode,
                       TgxTreeListColumn* AColumn, std::string& AText, TColor& AColor, TFont* AFont,
                       TAlignment& AAlignment, bool& ADone)>;
using TgxTLCustomDrawPreview =
    std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode, bool ASelected,
                       std::string& AText, TColor& AColor, TColor& ATextColor, TFont* AFont, bool& ADone)>;
using TgxTLGetLevelColor = std::function<void(TObject* Sender, Integer ALevel, TColor& AColor)>;
using TgxTLIsExistFooterCell = std::function<void(TObject* Sender, Integer AColumn, bool& AExist)>;
using TgxTLCanBandDragging = std::function<void(TObject* Sender, TgxTreeListBand* ABand, bool& Allow)>;
using TgxTLStartBandDragging = std::function<void(TObject* Sender, TgxTreeListBand* ABand)>;
using TgxTLDragOverBand = std::function<void(TObject* Sender, TgxTreeListBand* ABand, TPoint P, bool& Accept)>;
using TgxTLDragEndBand = std::function<void(TObject* Sender, TgxTreeListBand* ABand, TPoint P, Integer AbsoluteIndex,
                                            Integer VisibleIndex, Integer& NewIndex, bool& Accept)>;
using TgxTLShowBand = std::function<void(TObject* Sender, TgxTreeListBand* ABand, Integer NewIndex)>;
using TgxTLCanHeaderDragging = std::function<void(TObject* Sender, TgxTreeListColumn* AColumn, bool& Allow)>;
using TgxTLStartHeaderDragging = std::function<void(TObject* Sender, TgxTreeListColumn* AColumn)>;
using TgxTLDragOverHeader = std::function<void(TObject* Sender, TgxTreeListColumn* AColumn, TPoint P, bool& Accept)>;
using TgxTLDragEndHeader = std::function<void(TObject* Sender, TgxTreeListColumn* AColumn, TPoint P,
                                              TgxHeaderPosInfo& NewPosInfo, bool& Accept)>;
using TgxTLShowHeader = std::function<void(TObject* Sender, TgxTreeListColumn* AColumn, Integer BandIndex,
                                           Integer RowIndex, Integer ColIndex)>;
using TTLColumnClick = std::function<void(TObject* Sender, TgxTreeListColumn* Column)>;
using TgxTreeListColumnSorting = std::function<void(TObject* Sender, TgxTreeListColumn* Column, bool& Allow)>;
using TTLColumnSorted =
    std::function<void(TObject* Sender, TgxTreeListColumn* Column, TgxTreeListColumnSort& Sorted)>;
using TgxTLHeaderMoved = std::function<void(TObject* Sender, TgxTreeListColumn* Column)>;
using TTLColumnMovedEvent = std::function<void(TObject* Sender, Integer FromIndex, Integer ToIndex)>;
using TTLCustomDrawEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode,
                                              TgxTreeListColumn* AColumn, const std::string& AText, TFont* AFont,
                                              TColor& AColor, bool ASelected, bool AFocused, bool& ADone)>;
using TTLCustomDrawPreviewEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect,
                                                     TgxTreeListNode* ANode, bool ASelected, const std::string& AText,
                                                     bool& ADone)>;
using TgxTLEndDragColumn =
    std::function<void(TObject* Sender, Integer X, Integer Y, TgxTreeListColumn* Column, Integer& NewPosition)>;
using TgxTLCalcRowLineHeight = std::function<void(
    TObject* Sender, TgxTreeListNode* Node, TgxTreeListColumn* Column, const std::string& Text, Integer BoundsWidth,
    Integer TextHeight, Integer MaxLineCount, bool InflateFlag, bool GridFlag, Integer& LineCount,
    Integer& LineHeight, bool& Done)>;
using TgxTLGetNodeDragText =
    std::function<void(TObject* Sender, TgxTreeListNode* Node, TgxTreeListColumn* Column, std::string& AText)>;

// The tree list whose nodes show their texts in columns arranged under bands. It answers every
// band, column, header, cell and footer question of the tree list from its columns and bands,
// keeps a layout of which column stands where, keeps the sorted columns in sort priority order,
// holds one in-place editor per editor class and turns the drawing, clicking, dragging and
// customizing hooks into events.
class TCustomgxTreeListControl : public TCustomgxTreeList {
    LUMORA_CLASS(TCustomgxTreeListControl, TCustomgxTreeList)
public:
    explicit TCustomgxTreeListControl(TComponent* AOwner);
    void BeforeDestruction() override;
    ~TCustomgxTreeListControl() override;
    void Loaded() override;
    // A cached editor that goes leaves the editor list.
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Raises the list's index error outside 0..ColumnCount-1.
    TgxTreeListColumn* GetColumn(Integer Index) const;
    // The Index-th column with Visible set, in column-list order; nullptr when none.
    TgxTreeListColumn* GetVisibleColumn(Integer Index) const;
    // First column whose name equals AName (without regard to case), nullptr when none.
    TgxTreeListColumn* ColumnByName(const std::string& AName) const;
    // The column under a client point: on a header, a cell or the tree area of a row (the hit
    // codes hcHeader to hcCell); nullptr elsewhere.
    TgxTreeListColumn* GetColumnAt(Integer X, Integer Y);
    // Raises the list's index error outside the sorted-column list.
    TgxTreeListColumn* GetSortedColumn(Integer Index) const;
    TgxTreeListBands* GetBands() const { return FBands; }
    void SetBands(TgxTreeListBands* Value) { FBands->Assign(Value); }
    // A new column of class ColumnClass owned by AOwner, named after the list ("<name>Column<n>",
    // n counting up from the column count + 1 past refused names) and attached to the list.
    TgxTreeListColumn* CreateColumn(TClass ColumnClass, TComponent* AOwner);

    // The band panel rows (1 .. BandMaxRowCount).
    void SetBandMaxRowCount(Integer Value);
    void SetBandRowCount(Integer Value);
    bool GetDefaultLayout() const { return FDefaultLayout; }
    // Turning it on applies the default single-band layout.
    void SetDefaultLayout(bool Value);
    void SetHeaderMinRowCount(Integer Value);
    void SetHeaderPanelMaxRowCount(Integer Value);
    // An explicit row count switches the automatic header panel height off.
    void SetHeaderPanelRowCount(Integer Value);
    // Stored only while aoAutoHeaderPanelHeight is off.
    bool IsHeaderPanelRowCountStored() { return !IsAutoHeaderPanelHeight(); }

    // The sort bracket: its outermost end calls SortingChanged.
    void BeginSorting();
    void EndSorting();
    bool IsSortUpdating() const { return FSortUpdateCount > 0; }
    // Each column whose width is not assigned takes its default width.
    void RestoreDefaultColumnWidths();
    // Closes gaps between the header rows the columns stand in.
    void NormalizeColumnRows();
    // The sorted columns in column-list order, then by their stored sorted order.
    void RebuildSortedColumns();

    // -- events
    TTLGetImageEvent OnGetImageIndex;
    TTLGetImageEvent OnGetSelectedIndex;
    TTLGetImageEvent OnGetStateIndex;
    TgxTLCustomDrawBand OnCustomDrawBand;
    TgxTLCustomDrawHeader OnCustomDrawColumnHeader;
    TgxTLCustomDrawCell OnCustomDrawCell;
    TgxTLCustomDrawFooterNode OnCustomDrawFooterNode;
    TgxTLCustomDrawFooter OnCustomDrawFooter;
    TgxTLCustomDrawPreview OnCustomDrawPreviewCell;
    TgxTLGetLevelColor OnGetLevelColor;
    TgxTLIsExistFooterCell OnIsExistFooterCell;
    TNotifyEvent OnChangedColumnsWidth;
    TNotifyEvent OnBandButtonClick;
    TNotifyEvent OnHeaderButtonClick;
    TgxTLCanBandDragging OnCanBandDragging;
    TgxTLStartBandDragging OnStartBandDragging;
    TgxTLStartBandDragging OnHideBand;
    TgxTLStartBandDragging OnBandClick;
    TgxTLDragOverBand OnDragOverBand;
    TgxTLDragEndBand OnDragEndBand;
    TgxTLShowBand OnShowBand;
    TgxTLCanHeaderDragging OnCanHeaderDragging;
    TgxTLStartHeaderDragging OnStartHeaderDragging;
    TgxTLStartHeaderDragging OnHideHeader;
    TgxTLDragOverHeader OnDragOverHeader;
    TgxTLDragEndHeader OnDragEndHeader;
    TgxTLShowHeader OnShowHeader;
    TTLColumnClick OnColumnClick;
    TgxTreeListColumnSorting OnColumnSorting;
    TTLColumnSorted OnColumnSorted;
    TgxTLHeaderMoved OnHeaderMoved;
    TTLColumnMovedEvent OnColumnMoved;
    TTLCustomDrawEvent OnCustomDraw;
    TTLCustomDrawPreviewEvent OnCustomDrawPreview;
    TgxTLEndDragColumn OnEndDragColumn;
    TgxTLCalcRowLineHeight OnCalcRowLineHeight;
    TgxTLGetNodeDragText OnGetNodeDragText;

    // -- new virtual operations
    // The cell texts of every node follow a column from position FromIndex to ToIndex.
    virtual void ColumnMoved(Integer FromIndex, Integer ToIndex);
    virtual void ResetAutoHeaderPanelHeight();
    virtual void BandRowCountChanged();
    // A column (nullptr: all columns) changed.
    virtual void ColumnChanged(TgxTreeListColumn* Column);
    virtual void HeaderPanelRowCountChanged() { LayoutChanged(); }
    // OnColumnSorting, allowing by default.
    virtual bool CanColumnSorting(TgxTreeListColumn* Column);
    // The sort a header click asks for: csNone with the clear-sort flag, else csUp <-> csDown
    // (csUp from csNone).
    virtual void ToggleColumnSort(TgxTreeListColumn* Column);
    virtual void PrepareColumnSort(TgxTreeListColumn* /*Column*/) {}
    virtual void ColumnSortChanged(TgxTreeListColumn* Column);
    virtual void RemoveColumn(TgxTreeListColumn* Column);
    // Widens a Sizing column (nullptr: every column) to its widest cell text or caption plus two
    // digit widths.
    virtual void ApplyBestFit(TgxTreeListColumn* Column);
    // Replaces the columns by copies of Source's columns.
    virtual void AssignColumns(TCustomgxTreeListControl* Source);
    virtual void DestroyColumns();
    virtual void SortingChanged() {}

    // -- answers to the base tree list's band, column, header, cell and footer queries
    TAlignment GetBandAlignment(Integer Band) override;
    Integer GetBandCount() override { return FBands->GetCount(); }
    Integer GetAbsoluteBandIndex(Integer VisibleBand) override { return FBands->GetAbsoluteIndex(VisibleBand); }
    void GetBandCaption(Integer Band, std::string& Text) override;
    Integer GetBandWidth(Integer Band) override;
    TAlignment GetVisibleBandAlignment(Integer VisibleBand) override;
    Integer GetVisibleBandCount() override { return FBands->GetVisibleCount(); }
    Integer GetLeftFixedBand() override;
    Integer GetRightFixedBand() override;
    Integer GetVisibleBandMinWidth(Integer VisibleBand) override;
    Integer GetVisibleBandWidth(Integer VisibleBand) override;
    void GetVisibleBandCaption(Integer VisibleBand, std::string& Text) override;
    Integer GetVisibleBandIndex(Integer Band) override { return FBands->GetVisibleIndex(Band); }
    bool IsBandOnlyOwnColumns(Integer VisibleBand) override;
    Integer GetColumnCount() override { return FColumns.GetCount(); }
    Integer GetBandRowColumnIndex(Integer VisibleBand, Integer Row, Integer Position) override;
    TAlignment GetHeaderAlignment(Integer Column) override { return GetColumn(Column)->GetHeaderAlignment(); }
    Integer GetColumnBandIndex(Integer Column) override { return GetColumn(Column)->GetBandIndex(); }
    Integer CalcColumnWidth(Integer Column) override;
    Integer GetBandRowColumnCount(Integer VisibleBand, Integer Row) override;
    Integer GetColumnColIndex(Integer Column) override { return GetColumn(Column)->GetColIndex(); }
    TBitmap* GetHeaderGlyph(Integer Column) override { return GetColumn(Column)->GetHeaderGlyph(); }
    Integer GetColumnRowCount(Integer Column) override { return GetColumn(Column)->GetHeaderMaxLineCount(); }
    Integer GetColumnMinWidth(Integer Column) override;
    Integer GetBandUsedRowCount(Integer VisibleBand) override;
    Integer GetColumnRowIndex(Integer Column) override { return GetColumn(Column)->GetRowIndex(); }
    TgxTreeListColumnSort GetColumnSorted(Integer Column) override;
    bool IsColumnTabStop(Integer Column) override { return GetColumn(Column)->GetTabStop(); }
    void GetHeaderCaption(Integer Column, std::string& Text) override;
    void GetColumnCaption(Integer Column, std::string& Text) override { Text = GetColumn(Column)->GetCaption(); }
    Integer GetColumnWidth(Integer Column) override { return GetColumn(Column)->GetWidth(); }
    TColor GetColumnColor(Integer Column) override { return GetColumn(Column)->GetColor(); }
    TFont* GetColumnFont(Integer Column) override { return GetColumn(Column)->GetFont(); }
    bool IsColumnFontAssigned(Integer Column) override { return GetColumn(Column)->IsFontStored(); }
    bool HasHeaderGlyph(Integer Column) override { return GetColumn(Column)->HasHeaderGlyph(); }
    TAlignment GetColumnAlignment(TgxTreeListNode* /*Node*/, Integer Column) override {
        return GetColumn(Column)->GetAlignment();
    }
    void GetCellText(TgxTreeListNode* Node, Integer Column, std::string& Text) override {
        Text = GetNodeString(Node, Column);
    }
    bool IsColumnMultiLine(Integer Column) override { return GetColumn(Column)->IsMultiLine(); }
    Integer GetColumnLineHeight(TCanvas* Canvas, Integer Column) override;
    bool DoCalcRowLineHeight(TgxTreeListNode* Node, Integer Column, const std::string& Text, Integer BoundsWidth,
                             Integer TextHeight, Integer MaxLineCount, bool InflateFlag, bool GridFlag,
                             Integer& LineCount, Integer& LineHeight) override;
    void CalcHeaderPanelRowCount() override;
    bool IsExistFooterCell(Integer Column) override;

    // -- node data: text nodes
    TgxTreeListNode* CreateNode() override;
    Integer GetImageIndex(TgxTreeListNode* Node) override;
    Integer GetSelectedIndex(TgxTreeListNode* Node) override;
    Integer GetStateIndex(TgxTreeListNode* Node) override;
    void SetImageIndex(TgxTreeListNode* Node, Integer Value) override;
    void SetSelectedIndex(TgxTreeListNode* Node, Integer Value) override;
    void SetStateIndex(TgxTreeListNode* Node, Integer Value) override;
    Variant GetNodeValue(TgxTreeListNode* Node, Integer Column) override;
    std::string GetNodeString(TgxTreeListNode* Node, Integer Column) override;
    void SetNodeString(TgxTreeListNode* Node, Integer Column, const std::string& Text) override;
    void SetNodeValue(TgxTreeListNode* Node, Integer Column, const Variant& Value) override;
    void DeleteColumnValues(TgxTreeListNode* Node, Integer Column) override;

    // -- caches
    void PrepareLayout() override;
    void RefreshCache() override;
    void ClearCache() override;
    void ClearRowHeightCache() override;
    void ClearColumnWidthCache() override { FColumnWidths.clear(); }
    // Which shown column stands where: per visible band its header rows, each the column indexes
    // in display order; and the visible-band caches.
    void BuildBandLayout() override;
    // Every column's display width (0 for a column that is not shown).
    void BuildColumnWidthCache() override;

    // -- further answers
    bool CanEditModify() override;
    bool IsBandHeaderWidth() override;
    bool IsBandSizing(Integer VisibleBand) override;
    bool IsColumnSizing(Integer Column) override;
    bool IsEditorButtonAt(Integer X, Integer Y, bool SameNode) override;
    void DoEditing(TgxTreeListNode* Node, bool& Allow) override;
    void ApplyBandBestFit(Integer VisibleBand) override;
    void ApplyColumnBestFit(Integer Column) override { ApplyBestFit(GetColumn(Column)); }
    void ChangeBandRowCount(Integer Value) override { SetBandRowCount(Value); }
    void ChangeHeaderPanelRowCount(Integer Value) override { SetHeaderPanelRowCount(Value); }
    void ChangeBandWidth(Integer VisibleBand, Integer Width) override;
    void ChangeColumnWidth(Integer Column, Integer Width) override;
    void ScaleHiddenBandWidths(Integer New, Integer Old) override;
    void ScaleHiddenColumnWidths(Integer VisibleBand, Integer New, Integer Old) override;
    void DoBandButtonClick() override;
    void DoHeaderButtonClick() override;
    void DoChangedColumnsWidth() override;
    void DoBandClick(Integer VisibleBand) override;
    void DoColumnClick(Integer Column) override;
    Integer GetBandMaxRowCount() override { return FBandMaxRowCount; }
    Integer GetBandRowCount() override { return FBandRowCount; }
    Integer GetHeaderPanelMaxRowCount() override { return FHeaderPanelMaxRowCount; }
    Integer GetHeaderPanelRowCount() override { return FHeaderPanelRowCount; }
    Integer GetHeaderMinRowCount() override;
    void GetNodeDragText(TgxTreeListNode* Node, Integer Column, std::string& Text) override;
    void MoveBand(Integer From, Integer To) override;
    bool CanBandDragging(Integer VisibleBand) override;
    void DoDragOverBand(TPoint P, Integer Band, bool& Accept) override;
    void DoDragEndBand(TPoint P, Integer Band, bool& Accept, Integer& NewIndex, Integer OldIndex) override;
    void StartDragBand(Integer Band) override;
    bool IsBandDisableCustomizing(Integer Band) override;
    void HideBand(Integer Band) override;
    bool IsBandHidden(Integer Band) override;
    void ShowBand(Integer NewIndex, Integer Band) override;
    bool CanHeaderDragging(Integer Column) override;
    void DoDragOverHeader(TPoint P, Integer Column, bool& Accept) override;
    void DoDragEndHeader(TPoint P, Integer Column, bool& Accept, TgxHeaderPosInfo& PosInfo) override;
    void StartDragHeader(Integer Column) override;
    bool IsColumnDisableCustomizing(Integer Column) override;
    void MoveHeader(Integer Column, Integer VisibleBand, Integer Row, Integer ColIndex) override;
    void HideHeader(Integer Column) override;
    void ShowHeader(Integer Column, Integer VisibleBand, Integer Row, Integer ColIndex) override;
    bool IsColumnInCustomizeBox(Integer Column) override;
    // Visible, with a band, and that band visible.
    bool IsColumnShown(Integer Column) override;
    // One editor per editor class, owned by the list and shared by every column of that class.
    TgxInplaceEdit* CreateEditor(Integer Column) override;
    TgxInplaceEdit* FindEditor(Integer Column) override;
    void ClearSorting() override;
    Integer GetSortedColumnCount() override { return FSortedColumns.GetCount(); }
    bool IsSortedColumnDesc(Integer Index) override { return GetSortedColumn(Index)->GetSorted() == csDown; }
    Integer GetSortedColumnIndex(Integer Index) override { return GetSortedColumn(Index)->GetIndex(); }

    // -- custom drawing
    bool HasCustomDrawBand() override { return bool(OnCustomDrawBand); }
    bool HasCustomDrawCell(Integer Column) override;
    bool HasCustomDrawFooter(Integer FooterIndex) override;
    bool HasCustomDrawHeader(Integer Column) override;
    bool HasCustomDrawPreview() override { return OnCustomDrawPreviewCell || OnCustomDrawPreview; }
    bool HasLevelColor() override { return bool(OnGetLevelColor); }
    void DoCustomDrawBand(Integer VisibleBand, TCanvas* ACanvas, TRect ARect, std::string& AText, TColor& AColor,
                          TFont* AFont, TAlignment& AAlignment, bool& ADone) override;
    void DoCustomDrawCell(TCanvas* ACanvas, TRect& ARect, TgxTreeListNode* ANode, Integer Column, bool ASelected,
                          bool AFocused, bool ANewItemRow, bool ALastColumn, bool AFirstColumn, HBRUSH ABrush,
                          std::string& AText, TColor& AColor, TFont* AFont, TAlignment& AAlignment,
                          bool& ADone) override;
    void DoCustomDrawFooter(TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode, Integer Column,
                            Integer FooterIndex, std::string& AText, TColor& AColor, TFont* AFont,
                            TAlignment& AAlignment, bool& ADone) override;
    void DoCustomDrawHeader(Integer Column, TCanvas* ACanvas, TRect ARect, std::string& AText, TColor& AColor,
                            TFont* AFont, TAlignment& AAlignment, TgxTreeListColumnSort& ASorted,
                            bool& ADone) override;
    void DoCustomDrawPreview(TCanvas* ACanvas, TRect ARect, TgxTreeListNode* ANode, bool ASelected,
                             std::string& AText, TColor& AColor, TColor& ATextColor, TFont* AFont,
                             bool& ADone) override;
    void DoGetLevelColor(Integer Level, TColor& AColor) override;

protected:
    bool IsApplyingDefaultLayout() const { return FApplyingDefaultLayout; }
    // Keeps one band, one header row and every column in band 0, with the band panel hidden.
    void ApplyDefaultLayout();
    // While raised, ColumnChanged skips the row normalization.
    void LockColumnChanges() { ++FColumnChangeLock; }
    void UnlockColumnChanges() { --FColumnChangeLock; }
    // Columns without a font of their own take the list's font again.
    void CMFontChanged(TMessage& Message) override;
    // Node as a text node; nullptr for other nodes. The plain text node is recognised by its type
    // alone, without searching the class hierarchy.
    static TgxTreeListTextNode* AsTextNode(TgxTreeListNode* Node) {
        if (Node && typeid(*Node) == typeid(TgxTreeListTextNode)) return static_cast<TgxTreeListTextNode*>(Node);
        return dynamic_cast<TgxTreeListTextNode*>(Node);
    }

    // Visible band index to collection index and back; valid while not empty and not being
    // rebuilt.
    std::vector<Integer> FVisibleBandIndexes;
    std::vector<Integer> FBandVisibleIndexes;
    bool FBandCacheBuilding = false;

private:
    friend class TgxTreeListColumn;
    friend class TgxTreeListBand;
    friend class TgxTreeListBands;

    void AddColumn(TgxTreeListColumn* Column);
    // The band layout answers while it is built and not empty.
    bool IsBandLayoutValid() const { return !FBandLayoutBuilding && !FBandLayout.empty(); }
    // The column at visible position Column, nullptr when none.
    TgxTreeListColumn* VisibleColumnAt(Integer Column);

    TList FColumns;
    TgxTreeListBands* FBands;
    Integer FBandMaxRowCount = 5;
    Integer FBandRowCount = 1;
    bool FDefaultLayout = true;
    bool FApplyingDefaultLayout = false;
    Integer FHeaderMinRowCount = 1;
    Integer FHeaderPanelMaxRowCount = 5;
    Integer FHeaderPanelRowCount = 1;
    Integer FSortUpdateCount = 0;
    bool FInternalRowCount = false;
    TList FSortedColumns;
    Integer FColumnChangeLock = 0;
    std::vector<TgxInplaceEdit*> FEditors;
    // Per visible band its header rows, each the column indexes in display order.
    std::vector<std::vector<std::vector<Integer>>> FBandLayout;
    bool FBandLayoutBuilding = false;
    std::vector<Integer> FColumnWidths;
    bool FColumnWidthsBuilding = false;
};
