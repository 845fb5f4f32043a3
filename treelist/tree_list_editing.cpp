// The in-place editing host of the tree list: opening the editor over the focused cell, binding
// it to that cell, writing its text back, closing it, the container answers the editor asks for,
// the delayed editor, and the keys and presses that open and close it.

#include <exception>

#include "framework/forms.h"
#include "framework/system_metrics.h"
#include "framework/timer.h"
#include "treelist/inplace_text_edit.h"
#include "treelist/tree_list.h"

namespace {

// The delayed-editor timer (the auto-scroll timers use 1 and 2).
constexpr UINT_PTR EditorTimerId = 3;

}  // namespace

// ---- the editor and its text -----------------------------------------------------------------

TgxInplaceEdit* TCustomgxTreeList::CreateEditor(Integer /*Column*/) { return new TgxInplaceTextEdit(this); }

std::string TCustomgxTreeList::GetEditorText() {
    return FState == tsEditing && FInplaceEditor ? FInplaceEditor->GetEditValueText() : std::string();
}

void TCustomgxTreeList::SetEditorText(const std::string& Text) {
    if (FState == tsEditing && FInplaceEditor) FInplaceEditor->SetEditValueText(Text);
}

TColor TCustomgxTreeList::GetEditColor() {
    TColor color = GetVisibleColumnCount() > 0 ? GetColumnColor(GetFocusedColumnAbsoluteIndex()) : GetColor();
    if (OnGetEditColor) OnGetEditColor(this, color);
    return color;
}

TFont* TCustomgxTreeList::GetEditFont() {
    if (GetVisibleColumnCount() > 0) {
        const Integer column = GetFocusedColumnAbsoluteIndex();
        if (IsColumnFontAssigned(column)) return GetColumnFont(column);
    }
    return GetFont();
}

bool TCustomgxTreeList::IgnoreEditKeys() { return GetFocusedColumn() != FEditorColumn; }

bool TCustomgxTreeList::WantTabs() { return FOptions.Contains(aoTabs) && GetKeyState(VK_CONTROL) >= 0; }

// ---- opening -----------------------------------------------------------------------------------

void TCustomgxTreeList::ShowEditor() {
    if (!IsEditingAllowed() || IsRowSelect() || !FFocusedNode) return;
    bool allow = true;
    if (IsNewItemRowFocused())
        DoNewItemRowEditing(allow);
    else
        DoEditing(FFocusedNode, allow);
    if (!allow) {
        // The editor stays owned by the list; the next edit finds or makes one again.
        FInplaceEditor = nullptr;
        return;
    }
    if (FState != tsNormal || GetVisibleColumnCount() == 0 || !FFocusedNode) return;
    MakeColumnVisible(GetFocusedColumn());
    MakeNodeVisible(FFocusedNode);
    SetState(tsEditing);
    ShowEditorWindow(true);
}

void TCustomgxTreeList::ShowEditorWindow(bool Focus) {
    if (!IsEditing()) return;
    const Integer column = GetFocusedColumn();
    TgxInplaceEdit* editor = FindEditor(column);
    if (editor) {
        if (editor == FInplaceEditor && (FEditedColumn != column || FEditedNode != FFocusedNode)) {
            CloseEditor(false);
            SetState(tsEditing);
        }
    } else {
        editor = CreateEditor(column);
        if (!editor) return;
    }
    if (FInplaceEditor && FInplaceEditor != editor) FInplaceEditor->HideEditWindow();
    FInplaceEditor = editor;
    editor->SetContainer(this);
    FEditedColumn = column;
    FEditedNode = FFocusedNode;
    FEditorColumn = FEditedColumn;
    editor->SetParent(this);
    if (FEditedNode) editor->LoadContainerSettings();
    const TRect r = GetEditRect(FFocusedNode, column);
    if (IsEditing()) {
        editor->ShowEditorAt(r, Focus);
    } else {
        FEditedColumn = -1;
        FEditedNode = nullptr;
    }
}

void TCustomgxTreeList::RefreshEditor() {
    FEditedColumn = -1;
    FEditedNode = nullptr;
    ShowEditorWindow(false);
}

void TCustomgxTreeList::ShowEditorAndSendChar(Char Key) {
    ShowEditor();
    if (FState == tsEditing && FInplaceEditor) PostMessage(FInplaceEditor, WM_CHAR, WPARAM(Key), 0);
}

void TCustomgxTreeList::ShowEditorAndClick(Integer X, Integer Y) {
    ShowEditor();
    if (FState == tsEditing && FInplaceEditor) FInplaceEditor->MouseDownAt(X, Y);
}

void TCustomgxTreeList::ShowEditorAndOpen() {
    ShowEditor();
    if (FState == tsEditing && FInplaceEditor) FInplaceEditor->DoImmediateClick();
}

// ---- closing -----------------------------------------------------------------------------------

void TCustomgxTreeList::HideEditor() {
    if (FState != tsEditing) return;
    if (!IsDestroying() && FInplaceEditor) FInplaceEditor->ValidateEdit();
    SetState(tsNormal);
    CloseEditor(false);
}

void TCustomgxTreeList::HideEditorAndFocus() {
    if (FState != tsEditing) return;
    if (!IsDestroying() && FInplaceEditor) FInplaceEditor->ValidateEdit();
    SetState(tsNormal);
    CloseEditor(true);
}

