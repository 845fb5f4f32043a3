#pragma once
// Colour quantizers: a palette of at most N colours for a 24-bit bitmap and the mapping of any
// colour to an index of that palette. Up to 256 colours the colour cube is split into boxes by
// variance; above 256 a Kohonen network (NeuQuant) learns the palette from samples of the image.
// Also the small palette and row-depth routines the palette writers share.
//
// A packed colour is red * 65536 + green * 256 + blue; bits above 23 are ignored.

#include <array>
#include <memory>
#include <vector>

#include "framework/graphics.h"
#include "imaging/img_types.h"

// Box splitting over a 32 x 32 x 32 histogram of the image's colours (5 bits per channel).
class TImgBoxQuantizer {
public:
    // Fills Palette[0 .. GetColorCount() - 1] with at most Colours (and at most 256) colours.
    TImgBoxQuantizer(TBitmap* Bitmap, TImgRGB* Palette, Integer Colours);
    Integer GetColorCount() const { return Integer(FBoxes.size()); }
    Integer RGBToIndex(Cardinal Color) const;

private:
    struct TBox {
        double Variance = 0;
        double Mean[3] = {0, 0, 0};  // red, green, blue, in bins
        Int64 Count = 0;
        Int64 Hist[3][32] = {};      // per channel
        Integer Lower[3] = {0, 0, 0};  // inclusive bin
        Integer Upper[3] = {32, 32, 32};  // exclusive bin
    };
    static Integer Cell(Integer r5, Integer g5, Integer b5) { return (r5 << 10) | (g5 << 5) | b5; }
    void Statistics(TBox& Box) const;
    bool Split(size_t Index);
    bool SplitChannel(const TBox& Box, Integer Channel, TBox& First, TBox& Second) const;
    void Recount(TBox& Box) const;

    std::vector<Int64> FCube;  // 32768 cells
    std::vector<TBox> FBoxes;
    Int64 FTotal = 0;
    std::vector<Byte> FInverse;  // 32768 box indexes
};

// NeuQuant: a one-dimensional self-organising network of Colours neurons.
class TImgNeuQuant {
public:
    // Quality -1 chooses the sampling factor from the image size; 0 to 100 gives
    // Trunc((100 - Quality) / 100 * 29) + 1; the factor is held within 1 .. 30.
    TImgNeuQuant(TBitmap* Bitmap, TImgRGB* Palette, Integer Colours, Integer Quality);
    Integer GetColorCount() const { return FNetSize; }
    Integer RGBToIndex(Cardinal Color) const;
    Integer GetSampleFactor() const { return FSampleFac; }
    // The neighbourhood weight of distance I in the last learning step (tests look at it).
    Int64 GetRadPower(Integer I) const { return FRadPower[size_t(I)]; }
    // Neighbourhood weights for alpha and radius rad: alpha * ((rad^2 - i^2) * 256 div rad^2),
    // computed in 64 bits, so radii of thousands (networks of 65,536 neurons) stay exact.
    static void RadPowers(Int64 Alpha, Int64 Rad, std::vector<Int64>& Out);

private:
    struct TNeuron {
        Integer b = 0, g = 0, r = 0;
        Integer Index = 0;  // position before sorting: the palette index
    };
    void Learn(TBitmap* Bitmap);
    Integer Contest(Integer b, Integer g, Integer r);
    void AlterSingle(Int64 Alpha, Integer j, Integer b, Integer g, Integer r);
    void AlterNeighbours(Integer Rad, Integer j, Integer b, Integer g, Integer r);
    void BuildIndex();

    Integer FNetSize;
    Integer FSampleFac = 1;
    std::vector<TNeuron> FNetwork;
    std::vector<Int64> FBias;
    std::vector<Int64> FFreq;
    std::vector<Int64> FRadPower;
    std::array<Integer, 256> FNetIndex{};
};

class TImgQuantizer : public TObject {
    LUMORA_CLASS(TImgQuantizer, TObject)
public:
    // Bitmap must be 24-bit (another format gives an empty palette and index 0 for every
    // colour). Colours <= 256 chooses box splitting, more chooses NeuQuant with Colours neurons;
    // Quality applies to NeuQuant only. Palette has room for Colours entries; the colours found
    // are written from entry 0 on and the rest are left as they are.
    TImgQuantizer(TBitmap* Bitmap, TImgRGB* Palette, Integer Colours, Integer Quality = -1);
    ~TImgQuantizer() override;

    Integer RGBToIndex(Cardinal Color) const;
    // How many palette entries were written.
    Integer GetColorCount() const;
    bool GetUsesNeuQuant() const { return FNeu != nullptr; }

private:
    std::unique_ptr<TImgBoxQuantizer> FBox;
    std::unique_ptr<TImgNeuQuant> FNeu;
};

constexpr Cardinal ImgPackRGB(const TImgRGB& c) { return (Cardinal(c.r) << 16) | (Cardinal(c.g) << 8) | c.b; }

// Replaces every pixel of a 24-bit bitmap by its palette colour, with a quantizer of N colours
// (Quality -1). Palette may be null: a buffer of N entries is used then. Reports per row.
void QuantizeBitmap(TBitmap* Bitmap, Integer N, TImgRGB* Palette, const TImgProgressTarget& Progress = {});
// A new 1-bit bitmap (the caller owns it) when the 24-bit bitmap holds exactly two colours, else
// null. A clear bit stands for Colour0, the darker of the two.
TBitmap* TryConvertTo1Bit(TBitmap* Bitmap, TImgRGB& Colour0, TImgRGB& Colour1);
// The entry with the smallest sum of absolute channel differences; the first wins a tie.
Integer NearestPaletteIndex(const TImgRGB* Palette, Integer Count, Cardinal Color);
// Exchanges the first and third byte of each entry.
void SwapPaletteRB(TImgRGB* Palette, Integer Count);
// Converts one row of Count pixels between bit depths (24 to 4 or 8 through the quantizer; 8, 4
// and 1 to 24 through the palette; copies, 32 to 24, and 1, 4, 8 among each other). Dest must be
// zeroed where 4-bit pixels are or-ed in. Returns the bytes of a Count-pixel row at DestBits (0
// for an unknown depth); pairs not listed write nothing.
Integer ConvertRowDepth(const void* Source, void* Dest, Integer SourceBits, Integer DestBits, Integer Count,
                        const TImgRGB* Palette, const TImgQuantizer* Quantizer);
