#include "catalogue/lm_types.h"

#include "framework/sysutils.h"

std::string BoolToText(bool B) { return B ? "True" : "False"; }

bool TextToBoolDef(const std::string& S, bool Default) {
    if (SameText(S, "TRUE")) return true;
    if (SameText(S, "FALSE")) return false;
    return Default;
}

Integer StrToIntRange(const std::string& S, Integer Min, Integer Max, Integer Default) {
    Integer value = 0;
    if (!TryStrToInt(S, value) || value < Min || value > Max) return Default;
    return value;
}
