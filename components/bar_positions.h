#pragma once
// Where the bars of a form are (their dock, row and position, or where they float), whether they
// show, and their own sizes, saved and restored through four operations on a store: one section
// per bar, named after it.

#include <string>

#include "components/tool_window.h"
#include "framework/registry.h"

// Every bar the form owns, in component order. A bar without a name, or docked on a dock that
// allows dragging but has no name, raises.
void SaveBarPositions(TComponent* Form, const TPositionWriteData& Data);
// Restores each bar saved with revision 2 or 3; the docks arrange once, at the end.
void LoadBarPositions(TComponent* Form, const TPositionReadData& Data);
// The same on a registry key (made when missing), a subkey per bar, values as decimal text.
void SaveBarPositionsToRegistry(TComponent* Form, HKEY RootKey, const std::string& KeyName);
void LoadBarPositionsFromRegistry(TComponent* Form, HKEY RootKey, const std::string& KeyName);
