// The chart dialogs of the visual library, opened for the review's charts,
// scales, formula series and digital marks.
#include "ColorPreview.h"
#include "EditControls.h"
#include "Formatting.h"
#include "ModalDialogs.h"
#include "Numfield.h"
#include "Swatchbox.h"
#include "ReviewSeries.h"
#include "dlg_SetupDigitalSeries.h"
#include "dlg_SetupFormulaScale.h"
#include "dlg_SetupRTChart.h"
#include "dlg_SetupScale.h"
#include "fr_SetupFormula.h"

#include <QCoreApplication>

namespace {

bool SetupReviewFormulaScale(TScale& Scale, QString& Formula, bool IsDateTime) {
    TdlgSetupFormulaScale dlg;
    dlgSetupFormulaScale = &dlg;
    struct TClear {
        ~TClear() { dlgSetupFormulaScale = nullptr; }
    } clear;
    dlg.frSetupFormula->FIsDateTime = IsDateTime;
    dlg.frSetupFormula->SetFormula(Formula);
    dlg.frSetupFormula->memFormulaChange();
    if (!SetupScaleDialog(Scale, dlg)) return false;
    Formula = dlg.frSetupFormula->Formula();
    return true;
}

void FreeReviewDigitalDialog() {
    delete dlgSetupDigitalSeries;
    dlgSetupDigitalSeries = nullptr;
}

bool SetupReviewDigitalSeries(TWKDigitalReviewSeries& Series, TScale& Scale) {
    if (!dlgSetupDigitalSeries) {
        dlgSetupDigitalSeries = new TdlgSetupDigitalSeries;
        qAddPostRoutine(FreeReviewDigitalDialog);
    }
    TdlgSetupDigitalSeries& dlg = *dlgSetupDigitalSeries;
    dlg.fd.TakeFrom(*Series.FontObject());
    dlg.FontChosen = false;
    dlg.cbColor->SetColor(Scale.PenColorValue());
    dlg.shColor->SetBrushColor(Scale.PenColorValue());
    dlg.neStep->setText(FloatToStr(Series.Step()));
    dlg.rgIsMain->SetItemIndex(Series.ByMainParam() ? 0 : 1);
    if (ShowModal(dlg) != mrOk) return false;
    Series.SetStep(dlg.neStep->Value());
    if (dlg.FontChosen) dlg.fd.ApplyTo(*Series.FontObject());
    Series.SetByMainParam(dlg.rgIsMain->ItemIndex() == 0);
    Scale.SetPenColorValue(dlg.cbColor->Color());
    return true;
}

const bool Installed = [] {
    TReviewSetupDialogs& d = ReviewSetupDialogs();
    d.FormulaScale = SetupReviewFormulaScale;
    d.DigitalSeries = SetupReviewDigitalSeries;
    d.Chart = [](TGraphion& Chart) {
        SetupChart(Chart);
        return true;
    };
    d.Scale = [](TScale& Scale) { return SetupScale(Scale); };
    return true;
}();

}  // namespace
