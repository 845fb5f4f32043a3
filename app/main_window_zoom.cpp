// The viewer's zoom, fit and full screen: the zoom steps and menus, the custom zoom, the fit and
// wrap toggles with the zoom label and status picture, the mouse modes of the image view, full
// screen and hide-all, and the mouse wheel.

#include <algorithm>

#include "app/main_window.h"
#include "app/viewer_rules.h"
#include "catalogue/file_list.h"
#include "dialogs/zoom.h"
#include "components/toolbar_button.h"
#include "framework/actions.h"
#include "framework/comctrls.h"
#include "framework/dialog_service.h"
#include "framework/graphics.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "framework/messages.h"
#include "framework/rich_edit.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"
#include "imaging/img_view.h"

// ---------------------------------------------------------------------------------------------
// Zoom

Integer TfrmMain::GetCurrentZoom() { return CurrentFile.FileType == lmImage ? imgimage->GetZoom() : -1; }

void TfrmMain::ZoomInOut(bool ZoomIn) {
    const Integer from = CurrentZoom < 0 ? imgimage->GetZoom() : CurrentZoom;
    Integer to = ZoomStep(ZoomIn, from);
    if (to == from) return;
    // The view draws at most ImgMaxZoomedSize pixels a side: zooming in stops where the picture
    // would pass that.
    TBitmap* bitmap = imgimage->GetBitmap();
    const Int64 side = std::max<Int64>({bitmap->GetWidth(), bitmap->GetHeight(), 1});
    if (ZoomIn && side * to / 100 > ImgMaxZoomedSize) return;
    CurrentZoom = to;
    DoZoom(CurrentZoom);
}

void TfrmMain::DoZoom(Integer Zoom) {
    imgimage->SetAutoStretch(false);
    imgimage->SetAutoShrink(false);
    imgimage->SetZoom(Zoom);
    lblzoom->SetCaption(ZoomLabelText(Zoom));
    updatezoombuttons();
}

void TfrmMain::setzoomproperties() {
    imgimage->SetZoomFilter(Settings.ZoomQuality != 0 ? rfLanczos3 : rfNone);
    imgimage->SetDelayZoomFilter(Settings.ZoomQuality <= 1);
}

void TfrmMain::updatedisplaysize() {
    if (!MultishowActive()) {
        const TLMFileTypes kind = CurrentFile.FileType;
        if (State.LastLoadFailed || (kind != lmImage && kind != lmText && kind != lmVideo)) {
            lblzoom->SetCaption("");
            SetZoomStatusImage();
        } else if (kind == lmText) {
            const bool wrap = actWrapText->GetChecked();
            RTFPanel->SetWordWrap(wrap);
            lblzoom->SetCaption(wrap ? "Wrap: On" : "Wrap: Off");
            SetZoomStatusImage();
        } else if (kind == lmImage) {
            const bool stretch = CurrentZoom == zcFit || CurrentZoom == zcStretchOnly;
            const bool shrink = CurrentZoom == zcFit || CurrentZoom == zcShrinkOnly;
            SetZoomStatusImage();
            if (CurrentZoom == zcDefault || CurrentZoom > 0) {
                DoZoom(CurrentZoom > 0 ? CurrentZoom : 100);
            } else {
                if (imgimage->GetAutoStretch() != stretch || imgimage->GetAutoShrink() != shrink) {
                    imgimage->SetAutoStretch(stretch);
                    imgimage->SetAutoShrink(shrink);
                }
                imgimage->Update();
                lblzoom->SetCaption(ZoomLabelText(imgimage->GetZoom()));
            }
        } else {
            // Video shows in the media panel, which comes with the media controls.
            lblzoom->SetCaption("");
            SetZoomStatusImage();
        }
    }
    updatezoombuttons();
}

void TfrmMain::updatezoombuttons() {
    const bool text = CurrentFile.FileType == lmText;
    actShrinkToFit->SetVisible(!text);
    actStretchToFit->SetVisible(!text);
    actWrapText->SetVisible(text);
    if (text) return;
    const bool video = CurrentFile.FileType == lmVideo;
    actStretchToFit->SetChecked(video ? Settings.VideoStretch : Settings.ImageStretch);
    actShrinkToFit->SetChecked(video ? Settings.VideoShrink : Settings.ImageShrink);
}

void TfrmMain::SetZoomStatusImage() {
    const TLMFileTypes kind = CurrentFile.FileType;
    Integer index = -1;
    if (kind == lmImage || kind == lmVideo) {
        const bool stretch = kind == lmVideo ? Settings.VideoStretch : Settings.ImageStretch;
        const bool shrink = kind == lmVideo ? Settings.VideoShrink : Settings.ImageShrink;
        index = stretch && shrink ? 2 : shrink ? 0 : stretch ? 1 : -1;
    } else if (kind == lmText) {
        index = actWrapText->GetChecked() ? 3 : -1;
    } else {
        imgZoomStatus->SetVisible(false);
        return;
    }
    imgZoomStatus->SetVisible(true);
    TPicture* picture = imgZoomStatus->GetPicture();
    if (index < 0) {
        picture->SetGraphic(nullptr);
        return;
    }
    TBitmap bitmap;
    ilstZoomStatus->GetBitmap(index, &bitmap);
    picture->SetBitmap(&bitmap);
}

