// The monitoring workstation.
#include "ConvSys.h"
#include "DebugOutput.h"
#include "QtUIServices.h"
#include "WKConsts.h"
#include "dm_CommonRes.h"
#include "dm_Service.h"
#include "ScreenshotRun.h"
#include "fm_WelvistaMain.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <memory>
#include <cstdio>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {
// SIGTERM and SIGINT end the program as closing its main window does. They
// are blocked in every thread, before any thread starts, and read on the main
// loop instead: so no library's own handler (the embedded database engine
// installs one that shuts the engine down under the program) ever runs.
sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

// Programs started from this one get the signals as usual.
void UnblockStopSignals() {
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void BlockStopSignals() {
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    pthread_atfork(nullptr, nullptr, UnblockStopSignals);
}

// Closes window when a stop signal arrives, then leaves the event loops.
class TStopSignalWatch {
public:
    explicit TStopSignalWatch(QWidget& window) {
        const sigset_t set = StopSignals();
        FHandle = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
        if (FHandle < 0) {
            OutputDebugString(QStringLiteral("Welvista: stop signals not watched"));
            return;
        }
        FNotifier = std::make_unique<QSocketNotifier>(FHandle, QSocketNotifier::Read);
        QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this, &window] {
            signalfd_siginfo info{};
            while (read(FHandle, &info, sizeof info) == ssize_t(sizeof info)) {
            }
            OutputDebugString(QStringLiteral("Welvista: stop signal, closing"));
            window.close();
            QApplication::quit();
        });
    }
    ~TStopSignalWatch() {
        FNotifier.reset();
        if (FHandle >= 0) ::close(FHandle);
    }
    TStopSignalWatch(const TStopSignalWatch&) = delete;
    TStopSignalWatch& operator=(const TStopSignalWatch&) = delete;

private:
    int FHandle = -1;
    std::unique_ptr<QSocketNotifier> FNotifier;
};
}  // namespace

int main(int argc, char** argv) {
    BlockStopSignals();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Welvista"));
    app.setApplicationDisplayName(QStringLiteral("Welvista"));
    // --screenshot FILE: a picture of the first live chart, then the end.
    QStringList args = app.arguments();
    QString screenshot;
    if (const int at = args.indexOf(QStringLiteral("--screenshot")); at >= 0) {
        if (at + 1 >= args.size()) {
            std::fprintf(stderr, "Welvista2: --screenshot needs a file name\n");
            return 2;
        }
        screenshot = args[at + 1];
        args.remove(at, 2);
    }
    InitWKConsts(args, QApplication::applicationFilePath());
    // A picture run asks nobody: without the Qt services messages go to the
    // debug output and dialogs are cancelled.
    if (screenshot.isEmpty()) InstallQtUIServices();
    try {
        CreateDmService();
        StartConvSys();
    } catch (const std::exception& e) {
        MessageDlg(ExceptionMessage(e), mtError, mbOK);
        return 1;
    }
    int result = 0;
    {
        TfmMain main;
        TStopSignalWatch stopSignals(main);
        OutputDebugString(QStringLiteral("Welvista: create resources"));
        dmCommonRes();
        OutputDebugString(QStringLiteral("Welvista: create resources done"));
        main.show();
        result = screenshot.isEmpty() ? QApplication::exec() : RunScreenshot(main, screenshot);
    }
    FinalizeConvSys();
    return result;
}
