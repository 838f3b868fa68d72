#pragma once
// The choice of where sensors are installed: the rows of the local
// configuration's Locations table, in their order.
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class QStandardItemModel;
class QTableView;

class TdlgSelectLocation : public TSetupDialog {
    Q_OBJECT
public:
    // Reads the table; a database error propagates.
    explicit TdlgSelectLocation(QWidget* parent = nullptr);

    // The selected location's name (empty when none); selecting an unknown name selects none.
    QString LocationName() const;
    void SetLocationName(const QString& name);

    QTableView* grdLocations;
    QStandardItemModel* dsLocations;
};

#pragma GCC visibility pop
