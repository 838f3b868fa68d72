#pragma once
// Re-entrant critical section with a non-blocking TryEnter, as the old runtime had.
#include <mutex>

class TCriticalSection {
public:
    void Enter() { FMutex.lock(); }
    void Leave() { FMutex.unlock(); }
    bool TryEnter() { return FMutex.try_lock(); }

    // BasicLockable, so std::lock_guard / std::unique_lock work too.
    void lock() { Enter(); }
    void unlock() { Leave(); }
    bool try_lock() { return TryEnter(); }

private:
    std::recursive_mutex FMutex;
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
