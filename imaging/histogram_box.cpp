#include "imaging/histogram_box.h"

#include <algorithm>
#include <string>

#include "framework/math_utils.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_proc.h"

THistogramBox::THistogramBox(TComponent* AOwner) : TCustomControl(AOwner) {
    FPicture = new TBitmap();
    FPicture->SetPixelFormat(pf24bit);
    SetBounds(GetLeft(), GetTop(), 256, 105);
}

THistogramBox::~THistogramBox() {
    delete FPicture;
}

void THistogramBox::SetAttachedImagoProc(TImagoProc* Value) {
    if (FAttachedImagoProc && FAttachedImagoProc != Value) FAttachedImagoProc->RemoveFreeNotification(this);
    FAttachedImagoProc = Value;
    if (Value) Value->FreeNotification(this);
}

void THistogramBox::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == FAttachedImagoProc) FAttachedImagoProc = nullptr;
}

void THistogramBox::SetBackground(TColor Value) {
    FBackground = Value;
    Update();
}

void THistogramBox::SetHistogramKind(THistogramKind Value) {
    if (Value == FHistogramKind) return;
    FHistogramKind = Value;
    Update();
}

void THistogramBox::SetLabels(THistogramLabels Value) {
    if (Value == FLabels) return;
    FLabels = Value;
    Update();
}

void THistogramBox::SetCompBar(bool Value) {
    if (Value == FCompBar) return;
    FCompBar = Value;
    Update();
}

void THistogramBox::SetHistogramStyle(THistogramStyle Value) {
    if (Value == FHistogramStyle) return;
    FHistogramStyle = Value;
    Update();
}

void THistogramBox::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    Update();
}

void THistogramBox::WMEraseBkgnd(TMessage& Message) {
    Message.Result = 1;
}

void THistogramBox::Paint() {
    GetCanvas()->Draw(0, 0, FPicture);
}

void THistogramBox::Update() {
    Redraw();
    Invalidate();
    TCustomControl::Update();
}

void THistogramBox::Redraw() {
    const Integer width = std::max(GetClientWidth(), 0), height = std::max(GetClientHeight(), 0);
    if (FPicture->GetWidth() != width || FPicture->GetHeight() != height)
        ImgPrepareBitmap(FPicture, pf24bit, width, height);
    TCanvas* canvas = FPicture->GetCanvas();
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(FBackground);
    canvas->FillRect(TRect(0, 0, width, height));
    if (!FAttachedImagoProc || !FAttachedImagoProc->GetAttachedBitmap() || width < 1 || height < 1) return;

    TImgHistogramTable table;
    FAttachedImagoProc->GetHistogram(table);
    struct TKind {
        THistogramKindItem Item;
        TColor Pen;
        Cardinal TImgHistogramEntry::*Count;
    };
    static const TKind kinds[] = {{hkRed, TColor(0x0000FF), &TImgHistogramEntry::Red},
                                  {hkGreen, TColor(0x008000), &TImgHistogramEntry::Green},
                                  {hkBlue, TColor(0xFF0000), &TImgHistogramEntry::Blue},
                                  {hkGray, TColor(0x000000), &TImgHistogramEntry::Gray}};
    Cardinal max = 0;
    for (const TKind& k : kinds)
        if (FHistogramKind.Contains(k.Item))
            for (Integer level = 0; level < 256; ++level) max = std::max(max, table[level].*k.Count);
    // Nothing counted: the background alone.
    if (max == 0) return;

    Integer pw = width, ph = height, m = 0;
    canvas->SetFont(GetFont());
    canvas->GetBrush()->SetStyle(bsClear);
    const Integer fh = std::abs(GetFont()->GetHeight());
    const Integer bh = Integer(Trunc(fh * 1.2));
    if (FCompBar) ph -= bh + 2;
    const std::string maxText = std::to_string(max);
    if (FLabels.Contains(hlVertical)) {
        canvas->TextOut(0, 0, maxText);
        canvas->TextOut(0, ph / 2, std::to_string(max >> 1));
        canvas->GetPen()->SetColor(GetFont()->GetColor());
        const Integer margin = canvas->TextWidth(maxText) + 2;
        m += margin;
        pw -= margin;
    }
    if (FLabels.Contains(hlHorizontal)) {
        static const char* marks[] = {"0", "64", "128", "192"};
        for (Integer i = 0; i < 4; ++i) canvas->TextOut(Integer(Round(i * 64 / 256.0 * pw)) + m, ph - fh - 1, marks[i]);
        canvas->TextOut(m + pw - canvas->TextWidth("255"), ph - fh - 1, "255");
        ph -= canvas->TextHeight(maxText) + 2;
        canvas->MoveTo(m - 1, 0);
        canvas->LineTo(m - 1, ph);
        canvas->LineTo(m + pw, ph);
    }
    FPlotLeft = GetLeft() + m;
    if (pw < 1) return;

    if (FCompBar) {
        const bool red = FHistogramKind.Contains(hkRed) || FHistogramKind.Contains(hkGray);
        const bool green = FHistogramKind.Contains(hkGreen) || FHistogramKind.Contains(hkGray);
        const bool blue = FHistogramKind.Contains(hkBlue) || FHistogramKind.Contains(hkGray);
        for (Integer y = std::max(height - bh, 0); y < height; ++y) {
            auto* row = static_cast<TImgRGB*>(FPicture->ScanLine(y));
            for (Integer x = 0; x < pw && m + x < width; ++x) {
                const Byte v = Byte(std::min<Int64>(Round(double(x) / pw * 256), 255));
                row[m + x] = ImgRGB(red ? v : 0, green ? v : 0, blue ? v : 0);
            }
        }
    }

    auto barHeight = [&](Cardinal count) { return Integer(Round(double(count) / max * ph)); };
    auto countAt = [&](const TKind& k, Integer x) { return table[Integer(Trunc(double(x) / pw * 256))].*k.Count; };
    for (const TKind& k : kinds) {
        if (!FHistogramKind.Contains(k.Item)) continue;
        canvas->GetPen()->SetColor(k.Pen);
        if (FHistogramStyle == hsBars) {
            for (Integer x = 0; x < pw; ++x) {
                canvas->MoveTo(m + x, ph - 1);
                canvas->LineTo(m + x, ph - barHeight(countAt(k, x)) - 2);
            }
        } else {
            canvas->MoveTo(m, ph - 1);
            for (Integer x = 0; x < pw; ++x) canvas->LineTo(m + x, ph - barHeight(countAt(k, x)) - 1);
        }
    }
}
