// TBitmap: one block of pixels (top row first, rows padded to 4 bytes, 24-bit blue-green-red or
// 1-bit with set bits white), its canvas, pixel-format conversion and the Windows BMP codec.

#include <algorithm>
#include <cstring>

#include "framework/byte_order.h"
#include "framework/dib_reader.h"
#include "framework/graphics.h"
#include "framework/gdi/gdi_objects.h"
#include "framework/resources.h"
#include "framework/stream.h"

using lumora_gdi::BitmapOf;
using lumora_gdi::NearestIsWhite;
using lumora_gdi::RgbOf;

Integer BytesPerScanline(Integer PixelsPerScanline, Integer BitsPerPixel, Integer Alignment) {
    if (Alignment <= 0) Alignment = 32;
    const int64_t bits = int64_t(PixelsPerScanline) * BitsPerPixel;
    return Integer(((bits + Alignment - 1) / Alignment) * (Alignment / 8));
}

// The canvas of a bitmap: a memory device context with the bitmap's pixels selected.
class TBitmapCanvas : public TCanvas {
    LUMORA_CLASS(TBitmapCanvas, TCanvas)
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
    ~TBitmapCanvas() override {
        HDC dc = CurrentHandle();
        SetHandle(nullptr);
        if (dc) DeleteDC(dc);
    }
    // Selects the bitmap's pixel block again (after the bitmap took another handle).
    void Rebind() {
        if (HDC dc = CurrentHandle()) SelectObject(dc, FBitmap->FImage);
    }

protected:
    void CreateHandle() override {
        HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, FBitmap->FImage);
        SetHandle(dc);
    }

private:
    TBitmap* FBitmap;
};

namespace {

// A pixel block of a bitmap, device-independent unless said otherwise. Raises the framework's
// exceptions for a size that cannot be had.
HBITMAP NewBlock(int w, int h, int bpp, uint32_t fill, bool dib = true) {
    HBITMAP b = CreateBitmap(0, 0, 1, 24, nullptr);
    try {
        BitmapOf(b)->Allocate(w, h, bpp, fill);
    } catch (...) {
        DeleteObject(b);
        throw;
    }
    BitmapOf(b)->dib = dib;
    return b;
}

[[noreturn]] void InvalidBitmap() {
    throw EInvalidGraphic("Bitmap image is not valid");
}


// Run-length data onto a pixel block, the first row stored at the bottom.
class TBlockRuns : public TDibRunSink {
public:
    TBlockRuns(const lumora_gdi::Surface& Surface, const TDibRowFormat& Format) : FSurface(Surface), FFormat(Format) {}
    void Span(int Row, int X, const uint8_t* Indexes, int Count) override {
        const int y = FSurface.height - 1 - Row;
        for (int i = 0; i < Count; ++i) lumora_gdi::WritePixel(FSurface, X + i, y, FFormat.Colour(Indexes[i]));
    }

private:
    const lumora_gdi::Surface& FSurface;
    const TDibRowFormat& FFormat;
};

// Decodes a device-independent bitmap (header at dib, pixels at pix) into a new pixel block.
HBITMAP DecodeDib(const uint8_t* dib, size_t dibSize, const uint8_t* pix, size_t pixSize) {
    TDibBlock d;
    if (DibReadBlock(dib, dibSize, pix, pixSize, d) != TDibError::None) InvalidBitmap();
    const TDibHeader& h = d.Header;
    const TDibRowFormat& f = d.Format;
    const int w = int(h.Width), ht = int(h.Height), bpp = h.BitCount;
    if (h.Empty()) return NewBlock(0, 0, bpp == 1 ? 1 : 24, 0xFFFFFF);

    // A 1-bit bitmap stays one when its colours are black and white.
    const bool blackWhite = bpp == 1 && f.PaletteCount >= 2 && f.Colour(0) == 0 && f.Colour(1) == 0xFFFFFF;
    const bool whiteBlack = bpp == 1 && f.PaletteCount >= 2 && f.Colour(0) == 0xFFFFFF && f.Colour(1) == 0;
    const bool mono = bpp == 1 && (blackWhite || whiteBlack || f.PaletteCount < 2);
    // Pixels run-length data leaves out show the first colour.
    HBITMAP out = NewBlock(w, ht, mono ? 1 : 24, h.RunLength() ? f.Colour(0) : 0);
    HBITMAP__* b = BitmapOf(out);
    const lumora_gdi::Surface s = b->surface();
    try {
        if (h.RunLength()) {
            TBlockRuns runs(s, f);
            if (!DibDecodeRunLength(d.Pixels, d.PixelBytes, w, ht, h.Compression == BI_RLE4, false, runs))
                InvalidBitmap();
            return out;
        }
        const size_t rowBytes = h.RowBytes();
        for (int y = 0; y < ht; ++y) {
            const uint8_t* row = d.Pixels + rowBytes * size_t(h.TopDown ? y : ht - 1 - y);
            uint8_t* dst = s.row(y);
            if (mono) {
                std::memcpy(dst, row, size_t((w + 7) / 8));
                if (whiteBlack)
                    for (int i = 0; i < (w + 7) / 8; ++i) dst[i] = uint8_t(~dst[i]);
            } else {
                DibDecodeRowBGR(f, row, w, dst);
            }
        }
    } catch (...) {
        DeleteObject(out);
        throw;
    }
    return out;
}

}  // namespace