void TfrmMain::actStretchToFitExecute(TObject* Sender) { ToggleFit(true); }

void TfrmMain::actShrinkToFitExecute(TObject* Sender) { ToggleFit(false); }

void TfrmMain::ToggleFit(bool Stretch) {
    const bool video = CurrentFile.FileType == lmVideo;
    bool& setting = Stretch ? (video ? Settings.VideoStretch : Settings.ImageStretch)
                            : (video ? Settings.VideoShrink : Settings.ImageShrink);
    setting = !setting;
    CurrentZoom = DefaultZoomCode(CurrentFile.FileType, Settings.ImageStretch, Settings.ImageShrink,
                                  Settings.VideoStretch, Settings.VideoShrink);
    if (!State.LastLoadFailed) updatedisplaysize();
    updatezoombuttons();
}

void TfrmMain::btnzoominClick(TObject* Sender) {
    if ((GetKeyState(VK_CONTROL) & 0x8000) != 0)
        actStretchToFit->Execute();
    else
        ZoomInOut(true);
}

void TfrmMain::btnzoomoutClick(TObject* Sender) {
    if ((GetKeyState(VK_CONTROL) & 0x8000) != 0)
        actShrinkToFit->Execute();
    else
        ZoomInOut(false);
}

void TfrmMain::actWrapTextExecute(TObject* Sender) {
    actWrapText->SetChecked(!actWrapText->GetChecked());
    RTFPanel->SetWordWrap(actWrapText->GetChecked());
    updatedisplaysize();
}

// ---------------------------------------------------------------------------------------------
// Zoom menus and the custom zoom

void TfrmMain::GenerateZoomMenuItems(TMenuItem* Menu, Integer Current) {
    Menu->Clear();
    auto add = [&](const std::string& Caption, const std::string& Hint, Integer Tag) {
        auto* item = new TMenuItem(this);
        item->SetCaption(Caption);
        item->SetHint(Hint);
        item->SetTag(Tag);
        item->OnClick = [this](TObject* Sender) { mkZoomClick(Sender); };
        Menu->Add(item);
        return item;
    };
    for (Integer n : {10, 25, 50, 75, 100, 200, 300, 400})
        add(IntToStr(n) + "%", "Zoom to " + IntToStr(n) + "%", n)->SetChecked(n == Current);
    add("-", "", 0);
    add("Custom..", "Enter a zoom value", -1);
}

void TfrmMain::popStretchPopup(TObject* Sender) {
    if (puzoom->GetVisible()) GenerateZoomMenuItems(puzoom, GetCurrentZoom());
}

void TfrmMain::popWindowPopup(TObject* Sender) {
    if (pukZoom->GetVisible()) GenerateZoomMenuItems(pukZoom, GetCurrentZoom());
}

void TfrmMain::mkZoomClick(TObject* Sender) {
    auto* component = dynamic_cast<TComponent*>(Sender);
    if (component && component->GetTag() >= 1) {
        CurrentZoom = component->GetTag();
        DoZoom(CurrentZoom);
        return;
    }
    BeginDialogDisplay(false, false, false);
    Integer zoom = -1;
    try {
        zoom = AskCustomZoom(GetCurrentZoom() > 0 ? GetCurrentZoom() : 100);
    } catch (...) {
    }
    EndDialogDisplay(false, false, false, false, false);
    if (zoom > 0) {
        CurrentZoom = zoom;
        DoZoom(CurrentZoom);
    }
}

Integer TfrmMain::AskCustomZoom(Integer Value) {
    auto* form = new TdlgZoom(this);
    Integer answer = -1;
    try {
        form->spnzoom->SetValue(Value);
        if (form->ShowModal() == mrOk) answer = form->ChosenZoom();
    } catch (...) {
        form->Free();
        throw;
    }
    form->Free();
    return answer;
}

// ---------------------------------------------------------------------------------------------
// The mouse in the viewer

void TfrmMain::actImageDraggerExecute(TObject* Sender) {
    struct TMode {
        TAction* Action;
        TImgMouseInteractItems Interact;
        TCursor Cursor;
    };
    const TMode modes[] = {
        {actImageDragger, miScroll, crImgHand},         {actZoomSelect, miSelectZoom, crImgZoomIn},
        {actSelectRect, miSelect, crImgCross2},         {actSelectPolygon, miSelectPolygon, crImgCross2},
        {actSelectOval, miSelectCircle, crImgCross2},   {actMagicSelect, miSelectMagicWand, crHandPoint},
    };
    TAction* chosen = dynamic_cast<TAction*>(Sender);
    if (!chosen)
        for (const TMode& m : modes)
            if (m.Action->GetChecked()) chosen = m.Action;
    if (!chosen) chosen = actImageDragger;
    for (const TMode& m : modes) {
        m.Action->SetChecked(m.Action == chosen);
        if (m.Action != chosen) continue;
        imgimage->SetMouseInteract(TImgMouseInteract{m.Interact});
        imgimage->SetCursor(m.Cursor);
    }
    imgimage->ShowSelection(false);
}

