// The main window's viewer: the image view with its I/O and processing components and the
// rich-text view, showing the current file in them (an image at its default zoom or fitted, a
// text file in the text view, the other kinds named in caption and label), the caption and the
// file label, unloading and the screen's depth.

#include "app/main_window.h"
#include "app/viewer_rules.h"
#include "catalogue/file_list.h"
#include "catalogue/img_functions.h"
#include "framework/actions.h"
#include "framework/dialog_service.h"
#include "framework/file_utils.h"
#include "framework/image_list.h"
#include "framework/math_utils.h"
#include "framework/menus.h"
#include "framework/rich_edit.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"
#include "framework/timer.h"
#include "framework/window_backend.h"
#include "imaging/controls/imago_mview.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_proc.h"
#include "imaging/img_view.h"

// ---------------------------------------------------------------------------------------------
// The components

namespace {

TAction* NewAction(TComponent* Owner, const char* Name, const char* Caption, TNotifyEvent OnExecute,
                   TShortCut ShortCut = 0) {
    auto* action = new TAction(Owner);
    action->SetName(Name);
    action->SetCaption(Caption);
    action->SetShortCut(ShortCut);
    action->OnExecute = std::move(OnExecute);
    return action;
}

TPopupMenu* NewPopup(TComponent* Owner, const char* Name) {
    auto* menu = new TPopupMenu(Owner);
    menu->SetName(Name);
    return menu;
}

TMenuItem* NewItem(TComponent* Owner, TMenuItem* Parent, const char* Name, const char* Caption) {
    auto* item = new TMenuItem(Owner);
    item->SetName(Name);
    item->SetCaption(Caption);
    Parent->Add(item);
    return item;
}

}  // namespace

