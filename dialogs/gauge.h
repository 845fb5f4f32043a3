#pragma once
// TGauge: a percentage gauge, a sunken box filled from the left in proportion to Progress
// between MinValue and MaxValue, with the percentage written in its middle.

#include "framework/controls.h"

class TGauge : public TGraphicControl {
    LUMORA_CLASS(TGauge, TGraphicControl)
public:
    explicit TGauge(TComponent* AOwner);

    Integer GetMinValue() const { return FMinValue; }
    void SetMinValue(Integer Value);
    Integer GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(Integer Value);
    // Kept within MinValue..MaxValue.
    Integer GetProgress() const { return FProgress; }
    void SetProgress(Integer Value);
    // 0 to 100; 0 when the range is empty.
    Integer GetPercentDone() const;
    TColor GetForeColor() const { return FForeColor; }
    void SetForeColor(TColor Value);

protected:
    void Paint() override;

private:
    Integer FMinValue = 0;
    Integer FMaxValue = 100;
    Integer FProgress = 0;
    TColor FForeColor;
};
