#pragma once
// The GIF codec: reading one frame of a GIF, writing a one-frame GIF, inserting and deleting
// frames, and counting frames. LZW coding goes through the coders in the parameters (or the
// process-wide ones, lzw_hooks.h). The stream functions report every failure through the aborting
// flag; the file functions raise when the file cannot be opened or created.

#include <string>
#include <vector>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/io_params.h"

// Reads frame Params.GIFImageIndex (from 0) of the GIF at the stream's position into Bitmap and
// counts all frames into FrameCount. With ParamsOnly the bitmap is not touched (it may be null).
// The bitmap holds the frame alone at its own size: 1-bit for a black-and-white frame of two
// colours, else 24-bit. Colour indexes past the frame's colour table give black; a frame without
// any colour table takes a grey ramp of the size the screen flags give. A frame index past the
// last frame leaves the bitmap as it is and the flag clear.
void GIFDecodeStream(TStream* Stream, TBitmap* Bitmap, Integer& FrameCount, TIOParamsVals& Params,
                     TProgressRec& Progress, bool ParamsOnly);
// Opens the file for reading and calls GIFDecodeStream.
void GIFDecodeFile(const std::string& FileName, TBitmap* Bitmap, Integer& FrameCount,
                   TIOParamsVals& Params, TProgressRec& Progress);
// Writes the bitmap as a GIF with one frame and a global colour table of 2^BitsPerSample colours
// (BitsPerSample held within 1..8), with a graphic control extension (disposal 2) for the
// transparency and delay of Params.
void GIFEncodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress);
// Creates the file (replacing an existing one) and calls GIFEncodeStream.
void GIFEncodeFile(const std::string& FileName, TBitmap* Bitmap, TIOParamsVals& Params,
                   TProgressRec& Progress);
// Inserts Bitmap as frame Params.GIFImageIndex into the GIF that Stream holds from its position
// (an index past the last frame appends, a negative one inserts first), rewrites the stream from
// there as a GIF89a and returns the number of frames afterwards. Returns 0 with the flag cleared
// when the stream holds no GIF, and 0 with the stream unchanged when the flag gets set.
Integer GIFInsertFrame(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, TProgressRec& Progress);
// Writes one frame for GIFInsertFrame at the stream's position: a graphic control extension, the
// image descriptor with a local colour table of 2^BitsPerPixel colours (1 to 8), and the LZW data.
// With 1 bit the colours are black and white (a bitmap of more than two colours is dithered).
void GIFEncodeFrame(TStream* Stream, TBitmap* Bitmap, Integer BitsPerPixel, TIOParamsVals& Params,
                    TProgressRec& Progress);
// Where the frames of the GIF at the stream's position lie, as stream positions: the header and
// global colour table end at HeaderEnd, and frame i's blocks (its extensions, then the image) run
// from FrameBounds[i] to FrameBounds[i + 1], so a frame can be read alone after the header. A frame
// cut short by the end of the data still counts. The stream is left where it was; false when it
// holds no GIF.
bool GIFFrameLayout(TStream* Stream, Int64& HeaderEnd, std::vector<Int64>& FrameBounds);
// Copies the GIF file without frame Index and returns the number of frames copied; with Save the
// copy replaces the file, unless the file ended inside a frame. Index -1 with Save false only
// counts the frames.
Integer GIFDeleteFrame(const std::string& FileName, Integer Index, bool Save);
