// Display-unit conversion over the default configuration: the local database
// built from config/local and the catalogue object created by class ID through
// the registration of the built Mapex module, all in a temporary home.
#include "ConvSys.h"

#include "DebugOutput.h"
#include "Formatting.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "WKLocalDB.h"
#include "dm_Service.h"

#include <QDir>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <memory>

namespace {
const QString Imperial = QStringLiteral("Английские единицы");
constexpr double Feet = double(3.2808399f);  // the factor as the catalogue hands it over

QString MapexModule() { return BinDir() + QStringLiteral("/Mapex.so"); }
QString HomeDatabase(const TTempXdgHome& home) { return home.DataHome() + QStringLiteral("/Tessaline/WK.db"); }

HRESULT ModuleCanUnloadNow() {
    void* h = dlopen(MapexModule().toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!h) return E_FAIL;
    const auto fn = reinterpret_cast<TDllCanUnloadNow>(dlsym(h, "DllCanUnloadNow"));
    dlclose(h);
    return fn ? fn() : E_FAIL;
}

class ConvSys : public ::testing::Test {
protected:
    void SetUp() override {
        InitWKConsts({"-DEBUG"}, BinDir() + "/Welvista2");
        QDir().mkpath(QFileInfo(HomeDatabase(Home)).absolutePath());
        BuildLocalDatabase(HomeDatabase(Home), LocalDatabaseScripts(SourceDir() + "/config/local"));
        Service = std::make_unique<TdmService>(HomeDatabase(Home));
        TdmService::SetCurrent(Service.get());
        ASSERT_EQ(RegisterComServer(MapexModule()), S_OK);
        InitConvSys();
    }
    void TearDown() override {
        FinalizeConvSys();
        TdmService::SetCurrent(nullptr);
    }

    // A row of the profile written through the catalogue object.
    static void PutRow(const QString& profile, const QString& id, float multiplier, float offset,
                       int16_t precision = 3, const QString& units = "ед") {
        TParamInfo i;
        i.ID = id;
        i.Name = "Параметр " + id;
        i.Units = units;
        i.Precision = precision;
        i.Multiplier = multiplier;
        i.Offset = offset;
        TSensMapCalls(MAPEX.Get()).SetParamInfo(ConvSysSystemID, profile, id, i);
    }

    TTempXdgHome Home;
    std::unique_ptr<TdmService> Service;
};

TEST_F(ConvSys, StartCreatesTheCatalogueAndFailsWithoutIt) {
    ASSERT_TRUE(MAPEX);
    EXPECT_TRUE(CurrentProfileName.isEmpty());
    EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);
    FinalizeConvSys();
    EXPECT_FALSE(MAPEX);
    EXPECT_EQ(ModuleCanUnloadNow(), S_OK);

    ASSERT_EQ(UnregisterComServer(MapexModule()), S_OK);
    TDebugOutputCapture capture;
    try {
        InitConvSys();
        ADD_FAILURE() << "started without a registered catalogue";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Ошибка инициализации системы преобразования данных");
    }
    EXPECT_FALSE(MAPEX);
    EXPECT_TRUE(capture.Lines().contains("MAPEX init"));
    EXPECT_EQ(capture.Lines().count("MAPEX init exception"), 1);
    EXPECT_TRUE(capture.Contains("ConvSys.InitConvSys: Class not registered"));
    // The conversions pass values through, the catalogue-bound calls raise.
    CurrentProfileName = Imperial;
    EXPECT_EQ(ConvertOutput(101, 10.0), 10.0);
    EXPECT_THROW(ConvertOutput(QString("S101"), 1.0), Exception);

    ASSERT_EQ(RegisterComServer(MapexModule()), S_OK);
    InitConvSys();
    EXPECT_TRUE(MAPEX);
    EXPECT_TRUE(CurrentProfileName.isEmpty());
}

