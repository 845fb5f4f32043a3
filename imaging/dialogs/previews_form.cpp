#include "imaging/dialogs/previews_form.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "framework/comctrls.h"
#include "framework/dialogs.h"
#include "framework/edit_controls.h"
#include "framework/list_controls.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"
#include "imaging/controls/imago.h"
#include "imaging/dialogs/dialog_building.h"
#include "imaging/fourier.h"
#include "imaging/histogram_box.h"
#include "imaging/hsv_box.h"
#include "imaging/img_words.h"
#include "imaging/ruler_box.h"

namespace {

// Page tags in tab order (the two pages without a tag get 11 and 12 here, for their flags).
constexpr Integer kTagContrast = 1, kTagHSL = 2, kTagRGB = 3, kTagUserFilter = 4, kTagHSV = 5, kTagEqualization = 6,
                  kTagBumpMap = 7, kTagLens = 8, kTagWave = 9, kTagMorph = 10, kTagRotate = 11, kTagFFT = 12;

const TImgUserFilter kPresets[] = {
    {{0, 0, 0, 0, 1, 0, 0, 0, 0}, 0},     {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 9},
    {{1, 1, 1, 1, -8, 1, 1, 1, 1}, 1},    {{-1, 0, 1, -1, 1, 1, -1, 0, 1}, 1},
    {{0, -1, 0, -1, 5, -1, 0, -1, 0}, 1}, {{-1, -1, -1, -1, 9, -1, -1, -1, -1}, 1},
    {{1, -2, 1, -2, 5, -2, 1, -2, 1}, 1}, {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 10},
    {{1, 2, 1, 2, 4, 2, 1, 2, 1}, 16},
};
const char* const kPresetNames[] = {"None",        "Blur",        "Edges",      "Emboss",    "High Pass 1",
                                    "High Pass 2", "High Pass 3", "Low Pass 1", "Low Pass 2"};

Integer Packed(const Integer* c) {
    return c[0] * 65536 + c[1] * 256 + c[2];
}

Integer EditInt(TEdit* Edit, Integer Default = 0) {
    return StrToIntDef(Edit->GetText(), Default);
}

void SetEditInt(TEdit* Edit, Integer Value) {
    Edit->SetText(IntToStr(Value));
}

}  // namespace

const TImgUserFilter& TfPreviews::Preset(Integer Index) {
    return kPresets[Index];
}

TfPreviews::TfPreviews(TComponent* AOwner) : TForm(AOwner) {
    ::BuildComponents(this, [this] { BuildComponents(); });
    // Prepared when first activated, or when first shown should the program not be active then.
    OnActivate = [this](TObject*) { FormActivate(); };
    OnShow = OnActivate;
}

TfPreviews::~TfPreviews() = default;

// ---- Building --------------------------------------------------------------------------------

void TfPreviews::BuildComponents() {
    SetName("fPreviews");
    SetCaption("Previews");
    SetBorderStyle(bsDialog);
    SetBorderIcons({biSystemMenu});
    SetPosition(poScreenCenter);
    SetClientWidth(521);
    SetClientHeight(390);

    TDialogBuilder b(this);
    Label1 = b.Label(this, "Label1", "Source:", 8, 4);
    Imago1 = b.Add(new TImago(this), this, "Imago1", 8, 20, 191, 135);
    Imago1->SetCenter(true);
    Imago1->SetAutoUndo(false);
    Imago1->SetMouseInteract({miZoom, miScroll});
    Imago1->OnViewChange = [this](TObject*, Integer) { Imago1ViewChange(); };
    Button6 = b.Button(this, "Button6", "<<", 206, 74, 25, 25);
    Button6->SetHint("Copy Result to Source");
    Button6->SetShowHint(true);
    Button6->OnClick = [this](TObject*) { Button6Click(); };
    Label2 = b.Label(this, "Label2", "Result:", 238, 4);
    Imago2 = b.Add(new TImago(this), this, "Imago2", 238, 20, 191, 135);
    Imago2->SetCenter(true);
    Imago2->SetAutoUndo(false);
    Imago2->SetMouseInteract({});
    Imago2->OnMouseDown = [this](TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
        Imago2MouseUp(Button, X, Y);
    };
    Imago2->OnMouseUp = Imago2->OnMouseDown;

    b.PreviewButtons(this, 438, Button1, Button2, Button3, SpeedButton1);
    Button1->OnClick = [this](TObject*) { Button1Click(); };
    Button3->OnClick = [this](TObject*) { Button3Click(); };
    SpeedButton1->OnClick = [this](TObject*) { SpeedButton1Click(); };

    PageControl1 = b.Add(new TPageControl(this), this, "PageControl1", 8, 162, 505, 222);
    PageControl1->SetTabPosition(tpBottom);
    PageControl1->OnChange = [this](TObject*) { PageControl1Change(); };
    auto page = [&](const char* name, Integer tag, const char* caption) {
        auto* sheet = new TTabSheet(this);
        sheet->SetName(name);
        sheet->SetPageControl(PageControl1);
        sheet->SetTag(tag);
        sheet->SetCaption(caption);
        return sheet;
    };
    TabSheet1 = page("TabSheet1", kTagContrast, "Contrast");
    TabSheet5 = page("TabSheet5", kTagHSV, "HSV");
    TabSheet2 = page("TabSheet2", kTagHSL, "HSL");
    TabSheet3 = page("TabSheet3", kTagRGB, "RGB");
    TabSheet4 = page("TabSheet4", kTagUserFilter, "User filter");
    TabSheet6 = page("TabSheet6", kTagEqualization, "Equalization");
    TabSheet7 = page("TabSheet7", kTagBumpMap, "Bump map");
    TabSheet8 = page("TabSheet8", kTagLens, "Lens");
    TabSheet9 = page("TabSheet9", kTagWave, "Wave");
    TabSheet10 = page("TabSheet10", kTagMorph, "Morph filters");
    TabSheet11 = page("TabSheet11", 0, "Rotate");
    TabSheet12 = page("TabSheet12", 0, "FFT");

    ImagoProc1 = new TImagoProc(this);
    ImagoProc1->SetName("ImagoProc1");
    ImagoProc1->SetAttachedImago(Imago1);
    ImagoProc1->SetAutoUndo(false);

    BuildColourPages();
    BuildFilterPage();
    BuildEqualizationPage();
    BuildGeometryPages();
    BuildFFTPage();

    // Every track bar of the form gets a thumb length of 10.
    for (Integer i = 0; i < GetComponentCount(); ++i)
        if (auto* bar = dynamic_cast<TTrackBar*>(GetComponent(i))) bar->SetThumbLength(10);
}

