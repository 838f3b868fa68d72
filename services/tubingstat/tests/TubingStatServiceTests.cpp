// The statistics service and its module on the embedded well database: step
// accounting, the life of the running row, the exports and the hour texts.
#include "TubingStatSupport.h"
#include "WKHints.h"

namespace {

constexpr double kSecond = 1.0 / 3600.0;  // hours

TEST(TubingStatHours, HoursToStrRoundsToWholeSecondsFirst) {
    const struct {
        double Hours;
        const char* Text;
    } cases[] = {{std::nan(""), ""},       {0, "0:00:00"},          {1.5, "1:30:00"},
                 {27.25, "27:15:00"},      {1.9999999, "2:00:00"},  {1 - 0.4 / 3600, "1:00:00"},
                 {1 - 0.6 / 3600, "0:59:59"}, {125.5 + 59.0 / 3600, "125:30:59"}};
    for (const auto& c : cases) EXPECT_EQ(TdmTubingStat::HoursToStr(c.Hours), QString::fromUtf8(c.Text)) << c.Hours;
}

class TubingStatService : public TubingStatFixture {};

TEST_F(TubingStatService, StepsGoToTheColumnsOfTheOperation) {
    // Sum indexes: 0 common, 1 circulation, 2 drilling, 3 slide, 4 rotary, 5 connection, 6 pulling out, 7 running in.
    const struct {
        const char* Name;
        double Op, Rotary, TopDrive;
        std::vector<int> Columns;
    } cases[] = {
        {"rotor drilling, top drive turning", 7, 0, 30, {0, 1, 2, 4}},
        {"drilling without usable speeds", 3, NaN, NaN, {0, 1, 2, 3}},
        {"drilling, rotary turning", 3, 60, 0, {0, 1, 2, 4}},
        {"circulation", 5, 60, 60, {0, 1}},
        {"connection", 4, NaN, NaN, {0, 5}},
        {"pulling out", 2, NaN, NaN, {0, 6}},
        {"running in", 1, NaN, NaN, {0, 7}},
        {"reaming", 6, NaN, NaN, {0}},
        {"unusable operation", NaN, 60, 60, {0}},
    };
    int element = 1;
    double at = 100;  // each case's rows start apart: start times identify rows
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Start();
        const TTubingSumTimings before = dmTubingStat()->FSumTimings;
        Add(at, element);
        Add(at + 1, element, c.Op, c.Rotary, c.TopDrive);
        at += 10;
        Tick();
        const TTubingStatItem& row = Service->RunningRow();
        const double times[] = {row.CommonTime,      row.MudCirculationTime, row.DrillTime,      row.SlideDrillTime,
                                row.RotaryDrillTime, row.ConnectionTime,     row.PullingOutTime, row.RunInTime};
        for (int k = 0; k < 8; ++k) {
            const bool want = std::find(c.Columns.begin(), c.Columns.end(), k) != c.Columns.end();
            EXPECT_NEAR(times[k], want ? kSecond : 0.0, 1e-9) << k;
            EXPECT_NEAR(dmTubingStat()->FSumTimings.Values[size_t(k)] - before.Values[size_t(k)], want ? kSecond : 0.0, 1e-9) << k;
        }
        element = element % 4 + 1;
        Service.reset();
    }
}

