// Saving on a full disk: every writer of user files keeps the old file byte
// for byte and raises an error naming it. The disk is a small tmpfs mounted
// for the test where this process may mount; elsewhere the writers' shared
// write-failure seam stands in for it.
#include "Controls.h"
#include "DesktopFiles.h"
#include "FormFiles.h"
#include "Logsheaf10.h"
#include "PrintDocument.h"
#include "RegIniFile.h"
#include "SafeSave.h"
#include "ScrollBox.h"
#include "TestSupport.h"
#include "WKFormText.h"
#include "fm_BaseMDIForm.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {
QByteArray ReadAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A small file system over a temporary folder, unmounted when it goes
// (also when the test fails half-way); the seam when mounting is refused.
class TSmallDisk {
public:
    TSmallDisk() {
        const QByteArray path = QFile::encodeName(FDir.path());
        FMounted = ::mount("tmpfs", path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=2m,mode=0755") == 0;
    }
    ~TSmallDisk() {
        SetSaveSpaceForTesting(-1);
        if (!FMounted) return;
        const QByteArray path = QFile::encodeName(FDir.path());
        if (::umount(path.constData()) != 0) ::umount2(path.constData(), MNT_DETACH);
    }
    TSmallDisk(const TSmallDisk&) = delete;
    TSmallDisk& operator=(const TSmallDisk&) = delete;

    QString Path() const { return FDir.path(); }
    bool Real() const { return FMounted; }
    // Leaves room for about `room` bytes more (whole pages on the tmpfs).
    void Fill(qint64 room) {
        if (!FMounted) {
            SetSaveSpaceForTesting(room);
            return;
        }
        const QByteArray filler = QFile::encodeName(FDir.filePath(QStringLiteral("filler")));
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const QByteArray page(4096, 'x');
        qint64 size = 0;
        for (;;) {
            const ssize_t n = ::write(fd, page.constData(), size_t(page.size()));
            if (n <= 0) break;
            size += n;
        }
        const int error = errno;
        if (room > 0) ASSERT_EQ(::ftruncate(fd, std::max<qint64>(0, size - (room + 4095) / 4096 * 4096)), 0);
        ::close(fd);
        ASSERT_EQ(error, ENOSPC);
    }
    // Everything in the folder but the filler.
    QStringList Entries(const QString& folder) const {
        QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        names.removeAll(QStringLiteral("filler"));
        return names;
    }

private:
    QTemporaryDir FDir;
    bool FMounted = false;
};

// The settings home inside the small disk while alive.
class TConfigHome {
public:
    explicit TConfigHome(const QString& path) : FOld(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path));
    }
    ~TConfigHome() { qputenv("XDG_CONFIG_HOME", FOld); }

private:
    QByteArray FOld;
};

TDesktopContent Desktop(int forms, int linesEach) {
    TDesktopContent content;
    for (int k = 0; k < forms; ++k) {
        QStringList lines{QStringLiteral("object fm%1: TBaseMDIForm").arg(k)};
        for (int i = 0; i < linesEach; ++i) lines << QStringLiteral("  Tag%1 = %2").arg(i).arg(i * 1000003);
        lines << QStringLiteral("end");
        content.Forms << lines;
    }
    return content;
}

const QByteArray LasText =
    "~V\r\nVERS. 2.0 : v\r\nWRAP. NO : w\r\n~W\r\nSTRT.M 10 : start\r\nSTOP.M 12 : stop\r\nSTEP.M 1 : step\r\n"
    "NULL. -999.25 : null\r\nWELL. NORTH 5 : well\r\n~C\r\nDEPT.M : depth\r\nGR.API : gamma\r\n~A\r\n"
    "10 1.5\r\n11 2.5\r\n12 3.5\r\n";

struct TWriterCase {
    const char* What;
    const char* File;  // in the small disk; a settings file lies under its config folder
    qint64 Room;       // bytes the disk still takes when the new save starts
    // Writes the old file the writer's own way (a real file to lose).
    std::function<void(const QString& file)> WriteOld;
    // The save that must fail: larger contents than there is room for.
    std::function<void(const QString& file)> SaveNew;
};

