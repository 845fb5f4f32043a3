// The in-place editing host of the tree list: opening the editor over the focused cell, binding
// it to that cell, writing its text back, closing it, and the container answers the editor asks
// for. The keys and presses that open it are the keyboard's and the mouse's.

#include <exception>

#include "framework/forms.h"
#include "framework/system_metrics.h"
#include "framework/timer.h"
#include "treelist/inplace_text_edit.h"
#include "treelist/tree_list.h"

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
