#pragma once
// The system's own dialogs run modally through the UI services, so that the
// desktop shows them and tests script them (TScriptedUIServices::ScriptDialog).
// A dialog never calls exec() itself.
#include "UIServices.h"

#pragma GCC visibility push(default)

class QDialog;

// Shows the dialog modally; returns its TModalResult (mrCancel when closed
// without a result).
int ShowModal(QDialog& dialog);
// The TModalResult a dialog set through done()/accept()/reject(): a rejected
// or unfinished dialog gives mrCancel. Scripts return it after pressing a button.
int DialogResult(const QDialog& dialog);

#pragma GCC visibility pop
