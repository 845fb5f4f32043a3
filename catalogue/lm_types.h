#pragma once
// The catalogue's shared vocabulary: the texts and numbers every stored setting is written and
// read with.

#include <string>

#include "framework/types.h"

// "True" or "False".
std::string BoolToText(bool B);
// True for "TRUE" and False for "FALSE" in any case; any other text (an empty one included) gives
// Default.
bool TextToBoolDef(const std::string& S, bool Default);
// The integer value of S when it parses and lies in [Min, Max] (both ends included), otherwise
// Default.
Integer StrToIntRange(const std::string& S, Integer Min, Integer Max, Integer Default);
