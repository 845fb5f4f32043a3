#pragma once
// The seam between menus (plain C++) and the backend that shows them (framework/qt/). Only the
// framework's own sources include this header.

#include "framework/menus.h"

class TCustomForm;

namespace lumora_menus {

// Implemented with the menus.
bool IsLiveItem(const TMenuItem* Item);
bool IsLiveMenu(const TMenu* Menu);

// Implemented by the backend.
// The list of Parent's sub-items, or one of them, changed: what shows them follows.
void ItemsChanged(TMenuItem* Parent);
void ItemDestroyed(TMenuItem* Item);
void MenuDestroyed(TMenu* Menu);
// The form's menu was set or taken away.
void FormMenuChanged(TCustomForm* Form);
// Shows Menu's items as a popup menu with its Alignment about the screen point, and returns
// when it closes.
void PopupMenu(TPopupMenu* Menu, TPoint ScreenPos);
// Opens the drop-down of Item, a top item of the form's menu bar. False when the bar does not
// show it.
bool OpenMenuBarItem(TCustomForm* Form, TMenuItem* Item);

}  // namespace lumora_menus
