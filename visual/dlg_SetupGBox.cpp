#include "dlg_SetupGBox.h"

#include "EditControls.h"
#include "fr_Align.h"

#include <QPushButton>
#include <QVBoxLayout>

TdlgSetupGroupBox::TdlgSetupGroupBox(QWidget* parent) : TSetupDialog(QStringLiteral("Настройка группы"), parent) {
    frAlign = new TfrAlign(this);
    leText = new TLabeledEdit(QStringLiteral("Текст"), this);
    btnFont = DialogButton(QStringLiteral("Шрифт..."), this);
    Body()->addWidget(frAlign);
    Body()->addWidget(leText);
    Body()->addWidget(btnFont, 0, Qt::AlignLeft);
    connect(btnFont, &QPushButton::clicked, this, [this] { fd.Execute(); });
}