void TfPreviews::BuildColourPages() {
    TDialogBuilder b(this);
    // A track bar with its edit and label in a row; the edit's change runs Edit.
    auto row = [&](TTabSheet* sheet, Integer y, const char* bar, const char* edit, const char* caption, Integer lo,
                   Integer hi, TTrackBar*& Bar, TEdit*& Edit, void (TfPreviews::*BarChange)(),
                   void (TfPreviews::*EditChange)()) {
        TLabel* label = b.Label(sheet, "", caption, 8, y + 4);
        Bar = b.Add(new TTrackBar(this), sheet, bar, 120, y, 300, 30);
        Bar->SetMin(lo);
        Bar->SetMax(hi);
        Bar->SetFrequency(10);
        Edit = b.Edit(sheet, edit, "0", 428, y + 2, 50);
        label->SetFocusControl(Edit);
        Bar->OnChange = [this, BarChange](TObject*) { (this->*BarChange)(); };
        Edit->OnChange = [this, EditChange](TObject*) { (this->*EditChange)(); };
        return label;
    };
    using P = TfPreviews;
    LabelContrast = row(TabSheet1, 20, "TrackBar1", "Edit1", "&Contrast:", -100, 100, TrackBar1, Edit1,
                        &P::TrackBar1Change, &P::Edit1Change);
    LabelBrightness = row(TabSheet1, 70, "TrackBar12", "Edit21", "&Brightness:", -100, 100, TrackBar12, Edit21,
                          &P::TrackBar1Change, &P::Edit1Change);

    LabelHsv[0] = row(TabSheet5, 4, "TrackBar9", "Edit19", "&Hue (H):", -180, 180, TrackBar9, Edit19,
                      &P::TrackBar9Change, &P::Edit19Change);
    LabelHsv[1] = row(TabSheet5, 38, "TrackBar10", "Edit18", "&Saturation (S):", -100, 100, TrackBar10, Edit18,
                      &P::TrackBar9Change, &P::Edit19Change);
    LabelHsv[2] = row(TabSheet5, 72, "TrackBar11", "Edit17", "&Value (V):", -100, 100, TrackBar11, Edit17,
                      &P::TrackBar9Change, &P::Edit19Change);
    for (TTrackBar* bar : {TrackBar9, TrackBar10, TrackBar11}) bar->SetWidth(200);
    for (TEdit* edit : {Edit19, Edit18, Edit17}) edit->SetLeft(328);
    LabelHsv[3] = b.Label(TabSheet5, "", "Base color:", 390, 110);
    HSVBox3 = b.Add(new THSVBox(this), TabSheet5, "HSVBox3", 390, 4, 50, 100);
    LabelHsv[4] = b.Label(TabSheet5, "", "New color:", 444, 110);
    HSVBox1 = b.Add(new THSVBox(this), TabSheet5, "HSVBox1", 444, 4, 50, 100);
    HSVBox3->OnChange = [this](TObject*) { HSVBox3Change(); };
    HSVBox1->OnChange = HSVBox3->OnChange;

    LabelHsl[0] = row(TabSheet2, 4, "TrackBar2", "Edit4", "&Hue (H):", -180, 180, TrackBar2, Edit4, &P::TrackBar2Change,
                      &P::Edit4Change);
    LabelHsl[1] = row(TabSheet2, 50, "TrackBar3", "Edit2", "&Saturation (S):", -100, 100, TrackBar3, Edit2,
                      &P::TrackBar2Change, &P::Edit4Change);
    LabelHsl[2] = row(TabSheet2, 96, "TrackBar5", "Edit3", "&Luminosity (L):", -100, 100, TrackBar5, Edit3,
                      &P::TrackBar2Change, &P::Edit4Change);

    LabelRgb[0] = row(TabSheet3, 4, "TrackBar6", "Edit7", "&Red (R):", -255, 255, TrackBar6, Edit7, &P::TrackBar6Change,
                      &P::Edit7Change);
    LabelRgb[1] = row(TabSheet3, 50, "TrackBar7", "Edit6", "&Green (G):", -255, 255, TrackBar7, Edit6,
                      &P::TrackBar6Change, &P::Edit7Change);
    LabelRgb[2] = row(TabSheet3, 96, "TrackBar8", "Edit5", "&Blue (B):", -255, 255, TrackBar8, Edit5,
                      &P::TrackBar6Change, &P::Edit7Change);
}

void TfPreviews::BuildFilterPage() {
    TDialogBuilder b(this);
    GroupBoxFilter = b.Group(TabSheet4, "GroupBoxFilter", " Filter ", 8, 4, 250, 160);
    for (Integer i = 0; i < 10; ++i) {
        const bool divisor = i == 9;
        const Integer x = divisor ? 130 : 10 + (i % 3) * 78, y = divisor ? 124 : 20 + (i / 3) * 32;
        TEdit* edit = b.Edit(GroupBoxFilter, divisor ? "Edit20" : "Edit" + IntToStr(8 + i), "0", x, y, 44);
        edit->SetTag(i);
        auto* updown = b.Add(new TUpDown(this), GroupBoxFilter, "", x + 44, y, 16, 22);
        updown->SetMin(-100);
        updown->SetMax(100);
        updown->SetAssociate(edit);
        FilterEdits[i] = edit;
        FilterUpDowns[i] = updown;
        edit->OnChange = [this](TObject* Sender) { Edit8Change(Sender); };
    }
    Edit20 = FilterEdits[9];
    LabelDivisor = b.Label(GroupBoxFilter, "", "Divisor:", 70, 128);
    LabelDivisor->SetFocusControl(Edit20);
    GroupBoxPresets = b.Group(TabSheet4, "GroupBoxPresets", " Presets ", 266, 4, 140, 160);
    ListBox1 = b.Add(new TListBox(this), GroupBoxPresets, "ListBox1", 8, 18, 124, 134);
    for (const char* name : kPresetNames) ListBox1->GetItems()->Add(name);
    ListBox1->OnClick = [this](TObject*) { ListBox1Click(); };
    Button4 = b.Button(TabSheet4, "Button4", "&Load", 414, 20, 75, 25);
    Button4->OnClick = [this](TObject*) { Button4Click(); };
    Button5 = b.Button(TabSheet4, "Button5", "&Save", 414, 52, 75, 25);
    Button5->OnClick = [this](TObject*) { Button5Click(); };
}

