#include "RegIniFile.h"

#include "Formatting.h"
#include "SafeSave.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMap>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <utime.h>

namespace {
const QString SCutShort = QStringLiteral("запись прервалась (возможно, на диске нет места)");

QString GroupOf(const QString& section) {
    QString s = section;
    s.replace('\\', '/');
    return s;
}

QMap<QString, QVariant> AllValues(QSettings& s) {
    QMap<QString, QVariant> values;
    for (const QString& key : s.allKeys()) values.insert(key, s.value(key));
    return values;
}

// A name beside file that no QSettings of this process has seen: Qt keeps
// what it parsed per file name, and the scratch files must be read afresh.
QString ScratchName(const QString& file) {
    static QAtomicInteger<quint32> counter;
    return file + QStringLiteral(".%1-%2.edit").arg(QCoreApplication::applicationPid()).arg(++counter);
}

QByteArray ReadAll(const QString& file) {
    QFile f(file);
    if (!f.exists()) return {};
    if (!f.open(QIODevice::ReadOnly)) throw EFileWriteError(file, f.errorString());
    return f.readAll();
}

// Qt notices a changed settings file by its size and modification time
// (milliseconds); two writes of the same size within one millisecond would
// leave readers of this process with the older parse.
void MarkChanged(const QString& file, qint64 oldMTimeMs) {
    struct stat st {};
    const QByteArray name = QFile::encodeName(file);
    if (::stat(name.constData(), &st) != 0) return;
    const qint64 ms = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    if (ms > oldMTimeMs) return;
    const qint64 bumped = oldMTimeMs + 1;
    struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(bumped / 1000), long(bumped % 1000) * 1000000}};
    ::utimensat(AT_FDCWD, name.constData(), times, 0);
}
}  // namespace

TRegIniFile::TRegIniFile(QString registryKey) : FKey(std::move(registryKey)) {}

QString TRegIniFile::FileForKey(const QString& configHome, const QString& registryKey) {
    QStringList parts = registryKey.split('\\', Qt::SkipEmptyParts);
    if (!parts.isEmpty() && parts.first().compare("Software", Qt::CaseInsensitive) == 0) parts.removeFirst();
    if (parts.isEmpty()) parts << "Default";
    const QString leaf = parts.takeLast() + ".ini";
    QString dir = configHome;
    for (const QString& p : parts) dir += '/' + p;
    return QDir::cleanPath(dir + '/' + leaf);
}

QString TRegIniFile::FileName() const {
    return FileForKey(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), FKey);
}

QVariant TRegIniFile::Value(const QString& section, const QString& ident) const {
    QSettings s(FileName(), QSettings::IniFormat);
    s.beginGroup(GroupOf(section));
    return s.value(ident);
}

void TRegIniFile::SetValue(const QString& section, const QString& ident, const QVariant& value) {
    Edit([&](QSettings& s) {
        s.beginGroup(GroupOf(section));
        s.setValue(ident, value);
        s.endGroup();
    });
}

// Qt writes settings files through QSaveFile, which renames a cut-off file
// over the old one when the disk fills at the final flush. So Qt writes a
// scratch copy, a fresh parse of that copy must give every value Qt meant to
// write, and only then do the bytes replace the file through the safe save.
void TRegIniFile::Edit(const std::function<void(QSettings&)>& change) {
    if (FBatch) change(*FBatch);
    else Replace(change);
}

void TRegIniFile::Update(const std::function<void()>& changes) {
    if (FBatch) return changes();
    Replace([&](QSettings& s) {
        FBatch = &s;
        const auto done = qScopeGuard([this] { FBatch = nullptr; });
        changes();
    });
}

