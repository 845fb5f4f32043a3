#pragma once
// The LZW coders of the GIF and TIFF codecs sit behind four replaceable hooks, one decoder and one
// encoder per format. The hooks below exist once per process; every TIOParamsVals copies them when
// its fields are reset, and a codec uses the copy in the parameters it was given. A nil hook means
// that no coder is installed: GIF and LZW-compressed TIFF images can then be neither read nor
// written. The hooks are nil at program start; the program installs its coders while it starts.

#include "framework/stream.h"
#include "framework/types.h"

// Decodes the LZW data of one GIF image. Stream stands at the image's LZW minimum code size byte;
// Pixels is a buffer of Width x Height bytes that receives one palette index per pixel, rows from
// top to bottom; Interlaced tells that the rows arrive in the four GIF interlace passes. The
// decoder leaves the stream after the data's block terminator; on failure it puts the stream back
// where it was, which the GIF reader takes as the sign of failure.
using TGIFLZWDecompress = void (*)(TStream* Stream, Integer Height, Integer Width, bool Interlaced,
                                   Byte* Pixels);

// Writes, at the stream's position, the LZW minimum code size byte, the data sub-blocks and the
// block terminator for the Width x Height palette indexes in Pixels; with Interlaced the rows are
// taken in interlace pass order.
using TGIFLZWCompress = void (*)(TStream* Stream, Integer Height, Integer Width, bool Interlaced,
                                 const Byte* Pixels, Integer BitsPerPixel);

// Decodes one TIFF strip a piece at a time. State is nil before the first call, which creates the
// state and binds it to Data, the strip's DataSize compressed bytes, and to Length. Each call
// returns a pointer to the next Length decoded bytes (nil on a decoding error); later calls go on
// from where the previous one stopped (their Data is only tested for nil). The decoder never reads
// past the DataSize bytes: their end counts as the end of the information. A call with Data nil
// frees the state and returns nil.
using TTIFFLZWDecompress = Byte* (*)(const Byte* Data, Integer Length, void*& State,
                                     Integer DataSize);

// Encodes one TIFF strip a piece at a time. State nil: creates the state, writes the clear code and
// encodes Length bytes from Data; State set and Data not nil: encodes Length more bytes with the
// same code table; Data nil: writes the pending code and the end-of-information code, flushes the
// last bits to Stream and frees the state. Compressed bytes go to Stream as they accumulate.
using TTIFFLZWCompress = void (*)(const Byte* Data, Integer Length, TStream* Stream, void*& State);

// The process-wide hooks.
extern TGIFLZWDecompress DefGIFLZWDecompress;
extern TGIFLZWCompress DefGIFLZWCompress;
extern TTIFFLZWDecompress DefTIFFLZWDecompress;
extern TTIFFLZWCompress DefTIFFLZWCompress;
