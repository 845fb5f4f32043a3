#pragma once
// TgxThumbGrid2: the folder's files as a grid of thumbnails, icons with information or names.
// It holds no rows: item i is top-level node i of the attached data-aware grid in its order, a
// selected cell is a selected node and the current cell is the focused node, so the details
// view and this one share focus and selection.
//
// Painting never decodes: a cell whose thumbnail is in the memory cache is drawn at once; any
// other draws its frame and texts with an empty picture box and is queued for the workers
// (thumb_workers.h), which take the permanent thumbnail, the disk thumbnail or the decoded file.
// Their results come back on the user-interface thread into the memory cache, the disk index is
// updated there and the cell repainted. A layout, a folder change or BlockCellDrawing empties the
// queue, cells scrolled away leave it, and a result whose item changed (name or date) is dropped.
//
// Layout, properties and caches: thumb_grid.cpp; drawing: thumb_grid_paint.cpp; mouse and keys:
// thumb_grid_input.cpp.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "catalogue/thumb_cache.h"
#include "catalogue/thumb_workers.h"
#include "framework/grids.h"

class TgxDBGrid;
class TgxDBGridColumn;
class TgxTreeListNode;
class TImgFunctions;
class TCustomImageList;

enum TThumbDisplayType { tdtLargeIcon, tdtIconInfo, tdtFilename };

using TNotifyGetDimensions =
    std::function<void(TObject* Sender, const std::string& Filename, TDateTime FileDateTime, std::string& Dimensions)>;
using TNotifyNonCellMouseDown =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;

class TgxThumbGrid2 : public TDrawGrid {
    LUMORA_CLASS(TgxThumbGrid2, TDrawGrid)
public:
    explicit TgxThumbGrid2(TComponent* AOwner);
    ~TgxThumbGrid2() override;
    void BeforeDestruction() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // ---- what is shown -------------------------------------------------------------------------
    TgxDBGrid* GetAttachedgxDBGrid() const { return FGrid; }
    void SetAttachedgxDBGrid(TgxDBGrid* Value);
    TImgFunctions* GetAttachedImgFunctions() const { return FImgFunctions; }
    void SetAttachedImgFunctions(TImgFunctions* Value);
    TgxDBGridColumn* NodeFilename = nullptr;
    TgxDBGridColumn* NodePath = nullptr;
    TgxDBGridColumn* NodeSize = nullptr;
    TgxDBGridColumn* NodeDate = nullptr;

    TThumbDisplayType GetThumbDisplayType() const { return FDisplayType; }
    void SetThumbDisplayType(TThumbDisplayType Value);
    Integer GetThumbnailWidth() const { return FThumbWidth; }
    void SetThumbnailWidth(Integer Value);
    Integer GetThumbnailHeight() const { return FThumbHeight; }
    void SetThumbnailHeight(Integer Value);
    Byte GetZoom() const { return FZoom; }
    void SetZoom(Byte Value);
    Integer GetCellPadding() const { return FCellPadding; }
    void SetCellPadding(Integer Value);
    Integer GetFilenameColumnWidth() const { return FFilenameColumnWidth; }
    void SetFilenameColumnWidth(Integer Value);
    Integer GetIconInfoColumnWidth() const { return FIconInfoColumnWidth; }
    void SetIconInfoColumnWidth(Integer Value);

    bool HideFileExtensions = false;
    bool HighlightCurrentCell = true;
    bool MultipleSelect = true;
    bool AutoInitialSelect = true;
    bool DisableComponentKeyEventHandling = true;
    // Kept for the form; painting never processes messages (the workers keep the window free).
    bool CanCancelThumbLoading = false;
    bool ThumbQualityHigh = true;
    bool DoubleSizeIcons = true;
    bool GetBlockCellDrawing() const { return FBlockCellDrawing; }
    void SetBlockCellDrawing(bool Value);
    // "*.jpg;*.bmp;*.jpeg;" and so on; empty, "*.*" or "*.*;" means every extension.
    std::string SupportedFormats = "*.jpg;*.bmp;*.jpeg;";
    // A file whose shell icon stands for files without one (system icon 4 when it gives none).
    std::string UnknownIcon;
    TIcon* GetLoadErrorIcon() const { return FLoadErrorIcon; }

    TNotifyGetDimensions OnGetDimensions;
    TNotifyNonCellMouseDown OnNonCellMouseDown;

