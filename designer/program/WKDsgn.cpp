// The form designer: builds user forms (.wkf) outside the workstation.
#include "ConvSys.h"
#include "DebugOutput.h"
#include "QtUIServices.h"
#include "WKConsts.h"
#include "WKFormText.h"
#include "dm_Service.h"
#include "fm_DesignMain.h"

#include <QApplication>
#include <QTimer>
#include <csignal>
#include <pthread.h>
#include <thread>

namespace {
// SIGTERM and SIGINT close the designer as its "Выход" does, also while a
// message is open: they are blocked in every thread and taken by one waiting
// thread, which hands the close to the main thread.
class TStopSignals {
public:
    TStopSignals() {
        sigemptyset(&FSet);
        sigaddset(&FSet, SIGINT);
        sigaddset(&FSet, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &FSet, nullptr);
    }
    void Watch() {
        FThread = std::jthread([this] {
            int sig = 0;
            sigwait(&FSet, &sig);
            if (FEnding) return;
            QMetaObject::invokeMethod(qApp, [] {
                QApplication::closeAllWindows();
                QCoreApplication::exit(0);
            }, Qt::QueuedConnection);
        });
    }
    void Stop() {
        if (!FThread.joinable()) return;
        FEnding = true;
        pthread_kill(FThread.native_handle(), SIGTERM);
        FThread.join();
    }

private:
    sigset_t FSet;
    std::atomic<bool> FEnding{false};
    std::jthread FThread;
};
}  // namespace

int main(int argc, char** argv) {
    TStopSignals stop;
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("WKDsgn"));
    app.setApplicationDisplayName(QStringLiteral("Boremont form designer"));
    stop.Watch();
    InitWKConsts(app.arguments(), QApplication::applicationFilePath());
    InstallQtUIServices();
    InitWKControls();
    try {
        CreateDmService();
        StartConvSys();
    } catch (const std::exception& e) {
        MessageDlg(ExceptionMessage(e), mtError, mbOK);
        stop.Stop();
        return 1;
    }
    int result = 0;
    {
        TfmDesignMain main;
        main.show();
        QTimer::singleShot(0, &main, [] {
            // Written once the event loop runs: the designer is up and waits for the user.
            OutputDebugString(QApplication::activeModalWidget() ? QStringLiteral("WKDsgn: a modal window is open")
                                                                : QStringLiteral("WKDsgn: ready"));
        });
        result = QApplication::exec();
        stop.Stop();
    }
    FinalizeConvSys();
    return result;
}
