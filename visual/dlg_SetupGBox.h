#pragma once
// The setup of a group box: alignment, caption and font.
#include "CommonDialogs.h"
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class TfrAlign;
class TLabeledEdit;

class TdlgSetupGroupBox : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupGroupBox(QWidget* parent = nullptr);
    TfrAlign* frAlign;
    TLabeledEdit* leText;
    QPushButton* btnFont;
    TFontDialog fd;
};

#pragma GCC visibility pop
