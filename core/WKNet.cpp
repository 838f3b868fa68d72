#include "WKNet.h"

#include "ClassRegistry.h"
#include "MainThread.h"
#include "WKCalibration.h"
#include "WKConsts.h"
#include "WKDataStructures.h"
#include "WKHints.h"
#include "dm_Service.h"

#include <QSqlQuery>
#include <QVariant>

TWKNetwork* Network = nullptr;

namespace {
const TdmService& Service() {
    if (!dmService) throw ENetworkError(QStringLiteral("Локальная база данных не открыта"));
    return *dmService;
}

// A transaction on the local connection unless one of ours is already open:
// the outermost scope commits, any scope that ends by an exception rolls back.
class TLocalTransaction {
public:
    TLocalTransaction() : FOwn(Depth == 0) {
        if (FOwn) Service().dbService().Transaction();
        ++Depth;
    }
    ~TLocalTransaction() {
        --Depth;
        if (FOwn && !FDone) Service().dbService().Rollback();
    }
    void Commit() {
        if (FOwn) Service().dbService().Commit();
        FDone = true;
    }

private:
    static inline int Depth = 0;
    bool FOwn;
    bool FDone = false;
};

TCalibrationWizard& Wizard() {
    static TCalibrationWizard wizard;
    return wizard;
}

QList<QByteArray> InitLines(const QByteArray& data) {
    QByteArray text = data;
    text.replace("\r\n", "\n");
    return text.split('\n');
}
}  // namespace

TCalibrationWizard SetCalibrationWizard(TCalibrationWizard W) { return std::exchange(Wizard(), std::move(W)); }

TNetworkItem::TNetworkItem(QObject* owner) : QObject(owner) {}
TNetworkItem::~TNetworkItem() = default;

void TNetworkItem::Create(const QString& Name, const QByteArray& Address, const QByteArray& InitData,
                          const QString& Location, int ID, int ItemID) {
    SetFields(Name, Address, InitData, Location, ID);
    FItemID = ItemID;
}

void TNetworkItem::SetFields(const QString& Name, const QByteArray& Address, const QByteArray& InitData,
                             const QString& Location, int ID) {
    FName = Name;
    FAddress = Address;
    FInitData = InitData;
    FLocation = Location;
    FID = ID;
}

QString TNetworkItem::ClassName() const { return QString::fromLatin1(metaObject()->className()); }

const TClassInfo* TNetworkItem::GetMetaClass(const QString& ClassName) {
    try {
        return dmService ? dmService->GetMetaClass(ClassName) : FindClass(ClassName);
    } catch (const std::exception&) {
        Hints().AddHint(hcError, SNetItemCreateCaption, SNetItemCreateFailed + ClassName);
        return nullptr;
    }
}

std::unique_ptr<TNetworkItem> TNetworkItem::CreateItem(const QString& ClassName) {
    const TClassInfo* info = GetMetaClass(ClassName);
    if (!info || !info->Create) return nullptr;
    std::unique_ptr<QObject> obj(info->Create(nullptr));
    auto* item = qobject_cast<TNetworkItem*>(obj.get());
    if (!item) return nullptr;
    obj.release();
    return std::unique_ptr<TNetworkItem>(item);
}

TNetworkItem* TNetworkItem::ChildToward(const TNetworkItem* Item) const {
    for (const auto& child : FList)
        if (child.get() == Item || child->IsParentOf(Item)) return child.get();
    return nullptr;
}

bool TNetworkItem::IsParentOf(const TNetworkItem* Item) const {
    for (const TNetworkItem* p = Item ? Item->FParent : nullptr; p; p = p->FParent)
        if (p == this) return true;
    return false;
}

bool TNetworkItem::Setup(TNetworkItem* Item) {
    if (Item == this) return false;
    if (TNetworkItem* child = ChildToward(Item)) return child->Setup(Item);
    return false;
}

bool TNetworkItem::Find(TNetworkItem* Item) {
    if (Item == this) return false;
    if (TNetworkItem* child = ChildToward(Item)) return child->Find(Item);
    return false;
}