void TfrmMain::BuildViewer() {
    imgimage = new TImagoView(this);
    imgimage->SetName("imgimage");
    imgimage->SetParent(this);
    imgimage->SetAlign(alClient);
    imgimage->SetBorderStyle(bsNone);
    imgimage->SetScrollBars(ssBoth);
    imgimage->SetDoubleBuffer(true);
    imgimage->SetSelectionColor1(clRed);
    imgimage->SetSelectionColor2(clWhite);
    imgimage->SetSelectionBase(iesbBitmap);
    imgimage->OnViewChange = [this](TObject*, Integer) {
        lblzoom->SetCaption(ZoomLabelText(imgimage->GetZoom()));
    };
    imgimage->OnDblClick = [this](TObject* Sender) { ImageDblClick(Sender); };
    imgimage->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, Integer X, Integer Y) {
        ieimageMouseDown(S, B, Sh, X, Y);
    };
    imgimage->OnMouseMove = [this](TObject* S, TShiftState Sh, Integer X, Integer Y) { ieimageMouseMove(S, Sh, X, Y); };

    imgimageio = new TImagoIO(this);
    imgimageio->SetName("imgimageio");
    imgimageio->SetAttachedImago(imgimage);
    // The decoders report every row; messages are handled once for each new percentage (and for
    // a cancel), which keeps the window as responsive without a message turn per row.
    imgimageio->OnProgress = [this](TObject* Sender, Integer Percent) {
        if (Percent == FLoadPercent && !State.LoadCancelRequested) return;
        FLoadPercent = Percent;
        ImgImageProgress(Sender, Percent);
    };

    imgimageproc = new TImagoProc(this);
    imgimageproc->SetName("imgimageproc");
    imgimageproc->SetAttachedImago(imgimage);

    RTFShowPanel = new TPanel(this);
    RTFShowPanel->SetName("RTFShowPanel");
    RTFShowPanel->SetCaption("");
    RTFShowPanel->SetBevelOuter(bvNone);
    RTFShowPanel->SetParent(this);
    RTFShowPanel->SetAlign(alClient);
    RTFShowPanel->SetVisible(false);
    RTFShowPanel->OnDblClick = [this](TObject* Sender) { ImageDblClick(Sender); };
    RTFPanel = new TRichEdit(this);
    RTFPanel->SetName("RTFPanel");
    RTFPanel->SetParent(RTFShowPanel);
    RTFPanel->SetAlign(alClient);
    RTFPanel->OnDblClick = [this](TObject* Sender) { ImageDblClick(Sender); };
    RTFPanel->OnMouseMove = [this](TObject* S, TShiftState Sh, Integer X, Integer Y) { ieimageMouseMove(S, Sh, X, Y); };

    auto exec = [this](void (TfrmMain::*Handler)(TObject*)) {
        return [this, Handler](TObject* Sender) { (this->*Handler)(Sender); };
    };
    actFullScreen = NewAction(this, "actFullScreen", "Display Full Screen", exec(&TfrmMain::actFullScreenExecute));
    actZoom = NewAction(this, "actZoom", "Zoom", [](TObject*) {});
    actShrinkToFit = NewAction(this, "actShrinkToFit", "Shrink All to Window", exec(&TfrmMain::actShrinkToFitExecute));
    actStretchToFit =
        NewAction(this, "actStretchToFit", "Stretch All to Window", exec(&TfrmMain::actStretchToFitExecute));
    actWrapText = NewAction(this, "actWrapText", "Wrap Text", exec(&TfrmMain::actWrapTextExecute));
    actWrapText->SetChecked(true);
    const auto mode = exec(&TfrmMain::actImageDraggerExecute);
    actImageDragger = NewAction(this, "actImageDragger", "Default", mode);
    actZoomSelect = NewAction(this, "actZoomSelect", "Zoom Selection", mode);
    actSelectRect = NewAction(this, "actSelectRect", "Rectange Selection", mode);
    actSelectPolygon = NewAction(this, "actSelectPolygon", "Polygon Selection", mode);
    actSelectOval = NewAction(this, "actSelectOval", "Elliptical Selection", mode);
    actMagicSelect = NewAction(this, "actMagicSelect", "Select Colour", mode);
    actImageDragger->SetChecked(true);
    actShowSelection = NewAction(this, "actShowSelection", "Show Selection", exec(&TfrmMain::actShowSelectionExecute),
                                 TextToShortCut("Ctrl+Alt+S"));
    popWindow = NewPopup(this, "popWindow");
    popWindow->OnPopup = [this](TObject* Sender) { popWindowPopup(Sender); };
    pukZoom = NewItem(this, popWindow->GetItems(), "pukZoom", "Zoom");
    imgimage->SetPopupMenu(popWindow);
    popStretch = NewPopup(this, "popStretch");
    popStretch->OnPopup = [this](TObject* Sender) { popStretchPopup(Sender); };
    puzoom = NewItem(this, popStretch->GetItems(), "puzoom", "Zoom");
    NewItem(this, popStretch->GetItems(), "pukStretch", "")->SetAction(actStretchToFit);
    NewItem(this, popStretch->GetItems(), "pukShrink", "")->SetAction(actShrinkToFit);
    auto zoomMenu = [this](const char* Name, const char* FitName, TAction* Fit) {
        TPopupMenu* menu = NewPopup(this, Name);
        TMenuItem* hundred = NewItem(this, menu->GetItems(), (std::string(Name) + "100").c_str(), "Zoom to 100%");
        hundred->SetTag(100);
        hundred->OnClick = [this](TObject* Sender) { mkZoomClick(Sender); };
        NewItem(this, menu->GetItems(), FitName, "")->SetAction(Fit);
        return menu;
    };
    popZoomIn = zoomMenu("popZoomIn", "pukZoomInFit", actStretchToFit);
    popZoomOut = zoomMenu("popZoomOut", "pukZoomOutFit", actShrinkToFit);
    imgZoomStatus->OnMouseDown = lblzoom->OnMouseDown = [this](TObject* Sender, TMouseButton, TShiftState, Integer X,
                                                               Integer Y) {
        if (!imgZoomStatus->GetVisible()) return;
        const TPoint p = static_cast<TControl*>(Sender)->ClientToScreen(TPoint(X, Y));
        popStretch->Popup(p.X, p.Y);
    };

    OnKeyDown = [this](TObject* Sender, Word& Key, TShiftState Shift) { FormKeyDown(Sender, Key, Shift); };
    OnKeyUp = [this](TObject* Sender, Word& Key, TShiftState Shift) { FormKeyUp(Sender, Key, Shift); };
    OnKeyPress = [this](TObject* Sender, Char& Key) { FormKeyPress(Sender, Key); };
    OnMouseWheel = [this](TObject* Sender, TShiftState Shift, Integer Delta, TPoint Pos, bool& Handled) {
        FormMouseWheel(Sender, Shift, Delta, Pos, Handled);
    };
    setzoomproperties();
}