TEST_F(TubingStatService, RunningRowIsRewrittenEveryTenStepsAndClosedOnChange) {
    Start();
    Add(100.4, 2, 3, 60);  // opens the row of element 2 at whole second 100
    Tick();
    ASSERT_EQ(Stored().size(), 1u);
    EXPECT_NEAR(Stored()[0].Start, At(100), 1e-9);
    EXPECT_EQ(Stored()[0].Times[0], 0.0);
    EXPECT_EQ(Stored()[0].ItemNo, QVariant(2));
    EXPECT_EQ(Stored()[0].Model, "ТБПК-127");
    EXPECT_DOUBLE_EQ(Stored()[0].SumWeight.toDouble(), 600);

    Run(2, 101.4, 9, 3);  // nine steps: not written yet
    EXPECT_EQ(Stored()[0].Times[0], 0.0);
    Run(2, 110.4, 1, 3);  // the tenth
    EXPECT_NEAR(Stored()[0].Times[0], 10 * kSecond, 1e-9);
    EXPECT_NEAR(Stored()[0].Times[2], 10 * kSecond, 1e-9);

    Run(2, 113.4, 1, 3);  // a gap of 3 s adds nothing
    Run(2, 114.4, 2, 3);  // two more steps
    EXPECT_NEAR(Service->RunningRow().CommonTime, 12 * kSecond, 1e-9);

    Run(3, 116.4, 1, 4);  // another element: the running row closes with its final times
    auto rows = Stored();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NEAR(rows[0].Times[0], 12 * kSecond, 1e-9);
    EXPECT_NEAR(rows[1].Start, At(116), 1e-9);
    EXPECT_EQ(rows[1].ItemNo, QVariant(3));

    Run(3, 117.4, 3, 4);
    Run(0, 120.4, 1);  // no element: a final write, then no running row
    rows = Stored();
    EXPECT_NEAR(rows[1].Times[0], 3 * kSecond, 1e-9);
    EXPECT_NEAR(rows[1].Times[5], 3 * kSecond, 1e-9);
    EXPECT_EQ(Service->RunningRow().ElementIndex, -1);
    EXPECT_EQ(Service->RunningRow().StartTime, 0.0);

    // The sums follow the steps and agree with the stored rows.
    dmTubingStat()->RecalcSumTimings();
    EXPECT_NEAR(dmTubingStat()->FSumTimings.SumCommonTime(), 15 * kSecond, 1e-9);
    EXPECT_EQ(dmTubingStat()->GetSumTiming(0), "0:00:15");
    EXPECT_EQ(dmTubingStat()->GetSumTiming(8), "");
}

TEST_F(TubingStatService, SecondInsertInTheSameSecondIsRefusedAndTriedAgain) {
    Start();
    Add(200.1, 1);
    Add(200.6, 2);  // same whole second as the row of element 1: refused
    Tick();
    EXPECT_EQ(Stored().size(), 1u);
    EXPECT_EQ(Service->RunningRow().ElementIndex, -1);
    EXPECT_EQ(dmTubingStat()->dsTubingStat.RecordCount(), 1);  // the refused row left nothing behind
    Run(2, 201.1, 1);  // the next record of the element opens its row
    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NEAR(rows[1].Start, At(201), 1e-9);
    EXPECT_EQ(Service->RunningRow().ElementIndex, 1);
}

TEST_F(TubingStatService, ElementsBeyondTheListGetOneRowOfTheirOwn) {
    Start();
    Run(7, 300, 12);  // element 7 of a list of 4
    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].ItemNo, QVariant(-1));
    EXPECT_EQ(rows[0].SubItemNo, QVariant(-1));
    EXPECT_EQ(rows[0].Model, TdmTubingStat::UnknownItemModel);
    EXPECT_NEAR(rows[0].Times[0], 10 * kSecond, 1e-9);
    EXPECT_EQ(Service->RunningRow().TubingIndex, -1);
    EXPECT_EQ(Service->RunningRow().ElementIndex, 6);
    // Never in the per-stand export.
    dmTubingStat()->CopyTubingsToClipboard();
    EXPECT_EQ(UI->ClipboardData.AsText().count("\r\n"), 1);
}

TEST_F(TubingStatService, NothingHappensWithoutElementsOrUsableSamples) {
    Start();
    dmJointcount()->FTubing.clear();
    Run(1, 400, 5);
    EXPECT_TRUE(Stored().empty());
    SetTubing(4);
    Add(405, NaN);
    Tick();
    EXPECT_TRUE(Stored().empty());
    EXPECT_EQ(Service->RunningRow().ElementIndex, -1);
}