void TfPreviews::BuildEqualizationPage() {
    TDialogBuilder b(this);
    LabelEqualization = b.Label(TabSheet6, "", "Equalization", 8, 4);
    GroupBoxHistogram = b.Group(TabSheet6, "GroupBoxHistogram", " Histogram ", 8, 18, 305, 168);
    RulerBox2 = b.Add(new TRulerBox(this), GroupBoxHistogram, "RulerBox2", 8, 16, 289, 13);
    HistogramBox1 = b.Add(new THistogramBox(this), GroupBoxHistogram, "HistogramBox1", 8, 30, 289, 90);
    RulerBox1 = b.Add(new TRulerBox(this), GroupBoxHistogram, "RulerBox1", 8, 122, 289, 32);
    HistogramBox1->SetAttachedImagoProc(ImagoProc1);
    for (TRulerBox* ruler : {RulerBox1, RulerBox2}) {
        ruler->SetBackground(clSilver);
        ruler->SetGripsCount(2);
        ruler->SetDotPerUnit(1.1333);
        ruler->SetFrequency(16);
        ruler->SetLabelFreq(32);
        ruler->SetViewMax(255);
    }
    RulerBox2->SetGripsDir(gdDown);
    RulerBox2->SetRuler(false);
    RulerBox2->SetRulerColor(clGray);
    RulerBox2->SetFitInView(true);
    RulerBox1->SetGripsDir(gdUp);
    RulerBox1->SetRulerColor(clSilver);
    RulerBox1->OnRulerPosChange = [this](TObject*, Integer Grip) { RulerBox1RulerPosChange(Grip); };
    RulerBox2->OnRulerPosChange = [this](TObject*, Integer Grip) { RulerBox2RulerPosChange(Grip); };
    Label20 = b.Label(TabSheet6, "Label20", "0", 320, 34);
    Label21 = b.Label(TabSheet6, "Label21", "255", 360, 34);
    LabelThreshold = b.Label(TabSheet6, "", "Threshold", 320, 140);
    Label16 = b.Label(TabSheet6, "Label16", "0", 320, 156);
    Label17 = b.Label(TabSheet6, "Label17", "255", 360, 156);
    CheckListBox1 = b.Add(new TCheckListBox(this), TabSheet6, "CheckListBox1", 400, 20, 90, 70);
    for (const char* channel : {"Red", "Green", "Blue", "Gray"}) CheckListBox1->GetItems()->Add(channel);
    CheckListBox1->SetChecked(3, true);
    CheckListBox1->OnClickCheck = [this](TObject*) { CheckListBox1Click(); };
    SpeedButton3 = b.Add(new TSpeedButton(this), TabSheet6, "SpeedButton3", 400, 96, 90, 25);
    SpeedButton3->SetCaption("Equalize");
    SpeedButton3->SetGroupIndex(2);
    SpeedButton3->SetAllowAllUp(true);
    SpeedButton3->OnClick = [this](TObject*) { SpeedButton3Click(); };
}

void TfPreviews::BuildGeometryPages() {
    TDialogBuilder b(this);
    // A number edit with its up-down and label.
    auto number = [&](TWinControl* parent, const char* name, const char* caption, Integer x, Integer y, Integer lo,
                      Integer hi, Integer step, TLabel*& Label) {
        Label = b.Label(parent, "", caption, x, y + 4);
        TEdit* edit = b.Edit(parent, name, "0", x + 120, y, 60);
        Label->SetFocusControl(edit);
        auto* updown = b.Add(new TUpDown(this), parent, "", x + 180, y, 16, 22);
        updown->SetMin(lo);
        updown->SetMax(hi);
        updown->SetIncrement(step);
        updown->SetThousands(false);
        updown->SetAssociate(edit);
        return edit;
    };
    GroupBoxBump = b.Group(TabSheet7, "GroupBoxBump", " Light ", 8, 4, 230, 170);
    Edit22 = number(GroupBoxBump, "Edit22", "Left:", 8, 18, 0, 32767, 10, LabelBump[0]);
    Edit23 = number(GroupBoxBump, "Edit23", "Top:", 8, 46, 0, 32767, 10, LabelBump[1]);
    Edit24 = number(GroupBoxBump, "Edit24", "Width:", 8, 74, 0, 32767, 10, LabelBump[2]);
    Edit25 = number(GroupBoxBump, "Edit25", "Height:", 8, 102, 0, 32767, 10, LabelBump[3]);
    LabelBump[4] = b.Label(TabSheet7, "", "Color:", 250, 8);
    HSVBox2 = b.Add(new THSVBox(this), TabSheet7, "HSVBox2", 250, 24, 60, 110);
    HSVBox2->OnChange = [this](TObject*) { HSVBox2Change(); };
    Edit26 = number(TabSheet7, "Edit26", "Source image quantity (%):", 250, 146, 0, 100, 10, LabelBump[5]);
    for (TEdit* edit : {Edit22, Edit23, Edit24, Edit25, Edit26}) edit->OnChange = [this](TObject*) { Edit22Change(); };

    GroupBoxLens = b.Group(TabSheet8, "GroupBoxLens", " Lens ", 8, 4, 230, 170);
    Edit27 = number(GroupBoxLens, "Edit27", "Left:", 8, 18, 0, 32767, 10, LabelLens[0]);
    Edit28 = number(GroupBoxLens, "Edit28", "Top:", 8, 46, 0, 32767, 10, LabelLens[1]);
    Edit29 = number(GroupBoxLens, "Edit29", "Width:", 8, 74, 0, 32767, 10, LabelLens[2]);
    Edit30 = number(GroupBoxLens, "Edit30", "Height:", 8, 102, 0, 32767, 10, LabelLens[3]);
    Edit31 = number(GroupBoxLens, "Edit31", "Refraction:", 8, 130, 0, 32767, 1, LabelLens[4]);
    for (TEdit* edit : {Edit27, Edit28, Edit29, Edit30, Edit31}) edit->OnChange = [this](TObject*) { Edit27Change(); };

    GroupBoxWave = b.Group(TabSheet9, "GroupBoxWave", " Wave ", 8, 4, 230, 150);
    Edit32 = number(GroupBoxWave, "Edit32", "Amplitude:", 8, 18, 0, 32767, 1, LabelWave[0]);
    Edit33 = number(GroupBoxWave, "Edit33", "Wave length:", 8, 46, 0, 32767, 1, LabelWave[1]);
    Edit34 = number(GroupBoxWave, "Edit34", "Phase", 8, 74, 0, 359, 1, LabelWave[2]);
    CheckBox2 = b.Add(new TCheckBox(this), GroupBoxWave, "CheckBox2", 8, 108, 200, 20);
    CheckBox2->SetCaption("Reflective");
    for (TEdit* edit : {Edit32, Edit33, Edit34}) edit->OnChange = [this](TObject*) { Edit32Change(); };
    CheckBox2->OnClick = [this](TObject*) { Edit32Change(); };

    GroupBoxMorph = b.Group(TabSheet10, "GroupBoxMorph", " Morph filters ", 8, 4, 300, 150);
    LabelMorph[0] = b.Label(GroupBoxMorph, "", "Filter:", 8, 20);
    ListBox2 = b.Add(new TListBox(this), GroupBoxMorph, "ListBox2", 8, 36, 120, 100);
    Edit35 = number(GroupBoxMorph, "Edit35", "Window size:", 140, 36, 1, 64, 1, LabelMorph[1]);
    Edit35->SetLeft(140);
    LabelMorph[1]->SetTop(20);
    ListBox2->OnClick = [this](TObject*) { Edit35Change(); };
    Edit35->OnChange = ListBox2->OnClick;

    LabelRotate = b.Label(TabSheet11, "", "&Rotate:", 8, 24);
    TrackBarRotate = b.Add(new TTrackBar(this), TabSheet11, "TrackBarRotate", 80, 20, 320, 30);
    TrackBarRotate->SetMin(-180);
    TrackBarRotate->SetMax(180);
    TrackBarRotate->SetFrequency(10);
    EditRotate = b.Edit(TabSheet11, "EditRotate", "0", 408, 22, 50);
    LabelRotate->SetFocusControl(EditRotate);
    TrackBarRotate->OnChange = [this](TObject*) { TrackBarRotateChange(); };
    EditRotate->OnChange = [this](TObject*) { EditRotateChange(); };
    LabelFlip = b.Label(TabSheet11, "", "Flip", 8, 80);
    SpeedButtonFlipHor = b.Add(new TSpeedButton(this), TabSheet11, "SpeedButtonFlipHor", 80, 74, 100, 25);
    SpeedButtonFlipHor->SetCaption("Horizontally");
    SpeedButtonFlipHor->SetGroupIndex(3);
    SpeedButtonFlipVer = b.Add(new TSpeedButton(this), TabSheet11, "SpeedButtonFlipVer", 188, 74, 100, 25);
    SpeedButtonFlipVer->SetCaption("Vertically");
    SpeedButtonFlipVer->SetGroupIndex(4);
    for (TSpeedButton* flip : {SpeedButtonFlipHor, SpeedButtonFlipVer}) {
        flip->SetAllowAllUp(true);
        flip->OnClick = [this](TObject*) { SpeedButtonFlipHorClick(); };
    }
}

