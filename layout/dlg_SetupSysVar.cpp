#include "dlg_SetupSysVar.h"

#include "ItemSetup.h"
#include "PrintLabels.h"
#include "SketchDoc.h"

#include <QComboBox>
#include <QFormLayout>
#include <QPlainTextEdit>

namespace Plotmere {

namespace {
const QStringList CommonVariables = {
    QStringLiteral("Номер страницы"), QStringLiteral("Число страниц"),   QStringLiteral("Дата"),
    QStringLiteral("Время"),          QStringLiteral("Название принтера"), QStringLiteral("Автор формы"),
    QStringLiteral("Название формы"), QStringLiteral("Имя файла формы"),
};
const QStringList WellLogVariables = {QStringLiteral("Масштаб"), QStringLiteral("Интервал"), QStringLiteral("Шаг")};
}  // namespace

TdlgSetupSysVar::TdlgSetupSysVar(QWidget* parent) : TdlgSetupLabel(parent) {
    setWindowTitle(QStringLiteral("Настройка переменной"));
    meText->hide();
    auto* row = new QFormLayout;
    cbVariable = new QComboBox(this);
    row->addRow(QStringLiteral("Переменная:"), cbVariable);
    Extras()->addLayout(row);
    connect(cbVariable, &QComboBox::currentIndexChanged, this, [this] { ShowValue(); });
}

void TdlgSetupSysVar::Fill(TPrintDocument* doc, int sysVarType) {
    FDocument = doc;
    FInitial = sysVarType;
    const QSignalBlocker quiet(cbVariable);
    cbVariable->clear();
    cbVariable->addItems(CommonVariables);
    if (qobject_cast<TSketchDocument*>(doc)) cbVariable->addItems(WellLogVariables);
    cbVariable->setCurrentIndex(sysVarType + 1 < cbVariable->count() ? sysVarType + 1 : -1);
    ShowValue();
}

int TdlgSetupSysVar::SysVarType() const {
    return cbVariable->currentIndex() < 0 ? FInitial : cbVariable->currentIndex() - 1;
}

void TdlgSetupSysVar::ShowValue() {
    ShowSample(FDocument ? FDocument->GetSysVar(SysVarType()) : QString());
}

namespace {
const TItemSetupRegistration SysLabelSetup(typeid(TPrintSysLabel), [](TPrintItem& item, TRenderDevice* device) {
    return RunLabelSetup(static_cast<TPrintLabel&>(item), KeptDialog<TdlgSetupSysVar>(), device);
});
}  // namespace

}  // namespace Plotmere