TEST_F(TubingStatService, DeletingTheRunningRowResetsIt) {
    Start();
    Run(1, 500, 4);
    TdmTubingStat& m = *dmTubingStat();
    m.dsTubingStat.Last();
    m.DeleteCurrRecord();
    EXPECT_EQ(Service->RunningRow().ElementIndex, -1);
    EXPECT_TRUE(Stored().empty());
    EXPECT_TRUE(m.dsTubingStat.IsEmpty());
    Run(1, 504, 1);  // the element's next record opens a new row
    ASSERT_EQ(Stored().size(), 1u);
    EXPECT_NEAR(Stored()[0].Start, At(504), 1e-9);
}

TEST_F(TubingStatService, RowsGoneOrOfAnotherRunAreNotRewritten) {
    Start();
    Run(1, 600, 3);
    // Another workstation removes the running row: the periodic write finds no row to rewrite.
    RunSql({"delete from TUBINGSTAT"});
    Run(1, 603, 10);
    EXPECT_TRUE(Stored().empty());

    // A new run: the running row closes, and the next one belongs to the new run.
    Service.reset();
    Start();
    Run(2, 700, 5);
    RunSql({"update RUNS set CLOSED = 1", "insert into RUNS (WELLID, RUNNO, CLOSED, KELLYLENGTH) values (1, 2, 0, 12)"});
    Wells->UpdateCurrentObjects();
    ASSERT_EQ(Wells->FCurrentRun, 2);
    Service->DBChanged("RUNS");
    EXPECT_EQ(Service->RunningRow().ElementIndex, -1);
    EXPECT_TRUE(dmTubingStat()->dsTubingStat.IsEmpty());
    Run(2, 705, 12);
    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].RunNo, 1);
    EXPECT_NEAR(rows[0].Times[0], 4 * kSecond, 1e-9);  // its final write before the run changed
    EXPECT_EQ(rows[1].RunNo, 2);
    EXPECT_NEAR(rows[1].Times[0], 10 * kSecond, 1e-9);
}

TEST_F(TubingStatService, SavingTheRunningRowReachesTheService) {
    Start();
    Run(1, 800, 3);
    Run(2, 803, 3);
    TdmTubingStat& m = *dmTubingStat();
    int itemNo, subItemNo;
    bool bha;
    QString model;
    double survey, weight;
    TTubingStatItem item;
    // The older row: the running row stays as it was.
    m.dsTubingStat.First();
    m.GetCurrRecordFromDB(itemNo, subItemNo, bha, model, survey, weight, item);
    EXPECT_EQ(itemNo, 1);
    item.CommonTime = 5;
    ASSERT_TRUE(m.SaveCurrRecord(itemNo, subItemNo, bha, model, survey, weight, item));
    EXPECT_NEAR(Service->RunningRow().CommonTime, 2 * kSecond, 1e-9);
    // The running row: the service takes the saved times and start over.
    m.dsTubingStat.Last();
    m.GetCurrRecordFromDB(itemNo, subItemNo, bha, model, survey, weight, item);
    item.CommonTime = 1.5;
    item.StartTime = At(790);
    ASSERT_TRUE(m.SaveCurrRecord(itemNo, subItemNo, bha, model, survey, weight, item));
    EXPECT_DOUBLE_EQ(Service->RunningRow().CommonTime, 1.5);
    EXPECT_NEAR(Service->RunningRow().StartTime, At(790), 1e-9);
    EXPECT_NEAR(m.FSumTimings.SumCommonTime(), 6.5, 1e-9);
    // Its next periodic write (the tenth step since the row opened) finds it under the new start time.
    Run(2, 806, 10);
    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NEAR(rows[0].Start, At(790), 1e-9);
    EXPECT_NEAR(rows[0].Times[0], 1.5 + 8 * kSecond, 1e-9);
    // A save clashing with another row's start is refused and changes nothing.
    m.dsTubingStat.First();
    m.GetCurrRecordFromDB(itemNo, subItemNo, bha, model, survey, weight, item);
    item.StartTime = At(790);
    EXPECT_FALSE(m.SaveCurrRecord(itemNo, subItemNo, bha, model, survey, weight, item));
    EXPECT_EQ(Stored().size(), 2u);
    EXPECT_EQ(m.dsTubingStat.State(), TDataSetState::dsBrowse);
}

