#include "TestSupport.h"

#include <QDir>
#include <QEventLoop>
#include <QProcess>

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

TProgramRun RunProgram(const QString& name, const QStringList& args, const QByteArray& input,
                       const std::function<void(qint64, QProcess&)>& onStarted) {
    TProgramRun run;
    QProcess p;
    p.start(BinDir() + '/' + name, args);
    if (!p.waitForStarted(60000)) {
        run.Err = p.errorString().toUtf8();
        return run;
    }
    if (!input.isEmpty()) p.write(input);
    p.closeWriteChannel();
    if (onStarted) onStarted(p.processId(), p);
    run.Finished = p.waitForFinished(300000);
    if (!run.Finished) {
        p.kill();
        p.waitForFinished();
    }
    run.NormalExit = p.exitStatus() == QProcess::NormalExit;
    run.ExitCode = p.exitCode();
    run.Out = p.readAllStandardOutput();
    run.Err = p.readAllStandardError();
    return run;
}