TEST_F(ConvSys, ProgramStartRegistersTheCatalogueOfItsFolder) {
    FinalizeConvSys();
    // A new user: nothing registered. The program folder's module is registered and created.
    ASSERT_EQ(UnregisterComServer(MapexModule()), S_OK);
    ASSERT_TRUE(ComClassModule(CLASS_SensMap).isEmpty());
    StartConvSys();
    EXPECT_TRUE(MAPEX);
    EXPECT_EQ(ComClassModule(CLASS_SensMap), MapexModule());
    FinalizeConvSys();

    // A registration whose module file is gone (a removed build): replaced the same way.
    TComClassRegistration reg = ComClassRegistration(CLASS_SensMap);
    reg.ModuleFile = Home.DataHome() + QStringLiteral("/removed-build/Mapex.so");
    RegisterComClass(reg);
    StartConvSys();
    EXPECT_TRUE(MAPEX);
    EXPECT_EQ(ComClassModule(CLASS_SensMap), MapexModule());
    FinalizeConvSys();

    // A registered file that is there but cannot serve: the registration is
    // the user's and stays; the start fails and says what to run.
    const QString broken = Home.DataHome() + QStringLiteral("/Mapex.so");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a module");
    file.close();
    reg.ModuleFile = broken;
    RegisterComClass(reg);
    try {
        StartConvSys();
        ADD_FAILURE() << "started with a broken catalogue";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Ошибка инициализации системы преобразования данных\n"
                                              "Каталог параметров не создан. Зарегистрируйте его для этого "
                                              "пользователя командой:\n") +
                                   BinDir() + QStringLiteral("/wkregsvr ") + BinDir() + QStringLiteral("/Mapex.so"));
    }
    EXPECT_FALSE(MAPEX);
    EXPECT_EQ(ComClassModule(CLASS_SensMap), broken);
}

TEST_F(ConvSys, ProfileNamesStartWithTheEmptyProfile) {
    QStringList names{"stale"};
    FillProfileNames(names);
    EXPECT_EQ(names, QStringList({"[Пустой профиль]", Imperial}));
    PutRow("", "S1", 1, 0);  // a row of the common profile "*"
    PutRow("Metric", "S1", 1, 0);
    FillProfileNames(names);
    EXPECT_EQ(names, QStringList({"[Пустой профиль]", Imperial, "Metric"}));
}

TEST_F(ConvSys, ConversionsFollowTheCurrentProfile) {
    // No profile: values pass unchanged even where the common profile has a row.
    PutRow("", "S101", 2, 1);
    EXPECT_EQ(ConvertOutput(101, 100.0), 100.0);
    EXPECT_EQ(ConvertInput(101, 100.0), 100.0);

    CurrentProfileName = Imperial;
    EXPECT_DOUBLE_EQ(ConvertOutput(101, 100.0), 100.0 * Feet);
    EXPECT_DOUBLE_EQ(ConvertInput(101, 100.0 * Feet), 100.0);
    EXPECT_DOUBLE_EQ(ConvertOutput(204, 10.0), 10.0 * double(2.2046226f));
    EXPECT_EQ(ConvertOutput(1200, 60.0), 60.0);  // a row with factor 1
    EXPECT_EQ(ConvertOutput(122, 3.0), 3.0);     // no row in the profile
    EXPECT_EQ(ConvertInput(122, 3.0), 3.0);
    EXPECT_EQ(ConvertOutput(99999, 3.0), 3.0);   // no such sensor at all
    EXPECT_TRUE(std::isnan(ConvertOutput(101, std::nan(""))));

    // A multiplier of 0: shown as the offset, and read back unchanged (no division by 0).
    PutRow(Imperial, "S111", 0, 5);
    EXPECT_DOUBLE_EQ(ConvertOutput(111, 7.0), 5.0);
    EXPECT_DOUBLE_EQ(ConvertInput(111, 12.0), 12.0);
    PutRow(Imperial, "S120", 2, -1);
    EXPECT_DOUBLE_EQ(ConvertOutput(120, 7.0), 13.0);
    EXPECT_DOUBLE_EQ(ConvertInput(120, 13.0), 7.0);

    CurrentProfileName = "Metric";  // a profile without rows
    EXPECT_EQ(ConvertOutput(101, 100.0), 100.0);
}

