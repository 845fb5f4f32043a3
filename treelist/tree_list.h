#pragma once
// TCustomgxTreeList: the abstract tree-list control. It owns a forest of TgxTreeListNode objects,
// shows the nodes whose ancestors are all expanded as rows and hosts one in-place editor. It knows
// nothing of columns, cell values or images: every such question goes through a virtual operation
// with a neutral answer, which the band-and-column tree list, the plain tree list and the
// data-aware grid override.
//
// This header holds the node object, the node model of the control (adding, inserting, moving,
// deleting, clearing, expanding, the display-order walks and their cache), the update and
// selection brackets, both option sets with their queries and the appearance properties.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/image_list.h"
#include "framework/list.h"
#include "framework/variant.h"
#include "treelist/container.h"
#include "treelist/tree_list_geometry.h"

class TScreenOverlay;

class TgxTreeListNode;
class TCustomgxTreeList;
class TgxInplaceEdit;

// Raised for misuse of the tree list ("Invalid Owner TgxTreeListNode").
LUMORA_DECLARE_EXCEPTION(EInvalidgxTreeListOperation, Exception)

// Where MoveTo puts a node relative to its destination.
enum TgxTreeListNodeAttachMode {
    amAddLast,        // last sibling of the destination
    amAddFirst,       // first sibling
    amAddChildLast,   // last child of the destination
    amAddChildFirst,  // first child
    amInsertBefore,   // just before the destination among its siblings
};

// The control's mouse-driven state (one byte).
enum TgxTreeListState : Byte {
    tsNormal,
    tsColumnSizing,
    tsEditing,
    tsColumnDragging,
    tsColumnDown,
    tsNodeDragging,
    tsNodeDown,
    tsHeaderCornerDown,
    tsBandSizing,
    tsBandDragging,
    tsBandDown,
    tsBandCornerDown,
    tsBandPanelSizing,
    tsHeaderPanelSizing,
    tsRowSizing,
};
// One of the five sizing states (a size line shows).
inline bool IsSizingState(TgxTreeListState State) {
    return State == tsColumnSizing || State == tsBandSizing || State == tsBandPanelSizing ||
           State == tsHeaderPanelSizing || State == tsRowSizing;
}

// Options (16 bits, bit = ordinal).
enum TgxTreeListOption {
    aoColumnSizing,
    aoColumnMoving,
    aoEditing,
    aoTabs,
    aoTabThrough,
    aoRowSelect,
    aoMultiSelect,
    aoImmediateEditor,
    aoPreview,
    aoDrawEndEllipsis,
    aoAutoWidth,
    aoExtMultiSelect,
    aoExtCustomizing,
    aoHideFocusRect,
    aoAutoSort,
    aoCaseInsensitive,
};
using TgxTreeListOptions = TSet<TgxTreeListOption, 16>;

// OptionsEx (32 bits, bit = ordinal).
enum TgxTreeListOptionEx {
    aoInvertSelect,
    aoUseBitmap,
    aoBandHeaderWidth,
    aoAutoCalcPreviewLines,
    aoBandSizing,
    aoBandMoving,
    aoHorzThrough,
    aoVertThrough,
    aoCellMultiSelect,
    aoEnterThrough,
    aoEnterShowEditor,
    aoFullSizing,
    aoDragScroll,
    aoDragExpand,
    aoDragCollapse,
    aoRowAutoHeight,
    aoShowHourGlass,
    aoBandButtonClicking,
    aoBandPanelSizing,
    aoHeaderButtonClicking,
    aoHeaderPanelSizing,
    aoRowSizing,
    aoMultiSort,
    aoAutoSortRefresh,
    aoShowButtonAlways,
    aoAutoHeaderPanelHeight,
    aoKeepColumnWidth,
    aoAnsiSort,
    aoMouseScroll,
    aoAutoSearch,
};
using TgxTreeListOptionsEx = TSet<TgxTreeListOptionEx, 32>;

// The defaults of both sets (55 and $303E); also their stored defaults.
constexpr TgxTreeListOptions DefaultTreeListOptions{aoColumnSizing, aoColumnMoving, aoEditing, aoTabThrough,
                                                    aoRowSelect};
constexpr TgxTreeListOptionsEx DefaultTreeListOptionsEx{aoUseBitmap,   aoBandHeaderWidth, aoAutoCalcPreviewLines,
                                                        aoBandSizing,  aoBandMoving,      aoDragScroll,
                                                        aoDragExpand};

// Sort state of a column; csDown sorts descending.
enum TgxTreeListColumnSort { csNone, csDown, csUp };
enum TgxTreeLineStyle { tlSolid, tlDot };
enum TgxLookAndFeel { lfStandard, lfFlat };
enum TgxTreeListPaintStyle { psStandard, psOutlook };

using TTLNodeEvent = std::function<void(TObject* Sender, TgxTreeListNode* Node)>;
using TTLAllowNodeEvent = std::function<void(TObject* Sender, TgxTreeListNode* Node, bool& Allow)>;
using TTLChangeNodeEvent = std::function<void(TObject* Sender, TgxTreeListNode* OldNode, TgxTreeListNode* Node)>;
using TTLChangeColumnEvent = std::function<void(TObject* Sender, TgxTreeListNode* Node, Integer Column)>;
using TgxTLCompareEvent =
    std::function<void(TObject* Sender, TgxTreeListNode* Node1, TgxTreeListNode* Node2, Integer& Compare)>;
using TTLGetEditColorEvent = std::function<void(TObject* Sender, TColor& Color)>;

// Raises a flag for its lifetime and gives it back its former value, also when an exception passes.
class TgxFlagGuard {
public:
    explicit TgxFlagGuard(bool& Flag) : FFlag(Flag), FOld(Flag) { Flag = true; }
    ~TgxFlagGuard() { FFlag = FOld; }
    TgxFlagGuard(const TgxFlagGuard&) = delete;
    TgxFlagGuard& operator=(const TgxFlagGuard&) = delete;

private:
    bool& FFlag;
    bool FOld;
};

// Where a dragged header would drop: the visible band, the header row and the position in the
// row, and ColumnIndex -1 (no drop position), -2 (dropping changes nothing) or -3 (the position
// the three fields give). Unset, all four are -1.
struct TgxHeaderPosInfo {
    Integer BandIndex = -1;
    Integer RowIndex = -1;
    Integer ColIndex = -1;
    Integer ColumnIndex = -1;
};
inline TgxHeaderPosInfo MakeHeaderPosInfo(Integer BandIndex, Integer RowIndex, Integer ColIndex, Integer ColumnIndex) {
    return TgxHeaderPosInfo{BandIndex, RowIndex, ColIndex, ColumnIndex};
}

// Three-way comparison of two nodes by identity (a true pointer ordering, never an address
// difference): the tie-break of sorting and the order of address-sorted selection lists.
Integer CompareNodePointers(const TgxTreeListNode* Node1, const TgxTreeListNode* Node2);
// Tree order of two nodes of one list: an ancestor before its descendants, else the order of the
// two ancestors that are siblings (negative, 0 or positive).
Integer CompareNodesByPosition(const TgxTreeListNode* A, const TgxTreeListNode* B);
// Puts the tree list's cursors (the delete cursor -1124, the panning cursors -1131 to -1137) into
// the screen's cursor table, once.
void LoadTreeListCursors();

class TStrings;
class TImageList;
class TForm;
class TgxCustomizingListBox;
class TDragObject;

// ---------------------------------------------------------------------------------------------

// A list of nodes: the top-level list of a tree list and the children of a node. Small lists take
// their memory from the node pool; an empty list holds no memory.
class TgxTreeListNodeList {
public:
    TgxTreeListNodeList() = default;
    ~TgxTreeListNodeList() { Clear(); }
    TgxTreeListNodeList(TgxTreeListNodeList&& Other) noexcept;
    TgxTreeListNodeList& operator=(TgxTreeListNodeList&& Other) noexcept;
    TgxTreeListNodeList(const TgxTreeListNodeList&) = delete;
    TgxTreeListNodeList& operator=(const TgxTreeListNodeList&) = delete;

    Integer GetCount() const { return FCount; }
    bool Empty() const { return FCount == 0; }
    // Raises EListError "List index out of bounds (%d)" outside 0..Count-1.
    TgxTreeListNode* Get(Integer Index) const;
    void Put(Integer Index, TgxTreeListNode* Node);
    // Unchecked access for walks that stay inside the list.
    TgxTreeListNode* operator[](Integer Index) const { return FItems[Index]; }
    TgxTreeListNode* Last() const { return Get(FCount - 1); }
    void Add(TgxTreeListNode* Node) { Insert(FCount, Node); }
    // Index 0..Count.
    void Insert(Integer Index, TgxTreeListNode* Node);
    void Delete(Integer Index);
    // Deletes Node; its former index, or -1.
    Integer Remove(const TgxTreeListNode* Node);
    Integer IndexOf(const TgxTreeListNode* Node) const;
    void Exchange(Integer Index1, Integer Index2);
    void Reserve(Integer Capacity);
    // Empties the list and gives its memory back.
    void Clear();
    TgxTreeListNode* const* begin() const { return FItems; }
    TgxTreeListNode* const* end() const { return FItems + FCount; }

private:
    void CheckIndex(Integer Index) const;
    TgxTreeListNode** FItems = nullptr;
    Integer FCount = 0;
    Integer FCapacity = 0;
};

// One node of the forest. Created only by the owner's CreateNode, destroyed with Free(): freeing a
// node deletes its subtree and tells the owner (NodeDeleted).
class TgxTreeListNode : public TObject {
    LUMORA_CLASS(TgxTreeListNode, TObject)
public:
    // Raises EInvalidgxTreeListOperation "Invalid Owner TgxTreeListNode" without an owner.
    explicit TgxTreeListNode(TCustomgxTreeList* AOwner);
    // The deletion: children first, then the node leaves its siblings and the owner is told.
    void BeforeDestruction() override;
    // Nodes come from a pool of fixed-size chunks: a large tree is built and freed in linear time,
    // with its nodes close together in memory.
    static void* operator new(size_t Size);
    static void operator delete(void* Block, size_t Size);

    // -- structure
    TCustomgxTreeList* GetOwner() const { return FOwner; }
    TgxTreeListNode* GetParent() const { return FParent; }
    // The children; a node without children holds no list.
    const TgxTreeListNodeList& GetChildren() const { return FChildren; }
    TgxTreeListNode* AddChild() { return InsertChild(nullptr); }
    // A new child before BeforeChild (appended when nullptr).
    TgxTreeListNode* InsertChild(TgxTreeListNode* BeforeChild);
    // Appends the children, in order, to List.
    void AddChildrenToList(TList* List) const;
    void DeleteChildren();
    Integer GetCount() const { return FChildren.GetCount(); }
    // Child at Index, nullptr outside 0..Count-1.
    TgxTreeListNode* GetItem(Integer Index) const;
    TgxTreeListNode* GetFirstChild() const { return GetItem(0); }
    TgxTreeListNode* GetLastChild() const { return GetItem(GetCount() - 1); }
    // Position among the siblings (in the owner's top-level list for a root).
    Integer GetIndex() const;
    // Position of Node among the children, -1 when absent or without children.
    Integer IndexOfChild(const TgxTreeListNode* Node) const;
    Integer GetLevel() const;
    bool IsLast() const;
    // True when Node is a proper ancestor of this node.
    bool HasAsParent(const TgxTreeListNode* Node) const;

