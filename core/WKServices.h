#pragma once
// The service bus: services created by class name from the Services rows of
// the local database, kept in two groups. The primary group is driven by its
// poll thread every 50 ms and works on the primary stream list under Ring0; the
// secondary group is driven by a 200 ms timer in the main thread, copies the
// new primary records into its own list and ends with the notifier service,
// which passes every event on to the registered listeners.
#include "ClassRegistry.h"
#include "Sets.h"
#include "WKDataStructures.h"
#include "WKMessages.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#pragma GCC visibility push(default)

enum TWKServiceOption { soPrimary, soSystem, soHidden };
using TWKServiceOptions = TSet<TWKServiceOption>;

// The base of every service. A plug-in derives from it, registers its class by
// name (WK_REGISTER_CLASS) and handles the bus events in Notify.
class TWKService : public QObject {
    Q_OBJECT
public:
    explicit TWKService(QObject* Owner = nullptr);
    ~TWKService() override;
    virtual void Notify(TServiceEvent Event, void* Sender) = 0;
    TWKServiceOptions Options() const { return FOptions; }

protected:
    TWKServiceOptions FOptions;  // set by the service itself; the bus does not read it
};

// The listener interface of the notifier service; windows, controls and data
// modules implement it beside QObject.
class IWKNotification {
public:
    virtual ~IWKNotification();
    virtual void Notify(TServiceEvent Event, void* Sender) = 0;
};

// Passes every event on to its listeners, in registration order. Delivery
// works on a snapshot of the list: a listener removed meanwhile is skipped, a
// destroyed one too, and a listener that raises does not stop the others.
class TObjectNotifierService : public TWKService {
    Q_OBJECT
public:
    explicit TObjectNotifierService(QObject* Owner = nullptr);
    ~TObjectNotifierService() override;
    // Appends Item when it implements IWKNotification (no duplicate check).
    void Add(QObject* Item);
    // Removes the first registration of Item.
    void Remove(QObject* Item);
    int Count() const { return static_cast<int>(FList.size()); }
    void Notify(TServiceEvent Event, void* Sender) override;

private:
    struct TEntry {
        IWKNotification* Listener;
        QPointer<QObject> Object;
        bool Removed = false;
    };
    std::vector<std::shared_ptr<TEntry>> FList;
};

// One row of the Services table.
struct TServiceRow {
    int Order = 0;
    QString ServiceClass;
    bool IsPrimary = false;
    bool IsActive = true;
    QString Description;
    QString ServiceGroup;
};

// Where the groups find their rows and classes. Rows come in table order;
// the groups order them by Order themselves. Unset members use the defaults:
// the Services table and GetMetaClass of dmService (without dmService: no
// rows, and the class registry), and the program's switches.
class TdmService;

struct TServiceLoader {
    std::function<std::vector<TServiceRow>()> Rows;
    std::function<const TClassInfo*(const QString& ClassName)> GetMetaClass;
    std::function<bool(const QString& Switch)> HasSwitch;
};
// Installs the loader; returns the previous one.
TServiceLoader SetServiceLoader(TServiceLoader Loader);
// The Services rows of a local configuration database, in table order.
std::vector<TServiceRow> ServiceRowsOf(const TdmService& Module);

// What the bus needs of the equipment tree root: its notification and its
// two change handlers (set by the groups while they exist).
class IWKServicesNetwork {
public:
    virtual ~IWKServicesNetwork();
    virtual void Notify(TServiceEvent Event, void* Sender) = 0;
    std::function<void()> OnDataChanged;  // set by the primary group: streams are created again
    std::function<void()> OnChanged;      // set by the secondary group: seNetworkChange
};
// The equipment tree of the bus (may be null); FreeServicesAndNetwork frees it.
extern std::unique_ptr<IWKServicesNetwork> ServicesNetwork;

// One service group: owns its services and its stream list.
class TWKServices {
public:
    explicit TWKServices(const QString& ServiceGroup);
    virtual ~TWKServices();
    TWKServices(const TWKServices&) = delete;
    TWKServices& operator=(const TWKServices&) = delete;

