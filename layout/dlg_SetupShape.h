#pragma once
// The panel dialog ("Настройка панели"): position, linking to the previous
// item, sizing to the content, the three colours and the frame width, with
// a preview of the fill and the frame.
#include "dlg_Common.h"

#pragma GCC visibility push(default)

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace Plotmere {

class TPrintShape;

class TdlgSetupShape : public TLayoutSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupShape(QWidget* parent = nullptr);

    void Fill(const TPrintShape& shape);
    // Gives the values to the panel; a linked panel keeps its top.
    void ApplyTo(TPrintShape& shape) const;

    QLineEdit* edX;
    QLineEdit* edY;
    QCheckBox* cbVLink;
    QCheckBox* cbAutosize;
    TColorSwatch* swBrush;
    TColorSwatch* swTop;
    TColorSwatch* swBottom;
    QLineEdit* edFrameWidth;
    // The up-down of the frame width.
    QToolButton* btnWidthUp;
    QToolButton* btnWidthDown;
    QWidget* pbPreview;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void Validate() override;
};

}  // namespace Plotmere

#pragma GCC visibility pop
