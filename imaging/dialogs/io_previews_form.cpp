#include "imaging/dialogs/io_previews_form.h"

#include <algorithm>
#include <memory>

#include "framework/comctrls.h"
#include "framework/dialogs.h"
#include "framework/edit_controls.h"
#include "framework/list_controls.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"
#include "imaging/bitmap_routines.h"
#include "imaging/controls/imago.h"
#include "imaging/dialogs/dialog_building.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_lists.h"
#include "imaging/img_proc.h"
#include "imaging/img_utils.h"
#include "imaging/img_words.h"
#include "imaging/palette_dialog.h"

namespace {

enum { pgJPEG, pgTIFF, pgGIF, pgBMP, pgPCX, pgPNG, pgTGA };
constexpr Word kPageValues[7] = {IOPreviewJPEG, IOPreviewTIFF, IOPreviewGIF, IOPreviewBMP,
                                 IOPreviewPCX,  IOPreviewPNG,  IOPreviewTGA};
const char* const kPageCaptions[7] = {"JPEG", "TIFF", "GIF", "BMP", "PCX", "PNG", "TGA"};

Integer EditInt(TEdit* Edit, Integer Default) {
    return StrToIntDef(Edit->GetText(), Default);
}

TColor SwatchColour(const TImgRGB& c) {
    return ImgRGBToColor(c);
}

}  // namespace

// ---- Colour choices --------------------------------------------------------------------------

void TfIOPreviews::TiffDepth(Integer Choice, Integer& Bits, Integer& Samples) {
    static constexpr Integer kBits[] = {1, 4, 8, 16, 8};
    Choice = std::clamp<Integer>(Choice, 0, 4);
    Bits = kBits[Choice];
    Samples = Choice == 4 ? 3 : 1;
}

void TfIOPreviews::BmpDepth(Integer Choice, Integer& Bits, Integer& Samples) {
    static constexpr Integer kBits[] = {1, 4, 8, 5, 8, 8};
    Choice = std::clamp<Integer>(Choice, 0, 5);
    Bits = kBits[Choice];
    Samples = Choice >= 3 ? 3 : 1;
}

void TfIOPreviews::PcxDepth(Integer Choice, Integer& Bits, Integer& Samples) {
    static constexpr Integer kBits[] = {1, 4, 8, 8};
    Choice = std::clamp<Integer>(Choice, 0, 3);
    Bits = kBits[Choice];
    Samples = Choice == 3 ? 3 : 1;
}

void TfIOPreviews::PngDepth(Integer Choice, Integer& Bits, Integer& Samples) {
    static constexpr Integer kBits[] = {1, 8, 8};
    Choice = std::clamp<Integer>(Choice, 0, 2);
    Bits = kBits[Choice];
    Samples = Choice == 2 ? 3 : 1;
}

// ---- Building --------------------------------------------------------------------------------

TfIOPreviews::TfIOPreviews(TComponent* AOwner) : TForm(AOwner) {
    ::BuildComponents(this, [this] { BuildComponents(); });
    // Prepared when first activated, or when first shown should the program not be active then.
    OnActivate = [this](TObject*) { FormActivate(); };
    OnShow = OnActivate;
}

TfIOPreviews::~TfIOPreviews() = default;

void TfIOPreviews::BuildComponents() {
    SetName("fIOPreviews");
    SetCaption("Paramters preview");
    SetBorderStyle(bsDialog);
    SetBorderIcons({biSystemMenu});
    SetPosition(poScreenCenter);
    SetClientWidth(522);
    SetClientHeight(383);

    PreviewIO = new TImagoIO(this);
    PreviewIO->SetStreamHeaders(false);
    PreviewIO->OnProgress = [this](TObject*, Integer per) { IOProgress(per); };
    PreviewProc = new TImagoProc(this);
    PreviewProc->SetAutoUndo(false);

    TDialogBuilder b(this);
    Panel2 = b.Add(new TPanel(this), this, "Panel2", 0, 0, 430, 180);
    Panel2->SetBevelOuter(bvNone);
    Label1 = b.Label(Panel2, "Label1", "Source:", 8, 4);
    Imago1 = b.Add(new TImago(this), Panel2, "Imago1", 8, 20, 191, 135);
    Imago1->SetCenter(true);
    Imago1->SetMouseInteract({miZoom, miScroll});
    Imago1->OnViewChange = [this](TObject*, Integer) { Imago1ViewChange(); };
    Label2 = b.Label(Panel2, "Label2", "Result:", 224, 4);
    Imago2 = b.Add(new TImago(this), Panel2, "Imago2", 224, 20, 191, 135);
    Imago2->SetCenter(true);
    Imago2->SetMouseInteract({});
    ProgressBar1 = b.Add(new TProgressBar(this), Panel2, "ProgressBar1", 8, 160, 407, 14);

    b.PreviewButtons(this, 438, Button1, Button2, Button3, SpeedButton1);
    Button1->OnClick = [this](TObject*) { Button1Click(); };
    Button3->OnClick = [this](TObject*) { Button3Click(); };
    SpeedButton1->OnClick = [this](TObject*) { SpeedButton1Click(); };

    PageControl1 = b.Add(new TPageControl(this), this, "PageControl1", 4, 182, 514, 197);
    PageControl1->SetTabPosition(tpBottom);
    PageControl1->SetHotTrack(true);
    PageControl1->OnChange = [this](TObject*) { PageControl1Change(); };
    PageControl1->OnChanging = [this](TObject*, bool&) { PageControl1Changing(); };
    for (Integer i = 0; i < 7; ++i) {
        auto* sheet = new TTabSheet(this);
        sheet->SetName("TabSheet" + IntToStr(i + 1));
        sheet->SetPageControl(PageControl1);
        sheet->SetCaption(kPageCaptions[i]);
        TabSheets[i] = sheet;
        OriginalLabel[i] = b.Label(sheet, "", "Original size:", 330, 110);
        OriginalSize[i] = b.Label(sheet, "", "---", 420, 110);
        CompressedLabel[i] = b.Label(sheet, "", "Compressed size:", 330, 130);
        CompressedSize[i] = b.Label(sheet, "", "---", 420, 130);
    }
    BuildJpegTiffPages();
    BuildOtherPages();
    for (Integer i = 0; i < GetComponentCount(); ++i)
        if (auto* bar = dynamic_cast<TTrackBar*>(GetComponent(i))) bar->SetThumbLength(10);
}

