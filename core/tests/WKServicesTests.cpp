#include "CmdLine.h"
#include "DebugOutput.h"
#include "Exceptions.h"
#include "MainThread.h"
#include "TestSupport.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKLocalDB.h"
#include "WKServices.h"
#include "dm_Service.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <ostream>
#include <thread>

// Readable QStrings in failure messages.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// ---------------------------------------------------------------------------
// A journal of every event the test services and listeners hear.

struct TEntry {
    QString Who;
    TServiceEvent Event;
    void* Sender;
    QString Detail;  // the group name of seGroupLoaded; stream IDs of a list sender
    bool OnMain;
};

std::mutex JournalLock;
std::condition_variable JournalChanged;
std::vector<TEntry> JournalEntries;

void Record(const QString& who, TServiceEvent e, void* sender, const QString& detail = {}) {
    const bool onMain = IsMainThread();
    {
        std::lock_guard lock(JournalLock);
        JournalEntries.push_back({who, e, sender, detail, onMain});
    }
    JournalChanged.notify_all();
}

std::vector<TEntry> Journal() {
    std::lock_guard lock(JournalLock);
    return JournalEntries;
}

void ClearJournal() {
    std::lock_guard lock(JournalLock);
    JournalEntries.clear();
}

// "Who:seEvent" lines of the journal.
QStringList Trace() {
    QStringList out;
    for (const TEntry& e : Journal()) out << e.Who + ':' + ServiceEventName(e.Event);
    return out;
}

QString StreamIDs(void* sender) {
    QStringList ids;
    auto* list = static_cast<TWKStreamList*>(sender);
    for (int i = 0; i < list->Count(); ++i) ids << list->GetStreamByIndex(i)->ID();
    return ids.join(',');
}

void RecordEvent(const QString& who, TServiceEvent e, void* sender) {
    QString detail;
    if (e == seGroupLoaded) detail = *static_cast<const QString*>(sender);
    if ((e == seCreateStreams || e == seBindStreams) && sender) detail = StreamIDs(sender);
    Record(who, e, sender, detail);
}

}  // namespace

// Services that only record.
class TRecA : public TWKService {
    Q_OBJECT
public:
    using TWKService::TWKService;
    void Notify(TServiceEvent e, void* sender) override { RecordEvent("A", e, sender); }
};
class TRecB : public TWKService {
    Q_OBJECT
public:
    using TWKService::TWKService;
    void Notify(TServiceEvent e, void* sender) override { RecordEvent("B", e, sender); }
};
class TRecC : public TWKService {
    Q_OBJECT
public:
    using TWKService::TWKService;
    void Notify(TServiceEvent e, void* sender) override { RecordEvent("C", e, sender); }
};
class TRecD : public TWKService {
    Q_OBJECT
public:
    using TWKService::TWKService;
    void Notify(TServiceEvent e, void* sender) override { RecordEvent("D", e, sender); }
};
// A secondary service.
class TRecS : public TWKService {
    Q_OBJECT
public:
    using TWKService::TWKService;
    void Notify(TServiceEvent e, void* sender) override { RecordEvent("S", e, sender); }
};
// Raises on every event.
class TThrower : public TWKService {
    Q_OBJECT
public:
    using TWKService::TWKService;
    void Notify(TServiceEvent e, void* sender) override {
        RecordEvent("T", e, sender);
        throw Exception("boom");
    }
};
class TCtorFails : public TWKService {
    Q_OBJECT
public:
    explicit TCtorFails(QObject* owner = nullptr) : TWKService(owner) { throw Exception("constructor failed"); }
    void Notify(TServiceEvent, void*) override {}
};
class TNotAService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
};
// The acquisition side in small: creates its stream in the sender's list and
// appends one record (stamped 1, 2, ...) on every primary poll.
class TStreamMaker : public TWKService {
    Q_OBJECT
public:
    using TWKService::TWKService;
    void Notify(TServiceEvent e, void* sender) override {
        RecordEvent("M", e, sender);
        if (e == seCreateStreams) {
            auto* list = static_cast<TWKStreamList*>(sender);
            FStream = list->GetStreamByID("Time1s.W1");
            if (!FStream) {
                FStream = list->Add(std::make_unique<TSensorDataStream>(0, "Time1s.W1", "t", "SrcTime", 1, true, 100));
                FStream->AddSensor(0);
                FStream->AddSensor(101);
            }
        } else if (e == sePoll && FStream) {
            FStream->AddRecord();
            FStream->GetSensor(0)->SetLast(++FStamp);
            Polls.fetch_add(1);
        }
    }
    TSensorDataStream* FStream = nullptr;
    int FStamp = 0;
    static inline std::atomic<int> Polls{0};
};
// Checks from another thread whether Ring0 is held while it is notified.
class TRing0Probe : public TWKService {
    Q_OBJECT
public:
    using TWKService::TWKService;
    void Notify(TServiceEvent e, void*) override {
        if (e != seSettingsChange) return;
        const bool free = std::async(std::launch::async, [] {
                              if (!Ring0().TryEnter()) return false;
                              Ring0().Leave();
                              return true;
                          }).get();
        Record(free ? "Ring0 free" : "Ring0 held", e, nullptr);
    }
};

