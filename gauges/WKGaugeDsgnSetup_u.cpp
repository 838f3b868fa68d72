#include "WKGaugeDsgnSetup_u.h"

#include "EditControls.h"
#include "Exceptions.h"
#include "ModalDialogs.h"
#include "Numfield.h"
#include "UIServices.h"
#include "WKControls.h"
#include "WKGauge.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <cmath>

namespace {
constexpr std::array<TControl::TAlign, 6> AlignItems{TControl::alNone, TControl::alTop,   TControl::alBottom,
                                                     TControl::alLeft, TControl::alRight, TControl::alClient};

TNumField* NumberField(QWidget* parent) {
    auto* f = new TNumField(parent);
    f->SetDecimals(2);
    return f;
}

QPushButton* Button(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    return b;
}

// A limit equal to its scale end shows as an empty field.
void ShowLimit(TNumField* field, double limit, double end) {
    if (limit == end)
        field->clear();
    else
        field->SetValue(limit);
}

double Number(const TNumField* field) {
    if (!field->IsValid()) throw Exception(QStringLiteral("'%1' не является числом").arg(field->text()));
    return field->Value();
}
}  // namespace

QString PrecisionFormat(int precision) { return QStringLiteral("0.") + QString(std::max(0, precision), QLatin1Char('#')); }

TfmWKGaugeDsgnSetup& fmWKGaugeDsgnSetup() {
    // Lives for the rest of the process, as the form of the old designer did.
    static TfmWKGaugeDsgnSetup* form = new TfmWKGaugeDsgnSetup;
    return *form;
}

