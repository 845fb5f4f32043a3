#include "imaging/img_utils.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

Integer MaskBitCount(Cardinal Mask) {
    int bit = 0;
    while (bit < 31 && !(Mask & (1u << bit))) ++bit;
    Integer count = 0;
    while (bit < 32 && (Mask & (1u << bit))) {
        ++count;
        ++bit;
    }
    return count;
}

Integer MaskTopBit(Cardinal Mask) {
    if (Mask == 0) return -1;
    const Integer top = 31 - std::countl_zero(Mask);
    return (Mask & (Mask - 1)) == 0 ? top : top + 1;
}

void ReverseBits32(Cardinal& Value) {
    Cardinal v = Value, r = 0;
    for (int i = 0; i < 32; ++i) {
        r = (r << 1) | (v & 1u);
        v >>= 1;
    }
    Value = r;
}

namespace {
std::array<Byte, 256> MakeReverseTable() {
    std::array<Byte, 256> t{};
    for (int i = 0; i < 256; ++i) {
        int r = 0;
        for (int b = 0; b < 8; ++b)
            if (i & (1 << b)) r |= 0x80 >> b;
        t[size_t(i)] = Byte(r);
    }
    return t;
}
const std::array<Byte, 256> kReverse8 = MakeReverseTable();
}  // namespace

void ReverseBits8(Byte& Value) { Value = kReverse8[Value]; }

Int64 ColorCountOfDepth(Integer Bits, Integer Samples) {
    if (Samples <= 0) Samples = 1;
    const Int64 total = Int64(Bits) * Samples;
    if (total < 0) return 0;
    if (total >= 63) return std::numeric_limits<Int64>::max();
    return Int64(1) << total;
}

Int64 ImgGetFileSize(const std::string& FileName) {
    std::error_code ec;
    auto size = std::filesystem::file_size(FileName, ec);
    return ec ? 0 : Int64(size);
}

bool ImgRectsOverlap(Integer AX1, Integer AY1, Integer AX2, Integer AY2, Integer BX1, Integer BY1,
                     Integer BX2, Integer BY2) {
    return std::max(AX1, AX2) >= BX1 && std::min(AX1, AX2) <= BX2 && std::max(AY1, AY2) >= BY1 &&
           std::min(AY1, AY2) <= BY2;
}

Integer ImgRectRelation(Integer AX1, Integer AY1, Integer AX2, Integer AY2, Integer BX1,
                        Integer BY1, Integer BX2, Integer BY2) {
    const int xin = (BX1 >= AX1 && BX1 <= AX2) + (BX2 >= AX1 && BX2 <= AX2);
    const int yin = (BY1 >= AY1 && BY1 <= AY2) + (BY2 >= AY1 && BY2 <= AY2);
    if (xin == 2 && yin == 2) return 2;
    if ((xin == 1 && yin >= 1) || (xin >= 1 && yin == 1)) return 1;
    return 0;
}

double ImgPointLineDistance(Integer PX, Integer PY, Integer X1, Integer Y1, Integer X2, Integer Y2) {
    const Int64 a = Int64(Y1) - Y2, b = Int64(X2) - X1, c = Int64(X1) * Y2 - Int64(X2) * Y1;
    const double len = std::sqrt(double(a) * double(a) + double(b) * double(b));
    if (len == 0) return std::hypot(double(PX) - X1, double(PY) - Y1);
    return double(std::llabs(a * PX + b * PY + c)) / len;
}

double ImgPointSegmentDistance(Integer PX, Integer PY, Integer X1, Integer Y1, Integer X2,
                               Integer Y2) {
    if (X1 == X2 && Y1 == Y2) return std::hypot(double(PX) - X1, double(PY) - Y1);
    const double dx = double(X2) - X1, dy = double(Y2) - Y1;
    const double u = ((double(PX) - X1) * dx + (double(PY) - Y1) * dy) / (dx * dx + dy * dy);
    if (u > 1) return std::hypot(double(PX) - X2, double(PY) - Y2);
    if (u < 0) return std::hypot(double(PX) - X1, double(PY) - Y1);
    return ImgPointLineDistance(PX, PY, X1, Y1, X2, Y2);
}

void ImgConstrainLine(Integer AnchorX, Integer AnchorY, Integer& X, Integer& Y) {
    const Integer dx = AnchorX - X, dy = AnchorY - Y;
    const Integer ax = std::abs(dx), ay = std::abs(dy);
    if (ay > ax + 30) {
        X = AnchorX;
        return;
    }
    if (ay < ax - 30) {
        Y = AnchorY;
        return;
    }
    const Integer k = std::abs(ax - ay);
    if (dx < 0 && dy < 0) {
        if (ay > ax) X += k; else Y += k;
    } else if (dx > 0 && dy > 0) {
        if (ay > ax) Y += k; else X += k;
    } else if (dx > 0 && dy <= 0) {
        if (ay > ax) X -= k; else Y += k;
    } else if (dx <= 0 && dy > 0) {
        if (ay > ax) X += k; else Y -= k;
    }
}
