// Fuzz target: JPEG data through the image I/O component. The parameters are read first and
// images larger than a few megapixels are skipped, so memory stays bounded; a decoded image is
// written again (small ones only). The last byte chooses the scale.

#include <cstddef>
#include <cstdint>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/formats/imago_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream stream;
    if (size) stream.Write(data, Int64(size));
    TBitmap bitmap;
    TImagoIO* io = new TImagoIO(nullptr);
    io->SetAttachedBitmap(&bitmap);
    TIOParamsVals* params = io->GetParams();
    params->JPEGScale = size ? Byte(data[size - 1] % 5) : 1;
    params->Width = 640;
    params->Height = 480;
    stream.SetPosition(0);
    io->ParamsFromStream(&stream);
    const Int64 pixels = Int64(params->Width) * Int64(params->Height);
    if (params->FileType == ioJPEG && pixels > 0 && pixels <= 4000000) {
        params->Width = 640;
        params->Height = 480;
        stream.SetPosition(0);
        io->LoadFromStreamJPEG(&stream);
        if (!io->GetAborting() && pixels <= 65536) {
            TMemoryStream out;
            params->JPEGColorSpace = Byte(pixels % 5);
            params->JPEGProgressive = pixels % 2 == 0;
            io->SaveToStreamJPEG(&out);
        }
    }
    io->Free();
    return 0;
}
