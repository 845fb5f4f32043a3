// The band-and-column tree list: its band layout, text nodes, cell texts that follow their column,
// the column factory, the editor cache, best fit, band and header events and custom drawing.

#include <random>

#include "treelist/inplace_text_edit.h"

#include "tree_list_fixture.h"

namespace {

class TLayoutTreeList : public TTestTreeListControl {
    LUMORA_CLASS(TLayoutTreeList, TTestTreeListControl)
public:
    using TTestTreeListControl::TTestTreeListControl;
    int BandLayouts = 0;
    bool GroupNodes = false;
    bool NewItemRowActive = true;
    void BuildBandLayout() override {
        ++BandLayouts;
        TTestTreeListControl::BuildBandLayout();
    }
    bool IsGroupNode(TgxTreeListNode*) override { return GroupNodes; }
    bool IsNewItemRowActive() override { return NewItemRowActive; }
};

struct ControlFixture : testing::Test {
    Owned<TComponent> form{new TComponent(nullptr)};
    TLayoutTreeList* list = new TLayoutTreeList(form.get());

    TgxTreeListColumn* AddColumn(Integer Band = 0, Integer Row = 0) {
        auto* column = new TgxTreeListColumn(form.get());
        column->SetTreeList(list);
        column->SetBandIndex(Band);
        column->SetRowIndex(Row);
        return column;
    }
    std::vector<std::string> Texts(TgxTreeListNode* Node) {
        TStringList* texts = static_cast<TgxTreeListTextNode*>(Node)->GetTexts();
        std::vector<std::string> result;
        for (int i = 0; i < texts->GetCount(); ++i) result.push_back(texts->Get(i));
        return result;
    }
};

using Strings = std::vector<std::string>;

}  // namespace

// ---- band layout -----------------------------------------------------------------------------

// Every answer the layout gives, for every index in and around the range.
std::vector<Integer> LayoutAnswers(TCustomgxTreeListControl* List) {
    std::vector<Integer> answers;
    answers.push_back(List->GetVisibleBandCount());
    for (Integer band = -1; band <= List->GetBandCount(); ++band) {
        answers.push_back(List->GetVisibleBandIndex(band));
        answers.push_back(List->GetAbsoluteBandIndex(band));
    }
    for (Integer visible = -1; visible <= List->GetBandCount(); ++visible) {
        answers.push_back(List->GetBandUsedRowCount(visible));
        for (Integer row = -1; row <= List->GetHeaderPanelRowCount(); ++row) {
            answers.push_back(List->GetBandRowColumnCount(visible, row));
            for (Integer position = -1; position <= List->GetColumnCount(); ++position)
                answers.push_back(List->GetBandRowColumnIndex(visible, row, position));
        }
    }
    return answers;
}

TEST_F(ControlFixture, BandLayoutAnswersAsTheColumnsDo) {
    // Rows left without a column close up as soon as a column is placed.
    list->SetHeaderPanelRowCount(3);
    TgxTreeListColumn* top = AddColumn(0, 0);
    TgxTreeListColumn* low = AddColumn(0, 2);
    EXPECT_EQ(top->GetRowIndex(), 0);
    EXPECT_EQ(low->GetRowIndex(), 1);
    low->Free();

    std::mt19937 random(1234);
    auto pick = [&](int n) { return Integer(random() % unsigned(n)); };
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        list->BeginUpdate();
        list->DestroyColumns();
        while (list->GetBands()->GetCount() > 1) list->GetBands()->Delete(list->GetBands()->GetCount() - 1);
        for (Integer b = pick(4); b > 0; --b) list->GetBands()->Add();
        for (Integer b = 0; b < list->GetBandCount(); ++b) list->GetBands()->GetItem(b)->SetVisible(pick(4) != 0);
        list->SetHeaderPanelRowCount(1 + pick(3));
        for (Integer c = pick(9); c > 0; --c) {
            TgxTreeListColumn* column = AddColumn(pick(list->GetBandCount() + 1) - 1, pick(3));
            column->SetVisible(pick(5) != 0);
        }
        const int built = list->BandLayouts;
        list->EndUpdate();
        ASSERT_GT(list->BandLayouts, built);
        const std::vector<Integer> cached = LayoutAnswers(list);
        list->ClearCache();
        EXPECT_EQ(LayoutAnswers(list), cached);
        // The column view of the same layout.
        for (Integer visible = 0; visible < list->GetVisibleBandCount(); ++visible)
            for (Integer row = 0; row < list->GetBandUsedRowCount(visible); ++row)
                for (Integer position = 0; position < list->GetBandRowColumnCount(visible, row); ++position) {
                    TgxTreeListColumn* column = list->GetColumn(list->GetBandRowColumnIndex(visible, row, position));
                    EXPECT_TRUE(list->IsColumnShown(column->GetIndex()));
                    EXPECT_EQ(column->GetRowIndex(), row);
                    EXPECT_EQ(column->GetColIndex(), position);
                }
    }
}

