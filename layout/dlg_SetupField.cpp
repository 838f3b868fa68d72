#include "dlg_SetupField.h"

#include "Exceptions.h"
#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "PrintSeries.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace Plotmere {

namespace {
TItemSetupRegistration Registration(typeid(TPrintField), [](TPrintItem& item, TRenderDevice*) {
    auto& field = static_cast<TPrintField&>(item);
    auto& dialog = KeptDialog<TdlgSetupField>();
    dialog.Fill(field);
    if (ShowModal(dialog) != mrOk) return false;
    dialog.Apply(field);
    return true;
});

constexpr int SeriesRole = Qt::UserRole;
}  // namespace

TdlgSetupField::TdlgSetupField(QWidget* parent) : TLayoutFormDialog(QStringLiteral("Настройка поля"), parent) {
    edWidth = new QLineEdit(this);
    edCaption = new QLineEdit(this);
    btnHeaderFont = new TFontButton(QStringLiteral("Шрифт заголовка..."), this);
    cbVertHeader = new QCheckBox(QStringLiteral("Вертикальный заголовок"), this);
    btnFont = new TFontButton(QStringLiteral("Шрифт значений..."), this);
    auto* grid = new QGroupBox(QStringLiteral("Сетка"), this);
    cbShowGrid = new QCheckBox(QStringLiteral("Видимая"), grid);
    cbLineType = new QComboBox(grid);
    FillPenStyles(*cbLineType);
    cbDecades = new QComboBox(grid);
    cbDecades->setEditable(true);
    FillNumbers(*cbDecades, 1, 10);
    scGridColor = new TColorSwatch(grid);
    cbLogarithmic = new QCheckBox(QStringLiteral("Логарифмическое поле"), grid);
    cbShowBorders = new QCheckBox(QStringLiteral("Видимая граница поля"), this);
    cbShowGridMarks = new QCheckBox(QStringLiteral("Цифровые отметки"), this);
    auto* order = new QGroupBox(QStringLiteral("Порядок параметров на поле"), this);
    lbSeries = new QListWidget(order);
    btnUp = new QPushButton(QStringLiteral("Выше"), order);
    btnDown = new QPushButton(QStringLiteral("Ниже"), order);
    btnUp->setAutoDefault(false);
    btnDown->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Ширина (мм)"), edWidth);
    form->addRow(QStringLiteral("Заголовок"), edCaption);
    auto* fonts = new QHBoxLayout;
    fonts->addWidget(btnHeaderFont);
    fonts->addWidget(btnFont);
    auto* gridForm = new QFormLayout(grid);
    gridForm->addRow(cbShowGrid);
    gridForm->addRow(QStringLiteral("Тип линии"), cbLineType);
    gridForm->addRow(QStringLiteral("Число делений"), cbDecades);
    gridForm->addRow(QStringLiteral("Цвет"), scGridColor);
    gridForm->addRow(cbLogarithmic);
    auto* orderLayout = new QHBoxLayout(order);
    auto* moves = new QVBoxLayout;
    moves->addWidget(btnUp);
    moves->addWidget(btnDown);
    moves->addStretch(1);
    orderLayout->addWidget(lbSeries, 1);
    orderLayout->addLayout(moves);
    Body()->addLayout(form);
    Body()->addWidget(cbVertHeader);
    Body()->addLayout(fonts);
    Body()->addWidget(grid);
    Body()->addWidget(cbShowBorders);
    Body()->addWidget(cbShowGridMarks);
    Body()->addWidget(order);

    connect(btnUp, &QPushButton::clicked, this, [this] { MoveCurrent(-1); });
    connect(btnDown, &QPushButton::clicked, this, [this] { MoveCurrent(1); });
    connect(lbSeries, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
}

void TdlgSetupField::Fill(const TPrintField& field) {
    edWidth->setText(QString::number(field.Width()));
    edCaption->setText(field.Caption());
    btnHeaderFont->SetFont(*field.HeaderFont());
    btnFont->SetFont(*field.Font());
    cbVertHeader->setChecked(field.HasFlag(TFieldFlag::ffVertHeader));
    cbShowGrid->setChecked(field.HasFlag(TFieldFlag::ffShowGrid));
    cbLineType->setCurrentIndex(int(field.Pen()->Style()) < cbLineType->count() ? int(field.Pen()->Style()) : -1);
    FillNumbers(*cbDecades, 1, 10);
    cbDecades->setEditText(QString::number(field.Decades()));
    scGridColor->SetColor(field.Pen()->Color());
    cbLogarithmic->setChecked(field.HasFlag(TFieldFlag::ffLogarithmic));
    cbShowBorders->setChecked(field.HasFlag(TFieldFlag::ffShowBorders));
    cbShowGridMarks->setChecked(field.HasFlag(TFieldFlag::ffShowGridMarks));
    lbSeries->clear();
    for (TPrintItem* child : field.Items())
        if (auto* series = qobject_cast<TPrintSeries*>(child)) {
            auto* row = new QListWidgetItem(series->Caption(), lbSeries);
            row->setData(SeriesRole, QVariant::fromValue<QObject*>(series));
        }
    lbSeries->setCurrentRow(lbSeries->count() > 0 ? 0 : -1);
    UpdateButtons();
}

QList<TPrintSeries*> TdlgSetupField::SeriesOrder() const {
    QList<TPrintSeries*> order;
    for (int i = 0; i < lbSeries->count(); ++i)
        order << qobject_cast<TPrintSeries*>(lbSeries->item(i)->data(SeriesRole).value<QObject*>());
    return order;
}

void TdlgSetupField::MoveCurrent(int delta) {
    const int row = lbSeries->currentRow();
    const int target = row + delta;
    if (row < 0 || target < 0 || target >= lbSeries->count()) return;
    QListWidgetItem* item = lbSeries->takeItem(row);
    lbSeries->insertItem(target, item);
    lbSeries->setCurrentRow(target);
    UpdateButtons();
}

void TdlgSetupField::UpdateButtons() {
    const int row = lbSeries->currentRow();
    btnUp->setEnabled(row > 0);
    btnDown->setEnabled(row >= 0 && row < lbSeries->count() - 1);
}

void TdlgSetupField::Validate() {
    const int width = DialogInt(edWidth->text());
    if (width <= 0) throw Exception(QStringLiteral("Ширина поля должна быть > 0"));
    const int decades = DialogInt(cbDecades->currentText());
    if (decades <= 0) throw Exception(QStringLiteral("Число декад должно быть > 0"));
    if (cbLogarithmic->isChecked() && decades > 10) throw Exception(QStringLiteral("Число декад должно быть <= 10"));
    FWidth = width;
    FDecades = decades;
}

void TdlgSetupField::Apply(TPrintField& field) const {
    field.SetWidth(FWidth);
    field.SetCaption(edCaption->text());
    field.Font()->Assign(&btnFont->Font());
    field.HeaderFont()->Assign(&btnHeaderFont->Font());
    field.SetDecades(FDecades);
    TFieldFlags flags;
    const auto set = [&flags](bool on, TFieldFlag flag) {
        if (on) flags.Include(flag);
    };
    set(cbLogarithmic->isChecked(), TFieldFlag::ffLogarithmic);
    set(cbVertHeader->isChecked(), TFieldFlag::ffVertHeader);
    set(cbShowGrid->isChecked(), TFieldFlag::ffShowGrid);
    set(cbShowBorders->isChecked(), TFieldFlag::ffShowBorders);
    set(cbShowGridMarks->isChecked(), TFieldFlag::ffShowGridMarks);
    field.SetFlags(flags);
    field.Pen()->SetColor(scGridColor->Color());
    // A style the list does not offer stays as it was.
    if (cbLineType->currentIndex() >= 0) field.Pen()->SetStyle(TPen::TPenStyle(cbLineType->currentIndex()));
    // Taken out and put back in list order: each goes to the end of the track's children.
    for (TPrintSeries* series : SeriesOrder())
        if (series && series->GetParent() == &field) series->SetComponentIndex(field.ComponentCount() - 1);
}

}  // namespace Plotmere
