#include "imaging/formats/codec_support.h"

#include "imaging/bitmap_routines.h"
#include "imaging/quantizer.h"

TBitmap* ImgOneBitSource(TBitmap* Bitmap, std::unique_ptr<TBitmap>& Own, TImgRGB& Colour0,
                         TImgRGB& Colour1) {
    Colour0 = TImgRGB{0, 0, 0};
    Colour1 = TImgRGB{255, 255, 255};
    if (Bitmap->GetPixelFormat() == pf1bit) return Bitmap;
    TImgRGB c0, c1;
    Own.reset(TryConvertTo1Bit(Bitmap, c0, c1));
    if (Own) {
        Colour0 = c0;
        Colour1 = c1;
    } else {
        Own.reset(CloneBitmap(Bitmap));
        DitherTo1BitOrdered(Own.get());
    }
    return Own.get();
}

TBitmap* ImgTrueColourSource(TBitmap* Bitmap, std::unique_ptr<TBitmap>& Own) {
    if (Bitmap->GetPixelFormat() != pf1bit) return Bitmap;
    Own.reset(Create<TBitmap>());
    Expand1BitTo24Bit(Bitmap, Own.get());
    return Own.get();
}
