#include "imaging/formats/pcx_codec.h"

#include "imaging/formats/codec_pending.h"

// The PCX decoder and encoder are not part of this build yet: reading and writing PCX images
// fails through the aborting flag.

void PCXDecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, Int64 Length,
                     TProgressRec& Progress, bool ParamsOnly) {
    ImgCodecNotAvailable(Progress);
}

void PCXDecodeFile(const std::string& FileName, TBitmap* Bitmap, TIOParamsVals& Params,
                   TProgressRec& Progress) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    PCXDecodeStream(&stream, Bitmap, Params, stream.GetSize(), Progress, false);
}

void PCXEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    ImgCodecNotAvailable(Progress);
}
