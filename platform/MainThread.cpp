#include "MainThread.h"

#include "DebugOutput.h"
#include "Exceptions.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace {

// Qt is not built with ThreadSanitizer, so the lock of its event queue is
// invisible to it. Posting marks a release and running marks an acquire of one
// token, as the queue's lock does: what a thread wrote before it posted
// happens before the work runs.
#if defined(__SANITIZE_THREAD__)
char HandOverToken;
#endif

void HandOverRelease() {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(&HandOverToken);
#endif
}

void HandOverAcquire() {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(&HandOverToken);
#endif
}

// The completion of a blocking hand-over, waited for with a plain mutex.
struct THandOverDone {
    std::mutex Lock;
    std::condition_variable Finished;
    bool Done = false;
    std::exception_ptr Failure;

    void Finish(std::exception_ptr failure) {
        {
            std::lock_guard lock(Lock);
            Failure = failure;
            Done = true;
        }
        Finished.notify_all();
    }
};

class THandOverEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    THandOverEvent(std::function<void()> work, std::shared_ptr<THandOverDone> done)
        : QEvent(EventType()), FWork(std::move(work)), FDone(std::move(done)) {}
    // Dropped unrun (the application went away): a waiting caller must not wait forever.
    ~THandOverEvent() override {
        if (FDone && !FRan)
            FDone->Finish(std::make_exception_ptr(Exception(QStringLiteral("The main thread ended before the work ran"))));
    }
    void Run() {
        FRan = true;
        std::exception_ptr failure;
        try {
            FWork();
        } catch (...) {
            failure = std::current_exception();
        }
        if (FDone)
            FDone->Finish(failure);
        else if (failure)
            // Nobody waits for queued work: its failure can only be reported.
            try {
                std::rethrow_exception(failure);
            } catch (const std::exception& e) {
                OutputDebugString(QStringLiteral("QueueToMainThread: ") + ExceptionMessage(e));
            } catch (...) {
                OutputDebugString(QStringLiteral("QueueToMainThread: unknown exception"));
            }
    }

private:
    std::function<void()> FWork;
    std::shared_ptr<THandOverDone> FDone;
    bool FRan = false;
};

class THandOverReceiver : public QObject {
public:
    bool event(QEvent* e) override {
        HandOverAcquire();  // before anything of the event is read
        if (e->type() != THandOverEvent::EventType()) return QObject::event(e);
        static_cast<THandOverEvent*>(e)->Run();
        return true;
    }
};

// Lives in the main thread for the rest of the process.
QObject* Receiver() {
    static QObject* const receiver = [] {
        auto* r = new THandOverReceiver;
        r->moveToThread(QCoreApplication::instance()->thread());
        return r;
    }();
    return receiver;
}

void Post(std::function<void()> work, std::shared_ptr<THandOverDone> done) {
    auto* event = new THandOverEvent(std::move(work), std::move(done));
    QObject* receiver = Receiver();
    HandOverRelease();
    QCoreApplication::postEvent(receiver, event);
}

}  // namespace

bool IsMainThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

void QueueToMainThread(std::function<void()> fn) {
    if (!QCoreApplication::instance()) {
        fn();
        return;
    }
    Post(std::move(fn), nullptr);
}

void SynchronizeWithMainThread(const std::function<void()>& fn) {
    if (IsMainThread()) {
        fn();
        return;
    }
    auto done = std::make_shared<THandOverDone>();
    Post(fn, done);
    std::unique_lock lock(done->Lock);
    done->Finished.wait(lock, [&] { return done->Done; });
    if (done->Failure) std::rethrow_exception(done->Failure);
}
