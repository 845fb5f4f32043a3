#include "framework/rich_edit.h"

TRichEdit::TRichEdit(TComponent* AOwner) : TCustomMemo(AOwner) {
    SetReadOnly(true);
    SetScrollBars(ssBoth);
}

Integer TRichEdit::GetTextLength() {
    Integer count = 0;
    for (unsigned char c : GetText())
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}
