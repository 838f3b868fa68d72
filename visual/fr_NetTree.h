#pragma once
// The equipment tree on forms and the host's main window: the items of the
// global Network shown by connection or grouped by the installation place of
// their nodes, each with a state overlay, the operations the selected item
// allows, a level filter and a find box. Without a network it is empty and
// disabled.
#include "Controls.h"
#include "WKControlDesign.h"
#include "WKServices.h"

#include <QPixmap>
#include <QPointer>
#include <QTreeWidget>
#include <utility>
#include <vector>

#pragma GCC visibility push(default)

class QAction;
class QLineEdit;
class QMenu;
class QToolBar;
class QToolButton;
class TNetworkItem;

class TNetTree : public TControl, public IControlDesign, public IWKNotification {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
    Q_PROPERTY(TNetViewOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(TNetViewMode ViewMode READ ViewMode WRITE SetViewMode)
public:
    enum TNetViewOption { nvHideNodes = 1, nvHideDevices = 2, nvHideSensors = 4, nvHideServers = 8 };
    Q_DECLARE_FLAGS(TNetViewOptions, TNetViewOption)
    Q_FLAG(TNetViewOptions)
    enum TNetViewMode { vmByConnection, vmByLocation };
    Q_ENUM(TNetViewMode)

    // Overlay images by overlay index (error, power failure, warning, fixed).
    static constexpr int OverlayImages[] = {0, 13, 17, 19};

    Q_INVOKABLE explicit TNetTree(QObject* owner = nullptr);
    ~TNetTree() override;

    void RebuildTree(bool Expand);
    void SetStates();
    // The item of the selected node, or null.
    TNetworkItem* SelectedItem() const;
    // Selects the first node (in tree order) whose text holds the find box's
    // text, ignoring case; from the node after the selected one when asked.
    // No wrap-around; an empty box does nothing.
    bool FindTreeItem(bool FromSelected);
    bool FindNextTreeItem() { return FindTreeItem(true); }

    TNetViewOptions Options() const { return FOptions; }
    // Stored only: takes effect at the next rebuild.
    void SetOptions(TNetViewOptions Value) { FOptions = Value; }
    TNetViewMode ViewMode() const { return FViewMode; }
    void SetViewMode(TNetViewMode Value);

    void Notify(TServiceEvent Event, void* Sender) override;
    void Setup() override;
    void Loaded() override;

    // The overlay index shown for a node (-1 for none).
    static int NodeOverlay(const QTreeWidgetItem* node);
    static TNetworkItem* NodeItem(const QTreeWidgetItem* node);
    // Enables the actions for the current selection (also run on every update round).
    void UpdateActions();

    QTreeWidget* tvNetwork;
    QToolBar* tbNetwork;
    QLineEdit* beFind;
    QMenu* pmNetwork;
    QMenu* pmFilter;
    QAction* actInformation;
    QAction* actFindNetItem;
    QAction* actAttachNetItem;
    QAction* actDetachNetItem;
    QAction* actNetItemCalibration;
    QAction* actNetItemProperties;
    QAction* actSetLocation;
    QAction* actFilter;
    QAction* actHideNodes;
    QAction* actHideDevices;
    QAction* actSetTreeMode;
    std::vector<QPixmap> ilNetwork;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void AddItem(QTreeWidgetItem* parent, TNetworkItem* item, TNetworkItem* selected);
    void AddChildren(QTreeWidgetItem* parent, TNetworkItem* item, TNetworkItem* selected);
    void AddByLocation(TNetworkItem* item, TNetworkItem* selected);
    QTreeWidgetItem* LocationGroup(const QString& location);
    QTreeWidgetItem* NewNode(QTreeWidgetItem* parent, const QString& text, int image);
    // The node of an item, cached for the state overlays.
    QTreeWidgetItem* ItemNode(QTreeWidgetItem* parent, TNetworkItem* item, TNetworkItem* selected);
    void SetOverlay(QTreeWidgetItem* node, int overlay);
    void RunItemAction(QAction* action);
    void SetLocationClick();
    void UpdateFilterCaptions();

    bool FNoCollapse = false;
    bool FRegistered = false;
    TNetViewOptions FOptions;
    TNetViewMode FViewMode = vmByConnection;
    std::vector<std::pair<QPointer<TNetworkItem>, QTreeWidgetItem*>> FNetNodesCache;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TNetTree::TNetViewOptions)

#pragma GCC visibility pop
