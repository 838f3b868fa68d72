#include "LasFolder.h"

#include "DebugOutput.h"
#include "Logsheaf10.h"
#include "RegIniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <cmath>

namespace LasPlugin {

namespace {
const QString SettingsKey = QStringLiteral("Software\\Korva\\Plotmere");
}

QString LasFolder() {
    const QString folder = TRegIniFile(SettingsKey).ReadString(QStringLiteral("LAS"), QStringLiteral("Folder"),
                                                               QStringLiteral("Plugins/LAS"));
    const QString program = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return QDir(program).absoluteFilePath(folder);
}

void SetLasFolder(const QString& folder) { TRegIniFile(SettingsKey).WriteString(QStringLiteral("LAS"), QStringLiteral("Folder"), folder); }

QStringList LasFiles() {
    const QDir dir(LasFolder());
    QStringList files;
    for (const QString& name : dir.entryList({QStringLiteral("*.las"), QStringLiteral("*.LAS")}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    files.removeDuplicates();
    return files;
}

double IndexToMetres(const QString& units) {
    static const QStringList feet = {QStringLiteral("FT"), QStringLiteral("F"), QStringLiteral("FEET")};
    return feet.contains(units.trimmed(), Qt::CaseInsensitive) ? 0.3048 : 1.0;
}

Plotmere::TParamDescrArray CurveList() {
    Plotmere::TParamDescrArray list;
    QSet<QString> seen;
    for (const QString& file : LasFiles()) {
        try {
            TLogsheaf t;
            t.SetFileName(file);
            t.SetReadOnly(true);
            t.Open();
            const int n = t.FieldCount();
            std::vector<double> lo(size_t(n), HUGE_VAL), hi(size_t(n), -HUGE_VAL);
            for (t.First(); !t.Eof(); t.Next())
                for (int i = 0; i < n; ++i) {
                    double v = 0;
                    if (!t.Fields(i)->GetData(&v)) continue;
                    lo[size_t(i)] = std::min(lo[size_t(i)], v);
                    hi[size_t(i)] = std::max(hi[size_t(i)], v);
                }
            for (int i = 0; i < n; ++i) {
                const TLASField* f = t.LASField(i);
                if (seen.contains(f->FieldName())) continue;
                seen.insert(f->FieldName());
                Plotmere::TParamDescr d;
                d.ID = f->FieldName();
                d.ShortName = f->FieldName();
                d.Name = f->Comment.isEmpty() ? f->FieldName() : f->Comment;
                d.SystemID = LASSystemID;
                d.SourceID = LASSourceID;
                d.Path = QFileInfo(file).fileName();
                d.Units = f->Units;
                d.DataType = Plotmere::dtDouble;
                const double toMetres = i == 0 ? IndexToMetres(f->Units) : 1.0;
                if (toMetres != 1.0) {
                    d.Units = QStringLiteral("M");
                    d.Name += QStringLiteral(" (переведено из футов в метры)");
                }
                if (lo[size_t(i)] <= hi[size_t(i)]) {
                    d.Min = lo[size_t(i)] * toMetres;
                    d.Max = hi[size_t(i)] * toMetres;
                }
                list.append(d);
            }
        } catch (const std::exception& e) {
            OutputDebugString(QStringLiteral("LAS plug-in CurveList: %1: %2").arg(file, ExceptionMessage(e)));
        }
    }
    return list;
}

}  // namespace LasPlugin
