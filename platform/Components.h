#pragma once
// The component model: named, owned, streamable objects.
//
// A component is a QObject (a control is a QWidget) with Q_OBJECT that also
// derives from TComponentBase, which carries what the old runtime's component
// class did: an Owner and a Name kept apart from the Qt parent, the owned
// components in creation order, the loading/designing/destroying states,
// Loaded() after reading, FindComponent and free notifications.
//
// How a class declares what is streamed (see ComponentStreaming.h):
//  - Published properties are Q_PROPERTYs, named as they are stored ("Left",
//    "Caption"). Properties declared by Qt's own classes are never streamed.
//    Enumerations and sets are Q_ENUM / Q_FLAG types whose keys are the stored
//    identifiers (alClient, [fsBold]); a set's members must be single bits.
//  - A property is written when its value differs from the one a freshly
//    constructed object of the class has (the class must be registered, see
//    ClassRegistry.h, or have a Q_INVOKABLE constructor taking the owner).
//    STORED false suppresses it; a Q_INVOKABLE bool Is<Name>Stored() const
//    decides case by case (Font: not while ParentFont); a class info entry
//    Q_CLASSINFO("AlwaysStored", "Name1,Name2") writes the named properties
//    even at their construction value.
//  - Sub-objects (font, pen, brush): a READ-only (or Assign-on-write) property
//    of a TPersistent pointer type; their properties are written dotted
//    ("Font.Color"). The object must exist for the whole life of its holder.
//  - Collections: a property of a TCollection pointer type; items are
//    TCollectionItem subclasses with a Q_INVOKABLE constructor taking
//    (TCollection*), which must also accept null (a free-standing item gives
//    the construction values). Items may hold collections of their own.
//  - String lists: a QStringList property (written as "Name.Strings = (...)").
//  - Binary: a QByteArray property (written in braces as hex).
//  - References to components: a property of a component pointer type
//    (TComponent*, a control class ...). Written as the target's name, or
//    "Root.Name" for a component of another registered root; resolved after
//    the whole tree is read; a name that finds nothing leaves nil.
//    A holder should call FreeNotification(target) and clear the reference in
//    Notification(target, opRemove).
//  - Events: a TMethod property named "On..."; the stored value is the name
//    of a handler, a slot or Q_INVOKABLE method of the root being read.
//  - Defined properties (data that is not a published property): override
//    DefineProperties(TFiler&), call the base class's first, then
//    DefineProperty/DefineBinaryProperty.
//  - Nesting: GetChildren lists the components written inside this one;
//    SetParentComponent receives the enclosing component when reading.
//
// Example:
//   class TGauge : public TControl {               // or TComponent
//       Q_OBJECT
//       Q_PROPERTY(double Max READ Max WRITE SetMax)            // "Max = 100.0"
//       Q_PROPERTY(TStyle Style READ Style WRITE SetStyle)      // "Style = gsDial"
//       Q_PROPERTY(TPen* Needle READ Needle WRITE SetNeedle)    // "Needle.Width = 2"
//       Q_PROPERTY(TCollection* Marks READ Marks)               // "Marks = <item ... end>"
//       Q_PROPERTY(QStringList Captions READ Captions WRITE SetCaptions)
//       Q_PROPERTY(TComponent* Images READ Images WRITE SetImages)  // "Images = ilMain"
//       Q_PROPERTY(TMethod OnAlarm READ OnAlarm WRITE SetOnAlarm)   // "OnAlarm = FormAlarm"
//   public:
//       enum TStyle { gsDial, gsBar };
//       Q_ENUM(TStyle)
//       Q_INVOKABLE explicit TGauge(QObject* owner = nullptr);
//       void DefineProperties(TFiler& filer) override {  // "Calibration = {0A0B...}"
//           TControl::DefineProperties(filer);
//           filer.DefineBinaryProperty("Calibration", [this](const QByteArray& b) { ... },
//                                      [this] { return ...; }, HasCalibration());
//       }
//   };
//   WK_REGISTER_CLASS(TGauge)   // in the .cpp: known to the reader by name
//   The handler of OnAlarm is invoked with FOnAlarm.Invoke(static_cast<QObject*>(this)).
#include "Exceptions.h"
#include "Sets.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#pragma GCC visibility push(default)

class TComponentBase;
class TFiler;

class EComponentError : public Exception {
public:
    using Exception::Exception;
};

enum class TComponentStateItem {
    csLoading,    // its properties are being read
    csReading,    // the reader is applying values to it
    csWriting,    // it is being written
    csDestroying, // its destructor has begun
    csDesigning,  // it is on a design surface
    csInline,     // a frame inside another root
    csUpdating,
};
using TComponentState = TSet<TComponentStateItem>;

enum class TOperation { opInsert, opRemove };