    // -- walks
    TgxTreeListNode* GetNextSibling() const;
    TgxTreeListNode* GetPrevSibling() const;
    // The previous sibling, else the parent (nullptr for the first root).
    TgxTreeListNode* GetPrevSiblingOrParent() const;
    // Depth-first successor and predecessor, regardless of expansion.
    TgxTreeListNode* GetNext() const;
    TgxTreeListNode* GetPrev() const;
    // The next and previous displayed row.
    TgxTreeListNode* GetNextVisible() const;
    TgxTreeListNode* GetPrevVisible() const;
    // This node unless it is expanded, else the same of its last child.
    TgxTreeListNode* GetLastExpandedDescendant() const;
    // Every ancestor is expanded (roots are always visible).
    bool GetIsVisible() const;
    Integer GetAbsoluteIndex() const;

    // -- state
    bool GetDeleting() const { return FDeleting; }
    bool GetExpanded() const { return FExpanded; }
    void SetExpanded(bool Value);
    bool GetHasChildren() const { return FHasChildren; }
    void SetHasChildren(bool Value);
    Integer GetData() const { return FData; }
    // Stored only when the owner's CanSetNodeData allows it.
    void SetData(Integer Value);
    // Row height as last measured, 0 = not measured (cleared by the owner's ClearRowHeightCache).
    Integer GetCachedRowHeight() const;
    void SetCachedRowHeight(Integer Value);
    void Collapse(bool Recurse);
    void Expand(bool Recurse);
    bool GetFocused() const;
    void SetFocused(bool Value);
    bool GetSelected() const;
    void SetSelected(bool Value);
    void MakeVisible();

    // -- values, asked of the owner
    Variant GetValue(Integer Column);
    std::string GetString(Integer Column);
    void SetString(Integer Column, const std::string& Text);
    Integer GetImageIndex();
    void SetImageIndex(Integer Value);
    Integer GetSelectedIndex();
    void SetSelectedIndex(Integer Value);
    Integer GetStateIndex();
    void SetStateIndex(Integer Value);

    // -- moving
    // Moves the node relative to Destination; refused silently for no destination, a destination
    // inside the node's subtree, and the node itself with a child or insert-before mode.
    void MoveTo(TgxTreeListNode* Destination, TgxTreeListNodeAttachMode Mode);
    // Takes the node out of the owner's top-level list (entry TopIndex) and appends it as the last
    // child of AParent, without notification or repaint.
    void MoveTopLevelUnder(TgxTreeListNode* AParent, Integer TopIndex);
    // Appends the children to the end of the owner's top-level list and focuses this node, without
    // notification.
    void MoveChildrenToTopLevel();

protected:
    ~TgxTreeListNode() override;

private:
    friend class TCustomgxTreeList;
    // Takes the node out of its parent's list or the top-level list; an emptied child list goes and
    // the parent's HasChildren and Expanded follow.
    void Detach();
    TgxTreeListNodeList& SiblingList() const;

    Integer FData = 0;
    bool FDeleting = false;
    bool FExpanded = false;
    bool FHasChildren = false;
    TgxTreeListNodeList FChildren;
    TCustomgxTreeList* FOwner;
    TgxTreeListNode* FParent = nullptr;
    // The row height, valid while its stamp matches the owner's, and the display position, valid
    // while the owner's display-order list holds this node there.
    Integer FCachedRowHeight = 0;
    Integer FDisplayIndex = -1;
    uint64_t FRowHeightStamp = 0;
};

// ---------------------------------------------------------------------------------------------

class TCustomgxTreeList : public TCustomgxContainer {
    LUMORA_CLASS(TCustomgxTreeList, TCustomgxContainer)
public:
    explicit TCustomgxTreeList(TComponent* AOwner);
    // Closes everything while the object is whole: the editor, the cache, the nodes.
    void BeforeDestruction() override;
    ~TCustomgxTreeList() override;
    void Loaded() override;
    // An image list that goes is no longer used.
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // -- nodes
    TgxTreeListNode* Add();
    TgxTreeListNode* Insert(TgxTreeListNode* BeforeNode);
    void ClearNodes();
    // Bulk regrouping, linear in the number of nodes: takes every node out of the forest. The
    // leaves (nodes without children) come back in tree order, parentless and in no list, for
    // AdoptNode to place again; every other node is freed as ClearNodes frees it (the selection
    // and the node references cleared). Should a deletion raise, the leaves go back to the top
    // level and the error propagates.
    std::vector<TgxTreeListNode*> ExtractLeaves();
    // Appends Node, taken out by ExtractLeaves, as the last child of Parent (the last root when
    // Parent is nullptr), without notification or repaint.
    void AdoptNode(TgxTreeListNode* Parent, TgxTreeListNode* Node);
    Integer GetCount() const { return FNodes.GetCount(); }
    // Root at Index, nullptr outside the range.
    TgxTreeListNode* GetItem(Integer Index) const;
    TgxTreeListNode* GetFirstNode() const { return GetItem(0); }
    TgxTreeListNode* GetLastVisibleNode() const;
    // Number of displayed rows.
    Integer GetAbsoluteCount() const;
    // Display position of Node from 0; -1 for nullptr and for a node that is not displayed.
    Integer GetAbsoluteIndex(const TgxTreeListNode* Node) const;
    // Node at display position Index; nullptr outside 0..count-1.
    TgxTreeListNode* GetAbsoluteNode(Integer Index) const;
    TgxTreeListNode* GetNextVisible(const TgxTreeListNode* Node) const;
    TgxTreeListNode* GetPrevVisible(const TgxTreeListNode* Node) const;
    // Expands the collapsed ancestors and scrolls the row into view.
    void MakeNodeVisible(TgxTreeListNode* Node);
    void FullExpand();
    void FullCollapse();
    // True while the display-order cache is built.
    bool IsCacheValid() const;
    TgxTreeListNode* GetFocusedNode() const { return FFocusedNode; }
    TgxTreeListNode* GetTopVisibleNode() const { return FTopVisibleNode; }
    TgxTreeListNode* GetSelectionAnchor() const { return FSelectionAnchor; }
    TgxTreeListNode* GetPressedNode() const { return FPressedNode; }
    TgxTreeListNode* GetDragNode() const { return FDragNode; }
    TgxTreeListState GetState() const { return FState; }
    // The middle-button panning mode runs.
    bool IsPanning() const { return FPanning; }

