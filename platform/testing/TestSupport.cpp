#include "TestSupport.h"

#include <QDir>
#include <QEventLoop>

TTempXdgHome::TTempXdgHome() {
    FHadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    FHadData = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    FOldConfig = qgetenv("XDG_CONFIG_HOME");
    FOldData = qgetenv("XDG_DATA_HOME");
    QDir().mkpath(ConfigHome());
    QDir().mkpath(DataHome());
    qputenv("XDG_CONFIG_HOME", ConfigHome().toLocal8Bit());
    qputenv("XDG_DATA_HOME", DataHome().toLocal8Bit());
}

TTempXdgHome::~TTempXdgHome() {
    if (FHadConfig) qputenv("XDG_CONFIG_HOME", FOldConfig); else qunsetenv("XDG_CONFIG_HOME");
    if (FHadData) qputenv("XDG_DATA_HOME", FOldData); else qunsetenv("XDG_DATA_HOME");
}

bool ProcessEventsUntil(const std::function<bool()>& pred, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        if (pred()) return true;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return pred();
}

QString SourceDir() { return QStringLiteral(WK_SOURCE_DIR); }
QString BinDir() { return QStringLiteral(WK_BIN_DIR); }
