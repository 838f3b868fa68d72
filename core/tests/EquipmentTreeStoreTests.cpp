#include "TestSupport.h"
#include "WKCalibration.h"
#include "WKConsts.h"
#include "WKDataStructures.h"
#include "WKLocalDB.h"
#include "WKNet.h"
#include "dm_Service.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <thread>

// Equipment classes of the tests, created by name as packages' classes are.
class TTestServer : public TWKServer {
    Q_OBJECT
public:
    using TWKServer::TWKServer;
    static inline std::set<QString> FailPrepare, FailDown;
    static inline std::vector<QString> DownCalls;
    void PrepareLogging() override {
        if (FailPrepare.count(FName)) throw Exception("prepare failed: " + FName);
    }
    void Up() override { FUp = true; }
    void Down() override {
        DownCalls.push_back(FName);
        if (FailDown.count(FName)) throw Exception("down failed: " + FName);
        FUp = false;
    }
    bool IsUp() const override { return FUp; }
    bool FUp = false;
};

class TTestNode : public TWKNode {
    Q_OBJECT
public:
    using TWKNode::TWKNode;
};

class TTestSensor : public TWKSensor {
    Q_OBJECT
public:
    using TWKSensor::TWKSensor;
    double GetData() override { return 42; }
};

WK_REGISTER_CLASS(TTestServer)
WK_REGISTER_CLASS(TTestNode)
WK_REGISTER_CLASS(TTestSensor)

namespace {
class EquipmentTreeStore : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        InitWKConsts({"-DEBUG"}, Dir.filePath("Welvista2"));
        BuildLocalDatabase(Dir.filePath("WK.db"), {SourceDir() + "/config/local/10-schema.sql"});
        Service = std::make_unique<TdmService>(Dir.filePath("WK.db"));
        TdmService::SetCurrent(Service.get());
        TTestServer::FailPrepare.clear();
        TTestServer::FailDown.clear();
        TTestServer::DownCalls.clear();
    }
    void TearDown() override {
        Root.reset();
        TdmService::SetCurrent(nullptr);
    }
    const TDataConnection& Db() const { return Service->dbService(); }
    int Row(int parent, const char* cls, const QString& name, int id = 0) {
        return Db()
            .Exec("INSERT INTO NetTree (ParentItemID, ClassName, ID, Name, InitData) VALUES (?, ?, ?, ?, '')",
                  {parent, cls, id, name})
            .lastInsertId()
            .toInt();
    }
    int Rows() const { return Db().Scalar("SELECT COUNT(*) FROM NetTree").toInt(); }
    void Load() { Root = std::make_unique<TWKNetwork>(); }
    static std::unique_ptr<TNetworkItem> Item(const char* cls, const QString& name, int id = 0) {
        auto it = TNetworkItem::CreateItem(cls);
        it->SetFields(name, {}, {}, {}, id);
        return it;
    }

    TTempXdgHome Home;
    QTemporaryDir Dir;
    std::unique_ptr<TdmService> Service;
    std::unique_ptr<TWKNetwork> Root;
};

QStringList Names(TNetworkItem* root) {
    QStringList out;
    std::function<void(TNetworkItem*, int)> walk = [&](TNetworkItem* it, int depth) {
        for (int i = 0; i < it->Count(); ++i) {
            out << QString(depth, '-') + it->GetNetworkItem(i)->FName;
            walk(it->GetNetworkItem(i), depth + 1);
        }
    };
    walk(root, 0);
    return out;
}

TEST_F(EquipmentTreeStore, LoadsByClassNameAndSkipsUnknownSubtrees) {
    const int s1 = Row(0, "TTestServer", "S1");
    const int n1 = Row(s1, "TTestNode", "N1");
    Row(n1, "TTestSensor", "P1", 101);
    const int bad = Row(s1, "TNoSuchEquipment", "X");
    Row(bad, "TTestSensor", "Lost", 102);
    Row(0, "TTestServer", "S2");
    Load();
    EXPECT_EQ(Names(Root.get()), (QStringList{"S1", "-N1", "--P1", "S2"}));
    EXPECT_EQ(Network, Root.get());
    TWKSensor* p1 = Root->GetSensor(101);
    ASSERT_TRUE(p1);
    EXPECT_EQ(p1->GetNode()->FName, "N1");
    EXPECT_EQ(p1->GetServer()->FName, "S1");
    EXPECT_EQ(Root->GetSensor(102), nullptr);
    EXPECT_TRUE(Root->GetNetworkItem(0)->IsParentOf(p1));
    EXPECT_EQ(Root->EnumNetworkItems([](TNetworkItem* it) { return it->GetNetIndex() == 4; }), p1);
}

