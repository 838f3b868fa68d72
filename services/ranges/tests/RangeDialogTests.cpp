// The limit dialog and the parameter list offscreen, the commands of the
// third top-level menu with the switch submenu, and the context actions that
// parameter popups offer.
#include "RangeSupport.h"

#include "MainWindowHost.h"
#include "ModalDialogs.h"
#include "WKContextHandling.h"
#include "WKControlDesign.h"
#include "dlg_SelectRangeParam.h"
#include "dlg_SetRange.h"

#include <QAction>
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cmath>

namespace {
// A control that points at one parameter, as charts and grids do.
class TParamWidget : public QWidget, public IWKParameterContext {
    Q_OBJECT
    Q_INTERFACES(IWKParameterContext)
public:
    bool GetSensorDescriptor(TSensDescr& Descr) override {
        if (GID < 0) return false;
        Descr.GID = GID;
        Descr.FullName = QStringLiteral("Параметр %1").arg(GID);
        return true;
    }
    int GID = -1;
};

class RangeDialogs : public RangeFixture {
protected:
    void SetUp() override {
        RangeFixture::SetUp();
        Window.menuBar()->addMenu("Файл");
        Window.menuBar()->addMenu("Вид");
        Setup = Window.menuBar()->addMenu("Настройка");
        Setup->setEnabled(false);
        Existing = Setup->addAction("Прочее");
        Window.menuBar()->addMenu("Помощь");
        SetMainWindowHost(&Host);
    }
    void TearDown() override {
        SetMainWindowHost(nullptr);
        RangeFixture::TearDown();
    }
    QStringList Entries() const {
        QStringList texts;
        for (QAction* a : Service->ParamsMenu()->actions())
            texts << a->text() + (a->isChecked() ? " [x]" : " [ ]");
        return texts;
    }
    int Stored(const QString& column, int gid) const {
        return Module->dbService()
            .Scalar(QStringLiteral("SELECT %1 FROM Ranges WHERE ProfileID = -1 AND GID = ?").arg(column), {gid})
            .toInt();
    }

