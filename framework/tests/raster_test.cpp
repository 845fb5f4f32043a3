// Painting a row through a coverage mask: PaintSpan goes run by run (skipping what is left alone,
// filling what is painted whole), which must give what painting each pixel on its own gives.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "framework/gdi/raster.h"

namespace {

using namespace lumora_gdi;

// One pixel as PaintSpan paints it: binary coverage paints from 128 up, blended copy mixes.
void PaintPixelByPixel(const Surface& s, int x, int y, int n, const Paint& paint, int rop2, const uint8_t* cov,
                       bool blend) {
    const bool mono = s.fmt == PixFmt::Mono;
    for (int i = 0; i < n; ++i) {
        unsigned a = cov ? cov[i] : 255;
        if (a == 0) continue;
        if (!blend || rop2 != R2_COPYPEN || mono) {
            if (a < 128) continue;
            a = 255;
        }
        bool opaque;
        uint32_t p = paint.At(x + i, y, opaque);
        if (!opaque) continue;
        if (mono) p = ToMono(p);
        const uint32_t d = ReadPixel(s, x + i, y);
        uint32_t v = rop2 == R2_COPYPEN ? p : Rop2(rop2, p, d);
        if (a < 255) {
            auto mix = [&](int shift) {
                return ((((v >> shift) & 0xFF) * a + ((d >> shift) & 0xFF) * (255 - a) + 127) / 255) << shift;
            };
            v = mix(16) | mix(8) | mix(0);
        }
        WritePixel(s, x + i, y, v);
    }
}

struct Block {
    std::vector<uint8_t> bits;
    Surface s;
    Block(PixFmt Fmt, int W, int H, uint32_t Seed) {
        const int stride = Fmt == PixFmt::Mono ? (W + 31) / 32 * 4 : Fmt == PixFmt::Bgr24 ? (W * 3 + 3) / 4 * 4 : W * 4;
        bits.resize(size_t(stride) * size_t(H));
        std::mt19937 rng(Seed);
        for (auto& b : bits) b = uint8_t(rng());
        if (Fmt == PixFmt::Rgb32)  // pixels drawn on are opaque
            for (size_t i = 3; i < bits.size(); i += 4) bits[i] = 0xFF;
        s.bits = bits.data();
        s.width = W;
        s.height = H;
        s.stride = stride;
        s.fmt = Fmt;
    }
};

TEST(RasterTest, RunByRunPaintingMatchesPaintingEachPixel) {
    std::mt19937 rng(7);
    const int w = 1200;  // longer than the 512-pixel chunks of the pixel path
    // Coverage rows: long runs of the values that decide (0, 127, 128, 254, 255) and mixed values.
    std::vector<std::vector<uint8_t>> rows;
    for (int r = 0; r < 12; ++r) {
        std::vector<uint8_t> cov(size_t(w), 0);
        static const uint8_t kValues[] = {0, 1, 127, 128, 254, 255};
        for (int x = 0; x < w;) {
            const int len = std::uniform_int_distribution<int>(1, r % 2 ? 5 : 70)(rng);
            const bool noisy = rng() % 4 == 0;
            const uint8_t v = kValues[rng() % 6];
            for (int i = 0; i < len && x < w; ++i, ++x) cov[size_t(x)] = noisy ? uint8_t(rng()) : v;
        }
        rows.push_back(cov);
    }
    Paint solid;
    solid.kind = Paint::Solid;
    solid.color = 0x3080C0;
    Paint grey = solid;
    grey.color = 0x7F7F7F;
    Paint tile;
    tile.kind = Paint::Tile;
    tile.tw = 3;
    tile.th = 2;
    tile.ox = 1;
    tile.tile = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
    tile.opaque = {1, 0, 1, 1, 1, 0};
    for (PixFmt fmt : {PixFmt::Bgr24, PixFmt::Rgb32, PixFmt::Mono})
        for (const Paint* paint : {&solid, &grey, &tile})
            for (int rop2 : {int(R2_COPYPEN), int(R2_XORPEN), int(R2_NOT)})
                for (bool blend : {false, true})
                    for (size_t r = 0; r < rows.size(); ++r) {
                        SCOPED_TRACE(testing::Message() << "format " << int(fmt) << " paint " << int(paint->kind)
                                                        << " rop2 " << rop2 << " blend " << blend << " row " << r);
                        Block ours(fmt, w + 9, 2, uint32_t(r)), each(fmt, w + 9, 2, uint32_t(r));
                        const int x = int(r % 9), n = w - int(r * 37 % 200);
                        PaintSpan(ours.s, x, 1, n, *paint, rop2, rows[r].data(), blend);
                        PaintPixelByPixel(each.s, x, 1, n, *paint, rop2, rows[r].data(), blend);
                        ASSERT_EQ(ours.bits, each.bits);
                    }
}

TEST(RasterTest, SkipRunFindsTheEndOfARun) {
    std::vector<uint8_t> c(40, 7);
    c[21] = 8;
    EXPECT_EQ(SkipRun(c.data(), 0, 40, 7), 21);
    EXPECT_EQ(SkipRun(c.data(), 21, 40, 7), 21);
    EXPECT_EQ(SkipRun(c.data(), 22, 40, 7), 40);
    EXPECT_EQ(SkipRun(c.data(), 3, 19, 7), 19);
    EXPECT_EQ(SkipRun(c.data(), 5, 5, 7), 5);
}

}  // namespace
