// A depth review as a user makes one: the workstation's manager on the
// build's LAS plug-ins, a generated LAS file in the folder the settings name,
// a curve added through the chart's popup and the picker, a formula over it,
// the data loaded and the chart drawn.
#include "Menus.h"
#include "ModalDialogs.h"
#include "RegIniFile.h"
#include "ReviewTestSupport.h"
#include "SketchDLLMan.h"
#include "StateTree.h"
#include "dlg_SelectParam.h"
#include "WKConsts.h"
#include "dm_CommonRes.h"
#include "fm_Review.h"
#include "fm_WelvistaMain.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace ReviewTest;

namespace {

constexpr TColor Red = TColor(0x0000FF);
constexpr TColor Blue = TColor(0xFF0000);

// GR sweeps 0..100 and back every 20 m; nothing between 40 and 50 m.
double Curve(double depth) {
    const double phase = std::fmod(depth, 20.0) / 20.0;
    return phase < 0.5 ? 200 * phase : 200 * (1 - phase);
}
bool InGap(double depth) { return depth > 40.0 + 1e-9 && depth < 50.0 - 1e-9; }

void WriteSweep(const QString& folder) {
    std::vector<std::vector<double>> rows;
    for (int i = 0; i <= 1000; ++i) {
        const double d = i / 10.0;
        rows.push_back({d, InGap(d) ? -9999 : Curve(d)});
    }
    WriteLas(folder + "/sweep.las", {"DEPT", "GR"}, rows);
}

// The LAS plug-ins of the build, their folder set to dir.
void ActivateLas(const QString& dir) {
    TRegIniFile("Software\\Korva\\Plotmere").WriteString("LAS", "Folder", dir);
    Welvista::ActivatePlugins();
}

// Pops pmField up on the plot area as a right click would, then runs a command.
void RunFieldCommand(TGraphion& chart, int field, QAction* command) {
    TdmCommonRes& res = dmCommonRes();
    res.pmField->ShowHandler = [](TPopupMenu*) {};
    res.pmField->Popup(chart.Fields().Items(field)->Client(), QPoint(10, 10));
    command->trigger();
}

int CountColour(const QImage& img, QColor c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) == c;
    return n;
}

