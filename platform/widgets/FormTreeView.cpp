#include "FormTreeView.h"

#include "ClassRegistry.h"
#include "CodePages.h"
#include "ComponentStreaming.h"
#include "ImgList.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QtEndian>
#include <algorithm>

namespace {
constexpr int RoleInfo = Qt::UserRole + 1;
// Records are at most this deep; deeper data is refused rather than recursed into.
constexpr int MaxDepth = 256;

struct TNodeReader {
    const QByteArray& Bytes;
    bool Wide;
    qsizetype Pos = 0;

    qint32 Int() {
        if (Pos + 4 > Bytes.size()) throw Exception(QStringLiteral("Tree node data ends early"));
        const qint32 v = qFromLittleEndian<qint32>(Bytes.constData() + Pos);
        Pos += 4;
        return v;
    }
    void Node(TFormTreeView& tree, QTreeWidgetItem* parent, int depth) {
        if (depth > MaxDepth) throw Exception(QStringLiteral("Tree node data nested too deep"));
        const qint32 size = Int();
        const qsizetype start = Pos;
        TFormTreeView::TNodeInfo info;
        info.ImageIndex = Int();
        info.SelectedIndex = Int();
        info.StateIndex = Int();
        info.OverlayIndex = Int();
        info.Data = Int();
        const qint32 count = Int();
        if (Pos + 1 > Bytes.size()) throw Exception(QStringLiteral("Tree node data ends early"));
        const int len = quint8(Bytes[Pos++]);
        const int textBytes = Wide ? 2 * len : len;
        if (size != 25 + textBytes || Pos + textBytes > Bytes.size())
            throw Exception(QStringLiteral("Tree node record of a wrong size"));
        const QByteArray text = Bytes.mid(Pos, textBytes);
        Pos += textBytes;
        Q_ASSERT(Pos - start == size);
        info.Text = Wide ? QString::fromUtf16(reinterpret_cast<const char16_t*>(text.constData()), len)
                         : DecodeCodePage(text, TCodePage::cpAnsi);
        // Each child needs at least a record; a count beyond the data is corrupt.
        if (count < 0 || count > (Bytes.size() - Pos) / 29) throw Exception(QStringLiteral("Tree node count out of range"));
        QTreeWidgetItem* node = tree.AddChild(parent, info);
        for (int i = 0; i < count; ++i) Node(tree, node, depth + 1);
    }
};

void WriteInt(QByteArray& out, qint32 v) {
    char b[4];
    qToLittleEndian<qint32>(v, b);
    out.append(b, 4);
}

void WriteNode(QByteArray& out, const QTreeWidgetItem* node, bool wide) {
    const TFormTreeView::TNodeInfo info = TFormTreeView::NodeInfo(node);
    QByteArray text;
    int len = 0;
    if (wide) {
        const QString t = info.Text.left(255);
        len = int(t.size());
        text = QByteArray(reinterpret_cast<const char*>(t.utf16()), 2 * len);
    } else {
        text = EncodeCodePage(info.Text, TCodePage::cpAnsi).left(255);
        len = int(text.size());
    }
    WriteInt(out, 25 + int(text.size()));
    for (qint32 v : {info.ImageIndex, info.SelectedIndex, info.StateIndex, info.OverlayIndex, info.Data,
                     qint32(node->childCount())})
        WriteInt(out, v);
    out.append(char(len));
    out += text;
    for (int i = 0; i < node->childCount(); ++i) WriteNode(out, node->child(i), wide);
}
}  // namespace

TFormTreeView::TFormTreeView(QObject* owner) : TControl(owner), FTree(new QTreeWidget(this)) {
    SetBounds(0, 0, 121, 97);
    SetColor(clWindow);
    SetParentColor(false);
    FTree->setHeaderHidden(true);
    FTree->setColumnCount(1);
    FTree->setGeometry(rect());
    SetIndent(19);
}

