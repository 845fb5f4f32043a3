#pragma once
// The Targa codec.

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/io_params.h"

// True for a plausible Targa header; the position is unchanged.
bool IsTGAStream(TStream* Stream);
// Reads the Targa image at the stream's position. With ParamsOnly the bitmap is not touched.
void TGADecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                     TProgressRec& Progress);
// Writes the bitmap as one Targa image at the stream's position.
void TGAEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress);

// Run-length codes one row of Count pixels of PixelBytes bytes each (1 or 3) as Targa packets.
// Out needs room for Count x (PixelBytes + 1) bytes. Returns the bytes written.
Integer TGAEncodeRLERow(const Byte* Pixels, Integer Count, Integer PixelBytes, Byte* Out);
