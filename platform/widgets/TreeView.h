#pragma once
// An outline control: a tree of nodes with a text, an image of an image list
// and a data object, as the old tree view had. Nodes are QTreeWidgetItems.
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QTreeWidget>
#include <functional>

#pragma GCC visibility push(default)

// Small pictures by index.
class TPictureList {
public:
    TPictureList() = default;
    // Every "<prefix><n>.png" from 0 while such a file exists (resources or files).
    static TPictureList FromFiles(const QString& prefix);
    void Add(const QPixmap& image) { FImages << image; }
    int Count() const { return int(FImages.size()); }
    // The picture at index, or a null one outside the list.
    QPixmap Image(int index) const;

private:
    QList<QPixmap> FImages;
};

class TTreeView : public QTreeWidget {
    Q_OBJECT
public:
    using TTreeNode = QTreeWidgetItem;

    explicit TTreeView(QWidget* parent = nullptr);

    // The image list the nodes' image indexes refer to (not owned).
    void SetImages(const TPictureList* images) { FImages = images; }
    const TPictureList* Images() const { return FImages; }

    // A new last child of parent (a root node for null).
    TTreeNode* AddChild(TTreeNode* parent, const QString& text, int imageIndex, QObject* data);
    static QObject* NodeData(const TTreeNode* node);
    static int NodeImageIndex(const TTreeNode* node);
    TTreeNode* FindNode(const QObject* data) const;
    // Every node, depth first in order.
    QList<TTreeNode*> Nodes() const;

    TTreeNode* Selected() const { return currentItem(); }
    void SetSelected(TTreeNode* node);
    void FullExpand() { expandAll(); }
    // Drawing suspended until the matching EndUpdate.
    void BeginUpdate();
    void EndUpdate();

    // Called when the user or the program selects another node, unless the
    // change handlers are detached (QSignalBlocker on the view).
    std::function<void(TTreeNode* node)> OnChange;

private:
    const TPictureList* FImages = nullptr;
    int FUpdateCount = 0;
};

#pragma GCC visibility pop