TEST_F(ControlFixture, DefaultLayoutKeepsOneBandAndOneHeaderRow) {
    list->GetBands()->Add();
    list->GetBands()->Add();
    list->SetHeaderPanelRowCount(3);
    TgxTreeListColumn* a = AddColumn(2, 2);
    list->SetShowBands(true);
    EXPECT_FALSE(list->GetDefaultLayout());
    list->GetBands()->GetItem(0)->SetVisible(false);

    list->SetDefaultLayout(true);
    EXPECT_TRUE(list->GetDefaultLayout());
    EXPECT_EQ(list->GetBandCount(), 1);
    EXPECT_TRUE(list->GetBands()->GetItem(0)->GetVisible());
    EXPECT_EQ(list->GetHeaderPanelRowCount(), 1);
    EXPECT_FALSE(list->GetShowBands());
    EXPECT_EQ(a->GetBandIndex(), 0);
    EXPECT_EQ(a->GetRowIndex(), 0);
    EXPECT_TRUE(list->IsBandHeaderWidth());
}

TEST_F(ControlFixture, ColumnWidthsComeFromTheCacheUntilAColumnChanges) {
    TgxTreeListColumn* a = AddColumn();
    TgxTreeListColumn* hidden = AddColumn();
    hidden->SetVisible(false);
    EXPECT_EQ(list->CalcColumnWidth(0), 100);
    EXPECT_EQ(list->CalcColumnWidth(1), 0);  // not shown
    a->SetWidth(140);
    EXPECT_EQ(list->CalcColumnWidth(0), 140);
    EXPECT_EQ(list->GetColumnMinWidth(0), a->GetMinWidth());
    a->SetSizing(false);
    EXPECT_EQ(list->GetColumnMinWidth(0), 140);
}

// ---- text nodes ------------------------------------------------------------------------------

TEST_F(ControlFixture, TextNodesHoldTextsAndImageIndexes) {
    TgxTreeListNode* node = list->Add();
    ASSERT_NE(dynamic_cast<TgxTreeListTextNode*>(node), nullptr);
    EXPECT_EQ(node->GetImageIndex(), 0);
    EXPECT_EQ(node->GetSelectedIndex(), -1);
    EXPECT_EQ(node->GetStateIndex(), -1);
    node->SetStateIndex(3);
    EXPECT_EQ(node->GetStateIndex(), 3);
    list->OnGetImageIndex = [](TObject*, TgxTreeListNode*, Integer& Index) { Index += 10; };
    EXPECT_EQ(node->GetImageIndex(), 10);
    EXPECT_EQ(static_cast<TgxTreeListTextNode*>(node)->GetStoredImageIndex(), 0);

    node->SetString(2, "c");
    EXPECT_EQ(Texts(node), (Strings{"", "", "c"}));
    EXPECT_EQ(node->GetString(5), "");
    EXPECT_EQ(node->GetValue(2).AsString(), "c");
    list->SetNodeValue(node, 0, Variant(Integer(7)));
    list->SetNodeValue(node, 1, Null());
    EXPECT_EQ(Texts(node), (Strings{"7", "", "c"}));
    std::string text;
    list->GetCellText(node, 0, text);
    EXPECT_EQ(text, "7");
}