TEST_F(ConvSys, ParameterTextsUseTheRowsPrecisionAndUnits) {
    CurrentProfileName = Imperial;
    EXPECT_EQ(ConvertOutput(QString("S101"), 2.5), "8.2фут");  // precision 2: significant digits
    EXPECT_EQ(ConvertOutput(QString("S1200"), 61.0), "61об/мин");
    EXPECT_EQ(ConvertOutput(QString("101"), 2.5), "2.5");       // the ID as passed: no row
    PutRow(Imperial, "Flow@Pump1", 0.5f, 10, 3, "л/с");  // halves round away from zero
    EXPECT_EQ(ConvertOutput(QString("Flow@Pump1"), 4.5), "12.3л/с");
    PutRow(Imperial, "Still@Pump1", 0, 10, 3, "л/с");  // multiplier 0: the number as given
    EXPECT_EQ(ConvertOutput(QString("Still@Pump1"), 2.25), "2.25л/с");
}

TEST_F(ConvSys, DescriptionsTakeTheProfilesRowOverTheLocalOne) {
    const TSensDescr local = Service->GetSensDescr(101);
    EXPECT_EQ(GetSensDescr(101, "").Units, local.Units);  // the common profile has no row

    const TSensDescr d = GetSensDescr(101, Imperial);
    EXPECT_EQ(d.GID, 101);
    EXPECT_EQ(d.FullName, "Глубина забоя");
    EXPECT_EQ(d.Name, "Глубина забоя");
    EXPECT_EQ(d.Units, "фут");
    EXPECT_EQ(d.Color, 16711680);
    EXPECT_EQ(d.Precision, 2);
    EXPECT_DOUBLE_EQ(d.Min, 0);
    EXPECT_DOUBLE_EQ(d.Max, double(32808.399f));
    EXPECT_DOUBLE_EQ(d.A, Feet);
    EXPECT_DOUBLE_EQ(d.B, 0);
    // What the profile does not describe stays as the local database gave it.
    EXPECT_EQ(d.Group, local.Group);
    EXPECT_EQ(d.Flags, local.Flags);
    EXPECT_EQ(d.FixedTo, local.FixedTo);

    CurrentProfileName = Imperial;
    EXPECT_EQ(GetCurrentProfileSensDescr(102).Units, "фут");
    EXPECT_EQ(GetCurrentProfileSensDescr(122).Name, Service->GetSensDescr(122).Name);
    EXPECT_THROW(GetSensDescr(99999, Imperial), Exception);

    TSensDescrArray time;
    GetSensDescrArray(Imperial, time, TSensSelection{ssTime});
    TSensDescrArray plain;
    Service->FillSensDescriptions(plain, TSensSelection{ssTime});
    ASSERT_EQ(time.size(), plain.size());
    ASSERT_FALSE(time.isEmpty());
    for (int i = 0; i < time.size(); ++i) {
        SCOPED_TRACE(time[i].GID);
        EXPECT_EQ(time[i].GID, plain[i].GID);
        EXPECT_EQ(time[i].StreamID, plain[i].StreamID);
        EXPECT_EQ(time[i].Flags, plain[i].Flags);
        const TParamInfo row =
            TSensMapCalls(MAPEX.Get()).ParamInfo2(ConvSysSystemID, Imperial, SensorParamID(time[i].GID));
        EXPECT_EQ(time[i].Units, row.ID.isEmpty() ? plain[i].Units : row.Units);
    }
}

TEST(ConvSysFormat, GeneralFormatWithSignificantDigits) {
    const struct {
        double Value;
        int Precision;
        const char* Text;
    } cases[] = {
        {8.2020997, 2, "8.2"},   {1234.56, 2, "1.2E3"},   {1234.56, 4, "1235"},  {1234.56, 0, "1234.56"},
        {-0.000123, 3, "-0.000123"}, {0.0000123, 3, "1.23E-5"}, {100, 3, "100"}, {0, 5, "0"},
        {2.5, 1, "3"},           {1e20, 15, "1E20"},      {0.1 + 0.2, 15, "0.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(FloatToStrGeneral(c.Value, c.Precision), c.Text);
    }
}
}  // namespace

