#pragma once
// "Элементы колонны": the choice of the element at the rotary table. Row 0
// stands for no element in the well, row n for element n. Typing digits in the
// search field selects the first row whose number contains them; a double
// click accepts.
#include "TreeView.h"
#include "dm_Jointcount.h"

#include <QDialog>

#pragma GCC visibility push(default)

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class TdlgSetupPipeCount : public QDialog {
    Q_OBJECT
public:
    explicit TdlgSetupPipeCount(QWidget* Owner = nullptr);

    // Rows for the list; the casing box shows only when ShowCasing is set.
    void Fill(const TTubingArray& List, const TPictureList& Images, bool ShowCasing, bool CasingDetached);
    // Selects and shows row Index (row 0 when there is no such row).
    void SelectRow(int Index);
    // The selected row, 0 when none.
    int SelectedRow() const;
    // Box visible and ticked.
    bool CasingDetached() const;

    QTreeWidget* lvTubing;
    QLineEdit* edSearch;
    QCheckBox* cbCasingDetached;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    void SearchChanged(const QString& Text);
};

#pragma GCC visibility pop
