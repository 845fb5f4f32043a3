#pragma once
// The vocabulary every part of the image library shares: the pixel record, progress reporting and
// the aborting flag, the resampling filters and message languages, and the small colour and
// number helpers used by codecs, processing and views.
//
// Images are held in a framework TBitmap in one of two formats:
//  - pf24bit: each row an array of TImgRGB (blue, green, red), padded to 4 bytes;
//  - pf1bit: 8 pixels a byte, the leftmost in the top bit ($80), padded to 4 bytes; a set bit is
//    white, a clear bit black.
// Rows are reached only through TBitmap::ScanLine(y), row 0 being the top line.

#include <functional>

#include "framework/object.h"
#include "framework/types.h"

// One pixel of a 24-bit row: three bytes, no gap.
struct TImgRGB {
    Byte b = 0;
    Byte g = 0;
    Byte r = 0;
    constexpr bool operator==(const TImgRGB&) const = default;
};
static_assert(sizeof(TImgRGB) == 3, "TImgRGB must be three packed bytes");

using PImgRGB = TImgRGB*;

// Progress of a running operation: Sender is the component doing the work, per the percentage
// done (0..100).
using TProgressEvent = std::function<void(TObject* Sender, Integer per)>;

// What a component hands to a codec or processing kernel. The kernel fills the counters and the
// factor, reports through OnProgress and polls *Aborting after every row or block; it sets the flag
// itself when its input is bad, truncated or not supported.
struct TProgressRec {
    TProgressEvent OnProgress;   // may be empty
    TObject* Sender = nullptr;   // passed as Sender to OnProgress
    Integer Done = 0;            // units of work done (rows as a rule)
    Integer Counter2 = 0;        // free for the kernel's own counting
    Integer Counter3 = 0;
    double Factor = 0;           // percent per unit of work
    bool* Aborting = nullptr;    // the calling component's aborting flag

    // Fires OnProgress (when assigned) with Trunc(Factor * Done).
    void Report() const;
    // Advances Done by one unit and reports.
    void Step() {
        ++Done;
        Report();
    }
    bool IsAborting() const { return Aborting && *Aborting; }
    void Abort() const {
        if (Aborting) *Aborting = true;
    }
};

// The library's silent record, for work that reports nothing and cannot be cancelled from outside
// (reading parameters only, internal conversions): no event, no Sender, counters 0, and a private
// aborting flag. Each call hands out the record with its counters and flag cleared again, so a
// failure of one piece of silent work does not stop the next.
TProgressRec& ImgSilentProgress();

// Where a routine that works row by row reports: an event (may be empty) and the Sender to pass.
// A progress record converts to it, so codecs can hand their record straight on.
struct TImgProgressTarget {
    TProgressEvent OnProgress;
    TObject* Sender = nullptr;

    TImgProgressTarget() = default;
    TImgProgressTarget(TProgressEvent event, TObject* sender)
        : OnProgress(std::move(event)), Sender(sender) {}
    TImgProgressTarget(const TProgressRec& rec)  // NOLINT: implicit on purpose
        : OnProgress(rec.OnProgress), Sender(rec.Sender) {}

    // Fires the event, when assigned, with the percentage Trunc(rowsDone * 100 / (rows + 0.5)),
    // which stays below 100.
    void ReportRows(Integer rowsDone, Integer rows) const;
};

enum TResampleFilter { rfNone, rfTriangle, rfHermite, rfBell, rfBSpline, rfLanczos3, rfMitchell };

enum TMsgLanguage {
    msSystem,
    msEnglish,
    msItalian,
    msGerman,
    msSpanish,
    msFrench,
    msPortuguese,
    msGreek,
    msUser
};

// Colour and number helpers. A colour value (TColor) holds red in the low byte, then green, then
// blue; system colours (high byte set) are resolved to plain RGB first.
inline void MakeImgRGB(Byte red, Byte green, Byte blue, TImgRGB& out) {
    out.r = red;
    out.g = green;
    out.b = blue;
}
constexpr TImgRGB ImgRGB(Byte red, Byte green, Byte blue) { return TImgRGB{blue, green, red}; }
// (R*21 + G*71 + B*7) div 100: the weights add up to 99, so white gives 252.
constexpr Integer ImgRGBGrayLevel(const TImgRGB& c) {
    return Integer((unsigned(c.r) * 21u + unsigned(c.g) * 71u + unsigned(c.b) * 7u) / 100u);
}
constexpr TColor ImgRGBToColor(const TImgRGB& c) { return TColor(c.r + c.g * 256 + c.b * 65536); }
constexpr TColor MakeColorRGB(Byte red, Byte green, Byte blue) {
    return TColor(red + green * 256 + blue * 65536);
}
void ColorToImgRGB(TColor Color, TImgRGB& out);
TImgRGB ColorToImgRGB(TColor Color);
constexpr bool SameImgRGB(const TImgRGB& a, const TImgRGB& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}
constexpr Integer ImgIntMax(Integer a, Integer b) { return a > b ? a : b; }
constexpr Integer ImgIntMin(Integer a, Integer b) { return a < b ? a : b; }
// ImgIntMin(ImgIntMax(value, low), high): high wins when low > high.
constexpr Integer ImgIntLimit(Integer value, Integer low, Integer high) {
    return ImgIntMin(ImgIntMax(value, low), high);
}
constexpr Integer ImgClampByte(Integer v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
// A channel value from a real: 0 below 0, 255 above 255, else rounded to nearest with halves to
// even (as nearbyint does in the default rounding mode: adding and taking away 1.5 * 2^52 leaves
// no fraction bits). Valid for |v| < 2^51.
inline Byte ImgRoundClampByte(double v) {
    constexpr double kShift = 6755399441055744.0;
    const double shifted = v + kShift;
    const double r = shifted - kShift;
    return r <= 0 ? 0 : (r >= 255 ? 255 : Byte(r));
}
constexpr double ImgDMin(double a, double b) { return a < b ? a : b; }
constexpr double ImgDMax(double a, double b) { return a > b ? a : b; }
// Integer part, plus 1 when the fraction is above 0.
Integer ImgCeil(Extended x);
// Integer part, minus 1 when the fraction is below 0.
Integer ImgFloor(Extended x);
inline void ImgSwapInt(Integer& a, Integer& b) {
    Integer t = a;
    a = b;
    b = t;
}
inline void SwapBytes(Byte& a, Byte& b) {
    Byte t = a;
    a = b;
    b = t;
}
// Orders the corners so that x1 <= x2 and y1 <= y2.
void ImgOrderRect(Integer& x1, Integer& y1, Integer& x2, Integer& y2);
// The angle of the point (X, Y), -pi..pi.
Extended ImgArcTan2(Extended Y, Extended X);
Extended ImgArcSin(Extended x);
Extended ImgArcCos(Extended x);
Extended ImgTan(Extended x);
