#pragma once
// The TIFF codec: reading one page of a TIFF, finding and counting pages, writing or appending a page.

#include <vector>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/io_params.h"

// Reads page Params->TIFFImageIndex of the TIFF at the stream's position; PageCount receives the
// number of directories. With Params null no page is read and only the pages are counted. With
// ParamsOnly the bitmap is not touched.
void TIFFDecodeStream(TBitmap* Bitmap, TStream* Stream, Integer& PageCount, TIOParamsVals* Params,
                      TProgressRec& Progress, bool ParamsOnly);
// Where the pages of the TIFF at the stream's position lie: the offsets of their directories from
// the TIFF's start, in page order, as TIFFDecodeStream counts them. The stream is left where it
// was; false when it holds no TIFF.
bool TIFFPageLayout(TStream* Stream, std::vector<Int64>& Directories);
// Reads the page whose directory is at Directory (one of TIFFPageLayout's) of the TIFF at the
// stream's position, as TIFFDecodeStream reads a page, so that pages one after another are read
// without walking the chain for each.
void TIFFDecodePage(TBitmap* Bitmap, TStream* Stream, Int64 Directory, TIOParamsVals& Params, TProgressRec& Progress);
// The number of directories of the TIFF at the stream's position.
Integer TIFFCountPages(TStream* Stream);
// Writes the bitmap as one page: Append false writes a new file at the stream's position and
// returns 1; Append true inserts the page into the TIFF at the stream's position and returns the
// number of pages afterwards.
Integer TIFFEncodeStream(TStream* Stream, bool Append, TBitmap* Bitmap, TIOParamsVals& Params,
                         TProgressRec& Progress);
