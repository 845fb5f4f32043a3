#pragma once
// The access password asked at start-up when one is set: only a numeric hash of it is stored
// (the setting "TwainHandle").

#include <string>

#include "framework/types.h"

// The hash of a password: the decimal text of its length in bytes, then of the sum of each byte
// times its position plus two (32-bit, modulo ten million), then "9", read as a 32-bit number;
// 0 when that does not fit. The text is taken as typed.
Integer calcaccesspw(const std::string& Text);
// Whether Text hashes to StoredHash.
bool checkaccesspw(const std::string& Text, Integer StoredHash);
// Asks for the password; the typed text on OK, "" on Cancel.
std::string showpassworddialog();
