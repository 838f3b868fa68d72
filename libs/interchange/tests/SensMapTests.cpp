// The SensMap object as callers reach it: created by class ID through the
// registration of the built module, over a catalogue in a temporary home.
#include "Mapex_TLB.h"
#include "SensMapFixture.h"

#include "DebugOutput.h"
#include "RegIniFile.h"

#include <QSqlQuery>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {
struct TRow {
    QString System, Profile, ID, ExtID, Name;
};

class SensMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateCatalogueFile(HomeCatalogueFile(FHome));
        ASSERT_EQ(RegisterComServer(MapexModule()), S_OK);
        CoInitialize();
        FIntf = CreateComObject<ISensMap>(CLASS_SensMap);
    }
    void TearDown() override {
        FIntf.Reset();
        CoUninitialize();
    }

    TSensMapCalls Map() const { return TSensMapCalls(FIntf.Get()); }
    TDataConnection Db() const { return TDataConnection::OpenSQLite(HomeCatalogueFile(FHome)); }

    void AddRows(std::initializer_list<TRow> rows) const {
        const TDataConnection c = Db();
        for (const TRow& r : rows)
            c.Exec("INSERT INTO SensMap (System, Profile, ID, ExtID, SensName) VALUES (?, ?, ?, ?, ?)",
                   {r.System, r.Profile, r.ID, r.ExtID, r.Name});
    }
    int RowCount() const { return Db().Scalar("SELECT count(*) FROM SensMap").toInt(); }

    // The names the enumeration yields from FirstParam(filter) to its end.
    QStringList Enumerate(const QString& filter) const {
        Map().FirstParam(filter);
        QStringList names;
        TParamInfo info;
        while (Map().NextParam(info)) names << info.Name;
        return names;
    }

    // The message a failing call raises.
    template <class F>
    static QString FailureOf(F&& call) {
        try {
            call();
        } catch (const EOleException& e) {
            return e.Message();
        }
        return QStringLiteral("<no failure>");
    }

    TTempXdgHome FHome;
    TComPtr<ISensMap> FIntf;
};

TParamInfo FullRecord() {
    TParamInfo i;
    i.ID = "S101";
    i.ExtID = "DEPT";
    i.Name = "Глубина забоя";
    i.Units = "фут";
    i.Description = "Глубина 'забоя' в футах";
    i.Color = 0x00FF8040;
    i.Min = -12.5f;
    i.Max = 20000.25f;
    i.IsLogarithmic = true;
    i.Precision = 3;
    i.Group = "Глубина";
    i.Offset = 1.5f;
    i.Multiplier = 3.2808399f;
    return i;
}

TEST_F(SensMapTest, EveryKeyedOperationTrimsTheProfileAndTakesEmptyAsCommon) {
    AddRows({{"Boremont", "*", "S1", "E1", "common"}, {"Boremont", "Metric", "S1", "E1", "metric"}});
    const struct {
        const char* Profile;
        const char* Name;
    } cases[] = {{"", "common"},     {"   ", "common"},        {"*", "common"},
                 {" * ", "common"},  {"Metric", "metric"},     {"\t Metric  ", "metric"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Profile);
        EXPECT_EQ(Map().ParamInfo("Boremont", c.Profile, "S1").Name, c.Name);
        EXPECT_EQ(Map().ParamInfo2("Boremont", c.Profile, "S1").Name, c.Name);
        EXPECT_EQ(Map().ExtParamInfo("Boremont", c.Profile, "E1").Name, c.Name);
    }

    // Writes with a blank profile append to, edit and delete from the common profile.
    TParamInfo info = FullRecord();
    info.ID = "S2";
    info.ExtID = "E2";
    Map().SetParamInfo("Boremont", "  ", "S2", info);
    EXPECT_EQ(Db().Scalar("SELECT Profile FROM SensMap WHERE ID = 'S2'").toString(), "*");
    info.Name = "edited";
    Map().SetParamInfo("Boremont", " * ", "S2", info);
    info.Name = "edited by external ID";
    Map().SetExtParamInfo("Boremont", "", "E2", info);
    info.ID = "S3";
    info.ExtID = "E3";
    Map().SetExtParamInfo("Boremont", "", "E3", info);
    EXPECT_EQ(Db().Scalar("SELECT count(*) FROM SensMap WHERE Profile = '*' AND ID IN ('S2', 'S3')").toInt(), 2);
    EXPECT_EQ(Map().ParamInfo("Boremont", "*", "S2").Name, "edited by external ID");
    EXPECT_EQ(RowCount(), 4);

    Map().DeleteParameter("Boremont", "\t", "S2", "E2");
    Map().DeleteParameter("Boremont", "  Metric ", "S1", "E1");
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(Map().ParamInfo("Boremont", "", "S1").Name, "common");
    EXPECT_EQ(Map().ParamInfo2("Boremont", "Metric", "S1").ID, "");
}

