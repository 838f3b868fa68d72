#pragma once
// The colour logic of the sensor label and grid item dialogs: a preview
// shape painted in the colour box's colour, and a button (and presses on the
// shape) that ask for a colour starting from the preview's; a confirmed
// colour goes to the colour box.
#include <Qt>

#pragma GCC visibility push(default)

class QGroupBox;
class QPushButton;
class QWidget;
class TColorDialog;
class TColorRect;
class TShape;

void BindColorPreview(TShape& shape, TColorRect& box, QPushButton& button, TColorDialog& dialog,
                      Qt::MouseButton shapeButton);

// The group " Цвет" of those dialogs: preview shape, colour box and button.
QGroupBox* CreateColorGroup(QWidget* parent, TShape*& shape, TColorRect*& box, QPushButton*& button);

#pragma GCC visibility pop
