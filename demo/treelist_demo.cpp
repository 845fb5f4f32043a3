// The plain tree list: a three-level tree read from a node stream, under three bands (the first
// one fixed), two header rows, the indicator strip, preview text, row footers, a footer, grid
// lines, a selection of several rows and the masked editor open over the focused cell.
// "treelist_demo --png FILE" saves what the form shows; without arguments the form runs.

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "demo/demo_start.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/image_list.h"
#include "framework/testing/ui_test.h"
#include "framework/stream.h"
#include "treelist/plain_tree_list.h"

namespace {

// The plain tree list with footer sums.
class TDemoTreeList : public TgxTreeList {
    LUMORA_CLASS(TDemoTreeList, TgxTreeList)
public:
    using TgxTreeList::TgxTreeList;

    // Column -> footer text.
    std::map<Integer, std::string> Footers;

    bool IsExistFooterCell(Integer Column) override { return Footers.count(Column) > 0; }
    void GetRowFooterCellText(TgxTreeListNode* Node, Integer Column, Integer FooterIndex, std::string& Text) override {
        if (!Node && FooterIndex == -1 && Footers.count(Column)) {
            Text = Footers[Column];
            return;
        }
        TgxTreeList::GetRowFooterCellText(Node, Column, FooterIndex, Text);
    }
    TAlignment GetRowFooterCellAlignment(TgxTreeListNode*, Integer, Integer) override { return taRightJustify; }
};

// 16 x 16 pictures drawn here: a folder, a group of people and one person.
TImageList* MakeImages(TComponent* Owner) {
    auto* images = new TImageList(Owner);
    images->SetWidth(16);
    images->SetHeight(16);
    for (int kind = 0; kind < 3; ++kind) {
        TBitmap picture;
        picture.SetPixelFormat(pf24bit);
        picture.SetSize(16, 16);
        TCanvas* c = picture.GetCanvas();
        c->GetBrush()->SetColor(clFuchsia);
        c->FillRect(TRect(0, 0, 16, 16));
        c->GetPen()->SetColor(TColor(0x404040));
        if (kind == 0) {
            c->GetBrush()->SetColor(TColor(0x4AC8F0));
            c->Polygon({TPoint(1, 4), TPoint(6, 4), TPoint(7, 5), TPoint(14, 5), TPoint(14, 13), TPoint(1, 13)});
        } else {
            const int people = kind == 1 ? 2 : 1;
            for (int i = 0; i < people; ++i) {
                const int x = kind == 1 ? 1 + i * 6 : 4;
                c->GetBrush()->SetColor(i == 0 ? TColor(0xC08040) : TColor(0x40A060));
                c->Ellipse(x + 2, 2, x + 8, 8);
                c->RoundRect(x, 8, x + 10, 15, 4, 4);
            }
        }
        images->AddMasked(&picture, clFuchsia);
    }
    return images;
}

struct TPerson {
    const char* name;
    const char* role;
    const char* place;
    const char* mail;
    const char* since;
    int hours;
    int budget;
    const char* note;
};

struct TTeam {
    const char* name;
    std::vector<TPerson> people;
};

struct TDepartment {
    const char* name;
    std::vector<TTeam> teams;
};

const std::vector<TDepartment> Departments = {
    {"Research",
     {{"Imaging",
       {{"Ada Lindqvist", "Lead", "Uppsala", "ada@example.org", "03/01/2015", 38, 5200,
         "Owns the resampling work and the quantizer review."},
        {"Bruno Keller", "Engineer", "Basel", "bruno@example.org", "11/15/2018", 40, 4100, nullptr},
        {"Chiara Rossi", "Engineer", "Torino", "chiara@example.org", "06/02/2021", 32, 3900,
         "Part time until June; pairs with Bruno on the codecs."}}},
      {"Formats", {{"Dmitri Volkov", "Engineer", "Riga", "dmitri@example.org", "01/10/2017", 40, 4300, nullptr}}}}},
    {"Product",
     {{"Catalogue",
       {{"Emma Novak", "Designer", "Brno", "emma@example.org", "09/23/2019", 36, 3700,
         "Thumbnail grid and the details pane."},
        {"Farid Haddad", "Engineer", "Lyon", "farid@example.org", "04/04/2020", 40, 4000, nullptr}}},
      {"Viewer", {{"Greta Holm", "Engineer", "Aarhus", "greta@example.org", "02/14/2022", 24, 2600, nullptr}}}}},
    {"Support", {{"Desk", {{"Hugo Marin", "Agent", "Porto", "hugo@example.org", "10/30/2016", 40, 2900, nullptr}}}}},
};

}  // namespace

