#pragma once
// Opening a file in another program: the desktop's default application, or a program given by
// name or path that gets the file as its one argument. Nothing goes through a shell.

#include <string>

#include "catalogue/lm_types.h"

// Starts Program with FullName as its only argument, or FullName in the default application
// when Program is empty. True when it started.
bool LaunchFileWith(const std::string& Program, const std::string& FullName);

// Asks the user for the editor program of Kind: a confirmation first, then the open dialog
// "Select Editing Application". A chosen program is stored as the kind's editor and returned;
// "" when the user cancels either.
std::string AskEditorProgram(TLMFileTypes Kind);
