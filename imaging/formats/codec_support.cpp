#include "imaging/formats/codec_support.h"

#include "imaging/bitmap_routines.h"
#include "imaging/quantizer.h"

TImgWriteSource::TImgWriteSource(TBitmap* Source, Integer Depth) : Bitmap(Source) {
    const bool mono = Source->GetPixelFormat() == pf1bit;
    if (Depth == 1) {
        Palette = {TImgRGB{0, 0, 0}, TImgRGB{255, 255, 255}};
        if (mono) return;
        TImgRGB c0, c1;
        FOwn.reset(TryConvertTo1Bit(Source, c0, c1));
        if (FOwn) {
            Palette = {c0, c1};
        } else {
            FOwn.reset(CloneBitmap(Source));
            DitherTo1BitOrdered(FOwn.get());
        }
        Bitmap = FOwn.get();
        return;
    }
    if (mono) {
        FOwn.reset(Create<TBitmap>());
        Expand1BitTo24Bit(Source, FOwn.get());
        Bitmap = FOwn.get();
    }
    if (Depth >= 2 && Depth <= 8) {
        Palette.assign(size_t(1) << Depth, TImgRGB{});
        Quantizer = std::make_unique<TImgQuantizer>(Bitmap, Palette.data(), Integer(Palette.size()));
    }
}

TImgWriteSource::~TImgWriteSource() = default;
