#pragma once
// The choice of the control class to insert: the display names of the
// Controls rows that are not always loaded, in table order.
#include <QDialog>

#pragma GCC visibility push(default)

class QListWidget;
class QPushButton;

class TdlgSelectComp : public QDialog {
    Q_OBJECT
public:
    explicit TdlgSelectComp(QWidget* parent = nullptr);

    QListWidget* lbComponents;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    // The class name of the chosen row after OK; empty otherwise.
    QString Result;

    // Fills the list from the local configuration database (the dialog is
    // made just before it is shown); OK is enabled only with entries, the
    // first one selected. A database error propagates.
    void FillList();
    void done(int r) override;
};

#pragma GCC visibility pop