// What a design surface is told by the components of the root it designs
// (installed on that root with SetDesigner).
class IRootDesigner {
public:
    virtual ~IRootDesigner() = default;
    // Asked before a designed component takes a new name; raises to refuse it.
    virtual void ValidateRename(TComponentBase* component, const QString& curName, const QString& newName) = 0;
    // A component was inserted into or removed from the root.
    virtual void Notification(TComponentBase* component, TOperation operation) = 0;
};

// A method pointer as events stored in forms hold them: the object that
// handles the event and the name of its slot or Q_INVOKABLE method.
struct TMethod {
    QPointer<QObject> Data;
    QByteArray Name;

    explicit operator bool() const { return Data && !Name.isEmpty(); }
    bool operator==(const TMethod& o) const { return Data == o.Data && Name == o.Name; }

    // Calls the handler with the given arguments; false when unassigned or
    // when the handler's signature does not match.
    template <typename... A>
    bool Invoke(A... args) const {
        if (!*this) return false;
        return QMetaObject::invokeMethod(Data.data(), Name.constData(), Qt::DirectConnection,
                                         QGenericArgument(QMetaType::fromType<A>().name(), &args)...);
    }
    // The same for a handler with a result.
    template <typename R, typename... A>
    bool InvokeR(R& result, A... args) const {
        if (!*this) return false;
        return QMetaObject::invokeMethod(Data.data(), Name.constData(), Qt::DirectConnection,
                                         QGenericReturnArgument(QMetaType::fromType<R>().name(), &result),
                                         QGenericArgument(QMetaType::fromType<A>().name(), &args)...);
    }
};
Q_DECLARE_METATYPE(TMethod)

// The behaviour shared by non-visual components (TComponent) and controls
// (TControl in the widget library). Not a QObject itself: the concrete class
// derives from QObject or QWidget first and from this second.
class TComponentBase {
public:
    TComponentBase(const TComponentBase&) = delete;
    TComponentBase& operator=(const TComponentBase&) = delete;
    virtual ~TComponentBase();

    // The QObject this component is.
    QObject* Self() const { return FSelf; }
    QString ClassName() const { return QString::fromLatin1(Self()->metaObject()->className()); }

    TComponentBase* Owner() const { return FOwner; }
    // Moves the component to another owner (null: none); the name must be
    // unique there.
    void SetOwner(TComponentBase* owner);
    const QString& Name() const { return FName; }
    // Raises EComponentError for a name that is not an identifier or that
    // another component of the same owner already has.
    virtual void SetName(const QString& name);
    int Tag() const { return FTag; }
    void SetTag(int tag) { FTag = tag; }

    int ComponentCount() const { return int(FComponents.size()); }
    TComponentBase* Components(int index) const { return FComponents.at(index); }
    int ComponentIndex() const;
    // Moves the component to another place among its owner's components
    // (clamped to the valid range); nothing without an owner.
    void SetComponentIndex(int index);
    // An owned component by name (case-insensitive), or null.
    TComponentBase* FindComponent(const QString& name) const;
    template <typename T>
    T* FindComponentAs(const QString& name) const {
        TComponentBase* c = FindComponent(name);
        return c ? qobject_cast<T*>(c->Self()) : nullptr;
    }
    // Frees every owned component, last first.
    void DestroyComponents();

    TComponentState ComponentState() const { return FState; }
    bool IsLoading() const { return FState.Contains(TComponentStateItem::csLoading); }
    bool IsDesigning() const { return FState.Contains(TComponentStateItem::csDesigning); }
    bool IsDestroying() const { return FState.Contains(TComponentStateItem::csDestroying); }
    void SetState(TComponentStateItem item, bool on);
    // Enters or leaves design state with every owned component.
    void SetDesigning(bool on, bool withOwned = true);
    // Marks the component as going; a destructor may call it first.
    void Destroying();
    // Free-form design information (the designer keeps lock flags here).
    int DesignInfo = 0;
    // The design surface of a root (null: none); a component owned by such a
    // root and inserted while it designs designs too.
    void SetDesigner(IRootDesigner* designer) { FDesigner = designer; }
    IRootDesigner* Designer() const { return FDesigner; }
    // The designer of this component or of the nearest owner that has one.
    IRootDesigner* FindRootDesigner() const;

    // this->Notification(target, opRemove) is called when target is freed.
    void FreeNotification(TComponentBase* target);
    void RemoveFreeNotification(TComponentBase* target);

    // Called on a root just before a stored state is read into it; a root
    // that builds its own content may clear it here.
    virtual void ReadingState() {}
    // Called once after the whole tree is read and references are resolved.
    virtual void Loaded();
    // Told about owned components inserted or removed and about free
    // notifications.
    virtual void Notification(TComponentBase* component, TOperation operation);

