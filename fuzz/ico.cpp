// The icon and cursor readers and their content tests under a fuzzer (the first byte chooses the
// entry to read).
#include "fuzz/image_codec_fuzz.h"
#include "imaging/formats/ico_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const Integer index = Size ? Data[0] % 4 : 0;
    auto read = [index](bool cursor) {
        return [index, cursor](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r, bool only) {
            p.ICOImageIndex = p.CURImageIndex = index;
            const Int64 start = s->GetPosition();
            cursor ? IsCURStream(s) : IsICOStream(s);
            s->SetPosition(start);
            if (cursor)
                CURDecodeStream(s, b, p, only, r);
            else
                ICODecodeStream(s, b, p, only, r);
        };
    };
    FuzzImageCodec(Data, Size, read(false), nullptr);
    return FuzzImageCodec(Data, Size, read(true), nullptr);
}