void TfPreviews::BuildFFTPage() {
    TDialogBuilder b(this);
    GroupBoxFFT = b.Group(TabSheet12, "GroupBoxFFT", " Frequency domain image ", 8, 4, 300, 186);
    ImagoView1 = b.Add(new TImagoView(this), GroupBoxFFT, "ImagoView1", 8, 18, 284, 140);
    ImagoView1->SetScrollBars(ssBoth);
    ImagoView1->SetSelectionBase(iesbBitmap);
    ImagoView1->SetMouseInteract({miSelect});
    ProgressBar1 = b.Add(new TProgressBar(this), GroupBoxFFT, "ProgressBar1", 8, 162, 284, 16);
    ImagoProc2 = new TImagoProc(this);
    ImagoProc2->SetName("ImagoProc2");
    ImagoProc2->SetAttachedImago(ImagoView1);
    ImagoProc2->SetAutoUndo(false);
    ImagoProc2->OnProgress = [this](TObject*, Integer per) { ImagoProc2Progress(per); };
    Clear = b.Button(TabSheet12, "Clear", "Clear", 320, 20, 75, 25);
    Clear->OnClick = [this](TObject*) { ClearClick(); };
    Button7 = b.Button(TabSheet12, "Button7", "Reset", 320, 52, 75, 25);
    Button7->OnClick = [this](TObject*) { Button7Click(); };
    CheckBox1 = b.Add(new TCheckBox(this), TabSheet12, "CheckBox1", 320, 90, 150, 20);
    CheckBox1->SetCaption("Gray scale");
    CheckBox1->SetChecked(true);
    CheckBox1->OnClick = [this](TObject*) { CheckBox1Click(); };
}

// ---- Language --------------------------------------------------------------------------------

void TfPreviews::SetLanguage(TMsgLanguage Language) {
    auto w = [Language](Integer n) { return GetImgWord(n, Language); };
    auto box = [&](Integer n) { return " " + w(n) + " "; };
    SetCaption(w(0));
    Button3->SetCaption(w(0));
    Label1->SetCaption(w(1) + ":");
    Label2->SetCaption(w(2) + ":");
    Button1->SetCaption(w(3));
    Button2->SetCaption(w(4));
    SpeedButton1->SetHint(w(5));
    Button6->SetHint(w(6));
    TabSheet1->SetCaption(w(7));
    LabelContrast->SetCaption(w(7));
    LabelBrightness->SetCaption(w(8) + ":");
    LabelHsv[0]->SetCaption(w(9) + " (H):");
    LabelHsv[1]->SetCaption(w(10) + " (S):");
    LabelHsv[2]->SetCaption(w(11) + " (V):");
    LabelHsv[3]->SetCaption(w(12) + ":");
    LabelHsv[4]->SetCaption(w(13) + ":");
    LabelHsl[0]->SetCaption(w(9) + " (H):");
    LabelHsl[1]->SetCaption(w(10) + " (S):");
    LabelHsl[2]->SetCaption(w(14) + " (L):");
    LabelRgb[0]->SetCaption(w(15) + " (R):");
    LabelRgb[1]->SetCaption(w(16) + " (G):");
    LabelRgb[2]->SetCaption(w(17) + " (B):");
    TabSheet4->SetCaption(w(72));
    GroupBoxFilter->SetCaption(box(18));
    GroupBoxPresets->SetCaption(box(19));
    LabelDivisor->SetCaption(w(20));
    Button4->SetCaption(w(21));
    Button5->SetCaption(w(22));
    TabSheet6->SetCaption(w(23));
    LabelEqualization->SetCaption(w(23));
    LabelThreshold->SetCaption(w(24));
    SpeedButton3->SetCaption(w(25));
    GroupBoxHistogram->SetCaption(box(26));
    CheckListBox1->GetItems()->Put(0, w(15));
    CheckListBox1->GetItems()->Put(1, w(16));
    CheckListBox1->GetItems()->Put(2, w(17));
    CheckListBox1->GetItems()->Put(3, w(27));
    GroupBoxBump->SetCaption(box(28));
    for (Integer i = 0; i < 4; ++i) {
        LabelBump[i]->SetCaption(w(29 + i));
        LabelLens[i]->SetCaption(w(29 + i));
    }
    LabelBump[4]->SetCaption(w(33) + ":");
    LabelBump[5]->SetCaption(w(34) + " (%):");
    TabSheet8->SetCaption(w(35));
    GroupBoxLens->SetCaption(box(35));
    LabelLens[4]->SetCaption(w(36) + ":");
    TabSheet9->SetCaption(w(67));
    GroupBoxWave->SetCaption(box(67));
    LabelWave[0]->SetCaption(w(68));
    LabelWave[1]->SetCaption(w(69));
    LabelWave[2]->SetCaption(w(70));
    CheckBox2->SetCaption(w(71));
    TabSheet10->SetCaption(w(73));
    GroupBoxMorph->SetCaption(box(73));
    LabelMorph[0]->SetCaption(w(66) + ":");
    LabelMorph[1]->SetCaption(w(74) + ":");
    const Integer morph = ListBox2->GetItemIndex();
    ListBox2->GetItems()->Clear();
    for (Integer i = 75; i <= 78; ++i) ListBox2->GetItems()->Add(w(i));
    ListBox2->SetItemIndex(morph);
    TabSheet11->SetCaption(w(79));
    LabelRotate->SetCaption(w(79) + ":");
    LabelFlip->SetCaption(w(80));
    SpeedButtonFlipHor->SetCaption(w(81));
    SpeedButtonFlipVer->SetCaption(w(82));
    GroupBoxFFT->SetCaption(box(84));
    Clear->SetCaption(w(85));
    Button7->SetCaption(w(86));
    CheckBox1->SetCaption(w(41));
}

