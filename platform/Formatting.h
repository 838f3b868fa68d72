#pragma once
// Number and date text as the old runtime produced it. Stored and wire texts
// always use '.' as the decimal separator; dates use '.' and times ':'.
#include <QDateTime>
#include <QString>
#include <cstdint>

#pragma GCC visibility push(default)

// Day number with a fraction of a day, counted from 1899-12-30 (local time).
using TDateTime = double;

// Formats by a pattern of '0', '#', '.', ',', E+00 and quoted literals, with
// up to three ';' sections (positive;negative;zero). An empty pattern gives FloatToStr.
QString FormatFloat(const QString& format, double value);
// General format with 15 significant digits ("0.3", "1E-5", "123456789.123").
QString FloatToStr(double value);
// General format with `precision` significant digits (0 or more than 15: 15),
// halves rounded away from zero; scientific past the precision or below 1E-4.
QString FloatToStrGeneral(double value, int precision);
// Fixed format with the given number of decimals (FloatToStrF ffFixed).
QString FloatToStrFixed(double value, int digits);

// '.' decimal separator; leading and trailing blanks allowed.
double StrToFloat(const QString& text);  // raises EConvertError
bool TryStrToFloat(const QString& text, double& value);
double StrToFloatDef(const QString& text, double def);
int StrToInt(const QString& text);  // raises EConvertError
int StrToIntDef(const QString& text, int def);

// Rounding of the old runtime: Round is half-to-even, Trunc toward zero.
int64_t Round(double value);
int64_t Trunc(double value);
double Frac(double value);

// True for a finite day number from 0001-01-01 to the end of 9999-12-31.
// Decoding another value gives zeros (DecodeDate, DecodeTime) or a null date-time,
// and formatting it an empty text.
bool IsValidDateTime(TDateTime value);
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);
TDateTime Now();
TDateTime Date();
QDateTime DateTimeToQDateTime(TDateTime value);
TDateTime QDateTimeToDateTime(const QDateTime& value);

// Tokens d dd ddd dddd ddddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz
// am/pm a/p c t tt, '/' and ':' separators, quoted literals; m after h is minutes.
QString FormatDateTime(const QString& format, TDateTime value);
QString DateToStr(TDateTime value);      // dd.mm.yyyy
QString TimeToStr(TDateTime value);      // hh:nn:ss
QString DateTimeToStr(TDateTime value);  // date, and the time when it is not midnight

// The short date format and separators the formatting uses.
inline const QString ShortDateFormat = QStringLiteral("dd.mm.yyyy");
inline const QString LongTimeFormat = QStringLiteral("hh:nn:ss");
inline const QString ShortTimeFormat = QStringLiteral("hh:nn");

#pragma GCC visibility pop
