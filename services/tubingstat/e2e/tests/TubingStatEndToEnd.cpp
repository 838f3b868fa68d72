// Tubing statistics through the real default configuration: the service
// groups load the acquisition client, pipe counting and the statistics by
// class name from their packages (this program links none of them); the
// simulator on loopback runs a string into the well stand by stand while the
// rig runs in, drills with and without rotation, makes connections and
// circulates; ticks driven by hand. The rows in the embedded well database
// must hold, per element, the times of the records that element was current.
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
#include <array>
#include <functional>
#include <cmath>
#include <optional>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 9) + EncodeTime(8, 0, 0, 0);
TDateTime At(double seconds) { return kStart + seconds / 86400.0; }

// The rig's operation, rotary and top-drive speeds at record k: running in,
// drilling with the rotary turning, sliding, a connection, circulation.
struct TOps {
    static int Phase(int64_t k) { return int(k % 40); }
    static float Op(int64_t k) {
        const int p = Phase(k);
        return p < 10 ? 1 : p < 20 ? 7 : p < 30 ? 3 : p < 35 ? 4 : 5;
    }
    static float Rotary(int64_t k) { return Phase(k) >= 10 && Phase(k) < 20 ? 60 : 0; }
    static float TopDrive(int64_t) { return 0; }
};

// Sum indexes: 0 common, 1 circulation, 2 drilling, 3 slide, 4 rotary, 5 connection, 6 pulling out, 7 running in.
std::array<double, 8> StepOf(int op, double rotary) {
    std::array<double, 8> t{};
    const double h = 1.0 / 3600;
    t[0] = h;
    if (op == 1) t[7] = h;
    if (op == 2) t[6] = h;
    if (op == 3 || op == 7) t[2] = h;
    if (op == 4) t[5] = h;
    if (op == 3 || op == 5 || op == 7) t[1] = h;
    if (op == 3 || op == 7) t[rotary > 0 ? 4 : 3] = h;
    return t;
}

const char* const kTimeColumns[] = {"COMMONTIME",      "MUDCIRCULATIONTIME", "DRILLTIME",   "SLIDEDRILLTIME",
                                    "ROTARYDRILLTIME", "CONNECTIONTIME",     "PULLOUTTIME", "RUNINTIME"};

class TubingStatEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { Start(false); }

    // The trip's own operation codes and speeds, or the rig cycle of TOps.
    virtual bool TripOperations() const { return false; }

    // workstationOrder: the service groups first, then the well module, as
    // the workstation starts them; else the well module first.
    void Start(bool workstationOrder) {
        InitWKConsts({}, BinDir() + "/Welvista2");
        ASSERT_TRUE(QFile::copy(BinDir() + "/LocalDB/WK.db", Dir.path() + "/WK.db"));
        Module.emplace(Dir.path() + "/WK.db");
        TdmService::SetCurrent(&*Module);
        Trip.Lengths = {9.5, 9.75, 9.25, 9.5};
        EnsureEmbeddedWellDatabase(EmbeddedWellDatabasePath());
        WriteTrippingWell(Trip.Lengths);
        if (!workstationOrder) {
            Wells = std::make_unique<TdmWells>();
            ASSERT_TRUE(Wells->Connected());
            ASSERT_TRUE(Wells->FRunActive);
        }

        Sim = std::make_unique<TAcqSim>(AcqSimDefaultConfig(At(0)));
        Sim->SetValueSource([trip = Trip, own = TripOperations()](const QString&, uint16_t gid, int64_t k) {
            if (!own) {
                switch (gid) {
                    case 122: return TOps::Op(k);
                    case 1200: return TOps::Rotary(k);
                    case 1303: return TOps::TopDrive(k);
                    default: break;
                }
            }
            const double v = trip.Value(gid, k);
            return std::isnan(v) ? TAcqSim::Value(gid, k) : float(v);
        });
        Sim->SetTime(At(0));
        Sim->Start();
        TRegIniFile reg(WKRegistryKey);
        reg.WriteString("TCPClient", "RemoteIP", "127.0.0.1");
        reg.WriteInteger("TCPClient", "Port", Sim->Port());

        SetServiceLoader({});
        PrimaryServices = std::make_unique<TPrimarySerivces>("Welvista", false);
        SecondaryServices = std::make_unique<TSecondaryServices>("Welvista", false);
        if (workstationOrder) {
            Wells = CreateWellsModule();
            ASSERT_TRUE(Wells && Wells->Connected());
            ASSERT_TRUE(Wells->FRunActive);
        }
        Wells->RegisterService();
        NotifyServices(seStartLogging, nullptr);
    }
    void TearDown() override {
        FreeServicesAndNetwork();
        Sim.reset();
        Wells.reset();
        TdmService::SetCurrent(nullptr);
    }

    TSensorDataStream* TimeStream() const { return SecondaryServices->Streams().GetStreamByID("Time1s.1001"); }

    bool RunTo(int64_t k) {
        Sim->SetTime(At(double(k) + 0.5));
        return WaitFor([&] {
            SecondaryServices->ProcessTimer();
            TSensorDataStream* s = TimeStream();
            return s && s->TotalCount() >= k + 1;
        });
    }

    TTempXdgHome Home;
    QTemporaryDir Dir;
    std::optional<TdmService> Module;
    std::unique_ptr<TdmWells> Wells;
    std::unique_ptr<TAcqSim> Sim;
    TAcqSimTripping Trip;
};

