// The SQL dataset over an SQLite file: rows by parameters, persistent and
// calculated fields, the edit cycle through the statements, its own
// transaction, bookmarks, Locate and disabled controls.
#include "SqlDataSet.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SqlDataSet : public ::testing::Test {
protected:
    void SetUp() override {
        const QString file = Dir.path() + "/t.db";
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        Db = TDataConnection::OpenSQLite(file);
        Db.ExecScript(
            "create table T (K integer not null primary key, GRP integer not null, NAME varchar(20), V double);\n"
            "insert into T values (1, 1, 'a', 1.5);\n"
            "insert into T values (2, 1, 'b', NULL);\n"
            "insert into T values (3, 2, 'c', 7);\n"
            "insert into T values (4, 1, 'd', 2.26);\n");
        Tr.SetDatabase(Db);
        Ds.Transaction = &Tr;
        Ds.SelectSQL = {"select * from T where GRP = :GRP", "order by K"};
        Ds.InsertSQL = {"insert into T (K, GRP, NAME, V) values (:K, :GRP, :NAME, :V)"};
        Ds.ModifySQL = {"update T set K = :K, NAME = :NAME, V = :V", "where K = :OLD_K"};
        Ds.DeleteSQL = {"delete from T where K = :OLD_K"};
        Ds.RefreshSQL = {"select * from T where K = :K"};
        Ds.SetParam("GRP", 1);
    }
    // Persistent fields: the data fields and one calculated text.
    void AddFields() {
        Ds.AddField<TIntegerField>("K").Required = true;
        Ds.AddField<TIntegerField>("GRP");
        Ds.AddField<TStringField>("NAME", 20).SetDisplayLabel("Имя");
        auto& v = Ds.AddField<TFloatField>("V");
        v.DisplayFormat = "0.0";
        v.Tag = 7;
        auto& c = Ds.AddField<TStringField>("VSL_V", 30);
        c.FieldKind = TFieldKind::fkCalculated;
        Ds.OnCalcFields = [](TDataSet& d) {
            d.FieldByName("VSL_V")->SetAsString(d.FieldByName("V")->IsNull() ? "-" : "v=" + d.FieldByName("V")->AsString());
        };
    }
    QStringList Names() {
        QStringList out;
        const TBookmark b = Ds.GetBookmark();
        for (Ds.First(); !Ds.Eof(); Ds.Next()) out << Ds.FieldByName("NAME")->AsString();
        Ds.GotoBookmark(b);
        return out;
    }
    // What another attachment sees.
    QString Stored() {
        TDataConnection other = TDataConnection::Attach(Db);
        QSqlQuery q = other.Exec("select K, NAME, V from T order by K");
        QStringList out;
        while (q.next()) out << q.value(0).toString() + ":" + q.value(1).toString() + ":" + q.value(2).toString();
        return out.join(' ');
    }

    QTemporaryDir Dir;
    TDataConnection Db;
    TSqlTransaction Tr;
    TSqlDataSet Ds;
};

TEST_F(SqlDataSet, OpensRowsOfParametersWithDefaultFields) {
    Ds.Open();
    EXPECT_TRUE(Ds.DefaultFields());
    EXPECT_EQ(Ds.RecordCount(), 3);
    EXPECT_EQ(Names(), QStringList({"a", "b", "d"}));
    EXPECT_TRUE(Ds.FieldByName("V")->IsNull() == false);
    Ds.Next();
    EXPECT_TRUE(Ds.FieldByName("V")->IsNull());
    Ds.Close();
    Ds.SetParam("GRP", 2);
    Ds.Open();
    EXPECT_EQ(Names(), QStringList({"c"}));
    Ds.Close();
    Ds.SelectSQL = {"select * from NOSUCH"};
    EXPECT_THROW(Ds.Open(), EDatabaseError);
    EXPECT_FALSE(Ds.Active());
}

TEST_F(SqlDataSet, CalculatedFieldsFormatsAndLabels) {
    AddFields();
    Ds.Open();
    EXPECT_FALSE(Ds.DefaultFields());
    EXPECT_EQ(Ds.FieldByName("VSL_V")->AsString(), "v=1.5");
    EXPECT_EQ(Ds.FieldByName("V")->DisplayText(), "1.5");
    EXPECT_EQ(Ds.FieldByName("NAME")->DisplayLabel(), "Имя");
    EXPECT_EQ(Ds.FieldByName("V")->Tag, 7);
    Ds.Next();
    EXPECT_EQ(Ds.FieldByName("VSL_V")->AsString(), "-");
    Ds.Last();
    EXPECT_EQ(Ds.FieldByName("V")->DisplayText(), "2.3");  // 2.26 by "0.0"
    // A calculated field follows an edit at once and cannot be written outside the calculation.
    Ds.Edit();
    Ds.FieldByName("V")->SetAsFloat(4);
    EXPECT_EQ(Ds.FieldByName("VSL_V")->AsString(), "v=4");
    EXPECT_THROW(Ds.FieldByName("VSL_V")->SetAsString("x"), EDatabaseError);
    Ds.Cancel();
    EXPECT_EQ(Ds.FieldByName("VSL_V")->AsString(), "v=2.26");
    // A persistent data field the select does not give is refused at open.
    Ds.Close();
    Ds.SelectSQL = {"select K, GRP, NAME from T where GRP = :GRP"};
    EXPECT_THROW(Ds.Open(), EDatabaseError);
}

