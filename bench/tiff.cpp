// The TIFF codec against libtiff's tiffcp:
//  - decoding an A4 page at 300 dpi (2480 x 3508, black and white) coded as Group 4;
//  - decoding a 12-megapixel RGB picture coded as LZW with the horizontal predictor.
// The inputs are written uncompressed by us and compressed by tiffcp, so libtiff made them. The
// peer is "tiffcp -c none" of the same input to an uncompressed file: decoding plus a plain
// write, timed as a whole program run. Best of three each. Usage: tiff WORK_FOLDER [TIFFCP]

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/peer_timing.h"
#include "bench/synthetic_photo.h"
#include "framework/backend.h"
#include "framework/stream.h"
#include "imaging/formats/lzw_coders.h"
#include "imaging/formats/tiff_codec.h"

namespace {

using namespace bench;

// A page of typescript: lines of word-like black blocks with letter gaps, a ruled table and a
// frame, on white (1 bit, index 0 black).
void FillDocumentPage(TBitmap* b, Integer W, Integer H) {
    b->SetPixelFormat(pf1bit);
    b->SetSize(W, H);
    const Integer rowBytes = (W + 7) / 8;
    for (Integer y = 0; y < H; ++y) {
        auto* row = static_cast<Byte*>(b->ScanLine(y));
        for (Integer i = 0; i < rowBytes; ++i) row[i] = 0xFF;
        auto black = [&](Integer x) { row[x / 8] &= Byte(~(0x80 >> (x % 8))); };
        const bool frame = y >= 150 && y < H - 150;
        if (frame && (y < 154 || y >= H - 154)) {
            for (Integer x = 150; x < W - 150; ++x) black(x);
            continue;
        }
        if (frame)
            for (Integer x : {150, 151, 152, 153, W - 154, W - 153, W - 152, W - 151}) black(x);
        const Integer line = (y - 300) / 50, inLine = (y - 300) % 50;
        if (y < 300 || y > H - 300 || inLine >= 30) continue;
        if (line % 12 == 11) {  // a rule of the table
            if (inLine < 3) for (Integer x = 300; x < W - 300; ++x) black(x);
            continue;
        }
        for (Integer x = 300; x < W - 300; ++x) {
            const Integer word = (x + line * 37) / 160, inWord = (x + line * 37) % 160;
            const Integer letter = inWord / 22, inLetter = inWord % 22;
            if (inWord >= 130 || inLetter >= 16) continue;
            // Strokes of letters: a few vertical and horizontal bars per letter cell.
            const Integer shape = (word * 7 + letter * 13 + line) % 5;
            const bool stroke = inLetter < 3 || (shape > 1 && inLetter > 12) ||
                                (shape % 2 && (inLine < 3 || inLine > 26)) ||
                                (shape == 4 && inLine > 13 && inLine < 17);
            if (stroke) black(x);
        }
    }
}

bool WriteUncompressed(TBitmap* Bitmap, const std::string& File) {
    TFileStream out(File, fmCreate);
    TIOParamsVals params;
    params.TIFFCompression = ioTIFF_UNCOMPRESSED;
    const bool mono = Bitmap->GetPixelFormat() == pf1bit;
    params.TIFFPhotometInterpret = mono ? ioTIFF_BLACKISZERO : ioTIFF_RGB;
    params.BitsPerSample = mono ? 1 : 8;
    params.SamplesPerPixel = mono ? 1 : 3;
    bool aborted = false;
    TProgressRec progress;
    progress.Aborting = &aborted;
    return TIFFEncodeStream(&out, false, Bitmap, params, progress) == 1 && !aborted;
}

// Our best of three at reading page 0 of File; negative when it failed.
double DecodeBest(const std::string& File, Integer W, Integer H) {
    double best = 1e300;
    for (int r = 0; r < 3; ++r) {
        const auto t0 = Clock::now();
        TFileStream in(File, fmOpenRead | fmShareDenyWrite);
        TBitmap bitmap;
        TIOParamsVals params;
        params.TIFFImageIndex = 0;
        Integer pages = 0;
        bool aborted = false;
        TProgressRec progress;
        progress.Aborting = &aborted;
        TIFFDecodeStream(&bitmap, &in, pages, &params, progress, false);
        best = std::min(best, Ms(t0, Clock::now()));
        if (aborted || bitmap.GetWidth() != W || bitmap.GetHeight() != H) return -1;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORK_FOLDER [TIFFCP]\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    EnsureBackend();
    InstallLZWCoders();
    const std::string work = argv[1];
    const std::string tiffcp = argc > 2 ? argv[2] : "tiffcp";

    struct TCase {
        const char* What;
        const char* Name;
        const char* Compression;
        Integer W, H;
    };
    for (const TCase& c : {TCase{"tiff decode A4 300 dpi Group 4", "a4", "g4", 2480, 3508},
                           TCase{"tiff decode 12 MP RGB LZW + predictor", "photo", "lzw:2", 4000, 3000}}) {
        const std::string plain = work + "/" + c.Name + "_plain.tif", packed = work + "/" + c.Name + "_packed.tif",
                          peerOut = work + "/" + c.Name + "_tiffcp.tif";
        {
            std::unique_ptr<TBitmap> source(new TBitmap());
            if (c.W == 2480)
                FillDocumentPage(source.get(), c.W, c.H);
            else
                FillSyntheticPhoto(source.get(), c.W, c.H);
            if (!WriteUncompressed(source.get(), plain)) {
                std::fprintf(stderr, "writing %s failed\n", plain.c_str());
                return 1;
            }
        }
        const std::string pack = tiffcp + " -c " + c.Compression + " '" + plain + "' '" + packed + "'";
        if (std::system(pack.c_str()) != 0) {
            std::fprintf(stderr, "%s failed\n", pack.c_str());
            return 1;
        }
        std::printf("%s: %ld bytes\n", packed.c_str(), FileSize(packed));
        const double ours = DecodeBest(packed, c.W, c.H);
        if (ours < 0) {
            std::fprintf(stderr, "decoding %s failed\n", packed.c_str());
            return 1;
        }
        Report(c.What, ours, "tiffcp -c none", RunBest(tiffcp + " -c none '" + packed + "' '" + peerOut + "'"));
    }
    return 0;
}
