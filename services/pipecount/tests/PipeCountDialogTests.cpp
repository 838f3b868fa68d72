// The element dialog and the command that sets the count by hand, reached
// through the main window's menu and toolbar.
#include "Jointcount.h"
#include "MainWindowHost.h"
#include "ModalDialogs.h"
#include "PipeCountSupport.h"
#include "RegIniFile.h"
#include "WKConsts.h"
#include "dlg_SetupPipeCount.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

namespace {
// Hears the bus events of the secondary group.
class TListener : public QObject, public IWKNotification {
public:
    void Notify(TServiceEvent Event, void* Sender) override {
        if (Event == seSettingsChange) Settings << *static_cast<QString*>(Sender);
    }
    QStringList Settings;
};

class PipeCountDialog : public PipeCountFixture {
protected:
    void SetUp() override {
        PipeCountFixture::SetUp();
        PreviousUI = SetUIServices(UI);
        Window.menuBar()->addMenu("Файл");
        Window.menuBar()->addMenu("Вид");
        Window.menuBar()->addMenu("Настройка");
        Help = Window.menuBar()->addMenu("Помощь");
        Toolbar = Window.addToolBar("tbMain");
        Toolbar->setObjectName("tbMain");
        Toolbar->addAction("Файл");
        SetMainWindowHost(&Host);
        SecondaryServices = std::make_unique<TSecondaryServices>("Welvista", false);
        SecondaryServices->AddNotification(&Listener);
        // Casing, then two collar parts and three pipes.
        MakeRun();
        RunSql({"insert into REF_CASINGITEMS values (1, 'ОТТМ-168', 28, 150, 168)",
                "insert into CASING (WELLID, CASINGTYPEID, RUNNO, PROJECTED) values (1, 1, 1, 0)",
                "insert into CASINGITEMS (WELLID, CASINGTYPEID, ITEMNO, ITEMLENGTH, ITEMMODEL, PROJECTED) "
                "values (1, 1, 1, 10, 'ОТТМ-168', 0)",
                "insert into BOTTOMHOLEASSEMBLY values (1, 1, 1, 0, 1, 11, 1, 4.5, 'УБТ-178', '')",
                "insert into BOTTOMHOLEASSEMBLY values (1, 1, 2, 0, 1, 11, 2, 4.5, 'УБТ-178', '')",
                "insert into BOTTOMHOLEASSEMBLY values (1, 1, 3, 0, 0, 12, 0, 9.5, 'ТБПК-127', '')",
                "insert into BOTTOMHOLEASSEMBLY values (1, 1, 4, 0, 0, 13, 0, 9.5, 'ТБПК-127', '')",
                "insert into BOTTOMHOLEASSEMBLY values (1, 1, 5, 0, 0, 23, 0, 9.5, 'ТБПК-127', '')"});
    }
    void TearDown() override {
        Service.reset();
        SecondaryServices.reset();
        SetMainWindowHost(nullptr);
        SetUIServices(PreviousUI);
        PipeCountFixture::TearDown();
    }

    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> PreviousUI;
    QMainWindow Window;
    QMenu* Help = nullptr;
    QToolBar* Toolbar = nullptr;
    TMainWindowMenuHost Host{&Window};
    TListener Listener;
};

TEST_F(PipeCountDialog, CommandInTheFourthMenuAndOnTheToolbar) {
    TPipeCountService& s = Start();
    ASSERT_EQ(Help->actions().size(), 1);
    QAction* item = Help->actions()[0];
    EXPECT_EQ(item, s.MenuItem());
    EXPECT_EQ(item->text(), "Элементов колонны в скважине...");
    EXPECT_EQ(item->shortcut(), QKeySequence("Ctrl+I"));
    EXPECT_FALSE(item->icon().isNull());
    EXPECT_EQ(Toolbar->actions().last(), s.ToolButton());
    EXPECT_EQ(s.ToolButton()->toolTip(), item->text());
    ASSERT_EQ(Host.MenuImages()->Count(), 1);
    EXPECT_EQ(Host.MenuImages()->Image(0).size(), QSize(16, 16));
    Service.reset();
    EXPECT_TRUE(Help->actions().isEmpty());
    EXPECT_EQ(Toolbar->actions().size(), 1);
}

TEST_F(PipeCountDialog, SearchSelectsAndOkSetsTheCount) {
    TPipeCountService& s = Start();
    QStringList rows;
    bool casingShown = false;
    UI->ScriptDialogOnce("TdlgSetupPipeCount", [&](QObject* d) {
        auto* dlg = static_cast<TdlgSetupPipeCount*>(d);
        for (int i = 0; i < dlg->lvTubing->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < 6; ++c) cells << dlg->lvTubing->topLevelItem(i)->text(c);
            rows << cells.join('|');
        }
        casingShown = dlg->cbCasingDetached->isVisibleTo(dlg);
        // Letters are refused; "3" is found in the number 13, "2" first in 12.
        QTest::keyClicks(dlg->edSearch, "x3");
        EXPECT_EQ(dlg->edSearch->text(), "3") << "the validator keeps letters out";
        EXPECT_EQ(dlg->SelectedRow(), 5);
        dlg->edSearch->setText("2");
        EXPECT_EQ(dlg->SelectedRow(), 4);
        dlg->cbCasingDetached->setChecked(true);
        if (const QByteArray dir = qgetenv("WK_TEST_ARTIFACTS"); !dir.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(dir));
            dlg->grab().save(QString::fromLocal8Bit(dir) + "/PipeCountDialog.png");
        }
        dlg->btnOK->click();
        return DialogResult(*dlg);
    });
    s.MenuItem()->trigger();
    EXPECT_EQ(UI->ShownDialogs, QStringList{"TdlgSetupPipeCount: Элементы колонны"});
    EXPECT_EQ(rows, (QStringList{"||(Нет элементов)|||", "1||ОК: ОТТМ-168|10|10|0.28",
                                 "10|1|КНБК: УБТ-178|4.5|14.5|0.28", "11||КНБК: УБТ-178|4.5|19|0.28",
                                 "12||ТБПК-127|9.5|28.5|0.28", "13||ТБПК-127|9.5|38|0.28",
                                 "23||ТБПК-127|9.5|47.5|0.28"}));
    EXPECT_TRUE(casingShown);
    EXPECT_EQ(s.CurrentItem(), 4);
    EXPECT_TRUE(s.CasingDetached());
    EXPECT_EQ(WKRegIniFile().ReadInteger("TPipeCountService", "CurrentPipe"), 4);
    EXPECT_TRUE(WKRegIniFile().ReadBool("TPipeCountService", "CasingDetached"));
    EXPECT_EQ(Listener.Settings, QStringList{"TubingNumber"});

    // Cancelled: nothing changes. A double click on a row accepts it.
    s.ToolButton()->trigger();
    EXPECT_EQ(s.CurrentItem(), 4);
    UI->ScriptDialogOnce("TdlgSetupPipeCount", [&](QObject* d) {
        auto* dlg = static_cast<TdlgSetupPipeCount*>(d);
        EXPECT_EQ(dlg->SelectedRow(), 4) << "opens on the current element";
        emit dlg->lvTubing->itemDoubleClicked(dlg->lvTubing->topLevelItem(1), 0);
        return DialogResult(*dlg);
    });
    s.ToolButton()->trigger();
    EXPECT_EQ(s.CurrentItem(), 1);
    EXPECT_TRUE(s.CasingDetached()) << "the box opened ticked";

    // The exported choice offers no casing box and sets nothing itself.
    UI->ScriptDialogOnce("TdlgSetupPipeCount", [&](QObject* d) {
        auto* dlg = static_cast<TdlgSetupPipeCount*>(d);
        EXPECT_FALSE(dlg->cbCasingDetached->isVisibleTo(dlg));
        dlg->SelectRow(6);
        dlg->btnOK->click();
        return DialogResult(*dlg);
    });
    int index = 0;
    TTubingItem chosen;
    ASSERT_TRUE(SelectTubingItem(index, chosen));
    EXPECT_EQ(index, 6);
    EXPECT_EQ(chosen.ItemNo, 23);
    EXPECT_EQ(s.CurrentItem(), 1);
}

TEST_F(PipeCountDialog, HostWithoutMenusStillCounts) {
    QMainWindow bare;
    TMainWindowMenuHost bareHost(&bare);
    SetMainWindowHost(&bareHost);
    TPipeCountService& s = Start();
    EXPECT_EQ(s.MenuItem(), nullptr);
    EXPECT_EQ(s.ToolButton(), nullptr);
    Move(0, 9.5);
    EXPECT_EQ(s.CurrentItem(), 1);
    SetMainWindowHost(&Host);
}
}  // namespace
