// Text nodes and the node data of the band-and-column tree list: cell texts, image indexes and the
// texts that follow a column when it moves.

#include "treelist/tree_list_control.h"

TgxTreeListTextNode::TgxTreeListTextNode(TCustomgxTreeList* AOwner) : TgxTreeListNode(AOwner) {}

TgxTreeListNode* TCustomgxTreeListControl::CreateNode() {
    return new TgxTreeListTextNode(this);
}

Integer TCustomgxTreeListControl::GetImageIndex(TgxTreeListNode* Node) {
    TgxTreeListTextNode* node = AsTextNode(Node);
    Integer index = node ? node->FImageIndex : TCustomgxTreeList::GetImageIndex(Node);
    if (OnGetImageIndex) OnGetImageIndex(this, Node, index);
    return index;
}

Integer TCustomgxTreeListControl::GetSelectedIndex(TgxTreeListNode* Node) {
    TgxTreeListTextNode* node = AsTextNode(Node);
    Integer index = node ? node->FSelectedIndex : TCustomgxTreeList::GetSelectedIndex(Node);
    if (OnGetSelectedIndex) OnGetSelectedIndex(this, Node, index);
    return index;
}

Integer TCustomgxTreeListControl::GetStateIndex(TgxTreeListNode* Node) {
    TgxTreeListTextNode* node = AsTextNode(Node);
    Integer index = node ? node->FStateIndex : TCustomgxTreeList::GetStateIndex(Node);
    if (OnGetStateIndex) OnGetStateIndex(this, Node, index);
    return index;
}

void TCustomgxTreeListControl::SetImageIndex(TgxTreeListNode* Node, Integer Value) {
    if (TgxTreeListTextNode* node = AsTextNode(Node)) node->FImageIndex = Value;
    NodeChanged(Node, false);
}

void TCustomgxTreeListControl::SetSelectedIndex(TgxTreeListNode* Node, Integer Value) {
    if (TgxTreeListTextNode* node = AsTextNode(Node)) node->FSelectedIndex = Value;
    NodeChanged(Node, false);
}

void TCustomgxTreeListControl::SetStateIndex(TgxTreeListNode* Node, Integer Value) {
    if (TgxTreeListTextNode* node = AsTextNode(Node)) node->FStateIndex = Value;
    NodeChanged(Node, false);
}

std::string TCustomgxTreeListControl::GetNodeString(TgxTreeListNode* Node, Integer Column) {
    TgxTreeListTextNode* node = AsTextNode(Node);
    if (!node || Column < 0 || Column >= node->FTexts.GetCount()) return {};
    return node->FTexts.Get(Column);
}

Variant TCustomgxTreeListControl::GetNodeValue(TgxTreeListNode* Node, Integer Column) {
    return Variant(GetNodeString(Node, Column));
}

void TCustomgxTreeListControl::SetNodeString(TgxTreeListNode* Node, Integer Column, const std::string& Text) {
    TgxTreeListTextNode* node = AsTextNode(Node);
    if (!node || Column < 0) return;
    TStringList* texts = &node->FTexts;
    while (texts->GetCount() <= Column) texts->Add("");
    texts->Put(Column, Text);
}

void TCustomgxTreeListControl::SetNodeValue(TgxTreeListNode* Node, Integer Column, const Variant& Value) {
    SetNodeString(Node, Column, VarToStr(Value));
    if (!IsUpdating()) InvalidateNode(Node);
}

void TCustomgxTreeListControl::DeleteColumnValues(TgxTreeListNode* Node, Integer Column) {
    TgxTreeListTextNode* node = AsTextNode(Node);
    if (node && Column >= 0 && Column < node->FTexts.GetCount()) node->FTexts.Delete(Column);
    TCustomgxTreeList::DeleteColumnValues(Node, Column);
}

void TCustomgxTreeListControl::ColumnMoved(Integer FromIndex, Integer ToIndex) {
    if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0) return;
    // Depth first over every node, with an explicit stack of (list, next position).
    std::vector<std::pair<TgxTreeListNode*, Integer>> stack;
    Integer root = 0;
    for (;;) {
        TgxTreeListNode* node;
        if (!stack.empty()) {
            auto& [parent, next] = stack.back();
            if (next >= parent->GetCount()) {
                stack.pop_back();
                continue;
            }
            node = parent->GetItem(next++);
        } else {
            if (root >= GetCount()) break;
            node = GetItem(root++);
        }
        auto* textNode = AsTextNode(node);
        if (!textNode) throw EInvalidCast("Invalid class typecast");
        TStringList* texts = &textNode->FTexts;
        const Integer needed = (FromIndex > ToIndex ? FromIndex : ToIndex) + 1;
        while (texts->GetCount() < needed) texts->Add("");
        const std::string text = texts->Get(FromIndex);
        TObject* object = texts->GetObject(FromIndex);
        if (FromIndex >= ToIndex) {
            texts->InsertObject(ToIndex, text, object);
            texts->Delete(FromIndex + 1);
        } else {
            if (ToIndex == texts->GetCount() - 1)
                texts->AddObject(text, object);
            else
                texts->InsertObject(ToIndex + 1, text, object);
            texts->Delete(FromIndex);
        }
        if (node->GetCount() > 0) stack.emplace_back(node, 0);
    }
}
