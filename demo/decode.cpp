// Decodes an image file through the image I/O component, choosing the format by the file's
// content, and writes its pixels as a PAM file: 24-bit images as RGB, 1-bit images as grey levels
// 0 and 255. The codecs' conformance tests compare its output with reference decoders.
//
//     decode FILE OUT.pam
//
// Exit status: 0 when the image was decoded and written, 1 for wrong arguments, 2 when the load
// failed (the aborting flag was set, or the file could not be read) or the output could not be
// written.

#include <cstdio>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/bitmap_rows.h"
#include "imaging/formats/imago_io.h"
#include "imaging/formats/lzw_coders.h"

namespace {

bool WritePAM(TBitmap* Bitmap, const std::string& FileName) {
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    const bool grey = Bitmap->GetPixelFormat() == pf1bit;
    const int depth = grey ? 1 : 3;
    std::FILE* f = std::fopen(FileName.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n", w, h,
                 depth, grey ? "GRAYSCALE" : "RGB");
    std::vector<unsigned char> row(size_t(w) * size_t(depth));
    bool ok = true;
    for (Integer y = 0; y < h && ok; ++y) {
        const void* line = Bitmap->ScanLine(y);
        for (Integer x = 0; x < w; ++x) {
            if (grey) {
                row[size_t(x)] = GetRowBit(line, x) ? 255 : 0;
            } else {
                const TImgRGB p = static_cast<const TImgRGB*>(line)[x];
                row[size_t(x) * 3] = p.r;
                row[size_t(x) * 3 + 1] = p.g;
                row[size_t(x) * 3 + 2] = p.b;
            }
        }
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: decode FILE OUT.pam\n");
        return 1;
    }
    InstallLZWCoders();
    TBitmap bitmap;
    TImagoIO* io = new TImagoIO(nullptr);
    io->SetAttachedBitmap(&bitmap);
    bool loaded = false;
    try {
        TFileStream stream(argv[1], fmOpenRead | fmShareDenyWrite);
        io->LoadFromStream(&stream);
        loaded = !io->GetAborting();
        if (!loaded) std::fprintf(stderr, "decode: %s could not be decoded\n", argv[1]);
    } catch (const Exception& e) {
        std::fprintf(stderr, "decode: %s: %s\n", argv[1], e.what());
    }
    io->Free();
    if (!loaded) return 2;
    if (!WritePAM(&bitmap, argv[2])) {
        std::fprintf(stderr, "decode: cannot write %s\n", argv[2]);
        return 2;
    }
    return 0;
}
