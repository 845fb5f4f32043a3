#pragma once
// The source manager's two dialogs, shown modally through the dialog service: choosing the
// default scanner, and the scan dialog of a source whose user interface is shown.

#include <string>
#include <vector>

#include "framework/forms.h"

class TListBox;
class TComboBox;
class TButton;
class TLabel;

// "Select Source": the devices, the default one selected; OK keeps the choice.
class TfrmSaneSelect : public TForm {
    LUMORA_CLASS(TfrmSaneSelect, TForm)
public:
    explicit TfrmSaneSelect(TComponent* AOwner);

    TListBox* lstSources = nullptr;
    TButton* btnSelect = nullptr;
    TButton* btnCancel = nullptr;
};

// What the scan dialog offers and what the user chose.
struct TSaneScanChoice {
    std::vector<std::string> Modes;
    std::vector<std::string> Sources;
    std::vector<Integer> Resolutions;
    std::string Mode;
    std::string Source;
    Integer Resolution = 0;
};

// The scan dialog: mode, resolution and source, then Scan or Cancel.
class TfrmSaneScan : public TForm {
    LUMORA_CLASS(TfrmSaneScan, TForm)
public:
    explicit TfrmSaneScan(TComponent* AOwner);
    // Fills the lists and selects the current choice.
    void Offer(const TSaneScanChoice& Choice);
    // The choice shown now.
    void Read(TSaneScanChoice& Choice) const;

    TComboBox* cbxMode = nullptr;
    TComboBox* cbxResolution = nullptr;
    TComboBox* cbxSource = nullptr;
    TButton* btnScan = nullptr;
    TButton* btnCancel = nullptr;
};

// Shows the scan dialog; true when the user pressed Scan (Choice then holds the settings).
bool RunSaneScanDialog(const std::string& DeviceTitle, TSaneScanChoice& Choice);
// Shows the source selection with Titles; the index chosen, -1 when cancelled.
Integer RunSaneSelectDialog(const std::vector<std::string>& Titles, Integer Current);
