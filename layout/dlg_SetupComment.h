#pragma once
// The comment dialog: one comment's text, font, position, offset, clip,
// angle and alignment. The comment list uses it to edit one entry and, as a
// template with its sample text fixed and no position, to style pasted lines.
#include "Formatting.h"
#include "dlg_SetupForms.h"

#pragma GCC visibility push(default)

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TFont;
class TRadioGroup;

namespace Plotmere {

class TPrintComment;

class TdlgSetupComment : public TLayoutSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupComment(QWidget* parent = nullptr);

    // Fills the form from a comment; a time document shows the position as
    // date and time, a time of day alone is taken on today's date.
    void SetValues(const TPrintComment& comment, bool timeDocument, TDateTime today);
    // Writes the confirmed values into a comment; a box left as filled keeps
    // the comment's exact value.
    void GetValues(TPrintComment& comment) const;
    // As a template for pasted lines: the sample text is read-only and the
    // position hidden; an empty offset becomes 2.
    void SetTemplateMode(bool on);
    bool TemplateMode() const { return FTemplate; }
    TFont& Font() const { return btFont->Font(); }

    QPlainTextEdit* meText;
    TFontButton* btFont;
    QLabel* lbPosition;
    QLineEdit* edPosition;
    QLabel* lbOffset;
    QLineEdit* edOffset;
    QCheckBox* cbNoClip;
    QComboBox* cbAngle;
    TRadioGroup* rgAlign;

protected:
    void Validate() override;
    void showEvent(QShowEvent* event) override;
    // The position box's value; raises the conversion error when it holds none.
    double ReadPosition() const;
    double ReadOffset() const;

    bool FTimeDocument = false;
    TDateTime FToday = 0;
    bool FTemplate = false;
    // What the boxes held when filled, and the exact values behind them.
    QString FFilledPosition, FFilledOffset;
    double FPosition = 0, FOffset = 0;
};

}  // namespace Plotmere

#pragma GCC visibility pop
