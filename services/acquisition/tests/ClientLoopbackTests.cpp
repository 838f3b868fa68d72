// The TCP client against the simulator on 127.0.0.1.
#include "AcqSim.h"
#include "AcquisitionTestSupport.h"
#include "DebugOutput.h"
#include "TestSupport.h"
#include "WK2TCPClient.h"
#include "WKConsts.h"

#include <gtest/gtest.h>
#include <cmath>
#include <map>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 8) + EncodeTime(22, 0, 0, 0);
const TGIDArray kTime1s = {101, 102, 103, 122, 1200, 1303};

TDateTime At(double seconds) { return kStart + seconds / 86400.0; }

class ClientLoopback : public testing::Test {
protected:
    ClientLoopback() : Sim(AcqSimDefaultConfig(kStart)) {
        Sim.SetTime(At(59.5));  // 60 one-second records, 12 of each five-second stream
        Sim.Start();
    }
    ~ClientLoopback() override { Client.reset(); }

    // The simulator's clock stands still between steps, so its streams fall
    // silent: the state keeps calling the connection working for a minute.
    static TWK2TCPClientTimeouts Timeouts() {
        TWK2TCPClientTimeouts t{3000, 3000, 10};
        t.NoDataPolls = 3000;
        return t;
    }
    TWK2TCPClient& StartClient(const QString& code = {}, const QString& wells = {}) {
        Client = std::make_unique<TWK2TCPClient>(Timeouts());
        Client->SetPollPeriod(20);
        if (!wells.isEmpty()) Client->SetWells(wells);
        Client->SetHostPortAccess("127.0.0.1", Sim.Port(), code);
        Client->Start();
        return *Client;
    }
    void Drain() { DrainByStream(*Client, Got); }
    size_t Count(const QString& id) { return Got[id].size(); }
    bool Reached(size_t time1s, size_t depth, size_t time5s) {
        Drain();
        return Count("Time1s.5") >= time1s && Count("Depth.5") >= depth && Count("Time5s.5") >= time5s;
    }
    // Every record of the stream from 0 on, once each, in order, with its values.
    void ExpectNumbered(const QString& id, const TGIDArray& gids, size_t count) {
        const auto& items = Got[id];
        ASSERT_EQ(items.size(), count) << id.toStdString();
        for (size_t k = 0; k < items.size(); ++k) {
            ASSERT_EQ(Sim.RecordIndex(id, items[k].Time), int64_t(k)) << id.toStdString();
            ASSERT_EQ(items[k].Count(), int(gids.size()));
            for (size_t i = 0; i < gids.size(); ++i) {
                const float want = TAcqSim::Value(gids[i], int64_t(k));
                ASSERT_EQ(items[k][int(i)].GID, gids[i]);
                if (std::isnan(want)) ASSERT_TRUE(std::isnan(items[k][int(i)].Value));
                else ASSERT_EQ(items[k][int(i)].Value, double(want)) << k;
            }
        }
    }
    QString FirstQuery(int connection, const QString& shortID) {
        for (const QString& r : Sim.RequestTexts(connection))
            if (r.startsWith("D" + shortID + ",")) return r;
        return {};
    }

    TAcqSim Sim;
    std::unique_ptr<TWK2TCPClient> Client;
    std::map<QString, std::vector<TStreamDataItem>> Got;
};

TEST_F(ClientLoopback, HandshakeAndPipelinedQueries) {
    Sim.SetAccessCode("secret");
    TWK2TCPClient& c = StartClient("secret", "1001");
    ASSERT_TRUE(WaitFor([&] { return Reached(60, 12, 12); }));
    const QStringList first = Sim.RequestTexts(1).mid(0, 11);
    EXPECT_EQ(first, QStringList({"V", "Asecret", "W", "W1001", "L", "STime1s.5", "SDepth.5", "STime5s.5",
                                  "DTime1s.5,,3600", "DDepth.5,,3600", "DTime5s.5,,3600"}));
    // Later queries ask for the records after the newest received.
    ASSERT_TRUE(WaitFor([&] { return Sim.RequestTexts(1).contains("DTime1s.5, 08.12.2026 22:00:59.000,3600"); }));
    ASSERT_TRUE(WaitFor([&] { return Sim.RequestTexts(1).contains("DDepth.5, 08.12.2026 22:00:55.000,3600"); }));
    EXPECT_EQ(c.GetState(), "Соединение установлено");
    EXPECT_EQ(Sim.SelectedWells(), "1001");
    EXPECT_EQ(c.GetWells(), AcqSimDefaultConfig(kStart).Wells.join("\r\n"));
    ExpectNumbered("Time1s.5", kTime1s, 60);
    ExpectNumbered("Depth.5", {101, 103, 122, 1200}, 12);

    // Newer records arrive as the clock moves; a new well list is sent in the next cycle.
    c.SetWells("1001,1002");
    Sim.SetTime(At(119.5));
    ASSERT_TRUE(WaitFor([&] { return Reached(120, 24, 24); }));
    ExpectNumbered("Time1s.5", kTime1s, 120);
    ASSERT_TRUE(WaitFor([&] {
        const QStringList all = Sim.RequestTexts(1);
        const qsizetype w = all.indexOf("W1001,1002");
        return w > 0 && w + 1 < all.size();
    }));
    EXPECT_EQ(Sim.SelectedWells(), "1001,1002");
    const QStringList all = Sim.RequestTexts(1);
    EXPECT_EQ(all[all.indexOf("W1001,1002") + 1], "L");  // the stream list is read again right after
    EXPECT_EQ(Sim.Connections(), 1);
}