struct TRowTimes {
    int Element = 0;
    TDateTime Start = 0;
    std::array<double, 8> Times{};
};

// One row per run of one element through the stream's records; each step
// after a row's first record adds the operation of that step, as opAt and
// rotaryAt of the record's index tell.
std::vector<TRowTimes> ExpectedRows(TSensorDataStream& s, const std::function<int(int)>& opAt,
                                    const std::function<double(int)>& rotaryAt) {
    std::vector<TRowTimes> want;
    int previous = 0;
    for (int i = 0; i < s.GetDataCount(); ++i) {
        TSensorDataArray* elements = s.GetSensor(120);
        const int element = elements->IsCorrectValue(i) ? int(std::lround(elements->GetValue(i))) : 0;
        const bool opens = element != previous;
        previous = element;
        if (element < 1) continue;
        const double time = s.GetSensor(0)->GetValue(i);
        if (opens) {
            want.push_back({element, std::floor(time * 86400.0 + 1e-4) / 86400.0, {}});
            continue;
        }
        const auto step = StepOf(opAt(i), rotaryAt(i));
        for (size_t c = 0; c < 8; ++c) want.back().Times[c] += step[c];
    }
    return want;
}

// The stored rows of well 1, run 1, and their sums; every row is of the tally's pipe.
std::vector<TRowTimes> StoredRows(std::vector<double>& surveyDepth, std::array<double, 8>& sums) {
    TDataConnection db = OtherAttachment();
    QSqlQuery q = db.Exec("select * from TUBINGSTAT where WELLID = 1 and RUNNO = 1 order by STARTTIME");
    std::vector<TRowTimes> rows;
    sums = {};
    while (q.next()) {
        TRowTimes r{q.value("ITEMNO").toInt(), QDateTimeToDateTime(q.value("STARTTIME").toDateTime()), {}};
        for (size_t c = 0; c < 8; ++c) {
            r.Times[c] = q.value(kTimeColumns[c]).toDouble();
            sums[c] += r.Times[c];
        }
        EXPECT_EQ(q.value("ITEMMODEL").toString(), "ТБПК-127");
        EXPECT_EQ(q.value("SUBITEMNO").toInt(), 0);
        EXPECT_EQ(q.value("ISBHA").toInt(), 0);
        surveyDepth.push_back(q.value("SURVEYDEPTH").toDouble());
        rows.push_back(r);
    }
    return rows;
}

// Every closed row holds exactly its steps; the running one at most its
// steps (its last periodic write).
void ExpectRows(const std::vector<TRowTimes>& rows, const std::vector<TRowTimes>& want,
                const std::vector<double>& surveyDepth, const TAcqSimTripping& trip) {
    ASSERT_EQ(rows.size(), want.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].Element, want[i].Element);
        EXPECT_NEAR(rows[i].Start, want[i].Start, 1e-8);
        if (i + 1 < rows.size()) {
            for (size_t c = 0; c < 8; ++c) EXPECT_NEAR(rows[i].Times[c], want[i].Times[c], 1e-9) << kTimeColumns[c];
            EXPECT_NEAR(surveyDepth[i], trip.StringLength(rows[i].Element), 1e-6);
        } else {
            EXPECT_LE(rows[i].Times[0], want[i].Times[0] + 1e-9);
        }
    }
}

// The module's sums are those of the stored rows.
void ExpectModuleSums(QObject* service, const std::array<double, 8>& stored) {
    QVariantList sums;
    ASSERT_TRUE(QMetaObject::invokeMethod(service, "RecalculatedSums", Qt::DirectConnection, Q_RETURN_ARG(QVariantList, sums)));
    ASSERT_EQ(sums.size(), 8);
    for (size_t c = 0; c < 8; ++c) EXPECT_NEAR(sums[int(c)].toDouble(), stored[c], 1e-9) << kTimeColumns[c];
}

