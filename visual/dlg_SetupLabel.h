#pragma once
// The setup of a text label: its text and font.
#include "CommonDialogs.h"
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class TLabeledEdit;

class TdlgSetupLabel : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupLabel(QWidget* parent = nullptr);
    TLabeledEdit* leText;
    QPushButton* btnFont;
    TFontDialog fd;
};

#pragma GCC visibility pop