struct ColumnMoveCase {
    Integer from, to;
    Strings full, shorter, empty;
};

class TreeListColumnMove : public ControlFixture, public testing::WithParamInterface<ColumnMoveCase> {};

TEST_P(TreeListColumnMove, CellTextsFollowTheColumn) {
    const ColumnMoveCase c = GetParam();
    for (int i = 0; i < 3; ++i) AddColumn();
    TgxTreeListNode* full = list->Add();
    TgxTreeListNode* shorter = full->AddChild();
    TgxTreeListNode* empty = list->Add();
    TObject marker;
    for (const char* t : {"a", "b", "c"}) static_cast<TgxTreeListTextNode*>(full)->GetTexts()->Add(t);
    static_cast<TgxTreeListTextNode*>(full)->GetTexts()->PutObject(c.from, &marker);
    static_cast<TgxTreeListTextNode*>(shorter)->GetTexts()->Add("a");

    list->GetColumn(c.from)->SetIndex(c.to);
    EXPECT_EQ(Texts(full), c.full);
    EXPECT_EQ(Texts(shorter), c.shorter);
    EXPECT_EQ(Texts(empty), c.empty);
    EXPECT_EQ(static_cast<TgxTreeListTextNode*>(full)->GetTexts()->GetObject(c.to), &marker);
}

INSTANTIATE_TEST_SUITE_P(Moves, TreeListColumnMove,
                         testing::Values(ColumnMoveCase{0, 2, {"b", "c", "a"}, {"", "", "a"}, {"", "", ""}},
                                         ColumnMoveCase{2, 0, {"c", "a", "b"}, {"", "a", ""}, {"", "", ""}},
                                         ColumnMoveCase{0, 1, {"b", "a", "c"}, {"", "a"}, {"", ""}},
                                         ColumnMoveCase{1, 0, {"b", "a", "c"}, {"", "a"}, {"", ""}}));

namespace {

class TPlainNodes : public TTestTreeListControl {
    LUMORA_CLASS(TPlainNodes, TTestTreeListControl)
public:
    using TTestTreeListControl::TTestTreeListControl;
    TgxTreeListNode* CreateNode() override { return new TgxTreeListNode(this); }
};

}  // namespace

TEST(TreeListControl, MovingAColumnOverNodesWithoutTextsRaises) {
    Owned<TPlainNodes> list(new TPlainNodes(nullptr));
    list->Add();
    EXPECT_THROW(list->ColumnMoved(0, 1), EInvalidCast);
}

// ---- making and copying columns --------------------------------------------------------------

namespace {

class TSizeColumn : public TgxTreeListColumn {
    LUMORA_CLASS(TSizeColumn, TgxTreeListColumn)
public:
    using TgxTreeListColumn::TgxTreeListColumn;
    Integer GetDefaultWidth() override { return 64; }
};

}  // namespace

TEST_F(ControlFixture, TheFactoryNamesColumnsAfterTheList) {
    list->SetName("Grid");
    TgxTreeListColumn* first = list->CreateColumn(TgxTreeListColumn::StaticClass(), form.get());
    EXPECT_EQ(first->GetName(), "GridColumn1");
    EXPECT_EQ(first->GetTreeList(), list);
    auto* taken = new TComponent(form.get());
    taken->SetName("GridColumn3");
    EXPECT_EQ(list->CreateColumn(TgxTreeListColumn::StaticClass(), form.get())->GetName(), "GridColumn2");
    TgxTreeListColumn* third = list->CreateColumn(TSizeColumn::StaticClass(), form.get());
    EXPECT_EQ(third->GetName(), "GridColumn4");
    EXPECT_EQ(third->ClassType(), TSizeColumn::StaticClass());
    EXPECT_EQ(list->GetColumnCount(), 3);
}

