#include "treelist/edit_mask.h"

#include <algorithm>

#include "framework/format_settings.h"
#include "framework/sysutils.h"

char32_t TgxEditMask::DefaultBlank = U'_';

namespace {

bool IsDigit(char32_t Ch) { return Ch >= U'0' && Ch <= U'9'; }

}  // namespace

void TgxEditMask::SetMask(const std::string& Mask) {
    FMask = Mask;
    FPositions.clear();
    FSaveLiterals = true;
    FRightAligned = false;
    FBlank = DefaultBlank;
    const std::u32string m = Utf8ToCodePoints(Mask);
    const Integer n = Integer(m.size());
    Integer patternEnd = n;
    // The trailing fields live in the last four characters of a text of at least four.
    if (n >= 4) {
        Integer first = -1;
        for (Integer i = n - 4; i < n; ++i)
            if (m[size_t(i)] == U';') {
                first = i;
                break;
            }
        if (first >= 0) {
            patternEnd = first;
            if (first + 1 < n) FSaveLiterals = m[size_t(first + 1)] != U'0';
            const Integer before = n - 2;
            if (m[size_t(before)] == U';' && ((before - 1 >= n - 4 && m[size_t(before - 1)] == U';') ||
                                              (before - 2 >= n - 4 && m[size_t(before - 2)] == U';')))
                FBlank = m[size_t(n - 1)];
        }
    }
    Byte caseMode = 0;
    for (Integer i = 0; i < patternEnd; ++i) {
        const char32_t c = m[size_t(i)];
        TPosition p;
        switch (c) {
        case U'!': FRightAligned = true; continue;
        case U'>': caseMode = 1; continue;
        case U'<':
            if (i + 1 < patternEnd && m[size_t(i + 1)] == U'>') {
                caseMode = 0;
                ++i;
            } else {
                caseMode = 2;
            }
            continue;
        case U'\\':
            if (i + 1 >= patternEnd) continue;
            p.Literal = m[size_t(++i)];
            break;
        case U'L': case U'l': case U'A': case U'a': case U'C': case U'c': case U'0': case U'9': case U'#':
            p.Kind = c;
            p.Case = caseMode;
            break;
        case U':': p.Literal = char32_t(static_cast<unsigned char>(FormatSettings.TimeSeparator)); break;
        case U'/': p.Literal = char32_t(static_cast<unsigned char>(FormatSettings.DateSeparator)); break;
        default: p.Literal = c; break;
        }
        FPositions.push_back(p);
    }
}

bool TgxEditMask::Required(Integer Pos) const {
    if (!IsInput(Pos)) return false;
    const char32_t k = FPositions[size_t(Pos)].Kind;
    return k == U'L' || k == U'A' || k == U'C' || k == U'0';
}

bool TgxEditMask::Accept(Integer Pos, char32_t& Ch) const {
    if (!InRange(Pos)) return false;
    const TPosition& p = FPositions[size_t(Pos)];
    if (p.Kind == 0) {
        Ch = p.Literal;
        return true;
    }
    bool ok = false;
    switch (p.Kind) {
    case U'L': case U'l': ok = IsCharAlpha(Ch); break;
    case U'A': case U'a': ok = IsCharAlphaNumeric(Ch); break;
    case U'C': case U'c': ok = Ch >= 32 && Ch != 127; break;
    case U'0': case U'9': ok = IsDigit(Ch); break;
    case U'#': ok = IsDigit(Ch) || Ch == U' ' || Ch == U'+' || Ch == U'-'; break;
    default: break;
    }
    if (!ok) return false;
    if (p.Case == 1) Ch = CharUpper(Ch);
    else if (p.Case == 2) Ch = CharLower(Ch);
    return true;
}

Integer TgxEditMask::NextInput(Integer Pos) const {
    for (Integer i = std::max(0, Pos); i < TextLength(); ++i)
        if (IsInput(i)) return i;
    return TextLength();
}

Integer TgxEditMask::PrevInput(Integer Pos) const {
    for (Integer i = std::min(Pos, TextLength()) - 1; i >= 0; --i)
        if (IsInput(i)) return i;
    return -1;
}

std::u32string TgxEditMask::FitRun(std::u32string Run, Integer Width) const {
    const size_t w = size_t(std::max(0, Width));
    if (Run.size() > w) Run = FRightAligned ? Run.substr(Run.size() - w) : Run.substr(0, w);
    if (Run.size() < w) {
        if (FRightAligned) Run.insert(Run.begin(), w - Run.size(), FBlank);
        else Run.append(w - Run.size(), FBlank);
    }
    return Run;
}

