// The metafile player: an enhanced metafile of 100,000 records against one of 10,000 made of the
// same mix (the larger may take at most 12 times as long), and a clip-art drawing (filled curves,
// polygons, ellipses, wide outlines) played at 1,000 x 1,000 against decoding a JPEG of that size
// through the image I/O component (the drawing should take well under half of it). The JPEG is a
// photograph: the middle 1,000 x 1,000 of a desktop background from Debian's
// lomiri-wallpapers-16.04 package, saved at quality 85, so the decoder meets the detail of a real
// picture. Each time is the best of a few runs.
//
// Usage: metafile [--photo PHOTO.jpg] [CLIPART.emf|.wmf] (without a clip-art file, a drawing of our
// own is used). bench/metafile.sh installs the photograph and runs it.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/peer_timing.h"
#include "framework/backend.h"
#include "framework/graphics.h"
#include "framework/testing/metafile_writer.h"
#include "imaging/formats/imago_io.h"

namespace {

using namespace bench;
using lumora_test::TEmfWriter;

// Records cycle through objects, fills, outlines and shapes spread over a 1,000-pixel page.
std::vector<uint8_t> RecordMix(int Records) {
    TEmfWriter e(TRect(0, 0, 1000, 1000));
    e.Pen(1, PS_SOLID, 3, 0x203040);
    e.Brush(2, BS_SOLID, 0x4080C0);
    e.Brush(3, BS_SOLID, 0xC08040);
    int n = 3;
    for (int i = 0; n < Records; ++i) {
        const int x = (i * 37) % 960, y = (i * 91) % 960;
        switch (i % 6) {
        case 0: e.Select(i % 12 < 6 ? 2 : 3); break;
        case 1: e.Select(1); break;
        case 2: e.Rectangle(x, y, x + 30, y + 24); break;
        case 3: e.Ellipse(x, y, x + 28, y + 36); break;
        case 4: e.Poly(86, {TPoint(x, y), TPoint(x + 30, y + 5), TPoint(x + 12, y + 34)}); break;
        default: e.Poly(87, {TPoint(x, y + 20), TPoint(x + 20, y), TPoint(x + 40, y + 20)}); break;
        }
        ++n;
    }
    return e.Bytes();
}

// A clip-art drawing: a sky gradient of bands, hills of filled curves, a sun, trees of polygons and
// a wide outline round it all.
std::vector<uint8_t> ClipArt() {
    TEmfWriter e(TRect(0, 0, 1000, 1000));
    e.Select(0x80000000u | NULL_PEN);
    for (int i = 0; i < 40; ++i) {
        e.Brush(1, BS_SOLID, RGB(BYTE(120 + i * 3), BYTE(170 + i), 255));
        e.Select(1);
        e.Rectangle(0, i * 15, 1000, i * 15 + 16);
        e.Delete(1);
    }
    e.Brush(2, BS_SOLID, 0x00D0FF);
    e.Select(2);
    e.Ellipse(700, 80, 880, 260);
    for (int h = 0; h < 4; ++h) {
        e.Brush(3, BS_SOLID, RGB(40, BYTE(120 + h * 25), 40));
        e.Select(3);
        e.BeginPath();
        e.MoveTo(0, 1000);
        const int top = 520 + h * 90;
        e.Poly(6, {TPoint(0, top)});
        e.Poly(5, {TPoint(250, top - 160), TPoint(500, top + 120), TPoint(750, top - 60), TPoint(900, top - 100),
                   TPoint(950, top), TPoint(1000, top + 20)});
        e.Poly(6, {TPoint(1000, 1000)});
        e.CloseFigure();
        e.EndPath();
        e.FillPath();
        e.Delete(3);
    }
    e.Brush(4, BS_SOLID, 0x205020);
    e.Pen(5, PS_SOLID, 2, 0x103010);
    e.Select(4);
    e.Select(5);
    for (int t = 0; t < 30; ++t) {
        const int x = 30 + t * 32, y = 640 + (t * 53) % 200;
        e.Poly(86, {TPoint(x, y - 90), TPoint(x + 28, y), TPoint(x - 28, y)});
        e.Rectangle(x - 4, y, x + 4, y + 24);
    }
    e.ExtPen(6, PS_GEOMETRIC | PS_ENDCAP_ROUND | PS_JOIN_ROUND, 12, 0x303030);
    e.Select(6);
    e.Select(0x80000000u | NULL_BRUSH);
    e.Rectangle(10, 10, 990, 990);
    return e.Bytes();
}

double PlayTime(const std::vector<uint8_t>& Bytes, int Side, int Runs) {
    TMetafile m;
    m.LoadFromBytes(Bytes.data(), Bytes.size());
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(Side, Side);
    return Best(Runs, [&] { b.GetCanvas()->StretchDraw(TRect(0, 0, Side, Side), &m); });
}

}  // namespace