TEST_F(SensMapTest, MissingRowsAndUnsupportedOperations) {
    AddRows({{"Boremont", "*", "S1", "E1", "common"}});
    EXPECT_EQ(FailureOf([&] { Map().ParamInfo("Boremont", " Metric ", "S9"); }),
              "Parameter not found(Boremont, Metric ,S9)");
    EXPECT_EQ(FailureOf([&] { Map().ParamInfo("Other", "", "S1"); }), "Parameter not found(Other,,S1)");
    EXPECT_EQ(FailureOf([&] { Map().ExtParamInfo("Boremont", "", "E9"); }), "Parameter not found");
    // Key columns match exactly: no letter-case folding, no partial match.
    EXPECT_EQ(FailureOf([&] { Map().ParamInfo("boremont", "", "S1"); }), "Parameter not found(boremont,,S1)");
    EXPECT_EQ(FailureOf([&] { Map().ParamInfo("Boremont", "", "S"); }), "Parameter not found(Boremont,,S)");

    const TParamInfo none = Map().ParamInfo2("Boremont", "", "S9");
    EXPECT_EQ(none, TParamInfo{});

    Map().DeleteParameter("Boremont", "", "S1", "E9");  // ExtID differs: nothing
    EXPECT_EQ(RowCount(), 1);

    EXPECT_EQ(FailureOf([&] { OleCheck(FIntf->SysImportInfo("Boremont", "x")); }), "Not implemented");
    EXPECT_EQ(FailureOf([&] { OleCheck(FIntf->SysExportInfo("Boremont", "x")); }), "Not implemented");

    // The failure travels as a result code with the object's error information.
    TParamInfo out;
    EXPECT_TRUE(Failed(FIntf->get_ParamInfo("Boremont", "", "S9", &out)));
    QString source, description;
    ASSERT_TRUE(GetErrorInfo(source, description));
    EXPECT_EQ(source, "TSensMap");
    EXPECT_EQ(description, "Parameter not found(Boremont,,S9)");
    EXPECT_EQ(FIntf->get_ParamInfo("Boremont", "", "S1", nullptr), E_POINTER);
}

TEST_F(SensMapTest, NullAndEmptyKeyTextsAreTheSame) {
    // A record without an external ID, as callers build it: its ExtID is a null text.
    TParamInfo info;
    info.ID = "S7";
    info.Name = "seven";
    Map().SetParamInfo("Boremont", "", "S7", info);
    AddRows({{"Boremont", "*", "S8", "", "eight"}});

    info.Name = "seven edited";
    Map().SetExtParamInfo("Boremont", "", QString(), info);  // edits, never a second row
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(Map().ExtParamInfo("Boremont", "", QString()).Name, "seven edited");
    EXPECT_EQ(Map().ParamInfo2(QString(), "", "S7").ID, "");

    Map().DeleteParameter("Boremont", "", "S7", QString());
    Map().DeleteParameter("Boremont", "", "S8", QString());
    EXPECT_EQ(RowCount(), 0);
}