namespace {
// A dataset field of the simplest kind: a number or a text, or empty.
class TTestField final : public TConversionField {
public:
    TTestField(QString name, bool numeric) : FName(std::move(name)), FNumeric(numeric) {}
    QString FieldName() const override { return FName; }
    bool IsNumeric() const override { return FNumeric; }
    bool IsNull() const override { return !FValue.isValid(); }
    double AsFloat() const override { return FValue.toDouble(); }
    void SetAsFloat(double value) override { FValue = value; }
    QString DisplayText() const override {
        if (OnGetText) {
            QString t;
            OnGetText(const_cast<TTestField&>(*this), t, true);
            return t;
        }
        return IsNull() ? QString() : "<" + FValue.toString() + ">";
    }
    QString EditText() const override {
        if (OnGetText) {
            QString t;
            OnGetText(const_cast<TTestField&>(*this), t, false);
            return t;
        }
        return FValue.toString();
    }
    void SetText(const QString& text) override {
        if (OnSetText) return OnSetText(*this, text);
        if (text.isEmpty())
            FValue = QVariant();
        else
            FValue = FNumeric ? QVariant(StrToFloat(text)) : QVariant(text);
    }
    QVariant FValue;

private:
    QString FName;
    bool FNumeric;
};

TEST_F(ConvSys, DatasetFieldsShowAndTakeProfileUnits) {
    CurrentProfileName = Imperial;
    PutRow(Imperial, "DEPTH@Run1", 3.2808399f, 0, 4, "фут");
    PutRow(Imperial, "TEMP@Run1", 1.8f, 32, 3, "F");
    PutRow(Imperial, "NOTE@Run1", 2, 0, 3, "!");
    PutRow(Imperial, "SHIFT@Run1", 0, 10, 3, "");
    TTestField depth("DEPTH", true), temp("TEMP", true), note("NOTE", false), shift("SHIFT", true),
        plain("PLAIN", true);
    depth.FValue = 100.0;
    temp.FValue = 20.0;
    note.FValue = QString("текст");
    shift.FValue = 1.0;
    plain.FValue = 5.0;
    {
        const TConversionObject conv({&depth, &temp, &note, &shift, &plain}, "Run1");
        EXPECT_EQ(conv.Count(), 4);  // PLAIN has no row
        EXPECT_EQ(depth.DisplayText(), "328.1фут");
        EXPECT_EQ(depth.EditText(), "328.1");
        EXPECT_EQ(temp.DisplayText(), "68F");
        EXPECT_EQ(note.DisplayText(), "<текст>!");  // not numeric: its own text, then the units
        EXPECT_EQ(note.EditText(), "текст");
        // Multiplier 0: the field's own texts, units appended to the shown one.
        EXPECT_EQ(shift.DisplayText(), "<1>");
        EXPECT_EQ(shift.EditText(), "1");
        EXPECT_EQ(plain.DisplayText(), "<5>");

        temp.SetText("212");
        EXPECT_DOUBLE_EQ(temp.FValue.toDouble(), (212.0 - 32) / double(1.8f));
        shift.SetText("15");
        EXPECT_DOUBLE_EQ(shift.FValue.toDouble(), 15.0);
        note.SetText("другой");
        EXPECT_EQ(note.FValue.toString(), "другой");
        EXPECT_THROW(temp.SetText("abc"), EConvertError);
        EXPECT_TRUE(temp.OnGetText && temp.OnSetText);  // the handlers come back after a failure
        temp.SetText("");
        EXPECT_TRUE(temp.IsNull());
        EXPECT_EQ(temp.DisplayText(), "F");  // empty: no number, only the units
    }
    EXPECT_FALSE(depth.OnGetText || depth.OnSetText);
    EXPECT_EQ(depth.DisplayText(), "<100>");

    CurrentProfileName.clear();  // the common profile has no rows for these fields
    const TConversionObject none({&depth}, "Run1");
    EXPECT_EQ(none.Count(), 0);
}
}  // namespace
