#include "dlg_SetupLineSeries.h"

#include "Formatting.h"
#include "Exceptions.h"
#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "PrintSeries.h"
#include "SketchDoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

namespace Plotmere {

namespace {
const QString RangeFormat = QStringLiteral("0.##########");
const QString FloatExpected = QStringLiteral(" быть числом с плавающей точкой");

TItemSetupRegistration Registration(typeid(TPrintLineSeries), [](TPrintItem& item, TRenderDevice*) {
    auto& series = static_cast<TPrintLineSeries&>(item);
    auto& dialog = KeptDialog<TdlgSetupLineSeries>();
    dialog.Fill(series);
    if (ShowModal(dialog) != mrOk) return false;
    dialog.Apply(series);
    return true;
});

QComboBox* RangeList(QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setEditable(true);
    for (const char* value : {"0.001", "0.01", "0.1", "1", "10", "100", "1000", "10000"})
        list->addItem(QString::fromLatin1(value));
    return list;
}

QComboBox* BrushList(QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->addItems({QStringLiteral("Сплошное"), QStringLiteral("Нет заполнения"), QStringLiteral("Горизонтально"),
                    QStringLiteral("Вертикально"), QStringLiteral("Диагональ"), QStringLiteral("Обр. диагональ"),
                    QStringLiteral("Сетка"), QStringLiteral("Наклонная сетка")});
    return list;
}

QWidget* FillPage(QComboBox*& pattern, TColorSwatch*& color, QWidget* parent) {
    auto* page = new QWidget(parent);
    auto* form = new QFormLayout(page);
    pattern = BrushList(page);
    color = new TColorSwatch(page);
    form->addRow(QStringLiteral("Заполнение"), pattern);
    form->addRow(QStringLiteral("Цвет"), color);
    return page;
}

void SetFlag(TSeriesFlags& flags, TSeriesFlag flag, bool on) {
    if (on) flags.Include(flag);
    else flags.Exclude(flag);
}
}  // namespace

TdlgSetupLineSeries::TdlgSetupLineSeries(QWidget* parent)
    : TLayoutFormDialog(QStringLiteral("Настройка графика"), parent) {
    lbID = new QLabel(this);
    cbMin = RangeList(this);
    cbMax = RangeList(this);
    auto* header = new QGroupBox(QStringLiteral("Заголовок"), this);
    edCaption = new QLineEdit(header);
    edUnits = new QLineEdit(header);
    cbHideHeader = new QCheckBox(QStringLiteral("Скрыть заголовок"), header);
    cbSubTicks = new QCheckBox(QStringLiteral("Промежуточные метки"), header);
    cbMinMaxWithCaption = new QCheckBox(QStringLiteral("Диапазон с заголовком"), header);
    cbColoredText = new QCheckBox(QStringLiteral("Цветной текст"), header);
    cbGroup = new QComboBox(this);
    cbGroup->setEditable(true);
    auto* conversion = new QGroupBox(QStringLiteral(" Преобразования данных  "), this);
    edMultiplier = new QLineEdit(conversion);
    edOffset = new QLineEdit(conversion);
    edCrop = new QLineEdit(this);
    auto* line = new QGroupBox(QStringLiteral("Линия"), this);
    scColor = new TColorSwatch(line);
    cbLineType = new QComboBox(line);
    FillPenStyles(*cbLineType);
    cbPenWidth = new QComboBox(line);
    FillNumbers(*cbPenWidth, 1, 4);
    cbJagged = new QCheckBox(QStringLiteral("Ступенчатая"), line);
    auto* fills = new QTabWidget(this);
    fills->addTab(FillPage(cbMinBrush, scMinBrushColor, fills), QStringLiteral("Минимум"));
    fills->addTab(FillPage(cbMaxBrush, scMaxBrushColor, fills), QStringLiteral("Максимум"));
    auto* marks = new QGroupBox(QStringLiteral(" Метки "), this);
    cbPrecision = new QComboBox(marks);
    FillNumbers(*cbPrecision, 0, 10);
    btnFont = new TFontButton(QStringLiteral("Шрифт..."), marks);

    auto* range = new QFormLayout;
    range->addRow(lbID);
    range->addRow(QStringLiteral("Минимум"), cbMin);
    range->addRow(QStringLiteral("Максимум"), cbMax);
    range->addRow(QStringLiteral("Группа"), cbGroup);
    auto* headerForm = new QFormLayout(header);
    headerForm->addRow(QStringLiteral("Текст"), edCaption);
    headerForm->addRow(QStringLiteral("Ед. изм."), edUnits);
    headerForm->addRow(cbHideHeader);
    headerForm->addRow(cbSubTicks);
    headerForm->addRow(cbMinMaxWithCaption);
    headerForm->addRow(cbColoredText);
    auto* conversionForm = new QFormLayout(conversion);
    conversionForm->addRow(QStringLiteral("Множитель (A)"), edMultiplier);
    conversionForm->addRow(QStringLiteral("Смещение (B)"), edOffset);
    conversionForm->addRow(QStringLiteral("Отсечка минимума"), edCrop);
    auto* lineForm = new QFormLayout(line);
    lineForm->addRow(QStringLiteral("Цвет"), scColor);
    lineForm->addRow(QStringLiteral("Тип"), cbLineType);
    lineForm->addRow(QStringLiteral("Толщина"), cbPenWidth);
    lineForm->addRow(cbJagged);
    auto* marksForm = new QFormLayout(marks);
    marksForm->addRow(QStringLiteral("Точность"), cbPrecision);
    marksForm->addRow(btnFont);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    left->addLayout(range);
    left->addWidget(header);
    left->addStretch(1);
    right->addWidget(conversion);
    right->addWidget(line);
    right->addWidget(fills);
    right->addWidget(marks);
    columns->addLayout(left);
    columns->addLayout(right);
    Body()->addLayout(columns);

    // Sub-ticks and the range written with the caption exclude each other.
    connect(cbSubTicks, &QCheckBox::toggled, this, [this](bool on) {
        if (on) cbMinMaxWithCaption->setChecked(false);
    });
    connect(cbMinMaxWithCaption, &QCheckBox::toggled, this, [this](bool on) {
        if (on) cbSubTicks->setChecked(false);
    });
}

void TdlgSetupLineSeries::Fill(const TPrintLineSeries& series) {
    lbID->setText(QStringLiteral("ID=") + series.GID() + QStringLiteral(" ") + series.SourceID());
    FShownMin = FormatFloat(RangeFormat, series.Min());
    FShownMax = FormatFloat(RangeFormat, series.Max());
    FMin = series.Min();
    FMax = series.Max();
    cbMin->setEditText(FShownMin);
    cbMax->setEditText(FShownMax);
    edCaption->setText(series.Caption());
    edUnits->setText(series.Units());
    // Set both before either can uncheck the other.
    const QSignalBlocker subTicks(cbSubTicks), withCaption(cbMinMaxWithCaption);
    cbSubTicks->setChecked(series.HasFlag(TSeriesFlag::sfSubTicks));
    cbMinMaxWithCaption->setChecked(series.HasFlag(TSeriesFlag::sfMinMaxWithCaption));
    cbHideHeader->setChecked(series.HasFlag(TSeriesFlag::sfHideHeader));
    cbColoredText->setChecked(!series.BlackCaption());
    cbGroup->clear();
    QStringList groups;
    if (TSketchDocument* doc = series.GetSketchDocument()) doc->RegisterGroups(groups, true);
    cbGroup->addItems(groups);
    cbGroup->setEditText(series.Group());
    const bool converted = series.DataMultiplier() != 0;
    edMultiplier->setText(converted ? FloatToStr(series.DataMultiplier()) : QString());
    edOffset->setText(converted ? FloatToStr(series.DataOffset()) : QString());
    edCrop->setText(series.CropValue() == TPrintLineSeries::NoCrop ? QString() : FloatToStr(series.CropValue()));
    scColor->SetColor(series.Color());
    cbLineType->setCurrentIndex(int(series.PenStyle()) < cbLineType->count() ? int(series.PenStyle()) : -1);
    cbPenWidth->setCurrentIndex(series.PenWidth() >= 1 && series.PenWidth() <= 4 ? series.PenWidth() - 1 : -1);
    cbJagged->setChecked(series.Jagged());
    cbMinBrush->setCurrentIndex(int(series.BrushStyle()));
    scMinBrushColor->SetColor(series.BrushColor());
    cbMaxBrush->setCurrentIndex(int(series.MaxBrushStyle()));
    scMaxBrushColor->SetColor(series.MaxBrushColor());
    cbPrecision->setCurrentIndex(series.Precision() >= 0 && series.Precision() <= 10 ? series.Precision() : -1);
    btnFont->SetFont(*series.Font());
}

void TdlgSetupLineSeries::Validate() {
    TValues values;
    const QString minText = cbMin->currentText(), maxText = cbMax->currentText();
    values.Min = minText == FShownMin ? FMin : DialogFloat(minText, QStringLiteral("Минимум должен") + FloatExpected);
    values.Max = maxText == FShownMax ? FMax : DialogFloat(maxText, QStringLiteral("Максимум должен") + FloatExpected);
    if (!edMultiplier->text().trimmed().isEmpty()) {
        values.Multiplier = DialogFloat(edMultiplier->text(), QStringLiteral("Множитель должен") + FloatExpected);
        values.Offset = DialogFloat(edOffset->text(), QStringLiteral("Смещение должно") + FloatExpected);
    }
    values.Crop = edCrop->text().trimmed().isEmpty()
                      ? TPrintLineSeries::NoCrop
                      : DialogFloat(edCrop->text(), QStringLiteral("Отсечка должна") + FloatExpected);
    FValues = values;
}

void TdlgSetupLineSeries::Apply(TPrintLineSeries& series) const {
    series.SetMin(FValues.Min);
    series.SetMax(FValues.Max);
    series.SetCaption(edCaption->text());
    series.SetUnits(edUnits->text());
    // The inverted flag has no box here: it stays as it was.
    TSeriesFlags flags = series.Flags();
    SetFlag(flags, TSeriesFlag::sfSubTicks, cbSubTicks->isChecked());
    SetFlag(flags, TSeriesFlag::sfHideHeader, cbHideHeader->isChecked());
    SetFlag(flags, TSeriesFlag::sfMinMaxWithCaption, cbMinMaxWithCaption->isChecked());
    series.SetFlags(flags);
    series.SetBlackCaption(!cbColoredText->isChecked());
    series.SetGroup(cbGroup->currentText());
    series.SetDataMultiplier(FValues.Multiplier);
    series.SetDataOffset(FValues.Offset);
    series.SetCropValue(FValues.Crop);
    series.SetColor(scColor->Color());
    if (cbLineType->currentIndex() >= 0) series.SetPenStyle(TPen::TPenStyle(cbLineType->currentIndex()));
    if (cbPenWidth->currentIndex() >= 0) series.SetPenWidth(cbPenWidth->currentIndex() + 1);
    series.SetJagged(cbJagged->isChecked());
    series.SetBrushStyle(TBrush::TBrushStyle(cbMinBrush->currentIndex()));
    series.SetBrushColor(scMinBrushColor->Color());
    series.SetMaxBrushStyle(TBrush::TBrushStyle(cbMaxBrush->currentIndex()));
    series.SetMaxBrushColor(scMaxBrushColor->Color());
    if (cbPrecision->currentIndex() >= 0) series.SetPrecision(cbPrecision->currentIndex());
    series.Font()->Assign(&btnFont->Font());
}

}  // namespace Plotmere
