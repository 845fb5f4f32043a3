#include "framework/dialogs.h"

#include <algorithm>

#include "framework/dialog_backend.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"
#include "framework/window_backend.h"

// ---- TCommonDialog ---------------------------------------------------------------------------

TCommonDialog::TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

void TCommonDialog::DoShow() {
    if (OnShow) OnShow(this);
}

void TCommonDialog::DoClose() {
    if (OnClose) OnClose(this);
}

bool TCommonDialog::RunDialog(TDialogRequest& Request, TDialogAnswer& Answer,
                              const std::function<bool(TDialogAnswer&)>& Run) {
    CancelModesForDialog();
    Request.Kind = dkCommon;
    Request.DialogClass = ClassName();
    Request.DialogName = GetName();
    Request.Subject = this;
    Request.HelpContext = FHelpContext;
    return DialogService()->ExecuteDialog(Request, Answer, [&](TDialogAnswer& a) {
        Application->ModalStarted();
        struct End {
            ~End() { Application->ModalFinished(); }
        } end;
        return Run(a);
    });
}

// ---- File dialogs ----------------------------------------------------------------------------

DWORD OpenOptionsToFlags(TOpenOptions Options) {
    static const DWORD flags[] = {0x1,    0x2,    0x4,     0x8,     0x10,    0x100,   0x200,
                                  0x400,  0x800,  0x1000,  0x2000,  0x4000,  0x8000,  0x10000,
                                  0x20000, 0x40000, 0x80000, 0x100000, 0,     0};
    DWORD f = 0;
    for (int i = 0; i <= int(ofEnableSizing); ++i)
        if (Options.Contains(TOpenOption(i))) f |= flags[i];
    return f;
}

// What the open dialog does as the user works in it (the real dialog or a test script).
class TFileDialogSession : public TDialogSession {
public:
    TFileDialogSession(TOpenDialog* Dialog, bool Save) : FDialog(Dialog), FSave(Save) {}

    void Shown() override {
        FDialog->FShowing = true;
        FDialog->FSession = this;
        FDialog->FFolder = FDialog->FInitialDir;
        FDialog->DoShow();
    }
    void FolderChanged(const std::string& Folder) override {
        FDialog->FFolder = Folder;
        FDialog->DoFolderChange();
    }
    void TypeChanged(Integer FilterIndex) override {
        FDialog->FFilterIndex = FilterIndex;
        FDialog->DoTypeChange();
    }
    void SelectionChanged(const std::string& FileName) override {
        FDialog->FFileName = FDialog->CompleteName(FileName);
        FDialog->DoSelectionChange();
    }
    bool CanClose(TDialogAnswer& Answer) override {
        for (std::string& f : Answer.Files) f = FDialog->CompleteName(f);
        if (Answer.Files.empty()) return false;
        Answer.Value = Answer.Files.front();
        if (!FDialog->CheckFiles(Answer.Files, FSave)) return false;
        // OnCanClose sees the names chosen.
        FDialog->FFileName = Answer.Value;
        FDialog->FFiles->Clear();
        for (const std::string& f : Answer.Files) FDialog->FFiles->Add(f);
        if (FDialog->DoCanClose()) return true;
        FDialog->FFiles->Clear();
        return false;
    }
    void Closed() override {
        FDialog->FShowing = false;
        FDialog->FSession = nullptr;
        FDialog->DoClose();
    }

private:
    TOpenDialog* FDialog;
    bool FSave;
};

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFiles(new TStringList()) {}

TOpenDialog::~TOpenDialog() { delete FFiles; }

void TOpenDialog::SetDefaultExt(const std::string& Value) {
    FDefaultExt = !Value.empty() && Value.front() == '.' ? Value.substr(1) : Value;
}

void TOpenDialog::SetExtraPane(TWinControl* Value) {
    if (FExtraPane == Value) return;
    if (FExtraPane) FExtraPane->RemoveFreeNotification(this);
    FExtraPane = Value;
    if (FExtraPane) FExtraPane->FreeNotification(this);
}

void TOpenDialog::Notification(TComponent* AComponent, TOperation Operation) {
    TCommonDialog::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FExtraPane) FExtraPane = nullptr;
}

void TOpenDialog::SetFileNameText(const std::string& Text) {
    if (FSession && FSession->SetFileNameBox) FSession->SetFileNameBox(Text);
}

bool TOpenDialog::DoCanClose() {
    bool can = true;
    if (OnCanClose) OnCanClose(this, can);
    return can;
}

void TOpenDialog::DoFolderChange() {
    if (OnFolderChange) OnFolderChange(this);
}

void TOpenDialog::DoSelectionChange() {
    if (OnSelectionChange) OnSelectionChange(this);
}

void TOpenDialog::DoTypeChange() {
    if (OnTypeChange) OnTypeChange(this);
}

