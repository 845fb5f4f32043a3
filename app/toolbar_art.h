#pragma once
// The glyphs of the main window's toolbar buttons (our own artwork, drawn with the canvas).

#include <string>

class TBitmap;

// Draws the 16 x 16 glyph of the button named ButtonName into Glyph, on a transparent colour
// (its bottom-left pixel); false for a name that has no glyph.
bool DrawToolbarGlyph(const std::string& ButtonName, TBitmap& Glyph);