TEST_F(ClientLoopback, UnconfiguredClientNeverConnects) {
    Client = std::make_unique<TWK2TCPClient>(Timeouts());
    EXPECT_EQ(Client->GetState(), "Соединение не установлено: соединение устанавливается");
    Client->Start();
    const uint64_t cycles = Client->Cycles();
    ASSERT_TRUE(WaitFor([&] { return Client->Cycles() > cycles + 3; }));
    EXPECT_EQ(Client->GetState(), "Соединение не установлено: TIdTCPClient.SendCommand IOHandler is Nil");
    Client->SetHostPortAccess("", int(Sim.Port()), "");
    const uint64_t more = Client->Cycles();
    ASSERT_TRUE(WaitFor([&] { return Client->Cycles() > more + 3; }));
    EXPECT_EQ(Sim.Connections(), 0);
    // A host of blanks is the local machine; no access code sends no `A`.
    Client->SetHostPortAccess("   ", int(Sim.Port()), "");
    ASSERT_TRUE(WaitFor([&] { return Reached(60, 12, 12); }));
    EXPECT_EQ(Sim.RequestTexts(1).mid(0, 3), QStringList({"V", "W", "L"}));
}

TEST_F(ClientLoopback, SettingsChangesReconnectOnlyWhenNeeded) {
    TWK2TCPClient& c = StartClient("one");
    ASSERT_TRUE(WaitFor([&] { return Reached(60, 12, 12); }));
    c.SetHostPortAccess("127.0.0.1", Sim.Port(), "one");
    const uint64_t cycles = c.Cycles();
    ASSERT_TRUE(WaitFor([&] { return c.Cycles() > cycles + 5; }));
    EXPECT_EQ(Sim.Connections(), 1);

    c.SetHostPortAccess("127.0.0.1", Sim.Port(), "two");
    ASSERT_TRUE(WaitFor([&] { return !FirstQuery(2, "Time1s.5").isEmpty(); }));
    EXPECT_EQ(Sim.RequestTexts(2).mid(0, 2), QStringList({"V", "Atwo"}));
    EXPECT_EQ(FirstQuery(2, "Time1s.5"), "DTime1s.5, 08.12.2026 22:00:59.000,3600");

    // Another server: the streams and their last times carry over.
    TAcqSim other(AcqSimDefaultConfig(kStart));
    other.SetTime(At(89.5));
    other.Start();
    c.SetHostPortAccess("127.0.0.1", other.Port(), "two");
    ASSERT_TRUE(WaitFor([&] { return Reached(90, 18, 18); }));
    EXPECT_EQ(other.RequestTexts(1).mid(0, 4), QStringList({"V", "Atwo", "W", "L"}));
    EXPECT_EQ(other.RequestTexts(1).filter("DTime1s.5,").first(), "DTime1s.5, 08.12.2026 22:00:59.000,3600");
    ExpectNumbered("Time1s.5", kTime1s, 90);
    c.SetHostPortAccess("127.0.0.1", Sim.Port(), "two");
    other.Stop();
}

