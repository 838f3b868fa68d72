// The chart, scale and series dialogs, filled and applied through their entry
// routines and scripted as a user answers them.
#include "VisualTestSupport.h"

#include "EditControls.h"
#include "Numfield.h"
#include "Swatchbox.h"
#include "WKFormText.h"
#include "dlg_SetupDigitalExpSeries.h"
#include "dlg_SetupDigitalSeries.h"
#include "dlg_SetupFormulaScale.h"
#include "dlg_SetupRTChart.h"
#include "dlg_SetupScale.h"
#include "dlg_SetupSeries.h"
#include "fr_Chart.h"
#include "fr_SetupFormula.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

namespace {
class ChartDialogs : public VisualTest {
protected:
    void SetUp() override {
        VisualTest::SetUp();
        Chart = std::make_unique<TWKChart>();
        Chart->resize(500, 300);
        Chart->show();
    }
    void TearDown() override {
        Chart.reset();
        VisualTest::TearDown();
    }
    template <class T>
    T* AddSeries(TScale* scale, T* s) {
        s->SetFieldInd(0);
        s->SetScaleInd(scale->Index());
        Chart->InsertSeries(s);
        return s;
    }
    TScale* NewScale() {
        TScale* s = Chart->Fields().Items(0)->Scales().Add();
        s->SetMinMax(0, 50);
        return s;
    }
    QString Text() const { return ComponentToString(Chart.get()); }
    std::unique_ptr<TWKChart> Chart;
};

TEST_F(ChartDialogs, ChartProperties) {
    const QString before = Text();
    UI->ScriptDialogOnce("TdlgKurvexProperties", [](QObject* d) {
        auto& dlg = *qobject_cast<TdlgKurvexProperties*>(d);
        dlg.cbBack->SetColor(clYellow);
        dlg.CancelBtn->click();
        return DialogResult(dlg);
    });
    SetupChart(*Chart);
    EXPECT_EQ(Text(), before);

    Chart->Fields().Add();
    TScale* value = NewScale();
    UI->FontAnswers.push_back({QFont("DejaVu Sans", 14), clBlack});
    ScriptOnce<TdlgKurvexProperties>(*UI, "TdlgKurvexProperties", [](TdlgKurvexProperties& dlg) {
        EXPECT_EQ(dlg.cbBack->Color(), clWhite);
        EXPECT_EQ(dlg.CurrentColor->BrushColor(), clWhite);
        EXPECT_EQ(dlg.rgOrientation->ItemIndex(), 1);
        EXPECT_EQ(dlg.windowTitle(), "Свойства диаграммы");
        dlg.cbBack->SetColor(clCream);
        EXPECT_EQ(dlg.CurrentColor->BrushColor(), clCream) << "the shape follows the box";
        dlg.cbScaleColor->SetColor(clNavy);
        dlg.rgOrientation->SetItemIndex(0);
        dlg.btnFont->click();
        dlg.OKBtn->click();
        return DialogResult(dlg);
    });
    SetupChart(*Chart);
    EXPECT_EQ(Chart->Color(), clCream);
    EXPECT_EQ(Chart->Orientation(), coVertical);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(Chart->Fields().Items(i)->GridPenObject()->Color(), clNavy);
    // The font goes to the marks of every scale.
    EXPECT_EQ(Chart->XScale()->FontObject()->Size(), 14);
    EXPECT_EQ(value->FontObject()->Size(), 14);
}

TEST_F(ChartDialogs, ScaleDialogOnTheXScale) {
    TScale& x = *Chart->XScale();
    x.SetStepType(sttFixed);
    const double min = x.Min(), max = x.Max();
    ScriptOnce<TdlgScaleProperties>(*UI, "TdlgScaleProperties", [](TdlgScaleProperties& d) {
        d.show();
        EXPECT_FALSE(d.cbLog->isVisible());
        EXPECT_FALSE(d.cbValues->isVisible());
        EXPECT_FALSE(d.gbRange->isVisible());
        EXPECT_FALSE(d.gbWidth->isVisible());
        EXPECT_TRUE(d.cbInverted->isVisible());
        EXPECT_TRUE(d.edCaption->isVisible());
        EXPECT_TRUE(d.btnFont->isVisible());
        EXPECT_TRUE(d.cbColor->isVisible());
        d.cbColor->SetColor(clMaroon);
        d.cbInverted->setChecked(true);
        d.edCaption->setText("Время");
        d.OKBtn->click();
        return DialogResult(d);
    });
    EXPECT_TRUE(SetupScale(x));
    EXPECT_EQ(x.StepType(), sttAuto);
    EXPECT_EQ(x.PenColorValue(), clMaroon);
    EXPECT_TRUE(x.Inverted());
    EXPECT_EQ(x.Caption(), "Время");
    EXPECT_EQ(x.Min(), min);
    EXPECT_EQ(x.Max(), max);
}

TEST_F(ChartDialogs, ScaleDialogOnValueScales) {
    struct Case {
        const char* Name;
        int Series;
        const char* Min;
        const char* Max;
        bool Log;
        double WantMin, WantMax;
    };
    const Case cases[] = {
        {"log with an empty range", 1, "0", "0", true, 1e-4, 1e-3},
        {"log from zero", 1, "0", "100", true, 1e-4, 100},
        {"linear", 1, "-5", "25", false, -5, 25},
        {"two series", 2, "1", "2", false, 1, 2},
        {"no series", 0, "3", "4", false, 3, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TScale* scale = NewScale();
        std::vector<TWKChartSeries*> series;
        for (int i = 0; i < c.Series; ++i) {
            auto* s = AddSeries(scale, new TWKChartSeries(Chart.get()));
            s->PenObject()->SetColor(clBlue);
            s->PenObject()->SetWidth(2);
            series.push_back(s);
        }
        ScriptOnce<TdlgScaleProperties>(*UI, "TdlgScaleProperties", [&c](TdlgScaleProperties& d) {
            d.show();
            EXPECT_TRUE(d.gbRange->isVisible());
            EXPECT_EQ(d.gbWidth->isVisible(), c.Series == 1);
            EXPECT_EQ(d.edMin->text(), "0");
            EXPECT_EQ(d.edMax->text(), "50");
            EXPECT_EQ(d.udWidth->Value(), c.Series > 0 ? 2 : 1);
            d.edMin->setText(c.Min);
            d.edMax->setText(c.Max);
            d.cbLog->setChecked(c.Log);
            d.udWidth->SetValue(4);
            d.cbLines->setCurrentIndex(1);
            d.cbColor->SetColor(clGreen);
            d.cbValues->setChecked(true);
            d.OKBtn->click();
            return DialogResult(d);
        });
        ASSERT_TRUE(SetupScale(*scale));
        EXPECT_NEAR(scale->Min(), c.WantMin, 1e-12);
        EXPECT_NEAR(scale->Max(), c.WantMax, 1e-12);
        EXPECT_EQ(scale->StepType(), c.Log ? sttLogarithmic : sttAuto);
        EXPECT_EQ(scale->PenColorValue(), clGreen);
        EXPECT_TRUE(scale->ShowDisplayValues());
        for (TWKChartSeries* s : series) {
            // One series takes style, colour and width; with two only the scale takes the colour.
            EXPECT_EQ(s->PenObject()->Width(), c.Series == 1 ? 4 : 2);
            EXPECT_EQ(s->PenObject()->Color(), c.Series == 1 ? clGreen : clBlue);
            EXPECT_EQ(s->PenObject()->Style(), c.Series == 1 ? TPen::psDash : TPen::psSolid);
        }
    }
}

TEST_F(ChartDialogs, ScaleDialogRefusesBadNumbers) {
    TScale* scale = NewScale();
    auto* s = AddSeries(scale, new TWKChartSeries(Chart.get()));
    ScriptOnce<TdlgScaleProperties>(*UI, "TdlgScaleProperties", [&](TdlgScaleProperties& d) {
        d.cbColor->SetColor(clRed);
        for (auto [min, max] : {std::pair{"abc", "10"}, std::pair{"1", ""}, std::pair{"20", "10"}}) {
            d.edMin->setText(min);
            d.edMax->setText(max);
            d.OKBtn->click();
            EXPECT_NE(d.result(), QDialog::Accepted) << min << " " << max;
        }
        // Nothing was applied meanwhile.
        EXPECT_EQ(scale->Max(), 50);
        EXPECT_EQ(s->PenObject()->Color(), clBlack);
        d.edMin->setText("1");
        d.edMax->setText("9");
        d.OKBtn->click();
        return DialogResult(d);
    });
    ASSERT_TRUE(SetupScale(*scale));
    EXPECT_EQ(UI->Messages.size(), 3);
    EXPECT_EQ(scale->Min(), 1);
    EXPECT_EQ(scale->Max(), 9);
    EXPECT_EQ(s->PenObject()->Color(), clRed);
}

TEST_F(ChartDialogs, FormulaDialogs) {
    TScale* scale = NewScale();
    auto* line = AddSeries(scale, new TWKExpressionSeries(Chart.get(), "S101+1"));
    TScale* marks = NewScale();
    auto* digital = AddSeries(marks, new TWKDigitalExpressionSeries(Chart.get(), "S1200*2"));
    // A formula given back unchanged is not set again (setting clears the labels).
    line->Labels().Add(1, 1, "x", Qt::black);
    UI->ScriptDialogOnce("TdlgSetupFormulaScale", [&](QObject* o) {
        auto& d = *qobject_cast<TdlgSetupFormulaScale*>(o);
        EXPECT_EQ(dlgSetupFormulaScale, &d);
        EXPECT_EQ(d.frSetupFormula->Formula(), "S101+1");
        EXPECT_TRUE(d.OKBtn->isEnabled());
        d.frSetupFormula->memFormula->setPlainText("S101+");
        EXPECT_FALSE(d.OKBtn->isEnabled());
        d.frSetupFormula->memFormula->setPlainText("S101+1");
        EXPECT_TRUE(d.OKBtn->isEnabled());
        d.OKBtn->click();
        return DialogResult(d);
    });
    ASSERT_TRUE(SetupFormulaScale(*scale, *line));
    EXPECT_EQ(dlgSetupFormulaScale, nullptr);
    EXPECT_EQ(line->Labels().Count(), 1);
    UI->ScriptDialogOnce("TdlgSetupFormulaScale", [&](QObject* o) {
        auto& d = *qobject_cast<TdlgSetupFormulaScale*>(o);
        d.frSetupFormula->memFormula->setPlainText("S101*3");
        d.OKBtn->click();
        return DialogResult(d);
    });
    ASSERT_TRUE(SetupFormulaScale(*scale, *line));
    EXPECT_EQ(line->FormulaText(), "S101*3");
    EXPECT_EQ(line->Labels().Count(), 0);

    ScriptOnce<TdlgSetupDigitalExpSeries>(*UI, "TdlgSetupDigitalExpSeries", [](TdlgSetupDigitalExpSeries& d) {
        EXPECT_EQ(d.frSetupFormula->Formula(), "S1200*2");
        d.frSetupFormula->memFormula->setPlainText("(");
        EXPECT_FALSE(d.OKBtn->isEnabled());
        d.frSetupFormula->memFormula->setPlainText("S1200/2");
        d.neStep->setText("2.5");
        d.rgIsMain->SetItemIndex(1);
        d.cbColor->SetColor(clPurple);
        d.OKBtn->click();
        return DialogResult(d);
    });
    ASSERT_TRUE(SetupDigitalExpSeries(*marks, *digital));
    EXPECT_EQ(digital->FormulaText(), "S1200/2");
    EXPECT_EQ(digital->Step(), 2.5);
    EXPECT_FALSE(digital->ByMainParam());
    EXPECT_EQ(marks->PenColorValue(), clPurple);
}

TEST_F(ChartDialogs, DigitalDialogIsReusedAndWantsAPositiveStep) {
    TScale* marks = NewScale();
    auto* digital = AddSeries(marks, new TWKDigitalSeries(Chart.get()));
    digital->SetStep(5);
    TdlgSetupDigitalSeries* first = nullptr;
    UI->ScriptDialogOnce("TdlgSetupDigitalSeries", [&](QObject* o) {
        auto& d = *qobject_cast<TdlgSetupDigitalSeries*>(o);
        first = &d;
        EXPECT_EQ(d.windowTitle(), "Настройка отметок");
        EXPECT_EQ(d.neStep->Value(), 5);
        EXPECT_EQ(d.rgIsMain->ItemIndex(), 0);
        for (const char* bad : {"0", "-1", ""}) {
            d.neStep->setText(bad);
            d.OKBtn->click();
            EXPECT_NE(d.result(), QDialog::Accepted) << bad;
        }
        EXPECT_EQ(digital->Step(), 5);
        d.neStep->setText("0.5");
        d.OKBtn->click();
        return DialogResult(d);
    });
    ASSERT_TRUE(SetupDigitalSeries(*marks, *digital));
    EXPECT_EQ(digital->Step(), 0.5);
    EXPECT_EQ(UI->Messages.size(), 3);
    UI->ScriptDialogOnce("TdlgSetupDigitalSeries", [&](QObject* o) {
        EXPECT_EQ(o, first);
        EXPECT_EQ(qobject_cast<TdlgSetupDigitalSeries*>(o)->neStep->Value(), 0.5);
        return int(mrCancel);
    });
    EXPECT_FALSE(SetupDigitalSeries(*marks, *digital));
}

TEST_F(ChartDialogs, CancelChangesNothing) {
    TScale* scale = NewScale();
    auto* line = AddSeries(scale, new TWKExpressionSeries(Chart.get(), "S101"));
    TScale* marks = NewScale();
    auto* digital = AddSeries(marks, new TWKDigitalExpressionSeries(Chart.get(), "S101"));
    auto* plain = AddSeries(marks, new TWKDigitalSeries(Chart.get()));
    const QString before = Text();
    // Every dialog is answered with changes and then cancelled.
    const auto spoil = [](QObject* o) {
        for (QLineEdit* e : o->findChildren<QLineEdit*>()) e->setText("7");
        for (QCheckBox* c : o->findChildren<QCheckBox*>()) c->toggle();
        for (TColorRect* c : o->findChildren<TColorRect*>()) c->SetColor(clFuchsia);
        for (QPlainTextEdit* m : o->findChildren<QPlainTextEdit*>()) m->setPlainText("S5");
        qobject_cast<QDialog*>(o)->reject();
        return int(mrCancel);
    };
    for (const char* cls : {"TdlgKurvexProperties", "TdlgScaleProperties", "TdlgSetupFormulaScale",
                            "TdlgSetupDigitalSeries", "TdlgSetupDigitalExpSeries", "TdlgSetupSeries"})
        UI->ScriptDialog(cls, spoil);
    SetupChart(*Chart);
    EXPECT_FALSE(SetupScale(*scale));
    EXPECT_FALSE(SetupScale(*Chart->XScale()));
    EXPECT_FALSE(SetupFormulaScale(*scale, *line));
    EXPECT_FALSE(SetupDigitalSeries(*marks, *plain));
    EXPECT_FALSE(SetupDigitalExpSeries(*marks, *digital));
    EXPECT_FALSE(SetupSeriesPen(*line));
    EXPECT_EQ(Text(), before);
    EXPECT_EQ(UI->ShownDialogs.size(), 7);
}
}  // namespace
