#pragma once
// One image codec under a fuzzer: the input is read for its parameters, then (when the image it
// claims is small enough to keep runs fast) decoded, and a decoded image is written back with the
// parameters read and the result decoded again.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "fuzz/fuzz_input.h"
#include "imaging/formats/io_params.h"

using TFuzzDecode = std::function<void(TStream*, TBitmap*, TIOParamsVals&, TProgressRec&, bool ParamsOnly)>;
using TFuzzEncode = std::function<void(TStream*, TBitmap*, TIOParamsVals&, TProgressRec&)>;

inline int FuzzImageCodec(const uint8_t* Data, size_t Size, const TFuzzDecode& Decode, const TFuzzEncode& Encode) {
    SetImgDefaultDpiOverride(96);
    TMemoryStream input;
    FillFuzzStream(input, Data, Size);
    TIOParamsVals params;
    TFuzzProgress run;
    TProgressRec& progress = run.Progress;

    Decode(&input, nullptr, params, progress, true);
    if (int64_t(params.Width) * params.Height > (int64_t(1) << 22)) return 0;
    TBitmap bitmap;
    run.Aborted = false;
    input.SetPosition(0);
    Decode(&input, &bitmap, params, progress, false);
    if (run.Aborted || !Encode || bitmap.GetWidth() * int64_t(bitmap.GetHeight()) > (int64_t(1) << 16)) return 0;
    TMemoryStream output;
    Encode(&output, &bitmap, params, progress);
    output.SetPosition(0);
    TBitmap again;
    Decode(&output, &again, params, progress, false);
    return 0;
}
