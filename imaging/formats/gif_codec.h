#pragma once
// The GIF codec: reading one frame of a GIF, writing a one-frame GIF, and counting frames.

#include <string>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/io_params.h"

// Reads frame Params.GIFImageIndex (from 0) of the GIF at the stream's position into Bitmap and
// counts all frames into FrameCount. With ParamsOnly the bitmap is not touched.
void GIFDecodeStream(TStream* Stream, TBitmap* Bitmap, Integer& FrameCount, TIOParamsVals& Params,
                     TProgressRec& Progress, bool ParamsOnly);
// Opens the file for reading and calls GIFDecodeStream.
void GIFDecodeFile(const std::string& FileName, TBitmap* Bitmap, Integer& FrameCount,
                   TIOParamsVals& Params, TProgressRec& Progress);
// Writes the bitmap as a GIF with one frame.
void GIFEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress);
// Creates the file (replacing an existing one) and calls GIFEncodeStream.
void GIFEncodeFile(const std::string& FileName, TBitmap* Bitmap, TIOParamsVals& Params,
                   TProgressRec& Progress);
// Copies the GIF file without frame Index and returns the number of frames copied; with Save the
// copy replaces the file. Index -1 with Save false only counts the frames.
Integer GIFDeleteFrame(const std::string& FileName, Integer Index, bool Save);
