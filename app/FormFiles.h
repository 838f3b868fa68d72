#pragma once
// Monitoring forms as text: the component text of one form (a form file
// .sf2 holds it as UTF-8 with a byte-order mark, a desktop section as its
// lines). Only monitoring form classes become the root of such a text.
#include <QString>
#include <QStringList>

#pragma GCC visibility push(default)

class TBaseMDIForm;

// The component text of a form.
QString MonitoringFormText(TBaseMDIForm* form);
// Creates the form a text describes (no owner, no name): the text is parsed
// whole and its classes are found (packages loaded by name) before anything
// is made; a root class that is not a monitoring form is refused; unknown
// properties and nested classes are skipped with an "Error loading form: "
// debug line each, and each added to problems when given. Raises on text
// that does not parse or a root it refuses.
TBaseMDIForm* ReadMonitoringForm(const QString& text, QStringList* problems = nullptr);

// Writes the form's text as UTF-8 with a byte-order mark through the safe
// save: on failure the old file stays and EFileWriteError names it.
void SaveFormFile(TBaseMDIForm* form, const QString& fileName);
// The text of a form file (any encoding a form file may have).
QString ReadFormFileText(const QString& fileName);

#pragma GCC visibility pop
