// Fuzz target: PNG data through the image I/O component (see io_fuzz.h); a decoded image is
// written again with the parameters it was read with (a palette image through the quantizer).

#include "fuzz/io_fuzz.h"
#include "imaging/formats/png_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzIO f(data, size);
    if (!f.Admit(ioPNG, IsPNGStream)) return 0;
    f.IO->LoadFromStreamPNG(&f.Stream);
    if (f.LoadedSmall()) {
        TMemoryStream out;
        f.Params().PNGFilter = Byte(f.Pixels() % 3);
        f.IO->SaveToStreamPNG(&out);
    }
    return 0;
}
