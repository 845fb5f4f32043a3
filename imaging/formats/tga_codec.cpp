#include "imaging/formats/tga_codec.h"

#include "imaging/formats/codec_pending.h"

// The Targa decoder and encoder are not part of this build yet: no stream is taken for a Targa
// image, and reading and writing Targa images fails through the aborting flag.

bool IsTGAStream(TStream* Stream) { return false; }

void TGADecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                     TProgressRec& Progress) {
    ImgCodecNotAvailable(Progress);
}

void TGAEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    ImgCodecNotAvailable(Progress);
}