// ---- Pages -----------------------------------------------------------------------------------

TTabSheet* TfPreviews::ActiveSheet() const {
    return PageControl1->GetActivePage();
}

Integer TfPreviews::ActiveTag() const {
    TTabSheet* sheet = ActiveSheet();
    if (sheet == TabSheet11) return kTagRotate;
    if (sheet == TabSheet12) return kTagFFT;
    return sheet ? sheet->GetTag() : 0;
}

bool TfPreviews::Locked() const {
    return SpeedButton1->GetDown();
}

void TfPreviews::InitPage(bool ResetAll) {
    FReady = false;
    if (ResetAll) std::fill(std::begin(FInitialised), std::end(FInitialised), false);
    const Integer tag = ActiveTag();
    if (tag < 1 || FInitialised[tag - 1]) {
        FReady = true;
        return;
    }
    TBitmap* source = Imago1->GetBitmap();
    const Integer w = source->GetWidth(), h = source->GetHeight();
    switch (tag) {
        case kTagContrast:
            V.Contrast = V.Brightness = 0;
            AverageColor(source, V.AvgRed, V.AvgGreen, V.AvgBlue);
            TrackBar1->SetPosition(0);
            TrackBar12->SetPosition(0);
            Edit1->SetText("0");
            Edit21->SetText("0");
            break;
        case kTagHSV:
            V.HsvHue = V.HsvSat = V.HsvVal = 0;
            for (TTrackBar* bar : {TrackBar9, TrackBar10, TrackBar11}) bar->SetPosition(0);
            for (TEdit* edit : {Edit19, Edit18, Edit17}) edit->SetText("0");
            break;
        case kTagHSL:
            V.HslHue = V.HslSat = V.HslLum = 0;
            for (TTrackBar* bar : {TrackBar2, TrackBar3, TrackBar5}) bar->SetPosition(0);
            for (TEdit* edit : {Edit4, Edit2, Edit3}) edit->SetText("0");
            break;
        case kTagRGB:
            V.Red = V.Green = V.Blue = 0;
            for (TTrackBar* bar : {TrackBar6, TrackBar7, TrackBar8}) bar->SetPosition(0);
            for (TEdit* edit : {Edit7, Edit6, Edit5}) edit->SetText("0");
            break;
        case kTagUserFilter:
            V.Filter = kPresets[0];
            ShowUserFilter();
            break;
        case kTagEqualization:
            for (Integer c = 0; c < 3; ++c) {
                V.ThrLow[c] = V.StrBlack[c] = 0;
                V.ThrHigh[c] = V.StrWhite[c] = 255;
            }
            for (TRulerBox* ruler : {RulerBox1, RulerBox2}) {
                ruler->SetGripsPos(0, 0);
                ruler->SetGripsPos(1, 255);
                ruler->SetGripsColor(0, TColor(0x808080));
                ruler->SetGripsColor(1, TColor(0x808080));
            }
            RulerBox1->SetGripsKind(0, 4);
            RulerBox1->SetGripsKind(1, 4);
            for (Integer i = 0; i < 3; ++i) CheckListBox1->SetChecked(i, false);
            CheckListBox1->SetChecked(3, true);
            SpeedButton3->SetDown(false);
            Label16->SetCaption("0");
            Label17->SetCaption("255");
            Label20->SetCaption("0");
            Label21->SetCaption("255");
            break;
        case kTagBumpMap:
            V.BumpLeft = w / 2;
            V.BumpTop = h / 2;
            V.BumpWidth = V.BumpHeight = std::max(w, h) / 2;
            V.BumpColour = 0xFFFFFF;
            V.BumpPercent = 0;
            HSVBox2->SetRGB(255, 255, 255);
            SetEditInt(Edit22, V.BumpLeft);
            SetEditInt(Edit23, V.BumpTop);
            SetEditInt(Edit24, V.BumpWidth);
            SetEditInt(Edit25, V.BumpHeight);
            SetEditInt(Edit26, V.BumpPercent);
            break;
        case kTagLens:
            V.LensLeft = w / 2;
            V.LensTop = h / 2;
            V.LensWidth = V.LensHeight = std::max(w, h) / 2;
            V.Refraction = 1.7;
            SetEditInt(Edit27, V.LensLeft);
            SetEditInt(Edit28, V.LensTop);
            SetEditInt(Edit29, V.LensWidth);
            SetEditInt(Edit30, V.LensHeight);
            SetEditInt(Edit31, Integer(std::trunc((V.Refraction - 1) * 10 + 1e-9)));
            break;
        case kTagWave:
            V.Amplitude = V.WaveLength = 10;
            V.Phase = 0;
            V.Reflective = false;
            SetEditInt(Edit32, V.Amplitude);
            SetEditInt(Edit33, V.WaveLength);
            SetEditInt(Edit34, V.Phase);
            CheckBox2->SetChecked(false);
            break;
        case kTagMorph:
            V.MorphKind = 0;
            V.MorphSize = 1;
            ListBox2->SetItemIndex(0);
            SetEditInt(Edit35, 1);
            break;
        case kTagRotate:
            V.Angle = 0;
            TrackBarRotate->SetPosition(0);
            EditRotate->SetText("0");
            SpeedButtonFlipHor->SetDown(false);
            SpeedButtonFlipVer->SetDown(false);
            break;
        case kTagFFT: CheckBox1->SetChecked(true); break;
    }
    FInitialised[tag - 1] = true;
    FReady = true;
}

void TfPreviews::ShowUserFilter() {
    FFilterReady = false;
    for (Integer i = 0; i < 9; ++i) SetEditInt(FilterEdits[i], V.Filter.Coef[i]);
    SetEditInt(Edit20, V.Filter.Divisor);
    FFilterReady = true;
}

// ---- Activation and the preview --------------------------------------------------------------

void TfPreviews::FormActivate() {
    // Nested dialogs (the filter files) hand the activation back: prepare the form only once.
    if (FActivated) return;
    FActivated = true;
    FUseProgress = false;
    FReady = true;
    InitPage(true);
    SpeedButton1->SetDown(DefaultLockPreview);
    Button3->SetEnabled(!SpeedButton1->GetDown());
    TTabSheet* first = nullptr;
    for (Integer i = 0; i < PageControl1->GetPageCount(); ++i) {
        TTabSheet* sheet = PageControl1->GetPage(i);
        static constexpr Word kValues[] = {PreviewContrast,   PreviewHSV,          PreviewHSL,     PreviewRGB,
                                           PreviewUserFilter, PreviewEqualization, PreviewBumpMap, PreviewLens,
                                           PreviewWave,       PreviewMorph,        PreviewRotate,  PreviewFFT};
        const bool visible = (Pages & PreviewAllPages) || (Pages & kValues[i]);
        sheet->SetTabVisible(visible);
        if (visible && !first) first = sheet;
    }
    if (first) PageControl1->SetActivePage(first);
    Imago1->ZoomToFit();
    Application->ProcessMessages();
    PageControl1Change();
}

