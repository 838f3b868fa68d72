#pragma once
// Print items: everything on a layout page. Items form a tree through
// component ownership: an item owns its child items, which are placed
// relative to it in whole millimetres and are saved, copied and undone with
// it. Every item carries a GUID that identifies it across undo, redo, copy
// and paste; its text form (ComponentToString) is the component text.
#include "Components.h"
#include "RendDev.h"
#include "Sets.h"

#include <QList>
#include <QRect>
#include <QStringList>
#include <QUuid>
#include <functional>

#pragma GCC visibility push(default)

class QTreeWidgetItem;
class QWidget;
class TTreeView;
struct TClassInfo;

namespace Plotmere {

class TPrintDocument;
class TPrintView;
class TScreenDevice;

// The mouse actions an item can offer; as a set's bit mask saMove = 2 ...
// saDelete = 1024.
enum TPrintEditAction { saNone, saMove, saLeft, saTop, saRight, saBottom, saSetup, saAdd, saModify, saMark, saDelete };
using TPrintEditActions = TSet<TPrintEditAction>;

class TPrintItem : public TComponent {
    Q_OBJECT
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(TPrintItemState State READ StoredState WRITE SetStoredState)
    Q_PROPERTY(QString StrID READ GetStrID WRITE SetStrID)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
public:
    enum TPrintItemStateFlag {
        psDesigning = 1 << 0,
        psSelected = 1 << 1,
        psSelectable = 1 << 2,
        psAcceptItems = 1 << 3,     // children may be placed or pasted into it
        psCanSetup = 1 << 4,        // it has a setup dialog
        psInvisible = 1 << 5,
        psChanged = 1 << 6,         // needs repainting
        psVLink = 1 << 7,           // stacked below its previous sibling
        psAutosize = 1 << 8,        // sized to its children
        psNoChildEdit = 1 << 9,     // its children cannot be picked with the mouse
        psInplaceEditor = 1 << 10,  // it can be edited in place
        psEditing = 1 << 11,        // an in-place edit is open
        psGetChildAction = 1 << 12, // its children answer mouse actions
        psCanCopy = 1 << 13,
    };
    Q_DECLARE_FLAGS(TPrintItemState, TPrintItemStateFlag)
    Q_FLAG(TPrintItemState)

    Q_INVOKABLE explicit TPrintItem(QObject* owner = nullptr);
    // At a point in millimetres, made relative to the owner item.
    TPrintItem(QObject* owner, const TFloatPoint& position);
    ~TPrintItem() override;

    int Height() const { return FHeight; }
    void SetHeight(int value) { FHeight = value; }
    int Width() const { return FWidth; }
    void SetWidth(int value) { FWidth = value; }
    int Left() const { return FRelPos.x(); }
    int Top() const { return FRelPos.y(); }
    virtual void SetLeft(int value);
    virtual void SetTop(int value);
    TPrintItemState State() const { return FState; }
    bool HasState(TPrintItemStateFlag flag) const { return FState.testFlag(flag); }
    void SetStateFlag(TPrintItemStateFlag flag, bool on) { FState.setFlag(flag, on); }
    // The stored state: painting and editing flags are not part of an item's text.
    TPrintItemState StoredState() const;
    void SetStoredState(TPrintItemState value);
    QUuid ID() const { return FID; }
    void SetID(const QUuid& id) { FID = id; }
    QString GetStrID() const;
    // Raises EConvertError for text that is not a GUID.
    void SetStrID(const QString& text);
    // Absolute bounds in whole millimetres as of the last layout.
    QRect Bounds() const { return FBounds; }

    TPrintDocument* GetDocument() const;
    TPrintItem* GetParent() const;
    bool IsChildOf(const TPrintItem* item) const;
    void SetParent(TPrintItem* item);
    // The child items in order.
    QList<TPrintItem*> Items() const;
    int ItemCount() const { return int(Items().size()); }
    // Place among the parent's children.
    int ItemIndex() const;
    void SetItemIndex(int index);

    QPoint AbsoluteToRelativePos(const QPoint& point) const;
    QPoint GetAbsPos() const;
    int GetAbsLeft() const { return GetAbsPos().x(); }
    int GetAbsTop() const { return GetAbsPos().y(); }
    void SetAbsLeft(int value);
    void SetAbsTop(int value);
    int GetRight() const { return Left() + Width(); }
    int GetBottom() const { return Top() + Height(); }
    QRect GetBounds() const;
    QRect GetPrjRect(const TRenderDevice& device) const;
    void InvalidateItemRect(QWidget* handle, const TScreenDevice& device, const QRect& clipRect) const;
    TPrintItem* FindItem(const QUuid& id);
    // Every descendant, children before their parent, the item itself last.
    void Enum(const std::function<void(TPrintItem*)>& proc);
    QString GetAsText();
    bool GetVLink() const;
    void SetVLink(bool value) { SetStateFlag(psVLink, value); }
    bool GetAutosize() const;
    void SetAutosize(bool value) { SetStateFlag(psAutosize, value); }
    bool Selected() const { return HasState(psSelected); }

