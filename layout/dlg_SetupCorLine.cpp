#include "dlg_SetupCorLine.h"

#include "ItemSetup.h"
#include "ModalDialogs.h"
#include "PrintComments.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

#include <algorithm>

namespace Plotmere {

TdlgSetupCorLine::TdlgSetupCorLine(QWidget* parent) : TdlgSetupCollector(parent) {
    setWindowTitle(QStringLiteral("Настройка линии"));
    cbWidth = new QComboBox(this);
    for (int width = 1; width <= 5; ++width) cbWidth->addItem(QString::number(width));
    FForm->addRow(new QLabel(QStringLiteral("Толщина"), this), cbWidth);
}

namespace {
bool SetupCorLine(TPrintItem& item, TRenderDevice*) {
    auto& line = static_cast<TPrintCorellationLine&>(item);
    auto& dialog = KeptDialog<TdlgSetupCorLine>();
    dialog.sbColor->SetColor(line.Color());
    // A width outside the list shows the nearest one and is kept unless
    // another is chosen.
    const int shown = std::clamp(line.PenWidth(), 1, 5) - 1;
    dialog.cbWidth->setCurrentIndex(shown);
    if (ShowModal(dialog) != mrOk) return false;
    line.SetColor(dialog.sbColor->Color());
    if (dialog.cbWidth->currentIndex() != shown) line.SetPenWidth(dialog.cbWidth->currentIndex() + 1);
    return true;
}

const TItemSetupRegistration CorLineSetup(typeid(TPrintCorellationLine), SetupCorLine);
}  // namespace

}  // namespace Plotmere