void TfPreviews::PageControl1Change() {
    InitPage(false);
    if (ActiveTag() == kTagWave) Imago1->ZoomToFit();
    RefreshPreview();
}

void TfPreviews::Imago1ViewChange() {
    // The FFT page fits the source view while the preview is built: that needs no other one.
    if (FReady && FActivated && !FRefreshing) RefreshPreview();
}

void TfPreviews::RefreshPreview() {
    FRefreshing = true;
    struct TDone {
        bool& Flag;
        ~TDone() { Flag = false; }
    } done{FRefreshing};
    TBitmap* source = Imago1->GetBitmap();
    Imago2->BeginUpdate();
    TBitmap* preview = Imago2->GetBitmap();
    preview->SetPixelFormat(pf24bit);
    preview->SetSize(std::max<Integer>(Imago1->GetExtentX(), 1), std::max<Integer>(Imago1->GetExtentY(), 1));
    Imago1->DrawVisibleImageTo(preview->GetCanvas());
    Imago2->SaveUndo();

    if (!FTransform) {
        FTransform = std::make_unique<TImgFtImage>();
        FTransform->OnProgress = [this](TObject*, Integer per) { ImagoProc2Progress(per); };
    }
    const Integer w = source->GetWidth(), h = source->GetHeight();
    if (w > 0 && h > 0) {
        const Integer tw = h < w ? 128 : std::max<Integer>(Integer(int64_t(w) * 128 / h), 1);
        const Integer th = h < w ? std::max<Integer>(Integer(int64_t(h) * 128 / w), 1) : 128;
        TBitmap thumbnail;
        thumbnail.SetPixelFormat(pf24bit);
        thumbnail.SetSize(tw, th);
        TCanvas* c = thumbnail.GetCanvas();
        SetStretchBltMode(c->GetHandle(), HALFTONE);
        SetBrushOrgEx(c->GetHandle(), 0, 0, nullptr);
        c->StretchDraw(TRect(0, 0, tw, th), source);
        FTransform->BuildFT(&thumbnail, CheckBox1->GetChecked() ? TImgFtImage::ftGray : TImgFtImage::ftColour);
    }
    ProgressBar1->SetPosition(0);

    ApplyEffect(Imago2);
    Imago2->EndUpdate();
    if (ActiveTag() == kTagEqualization) HistogramBox1->Update();
}

void TfPreviews::ApplyEffect(TImago* View) {
    TBitmap* bmp = View->GetBitmap();
    const Integer x2 = bmp->GetWidth() - 1, y2 = bmp->GetHeight() - 1;
    const TImgProgressTarget progress = FUseProgress ? ProgressTarget : TImgProgressTarget();
    const bool preview = View == Imago2;
    const double z = Imago1->GetZoom() / 100.0;
    auto px = [&](Integer x) { return preview ? Integer(std::trunc(x * z - Imago1->GetViewX())) : x; };
    auto py = [&](Integer y) { return preview ? Integer(std::trunc(y * z - Imago1->GetViewY())) : y; };
    auto len = [&](Integer l) { return preview ? Integer(std::trunc(l * z)) : l; };
    const Integer tag = ActiveTag();
    switch (tag) {
        case kTagContrast:
            AdjustContrast(bmp, V.Contrast, V.AvgRed, V.AvgGreen, V.AvgBlue, 0, 0, x2, y2, progress);
            AdjustRGB(bmp, V.Brightness, V.Brightness, V.Brightness, 0, 0, x2, y2, progress);
            break;
        case kTagHSL: AdjustHSL(bmp, V.HslHue, V.HslSat, V.HslLum, 0, 0, x2, y2, progress); break;
        case kTagHSV: AdjustHSV(bmp, V.HsvHue, V.HsvSat, V.HsvVal, 0, 0, x2, y2, progress); break;
        case kTagRGB: AdjustRGB(bmp, V.Red, V.Green, V.Blue, 0, 0, x2, y2, progress); break;
        case kTagUserFilter: ApplyUserFilter(bmp, V.Filter, 0, 0, x2, y2, progress); break;
        case kTagEqualization:
            ThresholdRect(bmp, Packed(V.ThrLow), Packed(V.ThrHigh), 0, 0xFFFFFF, 0, 0, x2, y2, progress);
            StretchLevels(bmp, Packed(V.StrWhite), Packed(V.StrBlack), 0, 0, x2, y2, progress);
            if (SpeedButton3->GetDown()) EqualizeHistogram(bmp, 0, 0, x2, y2, progress);
            break;
        case kTagBumpMap:
            BumpMap(bmp, px(V.BumpLeft), py(V.BumpTop), len(V.BumpWidth), len(V.BumpHeight), V.BumpColour,
                    V.BumpPercent, 0, 0, x2, y2, progress);
            break;
        case kTagLens:
            LensEffect(bmp, px(V.LensLeft), py(V.LensTop), len(V.LensWidth), len(V.LensHeight), V.Refraction, progress);
            break;
        case kTagWave: WaveEffect(bmp, len(V.Amplitude), len(V.WaveLength), V.Phase, V.Reflective, progress); break;
        case kTagMorph: MorphFilter(bmp, V.MorphSize, V.MorphKind, 0, 0, x2, y2, progress); break;
        case kTagRotate:
            if (V.Angle != 0) View->Rotate(V.Angle, true);
            if (!preview || FFlipClicked) {
                if (SpeedButtonFlipHor->GetDown()) View->Flip(0);
                if (SpeedButtonFlipVer->GetDown()) View->Flip(1);
            }
            FFlipClicked = false;
            break;
        case kTagFFT:
            if (!FTransform) break;
            if (preview) {
                if (!FZoned) FZoned = std::make_unique<TImgFtImage>();
                FZoned->Assign(FTransform.get());
                if (ImagoView1->GetSelected())
                    FZoned->ClearZone(ImagoView1->GetSelX1(), ImagoView1->GetSelY1(), ImagoView1->GetSelX2(),
                                      ImagoView1->GetSelY2());
                ImagoProc2->ShowFTSpectrum(FZoned.get());
                ImagoView1->ZoomToFit();
                View->ApplyInverseFT(FZoned.get());
                ProgressBar1->SetPosition(0);
            } else {
                const Integer oldN = FTransform->GetN();
                FTransform->BuildFT(bmp, CheckBox1->GetChecked() ? TImgFtImage::ftGray : TImgFtImage::ftColour);
                const double r = oldN > 0 ? double(FTransform->GetN()) / oldN : 1.0;
                if (ImagoView1->GetSelected())
                    FTransform->ClearZone(Integer(std::trunc(ImagoView1->GetSelX1() * r)),
                                          Integer(std::trunc(ImagoView1->GetSelY1() * r)),
                                          Integer(std::trunc(ImagoView1->GetSelX2() * r)),
                                          Integer(std::trunc(ImagoView1->GetSelY2() * r)));
                ImagoView1->Deselect();
                View->ApplyInverseFT(FTransform.get());
                FTransform->ReleaseScratch();
                ProgressBar1->SetPosition(0);
            }
            break;
    }
    if (tag == kTagFFT) {
        Imago1->ZoomToFit();
        Imago1->SetMouseInteract({});
    } else {
        Imago1->SetMouseInteract({miZoom, miScroll});
    }
}