TEST_F(ClientLoopback, ReconnectsAfterEveryFaultWithoutLosingRecords) {
    TTempXdgHome home;
    InitWKConsts({"-DEBUG"}, BinDir() + "/acquisition_tests");
    TDebugOutputCapture log;
    TWK2TCPClient& c = StartClient();
    ASSERT_TRUE(WaitFor([&] { return Reached(60, 12, 12); }));

    using K = TAcqSimAction;
    const struct {
        TAcqSimAction Action;
        const char* Message;  // of the failure that ends the exchange ('|' between choices); null: none
        bool Drop = false;    // the server closes the connection first
    } faults[] = {
        {TAcqSimAction(K::Delay, 'D', "Time1s.5").WithDelay(60000), "TCP: время ожидания ответа истекло"},
        {TAcqSimAction(K::TruncatedBody, 'D', "Time1s.5"), "TCP: время ожидания ответа истекло"},
        // A close with requests still unread reaches the client as a reset, or
        // as a broken pipe when the client is sending its next request then.
        {TAcqSimAction(K::CloseMidFrame, 'D', "Time1s.5"),
         "TCP: соединение закрыто сервером|Connection reset by peer|Broken pipe"},
        {TAcqSimAction(K::ShortLength, 'D', "Time1s.5"), "TCP: неверная длина ответа (1)"},
        {TAcqSimAction(K::HugeLength, 'D', "Time1s.5"), "TCP: неверная длина ответа (2147483647)"},
        {TAcqSimAction(K::CorruptZlib, 'D', "Time1s.5"), "zlib: "},
        {TAcqSimAction(K::RLEOverflow, 'D', "Time1s.5"), "RLE: "},
        {TAcqSimAction(K::ShortErrorBody, 'D', "Time1s.5"), "TCP: неполный ответ об ошибке"},
        {TAcqSimAction(K::PushError, 'D', "Time1s.5").WithText("Сбой сервера", 9), "Сбой сервера"},
        {TAcqSimAction(K::WrongCode, 'V'), "TCP: Несовпадение запроса и ответа", true},
        {TAcqSimAction(K::Duplicate, 'D', "Time1s.5"), nullptr},
        {TAcqSimAction(K::WithinMillisecond, 'D', "Depth.5"), nullptr},
        {TAcqSimAction(K::Earlier, 'D', "Time1s.5"), nullptr},
        {TAcqSimAction(K::NaNTime, 'D', "Time5s.5"), nullptr},
    };
    double seconds = 59.5;
    const char16_t compressions[] = {u'0', u'1', u'2'};
    int round = 0;
    for (const auto& f : faults) {
        SCOPED_TRACE(f.Message ? f.Message : "anomaly");
        Sim.SetCompression(compressions[round++ % 3]);
        const size_t have = Count("Time1s.5");
        const int connections = Sim.Connections();
        Sim.Script(f.Action);
        if (f.Drop) Sim.DropConnections();
        seconds += 30;
        Sim.SetTime(At(seconds));
        const size_t want = size_t(seconds) + 1;
        ASSERT_TRUE(WaitFor([&] { return Reached(want, want / 5, want / 5) && Sim.PendingActions() == 0; }));
        if (!f.Message) continue;
        // One line, where the thread caught it, with where it happened before the message.
        bool logged = false;
        QStringList caught;
        for (const QString& line : log.Lines()) {
            if (!line.startsWith("TWK2TClientThread.Execute exception: ")) continue;
            caught << line;
            for (const QString& m : QString(f.Message).split('|')) logged = logged || line.contains(m);
        }
        EXPECT_TRUE(logged) << caught.join('\n').toStdString();
        const int reconnected = Sim.Connections();
        ASSERT_GT(reconnected, connections);
        // The first query after the fault asks for records after the last one received.
        if (!f.Drop) {
            EXPECT_EQ(FirstQuery(reconnected, "Time1s.5"),
                      "DTime1s.5," + FormatQueryTime(Sim.RecordTime("Time1s.5", int64_t(have) - 1)) + ",3600");
        }
    }
    // Refused connections: the client keeps trying.
    Sim.RefuseConnections(3);
    Sim.DropConnections();
    seconds += 30;
    Sim.SetTime(At(seconds));
    const size_t total = size_t(seconds) + 1;
    ASSERT_TRUE(WaitFor([&] { return Reached(total, total / 5, total / 5); }));
    EXPECT_TRUE(WaitFor([&] { return c.GetState() == "Соединение установлено"; }));
    ExpectNumbered("Time1s.5", kTime1s, total);
    ExpectNumbered("Depth.5", {101, 103, 122, 1200}, total / 5);
    ExpectNumbered("Time5s.5", {101, 1200}, total / 5);
    EXPECT_TRUE(log.Contains(">>> DecodeStreamData - ignore time Time1s.5New time: "));
    Client.reset();
    InitWKConsts({}, BinDir() + "/acquisition_tests");
}
}  // namespace
