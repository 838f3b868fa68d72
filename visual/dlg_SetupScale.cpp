#include "dlg_SetupScale.h"

#include "ChartDialogPieces.h"
#include "ColorPreview.h"
#include "EditControls.h"
#include "Formatting.h"
#include "Kurvex.h"
#include "ModalDialogs.h"
#include "Swatchbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TdlgScaleProperties::TdlgScaleProperties(QWidget* parent) : TSetupDialog(QStringLiteral("Свойства графика"), parent) {
    setObjectName(QStringLiteral("dlgScaleProperties"));
    gbRange = new QGroupBox(QStringLiteral(" Интервал "), this);
    edMin = new QLineEdit(gbRange);
    edMax = new QLineEdit(gbRange);
    auto* range = new QFormLayout(gbRange);
    range->addRow(QStringLiteral("Минимум"), edMin);
    range->addRow(QStringLiteral("Максимум"), edMax);

    gbView = new QGroupBox(QStringLiteral(" Представление шкалы  "), this);
    cbInverted = new QCheckBox(QStringLiteral("Инвертированная"), gbView);
    cbShowCaption = new QCheckBox(QStringLiteral("C заголовком"), gbView);
    cbLog = new QCheckBox(QStringLiteral("Логарифмическая"), gbView);
    cbValues = new QCheckBox(QStringLiteral("Отметки значений"), gbView);
    btnFont = DialogButton(QStringLiteral("Шрифт..."), gbView);
    auto* view = new QVBoxLayout(gbView);
    for (QWidget* w : {static_cast<QWidget*>(cbInverted), static_cast<QWidget*>(cbShowCaption),
                       static_cast<QWidget*>(cbLog), static_cast<QWidget*>(cbValues)})
        view->addWidget(w);
    view->addWidget(btnFont, 0, Qt::AlignLeft);

    QGroupBox* colour = CreateColorGroup(this, shColor, cbColor, btnColor);
    BindColorPreview(*shColor, *cbColor, *btnColor, cd, Qt::LeftButton);

    gbCaption = new QGroupBox(QStringLiteral(" Заголовок "), this);
    edCaption = new QLineEdit(gbCaption);
    (new QVBoxLayout(gbCaption))->addWidget(edCaption);

    gbWidth = new QGroupBox(QStringLiteral("Линия"), this);
    udWidth = CreateLineWidthEdit(gbWidth);
    cbLines = CreateLineStyleCombo(gbWidth);
    auto* line = new QFormLayout(gbWidth);
    line->addRow(QStringLiteral("Толщина"), udWidth);
    line->addRow(QStringLiteral("Тип"), cbLines);

    auto* top = new QHBoxLayout;
    top->addWidget(gbRange);
    top->addWidget(gbView);
    Body()->addLayout(top);
    Body()->addWidget(colour);
    Body()->addWidget(gbCaption);
    Body()->addWidget(gbWidth);
    connect(btnFont, &QPushButton::clicked, this, [this] {
        if (fd.Execute()) FontChosen = true;
    });
}

bool TdlgScaleProperties::ReadRange(double& Min, double& Max) const {
    if (gbRange->isHidden()) return true;
    return TryStrToFloat(edMin->text().trimmed(), Min) && TryStrToFloat(edMax->text().trimmed(), Max);
}

void TdlgScaleProperties::accept() {
    double mn = 0, mx = 1;
    if (!ReadRange(mn, mx)) {
        MessageDlg(QStringLiteral("Границы интервала должны быть числами"), mtError, mbOK);
        (TryStrToFloat(edMin->text().trimmed(), mn) ? edMax : edMin)->setFocus();
        return;
    }
    // A logarithmic scale mends its own range; a linear one would silently keep the old one.
    if (!gbRange->isHidden() && !cbLog->isChecked() && mn >= mx) {
        MessageDlg(QStringLiteral("Минимум должен быть меньше максимума"), mtError, mbOK);
        edMin->setFocus();
        return;
    }
    TSetupDialog::accept();
}

TGraphion* ScaleChart(const TScale& Scale) {
    if (auto* scales = qobject_cast<TScales*>(Scale.Collection())) return scales->Chart();
    return qobject_cast<TGraphion*>(Scale.Owner());
}

