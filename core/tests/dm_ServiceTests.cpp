#include "DebugOutput.h"
#include "PackageLoader.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "WKLocalDB.h"
#include "dm_Service.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {
void WriteFile(const QString& fileName, const QByteArray& text) {
    QFile f(fileName);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(fileName);
    f.write(text);
}

QByteArray ReadFile(const QString& fileName) {
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString LocalSources() { return SourceDir() + "/config/local"; }

// A temporary program folder with its own WK.db: the schema alone plus the
// rows a test gives, or the whole default installation.
class LocalDB : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        InitWKConsts({"-DEBUG"}, Dir.filePath("Welvista2"));
    }
    void TearDown() override { TdmService::SetCurrent(nullptr); }

    QString DbPath() const { return Dir.filePath("WK.db"); }
    void Build(const QByteArray& rows, bool defaults = false) {
        QStringList scripts =
            defaults ? LocalDatabaseScripts(LocalSources()) : QStringList{LocalSources() + "/10-schema.sql"};
        if (!rows.isEmpty()) {
            WriteFile(Dir.filePath("rows.sql"), rows);
            scripts << Dir.filePath("rows.sql");
        }
        BuildLocalDatabase(DbPath(), scripts);
    }
    std::unique_ptr<TdmService> Open() { return std::make_unique<TdmService>(DbPath()); }

    TTempXdgHome Home;
    QTemporaryDir Dir;
};

QStringList Column(QSqlQuery q, const char* column) {
    QStringList out;
    while (q.next()) out << q.value(column).toString();
    return out;
}

TEST_F(LocalDB, ScriptsRunInFileNameOrderAndAFailureKeepsTheOldFile) {
    QTemporaryDir src;
    WriteFile(src.filePath("10-a.sql"), "CREATE TABLE T (N INTEGER, S TEXT);");
    WriteFile(src.filePath("20-b.sql"), "INSERT INTO T VALUES ((SELECT count(*) FROM T), 'б; в');");
    WriteFile(src.filePath("9-c.sql"), "INSERT INTO T VALUES ((SELECT count(*) FROM T), 'c');");
    WriteFile(src.filePath("notes.txt"), "not a script");
    const QStringList scripts = LocalDatabaseScripts(src.path());
    ASSERT_EQ(scripts, QStringList({src.filePath("10-a.sql"), src.filePath("20-b.sql"), src.filePath("9-c.sql")}));

    BuildLocalDatabase(DbPath(), scripts);
    {
        TDataConnection c = TDataConnection::OpenSQLite(DbPath());
        EXPECT_EQ(Column(c.Exec("SELECT S FROM T ORDER BY N"), "S"), QStringList({"б; в", "c"}));
    }
    const QByteArray good = ReadFile(DbPath());

    WriteFile(src.filePath("30-bad.sql"), "INSERT INTO Missing VALUES (1);");
    try {
        BuildLocalDatabase(DbPath(), LocalDatabaseScripts(src.path()));
        FAIL() << "a failing script must raise";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith("30-bad.sql: ")) << qPrintable(e.Message());
    }
    EXPECT_EQ(ReadFile(DbPath()), good);
    EXPECT_EQ(QDir(Dir.path()).entryList({"WK.db*"}, QDir::Files), QStringList{"WK.db"});
    EXPECT_THROW(LocalDatabaseScripts(src.filePath("nowhere")), EDatabaseError);
}

TEST_F(LocalDB, OpeningNeverCreatesAndRefusesForeignFiles) {
    TDebugOutputCapture cap;
    try {
        TdmService dm(DbPath());
        FAIL() << "a missing database must raise";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(cap.Contains("TdmService.DataModuleCreate: " + e.Message()));
    }
    EXPECT_TRUE(cap.Contains("WKMain opening local database: " + DbPath()));
    EXPECT_FALSE(QFile::exists(DbPath()));

    WriteFile(DbPath(), "");  // a valid but empty SQLite database: no tables of the module
    EXPECT_THROW(TdmService{DbPath()}, EDatabaseError);
    WriteFile(DbPath(), QByteArray(4096, 'x'));
    EXPECT_THROW(TdmService{DbPath()}, EDatabaseError);
    EXPECT_EQ(dmService, nullptr);
}

