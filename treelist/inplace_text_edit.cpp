#include "treelist/inplace_text_edit.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "framework/clipboard.h"
#include "framework/dialog_service.h"
#include "framework/exceptions.h"
#include "framework/sysutils.h"
#include "framework/window_backend.h"

// ---- TgxInplaceTextEdit ----------------------------------------------------------------------

TgxInplaceTextEdit::TgxInplaceTextEdit(TComponent* AOwner) : TgxInplaceEdit(AOwner) { SetParentColor(false); }

void TgxInplaceTextEdit::RestoreText() { SetText(FLoadedText); }

Integer TgxInplaceTextEdit::GetSelTextBuf(char* Buffer, Integer Size) {
    if (!Buffer || Size <= 0) return 0;
    const std::string sel = GetSelText();
    size_t n = std::min(sel.size(), size_t(Size - 1));
    // Never half a character.
    while (n > 0 && n < sel.size() && (static_cast<unsigned char>(sel[n]) & 0xC0) == 0x80) --n;
    std::memcpy(Buffer, sel.data(), n);
    Buffer[n] = 0;
    return Integer(n);
}

void TgxInplaceTextEdit::AdjustEditArea() {
    const bool single = GetBorderStyle() == xbsSingle;
    const TRect area{single ? 1 : 2, single ? 2 : 1, GetWidth() - 2, GetHeight()};
    Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&area));
    Perform(EM_SCROLLCARET, 0, 0);
}

TgxEditBorderStyle TgxInplaceTextEdit::GetBorderStyle() {
    return TCustomEdit::GetBorderStyle() == bsSingle ? xbsSingle : xbsNone;
}

void TgxInplaceTextEdit::SetBorderStyle(TgxEditBorderStyle Value) {
    TCustomEdit::SetBorderStyle(Value == xbsSingle ? bsSingle : bsNone);
}

void TgxInplaceTextEdit::MoveCaretToEnd() { Perform(EM_SETSEL, INT_MAX, -1); }

void TgxInplaceTextEdit::LoadContainerSettings() {
    TgxInplaceEdit::LoadContainerSettings();
    SetCharCase(GetContainerCharCase());
    SetText(GetContainerEditText());
    FLoadedText = GetText();
    SetMaxLength(GetContainerMaxLength());
}

void TgxInplaceTextEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_ESCAPE) RestoreText();
    TgxInplaceEdit::KeyDown(Key, Shift);
}

// ---- TgxInplaceMaskEdit ----------------------------------------------------------------------

namespace {

std::u32string ToChars(const std::string& S) { return Utf8ToCodePoints(S); }
std::string ToUtf8(const std::u32string& S) { return CodePointsToUtf8(S); }

}  // namespace

void TgxInplaceMaskEdit::GetSel(Integer& Start, Integer& End) {
    Start = 0;
    End = 0;
    Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
}

void TgxInplaceMaskEdit::SetCaret(Integer Pos) {
    const Integer length = Integer(FChars.size());
    if (!FMask.HasMask() || Pos >= std::min(length, FMask.TextLength())) {
        SetSelStart(std::clamp(Pos, 0, length));
    } else {
        SetSelStart(std::max(0, Pos));
        SetSelLength(1);
    }
    FCaretAnchor = Pos;
}

void TgxInplaceMaskEdit::PlaceCaretOnInput() {
    if (!FMask.HasMask()) return;
    Integer s = 0, e = 0;
    GetSel(s, e);
    SetCaret(FMask.NextInput(s));
}

void TgxInplaceMaskEdit::SetEditMask(const std::string& Value) {
    if (Value == FMask.GetMask()) return;
    Integer s = 0, e = 0;
    GetSel(s, e);
    const std::u32string value = FMask.Value(FChars);
    FMask.SetMask(Value);
    SetText(ToUtf8(FMask.Format(value)));
    SetNeedsValidation(FMask.HasMask());
    SetMaxLength(FMask.HasMask() ? FMask.TextLength() : 0);
    if (Focused()) SetCaret(s);
}

void TgxInplaceMaskEdit::SetMaskedText(const std::string& Value) { SetText(ToUtf8(FMask.Format(ToChars(Value)))); }

