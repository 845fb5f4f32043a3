#pragma once
// The Windows icon and cursor codecs (readers only).

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/io_params.h"

// True when the stream holds a plausible icon (cursor) directory; the position is unchanged.
bool IsICOStream(TStream* Stream);
bool IsCURStream(TStream* Stream);
// Read entry Params.ICOImageIndex (CURImageIndex) of the icon (cursor) file.
void ICODecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                     TProgressRec& Progress);
void CURDecodeStream(TStream* Stream, TBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                     TProgressRec& Progress);
