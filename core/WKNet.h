#pragma once
// The equipment tree: servers, nodes, devices and sensors, each an object of
// a class loaded by name from the local NetTree table, so that packages can
// add equipment classes. The root (global Network) keeps the tree in step
// with the table and passes bus events to every item.
//
// Lock order: Ring0 (taken by the update bracket and by calibration swaps)
// before the tree's enumeration lock FUsingSection, which is innermost: no
// code takes Ring0 while holding FUsingSection.
#include "CriticalSection.h"
#include "Exceptions.h"
#include "Sets.h"
#include "WKMessages.h"
#include "WKServices.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#pragma GCC visibility push(default)

class TCalibrationObject;

enum TNetworkItemOption : uint8_t {
    niAllowFind,
    niAllowCheck,
    niAllowSetup,
    niAllowAttach,
    niAllowDetach,
    niAllowCalibration,
    niHidden,
    niAllowSetLocation,
    niHub,
};
using TNetworkItemOptions = TSet<TNetworkItemOption>;

enum TNetworkItemStateMark : uint8_t { nsError, nsWarning, nsPowerFailure, nsFixed };
using TNetworkItemState = TSet<TNetworkItemStateMark>;

class ENetworkError : public Exception {
public:
    using Exception::Exception;
};

inline const QString SNetItemNotRegistered = QStringLiteral("Элемент дерева подключений не зарегистрирован");
inline const QString SNetItemNotFound = QStringLiteral("Элемент сети не найден в таблице подключений");
inline const QString SNetItemCreateCaption = QStringLiteral("Ошибка создания элемента дерева подключений");
inline const QString SNetItemCreateFailed = QStringLiteral("Не удалось создать класс ");

class TWKServer;
class TWKNode;
class TWKSensor;

class TNetworkItem : public QObject {
    Q_OBJECT
public:
    explicit TNetworkItem(QObject* owner = nullptr);
    ~TNetworkItem() override;

    // The loading constructor's work: the fields, then the row's ItemID.
    virtual void Create(const QString& Name, const QByteArray& Address, const QByteArray& InitData,
                        const QString& Location, int ID, int ItemID);
    virtual void SetID(int ID) { FID = ID; }
    virtual void Detach(TNetworkItem* Item);
    // The routing attach: NewItem goes under Item (or one of its descendants' own
    // single attach when Item is below this item).
    virtual void Attach(TNetworkItem* Item, std::unique_ptr<TNetworkItem>& NewItem);
    // The single attach: NewItem and its subtree get their rows in one
    // transaction, then NewItem becomes a child. NewItem is taken only on success.
    virtual void Attach(std::unique_ptr<TNetworkItem>& NewItem);
    virtual TNetworkItemOptions GetOptions() const { return FOptions; }
    virtual std::unique_ptr<TNetworkItem> QueryAttachItem() { return nullptr; }
    virtual void SetState(TNetworkItemState State) { FState = State; }
    virtual bool Setup(TNetworkItem* Item);
    // The field constructor's work.
    virtual void SetFields(const QString& Name, const QByteArray& Address, const QByteArray& InitData,
                           const QString& Location, int ID);
    // Moves Item (out of its current parent, not freed) to the end of the children.
    virtual void AddItem(std::unique_ptr<TNetworkItem> Item);
    virtual void Calibrate() {}
    virtual void Check() {}
    virtual bool Find(TNetworkItem* Item);
    virtual int GetNetIndex() const { return -1; }
    virtual void Notify(TServiceEvent Event, void* Sender);

    // The class's registered name, as NetTree stores it.
    QString ClassName() const;
    // The registered class of ClassName; null for unknown classes and, with an
    // error hint, when its package fails to load.
    static const struct TClassInfo* GetMetaClass(const QString& ClassName);
    // A new item of a registered equipment class (null when unknown or not an item).
    static std::unique_ptr<TNetworkItem> CreateItem(const QString& ClassName);

    QString GetInitProperty(const QString& Name) const;
    void SetInitProperty(const QString& Name, const QString& Value);
    int Count() const { return static_cast<int>(FList.size()); }
    TNetworkItem* GetNetworkItem(int i) const { return FList.at(i).get(); }
    TNetworkItem* Parent() const { return FParent; }
    TWKNode* GetNode();
    TWKServer* GetServer();
    TWKSensor* GetSensor(int GID);
    bool IsParentOf(const TNetworkItem* Item) const;
    // The rowid of the item's NetTree row, when it has one.
    std::optional<int> Locate() const;
    std::optional<int> LocateItem(const TNetworkItem* Item) const { return Item->Locate(); }
    void MoveItem(TNetworkItem* Item);
    void Save();
    // Takes Item out of the children without freeing it.
    std::unique_ptr<TNetworkItem> TakeItem(TNetworkItem* Item);

