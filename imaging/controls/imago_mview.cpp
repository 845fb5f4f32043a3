#include "imaging/controls/imago_mview.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "framework/forms.h"
#include "framework/math_utils.h"
#include "framework/timer.h"
#include "imaging/dib.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_utils.h"
#include "imaging/resample.h"

namespace {

constexpr UINT_PTR kPlayTimer = 1;
constexpr Integer kMinFrameDelay = 10;

// The header of a packed image; false for a block that holds none.
bool PackedHeader(HGLOBAL DIB, BITMAPINFOHEADER& Header) {
    if (!DIB || GlobalSize(DIB) < sizeof(BITMAPINFOHEADER)) return false;
    const void* p = GlobalLock(DIB);
    if (!p) return false;
    std::memcpy(&Header, p, sizeof Header);
    GlobalUnlock(DIB);
    return true;
}

// Where the rows of a packed image start: after the header and, for 1 bit, its two colours.
size_t PackedBitsOffset(const BITMAPINFOHEADER& Header) {
    size_t colours = 0;
    if (Header.biBitCount <= 8) colours = Header.biClrUsed ? Header.biClrUsed : (size_t(1) << Header.biBitCount);
    return Header.biSize + colours * sizeof(RGBQUAD);
}

}  // namespace

TImagoMView::TImagoMView(TComponent* AOwner) : TImgView(AOwner) {
    FIO = new TImagoIO(this);
    FDrawDib = DrawDibOpen();
    SetBounds(GetLeft(), GetTop(), 180, 90);
}

TImagoMView::~TImagoMView() {
    StopPlayTimer();
    FPlaying = false;
    ReleaseSelection();
    for (TEntry& image : FImages) FreeCache(image);
    FImages.clear();
    DrawDibClose(FDrawDib);
}

void TImagoMView::Assign(TPersistent*) {}

// ---- The list --------------------------------------------------------------------------------

void TImagoMView::InsertImage(Integer Index) {
    SetPlaying(false);
    if (Index < 0 || Index >= ImageCount()) Index = ImageCount();
    TEntry image;
    image.Background = GetBackground();
    FImages.insert(FImages.begin() + Index, std::move(image));
    FLaidOut = std::min(FLaidOut, size_t(Index));
    if (FSelected >= Index) ++FSelected;
    SelectImage(Index);
    FLastChange = imgChangeInserted;
    FLastChangeIndex = Index;
    NotifyBitmapChange();
    Update();
}

Integer TImagoMView::AppendImage() {
    InsertImage(ImageCount());
    return ImageCount() - 1;
}

void TImagoMView::DeleteImage(Integer Index) {
    SetPlaying(false);
    if (!Valid(Index)) return;
    Integer selected = FSelected;
    ReleaseSelection();
    FreeCache(FImages[Index]);
    FImages.erase(FImages.begin() + Index);
    FLaidOut = 0;  // the content may shrink
    if (selected > Index) --selected;
    if (selected >= ImageCount()) selected = ImageCount() - 1;
    SelectImage(selected);
    FLastChange = imgChangeDeleted;
    FLastChangeIndex = Index;
    NotifyBitmapChange();
    Update();
}

void TImagoMView::Clear() {
    SetPlaying(false);
    ReleaseSelection();
    Update();
    if (!FImages.empty()) {
        for (TEntry& image : FImages) FreeCache(image);
        FImages.clear();
        FLaidOut = 0;
        FLastChange = imgChangeDeleted;
        FLastChangeIndex = 0;
        NotifyBitmapChange();
    }
    Update();
}

Integer TImagoMView::TakeLastChange() {
    const Integer change = FLastChange;
    FLastChange = imgChangeNone;
    return change;
}

// ---- Image content ---------------------------------------------------------------------------

void TImagoMView::FreeCache(TEntry& Image) {
    if (Image.DIB) GlobalFree(Image.DIB);
    Image.DIB = nullptr;
    Image.Bitmap.reset();
    Image.Lock = 0;
}

void TImagoMView::FitSize(Integer w, Integer h, Integer maxW, Integer maxH, Integer& fitW, Integer& fitH) {
    fitW = fitH = 0;
    if (w <= 0 || h <= 0) return;
    const double s = std::min(double(maxH) / h, double(maxW) / w);
    fitW = std::max<Integer>(Integer(Trunc(w * s)), 0);
    fitH = std::max<Integer>(Integer(Trunc(h * s)), 0);
}

