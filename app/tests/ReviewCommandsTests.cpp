// The review's data document with the workstation's plug-in manager, the
// parameter provider with its catalogue fallback, the add-series mapping and
// the rules of the review popups.
#include "ConvSys.h"
#include "DebugOutput.h"
#include "FormFiles.h"
#include "Menus.h"
#include "ReviewTestSupport.h"
#include "SketchDLLMan.h"
#include "dm_CommonRes.h"
#include "fm_Review.h"

#include <QAction>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace ReviewTest;

namespace {

TParamDescr Param(const QString& id, const QString& path) {
    TParamDescr p;
    p.ID = id;
    p.SystemID = "SYS";
    p.SourceID = "SRC";
    p.Name = id + " full";
    p.ShortName = id;
    p.Path = path;
    p.Units = "m";
    p.Color = TColor(0x123456);
    p.Precision = 3;
    p.Min = -1;
    p.Max = 9;
    p.A = 2;
    p.B = 1;
    return p;
}

TEST(ReviewCommands, GetParamsGroupsBySourceAndFallsBackToTheCatalogue) {
    const TDataSourceDescr a{"SYS", "SRC", "Источник А", 1};
    const TDataSourceDescr b{"CAT", "CATSRC", "Каталог", 1};
    QStringList asked;
    const TCatalogueParams catalogue = [&](const TDataSourceDescr& s, const QString& profile) {
        asked << s.SystemID + "/" + profile;
        TParamDescr p = Param("C1", "");
        p.SystemID = s.SystemID;
        p.SourceID = s.SourceID;
        return TParamDescrArray{p};
    };
    // One source: groups unchanged, every field mapped.
    const TSensDescrArray one = ReviewSensDescrs({{a, {Param("GR", "Каротаж")}}}, "", catalogue);
    ASSERT_EQ(one.size(), 1);
    const TSensDescr& d = one[0];
    EXPECT_EQ(d.StrID, "GR");
    EXPECT_EQ(d.StreamID, "SRC");
    EXPECT_EQ(d.SystemID, "SYS");
    EXPECT_EQ(d.FullName, "GR full");
    EXPECT_EQ(d.Name, "GR");
    EXPECT_EQ(d.Group, "Каротаж");
    EXPECT_EQ(d.Units, "m");
    EXPECT_EQ(d.Color, 0x123456);
    EXPECT_EQ(d.Precision, 3);
    EXPECT_EQ(std::make_pair(d.Min, d.Max), std::make_pair(-1.0, 9.0));
    EXPECT_EQ(std::make_pair(d.A, d.B), std::make_pair(2.0, 1.0));
    EXPECT_TRUE(asked.isEmpty());
    // Two sources: each group starts with its source's name; the empty one asks the catalogue.
    const TSensDescrArray two = ReviewSensDescrs({{a, {Param("GR", "Каротаж")}}, {b, {}}}, "Метрика", catalogue);
    ASSERT_EQ(two.size(), 2);
    EXPECT_EQ(two[0].Group, "Источник А\\Каротаж");
    EXPECT_EQ(two[1].Group, "Каталог\\");
    EXPECT_EQ(two[1].StrID, "C1");
    EXPECT_EQ(two[1].StreamID, "CATSRC");
    EXPECT_EQ(asked, QStringList{"CAT/Метрика"});
}

TEST(ReviewCommands, CatalogueParamsFilterByProfileAndQuotedSystem) {
    TReviewScope scope;
    scope.StartCatalogue();
    ASSERT_TRUE(MAPEX);
    const TSensMapCalls calls(MAPEX.Get());
    const auto put = [&](const QString& system, const QString& profile, const QString& id) {
        TParamInfo i;
        i.ID = id;
        i.Name = "Имя " + id;
        i.Units = "ед";
        i.Color = 0xFF;
        i.Min = 1;
        i.Max = 5;
        i.Precision = 2;
        calls.SetParamInfo(system, profile, id, i);
    };
    put("O'Neil", "*", "A");
    put("O'Neil", "Метрика", "B");
    put("Other", "*", "C");
    put("O", "*", "D");  // what a broken quote would let through
    const TDataSourceDescr src{"O'Neil", "ONSRC", "Источник", 1};
    struct TCase {
        QString Profile;
        QStringList Ids;
    } const cases[] = {{"", {"A"}}, {"Метрика", {"B"}}, {"Нет", {}}};
    for (const TCase& c : cases) {
        QStringList ids;
        for (const TParamDescr& p : CatalogueParams(MAPEX.Get(), src, c.Profile)) {
            ids << p.ID;
            EXPECT_EQ(p.SystemID, "O'Neil");
            EXPECT_EQ(p.SourceID, "ONSRC");
            EXPECT_EQ(p.Name, "Имя " + p.ID);
            EXPECT_EQ(p.ShortName, p.Name);
            EXPECT_EQ(p.DataType, 4);
            EXPECT_EQ(p.Units, "ед");
            EXPECT_EQ(std::make_pair(p.Min, p.Max), std::make_pair(1.0, 5.0));
            EXPECT_EQ(p.Precision, 2);
        }
        EXPECT_EQ(ids, c.Ids) << c.Profile.toStdString();
    }
    EXPECT_TRUE(CatalogueParams(nullptr, src, "").isEmpty());
}

TEST(ReviewCommands, AddedSeriesTakeTheDescription) {
    std::unique_ptr<TfmReview> form(CreateReviewForm(false, 0, 100));
    TGraphion& chart = *form->Chart();
    TChartField& field = *chart.Fields().Add();
    TSensDescr d;
    d.StrID = "GR";
    d.StreamID = "LAS.Curves";
    d.SystemID = "LAS";
    d.Name = "Гамма";
    d.Color = 0x0000FF;
    d.Units = "API";
    d.Precision = 1;
    d.A = 2;
    d.B = 3;
    d.Min = 0;
    d.Max = 150;
    TSensDescr f = d;
    f.StrID = "{LAS.GR}*2";
    f.Flags = TSensorFlags{sfCalculated};
    TSensDescr empty = d;
    empty.Min = empty.Max = 7;  // no range: the scale keeps a usable one
    struct TCase {
        const char* Name;
        TSensDescr Descr;
        bool Digital;
        const QMetaObject* Class;
    } const cases[] = {
        {"line", d, false, &TExLineSeries::staticMetaObject},
        {"formula", f, false, &TExpressionLineSeries::staticMetaObject},
        {"digital", d, true, &TWKDigitalReviewSeries::staticMetaObject},
        {"no range", empty, false, &TExLineSeries::staticMetaObject},
    };
    TdmCommonRes& res = dmCommonRes();
    for (const TCase& c : cases) {
        TWKReviewBaseSeries* s = AddReviewSeries(chart, field, c.Descr, c.Digital, res.pmScale);
        EXPECT_EQ(s->metaObject(), c.Class) << c.Name;
        EXPECT_EQ(s->ID().toString(), c.Descr.StrID) << c.Name;
        EXPECT_EQ(s->Caption(), "Гамма");
        EXPECT_EQ(int(s->PenObject()->Color()), 0x0000FF);
        EXPECT_EQ(s->FieldIndex(), field.Index());
        EXPECT_EQ(s->SourceID(), "LAS.Curves");
        EXPECT_EQ(s->SystemID(), "LAS");
        EXPECT_EQ(std::make_pair(s->A(), s->B()), std::make_pair(2.0, 3.0));
        EXPECT_EQ(s->Units(), "API");
        EXPECT_EQ(s->Precision(), 1);
        TScale* scale = field.Scales().Items(s->ScaleIndex());
        EXPECT_EQ(scale->Caption(), "Гамма");
        EXPECT_EQ(int(scale->PenColorValue()), 0x0000FF);
        EXPECT_EQ(scale->PopupMenu(), res.pmScale);
        EXPECT_LT(scale->Min(), scale->Max()) << c.Name;
        if (c.Descr.Max > c.Descr.Min) {
            EXPECT_EQ(std::make_pair(scale->Min(), scale->Max()), std::make_pair(0.0, 150.0)) << c.Name;
            EXPECT_EQ(std::make_pair(scale->MinLimit(), scale->MaxLimit()), std::make_pair(0.0, 150.0)) << c.Name;
        }
        if (c.Digital) {
            auto* dig = static_cast<TWKDigitalReviewSeries*>(s);
            EXPECT_TRUE(dig->ByMainParam());
            EXPECT_EQ(dig->Step(), 1.0);
        }
    }
    EXPECT_EQ(field.Scales().Count(), 4);
    EXPECT_EQ(chart.GetSeriesCount(), 4);
}

TEST(ReviewCommands, PopupRulesForFieldsAndScales) {
    TReviewScope scope;
    std::unique_ptr<TfmReview> form(CreateReviewForm(true, 0, 1));
    form->resize(600, 400);
    form->show();
    TGraphion& chart = *form->Chart();
    TdmCommonRes& res = dmCommonRes();
    res.pmField->ShowHandler = [](TPopupMenu*) {};
    res.pmScale->ShowHandler = [](TPopupMenu*) {};
    TSensDescr d;
    d.StrID = "GR";
    d.Name = "GR";
    d.Max = 10;
    AddReviewSeries(chart, *chart.Fields().Items(0), d, false, res.pmScale);
    QCoreApplication::processEvents();

    // "Удалить поле": only from a plot area, and only with more than one field.
    struct TFieldCase {
        const char* Name;
        int Fields;
        bool FromPlotArea;
        bool Enabled;
    } const fieldCases[] = {
        {"one field, plot area", 1, true, false},
        {"two fields, plot area", 2, true, true},
        {"two fields, chart panel", 2, false, false},
    };
    for (const TFieldCase& c : fieldCases) {
        while (chart.Fields().Count() < c.Fields) chart.Fields().Add();
        QObject* at = c.FromPlotArea ? static_cast<QObject*>(chart.Fields().Items(0)->Client()) : &chart;
        res.pmField->Popup(at, QPoint());
        EXPECT_EQ(res.miDeleteField->isEnabled(), c.Enabled) << c.Name;
    }
    // The chart panel frees no field; a plot area frees its own.
    res.pmField->Popup(&chart, QPoint());
    res.miDeleteField->trigger();
    EXPECT_EQ(chart.Fields().Count(), 2);
    res.pmField->Popup(chart.Fields().Items(1)->Client(), QPoint());
    res.miDeleteField->trigger();
    EXPECT_EQ(chart.Fields().Count(), 1);
    res.pmField->Popup(chart.Fields().Items(0)->Client(), QPoint());
    res.miAddField->trigger();
    EXPECT_EQ(chart.Fields().Count(), 2);

    // The scale popup: delete and find only on value scales.
    TScale* value = chart.Fields().Items(0)->Scales().Items(0);
    struct TScaleCase {
        const char* Name;
        TScaleControl* Strip;
        bool Visible;
    } const scaleCases[] = {{"X strip", chart.XScale()->Control(), false}, {"value strip", value->Control(), true}};
    for (const TScaleCase& c : scaleCases) {
        res.pmScale->Popup(c.Strip, QPoint());
        EXPECT_EQ(res.miDeleteSeries->isVisible(), c.Visible) << c.Name;
        EXPECT_EQ(res.miFindMinMax->isVisible(), c.Visible) << c.Name;
        EXPECT_TRUE(res.miSeriesProperties->isVisible()) << c.Name;
    }
    // Find min and max asks the strip for the auto-range; delete frees a scale of one series.
    res.pmScale->Popup(value->Control(), QPoint());
    res.miFindMinMax->trigger();
    EXPECT_EQ(value->Control()->Tag(), 1);
    res.pmScale->Popup(value->Control(), QPoint());
    res.miDeleteSeries->trigger();
    EXPECT_EQ(chart.Fields().Items(0)->Scales().Count(), 0);
    EXPECT_EQ(chart.GetSeriesCount(), 0);
    // Hide and show both ways.
    chart.Fields().Items(0)->Scales().Add();
    chart.Fields().Items(1)->Scales().Add()->SetVisible(false);
    TdmCommonRes::HideScales(chart);
    EXPECT_FALSE(chart.Fields().Items(0)->Scales().Items(0)->Visible());
    TdmCommonRes::HideScales(chart);
    EXPECT_TRUE(chart.Fields().Items(0)->Scales().Items(0)->Visible());
    EXPECT_TRUE(chart.Fields().Items(1)->Scales().Items(0)->Visible());
    // The chart command opens the chart dialog of the visual library (cancelled here).
    res.pmField->Popup(chart.Fields().Items(0)->Client(), QPoint());
    res.actChartSetup->trigger();
    EXPECT_TRUE(scope.UI->Messages.isEmpty());
    ASSERT_FALSE(scope.UI->ShownDialogs.isEmpty());
    EXPECT_TRUE(scope.UI->ShownDialogs.last().startsWith("TdlgKurvexProperties")) << qPrintable(scope.UI->ShownDialogs.last());
}

// The workstation's manager over the test plug-ins: one group, the sorted
// unique parameters of the review series, Reload passed on.
TEST(ReviewCommands, ManagerAsksOnceForEachParameterOfTheSeries) {
    TReviewScope scope;
    TPluginManager manager(TPluginManagerOptions::MainProgram());
    manager.Activate(atPath, BinDir() + "/test-plugins/basic");
    ASSERT_NE(manager.GetSourceByID("FIXSRC"), nullptr);
    std::unique_ptr<TfmReview> form(CreateReviewForm(false, 0, 100));
    TGraphion& chart = *form->Chart();
    const auto add = [&](const QString& id, const QString& source) {
        TSensDescr d;
        d.StrID = id;
        d.StreamID = source;
        AddReviewSeries(chart, *chart.Fields().Items(0), d, false, nullptr);
    };
    add("ZR", "FIXSRC");
    add("GR", "FIXSRC");
    add("GR", "FIXSRC");
    add("XX", "ELSEWHERE");
    QStringList groups;
    form->GetDocument()->RegisterGroups(groups);
    EXPECT_EQ(groups, QStringList{QString()});
    QStringList ids;
    form->GetDocument()->RegisterParams("FIXSRC", "", ids);
    EXPECT_EQ(ids, (QStringList{"ZR", "GR", "GR"}));
    TDebugOutputCapture capture;
    EXPECT_TRUE(manager.Load(*form->GetDocument(), true));
    EXPECT_TRUE(capture.Contains("FIX FIX Load ids=GR,ZR group= env= reload=1")) << capture.Lines().join('\n').toStdString();
    EXPECT_FALSE(form->GetDocument()->Loading);
    EXPECT_TRUE(scope.UI->Messages.isEmpty());
}

TEST(ReviewCommands, ReviewFormRoundTripsWithItsSeriesAndMenus) {
    TReviewScope scope;
    std::unique_ptr<TfmReview> form(CreateReviewForm(false, 0, 100));
    TGraphion& chart = *form->Chart();
    TSensDescr d;
    d.StrID = "GR";
    d.StreamID = "LAS.Curves";
    d.SystemID = "LAS";
    d.Name = "Гамма";
    d.Units = "API";
    d.Precision = 2;
    d.A = 2;
    d.B = 1;
    d.Max = 150;
    AddReviewSeries(chart, *chart.Fields().Items(0), d, false, dmCommonRes().pmScale);
    TSensDescr f = d;
    f.StrID = "{LAS.GR}*2";
    f.Flags = TSensorFlags{sfCalculated};
    AddReviewSeries(chart, *chart.Fields().Items(0), f, false, dmCommonRes().pmScale);
    auto* marks = static_cast<TWKDigitalReviewSeries*>(
        AddReviewSeries(chart, *chart.Fields().Add(), d, true, dmCommonRes().pmScale));
    marks->SetStep(10);
    marks->SetByMainParam(false);
    const QString text = MonitoringFormText(form.get());
    std::unique_ptr<TBaseMDIForm> back(ReadMonitoringForm(text));
    auto* review = qobject_cast<TfmReview*>(back.get());
    ASSERT_NE(review, nullptr) << text.toStdString();
    EXPECT_EQ(MonitoringFormText(review), text);
    EXPECT_FALSE(review->IsDateTime());
    EXPECT_EQ(review->GetDocument()->DataClass(), 1);
    TGraphion* again = review->Chart();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->PopupMenu(), dmCommonRes().pmField);
    EXPECT_EQ(again->Fields().Items(0)->Scales().Items(0)->PopupMenu(), dmCommonRes().pmScale);
    ASSERT_EQ(again->GetSeriesCount(), 3);
    auto* line = qobject_cast<TExLineSeries*>(again->GetSeries(0));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->SourceID(), "LAS.Curves");
    EXPECT_EQ(line->SystemID(), "LAS");
    EXPECT_EQ(std::make_pair(line->A(), line->B()), std::make_pair(2.0, 1.0));
    EXPECT_EQ(line->Units(), "API");
    EXPECT_EQ(line->Precision(), 2);
    EXPECT_NE(qobject_cast<TExpressionLineSeries*>(again->GetSeries(1)), nullptr);
    auto* marksBack = qobject_cast<TWKDigitalReviewSeries*>(again->GetSeries(2));
    ASSERT_NE(marksBack, nullptr);
    EXPECT_EQ(marksBack->Step(), 10.0);
    EXPECT_FALSE(marksBack->ByMainParam());
}

}  // namespace
