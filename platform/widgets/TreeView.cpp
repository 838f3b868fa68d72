#include "TreeView.h"

#include <QFile>
#include <QIcon>

TPictureList TPictureList::FromFiles(const QString& prefix) {
    TPictureList list;
    for (int i = 0;; ++i) {
        const QString name = prefix + QString::number(i) + QStringLiteral(".png");
        if (!QFile::exists(name)) break;
        list.Add(QPixmap(name));
    }
    return list;
}

QPixmap TPictureList::Image(int index) const {
    return index >= 0 && index < FImages.size() ? FImages.at(index) : QPixmap();
}

namespace {
constexpr int DataRole = Qt::UserRole;
constexpr int ImageRole = Qt::UserRole + 1;
}  // namespace

TTreeView::TTreeView(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
        if (OnChange) OnChange(current);
    });
}

TTreeView::TTreeNode* TTreeView::AddChild(TTreeNode* parent, const QString& text, int imageIndex, QObject* data) {
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    node->setText(0, text);
    node->setData(0, DataRole, QVariant::fromValue(QPointer<QObject>(data)));
    node->setData(0, ImageRole, imageIndex);
    if (FImages && imageIndex >= 0 && imageIndex < FImages->Count())
        node->setIcon(0, QIcon(FImages->Image(imageIndex)));
    return node;
}

QObject* TTreeView::NodeData(const TTreeNode* node) {
    return node ? node->data(0, DataRole).value<QPointer<QObject>>().data() : nullptr;
}

int TTreeView::NodeImageIndex(const TTreeNode* node) { return node ? node->data(0, ImageRole).toInt() : -1; }

QList<TTreeView::TTreeNode*> TTreeView::Nodes() const {
    QList<TTreeNode*> list;
    std::function<void(TTreeNode*)> walk = [&](TTreeNode* n) {
        list << n;
        for (int i = 0; i < n->childCount(); ++i) walk(n->child(i));
    };
    for (int i = 0; i < topLevelItemCount(); ++i) walk(topLevelItem(i));
    return list;
}

TTreeView::TTreeNode* TTreeView::FindNode(const QObject* data) const {
    for (TTreeNode* n : Nodes())
        if (NodeData(n) == data) return n;
    return nullptr;
}

void TTreeView::SetSelected(TTreeNode* node) { setCurrentItem(node); }

void TTreeView::BeginUpdate() {
    if (FUpdateCount++ == 0) setUpdatesEnabled(false);
}

void TTreeView::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) setUpdatesEnabled(true);
}
