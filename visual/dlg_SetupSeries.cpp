#include "dlg_SetupSeries.h"

#include "ChartDialogPieces.h"
#include "ColorPreview.h"
#include "EditControls.h"
#include "Kurvex.h"
#include "ModalDialogs.h"
#include "Swatchbox.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

TdlgSetupSeries::TdlgSetupSeries(QWidget* parent) : TSetupDialog(QStringLiteral("Настройка графика"), parent) {
    auto* line = new QGroupBox(QStringLiteral("Линия"), this);
    udWidth = CreateLineWidthEdit(line);
    cbLines = CreateLineStyleCombo(line);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Толщина"), udWidth);
    form->addRow(QStringLiteral("Тип"), cbLines);
    auto* column = new QVBoxLayout(line);
    column->addLayout(form);
    column->addWidget(CreateColorGroup(line, shColor, cbColor, btnColor));
    BindColorPreview(*shColor, *cbColor, *btnColor, cd, Qt::LeftButton);
    Body()->addWidget(line);
}

bool SetupSeriesPen(TSeries& Series) {
    TdlgSetupSeries dlg;
    TPen& pen = *Series.PenObject();
    dlg.udWidth->SetValue(pen.Width());
    SetLineStyle(*dlg.cbLines, pen.Style());
    dlg.cbColor->SetColor(pen.Color());
    dlg.shColor->SetBrushColor(pen.Color());
    if (ShowModal(dlg) != mrOk) return false;
    pen.SetWidth(dlg.udWidth->Value());
    pen.SetStyle(LineStyleOf(*dlg.cbLines));
    pen.SetColor(dlg.cbColor->Color());
    if (TGraphion* chart = Series.Chart()) chart->ForceRepaint();
    return true;
}
