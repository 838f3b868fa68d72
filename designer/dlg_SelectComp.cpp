#include "dlg_SelectComp.h"

#include "dm_Service.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>

TdlgSelectComp::TdlgSelectComp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSelectComp"));
    setWindowTitle(QStringLiteral("Выбор компонента"));
    setFixedWidth(390);
    lbComponents = new QListWidget(this);
    lbComponents->setObjectName(QStringLiteral("lbComponents"));
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbComponents);
    layout->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lbComponents, &QListWidget::itemDoubleClicked, this, [this] {
        if (btnOK->isEnabled()) accept();
    });
    FillList();
}

void TdlgSelectComp::FillList() {
    lbComponents->clear();
    if (!dmService) throw Exception(QStringLiteral("TdlgSelectComp: the local database is not open"));
    QSqlQuery q = dmService->OpenTable(QStringLiteral("Controls"), QStringLiteral("AlwaysLoad = 0"));
    while (q.next()) {
        auto* item = new QListWidgetItem(q.value(QStringLiteral("DisplayName")).toString(), lbComponents);
        item->setData(Qt::UserRole, q.value(QStringLiteral("ClassName")).toString());
    }
    btnOK->setEnabled(lbComponents->count() > 0);
    if (lbComponents->count() > 0) lbComponents->setCurrentRow(0);
}

void TdlgSelectComp::done(int r) {
    Result.clear();
    if (r == QDialog::Accepted) {
        const QListWidgetItem* item = lbComponents->currentItem();
        if (!item) return QDialog::done(QDialog::Rejected);
        Result = item->data(Qt::UserRole).toString();
    }
    QDialog::done(r);
}
