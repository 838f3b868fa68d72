#pragma once
// A tree of nodes with an image and a state image each, as the old tree view
// had: ImageIndex picks the node's icon from Images(); StateIndex -1 shows no
// state image, 1 the unchecked and 2 the checked box. The tree does not toggle
// states itself: a press on a node's state image is reported
// (StateImagePressed) and the owner decides.
#include <QIcon>
#include <QList>
#include <QTreeWidget>
#include <QVariant>
#include <functional>

#pragma GCC visibility push(default)

class TTreeNode : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    int ImageIndex() const { return FImage; }
    void SetImageIndex(int index);
    int SelectedIndex() const { return FSelected; }
    void SetSelectedIndex(int index) { FSelected = index; }
    int StateIndex() const { return FState; }
    void SetStateIndex(int index);
    QVariant Data;
    TTreeNode* Parent() const { return static_cast<TTreeNode*>(parent()); }
    TTreeNode* Child(int i) const { return static_cast<TTreeNode*>(child(i)); }

private:
    int FImage = -1;
    int FSelected = -1;
    int FState = -1;
};

class TStateTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TStateTreeView(QWidget* parent = nullptr);

    void SetImages(const QList<QIcon>& images);
    const QList<QIcon>& Images() const { return FImages; }

    // Adds a node as the last child of parent (at top level for null).
    TTreeNode* AddChild(TTreeNode* parent, const QString& text);
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    TTreeNode* TopNode() const;
    int NodeCount() const;
    // Every node, top to bottom as if fully expanded.
    QList<TTreeNode*> Nodes() const;

    // Sorts every level with less(a, b) (a stable sort).
    void CustomSort(const std::function<bool(const TTreeNode&, const TTreeNode&)>& less);

    // Painting is held between BeginUpdate and EndUpdate (counted).
    void BeginUpdate();
    void EndUpdate();

    // The node whose state image lies under pos (viewport coordinates).
    TTreeNode* StateImageAt(const QPoint& pos) const;

signals:
    // After the press has moved the selection.
    void MousePressed(const QPoint& pos, Qt::MouseButton button);
    void StateImagePressed(TTreeNode* node);

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    friend class TTreeNode;
    QList<QIcon> FImages;
    int FUpdating = 0;
};

#pragma GCC visibility pop
