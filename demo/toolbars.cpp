// Toolbars on docks with buttons in each of their looks (up, under the mouse, pressed, down in a
// group, disabled, with a drop-down arrow, with an arrow part) and separators, a floating toolbar
// wrapped into lines, a floating tool window, and the outline of a bar being dragged.
// "toolbars --png FILE" saves the screen as FILE; without arguments the form runs.

#include <string>

#include "components/toolbar.h"
#include "components/toolbar_button.h"
#include "demo/demo_start.h"
#include "framework/graphics.h"
#include "framework/screen_overlay.h"

namespace {

// A 16 x 16 glyph: a shape in Colour on the transparent colour (its bottom-left pixel).
void MakeGlyph(TBitmap& B, TColor Colour, int Shape) {
    B.SetSize(16, 16);
    TCanvas* c = B.GetCanvas();
    c->GetBrush()->SetColor(clFuchsia);
    c->FillRect({0, 0, 16, 16});
    c->GetBrush()->SetColor(Colour);
    c->GetPen()->SetColor(clBlack);
    if (Shape == 0) c->Rectangle(2, 2, 14, 14);
    if (Shape == 1) c->Ellipse(2, 2, 14, 14);
    if (Shape == 2) c->Rectangle(1, 5, 15, 11);
}

TToolbarButtonX* AddButton(TForm* Form, TToolbarX* Bar, const std::string& Caption, TColor Colour, int Shape,
                           Integer Width = 23) {
    auto* b = new TToolbarButtonX(Form);
    TBitmap glyph;
    MakeGlyph(glyph, Colour, Shape);
    b->SetGlyph(&glyph);
    b->SetCaption(Caption);
    b->SetBounds(0, 0, Width, 22);
    b->SetParent(Bar);
    return b;
}

void AddSeparator(TForm* Form, TToolbarX* Bar) {
    auto* s = new TToolbarSepX(Form);
    s->SetParent(Bar);
}

TDockX* AddDock(TForm* Form, TDockPosition Position, const std::string& Name) {
    auto* dock = new TDockX(Form);
    dock->SetName(Name);
    dock->SetParent(Form);
    dock->SetPosition(Position);
    return dock;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string png = StartDemo(argc, argv, "Toolbars demo");
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("Toolbars");
    form->SetBounds(40, 40, 560, 380);
    TDockX* top = AddDock(form, dpTop, "dckTop");
    TDockX* left = AddDock(form, dpLeft, "dckLeft");

    // The first toolbar: buttons up, under the mouse, pressed, in a group, disabled.
    auto* main = new TToolbarX(form);
    main->SetName("tbrMain");
    main->SetParent(top);
    AddButton(form, main, "", clRed, 0);
    TToolbarButtonX* hot = AddButton(form, main, "", clLime, 1);
    TToolbarButtonX* pressed = AddButton(form, main, "", clBlue, 2);
    pressed->SetGroupIndex(9);
    pressed->SetHighlightWhenDown(false);
    pressed->SetDown(true);
    AddSeparator(form, main);
    TToolbarButtonX* one = AddButton(form, main, "", clYellow, 0);
    TToolbarButtonX* two = AddButton(form, main, "", clAqua, 1);
    one->SetGroupIndex(1);
    two->SetGroupIndex(1);
    two->SetDown(true);
    AddSeparator(form, main);
    AddButton(form, main, "", clPurple, 2)->SetEnabled(false);

    // The second: captions, a drop-down button and a combo button.
    auto* menu = new TPopupMenu(form);
    auto* more = new TToolbarX(form);
    more->SetName("tbrMore");
    more->SetDockPos(260);
    more->SetParent(top);
    TToolbarButtonX* open = AddButton(form, more, "Open", clTeal, 0, 64);
    open->SetDropdownMenu(menu);
    AddSeparator(form, more);
    TToolbarButtonX* combo = AddButton(form, more, "Save", clMaroon, 2, 56);
    combo->SetDropdownMenu(menu);
    combo->SetDropdownCombo(true);

    // A vertical toolbar on the left dock.
    auto* side = new TToolbarX(form);
    side->SetName("tbrSide");
    side->SetParent(left);
    AddButton(form, side, "", clNavy, 1);
    AddSeparator(form, side);
    AddButton(form, side, "", clOlive, 0);

    // A floating toolbar wrapped into lines with the separators between them.
    auto* floating = new TToolbarX(form);
    floating->SetName("tbrFloat");
    floating->SetCaption("Wrapped");
    floating->SetFloatingPosition({330, 200});
    floating->SetParent(form);
    for (int i = 0; i < 6; ++i) {
        if (i == 2 || i == 4) AddSeparator(form, floating);
        AddButton(form, floating, "", i % 2 ? clRed : clGreen, i % 3);
    }
    floating->SetFloatRightX(60);

    // A floating tool window.
    auto* window = new TToolWindowX(form);
    window->SetName("tbrKeys");
    window->SetCaption("Tool window");
    window->SetClientAreaWidth(150);
    window->SetClientAreaHeight(70);
    window->SetFloatingPosition({120, 250});
    window->SetParent(form);

    if (png.empty()) {
        Application->Run();
        return 0;
    }
    uitest::ShowForm(form);
    uitest::IdleTurns(2);
    uitest::MouseMove(hot, 5, 5);
    // The outline of a bar being dragged over the form.
    TScreenOverlay outline;
    TPoint at = form->ClientToScreen({200, 120});
    ShowDragOutline(outline, Bounds(at.X, at.Y, 150, 40), 3);
    uitest::IdleTurns(2);
    const bool ok = SaveDemoScreenPng(png);
    outline.Hide();
    form->Free();
    return ok ? 0 : 1;
}
