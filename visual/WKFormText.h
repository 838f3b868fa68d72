#pragma once
// User forms as component text: writing a component tree to text and files
// and reading it back, with the classes of plug-in packages loaded before a
// form is read. Errors inside a text (a property an older control had, an
// object of a class no package provides) are logged as
// "Error loading form: <message>" and skipped.
#include "Components.h"

#include <QList>
#include <QStringList>

#pragma GCC visibility push(default)

QString ComponentToString(TComponentBase* component);
// Reads text into root (its own class name in the text is not checked), or
// into a new root of the text's class when root is null (an unknown class
// raises and nothing is created). Returns the root.
TComponentBase* StringToComponent(const QString& text, TComponentBase* root);
// Writes the component text to a file; the old file is replaced only by a
// complete new one.
void SaveForm(TComponentBase* component, const QString& fileName);
// Makes the classes the lines name known (packages of ClassModules are
// loaded), then replaces the parent's content by the form. The parent is
// emptied only once the text has parsed and its classes are known: bad text
// or a package that fails to load leave it as it was.
TComponentBase* LoadForm(TComponentBase* parent, const QStringList& lines);
// The same for a file (UTF-8/UTF-16 with a byte-order mark, else 8-bit).
TComponentBase* LoadForm(TComponentBase* parent, const QString& fileName);

// A reading error of a form text as the user reads it: "Line 39: '=' expected"
// becomes "строка 39: ожидается «=»"; a text it does not know stays as it is.
QString FormErrorText(const QString& message);
// "Файл <file>: <FormErrorText(message)>".
QString FormFileErrorText(const QString& fileName, const QString& message);

// The classes packages registered for design, in registration order.
const QList<const QMetaObject*>& DesignerList();
// Once per process: the form controls' class registrations and the
// registration hook that fills DesignerList.
void InitWKControls();

#pragma GCC visibility pop
