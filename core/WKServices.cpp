#include "WKServices.h"

#include "CmdLine.h"
#include "Exceptions.h"
#include "MainThread.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "dm_Service.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <QSqlQuery>
#include <QVariant>
#include <pthread.h>

std::unique_ptr<TPrimarySerivces> PrimaryServices;
std::unique_ptr<TSecondaryServices> SecondaryServices;
std::unique_ptr<IWKServicesNetwork> ServicesNetwork;

namespace {

// The service whose Notify runs on this thread now (innermost), so that a
// forbidden call can name it.
thread_local const TWKService* NotifiedService = nullptr;

// Stream creation and the tree's change hooks take Ring1, which only the main
// thread may take.
void RequireMainThread(const char* where) {
    if (!IsMainThread())
        throw Exception(QStringLiteral("%1: called outside the main thread").arg(QLatin1String(where)));
}

TServiceLoader& Loader() {
    static TServiceLoader loader;
    return loader;
}

// The Services rows of the local database, in table order.
std::vector<TServiceRow> LocalDatabaseRows() {
    if (dmService) return ServiceRowsOf(*dmService);
    DebugLog(QStringLiteral("TWKServices.Load: no local database"));
    return {};
}

std::vector<TServiceRow> LoaderRows() {
    const auto& rows = Loader().Rows;
    return rows ? rows() : LocalDatabaseRows();
}

const TClassInfo* LoaderMetaClass(const QString& name) {
    const auto& lookup = Loader().GetMetaClass;
    if (lookup) return lookup(name);
    return dmService ? dmService->GetMetaClass(name) : ResolveClass(name);
}

bool LoaderHasSwitch(const QString& name) {
    const auto& hasSwitch = Loader().HasSwitch;
    return hasSwitch ? hasSwitch(name) : FindCmdLineSwitch(name);
}

QString CurrentExceptionMessage() {
    try {
        throw;
    } catch (const std::exception& e) {
        return ExceptionMessage(e);
    } catch (...) {
        return QStringLiteral("unknown exception");
    }
}

QString ClassNameOf(const QObject* o) { return QString::fromLatin1(o->metaObject()->className()); }

}  // namespace

std::vector<TServiceRow> ServiceRowsOf(const TdmService& Module) {
    std::vector<TServiceRow> rows;
    QSqlQuery q = Module.OpenTable(QStringLiteral("Services"));
    while (q.next()) {
        rows.push_back({q.value(QStringLiteral("Order")).toInt(), q.value(QStringLiteral("ServiceClass")).toString(),
                        q.value(QStringLiteral("IsPrimary")).toBool(), q.value(QStringLiteral("IsActive")).toBool(),
                        q.value(QStringLiteral("Description")).toString(),
                        q.value(QStringLiteral("ServiceGroup")).toString()});
    }
    return rows;
}

TServiceLoader SetServiceLoader(TServiceLoader NewLoader) {
    TServiceLoader previous = std::move(Loader());
    Loader() = std::move(NewLoader);
    return previous;
}

IWKServicesNetwork::~IWKServicesNetwork() = default;
IWKNotification::~IWKNotification() = default;

// ---------------------------------------------------------------------------
// Services and the notifier

TWKService::TWKService(QObject* Owner) : QObject(Owner) {}
TWKService::~TWKService() = default;

TObjectNotifierService::TObjectNotifierService(QObject* Owner) : TWKService(Owner) {}
TObjectNotifierService::~TObjectNotifierService() = default;

WK_REGISTER_CLASS(TObjectNotifierService)

void TObjectNotifierService::Add(QObject* Item) {
    auto* listener = dynamic_cast<IWKNotification*>(Item);
    if (!listener) return;
    FList.push_back(std::make_shared<TEntry>(TEntry{listener, Item}));
}