// A primary service that wrongly waits for the main thread in a poll pass.
class TWaitsForMain : public TWKService {
    Q_OBJECT
public:
    using TWKService::TWKService;
    void Notify(TServiceEvent e, void*) override {
        if (e == sePoll) ThreadNotifyServices(seAlert, nullptr);
    }
};

WK_REGISTER_CLASS(TWaitsForMain)
WK_REGISTER_CLASS(TRecA)
WK_REGISTER_CLASS(TRecB)
WK_REGISTER_CLASS(TRecC)
WK_REGISTER_CLASS(TRecD)
WK_REGISTER_CLASS(TRecS)
WK_REGISTER_CLASS(TThrower)
WK_REGISTER_CLASS(TCtorFails)
WK_REGISTER_CLASS(TNotAService)
WK_REGISTER_CLASS(TStreamMaker)
WK_REGISTER_CLASS(TRing0Probe)

// A window or control listening on the bus.
class TListener : public QObject, public IWKNotification {
    Q_OBJECT
public:
    explicit TListener(const QString& name) : FName(name) {}
    void Notify(TServiceEvent e, void* sender) override {
        RecordEvent(FName, e, sender);
        if (OnNotify) OnNotify(e);
    }
    QString FName;
    std::function<void(TServiceEvent)> OnNotify;
};

namespace {

class TFakeNetwork : public IWKServicesNetwork {
public:
    void Notify(TServiceEvent e, void* sender) override {
        RecordEvent("N", e, sender);
        if (Fail) throw Exception("network down");
    }
    bool Fail = false;
};

TServiceRow Row(int order, const QString& cls, bool primary, const QString& group = "G", bool active = true) {
    return {order, cls, primary, active, QString(), group};
}

class ServicesBus : public ::testing::Test {
protected:
    void SetUp() override {
        InitWKConsts({"-DEBUG"}, "/opt/wk/Welvista2");
        FPreviousUI = SetUIServices(UI);
        SetServiceLoader({[this] { return Rows; }, nullptr,
                          [this](const QString& name) { return FindCmdLineSwitch(Args, name); }});
        ClearJournal();
        Capture.Clear();
    }
    void TearDown() override {
        FreeServicesAndNetwork();
        SetServiceLoader({});
        SetUIServices(FPreviousUI);
        InitWKConsts({}, "/opt/wk/Welvista2");
    }
    // Primary: the stream maker and A; secondary: S; plus a listener.
    void StartStandardGroups() {
        Rows = {Row(1, "TStreamMaker", true), Row(2, "TRecA", true), Row(1, "TRecS", false)};
        PrimaryServices = std::make_unique<TPrimarySerivces>("G", false);
        SecondaryServices = std::make_unique<TSecondaryServices>("G", false);
        SecondaryServices->AddNotification(&Listener);
        ClearJournal();
    }
    TSensorDataStream* SecondaryStream() { return SecondaryServices->Streams().GetStreamByID("Time1s.W1"); }

