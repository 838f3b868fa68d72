#include "dlg_SetupDiSeries.h"

#include "Formatting.h"
#include "Exceptions.h"
#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "PrintSeries.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Plotmere {

namespace {
TItemSetupRegistration Registration(typeid(TPrintDigitalSeries), [](TPrintItem& item, TRenderDevice*) {
    auto& series = static_cast<TPrintDigitalSeries&>(item);
    auto& dialog = KeptDialog<TdlgSetupDiSeries>();
    dialog.Fill(series);
    if (ShowModal(dialog) != mrOk) return false;
    dialog.Apply(series);
    return true;
});
}  // namespace

TdlgSetupDiSeries::TdlgSetupDiSeries(QWidget* parent) : TLayoutFormDialog(QStringLiteral("Настройка отметок"), parent) {
    scColor = new TColorSwatch(this);
    edOffset = new QLineEdit(this);
    edStep = new QLineEdit(this);
    lbPrecision = new QLabel(QStringLiteral("Точность"), this);
    cbPrecision = new QComboBox(this);
    FillNumbers(*cbPrecision, 0, 10);
    cbDateOnly = new QCheckBox(QStringLiteral("Отображать только дату"), this);
    btnFont = new TFontButton(QStringLiteral("Шрифт..."), this);
    edCaption = new QLineEdit(this);
    edUnits = new QLineEdit(this);
    cbShowHeader = new QCheckBox(QStringLiteral("Показывать заголовок"), this);
    cbShowPrefix = new QCheckBox(QStringLiteral("Выводить с данными"), this);
    cbColoredCaption = new QCheckBox(QStringLiteral("Цветной заголовок"), this);
    auto* by = new QGroupBox(QStringLiteral(" Вывод по изменению на шаг "), this);
    rbThisParam = new QRadioButton(QStringLiteral("Данного параметра"), by);
    rbMainParam = new QRadioButton(QStringLiteral("Основного параметра"), by);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Цвет"), scColor);
    form->addRow(QStringLiteral("Отступ (мм)"), edOffset);
    form->addRow(QStringLiteral("Шаг"), edStep);
    form->addRow(lbPrecision, cbPrecision);
    form->addRow(cbDateOnly);
    form->addRow(btnFont);
    form->addRow(QStringLiteral("Заголовок"), edCaption);
    form->addRow(QStringLiteral("Ед. изм."), edUnits);
    auto* byLayout = new QVBoxLayout(by);
    byLayout->addWidget(rbThisParam);
    byLayout->addWidget(rbMainParam);
    Body()->addLayout(form);
    Body()->addWidget(cbShowHeader);
    Body()->addWidget(cbShowPrefix);
    Body()->addWidget(cbColoredCaption);
    Body()->addWidget(by);
}

void TdlgSetupDiSeries::Fill(const TPrintDigitalSeries& series) {
    scColor->SetColor(series.Color());
    edOffset->setText(QString::number(series.Offset()));
    FStep = series.Step();
    edStep->setText(FloatToStr(series.Step()));
    // Numbers get a count of decimals; other values may show only their date.
    const bool numbers = IsFloatDataType(series.DataType());
    lbPrecision->setVisible(numbers);
    cbPrecision->setVisible(numbers);
    cbDateOnly->setVisible(!numbers);
    cbPrecision->setCurrentIndex(series.Precision() >= 0 && series.Precision() <= 10 ? series.Precision() : -1);
    cbDateOnly->setChecked(series.DateOnly());
    btnFont->SetFont(*series.Font());
    edCaption->setText(series.Caption());
    edUnits->setText(series.Units());
    cbShowHeader->setChecked(!series.HasFlag(TSeriesFlag::sfHideHeader));
    cbShowPrefix->setChecked(series.ShowPrefix());
    cbColoredCaption->setChecked(!series.BlackCaption());
    rbThisParam->setChecked(series.ByChanging());
    rbMainParam->setChecked(!series.ByChanging());
}

void TdlgSetupDiSeries::Validate() {
    const int offset = DialogInt(edOffset->text());
    double step = FStep;
    if (!edStep->isHidden()) {
        const QString stepWrong = QStringLiteral("Шаг должен быть > 0");
        step = DialogFloat(edStep->text(), stepWrong);
        if (!(step > 0)) throw Exception(stepWrong);
    }
    FOffset = offset;
    FStep = step;
}

void TdlgSetupDiSeries::Apply(TPrintDigitalSeries& series) const {
    series.SetColor(scColor->Color());
    series.SetOffset(FOffset);
    series.SetStep(FStep);
    if (cbPrecision->currentIndex() >= 0) series.SetPrecision(cbPrecision->currentIndex());
    series.SetDateOnly(cbDateOnly->isChecked());
    series.Font()->Assign(&btnFont->Font());
    series.SetCaption(edCaption->text());
    series.SetUnits(edUnits->text());
    TSeriesFlags flags = series.Flags();
    if (cbShowHeader->isChecked()) flags.Exclude(TSeriesFlag::sfHideHeader);
    else flags.Include(TSeriesFlag::sfHideHeader);
    series.SetFlags(flags);
    series.SetShowPrefix(cbShowPrefix->isChecked());
    series.SetBlackCaption(!cbColoredCaption->isChecked());
    series.SetByChanging(rbThisParam->isChecked());
}

}  // namespace Plotmere
