// The workstation: one secondary tick with 20 live forms (10 chart forms of 4
// series over a two-hour window of one-second records, 10 digital views of
// 10 items) after one new record, the repaints included; and the start of
// the workstation to its first painted live chart on the real configuration,
// the well database and the simulator on loopback.
#include "AcqSim.h"
#include "DesktopFiles.h"
#include "FormFiles.h"
#include "RegIniFile.h"
#include "ScreenshotRun.h"
#include "WKConsts.h"
#include "WKSensGrid.h"
#include "WKServices.h"
#include "dm_Service.h"
#include "fm_DigitalView.h"
#include "fm_RealtimeChart.h"
#include "fm_WelvistaMain.h"
#include "fr_Chart.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <iterator>
#include <memory>

namespace {
constexpr double Day0 = 46000.0;
constexpr double Sec = 1.0 / 86400;
constexpr int Records = 7200;
const int Gids[] = {101, 103, 1200, 1303, 102, 122, 110, 111, 115, 120};

struct TTwentyForms {
    TSensorDataStream* Stream;
    std::vector<std::unique_ptr<TBaseMDIForm>> Forms;
    std::vector<QImage> Images;  // what each form shows, painted every tick
    int Next = 0;

    TTwentyForms() {
        SecondaryServices = std::make_unique<TSecondaryServices>(QStringLiteral("Bench"), false);
        Stream = SecondaryServices->Streams().Add(
            std::make_unique<TSensorDataStream>(0, "Time1s", "Time1s", "SrcTime", 1, true, 20000));
        Stream->AddSensor(0);
        for (int g : Gids) Stream->AddSensor(g);
        for (int i = 0; i < Records; ++i) AddRecord();
        const QColor colours[] = {Qt::blue, Qt::red, Qt::darkGreen, Qt::magenta};
        for (int k = 0; k < 10; ++k) {
            std::unique_ptr<TfmRealtimeChart> chart(TfmRealtimeChart::CreateWithChart(nullptr, true, "График", 0));
            TChartField* f = chart->Chart()->Fields().Items(0);
            for (int j = 0; j < 4; ++j) {
                f->Scales().Add()->SetMinMax(0, 100);
                auto* s = new TWKChartSeries(chart.get());
                s->SetFieldInd(0);
                s->SetScaleInd(j);
                s->SetGID(Gids[j]);
                s->SetPen(QPen(colours[j], 1));
                chart->Chart()->InsertSeries(s);
            }
            chart->Chart()->XScale()->SetMinMax(Day0 + Next * Sec - 2.0 / 24, Day0 + Next * Sec);
            chart->SetBounds(0, 0, 640, 400);
            Forms.push_back(std::move(chart));
            auto view = std::make_unique<TfmDigitalView>();
            TSensGrid* grid = view->CreateGrid();
            grid->SetIsDateTime(true);
            for (int g : Gids) grid->SensorList()->Add()->SetGID(g);
            grid->AdjustCount();
            view->SetBounds(0, 0, 400, 300);
            Forms.push_back(std::move(view));
        }
        for (auto& f : Forms) {
            f->ShowForm();
            Images.emplace_back(f->size(), QImage::Format_RGB32);
        }
        NotifyServices(seBindStreams, nullptr);
        Tick();
    }
    ~TTwentyForms() {
        Forms.clear();
        SecondaryServices.reset();
    }
    void AddRecord() {
        Stream->AddRecord();
        const double t = Next;
        Stream->GetSensor(0)->SetLast(Day0 + t * Sec);
        // Slow swings with a little noise, as drilling signals go.
        for (int k = 0; k < int(std::size(Gids)); ++k)
            Stream->GetSensor(Gids[k])->SetLast(50 + 30 * std::sin(t * 0.002 * (k + 1)) + 3 * std::sin(t * 0.7 + k));
        ++Next;
    }
    void Tick() {
        NotifyServices(sePoll, nullptr);
        NotifyServices(sePostData, nullptr);
        // Every form painted whole: at least the repaints one record causes.
        for (size_t i = 0; i < Forms.size(); ++i) Forms[i]->render(&Images[i]);
    }
};

void BM_WorkstationTickTwentyLiveForms(benchmark::State& state) {
    TTwentyForms forms;
    for (auto _ : state) {
        forms.AddRecord();
        forms.Tick();
    }
}
BENCHMARK(BM_WorkstationTickTwentyLiveForms)->Unit(benchmark::kMillisecond);

// A temporary home with the local configuration, the simulator on loopback
// (the client pointed at it) and a default desktop of one live chart form.
struct TWorkstationHome {
    QTemporaryDir Dir;
    std::unique_ptr<TdmService> Module;
    std::unique_ptr<TAcqSim> Sim;
    TWorkstationHome() {
        qputenv("XDG_CONFIG_HOME", (Dir.path() + "/config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", (Dir.path() + "/data").toLocal8Bit());
        const QString bin = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
        InitWKConsts({QStringLiteral("Welvista2")}, bin + QStringLiteral("/Welvista2"));
        const QString db = Dir.path() + QStringLiteral("/data/Tessaline/WK.db");
        QDir().mkpath(QFileInfo(db).absolutePath());
        QFile::copy(bin + QStringLiteral("/LocalDB/WK.db"), db);
        Module = std::make_unique<TdmService>(db);
        TdmService::SetCurrent(Module.get());
        Sim = std::make_unique<TAcqSim>(AcqSimDefaultConfig(Now()));
        Sim->Start();
        TRegIniFile reg(WKRegistryKey);
        reg.WriteString("TCPClient", "RemoteIP", "127.0.0.1");
        reg.WriteInteger("TCPClient", "Port", Sim->Port());
        std::unique_ptr<TfmRealtimeChart> chart(TfmRealtimeChart::CreateWithChart(nullptr, true, "Бурение", 0));
        chart->Chart()->Fields().Items(0)->Scales().Add()->SetMinMax(0, 100);
        auto* s = new TWKChartSeries(chart.get());
        s->SetFieldInd(0);
        s->SetScaleInd(0);
        s->SetGID(1200);
        chart->Chart()->InsertSeries(s);
        TDesktopContent content;
        content.Forms << MonitoringFormText(chart.get()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        WriteDesktopFile(DesktopsFolder() + DefaultDesktopName + DesktopExt, content);
    }
    ~TWorkstationHome() { TdmService::SetCurrent(nullptr); }
};

void BM_WorkstationStartToFirstLiveChart(benchmark::State& state) {
    TWorkstationHome home;
    for (auto _ : state) {
        TfmMain main;
        main.show();
        TWKChart* chart = nullptr;
        QElapsedTimer waited;
        waited.start();
        while (!(chart = FirstLiveChart(main)) && waited.elapsed() < 60000) {
            if (SecondaryServices) SecondaryServices->ProcessTimer();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        if (!chart) {
            state.SkipWithError("no live chart within 60 s (is the acquisition client plug-in built?)");
            break;
        }
        chart->repaint();
        state.PauseTiming();
        main.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WorkstationStartToFirstLiveChart)->Unit(benchmark::kMillisecond)->Iterations(5);
}  // namespace
