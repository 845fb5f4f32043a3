#pragma once
// TRichEdit: the rich-text view, for now a read-only memo that shows every document as plain
// text (PlainText says how a document is to be read; rich documents read as their plain text
// until the rich-text reader comes). Its lines load from a file; the text length counts
// characters, a line break as the two characters CR LF, as in a memo.

#include "framework/edit_controls.h"

class TRichEdit : public TCustomMemo {
    LUMORA_CLASS(TRichEdit, TCustomMemo)
public:
    explicit TRichEdit(TComponent* AOwner);

    bool GetPlainText() const { return FPlainText; }
    void SetPlainText(bool Value) { FPlainText = Value; }
    // The characters of the text.
    Integer GetTextLength();
    Integer GetLineCount() const { return GetLines()->GetCount(); }

private:
    bool FPlainText = false;
};