TEST(SafeSave, FullDiskKeepsTheOldFile) {
    const TWriterCase cases[] = {
        {"desktop", "По умолчанию.sd2", 0, [](const QString& f) { WriteDesktopFile(f, Desktop(3, 40)); },
         [](const QString& f) { WriteDesktopFile(f, Desktop(4, 40)); }},
        {"large desktop on a nearly full disk", "big.sd2", 64 * 1024,
         [](const QString& f) { WriteDesktopFile(f, Desktop(2, 20)); },
         [](const QString& f) { WriteDesktopFile(f, Desktop(40, 1500)); }},
        {".sf2 form", "trend.sf2", 0,
         [](const QString& f) {
             TBaseMDIForm form;
             form.SetShortCaption(QStringLiteral("Старый"));
             SaveFormFile(&form, f);
         },
         [](const QString& f) {
             TBaseMDIForm form;
             form.SetShortCaption(QStringLiteral("Новый заголовок формы"));
             SaveFormFile(&form, f);
         }},
        {".wkf form", "panel.wkf", 0,
         [](const QString& f) {
             TScrollBox box;
             box.SetName(QStringLiteral("pnlMain"));
             SaveForm(&box, f);
         },
         [](const QString& f) {
             TScrollBox box;
             box.SetName(QStringLiteral("pnlMain"));
             box.SetBounds(10, 20, 300, 400);
             SaveForm(&box, f);
         }},
        {"layout document", "log.lay", 0,
         [](const QString& f) {
             Plotmere::TPrintDocument doc;
             doc.SetFormName(QStringLiteral("old"));
             doc.Save(f);
         },
         [](const QString& f) {
             Plotmere::TPrintDocument doc;
             doc.SetFormName(QStringLiteral("a new and longer name"));
             doc.Save(f);
         }},
        {"LAS", "depth.las", 0, [](const QString& f) { WriteAll(f, LasText); },
         [](const QString& f) {
             TLogsheaf t;
             t.SetFileName(f);
             t.Open();
             t.SetWellState(QStringLiteral("TX"));
             t.Close();
         }},
        {"settings", "config/Tessaline/Boremont2.ini", 0,
         [](const QString& f) {
             TRegIniFile reg(QStringLiteral("Software\\Tessaline\\Boremont2"));
             ASSERT_EQ(reg.FileName(), f);
             reg.WriteString(QStringLiteral("TCPClient"), QStringLiteral("RemoteIP"), QStringLiteral("127.0.0.1"));
             reg.WriteString(QStringLiteral("TCPClient"), QStringLiteral("Code"), QStringLiteral("секрет"));
             reg.WriteInteger(QStringLiteral("UDP"), QStringLiteral("Port"), 5001);
         },
         [](const QString&) {
             TRegIniFile(QStringLiteral("Software\\Tessaline\\Boremont2"))
                 .WriteString(QStringLiteral("TCPClient"), QStringLiteral("RemoteIP"), QStringLiteral("127.0.0.2"));
         }},
    };
    for (const TWriterCase& c : cases) {
        SCOPED_TRACE(c.What);
        TSmallDisk disk;
        TConfigHome config(disk.Path() + QStringLiteral("/config"));
        const QString file = disk.Path() + QLatin1Char('/') + QString::fromUtf8(c.File);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
        c.WriteOld(file);
        const QByteArray old = ReadAll(file);
        ASSERT_FALSE(old.isEmpty());
        const QStringList entries = disk.Entries(QFileInfo(file).absolutePath());
        disk.Fill(c.Room);
        try {
            c.SaveNew(file);
            ADD_FAILURE() << "the save on a full disk reported success";
        } catch (const Exception& e) {
            EXPECT_TRUE(e.Message().contains(file)) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(QStringLiteral("нет места"))) << e.Message().toStdString();
        }
        EXPECT_EQ(ReadAll(file), old) << (disk.Real() ? "tmpfs" : "seam");
        EXPECT_EQ(disk.Entries(QFileInfo(file).absolutePath()), entries) << "no temporary file is left";
    }
}

TEST(SafeSave, SettingsKeepEverySectionAndAreReadBackAtOnce) {
    TTempXdgHome home;
    TRegIniFile reg(QStringLiteral("Software\\Tessaline\\Boremont2"));
    reg.WriteString(QStringLiteral("TCPClient"), QStringLiteral("RemoteIP"), QStringLiteral("127.0.0.1"));
    // Writes of the same size one after the other are each read back.
    for (int i = 0; i < 5; ++i) {
        reg.WriteInteger(QStringLiteral("TCPClient"), QStringLiteral("Port"), 5000 + i);
        EXPECT_EQ(reg.ReadInteger(QStringLiteral("TCPClient"), QStringLiteral("Port")), 5000 + i);
    }
    reg.WriteString(QStringLiteral("UDP"), QStringLiteral("Address"), QStringLiteral(" a, b=c; \"d\" "));
    reg.DeleteKey(QStringLiteral("TCPClient"), QStringLiteral("Port"));
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("TCPClient"), QStringLiteral("Port")));
    EXPECT_EQ(reg.ReadString(QStringLiteral("UDP"), QStringLiteral("Address")), QStringLiteral(" a, b=c; \"d\" "));
    reg.EraseSection(QStringLiteral("UDP"));
    EXPECT_EQ(reg.ReadSections(), QStringList{QStringLiteral("TCPClient")});
    // What another process reads: the file itself, parsed afresh.
    const QString copy = home.Path() + QStringLiteral("/copy.ini");
    ASSERT_TRUE(QFile::copy(reg.FileName(), copy));
    QSettings fresh(copy, QSettings::IniFormat);
    EXPECT_EQ(fresh.value(QStringLiteral("TCPClient/RemoteIP")).toString(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(QDir(QFileInfo(reg.FileName()).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Boremont2.ini")});
}

TEST(SafeSave, ReadOnlyOrMissingFolderIsNamedAndKeepsTheFile) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/a.sd2"));
    try {
        WriteDesktopFile(missing, Desktop(1, 1));
        ADD_FAILURE() << "a save into a missing folder reported success";
    } catch (const EFileWriteError& e) {
        EXPECT_EQ(e.FileName(), missing);
        EXPECT_EQ(e.Reason(), QStringLiteral("папка не существует"));
    }
    // A file that is a symbolic link keeps the link; the target is replaced.
    const QString target = dir.filePath(QStringLiteral("target.sd2"));
    const QString link = dir.filePath(QStringLiteral("link.sd2"));
    WriteDesktopFile(target, Desktop(1, 1));
    ASSERT_TRUE(QFile::link(target, link));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    WriteDesktopFile(link, Desktop(2, 1));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadDesktopFile(target).Forms.size(), 2);
    EXPECT_EQ(QFile::permissions(target) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
}
}  // namespace