TEST_F(ControlFixture, AssignColumnsCopiesClassesAndKeepsTakenNames) {
    auto* source = new TTestTreeListControl(form.get());
    source->SetName("Source");
    auto* name = new TgxTreeListColumn(form.get());
    name->SetName("NameColumn");
    name->SetCaption("Name");
    name->SetTreeList(source);
    auto* size = new TSizeColumn(form.get());
    size->SetName("SizeColumn");
    size->SetTreeList(source);
    list->SetName("Copy");
    AddColumn()->SetName("Old");

    // Same owner: the source names are taken, so the copies keep the names they were made with.
    list->AssignColumns(source);
    ASSERT_EQ(list->GetColumnCount(), 2);
    EXPECT_EQ(list->GetColumn(0)->GetName(), "CopyColumn1");
    EXPECT_EQ(list->GetColumn(0)->GetCaption(), "Name");
    EXPECT_EQ(list->GetColumn(1)->GetName(), "CopyColumn2");
    EXPECT_EQ(list->GetColumn(1)->ClassType(), TSizeColumn::StaticClass());
    EXPECT_EQ(form->FindComponent("Old"), nullptr);
    EXPECT_EQ(source->GetColumnCount(), 2);

    // Another owner: the names come along.
    Owned<TComponent> otherForm(new TComponent(nullptr));
    auto* other = new TTestTreeListControl(otherForm.get());
    auto* otherColumn = new TgxTreeListColumn(otherForm.get());
    otherColumn->SetTreeList(other);
    other->AssignColumns(source);
    ASSERT_EQ(other->GetColumnCount(), 2);
    EXPECT_EQ(other->GetColumn(0)->GetName(), "NameColumn");
    EXPECT_EQ(other->GetColumn(1)->GetName(), "SizeColumn");
    EXPECT_EQ(other->GetColumn(0)->GetOwner(), otherForm.get());
}

// ---- editors ---------------------------------------------------------------------------------

namespace {

class TTestEditor : public TgxInplaceTextEdit {
    LUMORA_CLASS(TTestEditor, TgxInplaceTextEdit)
public:
    using TgxInplaceTextEdit::TgxInplaceTextEdit;
};

class TOtherEditor : public TTestEditor {
    LUMORA_CLASS(TOtherEditor, TTestEditor)
public:
    using TTestEditor::TTestEditor;
};

class TEditedColumn : public TgxTreeListColumn {
    LUMORA_CLASS(TEditedColumn, TgxTreeListColumn)
public:
    using TgxTreeListColumn::TgxTreeListColumn;
    TClass Editor = TTestEditor::StaticClass();
    TClass GetEditorClass() override { return Editor; }
};

}  // namespace

TEST_F(ControlFixture, ColumnsOfOneEditorClassShareOneEditor) {
    for (TClass editor : {TTestEditor::StaticClass(), TTestEditor::StaticClass(), TOtherEditor::StaticClass()}) {
        auto* column = new TEditedColumn(form.get());
        column->Editor = editor;
        column->SetTreeList(list);
    }
    EXPECT_EQ(list->FindEditor(0), nullptr);
    TgxInplaceEdit* shared = list->CreateEditor(0);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->GetOwner(), list);
    EXPECT_EQ(list->FindEditor(1), shared);
    EXPECT_EQ(list->FindEditor(2), nullptr);  // the class must match exactly
    TgxInplaceEdit* other = list->CreateEditor(2);
    EXPECT_EQ(other->ClassType(), TOtherEditor::StaticClass());
    EXPECT_EQ(list->FindEditor(0), shared);
    EXPECT_EQ(list->FindEditor(3), nullptr);  // no such column

    shared->Free();
    EXPECT_EQ(list->FindEditor(1), nullptr);
}

// ---- best fit --------------------------------------------------------------------------------

