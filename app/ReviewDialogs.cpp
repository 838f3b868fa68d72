// The chart dialogs of the visual library, opened for the review's charts,
// scales, formula series and digital marks.
#include "ReviewSeries.h"
#include "dlg_SetupDigitalSeries.h"
#include "dlg_SetupFormulaScale.h"
#include "dlg_SetupRTChart.h"
#include "dlg_SetupScale.h"

namespace {

bool SetupReviewDigitalSeries(TWKDigitalReviewSeries& Series, TScale& Scale) {
    TDigitalMarks marks{Series.Step(), Series.ByMainParam(), Series.FontObject()};
    if (!SetupDigitalMarks(Scale, marks)) return false;
    Series.SetStep(marks.Step);
    Series.SetByMainParam(marks.ByMainParam);
    return true;
}

const bool Installed = [] {
    TReviewSetupDialogs& d = ReviewSetupDialogs();
    d.FormulaScale = [](TScale& Scale, QString& Formula, bool IsDateTime) {
        return SetupFormulaScale(Scale, Formula, IsDateTime);
    };
    d.DigitalSeries = SetupReviewDigitalSeries;
    d.Chart = [](TGraphion& Chart) {
        SetupChart(Chart);
        return true;
    };
    d.Scale = [](TScale& Scale) { return SetupScale(Scale); };
    return true;
}();

}  // namespace
