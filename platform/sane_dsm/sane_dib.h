#pragma once
// Turning the frames of one SANE scan into a packed device-independent bitmap in a global memory
// block, as a native transfer hands it over: lineart as 1 bit with the table black, white (set
// bits white), grey as 8 bits with a grey table, colour as 24 bits; 16-bit samples keep their
// high byte and 1-bit colour samples become 0 or 255.

#include <vector>

#include <sane/sane.h>

#include "framework/dynlib.h"

// One frame: what sane_get_parameters said and the bytes sane_read gave.
struct TSaneFrame {
    SANE_Parameters Params{};
    std::vector<SANE_Byte> Data;
};

// The bitmap of a scan: one grey or colour frame, or a red, a green and a blue frame of one size
// (in any order). The rows are the complete lines read (a hand scanner tells its height only by
// the data). Nil when the frames cannot make a picture or there is no memory.
HGLOBAL SaneFramesToDib(const std::vector<TSaneFrame>& Frames, double DotsPerInch);
