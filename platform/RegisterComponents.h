#pragma once
// The registration of control classes for the designer's palette: packages
// call RegisterComponents with a page name and their classes; what happens
// with them is the installed procedure's business (the form controls unit
// collects them in DesignerList). Without one the call does nothing.
#include <QList>
#include <QString>
#include <functional>

#pragma GCC visibility push(default)

struct QMetaObject;

using TRegisterComponentsProc = std::function<void(const QString& page, const QList<const QMetaObject*>& classes)>;

void RegisterComponents(const QString& page, const QList<const QMetaObject*>& classes);
// Installs the procedure; returns the previous one.
TRegisterComponentsProc SetRegisterComponentsProc(TRegisterComponentsProc proc);

#pragma GCC visibility pop
