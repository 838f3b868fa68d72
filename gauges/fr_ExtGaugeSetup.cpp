#include "fr_ExtGaugeSetup.h"

#include "EditControls.h"
#include "Exceptions.h"
#include "Numfield.h"
#include "SmoothDial.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace {
TNumField* NumberField(QWidget* parent) {
    auto* f = new TNumField(parent);
    f->SetDecimals(2);
    return f;
}

QPushButton* FrameButton(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    return b;
}

QFont StartFont() {
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    return f;
}

double Number(const TNumField* field) {
    if (!field->IsValid()) throw Exception(QStringLiteral("'%1' не является числом").arg(field->text()));
    return field->Value();
}
}  // namespace

QStringList TfrExtGaugeSetup::StyleNames() {
    return {QStringLiteral("По умолчанию"), QStringLiteral("Office 2003 (Blue)"), QStringLiteral("Office 2003 (Silver)"),
            QStringLiteral("Office 2003 (Olive)"), QStringLiteral("Office 2003 (Classic)"),
            QStringLiteral("Office 2007 (Luna)"), QStringLiteral("Office 2007 (Obsidian)"),
            QStringLiteral("Windows XP"), QStringLiteral("Whidbey"), QStringLiteral("Custom"),
            QStringLiteral("Office 2007 (Silver)"), QStringLiteral("Windows Vista"), QStringLiteral("Windows 7"),
            QStringLiteral("Terminal"), QStringLiteral("Office 2010 (Blue)"), QStringLiteral("Office 2010 (Silver)"),
            QStringLiteral("Office 2010 (Black)"), QStringLiteral("Windows8"), QStringLiteral("Office 2013 (White)"),
            QStringLiteral("Office 2013 (Light Gray)"), QStringLiteral("Office 2013 (Gray)"),
            QStringLiteral("Windows 10"), QStringLiteral("Office 2016 (White)"), QStringLiteral("Office 2016 (Gray)"),
            QStringLiteral("Office 2016 (Black)")};
}

TfrExtGaugeSetup::TfrExtGaugeSetup(QWidget* parent) : QWidget(parent) {
    cbStyle = new QComboBox(this);
    cbStyle->addItems(StyleNames());
    cbAnimation = new QCheckBox(QStringLiteral("Анимация"), this);
    cbVisibleDigit = new QCheckBox(QStringLiteral("Видимое значение"), this);
    leFormat = new QLineEdit(this);
    btnScaleFont = FrameButton(QStringLiteral("Шрифт шкалы..."), this);
    neMin = NumberField(this);
    neMax = NumberField(this);
    leName = new QLineEdit(this);
    btnNameFont = FrameButton(QStringLiteral("Шрифт..."), this);
    const QStringList types{QStringLiteral("Сектор"), QStringLiteral("Дуга")};

    auto* gbSector1 = new QGroupBox(QStringLiteral("Сектор 1"), this);
    neS1Min = NumberField(gbSector1);
    neS1Max = NumberField(gbSector1);
    btnS1Font = FrameButton(QStringLiteral("Цвет..."), gbSector1);
    rgS1Type = new TRadioGroup(QStringLiteral("Вид"), types, gbSector1);
    auto* s1 = new QFormLayout(gbSector1);
    s1->addRow(QStringLiteral("Минимум"), neS1Min);
    s1->addRow(QStringLiteral("Максимум"), neS1Max);
    s1->addRow(btnS1Font);
    s1->addRow(rgS1Type);

    auto* GroupBox1 = new QGroupBox(QStringLiteral("Сектор 2"), this);
    neS2Min = NumberField(GroupBox1);
    neS2Max = NumberField(GroupBox1);
    btnS2Color = FrameButton(QStringLiteral("Цвет..."), GroupBox1);
    rgS2Type = new TRadioGroup(QStringLiteral("Вид"), types, GroupBox1);
    auto* s2 = new QFormLayout(GroupBox1);
    s2->addRow(QStringLiteral("Минимум"), neS2Min);
    s2->addRow(QStringLiteral("Максимум"), neS2Max);
    s2->addRow(btnS2Color);
    s2->addRow(rgS2Type);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Стиль"), cbStyle);
    form->addRow(cbAnimation);
    form->addRow(cbVisibleDigit);
    form->addRow(QStringLiteral("Формат значения"), leFormat);
    form->addRow(btnScaleFont);
    form->addRow(QStringLiteral("Минимум"), neMin);
    form->addRow(QStringLiteral("Максимум"), neMax);
    form->addRow(QStringLiteral("Подпись"), leName);
    form->addRow(btnNameFont);
    auto* sectors = new QHBoxLayout;
    sectors->addWidget(gbSector1);
    sectors->addWidget(GroupBox1);
    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(0, 0, 0, 0);
    all->addLayout(form);
    all->addLayout(sectors);

    fdScale.Font = StartFont();
    fdName.Font = StartFont();
    connect(btnScaleFont, &QPushButton::clicked, this, [this] { fdScale.Execute(); });
    connect(btnNameFont, &QPushButton::clicked, this, [this] { fdName.Execute(); });
    connect(btnS1Font, &QPushButton::clicked, this, [this] { cdSector1.Execute(); });
    connect(btnS2Color, &QPushButton::clicked, this, [this] { cdSector2.Execute(); });
}

