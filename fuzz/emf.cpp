// The enhanced metafile player under a fuzzer: the input as a file, and as the records after a
// valid header of 32 objects on a 1000-pixel, 250-millimetre reference device.

#include "framework/byte_order.h"
#include "fuzz/metafile_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    PlayFuzzedMetafile(file);
    std::vector<uint8_t> framed(88, 0);
    const uint32_t fields[][2] = {{0, 1},     {4, 88},       {16, 1000},  {20, 1000},  {32, 25000},
                                  {36, 25000}, {40, 0x464D4520}, {44, 0x10000}, {56, 32}, {72, 1000},
                                  {76, 1000},  {80, 250},    {84, 250}};
    for (const auto& f : fields) StoreLE32(framed.data() + f[0], f[1]);
    framed.insert(framed.end(), data, data + size);
    StoreLE32(framed.data() + 48, uint32_t(framed.size()));
    PlayFuzzedMetafile(framed);
    return 0;
}
