// The service's client: local stream IDs through the wells list, wells texts,
// hidden time streams and the structure counter, against the simulator.
#include "AcqSim.h"
#include "AcquisitionTestSupport.h"
#include "WKTCPCL.h"
#include "WKWells.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <algorithm>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 8) + EncodeTime(22, 0, 0, 0);

class ServClient : public testing::Test {
protected:
    explicit ServClient(TAcqSimConfig config = AcqSimDefaultConfig(kStart)) : Sim(std::move(config)) {
        Sim.SetTime(kStart + 59.5 / 86400);
        Sim.Start();
    }
    ~ServClient() override { Client.reset(); }
    TWK2TCPServClient& StartClient() {
        Client = std::make_unique<TWK2TCPServClient>(TWK2TCPClientTimeouts{3000, 3000, 10}, &LocalWells);
        Client->SetPollPeriod(20);
        Client->SetHostPortAccess("127.0.0.1", Sim.Port(), {});
        Client->Start();
        return *Client;
    }
    QStringList StreamIDs() {
        QStringList ids;
        for (const auto& s : Client->GetStreams(false)) ids.append(s.StreamID);
        return ids;
    }
    bool Queried(const QString& prefix) { return !Sim.RequestTexts().filter(QRegularExpression("^" + prefix)).isEmpty(); }

    TAcqSim Sim;
    TWells LocalWells;
    std::unique_ptr<TWK2TCPServClient> Client;
};

TEST_F(ServClient, LocalStreamIDsAndHiddenTimeStreams) {
    for (const char* bare : {"Time", "SrcTime", "Depth", "Time1s"}) Sim.AddStream({bare, {}, {101}, 1000});
    Sim.AddStream({"Depth", "9", {101}, 1000});  // no well has the short ID 9 yet
    TWK2TCPServClient& c = StartClient();
    ASSERT_TRUE(WaitFor([&] { return Client->QueuedRecords() >= 60 + 12 + 60 + 60 && Queried("DTime1s.5, "); }));
    EXPECT_EQ(StreamIDs(), QStringList({"Time1s.1001", "Depth.1001", "Depth", "Time1s"}));
    EXPECT_EQ(LocalWells.GetWellCount(), 2);
    EXPECT_EQ(LocalWells.WellShortIDToID("7"), "1002");
    // Hidden streams were never asked for data.
    for (const char* hidden : {"DTime5s.5", "DTime,", "DSrcTime", "DDepth.9", "SDepth.9"}) EXPECT_FALSE(Queried(hidden)) << hidden;
    EXPECT_FALSE(c.GetWellUpdate());  // not a proxy

    // A wells text that makes the short ID known: the next stream list adds its stream.
    Sim.Script(TAcqSimAction(TAcqSimAction::PushWells)
                   .WithText(AcqSimDefaultConfig(kStart).Wells.join("\r\n") +
                             "\r\nWELL=303,FIELD=Южное,PAD=1,OILFIELD=Ключевое,SHORTID=9,WELLID=1003"));
    ASSERT_TRUE(WaitFor([&] { return LocalWells.WellShortIDToID("9") == "1003"; }));
    EXPECT_TRUE(c.GetWells().contains("WELLID=1003"));
    c.SetWells("1001,1003");
    ASSERT_TRUE(WaitFor([&] { return StreamIDs().contains("Depth.1003"); }));
    ASSERT_TRUE(WaitFor([&] { return Queried("DDepth.9,,3600"); }));
}

TEST_F(ServClient, ProxyWellsTextRaisesTheEventOnce) {
    Sim.SetVersion("Acquisition PROXY 2");
    TWK2TCPServClient& c = StartClient();
    ASSERT_TRUE(WaitFor([&] { return Client->QueuedRecords() >= 72; }));
    // The handshake's wells text counts as one.
    EXPECT_TRUE(c.GetWellUpdate());
    EXPECT_FALSE(c.GetWellUpdate());
    Sim.Script(TAcqSimAction(TAcqSimAction::PushWells));
    ASSERT_TRUE(WaitFor([&] { return Sim.PendingActions() == 0; }));
    ASSERT_TRUE(WaitFor([&] { return c.GetWellUpdate(); }));
    EXPECT_FALSE(c.GetWellUpdate());
}

TEST_F(ServClient, StructureChangesAreCounted) {
    TWK2TCPServClient& c = StartClient();
    ASSERT_TRUE(WaitFor([&] { return Client->QueuedRecords() >= 72; }));
    ASSERT_TRUE(WaitFor([&] { return c.TakeStructureChanged(); }));
    EXPECT_FALSE(c.TakeStructureChanged());

    // The same structure again: no change.
    Sim.Script(TAcqSimAction(TAcqSimAction::PushStructure, 'D', "Depth.5").WithStructure({101, 103, 122, 1200}));
    ASSERT_TRUE(WaitFor([&] { return Sim.PendingActions() == 0; }));
    const uint64_t cycles = c.Cycles();
    ASSERT_TRUE(WaitFor([&] { return c.Cycles() > cycles + 2; }));
    EXPECT_FALSE(c.TakeStructureChanged());

    // A new one: counted, reported, and later records decode with it.
    Sim.Script(TAcqSimAction(TAcqSimAction::PushStructure, 'D', "Depth.5").WithStructure({101, 122}));
    ASSERT_TRUE(WaitFor([&] { return c.TakeStructureChanged(); }));
    const auto streams = c.GetStreams(false);
    const auto depth = std::find_if(streams.begin(), streams.end(), [](auto& s) { return s.StreamID == "Depth.1001"; });
    ASSERT_NE(depth, streams.end());
    EXPECT_EQ(depth->Structure, TGIDArray({101, 122}));
    TStreamDataItem item;
    while (c.GetSensorsData(item)) {}
    Sim.SetTime(kStart + 64.5 / 86400);
    ASSERT_TRUE(WaitFor([&] {
        while (c.GetSensorsData(item))
            if (item.StreamID == "Depth.1001") return true;
        return false;
    }));
    ASSERT_EQ(item.Count(), 2);
    EXPECT_EQ(item.GetDataByGID(122), double(TAcqSim::Value(122, 12)));
    EXPECT_EQ(item.GetDataByGID(101), double(TAcqSim::Value(101, 12)));
}
}  // namespace