TEST_F(TubingStatService, AssemblyRowsAreStoredWithoutNumbers) {
    TTubingItem bha;
    bha.ItemNo = 1;
    bha.Prefix = QStringLiteral("КНБК: ");
    bha.Name = QStringLiteral("Долото");
    bha.Depth = std::nan("");
    bha.SumWeight = std::nan("");
    dmJointcount()->FTubing.insert(dmJointcount()->FTubing.begin(), bha);
    Start();
    Run(1, 900, 2);
    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].ItemNo.isNull());
    EXPECT_TRUE(rows[0].SubItemNo.isNull());
    EXPECT_EQ(rows[0].IsBHA, 1);
    EXPECT_EQ(rows[0].Model, "Долото");
    TdmTubingStat& m = *dmTubingStat();
    m.dsTubingStat.First();
    EXPECT_EQ(m.dsTubingStat.FieldByName("VSL_ISBHA")->AsString(), "Да");
}

class TubingStatExport : public TubingStatFixture {
protected:
    // Rows of well 1 run 1: start second, item, sub-item (NULL: empty), BHA flag, model, common and drill hours.
    void Rows(const QStringList& values) {
        QStringList sql;
        int k = 0;
        for (const QString& v : values)
            sql << QStringLiteral("insert into TUBINGSTAT (WELLID, STARTTIME, RUNNO, ITEMNO, SUBITEMNO, ISBHA, ITEMMODEL, "
                                  "SUMWEIGHT, COMMONTIME, DRILLTIME) values (1, timestamp '2026-12-08 06:00:%1', 1, %2)")
                       .arg(k++, 2, 10, QLatin1Char('0'))
                       .arg(v);
        RunSql(sql);
    }
    QStringList Lines() {
        QStringList lines = UI->ClipboardData.AsText().split("\r\n");
        EXPECT_EQ(lines.takeLast(), "");  // every line ends with CR LF
        return lines;
    }
};

TEST_F(TubingStatExport, SumsPerStand) {
    const struct {
        const char* Name;
        QStringList Rows;
        QStringList Lines;  // stand, last model, summed common and drill hours
    } cases[] = {
        {"one stand of three parts",
         {"4, 1, 0, 'a', 1, 1, 0.5", "4, 2, 0, 'b', 1, 2, 0", "5, 0, 0, 'c', 1, 0.25, 0.25"},
         {"5\tc\t3.25\t0.75"}},
        {"an assembly row splits a stand",
         {"4, 1, 0, 'a', 1, 1, 0", "NULL, NULL, 1, 'bha', 0, 5, 5", "4, 2, 0, 'b', 1, 2, 0"},
         {"5\ta\t1\t0", "5\tb\t2\t0"}},
        {"unknown elements never appear",
         {"-1, -1, 0, 'x', 0, 3, 0", "1, 0, 0, 'p', 1, 1, 0", "-1, -1, 0, 'y', 0, 3, 0", "2, 0, 0, 'q', 1, 2, 0"},
         {"1\tp\t1\t0", "2\tq\t2\t0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        RunSql({"delete from TUBINGSTAT"});
        Rows(c.Rows);
        Start();
        dmTubingStat()->dsTubingStat.Last();
        dmTubingStat()->CopyTubingsToClipboard();
        QStringList lines = Lines();
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.takeFirst(), "Начало\t№ рейса\t№ элемента\tТипоразмер\tОбщее время\tЦиркуляция\tБурение\t"
                                     "Бурение слайдом\tБурение ротором\tНаращивание\tПодъём\tСпуск");
        QStringList got;
        for (const QString& l : lines) {
            const QStringList v = l.split('\t');
            ASSERT_EQ(v.size(), 12);
            EXPECT_EQ(v[1], "1");
            got << QStringList{v[2], v[3], v[4], v[6]}.join('\t');
        }
        EXPECT_EQ(got, c.Lines);
        // The first row's start time opens each line; the current row stays.
        EXPECT_TRUE(lines.value(0).startsWith("08.12.2026 06:00:0"));
        EXPECT_EQ(dmTubingStat()->dsTubingStat.RecNo(), dmTubingStat()->dsTubingStat.RecordCount());
        Service.reset();
    }
}

TEST_F(TubingStatExport, RowsAsTheyAre) {
    Rows({"4, 1, 0, 'a', 1.5, 1.5, 0.5", "NULL, NULL, 1, 'bha', 0, 2, 0"});
    Start();
    TdmTubingStat& m = *dmTubingStat();
    m.dsTubingStat.First();
    m.CopyToClipboard(false);
    QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "Начало\tГлубина\t№ рейса\t№ элемента\t№ сегмента\tКНБК\tТипоразмер\tГлубина по свечам\t"
                        "Суммарный вес\tОбщее время\tЦиркуляция\tБурение\tБурение слайдом\tБурение ротором\t"
                        "Наращивание\tПодъём\tСпуск");
    // Plain values: times in hours, empty values empty.
    EXPECT_EQ(lines[1], "08.12.2026 06:00:00\t\t1\t4\t1\t\ta\t\t1.5\t1.5\t\t0.5\t\t\t\t\t");
    m.CopyToClipboard(true);
    lines = Lines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2], "08.12.2026 06:00:01\t\t1\t\t\tДа\tbha\t\t0\t2\t\t0\t\t\t\t\t");
    EXPECT_EQ(m.dsTubingStat.RecNo(), 1);
}

