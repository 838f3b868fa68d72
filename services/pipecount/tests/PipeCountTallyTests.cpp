// The element list of a run read from the well database: numbering, pipe
// numbers, depths, weights and volumes, and what the service does without a
// usable tally.
#include "DebugOutput.h"
#include "Jointcount.h"
#include "PipeCountSupport.h"

#include <numbers>

namespace {
double Volume(double od, double id, double len) { return std::numbers::pi * (od * od - id * id) * len / 4e6; }

class PipeCountTally : public PipeCountFixture {
protected:
    // Casing of two joints, then bit, collar, two pipes, a three-part pipe and a sub.
    void MakeTally() {
        MakeRun(12.5);
        RunSql({
            "insert into REF_CASINGITEMS values (1, 'ОТТМ-168', 28, 150, 168)",
            "insert into CASING (WELLID, CASINGTYPEID, RUNNO, PROJECTED) values (1, 1, 1, 0)",
            "insert into CASING (WELLID, CASINGTYPEID, RUNNO, PROJECTED) values (1, 2, 1, 1)",
            "insert into CASINGITEMS (WELLID, CASINGTYPEID, ITEMNO, ITEMLENGTH, ITEMMODEL, PROJECTED) "
            "values (1, 1, 1, 11, 'ОТТМ-168', 0)",
            "insert into CASINGITEMS (WELLID, CASINGTYPEID, ITEMNO, ITEMLENGTH, ITEMMODEL, PROJECTED) "
            "values (1, 1, 2, 12, 'ОТТМ-168', 0)",
            // A projected casing is no part of the string.
            "insert into CASINGITEMS (WELLID, CASINGTYPEID, ITEMNO, ITEMLENGTH, ITEMMODEL, PROJECTED) "
            "values (1, 2, 3, 99, 'ОТТМ-168', 1)",
            // Per-metre pipe weight; average pipe weight; a whole-element weight; no weight at all.
            "insert into REF_BHAITEMS values (33554432, 'ТБПК-127', '', 9.5, 30, 108, 127, NULL)",
            "insert into REF_BHAITEMS values (33554432, 'СБТ-89', 'М', 9, 20, 70, 89, 25)",
            "insert into REF_BHAITEMS values (67108864, 'Долото', '', 0.4, 150, 0, 215.9, NULL)",
            "insert into REF_BHAITEMS values (67108864, 'УБТ-178', '', 9, NULL, NULL, NULL, NULL)",
        });
        struct Row {
            int typeID, isBHA, no, sub;
            double len;
            const char* model;
            const char* mod;
        };
        const Row rows[] = {{67108864, 1, 1, 0, 0.4, "Долото", ""},  {67108864, 1, 2, 0, 9, "УБТ-178", ""},
                            {33554432, 0, 3, 0, 9.5, "ТБПК-127", ""}, {33554432, 0, 4, 0, 9.6, "ТБПК-127", ""},
                            {33554432, 0, 5, 1, 3, "СБТ-89", "М"},    {33554432, 0, 5, 2, 3, "СБТ-89", "М"},
                            {33554432, 0, 5, 3, 3, "СБТ-89", "М"},    {0, 2, 6, 0, 0.5, "Переводник", ""}};
        QStringList sql;
        int order = 0;
        for (const Row& r : rows)
            sql << QStringLiteral("insert into BOTTOMHOLEASSEMBLY values (1, 1, %1, %2, %3, %4, %5, %6, '%7', '%8')")
                       .arg(++order)
                       .arg(r.typeID)
                       .arg(r.isBHA)
                       .arg(r.no)
                       .arg(r.sub)
                       .arg(r.len)
                       .arg(r.model)
                       .arg(r.mod);
        RunSql(sql);
    }
};

TEST_F(PipeCountTally, ElementsNumberedWeighedAndSummed) {
    MakeTally();
    TPipeCountService& s = Start();
    const TTubingArray& t = dmJointcount()->FTubing;
    ASSERT_EQ(t.size(), 10u);
    struct Want {
        const char* prefix;
        int no, sub, pipeNo, pipeSub;
        bool pipe, casing;
        double depth, weight;
    };
    const double sbt = (25 - 20) * 9 + 3 * 20.0;
    const Want want[] = {
        {"ОК: ", 1, 0, 0, 0, false, true, 11, 28 * 11},
        {"ОК: ", 2, 0, 0, 0, false, true, 23, 28 * 12},
        {"КНБК: ", 1, 0, 0, 0, false, false, 23.4, 150},
        {"КНБК: ", 2, 0, 0, 0, false, false, 32.4, 0},
        {"", 3, 0, 3, 0, true, false, 41.9, 30 * 9.5},
        {"", 4, 0, 4, 0, true, false, 51.5, 30 * 9.6},
        {"", 4, 1, 4, 1, true, false, 54.5, sbt},
        {"", 4, 2, 4, 2, true, false, 57.5, sbt},
        {"", 5, 0, 5, 0, true, false, 60.5, sbt},
        {"КНБК: ", 6, 0, 5, 0, false, false, 61, 0},
    };
    double sum = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        SCOPED_TRACE(i);
        sum += want[i].weight;
        EXPECT_EQ(t[i].Prefix, want[i].prefix);
        EXPECT_EQ(t[i].ItemNo, want[i].no);
        EXPECT_EQ(t[i].SubItemNo, want[i].sub);
        EXPECT_EQ(t[i].PipeNo, want[i].pipeNo);
        EXPECT_EQ(t[i].PipeSubNo, want[i].pipeSub);
        EXPECT_EQ(t[i].IsPipe, want[i].pipe);
        EXPECT_EQ(t[i].IsCasing, want[i].casing);
        EXPECT_NEAR(t[i].Depth, want[i].depth, 1e-9);
        EXPECT_NEAR(t[i].Weight, want[i].weight, 1e-9);
        EXPECT_NEAR(t[i].SumWeight, sum, 1e-9);
    }
    EXPECT_EQ(t[4].Name, "ТБПК-127");
    EXPECT_NEAR(t[0].ItemVolume, Volume(168, 150, 11), 1e-12);
    EXPECT_NEAR(t[4].ItemVolume, Volume(127, 108, 9.5), 1e-12);
    EXPECT_EQ(t[3].ItemVolume, 0) << "null diameters read as 0";
    EXPECT_DOUBLE_EQ(s.CasingLength(), 23);
    EXPECT_DOUBLE_EQ(s.KellyLength(), 12.5);

