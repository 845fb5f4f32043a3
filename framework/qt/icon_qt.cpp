// TIcon: Windows icon files (classic bitmaps with an AND mask, 32-bit images with alpha, PNG
// entries) and drawing with transparency.

#include <QImage>

#include <algorithm>
#include <cstring>

#include "framework/byte_order.h"
#include "framework/dib_reader.h"
#include "framework/graphics.h"
#include "framework/resources.h"
#include "framework/stream.h"
#include "framework/qt/gdi_backend.h"

using namespace lumora_gdi;

namespace {

[[noreturn]] void InvalidIcon() {
    throw EInvalidGraphic("Icon image is not valid");
}


// One image of an icon file: a PNG stream or a bitmap whose header counts both masks' rows.
HICON__* DecodeImage(const uint8_t* p, size_t n) {
    auto* ic = new HICON__;
    if (n >= 8 && std::memcmp(p, "\x89PNG", 4) == 0) {
        QImage img;
        if (!img.loadFromData(p, qsizetype(n), "PNG")) {
            delete ic;
            InvalidIcon();
        }
        ic->image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ic->hasAlpha = true;
        return ic;
    }
    // A bitmap whose header counts the rows of both masks: the colour rows, then the AND mask.
    TDibHeader hd;
    const bool read = DibReadHeader(p, n, hd) == TDibError::None;
    const int w = int(hd.Width), h = int(hd.Height / 2), bpp = hd.BitCount;
    if (!read || hd.HeaderSize < 40 || hd.TopDown || hd.RunLength() || w <= 0 || h <= 0 || w > 1024 || h > 1024 ||
        bpp == 16 || (bpp <= 8 && hd.PaletteCount > 256) || hd.PixelsAt() > n) {
        delete ic;
        InvalidIcon();
    }
    const TDibRowFormat f = hd.RowFormat(p + hd.PaletteAt, n - hd.PaletteAt);
    const size_t xorAt = size_t(hd.PixelsAt());
    const size_t xorRow = size_t(DibRowBytes(w, bpp)), andRow = size_t(DibRowBytes(w, 1));
    const size_t andAt = xorAt + xorRow * size_t(h);
    if (andAt > n) {
        delete ic;
        InvalidIcon();
    }
    const bool haveAnd = andAt + andRow * size_t(h) <= n;
    QImage xr(w, h, QImage::Format_ARGB32);
    QImage am(w, h, QImage::Format_Mono);
    am.fill(0);
    bool anyAlpha = false;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = p + xorAt + xorRow * size_t(h - 1 - y);
        auto* o = reinterpret_cast<uint32_t*>(xr.scanLine(y));
        DibDecodeRow(f, row, w, o);
        for (int x = 0; x < w; ++x) {
            const uint32_t alpha = bpp == 32 ? row[x * 4 + 3] : 0xFF;
            if (bpp == 32 && alpha) anyAlpha = true;
            o[x] |= alpha << 24;
        }
        if (haveAnd) {
            const uint8_t* arow = p + andAt + andRow * size_t(h - 1 - y);
            for (int x = 0; x < w; ++x)
                if ((arow[x >> 3] >> (7 - (x & 7))) & 1) am.setPixel(x, y, 1);
        }
    }
    if (bpp == 32 && anyAlpha) {
        ic->image = xr.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ic->hasAlpha = true;
        return ic;
    }
    QImage xorRgb(w, h, QImage::Format_RGB32);
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        const auto* s = reinterpret_cast<const uint32_t*>(xr.constScanLine(y));
        auto* c = reinterpret_cast<uint32_t*>(xorRgb.scanLine(y));
        auto* o = reinterpret_cast<uint32_t*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            c[x] = 0xFF000000u | s[x];
            const bool transparent = am.pixelIndex(x, y) != 0;
            o[x] = transparent && (s[x] & 0xFFFFFF) == 0 ? 0u : (0xFF000000u | s[x]);
        }
    }
    ic->andMask = am;
    ic->xorImage = xorRgb;
    ic->image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return ic;
}

// The icon file's directory: the entry nearest 32 x 32, the deepest colour among equals.
HICON__* DecodeIconFile(const uint8_t* p, size_t n) {
    if (n < 6 || LoadLE16(p) != 0 || (LoadLE16(p + 2) != 1 && LoadLE16(p + 2) != 2)) InvalidIcon();
    const int count = LoadLE16(p + 4);
    if (count <= 0 || n < 6 + size_t(count) * 16) InvalidIcon();
    int best = -1, bestScore = 0, bestDepth = -1;
    for (int i = 0; i < count; ++i) {
        const uint8_t* e = p + 6 + size_t(i) * 16;
        const int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
        const uint32_t size = LoadLE32(e + 8), off = LoadLE32(e + 12);
        if (off >= n || size > n - off) continue;
        int depth = LoadLE16(e + 6);
        if (!depth) {
            TDibHeader image;
            DibReadHeader(p + off, size, image);
            depth = image.BitCount;
        }
        const int score = std::abs(w - 32) + std::abs(h - 32);
        if (best < 0 || score < bestScore || (score == bestScore && depth > bestDepth)) {
            best = i;
            bestScore = score;
            bestDepth = depth;
        }
    }
    if (best < 0) InvalidIcon();
    const uint8_t* e = p + 6 + size_t(best) * 16;
    return DecodeImage(p + LoadLE32(e + 12), LoadLE32(e + 8));
}