void TImagoMView::StoreBitmap(Integer Index, TBitmap* Bitmap) {
    TEntry& image = FImages[Index];
    FreeCache(image);
    if (!Bitmap) return;
    // Packed images are 24-bit or 1-bit: other formats are drawn into a 24-bit copy first.
    std::unique_ptr<TBitmap> wide;
    const TPixelFormat format = Bitmap->GetPixelFormat();
    if (format != pf24bit && format != pf1bit && Bitmap->GetWidth() > 0 && Bitmap->GetHeight() > 0) {
        wide.reset(new TBitmap());
        wide->SetPixelFormat(pf24bit);
        wide->SetSize(Bitmap->GetWidth(), Bitmap->GetHeight());
        wide->GetCanvas()->Draw(0, 0, Bitmap);
        Bitmap = wide.get();
    }
    if (FStoreType == ietThumb) {
        Integer w, h;
        FitSize(Bitmap->GetWidth(), Bitmap->GetHeight(), FThumbWidth, FThumbHeight - FBottomGap - FUpperGap, w, h);
        if (w < 1 || h < 1) return;
        std::unique_ptr<TBitmap> thumb(new TBitmap());
        thumb->SetPixelFormat(Bitmap->GetPixelFormat() == pf1bit ? pf1bit : pf24bit);
        thumb->SetSize(w, h);
        StretchPlain(Bitmap, thumb.get());
        image.DIB = BitmapToDIB(thumb.get());
    } else {
        image.DIB = BitmapToDIB(Bitmap);
    }
}

void TImagoMView::SetImage(Integer Index, TBitmap* Bitmap) {
    if (!Valid(Index)) return;
    StoreBitmap(Index, Bitmap);
    Update();
    if (Index == FSelected) GetImageBitmap(Index);
    Update();
}

void TImagoMView::TakeImage(Integer Index, std::unique_ptr<TBitmap> Bitmap) {
    if (!Valid(Index)) return;
    const TPixelFormat format = Bitmap ? Bitmap->GetPixelFormat() : pf24bit;
    if (Index != FSelected || FStoreType != ietNormal || !Bitmap || (format != pf24bit && format != pf1bit) ||
        Bitmap->GetWidth() <= 0 || Bitmap->GetHeight() <= 0) {
        SetImage(Index, Bitmap.get());
        return;
    }
    TEntry& image = FImages[Index];
    FreeCache(image);
    image.Bitmap = std::move(Bitmap);
    image.Lock = 1;
    Update();
}

TBitmap* TImagoMView::GetImageBitmap(Integer Index) {
    if (!Valid(Index)) return nullptr;
    if (FImages[Index].Lock++ > 0) return FImages[Index].Bitmap.get();
    if (!FImages[Index].DIB) LoadImageOnDemand(Index);
    TEntry& image = FImages[Index];
    if (!image.DIB) {
        image.Lock = 0;
        return nullptr;
    }
    std::unique_ptr<TBitmap> bitmap(new TBitmap());
    if (DIBToBitmap(image.DIB, bitmap.get()) == 0) {
        image.Lock = 0;
        return nullptr;
    }
    GlobalFree(image.DIB);
    image.DIB = nullptr;
    image.Bitmap = std::move(bitmap);
    return image.Bitmap.get();
}

void TImagoMView::ReleaseImageBitmap(Integer Index) {
    if (!Valid(Index)) return;
    TEntry& image = FImages[Index];
    if (image.Lock > 0) --image.Lock;
    if (image.Lock == 0 && image.Bitmap) {
        image.DIB = BitmapToDIB(image.Bitmap.get());
        image.Bitmap.reset();
    }
}

bool TImagoMView::IsImageDecoded(Integer Index) const {
    return Valid(Index) && FImages[Index].Bitmap != nullptr;
}

Integer TImagoMView::GetImageWidth(Integer Index) {
    if (!Valid(Index)) return 0;
    const TEntry& image = FImages[Index];
    BITMAPINFOHEADER h;
    if (PackedHeader(image.DIB, h)) return std::abs(h.biWidth);
    return image.Bitmap ? image.Bitmap->GetWidth() : 0;
}

