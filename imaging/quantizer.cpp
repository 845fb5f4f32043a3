#include "imaging/quantizer.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "framework/math_utils.h"
#include "imaging/bitmap_routines.h"
#include "imaging/img_lists.h"

namespace {

inline Integer RedOf(Cardinal c) { return Integer((c >> 16) & 0xFF); }
inline Integer GreenOf(Cardinal c) { return Integer((c >> 8) & 0xFF); }
inline Integer BlueOf(Cardinal c) { return Integer(c & 0xFF); }

bool Usable(TBitmap* Bitmap) { return Bitmap && Bitmap->GetPixelFormat() == pf24bit; }

}  // namespace

// ---- Box splitting ---------------------------------------------------------------------------

namespace {
// The score of a channel whose split failed; a split is taken only below it.
constexpr double kNoSplit = 17523.6;
}  // namespace

TImgBoxQuantizer::TImgBoxQuantizer(TBitmap* Bitmap, TImgRGB* Palette, Integer Colours)
    : FCube(32768, 0), FInverse(32768, 0) {
    if (!Usable(Bitmap)) return;
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    FTotal = Int64(w) * h;
    // Beside each cell's count, the sums of its pixels' exact channel values: a box's palette
    // colour is the true mean of the pixels it holds, not the lower end of its 8-wide bins (which
    // would turn white into 248 grey and shift every colour of a one-colour picture).
    std::vector<Int64> sums(size_t(32768) * 3, 0);
    for (Integer y = 0; y < h; ++y) {
        const auto* row = static_cast<const TImgRGB*>(Bitmap->ScanLine(y));
        for (Integer x = 0; x < w; ++x) {
            const size_t cell = size_t(Cell(row[x].r >> 3, row[x].g >> 3, row[x].b >> 3));
            ++FCube[cell];
            sums[cell * 3] += row[x].r;
            sums[cell * 3 + 1] += row[x].g;
            sums[cell * 3 + 2] += row[x].b;
        }
    }
    FBoxes.reserve(256);
    FBoxes.emplace_back();
    TBox& first = FBoxes.back();
    first.Count = FTotal;
    Recount(first);
    Statistics(first);

    const size_t limit = size_t(std::clamp(Colours, 1, 256));
    while (FBoxes.size() < limit) {
        // The box of largest variance; the first of equals.
        size_t best = FBoxes.size();
        double bestVariance = 0;
        for (size_t i = 0; i < FBoxes.size(); ++i)
            if (FBoxes[i].Variance > bestVariance) {
                bestVariance = FBoxes[i].Variance;
                best = i;
            }
        if (best == FBoxes.size()) break;
        if (!Split(best)) FBoxes[best].Variance = 0;
    }

    for (size_t i = 0; i < FBoxes.size(); ++i) {
        const TBox& b = FBoxes[i];
        for (Integer r = b.Lower[0]; r < b.Upper[0]; ++r)
            for (Integer g = b.Lower[1]; g < b.Upper[1]; ++g)
                for (Integer bl = b.Lower[2]; bl < b.Upper[2]; ++bl) FInverse[size_t(Cell(r, g, bl))] = Byte(i);
    }

    // Each box's colour: the mean of the pixels whose cells map to it; a box that lost all its
    // cells to a later one keeps the centre of its bins' mean.
    std::vector<Int64> boxSums(FBoxes.size() * 4, 0);
    for (size_t cell = 0; cell < FCube.size(); ++cell) {
        if (FCube[cell] == 0) continue;
        Int64* t = &boxSums[size_t(FInverse[cell]) * 4];
        t[0] += sums[cell * 3];
        t[1] += sums[cell * 3 + 1];
        t[2] += sums[cell * 3 + 2];
        t[3] += FCube[cell];
    }
    const Integer written = std::min(Integer(FBoxes.size()), std::max(Colours, 0));
    for (Integer i = 0; i < written; ++i) {
        const Int64* t = &boxSums[size_t(i) * 4];
        if (t[3] > 0) {
            auto mean = [&](int c) { return Byte((t[c] + t[3] / 2) / t[3]); };
            Palette[i] = ImgRGB(mean(0), mean(1), mean(2));
        } else {
            const TBox& b = FBoxes[size_t(i)];
            auto centre = [&](int c) { return Byte(std::clamp<Int64>(Round(b.Mean[c] * 8 + 3.5), 0, 255)); };
            Palette[i] = ImgRGB(centre(0), centre(1), centre(2));
        }
    }
}

