#pragma once
// The default binding of the data controls a new form gets: time or depth.
#include <QDialog>

#pragma GCC visibility push(default)

class TRadioGroup;
class QPushButton;

class TdlgSelectFormType : public QDialog {
    Q_OBJECT
public:
    explicit TdlgSelectFormType(QWidget* parent = nullptr);

    // "По времени" (0, selected) or "По глубине" (1).
    TRadioGroup* rgType;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};

#pragma GCC visibility pop
