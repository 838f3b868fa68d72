#include "dlg_SetupCollector.h"

#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "PrintComments.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace Plotmere {

TdlgSetupCollector::TdlgSetupCollector(QWidget* parent) : TLayoutSetupDialog(parent) {
    setWindowTitle(QStringLiteral("Настройка полосы"));
    auto* layout = new QVBoxLayout(this);
    FForm = new QFormLayout;
    sbColor = new TColorSwatch(this);
    FForm->addRow(new QLabel(QStringLiteral("Цвет"), this), sbColor);
    layout->addLayout(FForm);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

namespace {
// The layer is drawn by exclusive-or: the dialog offers the colour it shows
// on white paper.
bool SetupCollector(TPrintItem& item, TRenderDevice*) {
    auto& layer = static_cast<TPrintCollector&>(item);
    auto& dialog = KeptDialog<TdlgSetupCollector>();
    dialog.sbColor->SetColor(layer.ShownColor());
    if (ShowModal(dialog) != mrOk) return false;
    layer.SetShownColor(dialog.sbColor->Color());
    return true;
}

const TItemSetupRegistration CollectorSetup(typeid(TPrintCollector), SetupCollector);
}  // namespace

}  // namespace Plotmere