    // ---- layout and selection ------------------------------------------------------------------
    void UpdateLayout(bool SyncFocus, bool Repaint);
    void SyncWithFocusedNode();
    void SelectAll();
    void ClearSelection();
    // "KeyID" of the item under the point, -1 outside any item's inner area.
    Integer GetKeyIDAtPoint(Integer X, Integer Y);
    void EndBlockCellDrawing(bool OnlyIfMissed);
    Integer GetItemCount() const { return FItemCount; }
    // True while UpdateLayout runs.
    bool IsLayoutBusy() const { return FLayoutBusy; }
    // Cell index of an item and back; whether an index is an item.
    Integer CellToIndex(Integer ACol, Integer ARow) const { return ACol + ARow * GetColCount(); }
    bool IsItem(Integer Index) const { return Index >= 0 && Index < FItemCount; }
    // Handles a key as the controller forwards it (also used when own key handling is on).
    void ThumbKeyDown(Word Key, TShiftState Shift);
    void ThumbKeyUp(Word Key, TShiftState Shift);

    // ---- caches --------------------------------------------------------------------------------
    Integer GetMemoryCacheMaxCacheCount() const { return FMemory.GetMaxCount(); }
    void SetMemoryCacheMaxCacheCount(Integer Value) { FMemory.SetMaxCount(Value); }
    const std::string& GetDiskCacheDirectory() const { return FDisk.GetDirectory(); }
    void SetDiskCacheDirectory(const std::string& Value);
    Integer GetDiskCacheMaxCacheCount() const { return FDisk.GetMaxCount(); }
    void SetDiskCacheMaxCacheCount(Integer Value) { FDisk.SetMaxCount(Value); }
    bool GetJPEGThumbnails() const { return FDisk.GetJPEG(); }
    void SetJPEGThumbnails(bool Value) { FDisk.SetJPEG(Value); }
    bool GetNoThumbnailExt() const { return FDisk.GetNoExtension(); }
    void SetNoThumbnailExt(bool Value) { FDisk.SetNoExtension(Value); }
    const std::string& GetPermanentCacheDirectory() const { return FPermanent.GetDirectory(); }
    void SetPermanentCacheDirectory(const std::string& Value) { FPermanent.SetDirectory(Value); }

    Integer FindInMemoryCache(const std::string& FullName) const { return FMemory.Find(FullName); }
    bool GetFromMemoryCache(TBitmap* Bitmap, Integer Slot) const { return FMemory.Get(Bitmap, Slot); }
    void AddToMemoryCache(TBitmap* Graphic, const std::string& FullName) { FMemory.Add(Graphic, FullName); }
    void ClearMemoryCache() { FMemory.Clear(); }
    Integer FindInDiskCache(const std::string& FullName) const { return FDisk.Find(FullName); }
    bool GetFromDiskCache(TBitmap* Bitmap, Integer Position);
    void StoreDiskThumbnail(TBitmap* Graphic, const std::string& FullName);
    void DeleteDiskEntry(Integer Position) { FDisk.DeleteEntry(Position); }
    void ClearDiskCache() { FDisk.Clear(); }
    void SaveDiskIndex() { FDisk.SaveIndex(); }
    bool LoadDiskIndex() { return FDisk.LoadIndex(); }
    const TThumbDiskCache& DiskCache() const { return FDisk; }
    std::string GetPermanentThumbnailName(const std::string& FullName, bool WithFolder) const {
        return FPermanent.NameFor(FullName, WithFolder);
    }
    std::string GetPermanentThumbnailFile(const std::string& FullName) const { return FPermanent.FileFor(FullName); }
    bool GetFromPermanentCache(TBitmap* Graphic, const std::string& FullName);
    void StorePermanentThumbnail(TBitmap* Bitmap, const std::string& FullName);
    void DeletePermanentThumbnail(const std::string& FullName) { FPermanent.Delete(FullName); }
    void MovePermanentThumbnail(const std::string& OldName, const std::string& NewName) {
        FPermanent.Move(OldName, NewName);
    }
    bool MakeThumbnailFileFromPermanent(const std::string& Source, const std::string& Dest, bool Notify,
                                        bool HighQuality, Integer Quality, Integer W, Integer H);
    // Which 1 or 2: the disk entry (all with an empty name); 0 or 2: the memory slot (all).
    void InvalidateThumbnail(Integer Which, const std::string& FullName);