void TObjectNotifierService::Remove(QObject* Item) {
    auto* listener = dynamic_cast<IWKNotification*>(Item);
    if (!listener) return;
    auto it = std::find_if(FList.begin(), FList.end(), [&](const auto& e) { return e->Listener == listener; });
    if (it == FList.end()) return;
    (*it)->Removed = true;  // a delivery in progress passes over it
    FList.erase(it);
}

void TObjectNotifierService::Notify(TServiceEvent Event, void* Sender) {
    // Listeners freed without removing themselves are dropped.
    std::erase_if(FList, [](const auto& e) { return !e->Object; });
    const auto snapshot = FList;
    for (const auto& entry : snapshot) {
        if (entry->Removed || !entry->Object) continue;
        try {
            entry->Listener->Notify(Event, Sender);
        } catch (...) {
            DebugLog(QStringLiteral("TObjectNotifierService.Notify: ") +
                     (entry->Object ? ClassNameOf(entry->Object) : QStringLiteral("listener")) +
                     QLatin1Char(' ') + CurrentExceptionMessage());
        }
    }
}

// ---------------------------------------------------------------------------
// A service group

TWKServices::TWKServices(const QString& ServiceGroup) : FServiceGroup(ServiceGroup) {}

TWKServices::~TWKServices() { FreeServices(); }

void TWKServices::FreeServices() {
    // Last created, first freed: later services may use earlier ones.
    while (!FServices.empty()) FServices.pop_back();
}

TWKService* TWKServices::Add(std::unique_ptr<TWKService> Service) {
    FServices.push_back(std::move(Service));
    return FServices.back().get();
}

void TWKServices::Clear() { FreeServices(); }

TWKService* TWKServices::GetService(const QString& ClassName) const {
    for (const auto& s : FServices)
        if (ClassNameOf(s.get()) == ClassName) return s.get();
    return nullptr;
}

void TWKServices::Load(bool IsPrimary, const QString& ServiceGroup) {
    std::vector<TServiceRow> rows;
    try {
        rows = LoaderRows();
    } catch (...) {
        DebugLog(QStringLiteral("TWKServices.Load: ") + CurrentExceptionMessage());
    }
    // Rows of equal Order keep their table order.
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.Order < b.Order; });
    for (const TServiceRow& row : rows) {
        if (row.IsPrimary != IsPrimary || row.ServiceGroup != ServiceGroup) continue;
        // A switch named after the class starts an inactive service for this run.
        if (!row.IsActive && !LoaderHasSwitch(row.ServiceClass)) continue;
        try {
            const TClassInfo* cls = LoaderMetaClass(row.ServiceClass);
            if (!cls) {
                DebugLog(QStringLiteral("Failed to load. Metaclass not found: ") + row.ServiceClass);
                continue;
            }
            std::unique_ptr<QObject> object(cls->Create ? cls->Create(nullptr) : nullptr);
            auto* service = qobject_cast<TWKService*>(object.get());
            if (!service) throw Exception(QStringLiteral("Class %1 is not a service").arg(cls->Name));
            object.release();
            Add(std::unique_ptr<TWKService>(service));
            DebugLog(QStringLiteral("Loaded service ") + cls->Name);
        } catch (...) {
            MessageDlg(row.ServiceClass + QStringLiteral(": ") + CurrentExceptionMessage(), mtWarning, mbOK);
        }
    }
    QString group = ServiceGroup;
    NotifyServices(seGroupLoaded, &group);
}

void TWKServices::CreateStreams() {
    if (FLogging) NotifyServices(seCreateStreams, &FStreams);
}

void TWKServices::BindStreams() {
    if (FLogging) NotifyServices(seBindStreams, &FStreams);
}

