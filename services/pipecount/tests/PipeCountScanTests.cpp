// Counting on a real stream: moves of the string with the block, then of the
// block alone; sensor corrections; too short a tally; the outputs of every
// record; the element channel's text.
#include "PipeCountSupport.h"

#include "DebugOutput.h"
#include "Formatting.h"
#include "RegIniFile.h"
#include "WKConsts.h"

#include <QSqlQuery>

namespace {
class PipeCountScan : public PipeCountFixture {
protected:
    int LogRows() { return Wells->dbWells().Scalar("select count(*) from LOG").toInt(); }
    void Store(int count, int well = 1, int run = 1) {
        WKRegIniFile().WriteInteger("TPipeCountService", "CurrentPipe", count);
        WKRegIniFile().WriteInteger("TPipeCountService", "CurrentPipeWell", well);
        WKRegIniFile().WriteInteger("TPipeCountService", "CurrentPipeRun", run);
    }
};

TEST_F(PipeCountScan, MovesCountElements) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> moves;
        int count;
        double pipeLength;
    };
    const std::vector<Case> cases{
        {"8.1 m down counts one", {{0, 8.1}}, 1, 8.1},
        {"7.9 m down counts none", {{0, 7.9}}, 0, 0},
        {"19 m down counts two", {{0, 19}}, 2, 19},
        {"60 m down counts 40 m of it", {{0, 60}}, 4, 60},
        {"down two, up one", {{0, 19}, {19, 9.5}}, 1, 9.5},
        {"up from the table counts nothing", {{0, 19}, {19, 0}, {0, -9.5}}, 0, 19},
        {"stand by stand", {{0, 9.5}, {9.5, 19}, {19, 28.5}}, 3, 9.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshHome();
        MakeRun();
        MakePipes(std::vector<double>(10, 9.5));
        TPipeCountService& s = Start();
        for (auto [from, to] : c.moves) Move(from, to);
        EXPECT_EQ(s.CurrentItem(), c.count);
        EXPECT_NEAR(s.PipeLength(), c.pipeLength, 1e-9);
        EXPECT_EQ(Out(120)->GetValue(Last()), c.count);
        EXPECT_NEAR(Out(121)->GetValue(Last()), c.pipeLength, 1e-9);
        EXPECT_EQ(WKRegIniFile().ReadInteger("TPipeCountService", "CurrentPipe"), c.count);
    }
}

TEST_F(PipeCountScan, BitAndBlockJumpingTogetherIsACorrection) {
    MakeRun();
    MakePipes(std::vector<double>(5, 9.5));
    InitWKConsts({"-DEBUG"}, BinDir() + "/Boremont");
    TDebugOutputCapture cap;
    TPipeCountService& s = Start();
    Add(500, 500, 20);
    Add(500, 500, 20);
    // Depth and block jump by 2 m between two records, the bit standing.
    Add(502, 500, 22);
    Tick();
    EXPECT_DOUBLE_EQ(s.CorrDelta(), 2);
    EXPECT_TRUE(cap.Contains("Jointcount: Bit position correction 2 " + TimeToStr(45000 + 2 / 86400.0)));
    EXPECT_EQ(s.CurrentItem(), 0);
    // The string then goes down 7.9 m: the bit reads 9.9, but 2 of it was the correction.
    Hole = 502;
    Move(2, 9.9);
    EXPECT_EQ(s.CurrentItem(), 0);
    Move(9.9, 17.8);
    EXPECT_EQ(s.CurrentItem(), 1) << "the correction ends with the next count";
    EXPECT_DOUBLE_EQ(s.CorrDelta(), 0);
}