TEST_F(SensMapTest, WrittenRecordsReadBackWhole) {
    const TParamInfo full = FullRecord();
    Map().SetParamInfo("Boremont", "Metric", "S101", full);
    EXPECT_EQ(Map().ParamInfo("Boremont", "Metric", "S101"), full);
    EXPECT_EQ(Map().ExtParamInfo("Boremont", "Metric", "DEPT"), full);
    EXPECT_EQ(Map().ParamInfo2("Boremont", "Metric", "S101"), full);

    // Writing the same key edits the row; the ID column takes the record's ID.
    TParamInfo moved = full;
    moved.ID = "S102";
    moved.IsLogarithmic = false;
    moved.Description.clear();
    Map().SetParamInfo("Boremont", "Metric", "S101", moved);
    EXPECT_EQ(RowCount(), 1);
    EXPECT_EQ(Map().ParamInfo("Boremont", "Metric", "S102"), moved);
    EXPECT_EQ(Map().ParamInfo2("Boremont", "Metric", "S101").ID, "");

    // Keyed by external ID: edits that row, or appends one in another profile.
    TParamInfo ext = moved;
    ext.Name = "Depth";
    ext.Multiplier = 1;
    Map().SetExtParamInfo("Boremont", "Metric", "DEPT", ext);
    Map().SetExtParamInfo("Boremont", "Imperial", "DEPT", full);
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(Map().ExtParamInfo("Boremont", "Metric", "DEPT"), ext);
    EXPECT_EQ(Map().ExtParamInfo("Boremont", "Imperial", "DEPT"), full);
}

TEST_F(SensMapTest, RejectedWriteLeavesTheCatalogueAsItWas) {
    const TParamInfo full = FullRecord();
    Map().SetParamInfo("Boremont", "", "S101", full);

    TParamInfo tooLong = full;
    tooLong.Name = QString(41, 'x');  // the name column holds 40 characters
    EXPECT_THROW(Map().SetParamInfo("Boremont", "", "S101", tooLong), EOleException);
    EXPECT_THROW(Map().SetParamInfo("Boremont", "", "S999", tooLong), EOleException);
    TParamInfo negative = full;
    negative.Precision = -1;
    EXPECT_THROW(Map().SetExtParamInfo("Boremont", "", "DEPT", negative), EOleException);
    EXPECT_THROW(Map().SetParamInfo(QString(41, 's'), "", "S101", full), EOleException);

    EXPECT_EQ(RowCount(), 1);
    EXPECT_EQ(Map().ParamInfo("Boremont", "", "S101"), full);
}

TEST_F(SensMapTest, ProfilesInOrderOfFirstAppearance) {
    AddRows({{"Boremont", "*", "S1", "", "a"},
             {"Boremont", "A", "S1", "", "b"},
             {"Other", "A", "S2", "", "c"},
             {"Boremont", "", "S3", "", "no profile"},
             {"Boremont", "B", "S1", "", "d"}});
    EXPECT_EQ(Map().GetProfiles(), "*\r\nA\r\nB\r\n");
}

