#pragma once
// The main window's command pictures, drawn (16 by 16): 0 new form, 1 well
// choice, 2 open form, 3 save form, 4 save desktop, 5 open data set.
#include <QImage>
#include <QList>

#pragma GCC visibility push(default)

enum TMainIcon { miNewForm, miSelectWell, miOpenForm, miSaveForm, miSaveDesktop, miLoadData, MainIconCount };

QList<QImage> MainCommandIcons();

#pragma GCC visibility pop
