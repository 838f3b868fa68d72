#pragma once
// The description of one sensor as the configuration database and the display
// conversion give it, and the selections that ask for lists of them.
#include "Sets.h"

#include <QList>
#include <QString>
#include <cstdint>

#pragma GCC visibility push(default)

enum TSensorFlag { sfHidden, sfFiltered, sfFixed, sfService, sfNeedCalibration, sfLogging, sfNoLogIndex, sfCalculated };
using TSensorFlags = TSet<TSensorFlag>;

enum TSensSelectionItem {
    ssPrimary,         // every sensor of the catalogue
    ssOnlyAttached,    // only sensors the equipment tree holds
    ssDepth,           // sensors of depth streams
    ssTime,            // sensors of time streams
    ssForemostStream,  // credit time sensors to the foremost stream
    ssHidePrimary,     // read by the pickers only
    ssFormulas,        // read by the pickers only
    ssHideTime         // leave out GID 0
};
using TSensSelection = TSet<TSensSelectionItem>;

struct TSensDescr {
    int GID = 0;
    QString StrID;
    QString SystemID;
    int Priority = 0;
    QString FullName;
    QString StreamID;
    int StreamIntID = 0;
    QString StreamName;
    QString Name;
    QString Units;
    QString Group;
    int Color = 0;  // colour value $00BBGGRR
    int Precision = 0;
    double Min = 0;
    double Max = 0;
    TSensorFlags Flags;
    double FixedTo = 0;
    uint16_t DataType = 0;
    // Display value = A * raw + B; A = 0 counts as 1.
    double A = 0;
    double B = 0;

    bool operator==(const TSensDescr&) const = default;
};

using TSensDescrArray = QList<TSensDescr>;

#pragma GCC visibility pop
