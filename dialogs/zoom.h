#pragma once
// The custom zoom form, "Custom Zoom": the spin edit `spnzoom` (1 to 10000 %, step 10) and the
// track bar `tbrZoom` beside it (1 to 200), which runs linearly from 1 to 100 % and in steps of
// 5 % from 100 to 600 %; each follows the other. The caller sets `spnzoom`, shows the form
// modally and reads the value when it closed with OK.

#include "framework/forms.h"

class TBitBtn;
class TLabel;
class TSpinEdit;
class TTrackBar;

class TdlgZoom : public TForm {
    LUMORA_CLASS(TdlgZoom, TForm)
public:
    explicit TdlgZoom(TComponent* AOwner);

    // The track position for a zoom value and the zoom value for a track position.
    static Integer TrackForZoom(Integer Zoom);
    static Integer ZoomForTrack(Integer Position);

    void spnzoomChange(TObject* Sender);
    void tbrZoomChange(TObject* Sender);
    // The number typed in the spin edit, at most 10000; 0 when it holds no number above 0.
    Integer ChosenZoom();

    TLabel* lblzoom = nullptr;
    TSpinEdit* spnzoom = nullptr;
    TLabel* lblpercent = nullptr;
    TTrackBar* tbrZoom = nullptr;
    TBitBtn* btnok = nullptr;
    TBitBtn* btncancel = nullptr;

private:
    // Set while one control moves the other, so that the second does not move the first back.
    bool FSyncing = false;
};