void TfIOPreviews::BuildJpegTiffPages() {
    TDialogBuilder b(this);
    auto label = [&](TWinControl* parent, const char* caption, Integer x, Integer y, TWinControl* focus) {
        return b.Caption(parent, caption, x, y, focus);
    };
    auto combo = [&](TWinControl* parent, const char* name, Integer x, Integer y, Integer w,
                     std::initializer_list<const char*> items) { return b.List(parent, name, x, y, w, items); };
    // JPEG.
    TTabSheet* jpeg = TabSheets[pgJPEG];
    Edit22 = b.Edit(jpeg, "Edit22", "50", 90, 8, 40);
    TrackBar13 = b.Add(new TTrackBar(this), jpeg, "TrackBar13", 134, 6, 180, 30);
    TrackBar13->SetMax(100);
    TrackBar13->SetFrequency(5);
    JpegLabels[0] = label(jpeg, "&Quality:", 8, 8, Edit22);
    GroupBoxJpeg = b.Group(jpeg, "GroupBoxJpeg", " Advanced ", 8, 40, 310, 124);
    ComboBox1 = combo(GroupBoxJpeg, "ComboBox1", 130, 16, 100, {"ISLOW", "IFAST", "FLOAT"});
    JpegLabels[1] = label(GroupBoxJpeg, "&DCT method:", 8, 16, ComboBox1);
    ComboBox13 = combo(GroupBoxJpeg, "ComboBox13", 130, 42, 100, {"RGB", "GrayScale", "YCbCr", "CMYK", "YCbCrK"});
    JpegLabels[2] = label(GroupBoxJpeg, "P&hotometric:", 8, 42, ComboBox13);
    Edit23 = b.Edit(GroupBoxJpeg, "Edit23", "0", 130, 68, 40);
    UpDown11 = b.Add(new TUpDown(this), GroupBoxJpeg, "UpDown11", 170, 68, 16, 21);
    UpDown11->SetMax(100);
    UpDown11->SetAssociate(Edit23);
    JpegLabels[3] = label(GroupBoxJpeg, "&Smoothing factor:", 8, 68, Edit23);
    CheckBox2 = b.Add(new TCheckBox(this), GroupBoxJpeg, "CheckBox2", 8, 96, 140, 20);
    CheckBox2->SetCaption("&Optimal Huffman");
    CheckBox3 = b.Add(new TCheckBox(this), GroupBoxJpeg, "CheckBox3", 160, 96, 140, 20);
    CheckBox3->SetCaption("P&rogressive");
    Edit22->OnChange = [this](TObject*) { Edit22Change(); };
    Edit23->OnChange = Edit22->OnChange;
    TrackBar13->OnChange = [this](TObject*) { TrackBar13Change(); };
    ComboBox1->OnChange = TrackBar13->OnChange;
    ComboBox13->OnChange = TrackBar13->OnChange;
    CheckBox2->OnClick = TrackBar13->OnChange;
    CheckBox3->OnClick = TrackBar13->OnChange;

    // TIFF.
    TTabSheet* tiff = TabSheets[pgTIFF];
    ComboBox2 = combo(tiff, "ComboBox2", 90, 4, 110,
                      {"UNCOMPRESSED", "CCITT1D", "G3FAX1D", "G3FAX2D", "G4FAX", "LZW", "OLDJPEG", "JPEG", "PACKBITS"});
    TiffLabels[0] = label(tiff, "&Compression:", 4, 4, ComboBox2);
    Edit1 = b.Edit(tiff, "Edit1", "0", 90, 30, 44);
    UpDown1 = b.Add(new TUpDown(this), tiff, "UpDown1", 134, 30, 16, 21);
    UpDown1->SetMax(1000);
    UpDown1->SetAssociate(Edit1);
    TiffLabels[1] = label(tiff, "&Image index:", 4, 30, Edit1);
    ComboBox3 = combo(tiff, "ComboBox3", 90, 56, 110,
                      {"WHITEISZERO", "BLACKISZERO", "RGB", "RGBPALETTE", "TRANSPMASK", "CMYK", "YCBCR", "CIELAB"});
    TiffLabels[2] = label(tiff, "P&hotometric:", 4, 56, ComboBox3);
    ComboBox4 = combo(tiff, "ComboBox4", 90, 82, 110, {"B/W", "16", "256", "65536", "16M"});
    TiffLabels[3] = label(tiff, "C&olors:", 4, 82, ComboBox4);
    GroupBoxTiff = b.Group(tiff, "GroupBoxTiff", " Scanned document info ", 206, 0, 300, 106);
    Edit2 = b.Edit(GroupBoxTiff, "Edit2", "0", 90, 14, 50);
    TiffLabels[4] = label(GroupBoxTiff, "H&oriz. Position (inch):", 4, 14, Edit2);
    Edit3 = b.Edit(GroupBoxTiff, "Edit3", "0", 240, 14, 50);
    TiffLabels[5] = label(GroupBoxTiff, "&Vert. Position (inch):", 150, 14, Edit3);
    Edit4 = b.Edit(GroupBoxTiff, "Edit4", "", 90, 38, 200);
    TiffLabels[6] = label(GroupBoxTiff, "&Name:", 4, 38, Edit4);
    Edit5 = b.Edit(GroupBoxTiff, "Edit5", "", 90, 60, 200);
    TiffLabels[7] = label(GroupBoxTiff, "&Description:", 4, 60, Edit5);
    Edit6 = b.Edit(GroupBoxTiff, "Edit6", "", 90, 82, 90);
    TiffLabels[8] = label(GroupBoxTiff, "P&age name:", 4, 82, Edit6);
    Edit7 = b.Edit(GroupBoxTiff, "Edit7", "0", 220, 82, 30);
    TiffLabels[9] = label(GroupBoxTiff, "Page N&umber:", 184, 82, Edit7);
    Edit8 = b.Edit(GroupBoxTiff, "Edit8", "0", 266, 82, 30);
    TiffLabels[10] = label(GroupBoxTiff, "o&f", 254, 82, Edit8);
    for (TComboBox* c : {ComboBox2, ComboBox3, ComboBox4}) c->OnChange = [this](TObject*) { ComboBox2Click(); };
    for (TEdit* e : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8})
        e->OnChange = [this](TObject*) { ComboBox2Click(); };
}