void TNetworkItem::Attach(TNetworkItem* Item, std::unique_ptr<TNetworkItem>& NewItem) {
    if (Item == this) return Attach(NewItem);
    if (TNetworkItem* child = ChildToward(Item)) child->Attach(Item, NewItem);
}

void TNetworkItem::WriteRows(int ParentItemID) {
    const TDataConnection& db = Service().dbService();
    const QVariantList values{ParentItemID, ClassName(), FID, FName, QString::fromLatin1(FInitData),
                              QString::fromLatin1(FAddress)};
    if (Locate()) {
        db.Exec(QStringLiteral("UPDATE NetTree SET ParentItemID = ?, ClassName = ?, ID = ?, Name = ?, InitData = ?, "
                               "Address = ? WHERE ItemID = ?"),
                values + QVariantList{FItemID});
    } else {
        const QSqlQuery q = db.Exec(
            QStringLiteral("INSERT INTO NetTree (ParentItemID, ClassName, ID, Name, InitData, Address, LocationData) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?)"),
            values + QVariantList{FLocation});
        FItemID = q.lastInsertId().toInt();
    }
    for (const auto& child : FList) child->WriteRows(FItemID);
}

void TNetworkItem::Attach(std::unique_ptr<TNetworkItem>& NewItem) {
    if (!NewItem) return;
    // Row IDs are handed out only once the rows are committed.
    std::vector<std::pair<TNetworkItem*, int>> oldIDs;
    std::function<void(TNetworkItem*)> remember = [&](TNetworkItem* it) {
        oldIDs.emplace_back(it, it->FItemID);
        for (const auto& c : it->FList) remember(c.get());
    };
    remember(NewItem.get());
    try {
        TLocalTransaction transaction;
        NewItem->WriteRows(FItemID);
        transaction.Commit();
    } catch (...) {
        for (auto& [it, id] : oldIDs) it->FItemID = id;
        throw;
    }
    if (NewItem->FParent != this) {
        if (Network) Network->BeginUpdate();
        AddItem(std::move(NewItem));
        if (Network) Network->EndUpdate(true);
    }
}

void TNetworkItem::DeleteRows() {
    for (const auto& child : FList) child->DeleteRows();
    Service().dbService().Exec(QStringLiteral("DELETE FROM NetTree WHERE ItemID = ?"), {FItemID});
}

void TNetworkItem::Detach(TNetworkItem* Item) {
    if (!Item || Item == this) return;
    if (Item->FParent != this) {
        if (TNetworkItem* child = ChildToward(Item)) child->Detach(Item);
        return;
    }
    std::unique_ptr<TNetworkItem> freed;
    TLocalTransaction transaction;
    Item->DeleteRows();
    transaction.Commit();
    if (Network) Network->BeginUpdate();
    freed = TakeItem(Item);
    if (Network) Network->EndUpdate(true);
    // The subtree is freed here, after the commit and outside the bracket.
}

std::unique_ptr<TNetworkItem> TNetworkItem::TakeItem(TNetworkItem* Item) {
    for (auto it = FList.begin(); it != FList.end(); ++it)
        if (it->get() == Item) {
            if (Network) Network->BeginUsing();
            std::unique_ptr<TNetworkItem> out = std::move(*it);
            FList.erase(it);
            if (Network) Network->EndUsing();
            out->FParent = nullptr;
            return out;
        }
    return nullptr;
}

void TNetworkItem::AddItem(std::unique_ptr<TNetworkItem> Item) {
    if (!Item) return;
    if (Network) Network->BeginUsing();
    Item->FParent = this;
    FList.push_back(std::move(Item));
    if (Network) Network->EndUsing();
}

void TNetworkItem::Notify(TServiceEvent Event, void* Sender) {
    for (const auto& child : FList) child->Notify(Event, Sender);
}

