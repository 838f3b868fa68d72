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
#include <cstdio>

int main(int argc, char** argv) {
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
        OutputDebugString(QStringLiteral("Welvista: create resources"));
        dmCommonRes();
        OutputDebugString(QStringLiteral("Welvista: create resources done"));
        main.show();
        result = screenshot.isEmpty() ? QApplication::exec() : RunScreenshot(main, screenshot);
    }
    FinalizeConvSys();
    return result;
}