void TfIOPreviews::BuildOtherPages() {
    TDialogBuilder b(this);
    auto label = [&](TWinControl* parent, const char* caption, Integer x, Integer y, TWinControl* focus) {
        return b.Caption(parent, caption, x, y, focus);
    };
    auto combo = [&](TWinControl* parent, const char* name, Integer x, Integer y, Integer w,
                     std::initializer_list<const char*> items) { return b.List(parent, name, x, y, w, items); };
    auto swatch = [&](TWinControl* parent, const char* name, Integer x, Integer y) {
        auto* p = b.Add(new TPanel(this), parent, name, x, y, 40, 21);
        p->SetBevelOuter(bvLowered);
        return p;
    };
    // GIF.
    TTabSheet* gif = TabSheets[pgGIF];
    Edit9 = b.Edit(gif, "Edit9", "0", 110, 4, 44);
    UpDown2 = b.Add(new TUpDown(this), gif, "UpDown2", 154, 4, 16, 21);
    UpDown2->SetMax(1000);
    UpDown2->SetAssociate(Edit9);
    GifLabels[0] = label(gif, "&Image index:", 4, 4, Edit9);
    ComboBox5 = combo(gif, "ComboBox5", 110, 30, 70, {"B/W", "4", "8", "16", "32", "64", "128", "256"});
    GifLabels[1] = label(gif, "&Colors:", 4, 30, ComboBox5);
    CheckBox4 = b.Add(new TCheckBox(this), gif, "CheckBox4", 4, 58, 120, 20);
    CheckBox4->SetCaption("&Transparent:");
    Panel3 = swatch(gif, "Panel3", 250, 58);
    GifLabels[2] = label(gif, "T&ransparent color:", 130, 58, nullptr);
    CheckBox5 = b.Add(new TCheckBox(this), gif, "CheckBox5", 4, 84, 120, 20);
    CheckBox5->SetCaption("I&nterlaced:");
    Panel4 = swatch(gif, "Panel4", 250, 84);
    GifLabels[3] = label(gif, "&Background:", 130, 84, nullptr);
    GroupBoxGif = b.Group(gif, "GroupBoxGif", " Advanced ", 300, 0, 206, 100);
    Edit12 = b.Edit(GroupBoxGif, "Edit12", "0", 100, 14, 44);
    GifLabels[4] = label(GroupBoxGif, "&Delay time:", 4, 14, Edit12);
    GifLabels[7] = label(GroupBoxGif, "1/100 s", 148, 14, nullptr);
    Edit10 = b.Edit(GroupBoxGif, "Edit10", "0", 100, 40, 44);
    GifLabels[5] = label(GroupBoxGif, "&Horiz. Position:", 4, 40, Edit10);
    Edit11 = b.Edit(GroupBoxGif, "Edit11", "0", 100, 66, 44);
    GifLabels[6] = label(GroupBoxGif, "&Vert. Position:", 4, 66, Edit11);
    ComboBox5->OnChange = [this](TObject*) { ComboBox5Click(); };
    for (TEdit* e : {Edit9, Edit12, Edit10, Edit11}) e->OnChange = ComboBox5->OnChange;
    CheckBox4->OnClick = ComboBox5->OnChange;
    CheckBox5->OnClick = ComboBox5->OnChange;
    Panel3->OnClick = [this](TObject*) { Panel3Click(); };
    Panel4->OnClick = [this](TObject*) { Panel4Click(); };

    // BMP and PCX.
    TTabSheet* bmp = TabSheets[pgBMP];
    ComboBox6 = combo(bmp, "ComboBox6", 100, 4, 120, {"UNCOMPRESSED", "RLE"});
    BmpLabels[0] = label(bmp, "&Compression:", 4, 4, ComboBox6);
    ComboBox7 = combo(bmp, "ComboBox7", 100, 30, 120, {"B/W", "16", "256", "65536", "16M", "16M (32bit)"});
    BmpLabels[1] = label(bmp, "C&olors:", 4, 30, ComboBox7);
    ComboBox6->OnChange = [this](TObject*) { ComboBox6Change(); };
    ComboBox7->OnChange = ComboBox6->OnChange;
    TTabSheet* pcx = TabSheets[pgPCX];
    ComboBox8 = combo(pcx, "ComboBox8", 100, 4, 120, {"UNCOMPRESSED", "RLE"});
    PcxLabels[0] = label(pcx, "&Compression:", 4, 4, ComboBox8);
    ComboBox9 = combo(pcx, "ComboBox9", 100, 30, 120, {"B/W", "16", "256", "16M"});
    PcxLabels[1] = label(pcx, "C&olors:", 4, 30, ComboBox9);
    ComboBox8->OnChange = [this](TObject*) { ComboBox8Change(); };
    ComboBox9->OnChange = ComboBox8->OnChange;

    // PNG.
    TTabSheet* png = TabSheets[pgPNG];
    ComboBox10 = combo(png, "ComboBox10", 100, 4, 80, {"B/W", "256", "16M"});
    PngLabels[0] = label(png, "C&olors:", 4, 4, ComboBox10);
    Panel1 = swatch(png, "Panel1", 100, 30);
    PngLabels[1] = label(png, "&Background:", 4, 30, nullptr);
    GroupBoxPng = b.Group(png, "GroupBoxPng", " Advanced ", 200, 0, 200, 100);
    ComboBox11 = combo(GroupBoxPng, "ComboBox11", 90, 14, 90, {"NONE", "SUB", "PAETH"});
    PngLabels[2] = label(GroupBoxPng, "&Filter", 4, 14, ComboBox11);
    CheckBox6 = b.Add(new TCheckBox(this), GroupBoxPng, "CheckBox6", 4, 42, 150, 20);
    CheckBox6->SetCaption("I&nterlaced:");
    ComboBox12 = combo(GroupBoxPng, "ComboBox12", 90, 68, 90, {"NONE", "1", "2", "3", "4", "5", "6", "7", "8", "MAX"});
    PngLabels[3] = label(GroupBoxPng, "Co&mpression", 4, 68, ComboBox12);
    for (TComboBox* c : {ComboBox10, ComboBox11, ComboBox12}) c->OnChange = [this](TObject*) { ComboBox10Change(); };
    CheckBox6->OnClick = [this](TObject*) { ComboBox10Change(); };
    Panel1->OnClick = [this](TObject*) { Panel1Click(); };

    // TGA.
    TTabSheet* tga = TabSheets[pgTGA];
    ComboBox14 = combo(tga, "ComboBox14", 100, 4, 80, {"B/W", "256", "16M"});
    TgaLabels[0] = label(tga, "C&olors:", 4, 4, ComboBox14);
    Panel5 = swatch(tga, "Panel5", 100, 30);
    TgaLabels[1] = label(tga, "&Background:", 4, 30, nullptr);
    CheckBox1 = b.Add(new TCheckBox(this), tga, "CheckBox1", 4, 58, 150, 20);
    CheckBox1->SetCaption("Compression:");
    Edit13 = b.Edit(tga, "Edit13", "", 100, 84, 200);
    TgaLabels[2] = label(tga, "&Name:", 4, 84, Edit13);
    Edit14 = b.Edit(tga, "Edit14", "", 100, 110, 200);
    TgaLabels[3] = label(tga, "&Description:", 4, 110, Edit14);
    ComboBox14->OnChange = [this](TObject*) { ComboBox14Click(); };
    CheckBox1->OnClick = ComboBox14->OnChange;
    Edit13->OnChange = ComboBox14->OnChange;
    Edit14->OnChange = ComboBox14->OnChange;
    Panel5->OnClick = [this](TObject*) { Panel5Click(); };
}

