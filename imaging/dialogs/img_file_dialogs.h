#pragma once
// The image file dialogs: the framework's open and save dialogs with a preview pane beside the
// file list. TOpenImagoDialog previews the selected image in a single view with zoom choices, or
// every frame of an animated GIF, a multi-page ".tif" or an AVI file in a frame view with a play
// button, and shows information lines about the file, with a full-size preview window;
// TSaveImagoDialog adds an Advanced button that opens the save-parameters form of an attached
// single- or multi-frame I/O component and keeps the name box's extension in step with the file
// type.
//
// The dialog's events (selection, folder, type, OK) reach DoSelectionChange, DoFolderChange,
// DoTypeChange and DoCanClose while it is open. Paths are POSIX.

#include <string>

#include "framework/component.h"
#include "framework/dialogs.h"
#include "imaging/img_types.h"

class TButton;
class TCheckBox;
class TComboBox;
class TImagoIO;
class TImagoMIO;
class TImagoMView;
class TImagoView;
class TIOParamsVals;
class TLabel;
class TPanel;
class TProgressBar;
class TSpeedButton;

class TImgCommonDialog : public TComponent {
    LUMORA_CLASS(TImgCommonDialog, TComponent)
public:
    explicit TImgCommonDialog(TComponent* AOwner);

    bool GetCtl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value) { FCtl3D = Value; }
    Integer GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(Integer Value) { FHelpContext = Value; }
    TMsgLanguage GetMsgLanguage() const { return FMsgLanguage; }
    void SetMsgLanguage(TMsgLanguage Value) { FMsgLanguage = Value; }

    virtual bool Execute() = 0;

    TNotifyEvent OnClose;
    TNotifyEvent OnShow;

protected:
    virtual void DoClose();
    virtual void DoShow();

private:
    bool FCtl3D = true;
    Integer FHelpContext = 0;
    TMsgLanguage FMsgLanguage = msSystem;
};

// Where a dialog of Width x Height goes on a screen of ScreenWidth x ScreenHeight: centred
// across, a third of the free height down.
TPoint CenterDialogPosition(Integer ScreenWidth, Integer ScreenHeight, Integer Width, Integer Height);
// Moves the window there on the screen, keeping its size.
void CenterDialogWindow(TWinControl* Window);

// "All graphics|" with every pattern of the format registry, then one filter per entry
// ("TIFF Bitmap (TIF;TIFF)|*.tif;*.tiff"), then the video entry.
std::string BuildImgFilter();
// The extension of a filter pattern: from its first "." to before its first ";" ("*.tif;*.tiff"
// gives ".tif"); empty without a point.
std::string FilterExtension(const std::string& Pattern);
// The pattern of filter N (from 1) of a "description|pattern|..." filter; empty past its end.
std::string FilterPattern(const std::string& Filter, Integer N);

class TOpenImagoDialog : public TImgCommonDialog {
    LUMORA_CLASS(TOpenImagoDialog, TImgCommonDialog)
public:
    explicit TOpenImagoDialog(TComponent* AOwner);
    ~TOpenImagoDialog() override;

    bool Execute() override;