// ---------------------------------------------------------------------------------------------
// Showing a file

Integer TfrmMain::DisplayMode() {
    if (RTFShowPanel->GetVisible()) return 3;
    if (imgMultiView && imgMultiView->GetVisible()) return 1;
    return 0;
}

void TfrmMain::ShowPanel(TControl* Control) {
    // One content control at a time; a running multishow keeps its view.
    for (TControl* c : std::initializer_list<TControl*>{imgimage, RTFShowPanel, imgMultiView})
        if (c && c != Control && !(c == imgMultiView && MultishowActive())) c->SetVisible(false);
    Control->SetAlign(alClient);
    Control->SetVisible(true);
    Control->BringToFront();
}

bool TfrmMain::ShowFile(bool Display) {
    if (!imgimage->GetVisible()) ShowPanel(imgimage);
    doselectstatus();
    if (!GridControl->HasItems()) {
        State.LoadPending = State.ReloadPending = false;
        MessageDlg("There are no files to display.", mtInformation, {mbOK}, 0);
        return false;
    }
    if (State.FileLoading) {
        State.LoadCancelRequested = true;
        return false;
    }
    State.ReloadPending = State.LoadPending = false;
    State.FileLoading = true;
    Screen->SetCursor(crHourGlass);

    [&] {
        try {
            deleteoldfiles();
            if (CurrentFile.FullName.empty()) {
                State.LastLoadFailed = true;
                EndFailedLoad();
                return;
            }
            lblfile->SetCaption("  " + CurrentFile.FullName);
            if (!FileExists(CurrentFile.FullName)) {
                ShowLoadError("");
                State.LastLoadFailed = true;
                EndFailedLoad();
                return;
            }
        } catch (...) {
            ShowLoadError("Unexplained loading error");
            State.LastLoadFailed = true;
            EndFailedLoad();
            return;
        }
        try {
            FFileSize = FileSize(CurrentFile.FullName);
            // The nudge is shown on a free turn: a dialog now would cancel this load.
            if (Settings.WarningVisible[16] && Random(60) == 15) showwarning(16, true, true, 0);
            State.LastLoadFailed = false;
            CurrentZoom = DefaultZoomCode(CurrentFile.FileType, Settings.ImageStretch, Settings.ImageShrink,
                                          Settings.VideoStretch, Settings.VideoShrink);
            UpdateToolbarDisplay();
            UpdateButtonDisplay();
            if (!Display) {
                UpdateFileCaption();
                return;
            }
            if (MultishowActive()) {
                LoadMultiShow();
                return;
            }
            switch (CurrentFile.FileType) {
            case lmImage: LoadImageFile(); break;
            case lmText: LoadTextFile(); break;
            case lmSound: LoadMediaFile(false); break;
            case lmVideo: LoadMediaFile(true); break;
            case lmOffice: LoadWebFile(); break;
            default: break;
            }
            if (CurrentFile.FileType != lmVideo) updatedisplaysize();
            UpdateFileCaption();
        } catch (...) {
            ShowLoadError("Error encountered loading file, " + CurrentFile.FullName);
            State.LastLoadFailed = true;
        }
    }();
    FileLoadingCompleted();
    UpdateButtonDisplay();
    return !State.LastLoadFailed;
}

bool TfrmMain::LoadImageFile() {
    const std::string& name = CurrentFile.FullName;
    const bool isGIF = UpperCase(ExtractFileExt(name)) == ".GIF";
    GIFFrameIndex = GIFFrameCount = 0;
    if (isGIF) imgimageio->GetParams()->GIFImageIndex = 0;
    imgimage->SetAutoStretch(Settings.ImageStretch);
    imgimage->SetAutoShrink(Settings.ImageShrink);
    bool loaded = false;
    FLoadPercent = -1;
    try {
        if (CurrentFile.HasFalseExtension)
            ImgFunc->LoadByDetectedFormat(imgimageio, name);
        else
            ImgFunc->LoadIOFromFile(imgimageio, name, false);
        loaded = true;
    } catch (...) {
    }
    // A load the user cancelled is judged by how far it came (ImgImageProgress).
    if (!loaded && State.ReloadPending) return !State.LastLoadFailed;
    if (!loaded) {
        ShowLoadError("Error encountered whilst loading this file.");
        State.LastLoadFailed = true;
        return false;
    }
    TImageProperties props;
    ImgFunc->GetIOImageProperties(imgimageio, props);
    FImageWidth = props.Width;
    FImageHeight = props.Height;
    FImageBits = props.BitDepth;
    if (isGIF) {
        GIFFrameCount = imgimageio->GIFFrameCount(name);
        imgimage->SetBackground(Settings.BackgroundColour);
    }
    actImageDraggerExecute(nullptr);
    if (GIFFrameCount > 1) {
        showwarning(25, true, true, 112);
        imgimageio->GetParams()->GIFImageIndex = GIFFrameIndex;
        setnextGIFDELAY();
    }
    return true;
}

