// The AVI reader, frame decoders and writer under a fuzzer: the first frames of the input are
// decoded, and the last one is written back as a one-frame AVI and read again.
#include <algorithm>

#include "fuzz/image_codec_fuzz.h"
#include "imaging/formats/avi_file.h"

namespace {

void DecodeAVI(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress, bool ParamsOnly) {
    TAviReader reader;
    if (!reader.Open(Stream)) {
        *Progress.Aborting = true;
        return;
    }
    Params.Width = reader.GetWidth();
    Params.Height = reader.GetHeight();
    if (ParamsOnly) return;
    TAviFrameReader frames(reader);
    for (Integer i = 0; i < std::min(reader.GetFrameCount(), 8); ++i)
        if (!frames.GetFrame(i, Bitmap)) *Progress.Aborting = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    return FuzzImageCodec(Data, Size, DecodeAVI, [](TStream* s, TBitmap* b, TIOParamsVals&, TProgressRec&) {
        TAviWriter writer(s, b->GetWidth(), b->GetHeight(), b->GetPixelFormat() == pf1bit ? 1 : 24, 1, 8, {});
        writer.AddFrame(b);
        writer.Finish();
    });
}
