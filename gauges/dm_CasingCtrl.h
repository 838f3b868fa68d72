#pragma once
// The casing drawing: a vertical section of the current well with its casing
// strings (grey walls round a light bore) and the open hole of the latest
// bit, over a tiled rock texture, scaled so that the deepest point and the
// widest diameter fill the control.
//
// The data come from the well database through one shared module,
// dmCasingCtrl, made by the first casing control and kept until the
// application ends. It reloads when the database reports changes of runs or
// wells; having registered before any control, it reloads before the
// controls repaint.
#include "Components.h"
#include "Controls.h"
#include "WKControlDesign.h"
#include "WKServices.h"

#include <QImage>

// A run of consecutive identical casing items, from BottomDepth - Length up
// to BottomDepth.
class TCasingSegment : public TCollectionItem {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TCasingSegment(TCollection* collection = nullptr) : TCollectionItem(collection) {}
    QString Name;  // the item model
    float BottomDepth = 0;
    float Length = 0;
    float InnerDiam = 0;
    float OuterDiam = 0;
};

class TCasing : public TCollection {
    Q_OBJECT
public:
    explicit TCasing(QObject* owner = nullptr) : TCollection(&TCasingSegment::staticMetaObject, owner) {}
    TCasingSegment* Segment(int index) const { return ItemAs<TCasingSegment>(index); }
};

class TdmCasingCtrl : public QObject, public IWKNotification {
    Q_OBJECT
public:
    // Loads (a failure leaves a debug line and no segments) and listens to the bus.
    explicit TdmCasingCtrl(QObject* owner = nullptr);
    ~TdmCasingCtrl() override;

    // Reads the casing strings and the latest bit of the current well. The
    // new segments and scales replace the old ones only when every query
    // succeeded; a failure raises. Nothing happens without a wells module.
    void LoadCasing();
    // seDBChange of "RUNS" or "WELLS": LoadCasing (a failure is logged).
    void Notify(TServiceEvent Event, void* Sender) override;

    TCasing* FCasing;
    float MaxDiam = 1;
    float MaxBottomDepth = 1;
    float BitSize = 0;

private:
    bool FRegistered = false;
};

// The process's module; null until the first casing control makes it.
extern TdmCasingCtrl* dmCasingCtrl;

class TCasingControl : public TControl, public IControlDesign, public IWKNotification {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
public:
    Q_INVOKABLE explicit TCasingControl(QObject* owner = nullptr);
    ~TCasingControl() override;

    bool AcceptsControls() const override { return true; }
    // The alignment dialog; applied on OK.
    void Setup() override;
    // seDBChange of "RUNS" or "WELLS": repaint.
    void Notify(TServiceEvent Event, void* Sender) override;
    const QImage& BackgroundImage() const { return FBackgroundImage; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage FBackgroundImage;
    bool FRegistered = false;
};

// Whether a database event names the tables the casing view follows.
bool IsCasingChange(TServiceEvent Event, void* Sender);