TEST_F(TubingStatEndToEnd, RowsPerElementHoldTheirOperationTimes) {
    ASSERT_EQ(SecondaryServices->Service(2), SecondaryServices->GetService("TTubingStatService"));
    QObject* service = SecondaryServices->GetService("TTubingStatService");
    ASSERT_TRUE(service);

    // Every stand in, then one out: the rows of all stands in are closed.
    const int stands = Trip.Stands();
    ASSERT_TRUE(RunTo(Trip.RunInEnd(stands)));
    ASSERT_TRUE(RunTo(Trip.PullOutEnd(stands - 1)));

    // What the records of the stream say: one row per run of one element.
    TSensorDataStream* s = TimeStream();
    ASSERT_TRUE(s);
    const std::vector<TRowTimes> want =
        ExpectedRows(*s, [s](int i) { return int(std::lround(s->GetSensor(122)->GetValue(i))); },
                     [s](int i) { return s->GetSensor(1200)->GetValue(i); });
    ASSERT_GE(want.size(), size_t(stands + 1));
    for (int n = 1; n <= stands; ++n) EXPECT_EQ(want[size_t(n - 1)].Element, n);

    std::vector<double> surveyDepth;
    std::array<double, 8> stored{};
    const std::vector<TRowTimes> rows = StoredRows(surveyDepth, stored);
    ExpectRows(rows, want, surveyDepth, Trip);
    // Every kind of time occurred.
    for (size_t c : {0, 1, 2, 3, 4, 5, 7}) EXPECT_GT(stored[c], 0.0) << kTimeColumns[c];
    ExpectModuleSums(service, stored);
}

// The workstation's own start: the service groups (and with them the
// statistics module) before the well module. The simulator's trip runs in,
// drills at the bottom and pulls out with its own operation codes; the hours
// expected come from its script by each record's time.
class TubingStatInTheWorkstation : public TubingStatEndToEnd {
protected:
    void SetUp() override { Start(true); }
    bool TripOperations() const override { return true; }
};

TEST_F(TubingStatInTheWorkstation, RowsHoldRunningInDrillingAndPullingOut) {
    QObject* service = SecondaryServices->GetService("TTubingStatService");
    ASSERT_TRUE(service);
    const int stands = Trip.Stands();
    ASSERT_TRUE(RunTo(Trip.RunInEnd(stands)));
    ASSERT_TRUE(RunTo(Trip.PullOutEnd(stands - 2)));

    TSensorDataStream* s = TimeStream();
    ASSERT_TRUE(s);
    // The simulator's record of each stream record, from its time.
    const auto record = [s](int i) { return int64_t(std::llround((s->GetSensor(0)->GetValue(i) - At(0)) * 86400.0)); };
    const std::vector<TRowTimes> want = ExpectedRows(
        *s, [&](int i) { return Trip.Operation(record(i)); }, [&](int i) { return Trip.RotarySpeed(record(i)); });
    // Every stand in, then two out.
    ASSERT_EQ(want.size(), size_t(stands + 2));
    for (int n = 1; n <= stands; ++n) EXPECT_EQ(want[size_t(n - 1)].Element, n);
    EXPECT_EQ(want[size_t(stands)].Element, stands - 1);
    EXPECT_EQ(want[size_t(stands + 1)].Element, stands - 2);

    std::vector<double> surveyDepth;
    std::array<double, 8> stored{};
    const std::vector<TRowTimes> rows = StoredRows(surveyDepth, stored);
    ExpectRows(rows, want, surveyDepth, Trip);
    ASSERT_EQ(rows.size(), size_t(stands + 2));
    // The rows of the stands run in hold running in; the bottom stand's also
    // the drilling with and without rotation, the connection and circulation
    // at the bottom and the start of pulling out; a stand pulled out holds
    // pulling out only.
    for (int n = 0; n < stands; ++n) EXPECT_GT(rows[size_t(n)].Times[7], 0.0) << n;
    const TRowTimes& bottom = rows[size_t(stands - 1)];
    for (size_t c = 0; c < 8; ++c) EXPECT_GT(bottom.Times[c], 0.0) << kTimeColumns[c];
    const TRowTimes& out = rows[size_t(stands)];
    EXPECT_GT(out.Times[6], 0.0);
    EXPECT_NEAR(out.Times[6], out.Times[0], 1e-9);
    ExpectModuleSums(service, stored);
}
}  // namespace
