#include "dlg_Common.h"

#include "Exceptions.h"
#include "Swatchbox.h"
#include "UIServices.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QToolButton>

#include <map>

namespace Plotmere {

TLayoutSetupDialog::TLayoutSetupDialog(QWidget* parent) : QDialog(parent) {}

void TLayoutSetupDialog::accept() {
    try {
        Validate();
    } catch (const std::exception& e) {
        UIServices().MessageDlg(ExceptionMessage(e), mtError, mbOK);
        return;
    }
    QDialog::accept();
}

TColorSwatch::TColorSwatch(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    FRect = new TColorRect(this);
    FButton = new QToolButton(this);
    FButton->setText(QStringLiteral("..."));
    layout->addWidget(FRect, 1);
    layout->addWidget(FButton);
    connect(FRect, &TColorRect::OnChangeColor, this, &TColorSwatch::OnChangeColor);
    connect(FButton, &QToolButton::clicked, this, [this] {
        TColor color = FRect->Color();
        if (UIServices().ColorDialog(color)) FRect->SetColor(color);
    });
}

TColor TColorSwatch::Color() const { return FRect->Color(); }

void TColorSwatch::SetColor(TColor color) { FRect->SetColor(color); }

namespace {
std::map<std::type_index, std::unique_ptr<QDialog>>& Kept() {
    static std::map<std::type_index, std::unique_ptr<QDialog>> dialogs;
    return dialogs;
}
}  // namespace

namespace detail {
QDialog* FindKeptDialog(std::type_index type) {
    const auto found = Kept().find(type);
    return found == Kept().end() ? nullptr : found->second.get();
}

QDialog& KeepDialog(std::type_index type, std::unique_ptr<QDialog> dialog) {
    // Widgets must go while the application still exists, not with the
    // static store after it: a program that used a dialog once would crash
    // on exit.
    static const bool cleanup = [] {
        qAddPostRoutine(ResetLayoutDialogs);
        return true;
    }();
    Q_UNUSED(cleanup);
    auto& slot = Kept()[type];
    slot = std::move(dialog);
    return *slot;
}
}  // namespace detail

void ResetLayoutDialogs() { Kept().clear(); }

}  // namespace Plotmere