QString TNetworkItem::GetInitProperty(const QString& Name) const {
    const QByteArray key = Name.toLatin1() + '=';
    for (const QByteArray& line : InitLines(FInitData))
        if (line.startsWith(key)) return QString::fromLatin1(line.mid(key.size()));
    return {};
}

void TNetworkItem::SetInitProperty(const QString& Name, const QString& Value) {
    const QByteArray key = Name.toLatin1() + '=';
    QList<QByteArray> lines = InitLines(FInitData);
    lines.removeAll(QByteArray());
    bool found = false;
    for (QByteArray& line : lines)
        if (line.startsWith(key)) {
            line = key + Value.toLatin1();
            found = true;
        }
    if (!found) lines << key + Value.toLatin1();
    FInitData = lines.join("\r\n");
    Save();
}

TWKNode* TNetworkItem::GetNode() {
    for (TNetworkItem* p = this; p; p = p->FParent)
        if (auto* n = qobject_cast<TWKNode*>(p)) return n;
    return nullptr;
}

TWKServer* TNetworkItem::GetServer() {
    for (TNetworkItem* p = this; p; p = p->FParent)
        if (auto* s = qobject_cast<TWKServer*>(p)) return s;
    return nullptr;
}

TWKSensor* TNetworkItem::GetSensor(int GID) {
    for (const auto& child : FList)
        if (auto* s = qobject_cast<TWKSensor*>(child.get()); s && s->FID == GID) return s;
    for (const auto& child : FList)
        if (TWKSensor* s = child->GetSensor(GID)) return s;
    return nullptr;
}

std::optional<int> TNetworkItem::Locate() const {
    if (FItemID <= 0) return std::nullopt;
    const QVariant v = Service().dbService().Scalar(QStringLiteral("SELECT ItemID FROM NetTree WHERE ItemID = ?"),
                                                    {FItemID});
    if (!v.isValid() || v.isNull()) return std::nullopt;
    return v.toInt();
}

void TNetworkItem::MoveItem(TNetworkItem* Item) {
    if (!Item->Locate()) throw ENetworkError(SNetItemNotRegistered);
    Service().dbService().Exec(QStringLiteral("UPDATE NetTree SET ParentItemID = ? WHERE ItemID = ?"),
                               {FItemID, Item->FItemID});
    if (Item->FParent) AddItem(Item->FParent->TakeItem(Item));
}

void TNetworkItem::Save() {
    if (!Locate()) throw ENetworkError(SNetItemNotFound);
    Service().dbService().Exec(
        QStringLiteral("UPDATE NetTree SET ID = ?, Name = ?, InitData = ?, Address = ?, LocationData = ? "
                       "WHERE ItemID = ?"),
        {FID, FName, QString::fromLatin1(FInitData), QString::fromLatin1(FAddress), FLocation, FItemID});
}

void TWKServer::SetLogging(bool Value) {
    TCriticalSectionGuard ring0(Ring0());
    FLogging = Value;
}

int TWKServer::GetScanRate() const {
    bool ok = false;
    const int v = GetInitProperty(QStringLiteral("ScanRate")).trimmed().toInt(&ok);
    return ok ? v : 0;
}

void TWKServer::SetScanRate(int Value) { SetInitProperty(QStringLiteral("ScanRate"), QString::number(Value)); }

void TWKNode::SetLocation(const QString& Text) {
    if (GetOptions().Contains(niAllowSetLocation) && Text != FLocation) FLocation = Text;
}

void TWKNode::Notify(TServiceEvent Event, void* Sender) {
    if (Event == seSetLocation && Sender) {
        const QString before = FLocation;
        SetLocation(*static_cast<const QString*>(Sender));
        if (FLocation != before && Locate()) Save();
    }
    TNetworkItem::Notify(Event, Sender);
}

TWKSensor::~TWKSensor() = default;

void TWKSensor::SetFields(const QString& Name, const QByteArray& Address, const QByteArray& InitData,
                          const QString& Location, int ID) {
    TNetworkItem::SetFields(Name, Address, InitData, Location, ID);
    CreateCalibrationObject();
}

