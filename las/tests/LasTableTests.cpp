// The table over real files in a temporary folder.
#include "DebugOutput.h"
#include "Exceptions.h"
#include "LasTestSupport.h"
#include "Logsheaf10.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const QByteArray Header20 =
    "~VERSION INFORMATION\r\n"
    " VERS.                 2.0 : CWLS LAS - VERSION 2.0\r\n"
    " WRAP.                  NO : ONE LINE PER DEPTH STEP\r\n"
    "~WELL INFORMATION\r\n"
    "STRT.M              1670.0 : START DEPTH\r\n"
    "STOP.M              1669.75 : STOP DEPTH\r\n"
    "STEP.M              -0.125 : STEP\r\n"
    "NULL.               -999.25 : NULL VALUE\r\n"
    "COMP.       ANY OIL COMPANY : COMPANY\r\n"
    "WELL.       AAAAA 1-16 : WELL\r\n"
    "~CURVE INFORMATION\r\n"
    "DEPT.M                      : 1  DEPTH\r\n"
    "DT  .US/M                   : 2  SONIC TRANSIT TIME\r\n"
    "RHOB.K/M3                   :\r\n"
    "~PARAMETER INFORMATION\r\n"
    "BHT .DEGC   35.5000 : BOTTOM HOLE TEMPERATURE\r\n"
    "~OTHER\r\n"
    "Note one\r\n"
    "~A  DEPTH     DT       RHOB\r\n";

using TRows = std::vector<std::vector<double>>;
const double E = std::nan("");  // an empty field

TRows ReadAll(TLogsheaf& t) {
    TRows rows;
    for (t.First(); !t.Eof(); t.Next()) {
        std::vector<double> row;
        for (int i = 0; i < t.FieldCount(); ++i) row.push_back(t.Fields(i)->IsNull() ? E : t.Fields(i)->AsFloat());
        rows.push_back(row);
    }
    return rows;
}

bool SameRows(const TRows& a, const TRows& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].size() != b[i].size()) return false;
        for (size_t j = 0; j < a[i].size(); ++j)
            if (!(a[i][j] == b[i][j] || (std::isnan(a[i][j]) && std::isnan(b[i][j])))) return false;
    }
    return true;
}

std::string Show(const TRows& rows) {
    std::string s;
    for (const auto& r : rows) {
        for (double v : r) s += std::to_string(v) + " ";
        s += "\n";
    }
    return s;
}

QStringList FieldNames(const TLogsheaf& t) {
    QStringList names;
    for (int i = 0; i < t.FieldCount(); ++i) names << t.Fields(i)->FieldName();
    return names;
}

struct TReadCase {
    const char* What;
    QByteArray Bytes;
    QStringList Names;
    TRows Rows;
};

