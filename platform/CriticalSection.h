#pragma once
// Re-entrant critical section with a non-blocking TryEnter, as the old runtime had.
#include <atomic>
#include <mutex>
#include <thread>

#pragma GCC visibility push(default)

class TCriticalSection {
public:
    void Enter() {
        FMutex.lock();
        Entered();
    }
    void Leave() {
        if (--FDepth == 0) FOwner.store(std::thread::id(), std::memory_order_relaxed);
        FMutex.unlock();
    }
    bool TryEnter() {
        if (!FMutex.try_lock()) return false;
        Entered();
        return true;
    }
    // True when the calling thread holds the section (lets code refuse a wait
    // that would deadlock instead of hanging).
    bool HeldByCurrentThread() const {
        return FOwner.load(std::memory_order_relaxed) == std::this_thread::get_id();
    }

    // BasicLockable, so std::lock_guard / std::unique_lock work too.
    void lock() { Enter(); }
    void unlock() { Leave(); }
    bool try_lock() { return TryEnter(); }

private:
    void Entered() {
        FOwner.store(std::this_thread::get_id(), std::memory_order_relaxed);
        ++FDepth;
    }
    std::recursive_mutex FMutex;
    std::atomic<std::thread::id> FOwner{};
    int FDepth = 0;  // changed only by the holder
};

// Holds a critical section for a scope, also when an exception leaves it.
class TCriticalSectionGuard {
public:
    explicit TCriticalSectionGuard(TCriticalSection& cs) : FCS(cs) { FCS.Enter(); }
    ~TCriticalSectionGuard() { FCS.Leave(); }
    TCriticalSectionGuard(const TCriticalSectionGuard&) = delete;
    TCriticalSectionGuard& operator=(const TCriticalSectionGuard&) = delete;

private:
    TCriticalSection& FCS;
};

#pragma GCC visibility pop
