#pragma once
// TfPreviews, the processing preview dialog: on up to twelve pages (contrast and brightness, HSV,
// HSL, RGB, user filter, equalization, bump map, lens, wave, morph filters, rotate and flip, FFT)
// the user sets the parameters of one operation and sees its effect on the visible part of the
// source beside it. "<<" applies the effect to the source so that effects can be chained; OK
// applies the active page's operation to the full-size source copy, which TImagoProc.ShowPreviews
// takes back. Built in code with the component names of its form resource; the components are
// public so that callers (OnPreview) and tests can reach them.
//
// Previews run on the source view's displayed extent, with positions and sizes measured in
// source pixels scaled to it; the full-size operation runs only on OK and "<<".

#include <initializer_list>
#include <memory>

#include "framework/forms.h"
#include "imaging/img_filters.h"
#include "imaging/img_types.h"

class TButton;
class TCheckBox;
class TCheckListBox;
class TEdit;
class TGroupBox;
class THistogramBox;
class THSVBox;
class TImago;
class TImagoProc;
class TImagoView;
class TImgFtImage;
class TLabel;
class TListBox;
class TPageControl;
class TProgressBar;
class TRulerBox;
class TSpeedButton;
class TTabSheet;
class TTrackBar;
class TUpDown;

// The page-set bits (1: every page).
constexpr Word PreviewAllPages = 1;
constexpr Word PreviewContrast = 2, PreviewHSV = 4, PreviewHSL = 8, PreviewRGB = 16, PreviewUserFilter = 32,
               PreviewEqualization = 64, PreviewBumpMap = 128, PreviewLens = 256, PreviewWave = 512,
               PreviewMorph = 1024, PreviewRotate = 2048, PreviewFFT = 4096;

class TfPreviews : public TForm {
    LUMORA_CLASS(TfPreviews, TForm)
public:
    explicit TfPreviews(TComponent* AOwner);
    ~TfPreviews() override;

    // Set before the form is shown.
    bool DefaultLockPreview = false;
    Word Pages = PreviewAllPages;
    TImgProgressTarget ProgressTarget;

    void SetLanguage(TMsgLanguage Language);
    // With ResetAll every page starts again from its initial values; then the active page, when
    // it was not yet initialised, takes them.
    void InitPage(bool ResetAll);
    // Rebuilds the result view from the visible part of the source view.
    void RefreshPreview();
    // The active page's operation on View's bitmap: Imago2 (the preview, scaled) or Imago1 (the
    // full-size source copy).
    void ApplyEffect(TImago* View);
    void ApplyToSource();
    void ShowUserFilter();

    // The working values.
    struct TValues {
        Integer Contrast = 0, Brightness = 0, AvgRed = 128, AvgGreen = 128, AvgBlue = 128;
        Integer HsvHue = 0, HsvSat = 0, HsvVal = 0;
        Integer HslHue = 0, HslSat = 0, HslLum = 0;
        Integer Red = 0, Green = 0, Blue = 0;
        TImgUserFilter Filter;
        Integer ThrLow[3] = {0, 0, 0}, ThrHigh[3] = {255, 255, 255};
        Integer StrBlack[3] = {0, 0, 0}, StrWhite[3] = {255, 255, 255};
        Integer BumpLeft = 0, BumpTop = 0, BumpWidth = 0, BumpHeight = 0, BumpColour = 0xFFFFFF, BumpPercent = 0;
        Integer LensLeft = 0, LensTop = 0, LensWidth = 0, LensHeight = 0;
        double Refraction = 1.7;
        Integer Amplitude = 10, WaveLength = 10, Phase = 0;
        bool Reflective = false;
        Integer MorphKind = 0, MorphSize = 1;
        Integer Angle = 0;
    };
    const TValues& Values() const { return V; }
    TImgFtImage* GetTransform() const { return FTransform.get(); }