TfmWKGaugeDsgnSetup::TfmWKGaugeDsgnSetup(QWidget* parent)
    : QDialog(parent), FGaugeFont(new TFont(this)), FPositionFont(new TFont(this)) {
    setWindowTitle(QStringLiteral("Настройка индикатора"));
    cmbOrientation = new QComboBox(this);
    cmbOrientation->addItems({QStringLiteral("Горизонтальная"), QStringLiteral("Вертикальная")});
    lblGaugeAlign = new QLabel(QStringLiteral("Выравнивание"), this);
    cmbGaugeAlign = new QComboBox(this);
    cmbGaugeAlign->addItems({QStringLiteral("Нет"), QStringLiteral("По верхнему краю"), QStringLiteral("По нижнему краю"),
                             QStringLiteral("По левому краю"), QStringLiteral("По правому краю"),
                             QStringLiteral("По свободному месту")});
    chbShowDlg = new QCheckBox(QStringLiteral("Разрешать настройку в Boremont"), this);

    auto* grbColors = new QGroupBox(QStringLiteral("Оформление"), this);
    auto* colors = new QFormLayout(grbColors);
    auto colourRow = [&](const QString& caption) {
        auto* shape = new TShape(grbColors);
        auto* more = Button(QStringLiteral("..."), grbColors);
        auto* row = new QHBoxLayout;
        row->addWidget(shape);
        row->addWidget(more);
        colors->addRow(caption, row);
        connect(more, &QPushButton::clicked, this, [this, shape] { PickColor(shape); });
        connect(shape, &TShape::MouseDown, this, [this, shape] { PickColor(shape); });
        return shape;
    };
    shpBorderColor = colourRow(QStringLiteral("Цвет рамки"));
    udWidth = new TUpDownEdit(grbColors);
    udWidth->SetRange(0, 10);
    colors->addRow(QStringLiteral("Ширина рамки"), udWidth);
    shpGaugeBkColor = colourRow(QStringLiteral("Цвет фона индикатора"));
    shpGaugeColor = colourRow(QStringLiteral("Цвет индикатора"));
    shpGaugeOutColor = colourRow(QStringLiteral("Цвет выхода за предел значений"));

    auto* grbParam = new QGroupBox(QStringLiteral("Параметр"), this);
    btnParam = Button(QStringLiteral("Выбор..."), grbParam);
    lblSensorName = new QLabel(grbParam);
    QFont bold = lblSensorName->font();
    bold.setBold(true);
    lblSensorName->setFont(bold);
    auto* caption = new QGroupBox(QStringLiteral("Заголовок"), grbParam);
    edtShortSensorName = new QLineEdit(caption);
    chbShowSensorName = new QCheckBox(QStringLiteral("Показывать"), caption);
    auto* captionRow = new QHBoxLayout(caption);
    captionRow->addWidget(edtShortSensorName);
    captionRow->addWidget(chbShowSensorName);
    chbShowValue = new QCheckBox(QStringLiteral("Показывать значение"), grbParam);
    udPrecision = new TUpDownEdit(grbParam);
    udPrecision->SetRange(0, 6);
    auto* scale = new QGroupBox(QStringLiteral("Шкала"), grbParam);
    edtMinPosition = NumberField(scale);
    edtMaxPosition = NumberField(scale);
    chbShowText = new QCheckBox(QStringLiteral("Показывать"), scale);
    chbInvert = new QCheckBox(QStringLiteral("Инвертировать шкалу"), scale);
    auto* scaleForm = new QFormLayout(scale);
    scaleForm->addRow(QStringLiteral("Минимум"), edtMinPosition);
    scaleForm->addRow(QStringLiteral("Максимум"), edtMaxPosition);
    scaleForm->addRow(chbShowText);
    scaleForm->addRow(chbInvert);
    auto* param = new QFormLayout(grbParam);
    param->addRow(btnParam, lblSensorName);
    param->addRow(caption);
    param->addRow(chbShowValue);
    param->addRow(QStringLiteral("Точноcть"), udPrecision);
    param->addRow(scale);

    auto* grbFont = new QGroupBox(QStringLiteral("Шрифты"), this);
    btnGaugeFont = Button(QStringLiteral("Шрифт шкал..."), grbFont);
    lblGaugeFont = new QLabel(QStringLiteral("0123"), grbFont);
    btnPositionFont = Button(QStringLiteral("Шрифт значения..."), grbFont);
    lblPositionFont = new QLabel(QStringLiteral("0123"), grbFont);
    auto* fonts = new QFormLayout(grbFont);
    fonts->addRow(btnGaugeFont, lblGaugeFont);
    fonts->addRow(btnPositionFont, lblPositionFont);

    auto* grbLimits = new QGroupBox(QStringLiteral("Пределы допустимых значений"), this);
    edtMinLimit = NumberField(grbLimits);
    edtMaxLimit = NumberField(grbLimits);
    chbShowLimits = new QCheckBox(QStringLiteral("Показывать"), grbLimits);
    auto* limits = new QFormLayout(grbLimits);
    limits->addRow(QStringLiteral("Минимум"), edtMinLimit);
    limits->addRow(QStringLiteral("Максимум "), edtMaxLimit);
    limits->addRow(chbShowLimits);

    btnApply = Button(QStringLiteral("Применить"), this);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setDefault(true);
    btnCancel = Button(QStringLiteral("Отмена"), this);

    auto* top = new QFormLayout;
    top->addRow(QStringLiteral("Ориентация"), cmbOrientation);
    top->addRow(lblGaugeAlign, cmbGaugeAlign);
    top->addRow(chbShowDlg);
    auto* left = new QVBoxLayout;
    left->addLayout(top);
    left->addWidget(grbColors);
    left->addWidget(grbFont);
    auto* right = new QVBoxLayout;
    right->addWidget(grbParam);
    right->addWidget(grbLimits);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnApply);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(columns);
    all->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnApply, &QPushButton::clicked, this, [this] {
        try {
            btnApplyClick();
        } catch (const std::exception& e) {
            MessageDlg(ExceptionMessage(e), mtError, mbOK);
        }
    });
    connect(btnParam, &QPushButton::clicked, this, &TfmWKGaugeDsgnSetup::btnParamClick);
    connect(btnGaugeFont, &QPushButton::clicked, this, [this] { PickFont(lblGaugeFont, *FGaugeFont); });
    connect(btnPositionFont, &QPushButton::clicked, this, [this] { PickFont(lblPositionFont, *FPositionFont); });
}

