// The workstation at the edges of its life: a well database that another
// process holds at start, and the end by a stop signal. Both with the real
// service groups over the default local configuration and the simulator on
// loopback; the signal test runs the program itself as a child process.
#include "AcqSim.h"
#include "AcquisitionTestSupport.h"
#include "ComServer.h"
#include "DesktopFiles.h"
#include "RegIniFile.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "WKHints.h"
#include "WellDatabase.h"
#include "dm_Service.h"
#include "dm_Wells.h"
#include "fm_WelvistaMain.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <optional>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 10) + EncodeTime(6, 0, 0, 0);

// The program's settings and data in a temporary home: the local
// configuration, the simulator as acquisition server, the bundled desktop.
class WorkstationHome {
public:
    WorkstationHome() : Sim(AcqSimDefaultConfig(kStart)) {
        InitWKConsts({QStringLiteral("Welvista2")}, BinDir() + QStringLiteral("/Welvista2"));
        const QString db = Home.DataHome() + QStringLiteral("/Tessaline/WK.db");
        QDir().mkpath(QFileInfo(db).absolutePath());
        Ready = QFile::copy(BinDir() + QStringLiteral("/LocalDB/WK.db"), db);
        Module.emplace(db);
        TdmService::SetCurrent(&*Module);
        Sim.SetTime(kStart + 30.5 / 86400);
        Sim.Start();
        TRegIniFile reg(WKRegistryKey);
        reg.WriteString("TCPClient", "RemoteIP", "127.0.0.1");
        reg.WriteInteger("TCPClient", "Port", Sim.Port());
        Desktop = DesktopsFolder() + DefaultDesktopName + DesktopExt;
        Ready = Ready && QFile::copy(SourceDir() + QStringLiteral("/config/desktops/default.sd2"), Desktop);
    }
    ~WorkstationHome() { TdmService::SetCurrent(nullptr); }

    TTempXdgHome Home;
    std::optional<TdmService> Module;
    TAcqSim Sim;
    QString Desktop;
    bool Ready = false;
};

// Reads a child's output until it holds text; false when the child ended or
// the generous limit passed first.
bool ReadUntil(QProcess& p, QProcess::ProcessChannel channel, const QByteArray& text, QByteArray& read) {
    QDeadlineTimer limit(120000);
    p.setReadChannel(channel);
    while (!read.contains(text)) {
        if (limit.hasExpired() || p.state() != QProcess::Running) return false;
        if (p.waitForReadyRead(1000)) read += p.readAll();
    }
    return true;
}

// The hint about the well database, or nothing.
std::optional<int> WellDatabaseHint() {
    for (int i = Hints().GetCount() - 1; i >= 0; --i)
        if (Hints().GetHint(i).Caption == QStringLiteral("База данных скважин")) return i;
    return std::nullopt;
}

TEST(Workstation, WellDatabaseHeldByAnotherProcessIsReported) {
    WorkstationHome home;
    ASSERT_TRUE(home.Ready);
    const QString file = EmbeddedWellDatabasePath();
    EnsureEmbeddedWellDatabase(file);

    // Another program holds the file: the database tool of the engine, attached
    // until its input closes.
    QProcess holder;
    holder.setProcessChannelMode(QProcess::MergedChannels);
    holder.start(QStringLiteral("isql-fb"),
                 {QStringLiteral("-q"), QStringLiteral("-user"), WellDatabaseUser, QStringLiteral("-password"),
                  WellDatabasePassword(), file});
    ASSERT_TRUE(holder.waitForStarted(60000)) << holder.errorString().toStdString();
    holder.write("select 'HELD' || 'BY-ISQL' from rdb$database;\n");
    QByteArray said;
    ASSERT_TRUE(ReadUntil(holder, QProcess::StandardOutput, "HELDBY-ISQL", said)) << said.toStdString();

    Hints().ClearHints();
    {
        TfmMain main;
        main.show();
        ASSERT_TRUE(SecondaryServices) << "the program starts without its database";
        EXPECT_FALSE(dmWells());
        const std::optional<int> hint = WellDatabaseHint();
        ASSERT_TRUE(hint) << "the user is told";
        const TWKHint told = Hints().GetHint(*hint);
        EXPECT_EQ(told.HintClass, hcWarning);
        EXPECT_TRUE(told.Message.contains(file)) << told.Message.toStdString();
        EXPECT_TRUE(told.Message.contains(QStringLiteral("используется другой программой"))) << told.Message.toStdString();
        // Told once, not again at every attempt while it stays held.
        main.OpenWellDatabase();
        int count = 0;
        for (int i = 0; i < Hints().GetCount(); ++i) count += Hints().GetHint(i).Caption == told.Caption;
        EXPECT_EQ(count, 1);
        EXPECT_FALSE(dmWells());

        // The other program lets go; the hint's own command opens the database.
        holder.closeWriteChannel();
        ASSERT_TRUE(holder.waitForFinished(60000));
        Hints().CallEvent(*hint);
        ASSERT_TRUE(dmWells());
        EXPECT_TRUE(dmWells()->Connected());
        // The menu command keeps a database that answers.
        TdmWells* opened = dmWells();
        ASSERT_TRUE(main.mmFile->actions().contains(main.actConnectWells));
        main.actConnectWells->trigger();
        EXPECT_EQ(dmWells(), opened);
        main.close();
    }
    EXPECT_FALSE(dmWells()) << "closed with the window";
    Hints().ClearHints();
}

TEST(Workstation, StopSignalEndsTheProgramAsClosingItsWindow) {
    WorkstationHome home;
    ASSERT_TRUE(home.Ready);
    // The program's units of measure come from the parameter catalogue server.
    ASSERT_EQ(RegisterComServer(BinDir() + QStringLiteral("/Mapex.so")), S_OK);
    // The desktop the program saves at its end must be new, not the copy.
    const QDateTime copied = QDateTime(QDate(2001, 1, 1), QTime(0, 0));
    {
        QFile f(home.Desktop);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(copied, QFileDevice::FileModificationTime));
    }
    // The engine's own handling of the signal shuts the database down under
    // the program; so the database is in use while the signal comes.
    QProcess p;
    p.start(BinDir() + QStringLiteral("/Welvista2"), {QStringLiteral("-DEBUG")});
    ASSERT_TRUE(p.waitForStarted(60000));
    QByteArray err;
    ASSERT_TRUE(ReadUntil(p, QProcess::StandardError, "Welvista: FormShow exit", err)) << err.toStdString();
    ASSERT_TRUE(err.contains("Current well") || err.contains("TdmWells.UpdateCurrentObjects")) << err.toStdString();

    ASSERT_EQ(::kill(pid_t(p.processId()), SIGTERM), 0);
    const bool ended = p.waitForFinished(60000);
    if (!ended) p.kill(), p.waitForFinished();
    err += p.readAllStandardError();
    ASSERT_TRUE(ended) << "still running after SIGTERM:\n" << err.toStdString();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();

    // The default desktop written at the end, with the bundled desktop's forms.
    const QFileInfo saved(home.Desktop);
    EXPECT_GT(saved.lastModified(), copied);
    QFile f(home.Desktop);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("TfmRealtimeChart")) << text.left(400).toStdString();
    EXPECT_TRUE(text.contains("TfmDigitalView")) << text.left(400).toStdString();
    // The well database is free again: the program closed it.
    EXPECT_NO_THROW(TDataConnection::OpenFirebird(EmbeddedWellDatabasePath(), WellDatabaseUser, WellDatabasePassword()));
}
}  // namespace
