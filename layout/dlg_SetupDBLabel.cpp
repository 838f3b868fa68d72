#include "dlg_SetupDBLabel.h"

#include "DLLMan.h"
#include "ItemSetup.h"
#include "PrintLabels.h"
#include "SketchDoc.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace Plotmere {

namespace {
bool SameParam(const TParamDescr& a, const TParamDescr& b) {
    return a.ID == b.ID && a.SourceID == b.SourceID && a.Path == b.Path;
}

// Whether a system offers the parameter (labels made before the system was
// recorded in their description).
bool Offers(const TPluginManager& manager, const QString& systemID, const TParamDescr& descr) {
    if (descr.ID.isEmpty()) return false;
    const TParamDescrArray params = manager.GetSysParamsList(systemID);
    return std::any_of(params.begin(), params.end(), [&](const TParamDescr& p) { return SameParam(p, descr); });
}
}  // namespace

TdlgSetupDBLabel::TdlgSetupDBLabel(QWidget* parent) : TdlgSetupLabel(parent) {
    setWindowTitle(QStringLiteral("Настройка надписи"));
    meText->hide();
    gbParam = new QGroupBox(QStringLiteral(" Параметр "), this);
    auto* param = new QFormLayout(gbParam);
    cbSource = new QComboBox(gbParam);
    cbParam = new QComboBox(gbParam);
    param->addRow(QStringLiteral("Источник данных"), cbSource);
    param->addRow(QStringLiteral("Параметр"), cbParam);
    Extras()->addWidget(gbParam);
    gbGroup = new QGroupBox(QStringLiteral(" Группа "), this);
    auto* group = new QVBoxLayout(gbGroup);
    cbGroup = new QComboBox(gbGroup);
    cbGroup->setEditable(true);
    group->addWidget(cbGroup);
    Extras()->addWidget(gbGroup);
    connect(cbSource, &QComboBox::currentIndexChanged, this, [this] {
        FillParams();
        ShowValue();
    });
    connect(cbParam, &QComboBox::currentIndexChanged, this, [this] { ShowValue(); });
    connect(cbGroup, &QComboBox::currentTextChanged, this, [this] { ShowValue(); });
}

void TdlgSetupDBLabel::Fill(TPrintDocument* doc, const TParamDescr& descr, const QString& group) {
    Fill(doc, descr, group, PluginManager());
}

void TdlgSetupDBLabel::Fill(TPrintDocument* doc, const TParamDescr& descr, const QString& group,
                            const TPluginManager& manager) {
    FManager = &manager;
    FDocument = doc;
    FInitial = descr;
    {
        const QSignalBlocker quietSource(cbSource), quietGroup(cbGroup);
        cbSource->clear();
        int chosen = -1;
        for (const auto& [name, system] : manager.GetSysList()) {
            const QString id = system->Descr().SystemID;
            if (chosen < 0 && (id == descr.SystemID || (descr.SystemID.isEmpty() && Offers(manager, id, descr))))
                chosen = cbSource->count();
            cbSource->addItem(name, id);
        }
        cbSource->setCurrentIndex(chosen);
        cbGroup->clear();
        QStringList groups;
        if (auto* sketch = qobject_cast<TSketchDocument*>(doc)) sketch->RegisterGroups(groups, true);
        cbGroup->addItems(groups);
        cbGroup->setCurrentText(group);
    }
    FillParams();
    const bool designer = doc && doc->IsDesigner();
    gbParam->setVisible(designer);
    gbGroup->setVisible(designer);
    ShowValue();
}

void TdlgSetupDBLabel::FillParams() {
    const QSignalBlocker quiet(cbParam);
    cbParam->clear();
    FParams.clear();
    if (FManager && cbSource->currentIndex() >= 0) FParams = FManager->GetSysParamsList(cbSource->currentData().toString());
    int chosen = -1;
    for (const TParamDescr& p : FParams) {
        if (chosen < 0 && SameParam(p, FInitial)) chosen = cbParam->count();
        cbParam->addItem(p.Name.isEmpty() ? p.ID : p.Name);
    }
    cbParam->setCurrentIndex(chosen);
    cbParam->setEnabled(!FParams.isEmpty());
}

TParamDescr TdlgSetupDBLabel::Param() const {
    const int index = cbParam->currentIndex();
    return index >= 0 && index < FParams.size() ? FParams.at(index) : FInitial;
}

QString TdlgSetupDBLabel::Group() const { return cbGroup->currentText(); }

void TdlgSetupDBLabel::ShowValue() { ShowSample(TPrintDBLabel::ShownValue(FDocument, Param(), Group(), lbSample->text())); }

namespace {
const TItemSetupRegistration DBLabelSetup(typeid(TPrintDBLabel), [](TPrintItem& item, TRenderDevice* device) {
    return RunLabelSetup(static_cast<TPrintLabel&>(item), KeptDialog<TdlgSetupDBLabel>(), device);
});
}  // namespace

}  // namespace Plotmere
