// The acquisition client service against the simulator, with the default
// configuration database for its Streams rows.
#include "AcqSim.h"
#include "AcquisitionTestSupport.h"
#include "MainWindowHost.h"
#include "ModalDialogs.h"
#include "RegIniFile.h"
#include "TestSupport.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKTCPCL.h"
#include "WKWells.h"
#include "dm_Service.h"
#include "fm_TCPCLSetup.h"

#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 8) + EncodeTime(22, 0, 0, 0);
TDateTime At(double seconds) { return kStart + seconds / 86400.0; }

TEST(TCPClientService, BufferCapacity) {
    const struct {
        int Hours;
        double Period;
        bool DateTime;
        int Capacity;
    } cases[] = {
        {24, 1000, true, 86400}, {24, 2000, true, 43200}, {24, 1000, false, 15000}, {24, 50, false, 15000},
        {24, 0, true, 86400},  // no period: one second assumed
        {24, 500, true, 172800}, {24, 250, true, 345600}, {1, std::nan(""), true, 3600},
        // Periods in whole seconds, halves to the even neighbour.
        {24, 1500, true, 43200}, {24, 2500, true, 43200}, {24, 1499, true, 86400}, {36, 3500, true, 32400},
        {1, 1e300, true, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StreamBufferCapacity(c.Hours, c.Period, c.DateTime), c.Capacity) << c.Hours << " " << c.Period;
}

// A listener of the notifier service.
class TListener : public QObject, public IWKNotification {
public:
    void Notify(TServiceEvent Event, void* Sender) override {
        Events.append(Event);
        if (Event == seWellsChanged) WellsTexts.append(*static_cast<const QString*>(Sender));
    }
    QList<TServiceEvent> Events;
    QStringList WellsTexts;
};

class TCPClientServiceTest : public testing::Test {
protected:
    TCPClientServiceTest() {
        InitWKConsts({}, BinDir() + "/acquisition_tests");
        QFile::copy(BinDir() + "/LocalDB/WK.db", Db.path() + "/WK.db");
        Module = std::make_unique<TdmService>(Db.path() + "/WK.db");
        TdmService::SetCurrent(Module.get());
    }
    ~TCPClientServiceTest() override {
        Service.reset();
        Sim.reset();
        TdmService::SetCurrent(nullptr);
    }
    void StartSim(TAcqSimConfig config, double seconds) {
        Sim = std::make_unique<TAcqSim>(std::move(config));
        Sim->SetTime(At(seconds));
        Sim->Start();
        TRegIniFile reg(WKRegistryKey);
        reg.WriteString("TCPClient", "RemoteIP", "127.0.0.1");
        reg.WriteInteger("TCPClient", "Port", Sim->Port());
    }
    TWKTCPClientService& StartService() {
        Service = std::make_unique<TWKTCPClientService>();
        Service->Client().SetPollPeriod(20);
        return *Service;
    }
    static TAcqSimConfig OneStream() {
        TAcqSimConfig c = AcqSimDefaultConfig(kStart);
        c.Streams = {{"Time1s", "5", {101, 102, 103, 122, 1200, 1303}, 1000}};
        return c;
    }

    TTempXdgHome Home;
    QTemporaryDir Db;
    std::unique_ptr<TdmService> Module;
    std::unique_ptr<TAcqSim> Sim;
    std::unique_ptr<TWKTCPClientService> Service;
    TWKStreamList List;
};

TEST_F(TCPClientServiceTest, StreamsFromServerStructuresAndLocalRows) {
    TAcqSimConfig config = AcqSimDefaultConfig(kStart);
    config.Streams.push_back({"Pump", "5", {1200, 1303}, 1000});  // no local row
    StartSim(config, 59.5);
    TWKTCPClientService& s = StartService();
    ASSERT_TRUE(WaitFor([&] { return s.Client().GetStreams(false).size() == 3; }));
    s.CreateStreams(List);
    ASSERT_EQ(List.Count(), 3);

    TSensorDataStream* time = List.GetStreamByID("Time1s.1001");
    ASSERT_TRUE(time);
    EXPECT_EQ(time->DataClass(), "SrcTime");
    EXPECT_EQ(time->MainGID(), 0);
    EXPECT_EQ(time->GetCapacity(), 86400);
    EXPECT_EQ(time->Name(), "Данные по времени (1 с)");
    ASSERT_TRUE(time->GetSensor(0));
    EXPECT_TRUE(time->GetSensor(0)->ClassType().InheritsFrom(TSensorDateTimeArray::Class));
    ASSERT_TRUE(time->GetSensor(122));
    EXPECT_TRUE(time->GetSensor(122)->ClassType().InheritsFrom(TOpCodesDataArray::Class));
    EXPECT_EQ(time->Count(), 7);

    TSensorDataStream* depth = List.GetStreamByID("Depth.1001");
    ASSERT_TRUE(depth);
    EXPECT_EQ(depth->DataClass(), "Depth");
    EXPECT_EQ(depth->MainGID(), 101);
    EXPECT_EQ(depth->GetCapacity(), 15000);
    EXPECT_FALSE(depth->GetSensor(0));

    // Without a row: a date-time stream of the class consumers look for, a
    // capacity of one-second records and a time array for its main GID.
    TSensorDataStream* pump = List.GetStreamByID("Pump.1001");
    ASSERT_TRUE(pump);
    EXPECT_EQ(pump->DataClass(), "SrcTime");
    EXPECT_EQ(pump->Name(), "Pump.1001");
    EXPECT_EQ(pump->GetCapacity(), 86400);
    EXPECT_TRUE(pump->GetSensor(0));

    // Hidden time streams never become streams; a second pass adds nothing.
    EXPECT_FALSE(List.GetStreamByID("Time5s.1001"));
    s.CreateStreams(List);
    EXPECT_EQ(List.Count(), 3);
}

TEST_F(TCPClientServiceTest, ConfiguredStreamOutlastsALongStreamList) {
    // 300 streams nobody set up, listed before the depth stream of a local row.
    TAcqSimConfig config = AcqSimDefaultConfig(kStart);
    const TAcqSimStream depth = config.Streams[1];
    config.Streams.clear();
    for (int i = 0; i < 300; ++i) config.Streams.push_back({QStringLiteral("Junk%1").arg(i), "5", {500}, 1000});
    config.Streams.push_back(depth);
    StartSim(config, 59.5);
    TWKTCPClientService& s = StartService();
    ASSERT_TRUE(WaitFor([&] {
        s.CreateStreams(List);
        s.Poll(List);
        const TSensorDataStream* st = List.GetStreamByExactID("Depth.1001");
        return st && st->TotalCount() >= 12;
    }));
    EXPECT_EQ(List.GetStreamByExactID("Depth.1001")->TotalCount(), 12);
    EXPECT_EQ(s.Client().GetStreams(false).size(), size_t(kWK2TMaxStreams));
}

TEST_F(TCPClientServiceTest, BareAndSuffixedServerStreamsStayApartAndKeepTheRecordTime) {
    // A well's stream listed before a bare stream of the same name, whose
    // structure also carries GID 0.
    TAcqSimConfig config = AcqSimDefaultConfig(kStart);
    config.Streams = {{"Time1s", "5", {101}, 1000}, {"Time1s", "", {0, 101}, 1000}};
    StartSim(config, 9.5);
    TWKTCPClientService& s = StartService();
    ASSERT_TRUE(WaitFor([&] { return s.Client().QueuedRecords() == 20; }));
    s.CreateStreams(List);
    ASSERT_EQ(List.Count(), 2);
    s.Poll(List);
    for (const auto& [local, server] : {std::pair<QString, QString>{"Time1s.1001", "Time1s.5"}, {"Time1s", "Time1s"}}) {
        TSensorDataStream* st = List.GetStreamByExactID(local);
        ASSERT_TRUE(st) << local.toStdString();
        ASSERT_EQ(st->TotalCount(), 10) << local.toStdString();
        // The time array holds the record time, never a value the server put under GID 0.
        for (int k = 0; k < 10; ++k) ASSERT_EQ(st->GetSensor(0)->GetValue(k), Sim->RecordTime(server, k)) << k;
    }
}

TEST_F(TCPClientServiceTest, DrainsAtMost1025RecordsATick) {
    StartSim(OneStream(), 2999.5);
    TWKTCPClientService& s = StartService();
    ASSERT_TRUE(WaitFor([&] { return s.Client().QueuedRecords() == 3000; }));
    s.CreateStreams(List);
    TSensorDataStream* st = List.GetStreamByID("Time1s.1001");
    ASSERT_TRUE(st);
    for (int want : {1025, 2050, 3000}) {
        s.Poll(List);
        EXPECT_EQ(st->TotalCount(), want);
    }
    ASSERT_EQ(st->GetDataCount(), 3000);
    const TGIDArray gids = {101, 102, 103, 122, 1200, 1303};
    for (int k = 0; k < 3000; ++k) {
        ASSERT_EQ(st->GetSensor(0)->GetValue(k), Sim->RecordTime("Time1s.5", k)) << k;
        for (uint16_t gid : gids) {
            TSensorDataArray* a = st->GetSensor(gid);
            const float want = TAcqSim::Value(gid, k);
            if (std::isnan(want)) {
                ASSERT_EQ(a->GetState(k), ssError) << gid << " " << k;
            } else {
                ASSERT_EQ(a->GetState(k), ssNormal);
                ASSERT_EQ(a->GetValue(k), double(want)) << gid << " " << k;
            }
        }
    }
    EXPECT_EQ(st->GetSensor(122)->GetValue(0), 3.0);  // drilling
}

TEST_F(TCPClientServiceTest, BufferAndFetchHours) {
    WKRegIniFile().WriteInteger("TCPClient", "FetchSize", 0);
    StartSim(AcqSimDefaultConfig(kStart), 59.5);
    TWKTCPClientService& s = StartService();
    EXPECT_EQ(s.GetFetchHours(), 0);
    EXPECT_EQ(s.GetBufferHours(), 24);
    ASSERT_TRUE(WaitFor([&] { return s.Client().QueuedRecords() >= 72; }));
    EXPECT_TRUE(Sim->RequestTexts().contains("DTime1s.5,"));
    s.Client().SetFetchSize(2);
    ASSERT_TRUE(WaitFor([&] { return Sim->RequestTexts().contains("DTime1s.5, 08.12.2026 22:00:59.000,7200"); }));

    s.CreateStreams(List);
    s.Poll(List);
    TSensorDataStream* time = List.GetStreamByID("Time1s.1001");
    TSensorDataStream* depth = List.GetStreamByID("Depth.1001");
    ASSERT_TRUE(time && depth);
    ASSERT_EQ(time->GetDataCount(), 60);
    ASSERT_EQ(depth->GetDataCount(), 12);
    s.SetBufferHours(24);  // unchanged: samples kept
    s.CreateStreams(List);
    EXPECT_EQ(time->GetDataCount(), 60);
    s.SetBufferHours(2);
    EXPECT_EQ(WKRegIniFile().ReadInteger("TCPClient", "BufferSize", 0), 2);
    s.CreateStreams(List);
    EXPECT_EQ(time->GetCapacity(), 7200);
    EXPECT_EQ(time->GetDataCount(), 0);
    EXPECT_EQ(depth->GetCapacity(), 15000);  // not a date-time stream
    EXPECT_EQ(depth->GetDataCount(), 12);
    s.SetFetchHours(3);
    EXPECT_EQ(WKRegIniFile().ReadInteger("TCPClient", "FetchSize", 0), 3);
}

TEST_F(TCPClientServiceTest, NewServerSensorsJoinExistingStreamsAligned) {
    StartSim(OneStream(), 59.5);
    TWKTCPClientService& s = StartService();
    ASSERT_TRUE(WaitFor([&] { return s.Client().QueuedRecords() == 60; }));
    s.CreateStreams(List);
    s.Poll(List);
    TSensorDataStream* st = List.GetStreamByID("Time1s.1001");
    ASSERT_EQ(st->GetDataCount(), 60);
    const int changesBefore = s.Client().StructureChangeCount();
    Sim->Script(TAcqSimAction(TAcqSimAction::PushStructure, 'D', "Time1s.5").WithStructure({101, 122, 1400}));
    // The client stores the new structure first and counts the change at the end of its poll.
    ASSERT_TRUE(WaitFor([&] {
        return s.Client().GetStreams(false).at(0).Structure == TGIDArray({101, 122, 1400}) &&
               s.Client().StructureChangeCount() > changesBefore;
    }));
    EXPECT_TRUE(s.StructureChanged());
    s.CreateStreams(List);
    TSensorDataArray* added = st->GetSensor(1400);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->GetCount(), 60);
    Sim->SetTime(At(61.5));
    ASSERT_TRUE(WaitFor([&] { return s.Client().QueuedRecords() == 2; }));
    s.Poll(List);
    ASSERT_EQ(st->GetDataCount(), 62);
    EXPECT_EQ(added->GetCount(), 62);
    EXPECT_EQ(added->GetValue(61), double(TAcqSim::Value(1400, 61)));
    EXPECT_EQ(added->GetState(59), ssEmpty);
    EXPECT_EQ(st->GetSensor(102)->GetState(61), ssEmpty);  // a sensor the server dropped
}

