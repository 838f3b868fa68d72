#pragma once
// What the chart, scale and series dialogs share: the line style choice (the
// item index is the pen style), the line width (1 to 4) and the colour preview
// group.
#include "Graphics.h"

#pragma GCC visibility push(default)

class QComboBox;
class QWidget;
class TUpDownEdit;

// "Сплошная", "Тире", "Точки", "Точка тире", "Точка точка тире".
QComboBox* CreateLineStyleCombo(QWidget* parent);
TUpDownEdit* CreateLineWidthEdit(QWidget* parent);
// The combo's index as a pen style; a style it does not list reads as solid.
TPen::TPenStyle LineStyleOf(const QComboBox& combo);
void SetLineStyle(QComboBox& combo, TPen::TPenStyle style);

#pragma GCC visibility pop
