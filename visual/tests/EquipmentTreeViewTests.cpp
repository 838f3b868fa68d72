#include "VisualTestSupport.h"
#include "ComponentStreaming.h"
#include "WKCalibration.h"
#include "WKDataStructures.h"
#include "WKNet.h"
#include "dlg_CalibrationsSetup.h"
#include "dlg_SelectLocation.h"
#include "fr_NetTree.h"

#include <QLineEdit>
#include <QPushButton>
#include <QAction>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTreeWidget>
#include <future>
#include <thread>

// Equipment classes of the view tests, created by name from NetTree rows.
class TViewServer : public TWKServer {
    Q_OBJECT
public:
    using TWKServer::TWKServer;
    void PrepareLogging() override {}
    void Up() override {}
};
class TViewNode : public TWKNode {
    Q_OBJECT
public:
    using TWKNode::TWKNode;
};
class TViewDevice : public TWKDevice {
    Q_OBJECT
public:
    using TWKDevice::TWKDevice;
};
class TViewSensor : public TWKSensor {
    Q_OBJECT
public:
    using TWKSensor::TWKSensor;
    double GetData() override { return 1; }
    void Notify(TServiceEvent Event, void* Sender) override {
        if (Event == seCalibrationsChanged) ++Reloads;
        TWKSensor::Notify(Event, Sender);
    }
    int Reloads = 0;
};
WK_REGISTER_CLASS(TViewServer)
WK_REGISTER_CLASS(TViewNode)
WK_REGISTER_CLASS(TViewDevice)
WK_REGISTER_CLASS(TViewSensor)