void TImgBoxQuantizer::Recount(TBox& Box) const {
    for (auto& channel : Box.Hist) std::fill(std::begin(channel), std::end(channel), 0);
    for (Integer r = Box.Lower[0]; r < Box.Upper[0]; ++r)
        for (Integer g = Box.Lower[1]; g < Box.Upper[1]; ++g)
            for (Integer b = Box.Lower[2]; b < Box.Upper[2]; ++b) {
                const Int64 v = FCube[size_t(Cell(r, g, b))];
                if (v == 0) continue;
                Box.Hist[0][r] += v;
                Box.Hist[1][g] += v;
                Box.Hist[2][b] += v;
            }
}

void TImgBoxQuantizer::Statistics(TBox& Box) const {
    if (Box.Count == 0) {
        Box.Variance = 0;
        return;
    }
    double sum = 0;
    for (int c = 0; c < 3; ++c) {
        Int64 s = 0, q = 0;
        for (Integer j = Box.Lower[c]; j < Box.Upper[c]; ++j) {
            s += j * Box.Hist[c][j];
            q += Int64(j) * j * Box.Hist[c][j];
        }
        const double mean = double(s) / double(Box.Count);
        Box.Mean[c] = mean;
        sum += double(q) - mean * mean * double(Box.Count);
    }
    Box.Variance = sum / double(FTotal);
}

bool TImgBoxQuantizer::SplitChannel(const TBox& Box, Integer c, TBox& First, TBox& Second) const {
    const Integer lo = Box.Lower[c], hi = Box.Upper[c];
    if (lo + 1 == hi) return false;
    const double m = Box.Mean[c];
    const Int64 n = Box.Count;
    const Integer start = Integer(Round((lo + m) * 0.5));
    const Integer stop = Integer(Round((m + hi) * 0.5));
    const Int64* hist = Box.Hist[c];
    Int64 below = 0;
    for (Integer k = std::max(lo, 0); k < start && k < 32; ++k) below += hist[k];
    double best = -1, acc = 0;
    Integer cut = start;
    Int64 cutCount = n;
    // The running count reaches the box's count at its last non-empty bin, so the walk never
    // goes past bin 31.
    for (Integer k = start; k <= stop && k < 32; ++k) {
        below += hist[k];
        if (below == n) break;
        acc += double(hist[k] * k) / double(n);
        const double d = m - acc;
        const double score = double(below) / double(n - below) * d * d;
        if (score > best) {
            cut = k;
            cutCount = below;
            best = score;
        }
    }
    First = Box;
    First.Count = cutCount;
    First.Upper[c] = cut + 1;
    Second = Box;
    Second.Count = n - cutCount;
    Second.Lower[c] = cut + 1;
    if (First.Count == 0 || Second.Count == 0) return false;
    Recount(First);
    for (int ch = 0; ch < 3; ++ch)
        for (int j = 0; j < 32; ++j) Second.Hist[ch][j] = Box.Hist[ch][j] - First.Hist[ch][j];
    for (TBox* b : {&First, &Second}) {
        for (int ch = 0; ch < 3; ++ch) {
            Integer lower = 32, upper = 1;
            for (Integer j = 0; j < 32; ++j)
                if (b->Hist[ch][j] != 0) {
                    if (lower == 32) lower = j;
                    upper = j + 1;
                }
            b->Lower[ch] = lower;
            b->Upper[ch] = upper;
        }
        Statistics(*b);
    }
    return true;
}

bool TImgBoxQuantizer::Split(size_t Index) {
    const TBox box = FBoxes[Index];
    if (box.Variance == 0 || box.Count == 0) return false;
    TBox first[3], second[3];
    Integer chosen = -1;
    double bestScore = kNoSplit;
    for (Integer c = 0; c < 3; ++c) {
        double score = kNoSplit;
        if (SplitChannel(box, c, first[c], second[c])) score = first[c].Variance + second[c].Variance;
        if (score < bestScore) {
            bestScore = score;
            chosen = c;
        }
    }
    if (chosen < 0) return false;
    FBoxes[Index] = first[chosen];
    FBoxes.push_back(second[chosen]);
    return true;
}

