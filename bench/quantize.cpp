// Reducing a photograph to 256 colours: the box-splitting quantizer and NeuQuant (at the sampling
// factor the library chooses for the image, and at its finest, factor 1), each building its
// palette and mapping every pixel, against ImageMagick's "-colors 256" on the same picture. The
// peer's time is that of the convert run with "-colors 256" minus that of the same run without
// it (reading and writing the file), on one thread. Quality is the PSNR against the original.
//
// Usage: quantize PHOTO.bmp [CONVERT [WORK_FOLDER]] (bench/quantize.sh prepares the photo).

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/peer_timing.h"
#include "framework/backend.h"
#include "framework/graphics.h"
#include "imaging/bitmap_routines.h"
#include "imaging/quantizer.h"

namespace {

using namespace bench;

double Psnr(TBitmap* a, TBitmap* b) {
    if (a->GetWidth() != b->GetWidth() || a->GetHeight() != b->GetHeight()) return 0;
    long double sum = 0;
    for (Integer y = 0; y < a->GetHeight(); ++y) {
        const auto* p = static_cast<const TImgRGB*>(a->ScanLine(y));
        const auto* q = static_cast<const TImgRGB*>(b->ScanLine(y));
        for (Integer x = 0; x < a->GetWidth(); ++x) {
            const int db = p[x].b - q[x].b, dg = p[x].g - q[x].g, dr = p[x].r - q[x].r;
            sum += db * db + dg * dg + dr * dr;
        }
    }
    const double mse = double(sum / (3.0L * a->GetWidth() * a->GetHeight()));
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// Builds a palette with Make and maps every pixel of a copy of Photo; best of Runs, in ms.
template <class Q>
double Reduce(TBitmap* Photo, TBitmap* Out, int Runs, const std::function<Q*(TBitmap*, TImgRGB*)>& Make) {
    double best = 1e300;
    for (int r = 0; r < Runs; ++r) {
        CopyBitmap(Photo, Out);
        const auto t0 = Clock::now();
        std::vector<TImgRGB> palette(256);
        std::unique_ptr<Q> q(Make(Out, palette.data()));
        for (Integer y = 0; y < Out->GetHeight(); ++y) {
            auto* row = static_cast<TImgRGB*>(Out->ScanLine(y));
            Cardinal last = 0xFFFFFFFFu;
            TImgRGB mapped;
            for (Integer x = 0; x < Out->GetWidth(); ++x) {
                const Cardinal c = ImgPackRGB(row[x]);
                if (c != last) {
                    last = c;
                    mapped = palette[size_t(q->RGBToIndex(c))];
                }
                row[x] = mapped;
            }
        }
        best = std::min(best, Ms(t0, Clock::now()));
    }
    return best;
}

// Runs a command and answers its wall time in ms (negative when it failed).
double Run(const std::string& Command) {
    const auto t0 = Clock::now();
    const int rc = std::system(Command.c_str());
    const double t = Ms(t0, Clock::now());
    return rc == 0 ? t : -1;
}

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

    std::unique_ptr<TBitmap> photo(new TBitmap());
    photo->LoadFromFile(photoName);
    photo->SetPixelFormat(pf24bit);
    std::printf("photo: %d x %d\n", photo->GetWidth(), photo->GetHeight());
    std::unique_ptr<TBitmap> out(new TBitmap());

    // The peer first: its time and its picture.
    const std::string peerOut = work + "/imagemagick-256.bmp", plainOut = work + "/imagemagick-copy.bmp";
    const std::string peerOutNoDither = work + "/imagemagick-256-nodither.bmp";
    const std::string head = convert + " -limit thread 1 '" + photoName + "'";
    const std::string tail = " -type TrueColor BMP3:";
    double peer = 1e300, plain = 1e300;
    for (int r = 0; r < 3; ++r) {
        plain = std::min(plain, Run(head + tail + "'" + plainOut + "'"));
        peer = std::min(peer, Run(head + " -colors 256" + tail + "'" + peerOut + "'"));
    }
    Run(head + " -dither None -colors 256" + tail + "'" + peerOutNoDither + "'");
    double peerPsnr = 0, peerNoDitherPsnr = 0;
    if (peer > 0 && plain > 0) {
        std::unique_ptr<TBitmap> p(new TBitmap());
        p->LoadFromFile(peerOut);
        p->SetPixelFormat(pf24bit);
        peerPsnr = Psnr(photo.get(), p.get());
        p->LoadFromFile(peerOutNoDither);
        p->SetPixelFormat(pf24bit);
        peerNoDitherPsnr = Psnr(photo.get(), p.get());
    }
    const double peerTime = std::max(peer - plain, 1.0);

    struct Result {
        const char* name;
        double ms, psnr;
    };
    std::vector<Result> results;
    const double boxMs = Reduce<TImgBoxQuantizer>(photo.get(), out.get(), 3, [](TBitmap* b, TImgRGB* pal) {
        return new TImgBoxQuantizer(b, pal, 256);
    });
    results.push_back({"box splitting", boxMs, Psnr(photo.get(), out.get())});
    Integer factor = 0;
    const double neuMs = Reduce<TImgNeuQuant>(photo.get(), out.get(), 3, [&](TBitmap* b, TImgRGB* pal) {
        auto* q = new TImgNeuQuant(b, pal, 256, -1);
        factor = q->GetSampleFactor();
        return q;
    });
    results.push_back({"NeuQuant", neuMs, Psnr(photo.get(), out.get())});
    const double neuFineMs = Reduce<TImgNeuQuant>(photo.get(), out.get(), 1, [](TBitmap* b, TImgRGB* pal) {
        return new TImgNeuQuant(b, pal, 256, 100);
    });
    results.push_back({"NeuQuant factor 1", neuFineMs, Psnr(photo.get(), out.get())});

    for (const Result& r : results)
        std::printf("quantize 256 %s: ours %.1f ms, ImageMagick -colors 256 %.1f ms, ratio %.2f\n", r.name, r.ms,
                    peerTime, r.ms / peerTime);
    std::printf("  PSNR box splitting %.2f dB, NeuQuant (sampling factor %d) %.2f dB, NeuQuant factor 1 %.2f dB\n",
                results[0].psnr, factor, results[1].psnr, results[2].psnr);
    std::printf("  PSNR ImageMagick -colors 256 %.2f dB (dithered), with -dither None %.2f dB\n", peerPsnr,
                peerNoDitherPsnr);
    std::printf("  NeuQuant within 1 dB of ImageMagick or better: %s\n",
                results[1].psnr >= peerPsnr - 1 ? "yes" : "no");
    return 0;
}
