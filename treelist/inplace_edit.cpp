#include "treelist/inplace_edit.h"

#include <algorithm>
#include <vector>

#include "framework/dialog_service.h"
#include "framework/format_settings.h"
#include "framework/formatting.h"
#include "framework/forms.h"
#include "framework/sysutils.h"
#include "framework/system_metrics.h"
#include "framework/windows_gdi.h"

// ---- TgxInplaceEdit --------------------------------------------------------------------------

TgxInplaceEdit::TgxInplaceEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
    TControlStyle style = GetControlStyle();
    style.Exclude(csFixedHeight);
    SetControlStyle(style);
    TControl::SetAutoSize(false);
    SetParentCtl3D(false);
    SetCtl3D(false);
    SetTabStop(false);
    SetVisible(false);
}

bool TgxInplaceEdit::CanModify() { return FContainer && FContainer->CanEditModify(); }

bool TgxInplaceEdit::GetReadOnly() { return FContainer && FContainer->GetEditReadOnly(); }

void TgxInplaceEdit::DoFocusLost(HWND NewFocus) {
    if (FContainer && NewFocus != FContainer) FContainer->EditorFocusChanged();
}

void TgxInplaceEdit::SetEditValueText(const std::string& Text) {
    if (CanModify()) SetText(Text);
}

void TgxInplaceEdit::LoadContainerSettings() {
    FClosing = false;
    SetText("");
    // The screen shows every colour as it is.
    SetColor(GetContainerEditColor());
    if (FContainer) GetFont()->Assign(FContainer->GetEditFont());
}

bool TgxInplaceEdit::IsFlat() { return FContainer && FContainer->IsFlatLook(); }

bool TgxInplaceEdit::IsShowButtonAlways() { return FContainer && FContainer->IsShowButtonAlways(); }

bool TgxInplaceEdit::IsPointInEditor(TPoint P) {
    if (IsPointOnButton(P)) return true;
    const TRect client = GetClientRect();
    return FClickAnywhere && PtInRect(&client, P);
}

void TgxInplaceEdit::ShowEditWindow() {
    SetVisible(true);
    FShown = true;
}

void TgxInplaceEdit::HideEditWindow() {
    FShown = false;
    if (!GetVisible()) return;
    const TRect area = GetBoundsRect();
    SetVisible(false);
    if (FContainer && FContainer->HandleAllocated()) ::InvalidateRect(FContainer, &area, false);
}

TEditCharCase TgxInplaceEdit::GetContainerCharCase() { return FContainer ? FContainer->GetEditCharCase() : ecNormal; }

std::string TgxInplaceEdit::GetContainerEditMask() {
    std::string mask;
    if (FContainer) FContainer->GetEditMask(mask);
    return mask;
}

std::string TgxInplaceEdit::GetContainerEditText() {
    std::string text;
    if (FContainer) FContainer->GetEditText(text);
    return text;
}

Integer TgxInplaceEdit::GetContainerMaxLength() { return FContainer ? FContainer->GetEditMaxLength() : 0; }

TColor TgxInplaceEdit::GetContainerEditColor() { return FContainer ? FContainer->GetEditColor() : GetColor(); }

Integer TgxInplaceEdit::CalcWidthForButton(Integer ButtonWidth) {
    Integer width = GetWidth();
    if (FContainer && FContainer->CanWidenEditorForButton()) width = std::max(width, ButtonWidth + 20);
    return width;
}

void TgxInplaceEdit::ShowEditorAt(const TRect& R, bool Focus) {
    if (R.Right <= R.Left || R.Bottom <= R.Top) {
        HideEditWindow();
        return;
    }
    SetBorderStyle(FContainer ? FContainer->GetEditBorderStyle() : xbsNone);
    TRect r = R;
    if (GetBorderStyle() == xbsSingle) InflateRect(&r, 1, 1);
    SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    AdjustEditArea();
    const bool wasShown = FShown;
    ShowEditWindow();
    if (Focus && CanFocus()) SetFocus();
    SelectAll();
    if (!wasShown && FShowUpdateCount == 0) DoFirstShow();
}

bool TgxInplaceEdit::AcceptUserEdit(Integer, Integer, const std::u32string&) { return CanModify(); }

void TgxInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
    TCustomgxContainer* c = FContainer;
    if (!c) {
        EditKeyDown(Key, Shift);
        return;
    }
    const bool plain = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
    if (IsCellLeavingKey(Key) && !(Key == VK_TAB && Shift.Contains(ssAlt))) {
        c->EditorKeyDown(Key, Shift);
        Key = 0;
        return;
    }
    switch (Key) {
    case VK_INSERT:
        if (plain) {
            c->EditorKeyDown(Key, Shift);
            Key = 0;
            return;
        }
        if (Shift.Contains(ssShift) && !c->CanEditModify()) {
            Key = 0;
            return;
        }
        break;
    case VK_F2:
        c->DoEditKeyDown(Key, Shift);
        if (Key == VK_F2) {
            MoveCaretToEnd();
            Key = 0;
        }
        return;
    case VK_DELETE:
        if (!c->CanEditModify()) {
            Key = 0;
            return;
        }
        break;
    default: break;
    }
    c->DoEditKeyDown(Key, Shift);
    if (Key != 0) EditKeyDown(Key, Shift);
}