    // ---- workers -------------------------------------------------------------------------------
    // Jobs queued, being made or waiting to be delivered.
    Integer ThumbnailsOutstanding() const { return FWorkers ? FWorkers->Outstanding() : 0; }
    // Replaces the workers (0: one per core) and how they make a thumbnail; for tests and the
    // benchmark. Queued work is dropped.
    void SetThumbnailWorkers(Integer Count, TThumbMaker Maker = MakeThumbnail);

    // Texts and geometry of one cell, as painting and the mouse see them.
    struct TCellTexts {
        std::string FullName, Name, Dimensions, Size;
        TDateTime Date = 0;
        bool Valid = false;
    };
    TCellTexts ItemTexts(Integer Index);
    TgxTreeListNode* ItemNode(Integer Index) const;

protected:
    void Paint() override;
    void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) override;
    void TopLeftChanged() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void WMSize(TMessage& Message) override;
    void WMVScroll(TMessage& Message) override;

private:
    friend class TThumbCellPainter;
    Integer Pad() const { return FDisplayType == tdtLargeIcon ? FCellPadding : 1; }
    Integer TextHeightOrZero();
    void UpdateCellSize(bool Relayout);
    void SetThumbnailBox(Integer W, Integer H);
    // The item under a client point, -1 on padding or outside any item.
    Integer ItemAtPoint(Integer X, Integer Y);
    void ScrollIntoView(Integer Index);
    void FocusItem(Integer Index);
    void SelectItem(Integer Index, bool Value);
    bool ItemSelected(Integer Index) const;
    bool ItemFocused(Integer Index) const;
    Integer FocusedIndex() const;
    void InvalidateItem(Integer Index);
    void PressItem(Integer Index, TMouseButton Button, TShiftState Shift);
    void CompleteRelease(TMouseButton Button, TShiftState Shift, bool ByKey);
    // Queues a cell's thumbnail for the workers: the jobs of one paint go to them together
    // when it ends (SendNewJobs).
    void QueueThumbnail(Integer Index, const TCellTexts& Texts);
    void SendNewJobs();
    // The picture box of a cell, and the box with its shadow.
    TRect PictureBox(const TRect& Cell) const;
    TRect PictureArea(const TRect& Cell) const;
    void ThumbnailMade(TThumbResult& Result);
    void DropQueuedThumbnails();
    bool ExtensionSupported(const std::string& FullName) const;
    bool CellInView(Integer Index);
    TImgFunctions* Img();

    TgxDBGrid* FGrid = nullptr;
    TImgFunctions* FImgFunctions = nullptr;
    TImgFunctions* FOwnImg = nullptr;
    TThumbDisplayType FDisplayType = tdtFilename;
    Integer FThumbWidth = 90;
    Integer FThumbHeight = 75;
    Byte FZoom = 1;
    Integer FCellPadding = 5;
    Integer FFilenameColumnWidth = 118;
    Integer FIconInfoColumnWidth = 158;
    Integer FColWidth = 0;
    Integer FRowHeight = 0;
    bool FBlockCellDrawing = false;
    TIcon* FLoadErrorIcon = nullptr;
    TColor FCreatedColor;

    Integer FItemCount = 0;
    Integer FAnchor = 0;
    Integer FPrevFocused = -1;
    Integer FSingleSelected = -1;
    bool FPressOnItem = false;
    bool FPressedWasSelected = false;
    bool FRangeSelect = false;
    bool FLayoutSincePress = false;
    bool FLayoutBusy = false;
    bool FMissedPaint = false;
    bool FScrollingIntoView = false;
    bool FScrolledSinceSingle = false;
    bool FScrollBarScroll = false;
    TCustomImageList* FLargeIcons = nullptr;
    TCustomImageList* FSmallIcons = nullptr;

    TThumbMemoryCache FMemory;
    TThumbDiskCache FDisk;
    TPermanentThumbs FPermanent;
    std::unique_ptr<TThumbWorkers> FWorkers;
    std::set<std::string> FFailed;  // items no worker could picture since the last layout
    std::vector<TThumbJob> FNewJobs;  // queued by the paint under way
    Integer FMadeUnpainted = 0;  // thumbnails put in the memory cache since the last paint
};
