// Desktop files, desktop names and the program information component.
#include "DesktopFiles.h"
#include "ExeInfo.h"
#include "TestSupport.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray ReadAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

// The project's version as the top build file states it.
QString ProjectVersion() {
    const QString text = QString::fromUtf8(ReadAll(SourceDir() + "/CMakeLists.txt"));
    const QRegularExpressionMatch m = QRegularExpression(R"(project\(Welvista\s+VERSION\s+([0-9.]+))").match(text);
    return m.hasMatch() ? m.captured(1) : QString();
}

namespace {

TEST(DesktopFiles, WrittenAndReadBackInSectionOrder) {
    QTemporaryDir dir;
    const QString file = dir.filePath("a.sd2");
    TDesktopContent docked;
    docked.ActivePage = 1;
    // Three pages A, B, C: the last page goes into section [0].
    docked.Forms = {{"object C: TBaseMDIForm", "Caption = 'C'", "end"},
                    {"object B: TBaseMDIForm", "end"},
                    {"object A: TBaseMDIForm", "  Left = 10", "end"}};
    WriteDesktopFile(file, docked);
    const QByteArray bytes = ReadAll(file);
    EXPECT_TRUE(bytes.startsWith("[Desktop]\r\nCount=3\r\nActivePage=1\r\n[0]\r\nobject C: TBaseMDIForm\r\n"))
        << bytes.constData();
    const TDesktopContent back = ReadDesktopFile(file);
    EXPECT_EQ(back.ActivePage, 1);
    ASSERT_EQ(back.Forms.size(), 3);
    EXPECT_EQ(back.Forms[0], docked.Forms[0]);
    EXPECT_EQ(back.Forms[2], QStringList({"object A: TBaseMDIForm", "Left = 10", "end"}));  // trimmed

    TDesktopContent multi;
    multi.ActivePage = MultiWindowActivePage;
    WriteDesktopFile(file, multi);
    EXPECT_TRUE(ReadAll(file).contains("ActivePage= -2\r\n"));
    EXPECT_EQ(ReadDesktopFile(file).ActivePage, MultiWindowActivePage);
}

TEST(DesktopFiles, OldIniTextIsReadAsTheOldReaderDid) {
    QTemporaryDir dir;
    const QString file = dir.filePath("old.sd2");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[desktop]\nCount = 3\nActivePage=  -2\n\n[1]\n; a comment\n   object F: TBaseMDIForm\n\n  end  \n"
            "[0]\nobject G: TBaseMDIForm\nend\n");
    f.close();
    const TDesktopContent c = ReadDesktopFile(file);
    EXPECT_EQ(c.ActivePage, MultiWindowActivePage);
    // Count 3 but the last section is [1]: only two forms are read.
    ASSERT_EQ(c.Forms.size(), 2);
    EXPECT_EQ(c.Forms[1], QStringList({"object F: TBaseMDIForm", "end"}));

    const TDesktopContent missing = ReadDesktopFile(dir.filePath("none.sd2"));
    EXPECT_EQ(missing.ActivePage, 0);
    EXPECT_TRUE(missing.Forms.isEmpty());
}

TEST(DesktopFiles, NamesFolderAndWriteErrors) {
    TTempXdgHome home;
    const QString folder = DesktopsFolder();
    EXPECT_TRUE(folder.endsWith("/Tessaline/WelvistaDesktops/"));
    EXPECT_TRUE(QDir(folder).exists());

    EXPECT_EQ(CleanDesktopName("a/b:c"), "abc");
    EXPECT_EQ(CleanDesktopName("Смена <2>|\"*?\\"), "Смена 2");
    EXPECT_EQ(DesktopFileName("a/b:c"), folder + "abc.sd2");  // a typed slash is no folder
    EXPECT_EQ(DesktopFileName("ab:c"), folder + "abc.sd2");
    try {
        DesktopFileName(":?*");
        ADD_FAILURE() << "an empty name was accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Недопустимое название набора форм");
    }

    EXPECT_EQ(DesktopNames(folder), QStringList({DefaultDesktopName}));
    WriteDesktopFile(folder + DefaultDesktopName + DesktopExt, {});
    WriteDesktopFile(DesktopFileName("Бурение"), {});
    WriteDesktopFile(DesktopFileName("Area"), {});
    EXPECT_EQ(DesktopNames(folder), QStringList({DefaultDesktopName, "Area", "Бурение"}));

    // A folder that cannot take the file: a clear error, nothing written.
    EXPECT_THROW(WriteDesktopFile(folder + "missing/x.sd2", {}), Exception);
    EXPECT_FALSE(QFile::exists(folder + "missing/x.sd2"));
}

TEST(ProgramInformation, VersionRecordAndParts) {
    TExeInfo info;
    QTemporaryDir dir;
    const QString program = dir.filePath("Welvista2");
    const QString before = info.ProductName();
    info.GetVersionInfoOfApp(program);  // no record: nothing read
    EXPECT_EQ(info.ProductName(), before);

    struct TCase { const char* Version; int Major, Minor, Release, Build; };
    const TCase cases[] = {
        {"2.5", 2, 5, -1, -1},
        {"1.4.0.118", 1, 4, 0, 118},
        {"3,1,x,7", 3, 1, -1, 7},
        {"", -1, -1, -1, -1},
    };
    for (const TCase& c : cases) {
        QFile record(VersionRecordFile(program));
        ASSERT_TRUE(record.open(QIODevice::WriteOnly | QIODevice::Truncate));
        record.write(QByteArray("[StringFileInfo]\nFileVersion=") + c.Version + "\nLegalTradeMarks=TM\n");
        record.close();
        info.GetVersionInfoOfApp(program);
        EXPECT_EQ(info.FileVersion(), c.Version);
        EXPECT_EQ(info.LegalTradeMark(), "TM");
        EXPECT_EQ(info.CompanyName(), "");  // a missing key leaves its property empty
        EXPECT_EQ(info.MajorVersion(), c.Major) << c.Version;
        EXPECT_EQ(info.MinorVersion(), c.Minor) << c.Version;
        EXPECT_EQ(info.ReleaseNumber(), c.Release) << c.Version;
        EXPECT_EQ(info.BuildNumber(), c.Build) << c.Version;
    }
    EXPECT_EQ(info.Version(), "1.3.3.0");
    EXPECT_FALSE(info.OSName().isEmpty());
    EXPECT_TRUE(info.TempDir().endsWith('/'));
}

TEST(ProgramInformation, TheBuildWritesEachProgramsVersion) {
    const QString version = ProjectVersion();
    ASSERT_FALSE(version.isEmpty());
    for (const char* program : {"Welvista2", "WKDsgn", "acqsim"}) {
        const QString file = BinDir() + "/" + program;
        ASSERT_TRUE(QFile::exists(VersionRecordFile(file))) << program;
        TExeInfo info;
        info.GetVersionInfoOfApp(file);
        EXPECT_EQ(info.FileVersion(), version) << program;
        EXPECT_EQ(info.ProductVersion(), version) << program;
        EXPECT_EQ(info.ProductName(), "Welvista") << program;
        EXPECT_EQ(info.InternalName(), program);
        const QDate built = QDate::fromString(info.BuildDate(), Qt::ISODate);
        EXPECT_TRUE(built.isValid()) << info.BuildDate().toStdString();
        EXPECT_LE(built, QDate::currentDate());
        EXPECT_GE(built, QDate(2026, 1, 1));
    }
    // This test program has its record as well: what the about window shows here.
    EXPECT_EQ(TExeInfo().FileVersion(), version);
}
}  // namespace
