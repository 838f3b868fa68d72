#include "DebugOutput.h"
#include "MainThread.h"
#include "UIServices.h"
#include "WKHints.h"
#include "WKMessages.h"
#include "WellDatabaseSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlRecord>
#include <gtest/gtest.h>
#include <cmath>
#include <deque>
#include <thread>

namespace {
class WellDatabase : public ::testing::Test {
protected:
    void SetUp() override { InitAsWorkstation(); }
    void TearDown() override { InitAsWorkstation(); }
    TTempXdgHome FHome;
};

TEST_F(WellDatabase, EmbeddedFileCreatedWithSchemaOnFirstUseAndKept) {
    const QString path = EmbeddedWellDatabasePath();
    ASSERT_TRUE(path.startsWith(FHome.DataHome()));
    ASSERT_FALSE(QFile::exists(path));
    {
        TdmWells wells;
        EXPECT_TRUE(wells.Connected());
        EXPECT_TRUE(QFile::exists(path));
        EXPECT_FALSE(QFile::exists(path + ".new"));
        // Every table the modules read is there.
        for (const char* table : {"WELLS", "RUNS", "LOG", "FORMULAS", "OPERATIONLOG", "REF_LANGUAGES", "REF_DICTIONARY",
                                  "TUBINGSTAT", "BOTTOMHOLEASSEMBLY", "REF_BHAITEMS", "CASING", "CASINGITEMS",
                                  "REF_CASINGITEMS"})
            EXPECT_NO_THROW(wells.dbWells().Exec(QStringLiteral("select count(*) from %1").arg(table))) << table;
        EXPECT_EQ(wells.FCurrentWell, -1);
        EXPECT_EQ(wells.dbWells().Scalar("select MON$FORCED_WRITES from MON$DATABASE").toInt(), 1)
            << "built fast, then made safe";
        // The generator numbers wells inserted without an ID.
        RunSql({"insert into WELLS (WELLID) values (NULL)", "insert into WELLS (WELLID) values (NULL)"});
    }
    // The second start opens the same file: the wells are still there.
    TdmWells again;
    EXPECT_EQ(again.FCurrentWell, 2);
}

TEST_F(WellDatabase, FailedCreationLeavesNoFile) {
    QTemporaryDir schema;
    QFile bad(schema.filePath("10-Bad.sql"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("CREATE TABLE A (X INTEGER);\nCREATE TABLE OOPS (;\n");
    bad.close();
    const QString path = FHome.Path() + "/db/Boremont.fdb";
    EXPECT_THROW(EnsureEmbeddedWellDatabase(path, schema.path()), EDatabaseError);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(path + ".new"));
    QTemporaryDir empty;
    EXPECT_THROW(EnsureEmbeddedWellDatabase(path, empty.path()), EDatabaseError);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(WellDatabase, CurrentWellAndRun) {
    struct Case {
        const char* name;
        QStringList sql;
        int well, run;
        bool active;
    };
    const std::vector<Case> cases{
        {"no wells", {}, -1, 0, false},
        {"largest well, no run", {"insert into WELLS values (3)", "insert into WELLS values (12)",
                                  "insert into RUNS (WELLID, RUNNO, CLOSED) values (3, 1, 0)"}, 12, 0, false},
        {"newest run open", {"insert into RUNS (WELLID, RUNNO, CLOSED) values (12, 1, 1)",
                             "insert into RUNS (WELLID, RUNNO, CLOSED) values (12, 2, 0)"}, 12, 2, true},
        {"newest run closed", {"update RUNS set CLOSED = 1 where WELLID = 12 and RUNNO = 2"}, 12, 2, false},
        {"run of an older well ignored", {"insert into RUNS (WELLID, RUNNO, CLOSED) values (3, 9, 0)"}, 12, 2, false},
    };
    TdmWells wells;
    for (const Case& c : cases) {
        if (!c.sql.isEmpty()) RunSql(c.sql);
        wells.UpdateCurrentObjects();
        EXPECT_EQ(wells.FCurrentWell, c.well) << c.name;
        EXPECT_EQ(wells.FCurrentRun, c.run) << c.name;
        EXPECT_EQ(wells.FRunActive, c.active) << c.name;
    }
    // Read again on every connect.
    RunSql({"insert into WELLS values (20)", "insert into RUNS (WELLID, RUNNO, CLOSED) values (20, 4, 0)"});
    wells.TryOpenDatabase();
    EXPECT_EQ(wells.FCurrentWell, 20);
    EXPECT_EQ(wells.FCurrentRun, 4);
}

TEST_F(WellDatabase, MessageLogRows) {
    InitAsAcquisitionProgram();
    // A clock that stands still for a while between its steps.
    std::deque<TDateTime> readings{45000.5, 45000.5, 45000.5, 45000.5, 45000.5, 45000.6, 45000.6, 45000.7};
    TdmWells wells(nullptr, [&readings] {
        const TDateTime t = readings.front();
        if (readings.size() > 1) readings.pop_front();
        return t;
    });
    RunSql({"insert into WELLS values (5)", "insert into RUNS (WELLID, RUNNO, CLOSED) values (5, 2, 0)"});
    wells.UpdateCurrentObjects();
    int reloads = 0;
    QObject::connect(&wells, &TdmWells::LogReloaded, [&reloads] { ++reloads; });

    wells.LogMessage(2, 3, 5, "первое");
    wells.FCurrentRun = 0;
    wells.FCurrentDepth = 1234.5;
    wells.LogMessage(-1, 0, 0, QString(200, 'x'));
    EXPECT_EQ(reloads, 2);

    QSqlQuery q = wells.dbWells().Exec("select WELLID, RECORDTIME, RUNNO, DEPTH, MESSAGEID, MESSAGETEXT from LOG "
                                       "order by RECORDTIME");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 5);
    const double first = q.value(1).toDouble();
    EXPECT_EQ(q.value(2).toInt(), 2);
    EXPECT_TRUE(q.value(3).isNull());
    EXPECT_EQ(q.value(4).toInt(), 2 * 65536 + 3 * 1048576 + 5);
    EXPECT_EQ(q.value(5).toString(), "первое");
    ASSERT_TRUE(q.next());
    EXPECT_NE(q.value(1).toDouble(), first) << "equal clock readings give distinct times";
    EXPECT_TRUE(q.value(2).isNull());
    EXPECT_DOUBLE_EQ(q.value(3).toDouble(), 1234.5);
    EXPECT_EQ(q.value(4).toInt(), -65536);
    EXPECT_EQ(q.value(5).toString(), QString(150, 'x'));
    EXPECT_FALSE(q.next());

    // The log model holds both rows.
    EXPECT_EQ(wells.tblLog().rowCount(), 2);
    EXPECT_EQ(TdmWells::RecordTimeText(QVariant()), "");
    EXPECT_EQ(TdmWells::RecordTimeText(wells.tblLog().record(0).value("RECORDTIME")), DateTimeToStr(first));
}

TEST_F(WellDatabase, MessageLogReadsOnlyNewRows) {
    InitAsAcquisitionProgram();
    EnsureEmbeddedWellDatabase(EmbeddedWellDatabasePath());
    RunSql({"insert into WELLS values (5)", "insert into LOG (WELLID, RECORDTIME, MESSAGEID, MESSAGETEXT) values (5, 1, 1, 'a')",
            "insert into LOG (WELLID, RECORDTIME, MESSAGEID, MESSAGETEXT) values (5, 2, 1, 'b')"});
    double clock = 45000;
    TdmWells wells(nullptr, [&clock] { return clock += 0.001; });
    EXPECT_EQ(wells.tblLog().RowsRead(), 2);  // the whole log when opened
    for (int i = 0; i < 10; ++i) wells.LogMessage(1, 0, i, QString::number(i));
    // Each own write reads its one new row, not the log again.
    EXPECT_EQ(wells.tblLog().RowsRead(), 12);
    ASSERT_EQ(wells.tblLog().rowCount(), 12);
    EXPECT_EQ(wells.tblLog().data(wells.tblLog().index(11, 5)).toString(), "9");
    // Another workstation's row comes with the next change of the log; the
    // events of wells and runs read nothing.
    RunSql({"insert into LOG (WELLID, RECORDTIME, MESSAGEID, MESSAGETEXT) values (5, 46000, 1, 'other')"});
    for (const char* name : {"WELLS", "RUNS"}) wells.DBChanged(name);
    EXPECT_EQ(wells.tblLog().RowsRead(), 12);
    wells.DBChanged("LOG");
    EXPECT_EQ(wells.tblLog().RowsRead(), 13);
    EXPECT_EQ(wells.tblLog().data(wells.tblLog().index(12, 5)).toString(), "other");
    wells.DBChanged("OPERATIONLOG");
    EXPECT_EQ(wells.tblLog().RowsRead(), 13);
    // The database is asked only for the events the module lists.
    EXPECT_EQ(TdmWells::EventNames(), (QStringList{"OPERATIONLOG", "RUNS", "WELLS"}));
}

TEST_F(WellDatabase, LockedRowFailsAtOnceAndLeavesNothingHalfWritten) {
    TdmWells wells;
    wells.PostFormula({"F1", "S101", "", QVariant(), "Main"});
    // Another workstation holds the formula's row in an open transaction.
    TDataConnection other = OtherAttachment();
    other.Transaction();
    other.Exec("update FORMULAS set FORMULATEXT = 'S102' where FORMULANAME = 'F1'");
    // The module's write does not wait for it (waiting here, on the one
    // thread that would end the other transaction, would never end).
    try {
        wells.PostFormula({"F1", "S103", "", QVariant(), "Main"}, "F1");
        FAIL() << "a locked row was written";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("concurrent update", Qt::CaseInsensitive)) << e.Message().toStdString();
    }
    // A transaction of two writes whose second meets the lock keeps neither.
    wells.dbWells().Transaction();
    wells.PostFormula({"F2", "S1", "", QVariant(), "Main"});
    EXPECT_THROW(wells.DeleteFormula("F1"), EDatabaseError);
    wells.dbWells().Rollback();
    other.Rollback();
    QList<TFormulaRow> rows = wells.Formulas("Main");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].FORMULATEXT, "S101");
    // Once the other transaction has ended the same write goes through, and a
    // read sees what another attachment committed (read committed).
    wells.PostFormula({"F1", "S103", "", QVariant(), "Main"}, "F1");
    RunSql({"insert into FORMULAS (FORMULANAME, SUBSET) values ('F3', 'Main')"});
    EXPECT_EQ(wells.Formulas("Main").size(), 2);
    EXPECT_EQ(wells.dbWells().Scalar("select FORMULATEXT from FORMULAS where FORMULANAME = 'F1'").toString(), "S103");
}

