// The Windows metafile records. Parameters are stored last first; every one is read through the
// record's checked reader, so a short record reads zeros and is then left undrawn.

#include <algorithm>
#include <cstring>

#include "framework/byte_order.h"
#include "framework/metafile_player_internal.h"

namespace lumora_meta {

namespace {

enum : uint16_t {
    META_EOF = 0x0000, META_REALIZEPALETTE = 0x0035, META_SETPALENTRIES = 0x0037, META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103, META_SETROP2 = 0x0104, META_SETRELABS = 0x0105, META_SETPOLYFILLMODE = 0x0106,
    META_SETSTRETCHBLTMODE = 0x0107, META_SETTEXTCHAREXTRA = 0x0108, META_RESTOREDC = 0x0127,
    META_INVERTREGION = 0x012A, META_PAINTREGION = 0x012B, META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D, META_SETTEXTALIGN = 0x012E, META_RESIZEPALETTE = 0x0139,
    META_DIBCREATEPATTERNBRUSH = 0x0142, META_SETLAYOUT = 0x0149, META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9, META_SETBKCOLOR = 0x0201, META_SETTEXTCOLOR = 0x0209,
    META_SETTEXTJUSTIFICATION = 0x020A, META_SETWINDOWORG = 0x020B, META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D, META_SETVIEWPORTEXT = 0x020E, META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211, META_LINETO = 0x0213, META_MOVETO = 0x0214, META_OFFSETCLIPRGN = 0x0220,
    META_FILLREGION = 0x0228, META_SETMAPPERFLAGS = 0x0231, META_SELECTPALETTE = 0x0234,
    META_CREATEPALETTE = 0x00F7, META_CREATEPENINDIRECT = 0x02FA, META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC, META_POLYGON = 0x0324, META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410, META_SCALEVIEWPORTEXT = 0x0412, META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416, META_ELLIPSE = 0x0418, META_FLOODFILL = 0x0419, META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F, META_FRAMEREGION = 0x0429, META_ANIMATEPALETTE = 0x0436, META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538, META_EXTFLOODFILL = 0x0548, META_ROUNDRECT = 0x061C, META_PATBLT = 0x061D,
    META_ESCAPE = 0x0626, META_CREATEREGION = 0x06FF, META_ARC = 0x0817, META_PIE = 0x081A, META_CHORD = 0x0830,
    META_BITBLT = 0x0922, META_DIBBITBLT = 0x0940, META_EXTTEXTOUT = 0x0A32, META_STRETCHBLT = 0x0B23,
    META_DIBSTRETCHBLT = 0x0B41, META_SETDIBTODEV = 0x0D33, META_STRETCHDIB = 0x0F43,
};

constexpr size_t kMaxObjects = 65536;

class TWmfPlayer {
public:
    TWmfPlayer(TMetaDevice& d) : D(d) {}
    bool Play(const uint8_t* data, size_t size);

private:
    void Record(uint16_t fn, TRecord& r);
    // Parameter i (counted from the first stored) as a 16-bit value.
    int16_t P(TRecord& r, int i) { return r.I16(6 + 2 * uint64_t(i)); }
    TPointD Pt(TRecord& r, int yi) { return {double(P(r, yi + 1)), double(P(r, yi))}; }
    int AddObject(TMetaObject o);
    TMetaObject* Object(uint16_t index);
    std::vector<TRect> RegionRects(TRecord& r);
    void Blit(TRecord& r, uint16_t fn);

    TMetaDevice& D;
};

int TWmfPlayer::AddObject(TMetaObject o) {
    auto& t = D.Objects;
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i].Kind == TMetaObject::Kind::Empty) {
            t[i] = std::move(o);
            return int(i);
        }
    if (t.size() >= kMaxObjects) return -1;
    t.push_back(std::move(o));
    return int(t.size() - 1);
}

TMetaObject* TWmfPlayer::Object(uint16_t index) {
    if (index >= D.Objects.size() || D.Objects[index].Kind == TMetaObject::Kind::Empty) return nullptr;
    return &D.Objects[index];
}

