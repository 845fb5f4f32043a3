#include "dialogs/insert_info.h"

#include "framework/actions.h"
#include "framework/comctrls.h"
#include "framework/dialog_service.h"
#include "framework/messages.h"
#include "framework/resources.h"
#include "framework/std_controls.h"

Tdlginsertinfo::Tdlginsertinfo(TComponent* AOwner) : TForm(AOwner) {
    BuildComponents(this, [this] {
        SetName("dlginsertinfo");
        SetCaption("File Insertion Progress");
        SetBorderStyle(bsDialog);
        SetBorderIcons({});
        SetPosition(poScreenCenter);
        SetClientWidth(340);
        SetClientHeight(132);

        alsProgress = new TActionList(this);
        alsProgress->SetName("alsProgress");
        actCancelProcessing = new TAction(this);
        actCancelProcessing->SetName("actCancelProcessing");
        actCancelProcessing->SetActionList(alsProgress);
        actCancelProcessing->SetCaption("Cancel");
        actCancelProcessing->SetShortCut(ShortCut(VK_ESCAPE, {}));
        actCancelProcessing->OnExecute = [this](TObject* Sender) { actCancelProcessingExecute(Sender); };

        pnlFrame = new TPanel(this);
        pnlFrame->SetName("pnlFrame");
        pnlFrame->SetCaption("");
        pnlFrame->SetParent(this);
        pnlFrame->SetBevelOuter(bvLowered);
        pnlFrame->SetBounds(8, 8, 324, 80);

        lblmessage = new TLabel(this);
        lblmessage->SetName("lblmessage");
        lblmessage->SetParent(pnlFrame);
        lblmessage->SetAutoSize(false);
        lblmessage->SetWordWrap(true);
        lblmessage->SetBounds(8, 6, 308, 40);
        lblmessage->SetCaption("");

        ProgressBar = new TProgressBar(this);
        ProgressBar->SetName("ProgressBar");
        ProgressBar->SetParent(pnlFrame);
        ProgressBar->SetBounds(8, 50, 308, 18);
        ProgressBar->SetMin(0);
        ProgressBar->SetMax(100);
        ProgressBar->SetStep(1);

        AfterStartCancel = new TButton(this);
        AfterStartCancel->SetName("AfterStartCancel");
        AfterStartCancel->SetParent(this);
        AfterStartCancel->SetBounds(130, 96, 80, 28);
        AfterStartCancel->SetCancel(true);
        AfterStartCancel->SetCursor(crArrow);
        AfterStartCancel->SetAction(actCancelProcessing);
    });
    SetVisible(true);
}

void Tdlginsertinfo::actCancelProcessingExecute(TObject* Sender) {
    if (MessageDlg("Are you sure you want to cancel processing?", mtConfirmation, {mbYes, mbNo}, 0) != mrNo &&
        OnCancelProcessing)
        OnCancelProcessing();
}