Integer TImagoMView::GetImageHeight(Integer Index) {
    if (!Valid(Index)) return 0;
    const TEntry& image = FImages[Index];
    BITMAPINFOHEADER h;
    if (PackedHeader(image.DIB, h)) return std::abs(h.biHeight);
    return image.Bitmap ? image.Bitmap->GetHeight() : 0;
}

HGLOBAL TImagoMView::GetImageDIB(Integer Index) const {
    return Valid(Index) ? FImages[Index].DIB : nullptr;
}

TColor TImagoMView::GetImageBackground(Integer Index) const {
    return Valid(Index) ? FImages[Index].Background : 0;
}

void TImagoMView::SetImageBackground(Integer Index, TColor Color) {
    if (!Valid(Index)) return;
    FImages[Index].Background = Color;
    Update();
}

Integer TImagoMView::GetImageDelay(Integer Index) const {
    return Valid(Index) ? FImages[Index].Delay : 0;
}

void TImagoMView::SetImageDelay(Integer Index, Integer Milliseconds) {
    if (Valid(Index)) FImages[Index].Delay = Milliseconds;
}

std::string TImagoMView::GetImageFileName(Integer Index) const {
    return Valid(Index) ? FImages[Index].FileName : std::string();
}

void TImagoMView::SetImageFileName(Integer Index, const std::string& FileName) {
    if (Valid(Index)) FImages[Index].FileName = FileName;
}

Integer TImagoMView::GetImageID(Integer Index) const {
    return Valid(Index) ? FImages[Index].ID : -1;
}

void TImagoMView::SetImageID(Integer Index, Integer ID) {
    if (Valid(Index)) FImages[Index].ID = ID;
}

bool TImagoMView::LoadImageOnDemand(Integer Index) {
    if (!Valid(Index)) return true;
    if (FImages[Index].ID >= 0 && OnImageIDRequest) {
        TBitmap* bitmap = nullptr;
        OnImageIDRequest(this, FImages[Index].ID, bitmap);
        if (Valid(Index)) StoreBitmap(Index, bitmap);
        return true;
    }
    if (FImages[Index].FileName.empty()) return true;
    std::unique_ptr<TBitmap> bitmap(new TBitmap());
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(1, 1);
    FIO->SetBackground(FImages[Index].Background);
    FIO->SetAttachedBitmap(bitmap.get());
    FIO->OnProgress = OnIOProgress;
    TIOParamsVals* params = FIO->GetParams();
    if (FStoreType == ietThumb) {
        params->JPEGScale = 0;
        params->Width = FThumbWidth;
        params->Height = FThumbHeight;
    } else {
        params->JPEGScale = 1;
    }
    const std::string fileName = FImages[Index].FileName;
    FIO->LoadFromFile(fileName);
    FIO->SetAttachedBitmap(nullptr);
    if (FIO->GetAborting()) return false;
    if (!Valid(Index)) return true;
    FImages[Index].Background = FIO->GetBackground();
    StoreBitmap(Index, bitmap.get());
    return true;
}

// ---- Selection -------------------------------------------------------------------------------

void TImagoMView::SelectImage(Integer Index) {
    if (FPlaying || !Valid(Index)) return;
    ReleaseSelection();
    FSelected = Index;
    GetImageBitmap(Index);
}

void TImagoMView::ReleaseSelection() {
    if (Valid(FSelected)) ReleaseImageBitmap(FSelected);
    FSelected = -1;
}

void TImagoMView::SetSelectedImage(Integer Index) {
    if (FPlaying) return;
    SelectImage(Index);
    if (OnImageSelect) OnImageSelect(this, FSelected);
    Update();
}

TBitmap* TImagoMView::GetBitmap() {
    return Valid(FSelected) ? FImages[FSelected].Bitmap.get() : nullptr;
}

TRect TImagoMView::CellRect(const TEntry& Image) const {
    const Integer left = Image.Left - FViewX, top = Image.Top - FViewY;
    return Rect(left, top, left + FThumbWidth, top + FThumbHeight);
}

Integer TImagoMView::IsImageVisible(Integer Index) {
    if (!Valid(Index)) return 0;
    const TRect cell = CellRect(FImages[Index]);
    return ImgRectRelation(0, 0, GetClientWidth(), GetClientHeight(), cell.Left, cell.Top, cell.Right, cell.Bottom);
}