void TWKSensor::CreateCalibrationObject() {
    std::unique_ptr<TCalibrationObject> obj;
    if (dmService) try {
            if (TCalibrationObject::CalibrationExists(FID, {}, TGenericCalibrationData::StaticClassName()))
                obj = TCalibrationObject::Load<TGenericCalibrationData>(FID);
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TWKSensor.CreateCalibrationObject: ") + ExceptionMessage(e));
        }
    TCriticalSectionGuard ring0(Ring0());
    FClbrObject = std::move(obj);
}

double TWKSensor::CodeToValue(double Code) const {
    return FClbrObject ? FClbrObject->CodeToValue(Code) : Code;
}

void TWKSensor::Notify(TServiceEvent Event, void* Sender) {
    TNetworkItem::Notify(Event, Sender);
    if (Event == seCalibrationsChanged) CreateCalibrationObject();
}

void TWKSensor::Calibrate() {
    if (!Wizard()) return;
    const auto result = Wizard()(*this, FClbrObject != nullptr);
    if (!result) return;
    std::unique_ptr<TCalibrationObject> created;
    if (!result->HexData.isEmpty() && !result->HexData.startsWith(QLatin1String("FF")))
        created = std::make_unique<TGenericCalibrationData>(FID, result->HexData);
    {
        // The new row first, then the old one retired: a failure keeps the old calibration.
        TLocalTransaction transaction;
        if (created) created->Save(true);
        if (FClbrObject) {
            if (result->SaveOldCalibration)
                FClbrObject->SetActive(false);
            else
                FClbrObject->Delete();
        }
        transaction.Commit();
    }
    TCriticalSectionGuard ring0(Ring0());
    FClbrObject = std::move(created);
}

void TWKSensor::DeactivateCalibration() {
    if (FClbrObject) FClbrObject->SetActive(false);
}

void TWKSensor::DeleteCalibration(bool DeleteObject) {
    if (!FClbrObject) return;
    FClbrObject->Delete();
    if (DeleteObject) {
        TCriticalSectionGuard ring0(Ring0());
        FClbrObject.reset();
    }
}

TWKNetwork::TWKNetwork(QObject* owner) : TNetworkItem(owner) {
    TWKNetwork* previous = std::exchange(Network, this);
    try {
        LoadItems(this);
    } catch (...) {
        Network = previous;
        throw;
    }
    Notify(seNetworkLoaded, nullptr);
}

TWKNetwork::~TWKNetwork() {
    try {
        SetLogging(false);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TWKNetwork.Destroy: ") + ExceptionMessage(e));
    }
    DownServers();
    {
        TCriticalSectionGuard ring0(Ring0());
        TCriticalSectionGuard using_(FUsingSection);
        FList.clear();
    }
    if (Network == this) Network = nullptr;
}

void TWKNetwork::LoadItems(TNetworkItem* Parent) {
    QSqlQuery q = Service().OpenTable(QStringLiteral("NetTree"), QStringLiteral("ParentItemID = ?"), {Parent->FItemID});
    struct TRow {
        QString ClassName, Name, Location;
        QByteArray Address, InitData;
        int ID, ItemID;
    };
    std::vector<TRow> rows;
    while (q.next())
        rows.push_back({q.value("ClassName").toString(), q.value("Name").toString(), q.value("LocationData").toString(),
                        q.value("Address").toString().toLatin1(), q.value("InitData").toString().toLatin1(),
                        q.value("ID").toInt(), q.value("ItemID").toInt()});
    for (const TRow& row : rows) {
        // An unknown class skips its row and the whole subtree below it.
        std::unique_ptr<TNetworkItem> item = CreateItem(row.ClassName);
        if (!item) continue;
        item->Create(row.Name, row.Address, row.InitData, row.Location, row.ID, row.ItemID);
        TNetworkItem* added = item.get();
        Parent->AddItem(std::move(item));
        LoadItems(added);
    }
}

