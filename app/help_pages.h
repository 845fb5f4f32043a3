#pragma once
// The help stand-in: there is no viewer for the help file, so each help context opens a page of
// our own from the folder "help" beside the help file: "<context>.html", or the contents page
// "index.html" for a context without a page of its own. Pages open in the desktop's browser.

#include <functional>
#include <string>

#include "framework/types.h"

// The page for Context ("" when not even the contents page is there).
std::string HelpPageFor(const std::string& HelpFile, Integer Context);
// The help handler of the application: opens the page for Context; false when there is none or
// it could not be opened.
bool ShowHelpPage(const std::string& HelpFile, Integer Context);
// What opens a page (the desktop's default program unless a test put another here).
extern std::function<bool(const std::string& Page)> HelpPageOpener;
