// The active set of limits in the local configuration database: loading,
// inserting and updating whole rows, switching checks off without losing the
// row, limits that are not set, and a failing save.
#include "RangeSupport.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

namespace {
class RangeStore : public RangeFixture {
protected:
    // The row (-1, gid) as "column=value" texts, empty when there is none.
    QStringList StoredRow(int gid) const {
        QSqlQuery q = Module->dbService().Exec("SELECT * FROM Ranges WHERE ProfileID = -1 AND GID = ?", {gid});
        QStringList row;
        if (!q.next()) return row;
        for (int i = 0; i < q.record().count(); ++i)
            row << q.record().fieldName(i) + "=" + (q.value(i).isNull() ? QString("NULL") : q.value(i).toString());
        return row;
    }
};

TEST_F(RangeStore, LoadsTheActiveRowsWithNames) {
    AddRow(101, "1, 0, 9.5, NULL, 'Low', 'High', 1, 0, 30, 40, 1, 0, 1, 0, 1, 0");
    AddRow(99999, "0, 1, NULL, 7, '', '', 0, 1, 0, 5, 0, 1, 0, 1, 0, 1");
    Module->dbService().Exec("INSERT INTO Ranges (ProfileID, GID, CheckMin, MinValue) VALUES (3, 1200, 1, 1)");
    TRangeAlarmService& s = Start();
    ASSERT_EQ(s.Params().size(), 2u);
    const TRangeCheckItem& a = *s.Params()[0];
    EXPECT_EQ(a.GID, 101);
    EXPECT_EQ(a.Name, "Глубина");
    EXPECT_TRUE(a.CheckMin());
    EXPECT_FALSE(a.CheckMax());
    EXPECT_EQ(a.Min, 9.5);
    EXPECT_TRUE(std::isnan(a.Max));
    EXPECT_EQ(a.MinSound, "Low");
    EXPECT_EQ(a.MaxSound, "High");
    EXPECT_TRUE(a.MinContinueSound && a.LogMin && a.MinInMenu && a.BroadcastMin);
    EXPECT_FALSE(a.MaxContinueSound || a.LogMax || a.MaxInMenu || a.BroadcastMax);
    EXPECT_EQ(a.MinDelay, 30);
    EXPECT_EQ(a.MaxDelay, 40);
    const TRangeCheckItem& b = *s.Params()[1];
    EXPECT_EQ(b.GID, 99999);
    EXPECT_EQ(b.Name, "");  // not in the catalogue
    EXPECT_TRUE(std::isnan(b.Min));
    EXPECT_EQ(b.Max, 7);
    EXPECT_TRUE(b.MaxContinueSound && b.LogMax && b.MaxInMenu && b.BroadcastMax);
}

TEST_F(RangeStore, SaveInsertsAndUpdatesWholeRows) {
    TRangeAlarmService& s = Start();
    TRangeCheckItem item;
    item.GID = 1200;
    item.SetCheckMax(true);
    item.Max = 250;
    item.MaxSound = "High";
    item.MaxDelay = 15;
    item.MaxInMenu = true;
    item.BroadcastMax = true;
    ASSERT_TRUE(s.Module()->SaveParam(item));
    const QStringList inserted{"ProfileID=-1",         "GID=1200",          "CheckMin=0",        "CheckMax=1",
                               "MinValue=NULL",        "MaxValue=250",      "MinSound=NULL",       "MaxSound=High",
                               "MinContinueSound=0",   "MaxContinueSound=0", "MinDelay=0",        "MaxDelay=15",
                               "MinLogEvent=0",        "MaxLogEvent=0",     "MinInMenu=0",       "MaxInMenu=1",
                               "BroadcastMin=0",       "BroadcastMax=1"};
    EXPECT_EQ(StoredRow(1200), inserted);

    item.SetCheckMin(true);
    item.Min = 12.25;
    item.Max = TRangeCheckItem::NaN;
    item.LogMin = true;
    item.MinContinueSound = true;
    ASSERT_TRUE(s.Module()->SaveParam(item));
    QStringList updated = inserted;
    updated[2] = "CheckMin=1";
    updated[4] = "MinValue=12.25";
    updated[5] = "MaxValue=NULL";
    updated[8] = "MinContinueSound=1";
    updated[12] = "MinLogEvent=1";
    EXPECT_EQ(StoredRow(1200), updated);
    EXPECT_EQ(Module->dbService().Scalar("SELECT count(*) FROM Ranges").toInt(), 1);

    // What was saved loads back as it was.
    TRangeCheckList loaded;
    s.Module()->LoadParams(loaded);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0]->Min, 12.25);
    EXPECT_TRUE(std::isnan(loaded[0]->Max));
    EXPECT_EQ(loaded[0]->Name, "Обороты ротора");
}

TEST_F(RangeStore, DeleteParamKeepsTheRowWithBothChecksOff) {
    AddRow(101, "1, 1, 9.5, 20, 'Low', '', 0, 0, 0, 0, 1, 0, 1, 1, 0, 0");
    TRangeAlarmService& s = Start();
    const QStringList before = StoredRow(101);
    EXPECT_TRUE(s.Module()->DeleteParam(101));
    QStringList after = before;
    after[2] = "CheckMin=0";
    after[3] = "CheckMax=0";
    EXPECT_EQ(StoredRow(101), after);
    // A sensor without a row gets none.
    EXPECT_TRUE(s.Module()->DeleteParam(1200));
    EXPECT_TRUE(StoredRow(1200).isEmpty());

    // ResetRange: the item in memory as well.
    AddRow(1200, "1, 0, 5, NULL, '', '', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0");
    Service.reset();
    TRangeAlarmService& again = Start();
    TSensDescr d;
    d.GID = 1200;
    again.Module()->ResetRange(d);
    ASSERT_TRUE(FindParamLink(again.Params(), 1200));
    EXPECT_FALSE(FindParamLink(again.Params(), 1200)->AnyCheck());
    EXPECT_EQ(StoredRow(1200).mid(2, 3), QStringList({"CheckMin=0", "CheckMax=0", "MinValue=5"}));
}

TEST_F(RangeStore, AFailedSaveKeepsTheItemAndTheRow) {
    AddRow(101, "1, 0, 9.5, NULL, 'Low', '', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0");
    TRangeAlarmService& s = Start();
    const QStringList before = StoredRow(101);
    TRangeCheckItem& item = *s.Params().front();
    item.Min = 3;
    item.MinSound = QString(101, 'x');  // longer than the column allows
    EXPECT_FALSE(s.Module()->SaveParam(item));
    EXPECT_EQ(StoredRow(101), before);
    EXPECT_EQ(item.Min, 3);
    EXPECT_EQ(s.Params().size(), 1u);
}

TEST_F(RangeStore, AModuleWithoutItsTablesIsRefused) {
    Module->dbService().Exec("DROP TABLE RangeProfiles");
    TRangeCheckList list;
    EXPECT_ANY_THROW(TdmSpanwatch module(list));
}
}  // namespace
