#include "LasFolder.h"

#include "DebugOutput.h"
#include "Exceptions.h"
#include "Logsheaf10.h"
#include "RegIniFile.h"
#include "UIServices.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <array>
#include <cmath>

namespace LasPlugin {

namespace {
const QString SettingsKey = QStringLiteral("Software\\Korva\\Plotmere");
const QChar IDSeparator = QLatin1Char('|');

// What was read of one file, and the size and time it was read at.
struct TCachedFile {
    qint64 Size = -1;
    QDateTime Modified;
    TLasFileCurves Curves;
};

// The files read so far, by path: opening the picker again reads only the
// files that changed since.
QHash<QString, TCachedFile>& Cache() {
    static QHash<QString, TCachedFile> cache;
    return cache;
}

TLasFileCurves ReadCurves(const QString& file) {
    TLasFileCurves result;
    result.File = file;
    const QString name = QFileInfo(file).fileName();
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
        Plotmere::TParamDescr d;
        d.ID = CurveID(name, f->FieldName());
        d.ShortName = f->FieldName();
        d.Name = f->Comment.isEmpty() ? f->FieldName() : f->Comment;
        d.SystemID = LASSystemID;
        d.SourceID = LASSourceID;
        d.Path = name;
        d.Units = f->Units;
        d.DataType = Plotmere::dtDouble;
        d.Color = CurveColor(f->FieldName());
        const double toMetres = i == 0 ? IndexToMetres(f->Units) : 1.0;
        if (toMetres != 1.0) {
            d.Units = QStringLiteral("M");
            d.Name += QStringLiteral(" (переведено из футов в метры)");
        }
        if (lo[size_t(i)] <= hi[size_t(i)]) {
            d.Min = lo[size_t(i)] * toMetres;
            d.Max = hi[size_t(i)] * toMetres;
        }
        result.Curves.append(d);
    }
    return result;
}
}  // namespace

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

QList<TLasFileCurves> FolderCurves(bool report) {
    QHash<QString, TCachedFile>& cache = Cache();
    QList<TLasFileCurves> result;
    QStringList problems;
    QSet<QString> listed;
    for (const QString& file : LasFiles()) {
        listed.insert(file);
        const QFileInfo info(file);
        TCachedFile& entry = cache[file];
        if (entry.Size != info.size() || entry.Modified != info.lastModified() || entry.Curves.File.isEmpty()) {
            entry.Size = info.size();
            entry.Modified = info.lastModified();
            try {
                entry.Curves = ReadCurves(file);
            } catch (const std::exception& e) {
                entry.Curves = TLasFileCurves{file, ExceptionMessage(e), {}};
                OutputDebugString(QStringLiteral("LAS plug-in FolderCurves: %1: %2").arg(file, entry.Curves.Error));
                problems << FileProblem(file, entry.Curves.Error);
            }
        }
        result.append(entry.Curves);
    }
    // Files gone from the folder are forgotten.
    for (auto it = cache.begin(); it != cache.end();)
        it = listed.contains(it.key()) ? std::next(it) : cache.erase(it);
    if (report) ReportSkippedFiles(problems);
    return result;
}

double IndexToMetres(const QString& units) {
    static const QStringList feet = {QStringLiteral("FT"), QStringLiteral("F"), QStringLiteral("FEET")};
    return feet.contains(units.trimmed(), Qt::CaseInsensitive) ? 0.3048 : 1.0;
}

Plotmere::TParamDescrArray CurveList() {
    Plotmere::TParamDescrArray list;
    for (const TLasFileCurves& f : FolderCurves(true)) list.append(f.Curves);
    return list;
}

QString CurveID(const QString& fileName, const QString& field) { return fileName + IDSeparator + field; }

std::vector<std::pair<QString, QString>> RequestedCurves(const QList<TLasFileCurves>& files, int file,
                                                        const QStringList& ids) {
    std::vector<std::pair<QString, QString>> wanted;
    const TLasFileCurves& own = files[file];
    const QString prefix = QFileInfo(own.File).fileName() + IDSeparator;
    const auto hasField = [](const TLasFileCurves& f, const QString& field) {
        for (const Plotmere::TParamDescr& d : f.Curves)
            if (d.ShortName == field) return true;
        return false;
    };
    const auto namesAFile = [&files](const QString& id) {
        for (const TLasFileCurves& f : files)
            if (id.startsWith(QFileInfo(f.File).fileName() + IDSeparator)) return true;
        return false;
    };
    QSet<QString> taken;
    for (const QString& id : ids) {
        if (taken.contains(id)) continue;
        QString field;
        if (id.startsWith(prefix)) {
            field = id.mid(prefix.size());
        } else if (!namesAFile(id)) {
            // An ID of an older form: the first file that has the curve.
            int first = -1;
            for (int i = 0; i < files.size() && first < 0; ++i)
                if (hasField(files[i], id)) first = i;
            if (first == file) field = id;
        }
        if (field.isEmpty() || !hasField(own, field)) continue;
        taken.insert(id);
        wanted.emplace_back(id, field);
    }
    return wanted;
}

TColor CurveColor(const QString& field) {
    // Told apart on a white chart; no black, no pale colours.
    static constexpr std::array<int, 12> Palette = {
        0xB4771F, 0x2827D6, 0x2CA02C, 0x0E7FFF, 0xBD6794, 0x4B568C,
        0xC277E3, 0xCFBE17, 0x22BDBC, 0x800000, 0x000080, 0x7F7F7F,
    };
    // FNV-1a over the name's UTF-16: the same colour in every run.
    quint32 h = 2166136261u;
    for (const QChar c : field.toUpper()) {
        h ^= c.unicode();
        h *= 16777619u;
    }
    return TColor(Palette[h % Palette.size()]);
}

QString FileProblem(const QString& file, const QString& why) { return QFileInfo(file).fileName() + QStringLiteral(": ") + why; }

void ReportSkippedFiles(const QStringList& problems) {
    if (problems.isEmpty()) return;
    MessageDlg(SSkippedFiles + QLatin1Char('\n') + problems.join(QLatin1Char('\n')), mtWarning, mbOK);
}

}  // namespace LasPlugin
