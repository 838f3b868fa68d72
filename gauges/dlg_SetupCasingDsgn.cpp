#include "dlg_SetupCasingDsgn.h"

#include "fr_Align.h"

#include <QVBoxLayout>

TdlgSetupCasingDsgn::TdlgSetupCasingDsgn(QWidget* parent)
    : TSetupDialog(QStringLiteral("Настройка вида обсадной колонны"), parent) {
    frAlign = new TfrAlign(this);
    Body()->addWidget(frAlign);
}
