#pragma once
// The plain layout controls of user forms, each with its property dialog.
#include "ExtCtrls.h"
#include "Splitter.h"
#include "StdCtrls.h"
#include "WKControlDesign.h"

#pragma GCC visibility push(default)

class TWKLabel : public TLabel, public IControlDesign {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
public:
    Q_INVOKABLE explicit TWKLabel(QObject* owner = nullptr);
    void Setup() override;
};

class TWKPanel : public TPanel, public IControlDesign {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
public:
    Q_INVOKABLE explicit TWKPanel(QObject* owner = nullptr) : TPanel(owner) {}
    void Setup() override;
};

class TWKSplitter : public TSplitter, public IControlDesign {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
public:
    Q_INVOKABLE explicit TWKSplitter(QObject* owner = nullptr);
    void Setup() override;
};

class TWKGroupBox : public TGroupBox, public IControlDesign {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
public:
    Q_INVOKABLE explicit TWKGroupBox(QObject* owner = nullptr);
    void Setup() override;
};

#pragma GCC visibility pop