TEST(Review, RecordedReviewEndToEnd) {
    TReviewScope scope;
    scope.StartCatalogue();
    QTemporaryDir lasDir;
    WriteSweep(lasDir.path());
    ActivateLas(lasDir.path());
    Welvista::TPluginManager& plugins = Welvista::PluginManager();
    ASSERT_NE(plugins.GetSystemByID("LAS"), nullptr) << scope.UI->Messages.join('\n').toStdString();
    ASSERT_NE(plugins.GetSourceByID("LAS.Curves"), nullptr);

    std::unique_ptr<TfmReview> form(CreateReviewForm(false, 0, 100));
    form->resize(800, 600);
    TGraphion& chart = *form->Chart();
    EXPECT_FALSE(form->IsDateTime());
    EXPECT_EQ(form->GetDocument()->DataClass(), 1);

    // "Добавить графики...": the picker offers the file's curves; GR is checked.
    TSensDescrArray offered;
    scope.UI->ScriptDialogOnce("TdlgSelectParam", [&](QObject* d) {
        auto& dlg = *qobject_cast<TdlgSelectParam*>(d);
        dlg.show();
        offered = dlg.FParams;
        EXPECT_FALSE(dlg.cbPrimary->isVisible());
        for (TTreeNode* n : dlg.tvParams->Nodes())
            if (n->text(0) == "GR") {
                dlg.tvParams->SetSelected(n);
                QTest::keyClick(dlg.tvParams, Qt::Key_Space);
            }
        dlg.OKBtn->click();
        return DialogResult(dlg);
    });
    RunFieldCommand(chart, 0, dmCommonRes().actAddSeries);
    EXPECT_EQ(dmCommonRes().CurrentDataClass(), 1);
    ASSERT_EQ(offered.size(), 2) << scope.UI->Messages.join('\n').toStdString();
    ASSERT_EQ(chart.GetSeriesCount(), 1);
    auto* line = qobject_cast<TExLineSeries*>(chart.GetSeries(0));
    ASSERT_NE(line, nullptr);
    // The curve is named with its file: another file's GR is another curve.
    EXPECT_EQ(line->ID().toString(), "sweep.las|GR");
    EXPECT_EQ(line->SourceID(), "LAS.Curves");
    EXPECT_EQ(line->SystemID(), "LAS");
    TScale* lineScale = chart.Fields().Items(0)->Scales().Items(line->ScaleIndex());
    EXPECT_EQ(lineScale->Caption(), line->Caption());
    EXPECT_EQ(std::make_pair(lineScale->Min(), lineScale->Max()), std::make_pair(0.0, 100.0));
    EXPECT_EQ(lineScale->PopupMenu(), dmCommonRes().pmScale);
    line->PenObject()->SetColor(Red);
    lineScale->SetPenColorValue(Red);

    // A formula over the curve, in a field of its own, in blue.
    TChartField& second = *chart.Fields().Add();
    TSensDescr f;
    f.StrID = "{LAS.GR}";
    f.Name = "Формула";
    f.Flags = TSensorFlags{sfCalculated};
    f.Color = int(Blue);
    f.Min = 0;
    f.Max = 100;
    auto* formula = qobject_cast<TExpressionLineSeries*>(AddReviewSeries(chart, second, f, false, dmCommonRes().pmScale));
    ASSERT_NE(formula, nullptr);
    // Before any load the formula binds nowhere, and caches nothing.
    EXPECT_THROW(formula->CacheRanges(NaN, NaN), Exception);
    EXPECT_TRUE(formula->Cache().empty());

    form->LoadData();
    EXPECT_TRUE(scope.UI->Messages.isEmpty()) << scope.UI->Messages.join('\n').toStdString();
    EXPECT_DOUBLE_EQ(chart.XScale()->MinLimit(), 0.0);
    EXPECT_DOUBLE_EQ(chart.XScale()->MaxLimit(), 100.0);

    // The curve's runs skip the gap: 0..40 m and 50..100 m.
    ASSERT_EQ(line->Cache().size(), 2u);
    const TReviewRun& before = line->Cache()[0];
    const TReviewRun& after = line->Cache()[1];
    EXPECT_DOUBLE_EQ(before.Main->GetAsDouble(before.First), 0.0);
    EXPECT_NEAR(before.Main->GetAsDouble(before.Last), 40.0, 1e-9);
    EXPECT_NEAR(after.Main->GetAsDouble(after.First), 50.0, 1e-9);
    EXPECT_NEAR(after.Main->GetAsDouble(after.Last), 100.0, 1e-9);

    // The formula on its 0.2 m grid equals the curve, empty in the gap.
    TDataBlock* expressions = form->GetDocument()->Blocks().GetBlockByID(ExpressionsSourceID);
    ASSERT_NE(expressions, nullptr);
    TDataSegment* grid = expressions->GetMainSegment();
    TDataSegment* values = expressions->GetDataSegment("{LAS.GR}");
    ASSERT_EQ(grid->GetCount(), 500);
    ASSERT_EQ(values->GetCount(), 500);
    int compared = 0;
    for (int k = 0; k < 500; ++k) {
        const double d = grid->GetAsDouble(k);
        if (InGap(d)) {
            EXPECT_TRUE(values->GetIsEmpty(k)) << d;
        } else {
            EXPECT_NEAR(values->GetAsDouble(k), Curve(std::round(d * 10) / 10), 1e-4) << d;
            ++compared;
        }
    }
    EXPECT_GT(compared, 400);
    EXPECT_EQ(formula->Cache().size(), 2u);

    // The chart drawn offscreen shows both lines.
    form->show();
    QCoreApplication::processEvents();
    QImage img(800, 600, QImage::Format_ARGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        form->render(&p);
    }
    if (const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS"); !dir.isEmpty()) img.save(dir + "/review.png");
    EXPECT_GT(line->LastPoints(), 500);
    EXPECT_GT(formula->LastPoints(), 400);
    EXPECT_GT(CountColour(img, QColor(255, 0, 0)), 200);
    EXPECT_GT(CountColour(img, QColor(0, 0, 255)), 200);

    // A value label where the user clicks on the red line.
    TScale& xs = *chart.XScale();
    const int x = xs.Prj(15.0), y = lineScale->Prj(Curve(15.0));
    EXPECT_TRUE(line->MouseDown(&xs, lineScale, Qt::LeftButton, {}, x, y));
    ASSERT_EQ(line->Labels().Count(), 1);
    EXPECT_FALSE(line->Labels().GetLabel(0)->Text.isEmpty());
    EXPECT_FALSE(line->MouseDown(&xs, lineScale, Qt::LeftButton, {}, x, y + 100));
}

TEST(Review, LoadDataGuardsEachSeriesAndKeepsLimitsWithoutData) {
    TReviewScope scope;
    QTemporaryDir lasDir;
    WriteSweep(lasDir.path());
    ActivateLas(lasDir.path());
    std::unique_ptr<TfmReview> form(CreateReviewForm(false, 0, 100));
    TGraphion& chart = *form->Chart();
    TChartField& field = *chart.Fields().Items(0);
    TSensDescr bad;
    bad.StrID = "{WITS.GR}+1";
    bad.Name = "bad";
    bad.Flags = TSensorFlags{sfCalculated};
    TSensDescr good;
    good.StrID = "GR";
    good.StreamID = "LAS.Curves";
    good.SystemID = "LAS";
    good.Name = "GR";
    AddReviewSeries(chart, field, bad, false, nullptr);
    auto* line = static_cast<TExLineSeries*>(AddReviewSeries(chart, field, good, false, nullptr));
    form->LoadData();
    ASSERT_EQ(scope.UI->Messages.size(), 1);
    EXPECT_TRUE(scope.UI->Messages[0].startsWith(SFunctionBindFail)) << scope.UI->Messages[0].toStdString();
    EXPECT_EQ(line->Cache().size(), 2u);
    EXPECT_DOUBLE_EQ(chart.XScale()->MaxLimit(), 100.0);

    // No LAS file: nothing qualifies, the limits stay and the user is told once.
    QTemporaryDir empty;
    TRegIniFile("Software\\Korva\\Plotmere").WriteString("LAS", "Folder", empty.path());
    std::unique_ptr<TfmReview> other(CreateReviewForm(false, 0, 100));
    AddReviewSeries(*other->Chart(), *other->Chart()->Fields().Items(0), good, false, nullptr);
    const double lo = other->Chart()->XScale()->MinLimit(), hi = other->Chart()->XScale()->MaxLimit();
    scope.UI->Messages.clear();
    other->LoadData();
    EXPECT_EQ(other->Chart()->XScale()->MinLimit(), lo);
    EXPECT_EQ(other->Chart()->XScale()->MaxLimit(), hi);
    EXPECT_EQ(scope.UI->Messages, QStringList{SNoReviewData});
}

TEST(Review, AFailedLoadKeepsTheChartAndNamesTheFile) {
    TReviewScope scope;
    QTemporaryDir lasDir;
    WriteSweep(lasDir.path());
    ActivateLas(lasDir.path());
    std::unique_ptr<TfmReview> form(CreateReviewForm(false, 0, 100));
    form->resize(800, 600);
    TGraphion& chart = *form->Chart();
    TSensDescr gr;
    gr.StrID = "sweep.las|GR";
    gr.StreamID = "LAS.Curves";
    gr.SystemID = "LAS";
    gr.Name = "GR";
    auto* line = static_cast<TExLineSeries*>(AddReviewSeries(chart, *chart.Fields().Items(0), gr, false, nullptr));
    form->LoadData();
    ASSERT_TRUE(scope.UI->Messages.isEmpty()) << scope.UI->Messages.join('\n').toStdString();
    ASSERT_EQ(line->Cache().size(), 2u);

    // The file is being copied again: only its first bytes are there yet.
    const QString path = lasDir.filePath("sweep.las");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(200));
    file.close();
    form->LoadData();
    ASSERT_EQ(scope.UI->Messages.size(), 1);
    EXPECT_TRUE(scope.UI->Messages[0].contains("sweep.las: ~ASCII Log data section not found"))
        << scope.UI->Messages[0].toStdString();
    // The chart still draws what it drew.
    ASSERT_EQ(line->Cache().size(), 2u);
    for (const TReviewRun& run : line->Cache()) {
        ASSERT_TRUE(run.Main && run.Values);
        EXPECT_NEAR(run.Values->GetAsDouble(run.First), Curve(run.Main->GetAsDouble(run.First)), 1e-9);
    }
    EXPECT_DOUBLE_EQ(chart.XScale()->MinLimit(), 0.0);
    EXPECT_DOUBLE_EQ(chart.XScale()->MaxLimit(), 100.0);
    form->show();
    QImage img(800, 600, QImage::Format_ARGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        form->render(&p);
    }
    EXPECT_GT(line->LastPoints(), 500);
}

}  // namespace

