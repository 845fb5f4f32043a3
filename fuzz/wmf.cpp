// The Windows metafile player under a fuzzer: the input as a file, and as the records of a
// placeable metafile.

#include "fuzz/metafile_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    PlayFuzzedMetafile(file);
    // A placeable header (box 0..1000, 1440 units an inch) and a metafile header of 16 objects.
    std::vector<uint8_t> framed = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0xE8, 3, 0xE8, 3, 0xA0, 5, 0, 0, 0, 0,
                                   0,    0,    1,    0,    9, 0, 0, 3, 0, 0, 0,    0, 16,   0, 0,    0, 0, 0, 0, 0};
    framed.insert(framed.end(), data, data + size);
    PlayFuzzedMetafile(framed);
    return 0;
}