TEST_F(EquipmentTreeStore, NestedAttachIsAllOrNothing) {
    Load();
    auto server = Item("TTestServer", "S1");
    server->AddItem(Item("TTestNode", "N1"));
    server->GetNetworkItem(0)->AddItem(Item("TTestSensor", "P1", 7));
    Root->Attach(Root.get(), server);
    ASSERT_EQ(server, nullptr);
    EXPECT_EQ(Rows(), 3);
    TNetworkItem* s1 = Root->GetNetworkItem(0);
    TNetworkItem* n1 = s1->GetNetworkItem(0);
    EXPECT_EQ(Db().Scalar("SELECT ParentItemID FROM NetTree WHERE ItemID = ?", {n1->FItemID}).toInt(), s1->FItemID);

    // The second insert fails (a name longer than the column allows).
    auto node = Item("TTestNode", "N2");
    node->AddItem(Item("TTestSensor", QString(80, 'x'), 8));
    EXPECT_THROW(Root->Attach(s1, node), std::exception);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->FItemID, 0);
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(s1->Count(), 1);

    // Reloading gives the same tree as memory.
    const QStringList before = Names(Root.get());
    Root.reset();
    Load();
    EXPECT_EQ(Names(Root.get()), before);
}

TEST_F(EquipmentTreeStore, DetachDeletesChildrenFirstAndFreesAfterCommit) {
    const int s1 = Row(0, "TTestServer", "S1");
    const int n1 = Row(s1, "TTestNode", "N1");
    Row(n1, "TTestSensor", "P1", 5);
    Row(0, "TTestServer", "S2");
    Load();
    Db().Exec("CREATE TABLE Deleted (ItemID INTEGER)");
    Db().Exec("CREATE TRIGGER NetTreeDeleted AFTER DELETE ON NetTree BEGIN INSERT INTO Deleted VALUES (old.ItemID); END");
    QPointer<TNetworkItem> node = Root->GetNetworkItem(0)->GetNetworkItem(0);
    QPointer<TNetworkItem> sensor = Root->GetSensor(5);
    EXPECT_TRUE(Root->IsValidItem(sensor));
    Root->Detach(node);
    QStringList order;
    for (QSqlQuery q = Db().Exec("SELECT ItemID FROM Deleted ORDER BY rowid"); q.next();) order << q.value(0).toString();
    EXPECT_EQ(order, (QStringList{QString::number(n1 + 1), QString::number(n1)}));
    EXPECT_EQ(Names(Root.get()), (QStringList{"S1", "S2"}));
    EXPECT_TRUE(node.isNull());
    EXPECT_FALSE(Root->IsValidItem(sensor));
    // A new item at a possibly reused address does not revive the old reference.
    auto again = Item("TTestSensor", "P9", 9);
    Root->Attach(Root->GetNetworkItem(0), again);
    EXPECT_FALSE(Root->IsValidItem(sensor));
    EXPECT_TRUE(Root->IsValidItem(QPointer<TNetworkItem>(Root->GetSensor(9))));
}

TEST_F(EquipmentTreeStore, NestedBracketsReportOneChangeAndRing0BlocksValidity) {
    Row(0, "TTestServer", "S1");
    Load();
    int changes = 0;
    Root->OnChanged = [&] { ++changes; };
    Root->BeginUpdate();
    Root->BeginUpdate();
    Root->EndUpdate(true);
    EXPECT_TRUE(Root->GetUpdating());
    Root->EndUpdate(true);
    ProcessEventsUntil([&] { return changes > 0; });
    QCoreApplication::processEvents();
    EXPECT_EQ(changes, 1);

    QPointer<TNetworkItem> s1 = Root->GetNetworkItem(0);
    bool validWhileHeld = true;
    Ring0().Enter();
    std::thread([&] { validWhileHeld = Root->IsValidItem(s1); }).join();
    Ring0().Leave();
    EXPECT_FALSE(validWhileHeld);
    EXPECT_TRUE(Root->IsValidItem(s1));
}

TEST_F(EquipmentTreeStore, LoggingAndServersUpDown) {
    Row(0, "TTestServer", "S1");
    Row(0, "TTestServer", "S2");
    Row(0, "TTestServer", "S3");
    Load();
    auto server = [&](int i) { return static_cast<TTestServer*>(Root->GetNetworkItem(i)); };
    Root->SetLogging(true);
    EXPECT_TRUE(server(0)->Logging() && server(2)->Logging());
    Root->SetLogging(false);

    TTestServer::FailPrepare = {"S3"};
    EXPECT_THROW(Root->SetLogging(true), Exception);
    EXPECT_FALSE(Root->Logging());
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(server(i)->Logging()) << i;

    Root->UpServers();
    TTestServer::FailDown = {"S1"};
    Root->DownServers();
    EXPECT_EQ(TTestServer::DownCalls, (std::vector<QString>{"S1", "S2", "S3"}));
    EXPECT_FALSE(server(2)->IsUp());
    EXPECT_TRUE(server(0)->IsUp());

    server(1)->SetScanRate(250);
    EXPECT_EQ(server(1)->GetScanRate(), 250);
    EXPECT_EQ(Db().Scalar("SELECT InitData FROM NetTree WHERE Name = 'S2'").toString(), "ScanRate=250");
    EXPECT_EQ(server(0)->GetScanRate(), 0);
}