Integer TImgBoxQuantizer::RGBToIndex(Cardinal Color) const {
    return FInverse[size_t(Cell(RedOf(Color) >> 3, GreenOf(Color) >> 3, BlueOf(Color) >> 3))];
}

// ---- NeuQuant --------------------------------------------------------------------------------

namespace {

Integer SampleFactor(TBitmap* Bitmap, Integer Quality) {
    Int64 f;
    if (Quality == -1) {
        const Int64 pixels = Usable(Bitmap) ? Int64(Bitmap->GetWidth()) * Bitmap->GetHeight() : 0;
        f = pixels < 2000 ? 1 : Round(double(pixels - 2000) * 13 / 148000 + 2);
    } else {
        f = Trunc((100 - Quality) / 100.0 * 29) + 1;
    }
    return Integer(std::clamp<Int64>(f, 1, 30));
}

}  // namespace

void TImgNeuQuant::RadPowers(Int64 Alpha, Int64 Rad, std::vector<Int64>& Out) {
    const Int64 rr = Rad * Rad;
    for (Int64 i = 0; i < Rad && i < Int64(Out.size()); ++i) Out[size_t(i)] = Alpha * (((rr - i * i) * 256) / rr);
}

TImgNeuQuant::TImgNeuQuant(TBitmap* Bitmap, TImgRGB* Palette, Integer Colours, Integer Quality)
    : FNetSize(std::max(Colours, 1)), FSampleFac(SampleFactor(Bitmap, Quality)) {
    const size_t n = size_t(FNetSize);
    FNetwork.resize(n);
    FBias.assign(n, 0);
    FFreq.assign(n, 65536 / FNetSize);
    FRadPower.assign(n / 8, 0);
    for (Integer i = 0; i < FNetSize; ++i) {
        const Integer v = Integer(Int64(i) * 4096 / FNetSize);
        FNetwork[size_t(i)] = TNeuron{v, v, v, i};
    }
    if (Usable(Bitmap)) Learn(Bitmap);
    // Back to 8 bits per channel; each neuron keeps its palette index through the sort.
    for (Integer i = 0; i < FNetSize; ++i) {
        TNeuron& p = FNetwork[size_t(i)];
        p.b /= 16;
        p.g /= 16;
        p.r /= 16;
        p.Index = i;
        if (i < Colours) Palette[i] = ImgRGB(Byte(ImgClampByte(p.r)), Byte(ImgClampByte(p.g)), Byte(ImgClampByte(p.b)));
    }
    BuildIndex();
}

void TImgNeuQuant::Learn(TBitmap* Bitmap) {
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    const Int64 pixels = Int64(w) * h;
    const Int64 lengthCount = 3 * pixels;
    const Int64 alphaDec = 30 + (FSampleFac - 1) / 3;
    const Int64 samplePixels = lengthCount / (3 * Int64(FSampleFac));
    const Int64 delta = std::max<Int64>(samplePixels / 100, 1);
    Int64 alpha = 1024;
    Int64 radius = Int64(FNetSize / 8) * 64;
    Int64 rad = radius < 128 ? 0 : radius >> 6;
    RadPowers(alpha, rad, FRadPower);

    Int64 step = 499;
    if (lengthCount % 499 == 0) {
        step = 491;
        if (lengthCount % 491 == 0) {
            step = 487;
            if (lengthCount % 487 == 0) step = 503;
        }
    }
    // Rows are fetched once per sample; keep their addresses.
    std::vector<const TImgRGB*> rows(size_t(std::max(h, 0)));
    for (Integer y = 0; y < h; ++y) rows[size_t(y)] = static_cast<const TImgRGB*>(Bitmap->ScanLine(y));

    Int64 pos = 0;
    for (Int64 i = 1; i <= samplePixels; ++i) {
        const TImgRGB& p = rows[size_t((pos / w) % h)][pos % w];
        const Integer b = p.b << 4, g = p.g << 4, r = p.r << 4;
        const Integer j = Contest(b, g, r);
        AlterSingle(alpha, j, b, g, r);
        if (rad > 0) AlterNeighbours(Integer(rad), j, b, g, r);
        pos += step;
        if (pos >= pixels) pos -= pixels;
        if (i % delta == 0) {
            alpha -= alpha / alphaDec;
            radius -= radius / 30;
            rad = radius < 128 ? 0 : radius >> 6;
            RadPowers(alpha, rad, FRadPower);
        }
    }
}

