#include "catalogue/thumb_grid.h"

#include <algorithm>

#include "catalogue/format_records.h"
#include "catalogue/img_functions.h"
#include "catalogue/lm_types.h"
#include "dbgrid/db_grid.h"
#include "framework/dataset.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/messages.h"
#include "framework/sysutils.h"
#include "framework/variant.h"
#include "imaging/formats/lzw_coders.h"
#include "platform/shell_file_info.h"

namespace {
constexpr Integer LayoutMargin = 20;
}

TgxThumbGrid2::TgxThumbGrid2(TComponent* AOwner) : TDrawGrid(AOwner) {
    InstallLZWCoders();
    SetFixedCols(0);
    SetFixedRows(0);
    SetColCount(1);
    SetRowCount(1);
    SetGridLineWidth(0);
    SetScrollBars(ssVertical);
    SetDefaultDrawing(false);
    SetOptions(GetOptions() - TGridOptions{goRangeSelect, goEditing});
    FCreatedColor = GetColor();
    FLoadErrorIcon = new TIcon();
    FMemory.SetMaxCount(TThumbMemoryCache::RingSize);
    FDisk.SetSizeDifference(std::abs(FThumbWidth - FThumbHeight));
    try {
        FLargeIcons = SystemImageList(false);
        FSmallIcons = SystemImageList(true);
    } catch (...) {
        FLargeIcons = FSmallIcons = nullptr;
    }
    UpdateCellSize(false);
}

void TgxThumbGrid2::BeforeDestruction() {
    // The workers go first: nothing they deliver may reach a grid being freed.
    FWorkers.reset();
    FDisk.SaveIndex();
    TDrawGrid::BeforeDestruction();
}

TgxThumbGrid2::~TgxThumbGrid2() {
    FWorkers.reset();
    delete FLoadErrorIcon;
    if (FOwnImg) FOwnImg->Free();
}

void TgxThumbGrid2::Notification(TComponent* AComponent, TOperation Operation) {
    TDrawGrid::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FGrid) {
        FGrid = nullptr;
        DropQueuedThumbnails();
    }
    if (AComponent == FImgFunctions) FImgFunctions = nullptr;
    if (AComponent == NodeFilename) NodeFilename = nullptr;
    if (AComponent == NodePath) NodePath = nullptr;
    if (AComponent == NodeSize) NodeSize = nullptr;
    if (AComponent == NodeDate) NodeDate = nullptr;
}

void TgxThumbGrid2::SetAttachedgxDBGrid(TgxDBGrid* Value) {
    if (Value == FGrid) return;
    FGrid = Value;
    if (Value) Value->FreeNotification(this);
    DropQueuedThumbnails();
}

void TgxThumbGrid2::SetAttachedImgFunctions(TImgFunctions* Value) {
    FImgFunctions = Value;
    if (Value) Value->FreeNotification(this);
}

TImgFunctions* TgxThumbGrid2::Img() {
    if (FImgFunctions) return FImgFunctions;
    if (!FOwnImg) FOwnImg = new TImgFunctions(nullptr);
    return FOwnImg;
}

// ---- cell size and layout ----------------------------------------------------------------------

Integer TgxThumbGrid2::TextHeightOrZero() {
    try {
        return GetCanvas()->TextHeight("Wg");
    } catch (...) {
        return 0;
    }
}

void TgxThumbGrid2::UpdateCellSize(bool Relayout) {
    const Integer pad = Pad(), t = TextHeightOrZero();
    const Integer w = FThumbWidth, h = FThumbHeight;
    Integer colWidth = 0, rowHeight = 0;
    switch (FDisplayType) {
        case tdtLargeIcon:
            colWidth = w + 2 * pad + 7;
            rowHeight = t + 2 * pad + 9 + h;
            break;
        case tdtIconInfo:
            colWidth = FIconInfoColumnWidth;
            rowHeight = std::max(3 * t + 2 * pad + 12, 2 * pad + 9 + h / 2);
            break;
        case tdtFilename:
            colWidth = FFilenameColumnWidth;
            rowHeight = t + 2 * pad + 4;
            break;
    }
    colWidth *= FZoom;
    rowHeight *= FZoom;
    const bool widthChanged = colWidth != FColWidth;
    FColWidth = colWidth;
    SetDefaultColWidth(std::max<Integer>(1, colWidth));
    if (t > 0) {
        FRowHeight = rowHeight;
        SetDefaultRowHeight(std::max<Integer>(1, rowHeight));
    }
    if (Relayout && widthChanged) UpdateLayout(false, true);
}

