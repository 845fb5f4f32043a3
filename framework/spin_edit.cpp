#include "framework/comctrls.h"

#include <algorithm>
#include <cstdlib>

#include "framework/dialog_service.h"
#include "framework/sysutils.h"
#include "framework/system_metrics.h"

// ---- TSpinEdit -------------------------------------------------------------------------------

TSpinEdit::TSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner), FButton(new TCustomUpDown(this)) {
    FButton->SetMin(-0x7FFFFFFF);
    FButton->SetMax(0x7FFFFFFF);
    FButton->SetWrap(true);
    FButton->SetParent(this);
    FButton->OnClick = [this](TObject*, TUDBtnType Button) {
        if (Button == btNext) UpClick(); else DownClick();
    };
    SetText("0");
    PlaceButton();
}

void TSpinEdit::PlaceButton() {
    Integer w = GetSystemMetrics(SM_CXVSCROLL);
    TRect cr = GetClientRect();
    FButton->SetBounds(std::max(0, cr.Right - w), 0, w, cr.Bottom);
    Perform(EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(0, Word(w)));
}

void TSpinEdit::CreateWnd() {
    TCustomEdit::CreateWnd();
    PlaceButton();
}

void TSpinEdit::WMSize(TMessage& Message) {
    TCustomEdit::WMSize(Message);
    PlaceButton();
}

Integer TSpinEdit::CheckValue(Integer NewValue) {
    if (FMaxValue != FMinValue) {
        if (NewValue < FMinValue) return FMinValue;
        if (NewValue > FMaxValue) return FMaxValue;
    }
    return NewValue;
}

Integer TSpinEdit::GetValue() {
    Integer v;
    if (!TryStrToInt(Trim(GetText()), v)) return FMinValue;
    return v;
}

void TSpinEdit::SetValue(Integer Value) { SetText(std::to_string(CheckValue(Value))); }

void TSpinEdit::UpClick() {
    if (GetReadOnly())
        MessageBeep(0);
    else
        SetValue(GetValue() + FIncrement);
}

void TSpinEdit::DownClick() {
    if (GetReadOnly())
        MessageBeep(0);
    else
        SetValue(GetValue() - FIncrement);
}

void TSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_UP) {
        UpClick();
        Key = 0;
        return;
    }
    if (Key == VK_DOWN) {
        DownClick();
        Key = 0;
        return;
    }
    TCustomEdit::KeyDown(Key, Shift);
}

bool TSpinEdit::IsValidChar(Char Key) {
    bool ok = (Key >= U'0' && Key <= U'9') || Key == U'+' || Key == U'-' || Key == U'.' || Key == U',' ||
              (Key < 32 && Key != 13);
    if (!FEditorEnabled && ok && (Key >= 32 || Key == 8 || Key == 127)) ok = false;
    return ok;
}

void TSpinEdit::KeyPress(Char& Key) {
    if (!IsValidChar(Key)) {
        Key = 0;
        MessageBeep(0);
    }
    if (Key != 0) TCustomEdit::KeyPress(Key);
}

void TSpinEdit::CMExit(TMessage& Message) {
    TCustomEdit::CMExit(Message);
    if (CheckValue(GetValue()) != GetValue()) SetValue(GetValue());
}