TEST_F(TubingStatExport, WithoutWellDatabaseTheModuleIsEmpty) {
    Wells.reset();
    TdmTubingStat m;
    EXPECT_FALSE(m.dsTubingStat.Active());
    EXPECT_TRUE(m.dsTubingStat.IsEmpty());
    for (double v : m.FSumTimings.Values) EXPECT_EQ(v, 0.0);
    EXPECT_EQ(m.GetSumTiming(0), "0:00:00");
    TTubingStatItem item;
    item.StartTime = At(1);
    EXPECT_FALSE(m.AddStatToDB(item, true));
    m.DeleteCurrRecord();
    EXPECT_FALSE(m.SaveCurrRecord(1, 0, false, "a", 0, 0, item));
    m.CopyToClipboard(true);
    EXPECT_EQ(Lines().size(), 1);
}

TEST_F(TubingStatExport, TheModuleFollowsTheWellDatabaseWheneverItOpens) {
    Wells.reset();
    Hints().ClearHints();
    // What an earlier test's failed write told is forgotten, as after a good write.
    WellDatabaseWriteSucceeded(QStringLiteral("статистику по свечам"));
    TdmTubingStat m;
    TTubingStatItem item;
    item.TubingIndex = 0;
    item.StartTime = At(1);
    item.CommonTime = 0.5;
    // A row the module cannot store is told, once.
    EXPECT_FALSE(m.AddStatToDB(item, true));
    EXPECT_FALSE(m.AddStatToDB(item, true));
    ASSERT_EQ(Hints().GetCount(), 1);
    EXPECT_TRUE(Hints().GetHint(0).Message.contains("статистику по свечам")) << Hints().GetHint(0).Message.toStdString();

    // The well module made after the statistics module, as the workstation does.
    Wells = std::make_unique<TdmWells>();
    EXPECT_TRUE(m.dsTubingStat.Active());
    ASSERT_TRUE(m.AddStatToDB(item, true));
    EXPECT_EQ(Stored().size(), 1u);
    m.RecalcSumTimings();
    EXPECT_DOUBLE_EQ(m.FSumTimings.SumCommonTime(), 0.5);

    // Gone and back again: closed meanwhile, then the rows of the new connection.
    Wells.reset();
    EXPECT_FALSE(m.dsTubingStat.Active());
    Wells = std::make_unique<TdmWells>();
    ASSERT_TRUE(m.dsTubingStat.Active());
    EXPECT_EQ(m.dsTubingStat.RecordCount(), 1);
    item.StartTime = At(2);
    EXPECT_TRUE(m.AddStatToDB(item, true));
    EXPECT_EQ(Stored().size(), 2u);
    Hints().ClearHints();
}

}  // namespace