    // -- update and selection brackets
    void BeginUpdate();
    void EndUpdate();
    // Ends a bracket without a layout.
    void CancelUpdate();
    Integer GetUpdateCount() const { return FLockUpdate; }
    // Runs Body inside BeginUpdate/EndUpdate; the bracket is closed also when Body raises.
    template <class F>
    void InUpdateBracket(F&& Body) {
        BeginUpdate();
        try {
            Body();
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
    }
    // Runs Body inside the selection bracket, which closes also when Body raises.
    template <class F>
    void InSelectionBracket(F&& Body) {
        BeginSelectionUpdate();
        try {
            Body();
        } catch (...) {
            EndSelectionUpdate();
            throw;
        }
        EndSelectionUpdate();
    }
    bool IsUpdating() const { return FLockUpdate > 0; }
    // Closes the editor and marks the control as being destroyed (descendants call it first when
    // they are destroyed).
    void PrepareDestroy();

    // -- focus
    // The focused visible column: 0 under row select, outside the visible columns and without
    // columns, never -1.
    Integer GetFocusedColumn();
    void SetFocusedColumn(Integer Index);
    // The absolute index of the focused column (cached until the focus moves).
    Integer GetFocusedColumnAbsoluteIndex();
    Integer GetFocusedAbsoluteIndex();
    void SetNewItemRowFocused(bool Value);
    // Number of columns shown.
    Integer GetVisibleColumnCount();
    // The window with the keyboard focus is the list or lies inside it.
    bool IsFocusWithin();
    // The visible column index of an absolute column index and back (0 for a hidden column).
    Integer VisibleToAbsoluteIndex(Integer Index);
    Integer AbsoluteToVisibleIndex(Integer Index);

    // -- scrolling
    // Display index of the top row, -1 without rows. Setting it keeps the last page full.
    Integer GetTopIndex() const;
    void SetTopIndex(Integer Index);
    // Horizontal scroll position of the scrollable bands.
    Integer GetLeftCoord() const { return FLeftCoord; }
    void SetLeftCoord(Integer Value);
    Integer GetFullVisibleRowCount() const { return FFullVisibleRowCount; }
    // Focused node and top node become the first root.
    void ResetToFirstNode();
    // Scroll horizontally so that the whole band (a visible band) or column (a visible column
    // position) shows; nothing for a fixed band or a column in one.
    void MakeBandVisible(Integer VisibleBand);
    void MakeColumnVisible(Integer Column);

    // -- row heights and the sizes of the layout
    // The height of Node's row for row lines LineHeight high (callers pass DefaultRowHeight):
    // text lines, preview, grid lines and row footers. Cached in the node unless NoCache.
    Integer CalcRowHeight(TgxTreeListNode* Node, Integer LineHeight, bool NoCache = false);
    // The row footers below a last child: one per ancestor level that has a footer.
    Integer GetRowFooterCount(TgxTreeListNode* Node);
    // Level of the Index-th row footer of Node, -1 when there is none.
    Integer GetRowFooterLevel(TgxTreeListNode* Node, Integer Index);
    Integer GetBandPanelHeight() const { return FBandPanelHeight; }
    Integer GetHeaderRowHeight() const { return FHeaderRowHeight; }
    Integer GetHeaderPanelHeight() const { return FHeaderPanelHeight; }
    Integer GetFooterPanelHeight() const { return FFooterPanelHeight; }
    Integer GetFooterCellHeight() const { return FFooterCellHeight; }
    Integer GetRowFooterHeight() const { return FRowFooterHeight; }
    Integer GetNewItemRowHeight() const { return FNewItemRowHeight; }
    Integer GetIndicatorWidth() const { return FIndicatorWidth; }
    // Heights of "Wg" in Font and PreviewFont, and the width of "0" in Font.
    Integer GetTextHeight() const { return FTextHeight; }
    Integer GetPreviewTextHeight() const { return FPreviewTextHeight; }
    Integer GetDigitWidth() const { return FDigitWidth; }
    // The least row line height the fonts, images and columns allow.
    Integer GetMinRowLineHeight() const { return FMinRowLineHeight; }

    // -- band and column widths
    // Width of all bands (with the grouping indent); under aoAutoWidth the client width less the
    // indicator, unless the bands' minimum widths need more or no band is sizable.
    Integer GetBandsWidth();
    Integer GetBandMinWidth(Integer VisibleBand);
    Integer GetBandPreferredWidth(Integer VisibleBand);
    // Width a visible band is shown with (without the grouping indent).
    Integer CalcBandWidth(Integer VisibleBand);
    // Where a scrollable band starts among the scrollable bands; 0 for the fixed ones.
    Integer GetBandOffset(Integer VisibleBand);
    Integer GetScrollableBandsWidth();
    // The client area between the indicator, the fixed bands and the group panel.
    TRect GetScrollableRect();
    Integer GetScrollableAreaWidth();

    // -- geometry
    TgxTreeListAreaInfo CalcRectInfo();
    // Fills DrawInfo for one paint or one hit test; FreeDrawInfo empties its lists.
    void CalcDrawInfo(TgxTreeListDrawInfo& DrawInfo);
    void FreeDrawInfo(TgxTreeListDrawInfo& DrawInfo);
    TgxTreeListHitInfo GetHitInfo(TPoint P);
    TgxTreeListHitCode GetHitTestAt(Integer X, Integer Y);
    TgxTreeListNode* GetNodeAt(Integer X, Integer Y);
    // The node's row, from the indicator's left to the rows' right; (-1, -1, -1, -1) when the row
    // is not on screen.
    TRect GetNodeRect(TgxTreeListNode* Node);
    // The cell of the visible column Column in Node's row; (-1, -1, -1, -1) when not on screen.
    TRect GetCellRect(TgxTreeListNode* Node, Integer Column);
    // Where the in-place editor of that cell goes.
    TRect GetEditRect(TgxTreeListNode* Node, Integer Column);
    // Start and end of the node's tree area (buttons, state image and image) from the left of the
    // first band: 16 pixels per level.
    void GetNodeIndent(TgxTreeListNode* Node, Integer& Start, Integer& End);

    // -- editing (tree_list_editing.cpp)
    // Opens the editor on the focused cell, when editing is allowed, no row select is on and
    // OnEditing agrees.
    void ShowEditor();
    // Closes the editor after validating it, writing its text back; the list takes the focus
    // only when the editor had it (always, with HideEditorAndFocus, when the list is visible).
    void HideEditor();
    void HideEditorAndFocus();
    // Forgets the edited cell (its text is not written back), binds and places the editor again
    // without taking the focus.
    void RefreshEditor();
    // Opens the editor and, when it opened, hands it the character, the mouse press, or its
    // immediate-show hook.
    void ShowEditorAndSendChar(Char Key);
    void ShowEditorAndClick(Integer X, Integer Y);
    void ShowEditorAndOpen();
    TgxInplaceEdit* GetInplaceEditor() const { return FInplaceEditor; }
    Integer GetEditedColumn() const { return FEditedColumn; }
    TgxTreeListNode* GetEditedNode() const { return FEditedNode; }

    // -- keyboard and mouse (tree_list_keys.cpp, tree_list_mouse.cpp)
    // Ends a sizing, a pressed band, header or corner, or a band or header drag (cancelled).
    void CancelSizingAndDragging();
    // Incremental search: starts it in Column (-1: the focused column) with Text and searches;
    // answers whether Text survived the search.
    bool StartSearch(Integer Column, const std::string& Text);
    // Focuses the node found for Text (Mode 0 from the focused node, 1 backwards and 2 forwards
    // from its neighbour); on no match ClearOnFail empties Text, else Mode 0 drops its last
    // character.
    void DoSearch(std::string& Text, Integer Mode, bool ClearOnFail);
    // The first node whose text in Column starts with Text ignoring case, walking from the
    // focused node and wrapping once. A true answer with Node nil: the match is not a node.
    virtual bool SearchNodeByText(Integer Column, const std::string& Text, TgxTreeListNode*& Node, Integer Mode);
    // The focused column becomes the search column (its text emptied) when it is another one.
    void SyncSearchColumn();
    bool IsSearching() const { return FSearching; }
    Integer GetSearchColumn() const { return FSearchColumn; }
    const std::string& GetSearchText() const { return FSearchText; }

    // -- sizing and dragging (tree_list_sizing.cpp, tree_list_dragging.cpp)
    // Where the size line stands (client X or Y) while sizing.
    Integer GetSizeLinePos() const { return FSizeLinePos; }
    bool IsSizeLineShown() const { return FSizeLineShown; }
    // The screen point of the drop arrows, (-100, -100) when there are none.
    TPoint GetDropArrowPos() const { return FDropArrowPos; }
    bool AreDropArrowsShown() const { return FArrowsShown; }
    // The pressed band (visible index) and header (column), the dragged band (absolute index)
    // and column; -1 when none.
    Integer GetPressedBand() const { return FPressedBand; }
    Integer GetPressedColumn() const { return FPressedColumn; }
    Integer GetDraggedBand() const { return FDraggedBand; }
    Integer GetDraggedColumn() const { return FDraggedColumn; }
    // The screen point a band or header drag was last moved to.
    TPoint GetDragPoint() const { return FDragPoint; }
    // The node armed to expand when a dragged node stays over its button.
    TgxTreeListNode* GetDragExpandNode() const { return FDragExpandNode; }
    // Where a drop at the screen point P would go. Bands: the visible index in PosInfo.BandIndex
    // (-1 none, -2 nothing changes); headers: all four fields. P goes out as the arrows' screen
    // point, (-100, -100) without a drop position. PressedItem is -1 for an item dragged out of
    // the customizing window.
    virtual void CalcDropPosition(TPoint& P, TgxHeaderPosInfo& PosInfo, Integer DraggedItem, Integer PressedItem,
                                  bool IsBand);
    // The cursor of a header drag at the screen point P.
    virtual void GetHeaderDragCursor(TPoint P, TCursor& Cursor);
    // Ends a band or header drag: with Drop the band or header moves, shows or hides.
    virtual void EndDragBand(bool Drop);
    virtual void EndDragHeader(bool Drop);
    // Moves the drag image and the arrows of a band or header drag to the screen point P.
    void MoveDragBandOrHeader(TPoint P);
    TImageList* GetDragImageList() const { return FDragImageList; }
    TCustomImageList* GetDragImages() override;

    // -- clipboard text (tree_list_clipboard.cpp)
    // A header line of captions (each followed by TAB, then CR), then one line per displayed node.
    virtual void SaveToStrings(TStrings* Strings);
    // The header line, then the selected nodes in tree order (the focused node without
    // multi-select).
    virtual void SaveSelectedToStrings(TStrings* Strings);
    void CopyNodesToClipboard();

    // -- the customizing window (tree_list_customizing.cpp)
    // Opens the window listing the hidden bands and columns (closing an open one first); nothing
    // without bands and columns or with neither bands nor header shown.
    void ColumnsCustomizing();
    // Closes the window when it is open.
    void EndColumnsCustomizing();
    // P (screen) lies in the client area of the open, visible customizing window.
    bool IsPointInCustomizingForm(TPoint P);
    TForm* GetCustomizingForm() const { return FCustomizingForm; }
    TgxCustomizingListBox* GetCustomizingBandsListBox() const { return FCustomizingBands; }
    TgxCustomizingListBox* GetCustomizingHeadersListBox() const { return FCustomizingHeaders; }
    // Fills the open window's lists again (after a band or column was shown or hidden).
    void RefreshCustomizingListBoxes();
    // The open window shows its bands page, or its headers page.
    void ShowCustomizingPage(bool Bands);

    // -- options
    TgxTreeListOptions GetOptions() const { return FOptions; }
    void SetOptions(TgxTreeListOptions Value);
    TgxTreeListOptionsEx GetOptionsEx() const { return FOptionsEx; }
    void SetOptionsEx(TgxTreeListOptionsEx Value);

    // -- appearance
    TColor GetArrowsColor() const { return FArrowsColor; }
    void SetArrowsColor(TColor Value) { FArrowsColor = Value; }
    bool GetAutoExpandOnSearch() const { return FAutoExpandOnSearch; }
    void SetAutoExpandOnSearch(bool Value) { FAutoExpandOnSearch = Value; }
    TColor GetAutoSearchColor() const { return FAutoSearchColor; }
    void SetAutoSearchColor(TColor Value) { FAutoSearchColor = Value; }
    TColor GetAutoSearchTextColor() const { return FAutoSearchTextColor; }
    void SetAutoSearchTextColor(TColor Value) { FAutoSearchTextColor = Value; }
    TColor GetBandColor() const { return FBandColor; }
    void SetBandColor(TColor Value) { SetColorProperty(FBandColor, Value); }
    TColor GetHeaderColor() const { return FHeaderColor; }
    void SetHeaderColor(TColor Value) { SetColorProperty(FHeaderColor, Value); }
    TColor GetGroupNodeColor() const { return FGroupNodeColor; }
    void SetGroupNodeColor(TColor Value) { SetColorProperty(FGroupNodeColor, Value); }
    TColor GetHideSelectionColor() const { return FHideSelectionColor; }
    void SetHideSelectionColor(TColor Value) { SetColorProperty(FHideSelectionColor, Value); }
    TColor GetGroupNodeTextColor() const { return FGroupNodeTextColor; }
    void SetGroupNodeTextColor(TColor Value) { SetColorProperty(FGroupNodeTextColor, Value); }
    TColor GetRowFooterColor() const { return FRowFooterColor; }
    void SetRowFooterColor(TColor Value) { SetColorProperty(FRowFooterColor, Value); }
    TColor GetRowFooterTextColor() const { return FRowFooterTextColor; }
    void SetRowFooterTextColor(TColor Value) { SetColorProperty(FRowFooterTextColor, Value); }
    TColor GetFixedBandLineColor() const { return FFixedBandLineColor; }
    void SetFixedBandLineColor(TColor Value) { SetColorProperty(FFixedBandLineColor, Value); }
    Integer GetFixedBandLineWidth() const { return FFixedBandLineWidth; }
    void SetFixedBandLineWidth(Integer Value);
    TColor GetHighlightColor() const { return FHighlightColor; }
    void SetHighlightColor(TColor Value) { SetColorProperty(FHighlightColor, Value); }
    TColor GetHighlightTextColor() const { return FHighlightTextColor; }
    void SetHighlightTextColor(TColor Value) { SetColorProperty(FHighlightTextColor, Value); }
    TColor GetHideSelectionTextColor() const { return FHideSelectionTextColor; }
    void SetHideSelectionTextColor(TColor Value) { SetColorProperty(FHideSelectionTextColor, Value); }
    TColor GetTreeLineColor() const { return FTreeLineColor; }
    void SetTreeLineColor(TColor Value) { SetColorProperty(FTreeLineColor, Value); }
    // Stored when it differs from its initial value clGrayText.
    bool IsTreeLineColorStored() const { return FTreeLineColor != clGrayText; }
    TgxTreeLineStyle GetTreeLineStyle() const { return FTreeLineStyle; }
    void SetTreeLineStyle(TgxTreeLineStyle Value);
    // clNone = the built-in grid colour (see GetGridLineColor).
    TColor GetGridLineColorProperty() const { return FGridLineColor; }
    void SetGridLineColor(TColor Value) { SetColorProperty(FGridLineColor, Value); }
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TScrollStyle GetScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TgxLookAndFeel GetLookAndFeel() const { return FLookAndFeel; }
    void SetLookAndFeel(TgxLookAndFeel Value);
    TgxTreeListPaintStyle GetPaintStyle() const { return FPaintStyle; }
    void SetPaintStyle(TgxTreeListPaintStyle Value);
    bool GetShowBands() const { return FShowBands; }
    void SetShowBands(bool Value) { SetLayoutProperty(FShowBands, Value); }
    bool GetShowFooter() const { return FShowFooter; }
    void SetShowFooter(bool Value) { SetLayoutProperty(FShowFooter, Value); }
    bool GetShowGrid() const { return FShowGrid; }
    void SetShowGrid(bool Value) { SetLayoutProperty(FShowGrid, Value); }
    bool GetShowIndicator() const { return FShowIndicator; }
    void SetShowIndicator(bool Value) { SetLayoutProperty(FShowIndicator, Value); }
    bool GetShowRowFooter() const { return FShowRowFooter; }
    void SetShowRowFooter(bool Value) { SetLayoutProperty(FShowRowFooter, Value); }
    bool GetShowHeader() const { return FShowHeader; }
    void SetShowHeader(bool Value) { SetLayoutProperty(FShowHeader, Value); }
    bool GetShowPreviewGrid() const { return FShowPreviewGrid; }
    void SetShowPreviewGrid(bool Value) { SetLayoutProperty(FShowPreviewGrid, Value); }
    // Always True with psOutlook.
    bool GetShowRoot() const { return FShowRoot || FPaintStyle == psOutlook; }
    void SetShowRoot(bool Value) { SetLayoutProperty(FShowRoot, Value); }
    bool GetShowButtons() const { return FShowButtons; }
    void SetShowButtons(bool Value) { SetPaintProperty(FShowButtons, Value); }
    bool GetShowLines() const { return FShowLines; }
    void SetShowLines(bool Value) { SetPaintProperty(FShowLines, Value); }
    bool GetShowNewItemRow() const { return FShowNewItemRow; }
    void SetShowNewItemRow(bool Value);
    bool GetHideFocusRect() const { return FHideFocusRect; }
    void SetHideFocusRect(bool Value) { SetPaintProperty(FHideFocusRect, Value); }
    bool GetHideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value) { SetPaintProperty(FHideSelection, Value); }
    bool GetDblClkExpanding() const { return FDblClkExpanding; }
    void SetDblClkExpanding(bool Value) { FDblClkExpanding = Value; }
    Integer GetIndentDesc() const { return FIndentDesc; }
    void SetIndentDesc(Integer Value);
    Integer GetMaxRowLineCount() const { return FMaxRowLineCount; }
    void SetMaxRowLineCount(Integer Value);
    Integer GetPreviewLines() const { return FPreviewLines; }
    void SetPreviewLines(Integer Value);
    void SetRowSeparatorLineWidth(Integer Value);
    Integer GetDefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(Integer Value);
    bool IsDefaultRowHeightStored() const { return FDefaultRowHeightAssigned; }
    Integer GetCustomizingRowCount() const { return FCustomizingRowCount; }
    void SetCustomizingRowCount(Integer Value);
    Cardinal GetWaitForExpandNodeTime() const { return FWaitForExpandNodeTime; }
    void SetWaitForExpandNodeTime(Cardinal Value) { FWaitForExpandNodeTime = Value; }
    // The band, header and preview fonts; a change made to them from outside clears ParentFont
    // and relayouts. Stored only while ParentFont is off.
    TFont* GetBandFont() const { return FBandFont; }
    void SetBandFont(TFont* Value);
    TFont* GetHeaderFont() const { return FHeaderFont; }
    void SetHeaderFont(TFont* Value);
    TFont* GetPreviewFont() const { return FPreviewFont; }
    void SetPreviewFont(TFont* Value);
    bool IsBandFontStored() const { return !GetParentFont(); }
    bool IsHeaderFontStored() const { return !GetParentFont(); }
    bool IsPreviewFontStored() const { return !GetParentFont(); }
    // The node images and state images; a change of either list relayouts the control.
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* GetStateImages() const { return FStateImages; }
    void SetStateImages(TCustomImageList* Value);
    bool GetSimpleCustomizeBox() const { return FSimpleCustomizeBox; }
    void SetSimpleCustomizeBox(bool Value) { FSimpleCustomizeBox = Value; }
    bool GetShowHiddenInCustomizeBox() const { return FShowHiddenInCustomizeBox; }
    void SetShowHiddenInCustomizeBox(bool Value) { FShowHiddenInCustomizeBox = Value; }

