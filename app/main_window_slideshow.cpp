// The main window's slideshow and multishow (one file per tick of a one-shot timer, in the file
// list's slideshow order), the navigation buttons, and the frame-by-frame animation of a GIF in
// the viewer.

#include <algorithm>

#include "app/main_window.h"
#include "catalogue/file_list.h"
#include "catalogue/img_functions.h"
#include "components/toolbar_button.h"
#include "framework/actions.h"
#include "framework/comctrls.h"
#include "framework/edit_controls.h"
#include "framework/graphics.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"
#include "framework/timer.h"
#include "imaging/controls/imago_mview.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_view.h"

namespace {

// The delay bar's positions: whole seconds up to 10, then steps of 5 seconds.
Integer DelaySeconds(Integer Position) {
    return Position <= 10 ? Position : Position * 5 - 40;
}

}  // namespace

void TfrmMain::BuildSlideshowControls() {
    // The multishow sits where the image view is, hidden until a multishow runs.
    TWinControl* viewParent = imgimage ? imgimage->GetParent() : this;
    imgMultiView = new TImagoMView(this);
    imgMultiView->SetName("imgMultiView");
    imgMultiView->SetVisible(false);
    imgMultiView->SetParent(viewParent);
    imgMultiView->SetAlign(alClient);
    imgMultiView->SetVisibleSelection(Settings.ShowPositionInMultiShow);
    imgMultiViewIO = new TImagoIO(this);
    imgMultiViewIO->SetName("imgMultiViewIO");
    imgMultiViewIO->SetAttachedImago(imgMultiView);

    lblssname = new TLabel(this);
    lblssname->SetName("lblssname");
    lblssname->SetVisible(false);
    lblssname->SetAutoSize(false);
    lblssname->SetParent(viewParent);
    lblssname->SetCaption("");

    slideshowtimer = new TTimer(this);
    slideshowtimer->SetName("slideshowtimer");
    slideshowtimer->SetEnabled(false);
    slideshowtimer->OnTimer = [this](TObject* Sender) { slideshowtimerTimer(Sender); };
    GIFTimer = new TTimer(this);
    GIFTimer->SetName("GIFTimer");
    GIFTimer->SetEnabled(false);
    GIFTimer->SetInterval(0);
    GIFTimer->OnTimer = [this](TObject* Sender) { GIFTimerTimer(Sender); };

    pnlSlideshowDelay = new TPanel(this);
    pnlSlideshowDelay->SetName("pnlSlideshowDelay");
    pnlSlideshowDelay->SetCaption("");
    pnlSlideshowDelay->SetBevelOuter(bvNone);
    pnlSlideshowDelay->SetVisible(false);
    pnlSlideshowDelay->SetParent(this);
    pnlSlideshowDelay->SetBounds(0, 0, 160, 24);
    DelayTrack = new TTrackBar(this);
    DelayTrack->SetName("DelayTrack");
    DelayTrack->SetParent(pnlSlideshowDelay);
    DelayTrack->SetBounds(0, 0, 100, 24);
    DelayTrack->SetMin(0);
    DelayTrack->SetMax(20);
    DelayTrack->SetPosition(Settings.SlideshowDelay);
    DelayTrack->OnChange = [this](TObject* Sender) { DelayTrackChange(Sender); };
    DelayEdit = new TEdit(this);
    DelayEdit->SetName("DelayEdit");
    DelayEdit->SetParent(pnlSlideshowDelay);
    DelayEdit->SetBounds(100, 0, 60, 24);
    DelayEdit->SetReadOnly(true);

    auto action = [this](const char* Name, const char* Caption, void (TfrmMain::*Handler)(TObject*)) {
        auto* a = new TAction(this);
        a->SetName(Name);
        a->SetCaption(Caption);
        a->SetCategory("Slideshow");
        a->OnExecute = [this, Handler](TObject* Sender) { (this->*Handler)(Sender); };
        return a;
    };
    actSlideshow = action("actSlideshow", "Slideshow", &TfrmMain::actSlideshowExecute);
    actMultishow = action("actMultishow", "Multishow", &TfrmMain::actSlideshowExecute);
    actSSForward = action("actSSForward", "", &TfrmMain::actSSBackwardExecute);
    actSSBackward = action("actSSBackward", "", &TfrmMain::actSSBackwardExecute);
    actSSRandom = action("actSSRandom", "", &TfrmMain::actSSBackwardExecute);
    actSSLoop = action("actSSLoop", "Loop Slideshow Indefinitely", &TfrmMain::actSSLoopExecute);

    auto button = [this](const char* Name, const char* Hint) {
        auto* b = new TToolbarButtonX(this);
        b->SetName(Name);
        b->SetBounds(0, 0, 23, 22);
        // The glyph alone: the action's caption is the hint.
        b->SetDisplayMode(dmGlyphOnly);
        b->SetHint(Hint);
        b->SetShowHint(true);
        return b;
    };
    btnFirstFile = button("btnFirstFile", "Go to first Image [Home]");
    btnPreviousFile = button("btnPreviousFile", "Previous Image [Down]");
    btnRandomFile = button("btnRandomFile", "Shows an image at random [*]");
    btnNextFile = button("btnNextFile", "Next Image [Next]");
    btnLastFile = button("btnLastFile", "Go to last Image [End]");
    for (TToolbarButtonX* b : {btnFirstFile, btnPreviousFile, btnRandomFile, btnNextFile, btnLastFile})
        b->OnClick = [this](TObject* Sender) { btnFirstFileClick(Sender); };
    btnShowSlideshow = button("btnShowSlideshow", "");
    btnShowSlideshow->SetAction(actSlideshow);
    btnMultishow = button("btnMultishow", "");
    btnMultishow->SetAction(actMultishow);
    for (TToolbarButtonX* b : {btnShowSlideshow, btnMultishow})
        b->OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
            btnShowSlideshowMouseDown(Sender, Button, Shift, X, Y);
        };

    DelayTrackChange(DelayTrack);
    actSSBackwardExecute(actSSForward);
    ActivateSSLoop(GridControl->LoopSlideshow);
}

