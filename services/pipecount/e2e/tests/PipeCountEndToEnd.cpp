// Pipe counting through the real default configuration: the service groups
// load the acquisition client and pipe counting by class name from their
// packages (this program links neither); the simulator on loopback runs a
// string in and out stand by stand over a tally in the embedded well database;
// ticks driven by hand.
#include "AcqSim.h"
#include "AcqSimTripping.h"
#include "AcquisitionTestSupport.h"
#include "RegIniFile.h"
#include "TrippingWell.h"
#include "WKConsts.h"
#include "WKServices.h"
#include "WellDatabaseSupport.h"
#include "dm_Service.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>
#include <optional>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 8) + EncodeTime(6, 0, 0, 0);
TDateTime At(double seconds) { return kStart + seconds / 86400.0; }

// What the computed sensors must hold with n stands in and the bit standing.
struct TWant {
    int Count;
    double BitPos, PipeLength, Kelly, Weight;
};

class PipeCountEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        InitWKConsts({}, BinDir() + "/Welvista2");
        ASSERT_TRUE(QFile::copy(BinDir() + "/LocalDB/WK.db", Dir.path() + "/WK.db"));
        Module.emplace(Dir.path() + "/WK.db");
        TdmService::SetCurrent(&*Module);
        Trip.Lengths = {9.5, 9.75, 9.25, 9.5};
        Wells = std::make_unique<TdmWells>();
        ASSERT_TRUE(Wells->Connected());
        WriteTrippingWell(Trip.Lengths);
        Wells->UpdateCurrentObjects();
        ASSERT_TRUE(Wells->FRunActive);
        StartSimulator(0);
    }
    void TearDown() override {
        StopGroups();
        Sim.reset();
        Wells.reset();
        TdmService::SetCurrent(nullptr);
    }

    // A simulator whose record 0 is record `offset` of the scenario.
    void StartSimulator(int64_t offset) {
        Sim.reset();
        Sim = std::make_unique<TAcqSim>(AcqSimDefaultConfig(At(double(offset))));
        Sim->SetValueSource([trip = Trip, offset](const QString&, uint16_t gid, int64_t k) {
            const double v = trip.Value(gid, k + offset);
            return std::isnan(v) ? TAcqSim::Value(gid, k + offset) : float(v);
        });
        Offset = offset;
        Sim->SetTime(At(double(offset)));
        Sim->Start();
        TRegIniFile reg(WKRegistryKey);
        reg.WriteString("TCPClient", "RemoteIP", "127.0.0.1");
        reg.WriteInteger("TCPClient", "Port", Sim->Port());
    }

    void StartGroups() {
        // The default loader: the Services rows and class modules of the current local database.
        SetServiceLoader({});
        PrimaryServices = std::make_unique<TPrimarySerivces>("Welvista", false);
        SecondaryServices = std::make_unique<TSecondaryServices>("Welvista", false);
        Wells->RegisterService();
        NotifyServices(seStartLogging, nullptr);
    }
    void StopGroups() { FreeServicesAndNetwork(); }

    TSensorDataStream* TimeStream() const { return SecondaryServices->Streams().GetStreamByID("Time1s.1001"); }

    // Records up to scenario record k arrive, tick by tick.
    bool RunTo(int64_t k) {
        Sim->SetTime(At(double(k) + 0.5));
        return WaitFor([&] {
            SecondaryServices->ProcessTimer();
            TSensorDataStream* s = TimeStream();
            return s && s->TotalCount() >= k - Offset + 1;
        });
    }

    double Sum(int n) const { return Trip.StringLength(n); }

    void Expect(const TWant& w) {
        TSensorDataStream* s = TimeStream();
        ASSERT_TRUE(s);
        const int i = s->GetDataCount() - 1;
        auto value = [&](int gid) {
            TSensorDataArray* a = s->GetSensor(gid);
            EXPECT_TRUE(a) << gid;
            return a ? a->GetValue(i) : std::nan("");
        };
        auto state = [&](int gid) { return s->GetSensor(gid)->GetState(i); };
        EXPECT_EQ(value(120), w.Count);
        EXPECT_NEAR(value(115), w.BitPos, 1e-4);
        EXPECT_NEAR(value(121), w.PipeLength, 1e-4);
        EXPECT_NEAR(value(110), Sum(w.Count), 1e-4);
        EXPECT_EQ(value(111), w.Count);
        EXPECT_NEAR(value(204), w.Weight, 1e-6);
        if (w.Count > 0) {
            EXPECT_NEAR(value(124), w.BitPos - Sum(w.Count), 1e-4);
            EXPECT_NEAR(value(126), Sum(w.Count) + w.Kelly, 1e-4);
            EXPECT_EQ(state(126), ssCalculated);
        } else {
            EXPECT_EQ(state(124), ssEmpty);
            EXPECT_EQ(state(126), ssEmpty);
        }
        EXPECT_EQ(state(110), ssCalculated);
    }
    TWant In(int n, double kelly = 12) const {
        return {n, Sum(n), n > 0 ? Trip.Lengths[size_t(n - 1)] : 0, kelly, 30 * Sum(n) / 1000};
    }

    TTempXdgHome Home;
    QTemporaryDir Dir;
    std::optional<TdmService> Module;
    std::unique_ptr<TdmWells> Wells;
    std::unique_ptr<TAcqSim> Sim;
    TAcqSimTripping Trip;
    int64_t Offset = 0;
};

