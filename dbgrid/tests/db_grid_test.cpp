// The grid over a memory table: records to nodes, key lookups, columns bound by field name, and
// the focused node and current record following each other.

#include "dbgrid/db_grid_mask_column.h"
#include "dbgrid/tests/db_grid_fixture.h"

using DbGridBind = GridFixture;

TEST_F(DbGridBind, RecordsBecomeNodesInDatasetOrder) {
    Fill({{"c", 1}, {"a", 2}, {"b", 1}});
    Bind();
    EXPECT_EQ(Tree(), "c,a,b");
    EXPECT_EQ(grid->GetRecordCount(), 3);
    EXPECT_EQ(grid->GetItem(1)->GetString(type->GetIndex()), "2");
    EXPECT_EQ(VarToStr(grid->GetItem(1)->GetValue(type->GetIndex())), "2");
    EXPECT_EQ(static_cast<TgxDBGridNode*>(grid->GetItem(2))->RecordIndex, 2);
    // The current record is focused once the grid follows the dataset.
    EXPECT_EQ(Current(), "c");
}

TEST_F(DbGridBind, EmptyInactiveOrKeylessGivesNoNodes) {
    Bind();
    EXPECT_EQ(grid->GetCount(), 0);  // inactive
    table.T->Open();
    EXPECT_EQ(grid->GetCount(), 0);  // empty
    EXPECT_EQ(grid->GetRecordCount(), 0);
    table.AddFile("a", "/f");
    EXPECT_EQ(Tree(), "a");
    // A key field the dataset lacks with navigation on: an empty grid, no error.
    grid->SetKeyField("NoSuchField");
    EXPECT_EQ(grid->GetCount(), 0);
    Options({}, {egoCanNavigation});
    grid->ReloadNodes();
    EXPECT_EQ(Tree(), "a");
}

TEST_F(DbGridBind, FindNodeByKeyValueGivesTheFirstLeafInTreeOrder) {
    Fill({{"a", 1}, {"b", 2}, {"c", 1}});
    // FileID is -5 for every record: three records share one key.
    Bind("FileID");
    EXPECT_EQ(grid->FindNodeByKeyValue(Variant(-5)), Leaf("a"));
    EXPECT_EQ(grid->FindNodeByKeyValue(Variant(7)), nullptr);
    grid->SetKeyField("KeyID");
    type->SetGroupIndex(0);
    // Groups 1 (a, c) and 2 (b): the group nodes carry their first leaf's key but are never answered.
    ASSERT_EQ(Tree(), "1(a,c),2(b)");
    EXPECT_EQ(static_cast<TgxDBGridNode*>(grid->GetItem(1))->KeyValue, Variant(2));
    EXPECT_EQ(grid->FindNodeByKeyValue(Variant(2)), Leaf("b"));
    EXPECT_EQ(grid->FindNodeByKeyValue(Variant(3)), Leaf("c"));
    // The key map goes with node changes.
    Leaf("c")->Free();
    EXPECT_EQ(grid->FindNodeByKeyValue(Variant(3)), nullptr);
}

TEST_F(DbGridBind, RefreshNodesKeepsTheTopRowAndReusesLeaves) {
    std::vector<std::pair<std::string, Integer>> files;
    for (int i = 0; i < 40; ++i) files.push_back({"f" + std::to_string(100 + i), i % 2});
    Fill(files);
    Bind();
    type->SetGroupIndex(0);
    grid->FullExpand();
    grid->SetTopIndex(10);
    TgxTreeListNode* top = grid->GetTopVisibleNode();
    TgxTreeListNode* leaf = Leaf("f105");
    ASSERT_TRUE(top && top->GetCount() == 0);
    const Variant key = static_cast<TgxDBGridNode*>(top)->KeyValue;
    grid->RefreshNodes();
    EXPECT_EQ(Leaf("f105"), leaf);  // the old leaf stays
    EXPECT_EQ(static_cast<TgxDBGridNode*>(grid->GetTopVisibleNode())->KeyValue, key);
}

