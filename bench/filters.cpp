// The colour adjustments, filters and the Fourier transform on a 12-megapixel photograph, against
// ImageMagick's nearest operations on the same picture, on one thread. The peer's time is that of
// the convert run with the operation minus that of the same run without it (reading and writing
// the file). The transform is also timed against FFTW's single-precision two-dimensional
// transforms (estimate planning, one thread) of planes of the same size, three forward and three
// back, run in this program; the peak memory of our transform is reported.
//
// Usage: filters PHOTO.bmp [CONVERT [WORK_FOLDER [ONLY]]] (bench/filters.sh prepares the photo);
// ONLY runs the comparisons whose name contains it.

#include <fftw3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/peak_memory.h"
#include "bench/peer_timing.h"
#include "framework/backend.h"
#include "framework/graphics.h"
#include "imaging/bitmap_routines.h"
#include "imaging/fourier.h"
#include "imaging/img_filters.h"

namespace {

using namespace bench;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PHOTO.bmp [CONVERT [WORK_FOLDER]]\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    EnsureBackend();
    const std::string photoName = argv[1];
    const std::string convert = argc > 2 ? argv[2] : "convert";
    const std::string work = argc > 3 ? argv[3] : "/tmp";
    const std::string only = argc > 4 ? argv[4] : "";

    std::unique_ptr<TBitmap> photo(new TBitmap());
    photo->LoadFromFile(photoName);
    photo->SetPixelFormat(pf24bit);
    const Integer w = photo->GetWidth(), h = photo->GetHeight();
    std::printf("photo: %d x %d\n", w, h);
    std::unique_ptr<TBitmap> image(new TBitmap());

    const std::string head = convert + " -limit thread 1 '" + photoName + "'";
    const std::string tail = " -type TrueColor BMP3:'" + work + "/imagemagick-out.bmp'";
    // The peer's time for an operation: best of Runs, less the best of as many runs without it,
    // taken in turn so that both see the same load.
    auto peer = [&](const std::string& Operation, int Runs) {
        double best = 1e300, plain = 1e300;
        for (int r = 0; r < std::max(Runs, 2); ++r) {
            plain = std::min(plain, RunOnce(head + tail));
            if (r >= Runs) continue;
            const double t = RunOnce(head + " " + Operation + tail);
            if (t < 0) return -1.0;
            best = std::min(best, t);
        }
        return std::max(best - plain, 1.0);
    };
    auto ours = [&](int Runs, const std::function<void(TBitmap*)>& Kernel) {
        double best = 1e300;
        for (int r = 0; r < Runs; ++r) {
            CopyBitmap(photo.get(), image.get());
            const auto t0 = Clock::now();
            Kernel(image.get());
            best = std::min(best, Ms(t0, Clock::now()));
        }
        return best;
    };

    Integer ar, ag, ab;
    AverageColor(photo.get(), ar, ag, ab);
    TImgUserFilter sharpen;
    for (Integer& k : sharpen.Coef) k = -1;
    sharpen.Coef[4] = 9;
    struct Case {
        std::string name, peerName, operation;
        int peerRuns;
        std::function<void(TBitmap*)> kernel;
    };
    const std::vector<Case> cases = {
        {"AdjustContrast", "-brightness-contrast", "-brightness-contrast 10x20", 3,
         [&](TBitmap* b) {
             AdjustContrast(b, 20, ar, ag, ab, 0, 0, w - 1, h - 1);
             AdjustRGB(b, 25, 25, 25, 0, 0, w - 1, h - 1);
         }},
        {"AdjustHSL", "-modulate", "-modulate 110,120,150", 3,
         [&](TBitmap* b) { AdjustHSL(b, 90, 20, 10, 0, 0, w - 1, h - 1); }},
        {"ApplyUserFilter", "-morphology Convolve", "-morphology Convolve '3x3: -1,-1,-1 -1,9,-1 -1,-1,-1'", 3,
         [&](TBitmap* b) { ApplyUserFilter(b, sharpen, 0, 0, w - 1, h - 1); }},
        {"EqualizeHistogram", "-equalize", "-equalize", 3,
         [&](TBitmap* b) { EqualizeHistogram(b, 0, 0, w - 1, h - 1); }},
        {"MorphFilter radius 1", "-morphology Dilate Square:1", "-morphology Dilate Square:1", 3,
         [&](TBitmap* b) { MorphFilter(b, 1, mkMaximum, 0, 0, w - 1, h - 1); }},
        {"MorphFilter radius 5", "-morphology Dilate Square:5", "-morphology Dilate Square:5", 1,
         [&](TBitmap* b) { MorphFilter(b, 5, mkMaximum, 0, 0, w - 1, h - 1); }},
        {"MorphFilter radius 32", "-morphology Dilate Square:32", "-morphology Dilate Square:32", 1,
         [&](TBitmap* b) { MorphFilter(b, 32, mkMaximum, 0, 0, w - 1, h - 1); }},
        {"WaveEffect", "-wave", "-wave 10x60", 3, [&](TBitmap* b) { WaveEffect(b, 10, 60, 0, false); }},
    };
    for (const Case& c : cases) {
        if (c.name.find(only) == std::string::npos) continue;
        const double o = ours(3, c.kernel);
        Report(c.name, o, "ImageMagick " + c.peerName, peer(c.operation, c.peerRuns));
        std::fflush(stdout);
    }

    if (std::string("BuildFT").find(only) == std::string::npos) return 0;
    // The transform in colour and back: N = 4096 for a 4000 x 3000 picture.
    std::unique_ptr<TBitmap> back(new TBitmap());
    Integer N = 0;
    double peak = 0;
    const double ft = Best(2, [&] {
        ResetPeak();
        TImgFtImage t;
        t.BuildFT(photo.get(), TImgFtImage::ftColour);
        t.GetInverse(back.get());
        N = t.GetN();
        peak = std::max(peak, PeakMiB());
    });
    Report("BuildFT + GetInverse colour N=" + std::to_string(N), ft, "ImageMagick -fft -ift", peer("-fft -ift", 1));

    // FFTW on three planes of the same layout: N rows of N real parts followed by N imaginary.
    std::vector<float> planes[3];
    for (auto& p : planes) p.assign(size_t(N) * N * 2, 0.5f);
    fftwf_iodim dims[2] = {{N, 2 * N, 2 * N}, {N, 1, 1}};
    const double fftw = Best(2, [&] {
        for (int dir = 0; dir < 2; ++dir)
            for (auto& p : planes) {
                float* re = p.data();
                float* im = p.data() + N;
                // An inverse is the forward transform with the real and imaginary parts exchanged.
                fftwf_plan plan = dir == 0
                                      ? fftwf_plan_guru_split_dft(2, dims, 0, nullptr, re, im, re, im, FFTW_ESTIMATE)
                                      : fftwf_plan_guru_split_dft(2, dims, 0, nullptr, im, re, im, re, FFTW_ESTIMATE);
                fftwf_execute(plan);
                fftwf_destroy_plan(plan);
            }
    });
    Report("BuildFT + GetInverse colour N=" + std::to_string(N), ft, "FFTW 2-D single precision", fftw);
    std::printf("  peak memory of BuildFT + GetInverse: %.0f MiB (three planes of %.0f MiB)\n", peak,
                double(N) * N * 8 / (1024 * 1024));
    return 0;
}
