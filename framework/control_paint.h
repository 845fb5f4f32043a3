#pragma once
// Drawing helpers shared by the standard controls (framework-internal).

#include <string>

#include "framework/controls.h"
#include "framework/graphics.h"

namespace lumora_paint {

// A canvas for measuring text in Font outside painting (a small bitmap's canvas).
TCanvas* MeasureCanvas(TFont* Font);
// DT_LEFT, DT_RIGHT or DT_CENTER for an alignment.
UINT AlignmentFlags(TAlignment Alignment);
// An 8 x 8 checker of two colours (kept; the same colours give the same bitmap).
TBitmap* PatternBitmap(TColor Color1, TColor Color2);
// The glyph of a bitmap button kind (TBitBtnKind as int); empty for bkCustom.
void KindGlyph(int Kind, TBitmap* Glyph);
// Fills R with a solid colour.
void FillSolid(TCanvas* c, const TRect& r, TColor colour);
// A one-pixel solid line from (x1, y1) up to, not including, (x2, y2).
void Line(TCanvas* c, TColor colour, Integer x1, Integer y1, Integer x2, Integer y2);
// The arrow of a drop-down, spin or scroll button (DFCS_SCROLLUP/DOWN/LEFT/RIGHT) centred in R.
void DrawArrow(TCanvas* Canvas, const TRect& R, UINT Direction, bool Enabled);

// The window styles of a control's border: bsSingle is a sunken edge (a line without Ctl3D).
void AddBorderStyle(TCreateParams& Params, TBorderStyle Style, bool Ctl3D);
// Labels' and static texts' accelerators: focuses Target when Key is Caption's accelerator and
// the target can take the focus. True when it did.
bool FocusByAccelerator(TWinControl* Target, bool Enabled, bool ShowAccelChar, Word Key, const std::string& Caption);
// Points Field at Value, moving Self's free notification from the old control to the new one.
void SetLinkedControl(TComponent* Self, TWinControl*& Field, TWinControl* Value);

// Clips a canvas to a rectangle for the scope's life (owner drawing stays inside its item).
class TClipScope {
public:
    TClipScope(TCanvas* Canvas, const TRect& R);
    ~TClipScope();
    TClipScope(const TClipScope&) = delete;
    TClipScope& operator=(const TClipScope&) = delete;

private:
    TCanvas* FCanvas;
    int FSaved;
};

}  // namespace lumora_paint
