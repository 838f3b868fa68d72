#pragma once
// The setup of a track: width, caption and fonts, the grid (visible, line
// type, divisions, colour, logarithmic), borders and value marks, and the
// order of the track's curves.
#include "dlg_SetupForms.h"

#include <QList>

#pragma GCC visibility push(default)

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace Plotmere {

class TPrintField;
class TPrintSeries;

class TdlgSetupField : public TLayoutFormDialog {
    Q_OBJECT
public:
    explicit TdlgSetupField(QWidget* parent = nullptr);

    void Fill(const TPrintField& field);
    // Takes the values checked on OK and re-orders the track's curves as the
    // list orders them; the track's other children stay where they are.
    void Apply(TPrintField& field) const;

    QLineEdit* edWidth;
    QLineEdit* edCaption;
    TFontButton* btnHeaderFont;
    QCheckBox* cbVertHeader;
    TFontButton* btnFont;
    QCheckBox* cbShowGrid;
    QComboBox* cbLineType;
    QComboBox* cbDecades;  // editable
    TColorSwatch* scGridColor;
    QCheckBox* cbLogarithmic;
    QCheckBox* cbShowBorders;
    QCheckBox* cbShowGridMarks;
    QListWidget* lbSeries;
    QPushButton* btnUp;
    QPushButton* btnDown;

    // The curves in the order the list shows them.
    QList<TPrintSeries*> SeriesOrder() const;

protected:
    void Validate() override;

private:
    void MoveCurrent(int delta);
    void UpdateButtons();

    int FWidth = 0;
    int FDecades = 0;
};

}  // namespace Plotmere

#pragma GCC visibility pop
