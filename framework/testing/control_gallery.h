#pragma once
// A dialog with one of every standard control, laid out as a real dialog would be: the controls
// demo shows it and the tests drive it modally. Header only, so that both can use it.

#include <string>

#include "framework/comctrls.h"
#include "framework/edit_controls.h"
#include "framework/forms.h"
#include "framework/grids.h"
#include "framework/image_list.h"
#include "framework/list_controls.h"
#include "framework/std_controls.h"
#include "framework/tree_view.h"

class TControlGallery : public TForm {
    LUMORA_CLASS(TControlGallery, TForm)
public:
    explicit TControlGallery(TComponent* AOwner) : TForm(AOwner) {
        BuildComponents(this, [this] { Build(); });
    }

    TPanel* FolderPanel = nullptr;
    TTreeView* Tree = nullptr;
    TSplitter* Splitter = nullptr;
    TPanel* ClientPanel = nullptr;
    TLabel* NameLabel = nullptr;
    TEdit* NameEdit = nullptr;
    TMemo* Notes = nullptr;
    TComboBox* Kind = nullptr;
    TComboBox* Colour = nullptr;
    TCheckBox* Recursive = nullptr;
    TRadioGroup* SortGroup = nullptr;
    TGroupBox* Group = nullptr;
    TRadioButton* Small = nullptr;
    TRadioButton* Large = nullptr;
    TListBox* Files = nullptr;
    TCheckListBox* Formats = nullptr;
    TDrawGrid* Grid = nullptr;
    TPageControl* Pages = nullptr;
    TTabSheet* SizePage = nullptr;
    TTabSheet* QualityPage = nullptr;
    TSpinEdit* Width = nullptr;
    TEdit* HeightEdit = nullptr;
    TUpDown* HeightUpDown = nullptr;
    TTrackBar* Quality = nullptr;
    TProgressBar* Progress = nullptr;
    TScrollBox* Preview = nullptr;
    TImage* Picture = nullptr;
    TPanel* Tools = nullptr;
    TSpeedButton* Bold = nullptr;
    TSpeedButton* Italic = nullptr;
    TBevel* Bevel = nullptr;
    TShape* Shape = nullptr;
    TStaticText* Static = nullptr;
    TButton* Ok = nullptr;
    TButton* Cancel = nullptr;
    TBitBtn* Help = nullptr;
    TStatusBar* Status = nullptr;
    TImageList* Icons = nullptr;

private:
    template <class T>
    T* Make(TWinControl* Parent, TRect R) {
        auto* c = new T(this);
        c->SetParent(Parent);
        c->SetBoundsRect(R);
        return c;
    }

