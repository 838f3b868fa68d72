#pragma once
// The digital view: one sensor grid filling a monitoring form.
#include "fm_BaseMDIForm.h"

#include <QPointer>

#pragma GCC visibility push(default)

class TSensGrid;

class TfmDigitalView : public TBaseMDIForm {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TfmDigitalView(QObject* owner = nullptr);

    // Makes the form's grid (owned by the form, filling it) and returns it.
    TSensGrid* CreateGrid();
    // The form's grid; a form read from text takes its first grid.
    TSensGrid* Grid();

private:
    QPointer<TSensGrid> FGrid;
};

#pragma GCC visibility pop
