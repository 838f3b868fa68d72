#include "dlg_InputString.h"

#include "ModalDialogs.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TdlgInputString::TdlgInputString(QWidget* parent) : QDialog(parent) {
    lbString = new QLabel(this);
    leString = new QLineEdit(this);
    leString->setObjectName(QStringLiteral("leString"));
    lbString->setBuddy(leString);
    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnCancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    btnOK->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbString);
    layout->addWidget(leString);
    layout->addWidget(buttons);
    resize(320, sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

bool TdlgInputString::Input(const QString& caption, const QString& labelText, const QString& defaultText,
                            QString& value) {
    TdlgInputString dialog;
    dialog.setWindowTitle(caption);
    dialog.lbString->setText(labelText);
    dialog.leString->setText(defaultText);
    dialog.leString->selectAll();
    value = defaultText;
    if (ShowModal(dialog) != mrOk) return false;
    value = dialog.leString->text();
    return true;
}