TEST_F(DbGridBind, PreviewTextIsCutAndNeverRaises) {
    Fill({{"a", 0}});
    table.T->Edit();
    table.Path->SetAsString("abcdefgh");
    table.T->Post();
    grid->SetPreviewMaxLength(3);
    grid->SetPreviewFieldName("Path");
    Bind();
    std::string text;
    grid->GetPreviewText(grid->GetItem(0), text);
    EXPECT_EQ(text, "abc...");
    table.Path->OnGetText = [](TField*, std::string&, bool) { throw Exception("broken"); };
    EXPECT_NO_THROW(grid->ReloadNodes());
    EXPECT_EQ(grid->GetCount(), 1);
}

// ---- columns ----------------------------------------------------------------------------------

using DbGridColumns = GridFixture;

TEST_F(DbGridColumns, CreatedColumnsAreNamedAfterTheGridSkippingTakenNames) {
    AddColumn("Path");
    ASSERT_EQ(grid->GetColumnCount(), 3);
    auto* taken = new TComponent(form);
    taken->SetName("GridColumn5");
    EXPECT_EQ(AddColumn("FileSize")->GetName(), "GridColumn4");
    EXPECT_EQ(AddColumn("FileDate")->GetName(), "GridColumn6");
}

TEST_F(DbGridColumns, ColumnByFieldName) {
    EXPECT_EQ(grid->ColumnByFieldName("FILENAME"), name);
    EXPECT_EQ(grid->FindColumnByFieldName("Path"), nullptr);
    EXPECT_EQ(ErrorOf([&] { grid->ColumnByFieldName("Path"); }), "Grid: Column by Field ''Path'' not found");
}

TEST_F(DbGridColumns, SortKindsFollowTheFieldType) {
    auto* flag = table.Add<TBooleanField>("Flag");
    auto* amount = table.Add<TFloatField>("Amount");
    (void)flag;
    (void)amount;
    const std::pair<const char*, TVarType> cases[] = {
        {"Flag", varString},   {"KeyID", varInteger},   {"FileID", varInteger},  {"Amount", varDouble},
        {"FileDate", varDate}, {"Filename", varString}, {"Missing", varUnknown},
    };
    table.T->Open();
    Bind();
    for (auto [field, kind] : cases) {
        TgxDBGridColumn* column = AddColumn(field);
        EXPECT_EQ(column->GetSortKind(), kind) << field;
    }
}

TEST_F(DbGridColumns, DefaultsComeFromTheField) {
    auto* loose = new TgxDBGridColumn(form);
    EXPECT_EQ(loose->GetDefaultWidth(), 64);  // no grid, no caption, no field
    loose->Free();
    table.Filename->SetDisplayLabel("File name");
    table.T->Open();
    Bind();
    EXPECT_EQ(name->GetCaption(), "File name");
    // A column without its field shows empty text under its field name.
    TgxDBGridColumn* description = AddColumn("Description");
    table.AddFile("a", "/f");
    EXPECT_EQ(description->GetCaption(), "Description");
    EXPECT_EQ(grid->GetItem(0)->GetString(description->GetIndex()), "");
    EXPECT_GT(name->GetDefaultWidth(), 64);  // 100 characters of "0"
}

TEST_F(DbGridColumns, DefaultFieldsRefusesColumnsMadeOrFreedFromOutside) {
    grid->SetDefaultFields(true);
    EXPECT_EQ(grid->GetColumnCount(), 0);
    EXPECT_EQ(ErrorOf([&] { AddColumn("Path"); }), "");
    EXPECT_FALSE(grid->GetOptions().Contains(egoLoadAllRecords));
}

