#pragma once
// Pieces the item setup dialogs of the well-log layout share: the OK and
// Cancel buttons, a font button that keeps its own copy of the font, the line
// style list, and reading numbers typed into a dialog.
#include "Formatting.h"
#include "Graphics.h"
#include "dlg_Common.h"

#include <QBoxLayout>
#include <QPushButton>

#pragma GCC visibility push(default)

class QComboBox;

namespace Plotmere {

// The value types whose numbers are written with a chosen count of decimals
// (single and double floating point).
enum TFloatDataType : quint16 { dtSingleFloat = 4, dtDoubleFloat = 5 };
inline bool IsFloatDataType(int dataType) { return dataType == dtSingleFloat || dataType == dtDoubleFloat; }

// A dialog of the layout with "OK" and "Отмена" at the bottom of its body.
class TLayoutFormDialog : public TLayoutSetupDialog {
    Q_OBJECT
public:
    TLayoutFormDialog(const QString& caption, QWidget* parent = nullptr);

    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    QBoxLayout* Body() const { return FBody; }

private:
    QBoxLayout* FBody;
};

// A button that edits its own copy of a font through the font dialog; the
// caller takes the copy back only when the whole dialog is confirmed.
class TFontButton : public QPushButton {
    Q_OBJECT
public:
    explicit TFontButton(const QString& caption, QWidget* parent = nullptr);
    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& font) { FFont.Assign(&font); }

signals:
    void FontChanged();

private:
    TFont FFont;
};

// "Сплошная", "Тире", "Точки", "Точка тире", "Точка точка тире": the list
// index is the pen style.
void FillPenStyles(QComboBox& list);
// The numbers from .. to as the items of a list.
void FillNumbers(QComboBox& list, int from, int to);

// The number typed into a box. Without a message a wrong text fails with the
// platform's conversion error, otherwise with the message.
double DialogFloat(const QString& text, const QString& message = QString());
int DialogInt(const QString& text, const QString& message = QString());
// A date and time typed as dd.mm.yyyy with an optional h:nn or h:nn:ss.
TDateTime DialogDateTime(const QString& text);

}  // namespace Plotmere

#pragma GCC visibility pop
