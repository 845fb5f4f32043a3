// The fax coders on arbitrary input. The first bytes choose the row width, the number of rows and
// the fill order; the rest is decoded as a modified Huffman, Group 3 one- and two-dimensional and
// Group 4 strip (every row must end inside the data), and the rows decoded are coded again by each
// encoder, whose strip must decode back to them.

#include <cstdint>
#include <vector>

#include "framework/stream.h"
#include "fuzz/fuzz_check.h"
#include "imaging/formats/ccitt_codec.h"

namespace {

using Rows = std::vector<std::vector<Byte>>;

enum TCoding { cdMH, cdG3_1D, cdG3_2D, cdG4 };

// Decodes Count rows (1 white); positions stay within the data.
Rows DecodeRows(const Byte* Data, Int64 Size, Integer Width, Integer Count, Integer FillOrder, TCoding Coding) {
    const size_t rowBytes = size_t((Width + 7) / 8);
    Rows rows;
    std::vector<Byte> reference(rowBytes, 0xFF);
    Int64 bit = 0;
    for (Integer y = 0; y < Count; ++y) {
        std::vector<Byte> row(rowBytes, 0);
        switch (Coding) {
        case cdMH: {
            const Int64 at = bit / 8 < Size ? bit / 8 : Size;
            bit = (at + CCITTDecodeMH(row.data(), Data + at, Size - at, Width, FillOrder)) * 8;
            break;
        }
        case cdG3_1D: bit = CCITTDecode1D(row.data(), Data, Size, Width, FillOrder, bit); break;
        case cdG3_2D:
        case cdG4: bit = CCITTDecode2D(row.data(), Data, Size, Width, FillOrder, bit, reference.data()); break;
        }
        FUZZ_CHECK(bit >= 0 && bit <= Size * 8);
        // Only the row's pixels count.
        if (Width % 8) row.back() &= Byte(0xFF00 >> (Width % 8));
        rows.push_back(row);
    }
    return rows;
}

std::vector<Byte> EncodeRows(const Rows& White1, Integer Width, TCoding Coding) {
    TMemoryStream s;
    TCCITTEncodeState state;
    for (const std::vector<Byte>& r : White1) {
        std::vector<Byte> row(r);
        for (Byte& b : row) b = Byte(~b);  // the encoders take 0 for white
        switch (Coding) {
        case cdMH: CCITTEncodeMH(row.data(), Width, &s); break;
        case cdG3_1D: CCITTEncode1D(row.data(), Width, &s, state); break;
        case cdG3_2D: CCITTEncode2D(row.data(), Width, &s, state); break;
        case cdG4: CCITTEncodeG4(row.data(), Width, &s, state); break;
        }
    }
    if (Coding == cdG3_1D) CCITTEncode1D(nullptr, Width, &s, state);
    if (Coding == cdG3_2D) CCITTEncode2D(nullptr, Width, &s, state);
    if (Coding == cdG4) CCITTEncodeG4(nullptr, Width, &s, state);
    const Byte* p = static_cast<const Byte*>(s.GetMemory());
    return std::vector<Byte>(p, p + s.GetSize());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const Integer width = 1 + Integer((data[0] | (data[1] << 8)) % 3000);
    const Integer rows = 1 + data[2] % 32;
    const Integer fillOrder = 1 + (data[3] & 1);
    const Byte* body = data + 4;
    const Int64 bodySize = Int64(size - 4);
    for (TCoding c : {cdMH, cdG3_1D, cdG3_2D, cdG4}) {
        const Rows decoded = DecodeRows(body, bodySize, width, rows, fillOrder, c);
        const std::vector<Byte> strip = EncodeRows(decoded, width, c);
        FUZZ_CHECK(DecodeRows(strip.data(), Int64(strip.size()), width, rows, 1, c) == decoded);
    }
    return 0;
}
