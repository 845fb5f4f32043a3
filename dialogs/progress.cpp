#include "dialogs/progress.h"

#include "dialogs/gauge.h"
#include "framework/std_controls.h"

TdlgProgress::TdlgProgress(TComponent* AOwner) : TForm(AOwner) {
    BuildComponents(this, [this] {
        SetName("dlgProgress");
        SetCaption("");
        SetBorderStyle(bsNone);
        SetBorderIcons({});
        SetPosition(poScreenCenter);
        SetClientWidth(320);
        SetClientHeight(96);

        pnlOuter = new TPanel(this);
        pnlOuter->SetName("pnlOuter");
        pnlOuter->SetCaption("");
        pnlOuter->SetParent(this);
        pnlOuter->SetAlign(alClient);
        pnlOuter->SetBevelInner(bvRaised);
        pnlOuter->SetBevelOuter(bvRaised);

        pnlFrame = new TPanel(this);
        pnlFrame->SetName("pnlFrame");
        pnlFrame->SetCaption("");
        pnlFrame->SetParent(pnlOuter);
        pnlFrame->SetBevelOuter(bvLowered);
        pnlFrame->SetBounds(8, 8, 304, 80);

        lblmessage = new TLabel(this);
        lblmessage->SetName("lblmessage");
        lblmessage->SetParent(pnlFrame);
        lblmessage->SetAutoSize(false);
        lblmessage->SetWordWrap(true);
        lblmessage->SetLayout(tlCenter);
        lblmessage->SetBounds(8, 4, 288, 40);
        lblmessage->SetCaption("");

        Gauge = new TGauge(this);
        Gauge->SetName("Gauge");
        Gauge->SetParent(pnlFrame);
        Gauge->SetBounds(8, 48, 288, 22);
        Gauge->SetProgress(0);
    });
}