    // Streaming hooks.
    // Lists the components written inside this one, root being the
    // component being written. Default: for the root itself, the owned
    // components that have no parent component; none otherwise.
    virtual void GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root);
    // The component this one is written inside, or null.
    virtual TComponentBase* GetParentComponent() const { return nullptr; }
    bool HasParent() const { return GetParentComponent() != nullptr; }
    // Called when reading puts this component inside parent.
    virtual void SetParentComponent(TComponentBase* parent) { Q_UNUSED(parent); }
    // Declares defined (non-published) properties.
    virtual void DefineProperties(TFiler& filer) { Q_UNUSED(filer); }

    // Roots that references of other roots can name ("Form2.pmMain").
    static void RegisterRoot(TComponentBase* root);
    static void UnregisterRoot(TComponentBase* root);
    // A component named "Root" or "Root.Name" among the registered roots.
    static TComponentBase* FindGlobalComponent(const QString& path);

protected:
    // Called after the design state changed (controls show hidden children
    // while designing).
    virtual void DesignStateChanged() {}
    // self: the QObject part of the concrete class (already constructed);
    // owner may be null or any QObject that is a component.
    TComponentBase(QObject* self, QObject* owner);
    // The concrete class's destructor calls this first: free notifications,
    // owned components freed, the owner left. Later calls do nothing.
    void DestroyComponent();

private:
    void RemoveFromOwner();
    void Insert(TComponentBase* c);
    void Remove(TComponentBase* c);

    QObject* FSelf;
    TComponentBase* FOwner = nullptr;
    IRootDesigner* FDesigner = nullptr;
    bool FDestroyed = false;
    QString FName;
    int FTag = 0;
    TComponentState FState;
    QList<TComponentBase*> FComponents;
    QList<TComponentBase*> FFreeNotifies;
};

// The component of a QObject (null when it is none).
TComponentBase* AsComponent(QObject* object);
const TComponentBase* AsComponent(const QObject* object);
// True when name is a valid component name (an identifier).
bool IsValidIdent(const QString& name);
// The messages of a refused name.
QString InvalidNameMessage(const QString& name);
QString DuplicateNameMessage(const QString& name);

// A non-visual component.
class TComponent : public QObject, public TComponentBase {
    Q_OBJECT
    Q_CLASSINFO("Component", "1")
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
public:
    Q_INVOKABLE explicit TComponent(QObject* owner = nullptr);
    ~TComponent() override;
    // Where the designer shows a non-visual component: stored as "Left" and
    // "Top" (the two halves of DesignInfo) unless the class publishes its own.
    void DefineProperties(TFiler& filer) override;
};

// A persistent object that is not a component: fonts, pens, collections.
class TPersistent : public QObject {
    Q_OBJECT
public:
    explicit TPersistent(QObject* parent = nullptr) : QObject(parent) {}
    // Copies source's state; the base raises for classes it does not know.
    virtual void Assign(const TPersistent* source);
    // Declares defined (non-published) properties, as components do.
    virtual void DefineProperties(TFiler& filer) { Q_UNUSED(filer); }
signals:
    void Changed();
};

class TCollection;

// One item of a collection. Subclasses declare a
// Q_INVOKABLE constructor (TCollection* collection).
class TCollectionItem : public TPersistent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TCollectionItem(TCollection* collection = nullptr);
    ~TCollectionItem() override;
    TCollection* Collection() const { return FCollection; }
    void SetCollection(TCollection* collection);
    int Index() const;
    void SetIndex(int index);
    // A number unique in its collection, kept when items move.
    int ID() const { return FID; }
    virtual QString DisplayName() const { return {}; }
    void Assign(const TPersistent* source) override;

protected:
    // Tells the collection this item changed (all: every item is affected).
    void ItemChanged(bool all = false);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// An ordered list of items of one class; owns them. The owner (the object
// whose property it is) is also its Qt parent.
class TCollection : public TPersistent {
    Q_OBJECT
public:
    TCollection(const QMetaObject* itemClass, QObject* owner = nullptr);
    ~TCollection() override;

    const QMetaObject* ItemClass() const { return FItemClass; }
    // The object that holds the collection.
    QObject* Owner() const { return FOwner; }
    int Count() const { return int(FItems.size()); }
    TCollectionItem* Items(int index) const { return FItems.at(index); }
    template <typename T>
    T* ItemAs(int index) const { return qobject_cast<T*>(FItems.at(index)); }
    // A new item of the item class appended to the collection.
    virtual TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    TCollectionItem* FindItemID(int id) const;
    // A free-standing item of the item class (not in any collection).
    std::unique_ptr<TCollectionItem> NewItem() const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    // Copies every item (the item class's Assign) from another collection.
    void Assign(const TPersistent* source) override;

protected:
    // Called after items were added, removed, moved or changed (item null
    // when more than one is affected); not while updating.
    virtual void Update(TCollectionItem* item) { Q_UNUSED(item); }
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item, int index);
    void RemoveItem(TCollectionItem* item);
    void MoveItem(int from, int to);
    void ItemChanged(TCollectionItem* item);

    const QMetaObject* FItemClass;
    QObject* FOwner;
    QList<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
    bool FPendingChange = false;
};

#pragma GCC visibility pop
