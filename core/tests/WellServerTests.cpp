// The well database through a real Firebird server on the loopback: the one
// scripts/test starts (WK_TEST_FIREBIRD_SERVER = "127.0.0.1/port"), else one
// started here with the same helper script.
#include "UIServices.h"
#include "WellDatabaseSupport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
bool ServerBinaryInstalled() {
    return QFile::exists("/usr/sbin/firebird") || !QStandardPaths::findExecutable("firebird").isEmpty();
}

class WellServer : public ::testing::Test {
protected:
    void SetUp() override {
        FServer = qEnvironmentVariable("WK_TEST_FIREBIRD_SERVER");
        if (FServer.isEmpty()) {
            if (!ServerBinaryInstalled())
                GTEST_SKIP() << "The Firebird server (firebird3.0-server) is not installed: the well database "
                                "is not tested through a server.";
            StartOwnServer();
            if (HasFatalFailure()) return;
        }
        InitAsWorkstation();
        if (qEnvironmentVariableIsSet("WK_TEST_FIREBIRD_PASSWORD"))
            WKRegIniFile().WriteString(RemoteServerSection, PasswordValue, qEnvironmentVariable("WK_TEST_FIREBIRD_PASSWORD"));
        TdmWells::SetRemoteComputerName(FServer);
    }

    void TearDown() override {
        InitAsWorkstation();
        if (FOwnServer) QProcess::execute(Script(), {"stop", FOwnRoot.path() + "/server"});
    }

    static QString Script() { return SourceDir() + "/scripts/test-firebird-server"; }

    void StartOwnServer() {
        QProcess p;
        p.start(Script(), {"start", FOwnRoot.path() + "/server", QString::number(getpid())});
        ASSERT_TRUE(p.waitForFinished(180000)) << "the server helper did not finish";
        FOwnServer = true;
        ASSERT_EQ(p.exitCode(), 0) << "A Firebird server is installed but could not be started:\n"
                                   << p.readAllStandardError().toStdString();
        FServer = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
        ASSERT_TRUE(FServer.startsWith("127.0.0.1/")) << FServer.toStdString();
    }

    QString Database() const { return FServer + ":Boremont"; }

    TTempXdgHome FHome;
    QTemporaryDir FOwnRoot;
    QString FServer;
    bool FOwnServer = false;
};

TEST_F(WellServer, ModuleOnAServerWithEventsLogAndRetry) {
    EXPECT_EQ(WellDatabaseName(), Database());
    TdmWells wells;
    ASSERT_TRUE(wells.Connected());
    EXPECT_FALSE(QFile::exists(EmbeddedWellDatabasePath())) << "no embedded file when a server is named";

    // A new well written by another workstation is announced and becomes current.
    const int next = OtherAttachment(Database()).Scalar("select coalesce(max(WELLID), 0) + 1 from WELLS").toInt();
    QStringList events;
    QObject::connect(&wells, &TdmWells::DatabaseEvent, [&events](const QString& name) { events << name; });
    RunSql({QString("insert into WELLS values (%1)").arg(next),
            QString("insert into RUNS (WELLID, RUNNO, CLOSED) values (%1, 1, 0)").arg(next)},
           Database());
    ASSERT_TRUE(WaitForEvents([&] { return events.contains("WELLS") && events.contains("RUNS"); }));
    wells.UpdateCurrentObjects();
    EXPECT_EQ(wells.FCurrentWell, next);
    EXPECT_EQ(wells.FCurrentRun, 1);
    EXPECT_TRUE(wells.FRunActive);

    wells.LogMessage(1, 2, 3, "через сервер");
    EXPECT_EQ(OtherAttachment(Database())
                  .Scalar("select MESSAGEID from LOG where WELLID = ? and MESSAGETEXT = 'через сервер'", {next})
                  .toInt(),
              65536 + 2 * 1048576 + 3);

    // A wrong server at start: the user names the right one and it is kept.
    wells.CloseDatabase();
    TdmWells::SetRemoteComputerName("127.0.0.1/1");
    auto ui = std::make_shared<TScriptedUIServices>();
    ui->InputAnswers = {FServer};
    const auto previous = SetUIServices(ui);
    wells.OpenDatabase(true);
    SetUIServices(previous);
    EXPECT_TRUE(wells.Connected());
    EXPECT_EQ(TdmWells::GetRemoteComputerName(), FServer);
    EXPECT_EQ(wells.FCurrentWell, next);
}
}  // namespace
