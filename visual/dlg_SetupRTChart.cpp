#include "dlg_SetupRTChart.h"

#include "EditControls.h"
#include "Kurvex.h"
#include "ModalDialogs.h"
#include "Swatchbox.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>

namespace {
// A colour group: shape, colour box and the "..." button asking for a colour.
QGroupBox* ColourGroup(TdlgKurvexProperties* dlg, const QString& caption, TShape*& shape, TColorRect*& box,
                       QPushButton*& button) {
    auto* group = new QGroupBox(caption, dlg);
    shape = new TShape(group);
    box = new TColorRect(group);
    button = DialogButton(QStringLiteral("..."), group);
    auto* row = new QHBoxLayout(group);
    row->addWidget(shape);
    row->addWidget(box);
    row->addWidget(button);
    QObject::connect(box, &TColorRect::OnChangeColor, shape, [shape](TColor c) { shape->SetBrushColor(c); });
    QObject::connect(button, &QPushButton::clicked, dlg, [dlg, shape, box] {
        dlg->cd.Color = shape->BrushColor();
        if (dlg->cd.Execute()) box->SetColor(dlg->cd.Color);
    });
    return group;
}
}  // namespace

TdlgKurvexProperties::TdlgKurvexProperties(QWidget* parent) : TSetupDialog(QStringLiteral("Свойства диаграммы"), parent) {
    Body()->addWidget(ColourGroup(this, QStringLiteral(" Цвет фона "), CurrentColor, cbBack, btnBack));
    QGroupBox* grid = ColourGroup(this, QStringLiteral("Сетка"), ScaleColor, cbScaleColor, btnScaleColor);
    btnFont = DialogButton(QStringLiteral("Шрифт..."), grid);
    grid->layout()->addWidget(btnFont);
    Body()->addWidget(grid);
    rgOrientation = new TRadioGroup(QStringLiteral(" Ориентация "),
                                    {QStringLiteral("Вертикальная"), QStringLiteral("Горизонтальная")}, this);
    Body()->addWidget(rgOrientation);
    connect(btnFont, &QPushButton::clicked, this, [this] {
        if (fd.Execute()) FontChosen = true;
    });
}

void SetupChart(TGraphion& Chart) {
    TdlgKurvexProperties dlg;
    dlg.cbBack->SetColor(Chart.Color());
    dlg.CurrentColor->SetBrushColor(Chart.Color());
    // The grid pens keep colour values (system colours stay system colours).
    const TColor grid = Chart.Fields().Count() > 0 ? Chart.Fields().Items(0)->GridPenObject()->Color() : clBtnFace;
    dlg.cbScaleColor->SetColor(grid);
    dlg.ScaleColor->SetBrushColor(grid);
    dlg.rgOrientation->SetItemIndex(Chart.Orientation() == coVertical ? 0 : 1);
    dlg.fd.TakeFrom(*Chart.XScale()->FontObject());
    if (ShowModal(dlg) != mrOk) return;
    Chart.SetColor(dlg.cbBack->Color());
    for (int f = 0; f < Chart.Fields().Count(); ++f)
        Chart.Fields().Items(f)->GridPenObject()->SetColor(dlg.cbScaleColor->Color());
    Chart.SetOrientation(dlg.rgOrientation->ItemIndex() == 0 ? coVertical : coHorizontal);
    if (dlg.FontChosen) {
        dlg.fd.ApplyTo(*Chart.XScale()->FontObject());
        for (int f = 0; f < Chart.Fields().Count(); ++f) {
            TScales& scales = Chart.Fields().Items(f)->Scales();
            for (int s = 0; s < scales.Count(); ++s) dlg.fd.ApplyTo(*scales.Items(s)->FontObject());
        }
    }
}