TEST_F(LocalDB, DefaultInstallation) {
    Build({}, true);
    auto dm = Open();
    QSqlQuery services = dm->OpenTable("Services");
    QStringList classes;
    while (services.next()) {
        EXPECT_EQ(services.value("ServiceGroup").toString(), "Welvista");
        EXPECT_FALSE(services.value("IsPrimary").toBool());
        EXPECT_TRUE(services.value("IsActive").toBool());
        classes << services.value("ServiceClass").toString();
    }
    EXPECT_EQ(classes,
              QStringList({"TWKTCPClientService", "TPipeCountService", "TTubingStatService", "TRangeAlarmService"}));
    const struct {
        const char* Class;
        const char* Module;
    } modules[] = {{"TWKTCPClientService", "Wirefeed.so"}, {"TPipeCountService", "Jointcount.so"},
                   {"TTubingStatService", "Stringtally.so"}, {"TfrTubingStat", "Stringtally.so"},
                   {"TRangeAlarmService", "Spanwatch.so"},   {"TWKSmoothGauge", "WKExtCtrls.so"},
                   {"TWKGauge", "WKComponents.so"},          {"TCasingControl", "WKComponents.so"}};
    for (const auto& m : modules)
        EXPECT_EQ(dm->dbService().Scalar("SELECT ModuleName FROM ClassModules WHERE ClassName = ?", {m.Class}).toString(),
                  m.Module)
            << m.Class;
    // Every plug-in control the designer offers can be found through ClassModules.
    EXPECT_EQ(dm->dbService()
                  .Scalar("SELECT count(*) FROM Controls WHERE ClassName IN ('TWKSmoothGauge', 'TWKGauge', "
                          "'TCasingControl', 'TfrTubingStat') AND ClassName IN (SELECT ClassName FROM ClassModules)")
                  .toInt(),
              4);

    QStringList names, ids{"stale"};
    dm->FillStreamsList(names, ids);
    EXPECT_EQ(ids, QStringList({"Time1s", "Depth"}));
    EXPECT_EQ(names.size(), 2);

    TSensDescrArray time;
    dm->FillSensDescriptions(time, {ssTime, ssForemostStream});
    QList<int> gids;
    for (const TSensDescr& d : std::as_const(time)) {
        gids << d.GID;
        EXPECT_EQ(d.StreamID, "Time1s");
        EXPECT_FALSE(d.FullName.isEmpty()) << d.GID;
    }
    EXPECT_EQ(gids, QList<int>({0, 101, 102, 103, 122, 1200, 1303, 110, 111, 115, 120, 121, 124, 126, 204}));
    EXPECT_EQ(dm->GetSensDescr(101).Units, "м");
    TSensDescrArray depth;
    dm->FillSensDescriptions(depth, {ssDepth, ssHideTime});
    ASSERT_FALSE(depth.isEmpty());
    EXPECT_EQ(depth.first().GID, 101);
    EXPECT_EQ(depth.first().StreamID, "Depth");
    // No stream sensor lacks its catalogue entry.
    EXPECT_EQ(dm->dbService().Scalar("SELECT count(*) FROM StreamSens WHERE GID NOT IN (SELECT GID FROM Sensors)").toInt(),
              0);
    EXPECT_GT(dm->dbService().Scalar("SELECT count(*) FROM Locations").toInt(), 0);
}