    // -- events
    TTLNodeEvent OnDeletion;
    TTLNodeEvent OnExpanded;
    TTLNodeEvent OnCollapsed;
    TTLAllowNodeEvent OnExpanding;
    TTLAllowNodeEvent OnCollapsing;
    TTLAllowNodeEvent OnEditing;
    TTLNodeEvent OnEdited;
    TTLNodeEvent OnBeginDragNode;
    TTLAllowNodeEvent OnCanNodeSelected;
    TTLChangeNodeEvent OnChangeNode;
    TTLChangeColumnEvent OnChangeColumn;
    TNotifyEvent OnChangeTopVisibleNode;
    TNotifyEvent OnChangeLeftCoord;
    TNotifyEvent OnSelectedCountChange;
    TNotifyEvent OnEndColumnsCustomizing;
    TgxTLCompareEvent OnCompare;
    TTLGetEditColorEvent OnGetEditColor;

    // ==== New virtual operations ==============================================================

    // -- 1. node, cache and event hooks
    // Asked before a scroll-bar message acts.
    virtual bool CanScroll() { return true; }
    virtual void NodeAdded(TgxTreeListNode* Node);
    virtual void PrepareLayout() {}
    // Asked before a double click fires OnDblClick.
    virtual bool CanDblClick() { return true; }
    virtual bool NodeHasChildren(TgxTreeListNode* Node) { return Node->GetCount() != 0; }
    virtual void ClearColumnWidthCache() {}
    virtual void ClearCache();
    // Forgets the measured row height of every node.
    virtual void ClearRowHeightCache();
    virtual void DoCollapsed(TgxTreeListNode* Node);
    virtual void DoEdited(TgxTreeListNode* Node);
    virtual void DoExpanded(TgxTreeListNode* Node);
    virtual void DoCollapsing(TgxTreeListNode* Node, bool& Allow);
    virtual void DoEditing(TgxTreeListNode* Node, bool& Allow);
    virtual void DoExpanding(TgxTreeListNode* Node, bool& Allow);
    virtual void ApplyBandBestFit(Integer /*VisibleBand*/) {}
    virtual void ApplyColumnBestFit(Integer /*Column*/) {}
    virtual void DoChangeColumn(TgxTreeListNode* Node, Integer Column);
    virtual void DoChangeLeftCoord();
    virtual void DoChangeNode(TgxTreeListNode* OldNode, TgxTreeListNode* Node);
    // Moves every reference the control keeps to a deleted node.
    virtual void NodeDeleted(TgxTreeListNode* Node, TgxTreeListNode* PrevSiblingOrParent,
                             TgxTreeListNode* NextVisible, bool IsLast, bool WasVisible);
    // Removes the value of one column from Node and, recursively, from its children.
    virtual void DeleteColumnValues(TgxTreeListNode* Node, Integer Column);
    virtual void AfterLayoutChanged() {}
    virtual TRect GetRowsAreaRect();
    // The whole layout, once the outermost update bracket has ended.
    virtual void LayoutChanged();
    virtual void BuildBandLayout() {}
    virtual void BuildColumnWidthCache() {}
    // Rebuilds the display-order cache.
    virtual void RefreshCache();
    // The focused node lies in the subtree of a collapsing node: False keeps the node expanded.
    virtual bool FocusNodeOnCollapse(TgxTreeListNode* Node);
    virtual bool IsEditorButtonAt(Integer /*X*/, Integer /*Y*/, bool /*SameNode*/) { return IsShowButtonAlways(); }
    virtual void NodeChanged(TgxTreeListNode* Node, bool Structural);
    virtual bool CanSetNodeData() { return true; }
    // Stops the drag auto-scroll timer.
    virtual void StopScrollTimer();

    // -- 2. node data
    virtual TgxTreeListNode* CreateNode() = 0;
    virtual Integer GetImageIndex(TgxTreeListNode* /*Node*/) { return -1; }
    virtual Integer GetSelectedIndex(TgxTreeListNode* /*Node*/) { return -1; }
    virtual Integer GetStateIndex(TgxTreeListNode* /*Node*/) { return -1; }
    virtual Variant GetNodeValue(TgxTreeListNode* /*Node*/, Integer /*Column*/) { return Variant(); }
    virtual std::string GetNodeString(TgxTreeListNode* /*Node*/, Integer /*Column*/) { return {}; }
    virtual Variant GetNodeSortValue(TgxTreeListNode* /*Node*/, Integer /*Column*/) { return Variant(std::string()); }
    // Moves the focus to Node (nothing for nullptr) and the visible column Column.
    virtual void SetFocusedCell(TgxTreeListNode* Node, Integer Column, bool MakeVisible);
    virtual void SetFocusedAbsoluteIndex(Integer Index);
    virtual void SetImageIndex(TgxTreeListNode* /*Node*/, Integer /*Value*/) {}
    virtual void SetSelectedIndex(TgxTreeListNode* /*Node*/, Integer /*Value*/) {}
    virtual void SetStateIndex(TgxTreeListNode* /*Node*/, Integer /*Value*/) {}
    virtual void SetNodeString(TgxTreeListNode* /*Node*/, Integer /*Column*/, const std::string& /*Text*/) {}
    virtual void SetNodeValue(TgxTreeListNode* /*Node*/, Integer /*Column*/, const Variant& /*Value*/) {}
    // Stores the top node and fires OnChangeTopVisibleNode.
    virtual void ChangeTopVisibleNode(TgxTreeListNode* Node);

