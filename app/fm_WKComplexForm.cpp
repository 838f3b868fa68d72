#include "fm_WKComplexForm.h"

#include "ClassRegistry.h"
#include "ScrollBox.h"
#include "WKFormText.h"

#include <memory>

WK_REGISTER_CLASS(TfmWKComplexForm)

TfmWKComplexForm::TfmWKComplexForm(QObject* owner) : TBaseMDIForm(owner) { SetPosition(poDefault); }

TfmWKComplexForm* TfmWKComplexForm::CreateFromFile(QObject* owner, const QString& fileName) {
    std::unique_ptr<TfmWKComplexForm> form(new TfmWKComplexForm(owner));
    auto* box = new TScrollBox(form.get());
    box->SetParentWidget(form.get());
    LoadForm(box, fileName);
    // The form owns the controls (last to first, as the box lists them), so
    // that its component text carries them.
    for (int i = box->ComponentCount() - 1; i >= 0; --i) box->Components(i)->SetOwner(form.get());
    box->SetAlign(TControl::alNone);
    box->SetAlign(TControl::alClient);
    return form.release();
}

TScrollBox* TfmWKComplexForm::ScrollBox() const {
    for (TControl* c : Controls())
        if (auto* box = qobject_cast<TScrollBox*>(c)) return box;
    return nullptr;
}