    // The form's components.
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TImago* Imago1 = nullptr;
    TImago* Imago2 = nullptr;
    TButton* Button6 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;
    TButton* Button3 = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;
    TPageControl* PageControl1 = nullptr;
    TImagoProc* ImagoProc1 = nullptr;
    TImagoProc* ImagoProc2 = nullptr;
    // Pages in tab order: Contrast, HSV, HSL, RGB, User filter, Equalization, Bump map, Lens,
    // Wave, Morph filters, Rotate, FFT.
    TTabSheet* TabSheet1 = nullptr;
    TTabSheet* TabSheet5 = nullptr;
    TTabSheet* TabSheet2 = nullptr;
    TTabSheet* TabSheet3 = nullptr;
    TTabSheet* TabSheet4 = nullptr;
    TTabSheet* TabSheet6 = nullptr;
    TTabSheet* TabSheet7 = nullptr;
    TTabSheet* TabSheet8 = nullptr;
    TTabSheet* TabSheet9 = nullptr;
    TTabSheet* TabSheet10 = nullptr;
    TTabSheet* TabSheet11 = nullptr;
    TTabSheet* TabSheet12 = nullptr;
    // Contrast.
    TTrackBar* TrackBar1 = nullptr;
    TTrackBar* TrackBar12 = nullptr;
    TEdit* Edit1 = nullptr;
    TEdit* Edit21 = nullptr;
    TLabel* LabelContrast = nullptr;
    TLabel* LabelBrightness = nullptr;
    // HSV.
    TTrackBar* TrackBar9 = nullptr;
    TTrackBar* TrackBar10 = nullptr;
    TTrackBar* TrackBar11 = nullptr;
    TEdit* Edit19 = nullptr;
    TEdit* Edit18 = nullptr;
    TEdit* Edit17 = nullptr;
    THSVBox* HSVBox3 = nullptr;
    THSVBox* HSVBox1 = nullptr;
    TLabel* LabelHsv[5] = {};
    // HSL.
    TTrackBar* TrackBar2 = nullptr;
    TTrackBar* TrackBar3 = nullptr;
    TTrackBar* TrackBar5 = nullptr;
    TEdit* Edit4 = nullptr;
    TEdit* Edit2 = nullptr;
    TEdit* Edit3 = nullptr;
    TLabel* LabelHsl[3] = {};
    // RGB.
    TTrackBar* TrackBar6 = nullptr;
    TTrackBar* TrackBar7 = nullptr;
    TTrackBar* TrackBar8 = nullptr;
    TEdit* Edit7 = nullptr;
    TEdit* Edit6 = nullptr;
    TEdit* Edit5 = nullptr;
    TLabel* LabelRgb[3] = {};
    // User filter: the coefficient edits Edit8..Edit16 (tags 0..8) and the divisor Edit20 (tag 9).
    TEdit* FilterEdits[10] = {};
    TUpDown* FilterUpDowns[10] = {};
    TEdit* Edit20 = nullptr;
    TListBox* ListBox1 = nullptr;
    TButton* Button4 = nullptr;
    TButton* Button5 = nullptr;
    TGroupBox* GroupBoxFilter = nullptr;
    TGroupBox* GroupBoxPresets = nullptr;
    TLabel* LabelDivisor = nullptr;
    // Equalization.
    TRulerBox* RulerBox1 = nullptr;
    TRulerBox* RulerBox2 = nullptr;
    THistogramBox* HistogramBox1 = nullptr;
    TCheckListBox* CheckListBox1 = nullptr;
    TSpeedButton* SpeedButton3 = nullptr;
    TLabel* Label16 = nullptr;
    TLabel* Label17 = nullptr;
    TLabel* Label20 = nullptr;
    TLabel* Label21 = nullptr;
    TLabel* LabelEqualization = nullptr;
    TLabel* LabelThreshold = nullptr;
    TGroupBox* GroupBoxHistogram = nullptr;
    // Bump map: Edit22..Edit26; Lens: Edit27..Edit31; Wave: Edit32..Edit34.
    TEdit* Edit22 = nullptr;
    TEdit* Edit23 = nullptr;
    TEdit* Edit24 = nullptr;
    TEdit* Edit25 = nullptr;
    TEdit* Edit26 = nullptr;
    THSVBox* HSVBox2 = nullptr;
    TGroupBox* GroupBoxBump = nullptr;
    TLabel* LabelBump[6] = {};
    TEdit* Edit27 = nullptr;
    TEdit* Edit28 = nullptr;
    TEdit* Edit29 = nullptr;
    TEdit* Edit30 = nullptr;
    TEdit* Edit31 = nullptr;
    TGroupBox* GroupBoxLens = nullptr;
    TLabel* LabelLens[5] = {};
    TEdit* Edit32 = nullptr;
    TEdit* Edit33 = nullptr;
    TEdit* Edit34 = nullptr;
    TCheckBox* CheckBox2 = nullptr;
    TGroupBox* GroupBoxWave = nullptr;
    TLabel* LabelWave[3] = {};
    // Morph filters.
    TListBox* ListBox2 = nullptr;
    TEdit* Edit35 = nullptr;
    TGroupBox* GroupBoxMorph = nullptr;
    TLabel* LabelMorph[2] = {};
    // Rotate.
    TTrackBar* TrackBarRotate = nullptr;
    TEdit* EditRotate = nullptr;
    TSpeedButton* SpeedButtonFlipHor = nullptr;
    TSpeedButton* SpeedButtonFlipVer = nullptr;
    TLabel* LabelRotate = nullptr;
    TLabel* LabelFlip = nullptr;
    // FFT.
    TImagoView* ImagoView1 = nullptr;
    TProgressBar* ProgressBar1 = nullptr;
    TButton* Clear = nullptr;
    TButton* Button7 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TGroupBox* GroupBoxFFT = nullptr;

