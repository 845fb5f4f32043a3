// The playback device of the metafile players: coordinate spaces, drawing objects made at the
// scale they are drawn at, saved states, the path and clipping, all drawn through the device
// context. Axis-aligned shapes go to the device context's own calls; under a rotating transform
// and inside a path they are flattened into polygons first.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/byte_order.h"
#include "framework/dib_reader.h"
#include "framework/messages.h"
#include "framework/metafile_player_internal.h"

namespace lumora_meta {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Output coordinates are kept within this distance of the origin; drawing further out is off
// every picture and would only cost time.
constexpr double kCoordLimit = 16384;

int Clamp(double v) {
    if (!(v == v)) return 0;
    return int(std::lround(std::clamp(v, -kCoordLimit, kCoordLimit)));
}

double Finite(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

}  // namespace

// ---- records ------------------------------------------------------------------------------------

const uint8_t* TRecord::At(uint64_t at, uint64_t bytes) {
    if (!Has(at, bytes)) {
        FBad = true;
        return nullptr;
    }
    return FData + at;
}

uint8_t TRecord::U8(uint64_t at) {
    const uint8_t* p = At(at, 1);
    return p ? *p : 0;
}

uint16_t TRecord::U16(uint64_t at) {
    const uint8_t* p = At(at, 2);
    return p ? LoadLE16(p) : 0;
}

uint32_t TRecord::U32(uint64_t at) {
    const uint8_t* p = At(at, 4);
    return p ? LoadLE32(p) : 0;
}

float TRecord::F32(uint64_t at) {
    const uint32_t bits = U32(at);
    float f;
    std::memcpy(&f, &bits, 4);
    return std::isfinite(f) ? f : 0.0f;
}

TAffine TAffine::Then(const TAffine& n) const {
    TAffine r;
    r.A = n.A * A + n.C * B;
    r.B = n.B * A + n.D * B;
    r.C = n.A * C + n.C * D;
    r.D = n.B * C + n.D * D;
    r.E = n.A * E + n.C * F + n.E;
    r.F = n.B * E + n.D * F + n.F;
    return r;
}

// ---- text and bitmaps ---------------------------------------------------------------------------

namespace {
void AppendUtf8(std::string& s, uint32_t c) {
    s += CharToUtf8(Char(c));
}
}  // namespace

std::string Latin1ToUtf8(const uint8_t* text, size_t count) {
    // The Windows Latin page: 0x80..0x9F hold punctuation where ISO Latin 1 has control codes.
    static const uint16_t k80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    std::string s;
    for (size_t i = 0; i < count && text[i]; ++i)
        AppendUtf8(s, text[i] >= 0x80 && text[i] < 0xA0 ? k80[text[i] - 0x80] : text[i]);
    return s;
}

std::string Utf16ToUtf8(const uint8_t* text, size_t count) {
    std::string s;
    for (size_t i = 0; i < count; ++i) {
        uint32_t c = LoadLE16(text + 2 * i);
        if (c == 0) break;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
            const uint32_t lo = LoadLE16(text + 2 * i + 2);
            if (lo >= 0xDC00 && lo < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
        AppendUtf8(s, c);
    }
    return s;
}

namespace {
class TRunPixels : public TDibRunSink {
public:
    TRunPixels(TDecodedDib& d, const TDibRowFormat& f) : FDib(d), FFormat(f) {}
    void Span(int row, int x, const uint8_t* indexes, int count) override {
        uint32_t* out = FDib.Pixels.data() + size_t(row) * size_t(FDib.Width) + size_t(x);
        for (int i = 0; i < count; ++i) out[i] = FFormat.Colour(indexes[i]) | 0xFF000000u;
    }

private:
    TDecodedDib& FDib;
    const TDibRowFormat& FFormat;
};
}  // namespace

bool DecodeDib(const uint8_t* bmi, size_t bmiSize, const uint8_t* bits, size_t bitsSize, TDecodedDib& out) {
    if (!bmi || bmiSize == 0) return false;
    TDibBlock b;
    if (DibReadBlock(bmi, bmiSize, bits, bits ? bitsSize : 0, b) != TDibError::None)
        return false;
    const TDibHeader& h = b.Header;
    if (h.Empty() || h.Width * h.Height > MetafileMaxBitmapPixels) return false;
    out.Width = int(h.Width);
    out.Height = int(h.Height);
    out.BottomUp = !h.TopDown;
    out.HasAlpha = false;
    out.Pixels.assign(size_t(h.Width) * size_t(h.Height), 0xFF000000u);
    if (h.RunLength()) {
        // Run-length rows count from the bottom; turned top first below.
        TRunPixels sink(out, b.Format);
        DibDecodeRunLength(b.Pixels, b.PixelBytes, out.Width, out.Height, h.Compression == BI_RLE4, false, sink);
        if (!h.TopDown) {
            for (int y = 0; y < out.Height / 2; ++y)
                std::swap_ranges(out.Pixels.begin() + ptrdiff_t(y) * out.Width,
                                 out.Pixels.begin() + ptrdiff_t(y + 1) * out.Width,
                                 out.Pixels.begin() + ptrdiff_t(out.Height - 1 - y) * out.Width);
        }
        return true;
    }
    const size_t rowBytes = h.RowBytes();
    if (uint64_t(rowBytes) * uint64_t(h.Height) > b.PixelBytes) return false;
    std::vector<uint32_t> line(size_t(out.Width));
    uint32_t alphaSeen = 0;
    for (int y = 0; y < out.Height; ++y) {
        const uint8_t* row = b.Pixels + rowBytes * size_t(y);
        const int to = h.TopDown ? y : out.Height - 1 - y;
        uint32_t* dst = out.Pixels.data() + size_t(to) * size_t(out.Width);
        DibDecodeRow(b.Format, row, out.Width, line.data());
        if (h.BitCount == 32 && h.Compression == BI_RGB) {
            for (int x = 0; x < out.Width; ++x) {
                const uint32_t a = row[4 * x + 3];
                alphaSeen |= a;
                dst[x] = (line[size_t(x)] & 0xFFFFFF) | (a << 24);
            }
        } else {
            for (int x = 0; x < out.Width; ++x) dst[x] = line[size_t(x)] | 0xFF000000u;
        }
    }
    if (h.BitCount == 32 && h.Compression == BI_RGB) {
        // Without any alpha the fourth byte is padding: the pixels are opaque.
        out.HasAlpha = alphaSeen != 0;
        if (!out.HasAlpha)
            for (uint32_t& p : out.Pixels) p |= 0xFF000000u;
    }
    return true;
}

// ---- the device ---------------------------------------------------------------------------------

TMetaDevice::TMetaDevice(HDC dc, const TRect& rect) : FDc(dc), FRect(rect) {
    FSaveLevel = SaveDC(FDc);
    TPoint vp, win;
    GetViewportOrgEx(FDc, &vp);
    GetWindowOrgEx(FDc, &win);
    FDcDx = vp.X - win.X;
    FDcDy = vp.Y - win.Y;
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(FDc, r) == 1) FInitialClip = r;
    else DeleteObject(r);
    GetClipBox(FDc, &FVisibleBox);
    St.Pen.Width = 0;
    St.Pen.Serial = NextSerial++;
    St.Brush.Serial = NextSerial++;
    St.Font.Serial = NextSerial++;
    std::strcpy(St.Font.Font.lfFaceName, "Arial");
    St.Font.Font.lfHeight = 12;
    PlaceWindows();
}

TMetaDevice::~TMetaDevice() {
    if (FSaveLevel > 0) RestoreDC(FDc, FSaveLevel);
    if (FPen) DeleteObject(FPen);
    if (FBrush) DeleteObject(FBrush);
    if (FFont) DeleteObject(FFont);
    if (FInitialClip) DeleteObject(FInitialClip);
}

void TMetaDevice::PlaceWindows() {
    FEnhanced = false;
    FPlacement = TAffine{};
    St.MapMode = MM_ANISOTROPIC;
    St.WinOrg = {double(FRect.Left), double(FRect.Top)};
    St.WinExt = {double(FRect.Width()), double(FRect.Height())};
    TransformChanged();
}

void TMetaDevice::PlaceEnhanced(TPointD origin, TPointD size, double pxPerMmX, double pxPerMmY) {
    FEnhanced = true;
    FPxPerMmX = pxPerMmX;
    FPxPerMmY = pxPerMmY;
    const double fw = std::max(1.0, size.X), fh = std::max(1.0, size.Y);
    FPlacement = TAffine{};
    FPlacement.A = FRect.Width() / fw;
    FPlacement.D = FRect.Height() / fh;
    FPlacement.E = FRect.Left - origin.X * FPlacement.A;
    FPlacement.F = FRect.Top - origin.Y * FPlacement.D;
    St.MapMode = MM_TEXT;
    St.WinOrg = St.VpOrg = {};
    St.WinExt = St.VpExt = {1, 1};
    TransformChanged();
}

const TAffine& TMetaDevice::ToOutput() {
    if (FXformValid) return FXform;
    TAffine page;
    if (!FEnhanced) {
        // The window maps onto the output rectangle.
        const double wx = St.WinExt.X != 0 ? St.WinExt.X : 1, wy = St.WinExt.Y != 0 ? St.WinExt.Y : 1;
        page.A = FRect.Width() / wx;
        page.D = FRect.Height() / wy;
        page.E = FRect.Left - St.WinOrg.X * page.A;
        page.F = FRect.Top - St.WinOrg.Y * page.D;
        FXform = page;
        FXformValid = true;
        return FXform;
    }
    double sx = 1, sy = 1;
    switch (St.MapMode) {
    case MM_LOMETRIC: sx = FPxPerMmX / 10, sy = -FPxPerMmY / 10; break;
    case MM_HIMETRIC: sx = FPxPerMmX / 100, sy = -FPxPerMmY / 100; break;
    case MM_LOENGLISH: sx = FPxPerMmX * 25.4 / 100, sy = -FPxPerMmY * 25.4 / 100; break;
    case MM_HIENGLISH: sx = FPxPerMmX * 25.4 / 1000, sy = -FPxPerMmY * 25.4 / 1000; break;
    case MM_TWIPS: sx = FPxPerMmX * 25.4 / 1440, sy = -FPxPerMmY * 25.4 / 1440; break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC: {
        const double wx = St.WinExt.X != 0 ? St.WinExt.X : 1, wy = St.WinExt.Y != 0 ? St.WinExt.Y : 1;
        sx = St.VpExt.X / wx;
        sy = St.VpExt.Y / wy;
        if (St.MapMode == MM_ISOTROPIC) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    }
    default: break;
    }
    page.A = sx;
    page.D = sy;
    page.E = St.VpOrg.X - St.WinOrg.X * sx;
    page.F = St.VpOrg.Y - St.WinOrg.Y * sy;
    FXform = St.World.Then(page).Then(FPlacement);
    FXformValid = true;
    return FXform;
}

TPoint TMetaDevice::OutInt(TPointD p) {
    const TPointD o = Out(p);
    return TPoint(Clamp(o.X), Clamp(o.Y));
}

double TMetaDevice::PenScale() {
    const TAffine& t = ToOutput();
    return std::sqrt(std::abs(t.Det()));
}

bool TMetaDevice::SaveState() {
    if (int(FSaved.size()) >= MetafileMaxSavedStates) return false;
    FSaved.push_back(St);
    SaveDC(FDc);
    return true;
}

void TMetaDevice::RestoreState(int which) {
    // A negative level counts back from the latest state, a positive one names it.
    const int n = int(FSaved.size());
    int to = which < 0 ? n + which : which - 1;
    if (to < 0 || to >= n) return;
    RestoreDC(FDc, FSaveLevel + 1 + to);
    St = FSaved[size_t(to)];
    FSaved.resize(size_t(to));
    TransformChanged();
    // The device context took back the objects it had; ours are selected again when drawn with.
    FPenSerial = FBrushSerial = FFontSerial = 0;
}

HBRUSH TMetaDevice::MakeBrush(const TMetaBrush& b) {
    switch (b.Style) {
    case BS_NULL: return nullptr;
    case BS_HATCHED: return CreateHatchBrush(b.Hatch, b.Color);
    case BS_PATTERN:
        if (b.Pattern && b.Pattern->Width > 0 && b.Pattern->Height > 0) {
            const TPattern& p = *b.Pattern;
            const int stride = (p.Width * 3 + 1) & ~1;
            std::vector<uint8_t> bits(size_t(stride) * size_t(p.Height));
            for (int y = 0; y < p.Height; ++y)
                for (int x = 0; x < p.Width; ++x) {
                    const uint32_t c = p.Pixels[size_t(y) * size_t(p.Width) + size_t(x)];
                    uint8_t* o = bits.data() + size_t(y) * size_t(stride) + size_t(x) * 3;
                    o[0] = uint8_t(c);
                    o[1] = uint8_t(c >> 8);
                    o[2] = uint8_t(c >> 16);
                }
            HBITMAP bmp = CreateBitmap(p.Width, p.Height, 1, 24, bits.data());
            HBRUSH br = CreatePatternBrush(bmp);
            DeleteObject(bmp);
            return br;
        }
        return CreateSolidBrush(b.Color);
    default: return CreateSolidBrush(b.Color);
    }
}

void TMetaDevice::Realize(bool pen, bool brush, bool font) {
    SetTextColor(FDc, St.Text);
    SetBkColor(FDc, St.Bk);
    SetBkMode(FDc, St.BkMode);
    SetROP2(FDc, St.Rop2);
    SetPolyFillMode(FDc, St.FillMode);
    SetStretchBltMode(FDc, St.StretchMode);
    SetArcDirection(FDc, St.ArcDirection);
    if (pen) {
        const double scale = PenScale();
        if (FPenSerial != St.Pen.Serial || (St.Pen.Width > 0 && scale != FPenScale)) {
            const TMetaPen& p = St.Pen;
            HPEN made = nullptr;
            const DWORD kind = p.Style & PS_STYLE_MASK;
            if (kind != PS_NULL) {
                const double w = p.Width > 0 ? std::max(1.0, std::round(p.Width * scale)) : 1;
                const int iw = int(std::min(w, 4096.0));
                if (kind == PS_INSIDEFRAME || (iw <= 1 && p.Dashes.empty())) {
                    made = CreatePen(int(kind), iw, p.Color);
                } else {
                    LOGBRUSH lb;
                    lb.lbColor = p.Color;
                    std::vector<DWORD> dashes;
                    for (DWORD d : p.Dashes) dashes.push_back(DWORD(std::min(4096.0, std::max(1.0, d * scale))));
                    made = ExtCreatePen(PS_GEOMETRIC | p.Style, DWORD(iw), &lb, DWORD(dashes.size()),
                                        dashes.empty() ? nullptr : dashes.data());
                }
            }
            SelectObject(FDc, made ? HGDIOBJ(made) : GetStockObject(NULL_PEN));
            if (FPen) DeleteObject(FPen);
            FPen = made;
            FPenSerial = St.Pen.Serial;
            FPenScale = scale;
        }
    }
    if (brush && FBrushSerial != St.Brush.Serial) {
        HBRUSH made = MakeBrush(St.Brush);
        SelectObject(FDc, made ? HGDIOBJ(made) : GetStockObject(NULL_BRUSH));
        if (FBrush) DeleteObject(FBrush);
        FBrush = made;
        FBrushSerial = St.Brush.Serial;
    }
    if (font) {
        const TAffine& t = ToOutput();
        const double scale = std::sqrt(t.C * t.C + t.D * t.D);
        if (FFontSerial != St.Font.Serial || scale != FFontScale) {
            LOGFONT lf = St.Font.Font;
            const double h = lf.lfHeight * scale;
            lf.lfHeight = LONG(std::lround(std::clamp(Finite(h, 0), -2000.0, 2000.0)));
            if (lf.lfHeight == 0) lf.lfHeight = h < 0 ? -1 : 1;
            const double width = Finite(lf.lfWidth * std::sqrt(t.A * t.A + t.B * t.B), 0);
            lf.lfWidth = LONG(std::lround(std::clamp(width, 0.0, 2000.0)));
            // The transform's turn adds to the escapement; a mirrored y axis turns the other way.
            const double turn = std::atan2(-t.B, t.A) * 1800 / kPi;
            const double esc = (t.Det() < 0 ? -lf.lfEscapement : lf.lfEscapement) + turn;
            lf.lfEscapement = LONG(std::lround(std::fmod(Finite(esc, 0), 3600.0)));
            HFONT made = CreateFontIndirect(&lf);
            SelectObject(FDc, made);
            if (FFont) DeleteObject(FFont);
            FFont = made;
            FFontSerial = St.Font.Serial;
            FFontScale = scale;
        }
    }
}

// ---- figures ------------------------------------------------------------------------------------

void TMetaDevice::AddFigure(std::vector<TPointD> points, bool closed) {
    if (points.empty()) return;
    if (FPathPoints + points.size() > MetafileMaxPathPoints) return;
    FPathPoints += points.size();
    for (TPointD& p : points) p = Out(p);
    FPath.push_back({std::move(points), closed});
    FFigureOpen = !closed;
}

void TMetaDevice::Draw(const std::vector<TFigure>& figures, bool fill, bool stroke) {
    std::vector<TPoint> pts;
    if (fill) {
        std::vector<int> counts;
        for (const TFigure& f : figures) {
            if (f.Points.size() < 2) continue;
            for (const TPointD& p : f.Points) pts.emplace_back(Clamp(p.X), Clamp(p.Y));
            counts.push_back(int(f.Points.size()));
        }
        if (!counts.empty()) {
            Realize(stroke, true, false);
            // A pen drawn over the fill on its own below when some figures stay open.
            bool allClosed = true;
            for (const TFigure& f : figures) allClosed = allClosed && (f.Closed || f.Points.size() < 2);
            if (!stroke || !allClosed) {
                SelectObject(FDc, GetStockObject(NULL_PEN));
                FPenSerial = 0;
            }
            PolyPolygon(FDc, pts.data(), counts.data(), int(counts.size()));
            if (stroke && allClosed) return;
        }
    }
    if (!stroke) return;
    pts.clear();
    std::vector<DWORD> counts;
    for (const TFigure& f : figures) {
        if (f.Points.empty()) continue;
        for (const TPointD& p : f.Points) pts.emplace_back(Clamp(p.X), Clamp(p.Y));
        size_t n = f.Points.size();
        if (f.Closed && n > 1) {
            pts.emplace_back(Clamp(f.Points[0].X), Clamp(f.Points[0].Y));
            ++n;
        } else if (n == 1) {
            pts.push_back(pts.back());
            ++n;
        }
        counts.push_back(DWORD(n));
    }
    if (counts.empty()) return;
    Realize(true, false, false);
    PolyPolyline(FDc, pts.data(), counts.data(), int(counts.size()));
}

void TMetaDevice::LineTo(TPointD p) {
    Polyline({p}, true);
}

void TMetaDevice::Polyline(const std::vector<TPointD>& points, bool fromCurrent) {
    if (points.empty()) return;
    if (FInPath) {
        if (fromCurrent && FFigureOpen && !FPath.empty()) {
            if (FPathPoints + points.size() > MetafileMaxPathPoints) return;
            FPathPoints += points.size();
            for (const TPointD& p : points) FPath.back().Points.push_back(Out(p));
        } else {
            std::vector<TPointD> all;
            if (fromCurrent) all.push_back(St.Pos);
            all.insert(all.end(), points.begin(), points.end());
            AddFigure(std::move(all), false);
        }
    } else {
        std::vector<TPoint> pts;
        if (fromCurrent) pts.push_back(OutInt(St.Pos));
        for (const TPointD& p : points) pts.push_back(OutInt(p));
        if (pts.size() >= 2) {
            Realize(true, false, false);
            ::Polyline(FDc, pts.data(), int(pts.size()));
        }
    }
    if (fromCurrent) St.Pos = points.back();
}

void TMetaDevice::Polygons(const std::vector<std::vector<TPointD>>& polys) {
    if (FInPath) {
        for (const auto& p : polys) AddFigure(p, true);
        FFigureOpen = false;
        return;
    }
    std::vector<TFigure> figures;
    for (const auto& p : polys) {
        TFigure f;
        f.Closed = true;
        for (const TPointD& q : p) f.Points.push_back(Out(q));
        figures.push_back(std::move(f));
    }
    std::vector<TPoint> pts;
    std::vector<int> counts;
    for (const TFigure& f : figures) {
        if (f.Points.size() < 2) continue;
        for (const TPointD& q : f.Points) pts.emplace_back(Clamp(q.X), Clamp(q.Y));
        counts.push_back(int(f.Points.size()));
    }
    if (counts.empty()) return;
    Realize(true, true, false);
    PolyPolygon(FDc, pts.data(), counts.data(), int(counts.size()));
}

void TMetaDevice::Polylines(const std::vector<std::vector<TPointD>>& polys) {
    if (FInPath) {
        for (const auto& p : polys) AddFigure(p, false);
        return;
    }
    std::vector<TFigure> figures;
    for (const auto& p : polys) {
        if (p.size() < 2) continue;
        TFigure f;
        for (const TPointD& q : p) f.Points.push_back(Out(q));
        figures.push_back(std::move(f));
    }
    Draw(figures, false, true);
}

namespace {
// Appends the cubic curve from p0 through c1, c2 to p3 (output coordinates), p0 left out.
void FlattenCubic(std::vector<TPointD>& out, TPointD p0, TPointD c1, TPointD c2, TPointD p3) {
    const double len = std::hypot(c1.X - p0.X, c1.Y - p0.Y) + std::hypot(c2.X - c1.X, c2.Y - c1.Y) +
                       std::hypot(p3.X - c2.X, p3.Y - c2.Y);
    const int n = int(std::clamp(Finite(len, 0) / 3, 1.0, 64.0));
    for (int i = 1; i <= n; ++i) {
        const double t = double(i) / n, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        out.push_back({a * p0.X + b * c1.X + c * c2.X + d * p3.X, a * p0.Y + b * c1.Y + c * c2.Y + d * p3.Y});
    }
}
}  // namespace

void TMetaDevice::Bezier(const std::vector<TPointD>& points, bool fromCurrent) {
    std::vector<TPointD> ctl;
    if (fromCurrent) ctl.push_back(St.Pos);
    ctl.insert(ctl.end(), points.begin(), points.end());
    if (ctl.size() < 4) return;
    for (TPointD& p : ctl) p = Out(p);
    std::vector<TPointD> flat{ctl[0]};
    for (size_t i = 1; i + 2 < ctl.size(); i += 3) FlattenCubic(flat, ctl[i - 1], ctl[i], ctl[i + 1], ctl[i + 2]);
    if (fromCurrent && !points.empty()) St.Pos = points[((points.size()) / 3) * 3 - 1];
    if (FInPath) {
        if (FPathPoints + flat.size() > MetafileMaxPathPoints) return;
        FPathPoints += flat.size();
        if (fromCurrent && FFigureOpen && !FPath.empty()) {
            FPath.back().Points.insert(FPath.back().Points.end(), flat.begin() + 1, flat.end());
        } else {
            FPath.push_back({std::move(flat), false});
            FFigureOpen = true;
        }
        return;
    }
    Draw({TFigure{std::move(flat), false}}, false, true);
}

std::vector<TPointD> TMetaDevice::EllipsePoints(TPointD a, TPointD b) const {
    return ArcPoints(a, b, {a.X, (a.Y + b.Y) / 2}, {a.X, (a.Y + b.Y) / 2});
}

std::vector<TPointD> TMetaDevice::ArcPoints(TPointD a, TPointD b, TPointD start, TPointD end) const {
    // Logical points of the arc; the sweep runs counter-clockwise on the output by default.
    const double cx = (a.X + b.X) / 2, cy = (a.Y + b.Y) / 2;
    const double rx = std::abs(b.X - a.X) / 2, ry = std::abs(b.Y - a.Y) / 2;
    const double t1 = std::atan2((start.Y - cy) / std::max(ry, 1e-9), (start.X - cx) / std::max(rx, 1e-9));
    double t2 = std::atan2((end.Y - cy) / std::max(ry, 1e-9), (end.X - cx) / std::max(rx, 1e-9));
    // With y growing downwards on the output, counter-clockwise is a falling parameter.
    const bool yDown = (FXformValid ? FXform.Det() : 1) > 0;
    const bool ccw = St.ArcDirection == AD_COUNTERCLOCKWISE;
    const double dir = (ccw == yDown) ? -1 : 1;
    double sweep = (t2 - t1) * dir;
    while (sweep <= 1e-9) sweep += 2 * kPi;
    while (sweep > 2 * kPi + 1e-9) sweep -= 2 * kPi;
    const int n = std::clamp(int(sweep / (2 * kPi) * 96), 4, 96);
    std::vector<TPointD> pts;
    for (int i = 0; i <= n; ++i) {
        const double t = t1 + dir * sweep * i / n;
        pts.push_back({cx + rx * std::cos(t), cy + ry * std::sin(t)});
    }
    (void)t2;
    return pts;
}

void TMetaDevice::Rectangle(TPointD a, TPointD b) {
    if (FInPath || Rotated()) {
        Polygons({{a, {b.X, a.Y}, b, {a.X, b.Y}}});
        return;
    }
    const TPoint p = OutInt(a), q = OutInt(b);
    Realize(true, true, false);
    ::Rectangle(FDc, p.X, p.Y, q.X, q.Y);
}

void TMetaDevice::RoundRect(TPointD a, TPointD b, double w, double h) {
    if (FInPath || Rotated()) {
        // Flattened: a rectangle whose corners are quarter ellipses of w x h.
        const double l = std::min(a.X, b.X), r = std::max(a.X, b.X), t = std::min(a.Y, b.Y), bt = std::max(a.Y, b.Y);
        const double rx = std::min(std::abs(w) / 2, (r - l) / 2), ry = std::min(std::abs(h) / 2, (bt - t) / 2);
        std::vector<TPointD> pts;
        const TPointD centres[4] = {{r - rx, t + ry}, {l + rx, t + ry}, {l + rx, bt - ry}, {r - rx, bt - ry}};
        for (int q = 0; q < 4; ++q)
            for (int i = 0; i <= 8; ++i) {
                const double ang = -kPi / 2 * q - kPi / 2 * i / 8;
                pts.push_back({centres[q].X + rx * std::cos(ang), centres[q].Y + ry * std::sin(ang)});
            }
        Polygons({pts});
        return;
    }
    const TPoint p = OutInt(a), q = OutInt(b);
    const TAffine& t = ToOutput();
    Realize(true, true, false);
    ::RoundRect(FDc, p.X, p.Y, q.X, q.Y, Clamp(w * std::abs(t.A)), Clamp(h * std::abs(t.D)));
}

void TMetaDevice::Ellipse(TPointD a, TPointD b) {
    if (FInPath || Rotated()) {
        ToOutput();
        std::vector<TPointD> pts = EllipsePoints(a, b);
        Polygons({pts});
        return;
    }
    const TPoint p = OutInt(a), q = OutInt(b);
    Realize(true, true, false);
    ::Ellipse(FDc, p.X, p.Y, q.X, q.Y);
}

void TMetaDevice::Arc(TArcKind kind, TPointD a, TPointD b, TPointD start, TPointD end) {
    if (FInPath || Rotated() || kind == TArcKind::ArcTo) {
        ToOutput();
        std::vector<TPointD> pts = ArcPoints(a, b, start, end);
        switch (kind) {
        case TArcKind::Arc: Polylines({pts}); break;
        case TArcKind::ArcTo: Polyline(pts, true); break;
        case TArcKind::Chord: Polygons({pts}); break;
        case TArcKind::Pie:
            pts.push_back({(a.X + b.X) / 2, (a.Y + b.Y) / 2});
            Polygons({pts});
            break;
        }
        return;
    }
    const TPoint p = OutInt(a), q = OutInt(b), s = OutInt(start), e = OutInt(end);
    Realize(true, kind != TArcKind::Arc, false);
    // The device context's direction is on the output; a mirrored axis turns it round.
    const bool flip = ToOutput().Det() < 0;
    const int dir = (St.ArcDirection == AD_COUNTERCLOCKWISE) != flip ? AD_COUNTERCLOCKWISE : AD_CLOCKWISE;
    SetArcDirection(FDc, dir);
    switch (kind) {
    case TArcKind::Arc: ::Arc(FDc, p.X, p.Y, q.X, q.Y, s.X, s.Y, e.X, e.Y); break;
    case TArcKind::Chord: ::Chord(FDc, p.X, p.Y, q.X, q.Y, s.X, s.Y, e.X, e.Y); break;
    default: ::Pie(FDc, p.X, p.Y, q.X, q.Y, s.X, s.Y, e.X, e.Y); break;
    }
}

void TMetaDevice::AngleArc(TPointD c, double radius, double start, double sweep) {
    // A line from the current position to the arc's start, then the arc (angles counter-clockwise
    // from the x axis, in degrees).
    const int n = int(std::clamp(Finite(std::abs(sweep), 0) / 360 * 96, 2.0, 96.0));
    std::vector<TPointD> pts;
    for (int i = 0; i <= n; ++i) {
        const double a = (start + sweep * i / n) * kPi / 180;
        pts.push_back({c.X + radius * std::cos(a), c.Y - radius * std::sin(a)});
    }
    Polyline(pts, true);
}

void TMetaDevice::SetPixel(TPointD p, COLORREF color) {
    const TPoint q = OutInt(p);
    ::SetPixelV(FDc, q.X, q.Y, color & 0xFFFFFF);
}

void TMetaDevice::FillRects(const std::vector<TRect>& rects, bool logical, const TMetaBrush* brush, int rop2) {
    const TMetaBrush saved = St.Brush;
    const int savedRop = St.Rop2;
    if (brush) St.Brush = *brush;
    St.Rop2 = rop2;
    const TMetaPen savedPen = St.Pen;
    St.Pen = TMetaPen{};
    St.Pen.Style = PS_NULL;
    St.Pen.Serial = NextSerial++;
    std::vector<std::vector<TPointD>> polys;
    for (const TRect& r : rects) {
        TPointD a{double(r.Left), double(r.Top)}, b{double(r.Right), double(r.Bottom)};
        if (!logical) {
            // Output rectangles are drawn as they stand.
            a = FPlacement.Map(a);
            b = FPlacement.Map(b);
            const TAffine& t = ToOutput();
            // Back to logical units is not needed: draw them straight on the device context.
            (void)t;
            std::vector<TPoint> pts{TPoint(Clamp(a.X), Clamp(a.Y)), TPoint(Clamp(b.X), Clamp(a.Y)),
                                    TPoint(Clamp(b.X), Clamp(b.Y)), TPoint(Clamp(a.X), Clamp(b.Y))};
            Realize(true, true, false);
            ::Polygon(FDc, pts.data(), 4);
            continue;
        }
        polys.push_back({a, {b.X, a.Y}, b, {a.X, b.Y}});
    }
    if (!polys.empty()) {
        const bool inPath = FInPath;
        FInPath = false;
        Polygons(polys);
        FInPath = inPath;
    }
    St.Pen = savedPen;
    St.Brush = saved;
    St.Rop2 = savedRop;
    if (brush) St.Brush.Serial = NextSerial++;
    St.Pen.Serial = NextSerial++;
}

void TMetaDevice::PatBlt(TPointD a, TPointD b, DWORD rop) {
    const TPoint p = OutInt(a), q = OutInt(b);
    Realize(false, true, false);
    ::PatBlt(FDc, std::min(p.X, q.X), std::min(p.Y, q.Y), std::abs(q.X - p.X), std::abs(q.Y - p.Y), rop);
}

void TMetaDevice::Text(TPointD p, const std::string& utf8, UINT options, const TRect* rect, bool rectLogical,
                       const std::vector<double>* dx) {
    if (FInPath) return;
    Realize(false, false, true);
    UINT align = St.TextAlign;
    TPointD at = p;
    if (align & TA_UPDATECP) at = St.Pos;
    SetTextAlign(FDc, align & ~UINT(TA_UPDATECP));
    const TPoint q = OutInt(at);
    TRect r;
    if (rect) {
        TPointD a{double(rect->Left), double(rect->Top)}, b{double(rect->Right), double(rect->Bottom)};
        a = rectLogical ? Out(a) : FPlacement.Map(a);
        b = rectLogical ? Out(b) : FPlacement.Map(b);
        r = TRect(Clamp(std::min(a.X, b.X)), Clamp(std::min(a.Y, b.Y)), Clamp(std::max(a.X, b.X)),
                  Clamp(std::max(a.Y, b.Y)));
    }
    std::vector<int> adv;
    const TAffine& t = ToOutput();
    const double sx = std::sqrt(t.A * t.A + t.B * t.B);
    if (dx && !dx->empty()) {
        // The advances are per character; ExtTextOut takes them per byte of UTF-8.
        size_t ci = 0;
        for (size_t i = 0; i < utf8.size(); ++i) {
            const bool lead = (uint8_t(utf8[i]) & 0xC0) != 0x80;
            const double v = lead && ci < dx->size() ? (*dx)[ci++] * sx : 0;
            adv.push_back(Clamp(v));
        }
    }
    ::ExtTextOut(FDc, q.X, q.Y, options & (ETO_OPAQUE | ETO_CLIPPED), rect ? &r : nullptr, utf8.data(),
                 int(utf8.size()), adv.empty() ? nullptr : adv.data());
    if (align & TA_UPDATECP) {
        double w = 0;
        if (dx)
            for (double v : *dx) w += v;
        St.Pos = {at.X + w, at.Y};
    }
}

void TMetaDevice::Bitmap(TPointD a, TPointD b, const TDecodedDib& dib, int sx, int sy, int sw, int sh, DWORD rop,
                         int alpha, int64_t key) {
    if (FInPath) return;
    // The source rectangle cut to the bitmap.
    int x0 = std::clamp(sx, 0, dib.Width), y0 = std::clamp(sy, 0, dib.Height);
    const int x1 = int(std::clamp(int64_t(sx) + sw, int64_t(0), int64_t(dib.Width)));
    const int y1 = int(std::clamp(int64_t(sy) + sh, int64_t(0), int64_t(dib.Height)));
    if (sw < 0 || sh < 0 || x1 <= x0 || y1 <= y0) return;
    const int w = x1 - x0, h = y1 - y0;
    // Where the cut source lands.
    const double fx0 = sw ? double(x0 - sx) / sw : 0, fx1 = sw ? double(x1 - sx) / sw : 1;
    const double fy0 = sh ? double(y0 - sy) / sh : 0, fy1 = sh ? double(y1 - sy) / sh : 1;
    const TPointD da{a.X + (b.X - a.X) * fx0, a.Y + (b.Y - a.Y) * fy0};
    const TPointD db{a.X + (b.X - a.X) * fx1, a.Y + (b.Y - a.Y) * fy1};
    const TPoint p = OutInt(da), q = OutInt(db);
    if (p.X == q.X || p.Y == q.Y) return;
    // Blended or keyed pixels are mixed with what is there, read back from the device context.
    const bool blend = alpha < 255 || dib.HasAlpha || key >= 0;
    std::vector<uint32_t> px(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        std::copy_n(dib.Pixels.begin() + ptrdiff_t(y0 + y) * dib.Width + x0, w, px.begin() + ptrdiff_t(y) * w);
    struct {
        BITMAPINFOHEADER h;
    } info{};
    info.h.biSize = 40;
    info.h.biWidth = w;
    info.h.biHeight = -h;
    info.h.biPlanes = 1;
    info.h.biBitCount = 32;
    info.h.biCompression = BI_RGB;
    Realize(false, true, false);
    if (!blend) {
        for (uint32_t& c : px) c &= 0xFFFFFF;
        StretchDIBits(FDc, p.X, p.Y, q.X - p.X, q.Y - p.Y, 0, 0, w, h, px.data(),
                      reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, rop);
        return;
    }
    // Scaled here to the output size (nearest pixel) and mixed pixel by pixel with the device, over
    // the part of the output that can show.
    const int ow = std::abs(q.X - p.X), oh = std::abs(q.Y - p.Y);
    const int ox = std::min(p.X, q.X), oy = std::min(p.Y, q.Y);
    const int x0c = std::max(ox, FVisibleBox.Left), x1c = std::min(ox + ow, FVisibleBox.Right);
    const int y0c = std::max(oy, FVisibleBox.Top), y1c = std::min(oy + oh, FVisibleBox.Bottom);
    if (x1c <= x0c || y1c <= y0c) return;
    const int cw = x1c - x0c, ch = y1c - y0c;
    std::vector<uint32_t> out(size_t(cw) * size_t(ch));
    for (int y = 0; y < ch; ++y) {
        int syy = int(int64_t(y + y0c - oy) * h / oh);
        if (q.Y < p.Y) syy = h - 1 - syy;
        for (int x = 0; x < cw; ++x) {
            int sxx = int(int64_t(x + x0c - ox) * w / ow);
            if (q.X < p.X) sxx = w - 1 - sxx;
            const uint32_t s = px[size_t(syy) * size_t(w) + size_t(sxx)];
            const COLORREF dref = GetPixel(FDc, x + x0c, y + y0c);
            const uint32_t d = (GetRValue(dref) << 16) | (GetGValue(dref) << 8) | GetBValue(dref);
            uint32_t r;
            if (key >= 0) {
                r = (s & 0xFFFFFF) == uint32_t(key) ? d : s;
            } else {
                // Premultiplied source over the destination, scaled by the constant alpha.
                const uint32_t sa = dib.HasAlpha ? (s >> 24) : 255;
                const uint32_t a = sa * uint32_t(alpha) / 255;
                r = 0;
                for (int sh2 = 0; sh2 < 24; sh2 += 8) {
                    const uint32_t sc = (s >> sh2) & 0xFF, dc = (d >> sh2) & 0xFF;
                    const uint32_t srcPart = dib.HasAlpha ? sc * uint32_t(alpha) / 255 : sc * a / 255;
                    r |= std::min<uint32_t>(255, srcPart + dc * (255 - a) / 255) << sh2;
                }
            }
            out[size_t(y) * size_t(cw) + size_t(x)] = r & 0xFFFFFF;
        }
    }
    info.h.biWidth = cw;
    info.h.biHeight = -ch;
    StretchDIBits(FDc, x0c, y0c, cw, ch, 0, 0, cw, ch, out.data(), reinterpret_cast<const BITMAPINFO*>(&info),
                  DIB_RGB_COLORS, SRCCOPY);
}

// ---- paths and clipping -------------------------------------------------------------------------

void TMetaDevice::BeginPath() {
    AbortPath();
    FInPath = true;
}

void TMetaDevice::AbortPath() {
    FInPath = false;
    FFigureOpen = false;
    FPath.clear();
    FPathPoints = 0;
}

void TMetaDevice::CloseFigure() {
    if (!FPath.empty() && FFigureOpen) FPath.back().Closed = true;
    FFigureOpen = false;
}

void TMetaDevice::DrawPath(bool fill, bool stroke) {
    if (fill)
        for (TFigure& f : FPath) f.Closed = true;
    Draw(FPath, fill, stroke);
    AbortPath();
}

namespace {
// The part of a polygon inside a box (each side in turn); inside the box the winding of every
// point is kept, so either fill rule gives the same area there.
std::vector<TPointD> ClipToBox(const std::vector<TPointD>& poly, double l, double t, double r, double b) {
    std::vector<TPointD> in = poly, out;
    for (int side = 0; side < 4 && !in.empty(); ++side) {
        auto inside = [&](const TPointD& p) {
            return side == 0 ? p.X >= l : side == 1 ? p.X <= r : side == 2 ? p.Y >= t : p.Y <= b;
        };
        auto cross = [&](const TPointD& p, const TPointD& q) {
            const double edge = side == 0 ? l : side == 1 ? r : side == 2 ? t : b;
            const double k = side < 2 ? (edge - p.X) / (q.X - p.X) : (edge - p.Y) / (q.Y - p.Y);
            return TPointD{p.X + (q.X - p.X) * k, p.Y + (q.Y - p.Y) * k};
        };
        out.clear();
        for (size_t i = 0; i < in.size(); ++i) {
            const TPointD& p = in[i];
            const TPointD& q = in[(i + 1) % in.size()];
            if (inside(p)) {
                out.push_back(p);
                if (!inside(q)) out.push_back(cross(p, q));
            } else if (inside(q)) {
                out.push_back(cross(p, q));
            }
        }
        std::swap(in, out);
    }
    return in;
}
}  // namespace

HRGN TMetaDevice::RegionOf(const std::vector<TFigure>& figures) {
    // Only the part over the drawing surface matters; the rest would only cost time.
    const TRect& box = FVisibleBox;
    const double l = box.Left - 2.0, t = box.Top - 2.0, r = box.Right + 2.0, b = box.Bottom + 2.0;
    std::vector<TPoint> pts;
    std::vector<int> counts;
    for (const TFigure& f : figures) {
        if (f.Points.size() < 3) continue;
        const std::vector<TPointD> part = ClipToBox(f.Points, l, t, r, b);
        if (part.size() < 3) continue;
        for (const TPointD& p : part) pts.emplace_back(Clamp(p.X) + FDcDx, Clamp(p.Y) + FDcDy);
        counts.push_back(int(part.size()));
    }
    if (counts.empty()) return CreateRectRgn(0, 0, 0, 0);
    return CreatePolyPolygonRgn(pts.data(), counts.data(), int(counts.size()), St.FillMode);
}

void TMetaDevice::SelectClip(HRGN rgn, int mode) {
    if (mode < RGN_AND || mode > RGN_COPY) mode = RGN_COPY;
    ExtSelectClipRgn(FDc, rgn, mode);
    if (FInitialClip) ExtSelectClipRgn(FDc, FInitialClip, RGN_AND);
}

void TMetaDevice::SelectClipPath(int mode) {
    HRGN r = RegionOf(FPath);
    SelectClip(r, mode);
    DeleteObject(r);
    AbortPath();
}

void TMetaDevice::IntersectClip(TPointD a, TPointD b, bool exclude) {
    std::vector<TFigure> f{TFigure{{Out(a), Out({b.X, a.Y}), Out(b), Out({a.X, b.Y})}, true}};
    HRGN r = RegionOf(f);
    if (exclude) {
        // What is visible now, less the rectangle.
        HRGN now = CreateRectRgn(0, 0, 0, 0);
        if (GetClipRgn(FDc, now) != 1) {
            DeleteObject(now);
            now = CreateRectRgn(-int(kCoordLimit), -int(kCoordLimit), int(kCoordLimit), int(kCoordLimit));
        }
        CombineRgn(now, now, r, RGN_DIFF);
        SelectClip(now, RGN_COPY);
        DeleteObject(now);
    } else {
        HRGN now = CreateRectRgn(0, 0, 0, 0);
        if (GetClipRgn(FDc, now) == 1) CombineRgn(r, r, now, RGN_AND);
        DeleteObject(now);
        SelectClip(r, RGN_COPY);
    }
    DeleteObject(r);
}

void TMetaDevice::ClipRects(const std::vector<TRect>* rects, int mode, bool logical) {
    if (!rects) {
        if (mode != RGN_COPY) return;
        SelectClipRgn(FDc, FInitialClip);
        return;
    }
    HRGN all = CreateRectRgn(0, 0, 0, 0);
    for (const TRect& r : *rects) {
        const TPointD a =
            logical ? Out({double(r.Left), double(r.Top)}) : FPlacement.Map({double(r.Left), double(r.Top)});
        const TPointD b =
            logical ? Out({double(r.Right), double(r.Bottom)}) : FPlacement.Map({double(r.Right), double(r.Bottom)});
        HRGN one = CreateRectRgn(Clamp(std::min(a.X, b.X)) + FDcDx, Clamp(std::min(a.Y, b.Y)) + FDcDy,
                                 Clamp(std::max(a.X, b.X)) + FDcDx, Clamp(std::max(a.Y, b.Y)) + FDcDy);
        CombineRgn(all, all, one, RGN_OR);
        DeleteObject(one);
    }
    SelectClip(all, mode);
    DeleteObject(all);
}

void TMetaDevice::OffsetClip(TPointD offset) {
    const TAffine& t = ToOutput();
    OffsetClipRgn(FDc, Clamp(t.A * offset.X + t.C * offset.Y), Clamp(t.B * offset.X + t.D * offset.Y));
}

}  // namespace lumora_meta

// ---- the public calls ---------------------------------------------------------------------------

using namespace lumora_meta;

TMetafileKind MetafileKindOf(const uint8_t* data, size_t size) {
    if (!data) return TMetafileKind::None;
    if (size >= 22 + 18 && LoadLE32(data) == 0x9AC6CDD7u) return TMetafileKind::Placeable;
    if (size >= 88 && LoadLE32(data) == 1 && LoadLE32(data + 40) == 0x464D4520u) return TMetafileKind::Enhanced;
    if (size >= 18 && (LoadLE16(data) == 1 || LoadLE16(data) == 2) && LoadLE16(data + 2) == 9)
        return TMetafileKind::Windows;
    return TMetafileKind::None;
}

bool MetafileBounds(const uint8_t* data, size_t size, TRect& bounds) {
    auto i16 = [&](size_t at) { return int(int16_t(LoadLE16(data + at))); };
    auto i32 = [&](size_t at) { return int32_t(LoadLE32(data + at)); };
    switch (MetafileKindOf(data, size)) {
    case TMetafileKind::Placeable:
        bounds = TRect(i16(6), i16(8), i16(10), i16(12));
        return true;
    case TMetafileKind::Enhanced:
        bounds = TRect(i32(24), i32(28), i32(32), i32(36));
        return true;
    case TMetafileKind::Windows: {
        // The first window origin and extent the records set.
        bool ext = false, hasOrg = false;
        TPoint org, size2;
        size_t at = 18;
        while (at + 6 <= size && !(ext && hasOrg)) {
            const uint64_t words = LoadLE32(data + at);
            const uint16_t fn = LoadLE16(data + at + 4);
            if (words < 3 || words * 2 > size - at || fn == 0) break;
            if (fn == 0x020B && words >= 5 && !hasOrg) {
                org = TPoint(i16(at + 8), i16(at + 6));
                hasOrg = true;
            } else if (fn == 0x020C && words >= 5 && !ext) {
                size2 = TPoint(i16(at + 8), i16(at + 6));
                ext = true;
            }
            at += size_t(words) * 2;
        }
        if (!ext) return false;
        bounds = TRect(org.X, org.Y, org.X + size2.X, org.Y + size2.Y);
        return true;
    }
    default: return false;
    }
}

bool PlayMetafileBytes(HDC dc, const TRect& rect, const uint8_t* data, size_t size) {
    const TMetafileKind kind = MetafileKindOf(data, size);
    if (kind == TMetafileKind::None || !dc) return false;
    if (rect.Width() == 0 || rect.Height() == 0) return true;
    TMetaDevice device(dc, rect);
    if (kind == TMetafileKind::Enhanced) return PlayEnhancedMetafile(device, data, size);
    return PlayWindowsMetafile(device, data, size);
}