TEST_F(DbGridColumns, MaskColumnsEditWithTheFieldsMaskUnlessOneIsAssigned) {
    table.Filename->SetEditMask(">LLL;0;_");
    Fill({{"abc", 1}});
    Bind();
    auto* mask = static_cast<TgxDBGridMaskColumn*>(grid->CreateColumn(TgxDBGridMaskColumn::StaticClass(), form));
    mask->SetFieldName("Filename");
    EXPECT_EQ(mask->GetEditMask(), ">LLL;0;_");
    EXPECT_FALSE(mask->IsEditMaskStored());
    EXPECT_EQ(mask->GetEditorClass(), TgxInplaceDBTreeListMaskEdit::StaticClass());
    mask->SetEditMask("000");
    EXPECT_TRUE(mask->IsEditMaskStored());
    // The focused cell's editor edits through the column's mask.
    grid->GetItem(0)->SetFocused(true);
    grid->SetFocusedColumn(grid->AbsoluteToVisibleIndex(mask->GetIndex()));
    grid->ShowEditor();
    auto* editor = dynamic_cast<TgxInplaceDBTreeListMaskEdit*>(grid->GetInplaceEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetEditMask(), "000");
    grid->HideEditor();
    // Assign copies the mask (from either mask column kind); RestoreDefaults takes the field's.
    auto* other =
        static_cast<TgxDBTreeListMaskColumn*>(grid->CreateColumn(TgxDBTreeListMaskColumn::StaticClass(), form));
    other->Assign(mask);
    EXPECT_EQ(other->GetFieldName(), "Filename");
    EXPECT_EQ(other->GetEditMask(), "000");
    other->RestoreDefaults();
    EXPECT_EQ(other->GetEditMask(), ">LLL;0;_");
    EXPECT_FALSE(other->IsEditMaskStored());
    // The grid's mask column groups like any grid column.
    mask->SetGroupIndex(0);
    EXPECT_EQ(grid->GetGroupColumn(0), mask);
    EXPECT_NE(FindClass("TgxDBGridMaskColumn"), nullptr);
    EXPECT_NE(FindClass("TgxDBTreeListMaskColumn"), nullptr);
}

TEST_F(DbGridColumns, TheEditorAsksTheGridForTheFieldsMask) {
    table.Filename->SetEditMask(">LLL;0;_");
    Fill({{"abc", 1}});
    Bind();
    auto maskOf = [&](TgxDBGridColumn* Column) {
        grid->SetFocusedColumn(grid->AbsoluteToVisibleIndex(Column->GetIndex()));
        std::string mask = "?";
        grid->GetEditMask(mask);
        return mask;
    };
    EXPECT_EQ(maskOf(name), ">LLL;0;_");
    EXPECT_EQ(maskOf(type), "");
    // A mask column whose own mask is emptied edits with the field's mask, as the grid gives it.
    auto* mask = static_cast<TgxDBGridMaskColumn*>(grid->CreateColumn(TgxDBGridMaskColumn::StaticClass(), form));
    mask->SetFieldName("Filename");
    mask->SetEditMask("");
    grid->GetItem(0)->SetFocused(true);
    grid->SetFocusedColumn(grid->AbsoluteToVisibleIndex(mask->GetIndex()));
    grid->ShowEditor();
    auto* editor = dynamic_cast<TgxInplaceDBTreeListMaskEdit*>(grid->GetInplaceEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetEditMask(), ">LLL;0;_");
    grid->HideEditor();
}

TEST_F(DbGridColumns, ColumnKindsChooseTheClassesOfDefaultColumns) {
    table.Add<TBooleanField>("Flag");
    table.Add<TFloatField>("Amount");
    table.T->Open();
    Bind();
    auto classOf = [&](const char* Field) { return grid->GetColumnClassForField(table.T->FindField(Field)); };
    TClass mask = TgxDBGridMaskColumn::StaticClass(), plain = TgxDBGridColumn::StaticClass();
    // The mask column took the text and number types with priority 1.
    const std::pair<const char*, TClass> cases[] = {
        {"Filename", mask}, {"KeyID", mask}, {"FileSize", mask}, {"Amount", mask}, {"Flag", plain}, {"FileDate", plain},
    };
    for (auto [field, kind] : cases) EXPECT_EQ(classOf(field), kind) << field;
    grid->SetDefaultFields(true);
    grid->ReloadNodes();  // links every field, so each gets its column
    ASSERT_NE(grid->FindColumnByFieldName("Filename"), nullptr);
    EXPECT_EQ(grid->FindColumnByFieldName("Filename")->ClassType(), mask);
    EXPECT_EQ(grid->FindColumnByFieldName("Flag")->ClassType(), plain);
    grid->SetDefaultFields(false);

    // Another kind replaces an entry only with a higher priority; lookup fields are asked apart.
    std::vector<std::pair<TFieldType, TFieldKind>> asked;
    RegisterDefaultColumnClasses([&](TFieldType Type, TFieldKind Kind, TgxDBGridColumnClassEntry& Entry) {
        asked.emplace_back(Type, Kind);
        if (Type == ftString) Entry = {TgxDBTreeListMaskColumn::StaticClass(), 1};
        if (Type == ftInteger) Entry = {TgxDBTreeListMaskColumn::StaticClass(), 2};
    });
    ASSERT_EQ(asked.size(), size_t(GridColumnClassTypes) + 1);
    EXPECT_EQ(asked.back(), std::make_pair(ftUnknown, fkLookup));
    EXPECT_EQ(classOf("Filename"), mask);
    EXPECT_EQ(classOf("FileSize"), TgxDBTreeListMaskColumn::StaticClass());
    // Reset: the plain column everywhere, also for a type no kind took.
    ResetDefaultColumnClasses();
    for (const char* field : {"Filename", "FileSize", "Flag"}) EXPECT_EQ(classOf(field), plain) << field;
}

