#include "imaging/formats/gif_codec.h"

#include "imaging/formats/codec_pending.h"

// The GIF decoder and encoder are not part of this build yet: reading and writing GIF images
// fails through the aborting flag, and no frame is ever counted.

void GIFDecodeStream(TStream* Stream, TBitmap* Bitmap, Integer& FrameCount, TIOParamsVals& Params,
                     TProgressRec& Progress, bool ParamsOnly) {
    FrameCount = 0;
    ImgCodecNotAvailable(Progress);
}

void GIFDecodeFile(const std::string& FileName, TBitmap* Bitmap, Integer& FrameCount,
                   TIOParamsVals& Params, TProgressRec& Progress) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    GIFDecodeStream(&stream, Bitmap, FrameCount, Params, Progress, false);
}

void GIFEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress) {
    ImgCodecNotAvailable(Progress);
}

void GIFEncodeFile(const std::string& FileName, TBitmap* Bitmap, TIOParamsVals& Params,
                   TProgressRec& Progress) {
    TFileStream stream(FileName, fmCreate);
    stream.SetSize(0);
    GIFEncodeStream(&stream, Bitmap, Params, Progress);
}

Integer GIFDeleteFrame(const std::string& FileName, Integer Index, bool Save) { return 0; }
