#pragma once
// Number and date texts: the framework's float formats, the FormatFloat and FormatDateTime
// pattern languages, and the matching parsers. Every routine has a form that takes explicit
// settings and one that uses the global FormatSettings.
//
// Rounding: a value is first taken to 15 significant digits (18 when a wider precision is
// asked for), then rounded half away from zero to the digits the format shows, so 0.125 shown
// with two decimals reads 0.13 and 1.005 reads 1.01.

#include <string>

#include "framework/format_settings.h"
#include "framework/types.h"

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// General format: the shortest of fixed and scientific notation at Precision significant digits
// (scientific when the value needs more than Precision digits before the point or is below
// 0.00001); trailing zeros and a bare decimal point are dropped; Digits is the least number of
// exponent digits (0 to 4), the exponent sign is shown only when negative ("1E20", "1.5E-7").
// Exponent format: "d.dddE+dd" with Precision digits and at least Digits exponent digits.
// Fixed and number formats: Digits decimals (number format adds thousand separators), falling
// back to scientific notation when the value needs more than Precision digits before the point.
// Currency format: Digits decimals, thousand separators and the currency string placed by
// CurrencyFormat and NegCurrFormat.
// Not-a-number and infinities read "NAN", "INF" and "-INF".
std::string FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits);
std::string FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits,
                        const TFormatSettings& Settings);
// General format with 15 digits.
std::string FloatToStr(Extended Value);
std::string FloatToStr(Extended Value, const TFormatSettings& Settings);

// The pattern language:
//   0        a digit, or 0 where the value has none
//   #        a digit where the value has one
//   .        the decimal separator (the first one; later ones are ignored); it is left out when
//            no decimal follows it
//   ,        anywhere in a section: thousand separators every three integer digits
//   E+ E- e+ e-  scientific notation; the zeros that follow give the least exponent digits;
//            E+ always shows the exponent sign, E- only a minus
//   "xx" 'xx'    literal text; any other character is copied as it is
//   ;        separates up to three sections: positive (and all values when alone), negative
//            (shown without a minus sign), zero; an empty or missing section falls back to the
//            first one, which then shows a minus sign for negative values.
// The value is rounded to the decimals of the chosen section; a value that rounds to zero takes
// the zero section. Integer digits beyond the placeholders all appear at the first one. An
// empty pattern, or a value of 10^18 or more without scientific notation, gives FloatToStr.
std::string FormatFloat(const std::string& Format, Extended Value);
std::string FormatFloat(const std::string& Format, Extended Value, const TFormatSettings& Settings);

// Reads a number written with the decimal separator, an optional sign and an optional exponent;
// blanks around it are allowed, thousand separators are not. StrToFloat raises EConvertError
// "'%s' is not a valid floating point value".
bool TryStrToFloat(const std::string& S, Extended& Value);
bool TryStrToFloat(const std::string& S, Extended& Value, const TFormatSettings& Settings);
bool TryStrToFloat(const std::string& S, Double& Value);
bool TryStrToFloat(const std::string& S, Double& Value, const TFormatSettings& Settings);
Extended StrToFloat(const std::string& S);
Extended StrToFloat(const std::string& S, const TFormatSettings& Settings);
Extended StrToFloatDef(const std::string& S, Extended Default);

// Currency values are exact: ten-thousandths in a 64-bit integer.
Currency DoubleToCurrency(Extended Value);  // halves to even; EOverflow when out of range
Extended CurrencyToDouble(Currency Value);
std::string CurrToStr(Currency Value);
std::string CurrToStr(Currency Value, const TFormatSettings& Settings);
std::string CurrToStrF(Currency Value, TFloatFormat Format, Integer Digits);
std::string CurrToStrF(Currency Value, TFloatFormat Format, Integer Digits, const TFormatSettings& Settings);
std::string FormatCurr(const std::string& Format, Currency Value);
std::string FormatCurr(const std::string& Format, Currency Value, const TFormatSettings& Settings);
bool TryStrToCurr(const std::string& S, Currency& Value);
bool TryStrToCurr(const std::string& S, Currency& Value, const TFormatSettings& Settings);
Currency StrToCurr(const std::string& S);
Currency StrToCurr(const std::string& S, const TFormatSettings& Settings);

// The date pattern language (letters in either case):
//   c       the short date, then a blank and the long time unless the time is 00:00:00
//   d dd    day without / with a leading zero;  ddd dddd  short / long day name
//   ddddd   the short date format;  dddddd  the long date format
//   m mm    month without / with a leading zero;  mmm mmmm  short / long month name
//           (m directly after an h token means minutes)
//   yy yyyy two- and four-digit year
//   h hh    hour; n nn  minute; s ss  second; z zzz  milliseconds
//   t tt    the short / long time format
//   am/pm a/p  12-hour clock with the marker in the pattern's case;  ampm  12-hour clock with
//           TimeAMString / TimePMString
//   /  :    the date and time separators;  "xx" 'xx'  literal text
std::string FormatDateTime(const std::string& Format, TDateTime DateTime);
std::string FormatDateTime(const std::string& Format, TDateTime DateTime, const TFormatSettings& Settings);
std::string DateToStr(TDateTime Date);
std::string DateToStr(TDateTime Date, const TFormatSettings& Settings);
std::string TimeToStr(TDateTime Time);
std::string TimeToStr(TDateTime Time, const TFormatSettings& Settings);
std::string DateTimeToStr(TDateTime DateTime);
std::string DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings);

// Dates are read as two or three numbers separated by the date separator, in the order of the
// short date format; a missing year is the current year, a two-digit year falls within
// TwoDigitYearCenturyWindow years of the current year. Times are hour[:minute[:second[.msec]]]
// with an optional AM/PM marker before or after. The Str forms raise EConvertError
// "'%s' is not a valid date", "'%s' is not a valid time", "'%s' is not a valid date and time".
bool TryStrToDate(const std::string& S, TDateTime& Value);
bool TryStrToDate(const std::string& S, TDateTime& Value, const TFormatSettings& Settings);
bool TryStrToTime(const std::string& S, TDateTime& Value);
bool TryStrToTime(const std::string& S, TDateTime& Value, const TFormatSettings& Settings);
bool TryStrToDateTime(const std::string& S, TDateTime& Value);
bool TryStrToDateTime(const std::string& S, TDateTime& Value, const TFormatSettings& Settings);
TDateTime StrToDate(const std::string& S);
TDateTime StrToDate(const std::string& S, const TFormatSettings& Settings);
TDateTime StrToTime(const std::string& S);
TDateTime StrToTime(const std::string& S, const TFormatSettings& Settings);
TDateTime StrToDateTime(const std::string& S);
TDateTime StrToDateTime(const std::string& S, const TFormatSettings& Settings);
