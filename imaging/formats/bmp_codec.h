#pragma once
// The Windows bitmap codec (icons and cursors: ico_codec.h).

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/io_params.h"

// Reads the bitmap at the stream's position. Length is the byte length of the image when the
// caller knows it, 0 when it does not. With ParamsOnly the bitmap is not touched.
void BMPDecodeStream(TStream* Stream, TBitmap* Bitmap, Int64 Length, TIOParamsVals& Params,
                     TProgressRec& Progress, bool ParamsOnly);
// Writes the bitmap as one BMP image at the stream's position and leaves the stream after it.
void BMPEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress);
// Run-length codes one row of palette indexes (one a byte) as BMP RLE8 or RLE4 data, the
// end-of-line pair included. Out needs room for 2 x Count + 4 bytes. Returns the bytes written.
Integer BMPEncodeRLE8Row(const Byte* Indexes, Integer Count, Byte* Out);
Integer BMPEncodeRLE4Row(const Byte* Indexes, Integer Count, Byte* Out);
