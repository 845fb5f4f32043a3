#pragma once
// The JPEG codec.

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/io_params.h"

// True when the three bytes at the stream's position are FF D8 FF; the position is restored.
bool IsJPEGStream(TStream* Stream);
// Reads one JPEG image from the stream's position. With ParamsOnly the bitmap is not touched.
void JPEGDecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params,
                      TProgressRec& Progress, bool ParamsOnly);
// Writes the bitmap (24-bit or 1-bit) as one JPEG image at the stream's position.
void JPEGEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress);