void TWKNetwork::Detach(TNetworkItem* Item) {
    if (Item == this) return;
    TNetworkItem::Detach(Item);
}

bool TWKNetwork::Setup(TNetworkItem* Item) { return TNetworkItem::Setup(Item); }

void TWKNetwork::Notify(TServiceEvent Event, void* Sender) { TNetworkItem::Notify(Event, Sender); }

void TWKNetwork::AttachTo(TNetworkItem* Item) {
    if (!Item) return;
    std::unique_ptr<TNetworkItem> child = Item->QueryAttachItem();
    if (!child) return;
    TNetworkItem::Attach(Item, child);  // a child still held here was not attached and is freed
}

void TWKNetwork::BeginUpdate() {
    Ring0().Enter();
    ++FUpdateCounter;
}

void TWKNetwork::EndUpdate(bool IsChanged) {
    const bool outermost = --FUpdateCounter == 0;
    Ring0().Leave();
    if (outermost && IsChanged) {
        QPointer<TWKNetwork> self(this);
        QueueToMainThread([self] {
            if (self) self->Changed();
        });
    }
}

void TWKNetwork::Changed() {
    if (FLogging) ::CreateStreams();
    Notify(seNetworkChange, nullptr);
    if (OnChanged) OnChanged();
}

void TWKNetwork::DataChanged() {
    if (OnDataChanged) OnDataChanged();
}

TNetworkItem* TWKNetwork::EnumNetworkItems(const std::function<bool(TNetworkItem*)>& Proc) {
    TCriticalSectionGuard using_(FUsingSection);
    std::function<TNetworkItem*(TNetworkItem*)> walk = [&](TNetworkItem* it) -> TNetworkItem* {
        for (const auto& child : it->FList) {
            if (Proc(child.get())) return child.get();
            if (TNetworkItem* found = walk(child.get())) return found;
        }
        return nullptr;
    };
    return walk(this);
}

bool TWKNetwork::IsValidItem(const QPointer<TNetworkItem>& Item) {
    if (Item.isNull()) return false;
    if (!Ring0().TryEnter()) return false;
    TNetworkItem* target = Item.data();
    const bool found = target == this || EnumNetworkItems([target](TNetworkItem* it) { return it == target; });
    Ring0().Leave();
    return found;
}

void TWKNetwork::SetServersLogging(bool Value) {
    for (const auto& child : FList)
        if (auto* s = qobject_cast<TWKServer*>(child.get())) s->SetLogging(Value);
}

void TWKNetwork::SetLogging(bool Value) {
    if (Value == FLogging) return;
    if (!Value) {
        SetServersLogging(false);
    } else {
        try {
            DebugLog(QStringLiteral("WK: TWKNetwork.SetLogging"));
            for (const auto& child : FList)
                if (auto* s = qobject_cast<TWKServer*>(child.get())) s->PrepareLogging();
            DebugLog(QStringLiteral("WK: SetServersLogging"));
            SetServersLogging(true);
        } catch (...) {
            for (const auto& child : FList)
                if (auto* s = qobject_cast<TWKServer*>(child.get())) try {
                        s->SetLogging(false);
                    } catch (const std::exception& e) {
                        DebugLog(QStringLiteral("TWKNetwork.SetLogging: ") + ExceptionMessage(e));
                    }
            throw;
        }
    }
    FLogging = Value;
}

void TWKNetwork::UpServers() {
    for (const auto& child : FList)
        if (auto* s = qobject_cast<TWKServer*>(child.get())) s->Up();
}

void TWKNetwork::DownServers() {
    for (const auto& child : FList)
        if (auto* s = qobject_cast<TWKServer*>(child.get())) try {
                s->Down();
            } catch (const std::exception& e) {
                DebugLog(QStringLiteral("Server down exception: ") + ExceptionMessage(e));
            }
}

TWKNetwork* CreateNetwork() {
    auto root = std::make_unique<TWKNetwork>();
    TWKNetwork* raw = root.get();
    ServicesNetwork = std::move(root);
    return raw;
}
