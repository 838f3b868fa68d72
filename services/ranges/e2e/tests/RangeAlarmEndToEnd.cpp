// Limit alarms through the real default configuration: the service groups load
// the acquisition client and the limit service by class name from their
// packages (this program links neither); the simulator on loopback sends
// depth falling below its lower limit and rotary speed rising above its upper
// limit; ticks driven by hand. The alarm datagram goes to a socket of this
// test on 127.0.0.1, whose port the temporary settings name.
#include "AcqSim.h"
#include "AcquisitionTestSupport.h"
#include "RegIniFile.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKHints.h"
#include "WKServices.h"
#include "WellDatabaseSupport.h"
#include "dm_Service.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QSqlQuery>
#include <QUdpSocket>
#include <QtEndian>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 9) + EncodeTime(3, 0, 0, 0);
TDateTime At(double seconds) { return kStart + seconds / 86400.0; }

// Depth (101) 60 m, from record 5 on 40 m; rotary speed (1200) 80, from record 8 on 150.
constexpr int kDepthFalls = 5;
constexpr int kSpeedRises = 8;
const QString kLow = QStringLiteral("Параметр Глубина < 50 (40)");
const QString kHigh = QStringLiteral("Параметр Обороты ротора > 120 (150)");

class TAlertListener : public QObject, public IWKNotification {
public:
    void Notify(TServiceEvent Event, void* Sender) override {
        if (Event == seAlert && Sender) Alerts << *static_cast<const QString*>(Sender);
    }
    QStringList Alerts;
};

QByteArray Utf16LE(const QString& s) {
    QByteArray data(s.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i) qToLittleEndian<quint16>(s.at(i).unicode(), data.data() + 2 * i);
    return data;
}

class RangeAlarmEndToEnd : public ::testing::Test {
protected:
    void Start(const QString& program) {
        const QString dir = Home.DataHome() + "/Tessaline";
        QDir().mkpath(dir);
        ASSERT_TRUE(QFile::copy(BinDir() + "/LocalDB/WK.db", dir + "/WK.db"));
        QFile::setPermissions(dir + "/WK.db", QFile::ReadOwner | QFile::WriteOwner);
        InitWKConsts({}, BinDir() + "/" + program);
        ASSERT_EQ(WKLocalDatabasePath(), dir + "/WK.db");
        Module.emplace(dir + "/WK.db");
        TdmService::SetCurrent(&*Module);
        // Lower limit 50 on depth, upper 120 on rotary speed: sounds, log and broadcast on.
        Module->dbService().Exec("INSERT INTO Ranges VALUES (-1, 101, 1, 0, 50, NULL, 'Low', '', 0, 0, 60, 0, "
                                 "1, 0, 0, 0, 1, 0)");
        Module->dbService().Exec("INSERT INTO Ranges VALUES (-1, 1200, 0, 1, NULL, 120, '', 'High', 0, 0, 0, 60, "
                                 "0, 1, 0, 0, 0, 1)");

        ASSERT_TRUE(Receiver.bind(QHostAddress::LocalHost, 0));
        TRegIniFile reg(WKRegistryKey);
        reg.WriteString("UDP", "Address", "127.0.0.1");
        reg.WriteInteger("UDP", "Port", Receiver.localPort());

        Wells = std::make_unique<TdmWells>();
        PreviousUI = SetUIServices(UI);
        Hints().ClearHints();

        Sim = std::make_unique<TAcqSim>(AcqSimDefaultConfig(kStart));
        Sim->SetValueSource([](const QString&, uint16_t gid, int64_t k) {
            if (gid == 101) return k < kDepthFalls ? 60.0f : 40.0f;
            if (gid == 1200) return k < kSpeedRises ? 80.0f : 150.0f;
            return TAcqSim::Value(gid, k);
        });
        Sim->SetTime(kStart);
        Sim->Start();
        reg.WriteString("TCPClient", "RemoteIP", "127.0.0.1");
        reg.WriteInteger("TCPClient", "Port", Sim->Port());

        SetServiceLoader({});
        PrimaryServices = std::make_unique<TPrimarySerivces>("Welvista", false);
        SecondaryServices = std::make_unique<TSecondaryServices>("Welvista", false);
        SecondaryServices->AddNotification(&Listener);
        // The simulated rig's day is the program's: its records are not history from before the start.
        if (QObject* alarms = SecondaryServices->GetService("TRangeAlarmService"))
            ASSERT_TRUE(alarms->setProperty("StartTime", kStart));
        NotifyServices(seStartLogging, nullptr);
    }
    void TearDown() override {
        if (SecondaryServices) SecondaryServices->RemoveNotification(&Listener);
        FreeServicesAndNetwork();
        Sim.reset();
        Wells.reset();
        TdmService::SetCurrent(nullptr);
        Module.reset();
        if (PreviousUI) SetUIServices(PreviousUI);
        Hints().ClearHints();
        InitWKConsts({}, BinDir() + "/Welvista2");
    }

