#include "dialogs/warning.h"

#include "dialogs/form_art.h"
#include "framework/ini_file.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"

TWarningText ReadWarningText(const std::string& FileName, int Number) {
    TWarningText warning;
    if (Number < 0 || Number >= WarningNumberCount) return warning;
    try {
        TIniFile ini(FileName);
        const std::string key = "Warning_" + IntToStr(Number);
        warning.Title = ini.ReadString("Warnings", key + "_Title", "");
        warning.Text = StringReplace(ini.ReadString("Warnings", key, ""), "^", "\n", {rfReplaceAll});
    } catch (...) {
        return {};
    }
    return warning;
}

TdlgWarning::TdlgWarning(TComponent* AOwner) : TForm(AOwner) {
    BuildComponents(this, [this] {
        SetName("dlgWarning");
        SetCaption("Information");
        SetBorderStyle(bsDialog);
        SetBorderIcons({biSystemMenu});
        SetFormStyle(fsStayOnTop);
        SetPosition(poScreenCenter);
        SetClientWidth(420);
        SetClientHeight(206);

        pnlFrame = new TPanel(this);
        pnlFrame->SetName("pnlFrame");
        pnlFrame->SetCaption("");
        pnlFrame->SetParent(this);
        pnlFrame->SetBevelOuter(bvLowered);
        pnlFrame->SetBounds(8, 8, 404, 150);

        imgPicture = new TImage(this);
        imgPicture->SetName("imgPicture");
        imgPicture->SetParent(pnlFrame);
        imgPicture->SetBounds(12, 12, 32, 32);
        DrawInformationPicture(imgPicture->GetPicture()->GetBitmap());

        lblTitle = new TLabel(this);
        lblTitle->SetName("lblTitle");
        lblTitle->SetParent(pnlFrame);
        lblTitle->SetBounds(56, 12, 336, 18);
        lblTitle->GetFont()->SetHeight(-13);
        lblTitle->GetFont()->SetStyle({fsBold});
        lblTitle->SetCaption("Information");

        lblwarning = new TLabel(this);
        lblwarning->SetName("lblwarning");
        lblwarning->SetParent(pnlFrame);
        lblwarning->SetAutoSize(false);
        lblwarning->SetWordWrap(true);
        lblwarning->SetBounds(56, 38, 336, 104);
        lblwarning->SetCaption("");

        chkdontremind = new TCheckBox(this);
        chkdontremind->SetName("chkdontremind");
        chkdontremind->SetParent(this);
        chkdontremind->SetCaption("Always remind me about this");
        chkdontremind->SetHint("Clear this checkbox if you do not want to be shown this reminder in future");
        chkdontremind->SetShowHint(true);
        chkdontremind->SetChecked(true);
        chkdontremind->SetBounds(10, 172, 200, 17);

        btnHelp = new TBitBtn(this);
        btnHelp->SetName("btnHelp");
        btnHelp->SetParent(this);
        btnHelp->SetCaption("More Info..");
        btnHelp->SetModalResult(mrYes);
        btnHelp->SetBounds(234, 166, 86, 28);

        btnok = new TBitBtn(this);
        btnok->SetName("btnok");
        btnok->SetParent(this);
        btnok->SetCaption("&Close");
        btnok->SetModalResult(mrOk);
        btnok->SetDefault(true);
        btnok->SetCancel(true);
        btnok->SetBounds(326, 166, 86, 28);
    });
}

void TdlgWarning::Fill(const TWarningText& Warning, bool AllowSwitchOff, int HelpContext) {
    lblwarning->SetCaption(Warning.Text);
    chkdontremind->SetVisible(AllowSwitchOff);
    btnHelp->SetVisible(HelpContext > 0);
    if (!Warning.Title.empty()) {
        SetCaption("Information: " + Warning.Title);
        lblTitle->SetCaption(Warning.Title);
    }
}
