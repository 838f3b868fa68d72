#include "dlg_SetupSensorsGridItem.h"

#include "ColorPreview.h"
#include "EditControls.h"
#include "Swatchbox.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TdlgSetupSensorsGridItem::TdlgSetupSensorsGridItem(QWidget* parent)
    : TSetupDialog(QStringLiteral("Настройка элемента таблицы"), parent) {
    btnOk = OKBtn;
    leCaption = new TLabeledEdit(QStringLiteral("Заголовок"), this);
    gbColor = CreateColorGroup(this, shColor, cbScaleColor, btnScalColor);
    Body()->addWidget(leCaption);
    Body()->addWidget(gbColor);
    BindColorPreview(*shColor, *cbScaleColor, *btnScalColor, ColorDialog, Qt::NoButton);
}
