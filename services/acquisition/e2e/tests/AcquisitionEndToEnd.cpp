// Live data from the simulator into the secondary streams, through the real
// default configuration, the service groups and the Wirefeed package loaded
// by class name; ticks driven by hand.
#include "AcqSim.h"
#include "AcquisitionTestSupport.h"
#include "RegIniFile.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "WKServices.h"
#include "dm_Service.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 8) + EncodeTime(22, 0, 0, 0);
TDateTime At(double seconds) { return kStart + seconds / 86400.0; }

// Every record of the stream from 0 on, once each, in order, with its values.
void ExpectNumbered(TAcqSim& sim, TSensorDataStream& st, const QString& shortID, const TGIDArray& gids, int count) {
    ASSERT_EQ(st.GetDataCount(), count) << st.ID().toStdString();
    ASSERT_EQ(st.TotalCount(), count);
    TSensorDataArray* time = st.GetSensor(0);
    for (int k = 0; k < count; ++k) {
        if (time) {
            ASSERT_EQ(sim.RecordIndex(shortID, time->GetValue(k)), k) << k;
        }
        for (uint16_t gid : gids) {
            TSensorDataArray* a = st.GetSensor(gid);
            ASSERT_TRUE(a) << gid;
            const float want = TAcqSim::Value(gid, k);
            if (std::isnan(want)) ASSERT_EQ(a->GetState(k), ssError);
            else ASSERT_EQ(a->GetValue(k), double(want)) << gid << " " << k;
        }
    }
}

TEST(AcquisitionEndToEnd, RecordsArriveInOrderAcrossADisconnect) {
    TTempXdgHome home;
    InitWKConsts({}, BinDir() + "/acquisition_e2e_tests");
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(BinDir() + "/LocalDB/WK.db", dir.path() + "/WK.db"));
    TdmService module(dir.path() + "/WK.db");
    TdmService::SetCurrent(&module);

    TAcqSim sim(AcqSimDefaultConfig(kStart));
    sim.SetTime(At(59.5));
    sim.SetCompression(kWK2TZlibCompression);
    sim.Start();
    TRegIniFile reg(WKRegistryKey);
    reg.WriteString("TCPClient", "RemoteIP", "127.0.0.1");
    reg.WriteInteger("TCPClient", "Port", sim.Port());

    SetServiceLoader({[&] { return ServiceRowsOf(module); },
                      [&](const QString& name) { return module.GetMetaClass(name); }, nullptr});
    PrimaryServices = std::make_unique<TPrimarySerivces>("Welvista", false);
    SecondaryServices = std::make_unique<TSecondaryServices>("Welvista", false);
    ASSERT_TRUE(SecondaryServices->GetService("TWKTCPClientService"));
    EXPECT_EQ(SecondaryServices->Service(0), SecondaryServices->GetService("TWKTCPClientService"));
    NotifyServices(seStartLogging, nullptr);

    TWKStreamList& list = SecondaryServices->Streams();
    auto count = [&](const char* id) {
        TSensorDataStream* s = list.GetStreamByID(id);
        return s ? s->TotalCount() : -1;
    };
    auto tickUntil = [&](int time1s, int depth) {
        return WaitFor([&] {
            SecondaryServices->ProcessTimer();
            return count("Time1s.1001") >= time1s && count("Depth.1001") >= depth;
        });
    };
    ASSERT_TRUE(tickUntil(60, 12));
    TSensorDataStream* time = list.GetStreamByID("Time1s.1001");
    TSensorDataStream* depth = list.GetStreamByID("Depth.1001");
    EXPECT_EQ(time->DataClass(), "SrcTime");
    EXPECT_EQ(depth->DataClass(), "Depth");
    EXPECT_FALSE(list.GetStreamByID("Time5s.1001"));
    EXPECT_EQ(list.FindSensor(101, "SrcTime"), time->GetSensor(101));
    double shown = 0;
    EXPECT_EQ(list.FindSensor(122, "SrcTime")->AsString(0, 1, 0, 0, {}, shown), OpCodeText(opDrilling));
    ExpectNumbered(sim, *time, "Time1s.5", {101, 102, 103, 122, 1200, 1303}, 60);
    ExpectNumbered(sim, *depth, "Depth.5", {101, 103, 122, 1200}, 12);

    // The server drops the connection, then a reply breaks; the client reconnects
    // and asks for what it has not got.
    sim.DropConnections();
    sim.SetTime(At(89.5));
    ASSERT_TRUE(tickUntil(90, 18));
    sim.Script(TAcqSimAction(TAcqSimAction::CorruptZlib, 'D', "Time1s.5"));
    sim.SetTime(At(119.5));
    ASSERT_TRUE(tickUntil(120, 24));
    for (int i = 0; i < 5; ++i) SecondaryServices->ProcessTimer();
    EXPECT_GE(sim.Connections(), 3);
    ExpectNumbered(sim, *time, "Time1s.5", {101, 102, 103, 122, 1200, 1303}, 120);
    ExpectNumbered(sim, *depth, "Depth.5", {101, 103, 122, 1200}, 24);
    EXPECT_EQ(time->GetSensor(0)->GetValue(119), sim.RecordTime("Time1s.5", 119));

    FreeServicesAndNetwork();
    SetServiceLoader({});
    TdmService::SetCurrent(nullptr);
}
}  // namespace
