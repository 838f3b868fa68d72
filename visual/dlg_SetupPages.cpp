#include "dlg_SetupPages.h"

#include "EditControls.h"
#include "UIServices.h"
#include "fr_Align.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int PageRole = Qt::UserRole;

QListWidgetItem* EntryItem(const TPageEntry& entry) {
    auto* item = new QListWidgetItem(entry.Caption);
    item->setData(PageRole, QVariant::fromValue(entry.Page.data()));
    return item;
}
}  // namespace

TdlgSetupPages::TdlgSetupPages(QWidget* parent) : TSetupDialog(QStringLiteral("Настройка закладок"), parent) {
    gbProperties = new QGroupBox(QStringLiteral(" Свойства "), this);
    f = DialogButton(QStringLiteral("Шрифт..."), gbProperties);
    frAlign = new TfrAlign(gbProperties);
    rgTabPos = new TRadioGroup(QStringLiteral(" Положение закладок "),
                               {QStringLiteral("Сверху"), QStringLiteral("Снизу"), QStringLiteral("Слева"),
                                QStringLiteral("Справа")},
                               gbProperties);
    auto* props = new QVBoxLayout(gbProperties);
    props->addWidget(f, 0, Qt::AlignLeft);
    props->addWidget(frAlign);
    props->addWidget(rgTabPos);

    gbTabs = new QGroupBox(QStringLiteral(" Закладки "), this);
    lbTabs = new QListWidget(gbTabs);
    btnAdd = DialogButton(QStringLiteral("Добавить..."), gbTabs);
    btnDelete = DialogButton(QStringLiteral("Удалить"), gbTabs);
    btnMoveUp = DialogButton(QStringLiteral("К началу"), gbTabs);
    btnMoveDown = DialogButton(QStringLiteral("В конец"), gbTabs);
    auto* tabButtons = new QVBoxLayout;
    for (QPushButton* b : {btnAdd, btnDelete, btnMoveUp, btnMoveDown}) tabButtons->addWidget(b);
    tabButtons->addStretch(1);
    auto* tabs = new QHBoxLayout(gbTabs);
    tabs->addWidget(lbTabs, 1);
    tabs->addLayout(tabButtons);

    auto* row = new QHBoxLayout;
    row->addWidget(gbProperties);
    row->addWidget(gbTabs, 1);
    Body()->addLayout(row);

    connect(f, &QPushButton::clicked, this, [this] { fd.Execute(); });
    connect(btnAdd, &QPushButton::clicked, this, &TdlgSetupPages::btnAddClick);
    connect(btnDelete, &QPushButton::clicked, this, &TdlgSetupPages::btnDeleteClick);
    connect(btnMoveUp, &QPushButton::clicked, this, &TdlgSetupPages::btnMoveUpClick);
    connect(btnMoveDown, &QPushButton::clicked, this, &TdlgSetupPages::btnMoveDownClick);
    connect(lbTabs, &QListWidget::itemClicked, this, &TdlgSetupPages::UpdateButtons);
    connect(lbTabs, &QListWidget::currentRowChanged, this, &TdlgSetupPages::UpdateButtons);
    UpdateButtons();
}

void TdlgSetupPages::SetTabs(const QList<TPageEntry>& tabs) {
    lbTabs->clear();
    for (const TPageEntry& e : tabs) lbTabs->addItem(EntryItem(e));
    UpdateButtons();
}

QList<TPageEntry> TdlgSetupPages::Tabs() const {
    QList<TPageEntry> result;
    for (int i = 0; i < lbTabs->count(); ++i)
        result.append({lbTabs->item(i)->text(), lbTabs->item(i)->data(PageRole).value<QObject*>()});
    return result;
}

void TdlgSetupPages::btnAddClick() {
    QString text;
    if (UIServices().InputQuery(QStringLiteral("Новая закладка"), QStringLiteral("Текст"), text)) {
        const int at = lbTabs->currentRow();
        QListWidgetItem* item = EntryItem({text, nullptr});
        if (at >= 0)
            lbTabs->insertItem(at, item);
        else
            lbTabs->addItem(item);
    }
    UpdateButtons();
}

void TdlgSetupPages::btnDeleteClick() {
    const int at = lbTabs->currentRow();
    if (at >= 0) delete lbTabs->takeItem(at);
    UpdateButtons();
}

void TdlgSetupPages::Exchange(int a, int b) {
    if (a < 0 || b < 0 || a >= lbTabs->count() || b >= lbTabs->count()) return;
    const int lo = std::min(a, b);
    QListWidgetItem* later = lbTabs->takeItem(std::max(a, b));
    lbTabs->insertItem(lo, later);
    lbTabs->setCurrentRow(b);
}

void TdlgSetupPages::btnMoveUpClick() {
    const int at = lbTabs->currentRow();
    Exchange(at, at - 1);
    UpdateButtons();
}

void TdlgSetupPages::btnMoveDownClick() {
    const int at = lbTabs->currentRow();
    Exchange(at, at + 1);
    UpdateButtons();
}

void TdlgSetupPages::UpdateButtons() {
    const int at = lbTabs->currentRow();
    btnDelete->setEnabled(at >= 0);
    btnMoveUp->setEnabled(at > 0);
    btnMoveDown->setEnabled(at >= 0 && at < lbTabs->count() - 1);
}

void TdlgSetupPages::showEvent(QShowEvent* e) {
    UpdateButtons();
    TSetupDialog::showEvent(e);
}
