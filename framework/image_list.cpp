// Image lists: images with masks kept as pixels, drawn through the device-context calls.

#include "framework/image_list.h"

#include <algorithm>

#include "framework/drag_image.h"

std::function<TPoint(void* Window)> TCustomImageList::WindowOrigin;

namespace {

// The pixel of a 24-bit or 1-bit bitmap as 0x00RRGGBB.
uint32_t RgbAt(TBitmap* b, int x, int y) {
    const auto* row = static_cast<const Byte*>(b->ScanLine(y));
    if (b->GetPixelFormat() == pf1bit) return (row[x >> 3] & (0x80 >> (x & 7))) ? 0xFFFFFF : 0;
    return (uint32_t(row[x * 3 + 2]) << 16) | (uint32_t(row[x * 3 + 1]) << 8) | row[x * 3];
}

uint32_t RgbOfColor(TColor c) {
    const uint32_t v = uint32_t(ColorToRGB(c)) & 0xFFFFFF;
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

uint32_t Mix(uint32_t a, uint32_t b, int percentB) {
    auto ch = [&](int s) {
        const int ca = int((a >> s) & 0xFF), cb = int((b >> s) & 0xFF);
        return uint32_t((ca * (100 - percentB) + cb * percentB + 50) / 100) << s;
    };
    return ch(16) | ch(8) | ch(0);
}

// A 24-bit bitmap handle from 0x00RRGGBB pixels.
HBITMAP ColourBitmap(int w, int h, const std::vector<uint32_t>& px) {
    std::vector<uint8_t> bits(size_t(w) * size_t(h) * 4);
    for (size_t i = 0; i < px.size(); ++i) {
        bits[i * 4] = uint8_t(px[i]);
        bits[i * 4 + 1] = uint8_t(px[i] >> 8);
        bits[i * 4 + 2] = uint8_t(px[i] >> 16);
    }
    return CreateBitmap(w, h, 1, 32, bits.data());
}

// A monochrome bitmap handle, set where flags are non-zero.
HBITMAP MaskBitmap(int w, int h, const std::vector<uint8_t>& flags) {
    const int stride = ((w + 15) / 16) * 2;
    std::vector<uint8_t> bits(size_t(stride) * size_t(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (flags[size_t(y) * size_t(w) + size_t(x)])
                bits[size_t(y) * size_t(stride) + size_t(x >> 3)] |= uint8_t(0x80 >> (x & 7));
    return CreateBitmap(w, h, 1, 1, bits.data());
}

// Copies pixels onto a device context where keep is zero.
void Put(HDC dst, int x, int y, int w, int h, const std::vector<uint32_t>& px,
         const std::vector<uint8_t>& transparent) {
    HBITMAP colour = ColourBitmap(w, h, px);
    HBITMAP mask = MaskBitmap(w, h, transparent);
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(src, colour);
    // Where the mask is set the destination stays; elsewhere the image is copied.
    MaskBlt(dst, x, y, w, h, src, 0, 0, mask, 0, 0, MAKEROP4(0x00AA0029, SRCCOPY));
    SelectObject(src, old);
    DeleteDC(src);
    DeleteObject(colour);
    DeleteObject(mask);
}

}  // namespace

TChangeLink::~TChangeLink() {
    if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
    if (OnChange) OnChange(FSender);
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList* TCustomImageList::CreateSize(Integer AWidth, Integer AHeight) {
    auto* list = Create<TCustomImageList>(nullptr);
    list->FWidth = std::max(1, AWidth);
    list->FHeight = std::max(1, AHeight);
    return list;
}

TCustomImageList::~TCustomImageList() {
    if (FDragging) EndDrag();
    while (!FLinks.empty()) UnRegisterChanges(FLinks.back());
}

void TCustomImageList::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TCustomImageList*>(Source);
    if (!src) {
        TComponent::Assign(Source);
        return;
    }
    if (src == this) return;
    FImages = src->FImages;
    FWidth = src->FWidth;
    FHeight = src->FHeight;
    FBkColor = src->FBkColor;
    FBlendColor = src->FBlendColor;
    FDrawingStyle = src->FDrawingStyle;
    FImageType = src->FImageType;
    FMasked = src->FMasked;
    std::copy(std::begin(src->FOverlays), std::end(src->FOverlays), std::begin(FOverlays));
    Change();
}

std::vector<TCustomImageList::Entry> TCustomImageList::Split(
    TBitmap* Image, const std::function<bool(int x, int y, uint32_t rgb)>& transparent) {
    std::vector<Entry> out;
    if (!Image || Image->GetEmpty()) return out;
    const int iw = Image->GetWidth(), ih = Image->GetHeight();
    const int count = std::max(1, iw / FWidth);
    for (int k = 0; k < count; ++k) {
        Entry e;
        e.color.assign(size_t(FWidth) * size_t(FHeight), 0);
        e.mask.assign(size_t(FWidth) * size_t(FHeight), 1);
        for (int y = 0; y < std::min(FHeight, ih); ++y)
            for (int x = 0; x < FWidth; ++x) {
                const int sx = k * FWidth + x;
                if (sx >= iw) break;
                const uint32_t rgb = RgbAt(Image, sx, y);
                const size_t i = size_t(y) * size_t(FWidth) + size_t(x);
                e.color[i] = rgb;
                e.mask[i] = transparent(sx, y, rgb) ? 1 : 0;
            }
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<TCustomImageList::Entry> TCustomImageList::FromBitmap(TBitmap* Image, TBitmap* Mask) {
    return Split(Image, [&](int x, int y, uint32_t) {
        if (!Mask || Mask->GetEmpty() || x >= Mask->GetWidth() || y >= Mask->GetHeight()) return false;
        return RgbAt(Mask, x, y) == 0xFFFFFF;
    });
}

std::vector<TCustomImageList::Entry> TCustomImageList::FromMasked(TBitmap* Image, TColor MaskColor) {
    if (!Image || Image->GetEmpty()) return {};
    const bool none = MaskColor == clNone;
    const uint32_t key = MaskColor == clDefault ? RgbAt(Image, 0, 0) : RgbOfColor(MaskColor);
    return Split(Image, [&](int, int, uint32_t rgb) { return !none && rgb == key; });
}

TCustomImageList::Entry TCustomImageList::FromIcon(TIcon* Icon) {
    Entry e;
    e.color.assign(size_t(FWidth) * size_t(FHeight), 0);
    e.mask.assign(size_t(FWidth) * size_t(FHeight), 1);
    if (!Icon || Icon->GetEmpty()) return e;
    TBitmap colour, mask;
    colour.SetSize(FWidth, FHeight);
    mask.SetSize(FWidth, FHeight);
    DrawIconEx(colour.GetCanvas()->GetHandle(), 0, 0, Icon->GetHandle(), FWidth, FHeight, 0, nullptr, DI_IMAGE);
    DrawIconEx(mask.GetCanvas()->GetHandle(), 0, 0, Icon->GetHandle(), FWidth, FHeight, 0, nullptr, DI_MASK);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            const size_t i = size_t(y) * size_t(FWidth) + size_t(x);
            e.color[i] = RgbAt(&colour, x, y);
            e.mask[i] = RgbAt(&mask, x, y) == 0xFFFFFF;
        }
    return e;
}

Integer TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
    std::vector<Entry> add = FromBitmap(Image, Mask);
    if (add.empty()) return -1;
    const Integer first = GetCount();
    FImages.insert(FImages.end(), add.begin(), add.end());
    Change();
    return first;
}

Integer TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
    std::vector<Entry> add = FromMasked(Image, MaskColor);
    if (add.empty()) return -1;
    const Integer first = GetCount();
    FImages.insert(FImages.end(), add.begin(), add.end());
    Change();
    return first;
}

Integer TCustomImageList::AddIcon(TIcon* Image) {
    if (!Image || Image->GetEmpty()) return -1;
    FImages.push_back(FromIcon(Image));
    Change();
    return GetCount() - 1;
}

void TCustomImageList::AddImages(TCustomImageList* Value) {
    if (!Value || Value == this) return;
    for (Integer i = 0; i < Value->GetCount(); ++i) {
        TBitmap image;
        image.SetSize(FWidth, FHeight);
        Value->GetBitmap(i, &image);
        TBitmap mask;
        mask.SetSize(FWidth, FHeight);
        Value->Draw(mask.GetCanvas(), 0, 0, i, dsNormal, itMask);
        FImages.push_back(FromBitmap(&image, &mask).front());
    }
    Change();
}

void TCustomImageList::CheckIndex(Integer Index) const {
    if (Index < 0 || Index >= GetCount()) throw EInvalidOperation("Invalid ImageList Index");
}

void TCustomImageList::Insert(Integer Index, TBitmap* Image, TBitmap* Mask) {
    if (Index < 0 || Index > GetCount()) throw EInvalidOperation("Invalid ImageList Index");
    std::vector<Entry> add = FromBitmap(Image, Mask);
    FImages.insert(FImages.begin() + Index, add.begin(), add.end());
    Change();
}

void TCustomImageList::InsertMasked(Integer Index, TBitmap* Image, TColor MaskColor) {
    if (Index < 0 || Index > GetCount()) throw EInvalidOperation("Invalid ImageList Index");
    std::vector<Entry> add = FromMasked(Image, MaskColor);
    FImages.insert(FImages.begin() + Index, add.begin(), add.end());
    Change();
}

void TCustomImageList::InsertIcon(Integer Index, TIcon* Image) {
    if (Index < 0 || Index > GetCount()) throw EInvalidOperation("Invalid ImageList Index");
    FImages.insert(FImages.begin() + Index, FromIcon(Image));
    Change();
}

void TCustomImageList::Replace(Integer Index, TBitmap* Image, TBitmap* Mask) {
    CheckIndex(Index);
    std::vector<Entry> e = FromBitmap(Image, Mask);
    if (e.empty()) return;
    FImages[size_t(Index)] = e.front();
    Change();
}

void TCustomImageList::ReplaceMasked(Integer Index, TBitmap* NewImage, TColor MaskColor) {
    CheckIndex(Index);
    std::vector<Entry> e = FromMasked(NewImage, MaskColor);
    if (e.empty()) return;
    FImages[size_t(Index)] = e.front();
    Change();
}

void TCustomImageList::ReplaceIcon(Integer Index, TIcon* Image) {
    CheckIndex(Index);
    FImages[size_t(Index)] = FromIcon(Image);
    Change();
}

void TCustomImageList::Delete(Integer Index) {
    CheckIndex(Index);
    FImages.erase(FImages.begin() + Index);
    Change();
}

void TCustomImageList::Move(Integer CurIndex, Integer NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    Entry e = std::move(FImages[size_t(CurIndex)]);
    FImages.erase(FImages.begin() + CurIndex);
    FImages.insert(FImages.begin() + NewIndex, std::move(e));
    Change();
}

void TCustomImageList::Clear() {
    FImages.clear();
    Change();
}

bool TCustomImageList::ResourceLoad(TResType ResType, const std::string& Name, TColor MaskColor) {
    if (ResType != rtBitmap) return false;
    TBitmap b;
    if (!LoadBitmapResource(Name, &b)) return false;
    AddMasked(&b, MaskColor);
    return true;
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled) {
    Draw(Canvas, X, Y, Index, FDrawingStyle, FImageType, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, bool Enabled) {
    if (!Canvas || Index < 0 || Index >= GetCount()) return;
    DoDraw(Index, Canvas, X, Y, ADrawingStyle, AImageType, Enabled);
}

void TCustomImageList::DoDraw(Integer Index, TCanvas* Canvas, Integer X, Integer Y, TDrawingStyle Style,
                              TImageType Type, bool Enabled) {
    const Entry& e = FImages[size_t(Index)];
    HDC dc = Canvas->GetHandle();
    const size_t n = e.color.size();
    std::vector<uint32_t> px(n);
    std::vector<uint8_t> transparent(n, 0);
    if (Type == itMask) {
        for (size_t i = 0; i < n; ++i) px[i] = e.mask[i] ? 0xFFFFFF : 0;
        Put(dc, X, Y, FWidth, FHeight, px, transparent);
        return;
    }
    if (!Enabled) {
        // Embossed: the pixels that are neither masked nor white, in highlight one pixel down and
        // right, then in shadow.
        std::vector<uint8_t> notInk(n);
        for (size_t i = 0; i < n; ++i) notInk[i] = (FMasked && e.mask[i]) || e.color[i] == 0xFFFFFF;
        std::fill(px.begin(), px.end(), RgbOfColor(clBtnHighlight));
        Put(dc, X + 1, Y + 1, FWidth, FHeight, px, notInk);
        std::fill(px.begin(), px.end(), RgbOfColor(clBtnShadow));
        Put(dc, X, Y, FWidth, FHeight, px, notInk);
        return;
    }
    const bool blend = Style == dsFocus || Style == dsSelected;
    const uint32_t blendColour =
        (FBlendColor == clNone || FBlendColor == clDefault) ? RgbOfColor(clHighlight) : RgbOfColor(FBlendColor);
    const bool fillBack = Style != dsTransparent && FBkColor != clNone;
    for (size_t i = 0; i < n; ++i) {
        const bool masked = FMasked && e.mask[i];
        if (masked) {
            if (fillBack) px[i] = RgbOfColor(FBkColor);
            else transparent[i] = 1;
            continue;
        }
        px[i] = blend ? Mix(e.color[i], blendColour, Style == dsSelected ? 50 : 25) : e.color[i];
    }
    Put(dc, X, Y, FWidth, FHeight, px, transparent);
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, TOverlay Overlay,
                                   bool Enabled) {
    DrawOverlay(Canvas, X, Y, ImageIndex, Overlay, FDrawingStyle, FImageType, Enabled);
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, TOverlay Overlay,
                                   TDrawingStyle ADrawingStyle, TImageType AImageType, bool Enabled) {
    Draw(Canvas, X, Y, ImageIndex, ADrawingStyle, AImageType, Enabled);
    if (Overlay >= 0 && Overlay < 4 && FOverlays[Overlay] >= 0)
        Draw(Canvas, X, Y, FOverlays[Overlay], ADrawingStyle, AImageType, Enabled);
}

bool TCustomImageList::Overlay(Integer ImageIndex, TOverlay Overlay) {
    if (Overlay < 0 || Overlay > 3 || ImageIndex < 0 || ImageIndex >= GetCount()) return false;
    FOverlays[Overlay] = ImageIndex;
    return true;
}

void TCustomImageList::GetBitmap(Integer Index, TBitmap* Image) {
    if (!Image || Index < 0 || Index >= GetCount()) return;
    Image->SetSize(FWidth, FHeight);
    Draw(Image->GetCanvas(), 0, 0, Index);
}

void TCustomImageList::GetIcon(Integer Index, TIcon* Image) {
    if (!Image || Index < 0 || Index >= GetCount()) return;
    const Entry& e = FImages[size_t(Index)];
    std::vector<uint32_t> px(e.color.size());
    for (size_t i = 0; i < px.size(); ++i) px[i] = e.mask[i] && FMasked ? 0 : e.color[i];
    ICONINFO info;
    info.fIcon = true;
    info.hbmColor = ColourBitmap(FWidth, FHeight, px);
    std::vector<uint8_t> m(e.mask.size());
    for (size_t i = 0; i < m.size(); ++i) m[i] = FMasked && e.mask[i];
    info.hbmMask = MaskBitmap(FWidth, FHeight, m);
    Image->SetHandle(CreateIconIndirect(&info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
    if (!Value || std::find(FLinks.begin(), FLinks.end(), Value) != FLinks.end()) return;
    Value->SetSender(this);
    FLinks.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
    auto it = std::find(FLinks.begin(), FLinks.end(), Value);
    if (it == FLinks.end()) return;
    (*it)->SetSender(nullptr);
    FLinks.erase(it);
}

void TCustomImageList::BeginUpdate() {
    ++FUpdateCount;
}

void TCustomImageList::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged) Change();
}

void TCustomImageList::Change() {
    FChanged = true;
    if (FUpdateCount > 0) return;
    FChanged = false;
    const std::vector<TChangeLink*> links = FLinks;
    for (TChangeLink* l : links)
        if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end()) l->Change();
    if (OnChange) OnChange(this);
}

void TCustomImageList::SetWidth(Integer Value) {
    if (Value <= 0 || Value == FWidth) return;
    FWidth = Value;
    FImages.clear();
    Change();
}

void TCustomImageList::SetHeight(Integer Value) {
    if (Value <= 0 || Value == FHeight) return;
    FHeight = Value;
    FImages.clear();
    Change();
}

void TCustomImageList::SetBkColor(TColor Value) {
    if (Value == FBkColor) return;
    FBkColor = Value;
    Change();
}

void TCustomImageList::SetBlendColor(TColor Value) {
    if (Value == FBlendColor) return;
    FBlendColor = Value;
    Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
    if (Value == FDrawingStyle) return;
    FDrawingStyle = Value;
    Change();
}

void TCustomImageList::SetImageType(TImageType Value) {
    if (Value == FImageType) return;
    FImageType = Value;
    Change();
}

void TCustomImageList::SetMasked(bool Value) {
    if (Value == FMasked) return;
    FMasked = Value;
    Change();
}

// ---------------------------------------------------------------------------------------------
// The drag image

TPoint TCustomImageList::DragScreenPoint(Integer X, Integer Y) const {
    TPoint origin;
    if (FDragWindow && WindowOrigin) origin = WindowOrigin(FDragWindow);
    return TPoint(origin.X + X - FDragHotspot.X, origin.Y + Y - FDragHotspot.Y);
}

void TCustomImageList::UpdateDragImage() {
    if (FDragIndex < 0 || FDragIndex >= GetCount()) return;
    const Entry& e = FImages[size_t(FDragIndex)];
    std::vector<uint32_t> argb(e.color.size());
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = (FMasked && e.mask[i]) ? 0u : (0xFF000000u | e.color[i]);
    lumora_gdi::DragImageSet(FWidth, FHeight, argb);
}

bool TCustomImageList::SetDragImage(Integer Index, Integer HotSpotX, Integer HotSpotY) {
    if (Index < 0 || Index >= GetCount()) return false;
    FDragIndex = Index;
    FDragHotspot = TPoint(HotSpotX, HotSpotY);
    if (FDragging) {
        UpdateDragImage();
        lumora_gdi::DragImageMoveTo(DragScreenPoint(FDragPos.X, FDragPos.Y));
    }
    return true;
}

bool TCustomImageList::BeginDrag(void* Window, Integer X, Integer Y) {
    if (FDragIndex < 0 || FDragIndex >= GetCount()) return false;
    if (!FDragging) UpdateDragImage();
    if (!DragLock(Window, X, Y)) return false;
    FDragging = true;
    return true;
}

bool TCustomImageList::DragLock(void* Window, Integer XPos, Integer YPos) {
    FDragWindow = Window;
    FDragPos = TPoint(XPos, YPos);
    lumora_gdi::DragImageMoveTo(DragScreenPoint(XPos, YPos));
    lumora_gdi::DragImageShow(true);
    FDragShown = true;
    return true;
}

bool TCustomImageList::DragMove(Integer X, Integer Y) {
    if (!FDragging) return false;
    FDragPos = TPoint(X, Y);
    lumora_gdi::DragImageMoveTo(DragScreenPoint(X, Y));
    return true;
}

void TCustomImageList::DragUnlock() {
    lumora_gdi::DragImageShow(false);
    FDragShown = false;
}

bool TCustomImageList::EndDrag() {
    if (!FDragging) return false;
    lumora_gdi::DragImageEnd();
    FDragging = false;
    FDragShown = false;
    FDragWindow = nullptr;
    return true;
}

void TCustomImageList::ShowDragImage() {
    if (!FDragging) return;
    lumora_gdi::DragImageShow(true);
    FDragShown = true;
}

void TCustomImageList::HideDragImage() {
    if (!FDragging) return;
    lumora_gdi::DragImageShow(false);
    FDragShown = false;
}
