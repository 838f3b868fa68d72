#pragma once
// The data label dialog ("Настройка надписи"): font, position and angle as
// the label dialog, the parameter chosen among the systems of the plug-in
// manager and the data group; the sample shows what the label would show.
#include "DataStructures.h"
#include "dlg_SetupLabel.h"

#include <QPointer>

#pragma GCC visibility push(default)

namespace Plotmere {

class TPluginManager;
class TPrintDocument;

class TdlgSetupDBLabel : public TdlgSetupLabel {
    Q_OBJECT
public:
    explicit TdlgSetupDBLabel(QWidget* parent = nullptr);

    // The systems of manager with descr's parameter chosen, the document's
    // groups with group chosen; the choice panels only in the designer.
    void Fill(TPrintDocument* doc, const TParamDescr& descr, const QString& group, const TPluginManager& manager);
    void Fill(TPrintDocument* doc, const TParamDescr& descr, const QString& group);
    // The chosen parameter's whole description (the filled one when none is chosen).
    TParamDescr Param() const;
    QString Group() const;

    QGroupBox* gbParam;
    QComboBox* cbSource;
    QComboBox* cbParam;
    QGroupBox* gbGroup;
    QComboBox* cbGroup;

private:
    void FillParams();
    void ShowValue();

    const TPluginManager* FManager = nullptr;
    QPointer<TPrintDocument> FDocument;
    TParamDescr FInitial;
    TParamDescrArray FParams;  // of the chosen system, in the list's order
};

}  // namespace Plotmere

#pragma GCC visibility pop
