#pragma once
// The properties of one stored formula (a FORMULAS row of the well
// database): name, text with a live syntax check and insertion buttons, and
// description. OK checks name and text and stores the row; a refused row
// (blank fields, a duplicate name) keeps the dialog open with the message.
#include "WKParamSource.h"
#include "dm_Wells.h"

#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TRParser;

class TdlgFormulaProperties : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgFormulaProperties(QWidget* parent = nullptr);

    TGetCustomParams FOnGetCustomParams;
    TRParser* FFormulaParser = nullptr;  // null: the global parser
    // Stores a confirmed row; raises to refuse it (the message is shown and
    // the dialog stays open).
    std::function<void(const TFormulaRow&)> FPostRow;

    // Edits a new row of the well database (its SUBSET as given) and, on OK,
    // inserts it in a transaction of its own, so nothing else pending on the
    // database is committed or rolled back with it. A database that cannot be
    // reached raises.
    int EditNewRow(const TFormulaRow& row);

    void SetRow(const TFormulaRow& row);
    TFormulaRow Row() const;

    void memTextChange();
    void bgFunctionsButtonClicked(int index);
    // The close checks of OK.
    void accept() override;

    QLineEdit* dbeName;
    QPlainTextEdit* dbmText;
    QPlainTextEdit* dbmDescr;
    QLabel* lblError;
    QButtonGroup* bgFunctions;

private:
    TFormulaRow FRow;
};

// The application's one formula properties dialog, created on first use.
TdlgFormulaProperties& dlgFormulaProperties();

#pragma GCC visibility pop