Integer TImgNeuQuant::Contest(Integer b, Integer g, Integer r) {
    Int64 bestDist = std::numeric_limits<Int64>::max(), bestBiasDist = bestDist;
    Integer bestPos = 0, bestBiasPos = 0;
    const TNeuron* net = FNetwork.data();
    Int64* bias = FBias.data();
    Int64* freq = FFreq.data();
    for (Integer i = 0; i < FNetSize; ++i) {
        const TNeuron& n = net[i];
        const Int64 dist = std::abs(n.b - b) + std::abs(n.g - g) + std::abs(n.r - r);
        if (dist < bestDist) {
            bestDist = dist;
            bestPos = i;
        }
        const Int64 biasDist = dist - (bias[i] >> 12);
        if (biasDist < bestBiasDist) {
            bestBiasDist = biasDist;
            bestBiasPos = i;
        }
        const Int64 betaFreq = freq[i] >> 10;
        freq[i] -= betaFreq;
        bias[i] += betaFreq << 10;
    }
    freq[bestPos] += 64;
    bias[bestPos] -= 65536;
    return bestBiasPos;
}

void TImgNeuQuant::AlterSingle(Int64 Alpha, Integer j, Integer b, Integer g, Integer r) {
    TNeuron& n = FNetwork[size_t(j)];
    n.b -= Integer((n.b - b) * Alpha / 1024);
    n.g -= Integer((n.g - g) * Alpha / 1024);
    n.r -= Integer((n.r - r) * Alpha / 1024);
}

void TImgNeuQuant::AlterNeighbours(Integer Rad, Integer j, Integer b, Integer g, Integer r) {
    const Integer lo = std::max(j - Rad, -1), hi = std::min(j + Rad, FNetSize);
    Integer k = j + 1, m = j - 1;
    size_t q = 1;
    auto move = [&](TNeuron& n, Int64 a) {
        n.b -= Integer(Int64(n.b - b) * a / 262144);
        n.g -= Integer(Int64(n.g - g) * a / 262144);
        n.r -= Integer(Int64(n.r - r) * a / 262144);
    };
    while (k < hi || m > lo) {
        const Int64 a = FRadPower[q++];
        if (k < hi) move(FNetwork[size_t(k++)], a);
        if (m > lo) move(FNetwork[size_t(m--)], a);
    }
}

void TImgNeuQuant::BuildIndex() {
    // A selection sort by green: each position in turn takes the first neuron of smallest green
    // among the rest, by exchange. A tournament tree over the unsorted positions finds that
    // neuron (smallest green, then lowest position) in log N steps, with the same exchanges.
    const Integer n = FNetSize;
    size_t size = 1;
    while (size < size_t(n)) size <<= 1;
    std::vector<Integer> tree(2 * size, -1);
    auto better = [this](Integer a, Integer b) {
        if (a < 0) return b;
        if (b < 0) return a;
        const Integer ga = FNetwork[size_t(a)].g, gb = FNetwork[size_t(b)].g;
        return (ga < gb || (ga == gb && a < b)) ? a : b;
    };
    auto set = [&](size_t leaf, Integer value) {
        size_t t = size + leaf;
        tree[t] = value;
        for (t >>= 1; t >= 1; t >>= 1) tree[t] = better(tree[2 * t], tree[2 * t + 1]);
    };
    for (Integer i = 0; i < n; ++i) tree[size + size_t(i)] = i;
    for (size_t t = size - 1; t >= 1; --t) tree[t] = better(tree[2 * t], tree[2 * t + 1]);

    Integer previous = 0, start = 0;
    for (Integer i = 0; i < n; ++i) {
        const Integer smallPos = tree[1];
        const Integer smallVal = FNetwork[size_t(smallPos)].g;
        if (smallPos != i) {
            std::swap(FNetwork[size_t(i)], FNetwork[size_t(smallPos)]);
            set(size_t(smallPos), smallPos);
        }
        set(size_t(i), -1);
        if (smallVal != previous) {
            FNetIndex[size_t(previous)] = (start + i) >> 1;
            for (Integer j = previous + 1; j < smallVal; ++j) FNetIndex[size_t(j)] = i;
            previous = smallVal;
            start = i;
        }
    }
    FNetIndex[size_t(previous)] = (start + n - 1) >> 1;
    for (Integer j = previous + 1; j < 256; ++j) FNetIndex[size_t(j)] = n - 1;
}

