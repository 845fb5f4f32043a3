// Fonts and text output: the Windows font names mapped to installed fonts, text metrics,
// TextOut/ExtTextOut and DrawText with its formatting flags.

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QStringList>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

#include "framework/backend.h"
#include "framework/graphics.h"
#include "framework/qt/gdi_backend.h"

using namespace lumora_gdi;

int ScreenPixelsPerInch() {
    static std::atomic<int> cached{0};
    if (int v = cached.load()) return v;
    int dpi = 96;
    if (BackendStarted()) {
        if (QScreen* s = QGuiApplication::primaryScreen()) dpi = int(std::lround(s->logicalDotsPerInchY()));
        if (dpi <= 0) dpi = 96;
        cached.store(dpi);
    }
    return dpi;
}

namespace lumora_gdi {

namespace {

std::mutex g_fontMutex;

// Windows face names and the installed families that stand in for them.
const std::map<std::string, const char*>& Substitutes() {
    static const std::map<std::string, const char*> table = {
        {"ms sans serif", "Liberation Sans"},
        {"microsoft sans serif", "Liberation Sans"},
        {"ms shell dlg", "Liberation Sans"},
        {"ms shell dlg 2", "Liberation Sans"},
        {"tahoma", "Liberation Sans"},
        {"arial", "Liberation Sans"},
        {"helv", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},
        {"system", "Liberation Sans"},
        {"small fonts", "Liberation Sans"},
        {"segoe ui", "Liberation Sans"},
        {"trebuchet ms", "Liberation Sans"},
        {"comic sans ms", "Liberation Sans"},
        {"arial narrow", "Liberation Sans Narrow"},
        {"verdana", "DejaVu Sans"},
        {"lucida sans unicode", "DejaVu Sans"},
        {"marlett", "DejaVu Sans"},
        {"wingdings", "DejaVu Sans"},
        {"symbol", "DejaVu Sans"},
        {"times new roman", "Liberation Serif"},
        {"times", "Liberation Serif"},
        {"ms serif", "Liberation Serif"},
        {"tms rmn", "Liberation Serif"},
        {"georgia", "Liberation Serif"},
        {"book antiqua", "Liberation Serif"},
        {"garamond", "Liberation Serif"},
        {"courier new", "Liberation Mono"},
        {"courier", "Liberation Mono"},
        {"fixedsys", "Liberation Mono"},
        {"terminal", "Liberation Mono"},
        {"lucida console", "Liberation Mono"},
        {"consolas", "Liberation Mono"},
    };
    return table;
}

bool FamilyInstalled(const QString& family) {
    static std::map<QString, bool> known;
    auto it = known.find(family);
    if (it != known.end()) return it->second;
    const bool ok = QFontDatabase::families().contains(family, Qt::CaseInsensitive);
    known[family] = ok;
    return ok;
}

}  // namespace

QString SubstituteFontName(const std::string& name, int pitch) {
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    const auto& t = Substitutes();
    auto it = t.find(key);
    QString fam = it != t.end() ? QString::fromLatin1(it->second) : QString::fromUtf8(name.c_str());
    if (fam.isEmpty() || !FamilyInstalled(fam))
        fam = (pitch & 3) == FIXED_PITCH ? QStringLiteral("Liberation Mono") : QStringLiteral("Liberation Sans");
    if (!FamilyInstalled(fam))
        fam = (pitch & 3) == FIXED_PITCH ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans");
    return fam;
}

std::shared_ptr<FontEngine> EngineOf(HFONT__* f) {
    std::lock_guard<std::mutex> lock(g_fontMutex);
    if (f->engine) return f->engine;
    EnsureBackend();
    const LOGFONT& lf = f->lf;
    auto fe = std::make_shared<FontEngine>();
    QFont font(SubstituteFontName(lf.lfFaceName, lf.lfPitchAndFamily));
    font.setWeight(QFont::Weight(std::clamp(lf.lfWeight ? int(lf.lfWeight) : FW_NORMAL, 1, 1000)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    font.setKerning(false);
    if ((lf.lfPitchAndFamily & 3) == FIXED_PITCH) font.setStyleHint(QFont::Monospace);
    if (lf.lfQuality == NONANTIALIASED_QUALITY) font.setStyleStrategy(QFont::NoAntialias);
    int px = 12;
    if (lf.lfHeight < 0) {
        px = -lf.lfHeight;
    } else if (lf.lfHeight > 0) {
        // A positive height is the cell height: find the character size whose cell fits it.
        px = lf.lfHeight;
        font.setPixelSize(px);
        int cell = QFontMetrics(font).height();
        if (cell > 0) px = std::max(1, int(std::lround(double(lf.lfHeight) * px / cell)));
        for (int i = 0; i < 4; ++i) {
            font.setPixelSize(px);
            cell = QFontMetrics(font).height();
            if (cell > lf.lfHeight && px > 1) --px;
            else break;
        }
    }
    font.setPixelSize(std::max(1, px));
    if (lf.lfWidth > 0) {
        const int avg = QFontMetrics(font).averageCharWidth();
        if (avg > 0) font.setStretch(std::clamp(int(lf.lfWidth * 100 / avg), 1, 4000));
    }
    QFontMetrics fm(font);
    fe->font = font;
    fe->ascent = fm.ascent();
    fe->descent = fm.descent();
    fe->height = fe->ascent + fe->descent;
    fe->internalLeading = std::max(0, fe->height - font.pixelSize());
    fe->externalLeading = std::max(0, fm.leading());
    fe->aveCharWidth = fm.averageCharWidth();
    fe->maxCharWidth = fm.maxWidth();
    fe->weight = lf.lfWeight ? int(lf.lfWeight) : FW_NORMAL;
    fe->escapement = lf.lfEscapement;
    f->engine = fe;
    return fe;
}

int TextWidthOf(const FontEngine& fe, const std::string& text) {
    if (text.empty()) return 0;
    return QFontMetrics(fe.font).horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

namespace {

QTransform CellTransform(const FontEngine& fe, int x, int y) {
    QTransform t;
    t.translate(x, y);
    if (fe.escapement) t.rotate(-fe.escapement / 10.0);
    return t;
}

}  // namespace

void RenderText(HDC__* dc, const FontEngine& fe, int x, int y, const std::string& text, const QRegion* clip,
                const int* dx) {
    if (text.empty()) return;
    const QString qs = QString::fromUtf8(text.data(), qsizetype(text.size()));
    QFontMetrics fm(fe.font);
    int w = 0;
    if (dx) {
        for (qsizetype i = 0; i < qs.size(); ++i) w += dx[i];
    } else {
        w = fm.horizontalAdvance(qs);
    }
    const int margin = fe.height + 2;
    const QTransform t = CellTransform(fe, x, y);
    QRect box = t.mapRect(QRectF(-margin, -margin, w + 2 * margin, fe.height + 2 * margin)).toAlignedRect();
    QRegion area = dc->Visible();
    if (clip) area &= *clip;
    box &= area.boundingRect();
    if (box.isEmpty()) return;
    QImage mask(box.size(), QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::TextAntialiasing, !(fe.font.styleStrategy() & QFont::NoAntialias));
        p.setFont(fe.font);
        p.setPen(Qt::white);
        QTransform tt = t;
        tt *= QTransform::fromTranslate(-box.left(), -box.top());
        p.setTransform(tt);
        if (dx) {
            int at = 0;
            for (qsizetype i = 0; i < qs.size(); ++i) {
                p.drawText(QPointF(at, fe.ascent), QString(qs[i]));
                at += dx[i];
            }
        } else {
            p.drawText(QPointF(0, fe.ascent), qs);
        }
    }
    if (clip) {
        // Remove coverage outside the extra clip.
        const QRegion outside = QRegion(box) - (*clip & box);
        for (const QRect& r : outside)
            for (int yy = r.top(); yy <= r.bottom(); ++yy)
                std::memset(mask.scanLine(yy - box.top()) + (r.left() - box.left()), 0, size_t(r.width()));
    }
    Paint paint = SolidPaint(RgbOf(dc->st.text));
    if (dc->surface().fmt == PixFmt::Mono) paint.ToMonochrome();
    CompositeMask(dc, mask, box.topLeft(), paint, nullptr, R2_COPYPEN, Coverage::Blend);
}

}  // namespace lumora_gdi

namespace {

FontEngine& DCFont(HDC__* d, std::shared_ptr<FontEngine>& hold) {
    HFONT__* f = d->st.font.get();
    hold = EngineOf(f ? f : static_cast<HFONT__*>(FromHandle(GetStockObject(SYSTEM_FONT))));
    return *hold;
}

std::string Slice(const char* text, int count) {
    if (!text) return {};
    return count < 0 ? std::string(text) : std::string(text, size_t(count));
}

// Fills the text cell (rotated with the font) with the background colour.
void FillCell(HDC__* d, const FontEngine& fe, int x, int y, int w, const QRegion* clip) {
    const QTransform t = CellTransform(fe, x, y);
    QRegion cell;
    if (fe.escapement) cell = QRegion(t.map(QPolygon(QRect(0, 0, w, fe.height))), Qt::OddEvenFill);
    else cell = QRegion(x, y, w, fe.height);
    if (clip) cell &= *clip;
    Paint bk = SolidPaint(RgbOf(d->st.bk));
    FillDeviceRegion(d, cell, bk, R2_COPYPEN);
}

}  // namespace

bool ExtTextOut(HDC dc, int x, int y, UINT options, const TRect* rect, const char* text, int count, const int* dx) {
    HDC__* d = DC(dc);
    if (!d) return false;
    std::shared_ptr<FontEngine> hold;
    const FontEngine& fe = DCFont(d, hold);
    const std::string s = Slice(text, count);
    const UINT align = d->st.textAlign;
    if (align & TA_UPDATECP) {
        x = d->st.pos.X;
        y = d->st.pos.Y;
    }
    int w = 0;
    if (dx) {
        const QString qs = QString::fromUtf8(s.data(), qsizetype(s.size()));
        for (qsizetype i = 0; i < qs.size(); ++i) w += dx[i];
    } else {
        w = TextWidthOf(fe, s);
    }
    // Reference point to the cell's top-left corner, along the text's direction.
    double ox = 0, oy = 0;
    if ((align & TA_CENTER) == TA_CENTER) ox = -w / 2;
    else if (align & TA_RIGHT) ox = -w;
    if ((align & TA_BASELINE) == TA_BASELINE) oy = -fe.ascent;
    else if (align & TA_BOTTOM) oy = -fe.height;
    const QPointF off = CellTransform(fe, 0, 0).map(QPointF(ox, oy));
    const int cx = x + d->dx() + int(std::lround(off.x()));
    const int cy = y + d->dy() + int(std::lround(off.y()));
    QRegion clipRgn;
    const QRegion* clip = nullptr;
    if (rect) {
        const QRect r(rect->Left + d->dx(), rect->Top + d->dy(), rect->Right - rect->Left, rect->Bottom - rect->Top);
        if (options & ETO_OPAQUE) FillDeviceRect(d, r, SolidPaint(RgbOf(d->st.bk)), R2_COPYPEN);
        if (options & ETO_CLIPPED) {
            clipRgn = QRegion(r);
            clip = &clipRgn;
        }
    }
    if (!(options & ETO_OPAQUE) && d->st.bkMode == OPAQUE && w > 0) FillCell(d, fe, cx, cy, w, clip);
    RenderText(d, fe, cx, cy, s, clip, dx);
    if (align & TA_UPDATECP) d->st.pos.X += (align & TA_RIGHT) ? 0 : w;
    return true;
}

bool TextOut(HDC dc, int x, int y, const char* text, int count) {
    return ExtTextOut(dc, x, y, 0, nullptr, text, count, nullptr);
}

bool GetTextExtentPoint32(HDC dc, const char* text, int count, TSize* size) {
    HDC__* d = DC(dc);
    if (!d || !size) return false;
    std::shared_ptr<FontEngine> hold;
    const FontEngine& fe = DCFont(d, hold);
    size->cx = TextWidthOf(fe, Slice(text, count));
    size->cy = fe.height;
    return true;
}

bool GetTextMetrics(HDC dc, TEXTMETRIC* tm) {
    HDC__* d = DC(dc);
    if (!d || !tm) return false;
    std::shared_ptr<FontEngine> hold;
    const FontEngine& fe = DCFont(d, hold);
    *tm = TEXTMETRIC();
    tm->tmHeight = fe.height;
    tm->tmAscent = fe.ascent;
    tm->tmDescent = fe.descent;
    tm->tmInternalLeading = fe.internalLeading;
    tm->tmExternalLeading = fe.externalLeading;
    tm->tmAveCharWidth = fe.aveCharWidth;
    tm->tmMaxCharWidth = fe.maxCharWidth;
    tm->tmWeight = fe.weight;
    tm->tmOverhang = 0;
    tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = ScreenPixelsPerInch();
    HFONT__* f = d->st.font.get();
    if (f) {
        tm->tmItalic = f->lf.lfItalic;
        tm->tmUnderlined = f->lf.lfUnderline;
        tm->tmStruckOut = f->lf.lfStrikeOut;
        tm->tmPitchAndFamily = (f->lf.lfPitchAndFamily & 3) == FIXED_PITCH ? 0 : 1;  // set bit: variable pitch
        tm->tmCharSet = f->lf.lfCharSet;
    }
    return true;
}

int GetTextFace(HDC dc, int count, char* faceName) {
    HDC__* d = DC(dc);
    if (!d || !d->st.font) return 0;
    const char* name = d->st.font->lf.lfFaceName;
    const int len = int(std::strlen(name));
    if (!faceName) return len + 1;
    if (count <= 0) return 0;
    const int n = std::min(len, count - 1);
    std::memcpy(faceName, name, size_t(n));
    faceName[n] = 0;
    return n;
}

// ---------------------------------------------------------------------------------------------
// DrawText

namespace {

struct TextLayout {
    const FontEngine& fe;
    QFontMetrics fm;
    int tabWidth;
    bool expandTabs;
    explicit TextLayout(const FontEngine& f, int tab, bool expand)
        : fe(f), fm(f.font), tabWidth(tab), expandTabs(expand) {}

    // Width of a line with tabs stopping at multiples of the tab width.
    int Width(const QString& s) const {
        if (!expandTabs || !s.contains('\t')) return fm.horizontalAdvance(s);
        int x = 0;
        qsizetype start = 0;
        for (;;) {
            const qsizetype tab = s.indexOf('\t', start);
            x += fm.horizontalAdvance(s.mid(start, tab < 0 ? -1 : tab - start));
            if (tab < 0) break;
            x = tabWidth > 0 ? (x / tabWidth + 1) * tabWidth : x;
            start = tab + 1;
        }
        return x;
    }
};

struct Line {
    QString text;
    qsizetype start = 0;  // offset in the prefix-free text, -1 when changed by an ellipsis
};

// Greedy word wrapping of one paragraph into lines that fit the width.
void WrapParagraph(const TextLayout& lay, const QString& para, qsizetype base, int width, std::vector<Line>& out) {
    if (para.isEmpty()) {
        out.push_back({QString(), base});
        return;
    }
    auto isSpace = [](QChar c) { return c == ' ' || c == '\t'; };
    qsizetype lineStart = 0;
    qsizetype i = 0;
    const qsizetype n = para.size();
    while (lineStart < n) {
        qsizetype lastFit = -1;  // end (exclusive) of the last word that fits
        i = lineStart;
        while (i < n) {
            qsizetype e = i;
            while (e < n && isSpace(para[e])) ++e;
            while (e < n && !isSpace(para[e])) ++e;
            QString candidate = para.mid(lineStart, e - lineStart);
            while (!candidate.isEmpty() && isSpace(candidate.back())) candidate.chop(1);
            if (lay.Width(candidate) <= width || lastFit < 0) {
                lastFit = e;
                i = e;
                if (lay.Width(candidate) > width) break;  // a lone word wider than the line
            } else {
                break;
            }
        }
        QString text = para.mid(lineStart, lastFit - lineStart);
        while (!text.isEmpty() && isSpace(text.back())) text.chop(1);
        out.push_back({text, base + lineStart});
        lineStart = lastFit;
        while (lineStart < n && isSpace(para[lineStart])) ++lineStart;
    }
}

QString EllipsizeEnd(const TextLayout& lay, const QString& s, int width) {
    const QString dots = QStringLiteral("...");
    QString t = s;
    while (!t.isEmpty() && lay.Width(t + dots) > width) t.chop(1);
    return t + dots;
}

QString EllipsizePath(const TextLayout& lay, const QString& s, int width) {
    const QString dots = QStringLiteral("...");
    const qsizetype slash = std::max(s.lastIndexOf('/'), s.lastIndexOf('\\'));
    if (slash <= 0) return EllipsizeEnd(lay, s, width);
    const QString tail = s.mid(slash);
    QString head = s.left(slash);
    while (!head.isEmpty() && lay.Width(head + dots + tail) > width) head.chop(1);
    if (head.isEmpty() && lay.Width(dots + tail) > width) return EllipsizeEnd(lay, dots + tail, width);
    return head + dots + tail;
}

}  // namespace

int DrawText(HDC dc, const char* text, int count, TRect* rect, UINT format) {
    HDC__* d = DC(dc);
    if (!d || !rect) return 0;
    std::shared_ptr<FontEngine> hold;
    const FontEngine& fe = DCFont(d, hold);
    const std::string src = Slice(text, count);
    int tabChars = 8;
    if (format & DT_TABSTOP) {
        tabChars = int((format >> 8) & 0xFF);
        format &= ~0xFF00u;
        format |= DT_TABSTOP;
    }
    const bool single = format & DT_SINGLELINE;
    const bool expand = format & DT_EXPANDTABS;
    TextLayout lay(fe, tabChars * std::max(1, fe.aveCharWidth), expand);
    const int lineH = fe.height + ((format & DT_EXTERNALLEADING) ? fe.externalLeading : 0);

    // Prefix characters: "&x" underlines x, "&&" is a literal ampersand.
    QString raw = QString::fromUtf8(src.data(), qsizetype(src.size()));
    QString plain;
    qsizetype underline = -1;
    if (format & DT_NOPREFIX) {
        plain = raw;
    } else {
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] == '&') {
                if (i + 1 < raw.size() && raw[i + 1] == '&') {
                    plain += '&';
                    ++i;
                } else if (i + 1 < raw.size()) {
                    if (underline < 0) underline = plain.size();
                }
                continue;
            }
            plain += raw[i];
        }
    }
    if (!expand) plain.replace('\t', ' ');

    const int width = rect->Right - rect->Left;
    std::vector<Line> lines;
    if (single) {
        QString s = plain;
        s.remove('\r');
        s.remove('\n');
        lines.push_back({s, 0});
    } else {
        qsizetype start = 0;
        for (qsizetype i = 0; i <= plain.size(); ++i) {
            const bool end = i == plain.size();
            if (!end && plain[i] != '\r' && plain[i] != '\n') continue;
            const QString para = plain.mid(start, i - start);
            if (format & DT_WORDBREAK) WrapParagraph(lay, para, start, width, lines);
            else lines.push_back({para, start});
            if (!end && plain[i] == '\r' && i + 1 < plain.size() && plain[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) {
        for (Line& l : lines) {
            if (lay.Width(l.text) <= width) continue;
            l.text = (format & DT_PATH_ELLIPSIS) ? EllipsizePath(lay, l.text, width) : EllipsizeEnd(lay, l.text, width);
            l.start = -1;
        }
    }

    int maxW = 0;
    for (const Line& l : lines) maxW = std::max(maxW, lay.Width(l.text));
    const int total = src.empty() ? 0 : int(lines.size()) * lineH;
    if (format & DT_CALCRECT) {
        rect->Right = rect->Left + (src.empty() ? 0 : maxW);
        rect->Bottom = rect->Top + total;
        return total;
    }
    if (src.empty()) return 0;

    int y = rect->Top;
    if (single) {
        if (format & DT_VCENTER) y = rect->Top + (rect->Bottom - rect->Top - lineH) / 2;
        else if (format & DT_BOTTOM) y = rect->Bottom - lineH;
    }
    const int result = single && (format & (DT_VCENTER | DT_BOTTOM)) ? y - rect->Top + lineH : total;
    QRegion clipRgn;
    const QRegion* clip = nullptr;
    if (!(format & DT_NOCLIP)) {
        clipRgn = QRegion(rect->Left + d->dx(), rect->Top + d->dy(), width, rect->Bottom - rect->Top);
        clip = &clipRgn;
    }
    Paint ink = SolidPaint(RgbOf(d->st.text));
    if (d->surface().fmt == PixFmt::Mono) ink.ToMonochrome();
    for (const Line& l : lines) {
        const int lw = lay.Width(l.text);
        int x = rect->Left;
        if (format & DT_CENTER) x = rect->Left + (width - lw) / 2;
        else if (format & DT_RIGHT) x = rect->Right - lw;
        const int dxp = x + d->dx(), dyp = y + d->dy();
        if (d->st.bkMode == OPAQUE && lw > 0 && !(format & DT_PREFIXONLY)) {
            QRegion cell(dxp, dyp, lw, fe.height);
            if (clip) cell &= *clip;
            FillDeviceRegion(d, cell, SolidPaint(RgbOf(d->st.bk)), R2_COPYPEN);
        }
        if (!(format & DT_PREFIXONLY)) {
            // Tab-separated pieces at their tab stops.
            qsizetype start = 0;
            int at = 0;
            for (;;) {
                const qsizetype tab = expand ? l.text.indexOf('\t', start) : -1;
                const QString piece = l.text.mid(start, tab < 0 ? -1 : tab - start);
                RenderText(d, fe, dxp + at, dyp, piece.toStdString(), clip);
                at += lay.fm.horizontalAdvance(piece);
                if (tab < 0) break;
                at = lay.tabWidth > 0 ? (at / lay.tabWidth + 1) * lay.tabWidth : at;
                start = tab + 1;
            }
        }
        if (underline >= 0 && l.start >= 0 && !(format & DT_HIDEPREFIX) && underline >= l.start &&
            underline < l.start + l.text.size()) {
            const qsizetype k = underline - l.start;
            const int ux = lay.Width(l.text.left(k));
            const int uw = lay.fm.horizontalAdvance(l.text.mid(k, 1));
            QRegion ul(dxp + ux, dyp + fe.ascent + 1, std::max(1, uw), 1);
            if (clip) ul &= *clip;
            FillDeviceRegion(d, ul, ink, R2_COPYPEN);
        }
        y += lineH;
    }
    return result;
}

int DrawText(HDC dc, const std::string& text, TRect* rect, UINT format) {
    return DrawText(dc, text.data(), int(text.size()), rect, format);
}