    const std::string& GetDefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const std::string& Value) { FDefaultExt = Value; }
    // While the dialog is shown: the current selection's full path.
    std::string GetFileName() const;
    void SetFileName(const std::string& Value) { FFileName = Value; }
    const std::string& GetFilter() const { return FFilter; }
    void SetFilter(const std::string& Value) { FFilter = Value; }
    // While the dialog is shown: the type it shows.
    Integer GetFilterIndex() const;
    void SetFilterIndex(Integer Value) { FFilterIndex = Value; }
    const std::string& GetInitialDir() const { return FInitialDir; }
    // Stored without a trailing "/", except for "/" itself.
    void SetInitialDir(const std::string& Value);
    TOpenOptions GetOptions() const { return FOptions; }
    void SetOptions(TOpenOptions Value) { FOptions = Value; }
    const std::string& GetTitle() const { return FTitle; }
    void SetTitle(const std::string& Value) { FTitle = Value; }
    bool GetAutoSetFilter() const { return FAutoSetFilter; }
    void SetAutoSetFilter(bool Value) { FAutoSetFilter = Value; }
    bool GetAlwaysAnimate() const { return FAlwaysAnimate; }
    void SetAlwaysAnimate(bool Value) { FAlwaysAnimate = Value; }
    // The names chosen by the last Execute.
    TStrings* GetFiles() const;
    // The current filter's pattern while shown ("*.tif;*.tiff").
    std::string CurrentPattern() const;
    // The part of the dialog the standard controls take (client coordinates); empty while the
    // dialog is not shown.
    void GetStaticRect(TRect& Rect) const;
    // The framework dialog while it runs (null otherwise).
    TOpenDialog* GetDialog() const { return FDialog; }

    TCloseQueryEvent OnCanClose;
    TNotifyEvent OnFolderChange;
    TNotifyEvent OnSelectionChange;
    TNotifyEvent OnTypeChange;

    // The preview pane.
    TPanel* Pane = nullptr;
    TPanel* InfoPanel = nullptr;
    TLabel* InfoLabel1 = nullptr;
    TLabel* InfoLabel2 = nullptr;
    TButton* AdvancedButton = nullptr;
    TCheckBox* PreviewCheck = nullptr;
    TPanel* PicturePanel = nullptr;
    TLabel* PicLabel1 = nullptr;
    TLabel* PicLabel2 = nullptr;
    TLabel* PicLabel3 = nullptr;
    TComboBox* ZoomCombo = nullptr;
    TSpeedButton* PreviewButton = nullptr;
    TSpeedButton* PlayButton = nullptr;
    TImagoView* ImagoView = nullptr;
    TImagoIO* ImagoIO = nullptr;
    TImagoMView* ImagoMView = nullptr;
    TImagoMIO* ImagoMIO = nullptr;
    TProgressBar* ProgressBar = nullptr;

    virtual void ZoomComboChange();
    void PreviewCheckClick();
    void PreviewClick();
    // The frame view plays while the play button is down.
    void PlayClick();
    // The information lines of the image with Params (FileSize bytes, Frames frames); without
    // parameters all five lines are emptied.
    void ShowFileInfo(const TIOParamsVals* Params);

protected:
    virtual bool DoCanClose();
    virtual void DoSelectionChange();
    virtual void DoFolderChange();
    virtual void DoTypeChange();
    void DoShow() override;
    void DoClose() override;
    // Runs the framework's dialog; Save chooses the save dialog.
    bool DoExecute(bool Save);
    bool FPreviewEnabled = true;

private:
    void ClearPreview();
    // Loads the file into the frame view (every frame) or the single view.
    void LoadFramesPreview(const std::string& FileName, const std::string& Ext);
    void LoadSinglePreview(const std::string& FileName);

    TOpenDialog* FDialog = nullptr;
    TStrings* FFiles = nullptr;
    std::string FDefaultExt;
    std::string FFileName;
    std::string FFilter;
    Integer FFilterIndex = 1;
    std::string FInitialDir;
    TOpenOptions FOptions{ofHideReadOnly};
    std::string FTitle;
    bool FAutoSetFilter = true;
    bool FAlwaysAnimate = false;
    bool FBusy = false;
    Int64 FFileSize = 0;
    Integer FFrames = 0;
    std::string FPreviewCaption;
};

enum TImgSaveDlgOptItem { sdShowPreview, sdShowAdvanced };
using TImgSaveDlgOpt = TSet<TImgSaveDlgOptItem>;

class TSaveImagoDialog : public TOpenImagoDialog {
    LUMORA_CLASS(TSaveImagoDialog, TOpenImagoDialog)
public:
    explicit TSaveImagoDialog(TComponent* AOwner);
    ~TSaveImagoDialog() override;

    // False at once, showing nothing, for an attached multi-frame component without frames.
    bool Execute() override;

    TImgSaveDlgOpt GetExOptions() const { return FExOptions; }
    void SetExOptions(TImgSaveDlgOpt Value) { FExOptions = Value; }
    // The I/O component whose parameters Advanced edits: a TImagoIO, or a TImagoMIO whose first
    // frame's parameters are edited; anything else is refused.
    TComponent* GetAttachedImagoIO() const { return FAttachedImagoIO; }
    void SetAttachedImagoIO(TComponent* Value);

    void AdvancedClick();
    // The name box gets the current name, cut before its first ".", with the type's extension.
    virtual void ApplyTypeExtension();

protected:
    void DoTypeChange() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // The parameters Advanced edits: the I/O component's, or the first frame's (null without).
    TIOParamsVals* AttachedParams() const;

    TImgSaveDlgOpt FExOptions{sdShowPreview, sdShowAdvanced};
    TComponent* FAttachedImagoIO = nullptr;
    TIOParamsVals* FBackup = nullptr;
};
