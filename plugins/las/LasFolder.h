#pragma once
// What both LAS plug-ins share: the folder of LAS files and what they hold.
#include "DataStructures.h"

#include <QString>
#include <QStringList>
#include <exception>
#include <utility>
#include <vector>

namespace LasPlugin {

inline const QString LASSystemID = QStringLiteral("LAS");
// The data source of the "LAS" system: the curves of the files.
inline const QString LASSourceID = QStringLiteral("LAS.Curves");
// The message that lists the files a load or a parameter list had to pass over.
inline const QString SSkippedFiles = QStringLiteral("Файлы LAS пропущены:");

// The folder named by the Korva/Plotmere settings, section LAS, value Folder
// (default Plugins/LAS); a relative folder is taken from the program folder.
QString LasFolder();
void SetLasFolder(const QString& folder);
// The *.las files of the folder, in name order.
QStringList LasFiles();

// One file of the folder as the parameter list knows it.
struct TLasFileCurves {
    QString File;   // the full path
    QString Error;  // why the file cannot be used; empty when it can
    // Every curve, the index first, in the file's order; ShortName is the
    // table's field name.
    Plotmere::TParamDescrArray Curves;
};
// The files of the folder with their curves. A file is read again only when
// its size or time changed; with report set, a file that newly fails to read
// is named in a message.
QList<TLasFileCurves> FolderCurves(bool report);

// The factor from a LAS index unit to metres, the depth of documents: 0.3048
// for feet (FT, F, FEET, any case), 1 for every other unit.
double IndexToMetres(const QString& units);

// Every curve of every file, each file's curves under that file's name.
Plotmere::TParamDescrArray CurveList();

// The parameter ID of a curve: the file's name, "|", the field name. IDs
// without a file's name (from forms saved before curves were told apart by
// file) name the curve of the first file that has it.
QString CurveID(const QString& fileName, const QString& field);
// The requested IDs that name curves of files[file]: (ID, field name) pairs.
std::vector<std::pair<QString, QString>> RequestedCurves(const QList<TLasFileCurves>& files, int file,
                                                        const QStringList& ids);

// A curve's colour: one of a fixed palette, the same for one name always.
TColor CurveColor(const QString& field);

// "file name: why", for a file that could not be used.
QString FileProblem(const QString& file, const QString& why);
// Names the files passed over in one warning message (nothing when none).
void ReportSkippedFiles(const QStringList& problems);

}  // namespace LasPlugin
