#include "DataAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
TEST(SqlScript, TerminatorsCommentsAndQuotes) {
    struct Case {
        const char* script;
        QStringList statements;
    };
    const std::vector<Case> cases{
        {"A; B ;\n\nC", {"A", "B", "C"}},
        {"-- x; y\nA /* ; */ ;", {"A"}},
        {"INSERT INTO T VALUES ('a;b', \"c;d\");", {"INSERT INTO T VALUES ('a;b', \"c;d\")"}},
        {"CREATE TABLE T (A INTEGER);\nSET TERM ^ ;\nCREATE TRIGGER X AS BEGIN A; B; END^\nSET TERM ; ^\nC;",
         {"CREATE TABLE T (A INTEGER)", "CREATE TRIGGER X AS BEGIN A; B; END", "C"}},
        {"set term !! ;\nA; B!!\n", {"A; B"}},
    };
    for (const Case& c : cases) {
        QStringList got = SplitSqlScript(c.script);
        for (QString& s : got) s = s.simplified();
        QStringList want = c.statements;
        for (QString& s : want) s = s.simplified();
        EXPECT_EQ(got, want) << c.script;
    }
}

TEST(FirebirdFiles, CreateOpenAndRefuseToOverwrite) {
    QTemporaryDir dir;
    const QString file = dir.filePath("t.fdb");
    TDataConnection::CreateFirebird(file, "SYSDBA", "any");
    ASSERT_TRUE(QFile::exists(file));
    {
        TDataConnection db = TDataConnection::OpenFirebird(file, "SYSDBA", "any");
        db.ExecScript("CREATE TABLE T (S VARCHAR(10));\nINSERT INTO T VALUES ('Привет');");
        EXPECT_EQ(db.Scalar("SELECT S FROM T").toString(), "Привет");
    }
    const qint64 size = QFileInfo(file).size();
    try {
        TDataConnection::CreateFirebird(file, "SYSDBA", "any");
        FAIL() << "an existing database was created again";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith("Can't create " + file)) << e.Message().toStdString();
    }
    EXPECT_EQ(QFileInfo(file).size(), size);
    EXPECT_THROW(TDataConnection::OpenFirebird(dir.filePath("missing.fdb"), "SYSDBA", "any"), EDatabaseError);
}

TEST(FirebirdFiles, ForcedWritesSwitch) {
    QTemporaryDir dir;
    const QString file = dir.filePath("fw.fdb");
    const auto forced = [&file] {
        return TDataConnection::OpenFirebird(file, "SYSDBA", "any").Scalar("select MON$FORCED_WRITES from MON$DATABASE").toInt();
    };
    TDataConnection::CreateFirebird(file, "SYSDBA", "any", false);
    EXPECT_EQ(forced(), 0);
    TDataConnection::SetFirebirdForcedWrites(file, "SYSDBA", "any", true);
    EXPECT_EQ(forced(), 1);
    EXPECT_THROW(TDataConnection::SetFirebirdForcedWrites(dir.filePath("none.fdb"), "SYSDBA", "any", true), EDatabaseError);
}
}  // namespace
