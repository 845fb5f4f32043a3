#include "imaging/formats/codec_support.h"

#include <algorithm>

#include "framework/math_utils.h"
#include "imaging/bitmap_routines.h"
#include "imaging/quantizer.h"

TImgWriteSource::TImgWriteSource(TBitmap* Source, Integer Depth) : Bitmap(Source) {
    const bool mono = Source->GetPixelFormat() == pf1bit;
    if (Depth == 1) {
        Palette = {TImgRGB{0, 0, 0}, TImgRGB{255, 255, 255}};
        if (mono) return;
        TImgRGB c0, c1;
        FOwn.reset(TryConvertTo1Bit(Source, c0, c1));
        if (FOwn) {
            Palette = {c0, c1};
        } else {
            FOwn.reset(CloneBitmap(Source));
            DitherTo1BitOrdered(FOwn.get());
        }
        Bitmap = FOwn.get();
        return;
    }
    if (mono) {
        FOwn.reset(Create<TBitmap>());
        Expand1BitTo24Bit(Source, FOwn.get());
        Bitmap = FOwn.get();
    }
    if (Depth >= 2 && Depth <= 8) {
        Palette.assign(size_t(1) << Depth, TImgRGB{});
        Quantizer = std::make_unique<TImgQuantizer>(Bitmap, Palette.data(), Integer(Palette.size()));
    }
}

TImgWriteSource::~TImgWriteSource() = default;

Integer ImgDpiFromPelsPerMetre(Int64 PelsPerMetre, Integer Default) {
    const Int64 dpi = PelsPerMetre > 0 ? Round(double(PelsPerMetre) / 100.0 * 2.54) : 0;
    return dpi > 0 ? Integer(dpi) : Default;
}

TImgRowReader::TImgRowReader(TStream* Stream, Integer RowBytes, Integer Rows)
    : FStream(Stream), FRowBytes(std::max(RowBytes, 1)), FRowsLeft(Rows) {
    FBlockRows = std::clamp<Integer>(Integer((Int64(1) << 20) / FRowBytes), 1, std::max(Rows, 1));
    FBuffer.resize(size_t(FBlockRows) * size_t(FRowBytes));
}

const Byte* TImgRowReader::Next() {
    if (FIndex >= FValid) {
        const Integer rows = std::min(FBlockRows, FRowsLeft);
        if (rows <= 0) return nullptr;
        const Int64 got = FStream->Read(FBuffer.data(), Int64(rows) * FRowBytes);
        FValid = Integer(got / FRowBytes);
        FRowsLeft = FValid < rows ? 0 : FRowsLeft - rows;
        FIndex = 0;
        if (FValid == 0) return nullptr;
    }
    return FBuffer.data() + size_t(FIndex++) * size_t(FRowBytes);
}

TImgPaletteTable::TImgPaletteTable(TStream* Stream, Int64 Count, Integer EntrySize) : FEntrySize(EntrySize) {
    const Int64 kept = std::clamp<Int64>(Count, 0, 256);
    FRaw.assign(size_t(kept * EntrySize), 0);
    Stream->Read(FRaw.data(), Int64(FRaw.size()));
    if (Count > kept) Stream->Seek((Count - kept) * EntrySize, soCurrent);
    Colours.resize(size_t(kept));
    for (size_t i = 0; i < Colours.size(); ++i) {
        const Byte* e = FRaw.data() + i * size_t(EntrySize);
        Colours[i] = TImgRGB{e[0], e[1], e[2]};
    }
}

TDibRowFormat TImgPaletteTable::RowFormat(const TDibHeader& Header) const {
    TDibRowFormat f = Header.RowFormat(FRaw.data(), FRaw.size());
    f.PaletteEntry = size_t(FEntrySize);
    f.PaletteCount = Colours.size();
    f.FullRange = false;
    return f;
}
