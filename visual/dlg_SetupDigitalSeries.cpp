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

void FillDigitalDialog(TdlgSetupDigitalSeries& Dialog, const TScale& Scale, const TWKDigitalSeries& Series) {
    Dialog.fd.TakeFrom(*Series.FontObject());
    Dialog.FontChosen = false;
    Dialog.cbColor->SetColor(Scale.PenColorValue());
    Dialog.shColor->SetBrushColor(Scale.PenColorValue());
    Dialog.neStep->setText(FloatToStr(Series.Step()));
    Dialog.rgIsMain->SetItemIndex(Series.ByMainParam() ? 0 : 1);
}

void ApplyDigitalDialog(const TdlgSetupDigitalSeries& Dialog, TScale& Scale, TWKDigitalSeries& Series) {
    Series.SetStep(Dialog.neStep->Value());
    if (Dialog.FontChosen) Dialog.fd.ApplyTo(*Series.FontObject());
    Series.SetByMainParam(Dialog.rgIsMain->ItemIndex() == 0);
    Scale.SetPenColorValue(Dialog.cbColor->Color());
    if (TGraphion* chart = Series.Chart()) chart->ForceRepaint();
}

namespace {
void FreeDigitalDialog() {
    delete dlgSetupDigitalSeries;
    dlgSetupDigitalSeries = nullptr;
}
}  // namespace

bool SetupDigitalSeries(TScale& Scale, TWKDigitalSeries& Series) {
    if (!dlgSetupDigitalSeries) {
        dlgSetupDigitalSeries = new TdlgSetupDigitalSeries;
        qAddPostRoutine(FreeDigitalDialog);
    }
    TdlgSetupDigitalSeries& dlg = *dlgSetupDigitalSeries;
    FillDigitalDialog(dlg, Scale, Series);
    if (ShowModal(dlg) != mrOk) return false;
    ApplyDigitalDialog(dlg, Scale, Series);
    return true;
}