TEST_F(SensMapTest, EnumerationHasItsOwnFilterAndPosition) {
    AddRows({{"Boremont", "A", "S1", "", "a1"},
             {"Boremont", "*", "S1", "", "common"},
             {"Boremont", "A", "S2", "", "a2"},
             {"Boremont", "A", "S3", "", "a3"}});
    Map().FirstParam(SensMapFilter("Boremont", "A"));
    TParamInfo info;
    ASSERT_TRUE(Map().NextParam(info));
    EXPECT_EQ(info.Name, "a1");

    // Look-ups, writes, deletions and the profile list in between neither see
    // the filter nor move the enumeration.
    EXPECT_EQ(Map().ParamInfo("Boremont", "", "S1").Name, "common");
    EXPECT_EQ(Map().ParamInfo("Boremont", "A", "S3").Name, "a3");
    TParamInfo edited = Map().ParamInfo("Boremont", "A", "S2");
    edited.Name = "a2 edited";
    Map().SetParamInfo("Boremont", "A", "S2", edited);
    Map().DeleteParameter("Boremont", "", "S1", "");
    EXPECT_EQ(Map().GetProfiles(), "A\r\n");

    ASSERT_TRUE(Map().NextParam(info));
    EXPECT_EQ(info.Name, "a2 edited");
    ASSERT_TRUE(Map().NextParam(info));
    EXPECT_EQ(info.Name, "a3");

    // The end: false with an empty record, and it stays there.
    info.Name = "stale";
    EXPECT_FALSE(Map().NextParam(info));
    EXPECT_EQ(info, TParamInfo{});
    AddRows({{"Boremont", "A", "S4", "", "a4"}});
    EXPECT_FALSE(Map().NextParam(info));

    EXPECT_EQ(Enumerate(""), QStringList({"a1", "a2 edited", "a3", "a4"}));
}

