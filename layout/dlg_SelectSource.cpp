#include "dlg_SelectSource.h"

#include "DataStructures.h"
#include "ModalDialogs.h"

#include <QListWidget>

namespace Plotmere {

TdlgSelectSource::TdlgSelectSource(QWidget* parent) : TLayoutFormDialog(QStringLiteral("Выберите тип документа"), parent) {
    lbClasses = new QListWidget(this);
    for (const TDataClassDefDataRec& dataClass : SketchDataClasses) lbClasses->addItem(dataClass.Name);
    Body()->addWidget(lbClasses);
    connect(lbClasses, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
}

bool SelectSketchDataClass(int& dataClass) {
    auto& dialog = KeptDialog<TdlgSelectSource>();
    dialog.lbClasses->setCurrentRow(0);
    if (ShowModal(dialog) != mrOk) return false;
    dataClass = dialog.lbClasses->currentRow();
    return true;
}

}  // namespace Plotmere