    // The handlers, by the events of the form resource.
    void FormActivate();
    void PageControl1Change();
    void Imago1ViewChange();
    void Imago2MouseUp(TMouseButton Button, Integer X, Integer Y);
    void Button1Click();
    void Button3Click();
    void Button6Click();
    void SpeedButton1Click();
    void TrackBar1Change();
    void Edit1Change();
    void TrackBar9Change();
    void Edit19Change();
    void HSVBox3Change();
    void TrackBar2Change();
    void Edit4Change();
    void TrackBar6Change();
    void Edit7Change();
    void Edit8Change(TObject* Sender);
    void ListBox1Click();
    void Button4Click();
    void Button5Click();
    void RulerBox1RulerPosChange(Integer Grip);
    void RulerBox2RulerPosChange(Integer Grip);
    void CheckListBox1Click();
    void SpeedButton3Click();
    void Edit22Change();
    void HSVBox2Change();
    void Edit27Change();
    void Edit32Change();
    void Edit35Change();
    void TrackBarRotateChange();
    void EditRotateChange();
    void SpeedButtonFlipHorClick();
    void ClearClick();
    void Button7Click();
    void CheckBox1Click();
    void ImagoProc2Progress(Integer Per);

    // The preset filters of ListBox1, in its order.
    static const TImgUserFilter& Preset(Integer Index);

private:
    void BuildComponents();
    void BuildColourPages();
    void BuildFilterPage();
    void BuildEqualizationPage();
    void BuildGeometryPages();
    void BuildFFTPage();
    // The colour pages: track bars with their edits and working values. A track bar moved writes
    // its edit and, when a value changed, updates the preview; an edit changed moves the bars
    // (which limit the value) and runs BarChange.
    using TBars = std::initializer_list<TTrackBar*>;
    using TEdits = std::initializer_list<TEdit*>;
    using TValuePtrs = std::initializer_list<Integer*>;
    void BarsChanged(TBars Bars, TEdits Edits, TValuePtrs Values);
    void EditsChanged(TBars Bars, TEdits Edits, TValuePtrs Values, void (TfPreviews::*BarChange)());
    bool Locked() const;
    // With the lock down: the preview restored, the active page's effect on it, repainted.
    void LivePreview();
    void RestoreAndApply();
    // A ruler grip moved: keeps the grips in order, writes the label, then the channels.
    void RulerMoved(TRulerBox* Ruler, Integer Grip, TLabel* Low, TLabel* High, Integer* Lows, Integer* Highs);
    Integer ActiveTag() const;
    TTabSheet* ActiveSheet() const;

    TValues V;
    bool FReady = false;
    bool FFilterReady = false;
    bool FUseProgress = false;
    bool FFlipClicked = false;
    bool FActivated = false;
    bool FRefreshing = false;
    bool FInitialised[12] = {};
    std::unique_ptr<TImgFtImage> FTransform;
    // The transform with the selected zone cleared, which the live preview shows; kept so that
    // its planes are reused from one update to the next.
    std::unique_ptr<TImgFtImage> FZoned;
    Integer FProgressOffset = 0;
};
