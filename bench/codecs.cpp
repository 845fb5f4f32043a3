// Decoding and encoding a 12-megapixel picture (4000 x 3000, synthetic) as BMP, PCX and Targa
// with our codecs against ImageMagick on the same files, one thread. Our times include reading
// or writing the file. The peer's decode time is that of "convert FILE null:"; its encode time is
// that of "convert SOURCE.ppm OPTIONS FILE" minus that of reading the PPM alone. Process start-up
// is in the peer's times: a run of "convert" on a 1 x 1 picture shows its size. The 8-bit
// files are quantized by both (ImageMagick without dithering, as ours).
//
// Usage: codecs [CONVERT [WORK_FOLDER]]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "bench/synthetic_photo.h"
#include "framework/stream.h"
#include "imaging/formats/bmp_codec.h"
#include "imaging/formats/pcx_codec.h"
#include "imaging/formats/tga_codec.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double Best(int Runs, const std::function<void()>& Work) {
    double best = 1e300;
    for (int r = 0; r < Runs; ++r) {
        const auto t0 = Clock::now();
        Work();
        best = std::min(best, Ms(t0, Clock::now()));
    }
    return best;
}

double Run(const std::string& Command) {
    const auto t0 = Clock::now();
    const int rc = std::system((Command + " >/dev/null 2>&1").c_str());
    return rc == 0 ? Ms(t0, Clock::now()) : -1;
}

double BestRun(int Runs, const std::string& Command) {
    double best = 1e300;
    for (int r = 0; r < Runs; ++r) {
        const double t = Run(Command);
        if (t < 0) return -1;
        best = std::min(best, t);
    }
    return best;
}

void WritePPM(TBitmap* b, const std::string& Name) {
    FILE* f = std::fopen(Name.c_str(), "wb");
    std::fprintf(f, "P6\n%d %d\n255\n", b->GetWidth(), b->GetHeight());
    std::string row;
    for (Integer y = 0; y < b->GetHeight(); ++y) {
        const auto* p = static_cast<const TImgRGB*>(b->ScanLine(y));
        row.clear();
        for (Integer x = 0; x < b->GetWidth(); ++x) row += {char(p[x].r), char(p[x].g), char(p[x].b)};
        std::fwrite(row.data(), 1, row.size(), f);
    }
    std::fclose(f);
}

struct TFormat {
    const char* Name;
    const char* Ext;
    const char* MagickOptions;  // what makes ImageMagick write the same kind of file
    Integer Bits, Samples;
    bool Compressed;
    std::function<void(TStream*, TBitmap*, TIOParamsVals&, TProgressRec&)> Encode;
    std::function<void(TStream*, TBitmap*, TIOParamsVals&, TProgressRec&)> Decode;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string convert = argc > 1 ? argv[1] : "convert";
    const std::string work = argc > 2 ? argv[2] : "/tmp";
    const std::string magick = convert + " -limit thread 1 ";
    TBitmap photo;
    FillSyntheticPhoto(&photo, 4000, 3000);
    const std::string source = work + "/codecs_source.ppm";
    WritePPM(&photo, source);
    const double startup = BestRun(3, magick + "xc:white null:");
    const double readSource = BestRun(3, magick + "'" + source + "' null:");
    std::printf("picture: 4000 x 3000; ImageMagick start-up %.1f ms, reading the PPM %.1f ms\n", startup, readSource);

    auto bmpEncode = [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r) { BMPEncodeStream(s, b, p, r); };
    auto bmpDecode = [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r) {
        BMPDecodeStream(s, b, s->GetSize(), p, r, false);
    };
    auto pcxEncode = [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r) { PCXEncodeStream(s, b, p, r); };
    auto pcxDecode = [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r) {
        PCXDecodeStream(s, b, p, s->GetSize(), r, false);
    };
    auto tgaEncode = [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r) { TGAEncodeStream(s, b, p, r); };
    auto tgaDecode = [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r) { TGADecodeStream(s, b, p, false, r); };
    const TFormat formats[] = {
        {"bmp 24-bit", "bmp", "-type TrueColor BMP3:", 8, 3, false, bmpEncode, bmpDecode},
        {"bmp 8-bit RLE", "bmp", "+dither -colors 256 -type Palette -compress RLE BMP3:", 8, 1, true, bmpEncode, bmpDecode},
        {"pcx 24-bit RLE", "pcx", "PCX:", 8, 3, true, pcxEncode, pcxDecode},
        {"pcx 8-bit RLE", "pcx", "+dither -colors 256 -type Palette PCX:", 8, 1, true, pcxEncode, pcxDecode},
        {"tga 24-bit", "tga", "-compress None TGA:", 8, 3, false, tgaEncode, tgaDecode},
        {"tga 24-bit RLE", "tga", "-compress RLE TGA:", 8, 3, true, tgaEncode, tgaDecode},
    };
    for (const TFormat& f : formats) {
        const std::string ours = work + "/codecs_ours." + f.Ext;
        const std::string peer = work + "/codecs_peer." + f.Ext;
        TIOParamsVals params;
        params.BitsPerSample = f.Bits;
        params.SamplesPerPixel = f.Samples;
        params.BMPCompression = f.Compressed ? 1 : 0;
        params.PCXCompression = f.Compressed ? 1 : 0;
        params.TGACompressed = f.Compressed;
        params.DpiX = params.DpiY = 96;
        const double encode = Best(3, [&] {
            TFileStream out(ours, fmCreate);
            TProgressRec progress;
            TIOParamsVals p;
            p.Assign(&params);
            f.Encode(&out, &photo, p, progress);
        });
        const double peerEncode = BestRun(3, magick + "'" + source + "' " + f.MagickOptions + "'" + peer + "'");
        TBitmap back;
        const double decode = Best(3, [&] {
            TFileStream in(ours, fmOpenRead);
            TProgressRec progress;
            TIOParamsVals p;
            f.Decode(&in, &back, p, progress);
        });
        const double peerDecode = BestRun(3, magick + "'" + ours + "' null:");
        const double peerEncodeOnly = peerEncode - readSource;
        std::printf("%s decode: ours %.1f ms, ImageMagick %.1f ms, ratio %.2f\n", f.Name, decode, peerDecode,
                    decode / peerDecode);
        std::printf("%s encode: ours %.1f ms, ImageMagick %.1f ms, ratio %.2f\n", f.Name, encode, peerEncodeOnly,
                    encode / peerEncodeOnly);
    }
    return 0;
}
