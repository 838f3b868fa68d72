#include "dlg_SelectLocation.h"

#include "dm_Service.h"

#include <QHeaderView>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

TdlgSelectLocation::TdlgSelectLocation(QWidget* parent)
    : TSetupDialog(QStringLiteral("Установка положения датчиков"), parent) {
    dsLocations = new QStandardItemModel(0, 1, this);
    dsLocations->setHorizontalHeaderLabels({QStringLiteral("Место установки")});
    if (!dmService) throw Exception(QStringLiteral("TdlgSelectLocation: the local database is not open"));
    QSqlQuery q = dmService->dbService().Exec(
        QStringLiteral("SELECT LocationName FROM Locations ORDER BY NameOrder, rowid"));
    while (q.next()) {
        auto* item = new QStandardItem(q.value(0).toString());
        item->setEditable(false);
        dsLocations->appendRow(item);
    }
    grdLocations = new QTableView(this);
    grdLocations->setModel(dsLocations);
    grdLocations->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdLocations->setSelectionMode(QAbstractItemView::SingleSelection);
    grdLocations->horizontalHeader()->setStretchLastSection(true);
    grdLocations->verticalHeader()->hide();
    Body()->addWidget(grdLocations);
    connect(grdLocations, &QTableView::doubleClicked, this, &QDialog::accept);
}

QString TdlgSelectLocation::LocationName() const {
    const QModelIndex i = grdLocations->currentIndex();
    return i.isValid() ? dsLocations->item(i.row())->text() : QString();
}

void TdlgSelectLocation::SetLocationName(const QString& name) {
    const auto found = dsLocations->findItems(name);
    grdLocations->setCurrentIndex(found.isEmpty() ? QModelIndex() : found.first()->index());
}