// ---- Pages and language ----------------------------------------------------------------------

bool TfIOPreviews::SetPages(Word Pages) {
    FPages = Pages;
    if ((Pages & IOPreviewFileTypePage) && Params) {
        switch (Params->FileType) {
            case ioTIFF: FPages |= IOPreviewTIFF; break;
            case ioGIF: FPages |= IOPreviewGIF; break;
            case ioJPEG: FPages |= IOPreviewJPEG; break;
            case ioPCX: FPages |= IOPreviewPCX; break;
            case ioBMP: FPages |= IOPreviewBMP; break;
            case ioPNG: FPages |= IOPreviewPNG; break;
            case ioTGA: FPages |= IOPreviewTGA; break;
            default: break;
        }
    }
    return FPages != IOPreviewFileTypePage;
}

void TfIOPreviews::SetLanguage(TMsgLanguage Language) {
    auto w = [Language](Integer n) { return GetImgWord(n, Language); };
    auto c = [&](Integer n) { return w(n) + ":"; };
    auto box = [&](Integer n) { return " " + w(n) + " "; };
    SetCaption(w(37));
    Label1->SetCaption(c(1));
    Label2->SetCaption(c(2));
    Button2->SetCaption(w(4));
    Button1->SetCaption(w(3));
    Button3->SetCaption(w(0));
    SpeedButton1->SetHint(w(5));
    JpegLabels[0]->SetCaption(c(38));
    JpegLabels[1]->SetCaption(c(39));
    JpegLabels[3]->SetCaption(c(40));
    JpegLabels[2]->SetCaption(c(49));
    TiffLabels[2]->SetCaption(c(49));
    CheckBox2->SetCaption(w(42));
    CheckBox3->SetCaption(w(46));
    for (Integer i = 0; i < 7; ++i) {
        OriginalLabel[i]->SetCaption(c(43));
        CompressedLabel[i]->SetCaption(c(44));
    }
    for (TGroupBox* g : {GroupBoxJpeg, GroupBoxGif, GroupBoxPng}) g->SetCaption(box(45));
    for (TLabel* l : {TiffLabels[0], BmpLabels[0], PcxLabels[0], PngLabels[3]}) l->SetCaption(c(47));
    CheckBox1->SetCaption(c(47));
    TiffLabels[1]->SetCaption(c(48));
    GifLabels[0]->SetCaption(c(48));
    GroupBoxTiff->SetCaption(box(50));
    TiffLabels[6]->SetCaption(c(51));
    TiffLabels[7]->SetCaption(c(52));
    TgaLabels[2]->SetCaption(c(51));
    TgaLabels[3]->SetCaption(c(52));
    TiffLabels[8]->SetCaption(c(53));
    TiffLabels[9]->SetCaption(c(54));
    TiffLabels[10]->SetCaption(w(55));
    TiffLabels[4]->SetCaption(c(56));
    TiffLabels[5]->SetCaption(c(57));
    for (TLabel* l : {TiffLabels[3], GifLabels[1], BmpLabels[1], PcxLabels[1], PngLabels[0], TgaLabels[0]})
        l->SetCaption(c(58));
    CheckBox4->SetCaption(c(59));
    GifLabels[2]->SetCaption(c(60));
    CheckBox5->SetCaption(c(61));
    CheckBox6->SetCaption(w(61));
    for (TLabel* l : {GifLabels[3], PngLabels[1], TgaLabels[1]}) l->SetCaption(c(62));
    GifLabels[5]->SetCaption(c(63));
    GifLabels[6]->SetCaption(c(64));
    GifLabels[4]->SetCaption(c(65));
    PngLabels[2]->SetCaption(c(66));
    CancelCaption = "&" + w(4);
}

Integer TfIOPreviews::ActivePage() const {
    TTabSheet* sheet = PageControl1->GetActivePage();
    for (Integer i = 0; i < 7; ++i)
        if (TabSheets[i] == sheet) return i;
    return -1;
}

void TfIOPreviews::FormActivate() {
    // Nested dialogs (palettes, colours) hand the activation back: prepare the form only once.
    if (FActivated) return;
    FActivated = true;
    FReady = true;
    SpeedButton1->SetDown(DefaultLockPreview);
    Button3->SetEnabled(!SpeedButton1->GetDown());
    TTabSheet* first = nullptr;
    for (Integer i = 0; i < 7; ++i) {
        const bool visible = (FPages & IOPreviewAllPages) || (FPages & kPageValues[i]);
        TabSheets[i]->SetTabVisible(visible);
        if (visible && !first) first = TabSheets[i];
    }
    if (first) PageControl1->SetActivePage(first);
    LoadWorkingParams();
    ShowWorkingParams();
    Imago1->ZoomToFit();
    Application->ProcessMessages();
    PageControl1Change();
}

