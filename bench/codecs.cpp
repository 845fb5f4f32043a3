// Decoding and encoding a 12-megapixel picture (4000 x 3000, synthetic) as BMP, PCX and Targa
// with our codecs against ImageMagick on the same files, one thread. Our times include reading
// or writing the file. The peer's decode time is that of "convert FILE null:"; its encode time is
// that of "convert SOURCE.ppm OPTIONS FILE" minus that of reading the PPM alone. Process start-up
// is in the peer's times: a run of "convert" on a 1 x 1 picture shows its size. The 8-bit
// files are quantized by both (ImageMagick without dithering, as ours).
//
// Usage: codecs [CONVERT [WORK_FOLDER]]

#include <cstdio>
#include <functional>
#include <string>

#include "bench/peer_timing.h"
#include "bench/synthetic_photo.h"
#include "framework/stream.h"
#include "imaging/formats/bmp_codec.h"
#include "imaging/formats/pcx_codec.h"
#include "imaging/formats/tga_codec.h"

namespace {

using namespace bench;

// A peer's command line, its output dropped: wall time in ms, best of three (negative on failure).
double Peer(const std::string& Command) { return RunBest(Command + " >/dev/null 2>&1"); }

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
    const double startup = Peer(magick + "xc:white null:");
    const double readSource = Peer(magick + "'" + source + "' null:");
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
    auto tgaDecode = [](TStream* s, TBitmap* b, TIOParamsVals& p, TProgressRec& r) {
        TGADecodeStream(s, b, p, false, r);
    };
    const TFormat formats[] = {
        {"bmp 24-bit", "bmp", "-type TrueColor BMP3:", 8, 3, false, bmpEncode, bmpDecode},
        {"bmp 8-bit RLE", "bmp", "+dither -colors 256 -type Palette -compress RLE BMP3:", 8, 1, true, bmpEncode,
         bmpDecode},
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
        const double peerEncode = Peer(magick + "'" + source + "' " + f.MagickOptions + "'" + peer + "'");
        TBitmap back;
        const double decode = Best(3, [&] {
            TFileStream in(ours, fmOpenRead);
            TProgressRec progress;
            TIOParamsVals p;
            f.Decode(&in, &back, p, progress);
        });
        const double peerDecode = Peer(magick + "'" + ours + "' null:");
        const double peerEncodeOnly = peerEncode - readSource;
        Report(std::string(f.Name) + " decode", decode, "ImageMagick", peerDecode);
        Report(std::string(f.Name) + " encode", encode, "ImageMagick", peerEncodeOnly);
    }
    return 0;
}