void TFormTreeView::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v;
    FTree->setFrameShape(v == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

void TFormTreeView::SetImages(TComponent* v) {
    if (v == FImages) return;
    if (FImages) RemoveFreeNotification(FImages);
    FImages = v;
    if (v) FreeNotification(v);
    for (QTreeWidgetItemIterator it(FTree); *it; ++it) {
        const auto* list = qobject_cast<TCustomImageList*>(FImages);
        const QImage image = list ? list->Image(NodeInfo(*it).ImageIndex) : QImage();
        (*it)->setIcon(0, image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
    }
}

int TFormTreeView::Indent() const { return FTree->indentation(); }

void TFormTreeView::SetIndent(int v) { FTree->setIndentation(std::clamp(v, 0, 1000)); }

void TFormTreeView::SetShowButtons(bool v) {
    FShowButtons = v;
    FTree->setItemsExpandable(true);
    FTree->setRootIsDecorated(FShowRoot && v);
}

void TFormTreeView::SetShowRoot(bool v) {
    FShowRoot = v;
    FTree->setRootIsDecorated(v && FShowButtons);
}

QTreeWidgetItem* TFormTreeView::AddChild(QTreeWidgetItem* parent, const TNodeInfo& info) {
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(FTree);
    node->setText(0, info.Text);
    node->setData(0, RoleInfo, QVariant::fromValue(QList<int>{info.ImageIndex, info.SelectedIndex, info.StateIndex,
                                                              info.OverlayIndex, info.Data}));
    if (const auto* list = qobject_cast<TCustomImageList*>(FImages))
        if (const QImage image = list->Image(info.ImageIndex); !image.isNull()) node->setIcon(0, QPixmap::fromImage(image));
    return node;
}

TFormTreeView::TNodeInfo TFormTreeView::NodeInfo(const QTreeWidgetItem* node) {
    TNodeInfo info;
    info.Text = node->text(0);
    const QList<int> v = node->data(0, RoleInfo).value<QList<int>>();
    if (v.size() == 5) {
        info.ImageIndex = v[0];
        info.SelectedIndex = v[1];
        info.StateIndex = v[2];
        info.OverlayIndex = v[3];
        info.Data = v[4];
    }
    return info;
}

QByteArray TFormTreeView::NodesData(bool wide) const {
    QByteArray out;
    WriteInt(out, FTree->topLevelItemCount());
    for (int i = 0; i < FTree->topLevelItemCount(); ++i) WriteNode(out, FTree->topLevelItem(i), wide);
    return out;
}

void TFormTreeView::SetNodesData(const QByteArray& data, bool wide) {
    // Read into a scratch view first, so that bad data leaves the nodes as they were.
    TFormTreeView scratch;
    TNodeReader reader{data, wide};
    const qint32 count = reader.Int();
    if (count < 0 || count > data.size() / 29) throw Exception(QStringLiteral("Tree node count out of range"));
    for (int i = 0; i < count; ++i) reader.Node(scratch, nullptr, 0);
    if (reader.Pos != data.size()) throw Exception(QStringLiteral("Tree node data has bytes after its nodes"));
    FTree->clear();
    while (scratch.FTree->topLevelItemCount() > 0) FTree->addTopLevelItem(scratch.FTree->takeTopLevelItem(0));
    FWideNodes = wide;
    SetImages(FImages);
}

void TFormTreeView::DefineProperties(TFiler& filer) {
    TControl::DefineProperties(filer);
    const bool nodes = FTree->topLevelItemCount() > 0;
    filer.DefineBinaryProperty(
        QStringLiteral("Items.Data"), [this](const QByteArray& b) { SetNodesData(b, false); },
        [this] { return NodesData(false); }, nodes && !FWideNodes);
    filer.DefineBinaryProperty(
        QStringLiteral("Items.NodeData"), [this](const QByteArray& b) { SetNodesData(b, true); },
        [this] { return NodesData(true); }, nodes && FWideNodes);
}

void TFormTreeView::Notification(TComponentBase* component, TOperation operation) {
    TControl::Notification(component, operation);
    if (operation == TOperation::opRemove && FImages && component == AsComponent(FImages)) FImages = nullptr;
}

void TFormTreeView::resizeEvent(QResizeEvent* e) {
    TControl::resizeEvent(e);
    FTree->setGeometry(rect());
}

void TFormTreeView::FontChanged() { FTree->setFont(Font()->ToQFont()); }

namespace {
const bool TreeViewRegistered = [] {
    RegisterClass({QStringLiteral("TTreeView"), &TFormTreeView::staticMetaObject,
                   [](QObject* owner) -> QObject* { return new TFormTreeView(owner); }});
    return true;
}();
}  // namespace