void TfIOPreviews::PageControl1Changing() {
    FReady = false;
}

void TfIOPreviews::PageControl1Change() {
    FReady = true;
    LoadWorkingParams();
    ShowWorkingParams();
    UpdatePreview();
}

void TfIOPreviews::Imago1ViewChange() {
    FollowSourceView();
}

void TfIOPreviews::FollowSourceView() {
    Imago2->BeginUpdate();
    Imago2->SetZoom(Imago1->GetZoom());
    Imago2->SetViewXY(Imago1->GetViewX(), Imago1->GetViewY());
    Imago2->EndUpdate();
}

// ---- Working copy ----------------------------------------------------------------------------

void TfIOPreviews::LoadWorkingParams() {
    if (!Params) return;
    W.P = *Params;
    const Integer bits = Params->BitsPerSample, samples = Params->SamplesPerPixel;
    if (samples == 1) {
        if (bits == 1) W.TiffChoice = 0, W.BmpChoice = 0, W.PcxChoice = 0;
        if (bits == 4) W.TiffChoice = 1, W.BmpChoice = 1, W.PcxChoice = 1;
        if (bits == 8) W.TiffChoice = 2, W.BmpChoice = 2, W.PcxChoice = 2;
        if (bits == 16) W.TiffChoice = 3;
        W.PngChoice = W.TgaChoice = bits == 1 ? 0 : 1;
    } else if (samples > 1) {
        if (samples == 3 && bits == 8) W.TiffChoice = 4, W.BmpChoice = 4;
        if (samples == 3 && bits == 5) W.BmpChoice = 3;
        if (samples == 3) W.PcxChoice = 3;
        W.PngChoice = W.TgaChoice = 2;
    }
    TiffDepth(W.TiffChoice, W.TiffBits, W.TiffSamples);
    if (W.P.TIFFPhotometInterpret == ioTIFF_CMYK) W.TiffBits = 8, W.TiffSamples = 4;
    W.GifBits = std::clamp<Integer>(bits, 1, 8);
}

void TfIOPreviews::ShowWorkingParams() {
    FReady = false;
    TBitmap* source = Imago1->GetBitmap();
    const Integer b = source->GetPixelFormat() == pf1bit ? 1 : 24;
    const Int64 size = Int64((Int64(b) * source->GetWidth() + 31) / 32) * 4 * source->GetHeight();
    const Integer page = ActivePage();
    if (page >= 0) OriginalSize[page]->SetCaption(IntToStr(size) + " bytes");
    const TIOParamsFields& p = W.P;
    switch (page) {
        case pgJPEG:
            Edit22->SetText(IntToStr(p.JPEGQuality));
            TrackBar13->SetPosition(p.JPEGQuality);
            ComboBox1->SetItemIndex(p.JPEGDCTMethod);
            ComboBox13->SetItemIndex(p.JPEGColorSpace);
            Edit23->SetText(IntToStr(p.JPEGSmooth));
            CheckBox2->SetChecked(p.JPEGOptimalHuffman);
            CheckBox3->SetChecked(p.JPEGProgressive);
            break;
        case pgTIFF:
            ComboBox2->SetItemIndex(p.TIFFCompression);
            Edit1->SetText(IntToStr(p.TIFFImageIndex));
            ComboBox3->SetItemIndex(p.TIFFPhotometInterpret);
            ComboBox4->SetItemIndex(W.TiffChoice);
            Edit2->SetText(IntToStr(p.TIFFXPos));
            Edit3->SetText(IntToStr(p.TIFFYPos));
            Edit4->SetText(p.TIFFDocumentName);
            Edit5->SetText(p.TIFFImageDescription);
            Edit6->SetText(p.TIFFPageName);
            Edit7->SetText(IntToStr(p.TIFFPageNumber));
            Edit8->SetText(IntToStr(p.TIFFTotalPages));
            ApplyPhotometricRule();
            break;
        case pgGIF:
            Edit9->SetText(IntToStr(p.GIFImageIndex));
            ComboBox5->SetItemIndex(W.GifBits - 1);
            CheckBox4->SetChecked(p.GIFTransparent);
            CheckBox5->SetChecked(p.GIFInterlaced);
            Edit12->SetText(IntToStr(p.GIFDelayTime));
            Edit10->SetText(IntToStr(p.GIFXPos));
            Edit11->SetText(IntToStr(p.GIFYPos));
            GifLabels[2]->SetEnabled(p.GIFTransparent);
            Panel3->SetEnabled(p.GIFTransparent);
            Panel3->SetColor(SwatchColour(p.GIFTranspColor));
            Panel4->SetColor(SwatchColour(p.GIFBackground));
            break;
        case pgBMP:
            ComboBox6->SetItemIndex(p.BMPCompression != 0 ? 1 : 0);
            ComboBox7->SetItemIndex(W.BmpChoice);
            break;
        case pgPCX:
            ComboBox8->SetItemIndex(p.PCXCompression != 0 ? 1 : 0);
            ComboBox9->SetItemIndex(W.PcxChoice);
            break;
        case pgPNG:
            ComboBox10->SetItemIndex(W.PngChoice);
            Panel1->SetColor(SwatchColour(p.PNGBackground));
            ComboBox11->SetItemIndex(p.PNGFilter);
            CheckBox6->SetChecked(p.PNGInterlaced);
            ComboBox12->SetItemIndex(p.PNGCompression);
            break;
        case pgTGA:
            ComboBox14->SetItemIndex(W.TgaChoice);
            Panel5->SetColor(SwatchColour(p.TGABackground));
            CheckBox1->SetChecked(p.TGACompressed);
            Edit13->SetText(p.TGAImageName);
            Edit14->SetText(p.TGADescriptor);
            break;
    }
    FReady = true;
}

