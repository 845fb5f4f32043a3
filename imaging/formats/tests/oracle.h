#pragma once
// Reference decoders for the codec conformance tests: ImageMagick and netpbm are run on a file and
// their PNM output is compared with what our codecs make of the same file. The tools are listed in
// scripts/packages/formats-bmp-pcx-tga.txt, so CI has them; where one is missing locally the test
// that needs it is skipped.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "imaging/bitmap_rows.h"
#include "imaging/formats/imago_io.h"
#include "imaging/img_types.h"

namespace oracle {

// Pixels as red, green, blue bytes, rows top first.
struct TImage {
    int Width = 0;
    int Height = 0;
    std::vector<unsigned char> RGB;
    bool operator==(const TImage&) const = default;
};

inline std::string FixturePath(const std::string& Name) {
    const char* root = std::getenv("LUMORA_TEST_SOURCE_DIR");
    return std::string(root ? root : ".") + "/imaging/formats/tests/fixtures/" + Name;
}

inline bool HaveTool(const std::string& Tool) {
    return std::system(("command -v " + Tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Parses a P4, P5 or P6 image; samples of a maxval of 31 are scaled by 8 (the 5-bit channels of
// 16-bit pixels), those of maxval 255 are taken as they are, two-byte samples (maxval above 255)
// give their high byte, and other maxvals are scaled to 0..255.
inline bool ParsePNM(const std::string& Data, TImage& Out) {
    size_t at = 0;
    auto token = [&]() {
        while (at < Data.size()) {
            if (Data[at] == '#')
                while (at < Data.size() && Data[at] != '\n') ++at;
            else if (std::isspace(static_cast<unsigned char>(Data[at])))
                ++at;
            else
                break;
        }
        const size_t from = at;
        while (at < Data.size() && !std::isspace(static_cast<unsigned char>(Data[at]))) ++at;
        return Data.substr(from, at - from);
    };
    const std::string magic = token();
    if (magic != "P4" && magic != "P5" && magic != "P6") return false;
    Out.Width = std::atoi(token().c_str());
    Out.Height = std::atoi(token().c_str());
    const int maxval = magic == "P4" ? 1 : std::atoi(token().c_str());
    ++at;
    const size_t w = size_t(Out.Width), h = size_t(Out.Height);
    Out.RGB.assign(w * h * 3, 0);
    if (maxval <= 0 || maxval > 65535) return false;
    const size_t wide = maxval > 255 ? 2 : 1;
    auto scale = [maxval](unsigned v) {
        return (unsigned char)(maxval == 31 ? v * 8 : (maxval >= 255 ? v : v * 255 / unsigned(maxval)));
    };
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x) {
            unsigned char* d = &Out.RGB[(y * w + x) * 3];
            if (magic == "P4") {
                const size_t i = at + y * ((w + 7) / 8) + x / 8;
                if (i >= Data.size()) return false;
                const bool black = (static_cast<unsigned char>(Data[i]) >> (7 - x % 8)) & 1;
                d[0] = d[1] = d[2] = black ? 0 : 255;
            } else if (magic == "P5") {
                const size_t i = at + (y * w + x) * wide;
                if (i + wide > Data.size()) return false;
                d[0] = d[1] = d[2] = scale(static_cast<unsigned char>(Data[i]));
            } else {
                const size_t i = at + (y * w + x) * 3 * wide;
                if (i + 3 * wide > Data.size()) return false;
                for (int c = 0; c < 3; ++c) d[c] = scale(static_cast<unsigned char>(Data[i + size_t(c) * wide]));
            }
        }
    return true;
}

// Runs a command and parses its standard output as a PNM image.
inline bool RunPNM(const std::string& Command, TImage& Out) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((Command + " 2>/dev/null").c_str(), "r"), pclose);
    if (!pipe) return false;
    std::string data;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe.get())) > 0) data.append(buf, n);
    return ParsePNM(data, Out);
}

// ImageMagick's reading of frame Frame of the file, turned as the file's origin says (it leaves
// bottom-up Targa files upside down otherwise), transparent parts on white.
inline bool Magick(const std::string& File, TImage& Out, int Frame = 0) {
    return RunPNM("convert '" + File + "[" + std::to_string(Frame) +
                      "]' -auto-orient -background white -alpha remove -depth 8 ppm:-",
                  Out);
}

// The image as our bitmap holds it (a set bit of a 1-bit bitmap white, a clear one black).
inline TImage FromBitmap(TBitmap* Bitmap) {
    TImage out;
    out.Width = Bitmap->GetWidth();
    out.Height = Bitmap->GetHeight();
    const bool mono = Bitmap->GetPixelFormat() == pf1bit;
    for (int y = 0; y < out.Height; ++y) {
        const void* row = Bitmap->ScanLine(y);
        for (int x = 0; x < out.Width; ++x) {
            if (mono) {
                const unsigned char v = GetRowBit(row, x) ? 255 : 0;
                out.RGB.insert(out.RGB.end(), {v, v, v});
            } else {
                const TImgRGB p = static_cast<const TImgRGB*>(row)[x];
                out.RGB.insert(out.RGB.end(), {p.r, p.g, p.b});
            }
        }
    }
    return out;
}

// Loads the file through the I/O component, which picks the codec by the file's extension. False
// when the load failed.
inline bool LoadOurs(const std::string& File, TImage& Out, int ImageIndex = 0) {
    TBitmap bitmap;
    TImagoIO* io = new TImagoIO(nullptr);
    io->SetAttachedBitmap(&bitmap);
    io->GetParams()->ICOImageIndex = ImageIndex;
    io->GetParams()->CURImageIndex = ImageIndex;
    io->LoadFromFile(File);
    const bool ok = !io->GetAborting();
    io->Free();
    if (ok) Out = FromBitmap(&bitmap);
    return ok;
}

}  // namespace oracle