// One 32-bit image with alpha and its AND mask, as an icon file.
std::vector<Byte> EncodeIcon(HICON__* ic) {
    const QImage img = ic->image.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    const size_t xorRow = size_t(w) * 4, andRow = size_t(DibRowBytes(w, 1));
    const size_t imgBytes = 40 + xorRow * size_t(h) + andRow * size_t(h);
    std::vector<Byte> v(6 + 16 + imgBytes, 0);
    StoreLE16(v.data() + 2, 1);
    StoreLE16(v.data() + 4, 1);
    v[6] = Byte(w >= 256 ? 0 : w);
    v[7] = Byte(h >= 256 ? 0 : h);
    StoreLE16(v.data() + 10, 1);
    StoreLE16(v.data() + 12, 32);
    StoreLE32(v.data() + 14, uint32_t(imgBytes));
    StoreLE32(v.data() + 18, 22);
    const size_t at = 22;
    StoreLE32(v.data() + at, 40);
    StoreLE32(v.data() + at + 4, uint32_t(w));
    StoreLE32(v.data() + at + 8, uint32_t(h * 2));
    StoreLE16(v.data() + at + 12, 1);
    StoreLE16(v.data() + at + 14, 32);
    StoreLE32(v.data() + at + 20, uint32_t(xorRow * size_t(h) + andRow * size_t(h)));
    for (int y = 0; y < h; ++y) {
        const auto* s = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
        Byte* xo = v.data() + at + 40 + xorRow * size_t(h - 1 - y);
        Byte* ao = v.data() + at + 40 + xorRow * size_t(h) + andRow * size_t(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            std::memcpy(xo + x * 4, &s[x], 4);
            if ((s[x] >> 24) == 0) ao[x >> 3] |= Byte(0x80 >> (x & 7));
        }
    }
    return v;
}

}  // namespace

TIcon::TIcon() = default;

TIcon::~TIcon() {
    Clear();
}

void TIcon::Clear() {
    if (FHandle) DestroyIcon(FHandle);
    FHandle = nullptr;
    FData.clear();
}

void TIcon::Assign(TPersistent* Source) {
    if (!Source) {
        Clear();
        Changed(this);
        return;
    }
    if (auto* src = dynamic_cast<TIcon*>(Source)) {
        if (src == this) return;
        Clear();
        FHandle = src->FHandle ? CopyIcon(src->FHandle) : nullptr;
        FData = src->FData;
        Changed(this);
        return;
    }
    TGraphic::Assign(Source);
}

bool TIcon::GetEmpty() {
    return FHandle == nullptr;
}

Integer TIcon::GetHeight() {
    return GetIconSize(FHandle).cy;
}

Integer TIcon::GetWidth() {
    return GetIconSize(FHandle).cx;
}

void TIcon::SetHeight(Integer) {
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetWidth(Integer) {
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

HICON TIcon::GetHandle() {
    return FHandle;
}

void TIcon::SetHandle(HICON Value) {
    if (Value == FHandle) return;
    Clear();
    FHandle = Value;
    Changed(this);
}

HICON TIcon::ReleaseHandle() {
    HICON h = FHandle;
    FHandle = nullptr;
    FData.clear();
    return h;
}

void TIcon::LoadFromBytes(const void* Data, size_t Size) {
    const auto* p = static_cast<const uint8_t*>(Data);
    if (!p) InvalidIcon();
    HICON__* ic = DecodeIconFile(p, Size);
    Clear();
    FHandle = ic;
    FData.assign(p, p + Size);
    Changed(this);
}

std::vector<Byte> TIcon::SaveToBytes() {
    if (!FData.empty()) return FData;
    HICON__* ic = IconOf(FHandle);
    if (!ic) return {};
    return EncodeIcon(ic);
}

void TIcon::LoadFromStream(TStream* Stream) {
    Byte head[6];
    Stream->ReadBuffer(head, 6);
    const int count = head[4] | (head[5] << 8);
    std::vector<Byte> data(head, head + 6);
    data.resize(6 + size_t(count) * 16);
    if (count > 0) Stream->ReadBuffer(data.data() + 6, Int64(count) * 16);
    size_t end = data.size();
    for (int i = 0; i < count; ++i) {
        const Byte* e = data.data() + 6 + size_t(i) * 16;
        end = std::max<size_t>(end, size_t(LoadLE32(e + 12)) + LoadLE32(e + 8));
    }
    const size_t have = data.size();
    const Int64 rest = Stream->GetSize() - Stream->GetPosition();
    if (Int64(end - have) > rest) InvalidIcon();
    data.resize(end);
    if (end > have) Stream->ReadBuffer(data.data() + have, Int64(end - have));
    LoadFromBytes(data.data(), data.size());
}

void TIcon::SaveToStream(TStream* Stream) {
    const std::vector<Byte> v = SaveToBytes();
    if (!v.empty()) Stream->WriteBuffer(v.data(), Int64(v.size()));
}

void TIcon::LoadFromResourceName(void*, const std::string& ResName) {
    HICON h = LoadIcon(HInstance, ResName);
    if (!h) throw EResNotFound("Resource " + ResName + " not found");
    SetHandle(h);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (!FHandle) return;
    DrawIconEx(ACanvas->GetHandle(), Rect.Left, Rect.Top, FHandle, Rect.Width(), Rect.Height(), 0, nullptr, DI_NORMAL);
}