    QMainWindow Window;
    QMenu* Setup = nullptr;
    QAction* Existing = nullptr;
    TMainWindowMenuHost Host{&Window};
};

TEST_F(RangeDialogs, LimitDialogTicksChecksAndRefusesBadLimits) {
    TdlgSetRange dlg;
    TSensDescr d;
    d.GID = 101;
    d.FullName = "Глубина забоя";
    dlg.Fill(d, nullptr, true);
    EXPECT_EQ(dlg.lblPName->text(), "Глубина забоя");
    EXPECT_TRUE(dlg.lblPName->font().bold());
    EXPECT_EQ(dlg.Lower.cbSound->currentText(), "[Нет звука]");
    EXPECT_EQ(dlg.Lower.edDelay->value(), 60);
    EXPECT_EQ(dlg.Lower.edDelay->minimum(), 1);
    EXPECT_EQ(dlg.Lower.edDelay->maximum(), 3600);

    // Typing: the box is ticked exactly while the text is a number.
    const struct {
        const char* Typed;
        bool Ticked;
    } typing[] = {{"-", false}, {"1", true}, {"5", true}, {"e", false}, {"3", true}, {"x", false}};
    for (const auto& t : typing) {
        SCOPED_TRACE(t.Typed);
        QTest::keyClicks(dlg.Lower.edLimit, t.Typed);
        EXPECT_EQ(dlg.Lower.cbCheck->isChecked(), t.Ticked) << dlg.Lower.edLimit->text().toStdString();
    }

    // OK with a side in use whose limit is not a number: the message, and the dialog stays.
    const struct {
        const char* Lower;
        bool LowerMenu;
        const char* Upper;
        QStringList Messages;
        bool Accepted;
    } closing[] = {
        {"1x", false, "", {"Корректно введите значение нижнего предела"}, false},
        {"", true, "", {"Корректно введите значение нижнего предела"}, false},
        {"5", false, "abc", {"Корректно введите значение верхнего предела"}, false},
        {"", false, "", {}, true},
        {"-2.5", false, "1e3", {}, true},
    };
    for (const auto& c : closing) {
        SCOPED_TRACE(c.Lower);
        TdlgSetRange one;
        one.Fill(d, nullptr, true);
        one.Lower.edLimit->setText(c.Lower);
        one.Lower.cbInMenu->setChecked(c.LowerMenu);
        one.Upper.edLimit->setText(c.Upper);
        UI->Messages.clear();
        one.btnOK->click();
        EXPECT_EQ(UI->Messages, c.Messages);
        EXPECT_EQ(one.result() == QDialog::Accepted, c.Accepted);
    }
}

TEST_F(RangeDialogs, LimitDialogShowsAndWritesTheItem) {
    // A program folder of our own: two sounds, and files the player would not find by name + ".wav".
    QTemporaryDir programs;
    InitWKConsts({}, programs.path() + "/Welvista2");
    QDir().mkpath(WKSoundsPath());
    for (const char* name : {"Сирена.wav", "Гудок.wav", "Старый.WAV", "notes.txt"})
        QFile(WKSoundsPath() + name).open(QIODevice::WriteOnly);
    TRangeCheckItem item;
    item.GID = 101;
    item.SetCheckMin(true);
    item.Min = 12.3456;
    item.MinSound = "Сирена";
    item.MinDelay = 0;
    item.MaxDelay = 300;
    item.MaxSound = "Пропавший";
    item.LogMin = true;
    item.BroadcastMax = true;
    TSensDescr d;
    d.GID = 101;
    d.FullName = "Глубина забоя";
    TdlgSetRange dlg;
    dlg.Fill(d, &item, false);
    QStringList sounds;
    for (int i = 0; i < dlg.Lower.cbSound->count(); ++i) sounds << dlg.Lower.cbSound->itemText(i);
    EXPECT_EQ(sounds, QStringList({"[Нет звука]", "Гудок", "Сирена"}));
    EXPECT_EQ(dlg.Lower.edLimit->text(), "12.346");
    EXPECT_EQ(dlg.Upper.edLimit->text(), "");
    EXPECT_EQ(dlg.Lower.cbSound->currentText(), "Сирена");
    EXPECT_EQ(dlg.Upper.cbSound->currentText(), "[Нет звука]");
    EXPECT_EQ(dlg.Lower.edDelay->value(), 60);
    EXPECT_EQ(dlg.Upper.edDelay->value(), 300);
    EXPECT_TRUE(dlg.Lower.cbLog->isHidden());
    EXPECT_TRUE(dlg.Upper.cbBroadcast->isHidden());

    // Choosing a sound plays it.
    const int horn = dlg.Upper.cbSound->findText("Гудок");
    ASSERT_GT(horn, 0);
    dlg.Upper.cbSound->setCurrentIndex(horn);
    emit dlg.Upper.cbSound->activated(horn);
    EXPECT_EQ(Played(), QStringList{Sound("Гудок")});

    dlg.Upper.cbCheck->setChecked(true);
    dlg.Upper.edLimit->setText("20");
    dlg.Lower.cbSound->setCurrentIndex(0);
    dlg.Apply(item);
    EXPECT_TRUE(item.CheckMin() && item.CheckMax());
    EXPECT_EQ(item.Min, 12.346);
    EXPECT_EQ(item.Max, 20);
    EXPECT_EQ(item.MinSound, "");
    EXPECT_EQ(item.MaxSound, "Гудок");
    EXPECT_EQ(item.MinDelay, 60);
    // Hidden boxes keep what another program stored.
    EXPECT_TRUE(item.LogMin);
    EXPECT_TRUE(item.BroadcastMax);

    // Visible boxes write their ticks.
    TdlgSetRange shown;
    shown.Fill(d, &item, true);
    // Every caption shows whole.
    shown.show();
    shown.adjustSize();
    for (QAbstractButton* b : shown.findChildren<QAbstractButton*>())
        EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
    for (QLabel* l : shown.findChildren<QLabel*>())
        EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
    SaveArtifact(shown, "RangeLimitDialog");
    shown.hide();
    shown.Lower.cbLog->setChecked(false);
    shown.Lower.edLimit->clear();
    shown.Apply(item);
    EXPECT_FALSE(item.LogMin);
    EXPECT_TRUE(item.BroadcastMax);
    EXPECT_TRUE(std::isnan(item.Min));
}

TEST_F(RangeDialogs, ParameterListFiltersAndShowsLimits) {
    TSensDescrArray sensors(4);
    const char* names[] = {"Вес на крюке", "Давление на входе", "Глубина забоя", "Скрытый датчик"};
    for (int i = 0; i < 4; ++i) {
        sensors[i].GID = 10 + i;
        sensors[i].FullName = names[i];
    }
    sensors[3].Flags = {sfHidden};
    TRangeCheckList params;
    auto add = [&](int gid, bool lo, double min, bool hi, double max) {
        params.push_back(std::make_unique<TRangeCheckItem>());
        TRangeCheckItem& p = *params.back();
        p.GID = gid;
        p.SetCheckMin(lo);
        p.Min = min;
        p.SetCheckMax(hi);
        p.Max = max;
    };
    add(10, true, 2.5, true, 180.257);
    add(11, false, 1, false, 2);  // an item with both checks off
    add(13, false, 0, true, 7);
    QStringList set, reset;
    TPictureList images;
    QPixmap mark(16, 16);
    mark.fill(Qt::red);
    images.Add(mark);
    TdlgSelectRangeParam dlg(
        sensors, params, images, [&](const TSensDescr& d) { set << d.FullName; },
        [&](const TSensDescr& d) { reset << d.FullName; });
    auto rows = [&] {
        QStringList r;
        for (int i = 0; i < dlg.lvParams->topLevelItemCount(); ++i) {
            QTreeWidgetItem* row = dlg.lvParams->topLevelItem(i);
            const bool marked = row->icon(0).pixmap(16, 16).toImage().pixelColor(8, 8) == QColor(Qt::red);
            r << row->text(0) + "|" + row->text(1) + (marked ? "|*" : "");
        }
        return r;
    };
    const struct {
        const char* Filter;
        bool Hidden, Only;
        QStringList Rows;
    } cases[] = {
        {"", false, false, {"Вес на крюке|<2.5, >180.26|*", "Глубина забоя|", "Давление на входе|"}},
        {"", true, false,
         {"Вес на крюке|<2.5, >180.26|*", "Глубина забоя|", "Давление на входе|", "Скрытый датчик|>7|*"}},
        {"  вход ", false, false, {"Давление на входе|"}},
        {"КРЮК", false, false, {"Вес на крюке|<2.5, >180.26|*"}},
        {"ГЛУБ", false, false, {"Глубина забоя|"}},
        {"", false, true, {"Вес на крюке|<2.5, >180.26|*"}},
        {"", true, true, {"Вес на крюке|<2.5, >180.26|*", "Скрытый датчик|>7|*"}},
        {"давл", true, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Filter);
        if (dlg.cbShowHidden->isChecked() != c.Hidden) dlg.cbShowHidden->click();
        if (dlg.cbOnlyControlled->isChecked() != c.Only) dlg.cbOnlyControlled->click();
        dlg.edFilter->setText(c.Filter);
        EXPECT_EQ(rows(), c.Rows);
        // The top row is selected; "Отмена контроля" only for a checked one.
        EXPECT_EQ(dlg.btnControl->isEnabled(), !c.Rows.isEmpty());
        EXPECT_EQ(dlg.btnNoControl->isEnabled(), !c.Rows.isEmpty() && c.Rows[0].endsWith("|*"));
    }
    dlg.edFilter->setText("");
    dlg.cbShowHidden->click();
    dlg.cbOnlyControlled->click();
    dlg.btnControl->click();
    dlg.btnNoControl->click();
    dlg.lvParams->setCurrentItem(dlg.lvParams->topLevelItem(1));
    EXPECT_FALSE(dlg.btnNoControl->isEnabled());
    emit dlg.lvParams->itemDoubleClicked(dlg.lvParams->topLevelItem(1), 0);
    EXPECT_EQ(set, QStringList({"Вес на крюке", "Глубина забоя"}));
    EXPECT_EQ(reset, QStringList{"Вес на крюке"});
}

TEST_F(RangeDialogs, CommandsInTheThirdMenuAndTheSwitchSubmenu) {
    AddRow(101, "1, 0, 9.5, 20, '', '', 0, 0, 0, 0, 0, 0, 1, 1, 0, 0");
    AddRow(1200, "0, 1, NULL, 250.556, '', '', 0, 0, 0, 0, 0, 0, 0, 1, 0, 0");
    AddRow(102, "1, 1, 1, 2, '', '', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0");
    TRangeAlarmService& s = Start({101, 1200});
    const QList<QAction*> actions = Setup->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "Контроль параметров...");
    EXPECT_EQ(actions[0]->shortcut(), QKeySequence(Qt::ALT | Qt::Key_R));
    EXPECT_FALSE(actions[0]->icon().isNull());
    EXPECT_EQ(actions[1]->menu(), s.ParamsMenu());
    EXPECT_EQ(actions[1]->text(), "Переключение контроля");
    EXPECT_EQ(actions[2], Existing);
    EXPECT_TRUE(Setup->isEnabled());
    EXPECT_EQ(Host.MenuImages()->Count(), 2);
    EXPECT_TRUE(s.ParamsMenu()->isEnabled());
    EXPECT_EQ(Entries(), QStringList({"Глубина < 9.5 [x]", "Глубина > 20 [ ]", "Обороты ротора > 250.56 [x]"}));

