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

        Sim = std::make_unique<TAcqSim>(AcqSimDefaultConfig(At(0)));
        Sim->SetValueSource([trip = Trip](const QString&, uint16_t gid, int64_t k) {
            switch (gid) {
                case 122: return TOps::Op(k);
                case 1200: return TOps::Rotary(k);
                case 1303: return TOps::TopDrive(k);
                default: break;
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
    std::vector<TRowTimes> want;
    int previous = 0;
    for (int i = 0; i < s->GetDataCount(); ++i) {
        TSensorDataArray* elements = s->GetSensor(120);
        const int element = elements->IsCorrectValue(i) ? int(std::lround(elements->GetValue(i))) : 0;
        const bool opens = element != previous;
        previous = element;
        if (element < 1) continue;
        const double time = s->GetSensor(0)->GetValue(i);
        if (opens) {
            want.push_back({element, std::floor(time * 86400.0 + 1e-4) / 86400.0, {}});
            continue;
        }
        const auto step = StepOf(int(std::lround(s->GetSensor(122)->GetValue(i))), s->GetSensor(1200)->GetValue(i));
        for (size_t c = 0; c < 8; ++c) want.back().Times[c] += step[c];
    }
    ASSERT_GE(want.size(), size_t(stands + 1));
    for (int n = 1; n <= stands; ++n) EXPECT_EQ(want[size_t(n - 1)].Element, n);

    TDataConnection db = OtherAttachment();
    QSqlQuery q = db.Exec("select * from TUBINGSTAT where WELLID = 1 and RUNNO = 1 order by STARTTIME");
    std::vector<TRowTimes> rows;
    std::vector<double> surveyDepth;
    std::array<double, 8> stored{};
    while (q.next()) {
        TRowTimes r{q.value("ITEMNO").toInt(), QDateTimeToDateTime(q.value("STARTTIME").toDateTime()), {}};
        for (size_t c = 0; c < 8; ++c) {
            r.Times[c] = q.value(kTimeColumns[c]).toDouble();
            stored[c] += r.Times[c];
        }
        EXPECT_EQ(q.value("ITEMMODEL").toString(), "ТБПК-127");
        EXPECT_EQ(q.value("SUBITEMNO").toInt(), 0);
        EXPECT_EQ(q.value("ISBHA").toInt(), 0);
        surveyDepth.push_back(q.value("SURVEYDEPTH").toDouble());
        rows.push_back(r);
    }
    ASSERT_EQ(rows.size(), want.size());
    // Every closed row holds exactly its steps; the running one its last periodic write.
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].Element, want[i].Element);
        EXPECT_NEAR(rows[i].Start, want[i].Start, 1e-8);
        if (i + 1 < rows.size()) {
            for (size_t c = 0; c < 8; ++c) EXPECT_NEAR(rows[i].Times[c], want[i].Times[c], 1e-9) << kTimeColumns[c];
            EXPECT_NEAR(surveyDepth[i], Trip.StringLength(rows[i].Element), 1e-6);
        } else {
            EXPECT_LE(rows[i].Times[0], want[i].Times[0] + 1e-9);
        }
    }
    // Every kind of time occurred.
    for (size_t c : {0, 1, 2, 3, 4, 5, 7}) EXPECT_GT(stored[c], 0.0) << kTimeColumns[c];

    // The module's sums are those of the stored rows.
    QVariantList sums;
    ASSERT_TRUE(QMetaObject::invokeMethod(service, "RecalculatedSums", Qt::DirectConnection, Q_RETURN_ARG(QVariantList, sums)));
    ASSERT_EQ(sums.size(), 8);
    for (size_t c = 0; c < 8; ++c) EXPECT_NEAR(sums[int(c)].toDouble(), stored[c], 1e-9) << kTimeColumns[c];
}
}  // namespace