namespace {

TEST(Review, MainWindowOffersTheSetupOfDataSourceSystems) {
    TReviewScope scope;
    QTemporaryDir programDir;
    InitWKConsts({QStringLiteral("Welvista2")}, programDir.filePath("Welvista2"));
    QStringList entries;
    {
        TfmMain main;
        QAction* las = nullptr;
        for (QAction* a : main.mmSetup->actions()) {
            entries << a->text();
            if (a->text() == "Настройка источника данных LAS...") las = a;
        }
        ASSERT_NE(las, nullptr) << entries.join('|').toStdString();
        EXPECT_EQ(las->data().toInt(), entries.indexOf(las->text()));
        // The entry runs the system's own setup: the LAS folder is asked for.
        scope.UI->InputAnswers.push_back("/srv/logs");
        las->trigger();
        EXPECT_EQ(TRegIniFile("Software\\Korva\\Plotmere").ReadString("LAS", "Folder"), "/srv/logs");
        // Review forms are known to the main window's commands.
        std::unique_ptr<TfmReview> form(CreateReviewForm(true, 0, 1));
        ASSERT_TRUE(FormKindHooks().IsReviewForm);
        EXPECT_TRUE(FormKindHooks().IsReviewForm(form.get()));
        TBaseMDIForm plain;
        EXPECT_FALSE(FormKindHooks().IsReviewForm(&plain));
    }
    InitWKConsts({}, QCoreApplication::applicationFilePath());
    EXPECT_EQ(entries.count("Настройка источника данных LAS..."), 1);
}

}  // namespace