    // -- 3. bands, columns, headers, cells and footers (neutral answers: no bands, no columns)
    virtual Integer GetGroupPanelHeight() { return 0; }
    virtual TAlignment GetBandAlignment(Integer /*Band*/) { return taLeftJustify; }
    virtual Integer GetBandCount() { return 0; }
    virtual Integer GetAbsoluteBandIndex(Integer VisibleBand) { return VisibleBand; }
    virtual void GetBandCaption(Integer /*Band*/, std::string& Text) { Text.clear(); }
    virtual Integer GetBandWidth(Integer /*Band*/) { return 0; }
    virtual TAlignment GetVisibleBandAlignment(Integer /*VisibleBand*/) { return taLeftJustify; }
    virtual Integer GetVisibleBandCount() { return 0; }
    virtual Integer GetLeftFixedBand() { return -1; }
    virtual Integer GetRightFixedBand() { return -1; }
    virtual Integer GetVisibleBandMinWidth(Integer /*VisibleBand*/) { return 0; }
    virtual Integer GetVisibleBandWidth(Integer /*VisibleBand*/) { return 0; }
    virtual void GetVisibleBandCaption(Integer /*VisibleBand*/, std::string& Text) { Text.clear(); }
    virtual Integer GetGroupIndent() { return 0; }
    virtual Integer GetVisibleBandIndex(Integer Band) { return Band; }
    virtual bool IsBandOnlyOwnColumns(Integer /*VisibleBand*/) { return false; }
    virtual Integer GetColumnCount() { return 0; }
    virtual Integer GetBandRowColumnIndex(Integer /*VisibleBand*/, Integer /*Row*/, Integer /*Position*/) { return -1; }
    virtual TAlignment GetHeaderAlignment(Integer /*Column*/) { return taLeftJustify; }
    virtual Integer GetColumnBandIndex(Integer /*Column*/) { return 0; }
    // The width a column is shown with: its band's width shared out among the columns of its
    // band row by their widths, minimum widths and sizing flags.
    virtual Integer CalcColumnWidth(Integer Column);
    virtual Integer GetBandRowColumnCount(Integer /*VisibleBand*/, Integer /*Row*/) { return 0; }
    virtual Integer GetColumnColIndex(Integer /*Column*/) { return 0; }
    virtual TBitmap* GetHeaderGlyph(Integer /*Column*/) { return nullptr; }
    virtual Integer GetColumnRowCount(Integer /*Column*/) { return 1; }
    virtual Integer GetColumnMinWidth(Integer /*Column*/) { return 0; }
    virtual Integer GetBandUsedRowCount(Integer /*VisibleBand*/) { return 0; }
    virtual Integer GetColumnRowIndex(Integer /*Column*/) { return 0; }
    virtual TgxTreeListColumnSort GetColumnSorted(Integer /*Column*/) { return csNone; }
    virtual bool IsColumnTabStop(Integer /*Column*/) { return true; }
    virtual void GetHeaderCaption(Integer /*Column*/, std::string& Text) { Text.clear(); }
    virtual void GetColumnCaption(Integer Column, std::string& Text) { GetHeaderCaption(Column, Text); }
    virtual Integer GetColumnWidth(Integer /*Column*/) { return 0; }
    virtual TColor GetColumnColor(Integer /*Column*/) { return GetColor(); }
    virtual TFont* GetColumnFont(Integer /*Column*/) { return GetFont(); }
    virtual bool IsColumnFontAssigned(Integer /*Column*/) { return false; }
    virtual bool HasHeaderGlyph(Integer /*Column*/) { return false; }
    virtual TAlignment GetColumnAlignment(TgxTreeListNode* /*Node*/, Integer /*Column*/) { return taLeftJustify; }
    virtual void GetCellText(TgxTreeListNode* /*Node*/, Integer /*Column*/, std::string& Text) { Text.clear(); }
    virtual void GetNewItemRowText(Integer /*Column*/, std::string& Text) { Text.clear(); }
    virtual bool IsColumnMultiLine(Integer /*Column*/) { return false; }
    virtual bool IsNewItemRowActive() { return true; }
    virtual Integer GetGrIndicatorWidth() { return 12; }
    // 0 unless the column has a font of its own: then the height of "Wg" in it + 3.
    virtual Integer GetColumnLineHeight(TCanvas* Canvas, Integer Column);
    virtual void GetPreviewText(TgxTreeListNode* /*Node*/, std::string& Text) { Text.clear(); }
    virtual Integer GetIndicatorImage(TgxTreeListNode* /*Node*/, bool /*Selected*/) { return 0; }
    // Text lines the node's row needs under row auto height: the most any visible cell needs
    // (-1 without visible columns), 1 for a group node.
    virtual Integer GetRowLineCount(TgxTreeListNode* Node, Integer& LineHeight);
    virtual bool DoCalcRowLineHeight(TgxTreeListNode* /*Node*/, Integer /*Column*/, const std::string& /*Text*/,
                                     Integer /*BoundsWidth*/, Integer /*TextHeight*/, Integer /*MaxLineCount*/,
                                     bool /*InflateFlag*/, bool /*GridFlag*/, Integer& /*LineCount*/,
                                     Integer& /*LineHeight*/) {
        return false;
    }
    // The largest GetColumnLineHeight of the shown columns, 0 without any.
    virtual Integer GetMaxColumnLineHeight(TCanvas* Canvas);
    virtual Integer GetPreviewLineCount(TgxTreeListNode* Node);
    virtual Integer GetRowSeparatorLineWidth() { return FRowSeparatorLineWidth < 1 ? 1 : FRowSeparatorLineWidth; }
    virtual void CalcHeaderPanelRowCount() {}
    virtual bool IsGroupNode(TgxTreeListNode* /*Node*/) { return false; }
    virtual TAlignment GetRowFooterCellAlignment(TgxTreeListNode* Node, Integer Column, Integer /*FooterIndex*/) {
        return GetColumnAlignment(Node, Column);
    }
    virtual void GetRowFooterCellText(TgxTreeListNode* /*Node*/, Integer /*Column*/, Integer /*FooterIndex*/,
                                      std::string& Text) {
        Text.clear();
    }
    virtual bool IsExistFooterCell(Integer /*Column*/) { return false; }
    virtual bool IsExistRowFooterCell(TgxTreeListNode* /*Node*/, Integer /*Column*/, Integer /*FooterIndex*/) {
        return false;
    }
    virtual bool IsLevelFooter(Integer /*Level*/) { return false; }

    // -- 4. option queries
    virtual bool IsAnsiSort() { return FOptionsEx.Contains(aoAnsiSort); }
    virtual bool IsAutoCalcPreviewLines() { return FOptionsEx.Contains(aoAutoCalcPreviewLines); }
    virtual bool IsAutoHeaderPanelHeight() { return FOptionsEx.Contains(aoAutoHeaderPanelHeight); }
    virtual bool IsAutoSearch() { return FOptionsEx.Contains(aoAutoSearch); }
    virtual bool IsAutoSort() { return FOptions.Contains(aoAutoSort); }
    virtual bool IsAutoSortRefresh() { return FOptionsEx.Contains(aoAutoSortRefresh); }
    virtual bool IsAutoWidth() { return FOptions.Contains(aoAutoWidth); }
    virtual bool IsBandHeaderWidth() { return FOptionsEx.Contains(aoBandHeaderWidth); }
    virtual bool IsCaseInsensitive() { return FOptions.Contains(aoCaseInsensitive); }
    virtual bool IsCellMultiSelect() { return FOptionsEx.Contains(aoCellMultiSelect); }
    virtual bool IsDragCollapse() { return FOptionsEx.Contains(aoDragCollapse); }
    virtual bool IsDrawEndEllipsis() { return FOptions.Contains(aoDrawEndEllipsis); }
    virtual bool IsDragExpand() { return FOptionsEx.Contains(aoDragExpand); }
    virtual bool CanDragScroll() { return FOptionsEx.Contains(aoDragScroll); }
    virtual bool IsEditingAllowed() { return FOptions.Contains(aoEditing); }
    virtual bool IsEnterShowEditor() { return FOptionsEx.Contains(aoEnterShowEditor); }
    virtual bool IsEnterThrough() { return FOptionsEx.Contains(aoEnterThrough) && IsEnterShowEditor(); }
    virtual bool IsExtCustomizing() { return FOptions.Contains(aoExtCustomizing); }
    virtual bool IsExtMultiSelect() { return FOptions.Contains(aoExtMultiSelect); }
    virtual bool IsHorzThrough() { return FOptionsEx.Contains(aoHorzThrough); }
    virtual bool HasHorzScrollBar() { return FScrollBars == ssHorizontal || FScrollBars == ssBoth; }
    virtual bool IsMouseScrollMode() {
        return FOptionsEx.Contains(aoMouseScroll) && (IsRowSelect() || !IsEditingAllowed());
    }
    virtual bool IsMultiSelect() { return FOptions.Contains(aoMultiSelect); }
    virtual bool IsMultiSort() { return FOptionsEx.Contains(aoMultiSort); }
    virtual bool IsNewItemRowFocused() { return FNewItemRowFocused; }
    virtual bool IsNewItemRowVisible() { return FShowNewItemRow && FNewItemRowHeight > 0; }
    virtual bool IsRowAutoHeight() { return FOptionsEx.Contains(aoRowAutoHeight) && FMaxRowLineCount != 0; }
    virtual bool IsRowSelect() { return FOptions.Contains(aoRowSelect); }
    virtual bool IsShowHourGlass() { return FOptionsEx.Contains(aoShowHourGlass); }
    virtual bool IsShowRowFooter() { return FShowRowFooter; }
    virtual bool IsPreviewVisible() { return FOptions.Contains(aoPreview) && FPreviewLines != 0; }
    virtual bool UseRowHeightCache() { return true; }
    virtual bool IsTabThrough() { return FOptions.Contains(aoTabThrough); }
    virtual bool IsVertThrough() { return FOptionsEx.Contains(aoVertThrough); }
    virtual bool KeepScrollBars() { return false; }
    virtual bool HasVertScrollBar() { return FScrollBars == ssVertical || FScrollBars == ssBoth; }
    virtual bool IsUseBitmap() { return FOptionsEx.Contains(aoUseBitmap); }
    virtual bool IsBandButtonClicking() { return FOptionsEx.Contains(aoBandButtonClicking); }
    virtual bool IsBandFullSizing() { return FOptionsEx.Contains(aoFullSizing); }
    virtual bool IsBandPanelSizing() { return FOptionsEx.Contains(aoBandPanelSizing); }
    virtual bool IsBandSizing(Integer /*VisibleBand*/) { return true; }
    virtual bool IsHeaderSizingToClient() { return FOptionsEx.Contains(aoBandHeaderWidth) && !FShowBands; }
    virtual bool IsHeaderButtonClicking() { return FOptionsEx.Contains(aoHeaderButtonClicking); }
    virtual bool IsHeaderFullSizing() { return FOptionsEx.Contains(aoFullSizing); }
    virtual bool IsHeaderPanelSizing() { return FOptionsEx.Contains(aoHeaderPanelSizing); }
    virtual bool IsColumnSizing(Integer /*Column*/) { return true; }
    virtual bool CanSizeColumn(Integer Column) { return FOptions.Contains(aoColumnSizing) && IsColumnSizing(Column); }
    virtual bool IsRowSizing() { return FOptionsEx.Contains(aoRowSizing); }

