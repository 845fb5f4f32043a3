#pragma once
// TImagoPaletteDialog: a small modal form that shows a palette as a grid of colour cells (15 x 15
// on a 16-pixel pitch, 32 to a row) and returns the colour the user clicks. The cell under the
// pointer is outlined in black. Callers create it, call SetPalette, may change CancelButton's
// caption, call Execute, read SelectedColor on true and free it.

#include "framework/forms.h"
#include "imaging/img_types.h"

class TButton;

class TImagoPaletteDialog : public TForm {
    LUMORA_CLASS(TImagoPaletteDialog, TForm)
public:
    explicit TImagoPaletteDialog(TComponent* AOwner);

    // The palette is not copied: it must stay alive while the dialog runs.
    void SetPalette(const TImgRGB* Palette, Integer NumCol);
    // Shows the form modally; true when a cell was clicked.
    bool Execute();
    // The colour of the last cell clicked.
    TColor GetSelectedColor() const { return FSelectedColor; }
    // The cell last hovered, -1 before the pointer passed over one.
    Integer GetSelectedIndex() const { return FSelected; }
    // The cell under a client point, -1 when there is none.
    Integer CellAt(Integer X, Integer Y) const;

    TButton* CancelButton = nullptr;

private:
    void PaintGrid();
    void FormMouseMove(Integer X, Integer Y);
    void FormClick();

    const TImgRGB* FPalette = nullptr;
    Integer FCount = 0;
    Integer FSelected = -1;
    TColor FSelectedColor = TColor(0);
};
