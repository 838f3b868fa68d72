#pragma once
// The setup of a panel: alignment, border, bevels and colour. The grid and
// chart dialogs start from it.
#include "CommonDialogs.h"
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class QCheckBox;
class TfrAlign;
class TRadioGroup;

class TdlgSetupPanel : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupPanel(QWidget* parent = nullptr) : TdlgSetupPanel(QStringLiteral("Настройка панели"), parent) {}

    TfrAlign* frAlign;
    QCheckBox* cbBorder;
    TRadioGroup* rgInner;
    TRadioGroup* rgOuter;
    QPushButton* btnColor;
    TColorDialog cd;

protected:
    TdlgSetupPanel(const QString& caption, QWidget* parent);
};

#pragma GCC visibility pop
