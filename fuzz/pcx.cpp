// The PCX reader and writer under a fuzzer.
#include "fuzz/image_codec_fuzz.h"
#include "imaging/formats/pcx_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    return FuzzImageCodec(
        Data, Size,
        [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r, bool only) {
            PCXDecodeStream(s, b, p, s->GetSize() - s->GetPosition(), r, only);
        },
        [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r) { PCXEncodeStream(s, b, p, r); });
}
