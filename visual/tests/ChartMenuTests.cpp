// The chart and grid popup menus of dmControlRes: which items a popup offers,
// and their commands on a chart without live data.
#include "VisualTestSupport.h"

#include "../../chart/tests/ChartTestSupport.h"
#include "ChartMenuTestSupport.h"
#include "DebugOutput.h"
#include "WKContextHandling.h"
#include "WKFormText.h"
#include "WKSensGrid.h"
#include "EditControls.h"
#include "Swatchbox.h"
#include "WKServices.h"
#include "dlg_InputComment.h"
#include "dlg_SetupSeries.h"
#include "fr_Chart.h"

#include <QComboBox>
#include <QLineEdit>
#include <memory>

namespace {
class ChartMenus : public VisualTest {
protected:
    void SetUp() override {
        VisualTest::SetUp();
        ASSERT_TRUE(dmControlRes) << "the module is made when the application starts";
        Chart = std::make_unique<TWKChart>();
        Chart->SetIsDateTime(true);
        Chart->XScale()->SetMinMax(46000, 46000 + 1.0 / 12);
        Chart->resize(700, 450);
        Chart->show();
        Recorder = std::make_unique<TMenuRecorder>();
    }
    void TearDown() override {
        Recorder.reset();
        Chart.reset();
        VisualTest::TearDown();
    }
    TChartField* Field(int i = 0) { return Chart->Fields().Items(i); }
    // A value scale of field 0 carrying n series of the kind.
    template <class T>
    TScale* ScaleWith(int n, int firstGid = 101) {
        TScale* scale = Field()->Scales().Add();
        scale->SetPopupMenu(dmControlRes->pmScale);
        for (int i = 0; i < n; ++i) {
            auto* s = new T(Chart.get());
            s->SetFieldInd(0);
            s->SetScaleInd(scale->Index());
            s->SetGID(firstGid + i);
            Chart->InsertSeries(s);
        }
        Chart->Realign();
        return scale;
    }
    TPopupMenu* Open(QWidget* w) {
        Recorder->Last = nullptr;
        RightClick(w);
        return Recorder->Last;
    }
    std::vector<TSeries*> OnScale(TScale* s) {
        std::vector<TSeries*> list;
        Chart->GetScaleSeries(s, list);
        return list;
    }
    TdmControlRes& Res() { return *dmControlRes; }

    std::unique_ptr<TWKChart> Chart;
    std::unique_ptr<TMenuRecorder> Recorder;
};

TEST_F(ChartMenus, ChartsCarryTheModulesMenus) {
    EXPECT_EQ(Chart->PopupMenu(), Res().pmChart);
    EXPECT_EQ(Chart->XScale()->PopupMenu(), Res().pmScale);
    EXPECT_EQ(Field()->Client()->PopupMenu(), Res().pmChart);
    // The menus are written as references to the module and found again on reading.
    TScale* s = ScaleWith<TWKChartSeries>(1);
    const QString text = ComponentToString(Chart.get());
    EXPECT_TRUE(text.contains("dmControlRes.pmScale")) << text.toStdString();
    std::unique_ptr<TWKChart> copy(dynamic_cast<TWKChart*>(StringToComponent(text, nullptr)));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->PopupMenu(), Res().pmChart);
    EXPECT_EQ(copy->XScale()->PopupMenu(), Res().pmScale);
    EXPECT_EQ(copy->Fields().Items(0)->Scales().Items(s->Index())->PopupMenu(), Res().pmScale);
    EXPECT_EQ(ComponentToString(copy.get()), text);
}