int main(int argc, char** argv) {
    const std::string png = StartDemo(argc, argv, "Tree list demo");

    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("Tree list demo");
    form->SetBounds(40, 40, 900, 560);

    TDemoTreeList* list = nullptr;
    BuildComponents(form, [&] {
        list = new TDemoTreeList(form);
        list->SetName("People");
        list->SetParent(form);
        list->SetAlign(alClient);
        list->SetImages(MakeImages(form));

        TgxTreeListBands* bands = list->GetBands();
        bands->GetItem(0)->SetCaption("Person");
        bands->GetItem(0)->SetWidth(250);
        bands->GetItem(0)->SetFixed(bfLeft);
        TgxTreeListBand* details = bands->Add();
        details->SetCaption("Contact");
        details->SetWidth(330);
        TgxTreeListBand* figures = bands->Add();
        figures->SetCaption("Figures");
        figures->SetWidth(260);

        list->SetDefaultLayout(false);
        list->SetHeaderPanelRowCount(2);
        auto column = [&](const char* caption, Integer band, Integer row, Integer width, TAlignment alignment) {
            TgxTreeListColumn* c = list->CreateColumn(TgxTreeListColumn::StaticClass(), form);
            c->SetCaption(caption);
            c->SetBandIndex(band);
            c->SetRowIndex(row);
            c->SetWidth(width);
            c->SetAlignment(alignment);
            return c;
        };
        column("Name", 0, 0, 250, taLeftJustify)->SetHeaderMaxLineCount(2);
        column("Role", 1, 0, 120, taLeftJustify);
        column("Location", 1, 0, 210, taLeftJustify);
        column("E-mail", 1, 1, 330, taLeftJustify);
        column("Hours", 2, 0, 90, taRightJustify);
        column("Budget", 2, 0, 170, taRightJustify)->SetSorted(csDown);
        column("Share of budget", 2, 1, 260, taCenter);
        auto* since =
            static_cast<TgxTreeListMaskColumn*>(list->CreateColumn(TgxTreeListMaskColumn::StaticClass(), form));
        since->SetCaption("Since");
        since->SetBandIndex(1);
        since->SetRowIndex(1);
        since->SetWidth(120);
        since->SetEditMask("99/99/0000;1;_");
    });
    list->GetColumn(3)->SetWidth(210);

    list->SetShowBands(true);
    list->SetShowIndicator(true);
    list->SetShowFooter(true);
    list->SetShowGrid(true);
    TgxTreeListOptions options = list->GetOptions() + TgxTreeListOptions{aoMultiSelect, aoPreview};
    options.Exclude(aoRowSelect);
    list->SetOptions(options);
    list->SetPreviewLines(2);

    int totalHours = 0;
    int totalBudget = 0;
    for (const TDepartment& d : Departments)
        for (const TTeam& t : d.teams)
            for (const TPerson& p : t.people) {
                totalHours += p.hours;
                totalBudget += p.budget;
            }
    // The tree is built in a list of its own and reaches the shown one as a node stream.
    std::map<std::string, std::string> previews;
    auto* source = new TgxTreeList(form);
    source->CreateColumn(TgxTreeListColumn::StaticClass(), form);
    source->BeginUpdate();
    for (const TDepartment& d : Departments) {
        TgxTreeListNode* department = source->Add();
        department->SetString(0, d.name);
        department->SetImageIndex(0);
        department->SetSelectedIndex(0);
        int hours = 0;
        int budget = 0;
        for (const TTeam& t : d.teams) {
            TgxTreeListNode* team = department->AddChild();
            team->SetString(0, t.name);
            team->SetImageIndex(1);
            team->SetSelectedIndex(1);
            for (const TPerson& p : t.people) {
                TgxTreeListNode* person = team->AddChild();
                person->SetImageIndex(2);
                person->SetSelectedIndex(2);
                const std::string texts[] = {p.name,
                                             p.role,
                                             p.place,
                                             p.mail,
                                             std::to_string(p.hours),
                                             std::to_string(p.budget) + " EUR",
                                             std::to_string(p.budget * 100 / totalBudget) + " %",
                                             p.since};
                for (Integer i = 0; i < 8; ++i) person->SetString(i, texts[i]);
                if (p.note) previews[p.name] = p.note;
                hours += p.hours;
                budget += p.budget;
            }
        }
        department->SetString(4, std::to_string(hours));
        department->SetString(5, std::to_string(budget) + " EUR");
    }
    source->EndUpdate();
    TMemoryStream data;
    source->WriteData(&data);
    source->Free();
    data.SetPosition(0);
    list->ReadData(&data);

    list->OnGetPreviewText = [&](TObject*, TgxTreeListNode* Node, std::string& Text) {
        auto it = previews.find(list->GetNodeString(Node, 0));
        if (it != previews.end()) Text = it->second;
    };
    list->Footers[4] = std::to_string(totalHours) + " h";
    list->Footers[5] = std::to_string(totalBudget) + " EUR";
    list->FullExpand();
    TgxTreeListNode* focus = nullptr;
    std::vector<TgxTreeListNode*> chosen;
    for (Integer i = 0; i < list->GetAbsoluteCount(); ++i) {
        TgxTreeListNode* node = list->GetAbsoluteNode(i);
        const std::string name = list->GetNodeString(node, 0);
        if (name == "Chiara Rossi") focus = node;
        if (name == "Ada Lindqvist" || name == "Bruno Keller") chosen.push_back(node);
    }

    focus->SetFocused(true);
    list->BeginSelectionUpdate();
    for (TgxTreeListNode* node : chosen) node->SetSelected(true);
    focus->SetSelected(true);
    list->EndSelectionUpdate();

    uitest::ShowForm(form);
    list->SetFocus();
    // The masked editor over the focused person's "Since" cell, part of it typed again.
    list->SetFocusedColumn(list->AbsoluteToVisibleIndex(7));
    list->ShowEditor();
    if (auto* editor = dynamic_cast<TgxInplaceMaskEdit*>(list->GetInplaceEditor())) {
        editor->SetCaret(3);
        uitest::PressKey(editor, VK_DELETE);
        uitest::PressKey(editor, VK_RIGHT);
        uitest::PressKey(editor, VK_DELETE);
    }
    if (!png.empty()) {
        uitest::ProcessEvents();
        const bool ok = SaveDemoPng(form, png);
        form->Free();
        return ok ? 0 : 1;
    }
    Application->Run();
    return 0;
}
