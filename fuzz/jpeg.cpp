// Fuzz target: JPEG data through the image I/O component (see io_fuzz.h); a decoded image is
// written again in one of the colour spaces. The last byte chooses the scale.

#include "fuzz/io_fuzz.h"
#include "imaging/formats/jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzIO f(data, size);
    f.Params().JPEGScale = size ? Byte(data[size - 1] % 5) : 1;
    f.Params().Width = 640;
    f.Params().Height = 480;
    if (!f.Admit(ioJPEG, IsJPEGStream)) return 0;
    f.Params().Width = 640;
    f.Params().Height = 480;
    f.IO->LoadFromStreamJPEG(&f.Stream);
    if (f.LoadedSmall()) {
        TMemoryStream out;
        f.Params().JPEGColorSpace = Byte(f.Pixels() % 5);
        f.Params().JPEGProgressive = f.Pixels() % 2 == 0;
        f.IO->SaveToStreamJPEG(&out);
    }
    return 0;
}