void TCustomgxTreeList::CloseEditor(bool Focus) {
    TgxInplaceEdit* editor = FInplaceEditor;
    if (!editor) return;
    const bool hadFocus = editor->HandleAllocated() && editor->Focused();
    editor->SetClosing(true);
    std::exception_ptr failure;
    try {
        if (!editor->GetComponentState().Contains(csDestroying)) PostEditorText();
    } catch (...) {
        failure = std::current_exception();
    }
    FEditedColumn = -1;
    FEditedNode = nullptr;
    editor->HideEditWindow();
    if ((Focus || hadFocus) && HandleAllocated() && IsWindowVisible(this) && CanFocus()) SetFocus();
    if (failure) std::rethrow_exception(failure);
}

void TCustomgxTreeList::PostEditorText() {
    if (!FEditedNode || FEditedColumn < 0 || !FInplaceEditor) return;
    TgxTreeListNode* node = FEditedNode;
    const Integer column = FEditedColumn;
    SetNodeEditText(node, column, FInplaceEditor->GetEditValueText());
}

void TCustomgxTreeList::ResetEditedCell() {
    FEditedColumn = -1;
    FEditedNode = nullptr;
    // The cell's data changed under the editor: nothing typed is kept, nothing refuses to close.
    if (FInplaceEditor && FState == tsEditing) FInplaceEditor->SetClosing(true);
    HideEditor();
}

void TCustomgxTreeList::HideEditorWindow() {
    if (FInplaceEditor) FInplaceEditor->HideEditWindow();
}

// ---- the delayed editor ------------------------------------------------------------------------

void TCustomgxTreeList::StartEditorTimer() {
    if (!HandleAllocated()) return;
    StopEditorTimer();
    FEditorTimer = SetTimer(this, EditorTimerId, GetDoubleClickTime()) != 0;
}

void TCustomgxTreeList::StopEditorTimer() {
    if (!FEditorTimer) return;
    FEditorTimer = false;
    if (HandleAllocated()) KillTimer(this, EditorTimerId);
}

void TCustomgxTreeList::WMTimer(TMessage& Message) {
    if (Message.WParam != EditorTimerId) {
        TCustomgxContainer::WMTimer(Message);
        return;
    }
    StopEditorTimer();
    if (FState == tsNormal) ShowEditor();
}

// ---- keys and presses that open and close the editor ------------------------------------------

void TCustomgxTreeList::KeyDown(Word& Key, TShiftState Shift) {
    TCustomgxContainer::KeyDown(Key, Shift);
    if (Key != 0 && !CanProcessKey(Key, Shift)) Key = 0;
    if (Key == 0 || !GetFirstNode()) return;
    if (FState == tsEditing && IsCellLeavingKey(Key)) {
        HideEditorAndFocus();
        if (Key == VK_ESCAPE) return;
    }
    if (Key == VK_F2 && !Shift.Contains(ssCtrl)) ShowEditor();
}

void TCustomgxTreeList::KeyPress(Char& Key) {
    if (IsSearching() || !IsEnterShowEditor() || FState == tsEditing) {
        TCustomgxContainer::KeyPress(Key);
        return;
    }
    if (Key == 13)
        ShowEditor();
    else if (Key == 8 || Key == 22 || Key == 24 || Key >= 32)
        ShowEditorAndSendChar(Key);
    if (FState != tsEditing) TCustomgxContainer::KeyPress(Key);
}

void TCustomgxTreeList::WMLButtonDown(TMessage& Message) {
    StopEditorTimer();
    if (FInplaceEditor) FInplaceEditor->SetClickTime(GetMessageTime());
    TCustomgxContainer::WMLButtonDown(Message);
}

void TCustomgxTreeList::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (FState == tsEditing && FInplaceEditor && !FInplaceEditor->NeedsValidation()) HideEditorAndFocus();
    const bool wasFocused = Focused();
    if (!GetComponentState().Contains(csDesigning) && CanFocus() && !Focused()) {
        SetFocus();
        if (!Focused()) return;
    }
    const TgxTreeListHitInfo hit = GetHitInfo(TPoint{X, Y});
    if (FState == tsEditing) HideEditorAndFocus();
    if (Shift.Contains(ssDouble)) {
        StopEditorTimer();
    } else if (hit.Node && hit.HitCode == hcCell && hit.Column >= 0) {
        const bool nodeWasFocused = hit.Node == FFocusedNode;
        const Integer column = AbsoluteToVisibleIndex(hit.Column);
        const bool cellWasFocused = nodeWasFocused && column == GetFocusedColumn();
        SetFocusedCell(hit.Node, column, true);
        if (Button == mbLeft && !IsRowSelect()) {
            if (IsEditorButtonAt(X, Y, nodeWasFocused)) {
                ShowEditorAndClick(X, Y);
            } else if (cellWasFocused && wasFocused && FState != tsEditing && !FEditorTimer) {
                StartEditorTimer();
            }
        }
    }
    TCustomgxContainer::MouseDown(Button, Shift, X, Y);
}

void TCustomgxTreeList::DoExit() {
    TCustomgxContainer::DoExit();
    HideEditor();
}
