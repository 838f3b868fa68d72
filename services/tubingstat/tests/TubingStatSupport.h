#pragma once
// The fixture of the statistics tests: a well database in a temporary home
// with well 1 and run 1, an element list set by hand, and a "SrcTime" stream
// the test fills record by record, one tick at a time.
#include "UIServices.h"
#include "WKDataStructures.h"
#include "WellDatabaseSupport.h"
#include "dm_Jointcount.h"
#include "dm_TubingStat.h"

#include <QSqlQuery>
#include <gtest/gtest.h>
#include <cmath>
#include <memory>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// One row of TUBINGSTAT as another attachment reads it.
struct TStoredRow {
    TDateTime Start;
    int RunNo;
    QVariant ItemNo, SubItemNo;
    int IsBHA;
    QString Model;
    QVariant SumWeight;
    std::array<double, 8> Times;  // in the order of the sum indexes
};

class TubingStatFixture : public ::testing::Test {
protected:
    static constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    const TDateTime T0 = EncodeDate(2026, 12, 8) + EncodeTime(6, 0, 0, 0);

    void SetUp() override {
        InitAsAcquisitionProgram();
        Wells = std::make_unique<TdmWells>();
        RunSql({"insert into WELLS values (1)", "insert into RUNS (WELLID, RUNNO, CLOSED, KELLYLENGTH) values (1, 1, 0, 12)"});
        Wells->UpdateCurrentObjects();
        SetTubing(4);
        OldUI = SetUIServices(UI);
    }
    void TearDown() override {
        Service.reset();
        Wells.reset();
        dmJointcount()->FTubing.clear();
        SetUIServices(OldUI);
        InitAsWorkstation();
    }

    // n plain pipes numbered 1..n, 9.5 m and 300 kg each.
    static void SetTubing(int n) {
        TTubingArray& list = CreateJointcountModule().FTubing;
        list.clear();
        for (int i = 1; i <= n; ++i) {
            TTubingItem item;
            item.ItemNo = i;
            item.IsPipe = true;
            item.Name = QStringLiteral("ТБПК-127");
            item.Depth = 9.5 * i;
            item.SumWeight = 300.0 * i;
            list.push_back(item);
        }
    }

    // The service on a stream of its own, logging started.
    TTubingStatService& Start() {
        Service = std::make_unique<TTubingStatService>();
        Streams = std::make_unique<TWKStreamList>();
        auto stream = std::make_unique<TSensorDataStream>(0, QStringLiteral("Time1s.1"), QStringLiteral("Time1s"),
                                                          QStringLiteral("SrcTime"), 1000, true, 2000);
        for (int gid : {0, 101, 120, 122, 1200, 1303}) stream->AddSensor(gid);
        Stream = Streams->Add(std::move(stream));
        Service->Notify(seStartLogging, nullptr);
        Service->Notify(seBindStreams, Streams.get());
        return *Service;
    }

    // One record at T0 + seconds (NaN values: error samples).
    void Add(double seconds, double element, double op = NaN, double rotary = NaN, double topDrive = NaN,
             double depth = 100) {
        Stream->AddRecord();
        const int i = Stream->GetDataCount() - 1;
        Stream->GetSensor(0)->SetValue(i, T0 + seconds / 86400.0);
        const double values[] = {depth, element, op, rotary, topDrive};
        const int gids[] = {101, 120, 122, 1200, 1303};
        for (int k = 0; k < 5; ++k) {
            if (std::isnan(values[k])) Stream->GetSensor(gids[k])->SetState(i, ssError);
            else Stream->GetSensor(gids[k])->SetValue(i, values[k]);
        }
    }
    void Tick() {
        Service->Notify(sePoll, nullptr);
        Stream->ResetNewCount();
    }
    // Records of element at the given seconds in one tick.
    void Run(double element, double from, int count, double op = NaN) {
        for (int k = 0; k < count; ++k) Add(from + k, element, op);
        Tick();
    }

    static std::vector<TStoredRow> Stored(int well = 1) {
        TDataConnection db = OtherAttachment();
        QSqlQuery q = db.Exec(QStringLiteral("select * from TUBINGSTAT where WELLID = ? order by STARTTIME"), {well});
        std::vector<TStoredRow> rows;
        while (q.next()) {
            TStoredRow r{QDateTimeToDateTime(q.value("STARTTIME").toDateTime()), q.value("RUNNO").toInt(),
                         q.value("ITEMNO"), q.value("SUBITEMNO"), q.value("ISBHA").toInt(),
                         q.value("ITEMMODEL").toString(), q.value("SUMWEIGHT"), {}};
            for (size_t k = 0; k < 8; ++k) r.Times[k] = q.value(TdmTubingStat::TimeColumns[k]).toDouble();
            rows.push_back(r);
        }
        return rows;
    }
    TDateTime At(double seconds) const { return T0 + seconds / 86400.0; }

    TTempXdgHome Home;
    std::unique_ptr<TdmWells> Wells;
    std::unique_ptr<TTubingStatService> Service;
    std::unique_ptr<TWKStreamList> Streams;
    TSensorDataStream* Stream = nullptr;
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> OldUI;
};