int main(int argc, char** argv) {
    EnsureBackend();
    const auto small = RecordMix(10000), large = RecordMix(100000);
    const double tSmall = PlayTime(small, 1000, 5), tLarge = PlayTime(large, 1000, 3);
    Report("metafile 100,000 records", tLarge, "10,000 records", tSmall);
    const double ratio = tLarge / tSmall;
    std::printf("metafile record scaling: ratio %.2f, target at most 12: %s\n", ratio, ratio <= 12 ? "met" : "NOT met");

    std::string photoFile = "/usr/share/backgrounds/picosdeeuropa_by_Aitzol_Berasategi.jpg", clipFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--photo" && i + 1 < argc) photoFile = argv[++i];
        else clipFile = arg;
    }
    std::vector<uint8_t> clip;
    if (!clipFile.empty()) {
        std::ifstream in(clipFile, std::ios::binary);
        clip.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        clip = ClipArt();
    }
    const double tClip = PlayTime(clip, 1000, 5);
    // The peer: the middle of the photograph, 1,000 x 1,000, decoded in full from a JPEG.
    TImagoIO* io = new TImagoIO(nullptr);
    TBitmap whole, photo, decoded;
    io->SetAttachedBitmap(&whole);
    if (std::filesystem::exists(photoFile)) io->LoadFromFileJPEG(photoFile);
    whole.SetPixelFormat(pf24bit);
    if (whole.GetWidth() < 1000 || whole.GetHeight() < 1000) {
        std::printf("metafile clip-art: the photograph %s is missing or smaller than 1000 x 1000 "
                    "(install lomiri-wallpapers-16.04 or run bench/metafile.sh)\n",
                    photoFile.c_str());
        io->Free();
        return 1;
    }
    photo.SetPixelFormat(pf24bit);
    photo.SetSize(1000, 1000);
    const Integer left = (whole.GetWidth() - 1000) / 2, top = (whole.GetHeight() - 1000) / 2;
    for (Integer y = 0; y < 1000; ++y)
        std::memcpy(photo.ScanLine(y), static_cast<const uint8_t*>(whole.ScanLine(top + y)) + left * 3, 3000);
    const std::string jpeg = (std::filesystem::temp_directory_path() / "lumora_metafile_bench.jpg").string();
    io->SetAttachedBitmap(&photo);
    io->GetParams()->JPEGQuality = 85;
    io->SaveToFileJPEG(jpeg);
    io->SetAttachedBitmap(&decoded);
    const double tJpeg = Best(5, [&] { io->LoadFromFileJPEG(jpeg); });
    const bool whole1000 = decoded.GetWidth() == 1000 && decoded.GetHeight() == 1000;
    std::printf("jpeg: %s, middle 1000 x 1000 at quality 85, %ld bytes, decoded to %d x %d\n", photoFile.c_str(),
                FileSize(jpeg), decoded.GetWidth(), decoded.GetHeight());
    io->Free();
    std::filesystem::remove(jpeg);
    if (!whole1000) return 1;
    Report("metafile clip-art at 1000x1000", tClip, "jpeg decode 1000x1000", tJpeg);
    std::printf("metafile clip-art against a jpeg decode: ratio %.2f, target under 0.5: %s\n", tClip / tJpeg,
                tClip / tJpeg < 0.5 ? "met" : "NOT met");
    return 0;
}
