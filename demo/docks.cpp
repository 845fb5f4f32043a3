// A form with docks on its four edges holding bars in rows, and a bar floating over it.
// "docks --png FILE" saves the screen with both as FILE; without arguments the form runs.

#include <string>

#include "components/tool_window.h"
#include "demo/demo_start.h"
#include "framework/graphics.h"

namespace {

TCustomToolWindowX* AddBar(TForm* Form, TWinControl* Parent, const std::string& Caption, TRect Bounds,
                           TDragHandleStyle Style, bool CloseButton, Integer Row) {
    auto* bar = new TCustomToolWindowX(Form);
    bar->SetCaption(Caption);
    bar->SetDragHandleStyle(Style);
    bar->SetCloseButtonWhenDocked(CloseButton);
    bar->SetDockRow(Row);
    bar->SetDockPos(Bounds.Left);
    bar->SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
    bar->SetParent(Parent);
    return bar;
}

TDockX* AddDock(TForm* Form, TDockPosition Position) {
    auto* dock = new TDockX(Form);
    dock->SetParent(Form);
    dock->SetPosition(Position);
    dock->SetBoundLines({blTop, blBottom, blLeft, blRight});
    return dock;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string png = StartDemo(argc, argv, "Docks demo");
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("Docks");
    form->SetBounds(100, 100, 520, 360);

    TDockX* top = AddDock(form, dpTop);
    TDockX* bottom = AddDock(form, dpBottom);
    TDockX* left = AddDock(form, dpLeft);
    TDockX* right = AddDock(form, dpRight);
    // A tiled background of two shades behind the top dock and its bars.
    TBitmap tile;
    tile.SetSize(8, 8);
    tile.GetCanvas()->GetBrush()->SetColor(clBtnFace);
    tile.GetCanvas()->FillRect({0, 0, 8, 8});
    tile.GetCanvas()->GetBrush()->SetColor(clBtnShadow);
    tile.GetCanvas()->FillRect({0, 0, 4, 4});
    tile.GetCanvas()->FillRect({4, 4, 8, 8});
    top->SetBackground(&tile);

    AddBar(form, top, "Double", Bounds(0, 0, 160, 26), dhDouble, false, 0);
    AddBar(form, top, "Single", Bounds(170, 0, 120, 26), dhSingle, false, 0);
    AddBar(form, top, "Closing", Bounds(0, 0, 200, 26), dhDouble, true, 1);
    AddBar(form, bottom, "Bottom", Bounds(0, 0, 240, 22), dhDouble, false, 0);
    AddBar(form, left, "Left", Bounds(0, 0, 26, 120), dhDouble, false, 0);
    AddBar(form, right, "Right", Bounds(0, 0, 26, 100), dhSingle, true, 0);
    TCustomToolWindowX* floating = new TCustomToolWindowX(form);
    floating->SetCaption("Floating");
    floating->SetBounds(0, 0, 140, 70);
    floating->SetFloatingPosition({260, 260});
    floating->SetParent(form);

    if (png.empty()) {
        Application->Run();
        return 0;
    }
    uitest::ShowForm(form);
    uitest::IdleTurns(2);
    const bool ok = SaveDemoScreenPng(png);
    form->Free();
    return ok ? 0 : 1;
}