TEST_F(WellDatabase, MessageLogRejectsAndReportsFailures) {
    InitWKConsts({"-DEBUG"}, BinDir() + "/Boremont");
    TdmWells wells;
    TDebugOutputCapture cap;
    struct Case {
        int severity, messageClass, id;
    };
    for (const Case& c : {Case{5, 0, 0}, Case{-2, 0, 0}, Case{1, 2048, 0}, Case{1, -1, 0}, Case{1, 0, 65536}, Case{1, 0, -1}})
        wells.LogMessage(c.severity, c.messageClass, c.id, "bad");
    EXPECT_EQ(cap.Count("TdmWells.LogMessage: message out of range"), 6);
    EXPECT_EQ(wells.dbWells().Scalar("select count(*) from LOG").toInt(), 0);
    EXPECT_EQ(PackMessageID(4, 2047, 65535), 4 * 65536 + 2047 * 1048576 + 65535);

    // A write the database refuses leaves a line instead of vanishing.
    wells.dbWells().Exec("alter table LOG add CHECKED integer not null");
    cap.Clear();
    wells.LogMessage(1, 0, 1, "refused");
    EXPECT_TRUE(cap.Contains("TdmWells.LogMessage: ")) << cap.Lines().join('\n').toStdString();
    EXPECT_EQ(wells.dbWells().Scalar("select count(*) from LOG").toInt(), 0);
    // And the user is told, once while the writes keep failing.
    const int hints = Hints().GetCount();
    wells.LogMessage(1, 0, 2, "refused again");
    ASSERT_EQ(Hints().GetCount(), hints);
    ASSERT_GT(hints, 0);
    const TWKHint told = Hints().GetHint(hints - 1);
    EXPECT_EQ(told.HintClass, hcWarning);
    EXPECT_TRUE(told.Message.contains("строку журнала сообщений")) << told.Message.toStdString();
    EXPECT_TRUE(told.Message.contains(EmbeddedWellDatabasePath())) << told.Message.toStdString();
}

