// Speed of the image library's row routines on a 4000 x 3000 image: copies, 1-bit expansion,
// ordered dithering and the conversions to and from device-independent bitmaps. Each routine is
// compared with a plain copy of the bytes it reads and writes (the speed of memory), and its rate
// is given in megapixels per second.

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "bench/peer_timing.h"
#include "imaging/bitmap_routines.h"
#include "imaging/dib.h"
#include "imaging/dib_format.h"

namespace {

constexpr Integer W = 4000, H = 3000;
constexpr double kMegapixels = W * double(H) / 1e6;

// Best of a few runs, in milliseconds.
double Time(const std::function<void()>& fn) { return bench::Best(5, fn); }

// The peer: copying `bytes` bytes once, the least any routine touching them can cost.
double MemcpyTime(size_t bytes) {
    std::vector<Byte> a(bytes, 1), b(bytes);
    return Time([&] { std::memcpy(b.data(), a.data(), bytes); });
}

void Report(const char* name, double ours, size_t peerBytes) {
    const double peer = MemcpyTime(peerBytes);
    std::printf("%s: ours %.2f ms, memcpy %.2f ms, ratio %.2f\n", name, ours, peer, ours / peer);
    std::printf("  %s rate: %.0f megapixels/s\n", name, kMegapixels / (ours / 1000.0));
}

std::unique_ptr<TBitmap> Photo() {
    std::unique_ptr<TBitmap> b(new TBitmap());
    b->SetPixelFormat(pf24bit);
    b->SetSize(W, H);
    for (Integer y = 0; y < H; ++y) {
        auto* row = static_cast<TImgRGB*>(b->ScanLine(y));
        for (Integer x = 0; x < W; ++x) row[x] = ImgRGB(Byte(x * 7 + y), Byte(x ^ y), Byte(y * 3 - x));
    }
    return b;
}

std::vector<Byte> Header(Integer bits, Cardinal compression) {
    std::vector<Byte> h(40);
    ImgWriteDIBHeader(h.data(), W, H, bits);
    for (int k = 0; k < 4; ++k) h[16 + size_t(k)] = Byte(compression >> (8 * k));
    return h;
}

}  // namespace

int main() {
    const size_t bytes24 = size_t(W) * H * 3, bytes1 = size_t(W / 8) * H;
    std::unique_ptr<TBitmap> photo = Photo();
    std::unique_ptr<TBitmap> dest(new TBitmap());

    Report("copy_bitmap_24bit", Time([&] { CopyBitmap(photo.get(), dest.get()); }), bytes24);
    Report("copy_region_24bit", Time([&] { CopyRegion(photo.get(), dest.get(), 1, 1, W - 2, H - 2); }), bytes24);

    std::unique_ptr<TBitmap> mono(CloneBitmap(photo.get()));
    DitherTo1BitOrdered(mono.get());
    Report("copy_region_1bit_odd_column",
           Time([&] { CopyRegion(mono.get(), dest.get(), 3, 0, W - 6, H - 1); }), bytes1);
    Report("expand_1bit_to_24bit", Time([&] { Expand1BitTo24Bit(mono.get(), dest.get()); }), bytes24);
    Report("dither_to_1bit_ordered", Time([&] {
               CopyBitmap(photo.get(), dest.get());
               DitherTo1BitOrdered(dest.get());
           }),
           bytes24);

    HGLOBAL dib = nullptr;
    Report("bitmap_to_dib_24bit", Time([&] {
               if (dib) GlobalFree(dib);
               dib = BitmapToDIB(photo.get());
           }),
           bytes24);
    Report("dib_to_bitmap_24bit", Time([&] { DIBToBitmap(dib, dest.get()); }), bytes24);
    GlobalFree(dib);

    struct Source {
        const char* name;
        Integer bits;
        Cardinal compression;
        size_t bytes;
    };
    const Source sources[] = {
        {"dib_to_bitmap_8bit", 8, 0, size_t(W) * H},
        {"dib_to_bitmap_16bit", 16, 0, size_t(W) * H * 2},
        {"dib_to_bitmap_32bit", 32, 0, size_t(W) * H * 4},
        {"dib_to_bitmap_yuy2", 16, 0x32595559u, size_t(W) * H * 2},
        {"dib_to_bitmap_i420", 12, 0x30323449u, size_t(W) * H * 3 / 2},
    };
    for (const Source& s : sources) {
        std::vector<Byte> header = Header(s.bits, s.compression);
        if (s.bits == 8) {
            for (int i = 0; i < 256; ++i) {
                const Byte entry[4] = {Byte(i), Byte(255 - i), Byte(i / 2), 0};
                header.insert(header.end(), entry, entry + 4);
            }
        }
        std::vector<Byte> pixels(s.bytes);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = Byte(i * 2654435761u >> 24);
        const double t =
            Time([&] { DIBToBitmap(header.data(), header.size(), dest.get(), pixels.data(), pixels.size()); });
        Report(s.name, t, bytes24);
    }
    return 0;
}