TBitmap::TBitmap() : FImage(NewBlock(0, 0, 24, 0xFFFFFF)) {}

TBitmap::~TBitmap() {
    if (FCanvas) FCanvas->Free();
    if (FMaskHandle) DeleteObject(FMaskHandle);
    DeleteObject(FImage);
}

bool TBitmap::GetEmpty() {
    const HBITMAP__* b = BitmapOf(FImage);
    return b->width == 0 || b->height == 0;
}

Integer TBitmap::GetWidth() {
    return BitmapOf(FImage)->width;
}

Integer TBitmap::GetHeight() {
    return BitmapOf(FImage)->height;
}

void TBitmap::SetWidth(Integer Value) {
    SetSize(Value, GetHeight());
}

void TBitmap::SetHeight(Integer Value) {
    SetSize(GetWidth(), Value);
}

TColor TBitmap::FillColor() {
    return FCanvas ? FCanvas->GetBrush()->GetColor() : clWhite;
}

void TBitmap::NewImage(Integer W, Integer H, TPixelFormat PF, bool KeepPixels, TColor Fill) {
    HBITMAP__* old = BitmapOf(FImage);
    const int bpp = PF == pf1bit ? 1 : 24;
    W = std::max(0, W);
    H = std::max(0, H);
    const uint32_t fill = RgbOf(COLORREF(ColorToRGB(Fill)));
    HBITMAP fresh = NewBlock(W, H, bpp, fill, FHandleType == bmDIB);
    HBITMAP__* nb = BitmapOf(fresh);
    if (KeepPixels) {
        const int w = std::min(W, old->width), h = std::min(H, old->height);
        const lumora_gdi::Surface src = old->surface(), dst = nb->surface();
        if (w > 0 && h > 0) {
            if (old->bpp == bpp && bpp == 24) {
                for (int y = 0; y < h; ++y) std::memcpy(dst.row(y), src.row(y), size_t(w) * 3);
            } else {
                // Pixel by pixel: between formats, and for the bits of a partial byte.
                std::vector<uint32_t> row(static_cast<size_t>(w));
                for (int y = 0; y < h; ++y) {
                    lumora_gdi::ReadSpan(src, 0, y, w, row.data());
                    lumora_gdi::WriteSpan(dst, 0, y, w, row.data());
                }
            }
        }
    }
    // The block changes in place, so handles and device contexts that hold it stay valid.
    old->SwapPixels(*nb);
    DeleteObject(fresh);
    Changed(this);
}

void TBitmap::SetSize(Integer AWidth, Integer AHeight) {
    if (AWidth == GetWidth() && AHeight == GetHeight()) return;
    NewImage(AWidth, AHeight, GetPixelFormat(), true, FillColor());
}

void TBitmap::SetTransparent(bool Value) {
    TGraphic::SetTransparent(Value);
}

TPixelFormat TBitmap::GetPixelFormat() {
    return BitmapOf(FImage)->bpp == 1 ? pf1bit : pf24bit;
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
    const TPixelFormat target = Value == pf1bit ? pf1bit : pf24bit;
    if (target == GetPixelFormat()) return;
    NewImage(GetWidth(), GetHeight(), target, true, FillColor());
}

bool TBitmap::GetMonochrome() {
    return GetPixelFormat() == pf1bit;
}

void TBitmap::SetMonochrome(bool Value) {
    // A monochrome bitmap made this way is device-dependent, as the framework makes it.
    if (Value) SetHandleType(bmDDB);
    SetPixelFormat(Value ? pf1bit : pf24bit);
}

void TBitmap::SetHandleType(TBitmapHandleType Value) {
    FHandleType = Value;
    BitmapOf(FImage)->dib = Value == bmDIB;
}