// What the user reads when the database cannot be opened names it and says
// why, in the words of the engine's real failures.
TEST_F(WellDatabase, UnavailableDatabaseIsToldWithItsReason) {
    const QString file = EmbeddedWellDatabasePath();
    QDir().mkpath(QFileInfo(file).absolutePath());
    {
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(64 * 1024, 'x'));
    }
    Hints().ClearHints();
    EXPECT_EQ(CreateWellsModule(), nullptr);
    ASSERT_EQ(Hints().GetCount(), 1);
    EXPECT_TRUE(Hints().GetHint(0).Message.contains(file)) << Hints().GetHint(0).Message.toStdString();
    EXPECT_TRUE(Hints().GetHint(0).Message.contains("файл повреждён")) << Hints().GetHint(0).Message.toStdString();
    // Told once while it stays so.
    EXPECT_EQ(CreateWellsModule(), nullptr);
    EXPECT_EQ(Hints().GetCount(), 1);

    // A server nobody answers on: port 1 of the loopback.
    ASSERT_TRUE(QFile::remove(file));
    std::unique_ptr<TdmWells> good = CreateWellsModule();  // available in between: the next failure is told again
    ASSERT_TRUE(good);
    good.reset();
    TdmWells::SetRemoteComputerName("127.0.0.1/1");
    Hints().ClearHints();
    EXPECT_EQ(CreateWellsModule(), nullptr);
    ASSERT_EQ(Hints().GetCount(), 1);
    EXPECT_TRUE(Hints().GetHint(0).Message.contains("127.0.0.1/1:Boremont")) << Hints().GetHint(0).Message.toStdString();
    EXPECT_TRUE(Hints().GetHint(0).Message.contains("сервер недоступен")) << Hints().GetHint(0).Message.toStdString();
    TdmWells::SetRemoteComputerName("");
    Hints().ClearHints();

    EXPECT_EQ(WellDatabaseProblem("I/O error during \"lock\" operation for file \"/x.fdb\"\n-Database already opened "
                                  "with engine instance, incompatible with current"),
              "используется другой программой");
    EXPECT_EQ(WellDatabaseProblem("something else"), "something else");
}