void TfPreviews::ApplyToSource() {
    ApplyEffect(Imago1);
    Imago1->Update();
    Imago1->ImageChange();
    RefreshPreview();
}

void TfPreviews::RestoreAndApply() {
    Imago2->Undo();
    ApplyEffect(Imago2);
    Imago2->Update();
}

void TfPreviews::LivePreview() {
    if (Locked()) RestoreAndApply();
}

// ---- Buttons ---------------------------------------------------------------------------------

void TfPreviews::Button1Click() {
    FUseProgress = true;
    ApplyEffect(Imago1);
    Imago1->Update();
    SetModalResult(mrOk);
}

void TfPreviews::Button3Click() {
    RestoreAndApply();
}

void TfPreviews::Button6Click() {
    ApplyToSource();
    InitPage(true);
    RefreshPreview();
}

void TfPreviews::SpeedButton1Click() {
    if (Locked()) RestoreAndApply();
    Button3->SetEnabled(!Locked());
}

// ---- Colour pages ----------------------------------------------------------------------------

void TfPreviews::BarsChanged(TBars Bars, TEdits Edits, TValuePtrs Values) {
    if (!FReady) return;
    // The values first, so that the edits written next find nothing to change.
    bool changed = false;
    for (size_t i = 0; i < Bars.size(); ++i) {
        const Integer position = Bars.begin()[i]->GetPosition();
        Integer& value = *Values.begin()[i];
        if (value != position) changed = true;
        value = position;
    }
    for (size_t i = 0; i < Bars.size(); ++i) SetEditInt(Edits.begin()[i], Bars.begin()[i]->GetPosition());
    if (changed) LivePreview();
}

void TfPreviews::EditsChanged(TBars Bars, TEdits Edits, TValuePtrs Values, void (TfPreviews::*BarChange)()) {
    if (!FReady) return;
    bool same = true;
    for (size_t i = 0; i < Edits.size(); ++i) same &= EditInt(Edits.begin()[i]) == *Values.begin()[i];
    if (same) return;
    for (size_t i = 0; i < Edits.size(); ++i) Bars.begin()[i]->SetPosition(EditInt(Edits.begin()[i]));
    (this->*BarChange)();
}

void TfPreviews::TrackBar1Change() {
    BarsChanged({TrackBar1, TrackBar12}, {Edit1, Edit21}, {&V.Contrast, &V.Brightness});
}

void TfPreviews::Edit1Change() {
    EditsChanged({TrackBar1, TrackBar12}, {Edit1, Edit21}, {&V.Contrast, &V.Brightness}, &TfPreviews::TrackBar1Change);
}

void TfPreviews::TrackBar9Change() {
    BarsChanged({TrackBar9, TrackBar10, TrackBar11}, {Edit19, Edit18, Edit17}, {&V.HsvHue, &V.HsvSat, &V.HsvVal});
}

void TfPreviews::Edit19Change() {
    EditsChanged({TrackBar9, TrackBar10, TrackBar11}, {Edit19, Edit18, Edit17}, {&V.HsvHue, &V.HsvSat, &V.HsvVal},
                 &TfPreviews::TrackBar9Change);
}

void TfPreviews::HSVBox3Change() {
    if (!FReady) return;
    TrackBar9->SetPosition(HSVBox1->GetHue() - HSVBox3->GetHue());
    TrackBar10->SetPosition(HSVBox1->GetSat() - HSVBox3->GetSat());
    TrackBar11->SetPosition(HSVBox1->GetVal() - HSVBox3->GetVal());
    TrackBar9Change();
}

void TfPreviews::TrackBar2Change() {
    BarsChanged({TrackBar2, TrackBar3, TrackBar5}, {Edit4, Edit2, Edit3}, {&V.HslHue, &V.HslSat, &V.HslLum});
}

void TfPreviews::Edit4Change() {
    EditsChanged({TrackBar2, TrackBar3, TrackBar5}, {Edit4, Edit2, Edit3}, {&V.HslHue, &V.HslSat, &V.HslLum},
                 &TfPreviews::TrackBar2Change);
}

void TfPreviews::TrackBar6Change() {
    BarsChanged({TrackBar6, TrackBar7, TrackBar8}, {Edit7, Edit6, Edit5}, {&V.Red, &V.Green, &V.Blue});
}

void TfPreviews::Edit7Change() {
    EditsChanged({TrackBar6, TrackBar7, TrackBar8}, {Edit7, Edit6, Edit5}, {&V.Red, &V.Green, &V.Blue},
                 &TfPreviews::TrackBar6Change);
}

// ---- User filter -----------------------------------------------------------------------------

void TfPreviews::Edit8Change(TObject* Sender) {
    if (!FFilterReady) return;
    V.Filter.Divisor = EditInt(Edit20, 1);
    auto* edit = dynamic_cast<TEdit*>(Sender);
    if (edit && edit->GetTag() >= 0 && edit->GetTag() < 9) V.Filter.Coef[edit->GetTag()] = EditInt(edit);
    LivePreview();
}

void TfPreviews::ListBox1Click() {
    const Integer index = ListBox1->GetItemIndex();
    if (index < 0 || index >= Integer(std::size(kPresets))) return;
    V.Filter = kPresets[index];
    ShowUserFilter();
    LivePreview();
}

void TfPreviews::Button4Click() {
    TOpenDialog dialog(nullptr);
    dialog.SetName("OpenDialog1");
    dialog.SetTitle("Load filter");
    dialog.SetFilter("Filter (*.flt)|*.flt");
    dialog.SetDefaultExt("flt");
    if (!dialog.Execute()) return;
    // A file that is no filter leaves the filter as it was; one that cannot be read raises
    // (the framework shows the message) and changes nothing either.
    LoadUserFilter(dialog.GetFileName(), V.Filter);
    ShowUserFilter();
    LivePreview();
}