TEST_F(TCPClientServiceTest, ProxyWellsAndActiveWells) {
    TAcqSimConfig config = AcqSimDefaultConfig(kStart);
    config.Version = "Acquisition proxy 1";
    StartSim(config, 59.5);
    SecondaryServices = std::make_unique<TSecondaryServices>("AcquisitionTest", false);
    TListener listener;
    SecondaryServices->AddNotification(&listener);
    TWKTCPClientService& s = StartService();
    ASSERT_TRUE(WaitFor([&] { return s.Client().QueuedRecords() >= 72; }));
    s.Notify(seIdle, nullptr);
    s.Notify(sePostData, nullptr);
    EXPECT_EQ(listener.Events.count(seWellsChanged), 1);
    ASSERT_EQ(listener.WellsTexts.size(), 1);
    EXPECT_TRUE(listener.WellsTexts[0].contains("WELLID=1002"));

    Wells().ActivateWells({"1002", "1001"});
    s.Notify(seRequestWells, nullptr);
    ASSERT_TRUE(WaitFor([&] {
        const QStringList r = Sim->RequestTexts();
        const qsizetype w = r.indexOf("W1001,1002");
        return w >= 0 && w + 1 < r.size();
    }));
    const QStringList r = Sim->RequestTexts();
    EXPECT_EQ(r[r.indexOf("W1001,1002") + 1], "L");
    SecondaryServices->RemoveNotification(&listener);
    SecondaryServices.reset();
}