TEST_F(LocalDB, CreateDmServiceOpensTheProgramsDatabase) {
    // WKLocalDatabasePath falls back to LocalDB/ under the program folder.
    ASSERT_EQ(WKLocalDatabasePath(), Dir.filePath("LocalDB/WK.db"));
    EXPECT_THROW(CreateDmService(), EDatabaseError);
    EXPECT_EQ(dmService, nullptr);
    BuildLocalDatabase(WKLocalDatabasePath(), LocalDatabaseScripts(LocalSources()));
    TdmService* dm = CreateDmService();
    EXPECT_EQ(dmService, dm);
    EXPECT_EQ(dm->parent(), QCoreApplication::instance());
    EXPECT_EQ(CreateDmService(), dm);
    EXPECT_EQ(dmService->GetSensDescr(1303).Name, dm->GetSensDescr(1303).Name);
    delete dm;
    EXPECT_EQ(dmService, nullptr);
}

TEST(LocalDBBuild, TheBuildHoldsTheDefaultDatabase) {
    TdmService dm(BinDir() + "/LocalDB/WK.db");
    EXPECT_EQ(dm.dbService().Scalar("SELECT ServiceClass FROM Services ORDER BY \"Order\" LIMIT 1").toString(),
              "TWKTCPClientService");
    EXPECT_EQ(dm.GetSensDescr(122).GID, 122);
}

TEST_F(LocalDB, TableOrderIsTheKeyThenInsertion) {
    Build("INSERT INTO Services (\"Order\", ServiceClass) VALUES (20, 'TB'), (10, 'TA'), (10, 'TC');\n"
          "INSERT INTO Streams (ID, IntID, Name) VALUES ('S9', 9, 'nine'), ('S1', 1, 'one');\n"
          "INSERT INTO Locations (LocationName, NameOrder) VALUES ('x', 2), ('y', 1), ('z', 2);");
    auto dm = Open();
    EXPECT_EQ(Column(dm->OpenTable("Services"), "ServiceClass"), QStringList({"TA", "TC", "TB"}));
    EXPECT_EQ(Column(dm->OpenTable("Services", "\"Order\" > ?", {10}), "ServiceClass"), QStringList{"TB"});
    EXPECT_EQ(Column(dm->OpenTable("Locations"), "LocationName"), QStringList({"y", "x", "z"}));
    QStringList names{"stale"}, ids;
    dm->FillStreamsList(names, ids, true);
    EXPECT_EQ(names, QStringList({"nine", "one"}));
    EXPECT_EQ(ids, QStringList({"S9", "S1"}));
    EXPECT_THROW(dm->OpenTable("Services; DROP TABLE Sensors"), EDatabaseError);
}

TEST_F(LocalDB, GetSensDescrKeepsWhatTheCatalogueDoesNotGive) {
    Build("INSERT INTO Sensors (GID, GroupID, FullName, Name, Units, Color, APrecision, MinValue, MaxValue, "
          "Hidden, Filtered, Service, NeedCalibration, FixedTo, Fixed) VALUES "
          "(7, 'Группа', 'Полное имя', 'Имя', 'кН', 255, 3, -1.5, 99.5, 1, 0, 1, 0, 4.25, 1), "
          "(8, NULL, NULL, NULL, NULL, 0, 2, NULL, NULL, 0, 1, 0, 1, NULL, 0);");
    auto dm = Open();
    TSensDescr d;
    d.StrID = "SYS.X";
    d.StreamID = "Time1s";
    d.A = 2;
    d.Flags = {sfLogging, sfCalculated};
    dm->GetSensDescr(7, d);
    EXPECT_EQ(d.GID, 7);
    EXPECT_EQ(d.Group, "Группа");
    EXPECT_EQ(d.FullName, "Полное имя");
    EXPECT_EQ(d.Name, "Имя");
    EXPECT_EQ(d.Units, "кН");
    EXPECT_EQ(d.Color, 255);
    EXPECT_EQ(d.Precision, 3);
    EXPECT_EQ(d.Min, -1.5);
    EXPECT_EQ(d.Max, 99.5);
    EXPECT_EQ(d.FixedTo, 4.25);
    EXPECT_EQ(d.Flags, TSensorFlags({sfHidden, sfService, sfFixed}));
    EXPECT_EQ(d.StrID, "SYS.X");
    EXPECT_EQ(d.StreamID, "Time1s");
    EXPECT_EQ(d.A, 2);
    EXPECT_EQ(dm->GetSensDescr(8).Flags, TSensorFlags({sfFiltered, sfNeedCalibration}));

    try {
        dm->GetSensDescr(9, d);
        FAIL() << "an unknown GID must raise";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Параметр не найден в таблице параметров");
    }
    EXPECT_EQ(d.GID, 7);
}

