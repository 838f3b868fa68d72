#include "StateTree.h"

#include <QMouseEvent>
#include <QStyleOptionViewItem>
#include <algorithm>

void TTreeNode::SetImageIndex(int index) {
    FImage = index;
    auto* tree = static_cast<TStateTreeView*>(treeWidget());
    if (tree && index >= 0 && index < tree->Images().size())
        setIcon(0, tree->Images()[index]);
    else
        setIcon(0, QIcon());
}

void TTreeNode::SetStateIndex(int index) {
    FState = index;
    // The check box of the item view stands for the state image.
    if (index < 0)
        setData(0, Qt::CheckStateRole, QVariant());
    else
        setCheckState(0, index >= 2 ? Qt::Checked : Qt::Unchecked);
}

TStateTreeView::TStateTreeView(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void TStateTreeView::SetImages(const QList<QIcon>& images) {
    FImages = images;
    for (TTreeNode* n : Nodes()) n->SetImageIndex(n->ImageIndex());
}

TTreeNode* TStateTreeView::AddChild(TTreeNode* parent, const QString& text) {
    auto* node = new TTreeNode(QStringList{text});
    // Only user-checkable items toggle themselves in the view; these never do.
    node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (parent)
        parent->addChild(node);
    else
        addTopLevelItem(node);
    return node;
}

TTreeNode* TStateTreeView::Selected() const { return static_cast<TTreeNode*>(currentItem()); }

void TStateTreeView::SetSelected(TTreeNode* node) { setCurrentItem(node); }

TTreeNode* TStateTreeView::TopNode() const { return static_cast<TTreeNode*>(topLevelItem(0)); }

int TStateTreeView::NodeCount() const { return int(Nodes().size()); }

QList<TTreeNode*> TStateTreeView::Nodes() const {
    QList<TTreeNode*> result;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
        result << static_cast<TTreeNode*>(item);
        for (int i = 0; i < item->childCount(); ++i) walk(item->child(i));
    };
    for (int i = 0; i < topLevelItemCount(); ++i) walk(topLevelItem(i));
    return result;
}

void TStateTreeView::CustomSort(const std::function<bool(const TTreeNode&, const TTreeNode&)>& less) {
    const auto byLess = [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        return less(*static_cast<TTreeNode*>(a), *static_cast<TTreeNode*>(b));
    };
    std::function<void(QTreeWidgetItem*)> sortLevel = [&](QTreeWidgetItem* parent) {
        QList<QTreeWidgetItem*> children = parent->takeChildren();
        std::stable_sort(children.begin(), children.end(), byLess);
        parent->addChildren(children);
        for (QTreeWidgetItem* c : children) sortLevel(c);
    };
    TTreeNode* current = Selected();
    // Taking items out collapses them; they come back as they were.
    QList<QTreeWidgetItem*> expanded;
    for (TTreeNode* n : Nodes())
        if (n->isExpanded()) expanded << n;
    QList<QTreeWidgetItem*> top;
    while (topLevelItemCount() > 0) top << takeTopLevelItem(0);
    std::stable_sort(top.begin(), top.end(), byLess);
    addTopLevelItems(top);
    for (QTreeWidgetItem* t : top) sortLevel(t);
    for (QTreeWidgetItem* n : expanded) n->setExpanded(true);
    if (current) setCurrentItem(current);
}

void TStateTreeView::BeginUpdate() {
    if (FUpdating++ == 0) setUpdatesEnabled(false);
}

void TStateTreeView::EndUpdate() {
    if (FUpdating > 0 && --FUpdating == 0) setUpdatesEnabled(true);
}

TTreeNode* TStateTreeView::StateImageAt(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    auto* node = static_cast<TTreeNode*>(itemFromIndex(index));
    if (!node || node->StateIndex() < 0) return nullptr;
    QStyleOptionViewItem opt;
    initViewItemOption(&opt);
    opt.rect = visualRect(index);
    opt.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect check = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, this);
    return check.contains(pos) ? node : nullptr;
}

void TStateTreeView::mousePressEvent(QMouseEvent* e) {
    QTreeWidget::mousePressEvent(e);
    emit MousePressed(e->position().toPoint(), e->button());
    if (e->button() != Qt::LeftButton) return;
    if (TTreeNode* node = StateImageAt(e->position().toPoint())) emit StateImagePressed(node);
}
