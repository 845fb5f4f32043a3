#pragma once
// TgxInplaceTextEdit: the in-place editor of plain cell text, a one-line edit window that
// remembers the text it was loaded with so that Esc can restore it. TgxInplaceMaskEdit adds an
// edit mask (treelist/edit_mask.h): literals and blanks shown in place, a caret that is a
// one-character selection over the current input position, typing that overwrites, and a cell
// that cannot be left while a required position is unfilled.

#include <string>

#include "treelist/edit_mask.h"
#include "treelist/inplace_edit.h"

class TgxInplaceTextEdit : public TgxInplaceEdit {
    LUMORA_CLASS(TgxInplaceTextEdit, TgxInplaceEdit)
public:
    explicit TgxInplaceTextEdit(TComponent* AOwner);

    // The window text becomes the text the editor was loaded with.
    virtual void RestoreText();
    // Copies at most Size - 1 selected characters (UTF-8 bytes, cut at a character) into Buffer,
    // ends it with 0 and answers the bytes copied.
    Integer GetSelTextBuf(char* Buffer, Integer Size);
    // The editor is a system edit window (kinds that paint themselves answer False).
    virtual bool IsEditWindow() { return true; }
    const std::string& GetLoadedText() const { return FLoadedText; }

    void AdjustEditArea() override;
    TgxEditBorderStyle GetBorderStyle() override;
    void SetBorderStyle(TgxEditBorderStyle Value) override;
    bool GetReadOnly() override { return TCustomEdit::GetReadOnly(); }
    void SetReadOnly(bool Value) override { TCustomEdit::SetReadOnly(Value); }
    void MoveCaretToEnd() override;
    void SelectAll() override { TCustomEdit::SelectAll(); }
    void LoadContainerSettings() override;
    bool CanEditText() override { return true; }

protected:
    void SetLoadedText(const std::string& Value) { FLoadedText = Value; }
    void KeyDown(Word& Key, TShiftState Shift) override;

private:
    std::string FLoadedText;
};

class TgxInplaceMaskEdit : public TgxInplaceTextEdit {
    LUMORA_CLASS(TgxInplaceMaskEdit, TgxInplaceTextEdit)
public:
    explicit TgxInplaceMaskEdit(TComponent* AOwner) : TgxInplaceTextEdit(AOwner) {}

    const std::string& GetEditMask() const { return FMask.GetMask(); }
    // The current value is shown again through the new mask.
    void SetEditMask(const std::string& Value);
    const TgxEditMask& GetMask() const { return FMask; }
    // The value shown through the mask.
    void SetMaskedText(const std::string& Value);
    // Set by editor kinds that keep the window text as the value; the blank then counts as filled.
    bool GetRawValue() const { return FRawValue; }
    void SetRawValue(bool Value) { FRawValue = Value; }
    // The text when the editor was entered; RestoreText puts it back.
    const std::string& GetEntryText() const { return FEntryText; }

    virtual void GetSel(Integer& Start, Integer& End);
    // The container's edit mask.
    virtual void GetMaskFromContainer(std::string& Mask) { Mask = GetContainerEditMask(); }

    void LoadContainerSettings() override;
    bool NeedsValidation() override { return TgxInplaceTextEdit::NeedsValidation() && GetModified(); }
    // With a mask and a modified text: a required position left unfilled raises EDBEditError,
    // with the caret on it and the focus taken back, unless the host is closing the editor, which
    // restores the text instead.
    void ValidateEdit() override;
    std::string GetEditValueText() override;
    void RestoreText() override;

    // The caret on position Pos: a one-character selection over it, or an empty one at the end.
    void SetCaret(Integer Pos);

protected:
    bool AcceptUserEdit(Integer Start, Integer Length, const std::u32string& Insert) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void EditKeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void WndProc(TMessage& Message) override;
    void CMEnter(TMessage& Message) override;
    void CMExit(TMessage& Message) override;
    void CMTextChanged(TMessage& Message) override;
    void CMWantSpecialKey(TMessage& Message) override;

private:
    // Shows Shown as a change of the user's, with the caret at Caret.
    void Apply(const std::u32string& Shown, Integer Caret);
    // Resets the selection (Backspace first steps back over one input position).
    void ClearChars(bool Backspace);
    void PlaceCaretOnInput();
    std::u32string Shown() const { return FChars; }

    TgxEditMask FMask;
    bool FRefocused = false;
    bool FApplying = false;
    bool FRawValue = false;
    Integer FCaretAnchor = 0;
    std::string FEntryText;
};

// Asks the edit window to take the focus back after leaving it was refused.
constexpr Cardinal WM_GX_REFOCUS = WM_APP + 102;
