#include "dlg_SetupSmoothGauge.h"

#include "Exceptions.h"
#include "UIServices.h"
#include "WKControls.h"
#include "fr_Align.h"
#include "fr_ExtGaugeSetup.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TdlgSetupSmoothGauge::TdlgSetupSmoothGauge(QWidget* parent) : TSetupDialog(QStringLiteral("Настройка индикатора"), parent) {
    frAlign = new TfrAlign(this);
    frExtGaugeSetup = new TfrExtGaugeSetup(this);
    btnParam = DialogButton(QStringLiteral("Параметр..."), this);
    auto* left = new QVBoxLayout;
    left->addWidget(frAlign);
    left->addWidget(btnParam);
    left->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addLayout(left);
    row->addWidget(frExtGaugeSetup, 1);
    Body()->addLayout(row);
    connect(btnParam, &QPushButton::clicked, this, &TdlgSetupSmoothGauge::btnParamClick);
}

void TdlgSetupSmoothGauge::accept() {
    try {
        frExtGaugeSetup->Check();
    } catch (const std::exception& e) {
        MessageDlg(ExceptionMessage(e), mtError, mbOK);
        return;
    }
    TSetupDialog::accept();
}

void TdlgSetupSmoothGauge::btnParamClick() {
    SelectParameter(TSensSelection{ssDepth, ssTime, ssForemostStream}, Descr);
    frExtGaugeSetup->leName->setText(Descr.Name);
}