// Three streams: time stream T1, the foremost time stream T5 (not the first
// row) and depth stream D. T1 renames 102 to 130 and lists 999, which the
// catalogue lacks; T1 and T5 both carry 0 and 101.
const QByteArray StreamRows =
    "INSERT INTO Sensors (GID, FullName, Name) VALUES (0, 'Время', 't'), (101, 'Глубина', 'd'), "
    "(102, 'Над забоем', 'o'), (103, 'Тальблок', 'b'), (130, 'Сохранённый', 's');\n"
    "INSERT INTO Streams (ID, IntID, Name, IsDateTime, IsForemost, DataClass) VALUES "
    "('T1', 1, 'Time one', 1, 0, 'SrcTime'), ('D', 2, 'Depth', 0, 0, 'Depth'), ('T5', 5, 'Time five', 1, 1, 'Time');\n"
    "INSERT INTO StreamSens (StreamIntID, GID, SaveAsGID, IsLogging, LogIndex) VALUES "
    "(1, 0, NULL, 1, 0), (1, 101, NULL, 1, 1), (1, 102, 130, 0, NULL), (1, 999, NULL, 1, 2), "
    "(2, 101, NULL, 1, 0), (2, 0, NULL, 0, 1), "
    "(5, 0, NULL, 0, NULL), (5, 101, NULL, 0, NULL), (5, 103, NULL, 1, 7);";

QStringList Entries(const TSensDescrArray& a) {
    QStringList out;
    for (const TSensDescr& d : a)
        out << QStringLiteral("%1@%2").arg(d.GID).arg(d.StreamID.isEmpty() ? QString::number(d.StreamIntID) : d.StreamID);
    return out;
}

TEST_F(LocalDB, FillSensDescriptionsSelections) {
    Build(StreamRows);
    auto dm = Open();
    const struct {
        TSensSelection Selection;
        QStringList Expected;
    } cases[] = {
        {{ssTime}, {"0@T1", "101@T1", "130@T1", "0@T5", "101@T5", "103@T5"}},
        // Every time sensor goes to the foremost stream; a GID it already got stays once.
        {{ssTime, ssForemostStream}, {"0@T5", "101@T5", "130@T5", "103@T5"}},
        {{ssDepth}, {"101@D", "0@D"}},
        {{ssDepth, ssForemostStream}, {"101@D", "0@D"}},
        {{ssDepth, ssTime, ssForemostStream, ssHideTime}, {"101@T5", "130@T5", "101@D", "103@T5"}},
        {{ssTime, ssHideTime}, {"101@T1", "130@T1", "101@T5", "103@T5"}},
        {{ssPrimary}, {"0@-1", "101@-1", "102@-1", "103@-1", "130@-1"}},
        {{ssPrimary, ssTime, ssHideTime}, {"101@-1", "102@-1", "103@-1", "130@-1"}},
        {{ssOnlyAttached, ssDepth}, {"101@D", "0@D"}},  // no equipment tree: nothing is left out
        {{}, {}},
    };
    for (const auto& c : cases) {
        TSensDescrArray a{TSensDescr{}};
        dm->FillSensDescriptions(a, c.Selection);
        EXPECT_EQ(Entries(a), c.Expected) << c.Selection.Bits();
    }

    TSensDescrArray a;
    dm->FillSensDescriptions(a, {ssTime, ssForemostStream});
    for (const TSensDescr& d : std::as_const(a)) {
        EXPECT_EQ(d.StreamIntID, 5);
        EXPECT_EQ(d.StreamName, "Time five");
    }
    // The kept entries are T1's rows, flags included.
    EXPECT_EQ(a[1].Flags, TSensorFlags{sfLogging});
    EXPECT_EQ(a[2].Flags, TSensorFlags{sfNoLogIndex});
    EXPECT_EQ(a[2].FullName, "Сохранённый");
    EXPECT_EQ(a[3].Flags, TSensorFlags{sfLogging});
}