TEST_F(ControlFixture, BestFitTakesTheWidestTextOfASizingColumn) {
    TgxTreeListColumn* tree = AddColumn();
    TgxTreeListColumn* plain = AddColumn();
    TgxTreeListColumn* fixed = AddColumn();
    fixed->SetSizing(false);
    plain->SetCaption("A rather long caption");
    TgxTreeListNode* root = list->Add();
    TgxTreeListNode* child = root->AddChild();
    for (TgxTreeListNode* node : {root, child}) {
        node->SetString(0, node == root ? "Root text" : "Child");
        node->SetString(1, "x");
        node->SetString(2, "A very very long text");
    }
    TCanvas* canvas = list->GetCanvas();
    canvas->GetFont()->Assign(list->GetFont());
    const Integer digit = canvas->TextWidth("0");
    // The tree column counts the indent: (level + 1) x 16 with ShowRoot in the standard style.
    const Integer treeWidth = std::max(canvas->TextWidth("Root text") + 16, canvas->TextWidth("Child") + 32);
    const Integer plainWidth = canvas->TextWidth("A rather long caption");

    list->ApplyBestFit(nullptr);
    EXPECT_EQ(tree->GetWidth(), treeWidth + 2 * digit);
    EXPECT_EQ(plain->GetWidth(), plainWidth + 2 * digit);
    EXPECT_EQ(fixed->GetWidth(), 100);
}

// ---- bands and headers -----------------------------------------------------------------------

TEST_F(ControlFixture, ShowingAndHidingBandsAndHeaders) {
    list->GetBands()->Add();
    list->GetBands()->Add();
    TgxTreeListBand* last = list->GetBands()->GetItem(2);
    std::vector<std::string> log;
    list->OnHideBand = [&](TObject*, TgxTreeListBand* Band) {
        log.push_back("hide " + std::to_string(Band->GetIndex()));
    };
    list->OnShowBand = [&](TObject*, TgxTreeListBand* Band, Integer At) {
        log.push_back("show " + std::to_string(Band->GetIndex()) + " at " + std::to_string(At));
    };
    list->HideBand(2);
    EXPECT_TRUE(list->IsBandHidden(2));
    list->ShowBand(0, 2);
    EXPECT_EQ(last->GetIndex(), 0);
    list->ShowBand(7, 0);  // past the end: the last place
    EXPECT_EQ(last->GetIndex(), 2);
    EXPECT_EQ(log, (Strings{"hide 2", "show 0 at 0", "show 2 at 7"}));

    TgxTreeListColumn* a = AddColumn();
    TgxTreeListColumn* b = AddColumn();
    list->HideHeader(0);
    EXPECT_FALSE(a->GetVisible());
    EXPECT_TRUE(list->IsColumnInCustomizeBox(0));
    EXPECT_FALSE(list->IsColumnInCustomizeBox(1));
    list->ShowHeader(0, 1, 0, 0);
    EXPECT_TRUE(a->GetVisible());
    EXPECT_EQ(a->GetBandIndex(), 1);
    list->GetBands()->GetItem(1)->SetVisible(false);
    EXPECT_FALSE(list->IsColumnInCustomizeBox(0));  // in a hidden band, but Visible
    list->SetShowHiddenInCustomizeBox(true);
    EXPECT_TRUE(list->IsColumnInCustomizeBox(0));
    b->SetDisableCustomizing(true);
    b->SetVisible(false);
    EXPECT_FALSE(list->IsColumnInCustomizeBox(1));
}

