#pragma once
// TLMFileList2: the one way the rest of the program reaches the current file list. It switches
// between the details grid and the thumbnail layouts, moves the focus, answers what is selected,
// turns grid nodes into file records and enumerates the selection, all items or a slideshow order
// through one shared list of keys.
//
// The items are the leaf nodes of the attached grid in tree order (group rows left out, collapsed
// groups entered); a node's key is its "KeyID". The shared list holds keys only, never nodes:
// every read finds its node again through the grid's key map, so a row deleted between building
// the list and reading it gives "Node not found!" or nil rather than a freed node.
//
// Navigation never raises and answers True at the ends (nothing further). Reads of nodes and
// records give cleared values on failure; only GetListKeyID and GotoKeyIDOrFail raise.
//
// Sources: file_list.cpp (modes, navigation, records, counts, bulk updates), file_list_order.cpp
// (the shared list and the slideshow orders).

#include <functional>
#include <string>
#include <vector>

#include "catalogue/lm_types.h"
#include "catalogue/temp_db.h"
#include "framework/component.h"
#include "framework/date_time.h"
#include "framework/messages.h"

class TgxDBGrid;
class TgxDBGridColumn;
class TgxThumbGrid2;
class TgxTreeListNode;
class TWinControl;

using TNotifyItemChanged = std::function<void(TObject* Sender, Integer ItemNo, const TFileRecord& ChangedRecord)>;
using TNotifyBeforeFileDisplayModeChange = std::function<void(TObject* Sender, Integer NewMode)>;
using TNotifyAfterFileDisplayModeChange = std::function<void(TObject* Sender, Integer NewMode)>;

class TLMFileList2 : public TComponent, public TFileGridPosition {
    LUMORA_CLASS(TLMFileList2, TComponent)
public:
    explicit TLMFileList2(TComponent* AOwner);
    ~TLMFileList2() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // ---- properties ----------------------------------------------------------------------------
    TgxDBGrid* GetAttachedGXDBGrid() const { return FGrid; }
    void SetAttachedGXDBGrid(TgxDBGrid* Value);
    TgxThumbGrid2* GetAttachedGXThumbGrid() const { return FThumbs; }
    void SetAttachedGXThumbGrid(TgxThumbGrid2* Value);
    // 0 details grid, 1 large thumbnails, 2 icons with information, 3 file names; -1 not yet set.
    Integer GetFileDisplayMode() const { return FFileDisplayMode; }
    void SetFileDisplayMode(Integer Value);
    // 0 forward, 1 backward, 2 random. A new value takes effect at the next slideshow step.
    Word GetSlideshowMethod() const { return FSlideshowMethod; }
    void SetSlideshowMethod(Word Value);
    bool LoopSlideshow = true;
    // Copied to the thumbnail grid's BlockCellDrawing.
    bool GetBlockOperations() const { return FBlockOperations; }
    void SetBlockOperations(bool Value);
    // The grid columns node values are read through.
    TgxDBGridColumn* NodePathID = nullptr;
    TgxDBGridColumn* NodeFileID = nullptr;
    TgxDBGridColumn* NodeLMType = nullptr;
    TgxDBGridColumn* NodeDescription = nullptr;
    TgxDBGridColumn* NodeFileType = nullptr;
    TgxDBGridColumn* NodeFilename = nullptr;
    TgxDBGridColumn* NodePath = nullptr;
    TgxDBGridColumn* NodeSize = nullptr;
    TgxDBGridColumn* NodeDate = nullptr;
    TgxDBGridColumn* NodeOriginalExtension = nullptr;
    TgxDBGridColumn* NodeStorageMethod = nullptr;

    TNotifyItemChanged OnItemChanged;
    TNotifyBeforeFileDisplayModeChange BeforeFileDisplayModeChange;
    TNotifyAfterFileDisplayModeChange AfterDisplayModeChange;
    // Reseeds the random source before each random order; tests replace it to fix the sequence.
    std::function<void()> Reseed;

    // ---- the view ------------------------------------------------------------------------------
    // Mode + 1, wrapping from 3 (and from -1) to 0.
    void NextFileDisplayMode();
    // The thumbnail grid in a thumbnail mode, else the details grid (nil when not attached).
    TWinControl* GetActiveView();
    TWinControl* GetDropTargetView() { return GetActiveView(); }
    void RepaintView();
    void SelectAll();

    // ---- navigation (True: nothing further) ----------------------------------------------------
    bool GotoNext();
    bool GotoPrevious();
    bool GotoPageDown();
    bool GotoPageUp();
    bool GotoLast();
    bool GotoFirst() { return GotoFirstEx(false); }
    bool GotoFirstForced() { return GotoFirstEx(true); }
    bool GotoFirstEx(bool Forced);
    bool GotoKeyID(Integer KeyID);
    void GotoKeyIDOrFail(Integer KeyID);
    // The main window's keys; PassToThumbs hands them to the thumbnail grid in a thumbnail mode.
    void HandleKeyUp(Word Key, TShiftState Shift, bool PassToThumbs);
    void HandleKeyDown(Word Key, TShiftState Shift, bool PassToThumbs);

