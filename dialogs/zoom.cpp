#include "dialogs/zoom.h"

#include <algorithm>

#include "framework/comctrls.h"
#include "framework/std_controls.h"
#include "framework/sysutils.h"

namespace {

constexpr Integer kMaxZoom = 10000;

}  // namespace

TdlgZoom::TdlgZoom(TComponent* AOwner) : TForm(AOwner) {
    BuildComponents(this, [this] {
        SetName("dlgZoom");
        SetCaption("Custom Zoom");
        SetBorderStyle(bsDialog);
        SetBorderIcons({biSystemMenu});
        SetPosition(poScreenCenter);
        SetClientWidth(300);
        SetClientHeight(128);

        lblzoom = new TLabel(this);
        lblzoom->SetName("lblzoom");
        lblzoom->SetParent(this);
        lblzoom->SetBounds(12, 12, 276, 16);
        lblzoom->SetCaption("To what percentage shall the image be zoomed?");

        spnzoom = new TSpinEdit(this);
        spnzoom->SetName("spnzoom");
        spnzoom->SetParent(this);
        spnzoom->SetBounds(12, 38, 70, 22);
        spnzoom->SetMinValue(1);
        spnzoom->SetMaxValue(kMaxZoom);
        spnzoom->SetIncrement(10);
        spnzoom->SetMaxLength(4);
        spnzoom->SetValue(100);
        spnzoom->OnChange = [this](TObject* Sender) { spnzoomChange(Sender); };

        lblpercent = new TLabel(this);
        lblpercent->SetName("lblpercent");
        lblpercent->SetParent(this);
        lblpercent->SetBounds(86, 42, 16, 16);
        lblpercent->SetCaption("%");

        tbrZoom = new TTrackBar(this);
        tbrZoom->SetName("tbrZoom");
        tbrZoom->SetParent(this);
        tbrZoom->SetBounds(104, 34, 184, 30);
        tbrZoom->SetMin(1);
        tbrZoom->SetMax(200);
        tbrZoom->SetFrequency(25);
        tbrZoom->SetPosition(100);
        tbrZoom->OnChange = [this](TObject* Sender) { tbrZoomChange(Sender); };

        btnok = new TBitBtn(this);
        btnok->SetName("btnok");
        btnok->SetParent(this);
        btnok->SetCaption("OK");
        btnok->SetModalResult(mrOk);
        btnok->SetDefault(true);
        btnok->SetBounds(110, 88, 86, 28);

        btncancel = new TBitBtn(this);
        btncancel->SetName("btncancel");
        btncancel->SetParent(this);
        btncancel->SetCaption("Cancel");
        btncancel->SetModalResult(mrCancel);
        btncancel->SetCancel(true);
        btncancel->SetBounds(202, 88, 86, 28);
    });
}

Integer TdlgZoom::TrackForZoom(Integer Zoom) { return Zoom <= 100 ? Zoom : std::min((Zoom - 100) / 5 + 100, 200); }

Integer TdlgZoom::ZoomForTrack(Integer Position) { return Position <= 100 ? Position : Position * 5 - 400; }

void TdlgZoom::spnzoomChange(TObject* Sender) {
    if (FSyncing) return;
    FSyncing = true;
    try {
        tbrZoom->SetPosition(TrackForZoom(ChosenZoom()));
    } catch (...) {
    }
    FSyncing = false;
}

void TdlgZoom::tbrZoomChange(TObject* Sender) {
    if (FSyncing) return;
    FSyncing = true;
    try {
        spnzoom->SetValue(ZoomForTrack(tbrZoom->GetPosition()));
    } catch (...) {
    }
    FSyncing = false;
}

Integer TdlgZoom::ChosenZoom() {
    const Integer value = StrToIntDef(Trim(spnzoom->GetText()), 0);
    return value <= 0 ? 0 : std::min(value, kMaxZoom);
}
