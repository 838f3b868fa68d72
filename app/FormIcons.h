#pragma once
// The 48 by 32 pictures of the new-form gallery, drawn: 0, 1 chart forms on
// time and depth, 2, 3 tables, 4 a composite form, 5, 6 review forms, 7, 8
// tabbed chart forms.
#include <QImage>
#include <QList>

#pragma GCC visibility push(default)

QList<QImage> MonitoringFormIcons();

#pragma GCC visibility pop
