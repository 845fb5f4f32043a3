// The 3 x 3 user filter and its ".flt" files.

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "framework/atomic_file.h"
#include "framework/byte_order.h"
#include "framework/file_utils.h"
#include "framework/stream.h"
#include "framework/sysutils.h"
#include "imaging/img_filters.h"
#include "imaging/img_proc_internal.h"

namespace {

// One row of results: channel bytes j0..j1 (inclusive) of the rows above, at and below, whose
// neighbours one pixel (3 bytes) to each side exist. Sum is Int32 when no sum can leave its range.
template <class Sum>
void FilterInterior(const Byte* const* rows, Byte* out, Integer j0, Integer j1, const Integer* coef, Integer divisor) {
    const Sum c0 = coef[0], c1 = coef[1], c2 = coef[2], c3 = coef[3], c4 = coef[4], c5 = coef[5], c6 = coef[6],
              c7 = coef[7], c8 = coef[8];
    const Byte *a = rows[0], *m = rows[1], *b = rows[2];
    auto clamp = [](Sum v) { return Byte(v < 0 ? 0 : (v > 255 ? 255 : v)); };
    if (divisor == 1) {
        for (Integer j = j0; j <= j1; ++j)
            out[j] = clamp(c0 * a[j - 3] + c1 * a[j] + c2 * a[j + 3] + c3 * m[j - 3] + c4 * m[j] + c5 * m[j + 3] +
                           c6 * b[j - 3] + c7 * b[j] + c8 * b[j + 3]);
    } else {
        const Sum d = divisor;
        for (Integer j = j0; j <= j1; ++j)
            out[j] = clamp((c0 * a[j - 3] + c1 * a[j] + c2 * a[j + 3] + c3 * m[j - 3] + c4 * m[j] + c5 * m[j + 3] +
                            c6 * b[j - 3] + c7 * b[j] + c8 * b[j + 3]) /
                           d);
    }
}

}  // namespace

void ApplyUserFilter(TBitmap* Bitmap, const TImgUserFilter& Filter, Integer x1, Integer y1, Integer x2, Integer y2,
                     const TImgProgressTarget& Progress) {
    if (!img_kernel::Is24(Bitmap)) return;
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    const Integer top = y1;
    if (!img_kernel::ClipRect(Bitmap, x1, y1, x2, y2)) return;
    const Integer divisor = Filter.Divisor == 0 ? 1 : Filter.Divisor;
    // Coefficients come from files and may be any 32-bit value: sums are 64-bit unless they
    // provably fit 32 bits.
    Int64 reach = 0;
    for (Integer c : Filter.Coef) reach += std::llabs(Int64(c));
    const bool narrow = reach * 255 <= std::numeric_limits<int32_t>::max() && divisor != -1;

    // Results go straight back; the rows above and at the pixel are kept as they were.
    const size_t bytes = size_t(w) * 3;
    std::vector<Byte> line(bytes), above(bytes), here(bytes);
    auto source = [&](Integer y) { return static_cast<const Byte*>(Bitmap->ScanLine(y)); };
    std::copy_n(source(std::max(y1 - 1, 0)), bytes, here.begin());
    for (Integer y = y1; y <= y2; ++y) {
        above.swap(here);
        std::copy_n(source(y), bytes, here.begin());
        const Byte* rows[3] = {y > 0 ? above.data() : here.data(), here.data(),
                               y + 1 < h ? source(y + 1) : here.data()};
        // Pixels with both side neighbours inside the bitmap, then the edge pixels.
        const Integer ia = std::max(x1, 1), ib = std::min(x2, w - 2);
        if (ia <= ib) {
            if (narrow)
                FilterInterior<int32_t>(rows, line.data(), ia * 3, ib * 3 + 2, Filter.Coef, divisor);
            else
                FilterInterior<Int64>(rows, line.data(), ia * 3, ib * 3 + 2, Filter.Coef, divisor);
        }
        for (Integer x = x1; x <= x2; ++x) {
            if (x >= ia && x <= ib) continue;
            const Integer cols[3] = {std::max(x - 1, 0), x, std::min(x + 1, w - 1)};
            for (Integer ch = 0; ch < 3; ++ch) {
                Int64 sum = 0;
                for (Integer k = 0; k < 9; ++k) sum += Int64(Filter.Coef[k]) * rows[k / 3][cols[k % 3] * 3 + ch];
                sum /= divisor;
                line[size_t(x) * 3 + ch] = Byte(sum < 0 ? 0 : (sum > 255 ? 255 : sum));
            }
        }
        std::memcpy(static_cast<Byte*>(Bitmap->ScanLine(y)) + size_t(x1) * 3, &line[size_t(x1) * 3],
                    size_t(x2 - x1 + 1) * 3);
        img_kernel::ReportRow(Progress, y, top, y2);
    }
}

// ---- ".flt" files ----------------------------------------------------------------------------

namespace {
constexpr Byte kFilterHeader[3] = {1, 3, 3};
constexpr Integer kFilterBody = 40;
}  // namespace

void LoadUserFilter(const std::string& FileName, TImgUserFilter& Filter) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    Byte header[3];
    stream.ReadBuffer(header, 3);
    if (std::memcmp(header, kFilterHeader, 3) != 0) return;
    Byte body[kFilterBody];
    stream.ReadBuffer(body, kFilterBody);
    TImgUserFilter read;
    for (Integer k = 0; k < 9; ++k) read.Coef[k] = Integer(LoadLE32(body + 4 * k));
    read.Divisor = Integer(LoadLE32(body + 36));
    Filter = read;
}

void SaveUserFilter(const std::string& FileName, const TImgUserFilter& Filter) {
    Byte file[3 + kFilterBody];
    std::memcpy(file, kFilterHeader, 3);
    for (Integer k = 0; k < 9; ++k) StoreLE32(file + 3 + 4 * k, uint32_t(Filter.Coef[k]));
    StoreLE32(file + 39, uint32_t(Filter.Divisor));
    if (!WriteFileAtomically(FileName, std::string_view(reinterpret_cast<const char*>(file), sizeof file)))
        throw EFCreateError(Format("Cannot create file \"%s\". %s", {FileName, std::strerror(errno)}));
}
