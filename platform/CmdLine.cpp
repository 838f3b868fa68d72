#include "CmdLine.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

QStringList ProgramArguments() {
    if (QCoreApplication::instance()) return QCoreApplication::arguments().mid(1);
    QFile f(QStringLiteral("/proc/self/cmdline"));
    QStringList args;
    if (f.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> parts = f.readAll().split('\0');
        for (int i = 1; i < parts.size(); ++i)
            if (!parts[i].isEmpty()) args << QString::fromLocal8Bit(parts[i]);
    }
    return args;
}

QString ProgramFileName() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

bool FindCmdLineSwitch(const QStringList& args, const QString& name) {
    for (const QString& a : args) {
        if (a.size() > 1 && (a[0] == '-' || a[0] == '/') && a.mid(1).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool FindCmdLineSwitch(const QString& name) { return FindCmdLineSwitch(ProgramArguments(), name); }