namespace {

class TEventRecorder : public QObject, public IWKNotification {
public:
    void Notify(TServiceEvent Event, void*) override { Events << Event; }
    QList<TServiceEvent> Events;
};

class EquipmentTreeView : public VisualTest {
protected:
    void SetUp() override {
        VisualTest::SetUp();
        Sql("DELETE FROM NetTree");
    }
    void TearDown() override {
        Root.reset();
        VisualTest::TearDown();
    }
    int Row(int parent, const char* cls, const QString& name, const QString& location = {}, int id = 0) {
        return Service->dbService()
            .Exec("INSERT INTO NetTree (ParentItemID, ClassName, ID, Name, InitData, LocationData) "
                  "VALUES (?, ?, ?, ?, '', ?)",
                  {parent, cls, id, name, location})
            .lastInsertId()
            .toInt();
    }
    // S1 (N1 at "Буровая" (D1 (P1)), N2 without place (P2)), and a server
    // named like the place.
    void Standard() {
        const int s1 = Row(0, "TViewServer", "S1");
        const int n1 = Row(s1, "TViewNode", "N1", "Буровая");
        const int d1 = Row(n1, "TViewDevice", "D1");
        Row(d1, "TViewSensor", "P1", {}, 101);
        const int n2 = Row(s1, "TViewNode", "N2");
        Row(n2, "TViewSensor", "P2", {}, 102);
        Row(0, "TViewServer", "Буровая");
        Root = std::make_unique<TWKNetwork>();
    }
    TNetworkItem* ItemNamed(const QString& name) {
        return Root->EnumNetworkItems([&](TNetworkItem* it) { return it->FName == name; });
    }
    static QStringList Shape(const QTreeWidget& tree) {
        QStringList out;
        std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* n, int depth) {
            out << QString(depth, '-') + n->text(0);
            for (int i = 0; i < n->childCount(); ++i) walk(n->child(i), depth + 1);
        };
        for (int i = 0; i < tree.topLevelItemCount(); ++i) walk(tree.topLevelItem(i), 0);
        return out;
    }
    static QTreeWidgetItem* Node(const QTreeWidget& tree, const QString& text) {
        const auto found = tree.findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    std::unique_ptr<TWKNetwork> Root;
};

TEST_F(EquipmentTreeView, ShapesFollowModeAndOptions) {
    Standard();
    struct Case {
        TNetTree::TNetViewMode Mode;
        TNetTree::TNetViewOptions Options;
        QStringList Shape;
    };
    const Case cases[] = {
        {TNetTree::vmByConnection, {}, {"S1", "-N1", "--D1", "---P1", "-N2", "--P2", "Буровая"}},
        {TNetTree::vmByConnection, TNetTree::nvHideNodes, {"S1", "-D1", "--P1", "-P2", "Буровая"}},
        {TNetTree::vmByConnection, TNetTree::nvHideNodes | TNetTree::nvHideDevices, {"S1", "-P1", "-P2", "Буровая"}},
        // Servers go to the station; nodes to their place, the place looked
        // up among the group nodes only (not the server of that name).
        {TNetTree::vmByLocation,
         {},
         {"Станция", "-S1", "-Буровая", "Буровая", "-N1", "--D1", "---P1", "Неизвестное положение", "-N2", "--P2"}},
    };
    for (const Case& c : cases) {
        TNetTree view;
        view.SetOptions(c.Options);
        view.SetViewMode(c.Mode);
        EXPECT_EQ(Shape(*view.tvNetwork), c.Shape) << int(c.Mode) << " " << int(c.Options);
        EXPECT_TRUE(view.isEnabled());
    }
    TNetTree view;
    view.SetViewMode(TNetTree::vmByLocation);
    const auto groups = view.tvNetwork->findItems("Неизвестное положение", Qt::MatchExactly);
    ASSERT_EQ(groups.size(), 1);
    EXPECT_TRUE(view.actSetTreeMode->isChecked());
    EXPECT_EQ(TNetTree::NodeItem(groups.first()), nullptr);
    EXPECT_EQ(TNetTree::NodeItem(Node(*view.tvNetwork, "P1")), ItemNamed("P1"));
}

TEST_F(EquipmentTreeView, WithoutNetworkEmptyAndDisabled) {
    TNetTree view;
    EXPECT_FALSE(view.isEnabled());
    EXPECT_EQ(view.tvNetwork->topLevelItemCount(), 0);
    EXPECT_FALSE(view.actInformation->isEnabled());
    EXPECT_FALSE(view.actFilter->isEnabled());
}

TEST_F(EquipmentTreeView, OverlayPriority) {
    Standard();
    TNetTree view;
    TNetworkItem* p1 = ItemNamed("P1");
    struct Case {
        TNetworkItemState State;
        int Overlay;
    };
    const Case cases[] = {
        {TNetworkItemState{nsWarning, nsPowerFailure}, 1},
        {TNetworkItemState{nsWarning, nsError}, 2},
        {TNetworkItemState{nsFixed, nsError}, 3},
        {TNetworkItemState{nsError}, 0},
        {TNetworkItemState{}, -1},
    };
    for (const Case& c : cases) {
        p1->FState = c.State;
        view.Notify(seIdle, nullptr);
        EXPECT_EQ(TNetTree::NodeOverlay(Node(*view.tvNetwork, "P1")), c.Overlay);
    }
}

TEST_F(EquipmentTreeView, ActionsFollowOptionsAndRing0) {
    Standard();
    ItemNamed("N1")->FOptions = TNetworkItemOptions{niAllowCheck, niAllowSetLocation};
    TNetTree view;
    view.tvNetwork->setCurrentItem(Node(*view.tvNetwork, "N1"));
    view.UpdateActions();
    EXPECT_TRUE(view.actInformation->isEnabled());
    EXPECT_TRUE(view.actSetLocation->isEnabled());
    EXPECT_FALSE(view.actDetachNetItem->isEnabled());

    // While the poll thread holds Ring0 the item cannot be checked: off for that round.
    std::promise<void> held, release;
    std::thread poll([&] {
        Ring0().Enter();
        held.set_value();
        release.get_future().wait();
        Ring0().Leave();
    });
    held.get_future().wait();
    view.UpdateActions();
    EXPECT_FALSE(view.actInformation->isEnabled());
    release.set_value();
    poll.join();
    view.UpdateActions();
    EXPECT_TRUE(view.actInformation->isEnabled());
}

TEST_F(EquipmentTreeView, SetLocationStoresThePlaceAndRegroups) {
    Standard();
    Sql("INSERT INTO Locations (LocationName) VALUES ('Насосная')");
    ItemNamed("N2")->FOptions = TNetworkItemOptions{niAllowSetLocation};
    TNetTree view;
    view.SetViewMode(TNetTree::vmByLocation);
    view.tvNetwork->setCurrentItem(Node(*view.tvNetwork, "N2"));
    ScriptOnce<TdlgSelectLocation>(*UI, "TdlgSelectLocation", [](TdlgSelectLocation& d) {
        d.SetLocationName("Насосная");
        return int(mrOk);
    });
    view.UpdateActions();
    ASSERT_TRUE(view.actSetLocation->isEnabled());
    view.actSetLocation->trigger();
    view.Notify(seNetworkChange, nullptr);
    EXPECT_EQ(Service->dbService().Scalar("SELECT LocationData FROM NetTree WHERE Name = 'N2'").toString(),
              "Насосная");
    QTreeWidgetItem* n2 = Node(*view.tvNetwork, "N2");
    ASSERT_TRUE(n2);
    EXPECT_EQ(n2->parent()->text(0), "Насосная");
    EXPECT_EQ(view.tvNetwork->findItems("Неизвестное положение", Qt::MatchExactly).size(), 0);
}

TEST_F(EquipmentTreeView, FindWithoutWrapAround) {
    Standard();
    TNetTree view;
    view.beFind->setText("p");  // each change searches from the first node
    EXPECT_EQ(view.tvNetwork->currentItem()->text(0), "P1");
    EXPECT_TRUE(view.FindNextTreeItem());
    EXPECT_EQ(view.tvNetwork->currentItem()->text(0), "P2");
    EXPECT_FALSE(view.FindNextTreeItem());
    EXPECT_EQ(view.tvNetwork->currentItem()->text(0), "P2");
    view.beFind->setText("d1");
    EXPECT_EQ(view.tvNetwork->currentItem()->text(0), "D1");
    EXPECT_FALSE(view.FindNextTreeItem());  // only the selected node holds it
    EXPECT_EQ(view.tvNetwork->currentItem()->text(0), "D1");
}

TEST_F(EquipmentTreeView, ViewRoundTripsThroughFormText) {
    Standard();
    TNetTree view;
    view.setObjectName("NetTree1");
    view.SetOptions(TNetTree::nvHideDevices);
    view.SetViewMode(TNetTree::vmByLocation);
    const QString text = WriteComponentToText(&view);
    EXPECT_TRUE(text.contains("Options = [nvHideDevices]")) << qPrintable(text);
    EXPECT_TRUE(text.contains("ViewMode = vmByLocation")) << qPrintable(text);
    std::unique_ptr<TComponentBase> back(ReadComponentFromText(text, nullptr));
    auto* tree = dynamic_cast<TNetTree*>(back.get());
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->Options(), TNetTree::nvHideDevices);
    EXPECT_EQ(Shape(*tree->tvNetwork), Shape(*view.tvNetwork));
}

