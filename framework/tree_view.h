#pragma once
// The tree view: nodes with texts, data, images and children, drawn by the framework with lines,
// buttons, images and labels, with selection, expansion, in-place label editing, sorting and
// custom drawing.
//
// Event rules: selecting a node, by the user or in code, asks OnChanging (which can refuse) and
// then fires OnChange; expanding or collapsing, by the user or in code, asks OnExpanding
// (OnCollapsing) through the CanExpand (CanCollapse) virtual and fires OnExpanded (OnCollapsed);
// a node that does not show children (HasChildren false) neither expands nor asks. Deleting a
// node fires OnDeletion for it and then for its children. Label editing asks OnEditing (CanEdit),
// and its end calls the Edit virtual, which fires OnEdited and takes the text unless the edit was
// cancelled.

#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/edit_controls.h"
#include "framework/image_list.h"
#include "framework/std_controls.h"
#include "framework/type_ahead.h"

class TTreeNodes;
class TCustomTreeView;
class TTreeNode;

using HTREEITEM = TTreeNode*;

enum TNodeStateItem { nsCut, nsDropHilited, nsFocused, nsSelected, nsExpanded };
using TNodeState = TSet<TNodeStateItem>;
enum TNodeAttachMode { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };
enum TSortType { stNone, stData, stText, stBoth };
enum THitTest { htAbove, htBelow, htNowhere, htOnItem, htOnButton, htOnIcon, htOnIndent, htOnLabel, htOnRight, htOnStateIcon, htToLeft, htToRight };
using THitTests = TSet<THitTest>;
enum TCustomDrawStateItem { cdsSelected, cdsGrayed, cdsDisabled, cdsChecked, cdsFocused, cdsDefault, cdsHot, cdsMarked, cdsIndeterminate };
using TCustomDrawState = TSet<TCustomDrawStateItem>;

// Compares two nodes for sorting: negative, 0 or positive.
using TTVCompare = std::function<Integer(TTreeNode* Node1, TTreeNode* Node2, LPARAM Data)>;

// What the end of label editing hands to Edit: the node and the new text (null when cancelled).
constexpr UINT TVIF_TEXT = 0x0001;
constexpr UINT TVIF_HANDLE = 0x0010;
struct TTVItem {
    UINT mask = TVIF_HANDLE | TVIF_TEXT;
    HTREEITEM hItem = nullptr;
    const char* pszText = nullptr;
};

class TTreeNode : public TPersistent {
    LUMORA_CLASS(TTreeNode, TPersistent)
public:
    explicit TTreeNode(TTreeNodes* AOwner);
    ~TTreeNode() override;

    TTreeNodes* GetOwner() const { return FOwner; }
    TCustomTreeView* GetTreeView() const;
    HTREEITEM GetItemId() { return this; }
    TTreeNode* GetParent() const { return FParent; }