TEST(LasTableRead, WhatTheFieldWrites) {
    const QByteArray minimalHeader = "~C\nDEPT.M :\nGR.GAPI :\n~A\n";
    const TReadCase cases[] = {
        {"version 2.0, CR LF", Header20 + "1670.000 123.45 2550.0\r\n1669.875 -999.25 2551.5\r\n",
         {"DEPT", "DT", "RHOB"}, {{1670, 123.45, 2550}, {1669.875, E, 2551.5}}},
        {"LF only, no final line end",
         QByteArray(Header20).replace("\r\n", "\n") + "1 2 3\n4 5 6",
         {"DEPT", "DT", "RHOB"}, {{1, 2, 3}, {4, 5, 6}}},
        {"CR only", QByteArray(Header20).replace("\r\n", "\r") + "1 2 3\r4 5 6\r",
         {"DEPT", "DT", "RHOB"}, {{1, 2, 3}, {4, 5, 6}}},
        {"tabs, commas and blank runs", Header20 + "1\t2,3\r\n4,,  5\t\t6\r\n",
         {"DEPT", "DT", "RHOB"}, {{1, 2, 3}, {4, 5, 6}}},
        {"comment and blank lines in data", Header20 + "# first\r\n\r\n1 2 3\r\n   \r\n#x 9 9\r\n4 5 6\r\n",
         {"DEPT", "DT", "RHOB"}, {{1, 2, 3}, {4, 5, 6}}},
        {"short and long lines", Header20 + "1 2\r\n4 5 6 7 8\r\n", {"DEPT", "DT", "RHOB"}, {{1, 2, E}, {4, 5, 6}}},
        {"only a curve section and data", minimalHeader + "100 -9999\n101 7\n", {"DEPT", "GR"}, {{100, E}, {101, 7}}},
        {"repeated curves", "~C\nDEPT.M :\nGR.GAPI :\nGR.GAPI :\nGR.X :\n~A\n1 2 3 4\n",
         {"DEPT", "GR", "GR__1", "GR__2"}, {{1, 2, 3, 4}}},
        {"a curve named like a made-up name", "~C\nDEPT.M :\nGR__1. :\nGR. :\nGR. :\n~A\n1 2 3 4\n",
         {"DEPT", "GR__1", "GR", "GR__2"}, {{1, 2, 3, 4}}},
        {"any NULL", "~W\nNULL. 0 : n\n~C\nDEPT.M :\nX. :\n~A\n1 0\n2 3\n", {"DEPT", "X"}, {{1, E}, {2, 3}}},
        {"exponents", minimalHeader + "1.5E+03 2.5e-2\n", {"DEPT", "GR"}, {{1500, 0.025}}},
        {"wrapped 2.0",
         "~V\nVERS. 2.0 :\nWRAP. YES :\n~W\nNULL. -999.25 :\n~C\nD.M :\nA. :\nB. :\nC. :\nD2. :\n~A\n"
         "910.000\n -999.2500 2692.7075\n 0.3140 19.4086\n909.5\n1 2 3 4\n",
         {"D", "A", "B", "C", "D2"}, {{910, E, 2692.7075, 0.314, 19.4086}, {909.5, 1, 2, 3, 4}}},
        {"version 1.2 wrapped", "~V\nVERS. 1.2 :\nWRAP. YES :\n~C\nD.M :\nA. :\nB. :\n~A\n1\n2 3\n4\n5\n6\n",
         {"D", "A", "B"}, {{1, 2, 3}, {4, 5, 6}}},
    };
    TLasFiles files;
    for (const TReadCase& c : cases) {
        SCOPED_TRACE(c.What);
        TLogsheaf t;
        t.SetFileName(files.Write("read.las", c.Bytes));
        ASSERT_NO_THROW(t.Open());
        EXPECT_EQ(FieldNames(t), c.Names);
        const TRows rows = ReadAll(t);
        EXPECT_TRUE(SameRows(rows, c.Rows)) << Show(rows);
        EXPECT_EQ(t.RecordCount(), int(c.Rows.size()));
        EXPECT_FALSE(t.Modified());
    }
}

TEST(LasTableRead, HeaderPropertiesAndLabels) {
    TLasFiles files;
    TLogsheaf t;
    t.SetFileName(files.Write("h.las", Header20 + "1 2 3\r\n"));
    t.Open();
    EXPECT_EQ(t.Version(), 20);
    EXPECT_FALSE(t.Wrapped());
    EXPECT_EQ(t.Start(), 1670.0);
    EXPECT_EQ(t.Stop(), 1669.75);
    EXPECT_EQ(t.Step(), -0.125);
    EXPECT_EQ(t.NullValue(), -999.25);
    EXPECT_EQ(t.Company(), "ANY OIL COMPANY");
    EXPECT_EQ(t.Well(), "AAAAA 1-16");
    EXPECT_EQ(t.Field(), "");
    EXPECT_EQ(t.ParametersCount(), 1);
    EXPECT_EQ(t.Comment(), QStringList{"Note one"});
    EXPECT_EQ(t.Fields(1)->DisplayLabel(), "2  SONIC TRANSIT TIME (US/M)");
    EXPECT_EQ(t.Fields(2)->DisplayLabel(), "RHOB (K/M3)");
    EXPECT_EQ(t.LASField(1)->Units, "US/M");
    EXPECT_EQ(t.LASFieldDefs()->Items(1)->Comment(), "2  SONIC TRANSIT TIME");
    t.Close();
    // Closed: the held copies.
    EXPECT_EQ(t.Company(), "");
    EXPECT_EQ(t.Start(), -1.0);
    EXPECT_EQ(t.Version(), 20);
}

