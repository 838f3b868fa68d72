#include "ExeInfo.h"

#include "ClassRegistry.h"
#include "Exceptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QStandardPaths>
#include <QSysInfo>
#include <map>

WK_REGISTER_CLASS(TExeInfo)

namespace {
// The keys of the record, in the order of the string properties; the
// trademark key has its own spelling.
const char* const Keys[10] = {"CompanyName",     "FileDescription",  "FileVersion", "InternalName",
                              "LegalCopyright",  "LegalTradeMarks",  "OriginalFileName", "ProductName",
                              "ProductVersion",  "Comments"};

QString WithSlash(const QString& dir) { return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/'); }
}  // namespace

QString VersionRecordFile(const QString& programFile) { return programFile + QStringLiteral(".version"); }

TExeInfo::TExeInfo(QObject* owner) : TComponent(owner) {
    for (QString& s : FStrings) s = NotRead;
    if (!IsDesigning()) {
        GetVersionInfoOfApp(QCoreApplication::applicationFilePath());
        FComputerName = QSysInfo::machineHostName();
    }
}

void TExeInfo::GetVersionInfoOfApp(const QString& fileName) {
    const QString record = VersionRecordFile(fileName);
    if (fileName.isEmpty() || !QFileInfo(record).isFile()) return;
    QFile file(record);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    // Values are taken whole (commas included), so a plain reading of the
    // [StringFileInfo] section rather than QSettings' list syntax.
    std::map<QString, QString> values;
    bool inSection = false;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line.compare(QStringLiteral("[StringFileInfo]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (inSection && eq > 0) values[line.left(eq).trimmed()] = line.mid(eq + 1).trimmed();
    }
    for (int i = 0; i < 10; ++i) {
        const auto it = values.find(QLatin1String(Keys[i]));
        FStrings[i] = it == values.end() ? QString() : it->second;
    }
    const auto date = values.find(QStringLiteral("BuildDate"));
    FBuildDate = date == values.end() ? QString() : date->second;
}

QString TExeInfo::OSName() const {
    const QString name = QSysInfo::prettyProductName();
    return name.isEmpty() ? QStringLiteral("Unknown") : name;
}

QString TExeInfo::WindowsDir() const { return QStringLiteral("/etc/"); }
QString TExeInfo::SystemDir() const { return QStringLiteral("/usr/lib/"); }
QString TExeInfo::TempDir() const { return WithSlash(QDir::tempPath()); }

QString TExeInfo::MyDocumentsDir() const {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty()) throw Exception(QStringLiteral("Could not find MyDocuments folder location."));
    return WithSlash(dir);
}

int TExeInfo::VersionPart(int index) const {
    const QString version = FileVersion();
    if (version.isEmpty()) return -1;
    const QStringList parts = QString(version).replace(QLatin1Char('.'), QLatin1Char(',')).split(QLatin1Char(','));
    if (index >= parts.size()) return -1;
    bool ok = false;
    const int v = parts[index].trimmed().toInt(&ok);
    return ok ? v : -1;
}