    const std::string& GetText() const { return FText; }
    void SetText(const std::string& Value);
    void* GetData() const { return FData; }
    void SetData(void* Value);
    Integer GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value);
    Integer GetSelectedIndex() const { return FSelectedIndex; }
    void SetSelectedIndex(Integer Value);
    Integer GetOverlayIndex() const { return FOverlayIndex; }
    void SetOverlayIndex(Integer Value);
    Integer GetStateIndex() const { return FStateIndex; }
    void SetStateIndex(Integer Value);
    bool GetCut() const { return FCut; }
    void SetCut(bool Value);
    bool GetDropTarget() const;
    void SetDropTarget(bool Value);
    bool GetFocused() const;
    void SetFocused(bool Value);
    bool GetSelected() const;
    // In code too: OnChanging, then OnChange.
    void SetSelected(bool Value);
    // Whether the node shows an expand button; adding a child sets it, deleting the last clears it.
    bool GetHasChildren() const { return FHasChildren; }
    void SetHasChildren(bool Value);
    bool GetExpanded() const { return FExpanded; }
    void SetExpanded(bool Value);
    void Expand(bool Recurse);
    void Collapse(bool Recurse);

    Integer GetCount() const { return Integer(FChildren.size()); }
    TTreeNode* GetItem(Integer Index) const;
    Integer GetIndex() const;
    Integer IndexOf(TTreeNode* Value) const;
    // Position in the whole tree in pre-order.
    Integer GetAbsoluteIndex() const;
    Integer GetLevel() const;
    bool IsFirstNode() const { return !FParent && !getPrevSibling(); }
    TTreeNode* GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren.front(); }
    TTreeNode* GetLastChild() const { return FChildren.empty() ? nullptr : FChildren.back(); }
    TTreeNode* GetNext() const;
    TTreeNode* GetPrev() const;
    TTreeNode* getNextSibling() const;
    TTreeNode* getPrevSibling() const;
    TTreeNode* GetNextChild(TTreeNode* Value) const;
    TTreeNode* GetPrevChild(TTreeNode* Value) const;
    TTreeNode* GetNextVisible() const;
    TTreeNode* GetPrevVisible() const;
    bool HasAsParent(TTreeNode* Value) const;
    // All the node's parents are expanded.
    bool IsVisible() const;
    // Expands the parents and scrolls the node into view.
    void MakeVisible();
    // The row (TextOnly: the label) in client coordinates.
    TRect DisplayRect(bool TextOnly);

    void Delete();
    void DeleteChildren();
    // Starts editing the label (false when it cannot be edited); EndEdit ends it.
    bool EditText();
    void EndEdit(bool Cancel);
    bool AlphaSort(bool Recurse = false);
    bool CustomSort(const TTVCompare& SortProc, LPARAM Data, bool Recurse = false);
    // Moves the node (with its children) to Destination.
    virtual void MoveTo(TTreeNode* Destination, TNodeAttachMode Mode);
    void Assign(TPersistent* Source) override;

protected:
    friend class TTreeNodes;
    friend class TCustomTreeView;

private:
    void Attach(TTreeNode* Parent, Integer Index);
    void Detach();
    void SortChildren(const std::function<bool(TTreeNode*, TTreeNode*)>& Less, bool Recurse);
    TTreeNodes* FOwner;
    TTreeNode* FParent = nullptr;
    std::vector<TTreeNode*> FChildren;
    std::string FText;
    void* FData = nullptr;
    Integer FImageIndex = 0;
    Integer FSelectedIndex = 0;
    Integer FOverlayIndex = -1;
    Integer FStateIndex = -1;
    bool FHasChildren = false;
    bool FExpanded = false;
    bool FCut = false;
    bool FDeleting = false;
    Integer FTextWidth = -1;  // the label's width in the tree's font; -1: not measured yet
};

class TTreeNodes : public TPersistent {
    LUMORA_CLASS(TTreeNodes, TPersistent)
public:
    explicit TTreeNodes(TCustomTreeView* AOwner);
    ~TTreeNodes() override;
    TCustomTreeView* GetOwner() const { return FOwner; }
    HWND GetHandle() const;

    // Sibling's level, at the end (nullptr: the top level).
    TTreeNode* Add(TTreeNode* Sibling, const std::string& S);
    TTreeNode* AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr);
    TTreeNode* AddFirst(TTreeNode* Sibling, const std::string& S);
    TTreeNode* AddObjectFirst(TTreeNode* Sibling, const std::string& S, void* Ptr);
    TTreeNode* AddChild(TTreeNode* Parent, const std::string& S);
    TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr);
    TTreeNode* AddChildFirst(TTreeNode* Parent, const std::string& S);
    TTreeNode* AddChildObjectFirst(TTreeNode* Parent, const std::string& S, void* Ptr);
    // Before Sibling (nullptr: at the end of the top level).
    TTreeNode* Insert(TTreeNode* Sibling, const std::string& S);
    TTreeNode* InsertObject(TTreeNode* Sibling, const std::string& S, void* Ptr);
    TTreeNode* AddNode(TTreeNode* Node, TTreeNode* Relative, const std::string& S, void* Ptr, TNodeAttachMode Method);
    void Delete(TTreeNode* Node);
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    Integer GetUpdateCount() const { return FUpdateCount; }
    // All nodes of the tree.
    Integer GetCount() const;
    // The node at an absolute (pre-order) index.
    TTreeNode* GetItem(Integer Index) const;
    TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front(); }
    TTreeNode* GetNode(HTREEITEM ItemId) const { return ItemId; }
    const std::vector<TTreeNode*>& Roots() const { return FRoots; }
    void Assign(TPersistent* Source) override;

