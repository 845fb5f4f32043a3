#include "imaging/formats/lzw_coders.h"

#include "imaging/formats/lzw_hooks.h"

void InstallLZWCoders() {
    // The GIF and TIFF coders are stored here as DefGIFLZWDecompress, DefGIFLZWCompress,
    // DefTIFFLZWDecompress and DefTIFFLZWCompress once they exist.
}
