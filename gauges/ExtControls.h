#pragma once
// TWKSmoothGauge: the dial gauge of the user forms. The dial plus one bound
// sensor: it shows the newest usable sample of that sensor, binds again when
// the service bus asks or the form's well changes, and opens its setup
// dialog from the designer and, at run time, on a mouse press.
#include "SmoothDial.h"
#include "WKControlDesign.h"
#include "WKSensorItems.h"
#include "WKServices.h"

class TWKSmoothGauge : public TSmoothDial, public IControlDesign, public IWKNotification {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
    Q_PROPERTY(bool IsDateTime READ IsDateTime WRITE SetIsDateTime)
    Q_PROPERTY(TSensorItem* Sensor READ Sensor WRITE SetSensor)
    Q_PROPERTY(int Style READ GetStyle WRITE SetStyle)
    Q_CLASSINFO("AlwaysStored", "IsDateTime,Style")
public:
    Q_INVOKABLE explicit TWKSmoothGauge(QObject* owner = nullptr);
    ~TWKSmoothGauge() override;

    // The colour styles the setup offers after "По умолчанию".
    static constexpr int StyleCount = 24;

    bool IsDateTime() const { return FIsDateTime; }
    void SetIsDateTime(bool v) { FIsDateTime = v; }
    TSensorItem* Sensor() const { return FSensor; }
    void SetSensor(TSensorItem* item);
    int GetStyle() const { return FStyle; }
    // 0: the gauge's own palette; N in 1..24: colour style N - 1. Numbers
    // outside that range (a damaged form) are ignored.
    void SetStyle(int N);

    void BindData();
    void Notify(TServiceEvent Event, void* Sender) override;
    void Setup() override { DoSetup(false); }
    // runTime: started by a mouse press on the running form (no alignment choice).
    void DoSetup(bool runTime);
    void Loaded() override;

protected:
    bool WKMessage(TWKMessage& msg) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void ShowNewest();
    void ShowNoCurrentValue();
    void ApplyOwnPalette();
    void EnsureSections();

    TSensorItem* FSensor;  // owned (Qt child)
    bool FIsDateTime = false;
    int FStyle = 0;
    bool FRegistered = false;
};
