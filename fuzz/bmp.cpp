// The Windows bitmap reader and writer under a fuzzer.
#include "fuzz/image_codec_fuzz.h"
#include "imaging/formats/bmp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    return FuzzImageCodec(
        Data, Size,
        [Size](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r, bool only) {
            BMPDecodeStream(s, b, Int64(Size), p, r, only);
        },
        [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r) { BMPEncodeStream(s, b, p, r); });
}