    // -- 5. sizing, clicks, dragging, showing and hiding of bands and headers
    virtual void ChangeBandRowCount(Integer /*Value*/) {}
    virtual void ChangeBandWidth(Integer /*VisibleBand*/, Integer /*Width*/) {}
    virtual void ChangeHeaderPanelRowCount(Integer /*Value*/) {}
    virtual void ChangeColumnWidth(Integer /*Column*/, Integer /*Width*/) {}
    virtual void DoBandButtonClick() {}
    virtual void DoBandClick(Integer /*VisibleBand*/) {}
    virtual void DoChangedColumnsWidth() {}
    virtual void DoHeaderButtonClick() {}
    virtual void DoColumnClick(Integer /*Column*/) {}
    virtual Integer GetBandMaxRowCount() { return 5; }
    virtual Integer GetBandRowCount() { return 1; }
    virtual Integer GetHeaderPanelMaxRowCount() { return 4; }
    virtual Integer GetHeaderPanelRowCount() { return 1; }
    virtual Integer GetHeaderMinRowCount() { return 1; }
    virtual bool IsCustomizing() { return FCustomizingForm != nullptr; }
    virtual void GetNodeDragText(TgxTreeListNode* /*Node*/, Integer /*Column*/, std::string& /*Text*/) {}
    virtual bool CanBandDragging(Integer /*VisibleBand*/) { return FOptionsEx.Contains(aoBandMoving); }
    virtual bool CanHeaderDragging(Integer /*Column*/) { return FOptions.Contains(aoColumnMoving); }
    virtual Integer GetNodeDragWidth() { return 100; }
    virtual bool IsColumnShown(Integer /*Column*/) { return false; }
    // Hidden bands and columns keep their share of width while the shown ones are resized.
    virtual void ScaleHiddenBandWidths(Integer /*New*/, Integer /*Old*/) {}
    virtual void ScaleHiddenColumnWidths(Integer /*VisibleBand*/, Integer /*New*/, Integer /*Old*/) {}
    virtual void ApplyDefaultRowHeight(Integer Value) { SetDefaultRowHeight(Value); }
    // Bands: From and To are visible indexes; Band is a collection index.
    virtual void MoveBand(Integer /*From*/, Integer /*To*/) {}
    virtual void DoDragOverBand(TPoint /*P*/, Integer /*Band*/, bool& /*Accept*/) {}
    virtual void DoDragEndBand(TPoint /*P*/, Integer /*Band*/, bool& /*Accept*/, Integer& /*NewIndex*/,
                               Integer /*OldIndex*/) {}
    virtual bool IsBandDisableCustomizing(Integer /*Band*/) { return false; }
    virtual void HideBand(Integer /*Band*/) {}
    virtual bool IsBandHidden(Integer /*Band*/) { return false; }
    virtual void StartDragBand(Integer Band);
    virtual void ShowBand(Integer /*NewIndex*/, Integer /*Band*/) {}
    // Headers: VisibleBand, Row and ColIndex name a place in the header panel.
    virtual void DoDragOverHeader(TPoint /*P*/, Integer /*Column*/, bool& /*Accept*/) {}
    virtual void DoDragEndHeader(TPoint /*P*/, Integer /*Column*/, bool& /*Accept*/, TgxHeaderPosInfo& /*PosInfo*/) {}
    virtual bool IsColumnDisableCustomizing(Integer /*Column*/) { return false; }
    virtual void MoveHeader(Integer /*Column*/, Integer /*VisibleBand*/, Integer /*Row*/, Integer /*ColIndex*/) {}
    virtual void HideHeader(Integer /*Column*/) {}
    virtual bool IsColumnInCustomizeBox(Integer /*Column*/) { return false; }
    virtual void StartDragHeader(Integer Column);
    virtual void ShowHeader(Integer /*Column*/, Integer /*VisibleBand*/, Integer /*Row*/, Integer /*ColIndex*/) {}

    // -- 6. node dragging and rows
    virtual void DoBeginDragNode(TgxTreeListNode* Node);
    virtual bool IsLastVisibleNode(TgxTreeListNode* Node);
    virtual bool IsFirstNode(TgxTreeListNode* Node) { return Node && Node == GetFirstNode(); }
    virtual Integer GetVisibleRowCount() { return FVisibleRowCount; }
    virtual void GetVertScrollInfo(Integer& Min, Integer& Max, Integer& Page, Integer& Pos);
    virtual void UpdateVisibleRowCounts();
    // Vertical, horizontal, vertical, horizontal: the second pass sees a bar the first one
    // added or removed. Only with a window.
    virtual void UpdateScrollBars();
    virtual bool IsEditing() { return FState == tsEditing && FLockUpdate == 0 && HandleAllocated(); }

    // -- 7. keys and editing
    virtual bool CanProcessKey(Word /*Key*/, TShiftState /*Shift*/) { return true; }
    virtual void DoNewItemRowEditing(bool& /*Allow*/) {}
    virtual void ActivateNewItemRow() {}
    // The in-place editor for the visible column Column: a new text editor owned by the list, or
    // the current one.
    virtual TgxInplaceEdit* CreateEditor(Integer Column);
    virtual TgxInplaceEdit* FindEditor(Integer /*Column*/) { return FInplaceEditor; }
    // The editor's value while editing, else empty; setting it changes it only when the editor
    // may be modified.
    virtual std::string GetEditorText();
    virtual void SetEditorText(const std::string& Text);
    virtual void SetNodeEditText(TgxTreeListNode* Node, Integer /*Column*/, const std::string& /*Text*/) {
        DoEdited(Node);
    }
    virtual bool CanSelectRange() { return true; }

    // -- 8. selection (the base keeps no selected nodes)
    virtual bool CanSelectNode(TgxTreeListNode* Node);
    virtual void ClearSelection();
    virtual Integer CompareWithSelectionAnchor(TgxTreeListNode* Node);
    virtual void DeleteSelection() { FKeyboardExtending = false; }
    virtual void DoSelectedCountChange();
    virtual Integer GetSelectedCount() { return 0; }
    virtual TgxTreeListNode* GetSelectedNode(Integer /*Index*/) { return nullptr; }
    virtual void InvalidateSelection();
    virtual bool IsNodeSelected(TgxTreeListNode* /*Node*/) { return false; }
    virtual void SetNodeSelected(TgxTreeListNode* /*Node*/, bool /*Value*/) { DoSelectedCountChange(); }
    virtual void SelectNodeRange(TgxTreeListNode* Node1, TgxTreeListNode* Node2);
    virtual void SetSelectionAnchor(TgxTreeListNode* Node) { FSelectionAnchor = Node; }

    // -- 9. sorting
    virtual void ClearSorting() {}
    virtual Integer CompareSelectionItems(TgxTreeListNode* Node1, TgxTreeListNode* Node2) {
        return CompareNodePointers(Node1, Node2);
    }
    // Sorts the nodes in place: Level -1 every list of the tree (parents before their children),
    // Level N every child list N levels below the top-level list (0: the top-level list). The
    // values of Column, or of the sorted columns with multi-sorting, decide; OnCompare replaces
    // them when assigned. A comparison that raises leaves every list as it was.
    virtual void SortNodes(Integer Level, Integer Column, bool Descending);
    virtual Integer GetSortedColumnCount() { return 0; }
    virtual bool IsSortedColumnDesc(Integer /*Index*/) { return false; }
    virtual Integer GetSortedColumnIndex(Integer Index) { return Index; }
    virtual bool CanMultiSort(Integer /*Column*/) { return IsMultiSort(); }
    // Asked before the nodes are sorted.
    virtual bool CanSortNodes() { return true; }

    // -- 10. custom drawing
    virtual bool HasCustomDrawBand() { return false; }
    virtual bool HasCustomDrawCell(Integer /*Column*/) { return false; }
    virtual bool HasCustomDrawFooter(Integer /*FooterIndex*/) { return false; }
    virtual bool HasCustomDrawHeader(Integer /*Column*/) { return false; }
    virtual bool HasCustomDrawPreview() { return false; }
    virtual bool HasLevelColor() { return false; }
    // The custom-draw calls get what the default drawing will use, by reference; ADone True
    // skips the default drawing.
    virtual void DoCustomDrawBand(Integer /*VisibleBand*/, TCanvas* /*ACanvas*/, TRect /*ARect*/,
                                  std::string& /*AText*/, TColor& /*AColor*/, TFont* /*AFont*/,
                                  TAlignment& /*AAlignment*/, bool& /*ADone*/) {}
    virtual void DoCustomDrawCell(TCanvas* /*ACanvas*/, TRect& /*ARect*/, TgxTreeListNode* /*ANode*/,
                                  Integer /*Column*/, bool /*ASelected*/, bool /*AFocused*/, bool /*ANewItemRow*/,
                                  bool /*ALastColumn*/, bool /*AFirstColumn*/, HBRUSH /*ABrush*/,
                                  std::string& /*AText*/, TColor& /*AColor*/, TFont* /*AFont*/,
                                  TAlignment& /*AAlignment*/, bool& /*ADone*/) {}
    // FooterIndex -1: the footer below the rows (no node); otherwise a row footer of ANode.
    virtual void DoCustomDrawFooter(TCanvas* /*ACanvas*/, TRect /*ARect*/, TgxTreeListNode* /*ANode*/,
                                    Integer /*Column*/, Integer /*FooterIndex*/, std::string& /*AText*/,
                                    TColor& /*AColor*/, TFont* /*AFont*/, TAlignment& /*AAlignment*/,
                                    bool& /*ADone*/) {}
    virtual void DoCustomDrawHeader(Integer /*Column*/, TCanvas* /*ACanvas*/, TRect /*ARect*/, std::string& /*AText*/,
                                    TColor& /*AColor*/, TFont* /*AFont*/, TAlignment& /*AAlignment*/,
                                    TgxTreeListColumnSort& /*ASorted*/, bool& /*ADone*/) {}
    virtual void DoCustomDrawPreview(TCanvas* /*ACanvas*/, TRect /*ARect*/, TgxTreeListNode* /*ANode*/,
                                     bool /*ASelected*/, std::string& /*AText*/, TColor& /*AColor*/,
                                     TColor& /*ATextColor*/, TFont* /*AFont*/, bool& /*ADone*/) {}
    virtual void DoGetLevelColor(Integer /*Level*/, TColor& /*AColor*/) {}
    // One cell: Kind 0 a cell, 1 a footer cell (AFooterIndex -1: the footer below the rows), 2 a
    // new-item row cell, 3 a group row. ABrush and AColor are the background; the text takes
    // the canvas font's colour.
    virtual void DrawNodeCell(TCanvas* ACanvas, TRect ARect, bool ALastColumn, bool AFirstColumn, Integer AKind,
                              bool AMultiLine, HBRUSH ABrush, TColor AColor, bool AFocused, bool ASelected,
                              Integer AFooterIndex, Integer AColumn, TgxTreeListNode* ANode);
    virtual void DrawTopPanel(TCanvas* /*ACanvas*/, const TRect& /*ARect*/, HBRUSH /*ABrush*/) {}
    // A row's preview text on ABrush / AColor in ATextColor (the preview font's colour unless the
    // row is highlighted).
    virtual void DrawPreview(TCanvas* ACanvas, TRect ARect, bool ASelected, HBRUSH ABrush, TColor ATextColor,
                             TColor AColor, TgxTreeListNode* ANode);
    virtual void BeginDrawNode(TgxTreeListNode* /*Node*/) {}
    virtual void EndDrawNode(TgxTreeListNode* /*Node*/) {}
    // GridLineColor, or the built-in grid colour clBtnShadow while that is clNone.
    virtual TColor GetGridLineColor() { return FGridLineColor == clNone ? clBtnShadow : FGridLineColor; }

