#include "QtUIServices.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

TQtUIServices::TQtUIServices() : FPlayer(CreateQtSoundPlayer()) {}

int TQtUIServices::MessageDlg(const QString& text, TMsgDlgType type, int buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setText(text);
    box.setWindowTitle(QApplication::applicationDisplayName());
    switch (type) {
    case mtWarning: box.setIcon(QMessageBox::Warning); break;
    case mtError: box.setIcon(QMessageBox::Critical); break;
    case mtInformation: box.setIcon(QMessageBox::Information); break;
    case mtConfirmation: box.setIcon(QMessageBox::Question); break;
    case mtCustom: break;
    }
    struct TMap { int Btn; QMessageBox::StandardButton Qt; int Result; };
    static const TMap map[] = {{mbOK, QMessageBox::Ok, mrOk},         {mbCancel, QMessageBox::Cancel, mrCancel},
                               {mbYes, QMessageBox::Yes, mrYes},      {mbNo, QMessageBox::No, mrNo},
                               {mbAbort, QMessageBox::Abort, mrAbort}, {mbRetry, QMessageBox::Retry, mrRetry},
                               {mbIgnore, QMessageBox::Ignore, mrIgnore}};
    QMessageBox::StandardButtons set;
    for (const TMap& m : map)
        if (buttons & m.Btn) set |= m.Qt;
    box.setStandardButtons(set ? set : QMessageBox::StandardButtons(QMessageBox::Ok));
    const int clicked = box.exec();
    for (const TMap& m : map)
        if (clicked == m.Qt) return m.Result;
    return mrCancel;
}

bool TQtUIServices::InputQuery(const QString& caption, const QString& prompt, QString& value) {
    bool ok = false;
    const QString r = QInputDialog::getText(QApplication::activeWindow(), caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok) value = r;
    return ok;
}

void InstallQtUIServices() { SetUIServices(std::make_shared<TQtUIServices>()); }
