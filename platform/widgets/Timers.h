#pragma once
// The timer component of forms: raises OnTimer every Interval milliseconds
// while enabled. It runs only once loaded and never on a design surface.
#include "Components.h"

#include <QTimer>

#pragma GCC visibility push(default)

class TTimer : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(TMethod OnTimer READ OnTimer WRITE SetOnTimer)
public:
    Q_INVOKABLE explicit TTimer(QObject* owner = nullptr);

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    int Interval() const { return FInterval; }
    // Negative intervals are refused; 0 stops the timer as the old one did.
    void SetInterval(int v);
    // Handler: OnTimer(QObject* sender).
    TMethod OnTimer() const { return FOnTimer; }
    void SetOnTimer(const TMethod& v);

    // Whether the underlying timer runs now.
    bool Running() const { return FTimer.isActive(); }
    // One tick, as the timer gives it (tests drive the timer by hand).
    void Tick();
    void Loaded() override;

protected:
    void DesignStateChanged() override { UpdateTimer(); }

private:
    void UpdateTimer();
    bool FEnabled = true;
    int FInterval = 1000;
    TMethod FOnTimer;
    QTimer FTimer;
};

#pragma GCC visibility pop