    virtual void NotifyItems(TPrintItem* item, const QString& text);
    virtual void OnDetachView(TPrintView* view);
    // How strongly this class wants to be created from a clipboard offering
    // formats (clipboard format numbers): the lowest answer wins; -1 for none.
    virtual int SupportsClipboardFormat(const QList<int>& formats) const;
    // Clears psChanged here and in all descendants.
    virtual void Validate();
    virtual bool AcceptItem(TPrintItem* item) const;
    virtual bool AcceptParent(TPrintItem* item) const;
    virtual void BeginInplaceEdit(TPrintView* view);
    virtual void BuildTree(TTreeView& tree, QTreeWidgetItem* node);
    // Frees all children, last first.
    virtual void Clear();
    // Fills a new item of the class from the clipboard's content.
    virtual void CreateFromClipboard() {}
    virtual bool DoUserAction(TPrintView* view, TPrintEditActions actions, int x, int y, Qt::KeyboardModifiers shift);
    virtual void DrawTreeLine(TTreeView& tree, const QRect& rect);
    virtual void EndInplaceEdit();
    virtual TPrintEditActions GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift);
    // Sets psChanged here and in all descendants.
    virtual void Invalidate();
    virtual bool IsPointInItem(const TFloatPoint& point) const;
    virtual void Prepare(TRenderDevice& device);
    virtual QString PrintClassName() const { return {}; }
    virtual void Paste(TPrintItem* rootItem, QStringList& pasted);
    virtual void Render(TRenderDevice& device);
    virtual void Select(bool state);
    virtual bool Setup(TRenderDevice* device);
    virtual void TryConvertTextToObjects(const QString& text, QList<TPrintItem*>& objects);

    // The topmost item hit at a point, depth first from the last child; the
    // item itself when no descendant is hit; null when not even that.
    TPrintItem* HitTest(const TFloatPoint& point);

    // Component hooks: items are written inside their parents.
    void GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) override;
    TComponentBase* GetParentComponent() const override;
    void SetParentComponent(TComponentBase* parent) override;

protected:
    // The selection frame drawn over a selected item.
    void RenderSelection(TRenderDevice& device);

    QRect FBounds;
    int FHeight = 0;
    QUuid FID;
    QPoint FRelPos;
    TPrintItemState FState;
    int FWidth = 0;

private:
    void LeaveSelection();
    void JoinSelection();
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TPrintItem::TPrintItemState)

using TPrintItemState = TPrintItem::TPrintItemState;

// An item that shows recorded data: it belongs to a data group and tells the
// document which parameters of which source it needs loaded.
class TPrintDBItem : public TPrintItem {
    Q_OBJECT
    Q_PROPERTY(QString Group READ Group WRITE SetGroup)
public:
    Q_INVOKABLE explicit TPrintDBItem(QObject* owner = nullptr) : TPrintItem(owner) {}
    TPrintDBItem(QObject* owner, const TFloatPoint& position) : TPrintItem(owner, position) {}
    QString Group() const { return FGroup; }
    void SetGroup(const QString& value) { FGroup = value; }
    // Appends to gids the parameter IDs this item needs of source for group.
    virtual void RegisterParams(const QString& source, const QString& group, QStringList& gids);
    // Forgets every pointer into the document's blocks, which are about to
    // be replaced; the next prepare or render binds again.
    virtual void DropDataReferences() {}

private:
    QString FGroup;
};
using TPrintItemClass = const QMetaObject*;

// The text form of a component tree (component text, CR LF line ends).
QString ComponentToString(TComponentBase* component);
// Reads text into root, or with root null into a new component of the class
// the text names. Every class must be registered (EClassNotFound otherwise,
// before anything is created); any error raises.
TComponentBase* StringToComponent(const QString& text, TComponentBase* root);
// A new item from its text form, owned by nobody yet.
std::unique_ptr<TPrintItem> ItemFromText(const QString& text);

// The registered item classes.
class TPrintItemManager {
public:
    // Every registered class that inherits from baseClass; baseClass itself
    // only with includeRoot.
    void GetClassGroup(const QMetaObject* baseClass, QList<const TClassInfo*>& itemClasses, bool includeRoot) const;
};
TPrintItemManager& PrintItemManager();

}  // namespace Plotmere

Q_DECLARE_METATYPE(Plotmere::TFloatPoint)

#pragma GCC visibility pop