TEST_F(ChartMenus, MenusAsTheyStand) {
    struct Row {
        TPopupMenu* Menu;
        QStringList Captions;
    };
    const Row rows[] = {
        {Res().pmChart,
         {"Настройка диаграммы...", "Добавить графики...", "Добавить цифровые отметки...", "Удалить метки значений",
          "Скрыть/Показать шкалы", "Статиcтика...", "Добавить комментарий...", "", "Добавить поле", "Удалить поле"}},
        {Res().pmScale,
         {"Свойства шкалы...", "Свойства графика...", "Добавить графики на шкалу...", "Поиск минимума и максимума",
          "Удалить график", ""}},
        {Res().pmValues,
         {"Свойства таблицы...", "Добавить параметры...", "Свойства параметра...", "Удалить параметр", ""}},
    };
    for (const Row& r : rows) {
        QStringList captions;
        const QList<QAction*> items = r.Menu->Menu()->actions();
        for (int i = 0; i < r.Captions.size() && i < items.size(); ++i) captions << items[i]->text();
        EXPECT_EQ(captions, r.Captions) << r.Menu->Name().toStdString();
    }
    EXPECT_EQ(Res().pmChart->DefaultItem(), Res().miSC);
    EXPECT_EQ(Res().pmValues->DefaultItem(), Res().miProperties);
    EXPECT_EQ(Res().pmScale->DefaultItem(), nullptr);
    EXPECT_EQ(Res().miClearLabels->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    EXPECT_EQ(Res().miHideScales->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
    EXPECT_EQ(Res().ChartProperties->toolTip(), "Диалог настроек графика");
    // Icons: a disabled item shows its picture greyed.
    ASSERT_GE(Res().ilCommon->Count(), 11);
    const QImage disabled = Res().miSC->icon().pixmap(16, QIcon::Disabled).toImage();
    const QImage normal = Res().miSC->icon().pixmap(16, QIcon::Normal).toImage();
    ASSERT_FALSE(disabled.isNull());
    bool colouredNormal = false, colouredDisabled = false;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const QColor n = normal.pixelColor(x, y), d = disabled.pixelColor(x, y);
            colouredNormal = colouredNormal || (n.alpha() > 0 && n.hsvSaturation() > 60);
            colouredDisabled = colouredDisabled || (d.alpha() > 0 && d.hsvSaturation() > 10);
        }
    EXPECT_TRUE(colouredNormal);
    EXPECT_FALSE(colouredDisabled);
}

TEST_F(ChartMenus, ScaleMenuItemsByStripAndSeries) {
    struct Case {
        bool ValueStrip;
        int Series;
        bool Digital;
    };
    const QStringList later{"miSeriesProperties", "miAddScaleParam", "miFindMinMax", "miDeleteSeries"};
    for (const Case c : {Case{false, 0, false}, Case{true, 0, false}, Case{true, 1, false}, Case{true, 3, false},
                         Case{true, 1, true}, Case{true, 3, true}}) {
        SCOPED_TRACE(testing::Message() << "value strip " << c.ValueStrip << ", series " << c.Series << ", digital "
                                        << c.Digital);
        TScale* scale = c.Digital ? ScaleWith<TWKDigitalSeries>(c.Series) : ScaleWith<TWKChartSeries>(c.Series);
        QWidget* strip = c.ValueStrip ? scale->Control() : Chart->XScale()->Control();
        TPopupMenu* m = Open(strip);
        ASSERT_EQ(m, Res().pmScale);
        EXPECT_EQ(m->PopupComponent(), strip);
        EXPECT_TRUE(Res().ChartProperties->isVisible());
        const QList<QAction*> items = m->Menu()->actions();
        for (int i = 1; i < items.size(); ++i) EXPECT_EQ(items[i]->isVisible(), c.ValueStrip) << i;
        if (c.ValueStrip) {
            const bool line = !c.Digital;
            EXPECT_EQ(Res().miAddScaleParam->isEnabled(), c.Series == 0 || line);
            EXPECT_EQ(Res().miSeriesProperties->isEnabled(), c.Series > 1);
            EXPECT_EQ(Res().miFindMinMax->isEnabled(), c.Series > 0 && line);
            EXPECT_TRUE(Res().miDeleteSeries->isEnabled());
            EXPECT_EQ(Res().miDeleteSeries->text(), c.Series < 2 ? "Удалить шкалу" : "Удалить графики со шкалы...");
        } else {
            EXPECT_FALSE(Res().miDeleteSeries->isEnabled());
        }
        Field()->Scales().Delete(scale->Index());
    }
}

TEST_F(ChartMenus, ChartMenuOnPanelAndPlotArea) {
    ASSERT_EQ(Open(Chart.get()), Res().pmChart);
    EXPECT_EQ(Res().pmChart->PopupComponent(), Chart.get());
    EXPECT_FALSE(Res().miAddSeries->isEnabled());
    EXPECT_FALSE(Res().miAddDigitalSeries->isEnabled());
    EXPECT_FALSE(Res().miDeleteField->isEnabled());

    ASSERT_EQ(Open(Field()->Client()), Res().pmChart);
    EXPECT_EQ(Res().GetChart(Res().miSC), Chart.get());
    EXPECT_EQ(Res().GetField(Res().miAddSeries), Field());
    EXPECT_TRUE(Res().miAddSeries->isEnabled());
    EXPECT_TRUE(Res().miAddDigitalSeries->isEnabled());
    EXPECT_FALSE(Res().miDeleteField->isEnabled());
    Res().miAddField->trigger();
    ASSERT_EQ(Chart->Fields().Count(), 2);
    Open(Field(1)->Client());
    EXPECT_TRUE(Res().miDeleteField->isEnabled());
    // "Удалить поле" frees the field clicked, and nothing from the panel.
    Open(Chart.get());
    Res().miDeleteField->trigger();
    EXPECT_EQ(Chart->Fields().Count(), 2);
    TChartField* second = Field(1);
    Open(second->Client());
    Res().miDeleteField->trigger();
    ASSERT_EQ(Chart->Fields().Count(), 1);
    EXPECT_NE(Field(0), second);
}

TEST_F(ChartMenus, HideAndShowScales) {
    TScale* a = ScaleWith<TWKChartSeries>(1);
    TScale* b = ScaleWith<TWKChartSeries>(1, 200);
    Open(Field()->Client());
    // Any visible scale: all are hidden; none visible: all are shown.
    b->SetVisible(false);
    Res().miHideScales->trigger();
    EXPECT_FALSE(a->Visible());
    EXPECT_FALSE(b->Visible());
    Res().miHideScales->trigger();
    EXPECT_TRUE(a->Visible());
    EXPECT_TRUE(b->Visible());
    Res().miHideScales->trigger();
    EXPECT_FALSE(a->Visible());
    // Ctrl+H on the chart does the same.
    QTest::keyClick(Chart.get(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(a->Visible());
    EXPECT_TRUE(b->Visible());
}

// Hiding the value scales (Ctrl+H) gives their room to the plot areas and leaves
// the curves at the heights of their values; showing them again restores the
// picture. Checked on the chart's pixels.
TEST_F(ChartMenus, HiddenScalesKeepCurvesInPlace) {
    SecondaryServices = std::make_unique<TSecondaryServices>(QStringLiteral("HandFilled"), false);
    auto* stream = SecondaryServices->Streams().Add(std::make_unique<TSensorDataStream>(
        0, QStringLiteral("Time1s"), QStringLiteral("Time1s"), QStringLiteral("SrcTime"), 1, true, 1000));
    stream->AddSensor(0);
    stream->AddSensor(101);
    stream->AddSensor(1200);
    for (int i = 0; i <= 120; ++i) {
        stream->AddRecord();
        stream->MainDataArray()->SetLast(46000 + i / 1440.0);
        stream->GetSensor(101)->SetLast(30);
        stream->GetSensor(1200)->SetLast(70);
    }
    const struct {
        TScale* Scale;
        double Value;
        QColor Colour;
    } curves[] = {{ScaleWith<TWKChartSeries>(1, 101), 30, Qt::blue}, {ScaleWith<TWKChartSeries>(1, 1200), 70, Qt::red}};
    for (const auto& c : curves) static_cast<TWKChartSeries*>(OnScale(c.Scale)[0])->SetPen(QPen(c.Colour, 1));
    TFieldClientBox* plot = Field()->Client();
    auto plotLeft = [&] { return plot->mapTo(Chart.get(), QPoint(0, 0)).x(); };
    const int plotTop = plot->mapTo(Chart.get(), QPoint(0, 0)).y();
    // Rows in the chart where a curve of that colour shows in a column.
    auto rowsOf = [](const QImage& img, int x, QColor colour) {
        std::vector<int> rows;
        for (int y = 0; y < img.height(); ++y)
            if (img.pixelColor(x, y) == colour) rows.push_back(y);
        return rows;
    };
    auto expectCurves = [&](const QImage& img, int x) {
        for (const auto& c : curves) {
            const int row = plotTop + static_cast<int>(std::lround(ExpectedAlong(*c.Scale, c.Value)));
            EXPECT_EQ(rowsOf(img, x, c.Colour), std::vector<int>{row}) << "column " << x << ", value " << c.Value;
        }
    };
    const QImage shown = Chart->grab().toImage();
    const int left = plotLeft();
    ASSERT_GT(left, 30) << "two value strips stand left of the plot";
    expectCurves(shown, left + plot->width() / 2);

    QTest::keyClick(Chart.get(), Qt::Key_H, Qt::ControlModifier);
    ASSERT_FALSE(curves[0].Scale->Visible());
    const QImage hidden = Chart->grab().toImage();
    SaveArtifact(hidden, "HiddenScales");
    EXPECT_LT(plotLeft(), 5) << "the plot area takes the strips' room";
    EXPECT_EQ(curves[0].Scale->Control()->height(), Field()->Control()->height());
    // The curves run on through where the strips stood, at the same heights, and
    // nothing of the strips is left there.
    for (int x : {plotLeft() + 2, left / 2, left - 3, left + plot->width() / 2}) expectCurves(hidden, x);
    int stale = 0;
    for (int y = plotTop; y < plotTop + plot->height(); ++y)
        for (int x = plotLeft(); x < left; ++x) stale += hidden.pixelColor(x, y) == QColor(Qt::black);
    EXPECT_EQ(stale, 0) << "no strip text or ticks left in the freed room";

    QTest::keyClick(Chart.get(), Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(curves[0].Scale->Visible());
    EXPECT_EQ(plotLeft(), left);
    EXPECT_EQ(Chart->grab().toImage(), shown);
    Chart.reset();
    SecondaryServices.reset();
}

TEST_F(ChartMenus, AddedParametersBecomeScalesAndSeries) {
    Open(Field()->Client());
    const QString before = ComponentToString(Chart.get());
    ScriptPicker(*UI, {});
    Res().miAddSeries->trigger();
    EXPECT_EQ(ComponentToString(Chart.get()), before) << "cancelled picker";

    TSensSelection seen;
    ScriptPicker(*UI, {"Глубина", "Обороты ротора"}, &seen);
    Res().miAddSeries->trigger();
    EXPECT_TRUE(seen.Contains(ssTime) && seen.Contains(ssForemostStream) && seen.Contains(ssFormulas));
    EXPECT_FALSE(seen.Contains(ssDepth));
    ASSERT_EQ(Field()->Scales().Count(), 2);
    ASSERT_EQ(Chart->GetSeriesCount(), 2);
    for (int i = 0; i < 2; ++i) {
        auto* s = qobject_cast<TWKChartSeries*>(Chart->GetSeries(i));
        ASSERT_TRUE(s);
        EXPECT_FALSE(qobject_cast<TWKExpressionSeries*>(s));
        const TSensDescr d = GetSensDescr(s->GID(), QString());
        TScale* scale = s->GetChartScale();
        ASSERT_TRUE(scale);
        EXPECT_EQ(scale->Caption(), d.Units.isEmpty() ? d.Name : d.Name + " " + d.Units);
        EXPECT_EQ(scale->PenColorValue(), TColor(d.Color));
        EXPECT_EQ(s->PenObject()->Color(), TColor(d.Color));
        EXPECT_EQ(scale->MinLimit(), -2e7);
        EXPECT_EQ(scale->MaxLimit(), 2e7);
        EXPECT_EQ(scale->DefaultMin(), scale->Min());
        EXPECT_EQ(scale->DefaultMax(), scale->Max());
        if (d.Max > d.Min && d.Max - d.Min < 2e6) {
            EXPECT_DOUBLE_EQ(scale->Min(), std::max(d.Min, -1e6));
        }
        EXPECT_EQ(scale->PopupMenu(), Res().pmScale);
        EXPECT_EQ(s->Units(), d.Units);
        EXPECT_EQ(s->Precision(), d.Precision);
        EXPECT_EQ(s->StreamID(), "Time1s") << "the foremost time stream";
    }
    EXPECT_EQ(Field()->GridIndex(), 0);

    // Digital marks: each on its own scale of [0, 10] with a fixed size.
    ScriptPicker(*UI, {"Тал. блок"});
    Res().miAddDigitalSeries->trigger();
    ASSERT_EQ(Chart->GetSeriesCount(), 3);
    auto* digital = qobject_cast<TWKDigitalSeries*>(Chart->GetSeries(2));
    ASSERT_TRUE(digital);
    EXPECT_TRUE(digital->ByMainParam());
    EXPECT_EQ(digital->Step(), 1);
    TScale* ds = Field()->Scales().Items(2);
    EXPECT_EQ(ds->StepType(), sttFixedSize);
    EXPECT_EQ(ds->Min(), 0);
    EXPECT_EQ(ds->Max(), 10);
    EXPECT_EQ(ds->DefaultMax(), 10);
}

TEST_F(ChartMenus, DeletingThroughTheScaleMenu) {
    TScale* three = ScaleWith<TWKChartSeries>(0);
    Open(three->Control());
    ScriptPicker(*UI, {"Глубина", "Обороты ротора", "Тал. блок"});
    Res().miAddScaleParam->trigger();
    ASSERT_EQ(OnScale(three).size(), 3u);
    EXPECT_EQ(Field()->Scales().Count(), 1);

    // The picker offers exactly the scale's parameters, each pointing at its series.
    Open(three->Control());
    TSensDescrArray params;
    Res().GetScaleParams(QString(), params);
    ASSERT_EQ(params.size(), 3);
    std::vector<TSeries*> list = OnScale(three);
    for (const TSensDescr& d : params) {
        ASSERT_GE(d.Priority, 0);
        ASSERT_LT(d.Priority, 3);
        EXPECT_EQ(qobject_cast<TWKChartBaseSeries*>(list[size_t(d.Priority)])->GID(), d.GID);
    }
    QStringList offered;
    ScriptPickerOffer(*UI, offered);
    Res().miDeleteSeries->trigger();
    offered.sort();
    EXPECT_EQ(offered, (QStringList{"Глубина", "Обороты ротора", "Тал. блок"}));
    EXPECT_EQ(OnScale(three).size(), 3u) << "cancelled";

    ScriptPicker(*UI, {"Глубина", "Тал. блок"});
    Res().miDeleteSeries->trigger();
    list = OnScale(three);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(GetSensDescr(qobject_cast<TWKChartBaseSeries*>(list[0])->GID(), QString()).Name, "Обороты ротора");

    Open(three->Control());
    EXPECT_EQ(Res().miDeleteSeries->text(), "Удалить шкалу");
    Res().miDeleteSeries->trigger();
    EXPECT_EQ(Field()->Scales().Count(), 0);
    EXPECT_EQ(Chart->GetSeriesCount(), 0);
}

TEST_F(ChartMenus, SeriesPropertiesOfOneOfTheScalesSeries) {
    TScale* scale = ScaleWith<TWKChartSeries>(0);
    Open(scale->Control());
    ScriptPicker(*UI, {"Глубина", "Обороты ротора"});
    Res().miAddScaleParam->trigger();
    std::vector<TSeries*> list = OnScale(scale);
    ASSERT_EQ(list.size(), 2u);
    auto* rpm = qobject_cast<TWKChartBaseSeries*>(list[0])->GID() == 1200 ? list[0] : list[1];
    Open(scale->Control());
    ScriptPicker(*UI, {"Обороты ротора"});
    ScriptOnce<TdlgSetupSeries>(*UI, "TdlgSetupSeries", [](TdlgSetupSeries& d) {
        d.udWidth->SetValue(3);
        d.cbLines->setCurrentIndex(2);
        d.cbColor->SetColor(clLime);
        d.OKBtn->click();
        return DialogResult(d);
    });
    Res().miSeriesProperties->trigger();
    EXPECT_EQ(UI->ShownDialogs.last(), "TdlgSetupSeries: Настройка графика");
    EXPECT_EQ(rpm->PenObject()->Width(), 3);
    EXPECT_EQ(rpm->PenObject()->Style(), TPen::psDot);
    EXPECT_EQ(rpm->PenObject()->Color(), clLime);
    TSeries* other = list[0] == rpm ? list[1] : list[0];
    EXPECT_EQ(other->PenObject()->Width(), 1);
}

TEST_F(ChartMenus, ScalePropertiesByTheFirstSeries) {
    TScale* digitalFormula = ScaleWith<TWKDigitalExpressionSeries>(1);
    TScale* digital = ScaleWith<TWKDigitalSeries>(1);
    TScale* formula = ScaleWith<TWKExpressionSeries>(1);
    TScale* line = ScaleWith<TWKChartSeries>(2);
    TScale* empty = ScaleWith<TWKChartSeries>(0);
    const std::pair<TScale*, QString> cases[] = {
        {digitalFormula, "TdlgSetupDigitalExpSeries"}, {digital, "TdlgSetupDigitalSeries"},
        {formula, "TdlgSetupFormulaScale"},           {line, "TdlgScaleProperties"},
        {empty, "TdlgScaleProperties"},               {Chart->XScale(), "TdlgScaleProperties"},
    };
    const QString before = ComponentToString(Chart.get());
    for (const auto& [scale, dialog] : cases) {
        Open(scale->Control());
        UI->ShownDialogs.clear();
        Res().ChartProperties->trigger();
        ASSERT_EQ(UI->ShownDialogs.size(), 1);
        EXPECT_TRUE(UI->ShownDialogs[0].startsWith(dialog + ":")) << UI->ShownDialogs[0].toStdString();
    }
    EXPECT_EQ(ComponentToString(Chart.get()), before) << "every dialog cancelled";
}

TEST_F(ChartMenus, Comments) {
    // Cancelled on the panel: no field, no series.
    Open(Chart.get());
    const QString before = ComponentToString(Chart.get());
    ScriptOnce<TdlgInputComment>(*UI, "TdlgInputComment", [](TdlgInputComment& d) {
        d.edComment->setText("не надо");
        d.CancelBtn->click();
        return DialogResult(d);
    });
    Res().miAddComment->trigger();
    EXPECT_EQ(ComponentToString(Chart.get()), before);
    EXPECT_EQ(Chart->Fields().Count(), 1);

    for (const char* text : {"Остановка", "Промывка"}) {
        Recorder->Last = nullptr;
        RightClick(Field()->Client(), QPoint(100, 60));
        ScriptOnce<TdlgInputComment>(*UI, "TdlgInputComment", [text](TdlgInputComment& d) {
            d.edComment->setText(QString::fromUtf8(text));
            d.cbColor->SetColor(clRed);
            d.OKBtn->click();
            return DialogResult(d);
        });
        Res().miAddComment->trigger();
    }
    ASSERT_EQ(Chart->GetSeriesCount(), 1);
    auto* comments = qobject_cast<TWKCommentSeries*>(Field()->FindSeries(QStringLiteral("Comments")));
    ASSERT_TRUE(comments);
    ASSERT_EQ(comments->Comments().size(), 2u);
    EXPECT_EQ(comments->Comments()[1].Text, "Промывка");
    EXPECT_EQ(comments->Comments()[1].Y, 60);
    EXPECT_EQ(comments->Comments()[1].Color, QColor(Qt::red));
    EXPECT_NEAR(comments->Comments()[0].X, Chart->GetXValue(100, 60), 1e-12);
}

TEST_F(ChartMenus, StatisticsFindRangeAndLabels) {
    TScale* scale = ScaleWith<TWKChartSeries>(1);
    Open(Field()->Client());
    Res().miStat->trigger();
    EXPECT_TRUE(Chart->SelectionMode());
    EXPECT_EQ(Chart->Hint(), "Укажите мышью диапазон на графике");
    EXPECT_TRUE(Chart->ShowHint());

    Open(scale->Control());
    Res().miFindMinMax->trigger();
    EXPECT_EQ(scale->Control()->Tag(), 1);

    Chart->GetSeries(0)->Labels().Add(46000, 1, "1", Qt::black);
    Open(Field()->Client());
    Res().miClearLabels->trigger();
    EXPECT_EQ(Chart->GetSeries(0)->Labels().Count(), 0);
}

TEST_F(ChartMenus, FailingCommandLeavesTheChart) {
    Open(Field()->Client());
    const QString before = ComponentToString(Chart.get());
    UI->ScriptDialogOnce("TdlgSelectParam", [](QObject*) -> int { throw std::runtime_error("picker broke"); });
    TDebugOutputCapture capture;
    Res().miAddSeries->trigger();
    EXPECT_EQ(ComponentToString(Chart.get()), before);
    EXPECT_TRUE(capture.Lines().join('\n').contains("TdmControlRes.miAddSeriesClick: picker broke"))
        << capture.Lines().join('\n').toStdString();
}

TEST_F(ChartMenus, ValuesMenuOnTheGrid) {
    TSensGrid grid;
    grid.SetVertical(true);
    grid.resize(300, 200);
    grid.show();
    grid.SetPopupMenu(Res().pmValues);
    auto open = [&](QPoint at) {
        Recorder->Last = nullptr;
        Res().pmValues->Popup(&grid, grid.mapToGlobal(at));
        return Recorder->Last;
    };
    ASSERT_EQ(open(QPoint(20, 5)), Res().pmValues);
    EXPECT_FALSE(Res().miRemoveValue->isEnabled()) << "no items";
    EXPECT_FALSE(Res().miGridItemProperties->isEnabled());
    EXPECT_TRUE(Res().miAddValues->isEnabled());
    for (const char* n : {"a", "b"}) grid.SensorList()->Add()->SetName(n);
    grid.AdjustCount();
    const QPoint onSecond = grid.CellRect(0, 1).center();
    open(onSecond);
    EXPECT_TRUE(Res().miRemoveValue->isEnabled());
    EXPECT_TRUE(Res().miGridItemProperties->isEnabled());
    open(QPoint(20, 190));
    EXPECT_FALSE(Res().miRemoveValue->isEnabled()) << "below the rows";
    open(onSecond);
    Res().miRemoveValue->trigger();
    ASSERT_EQ(grid.SensorList()->Count(), 1);
    EXPECT_EQ(grid.SensorList()->Items(0)->Name(), "a");

    TCustomGrid& base = grid;
    base.SetOptions(base.Options() | TCustomGrid::goDrawFocusSelected);
    TdmControlRes::ExcludeSelected(base);
    EXPECT_FALSE(base.Options().testFlag(TCustomGrid::goDrawFocusSelected));
}

TEST_F(ChartMenus, SensorsContextItemsAddedOnce) {
    TWKActionList actions;
    TWKImageList images{QIcon(QPixmap(16, 16))};
    actions.Images = &images;
    int runs = 0;
    QObject::connect(actions.AddAction("Калибровка", "Sensors", 0), &QAction::triggered, [&] { ++runs; });
    actions.AddAction("Чужое", "Other");
    WKContextHandlers().Add(&actions);
    // A module of its own, so that its menus are opened here for the first time.
    TdmControlRes res;
    for (TPopupMenu* m : {res.pmScale, res.pmValues}) m->ShowHandler = [](TPopupMenu*) {};
    TScale* scale = ScaleWith<TWKChartSeries>(1);
    const int scaleItems = int(res.pmScale->Menu()->actions().size());
    const int valueItems = int(res.pmValues->Menu()->actions().size());
    EXPECT_FALSE(res.ScaleMenuPopulated());
    QWidget* strip = scale->Control();
    res.pmScale->Popup(strip, strip->mapToGlobal(QPoint(2, 2)));
    res.pmScale->Popup(strip, strip->mapToGlobal(QPoint(2, 2)));
    TSensGrid grid;
    res.pmValues->Popup(&grid, grid.mapToGlobal(QPoint(2, 2)));
    res.pmValues->Popup(&grid, grid.mapToGlobal(QPoint(2, 2)));
    WKContextHandlers().Remove(&actions);
    QList<QAction*> items = res.pmScale->Menu()->actions();
    ASSERT_EQ(int(items.size()), scaleItems + 1);
    EXPECT_EQ(int(res.pmValues->Menu()->actions().size()), valueItems + 1);
    EXPECT_EQ(items.last()->text(), "Калибровка");
    EXPECT_FALSE(items.last()->icon().isNull());
    EXPECT_TRUE(items.last()->isVisible());
    items.last()->trigger();
    EXPECT_EQ(runs, 1);
    // The X strip offers only its properties.
    QWidget* x = Chart->XScale()->Control();
    res.pmScale->Popup(x, x->mapToGlobal(QPoint(2, 2)));
    EXPECT_FALSE(items.last()->isVisible());
    EXPECT_EQ(int(res.pmScale->Menu()->actions().size()), scaleItems + 1);
}
}  // namespace
