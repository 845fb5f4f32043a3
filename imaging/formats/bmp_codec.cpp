#include "imaging/formats/bmp_codec.h"

#include "framework/exceptions.h"
#include "imaging/formats/codec_pending.h"

// Until the library's own BMP codec is built, Windows bitmaps are read and written through the
// framework's bitmap file support: any depth is read as a 24-bit or 1-bit image, and images are
// written uncompressed with a 40-byte header. Icons and cursors are not read yet.

void BMPDecodeStream(TStream* Stream, TBitmap* Bitmap, Int64 Length, TIOParamsVals& Params,
                     TProgressRec& Progress, bool ParamsOnly) {
    TBitmap image;
    try {
        image.LoadFromStream(Stream);
    } catch (const EInvalidGraphic&) {
        Progress.Abort();
        return;
    }
    const bool mono = image.GetPixelFormat() == pf1bit;
    if (!mono) image.SetPixelFormat(pf24bit);
    Params.Width = image.GetWidth();
    Params.Height = image.GetHeight();
    Params.BitsPerSample = mono ? 1 : 8;
    Params.SamplesPerPixel = mono ? 1 : 3;
    Params.DpiX = ImgDefaultDpiX();
    Params.DpiY = ImgDefaultDpiY();
    Params.BMPVersion = ioBMP_BM3;
    Params.BMPCompression = 0;
    Params.FreePalette();
    if (!ParamsOnly && Bitmap) Bitmap->Assign(&image);
    Progress.Done = 1;
    Progress.Factor = 100;
    Progress.Report();
}

void BMPEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    Bitmap->SaveToStream(Stream);
}

bool IsICOStream(TStream* Stream) { return false; }

bool IsCURStream(TStream* Stream) { return false; }

void ICODecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                     TProgressRec& Progress) {
    ImgCodecNotAvailable(Progress);
}

void CURDecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                     TProgressRec& Progress) {
    ImgCodecNotAvailable(Progress);
}
