#pragma once
// What both LAS plug-ins share: the folder of LAS files and what they hold.
#include "DataStructures.h"

#include <QString>
#include <QStringList>

namespace LasPlugin {

inline const QString LASSystemID = QStringLiteral("LAS");
// The data source of the "LAS" system: the curves of the files.
inline const QString LASSourceID = QStringLiteral("LAS.Curves");

// The folder named by the Korva/Plotmere settings, section LAS, value Folder
// (default Plugins/LAS); a relative folder is taken from the program folder.
QString LasFolder();
void SetLasFolder(const QString& folder);
// The *.las files of the folder, in name order.
QStringList LasFiles();

// The factor from a LAS index unit to metres, the depth of documents: 0.3048
// for feet (FT, F, FEET, any case), 1 for every other unit.
double IndexToMetres(const QString& units);

// Every curve of every file, once per name (the first file wins).
Plotmere::TParamDescrArray CurveList();

}  // namespace LasPlugin
