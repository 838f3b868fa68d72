// The operation log and message log grids over an embedded well database:
// the current well's rows, the columns, the commands sent to the main window,
// the copy of a time range, reopening on database changes and the Russian
// messages of the database layer.
#include "VisualTestSupport.h"

#include "DebugOutput.h"
#include "Forms.h"
#include "Messages.h"
#include "WKDB.h"
#include "WKDBControls.h"
#include "WKFormText.h"
#include "dlg_SelectTimeRange.h"
#include "dlg_SetupSplitter.h"
#include "fr_Align.h"
#include "fr_HintPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>

namespace {

// Day numbers of the operations: 10.12.2026 08:30, 09:15, 10:00, 11:45.
const TDateTime T1 = EncodeDate(2026, 12, 10) + EncodeTime(8, 30, 0, 0);
const TDateTime T2 = EncodeDate(2026, 12, 10) + EncodeTime(9, 15, 0, 0);
const TDateTime T3 = EncodeDate(2026, 12, 10) + EncodeTime(10, 0, 0, 0);
const TDateTime T4 = EncodeDate(2026, 12, 10) + EncodeTime(11, 45, 0, 0);

// Runs statements on an attachment of their own, as another workstation would, and commits them.
void RunSql(const QString& sql, const QVariantList& params = {}) {
    TDataConnection db =
        TDataConnection::OpenFirebird(EmbeddedWellDatabasePath(), WellDatabaseUser, WellDatabasePassword());
    db.Transaction();
    db.Exec(sql, params);
    db.Commit();
}

void AddOperation(int well, TDateTime time, double depth, int opClass, int opCode, const QVariant& subCode,
                  const QVariant& comment) {
    RunSql("insert into OPERATIONLOG (WELLID, OPTIME, DEPTH, RUNNO, OPCLASS, OPCODE, OPSUBCODE, \"COMMENT\") "
           "values (?, ?, ?, 2, ?, ?, ?, ?)",
           {well, DateTimeToQDateTime(time), depth, opClass, opCode,
            subCode.isValid() ? subCode : QVariant(QMetaType(QMetaType::Int)),
            comment.isValid() ? comment : QVariant(QMetaType(QMetaType::QString))});
}

// A main window that records the messages it is sent.
class TRecordingWindow : public QObject {
public:
    std::vector<std::pair<int, QVariant>> Received;

protected:
    bool event(QEvent* e) override {
        if (!TWKMessage::IsWKMessage(e)) return QObject::event(e);
        auto* m = static_cast<TWKMessage*>(e);
        Received.emplace_back(m->Msg(), m->WParam());
        m->Handled = true;
        return true;
    }
};

QStringList VisibleTitles(const TDBGrid& grid) {
    QStringList titles;
    for (int c = 0; c < grid.Columns()->Count(); ++c)
        if (grid.Column(c)->Visible()) titles << grid.Column(c)->TitleText();
    return titles;
}

int ColumnOf(const TDBGrid& grid, const QString& field) {
    for (int c = 0; c < grid.Columns()->Count(); ++c)
        if (grid.Column(c)->FieldName() == field) return c;
    return -1;
}

void DoubleClick(QWidget& w, QPoint at = {5, 30}) {
    QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(at), QPointF(at), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

class OperationLogEmbedded : public VisualTest {
protected:
    void TearDown() override {
        SetMainWindow(nullptr);
        // The module lives as long as the program; every test starts with a new one.
        delete dmWKDBControls;
        VisualTest::TearDown();
    }
    // Wells 3 and 7 (7 is current) with operations of both.
    void OpenWellsWithOperations() {
        EnsureEmbeddedWellDatabase(EmbeddedWellDatabasePath());
        RunSql("insert into WELLS (WELLID) values (3)");
        RunSql("insert into WELLS (WELLID) values (7)");
        AddOperation(3, T1 - 1, 100, 1, 1, {}, QStringLiteral("чужая скважина"));
        AddOperation(7, T1, 1234.5, 1, 2, 1, {});
        AddOperation(7, T2, 1240, 2, 6, {}, QStringLiteral("до башмака"));
        AddOperation(7, T3, 1240.25, 7, 17, {}, {});
        OpenWells();
        ASSERT_EQ(Wells->FCurrentWell, 7);
    }
};

TEST_F(OperationLogEmbedded, GridShowsTheCurrentWellAndSendsCommands) {
    OpenWellsWithOperations();
    TOpLogGrid grid;
    TSqlDataSet& log = *dmWKDBControls->tblOpLog;
    ASSERT_TRUE(log.Active());
    EXPECT_EQ(VisibleTitles(grid),
              QStringList({"Время", "Глубина", "№ рейса", "Тип операции", "Операция"}));
    EXPECT_EQ(grid.Columns()->Count(), log.FieldCount()) << "hidden fields keep hidden columns";
    ASSERT_EQ(grid.DataRowCount(), 3) << "only the current well's operations";
    EXPECT_EQ(grid.Row(), 3) << "opened at the last row";
    EXPECT_EQ(log.RecNo(), 3);
    EXPECT_EQ(grid.CellText(ColumnOf(grid, "OPTIME"), 0), DateTimeToStr(T1));
    EXPECT_EQ(grid.CellText(ColumnOf(grid, "DEPTH"), 2), FormatFloat("0.##", 1240.25));
    EXPECT_EQ(grid.CellText(ColumnOf(grid, "OpClassText"), 1), QStringLiteral("Спуско-подъёмные операции"));
    EXPECT_TRUE(grid.ReadOnly());
    EXPECT_TRUE(grid.DBOptions().testFlag(TDBGrid::dgRowSelect));
    EXPECT_EQ(grid.Align(), TControl::alTop);

    // The detailed operation: sub-operation, comment, both or neither.
    const int detailed = ColumnOf(grid, "DetailedOperation");
    EXPECT_EQ(grid.CellText(detailed, 0), QStringLiteral("Бурение забойным двигателем (Слайдом)"));
    EXPECT_EQ(grid.CellText(detailed, 1), QStringLiteral("Подъём инструмента (до башмака)"));
    EXPECT_EQ(grid.CellText(detailed, 2), QStringLiteral("Ожидание"));
    EXPECT_EQ(TdmWKDBControls::DetailedOperationText("Спуск", "С промывками", "долив"),
              QStringLiteral("Спуск (С промывками, долив)"));

    // Another table's change leaves the log as it is; the operation log's opens it again.
    AddOperation(7, T4, 1250, 1, 1, {}, {});
    QString runs = QStringLiteral("RUNS");
    dmWKDBControls->Notify(seDBChange, &runs);
    EXPECT_EQ(grid.DataRowCount(), 3);
    QString operations = QStringLiteral("OPERATIONLOG");
    dmWKDBControls->Notify(seDBChange, &operations);
    ASSERT_EQ(grid.DataRowCount(), 4);
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.CellText(detailed, 3), QStringLiteral("Бурение ротором"));

    // The menu: properties first, bold and default.
    QMenu* menu = dmWKDBControls->pmOpLog->Menu();
    QStringList items;
    for (QAction* a : menu->actions()) items << a->text();
    EXPECT_EQ(items, QStringList({"Свойства...", "Копировать...", "Новая операция...", "Удалить..."}));
    EXPECT_EQ(dmWKDBControls->pmOpLog->DefaultItem(), menu->actions().first());
    EXPECT_TRUE(menu->actions().first()->font().bold());
    EXPECT_EQ(grid.PopupMenu(), dmWKDBControls->pmOpLog);

    // Double click: 1225 with the current row's time; the other commands.
    TRecordingWindow main;
    SetMainWindow(&main);
    grid.resize(600, 200);
    log.SetRecNo(2);
    ASSERT_EQ(grid.Row(), 2);
    DoubleClick(grid, grid.CellRect(0, grid.Row()).center());
    ASSERT_EQ(main.Received.size(), 1u);
    EXPECT_EQ(main.Received[0].first, WM_EDITOPERATION);
    EXPECT_NEAR(main.Received[0].second.toDouble(), T2, 1e-8);
    menu->actions().at(3)->trigger();
    menu->actions().at(2)->trigger();
    dmWKDBControls->pmMessageLog->Menu()->actions().first()->trigger();
    ASSERT_EQ(main.Received.size(), 4u);
    EXPECT_EQ(main.Received[1].first, WM_DELETEOPERATION);
    EXPECT_NEAR(main.Received[1].second.toDouble(), T2, 1e-8);
    EXPECT_EQ(main.Received[2].first, WM_NEWOPERATION);
    EXPECT_EQ(main.Received[3].first, WM_NEWMESSAGE);
    SetMainWindow(nullptr);
    DoubleClick(grid, grid.CellRect(0, grid.Row()).center());
    EXPECT_EQ(main.Received.size(), 4u) << "no main window: nothing sent";
}

TEST_F(OperationLogEmbedded, CopiesATimeRangeToTheClipboard) {
    OpenWellsWithOperations();
    TOpLogGrid grid;
    struct Case {
        const char* name;
        TDateTime start, stop;
        QString text;
    };
    const QString line1 = DateTimeToStr(T1) + "\tБурение забойным двигателем";
    const QString line2 = DateTimeToStr(T2) + "\tПодъём инструмента";
    const QString line3 = DateTimeToStr(T3) + "\tОжидание";
    const std::vector<Case> cases{
        {"stop time excluded", T1, T3, line1 + "\r\n" + line2},
        {"start time included", T3, T3 + 1, line3},
        {"whole day", T1 - 0.5, T1 + 0.5, line1 + "\r\n" + line2 + "\r\n" + line3},
        {"empty range", T3 + 0.01, T3 + 1, QString()},
        {"other well's day", T1 - 1.5, T1 - 0.5, QString()},
    };
    for (const Case& c : cases) {
        UI->ClipboardData.SetAsText(QStringLiteral("old"));
        ScriptOnce<TdlgSelectTimeRange>(*UI, "TdlgSelectTimeRange", [&c](TdlgSelectTimeRange& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Выбор диапазона времени"));
            EXPECT_DOUBLE_EQ(d.StartTime(), double(Trunc(Date()))) << "today from midnight";
            EXPECT_DOUBLE_EQ(d.StopTime(), double(Trunc(Date())) + 1) << "to tomorrow's midnight";
            d.SetStartTime(c.start);
            d.SetStopTime(c.stop);
            d.OKBtn->click();
            return DialogResult(d);
        });
        EXPECT_TRUE(dmWKDBControls->actOpLogCopy->Execute());
        EXPECT_EQ(UI->ClipboardData.AsText(), c.text) << c.name;
        EXPECT_FALSE(dmWKDBControls->iqOpLog->Active()) << c.name;
    }
    // Cancelled: the clipboard stays as it was.
    UI->ClipboardData.SetAsText(QStringLiteral("old"));
    dmWKDBControls->actOpLogCopy->Execute();
    EXPECT_EQ(UI->ClipboardData.AsText(), QStringLiteral("old"));
}

TEST_F(OperationLogEmbedded, DatabaseErrorsAndFieldMessagesInRussian) {
    EnsureEmbeddedWellDatabase(EmbeddedWellDatabasePath());
    RunSql("create domain POSITIVE_DEPTH as double precision check (value > 0)");
    RunSql("create table CHECKED_DEPTHS (DEPTH POSITIVE_DEPTH)");
    OpenWellsWithOperations();
    TOpLogGrid grid;
    TSqlDataSet& log = *dmWKDBControls->tblOpLog;
    HookErrorHandlers(dmWKDBControls);
    ASSERT_TRUE(log.OnPostError);
    const auto postError = [](TDataSet& d) -> QString {
        try {
            d.Post();
        } catch (const EDatabaseError& e) {
            d.Cancel();
            return e.Message();
        }
        d.Cancel();
        return {};
    };

    // A duplicate key.
    log.Append();
    log.FieldByName("WELLID")->SetAsInteger(7);
    log.FieldByName("OPTIME")->SetAsFloat(T1);
    log.FieldByName("OPCLASS")->SetAsInteger(1);
    log.FieldByName("OPCODE")->SetAsInteger(1);
    EXPECT_EQ(postError(log), SDBDuplicateKey);
    // Written without sub-operation and comment: both stay empty, not zero.
    log.Append();
    log.FieldByName("WELLID")->SetAsInteger(7);
    log.FieldByName("OPTIME")->SetAsFloat(T4 + 0.5);
    log.FieldByName("OPCLASS")->SetAsInteger(1);
    log.FieldByName("OPCODE")->SetAsInteger(1);
    log.Post();
    EXPECT_EQ(log.FieldByName("DetailedOperation")->AsString(), QStringLiteral("Бурение ротором"));
    EXPECT_EQ(dmWKDBControls->itOpLog.Connection()
                  .Scalar("select count(*) from OPERATIONLOG where OPTIME = ? and OPSUBCODE is null and "
                          "\"COMMENT\" is null and DEPTH is null",
                          {DateTimeToQDateTime(T4 + 0.5)})
                  .toInt(),
              1);

    // A value the column's domain refuses.
    TSqlDataSet plain;
    plain.Transaction = &dmWKDBControls->itOpLog;
    plain.SelectSQL = {"select * from CHECKED_DEPTHS"};
    plain.InsertSQL = {"insert into CHECKED_DEPTHS (DEPTH) values (:DEPTH)"};
    plain.Open();
    FBErrorHandler->HookErrorHandler(&plain);
    plain.Append();
    plain.FieldByName("DEPTH")->SetAsFloat(-1);
    EXPECT_EQ(postError(plain), SDBInvalidValue);
    // Another database error passes as the engine gave it.
    plain.InsertSQL = {"insert into NO_SUCH_TABLE (X) values (:DEPTH)"};
    plain.Append();
    plain.FieldByName("DEPTH")->SetAsFloat(1);
    const QString other = postError(plain);
    EXPECT_TRUE(other.contains("NO_SUCH_TABLE")) << other.toStdString();

    // The four field messages.
    const auto message = [](const std::function<void()>& work) -> QString {
        try {
            work();
        } catch (const Exception& e) {
            return e.Message();
        }
        return {};
    };
    auto* depth = static_cast<TFloatField*>(log.FieldByName("DEPTH"));
    depth->MinValue = 0;
    depth->MaxValue = 10000;
    log.Append();
    log.FieldByName("WELLID")->SetAsInteger(7);
    EXPECT_EQ(message([&] { log.FieldByName("RUNNO")->SetAsString("abc"); }),
              QStringLiteral("'abc' недопустимое целочисленное значение для поля '№ рейса'"));
    EXPECT_EQ(message([&] { depth->SetAsString("x1"); }), QStringLiteral("'x1' недопустимое значение для поля 'Глубина'"));
    EXPECT_EQ(message([&] { depth->SetAsFloat(12000); }),
              QStringLiteral("12000 недопустимое значение для поля 'Глубина'. Допустимый диапазон от 0 до 10000"));
    EXPECT_EQ(message([&] { log.Post(); }), QStringLiteral("Поле 'Время' должно быть заполнено"));
    log.Cancel();
    depth->MinValue = depth->MaxValue = 0;

    // The default display format goes to floating-point fields without one.
    depth->DisplayFormat.clear();
    SetDefFloatFmt(dmWKDBControls, "0.000");
    EXPECT_EQ(depth->DisplayFormat, "0.000");
    EXPECT_EQ(log.FieldByName("OPTIME")->DisplayFormat, "") << "date-times are no numbers here";
}

TEST_F(OperationLogEmbedded, WithoutWellDatabaseOrTableTheGridsStayEmpty) {
    {
        TOpLogGrid opLog;
        TMessageLogGrid messages;
        EXPECT_FALSE(dmWKDBControls->tblOpLog->Active()) << "no well database: not opened";
        EXPECT_FALSE(dmWKDBControls->tblLog->Active());
        EXPECT_EQ(opLog.DataRowCount(), 0);
        EXPECT_EQ(messages.DataRowCount(), 0);
        QString operations = QStringLiteral("OPERATIONLOG");
        dmWKDBControls->Notify(seDBChange, &operations);
        EXPECT_FALSE(dmWKDBControls->tblOpLog->Active());
        dmWKDBControls->actEditOperation->Execute();
    }
    delete dmWKDBControls;

    // A database whose operation log cannot be read.
    EnsureEmbeddedWellDatabase(EmbeddedWellDatabasePath());
    RunSql("insert into WELLS (WELLID) values (7)");
    RunSql("drop table OPERATIONLOG");
    OpenWells();
    TDebugOutputCapture debug;
    TOpLogGrid grid;
    EXPECT_EQ(debug.Count("TOpLogGrid.Create: "), 1) << debug.Lines().join('\n').toStdString();
    EXPECT_FALSE(dmWKDBControls->tblOpLog->Active());
    EXPECT_EQ(grid.DataRowCount(), 0);
}

TEST_F(OperationLogEmbedded, MessageLogFollowsEveryReload) {
    OpenWellsWithOperations();
    RunSql("insert into LOG (WELLID, RECORDTIME, RUNNO, DEPTH, MESSAGEID, MESSAGETEXT) values (7, ?, 2, 1200.5, 1, 'первое')",
           {T1});
    Wells->ReloadLog();
    TMessageLogGrid grid;
    EXPECT_EQ(VisibleTitles(grid), QStringList({"Время", "№ рейса", "Глубина", "Текст"}));
    ASSERT_EQ(grid.DataRowCount(), 1);
    EXPECT_EQ(grid.CellText(ColumnOf(grid, "RECORDTIME"), 0), DateTimeToStr(T1));
    EXPECT_EQ(grid.CellText(ColumnOf(grid, "MESSAGETEXT"), 0), QStringLiteral("первое"));
    EXPECT_EQ(grid.PopupMenu(), dmWKDBControls->pmMessageLog);

    // Written by another workstation: shown when the well module reads the log again.
    RunSql("insert into LOG (WELLID, RECORDTIME, MESSAGEID, MESSAGETEXT) values (7, ?, 1, 'второе')", {T2});
    EXPECT_EQ(grid.DataRowCount(), 1);
    Wells->ReloadLog();
    ASSERT_EQ(grid.DataRowCount(), 2);
    EXPECT_EQ(grid.Row(), 2) << "at the newest message";
    // Written by this program.
    Wells->LogMessage(1, 2, 3, QStringLiteral("третье"));
    ASSERT_EQ(grid.DataRowCount(), 3);
    EXPECT_EQ(grid.CellText(ColumnOf(grid, "MESSAGETEXT"), 2), QStringLiteral("третье"));

    // Double click asks the main window for a new message.
    TRecordingWindow main;
    SetMainWindow(&main);
    DoubleClick(grid);
    ASSERT_EQ(main.Received.size(), 1u);
    EXPECT_EQ(main.Received[0].first, WM_NEWMESSAGE);
}

TEST_F(OperationLogEmbedded, FormWithHintPanelAndBothGridsRoundTrips) {
    OpenWellsWithOperations();
    InitWKControls();
    TForm form;
    form.SetName(QStringLiteral("fmJournals"));
    auto* hints = new TfrHintPanel(&form);
    hints->SetName(QStringLiteral("frHintPanel1"));
    hints->SetParentWidget(&form);
    auto* opLog = new TOpLogGrid(&form);
    opLog->SetName(QStringLiteral("OpLogGrid1"));
    opLog->SetParentWidget(&form);
    opLog->SetHeight(150);
    auto* messages = new TMessageLogGrid(&form);
    messages->SetName(QStringLiteral("MessageLogGrid1"));
    messages->SetParentWidget(&form);

    // Setup: bevel and alignment through the splitter dialog.
    ScriptOnce<TdlgSetupSplitter>(*UI, "TdlgSetupSplitter", [](TdlgSetupSplitter& d) {
        EXPECT_EQ(d.cbBeveled->text(), QStringLiteral("Объемный"));
        EXPECT_TRUE(d.cbBeveled->isChecked());
        d.cbBeveled->setChecked(false);
        d.frAlign->SetCtlAlign(TControl::alClient);
        d.OKBtn->click();
        return DialogResult(d);
    });
    messages->Setup();
    EXPECT_FALSE(messages->Ctl3D());
    EXPECT_EQ(messages->Align(), TControl::alClient);
    ScriptOnce<TdlgSetupSplitter>(*UI, "TdlgSetupSplitter", [](TdlgSetupSplitter& d) {
        d.frAlign->SetCtlAlign(TControl::alBottom);
        d.CancelBtn->click();
        return DialogResult(d);
    });
    opLog->Setup();
    EXPECT_EQ(opLog->Align(), TControl::alTop) << "cancelled";

    const QString text = ComponentToString(&form);
    EXPECT_FALSE(text.contains("Columns")) << "the columns come from the data module";
    EXPECT_TRUE(text.contains("Ctl3D = False")) << text.toStdString();
    std::unique_ptr<TComponentBase> again(StringToComponent(text, nullptr));
    ASSERT_TRUE(again);
    auto* readOpLog = again->FindComponentAs<TOpLogGrid>("OpLogGrid1");
    auto* readMessages = again->FindComponentAs<TMessageLogGrid>("MessageLogGrid1");
    ASSERT_TRUE(readOpLog && readMessages) << text.toStdString();
    EXPECT_TRUE(again->FindComponentAs<TfrHintPanel>("frHintPanel1"));
    EXPECT_EQ(readOpLog->Align(), TControl::alTop);
    EXPECT_TRUE(readOpLog->Ctl3D());
    EXPECT_EQ(readMessages->Align(), TControl::alClient);
    EXPECT_FALSE(readMessages->Ctl3D());
    EXPECT_EQ(readOpLog->DataRowCount(), 3);
    EXPECT_EQ(VisibleTitles(*readOpLog), VisibleTitles(*opLog));
    EXPECT_EQ(ComponentToString(again.get()), text);

    // What the driller sees: the operations over the messages.
    const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    if (!dir.isEmpty()) {
        form.SetBounds(0, 0, 760, 360);
        QDir().mkpath(dir);
        form.grab().save(dir + QStringLiteral("/OperationLog.png"));
    }
}

}  // namespace
