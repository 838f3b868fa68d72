// The table over files as they come from the field: UTF-8 text with or
// without a byte-order mark, values of many digits, LAS 3.0 and bytes that
// only look like a LAS file.
#include "Exceptions.h"
#include "LasTestSupport.h"
#include "Logsheaf10.h"
#include "TestSupport.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Windows-1251 of Russian text, by the code page's own layout: А..я are
// C0..FF in order; everything else here is ASCII.
QByteArray Cp1251(const QString& text) {
    QByteArray out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        out += u >= 0x410 && u <= 0x44F ? char(0xC0 + (u - 0x410)) : char(u);
    }
    return out;
}

QByteArray Utf8(const QString& text) { return text.toUtf8(); }

// A LAS 2.0 file with a well name, a curve named, measured and described in
// the given text, in one encoding.
QByteArray Las20(const QString& well, const QString& curve, const QString& unit, const QString& descr,
                 QByteArray (*encode)(const QString&)) {
    return encode(QStringLiteral("~VERSION INFORMATION\r\n"
                                 " VERS.   2.0 : CWLS LAS - VERSION 2.0\r\n"
                                 " WRAP.   NO : ONE LINE PER DEPTH STEP\r\n"
                                 "~WELL INFORMATION\r\n"
                                 "STRT.M  100.0 : START DEPTH\r\n"
                                 "STOP.M  100.5 : STOP DEPTH\r\n"
                                 "STEP.M  0.5 : STEP\r\n"
                                 "NULL.  -999.25 : NULL VALUE\r\n"
                                 "WELL.  %1 : WELL\r\n"
                                 "~CURVE INFORMATION\r\n"
                                 "DEPT.M : DEPTH\r\n"
                                 "%2.%3 : %4\r\n"
                                 "~A\r\n"
                                 "100.0 1.5\r\n"
                                 "100.5 2.5\r\n")
                      .arg(well, curve, unit, descr));
}

TEST(LasTable, Utf8AndByteOrderMark) {
    const QByteArray mark = "\xEF\xBB\xBF";
    struct TCase {
        const char* What;
        QString Well, Curve, Unit, Descr;
        QByteArray (*Encode)(const QString&);
        bool Mark;
        TLASCodepage Page;
        // How new text is written back.
        QByteArray (*Writes)(const QString&);
    } const cases[] = {
        {"ASCII", "NORTH 5", "GR", "API", "GAMMA RAY", Cp1251, false, cpANSI, Cp1251},
        {"UTF-8", "Скважина 5", "ГК", "метер", "Гамма-каротаж", Utf8, false, cpUTF8, Utf8},
        {"UTF-8 with a mark", "Скважина 5", "ГК", "метер", "Гамма-каротаж", Utf8, true, cpUTF8, Utf8},
        {"ASCII with a mark", "NORTH 5", "GR", "API", "GAMMA RAY", Utf8, true, cpANSI, Cp1251},
        {"Windows-1251", "Скважина 5", "ГК", "метер", "Гамма-каротаж", Cp1251, false, cpANSI, Cp1251},
    };
    TLasFiles files;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const QByteArray bytes = (c.Mark ? mark : QByteArray()) + Las20(c.Well, c.Curve, c.Unit, c.Descr, c.Encode);
        const QString path = files.Write("enc.las", bytes);
        {
            TLogsheaf t;
            t.SetFileName(path);
            t.SetReadOnly(true);
            t.Open();
            // The mark is no part of the version section's line: the file is 2.0.
            EXPECT_EQ(t.Version(), 20);
            EXPECT_EQ(t.Well(), c.Well);
            EXPECT_EQ(t.Codepage(), c.Page);
            EXPECT_EQ(t.ByteOrderMark(), c.Mark);
            ASSERT_EQ(t.FieldCount(), 2);
            EXPECT_EQ(t.Fields(1)->FieldName(), c.Curve);
            EXPECT_EQ(t.LASField(1)->Units, c.Unit);
            EXPECT_EQ(t.LASField(1)->Comment, c.Descr);
            EXPECT_EQ(t.Fields(1)->DisplayLabel(), c.Descr + " (" + c.Unit + ")");
            t.Last();
            EXPECT_EQ(t.Fields(1)->AsFloat(), 2.5);
        }
        // Edited and saved, the file keeps its encoding and its mark.
        {
            TLogsheaf t;
            t.SetFileName(path);
            t.Open();
            t.SetField(QStringLiteral("Поле 7"));
            t.First();
            t.Edit();
            t.Fields(1)->SetAsFloat(1.75);
            t.Post();
            t.Close();
        }
        const QByteArray saved = TLasFiles::Read(path);
        EXPECT_EQ(saved.startsWith(mark), c.Mark);
        EXPECT_EQ(saved.count(mark), c.Mark ? 1 : 0);
        EXPECT_TRUE(saved.contains(c.Writes(QStringLiteral("Поле 7"))));
        EXPECT_TRUE(saved.contains(c.Encode(c.Well)));
        EXPECT_TRUE(saved.contains(c.Encode(c.Unit)));
        TLogsheaf t;
        t.SetFileName(path);
        t.SetReadOnly(true);
        t.Open();
        EXPECT_EQ(t.Version(), 20);
        EXPECT_EQ(t.Well(), c.Well);
        EXPECT_EQ(t.Field(), QStringLiteral("Поле 7"));
        EXPECT_EQ(t.LASField(1)->Units, c.Unit);
        EXPECT_EQ(t.Fields(1)->AsFloat(), 1.75);
    }
}