TEST_F(PipeCountEndToEnd, StandByStandInAndOut) {
    StartGroups();
    ASSERT_TRUE(SecondaryServices->GetService("TWKTCPClientService"));
    ASSERT_TRUE(SecondaryServices->GetService("TPipeCountService"));
    EXPECT_EQ(SecondaryServices->Service(0), SecondaryServices->GetService("TWKTCPClientService"));
    EXPECT_EQ(SecondaryServices->Service(1), SecondaryServices->GetService("TPipeCountService"));

    ASSERT_TRUE(RunTo(Trip.RunInEnd(0)));
    Expect(In(0));
    for (int n = 1; n <= 2; ++n) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(RunTo(Trip.RunInEnd(n)));
        Expect(In(n));
    }

    // The groups start again, as at a restart of the program, while the
    // server runs on: the history fetched at connect holds the two stands
    // run in, which the stored count already took into account.
    StopGroups();
    StartGroups();
    ASSERT_TRUE(RunTo(Trip.RunInEnd(2)));
    ASSERT_EQ(TimeStream()->GetSensor(0)->GetValue(0), At(0)) << "the whole trip so far came again";
    Expect({2, Sum(2), 0, 12, 30 * Sum(2) / 1000});
    TSensorDataArray* counts = TimeStream()->GetSensor(120);
    for (int i = 0; i < counts->GetCount(); ++i) EXPECT_EQ(counts->GetValue(i), 2) << i;

    // A new kelly length reaches the service through the database event.
    bool runsEvent = false;
    QObject::connect(Wells.get(), &TdmWells::DatabaseEvent, [&](const QString& name) {
        if (name == "RUNS") runsEvent = true;
    });
    RunSql({"update RUNS set KELLYLENGTH = 15.5 where WELLID = 1 and RUNNO = 1"});
    ASSERT_TRUE(WaitForEvents([&] { return runsEvent; }));

    for (int n = 3; n <= Trip.Stands(); ++n) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(RunTo(Trip.RunInEnd(n)));
        Expect(In(n, 15.5));
    }
    for (int n = Trip.Stands() - 1; n >= 0; --n) {
        SCOPED_TRACE(-n);
        ASSERT_TRUE(RunTo(Trip.PullOutEnd(n)));
        TWant w = In(n, 15.5);
        w.PipeLength = Trip.Lengths[size_t(n)];
        Expect(w);
    }
}
}  // namespace
