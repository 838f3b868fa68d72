#include "RegIniFile.h"

#include "Formatting.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {
QString GroupOf(const QString& section) {
    QString s = section;
    s.replace('\\', '/');
    return s;
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
    const QString file = FileName();
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings s(file, QSettings::IniFormat);
    s.beginGroup(GroupOf(section));
    s.setValue(ident, value);
    s.endGroup();
    s.sync();
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
    QSettings s(FileName(), QSettings::IniFormat);
    s.remove(GroupOf(section));
    s.sync();
}

void TRegIniFile::DeleteKey(const QString& section, const QString& ident) {
    QSettings s(FileName(), QSettings::IniFormat);
    s.beginGroup(GroupOf(section));
    s.remove(ident);
    s.endGroup();
    s.sync();
}
