#pragma once
// Building menus in code, shared by the main window's fixed and rebuilt menus: items with a
// caption, hint, state, image, tag and click handler, items bound to an action, and clearing.

#include <string>

#include "framework/menus.h"

// Frees every item below Item (a popup menu: below its root item).
void ClearMenuItems(TMenuItem* Item);
void ClearMenuItems(TMenu* Menu);
// An item owned by Owner appended to Parent: its hint is Hint, or the caption when Hint is empty;
// ImageIndex is set when not negative. A caption "-" makes a separator.
TMenuItem* CreateMenuItem(TComponent* Owner, TMenuItem* Parent, const std::string& Caption, const std::string& Hint,
                          bool Enabled, bool Checked, Integer ImageIndex, Integer Tag, TNotifyEvent OnClick);
// An enabled, unchecked item with tag 0 and the caption as its hint.
TMenuItem* CreateSimpleMenuItem(TComponent* Owner, TMenuItem* Parent, const std::string& Caption, Integer ImageIndex,
                                TNotifyEvent OnClick);
// An item that follows Action.
TMenuItem* CreateActionMenuItem(TComponent* Owner, TMenuItem* Parent, TBasicAction* Action);
