#include "imaging/dialogs/img_file_dialogs.h"

#include <algorithm>
#include <memory>

#include "framework/comctrls.h"
#include "framework/file_utils.h"
#include "framework/list_controls.h"
#include "framework/std_controls.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"
#include "imaging/controls/imago_mio.h"
#include "imaging/controls/imago_mview.h"
#include "imaging/dialogs/dialog_building.h"
#include "imaging/formats/format_registry.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_utils.h"
#include "imaging/img_view.h"
#include "imaging/img_words.h"

// ---- TImgCommonDialog ------------------------------------------------------------------------

TImgCommonDialog::TImgCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

void TImgCommonDialog::DoClose() {
    if (OnClose) OnClose(this);
}

void TImgCommonDialog::DoShow() {
    if (OnShow) OnShow(this);
}

TPoint CenterDialogPosition(Integer ScreenWidth, Integer ScreenHeight, Integer Width, Integer Height) {
    return TPoint((ScreenWidth - Width) / 2, (ScreenHeight - Height) / 3);
}

void CenterDialogWindow(TWinControl* Window) {
    if (!Window) return;
    const TPoint p =
        CenterDialogPosition(Screen->GetWidth(), Screen->GetHeight(), Window->GetWidth(), Window->GetHeight());
    SetWindowPos(Window, nullptr, p.X, p.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Filters ---------------------------------------------------------------------------------

std::string BuildImgFilter() {
    std::string all, parts;
    for (const auto& entry : ImgFileFormats()) {
        const Integer count = GetFormatExtCount(entry->FileType);
        if (count < 1) continue;
        std::string patterns, caps;
        for (Integer i = 0; i < count; ++i) {
            const std::string ext = GetFormatExt(entry->FileType, i);
            patterns += (i ? ";*." : "*.") + LowerCase(ext);
            caps += (i ? ";" : "") + UpperCase(ext);
        }
        all += (all.empty() ? "" : ";") + patterns;
        parts += "|" + entry->Name + " (" + caps + ")|" + patterns;
    }
    all += ";*.avi";
    parts += "|Video for Windows (AVI)|*.avi";
    return "All graphics|" + all + parts;
}

std::string FilterExtension(const std::string& Pattern) {
    const size_t dot = Pattern.find('.');
    if (dot == std::string::npos) return {};
    const size_t semicolon = Pattern.find(';', dot);
    return Pattern.substr(dot, semicolon == std::string::npos ? std::string::npos : semicolon - dot);
}

std::string FilterPattern(const std::string& Filter, Integer N) {
    // Fields alternate description, pattern.
    Integer field = 0;
    size_t start = 0;
    for (;;) {
        const size_t bar = Filter.find('|', start);
        const std::string text = Filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (field == 2 * N - 1) return text;
        if (bar == std::string::npos) return {};
        start = bar + 1;
        ++field;
    }
}

// ---- TOpenImagoDialog ------------------------------------------------------------------------

TOpenImagoDialog::TOpenImagoDialog(TComponent* AOwner) : TImgCommonDialog(AOwner), FFiles(new TStringList()) {
    TDialogBuilder b(this);
    Pane = new TPanel(this);
    Pane->SetBevelOuter(bvNone);
    Pane->SetBounds(0, 0, 181, 330);
    PicturePanel = b.Add(new TPanel(this), Pane, "PicturePanel", 0, 0, 181, 260);
    PicturePanel->SetBevelOuter(bvNone);
    PicturePanel->SetBorderWidth(6);
    PicturePanel->SetTabOrder(1);
    ZoomCombo = b.Add(new TComboBox(this), PicturePanel, "ZoomCombo", 6, 5, 50, 21);
    ZoomCombo->SetStyle(csDropDownList);
    ZoomCombo->SetHint("Zoom");
    ZoomCombo->SetShowHint(true);
    ZoomCombo->OnChange = [this](TObject*) { ZoomComboChange(); };
    PreviewButton = b.Add(new TSpeedButton(this), PicturePanel, "PreviewButton", 60, 5, 23, 22);
    PreviewButton->SetFlat(true);
    PreviewButton->SetEnabled(false);
    SetResourceGlyph(PreviewButton, "IDB_PREVIEW");
    PreviewButton->OnClick = [this](TObject*) { PreviewClick(); };
    PlayButton = b.Add(new TSpeedButton(this), PicturePanel, "PlayButton", 85, 5, 23, 22);
    PlayButton->SetFlat(true);
    PlayButton->SetEnabled(false);
    PlayButton->SetGroupIndex(1);
    PlayButton->SetAllowAllUp(true);
    SetResourceGlyph(PlayButton, "IDB_PLAY");
    PlayButton->OnClick = [this](TObject*) { PlayClick(); };
    ImagoView = b.Add(new TImagoView(this), PicturePanel, "ImagoView", 6, 32, 169, 139);
    ImagoView->SetTabOrder(0);
    ImagoView->SetMouseInteract({miScroll});
    ImagoView->SetBackground(clWhite);
    ImagoView->SetBackgroundStyle(iebsDiagonals);
    ImagoView->OnDblClick = [this](TObject*) { PreviewClick(); };
    ImagoIO = new TImagoIO(this);
    ImagoIO->SetAttachedImago(ImagoView);
    ImagoIO->OnProgress = [this](TObject*, Integer per) { ProgressBar->SetPosition(per); };
    ImagoMView = b.Add(new TImagoMView(this), PicturePanel, "ImagoMView", 6, 32, 169, 139);
    ImagoMView->SetTabOrder(0);
    ImagoMView->SetMouseInteract({mmiScroll, mmiSelect});
    ImagoMView->SetScrollBars(ssHorizontal);
    ImagoMView->SetKeyInteract({mkiMoveSelected});
    ImagoMView->SetThumbHeight(109);
    ImagoMView->SetThumbWidth(100);
    ImagoMView->SetVisible(false);
    ImagoMView->SetBackground(clWhite);
    ImagoMView->OnImageSelect = [this](TObject*, Integer Index) { ShowFileInfo(ImagoMIO->GetFrameParams(Index)); };
    ImagoMIO = new TImagoMIO(this);
    ImagoMIO->SetAttachedMView(ImagoMView);
    ImagoMIO->OnProgress = [this](TObject*, Integer per) { ProgressBar->SetPosition(per); };
    ProgressBar = b.Add(new TProgressBar(this), PicturePanel, "ProgressBar", 6, 90, 127, 19);
    ProgressBar->SetVisible(false);
    PicLabel1 = b.Label(PicturePanel, "PicLabel1", "", 6, 180);
    PicLabel2 = b.Label(PicturePanel, "PicLabel2", "", 6, 203);
    PicLabel3 = b.Label(PicturePanel, "PicLabel3", "", 6, 226);

    InfoPanel = b.Add(new TPanel(this), Pane, "InfoPanel", 0, 260, 181, 70);
    InfoPanel->SetBevelOuter(bvNone);
    InfoPanel->SetBorderWidth(6);
    InfoPanel->SetTabOrder(1);
    InfoLabel1 = b.Label(InfoPanel, "InfoLabel1", "", 6, 6);
    InfoLabel2 = b.Label(InfoPanel, "InfoLabel2", "", 6, 25);
    AdvancedButton = b.Button(InfoPanel, "AdvancedButton", "", 6, 44, 75, 23);
    AdvancedButton->SetVisible(false);
    PreviewCheck = b.Add(new TCheckBox(this), InfoPanel, "PreviewCheck", 90, 44, 85, 23);
    PreviewCheck->SetChecked(true);
    PreviewCheck->SetVisible(false);
    PreviewCheck->OnClick = [this](TObject*) { PreviewCheckClick(); };
}

TOpenImagoDialog::~TOpenImagoDialog() {
    delete FFiles;
}

TStrings* TOpenImagoDialog::GetFiles() const {
    return FFiles;
}

void TOpenImagoDialog::SetInitialDir(const std::string& Value) {
    FInitialDir = Value.size() > 1 && Value.back() == '/' ? Value.substr(0, Value.size() - 1) : Value;
}

std::string TOpenImagoDialog::GetFileName() const {
    return FDialog && FDialog->GetShowing() ? FDialog->GetFileName() : FFileName;
}

Integer TOpenImagoDialog::GetFilterIndex() const {
    return FDialog && FDialog->GetShowing() ? FDialog->GetFilterIndex() : FFilterIndex;
}

std::string TOpenImagoDialog::CurrentPattern() const {
    return FilterPattern(FFilter, GetFilterIndex());
}

void TOpenImagoDialog::GetStaticRect(TRect& Rect) const {
    Rect = TRect(0, 0, 0, 0);
    if (!FDialog || !FDialog->GetShowing()) return;
    TWinControl* host = Pane->GetParent();
    if (!host) return;
    Rect = TRect(0, 0, std::max<Integer>(host->GetClientWidth() - Pane->GetWidth(), 0), host->GetClientHeight());
}

bool TOpenImagoDialog::Execute() {
    PreviewCheck->SetCaption(GetImgWord(0, GetMsgLanguage()));
    PreviewCheck->SetVisible(true);
    if (FAutoSetFilter) FFilter = BuildImgFilter();
    return DoExecute(false);
}

bool TOpenImagoDialog::DoExecute(bool Save) {
    std::unique_ptr<TOpenDialog> dialog(Save ? new TSaveDialog(nullptr) : new TOpenDialog(nullptr));
    dialog->SetTitle(FTitle);
    dialog->SetFilter(FFilter);
    dialog->SetFilterIndex(FFilterIndex);
    dialog->SetInitialDir(FInitialDir);
    dialog->SetFileName(FFileName);
    dialog->SetDefaultExt(FDefaultExt);
    dialog->SetOptions(FOptions);
    dialog->SetHelpContext(GetHelpContext());
    dialog->SetExtraPane(FPreviewEnabled ? Pane : InfoPanel);
    dialog->OnShow = [this](TObject*) { DoShow(); };
    dialog->OnClose = [this](TObject*) { DoClose(); };
    dialog->OnSelectionChange = [this](TObject*) { DoSelectionChange(); };
    dialog->OnFolderChange = [this](TObject*) { DoFolderChange(); };
    dialog->OnTypeChange = [this](TObject*) { DoTypeChange(); };
    dialog->OnCanClose = [this](TObject*, bool& CanClose) { CanClose = DoCanClose(); };
    FDialog = dialog.get();
    bool ok = false;
    try {
        ok = dialog->Execute();
    } catch (...) {
        FDialog = nullptr;
        throw;
    }
    FDialog = nullptr;
    if (!ok) return false;
    FFiles->Assign(dialog->GetFiles());
    FFileName = dialog->GetFileName();
    FFilterIndex = dialog->GetFilterIndex();
    FOptions = dialog->GetOptions();
    return true;
}

bool TOpenImagoDialog::DoCanClose() {
    bool can = true;
    if (OnCanClose) OnCanClose(this, can);
    return can;
}

void TOpenImagoDialog::DoFolderChange() {
    if (OnFolderChange) OnFolderChange(this);
}

void TOpenImagoDialog::DoTypeChange() {
    if (OnTypeChange) OnTypeChange(this);
}

void TOpenImagoDialog::DoShow() {
    if (FPreviewEnabled) {
        ZoomCombo->GetItems()->Clear();
        static constexpr Integer kZooms[] = {0, 25, 50, 75, 100, 125, 150, 175, 200, 300, 400};
        for (Integer zoom : kZooms)
            ZoomCombo->GetItems()->AddObject(zoom ? IntToStr(zoom) + "%" : "Fit",
                                             reinterpret_cast<TObject*>(intptr_t(zoom)));
        ZoomCombo->SetItemIndex(0);
        ImagoView->SetBackground(clWhite);
        ImagoView->SetCenter(true);
        PlayButton->SetDown(false);
        PlayButton->SetEnabled(false);
        ImagoMView->SetPlaying(false);
    }
    if (FDialog) {
        if (TCustomForm* form = GetParentForm(Pane)) CenterDialogWindow(form);
    }
    TImgCommonDialog::DoShow();
}

void TOpenImagoDialog::DoClose() {
    TImgCommonDialog::DoClose();
    ImagoMView->SetPlaying(false);
    ImagoMView->Clear();
    ImagoView->ClearImage();
    Application->CancelHint();
}

void TOpenImagoDialog::ZoomComboChange() {
    const Integer index = ZoomCombo->GetItemIndex();
    if (index < 0) return;
    const Integer zoom = Integer(reinterpret_cast<intptr_t>(ZoomCombo->GetItems()->GetObject(index)));
    if (zoom != 0)
        ImagoView->SetZoom(zoom);
    else
        ImagoView->ZoomToFit();
}

void TOpenImagoDialog::PlayClick() {
    ImagoMView->SetPlaying(PlayButton->GetDown());
    PreviewButton->SetEnabled(!PlayButton->GetDown());
}

void TOpenImagoDialog::ClearPreview() {
    InfoLabel1->SetCaption("");
    InfoLabel2->SetCaption("");
    PreviewButton->SetEnabled(false);
    ImagoView->ClearImage();
}

void TOpenImagoDialog::PreviewCheckClick() {
    if (PreviewCheck->GetChecked()) {
        DoSelectionChange();
        return;
    }
    ShowFileInfo(nullptr);
    ImagoView->ClearImage();
    ImagoView->SetBackground(clWhite);
    ImagoView->SetZoom(100);
    ImagoMView->Clear();
    ImagoMView->SetBackground(clWhite);
}

void TOpenImagoDialog::DoSelectionChange() {
    if (FBusy) return;
    if (!FPreviewEnabled) {
        if (OnSelectionChange) OnSelectionChange(this);
        return;
    }
    FBusy = true;
    const std::string name = GetFileName();
    bool present = !name.empty() && FileExists(name) && FileGetAttr(name) >= 0;
    if (present) {
        try {
            FFileSize = ImgGetFileSize(name);
            FFrames = 1;
            if (PreviewCheck->GetChecked()) {
                TCursor saved = Screen->GetCursor();
                Screen->SetCursor(crHourGlass);
                ImagoView->SetBackground(clWhite);
                ImagoView->ClearImage();
                ImagoMView->SetBackground(clWhite);
                ImagoMView->Clear();
                PlayButton->SetDown(false);
                const std::string ext = LowerCase(ExtractFileExt(name));
                const bool frames = ext == ".avi" || (ext == ".gif" && ImagoIO->GIFFrameCount(name) > 1) ||
                                    (ext == ".tif" && ImagoIO->TIFFPageCount(name) > 1);
                ProgressBar->SetParent(PicturePanel);
                ProgressBar->SetPosition(0);
                ProgressBar->SetVisible(true);
                if (frames)
                    LoadFramesPreview(name, ext);
                else
                    LoadSinglePreview(name);
                ProgressBar->SetVisible(false);
                ZoomCombo->SetItemIndex(0);
                ZoomComboChange();
                Screen->SetCursor(saved);
                // A playing view has no single picture to show at full size.
                PreviewButton->SetEnabled(!PlayButton->GetDown());
            } else {
                ImagoIO->ParamsFromFile(name);
                if (ImagoIO->GetParams()->FileType != ioUnknown)
                    ShowFileInfo(ImagoIO->GetParams());
                else
                    ShowFileInfo(nullptr);
            }
        } catch (const Exception&) {
            ProgressBar->SetVisible(false);
            present = false;
        }
    }
    if (!present) ClearPreview();
    if (OnSelectionChange) OnSelectionChange(this);
    FBusy = false;
}

void TOpenImagoDialog::LoadFramesPreview(const std::string& FileName, const std::string& Ext) {
    PlayButton->SetEnabled(true);
    ZoomCombo->SetEnabled(false);
    ImagoMView->SetVisible(true);
    ImagoView->SetVisible(false);
    ImagoMIO->LoadFromFile(FileName);
    FFrames = ImagoMView->ImageCount();
    // The first frame, as the Home key selects it; its selection shows its information.
    ImagoMView->SetSelectedImage(0);
    ImagoMView->SetViewXY(0, 0);
    if (FAlwaysAnimate && (Ext == ".avi" || Ext == ".gif")) {
        PlayButton->SetDown(true);
        PlayClick();
    }
}

void TOpenImagoDialog::LoadSinglePreview(const std::string& FileName) {
    PlayButton->SetEnabled(false);
    ZoomCombo->SetEnabled(true);
    ImagoView->SetVisible(true);
    ImagoMView->SetVisible(false);
    ImagoIO->LoadFromFile(FileName);
    FFrames = 1;
    ShowFileInfo(ImagoIO->GetParams());
}

void TOpenImagoDialog::ShowFileInfo(const TIOParamsVals* Params) {
    if (!Params) {
        for (TLabel* label : {PicLabel1, PicLabel2, PicLabel3, InfoLabel1, InfoLabel2}) label->SetCaption("");
        return;
    }
    std::string size = IntToStr(Params->Width) + " x " + IntToStr(Params->Height) + " pixel";
    if (FFrames > 1) size += " , " + IntToStr(FFrames) + " frames";
    PicLabel1->SetCaption(size);
    PicLabel3->SetCaption(IntToStr(Params->DpiX) + " x " + IntToStr(Params->DpiY) + " dpi");
    const Integer depth = Params->SamplesPerPixel * Params->BitsPerSample;
    const std::string colours = depth == 32 ? "16777216" : IntToStr(ColorCountOfDepth(depth, 1));
    PicLabel2->SetCaption(colours + " " + GetImgWord(58, GetMsgLanguage()) + " (" + IntToStr(depth) + " bit)");
    auto amount = [](Int64 bytes) {
        return bytes > 1023 ? IntToStr(bytes / 1024) + " Kb" : IntToStr(bytes) + " bytes";
    };
    const Int64 b = Params->SamplesPerPixel == 1 && Params->BitsPerSample == 1 ? 1 : 24;
    const Int64 memory = (Int64(Params->Width) * b + 31) / 32 * 4 * Params->Height * std::max<Integer>(FFrames, 1);
    InfoLabel2->SetCaption("File: " + amount(FFileSize) + "   Mem: " + amount(memory));
    InfoLabel1->SetCaption(DescribeImageParams(Params));
}

void TOpenImagoDialog::PreviewClick() {
    std::unique_ptr<TForm, void (*)(TObject*)> form(new TForm(nullptr), FreeObject);
    form->SetName("PreviewForm");
    form->SetCaption(FPreviewCaption + ": " + GetFileName());
    form->SetBorderStyle(bsSizeToolWin);
    form->SetKeyPreview(true);
    form->SetPosition(poScreenCenter);
    TForm* f = form.get();
    form->OnKeyDown = [f](TObject*, Word& Key, TShiftState) {
        if (Key == VK_ESCAPE) f->SetModalResult(mrCancel);
    };
    auto* view = new TImagoView(f);
    view->SetName("ImagoView");
    view->SetParent(f);
    view->SetAlign(alClient);
    view->SetMouseInteract({miZoom, miScroll});
    if (ImagoView->GetVisible())
        view->Assign(ImagoView);
    else if (TBitmap* frame = ImagoMView->GetBitmap())
        view->Assign(frame);
    else
        return;
    view->SetBackground(clWhite);
    view->SetBackgroundStyle(iebsChessboard);
    view->SetCenter(true);
    view->SetScrollBars(ssBoth);
    TBitmap* image = view->GetBitmap();
    auto side = [](Integer size, Integer screen) { return size <= 100 ? 100 : size < screen ? size : screen; };
    form->SetClientWidth(side(image->GetWidth(), Screen->GetWidth()));
    form->SetClientHeight(side(image->GetHeight(), Screen->GetHeight()));
    form->ShowModal();
}

// ---- TSaveImagoDialog ------------------------------------------------------------------------

TSaveImagoDialog::TSaveImagoDialog(TComponent* AOwner) : TOpenImagoDialog(AOwner), FBackup(new TIOParamsVals()) {
    SetFilter(
        "JPEG Bitmap (JPG)|*.jpg|CompuServe Bitmap (GIF)|*.gif|TIFF Bitmap (TIF)|*.tif|PaintBrush (PCX)|*.pcx|"
        "Portable Network Graphics (PNG)|*.png|Windows Bitmap (BMP)|*.bmp|OS/2 Bitmap (BMP)|*.bmp");
    AdvancedButton->OnClick = [this](TObject*) { AdvancedClick(); };
}

TSaveImagoDialog::~TSaveImagoDialog() {
    FBackup->Free();
}

void TSaveImagoDialog::SetAttachedImagoIO(TComponent* Value) {
    if (!dynamic_cast<TImagoIO*>(Value) && !dynamic_cast<TImagoMIO*>(Value)) return;
    if (FAttachedImagoIO) FAttachedImagoIO->RemoveFreeNotification(this);
    FAttachedImagoIO = Value;
    Value->FreeNotification(this);
}

TIOParamsVals* TSaveImagoDialog::AttachedParams() const {
    if (auto* io = dynamic_cast<TImagoIO*>(FAttachedImagoIO)) return io->GetParams();
    if (auto* mio = dynamic_cast<TImagoMIO*>(FAttachedImagoIO)) return mio->GetFrameParams(0);
    return nullptr;
}

void TSaveImagoDialog::Notification(TComponent* AComponent, TOperation Operation) {
    TOpenImagoDialog::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FAttachedImagoIO) FAttachedImagoIO = nullptr;
}

bool TSaveImagoDialog::Execute() {
    FPreviewEnabled = GetExOptions().Contains(sdShowPreview);
    if (GetAutoSetFilter()) SetFilter(BuildImgFilter());
    AdvancedButton->SetVisible(FExOptions.Contains(sdShowAdvanced));
    AdvancedButton->SetCaption(GetImgWord(45, GetMsgLanguage()) + "...");
    PreviewCheck->SetCaption(GetImgWord(0, GetMsgLanguage()));
    PreviewCheck->SetVisible(FExOptions.Contains(sdShowPreview));
    TIOParamsVals* params = AttachedParams();
    if (params)
        FBackup->Assign(params);
    else if (dynamic_cast<TImagoMIO*>(FAttachedImagoIO))
        return false;  // no frame to save
    const bool ok = DoExecute(true);
    if (!ok) {
        // Cancelled: what Advanced changed is undone.
        if (TIOParamsVals* now = AttachedParams()) now->Assign(FBackup);
        return false;
    }
    const std::string name = TOpenImagoDialog::GetFileName();
    if (ExtractFileExt(ExtractFileName(name)).empty()) {
        SetFileName(name + FilterExtension(CurrentPattern()));
        if (GetFiles()->GetCount() > 0) GetFiles()->Put(0, TOpenImagoDialog::GetFileName());
    }
    return true;
}

void TSaveImagoDialog::AdvancedClick() {
    auto pageOf = [](std::string ext) -> Word {
        ext = LowerCase(ext);
        if (ext == "jpg" || ext == "jpeg" || ext == "jpe") return 4;
        if (ext == "tif" || ext == "tiff") return 8;
        if (ext == "gif") return 16;
        if (ext == "bmp") return 32;
        if (ext == "pcx") return 64;
        if (ext == "png") return 128;
        return 0;
    };
    std::string ext = ExtractFileExt(GetFileName());
    if (!ext.empty()) ext = ext.substr(1);
    Word pages = pageOf(ext);
    if (!pages) {
        std::string def = GetDefaultExt();
        if (!def.empty() && def.front() == '.') def = def.substr(1);
        pages = pageOf(def);
    }
    if (!pages) return;
    if (auto* io = dynamic_cast<TImagoIO*>(FAttachedImagoIO))
        io->ShowPreviews(pages);
    else if (auto* mio = dynamic_cast<TImagoMIO*>(FAttachedImagoIO))
        mio->ShowPreviews(0, pages);
}

void TSaveImagoDialog::ApplyTypeExtension() {
    std::string name = ExtractFileName(GetFileName());
    const size_t dot = name.find('.');
    if (dot != std::string::npos) name = name.substr(0, dot);
    if (name.empty()) return;
    name += FilterExtension(CurrentPattern());
    if (GetDialog()) GetDialog()->SetFileNameText(name);
}

void TSaveImagoDialog::DoTypeChange() {
    ApplyTypeExtension();
    TOpenImagoDialog::DoTypeChange();
}