Integer TImgNeuQuant::RGBToIndex(Cardinal Color) const {
    const Integer r = RedOf(Color), g = GreenOf(Color), b = BlueOf(Color);
    Integer i = FNetIndex[size_t(g)], j = i - 1;
    Integer bestDist = 1000, best = -1;
    const TNeuron* net = FNetwork.data();
    // A neuron whose green differs by dg: blue is added first, red only while it can still win.
    auto consider = [&](const TNeuron& p, Integer dg) {
        Integer dist = std::abs(dg) + std::abs(p.b - b);
        if (dist >= bestDist) return;
        dist += std::abs(p.r - r);
        if (dist < bestDist) {
            bestDist = dist;
            best = p.Index;
        }
    };
    // Outwards from the first neuron of that green, each way until green alone is too far.
    while (i < FNetSize || j >= 0) {
        if (i < FNetSize) {
            const Integer dg = net[i].g - g;
            if (dg >= bestDist)
                i = FNetSize;
            else
                consider(net[i++], dg);
        }
        if (j >= 0) {
            const Integer dg = g - net[j].g;
            if (dg >= bestDist)
                j = -1;
            else
                consider(net[j--], dg);
        }
    }
    return best;
}

// ---- TImgQuantizer ---------------------------------------------------------------------------

TImgQuantizer::TImgQuantizer(TBitmap* Bitmap, TImgRGB* Palette, Integer Colours, Integer Quality) {
    if (Colours <= 256)
        FBox = std::make_unique<TImgBoxQuantizer>(Bitmap, Palette, Colours);
    else
        FNeu = std::make_unique<TImgNeuQuant>(Bitmap, Palette, Colours, Quality);
}

TImgQuantizer::~TImgQuantizer() = default;

Integer TImgQuantizer::RGBToIndex(Cardinal Color) const {
    return FNeu ? FNeu->RGBToIndex(Color) : FBox->RGBToIndex(Color);
}

Integer TImgQuantizer::GetColorCount() const { return FNeu ? FNeu->GetColorCount() : FBox->GetColorCount(); }

// ---- Routines --------------------------------------------------------------------------------

void QuantizeBitmap(TBitmap* Bitmap, Integer N, TImgRGB* Palette, const TImgProgressTarget& Progress) {
    if (!Usable(Bitmap) || N < 1) return;
    std::vector<TImgRGB> own;
    if (!Palette) {
        own.resize(size_t(N));
        Palette = own.data();
    }
    const TImgQuantizer q(Bitmap, Palette, N, -1);
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    for (Integer y = 0; y < h; ++y) {
        auto* row = static_cast<TImgRGB*>(Bitmap->ScanLine(y));
        // Neighbouring pixels are often equal: look a colour up once per run.
        Cardinal last = 0xFFFFFFFFu;
        TImgRGB mapped;
        for (Integer x = 0; x < w; ++x) {
            const Cardinal c = ImgPackRGB(row[x]);
            if (c != last) {
                last = c;
                mapped = Palette[q.RGBToIndex(c)];
            }
            row[x] = mapped;
        }
        if (Progress.OnProgress) Progress.OnProgress(Progress.Sender, Integer(Trunc((100 / (h + 0.5)) * (y + 1))));
    }
}

