#include "imaging/img_types.h"

#include <cmath>

#include "framework/graphics.h"

void TProgressRec::Report() const {
    if (OnProgress) OnProgress(Sender, Integer(std::trunc(Factor * Done)));
}

TProgressRec& ImgSilentProgress() {
    static bool aborting = false;
    static TProgressRec rec;
    aborting = false;
    rec.OnProgress = nullptr;
    rec.Sender = nullptr;
    rec.Done = rec.Counter2 = rec.Counter3 = 0;
    rec.Factor = 0;
    rec.Aborting = &aborting;
    return rec;
}

void TImgProgressTarget::ReportRows(Integer rowsDone, Integer rows) const {
    if (OnProgress) OnProgress(Sender, Integer(std::trunc(rowsDone * 100.0 / (rows + 0.5))));
}

void ColorToImgRGB(TColor Color, TImgRGB& out) {
    const Cardinal c = Cardinal(ColorToRGB(Color));
    out.r = Byte(c & 0xFF);
    out.g = Byte((c >> 8) & 0xFF);
    out.b = Byte((c >> 16) & 0xFF);
}

TImgRGB ColorToImgRGB(TColor Color) {
    TImgRGB out;
    ColorToImgRGB(Color, out);
    return out;
}

Integer ImgCeil(Extended x) {
    Integer i = Integer(std::trunc(x));
    if (x - i > 0) ++i;
    return i;
}

Integer ImgFloor(Extended x) {
    Integer i = Integer(std::trunc(x));
    if (x - i < 0) --i;
    return i;
}

void ImgOrderRect(Integer& x1, Integer& y1, Integer& x2, Integer& y2) {
    if (x1 > x2) ImgSwapInt(x1, x2);
    if (y1 > y2) ImgSwapInt(y1, y2);
}

Extended ImgArcTan2(Extended Y, Extended X) { return std::atan2(Y, X); }

Extended ImgArcSin(Extended x) { return ImgArcTan2(x, std::sqrt(1 - x * x)); }

Extended ImgArcCos(Extended x) { return ImgArcTan2(std::sqrt(1 - x * x), x); }

Extended ImgTan(Extended x) { return std::tan(x); }
