#pragma once
// Helpers of the graphics tests: bitmaps freed after each test, pixel reads and a text picture of
// where a colour lies.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/backend.h"
#include "framework/graphics.h"

namespace lumora_test {

// The pixel as a TColor (0x00BBGGRR), of a 24-bit or 1-bit bitmap.
inline TColor Px(TBitmap* b, int x, int y) {
    const auto* row = static_cast<const Byte*>(b->ScanLine(y));
    if (b->GetPixelFormat() == pf1bit) return (row[x >> 3] & (0x80 >> (x & 7))) ? clWhite : clBlack;
    return TColor(row[x * 3 + 2] | (row[x * 3 + 1] << 8) | (row[x * 3] << 16));
}

// One line per row: '#' where the pixel has the colour, '.' elsewhere.
inline std::string Ink(TBitmap* b, TColor color) {
    std::string s;
    for (int y = 0; y < b->GetHeight(); ++y) {
        for (int x = 0; x < b->GetWidth(); ++x) s += Px(b, x, y) == color ? '#' : '.';
        s += '\n';
    }
    return s;
}

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureBackend(); }
    void TearDown() override {
        for (TBitmap* b : bitmaps_) b->Free();
    }
    // A 24-bit bitmap of the size, filled with the colour; freed after the test.
    TBitmap* Bitmap(int w, int h, TColor fill = clWhite) {
        auto* b = new TBitmap;
        bitmaps_.push_back(b);
        b->SetPixelFormat(pf24bit);
        b->GetCanvas()->GetBrush()->SetColor(fill);
        b->SetSize(w, h);
        return b;
    }
    // Fills with a fixed pattern of many colours.
    static void Pattern(TBitmap* b) {
        for (int y = 0; y < b->GetHeight(); ++y) {
            auto* row = static_cast<Byte*>(b->ScanLine(y));
            for (int x = 0; x < b->GetWidth() * 3; ++x) row[x] = Byte((x * 37 + y * 91 + 13) & 0xFF);
        }
    }
    // The pixels as packed rows of blue, green, red.
    static std::vector<Byte> Pixels(TBitmap* b) {
        std::vector<Byte> v;
        for (int y = 0; y < b->GetHeight(); ++y) {
            const auto* row = static_cast<const Byte*>(b->ScanLine(y));
            v.insert(v.end(), row, row + b->GetWidth() * 3);
        }
        return v;
    }

private:
    std::vector<TBitmap*> bitmaps_;
};

}  // namespace lumora_test
