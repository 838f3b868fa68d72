#pragma once
// The alignment frame of the setup dialogs: one radio group of the six
// alignments a plain control can have.
#include "Controls.h"

#include <QWidget>

#pragma GCC visibility push(default)

class TRadioGroup;

class TfrAlign : public QWidget {
    Q_OBJECT
public:
    explicit TfrAlign(QWidget* parent = nullptr);
    // Items 0..5: none, left, right, top, bottom, client; anything else reads as none.
    TControl::TAlign GetCtlAlign() const;
    // A custom alignment selects item 0.
    void SetCtlAlign(TControl::TAlign align);

    TRadioGroup* rgAlign;
};

#pragma GCC visibility pop