void TfrExtGaugeSetup::AssignFrom(const TSmoothDial& gauge) {
    cbAnimation->setChecked(gauge.Animation());
    cbVisibleDigit->setChecked(gauge.Digit()->Visible());
    leFormat->setText(gauge.ValueFormat());
    fdScale.TakeFrom(*gauge.ValueFont());
    fdName.TakeFrom(*gauge.Font());
    neMin->SetValue(gauge.MinimumValue());
    neMax->SetValue(gauge.MaximumValue());
    leName->setText(gauge.DialText());
    const std::pair<TNumField*, TNumField*> fields[2] = {{neS1Min, neS1Max}, {neS2Min, neS2Max}};
    TColorDialog* colours[2] = {&cdSector1, &cdSector2};
    TRadioGroup* kinds[2] = {rgS1Type, rgS2Type};
    for (int i = 0; i < 2 && i < gauge.Sections()->Count(); ++i) {
        const TSmoothDialSection* s = gauge.Sections()->Items(i);
        fields[i].first->SetValue(s->StartValue());
        fields[i].second->SetValue(s->EndValue());
        colours[i]->Color = s->Color();
        kinds[i]->SetItemIndex(s->SectionType() == stCustomMargin ? 0 : 1);
    }
}

void TfrExtGaugeSetup::Check() const {
    for (const TNumField* f : {neS1Min, neS1Max, neS2Min, neS2Max}) Number(f);
    if (Number(neMax) <= Number(neMin))
        throw Exception(QStringLiteral("Минимальное значение шкалы должно быть меньше максимального"));
}

void TfrExtGaugeSetup::AssignToGauge(TSmoothDial& gauge) const {
    Check();
    // The dial refuses a minimum not below its maximum and a maximum not
    // above its minimum: widen towards the new range first, so that any
    // valid range is taken whole.
    const double min = neMin->Value(), max = neMax->Value();
    if (min >= gauge.MaximumValue()) {
        gauge.SetMaxValue(max);
        gauge.SetMinValue(min);
    } else {
        gauge.SetMinValue(min);
        gauge.SetMaxValue(max);
    }
    gauge.SetAnimation(cbAnimation->isChecked());
    gauge.Digit()->SetVisible(cbVisibleDigit->isChecked());
    gauge.SetValueFormat(leFormat->text());
    fdScale.ApplyTo(*gauge.ValueFont());
    gauge.SetDialText(leName->text());
    fdName.ApplyTo(*gauge.Font());
    while (gauge.Sections()->Count() < 2) gauge.Sections()->Add();
    const std::pair<TNumField*, TNumField*> fields[2] = {{neS1Min, neS1Max}, {neS2Min, neS2Max}};
    const TColor colours[2] = {cdSector1.Color, cdSector2.Color};
    const TRadioGroup* kinds[2] = {rgS1Type, rgS2Type};
    for (int i = 0; i < 2; ++i) {
        TSmoothDialSection* s = gauge.Sections()->Items(i);
        s->SetStartValue(fields[i].first->Value());
        s->SetEndValue(fields[i].second->Value());
        s->SetColor(colours[i]);
    }
    for (int i = 0; i < 2; ++i)
        gauge.Sections()->Items(i)->SetSectionType(kinds[i]->ItemIndex() == 0 ? stCustomMargin : stBorder);
}