TEST_F(SqlDataSet, EditInsertDeleteGoThroughTheStatementsAndTheOwnTransaction) {
    AddFields();
    Ds.Open();
    Ds.Edit();
    Ds.FieldByName("NAME")->SetAsString("A");
    Ds.FieldByName("K")->SetAsInteger(10);  // the key itself changes: the old one finds the row
    Ds.Post();
    Ds.Append();
    Ds.FieldByName("K")->SetAsInteger(5);
    Ds.FieldByName("GRP")->SetAsInteger(1);
    Ds.FieldByName("NAME")->SetAsString("e");
    Ds.Post();
    EXPECT_EQ(Ds.FieldByName("VSL_V")->AsString(), "-");
    EXPECT_EQ(Names(), QStringList({"A", "b", "d", "e"}));

    int beforeDelete = 0;
    Ds.BeforeDelete = [&](TDataSet& d) {
        ++beforeDelete;
        EXPECT_EQ(d.FieldByName("NAME")->AsString(), "b");
    };
    ASSERT_TRUE(Ds.Locate({"NAME"}, {"b"}));
    Ds.Delete();
    EXPECT_EQ(beforeDelete, 1);
    EXPECT_EQ(Ds.FieldByName("NAME")->AsString(), "d");  // the next row becomes current

    // Nothing is committed yet: another attachment sees the old rows.
    EXPECT_EQ(Stored(), "1:a:1.5 2:b: 3:c:7 4:d:2.26");
    const TBookmark here = Ds.GetBookmark();
    Tr.CommitRetaining();
    EXPECT_TRUE(Tr.InTransaction());
    EXPECT_EQ(Stored(), "3:c:7 4:d:2.26 5:e: 10:A:1.5");
    EXPECT_EQ(Ds.GetBookmark(), here);  // rows and current row kept
    EXPECT_EQ(Ds.RecordCount(), 3);

    // A rolled back change is gone from the database.
    Ds.Edit();
    Ds.FieldByName("NAME")->SetAsString("zz");
    Ds.Post();
    Tr.RollbackRetaining();
    EXPECT_EQ(Stored(), "3:c:7 4:d:2.26 5:e: 10:A:1.5");
}

TEST_F(SqlDataSet, FailuresLeaveTheRowsAsTheyWere) {
    AddFields();
    Ds.Open();
    // A duplicate key is refused by the database; the cancelled insert leaves the rows.
    Ds.Append();
    Ds.FieldByName("K")->SetAsInteger(1);
    Ds.FieldByName("GRP")->SetAsInteger(1);
    EXPECT_THROW(Ds.Post(), EDatabaseError);
    Ds.Cancel();
    EXPECT_EQ(Ds.RecordCount(), 3);
    // A required field without a value is refused before any statement.
    Ds.Edit();
    Ds.FieldByName("K")->Clear();
    EXPECT_THROW(Ds.Post(), EDatabaseError);
    Ds.Cancel();
    EXPECT_EQ(Ds.FieldByName("K")->AsInteger(), 1);  // Cancel brought the row back
    Tr.RollbackRetaining();

    // A row another attachment removed is neither rewritten nor deleted.
    {
        TDataConnection other = TDataConnection::Attach(Db);
        other.Exec("delete from T where K = 4");
    }
    ASSERT_TRUE(Ds.Locate({"K"}, {4}));
    Ds.Edit();
    Ds.FieldByName("NAME")->SetAsString("x");
    EXPECT_THROW(Ds.Post(), EDatabaseError);
    Ds.Cancel();
    EXPECT_THROW(Ds.Delete(), EDatabaseError);
    EXPECT_EQ(Ds.RecordCount(), 3);
    Tr.RollbackRetaining();
    EXPECT_EQ(Stored(), "1:a:1.5 2:b: 3:c:7");
}

TEST_F(SqlDataSet, BookmarksLocateAndDisabledControls) {
    Ds.Open();
    QList<TDataEvent> events;
    const int listener = Ds.AddDataListener([&](TDataEvent e, TField*) { events << e; });
    ASSERT_TRUE(Ds.Locate({"NAME", "V"}, {"d", 2.26}));
    EXPECT_EQ(Ds.RecNo(), 3);
    EXPECT_FALSE(Ds.Locate({"NAME"}, {"c"}));  // another group's row
    EXPECT_EQ(Ds.RecNo(), 3);
    const TBookmark b = Ds.GetBookmark();
    events.clear();
    Ds.DisableControls();
    Ds.DisableControls();
    Ds.First();
    Ds.Next();
    Ds.EnableControls();
    EXPECT_TRUE(events.isEmpty());
    Ds.EnableControls();
    EXPECT_EQ(events, QList<TDataEvent>({TDataEvent::deDataSetChange}));
    EXPECT_EQ(Ds.RecNo(), 2);
    EXPECT_TRUE(Ds.BookmarkValid(b));
    Ds.GotoBookmark(b);
    EXPECT_EQ(Ds.FieldByName("NAME")->AsString(), "d");
    Ds.SetRecNo(1);
    EXPECT_EQ(Ds.FieldByName("NAME")->AsString(), "a");
    Ds.GotoBookmark(b);
    Ds.Delete();
    EXPECT_FALSE(Ds.BookmarkValid(b));
    EXPECT_THROW(Ds.GotoBookmark(b), EDatabaseError);
    Ds.RemoveDataListener(listener);
}

}  // namespace
