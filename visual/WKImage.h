#pragma once
// The picture control of user forms, with its property dialog.
#include "Pictures.h"
#include "WKControlDesign.h"

#pragma GCC visibility push(default)

class TWKImage : public TImage, public IControlDesign {
    Q_OBJECT
    Q_INTERFACES(IControlDesign)
public:
    Q_INVOKABLE explicit TWKImage(QObject* owner = nullptr);
    // Alignment and picture; on OK stretched and opaque.
    void Setup() override;
};

#pragma GCC visibility pop
