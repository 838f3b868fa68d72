#include "dlg_SetupPanel.h"

#include "EditControls.h"
#include "fr_Align.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TdlgSetupPanel::TdlgSetupPanel(const QString& caption, QWidget* parent) : TSetupDialog(caption, parent) {
    const QStringList bevels{QStringLiteral("Нет"), QStringLiteral("Вдавленная"), QStringLiteral("Выпуклая"),
                             QStringLiteral("Отступ")};
    frAlign = new TfrAlign(this);
    cbBorder = new QCheckBox(QStringLiteral("Рамка"), this);
    rgInner = new TRadioGroup(QStringLiteral(" Внутренняя линия "), bevels, this);
    rgOuter = new TRadioGroup(QStringLiteral(" Внешняя линия "), bevels, this);
    btnColor = DialogButton(QStringLiteral("Цвет..."), this);
    auto* bevelRow = new QHBoxLayout;
    bevelRow->addWidget(rgInner);
    bevelRow->addWidget(rgOuter);
    Body()->addWidget(frAlign);
    Body()->addWidget(cbBorder);
    Body()->addLayout(bevelRow);
    Body()->addWidget(btnColor, 0, Qt::AlignLeft);
    connect(btnColor, &QPushButton::clicked, this, [this] { cd.Execute(); });
}
