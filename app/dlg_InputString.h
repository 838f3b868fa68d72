#pragma once
// The small input dialog of captions and tab names: a labelled edit, OK and
// "Отмена", centred on the screen.
#include <QDialog>

#pragma GCC visibility push(default)

class QLabel;
class QLineEdit;
class QPushButton;

class TdlgInputString : public QDialog {
    Q_OBJECT
public:
    explicit TdlgInputString(QWidget* parent = nullptr);

    // Shows the dialog with that caption, label and prefilled text. Value
    // gets the edited text on OK and the prefilled text otherwise; true on OK.
    static bool Input(const QString& caption, const QString& labelText, const QString& defaultText, QString& value);

    QLabel* lbString;
    QLineEdit* leString;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};

#pragma GCC visibility pop
