#include "Exceptions.h"
#include "Formatting.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {
struct TFloatCase {
    const char* Format;
    double Value;
    const char* Expected;
};

TEST(Formatting, FormatFloatMatchesOldOutputs) {
    const TFloatCase cases[] = {
        {"0.###", 1.5, "1.5"},          {"0.###", 2.0, "2"},          {"0.###", 0.12345, "0.123"},
        {"0.###", -0.0004, "0"},        {"0.###", 0.0005, "0.001"},   {"0.00", 2.675, "2.67"},
        {"0.00", 1.005, "1.00"},        {"0.00", 0.125, "0.13"},      {"0.00", -3.14159, "-3.14"},
        {"0.00", 0, "0.00"},            {"#.##", 0.5, ".5"},          {"#", 0, ""},
        {"00000", 12, "00012"},         {"#,##0", 1234567, "1,234,567"}, {"#,##0.00", -1234.5, "-1,234.50"},
        {"0.0", 99.96, "100.0"},        {"0.##", 1e-4, "0"},          {"0.##", 123456789.123, "123456789.12"},
        {"0.00E+00", 12345, "1.23E+04"}, {"0.00E+00", 0.000123, "1.23E-04"}, {"0.0;(0.0);zero", -2.5, "(2.5)"},
        {"0.0;(0.0);zero", 0.01, "zero"}, {"\"T=\"0.0", 3, "T=3.0"},  {"0.##", -2e7, "-20000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(QString::fromLatin1(c.Format), c.Value).toStdString(), c.Expected)
            << c.Format << " " << c.Value;
}

TEST(Formatting, FloatToStrGeneralFormat) {
    const std::pair<double, const char*> cases[] = {
        {1e-5, "1E-5"},      {0.0001, "0.0001"}, {123456789.123, "123456789.123"}, {0.1 + 0.2, "0.3"},
        {-2e7, "-20000000"}, {1e15, "1E15"},     {123456789012345.0, "123456789012345"}, {1.5e-7, "1.5E-7"},
        {0.0, "0"},          {-1.25, "-1.25"},   {2.5e20, "2.5E20"},
    };
    for (const auto& [v, e] : cases) EXPECT_EQ(FloatToStr(v).toStdString(), e) << v;
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(Formatting, StrToFloatUsesPointAndRejectsJunk) {
    EXPECT_DOUBLE_EQ(StrToFloat(" 12.5 "), 12.5);
    EXPECT_DOUBLE_EQ(StrToFloat("-1e-3"), -0.001);
    EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("+2E2"), 200);
    for (const char* bad : {"", "12,5", "1e", "abc", "1.2.3", "--1", "NAN", "1e400"})
        EXPECT_THROW(StrToFloat(QString::fromLatin1(bad)), EConvertError) << bad;
    EXPECT_DOUBLE_EQ(StrToFloatDef("x", 7), 7);
}

TEST(Formatting, RoundIsHalfToEvenAndTruncTowardZero) {
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(-2.6), -3);
    EXPECT_EQ(Trunc(-2.7), -2);
    EXPECT_THROW(Round(std::nan("")), EConvertError);
    // Out of the integer's range: an error, never a conversion that overflows.
    for (double big : {1e300, -1e300, 9.3e18, HUGE_VAL}) {
        EXPECT_THROW(Round(big), EConvertError) << big;
        EXPECT_THROW(Trunc(big), EConvertError) << big;
    }
}

TEST(Formatting, DayNumbersCountFrom18991230) {
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_DOUBLE_EQ(EncodeDate(2026, 12, 10), 46366);
    const TDateTime t = EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 7, 250);
    const QDateTime q = DateTimeToQDateTime(t);
    EXPECT_EQ(q.date(), QDate(2026, 12, 10));
    EXPECT_EQ(q.time(), QTime(13, 5, 7, 250));
    EXPECT_NEAR(QDateTimeToDateTime(q), t, 1e-9);
    // Before the base date the fraction still counts forward from midnight.
    int h, m, s, ms;
    DecodeTime(-1.25, h, m, s, ms);
    EXPECT_EQ(h, 6);
    EXPECT_EQ(DateTimeToQDateTime(-1.25).date(), QDate(1899, 12, 29));
}

TEST(Formatting, ValuesThatAreNoDateTimeHaveNoText) {
    EXPECT_TRUE(IsValidDateTime(EncodeDate(1, 1, 1)));
    EXPECT_TRUE(IsValidDateTime(EncodeDate(9999, 12, 31) + EncodeTime(23, 59, 59, 999)));
    for (double bad : {EncodeDate(1, 1, 1) - 1e-9, EncodeDate(9999, 12, 31) + 1, 1e300, -1e300, HUGE_VAL, -HUGE_VAL,
                       std::nan("")}) {
        EXPECT_FALSE(IsValidDateTime(bad)) << bad;
        EXPECT_EQ(DateTimeToStr(bad), "") << bad;
        EXPECT_EQ(FormatDateTime(" dd.mm.yyyy hh:nn:ss.zzz", bad), "") << bad;
        int y = -1, m = -1, d = -1;
        DecodeDate(bad, y, m, d);
        EXPECT_EQ(y, 0);
        EXPECT_FALSE(DateTimeToQDateTime(bad).isValid());
    }
}

TEST(Formatting, FormatDateTimePatterns) {
    const TDateTime t = EncodeDate(2026, 3, 7) + EncodeTime(9, 4, 5, 7);
    const std::pair<const char*, const char*> cases[] = {
        {"dd.mm.yyyy hh:nn:ss", "07.03.2026 09:04:05"},
        {"hh:nn", "09:04"},
        {"h:mm", "9:04"},  // m after h means minutes
        {"d/m/yy", "7.3.26"},
        {"hh:nn:ss.zzz", "09:04:05.007"},
        {"dd.mm.yy h:nn", "07.03.26 9:04"},
        {":nn:ss", ":04:05"},
        {"yyyy'-x-'mm", "2026-x-03"},
        {"c", "07.03.2026 09:04:05"},
    };
    for (const auto& [f, e] : cases) EXPECT_EQ(FormatDateTime(QString::fromLatin1(f), t).toStdString(), e) << f;
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2026, 3, 7)), "07.03.2026");
    // 27.25 hours as a day fraction past one day.
    EXPECT_EQ(FormatDateTime(":nn:ss", 27.25 / 24), ":15:00");
}
}  // namespace
