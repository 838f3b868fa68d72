#pragma once
// The list of the suite's hints, oldest first, where the user deletes them.
#include <QDialog>

#pragma GCC visibility push(default)

class QPushButton;
class QTreeWidget;

class TdlgWKHintsList : public QDialog {
    Q_OBJECT
public:
    explicit TdlgWKHintsList(QWidget* parent = nullptr);
    // Rebuilds the rows from the hint list, read under its lock.
    void UpdateList();
    // The selected row, or -1.
    int SelectedRow() const;
    void SelectRow(int row);

    QTreeWidget* lvHints;
    QPushButton* btnDeleteHint;
    QPushButton* btnDeleteAll;
    QPushButton* OKBtn;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void btnDeleteHintClick();
    void btnDeleteAllClick();
    void DeleteRow(int row);
    void UpdateDeleteButton();
};

#pragma GCC visibility pop