std::u32string TgxEditMask::Format(const std::u32string& Value) const {
    if (!HasMask()) return Value;
    std::u32string shown;
    shown.reserve(FPositions.size());
    if (FSaveLiterals) {
        size_t from = 0;
        Integer width = 0;
        for (const TPosition& p : FPositions) {
            if (p.Kind != 0) {
                ++width;
                continue;
            }
            size_t at = Value.find(p.Literal, from);
            std::u32string run = Value.substr(std::min(from, Value.size()),
                                              at == std::u32string::npos ? std::u32string::npos : at - from);
            from = at == std::u32string::npos ? Value.size() : at + 1;
            shown += FitRun(run, width);
            shown += p.Literal;
            width = 0;
        }
        shown += FitRun(Value.substr(std::min(from, Value.size())), width);
    } else {
        Integer inputs = 0;
        for (const TPosition& p : FPositions)
            if (p.Kind != 0) ++inputs;
        const std::u32string chars = FitRun(Value, inputs);
        size_t next = 0;
        for (const TPosition& p : FPositions) shown += p.Kind == 0 ? p.Literal : chars[next++];
    }
    for (Integer i = 0; i < TextLength(); ++i)
        if (IsInput(i) && shown[size_t(i)] == U' ') shown[size_t(i)] = FBlank;
    return shown;
}

std::u32string TgxEditMask::Value(const std::u32string& Shown) const {
    if (!HasMask()) return Shown;
    std::u32string inputs;
    for (Integer i = 0; i < Integer(Shown.size()); ++i)
        if (!IsLiteral(i)) inputs += Shown[size_t(i)];
    if (FRightAligned) {
        const size_t first = inputs.find_first_not_of(FBlank);
        inputs.erase(0, first == std::u32string::npos ? inputs.size() : first);
    } else {
        const size_t last = inputs.find_last_not_of(FBlank);
        inputs.erase(last == std::u32string::npos ? 0 : last + 1);
    }
    std::replace(inputs.begin(), inputs.end(), FBlank, U' ');
    if (!FSaveLiterals) return inputs;
    Integer slots = 0;
    for (const TPosition& p : FPositions)
        if (p.Kind != 0) ++slots;
    // Missing positions are spaces, at the start of a right-aligned value.
    if (Integer(inputs.size()) < slots) {
        const size_t missing = size_t(slots) - inputs.size();
        if (FRightAligned) inputs.insert(inputs.begin(), missing, U' ');
        else inputs.append(missing, U' ');
    }
    std::u32string value;
    size_t next = 0;
    for (const TPosition& p : FPositions) value += p.Kind == 0 ? p.Literal : inputs[next++];
    // Characters beyond the mask stay.
    value += inputs.substr(next);
    return value;
}

bool TgxEditMask::IsBlank(const std::u32string& Shown) const {
    for (Integer i = 0; i < Integer(Shown.size()); ++i)
        if (!IsLiteral(i) && Shown[size_t(i)] != FBlank) return false;
    return true;
}

Integer TgxEditMask::Type(std::u32string& Shown, Integer Pos, char32_t Ch) const {
    if (Pos < 0 || Pos >= TextLength() || Pos >= Integer(Shown.size())) return -1;
    char32_t c = Ch;
    if (!Accept(Pos, c)) {
        // The next literal of the pattern typed over an input position jumps past it.
        for (Integer i = Pos + 1; i < TextLength(); ++i)
            if (IsLiteral(i)) {
                if (LiteralAt(i) == Ch) return NextInput(i + 1);
                break;
            }
        return -1;
    }
    Shown[size_t(Pos)] = c;
    return NextInput(Pos + 1);
}

void TgxEditMask::Clear(std::u32string& Shown, Integer Start, Integer Length) const {
    const Integer end = std::min<Integer>(Integer(Shown.size()), Start + Length);
    for (Integer i = std::max(0, Start); i < end; ++i)
        if (IsInput(i)) Shown[size_t(i)] = FBlank;
}

Integer TgxEditMask::Paste(std::u32string& Shown, Integer Start, const std::u32string& Text) const {
    Integer pos = std::max(0, Start);
    const Integer end = std::min<Integer>(TextLength(), Integer(Shown.size()));
    for (size_t k = 0; k < Text.size() && pos < end;) {
        const char32_t ch = Text[k];
        if (IsLiteral(pos)) {
            if (ch == LiteralAt(pos)) ++k;
            ++pos;
            continue;
        }
        char32_t c = ch;
        Shown[size_t(pos)] = Accept(pos, c) ? c : FBlank;
        ++k;
        ++pos;
    }
    return pos;
}

Integer TgxEditMask::FirstInvalid(const std::u32string& Shown, bool BlankIsFilled) const {
    for (Integer i = 0; i < TextLength(); ++i) {
        if (!Required(i)) continue;
        const char32_t c = i < Integer(Shown.size()) ? Shown[size_t(i)] : FBlank;
        if (c == FBlank && !BlankIsFilled) return i;
        if (c == U' ' && FPositions[size_t(i)].Kind != U'C') return i;
    }
    return -1;
}
