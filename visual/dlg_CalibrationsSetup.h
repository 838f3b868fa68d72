#pragma once
// The list of stored calibrations with their sensors' names: switch one on or
// off, or delete it. Changes are staged in the dialog and written in one short
// transaction on OK; Cancel writes nothing.
#include "Formatting.h"

#include <QDialog>
#include <QString>
#include <vector>

#pragma GCC visibility push(default)

class QPushButton;
class QTableWidget;

class TdlgCalibrations : public QDialog {
    Q_OBJECT
public:
    // Reads the calibrations; a database error propagates.
    explicit TdlgCalibrations(QWidget* parent = nullptr);

    struct TRow {
        qint64 RowID = 0;
        int GID = 0;
        QString Serial;
        TDateTime Date = 0;
        QString Operator;
        QString Text;
        QString Name;
        bool Active = false;
        bool Changed = false;
    };
    const std::vector<TRow>& Rows() const { return FRows; }

    // The current row's calibration switched on (the others of its sensor
    // and serial off) or off.
    void ActivateClick();
    // Asks, then drops the current row.
    void DeleteClick();
    // Writes the staged changes; raises on a database error (nothing written).
    void ApplyChanges();

    QTableWidget* grCalibrations;
    QPushButton* btnActivate;
    QPushButton* btnDelete;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void done(int result) override;

private:
    void Fill();
    void AfterScroll();

    std::vector<TRow> FRows;
    std::vector<TRow> FDeleted;
};

#pragma GCC visibility pop