    TNetworkItemState FState;
    QByteArray FAddress;
    int FID = 0;
    int FItemID = 0;
    QByteArray FInitData;
    QString FName;
    TNetworkItemOptions FOptions;
    QString FLocation;

protected:
    std::vector<std::unique_ptr<TNetworkItem>> FList;
    TNetworkItem* FParent = nullptr;

private:
    friend class TWKNetwork;
    void WriteRows(int ParentItemID);
    void DeleteRows();
    TNetworkItem* ChildToward(const TNetworkItem* Item) const;
};

class TWKServer : public TNetworkItem {
    Q_OBJECT
public:
    using TNetworkItem::TNetworkItem;
    int GetNetIndex() const override { return 1; }
    // Under Ring0.
    virtual void SetLogging(bool Value);
    virtual void PrepareLogging() = 0;
    virtual void Down() {}
    virtual bool IsUp() const { return false; }
    virtual void Up() = 0;
    bool Logging() const { return FLogging; }
    int GetScanRate() const;
    void SetScanRate(int Value);

protected:
    bool FLogging = false;
};

class TWKNode : public TNetworkItem {
    Q_OBJECT
public:
    using TNetworkItem::TNetworkItem;
    int GetNetIndex() const override { return 2; }
    virtual QString GetLocation() const { return FLocation; }
    virtual void SetLocation(const QString& Text);
    // seSetLocation carries the new place as a QString*; a changed place is stored.
    void Notify(TServiceEvent Event, void* Sender) override;
};

class TWKDevice : public TNetworkItem {
    Q_OBJECT
public:
    using TNetworkItem::TNetworkItem;
    int GetNetIndex() const override { return 3; }
};

// What the calibration wizard hands back: the data text of the chosen
// calibration (type −1: none) and whether the old row is kept inactive.
struct TCalibrationWizardResult {
    QString HexData;
    bool SaveOldCalibration = false;
};
// Runs the wizard for a sensor; nothing when cancelled. HasCalibration
// enables the "keep the old calibration" option. The visual half installs it.
using TCalibrationWizard =
    std::function<std::optional<TCalibrationWizardResult>(class TWKSensor& Sensor, bool HasCalibration)>;
TCalibrationWizard SetCalibrationWizard(TCalibrationWizard Wizard);

class TWKSensor : public TNetworkItem {
    Q_OBJECT
public:
    using TNetworkItem::TNetworkItem;
    ~TWKSensor() override;
    int GetNetIndex() const override { return 4; }
    void SetFields(const QString& Name, const QByteArray& Address, const QByteArray& InitData, const QString& Location,
                   int ID) override;
    void Calibrate() override;
    void Notify(TServiceEvent Event, void* Sender) override;
    virtual void CreateCalibrationObject();
    virtual double CodeToValue(double Code) const;
    // The raw reading; raises when the sensor cannot be read.
    virtual double GetData() = 0;

    void DeactivateCalibration();
    void DeleteCalibration(bool DeleteObject);
    const TCalibrationObject* CalibrationObject() const { return FClbrObject.get(); }

protected:
    std::unique_ptr<TCalibrationObject> FClbrObject;
};

class TWKNetwork : public TNetworkItem, public IWKServicesNetwork {
    Q_OBJECT
public:
    // Loads the tree from NetTree, then sends seNetworkLoaded over it.
    explicit TWKNetwork(QObject* owner = nullptr);
    ~TWKNetwork() override;

    void Detach(TNetworkItem* Item) override;
    bool Setup(TNetworkItem* Item) override;
    void Notify(TServiceEvent Event, void* Sender) override;

    void AttachTo(TNetworkItem* Item);
    // Ring0 and a count; the outermost EndUpdate(true) queues one Changed to the main thread.
    void BeginUpdate();
    void EndUpdate(bool IsChanged);
    void BeginUsing() { FUsingSection.Enter(); }
    void EndUsing() { FUsingSection.Leave(); }
    bool TryUse() { return FUsingSection.TryEnter(); }
    void Changed();
    void DataChanged();
    // Depth-first, an item before its children; the first item Proc accepts.
    TNetworkItem* EnumNetworkItems(const std::function<bool(TNetworkItem*)>& Proc);
    // False when the item is gone (also when its address was reused) or when
    // Ring0 is held elsewhere.
    bool IsValidItem(const QPointer<TNetworkItem>& Item);
    void LoadItems(TNetworkItem* Parent);
    void SetLogging(bool Value);
    void SetServersLogging(bool Value);
    void UpServers();
    void DownServers();
    bool GetUpdating() const { return FUpdateCounter > 0; }
    bool Logging() const { return FLogging; }

private:
    bool FLogging = false;
    int FUpdateCounter = 0;
    TCriticalSection FUsingSection;
};

// The tree root, or null while no host created it.
extern TWKNetwork* Network;
// Creates the root from NetTree and hands it to the bus (ServicesNetwork).
TWKNetwork* CreateNetwork();

#pragma GCC visibility pop
