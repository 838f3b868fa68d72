#pragma once
// The text and colour of a new chart comment.
#include "CommonDialogs.h"
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class QLineEdit;
class TColorRect;
class TShape;

class TdlgInputComment : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgInputComment(QWidget* parent = nullptr);

    QLineEdit* edComment;
    TShape* shColor;
    TColorRect* cbColor;
    QPushButton* btnColor;
    TColorDialog cd;
};

// The one comment dialog, made on first use and kept until the application ends.
TdlgInputComment& dlgInputComment();

#pragma GCC visibility pop