TPoint TImagoMView::GetImagePosition(Integer Index) const {
    return Valid(Index) ? TPoint{FImages[Index].Left, FImages[Index].Top} : TPoint{0, 0};
}

TPoint TImagoMView::GetImageGridPlace(Integer Index) const {
    return Valid(Index) ? TPoint{FImages[Index].Column, FImages[Index].Row} : TPoint{0, 0};
}

// ---- Properties ------------------------------------------------------------------------------

void TImagoMView::SetScrollBars(TScrollStyle Value) {
    FScrollBars = Value;
    if (GetParentForm(this) || GetParentWindow()) {
        if (Value == ssHorizontal || Value == ssBoth) ShowScrollBar(this, SB_HORZ, false);
        if (Value == ssVertical || Value == ssBoth) ShowScrollBar(this, SB_VERT, false);
    }
    Update();
}

// The setters that store their value and lay the view out again.
#define LUMORA_MVIEW_UPDATING_SETTER(Name, Type, Field) \
    void TImagoMView::Set##Name(Type Value) {           \
        Field = Value;                                  \
        Update();                                       \
    }
LUMORA_MVIEW_UPDATING_SETTER(ThumbWidth, Integer, FThumbWidth)
LUMORA_MVIEW_UPDATING_SETTER(ThumbHeight, Integer, FThumbHeight)
LUMORA_MVIEW_UPDATING_SETTER(HorizBorder, Integer, FHorizBorder)
LUMORA_MVIEW_UPDATING_SETTER(VertBorder, Integer, FVertBorder)
LUMORA_MVIEW_UPDATING_SETTER(BottomGap, Integer, FBottomGap)
LUMORA_MVIEW_UPDATING_SETTER(UpperGap, Integer, FUpperGap)
LUMORA_MVIEW_UPDATING_SETTER(VisibleSelection, bool, FVisibleSelection)
LUMORA_MVIEW_UPDATING_SETTER(GridWidth, Integer, FGridWidth)
LUMORA_MVIEW_UPDATING_SETTER(SelectionWidth, Integer, FSelectionWidth)
LUMORA_MVIEW_UPDATING_SETTER(SelectionColor, TColor, FSelectionColor)
LUMORA_MVIEW_UPDATING_SETTER(RemoveCorrupted, bool, FRemoveCorrupted)
LUMORA_MVIEW_UPDATING_SETTER(DrawImageBackground, bool, FDrawImageBackground)
#undef LUMORA_MVIEW_UPDATING_SETTER

void TImagoMView::SetBackground(TColor Color) {
    FBackground = Color;
    Update();
}

void TImagoMView::SetMouseInteract(TImgMMouseInteract Value) {
    FMouseInteract = Value;
}

void TImagoMView::SetKeyInteract(TImgMKeyInteract Value) {
    FKeyInteract = Value;
}

void TImagoMView::SetDisplayMode(TImgMDisplayMode Value) {
    if (FPlaying) {
        FRestoreMode = Value;
        return;
    }
    FDisplayMode = Value;
    Update();
}

// ---- Layout ----------------------------------------------------------------------------------

Integer TImagoMView::Columns() {
    if (FGridWidth != -1) return FGridWidth;
    const Integer pitch = FHorizBorder + FThumbWidth;
    return pitch > 0 ? (GetClientWidth() - FHorizBorder) / pitch : 0;
}

// Only the cells from the first one a list change moved on are laid out again, unless the grid
// itself changed, so that adding images one by one takes time in step with their number.
void TImagoMView::Layout() {
    const Integer columns = Columns();
    const bool single = FDisplayMode == mdSingle;
    const TLayoutKey key{columns, single, FThumbWidth, FThumbHeight, FHorizBorder, FVertBorder};
    if (!(key == FLayoutKey)) {
        FLayoutKey = key;
        FLaidOut = 0;
    }
    if (FLaidOut == 0) FContentW = FContentH = 0;
    for (size_t i = FLaidOut; i < FImages.size(); ++i) {
        TEntry& image = FImages[i];
        // Without a column count (0 or less) every image goes into the first row.
        image.Row = single || columns <= 0 ? 0 : Integer(i / size_t(columns));
        image.Column = single ? 0 : (columns <= 0 ? Integer(i) : Integer(i % size_t(columns)));
        image.Left = FHorizBorder + image.Column * (FThumbWidth + FHorizBorder);
        image.Top = FVertBorder + image.Row * (FThumbHeight + FVertBorder);
        FContentW = std::max(FContentW, image.Left + FThumbWidth + FHorizBorder);
        FContentH = std::max(FContentH, image.Top + FThumbHeight + FVertBorder);
    }
    FLaidOut = FImages.size();
}

