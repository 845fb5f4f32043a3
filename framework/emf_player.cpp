// The enhanced metafile records. Each is read through the record's checked reader; a count is
// trusted only as far as the record holds its entries, and bitmaps only where their header and
// rows lie inside the record.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/byte_order.h"
#include "framework/metafile_player_internal.h"

namespace lumora_meta {

namespace {

enum : uint32_t {
    EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_SETBRUSHORGEX = 13,
    EMR_EOF = 14, EMR_SETPIXELV = 15, EMR_SETMAPPERFLAGS = 16, EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19, EMR_SETROP2 = 20, EMR_SETSTRETCHBLTMODE = 21, EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_OFFSETCLIPRGN = 26, EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30, EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32, EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40, EMR_ANGLEARC = 41, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44,
    EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47, EMR_CREATEPALETTE = 49, EMR_LINETO = 54, EMR_ARCTO = 55,
    EMR_POLYDRAW = 56, EMR_SETARCDIRECTION = 57, EMR_BEGINPATH = 59, EMR_ENDPATH = 60, EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62, EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64, EMR_FLATTENPATH = 65,
    EMR_WIDENPATH = 66, EMR_SELECTCLIPPATH = 67, EMR_ABORTPATH = 68, EMR_GDICOMMENT = 70, EMR_FILLRGN = 71,
    EMR_FRAMERGN = 72, EMR_INVERTRGN = 73, EMR_PAINTRGN = 74, EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77, EMR_MASKBLT = 78, EMR_PLGBLT = 79, EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86, EMR_POLYLINE16 = 87, EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90, EMR_POLYPOLYGON16 = 91, EMR_POLYDRAW16 = 92, EMR_CREATEMONOBRUSH = 93,
    EMR_CREATEDIBPATTERNBRUSHPT = 94, EMR_EXTCREATEPEN = 95, EMR_ALPHABLEND = 114, EMR_TRANSPARENTBLT = 116,
    EMR_GRADIENTFILL = 118,
};

constexpr uint32_t kStock = 0x80000000u;

// The size of a record's fixed fields (0: no fixed part beyond type and size); shorter records are
// skipped.
uint32_t FixedSize(uint32_t type) {
    switch (type) {
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
    case EMR_POLYDRAW: case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: case EMR_POLYDRAW16: return 28;
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: return 32;
    case EMR_SETWINDOWEXTEX: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTEXTEX: case EMR_SETVIEWPORTORGEX:
    case EMR_OFFSETCLIPRGN: case EMR_MOVETOEX: case EMR_LINETO: return 16;
    case EMR_SETPIXELV: return 20;
    case EMR_SETMAPMODE: case EMR_SETBKMODE: case EMR_SETPOLYFILLMODE: case EMR_SETROP2: case EMR_SETSTRETCHBLTMODE:
    case EMR_SETTEXTALIGN: case EMR_SETTEXTCOLOR: case EMR_SETBKCOLOR: case EMR_RESTOREDC: case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT: case EMR_SETARCDIRECTION: case EMR_SELECTCLIPPATH: case EMR_CREATEPALETTE: return 12;
    case EMR_EXCLUDECLIPRECT: case EMR_INTERSECTCLIPRECT: case EMR_SCALEVIEWPORTEXTEX: case EMR_SCALEWINDOWEXTEX:
    case EMR_ELLIPSE: case EMR_RECTANGLE: case EMR_CREATEBRUSHINDIRECT: return 24;
    case EMR_SETWORLDTRANSFORM: case EMR_ROUNDRECT: case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_FILLRGN: return 32;
    case EMR_MODIFYWORLDTRANSFORM: return 36;
    case EMR_CREATEPEN: case EMR_ANGLEARC: case EMR_PAINTRGN: case EMR_INVERTRGN: return 28;
    case EMR_ARC: case EMR_ARCTO: case EMR_CHORD: case EMR_PIE: return 40;
    case EMR_EXTSELECTCLIPRGN: return 16;
    case EMR_EXTCREATEPEN: return 52;
    case EMR_EXTCREATEFONTINDIRECTW: return 104;
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: return 76;
    case EMR_SETDIBITSTODEVICE: return 76;
    case EMR_STRETCHDIBITS: return 80;
    case EMR_BITBLT: return 100;
    case EMR_STRETCHBLT: case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT: return 108;
    case EMR_MASKBLT: return 128;
    case EMR_GRADIENTFILL: return 36;
    default: return 0;
    }
}

class TEmfPlayer {
public:
    explicit TEmfPlayer(TMetaDevice& d) : D(d) {}
    bool Play(const uint8_t* data, size_t size);

private:
    void Record(uint32_t type, TRecord& r);
    TPointD Pt32(TRecord& r, uint64_t at) { return {double(r.I32(at)), double(r.I32(at + 4))}; }
    TPointD Pt16(TRecord& r, uint64_t at) { return {double(r.I16(at)), double(r.I16(at + 2))}; }
    // The count at CountAt and that many points from PointsAt, or none when the record is short.
    std::vector<TPointD> Points(TRecord& r, uint64_t countAt, uint64_t pointsAt, bool small);
    std::vector<std::vector<TPointD>> PolyPoints(TRecord& r, bool small);
    TMetaObject* Object(uint32_t index);
    void Store(uint32_t index, TMetaObject o);
    void Select(uint32_t index);
    bool Region(TRecord& r, uint64_t sizeAt, uint64_t dataAt, std::vector<TRect>& rects);
    bool Dib(TRecord& r, uint64_t offBmi, uint64_t offBits, TDecodedDib& dib);
    void Text(TRecord& r, bool wide);
    void Gradient(TRecord& r);