TEST(LasTableRead, MappingsRenameCurves) {
    TLasFiles files;
    TLogsheaf t;
    t.SetMappings({"Depth=DEPT.M;Measured depth", "=DT", "Sonic=DT", "Slowness=Sonic"});
    t.SetFileName(files.Write("m.las", Header20 + "1 2 3\r\n"));
    t.Open();
    EXPECT_EQ(FieldNames(t), (QStringList{"Depth", "Slowness", "RHOB"}));
    EXPECT_EQ(t.FieldByName("slowness")->AsFloat(), 2.0);
    EXPECT_THROW(t.FieldByName("DT"), EDatabaseError);
}

TEST(LasTableRead, Version12SwapsWellValuesAndWritesThemBack) {
    TLasFiles files;
    const QByteArray text =
        "~V\r\nVERS. 1.2 : v\r\nWRAP. NO : w\r\n~W\r\nSTRT.M 10 : start\r\nWELL.   WELL : NORTH 5\r\n"
        "COMP.   COMPANY : ACME\r\n~C\r\nDEPT.M : d\r\n~A\r\n10\r\n";
    TLogsheaf t;
    t.SetFileName(files.Write("v12.las", text));
    t.Open();
    EXPECT_EQ(t.Version(), 12);
    EXPECT_EQ(t.Well(), "NORTH 5");
    EXPECT_EQ(t.Company(), "ACME");
    EXPECT_EQ(t.Start(), 10.0);
    t.SetWellState("TX");
    t.Close();
    const QByteArray saved = TLasFiles::Read(t.FileName());
    EXPECT_TRUE(saved.contains(CombineString("WELL", "", "WELL", "NORTH 5"))) << saved.constData();
    EXPECT_TRUE(saved.contains(CombineString("STAT", "", "State", "TX"))) << saved.constData();
    t.Open();
    EXPECT_EQ(t.Well(), "NORTH 5");
    EXPECT_EQ(t.WellState(), "TX");
    t.Close();
    // Force20Mode reads the columns as they stand.
    t.SetForce20Mode(true);
    t.SetReadOnly(true);
    t.Open();
    EXPECT_EQ(t.Well(), "WELL");
}

TEST(LasTableRead, CyrillicHeadersInEitherCodePage) {
    TLasFiles files;
    // "Скважина 5" in windows-1251 and in IBM866.
    const QByteArray ansi = "\xd1\xea\xe2\xe0\xe6\xe8\xed\xe0 5";
    const QByteArray oem = "\x91\xaa\xa2\xa0\xa6\xa8\xad\xa0 5";
    for (const QByteArray& well : {ansi, oem}) {
        SCOPED_TRACE(well.toHex().constData());
        const QByteArray text = "~W\nWELL. " + well + " : \xc8\xec\xff\n~C\nDEPT.M :\n~A\n1\n";
        for (const bool detect : {false, true}) {
            TLogsheaf t;
            t.SetAutodetectCodepage(detect);
            t.SetReadOnly(true);
            t.SetFileName(files.Write("cp.las", text));
            t.Open();
            EXPECT_EQ(t.Well(), QStringLiteral("Скважина 5"));
            EXPECT_EQ(t.Codepage(), detect && well == oem ? cpOEM : cpANSI);
        }
    }
    // An OEM table writes its header back in OEM.
    TLogsheaf t;
    t.SetAutodetectCodepage(true);
    t.SetFileName(files.Write("oem.las", "~W\nWELL. " + oem + " : w\n~C\nDEPT.M :\n~A\n1\n"));
    t.Open();
    t.SetField(QStringLiteral("Поле"));
    t.Close();
    const QByteArray saved = TLasFiles::Read(t.FileName());
    EXPECT_TRUE(saved.contains(oem));
    EXPECT_TRUE(saved.contains("\x8f\xae\xab\xa5"));
}

struct TFailCase {
    const char* What;
    QByteArray Bytes;
    QString Message;
    bool Database;
};

