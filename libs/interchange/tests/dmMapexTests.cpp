// The data module on its own: the choice of the database file, and what a
// missing file does.
#include "SensMapFixture.h"
#include "dm_MAPEX.h"

#include "DebugOutput.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
TEST(dmMAPEX, DatabaseFileIsTheUsersOneWhenItExistsElseTheProgramFolders) {
    QTemporaryDir dir;
    const QString dataHome = dir.filePath("data");
    const QString host = dir.filePath("bin");
    const QString users = dataHome + "/Tessaline/WK.db";
    const QString programs = host + "/LocalDB/WK.db";

    {
        TDebugOutputCapture capture;
        EXPECT_EQ(TdmMAPEX::ChooseDatabaseFile(dataHome, host), programs);
        EXPECT_EQ(capture.Lines(), QStringList({"MAPEX DB: mdb path = " + users, "MAPEX DB: mdb not found " + users}));
    }
    CreateCatalogueFile(users);
    EXPECT_EQ(TdmMAPEX::ChooseDatabaseFile(dataHome, host), users);
    EXPECT_EQ(TdmMAPEX::ChooseDatabaseFile(dataHome + "/", host + "/"), users);
    EXPECT_EQ(TdmMAPEX::ChooseDatabaseFile(QString(), host), programs);  // no data folder at all
}

TEST(dmMAPEX, MissingDatabaseFailsAndCreatesNoFile) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("LocalDB/WK.db");
    TDebugOutputCapture capture;
    EXPECT_THROW(TdmMAPEX{missing}, EDatabaseError);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(QDir(dir.filePath("LocalDB")).exists());
    EXPECT_EQ(capture.Count("MAPEX DB: TdmMAPEX.DataModuleCreate exception Файл базы данных не найден"), 1);
}

TEST(dmMAPEX, ConstructedWithoutAFileUsesTheUsersDatabase) {
    TTempXdgHome home;
    CreateCatalogueFile(HomeCatalogueFile(home), true);
    const TdmMAPEX dm;
    EXPECT_EQ(dm.FileName(), HomeCatalogueFile(home));
    EXPECT_EQ(dm.Profiles(), QStringList({"Английские единицы"}));
}

TEST(SensMapFilterText, ValuesBecomeParametersAndNeverSql) {
    const TSensMapCondition c = ParseSensMapFilter("(System='a''); DELETE FROM SensMap; --') And (precision > -2.5e1)");
    EXPECT_EQ(c.Sql, "((\"System\" = ?) AND (\"Precision\" > ?))");
    EXPECT_EQ(c.Params, QVariantList({QString("a'); DELETE FROM SensMap; --"), -25.0}));
    EXPECT_TRUE(ParseSensMapFilter(" ").Sql.isEmpty());
}
}  // namespace
