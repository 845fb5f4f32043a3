#pragma once
// The fax codings of ITU-T T.4 and T.6 for black-and-white TIFF pages: modified Huffman rows
// (TIFF compression 2), Group 3 one- and two-dimensional rows (compression 3) and Group 4 rows
// (compression 4).
//
// Rows are 1-bit rows, most significant bit first. The decoders write 1 for white and 0 for
// black; the encoders take rows in which 0 is white (the TIFF writer inverts the bitmap first).
// Only the Width pixels of a row are read or written; padding bits of its last byte are left.
//
// The decoders read the strip's DataSize bytes only: its end ends the row in progress, whose
// remaining pixels take the colour of the run in progress, and every row after it is white. With
// FillOrder 2 the bits of each byte come least significant first. Corrupt data gives wrong pixels,
// never a failure, and every row ends.

#include <vector>

#include "framework/stream.h"
#include "framework/types.h"

// Decodes one modified Huffman row from the first bit of Data; returns the bytes used (the bits
// used, rounded up to whole bytes).
Integer CCITTDecodeMH(Byte* Row, const Byte* Data, Int64 DataSize, Integer Width, Integer FillOrder);
// Decodes one Group 3 one-dimensional row from bit BitPos of the strip; returns the bit position
// after it. An end-of-line code at BitPos is skipped; one further on ends the row.
Int64 CCITTDecode1D(Byte* Row, const Byte* Data, Int64 DataSize, Integer Width, Integer FillOrder,
                    Int64 BitPos);
// Decodes one two-dimensional row (Group 3 two-dimensional and Group 4) from bit BitPos against
// Reference (the previous row, all white before the first; (Width + 7) / 8 bytes), copies the
// row into Reference and returns the bit position after it. An end-of-line code at BitPos is
// followed by the Group 3 tag bit: 1 codes the row one-dimensionally.
Int64 CCITTDecode2D(Byte* Row, const Byte* Data, Int64 DataSize, Integer Width, Integer FillOrder,
                    Int64 BitPos, Byte* Reference);

// What an encoder keeps between the rows of a strip: the bits not yet written (0 to 7, at the top
// of Partial), the reference row of the two-dimensional coders (the previous row; empty before
// the first, which counts as all white) and whether a row was coded.
struct TCCITTEncodeState {
    Integer Bits = 0;
    Byte Partial = 0;
    bool Started = false;
    std::vector<Byte> Reference;
};

// One modified Huffman row, padded with zero bits to a whole byte; no end-of-line code.
void CCITTEncodeMH(const Byte* Row, Integer Width, TStream* Stream);
// One Group 3 one-dimensional row after an end-of-line code. Row null ends the strip: the bits
// still waiting are written, padded with zero bits to a whole byte.
void CCITTEncode1D(const Byte* Row, Integer Width, TStream* Stream, TCCITTEncodeState& State);
// One Group 3 two-dimensional strip row: an end-of-line code and the tag bit first, the first row
// of the strip tagged 1 and coded one-dimensionally, every later one tagged 0 and coded against
// the previous row. Row null ends the strip with an end-of-line code and the bits still waiting,
// padded with zero bits to a whole byte.
void CCITTEncode2D(const Byte* Row, Integer Width, TStream* Stream, TCCITTEncodeState& State);
// One Group 4 row, coded against the previous row (an all-white row before the first). Row null
// ends the strip with the end-of-facsimile block (two end-of-line codes) and pads with zero bits
// to a whole byte.
void CCITTEncodeG4(const Byte* Row, Integer Width, TStream* Stream, TCCITTEncodeState& State);