    // Creates the services of the rows of this group and kind, then raises seGroupLoaded.
    void Load(bool IsPrimary, const QString& ServiceGroup);
    // The first service of exactly that class name, or null.
    TWKService* GetService(const QString& ClassName) const;
    int Count() const { return static_cast<int>(FServices.size()); }
    TWKService* Service(int i) const { return FServices[i].get(); }
    TWKService* Add(std::unique_ptr<TWKService> Service);
    void Clear();

    // Raise seCreateStreams / seBindStreams with the own list, when logging is on.
    void CreateStreams();
    void BindStreams();
    // Every service in list order, each failure logged apart; then the group's
    // own follow-up (seCreateStreams binds, seStartLogging creates and binds
    // under Ring0 and turns logging on, seStopLogging turns it off).
    virtual void NotifyServices(TServiceEvent Event, void* Sender);

    TWKStreamList& Streams() { return FStreams; }
    const QString& ServiceGroup() const { return FServiceGroup; }
    bool Logging() const { return FLogging.load(); }

protected:
    // Services first (they may hold references into the streams), then the streams.
    void FreeServices();

    TWKStreamList FStreams;
    std::atomic<bool> FLogging{false};
    QString FServiceGroup;
    std::vector<std::unique_ptr<TWKService>> FServices;
};

class TPrimarySerivces;

// Drives the primary group: a pass every PrimaryPollPeriod counted from the
// start of the previous pass; a late pass is followed at once by the next.
class TPollThread {
public:
    explicit TPollThread(TPrimarySerivces& Owner);
    ~TPollThread();  // asks the thread to stop and waits for it
    TPollThread(const TPollThread&) = delete;
    TPollThread& operator=(const TPollThread&) = delete;

private:
    void Execute(std::stop_token Stop);
    TPrimarySerivces& FOwner;
    std::mutex FWaitLock;
    std::condition_variable_any FWake;
    std::jthread FThread;
};

class TPrimarySerivces : public TWKServices {
public:
    // Loads the primary rows of the group, then starts the poll thread
    // (unless StartPolling is false: passes are then driven by PollPass).
    explicit TPrimarySerivces(const QString& ServiceGroup, bool StartPolling = true);
    ~TPrimarySerivces() override;

    // Every event reaches the primary services under Ring0; sePoll first
    // resets the new-record counters; the equipment tree hears it before them.
    void NotifyServices(TServiceEvent Event, void* Sender) override;
    // One pass of the poll thread: under Ring0, sePoll and sePostData with
    // logging on, seIdle with logging off. A failure is logged.
    void PollPass();

private:
    std::unique_ptr<TPollThread> FPollThread;
};

class TSecondaryServices : public TWKServices {
public:
    // Loads the secondary rows of the group, appends the notifier as the last
    // service and starts the timer (unless StartTimer is false: ticks are then
    // driven by ProcessTimer).
    explicit TSecondaryServices(const QString& ServiceGroup, bool StartTimer = true);
    ~TSecondaryServices() override;

    // Under Ring1; seCreateStreams first copies the primary streams afresh.
    void NotifyServices(TServiceEvent Event, void* Sender) override;
    // One tick (see the .cpp); main thread only.
    void ProcessTimer();

    void AddNotification(QObject* Item) { FNotifier->Add(Item); }
    void RemoveNotification(QObject* Item) { FNotifier->Remove(Item); }
    TObjectNotifierService* Notifier() const { return FNotifier; }
    QTimer* Timer() const { return FTimer.get(); }

private:
    std::unique_ptr<QTimer> FTimer;
    bool FInTimer = false;
    TObjectNotifierService* FNotifier = nullptr;
};

// The two groups of the program; null until the host creates them.
extern std::unique_ptr<TPrimarySerivces> PrimaryServices;
extern std::unique_ptr<TSecondaryServices> SecondaryServices;

constexpr int PrimaryPollPeriod = 50;     // ms
constexpr int SecondaryPollPeriod = 200;  // ms

// The primary, then the secondary group, in the caller's thread.
void NotifyServices(TServiceEvent Event, void* Sender);
// Streams created and bound again in both groups (under Ring1 and Ring0).
void CreateStreams();
void BindStreams();
// NotifyServices in the main thread; returns after it ran.
void ThreadNotifyServices(TServiceEvent Event, void* Sender);
// Frees the secondary group, the primary group and the equipment tree.
void FreeServicesAndNetwork();

#pragma GCC visibility pop