void TImagoMView::GetMaxViewXY(Integer& MaxX, Integer& MaxY) {
    MaxX = std::max(FContentW - GetClientWidth(), 0);
    MaxY = std::max(FContentH - GetClientHeight(), 0);
}

void TImagoMView::Update() {
    const TComponentState st = GetComponentState();
    if (!(st == TComponentState{} || st == TComponentState{csDesigning} || st == TComponentState{csFreeNotification}))
        return;
    if (FInUpdate) {
        FSizedInUpdate = true;
        return;
    }
    // A view inside a window that is no form (a pane a file dialog hosts) lays out as on a form.
    if (!GetComponentState().Contains(csDesigning) && (GetParentForm(this) || GetParentWindow() || GetParent())) {
        FInUpdate = true;
        try {
            UpdateLayout();
        } catch (...) {
            FInUpdate = false;
            throw;
        }
        FInUpdate = false;
        NotifyBitmapChange();
    } else {
        Layout();
    }
    Invalidate();
}

void TImagoMView::UpdateLayout() {
    // Showing a bar can hide the other one and so on; a few rounds always settle.
    for (int round = 0; round < 4; ++round) {
        FSizedInUpdate = false;
        const Integer clientW = GetClientWidth(), clientH = GetClientHeight();
        Layout();
        Integer mx, my;
        GetMaxViewXY(mx, my);
        const Integer x = ImgIntLimit(FViewX, 0, mx), y = ImgIntLimit(FViewY, 0, my);
        if (x != FViewX || y != FViewY) {
            FViewX = x;
            FViewY = y;
            DoViewChange(0);
        }
        try {
            if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
                ImgSetViewScrollBar(this, SB_HORZ, mx, clientW, FViewX);
            if (FScrollBars == ssVertical || FScrollBars == ssBoth)
                ImgSetViewScrollBar(this, SB_VERT, my, clientH, FViewY);
        } catch (...) {}
        if (!FSizedInUpdate && clientW == GetClientWidth() && clientH == GetClientHeight()) break;
    }
}

void TImagoMView::DoViewChange(Integer Change) {
    if (OnViewChange) OnViewChange(this, Change);
}

// ---- View origin -----------------------------------------------------------------------------

void TImagoMView::SetViewX(Integer Value) {
    if (Value != FViewX) MoveView(Value, FViewY, true, false);
}

void TImagoMView::SetViewY(Integer Value) {
    if (Value != FViewY) MoveView(FViewX, Value, false, true);
}

void TImagoMView::SetViewXY(Integer X, Integer Y) {
    if (X != FViewX || Y != FViewY) MoveView(X, Y, true, true);
}

void TImagoMView::MoveView(Integer X, Integer Y, bool Horizontal, bool Vertical) {
    Integer mx, my;
    GetMaxViewXY(mx, my);
    FViewX = ImgIntLimit(X, 0, mx);
    FViewY = ImgIntLimit(Y, 0, my);
    Invalidate();
    if (Horizontal && (FScrollBars == ssHorizontal || FScrollBars == ssBoth)) SetScrollPos(this, SB_HORZ, FViewX, true);
    if (Vertical && (FScrollBars == ssVertical || FScrollBars == ssBoth)) SetScrollPos(this, SB_VERT, FViewY, true);
}

void TImagoMView::ScrollMessage(TMessage& Message, bool Vertical) {
    Integer mx, my;
    GetMaxViewXY(mx, my);
    Int64 target;
    if (!ImgScrollTarget(Message, Vertical ? FViewY : FViewX, Vertical ? FThumbHeight : FThumbWidth,
                         Vertical ? my : mx, target))
        return;
    const Integer v = Integer(std::clamp<Int64>(target, 0, std::numeric_limits<Integer>::max()));
    if (Vertical)
        SetViewY(v);
    else
        SetViewX(v);
}

void TImagoMView::WMHScroll(TMessage& Message) {
    ScrollMessage(Message, false);
}

