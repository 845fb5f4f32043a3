#include "imaging/formats/jpeg_codec.h"

#include "imaging/formats/codec_pending.h"

bool IsJPEGStream(TStream* Stream) {
    const Int64 start = Stream->GetPosition();
    Byte b[3] = {0, 0, 0};
    const Int64 got = Stream->Read(b, 3);
    Stream->SetPosition(start);
    return got == 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
}

// The JPEG decoder and encoder are not part of this build yet: reading and writing JPEG images
// fails through the aborting flag.

void JPEGDecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params,
                      TProgressRec& Progress, bool ParamsOnly) {
    ImgCodecNotAvailable(Progress);
}

void JPEGEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    ImgCodecNotAvailable(Progress);
}