void TgxThumbGrid2::SetThumbDisplayType(TThumbDisplayType Value) {
    FDisplayType = Value;
    UpdateCellSize(false);
    UpdateLayout(true, true);
}

void TgxThumbGrid2::SetThumbnailWidth(Integer Value) {
    if (Value >= 1 && Value <= 9999) SetThumbnailBox(Value, FThumbHeight);
}

void TgxThumbGrid2::SetThumbnailHeight(Integer Value) {
    if (Value >= 1 && Value <= 9999) SetThumbnailBox(FThumbWidth, Value);
}

void TgxThumbGrid2::SetThumbnailBox(Integer W, Integer H) {
    if (W == FThumbWidth && H == FThumbHeight) return;
    FThumbWidth = W;
    FThumbHeight = H;
    FDisk.SetSizeDifference(std::abs(W - H));
    FMemory.Clear();
    UpdateCellSize(true);
}

void TgxThumbGrid2::SetZoom(Byte Value) {
    if (Value < 1 || Value == FZoom) return;
    FZoom = Value;
    UpdateCellSize(true);
    Invalidate();
}

void TgxThumbGrid2::SetCellPadding(Integer Value) {
    if (Value < 0 || Value == FCellPadding) return;
    FCellPadding = Value;
    UpdateCellSize(true);
}

void TgxThumbGrid2::SetFilenameColumnWidth(Integer Value) {
    if (Value < 0) return;
    FFilenameColumnWidth = Value;
    UpdateCellSize(true);
}

void TgxThumbGrid2::SetIconInfoColumnWidth(Integer Value) {
    if (Value < 0) return;
    FIconInfoColumnWidth = Value;
    UpdateCellSize(true);
}

void TgxThumbGrid2::UpdateLayout(bool SyncFocus, bool Repaint) {
    if (!FGrid) return;
    FLayoutBusy = true;
    try {
        DropQueuedThumbnails();
        FFailed.clear();
        if (GetWidth() > 3)
            SetColCount(std::max<Integer>(1, (GetWidth() - LayoutMargin) / std::max<Integer>(1, FColWidth)));
        if (TDataSet* data = FGrid->GetDataSet(); data && FGrid->GetDataSource()) {
            FItemCount = data->GetActive() ? std::min(data->GetRecordCount(), FGrid->GetCount()) : 0;
            const Integer cols = GetColCount();
            const Integer screenRows = (GetHeight() - LayoutMargin) / std::max<Integer>(1, FRowHeight);
            Integer rows = std::max(FItemCount / cols, screenRows);
            if (cols < FItemCount && FItemCount % cols != 0) ++rows;
            const Integer oldRows = GetRowCount();
            SetRowCount(rows);
            if (GetRowCount() != oldRows) {
                if (FItemCount == 0) {
                    FocusCell(0, 0, true);
                } else if (GetParent()) {
                    FocusCell(0, 0, true);
                    FScrollingIntoView = true;
                    SetTopRow(0);
                    FScrollingIntoView = false;
                }
            }
        } else {
            FItemCount = 0;
        }
    } catch (...) {}
    FLayoutBusy = false;
    FMissedPaint = true;
    FLayoutSincePress = true;
    if (SyncFocus) SyncWithFocusedNode();
    if (Repaint) Invalidate();
}

void TgxThumbGrid2::WMSize(TMessage& Message) {
    TDrawGrid::WMSize(Message);
    UpdateLayout(false, true);
}

void TgxThumbGrid2::SetBlockCellDrawing(bool Value) {
    FBlockCellDrawing = Value;
    if (Value) DropQueuedThumbnails();
}

void TgxThumbGrid2::EndBlockCellDrawing(bool OnlyIfMissed) {
    FBlockCellDrawing = false;
    if (!OnlyIfMissed || FMissedPaint) {
        FMissedPaint = false;
        Invalidate();
    }
}

// ---- items -------------------------------------------------------------------------------------

TgxTreeListNode* TgxThumbGrid2::ItemNode(Integer Index) const {
    if (!FGrid || !IsItem(Index)) return nullptr;
    return FGrid->GetItem(Index);
}

TgxThumbGrid2::TCellTexts TgxThumbGrid2::ItemTexts(Integer Index) {
    TCellTexts texts;
    TgxTreeListNode* node = ItemNode(Index);
    if (!node || !NodeFilename || !NodePath) return texts;
    try {
        const std::string name = VarToStr(node->GetValue(NodeFilename->GetIndex()));
        const std::string path = VarToStr(node->GetValue(NodePath->GetIndex()));
        if (name == path) return texts;
        texts.Name = name;
        texts.FullName = IncludeTrailingPathDelimiter(path) + name;
        if (NodeDate) {
            const Variant date = node->GetValue(NodeDate->GetIndex());
            texts.Date = VarIsNull(date) || VarIsClear(date) ? 0 : date.AsDateTime();
        }
        if (NodeSize) {
            const Variant size = node->GetValue(NodeSize->GetIndex());
            texts.Size = FileSizeToStr(VarIsNull(size) || VarIsClear(size) ? 0 : size.AsInt64(), 0);
        }
        if (OnGetDimensions) OnGetDimensions(this, texts.FullName, texts.Date, texts.Dimensions);
        texts.Valid = true;
    } catch (...) {
        texts = {};
    }
    return texts;
}