void TfIOPreviews::ApplyPhotometricRule() {
    // The colour-space photometrics are 16M, the grey ones B/W; with the others the list is free
    // again, but B/W (which only the grey photometrics write) becomes 16M.
    const Integer photometric = ComboBox3->GetItemIndex();
    if (photometric == ioTIFF_CMYK || photometric == ioTIFF_YCBCR || photometric == ioTIFF_CIELAB) {
        ComboBox4->SetItemIndex(4);
        ComboBox4->SetEnabled(false);
    } else if (photometric == ioTIFF_WHITEISZERO || photometric == ioTIFF_BLACKISZERO) {
        ComboBox4->SetItemIndex(0);
        ComboBox4->SetEnabled(false);
    } else {
        ComboBox4->SetEnabled(true);
        if (ComboBox4->GetItemIndex() == 0) ComboBox4->SetItemIndex(4);
    }
}

// ---- Change handlers -------------------------------------------------------------------------

void TfIOPreviews::ChangedPreview() {
    if (!SpeedButton1->GetDown()) return;
    UpdatePreview();
    Imago2->Invalidate();
}

void TfIOPreviews::Edit22Change() {
    if (!FReady) return;
    const Integer quality = EditInt(Edit22, 50), smooth = EditInt(Edit23, 0);
    if (quality == W.P.JPEGQuality && smooth == W.P.JPEGSmooth) return;
    TrackBar13->SetPosition(quality);
    TrackBar13Change();
}

void TfIOPreviews::TrackBar13Change() {
    if (!FReady) return;
    TIOParamsFields& p = W.P;
    const Integer quality = TrackBar13->GetPosition(), smooth = EditInt(Edit23, 0);
    const Byte space = Byte(std::max<Integer>(ComboBox13->GetItemIndex(), 0));
    const Byte dct = Byte(std::max<Integer>(ComboBox1->GetItemIndex(), 0));
    const bool huffman = CheckBox2->GetChecked(), progressive = CheckBox3->GetChecked();
    if (quality == p.JPEGQuality && smooth == p.JPEGSmooth && space == p.JPEGColorSpace && dct == p.JPEGDCTMethod &&
        huffman == p.JPEGOptimalHuffman && progressive == p.JPEGProgressive) {
        if (Edit22->GetText() != IntToStr(quality)) {
            FReady = false;
            Edit22->SetText(IntToStr(quality));
            FReady = true;
        }
        return;
    }
    p.JPEGQuality = quality;
    p.JPEGSmooth = smooth;
    p.JPEGColorSpace = space;
    p.JPEGDCTMethod = dct;
    p.JPEGOptimalHuffman = huffman;
    p.JPEGProgressive = progressive;
    Edit22->SetText(IntToStr(quality));
    ChangedPreview();
}

void TfIOPreviews::ComboBox2Click() {
    if (!FReady) return;
    FReady = false;
    ApplyPhotometricRule();
    FReady = true;
    TIOParamsFields& p = W.P;
    p.TIFFImageIndex = EditInt(Edit1, 0);
    p.TIFFXPos = EditInt(Edit2, 0);
    p.TIFFYPos = EditInt(Edit3, 0);
    p.TIFFDocumentName = Edit4->GetText();
    p.TIFFImageDescription = Edit5->GetText();
    p.TIFFPageName = Edit6->GetText();
    p.TIFFPageNumber = EditInt(Edit7, 0);
    p.TIFFTotalPages = EditInt(Edit8, 0);
    const Byte compression = Byte(std::max<Integer>(ComboBox2->GetItemIndex(), 0));
    const Byte photometric = Byte(std::max<Integer>(ComboBox3->GetItemIndex(), 0));
    const Integer choice = std::max<Integer>(ComboBox4->GetItemIndex(), 0);
    Integer bits, samples;
    TiffDepth(choice, bits, samples);
    if (photometric == ioTIFF_CMYK) bits = 8, samples = 4;
    if (compression == p.TIFFCompression && photometric == p.TIFFPhotometInterpret && bits == W.TiffBits &&
        samples == W.TiffSamples)
        return;
    p.TIFFCompression = compression;
    p.TIFFPhotometInterpret = photometric;
    W.TiffChoice = choice;
    W.TiffBits = bits;
    W.TiffSamples = samples;
    ChangedPreview();
}

void TfIOPreviews::ComboBox5Click() {
    if (!FReady) return;
    TIOParamsFields& p = W.P;
    p.GIFImageIndex = EditInt(Edit9, 0);
    p.GIFXPos = EditInt(Edit10, 0);
    p.GIFYPos = EditInt(Edit11, 0);
    p.GIFDelayTime = EditInt(Edit12, 0);
    p.GIFTransparent = CheckBox4->GetChecked();
    GifLabels[2]->SetEnabled(p.GIFTransparent);
    Panel3->SetEnabled(p.GIFTransparent);
    const Integer bits = std::max<Integer>(ComboBox5->GetItemIndex(), 0) + 1;
    const bool interlaced = CheckBox5->GetChecked();
    if (bits == W.GifBits && interlaced == p.GIFInterlaced) return;
    W.GifBits = bits;
    p.GIFInterlaced = interlaced;
    ChangedPreview();
}

void TfIOPreviews::CompressionAndColours(TComboBox* Compression, TComboBox* Colours, Integer& Choice,
                                         Byte& Compressed) {
    if (!FReady) return;
    const Integer choice = std::max<Integer>(Colours->GetItemIndex(), 0);
    const Byte compressed = Compression->GetItemIndex() > 0 ? 1 : 0;
    if (choice == Choice && compressed == Compressed) return;
    Choice = choice;
    Compressed = compressed;
    ChangedPreview();
}

void TfIOPreviews::ComboBox6Change() {
    CompressionAndColours(ComboBox6, ComboBox7, W.BmpChoice, W.P.BMPCompression);
}

void TfIOPreviews::ComboBox8Change() {
    CompressionAndColours(ComboBox8, ComboBox9, W.PcxChoice, W.P.PCXCompression);
}

