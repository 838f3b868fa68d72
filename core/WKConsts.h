#pragma once
// Folders, file names, start-up switches and the settings of the core,
// computed once before anything else of the core runs.
#include "RegIniFile.h"
#include "Sets.h"
#include "WellDatabase.h"

#include <QString>
#include <QStringList>

#pragma GCC visibility push(default)

enum TWKAppMode { amNoNetwork, amNoBoost, amDebug, amDevMode, amServMode };
using TWKAppModes = TSet<TWKAppMode>;

// Rig operation codes carried by sensor 122.
enum TOpCode { opUnknown, opRunningIn, opPullingOut, opDrilling, opConnection, opCirculation, opReaming, opRotorDrilling };

enum TDrillingType { dtUnknown, dtRotary, dtTurbine, dtTurbineReactive, dtElectro, dtNonMechanical, dtTurbineRotary };

// The globals, read-only after initialization. The first call of any of them
// initializes from the process's own arguments and program file.
TWKAppModes WKAppModes();
bool DebugMode();
const QString& WKAppPath();  // with a trailing '/'
bool WKMainApplication();
const QString& WKLocalDatabasePath();
const QString& WKSoundsPath();
const QString& WKIniFileName();
TRegIniFile& WKRegIniFile();  // "Software\Tessaline\Boremont2"


// Computes the globals again from the given arguments and program file
// (the host's start, and tests).
void InitWKConsts(const QStringList& args, const QString& programFile);

// Switch parsing and the local database choice, as the initialization uses them.
TWKAppModes ParseWKAppModes(const QStringList& args);
QString ChooseLocalDatabasePath(const QString& homePath, const QString& appPath);

// The user's local application-data folder + "Tessaline/"; falls back to
// WKAppPath + "LocalDB/" when there is none.
QString GetHomePath();

// Writes a diagnostic line when the DEBUG switch is on; from any thread.
void DebugLog(const QString& text);

// The local configuration database's file name in this system.
inline const QString WKLocalDatabaseName = QStringLiteral("WK.db");

#pragma GCC visibility pop
