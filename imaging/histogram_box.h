#pragma once
// THistogramBox: draws the red, green, blue and grey histograms of the picture (or selection) of
// an attached image processor, as bars or lines, with axis labels and a colour ramp under the
// plot. It draws into a bitmap of its client size and shows that; it does not follow the picture
// by itself: its owner calls Update after a change.

#include "framework/controls.h"
#include "framework/graphics.h"
#include "imaging/histogram.h"

class TImagoProc;

enum THistogramKindItem { hkRed, hkGreen, hkBlue, hkGray };
using THistogramKind = TSet<THistogramKindItem>;
enum THistogramLabel { hlVertical, hlHorizontal };
using THistogramLabels = TSet<THistogramLabel>;
enum THistogramStyle { hsBars, hsLines };

class THistogramBox : public TCustomControl {
    LUMORA_CLASS(THistogramBox, TCustomControl)
public:
    // 256 x 105, white, the grey histogram as bars with both labels and the colour ramp.
    explicit THistogramBox(TComponent* AOwner);
    ~THistogramBox() override;

    TImagoProc* GetAttachedImagoProc() const { return FAttachedImagoProc; }
    // Stores the processor (no update); cleared when the processor is freed.
    void SetAttachedImagoProc(TImagoProc* Value);
    TColor GetBackground() const { return FBackground; }
    void SetBackground(TColor Value);
    THistogramKind GetHistogramKind() const { return FHistogramKind; }
    void SetHistogramKind(THistogramKind Value);
    THistogramLabels GetLabels() const { return FLabels; }
    void SetLabels(THistogramLabels Value);
    bool GetCompBar() const { return FCompBar; }
    void SetCompBar(bool Value);
    THistogramStyle GetHistogramStyle() const { return FHistogramStyle; }
    void SetHistogramStyle(THistogramStyle Value);
    // The plot's left edge in the parent's coordinates (Left plus the label margin), as the last
    // Update drew it.
    Integer GetPlotLeft() const { return FPlotLeft; }
    // The picture the control shows.
    TBitmap* GetPicture() const { return FPicture; }

    // Draws the histograms again from the attached processor and repaints.
    void Update() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void WMSize(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;

private:
    void Redraw();

    TImagoProc* FAttachedImagoProc = nullptr;
    TBitmap* FPicture = nullptr;
    TColor FBackground = TColor(0xFFFFFF);
    THistogramKind FHistogramKind{hkGray};
    THistogramLabels FLabels{hlVertical, hlHorizontal};
    bool FCompBar = true;
    THistogramStyle FHistogramStyle = hsBars;
    Integer FPlotLeft = 0;
};
