#pragma once
// The tabbed chart form: a tab strip over one live chart per tab, each chart
// the object of its tab and tagged with the tab's index; only the active
// tab's chart shows. The well is per tab: choosing one sets the active
// chart's stream suffix and the active tab's caption, never the form's.
#include "Menus.h"
#include "fm_BaseMDIForm.h"
#include "qxAeroTabs.h"

#include <QPointer>

#pragma GCC visibility push(default)

class TWKChart;
class QAction;

class TfmTabbedForm : public TBaseMDIForm {
    Q_OBJECT
    Q_PROPERTY(bool IsDateTime READ IsDateTime WRITE SetIsDateTime)
public:
    Q_INVOKABLE explicit TfmTabbedForm(QObject* owner = nullptr);

    bool IsDateTime() const { return FIsDateTime; }
    void SetIsDateTime(bool v) { FIsDateTime = v; }

    TqxAeroTabs* Tabs() const { return FTabs; }
    TPopupMenu* pmTabs() const { return FpmTabs; }
    QAction* miNewTab() const { return FmiNewTab; }
    QAction* miRename() const { return FmiRename; }
    // The chart of a tab (its object), or null.
    TWKChart* TabChart(int index) const;

    // The strip's handlers (stored with the form by these names).
    Q_INVOKABLE void TabsAddClick(QObject* sender);
    Q_INVOKABLE void TabsTabChange(QObject* sender);
    Q_INVOKABLE void TabsCloseTab(QObject* sender, int index, bool* close);
    // Renames the tab under a point of the strip through the input dialog;
    // nothing when the point lies on no tab.
    void RenameTabAt(const QPoint& stripPoint);

    // The caption of the next tab: "График " + (largest number after the
    // first blank of a caption without its well part, + 1).
    static QString NextTabCaption(const QStringList& captions);

    void UpdateCaption() override;
    void BroadcastWell() override;
    void ReadingState() override;
    void Loaded() override;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void CreateLayout();
    void BindLayout();
    // Hidden charts take no part in the layout: they get the shown chart's
    // place, so that they show there and their stored bounds are current.
    void PlaceHiddenCharts();

    bool FIsDateTime = true;
    bool FReadingWell = false;
    QPointer<TqxAeroTabs> FTabs;
    QPointer<TPopupMenu> FpmTabs;
    QAction* FmiNewTab = nullptr;
    QAction* FmiRename = nullptr;
};

#pragma GCC visibility pop
