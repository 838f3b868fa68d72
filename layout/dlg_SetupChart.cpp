#include "dlg_SetupChart.h"

#include "DictionaryIntf.h"
#include "Formatting.h"
#include "Exceptions.h"
#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "Printers.h"
#include "SketchDoc.h"
#include "WKConsts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <cmath>

namespace Plotmere {

namespace {
const QString ScaleWrong = QStringLiteral("Неверно задан масштаб");
const QString StepWrong = QStringLiteral("Неверно задан шаг");
const QString StartPageWrong = QStringLiteral("Неверно задана начальная страница");

std::function<QStringList()>& LanguageSource() {
    static std::function<QStringList()> source;
    return source;
}

// The translation library's languages, when it is loaded; a library that
// answers nonsense offers none rather than keeping the dialog from opening.
QStringList DictionaryLanguages() {
    QStringList names;
    try {
        TLanguageList languages;
        WKDictionary().GetLanguages(languages);
        for (const TLanguage& language : languages) names.append(language.Name);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdlgSetupChart.Fill: ") + ExceptionMessage(e));
    }
    return names;
}

// The paper forms of the print spooler; a spooler that fails offers none.
QStringList PaperFormList() {
    try {
        return Printers().PaperForms();
    } catch (const std::exception&) {
        return {};
    }
}

// Puts the items into an editable list and shows text, adding it when the
// list does not hold it, so that a value no list offers is not lost.
void ShowInList(QComboBox& list, const QStringList& items, const QString& text) {
    list.clear();
    list.addItems(items);
    if (!text.isEmpty() && list.findText(text) < 0) list.addItem(text);
    list.setCurrentIndex(list.findText(text));
    if (list.isEditable()) list.setEditText(text);
}

TItemSetupRegistration Registration(typeid(TSketchDocument), [](TPrintItem& item, TRenderDevice*) {
    auto& document = static_cast<TSketchDocument&>(item);
    auto& dialog = KeptDialog<TdlgSetupChart>();
    dialog.Fill(document);
    if (ShowModal(dialog) != mrOk) return false;
    dialog.Apply(document);
    return true;
});
}  // namespace

void TdlgSetupChart::SetLanguageSource(std::function<QStringList()> source) { LanguageSource() = std::move(source); }

TdlgSetupChart::TdlgSetupChart(QWidget* parent) : TLayoutFormDialog(QStringLiteral("Свойства документа"), parent) {
    cbShowBottomHeader = new QCheckBox(QStringLiteral("Дублировать заголовки полей снизу"), this);
    cbMainIDSubst = new QCheckBox(QStringLiteral("Переводить в вертикальную глубину"), this);
    lbScale = new QLabel(this);
    cbScale = new QComboBox(this);
    cbScale->setEditable(true);
    lbStep = new QLabel(this);
    edStep = new QLineEdit(this);
    edMin = new QLineEdit(this);
    edMax = new QLineEdit(this);
    edStartPage = new QLineEdit(this);
    edAuthor = new QLineEdit(this);
    edName = new QLineEdit(this);
    memComment = new QPlainTextEdit(this);
    cbLanguage = new QComboBox(this);
    cbLanguage->setEditable(true);
    cbFixedPageSize = new QCheckBox(QStringLiteral("Использовать фиксированный размер страницы"), this);
    cbPageSize = new QComboBox(this);

    auto* form = new QFormLayout;
    form->addRow(lbScale, cbScale);
    form->addRow(lbStep, edStep);
    form->addRow(QStringLiteral("Минимум"), edMin);
    form->addRow(QStringLiteral("Максимум"), edMax);
    form->addRow(QStringLiteral("Начальная страница"), edStartPage);
    form->addRow(QStringLiteral("Автор"), edAuthor);
    form->addRow(QStringLiteral("Название"), edName);
    form->addRow(QStringLiteral("Комментарий"), memComment);
    form->addRow(QStringLiteral("Язык"), cbLanguage);
    Body()->addWidget(cbShowBottomHeader);
    Body()->addWidget(cbMainIDSubst);
    Body()->addLayout(form);
    Body()->addWidget(cbFixedPageSize);
    Body()->addWidget(cbPageSize);
    connect(cbFixedPageSize, &QCheckBox::toggled, cbPageSize, &QWidget::setEnabled);
}

void TdlgSetupChart::Fill(const TSketchDocument& document) {
    FTime = document.DataClass() == 0;
    cbShowBottomHeader->setChecked(document.ShowBottomHeader());
    cbMainIDSubst->setChecked(document.GetMIDSubst());
    cbMainIDSubst->setVisible(!FTime);
    const QString scale = FTime ? FormatFloat(QStringLiteral("0.##"), 1 / (document.Scale() * 24))
                                : FormatFloat(QStringLiteral("0.##"), document.Scale() * 1000);
    if (FTime) {
        lbScale->setText(QStringLiteral("Масштаб (мм/час)"));
        lbStep->setText(QStringLiteral("Шаг (мин)"));
        ShowInList(*cbScale, {QStringLiteral("60"), QStringLiteral("180")}, scale);
        edStep->setText(FormatFloat(QStringLiteral("0.####"), document.Step() * 24 * 60));
        edMin->setText(DateTimeToStr(document.Min()));
        edMax->setText(DateTimeToStr(document.Max()));
    } else {
        lbScale->setText(QStringLiteral("Масштаб 1:"));
        lbStep->setText(QStringLiteral("Шаг (м)"));
        ShowInList(*cbScale, {QStringLiteral("200"), QStringLiteral("500")}, scale);
        edStep->setText(FloatToStr(document.Step()));
        edMin->setText(FormatFloat(QStringLiteral("0.##"), document.Min()));
        edMax->setText(FormatFloat(QStringLiteral("0.##"), document.Max()));
    }
    FShown[0] = cbScale->currentText();
    FShown[1] = edStep->text();
    FShown[2] = edMin->text();
    FShown[3] = edMax->text();
    FOriginal[0] = document.Scale();
    FOriginal[1] = document.Step();
    FOriginal[2] = document.Min();
    FOriginal[3] = document.Max();
    edStartPage->setText(QString::number(document.StartPage() + 1));
    edAuthor->setText(document.FormDesigner());
    edName->setText(document.FormName());
    memComment->setPlainText(document.Comment());
    const QStringList languages = LanguageSource() ? LanguageSource()() : DictionaryLanguages();
    ShowInList(*cbLanguage, languages, document.Language());
    cbFixedPageSize->setChecked(document.IsFixedPageSize());
    cbPageSize->setEnabled(document.IsFixedPageSize());
    ShowInList(*cbPageSize, PaperFormList(), document.StrPageSize());
}

void TdlgSetupChart::Validate() {
    if (cbFixedPageSize->isChecked()) StrPageSizeToPageSize(cbPageSize->currentText());
    TValues values;
    const double scale = DialogFloat(cbScale->currentText(), ScaleWrong);
    // A zero or negative scale would make every track's height and every
    // projection meaningless.
    if (!(scale > 0) || !std::isfinite(scale)) throw Exception(ScaleWrong);
    const double step = DialogFloat(edStep->text(), StepWrong);
    if (step < 0 || !std::isfinite(step)) throw Exception(StepWrong);
    values.StartPage = std::abs(DialogInt(edStartPage->text(), StartPageWrong) - 1);
    if (FTime) {
        values.Scale = Typed(cbScale->currentText(), 0, 1 / scale / 24);
        values.Step = Typed(edStep->text(), 1, step / 24 / 60);
        values.Min = Typed(edMin->text(), 2, DialogDateTime(edMin->text()));
        values.Max = Typed(edMax->text(), 3, DialogDateTime(edMax->text()));
    } else {
        values.Scale = Typed(cbScale->currentText(), 0, scale / 1000);
        values.Step = Typed(edStep->text(), 1, step);
        values.Min = Typed(edMin->text(), 2, DialogFloat(edMin->text()));
        values.Max = Typed(edMax->text(), 3, DialogFloat(edMax->text()));
    }
    FValues = values;
}

double TdlgSetupChart::Typed(const QString& text, int index, double typed) const {
    return text == FShown[index] ? FOriginal[index] : typed;
}

void TdlgSetupChart::Apply(TSketchDocument& document) const {
    document.SetScale(FValues.Scale);
    document.SetStep(FValues.Step);
    document.SetMin(FValues.Min);
    document.SetMax(FValues.Max);
    document.SetStartPage(FValues.StartPage);
    document.SetFormDesigner(edAuthor->text());
    document.SetFormName(edName->text());
    document.SetComment(memComment->toPlainText());
    document.SetShowBottomHeader(cbShowBottomHeader->isChecked());
    document.SetMIDSubst(cbMainIDSubst->isChecked());
    document.SetLanguage(cbLanguage->currentText());
    document.SetIsFixedPageSize(cbFixedPageSize->isChecked());
    document.SetStrPageSize(cbPageSize->currentText());
}

}  // namespace Plotmere