void TWKServices::NotifyServices(TServiceEvent Event, void* Sender) {
    // Receivers of these two always get a stream list: nil means the group's own.
    if ((Event == seCreateStreams || Event == seBindStreams) && !Sender) Sender = &FStreams;
    for (size_t i = 0; i < FServices.size(); ++i) {
        TWKService* service = FServices[i].get();
        const TWKService* outer = std::exchange(NotifiedService, service);
        try {
            service->Notify(Event, Sender);
            NotifiedService = outer;
        } catch (...) {
            NotifiedService = outer;
            DebugLog(QStringLiteral("Notify services error: ") + ClassNameOf(service) + QLatin1Char(' ') +
                     CurrentExceptionMessage());
        }
    }
    switch (Event) {
        case seCreateStreams:
            NotifyServices(seBindStreams, &FStreams);
            break;
        case seStartLogging: {
            DebugLog(QStringLiteral("WK: Event seStartLogging"));
            {
                TCriticalSectionGuard guard(Ring0());
                NotifyServices(seCreateStreams, &FStreams);
            }
            FLogging = true;
            break;
        }
        case seStopLogging:
            FLogging = false;
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------
// The primary group and its poll thread

TPollThread::TPollThread(TPrimarySerivces& Owner)
    : FOwner(Owner), FThread([this](std::stop_token stop) { Execute(stop); }) {}

TPollThread::~TPollThread() {
    FThread.request_stop();  // wakes the wait below
    FThread.join();
}

void TPollThread::Execute(std::stop_token Stop) {
    pthread_setname_np(pthread_self(), "TPollThread");
    while (!Stop.stop_requested()) {
        const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(PrimaryPollPeriod);
        FOwner.PollPass();
        std::unique_lock lock(FWaitLock);
        FWake.wait_until(lock, Stop, due, [] { return false; });
    }
}

TPrimarySerivces::TPrimarySerivces(const QString& ServiceGroup, bool StartPolling) : TWKServices(ServiceGroup) {
    if (ServicesNetwork) ServicesNetwork->OnDataChanged = [] { ::CreateStreams(); };  // checks the thread
    Load(true, ServiceGroup);
    // Started only now that the group is complete.
    if (StartPolling) FPollThread = std::make_unique<TPollThread>(*this);
}

TPrimarySerivces::~TPrimarySerivces() {
    if (ServicesNetwork) ServicesNetwork->OnDataChanged = nullptr;
    FPollThread.reset();
    FreeServices();
}

void TPrimarySerivces::NotifyServices(TServiceEvent Event, void* Sender) {
    TCriticalSectionGuard guard(Ring0());
    if (Event == sePoll) FStreams.ResetNewCounters();
    if (ServicesNetwork) {
        try {
            ServicesNetwork->Notify(Event, Sender);
        } catch (...) {
            DebugLog(QStringLiteral("WK: Notify network error: ") + CurrentExceptionMessage());
        }
    }
    TWKServices::NotifyServices(Event, Sender);
}

void TPrimarySerivces::PollPass() {
    TCriticalSectionGuard guard(Ring0());
    try {
        if (FLogging) {
            NotifyServices(sePoll, nullptr);
            NotifyServices(sePostData, &FStreams);
        } else {
            NotifyServices(seIdle, nullptr);
        }
    } catch (...) {
        DebugLog(QStringLiteral("TPollThread.Execute: ") + CurrentExceptionMessage());
    }
}

// ---------------------------------------------------------------------------
// The secondary group and its timer

TSecondaryServices::TSecondaryServices(const QString& ServiceGroup, bool StartTimer) : TWKServices(ServiceGroup) {
    if (ServicesNetwork)
        ServicesNetwork->OnChanged = [this] {
            RequireMainThread("TSecondaryServices.OnNetworkChange");
            NotifyServices(seNetworkChange, nullptr);
        };
    Load(false, ServiceGroup);
    // Always the last service: listeners hear every event after all services.
    FNotifier = static_cast<TObjectNotifierService*>(Add(std::make_unique<TObjectNotifierService>()));
    FTimer = std::make_unique<QTimer>();
    FTimer->setInterval(SecondaryPollPeriod);
    QObject::connect(FTimer.get(), &QTimer::timeout, [this] { ProcessTimer(); });
    if (StartTimer) FTimer->start();
}

TSecondaryServices::~TSecondaryServices() {
    if (ServicesNetwork) ServicesNetwork->OnChanged = nullptr;
    FTimer.reset();
    FreeServices();
}

void TSecondaryServices::NotifyServices(TServiceEvent Event, void* Sender) {
    TCriticalSectionGuard guard(Ring1());
    // Before any service hears of new streams, the own list is a fresh copy of the primary one.
    if (Event == seCreateStreams && PrimaryServices) FStreams.SyncronizeWith(PrimaryServices->Streams());
    TWKServices::NotifyServices(Event, Sender);
}

// A tick: a tick that finds the previous one still running (a listener pumped
// the event loop) returns at once. Otherwise, with logging on, the new primary
// records are copied when Ring0 is free at once (else the backlog waits for a
// later tick: the copy works from the total counters), and sePoll and
// sePostData follow; every such tick ends with seIdle, also with logging off.
void TSecondaryServices::ProcessTimer() {
    if (FInTimer) return;
    FInTimer = true;
    {
        TCriticalSectionGuard guard(Ring1());
        if (FLogging) {
            try {
                FStreams.ResetNewCounters();
                if (PrimaryServices) {
                    if (Ring0().TryEnter()) {
                        try {
                            FStreams.CopyFrom(PrimaryServices->Streams());
                        } catch (...) {
                            DebugLog(QStringLiteral("Copy from primary exception: ") + CurrentExceptionMessage());
                        }
                        Ring0().Leave();
                    } else {
                        DebugLog(QStringLiteral("Secondary copy from skipped"));
                    }
                }
                NotifyServices(sePoll, this);
                NotifyServices(sePostData, this);
            } catch (...) {
                DebugLog(QStringLiteral("TSecondaryServices.ProcessTimer exception: ") + CurrentExceptionMessage());
            }
        }
        try {
            NotifyServices(seIdle, this);
        } catch (...) {
            DebugLog(QStringLiteral("TSecondaryServices.ProcessTimer exception: ") + CurrentExceptionMessage());
        }
    }
    FInTimer = false;
}

// ---------------------------------------------------------------------------
// Free functions

void NotifyServices(TServiceEvent Event, void* Sender) {
    if (PrimaryServices) PrimaryServices->NotifyServices(Event, Sender);
    if (SecondaryServices) SecondaryServices->NotifyServices(Event, Sender);
}

void CreateStreams() {
    // Ring1 before Ring0, as everywhere else on the main thread (only the main
    // thread may take Ring1).
    RequireMainThread("CreateStreams");
    TCriticalSectionGuard ring1(Ring1());
    TCriticalSectionGuard ring0(Ring0());
    DebugLog(QStringLiteral("WK: Creating streams"));
    if (PrimaryServices) PrimaryServices->CreateStreams();
    if (SecondaryServices) SecondaryServices->CreateStreams();
}

void BindStreams() {
    if (PrimaryServices) PrimaryServices->BindStreams();
    if (SecondaryServices) SecondaryServices->BindStreams();
}

void ThreadNotifyServices(TServiceEvent Event, void* Sender) {
    // A thread holding Ring0 (a primary service in a poll pass) would wait for
    // the main thread while the main thread waits for Ring0: refuse instead.
    if (!IsMainThread() && Ring0().HeldByCurrentThread())
        throw Exception(QStringLiteral("ThreadNotifyServices(%1) from %2 while it holds Ring0: a primary service must "
                                       "not wait for the main thread during a poll pass")
                            .arg(ServiceEventName(Event),
                                 NotifiedService ? ClassNameOf(NotifiedService) : QStringLiteral("a thread")));
    SynchronizeWithMainThread([Event, Sender] { NotifyServices(Event, Sender); });
}

void FreeServicesAndNetwork() {
    SecondaryServices.reset();
    PrimaryServices.reset();
    ServicesNetwork.reset();
}
