#include "dlg_SetupDigitalSeries.h"

#include "ColorPreview.h"
#include "EditControls.h"
#include "Formatting.h"
#include "Kurvex.h"
#include "ModalDialogs.h"
#include "Numfield.h"
#include "Swatchbox.h"
#include "fr_ChartSeries.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QPushButton>
#include <cmath>

TdlgSetupDigitalSeries* dlgSetupDigitalSeries = nullptr;

TdlgSetupDigitalSeries::TdlgSetupDigitalSeries(QWidget* parent)
    : TSetupDialog(QStringLiteral("Настройка отметок"), parent) {
    btnFont = DialogButton(QStringLiteral("Шрифт..."), this);
    neStep = new TNumField(this);
    neStep->SetDecimals(9);
    rgIsMain = new TRadioGroup(QStringLiteral("Привязка"),
                               {QStringLiteral("По изменению шкалы X"), QStringLiteral("По изменению параметра")}, this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Шаг изменения"), neStep);
    Body()->addWidget(btnFont, 0, Qt::AlignLeft);
    Body()->addWidget(CreateColorGroup(this, shColor, cbColor, btnColor));
    BindColorPreview(*shColor, *cbColor, *btnColor, cd, Qt::LeftButton);
    Body()->addLayout(form);
    Body()->addWidget(rgIsMain);
    connect(btnFont, &QPushButton::clicked, this, [this] {
        if (fd.Execute()) FontChosen = true;
    });
}

void TdlgSetupDigitalSeries::accept() {
    if (!neStep->IsValid() || !(neStep->Value() > 0)) {
        MessageDlg(QStringLiteral("Шаг изменения должен быть положительным числом"), mtError, mbOK);
        neStep->setFocus();
        return;
    }
    TSetupDialog::accept();
}

void FillDigitalDialog(TdlgSetupDigitalSeries& Dialog, const TScale& Scale, const TDigitalMarks& Marks) {
    if (Marks.Font) Dialog.fd.TakeFrom(*Marks.Font);
    Dialog.FontChosen = false;
    Dialog.cbColor->SetColor(Scale.PenColorValue());
    Dialog.shColor->SetBrushColor(Scale.PenColorValue());
    Dialog.neStep->setText(FloatToStr(Marks.Step));
    Dialog.rgIsMain->SetItemIndex(Marks.ByMainParam ? 0 : 1);
}

void ApplyDigitalDialog(const TdlgSetupDigitalSeries& Dialog, TScale& Scale, TDigitalMarks& Marks) {
    Marks.Step = Dialog.neStep->Value();
    if (Dialog.FontChosen && Marks.Font) Dialog.fd.ApplyTo(*Marks.Font);
    Marks.ByMainParam = Dialog.rgIsMain->ItemIndex() == 0;
    Scale.SetPenColorValue(Dialog.cbColor->Color());
}

namespace {
TDigitalMarks MarksOf(const TWKDigitalSeries& Series) {
    return {Series.Step(), Series.ByMainParam(), Series.FontObject()};
}

void FreeDigitalDialog() {
    delete dlgSetupDigitalSeries;
    dlgSetupDigitalSeries = nullptr;
}
}  // namespace

void FillDigitalDialog(TdlgSetupDigitalSeries& Dialog, const TScale& Scale, const TWKDigitalSeries& Series) {
    FillDigitalDialog(Dialog, Scale, MarksOf(Series));
}

void ApplyDigitalDialog(const TdlgSetupDigitalSeries& Dialog, TScale& Scale, TWKDigitalSeries& Series) {
    TDigitalMarks marks = MarksOf(Series);
    ApplyDigitalDialog(Dialog, Scale, marks);
    Series.SetStep(marks.Step);
    Series.SetByMainParam(marks.ByMainParam);
    if (TGraphion* chart = Series.Chart()) chart->ForceRepaint();
}

bool SetupDigitalMarks(TScale& Scale, TDigitalMarks& Marks) {
    if (!dlgSetupDigitalSeries) {
        dlgSetupDigitalSeries = new TdlgSetupDigitalSeries;
        qAddPostRoutine(FreeDigitalDialog);
    }
    TdlgSetupDigitalSeries& dlg = *dlgSetupDigitalSeries;
    FillDigitalDialog(dlg, Scale, Marks);
    if (ShowModal(dlg) != mrOk) return false;
    ApplyDigitalDialog(dlg, Scale, Marks);
    return true;
}

bool SetupDigitalSeries(TScale& Scale, TWKDigitalSeries& Series) {
    TDigitalMarks marks = MarksOf(Series);
    if (!SetupDigitalMarks(Scale, marks)) return false;
    Series.SetStep(marks.Step);
    Series.SetByMainParam(marks.ByMainParam);
    if (TGraphion* chart = Series.Chart()) chart->ForceRepaint();
    return true;
}
