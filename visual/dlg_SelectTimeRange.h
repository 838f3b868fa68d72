#pragma once
// The range of time to copy operations of: a start and a stop, each a date
// and a time of day.
#include "Formatting.h"
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class QDateEdit;
class QTimeEdit;

class TdlgSelectTimeRange : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSelectTimeRange(QWidget* parent = nullptr);

    // Date (whole days) plus time of day (fraction of a day).
    TDateTime StartTime() const;
    TDateTime StopTime() const;
    void SetStartTime(TDateTime value);
    void SetStopTime(TDateTime value);

    QDateEdit* dtpStartDate;
    QTimeEdit* dtpStartTime;
    QDateEdit* dtpStopDate;
    QTimeEdit* dtpStopTime;
};

#pragma GCC visibility pop