// ---- focus and dataset in step ------------------------------------------------------------------

struct DbGridSync : GridFixture {
    int scrolls = 0;
    void SetUp() override {
        GridFixture::SetUp();
        Fill({{"a", 1}, {"b", 2}, {"c", 1}, {"d", 2}});
        table.T->AfterScroll = [this](TDataSet*) { ++scrolls; };
        Bind();
    }
};

TEST_F(DbGridSync, FocusingALeafMovesTheDataset) {
    for (bool locate : {false, true}) {
        Options(locate ? TgxDBGridOptions{egoUseLocate} : TgxDBGridOptions{},
                locate ? TgxDBGridOptions{} : TgxDBGridOptions{egoUseLocate});
        Leaf("c")->SetFocused(true);
        EXPECT_EQ(Current(), "c") << locate;
        Leaf("a")->SetFocused(true);
        EXPECT_EQ(Current(), "a") << locate;
        // Focusing the current leaf moves nothing.
        scrolls = 0;
        Leaf("a")->SetFocused(true);
        EXPECT_EQ(scrolls, 0) << locate;
    }
}

TEST_F(DbGridSync, ADatasetMoveFocusesItsNode) {
    table.T->Locate("Filename", Variant("d"), {});
    EXPECT_EQ(Focused(), "d");
    // Grouped with the groups collapsed, the seek goes down to the record's leaf.
    Options({egoSeekDetail});
    type->SetGroupIndex(0);
    table.T->Locate("Filename", Variant("c"), {});
    EXPECT_EQ(Focused(), "c");
    Options({}, {egoSeekDetail});
    grid->FullCollapse();
    table.T->Locate("Filename", Variant("b"), {});
    EXPECT_EQ(Focused(), "group");
}

TEST_F(DbGridSync, AFailingMoveLeavesTheFocusAndPropagates) {
    Options({egoUseLocate});
    Leaf("b")->SetFocused(true);
    table.T->BeforeScroll = [](TDataSet*) { throw Exception("no scrolling"); };
    EXPECT_EQ(ErrorOf([&] { Leaf("d")->SetFocused(true); }), "no scrolling");
    EXPECT_EQ(Focused(), "b");
    table.T->BeforeScroll = nullptr;
    Leaf("d")->SetFocused(true);
    EXPECT_EQ(Current(), "d");
}

TEST_F(DbGridSync, ChangesRefreshTheirRow) {
    for (bool smart : {true, false}) {
        SCOPED_TRACE(smart);
        Options(smart ? TgxDBGridOptions{egoSmartRefresh} : TgxDBGridOptions{},
                smart ? TgxDBGridOptions{} : TgxDBGridOptions{egoSmartRefresh});
        table.T->Locate("Filename", Variant("b"), {});
        table.T->Edit();
        table.Filename->SetAsString("b2");
        table.T->Post();
        EXPECT_EQ(Tree(), "a,b2,c,d");
        table.T->Edit();
        table.Filename->SetAsString("b");
        table.T->Post();
    }
    // Records added and deleted past the grid.
    table.AddFile("e", "/f");
    EXPECT_EQ(Tree(), "a,b,c,d,e");
    table.T->Locate("Filename", Variant("c"), {});
    table.T->Delete();
    EXPECT_EQ(Tree(), "a,b,d,e");
    EXPECT_EQ(Focused(), Current());
}

