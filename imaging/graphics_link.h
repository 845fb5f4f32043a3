#pragma once
// Stand-in until the framework's graphics unit lands: the few pieces of TBitmap and colour
// resolution the image library's ground floor uses. Replaced by framework/graphics.h.

#include <cstddef>
#include <cstring>
#include <vector>

#include "framework/object.h"
#include "framework/types.h"

inline TColor ColorToRGB(TColor Color) {
    if (Color >= 0) return Color;
    switch (Color & 0xFF) {
    case 5: return 0xFFFFFF;   // window
    case 15: return 0xC0C0C0;  // button face
    default: return 0;
    }
}

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

class TBitmap : public TObject {
    LUMORA_CLASS(TBitmap, TObject)
public:
    Integer GetWidth() const { return width_; }
    Integer GetHeight() const { return height_; }
    TPixelFormat GetPixelFormat() const { return format_; }
    void SetPixelFormat(TPixelFormat f) {
        if (f == format_) return;
        format_ = f;
        Realloc(width_, height_, true);
    }
    void SetSize(Integer w, Integer h) { Realloc(w, h, false); }
    void SetWidth(Integer w) { SetSize(w, height_); }
    void SetHeight(Integer h) { SetSize(width_, h); }
    void* ScanLine(Integer y) { return data_.data() + size_t(y) * size_t(stride_); }

private:
    static Integer Bits(TPixelFormat f) {
        switch (f) {
        case pf1bit: return 1;
        case pf4bit: return 4;
        case pf8bit: return 8;
        case pf15bit:
        case pf16bit: return 16;
        case pf32bit: return 32;
        default: return 24;
        }
    }
    void Realloc(Integer w, Integer h, bool clear) {
        const Integer stride = ((w * Bits(format_) + 31) / 32) * 4;
        std::vector<Byte> block(size_t(stride) * size_t(h), format_ == pf1bit ? 0xFF : 0xFF);
        if (!clear)
            for (Integer y = 0; y < std::min(h, height_); ++y)
                std::memcpy(block.data() + size_t(y) * size_t(stride),
                            data_.data() + size_t(y) * size_t(stride_),
                            size_t(std::min(stride, stride_)));
        data_.swap(block);
        width_ = w;
        height_ = h;
        stride_ = stride;
    }
    std::vector<Byte> data_;
    Integer width_ = 0, height_ = 0, stride_ = 0;
    TPixelFormat format_ = pfDevice;
};
