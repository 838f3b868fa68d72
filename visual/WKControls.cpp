#include "WKControls.h"

#include "Components.h"
#include "MainWindowHost.h"
#include "UIServices.h"
#include "dlg_SelectParam.h"

#include <QWidget>

#include <memory>

namespace {
// Shows the picker; the dialog is freed also when the source or the database fails.
bool RunPicker(TSensSelection selection, bool single, const TGetCustomParams& source, TSensDescrArray& result) {
    auto dlg = std::make_unique<TdlgSelectParam>();
    dlg->FOnGetCustomParams = source;
    dlg->Selection = selection;
    dlg->SingleParam = single;
    const int modal = dlg->Execute();
    dlg->FOnGetCustomParams = nullptr;
    if (modal != mrOk) return false;
    result = dlg->GetSensDescriptions();
    return true;
}
}  // namespace

bool SelectParameters(TSensSelection selection, TSensDescrArray& descr, const TGetCustomParams& source) {
    return RunPicker(selection, false, source, descr);
}

bool SelectParameter(TSensSelection selection, TSensDescr& descr, const TGetCustomParams& source) {
    TSensDescrArray chosen;
    if (!RunPicker(selection, true, source, chosen) || chosen.isEmpty()) return false;
    descr = chosen.first();
    return true;
}

TCustomImageList* WKLargeImages = nullptr;

QObject* ApplicationToolbar() {
    IWKMainWindowHost* host = MainWindowHost();
    QWidget* window = host ? host->MainWindow() : nullptr;
    if (!window) return nullptr;
    if (const TComponentBase* form = AsComponent(window))
        if (TComponentBase* bar = form->FindComponent(QStringLiteral("tbMain"))) return bar->Self();
    return window->findChild<QObject*>(QStringLiteral("tbMain"), Qt::FindDirectChildrenOnly);
}
