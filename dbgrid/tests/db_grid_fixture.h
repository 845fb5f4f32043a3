#pragma once
// A grid bound to a file table on a shown form, with columns for Filename and LMFileType, and
// helpers that read the node tree back as text.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbgrid/db_grid.h"
#include "dbgrid/tests/mem_table.h"
#include "framework/dialog_service.h"
#include "framework/forms.h"
#include "framework/testing/ui_test.h"

struct GridFixture : testing::Test {
    FileTable table;
    TForm* form = nullptr;
    TDataSource* source = nullptr;
    TgxDBGrid* grid = nullptr;
    TgxDBGridColumn* name = nullptr;
    TgxDBGridColumn* type = nullptr;

    void SetUp() override {
        uitest::Start();
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 520, 400);
        grid = new TgxDBGrid(form);
        grid->SetName("Grid");
        grid->SetParent(form);
        grid->SetBounds(10, 10, 480, 300);
        grid->SetBorderStyle(bsNone);
        grid->SetScrollBars(ssNone);
        grid->SetOptions(grid->GetOptions() + TgxDBGridOptions{egoLoadAllRecords});
        name = AddColumn("Filename");
        type = AddColumn("LMFileType");
        source = new TDataSource(form);
        source->SetDataSet(table.T);
        uitest::ShowForm(form);
        grid->SetFocus();
    }
    void TearDown() override {
        form->Free();
        uitest::ProcessEvents();
    }

    TgxDBGridColumn* AddColumn(const std::string& Field) {
        auto* column = static_cast<TgxDBGridColumn*>(grid->CreateColumn(TgxDBGridColumn::StaticClass(), form));
        column->SetFieldName(Field);
        return column;
    }
    // Files "a".."<n>" typed by Types (one per file), then the grid bound with KeyField KeyID.
    void Fill(const std::vector<std::pair<std::string, Integer>>& Files) {
        table.T->Open();
        for (const auto& [file, kind] : Files) table.AddFile(file, "/f", kind);
        table.T->First();
    }
    void Bind(const std::string& Key = "KeyID") {
        grid->SetKeyField(Key);
        grid->SetDataSource(source);
    }
    void Options(TgxDBGridOptions Add, TgxDBGridOptions Remove = {}) {
        grid->SetOptions(grid->GetOptions() + Add - Remove);
    }

    // The node tree as text: leaves by file name, group nodes as "<value>(children)".
    std::string Tree() { return Level(nullptr); }
    std::string Level(TgxTreeListNode* Parent) {
        std::string s;
        const Integer count = Parent ? Parent->GetCount() : grid->GetCount();
        for (Integer i = 0; i < count; ++i) {
            TgxTreeListNode* n = Parent ? Parent->GetItem(i) : grid->GetItem(i);
            if (!s.empty()) s += ",";
            if (n->GetCount() > 0)
                s += VarToStr(static_cast<TgxDBGridNode*>(n)->GroupValue) + "(" + Level(n) + ")";
            else
                s += n->GetString(name->GetIndex());
        }
        return s;
    }
    TgxTreeListNode* Leaf(const std::string& File) {
        for (TgxTreeListNode* n = grid->GetFirstNode(); n; n = n->GetNext())
            if (n->GetCount() == 0 && n->GetString(name->GetIndex()) == File) return n;
        return nullptr;
    }
    std::string Current() { return table.T->GetActive() ? table.Filename->GetAsString() : "-"; }
    std::string Focused() {
        TgxTreeListNode* n = grid->GetFocusedNode();
        return !n ? "-" : n->GetCount() ? "group" : n->GetString(name->GetIndex());
    }
    // The selected leaves' names in tree order.
    std::string Selected() {
        std::string s;
        for (TgxTreeListNode* n = grid->GetFirstNode(); n; n = n->GetNext())
            if (n->GetSelected())
                s += (s.empty() ? "" : ",") + (n->GetCount() ? std::string("group") : n->GetString(name->GetIndex()));
        return s;
    }
};
