#include "dlg_SetupLabel.h"

#include "EditControls.h"

#include <QPushButton>
#include <QVBoxLayout>

TdlgSetupLabel::TdlgSetupLabel(QWidget* parent) : TSetupDialog(QStringLiteral("Настройка текста"), parent) {
    leText = new TLabeledEdit(QStringLiteral("Текст"), this);
    btnFont = DialogButton(QStringLiteral("Шрифт..."), this);
    Body()->addWidget(leText);
    Body()->addWidget(btnFont, 0, Qt::AlignLeft);
    connect(btnFont, &QPushButton::clicked, this, [this] { fd.Execute(); });
}