void TImagoMView::WMVScroll(TMessage& Message) {
    ScrollMessage(Message, true);
}

// ---- Painting --------------------------------------------------------------------------------

void TImagoMView::Paint() {
    PaintTo(GetCanvas());
}

void TImagoMView::PaintTo(TCanvas* Canvas) {
    if (!Canvas) return;
    while (!PaintPass(Canvas)) {}
}

void TImagoMView::DrawCellImage(TCanvas* Canvas, TEntry& Image, const TRect& Cell, TColor CellColor) {
    // A decoded image is described in place; a packed one is drawn from its block.
    TImgDrawDIB described;
    const BITMAPINFOHEADER* header = nullptr;
    const void* bits = nullptr;
    const void* locked = nullptr;
    if (Image.DIB) {
        locked = GlobalLock(Image.DIB);
        if (locked && GlobalSize(Image.DIB) >= sizeof(BITMAPINFOHEADER)) {
            header = static_cast<const BITMAPINFOHEADER*>(locked);
            const size_t offset = PackedBitsOffset(*header);
            if (offset <= GlobalSize(Image.DIB)) bits = static_cast<const Byte*>(locked) + offset;
        }
    } else if (Image.Bitmap && ImgDescribeBitmap(Image.Bitmap.get(), described)) {
        header = &described.Header;
        bits = described.Bits;
    }
    Integer w = 0, h = 0;
    if (header && bits) {
        w = std::abs(header->biWidth);
        h = std::abs(header->biHeight);
    }
    const Integer innerH = FThumbHeight - FBottomGap - FUpperGap;
    Integer fw, fh;
    FitSize(w, h, FThumbWidth, innerH, fw, fh);
    TBrush* brush = Canvas->GetBrush();
    brush->SetStyle(bsSolid);
    brush->SetColor(CellColor);
    if (fw < 1 || fh < 1) {
        Canvas->FillRect(Cell);
    } else {
        const Integer x = Cell.Left + (FThumbWidth - fw) / 2;
        const Integer y = Cell.Top + FUpperGap + (innerH - fh) / 2;
        DrawDibDraw(FDrawDib, Canvas->GetHandle(), x, y, fw, fh, header, bits, 0, 0, w, h, 0);
        Canvas->FillRect(Rect(Cell.Left, Cell.Top, Cell.Right, y));
        Canvas->FillRect(Rect(Cell.Left, y + fh, Cell.Right, Cell.Bottom));
        Canvas->FillRect(Rect(Cell.Left, y, x, y + fh));
        Canvas->FillRect(Rect(x + fw, y, Cell.Right, y + fh));
    }
    if (locked) GlobalUnlock(Image.DIB);
}

bool TImagoMView::PaintPass(TCanvas* Canvas) {
    const Integer count = ImageCount();
    const Integer clientW = GetClientWidth(), clientH = GetClientHeight();
    HDC dc = Canvas->GetHandle();
    const int saved = SaveDC(dc);
    const bool one = (FDisplayMode == mdSingle && count > 0) || FPlaying;
    const Integer total = one ? std::min(count, 1) : count;
    const Integer first = one ? ImgIntLimit(FCurrentFrame, 0, std::max(count - 1, 0)) : 0;
    const bool progress = OnDrawProgress && total > 1;
    const bool focused = Focused();
    for (Integer counter = 0; counter < total; ++counter) {
        const Integer index = (first + counter) % count;
        if (progress) OnDrawProgress(this, Integer(Trunc(double(counter) / total * 100)), index);
        if (!Valid(index)) break;
        const TRect cell = CellRect(FImages[index]);
        if (ImgRectsOverlap(cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1, 0, 0, clientW - 1, clientH - 1)) {
            if (!FImages[index].DIB && !FImages[index].Bitmap) {
                if (!LoadImageOnDemand(index) && FRemoveCorrupted && Valid(index)) {
                    RestoreDC(dc, saved);
                    DeleteImage(index);
                    return false;
                }
                if (!Valid(index)) break;
            }
            TEntry& image = FImages[index];
            const TColor cellColor = FDrawImageBackground ? image.Background : GetBackground();
            DrawCellImage(Canvas, image, cell, cellColor);
            if (OnImageDraw) OnImageDraw(this, index, cell.Left, cell.Top, Canvas);
            if (index == FSelected && FVisibleSelection) {
                const Integer width = focused ? FSelectionWidth : 1;
                TPen* pen = Canvas->GetPen();
                pen->SetWidth(1);
                pen->SetStyle(psSolid);
                pen->SetMode(pmCopy);
                pen->SetColor(FSelectionColor);
                Canvas->GetBrush()->SetStyle(bsClear);
                for (Integer b = 1; b <= width; ++b)
                    Canvas->Rectangle(cell.Left - b, cell.Top - b, cell.Right + b, cell.Bottom + b);
                ExcludeClipRect(dc, cell.Left - width, cell.Top - width, cell.Right + width, cell.Bottom + width);
            } else {
                ExcludeClipRect(dc, cell.Left, cell.Top, cell.Right, cell.Bottom);
            }
        } else {
            TEntry& image = FImages[index];
            if (index != FSelected && image.DIB && HasSource(image) && image.Lock == 0) FreeCache(image);
        }
    }
    TBrush* brush = Canvas->GetBrush();
    brush->SetStyle(bsSolid);
    brush->SetColor(GetBackground());
    Canvas->FillRect(Rect(0, 0, clientW, clientH));
    RestoreDC(dc, saved);
    if (progress) OnDrawProgress(this, 100, 0);
    return true;
}

