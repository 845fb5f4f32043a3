#pragma once
// Stand-in until the framework's graphics unit lands: resolves system colours (high byte set)
// to plain RGB. Replaced by framework/graphics.h.

#include "framework/types.h"

inline TColor ColorToRGB(TColor Color) {
    // Classic values for the two system colours the library uses as defaults; others resolve to
    // black until the framework's table is available.
    if (Color >= 0) return Color;
    switch (Color & 0xFF) {
    case 5: return 0xFFFFFF;   // window
    case 15: return 0xC0C0C0;  // button face
    default: return 0;
    }
}