    // Records up to k arrive, tick by tick.
    bool RunTo(int64_t k) {
        Sim->SetTime(At(double(k) + 0.5));
        return WaitFor([&] {
            SecondaryServices->ProcessTimer();
            TSensorDataStream* s = SecondaryServices->Streams().GetStreamByID("Time1s.1001");
            return s && s->TotalCount() >= k + 1;
        });
    }

    QStringList HintTexts() const {
        QStringList texts;
        for (int i = 0; i < Hints().GetCount(); ++i) {
            const TWKHint h = Hints().GetHint(i);
            if (h.HintClass == hcWarning && h.Caption == "Выход значения параметра из заданного диапазона")
                texts << h.Message;
        }
        return texts;
    }
    QStringList LogRows() const {
        QStringList rows;
        TDataConnection db = OtherAttachment();
        QSqlQuery q = db.Exec("select MESSAGETEXT from LOG order by RECORDTIME");
        // Only the alarms: the acquisition client logs its own messages too.
        while (q.next())
            if (q.value(0).toString().startsWith("Параметр ")) rows << q.value(0).toString();
        return rows;
    }

    TTempXdgHome Home;
    std::optional<TdmService> Module;
    std::unique_ptr<TdmWells> Wells;
    std::unique_ptr<TAcqSim> Sim;
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> PreviousUI;
    TAlertListener Listener;
    QUdpSocket Receiver;
};

TEST_F(RangeAlarmEndToEnd, AcquisitionProgramRaisesEveryKindOfAlarm) {
    ASSERT_NO_FATAL_FAILURE(Start("Boremont"));
    ASSERT_TRUE(SecondaryServices->GetService("TRangeAlarmService"));
    ASSERT_TRUE(SecondaryServices->GetService("TWKTCPClientService"));

    ASSERT_TRUE(RunTo(kDepthFalls - 1));
    EXPECT_TRUE(Listener.Alerts.isEmpty());
    ASSERT_TRUE(RunTo(kSpeedRises + 3));

    EXPECT_EQ(Listener.Alerts, QStringList({kLow, kHigh}));
    EXPECT_EQ(HintTexts(), QStringList({kLow, kHigh}));
    EXPECT_EQ(LogRows(), QStringList({kLow, kHigh}));
    EXPECT_TRUE(UI->Player.Played.contains(WKSoundsPath() + "Low.wav"));
    EXPECT_TRUE(UI->Player.Played.contains(WKSoundsPath() + "High.wav"));
    EXPECT_LT(UI->Player.Played.indexOf(WKSoundsPath() + "Low.wav"),
              UI->Player.Played.indexOf(WKSoundsPath() + "High.wav"));

    // One datagram per alarm: "MESSAGE=" and the text in UTF-16LE, no byte-order mark.
    for (const QString& text : {kLow, kHigh}) {
        ASSERT_TRUE(Receiver.hasPendingDatagrams() || Receiver.waitForReadyRead(60000)) << text.toStdString();
        const QNetworkDatagram d = Receiver.receiveDatagram();
        EXPECT_EQ(d.data(), Utf16LE("MESSAGE=" + text));
        EXPECT_EQ(d.senderAddress(), QHostAddress(QHostAddress::LocalHost));
    }
    EXPECT_FALSE(Receiver.hasPendingDatagrams());
}

TEST_F(RangeAlarmEndToEnd, AnotherProgramSendsNoDatagram) {
    ASSERT_NO_FATAL_FAILURE(Start("Welvista2"));
    ASSERT_TRUE(SecondaryServices->GetService("TRangeAlarmService"));
    ASSERT_TRUE(RunTo(kSpeedRises + 3));
    EXPECT_EQ(Listener.Alerts, QStringList({kLow, kHigh}));
    EXPECT_EQ(HintTexts(), QStringList({kLow, kHigh}));
    // The workstation writes no message log; loopback delivery is immediate, so nothing came.
    EXPECT_TRUE(LogRows().isEmpty());
    EXPECT_FALSE(Receiver.hasPendingDatagrams());
}
}  // namespace
