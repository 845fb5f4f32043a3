#pragma once
// What the fuzz targets over the image I/O component share: the input as a stream, a component
// on a bare bitmap, and a gate that reads the parameters first and lets only images of the
// expected type and of at most a few megapixels go on to a full load, so memory stays bounded.

#include <cstddef>
#include <cstdint>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "fuzz/fuzz_input.h"
#include "imaging/formats/imago_io.h"

class TFuzzIO {
public:
    // Loading is allowed up to this many pixels, writing again up to SmallPixels.
    static constexpr Int64 MaxPixels = 4000000;
    static constexpr Int64 SmallPixels = 65536;

    TFuzzIO(const uint8_t* Data, size_t Size) {
        FillFuzzStream(Stream, Data, Size);
        IO = new TImagoIO(nullptr);
        IO->SetAttachedBitmap(&Bitmap);
    }
    ~TFuzzIO() { IO->Free(); }
    TFuzzIO(const TFuzzIO&) = delete;
    TFuzzIO& operator=(const TFuzzIO&) = delete;

    TIOParamsVals& Params() { return *IO->GetParams(); }

    // Reads the parameters; true when the data is of FileType and small enough to load. The
    // stream is back at its start. IsFormat (the codec's signature test) keeps data of other
    // formats away from their readers, which have fuzz targets of their own.
    bool Admit(Integer FileType, bool (*IsFormat)(TStream*)) {
        Stream.SetPosition(0);
        if (!IsFormat(&Stream)) return false;
        IO->ParamsFromStream(&Stream);
        Stream.SetPosition(0);
        FPixels = Int64(Params().Width) * Int64(Params().Height);
        return Params().FileType == FileType && FPixels > 0 && FPixels <= MaxPixels;
    }
    // True after a load that did not abort, of an image small enough to write again.
    bool LoadedSmall() const { return !IO->GetAborting() && FPixels <= SmallPixels; }
    Int64 Pixels() const { return FPixels; }

    TMemoryStream Stream;
    TBitmap Bitmap;
    TImagoIO* IO = nullptr;

private:
    Int64 FPixels = 0;
};