class CalibrationList : public EquipmentTreeView {
protected:
    void SetUp() override {
        EquipmentTreeView::SetUp();
        Sql("DELETE FROM CalibrationData");
        QSqlQuery q = Service->dbService().Exec("SELECT GID FROM Sensors ORDER BY GID LIMIT 2");
        while (q.next()) Gids << q.value(0).toInt();
        ASSERT_EQ(Gids.size(), 2);
        // Two calibrations of one sensor and serial (letter case differs), one of another.
        Calib(Gids[0], "ab1", 100.0, true);
        Calib(Gids[0], "AB1", 101.0, false);
        Calib(Gids[1], "", 102.0, true);
    }
    void Calib(int gid, const QString& serial, double date, bool active) {
        Service->dbService().Exec(
            "INSERT INTO CalibrationData (GID, Serial, CalibrationDate, CalibrationObject, CalibrationData, "
            "CalibrationText, IsActive) VALUES (?, ?, ?, 'TGenericCalibrationData', '', 'text', ?)",
            {gid, serial, date, active ? 1 : 0});
    }
    QString Active() const {
        QStringList out;
        QSqlQuery q =
            Service->dbService().Exec("SELECT CalibrationDate, IsActive FROM CalibrationData ORDER BY CalibrationDate");
        while (q.next()) out << QString::number(q.value(0).toDouble()) + "=" + q.value(1).toString();
        return out.join(' ');
    }
    static int RowOfDate(const TdlgCalibrations& d, double date) {
        for (int i = 0; i < int(d.Rows().size()); ++i)
            if (d.Rows()[i].Date == date) return i;
        return -1;
    }
    QList<int> Gids;
};

