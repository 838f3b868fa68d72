#pragma once
// Hand-over of work to the main (GUI) thread.
#include <functional>

#pragma GCC visibility push(default)

// True when called on the thread that owns the application object
// (or when there is no application object yet).
bool IsMainThread();

// Runs fn on the main thread later, from its event loop. Returns at once.
void QueueToMainThread(std::function<void()> fn);

// Runs fn on the main thread and waits until it has run; inline when already
// on the main thread. An exception of fn is re-raised in the caller.
void SynchronizeWithMainThread(const std::function<void()>& fn);

#pragma GCC visibility pop