void* TBitmap::ScanLine(Integer Row) {
    HBITMAP__* b = BitmapOf(FImage);
    if (Row < 0 || Row >= b->height) throw EInvalidGraphicOperation("Scan line index out of range");
    return b->bits.data() + size_t(Row) * size_t(b->stride);
}

TCanvas* TBitmap::GetCanvas() {
    if (!FCanvas) {
        FCanvas = new TBitmapCanvas(this);
        FCanvas->OnChange = [this](TObject* s) { Changed(s); };
    }
    return FCanvas;
}

HBITMAP TBitmap::GetHandle() {
    return FImage;
}

void TBitmap::SetHandle(HBITMAP Value) {
    if (!BitmapOf(Value) || Value == FImage) return;
    HBITMAP old = FImage;
    FImage = Value;
    FHandleType = BitmapOf(Value)->dib ? bmDIB : bmDDB;
    if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas)->Rebind();
    DeleteObject(old);
    Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
    HBITMAP__* b = BitmapOf(FImage);
    HBITMAP copy = NewBlock(0, 0, b->bpp, 0, b->dib);
    BitmapOf(copy)->CopyPixels(*b);
    return copy;
}

HBITMAP TBitmap::GetMaskHandle() {
    const TColor key = GetTransparentColor();
    if (FMaskHandle && FMaskColor == key) return FMaskHandle;
    if (FMaskHandle) DeleteObject(FMaskHandle);
    HBITMAP__* b = BitmapOf(FImage);
    FMaskHandle = NewBlock(b->width, b->height, 1, 0, false);
    FMaskColor = key;
    const lumora_gdi::Surface src = b->surface(), dst = BitmapOf(FMaskHandle)->surface();
    const uint32_t k =
        b->bpp == 1 ? lumora_gdi::ToMono(RgbOf(COLORREF(ColorToRGB(key)))) : RgbOf(COLORREF(ColorToRGB(key)));
    std::vector<uint32_t> row(size_t(b->width));
    for (int y = 0; y < b->height; ++y) {
        lumora_gdi::ReadSpan(src, 0, y, b->width, row.data());
        for (auto& v : row) v = v == k ? 0xFFFFFF : 0;
        lumora_gdi::WriteSpan(dst, 0, y, b->width, row.data());
    }
    return FMaskHandle;
}

HBITMAP TBitmap::ReleaseMaskHandle() {
    HBITMAP m = GetMaskHandle();
    FMaskHandle = nullptr;
    return m;
}

void TBitmap::Mask(TColor TransparentColor) {
    SetTransparentColor(TransparentColor);
    HBITMAP m = ReleaseMaskHandle();
    BitmapOf(FImage)->SwapPixels(*BitmapOf(m));
    DeleteObject(m);
    FHandleType = bmDDB;
    Changed(this);
}

TColor TBitmap::GetTransparentColor() {
    if (FTransparentColor != clDefault) return FTransparentColor;
    if (GetMonochrome()) return clWhite;
    if (GetEmpty()) return clDefault;
    HBITMAP__* b = BitmapOf(FImage);
    const uint32_t rgb = lumora_gdi::ReadPixel(b->surface(), 0, b->height - 1);
    return TColor(lumora_gdi::ColorRefOf(rgb) | 0x02000000);
}

void TBitmap::SetTransparentColor(TColor Value) {
    if (Value == FTransparentColor) return;
    FTransparentColor = Value;
    FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
    Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
    if (Value == FTransparentMode) return;
    if (Value == tmAuto) SetTransparentColor(clDefault);
    else SetTransparentColor(GetTransparentColor());
}

void TBitmap::Changed(TObject* Sender) {
    if (FMaskHandle) {
        DeleteObject(FMaskHandle);
        FMaskHandle = nullptr;
    }
    TGraphic::Changed(Sender);
}

void TBitmap::Assign(TPersistent* Source) {
    if (!Source) {
        NewImage(0, 0, GetPixelFormat(), false, clWhite);
        return;
    }
    if (auto* src = dynamic_cast<TBitmap*>(Source)) {
        if (src == this) return;
        BitmapOf(FImage)->CopyPixels(*BitmapOf(src->FImage));
        FHandleType = src->FHandleType;
        FTransparentColor = src->FTransparentColor;
        FTransparentMode = src->FTransparentMode;
        FTransparent = src->FTransparent;
        Changed(this);
        return;
    }
    if (auto* pic = dynamic_cast<TPicture*>(Source)) {
        Assign(pic->GetGraphic());
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        NewImage(g->GetWidth(), g->GetHeight(), pf24bit, false, FillColor());
        GetCanvas()->Draw(0, 0, g);
        return;
    }
    TGraphic::Assign(Source);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (GetEmpty()) return;
    HDC dst = ACanvas->GetHandle();
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(src, FImage);
    const int oldMode = GetStretchBltMode(dst);
    if (!GetMonochrome() && oldMode != HALFTONE) SetStretchBltMode(dst, COLORONCOLOR);
    const int w = GetWidth(), h = GetHeight();
    if (GetTransparent()) {
        const TColor key = GetTransparentColor();
        TransparentBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, w, h,
                       COLORREF(ColorToRGB(key)) & 0xFFFFFF);
    } else {
        StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, w, h,
                   DWORD(ACanvas->GetCopyMode()));
    }
    SetStretchBltMode(dst, oldMode);
    SelectObject(src, old);
    DeleteDC(src);
}

