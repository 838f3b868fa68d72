// A form with a dial, a bar gauge and a casing view written as component text and read back
// by a program that links neither gauge package: the reader loads both
// through the class modules of the local configuration.
#include "ClassRegistry.h"
#include "Controls.h"
#include "GaugeBusTest.h"
#include "WKControls.h"
#include "WKFormText.h"
#include "WKLocalDB.h"
#include "WKPlainControls.h"
#include "WKSensorItems.h"
#include "dm_Service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

class GaugeFormRoundTrip : public GaugeBusTest {
public:
    void SetUp() override {
        GaugeBusTest::SetUp();
        const QString db = Home.DataHome() + QStringLiteral("/Tessaline/WK.db");
        QDir().mkpath(QFileInfo(db).absolutePath());
        BuildLocalDatabase(db, LocalDatabaseScripts(SourceDir() + QStringLiteral("/config/local")));
        Service = std::make_unique<TdmService>(db);
        TdmService::SetCurrent(Service.get());
        InitWKControls();
    }
    void TearDown() override {
        TdmService::SetCurrent(nullptr);
        Service.reset();
        GaugeBusTest::TearDown();
    }
    TControl* Make(TControl& form, const char* className, const char* name) {
        const TClassInfo* c = ResolveClass(QString::fromLatin1(className));
        if (!c) return nullptr;
        auto* control = qobject_cast<TControl*>(c->Create(&form));
        control->SetName(QString::fromLatin1(name));
        control->SetParentWidget(&form);
        return control;
    }
    static QString Read(const QString& file) {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }

    std::unique_ptr<TdmService> Service;
};

TEST_F(GaugeFormRoundTrip, WrittenAndReadBackByClassName) {
    QTemporaryDir dir;
    TWKPanel form;
    form.SetName(QStringLiteral("GaugeForm"));
    TControl* dial = Make(form, "TWKSmoothGauge", "Dial1");
    TControl* bar = Make(form, "TWKGauge", "Bar1");
    TControl* casing = Make(form, "TCasingControl", "Casing1");
    ASSERT_NE(dial, nullptr);
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(casing, nullptr);
    casing->SetBounds(250, 0, 90, 260);
    dial->SetBounds(0, 0, 200, 200);
    dial->setProperty("Animation", false);
    dial->setProperty("Style", 5);
    dial->setProperty("MaximumValue", 250.0);
    auto* sensor = qvariant_cast<TSensorItem*>(dial->property("Sensor"));
    ASSERT_NE(sensor, nullptr);
    sensor->SetGID(Gid);
    sensor->SetStreamID(QStringLiteral("Time1s.1001"));
    sensor->SetName(QStringLiteral("Обороты"));
    auto* sections = qvariant_cast<TCollection*>(dial->property("Sections"));
    ASSERT_NE(sections, nullptr);
    sections->Items(1)->setProperty("StartValue", 200.0);
    sections->Items(1)->setProperty("EndValue", 250.0);
    bar->SetBounds(0, 210, 240, 60);
    bar->setProperty("WKStreamID", QStringLiteral("Time1s.1001"));
    bar->setProperty("WKSensorID", Gid);
    bar->setProperty("MaxPosition", 300.0);
    bar->setProperty("MaxLimit", 200.0);
    bar->setProperty("Units", QStringLiteral("об/мин"));

    const QString first = dir.filePath(QStringLiteral("first.wkf"));
    SaveForm(&form, first);
    TWKPanel host;
    host.SetName(QStringLiteral("GaugeForm"));
    LoadForm(&host, first);
    const QString second = dir.filePath(QStringLiteral("second.wkf"));
    SaveForm(&host, second);
    EXPECT_EQ(Read(second), Read(first));
    const QString artifacts = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    if (!artifacts.isEmpty()) {
        QDir().mkpath(artifacts);
        QFile::remove(artifacts + QStringLiteral("/gauges.wkf"));
        QFile::copy(first, artifacts + QStringLiteral("/gauges.wkf"));
    }

    QObject* dial2 = host.findChild<QObject*>(QStringLiteral("Dial1"));
    QObject* bar2 = host.findChild<QObject*>(QStringLiteral("Bar1"));
    auto* casing2 = host.findChild<TControl*>(QStringLiteral("Casing1"));
    ASSERT_NE(dial2, nullptr);
    ASSERT_NE(bar2, nullptr);
    ASSERT_NE(casing2, nullptr);
    EXPECT_EQ(casing2->metaObject()->className(), QByteArray("TCasingControl"));
    EXPECT_EQ(casing2->BoundsRect(), QRect(250, 0, 90, 260));
    EXPECT_EQ(dial2->metaObject()->className(), QByteArray("TWKSmoothGauge"));
    for (const char* p : {"Style", "MaximumValue", "Animation"}) EXPECT_EQ(dial2->property(p), dial->property(p)) << p;
    EXPECT_EQ(qvariant_cast<TSensorItem*>(dial2->property("Sensor"))->StreamID(), QStringLiteral("Time1s.1001"));
    auto* sections2 = qvariant_cast<TCollection*>(dial2->property("Sections"));
    ASSERT_EQ(sections2->Count(), 2);
    EXPECT_EQ(sections2->Items(1)->property("EndValue").toDouble(), 250);
    for (const char* p : {"WKStreamID", "WKSensorID", "MaxPosition", "MaxLimit", "Units", "DisplayFormat"})
        EXPECT_EQ(bar2->property(p), bar->property(p)) << p;

    // Bound to the stream list, the loaded gauges show the newest sample.
    Push(Time, 123);
    SecondaryServices->NotifyServices(seBindStreams, nullptr);
    SecondaryServices->NotifyServices(sePostData, nullptr);
    EXPECT_EQ(dial2->property("Value").toDouble(), 123);
    EXPECT_TRUE(dial2->property("Value").isValid());
    QImage image(bar2->property("Width").toInt(), bar2->property("Height").toInt(), QImage::Format_ARGB32);
    auto* barWidget = qobject_cast<QWidget*>(bar2);
    barWidget->render(&image);
    const QRgb inBar = image.pixel(10, image.height() - 5);
    EXPECT_EQ(QColor::fromRgb(inBar), QColor(0, 0, 0x80));
}

}  // namespace
