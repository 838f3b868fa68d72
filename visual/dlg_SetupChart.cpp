#include "dlg_SetupChart.h"

#include <QCheckBox>
#include <QVBoxLayout>

TdlgSetupChart::TdlgSetupChart(QWidget* parent) : TdlgSetupPanel(QStringLiteral("Настройка графиков"), parent) {
    cbVert = new QCheckBox(QStringLiteral("Вертикально"), this);
    cbTime = new QCheckBox(QStringLiteral("По времени"), this);
    Body()->addWidget(cbVert);
    Body()->addWidget(cbTime);
}