void TfIOPreviews::ComboBox10Change() {
    if (!FReady) return;
    TIOParamsFields& p = W.P;
    const Integer choice = std::max<Integer>(ComboBox10->GetItemIndex(), 0);
    const bool interlaced = CheckBox6->GetChecked();
    const Byte filter = Byte(std::max<Integer>(ComboBox11->GetItemIndex(), 0));
    const Integer level = std::max<Integer>(ComboBox12->GetItemIndex(), 0);
    if (choice == W.PngChoice && interlaced == p.PNGInterlaced && filter == p.PNGFilter && level == p.PNGCompression)
        return;
    W.PngChoice = choice;
    p.PNGInterlaced = interlaced;
    p.PNGFilter = filter;
    p.PNGCompression = level;
    ChangedPreview();
}

void TfIOPreviews::ComboBox14Click() {
    if (!FReady) return;
    TIOParamsFields& p = W.P;
    p.TGAImageName = Edit13->GetText();
    p.TGADescriptor = Edit14->GetText();
    const Integer choice = std::max<Integer>(ComboBox14->GetItemIndex(), 0);
    const bool compressed = CheckBox1->GetChecked();
    if (choice == W.TgaChoice && compressed == p.TGACompressed) return;
    W.TgaChoice = choice;
    p.TGACompressed = compressed;
    ChangedPreview();
}

// ---- Colour swatches -------------------------------------------------------------------------

bool TfIOPreviews::ChooseSwatchColour(TPanel* Swatch, bool PaletteAlways, Integer Entries, TColor& Colour) {
    TIOParamsVals* p = PreviewIO->GetParams();
    std::vector<TImgRGB> palette = p->Palette;
    // A 1-bit source is never reduced, so its palette stays unfilled: offer its black and white.
    if (PaletteAlways && Imago1->GetBitmap()->GetPixelFormat() == pf1bit) {
        palette = {ImgRGB(0, 0, 0), ImgRGB(255, 255, 255)};
        Entries = 2;
    }
    if (PaletteAlways || !palette.empty()) {
        palette.resize(std::max<size_t>(palette.size(), size_t(std::max<Integer>(Entries, 0))));
        std::unique_ptr<TImagoPaletteDialog, void (*)(TObject*)> dialog(new TImagoPaletteDialog(nullptr), FreeObject);
        dialog->SetPalette(palette.data(), Entries);
        dialog->CancelButton->SetCaption(CancelCaption);
        if (!dialog->Execute()) return false;
        Colour = dialog->GetSelectedColor();
        return true;
    }
    TColorDialog dialog(nullptr);
    dialog.SetName("ColorDialog1");
    dialog.SetColor(Swatch->GetColor());
    if (!dialog.Execute()) return false;
    Colour = dialog.GetColor();
    return true;
}

void TfIOPreviews::PickSwatch(TPanel* Swatch, bool PaletteAlways, Integer Entries, TImgRGB& Colour) {
    TColor chosen;
    if (!ChooseSwatchColour(Swatch, PaletteAlways, Entries, chosen)) return;
    Swatch->SetColor(chosen);
    Colour = ColorToImgRGB(chosen);
}

Integer TfIOPreviews::PreviewPaletteEntries() const {
    const TIOParamsVals* p = PreviewIO->GetParams();
    return Integer(std::min<Int64>(ColorCountOfDepth(p->BitsPerSample, p->SamplesPerPixel), 256));
}

void TfIOPreviews::Panel3Click() {
    PickSwatch(Panel3, true, Integer(1) << W.GifBits, W.P.GIFTranspColor);
}

void TfIOPreviews::Panel4Click() {
    PickSwatch(Panel4, true, Integer(1) << W.GifBits, W.P.GIFBackground);
}

void TfIOPreviews::Panel1Click() {
    PickSwatch(Panel1, false, PreviewPaletteEntries(), W.P.PNGBackground);
}

void TfIOPreviews::Panel5Click() {
    PickSwatch(Panel5, false, PreviewPaletteEntries(), W.P.TGABackground);
}

// ---- The preview -----------------------------------------------------------------------------

void TfIOPreviews::IOProgress(Integer Percent) {
    ProgressBar1->SetPosition(Percent / std::max<Integer>(ProgressDivisor, 1) + ProgressOffset);
}

void TfIOPreviews::ReducePalette() {
    TIOParamsVals* p = PreviewIO->GetParams();
    const Int64 count = ColorCountOfDepth(p->BitsPerSample, p->SamplesPerPixel);
    if (count > 256) {
        p->FreePalette();
        return;
    }
    PreviewProc->SetAttachedBitmap(Imago2->GetBitmap());
    p->Palette.assign(size_t(count), TImgRGB{});
    PreviewProc->ReduceColorsGetPalette(Integer(count), p->Palette.data());
}

