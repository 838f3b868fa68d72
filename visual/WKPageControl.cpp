#include "WKPageControl.h"

#include "ClassRegistry.h"
#include "EditControls.h"
#include "ModalDialogs.h"
#include "dlg_SetupPages.h"
#include "fr_Align.h"

void TWKPageControl::Loaded() {
    TPageControl::Loaded();
    SetActivePageIndex(FActiveIndex);
}

void TWKPageControl::Setup() {
    TdlgSetupPages dlg;
    dlg.fd.TakeFrom(*Font());
    dlg.frAlign->SetCtlAlign(Align());
    dlg.rgTabPos->SetItemIndex(TabPosition());
    QList<TPageEntry> tabs;
    for (int i = 0; i < PageCount(); ++i) tabs.append({Pages(i)->Caption(), Pages(i)});
    dlg.SetTabs(tabs);
    if (ShowModal(dlg) != mrOk) return;
    dlg.fd.ApplyTo(*Font());
    SetAlign(dlg.frAlign->GetCtlAlign());
    SetTabPosition(TTabPosition(std::max(dlg.rgTabPos->ItemIndex(), 0)));

    const QList<TPageEntry> result = dlg.Tabs();
    QList<TTabSheet*> kept;
    for (const TPageEntry& e : result)
        if (auto* page = qobject_cast<TTabSheet*>(e.Page.data())) kept << page;
    for (int i = PageCount() - 1; i >= 0; --i)
        if (!kept.contains(Pages(i))) delete Pages(i);
    // New pages are owned by the form, as the designer makes them, so that
    // the form text holds them.
    TComponentBase* owner = Owner() ? Owner() : this;
    for (int i = 0; i < result.size(); ++i) {
        auto* page = qobject_cast<TTabSheet*>(result[i].Page.data());
        if (!page) {
            page = new TTabSheet(owner->Self());
            int n = 1;
            while (owner->FindComponent(QStringLiteral("TabSheet%1").arg(n))) ++n;
            page->SetName(QStringLiteral("TabSheet%1").arg(n));
            page->SetCaption(result[i].Caption);
            page->SetPageControl(this);
        }
        MovePage(page, i);
    }
}

WK_REGISTER_CLASS(TWKPageControl)