TEST(LasTableFailures, EachFailureGivesItsTextAndLeavesTheTableClosed) {
    const TFailCase cases[] = {
        {"no data section", "~C\nDEPT.M :\n", "Las: ~ASCII Log data section not found", true},
        {"no curve section", "~W\nSTRT.M 1 :\n~A\n1\n", "Las: ~Curve information section not found", true},
        {"empty curve section", "~C\n~A\n1\n", "Las: ~Curve information section is empty", true},
        {"only comments as curves", "~C\n# none\n\n~A\n1\n", "No fields defined", false},
        {"curve without mnemonic", "~C\n.M : x\n~A\n1\n", "Invalid mnemonic:.M : x", false},
        {"wrapped with too many values", "~V\nWRAP. YES :\n~C\nD. :\nA. :\n~A\n1\n2 3\n",
         "Las: Error while unwrapping file. Line 7[Too many curves]", true},
        {"a lower-case section letter", "~c\nDEPT.M :\n~A\n1\n", "Las: ~Curve information section not found", true},
    };
    TLasFiles files;
    for (const TFailCase& c : cases) {
        SCOPED_TRACE(c.What);
        const QString path = files.Write("bad.las", c.Bytes);
        TLogsheaf t;
        t.SetName(QStringLiteral("Las"));
        t.SetFileName(path);
        try {
            t.Open();
            ADD_FAILURE() << "opened";
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(c.Database);
            EXPECT_EQ(e.Message(), c.Message);
        } catch (const Exception& e) {
            EXPECT_FALSE(c.Database);
            EXPECT_EQ(e.Message(), c.Message);
        }
        EXPECT_FALSE(t.Active());
        EXPECT_EQ(t.FieldCount(), 0);
        EXPECT_EQ(TLasFiles::Read(path), c.Bytes);
    }
    TLogsheaf t;
    t.SetName(QStringLiteral("Las"));
    t.SetFileName(files.Path("missing.las"));
    try {
        t.Open();
        ADD_FAILURE() << "opened";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Las: File %1 not exists").arg(files.Path("missing.las")));
    }
    t.SetIgnoreInvalidMnemonics(true);
    t.SetFileName(files.Write("skip.las", "~C\n.M : x\nDEPT.M :\n~A\n1\n"));
    t.Open();
    EXPECT_EQ(FieldNames(t), QStringList{"DEPT"});
}

TEST(LasTableFailures, HostileInputNeitherCrashesNorBalloons) {
    TLasFiles files;
    QByteArray curves = "~C\n";
    for (int i = 0; i < 5000; ++i) curves += "C" + QByteArray::number(i) + ". :\n";
    QByteArray data = curves + "~A\n";
    for (int i = 0; i < 2000; ++i) data += "1\n";
    TLogsheaf t;
    t.SetFileName(files.Write("many.las", data));
    t.SetReadOnly(true);
    // 2000 one-value lines under 5000 curves would be 80 MB of records from 30 kB of text.
    EXPECT_THROW(t.Open(), EDatabaseError);
    EXPECT_FALSE(t.Active());
    t.SetFileName(files.Write("fewer.las", curves + "~A\n1 2 3\n"));
    t.Open();
    EXPECT_EQ(t.FieldCount(), 5000);
    EXPECT_EQ(t.Fields(2)->AsFloat(), 3.0);
    EXPECT_TRUE(t.Fields(3)->IsNull());
    t.Close();
    QByteArray binary;
    for (int i = 0; i < 4096; ++i) binary += char(1 + (i * 7919) % 255);  // no NUL: it would end the text
    t.SetFileName(files.Write("binary.las", "~C\nD. :\n~A\n" + binary + "\n" + QByteArray(1 << 20, '7') + "\n5\n"));
    t.Open();
    t.Last();
    EXPECT_EQ(t.Fields(0)->AsFloat(), 5.0);
}

TEST(LasTableCursor, NavigationRecNoBookmarksAndDelete) {
    TLasFiles files;
    TLogsheaf t;
    t.SetFileName(files.Write("c.las", Header20 + "1 0 0\r\n2 0 0\r\n3 0 0\r\n4 0 0\r\n"));
    t.Open();
    TField* depth = t.Fields(0);
    int scrolls = 0;
    t.AfterScroll = [&](TDataSet&) { ++scrolls; };
    t.Last();
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(depth->AsFloat(), 4.0);
    EXPECT_EQ(t.RecNo(), 4);
    t.Prior();
    EXPECT_EQ(depth->AsFloat(), 3.0);
    t.SetRecNo(2);
    EXPECT_EQ(t.RecNo(), 2);
    EXPECT_EQ(depth->AsFloat(), 2.0);
    const TBookmark two = t.GetBookmark();
    t.First();
    EXPECT_TRUE(t.Bof());
    EXPECT_EQ(t.MoveBy(10), 3);
    EXPECT_TRUE(t.Eof());
    t.GotoBookmark(two);
    EXPECT_EQ(depth->AsFloat(), 2.0);
    EXPECT_GT(scrolls, 5);
    // Deleting the last record leaves the cursor on the new last one.
    t.Last();
    t.Delete();
    EXPECT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(depth->AsFloat(), 3.0);
    t.SetRecNo(3);
    EXPECT_EQ(t.RecNo(), 3);
    t.SetRecNo(99);
    EXPECT_EQ(t.RecNo(), 3);
    // The bookmark of a deleted record is gone.
    t.Last();
    const TBookmark three = t.GetBookmark();
    t.Delete();
    EXPECT_THROW(t.GotoBookmark(three), EDatabaseError);
    EXPECT_THROW(t.GotoBookmark(QByteArray("\x01\x00\x00\x00", 4)), EDatabaseError);  // a header line
    EXPECT_TRUE(t.Modified());
    t.SetReadOnly(true);
}

