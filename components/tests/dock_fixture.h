#pragma once
// A shown-or-not test form (framework/tests/window_fixture.h) with docks and bars added to it.

#include "components/dock.h"
#include "components/tool_window.h"
#include "framework/tests/window_fixture.h"

class DockFixture : public WindowTest {
protected:
    TDockX* AddDock(TDockPosition P) {
        auto* d = new TDockX(Form);
        d->SetParent(Form);
        d->SetPosition(P);
        return d;
    }
    // A Size x Size background tile in Base with Part in PartColour.
    static void FillTile(TBitmap& Tile, Integer Size, TColor Base, TRect Part, TColor PartColour) {
        Tile.SetSize(Size, Size);
        Tile.GetCanvas()->GetBrush()->SetColor(Base);
        Tile.GetCanvas()->FillRect({0, 0, Size, Size});
        Tile.GetCanvas()->GetBrush()->SetColor(PartColour);
        Tile.GetCanvas()->FillRect(Part);
    }
    TCustomToolWindowX* AddBar(TDockX* Dock, Integer W, Integer H) {
        auto* b = new TCustomToolWindowX(Form);
        b->SetBounds(0, 0, W, H);
        b->SetParent(Dock);
        return b;
    }
};
