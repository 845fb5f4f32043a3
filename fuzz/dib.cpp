// The device-independent bitmap reader under a fuzzer. The input is a packed bitmap (header,
// masks, colour table, then rows or run-length data) as the clipboard and icon files hand it over:
// the reader's own rows and runs must stay inside the picture, and TBitmap (as the body of a BMP
// file) and TIcon (as the one entry of an icon file) either load it or refuse it as invalid.

#include <cstdint>
#include <vector>

#include "framework/byte_order.h"
#include "framework/dib_reader.h"
#include "framework/exceptions.h"
#include "framework/graphics.h"
#include "fuzz/fuzz_check.h"

namespace {

class TCheckedRuns : public TDibRunSink {
public:
    TCheckedRuns(int Width, int Height) : FWidth(Width), FHeight(Height) {}
    void Span(int Row, int X, const uint8_t* Indexes, int Count) override {
        FUZZ_CHECK(Row >= 0 && Row < FHeight && X >= 0 && Count > 0 && X + Count <= FWidth);
        for (int i = 0; i < Count; ++i) Sum += Indexes[i];
    }
    unsigned Sum = 0;

private:
    int FWidth, FHeight;
};

void ReadWithTheReader(const uint8_t* data, size_t size) {
    TDibBlock d;
    if (DibReadBlock(data, size, nullptr, 0, d) != TDibError::None || d.Header.Empty()) return;
    const TDibHeader& h = d.Header;
    FUZZ_CHECK(h.Width <= DibMaxSide && h.Height <= DibMaxSide && h.Width * h.Height <= DibMaxPixels);
    if (h.Width * h.Height > (int64_t(1) << 20)) return;
    const int w = int(h.Width), ht = int(h.Height);
    if (h.RunLength()) {
        TCheckedRuns runs(w, ht);
        DibDecodeRunLength(d.Pixels, d.PixelBytes, w, ht, h.Compression == BI_RLE4, (data[0] & 1) != 0, runs);
        return;
    }
    FUZZ_CHECK(uint64_t(h.RowBytes()) * uint64_t(ht) <= d.PixelBytes);
    std::vector<uint32_t> line(static_cast<size_t>(w));
    std::vector<uint8_t> bgr(size_t(w) * 3);
    for (int y = 0; y < ht; ++y) {
        const uint8_t* row = d.Pixels + h.RowBytes() * size_t(y);
        DibDecodeRow(d.Format, row, w, line.data());
        DibDecodeRowBGR(d.Format, row, w, bgr.data());
    }
}

void LoadAsBitmapFile(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(14 + size);
    file[0] = 'B';
    file[1] = 'M';
    StoreLE32(file.data() + 2, uint32_t(file.size()));
    StoreLE32(file.data() + 10, 0);  // no offset: the rows follow the colour table
    std::copy(data, data + size, file.begin() + 14);
    TBitmap bitmap;
    try {
        bitmap.LoadFromBytes(file.data(), file.size());
    } catch (const EInvalidGraphic&) {
    }
}

void LoadAsIconFile(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(22 + size);
    StoreLE16(file.data() + 2, 1);
    StoreLE16(file.data() + 4, 1);
    file[6] = file[7] = 32;
    StoreLE32(file.data() + 14, uint32_t(size));
    StoreLE32(file.data() + 18, 22);
    std::copy(data, data + size, file.begin() + 22);
    TIcon icon;
    try {
        icon.LoadFromBytes(file.data(), file.size());
    } catch (const EInvalidGraphic&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    ReadWithTheReader(data, size);
    // Pictures the reader takes but that are too large to keep runs fast are not loaded whole.
    TDibHeader h;
    DibReadHeader(data, size, h);
    if (h.Width * h.Height > (int64_t(1) << 20)) return 0;
    LoadAsBitmapFile(data, size);
    LoadAsIconFile(data, size);
    return 0;
}
