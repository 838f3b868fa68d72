#pragma once
// The single-value sensor label: the newest sample of one sensor as text,
// refreshed on every poll of the secondary services.
#include "StdCtrls.h"
#include "WKControlDesign.h"
#include "WKSensorItems.h"
#include "WKServices.h"

#pragma GCC visibility push(default)

class TWKSensorLabel : public TLabel, public IControlDesign, public IControlDesignEx, public IWKNotification {
    Q_OBJECT
    Q_INTERFACES(IControlDesign IControlDesignEx)
    Q_PROPERTY(bool IsDateTime READ IsDateTime WRITE SetIsDateTime)
    Q_PROPERTY(TSensorItem* Sensor READ Sensor WRITE SetSensor)
    Q_PROPERTY(bool ShowName READ ShowName WRITE SetShowName)
    Q_CLASSINFO("AlwaysStored", "IsDateTime,ShowName")
public:
    Q_INVOKABLE explicit TWKSensorLabel(QObject* owner = nullptr);
    ~TWKSensorLabel() override;

    bool IsDateTime() const { return FIsDateTime; }
    void SetIsDateTime(bool IsDateTime) override { FIsDateTime = IsDateTime; }
    TSensorItem* Sensor() const { return FSensor; }
    // Copies the published fields of item.
    void SetSensor(TSensorItem* item);
    bool ShowName() const { return FShowName; }
    void SetShowName(bool v) { FShowName = v; }

    void BindData();
    // The caption for the newest sample (see TSensorItem::NewestText).
    void UpdateText();
    void Notify(TServiceEvent Event, void* Sender) override;
    void Setup() override;
    void Loaded() override;

protected:
    // Message 1228: the well suffix goes into the sensor's stream ID.
    bool WKMessage(TWKMessage& msg) override;

private:
    TSensorItem* FSensor;  // owned (Qt child)
    bool FIsDateTime = false;
    bool FShowName = false;
    bool FRegistered = false;
};

#pragma GCC visibility pop