void TfmWKGaugeDsgnSetup::PickColor(TShape* shape) {
    cldExtColor.Color = shape->BrushColor();
    if (cldExtColor.Execute()) shape->SetBrushColor(cldExtColor.Color);
}

void TfmWKGaugeDsgnSetup::PickFont(QLabel* sample, TFont& keep) {
    fndGaugeFont.TakeFrom(keep);
    if (!fndGaugeFont.Execute()) return;
    fndGaugeFont.ApplyTo(keep);
    sample->setFont(keep.ToQFont());
}

int TfmWKGaugeDsgnSetup::SetupWKGauge(TWKGauge& gauge, bool runTime) {
    FGauge = &gauge;
    FParamDescr = TSensDescr{};
    FParamDescr.StreamID = gauge.WKStreamID();
    FParamDescr.GID = gauge.WKSensorID();
    FParamDescr.FullName = gauge.SensorName();
    FParamDescr.Units = gauge.Units();
    for (QWidget* w : std::initializer_list<QWidget*>{chbShowDlg, cmbOrientation, cmbGaugeAlign, lblGaugeAlign})
        w->setVisible(!runTime);
    adjustSize();

    shpBorderColor->SetBrushColor(gauge.BorderColor());
    shpGaugeColor->SetBrushColor(gauge.GaugeColor());
    shpGaugeBkColor->SetBrushColor(gauge.GaugeBkColor());
    shpGaugeOutColor->SetBrushColor(gauge.GaugeOutColor());
    udWidth->SetValue(gauge.BorderWidth());
    FGaugeFont->Assign(gauge.Font());
    FPositionFont->Assign(gauge.PositionFont());
    lblGaugeFont->setFont(FGaugeFont->ToQFont());
    lblPositionFont->setFont(FPositionFont->ToQFont());
    chbShowText->setChecked(gauge.ShowText());
    edtMinPosition->SetValue(gauge.MinPosition());
    edtMaxPosition->SetValue(gauge.MaxPosition());
    ShowLimit(edtMinLimit, gauge.MinLimit(), gauge.MinPosition());
    ShowLimit(edtMaxLimit, gauge.MaxLimit(), gauge.MaxPosition());
    const auto align = std::find(AlignItems.begin(), AlignItems.end(), gauge.Align());
    cmbGaugeAlign->setCurrentIndex(align == AlignItems.end() ? 0 : int(align - AlignItems.begin()));
    chbShowDlg->setChecked(gauge.ShowSetupDlg());
    chbShowValue->setChecked(gauge.ShowValue());
    cmbOrientation->setCurrentIndex(gauge.Orientation() == orBottomToTop ? 1 : 0);
    chbInvert->setChecked(gauge.Invert());
    edtShortSensorName->setText(gauge.ShortSensorName());
    chbShowSensorName->setChecked(gauge.ShowSensorName());
    chbShowLimits->setChecked(gauge.ShowLimits());
    udPrecision->SetValue(std::max(0, int(gauge.DisplayFormat().length()) - 2));
    lblSensorName->setText(gauge.SensorName().isEmpty() ? QStringLiteral("[Параметр не выбран]") : gauge.SensorName());
    const int result = ShowModal(*this);
    FGauge = nullptr;
    return result;
}

// OK applies first; a failed check keeps the form open with its message.
void TfmWKGaugeDsgnSetup::done(int result) {
    if (result == Accepted && FGauge) {
        try {
            btnApplyClick();
        } catch (const std::exception& e) {
            MessageDlg(ExceptionMessage(e), mtError, mbOK);
            return;
        }
    }
    QDialog::done(result);
}

