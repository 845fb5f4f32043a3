#pragma once
// Reading and writing the device-independent bitmap layout (information header, colour table or
// bit-field masks, then the rows) over plain memory, through the framework's checked reader
// (framework/dib_reader.h), with the YUV layouts of video frames besides.

#include <cstddef>
#include <cstdint>

#include "framework/dib_reader.h"
#include "framework/types.h"
#include "framework/windows_gdi.h"
#include "imaging/img_types.h"
#include "imaging/yuv.h"

// The largest width or height, and the largest pixel count, a device-independent bitmap may have.
constexpr Integer ImgDIBMaxSide = Integer(DibMaxSide);
constexpr Int64 ImgDIBMaxPixels = DibMaxPixels;

// What a checked block holds.
struct TImgDIBLayout {
    Integer Width = 0;
    Integer Height = 0;            // always positive
    bool TopDown = false;          // the header's height was negative
    Integer BitCount = 0;          // 1, 4, 8, 16, 24 or 32 (16 for YUV layouts: not used)
    Cardinal Compression = 0;      // BI_RGB, BI_BITFIELDS or a YUV code
    const TYUVLayoutInfo* YUV = nullptr;
    const Byte* Palette = nullptr;  // PaletteCount entries of blue, green, red, reserved
    Integer PaletteCount = 0;
    Cardinal Masks[3] = {0, 0, 0};  // red, green, blue, for 16 bits
    const Byte* Pixels = nullptr;   // the first row of data
    size_t PixelBytes = 0;          // bytes available from Pixels
    Integer RowBytes = 0;           // bytes per row of data (RGB layouts)
};

enum class TImgDIBError {
    None,
    Truncated,        // the header, colour table, masks or rows run past the memory given
    BadHeader,        // header size, planes, width or height out of range
    Compressed,       // run-length compression, which is not decoded
    Unsupported,      // a bit count or compression code that is not read
    BadMasks,         // a 16-bit mask that is empty, not one run of bits, or wider than a pixel
    MissingPixels,    // a YUV layout without separately supplied pixels
    BadYUVSize,       // a width the YUV layout cannot pack
};

// Checks the block (Size bytes at Block) and, when Pixels is not null, the PixelsSize bytes of
// separately supplied pixels, and describes them in Layout.
TImgDIBError ImgParseDIB(const void* Block, size_t Size, const void* Pixels, size_t PixelsSize,
                         TImgDIBLayout& Layout);

// One row of a checked RGB layout as 24-bit pixels. Palette indexes beyond the colour table give
// black; channels narrower than 8 bits keep their bits at the top.
void ImgDIBRowTo24Bit(const TImgDIBLayout& Layout, const Byte* Row, TImgRGB* Dest);

// Writes the information header of an uncompressed bottom-up bitmap (size 40, planes 1,
// every other field 0).
void ImgWriteDIBHeader(void* Dest, Integer Width, Integer Height, Integer BitCount);
constexpr size_t ImgDIBHeaderSize = sizeof(BITMAPINFOHEADER);