TEST_F(WellDatabase, MessageLogFrontEndWritesOnlyInTheAcquisitionProgram) {
    TdmWells wells;
    LogMessageSilent(1, 7, 3, "workstation");
    EXPECT_EQ(wells.dbWells().Scalar("select count(*) from LOG").toInt(), 0);
    InitAsAcquisitionProgram();
    LogMessageSilent(1, 7, 3, "acquisition");
    EXPECT_EQ(wells.dbWells().Scalar("select MESSAGEID from LOG").toInt(), 65536 + 7 * 1048576 + 3);
    EXPECT_EQ(dmWells(), &wells);
    // From another thread the row is written on the main thread.
    std::thread([] { LogMessageSilent(2, 7, 4, "from a worker"); }).join();
    EXPECT_EQ(wells.dbWells().Scalar("select count(*) from LOG").toInt(), 1);
    ASSERT_TRUE(ProcessEventsUntil([&] { return wells.dbWells().Scalar("select count(*) from LOG").toInt() == 2; }));
}

// A window listening on the bus.
class TDBListener : public QObject, public IWKNotification {
public:
    void Notify(TServiceEvent event, void* sender) override {
        if (event == seDBChange) Names << *static_cast<const QString*>(sender);
    }
    QStringList Names;
};

TEST_F(WellDatabase, EventsReachTheBusOnTheMainThread) {
    const TServiceLoader previous = SetServiceLoader({[] { return std::vector<TServiceRow>(); }, nullptr, nullptr});
    SecondaryServices = std::make_unique<TSecondaryServices>("G", false);
    TDBListener window;
    SecondaryServices->AddNotification(&window);
    {
        TdmWells wells;
        wells.RegisterService();
        QStringList events;
        QObject::connect(&wells, &TdmWells::DatabaseEvent, [&events](const QString& name) {
            EXPECT_TRUE(IsMainThread());
            events << name;
        });
        RunSql({"insert into WELLS values (1)", "insert into RUNS (WELLID, RUNNO) values (1, 1)"});
        ASSERT_TRUE(WaitForEvents([&] { return events.contains("WELLS") && events.contains("RUNS"); }))
            << events.join(',').toStdString();
        RunSql({"insert into OPERATIONLOG (WELLID, OPTIME, OPCLASS, OPCODE) values (1, '2024-01-01 10:00', 1, 2)"});
        ASSERT_TRUE(WaitForEvents([&] { return events.contains("OPERATIONLOG"); }));
        EXPECT_TRUE(window.Names.contains("WELLS") && window.Names.contains("RUNS") &&
                    window.Names.contains("OPERATIONLOG"))
            << window.Names.join(',').toStdString();
        // Only committed changes are announced.
        {
            TDataConnection other = OtherAttachment();
            other.Transaction();
            other.Exec("insert into WELLS values (2)");
            other.Rollback();
        }
        events.clear();
        RunSql({"insert into RUNS (WELLID, RUNNO) values (1, 2)"});
        ASSERT_TRUE(WaitForEvents([&] { return events.contains("RUNS"); }));
        EXPECT_FALSE(events.contains("WELLS"));

        // A message written by another workstation shows once the operation
        // log changes; other changes leave the log alone.
        int reloads = 0;
        QObject::connect(&wells, &TdmWells::LogReloaded, [&reloads] { ++reloads; });
        QString wellsName = "WELLS";
        wells.Notify(seDBChange, &wellsName);
        EXPECT_EQ(reloads, 0);
        RunSql({"insert into LOG (WELLID, RECORDTIME, MESSAGEID, MESSAGETEXT) values (1, 1.5, 1, 'other')",
                "insert into OPERATIONLOG (WELLID, OPTIME, OPCLASS, OPCODE) values (1, '2024-01-01 11:00', 1, 2)"});
        ASSERT_TRUE(WaitForEvents([&] { return reloads == 1; }));
        EXPECT_EQ(wells.tblLog().rowCount(), 1);
        EXPECT_EQ(wells.tblLog().data(wells.tblLog().index(0, 5)).toString(), "other");
        EXPECT_EQ(SecondaryServices->Notifier()->Count(), 2);
    }
    // The module left the bus with its destruction.
    EXPECT_EQ(SecondaryServices->Notifier()->Count(), 1);
    FreeServicesAndNetwork();
    SetServiceLoader(previous);
}

