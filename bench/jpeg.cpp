// JPEG and PNG through the image I/O component against the reference tools on the same files:
// decoding a 12-megapixel JPEG at full, half, quarter and eighth scale against djpeg with the
// same -scale (its output written to /dev/null), and decoding and encoding a 12-megapixel PNG
// against ImageMagick's convert (one thread; writing PPM to /dev/null when decoding, reading a
// PPM when encoding). Each time is the best of a few runs; the peers' times include starting the
// program, a few milliseconds.
//
// Usage: jpeg PHOTO.jpg PHOTO.png PHOTO.ppm [CONVERT [WORK_FOLDER]] (bench/jpeg.sh prepares them).

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/peer_timing.h"
#include "framework/graphics.h"
#include "imaging/formats/imago_io.h"

namespace {

using namespace bench;

void Command(const std::string& Line) {
    if (std::system(Line.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", Line.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: jpeg PHOTO.jpg PHOTO.png PHOTO.ppm [CONVERT [WORK_FOLDER]]\n");
        return 1;
    }
    const std::string jpeg = argv[1], png = argv[2], ppm = argv[3];
    const std::string convert = argc > 4 ? argv[4] : "/usr/bin/convert";
    const std::string work = argc > 5 ? argv[5] : std::filesystem::temp_directory_path().string();
    // Many runs of the short JPEG decodes, so the best escapes other work on the machine.
    const int runs = 11;
    const int pngRuns = 3;

    TBitmap bitmap;
    TImagoIO* io = new TImagoIO(nullptr);
    io->SetAttachedBitmap(&bitmap);
    const char* names[] = {"full", "half", "quarter", "eighth"};
    for (int i = 0; i < 4; ++i) {
        io->GetParams()->JPEGScale = Byte(i + 1);
        const double ours = Best(runs, [&] { io->LoadFromFileJPEG(jpeg); });
        if (io->GetAborting()) {
            std::fprintf(stderr, "cannot decode %s\n", jpeg.c_str());
            return 1;
        }
        const std::string scale = "1/" + std::to_string(1 << i);
        const double djpeg = Best(runs, [&] { Command("djpeg -scale " + scale + " -outfile /dev/null " + jpeg); });
        Report("jpeg decode " + std::string(names[i]) + " " + std::to_string(bitmap.GetWidth()) + "x" +
                   std::to_string(bitmap.GetHeight()),
               ours, "djpeg -scale " + scale, djpeg);
    }

    const std::string im = "MAGICK_THREAD_LIMIT=1 " + convert + " ";
    const double pngDecode = Best(pngRuns, [&] { io->LoadFromFilePNG(png); });
    if (io->GetAborting()) {
        std::fprintf(stderr, "cannot decode %s\n", png.c_str());
        return 1;
    }
    const double imDecode = Best(pngRuns, [&] { Command(im + png + " ppm:/dev/null"); });
    Report("png decode " + std::to_string(bitmap.GetWidth()) + "x" + std::to_string(bitmap.GetHeight()), pngDecode,
           "convert", imDecode);

    // Encoding with the defaults: level 5, no row filter; ImageMagick with the same settings.
    io->LoadFromFilePNG(png);
    io->GetParams()->SamplesPerPixel = 3;
    io->GetParams()->BitsPerSample = 8;
    io->GetParams()->PNGInterlaced = false;
    io->GetParams()->PNGFilter = ioPNG_FILTER_NONE;
    io->GetParams()->PNGCompression = 5;
    const std::string ours = work + "/lumora-bench-ours.png", theirs = work + "/lumora-bench-theirs.png";
    const double pngEncode = Best(pngRuns, [&] { io->SaveToFilePNG(ours); });
    const double imEncode = Best(pngRuns, [&] {
        Command(im + ppm + " -define png:compression-level=5 -define png:compression-filter=0 PNG24:" + theirs);
    });
    Report("png encode level 5 filter none", pngEncode, "convert", imEncode);
    const double oursSize = double(std::filesystem::file_size(ours));
    const double theirSize = double(std::filesystem::file_size(theirs));
    std::printf("png encode size: ours %.0f bytes, convert %.0f bytes, ratio %.2f\n", oursSize, theirSize,
                oursSize / theirSize);
    std::filesystem::remove(ours);
    std::filesystem::remove(theirs);
    io->Free();
    return 0;
}