void TRegIniFile::Replace(const std::function<void(QSettings&)>& change) {
    const QString file = FileName();
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder)) throw EFileWriteError(file, FileErrorReason(ENOENT));
    // The lock Qt's own writers take: another program's change is not lost
    // between the read and the replace. Where no lock file can be made (a
    // full or read-only disk) the write itself fails with the reason.
    QLockFile lock(file + QStringLiteral(".lock"));
    if (!lock.tryLock(10000) && lock.error() == QLockFile::LockFailedError)
        throw EFileWriteError(file, QStringLiteral("файл занят другой программой"));
    struct stat old {};
    const qint64 oldMTimeMs = ::stat(QFile::encodeName(file).constData(), &old) == 0
                                  ? qint64(old.st_mtim.tv_sec) * 1000 + old.st_mtim.tv_nsec / 1000000
                                  : -1;
    const QString scratch = ScratchName(file);
    const QString check = ScratchName(file);
    struct TRemove {
        QStringList Files;
        ~TRemove() {
            for (const QString& f : Files) QFile::remove(f);
        }
    } cleanup{{scratch, check}};
    QByteArray bytes;
    try {
        SaveFileSafely(scratch, ReadAll(file));
        QMap<QString, QVariant> meant;
        {
            QSettings s(scratch, QSettings::IniFormat);
            change(s);
            s.sync();
            if (s.status() != QSettings::NoError) throw EFileWriteError(file, SCutShort);
            meant = AllValues(s);
        }
        bytes = ReadAll(scratch);
        SaveFileSafely(check, bytes);
        QSettings written(check, QSettings::IniFormat);
        // A cut-off scratch file has lost values: the disk filled while Qt wrote.
        if (AllValues(written) != meant) throw EFileWriteError(file, SCutShort);
    } catch (const EFileWriteError& e) {
        // The user knows the settings file, not the scratch copies beside it.
        throw EFileWriteError(file, e.Reason());
    }
    SaveFileSafely(file, bytes);
    MarkChanged(file, oldMTimeMs);
}

QString TRegIniFile::ReadString(const QString& section, const QString& ident, const QString& def) const {
    const QVariant v = Value(section, ident);
    return v.isValid() ? v.toString() : def;
}

int TRegIniFile::ReadInteger(const QString& section, const QString& ident, int def) const {
    const QVariant v = Value(section, ident);
    if (!v.isValid()) return def;
    bool ok = false;
    const int r = v.toString().trimmed().toInt(&ok, 0);
    return ok ? r : def;
}

bool TRegIniFile::ReadBool(const QString& section, const QString& ident, bool def) const {
    const QVariant v = Value(section, ident);
    if (!v.isValid()) return def;
    const QString t = v.toString().trimmed();
    if (t.compare("true", Qt::CaseInsensitive) == 0) return true;
    if (t.compare("false", Qt::CaseInsensitive) == 0) return false;
    bool ok = false;
    const int r = t.toInt(&ok);
    return ok ? r != 0 : def;
}

double TRegIniFile::ReadFloat(const QString& section, const QString& ident, double def) const {
    const QVariant v = Value(section, ident);
    if (!v.isValid()) return def;
    double r = 0;
    return TryStrToFloat(v.toString(), r) ? r : def;
}

void TRegIniFile::WriteString(const QString& section, const QString& ident, const QString& value) {
    SetValue(section, ident, value);
}
void TRegIniFile::WriteInteger(const QString& section, const QString& ident, int value) {
    SetValue(section, ident, QString::number(value));
}
void TRegIniFile::WriteBool(const QString& section, const QString& ident, bool value) {
    SetValue(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}
void TRegIniFile::WriteFloat(const QString& section, const QString& ident, double value) {
    SetValue(section, ident, FloatToStr(value));
}

bool TRegIniFile::SectionExists(const QString& section) const {
    QSettings s(FileName(), QSettings::IniFormat);
    return s.childGroups().contains(GroupOf(section)) || !ReadSection(section).isEmpty();
}

bool TRegIniFile::ValueExists(const QString& section, const QString& ident) const {
    return Value(section, ident).isValid();
}

QStringList TRegIniFile::ReadSection(const QString& section) const {
    QSettings s(FileName(), QSettings::IniFormat);
    s.beginGroup(GroupOf(section));
    return s.childKeys();
}

QStringList TRegIniFile::ReadSections() const {
    QSettings s(FileName(), QSettings::IniFormat);
    return s.childGroups();
}

void TRegIniFile::EraseSection(const QString& section) {
    if (!FBatch && !SectionExists(section)) return;
    Edit([&](QSettings& s) { s.remove(GroupOf(section)); });
}

void TRegIniFile::DeleteKey(const QString& section, const QString& ident) {
    if (!FBatch && !ValueExists(section, ident)) return;
    Edit([&](QSettings& s) {
        s.beginGroup(GroupOf(section));
        s.remove(ident);
        s.endGroup();
    });
}
