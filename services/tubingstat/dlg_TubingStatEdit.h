#pragma once
// The edit dialog of one statistics row: the element's numbers (or the
// assembly flag), start time, model, depths, weight and the eight times as
// hours, minutes and seconds. Closing with OK checks every entry and saves
// the row; a failed check or save shows its message and the dialog stays open.
#include "Formatting.h"

#include <QDialog>
#include <QString>

#pragma GCC visibility push(default)

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class TNumField;
class TStringGrid;
struct TTubingStatItem;

class TdlgTubingStatEdit : public QDialog {
    Q_OBJECT
public:
    explicit TdlgTubingStatEdit(QWidget* parent = nullptr);

    // Loads the current row of the statistics module.
    void GetCurrRecordFromDB();
    // Checks the entries; raises the first failure's message.
    void CheckEntries();
    // Builds the row from the entries and saves it; raises when the save fails.
    void SetCurrRecordToDB();
    // Shows h hours in time row `row` (1..8); NaN empties it.
    void ShowTime(int row, double h);

    int FItemNo = 0;
    int FSubItemNo = 0;
    TNumField* neItemNo;
    TNumField* neSubItemNo;
    QCheckBox* cbIsBHA;
    QDateEdit* dtpStartDate;
    QTimeEdit* dtpStartTime;
    QLineEdit* edItemModel;
    TNumField* neSensorDepth;
    TNumField* neSurveyDepth;
    TNumField* neSumWeight;
    TStringGrid* sgTimings;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    void cbIsBHAClick();
    // The OK button: checks and saves, then closes with OK (FormCloseQuery).
    void btnOKClick();
    [[noreturn]] void FailCell(int col, int row, const QString& message);
    TDateTime StartTime() const;
};

#pragma GCC visibility pop