void TgxInplaceEdit::KeyPress(Char& Key) {
    if (FContainer) {
        FContainer->EditorKeyPress(Key);
        if (Key >= 32 && !FContainer->IsValidEditChar(Key)) {
            Key = 0;
            MessageBeep(0);
        }
    }
    if ((Key == 8 || Key == 22 || Key == 24 || Key >= 32) && !CanModify()) Key = 0;
    if (Key == 9 || Key == 27) Key = 0;
    if (Key != 0) TCustomEdit::KeyPress(Key);
}

void TgxInplaceEdit::KeyUp(Word& Key, TShiftState Shift) {
    if (FContainer) FContainer->EditorKeyUp(Key, Shift);
}

void TgxInplaceEdit::DblClick() {
    if (FContainer) FContainer->EditorDblClick();
}

void TgxInplaceEdit::WMGetDlgCode(TMessage& Message) {
    TCustomEdit::WMGetDlgCode(Message);
    // Like a many-line edit window it wants Enter and Esc (the container gets them).
    Message.Result |= DLGC_WANTALLKEYS;
    if (FContainer && FContainer->WantTabs()) Message.Result |= DLGC_WANTTAB;
}

void TgxInplaceEdit::WMSetFocus(TMessage& Message) {
    TCustomEdit::WMSetFocus(Message);
    if (FContainer) FContainer->EditorFocusChanged();
    DoFocusGained();
}

void TgxInplaceEdit::WMKillFocus(TMessage& Message) {
    DoFocusLost(reinterpret_cast<HWND>(Message.WParam));
    TCustomEdit::WMKillFocus(Message);
}

void TgxInplaceEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
        if (FContainer && FContainer->IgnoreEditKeys()) return;
        if (Message.Msg == WM_KEYDOWN && (Message.WParam == VK_TAB || Message.WParam == VK_RETURN))
            DiscardPendingMessage(this, WM_CHAR);
        break;
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
        if (!CanModify()) return;
        break;
    case WM_LBUTTONDOWN:
        if (FContainer && FContainer->IsImmediateEditor() && FClickTime != 0 &&
            GetMessageTime() - FClickTime < GetDoubleClickTime())
            Message.Msg = WM_LBUTTONDBLCLK;
        FClickTime = 0;
        break;
    case WM_LBUTTONDBLCLK:
        if (IsPointOnButton(MessagePoint(Message))) Message.Msg = WM_LBUTTONDOWN;
        break;
    case WM_MOUSEWHEEL:
        if (FContainer) {
            FContainer->Perform(CM_CANCELMODE, 0, 0);
            FContainer->Perform(Message.Msg, Message.WParam, Message.LParam);
        }
        break;
    default: break;
    }
    TCustomEdit::WndProc(Message);
}

bool IsCellLeavingKey(Word Key) {
    switch (Key) {
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN: return true;
    default: return false;
    }
}

// ---- TgxInplacePopupControl ------------------------------------------------------------------

TgxInplacePopupControl::TgxInplacePopupControl(TComponent* AOwner) : TCustomControl(AOwner) { SetVisible(false); }

void TgxInplacePopupControl::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FDropDown) {
        Params.Style = (Params.Style & ~WS_CHILD) | WS_POPUP;
        Params.ExStyle |= WS_EX_TOOLWINDOW;
        if (FOwnerEdit) Params.WndParent = GetParentForm(FOwnerEdit);
    }
}

void TgxInplacePopupControl::ShowPopup() { SetVisible(true); }

void TgxInplacePopupControl::HidePopup(bool /*Accept*/) {
    if (GetVisible()) {
        SetVisible(false);
        if (FOwnerEdit && Application->GetActive() && FOwnerEdit->CanFocus()) FOwnerEdit->SetFocus();
    }
    if (FOwnerEdit) PostMessage(FOwnerEdit, WM_GX_POPUPHIDDEN, 0, 0);
}

void TgxInplacePopupControl::WMKillFocus(TMessage& Message) {
    TCustomControl::WMKillFocus(Message);
    if (!FDropDown) return;
    HidePopup(false);
    if (FOwnerEdit) FOwnerEdit->DoFocusLost(reinterpret_cast<HWND>(Message.WParam));
}

// ---- Dates -----------------------------------------------------------------------------------

TDateTime DateTextToDateTime(const std::string& Text) {
    std::string s = Text;
    std::replace(s.begin(), s.end(), '.', ' ');
    // The leading numbers separated by blanks are the date, read in FormatSettings' order; what
    // follows them (a time) stays as it is.
    std::vector<std::string> words;
    std::string word;
    for (char c : s + ' ') {
        if (c != ' ') {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    std::string date, rest;
    size_t i = 0;
    for (; i < words.size() && i < 3 &&
           std::all_of(words[i].begin(), words[i].end(), [](char c) { return c >= '0' && c <= '9'; });
         ++i)
        date += (i ? std::string(1, FormatSettings.DateSeparator) : std::string()) + words[i];
    for (; i < words.size(); ++i) rest += ' ' + words[i];
    TDateTime value = 0;
    if (!date.empty() && TryStrToDateTime(date + rest, value, FormatSettings)) return value;
    if (!Text.empty() && TryStrToDateTime(Text, value, FormatSettings)) return value;
    return Date();
}