    // ---- items and records ---------------------------------------------------------------------
    TgxTreeListNode* GetFocusedNode();
    Integer GetFocusedKeyID() { return GetNodeKeyID(GetFocusedNode()); }
    // -1 for nil or a key that is not a number.
    Integer GetNodeKeyID(TgxTreeListNode* Node);
    // With grouping the number of items before the focused node, else its row index; -1 when
    // there is none.
    Integer GetFocusedIndex();
    void NodeToFileRecord(TgxTreeListNode* Node, TFileRecord& Rec);
    void GetFileRecordByKeyID(Integer KeyID, TFileRecord& Rec);
    std::string GetNodeFullName(TgxTreeListNode* Node);
    TDateTime GetNodeDate(TgxTreeListNode* Node);
    // The key of the item under a point of the active view, -1 for none.
    Integer GetKeyIDAt(Integer X, Integer Y);

    // ---- counts and tests ----------------------------------------------------------------------
    Integer GetRecordCount();
    bool HasItems();
    Integer GetSelectedCount();
    bool IsAnyFileSelected();
    bool IsMultipleSelected();
    // A bulk update is open or the thumbnail grid is laying its cells out again.
    bool IsBusy() const;

    // ---- the shared list -----------------------------------------------------------------------
    // The selected items (or all items) in tree order; the number of entries.
    Integer PrepareSelectedList();
    Integer PrepareAllList();
    // Entry Index of the list, rebuilt as all items first when it went stale.
    void GetListFileRecord(Integer Index, TFileRecord& Rec);
    TgxTreeListNode* GetListNode(Integer Index);
    // Raises "Node not found!" when no node has the entry's key.
    Integer GetListKeyID(Integer Index);
    Integer GetListCount() const { return Integer(FList.size()); }

    // ---- the slideshow -------------------------------------------------------------------------
    void BuildSlideshowOrder(bool FromCurrent, Word Method);
    void RestartSlideshowOrder() { BuildSlideshowOrder(true, FSlideshowMethod); }
    void SyncSlideshowPosition();
    // True when the entry shown is the last and the slideshow does not loop.
    bool SlideshowNext();
    // True when the entry shown is the first and the slideshow does not loop.
    bool SlideshowPrevious();
    // The next entry of a random order; a new order is drawn when the list is none or stale and
    // after its last entry, and each round shows every item once.
    void SlideshowRandomNext();
    Integer GetSlideshowPosition() const { return FPosition; }

    // ---- bulk updates and refresh --------------------------------------------------------------
    // Brackets nest; the outermost end enables the controls again.
    void BeginBulkUpdate();
    void EndBulkUpdate(bool Unblock);
    void Refresh() { RefreshEx(true); }
    void RefreshEx(bool Regroup);

    // ---- the file tables -----------------------------------------------------------------------
    // Makes this controller the data module's file grid and fills its bulk-update and
    // first-item hooks; nil detaches.
    void ConnectTempDB(TdmTempDB* Value);
    bool NeighbourOfFocused(std::string& KeyText) override;
    Integer GetTopIndex() override;
    void SetTopIndex(Integer Value) override;
    bool FocusNodeByKey(const std::string& KeyText) override;

private:
    bool Grouped();
    bool InThumbMode() const { return FFileDisplayMode >= 1 && FFileDisplayMode <= 3; }
    // Clears the selection, focuses and selects Node; the thumbnail grid follows.
    void FocusNode(TgxTreeListNode* Node);
    void ThumbsFollowFocus();
    TgxTreeListNode* FindNextLeaf(TgxTreeListNode* Node);
    TgxTreeListNode* FindPriorLeaf(TgxTreeListNode* Node);
    bool IsLastDisplayed(TgxTreeListNode* Node);
    bool IsFirst(TgxTreeListNode* Node);
    // No focused node: the first node is focused (False). AtEnd: True. Otherwise Target's node
    // is focused (False).
    bool MoveFocus(const std::function<bool(TgxTreeListNode* Focused)>& AtEnd,
                   const std::function<TgxTreeListNode*(TgxTreeListNode* Focused)>& Target);
    void ClearGridGrouping();
    // Every item in tree order, by child positions, until Visit answers false.
    void ForEachItem(const std::function<bool(TgxTreeListNode* Node)>& Visit);
    std::vector<Integer> AllKeys();
    std::vector<Integer> SelectedKeys();
    // Makes Keys the list (empty when they fail); the number of entries.
    Integer SetList(const std::function<std::vector<Integer>()>& Keys);
    void EnsureList();
    TgxTreeListNode* NodeOfKey(Integer KeyID);

    TgxDBGrid* FGrid = nullptr;
    TgxThumbGrid2* FThumbs = nullptr;
    TdmTempDB* FTempDB = nullptr;
    Integer FFileDisplayMode = -1;
    Word FSlideshowMethod = 0;
    bool FBlockOperations = true;

    std::vector<Integer> FList;
    bool FStale = true;
    bool FNotRandom = true;
    bool FMethodChanged = false;
    Integer FPosition = -1;
    Integer FBulkDepth = 0;
};