TEST_F(PipeCountScan, TooFewElementsLogsOnceAndKeepsTheCount) {
    MakeRun();
    MakePipes({9.5, 9.5});
    TPipeCountService& s = Start();
    Move(0, 19);
    ASSERT_EQ(s.CurrentItem(), 2);
    const int before = LogRows();
    Move(19, 28.5);
    EXPECT_EQ(s.CurrentItem(), 2);
    EXPECT_EQ(LogRows(), before + 1);
    QSqlQuery q = Wells->dbWells().Exec("select MESSAGEID, MESSAGETEXT from LOG order by RECORDTIME desc");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 2 * 65536 + 5 * 1048576 + 2);
    EXPECT_EQ(q.value(1).toString(), "Введено недостаточно элементов колонны для расчетов");
    // The reference moved on: the block moving again does not repeat the message.
    for (int k = 1; k <= 3; ++k) Add(500, 500 - 28.5, 20 - k);
    Tick();
    EXPECT_EQ(LogRows(), before + 1);
    EXPECT_EQ(s.CurrentItem(), 2);
}

TEST_F(PipeCountScan, StoredCountBelongsToItsWellAndRun) {
    struct Case {
        const char* name;
        int storedWell, storedRun, want;
    };
    const Case cases[] = {{"same run", 1, 1, 3}, {"other run", 1, 7, 0}, {"other well", 9, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshHome();
        MakeRun();
        MakePipes(std::vector<double>(5, 9.5));
        Store(3, c.storedWell, c.storedRun);
        EXPECT_EQ(Start().CurrentItem(), c.want);
    }
    // A new run while running: back to 0.
    RunSql({"insert into RUNS (WELLID, RUNNO, CLOSED) values (1, 2, 0)"});
    Wells->UpdateCurrentObjects();
    MakePipes(std::vector<double>(5, 9.5), 1, 2);
    QString runs = "RUNS";
    Service->Notify(seDBChange, &runs);
    EXPECT_EQ(Service->CurrentItem(), 0);
}

TEST_F(PipeCountScan, StoredCountComesBackWithTheDatabase) {
    MakeRun();
    MakePipes(std::vector<double>(5, 9.5));
    Store(3, 1, 1);
    // The workstation's start with the database held elsewhere: no tally, count 0.
    Wells.reset();
    TPipeCountService& s = Start();
    EXPECT_TRUE(dmJointcount()->FTubing.empty());
    EXPECT_EQ(s.CurrentItem(), 0);
    // The database opened later: the tally, and the count stored for its run.
    Wells = std::make_unique<TdmWells>();
    EXPECT_EQ(dmJointcount()->FTubing.size(), 5u);
    EXPECT_EQ(s.CurrentItem(), 3);
}

TEST_F(PipeCountScan, UpwardMoveFromBeyondTheListStartsAtItsEnd) {
    MakeRun();
    MakePipes(std::vector<double>(4, 9.5));
    Store(9);
    InitWKConsts({"-DEBUG"}, BinDir() + "/Boremont");
    TDebugOutputCapture cap;
    TPipeCountService& s = Start();
    ASSERT_EQ(s.CurrentItem(), 9);
    Move(38, 28.5);
    EXPECT_EQ(s.CurrentItem(), 3);
    EXPECT_TRUE(cap.Contains("count 9 beyond the 4 elements"));
}

TEST_F(PipeCountScan, OutputsOfEveryRecord) {
    MakeRun(12.5);
    RunSql({"insert into REF_CASINGITEMS values (1, 'ОТТМ-168', 28, 150, 168)",
            "insert into CASING (WELLID, CASINGTYPEID, RUNNO, PROJECTED) values (1, 1, 1, 0)",
            "insert into CASINGITEMS (WELLID, CASINGTYPEID, ITEMNO, ITEMLENGTH, ITEMMODEL, PROJECTED) "
            "values (1, 1, 1, 10, 'ОТТМ-168', 0)"});
    MakePipes({9.5, 9.5, 9.5});
    const double nan = std::nan("");
    struct Case {
        const char* name;
        int count;
        bool detached;
        double kelly;
        // Wanted: 110, 111, 204, 124, 126 (NaN: not written); error: 110, 111, 124, 204 in error.
        double bitByTubing, pipeNo, weight, delta, withKelly;
        bool error;
    };
    const double w2 = (28 * 10 + 30 * 9.5) / 1000;
    const Case cases[] = {
        {"nothing in", 0, false, 12.5, 0, 0, 0, nan, nan, false},
        {"two in", 2, false, 12.5, 19.5, 1, w2, 30 - 19.5, 19.5 + 12.5, false},
        {"casing detached", 2, true, 12.5, 9.5, 1, w2, 30 - 9.5, 19.5 + 12.5, false},
        {"no kelly", 2, false, 0, 19.5, 1, w2, 30 - 19.5, nan, false},
        {"beyond the list", 5, false, 12.5, nan, nan, nan, nan, nan, true},
        {"negative", -1, false, 12.5, nan, nan, nan, nan, nan, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunSql({QStringLiteral("update RUNS set KELLYLENGTH = %1").arg(c.kelly)});
        Store(c.count);
        WKRegIniFile().WriteBool("TPipeCountService", "CasingDetached", c.detached);
        Start();
        Add(500, 470, 5);   // bit at 30 m
        Add(nan, 470, 5);   // not usable: outputs of the current element, 124 from the last scanned record
        Tick();
        for (int i : {0, 1}) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Out(120)->GetValue(i), c.count);
            EXPECT_EQ(Out(121)->GetValue(i), 0);
            EXPECT_EQ(Out(115)->GetState(i), i == 0 ? ssNormal : ssEmpty);
            const std::pair<int, double> checks[] = {
                {110, c.bitByTubing}, {111, c.pipeNo}, {204, c.weight}, {124, c.delta}, {126, c.withKelly}};
            for (auto [gid, want] : checks) {
                SCOPED_TRACE(gid);
                TSensorDataArray* a = Out(gid);
                if (c.error && gid != 126) {
                    EXPECT_EQ(a->GetState(i), ssError);
                } else if (std::isnan(want)) {
                    EXPECT_EQ(a->GetState(i), ssEmpty);
                } else {
                    EXPECT_EQ(a->GetState(i), ssCalculated);
                    EXPECT_NEAR(a->GetValue(i), want, 1e-9);
                }
            }
        }
        EXPECT_DOUBLE_EQ(Out(115)->GetValue(0), 30);
    }
}

