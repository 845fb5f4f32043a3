#pragma once
// What the fuzz targets share around a codec call: the input bytes as a stream, and a progress
// record with an aborting flag of its own.

#include <cstddef>

#include "framework/stream.h"
#include "imaging/formats/io_params.h"

// Fills Stream with Size bytes of Data and rewinds it.
inline void FillFuzzStream(TMemoryStream& Stream, const void* Data, size_t Size) {
    if (Size) Stream.WriteBuffer(Data, Int64(Size));
    Stream.SetPosition(0);
}

// A progress record whose aborting flag is Aborted.
struct TFuzzProgress {
    bool Aborted = false;
    TProgressRec Progress;
    TFuzzProgress() { Progress.Aborting = &Aborted; }
    TFuzzProgress(const TFuzzProgress&) = delete;
    TFuzzProgress& operator=(const TFuzzProgress&) = delete;
};
