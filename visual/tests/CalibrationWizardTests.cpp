#include "VisualTestSupport.h"
#include "WKCalibration.h"
#include "WKNet.h"
#include "dlg_GenericCalibration.h"
#include "KXPointArrays.h"
#include "KXScale.h"
#include "Kurvex.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QTabWidget>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <deque>
#include <optional>

// A sensor whose readings the test lists; an empty entry is a failing read.
class TWizardSensor : public TWKSensor {
    Q_OBJECT
public:
    using TWKSensor::TWKSensor;
    double GetData() override {
        if (Readings.empty()) throw Exception("no reading");
        const std::optional<double> r = Readings.front();
        Readings.pop_front();
        if (!r) throw Exception("Датчик не отвечает");
        return *r;
    }
    std::deque<std::optional<double>> Readings;
};
WK_REGISTER_CLASS(TWizardSensor)

namespace {

class CalibrationKnownFits : public VisualTest {
protected:
    void SetUp() override {
        VisualTest::SetUp();
        Sql("DELETE FROM CalibrationData");
        Gid = Service->dbService().Scalar("SELECT MIN(GID) FROM Sensors").toInt();
        auto item = TNetworkItem::CreateItem("TWizardSensor");
        Sensor.reset(qobject_cast<TWizardSensor*>(item.release()));
        Sensor->SetFields("P1", {}, {}, {}, Gid);
    }
    void TearDown() override {
        Sensor.reset();
        VisualTest::TearDown();
    }
    static void SetCell(TdlgGenericCalibration& d, int row, int col, const QString& text) {
        d.sgData->setItem(row, col, new QTableWidgetItem(text));
    }
    static void FillPoints(TdlgGenericCalibration& d, const std::vector<std::pair<QString, QString>>& points) {
        for (int i = 0; i < int(points.size()); ++i) {
            SetCell(d, i, 1, points[i].first);
            SetCell(d, i, 2, points[i].second);
        }
    }
    // Scripts one run of the wizard: type, count, points, keep the old one.
    void ScriptWizard(int typeIndex, int count, std::vector<std::pair<QString, QString>> points, bool keepOld) {
        ScriptOnce<TdlgGenericCalibration>(*UI, "TdlgGenericCalibration",
                                           [=](TdlgGenericCalibration& d) {
                                               d.cbType->setCurrentIndex(typeIndex);
                                               d.cbCount->setCurrentText(QString::number(count));
                                               d.cbSaveOldCalibration->setChecked(keepOld);
                                               d.btnForward->click();
                                               FillPoints(d, points);
                                               d.btnFinish->click();
                                               return DialogResult(d);
                                           });
    }
    QString ActiveData() const {
        return Service->dbService()
            .Scalar("SELECT CalibrationData FROM CalibrationData WHERE GID = ? AND IsActive = 1", {Gid})
            .toString();
    }
    int Gid = 0;
    std::unique_ptr<TWizardSensor> Sensor;
};

TEST_F(CalibrationKnownFits, WizardGridRowsByTypeAndCount) {
    struct Case {
        int Type;
        int Count;
        int Rows;
        bool GroupVisible;
    };
    for (const Case& c : {Case{1, 5, 2, false}, Case{2, 4, 4, true}, Case{3, 5, 5, true}}) {
        TdlgGenericCalibration d;
        d.show();
        d.cbType->setCurrentIndex(c.Type);
        d.cbCount->setCurrentText(QString::number(c.Count));
        EXPECT_EQ(d.gbParams->isVisible(), c.GroupVisible);
        d.btnForward->click();
        EXPECT_EQ(d.pcClbr->currentWidget(), d.tsCalibration);
        EXPECT_EQ(d.sgData->rowCount(), c.Rows);
        EXPECT_EQ(d.sgData->item(c.Rows - 1, 0)->text(), QString::number(c.Rows));
    }
    TdlgGenericCalibration none;
    none.show();
    none.cbType->setCurrentIndex(0);
    EXPECT_TRUE(none.btnFinish->isEnabled());
    EXPECT_FALSE(none.btnForward->isEnabled());
    EXPECT_FALSE(none.pcClbr->isTabVisible(1));
}

TEST_F(CalibrationKnownFits, WizardSteadyReadingsStopByThemselves) {
    TdlgGenericCalibration d;
    d.Sensor = Sensor.get();
    d.show();
    d.btnForward->click();
    d.sgData->setCurrentCell(1, 1);
    for (int i = 0; i < 20; ++i) Sensor->Readings.push_back(1000 + (i % 2 ? 3 : -3));
    d.btnStart->click();
    ASSERT_TRUE(d.Started());
    EXPECT_EQ(d.btnStart->text(), "Стоп");
    EXPECT_FALSE(d.CancelBtn->isEnabled());
    for (int i = 0; i < 19; ++i) d.TimerTick();
    EXPECT_TRUE(d.Started());
    d.TimerTick();
    EXPECT_FALSE(d.Started());
    EXPECT_EQ(d.btnStart->text(), "Старт");
    EXPECT_DOUBLE_EQ(d.Mean, 1000);
    EXPECT_EQ(d.sgData->item(1, 2)->text(), "1000");
    // One "Time" and one "Data" entry per tick.
    EXPECT_EQ(d.mtCalibration->Arrays().Items(0)->GetCount(), d.mtCalibration->Arrays().Items(1)->GetCount());

    // The axes carry no caption (and so no class name for one).
    std::vector<TScale*> scales{d.Chart->XScale()};
    for (int f = 0; f < d.Chart->Fields().Count(); ++f)
        for (int i = 0; i < d.Chart->Fields().Items(f)->Scales().Count(); ++i)
            scales.push_back(d.Chart->Fields().Items(f)->Scales().Items(i));
    ASSERT_EQ(scales.size(), 2u);
    for (TScale* scale : scales) EXPECT_TRUE(!scale->ShowCaption() || scale->Caption().isEmpty()) << scale->Caption().toStdString();
    if (const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS"); !dir.isEmpty()) {
        QDir().mkpath(dir);
        d.grab().save(dir + QStringLiteral("/CalibrationWizardReading.png"));
    }
}

TEST_F(CalibrationKnownFits, WizardFailingReadWaitsTwoSecondsAndStopWritesOnlyANumericMean) {
    TdlgGenericCalibration d;
    d.Sensor = Sensor.get();
    d.show();
    d.btnForward->click();
    d.sgData->setCurrentCell(0, 1);
    SetCell(d, 0, 2, "77");
    Sensor->Readings = {std::nullopt};
    d.btnStart->click();
    d.TimerTick();
    EXPECT_EQ(d.TimerInterval(), 2000);
    EXPECT_EQ(d.lblCustomText->text(), "Датчик не отвечает");
    EXPECT_FALSE(d.lblCustomText->isHidden());
    d.btnStart->click();  // stop with no numeric reading: the cell keeps its code
    EXPECT_EQ(d.sgData->item(0, 2)->text(), "77");

    Sensor->Readings = {12.5};
    d.btnStart->click();
    d.TimerTick();
    EXPECT_EQ(d.TimerInterval(), 500);
    EXPECT_TRUE(d.lblCustomText->isHidden());
    d.btnStart->click();
    EXPECT_EQ(d.sgData->item(0, 2)->text(), "12.5");
}

TEST_F(CalibrationKnownFits, WizardFinishNeedsMonotonicCodes) {
    struct Case {
        int Type;
        std::vector<std::pair<QString, QString>> Points;
        bool Finish;
    };
    const Case cases[] = {
        {1, {{"0", "100"}, {"10", "2000"}}, true},
        {1, {{"0", "100"}, {"10", "100"}}, false},
        {1, {{"0", "x"}, {"10", "100"}}, false},
        {2, {{"0", "20"}, {"1", "10"}, {"5", "0"}}, true},  // falling codes
        {2, {{"0", "0"}, {"1", "20"}, {"5", "10"}}, false},
        {3, {{"1", "1"}, {"4", "2"}, {"9", "3"}}, true},
    };
    for (const Case& c : cases) {
        TdlgGenericCalibration d;
        d.show();
        d.cbType->setCurrentIndex(c.Type);
        d.cbCount->setCurrentText("3");
        d.btnForward->click();
        FillPoints(d, c.Points);
        EXPECT_EQ(d.btnFinish->isEnabled(), c.Finish) << c.Type << " " << qPrintable(c.Points[1].second);
        EXPECT_EQ(d.PolyValid, c.Finish);
    }
}

TEST_F(CalibrationKnownFits, WizardTextAndDataRoundTrip) {
    TdlgGenericCalibration d;
    const QString hex = EncodeCalibrationData(1, {0, 10, 20}, {-5, 9.9, 25});
    d.SetHexData(hex);
    EXPECT_EQ(d.GetHexData(), hex);
    EXPECT_EQ(d.sgData->rowCount(), 3);
    EXPECT_EQ(d.cbType->currentText(), "Кусочно-линейная");
    EXPECT_TRUE(d.GetText().startsWith("Тип калибровки: Кусочно-линейная, Количество точек: 3 [Эталон, Код]: "))
        << qPrintable(d.GetText());
    d.SetHexData("FF");  // too short: ignored
    EXPECT_EQ(d.GetHexData(), hex);
    d.SetHexData(hex.left(hex.size() - 16));  // fewer bytes than its points need
    EXPECT_EQ(d.GetHexData(), hex);
    d.SetCalibrationType(0);
    EXPECT_FALSE(d.pcClbr->isTabVisible(0));
    EXPECT_TRUE(d.btnForward->isHidden());
    EXPECT_EQ(d.sgData->rowCount(), 2);
}

TEST_F(CalibrationKnownFits, WizardFinishThenCalibrateSavesTheActiveRow) {
    ScriptWizard(1, 3, {{"0", "100"}, {"10", "2000"}}, false);
    Sensor->Calibrate();
    EXPECT_EQ(ActiveData(), EncodeCalibrationData(0, {100, 2000}, {0, 10}));
    EXPECT_DOUBLE_EQ(Sensor->CodeToValue(1050), 5);

    ScriptWizard(2, 3, {{"0", "20"}, {"1", "10"}, {"5", "0"}}, true);
    Sensor->Calibrate();
    EXPECT_DOUBLE_EQ(Sensor->CodeToValue(5), 3);
    ScriptWizard(3, 3, {{"1", "1"}, {"4", "2"}, {"9", "3"}}, true);
    Sensor->Calibrate();
    EXPECT_DOUBLE_EQ(Sensor->CodeToValue(1.5), 2.25);
    EXPECT_EQ(Service->dbService().Scalar("SELECT COUNT(*) FROM CalibrationData WHERE GID = ?", {Gid}).toInt(), 3);
    EXPECT_EQ(Service->dbService()
                  .Scalar("SELECT COUNT(*) FROM CalibrationData WHERE GID = ? AND IsActive = 1", {Gid})
                  .toInt(),
              1);

    // Cancel keeps what is stored.
    const QString before = ActiveData();
    Sensor->Calibrate();  // unscripted: cancelled
    EXPECT_EQ(ActiveData(), before);
    const QString artifacts = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    if (!artifacts.isEmpty()) {
        QDir().mkpath(artifacts);
        QFile::remove(artifacts + "/calibrations.db");
        QString target = artifacts + "/calibrations.db";
        Service->dbService().Exec("VACUUM INTO '" + target.replace("'", "''") + "'");
        EXPECT_TRUE(QFile::exists(artifacts + "/calibrations.db"));
    }
}

}  // namespace

#include "CalibrationWizardTests.moc"