    TTempXdgHome Home;
    TDebugOutputCapture Capture;
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> FPreviousUI;
    std::vector<TServiceRow> Rows;
    QStringList Args;
    TListener Listener{"L"};
};

// ---------------------------------------------------------------------------
// Loading

TEST_F(ServicesBus, LoadPicksTheGroupsRowsInOrder) {
    struct Case {
        QStringList Args;
        QStringList Services;
    };
    const Case cases[] = {
        {{}, {"TRecA", "TRecB", "TRecC"}},
        {{"/TRECD"}, {"TRecA", "TRecB", "TRecC", "TRecD"}},  // switch of an inactive row, any case
        {{"-trecd"}, {"TRecA", "TRecB", "TRecC", "TRecD"}},
        {{"TRecD"}, {"TRecA", "TRecB", "TRecC"}},  // not a switch
    };
    for (const Case& c : cases) {
        Args = c.Args;
        Rows = {Row(2, "TRecB", true),          Row(1, "TRecA", true),
                Row(2, "TRecC", true),          // equal Order: table order
                Row(0, "TRecA", true, "Other"), Row(0, "TRecS", false),
                Row(3, "TRecD", true, "G", false), Row(4, "TMissing", true),
                Row(5, "TCtorFails", true),     Row(6, "TNotAService", true)};
        UI->Messages.clear();
        Capture.Clear();
        ClearJournal();
        TPrimarySerivces group("G", false);
        QStringList loaded;
        for (int i = 0; i < group.Count(); ++i) loaded << group.Service(i)->metaObject()->className();
        EXPECT_EQ(loaded, c.Services) << c.Args.join(' ').toStdString();
        EXPECT_TRUE(Capture.Contains("Failed to load. Metaclass not found: TMissing"));
        EXPECT_TRUE(Capture.Contains("Loaded service TRecB"));
        EXPECT_EQ(UI->Messages, QStringList({"TCtorFails: constructor failed",
                                             "TNotAService: Class TNotAService is not a service"}));
        // Every service hears seGroupLoaded with the group's name once the group is complete.
        const auto j = Journal();
        ASSERT_EQ(j.size(), static_cast<size_t>(c.Services.size()));
        for (const TEntry& e : j) {
            EXPECT_EQ(e.Event, seGroupLoaded);
            EXPECT_EQ(e.Detail, "G");
        }
    }
}

TEST_F(ServicesBus, RowsAndClassesComeFromTheLocalDatabase) {
    QTemporaryDir dir;
    QFile rows(dir.filePath("rows.sql"));
    ASSERT_TRUE(rows.open(QIODevice::WriteOnly));
    rows.write("INSERT INTO Services (\"Order\", ServiceClass, IsPrimary, IsActive, Description, ServiceGroup) VALUES\n"
               "(2, 'TRecB', 1, 1, '', 'G'), (1, 'TRecA', 1, 1, '', 'G'), (2, 'TRecC', 1, 1, '', 'G'),\n"
               "(3, 'TRecD', 1, 0, '', 'G'), (1, 'TRecS', 0, 1, '', 'G'), (9, 'TUnknown', 1, 1, '', 'G');\n");
    rows.close();
    BuildLocalDatabase(dir.filePath("WK.db"), {SourceDir() + "/config/local/10-schema.sql", rows.fileName()});
    TdmService dm(dir.filePath("WK.db"));
    TdmService::SetCurrent(&dm);
    SetServiceLoader({});
    {
        TPrimarySerivces group("G", false);
        QStringList loaded;
        for (int i = 0; i < group.Count(); ++i) loaded << group.Service(i)->metaObject()->className();
        EXPECT_EQ(loaded, QStringList({"TRecA", "TRecB", "TRecC"}));
        EXPECT_TRUE(Capture.Contains("WK: failed to locate class module TUnknown"));
        EXPECT_TRUE(Capture.Contains("Failed to load. Metaclass not found: TUnknown"));
    }
    TdmService::SetCurrent(nullptr);
}

TEST_F(ServicesBus, GetServiceByExactClassName) {
    Rows = {Row(1, "TRecA", true), Row(2, "TRecB", true)};
    TPrimarySerivces group("G", false);
    EXPECT_EQ(group.GetService("TRecB"), group.Service(1));
    EXPECT_EQ(group.GetService("trecb"), nullptr);
    EXPECT_EQ(group.GetService("TRecS"), nullptr);
}

TEST_F(ServicesBus, NotifierIsTheLastSecondaryServiceAndRegistered) {
    Rows = {Row(1, "TRecS", false)};
    TSecondaryServices group("G", true);
    ASSERT_EQ(group.Count(), 2);
    EXPECT_EQ(group.Service(1), group.Notifier());
    ASSERT_NE(FindClass("TObjectNotifierService"), nullptr);
    EXPECT_TRUE(group.Timer()->isActive());
    EXPECT_EQ(group.Timer()->interval(), 200);
    EXPECT_FALSE(TSecondaryServices("G", false).Timer()->isActive());
}

// ---------------------------------------------------------------------------
// Order of events

TEST_F(ServicesBus, StartLoggingCreatesAndBindsBeforeTheFirstPoll) {
    StartStandardGroups();
    int marker = 0;
    NotifyServices(seStartLogging, &marker);
    EXPECT_EQ(Trace(), QStringList({"M:seStartLogging", "A:seStartLogging", "M:seCreateStreams", "A:seCreateStreams",
                                    "M:seBindStreams", "A:seBindStreams",  // primary first
                                    "S:seStartLogging", "L:seStartLogging", "S:seCreateStreams", "L:seCreateStreams",
                                    "S:seBindStreams", "L:seBindStreams"}));  // listeners last
    const auto j = Journal();
    EXPECT_EQ(j[0].Sender, &marker);
    EXPECT_EQ(j[2].Sender, &PrimaryServices->Streams());
    EXPECT_EQ(j[8].Sender, &SecondaryServices->Streams());
    // The secondary services hear seCreateStreams with a copy of the primary streams already in place.
    EXPECT_EQ(j[8].Detail, "Time1s.W1");
    EXPECT_NE(SecondaryStream(), PrimaryServices->Streams().GetStreamByID("Time1s.W1"));
    EXPECT_TRUE(PrimaryServices->Logging());
    EXPECT_TRUE(SecondaryServices->Logging());

    ClearJournal();
    PrimaryServices->PollPass();
    SecondaryServices->ProcessTimer();
    EXPECT_EQ(Trace(), QStringList({"M:sePoll", "A:sePoll", "M:sePostData", "A:sePostData", "S:sePoll", "L:sePoll",
                                    "S:sePostData", "L:sePostData", "S:seIdle", "L:seIdle"}));
    const auto k = Journal();
    EXPECT_EQ(k[0].Sender, nullptr);
    EXPECT_EQ(k[2].Sender, &PrimaryServices->Streams());
    for (size_t i = 4; i < k.size(); ++i) EXPECT_EQ(k[i].Sender, SecondaryServices.get());
    ASSERT_NE(SecondaryStream(), nullptr);
    EXPECT_EQ(SecondaryStream()->NewCount(), 1);
    EXPECT_EQ(SecondaryStream()->GetSensor(0)->Last(), 1);
}

TEST_F(ServicesBus, CreateAndBindStreamsOnlyWhileLogging) {
    StartStandardGroups();
    CreateStreams();
    BindStreams();
    EXPECT_TRUE(Trace().isEmpty());
    NotifyServices(seStartLogging, nullptr);
    ClearJournal();
    BindStreams();
    EXPECT_EQ(Trace(), QStringList({"M:seBindStreams", "A:seBindStreams", "S:seBindStreams", "L:seBindStreams"}));
    ClearJournal();
    CreateStreams();
    EXPECT_EQ(Trace().count("L:seCreateStreams"), 1);
    EXPECT_EQ(Trace().count("L:seBindStreams"), 1);
    // A nil sender for these two means the group's own list.
    ClearJournal();
    NotifyServices(seBindStreams, nullptr);
    for (const TEntry& e : Journal()) {
        const void* own = e.Who == "S" || e.Who == "L" ? &SecondaryServices->Streams() : &PrimaryServices->Streams();
        EXPECT_EQ(e.Sender, own) << e.Who.toStdString();
    }
    // Stopped: the tick raises only seIdle again.
    NotifyServices(seStopLogging, nullptr);
    EXPECT_FALSE(PrimaryServices->Logging());
    ClearJournal();
    CreateStreams();
    SecondaryServices->ProcessTimer();
    EXPECT_EQ(Trace(), QStringList({"S:seIdle", "L:seIdle"}));
}

// ---------------------------------------------------------------------------
// The secondary tick

TEST_F(ServicesBus, TickTable) {
    StartStandardGroups();
    // Logging off: only seIdle, with the group as sender.
    SecondaryServices->ProcessTimer();
    EXPECT_EQ(Trace(), QStringList({"S:seIdle", "L:seIdle"}));
    EXPECT_EQ(Journal()[0].Sender, SecondaryServices.get());

    NotifyServices(seStartLogging, nullptr);
    PrimaryServices->PollPass();
    ClearJournal();
    // A tick started while the previous one still runs raises nothing.
    Listener.OnNotify = [](TServiceEvent e) {
        if (e == sePoll) SecondaryServices->ProcessTimer();
    };
    SecondaryServices->ProcessTimer();
    Listener.OnNotify = nullptr;
    EXPECT_EQ(Trace(), QStringList({"S:sePoll", "L:sePoll", "S:sePostData", "L:sePostData", "S:seIdle", "L:seIdle"}));
    EXPECT_EQ(SecondaryStream()->NewCount(), 1);

    // Ring0 busy (the poll thread inside a pass): the copy is skipped, the events still come.
    PrimaryServices->PollPass();
    PrimaryServices->PollPass();
    std::promise<void> held, release;
    std::thread poller([&] {
        TCriticalSectionGuard guard(Ring0());
        held.set_value();
        release.get_future().wait();
    });
    held.get_future().wait();
    ClearJournal();
    SecondaryServices->ProcessTimer();
    release.set_value();
    poller.join();
    EXPECT_TRUE(Capture.Contains("Secondary copy from skipped"));
    EXPECT_EQ(Trace(), QStringList({"S:sePoll", "L:sePoll", "S:sePostData", "L:sePostData", "S:seIdle", "L:seIdle"}));
    EXPECT_EQ(SecondaryStream()->NewCount(), 0);
    EXPECT_EQ(SecondaryStream()->GetDataCount(), 1);

    // The backlog comes with the next tick that gets Ring0.
    PrimaryServices->PollPass();
    SecondaryServices->ProcessTimer();
    ASSERT_EQ(SecondaryStream()->NewCount(), 3);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(SecondaryStream()->GetSensor(0)->GetValue(i), i + 1);
}

// ---------------------------------------------------------------------------
// Isolation of failures

TEST_F(ServicesBus, FailingServiceDoesNotStopTheOthers) {
    Rows = {Row(1, "TThrower", true), Row(2, "TRecA", true), Row(1, "TThrower", false), Row(2, "TRecS", false)};
    PrimaryServices = std::make_unique<TPrimarySerivces>("G", false);
    SecondaryServices = std::make_unique<TSecondaryServices>("G", false);
    SecondaryServices->AddNotification(&Listener);
    ClearJournal();
    Capture.Clear();
    NotifyServices(seSettingsChange, nullptr);
    EXPECT_EQ(Trace(), QStringList({"T:seSettingsChange", "A:seSettingsChange", "T:seSettingsChange",
                                    "S:seSettingsChange", "L:seSettingsChange"}));
    EXPECT_EQ(Capture.Count("Notify services error: TThrower boom"), 2);
}

TEST_F(ServicesBus, ListenersAreIsolatedAndMayLeaveDuringDelivery) {
    Rows = {};
    SecondaryServices = std::make_unique<TSecondaryServices>("G", false);
    TListener l1("L1"), l2("L2"), l3("L3"), l4("L4");
    l1.OnNotify = [](TServiceEvent) { throw Exception("listener failed"); };
    l2.OnNotify = [&](TServiceEvent) { SecondaryServices->RemoveNotification(&l3); };
    auto* gone = new TListener("Gone");
    QObject plain;
    for (QObject* o : std::initializer_list<QObject*>{&l1, &l2, &l3, gone, &l4, &plain})
        SecondaryServices->AddNotification(o);
    EXPECT_EQ(SecondaryServices->Notifier()->Count(), 5);  // a plain object is no listener
    delete gone;  // freed without removing itself
    NotifyServices(seAlert, nullptr);
    EXPECT_EQ(Trace(), QStringList({"L1:seAlert", "L2:seAlert", "L4:seAlert"}));
    EXPECT_TRUE(Capture.Contains("TObjectNotifierService.Notify: TListener listener failed"));

    // A listener added twice hears twice; one removal leaves one registration.
    l1.OnNotify = l2.OnNotify = nullptr;
    SecondaryServices->RemoveNotification(&l1);
    SecondaryServices->RemoveNotification(&l2);
    SecondaryServices->AddNotification(&l4);
    ClearJournal();
    NotifyServices(seAlert, nullptr);
    EXPECT_EQ(Trace(), QStringList({"L4:seAlert", "L4:seAlert"}));
    SecondaryServices->RemoveNotification(&l4);
    SecondaryServices->RemoveNotification(&l3);  // not registered: nothing
    ClearJournal();
    NotifyServices(seAlert, nullptr);
    EXPECT_EQ(Trace(), QStringList({"L4:seAlert"}));
}

// ---------------------------------------------------------------------------
// The primary pass

TEST_F(ServicesBus, PollPassTable) {
    Rows = {Row(1, "TStreamMaker", true), Row(2, "TRing0Probe", true)};
    PrimaryServices = std::make_unique<TPrimarySerivces>("G", false);
    ClearJournal();
    PrimaryServices->PollPass();
    EXPECT_EQ(Trace(), QStringList({"M:seIdle"}));
    EXPECT_EQ(Journal()[0].Sender, nullptr);

    NotifyServices(seStartLogging, nullptr);
    TSensorDataStream* s = PrimaryServices->Streams().GetStreamByID("Time1s.W1");
    ASSERT_NE(s, nullptr);
    for (int k = 0; k < 5; ++k) s->AddRecord();
    ClearJournal();
    PrimaryServices->PollPass();
    EXPECT_EQ(Trace(), QStringList({"M:sePoll", "M:sePostData"}));
    EXPECT_EQ(Journal()[1].Sender, &PrimaryServices->Streams());
    EXPECT_EQ(s->NewCount(), 1);  // reset at sePoll, then one record

    // Events from the main thread also reach the primary services under Ring0.
    ClearJournal();
    NotifyServices(seSettingsChange, nullptr);
    EXPECT_EQ(Trace(), QStringList({"M:seSettingsChange", "Ring0 held:seSettingsChange"}));
}

class TFailingPrimary : public TPrimarySerivces {
public:
    TFailingPrimary() : TPrimarySerivces("G", false) {}
    void NotifyServices(TServiceEvent e, void* sender) override {
        if (e == seIdle) throw Exception("pass failed");
        TPrimarySerivces::NotifyServices(e, sender);
    }
};

TEST_F(ServicesBus, PollPassFailureIsLogged) {
    TFailingPrimary group;
    group.PollPass();
    EXPECT_TRUE(Capture.Contains("TPollThread.Execute: pass failed"));
    EXPECT_TRUE(Ring0().TryEnter());  // left again
    Ring0().Leave();
}

// ---------------------------------------------------------------------------
// The equipment tree

TEST_F(ServicesBus, NetworkHearsFirstAndTriggersStreamsAndChanges) {
    auto* net = new TFakeNetwork;
    ServicesNetwork.reset(net);
    StartStandardGroups();
    ASSERT_TRUE(net->OnDataChanged);
    ASSERT_TRUE(net->OnChanged);
    NotifyServices(seStartLogging, nullptr);
    EXPECT_EQ(Trace().mid(0, 2), QStringList({"N:seStartLogging", "M:seStartLogging"}));

    ClearJournal();
    net->OnDataChanged();  // the tree's data changed: streams again
    QStringList t = Trace();
    EXPECT_EQ(t.count("M:seCreateStreams"), 1);
    EXPECT_EQ(t.count("S:seCreateStreams"), 1);
    EXPECT_EQ(t.count("L:seBindStreams"), 1);
    ClearJournal();
    net->OnChanged();
    EXPECT_EQ(Trace(), QStringList({"S:seNetworkChange", "L:seNetworkChange"}));
    EXPECT_EQ(Journal()[0].Sender, nullptr);

    net->Fail = true;
    ClearJournal();
    NotifyServices(seAlert, nullptr);
    EXPECT_TRUE(Capture.Contains("WK: Notify network error: network down"));
    EXPECT_EQ(Trace().count("M:seAlert"), 1);

    SecondaryServices.reset();
    EXPECT_FALSE(net->OnChanged);
    FreeServicesAndNetwork();
    EXPECT_FALSE(PrimaryServices);
    EXPECT_FALSE(ServicesNetwork);
}

// ---------------------------------------------------------------------------
// Threads (also run under ThreadSanitizer)

TEST_F(ServicesBus, PollThreadAndSecondaryTicksRunTogether) {
    Rows = {Row(1, "TStreamMaker", true), Row(1, "TRecS", false)};
    TStreamMaker::Polls = 0;
    PrimaryServices = std::make_unique<TPrimarySerivces>("G", true);
    SecondaryServices = std::make_unique<TSecondaryServices>("G", false);
    NotifyServices(seStartLogging, nullptr);
    // Tick on the main thread while the poll thread adds records; a tick that
    // meets a pass in progress skips the copy and a later one catches up.
    for (int round = 0; round < 12; ++round) {
        const int before = TStreamMaker::Polls;
        {
            std::unique_lock lock(JournalLock);
            ASSERT_TRUE(JournalChanged.wait_for(lock, std::chrono::seconds(60),
                                                [&] { return TStreamMaker::Polls > before; }));
        }
        SecondaryServices->ProcessTimer();
        TSensorDataStream* s = SecondaryStream();
        ASSERT_NE(s, nullptr);
        const int count = s->GetDataCount();
        if (count == 0) continue;
        TSensorDataArray* time = s->GetSensor(0);
        for (int i = 0; i < count; ++i) ASSERT_EQ(time->GetValue(i), time->GetValue(0) + i);  // no loss, no duplicate
        EXPECT_EQ(time->Last(), s->TotalCount());
    }
    for (const TEntry& e : Journal()) {
        if (e.Who == "M" && (e.Event == sePoll || e.Event == sePostData)) {
            EXPECT_FALSE(e.OnMain);
        }
    }

    // A worker raises an event: it runs in the main thread and the worker waits for it.
    ClearJournal();
    std::atomic<bool> done{false};
    int marker = 0;
    std::thread worker([&] {
        ThreadNotifyServices(seAlert, &marker);
        done = true;
    });
    ASSERT_TRUE(ProcessEventsUntil([&] { return done.load(); }, 1000000));
    worker.join();
    bool heard = false;
    for (const TEntry& e : Journal()) {
        if (e.Who != "S" || e.Event != seAlert) continue;
        heard = true;
        EXPECT_TRUE(e.OnMain);
        EXPECT_EQ(e.Sender, &marker);
    }
    EXPECT_TRUE(heard);
    FreeServicesAndNetwork();  // stops and awaits the poll thread
}

TEST_F(ServicesBus, MainThreadWaitsAndStreamCreationRefusedOffTheMainThread) {
    Rows = {Row(1, "TStreamMaker", true), Row(2, "TWaitsForMain", true), Row(1, "TRecS", false)};
    PrimaryServices = std::make_unique<TPrimarySerivces>("G", false);
    SecondaryServices = std::make_unique<TSecondaryServices>("G", false);
    NotifyServices(seStartLogging, nullptr);
    ClearJournal();
    // A pass on another thread, as the poll thread runs it, while the main
    // thread waits for that thread: the forbidden call fails at once.
    std::thread poller([] { PrimaryServices->PollPass(); });
    poller.join();
    EXPECT_TRUE(Capture.Contains("Notify services error: TWaitsForMain ThreadNotifyServices(seAlert) from TWaitsForMain "
                                 "while it holds Ring0"))
        << Capture.Lines().join('\n').toStdString();
    EXPECT_EQ(Trace(), QStringList({"M:sePoll", "M:sePostData"}));  // the rest of the pass went on
    EXPECT_TRUE(Ring0().TryEnter());
    Ring0().Leave();

    // Streams and the tree's change hooks belong to the main thread.
    QString failure;
    std::thread creator([&] {
        try {
            CreateStreams();
        } catch (const std::exception& e) {
            failure = ExceptionMessage(e);
        }
    });
    creator.join();
    EXPECT_EQ(failure, "CreateStreams: called outside the main thread");
}

}  // namespace

#include "WKServicesTests.moc"
