#include "Timers.h"

#include "ClassRegistry.h"
#include "DebugOutput.h"

TTimer::TTimer(QObject* owner) : TComponent(owner) {
    connect(&FTimer, &QTimer::timeout, this, &TTimer::Tick);
    UpdateTimer();
}

void TTimer::SetEnabled(bool v) {
    FEnabled = v;
    UpdateTimer();
}

void TTimer::SetInterval(int v) {
    if (v < 0) throw EComponentError(QStringLiteral("Interval out of range: %1").arg(v));
    FInterval = v;
    UpdateTimer();
}

void TTimer::SetOnTimer(const TMethod& v) {
    FOnTimer = v;
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    const bool run = FEnabled && FInterval > 0 && FOnTimer && !IsLoading() && !IsDesigning();
    if (!run) {
        FTimer.stop();
        return;
    }
    FTimer.start(FInterval);
}

void TTimer::Tick() {
    // A failing handler must not stop the timer or reach the event loop.
    try {
        FOnTimer.Invoke(static_cast<QObject*>(this));
    } catch (const std::exception& e) {
        DebugOutput(QStringLiteral("TTimer.Tick: %1").arg(ExceptionMessage(e)));
    }
}

WK_REGISTER_CLASS(TTimer)