bool TfrmMain::LoadTextFile() {
    try {
        ShowPanel(RTFShowPanel);
        const std::string ext = UpperCase(ExtractFileExt(CurrentFile.FullName));
        RTFPanel->SetPlainText(ext != ".DOC" && ext != ".RTF");
        RTFPanel->GetLines()->LoadFromFile(CurrentFile.FullName);
        FTextChars = RTFPanel->GetTextLength();
        FTextLines = RTFPanel->GetLineCount();
        return true;
    } catch (...) {
        ShowLoadError(CurrentFile.FullName + ":  Load Error!");
        State.LastLoadFailed = true;
        return false;
    }
}

bool TfrmMain::LoadMediaFile(bool IsVideo) {
    // The media panel comes with the media controls; until then sound and video are named in
    // the caption and the label only, as with the display off.
    return true;
}

bool TfrmMain::LoadWebFile() {
    // The web panel comes with the office documents; until then they are named only.
    return true;
}

void TfrmMain::ShowLoadError(const std::string& Text) {
    SetStatusLabelText(lblfile, Text.empty() ? "Unable to locate file " + CurrentFile.FullName + "." : Text);
    lblfile->SetHint("");
}

void TfrmMain::EndFailedLoad() {
    Performbeep(true);
    SetCaption("Lumora");
    FileLoadingCompleted();
}

void TfrmMain::UpdateFileCaption() {
    SetCaption("Lumora - " + CurrentFile.Name);
    if (lblssname) lblssname->SetVisible(false);
    if (CurrentFile.FullName.empty()) return;
    if (State.SlideshowActive && Settings.ShowSSName && imgimage->GetHeight() > 30 && lblssname) {
        lblssname->SetCaption(CurrentFile.Name);
        lblssname->SetBounds(imgimage->GetLeft(), imgimage->GetTop() + (FullScreen ? 18 : imgimage->GetHeight() / 50),
                             imgimage->GetWidth(), lblssname->GetHeight());
        lblssname->BringToFront();
        lblssname->SetVisible(GetCanvas()->TextWidth(CurrentFile.Name) <= imgimage->GetWidth());
    }
    if (State.LastLoadFailed) return;
    TFileFacts facts;
    facts.Kind = CurrentFile.FileType;
    facts.FullName = CurrentFile.FullName;
    facts.Size = FFileSize;
    facts.SizeDetailLevel = Settings.FileSizeDetailLevel;
    facts.Width = FImageWidth;
    facts.Height = FImageHeight;
    facts.Bits = FImageBits;
    facts.Chars = FTextChars;
    facts.Lines = FTextLines;
    facts.InDatabase = CurrentFile.RefInDB;
    const TFileLabel label = FileLabelFor(facts);
    lblfile->SetCaption(label.Text);
    lblfile->SetHint(label.Hint);
}

void TfrmMain::UnloadDisplayedImage() {
    if (imgimage->GetVisible()) {
        if (GIFTimer) GIFTimer->SetEnabled(false);
        imgimage->ClearImage();
        imgimage->SetZoom(100);
    }
    if (imgMultiView && imgMultiView->GetVisible() && !MultishowActive()) imgMultiView->Clear();
}

void TfrmMain::AbortImageLoad() { imgimageio->SetAborting(true); }

void TfrmMain::doinformnomoreimages() {
    const char* word = Mode == 4 ? "bookmark list" : Mode == 1 ? "search" : Mode == 2 ? "database" : "directory";
    MessageDlg(std::string("There are no files remaining in this ") + word + "!  Switching to Normal mode.",
               mtInformation, {mbOK}, 0);
    SetFullScreenMode(0);
}

Integer TfrmMain::ScreenBitsPerPixel() { return lumora_backend::PrimaryScreenDepth(); }