TEST_F(WellDatabase, AcquisitionProgramRegistersNoEvents) {
    InitAsAcquisitionProgram();
    TdmWells wells;
    int events = 0;
    QObject::connect(&wells, &TdmWells::DatabaseEvent, [&events] { ++events; });
    TdmWells marker;  // a workstation-like listener on the same file
    InitAsWorkstation();
    marker.TryOpenDatabase();
    bool seen = false;
    QObject::connect(&marker, &TdmWells::DatabaseEvent, [&seen] { seen = true; });
    RunSql({"insert into WELLS values (1)"});
    ASSERT_TRUE(WaitForEvents([&] { return seen; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(events, 0);
}

TEST_F(WellDatabase, StoredFormulas) {
    TdmWells wells;
    wells.PostFormula({"Скорость", "S101*2", "описание", 1200, "Plotmere"});
    wells.PostFormula({"Other", "S102", "", QVariant(), "Main"});
    try {
        wells.PostFormula({"Скорость", "S1", "", QVariant(), "Main"});
        FAIL() << "duplicate accepted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Формула с таким названием уже существует");
    }
    QList<TFormulaRow> rows = wells.Formulas("Plotmere");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].FORMULATEXT, "S101*2");
    EXPECT_EQ(rows[0].DESCRIPTION, "описание");
    EXPECT_EQ(rows[0].RESGID.toInt(), 1200);

    // Renaming onto another formula's name is a duplicate too.
    EXPECT_THROW(wells.PostFormula({"Other", "x", "", QVariant(), "Plotmere"}, "Скорость"), EDatabaseError);
    wells.PostFormula({"Скорость 2", "S101*3", "", QVariant(), "Plotmere"}, "Скорость");
    rows = wells.Formulas("Plotmere");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].FORMULANAME, "Скорость 2");

    // Inside the caller's transaction: a rollback takes the new formula back.
    wells.dbWells().Transaction();
    wells.PostFormula({"Temp", "1", "", QVariant(), "Plotmere"});
    wells.dbWells().Rollback();
    EXPECT_EQ(wells.Formulas("Plotmere").size(), 1);
    wells.DeleteFormula("Скорость 2");
    EXPECT_TRUE(wells.Formulas("Plotmere").isEmpty());
    EXPECT_EQ(wells.Formulas("Main").size(), 1);
}