TEST(LasTableCursor, EditInsertAppendPostCancel) {
    TLasFiles files;
    const QString path = files.Write("e.las", Header20 + "1 10 100\r\n2 20 200\r\n");
    TLogsheaf t;
    t.SetFileName(path);
    t.Open();
    std::vector<QString> changed;
    t.Fields(1)->OnChange = [&](TField& f) { changed.push_back(f.FieldName()); };
    EXPECT_THROW(t.Fields(1)->SetAsFloat(5), EDatabaseError);
    t.Edit();
    t.Fields(1)->SetAsFloat(11);
    t.Cancel();
    EXPECT_EQ(t.Fields(1)->AsFloat(), 10.0);
    EXPECT_FALSE(t.Modified());
    t.Edit();
    t.Fields(1)->SetAsFloat(12.5);
    t.Fields(2)->Clear();
    t.Post();
    EXPECT_EQ(changed.size(), 2u);
    EXPECT_TRUE(t.Modified());
    t.Next();
    t.Insert();
    EXPECT_TRUE(t.Fields(0)->IsNull());
    t.Fields(0)->SetAsFloat(1.5);
    t.Post();
    EXPECT_EQ(t.RecNo(), 2);
    t.Append();
    t.Fields(0)->SetAsString(QStringLiteral("3"));
    t.Cancel();
    EXPECT_EQ(t.RecordCount(), 3);
    t.Append();
    t.Fields(0)->SetAsFloat(3);
    t.Fields(1)->SetAsFloat(std::nan(""));
    t.Post();
    EXPECT_EQ(t.RecNo(), 4);
    t.Close();
    t.Open();
    EXPECT_TRUE(SameRows(ReadAll(t), TRows{{1, 12.5, E}, {1.5, E, E}, {2, 20, 200}, {3, E, E}})) << Show(ReadAll(t));
}

TEST(LasTableCursor, HeaderOnlyReadsTheHeaderAndKeepsTheData) {
    TLasFiles files;
    const QByteArray data = "1670.000 123.45 2550.0\r\n\r\n#keep me\r\n1669.875 -999.25 2551.5\r\n";
    const QString path = files.Write("ho.las", Header20 + data);
    TLogsheaf t;
    t.SetHeaderOnly(true);
    t.SetFileName(path);
    t.Open();
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.Well(), "AAAAA 1-16");
    EXPECT_EQ(t.FieldCount(), 3);
    t.SetWell(QStringLiteral("BBB 2"));
    t.DeleteProperty(lsWell, QStringLiteral("COMP"));
    t.Close();
    const QByteArray saved = TLasFiles::Read(path);
    EXPECT_TRUE(saved.endsWith(data)) << saved.constData();
    EXPECT_FALSE(saved.contains("COMP."));
    t.SetHeaderOnly(false);
    t.SetReadOnly(true);
    t.Open();
    EXPECT_EQ(t.Well(), "BBB 2");
    EXPECT_EQ(t.RecordCount(), 2);
}

