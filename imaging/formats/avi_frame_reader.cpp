#include <algorithm>
#include <cstring>

#include "framework/dib_reader.h"
#include "imaging/bitmap_rows.h"
#include "imaging/dib.h"
#include "imaging/dib_format.h"
#include "imaging/formats/avi_file.h"
#include "imaging/formats/codec_support.h"
#include "imaging/formats/codec_table.h"
#include "imaging/yuv.h"

namespace {

bool IsMotionJPEG(Cardinal Code) {
    constexpr Cardinal codes[] = {AviFourCC("MJPG"), AviFourCC("mjpg"), AviFourCC("AVRn"),
                                  AviFourCC("dmb1"), AviFourCC("JPEG"), AviFourCC("jpeg")};
    return std::find(std::begin(codes), std::end(codes), Code) != std::end(codes);
}

// Codes some writers give uncompressed frames in place of 0.
bool IsUncompressedCode(Cardinal Code) {
    return Code == BI_RGB || Code == AviFourCC("DIB ") || Code == AviFourCC("RGB ") || Code == AviFourCC("raw ");
}

TImgRGB FromColour(uint32_t c) {
    return TImgRGB{Byte(c), Byte(c >> 8), Byte(c >> 16)};
}

// Run-length data painted onto the canvas of palette indexes.
class TCanvasSink : public TDibRunSink {
public:
    TCanvasSink(Byte* Canvas, Integer Width) : FCanvas(Canvas), FWidth(Width) {}
    void Span(int Row, int X, const uint8_t* Indexes, int Count) override {
        std::memcpy(FCanvas + size_t(Row) * size_t(FWidth) + size_t(X), Indexes, size_t(Count));
    }

private:
    Byte* FCanvas;
    Integer FWidth;
};

// A 1-bit frame in the bitmap as the library shows black and white (a set bit white): kept when
// its colour table is black, white; inverted for white, black; any other two colours as a 24-bit
// picture of them.
void ApplyTwoColourTable(TBitmap* Bitmap, const TDibRowFormat& Format) {
    const TImgRGB c0 = FromColour(Format.Colour(0)),
                  c1 = FromColour(Format.PaletteCount > 1 ? Format.Colour(1) : 0xFFFFFF);
    const TImgRGB black{}, white{255, 255, 255};
    if (c0 == black && c1 == white) return;
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    if (c0 == white && c1 == black) {
        const Integer bytes = (w + 7) / 8;
        for (Integer y = 0; y < h; ++y) {
            Byte* row = static_cast<Byte*>(Bitmap->ScanLine(y));
            for (Integer i = 0; i < bytes; ++i) row[i] = Byte(~row[i]);
        }
        return;
    }
    TBitmap colour;
    ImgNewBlankBitmap(&colour, pf24bit, w, h);
    for (Integer y = 0; y < h; ++y) {
        const void* bits = Bitmap->ScanLine(y);
        auto* out = static_cast<TImgRGB*>(colour.ScanLine(y));
        for (Integer x = 0; x < w; ++x) out[x] = GetRowBit(bits, x) ? c1 : c0;
    }
    Bitmap->Assign(&colour);
}

}  // namespace

TAviFrameReader::TAviFrameReader(TAviReader& Reader) : FReader(Reader), FFormat(Reader.GetFormat()) {
    const Cardinal code = Reader.GetCompression();
    TDibHeader header;
    if (IsUncompressedCode(code) || code == BI_BITFIELDS || YUVLayoutOfCode(code)) {
        if (IsUncompressedCode(code)) StoreLE32(FFormat.data() + 16, BI_RGB);
        FKind = TKind::DIB;
    } else if ((code == BI_RLE8 || code == BI_RLE4) &&
               DibReadHeader(FFormat.data(), FFormat.size(), header) == TDibError::None && !header.TopDown) {
        FKind = TKind::RunLength;
    } else if (IsMotionJPEG(code) || (code == 0 && IsMotionJPEG(Reader.GetInfo().Handler))) {
        FKind = TKind::MotionJPEG;
    }
}

