#pragma once
// TgxEditMask: the edit mask of the masked in-place editor, without any window. A mask text is a
// pattern, optionally followed by ";" and the save-literals character and ";" and the blank
// character (both recognised only within the last four characters of the text). The pattern
// fixes, position by position, which characters are accepted, which are literals shown in place,
// and the case conversion; the operations here turn values into shown texts and back and carry
// out typing, clearing, pasting and validation on a shown text. Positions count code points of
// the shown text: literals and input positions, not directives.

#include <string>
#include <vector>

#include "framework/types.h"

class TgxEditMask {
public:
    // The blank character of a mask that names none.
    static char32_t DefaultBlank;

    TgxEditMask() = default;
    explicit TgxEditMask(const std::string& Mask) { SetMask(Mask); }
    // Parses Mask (UTF-8); an empty text means no mask.
    void SetMask(const std::string& Mask);
    const std::string& GetMask() const { return FMask; }
    bool HasMask() const { return !FPositions.empty(); }
    // Number of text positions (literals and input positions).
    Integer TextLength() const { return Integer(FPositions.size()); }
    bool SaveLiterals() const { return FSaveLiterals; }
    char32_t Blank() const { return FBlank; }
    bool RightAligned() const { return FRightAligned; }

    bool IsLiteral(Integer Pos) const { return InRange(Pos) && FPositions[size_t(Pos)].Kind == 0; }
    bool IsInput(Integer Pos) const { return InRange(Pos) && FPositions[size_t(Pos)].Kind != 0; }
    // The character a literal position shows.
    char32_t LiteralAt(Integer Pos) const { return IsLiteral(Pos) ? FPositions[size_t(Pos)].Literal : 0; }

    // The character Ch as position Pos takes it (a literal position gives its literal, a letter
    // position converts the case); false when the position refuses it.
    bool Accept(Integer Pos, char32_t& Ch) const;
    // The first input position at or after Pos (TextLength when none); the last one before Pos
    // (-1 when none).
    Integer NextInput(Integer Pos) const;
    Integer PrevInput(Integer Pos) const;

    // The shown text of Value: without a mask the value itself; with literals saved the value is
    // aligned to the mask field by field, otherwise its characters fill the input positions.
    std::u32string Format(const std::u32string& Value) const;
    // The value of a shown text: literals and trailing blanks (leading ones with "!") removed,
    // the other blanks made spaces, then with literals saved the literals put back and missing
    // positions filled with spaces.
    std::u32string Value(const std::u32string& Shown) const;
    // The shown text holds nothing but literals and blanks.
    bool IsBlank(const std::u32string& Shown) const;
    // The shown text with only the input positions and no value.
    std::u32string Empty() const { return Format(std::u32string()); }

    // Typing Ch over the caret position Pos (the caret is a one-character selection). Returns
    // the new caret position, or -1 when the character is refused (the caller beeps); a
    // character that matches the next literal moves the caret past it without changing the text.
    Integer Type(std::u32string& Shown, Integer Pos, char32_t Ch) const;
    // Resets Start .. Start + Length: input positions take the blank, literals stay.
    void Clear(std::u32string& Shown, Integer Start, Integer Length) const;
    // Writes Text from Start on over the positions, each character tested against its position
    // (a refused one becomes the blank; at a literal position a character equal to the literal
    // is used up, any other waits for the next position), until the text length is reached.
    // Returns the position after the last one written.
    Integer Paste(std::u32string& Shown, Integer Start, const std::u32string& Text) const;
    // The first required position that holds the blank (unless BlankIsFilled) or a space (a
    // space fills a "C" position); -1 when the text is valid.
    Integer FirstInvalid(const std::u32string& Shown, bool BlankIsFilled = false) const;

private:
    // Kind 0: literal; otherwise the mask character of an input position.
    struct TPosition {
        char32_t Kind = 0;
        char32_t Literal = 0;
        // 1 upper, 2 lower, 0 unchanged.
        Byte Case = 0;
    };
    bool InRange(Integer Pos) const { return Pos >= 0 && Pos < Integer(FPositions.size()); }
    bool Required(Integer Pos) const;
    std::u32string FitRun(std::u32string Run, Integer Width) const;

    std::string FMask;
    std::vector<TPosition> FPositions;
    bool FSaveLiterals = true;
    bool FRightAligned = false;
    char32_t FBlank = U'_';
};
