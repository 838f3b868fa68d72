// Header lines, data-line tokens, the writer's widths and wrapping, code pages.
#include "Exceptions.h"
#include "Logsheaf10.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct TSplitCase {
    const char* Line;
    const char* ID;
    const char* Ext;
    const char* Value;
    const char* Comment;
};

TEST(LasHeaderLines, SplitStringCases) {
    const TSplitCase cases[] = {
        {"  DEPT.M      1000.0 : Depth", "DEPT", "M", "1000.0", "Depth"},
        {"DEPT.M", "DEPT", "M", "", ""},
        {"DEPT. : Depth", "DEPT", "", "", "Depth"},
        {" VERS.  2.0 : CWLS LAS Version", "VERS", "", "2.0", "CWLS LAS Version"},
        {"WELL.   WELL : NORTH 5", "WELL", "", "WELL", "NORTH 5"},
        {"GR .GAPI  : Gamma ray", "GR", "GAPI", "", "Gamma ray"},
        {"STRT.M 10 no colon here", "STRT", "M", "", "10 no colon here"},
        // A time of day keeps its colon; the first other colon ends the value.
        {"TIME. 10:30 : start", "TIME", "", "10:30", "start"},
        {"TIME. 10:30", "TIME", "", "", "10:30"},
        {"DATE.  12:x : d", "DATE", "", "12", "x : d"},
        {"STRT.M\t1000.5 : tab after the unit", "STRT", "M", "1000.5", "tab after the unit"},
        {"# comment. : x", "", "", "", ""},
        {"   ", "", "", "", ""},
    };
    for (const TSplitCase& c : cases) {
        SCOPED_TRACE(c.Line);
        const TLASLineParts p = SplitString(c.Line);
        EXPECT_EQ(p.ID, QByteArray(c.ID));
        EXPECT_EQ(p.Ext, QByteArray(c.Ext));
        EXPECT_EQ(p.Value, QByteArray(c.Value));
        EXPECT_EQ(p.Comment, QByteArray(c.Comment));
    }
}

TEST(LasHeaderLines, LineWithoutMnemonicRaisesWithTheTrimmedLine) {
    for (const char* line : {"  .M 10 : x", " : value only", "no delimiters at all"}) {
        SCOPED_TRACE(line);
        try {
            ExtractID(line);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Invalid mnemonic:") + QString::fromLatin1(line).trimmed());
        }
    }
}

TEST(LasHeaderLines, VersionValueFallsBackToTheUnit) {
    EXPECT_EQ(ExtractValue("VERS.2.0 :", lsVersion), "2.0");
    EXPECT_EQ(ExtractValue("VERS.2.0 :", lsWell), "");
}

TEST(LasHeaderLines, CombineStringPutsTheValueEndAtTheDelimiterColumn) {
    const QByteArray vers = CombineString("VERS", "", "2.0", "CWLS LAS Version");
    EXPECT_EQ(vers.indexOf("2.0"), 35);  // columns 36-38
    EXPECT_EQ(vers.mid(38, 3), " : ");
    EXPECT_TRUE(vers.startsWith("  VERS."));
    EXPECT_EQ(vers.right(16), "CWLS LAS Version");
    EXPECT_TRUE(CombineString("ABCDEF", "M", "1", "x").startsWith("  ABCDEF.M"));
    EXPECT_TRUE(CombineString("GR", "GAPI", "", "g").startsWith("  GR  .GAPI"));
    // A value too long for the column is still separated from the unit.
    const QByteArray longValue(50, 'x');
    EXPECT_EQ(CombineString("WELL", "", longValue, "d"), "  WELL. " + longValue + " : d");
    TLASLineLayout layout;
    layout.DelimiterPos = 20;
    layout.LeadingSpaces = 0;
    EXPECT_EQ(CombineString("STEP", "M", "0.5", "Step", layout).indexOf("0.5"), 17);
}

TEST(LasHeaderLines, MappingEntries) {
    TLASMapping m = ExtractMnem(" Gamma = GR . GAPI ;Gamma ray ");
    EXPECT_EQ(m.Name, "Gamma");
    EXPECT_EQ(m.Mnem, "GR");
    EXPECT_EQ(m.Units, "GAPI");
    EXPECT_EQ(m.Descr, "Gamma ray ");
    m = ExtractMnem("Depth=DEPT");
    EXPECT_EQ(m.Mnem, "DEPT");
    EXPECT_TRUE(m.Units.isEmpty() && m.Descr.isEmpty());
    m = ExtractMnem("no equals");
    EXPECT_TRUE(m.Name.isEmpty() && m.Mnem.isEmpty());
}