void TgxInplaceMaskEdit::LoadContainerSettings() {
    TgxInplaceTextEdit::LoadContainerSettings();
    SetText("");
    std::string mask;
    GetMaskFromContainer(mask);
    SetEditMask(mask);
    SetMaskedText(GetContainerEditText());
    SetLoadedText(GetText());
    FEntryText = GetText();
    SetMaxLength(FMask.HasMask() ? FMask.TextLength() : GetContainerMaxLength());
    SetNeedsValidation(FMask.HasMask());
}

std::string TgxInplaceMaskEdit::GetEditValueText() {
    if (FRawValue || !FMask.HasMask()) return GetText();
    if (FMask.IsBlank(FChars)) return {};
    return ToUtf8(FMask.Value(FChars));
}

void TgxInplaceMaskEdit::RestoreText() {
    if (!GetModified()) return;
    SetText(FEntryText);
    SetModified(false);
}

void TgxInplaceMaskEdit::ValidateEdit() {
    if (!FMask.HasMask() || !GetModified()) return;
    const Integer bad = FMask.FirstInvalid(FChars, FRawValue);
    if (bad < 0) return;
    if (GetClosing()) {
        // The host is closing the editor: the cell keeps its value.
        RestoreText();
        return;
    }
    if (!GetComponentState().Contains(csDesigning)) {
        FRefocused = true;
        // Taken back once the focus change that is running has ended.
        if (GetVisible() && !Focused()) PostMessage(this, WM_GX_REFOCUS, 0, 0);
    }
    SetCaret(bad);
    MessageBeep(0);
    throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

void TgxInplaceMaskEdit::Apply(const std::u32string& Shown, Integer Caret) {
    {
        const bool old = FApplying;
        FApplying = true;
        try {
            EditText(0, Integer(FChars.size()), Shown, true);
        } catch (...) {
            FApplying = old;
            throw;
        }
        FApplying = old;
    }
    SetCaret(Caret);
}

bool TgxInplaceMaskEdit::AcceptUserEdit(Integer Start, Integer Length, const std::u32string& Insert) {
    if (FApplying) return true;
    if (!CanModify()) return false;
    if (!FMask.HasMask()) return true;
    // A change from the window (input method, dropped text, undo) is written over the positions
    // like a paste.
    std::u32string shown = FChars;
    FMask.Clear(shown, Start, Length);
    const Integer end = FMask.Paste(shown, Start, Insert);
    Apply(shown, FMask.NextInput(end));
    return false;
}

void TgxInplaceMaskEdit::ClearChars(bool Backspace) {
    if (GetReadOnly()) return;
    Integer s = 0, e = 0;
    GetSel(s, e);
    if (Backspace && e - s <= 1) {
        const Integer p = FMask.PrevInput(s);
        if (p < 0) return;
        s = p;
        e = p + 1;
    }
    if (e == s) {
        if (s >= FMask.TextLength()) return;
        e = s + 1;
    }
    std::u32string shown = FChars;
    FMask.Clear(shown, s, e - s);
    Apply(shown, e - s == 1 ? s : FMask.NextInput(s));
}

void TgxInplaceMaskEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_ESCAPE) RestoreText();
    if (FMask.HasMask() && (IsCellLeavingKey(Key) || Key == VK_INSERT)) ValidateEdit();
    TgxInplaceTextEdit::KeyDown(Key, Shift);
}

void TgxInplaceMaskEdit::EditKeyDown(Word& Key, TShiftState Shift) {
    TgxInplaceTextEdit::EditKeyDown(Key, Shift);
    if (Key == 0 || !FMask.HasMask() || Shift.Contains(ssAlt)) return;
    const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
    Integer s = 0, e = 0;
    GetSel(s, e);
    switch (Key) {
    case VK_LEFT:
    case VK_RIGHT:
        if (ctrl || shift) return;  // the window moves or selects
        if (Key == VK_LEFT) {
            const Integer p = FMask.PrevInput(s);
            SetCaret(p < 0 ? s : p);
        } else {
            SetCaret(FMask.NextInput(s + 1));
        }
        Key = 0;
        return;
    case VK_UP:
    case VK_DOWN: Key = 0; return;
    case VK_HOME:
    case VK_END: {
        const Integer to = Key == VK_HOME ? FMask.NextInput(0) : FMask.TextLength();
        if (shift) {
            SetSelStart(std::min(FCaretAnchor, to));
            SetSelLength(std::abs(FCaretAnchor - to));
        } else {
            SetCaret(to);
        }
        Key = 0;
        return;
    }
    case VK_DELETE:
        if (ctrl || shift) return;
        [[fallthrough]];
    case VK_BACK:
        if (CanModify()) ClearChars(Key == VK_BACK);
        Key = 0;
        return;
    default: return;
    }
}