bool TgxThumbGrid2::ItemSelected(Integer Index) const {
    TgxTreeListNode* node = ItemNode(Index);
    return node && node->GetSelected();
}

bool TgxThumbGrid2::ItemFocused(Integer Index) const {
    TgxTreeListNode* node = ItemNode(Index);
    return node && node->GetFocused();
}

Integer TgxThumbGrid2::FocusedIndex() const {
    if (!FGrid) return -1;
    TgxTreeListNode* node = FGrid->GetFocusedNode();
    if (!node || node->GetParent()) return -1;
    const Integer index = node->GetIndex();
    return IsItem(index) ? index : -1;
}

void TgxThumbGrid2::InvalidateItem(Integer Index) {
    if (!IsItem(Index)) return;
    InvalidateCell(Index % GetColCount(), Index / GetColCount());
}

void TgxThumbGrid2::ScrollIntoView(Integer Index) {
    if (!IsItem(Index)) return;
    FScrollingIntoView = true;
    ClampInView({Index % GetColCount(), Index / GetColCount()});
    FScrollingIntoView = false;
}

void TgxThumbGrid2::SyncWithFocusedNode() {
    const Integer index = FocusedIndex();
    if (index < 0) return;
    FAnchor = FPrevFocused = index;
    ScrollIntoView(index);
}

void TgxThumbGrid2::SelectAll() {
    if (!FGrid) return;
    FGrid->SelectAll();
    FRangeSelect = FItemCount > 1;
    FSingleSelected = -1;
    Invalidate();
}

void TgxThumbGrid2::ClearSelection() {
    if (!FGrid) return;
    FGrid->ClearSelection();
    if (FSingleSelected >= 0 && !FScrolledSinceSingle)
        InvalidateItem(FSingleSelected);
    else
        Invalidate();
    FSingleSelected = -1;
}

// ---- caches ------------------------------------------------------------------------------------

void TgxThumbGrid2::SetDiskCacheDirectory(const std::string& Value) {
    FDisk.SetDirectory(Value);
}

bool TgxThumbGrid2::GetFromDiskCache(TBitmap* Bitmap, Integer Position) {
    return FDisk.Load(Img(), Bitmap, Position);
}

void TgxThumbGrid2::StoreDiskThumbnail(TBitmap* Graphic, const std::string& FullName) {
    FDisk.Store(Img(), Graphic, FullName);
}

bool TgxThumbGrid2::GetFromPermanentCache(TBitmap* Graphic, const std::string& FullName) {
    return FPermanent.Load(Img(), Graphic, FullName);
}

void TgxThumbGrid2::StorePermanentThumbnail(TBitmap* Bitmap, const std::string& FullName) {
    if (!FPermanent.Store(Img(), Bitmap, FullName)) return;
    FMemory.Remove(FullName);
    FFailed.erase(FullName);
    const Integer position = FDisk.Find(FullName);
    if (position >= 0) FDisk.DeleteEntry(position);
}

bool TgxThumbGrid2::MakeThumbnailFileFromPermanent(const std::string& Source, const std::string& Dest, bool Notify,
                                                   bool HighQuality, Integer Quality, Integer W, Integer H) {
    const std::string file = FPermanent.FileFor(Source);
    if (file.empty()) return false;
    try {
        Img()->CreateThumbnailFile(file, Dest, Notify, HighQuality, Quality, W, H);
        return true;
    } catch (...) {
        return false;
    }
}

void TgxThumbGrid2::InvalidateThumbnail(Integer Which, const std::string& FullName) {
    if ((Which == 1 || Which == 2) && FDisk.Enabled()) {
        if (FullName.empty())
            FDisk.Clear();
        else if (Integer position = FDisk.Find(FullName); position >= 0)
            FDisk.DeleteEntry(position);
    }
    if (FullName.empty())
        FFailed.clear();
    else
        FFailed.erase(FullName);
    if ((Which == 0 || Which == 2) && FMemory.GetMaxCount() > 0) {
        if (FullName.empty())
            FMemory.Clear();
        else
            FMemory.Remove(FullName);
    }
}