TEST(LasNumbers, PointIsTheSeparatorAndOnlyFiniteNumbersRead) {
    double v = 0;
    EXPECT_TRUE(TryStrToFloatPt(QStringLiteral(" 1000.25 "), v));
    EXPECT_EQ(v, 1000.25);
    EXPECT_TRUE(TryStrToFloatPt(QStringLiteral("+2E-3"), v));
    EXPECT_EQ(v, 0.002);
    for (const char* bad : {"1,5", "", "abc", "nan", "inf", "-inf", "1e999", "1.5e", "--1"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(TryStrToFloatPt(QString::fromLatin1(bad), v));
    }
    EXPECT_THROW(StrToFloatPt(QStringLiteral("x")), EConvertError);
}

struct TTokenCase {
    const char* Line;
    std::vector<double> Values;  // the null value -1 stands for empty
    bool Read;
};

TEST(LasDataLines, TokensCases) {
    const double N = -1;
    const TTokenCase cases[] = {
        {"1000.5,  12.3\t-9999 abc", {1000.5, 12.3, -9999, N}, true},
        {"1.5e+10 2E-3 -4.5E+2 7", {1.5e10, 0.002, -450, 7}, true},
        {"1.5e 10", {N, 10, N, N}, true},
        {"+5 +-3 1 2", {5, -3, 1, 2}, true},
        {"1 2 3 4 5 6", {1, 2, 3, 4}, true},
        {"1;2", {N, N, N, N}, false},
        {"abc def", {N, N, N, N}, false},
        {"nan inf 1e999 3", {N, N, N, 3}, true},
        {"\x01\x02\xff\xfe 8", {N, 8, N, N}, true},
    };
    for (const TTokenCase& c : cases) {
        SCOPED_TRACE(c.Line);
        double values[4];
        EXPECT_EQ(ParseDataLine(c.Line, values, 4, N), c.Read);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(values[i], c.Values[size_t(i)]) << i;
    }
}

TEST(LasDataLines, UnwrapJoinsRecordsAndReportsTooManyValues) {
    const std::vector<std::string_view> lines = {"1000", " 1 2 3", "", "# note", " 4 5", "1001", "6 7 8 9 10", "1002 1 2 3 4 5 6"};
    const QList<QByteArray> joined = Unwrap({lines.begin(), lines.begin() + 7}, 20, 6);
    ASSERT_EQ(joined.size(), 2);
    EXPECT_EQ(joined[0], " 1000 1 2 3 4 5");
    // A trailing incomplete record is dropped.
    EXPECT_EQ(Unwrap({lines.begin(), lines.begin() + 6}, 0, 6).size(), 1);
    try {
        Unwrap(lines, 20, 6);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Error while unwrapping file. Line 27[Too many curves]"));
    }
}

TEST(LasWriter, DecompositionOfValues) {
    struct TCase {
        double V;
        int E, Decimals;
        bool Negative;
    } cases[] = {
        {1.5, 1, 1, false},       {2.25, 1, 2, false},  {-9999.0, 4, 0, true}, {0.00123, -2, 5, false},
        {1.234567, 1, 5, false},  {0.000004, 0, 0, false}, {0.000006, -4, 5, false}, {99.999996, 3, -2, false},
        {0, 0, 0, false},         {-999.25, 3, 2, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.V);
        const TLASDecimal d = DecomposeValue(c.V);
        EXPECT_EQ(d.E, c.E);
        EXPECT_EQ(d.Decimals, c.Decimals);
        EXPECT_EQ(d.Negative, c.Negative);
    }
}

TEST(LasWriter, ColumnWidthsAndNullFormat) {
    const double nan = std::nan("");
    const double rows[][3] = {{1000, 1.5, -9999}, {1000.5, 2.25, 12}, {1001, -9999, nan}, {1001.5, 123.456789, INFINITY}};
    TLASRecordWriter w({15, 15, 1}, -9999);
    for (const auto& r : rows) w.Scan(r);
    w.Finish();
    EXPECT_EQ(w.Formats()[0].sFormat, " %6.1f");
    // 123.456789 needs six decimals to read back the same.
    EXPECT_EQ(w.Formats()[1].sFormat, " %10.6f");
    EXPECT_EQ(w.Formats()[1].sErrFormat, " %10.0f");
    // A fixed precision stays, the null value still widens the column.
    EXPECT_EQ(w.Formats()[2].sFormat, " %5.1f");
    EXPECT_TRUE(w.Formats()[2].HasErr);
    EXPECT_EQ(w.Format(rows[0]), " 1000.0   1.500000 -9999");
    EXPECT_EQ(w.Format(rows[1]), " 1000.5   2.250000  12.0");
    // NaN and the infinities are written as the null value.
    EXPECT_EQ(w.Format(rows[2]), " 1001.0      -9999 -9999");
    EXPECT_EQ(w.Format(rows[3]), " 1001.5 123.456789 -9999");
}

TEST(LasWriter, PrecisionOfTwoForOneAndAQuarter) {
    const double rows[][2] = {{1, 1.5}, {2, 2.25}};
    TLASRecordWriter w({15, 15}, -999.25);
    for (const auto& r : rows) w.Scan(r);
    w.Finish();
    EXPECT_EQ(w.Formats()[1].Precision, 2);
    EXPECT_EQ(w.Format(rows[0]), " 1 1.50");
}

TEST(LasWriter, WrappingCounts) {
    struct TCase {
        int Curves;
        std::vector<int> PerLine;
    } cases[] = {{12, {1, 6, 5}}, {8, {1, 7}}, {7, {1, 6}}, {2, {1, 1}}, {14, {1, 7, 6}}, {1, {1}}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Curves);
        std::vector<double> rec(size_t(c.Curves));
        for (int i = 0; i < c.Curves; ++i) rec[size_t(i)] = 100 + i;
        TLASRecordWriter w(std::vector<int>(size_t(c.Curves), 15), -9999);
        w.Scan(rec.data());
        w.Finish();
        const QList<QByteArray> lines = w.Wrap(rec.data());
        ASSERT_EQ(lines.size(), qsizetype(c.PerLine.size()));
        for (qsizetype i = 0; i < lines.size(); ++i)
            EXPECT_EQ(CountTokens(std::string_view(lines[i].constData(), size_t(lines[i].size()))), c.PerLine[size_t(i)]);
        EXPECT_EQ(lines[0], "100");
    }
    std::vector<double> rec = {1, 2, 3, 4};
    TLASRecordWriter w({15, 15, 15, 15}, -9999);
    w.Scan(rec.data());
    w.Finish();
    EXPECT_EQ(w.Wrap(rec.data()), (QList<QByteArray>{"1", " 2   3   4 "}));
}

