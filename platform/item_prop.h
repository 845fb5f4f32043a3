#pragma once
// Commands on items of the shell namespace: an item menu at a screen point, or a named verb on
// the items a path names. The menu is ours: "Open" (the default command: the desktop's default
// application, or the program itself) and "Properties" (our Properties form).
//
// Modes: 0 shows the menu and runs the command chosen (nothing chosen answers True); 1 runs
// "properties" when the attributes hold SFGAO_HASPROPSHEET; 2 runs the default command; 3 runs
// the named verb ("open" or "properties"; others answer False).

#include <string>
#include <vector>

#include "framework/messages.h"
#include "framework/types.h"
#include "platform/shell_namespace.h"

constexpr Integer ipmMenu = 0;
constexpr Integer ipmProperties = 1;
constexpr Integer ipmDefault = 2;
constexpr Integer ipmVerb = 3;

// The menu for Items (one-step lists) of Folder at the screen point.
bool ShowShellContextMenu(const TShellFolder& Folder, const std::vector<TItemIDList>& Items, Cardinal Flags,
                          TPoint Point, HWND Owner);
// Verb on the items Path names: the path itself when it exists (names may hold "*" and "?"),
// else, when its name part holds "*" or "?", every match (none: False).
bool InvokeShellVerbOnPath(const std::string& Verb, const std::string& Path, HWND Owner);
// The common routine: Paths are the items' file-system paths.
bool InvokeShellItemCommand(const std::vector<std::string>& Paths, TPoint Point, HWND Owner, const std::string& Verb,
                            Integer Mode, Cardinal Flags);
