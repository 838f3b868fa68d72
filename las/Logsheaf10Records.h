#pragma once
// The text of LAS data lines: reading a line into values, joining wrapped
// lines, and writing records back with per-column widths.
#include "Logsheaf10Lines.h"

#include <string_view>
#include <vector>

#pragma GCC visibility push(default)

// Reads the tokens of one data line into values[0..count): a token is a run
// of bytes from '-' (2D hex) upwards, and a '+' that carries an exponent
// ("1.5e+10"); everything else separates. A token that does not read, or a
// missing one, gives nullValue. True when at least one value read.
bool ParseDataLine(std::string_view line, double* values, int count, double nullValue);
// The number of tokens of a line, as ParseDataLine cuts them.
int CountTokens(std::string_view line);

// Joins wrapped data lines into one line per record of `curves` values.
// Blank and comment lines are passed over; a trailing incomplete record is
// dropped. Raises Exception "Error while unwrapping file. Line <n>[Too many
// curves]" where n is the line's index in the file (firstIndex for lines[0]).
QList<QByteArray> Unwrap(const std::vector<std::string_view>& lines, int firstIndex, int curves);

// How one column is written.
struct TLASFormatRec {
    int Width = 0;
    int Precision = 0;
    bool DefPrec = false;  // the field fixes the precision
    bool HasErr = false;   // the column holds null values
    int ErrWidth = 0;
    int ErrPrecision = 0;
    QByteArray sFormat, sErrFormat;  // " %W.Pf", for diagnostics
};

// The digits of a value rounded to LASMaxDigits decimals: E is the position
// of the decimal point, Decimals the digits after it (negative for whole
// tens), Negative its sign.
struct TLASDecimal {
    int E = 0;
    int Decimals = 0;
    bool Negative = false;
};
TLASDecimal DecomposeValue(double value);
// The same for the shortest text that reads back as the same value: the
// digits a value needs to be written without loss.
TLASDecimal ShortestDecimal(double value);

// True when the value is written as the null value: the null value itself,
// NaN and the infinities.
inline bool IsNullValue(double value, double nullValue) { return value == nullValue || !(value - value == 0); }

class TLASRecordWriter {
public:
    // fieldPrecisions: one per curve; 15 is the default, others fix the column.
    TLASRecordWriter(const std::vector<int>& fieldPrecisions, double nullValue);
    // Every record must be scanned before any is written.
    void Scan(const double* record);
    void Finish();
    const std::vector<TLASFormatRec>& Formats() const { return FFormats; }
    QByteArray Format(const double* record) const;
    // The lines of one record when wrapped: the index, then lines of N values.
    QList<QByteArray> Wrap(const double* record) const;

private:
    void AppendValue(QByteArray& out, double value) const;
    void AppendValue(QByteArray& out, int column, double value) const;
    std::vector<TLASFormatRec> FFormats;
    double FNullValue;
    int FNullWidth = 0, FNullDecimals = 0;
};

// Values per line after the index line of a wrapped record.
int WrapCount(int curves);

#pragma GCC visibility pop
