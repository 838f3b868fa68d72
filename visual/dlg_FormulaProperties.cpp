#include "dlg_FormulaProperties.h"

#include "Express.h"
#include "ModalDialogs.h"
#include "fr_SetupFormula.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

TdlgFormulaProperties::TdlgFormulaProperties(QWidget* parent)
    : TSetupDialog(QStringLiteral("Свойства формулы"), parent) {
    dbeName = new QLineEdit(this);
    dbmText = new QPlainTextEdit(this);
    dbmDescr = new QPlainTextEdit(this);
    lblError = new QLabel(this);
    lblError->setWordWrap(true);
    QWidget* buttons = CreateFormulaButtons(DialogFormulaButtons(), bgFunctions, this);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Название"), dbeName);
    fields->addRow(QStringLiteral("Формула"), dbmText);
    fields->addRow(QString(), lblError);
    fields->addRow(QStringLiteral("◄ Добавление в формулу"), buttons);
    fields->addRow(QStringLiteral("Описание"), dbmDescr);
    Body()->addLayout(fields, 1);

    connect(dbmText, &QPlainTextEdit::textChanged, this, &TdlgFormulaProperties::memTextChange);
    connect(bgFunctions, &QButtonGroup::idClicked, this, &TdlgFormulaProperties::bgFunctionsButtonClicked);
    memTextChange();
}

void TdlgFormulaProperties::SetRow(const TFormulaRow& row) {
    FRow = row;
    dbeName->setText(row.FORMULANAME);
    dbmText->setPlainText(row.FORMULATEXT);
    dbmDescr->setPlainText(row.DESCRIPTION);
    memTextChange();
}

TFormulaRow TdlgFormulaProperties::Row() const {
    TFormulaRow row = FRow;
    row.FORMULANAME = dbeName->text();
    row.FORMULATEXT = dbmText->toPlainText();
    row.DESCRIPTION = dbmDescr->toPlainText();
    return row;
}

void TdlgFormulaProperties::memTextChange() {
    const QString text = dbmText->toPlainText();
    const QString message = FormulaSyntaxMessage(FFormulaParser ? *FFormulaParser : RParser(), text);
    lblError->setText(message);
    OKBtn->setEnabled(message.isEmpty() && !text.trimmed().isEmpty());
}

void TdlgFormulaProperties::bgFunctionsButtonClicked(int index) {
    FormulaButtonClicked(*dbmText, DialogFormulaButtons(), index, {ssTime, ssForemostStream, ssHidePrimary},
                         FOnGetCustomParams);
}

void TdlgFormulaProperties::accept() {
    const TFormulaRow row = Row();
    QString refusal;
    if (row.FORMULANAME.trimmed().isEmpty())
        refusal = QStringLiteral("Необходимо ввести название формулы");
    else if (row.FORMULATEXT.trimmed().isEmpty())
        refusal = QStringLiteral("Необходимо ввести текст формулы");
    else if (FPostRow) {
        try {
            FPostRow(row);
        } catch (const std::exception& e) {
            refusal = ExceptionMessage(e);
        }
    }
    if (!refusal.isEmpty()) {
        MessageDlg(refusal, mtError, mbOK);
        return;
    }
    QDialog::accept();
}

int TdlgFormulaProperties::EditNewRow(const TFormulaRow& row) {
    // An attachment of its own: its commit or rollback touches this row only.
    TDataConnection own = OpenWellDatabase();
    own.Transaction();
    FPostRow = [&own](const TFormulaRow& r) { PostFormulaRow(own, r); };
    SetRow(row);
    // The one instance is shown again and again: no result of an earlier showing may stay.
    setResult(0);
    int result = mrCancel;
    try {
        result = ShowModal(*this);
    } catch (...) {
        FPostRow = nullptr;
        own.Rollback();
        throw;
    }
    FPostRow = nullptr;
    if (result == mrOk)
        own.Commit();
    else
        own.Rollback();
    return result;
}

TdlgFormulaProperties& dlgFormulaProperties() {
    static QPointer<TdlgFormulaProperties> instance;
    if (!instance) {
        instance = new TdlgFormulaProperties;
        if (QCoreApplication* app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, instance, &QObject::deleteLater);
    }
    return *instance;
}