TEST_F(ControlFixture, DraggingPermissionsAndTheSingleBandColumnMove) {
    list->GetBands()->Add();
    list->GetBands()->GetItem(0)->SetFixed(bfLeft);
    list->GetBands()->GetItem(1)->SetDisableDragging(true);
    list->GetBands()->Add();
    EXPECT_FALSE(list->CanBandDragging(0));
    EXPECT_FALSE(list->CanBandDragging(1));
    EXPECT_TRUE(list->CanBandDragging(2));
    list->OnCanBandDragging = [](TObject*, TgxTreeListBand*, bool& Allow) { Allow = false; };
    EXPECT_FALSE(list->CanBandDragging(2));

    TgxTreeListColumn* a = AddColumn();
    AddColumn();
    a->SetDisableDragging(true);
    EXPECT_FALSE(list->CanHeaderDragging(0));
    EXPECT_TRUE(list->CanHeaderDragging(1));

    // OnColumnMoved and OnEndDragColumn follow a header drag only with exactly one band shown.
    std::vector<std::string> log;
    list->OnDragEndHeader = [&](TObject*, TgxTreeListColumn*, TPoint, TgxHeaderPosInfo&, bool&) {
        log.push_back("end");
    };
    list->OnColumnMoved = [&](TObject*, Integer From, Integer To) {
        log.push_back("moved " + std::to_string(From) + ">" + std::to_string(To));
    };
    list->OnEndDragColumn = [&](TObject*, Integer, Integer, TgxTreeListColumn*, Integer&) { log.push_back("column"); };
    TgxHeaderPosInfo position = MakeHeaderPosInfo(0, 0, 1, -3);
    bool accept = true;
    list->DoDragEndHeader(TPoint(5, 5), 1, accept, position);
    EXPECT_EQ(log, (Strings{"end"}));
    log.clear();
    list->GetBands()->GetItem(1)->SetVisible(false);
    list->GetBands()->GetItem(2)->SetVisible(false);
    list->DoDragEndHeader(TPoint(5, 5), 1, accept, position);
    EXPECT_EQ(log, (Strings{"end", "moved 1>1", "column"}));
}

// ---- custom drawing --------------------------------------------------------------------------

struct CellDrawCase {
    const char* what;
    const char* doneBy;  // the handler that sets ADone, "" for none
    bool groupNode;
    bool newItemRow;
    bool newItemRowActive;
    Strings log;
};

void PrintTo(const CellDrawCase& c, std::ostream* os) {
    *os << c.what;
}

class TreeListCustomDrawCell : public ControlFixture, public testing::WithParamInterface<CellDrawCase> {};

