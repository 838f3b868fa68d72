#pragma once
// What every setup dialog of the plain controls has: a caption, a body the
// dialog fills, and the "OK" (modal result OK) and "Отмена" (cancel) buttons.
#include <QDialog>

#pragma GCC visibility push(default)

class QPushButton;
class QVBoxLayout;

class TSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit TSetupDialog(const QString& caption, QWidget* parent = nullptr);

    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    QVBoxLayout* Body() const { return FBody; }

private:
    QVBoxLayout* FBody;
};

// A push button that keeps the dialog's default button for OK.
QPushButton* DialogButton(const QString& caption, QWidget* parent);

#pragma GCC visibility pop
