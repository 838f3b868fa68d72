#include "fm_SaveDesktop.h"

#include "DesktopFiles.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfmSaveDesktop::TfmSaveDesktop(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Сохранение набора форм"));
    auto* label = new QLabel(QStringLiteral("Название набора форм"), this);
    cbDesktopName = new QComboBox(this);
    cbDesktopName->setObjectName(QStringLiteral("cbDesktopName"));
    cbDesktopName->setEditable(true);
    cbDesktopName->setInsertPolicy(QComboBox::NoInsert);
    label->setBuddy(cbDesktopName);
    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (btnOK->isEnabled()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cbDesktopName, &QComboBox::currentTextChanged, this, &TfmSaveDesktop::UpdateOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(cbDesktopName);
    layout->addWidget(buttons);
    cbDesktopName->setCurrentText(QString());
    UpdateOK();
}

void TfmSaveDesktop::SetNames(const QStringList& names) {
    const QString text = cbDesktopName->currentText();
    cbDesktopName->clear();
    cbDesktopName->addItems(names);
    cbDesktopName->setCurrentText(text);
    UpdateOK();
}

void TfmSaveDesktop::PrepareForDeletion(const QStringList& names, int selectedIndex) {
    setWindowTitle(QStringLiteral("Удаление набора форм"));
    const QString selected = selectedIndex >= 0 && selectedIndex < names.size() ? names[selectedIndex] : QString();
    QStringList rest = names;
    rest.removeAll(DefaultDesktopName);
    cbDesktopName->setEditable(false);
    cbDesktopName->clear();
    cbDesktopName->addItems(rest);
    const int index = rest.indexOf(selected);
    cbDesktopName->setCurrentIndex(index >= 0 ? index : (rest.isEmpty() ? -1 : 0));
    UpdateOK();
}

QString TfmSaveDesktop::DesktopName() const { return cbDesktopName->currentText(); }

void TfmSaveDesktop::UpdateOK() { btnOK->setEnabled(!cbDesktopName->currentText().trimmed().isEmpty()); }
