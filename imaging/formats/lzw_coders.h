#pragma once
// The program's LZW coders for GIF and TIFF, and their installation into the process-wide hooks
// (lzw_hooks.h). The program installs them while it starts, so that every parameter object made
// afterwards copies them.

#include "imaging/formats/lzw_hooks.h"

// Stores the four coders below into the process-wide hooks.
void InstallLZWCoders();

// GIF (codes least significant bit first, variable width from the code size + 1 up to 12 bits).
//
// Decoding accepts code sizes 2 to 9 and is strict: the data must start with a clear code, and
// once the table is full the next code must be a clear code (or the end code). It reads every data
// sub-block up to the terminator first and decodes only those bytes; pixels past Width x Height
// are dropped, pixels the data does not reach are left as they are. A failure (bad code size, a
// code beyond the table, an end code right after a clear code, no clear code where one is needed)
// puts the stream back at the code size byte.
void GifLZWDecode(TStream* Stream, Integer Height, Integer Width, bool Interlaced, Byte* Pixels);
// Code size BitsPerPixel (2 for 1 bit or less, at most 8); pixel values are taken modulo
// 2^code size. A new table is started once code 4095 has been given out. Data sub-blocks are 254
// bytes long.
void GifLZWEncode(TStream* Stream, Integer Height, Integer Width, bool Interlaced, const Byte* Pixels,
                  Integer BitsPerPixel);

// TIFF (codes most significant bit first, 9 to 12 bits, the width growing one code early; 256
// clear, 257 end of information).
//
// Decoding keeps its state between the calls of one strip. The end of the strip's DataSize bytes
// counts as the end of the information; whatever the information leaves short of the Length bytes
// asked for comes back as zeros. A code beyond the table ends the strip with nil.
Byte* TiffLZWDecode(const Byte* Data, Integer Length, void*& State, Integer DataSize);
// Encoding starts a new table (with a clear code) once code 4093 has been given out. Compressed
// bytes are written without any framing.
void TiffLZWEncode(const Byte* Data, Integer Length, TStream* Stream, void*& State);