private:
    friend class TTreeNode;
    friend class TCustomTreeView;
    std::vector<TTreeNode*>& SiblingsOf(TTreeNode* Parent) { return Parent ? Parent->FChildren : FRoots; }
    TCustomTreeView* FOwner;
    std::vector<TTreeNode*> FRoots;
    Integer FUpdateCount = 0;
};

using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, std::string& S)>;
using TTVCompareEvent = std::function<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2, Integer Data, Integer& Compare)>;
using TTVCustomDrawEvent = std::function<void(TCustomTreeView* Sender, const TRect& ARect, bool& DefaultDraw)>;
using TTVCustomDrawItemEvent =
    std::function<void(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState State, bool& DefaultDraw)>;

class TCustomTreeView : public TCustomControl {
    LUMORA_CLASS(TCustomTreeView, TCustomControl)
public:
    explicit TCustomTreeView(TComponent* AOwner);
    ~TCustomTreeView() override;
    void BeforeDestruction() override;

    TTreeNodes* GetItems() const { return FTreeNodes; }
    void SetItems(TTreeNodes* Value) { FTreeNodes->Assign(Value); }
    TTreeNode* GetSelected() const { return FSelected; }
    // In code too: OnChanging (a refusal keeps the selection), then OnChange.
    void SetSelected(TTreeNode* Value);
    TTreeNode* GetDropTarget() const { return FDropTarget; }
    void SetDropTarget(TTreeNode* Value);
    TTreeNode* GetTopItem();
    void SetTopItem(TTreeNode* Value);

    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* GetStateImages() const { return FStateImages; }
    void SetStateImages(TCustomImageList* Value);
    Integer GetIndent() const { return FIndent; }
    void SetIndent(Integer Value);
    bool GetShowButtons() const { return FShowButtons; }
    void SetShowButtons(bool Value);
    bool GetShowLines() const { return FShowLines; }
    void SetShowLines(bool Value);
    bool GetShowRoot() const { return FShowRoot; }
    void SetShowRoot(bool Value);
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool GetHideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    bool GetRightClickSelect() const { return FRightClickSelect; }
    void SetRightClickSelect(bool Value) { FRightClickSelect = Value; }
    // Selecting a node expands it and collapses the others.
    bool GetAutoExpand() const { return FAutoExpand; }
    void SetAutoExpand(bool Value) { FAutoExpand = Value; }
    bool GetHotTrack() const { return FHotTrack; }
    void SetHotTrack(bool Value);
    bool GetRowSelect() const { return FRowSelect; }
    void SetRowSelect(bool Value);
    bool GetToolTips() const { return FToolTips; }
    void SetToolTips(bool Value) { FToolTips = Value; }
    TSortType GetSortType() const { return FSortType; }
    void SetSortType(TSortType Value);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // The height of every row (from the font and the images unless set).
    Integer GetItemHeight();
    void SetItemHeight(Integer Value);

    // The node in the row at a client point (nullptr: none).
    TTreeNode* GetNodeAt(Integer X, Integer Y);
    THitTests GetHitTestInfoAt(Integer X, Integer Y);
    void FullExpand();
    void FullCollapse();
    bool AlphaSort(bool Recurse = true);
    bool CustomSort(const TTVCompare& SortProc, LPARAM Data, bool Recurse = true);
    bool IsEditing() const { return FEditNode != nullptr; }
    // The edit box of the label being edited (nullptr: none).
    TCustomEdit* GetEditControl() const;
    TCanvas* GetCanvas() { return TCustomControl::GetCanvas(); }