TEST_F(LocalDB, FillSensDescriptionsWithAnEquipmentTreeAndWithoutAForemostStream) {
    Build(StreamRows + "\nUPDATE Streams SET IsForemost = 0;");
    auto dm = Open();
    dm->SetAttachedSensorTest([](int gid) { return gid == 101 || gid == 103; });
    TSensDescrArray a;
    dm->FillSensDescriptions(a, {ssTime, ssOnlyAttached});
    EXPECT_EQ(Entries(a), QStringList({"101@T1", "101@T5", "103@T5"}));
    dm->FillSensDescriptions(a, {ssPrimary, ssOnlyAttached});
    EXPECT_EQ(Entries(a), QStringList({"101@-1", "103@-1"}));
    dm->FillSensDescriptions(a, {ssTime});  // the tree matters only with ssOnlyAttached
    EXPECT_EQ(a.size(), 6);
    // No foremost stream: time sensors keep their own streams.
    dm->FillSensDescriptions(a, {ssTime, ssForemostStream});
    EXPECT_EQ(Entries(a), QStringList({"0@T1", "101@T1", "130@T1", "0@T5", "101@T5", "103@T5"}));
}

TEST_F(LocalDB, SetFilterData) {
    Build("INSERT INTO Sensors (GID, Filtered, FilterType, FilterData) VALUES (5, 0, -1, NULL);");
    auto dm = Open();
    auto row = [&] {
        QSqlQuery q = dm->OpenTable("Sensors", "GID = 5");
        q.next();
        return QStringLiteral("%1 %2 %3").arg(q.value("Filtered").toInt()).arg(q.value("FilterType").toInt()).arg(
            q.value("FilterData").toString());
    };
    dm->SetFilterData(5, 2, "0.5;3");
    EXPECT_EQ(row(), "1 2 0.5;3");
    dm->SetFilterData(5, -1, "");
    EXPECT_EQ(row(), "0 -1 ");
    dm->SetFilterData(6, 1, "x");
    EXPECT_EQ(dm->dbService().Scalar("SELECT count(*) FROM Sensors").toInt(), 1);
    EXPECT_THROW(dm->SetFilterData(5, 1, QString(51, 'x')), EDatabaseError);  // longer than the column allows
    EXPECT_EQ(row(), "0 -1 ");
}