void TBitmap::LoadFromBytes(const void* Data, size_t Size) {
    const auto* p = static_cast<const uint8_t*>(Data);
    if (!p || Size < 14 + 12 || p[0] != 'B' || p[1] != 'M') InvalidBitmap();
    const uint32_t off = LoadLE32(p + 10);
    const uint8_t* dib = p + 14;
    const size_t dibSize = Size - 14;
    TDibHeader h;
    DibReadHeader(dib, dibSize, h);
    size_t pixAt = off;
    if (pixAt < 14 + std::min<size_t>(h.HeaderSize, dibSize) || pixAt > Size) {
        // A broken offset: the pixels follow the header and the colour table.
        if (14 + h.PixelsAt() > Size) InvalidBitmap();
        pixAt = size_t(14 + h.PixelsAt());
    }
    HBITMAP fresh = DecodeDib(dib, dibSize, p + pixAt, Size - pixAt);
    BitmapOf(FImage)->SwapPixels(*BitmapOf(fresh));
    DeleteObject(fresh);
    FHandleType = bmDIB;
    Changed(this);
}

std::vector<Byte> TBitmap::SaveToBytes() {
    HBITMAP__* b = BitmapOf(FImage);
    const bool mono = b->bpp == 1;
    const size_t palBytes = mono ? 8 : 0;
    const size_t rowBytes = size_t(DibRowBytes(b->width, b->bpp));
    const size_t pixBytes = rowBytes * size_t(b->height);
    const size_t off = 14 + 40 + palBytes;
    std::vector<Byte> v(off + pixBytes, 0);
    v[0] = 'B';
    v[1] = 'M';
    StoreLE32(v.data() + 2, uint32_t(v.size()));
    StoreLE32(v.data() + 10, uint32_t(off));
    StoreLE32(v.data() + 14, 40);
    StoreLE32(v.data() + 18, uint32_t(b->width));
    StoreLE32(v.data() + 22, uint32_t(b->height));
    StoreLE16(v.data() + 26, 1);
    StoreLE16(v.data() + 28, uint16_t(b->bpp));
    StoreLE32(v.data() + 30, BI_RGB);
    StoreLE32(v.data() + 34, uint32_t(pixBytes));
    if (mono) {
        // Palette: black, white.
        v[58] = v[59] = v[60] = 0xFF;
    }
    for (int y = 0; y < b->height; ++y)
        std::memcpy(v.data() + off + rowBytes * size_t(b->height - 1 - y),
                    b->bits.data() + size_t(y) * size_t(b->stride), rowBytes);
    return v;
}

void TBitmap::LoadFromStream(TStream* Stream) {
    Byte fh[14];
    Stream->ReadBuffer(fh, sizeof fh);
    const uint32_t size = LoadLE32(fh + 2);
    const Int64 rest = Stream->GetSize() - Stream->GetPosition();
    const Int64 need = (size > 14 && Int64(size) - 14 <= rest) ? Int64(size) - 14 : rest;
    std::vector<Byte> data(size_t(14 + std::max<Int64>(0, need)));
    std::memcpy(data.data(), fh, 14);
    if (need > 0) Stream->ReadBuffer(data.data() + 14, need);
    LoadFromBytes(data.data(), data.size());
}

void TBitmap::SaveToStream(TStream* Stream) {
    const std::vector<Byte> v = SaveToBytes();
    Stream->WriteBuffer(v.data(), Int64(v.size()));
}

void TBitmap::LoadFromResourceName(void* Instance, const std::string& ResName) {
    if (!LoadBitmapResource(ResName, this)) throw EResNotFound("Resource " + ResName + " not found");
}

void TBitmap::LoadFromResourceID(void* Instance, Integer ResID) {
    LoadFromResourceName(Instance, "#" + std::to_string(ResID));
}

void TGraphic::LoadFromFile(const std::string& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const std::string& FileName) {
    TFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}
