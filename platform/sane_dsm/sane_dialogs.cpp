#include "platform/sane_dsm/sane_dialogs.h"

#include <memory>

#include "framework/list_controls.h"
#include "framework/std_controls.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"

namespace {

TButton* AddButton(TForm* Form, const std::string& Name, const std::string& Caption, Integer Left, Integer Top,
                   TModalResult Result) {
    auto* b = new TButton(Form);
    b->SetName(Name);
    b->SetParent(Form);
    b->SetCaption(Caption);
    b->SetBounds(Left, Top, 80, 26);
    b->SetModalResult(Result);
    return b;
}

TComboBox* AddChoice(TForm* Form, const std::string& Name, const std::string& Caption, Integer Top) {
    auto* l = new TLabel(Form);
    l->SetName("lbl" + Name.substr(3));
    l->SetParent(Form);
    l->SetCaption(Caption);
    l->SetBounds(10, Top + 4, 80, 16);
    auto* c = new TComboBox(Form);
    c->SetName(Name);
    c->SetParent(Form);
    c->SetStyle(csDropDownList);
    c->SetBounds(96, Top, 190, 24);
    return c;
}

void Fill(TComboBox* Box, const std::vector<std::string>& Items, const std::string& Current) {
    Box->GetItems()->Clear();
    for (const std::string& s : Items) Box->GetItems()->Add(s);
    Box->SetItemIndex(Box->GetItems()->IndexOf(Current));
    Box->SetEnabled(Items.size() > 1);
}

std::string Selected(const TComboBox* Box, const std::string& Otherwise) {
    Integer i = Box->GetItemIndex();
    return i >= 0 ? Box->GetItems()->Get(i) : Otherwise;
}

}  // namespace

TfrmSaneSelect::TfrmSaneSelect(TComponent* AOwner) : TForm(AOwner) {
    BuildComponents(this, [this] {
        SetName("frmSaneSelect");
        SetCaption("Select Source");
        SetBorderStyle(bsDialog);
        SetPosition(poScreenCenter);
        SetClientWidth(320);
        SetClientHeight(200);
        lstSources = new TListBox(this);
        lstSources->SetName("lstSources");
        lstSources->SetParent(this);
        lstSources->SetBounds(10, 10, 300, 140);
        btnSelect = AddButton(this, "btnSelect", "Select", 140, 162, mrOk);
        btnSelect->SetDefault(true);
        btnCancel = AddButton(this, "btnCancel", "Cancel", 230, 162, mrCancel);
        btnCancel->SetCancel(true);
    });
}

TfrmSaneScan::TfrmSaneScan(TComponent* AOwner) : TForm(AOwner) {
    BuildComponents(this, [this] {
        SetName("frmSaneScan");
        SetCaption("Scan");
        SetBorderStyle(bsDialog);
        SetPosition(poScreenCenter);
        SetClientWidth(296);
        SetClientHeight(140);
        cbxMode = AddChoice(this, "cbxMode", "Mode:", 10);
        cbxResolution = AddChoice(this, "cbxResolution", "Resolution:", 40);
        cbxSource = AddChoice(this, "cbxSource", "Source:", 70);
        btnScan = AddButton(this, "btnScan", "Scan", 116, 106, mrOk);
        btnScan->SetDefault(true);
        btnCancel = AddButton(this, "btnCancel", "Cancel", 206, 106, mrCancel);
        btnCancel->SetCancel(true);
    });
}

void TfrmSaneScan::Offer(const TSaneScanChoice& Choice) {
    Fill(cbxMode, Choice.Modes, Choice.Mode);
    std::vector<std::string> dpi;
    for (Integer r : Choice.Resolutions) dpi.push_back(IntToStr(r) + " dpi");
    Fill(cbxResolution, dpi, IntToStr(Choice.Resolution) + " dpi");
    Fill(cbxSource, Choice.Sources, Choice.Source);
}

void TfrmSaneScan::Read(TSaneScanChoice& Choice) const {
    Choice.Mode = Selected(cbxMode, Choice.Mode);
    Choice.Source = Selected(cbxSource, Choice.Source);
    Integer i = cbxResolution->GetItemIndex();
    if (i >= 0 && size_t(i) < Choice.Resolutions.size()) Choice.Resolution = Choice.Resolutions[size_t(i)];
}

bool RunSaneScanDialog(const std::string& DeviceTitle, TSaneScanChoice& Choice) {
    std::unique_ptr<TfrmSaneScan, void (*)(TfrmSaneScan*)> form(new TfrmSaneScan(nullptr),
                                                                [](TfrmSaneScan* f) { f->Free(); });
    form->SetCaption("Scan - " + DeviceTitle);
    form->Offer(Choice);
    if (form->ShowModal() != mrOk) return false;
    form->Read(Choice);
    return true;
}

Integer RunSaneSelectDialog(const std::vector<std::string>& Titles, Integer Current) {
    std::unique_ptr<TfrmSaneSelect, void (*)(TfrmSaneSelect*)> form(new TfrmSaneSelect(nullptr),
                                                                    [](TfrmSaneSelect* f) { f->Free(); });
    for (const std::string& t : Titles) form->lstSources->GetItems()->Add(t);
    form->lstSources->SetItemIndex(Current);
    if (form->ShowModal() != mrOk) return -1;
    return form->lstSources->GetItemIndex();
}
