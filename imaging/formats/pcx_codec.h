#pragma once
// The PCX codec.

#include <string>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/io_params.h"

// Reads the header and the Length - 128 bytes that follow it. With ParamsOnly the bitmap is not
// touched.
void PCXDecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, Int64 Length,
                     TProgressRec& Progress, bool ParamsOnly);
// Opens the file for reading and calls PCXDecodeStream with Length the file's size.
void PCXDecodeFile(const std::string& FileName, TBitmap* Bitmap, TIOParamsVals& Params,
                   TProgressRec& Progress);
// Writes the bitmap as one PCX image at the stream's position.
void PCXEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress);

// Run-length codes Count bytes taken from Source[Offset + i x Stride] as PCX line data, with a
// 0 byte after them when Count is odd (the pad that makes a line's length even). Out needs room
// for 2 x Count + 1 bytes. Returns the bytes written.
Integer PCXEncodeLine(Byte* Out, const Byte* Source, Integer Count, Integer Stride, Integer Offset);