bool IsXScale(const TScale& Scale) {
    const TGraphion* chart = ScaleChart(Scale);
    return chart && chart->XScale() == &Scale;
}

std::vector<TSeries*> SeriesOnScale(const TScale& Scale) {
    std::vector<TSeries*> list;
    if (const TGraphion* chart = ScaleChart(Scale)) chart->GetScaleSeries(&Scale, list);
    return list;
}

bool SetupScale(TScale& Scale) {
    TdlgScaleProperties dlg;
    return SetupScaleDialog(Scale, dlg);
}

namespace {
// Keeps a strip from painting while the scale takes the dialog's values.
class TStripLock {
public:
    explicit TStripLock(TScaleControl* Strip) : FStrip(Strip) {
        if (FStrip) FStrip->Lock();
    }
    ~TStripLock() {
        if (FStrip) FStrip->Unlock();
    }
    TStripLock(const TStripLock&) = delete;
    TStripLock& operator=(const TStripLock&) = delete;

private:
    QPointer<TScaleControl> FStrip;
};
}  // namespace

bool SetupScaleDialog(TScale& Scale, TdlgScaleProperties& Dialog) {
    const std::vector<TSeries*> series = SeriesOnScale(Scale);
    TSeries* single = series.size() == 1 ? series.front() : nullptr;
    const bool xscale = IsXScale(Scale);
    if (xscale) {
        Dialog.cbLog->hide();
        Dialog.cbValues->hide();
        Dialog.gbRange->hide();
        Dialog.gbWidth->hide();
    }
    Dialog.cbColor->SetColor(Scale.PenColorValue());
    Dialog.shColor->SetBrushColor(Scale.PenColorValue());
    Dialog.edMin->setText(FormatFloat(Scale.FormatString(), Scale.Min()));
    Dialog.edMax->setText(FormatFloat(Scale.FormatString(), Scale.Max()));
    Dialog.cbInverted->setChecked(Scale.Inverted());
    Dialog.cbShowCaption->setChecked(Scale.ShowCaption());
    Dialog.edCaption->setText(Scale.Caption());
    if (!xscale) Dialog.udWidth->SetValue(series.empty() ? 1 : series.front()->PenObject()->Width());
    Dialog.cbLog->setChecked(!xscale && Scale.StepType() == sttLogarithmic);
    Dialog.fd.TakeFrom(*Scale.FontObject());
    Dialog.cbValues->setChecked(Scale.ShowDisplayValues());
    if (single) SetLineStyle(*Dialog.cbLines, single->PenObject()->Style());
    if (!xscale) Dialog.gbWidth->setVisible(single != nullptr);
    if (ShowModal(Dialog) != mrOk) return false;

    TStripLock lock(Scale.Control());
    if (single) {
        single->PenObject()->SetStyle(LineStyleOf(*Dialog.cbLines));
        single->PenObject()->SetColor(Dialog.cbColor->Color());
    }
    double mn = 0, mx = 1;
    if (!Dialog.ReadRange(mn, mx)) return false;  // accept() let no such text through
    if (Dialog.cbLog->isChecked()) {
        Scale.SetStepType(sttLogarithmic);
        if (mn <= 0) mn = 1e-4;
        if (mx <= mn) mx = 10 * mn;
    } else {
        Scale.SetStepType(sttAuto);
    }
    if (!Dialog.gbRange->isHidden()) Scale.SetMinMax(mn, mx);
    if (!Dialog.gbWidth->isHidden())
        for (TSeries* s : series) s->PenObject()->SetWidth(Dialog.udWidth->Value());
    Scale.SetPenColorValue(Dialog.cbColor->Color());
    Scale.SetInverted(Dialog.cbInverted->isChecked());
    if (Dialog.FontChosen) Dialog.fd.ApplyTo(*Scale.FontObject());
    Scale.SetCaption(Dialog.edCaption->text());
    Scale.SetShowCaption(Dialog.cbShowCaption->isChecked());
    Scale.SetShowDisplayValues(Dialog.cbValues->isChecked());
    if (TGraphion* chart = ScaleChart(Scale)) chart->ForceRepaint();
    return true;
}
