#include "imaging/formats/lzw_hooks.h"

TGIFLZWDecompress DefGIFLZWDecompress = nullptr;
TGIFLZWCompress DefGIFLZWCompress = nullptr;
TTIFFLZWDecompress DefTIFFLZWDecompress = nullptr;
TTIFFLZWCompress DefTIFFLZWCompress = nullptr;