void TfPreviews::Button5Click() {
    TSaveDialog dialog(nullptr);
    dialog.SetName("SaveDialog1");
    dialog.SetTitle("Save filter");
    dialog.SetFilter("Filter (*.flt)|*.flt");
    dialog.SetDefaultExt("flt");
    if (dialog.Execute()) SaveUserFilter(dialog.GetFileName(), V.Filter);
}

// ---- Equalization ----------------------------------------------------------------------------

void TfPreviews::RulerMoved(TRulerBox* Ruler, Integer Grip, TLabel* Low, TLabel* High, Integer* Lows, Integer* Highs) {
    if (!FReady) return;
    if (Ruler->GetGripsPos(1) < Ruler->GetGripsPos(0)) Ruler->SetGripsPos(1 - Grip, Ruler->GetGripsPos(Grip));
    const Integer pos = Integer(std::trunc(Ruler->GetGripsPos(Grip)));
    (Grip == 0 ? Low : High)->SetCaption(IntToStr(pos));
    const Integer lo = Integer(std::trunc(Ruler->GetGripsPos(0))), hi = Integer(std::trunc(Ruler->GetGripsPos(1)));
    const bool gray = CheckListBox1->GetChecked(3);
    for (Integer c = 0; c < 3; ++c)
        if (gray || CheckListBox1->GetChecked(c)) {
            Lows[c] = lo;
            Highs[c] = hi;
        }
    LivePreview();
}

void TfPreviews::RulerBox1RulerPosChange(Integer Grip) {
    RulerMoved(RulerBox1, Grip, Label16, Label17, V.ThrLow, V.ThrHigh);
}

void TfPreviews::RulerBox2RulerPosChange(Integer Grip) {
    RulerMoved(RulerBox2, Grip, Label20, Label21, V.StrBlack, V.StrWhite);
}

void TfPreviews::CheckListBox1Click() {
    THistogramKind kind;
    static constexpr THistogramKindItem kKinds[] = {hkRed, hkGreen, hkBlue, hkGray};
    for (Integer i = 0; i < 4; ++i)
        if (CheckListBox1->GetChecked(i)) kind.Include(kKinds[i]);
    HistogramBox1->SetHistogramKind(kind);
    HistogramBox1->Update();
    const Integer left = HistogramBox1->GetPlotLeft();
    RulerBox1->SetBounds(HistogramBox1->GetLeft() + left, RulerBox1->GetTop(), HistogramBox1->GetWidth() - left,
                         RulerBox1->GetHeight());
}

void TfPreviews::SpeedButton3Click() {
    if (FReady) LivePreview();
}

// ---- Effects ---------------------------------------------------------------------------------

void TfPreviews::Edit22Change() {
    if (!FReady) return;
    V.BumpLeft = EditInt(Edit22);
    V.BumpTop = EditInt(Edit23);
    V.BumpWidth = EditInt(Edit24);
    V.BumpHeight = EditInt(Edit25);
    V.BumpPercent = EditInt(Edit26);
    LivePreview();
}

void TfPreviews::HSVBox2Change() {
    if (!FReady) return;
    V.BumpColour = HSVBox2->GetRed() * 65536 + HSVBox2->GetGreen() * 256 + HSVBox2->GetBlue();
    LivePreview();
}

void TfPreviews::Edit27Change() {
    if (!FReady) return;
    V.LensLeft = EditInt(Edit27);
    V.LensTop = EditInt(Edit28);
    V.LensWidth = EditInt(Edit29);
    V.LensHeight = EditInt(Edit30);
    V.Refraction = EditInt(Edit31) / 10.0 + 1;
    LivePreview();
}

void TfPreviews::Edit32Change() {
    if (!FReady) return;
    V.Amplitude = EditInt(Edit32);
    V.WaveLength = EditInt(Edit33);
    V.Phase = EditInt(Edit34);
    V.Reflective = CheckBox2->GetChecked();
    LivePreview();
}

void TfPreviews::Edit35Change() {
    if (!FReady) return;
    V.MorphKind = ListBox2->GetItemIndex();
    V.MorphSize = EditInt(Edit35, 1);
    LivePreview();
}

void TfPreviews::TrackBarRotateChange() {
    if (!FReady || TrackBarRotate->GetPosition() == V.Angle) return;
    V.Angle = TrackBarRotate->GetPosition();
    SetEditInt(EditRotate, V.Angle);
    LivePreview();
}

void TfPreviews::EditRotateChange() {
    if (!FReady) return;
    const Integer angle = EditInt(EditRotate);
    if (angle == V.Angle) return;
    TrackBarRotate->SetPosition(angle);
    TrackBarRotateChange();
}

void TfPreviews::SpeedButtonFlipHorClick() {
    if (!FReady || !Locked()) return;
    Imago2->Undo();
    FFlipClicked = true;
    ApplyEffect(Imago2);
    Imago2->Update();
}

void TfPreviews::Imago2MouseUp(TMouseButton Button, Integer X, Integer Y) {
    const Integer tag = ActiveTag();
    if (tag == kTagHSV && Button == mbLeft) {
        TBitmap* bmp = Imago2->GetBitmap();
        const Integer bx = Imago2->XScr2Bmp(X), by = Imago2->YScr2Bmp(Y);
        if (bx < 0 || by < 0 || bx >= bmp->GetWidth() || by >= bmp->GetHeight()) return;
        const TImgRGB c = static_cast<TImgRGB*>(bmp->ScanLine(by))[bx];
        Integer h, s, v;
        RGBToHSV(c.r * 65536 + c.g * 256 + c.b, h, s, v);
        HSVBox3->SetHue(h);
        HSVBox3->SetSat(s);
        HSVBox3->SetVal(v);
        return;
    }
    if (tag != kTagBumpMap && tag != kTagLens) return;
    const Integer zoom = std::max<Integer>(Imago1->GetZoom(), 1);
    const Integer x = Integer(std::trunc(double(X - Imago1->GetOffsetX() + Imago1->GetViewX()) * 100 / zoom));
    const Integer y = Integer(std::trunc(double(Y - Imago1->GetOffsetY() + Imago1->GetViewY()) * 100 / zoom));
    FReady = false;
    if (tag == kTagBumpMap) {
        V.BumpLeft = x;
        V.BumpTop = y;
        SetEditInt(Edit22, x);
        SetEditInt(Edit23, y);
    } else {
        V.LensLeft = x;
        V.LensTop = y;
        SetEditInt(Edit27, x);
        SetEditInt(Edit28, y);
    }
    FReady = true;
    LivePreview();
}

// ---- FFT -------------------------------------------------------------------------------------

void TfPreviews::ClearClick() {
    RestoreAndApply();
}

void TfPreviews::Button7Click() {
    ImagoView1->Deselect();
    RefreshPreview();
}

void TfPreviews::CheckBox1Click() {
    if (FReady && FActivated) RefreshPreview();
}

void TfPreviews::ImagoProc2Progress(Integer Per) {
    ProgressBar1->SetPosition(Per + FProgressOffset);
}
