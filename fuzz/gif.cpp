// The GIF codec on arbitrary input: reading the parameters and two frames, counting and deleting
// frames of it as a file, inserting a frame into it, and writing what was read back as a GIF that
// must read again.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/graphics.h"
#include "framework/stream.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"
#include "imaging/formats/gif_codec.h"
#include "imaging/formats/lzw_coders.h"

namespace {


// Frames larger than this are only looked at through their parameters, so that a run stays fast.
constexpr Int64 kMaxPixels = 1 << 16;

struct TDecoded {
    Integer Frames = 0;
    bool Aborted = false;
};

TDecoded Decode(const uint8_t* Data, size_t Size, Integer Index, TBitmap* Bitmap, TIOParamsVals& Params,
                bool ParamsOnly) {
    TMemoryStream s;
    FillFuzzStream(s, Data, Size);
    TDecoded d;
    TFuzzProgress progress;
    Params.GIFImageIndex = Index;
    GIFDecodeStream(&s, Bitmap, d.Frames, Params, progress.Progress, ParamsOnly);
    d.Aborted = progress.Aborted;
    return d;
}

const std::string& TempFile() {
    static const std::string name = "/tmp/fuzz_gif_" + std::to_string(getpid()) + ".gif";
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool installed = [] {
        InstallLZWCoders();
        return true;
    }();
    (void)installed;

    TIOParamsVals params;
    const TDecoded counted = Decode(data, size, -1, nullptr, params, true);
    for (Integer index = 0; index < 2 && index < counted.Frames; ++index) {
        TIOParamsVals p;
        if (Decode(data, size, index, nullptr, p, true).Aborted) continue;
        if (Int64(p.Width) * p.Height > kMaxPixels) continue;
        TBitmap bitmap;
        const TDecoded d = Decode(data, size, index, &bitmap, p, false);
        FUZZ_CHECK(d.Aborted || d.Frames == counted.Frames);
        if (d.Aborted || bitmap.GetWidth() == 0 || bitmap.GetHeight() == 0) continue;
        // What was read writes and reads again.
        p.BitsPerSample = 1 + (data[size - 1] & 7);
        TMemoryStream out;
        TFuzzProgress progress;
        GIFEncodeStream(&out, &bitmap, p, progress.Progress);
        FUZZ_CHECK(!progress.Aborted);
        TBitmap again;
        TIOParamsVals q;
        const TDecoded back = Decode(static_cast<const uint8_t*>(out.GetMemory()), size_t(out.GetSize()), 0,
                                     &again, q, false);
        FUZZ_CHECK(!back.Aborted && back.Frames == 1);
        FUZZ_CHECK(again.GetWidth() == bitmap.GetWidth() && again.GetHeight() == bitmap.GetHeight());
    }

    // The same bytes as a file: counting agrees with reading when the reading went through.
    if (std::FILE* f = std::fopen(TempFile().c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
        const Integer count = GIFDeleteFrame(TempFile(), -1, false);
        if (!counted.Aborted) FUZZ_CHECK(count == counted.Frames);
        GIFDeleteFrame(TempFile(), size ? data[0] % 3 : 0, true);
        std::remove(TempFile().c_str());
    }

    // A small frame inserted into it.
    {
        TMemoryStream s;
        FillFuzzStream(s, data, size);
        TBitmap frame;
        frame.SetPixelFormat(pf24bit);
        frame.SetSize(3, 2);
        TIOParamsVals p;
        p.GIFImageIndex = size ? data[size / 2] % 4 : 0;
        p.BitsPerSample = size > 1 ? 1 + data[1] % 8 : 8;
        TFuzzProgress progress;
        const Integer frames = GIFInsertFrame(&s, &frame, p, progress.Progress);
        if (frames > 0) {
            TIOParamsVals q;
            const TDecoded after = Decode(static_cast<const uint8_t*>(s.GetMemory()), size_t(s.GetSize()),
                                          -1, nullptr, q, true);
            FUZZ_CHECK(after.Frames == frames);
        }
    }
    return 0;
}
