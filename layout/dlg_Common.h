#pragma once
// What every item setup dialog of the layout shares: the dialogs are made on
// first use and kept for the rest of the run (tests reset them), a failed
// check on OK shows its message and keeps the dialog open, and colours are
// picked with a small swatch and its "..." button.
#include "Graphics.h"

#include <QDialog>
#include <QWidget>

#include <memory>
#include <typeindex>

#pragma GCC visibility push(default)

class QToolButton;
class TColorRect;

namespace Plotmere {

// A dialog whose OK runs Validate first: an exception thrown there is shown
// through the UI services and the dialog stays open; otherwise the dialog is
// accepted and its caller reads the values back into the item.
class TLayoutSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit TLayoutSetupDialog(QWidget* parent = nullptr);
    void accept() override;

protected:
    // Throws Exception (or EConvertError) with the user's message when a value is wrong.
    virtual void Validate() {}
};

// The colour swatch with its "..." button; both open the colour dialog.
class TColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit TColorSwatch(QWidget* parent = nullptr);
    TColor Color() const;
    void SetColor(TColor color);
    QToolButton* Button() const { return FButton; }

signals:
    void OnChangeColor(TColor color);

private:
    TColorRect* FRect = nullptr;
    QToolButton* FButton = nullptr;
};

namespace detail {
QDialog* FindKeptDialog(std::type_index type);
QDialog& KeepDialog(std::type_index type, std::unique_ptr<QDialog> dialog);
}  // namespace detail

// The one instance of a dialog class, made on first use.
template <class TDialog>
TDialog& KeptDialog() {
    if (QDialog* found = detail::FindKeptDialog(typeid(TDialog))) return static_cast<TDialog&>(*found);
    return static_cast<TDialog&>(detail::KeepDialog(typeid(TDialog), std::make_unique<TDialog>()));
}

// Frees every kept dialog, so that a test starts from freshly made ones.
void ResetLayoutDialogs();

}  // namespace Plotmere

#pragma GCC visibility pop