TEST_F(LocalDB, LocateCalibrationMatchesTheDateExactly) {
    Build("INSERT INTO CalibrationData (GID, CalibrationDate, IsActive) VALUES "
          "(9, 46000.5, 1), (3, 46000.5, 0), (3, 46001.25, 1);");
    auto dm = Open();
    const auto rowid = [&](const char* where) {
        return dm->dbService().Scalar(QStringLiteral("SELECT rowid FROM CalibrationData WHERE ") + where).toLongLong();
    };
    EXPECT_EQ(dm->LocateCalibration(46001.25), rowid("GID = 3 AND CalibrationDate > 46001"));
    EXPECT_EQ(dm->LocateCalibration(46000.5), rowid("GID = 3 AND IsActive = 0"));  // first in table order
    EXPECT_FALSE(dm->LocateCalibration(46001.25 + 1e-9));
    EXPECT_FALSE(dm->LocateCalibration(0));
    // The calibration list's query pairs each calibration with its sensor's short name.
    EXPECT_FALSE(dm->dbService().Exec(SensorsCalibrationsSql).next());
    dm->dbService().Exec("INSERT INTO Sensors (GID, Name) VALUES (3, 'Вес')");
    QSqlQuery q = dm->dbService().Exec(SensorsCalibrationsSql + " ORDER BY CalibrationDate");
    QStringList rows;
    while (q.next()) rows << q.value("Name").toString() + " " + q.value("CalibrationDate").toString();
    EXPECT_EQ(rows, QStringList({"Вес 46000.5", "Вес 46001.25"}));
    for (const TCalibrationColumn& c : SensorsCalibrationsColumns()) EXPECT_GE(q.record().indexOf(c.Field), 0) << c.Field;
}

// The class-module loader against the test package, copied into the
// temporary program folder.
class ClassModules : public LocalDB {
protected:
    void SetUp() override {
        LocalDB::SetUp();
        ASSERT_TRUE(QFile::copy(BinDir() + "/WKTestPackage.so", Dir.filePath("WKTestPackage.so")));
        WriteFile(Dir.filePath("Junk.so"), "not a shared object");
        Build("INSERT INTO ClassModules VALUES ('TWKTestPackageObject', 'WKTestPackage.so'), "
              "('TNotInPackage', 'WKTestPackage.so'), ('TMissingModule', 'Missing.so'), ('TJunk', 'Junk.so'), "
              "('TClassModulesProbe', 'Missing.so');\n"
              "INSERT INTO Controls VALUES ('TAMissing', 'a', 1), ('TClassModulesProbe', 'p', 1), ('TJunk', 'j', 0);");
    }
};

class TClassModulesProbe : public QObject {
    Q_OBJECT
public:
    explicit TClassModulesProbe(QObject* owner = nullptr) : QObject(owner) {}
};

TEST_F(ClassModules, RegisteredClassSkipsTheTable) {
    RegisterClass({"TClassModulesProbe", &TClassModulesProbe::staticMetaObject, nullptr});
    auto dm = Open();
    TDebugOutputCapture cap;
    EXPECT_EQ(dm->GetMetaClass("TClassModulesProbe")->Meta, &TClassModulesProbe::staticMetaObject);
    EXPECT_TRUE(cap.Lines().isEmpty());  // its row names a missing package, which is never tried

    // Controls marked AlwaysLoad are loaded; a failing row is logged and the rest go on.
    dm->LoadStaticControls();
    EXPECT_TRUE(cap.Contains("WK: trying to load class module TAMissing"));
    EXPECT_TRUE(cap.Contains("WK: failed to locate class module TAMissing"));
    EXPECT_FALSE(cap.Contains("TJunk"));
    cap.Clear();
    dm->dbService().Exec("UPDATE Controls SET AlwaysLoad = 1 WHERE ClassName = 'TJunk'");
    dm->LoadStaticControls();
    EXPECT_TRUE(cap.Contains("TdmService.LoadStaticControls: "));
    EXPECT_TRUE(cap.Contains("WK: LoadPackage error: "));
    UnregisterClass("TClassModulesProbe");
}

