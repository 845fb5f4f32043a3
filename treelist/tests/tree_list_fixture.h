#pragma once
// A concrete tree list for the tests: plain nodes, a selection store, counters for the layout
// and the hooks, and a small notation for building and printing trees.
//
// Notation: "A(A1,A2),B[B1],C" is three roots; A is expanded with two children, B is collapsed
// with one child, C has none.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "treelist/tree_list_control.h"

struct FreeDeleter {
    void operator()(TObject* Object) const { Object->Free(); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;

template <class Base>
class TRecordingTreeList : public Base {
public:
    explicit TRecordingTreeList(TComponent* AOwner = nullptr) : Base(AOwner) {}

    // Plain nodes for the abstract tree list; the list's own nodes otherwise.
    TgxTreeListNode* CreateNode() override {
        if constexpr (std::is_abstract_v<Base>)
            return new TgxTreeListNode(this);
        else
            return Base::CreateNode();
    }
    using Base::CopyParentFonts;

    int Layouts = 0;
    int ClearSortings = 0;
    int DeletedColumnValues = 0;
    bool KeepHasChildren = false;
    bool RefuseFocusOnCollapse = false;
    std::vector<TgxTreeListNode*> Selected;
    std::map<const TgxTreeListNode*, std::string> Names;
    std::vector<std::string> Log;

    void AfterLayoutChanged() override { ++Layouts; }
    void ClearSorting() override {
        ++ClearSortings;
        Base::ClearSorting();
    }
    bool NodeHasChildren(TgxTreeListNode* Node) override { return KeepHasChildren || Base::NodeHasChildren(Node); }
    bool FocusNodeOnCollapse(TgxTreeListNode* Node) override {
        return RefuseFocusOnCollapse ? false : Base::FocusNodeOnCollapse(Node);
    }
    void DeleteColumnValues(TgxTreeListNode* Node, Integer Column) override {
        ++DeletedColumnValues;
        Base::DeleteColumnValues(Node, Column);
    }

    Integer GetSelectedCount() override { return Integer(Selected.size()); }
    TgxTreeListNode* GetSelectedNode(Integer Index) override { return Selected[Index]; }
    bool IsNodeSelected(TgxTreeListNode* Node) override {
        return std::find(Selected.begin(), Selected.end(), Node) != Selected.end();
    }
    void SetNodeSelected(TgxTreeListNode* Node, bool Value) override {
        auto it = std::find(Selected.begin(), Selected.end(), Node);
        if (Value && it == Selected.end()) Selected.push_back(Node);
        if (!Value && it != Selected.end()) Selected.erase(it);
        Base::SetNodeSelected(Node, Value);
    }
    void ClearSelection() override {
        Selected.clear();
        Base::ClearSelection();
    }

    std::string Name(const TgxTreeListNode* Node) const {
        if (!Node) return "-";
        auto it = Names.find(Node);
        return it == Names.end() ? "?" : it->second;
    }
    TgxTreeListNode* Find(const std::string& Name) const {
        for (auto& [node, name] : Names)
            if (name == Name) return const_cast<TgxTreeListNode*>(node);
        return nullptr;
    }

    // Records the node events as "Event:Node".
    void RecordEvents() {
        this->OnDeletion = [this](TObject*, TgxTreeListNode* n) { Log.push_back("Deletion:" + Name(n)); };
        this->OnChangeNode = [this](TObject*, TgxTreeListNode* o, TgxTreeListNode* n) {
            Log.push_back("ChangeNode:" + Name(o) + ">" + Name(n));
        };
        this->OnCollapsed = [this](TObject*, TgxTreeListNode* n) { Log.push_back("Collapsed:" + Name(n)); };
        this->OnExpanded = [this](TObject*, TgxTreeListNode* n) { Log.push_back("Expanded:" + Name(n)); };
        this->OnSelectedCountChange = [this](TObject*) { Log.push_back("SelectedCount"); };
    }

    // Adds the trees of Shape (see the notation above) after the existing roots.
    void Build(const std::string& Shape) {
        this->BeginUpdate();
        size_t pos = 0;
        BuildList(Shape, pos, nullptr);
        this->EndUpdate();
    }

    // The forest in the notation above.
    std::string Dump() const {
        std::string s;
        for (Integer i = 0; i < this->GetCount(); ++i) {
            if (i) s += ",";
            DumpNode(this->GetItem(i), s);
        }
        return s;
    }

private:
    void BuildList(const std::string& Shape, size_t& pos, TgxTreeListNode* Parent) {
        while (pos < Shape.size() && Shape[pos] != ')' && Shape[pos] != ']') {
            std::string name;
            while (pos < Shape.size() && std::isalnum(static_cast<unsigned char>(Shape[pos]))) name += Shape[pos++];
            TgxTreeListNode* node = Parent ? Parent->AddChild() : this->Add();
            Names[node] = name;
            if (pos < Shape.size() && (Shape[pos] == '(' || Shape[pos] == '[')) {
                const bool expanded = Shape[pos] == '(';
                ++pos;
                BuildList(Shape, pos, node);
                ++pos;
                if (expanded) node->SetExpanded(true);
            }
            if (pos < Shape.size() && Shape[pos] == ',') ++pos;
        }
    }
    void DumpNode(const TgxTreeListNode* Node, std::string& s) const {
        s += Name(Node);
        if (Node->GetCount() == 0) return;
        s += Node->GetExpanded() ? "(" : "[";
        for (Integer i = 0; i < Node->GetCount(); ++i) {
            if (i) s += ",";
            DumpNode(Node->GetItem(i), s);
        }
        s += Node->GetExpanded() ? ")" : "]";
    }
};

class TTestTreeList : public TRecordingTreeList<TCustomgxTreeList> {
    LUMORA_CLASS(TTestTreeList, TCustomgxTreeList)
public:
    using TRecordingTreeList::TRecordingTreeList;
};

class TTestTreeListControl : public TRecordingTreeList<TCustomgxTreeListControl> {
    LUMORA_CLASS(TTestTreeListControl, TCustomgxTreeListControl)
public:
    using TRecordingTreeList::TRecordingTreeList;
    bool ReadOnly = false;
    std::vector<std::pair<Integer, Integer>> MovedColumns;
    bool GetEditReadOnly() override { return ReadOnly; }
    void ColumnMoved(Integer FromIndex, Integer ToIndex) override {
        MovedColumns.emplace_back(FromIndex, ToIndex);
        TRecordingTreeList::ColumnMoved(FromIndex, ToIndex);
    }
};
