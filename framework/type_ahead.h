#pragma once
// Finding an item of a list or tree by typing the start of its text (framework-internal).

#include <string>

#include "framework/messages.h"
#include "framework/sysutils.h"

namespace lumora_detail {

// The letters typed in a row and when the last one came.
struct TTypeAhead {
    std::string Typed;
    DWORD Time = 0;

    // Adds Key to the letters (they start again when more than Timeout ms passed since the last
    // one, or every time when Join is false) and returns the first of Count items whose text,
    // ItemText(Index), starts with them, looking round from Current: from the item after it
    // while a single letter is typed, so that one letter steps through its items; from the first
    // item when Current is -1. -1: none.
    template <class F>
    Integer Find(Char Key, DWORD Timeout, bool Join, Integer Count, Integer Current, F&& ItemText) {
        DWORD now = GetMessageTime();
        if (!Join || now - Time > Timeout) Typed.clear();
        Time = now;
        Typed += CharToUtf8(Key);
        Integer start = Current < 0 ? 0 : Current + (Utf8Length(Typed) == 1 ? 1 : 0);
        for (Integer n = 0; n < Count; ++n) {
            Integer i = (start + n) % Count;
            if (AnsiStartsText(Typed, ItemText(i))) return i;
        }
        return -1;
    }
};

}  // namespace lumora_detail