TEST_F(ClassModules, PackagesLoadOnDemandThroughTheResolver) {
    const QString package = Dir.filePath("WKTestPackage.so");
    ASSERT_FALSE(IsPackageLoaded(package));
    TDebugOutputCapture cap;
    {
        TdmService dm(DbPath());
        TdmService::SetCurrent(&dm);
        // The table compares class names exactly.
        EXPECT_EQ(dm.GetMetaClass("twktestpackageobject"), nullptr);
        EXPECT_TRUE(cap.Contains("WK: failed to locate class module twktestpackageobject"));
        EXPECT_FALSE(IsPackageLoaded(package));

        cap.Clear();
        const TClassInfo* c = ResolveClass("TWKTestPackageObject");  // streaming asks the registry
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(cap.Lines(), QStringList({"WK: trying to load class module TWKTestPackageObject",
                                            "WK: loading package WKTestPackage.so"}));
        EXPECT_TRUE(IsPackageLoaded(package));
        std::unique_ptr<QObject> obj(c->Create(nullptr));
        EXPECT_STREQ(obj->metaObject()->className(), "TWKTestPackageObject");

        // A loaded package that does not register the class: not loaded again.
        cap.Clear();
        EXPECT_EQ(dm.GetMetaClass("TNotInPackage"), nullptr);
        EXPECT_EQ(cap.Lines(), QStringList({"WK: trying to load class module TNotInPackage",
                                            "WK: class not registred TNotInPackage"}));
    }
    EXPECT_EQ(dmService, nullptr);
    EXPECT_EQ(ResolveClass("TUnknownAfterwards"), nullptr);  // the resolver went with the module
    EXPECT_TRUE(IsPackageLoaded(package));                     // packages are never unloaded
}

TEST_F(ClassModules, APackageLoadedFromAnotherFolderIsNotLoadedAgain) {
    QTemporaryDir other;
    ASSERT_TRUE(QFile::copy(BinDir() + "/WKTestPackage.so", other.filePath("WKTestPackage.so")));
    LoadPackage(other.filePath("WKTestPackage.so"));
    auto dm = Open();
    TDebugOutputCapture cap;
    EXPECT_EQ(dm->GetMetaClass("TNotInPackage"), nullptr);
    EXPECT_EQ(cap.Lines(), QStringList({"WK: trying to load class module TNotInPackage",
                                        "WK: class not registred TNotInPackage"}));
    EXPECT_FALSE(IsPackageLoaded(Dir.filePath("WKTestPackage.so")));
}

TEST_F(ClassModules, PackagesThatFailToLoadRaise) {
    auto dm = Open();
    TDebugOutputCapture cap;
    for (const char* name : {"TMissingModule", "TJunk"}) {
        cap.Clear();
        EXPECT_THROW(dm->GetMetaClass(name), Exception) << name;
        EXPECT_TRUE(cap.Contains("WK: LoadPackage error: ")) << name;
    }
    EXPECT_TRUE(cap.Contains("WK: loading package Junk.so"));
    // The module goes on working after the failures.
    EXPECT_EQ(dm->GetMetaClass("TNoRow"), nullptr);
    InitWKConsts({}, Dir.filePath("Welvista2"));
    cap.Clear();
    EXPECT_THROW(dm->GetMetaClass("TMissingModule"), Exception);
    // Without the DEBUG switch only the loader's own lines are written.
    EXPECT_EQ(cap.Lines(), QStringList({"WK: trying to load class module TMissingModule",
                                        "WK: loading package Missing.so"}));
}
}  // namespace

#include "dm_ServiceTests.moc"

namespace {
TEST(LocalDatabaseProgram, BuildsTheDatabaseAndEndsNormally) {
    QTemporaryDir dir;
    const QString file = dir.filePath("LocalDB/WK.db");
    QDir().mkpath(dir.filePath("LocalDB"));
    const TProgramRun run = RunProgram("wklocaldb", {file, LocalSources()});
    EXPECT_TRUE(run.Succeeded()) << run.Err.toStdString();
    TDataConnection db = TDataConnection::OpenSQLite(file);
    EXPECT_GT(db.Scalar("select count(*) from Services").toInt(), 0);
    // A usage error is reported by the program's own status, still a normal end.
    const TProgramRun usage = RunProgram("wklocaldb", {file});
    EXPECT_TRUE(usage.Finished && usage.NormalExit);
    EXPECT_EQ(usage.ExitCode, 2);
}
}  // namespace
