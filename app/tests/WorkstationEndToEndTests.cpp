// The workstation from its start to its close on live data: the bundled
// default desktop, the simulator on loopback, the real service groups over
// the default local configuration; the secondary tick driven by hand.
#include "AcqSim.h"
#include "AcquisitionTestSupport.h"
#include "ChartMenuTestSupport.h"
#include "ChartTestSupport.h"
#include "ComServer.h"
#include "ConvSys.h"
#include "DesktopFiles.h"
#include "Mapex_TLB.h"
#include "RegIniFile.h"
#include "ScreenshotRun.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "WKHints.h"
#include "WKSensGrid.h"
#include "dm_Service.h"
#include "fm_DigitalView.h"
#include "fm_NewForm.h"
#include "fm_RealtimeChart.h"
#include "fm_TabbedForm.h"
#include "fm_WelvistaMain.h"
#include "fr_Chart.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>

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

// The simulator near the end of its first hour, on loopback, as this user's
// configured acquisition server.
void StartAsTheServer(TAcqSim& sim) {
    sim.SetTime(At(59.5));
    sim.Start();
    TRegIniFile reg(WKRegistryKey);
    reg.WriteString("TCPClient", "RemoteIP", "127.0.0.1");
    reg.WriteInteger("TCPClient", "Port", sim.Port());
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
    StartAsTheServer(sim);
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

// The workstation's setting with the parameter catalogue and scripted
// dialogs: a fresh home with the default local configuration, the simulator
// on loopback as the configured server.
struct TLiveWorkstation {
    TTempXdgHome Home;
    std::unique_ptr<TdmService> Service;
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> PreviousUI;
    TAcqSim Sim{AcqSimDefaultConfig(kStart)};

    TLiveWorkstation() {
        InitWKConsts({QStringLiteral("Welvista2")}, BinDir() + QStringLiteral("/Welvista2"));
        const QString db = Home.DataHome() + QStringLiteral("/Tessaline/WK.db");
        QDir().mkpath(QFileInfo(db).absolutePath());
        EXPECT_TRUE(QFile::copy(BinDir() + QStringLiteral("/LocalDB/WK.db"), db));
        Service = std::make_unique<TdmService>(db);
        TdmService::SetCurrent(Service.get());
        EXPECT_EQ(RegisterComServer(BinDir() + QStringLiteral("/Mapex.so")), S_OK);
        InitConvSys();
        PreviousUI = SetUIServices(UI);
        StartAsTheServer(Sim);
    }
    ~TLiveWorkstation() {
        Sim.Stop();
        SetUIServices(PreviousUI);
        FinalizeConvSys();
        TdmService::SetCurrent(nullptr);
    }
    // The gallery answered: the entry of that caption, the name typed, OK.
    void ScriptGallery(const QString& entry, const QString& name) {
        UI->ScriptDialogOnce("TfmNewForm", [=](QObject* d) {
            auto* dlg = static_cast<TfmNewForm*>(d);
            EXPECT_TRUE(dlg->SelectCaption(entry)) << entry.toStdString();
            dlg->leName->setText(name);
            dlg->btnOK->click();
            return DialogResult(*dlg);
        });
    }
};

// Secondary ticks until the predicate holds (the client works on its thread).
bool TickUntil(const std::function<bool()>& pred) {
    return WaitFor([&] {
        SecondaryServices->ProcessTimer();
        QCoreApplication::processEvents();
        return pred();
    });
}

// The GIDs of a chart's series, in ascending order.
QList<int> SeriesGIDs(const TGraphion& chart) {
    QList<int> gids;
    for (int i = 0; i < chart.GetSeriesCount(); ++i)
        if (auto* s = qobject_cast<TWKChartBaseSeries*>(chart.GetSeries(i))) gids << s->GID();
    std::sort(gids.begin(), gids.end());
    return gids;
}

// The captions of a chart's value scales, in ascending order.
QStringList ScaleCaptions(TGraphion& chart) {
    QStringList captions;
    for (int f = 0; f < chart.Fields().Count(); ++f)
        for (int k = 0; k < chart.Fields().Items(f)->Scales().Count(); ++k)
            captions << chart.Fields().Items(f)->Scales().Items(k)->Caption();
    captions.sort();
    return captions;
}

template <class T>
QList<T*> FormsOf(const TfmMain& main) {
    QList<T*> list;
    for (TBaseMDIForm* f : main.MonitoringForms())
        if (auto* t = qobject_cast<T*>(f)) list << t;
    return list;
}

// Series that hold records and whose line shows in the chart's picture.
void ExpectDrawn(TWKChart& chart, const char* what) {
    ASSERT_GT(chart.GetSeriesCount(), 0) << what;
    ASSERT_TRUE(TickUntil([&] {
        auto* s = qobject_cast<TWKChartSeries*>(chart.GetSeries(0));
        return s && s->Link() && s->RecordCount() > 10;
    })) << what;
    chart.ForceRepaint();
    const QImage picture = chart.grab().toImage();
    auto* s = qobject_cast<TWKChartSeries*>(chart.GetSeries(0));
    EXPECT_GT(ColourCount(picture, s->Pen().color()), 20) << what << ": the line shows in its colour";
}

TEST(WorkstationEndToEnd, UserAddedSeriesSurviveARestart) {
    TLiveWorkstation live;
    QTemporaryDir dir;
    const QString formFile = dir.filePath("trend.sf2");
    {
        TfmMain main;
        main.show();
        ASSERT_TRUE(main.MonitoringForms().isEmpty());  // no desktop yet
        // A chart form from the gallery: its add-series command opens at once.
        live.ScriptGallery("Простая форма по времени", "Тренд");
        ScriptPicker(*live.UI, {"Глубина", "Обороты ротора"});
        main.actFileNew->trigger();
        auto* trend = qobject_cast<TfmRealtimeChart*>(main.ActiveForm());
        ASSERT_TRUE(trend && trend->Chart());
        ASSERT_EQ(SeriesGIDs(*trend->Chart()), QList<int>({101, 1200}));
        EXPECT_EQ(ScaleCaptions(*trend->Chart()), QStringList({"Глубина м", "Обороты ротора об/мин"}));
        main.SaveFormAs(formFile);

        // A tabbed form; its tab's chart gets a parameter through the chart's popup.
        live.ScriptGallery("Вкладки по времени", "Вкладки");
        main.actFileNew->trigger();
        auto* tabbed = qobject_cast<TfmTabbedForm*>(main.ActiveForm());
        ASSERT_TRUE(tabbed && tabbed->TabChart(0));
        TWKChart* tabChart = tabbed->TabChart(0);
        {
            TMenuRecorder recorder;
            RightClick(tabChart->Fields().Items(0)->Client());
            ASSERT_EQ(recorder.Last, dmControlRes->pmChart);
            ScriptPicker(*live.UI, {"Обороты ротора"});
            MenuItem(recorder.Last, "miAddSeries")->trigger();
        }
        ASSERT_EQ(SeriesGIDs(*tabChart), QList<int>({1200}));
        main.close();  // the default desktop is written
    }
    {
        TfmMain again;
        again.show();
        const auto trends = FormsOf<TfmRealtimeChart>(again);
        const auto tabbed = FormsOf<TfmTabbedForm>(again);
        ASSERT_EQ(trends.size(), 1);
        ASSERT_EQ(tabbed.size(), 1);
        EXPECT_EQ(SeriesGIDs(*trends[0]->Chart()), QList<int>({101, 1200}));
        ASSERT_TRUE(tabbed[0]->TabChart(0));
        EXPECT_EQ(SeriesGIDs(*tabbed[0]->TabChart(0)), QList<int>({1200}));
        // Read back they belong to their charts, as the command made them.
        EXPECT_EQ(trends[0]->Chart()->GetSeries(0)->Owner(), trends[0]->Chart());

        again.pcDock->setCurrentWidget(trends[0]->parentWidget());
        ExpectDrawn(*trends[0]->Chart(), "desktop chart form");
        again.pcDock->setCurrentWidget(tabbed[0]->parentWidget());
        ExpectDrawn(*tabbed[0]->TabChart(0), "desktop tabbed form");

        // The form file holds the series too.
        again.OpenFile(formFile);
        auto* opened = qobject_cast<TfmRealtimeChart*>(again.ActiveForm());
        ASSERT_TRUE(opened && opened != trends[0]);
        EXPECT_EQ(SeriesGIDs(*opened->Chart()), QList<int>({101, 1200}));
        ExpectDrawn(*opened->Chart(), "form file");

        // The main window at its default size, as a new user first sees it.
        again.resize(800, 600);
        QCoreApplication::processEvents();
        SaveArtifact(WorkstationPicture(again), "Workstation800x600");
        again.close();
    }
}

TEST(Workstation, ServerLossIsTold) {
    TLiveWorkstation live;
    const QString desktop = DesktopsFolder() + DefaultDesktopName + DesktopExt;
    ASSERT_TRUE(QFile::copy(SourceDir() + QStringLiteral("/config/desktops/default.sd2"), desktop));
    const QString server = QStringLiteral("127.0.0.1:%1").arg(live.Sim.Port());
    auto told = [](const QString& text) {
        for (int i = 0; i < Hints().GetCount(); ++i)
            if (Hints().GetHint(i).Message.contains(text)) return Hints().GetHint(i);
        return TWKHint{};
    };
    Hints().ClearHints();
    TfmMain main;
    main.show();
    const auto views = FormsOf<TfmDigitalView>(main);
    ASSERT_EQ(views.size(), 1);
    // The bundled desktop's scales name their units as scales the picker adds do.
    ASSERT_EQ(FormsOf<TfmRealtimeChart>(main).size(), 1);
    EXPECT_EQ(ScaleCaptions(*FormsOf<TfmRealtimeChart>(main)[0]->Chart()),
              QStringList({"Глубина м", "Обороты ротора об/мин"}));
    TSensGrid* grid = views[0]->Grid();
    ASSERT_TRUE(grid);
    // Depth, the first item of the bundled view.
    auto depthCell = [&](QString& text, TColor& colour) { return grid->CellText(0, 1, text, colour); };
    QString text;
    TColor colour = clBlack;
    ASSERT_TRUE(TickUntil([&] { return depthCell(text, colour) && !text.startsWith('['); }));
    const TColor live_colour = colour;
    EXPECT_TRUE(told(server).Message.isEmpty()) << "nothing to tell while the server answers";

    const uint16_t port = live.Sim.Port();
    live.Sim.Stop();
    ASSERT_TRUE(TickUntil([&] { return !told(QStringLiteral("потеряна")).Message.isEmpty(); }));
    const TWKHint lost = told(QStringLiteral("потеряна"));
    EXPECT_EQ(lost.HintClass, hcWarning);
    EXPECT_TRUE(lost.Message.contains(server)) << lost.Message.toStdString();
    // The last value is still shown, marked as not live, in the grid's error colour.
    ASSERT_TRUE(depthCell(text, colour));
    EXPECT_TRUE(text.startsWith('[') && text.endsWith(']')) << text.toStdString();
    EXPECT_EQ(colour, TColor(255));
    EXPECT_NE(live_colour, TColor(255));
    SaveArtifact(WorkstationPicture(main), "WorkstationServerLost");

    live.Sim.SetTime(At(90));  // records the server made while it was away and since
    live.Sim.Start(port);
    ASSERT_TRUE(TickUntil([&] { return !told(QStringLiteral("восстановлена")).Message.isEmpty(); }));
    EXPECT_TRUE(told(QStringLiteral("восстановлена")).Message.contains(server));
    // New records are live again.
    ASSERT_TRUE(TickUntil([&] { return depthCell(text, colour) && !text.startsWith('['); }));
    EXPECT_EQ(colour, live_colour);
    main.close();
}

TEST(WorkstationEndToEnd, ProgramStartsForANewUser) {
    // A fresh home with a desktop and a server to show, nothing registered:
    // the program registers the parameter catalogue of its own folder.
    TTempXdgHome home;
    ASSERT_TRUE(ComClassModule(CLASS_SensMap).isEmpty());
    TAcqSim sim(AcqSimDefaultConfig(kStart));
    StartAsTheServer(sim);
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
