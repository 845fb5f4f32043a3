#pragma once
// TfIOPreviews, the save-parameters form: one page per writable format (JPEG, TIFF, GIF, BMP,
// PCX, PNG, TGA) whose controls edit a TIOParamsVals in place. While the user changes options the
// image is encoded with them: the page shows how many bytes the file would take, and the result
// view shows the decoded JPEG or the image reduced to the chosen colours. OK writes the active
// page's options into the parameters; Cancel writes nothing. Built in code with the component
// names of its form resource; the components are public for the callers (OnIOPreview) and tests.

#include <string>

#include "framework/forms.h"
#include "imaging/formats/io_params.h"
#include "imaging/img_types.h"

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TGroupBox;
class TImago;
class TImagoIO;
class TImagoProc;
class TLabel;
class TPageControl;
class TPanel;
class TProgressBar;
class TSpeedButton;
class TTabSheet;
class TTrackBar;
class TUpDown;

// The page-set bits (1: every page; 2: the page of Params.FileType).
constexpr Word IOPreviewAllPages = 1, IOPreviewFileTypePage = 2, IOPreviewJPEG = 4, IOPreviewTIFF = 8,
               IOPreviewGIF = 16, IOPreviewBMP = 32, IOPreviewPCX = 64, IOPreviewPNG = 128, IOPreviewTGA = 256;

class TfIOPreviews : public TForm {
    LUMORA_CLASS(TfIOPreviews, TForm)
public:
    explicit TfIOPreviews(TComponent* AOwner);
    ~TfIOPreviews() override;

    // Set by the caller before the form is shown: the parameters edited (not owned) and the
    // lock button's first state.
    TIOParamsVals* Params = nullptr;
    bool DefaultLockPreview = false;

    // Stores Pages, adding the page of Params.FileType when it holds 2; false when the set is
    // then 2 alone (no page to show).
    bool SetPages(Word Pages);
    Word GetPages() const { return FPages; }
    void SetLanguage(TMsgLanguage Language);
    // Encodes the image with the active page's working options, shows the size and the result.
    void UpdatePreview();
    void LoadWorkingParams();
    void ShowWorkingParams();
    void IOProgress(Integer Percent);

    // The working copy: the parameters' fields, and the colour choices of the pages that have one
    // (list positions).
    struct TWorking {
        TIOParamsFields P;
        Integer TiffBits = 8, TiffSamples = 3, TiffChoice = 4;
        Integer GifBits = 8;
        Integer BmpChoice = 4, PcxChoice = 3, PngChoice = 2, TgaChoice = 2;
    };
    const TWorking& Working() const { return W; }
    TImagoIO* GetPreviewIO() const { return PreviewIO; }
    const std::string& GetCancelCaption() const { return CancelCaption; }

    // The colour choices' depths: BitsPerSample and SamplesPerPixel of list position Choice.
    static void TiffDepth(Integer Choice, Integer& Bits, Integer& Samples);
    static void BmpDepth(Integer Choice, Integer& Bits, Integer& Samples);
    static void PcxDepth(Integer Choice, Integer& Bits, Integer& Samples);
    static void PngDepth(Integer Choice, Integer& Bits, Integer& Samples);

