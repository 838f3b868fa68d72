#include "dlg_SelectFormType.h"

#include "EditControls.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TdlgSelectFormType::TdlgSelectFormType(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSelectFormType"));
    setWindowTitle(QStringLiteral("Выбор привязки по умолчанию"));
    rgType = new TRadioGroup(QStringLiteral("Привязка элементов по умолчанию"),
                             {QStringLiteral("По времени"), QStringLiteral("По глубине")}, this);
    rgType->setObjectName(QStringLiteral("rgType"));
    rgType->SetItemIndex(0);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rgType);
    layout->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}
