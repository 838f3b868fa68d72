#include "fr_SetupFormula.h"

#include "Express.h"
#include "WKControls.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {
QList<TFormulaButton> WithCommonTail(QList<TFormulaButton> head) {
    head += {{QStringLiteral("Sin()"), {}},
             {QStringLiteral("Cos()"), {}},
             {QStringLiteral("Tan()"), {}},
             {QStringLiteral("ATan()"), {}},
             {QStringLiteral("SQRT()"), QStringLiteral("Квадратный корень")},
             {QStringLiteral("Log()"), QStringLiteral("Десятичный логарифм")},
             {QStringLiteral("Ln()"), QStringLiteral("Натуральный логарифм")},
             {QStringLiteral("Round()"), QStringLiteral("Округлить")},
             {QStringLiteral("^"), QStringLiteral("Степень")},
             {QStringLiteral("PI"), QStringLiteral("Число Пи")},
             {QStringLiteral("Параметр..."), QStringLiteral("Добавить параметр в формулу")}};
    return head;
}
}  // namespace

const QList<TFormulaButton>& FrameFormulaButtons() {
    static const QList<TFormulaButton> buttons = WithCommonTail(
        {{QStringLiteral("Or"), {}}, {QStringLiteral("And"), {}}, {QStringLiteral("If(,,)"), {}}, {QStringLiteral("<>"), {}}});
    return buttons;
}

const QList<TFormulaButton>& DialogFormulaButtons() {
    static const QList<TFormulaButton> buttons = WithCommonTail(
        {{QStringLiteral("+"), {}}, {QStringLiteral("-"), {}}, {QStringLiteral("/"), {}}, {QStringLiteral("*"), {}}});
    return buttons;
}

QWidget* CreateFormulaButtons(const QList<TFormulaButton>& buttons, QButtonGroup*& group, QWidget* parent) {
    auto* panel = new QWidget(parent);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    group = new QButtonGroup(panel);
    for (int i = 0; i < buttons.size(); ++i) {
        auto* b = new QPushButton(buttons[i].Caption, panel);
        b->setFixedWidth(74);
        b->setToolTip(buttons[i].Hint);
        b->setAutoDefault(false);
        group->addButton(b, i);
        grid->addWidget(b, i / 4, i % 4);
    }
    return panel;
}

QString ParameterIdentifier(const TSensDescr& descr) {
    if (!descr.StrID.isEmpty()) return QLatin1Char('{') + descr.SystemID + QLatin1Char('.') + descr.StrID + QLatin1Char('}');
    return QLatin1Char('S') + QString::number(descr.GID);
}

void InsertIntoFormula(QPlainTextEdit& memo, const QString& text, bool stepBack) {
    QTextCursor cursor = memo.textCursor();
    cursor.insertText(text);
    memo.setTextCursor(cursor);
    memo.setFocus();
    if (stepBack) {
        cursor.movePosition(QTextCursor::PreviousCharacter);
        memo.setTextCursor(cursor);
    }
}

void FormulaButtonClicked(QPlainTextEdit& memo, const QList<TFormulaButton>& buttons, int index,
                          TSensSelection pickSelection, const TGetCustomParams& source) {
    if (index < 0 || index >= buttons.size()) return;
    QString text = buttons[index].Caption;
    if (index == ParameterButtonIndex) {
        TSensDescr descr;
        if (!SelectParameter(pickSelection, descr, source)) return;
        text = ParameterIdentifier(descr);
    }
    InsertIntoFormula(memo, text, buttons[index].Caption.contains(QLatin1Char(')')));
}

QString FormulaSyntaxMessage(TRParser& parser, const QString& text) {
    parser.SetText(text);
    return parser.SyntaxCheck();
}

TfrSetupFormula::TfrSetupFormula(QWidget* parent) : QGroupBox(QStringLiteral("Формула"), parent) {
    memFormula = new QPlainTextEdit(this);
    lblError = new QLabel(this);
    lblError->setWordWrap(true);
    QWidget* buttons = CreateFormulaButtons(FrameFormulaButtons(), bgFunctions, this);
    auto* l = new QVBoxLayout(this);
    l->addWidget(memFormula, 1);
    l->addWidget(lblError);
    l->addWidget(buttons);
    connect(memFormula, &QPlainTextEdit::textChanged, this, &TfrSetupFormula::memFormulaChange);
    connect(bgFunctions, &QButtonGroup::idClicked, this, &TfrSetupFormula::bgFunctionsButtonClicked);
}

TRParser& TfrSetupFormula::GetParser() const { return FParser ? *FParser : RParser(); }

bool TfrSetupFormula::IsValid() const { return lblError->text().isEmpty() && !Formula().trimmed().isEmpty(); }

QString TfrSetupFormula::Formula() const { return memFormula->toPlainText(); }

void TfrSetupFormula::SetFormula(const QString& text) { memFormula->setPlainText(text); }

void TfrSetupFormula::memFormulaChange() {
    lblError->setText(FormulaSyntaxMessage(GetParser(), Formula()));
    emit FormulaChanged();
}

void TfrSetupFormula::bgFunctionsButtonClicked(int index) {
    const TSensSelection selection = FIsDateTime ? TSensSelection{ssTime, ssForemostStream, ssHidePrimary}
                                                 : TSensSelection{ssDepth, ssHidePrimary};
    FormulaButtonClicked(*memFormula, FrameFormulaButtons(), index, selection, FOnGetCustomParams);
}
