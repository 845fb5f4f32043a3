#include "imaging/formats/tiff_codec.h"

#include "imaging/formats/codec_pending.h"

// The TIFF decoder and encoder are not part of this build yet: reading and writing TIFF images
// fails through the aborting flag, and no page is ever counted.

void TIFFDecodeStream(TBitmap* Bitmap, TStream* Stream, Integer& PageCount, TIOParamsVals* Params,
                      TProgressRec& Progress, bool ParamsOnly) {
    PageCount = 0;
    ImgCodecNotAvailable(Progress);
}

Integer TIFFCountPages(TStream* Stream) { return 0; }

Integer TIFFEncodeStream(TStream* Stream, bool Append, TBitmap* Bitmap, TIOParamsVals& Params,
                         TProgressRec& Progress) {
    ImgCodecNotAvailable(Progress);
    return 0;
}