TEST(LasCodePages, OemJudgedByCyrillicLetterCounts) {
    // "Привет" in IBM866 and in windows-1251.
    const QByteArray oem = "\x8f\xe0\xa8\xa2\xa5\xe2";
    const QByteArray ansi = "\xcf\xf0\xe8\xe2\xe5\xf2";
    EXPECT_TRUE(IsOEMString(oem));
    EXPECT_FALSE(IsOEMString(ansi));
    EXPECT_FALSE(IsOEMString("plain text"));
    EXPECT_EQ(OemToAnsi(oem), ansi);
    EXPECT_EQ(AnsiToOem(ansi), oem);
    EXPECT_EQ(AnsiToString(ansi), QStringLiteral("Привет"));
    // Bytes E0-F1 count for both pages.
    EXPECT_FALSE(IsOEMString("\xe0\xe1"));
    EXPECT_TRUE(IsOEMString("\xe0\xa0"));
}

TEST(LasLineList, LineEndsAndTheNulByte) {
    TAnsiStringList l;
    l.LoadFromText(QByteArray("a\rb\nc\r\n\r\nd", 10));
    ASSERT_EQ(l.Count(), 5);
    EXPECT_EQ(l.Strings(2), "c");
    EXPECT_EQ(l.Strings(3), "");
    EXPECT_EQ(l.Strings(4), "d");
    l.LoadFromText(QByteArray("x\ny\0z\n", 6));
    EXPECT_EQ(l.Count(), 2);
    EXPECT_EQ(l.Strings(1), "y");
    int changes = 0;
    l.OnChange = [&] { ++changes; };
    l.Add(QByteArray("q"));
    l.SetObjects(0, 7);
    l.BeginUpdate();
    l.Delete(0);
    l.EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(l.IndexOfObject(7), -1);
}

}  // namespace
