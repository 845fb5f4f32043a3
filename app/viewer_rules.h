#pragma once
// The viewer's rules that need no window: the zoom steps, the default zoom code of a file, the
// zoom label and the file label's text and hint per kind.

#include <string>

#include "catalogue/lm_types.h"

// Zoom codes besides a percentage.
inline constexpr Integer zcFit = -5;          // stretch small and shrink large content
inline constexpr Integer zcStretchOnly = -4;
inline constexpr Integer zcShrinkOnly = -3;
inline constexpr Integer zcDefault = -1;      // 100 % for images

// The highest percentage shown in the zoom label; above it the label is empty.
inline constexpr Integer MaxLabelledZoom = 10000;

// One zoom step from the percentage Zoom: in, to the next multiple of 5 up to 25 %, of 25 up to
// 300 %, of 100 beyond (Zoom comes back where that would pass the largest Integer); out, to the
// previous one, nothing below 6 % (Zoom comes back).
Integer ZoomStep(bool ZoomIn, Integer Zoom);
// The zoom code a file of Kind starts at from the fit settings of its kind: both -5, stretch
// only -4, shrink only -3, neither -1; kinds other than image and video -1.
Integer DefaultZoomCode(TLMFileTypes Kind, bool ImageStretch, bool ImageShrink, bool VideoStretch, bool VideoShrink);
// The display mode a kind is shown in: image 0, text 3, sound and video 2, office 4, else -1.
Integer FileKindToDisplayMode(TLMFileTypes Kind);
// "Zoom: N%", or "" above MaxLabelledZoom.
std::string ZoomLabelText(Integer Zoom);

// What the file label says about the shown file.
struct TFileFacts {
    TLMFileTypes Kind = lmnone;
    std::string FullName;
    Int64 Size = 0;
    Integer SizeDetailLevel = 1;
    // Images: the picture's size and bits per pixel.
    Integer Width = 0, Height = 0, Bits = 0;
    // Text: characters and lines.
    Integer Chars = 0, Lines = 0;
    // Sound and video: the length text ("" when there is none) and the video's size.
    std::string LengthText;
    Integer MediaWidth = 0, MediaHeight = 0;
    // The file is kept in the database.
    bool InDatabase = false;
};
struct TFileLabel {
    std::string Text;
    std::string Hint;
};
// "  FULLNAME  (facts, size)" and the hint: the name, the facts and the size in more detail, each
// on its own line.
TFileLabel FileLabelFor(const TFileFacts& Facts);
