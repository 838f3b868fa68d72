#include "TestSupport.h"

#include <QDir>
#include <QFont>
#include <QFontInfo>
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

::testing::AssertionResult FontResolvesAsMeasured(const QString& family) {
    struct TAccepted {
        const char* Family;
        QStringList Faces;
        const char* Package;
    };
    static const TAccepted accepted[] = {
        {"Arial", {"Arial", "Liberation Sans", "Arimo"}, "fonts-liberation2"},
        {"Times New Roman", {"Times New Roman", "Liberation Serif", "Tinos"}, "fonts-liberation2"},
        {"Courier New", {"Courier New", "Liberation Mono", "Cousine"}, "fonts-liberation2"},
        {"Tahoma", {"DejaVu Sans"}, "fonts-dejavu-core"},
        {"DejaVu Sans", {"DejaVu Sans"}, "fonts-dejavu-core"},
    };
    for (const TAccepted& a : accepted) {
        if (family.compare(QLatin1String(a.Family), Qt::CaseInsensitive) != 0) continue;
        const QString face = QFontInfo(QFont(family)).family();
        if (a.Faces.contains(face, Qt::CaseInsensitive)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "text measured in \"" << family.toStdString() << "\" needs a face its figures hold for ("
               << a.Faces.join(QStringLiteral(", ")).toStdString() << "), but fontconfig gave \""
               << face.toStdString() << "\"; install " << a.Package
               << " (scripts/install-deps does) and check `fc-match '" << family.toStdString() << "'`";
    }
    return ::testing::AssertionFailure() << "no accepted face is known for the family \"" << family.toStdString()
                                         << "\"";
}
