#pragma once
// The splash form, shown while the program starts.
//
// For now a plain borderless window in its place in the start-up order; its artwork and version
// labels are added here.

#include "framework/forms.h"

class TdlgSplash_LM : public TForm {
    LUMORA_CLASS(TdlgSplash_LM, TForm)
public:
    explicit TdlgSplash_LM(TComponent* AOwner);
    ~TdlgSplash_LM() override;
};

// The splash form while it exists (the main window frees it once the settings are read).
extern TdlgSplash_LM* dlgSplash_LM;