// ---------------------------------------------------------------------------------------------
// The slideshow

void TfrmMain::DelayTrackChange(TObject* Sender) {
    const Integer position = DelayTrack->GetPosition();
    const Integer seconds = DelaySeconds(position);
    DelayEdit->SetText(IntToStr(seconds) + " sec");
    if (State.SlideshowActive) lblselected->SetCaption(DelayEdit->GetText());
    // Position 0 steps as fast as the files load.
    slideshowtimer->SetInterval(position == 0 ? 1 : Cardinal(seconds) * 1000);
}

bool TfrmMain::SlideshowTimerEnabled() const {
    return slideshowtimer && slideshowtimer->GetEnabled();
}

void TfrmMain::EnableSlideshowTimer() {
    slideshowtimer->SetEnabled(true);
}

void TfrmMain::ActivateSlideshow(bool On) {
    // A stopped slideshow never leaves its timer armed.
    if (!On) slideshowtimer->SetEnabled(false);
    if (On && !GridControl->HasItems()) return;
    // Backward from the first file would end at once: it runs forward instead.
    if (On && GridControl->GetFocusedIndex() == 0 && GridControl->GetSlideshowMethod() == ssBackward)
        actSSBackwardExecute(actSSForward);
    if (On == State.SlideshowActive) return;
    if (On) showwarning(MultishowMode ? 7 : 1, false, true, 19);

    State.SlideshowActive = On;
    actSlideshow->SetChecked(On && !MultishowMode);
    actMultishow->SetChecked(On && MultishowMode);
    if (On) {
        WasNotFullScreen = !FullScreen;
        if (Settings.HideAllDuringSS) SetHideAll(true);
        MultishowLayoutPending = true;
        GridControl->RestartSlideshowOrder();
        lblselected->SetCaption(DelayEdit->GetText());
        if (!State.FileLoading) slideshowtimerTimer(slideshowtimer);
    } else {
        if (MultishowMode) hidemultiss();
        doselectstatus();
        if (State.FileLoading) State.LoadCancelRequested = true;
        lblssname->SetVisible(false);
        if (Settings.HideAllDuringSS && WasNotFullScreen) SetHideAll(false);
        if (MultishowMode) LoadFile("", lhSelection);
    }
    UpdateToolbarDisplay();
}

