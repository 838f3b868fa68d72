#include "DesktopFiles.h"

#include "CodePages.h"
#include "Exceptions.h"
#include "SafeSave.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <map>

namespace {
const QString CRLF = QStringLiteral("\r\n");

// Sections of an INI text by lower-case name, their lines as the old reader
// returned them.
std::map<QString, QStringList> ReadSections(const QString& text) {
    std::map<QString, QStringList> sections;
    QStringList* current = nullptr;
    for (const QString& raw : text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = &sections[line.mid(1, line.size() - 2).trimmed().toLower()];
            continue;
        }
        if (current) current->append(line);
    }
    return sections;
}

int IntValue(const QStringList& lines, const QString& key, int def) {
    for (const QString& line : lines) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0) continue;
        bool ok = false;
        const int v = line.mid(eq + 1).trimmed().toInt(&ok);
        return ok ? v : def;
    }
    return def;
}
}  // namespace

QString DesktopsFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) base = QCoreApplication::applicationDirPath();
    const QString folder = base + QStringLiteral("/Tessaline/WelvistaDesktops/");
    QDir().mkpath(folder);
    return folder;
}

QString CleanDesktopName(const QString& name) {
    static const QString forbidden = QStringLiteral("\"*/:<>?\\|");
    QString clean;
    for (const QChar c : name)
        if (!forbidden.contains(c)) clean += c;
    return clean;
}

QString DesktopFileName(const QString& name) {
    const QString clean = CleanDesktopName(name);
    if (clean.trimmed().isEmpty()) throw Exception(QStringLiteral("Недопустимое название набора форм"));
    return DesktopsFolder() + clean + DesktopExt;
}

QStringList DesktopNames(const QString& folder) {
    QStringList names{DefaultDesktopName};
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*") + DesktopExt}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& f : files) {
        const QString name = f.completeBaseName();
        if (name != DefaultDesktopName) names << name;
    }
    return names;
}

QString DesktopText(const TDesktopContent& content) {
    QString text = QStringLiteral("[Desktop]") + CRLF;
    text += QStringLiteral("Count=%1").arg(content.Forms.size()) + CRLF;
    text += content.ActivePage == MultiWindowActivePage ? QStringLiteral("ActivePage= -2")
                                                        : QStringLiteral("ActivePage=%1").arg(content.ActivePage);
    text += CRLF;
    for (int k = 0; k < content.Forms.size(); ++k) {
        text += QStringLiteral("[%1]").arg(k) + CRLF;
        for (const QString& line : content.Forms[k]) text += line + CRLF;
    }
    return text;
}

void WriteDesktopFile(const QString& fileName, const TDesktopContent& content) {
    SaveFileSafely(fileName, EncodeCodePage(DesktopText(content), TCodePage::cpAnsi));
}

QString KeepDesktopCopy(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Не удалось прочитать файл %1: %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    for (int n = 1;; ++n) {
        const QString copy = fileName + QStringLiteral(".bak") + (n == 1 ? QString() : QString::number(n));
        QFile existing(copy);
        if (existing.exists()) {
            if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes) return copy;
            continue;
        }
        SaveFileSafely(copy, bytes);
        return copy;
    }
}

TDesktopContent ReadDesktopFile(const QString& fileName) {
    TDesktopContent content;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return content;
    const auto sections = ReadSections(DecodeCodePage(file.readAll(), TCodePage::cpAnsi));
    const auto desktop = sections.find(QStringLiteral("desktop"));
    const QStringList header = desktop == sections.end() ? QStringList() : desktop->second;
    // Count never reaches past the last numbered section: a damaged count
    // costs nothing.
    int last = -1;
    for (const auto& [name, lines] : sections) {
        bool ok = false;
        const int k = name.toInt(&ok);
        if (ok && k > last) last = k;
    }
    const int count = std::clamp(IntValue(header, QStringLiteral("Count"), 0), 0, last + 1);
    content.ActivePage = IntValue(header, QStringLiteral("ActivePage"), 0);
    for (int k = 0; k < count; ++k) {
        const auto it = sections.find(QString::number(k));
        content.Forms.append(it == sections.end() ? QStringList() : it->second);
    }
    return content;
}
