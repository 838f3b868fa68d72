#include "dlg_SetupSplitter.h"

#include "fr_Align.h"

#include <QCheckBox>
#include <QVBoxLayout>

TdlgSetupSplitter::TdlgSetupSplitter(const QString& caption, QWidget* parent) : TSetupDialog(caption, parent) {
    frAlign = new TfrAlign(this);
    cbBeveled = new QCheckBox(QStringLiteral("Объемный"), this);
    Body()->addWidget(frAlign);
    Body()->addWidget(cbBeveled);
}