TEST_F(DbGridSync, SmartRefreshDeletesExactlyTheFocusedNode) {
    Options({egoSmartRefresh, egoUseLocate});
    type->SetGroupIndex(0);
    ASSERT_EQ(Tree(), "1(a,c),2(b,d)");
    TgxTreeListNode* a = Leaf("a");
    Leaf("b")->SetFocused(true);
    grid->DeleteNodeRecord(Leaf("b"));
    EXPECT_EQ(Tree(), "1(a,c),2(d)");
    EXPECT_EQ(Leaf("a"), a);  // no reload
    Leaf("d")->SetFocused(true);
    grid->DeleteNodeRecord(Leaf("d"));
    EXPECT_EQ(Tree(), "1(a,c)");  // the emptied group goes too
    EXPECT_EQ(table.Column("Filename"), (std::vector<std::string>{"a", "c"}));
}

// A record deleted through the dataset (not by the grid) takes its row, and its emptied group,
// with it under smart refresh too; the rows left read as before.
TEST_F(DbGridSync, SmartRefreshDropsTheRowOfARecordDeletedThroughTheDataset) {
    Options({egoSmartRefresh, egoUseLocate});
    for (bool grouped : {false, true}) {
        SCOPED_TRACE(grouped);
        table.T->Close();
        table.T->Open();
        for (const auto& [file, kind] : {std::pair<const char*, Integer>{"a", 1}, {"b", 2}, {"c", 1}, {"d", 2},
                                         {"e", 3}, {"f", 1}})
            table.AddFile(file, "/f", kind);
        type->SetGroupIndex(grouped ? 0 : -1);
        grid->FullExpand();
        ASSERT_EQ(Tree(), grouped ? "1(a,c,f),2(b,d),3(e)" : "a,b,c,d,e,f");
        TgxTreeListNode* a = Leaf("a");
        // The focused record, then one in the middle of a group, then a group's only record.
        Leaf("b")->SetFocused(true);
        table.T->Delete();
        EXPECT_EQ(Tree(), grouped ? "1(a,c,f),2(d),3(e)" : "a,c,d,e,f");
        table.T->Locate("Filename", Variant("c"), {});
        table.T->Delete();
        EXPECT_EQ(Tree(), grouped ? "1(a,f),2(d),3(e)" : "a,d,e,f");
        table.T->Locate("Filename", Variant("e"), {});
        table.T->Delete();
        EXPECT_EQ(Tree(), grouped ? "1(a,f),2(d)" : "a,d,f");
        EXPECT_EQ(Leaf("a"), a);  // no reload
        EXPECT_EQ(grid->GetAbsoluteCount(), grouped ? 5 : 3);
        EXPECT_EQ(grid->GetRecordCount(), 3);
        EXPECT_EQ(Focused(), Current());
        // The last record; the focused row is the one of the record now current (a group row
        // stands for its first leaf).
        table.T->Last();
        table.T->Delete();
        EXPECT_EQ(Tree(), grouped ? "1(a),2(d)" : "a,d");
        TgxTreeListNode* focused = grid->GetFocusedNode();
        while (focused && focused->GetCount() > 0) focused = focused->GetFirstChild();
        EXPECT_EQ(focused, Leaf(Current()));
        // Records deleted and added past the grid in one batch: the grid reloads.
        table.T->DisableControls();
        table.T->First();
        table.T->Delete();
        table.AddFile("g", "/f", 1);
        table.AddFile("h", "/f", 2);
        table.T->EnableControls();
        EXPECT_EQ(Tree(), grouped ? "1(g),2(d,h)" : "d,g,h");
    }
}

TEST_F(DbGridSync, ACancelledInsertsRowGoesAtTheNextChange) {
    Leaf("b")->SetFocused(true);
    table.T->Insert();
    EXPECT_EQ(grid->GetCount(), 5);
    table.T->Cancel();
    EXPECT_EQ(Tree(), "a,b,c,d");
    // A posted insert stays.
    table.T->Append();
    table.Filename->SetAsString("e");
    table.T->Post();
    EXPECT_EQ(Tree(), "a,b,c,d,e");
}

TEST_F(DbGridSync, ChangeNodeExFiresOncePerRealChange) {
    int changes = 0;
    grid->OnChangeNodeEx = [&](TObject*) { ++changes; };
    Options({egoUseLocate});
    Leaf("c")->SetFocused(true);
    const int afterMove = changes;
    EXPECT_GE(afterMove, 1);
    Leaf("c")->SetFocused(true);
    EXPECT_EQ(changes, afterMove);
}