    TTVChangingEvent OnChanging;
    TTVChangedEvent OnChange;
    TTVExpandingEvent OnExpanding;
    TTVExpandedEvent OnExpanded;
    TTVCollapsingEvent OnCollapsing;
    TTVExpandedEvent OnCollapsed;
    TTVExpandedEvent OnDeletion;
    TTVExpandedEvent OnAddition;
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    TTVExpandedEvent OnGetImageIndex;
    TTVExpandedEvent OnGetSelectedIndex;
    TTVCompareEvent OnCompare;
    TTVCustomDrawEvent OnCustomDraw;
    TTVCustomDrawItemEvent OnCustomDrawItem;

protected:
    friend class TTreeNode;
    friend class TTreeNodes;
    friend class TTreeEdit;
    // Makes the nodes of the tree; descendants return their own node class.
    virtual TTreeNode* CreateNode();
    virtual bool CanChange(TTreeNode* Node);
    virtual void Change(TTreeNode* Node);
    virtual bool CanExpand(TTreeNode* Node);
    virtual void Expand(TTreeNode* Node);
    virtual bool CanCollapse(TTreeNode* Node);
    virtual void Collapse(TTreeNode* Node);
    virtual bool CanEdit(TTreeNode* Node);
    // The end of label editing (Item.pszText null when it was cancelled).
    virtual void Edit(const TTVItem& Item);
    virtual void Delete(TTreeNode* Node);
    virtual void Added(TTreeNode* Node);
    virtual void GetImageIndex(TTreeNode* Node);
    virtual void GetSelectedIndex(TTreeNode* Node);
    virtual bool IsCustomDrawn() { return OnCustomDraw || OnCustomDrawItem; }
    virtual bool CustomDraw(const TRect& ARect);
    virtual bool CustomDrawItem(TTreeNode* Node, TCustomDrawState State);

    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMSize(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;
    void WMHScroll(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMTimer(TMessage& Message) override;
    void WMRButtonUp(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;

    // The visible rows, top to bottom (expanded branches).
    const std::vector<TTreeNode*>& VisibleRows();
    Integer RowOf(TTreeNode* Node);
    Integer VisibleRowCount();
    // Where the parts of a node's row lie (client coordinates).
    Integer NodeLeft(TTreeNode* Node);
    TRect LabelRect(TTreeNode* Node);
    void InvalidateNode(TTreeNode* Node);
    void LayoutChanged();
    void UpdateScrollBars();
    void ScrollToRow(Integer Row);
    // Selection moved by the user (keys, clicks); true when it moved.
    bool UserSelect(TTreeNode* Node);
    void StartEdit(TTreeNode* Node);
    void FinishEdit(bool Cancel);
    // Expands (or collapses) with the events; false when refused or impossible.
    bool ExpandNode(TTreeNode* Node, bool Expand);

private:
    void NodeDeleting(TTreeNode* Node);
    void NodeRemoved(TTreeNode* Node, bool SelectionInside, TTreeNode* Candidate);
    TTreeNode* InsertNode(TTreeNode* Parent, Integer Index, const std::string& S, void* Ptr);
    Integer SortedIndex(TTreeNode* Parent, const std::string& S);
    void DrawRow(TTreeNode* Node, Integer Row, TCanvas* C);

    TTreeNodes* FTreeNodes;
    TTreeNode* FSelected = nullptr;
    TTreeNode* FDropTarget = nullptr;
    TTreeNode* FHotNode = nullptr;
    TTreeNode* FRClickNode = nullptr;
    TTreeNode* FEditNode = nullptr;
    TTreeNode* FPendingEditNode = nullptr;
    TTreeNode* FPressNode = nullptr;
    bool FPressWasSelected = false;
    class TTreeEdit* FEdit = nullptr;
    TCustomImageList* FImages = nullptr;
    TCustomImageList* FStateImages = nullptr;
    TChangeLink* FImageLink = nullptr;
    Integer FIndent = 19;
    Integer FItemHeight = 0;
    bool FShowButtons = true;
    bool FShowLines = true;
    bool FShowRoot = true;
    bool FReadOnly = false;
    bool FHideSelection = true;
    bool FRightClickSelect = false;
    bool FAutoExpand = false;
    bool FHotTrack = false;
    bool FRowSelect = false;
    bool FToolTips = true;
    TSortType FSortType = stNone;
    TBorderStyle FBorderStyle = bsSingle;
    Integer FTopRow = 0;
    Integer FLeftPos = 0;
    std::vector<TTreeNode*> FRows;
    bool FRowsValid = false;
    lumora_detail::TTypeAhead FTypeAhead;
    bool FClearing = false;
};

class TTreeView : public TCustomTreeView {
    LUMORA_CLASS(TTreeView, TCustomTreeView)
public:
    explicit TTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {}
};
