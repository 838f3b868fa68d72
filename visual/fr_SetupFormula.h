#pragma once
// The embeddable formula editor: the formula text with a live syntax check
// and buttons that insert operators, functions and parameter identifiers.
// The helpers below are shared with the formula properties dialog.
#include "WKParamSource.h"

#include <QGroupBox>
#include <QStringList>

#pragma GCC visibility push(default)

class QButtonGroup;
class QLabel;
class QPlainTextEdit;
class QWidget;
class TRParser;

// Captions and hints of the insertion buttons; the last one picks a parameter.
struct TFormulaButton {
    QString Caption;
    QString Hint;
};
const QList<TFormulaButton>& FrameFormulaButtons();
const QList<TFormulaButton>& DialogFormulaButtons();
inline constexpr int ParameterButtonIndex = 14;

// A panel of the buttons (74 pixels wide, ids = indexes) in four columns.
QWidget* CreateFormulaButtons(const QList<TFormulaButton>& buttons, QButtonGroup*& group, QWidget* parent);
// The identifier a picked parameter is written as: {system.string ID} for a
// description with a string ID, else S<GID>.
QString ParameterIdentifier(const TSensDescr& descr);
// One insertion: text replaces the selection at the caret; the memo takes the
// focus and, when stepBack, the caret goes one character back (inside the
// parentheses of a function).
void InsertIntoFormula(QPlainTextEdit& memo, const QString& text, bool stepBack);
// A button click of either editor: index 14 asks for a parameter with the
// selection and source (nothing on cancel), any other inserts its caption.
void FormulaButtonClicked(QPlainTextEdit& memo, const QList<TFormulaButton>& buttons, int index,
                          TSensSelection pickSelection, const TGetCustomParams& source);
// The syntax message of text: empty for a valid formula.
QString FormulaSyntaxMessage(TRParser& parser, const QString& text);

class TfrSetupFormula : public QGroupBox {
    Q_OBJECT
public:
    explicit TfrSetupFormula(QWidget* parent = nullptr);

    bool FIsDateTime = false;
    TRParser* FParser = nullptr;  // null: the global parser
    TGetCustomParams FOnGetCustomParams;

    TRParser& GetParser() const;
    // No syntax message and a formula that is not blank.
    bool IsValid() const;
    QString Formula() const;
    void SetFormula(const QString& text);

    void memFormulaChange();
    void bgFunctionsButtonClicked(int index);

    QPlainTextEdit* memFormula;
    QLabel* lblError;
    QButtonGroup* bgFunctions;

signals:
    // After the live check of a change.
    void FormulaChanged();
};

#pragma GCC visibility pop