std::vector<TRect> TWmfPlayer::RegionRects(TRecord& r) {
    // The region's scans: count, top, bottom, count / 2 pairs of left and right, count again.
    std::vector<TRect> rects;
    const int scans = r.I16(6 + 12);
    uint64_t at = 6 + 22;
    for (int s = 0; s < scans && r.Has(at, 6); ++s) {
        const int count = r.U16(at), top = r.I16(at + 2), bottom = r.I16(at + 4);
        at += 6;
        for (int i = 0; i + 1 < count && r.Has(at, 4); i += 2, at += 4)
            rects.emplace_back(r.I16(at), top, r.I16(at + 2), bottom);
        at += 2;
    }
    if (rects.empty()) rects.emplace_back(P(r, 10), P(r, 11), P(r, 12), P(r, 13));
    return rects;
}

void TWmfPlayer::Blit(TRecord& r, uint16_t fn) {
    // Stored last first: raster operation, then the source and destination boxes, then the bitmap.
    const DWORD rop = r.U32(6);
    const uint64_t words = r.Size() / 2;
    int sx = 0, sy = 0, sw = 0, sh = 0, dx, dy, dw, dh;
    uint64_t dibAt;
    if (fn == META_STRETCHDIB) {
        sh = P(r, 3), sw = P(r, 4), sy = P(r, 5), sx = P(r, 6);
        dh = P(r, 7), dw = P(r, 8), dy = P(r, 9), dx = P(r, 10);
        dibAt = 6 + 22;
    } else if (fn == META_SETDIBTODEV) {
        // usage, scans, start scan, y, x, height, width, y, x: drawn one to one.
        sy = P(r, 3), sx = P(r, 4), sh = P(r, 5), sw = P(r, 6);
        dy = P(r, 7), dx = P(r, 8);
        dw = sw, dh = sh;
        dibAt = 6 + 18;
    } else {
        const bool stretch = fn == META_DIBSTRETCHBLT || fn == META_STRETCHBLT;
        const bool withBitmap = words != uint64_t((fn >> 8) + 3);
        int i = 2;
        if (stretch) sh = P(r, i++), sw = P(r, i++);
        sy = P(r, i++), sx = P(r, i++);
        if (!withBitmap) ++i;
        dh = P(r, i++), dw = P(r, i++), dy = P(r, i++), dx = P(r, i++);
        if (!stretch) sw = dw, sh = dh;
        if (!withBitmap || fn == META_BITBLT || fn == META_STRETCHBLT) {
            // No bitmap (or an old device-dependent one): the pattern and destination only.
            D.PatBlt({double(dx), double(dy)}, {double(dx) + dw, double(dy) + dh}, rop);
            return;
        }
        dibAt = 6 + 2 * uint64_t(i);
    }
    if (r.Bad() || dibAt >= r.Size()) return;
    TDecodedDib dib;
    const uint8_t* p = r.At(dibAt, r.Size() - dibAt);
    if (!p || !DecodeDib(p, r.Size() - dibAt, nullptr, 0, dib)) return;
    // These two count source rows from the bottom of a bottom-up bitmap.
    const bool fromBottom = (fn == META_SETDIBTODEV || fn == META_STRETCHDIB) && dib.BottomUp;
    D.Bitmap({double(dx), double(dy)}, {double(dx) + dw, double(dy) + dh}, dib, sx,
             fromBottom ? dib.Height - sy - sh : sy, sw, sh, fn == META_SETDIBTODEV ? SRCCOPY : rop, 255, -1);
}