// Values as the file holds them, read by the C library.
std::vector<double> Numbers(const std::vector<const char*>& texts) {
    std::vector<double> v;
    for (const char* t : texts) v.push_back(std::strtod(t, nullptr));
    return v;
}

TEST(LasTable, RewriteKeepsEveryDigit) {
    const std::vector<const char*> depth = {"1000.1", "1000.2", "1000.3"};
    const std::vector<const char*> a = {"0.989007", "0.000004", "-0.000001234"};
    const std::vector<const char*> b = {"1.23456789012345", "123456.7890123", "2.5"};
    QByteArray text =
        "~V\r\nVERS. 2.0 : v\r\nWRAP. NO : w\r\n~W\r\nSTRT.M 1000.1 : s\r\nSTOP.M 1000.3 : e\r\nSTEP.M 0.1 : st\r\n"
        "NULL. -999.25 : n\r\n~C\r\nDEPT.M : d\r\nA. : a\r\nB. : b\r\n~A\r\n";
    for (size_t i = 0; i < depth.size(); ++i) text += QByteArray(depth[i]) + " " + a[i] + " " + b[i] + "\r\n";
    TLasFiles files;
    const QString source = files.Write("digits.las", text);
    const auto check = [&](const QString& path, int editedRow) {
        TLogsheaf t;
        t.SetFileName(path);
        t.SetReadOnly(true);
        t.Open();
        ASSERT_EQ(t.RecordCount(), 3);
        const std::vector<double> d = Numbers(depth), va = Numbers(a), vb = Numbers(b);
        int row = 0;
        for (t.First(); !t.Eof(); t.Next(), ++row) {
            EXPECT_EQ(t.Fields(0)->AsFloat(), d[size_t(row)]) << row;
            EXPECT_EQ(t.Fields(1)->AsFloat(), row == editedRow ? 7.25 : va[size_t(row)]) << row;
            EXPECT_EQ(t.Fields(2)->AsFloat(), vb[size_t(row)]) << row;
        }
    };

    // lasdump --rewrite posts every record back unchanged.
    const QString out = files.Path("rewritten.las");
    QProcess p;
    p.start(BinDir() + "/lasdump", {"--rewrite", out, source});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    const QByteArray rewritten = TLasFiles::Read(out);
    EXPECT_TRUE(rewritten.contains("0.989007")) << rewritten.constData();
    EXPECT_FALSE(rewritten.contains("0.98901 ")) << rewritten.constData();
    check(out, -1);
    const TStrictLas strict = ReadStrictLas20(rewritten);
    ASSERT_TRUE(strict.Ok) << strict.Error;
    EXPECT_EQ(strict.Rows[1][1], 4e-6);

    // Editing one record and saving changes no other value.
    {
        TLogsheaf t;
        t.SetFileName(source);
        t.Open();
        t.Next();
        t.Edit();
        t.Fields(1)->SetAsFloat(7.25);
        t.Post();
        t.Close();
    }
    check(source, 1);
}

TEST(LasTable, Las30IsRefusedByName) {
    const QByteArray version30 = "~Version\r\nVERS. 3.0 : CWLS LOG ASCII STANDARD - VERSION 3.0\r\nWRAP. NO : w\r\n"
                                 "DLM . SPACE : delimiter\r\n~Well\r\nSTRT.M 100 : s\r\nNULL. -999.25 : n\r\n";
    struct TCase {
        const char* What;
        QByteArray Bytes;
        QString Message;  // %1: the file's path
    } const cases[] = {
        {"LAS 3.0 with its own section names",
         version30 + "~Curve\r\nDEPT.M : d\r\nNAME. : n {S}\r\n~Log_Data | Log_Definition\r\n100 \"Well A\"\r\n",
         "Las: LAS 3.0 is not supported: %1"},
        {"LAS 3.0 with an ~ASCII section",
         version30 + "~Curve\r\nDEPT.M : d\r\nNAME. : n {S}\r\n~ASCII\r\n100 \"Well A\"\r\n",
         "Las: LAS 3.0 is not supported: %1"},
        {"bytes with a curve and a data section line",
         QByteArray("\x01\x7f\x80garbage\n~C\nzz. :\n~A\nqq ww\n\xfe\xff abc\n# note\n"),
         "Las: ~ASCII Log data section holds no numbers"},
    };
    TLasFiles files;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const QString path = files.Write("refused.las", c.Bytes);
        for (const bool headerOnly : {false, true}) {
            TLogsheaf t;
            t.SetName("Las");
            t.SetFileName(path);
            t.SetHeaderOnly(headerOnly);
            try {
                t.Open();
                // Only a look at the data tells bytes from a table.
                EXPECT_TRUE(headerOnly && !c.Message.contains("%1")) << "opened";
            } catch (const EDatabaseError& e) {
                EXPECT_EQ(e.Message(), c.Message.contains("%1") ? c.Message.arg(path) : c.Message);
            }
            t.Close();
            EXPECT_EQ(TLasFiles::Read(path), c.Bytes);
        }
    }
    // A data section without lines is a table without records.
    TLogsheaf t;
    t.SetFileName(files.Write("empty.las", "~V\nVERS. 2.0 :\n~C\nDEPT.M :\n~A\n\n# none yet\n"));
    t.Open();
    EXPECT_EQ(t.RecordCount(), 0);
}

}  // namespace
