#pragma once
// The PNG codec.

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/io_params.h"

// True when the eight bytes at the stream's position are the PNG signature; the position is
// restored.
bool IsPNGStream(TStream* Stream);
// Reads a PNG image at the stream's position, reduced while reading when Params has a reducing
// box (PNGReduceWidth x PNGReduceHeight). With ParamsOnly the bitmap is not touched.
void PNGDecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params,
                     TProgressRec& Progress, bool ParamsOnly);
// Writes the bitmap as a PNG at the stream's position.
void PNGEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress);
