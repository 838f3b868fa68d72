#pragma once
// The properties of a well-log document: its index range, vertical scale and
// grid step (shown in the units a driller reads: 1:N for depth, millimetres
// per hour and minutes for time), the first page number, the form's author,
// name and comment, its language and a fixed paper size.
#include "dlg_SetupForms.h"

#include <QStringList>

#include <functional>

#pragma GCC visibility push(default)

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace Plotmere {

class TSketchDocument;

class TdlgSetupChart : public TLayoutFormDialog {
    Q_OBJECT
public:
    explicit TdlgSetupChart(QWidget* parent = nullptr);

    // Fills the controls from the document; Apply writes the values checked
    // on OK back.
    void Fill(const TSketchDocument& document);
    void Apply(TSketchDocument& document) const;

    // Replaces the source of the language list, which is the translation
    // library's languages (none without the library; the list then holds
    // only the document's own language).
    static void SetLanguageSource(std::function<QStringList()> source);

    QCheckBox* cbShowBottomHeader;
    QCheckBox* cbMainIDSubst;
    QLabel* lbScale;
    QComboBox* cbScale;  // editable
    QLabel* lbStep;
    QLineEdit* edStep;
    QLineEdit* edMin;
    QLineEdit* edMax;
    QLineEdit* edStartPage;
    QLineEdit* edAuthor;
    QLineEdit* edName;
    QPlainTextEdit* memComment;
    QComboBox* cbLanguage;  // editable
    QCheckBox* cbFixedPageSize;
    QComboBox* cbPageSize;

protected:
    void Validate() override;

private:
    // What Validate read from the controls, in the document's units.
    struct TValues {
        double Scale = 0, Step = 0, Min = 0, Max = 0;
        int StartPage = 0;
    };
    // The number a box holds: the document's own value while the box still
    // shows the text it was filled with (the shown text is rounded).
    double Typed(const QString& text, int index, double typed) const;

    bool FTime = false;
    TValues FValues;
    // The texts shown for scale, step, min and max, and the values behind them.
    QString FShown[4];
    double FOriginal[4] = {};
};

}  // namespace Plotmere

#pragma GCC visibility pop
