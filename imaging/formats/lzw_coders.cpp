#include "imaging/formats/lzw_coders.h"

void InstallLZWCoders() {
    DefGIFLZWDecompress = &GifLZWDecode;
    DefGIFLZWCompress = &GifLZWEncode;
    DefTIFFLZWDecompress = &TiffLZWDecode;
    DefTIFFLZWCompress = &TiffLZWEncode;
}
