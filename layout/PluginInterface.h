#pragma once
// The data plug-in interface of the layout engine on Linux.
//
// A plug-in is a shared object named <name>6.ssl (a system), <name>6.sds (a
// data source of a system) or <name>6.srl (a render plug-in). It links
// Plotmere2 and is built with the same toolchain, so the entry points take
// and return the engine's own C++ types, and an exception thrown inside
// "Load" reaches the manager. Entry points are plain functions exported
// unmangled (extern "C") under the names below; only "GetDescription" is
// required. "Initialize", when exported, is called once after loading, in
// place of a package's initialisation: an exception from it rejects the file.
//
//   PLOTMERE_ENTRY Plotmere::TSystemDescr GetDescription() { return {"LAS", "LAS"}; }
#include "DataStructures.h"

#include <QString>
#include <QStringList>

#define PLOTMERE_ENTRY extern "C" __attribute__((visibility("default")))

#pragma GCC visibility push(default)

namespace Plotmere {

// Systems ("*6.ssl").
using TGetSystemDescriptionProc = TSystemDescr (*)();
using TGetTableListProc = TSketchTableDescrArray (*)();
using TGetBuiltInIDsProc = QString (*)();
using TImportParamsProc = TParamDescrArray (*)();
using TImportParamsFromFileProc = TParamDescrArray (*)(const QString& FileName);
using TSetupProc = void (*)();
// Data sources ("*6.sds").
using TGetSourceDescriptionProc = TDataSourceDescr (*)();
using TSaveDataProc = void (*)(double DocStart, double DocStop, TDataSelection& Range, TDataBlock& Data);
// Both.
using TGetParamListProc = TParamDescrArray (*)();
// Appends new blocks to Data (empty, owned by the manager); GIDs is null when
// the depth table "__MDTVD__" is asked for. True when data were delivered.
using TLoadProc = bool (*)(TDataSelection& Range, const QStringList* GIDs, TDataBlockList& Data, bool Reload);
using TInitializeProc = void (*)();

inline constexpr char EntryGetDescription[] = "GetDescription";
inline constexpr char EntryGetParamList[] = "GetParamList";
inline constexpr char EntryGetTableList[] = "GetTableList";
inline constexpr char EntryGetBuiltInIDs[] = "GetBuiltInIDs";
inline constexpr char EntryImportParams[] = "ImportParams";
inline constexpr char EntryImportParamsFromFile[] = "ImportParamsFromFile";
inline constexpr char EntryLoad[] = "Load";
inline constexpr char EntrySaveData[] = "SaveData";
inline constexpr char EntrySetup[] = "Setup";
inline constexpr char EntryInitialize[] = "Initialize";

// The environment and names of the measured/true vertical depth table.
inline const QString MDTVDName = QStringLiteral("__MDTVD__");
inline const QString MDSegmentID = QStringLiteral("__DEPTH__");
inline const QString TVDSegmentID = QStringLiteral("__TVD__");

}  // namespace Plotmere

#pragma GCC visibility pop