void TWmfPlayer::Record(uint16_t fn, TRecord& r) {
    TMetaState& st = D.St;
    switch (fn) {
    case META_SETBKCOLOR: st.Bk = r.U32(6) & 0xFFFFFF; break;
    case META_SETBKMODE: st.BkMode = P(r, 0) == TRANSPARENT ? TRANSPARENT : OPAQUE; break;
    case META_SETROP2: st.Rop2 = std::clamp<int>(P(r, 0), R2_BLACK, R2_WHITE); break;
    case META_SETPOLYFILLMODE: st.FillMode = P(r, 0) == WINDING ? WINDING : ALTERNATE; break;
    case META_SETSTRETCHBLTMODE: st.StretchMode = std::clamp<int>(P(r, 0), BLACKONWHITE, HALFTONE); break;
    case META_SETTEXTCOLOR: st.Text = r.U32(6) & 0xFFFFFF; break;
    case META_SETTEXTALIGN: st.TextAlign = UINT(uint16_t(P(r, 0))); break;
    case META_SETTEXTCHAREXTRA: st.CharExtra = P(r, 0); break;
    case META_SETWINDOWORG:
        st.WinOrg = Pt(r, 0);
        D.TransformChanged();
        break;
    case META_SETWINDOWEXT:
        st.WinExt = Pt(r, 0);
        D.TransformChanged();
        break;
    case META_OFFSETWINDOWORG:
        st.WinOrg.X += P(r, 1);
        st.WinOrg.Y += P(r, 0);
        D.TransformChanged();
        break;
    case META_SCALEWINDOWEXT: {
        const int xn = P(r, 3), xd = P(r, 2), yn = P(r, 1), yd = P(r, 0);
        if (xd && yd) {
            st.WinExt.X = st.WinExt.X * xn / xd;
            st.WinExt.Y = st.WinExt.Y * yn / yd;
            D.TransformChanged();
        }
        break;
    }
    case META_MOVETO: D.MoveTo(Pt(r, 0)); break;
    case META_LINETO: D.LineTo(Pt(r, 0)); break;
    case META_RECTANGLE: D.Rectangle(Pt(r, 2), Pt(r, 0)); break;
    case META_ELLIPSE: D.Ellipse(Pt(r, 2), Pt(r, 0)); break;
    case META_ROUNDRECT: D.RoundRect(Pt(r, 4), Pt(r, 2), P(r, 1), P(r, 0)); break;
    case META_ARC: D.Arc(TArcKind::Arc, Pt(r, 6), Pt(r, 4), Pt(r, 2), Pt(r, 0)); break;
    case META_PIE: D.Arc(TArcKind::Pie, Pt(r, 6), Pt(r, 4), Pt(r, 2), Pt(r, 0)); break;
    case META_CHORD: D.Arc(TArcKind::Chord, Pt(r, 6), Pt(r, 4), Pt(r, 2), Pt(r, 0)); break;
    case META_SETPIXEL: D.SetPixel(Pt(r, 2), r.U32(6)); break;
    case META_PATBLT: D.PatBlt(Pt(r, 4), {double(P(r, 5)) + P(r, 3), double(P(r, 4)) + P(r, 2)}, r.U32(6)); break;
    case META_POLYGON:
    case META_POLYLINE: {
        const int n = P(r, 0);
        if (n <= 0 || !r.Has(8, uint64_t(n) * 4)) break;
        std::vector<TPointD> pts;
        for (int i = 0; i < n; ++i) pts.push_back({double(r.I16(8 + 4 * i)), double(r.I16(10 + 4 * i))});
        if (fn == META_POLYGON) D.Polygons({pts});
        else D.Polylines({pts});
        break;
    }
    case META_POLYPOLYGON: {
        const int polys = P(r, 0);
        if (polys <= 0 || !r.Has(8, uint64_t(polys) * 2)) break;
        uint64_t at = 8 + 2 * uint64_t(polys);
        std::vector<std::vector<TPointD>> all;
        for (int k = 0; k < polys; ++k) {
            const int n = r.U16(8 + 2 * uint64_t(k));
            if (!r.Has(at, uint64_t(n) * 4)) return;
            std::vector<TPointD> pts;
            for (int i = 0; i < n; ++i, at += 4) pts.push_back({double(r.I16(at)), double(r.I16(at + 2))});
            all.push_back(std::move(pts));
        }
        D.Polygons(all);
        break;
    }
    case META_TEXTOUT: {
        const int n = P(r, 0);
        const uint64_t padded = (uint64_t(std::max(0, n)) + 1) & ~uint64_t(1);
        const uint8_t* text = r.At(8, padded);
        if (!text || n <= 0) break;
        const TPointD at{double(r.I16(8 + padded + 2)), double(r.I16(8 + padded))};
        if (r.Bad()) break;
        D.Text(at, Latin1ToUtf8(text, size_t(n)), 0, nullptr, true, nullptr);
        break;
    }
    case META_EXTTEXTOUT: {
        const TPointD at = Pt(r, 0);
        const int n = P(r, 2);
        const UINT options = uint16_t(P(r, 3));
        uint64_t pos = 14;
        TRect rect;
        const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
        if (hasRect) {
            rect = TRect(r.I16(14), r.I16(16), r.I16(18), r.I16(20));
            pos += 8;
        }
        if (n <= 0 || r.Bad()) {
            if (hasRect && !r.Bad()) D.Text(at, std::string(), options, &rect, true, nullptr);
            break;
        }
        const uint8_t* text = r.At(pos, uint64_t(n));
        if (!text) break;
        pos += (uint64_t(n) + 1) & ~uint64_t(1);
        std::vector<double> dx;
        if (r.Has(pos, uint64_t(n) * 2))
            for (int i = 0; i < n; ++i) dx.push_back(r.I16(pos + 2 * uint64_t(i)));
        D.Text(at, Latin1ToUtf8(text, size_t(n)), options, hasRect ? &rect : nullptr, true, dx.empty() ? nullptr : &dx);
        break;
    }
    case META_RESTOREDC: D.RestoreState(P(r, 0)); break;
    case META_CREATEPENINDIRECT: {
        TMetaObject o;
        o.Kind = TMetaObject::Kind::Pen;
        const int style = uint16_t(P(r, 0));
        o.Pen.Style = DWORD(style & 0xFF0F);
        if ((o.Pen.Style & PS_STYLE_MASK) > PS_INSIDEFRAME) o.Pen.Style = PS_SOLID;
        o.Pen.Width = std::abs(P(r, 1));
        o.Pen.Color = (uint32_t(uint16_t(P(r, 3))) | (uint32_t(uint16_t(P(r, 4))) << 16)) & 0xFFFFFF;
        AddObject(std::move(o));
        break;
    }
    case META_CREATEBRUSHINDIRECT: {
        TMetaObject o;
        o.Kind = TMetaObject::Kind::Brush;
        const int style = uint16_t(P(r, 0));
        o.Brush.Style = style == BS_NULL ? BS_NULL : style == BS_HATCHED ? BS_HATCHED : BS_SOLID;
        o.Brush.Color = r.U32(8) & 0xFFFFFF;
        o.Brush.Hatch = std::clamp<int>(P(r, 3), 0, 5);
        AddObject(std::move(o));
        break;
    }
    case META_DIBCREATEPATTERNBRUSH: {
        TMetaObject o;
        o.Kind = TMetaObject::Kind::Brush;
        o.Brush.Style = BS_SOLID;
        o.Brush.Color = 0x808080;
        TDecodedDib dib;
        if (r.Size() > 10 && DecodeDib(r.At(10, r.Size() - 10), r.Size() - 10, nullptr, 0, dib)) {
            auto pat = std::make_shared<TPattern>();
            pat->Width = dib.Width;
            pat->Height = dib.Height;
            pat->Pixels = std::move(dib.Pixels);
            for (uint32_t& c : pat->Pixels) c &= 0xFFFFFF;
            o.Brush.Style = BS_PATTERN;
            o.Brush.Pattern = std::move(pat);
        }
        AddObject(std::move(o));
        break;
    }
    case META_CREATEFONTINDIRECT: {
        TMetaObject o;
        o.Kind = TMetaObject::Kind::Font;
        LOGFONT& lf = o.Font.Font;
        lf.lfHeight = P(r, 0);
        lf.lfWidth = std::abs(P(r, 1));
        lf.lfEscapement = P(r, 2);
        lf.lfOrientation = P(r, 3);
        lf.lfWeight = std::clamp<int>(P(r, 4), 0, 1000);
        lf.lfItalic = r.U8(16);
        lf.lfUnderline = r.U8(17);
        lf.lfStrikeOut = r.U8(18);
        lf.lfCharSet = r.U8(19);
        lf.lfPitchAndFamily = r.U8(23);
        const size_t faceBytes = std::min<size_t>(LF_FACESIZE - 1, r.Size() > 24 ? r.Size() - 24 : 0);
        if (faceBytes) {
            const uint8_t* face = r.At(24, faceBytes);
            const std::string utf8 = Latin1ToUtf8(face, faceBytes);
            std::strncpy(lf.lfFaceName, utf8.c_str(), LF_FACESIZE - 1);
        }
        AddObject(std::move(o));
        break;
    }
    case META_CREATEREGION: {
        TMetaObject o;
        o.Kind = TMetaObject::Kind::Region;
        o.Rects = RegionRects(r);
        AddObject(std::move(o));
        break;
    }
    case META_CREATEPALETTE:
    case META_CREATEPATTERNBRUSH: {
        // They take a place in the table; a brush of an old device-dependent bitmap draws grey.
        TMetaObject o;
        o.Kind = fn == META_CREATEPALETTE ? TMetaObject::Kind::Other : TMetaObject::Kind::Brush;
        o.Brush.Color = 0x808080;
        AddObject(std::move(o));
        break;
    }
    case META_SELECTOBJECT: {
        TMetaObject* o = Object(uint16_t(P(r, 0)));
        if (!o) break;
        if (o->Kind == TMetaObject::Kind::Pen) st.Pen = o->Pen, st.Pen.Serial = D.NextSerial++;
        else if (o->Kind == TMetaObject::Kind::Brush) st.Brush = o->Brush, st.Brush.Serial = D.NextSerial++;
        else if (o->Kind == TMetaObject::Kind::Font) st.Font = o->Font, st.Font.Serial = D.NextSerial++;
        else if (o->Kind == TMetaObject::Kind::Region) D.ClipRects(&o->Rects, RGN_COPY, true);
        break;
    }
    case META_SELECTCLIPREGION: {
        TMetaObject* o = Object(uint16_t(P(r, 0)));
        if (o && o->Kind == TMetaObject::Kind::Region) D.ClipRects(&o->Rects, RGN_COPY, true);
        else D.ClipRects(nullptr, RGN_COPY, false);
        break;
    }
    case META_FILLREGION:
    case META_PAINTREGION: {
        TMetaObject* o = Object(uint16_t(P(r, 0)));
        if (!o || o->Kind != TMetaObject::Kind::Region) break;
        const TMetaObject* b = fn == META_FILLREGION ? Object(uint16_t(P(r, 1))) : nullptr;
        const TMetaBrush* brush = b && b->Kind == TMetaObject::Kind::Brush ? &b->Brush : nullptr;
        if (fn == META_FILLREGION && !brush) break;
        D.FillRects(o->Rects, true, brush, fn == META_FILLREGION ? R2_COPYPEN : st.Rop2);
        break;
    }
    case META_INVERTREGION: {
        TMetaObject* o = Object(uint16_t(P(r, 0)));
        if (o && o->Kind == TMetaObject::Kind::Region) D.FillRects(o->Rects, true, nullptr, R2_NOT);
        break;
    }
    case META_DELETEOBJECT: {
        const uint16_t i = uint16_t(P(r, 0));
        if (i < D.Objects.size()) D.Objects[i] = TMetaObject{};
        break;
    }
    case META_INTERSECTCLIPRECT: D.IntersectClip(Pt(r, 2), Pt(r, 0), false); break;
    case META_EXCLUDECLIPRECT: D.IntersectClip(Pt(r, 2), Pt(r, 0), true); break;
    case META_OFFSETCLIPRGN: D.OffsetClip(Pt(r, 0)); break;
    case META_DIBBITBLT:
    case META_DIBSTRETCHBLT:
    case META_BITBLT:
    case META_STRETCHBLT:
    case META_STRETCHDIB:
    case META_SETDIBTODEV: Blit(r, fn); break;
    default:
        // Viewport records are left out (the player owns the viewport); palettes, escapes,
        // flood fills and the rest draw nothing here.
        break;
    }
}

