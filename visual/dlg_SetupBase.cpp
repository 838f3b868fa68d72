#include "dlg_SetupBase.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TSetupDialog::TSetupDialog(const QString& caption, QWidget* parent) : QDialog(parent) {
    setWindowTitle(caption);
    FBody = new QVBoxLayout;
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Отмена"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* all = new QVBoxLayout(this);
    all->addLayout(FBody, 1);
    all->addLayout(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QPushButton* DialogButton(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    return b;
}