void TfrmMain::actSlideshowExecute(TObject* Sender) {
    if (Sender == actMultishow) {
        const bool toggle = !State.SlideshowActive || MultishowMode;
        MultishowMode = true;
        MultishowLayoutPending = true;
        if (toggle) {
            ActivateSlideshow(!State.SlideshowActive);
            return;
        }
    } else if (MultishowActive()) {
        MultishowMode = false;
        hidemultiss();
    } else {
        MultishowMode = false;
        ActivateSlideshow(!State.SlideshowActive);
        return;
    }
    // A running slideshow became a multishow, or the other way round, and goes on.
    actSlideshow->SetChecked(!MultishowMode);
    actMultishow->SetChecked(MultishowMode);
}

void TfrmMain::slideshowtimerTimer(TObject* Sender) {
    slideshowtimer->SetEnabled(false);
    if (!State.SlideshowActive) return;
    if (GridControl->GetSlideshowMethod() == ssRandom) {
        GridControl->SlideshowRandomNext();
    } else if (GridControl->SlideshowNext()) {
        // The last file of an order that does not loop: it is shown, and the slideshow ends
        // there (a multishow shows it in the viewer as it stops).
        const bool multishow = MultishowMode;
        ActivateSlideshow(false);
        if (!multishow) LoadFile("", lhDirect);
        return;
    }
    LoadFile("", lhDirect);
}

void TfrmMain::SyncSlideshowToFocus() {
    GridControl->SyncSlideshowPosition();
}

void TfrmMain::actSSBackwardExecute(TObject* Sender) {
    const Word method = Sender == actSSBackward ? ssBackward : Sender == actSSRandom ? ssRandom : ssForward;
    GridControl->SetSlideshowMethod(method);
    actSSForward->SetChecked(method == ssForward);
    actSSBackward->SetChecked(method == ssBackward);
    actSSRandom->SetChecked(method == ssRandom);
}

void TfrmMain::ActivateSSLoop(bool On) {
    GridControl->LoopSlideshow = On;
    actSSLoop->SetChecked(On);
}

void TfrmMain::actSSLoopExecute(TObject* Sender) {
    ActivateSSLoop(!GridControl->LoopSlideshow);
}

void TfrmMain::btnShowSlideshowMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                         Integer Y) {
    if (!Shift.Contains(ssCtrl)) return;
    actSSBackwardExecute(actSSForward);
    ActivateSSLoop(false);
    DelayTrack->SetPosition(5);
    DelayTrackChange(DelayTrack);
}

void TfrmMain::btnFirstFileClick(TObject* Sender) {
    TLMFileList2* list = GridControl;
    bool moved;
    if (Sender == btnRandomFile) {
        list->SlideshowRandomNext();
        moved = true;
    } else if (State.SlideshowActive && (Sender == btnPreviousFile || Sender == btnNextFile)) {
        // The slideshow order's answer tells of its end, not of a move: the focus does.
        const Integer before = list->GetFocusedKeyID();
        if (Sender == btnNextFile)
            list->SlideshowNext();
        else
            list->SlideshowPrevious();
        moved = list->GetFocusedKeyID() != before;
    } else if (Sender == btnFirstFile) {
        moved = !list->GotoFirst();
    } else if (Sender == btnPreviousFile) {
        moved = !list->GotoPrevious();
    } else if (Sender == btnNextFile) {
        moved = !list->GotoNext();
    } else if (Sender == btnLastFile) {
        moved = !list->GotoLast();
    } else {
        return;
    }
    if (moved)
        LoadFile("", lhDirect);
    else
        Performbeep(true);
}

// ---------------------------------------------------------------------------------------------
// The multishow

void TfrmMain::MultiSSUpate() {
    imgMultiView->SetBackground(imgimage ? imgimage->GetBackground() : Settings.BackgroundColour);
    imgMultiView->Clear();
    imgMultiView->SetAlign(alClient);
    imgMultiView->SetVisible(true);
    imgMultiView->BringToFront();
    MultishowLayoutPending = false;
    const Integer columns = std::max<Integer>(1, Settings.SSMultiHorz);
    const Integer rows = std::max<Integer>(1, Settings.SSMultiVert);
    const Integer width = (imgMultiView->GetClientWidth() - imgMultiView->GetHorizBorder() * (columns + 1)) / columns;
    const Integer height = (imgMultiView->GetClientHeight() - imgMultiView->GetVertBorder() * (rows + 1)) / rows;
    imgMultiView->SetThumbWidth(std::max<Integer>(1, width));
    imgMultiView->SetThumbHeight(std::max<Integer>(1, height));
    imgMultiView->SetGridWidth(columns);
    MultishowCell = 0;
}