    // -- 11. text and brackets
    virtual bool IsInvertSelect() { return FOptionsEx.Contains(aoInvertSelect); }
    virtual void BeginSelectionUpdate();
    virtual void EndSelectionUpdate();

    // -- container queries answered from the options
    bool IsShowButtonAlways() override { return FOptionsEx.Contains(aoShowButtonAlways); }
    bool IsHideFocusRect() override { return FOptions.Contains(aoHideFocusRect); }
    // -- container queries of the editing host
    // The focused column's colour, then OnGetEditColor.
    TColor GetEditColor() override;
    // The focused column's font when it has one of its own, else Font.
    TFont* GetEditFont() override;
    bool CanEditModify() override { return true; }
    bool IsValidEditChar(Char /*Key*/) override { return true; }
    void EditorFocusChanged() override { InvalidateSelection(); }
    // True while the focused column differs from the one the editor was bound to.
    bool IgnoreEditKeys() override;
    bool IsFlatLook() override { return FLookAndFeel == lfFlat; }
    bool IsImmediateEditor() override { return FOptions.Contains(aoImmediateEditor); }
    // aoTabs, and Ctrl not held at the moment.
    bool WantTabs() override;
    // A single border without the grid.
    TgxEditBorderStyle GetEditBorderStyle() override { return FShowGrid ? xbsNone : xbsSingle; }

protected:
    friend class TgxTreeListNode;
    friend class TgxTreeListLayout;
    friend class TgxTreeListHitTester;
    friend class TgxTreeListPainter;
    friend class TgxTreeListKeys;

    bool IsLoading() const { return GetComponentState().Contains(csLoading); }
    bool IsDestroying() const { return GetComponentState().Contains(csDestroying); }
    bool IsClearing() const { return FClearing; }

    // A click on the header of Column: DoColumnClick, with the multi-sort flag raised when
    // aoMultiSort is on and Shift is held and the clear-sort flag raised when Ctrl is held, both
    // for the call only.
    void ClickColumn(Integer Column, TShiftState Shift);
    bool IsMultiSortClick() const { return FMultiSortClick; }
    bool IsClearSortClick() const { return FClearSortClick; }

    // The text lines Text needs in a cell Width pixels wide, laid out word-wrapped with Font
    // (tabs expanded, no prefix characters) within Width less GridWidth and 2 pixels on each
    // side: the measured height div TextHeight, at most MaxLineCount unless that is -1. 0 for an
    // empty text and for MaxLineCount 0.
    Integer MeasureLineCount(TFont* Font, const std::string& Text, Integer Width, Integer TextHeight,
                             Integer MaxLineCount, Integer GridWidth);

    void Paint() override;
    // Background and text of a cell: one clipped text-out for a single line, else the cell text
    // format inside the rectangle inset by 2 and 1 (2 under IsInvertSelect).
    void DrawCellText(TCanvas* ACanvas, const TRect& ARect, HBRUSH ABrush, const std::string& AText,
                      TAlignment AAlignment, bool AMultiLine);
    // Background, then the text inset by 1 pixel and IndentDesc on the left, in the preview font.
    void DrawPreviewText(TCanvas* ACanvas, const TRect& ARect, HBRUSH ABrush, const std::string& AText,
                         TColor ATextColor);
    // The running incremental search: its column and text (the keyboard handling starts, extends
    // and ends it).
    void SetSearch(Integer Column, const std::string& Text);

    // Every repaint of part of the control goes through here.
    virtual void InvalidateArea(const TRect& R);

