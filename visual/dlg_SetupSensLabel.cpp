#include "dlg_SetupSensLabel.h"

#include "ColorPreview.h"
#include "EditControls.h"
#include "Swatchbox.h"
#include "WKControls.h"
#include "fr_Align.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TdlgSetupSensLabel::TdlgSetupSensLabel(QWidget* parent)
    : TSetupDialog(QStringLiteral("Настройка вида параметра"), parent) {
    btnFont = DialogButton(QStringLiteral("Шрифт..."), this);
    frAlign = new TfrAlign(this);
    btnParam = DialogButton(QStringLiteral("Параметр..."), this);
    gbColor = CreateColorGroup(this, shColor, cbColor, btnColor);
    rgTextAlign = new TRadioGroup(QStringLiteral("Выравнивание текста"),
                                  {QStringLiteral("По левому краю"), QStringLiteral("По правому краю"),
                                   QStringLiteral("По центру")},
                                  this);
    cbShowName = new QCheckBox(QStringLiteral("Выводить название параметра"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnParam);
    buttons->addWidget(btnFont);
    buttons->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(frAlign);
    auto* right = new QVBoxLayout;
    right->addWidget(gbColor);
    right->addWidget(rgTextAlign);
    right->addWidget(cbShowName);
    right->addStretch(1);
    row->addLayout(right);
    Body()->addLayout(buttons);
    Body()->addLayout(row);
    BindColorPreview(*shColor, *cbColor, *btnColor, ColorDialog, Qt::RightButton);
    connect(btnFont, &QPushButton::clicked, this, [this] { fd.Execute(); });
    connect(btnParam, &QPushButton::clicked, this, &TdlgSetupSensLabel::btnParamClick);
}

void TdlgSetupSensLabel::btnParamClick() {
    if (SelectParameter({ssDepth, ssTime, ssForemostStream}, Descr)) cbColor->SetColor(TColor(Descr.Color));
}

void TdlgSetupSensLabel::showEvent(QShowEvent* e) {
    adjustSize();
    TSetupDialog::showEvent(e);
}
