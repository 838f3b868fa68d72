#pragma once
// The tree view of forms, stored under the class name TTreeView (the C++
// name TTreeView is the outline widget of TreeView.h). Its nodes are stored
// as binary data: "Items.Data" (8-bit captions) or, from newer designers,
// "Items.NodeData" (UTF-16 captions); each node is a 32-bit record size, the
// image, selected, state and overlay indexes, a 32-bit data value and the
// number of children (32-bit each), a caption length byte and the caption,
// followed by its children. The nodes are written back in the format they
// were read in.
#include "Controls.h"

#pragma GCC visibility push(default)

class QTreeWidget;
class QTreeWidgetItem;

class TFormTreeView : public TControl {
    Q_OBJECT
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE SetHideSelection)
    Q_PROPERTY(TComponent* Images READ Images WRITE SetImages)
    Q_PROPERTY(int Indent READ Indent WRITE SetIndent)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool ShowButtons READ ShowButtons WRITE SetShowButtons)
    Q_PROPERTY(bool ShowLines READ ShowLines WRITE SetShowLines)
    Q_PROPERTY(bool ShowRoot READ ShowRoot WRITE SetShowRoot)
public:
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)
    // One node as stored.
    struct TNodeInfo {
        int ImageIndex = -1, SelectedIndex = -1, StateIndex = -1, OverlayIndex = -1;
        qint32 Data = 0;
        QString Text;
    };

    Q_INVOKABLE explicit TFormTreeView(QObject* owner = nullptr);

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool v) { FHideSelection = v; }
    TComponent* Images() const { return FImages; }
    void SetImages(TComponent* v);
    int Indent() const;
    void SetIndent(int v);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    bool ShowButtons() const { return FShowButtons; }
    void SetShowButtons(bool v);
    bool ShowLines() const { return FShowLines; }
    void SetShowLines(bool v) { FShowLines = v; }
    bool ShowRoot() const { return FShowRoot; }
    void SetShowRoot(bool v);

    QTreeWidget* Tree() const { return FTree; }
    // A new last child of parent (a root node for null).
    QTreeWidgetItem* AddChild(QTreeWidgetItem* parent, const TNodeInfo& info);
    static TNodeInfo NodeInfo(const QTreeWidgetItem* node);

    // The stored node data and back; malformed data raises and changes nothing.
    QByteArray NodesData(bool wide) const;
    void SetNodesData(const QByteArray& data, bool wide);

    void DefineProperties(TFiler& filer) override;
    void Notification(TComponentBase* component, TOperation operation) override;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void FontChanged() override;

private:
    QTreeWidget* FTree;
    TBorderStyle FBorderStyle = bsSingle;
    bool FHideSelection = true;
    TComponent* FImages = nullptr;
    bool FReadOnly = false;
    bool FShowButtons = true;
    bool FShowLines = true;
    bool FShowRoot = true;
    bool FWideNodes = false;
};

#pragma GCC visibility pop
