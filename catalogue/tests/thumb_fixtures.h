#pragma once
// What the thumbnail tests share: solid pictures in memory and on disk, and a colour comparison
// that allows for resampling.

#include <cstdlib>
#include <memory>
#include <string>

#include "framework/graphics.h"

inline std::unique_ptr<TBitmap> SolidBitmap(Integer W, Integer H, TColor Colour) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(W, H);
    b->GetCanvas()->GetBrush()->SetColor(Colour);
    b->GetCanvas()->FillRect(TRect(0, 0, W, H));
    return b;
}

// A 24-bit BMP file of one colour.
inline void WriteBitmapFile(const std::string& File, Integer W, Integer H, TColor Colour) {
    SolidBitmap(W, H, Colour)->SaveToFile(File);
}

// Resampling may leave a solid colour a step or two off.
inline bool NearColour(TColor A, TColor B) {
    for (int shift : {0, 8, 16})
        if (std::abs(int((A >> shift) & 0xFF) - int((B >> shift) & 0xFF)) > 4) return false;
    return true;
}
