// The Targa reader, writer and content test under a fuzzer.
#include "fuzz/image_codec_fuzz.h"
#include "imaging/formats/tga_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    return FuzzImageCodec(
        Data, Size,
        [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r, bool only) {
            const Int64 start = s->GetPosition();
            IsTGAStream(s);
            s->SetPosition(start);
            TGADecodeStream(s, b, p, only, r);
        },
        [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r) { TGAEncodeStream(s, b, p, r); });
}