void TfrmMain::hidemultiss() {
    try {
        imgMultiView->Clear();
    } catch (...) {}
    imgMultiView->SetVisible(false);
}

void TfrmMain::LoadMultiShow() {
    if (MultishowLayoutPending) MultiSSUpate();
    if (CurrentFile.FileType != lmImage) return;
    const Integer cells = std::max<Integer>(1, Settings.SSMultiHorz) * std::max<Integer>(1, Settings.SSMultiVert);
    try {
        // Cells are added one image at a time until the grid is full; then the first is next.
        if (imgMultiView->ImageCount() < cells) {
            TBitmap empty;
            empty.SetPixelFormat(pf24bit);
            empty.SetSize(imgMultiView->GetThumbWidth(), imgMultiView->GetThumbHeight());
            MultishowCell = imgMultiView->AppendImage();
            imgMultiView->SetImage(MultishowCell, &empty);
        }
        if (MultishowCell >= cells) MultishowCell = 0;
        imgMultiView->SetVisibleSelection(Settings.ShowPositionInMultiShow);
        imgMultiView->SetSelectedImage(MultishowCell);
        // Twice the cell's size keeps the picture sharp when the view reduces it.
        const Integer w = imgMultiView->GetThumbWidth() * 2, h = imgMultiView->GetThumbHeight() * 2;
        const bool loaded =
            TImgFunctions::IsJPEGFile(CurrentFile.FullName)
                ? ImgFunc->LoadJPEGScaled(imgMultiViewIO, CurrentFile.FullName, w, h)
                : ImgFunc->TryLoadIOFromFile(imgMultiViewIO, CurrentFile.FullName, CurrentFile.HasFalseExtension);
        ++MultishowCell;
        if (!loaded) State.LastLoadFailed = true;
    } catch (...) {
        State.LastLoadFailed = true;
    }
}

// ---------------------------------------------------------------------------------------------
// GIF animation

void TfrmMain::setnextGIFDELAY() {
    if (GIFFrameCount > 1 && !State.LoadCancelRequested) {
        try {
            if (!imgimageio) throw Exception("No image I/O");
            // Hundredths of a second; 0 leaves the timer without an interval, so it stops.
            GIFTimer->SetInterval(Cardinal(std::max<Integer>(0, imgimageio->GetParams()->GIFDelayTime)) * 10);
        } catch (...) {
            GIFFrameCount = 1;
        }
    }
    if (GIFFrameCount > 1) GIFTimer->SetEnabled(true);
}

void TfrmMain::GIFTimerTimer(TObject* Sender) {
    GIFTimer->SetEnabled(false);
    try {
        if (!imgimageio || GIFFrameCount <= 0) throw Exception("No animation");
        if (++GIFFrameIndex >= GIFFrameCount) GIFFrameIndex = 0;
        imgimageio->GetParams()->GIFImageIndex = GIFFrameIndex;
        // The frame loads without the progress display and without starting another load.
        State.FileLoading = State.GIFFrameLoading = true;
        bool failed;
        try {
            // A file that changed since it was shown may no longer hold the frame.
            const Integer frames = imgimageio->LoadFromFileGIF(CurrentFile.FullName);
            failed = imgimageio->GetAborting() || frames <= GIFFrameIndex;
        } catch (...) {
            failed = true;
        }
        State.FileLoading = State.GIFFrameLoading = false;
        if (failed) throw Exception("GIF frame failed");
        setnextGIFDELAY();
    } catch (...) {
        GIFFrameCount = 1;
    }
}

// ---------------------------------------------------------------------------------------------
// Settings

void TfrmMain::ApplySlideshowSettings() {
    actSSBackwardExecute(Settings.SlideshowMethod == ssBackward ? actSSBackward
                         : Settings.SlideshowMethod == ssRandom ? actSSRandom
                                                                : actSSForward);
    DelayTrack->SetPosition(Settings.SlideshowDelay);
    DelayTrackChange(DelayTrack);
    ActivateSSLoop(Settings.LoopSlideshow);
}

void TfrmMain::CollectSlideshowSettings() {
    Settings.SlideshowMethod = GridControl->GetSlideshowMethod();
    Settings.LoopSlideshow = GridControl->LoopSlideshow;
    Settings.SlideshowDelay = DelayTrack->GetPosition();
}