    TMetaDevice& D;
};

std::vector<TPointD> TEmfPlayer::Points(TRecord& r, uint64_t countAt, uint64_t pointsAt, bool small) {
    const uint64_t n = r.U32(countAt), each = small ? 4 : 8;
    std::vector<TPointD> pts;
    if (n == 0 || !r.Has(pointsAt, n * each)) return pts;
    pts.reserve(size_t(n));
    for (uint64_t i = 0; i < n; ++i) pts.push_back(small ? Pt16(r, pointsAt + i * 4) : Pt32(r, pointsAt + i * 8));
    return pts;
}

std::vector<std::vector<TPointD>> TEmfPlayer::PolyPoints(TRecord& r, bool small) {
    const uint64_t polys = r.U32(24), total = r.U32(28), each = small ? 4 : 8;
    std::vector<std::vector<TPointD>> all;
    if (!r.Has(32, polys * 4)) return all;
    uint64_t at = 32 + polys * 4, used = 0;
    if (!r.Has(at, total * each)) return all;
    for (uint64_t k = 0; k < polys; ++k) {
        const uint64_t n = r.U32(32 + 4 * k);
        if (n > total - used) return {};
        used += n;
        std::vector<TPointD> pts;
        pts.reserve(size_t(n));
        for (uint64_t i = 0; i < n; ++i, at += each) pts.push_back(small ? Pt16(r, at) : Pt32(r, at));
        all.push_back(std::move(pts));
    }
    return all;
}

TMetaObject* TEmfPlayer::Object(uint32_t index) {
    if (index == 0 || index >= D.Objects.size() || D.Objects[index].Kind == TMetaObject::Kind::Empty) return nullptr;
    return &D.Objects[index];
}

void TEmfPlayer::Store(uint32_t index, TMetaObject o) {
    // Index 0 stands for the metafile itself.
    if (index == 0 || index >= D.Objects.size()) return;
    D.Objects[index] = std::move(o);
}

void TEmfPlayer::Select(uint32_t index) {
    TMetaState& st = D.St;
    if (index & kStock) {
        const uint32_t s = index & ~kStock;
        if (s <= NULL_BRUSH || s == 18) {
            static const COLORREF greys[5] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
            st.Brush = TMetaBrush{};
            st.Brush.Style = s == NULL_BRUSH ? BS_NULL : BS_SOLID;
            st.Brush.Color = s < 5 ? greys[s] : 0xFFFFFF;
            st.Brush.Serial = D.NextSerial++;
        } else if (s == WHITE_PEN || s == BLACK_PEN || s == NULL_PEN || s == 19) {
            st.Pen = TMetaPen{};
            st.Pen.Style = s == NULL_PEN ? PS_NULL : PS_SOLID;
            st.Pen.Color = s == WHITE_PEN ? 0xFFFFFF : 0;
            st.Pen.Serial = D.NextSerial++;
        } else if (s >= OEM_FIXED_FONT && s <= DEFAULT_GUI_FONT) {
            st.Font = TMetaFont{};
            std::strcpy(st.Font.Font.lfFaceName, "Arial");
            st.Font.Font.lfHeight = 12;
            st.Font.Serial = D.NextSerial++;
        }
        return;
    }
    TMetaObject* o = Object(index);
    if (!o) return;
    if (o->Kind == TMetaObject::Kind::Pen) st.Pen = o->Pen, st.Pen.Serial = D.NextSerial++;
    else if (o->Kind == TMetaObject::Kind::Brush) st.Brush = o->Brush, st.Brush.Serial = D.NextSerial++;
    else if (o->Kind == TMetaObject::Kind::Font) st.Font = o->Font, st.Font.Serial = D.NextSerial++;
}

bool TEmfPlayer::Region(TRecord& r, uint64_t sizeAt, uint64_t dataAt, std::vector<TRect>& rects) {
    const uint64_t bytes = r.U32(sizeAt);
    if (bytes < 32 || !r.Has(dataAt, bytes)) return false;
    const uint64_t n = r.U32(dataAt + 8);
    if (n > (bytes - 32) / 16) return false;
    for (uint64_t i = 0; i < n; ++i) {
        const uint64_t at = dataAt + 32 + 16 * i;
        rects.emplace_back(r.I32(at), r.I32(at + 4), r.I32(at + 8), r.I32(at + 12));
    }
    return !r.Bad();
}

bool TEmfPlayer::Dib(TRecord& r, uint64_t offAt, uint64_t bitsAt, TDecodedDib& dib) {
    const uint64_t offBmi = r.U32(offAt), cbBmi = r.U32(offAt + 4);
    const uint64_t offBits = r.U32(bitsAt), cbBits = r.U32(bitsAt + 4);
    if (cbBmi == 0 || !r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits)) return false;
    return DecodeDib(r.At(offBmi, cbBmi), size_t(cbBmi), cbBits ? r.At(offBits, cbBits) : nullptr, size_t(cbBits),
                     dib) &&
           !r.Bad();
}

void TEmfPlayer::Text(TRecord& r, bool wide) {
    // The text record: reference point, count, where the text is, options, rectangle, advances.
    const TPointD at = Pt32(r, 36);
    const uint64_t n = r.U32(44), offString = r.U32(48);
    const UINT options = r.U32(52);
    const TRect rect(r.I32(56), r.I32(60), r.I32(64), r.I32(68));
    const uint64_t offDx = r.U32(72);
    if (r.Bad()) return;
    // Glyph indexes name no characters; the opaque box is still drawn.
    const bool glyphs = (options & 0x10) != 0;
    std::string text;
    if (n > 0 && !glyphs) {
        const uint8_t* p = r.At(offString, n * (wide ? 2 : 1));
        if (!p) return;
        text = wide ? Utf16ToUtf8(p, size_t(n)) : Latin1ToUtf8(p, size_t(n));
    }
    std::vector<double> dx;
    if (!glyphs && offDx && r.Has(offDx, n * 4))
        for (uint64_t i = 0; i < n; ++i) dx.push_back(r.I32(offDx + 4 * i));
    const bool hasRect =
        (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0 && rect.Right > rect.Left && rect.Bottom > rect.Top;
    if (text.empty() && !(hasRect && (options & ETO_OPAQUE))) return;
    D.Text(at, text, options, hasRect ? &rect : nullptr, true, dx.empty() ? nullptr : &dx);
}

void TEmfPlayer::Gradient(TRecord& r) {
    // Rectangles (modes 0 and 1) are shaded in bands; triangles are filled with their mean colour.
    const uint64_t nVer = r.U32(24), nTri = r.U32(28);
    const uint32_t mode = r.U32(32);
    if (!r.Has(36, nVer * 16)) return;
    struct TVertex {
        TPointD P;
        double C[3];
    };
    std::vector<TVertex> v;
    for (uint64_t i = 0; i < nVer; ++i) {
        const uint64_t at = 36 + 16 * i;
        v.push_back({Pt32(r, at), {r.U16(at + 8) / 256.0, r.U16(at + 10) / 256.0, r.U16(at + 12) / 256.0}});
    }
    const uint64_t idxAt = 36 + nVer * 16, each = mode == 2 ? 12 : 8;
    if (nTri > 4096 || !r.Has(idxAt, nTri * each)) return;
    const TMetaBrush saved = D.St.Brush;
    auto fill = [&](const std::vector<TPointD>& poly, const double* c) {
        TMetaBrush b;
        b.Color = RGB(BYTE(std::clamp(c[0], 0.0, 255.0)), BYTE(std::clamp(c[1], 0.0, 255.0)),
                      BYTE(std::clamp(c[2], 0.0, 255.0)));
        b.Serial = D.NextSerial++;
        D.St.Brush = b;
        const TMetaPen pen = D.St.Pen;
        D.St.Pen = TMetaPen{};
        D.St.Pen.Style = PS_NULL;
        D.St.Pen.Serial = D.NextSerial++;
        D.Polygons({poly});
        D.St.Pen = pen;
        D.St.Pen.Serial = D.NextSerial++;
    };
    for (uint64_t k = 0; k < nTri; ++k) {
        const uint64_t at = idxAt + k * each;
        const uint32_t a = r.U32(at), b = r.U32(at + 4), c = mode == 2 ? r.U32(at + 8) : 0;
        if (a >= v.size() || b >= v.size() || c >= v.size()) continue;
        if (mode == 2) {
            double mean[3];
            for (int i = 0; i < 3; ++i) mean[i] = (v[a].C[i] + v[b].C[i] + v[c].C[i]) / 3;
            fill({v[a].P, v[b].P, v[c].P}, mean);
            continue;
        }
        const TPointD p = v[a].P, q = v[b].P;
        const bool horizontal = mode == 0;
        const double len = std::abs(horizontal ? q.X - p.X : q.Y - p.Y);
        const double most = double(std::max<uint64_t>(1, std::min<uint64_t>(256, 4096 / std::max<uint64_t>(1, nTri))));
        const int bands = int(std::clamp(len, 1.0, most));
        for (int i = 0; i < bands; ++i) {
            const double t0 = double(i) / bands, t1 = double(i + 1) / bands, tm = (t0 + t1) / 2;
            double col[3];
            for (int j = 0; j < 3; ++j) col[j] = v[a].C[j] + (v[b].C[j] - v[a].C[j]) * tm;
            TPointD a0 = p, b0 = q;
            if (horizontal) a0.X = p.X + (q.X - p.X) * t0, b0.X = p.X + (q.X - p.X) * t1;
            else a0.Y = p.Y + (q.Y - p.Y) * t0, b0.Y = p.Y + (q.Y - p.Y) * t1;
            fill({a0, {b0.X, a0.Y}, b0, {a0.X, b0.Y}}, col);
        }
    }
    D.St.Brush = saved;
    D.St.Brush.Serial = D.NextSerial++;
}

void TEmfPlayer::Record(uint32_t type, TRecord& r) {
    TMetaState& st = D.St;
    switch (type) {
    case EMR_POLYBEZIER:
    case EMR_POLYBEZIER16: D.Bezier(Points(r, 24, 28, type == EMR_POLYBEZIER16), false); break;
    case EMR_POLYBEZIERTO:
    case EMR_POLYBEZIERTO16: D.Bezier(Points(r, 24, 28, type == EMR_POLYBEZIERTO16), true); break;
    case EMR_POLYGON:
    case EMR_POLYGON16: {
        std::vector<TPointD> pts = Points(r, 24, 28, type == EMR_POLYGON16);
        if (!pts.empty()) D.Polygons({pts});
        break;
    }
    case EMR_POLYLINE:
    case EMR_POLYLINE16: {
        std::vector<TPointD> pts = Points(r, 24, 28, type == EMR_POLYLINE16);
        if (!pts.empty()) D.Polylines({pts});
        break;
    }
    case EMR_POLYLINETO:
    case EMR_POLYLINETO16: D.Polyline(Points(r, 24, 28, type == EMR_POLYLINETO16), true); break;
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYLINE16: D.Polylines(PolyPoints(r, type == EMR_POLYPOLYLINE16)); break;
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYGON16: D.Polygons(PolyPoints(r, type == EMR_POLYPOLYGON16)); break;
    case EMR_POLYDRAW:
    case EMR_POLYDRAW16: {
        const bool small = type == EMR_POLYDRAW16;
        std::vector<TPointD> pts = Points(r, 24, 28, small);
        const uint8_t* types = r.At(28 + pts.size() * (small ? 4 : 8), pts.size());
        if (!types) break;
        for (size_t i = 0; i < pts.size(); ++i) {
            const uint8_t t = types[i] & 0x06;
            if (t == 0x06) D.MoveTo(pts[i]);
            else if (t == 0x04 && i + 2 < pts.size()) {
                D.Bezier({pts[i], pts[i + 1], pts[i + 2]}, true);
                i += 2;
            } else D.LineTo(pts[i]);
            if (types[i] & 0x01) D.CloseFigure();
        }
        break;
    }
    case EMR_SETWINDOWEXTEX:
        st.WinExt = Pt32(r, 8);
        D.TransformChanged();
        break;
    case EMR_SETWINDOWORGEX:
        st.WinOrg = Pt32(r, 8);
        D.TransformChanged();
        break;
    case EMR_SETVIEWPORTEXTEX:
        st.VpExt = Pt32(r, 8);
        D.TransformChanged();
        break;
    case EMR_SETVIEWPORTORGEX:
        st.VpOrg = Pt32(r, 8);
        D.TransformChanged();
        break;
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: {
        const double xn = r.I32(8), xd = r.I32(12), yn = r.I32(16), yd = r.I32(20);
        if (xd == 0 || yd == 0) break;
        TPointD& e = type == EMR_SCALEVIEWPORTEXTEX ? st.VpExt : st.WinExt;
        e.X = e.X * xn / xd;
        e.Y = e.Y * yn / yd;
        D.TransformChanged();
        break;
    }
    case EMR_SETMAPMODE: {
        const int m = int(r.U32(8));
        if (m >= MM_TEXT && m <= MM_ANISOTROPIC) st.MapMode = m;
        D.TransformChanged();
        break;
    }
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: {
        TAffine x;
        x.A = r.F32(8), x.B = r.F32(12), x.C = r.F32(16), x.D = r.F32(20), x.E = r.F32(24), x.F = r.F32(28);
        const uint32_t mode = type == EMR_SETWORLDTRANSFORM ? 4 : r.U32(32);
        if (r.Bad()) break;
        if (mode == 1) st.World = TAffine{};
        else if (mode == 2) st.World = x.Then(st.World);
        else if (mode == 3) st.World = st.World.Then(x);
        else if (mode == 4) st.World = x;
        D.TransformChanged();
        break;
    }
    case EMR_SETPIXELV: D.SetPixel(Pt32(r, 8), r.U32(16)); break;
    case EMR_SETBKMODE: st.BkMode = r.U32(8) == TRANSPARENT ? TRANSPARENT : OPAQUE; break;
    case EMR_SETPOLYFILLMODE: st.FillMode = r.U32(8) == WINDING ? WINDING : ALTERNATE; break;
    case EMR_SETROP2: st.Rop2 = std::clamp<int>(int(r.U32(8)), R2_BLACK, R2_WHITE); break;
    case EMR_SETSTRETCHBLTMODE: st.StretchMode = std::clamp<int>(int(r.U32(8)), BLACKONWHITE, HALFTONE); break;
    case EMR_SETTEXTALIGN: st.TextAlign = r.U32(8) & 0x1F; break;
    case EMR_SETTEXTCOLOR: st.Text = r.U32(8) & 0xFFFFFF; break;
    case EMR_SETBKCOLOR: st.Bk = r.U32(8) & 0xFFFFFF; break;
    case EMR_SETARCDIRECTION: st.ArcDirection = r.U32(8) == AD_CLOCKWISE ? AD_CLOCKWISE : AD_COUNTERCLOCKWISE; break;
    case EMR_MOVETOEX: D.MoveTo(Pt32(r, 8)); break;
    case EMR_LINETO: D.LineTo(Pt32(r, 8)); break;
    case EMR_OFFSETCLIPRGN: D.OffsetClip(Pt32(r, 8)); break;
    case EMR_EXCLUDECLIPRECT:
    case EMR_INTERSECTCLIPRECT:
        D.IntersectClip(Pt32(r, 8), Pt32(r, 16), type == EMR_EXCLUDECLIPRECT);
        break;
    case EMR_SAVEDC: D.SaveState(); break;
    case EMR_RESTOREDC: D.RestoreState(r.I32(8)); break;
    case EMR_SELECTOBJECT: Select(r.U32(8)); break;
    case EMR_DELETEOBJECT: Store(r.U32(8), TMetaObject{}); break;
    case EMR_CREATEPEN: {
        TMetaObject o;
        o.Kind = TMetaObject::Kind::Pen;
        o.Pen.Style = r.U32(12) & (PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK);
        if ((o.Pen.Style & PS_STYLE_MASK) > PS_INSIDEFRAME) o.Pen.Style = PS_SOLID;
        o.Pen.Width = std::abs(double(r.I32(16)));
        o.Pen.Color = r.U32(24) & 0xFFFFFF;
        if (!r.Bad()) Store(r.U32(8), std::move(o));
        break;
    }
    case EMR_EXTCREATEPEN: {
        TMetaObject o;
        o.Kind = TMetaObject::Kind::Pen;
        const uint32_t style = r.U32(28);
        const bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
        o.Pen.Style = style & (PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK);
        const DWORD kind = o.Pen.Style & PS_STYLE_MASK;
        if (kind > PS_ALTERNATE) o.Pen.Style = (o.Pen.Style & ~PS_STYLE_MASK) | PS_SOLID;
        if (kind == PS_ALTERNATE) o.Pen.Style = (o.Pen.Style & ~PS_STYLE_MASK) | PS_DOT;
        o.Pen.Width = geometric ? double(r.U32(32)) : 0;
        if (r.U32(36) == BS_NULL) o.Pen.Style = PS_NULL;
        o.Pen.Color = r.U32(40) & 0xFFFFFF;
        const uint64_t n = r.U32(48);
        if (kind == PS_USERSTYLE && n > 0 && n <= 16 && r.Has(52, n * 4))
            for (uint64_t i = 0; i < n; ++i) o.Pen.Dashes.push_back(r.U32(52 + 4 * i));
        if (kind == PS_USERSTYLE && o.Pen.Dashes.empty()) o.Pen.Style &= ~PS_STYLE_MASK;
        if (!r.Bad()) Store(r.U32(8), std::move(o));
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        TMetaObject o;
        o.Kind = TMetaObject::Kind::Brush;
        const uint32_t style = r.U32(12);
        o.Brush.Style = style == BS_NULL ? BS_NULL : style == BS_HATCHED ? BS_HATCHED : BS_SOLID;
        o.Brush.Color = r.U32(16) & 0xFFFFFF;
        o.Brush.Hatch = int(std::min<uint32_t>(r.U32(20), HS_DIAGCROSS));
        if (!r.Bad()) Store(r.U32(8), std::move(o));
        break;
    }
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT: {
        TMetaObject o;
        o.Kind = TMetaObject::Kind::Brush;
        o.Brush.Color = 0x808080;
        TDecodedDib dib;
        if (Dib(r, 16, 24, dib)) {
            auto pat = std::make_shared<TPattern>();
            pat->Width = dib.Width;
            pat->Height = dib.Height;
            pat->Pixels = std::move(dib.Pixels);
            for (uint32_t& c : pat->Pixels) c &= 0xFFFFFF;
            o.Brush.Style = BS_PATTERN;
            o.Brush.Pattern = std::move(pat);
        }
        Store(r.U32(8), std::move(o));
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
        TMetaObject o;
        o.Kind = TMetaObject::Kind::Font;
        LOGFONT& lf = o.Font.Font;
        lf.lfHeight = std::clamp(r.I32(12), -100000, 100000);
        lf.lfWidth = std::clamp(r.I32(16), 0, 100000);
        lf.lfEscapement = r.I32(20) % 3600;
        lf.lfOrientation = r.I32(24) % 3600;
        lf.lfWeight = std::clamp(r.I32(28), 0, 1000);
        lf.lfItalic = r.U8(32);
        lf.lfUnderline = r.U8(33);
        lf.lfStrikeOut = r.U8(34);
        lf.lfCharSet = r.U8(35);
        lf.lfPitchAndFamily = r.U8(39);
        if (r.Has(40, 64)) {
            const std::string face = Utf16ToUtf8(r.At(40, 64), 32);
            std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
        }
        if (!r.Bad()) Store(r.U32(8), std::move(o));
        break;
    }
    case EMR_CREATEPALETTE: {
        TMetaObject o;
        o.Kind = TMetaObject::Kind::Other;
        Store(r.U32(8), std::move(o));
        break;
    }
    case EMR_ANGLEARC: D.AngleArc(Pt32(r, 8), r.U32(16), r.F32(20), r.F32(24)); break;
    case EMR_ELLIPSE: D.Ellipse(Pt32(r, 8), Pt32(r, 16)); break;
    case EMR_RECTANGLE: D.Rectangle(Pt32(r, 8), Pt32(r, 16)); break;
    case EMR_ROUNDRECT: D.RoundRect(Pt32(r, 8), Pt32(r, 16), r.I32(24), r.I32(28)); break;
    case EMR_ARC:
    case EMR_ARCTO:
    case EMR_CHORD:
    case EMR_PIE: {
        const TArcKind k = type == EMR_ARC     ? TArcKind::Arc
                           : type == EMR_ARCTO ? TArcKind::ArcTo
                           : type == EMR_CHORD ? TArcKind::Chord
                                               : TArcKind::Pie;
        D.Arc(k, Pt32(r, 8), Pt32(r, 16), Pt32(r, 24), Pt32(r, 32));
        break;
    }
    case EMR_BEGINPATH: D.BeginPath(); break;
    case EMR_ENDPATH: D.EndPath(); break;
    case EMR_CLOSEFIGURE: D.CloseFigure(); break;
    case EMR_FILLPATH: D.FillPath(); break;
    case EMR_STROKEPATH: D.StrokePath(); break;
    case EMR_STROKEANDFILLPATH: D.StrokeAndFillPath(); break;
    case EMR_ABORTPATH: D.AbortPath(); break;
    case EMR_SELECTCLIPPATH: D.SelectClipPath(int(r.U32(8))); break;
    case EMR_EXTSELECTCLIPRGN: {
        const int mode = int(r.U32(12));
        std::vector<TRect> rects;
        if (r.U32(8) == 0) D.ClipRects(nullptr, mode, false);
        else if (Region(r, 8, 16, rects)) D.ClipRects(&rects, mode, false);
        break;
    }
    case EMR_FILLRGN:
    case EMR_PAINTRGN:
    case EMR_INVERTRGN: {
        std::vector<TRect> rects;
        const bool fill = type == EMR_FILLRGN;
        if (!Region(r, 24, fill ? 32 : 28, rects)) break;
        const TMetaObject* b = fill ? Object(r.U32(28)) : nullptr;
        if (fill && (!b || b->Kind != TMetaObject::Kind::Brush)) break;
        D.FillRects(rects, true, b ? &b->Brush : nullptr,
                    type == EMR_INVERTRGN ? R2_NOT : fill ? R2_COPYPEN : st.Rop2);
        break;
    }
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT:
    case EMR_MASKBLT: {
        const TPointD a = Pt32(r, 24);
        const double w = r.I32(32), h = r.I32(36);
        const DWORD rop = r.U32(40);
        const int sx = r.I32(44), sy = r.I32(48);
        const bool stretch = type == EMR_STRETCHBLT || type == EMR_ALPHABLEND || type == EMR_TRANSPARENTBLT;
        const int sw = stretch ? r.I32(100) : int(w), sh = stretch ? r.I32(104) : int(h);
        if (r.Bad()) break;
        TDecodedDib dib;
        if (r.U32(88) == 0 && (type == EMR_BITBLT || type == EMR_STRETCHBLT)) {
            D.PatBlt(a, {a.X + w, a.Y + h}, rop);
            break;
        }
        if (!Dib(r, 84, 92, dib)) break;
        int alpha = 255;
        int64_t key = -1;
        DWORD op = type == EMR_MASKBLT ? SRCCOPY : rop;
        if (type == EMR_ALPHABLEND) {
            alpha = (rop >> 16) & 0xFF;
            if (!((rop >> 24) & 0x01)) dib.HasAlpha = false;
            op = SRCCOPY;
        } else if (type == EMR_TRANSPARENTBLT) {
            const COLORREF c = rop;
            key = int64_t((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
            op = SRCCOPY;
        } else {
            dib.HasAlpha = false;
        }
        D.Bitmap(a, {a.X + w, a.Y + h}, dib, sx, sy, sw, sh, op, alpha, key);
        break;
    }
    case EMR_STRETCHDIBITS:
    case EMR_SETDIBITSTODEVICE: {
        const bool stretch = type == EMR_STRETCHDIBITS;
        const TPointD a = Pt32(r, 24);
        const int sx = r.I32(32), sy = r.I32(36), sw = r.I32(40), sh = r.I32(44);
        const double w = stretch ? r.I32(72) : sw, h = stretch ? r.I32(76) : sh;
        const DWORD rop = stretch ? r.U32(68) : SRCCOPY;
        TDecodedDib dib;
        if (r.Bad() || !Dib(r, 48, 56, dib)) break;
        dib.HasAlpha = false;
        // Source rows count from the bottom of a bottom-up bitmap.
        const int top = dib.BottomUp ? dib.Height - sy - sh : sy;
        D.Bitmap(a, {a.X + w, a.Y + h}, dib, sx, top, sw, sh, rop, 255, -1);
        break;
    }
    case EMR_EXTTEXTOUTW:
    case EMR_EXTTEXTOUTA: Text(r, type == EMR_EXTTEXTOUTW); break;
    case EMR_GRADIENTFILL: Gradient(r); break;
    default:
        // Comments (EMF+ among them), palettes, colour management, text by glyph index and
        // records of later versions draw nothing here.
        break;
    }
}

bool TEmfPlayer::Play(const uint8_t* data, size_t size) {
    TRecord h(data, size);
    const uint64_t headerSize = h.U32(4);
    if (headerSize < 88 || headerSize > size) return false;
    const TRect bounds(h.I32(8), h.I32(12), h.I32(16), h.I32(20));
    const TRect frame(h.I32(24), h.I32(28), h.I32(32), h.I32(36));
    D.Objects.resize(std::max<size_t>(1, h.U16(56)));
    const double devX = h.I32(72), devY = h.I32(76), mmX = h.I32(80), mmY = h.I32(84);
    double pxPerMmX = 96 / 25.4, pxPerMmY = 96 / 25.4;
    if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) pxPerMmX = devX / mmX, pxPerMmY = devY / mmY;
    // The frame in reference pixels; a file without one falls back on its bounds.
    TPointD origin{std::floor(frame.Left * pxPerMmX / 100), std::floor(frame.Top * pxPerMmY / 100)};
    TPointD extent{std::ceil(frame.Right * pxPerMmX / 100) - origin.X,
                   std::ceil(frame.Bottom * pxPerMmY / 100) - origin.Y};
    if (extent.X <= 0 || extent.Y <= 0) {
        origin = {double(bounds.Left), double(bounds.Top)};
        extent = {double(bounds.Right) - bounds.Left, double(bounds.Bottom) - bounds.Top};
    }
    D.PlaceEnhanced(origin, extent, pxPerMmX, pxPerMmY);
    size_t at = size_t(headerSize);
    while (at + 8 <= size) {
        const uint32_t type = LoadLE32(data + at);
        const uint64_t n = LoadLE32(data + at + 4);
        if (n < 8 || n > size - at) break;
        if (type == EMR_EOF) break;
        TRecord r(data + at, size_t(n));
        if (type != EMR_HEADER && n >= FixedSize(type)) Record(type, r);
        at += size_t(n);
    }
    return true;
}

}  // namespace

bool PlayEnhancedMetafile(TMetaDevice& device, const uint8_t* data, size_t size) {
    TEmfPlayer p(device);
    return p.Play(data, size);
}

}  // namespace lumora_meta
