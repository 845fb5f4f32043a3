#pragma once
// The plain progress form: no border, centred; a raised panel framing the word-wrapped message
// `lblmessage` and the percentage gauge `Gauge`. The main window creates it, shows it without a
// modal loop, fills it while work goes on and frees it at the end.

#include "framework/forms.h"

class TGauge;
class TLabel;
class TPanel;

class TdlgProgress : public TForm {
    LUMORA_CLASS(TdlgProgress, TForm)
public:
    explicit TdlgProgress(TComponent* AOwner);

    TPanel* pnlOuter = nullptr;
    TPanel* pnlFrame = nullptr;
    TLabel* lblmessage = nullptr;
    TGauge* Gauge = nullptr;
};