TAviFrameReader::~TAviFrameReader() = default;

bool TAviFrameReader::Supported() const {
    return FKind != TKind::None;
}

Integer TAviFrameReader::GetFrame(Integer Index, TBitmap* Bitmap) {
    if (FKind == TKind::None || !Bitmap || Index < 0 || Index >= FReader.GetFrameCount()) return 0;
    if (FKind == TKind::RunLength) return DecodeRunLength(Index, Bitmap);
    // An empty frame repeats the last picture that had data.
    while (Index > 0 && FReader.GetFrame(Index).Size == 0) --Index;
    if (!FReader.ReadFrame(Index, FData) || FData.empty()) return 0;
    return FKind == TKind::DIB ? DecodeDIB(Bitmap) : DecodeMotionJPEG(Bitmap);
}

Integer TAviFrameReader::DecodeDIB(TBitmap* Bitmap) {
    const Integer bits = DIBToBitmap(FFormat.data(), FFormat.size(), Bitmap, FData.data(), FData.size());
    if (bits == 1) {
        TDibHeader header;
        DibReadHeader(FFormat.data(), FFormat.size(), header);
        const size_t at = std::min(FFormat.size(), size_t(header.PaletteAt));
        ApplyTwoColourTable(Bitmap, header.RowFormat(FFormat.data() + at, FFormat.size() - at));
    }
    return bits;
}

// Run-length frames hold what changed since the frame before: the canvas follows them from the
// last key frame up to the one asked for.
Integer TAviFrameReader::DecodeRunLength(Integer Index, TBitmap* Bitmap) {
    const Integer w = FReader.GetWidth(), h = FReader.GetHeight();
    const bool four = FReader.GetCompression() == BI_RLE4;
    if (FCanvas.empty() || Index < FNextRunFrame) {
        Integer key = Index;
        while (key > 0 && !FReader.GetFrame(key).Key) --key;
        FCanvas.assign(size_t(w) * size_t(h), 0);
        FNextRunFrame = key;
    }
    TCanvasSink sink(FCanvas.data(), w);
    for (; FNextRunFrame <= Index; ++FNextRunFrame) {
        if (!FReader.ReadFrame(FNextRunFrame, FData)) {
            FCanvas.clear();
            return 0;
        }
        DibDecodeRunLength(FData.data(), FData.size(), w, h, four, false, sink);
    }
    TDibHeader header;
    DibReadHeader(FFormat.data(), FFormat.size(), header);
    const size_t at = std::min(FFormat.size(), size_t(header.PaletteAt));
    const TDibRowFormat format = header.RowFormat(FFormat.data() + at, FFormat.size() - at);
    TImgRGB colours[256];
    for (size_t i = 0; i < 256; ++i) colours[i] = FromColour(format.Colour(i));
    ImgNewBlankBitmap(Bitmap, pf24bit, w, h);
    for (Integer y = 0; y < h; ++y) {
        const Byte* indexes = FCanvas.data() + size_t(h - 1 - y) * size_t(w);
        auto* out = static_cast<TImgRGB*>(Bitmap->ScanLine(y));
        for (Integer x = 0; x < w; ++x) out[x] = colours[indexes[x]];
    }
    return four ? 4 : 8;
}

Integer TAviFrameReader::DecodeMotionJPEG(TBitmap* Bitmap) {
    TMemoryStream frame;
    frame.WriteBuffer(FData.data(), Int64(FData.size()));
    frame.SetPosition(0);
    TIOParamsVals params;
    bool aborting = false;
    TProgressRec progress;
    progress.Aborting = &aborting;
    ImgCodecs().JPEGDecodeStream(&frame, Bitmap, params, progress, false);
    return aborting || Bitmap->GetWidth() == 0 || Bitmap->GetHeight() == 0 ? 0 : 24;
}
