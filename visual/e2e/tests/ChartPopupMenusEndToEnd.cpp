// The chart menus on a chart that follows the simulator's streams: parameters
// added, fitted, deleted and commented as a user does it through the menus.
#include "AcqSim.h"
#include "AcquisitionTestSupport.h"
#include "ChartMenuTestSupport.h"
#include "ChartTestSupport.h"
#include "ComServer.h"
#include "ConvSys.h"
#include "RegIniFile.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "WKFormText.h"
#include "dlg_InputComment.h"
#include "dm_Service.h"
#include "dm_Wells.h"
#include "fr_Chart.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 9) + EncodeTime(6, 0, 0, 0);
TDateTime At(double seconds) { return kStart + seconds / 86400.0; }

// Keeps the form text a test wrote in the folder named by WK_TEST_ARTIFACTS, when set.
void SaveTextArtifact(const QString& text, const QString& name) {
    const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    QFile f(dir + "/" + name);
    if (f.open(QIODevice::WriteOnly)) f.write(text.toUtf8());
}

std::vector<TSeries*> OnScale(TWKChart& chart, TScale* scale) {
    std::vector<TSeries*> list;
    chart.GetScaleSeries(scale, list);
    return list;
}

TEST(ChartMenus, ChartPopupMenusEndToEnd) {
    TTempXdgHome home;
    InitWKConsts({}, BinDir() + "/visual_e2e_tests");
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(BinDir() + "/LocalDB/WK.db", dir.path() + "/WK.db"));
    TdmService module(dir.path() + "/WK.db");
    TdmService::SetCurrent(&module);
    ASSERT_EQ(RegisterComServer(BinDir() + "/Mapex.so"), S_OK);
    InitConvSys();
    auto ui = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> previousUI = SetUIServices(ui);
    auto wells = std::make_unique<TdmWells>();
    wells->PostFormula({"Сумма оборотов", "S1200*2", "", {}, ""});
    ASSERT_TRUE(dmControlRes);

    TAcqSim sim(AcqSimDefaultConfig(kStart));
    sim.SetTime(At(119.5));
    sim.Start();
    TRegIniFile reg(WKRegistryKey);
    reg.WriteString("TCPClient", "RemoteIP", "127.0.0.1");
    reg.WriteInteger("TCPClient", "Port", sim.Port());
    SetServiceLoader({[&] { return ServiceRowsOf(module); },
                      [&](const QString& name) { return module.GetMetaClass(name); }, nullptr});
    PrimaryServices = std::make_unique<TPrimarySerivces>("Welvista", false);
    SecondaryServices = std::make_unique<TSecondaryServices>("Welvista", false);
    {
        TMenuRecorder menus;
        TdmControlRes& res = *dmControlRes;
        auto chart = std::make_unique<TWKChart>();
        chart->SetIsDateTime(true);
        chart->XScale()->SetMinMax(kStart, kStart + 1.0 / 12);
        chart->resize(900, 600);
        chart->show();
        TChartField* field = chart->Fields().Items(0);

        NotifyServices(seStartLogging, nullptr);
        TWKStreamList& list = SecondaryServices->Streams();
        ASSERT_TRUE(WaitFor([&] {
            SecondaryServices->ProcessTimer();
            TSensorDataStream* s = list.GetStreamByID("Time1s.1001");
            return s && s->TotalCount() >= 120;
        }));
        TWKMessage well(WM_WELLCHANGED, {}, QStringLiteral("1001"));
        QCoreApplication::sendEvent(chart.get(), &well);

        // Three parameters on the plot area, one a stored formula.
        RightClick(field->Client());
        ASSERT_EQ(menus.Last, res.pmChart);
        ASSERT_TRUE(res.miAddSeries->isEnabled());
        ScriptPicker(*ui, {"Обороты ротора", "Тал. блок", "Сумма оборотов"});
        res.miAddSeries->trigger();
        ASSERT_EQ(field->Scales().Count(), 3);
        ASSERT_EQ(chart->GetSeriesCount(), 3);
        EXPECT_EQ(field->GridIndex(), 0);
        TWKExpressionSeries* formula = nullptr;
        TWKChartSeries* rpm = nullptr;
        for (int i = 0; i < 3; ++i) {
            auto* s = qobject_cast<TWKChartSeries*>(chart->GetSeries(i));
            ASSERT_TRUE(s);
            TScale* scale = s->GetChartScale();
            ASSERT_TRUE(scale);
            EXPECT_EQ(scale->MinLimit(), -2e7);
            EXPECT_EQ(scale->MaxLimit(), 2e7);
            EXPECT_EQ(scale->DefaultMin(), scale->Min());
            EXPECT_EQ(scale->DefaultMax(), scale->Max());
            EXPECT_LT(scale->Min(), scale->Max());
            EXPECT_EQ(scale->PenColorValue(), s->PenObject()->Color());
            if (auto* e = qobject_cast<TWKExpressionSeries*>(s)) {
                formula = e;
                EXPECT_EQ(e->FormulaText(), "S1200*2");
                EXPECT_EQ(scale->Caption(), "Сумма оборотов");
                continue;
            }
            const TSensDescr d = GetSensDescr(s->GID(), QString());
            EXPECT_EQ(scale->Caption(), d.Units.isEmpty() ? d.Name : d.Name + " " + d.Units);
            EXPECT_EQ(scale->PenColorValue(), TColor(d.Color));
            if (s->GID() == 1200) rpm = s;
        }
        ASSERT_TRUE(formula && rpm);

        // The series bind at the next poll and follow the simulator.
        NotifyServices(seBindStreams, nullptr);
        SecondaryServices->ProcessTimer();
        EXPECT_TRUE(rpm->Link());
        EXPECT_TRUE(formula->Link());
        TSensorDataStream* ts = list.GetStreamByID("Time1s.1001");
        EXPECT_NEAR(chart->XScale()->Max(), ts->MainDataArray()->GetValue(ts->GetDataCount() - 1), 1e-9);

        // Find min and max on the rotary speed's strip fits at the next paint.
        TScale* rpmScale = rpm->GetChartScale();
        RightClick(rpmScale->Control());
        ASSERT_EQ(menus.Last, res.pmScale);
        ASSERT_TRUE(res.miFindMinMax->isEnabled());
        res.miFindMinMax->trigger();
        EXPECT_EQ(rpmScale->Control()->Tag(), 1);
        PlotImage(field);
        EXPECT_EQ(rpmScale->Control()->Tag(), 0);
        double mn = 0, mx = 0;
        rpm->GetMinMaxYValues(mn, mx);
        ASSERT_LT(mn, mx);
        EXPECT_LE(rpmScale->Min(), mn);
        EXPECT_GE(rpmScale->Max(), mx);
        EXPECT_LT(rpmScale->Max() - rpmScale->Min(), 3 * (mx - mn)) << "fitted, not the default range";
        SaveArtifact(chart->grab().toImage(), "ChartPopupMenusEndToEnd");

        // The X strip offers its properties only.
        RightClick(chart->XScale()->Control());
        const QList<QAction*> items = res.pmScale->Menu()->actions();
        EXPECT_TRUE(items.first()->isVisible());
        for (int i = 1; i < items.size(); ++i) EXPECT_FALSE(items[i]->isVisible()) << items[i]->text().toStdString();

        // Two more on the rotary speed's scale, then one of the three deleted.
        RightClick(rpmScale->Control());
        ScriptPicker(*ui, {"Глубина", "Тал. блок"});
        res.miAddScaleParam->trigger();
        ASSERT_EQ(OnScale(*chart, rpmScale).size(), 3u);
        EXPECT_EQ(field->Scales().Count(), 3);
        RightClick(rpmScale->Control());
        EXPECT_EQ(res.miDeleteSeries->text(), "Удалить графики со шкалы...");
        ScriptPicker(*ui, {"Тал. блок"});
        res.miDeleteSeries->trigger();
        std::vector<TSeries*> left = OnScale(*chart, rpmScale);
        ASSERT_EQ(left.size(), 2u);
        for (TSeries* s : left) EXPECT_NE(qobject_cast<TWKChartBaseSeries*>(s)->GID(), 103);
        EXPECT_EQ(chart->GetSeriesCount(), 4);

        // A scale of one series goes with its series.
        TScale* formulaScale = formula->GetChartScale();
        RightClick(formulaScale->Control());
        EXPECT_EQ(res.miDeleteSeries->text(), "Удалить шкалу");
        res.miDeleteSeries->trigger();
        EXPECT_EQ(field->Scales().Count(), 2);
        EXPECT_EQ(chart->GetSeriesCount(), 3);
        EXPECT_EQ(field->GridIndex(), 0);

        // Two comments on the plot area share one series.
        for (const char* text : {"Наращивание", "Проработка"}) {
            RightClick(field->Client(), QPoint(200, 100));
            ui->ScriptDialogOnce("TdlgInputComment", [text](QObject* o) {
                auto& d = *qobject_cast<TdlgInputComment*>(o);
                d.edComment->setText(QString::fromUtf8(text));
                d.OKBtn->click();
                return DialogResult(d);
            });
            res.miAddComment->trigger();
        }
        auto* comments = qobject_cast<TWKCommentSeries*>(field->FindSeries(QStringLiteral("Comments")));
        ASSERT_TRUE(comments);
        EXPECT_EQ(comments->Comments().size(), 2u);
        EXPECT_EQ(chart->GetSeriesCount(), 4);

        // The chart as it now stands reads back to the same text.
        const QString text = ComponentToString(chart.get());
        SaveTextArtifact(text, "ChartPopupMenusEndToEnd.txt");
        EXPECT_FALSE(text.contains("TWKCommentSeries")) << "comments are not kept with the form";
        std::unique_ptr<TWKChart> copy(dynamic_cast<TWKChart*>(StringToComponent(text, nullptr)));
        ASSERT_TRUE(copy);
        const QString again = ComponentToString(copy.get());
        SaveTextArtifact(again, "ChartPopupMenusEndToEnd-read.txt");
        EXPECT_EQ(again, text);
        EXPECT_EQ(copy->Fields().Items(0)->Scales().Count(), 2);
        EXPECT_EQ(copy->GetSeriesCount(), 3);
        EXPECT_EQ(copy->Fields().Items(0)->Scales().Items(0)->PopupMenu(), res.pmScale);
    }
    FreeServicesAndNetwork();
    SetServiceLoader({});
    wells.reset();
    SetUIServices(previousUI);
    FinalizeConvSys();
    TdmService::SetCurrent(nullptr);
}
}  // namespace