TEST(LasTableHeader, PropertiesWriteLinesInPlace) {
    TLasFiles files;
    TLogsheaf t;
    t.SetFileName(files.Write("p.las", "~V\nVERS. 2.0 :\n~C\nDEPT.M :\n~A\n1\n"));
    t.Open();
    t.SetLocation(QStringLiteral("Field 7"));
    EXPECT_EQ(t.GetProperty(lsWell, QStringLiteral("loc")), QString::fromLatin1(CombineString("LOC", "", "Field 7", "Location")));
    t.SetStart(1000.12345);
    EXPECT_EQ(t.GetValue(lsWell, QStringLiteral("STRT")), "1000.123");
    t.SetProperty(lsConstants, QStringLiteral("BHT"), QStringLiteral("35"), QStringLiteral("DEGC"), QStringLiteral("Temp"));
    t.SetProperty(lsVersion, QStringLiteral("WRAP"), QStringLiteral("yes"));
    EXPECT_TRUE(t.Wrapped());
    t.SetProperty(lsVersion, QStringLiteral("VERS"), QStringLiteral("1.2"));
    EXPECT_EQ(t.Version(), 12);
    // A property written into a missing section creates it before the next one present.
    t.SetProperty(lsComments, QStringLiteral("NOTE"), QStringLiteral("x"));
    const QString sections = t.GetSection(lsVersion);
    EXPECT_TRUE(sections.contains(QStringLiteral("WRAP")));
    EXPECT_EQ(t.ParametersCount(), 1);
    EXPECT_THROW(t.SetValue(lsData, QStringLiteral("X"), QStringLiteral("1")), EDatabaseError);
    EXPECT_THROW(t.SetProperty(lsData, QStringLiteral("X"), QStringLiteral("1")), EDatabaseError);
    for (const auto& [sect, prop] : std::vector<std::pair<TLASSections, QString>>{
             {lsVersion, "VERS"}, {lsVersion, "WRAP"}, {lsWell, "STRT"}, {lsWell, "STOP"}, {lsWell, "STEP"},
             {lsWell, "DATE"}, {lsWell, "NULL"}})
        EXPECT_THROW(t.DeleteProperty(sect, prop), EDatabaseError) << prop.toStdString();
    EXPECT_THROW(t.SetNullValue(1), EDatabaseError);
    t.SetComment({"line one", "line two"});
    EXPECT_EQ(t.Comment(), (QStringList{"line one", "line two"}));
    t.Close();
    TAnsiStringList lines;
    lines.LoadFromFile(t.FileName());
    QList<QByteArray> sectionLines;
    for (int i = 0; i < lines.Count(); ++i)
        if (lines.Strings(i).startsWith('~')) sectionLines << lines.Strings(i);
    EXPECT_EQ(sectionLines, (QList<QByteArray>{"~V", "~Well information", "~C", "~Parameter information block",
                                               "~Other information", "~A"}));
    EXPECT_EQ(lines.Strings(1), LASBanner);
}

TEST(LasTableHeader, ClosingAModifiedReadOnlyTableLeavesTheFile) {
    TLasFiles files;
    const QByteArray text = Header20 + "1 2 3\r\n";
    TLogsheaf t;
    t.SetReadOnly(true);
    t.SetFileName(files.Write("ro.las", text));
    t.Open();
    t.Edit();
    t.Fields(1)->SetAsFloat(9);
    t.Post();
    t.Flip();
    t.Close();
    EXPECT_EQ(TLasFiles::Read(t.FileName()), text);
}

TEST(LasTableHeader, FlipReversesRecordsStepAndExtent) {
    TLasFiles files;
    TLogsheaf t;
    t.SetFileName(files.Write("f.las",
                              "~W\nSTRT.M 100 : s\nSTOP.M 102 : e\nSTEP.M 1 : st\n~C\nDEPT.M :\nX. :\n~A\n100 1\n101 2\n102 3\n"));
    t.Open();
    t.Flip();
    EXPECT_EQ(t.Step(), -1.0);
    EXPECT_EQ(t.Start(), 102.0);
    EXPECT_EQ(t.Stop(), 100.0);
    EXPECT_EQ(t.RecNo(), 1);
    t.Close();
    t.Open();
    EXPECT_TRUE(SameRows(ReadAll(t), TRows{{102, 3}, {101, 2}, {100, 1}}));
    EXPECT_TRUE(t.GetProperty(lsWell, QStringLiteral("STEP")).contains(QStringLiteral(" st")));
}

TEST(LasTableHeader, DetectDataStartStop) {
    TLasFiles files;
    TLogsheaf t;
    t.SetFileName(files.Write("d.las", "~C\nDEPT.M :\nA. :\nB. :\n~A\n10 -9999 -9999\n11 1 -9999\n12 2 -9999\n13 -9999 -9999\n"));
    t.Open();
    t.DetectDataStartStop();
    EXPECT_EQ(t.LASField(0)->Start, 10.0);
    EXPECT_EQ(t.LASField(0)->Stop, 13.0);
    EXPECT_EQ(t.LASField(1)->Start, 11.0);
    EXPECT_EQ(t.LASField(1)->Stop, 12.0);
    EXPECT_TRUE(std::isnan(t.LASField(2)->Start) && std::isnan(t.LASField(2)->Stop));
}

