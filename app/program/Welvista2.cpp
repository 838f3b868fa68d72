// The monitoring workstation.
#include "ConvSys.h"
#include "DebugOutput.h"
#include "QtUIServices.h"
#include "WKConsts.h"
#include "dm_CommonRes.h"
#include "dm_Service.h"
#include "fm_WelvistaMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Welvista"));
    app.setApplicationDisplayName(QStringLiteral("Welvista"));
    InitWKConsts(app.arguments(), QApplication::applicationFilePath());
    InstallQtUIServices();
    try {
        CreateDmService();
        InitConvSys();
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
        result = QApplication::exec();
    }
    FinalizeConvSys();
    return result;
}
