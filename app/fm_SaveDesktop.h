#pragma once
// The desktop name dialog: an editable list of the desktop names for saving
// ("Сохранение набора форм"), or a fixed list for deleting ("Удаление набора
// форм"). OK is enabled while the name, blanks trimmed, is not empty.
#include <QDialog>

#pragma GCC visibility push(default)

class QComboBox;
class QPushButton;

class TfmSaveDesktop : public QDialog {
    Q_OBJECT
public:
    explicit TfmSaveDesktop(QWidget* parent = nullptr);
    // The deletion variant: the names without the default desktop, a
    // drop-down list, selectedIndex (of names) selected or the first one.
    void PrepareForDeletion(const QStringList& names, int selectedIndex);
    void SetNames(const QStringList& names);
    QString DesktopName() const;

    QComboBox* cbDesktopName;
    QPushButton* btnOK;

private:
    void UpdateOK();
};

#pragma GCC visibility pop
