#pragma once
// What the metafile fuzz targets share: the input is played as a whole file through TMetafile, and
// its bytes are played again as the records behind a fixed valid header, so the fuzzer reaches the
// records without having to find a header first. Playing must leave the device context's saved
// states as they were.

#include <cstdint>
#include <vector>

#include "framework/backend.h"
#include "framework/exceptions.h"
#include "framework/graphics.h"
#include "framework/metafile_player.h"
#include "fuzz/fuzz_check.h"

inline void PlayFuzzedMetafile(const std::vector<uint8_t>& file) {
    EnsureBackend();
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(48, 40);
    TCanvas* canvas = bitmap.GetCanvas();
    TMetafile metafile;
    try {
        metafile.LoadFromBytes(file.data(), file.size());
    } catch (const EInvalidGraphic&) {
        return;
    }
    HDC dc = canvas->GetHandle();
    const int level = SaveDC(dc);
    canvas->StretchDraw(TRect(0, 0, 48, 40), &metafile);
    canvas->StretchDraw(TRect(40, 30, -8, 2), &metafile);
    FUZZ_CHECK(SaveDC(dc) == level + 1);
    RestoreDC(dc, level);
}