    // Window: clip children, tab stop, redraw on resizing, double clicks; a 3-D client edge or a
    // plain border with the standard look, none with the flat look (its frame is non-client paint).
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // The flat look with a border: one pixel of frame on every side, a sunken outer edge around
    // the window and the box between two scroll bars in the button face colour.
    void WMNCCalcSize(TMessage& Message) override;
    void WMNCPaint(TMessage& Message) override;
    // The painting covers everything: nothing is erased.
    void WMEraseBkgnd(TMessage& Message) override;
    // Arrows always; Tab when WantTabs; characters when editing, searching or searching on typing.
    void WMGetDlgCode(TMessage& Message) override;
    void CMCtl3DChanged(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMParentFontChanged(TMessage& Message) override;
    // Scroll bars and the wheel (one row per message); a new size clears the row heights.
    void WMVScroll(TMessage& Message) override;
    void WMHScroll(TMessage& Message) override;
    void WMMouseWheel(TMessage& Message) override;
    void WMSize(TMessage& Message) override;
    // The focused row, the selection and the new-item row show whether the list has the focus.
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    bool HasFlatBorder() const { return FLookAndFeel == lfFlat && FBorderStyle == bsSingle; }

    // The layout: clears and rebuilds the display-order cache around the band layout and the
    // scroll bars. Nothing while loading or being destroyed.
    virtual void CalcLayoutMetrics();
    // Keeps TopIndex and LeftCoord in range after a layout, a structural change or a resize.
    virtual void ClampScrollPositions();
    // Both scroll bars go when the rows and bands fit without them (unless KeepScrollBars).
    virtual void RemoveUnneededScrollBars();
    void UpdateVertScrollBar();
    void UpdateHorzScrollBar();
    // Fills FullCount and Count with the rows of a page Height high from StartNode on (filled
    // upwards when the rows after it do not fill it); answers the height used.
    Integer CalcVisibleRows(TgxTreeListNode* StartNode, Integer Height, Integer& FullCount, Integer& Count);
    // Pixels the rows move when the top row moves up by Rows (down for a negative count).
    Integer GetScrollDistance(Integer Rows);
    void ScrollVert(Integer DY);
    void ScrollHorz(Integer DX);
    // Middle-button panning from the screen point Origin: a round window of arrows there, the
    // cursor showing the direction, and line scrolls at a speed growing with the distance, until
    // Esc, a click, or a middle release once the mouse has left the still zone. Other windows go
    // on working meanwhile. False when the list was freed meanwhile.
    bool DoMousePanning(TPoint Origin);
    // Height of the rows area.
    Integer GetRowsHeight();
    // The parts of a displayed row; the rectangle of a header item's cell in it (the first cell of
    // the first band starts after the row's tree area); a row footer's rectangle.
    TgxRowParts GetRowParts(const TgxRowDrawItem& Row);
    TRect GetRowCellRect(const TgxTreeListDrawInfo& DrawInfo, const TgxHeaderDrawItem& Header,
                         const TgxRowDrawItem& Row);
    TRect GetRowFooterRect(const TgxTreeListDrawInfo& DrawInfo, const TgxRowDrawItem& Row, Integer Index);
    // Where level 0 of the tree area lies: the first band's left after scrolling.
    Integer GetTreeOrigin(const TgxTreeListDrawInfo& DrawInfo);
    // The header item at X covering header row Row (-1: any row), nullptr when none.
    const TgxHeaderDrawItem* FindHeaderItem(const TgxTreeListDrawInfo& DrawInfo, Integer X, Integer Row);
    // The paint lock of the transient drawings, nested: the first HideDragImages takes the size
    // line, the drag image, the drop arrows and another drag's image off; the last
    // ShowDragImages puts them back. Every scroll and paint runs inside it.
    void HideDragImages();
    void ShowDragImages();
    void SetState(TgxTreeListState Value);
    // Forgets the cell the editor belongs to and closes the editor.
    void ResetEditedCell();
    // Keys, characters, presses, moves and releases.
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void WndProc(TMessage& Message) override;
    void WMLButtonDown(TMessage& Message) override;
    void WMTimer(TMessage& Message) override;
    void WMSetCursor(TMessage& Message) override;
    void WMCancelMode(TMessage& Message) override;
    void CMCancelMode(TMessage& Message) override;
    void CMDrag(TMessage& Message) override;
    void DoExit() override;
    // Node dragging through the framework's drag manager.
    void DoStartDrag(TDragObject*& DragObject) override;
    void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;
    void DoEndDrag(TObject* Target, Integer X, Integer Y) override;
    // The size line: drawn twice it is gone.
    void DrawSizeLine();
    // A size line position kept inside the limits of the current sizing state (and on whole rows
    // for the band and header panels).
    Integer ClampSizeLine(Integer Pos);
    // Ends the sizing at the line's position (mouse up).
    void EndSizing();
    // The arrows on or off at FDropArrowPos.
    void ToggleDropArrows();
    // Takes Images as the drag image (held at HotSpot) and starts a band or header drag at the cursor.
    void BeginBandOrHeaderDrag(TImageList* Images, TPoint HotSpot, TgxTreeListState State);
    // Ends the image drag, the arrows and the pressed item of a band (or header) drag and gives
    // back the pressed and the dragged item.
    void FinishBandOrHeaderDrag(bool Band, Integer& Pressed, Integer& Dragged);
    void SetDragOverObject(TDragObject* Object);
    // Width distribution of the sizing gestures.
    void SizeBand(Integer VisibleBand, Integer NewWidth);
    void SizeBandInAutoWidth(Integer VisibleBand, Integer NewWidth);
    void SizeColumnInBand(Integer VisibleBand, Integer Column, Integer NewWidth);
    void SizeColumnWithBand(Integer VisibleBand, Integer Column, Integer NewWidth);
    // The delayed editor: a click on the focused cell opens it after the double-click time.
    void StartEditorTimer();
    void StopEditorTimer();
    bool IsEditorTimerRunning() const { return FEditorTimer; }
    // Clears every node reference (top, focus, edited cell, anchor, pressed and drag node).
    void ResetNodeReferences();
    // The top index that makes row Index the last wholly visible row.
    Integer GetTopIndexForLastRow(Integer Index);
    void EndSearch();
    TgxTreeListNode* GetSelectionReference();
    // The node a range selection is judged against while it is built.
    void SetSelectionReference(TgxTreeListNode* Node) { FSelectionReference = Node; }
    // A range selection kept as nodes in address order: the displayed nodes from Node1's row to
    // Node2's that may be selected (judged against the first of them) are merged into Selection.
    void MergeNodeRange(TgxTreeListNode* Node1, TgxTreeListNode* Node2, std::vector<TgxTreeListNode*>& Selection);

    // The font the control measures and draws texts with.
    TFont* GetInternalFont() const { return FInternalFont; }
    // Copies Font into the band, header and preview fonts without clearing ParentFont.
    void CopyParentFonts();

    // Repaints the node's row, the rows from the node's row down, the new-item row.
    void InvalidateNode(TgxTreeListNode* Node);
    void InvalidateRowsFrom(TgxTreeListNode* Node);
    void InvalidateNewItemRow();
    // A canvas on a screen context for measuring texts (never the window's own canvas, which may
    // be painting).
    TCanvas* GetMeasureCanvas();
    // Height of "Wg" in Font.
    Integer MeasureTextHeight(TFont* Font);

    // The sizes kept by the layout.
    Integer FVisibleRowCount = 1;
    Integer FFullVisibleRowCount = 1;
    Integer FLeftCoord = 0;
    // Band rows, header panel rows and header row lines as of the last layout.
    Integer FLayoutBandRows = 1;
    Integer FLayoutHeaderRows = 1;
    Integer FLayoutHeaderLines = 1;
    Integer FBandTextHeight = 11;
    Integer FBandPanelHeight = 0;
    Integer FHeaderRowHeight = 18;
    Integer FHeaderPanelHeight = 18;
    // The drop-arrow pair of header dragging.
    TRect FDragArrowRect;
    Integer FGroupPanelHeight = 0;
    Integer FIndicatorWidth = 0;
    Integer FTextHeight = 11;
    Integer FFooterCellHeight = 18;
    Integer FFooterPanelHeight = 0;
    Integer FRowFooterHeight = 20;
    Integer FMinRowLineHeight = 18;
    Integer FDigitWidth = 7;
    Integer FImageWidth = 0;
    Integer FImageHeight = 0;
    Integer FStateImageWidth = 0;
    Integer FStateImageHeight = 0;
    Integer FNewItemRowHeight = 0;
    Integer FPreviewTextHeight = 11;
    bool FStandardPaint = true;
    // What the painting shows pressed (the mouse handling sets them).
    bool FPressedBandShown = false;
    bool FPressedColumnShown = false;
    bool FBandCornerPressed = false;
    bool FHeaderCornerPressed = false;

    // Calls Fn(VisibleBand, Row, Position, Column) for every shown column, band by band, row by
    // row, in display order.
    template <class F>
    void ForEachShownColumn(F&& Fn) {
        const Integer bands = GetVisibleBandCount();
        for (Integer band = 0; band < bands; ++band) {
            const Integer rows = GetBandUsedRowCount(band);
            for (Integer row = 0; row < rows; ++row) {
                const Integer count = GetBandRowColumnCount(band, row);
                for (Integer position = 0; position < count; ++position) {
                    const Integer column = GetBandRowColumnIndex(band, row, position);
                    if (column >= 0) Fn(band, row, position, column);
                }
            }
        }
    }

private:
    // Makes the widths shown under aoAutoWidth permanent when aoAutoWidth goes.
    void KeepAutoWidths();
    void PanelFontChanged(TObject* Sender);
    void SetImageList(TCustomImageList*& Field, TChangeLink* Link, TCustomImageList* Value);
    void SetColorProperty(TColor& Field, TColor Value);
    void SetLayoutProperty(bool& Field, bool Value);
    void SetPaintProperty(bool& Field, bool Value);
    Integer FindCachedNode(const TgxTreeListNode* Node) const;
    Integer WalkAbsoluteIndex(const TgxTreeListNode* Node) const;
    TgxTreeListNode* WalkAbsoluteNode(Integer Index) const;
    Integer WalkAbsoluteCount(const TgxTreeListNodeList& List) const;

    TgxTreeListNodeList FNodes;
    TFont* FBandFont;
    TFont* FHeaderFont;
    TFont* FPreviewFont;
    TFont* FInternalFont;
    TCustomImageList* FImages = nullptr;
    TCustomImageList* FStateImages = nullptr;
    TChangeLink* FImageChangeLink;
    TChangeLink* FStateImageChangeLink;
    bool FCopyingParentFonts = false;
    Integer FLockUpdate = 0;
    TgxTreeListNode* FFocusedNode = nullptr;
    TgxTreeListNode* FTopVisibleNode = nullptr;
    TgxTreeListNode* FSelectionAnchor = nullptr;
    TgxTreeListNode* FSelectionReference = nullptr;
    TgxTreeListNode* FPressedNode = nullptr;
    TgxTreeListNode* FDragNode = nullptr;
    TgxTreeListState FState = tsNormal;
    Integer FEditedColumn = -1;
    TgxTreeListNode* FEditedNode = nullptr;
    bool FEditorOnRelease = false;
    TgxInplaceEdit* FInplaceEditor = nullptr;
    Integer FEditorColumn = -1;
    bool FEditorTimer = false;
    // The input state: the press, its hit, the click flags, the Shift range and the search.
    TgxTreeListHitInfo FDownHit;
    TPoint FDownPoint;
    bool FCtrlShiftClicked = false;
    bool FDownOnSelected = false;
    bool FShiftExtending = false;
    Integer FSearchDepth = 0;
    // Timer 1: scroll-select (FScrollSelectDir) or drag-scroll (FDragScrollX / FDragScrollY).
    bool FScrollTimer = false;
    Integer FScrollSelectDir = 0;
    Integer FDragScrollX = 0;
    Integer FDragScrollY = 0;
    // Sizing: the line, where it started, what is sized.
    Integer FSizeLinePos = 0;
    Integer FSizeLineStart = 0;
    bool FSizeLineShown = false;
    Integer FSizingBand = -1;
    Integer FSizingColumn = -1;
    TgxTreeListNode* FSizingNode = nullptr;
    TCursor FSavedCursor = 0;
    // Band and header dragging.
    Integer FDraggedBand = -1;
    Integer FDraggedColumn = -1;
    TPoint FDropArrowPos{-100, -100};
    bool FArrowsShown = false;
    // Where the arrows show on the screen, made at the first drag.
    TScreenOverlay* FArrowsOverlay = nullptr;
    TImageList* FDragImageList = nullptr;
    TPoint FDragHotSpot;
    // Node dragging: another drag's object over the list, the node armed to expand.
    TDragObject* FDragOverObject = nullptr;
    TgxTreeListNode* FDragExpandNode = nullptr;
    bool FDragExpandTimer = false;
    Integer FPaintLock = 0;
    // The paint lock took the transient drawings off.
    bool FLockedLine = false;
    // The screen point of the last move of a band or header drag.
    TPoint FDragPoint;
    // Middle-button panning runs, with this cursor.
    bool FPanning = false;
    TCursor FPanningCursor = 0;
    // Binds the editor to the focused cell and shows it there (only while IsEditing).
    void ShowEditorWindow(bool Focus);
    // Writes the text back, forgets the cell and hides the editor.
    void CloseEditor(bool Focus);
    void PostEditorText();
    // Hides the editor without moving the focus.
    void HideEditorWindow();
    bool FKeyboardExtending = false;
    bool FNewItemRowFocused = false;
    bool FMultiSortClick = false;
    bool FClearSortClick = false;

    // Display-order cache: the displayed nodes in order. Each node remembers its position, which
    // counts only while the list holds the node there, so looking a node up costs one comparison
    // and no addresses are ordered.
    std::vector<TgxTreeListNode*> FDisplayOrder;
    bool FCacheBuilt = false;
    // Nodes alive: the display-order list never needs more room than this.
    Integer FNodeCount = 0;
    uint64_t FRowHeightStamp = 1;
    bool FCacheLocked = false;
    bool FClearing = false;
    bool FDestroyPrepared = false;

    Integer FSelectionUpdateDepth = 0;
    Integer FSavedSelectedCount = 0;

    Integer FFocusedColumn = -1;
    Integer FFocusedColumnAbsoluteIndex = -1;
    Integer FPressedBand = -1;
    Integer FPressedColumn = -1;
    TPoint FCustomizingPos{-1000, -1000};
    TForm* FCustomizingForm = nullptr;
    TgxCustomizingListBox* FCustomizingBands = nullptr;
    TgxCustomizingListBox* FCustomizingHeaders = nullptr;
    Integer FCustomizingBandIndex = -1;
    Integer FCustomizingHeaderIndex = -1;

    bool FSearching = false;
    Integer FSearchColumn = -1;
    std::string FSearchText;

    HDC FMeasureDC = nullptr;
    TCanvas* FMeasureCanvas = nullptr;
    // The draw record of hit tests, kept so that its lists keep their memory.
    TgxTreeListDrawInfo FHitDrawInfo;
    // The off-screen bitmap of one paint: grown, never shrunk, while the paint lasts.
    TBitmap* FPaintBitmap = nullptr;

    TgxTreeListOptions FOptions = DefaultTreeListOptions;
    TgxTreeListOptionsEx FOptionsEx = DefaultTreeListOptionsEx;

    TColor FArrowsColor = clLime;
    bool FAutoExpandOnSearch = true;
    TColor FAutoSearchColor = clNone;
    TColor FAutoSearchTextColor = clNone;
    TColor FBandColor = clBtnFace;
    TColor FHeaderColor = clBtnFace;
    TColor FGroupNodeColor = clBtnFace;
    TColor FHideSelectionColor = clBtnFace;
    TColor FGroupNodeTextColor = clNone;
    TColor FRowFooterColor = cl3DLight;
    TColor FRowFooterTextColor = clWindowText;
    TColor FFixedBandLineColor = clWindowFrame;
    Integer FFixedBandLineWidth = 2;
    TColor FHighlightColor = clHighlight;
    TColor FHighlightTextColor = clHighlightText;
    TColor FHideSelectionTextColor = clBtnText;
    TColor FTreeLineColor = clGrayText;
    TgxTreeLineStyle FTreeLineStyle = tlDot;
    TColor FGridLineColor = clNone;
    TBorderStyle FBorderStyle = bsSingle;
    TScrollStyle FScrollBars = ssBoth;
    TgxLookAndFeel FLookAndFeel = lfStandard;
    TgxTreeListPaintStyle FPaintStyle = psStandard;
    bool FShowBands = false;
    bool FShowFooter = false;
    bool FShowGrid = false;
    bool FShowIndicator = false;
    bool FShowRowFooter = false;
    bool FShowHeader = true;
    bool FShowPreviewGrid = true;
    bool FShowRoot = true;
    bool FShowButtons = true;
    bool FShowLines = true;
    bool FShowNewItemRow = false;
    bool FHideFocusRect = true;
    bool FHideSelection = true;
    bool FDblClkExpanding = true;
    Integer FIndentDesc = 20;
    Integer FMaxRowLineCount = -1;
    Integer FPreviewLines = 2;
    Integer FRowSeparatorLineWidth = 1;
    Integer FDefaultRowHeight = 18;
    bool FDefaultRowHeightAssigned = false;
    Integer FCustomizingRowCount = 11;
    Cardinal FWaitForExpandNodeTime = 500;
    bool FSimpleCustomizeBox = false;
    bool FShowHiddenInCustomizeBox = false;
};
