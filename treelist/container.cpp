#include "treelist/container.h"

TCustomgxContainer::TCustomgxContainer(TComponent* AOwner) : TCustomControl(AOwner) {}

void TCustomgxContainer::DoEditKeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
