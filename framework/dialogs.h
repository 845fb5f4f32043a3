#pragma once
// The common dialogs (open and save files and pictures, fonts, colours, printing) and the
// message and input boxes. Every one of them goes through the dialog service, so tests answer
// them from a script (see dialog_service.h).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/dialog_service.h"
#include "framework/graphics.h"

class TStrings;

// ---------------------------------------------------------------------------------------------
// TCommonDialog

class TCommonDialog : public TComponent {
    LUMORA_CLASS(TCommonDialog, TComponent)
public:
    explicit TCommonDialog(TComponent* AOwner);
    // Shows the dialog modally; true when the user accepted it.
    virtual bool Execute() = 0;

    bool GetCtl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value) { FCtl3D = Value; }
    Integer GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(Integer Value) { FHelpContext = Value; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    virtual void DoShow();
    virtual void DoClose();
    // Asks the dialog service: Request gets the kind, class, name and subject of this dialog;
    // Run shows the real dialog. The application counts as being in a modal state meanwhile.
    bool RunDialog(TDialogRequest& Request, TDialogAnswer& Answer, const std::function<bool(TDialogAnswer&)>& Run);

private:
    bool FCtl3D = true;
    Integer FHelpContext = 0;
};

// ---------------------------------------------------------------------------------------------
// File dialogs

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing,
};
using TOpenOptions = TSet<TOpenOption>;

// The Windows request flags (OFN_*) of the options; the last two have none.
DWORD OpenOptionsToFlags(TOpenOptions Options);

class TFileDialogSession;

// Chooses files to open. Filter holds pairs "Description|*.a;*.b" joined by "|"; FilterIndex
// counts from 1. A name typed without a folder is taken in InitialDir (else the current folder)
// and gets DefaultExt when it has no extension. Options used: ofAllowMultiSelect (Files gets
// every name), ofFileMustExist, ofPathMustExist, ofOverwritePrompt and ofCreatePrompt (the
// question goes through the dialog service), ofNoChangeDir (otherwise the current folder becomes
// the chosen file's folder), ofExtensionDifferent (set after Execute when the extension is not
// DefaultExt).
class TOpenDialog : public TCommonDialog {
    LUMORA_CLASS(TOpenDialog, TCommonDialog)
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;
    bool Execute() override;

    const std::string& GetTitle() const { return FTitle; }
    void SetTitle(const std::string& Value) { FTitle = Value; }
    const std::string& GetFilter() const { return FFilter; }
    void SetFilter(const std::string& Value) { FFilter = Value; }
    // While the dialog is shown: the file type shown.
    Integer GetFilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(Integer Value) { FFilterIndex = Value; }
    const std::string& GetDefaultExt() const { return FDefaultExt; }
    // Stored without a leading point.
    void SetDefaultExt(const std::string& Value);
    const std::string& GetInitialDir() const { return FInitialDir; }
    void SetInitialDir(const std::string& Value) { FInitialDir = Value; }
    // While the dialog is shown: the file selected now.
    const std::string& GetFileName() const { return FFileName; }
    void SetFileName(const std::string& Value) { FFileName = Value; }
    // The files chosen by the last Execute.
    TStrings* GetFiles() const { return FFiles; }
    TOpenOptions GetOptions() const { return FOptions; }
    void SetOptions(TOpenOptions Value) { FOptions = Value; }
    // True while the dialog is shown.
    bool GetShowing() const { return FShowing; }
    // While the dialog is shown: the folder it shows (InitialDir when it opens); names without a
    // folder are taken in it.
    const std::string& GetFolder() const { return FFolder; }
    // While the dialog is shown: puts Text into its file name box.
    void SetFileNameText(const std::string& Text);

    // A pane shown beside the file list while the dialog runs (the picture dialogs put their
    // preview there). The dialog does not own it; its size at Execute is the pane's size.
    TWinControl* GetExtraPane() const { return FExtraPane; }
    void SetExtraPane(TWinControl* Value);
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Before the dialog closes with OK: false keeps it open.
    TCloseQueryEvent OnCanClose;
    TNotifyEvent OnFolderChange;
    TNotifyEvent OnSelectionChange;
    TNotifyEvent OnTypeChange;

protected:
    friend class TFileDialogSession;
    virtual bool DoCanClose();
    virtual void DoFolderChange();
    virtual void DoSelectionChange();
    virtual void DoTypeChange();
    // Runs the dialog, for saving or opening.
    bool DoExecute(bool Save);
    // The question of ofOverwritePrompt and ofCreatePrompt, and the checks of ofFileMustExist
    // and ofPathMustExist, for the full names of a press of OK; false keeps the dialog open.
    virtual bool CheckFiles(const std::vector<std::string>& Names, bool Save);
    // A name as the dialog returns it: in InitialDir (else the current folder) when it has no
    // folder, with DefaultExt when it has no extension.
    std::string CompleteName(const std::string& Name) const;

private:
    std::string FTitle;
    std::string FFilter;
    Integer FFilterIndex = 1;
    std::string FDefaultExt;
    std::string FInitialDir;
    std::string FFolder;
    std::string FFileName;
    TStrings* FFiles = nullptr;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
    TWinControl* FExtraPane = nullptr;
    bool FShowing = false;
    TFileDialogSession* FSession = nullptr;
};

class TSaveDialog : public TOpenDialog {
    LUMORA_CLASS(TSaveDialog, TOpenDialog)
public:
    explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}
    bool Execute() override;
};

