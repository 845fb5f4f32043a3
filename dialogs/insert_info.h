#pragma once
// The cancellable progress form, "File Insertion Progress": visible as soon as it is created,
// the word-wrapped message `lblmessage`, the bar `ProgressBar` (0 to 100, step 1) and the button
// "Cancel" bound to `actCancelProcessing` (also Esc). The main window fills it while work goes
// on, reads whether the user cancelled and frees it at the end.

#include <functional>

#include "framework/forms.h"

class TAction;
class TActionList;
class TButton;
class TLabel;
class TPanel;
class TProgressBar;

class Tdlginsertinfo : public TForm {
    LUMORA_CLASS(Tdlginsertinfo, TForm)
public:
    explicit Tdlginsertinfo(TComponent* AOwner);

    // The Cancel button or Esc: asks "Are you sure you want to cancel processing?"; any answer
    // but No calls OnCancelProcessing. The form stays open until whoever drives it closes it.
    void actCancelProcessingExecute(TObject* Sender);

    // Told that the user cancelled (the main window marks the work as cancelled).
    std::function<void()> OnCancelProcessing;

    TPanel* pnlFrame = nullptr;
    TLabel* lblmessage = nullptr;
    TProgressBar* ProgressBar = nullptr;
    TButton* AfterStartCancel = nullptr;
    TActionList* alsProgress = nullptr;
    TAction* actCancelProcessing = nullptr;
};
