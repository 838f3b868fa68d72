// The workstation from its start to its close on live data: the bundled
// default desktop, the simulator on loopback, the real service groups over
// the default local configuration; the secondary tick driven by hand.
#include "AcqSim.h"
#include "AcquisitionTestSupport.h"
#include "ChartTestSupport.h"
#include "ComServer.h"
#include "DesktopFiles.h"
#include "Mapex_TLB.h"
#include "RegIniFile.h"
#include "ScreenshotRun.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "dm_Service.h"
#include "fm_DigitalView.h"
#include "fm_RealtimeChart.h"
#include "fm_WelvistaMain.h"
#include "fr_Chart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 9) + EncodeTime(6, 0, 0, 0);
TDateTime At(double seconds) { return kStart + seconds / 86400.0; }

// Counts the pixels of a colour.
int ColourCount(const QImage& image, QColor colour) {
    int n = 0;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) n += rgb.pixelColor(x, y) == colour;
    return n;
}

TfmRealtimeChart* ChartForm(const TfmMain& main) {
    for (TBaseMDIForm* f : main.MonitoringForms())
        if (auto* c = qobject_cast<TfmRealtimeChart*>(f)) return c;
    return nullptr;
}

TEST(WorkstationEndToEnd, LiveChartFromStartToCloseAndBack) {
    TTempXdgHome home;
    // The program folder of the build: its packages, its Plugins folder (so
    // the well database is made in the temporary home).
    InitWKConsts({QStringLiteral("Welvista2")}, BinDir() + QStringLiteral("/Welvista2"));
    const QString db = home.DataHome() + QStringLiteral("/Tessaline/WK.db");
    QDir().mkpath(QFileInfo(db).absolutePath());
    ASSERT_TRUE(QFile::copy(BinDir() + QStringLiteral("/LocalDB/WK.db"), db));
    auto module = std::make_unique<TdmService>(db);
    TdmService::SetCurrent(module.get());

    TAcqSim sim(AcqSimDefaultConfig(kStart));
    sim.SetTime(At(59.5));
    sim.Start();
    {
        TRegIniFile reg(WKRegistryKey);
        reg.WriteString("TCPClient", "RemoteIP", "127.0.0.1");
        reg.WriteInteger("TCPClient", "Port", sim.Port());
    }
    // The bundled default desktop, as the demo installs it.
    const QString desktop = DesktopsFolder() + DefaultDesktopName + DesktopExt;
    ASSERT_TRUE(QFile::copy(SourceDir() + QStringLiteral("/config/desktops/default.sd2"), desktop));

    QRect closedAt;
    {
        TfmMain main;
        main.show();
        ASSERT_TRUE(SecondaryServices);
        ASSERT_EQ(main.MonitoringForms().size(), 2);
        EXPECT_FALSE(main.MultiWindow());
        TfmRealtimeChart* form = ChartForm(main);
        ASSERT_TRUE(form && form->Chart());
        EXPECT_EQ(main.ActiveForm(), form) << "the chart page is the saved active page";
        TWKChart* chart = form->Chart();
        ASSERT_EQ(chart->GetSeriesCount(), 2);
        auto* rpm = qobject_cast<TWKChartSeries*>(chart->GetSeries(1));
        ASSERT_TRUE(rpm);
        EXPECT_EQ(rpm->GID(), 1200);

        TWKStreamList& list = SecondaryServices->Streams();
        // The stream the chart's series read: the first of the class the client fills.
        auto time1s = [&] { return list.GetStreamByDataClass(QStringLiteral("SrcTime")); };
        ASSERT_TRUE(WaitFor([&] {
            SecondaryServices->ProcessTimer();
            QCoreApplication::processEvents();
            TSensorDataStream* s = time1s();
            return s && s->TotalCount() >= 60;
        }));
        SecondaryServices->ProcessTimer();
        EXPECT_EQ(FirstLiveChart(main), chart);
        TSensorDataStream* stream = time1s();
        ASSERT_TRUE(rpm->Link());
        EXPECT_EQ(rpm->YData(), stream->GetSensor(1200));
        const double newest = stream->MainDataArray()->GetValue(stream->GetDataCount() - 1);
        EXPECT_DOUBLE_EQ(chart->XScale()->MaxLimit(), newest);
        EXPECT_DOUBLE_EQ(rpm->XData()->GetValue(rpm->RecordCount() - 1), newest);

        const QImage picture = WorkstationPicture(main);
        SaveArtifact(picture, "WorkstationEndToEnd");
        EXPECT_GT(ColourCount(chart->grab().toImage(), rpm->Pen().color()), 20) << "the line shows in its colour";
        EXPECT_GE(picture.width(), main.width());

        form->SetShortCaption(QStringLiteral("Проверка"));
        main.setGeometry(30, 40, 900, 650);
        closedAt = main.geometry();
        main.close();
        EXPECT_FALSE(SecondaryServices);
        EXPECT_FALSE(PrimaryServices);
    }
    {
        TRegIniFile reg(WelvistaRegistryKey);
        EXPECT_EQ(reg.ReadInteger(MainFormSection, "Left"), 30);
        EXPECT_EQ(reg.ReadInteger(MainFormSection, "Width"), 900);
        EXPECT_FALSE(reg.ReadBool(MainFormSection, "MDI"));
    }
    {
        TfmMain again;
        again.show();
        EXPECT_EQ(again.geometry().topLeft(), closedAt.topLeft());
        EXPECT_EQ(again.width(), closedAt.width());
        ASSERT_EQ(again.MonitoringForms().size(), 2);
        ASSERT_TRUE(ChartForm(again));
        EXPECT_EQ(ChartForm(again)->Caption(), "Проверка");
        EXPECT_EQ(ChartForm(again)->Chart()->GetSeriesCount(), 2);
        EXPECT_EQ(again.ActiveForm(), ChartForm(again));
        again.close();
    }
    TdmService::SetCurrent(nullptr);
}

TEST(WorkstationEndToEnd, ProgramStartsForANewUser) {
    // A fresh home with a desktop and a server to show, nothing registered:
    // the program registers the parameter catalogue of its own folder.
    TTempXdgHome home;
    ASSERT_TRUE(ComClassModule(CLASS_SensMap).isEmpty());
    TAcqSim sim(AcqSimDefaultConfig(kStart));
    sim.SetTime(At(59.5));
    sim.Start();
    {
        TRegIniFile reg(WKRegistryKey);
        reg.WriteString("TCPClient", "RemoteIP", "127.0.0.1");
        reg.WriteInteger("TCPClient", "Port", sim.Port());
    }
    InitWKConsts({QStringLiteral("Welvista2")}, BinDir() + QStringLiteral("/Welvista2"));
    QDir().mkpath(DesktopsFolder());
    ASSERT_TRUE(QFile::copy(SourceDir() + QStringLiteral("/config/desktops/default.sd2"),
                            DesktopsFolder() + DefaultDesktopName + DesktopExt));
    const QString picture = home.DataHome() + QStringLiteral("/start.png");
    const TProgramRun run = RunProgram(QStringLiteral("Welvista2"), {QStringLiteral("--screenshot"), picture});
    EXPECT_TRUE(run.Succeeded()) << run.Out.toStdString() << run.Err.toStdString();
    EXPECT_TRUE(run.Out.contains("first live chart: ")) << run.Out.toStdString();
    EXPECT_FALSE(QImage(picture).isNull());
    EXPECT_EQ(ComClassModule(CLASS_SensMap), BinDir() + QStringLiteral("/Mapex.so"));
}
}  // namespace