void TfmWKGaugeDsgnSetup::btnParamClick() {
    if (!SelectParameter(TSensSelection{ssDepth, ssTime, ssForemostStream}, FParamDescr)) return;
    edtMinPosition->SetValue(FParamDescr.Min);
    edtMaxPosition->SetValue(FParamDescr.Max);
    udPrecision->SetValue(FParamDescr.Precision);
    lblSensorName->setText(FParamDescr.FullName);
    edtShortSensorName->setText(FParamDescr.Name);
}

void TfmWKGaugeDsgnSetup::btnApplyClick() {
    if (!FGauge) return;
    TWKGauge& g = *FGauge;
    const double minimum = Number(edtMinPosition);
    const double maximum = Number(edtMaxPosition);
    // The bar divides by the scale's width: a maximum must lie above the minimum.
    if (maximum <= minimum)
        throw Exception(QStringLiteral("Максимальное значение шкалы должно быть больше минимального"));
    const bool hasMinLimit = !edtMinLimit->text().trimmed().isEmpty();
    const bool hasMaxLimit = !edtMaxLimit->text().trimmed().isEmpty();
    const double minLimit = hasMinLimit ? Number(edtMinLimit) : minimum;
    const double maxLimit = hasMaxLimit ? Number(edtMaxLimit) : maximum;
    if (hasMinLimit && (minLimit < minimum || minLimit > maximum))
        throw Exception(QStringLiteral("Значение минимального предела должно быть в видимом диапазоне шкалы"));
    if (hasMaxLimit && (maxLimit < minimum || maxLimit > maximum))
        throw Exception(QStringLiteral("Значение максимального предела должно быть в видимом диапазоне шкалы"));
    if (hasMinLimit && hasMaxLimit && maxLimit <= minLimit)
        throw Exception(QStringLiteral("Значение минимального предела должно быть меньше максимального предела"));

    g.SetBorderColor(shpBorderColor->BrushColor());
    g.SetGaugeColor(shpGaugeColor->BrushColor());
    g.SetGaugeBkColor(shpGaugeBkColor->BrushColor());
    g.SetGaugeOutColor(shpGaugeOutColor->BrushColor());
    g.SetBorderWidth(udWidth->Value());
    g.SetFont(FGaugeFont);
    g.SetPositionFont(FPositionFont);
    g.SetShowText(chbShowText->isChecked());
    // Widen first, so that neither end clips the other on the way.
    g.SetMaxPosition(std::max(maximum, g.MaxPosition()));
    g.SetMinPosition(minimum);
    g.SetMaxPosition(maximum);
    g.SetMaxLimit(maxLimit);
    g.SetMinLimit(minLimit);
    if (!cmbGaugeAlign->isHidden()) g.SetAlign(AlignItems[size_t(std::max(0, cmbGaugeAlign->currentIndex()))]);
    if (!chbShowDlg->isHidden()) g.SetShowSetupDlg(chbShowDlg->isChecked());
    g.SetWKStreamID(FParamDescr.StreamID);
    g.SetWKSensorID(FParamDescr.GID);
    g.SetSensorName(FParamDescr.FullName);
    g.SetUnits(FParamDescr.Units);
    g.SetDisplayFormat(PrecisionFormat(udPrecision->Value()));
    g.SetShowValue(chbShowValue->isChecked());
    if (!cmbOrientation->isHidden()) g.SetOrientation(cmbOrientation->currentIndex() == 1 ? orBottomToTop : orLeftToRight);
    g.SetInvert(chbInvert->isChecked());
    g.SetShortSensorName(edtShortSensorName->text());
    g.SetShowSensorName(chbShowSensorName->isChecked());
    g.SetShowLimits(chbShowLimits->isChecked());
    g.SetGaugeState(gsNone);
    g.UpdateControl();
}