TEST_P(TreeListCustomDrawCell, EventsInOrderUntilDone) {
    const CellDrawCase c = GetParam();
    TgxTreeListColumn* column = AddColumn();
    list->GroupNodes = c.groupNode;
    list->NewItemRowActive = c.newItemRowActive;
    TgxTreeListNode* node = list->Add();
    Strings log;
    list->OnCustomDraw = [&](TObject*, TCanvas*, TRect, TgxTreeListNode* Node, TgxTreeListColumn* Column,
                             const std::string& Text, TFont*, TColor& Color, bool, bool, bool& Done) {
        EXPECT_EQ(Node, node);
        EXPECT_EQ(Column, column);
        EXPECT_EQ(Text, "text");
        log.push_back("custom");
        Color = clRed;
        Done = std::string(c.doneBy) == "custom";
    };
    list->OnCustomDrawCell = [&](TObject*, TCanvas*, TRect, TgxTreeListNode*, TgxTreeListColumn*, bool, bool,
                                 bool NewItemRow, std::string& Text, TColor& Color, TFont*, TAlignment&, bool& Done) {
        EXPECT_EQ(Color, clRed);
        EXPECT_EQ(NewItemRow, c.newItemRow);
        log.push_back("cell");
        Text = "changed";
        Done = std::string(c.doneBy) == "cell";
    };
    column->OnCustomDrawCell = [&](TObject* Sender, TCanvas*, TRect, TgxTreeListNode*, TgxTreeListColumn*, bool, bool,
                                   bool, std::string& Text, TColor&, TFont*, TAlignment&, bool&) {
        EXPECT_EQ(Sender, column);
        EXPECT_EQ(Text, "changed");
        log.push_back("column");
    };
    EXPECT_TRUE(list->HasCustomDrawCell(0));
    std::string text = "text";
    TColor color = clWindow;
    TAlignment alignment = taLeftJustify;
    bool done = false;
    TRect rect(0, 0, 50, 18);
    list->DoCustomDrawCell(nullptr, rect, node, 0, false, false, c.newItemRow, true, true, nullptr, text, color,
                           list->GetFont(), alignment, done);
    EXPECT_EQ(log, c.log);
    EXPECT_EQ(color, clRed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TreeListCustomDrawCell,
    testing::Values(CellDrawCase{"all", "", false, false, true, {"custom", "cell", "column"}},
                    CellDrawCase{"custom done", "custom", false, false, true, {"custom"}},
                    CellDrawCase{"cell done", "cell", false, false, true, {"custom", "cell"}},
                    CellDrawCase{"group row", "", true, false, true, {"custom", "cell"}},
                    CellDrawCase{"new-item row", "", true, true, true, {"custom", "cell", "column"}},
                    CellDrawCase{"inactive new-item row", "", false, true, false, {"custom", "cell"}}));

TEST_F(ControlFixture, HeaderFooterPreviewAndBandDrawingEvents) {
    TgxTreeListColumn* column = AddColumn();
    Strings log;
    EXPECT_FALSE(list->HasCustomDrawHeader(0));
    column->OnCustomDrawColumnHeader = [&](TObject* Sender, TgxTreeListColumn*, TCanvas*, TRect, std::string&,
                                           TColor&, TFont*, TAlignment&, TgxTreeListColumnSort&, bool&) {
        EXPECT_EQ(Sender, column);
        log.push_back("column header");
    };
    EXPECT_TRUE(list->HasCustomDrawHeader(0));
    bool listDone = false;
    list->OnCustomDrawColumnHeader = [&](TObject*, TgxTreeListColumn*, TCanvas*, TRect, std::string&, TColor&, TFont*,
                                         TAlignment&, TgxTreeListColumnSort& Sorted, bool& Done) {
        log.push_back("header");
        Sorted = csUp;
        Done = listDone;
    };
    std::string text;
    TColor color = clBtnFace;
    TColor textColor = clBlack;
    TAlignment alignment = taCenter;
    TgxTreeListColumnSort sorted = csNone;
    bool done = false;
    list->DoCustomDrawHeader(0, nullptr, TRect(), text, color, nullptr, alignment, sorted, done);
    EXPECT_EQ(sorted, csUp);
    listDone = true;
    done = false;
    list->DoCustomDrawHeader(0, nullptr, TRect(), text, color, nullptr, alignment, sorted, done);
    EXPECT_EQ(log, (Strings{"header", "column header", "header"}));

    log.clear();
    EXPECT_FALSE(list->HasCustomDrawFooter(-1));
    list->OnCustomDrawFooter = [&](TObject*, TCanvas*, TRect, TgxTreeListNode*, TgxTreeListColumn*, std::string&,
                                   TColor&, TFont*, TAlignment&, bool&) { log.push_back("footer"); };
    list->OnCustomDrawFooterNode = [&](TObject*, TCanvas*, TRect, TgxTreeListNode*, TgxTreeListColumn*,
                                       Integer Index, std::string&, TColor&, TFont*, TAlignment&,
                                       bool&) { log.push_back("row footer " + std::to_string(Index)); };
    EXPECT_TRUE(list->HasCustomDrawFooter(-1));
    EXPECT_TRUE(list->HasCustomDrawFooter(1));
    list->DoCustomDrawFooter(nullptr, TRect(), nullptr, 0, -1, text, color, nullptr, alignment, done);
    list->DoCustomDrawFooter(nullptr, TRect(), nullptr, 0, 1, text, color, nullptr, alignment, done);

    list->OnCustomDrawPreview = [&](TObject*, TCanvas*, TRect, TgxTreeListNode*, bool, const std::string&,
                                    bool&) { log.push_back("preview"); };
    list->OnCustomDrawPreviewCell = [&](TObject*, TCanvas*, TRect, TgxTreeListNode*, bool, std::string&, TColor&,
                                        TColor& TextColor, TFont*, bool&) {
        TextColor = clRed;
        log.push_back("preview cell");
    };
    done = false;
    list->DoCustomDrawPreview(nullptr, TRect(), nullptr, false, text, color, textColor, nullptr, done);
    EXPECT_EQ(textColor, clRed);

    list->GetBands()->GetItem(0)->SetCaption("Band");
    list->OnCustomDrawBand = [&](TObject*, TgxTreeListBand* Band, TCanvas*, TRect, std::string&, TColor&, TFont*,
                                 TAlignment&, bool&) { log.push_back("band " + Band->GetCaption()); };
    list->OnGetLevelColor = [&](TObject*, Integer Level, TColor& Color) { Color = Level == 1 ? clBlue : Color; };
    EXPECT_TRUE(list->HasCustomDrawBand());
    EXPECT_TRUE(list->HasLevelColor());
    list->DoCustomDrawBand(0, nullptr, TRect(), text, color, nullptr, alignment, done);
    list->DoGetLevelColor(1, color);
    EXPECT_EQ(color, clBlue);
    EXPECT_EQ(log, (Strings{"footer", "row footer 1", "preview", "preview cell", "band Band"}));
}

// ---- editing and row heights -----------------------------------------------------------------

TEST_F(ControlFixture, EditingAnswersAskTheFocusedColumn) {
    EXPECT_FALSE(list->CanEditModify());  // no column
    TgxTreeListColumn* column = AddColumn();
    TgxTreeListNode* node = list->Add();
    EXPECT_TRUE(list->CanEditModify());
    column->SetReadOnly(true);
    EXPECT_FALSE(list->CanEditModify());

    bool allow = true;
    list->DoEditing(node, allow);
    EXPECT_TRUE(allow);
    column->SetDisableEditor(true);
    list->DoEditing(node, allow);
    EXPECT_FALSE(allow);

    EXPECT_FALSE(list->IsEditorButtonAt(1, 1, true));
    list->SetOptionsEx(list->GetOptionsEx() + TgxTreeListOptionsEx{aoShowButtonAlways});
    EXPECT_FALSE(list->IsEditorButtonAt(1, 1, true));  // the column shows no button
    column->SetVisible(false);
    EXPECT_TRUE(list->IsEditorButtonAt(1, 1, true));  // no focused column: the list's answer
}

TEST_F(ControlFixture, RowLinesAreMeasuredWithAColumnsOwnFont) {
    TgxTreeListColumn* column = AddColumn();
    TgxTreeListNode* node = list->Add();
    const std::string text = "one two three four five six seven eight nine ten";
    Integer lines = 0;
    Integer height = 18;
    EXPECT_FALSE(list->DoCalcRowLineHeight(node, 0, text, 60, 13, -1, false, true, lines, height));
    column->GetFont()->SetSize(column->GetFont()->GetSize() + 1);  // a font of its own
    ASSERT_TRUE(list->DoCalcRowLineHeight(node, 0, text, 60, 13, -1, false, true, lines, height));
    EXPECT_GT(lines, 2);
    const Integer unlimited = lines;
    list->DoCalcRowLineHeight(node, 0, text, 60, 13, 2, false, true, lines, height);
    EXPECT_EQ(lines, 2);
    list->DoCalcRowLineHeight(node, 0, text, 2000, 13, -1, false, true, lines, height);
    EXPECT_LT(lines, unlimited);
    list->DoCalcRowLineHeight(node, 0, "", 60, 13, -1, false, true, lines, height);
    EXPECT_EQ(lines, 0);

    list->OnCalcRowLineHeight = [](TObject*, TgxTreeListNode*, TgxTreeListColumn*, const std::string&, Integer,
                                   Integer, Integer, bool, bool, Integer& LineCount, Integer& LineHeight, bool& Done) {
        LineCount = 7;
        LineHeight = 30;
        Done = true;
    };
    ASSERT_TRUE(list->DoCalcRowLineHeight(node, 0, text, 60, 13, -1, false, true, lines, height));
    EXPECT_EQ(lines, 7);
    EXPECT_EQ(height, 30);
}