TEST(LasTableSave, FailedSaveKeepsTheOldFileAndRaisesFromClose) {
    TLasFiles files;
    const QByteArray text = Header20 + "1 2 3\r\n";
    const QString dir = files.Path("wells");
    const QString moved = files.Path("moved");
    QDir().mkpath(dir);
    const QString path = dir + "/s.las";
    files.Write("wells/s.las", text);
    // The folder goes away while the table is open and a plain file takes its
    // name: no temporary file can be made beside the table's file.
    auto blockFolder = [&] {
        QDir().rename(dir, moved);
        files.Write("wells", "not a folder");
    };
    auto restoreFolder = [&] {
        QFile::remove(dir);
        QDir().rename(moved, dir);
    };
    TDebugOutputCapture debug;
    {
        TLogsheaf t;
        t.SetFileName(path);
        t.Open();
        t.Edit();
        t.Fields(1)->SetAsFloat(7);
        t.Post();
        blockFolder();
        EXPECT_THROW(t.Close(), Exception);
        EXPECT_FALSE(t.Active());
        EXPECT_TRUE(debug.Contains(QStringLiteral("TLogsheaf.InternalClose")));
        restoreFolder();
        t.Open();
        t.Edit();
        t.Fields(1)->SetAsFloat(8);
        t.Post();
        blockFolder();
    }  // destruction swallows the second failure
    restoreFolder();
    EXPECT_EQ(TLasFiles::Read(path), text);
    EXPECT_EQ(debug.Count(QStringLiteral("failed")), 2);
}

TEST(LasTableCreate, NewFileFromDefinitionsAndHeldValues) {
    TLasFiles files;
    TLogsheaf t;
    t.SetName(QStringLiteral("New"));
    t.SetFileName(files.Path("new.las"));
    EXPECT_THROW(t.CreateTable(), EDatabaseError);
    t.LASFieldDefs()->Add(QStringLiteral("DEPT"), QStringLiteral("M"), QStringLiteral("Depth"));
    t.LASFieldDefs()->Add(QStringLiteral("Gamma"));
    t.SetMappings({"Gamma=GR.GAPI;Gamma ray"});
    t.SetWell(QStringLiteral("W-1"));
    t.SetCompany(QStringLiteral("ACME"));
    t.SetWellID(QStringLiteral("UW1"));
    t.SetDate(QStringLiteral("01-02-2020"));
    t.SetStep(0.1);
    t.SetComment({"made by a test"});
    t.CreateTable();
    EXPECT_FALSE(t.Active());
    const QByteArray text = TLasFiles::Read(t.FileName());
    const QList<QByteArray> expected = {
        "~Version information",
        LASBanner,
        CombineString("VERS", "", "2.0", "CWLS LAS Version"),
        CombineString("WRAP", "", "NO", "Wrap mode"),
        "~Well information",
        CombineString("STRT", "M", "", "Started at"),
        CombineString("STOP", "M", "", "Stopped at"),
        CombineString("STEP", "M", "0.1", "Step"),
        CombineString("NULL", "", "-9999", "Null value"),
        CombineString("COMP", "", "ACME", "Company"),
        CombineString("WELL", "", "W-1", "Well"),
        CombineString("DATE", "", "01-02-2020", "Date"),
        CombineString("UWI", "", "UW1", "Unique well identifier"),
        "~Curve information",
        CombineString("DEPT", "M", "", "Depth"),
        CombineString("GR", "GAPI", "", "Gamma ray"),
        "~Other information",
        "made by a test",
        "~ASCII Log data",
    };
    EXPECT_EQ(text, CrLf(expected));
    // The new table opens and takes records.
    t.Open();
    EXPECT_EQ(t.NullValue(), -9999.0);
    EXPECT_EQ(t.Version(), 20);
    EXPECT_THROW(t.CreateTable(), EDatabaseError);
    t.Append();
    t.Fields(0)->SetAsFloat(1);
    t.Post();
    t.Close();
    const TStrictLas strict = ReadStrictLas20(TLasFiles::Read(t.FileName()));
    ASSERT_TRUE(strict.Ok) << strict.Error;
    EXPECT_EQ(strict.Curves, (std::vector<std::string>{"DEPT", "GR"}));
}