void TgxInplaceMaskEdit::KeyPress(Char& Key) {
    TgxInplaceTextEdit::KeyPress(Key);
    if (Key == 0 || !FMask.HasMask()) return;
    if (Key == 3 || Key == 22 || Key == 24) return;  // copy, paste and cut go to the window
    if (Key < 32 || !CanModify() || GetReadOnly()) {
        Key = 0;
        return;
    }
    Integer s = 0, e = 0;
    GetSel(s, e);
    std::u32string shown = FChars;
    if (e - s > 1) {
        FMask.Clear(shown, s, e - s);
        s = FMask.NextInput(s);
    }
    const Integer caret = FMask.Type(shown, s, char32_t(Key));
    if (caret < 0) {
        if (shown != FChars) Apply(shown, s);
        MessageBeep(0);
    } else {
        Apply(shown, caret);
    }
    Key = 0;
}

void TgxInplaceMaskEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GX_REFOCUS:
        if (GetVisible() && CanFocus() && !Focused()) SetFocus();
        return;
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR: {
        if (!FMask.HasMask()) break;
        if (!CanModify()) return;
        if (Message.Msg == WM_CUT) {
            Perform(WM_COPY, 0, 0);
            ClearChars(false);
            return;
        }
        if (GetReadOnly()) return;
        const std::string before = GetText();
        std::u32string shown = FChars;
        if (Message.Msg == WM_CLEAR) {
            FEntryText = before;
            FMask.Clear(shown, 0, Integer(shown.size()));
            Apply(shown, FMask.NextInput(0));
            SetModified(true);
            return;
        }
        Integer s = 0, e = 0;
        GetSel(s, e);
        FMask.Clear(shown, s, e - s);
        const Integer end = FMask.Paste(shown, s, ToChars(Clipboard()->GetAsText()));
        Apply(shown, FMask.NextInput(end));
        FEntryText = before;
        SetModified(true);
        ValidateEdit();
        return;
    }
    default: break;
    }
    TgxInplaceTextEdit::WndProc(Message);
    if (Message.Msg == WM_LBUTTONUP && FMask.HasMask() && lumora_detail::IsLiveControl(this)) {
        Integer s = 0, e = 0;
        GetSel(s, e);
        if (e - s <= 1) SetCaret(FMask.NextInput(s));
        else FCaretAnchor = s;
    }
}

void TgxInplaceMaskEdit::CMEnter(TMessage& Message) {
    if (FMask.HasMask() && !FRefocused) FEntryText = GetText();
    TgxInplaceTextEdit::CMEnter(Message);
    FRefocused = false;
    PlaceCaretOnInput();
}

void TgxInplaceMaskEdit::CMExit(TMessage& Message) {
    if (FMask.HasMask()) {
        ValidateEdit();
        PlaceCaretOnInput();
    }
    TgxInplaceTextEdit::CMExit(Message);
}

void TgxInplaceMaskEdit::CMTextChanged(TMessage& Message) {
    TgxInplaceTextEdit::CMTextChanged(Message);
    FEntryText = GetText();
    if (FMask.HasMask() && Focused()) PlaceCaretOnInput();
}

void TgxInplaceMaskEdit::CMWantSpecialKey(TMessage& Message) {
    if (Message.WParam == VK_ESCAPE && FMask.HasMask() && GetModified()) {
        Message.Result = 1;
        return;
    }
    TgxInplaceTextEdit::CMWantSpecialKey(Message);
}
