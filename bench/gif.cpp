// The GIF codec against giflib's gif2rgb and ImageMagick's convert:
//  - decoding a 200-frame animation (320 x 240, one 256-colour table) frame by frame, each frame
//    read from the start of the file as the multi-frame loader does, and counting its frames; the
//    peers decode every frame in one run of the program;
//  - writing a 12-megapixel picture as a 256-colour GIF (colour reduction included; the peers
//    reduce without dithering where they can choose).
// Peers are timed as whole program runs, best of three. Usage: gif WORK_FOLDER [CONVERT]

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/peer_timing.h"
#include "bench/synthetic_photo.h"
#include "framework/backend.h"
#include "framework/stream.h"
#include "imaging/formats/gif_codec.h"
#include "imaging/formats/lzw_coders.h"

namespace {

using namespace bench;

void PutLe16(std::vector<Byte>& b, int v) { b.insert(b.end(), {Byte(v), Byte(v >> 8)}); }

// An animation of Frames frames of W x H: a global table of 256 colours, each frame a moving
// pattern of waves with a graphic control extension.
void MakeAnimation(const std::string& File, int Frames, int W, int H) {
    std::vector<Byte> head = {'G', 'I', 'F', '8', '9', 'a'};
    PutLe16(head, W);
    PutLe16(head, H);
    head.insert(head.end(), {0xF7, 0, 0});
    for (int i = 0; i < 256; ++i)
        head.insert(head.end(), {Byte(i), Byte(128 + 127 * std::sin(i * 0.05)), Byte(255 - i)});
    TFileStream out(File, fmCreate);
    out.WriteBuffer(head.data(), Int64(head.size()));
    std::vector<Byte> pixels(size_t(W) * size_t(H));
    for (int f = 0; f < Frames; ++f) {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                pixels[size_t(y) * size_t(W) + size_t(x)] =
                    Byte(((x + f * 3) / 4 + int(20 * std::sin((y + f) * 0.07)) + (y / 16) * 9) & 0xFF);
        std::vector<Byte> block = {0x21, 0xF9, 4, 8, 4, 0, 0, 0, 0x2C, 0, 0, 0, 0};
        PutLe16(block, W);
        PutLe16(block, H);
        block.push_back(0);
        out.WriteBuffer(block.data(), Int64(block.size()));
        GifLZWEncode(&out, H, W, false, pixels.data(), 8);
    }
    const Byte trailer = 0x3B;
    out.WriteBuffer(&trailer, 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORK_FOLDER [CONVERT]\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    EnsureBackend();
    InstallLZWCoders();
    const std::string work = argv[1];
    const std::string convert = argc > 2 ? argv[2] : "convert";

    // Decoding an animation frame by frame, and counting its frames.
    const int frames = 200, w = 320, h = 240;
    const std::string anim = work + "/anim200.gif";
    MakeAnimation(anim, frames, w, h);
    std::printf("animation: %d frames of %d x %d, %ld bytes\n", frames, w, h, FileSize(anim));
    double ours = 1e300;
    for (int r = 0; r < 3; ++r) {
        const auto t0 = Clock::now();
        TFileStream in(anim, fmOpenRead | fmShareDenyWrite);
        TBitmap bitmap;
        bool aborted = false;
        TProgressRec progress;
        progress.Aborting = &aborted;
        for (int i = 0; i < frames && !aborted; ++i) {
            in.SetPosition(0);
            TIOParamsVals params;
            params.GIFImageIndex = i;
            Integer count = 0;
            GIFDecodeStream(&in, &bitmap, count, params, progress, false);
        }
        const Integer counted = GIFDeleteFrame(anim, -1, false);
        ours = std::min(ours, Ms(t0, Clock::now()));
        if (aborted || counted != frames) {
            std::fprintf(stderr, "decoding the animation failed\n");
            return 1;
        }
    }
    Report("gif decode 200 frames one by one + count", ours, "gif2rgb",
           RunBest("gif2rgb -1 -o /dev/null '" + anim + "'"));
    Report("gif decode 200 frames one by one + count", ours, "ImageMagick",
           RunBest(convert + " -limit thread 1 '" + anim + "' rgb:/dev/null"));

    // Writing a 12-megapixel picture.
    const int pw = 4000, ph = 3000;
    std::unique_ptr<TBitmap> photo(new TBitmap());
    FillSyntheticPhoto(photo.get(), pw, ph);
    const std::string rgb = work + "/photo.rgb", ourGif = work + "/ours.gif", giflibGif = work + "/giflib.gif",
                      magickGif = work + "/magick.gif";
    {
        std::FILE* f = std::fopen(rgb.c_str(), "wb");
        if (!f) return 1;
        std::vector<Byte> row(size_t(pw) * 3);
        for (int y = 0; y < ph; ++y) {
            const auto* src = static_cast<const TImgRGB*>(photo->ScanLine(y));
            for (int x = 0; x < pw; ++x) {
                row[size_t(x) * 3] = src[x].r;
                row[size_t(x) * 3 + 1] = src[x].g;
                row[size_t(x) * 3 + 2] = src[x].b;
            }
            std::fwrite(row.data(), 1, row.size(), f);
        }
        std::fclose(f);
    }
    double encode = 1e300;
    for (int r = 0; r < 3; ++r) {
        const auto t0 = Clock::now();
        TFileStream out(ourGif, fmCreate);
        TIOParamsVals params;
        params.BitsPerSample = 8;
        bool aborted = false;
        TProgressRec progress;
        progress.Aborting = &aborted;
        GIFEncodeStream(&out, photo.get(), params, progress);
        encode = std::min(encode, Ms(t0, Clock::now()));
    }
    const std::string size = std::to_string(pw) + " " + std::to_string(ph);
    const double giflib = RunBest("gif2rgb -1 -s " + size + " < '" + rgb + "' > '" + giflibGif + "'");
    const double magick = RunBest(convert + " -limit thread 1 -size " + std::to_string(pw) + "x" + std::to_string(ph) +
                                  " -depth 8 'rgb:" + rgb + "' -dither None -colors 256 '" + magickGif + "'");
    Report("gif encode 12 MP, 256 colours", encode, "gif2rgb -s", giflib);
    Report("gif encode 12 MP, 256 colours", encode, "ImageMagick -colors 256", magick);
    std::printf("  file sizes: ours %ld, gif2rgb %ld, ImageMagick %ld bytes\n", FileSize(ourGif), FileSize(giflibGif),
                FileSize(magickGif));
    return 0;
}