    // Switching from the submenu: the check follows the mark and the row is stored.
    Tick({9});
    ASSERT_EQ(Listener.Alerts.size(), 1);
    s.ParamsMenu()->actions()[0]->trigger();
    EXPECT_FALSE(s.Params()[0]->CheckMin());
    EXPECT_EQ(Stored("CheckMin", 101), 0);
    s.ParamsMenu()->actions()[1]->trigger();
    EXPECT_TRUE(s.Params()[0]->CheckMax());
    EXPECT_EQ(Stored("CheckMax", 101), 1);
    s.ParamsMenu()->actions()[2]->trigger();
    EXPECT_EQ(Stored("CheckMax", 1200), 0);
    EXPECT_EQ(Module->dbService().Scalar("SELECT count(*) FROM Ranges").toInt(), 3);
    s.ParamsMenu()->actions()[0]->trigger();
    EXPECT_TRUE(s.Params()[0]->CheckMin());
    Clock += 1000;
    Tick({8});  // switched on again: the first sample outside alarms
    EXPECT_EQ(Listener.Alerts.size(), 2);

    // Without menu entries the submenu is disabled; the commands leave with the service.
    Module->dbService().Exec("UPDATE Ranges SET MinInMenu = 0, MaxInMenu = 0");
    Service.reset();
    EXPECT_EQ(Setup->actions(), QList<QAction*>{Existing});
    Start();
    EXPECT_FALSE(Service->ParamsMenu()->isEnabled());
}