TEST_F(PipeCountScan, ElementChannelText) {
    MakeRun();
    RunSql({"insert into REF_BHAITEMS values (67108864, 'Долото', '', 0.4, 150, 0, 215.9, NULL)",
            "insert into BOTTOMHOLEASSEMBLY values (1, 1, 1, 67108864, 1, 1, 0, 0.4, 'Долото', '')",
            "insert into BOTTOMHOLEASSEMBLY values (1, 1, 2, 0, 0, 2, 1, 4.5, 'СБТ-89', '')",
            "insert into BOTTOMHOLEASSEMBLY values (1, 1, 3, 0, 0, 2, 2, 4.5, 'СБТ-89', '')",
            "insert into BOTTOMHOLEASSEMBLY values (1, 1, 4, 0, 0, 3, 0, 9.5, 'СБТ-89', '')"});
    Start();
    TSensorDataArray* a = Out(120);
    ASSERT_EQ(a->ClassType().ClassName, std::string("TPipeDataArray"));
    const std::pair<double, const char*> cases[] = {
        {1, "КНБК: 1 Долото"}, {2, "1.1 СБТ-89"}, {2.6, "2 СБТ-89"}, {3, "2 СБТ-89"}, {4, "3 СБТ-89"},
        {0, "0"}, {5, "0"}, {-3, "0"}, {std::nan(""), ""}};
    for (auto [value, want] : cases) {
        Stream->AddRecord();
        a->SetValue(Last(), value);
        double shown = 0;
        EXPECT_EQ(a->AsString(Last(), 1, 0, 2, {}, shown), want) << value;
    }
}
}  // namespace
