#include "TestSupport.h"
#include "WKCalibration.h"
#include "WKConsts.h"
#include "WKLocalDB.h"
#include "dm_Service.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace {
// A temporary WK.db with the schema alone, as the running module.
class CalibrationKnownFits : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        InitWKConsts({"-DEBUG"}, Dir.filePath("Welvista2"));
        BuildLocalDatabase(Dir.filePath("WK.db"), {SourceDir() + "/config/local/10-schema.sql"});
        Service = std::make_unique<TdmService>(Dir.filePath("WK.db"));
        TdmService::SetCurrent(Service.get());
    }
    void TearDown() override { TdmService::SetCurrent(nullptr); }

    int Count(const QString& where = QStringLiteral("1")) const {
        return Service->dbService().Scalar("SELECT COUNT(*) FROM CalibrationData WHERE " + where).toInt();
    }

    TTempXdgHome Home;
    QTemporaryDir Dir;
    std::unique_ptr<TdmService> Service;
};

struct TFitCase {
    signed char Type;
    std::vector<double> Codes, Values;
    double Code, Expected;
};

TEST_F(CalibrationKnownFits, ConversionsOfTheThreeKinds) {
    const TFitCase cases[] = {
        {0, {100, 2000}, {0, 10}, 1050, 5},
        {1, {0, 10, 20}, {0, 1, 5}, -5, -0.5},  // first segment extrapolated
        {1, {0, 10, 20}, {0, 1, 5}, 9.9, 0.99},
        {1, {0, 10, 20}, {0, 1, 5}, 10, 1},  // second segment from its first code on
        {1, {0, 10, 20}, {0, 1, 5}, 25, 7},  // last segment extrapolated
        {1, {20, 10, 0}, {0, 1, 5}, 5, 3},   // falling codes find their segment too
        {1, {20, 10, 0}, {0, 1, 5}, 15, 0.5},
        {2, {1, 2, 3}, {1, 4, 9}, 1.5, 2.25},
        {2, {1, 2, 3}, {1, 4, 9}, 2, 4},
        {-1, {}, {}, 123, 0},
    };
    for (const auto& c : cases) {
        const TGenericCalibrationData d(7, c.Type, c.Codes, c.Values);
        EXPECT_NEAR(d.CodeToValue(c.Code), c.Expected, 1e-12) << int(c.Type) << " at " << c.Code;
        // The stored text gives the same object back.
        const TGenericCalibrationData back(7, d.GetHexData());
        EXPECT_EQ(back.CodeToValue(c.Code), d.CodeToValue(c.Code));
    }
}

TEST_F(CalibrationKnownFits, SegmentsAndDataText) {
    const TGenericCalibrationData lin(1, 0, {100, 2000}, {0, 10});
    ASSERT_EQ(lin.A.size(), 1u);
    EXPECT_NEAR(lin.A[0], 10.0 / 1900, 1e-15);
    EXPECT_NEAR(lin.B[0], -1000.0 / 1900, 1e-12);
    const TGenericCalibrationData pw(1, 1, {0, 10, 20}, {0, 1, 5});
    EXPECT_EQ(pw.A, (std::vector<double>{0.1, 0.4}));
    EXPECT_EQ(pw.B, (std::vector<double>{0, -3}));
    const TGenericCalibrationData lag(1, 2, {1, 2, 3}, {1, 4, 9});
    EXPECT_TRUE(lag.A.empty());

    const TGenericCalibrationData two(1, 0, {1.0, 2.0}, {0.0, -1.0});
    const QString hex = two.GetHexData();
    EXPECT_EQ(hex.size(), 68);
    EXPECT_EQ(hex, "0002" "000000000000F03F" "0000000000000040" "0000000000000000" "000000000000F0BF");
    EXPECT_EQ(two.GetCalibrationText(),
              "Тип калибровки: Линейная, Число точек: 2 [Эталон, Код]:  [0, 1]  [-1, 2] ");
    EXPECT_EQ(TGenericCalibrationData(1, -1, {}, {}).GetCalibrationText(),
              "Тип калибровки: Отсутствует [Эталон, Код]: ");
}

TEST_F(CalibrationKnownFits, BadTextsRaiseAndReadNothingOutOfBounds) {
    const QString good = TGenericCalibrationData(1, 0, {1, 2}, {3, 4}).GetHexData();
    const QString bad[] = {
        "",
        "00",
        "0003" + good.mid(4),          // three points announced, two given
        good + "00",                   // trailing characters
        "05" + good.mid(2),            // unknown type
        good.left(10) + "ZZ" + good.mid(12),  // not hex
        "0001" + good.mid(4, 16) + good.mid(36, 16),  // a linear fit needs two points
        "0000",
    };
    for (const QString& text : bad)
        EXPECT_THROW(TGenericCalibrationData(1, text), ECalibrationError) << qPrintable(text);
    EXPECT_NO_THROW(TGenericCalibrationData(1, "FF00"));
}

TEST_F(CalibrationKnownFits, SavedRowsLoadLocateAndSwitch) {
    EXPECT_FALSE(TCalibrationObject::CalibrationExists(5, {}, TGenericCalibrationData::StaticClassName()));
    try {
        TCalibrationObject::Load<TGenericCalibrationData>(5);
        FAIL() << "no row to load";
    } catch (const ECalibrationError& e) {
        EXPECT_EQ(e.Message(), "Не найдена калибровка параметра 5");
    }

    TGenericCalibrationData lin(5, 0, {100, 2000}, {0, 10});
    TGenericCalibrationData pw(5, 1, {0, 10, 20}, {0, 1, 5});
    TGenericCalibrationData lag(6, 2, {1, 2, 3}, {1, 4, 9});
    lin.Save(false);
    pw.Save(true);
    lag.Save(true);
    // Saves within one clock reading still get their own dates.
    EXPECT_LT(lin.Date(), pw.Date());
    EXPECT_LT(pw.Date(), lag.Date());
    EXPECT_EQ(Count(), 3);

    auto loaded = TCalibrationObject::Load<TGenericCalibrationData>(5);
    EXPECT_EQ(loaded->Date(), pw.Date());
    EXPECT_EQ(loaded->CodeToValue(5), 0.5);
    EXPECT_FALSE(TCalibrationObject::CalibrationExists(5, "SN1", TGenericCalibrationData::StaticClassName()));
    EXPECT_FALSE(TCalibrationObject::CalibrationExists(5, {}, "TOtherCalibration"));

    if (const QByteArray folder = qgetenv("WK_TEST_ARTIFACTS"); !folder.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(folder));
        const QString target = QDir(QString::fromLocal8Bit(folder)).filePath("calibrations.db");
        QFile::remove(target);
        EXPECT_TRUE(QFile::copy(Service->DatabasePath(), target));
    }

    pw.SetActive(false);
    lin.SetActive(true);
    EXPECT_EQ(TCalibrationObject::Load<TGenericCalibrationData>(5)->CodeToValue(1050), 5);
    lin.Delete();
    EXPECT_FALSE(lin.Locate().has_value());
    EXPECT_EQ(Count(), 2);
    EXPECT_FALSE(TCalibrationObject::CalibrationExists(5, {}, TGenericCalibrationData::StaticClassName()));

    // A row whose text was damaged raises on loading instead of reading past it.
    Service->dbService().Exec("UPDATE CalibrationData SET CalibrationData = '0105' WHERE GID = 6");
    EXPECT_THROW(TCalibrationObject::Load<TGenericCalibrationData>(6), ECalibrationError);
}
}  // namespace
