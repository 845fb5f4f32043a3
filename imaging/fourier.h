#pragma once
// TImgFtImage: the two-dimensional discrete Fourier transform of a picture. The picture is
// padded with black to a square whose side N is a power of two, each colour channel (or the grey
// level) becomes a plane of N x N complex values with the zero frequency in the middle, the
// log-magnitude spectrum can be shown as a picture, rectangular zones of it cleared, and the
// planes transformed back into a picture of the source's size.
//
// Planes are single precision, each N rows of 2N floats: the N real parts, then the N imaginary
// parts. A transform of N = 4096 in colour holds 3 x 128 MiB.

#include <vector>

#include "framework/graphics.h"
#include "framework/object.h"
#include "imaging/img_types.h"

class TImgFtImage : public TObject {
    LUMORA_CLASS(TImgFtImage, TObject)
public:
    enum { ftColour = 1, ftGray = 2 };

    TImgFtImage() = default;
    ~TImgFtImage() override = default;

    // Transforms a 24-bit bitmap: Mode 1 the red, green and blue channels, 2 the grey level
    // (R*21 + G*71 + B*7) div 100. Each channel is divided by its largest value first. Reports
    // after each column of each channel. Other formats, and planes that cannot be allocated,
    // leave the transform empty.
    void BuildFT(TBitmap* Bitmap, Integer Mode);
    // Bitmap becomes the N x N 24-bit picture of the spectrum: ln sqrt |X| stretched to 0..255
    // per plane. Nothing when the transform is empty.
    void GetSpectrum(TBitmap* Bitmap);
    // Bitmap becomes the 24-bit picture of the source's size transformed back: the absolute
    // values stretched to 0..255 per plane. Nothing when the transform is empty.
    void GetInverse(TBitmap* Bitmap);
    // Zeroes the elements of columns x1..x2 and rows y1..y2 (spectrum coordinates, clipped to
    // 0..N-1) in every plane of the mode.
    void ClearZone(Integer x1, Integer y1, Integer x2, Integer y2);
    // A deep copy of another transform.
    void Assign(const TImgFtImage* Source);
    // Frees every plane (the transform becomes empty) and the working buffers.
    void ClearPlanes();
    // Frees the working buffers GetSpectrum, GetInverse and the transforms keep between calls.
    void ReleaseScratch();

    bool IsEmpty() const;
    Integer GetMode() const { return FMode; }
    Integer GetN() const { return FN; }
    Integer GetXOffset() const { return FXOffset; }
    Integer GetYOffset() const { return FYOffset; }
    Integer GetSourceWidth() const { return FSourceWidth; }
    Integer GetSourceHeight() const { return FSourceHeight; }
    // Plane 0..2 red, green, blue; 3 grey. Empty when absent.
    const std::vector<float>& GetPlane(Integer Index) const { return FPlanes[Index]; }

    // Sender is the transform.
    TProgressEvent OnProgress;

private:
    void BuildTables(Integer N);
    // The planes this mode uses: red, green and blue, or grey.
    std::vector<Integer> ModePlanes() const;
    // In-place two-dimensional transform, rows then columns, with the direction's sign. Progress
    // is reported per column as pass Pass of Passes when Report is set.
    void Transform2D(std::vector<float>& Plane, Integer Sign, bool Report, Integer Pass, Integer Passes);
    // One-dimensional transforms of Lanes columns at once (1: a row).
    void Transform(float* Re, float* Im, Integer Lanes, Integer Sign) const;

    Integer FMode = 0;
    Integer FN = 0;
    Integer FL = 0;
    Integer FXOffset = 0;
    Integer FYOffset = 0;
    Integer FSourceWidth = 0;
    Integer FSourceHeight = 0;
    std::vector<float> FPlanes[4];
    // Per block of the butterflies (the same at every depth): the twiddle's cosine and sine.
    std::vector<float> FTwCos, FTwSin;
    std::vector<Integer> FReverse;
    float FNorm = 1;
    // Working buffers kept between calls, so that repeated previews allocate nothing: a plane
    // transformed back, the log magnitudes of the spectrum, the strip of columns transformed.
    std::vector<float> FWork;
    std::vector<double> FLevels;
    std::vector<float> FStripRe, FStripIm;
};