    // The form's components.
    TPanel* Panel2 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TImago* Imago1 = nullptr;
    TImago* Imago2 = nullptr;
    TProgressBar* ProgressBar1 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;
    TButton* Button3 = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;
    TPageControl* PageControl1 = nullptr;
    TTabSheet* TabSheets[7] = {};  // JPEG, TIFF, GIF, BMP, PCX, PNG, TGA
    // Per page: the "Original size:" and "Compressed size:" labels and their values.
    TLabel* OriginalLabel[7] = {};
    TLabel* CompressedLabel[7] = {};
    TLabel* OriginalSize[7] = {};
    TLabel* CompressedSize[7] = {};
    // JPEG.
    TEdit* Edit22 = nullptr;
    TTrackBar* TrackBar13 = nullptr;
    TGroupBox* GroupBoxJpeg = nullptr;
    TComboBox* ComboBox1 = nullptr;
    TComboBox* ComboBox13 = nullptr;
    TEdit* Edit23 = nullptr;
    TUpDown* UpDown11 = nullptr;
    TCheckBox* CheckBox2 = nullptr;
    TCheckBox* CheckBox3 = nullptr;
    TLabel* JpegLabels[4] = {};  // quality, DCT method, photometric, smoothing
    // TIFF.
    TComboBox* ComboBox2 = nullptr;
    TEdit* Edit1 = nullptr;
    TUpDown* UpDown1 = nullptr;
    TComboBox* ComboBox3 = nullptr;
    TComboBox* ComboBox4 = nullptr;
    TGroupBox* GroupBoxTiff = nullptr;
    TEdit* Edit2 = nullptr;
    TEdit* Edit3 = nullptr;
    TEdit* Edit4 = nullptr;
    TEdit* Edit5 = nullptr;
    TEdit* Edit6 = nullptr;
    TEdit* Edit7 = nullptr;
    TEdit* Edit8 = nullptr;
    TLabel* TiffLabels[12] = {};  // compression, index, photometric, colours, x, y, name, description,
        // page name, page number, of
    // GIF.
    TEdit* Edit9 = nullptr;
    TUpDown* UpDown2 = nullptr;
    TComboBox* ComboBox5 = nullptr;
    TCheckBox* CheckBox4 = nullptr;
    TPanel* Panel3 = nullptr;
    TCheckBox* CheckBox5 = nullptr;
    TPanel* Panel4 = nullptr;
    TGroupBox* GroupBoxGif = nullptr;
    TEdit* Edit12 = nullptr;
    TEdit* Edit10 = nullptr;
    TEdit* Edit11 = nullptr;
    TLabel* GifLabels[8] = {};  // index, colours, transparent colour, background, delay, x, y, "1/100 s"
    // BMP and PCX.
    TComboBox* ComboBox6 = nullptr;
    TComboBox* ComboBox7 = nullptr;
    TComboBox* ComboBox8 = nullptr;
    TComboBox* ComboBox9 = nullptr;
    TLabel* BmpLabels[2] = {};
    TLabel* PcxLabels[2] = {};
    // PNG.
    TComboBox* ComboBox10 = nullptr;
    TPanel* Panel1 = nullptr;
    TGroupBox* GroupBoxPng = nullptr;
    TComboBox* ComboBox11 = nullptr;
    TCheckBox* CheckBox6 = nullptr;
    TComboBox* ComboBox12 = nullptr;
    TLabel* PngLabels[4] = {};  // colours, background, filter, compression
    // TGA.
    TComboBox* ComboBox14 = nullptr;
    TPanel* Panel5 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TEdit* Edit13 = nullptr;
    TEdit* Edit14 = nullptr;
    TLabel* TgaLabels[4] = {};  // colours, background, name, description

    // The handlers, by the events of the form resource.
    void FormActivate();
    void PageControl1Change();
    void PageControl1Changing();
    void Imago1ViewChange();
    void Edit22Change();
    void TrackBar13Change();
    void ComboBox2Click();
    void ComboBox5Click();
    void ComboBox6Change();
    void ComboBox8Change();
    void ComboBox10Change();
    void ComboBox14Click();
    void Panel3Click();
    void Panel4Click();
    void Panel1Click();
    void Panel5Click();
    void SpeedButton1Click();
    void Button3Click();
    void Button1Click();

private:
    void BuildComponents();
    void BuildJpegTiffPages();
    void BuildOtherPages();
    Integer ActivePage() const;
    // The TIFF photometric rule on the colours list.
    void ApplyPhotometricRule();
    void ChangedPreview();
    // The palette dialog or the colour dialog for a swatch; true with Colour set on OK.
    bool ChooseSwatchColour(TPanel* Swatch, bool PaletteAlways, Integer Entries, TColor& Colour);
    // The same, then the swatch and the working colour take the colour chosen.
    void PickSwatch(TPanel* Swatch, bool PaletteAlways, Integer Entries, TImgRGB& Colour);
    // The palette entries of the last preview's depth (at most 256).
    Integer PreviewPaletteEntries() const;
    // The BMP and PCX pages: a compression list and a colours list.
    void CompressionAndColours(TComboBox* Compression, TComboBox* Colours, Integer& Choice, Byte& Compressed);
    // The result view reduced to the colours of the preview parameters' depth, whose palette
    // then holds them (none above 256 colours).
    void ReducePalette();
    void FollowSourceView();

    TImagoIO* PreviewIO = nullptr;
    TImagoProc* PreviewProc = nullptr;
    std::string CancelCaption = "&Cancel";
    bool FReady = false;
    bool FActivated = false;
    Word FPages = 0;
    Integer ProgressOffset = 0;
    Integer ProgressDivisor = 1;
    TWorking W;
};
