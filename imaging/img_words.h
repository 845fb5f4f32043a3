#pragma once
// The library's word table: every visible text of the image dialogs, in eight rows (English,
// Italian, German, Spanish, French, Portuguese, Greek and one row for the application's own texts)
// of 87 words each. Texts are UTF-8.

#include <string>

#include "imaging/img_types.h"

constexpr Integer ImgWordCount = 87;

// The word WordIndex (0..86) in Language. An explicit language whose cell is empty falls back to
// English; msSystem takes the row of the user's locale (English for languages without a row) and
// returns its cell unchanged.
std::string GetImgWord(Integer WordIndex, TMsgLanguage Language);
// Stores Text in the cell of Language (msEnglish..msUser), replacing what was there.
void SetImgWord(TMsgLanguage Language, Integer WordIndex, const std::string& Text);
// Stores the 87 words of the seven built-in rows (msEnglish..msGreek). Runs once before the table
// is first read; calling it again restores those rows.
void FillImgWordTable();

// The primary language identifier of the user's locale, in the Windows numbering (7 German,
// 8 Greek, 9 English, 10 Spanish, 11 Finnish, 12 French, 16 Italian, 19 Dutch, 22 Portuguese...);
// 0 when the locale names no known language. Read from LC_ALL, LC_MESSAGES or LANG.
Integer ImgUserPrimaryLanguage();
// Test seam: makes ImgUserPrimaryLanguage return Id; a negative Id goes back to the locale.
void SetImgUserPrimaryLanguageOverride(Integer Id);
// The row msSystem stands for on this system.
TMsgLanguage ImgSystemLanguage();