TEST_F(CalibrationList, SwitchingKeepsOneActivePerSensorAndSerial) {
    const QString before = Active();
    {
        TdlgCalibrations d;
        EXPECT_EQ(d.grCalibrations->horizontalHeaderItem(2)->text(), "Серийный №");
        d.grCalibrations->setCurrentCell(RowOfDate(d, 101), 0);
        EXPECT_EQ(d.btnActivate->text(), "Включить");
        d.ActivateClick();
        EXPECT_EQ(d.btnActivate->text(), "Выключить");
        UI->MessageResults.push_back(mrOk);
        d.grCalibrations->setCurrentCell(RowOfDate(d, 102), 0);
        d.DeleteClick();
        EXPECT_EQ(d.Rows().size(), 2u);
        d.reject();  // Cancel writes nothing
    }
    EXPECT_EQ(Active(), before);

    Row(Row(0, "TViewServer", "S"), "TViewSensor", "P", {}, Gids[0]);
    TWKNetwork* net = CreateNetwork();
    PrimaryServices = std::make_unique<TPrimarySerivces>("ViewTest", false);
    SecondaryServices = std::make_unique<TSecondaryServices>("ViewTest", false);
    TEventRecorder recorder;
    SecondaryServices->AddNotification(&recorder);
    {
        TdlgCalibrations d;
        d.grCalibrations->setCurrentCell(RowOfDate(d, 101), 0);
        d.ActivateClick();
        UI->MessageResults.push_back(mrOk);
        d.grCalibrations->setCurrentCell(RowOfDate(d, 102), 0);
        d.DeleteClick();
        d.accept();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    EXPECT_EQ(Active(), "100=0 101=1");
    EXPECT_TRUE(recorder.Events.contains(seCalibrationsChanged));
    auto* sensor = qobject_cast<TViewSensor*>(net->GetSensor(Gids[0]));
    ASSERT_TRUE(sensor);
    EXPECT_EQ(sensor->Reloads, 1);
    SecondaryServices->RemoveNotification(&recorder);
    SecondaryServices.reset();
    PrimaryServices.reset();
    ServicesNetwork.reset();
}

TEST_F(CalibrationList, DeletingAnEmptyListOnlySaysSo) {
    Sql("DELETE FROM CalibrationData");
    TdlgCalibrations d;
    EXPECT_FALSE(d.btnDelete->isEnabled());
    EXPECT_FALSE(d.btnActivate->isVisible());
    d.DeleteClick();
    ASSERT_FALSE(UI->Messages.isEmpty());
    EXPECT_EQ(UI->Messages.last(), "Таблица калибровок пуста");
}

}  // namespace

#include "EquipmentTreeViewTests.moc"