TEST_F(WellDatabase, CurrentDepthFollowsTheSecondaryDepthSensor) {
    TdmWells wells;
    TWKStreamList list;
    TSensorDataStream* depth = list.Add(std::make_unique<TSensorDataStream>(101, "Depth.5", "Depth", "Depth", 0, false, 10));
    depth->AddSensor(101);
    TSensorDataStream* time = list.Add(std::make_unique<TSensorDataStream>(0, "Time1s.5", "Time1s", "SrcTime", 1, true, 10));
    TSensorDataArray* a = time->AddSensor(101);
    wells.Notify(sePoll, nullptr);  // not bound yet
    EXPECT_TRUE(std::isnan(wells.FCurrentDepth));
    wells.Notify(seBindStreams, &list);
    wells.Notify(sePoll, nullptr);  // no samples yet
    EXPECT_TRUE(std::isnan(wells.FCurrentDepth));
    struct Step {
        double value;
        TSensorState state;
        double depth;
    };
    for (const Step& s : {Step{100.5, ssNormal, 100.5}, Step{90, ssError, 100.5}, Step{95, ssFixed, 95},
                          Step{96, ssEmpty, 95}, Step{97, ssWarning, 97}}) {
        time->AddRecord();
        a->SetLast(s.value, s.state);
        wells.Notify(sePoll, nullptr);
        EXPECT_DOUBLE_EQ(wells.FCurrentDepth, s.depth) << s.value;
    }
    // A binding without the sensor lets the depth stand.
    TWKStreamList empty;
    wells.Notify(seBindStreams, &empty);
    wells.Notify(sePoll, nullptr);
    EXPECT_DOUBLE_EQ(wells.FCurrentDepth, 97);
}

TEST_F(WellDatabase, UnreachableServerLeavesTheProgramWithoutIt) {
    InitWKConsts({"-DEBUG"}, BinDir() + "/Welvista2");
    // Port 1 of the loopback: nothing listens there.
    TdmWells::SetRemoteComputerName("127.0.0.1/1");
    EXPECT_EQ(WellDatabaseName(), "127.0.0.1/1:Boremont");
    TDebugOutputCapture cap;
    EXPECT_EQ(CreateWellsModule(), nullptr);
    EXPECT_EQ(dmWells(), nullptr);
    EXPECT_EQ(cap.Count("The well database is not available"), 1);
    EXPECT_EQ(cap.Count("TdmWells.TryOpenDatabase exception: "), 1);
    EXPECT_TRUE(cap.Contains("Remote computer = 127.0.0.1/1"));

    // With retry the user is asked for another computer until it connects or
    // the question is cancelled; each choice is stored.
    TdmWells::SetRemoteComputerName("");
    TdmWells wells;  // embedded
    wells.CloseDatabase();
    EXPECT_FALSE(wells.Connected());
    TdmWells::SetRemoteComputerName("127.0.0.1/1");
    auto ui = std::make_shared<TScriptedUIServices>();
    ui->InputAnswers = {"127.0.0.1/2"};
    const auto previous = SetUIServices(ui);
    try {
        wells.OpenDatabase(true);
        ADD_FAILURE() << "connected to nothing";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "База данных Boremont 2 недоступна");
    }
    SetUIServices(previous);
    EXPECT_EQ(ui->Prompts.size(), 2);
    EXPECT_EQ(TdmWells::GetRemoteComputerName(), "127.0.0.1/2");
    EXPECT_THROW(wells.OpenDatabase(false), EDatabaseError);
}
}  // namespace