    // Volumes of index ranges; -1 outside the list or reversed.
    struct Range {
        int from, to;
        double want;
    };
    const Range ranges[] = {{0, 0, t[0].ItemVolume},
                            {4, 5, t[4].ItemVolume + t[5].ItemVolume},
                            {0, 9, [&] { double v = 0; for (auto& e : t) v += e.ItemVolume; return v; }()},
                            {5, 4, -1}, {-1, 3, -1}, {0, 10, -1}, {10, 10, -1}};
    for (const Range& r : ranges) {
        EXPECT_NEAR(s.GetRangeVolume(r.from, r.to), r.want, 1e-12) << r.from << ".." << r.to;
        EXPECT_NEAR(GetRangeVolume(r.from, r.to), r.want, 1e-12) << "exported " << r.from << ".." << r.to;
    }
}

TEST_F(PipeCountTally, CasingOnlyListIsNumberedToItsEnd) {
    MakeRun();
    RunSql({"insert into REF_CASINGITEMS values (1, 'ОТТМ-168', 28, 150, 168)",
            "insert into CASING (WELLID, CASINGTYPEID, RUNNO, PROJECTED) values (1, 1, 1, 0)",
            "insert into CASINGITEMS (WELLID, CASINGTYPEID, ITEMNO, ITEMLENGTH, ITEMMODEL, PROJECTED) "
            "values (1, 1, 7, 11, 'ОТТМ-168', 0)",
            "insert into CASINGITEMS (WELLID, CASINGTYPEID, ITEMNO, ITEMLENGTH, ITEMMODEL, PROJECTED) "
            "values (1, 1, 8, 12, 'ОТТМ-168', 0)"});
    Start();
    const TTubingArray& t = dmJointcount()->FTubing;
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[1].ItemNo, 8);
    EXPECT_EQ(t[1].Prefix, "ОК: ");
    EXPECT_DOUBLE_EQ(t[1].Depth, 23);
}

TEST_F(PipeCountTally, NoUsableTallyMeansNoElements) {
    // A closed run: nothing in the well, whatever was stored.
    MakeRun(-1);
    MakePipes({9.5, 9.5});
    RunSql({"update RUNS set CLOSED = 1"});
    Wells->UpdateCurrentObjects();
    WKRegIniFile().WriteInteger("TPipeCountService", "CurrentPipe", 2);
    TPipeCountService& s = Start();
    EXPECT_TRUE(dmJointcount()->FTubing.empty());
    EXPECT_EQ(s.CurrentItem(), 0);
    EXPECT_EQ(s.KellyLength(), -1) << "null kelly length";

    // Without the well database: an empty list, count 0, a diagnostic line.
    RunSql({"update RUNS set CLOSED = 0"});
    Wells.reset();
    InitWKConsts({"-DEBUG"}, BinDir() + "/Boremont");
    TDebugOutputCapture cap;
    WKRegIniFile().WriteInteger("TPipeCountService", "CurrentPipe", 2);
    TPipeCountService& again = Start();
    EXPECT_TRUE(dmJointcount()->FTubing.empty());
    EXPECT_EQ(again.CurrentItem(), 0);
    EXPECT_EQ(again.KellyLength(), -1);
    EXPECT_TRUE(cap.Contains("TPipeCountService.LoadTubing: the well database is not available"));
    Move(0, 9.5);
    EXPECT_EQ(again.CurrentItem(), 0);
}

TEST_F(PipeCountTally, FailingQueryKeepsTheList) {
    MakeRun();
    MakePipes({9.5, 9.5, 9.5});
    TPipeCountService& s = Start();
    ASSERT_EQ(dmJointcount()->FTubing.size(), 3u);
    // The catalogue table is gone: the statement fails, the list stays.
    Wells->dbWells().Exec("drop table BOTTOMHOLEASSEMBLY");
    QString runs = "RUNS";
    s.Notify(seDBChange, &runs);
    EXPECT_EQ(dmJointcount()->FTubing.size(), 3u);
}

TEST_F(PipeCountTally, ExportsWithoutAServiceAnswerNo) {
    ASSERT_EQ(TPipeCountService::Running(), nullptr);
    int index = 3;
    TTubingItem item;
    EXPECT_FALSE(SelectTubingItem(index, item));
    EXPECT_EQ(GetRangeVolume(0, 0), -1);
}
}  // namespace