// ---- Playback --------------------------------------------------------------------------------

void TImagoMView::SetPlaying(bool Value) {
    if (Value == FPlaying) return;
    if (Value) {
        FRestoreMode = FDisplayMode;
        FRestoreSelected = FSelected;
        ReleaseSelection();
        Update();
    }
    FPlaying = Value;
    PlayNextFrame();
    if (!FPlaying) {
        SetDisplayMode(FRestoreMode);
        SetSelectedImage(FRestoreSelected);
    }
}

void TImagoMView::StopPlayTimer() {
    if (FPlayTimerInterval > 0) KillTimer(this, kPlayTimer);
    FPlayTimerInterval = 0;
}

void TImagoMView::PlayNextFrame() {
    if (FInPlayStep || Destroying()) return;
    FInPlayStep = true;
    StopPlayTimer();
    if (FPlaying) {
        if (FDisplayMode != mdSingle) {
            FDisplayMode = mdSingle;
            Update();
        }
        if (FCurrentFrame > ImageCount() - 1) FCurrentFrame = ImageCount() - 1;
        if (ImageCount() == 0) {
            // Nothing left to play: playback ends, so that it can start again later.
            FCurrentFrame = 0;
            FPlaying = false;
            FInPlayStep = false;
            return;
        }
        Paint();
        ValidateRect(nullptr);
        const Integer shown = FCurrentFrame;
        if (FCurrentFrame == ImageCount() - 1) {
            FCurrentFrame = 0;
            NotifyBitmapChange();
            if (!FPlayLoop) {
                FPlaying = false;
                FInPlayStep = false;
                return;
            }
        } else {
            ++FCurrentFrame;
        }
        const Integer interval = std::max(FImages[shown].Delay, kMinFrameDelay);
        if (SetTimer(this, kPlayTimer, UINT(interval)) != 0) FPlayTimerInterval = interval;
    }
    FInPlayStep = false;
}

void TImagoMView::WMTimer(TMessage& Message) {
    if (Message.WParam == kPlayTimer) {
        // The timer is one-shot: the step sets the next one.
        KillTimer(this, kPlayTimer);
        FPlayTimerInterval = 0;
        PlayNextFrame();
        return;
    }
    TImgView::WMTimer(Message);
}

// ---- Messages, mouse and keys ----------------------------------------------------------------

void TImagoMView::WMSize(TMessage& Message) {
    TImgView::WMSize(Message);
    Update();
}

void TImagoMView::WMEraseBkgnd(TMessage& Message) {
    Message.Result = 1;
}

void TImagoMView::WMSetFocus(TMessage& Message) {
    TImgView::WMSetFocus(Message);
    Invalidate();
}

void TImagoMView::WMKillFocus(TMessage& Message) {
    TImgView::WMKillFocus(Message);
    Invalidate();
}

void TImagoMView::CMWantSpecialKey(TMessage& Message) {
    switch (Word(Message.WParam)) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END: Message.Result = 1; break;
        default: TImgView::CMWantSpecialKey(Message);
    }
}