// The file dialogs for pictures: the filter of every registered graphic format, and a preview
// of the selected picture (with its size) beside the file list.
class TOpenPictureDialog : public TOpenDialog {
    LUMORA_CLASS(TOpenPictureDialog, TOpenDialog)
public:
    explicit TOpenPictureDialog(TComponent* AOwner);
    ~TOpenPictureDialog() override;
    // The picture previewed now (empty when the selection is no picture we can read).
    TPicture* GetPreviewPicture() const;
    // The text under the preview: "640 x 480", or "(None)".
    std::string GetPreviewText() const;

protected:
    void DoSelectionChange() override;
    void DoClose() override;

private:
    class TPicturePreview* FPreview = nullptr;
};

class TSavePictureDialog : public TOpenPictureDialog {
    LUMORA_CLASS(TSavePictureDialog, TOpenPictureDialog)
public:
    explicit TSavePictureDialog(TComponent* AOwner) : TOpenPictureDialog(AOwner) {}
    bool Execute() override;
};

// ---------------------------------------------------------------------------------------------
// Fonts and colours

enum TFontDialogOption { fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist, fdNoFaceSel,
                         fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, fdNoVectorFonts, fdShowHelp,
                         fdWysiwyg, fdLimitSize, fdScalableOnly, fdApplyButton };
using TFontDialogOptions = TSet<TFontDialogOption>;

// Edits Font (name, size and style).
class TFontDialog : public TCommonDialog {
    LUMORA_CLASS(TFontDialog, TCommonDialog)
public:
    explicit TFontDialog(TComponent* AOwner);
    ~TFontDialog() override;
    bool Execute() override;
    TFont* GetFont() const { return FFont; }
    void SetFont(TFont* Value);
    TFontDialogOptions GetOptions() const { return FOptions; }
    void SetOptions(TFontDialogOptions Value) { FOptions = Value; }
    Integer GetMinFontSize() const { return FMinFontSize; }
    void SetMinFontSize(Integer Value) { FMinFontSize = Value; }
    Integer GetMaxFontSize() const { return FMaxFontSize; }
    void SetMaxFontSize(Integer Value) { FMaxFontSize = Value; }

private:
    TFont* FFont = nullptr;
    TFontDialogOptions FOptions{fdEffects};
    Integer FMinFontSize = 0;
    Integer FMaxFontSize = 0;
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = TSet<TColorDialogOption>;

// Chooses Color. CustomColors holds "ColorA=FFFFFF" .. "ColorP=..." (hexadecimal BGR).
class TColorDialog : public TCommonDialog {
    LUMORA_CLASS(TColorDialog, TCommonDialog)
public:
    explicit TColorDialog(TComponent* AOwner);
    ~TColorDialog() override;
    bool Execute() override;
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TStrings* GetCustomColors() const { return FCustomColors; }
    TColorDialogOptions GetOptions() const { return FOptions; }
    void SetOptions(TColorDialogOptions Value) { FOptions = Value; }

private:
    TColor FColor = 0;
    TStrings* FCustomColors = nullptr;
    TColorDialogOptions FOptions;
};

// ---------------------------------------------------------------------------------------------
// Printing

enum TPrintRange { prAllPages, prSelection, prPageNums };
enum TPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
using TPrintDialogOptions = TSet<TPrintDialogOption>;

// Chooses the printer and the copies; the choice goes to Printer().
class TPrintDialog : public TCommonDialog {
    LUMORA_CLASS(TPrintDialog, TCommonDialog)
public:
    explicit TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
    bool Execute() override;
    Integer GetCopies() const { return FCopies; }
    void SetCopies(Integer Value) { FCopies = Value; }
    bool GetCollate() const { return FCollate; }
    void SetCollate(bool Value) { FCollate = Value; }
    Integer GetFromPage() const { return FFromPage; }
    void SetFromPage(Integer Value) { FFromPage = Value; }
    Integer GetToPage() const { return FToPage; }
    void SetToPage(Integer Value) { FToPage = Value; }
    Integer GetMinPage() const { return FMinPage; }
    void SetMinPage(Integer Value) { FMinPage = Value; }
    Integer GetMaxPage() const { return FMaxPage; }
    void SetMaxPage(Integer Value) { FMaxPage = Value; }
    TPrintRange GetPrintRange() const { return FPrintRange; }
    void SetPrintRange(TPrintRange Value) { FPrintRange = Value; }
    bool GetPrintToFile() const { return FPrintToFile; }
    void SetPrintToFile(bool Value) { FPrintToFile = Value; }
    TPrintDialogOptions GetOptions() const { return FOptions; }
    void SetOptions(TPrintDialogOptions Value) { FOptions = Value; }

private:
    Integer FCopies = 0;
    bool FCollate = false;
    Integer FFromPage = 0;
    Integer FToPage = 0;
    Integer FMinPage = 0;
    Integer FMaxPage = 0;
    TPrintRange FPrintRange = prAllPages;
    bool FPrintToFile = false;
    TPrintDialogOptions FOptions;
};

// Chooses the printer, the paper and the orientation of Printer().
class TPrinterSetupDialog : public TCommonDialog {
    LUMORA_CLASS(TPrinterSetupDialog, TCommonDialog)
public:
    explicit TPrinterSetupDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
    bool Execute() override;
};
