#pragma once
// The statistics of a chart over a selected X range: one row per series.
#include <QDialog>

#pragma GCC visibility push(default)

class QAction;
class QPushButton;
class QTableWidget;

class TdlgChartStatistic : public QDialog {
    Q_OBJECT
public:
    explicit TdlgChartStatistic(QWidget* parent = nullptr);
    // Fills the grid; the first row is the header. The first column is as
    // wide as its widest text and 10 pixels.
    void SetRows(const QList<QStringList>& Rows);
    // The selected cells as rows of tab-separated texts (the whole grid
    // without a selection).
    QString SelectedText() const;

    QTableWidget* sgStat;
    QAction* actCopy;
    QPushButton* btnExit;
};

#pragma GCC visibility pop