    void Build() {
        SetCaption("Control gallery");
        SetBorderStyle(bsDialog);
        SetPosition(poDesigned);
        SetBounds(60, 60, 760, 520);
        SetClientWidth(752);
        SetClientHeight(480);

        Icons = new TImageList(this);
        Icons->SetWidth(16);
        Icons->SetHeight(16);
        for (TColor c : {TColor(0x00C0FF), TColor(0x40A0FF)}) {
            TBitmap b;
            b.SetPixelFormat(pf24bit);
            b.SetSize(16, 16);
            b.GetCanvas()->GetBrush()->SetColor(clFuchsia);
            b.GetCanvas()->FillRect({0, 0, 16, 16});
            b.GetCanvas()->GetBrush()->SetColor(c);
            b.GetCanvas()->GetPen()->SetColor(TColor(0x0060A0));
            b.GetCanvas()->Rectangle(1, 4, 15, 14);
            b.GetCanvas()->Rectangle(1, 2, 7, 5);
            Icons->AddMasked(&b, clFuchsia);
        }

        Status = Make<TStatusBar>(this, {0, 0, 100, 19});
        Status->SetAlign(alBottom);
        TStatusPanel* p = Status->GetPanels()->Add();
        p->SetWidth(200);
        p->SetText("12 files, 3 selected");
        Status->GetPanels()->Add()->SetText("/home/user/Pictures");

        FolderPanel = Make<TPanel>(this, {0, 0, 170, 100});
        FolderPanel->SetAlign(alLeft);
        FolderPanel->SetBevelOuter(bvNone);
        FolderPanel->SetBorderWidth(4);
        Tree = Make<TTreeView>(FolderPanel, {0, 0, 100, 100});
        Tree->SetAlign(alClient);
        Tree->SetImages(Icons);
        Tree->SetHideSelection(false);
        TTreeNodes* n = Tree->GetItems();
        TTreeNode* home = n->Add(nullptr, "Home");
        TTreeNode* pictures = n->AddChild(home, "Pictures");
        for (const char* s : {"Holidays", "Family", "Scans"}) {
            TTreeNode* c = n->AddChild(pictures, s);
            c->SetSelectedIndex(1);
        }
        n->AddChild(home, "Documents");
        n->AddChild(home, "Music");
        n->Add(home, "Media");
        home->SetSelectedIndex(1);
        pictures->SetSelectedIndex(1);
        home->Expand(false);
        pictures->Expand(false);
        Tree->SetSelected(pictures->GetItem(0));

        Splitter = Make<TSplitter>(this, {170, 0, 173, 100});
        Splitter->SetAlign(alLeft);
        Splitter->SetMinSize(80);

        ClientPanel = Make<TPanel>(this, {0, 0, 100, 100});
        ClientPanel->SetAlign(alClient);
        ClientPanel->SetBevelOuter(bvNone);
        TWinControl* c = ClientPanel;

        NameLabel = Make<TLabel>(c, {8, 11, 60, 24});
        NameLabel->SetCaption("&Name:");
        NameEdit = Make<TEdit>(c, {60, 8, 220, 29});
        NameEdit->SetText("Holiday 2004");
        NameLabel->SetFocusControl(NameEdit);
        auto* notesLabel = Make<TLabel>(c, {8, 38, 60, 51});
        notesLabel->SetCaption("N&otes:");
        Notes = Make<TMemo>(c, {60, 36, 220, 96});
        Notes->SetScrollBars(ssVertical);
        Notes->GetLines()->Add("Taken on the coast.");
        Notes->GetLines()->Add("Second film.");
        notesLabel->SetFocusControl(Notes);

        Kind = Make<TComboBox>(c, {60, 104, 220, 125});
        for (const char* s : {"JPEG image", "PNG image", "Bitmap", "GIF image"}) Kind->GetItems()->Add(s);
        Kind->SetItemIndex(0);
        Colour = Make<TComboBox>(c, {60, 132, 220, 153});
        Colour->SetStyle(csOwnerDrawFixed);
        Colour->SetItemHeight(15);
        for (TColor col : {clRed, clGreen, clBlue, clOlive})
            Colour->GetItems()->AddObject(ColorToString(col), reinterpret_cast<TObject*>(uintptr_t(col)));
        Colour->OnDrawItem = [this](TWinControl*, Integer Index, TRect R, TOwnerDrawState) {
            TCanvas* cv = Colour->GetCanvas();
            cv->FillRect(R);
            if (Index < 0) return;
            TColor swatch = TColor(reinterpret_cast<uintptr_t>(Colour->GetItems()->GetObject(Index)));
            TColor text = cv->GetBrush()->GetColor();
            cv->GetBrush()->SetColor(swatch);
            cv->GetPen()->SetColor(clBlack);
            cv->Rectangle(R.Left + 2, R.Top + 2, R.Left + 22, R.Bottom - 2);
            cv->GetBrush()->SetColor(text);
            cv->GetBrush()->SetStyle(bsClear);
            cv->TextOut(R.Left + 26, R.Top + 1, Colour->GetItems()->Get(Index));
        };
        Colour->SetItemIndex(2);
        auto* kindLabel = Make<TLabel>(c, {8, 107, 60, 120});
        kindLabel->SetCaption("&Type:");
        kindLabel->SetFocusControl(Kind);
        auto* colourLabel = Make<TLabel>(c, {8, 135, 60, 148});
        colourLabel->SetCaption("Co&lour:");

        Recursive = Make<TCheckBox>(c, {60, 160, 220, 177});
        Recursive->SetCaption("&Include subfolders");
        Recursive->SetChecked(true);

        SortGroup = Make<TRadioGroup>(c, {8, 184, 220, 264});
        SortGroup->SetCaption("Sort by");
        SortGroup->SetColumns(2);
        for (const char* s : {"Name", "Date", "Size", "Type"}) SortGroup->GetItems()->Add(s);
        SortGroup->SetItemIndex(1);

        Group = Make<TGroupBox>(c, {8, 270, 220, 330});
        Group->SetCaption("Thumbnails");
        Small = Make<TRadioButton>(Group, {10, 18, 100, 35});
        Small->SetCaption("Small");
        Large = Make<TRadioButton>(Group, {10, 37, 100, 54});
        Large->SetCaption("Large");
        Large->SetChecked(true);
        Static = Make<TStaticText>(Group, {110, 20, 200, 36});
        Static->SetCaption("90 x 75");
        Static->SetBorderStyle(sbsSunken);

        Files = Make<TListBox>(c, {230, 8, 380, 120});
        for (const char* s :
             {"beach.jpg", "boat.jpg", "cliff.png", "dunes.jpg", "harbour.gif", "lighthouse.jpg", "sunset.jpg"})
            Files->GetItems()->Add(s);
        Files->SetMultiSelect(true);
        Files->SetSelected(1, true);
        Files->SetSelected(2, true);
        Files->SetItemIndex(2);
        Formats = Make<TCheckListBox>(c, {230, 128, 380, 208});
        for (const char* s : {"JPEG", "PNG", "GIF", "TIFF"}) Formats->GetItems()->Add(s);
        Formats->SetChecked(0, true);
        Formats->SetChecked(2, true);

        Grid = Make<TDrawGrid>(c, {230, 216, 380, 330});
        Grid->SetDefaultColWidth(45);
        Grid->SetDefaultRowHeight(18);
        Grid->SetColCount(4);
        Grid->SetRowCount(8);
        Grid->OnDrawCell = [this](TObject*, Integer Col, Integer Row, TRect R, TGridDrawState State) {
            TCanvas* cv = Grid->GetCanvas();
            std::string text = Row == 0 ? (Col == 0 ? "" : std::string(1, char('A' + Col - 1)))
                                        : (Col == 0 ? std::to_string(Row) : std::to_string(Row * Col));
            cv->GetBrush()->SetStyle(bsClear);
            cv->TextOut(R.Left + 3, R.Top + 2, text);
        };

        Pages = Make<TPageControl>(c, {390, 8, 572, 168});
        SizePage = new TTabSheet(this);
        SizePage->SetPageControl(Pages);
        SizePage->SetCaption("&Size");
        QualityPage = new TTabSheet(this);
        QualityPage->SetPageControl(Pages);
        QualityPage->SetCaption("&Quality");
        Pages->SetActivePage(SizePage);
        auto* wl = Make<TLabel>(SizePage, {8, 11, 50, 24});
        wl->SetCaption("Width:");
        Width = Make<TSpinEdit>(SizePage, {60, 8, 150, 29});
        Width->SetMinValue(1);
        Width->SetMaxValue(9999);
        Width->SetValue(640);
        auto* hl = Make<TLabel>(SizePage, {8, 41, 50, 54});
        hl->SetCaption("Height:");
        HeightEdit = Make<TEdit>(SizePage, {60, 38, 150, 59});
        HeightUpDown = Make<TUpDown>(SizePage, {0, 0, 16, 21});
        HeightUpDown->SetMax(9999);
        HeightUpDown->SetPosition(480);
        HeightUpDown->SetAssociate(HeightEdit);
        Progress = Make<TProgressBar>(SizePage, {8, 70, 168, 86});
        Progress->SetPosition(65);
        Quality = Make<TTrackBar>(QualityPage, {4, 8, 170, 53});
        Quality->SetMax(100);
        Quality->SetFrequency(10);
        Quality->SetPageSize(10);
        Quality->SetPosition(75);

        Preview = Make<TScrollBox>(c, {390, 176, 572, 330});
        Picture = Make<TImage>(Preview, {0, 0, 240, 200});
        TBitmap art;
        art.SetPixelFormat(pf24bit);
        art.SetSize(240, 200);
        TCanvas* ac = art.GetCanvas();
        for (Integer y = 0; y < 200; y += 4) {
            ac->GetBrush()->SetColor(TColor(RGB(BYTE(90 + y / 4), BYTE(150 + y / 4), BYTE(230))));
            ac->FillRect({0, y, 240, y + 4});
        }
        ac->GetBrush()->SetColor(TColor(0x30A0E0));
        ac->GetPen()->SetColor(TColor(0x2080C0));
        ac->Ellipse(150, 20, 200, 70);
        ac->GetBrush()->SetColor(TColor(0x3C8C50));
        ac->GetPen()->SetColor(TColor(0x2C6C40));
        ac->Polygon({{0, 200}, {0, 140}, {70, 90}, {140, 150}, {190, 120}, {240, 160}, {240, 200}});
        Picture->GetPicture()->SetGraphic(&art);

        Tools = Make<TPanel>(c, {8, 338, 572, 372});
        Tools->SetBevelOuter(bvLowered);
        Bold = Make<TSpeedButton>(Tools, {6, 5, 30, 29});
        Bold->SetCaption("B");
        Bold->GetFont()->SetStyle({fsBold});
        Bold->SetGroupIndex(1);
        Bold->SetAllowAllUp(true);
        Bold->SetDown(true);
        Italic = Make<TSpeedButton>(Tools, {32, 5, 56, 29});
        Italic->SetCaption("I");
        Italic->GetFont()->SetStyle({fsItalic});
        Italic->SetFlat(true);
        Bevel = Make<TBevel>(Tools, {64, 4, 66, 30});
        Bevel->SetShape(bsLeftLine);
        Shape = Make<TShape>(Tools, {74, 6, 96, 28});
        Shape->SetShape(stCircle);
        Shape->GetBrush()->SetColor(clYellow);
        auto* caption = Make<TLabel>(Tools, {104, 10, 300, 24});
        caption->SetCaption("Speed buttons, bevel, shape and label in a panel");

        Ok = Make<TButton>(c, {340, 384, 415, 409});
        Ok->SetCaption("OK");
        Ok->SetDefault(true);
        Ok->SetModalResult(mrOk);
        Cancel = Make<TButton>(c, {420, 384, 495, 409});
        Cancel->SetCaption("Cancel");
        Cancel->SetCancel(true);
        Cancel->SetModalResult(mrCancel);
        Help = Make<TBitBtn>(c, {500, 384, 575, 409});
        Help->SetKind(bkHelp);

        SetActiveControl(NameEdit);
    }
};