TBitmap* TryConvertTo1Bit(TBitmap* Bitmap, TImgRGB& Colour0, TImgRGB& Colour1) {
    if (!Usable(Bitmap)) return nullptr;
    const Integer w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    THash1 seen(13);
    std::unique_ptr<TBitmap> bits(new TBitmap());
    ImgPrepareBitmap(bits.get(), pf1bit, w, h);
    for (Integer y = 0; y < h && seen.GetCount() <= 2; ++y) {
        const auto* row = static_cast<const TImgRGB*>(Bitmap->ScanLine(y));
        Byte* out = static_cast<Byte*>(bits->ScanLine(y));
        for (Integer x = 0; x < w; ++x) {
            if (seen.Insert(ImgPackRGB(row[x]))) {
                if (seen.GetCount() == 1)
                    Colour0 = row[x];
                else
                    Colour1 = row[x];
            }
            SetRowBit(out, x, row[x] == Colour0 ? 0 : 1);
        }
    }
    if (seen.GetCount() != 2) return nullptr;
    auto grey = [](const TImgRGB& c) { return Round((c.r * 21 + c.g * 71 + c.b * 7) / 100.0); };
    if (grey(Colour1) < grey(Colour0)) {
        InvertBitmap1Bit(bits.get());
        std::swap(Colour0, Colour1);
    }
    return bits.release();
}

Integer NearestPaletteIndex(const TImgRGB* Palette, Integer Count, Cardinal Color) {
    const Integer r = RedOf(Color), g = GreenOf(Color), b = BlueOf(Color);
    Integer best = 0, bestDist = std::numeric_limits<Integer>::max();
    for (Integer i = 0; i < Count; ++i) {
        const Integer d = std::abs(Palette[i].r - r) + std::abs(Palette[i].g - g) + std::abs(Palette[i].b - b);
        if (d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}

void SwapPaletteRB(TImgRGB* Palette, Integer Count) {
    for (Integer i = 0; i < Count; ++i) std::swap(Palette[i].b, Palette[i].r);
}

Integer ConvertRowDepth(const void* Source, void* Dest, Integer SourceBits, Integer DestBits, Integer Count,
                        const TImgRGB* Palette, const TImgQuantizer* Quantizer) {
    const auto* s = static_cast<const Byte*>(Source);
    auto* d = static_cast<Byte*>(Dest);
    const auto* rgb = static_cast<const TImgRGB*>(Source);
    auto* out = static_cast<TImgRGB*>(Dest);
    const size_t n = size_t(std::max(Count, 0));
    auto nibble = [s](size_t i) { return Byte(i & 1 ? s[i >> 1] & 0x0F : s[i >> 1] >> 4); };
    auto bit = [s](size_t i) { return Byte((s[i >> 3] >> (7 - (i & 7))) & 1); };
    switch (SourceBits * 100 + DestBits) {
    case 2404:
        if (Quantizer)
            for (size_t i = 0; i < n; ++i)
                d[i >> 1] |= Byte((Quantizer->RGBToIndex(ImgPackRGB(rgb[i])) & 0x0F) << (i & 1 ? 0 : 4));
        break;
    case 2408:
        if (Quantizer)
            for (size_t i = 0; i < n; ++i) d[i] = Byte(Quantizer->RGBToIndex(ImgPackRGB(rgb[i])));
        break;
    case 2424: std::memmove(d, s, n * 3); break;
    case 3224:
        for (size_t i = 0; i < n; ++i) std::memmove(d + i * 3, s + i * 4, 3);
        break;
    case 801:
        std::memset(d, 0, (n + 7) / 8);
        for (size_t i = 0; i < n; ++i) d[i >> 3] |= Byte((s[i] & 1) << (7 - (i & 7)));
        break;
    case 808: std::memmove(d, s, n); break;
    case 824:
        for (size_t i = 0; i < n; ++i) out[i] = Palette[s[i]];
        break;
    case 404: std::memmove(d, s, (n + 1) / 2); break;
    case 408:
        for (size_t i = 0; i < n; ++i) d[i] = nibble(i);
        break;
    case 424:
        for (size_t i = 0; i < n; ++i) out[i] = Palette[nibble(i)];
        break;
    case 101: std::memmove(d, s, (n + 7) / 8); break;
    case 104:
        for (size_t i = 0; i < n; ++i) d[i >> 1] |= Byte(bit(i) << (i & 1 ? 0 : 4));
        break;
    case 108:
        for (size_t i = 0; i < n; ++i) d[i] = bit(i);
        break;
    case 124:
        for (size_t i = 0; i < n; ++i) out[i] = Palette[bit(i)];
        break;
    default: break;
    }
    switch (DestBits) {
    case 1: return Integer((n + 7) / 8);
    case 4: return Integer((n + 1) / 2);
    case 8: return Integer(n);
    case 24: return Integer(n * 3);
    default: return 0;
    }
}
