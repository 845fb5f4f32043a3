#include "dialogs/splash.h"

#include "framework/graphics.h"

TdlgSplash_LM* dlgSplash_LM = nullptr;

TdlgSplash_LM::TdlgSplash_LM(TComponent* AOwner) : TForm(AOwner) {
    SetName("dlgSplash_LM");
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    SetPosition(poScreenCenter);
    SetColor(clBlack);
    SetBounds(0, 0, 420, 240);
}

TdlgSplash_LM::~TdlgSplash_LM() {
    if (dlgSplash_LM == this) dlgSplash_LM = nullptr;
}