TEST_F(RangeDialogs, ParameterListCommandEditsLimitsAndRebuildsTheSubmenu) {
    TRangeAlarmService& s = Start({101, 1200});
    QStringList shown;
    UI->ScriptDialog("TdlgSelectRangeParam", [&](QObject* o) {
        auto* dlg = static_cast<TdlgSelectRangeParam*>(o);
        shown << dlg->windowTitle();
        dlg->edFilter->setText("ротора");
        EXPECT_EQ(dlg->lvParams->topLevelItemCount(), 1);
        dlg->btnControl->click();
        // The new limit shows at once.
        EXPECT_EQ(dlg->lvParams->topLevelItem(0)->text(1), ">250");
        dlg->edFilter->setText("");
        dlg->show();
        SaveArtifact(*dlg, "RangeParameterList");
        dlg->btnExit->click();
        return DialogResult(*dlg);
    });
    UI->ScriptDialog("TdlgSetRange", [&](QObject* o) {
        auto* dlg = static_cast<TdlgSetRange*>(o);
        shown << dlg->windowTitle() + ": " + dlg->lblPName->text();
        QTest::keyClicks(dlg->Upper.edLimit, "250");
        dlg->Upper.cbInMenu->setChecked(true);
        dlg->Upper.cbBroadcast->setChecked(true);
        dlg->btnOK->click();
        return DialogResult(*dlg);
    });
    s.SelectItem()->trigger();
    EXPECT_EQ(shown, QStringList({"Контроль диапазона параметров",
                                  "Установка диапазона контроля: Частота вращения ротора"}));
    TRangeCheckItem* item = FindParamLink(s.Params(), 1200);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Name, "Обороты ротора");
    EXPECT_TRUE(item->CheckMax());
    EXPECT_EQ(item->Max, 250);
    // Outside the acquisition program the broadcast box is hidden: its tick does not count.
    EXPECT_FALSE(item->BroadcastMax);
    EXPECT_EQ(Stored("MaxValue", 1200), 250);
    EXPECT_EQ(Entries(), QStringList{"Обороты ротора > 250 [x]"});
    s.ParamsMenu()->show();
    SaveArtifact(*s.ParamsMenu(), "RangeSwitchMenu");
    Setup->show();
    SaveArtifact(*Setup, "RangeSetupMenu");
}

