#include "ColorPreview.h"

#include "CommonDialogs.h"
#include "EditControls.h"
#include "Swatchbox.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>

void BindColorPreview(TShape& shape, TColorRect& box, QPushButton& button, TColorDialog& dialog,
                      Qt::MouseButton shapeButton) {
    const auto ask = [&shape, &box, &dialog] {
        dialog.Color = shape.BrushColor();
        if (dialog.Execute()) box.SetColor(dialog.Color);
    };
    QObject::connect(&box, &TColorRect::OnChangeColor, &shape, [&shape](TColor c) { shape.SetBrushColor(c); });
    QObject::connect(&button, &QPushButton::clicked, &shape, ask);
    QObject::connect(&shape, &TShape::MouseDown, &shape, [ask, shapeButton](Qt::MouseButton b) {
        if (shapeButton == Qt::NoButton || b == shapeButton) ask();
    });
    shape.SetBrushColor(box.Color());
}

QGroupBox* CreateColorGroup(QWidget* parent, TShape*& shape, TColorRect*& box, QPushButton*& button) {
    auto* group = new QGroupBox(QStringLiteral(" Цвет"), parent);
    shape = new TShape(group);
    box = new TColorRect(group);
    button = new QPushButton(QStringLiteral("Цвет..."), group);
    button->setAutoDefault(false);
    auto* row = new QHBoxLayout(group);
    row->addWidget(shape);
    row->addWidget(box);
    row->addWidget(button);
    return group;
}
