#include "dlg_WKHintsList.h"

#include "WKConsts.h"
#include "Exceptions.h"
#include "WKHints.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TdlgWKHintsList::TdlgWKHintsList(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgWKHintsList"));
    setWindowTitle(QStringLiteral("Список сообщений"));
    lvHints = new QTreeWidget(this);
    lvHints->setColumnCount(2);
    lvHints->setHeaderLabels({QStringLiteral("Время"), QStringLiteral("Сообщение")});
    lvHints->setColumnWidth(0, 150);
    lvHints->header()->setStretchLastSection(true);
    lvHints->header()->setSectionsClickable(false);
    lvHints->setRootIsDecorated(false);
    lvHints->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvHints->setSelectionMode(QAbstractItemView::SingleSelection);
    lvHints->setEditTriggers(QAbstractItemView::NoEditTriggers);
    btnDeleteHint = new QPushButton(QStringLiteral("Удалить"), this);
    btnDeleteHint->setToolTip(QStringLiteral("Удалить выбранное сообщение"));
    btnDeleteAll = new QPushButton(QStringLiteral("Удалить все"), this);
    OKBtn = new QPushButton(QStringLiteral("Выход"), this);
    OKBtn->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnDeleteHint);
    buttons->addWidget(btnDeleteAll);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lvHints);
    layout->addLayout(buttons);
    resize(520, 320);
    connect(btnDeleteHint, &QPushButton::clicked, this, &TdlgWKHintsList::btnDeleteHintClick);
    connect(btnDeleteAll, &QPushButton::clicked, this, &TdlgWKHintsList::btnDeleteAllClick);
    // "Выход" is both the default and the cancel button.
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(lvHints, &QTreeWidget::itemSelectionChanged, this, &TdlgWKHintsList::UpdateDeleteButton);
    UpdateList();
}

void TdlgWKHintsList::showEvent(QShowEvent* e) {
    UpdateList();
    QDialog::showEvent(e);
}

void TdlgWKHintsList::UpdateList() {
    lvHints->setUpdatesEnabled(false);
    {
        const QSignalBlocker blocker(lvHints);
        lvHints->clear();
        TWKHintList& list = Hints();
        list.Lock();
        try {
            for (int i = 0, n = list.GetCount(); i < n; ++i) {
                const TWKHint hint = list.GetHint(i);
                lvHints->addTopLevelItem(new QTreeWidgetItem({DateTimeToStr(hint.DateTime), hint.Message}));
            }
        } catch (...) {
            list.Unlock();
            lvHints->setUpdatesEnabled(true);
            throw;
        }
        list.Unlock();
    }
    lvHints->setUpdatesEnabled(true);
    btnDeleteAll->setEnabled(lvHints->topLevelItemCount() > 0);
    UpdateDeleteButton();
}

int TdlgWKHintsList::SelectedRow() const {
    const auto items = lvHints->selectedItems();
    return items.isEmpty() ? -1 : lvHints->indexOfTopLevelItem(items.first());
}

void TdlgWKHintsList::SelectRow(int row) {
    lvHints->clearSelection();
    if (QTreeWidgetItem* item = lvHints->topLevelItem(row)) {
        item->setSelected(true);
        lvHints->setCurrentItem(item);
    }
    UpdateDeleteButton();
}

void TdlgWKHintsList::UpdateDeleteButton() { btnDeleteHint->setEnabled(SelectedRow() >= 0); }

void TdlgWKHintsList::DeleteRow(int row) {
    // Another thread may have shortened the list since the rows were made:
    // a row past its end deletes nothing there.
    try {
        TWKHintList& list = Hints();
        list.Lock();
        const bool present = row < list.GetCount();
        if (present) list.Delete(row);
        list.Unlock();
    } catch (const std::exception& e) {
        Hints().Unlock();
        DebugLog(QStringLiteral("TdlgWKHintsList.DeleteRow: ") + ExceptionMessage(e));
    }
    UpdateList();
    const int count = lvHints->topLevelItemCount();
    SelectRow(count == 0 ? -1 : std::min(row, count - 1));
}

void TdlgWKHintsList::btnDeleteHintClick() {
    const int row = SelectedRow();
    if (row >= 0) DeleteRow(row);
}

void TdlgWKHintsList::btnDeleteAllClick() {
    while (lvHints->topLevelItemCount() > 0) {
        const int before = lvHints->topLevelItemCount();
        SelectRow(0);
        DeleteRow(0);
        // Hints added meanwhile by other threads must not keep the loop going forever.
        if (lvHints->topLevelItemCount() >= before) break;
    }
}
