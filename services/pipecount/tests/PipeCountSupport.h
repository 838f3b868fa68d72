#pragma once
// The fixture of the pipe-counting tests: a well database in a temporary home
// with one well and run whose tally the test writes, and a "SrcTime" stream
// that the test fills record by record, one tick at a time.
#include "PipeCountService.h"
#include "WellDatabaseSupport.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class PipeCountFixture : public ::testing::Test {
protected:
    void SetUp() override {
        InitAsAcquisitionProgram();
        Wells = std::make_unique<TdmWells>();
    }
    void TearDown() override {
        Service.reset();
        Wells.reset();
        InitAsWorkstation();
    }

    // Well 1, run 1 (open) with the kelly length (null when negative).
    void MakeRun(double kelly = 12.5, int well = 1, int run = 1) {
        RunSql({QStringLiteral("insert into WELLS values (%1)").arg(well),
                QStringLiteral("insert into RUNS (WELLID, RUNNO, CLOSED, KELLYLENGTH) values (%1, %2, 0, %3)")
                    .arg(well)
                    .arg(run)
                    .arg(kelly < 0 ? QStringLiteral("NULL") : QString::number(kelly))});
        Wells->UpdateCurrentObjects();
    }
    // Plain pipes of the given lengths, numbered from 1, for well 1 run 1.
    void MakePipes(const std::vector<double>& lengths, int well = 1, int run = 1) {
        QStringList sql{QStringLiteral("update or insert into REF_BHAITEMS (TYPEID, ITEMMODEL, MODIFICATION, ITEMLENGTH, WEIGHT, "
                                       "INSIDEDIAMETER, OUTSIDEDIAMETER) values (33554432, 'ТБПК-127', '', 9.5, 30, "
                                       "108, 127) matching (TYPEID, ITEMMODEL, MODIFICATION)")};
        for (size_t i = 0; i < lengths.size(); ++i)
            sql << QStringLiteral("insert into BOTTOMHOLEASSEMBLY (WELLID, RUNNO, ITEMORDER, TYPEID, ISBHA, ITEMNO, "
                                  "SUBITEMNO, ITEMLENGTH, ITEMMODEL, MODIFICATION) values (%1, %2, %3, 33554432, 0, "
                                  "%3, 0, %4, 'ТБПК-127', '')")
                       .arg(well)
                       .arg(run)
                       .arg(i + 1)
                       .arg(lengths[i]);
        RunSql(sql);
    }

    // The service on a stream of its own, logging started.
    TPipeCountService& Start() {
        Service = std::make_unique<TPipeCountService>();
        Streams = std::make_unique<TWKStreamList>();
        auto stream = std::make_unique<TSensorDataStream>(0, QStringLiteral("Time1s.1"), QStringLiteral("Time1s"),
                                                          QStringLiteral("SrcTime"), 1000, true, 2000);
        for (int gid : {0, 101, 102, 103}) stream->AddSensor(gid);
        Stream = Streams->Add(std::move(stream));
        Service->Notify(seStartLogging, nullptr);
        Service->Notify(seCreateStreams, Streams.get());
        Service->Notify(seBindStreams, Streams.get());
        return *Service;
    }

    // One record of depth, bit off bottom and block position (NaN: an error sample).
    void Add(double depth, double offBottom, double block) {
        Stream->AddRecord();
        const int i = Stream->GetDataCount() - 1;
        Stream->GetSensor(0)->SetValue(i, 45000 + i / 86400.0);
        const double values[] = {depth, offBottom, block};
        const int gids[] = {101, 102, 103};
        for (int k = 0; k < 3; ++k) {
            if (std::isnan(values[k])) Stream->GetSensor(gids[k])->SetState(i, ssError);
            else Stream->GetSensor(gids[k])->SetValue(i, values[k]);
        }
    }
    // A tick: the records added since the last one are processed.
    void Tick() {
        Service->Notify(sePoll, nullptr);
        Stream->ResetNewCount();
    }
    // The string hanging in the block moves from bit position `from` to `to`
    // (hole depth 500), then the bit stands while the block moves by `blockMove`.
    void Move(double from, double to, double blockMove = 3) {
        const double tbbp = from + 20;
        Add(Hole, Hole - from, tbbp - from);
        for (int s = 1; s <= 4; ++s) {
            const double bit = from + (to - from) * s / 4;
            Add(Hole, Hole - bit, tbbp - bit);
        }
        for (int s = 1; s <= 3; ++s) Add(Hole, Hole - to, tbbp - to + blockMove * s / 3);
        Tick();
    }
    double Hole = 500;

    TSensorDataArray* Out(int gid) const { return Stream->GetSensor(gid); }
    int Last() const { return Stream->GetDataCount() - 1; }

    // A new home with a new, empty well database (the service and module of the old one go).
    void FreshHome() {
        Service.reset();
        Wells.reset();
        Home.reset();
        Home = std::make_unique<TTempXdgHome>();
        Wells = std::make_unique<TdmWells>();
    }

    std::unique_ptr<TTempXdgHome> Home = std::make_unique<TTempXdgHome>();
    std::unique_ptr<TdmWells> Wells;
    std::unique_ptr<TPipeCountService> Service;
    std::unique_ptr<TWKStreamList> Streams;
    TSensorDataStream* Stream = nullptr;
};