TEST_F(RangeDialogs, ContextActionsActOnTheFocusedParameter) {
    TRangeAlarmService& s = Start({101});
    TWKActionList* list = s.Module()->alRange;
    EXPECT_EQ(list->ActionCount(), 2);
    EXPECT_EQ(list->Action(0)->text(), "Контроль параметра...");
    EXPECT_EQ(list->Category(0), "Sensors");
    EXPECT_EQ(list->ImageIndex(0), 0);
    EXPECT_EQ(list->Action(1)->text(), "Отмена контроля");
    EXPECT_EQ(list->ImageIndex(1), 1);

    // The registry hands both actions to a parameter popup.
    QMenu popup;
    struct TMenu : IWKContextMenu {
        QMenu* Menu;
        TWKImageList ImagesList;
        TWKImageList* Images() override { return &ImagesList; }
        void AddItem(QAction* Action, int) override { Menu->addAction(Action); }
    } adapter;
    adapter.Menu = &popup;
    WKContextHandlers().CreatePopupItems(adapter, "Sensors");
    EXPECT_TRUE(popup.actions().contains(list->Action(0)));
    EXPECT_TRUE(popup.actions().contains(list->Action(1)));

    TParamWidget chart;
    auto* strip = new QWidget(&chart);
    strip->setFocusPolicy(Qt::StrongFocus);
    chart.show();
    QApplication::setActiveWindow(&chart);
    strip->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&chart));
    strip->setFocus();

    // Which actions a popup over the control offers.
    const struct {
        int GID;
        bool Control, NoControl;
    } states[] = {{-1, false, false}, {0, false, false}, {101, true, false}};
    for (const auto& st : states) {
        chart.GID = st.GID;
        popup.show();
        EXPECT_EQ(s.Module()->actControl->isEnabled(), st.Control) << st.GID;
        EXPECT_EQ(s.Module()->actNoControl->isEnabled(), st.NoControl) << st.GID;
        popup.hide();
    }

    UI->ScriptDialogOnce("TdlgSetRange", [&](QObject* o) {
        auto* dlg = static_cast<TdlgSetRange*>(o);
        dlg->Lower.edLimit->setText("9.5");
        dlg->Lower.cbCheck->setChecked(true);
        dlg->Lower.cbInMenu->setChecked(true);
        dlg->btnOK->click();
        return DialogResult(*dlg);
    });
    s.Module()->actControl->trigger();
    ASSERT_EQ(s.Params().size(), 1u);
    EXPECT_EQ(Entries(), QStringList{"Глубина < 9.5 [x]"});
    // Bound by the dialog (no stream groups here: bound by hand), it alarms.
    s.Notify(seBindStreams, Streams.get());
    Tick({9});
    EXPECT_EQ(Listener.Alerts.size(), 1);

    popup.show();
    EXPECT_TRUE(s.Module()->actNoControl->isEnabled());
    popup.hide();
    s.Module()->actNoControl->trigger();
    EXPECT_FALSE(s.Params()[0]->AnyCheck());
    EXPECT_EQ(Stored("CheckMin", 101), 0);
    EXPECT_EQ(Entries(), QStringList{"Глубина < 9.5 [ ]"});
    popup.show();
    EXPECT_FALSE(s.Module()->actNoControl->isEnabled());
    popup.hide();

    // The list leaves the registry with the service.
    const int registered = WKContextHandlers().Count();
    Service.reset();
    EXPECT_EQ(WKContextHandlers().Count(), registered - 1);
}

TEST_F(RangeDialogs, IdlesBesideTheAcquisitionProgram) {
    QTemporaryDir programs;
    QFile(programs.path() + "/Boremont.exe").open(QIODevice::WriteOnly);
    InitWKConsts({}, programs.path() + "/Welvista2");
    AddRow(101, "1, 0, 9.5, NULL, '', '', 0, 0, 0, 0, 0, 0, 1, 0, 0, 0");
    TRangeAlarmService& s = Start();
    EXPECT_TRUE(s.Idle());
    EXPECT_TRUE(s.Params().empty());
    EXPECT_FALSE(s.Module());
    EXPECT_EQ(Setup->actions(), QList<QAction*>{Existing});
    Tick({9});
    EXPECT_TRUE(Listener.Alerts.isEmpty());
    // The acquisition program itself never idles.
    Service.reset();
    InitWKConsts({}, programs.path() + "/Boremont");
    EXPECT_FALSE(Start().Idle());
}
}  // namespace

#include "RangeDialogTests.moc"