// ---- workers -----------------------------------------------------------------------------------

void TgxThumbGrid2::SetThumbnailWorkers(Integer Count, TThumbMaker Maker) {
    FWorkers.reset();
    FWorkers = std::make_unique<TThumbWorkers>(
        Count, [this](TThumbResult& Result) { ThumbnailMade(Result); }, std::move(Maker));
}

void TgxThumbGrid2::DropQueuedThumbnails() {
    FNewJobs.clear();
    if (FWorkers) FWorkers->Clear();
}

bool TgxThumbGrid2::ExtensionSupported(const std::string& FullName) const {
    const std::string& list = SupportedFormats;
    if (list.empty() || list == "*.*" || list == "*.*;") return true;
    return ExtensionInList(ExtractFileExt(FullName), list);
}

void TgxThumbGrid2::QueueThumbnail(Integer Index, const TCellTexts& Texts) {
    if (!FWorkers) SetThumbnailWorkers(0);
    if (FWorkers->Pending(Index)) return;
    TThumbJob job;
    job.Item = Index;
    job.FullName = Texts.FullName;
    job.Date = Texts.Date;
    job.PermanentFile = FPermanent.FileFor(Texts.FullName);
    // An indexed thumbnail is read from, and a new one written to, the file named for the
    // source's current date.
    if (FDisk.Enabled()) {
        job.StoreFile = FDisk.Naming().FileFor(Texts.FullName, ThumbSourceDate(Texts.FullName));
        if (FDisk.Find(Texts.FullName) >= 0) job.DiskFile = job.StoreFile;
    }
    job.StoreJPEG = FDisk.GetJPEG();
    job.BoxWidth = FThumbWidth;
    job.BoxHeight = FThumbHeight;
    job.HighQuality = ThumbQualityHigh;
    FNewJobs.push_back(std::move(job));
}

void TgxThumbGrid2::SendNewJobs() {
    if (FNewJobs.empty()) return;
    std::vector<TThumbJob> jobs;
    jobs.swap(FNewJobs);
    if (FWorkers) FWorkers->Enqueue(std::move(jobs));
}

void TgxThumbGrid2::ThumbnailMade(TThumbResult& Result) {
    const TThumbJob& job = Result.Job;
    // A new disk thumbnail is recorded whatever became of the cell, so that its file is known.
    if (Result.Stored) FDisk.Stored(job.FullName);
    // The item may have changed while the worker ran: then the result is dropped, and the cell
    // painted again queues its new item.
    const TCellTexts texts = ItemTexts(job.Item);
    if (texts.Valid && texts.FullName == job.FullName && texts.Date == job.Date) {
        if (Result.Source == tsDisk) {
            if (const Integer position = FDisk.Find(job.FullName); position >= 0) FDisk.Touch(position);
        }
        if (Result.Bitmap) {
            FMemory.Put(std::move(Result.Bitmap), job.FullName);
            ++FMadeUnpainted;
        } else {
            FFailed.insert(job.FullName);
        }
    }
    // Only the picture changes.
    if (IsItem(job.Item)) {
        const TRect area = PictureArea(CellRect(job.Item % GetColCount(), job.Item / GetColCount()));
        InvalidateRect(&area, false);
    }
    // Thumbnails arriving faster than the window paints (disk thumbnails) are drawn before the
    // memory cache lets them go again, or their cells would be queued once more. Painting the
    // marked area is enough: the window shows it with the rest at its next update.
    if (FMemory.GetMaxCount() > 0 && FMadeUnpainted >= FMemory.GetMaxCount()) Perform(WM_PAINT);
}

bool TgxThumbGrid2::CellInView(Integer Index) {
    if (!IsItem(Index)) return false;
    const Integer row = Index / GetColCount();
    return row >= GetTopRow() && row < GetTopRow() + GetVisibleRowCount() + 1;
}

void TgxThumbGrid2::TopLeftChanged() {
    TDrawGrid::TopLeftChanged();
    FScrolledSinceSingle = true;
    if (FWorkers) FWorkers->Retain([this](Integer Item) { return CellInView(Item); });
    if (!FScrollingIntoView && !FBlockCellDrawing && !FLayoutBusy && !FScrollBarScroll) {
        const Integer index = FocusedIndex();
        if (index >= 0 && !CellInView(index)) ScrollIntoView(index);
    }
}

void TgxThumbGrid2::WMVScroll(TMessage& Message) {
    FScrollBarScroll = true;
    try {
        TDrawGrid::WMVScroll(Message);
    } catch (...) {
        FScrollBarScroll = false;
        throw;
    }
    FScrollBarScroll = false;
}
