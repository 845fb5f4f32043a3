#include "imaging/palette_dialog.h"

#include <algorithm>

#include "framework/std_controls.h"

namespace {

constexpr Integer kPitch = 16;
constexpr Integer kColumns = 32;

}  // namespace

TImagoPaletteDialog::TImagoPaletteDialog(TComponent* AOwner) : TForm(AOwner) {
    BuildComponents(this, [this] {
        SetCaption("");
        SetBorderStyle(bsDialog);
        SetBorderIcons({biSystemMenu});
        SetPosition(poScreenCenter);
        SetWidth(539);
        SetHeight(199);
        CancelButton = new TButton(this);
        CancelButton->SetParent(this);
        CancelButton->SetCaption("&Cancel");
        CancelButton->SetModalResult(mrCancel);
        CancelButton->SetCancel(true);
        CancelButton->SetLeft(8);
        CancelButton->SetTop(144);
    });
    OnPaint = [this](TObject*) { PaintGrid(); };
    OnMouseMove = [this](TObject*, TShiftState, Integer X, Integer Y) { FormMouseMove(X, Y); };
    OnClick = [this](TObject*) { FormClick(); };
}

void TImagoPaletteDialog::SetPalette(const TImgRGB* Palette, Integer NumCol) {
    FPalette = Palette;
    FCount = Palette ? std::max<Integer>(NumCol, 0) : 0;
    if (FSelected >= FCount) FSelected = -1;
}

bool TImagoPaletteDialog::Execute() {
    return ShowModal() == mrOk;
}

Integer TImagoPaletteDialog::CellAt(Integer X, Integer Y) const {
    // Division truncates toward zero, as the grid is laid out from (1, 1). The strip right of the
    // last column belongs to no cell.
    const Integer column = (X - 1) / kPitch, row = (Y - 1) / kPitch;
    if (column < 0 || column >= kColumns || row < 0) return -1;
    const Integer index = column + kColumns * row;
    return index < FCount ? index : -1;
}

void TImagoPaletteDialog::PaintGrid() {
    TCanvas* c = GetCanvas();
    c->GetPen()->SetStyle(psSolid);
    c->GetPen()->SetMode(pmCopy);
    c->GetPen()->SetWidth(1);
    c->GetBrush()->SetStyle(bsSolid);
    for (Integer i = 0; i < FCount; ++i) {
        const Integer column = i % kColumns, row = i / kColumns;
        c->GetBrush()->SetColor(ImgRGBToColor(FPalette[i]));
        c->GetPen()->SetColor(i == FSelected ? TColor(0x000000) : TColor(0xFFFFFF));
        c->Rectangle(column * kPitch + 1, row * kPitch + 1, column * kPitch + 16, row * kPitch + 16);
    }
}

void TImagoPaletteDialog::FormMouseMove(Integer X, Integer Y) {
    const Integer index = CellAt(X, Y);
    if (index < 0 || index == FSelected) return;
    FSelected = index;
    PaintGrid();
}

void TImagoPaletteDialog::FormClick() {
    // A click before the pointer passed over any cell chooses nothing.
    if (FSelected < 0 || FSelected >= FCount) return;
    FSelectedColor = ImgRGBToColor(FPalette[FSelected]);
    SetModalResult(mrOk);
}