std::string TOpenDialog::CompleteName(const std::string& Name) const {
    if (Name.empty()) return Name;
    std::string full = Name;
    if (full.front() != '/') {
        std::string dir = FShowing && !FFolder.empty() ? FFolder : !FInitialDir.empty() ? FInitialDir : GetCurrentDir();
        full = IncludeTrailingPathDelimiter(dir) + full;
    }
    if (!FDefaultExt.empty() && ExtractFileExt(ExtractFileName(full)).empty() && !DirectoryExists(full))
        full += "." + FDefaultExt;
    return full;
}

bool TOpenDialog::CheckFiles(const std::vector<std::string>& Names, bool Save) {
    std::string caption = !FTitle.empty() ? FTitle : Save ? "Save As" : "Open";
    for (const std::string& name : Names) {
        bool exists = FileExists(name);
        if ((FOptions.Contains(ofPathMustExist) || FOptions.Contains(ofFileMustExist)) &&
            !DirectoryExists(ExtractFileDir(name))) {
            MessageBox(nullptr, name + "\nPath does not exist.\nCheck the path and try again.", caption,
                       MB_OK | MB_ICONWARNING);
            return false;
        }
        if (FOptions.Contains(ofFileMustExist) && !exists) {
            MessageBox(nullptr, name + "\nFile not found.\nCheck the file name and try again.", caption,
                       MB_OK | MB_ICONWARNING);
            return false;
        }
        if (Save && exists && FOptions.Contains(ofOverwritePrompt) &&
            MessageBox(nullptr, name + " already exists.\nDo you want to replace it?", caption,
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return false;
        if (!exists && FOptions.Contains(ofCreatePrompt) &&
            MessageBox(nullptr, name + "\nThis file does not exist.\nDo you want to create it?", caption,
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
    }
    return true;
}

bool TOpenDialog::DoExecute(bool Save) {
    std::string fileName = FFileName;
    Integer filterIndex = FFilterIndex;
    TFileDialogSession session(this, Save);
    TDialogRequest r;
    r.Caption = !FTitle.empty() ? FTitle : Save ? "Save As" : "Open";
    r.Value = FFileName;
    r.Filter = FFilter;
    r.FilterIndex = FFilterIndex;
    r.InitialDir = FInitialDir;
    r.DefaultExt = FDefaultExt;
    r.Options = OpenOptionsToFlags(FOptions);
    r.Session = &session;
    TDialogAnswer a;
    bool ok = RunDialog(r, a, [&](TDialogAnswer& answer) {
        lumora_dialogs::TFileDialogSpec desc;
        desc.Save = Save;
        desc.MultiSelect = FOptions.Contains(ofAllowMultiSelect);
        desc.Title = r.Caption;
        desc.Filter = FFilter;
        desc.FilterIndex = FFilterIndex;
        desc.InitialDir = FInitialDir;
        desc.DefaultExt = FDefaultExt;
        desc.FileName = FFileName;
        desc.ExtraPane = FExtraPane;
        desc.Session = &session;
        return lumora_dialogs::RunFileDialog(desc, answer);
    });
    FShowing = false;
    FSession = nullptr;
    if (!ok) {
        // Nothing chosen: the dialog keeps what it had.
        FFileName = fileName;
        FFilterIndex = filterIndex;
        return false;
    }
    FFiles->Clear();
    for (const std::string& f : a.Files) FFiles->Add(f);
    FFileName = a.Value;
    if (a.FilterIndex > 0) FFilterIndex = a.FilterIndex;
    std::string ext = ExtractFileExt(FFileName);
    if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
    if (!FDefaultExt.empty() && !SameText(ext, FDefaultExt))
        FOptions.Include(ofExtensionDifferent);
    else
        FOptions.Exclude(ofExtensionDifferent);
    if (!FOptions.Contains(ofNoChangeDir)) SetCurrentDir(ExtractFileDir(FFileName));
    return true;
}

bool TOpenDialog::Execute() { return DoExecute(false); }

bool TSaveDialog::Execute() { return DoExecute(true); }

// ---- Picture dialogs -------------------------------------------------------------------------

// The preview beside the file list: the picture fitted into the pane, its size below.
class TPicturePreview : public TCustomControl {
    LUMORA_CLASS(TPicturePreview, TCustomControl)
public:
    explicit TPicturePreview(TComponent* AOwner) : TCustomControl(AOwner), FPicture(new TPicture()) {
        SetBounds(0, 0, 170, 200);
        SetColor(clBtnFace);
    }
    ~TPicturePreview() override { delete FPicture; }
    TPicture* Picture() const { return FPicture; }
    const std::string& Text() const { return FText; }

    void Load(const std::string& FileName) {
        bool loaded = false;
        try {
            std::string ext = ExtractFileExt(FileName);
            if (!ext.empty()) ext.erase(0, 1);
            if (FileExists(FileName) && TPicture::FindGraphicClass(ext)) {
                FPicture->LoadFromFile(FileName);
                loaded = FPicture->GetGraphic() && !FPicture->GetGraphic()->GetEmpty();
            }
        } catch (Exception&) {
        }
        if (!loaded) FPicture->Assign(nullptr);
        FText =
            loaded ? std::to_string(FPicture->GetWidth()) + " x " + std::to_string(FPicture->GetHeight()) : "(None)";
        Invalidate();
    }
    void Clear() {
        FPicture->Assign(nullptr);
        FText = "(None)";
        Invalidate();
    }

protected:
    void Paint() override {
        TCanvas* c = GetCanvas();
        TRect r = GetClientRect();
        c->GetBrush()->SetColor(clBtnFace);
        c->FillRect(r);
        Integer textH = c->TextHeight("Wg") + 4;
        TRect box{r.Left + 4, r.Top + 4, r.Right - 4, r.Bottom - textH - 4};
        Integer w = FPicture->GetWidth(), h = FPicture->GetHeight();
        if (w > 0 && h > 0 && box.Width() > 0 && box.Height() > 0) {
            // Shrunk to fit, keeping its shape; a smaller picture stays as it is, centred.
            Integer dw = w, dh = h;
            if (dw > box.Width() || dh > box.Height()) {
                if (Int64(w) * box.Height() > Int64(h) * box.Width()) {
                    dw = box.Width();
                    dh = Integer(std::max<Int64>(1, Int64(h) * box.Width() / w));
                } else {
                    dh = box.Height();
                    dw = Integer(std::max<Int64>(1, Int64(w) * box.Height() / h));
                }
            }
            Integer x = box.Left + (box.Width() - dw) / 2, y = box.Top + (box.Height() - dh) / 2;
            c->StretchDraw({x, y, x + dw, y + dh}, FPicture->GetGraphic());
        }
        c->GetBrush()->SetStyle(bsClear);
        c->TextOut(r.Left + (r.Width() - c->TextWidth(FText)) / 2, r.Bottom - textH + 2, FText);
        c->GetBrush()->SetStyle(bsSolid);
    }

private:
    TPicture* FPicture;
    std::string FText = "(None)";
};

TOpenPictureDialog::TOpenPictureDialog(TComponent* AOwner) : TOpenDialog(AOwner) {
    SetFilter(GraphicFilter(TGraphic::StaticClass()));
    FPreview = new TPicturePreview(this);
    SetExtraPane(FPreview);
}

TOpenPictureDialog::~TOpenPictureDialog() = default;

TPicture* TOpenPictureDialog::GetPreviewPicture() const { return FPreview ? FPreview->Picture() : nullptr; }

std::string TOpenPictureDialog::GetPreviewText() const { return FPreview ? FPreview->Text() : std::string(); }

void TOpenPictureDialog::DoSelectionChange() {
    if (FPreview) FPreview->Load(GetFileName());
    TOpenDialog::DoSelectionChange();
}

void TOpenPictureDialog::DoClose() {
    TOpenDialog::DoClose();
    if (FPreview) FPreview->Clear();
}

bool TSavePictureDialog::Execute() { return DoExecute(true); }

// ---- Fonts and colours -----------------------------------------------------------------------

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFont(new TFont()) {}

TFontDialog::~TFontDialog() { delete FFont; }

void TFontDialog::SetFont(TFont* Value) { FFont->Assign(Value); }

bool TFontDialog::Execute() {
    TDialogRequest r;
    r.Caption = "Font";
    r.Value = FFont->GetName() + "," + std::to_string(FFont->GetSize());
    TDialogAnswer a;
    DoShow();
    bool ok = RunDialog(r, a, [&](TDialogAnswer&) { return lumora_dialogs::RunFontDialog(FFont); });
    DoClose();
    return ok;
}

TColorDialog::TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner), FCustomColors(new TStringList()) {}

TColorDialog::~TColorDialog() { delete FCustomColors; }

bool TColorDialog::Execute() {
    TDialogRequest r;
    r.Caption = "Color";
    r.Value = ColorToString(FColor);
    TDialogAnswer a;
    DoShow();
    bool ok = RunDialog(r, a, [&](TDialogAnswer& answer) {
        TColor c = FColor;
        if (!lumora_dialogs::RunColorDialog(c, FCustomColors)) return false;
        answer.Value = ColorToString(c);
        return true;
    });
    DoClose();
    if (ok && !a.Value.empty() && a.Value != r.Value) FColor = StringToColor(a.Value);
    return ok;
}

// ---- Printing --------------------------------------------------------------------------------

bool TPrintDialog::Execute() {
    TDialogRequest r;
    r.Caption = "Print";
    r.Value = std::to_string(FCopies);
    TDialogAnswer a;
    DoShow();
    bool ok = RunDialog(r, a, [&](TDialogAnswer& answer) {
        if (!lumora_dialogs::RunPrintDialog(this)) return false;
        answer.Value = std::to_string(FCopies);
        return true;
    });
    DoClose();
    if (ok && !a.Value.empty() && a.Value != r.Value) FCopies = StrToIntDef(a.Value, FCopies);
    return ok;
}

bool TPrinterSetupDialog::Execute() {
    TDialogRequest r;
    r.Caption = "Print Setup";
    TDialogAnswer a;
    DoShow();
    bool ok = RunDialog(r, a, [](TDialogAnswer&) { return lumora_dialogs::RunPrinterSetupDialog(); });
    DoClose();
    return ok;
}