TEST_F(TCPClientServiceTest, SettingsFormThroughTheMenu) {
    StartSim(AcqSimDefaultConfig(kStart), 59.5);
    QMainWindow window;
    QMenu* settings = window.menuBar()->addMenu("&НАСТРОЙКА");
    settings->menuAction()->setEnabled(false);
    TMainWindowMenuHost host(&window);
    SetMainWindowHost(&host);
    auto ui = std::make_shared<TScriptedUIServices>();
    auto oldUI = SetUIServices(ui);
    TWKTCPClientService& s = StartService();
    ASSERT_TRUE(WaitFor([&] { return s.Client().Connected() && !s.Client().GetStreams(false).empty(); }));
    ASSERT_EQ(settings->actions().size(), 1);
    QAction* item = settings->actions()[0];
    EXPECT_EQ(item->text(), "Настройка соединения TCP/IP...");
    EXPECT_TRUE(settings->menuAction()->isEnabled());

    int shown = 0;
    ui->ScriptDialogOnce("TfmTCPCLSetup", [&](QObject* dialog) {
        auto& f = *qobject_cast<TfmTCPCLSetup*>(dialog);
        ++shown;
        EXPECT_EQ(f.windowTitle(), "Настройка соединения");
        EXPECT_EQ(f.Address(), "127.0.0.1");
        EXPECT_EQ(f.Port(), int(Sim->Port()));
        EXPECT_EQ(f.BufferSize(), 24);
        EXPECT_EQ(f.FetchSize(), 1);
        // The client's state, which turns from a working connection to one
        // without data once the simulator's records have all come.
        f.RefreshState();
        EXPECT_TRUE(f.StateText() == "Соединение установлено" || f.StateText().startsWith("Данные не поступают"))
            << f.StateText().toStdString();
        // Out-of-range values keep the form open with the field's message.
        for (auto [edit, bad] : {std::pair{f.nePort, "70000"}, {f.neBufferSize, "0"}, {f.neFetchSize, "37"}}) {
            const QString good = edit->text();
            edit->setText(bad);
            f.OKBtn->click();
            EXPECT_NE(f.result(), QDialog::Accepted) << bad;
            edit->setText(good);
        }
        EXPECT_EQ(ui->Messages.size(), 3);
        EXPECT_TRUE(ui->Messages[0].contains("65535"));
        f.leAccessCode->setText("new");
        f.neBufferSize->setText("2");
        f.neFetchSize->setText("0");
        f.OKBtn->click();
        return DialogResult(f);
    });
    item->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(s.AccessCode(), "new");
    EXPECT_EQ(s.Client().GetAccessCode(), "new");
    EXPECT_EQ(s.GetBufferHours(), 2);
    EXPECT_EQ(s.Client().GetFetchSize(), 0);
    TRegIniFile reg(WKRegistryKey);
    EXPECT_EQ(reg.ReadString("TCPClient", "Code"), "new");
    EXPECT_EQ(reg.ReadInteger("TCPClient", "Port", 0), int(Sim->Port()));
    EXPECT_EQ(WKRegIniFile().ReadInteger("TCPClient", "BufferSize", 0), 2);
    ASSERT_TRUE(WaitFor([&] { return Sim->RequestTexts().contains("Anew"); }));

    // Cancel changes nothing.
    ui->ScriptDialogOnce("TfmTCPCLSetup", [&](QObject* dialog) {
        auto& f = *qobject_cast<TfmTCPCLSetup*>(dialog);
        f.leAccessCode->setText("other");
        f.CancelBtn->click();
        return DialogResult(f);
    });
    item->trigger();
    EXPECT_EQ(s.AccessCode(), "new");
    EXPECT_EQ(ui->ShownDialogs, QStringList({"TfmTCPCLSetup: Настройка соединения", "TfmTCPCLSetup: Настройка соединения"}));
    Service.reset();
    EXPECT_TRUE(settings->actions().isEmpty());
    SetMainWindowHost(nullptr);
    SetUIServices(oldUI);
}
}  // namespace
