#pragma once
// A synthetic picture for the image benchmarks: a horizontal ramp in red, waves in green and a
// pattern in blue, so no two neighbouring rows or columns are alike.

#include <cmath>

#include "framework/graphics.h"
#include "imaging/img_types.h"

inline void FillSyntheticPhoto(TBitmap* b, Integer W, Integer H) {
    b->SetPixelFormat(pf24bit);
    b->SetSize(W, H);
    for (Integer y = 0; y < H; ++y) {
        auto* row = static_cast<TImgRGB*>(b->ScanLine(y));
        for (Integer x = 0; x < W; ++x)
            row[x] = ImgRGB(Byte(x * 255 / W), Byte(128 + 100 * std::sin(x * 0.01 + y * 0.02)), Byte((x ^ y) & 0xFF));
    }
}