TEST(LasTableCreate, Version12NewFileHoldsValuesInTheDescriptionColumn) {
    TLasFiles files;
    TLogsheaf t;
    t.SetFileName(files.Path("old.las"));
    t.LASFieldDefs()->Add(QStringLiteral("DEPT"), QStringLiteral("M"));
    t.SetVersion(12);
    t.SetNullValue(-999.25);
    t.SetWrapped(true);
    t.SetWell(QStringLiteral("W-1"));
    t.SetStart(5);
    t.CreateTable();
    const QByteArray text = TLasFiles::Read(t.FileName());
    EXPECT_TRUE(text.contains(CombineString("VERS", "", "1.2", "CWLS LAS Version")));
    EXPECT_TRUE(text.contains(CombineString("WRAP", "", "YES", "Wrap mode")));
    EXPECT_TRUE(text.contains(CombineString("WELL", "", "Well", "W-1")));
    EXPECT_TRUE(text.contains(CombineString("NULL", "", "-999.25", "Null value")));
    EXPECT_TRUE(text.contains(CombineString("STRT", "M", "5", "Started at")));
    t.Open();
    EXPECT_EQ(t.Well(), "W-1");
    EXPECT_TRUE(t.Wrapped());
}

// Writes a table through the table itself, then reads it with the strict
// reader and with the table again.
TEST(LasRoundTrip, EveryValueSurvivesWrappedOrNotIn12And20) {
    TLasFiles files;
    const int curves = 9;
    TRows rows;
    for (int r = 0; r < 40; ++r) {
        std::vector<double> row{1000 + r * 0.125};
        for (int c = 1; c < curves; ++c) {
            const int k = r * curves + c;
            row.push_back(k % 13 == 0 ? E : (k % 2 ? 1 : -1) * (k * 1.375 + (k % 7) * 0.00001) * (c == 8 ? 1e6 : 1));
        }
        rows.push_back(row);
    }
    for (const int version : {12, 20})
        for (const bool wrapped : {false, true}) {
            SCOPED_TRACE(std::to_string(version) + (wrapped ? " wrapped" : ""));
            TLogsheaf t;
            t.SetFileName(files.Path(QStringLiteral("rt%1%2.las").arg(version).arg(wrapped)));
            for (int c = 0; c < curves; ++c) t.LASFieldDefs()->Add(c == 0 ? QStringLiteral("DEPT") : QStringLiteral("C%1").arg(c));
            t.SetVersion(version);
            t.SetWrapped(wrapped);
            t.SetNullValue(-999.25);
            t.CreateTable();
            t.Open();
            for (const auto& row : rows) {
                t.Append();
                for (int c = 0; c < curves; ++c)
                    if (!std::isnan(row[size_t(c)])) t.Fields(c)->SetAsFloat(row[size_t(c)]);
                t.Post();
            }
            t.Close();
            const QByteArray text = TLasFiles::Read(t.FileName());
            if (version == 20) {
                const TStrictLas strict = ReadStrictLas20(text);
                ASSERT_TRUE(strict.Ok) << strict.Error << "\n" << text.constData();
                EXPECT_EQ(strict.Wrap, wrapped);
                ASSERT_EQ(strict.Rows.size(), rows.size());
                for (size_t r = 0; r < rows.size(); ++r)
                    for (int c = 0; c < curves; ++c) {
                        const double want = rows[r][size_t(c)];
                        const double got = strict.Rows[r][size_t(c)];
                        if (std::isnan(want)) EXPECT_EQ(got, strict.Null);
                        else EXPECT_DOUBLE_EQ(got, want) << r << "," << c;
                    }
            }
            t.Open();
            const TRows back = ReadAll(t);
            ASSERT_EQ(back.size(), rows.size());
            for (size_t r = 0; r < rows.size(); ++r)
                for (int c = 0; c < curves; ++c) {
                    const double want = rows[r][size_t(c)];
                    if (std::isnan(want)) EXPECT_TRUE(std::isnan(back[r][size_t(c)]));
                    else EXPECT_DOUBLE_EQ(back[r][size_t(c)], want) << r << "," << c;
                }
        }
}

}  // namespace
