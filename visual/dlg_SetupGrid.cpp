#include "dlg_SetupGrid.h"

#include "EditControls.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TdlgSetupGrid::TdlgSetupGrid(QWidget* parent) : TdlgSetupPanel(QStringLiteral("Настройка таблицы"), parent) {
    f = DialogButton(QStringLiteral("Шрифт..."), this);
    cbTime = new QCheckBox(QStringLiteral("По времени"), this);
    btnColor1 = DialogButton(QStringLiteral("Цвет заголовка 1..."), this);
    btnColor2 = DialogButton(QStringLiteral("Цвет заголовка 2..."), this);
    lvCheckboxes = new TCheckListBox(
        {QStringLiteral("Видимая сетка"), QStringLiteral("По вертикали"), QStringLiteral("Накопление данных"),
         QStringLiteral("Выделять названия"), QStringLiteral("Иcпользовать темы Windows"),
         QStringLiteral("Цветные заголовки"), QStringLiteral("Значения цветом параметра")},
        this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(f);
    buttons->addWidget(btnColor1);
    buttons->addWidget(btnColor2);
    buttons->addStretch(1);
    Body()->addLayout(buttons);
    Body()->addWidget(cbTime);
    Body()->addWidget(lvCheckboxes);
    connect(f, &QPushButton::clicked, this, [this] { fd.Execute(); });
    connect(btnColor1, &QPushButton::clicked, this, [this] { cd1.Execute(); });
    connect(btnColor2, &QPushButton::clicked, this, [this] { cd2.Execute(); });
}