TEST_F(SensMapTest, FilterTextsSelectRows) {
    TParamInfo i = FullRecord();
    const auto put = [&](const QString& system, const QString& profile, const QString& id, const QString& name,
                         int precision, bool log) {
        i.ID = id;
        i.Name = name;
        i.Precision = int16_t(precision);
        i.IsLogarithmic = log;
        Map().SetParamInfo(system, profile, id, i);
    };
    put("Boremont", "*", "S1", "Глубина", 2, false);
    put("Boremont", "A", "S1", "глубина A", 0, true);
    put("Plot", "*", "P1", "Вес", 3, false);
    put("Boremont", "O'Brien", "S1", "quoted", 1, false);

    const struct {
        QString Filter;
        QStringList Names;
    } cases[] = {
        {"(System='Boremont') And (Profile='*')", {"Глубина"}},
        {"(System='Boremont') And (Profile='A')", {"глубина A"}},
        {"system = 'Boremont' and not (Profile = '*')", {"глубина A", "quoted"}},
        {"[Precision] >= 2 OR IsLogarithmic = True", {"Глубина", "глубина A", "Вес"}},
        {"Precision<>2 and Precision!=3", {"глубина A", "quoted"}},
        {"SensName Like 'Гл*'", {"Глубина"}},
        {"ID LIKE '%1' AND NOT System LIKE 'B%'", {"Вес"}},
        {"Description IS NOT NULL AND ExtID Is Null", {}},
        {SensMapFilter("Boremont", "O'Brien"), {"quoted"}},
        {SensMapFilter("Boremont", "  "), {"Глубина"}},
        {"  ", {"Глубина", "глубина A", "Вес", "quoted"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Filter.toStdString());
        EXPECT_EQ(Enumerate(c.Filter), c.Names);
    }
}

TEST_F(SensMapTest, BrokenOrHostileFiltersFailWithoutTouchingTheTable) {
    AddRows({{"Boremont", "*", "S1", "", "a"}, {"Boremont", "O'Brien", "S2", "", "b"}});
    const QString hostile[] = {
        "(System='Boremont') And (Profile='O'Brien')",  // a quote formatted in without doubling
        "System='x'; DROP TABLE SensMap",
        "System='x' OR 1=1",
        "System='x') OR ('1'='1'",
        "Password='x'",
        "System = ",
        "(System='x'",
        "System='x' -- comment",
        "System LIKE 5",
    };
    for (const QString& f : hostile) {
        SCOPED_TRACE(f.toStdString());
        EXPECT_TRUE(FailureOf([&] { Map().FirstParam(f); }).startsWith("Invalid filter expression: "));
        TParamInfo info;
        EXPECT_FALSE(Map().NextParam(info));  // a failed start enumerates nothing
    }
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(Enumerate("System='Boremont' AND Profile='O''Brien'"), QStringList({"b"}));
}

TEST_F(SensMapTest, ObjectsHaveTheirOwnEnumerations) {
    AddRows({{"Boremont", "*", "S1", "", "a"}, {"Boremont", "*", "S2", "", "b"}});
    const TComPtr<ISensMap> other = CreateComObject<ISensMap>(CLASS_SensMap);
    const TSensMapCalls second(other.Get());
    Map().FirstParam("");
    second.FirstParam("ID='S2'");
    TParamInfo info;
    ASSERT_TRUE(second.NextParam(info));
    EXPECT_EQ(info.Name, "b");
    ASSERT_TRUE(Map().NextParam(info));
    EXPECT_EQ(info.Name, "a");
    EXPECT_FALSE(second.NextParam(info));
}

// ---- Registration and creation by class ID ---------------------------------

HRESULT ModuleCanUnloadNow() {
    void* h = dlopen(MapexModule().toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!h) return E_FAIL;
    const auto fn = reinterpret_cast<TDllCanUnloadNow>(dlsym(h, "DllCanUnloadNow"));
    dlclose(h);
    return fn ? fn() : E_FAIL;
}

HRESULT CreateResult() {
    TComPtr<ISensMap> p;
    return CoCreateInstance(CLASS_SensMap, nullptr, ISensMap::IID, p.Receive());
}

TEST(MapexRegistration, RegisterCreateUnregisterInAFreshSettingsFolder) {
    TTempXdgHome home;
    CreateCatalogueFile(HomeCatalogueFile(home));
    CoInitialize();
    EXPECT_EQ(CreateResult(), REGDB_E_CLASSNOTREG);
    try {
        CreateComObject<ISensMap>(CLASS_SensMap);
        ADD_FAILURE() << "created without registration";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode(), REGDB_E_CLASSNOTREG);
        EXPECT_EQ(e.Message(), "Class not registered");
    }

    ASSERT_EQ(RegisterComServer(MapexModule()), S_OK);
    const TComClassRegistration reg = ComClassRegistration(CLASS_SensMap);
    EXPECT_EQ(reg.ModuleFile, QFileInfo(MapexModule()).absoluteFilePath());
    EXPECT_EQ(reg.ProgID, "Mapex.SensMap");
    EXPECT_EQ(reg.Description, "SensMap Object");
    EXPECT_EQ(reg.ThreadingModel, "Apartment");
    EXPECT_EQ(reg.TypeLib, LIBID_Mapex);
    const TRegIniFile classes(ComClassesKey);
    EXPECT_TRUE(classes.FileName().startsWith(home.ConfigHome()));
    EXPECT_EQ(QUuid::fromString(classes.ReadString("Mapex.SensMap", "CLSID")), CLASS_SensMap);

    {
        TComPtr<ISensMap> map = CreateComObject<ISensMap>(CLASS_SensMap);
        ASSERT_TRUE(map);
        EXPECT_TRUE(map.As<IUnknown>());
        EXPECT_FALSE(map.As<IClassFactory>());
        EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(ModuleCanUnloadNow(), S_OK);

    ASSERT_EQ(UnregisterComServer(MapexModule()), S_OK);
    EXPECT_TRUE(ComClassModule(CLASS_SensMap).isEmpty());
    EXPECT_FALSE(classes.SectionExists("Mapex.SensMap"));
    EXPECT_EQ(CreateResult(), REGDB_E_CLASSNOTREG);
    CoUninitialize();
}

TEST(MapexRegistration, CreationNeedsAnInitializedThread) {
    TTempXdgHome home;
    CreateCatalogueFile(HomeCatalogueFile(home));
    ASSERT_EQ(RegisterComServer(MapexModule()), S_OK);
    EXPECT_EQ(CreateResult(), CO_E_NOTINITIALIZED);
    EXPECT_EQ(CoInitialize(), S_OK);
    EXPECT_EQ(CoInitialize(), S_FALSE);
    CoUninitialize();
    EXPECT_EQ(CreateResult(), S_OK);
    CoUninitialize();
    EXPECT_EQ(CreateResult(), CO_E_NOTINITIALIZED);
}

TEST(MapexCreation, UnusableDatabaseFailsCreationWithItsMessage) {
    TTempXdgHome home;
    ASSERT_EQ(RegisterComServer(MapexModule()), S_OK);
    CoInitialize();
    const QString file = HomeCatalogueFile(home);
    QDir().mkpath(QFileInfo(file).absolutePath());

    const auto expectFailure = [&](const QString& fragment) {
        TDebugOutputCapture capture;
        try {
            CreateComObject<ISensMap>(CLASS_SensMap);
            ADD_FAILURE() << "created over an unusable database";
        } catch (const EOleException& e) {
            EXPECT_TRUE(e.Message().contains(fragment, Qt::CaseInsensitive)) << e.Message().toStdString();
        }
        EXPECT_EQ(capture.Lines().value(0), "MAPEX DB init");
        EXPECT_TRUE(capture.Contains("MAPEX DB: mdb path = " + file));
        EXPECT_TRUE(capture.Lines().contains("MAPEX DB: " + file));
        EXPECT_EQ(capture.Count("MAPEX DB: TdmMAPEX.DataModuleCreate exception "), 1);
        EXPECT_EQ(capture.Count("MAPEX DB: TSensMap.Initialize exception "), 1);
        EXPECT_FALSE(capture.Contains("MAPEX DB init done"));
        EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
    };

    QFile junk(file);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    expectFailure("not a database");

    QFile::remove(file);
    CreateCatalogueFile(file);
    TDataConnection::OpenSQLite(file).Exec("DROP TABLE SensMap");
    expectFailure("SensMap");
    CoUninitialize();
}

TEST(MapexCreation, SuccessfulCreationLogsItsDatabase) {
    TTempXdgHome home;
    CreateCatalogueFile(HomeCatalogueFile(home), true);
    ASSERT_EQ(RegisterComServer(MapexModule()), S_OK);
    CoInitialize();
    TDebugOutputCapture capture;
    {
        const TComPtr<ISensMap> map = CreateComObject<ISensMap>(CLASS_SensMap);
        EXPECT_EQ(capture.Lines(), QStringList({"MAPEX DB init", "MAPEX DB: mdb path = " + HomeCatalogueFile(home),
                                                "MAPEX DB: " + HomeCatalogueFile(home), "MAPEX DB init done"}));
        // The default profile answers for the core's depth sensor.
        const TParamInfo depth = TSensMapCalls(map.Get()).ParamInfo("Boremont", "Английские единицы", "S101");
        EXPECT_EQ(depth.Units, "фут");
        EXPECT_FLOAT_EQ(depth.Multiplier, 3.2808399f);
    }
    CoUninitialize();
}
}  // namespace

namespace {
TEST(RegistrationProgram, RegistersUnregistersAndEndsNormally) {
    TTempXdgHome home;
    const QString module = BinDir() + "/Mapex.so";
    const TProgramRun reg = RunProgram("wkregsvr", {module});
    EXPECT_TRUE(reg.Succeeded()) << reg.Err.toStdString();
    EXPECT_TRUE(reg.Out.contains("registered"));
    const TProgramRun unreg = RunProgram("wkregsvr", {"-u", module});
    EXPECT_TRUE(unreg.Succeeded()) << unreg.Err.toStdString();
    const TProgramRun missing = RunProgram("wkregsvr", {home.Path() + "/none.so"});
    EXPECT_TRUE(missing.Finished && missing.NormalExit);
    EXPECT_EQ(missing.ExitCode, 1);
}
}  // namespace
