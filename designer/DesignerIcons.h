#pragma once
// The pictures of the designer's commands, drawn here: 0 new form, 1 add
// control, 2 delete controls, 3 open, 4 save, 5 control properties.
#include <QIcon>

#pragma GCC visibility push(default)

QIcon DesignerIcon(int index);

#pragma GCC visibility pop
