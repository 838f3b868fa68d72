#pragma once
// The setup of a splitter: alignment and the beveled look. The equipment
// tree dialog starts from it.
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class QCheckBox;
class TfrAlign;

class TdlgSetupSplitter : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupSplitter(QWidget* parent = nullptr)
        : TdlgSetupSplitter(QStringLiteral("Настройка разделителя"), parent) {}
    TfrAlign* frAlign;
    QCheckBox* cbBeveled;

protected:
    TdlgSetupSplitter(const QString& caption, QWidget* parent);
};

#pragma GCC visibility pop
