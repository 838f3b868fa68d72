#pragma once
// Small helpers shared by the test programs.
#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>
#include <functional>

// A temporary XDG home: configuration and data folders point into it while alive.
class TTempXdgHome {
public:
    TTempXdgHome();
    ~TTempXdgHome();
    QString Path() const { return FDir.path(); }
    QString ConfigHome() const { return FDir.path() + "/config"; }
    QString DataHome() const { return FDir.path() + "/data"; }

private:
    QTemporaryDir FDir;
    QByteArray FOldConfig, FOldData;
    bool FHadConfig, FHadData;
};

// Processes queued events of the main thread until pred holds or `rounds`
// passes of the event loop have gone by; no sleeping.
bool ProcessEventsUntil(const std::function<bool()>& pred, int rounds = 1000);

// The source tree and the program folder of the build.
QString SourceDir();
QString BinDir();
