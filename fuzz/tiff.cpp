// The TIFF codec on arbitrary input: counting pages, reading the parameters and the first pages,
// writing what was read back in a compression the input picks (it must read again at the same
// size), and appending a small page to the input, after which the pages must count one more.

#include <cstdint>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"
#include "imaging/formats/lzw_coders.h"
#include "imaging/formats/tiff_codec.h"

namespace {

// Pages larger than this are only looked at through their parameters, so that a run stays fast.
constexpr Int64 kMaxPixels = 1 << 18;
constexpr Int64 kMaxWritePixels = 1 << 14;

struct TDecoded {
    Integer Pages = 0;
    bool Aborted = false;
};

TDecoded Decode(const void* Data, size_t Size, Integer Index, TBitmap* Bitmap, TIOParamsVals* Params,
                bool ParamsOnly) {
    TMemoryStream s;
    FillFuzzStream(s, Data, Size);
    TDecoded d;
    TFuzzProgress progress;
    if (Params) Params->TIFFImageIndex = Index;
    TIFFDecodeStream(Bitmap, &s, d.Pages, Params, progress.Progress, ParamsOnly);
    d.Aborted = progress.Aborted;
    return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool installed = [] {
        InstallLZWCoders();
        SetImgDefaultDpiOverride(96);
        return true;
    }();
    (void)installed;

    TMemoryStream input;
    FillFuzzStream(input, data, size);
    const Integer counted = TIFFCountPages(&input);
    const TDecoded all = Decode(data, size, -1, nullptr, nullptr, true);
    FUZZ_CHECK(all.Pages == counted);

    for (Integer index = 0; index < 3 && index < counted; ++index) {
        TIOParamsVals p;
        if (Decode(data, size, index, nullptr, &p, true).Aborted) continue;
        if (Int64(p.Width) * p.Height > kMaxPixels) continue;
        TBitmap bitmap;
        const TDecoded d = Decode(data, size, index, &bitmap, &p, false);
        FUZZ_CHECK(d.Pages == counted);
        if (d.Aborted || bitmap.GetWidth() == 0 || Int64(bitmap.GetWidth()) * bitmap.GetHeight() > kMaxWritePixels)
            continue;
        // What was read writes and reads again.
        const Byte choice = size ? data[size - 1] : 0;
        p.TIFFCompression = Byte(choice % 9);
        p.TIFFPhotometInterpret = Byte((choice >> 4) % 8);
        TMemoryStream out;
        TFuzzProgress progress;
        FUZZ_CHECK(TIFFEncodeStream(&out, false, &bitmap, p, progress.Progress) == 1 && !progress.Aborted);
        TBitmap again;
        TIOParamsVals q;
        const TDecoded back = Decode(out.GetMemory(), size_t(out.GetSize()), 0, &again, &q, false);
        FUZZ_CHECK(!back.Aborted && back.Pages == 1);
        FUZZ_CHECK(again.GetWidth() == bitmap.GetWidth() && again.GetHeight() == bitmap.GetHeight());
    }

    // A small page appended at a place the input picks.
    {
        TMemoryStream s;
        FillFuzzStream(s, data, size);
        TBitmap page;
        page.SetPixelFormat(pf24bit);
        page.SetSize(3, 2);
        TIOParamsVals p;
        p.TIFFImageIndex = size > 1 ? data[1] % 4 : 0;
        TFuzzProgress progress;
        const Integer pages = TIFFEncodeStream(&s, true, &page, p, progress.Progress);
        if (pages > 0) {
            s.SetPosition(0);
            FUZZ_CHECK(TIFFCountPages(&s) >= pages);
        }
    }
    return 0;
}
