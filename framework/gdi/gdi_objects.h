#pragma once
// The drawing objects behind the handles of windows_gdi.h that code outside the Qt backend may
// look into (bitmaps for TBitmap), with no Qt types. The rest lives in gdi_backend.h.

#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

#include "framework/gdi/raster.h"
#include "framework/large_blocks.h"
#include "framework/windows_gdi.h"

namespace lumora_gdi {

enum class ObjKind : uint8_t { Pen = 1, Brush = 2, Palette = 5, Font = 6, Bitmap = 7, Region = 8, Icon = 20 };

struct GdiObject {
    static constexpr uint32_t Magic = 0x4C47444Fu;
    explicit GdiObject(ObjKind k) : kind(k) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    uint32_t magic = Magic;
    ObjKind kind;
    bool stock = false;
    std::atomic<bool> deleted{false};
    std::atomic<int> refs{1};  // the creator's reference, dropped by DeleteObject
};

void AddRef(GdiObject* o);
void Release(GdiObject* o);
// The object behind a handle, or null when the handle is not a drawing object.
GdiObject* FromHandle(const void* h);
// The object behind a handle as its type, or null when the handle is not an object of kind k.
template <class T>
T* ObjectAs(const void* h, ObjKind k) {
    GdiObject* o = FromHandle(h);
    return o && o->kind == k ? static_cast<T*>(o) : nullptr;
}

// Keeps an object alive while a device context has it selected or saved.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(T* p) : p_(p) { if (p_) AddRef(p_); }  // NOLINT: implicit on purpose
    Ref(const Ref& o) : p_(o.p_) { if (p_) AddRef(p_); }
    Ref(Ref&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    ~Ref() { if (p_) Release(p_); }
    Ref& operator=(Ref o) noexcept { std::swap(p_, o.p_); return *this; }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

}  // namespace lumora_gdi

struct HPEN__ : lumora_gdi::GdiObject {
    HPEN__() : GdiObject(lumora_gdi::ObjKind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
    // Wide pens: the end cap and join (PS_ENDCAP_*, PS_JOIN_*) and the dashes of a user style.
    DWORD endCap = PS_ENDCAP_ROUND;
    DWORD join = PS_JOIN_ROUND;
    std::vector<DWORD> userDashes;
};

// Pixels of a bitmap: one block, top row first, rows padded to 4 bytes; 1 or 24 bits per pixel.
struct HBITMAP__ : lumora_gdi::GdiObject {
    HBITMAP__() : GdiObject(lumora_gdi::ObjKind::Bitmap) {}
    int width = 0;
    int height = 0;
    int bpp = 24;
    int stride = 0;
    // Large blocks come with large pages: a fresh 12-megapixel picture costs a few page faults.
    std::vector<uint8_t, TLargeBlockAllocator<uint8_t>> bits;
    // A device-independent bitmap: a monochrome one keeps its palette (black, white) when it
    // meets colour; a device-dependent one (the default) takes the text and background colours.
    bool dib = false;

    // Reallocates to w x h at bpp, filled with fill (0x00RRGGBB; nearest for 1 bit).
    void Allocate(int w, int h, int newBpp, uint32_t fill);
    // Exchanges the pixel blocks (and their sizes) of two bitmaps; handles stay where they are.
    void SwapPixels(HBITMAP__& other) {
        std::swap(width, other.width);
        std::swap(height, other.height);
        std::swap(bpp, other.bpp);
        std::swap(stride, other.stride);
        std::swap(bits, other.bits);
        std::swap(dib, other.dib);
    }
    // Takes a copy of another bitmap's pixel block (and its size); handles stay where they are.
    void CopyPixels(const HBITMAP__& other) {
        width = other.width;
        height = other.height;
        bpp = other.bpp;
        stride = other.stride;
        bits = other.bits;
        dib = other.dib;
    }
    lumora_gdi::Surface surface();
};

struct HBRUSH__ : lumora_gdi::GdiObject {
    HBRUSH__() : GdiObject(lumora_gdi::ObjKind::Brush) {}
    int style = BS_SOLID;
    COLORREF color = 0;
    int hatch = 0;
    // A copy of the pattern bitmap for BS_PATTERN.
    int patW = 0, patH = 0, patBpp = 24;
    std::vector<uint32_t> pattern;  // 0x00RRGGBB, or 0 / 1 for a monochrome pattern
};

namespace lumora_gdi {

// The bitmap behind a handle, or null.
HBITMAP__* BitmapOf(HBITMAP h);

}  // namespace lumora_gdi
