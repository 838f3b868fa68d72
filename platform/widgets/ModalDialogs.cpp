#include "ModalDialogs.h"

#include <QDialog>

int ShowModal(QDialog& dialog) { return UIServices().ShowModal(&dialog); }

int DialogResult(const QDialog& dialog) {
    // QDialog::Rejected is 0; the old results start at mrOk = 1 = Accepted.
    return dialog.result() == QDialog::Rejected ? int(mrCancel) : dialog.result();
}
