#pragma once
// Small helpers shared by the test programs.
#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

class QProcess;

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

// A program of the build run as a child process to its end.
struct TProgramRun {
    bool Finished = false;      // started and ended (not hung, not failed to start)
    bool NormalExit = false;    // ended by returning or exit(), not by a signal
    int ExitCode = -1;
    QByteArray Out, Err;
    // Finished normally with status 0.
    bool Succeeded() const { return Finished && NormalExit && ExitCode == 0; }
};
// Runs the program `name` of the program folder with args in this process's
// environment. input, when given, is written to its standard input, which is
// then closed. onStarted, when given, runs once the child is up (it may talk to
// it or signal it). The long limit only stops a broken child from hanging a test.
TProgramRun RunProgram(const QString& name, const QStringList& args, const QByteArray& input = {},
                       const std::function<void(qint64 pid, QProcess&)>& onStarted = {});

// The source tree and the program folder of the build.
QString SourceDir();
QString BinDir();

// Tests that measure text depend on the face fontconfig picks for the family
// the text is drawn in, and that depends on the fonts installed: with
// Ghostscript's URW fonts alone "Arial" becomes Nimbus Sans, whose text is
// taller. The stored documents name Windows families; their figures hold for
// metric-compatible faces (fonts-liberation2 for Arial, Times New Roman and
// Courier New, installed by scripts/install-deps). For Tahoma Debian has no
// metric-compatible face: the figures were measured with DejaVu Sans standing
// in (fonts-dejavu-core). Success when `family` resolves to an accepted face;
// otherwise a failure naming the family, the face it got and the package.
// Use: ASSERT_TRUE(FontResolvesAsMeasured("Arial")) before measuring.
::testing::AssertionResult FontResolvesAsMeasured(const QString& family);