void TfrmMain::actShowSelectionExecute(TObject* Sender) {
    const Integer count = GridControl->GetSelectedCount();
    if (count == 0) {
        MessageDlg("No files are selected", mtInformation, {mbOK}, 0);
        return;
    }
    std::string text = "The following files are selected:";
    for (Integer i = 0, n = GridControl->PrepareSelectedList(); i < n; ++i) {
        TFileRecord rec;
        GridControl->GetListFileRecord(i, rec);
        text += "\n" + rec.FullName;
    }
    MessageDlg(text, mtInformation, {mbOK}, 0);
}

void TfrmMain::ImageDblClick(TObject* Sender) { SetHideAll(!HideAll); }

void TfrmMain::ieimageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    if (!actZoomSelect->GetChecked()) return;
    imgimage->SetAutoStretch(false);
    imgimage->SetAutoShrink(false);
}

void TfrmMain::ieimageMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y) {
    auto* control = dynamic_cast<TControl*>(Sender);
    if (!control) return;
    const bool top = Y < 40;
    bool bottom = FlyoverBottom;
    const Integer height = imgimage->GetHeight();
    if (Statusbar->GetVisible() && Y < height - 50)
        bottom = false;
    else if (!Statusbar->GetVisible() && Y >= height - 20)
        bottom = true;
    if (top == FlyoverTop && bottom == FlyoverBottom) return;
    FlyoverTop = top;
    FlyoverBottom = bottom;
    UpdateToolbarDisplay();
}

void TfrmMain::FormMouseWheel(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos,
                              bool& Handled) {
    if (!Settings.UseMouseWheel) return;
    if (State.SlideshowActive) {
        if (DelayTrack) {
            DelayTrack->SetPosition(DelayTrack->GetPosition() + (WheelDelta < 1 ? -1 : 1));
            DelayTrackChange(DelayTrack);
        }
        return;
    }
    Handled = true;
    if (WheelDelta > 0 && Navigation.Previous)
        FileButtonClick(fbPrevious);
    else if (WheelDelta < 0 && Navigation.Next)
        FileButtonClick(fbNext);
}

void TfrmMain::FileButtonClick(TFileButton Button) {
    FileButtonAsked = Button;
    TObject* const buttons[] = {btnFirstFile, btnPreviousFile, btnRandomFile, btnNextFile, btnLastFile};
    btnFirstFileClick(buttons[Button]);
}

// ---------------------------------------------------------------------------------------------
// Full screen and hide-all

void TfrmMain::actFullScreenExecute(TObject* Sender) {
    SetFullScreenMode(FullScreen ? 0 : 1);
    if (FullScreen) showwarning(18, true, true, 18);
}

bool TfrmMain::SetFullScreenMode(Integer AMode) {
    const bool on = AMode != 0;
    if (on && !GridControl->HasItems()) return false;
    actFullScreen->SetChecked(on);
    imgimage->SetCenter(on);
    if (on == FullScreen) {
        if (!on) HideAll = false;
        return true;
    }
    FullScreen = on;
    if (on) {
        if (Settings.QLHeight < 20 || Settings.QLWidth < 20) getmainformdimensions();
        SetWindowFS(true);
        LeftPanel->SetAlign(alNone);
        LeftPanel->SetVisible(false);
        if (CurrentFile.FullName.empty()) LoadFile("", lhDirect);
    } else {
        SetWindowFS(false);
        LeftPanel->SetVisible(true);
        LeftPanel->SetAlign(alLeft);
        HideAll = false;
    }
    UpdateToolbarDisplay();
    UpdateButtonDisplay();
    MultishowLayoutPending = true;
    doselectstatus();
    RegisterDropTargets(true);
    Performbeep(false);
    return true;
}

void TfrmMain::SetWindowFS(bool On) {
    if (!On) {
        SetBoundsRect(BoundsBeforeFullScreen);
        return;
    }
    BoundsBeforeFullScreen = GetBoundsRect();
    // The client area covers the screen exactly.
    const TPoint origin = GetClientOrigin();
    SetBounds(GetLeft() - origin.X, GetTop() - origin.Y, GetWidth() + Screen->GetWidth() - GetClientWidth(),
              GetHeight() + Screen->GetHeight() - GetClientHeight());
}

void TfrmMain::SetHideAll(bool Hide) {
    if (Hide == HideAll) return;
    if (!Hide) {
        HideAll = false;
        SetFullScreenMode(0);
        return;
    }
    HideAll = true;
    if (FullScreen) {
        UpdateToolbarDisplay();
    } else if (!SetFullScreenMode(1)) {
        HideAll = false;
        UpdateToolbarDisplay();
        return;
    }
    showwarning(19, true, true, 18);
}
