#pragma once
// A plain tree list on a shown form, driven through the input toolkit: nodes named by the
// fixture notation (tree_list_fixture.h) whose first cell is their name, and helpers for the
// points of headers, edges and rows.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/forms.h"
#include "framework/system_metrics.h"
#include "framework/testing/ui_test.h"
#include "treelist/plain_tree_list.h"

struct InputFixture : testing::Test {
    void SetUp() override {
        uitest::Start();
        oldClickTime = GetDoubleClickTime();
        SetDoubleClickTime(150);
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 520, 400);
        list = new TgxTreeList(form);
        list->SetParent(form);
        list->SetBounds(10, 10, 480, 300);
        list->SetBorderStyle(bsNone);
        list->SetScrollBars(ssNone);
        list->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++mouseDowns; };
        list->OnColumnClick = [this](TObject*, TgxTreeListColumn*) { ++columnClicks; };
        uitest::ShowForm(form);
        list->SetFocus();
    }
    void TearDown() override {
        form->Free();
        uitest::ProcessEvents();
        SetDoubleClickTime(oldClickTime);
    }
    void AddColumns(std::vector<std::string> Captions, Integer Width = 100) {
        for (const std::string& caption : Captions) {
            TgxTreeListColumn* column = list->CreateColumn(TgxTreeListColumn::StaticClass(), form);
            column->SetCaption(caption);
            column->SetWidth(Width);
        }
    }
    // Notation: "A(A1,A2),B[B1],C": A expanded with two children, B collapsed with one.
    void Build(const std::string& Shape) {
        list->BeginUpdate();
        size_t pos = 0;
        BuildList(Shape, pos, nullptr);
        list->EndUpdate();
        uitest::ProcessEvents();
    }
    TgxTreeListNode* N(const std::string& Name) { return nodes.at(Name); }
    std::string Name(TgxTreeListNode* Node) {
        if (!Node) return "-";
        for (auto& [name, node] : nodes)
            if (node == Node) return name;
        return "?";
    }
    std::string Focused() { return Name(list->GetFocusedNode()); }
    // The selected nodes in tree order, comma-separated.
    std::string Selected() {
        std::string s;
        for (TgxTreeListNode* n = list->GetFirstNode(); n; n = n->GetNext())
            if (n->GetSelected()) s += (s.empty() ? "" : ",") + Name(n);
        return s;
    }
    void Options(TgxTreeListOptions Add, TgxTreeListOptions Remove = {}) {
        list->SetOptions(list->GetOptions() + Add - Remove);
    }
    void OptionsEx(TgxTreeListOptionsEx Add, TgxTreeListOptionsEx Remove = {}) {
        list->SetOptionsEx(list->GetOptionsEx() + Add - Remove);
    }
    TPoint Centre(const TRect& R) { return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }
    TPoint CellPoint(const std::string& Node, Integer Column = 0) { return Centre(list->GetCellRect(N(Node), Column)); }
    // The header cell of an absolute column, the right edge's sizing point, a band.
    TRect HeaderRect(Integer Column) {
        TgxTreeListDrawInfo info;
        list->CalcDrawInfo(info);
        TRect r;
        for (const TgxHeaderDrawItem& h : info.Headers)
            if (h.Column == Column) r = h.Rect;
        list->FreeDrawInfo(info);
        return r;
    }
    TRect BandRect(Integer VisibleBand) {
        TgxTreeListDrawInfo info;
        list->CalcDrawInfo(info);
        TRect r;
        for (const TgxBandDrawItem& b : info.Bands)
            if (b.Band == VisibleBand) r = b.Rect;
        list->FreeDrawInfo(info);
        return r;
    }
    TPoint HeaderPoint(Integer Column) { return Centre(HeaderRect(Column)); }
    TPoint HeaderEdge(Integer Column) {
        const TRect r = HeaderRect(Column);
        return {r.Right - 2, (r.Top + r.Bottom) / 2};
    }
    void Press(TPoint P, TShiftState Shift = {}) { uitest::MouseDown(list, P.X, P.Y, mbLeft, Shift); }
    void Move(TPoint P, TShiftState Shift = {ssLeft}) { uitest::MouseMove(list, P.X, P.Y, Shift); }
    void Release(TPoint P, TShiftState Shift = {}) { uitest::MouseUp(list, P.X, P.Y, mbLeft, Shift); }
    void ClickAt(TPoint P, TShiftState Shift = {}) { uitest::Click(list, P.X, P.Y, mbLeft, Shift); }

    uint32_t oldClickTime = 0;
    TForm* form = nullptr;
    TgxTreeList* list = nullptr;
    std::map<std::string, TgxTreeListNode*> nodes;
    int mouseDowns = 0;
    int columnClicks = 0;

private:
    void BuildList(const std::string& Shape, size_t& pos, TgxTreeListNode* Parent) {
        while (pos < Shape.size() && Shape[pos] != ')' && Shape[pos] != ']') {
            std::string name;
            while (pos < Shape.size() && std::string("(),[]").find(Shape[pos]) == std::string::npos)
                name += Shape[pos++];
            TgxTreeListNode* node = Parent ? Parent->AddChild() : list->Add();
            nodes[name] = node;
            if (list->GetColumnCount() > 0) list->SetNodeString(node, 0, name);
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
};
