#pragma once
// The about window: the program's picture and name, its version line
// ("Версия " + the file version) and the date of its build, what it is, its copyright, and the
// computer and system it runs on.
#include <QDialog>

#pragma GCC visibility push(default)

class QLabel;
class QPushButton;
class TExeInfo;

class TfmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfmAbout(const TExeInfo& info, QWidget* parent = nullptr);

    QLabel* imgLogo;
    QLabel* lbProduct;
    QLabel* lbVersion;
    QLabel* lbBuildDate;
    QLabel* lbDescription;
    QLabel* lbCopyright;
    QLabel* lbComputer;
    QPushButton* btnOK;
};

#pragma GCC visibility pop