bool TWmfPlayer::Play(const uint8_t* data, size_t size) {
    size_t at = 0;
    if (LoadLE32(data) == 0x9AC6CDD7u) {
        const int l = int16_t(LoadLE16(data + 6)), t = int16_t(LoadLE16(data + 8));
        const int r = int16_t(LoadLE16(data + 10)), b = int16_t(LoadLE16(data + 12));
        D.St.WinOrg = {double(l), double(t)};
        D.St.WinExt = {double(r - l), double(b - t)};
        D.TransformChanged();
        at = 22;
    }
    if (size - at < 18) return false;
    const size_t headerWords = LoadLE16(data + at + 2);
    D.Objects.resize(std::min<size_t>(LoadLE16(data + at + 10), kMaxObjects));
    at += std::max<size_t>(headerWords, 9) * 2;
    while (at + 6 <= size) {
        const uint64_t words = LoadLE32(data + at);
        const uint16_t fn = LoadLE16(data + at + 4);
        if (words < 3 || words * 2 > size - at) break;
        if (fn == META_EOF) break;
        TRecord r(data + at, size_t(words) * 2);
        // The high byte of most functions is the number of their fixed parameters: a record too
        // short for them is skipped. Objects are always made, so that later indexes still match.
        const bool variable = (fn & 0xFF) >= 0xF0 || fn == META_TEXTOUT || fn == META_EXTTEXTOUT ||
                              fn == META_POLYPOLYGON || fn == META_ESCAPE;
        if (fn == 0x001E) D.SaveState();
        else if (variable || words - 3 >= uint64_t(fn >> 8)) Record(fn, r);
        at += size_t(words) * 2;
    }
    return true;
}

}  // namespace

bool PlayWindowsMetafile(TMetaDevice& device, const uint8_t* data, size_t size) {
    TWmfPlayer p(device);
    return p.Play(data, size);
}

}  // namespace lumora_meta
