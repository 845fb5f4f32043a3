#include "imaging/formats/png_codec.h"

#include <cstring>

#include "imaging/formats/codec_pending.h"

bool IsPNGStream(TStream* Stream) {
    static const Byte kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const Int64 start = Stream->GetPosition();
    Byte b[8] = {};
    const Int64 got = Stream->Read(b, 8);
    Stream->SetPosition(start);
    return got == 8 && std::memcmp(b, kSignature, 8) == 0;
}

// The PNG decoder and encoder are not part of this build yet: reading and writing PNG images
// fails through the aborting flag.

void PNGDecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params,
                     TProgressRec& Progress, bool ParamsOnly) {
    ImgCodecNotAvailable(Progress);
}

void PNGEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    ImgCodecNotAvailable(Progress);
}