TEST_F(EquipmentTreeStore, SaveMoveAndLocation) {
    const int s1 = Row(0, "TTestServer", "S1");
    Row(s1, "TTestNode", "N1");
    Row(0, "TTestServer", "S2");
    Load();
    TNetworkItem* n1 = Root->GetNetworkItem(0)->GetNetworkItem(0);
    auto* node = static_cast<TWKNode*>(n1);
    node->SetLocation("Буровая");
    EXPECT_EQ(node->GetLocation(), "");
    node->FOptions.Include(niAllowSetLocation);
    node->SetLocation("Буровая");
    node->Save();
    EXPECT_EQ(Db().Scalar("SELECT LocationData FROM NetTree WHERE Name = 'N1'").toString(), "Буровая");
    Root->GetNetworkItem(1)->MoveItem(n1);
    EXPECT_EQ(Names(Root.get()), (QStringList{"S1", "S2", "-N1"}));

    auto loose = Item("TTestNode", "Loose");
    EXPECT_THROW(loose->Save(), ENetworkError);
    EXPECT_THROW(Root->GetNetworkItem(0)->MoveItem(loose.get()), ENetworkError);
}

TEST_F(EquipmentTreeStore, CalibrationsFollowTheTable) {
    const int s1 = Row(0, "TTestServer", "S1");
    Row(s1, "TTestSensor", "P1", 11);
    TGenericCalibrationData(11, 0, {0, 10}, {0, 100}).Save(true);
    Load();
    TWKSensor* p1 = Root->GetSensor(11);
    EXPECT_EQ(p1->CodeToValue(5), 50);

    Db().Exec("UPDATE CalibrationData SET IsActive = 0");
    TGenericCalibrationData(11, 0, {0, 10}, {0, 1}).Save(true);
    EXPECT_EQ(p1->CodeToValue(5), 50);
    Root->Notify(seCalibrationsChanged, nullptr);
    EXPECT_EQ(p1->CodeToValue(5), 0.5);
}

TEST_F(EquipmentTreeStore, CalibrateSavesTheNewRowAndKeepsTheOldOnFailure) {
    const int s1 = Row(0, "TTestServer", "S1");
    Row(s1, "TTestSensor", "P1", 12);
    TGenericCalibrationData(12, 0, {0, 10}, {0, 100}).Save(true);
    Load();
    TWKSensor* p1 = Root->GetSensor(12);
    std::optional<TCalibrationWizardResult> answer;
    bool offered = false;
    const auto old = SetCalibrationWizard([&](TWKSensor&, bool has) {
        offered = has;
        return answer;
    });

    answer = TCalibrationWizardResult{"05FF", false};  // a bad text
    EXPECT_THROW(p1->Calibrate(), ECalibrationError);
    EXPECT_TRUE(offered);
    EXPECT_EQ(p1->CodeToValue(5), 50);
    EXPECT_EQ(Db().Scalar("SELECT COUNT(*) FROM CalibrationData WHERE IsActive = 1").toInt(), 1);

    answer = TCalibrationWizardResult{TGenericCalibrationData(12, 0, {0, 10}, {0, 1}).GetHexData(), true};
    p1->Calibrate();
    EXPECT_EQ(p1->CodeToValue(5), 0.5);
    EXPECT_EQ(Db().Scalar("SELECT COUNT(*) FROM CalibrationData").toInt(), 2);
    EXPECT_EQ(Db().Scalar("SELECT COUNT(*) FROM CalibrationData WHERE IsActive = 1").toInt(), 1);

    answer = TCalibrationWizardResult{EncodeCalibrationData(-1, {}, {}), false};
    p1->Calibrate();
    EXPECT_EQ(p1->CalibrationObject(), nullptr);
    EXPECT_EQ(p1->CodeToValue(5), 5);
    EXPECT_EQ(Db().Scalar("SELECT COUNT(*) FROM CalibrationData").toInt(), 1);
    SetCalibrationWizard(old);
}
}  // namespace

#include "EquipmentTreeStoreTests.moc"
