#include "WKConsts.h"

#include "CmdLine.h"
#include "DebugOutput.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <atomic>
#include <memory>
#include <mutex>

namespace {
struct TWKConstsState {
    TWKAppModes Modes;
    bool Debug = false;
    QString AppPath;
    bool MainApplication = false;
    QString LocalDatabasePath;
    QString SoundsPath;
    QString IniFileName;
    std::unique_ptr<TRegIniFile> RegIniFile;
};

TWKConstsState& State() {
    static TWKConstsState s;
    return s;
}

std::once_flag InitOnce;
std::atomic<bool> Initialized{false};

const TWKConstsState& Consts() {
    std::call_once(InitOnce, [] {
        if (!Initialized) InitWKConsts(ProgramArguments(), ProgramFileName());
    });
    return State();
}

QString WithDelimiter(const QString& path) { return path.endsWith('/') ? path : path + '/'; }
}  // namespace

TWKAppModes ParseWKAppModes(const QStringList& args) {
    static const struct {
        const char* Switch;
        TWKAppMode Mode;
    } table[] = {{"DISABLENET", amNoNetwork}, {"NOBOOST", amNoBoost}, {"DEBUG", amDebug},
                 {"DEVMODE", amDevMode},      {"SERVMODE", amServMode}};
    TWKAppModes modes;
    for (const auto& t : table)
        if (FindCmdLineSwitch(args, QString::fromLatin1(t.Switch))) modes.Include(t.Mode);
    return modes;
}

QString GetHomePath() {
    const QString local = UserTessalinePath();
    if (local.isEmpty()) {
        DebugLog(QStringLiteral("GetHomePath failed, using local path"));
        return (Initialized ? State().AppPath : WKAppPath()) + QStringLiteral("LocalDB/");
    }
    return local;
}

QString ChooseLocalDatabasePath(const QString& homePath, const QString& appPath) {
    QString path = homePath + WKLocalDatabaseName;
    if (!QFileInfo::exists(path)) {
        DebugLog(QStringLiteral("WK.mdb path not found: ") + path);
        path = appPath + QStringLiteral("LocalDB/") + WKLocalDatabaseName;
    }
    DebugLog(QStringLiteral("WK.mdb path = ") + path);
    return path;
}

void InitWKConsts(const QStringList& args, const QString& programFile) {
    Initialized = true;
    TWKConstsState& s = State();
    s.Modes = ParseWKAppModes(args);
    s.Debug = s.Modes.Contains(amDebug);
    SetDebugSwitch(s.Debug);
    const QFileInfo program(programFile);
    s.AppPath = WithDelimiter(program.absolutePath());
    s.MainApplication = program.fileName().contains(QStringLiteral("Boremont"), Qt::CaseSensitive);
    const QString home = GetHomePath();
    s.LocalDatabasePath = ChooseLocalDatabasePath(home, s.AppPath);
    DebugLog(QStringLiteral("LocalDatabasePath: ") + s.LocalDatabasePath);
    if (s.MainApplication) QDir().mkpath(home);
    s.SoundsPath = s.AppPath + QStringLiteral("Sounds/");
    s.IniFileName = home + QStringLiteral("Boremont.ini");
    s.RegIniFile = std::make_unique<TRegIniFile>(WKRegistryKey);
}

TWKAppModes WKAppModes() { return Consts().Modes; }
bool DebugMode() { return Consts().Debug; }
const QString& WKAppPath() { return Consts().AppPath; }
bool WKMainApplication() { return Consts().MainApplication; }
const QString& WKLocalDatabasePath() { return Consts().LocalDatabasePath; }
const QString& WKSoundsPath() { return Consts().SoundsPath; }
const QString& WKIniFileName() { return Consts().IniFileName; }
TRegIniFile& WKRegIniFile() { return *Consts().RegIniFile; }

void DebugLog(const QString& text) {
    // During initialization the switches are already parsed when the first line is written.
    if (Initialized ? State().Debug : DebugMode()) OutputDebugString(text);
}