void TImagoMView::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (CanFocus()) SetFocus();
    FPress = TPoint{X, Y};
    FPressOrigin = TPoint{FViewX, FViewY};
    TImgView::MouseDown(Button, Shift, X, Y);
}

void TImagoMView::MouseMove(TShiftState Shift, Integer X, Integer Y) {
    TImgView::MouseMove(Shift, X, Y);
    const bool held = Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle);
    if (held && FMouseInteract.Contains(mmiScroll))
        SetViewXY(FPressOrigin.X + FPress.X - X, FPressOrigin.Y + FPress.Y - Y);
}

void TImagoMView::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    TImgView::MouseUp(Button, Shift, X, Y);
    if (FPlaying) return;
    if (FMouseInteract.Contains(mmiSelect)) {
        for (Integer i = 0; i < ImageCount(); ++i) {
            const TRect cell = CellRect(FImages[i]);
            // The hit test reaches one row below the cell.
            if (ImgPointInRect(X, Y, cell.Left, cell.Top, cell.Right - 1, cell.Bottom)) {
                SelectImage(i);
                if (FVisibleSelection) Update();
                if (OnImageSelect) OnImageSelect(this, FSelected);
                NotifyBitmapChange();
                break;
            }
        }
    }
    if (FMouseInteract.Contains(mmiScroll)) SetViewXY(FPressOrigin.X + FPress.X - X, FPressOrigin.Y + FPress.Y - Y);
}

void TImagoMView::KeyDown(Word& Key, TShiftState Shift) {
    TImgView::KeyDown(Key, Shift);
    if (FPlaying) return;
    const Integer count = ImageCount();
    const Integer columns = Columns();
    const Integer clientW = GetClientWidth(), clientH = GetClientHeight();
    const Integer pitchY = FVertBorder + FThumbHeight;
    const Integer rowsPerPage = pitchY > 0 ? columns * ((clientH - FVertBorder) / pitchY) : 0;
    const Integer sel = FSelected;
    auto whollyVisible = [this]() { return IsImageVisible(FSelected) == 2; };
    auto scrollUp = [&] {
        if (!Valid(FSelected) || whollyVisible()) return;
        const TEntry& c = FImages[FSelected];
        SetViewY(c.Top - FVertBorder);
        if (!whollyVisible()) SetViewX(c.Left - FHorizBorder);
    };
    auto scrollDown = [&] {
        if (!Valid(FSelected) || whollyVisible()) return;
        const TEntry& c = FImages[FSelected];
        SetViewY(c.Top + FThumbHeight + FVertBorder - clientH);
        if (!whollyVisible()) SetViewX(c.Left + FThumbWidth + FHorizBorder - clientW);
    };
    switch (Key) {
        case VK_HOME:
            SetSelectedImage(0);
            SetViewXY(0, 0);
            break;
        case VK_END:
            SetSelectedImage(count - 1);
            scrollDown();
            break;
        case VK_LEFT:
            if (sel < 0) return;
            SetSelectedImage(sel - 1);
            if (Valid(FSelected) && !whollyVisible()) {
                const TEntry& c = FImages[FSelected];
                SetViewXY(c.Left - FHorizBorder, c.Top - FVertBorder);
            }
            break;
        case VK_RIGHT:
            if (sel < 0) return;
            SetSelectedImage(sel + 1);
            if (Valid(FSelected) && !whollyVisible()) {
                const TEntry& c = FImages[FSelected];
                SetViewXY(c.Left + FThumbWidth + FHorizBorder - clientW, c.Top + FThumbHeight + FVertBorder - clientH);
            }
            break;
        case VK_UP:
            if (sel < 0) return;
            SetSelectedImage(FGridWidth != 0 ? std::max(sel - columns, 0) : sel - 1);
            scrollUp();
            break;
        case VK_DOWN:
            if (sel < 0) return;
            SetSelectedImage(FGridWidth != 0 ? std::min(sel + columns, count - 1) : sel + 1);
            scrollDown();
            break;
        case VK_NEXT:
            if (sel < 0) return;
            SetSelectedImage(sel + rowsPerPage);
            scrollDown();
            break;
        case VK_PRIOR:
            if (sel < 0) return;
            SetSelectedImage(sel - rowsPerPage);
            scrollUp();
            break;
        default: return;
    }
    Update();
}