void TfIOPreviews::UpdatePreview() {
    const Integer page = ActivePage();
    if (page < 0) return;
    TMemoryStream memory;
    TNulStream counter;
    TBitmap* source = Imago1->GetBitmap();
    PreviewIO->SetAttachedBitmap(source);
    ProgressOffset = 0;
    ProgressDivisor = 1;
    TIOParamsVals* p = PreviewIO->GetParams();
    const TIOParamsFields& w = W.P;
    auto encoded = [&](Int64 size) { CompressedSize[page]->SetCaption(IntToStr(size) + " bytes"); };
    auto copyResult = [&] { CopyBitmap(source, Imago2->GetBitmap()); };
    switch (page) {
        case pgJPEG:
            ProgressDivisor = 2;
            p->JPEGQuality = w.JPEGQuality;
            p->JPEGColorSpace = w.JPEGColorSpace;
            if (w.JPEGDCTMethod <= 2) p->JPEGDCTMethod = w.JPEGDCTMethod;
            p->JPEGOptimalHuffman = w.JPEGOptimalHuffman;
            p->JPEGSmooth = w.JPEGSmooth;
            p->JPEGProgressive = w.JPEGProgressive;
            PreviewIO->SaveToStreamJPEG(&memory);
            encoded(memory.GetSize());
            memory.SetPosition(0);
            PreviewIO->SetAttachedBitmap(Imago2->GetBitmap());
            ProgressOffset = 50;
            PreviewIO->LoadFromStreamJPEG(&memory);
            break;
        case pgTIFF:
            p->TIFFLZWCompress = w.TIFFLZWCompress;
            p->TIFFLZWDecompress = w.TIFFLZWDecompress;
            p->TIFFCompression = w.TIFFCompression;
            p->TIFFPhotometInterpret = w.TIFFPhotometInterpret;
            p->SamplesPerPixel = W.TiffSamples;
            p->BitsPerSample = W.TiffBits;
            PreviewIO->SaveToStreamTIFF(&counter);
            encoded(counter.GetSize());
            copyResult();
            if (w.TIFFPhotometInterpret < ioTIFF_CMYK) ReducePalette();
            break;
        case pgGIF:
            p->GIFLZWCompress = w.GIFLZWCompress;
            p->GIFLZWDecompress = w.GIFLZWDecompress;
            p->BitsPerSample = W.GifBits;
            p->SamplesPerPixel = 1;
            p->GIFInterlaced = w.GIFInterlaced;
            PreviewIO->SaveToStreamGIF(&counter);
            encoded(counter.GetSize());
            copyResult();
            ReducePalette();
            break;
        case pgBMP:
        case pgPCX: {
            if (page == pgBMP) {
                p->BMPCompression = w.BMPCompression;
                BmpDepth(W.BmpChoice, p->BitsPerSample, p->SamplesPerPixel);
                PreviewIO->SaveToStreamBMP(&counter);
            } else {
                p->PCXCompression = w.PCXCompression;
                PcxDepth(W.PcxChoice, p->BitsPerSample, p->SamplesPerPixel);
                PreviewIO->SaveToStreamPCX(&counter);
            }
            encoded(counter.GetSize());
            copyResult();
            const Int64 n = ColorCountOfDepth(p->BitsPerSample, p->SamplesPerPixel);
            if (n <= 256) {
                PreviewProc->SetAttachedBitmap(Imago2->GetBitmap());
                PreviewProc->ReduceColors(Integer(n));
            }
            p->FreePalette();
            break;
        }
        case pgPNG:
            PngDepth(W.PngChoice, p->BitsPerSample, p->SamplesPerPixel);
            p->PNGInterlaced = w.PNGInterlaced;
            p->PNGFilter = w.PNGFilter;
            p->PNGCompression = w.PNGCompression;
            PreviewIO->SaveToStreamPNG(&counter);
            encoded(counter.GetSize());
            copyResult();
            ReducePalette();
            break;
        case pgTGA:
            PngDepth(W.TgaChoice, p->BitsPerSample, p->SamplesPerPixel);
            p->TGACompressed = w.TGACompressed;
            PreviewIO->SaveToStreamTGA(&counter);
            encoded(counter.GetSize());
            copyResult();
            ReducePalette();
            break;
    }
    // The components let go of the bitmaps before anything else may replace them.
    PreviewIO->SetAttachedBitmap(nullptr);
    PreviewProc->SetAttachedBitmap(nullptr);
    ProgressBar1->SetPosition(0);
    Imago2->Update();
    FollowSourceView();
}

// ---- Buttons ---------------------------------------------------------------------------------

void TfIOPreviews::SpeedButton1Click() {
    if (SpeedButton1->GetDown()) UpdatePreview();
    Button3->SetEnabled(!SpeedButton1->GetDown());
}

void TfIOPreviews::Button3Click() {
    UpdatePreview();
}

void TfIOPreviews::Button1Click() {
    if (Params) {
        TIOParamsVals& p = *Params;
        const TIOParamsFields& w = W.P;
        switch (ActivePage()) {
            case pgJPEG:
                p.JPEGQuality = w.JPEGQuality;
                p.JPEGColorSpace = w.JPEGColorSpace;
                if (w.JPEGDCTMethod <= 2) p.JPEGDCTMethod = w.JPEGDCTMethod;
                p.JPEGOptimalHuffman = w.JPEGOptimalHuffman;
                p.JPEGSmooth = w.JPEGSmooth;
                p.JPEGProgressive = w.JPEGProgressive;
                break;
            case pgTIFF:
                p.TIFFCompression = w.TIFFCompression;
                p.TIFFImageIndex = w.TIFFImageIndex;
                p.TIFFPhotometInterpret = w.TIFFPhotometInterpret;
                p.TIFFXPos = w.TIFFXPos;
                p.TIFFYPos = w.TIFFYPos;
                p.TIFFDocumentName = w.TIFFDocumentName;
                p.TIFFImageDescription = w.TIFFImageDescription;
                p.TIFFPageName = w.TIFFPageName;
                p.TIFFPageNumber = w.TIFFPageNumber;
                p.TIFFTotalPages = w.TIFFTotalPages;
                p.SamplesPerPixel = W.TiffSamples;
                p.BitsPerSample = W.TiffBits;
                break;
            case pgGIF:
                p.GIFImageIndex = w.GIFImageIndex;
                p.GIFXPos = w.GIFXPos;
                p.GIFYPos = w.GIFYPos;
                p.GIFDelayTime = w.GIFDelayTime;
                p.GIFTransparent = w.GIFTransparent;
                p.GIFTranspColor = w.GIFTranspColor;
                p.GIFInterlaced = w.GIFInterlaced;
                p.GIFBackground = w.GIFBackground;
                p.BitsPerSample = W.GifBits;
                break;
            case pgBMP:
                p.BMPCompression = w.BMPCompression;
                BmpDepth(W.BmpChoice, p.BitsPerSample, p.SamplesPerPixel);
                break;
            case pgPCX:
                p.PCXCompression = w.PCXCompression;
                PcxDepth(W.PcxChoice, p.BitsPerSample, p.SamplesPerPixel);
                break;
            case pgPNG:
                PngDepth(W.PngChoice, p.BitsPerSample, p.SamplesPerPixel);
                p.PNGBackground = w.PNGBackground;
                p.PNGInterlaced = w.PNGInterlaced;
                p.PNGFilter = w.PNGFilter;
                p.PNGCompression = w.PNGCompression;
                break;
            case pgTGA:
                PngDepth(W.TgaChoice, p.BitsPerSample, p.SamplesPerPixel);
                p.TGABackground = w.TGABackground;
                p.TGACompressed = w.TGACompressed;
                p.TGAImageName = w.TGAImageName;
                p.TGADescriptor = w.TGADescriptor;
                break;
        }
    }
    SetModalResult(mrOk);
}
